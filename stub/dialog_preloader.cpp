#include "stub/dialog_preloader.h"

namespace qel {
namespace {

PrepareDialogHost g_prepare = nullptr;
CreateDialogForm g_create = nullptr;
std::vector<std::pair<std::string, std::string>> g_recorded;

}  // namespace

void set_dialog_preloader(PrepareDialogHost prepare, CreateDialogForm create) {
  g_prepare = prepare;
  g_create = create;
}

std::vector<size_t> enabled_display_dialogs(const Payload& payload) {
  std::vector<size_t> out;
  for (size_t i = 0; i < payload.names.size(); ++i) {
    const bool commented = i < payload.flags.size() && payload.flags[i] == "C";
    if (payload.names[i] == "Display Dialog" && !commented) out.push_back(i);
  }
  return out;
}

void prepare_dialog_host(const std::string& support_folder) {
  if (g_prepare) g_prepare(support_folder);
}

void create_dialog_form(const std::string& dfm_path, const std::string& key) {
  if (g_create)
    g_create(dfm_path, key);
  else
    g_recorded.emplace_back(dfm_path, key);
}

const std::vector<std::pair<std::string, std::string>>& preloaded_dialogs() { return g_recorded; }

}  // namespace qel
