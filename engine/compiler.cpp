#include "engine/compiler.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "engine/ascii.h"
#include "engine/expression.h"
#include "engine/variables.h"

namespace qel {

std::string_view ScriptLists::key(size_t i) const {
  if (!keys || i >= keys->size()) return {};
  return (*keys)[i];
}

bool ScriptLists::commented(size_t i) const { return flags && i < flags->size() && (*flags)[i] == "C"; }

std::string ScriptLists::parameter(size_t i, int n) const {
  if (!parameters) return {};
  return parameters->parameter(key(i), n);
}

ScriptLists script_lists(const Payload& payload, const ParameterLists& parameters) {
  return ScriptLists{&payload.names, &payload.keys, &payload.flags, &parameters};
}

std::vector<CompileError> CompileOutput::errors() const {
  if (ok()) return {};
  return {result};
}

bool is_legal_file_name(std::string_view name) {
  size_t cut = name.find_last_of("\\:");
  std::string_view last = cut == std::string_view::npos ? name : name.substr(cut + 1);
  return last.find_first_of("/*?\"<>|") == std::string_view::npos;
}

namespace {

constexpr std::string_view kRememberToken = "$OXLE$OXLE$";
constexpr std::string_view kContext = kContextCompilation;

struct Builtin {
  std::string_view name;
  std::string_view value;
};

// Declared before the checks so that scripts may test them without setting them.
constexpr Builtin kBuiltins[] = {
    {"OXLE_TIMEOUT", "FALSE"}, {"GPOPATH", "FALSE"}, {"SETUPPATH", "FALSE"}, {"NATIVE_ENGINE", "FALSE"},
    {"NATIVE_OLDLOG", ""}, {"NATIVE_LOGGING", ""}, {"NATIVE_ROLLBACK", "TRUE"},
    {"NATIVE_ERROR", "PROMPT"}, {"NATIVE_OVERWRITE", "PROMPT"}, {"NATIVE_OVERWRITE_OLDER", "FALSE"},
    {"NATIVE_PROGRESS", "0"}, {"DELAYUNTIL_APPLYCHANGES", "FALSE"},
    {"OXLE_COMPRESSCACHE", ""}, {"OXLE_DISABLEROLLBACK", ""}, {"OXLE_DISABLEVISTARESTARTMANAGER", ""},
    {"IISHOST", ""}, {"OVERRIDECACHE", ""}, {"OXLELOGO", ""}, {"TIME", ""}, {"DATE", ""},
    {"NEWINSTANCE", ""}, {"SELECTED", ""}, {"WINDOWHANDLE", ""}, {"EXEDIR", ""}, {"EXEFILE", ""},
    {"UNINSTALLLINK", ""}, {"ENGINECACHE", ""}, {"COPYWEBLOCK", ""}, {"ABORT", ""}, {"SILENT", ""},
    {"LOGGED", ""}, {"CMDLINE", ""}, {"REBOOTNOW", ""}, {"SFXPATH", ""}, {"SFXFILE", ""},
    {"LASTERROR", ""}, {"PROGRESSMODE", ""}, {"CUSTOM_TASKBAR_PROGRESS_ENABLED", ""},
    {"CUSTOM_TASKBAR_PROGRESS_PERCENT", ""}, {"CUSTOM_TASKBAR_PROGRESS_MAX", ""}, {"PROGRESSTEXT", ""},
    {"PROGRESS", ""}, {"LICENSE", ""}, {"USERNAME", ""}, {"USERCOMPANY", ""}, {"REBOOTCOMPUTER", ""},
    {"RUNAPP", ""}, {"WIZARD", ""}, {"VERSION", ""}, {"TARGETDIR", ""}, {"STARTMENU", ""},
    {"ADVERTISE", ""}, {"ALLUSERS", ""}, {"COMPLETE", ""}, {"MINIMUM", ""}, {"PERSONALIZED", ""},
    {"GLASS", ""}, {"MODIFY", ""}, {"REPAIR", ""}, {"REMOVE", ""}, {"DATADIR", ""},
    {"PRODUCTCODE", ""}, {"REVISIONCODE", ""}, {"ROOTDIR", ""}, {"MAINTENANCE", ""}, {"NEWLINE", ""},
    {"NEEDSUPGRADE", ""}, {"RECOMMENDEDUPGRADE", ""}, {"TITLE", ""}, {"COMPANY", ""}, {"TEMPDIR", ""},
    {"SUPPORTDIR", ""}, {"MSIFILE", ""}, {"LANGUAGE", ""}, {"ABORTONERROR", ""}, {"ABORTEDONERROR", ""},
    {"SAVEDATA", ""},
};

// The per-statement rules of the result-variable pass.
enum class Rule {
  None,
  WebMediaBlock,
  Result1,  // parameter n required and declared (n in the table below)
  Result2,
  Result3,
  Result4,
  Mathematics,
  ReadFromTextFile,
  ParseString,
  EvaluateExpression,
  SetVariable,
  Declare1,
  Declare2,
  Declare3,
  Declare5,
  Declare8,
  SystemRestore,
  DisplayDialog,
  ExistsAsName1,
  GoToLabel,
  Condition,
  DeleteFiles,
  InstallFiles,
  ActionState,
};

const std::unordered_map<std::string_view, Rule>& rules() {
  static const auto* table = new std::unordered_map<std::string_view, Rule>{
      {"Web Media Block", Rule::WebMediaBlock},
      {"Get Folder Location", Rule::Result1}, {"Get INI File Settings", Rule::Result1},
      {"Get XML File Settings", Rule::Result1}, {"Check File Version", Rule::Result1},
      {"Get System Settings", Rule::Result1}, {"Get OS or SP Level", Rule::Result1},
      {"Read Registry", Rule::Result1}, {"Check Registry", Rule::Result1},
      {"Does File/Folder Exist", Rule::Result1}, {"Localization Variable", Rule::Result1},
      {"Get Temporary File", Rule::Result1}, {"Get IIS Property", Rule::Result1},
      {"Get IIS Site List", Rule::Result1}, {"Check Disk Space", Rule::Result1},
      {"IIS Anonymous User", Rule::Result1},
      {"Is MSI Setup Installed", Rule::Result2}, {"Get File Version", Rule::Result2},
      {"Get Environment", Rule::Result2}, {"Get IIS Site Index", Rule::Result2},
      {"Check Process", Rule::Result2}, {"Get Component State", Rule::Result2},
      {"Get Component Space", Rule::Result2},
      {"Check Service", Rule::Result3},
      {"Find All Files", Rule::Result4},
      {"Mathematics", Rule::Mathematics},
      {"Read from Text File", Rule::ReadFromTextFile},
      {"Parse String", Rule::ParseString},
      {"Evaluate Expression", Rule::EvaluateExpression},
      {"Set Variable", Rule::SetVariable},
      {"Extract 7Zip Archive", Rule::Declare3}, {"Register Library", Rule::Declare3},
      {"Run Light Mode Setup", Rule::Declare2}, {"Terminate Process", Rule::Declare2},
      {"Apply Changes", Rule::Declare2},
      {"Run Program", Rule::Declare5},
      {"Run Program As", Rule::Declare8},
      {"MessageBox", Rule::Declare5},
      {"Apply Patch", Rule::Declare1},
      {"System Restore", Rule::SystemRestore},
      {"Display Dialog", Rule::DisplayDialog},
      {"Convert Path", Rule::ExistsAsName1}, {"Convert Case", Rule::ExistsAsName1},
      {"Extract Path", Rule::ExistsAsName1}, {"Replace String", Rule::ExistsAsName1},
      {"GoTo Label", Rule::GoToLabel},
      {"If", Rule::Condition}, {"Else If", Rule::Condition}, {"While", Rule::Condition},
      {"Until", Rule::Condition},
      {"Delete Files", Rule::DeleteFiles},
      {"Install Files", Rule::InstallFiles},
      {"Copy/Move Local Files", Rule::ActionState}, {"Create Folder", Rule::ActionState},
      {"Create Shortcut", Rule::ActionState}, {"Advertised Shortcut", Rule::ActionState},
      {"Edit INI File", Rule::ActionState}, {"Install Assembly", Rule::ActionState},
      {"Set Environment", Rule::ActionState}, {"Install Service", Rule::ActionState},
      {"Install ODBC Driver", Rule::ActionState}, {"Create ODBC DSN", Rule::ActionState},
      {"Control Service", Rule::ActionState}, {"Write Registry", Rule::ActionState},
      {"Create File Type", Rule::ActionState}, {"Advertised File Type", Rule::ActionState},
  };
  return *table;
}

class Compiler {
 public:
  Compiler(const ScriptLists& script, TVariableManager& vars, CompileOutput& out)
      : s_(script), vars_(vars), out_(out) {}

