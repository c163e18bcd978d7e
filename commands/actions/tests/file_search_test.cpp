#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "commands/actions/file_search.h"

namespace qel::commands::actions {
namespace {

// A small in-memory tree with Windows-style paths and "*"/"*.ext" masks, as
// FindFirstFile would enumerate them (with "." and ".." in every folder).
class FakeTree {
 public:
  void AddFile(const std::string& path) {
    files_.insert(path);
    AddFolderChain(Parent(path));
  }
  void AddFolder(const std::string& path) { AddFolderChain(path); }
  void Remove(const std::string& path) {
    files_.erase(path);
    // A folder only goes when it is empty.
    if (folders_.count(path) && Children(path).empty()) folders_.erase(path);
  }
  bool HasFile(const std::string& path) const { return files_.count(path) > 0; }
  bool HasFolder(const std::string& path) const { return folders_.count(path) > 0; }

  FolderLister Lister() {
    return [this](const std::string& wildcard) {
      ++list_calls;
      const std::string folder = Parent(wildcard);
      const std::string mask = wildcard.substr(folder.size() + 1);
      std::vector<FolderEntry> out;
      if (!folders_.count(folder)) return out;
      out.push_back({".", true});
      out.push_back({"..", true});
      for (const std::string& child : Children(folder)) {
        const std::string name = child.substr(folder.size() + 1);
        if (Matches(name, mask)) out.push_back({name, folders_.count(child) > 0});
      }
      return out;
    };
  }
  int list_calls = 0;

 private:
  static std::string Parent(const std::string& path) { return path.substr(0, path.rfind('\\')); }
  static bool Matches(const std::string& name, const std::string& mask) {
    if (mask == "*.*" || mask == "*") return true;
    if (mask.rfind("*", 0) == 0) {
      const std::string tail = mask.substr(1);
      return name.size() >= tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
    }
    return name == mask;
  }
  void AddFolderChain(const std::string& path) {
    for (std::string p = path; p.size() > 2; p = Parent(p)) folders_.insert(p);
  }
  std::vector<std::string> Children(const std::string& folder) const {
    std::vector<std::string> out;
    auto direct = [&](const std::string& p) { return p.size() > folder.size() + 1 && p.rfind(folder + "\\", 0) == 0 &&
                                                     p.find('\\', folder.size() + 1) == std::string::npos; };
    for (const std::string& f : folders_) if (direct(f)) out.push_back(f);
    for (const std::string& f : files_) if (direct(f)) out.push_back(f);
    std::sort(out.begin(), out.end());
    return out;
  }
  std::set<std::string> files_, folders_;
};

FakeTree SampleTree() {
  FakeTree tree;
  tree.AddFile("C:\\A\\a.txt");
  tree.AddFile("C:\\A\\skip.bin");
  tree.AddFile("C:\\A\\B\\b.txt");
  tree.AddFile("C:\\A\\B\\C\\c.txt");
  tree.AddFolder("C:\\A\\Empty");
  return tree;
}

TEST(FindAllFiles, SubfolderMatchesComeBeforeTheSubfolderAndTheFolderOwnFilesLast) {
  struct Case {
    const char* name;
    SearchOptions options;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"files only", {false, false}, {"C:\\A\\a.txt"}},
      {"folders listed", {false, true}, {"C:\\A\\B", "C:\\A\\Empty", "C:\\A\\a.txt"}},
      {"recursive", {true, false}, {"C:\\A\\B\\C\\c.txt", "C:\\A\\B\\b.txt", "C:\\A\\a.txt"}},
      {"recursive with folders",
       {true, true},
       {"C:\\A\\B\\C\\c.txt", "C:\\A\\B\\C", "C:\\A\\B\\b.txt", "C:\\A\\B", "C:\\A\\Empty", "C:\\A\\a.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTree tree = SampleTree();
    EXPECT_EQ(SearchFiles(tree.Lister(), "C:\\A\\*.txt", c.options), c.expected);
  }
}

TEST(FindAllFiles, ReportsEachSearchCallAndEachFile) {
  FakeTree tree = SampleTree();
  int calls = 0;
  std::vector<std::string> reported;
  SearchEvents events;
  events.on_search_call = [&] { ++calls; };
  events.on_file = [&](const std::string& path) { reported.push_back(path); };
  const auto found = SearchFiles(tree.Lister(), "C:\\A\\*.txt", {true, false}, events);
  EXPECT_EQ(calls, 4);  // A, B, C and Empty
  EXPECT_EQ(reported, found);
}

TEST(FindAllFiles, StopsEarlyWithWhatItHas) {
  FakeTree tree = SampleTree();
  int files = 0;
  SearchEvents events;
  events.on_file = [&](const std::string&) { ++files; };
  events.stop_requested = [&] { return files >= 1; };
  const auto found = SearchFiles(tree.Lister(), "C:\\A\\*.txt", {true, true}, events);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], "C:\\A\\B\\C\\c.txt");
}

TEST(FindAllFiles, SearchPositionWrapsAfterOneHundred) {
  EXPECT_EQ(NextSearchPosition(0), 1);
  EXPECT_EQ(NextSearchPosition(99), 100);
  EXPECT_EQ(NextSearchPosition(100), 0);
}

TEST(FindAllFiles, PatternSplitsAtTheLastBackslash) {
  struct Case {
    const char* pattern;
    const char* folder;
    const char* mask;
  };
  const Case cases[] = {
      {"C:\\A\\B\\*.txt", "C:\\A\\B", "*.txt"},
      {"C:\\*.txt", "C:\\", "*.txt"},
      {"\\\\server\\share\\*.*", "\\\\server\\share", "*.*"},
      {"*.txt", "", "*.txt"},
  };
  for (const Case& c : cases) {
    std::string folder, mask;
    SplitPattern(c.pattern, folder, mask);
    EXPECT_EQ(folder, c.folder) << c.pattern;
    EXPECT_EQ(mask, c.mask) << c.pattern;
  }
}

TEST(FindAllFiles, ResultTextQuotesItemsThatNeedIt) {
  struct Case {
    std::vector<std::string> items;
    const char* text;
  };
  const Case cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"", ""}, "|"},
      {{"C:\\a.txt", "C:\\b.txt"}, "C:\\a.txt|C:\\b.txt"},
      {{"C:\\My Files\\a.txt"}, "\"C:\\My Files\\a.txt\""},
      {{"C:\\x|y"}, "\"C:\\x|y\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"tab\there", "C:\\plain"}, "\"tab\there\"|C:\\plain"},
      {{"comma,is,plain"}, "comma,is,plain"},
  };
  for (const Case& c : cases) EXPECT_EQ(JoinFoundFiles(c.items), c.text);
}

