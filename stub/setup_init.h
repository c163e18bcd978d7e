// TSetupInit: the small window that tells the user the setup is being prepared:
// the logo, a wait text and a progress bar that counts the pre-loaded wizard
// pages. Created without an owner, hidden and freed before the script starts.
#pragma once

#include <windows.h>

#include <string>


namespace qel::stub {

struct OsVersion {
  DWORD major = 0;
  DWORD minor = 0;
  static OsVersion current();
  bool xp_or_later() const { return major > 5 || (major == 5 && minor >= 1); }
};

// The built-in wait text of both labels.
inline constexpr const char* kInitWaitText =
    "Oakhollow is preparing the Oakhollow Wizard which will install this application. Please wait.";
inline constexpr const char* kInitDefaultCaption = "OAKHOLLOW Wizard";
// The logo written into the support folder (and replaced by the resource archive's own).
inline constexpr const char* kLogoFileName = "oakhollow.png";

class TSetupInit {
 public:
  // Creates the window hidden and runs its creation step: on Windows XP and
  // later the PNG logo (written from the "ZAVEDU" resource to support folder +
  // "oakhollow.png") and the glowing label, before it the 8-bit icon and the
  // plain label.
  explicit TSetupInit(const std::string& support_folder, OsVersion os = OsVersion::current());
  ~TSetupInit();
  TSetupInit(const TSetupInit&) = delete;
  TSetupInit& operator=(const TSetupInit&) = delete;

  // Caption := language string 23, glowing label := language string 24; shows.
  void show();
  void hide();
  void repaint();
  HWND hwnd() const { return window_; }

  // AeroPngImage1: present on Windows XP and later.
  bool has_logo() const { return logo_ != nullptr; }
  // Loads support folder + "oakhollow.png" into the logo again. Throws
  // std::runtime_error when the file is missing or not a PNG picture.
  void reload_logo();

  void set_progress(int min, int max, int position);
  void step_progress();
  int progress_position() const;

  void move_to(int left, int top);
  SIZE outer_size() const;

  // Which designed controls are visible (for tests).
  bool image1_visible() const;
  bool image2_visible() const;
  bool glow_label_visible() const;
  bool label_visible() const;

 private:
  static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK logo_proc(HWND, UINT, WPARAM, LPARAM);
  void form_create(OsVersion os);
  void write_logo_resource() const;
  bool load_logo(const std::string& path);
  HWND child(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id);

  std::string support_folder_;
  HWND window_ = nullptr;
  HWND image1_ = nullptr, image2_ = nullptr, glow_label_ = nullptr, label_ = nullptr, progress_ = nullptr;
  HWND logo_ = nullptr;  // AeroPngImage1
  HBITMAP logo_bitmap_ = nullptr;
  SIZE logo_size_{0, 0};
  HFONT font_ = nullptr;
  int dpi_ = 96;
  bool glass_ = false;
};

}  // namespace qel::stub
