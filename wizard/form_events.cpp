// Notifications from child windows: colours, and the events a page's handlers see.
#include <windows.h>

#include <commctrl.h>

#include "wizard/form_runtime_internal.h"

namespace qel::wizard {

using namespace detail;

std::optional<LRESULT> Form::handle_child_message(HWND, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      Component* c = from_hwnd(reinterpret_cast<HWND>(lp));
      if (!c) return std::nullopt;
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, text_color(*c));
      // Read-only edits keep the window colour unless the page chose one.
      SetBkColor(dc, background_color(*c));
      return reinterpret_cast<LRESULT>(background_brush(*c));
    }
    case WM_COMMAND: {
      Component* c = from_hwnd(reinterpret_cast<HWND>(lp));
      if (!c) return std::nullopt;
      Kind k = kind_of(*c);
      WORD code = HIWORD(wp);
      switch (k) {
        case Kind::Button:
        case Kind::CheckBox:
          if (code == BN_CLICKED) fire(*c, "OnClick");
          return 0;
        case Kind::RadioButton:
          if (code == BN_CLICKED) {
            set_property(*c, "Checked", "True");
            fire(*c, "OnClick");
          }
          return 0;
        case Kind::StaticText:
          if (code == STN_CLICKED) fire(*c, "OnClick");
          return 0;
        case Kind::Edit:
        case Kind::Memo:
        case Kind::RichEdit:
          if (code == EN_CHANGE) fire(*c, "OnChange");
          return 0;
        case Kind::ListBox:
        case Kind::FileListBox:
        case Kind::DirectoryListBox:
          if (code == LBN_SELCHANGE) {
            fire(*c, "OnClick");
            if (k != Kind::ListBox) fire(*c, "OnChange");
          }
          if (code == LBN_DBLCLK) fire(*c, "OnDblClick");
          return 0;
        case Kind::ComboBox:
        case Kind::DriveComboBox:
        case Kind::FilterComboBox:
        case Kind::ShellCombo:
          if (code == CBN_SELCHANGE) {
            // The edit text follows the selection only after this notification.
            int i = static_cast<int>(SendMessageA(c->hwnd(), CB_GETCURSEL, 0, 0));
            if (i >= 0 && !(GetWindowLongA(c->hwnd(), GWL_STYLE) & CBS_DROPDOWNLIST & ~CBS_DROPDOWN)) {
              int len = static_cast<int>(SendMessageA(c->hwnd(), CB_GETLBTEXTLEN, i, 0));
              std::string s(len + 1, '\0');
              SendMessageA(c->hwnd(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(s.data()));
              SetWindowTextA(c->hwnd(), s.c_str());
            }
            fire(*c, "OnChange");
            fire(*c, "OnClick");
          } else if (code == CBN_EDITCHANGE) {
            fire(*c, "OnChange");
          }
          return 0;
        default:
          return std::nullopt;
      }
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
      Component* c = lp ? from_hwnd(reinterpret_cast<HWND>(lp)) : nullptr;
      if (!c) return std::nullopt;
      if (kind_of(*c) == Kind::TrackBar) {
        fire(*c, "OnChange");
        return 0;
      }
      if (kind_of(*c) == Kind::UpDown) {
        fire(*c, "OnClick");
        return 0;
      }
      return std::nullopt;
    }
    case WM_NOTIFY: {
      const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
      Component* c = from_hwnd(hdr->hwndFrom);
      if (!c) return std::nullopt;
      Kind k = kind_of(*c);
      if ((k == Kind::TreeView || k == Kind::ShellTree) && hdr->code == TVN_SELCHANGEDA) {
        fire(*c, "OnChange");
        return 0;
      }
      if ((k == Kind::TreeView || k == Kind::ShellTree) && hdr->code == NM_CLICK) {
        fire(*c, "OnMouseUp");
        return std::nullopt;
      }
      if ((k == Kind::CheckListBox || k == Kind::ShellList) && hdr->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* lv = reinterpret_cast<const NMLISTVIEW*>(lp);
        if (!(lv->uChanged & LVIF_STATE)) return 0;
        if ((lv->uNewState ^ lv->uOldState) & LVIS_STATEIMAGEMASK) {
          if (lv->uOldState & LVIS_STATEIMAGEMASK) fire(*c, "OnClickCheck");  // not for the first state image
        } else if ((lv->uNewState & LVIS_SELECTED) && !(lv->uOldState & LVIS_SELECTED)) {
          fire(*c, k == Kind::ShellList ? "OnChange" : "OnClick");
        }
        return 0;
      }
      if (k == Kind::PageControl && hdr->code == TCN_SELCHANGE) {
        set_property(*c, "TabIndex", std::to_string(TabCtrl_GetCurSel(c->hwnd())));
        fire(*c, "OnChange");
        return 0;
      }
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace qel::wizard
