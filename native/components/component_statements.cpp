#include "native/components/component_statements.h"

#include <fstream>
#include <sstream>

#include "commands/bitness.h"
#include "commands/catalogue.h"
#include "engine/process_state.h"
#include "engine/variables.h"
#include "native/components/component_table.h"
#include "native/components/selection_file.h"

namespace qel::native {
namespace {

using commands::CommandParams;

// The component name parameter: translated text, slot 1.
std::string Name(const CommandParams& p) { return p.translated(1, 1); }

class ForcedRedirectionOff {
 public:
  ForcedRedirectionOff() : old_(commands::RedirectionState::ForcedDisable()) {}
  ~ForcedRedirectionOff() { commands::RedirectionState::ForcedRevert(old_); }
  ForcedRedirectionOff(const ForcedRedirectionOff&) = delete;
  ForcedRedirectionOff& operator=(const ForcedRedirectionOff&) = delete;

 private:
  void* old_;
};

}  // namespace

void DefineComponentStatement(const CommandParams& p) {
  ComponentTable& table = component_table();
  const std::string name = Name(p);
  table.Define(name, p.flag(2), p.translated(3, 2));
  // Under a language the translated name carries the size of the untranslated one.
  if (commands::CurrentParameterTranslator()) {
    const std::string untranslated = p.text(1);
    const int64_t size = table.Size(untranslated);
    if (size != 0 && !SameComponentName(untranslated, name)) table.PutSizePair(name, std::to_string(size));
  }
}

void DeleteComponentStatement(const CommandParams& p) { component_table().Delete(Name(p)); }

void SetComponentStateStatement(const CommandParams& p) { component_table().SetState(Name(p), p.flag(2)); }

void GetComponentStateStatement(const CommandParams& p) {
  p.assign(p.variable_name(2), BooleanText(component_table().IsSelected(Name(p))));
}

void SetComponentVisibilityStatement(const CommandParams& p) { component_table().SetVisible(Name(p), p.flag(2)); }

void SetComponentChoiceStatement(const CommandParams& p) { component_table().SetChoosable(Name(p), p.flag(2)); }

void SetComponentSpaceStatement(const CommandParams& p) { component_table().SetSize(Name(p), p.text(2)); }

void GetComponentSpaceStatement(const CommandParams& p) {
  const ComponentTable& table = component_table();
  const std::string name = Name(p);
  const int64_t size = name.empty() ? table.RequiredSpace() : table.Size(name);
  p.assign(p.variable_name(2), std::to_string(size));
}

void SaveFeatureSelectionsStatement(const CommandParams& p) {
  const std::string path = p.text(1);
  const std::string text = WriteFeatureSelections(
      component_table(), CollectSelectionValues(component_table(), p.vars(), commands::BitnessMode(), ""));
  ForcedRedirectionOff redirection;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

bool LoadFeatureSelectionFile(const std::string& path, bool merge) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  ApplyHooks hooks;
  hooks.set_bitness = [](const std::string& mode) { commands::SetBitnessMode(mode); };
  hooks.set_data_folder = [](const std::string& folder) {
    if (!folder.empty()) process_state().data_folder = folder;
  };
  ApplyFeatureSelections(ParseFeatureSelections(text.str()), merge, component_table(), variables(), hooks);
  return true;
}

void LoadFeatureSelectionsStatement(const CommandParams& p) { LoadFeatureSelectionFile(p.text(1), true); }

void AddComponentHandlers() {
  using commands::AddCommandHandler;
  AddCommandHandler("Define Component", DefineComponentStatement);
  AddCommandHandler("Delete Component", DeleteComponentStatement);
  AddCommandHandler("Set Component State", SetComponentStateStatement);
  AddCommandHandler("Get Component State", GetComponentStateStatement);
  AddCommandHandler("Set Component Visibility", SetComponentVisibilityStatement);
  AddCommandHandler("Set Component Choice", SetComponentChoiceStatement);
  AddCommandHandler("Set Component Space", SetComponentSpaceStatement);
  AddCommandHandler("Get Component Space", GetComponentSpaceStatement);
  AddCommandHandler("Save Feature Selections", SaveFeatureSelectionsStatement);
  AddCommandHandler("Load Feature Selections", LoadFeatureSelectionsStatement);
}

void DefinePredefinedComponent() { component_table().Define(kPredefinedComponent, true, ""); }

}  // namespace qel::native
