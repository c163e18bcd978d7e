#include <gtest/gtest.h>

#include "engine/setup_caption.h"
#include "engine/startup_hooks.h"
#include "engine/startup_variables.h"
#include "engine/variables.h"

namespace qel {
namespace {

StartupFacts SampleFacts() {
  StartupFacts f;
  f.program_path = "D:\\media\\setup.exe";
  f.stub_folder = "D:\\media";
  f.root_folder = "D:\\media\\";
  f.temp_folder = "C:\\Temp\\";
  f.support_folder = "C:\\Temp\\qel0\\";
  f.package_path = "C:\\Temp\\qel0\\setup.msi";
  f.trace_path = "c:\\trace.log";
  f.command_tail = "/s TARGETDIR=X";
  f.date = "11.12.2026";
  f.time = "01:02:03";
  f.silent = true;
  return f;
}

Payload SamplePayload() {
  Payload p;
  p.title = "Demo";
  p.company = "Fernmoor";
  p.version = "2.0.1";
  p.product_code = "{ABCDEF01-2345-4678-9ABC-DEF012345678}";
  p.revision_code = "{11111111-2222-4333-8444-555555555555}";
  return p;
}

TEST(StartupVariables, BuiltinsFromFactsAndPayload) {
  TVariableManager vars;
  apply_builtin_variables(vars, SampleFacts(), SamplePayload());
  struct Expect {
    const char* name;
    const char* value;
  };
  const Expect expected[] = {
      {"EXEDIR", "D:\\media\\"},   {"EXEFILE", "D:\\media\\setup.exe"}, {"TITLE", "Demo"},
      {"COMPANY", "Fernmoor"},     {"VERSION", "2.0.1"},                 {"SILENT", "TRUE"},
      {"LOGGED", "c:\\trace.log"}, {"CMDLINE", "/s TARGETDIR=X"},        {"SETUPPATH", "$EXEDIR$"},
      {"SFXPATH", ""},             {"GPOPATH", ""},                      {"NEWLINE", "\r\n"},
      {"WIZARD", "NEXT"},          {"REBOOTNOW", "OK"},                  {"NATIVE_ENGINE", "FALSE"},
      {"OVERRIDECACHE", ""},       {"OXLE_TIMEOUT", "10"},               {"MSIFILE", "C:\\Temp\\qel0\\setup.msi"},
      {"DATE", "11.12.2026"},      {"TIME", "01:02:03"},                 {"IISHOST", "localhost"},
      {"OXLE_DISABLE_ROLLBACK", "FALSE"},
  };
  for (const Expect& e : expected) EXPECT_EQ(vars.Get(e.name), e.value) << e.name;
}

TEST(StartupVariables, EarlierEngineAndCacheChoicesSurvive) {
  TVariableManager vars;
  vars.Define("NATIVE_ENGINE", "TRUE");
  vars.Define("OVERRIDECACHE", "E:\\cache\\");
  apply_builtin_variables(vars, SampleFacts(), SamplePayload());
  EXPECT_EQ(vars.Get("NATIVE_ENGINE"), "TRUE");
  EXPECT_EQ(vars.Get("OVERRIDECACHE"), "E:\\cache\\");
}

TEST(StartupVariables, OuterPackageAndGroupPolicyPaths) {
  struct Case {
    const char* sfx;
    const char* gpo;
    const char* setup_path;
    const char* sfx_folder;
    const char* sfx_file;
    const char* gpo_folder;
  };
  const Case cases[] = {
      {"", "", "$EXEDIR$", "", "", ""},
      {"c:\\dl\\outer.exe", "", "$SFXPATH$", "c:\\dl\\", "outer.exe", ""},
      {"c:\\dl\\outer.exe", "\\\\srv\\share\\pkg.msi", "$GPOPATH$", "c:\\dl\\", "outer.exe", "\\\\srv\\share\\"},
      {"", "\\\\srv\\gpo\\x.exe", "$GPOPATH$", "", "", "\\\\srv\\gpo\\"},
  };
  for (const Case& c : cases) {
    StartupFacts f = SampleFacts();
    f.sfx_path = c.sfx;
    f.gpo_path = c.gpo;
    TVariableManager vars;
    apply_builtin_variables(vars, f, SamplePayload());
    EXPECT_EQ(vars.Get("SETUPPATH"), c.setup_path) << c.sfx << "|" << c.gpo;
    EXPECT_EQ(vars.Get("SFXPATH"), c.sfx_folder);
    EXPECT_EQ(vars.Get("SFXFILE"), c.sfx_file);
    EXPECT_EQ(vars.Get("GPOPATH"), c.gpo_folder);
  }
}

TEST(StartupVariables, CommandLinePropertiesOverrideAndPassSilentProtection) {
  TVariableManager vars;
  apply_builtin_variables(vars, SampleFacts(), SamplePayload());
  apply_pre_initialization(vars, "C:\\Program Files\\Demo\\", "Demo", true);
  const StringList properties = {"TARGETDIR", "D:\\cmd", "NEWPROP", "v", "TITLE", "$TITLE$"};
  vars.SetCommandLineProperties(properties);
  vars.SetSilent(true);
  inject_command_line_properties(vars, properties);
  EXPECT_EQ(vars.Get("TARGETDIR"), "D:\\cmd");
  EXPECT_EQ(vars.Get("NEWPROP"), "v");
  EXPECT_EQ(vars.Get("TITLE"), "") << "a value naming the variable itself stores empty";
  EXPECT_EQ(vars.Get("ALLUSERS"), "TRUE");
  EXPECT_EQ(vars.Get("STARTMENU"), "Demo");
  // Later script assignments in silent mode keep the command-line value.
  EXPECT_FALSE(vars.Assign("TARGETDIR", "C:\\other", "Set Variable Action"));
  EXPECT_EQ(vars.Get("TARGETDIR"), "D:\\cmd");
}

TEST(StartupVariables, ThreadProgressVariables) {
  TVariableManager vars;
  define_thread_progress_variables(vars, 123456789012ull);
  EXPECT_EQ(vars.Get("OXLE_thMax"), "100");
  EXPECT_EQ(vars.Get("OXLE_IsCancelled"), "FALSE");
  EXPECT_EQ(vars.Get("OXLE_LastActiveTick"), "123456789012");
  EXPECT_EQ(vars.Get("OXLE_LastDelegateTick"), "123456789012");
}

TEST(StartupNames, ResumeValueMarkerAndSingleInstance) {
  EXPECT_EQ(reboot_resume_value_name("{ABCDEF01-2345-4678-9ABC-DEF012345678}"), "ABCDEF01");
  EXPECT_EQ(reboot_resume_value_name("{ABC"), "");
  EXPECT_EQ(single_instance_marker_path("C:\\Temp\\", "{REV}"), "C:\\Temp\\{REV}.qel");
  struct Case {
    StringList compiler_variables;
    bool single;
  };
  const Case cases[] = {{{}, false},
                        {{"SINGLEINSTANCE", "TRUE"}, true},
                        {{"singleinstance", "true"}, true},
                        {{"SINGLEINSTANCE", "FALSE"}, false},
                        {{"SINGLEINSTANCE", "#ONE#", "ONE", "True"}, true}};
  for (const Case& c : cases) {
    Payload p;
    p.compiler_variables = c.compiler_variables;
    EXPECT_EQ(single_instance_requested(p), c.single) << ::testing::PrintToString(c.compiler_variables);
  }
}

TEST(StartupNames, PathParts) {
  EXPECT_EQ(folder_with_backslash("C:\\a\\b.exe"), "C:\\a\\");
  EXPECT_EQ(folder_with_backslash("C:b.exe"), "C:\\");
  EXPECT_EQ(folder_with_backslash("b.exe"), "");
  EXPECT_EQ(file_name_of("C:\\a\\b.exe"), "b.exe");
  EXPECT_EQ(with_trailing_backslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(with_trailing_backslash(""), "");
}

TEST(StartupHooksDefaults, BootstrapAndLanguage) {
  TVariableManager vars;
  Payload p = SamplePayload();
  p.default_language = "English";
  run_bootstrap(vars, p);
  EXPECT_EQ(vars.Get("MAINTENANCE"), "FALSE");
  EXPECT_EQ(vars.Get("PRODUCTCODE"), p.product_code);
  EXPECT_EQ(vars.Get("REVISIONCODE"), p.revision_code);
  std::string language;
  EXPECT_TRUE(run_language_choice(vars, p, true, language));
  EXPECT_EQ(language, "English");
}

TEST(SetupCaption, TitleAndLogoFlag) {
  set_caption_state("", false);
  EXPECT_EQ(setup_caption(), "Oakhollow Wizard");
  set_caption_state("Demo", false);
  EXPECT_EQ(setup_caption(), "Demo - Oakhollow Wizard");
  set_caption_state("Demo", true);
  EXPECT_EQ(setup_caption(), "Demo");
  set_caption_state("", false);
}

}  // namespace
}  // namespace qel
