#include "wizard/binding/target_folder.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/ascii.h"

namespace qel::wizard::binding {
namespace {

FolderExists Existing(std::set<std::string> folders) {
  return [folders = std::move(folders)](const std::string& f) {
    for (const std::string& e : folders)
      if (EqualsNoCase(e, f)) return true;
    return false;
  };
}

TEST(TargetFolder, MissingTailBelowNearestExistingFolder) {
  struct Case {
    const char* target;
    const char* nearest;
    const char* tail;
  };
  auto exists = Existing({"C:\\", "C:\\Program Files", "\\\\srv\\share"});
  const Case cases[] = {
      {"C:\\Program Files\\Firm\\Tool", "C:\\Program Files", "Firm\\Tool"},
      {"C:\\Program Files\\Firm\\Tool\\", "C:\\Program Files", "Firm\\Tool"},
      {"C:\\\\Program Files\\\\Firm", "C:\\Program Files", "Firm"},
      {"C:\\Program Files", "C:\\Program Files", ""},
      {"C:\\Other\\Tool", "C:\\", "Other\\Tool"},
      {"Q:\\Nowhere\\Tool", "", "Nowhere\\Tool"},
      {"\\\\srv\\share\\app", "\\\\srv\\share", "app"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    TargetFolder t = RecordTargetFolder(c.target, exists);
    EXPECT_EQ(t.nearest_existing, c.nearest) << c.target;
    EXPECT_EQ(t.missing_tail, c.tail) << c.target;
  }
}

TEST(TargetFolder, BrowseKeepsTheMissingTail) {
  TargetFolder t = RecordTargetFolder("C:\\Program Files\\Firm\\Tool", Existing({"C:\\", "C:\\Program Files"}));
  const std::pair<const char*, const char*> cases[] = {
      {"D:\\Apps", "D:\\Apps\\Firm\\Tool"},
      {"D:\\Apps\\", "D:\\Apps\\Firm\\Tool"},
      {"C:\\Program Files", "C:\\Program Files\\Firm\\Tool"},  // a start of the target keeps it
      {"c:\\program files\\firm", "C:\\Program Files\\Firm\\Tool"},
      {"E:\\", "E:\\Firm\\Tool"},
      {"", ""},
  };
  for (auto [chosen, result] : cases) EXPECT_EQ(BrowseResult(t, chosen), result) << chosen;
}

TEST(TargetFolder, ParentFolderKeepsDriveRoot) {
  EXPECT_EQ(ParentFolder("C:\\A\\B"), "C:\\A");
  EXPECT_EQ(ParentFolder("C:\\A"), "C:\\");
  EXPECT_EQ(ParentFolder("C:\\"), "C:\\");
  EXPECT_EQ(ParentFolder("A"), "");
}

}  // namespace
}  // namespace qel::wizard::binding
