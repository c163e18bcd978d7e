#include "engine/setup_caption.h"

#include <mutex>

namespace qel {

namespace {
std::mutex g_mutex;
std::string g_title;
bool g_logo_only = false;
}  // namespace

void set_caption_state(std::string_view title, bool logo_only) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_title.assign(title);
  g_logo_only = logo_only;
}

std::string setup_caption() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_logo_only) return g_title;
  if (!g_title.empty()) return g_title + " - Oakhollow Wizard";
  return "Oakhollow Wizard";
}

}  // namespace qel
