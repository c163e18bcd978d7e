#include "commands/path_parts.h"

#include <gtest/gtest.h>

#include <map>

#include "commands/long_path.h"

namespace qel::commands {
namespace {

struct PartCase {
  const char* path;
  int part;
  const char* expected;
};

TEST(ExtractPathPart, EveryPart) {
  const PartCase cases[] = {
      {"C:\\a\\b.txt", 0, "b.txt"},
      {"C:\\a\\b.txt", 1, "b"},
      {"C:\\a\\b.txt", 2, "txt"},
      {"C:\\a\\b.txt", 3, "C:\\a\\"},
      {"C:\\a\\b.txt", 4, "C:\\"},
      {"C:\\a\\b.txt", 5, "C:\\"},
      {"C:\\a\\b.txt", 6, "C:\\a\\b.txt"},
      {"C:\\a\\b.txt", 7, "C:\\a\\b.txt"},
      {"C:\\a\\b.txt", -1, "C:\\a\\b.txt"},
      // the first occurrence of the extension text goes, wherever it stands
      {"C:\\x\\a.txt.txt", 1, "a.txt"},
      {"C:\\x\\archive.tar.gz", 2, "gz"},
      {"C:\\x.d\\noext", 2, ""},
      {"C:\\x.d\\noext", 1, "noext"},
      {"D:file.ini", 0, "file.ini"},
      {"D:file.ini", 3, "D:\\"},
      // network paths: the drive is server and share
      {"\\\\srv\\share\\dir\\f.txt", 5, "\\\\srv\\share\\"},
      {"\\\\srv\\share\\dir\\f.txt", 4, "\\\\srv\\share\\"},
      {"\\\\srv\\share\\dir\\f.txt", 6, "\\srv\\share\\dir\\f.txt"},
      // no folder, no drive: empty stays empty
      {"name.txt", 3, ""},
      {"name.txt", 4, ""},
      {"name.txt", 5, ""},
      {"", 0, ""},
      {"C:\\dir\\", 3, "C:\\dir\\"},
      {"C:\\dir\\", 0, ""},
  };
  for (const PartCase& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " part " + std::to_string(c.part));
    EXPECT_EQ(ExtractPathPart(c.path, c.part), c.expected);
  }
}

// A fake directory tree: upper-cased path -> stored name.
const std::map<std::string, std::string>& Tree() {
  static const std::map<std::string, std::string> tree = {
      {"C:\\PROGRA~1", "Program Files"},
      {"C:\\PROGRA~1\\MYAPP", "MyApp"},
      {"C:\\PROGRA~1\\MYAPP\\README.TXT", "ReadMe.txt"},
      {"\\\\SRV\\SHARE\\DOCS", "Docs"},
  };
  return tree;
}

bool FakeFinder(const std::string& path, std::string& name) {
  std::string upper;
  for (char c : path) upper += static_cast<char>(toupper(static_cast<unsigned char>(c)));
  auto it = Tree().find(upper);
  if (it == Tree().end()) return false;
  name = it->second;
  return true;
}

TEST(LongPathName, ResolvesEachComponent) {
  const std::pair<const char*, const char*> cases[] = {
      {"c:\\progra~1\\myapp\\readme.txt", "c:\\Program Files\\MyApp\\ReadMe.txt"},
      {"\"c:\\progra~1\\myapp\\\"", "c:\\Program Files\\MyApp"},
      // a missing last level comes back as given, parents unresolved too
      {"c:\\progra~1\\missing", "c:\\progra~1\\missing"},
      {"c:\\nowhere\\myapp", "c:\\nowhere\\myapp"},
      {"c:\\progra~1\\*", "c:\\progra~1\\*"},
      {"\\\\srv\\share\\docs", "\\\\srv\\share\\Docs"},
      {"c:\\", "c:"},
      {"", ""},
  };
  for (const auto& [input, expected] : cases) {
    SCOPED_TRACE(input);
    EXPECT_EQ(LongPathName(input, FakeFinder), expected);
  }
}

TEST(LongPathName, WithoutFinderReturnsInput) {
  EXPECT_EQ(LongPathName("c:\\a\\b", nullptr), "c:\\a\\b");
}

}  // namespace
}  // namespace qel::commands
