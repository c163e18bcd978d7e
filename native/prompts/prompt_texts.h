// The default texts of the native prompts.
#pragma once

#include <string_view>

namespace qel::native {

inline constexpr std::string_view kErrorCaption = "Error";
inline constexpr std::string_view kErrorQuestion = "Would you like to try again?";
inline constexpr std::string_view kOverwriteCaption = "Overwrite";
inline constexpr std::string_view kOverwriteQuestion = "Would you like to overwrite this file?";
inline constexpr std::string_view kOldVersionLabel = "Old file version: ";
inline constexpr std::string_view kOldDateLabel = "Old file date: ";
inline constexpr std::string_view kNewVersionLabel = "New file version: ";
inline constexpr std::string_view kNewDateLabel = "New file date: ";
inline constexpr std::string_view kNoVersionText = "<no version information>";
inline constexpr std::string_view kUnknownDateText = "<unknown date>";

inline constexpr std::string_view kContextErrorProcessor = "Native Error Processor";
inline constexpr std::string_view kContextOverwriteProcessor = "Native Overwrite Processor";

}  // namespace qel::native
