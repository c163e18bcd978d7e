// Runs a command by its catalogue name through the handler table, as the
// executor's dispatch does, on a statement given as its parameter lines.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/catalogue.h"
#include "commands/tests/command_fixture.h"
#include "commands/win/windows_platform.h"
#include "engine/variables.h"

namespace qel::commands::wine_testing {

inline void EnsureInstalled() {
  static const bool installed = [] {
    InstallWindowsPlatform();
    AddAllCommandHandlers();
    return true;
  }();
  (void)installed;
}

inline void RunCommand(TVariableManager& vars, const std::string& name, std::vector<std::string> lines) {
  EnsureInstalled();
  const CommandHandler* handler = FindCommandHandler(name);
  ASSERT_NE(handler, nullptr) << name;
  (*handler)(testing::MakeParams(vars, name, std::move(lines)));
}

inline std::string ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.rfind('\\') + 1);
}

inline std::string ScratchFolder(const char* name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + name + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

}  // namespace qel::commands::wine_testing
