#include "native/prompts/error_processor.h"

#include <string>

#include "engine/ascii.h"
#include "engine/trace.h"
#include "engine/variables.h"
#include "native/prompts/prompt_texts.h"

namespace qel::native {

ErrorDecision NativeErrorProcessor(TVariableManager& vars, bool silent, std::string_view message, int64_t code,
                                   PromptHost& host) {
  ErrorDecision d;
  if (code == 0) return d;
  trace("        <NATIVE ERROR>");
  trace("          < " + std::string(message) + " >");
  trace("        </NATIVE ERROR>");

  const std::string mode = vars.ReadVariable("NATIVE_ERROR");
  if (EqualsNoCase(mode, "RETRY")) {
    d.retry = true;
    return d;
  }
  if (EqualsNoCase(mode, "IGNORE")) return d;
  if (EqualsNoCase(mode, "ABORT")) {
    d.abort = true;
    vars.DeclareOrAssign("OXLE_IsCancelled", "TRUE", kContextErrorProcessor);
    return d;
  }
  if (silent) return d;

  const std::string text = std::string(message) + "\r\r" + std::string(kErrorQuestion);
  switch (host.Ask(PromptKind::kError, std::string(kErrorCaption), text)) {
    case PromptAnswer::kYes:
      d.retry = true;
      break;
    case PromptAnswer::kNo:
      break;
    case PromptAnswer::kCancel:
      d.abort = true;
      vars.DeclareOrAssign("OXLE_IsCancelled", "TRUE", kContextErrorProcessor);
      break;
    case PromptAnswer::kYesToAll:
      d.retry = true;
      vars.DeclareOrAssign("NATIVE_ERROR", "RETRY", kContextErrorProcessor);
      break;
    case PromptAnswer::kNoToAll:
      vars.DeclareOrAssign("NATIVE_ERROR", "IGNORE", kContextErrorProcessor);
      break;
  }
  return d;
}

}  // namespace qel::native
