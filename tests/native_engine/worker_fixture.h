// A fixture for driving the native worker under Wine: a folder and registry key
// of the test's own, a data folder with a file table, the log set under the
// test folder, scripted answers for the prompts, and snapshots of what the
// test touched.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "native/engine/win/file_actions.h"
#include "native/model/action_record.h"
#include "native/model/action_spool.h"
#include "native/prompts/prompt_host.h"

namespace qel::native::testing {

class ScriptedPrompts final : public PromptHost {
 public:
  PromptAnswer Ask(PromptKind kind, const std::string& caption, const std::string& text) override;
  std::deque<PromptAnswer> answers;
  std::vector<std::string> questions;
};

// Files (path -> content) and registry values (key\name -> type:data) under the
// test's folder and key.
struct Snapshot {
  std::map<std::string, std::string> files;
  std::vector<std::string> folders;
  std::map<std::string, std::string> values;
  std::vector<std::string> keys;
  bool operator==(const Snapshot&) const = default;
};
std::string Describe(const Snapshot& s);

class WorkerFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Adds a source file to the data folder and the file table group of header.
  void AddSource(const std::string& header, const std::string& relative, const std::string& content,
                 const std::string& subfolder = "");
  void WriteFile(const std::string& path, const std::string& content);
  static std::string ReadFile(const std::string& path);
  static bool Exists(const std::string& path);

  // Runs one action (or a special run) on the worker thread and waits, the way
  // the spooler does (Done() on every pass).
  int Run(const std::string& name, const ActionRecord& record = {}, const ActionSpool* spool = nullptr);
  int RunQueued(const ActionSpool& spool) { return Run("DELAYEDINSTALL", {}, &spool); }

  ActionRecord InstallFilesRecord(const std::string& header, const std::string& folder, bool shared = false,
                                  bool permanent = false, bool required = false) const;
  static ActionRecord RegistryRecord(const std::string& root, const std::string& key, const std::string& name,
                                     const std::string& data, const std::string& kind);

  Snapshot Take() const;

  std::string dir_;       // C:\qel-native-tests\<test>\ (trailing backslash)
  std::string key_;       // Software\QelNativeTests\<test>
  std::string data_dir_;  // dir_ + "data\"
  std::string prefix_;    // log set prefix
  std::vector<std::string> table_;
  win::FileSource source_;
  ScriptedPrompts prompts_;
};

}  // namespace qel::native::testing