  void run() {
    reset();
    if (!block_check()) return;
    if (!count_check()) return;
    if (!collect_labels()) return;
    early_declarations();
    if (!result_variables()) return;
    wizard_loop_contents();
  }

 private:
  bool fail(int32_t code, std::string message) {
    out_.result.code = code;
    out_.result.message = std::move(message);
    return false;
  }

  void declare(std::string_view name, std::string_view value = {}) {
    if (!name.empty()) vars_.DeclareOrAssign(name, value, kContext);
  }

  // A result variable named in a parameter: "$NAME$" declares NAME, anything else
  // declares the text itself, upper-cased.
  void declare_result(std::string_view value) {
    if (value.empty()) return;
    declare(ToUpperAscii(VariableNameOf(value)));
  }

  bool exists_as_name_or_reference(std::string_view value) const {
    std::string_view ref = ReferenceName(value);
    return vars_.Exists(ref.empty() ? value : ref);
  }
  bool exists_when_reference(std::string_view value) const {
    std::string_view ref = ReferenceName(value);
    return ref.empty() || vars_.Exists(ref);
  }

  void reset() {
    out_ = CompileOutput{};
    vars_.Clear();
    for (const Builtin& b : kBuiltins) declare(b.name, b.value);
    out_.result = {kCompileSuccess, std::string(kCompileSuccessMessage)};
  }

