// The few file operations the log set needs, behind an interface so that the
// log rules run on any host. Paths are 8-bit (ANSI on Windows).
#pragma once

#include <string>

namespace qel::native {

class LogFileSystem {
 public:
  virtual ~LogFileSystem() = default;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Creates the folder and every missing parent; true when it exists afterwards.
  virtual bool CreateFolders(const std::string& path) = 0;
  virtual bool ReadFile(const std::string& path, std::string& bytes) = 0;
  // Appends (creating the file when missing).
  virtual bool AppendFile(const std::string& path, const std::string& bytes) = 0;
  // Creates or truncates.
  virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // Removes an empty folder.
  virtual bool RemoveFolder(const std::string& path) = 0;
};

// The C runtime's file functions (ANSI paths under Windows).
LogFileSystem& DefaultLogFileSystem();

}  // namespace qel::native
