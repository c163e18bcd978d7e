// The initialization window and the splash as the stub creates them.
#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "stub/setup_init.h"
#include "stub/start_windows.h"
#include "tests/wizard_pages/page_fixture.h"

namespace qel::testing {
namespace {

std::string scratch_folder(const char* name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + name + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(SetupInit, ControlsByWindowsVersion) {
  struct Case {
    const char* what;
    stub::OsVersion os;
    bool logo, glow, label, image2;
  } cases[] = {
      {"Windows 2000", {5, 0}, false, false, true, true},
      {"Windows XP", {5, 1}, true, true, false, false},
      {"Windows 7", {6, 1}, true, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string support = scratch_folder(c.logo ? "qel-init-new" : "qel-init-old");
    DeleteFileA((support + "oakhollow.png").c_str());
    stub::TSetupInit init(support, c.os);
    ASSERT_NE(init.hwnd(), nullptr);
    EXPECT_EQ(init.has_logo(), c.logo);
    EXPECT_EQ(init.glow_label_visible(), c.glow);
    EXPECT_EQ(init.label_visible(), c.label);
    EXPECT_EQ(init.image2_visible(), c.image2);
    EXPECT_FALSE(init.image1_visible());  // the PNG logo takes its place from XP on
    EXPECT_EQ(file_exists(support + "oakhollow.png"), c.logo) << "the logo resource is written only when shown";
    RECT client;
    GetClientRect(init.hwnd(), &client);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(client.right, MulDiv(369, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(89, dpi, 96));
    LONG style = GetWindowLongA(init.hwnd(), GWL_STYLE);
    EXPECT_EQ(style & WS_SYSMENU, 0) << "no border icons";
    EXPECT_NE(style & WS_CAPTION, 0);
  }
}

TEST(SetupInit, ShowTakesCaptionAndWaitTextFromTheLanguageStrings) {
  stub::TSetupInit init(scratch_folder("qel-init-show"), {6, 1});
  char caption[128] = {};
  GetWindowTextA(init.hwnd(), caption, sizeof caption);
  EXPECT_STREQ(caption, stub::kInitDefaultCaption);
  init.show();
  GetWindowTextA(init.hwnd(), caption, sizeof caption);
  EXPECT_STREQ(caption, "") << "no lang.loc loaded: language string 23 is empty";
  EXPECT_TRUE(IsWindowVisible(init.hwnd()));
}

TEST(SetupInit, LogoFromTheArchiveReplacesTheBuiltInOne) {
  const std::string support = scratch_folder("qel-init-logo");
  stub::TSetupInit init(support, {6, 1});
  ASSERT_TRUE(file_exists(support + "oakhollow.png"));
  EXPECT_NO_THROW(init.reload_logo());
  {
    std::ofstream broken(support + "oakhollow.png", std::ios::binary | std::ios::trunc);
    broken << "not a picture";
  }
  EXPECT_THROW(init.reload_logo(), std::runtime_error);
  DeleteFileA((support + "oakhollow.png").c_str());
  EXPECT_THROW(init.reload_logo(), std::runtime_error);
}

TEST(SetupInit, ProgressCountsThePreloadedDialogs) {
  stub::StartWindows windows;
  windows.open(scratch_folder("qel-no-splash"), scratch_folder("qel-init-count"));
  ASSERT_NE(windows.init(), nullptr);
  windows.begin_dialogs(3);
  HWND bar = FindWindowExA(windows.init()->hwnd(), nullptr, PROGRESS_CLASSA, nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 3);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(windows.init()->progress_position(), 1);
  windows.dialog_loaded();
  windows.dialog_loaded();
  EXPECT_EQ(windows.init()->progress_position(), 3);
  windows.dialog_loaded();
  EXPECT_EQ(windows.init()->progress_position(), 3);
  // Without setup.bmp the splash stays hidden and the window is centred.
  EXPECT_FALSE(windows.splash()->visible());
  RECT r;
  GetWindowRect(windows.init()->hwnd(), &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
  HWND init = windows.init()->hwnd();
  windows.close();
  EXPECT_FALSE(IsWindow(init));
  EXPECT_EQ(windows.owner(), nullptr);
}

TEST(SetupSplash, UnreadablePictureLeavesTheSplashHidden) {
  const std::string folder = scratch_folder("qel-bad-splash");
  {
    std::ofstream bad(folder + "setup.bmp", std::ios::binary | std::ios::trunc);
    bad << "BM but not really";
  }
  stub::StartWindows windows;
  windows.open(folder, scratch_folder("qel-init-bad-splash"));
  EXPECT_FALSE(windows.splash()->visible());
  EXPECT_TRUE(IsWindowVisible(windows.owner()));
  windows.close();
}

}  // namespace
}  // namespace qel::testing
