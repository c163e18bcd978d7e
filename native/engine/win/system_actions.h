// The actions that change system settings: services, shortcuts, file types,
// ODBC drivers and data sources, INI entries and environment variables.
#pragma once

#include "native/engine/win/worker_context.h"
#include "native/model/action_record.h"

namespace qel::native::win {

bool RunInstallService(WorkerContext& ctx, const ActionRecord& record);
bool RunControlService(WorkerContext& ctx, const ActionRecord& record);
bool RunCreateShortcut(WorkerContext& ctx, const ActionRecord& record);
bool RunCreateFileType(WorkerContext& ctx, const ActionRecord& record);
bool RunInstallOdbcDriver(WorkerContext& ctx, const ActionRecord& record);
bool RunCreateOdbcDsn(WorkerContext& ctx, const ActionRecord& record);
bool RunEditIniFile(WorkerContext& ctx, const ActionRecord& record);
bool RunSetEnvironment(WorkerContext& ctx, const ActionRecord& record);

// "Environment" setting-change broadcast to all top-level windows, without waiting.
void BroadcastEnvironmentChange();

// SQLConfigDataSource from odbccp32.dll; false when it is missing or fails.
bool ConfigureDataSource(unsigned short request, const std::string& driver, const std::string& attributes);

// Reads an INI value (up to 266240 characters).
std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key);

}  // namespace qel::native::win