TEST(DeleteFilesRecursive, RemovesFilesAndEmptyFoldersButKeepsThePatternFolder) {
  FakeTree tree = SampleTree();
  std::vector<std::string> normalized;
  DeleteOperations ops;
  ops.set_normal_attributes = [&](const std::string& p) { normalized.push_back(p); };
  ops.delete_file = [&](const std::string& p) { if (tree.HasFile(p)) tree.Remove(p); };
  ops.remove_folder = [&](const std::string& p) { if (tree.HasFolder(p)) tree.Remove(p); };
  DeleteFilesRecursive(tree.Lister(), "C:\\A\\*.*", ops);
  EXPECT_TRUE(tree.HasFolder("C:\\A"));
  for (const char* gone : {"C:\\A\\a.txt", "C:\\A\\skip.bin", "C:\\A\\B\\b.txt", "C:\\A\\B\\C\\c.txt"})
    EXPECT_FALSE(tree.HasFile(gone)) << gone;
  for (const char* gone : {"C:\\A\\B", "C:\\A\\B\\C", "C:\\A\\Empty"}) EXPECT_FALSE(tree.HasFolder(gone)) << gone;
  EXPECT_FALSE(normalized.empty());
}

TEST(DeleteFilesRecursive, AMaskLeavesOtherFilesAndTheirFolders) {
  FakeTree tree = SampleTree();
  DeleteOperations ops;
  ops.delete_file = [&](const std::string& p) { if (tree.HasFile(p)) tree.Remove(p); };
  ops.remove_folder = [&](const std::string& p) { if (tree.HasFolder(p)) tree.Remove(p); };
  DeleteFilesRecursive(tree.Lister(), "C:\\A\\*.txt", ops);
  EXPECT_TRUE(tree.HasFile("C:\\A\\skip.bin"));
  EXPECT_FALSE(tree.HasFile("C:\\A\\a.txt"));
  EXPECT_FALSE(tree.HasFolder("C:\\A\\B"));  // emptied by the pass, then removed
}

TEST(DeleteFilesRecursive, StopsWhenNothingCanBeDeleted) {
  FakeTree tree = SampleTree();
  DeleteOperations ops;  // every deletion fails
  EXPECT_EQ(DeleteFilesRecursive(tree.Lister(), "C:\\A\\*.*", ops), 1);
  EXPECT_TRUE(tree.HasFile("C:\\A\\a.txt"));
}

TEST(DeleteFilesRecursive, ATreeThatKeepsGrowingEndsAfterTheBound) {
  FakeTree tree = SampleTree();
  int added = 0;
  DeleteOperations ops;
  // Something else writes one new file during every pass.
  ops.remove_folder = [&](const std::string& p) {
    if (p == "C:\\A\\B") tree.AddFile("C:\\A\\new" + std::to_string(added++) + ".tmp");
  };
  EXPECT_EQ(DeleteFilesRecursive(tree.Lister(), "C:\\A\\*.*", ops), kMaxDeletePasses);
}

}  // namespace
}  // namespace qel::commands::actions
