// A taskbar list that records what it is told, in place of the shell's.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <vector>

namespace qel::testing {

class FakeTaskbar : public ITaskbarList3 {
 public:
  struct Value {
    ULONGLONG completed, total;
  };
  std::vector<TBPFLAG> states;
  std::vector<Value> values;
  std::vector<bool> overlays;  // true: an icon was set
  LONG refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITaskbarList) || IsEqualIID(riid, IID_ITaskbarList2) ||
        IsEqualIID(riid, IID_ITaskbarList3)) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // owned by the test
  HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, WINBOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetProgressValue(HWND, ULONGLONG completed, ULONGLONG total) override {
    values.push_back({completed, total});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetProgressState(HWND, TBPFLAG flags) override {
    states.push_back(flags);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON icon, LPCWSTR) override {
    overlays.push_back(icon != nullptr);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return S_OK; }
};

}  // namespace qel::testing