  bool block_check() {
    if (!s_.flags) return true;
    struct Counters {
      int openers = 0, ends = 0, whiles = 0, wends = 0, repeats = 0, untils = 0;
      int depth = 0, if_depth = 0, while_depth = 0, repeat_depth = 0;
    } c;
    bool wizard_flag = false;
    // The depths of the other two kinds when each open block was opened.
    struct Pair {
      int a, b;
    };
    std::vector<Pair> if_stack, while_stack, repeat_stack;

    for (size_t i = 0; i < s_.size(); ++i) {
      if (s_.commented(i)) continue;
      const std::string& name = s_.name(i);
      const auto code = static_cast<int32_t>(i);
      if (name == "If") {
        ++c.openers, ++c.depth, ++c.if_depth;
        wizard_flag = false;
        if_stack.push_back({c.while_depth, c.repeat_depth});
      } else if (name == "Wizard Loop") {
        ++c.openers, ++c.depth;
        wizard_flag = true;
      } else if (name == "End") {
        ++c.ends, --c.depth;
        if (wizard_flag) continue;
        --c.if_depth;
        // Nothing open to close: the count check reports the surplus.
        if (if_stack.empty()) continue;
        if (if_stack.back().a != c.while_depth || if_stack.back().b != c.repeat_depth)
          return fail(code, "IF conditional closed outside of LOOP scope");
        if_stack.pop_back();
      } else if (name == "Break" || name == "Continue") {
        if (c.repeats == c.untils && c.whiles == c.wends)
          return fail(code, name + " not allowed outside of LOOP scope");
      } else if (name == "While") {
        ++c.whiles, ++c.depth, ++c.while_depth;
        while_stack.push_back({c.if_depth, c.repeat_depth});
      } else if (name == "Wend") {
        ++c.wends, --c.depth, --c.while_depth;
        if (while_stack.empty()) continue;
        if (while_stack.back().a != c.if_depth || while_stack.back().b != c.repeat_depth)
          return fail(code, "WHILE loop closed outside of CONDITIONAL or REPEAT loop scope");
        while_stack.pop_back();
      } else if (name == "Repeat") {
        ++c.repeats, ++c.depth, ++c.repeat_depth;
        repeat_stack.push_back({c.if_depth, c.while_depth});
      } else if (name == "Until") {
        ++c.untils, --c.depth, --c.repeat_depth;
        if (repeat_stack.empty()) continue;
        if (repeat_stack.back().a != c.if_depth || repeat_stack.back().b != c.while_depth)
          return fail(code, "REPEAT loop closed outside of CONDITIONAL or WHILE loop scope");
        repeat_stack.pop_back();
      } else if (name == "Label") {
        if (c.depth != 0) return fail(code, "LABEL statements cannot be nested inside loops/conditionals");
      }
    }
    const int counts[6] = {c.openers, c.ends, c.whiles, c.wends, c.repeats, c.untils};
    std::copy(std::begin(counts), std::end(counts), std::begin(counts_));
    return true;
  }

