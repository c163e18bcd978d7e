// What a native run leaves for the script thread: the native result, the last
// native error text and whether a locked file was scheduled for replacement at
// restart. The worker writes these from its thread; each access is atomic.
#pragma once

#include <string>
#include <string_view>

namespace qel::native {

// 1 success, 0 aborted or cancelled, -1 an error ended the run.
inline constexpr int kNativeSuccess = 1;
inline constexpr int kNativeAborted = 0;
inline constexpr int kNativeError = -1;

int NativeResult();
void SetNativeResult(int result);

std::string LastNativeError();
void SetLastNativeError(std::string_view text);

// Sticky for the whole run once set.
bool RestartRequired();
void SetRestartRequired(bool required);

// The worker's finished flag, cleared by the spooler before each run.
bool NativeThreadFinished();
void SetNativeThreadFinished(bool finished);

}  // namespace qel::native
