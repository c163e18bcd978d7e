#include "native/model/folder_weight.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "native/model/action_spool.h"
#include "native/model/record_builders.h"

namespace qel::native {
namespace {

namespace fs = std::filesystem;

TEST(MaskTest, WindowsWildcards) {
  const struct {
    const char* name;
    const char* mask;
    bool match;
  } cases[] = {
      {"a.txt", "*.txt", true},   {"A.TXT", "*.txt", true},  {"a.txt.bak", "*.txt", false},
      {"noext", "*.*", true},     {"noext", "", true},       {"abc", "a?c", true},
      {"ac", "a?c", false},       {"abc", "a*", true},       {"readme", "read*me", true},
      {"readXme", "read*me", true}, {"readm", "read*me", false}, {"x.log", "*.txt", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " " << c.mask;
}

class FolderWeightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("qel_weight_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root);
    fs::create_directories(root / "sub" / "deeper");
    Write(root / "a.txt", 10);
    Write(root / "b.log", 100);
    Write(root / "sub" / "c.txt", 1000);
    Write(root / "sub" / "deeper" / "d.txt", 10000);
  }
  void TearDown() override { fs::remove_all(root); }
  static void Write(const fs::path& path, size_t bytes) {
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
  }
  fs::path root;
};

TEST_F(FolderWeightTest, SumsMatchedFilesOfARealFolder) {
  FolderLister& lister = PortableFolderLister();
  const std::string folder = root.string();
  EXPECT_EQ(MatchedFilesSize(lister, folder, "*.txt", false), 10);
  EXPECT_EQ(MatchedFilesSize(lister, folder, "*.txt", true), 11010);
  EXPECT_EQ(MatchedFilesSize(lister, folder, "*.*", true), 11110);
  EXPECT_EQ(MatchedFilesSize(lister, folder, "*.*", false), 110);
  EXPECT_EQ(MatchedFilesSize(lister, (root / "missing").string(), "*", true), 0);
}

TEST_F(FolderWeightTest, CopyMoveActionWeighsItsSourceAtQueueTime) {
  CopyMoveLocalFilesFields f{root.string(), "*.txt", "T", "TRUE", "TRUE", ""};
  EXPECT_EQ(QueueWeight(ActionKind::kCopyMoveLocalFiles, f.ToRecord(), PortableFolderLister()), 11010);
  f.subfolders = "FALSE";
  EXPECT_EQ(QueueWeight(ActionKind::kCopyMoveLocalFiles, f.ToRecord(), PortableFolderLister()), 10);
}

}  // namespace
}  // namespace qel::native
