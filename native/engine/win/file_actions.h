// The file actions: Install Files, Install Assembly, Copy/Move Local Files,
// Delete Files, Create Folder, and the file copying shared by Install Service
// and Install ODBC Driver.
#pragma once

#include <string>
#include <vector>

#include "native/engine/action_rules.h"
#include "native/engine/win/worker_context.h"
#include "native/model/action_record.h"

namespace qel::native::win {

// Where the native worker finds the setup's files and their table.
struct FileSource {
  std::string data_folder;               // with a trailing backslash
  const std::vector<std::string>* table;  // payload file table
};
// The process's data folder and file table.
FileSource ProcessFileSource();
void SetFileSourceOverride(const FileSource* source);  // tests; null restores

bool RunInstallFiles(WorkerContext& ctx, const ActionRecord& record);
bool RunInstallAssembly(WorkerContext& ctx, const ActionRecord& record);
bool RunCopyMoveLocalFiles(WorkerContext& ctx, const ActionRecord& record);
bool RunDeleteFiles(WorkerContext& ctx, const ActionRecord& record);
bool RunCreateFolder(WorkerContext& ctx, const ActionRecord& record);

// Copies the group's files into a folder as Install Files does without
// registration, sharing or attributes. copied lists the destinations copied.
// False when aborted or cancelled.
bool CopyGroupPlain(WorkerContext& ctx, const std::vector<FileTableEntry>& group, const std::string& folder,
                    bool use_subfolder, std::vector<std::string>& copied, std::vector<bool>* copied_flags = nullptr);

}  // namespace qel::native::win
