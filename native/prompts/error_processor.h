// The Native Error Processor: what happens after a platform call of the native
// worker failed. NATIVE_ERROR decides ("ABORT", "RETRY", "IGNORE"), otherwise
// the user is asked (a silent setup ignores).
#pragma once

#include <cstdint>
#include <string_view>

#include "native/prompts/prompt_host.h"

namespace qel {
class TVariableManager;
}

namespace qel::native {

struct ErrorDecision {
  bool abort = false;
  bool retry = false;
};

// Called on the worker thread. Code 0 is no failure: nothing is traced or asked.
ErrorDecision NativeErrorProcessor(TVariableManager& vars, bool silent, std::string_view message, int64_t code,
                                   PromptHost& host);

}  // namespace qel::native
