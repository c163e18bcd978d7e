// "Display Dialog" and "Hide Dialog" run by the executor through the command
// table, with pages pre-loaded through the stub's pre-loader.
#include "engine/executor.h"
#include "engine/tests/script_builder.h"
#include "tests/wizard_pages/page_fixture.h"

namespace qel::testing {
namespace {

// Statement parameter blocks as the builder writes them: all six lines (a
// shorter block would read the next statement's lines as its own).
Stmt display(const char* page, const char* result, const char* modal) {
  return {"Display Dialog", {page, result, modal, "", "", ""}};
}

// Keeps the exception report that would end the script.
class RecordingHost : public ExecutorHost {
 public:
  void report_exception(Executor&, size_t, const std::string& text) override { error = text; }
  std::string error;
};

class DialogStatements : public PageTest {
 protected:
  // Runs the statements; pages are keyed by statement index, so the test
  // pre-loads the page each "Display Dialog" names under its index.
  void run(const std::vector<Stmt>& statements) {
    script_ = std::make_unique<TestScript>(statements);
    wizard::dialog_host().unload_all();
    prepare_dialog_host(folder_);
    for (size_t i = 0; i < statements.size(); ++i)
      if (statements[i].name == "Display Dialog")
        create_dialog_form(folder_ + statements[i].params[0] + ".dfm", std::to_string(i));
    Executor executor(script_->lists(), variables(), host_);
    executor.set_payload(&script_->payload());
    executor.prepare();
    EXPECT_EQ(executor.run(), RunEnd::Finished) << host_.error;
  }
  HWND page_window(size_t index) { return wizard::dialog_host().dialog(std::to_string(index))->hwnd(); }
  void click_later(size_t index, const char* control) {
    HWND h = wizard::dialog_host().dialog(std::to_string(index))->form().find(control)->hwnd();
    PostMessageA(h, BM_CLICK, 0, 0);
  }

  RecordingHost host_;
  std::unique_ptr<TestScript> script_;
};

TEST_F(DialogStatements, AreRegisteredForTheWizard) {
  for (const char* name : {"Display Dialog", "Hide Dialog"}) {
    const CommandTable::Entry* e = command_table().find(name);
    ASSERT_NE(e, nullptr) << name;
    EXPECT_EQ(e->owner, "wizard") << name;
  }
}

TEST_F(DialogStatements, NonModalPageThenHideDialog) {
  run({display("progress", "$R$", "FALSE"),
       Set("HANDLE_SEEN", "$WINDOWHANDLE$"),
       Bare("Hide Dialog")});
  const HWND page = page_window(0);
  EXPECT_EQ(variables().Get("R"), "NOTMODAL");
  EXPECT_EQ(variables().Get("HANDLE_SEEN"), std::to_string(reinterpret_cast<uintptr_t>(page)));
  EXPECT_EQ(variables().Get("WINDOWHANDLE"), "0");
  EXPECT_FALSE(IsWindowVisible(page));
}

TEST_F(DialogStatements, Tag5ControlStoresItsNameInUpperCase) {
  // The click waits in the queue until the modal page processes messages.
  script_ = nullptr;
  wizard::dialog_host().unload_all();
  prepare_dialog_host(folder_);
  create_dialog_form(folder_ + "choice.dfm", "0");
  click_later(0, "btnRepair");
  TestScript script({display("choice", "$R$", "TRUE")});
  Executor executor(script.lists(), variables(), host_);
  executor.set_payload(&script.payload());
  executor.prepare();
  EXPECT_EQ(executor.run(), RunEnd::Finished) << host_.error;
  EXPECT_EQ(variables().Get("R"), "BTNREPAIR");
  EXPECT_EQ(variables().Get("WINDOWHANDLE"), "0");
}

TEST_F(DialogStatements, WizardLoopMovesOnWithoutAResultVariable) {
  wizard::dialog_host().unload_all();
  prepare_dialog_host(folder_);
  create_dialog_form(folder_ + "choice.dfm", "1");
  click_later(1, "btnNext");
  TestScript script({Bare("Wizard Loop"), display("choice", "", "FALSE"), Bare("End"),
                     Set("AFTER", "reached")});
  Executor executor(script.lists(), variables(), host_);
  executor.set_payload(&script.payload());
  executor.prepare();
  EXPECT_EQ(executor.run(), RunEnd::Finished) << host_.error;
  EXPECT_EQ(variables().Get("AFTER"), "reached");
}

TEST(WizardStatements, InsideWizardLoop) {
  TestScript script({Bare("Wizard Loop"), {"Display Dialog", {"a"}}, Commented(Bare("End")),
                     {"Display Dialog", {"b"}}, Bare("End"), {"Display Dialog", {"c"}}, Bare("Ignore"),
                     If("X", "0", "1"), Bare("End"), {"Display Dialog", {"d"}}});
  struct Case {
    size_t index;
    bool inside;
  } cases[] = {{1, true}, {3, true}, {5, false}, {9, false}, {0, false}};
  for (const Case& c : cases) EXPECT_EQ(stub::inside_wizard_loop(script.lists(), c.index), c.inside) << c.index;
}

TEST(WizardStatements, OutcomeWords) {
  struct Case {
    int outcome;
    const char* name;
    const char* word;
  } cases[] = {{0, "", "NOTMODAL"}, {2, "", "CANCEL"}, {6, "", "NEXT"}, {7, "", "BACK"},
               {8, "btnRepair", "BTNREPAIR"}, {1, "", "FINISHED"}, {-1, "", ""}};
  for (const Case& c : cases) EXPECT_EQ(stub::outcome_word(c.outcome, c.name), c.word) << c.outcome;
}

}  // namespace
}  // namespace qel::testing