  bool count_check() {
    struct Check {
      int open, close;
      const char* too_few;
      const char* too_many;
    };
    const Check checks[] = {
        {counts_[0], counts_[1], "Insufficient END statements", "Too many END statements"},
        {counts_[2], counts_[3], "Insufficient WEND statements", "Too many WEND statements"},
        {counts_[4], counts_[5], "Insufficient UNTIL statements", "Too many UNTIL statements"},
    };
    for (const Check& k : checks) {
      if (k.open != k.close) return fail(kCompileUnbalanced, k.open > k.close ? k.too_few : k.too_many);
    }
    return true;
  }

  bool collect_labels() {
    for (size_t i = 0; i < s_.size(); ++i) {
      if (s_.name(i) != "Label") continue;
      std::string written = s_.parameter(i, 1);
      std::string upper = ToUpperAscii(written);
      if (!label_set_.insert(upper).second)
        return fail(static_cast<int32_t>(i), "LABEL re-defined: " + written);
      out_.labels.push_back(std::move(upper));
    }
    return true;
  }

  void early_declarations() {
    for (size_t i = 0; i < s_.size(); ++i) {
      if (s_.name(i) != "Set Variable") continue;
      std::string target = s_.parameter(i, 1);
      size_t at = target.find(kRememberToken);
      if (at == std::string::npos) continue;
      bool remember = std::string_view(target).substr(at + kRememberToken.size()) == "TRUE";
      std::string_view name = std::string_view(target).substr(0, at);
      if (remember && !vars_.Exists(name)) declare(ToUpperAscii(name));
    }
  }

  bool result_variables() {
    out_.action_states.reserve(s_.size());
    for (size_t i = 0; i < s_.size(); ++i) {
      out_.action_states.emplace_back("SKIP");
      if (s_.commented(i) || s_.name(i) == "Comment") continue;
      auto it = rules().find(s_.name(i));
      if (it == rules().end()) continue;
      if (!check_statement(i, it->second)) return false;
    }
    return true;
  }

  bool required(size_t i, std::string_view value) {
    if (value.empty()) return fail(static_cast<int32_t>(i), "Variable required");
    return true;
  }
  bool required_and_declared(size_t i, int n) {
    std::string value = s_.parameter(i, n);
    if (!required(i, value)) return false;
    declare_result(value);
    return true;
  }
  bool not_defined(size_t i, std::string_view name) {
    return fail(static_cast<int32_t>(i), "Variable not defined: " + std::string(name));
  }

