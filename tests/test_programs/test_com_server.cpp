// A DLL with the COM self-registration entry points: DllRegisterServer counts
// its calls under HKCU\Software\QelTestComServer, DllUnregisterServer removes
// that key.
#include <windows.h>

namespace {
constexpr const char* kKey = "Software\\QelTestComServer";
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return E_FAIL;
  DWORD calls = 0, size = sizeof calls;
  RegQueryValueExA(key, "Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(&calls), &size);
  ++calls;
  RegSetValueExA(key, "Calls", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&calls), sizeof calls);
  RegCloseKey(key);
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  return RegDeleteKeyA(HKEY_CURRENT_USER, kKey) == ERROR_SUCCESS ? S_OK : E_FAIL;
}
