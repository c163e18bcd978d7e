// The caption of the engine's message boxes. The executor copies TITLE and
// OXLELOGO here before every statement.
#pragma once

#include <string>
#include <string_view>

namespace qel {

void set_caption_state(std::string_view title, bool logo_only);
// OXLELOGO "TRUE": the title alone; else title + " - Oakhollow Wizard" when a
// title is known; else "Oakhollow Wizard".
std::string setup_caption();

}  // namespace qel