  bool check_statement(size_t i, Rule rule) {
    const auto code = static_cast<int32_t>(i);
    auto p = [&](int n) { return s_.parameter(i, n); };
    switch (rule) {
      case Rule::None:
        return true;
      case Rule::WebMediaBlock: {
        std::string name = p(1);
        if (!is_legal_file_name(name)) return fail(code, "Web Media Block name must be a legal file name");
        if (!name.empty() && p(2).empty())
          return fail(code, "Web Media Block must have at least one download URL");
        return true;
      }
      case Rule::Result1: return required_and_declared(i, 1);
      case Rule::Result2: return required_and_declared(i, 2);
      case Rule::Result3: return required_and_declared(i, 3);
      case Rule::Result4: return required_and_declared(i, 4);
      case Rule::Mathematics: {
        std::string op = p(3), result = p(4);
        if (op != "13" && op != "14" && !required(i, result)) return false;
        declare_result(result);
        return true;
      }
      case Rule::ReadFromTextFile:
        if (!required_and_declared(i, 2)) return false;
        declare_result(p(3));
        return true;
      case Rule::ParseString: {
        std::string a = p(3), b = p(4);
        if (a.empty() && b.empty()) return fail(code, "Variable required");
        declare_result(a);
        declare_result(b);
        return true;
      }
      case Rule::EvaluateExpression:
        if (!required_and_declared(i, 2)) return false;
        if (!ExpressionSyntaxOk(p(1)))
          return fail(code,
                      "Syntax error in expression. Please review the help topic \"Evaluate Expression\" "
                      "for the correct syntax.");
        return true;
      case Rule::SetVariable: {
        std::string target = p(1);
        size_t at = target.find(kRememberToken);
        if (at != std::string::npos) target.resize(at);
        if (!required(i, target)) return false;
        declare_result(target);
        return true;
      }
      case Rule::Declare1: declare_result(p(1)); return true;
      case Rule::Declare2: declare_result(p(2)); return true;
      case Rule::Declare3: declare_result(p(3)); return true;
      case Rule::Declare5: declare_result(p(5)); return true;
      case Rule::Declare8: declare_result(p(8)); return true;
      case Rule::SystemRestore:
        if (IsTrue(p(1))) return required_and_declared(i, 3);
        return true;
      case Rule::DisplayDialog: {
        if (p(1).empty()) return fail(code, "Dialog name not specified");
        declare_result(p(2));
        std::string option = p(4);
        if (!option.empty() && !exists_as_name_or_reference(option)) return not_defined(i, option);
        return true;
      }
      case Rule::ExistsAsName1: {
        std::string name = p(1);
        if (!vars_.Exists(name)) return not_defined(i, name);
        return true;
      }
      case Rule::GoToLabel: {
        std::string target = p(1);
        if (!label_set_.count(ToUpperAscii(target))) return fail(code, "LABEL undefined: " + target);
        return true;
      }
      case Rule::Condition: {
        std::string p1 = p(1);
        if (!required(i, p1)) return false;
        if (p(2) == "5") return true;
        std::string p3 = p(3);
        bool first_ok = exists_as_name_or_reference(p1);
        bool third_ok = exists_when_reference(p3);
        if (!third_ok) return not_defined(i, p3);
        if (!first_ok) return not_defined(i, p1);
        return true;
      }
      case Rule::DeleteFiles:
        if (!IsTrue(p(3)) && !IsTrue(p(4))) return fail(code, "At least one delete mode must be selected");
        out_.action_states[i] = "FALSE";
        return true;
      case Rule::InstallFiles:
        if (p(3).empty())
          return fail(code,
                      "A target folder must be specified for files that are being installed.\r"
                      "The value $TARGETDIR$ represents the destination folder chosen by the user.");
        out_.action_states[i] = "FALSE";
        return true;
      case Rule::ActionState:
        out_.action_states[i] = "FALSE";
        return true;
    }
    return true;
  }

  void wizard_loop_contents() {
    bool inside = false;
    for (size_t i = 0; i < s_.size(); ++i) {
      if (s_.commented(i)) continue;
      const std::string& name = s_.name(i);
      if (name == "Wizard Loop") {
        inside = true;
      } else if (name == "End" && inside) {
        inside = false;
      } else if (inside && name != "Display Dialog" && name != "Comment" && name != "Ignore") {
        fail(static_cast<int32_t>(i), "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP");
        return;
      }
    }
  }

  const ScriptLists& s_;
  TVariableManager& vars_;
  CompileOutput& out_;
  int counts_[6] = {0, 0, 0, 0, 0, 0};
  std::unordered_set<std::string> label_set_;
};

}  // namespace

CompileOutput compile_script(const ScriptLists& script, TVariableManager& vars) {
  CompileOutput out;
  Compiler(script, vars, out).run();
  return out;
}

std::vector<LabelEntry> build_label_table(const ScriptLists& script) {
  std::vector<LabelEntry> table;
  for (size_t i = 0; i < script.size(); ++i) {
    if (script.name(i) == "Label") table.push_back({ToUpperAscii(script.parameter(i, 1)), i});
  }
  return table;
}

}  // namespace qel
