#include "native/engine/action_rules.h"

#include <gtest/gtest.h>

namespace qel::native {
namespace {

using namespace std::string_literals;

TEST(FileGroup, TakesThePairsOfOneHeaderUpToTheNext) {
  const std::vector<std::string> table{"0000000A", "NEWHEADER", "a\\one.dll", "bin",  "two.txt", "",
                                       "0000000B", "NEWHEADER", "three.exe",  "sub"};
  const auto a = FileGroup(table, "0000000a");
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].source, "a\\one.dll");
  EXPECT_EQ(a[0].second, "bin");
  EXPECT_EQ(a[1].source, "two.txt");
  const auto b = FileGroup(table, "0000000B");
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0].second, "sub");
  EXPECT_TRUE(FileGroup(table, "0000000C").empty());
}

struct IntegerCase {
  const char* text;
  bool ok;
  uint32_t value;
};

class RegistryIntegers : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(RegistryIntegers, Table) {
  uint32_t v = 0;
  EXPECT_EQ(ParseRegistryInteger(GetParam().text, v), GetParam().ok) << GetParam().text;
  if (GetParam().ok) {
    EXPECT_EQ(v, GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, RegistryIntegers,
                         ::testing::Values(IntegerCase{"42", true, 42}, IntegerCase{" 7 ", true, 7},
                                           IntegerCase{"-1", true, 0xFFFFFFFFu}, IntegerCase{"4294967295", true, 0xFFFFFFFFu},
                                           IntegerCase{"0x10", true, 16}, IntegerCase{"4294967296", false, 0},
                                           IntegerCase{"12abc", false, 0}, IntegerCase{"1.5", false, 0},
                                           IntegerCase{"", false, 0}, IntegerCase{"TRUE", false, 0}));

TEST(HexToBytes, ReadsPairsAndRejectsOddOrForeignText) {
  std::string bytes;
  ASSERT_TRUE(HexToBytes("0A ff,10", bytes));
  EXPECT_EQ(bytes, "\x0A\xFF\x10"s);
  EXPECT_FALSE(HexToBytes("ABC", bytes));
  EXPECT_FALSE(HexToBytes("zz", bytes));
}

struct MultiCase {
  const char* name;
  bool has_existing;
  std::string existing;
  bool append;
  std::string expected;
};

class MultiStrings : public ::testing::TestWithParam<MultiCase> {};

TEST_P(MultiStrings, Table) {
  const MultiCase& c = GetParam();
  EXPECT_EQ(MergeMultiString(c.has_existing ? &c.existing : nullptr, "new", c.append), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MultiStrings,
    ::testing::Values(MultiCase{"AppendKeepsOldItems", true, "a\0b\0\0"s, true, "a\0b\0new\0\0"s},
                      MultiCase{"PrependPutsNewFirst", true, "a\0b\0\0"s, false, "new\0a\0b\0\0"s},
                      MultiCase{"TrailingEmptyElementDropped", true, "a\0\0\0"s, true, "a\0new\0\0"s},
                      MultiCase{"MissingValueWritesDataAlone", false, "", true, "new\0\0"s},
                      MultiCase{"EmptyExistingAddsNoEmptyItem", true, "\0"s, true, "new\0\0"s}),
    [](const auto& info) { return std::string(info.param.name); });

struct ListCase {
  const char* list;
  const char* value;
  const char* result;  // nullptr: no change
};

class ListRemoval : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListRemoval, Table) {
  const ListCase& c = GetParam();
  std::optional<std::string> r = RemoveListItem(c.list, c.value);
  if (!c.result) {
    EXPECT_FALSE(r.has_value()) << *r;
  } else {
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, c.result);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ListRemoval,
                         ::testing::Values(ListCase{"a, b, c", "b", "a, c"}, ListCase{"a, b, c", "a", "b, c"},
                                           ListCase{"a, b, c", "c", "a, b"}, ListCase{"a,b", "B", "a"},
                                           ListCase{" only ", "only", ""}, ListCase{"abcd, e", "cd", nullptr},
                                           ListCase{"xabc, abc", "abc", "xabc"}, ListCase{"a, b", "z", nullptr}));

TEST(Environment, CombinationsAddNoSeparator) {
  EXPECT_EQ(CombineEnvironment("C:\\old", ";C:\\new", "1"), "C:\\old;C:\\new");
  EXPECT_EQ(CombineEnvironment("C:\\old", "C:\\new;", "0"), "C:\\new;C:\\old");
  EXPECT_EQ(CombineEnvironment("C:\\old", "v", "2"), "v");
  EXPECT_EQ(RemoveEnvironmentPart("C:\\old;C:\\new", ";C:\\new"), "C:\\old");
  EXPECT_FALSE(RemoveEnvironmentPart("", "x").has_value());
  EXPECT_FALSE(RemoveEnvironmentPart("C:\\old", ";C:\\new").has_value());
}

TEST(Services, DependenciesListServicesThenGroupsEachNulTerminated) {
  EXPECT_EQ(ServiceDependencies("[Tcpip$NULL$+NetworkProvider$NULL$Afd]"), "Tcpip\0Afd\0+NetworkProvider\0\0"s);
  EXPECT_EQ(ServiceDependencies("[a]$NULL$[b]"), "a\0b\0\0"s);
  EXPECT_EQ(ServiceDependencies(""), "\0\0"s);
}

TEST(Services, CodesMapToPlatformValues) {
  const std::tuple<const char*, uint32_t, uint32_t> table[] = {{"0", 2, 0}, {"1", 3, 1}, {"2", 4, 2}, {"x", 4, 2}};
  for (auto [code, start, error] : table) {
    EXPECT_EQ(ServiceStartType(code), start) << code;
    EXPECT_EQ(ServiceErrorControl(code), error) << code;
  }
  EXPECT_EQ(ServiceType("0", false), 0x10u);
  EXPECT_EQ(ServiceType("1", true), 0x120u);
}

TEST(Shortcuts, ShowCommandsAndIconIndex) {
  EXPECT_EQ(ShowCommand("0"), 1);
  EXPECT_EQ(ShowCommand("1"), 3);
  EXPECT_EQ(ShowCommand("2"), 7);
  EXPECT_EQ(IconIndex("3"), 3);
  EXPECT_EQ(IconIndex("abc"), 0);
}

TEST(Odbc, AttributeListsUseNulSeparators) {
  const auto attrs = ParseDriverAttributes("APILevel=1$NEWLINE$FileUsage=0\r\nnot a pair");
  ASSERT_EQ(attrs.size(), 2u);
  EXPECT_EQ(attrs[1], (std::pair<std::string, std::string>{"FileUsage", "0"}));
  EXPECT_EQ(DsnAttributes("My DSN", "Server=x\r\nDatabase=y"), "DSN=My DSN\0Server=x\0Database=y\0\0"s);
  EXPECT_EQ(DsnRemoveAttributes("d"), "DSN=d\0\0"s);
}

TEST(Paths, TrailingBackslashAndNames) {
  EXPECT_EQ(WithTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\a\\\\"), "C:\\a\\");
  EXPECT_EQ(FileNameOf("C:\\a\\b.dll"), "b.dll");
  EXPECT_TRUE(IsExeName("x.ExE"));
  EXPECT_FALSE(IsExeName("x.dll"));
  EXPECT_TRUE(HasWildcard("*.txt"));
  EXPECT_FALSE(HasWildcard("a.txt"));
}

}  // namespace
}  // namespace qel::native
