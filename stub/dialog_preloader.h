// Pre-loading of the wizard pages before the script runs: the dialog host is
// prepared once with the support folder, then one dialog form is created per
// enabled "Display Dialog" statement, keyed by the statement index in decimal.
// The wizard registers its implementation; without one the pre-loader only
// records the requests (preloaded_dialogs()).
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "engine/payload.h"

namespace qel {

using PrepareDialogHost = void (*)(const std::string& support_folder);
using CreateDialogForm = void (*)(const std::string& dfm_path, const std::string& key);

void set_dialog_preloader(PrepareDialogHost prepare, CreateDialogForm create);

// Statement indexes of the "Display Dialog" statements (exact name) not flagged "C".
std::vector<size_t> enabled_display_dialogs(const Payload& payload);

void prepare_dialog_host(const std::string& support_folder);
void create_dialog_form(const std::string& dfm_path, const std::string& key);

// (dfm path, key) of every request since start, when no wizard is registered.
const std::vector<std::pair<std::string, std::string>>& preloaded_dialogs();

}  // namespace qel
