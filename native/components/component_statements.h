// The component statements: "Define Component" ... "Load Feature Selections".
#pragma once

#include <string>
#include <string_view>

#include "commands/command_params.h"

namespace qel::native {

void DefineComponentStatement(const commands::CommandParams& p);
void DeleteComponentStatement(const commands::CommandParams& p);
void SetComponentStateStatement(const commands::CommandParams& p);
void GetComponentStateStatement(const commands::CommandParams& p);
void SetComponentVisibilityStatement(const commands::CommandParams& p);
void SetComponentChoiceStatement(const commands::CommandParams& p);
void SetComponentSpaceStatement(const commands::CommandParams& p);
void GetComponentSpaceStatement(const commands::CommandParams& p);
void SaveFeatureSelectionsStatement(const commands::CommandParams& p);
void LoadFeatureSelectionsStatement(const commands::CommandParams& p);

// Registers the ten statements (owner "components").
void AddComponentHandlers();

// Start-up: "OXLE-PREDEF-COMPONENT", no description, selected.
void DefinePredefinedComponent();

// Reads a feature selection file from disk into the table (merge or not);
// false when the file cannot be read. Used by "Load Feature Selections" and
// the maintenance start-up.
bool LoadFeatureSelectionFile(const std::string& path, bool merge);

}  // namespace qel::native
