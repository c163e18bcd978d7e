#include "native/log/log_elements.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/comma_text.h"

namespace qel::native {
namespace {

TEST(LogElements, RegistryElementListsMissingKeysAndWeighsThem) {
  const LogElement e = RegistryElement(kRootLocalMachine, "Software\\A\\B", "Value", {"Software\\A\\B", "Software\\A"});
  EXPECT_EQ(e.element, "Delete Registry");
  EXPECT_EQ(SplitCommaText(e.data),
            (std::vector<std::string>{"-2147483646", "Software\\A\\B", "Value", "Software\\A\\B", "Software\\A"}));
  EXPECT_EQ(e.weight, 512u + 2 * 512u);
  EXPECT_EQ(RegistryElement(kRootCurrentUser, "K", "", {}).weight, 512u);
}

struct SingleCase {
  ForwardChange change;
  const char* element;
  uint64_t weight;
};

class SingleItemElements : public ::testing::TestWithParam<SingleCase> {};

TEST_P(SingleItemElements, NamesTheReverseOperationAndKeepsPathsWithBlanksWhole) {
  const SingleCase c = GetParam();
  const std::string path = "C:\\Program Files\\My App\\a, b.dll";
  const LogElement e = SingleItemElement(c.change, path);
  EXPECT_EQ(e.element, c.element);
  EXPECT_EQ(e.weight, c.weight);
  EXPECT_EQ(ElementFields(e.element, e.data), std::vector<std::string>{path});
}

INSTANTIATE_TEST_SUITE_P(
    Table, SingleItemElements,
    ::testing::Values(SingleCase{ForwardChange::kCreateFile, "Delete File", 1024},
                      SingleCase{ForwardChange::kRegisterFile, "Unregister File", 102400},
                      SingleCase{ForwardChange::kShareFile, "Unshare File", 512},
                      SingleCase{ForwardChange::kShareSelfRegisteringFile, "Unshare Self Registering File", 102912},
                      SingleCase{ForwardChange::kInstallAssembly, "Remove Assembly", 102400},
                      SingleCase{ForwardChange::kCreateService, "Delete Service", 5120}));

struct ForwardCase {
  ForwardChange change;
  const char* element;
  uint64_t weight;
  std::vector<std::string> fields;
};

class ForwardDataElements : public ::testing::TestWithParam<ForwardCase> {};

TEST_P(ForwardDataElements, WrapTheForwardFieldsAsOneItemAndUnwrapThem) {
  const ForwardCase& c = GetParam();
  const LogElement e = ForwardDataElement(c.change, c.fields);
  EXPECT_EQ(e.element, c.element);
  EXPECT_EQ(e.weight, c.weight);
  EXPECT_EQ(SplitCommaText(e.data).size(), 1u) << e.data;
  EXPECT_EQ(ElementFields(e.element, e.data), c.fields);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ForwardDataElements,
    ::testing::Values(
        ForwardCase{ForwardChange::kInstallOdbcDriver, "Delete ODBC Driver", 10240,
                    {"My Driver", "C:\\Program Files\\d.dll", ""}},
        ForwardCase{ForwardChange::kSetEnvironment, "Delete Environment", 1024,
                    {"-2147483646", "System\\CurrentControlSet\\Control\\Session Manager\\Environment", "PATH",
                     ";C:\\My App", "2", "FALSE"}},
        ForwardCase{ForwardChange::kEditIniFile, "Remove INI Entry", 10240,
                    {"C:\\a b\\x.ini", "Sec tion", "Key", "v \"q\", w"}},
        ForwardCase{ForwardChange::kCreateOdbcDsn, "Remove ODBC DSN", 5120, {"DSN one", "Driver", "TRUE"}}));

TEST(LogElements, FolderElementListsEveryMissingFolderAndNothingForAnExistingOne) {
  const LogElement e = FolderElement({"C:\\A\\B\\C", "C:\\A\\B"});
  EXPECT_EQ(e.element, "Delete Folder");
  EXPECT_EQ(e.weight, 2048u);
  EXPECT_EQ(ElementFields(e.element, e.data), (std::vector<std::string>{"C:\\A\\B\\C", "C:\\A\\B"}));
  EXPECT_TRUE(FolderElement({}).element.empty());
}

TEST(LogElements, MissingAncestorsStopAtTheFirstExistingLevel) {
  const std::set<std::string> existing{"C:\\", "C:\\Program Files", "Software"};
  auto exists = [&](const std::string& p) { return existing.count(p) > 0; };
  EXPECT_EQ(MissingAncestors("C:\\Program Files\\App\\bin\\", exists),
            (std::vector<std::string>{"C:\\Program Files\\App\\bin", "C:\\Program Files\\App"}));
  EXPECT_EQ(MissingAncestors("Software\\Vendor\\Product", exists),
            (std::vector<std::string>{"Software\\Vendor\\Product", "Software\\Vendor"}));
  EXPECT_TRUE(MissingAncestors("C:\\Program Files", exists).empty());
  // A drive or share root is never listed: it cannot be created or removed.
  EXPECT_EQ(MissingAncestors("Q:\\x", exists), (std::vector<std::string>{"Q:\\x"}));
  EXPECT_EQ(MissingAncestors("\\\\srv\\share\\x", exists), (std::vector<std::string>{"\\\\srv\\share\\x"}));
}

struct ParentCase {
  const char* path;
  const char* parent;
};

class ParentPaths : public ::testing::TestWithParam<ParentCase> {};

TEST_P(ParentPaths, Table) { EXPECT_EQ(ParentPath(GetParam().path), GetParam().parent); }

INSTANTIATE_TEST_SUITE_P(Table, ParentPaths,
                         ::testing::Values(ParentCase{"C:\\a\\b", "C:\\a"}, ParentCase{"C:\\a\\b\\", "C:\\a"},
                                           ParentCase{"C:\\a", "C:\\"}, ParentCase{"C:\\", ""},
                                           ParentCase{"Software\\X", "Software"}, ParentCase{"Software", ""},
                                           ParentCase{"\\\\server\\share\\x", "\\\\server\\share"},
                                           ParentCase{"\\\\server\\share", ""}, ParentCase{"/tmp/a", "/tmp"},
                                           ParentCase{"/tmp", "/"}));

TEST(LogElements, RootCodesMapToSignedHandles) {
  const std::pair<const char*, int64_t> table[] = {
      {"0", kRootClassesRoot}, {"1", kRootCurrentUser}, {"2", kRootLocalMachine}, {"3", kRootUsers}};
  for (auto [code, handle] : table) {
    int64_t h = 0;
    ASSERT_TRUE(RootHandleForCode(code, h)) << code;
    EXPECT_EQ(h, handle);
    EXPECT_FALSE(RootName(h).empty());
  }
  int64_t h = 0;
  EXPECT_FALSE(RootHandleForCode("4", h));
  EXPECT_FALSE(RootHandleForCode("", h));
}

}  // namespace
}  // namespace qel::native
