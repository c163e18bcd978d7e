#include "native/prompts/overwrite_processor.h"

#include "engine/variables.h"
#include "native/prompts/prompt_texts.h"

namespace qel::native {

OverwriteOutcome NativeOverwriteProcessor(TVariableManager& vars, const std::string& source,
                                          const std::string& destination, FileFactsSource& files, PromptHost& host) {
  OverwriteOutcome out;
  if (!files.Exists(destination)) {
    out.replace = true;
    return out;
  }
  const std::string overwrite = vars.ReadVariable("NATIVE_OVERWRITE");
  const std::string older = vars.ReadVariable("NATIVE_OVERWRITE_OLDER");
  OverwriteStep step = DecideBeforeCompare(overwrite, older);
  FileFacts old_file, new_file;
  if (step == OverwriteStep::kCompare) {
    old_file = files.Facts(destination);
    new_file = files.Facts(source);
    step = DecideAfterCompare(overwrite, older, SourceIsNewer(new_file, old_file));
  }
  if (step == OverwriteStep::kReplace) out.replace = true;
  if (step != OverwriteStep::kAsk) return out;

  switch (host.Ask(PromptKind::kConfirmation, std::string(kOverwriteCaption),
                   OverwriteQuestion(destination, old_file, new_file))) {
    case PromptAnswer::kYes:
      out.replace = true;
      break;
    case PromptAnswer::kYesToAll:
      out.replace = true;
      vars.DeclareOrAssign("NATIVE_OVERWRITE", "ALWAYS", kContextOverwriteProcessor);
      break;
    case PromptAnswer::kNo:
      break;
    case PromptAnswer::kNoToAll:
      vars.DeclareOrAssign("NATIVE_OVERWRITE", "NEVER", kContextOverwriteProcessor);
      break;
    case PromptAnswer::kCancel:
      out.cancel = true;
      vars.DeclareOrAssign("OXLE_IsCancelled", "TRUE", kContextOverwriteProcessor);
      break;
  }
  return out;
}

}  // namespace qel::native
