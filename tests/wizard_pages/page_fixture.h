// Loads the wizard page fixtures into the dialog host as the stub does, for
// tests that run in the same process (headless Wine is enough).
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "engine/variables.h"
#include "stub/dialog_preloader.h"
#include "stub/wizard_wiring.h"
#include "wizard/dialog_host.h"
#include "wizard/progress/progress_display.h"
#include "wizard/tray/image_list_pool.h"
#include "wizard/tray/taskbar.h"
#include "wizard/tray/tray.h"

namespace qel::testing {

// A build-host path as Wine shows it.
inline std::string wine_path(const std::string& unix_path) {
  std::string out = "Z:" + unix_path;
  for (char& c : out)
    if (c == '/') c = '\\';
  if (out.back() != '\\') out += '\\';
  return out;
}

// Wine without a display (graphics driver "null") has no notification area.
inline bool without_display() {
  char value[32] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Wine\\Drivers", "Graphics", RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return false;
  return _stricmp(value, "null") == 0;
}

inline void pump_for(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  MSG msg;
  while (GetTickCount64() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Pumps until done() or the time runs out; returns done().
template <typename F>
bool pump_until(DWORD ms, F done) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!done() && GetTickCount64() < end) pump_for(10);
  return done();
}

class PageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { stub::install_wizard(); }

  void SetUp() override {
    TVariableManager& vars = variables();
    vars.Clear();
    vars.SetSilent(false);
    for (const char* name : {"PROGRESSMODE", "PROGRESS", "PROGRESSTEXT", "CUSTOM_TASKBAR_PROGRESS_ENABLED",
                             "CUSTOM_TASKBAR_PROGRESS_PERCENT", "CUSTOM_TASKBAR_PROGRESS_MAX", "TITLE", "WINDOWHANDLE"})
      vars.Define(name, "");
    vars.Define("OXLE_thProgress", "0");
    vars.Define("OXLE_thMin", "0");
    vars.Define("OXLE_thMax", "100");
    vars.Define("OXLE_thProgressText", "");
    vars.Define("OXLE_IsCancelled", "FALSE");
    folder_ = wine_path(QEL_PAGE_FIXTURES);
    prepare_dialog_host(folder_);
    create_dialog_form(folder_ + "progress.dfm", "1");
    create_dialog_form(folder_ + "choice.dfm", "2");
  }

  void TearDown() override {
    wizard::progress::set_worker_busy(false);
    wizard::tray::shutdown();
    wizard::taskbar::set_factory(nullptr);
    wizard::dialog_host().unload_all();
    wizard::free_image_list_pool();
  }

  wizard::TPoolTemplate& page(const char* key) { return *wizard::dialog_host().dialog(key); }
  HWND control(const char* key, const char* name) { return page(key).form().find(name)->hwnd(); }

  // "Display Dialog" of page 1 without waiting, as the executor runs it.
  void show_progress_page() {
    wizard::DisplayDialogResult r = wizard::run_display_dialog(1, {"progress", "$R$", "FALSE"}, false, state_);
    ASSERT_EQ(r.outcome, 0);
  }

  std::string folder_;
  wizard::DialogCommandState state_;
};

}  // namespace qel::testing
