// A plug-in library of our own that exercises the RunTimeExecute contract.
// The statement's parameter text selects what it does:
//   SET       returns A=1, B="two words", ECHO=<value of the variable IN>,
//             RESERVED=<the reserved cell>, OWNER=<owner window, 0 or 1>
//   PROGRESS  reports two steps, returns LAST_ANSWER=<the callback's last answer>
//   EMPTY     returns a result of length 0
//   FAIL      returns -1
//   UNTIL_STOPPED  reports progress every 20 ms until the engine answers 0
//   SILENT_HANG    sleeps without ever reporting
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/comma_text.h"

namespace {

using ProgressCallback = int32_t(WINAPI*)(int32_t position, const char* text);

std::string ValueOf(const char* exchange, const std::string& name) {
  const std::vector<std::string> entries = qel::SplitCommaText(exchange ? exchange : "");
  for (size_t i = 0; i + 1 < entries.size(); i += 2)
    if (lstrcmpiA(entries[i].c_str(), name.c_str()) == 0) return entries[i + 1];
  return "<missing>";
}

int32_t Answer(const std::string& text, char* buffer) {
  if (buffer) std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<int32_t>(text.size());
}

}  // namespace

extern "C" __declspec(dllexport) int32_t WINAPI RunTimeExecute(HWND owner, const char* variables,
                                                               const char* parameters, ProgressCallback progress,
                                                               int32_t* reserved, char* buffer) {
  const std::string mode = parameters ? parameters : "";
  if (mode == "SET") {
    const std::vector<std::string> result = {
        "A", "1",
        "B", "two words",
        "ECHO", ValueOf(variables, "IN"),
        "RESERVED", reserved ? std::to_string(*reserved) : "null",
        "OWNER", owner ? "1" : "0",
    };
    return Answer(qel::JoinCommaText(result), buffer);
  }
  if (mode == "PROGRESS") {
    int32_t answer = progress(10, "step one");
    answer = progress(90, "step two");
    return Answer("LAST_ANSWER," + std::to_string(answer), buffer);
  }
  if (mode == "EMPTY") return Answer("", buffer);
  if (mode == "FAIL") return -1;
  if (mode == "UNTIL_STOPPED") {
    if (!buffer) {
      while (progress(50, "waiting") != 0) Sleep(20);
    }
    return Answer("STOPPED,TRUE", buffer);
  }
  if (mode == "SILENT_HANG") {
    for (;;) Sleep(1000);
  }
  return -1;
}
