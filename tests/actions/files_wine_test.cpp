#include <windows.h>

#include "tests/actions/action_script.h"

namespace qel::actions_testing {
namespace {

// root\top.txt, root\skip.bin, root\My Folder\inner file.txt,
// root\My Folder\Deep\deep.txt, and root\Empty when asked for. Each folder has
// at most one sub-folder and one text file, so that the order of the result
// does not depend on the order in which the file system lists names.
std::string MakeTree(const char* name, bool with_empty_folder = false) {
  const std::string root = ScratchFolder(name);
  CreateDirectoryA((root + "My Folder").c_str(), nullptr);
  CreateDirectoryA((root + "My Folder\\Deep").c_str(), nullptr);
  if (with_empty_folder) CreateDirectoryA((root + "Empty").c_str(), nullptr);
  WriteFile(root + "top.txt");
  WriteFile(root + "skip.bin");
  WriteFile(root + "My Folder\\inner file.txt");
  WriteFile(root + "My Folder\\Deep\\deep.txt");
  return root;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

TEST(FindAllFiles, ListsSubfolderFilesFirstAndQuotesBlanks) {
  const std::string root = MakeTree("qelfind");
  const std::string base = root.substr(0, root.size() - 1);  // the pattern's folder, no trailing backslash
  struct Case {
    const char* subfolders;
    const char* folders;
    std::string expected;
  };
  const Case cases[] = {
      {"FALSE", "FALSE", base + "\\top.txt"},
      {"TRUE", "FALSE",
       Quoted(base + "\\My Folder\\Deep\\deep.txt") + "|" + Quoted(base + "\\My Folder\\inner file.txt") + "|" + base +
           "\\top.txt"},
      {"TRUE", "TRUE",
       Quoted(base + "\\My Folder\\Deep\\deep.txt") + "|" + Quoted(base + "\\My Folder\\Deep") + "|" +
           Quoted(base + "\\My Folder\\inner file.txt") + "|" + Quoted(base + "\\My Folder") + "|" + base + "\\top.txt"},
  };
  for (const Case& c : cases) {
    TVariableManager vars;
    vars.Define("SILENT", "TRUE");
    vars.Define("ROOT", base);
    RunScript(vars, {{"Find All Files", {"$ROOT$\\*.txt", c.subfolders, c.folders, "$FOUND$"}}});
    EXPECT_EQ(vars.Get("FOUND"), c.expected) << c.subfolders << c.folders;
    // Every folder searched and every file found was reported as progress.
    EXPECT_FALSE(vars.Get("OXLE_LastDelegateTick").empty());
  }
}

TEST(FindAllFiles, NoMatchGivesAnEmptyText) {
  const std::string root = MakeTree("qelfindnone");
  TVariableManager vars;
  vars.Define("SILENT", "TRUE");
  vars.Define("FOUND", "old");
  RunScript(vars, {{"Find All Files", {root + "*.none", "TRUE", "FALSE", "FOUND"}}});
  EXPECT_TRUE(vars.Exists("FOUND"));
  EXPECT_EQ(vars.Get("FOUND"), "");
}

TEST(DeleteFilesRecursive, EmptiesTheTreeButKeepsThePatternFolder) {
  const std::string root = MakeTree("qeldelall", true);
  SetFileAttributesA((root + "top.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  TVariableManager vars;
  RunScript(vars, {{"Delete Files Recursive", {root + "*.*"}}});
  EXPECT_TRUE(Exists(root));
  for (const char* gone : {"top.txt", "skip.bin", "My Folder", "Empty"}) EXPECT_FALSE(Exists(root + gone)) << gone;
}

TEST(DeleteFilesRecursive, MaskKeepsOtherFiles) {
  const std::string root = MakeTree("qeldelmask");
  TVariableManager vars;
  RunScript(vars, {{"Delete Files Recursive", {root + "*.txt"}}});
  EXPECT_TRUE(Exists(root + "skip.bin"));
  EXPECT_FALSE(Exists(root + "top.txt"));
  EXPECT_FALSE(Exists(root + "My Folder"));  // emptied of its text files, then removed
}

}  // namespace
}  // namespace qel::actions_testing
