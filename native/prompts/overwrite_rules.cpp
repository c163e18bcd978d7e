#include "native/prompts/overwrite_rules.h"

#include "engine/ascii.h"
#include "native/prompts/prompt_texts.h"

namespace qel::native {

std::string VersionText(const FileFacts& facts) {
  if (!facts.HasVersion()) return std::string(kNoVersionText);
  return std::to_string(facts.version[0]) + "." + std::to_string(facts.version[1]) + "." +
         std::to_string(facts.version[2]) + "." + std::to_string(facts.version[3]);
}

std::string DateText(const FileFacts& facts) {
  return facts.has_time && !facts.date_text.empty() ? facts.date_text : std::string(kUnknownDateText);
}

bool SourceIsNewer(const FileFacts& source, const FileFacts& destination) {
  if (source.HasVersion() && destination.HasVersion()) {
    for (size_t i = 0; i < 4; ++i) {
      if (source.version[i] != destination.version[i]) return source.version[i] > destination.version[i];
    }
    return false;
  }
  if (!destination.HasVersion()) {
    return source.has_time && destination.has_time && destination.modified < source.modified;
  }
  return false;  // only the new file lacks a version
}

OverwriteStep DecideBeforeCompare(std::string_view overwrite, std::string_view overwrite_older) {
  if (EqualsNoCase(overwrite, "NEVER")) return OverwriteStep::kKeep;
  if (EqualsNoCase(overwrite, "ALWAYS") && EqualsNoCase(overwrite_older, "TRUE")) return OverwriteStep::kReplace;
  return OverwriteStep::kCompare;
}

OverwriteStep DecideAfterCompare(std::string_view overwrite, std::string_view overwrite_older, bool source_newer) {
  const bool older = EqualsNoCase(overwrite_older, "TRUE");
  if (EqualsNoCase(overwrite, "ALWAYS")) return source_newer ? OverwriteStep::kReplace : OverwriteStep::kKeep;
  if (older || source_newer) return OverwriteStep::kAsk;
  return OverwriteStep::kKeep;
}

std::string OverwriteQuestion(const std::string& destination, const FileFacts& old_file, const FileFacts& new_file) {
  std::string text = destination;
  text += "\r\r";
  text += kOldVersionLabel;
  text += VersionText(old_file);
  text += "\r";
  text += kOldDateLabel;
  text += DateText(old_file);
  text += "\r\r";
  text += kNewVersionLabel;
  text += VersionText(new_file);
  text += "\r";
  text += kNewDateLabel;
  text += DateText(new_file);
  text += "\r\r";
  text += kOverwriteQuestion;
  return text;
}

}  // namespace qel::native
