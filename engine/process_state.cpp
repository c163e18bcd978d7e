#include "engine/process_state.h"

namespace qel {

ProcessState& process_state() {
  static ProcessState state;
  return state;
}

}  // namespace qel
