// Builds the action record of a deferred statement from its parameter block,
// as the native engine records it: parameters expanded at record time, the
// translated ones through their translation slots.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "commands/command_params.h"
#include "native/model/action_record.h"
#include "native/model/folder_weight.h"

namespace qel::native {

// Write Registry root code: "4" becomes "2" when all_users, else "1"; every
// other code stays as written.
std::string ResolveRootCode(std::string_view code, bool all_users);

// The part of a parameter before / after its first "|" (after: "" without one).
std::string_view LeftOfBar(std::string_view text);
std::string_view RightOfBar(std::string_view text);

// Every "[" and "]" replaced by "$", so that "[NAME]" reads as a variable.
std::string BracketsToDollars(std::string_view text);

// A translated parameter read as a path: the translation (when one applies)
// replaces the raw line, which is then expanded as a path parameter.
std::string LocalizedPath(const commands::CommandParams& params, int n, int slot);

// The record of the statement named by params.command(). header is the
// statement's command header ("" when it has none). A name that is no
// deferred action with fields gets an empty record.
ActionRecord BuildActionRecord(const commands::CommandParams& params, std::string_view header);

// What a queued action adds to the queued weight: the fixed weight of its kind,
// or for "Copy/Move Local Files" the bytes its source folder and mask match.
int64_t QueueWeight(ActionKind kind, const ActionRecord& record, FolderLister& lister);

}  // namespace qel::native
