// Set-up of the window tests, before any window exists.
//
// Test programs run side by side under one Wine server and one X display. On the
// shared desktop another program's window could take the activation (and with it the
// keyboard focus) in the middle of a test, and without a window manager Wine waits two
// seconds for every hidden top-level window to be withdrawn. This program's windows
// therefore live on a desktop of their own, a Wine virtual desktop: one X window that
// holds them all, whose focus and activation Wine keeps to itself.
#include <string>

#include "UiTest.h"

namespace {

// One desktop per process: two runs of this program must not share one either.
struct OwnDesktop {
  std::wstring name = L"PosUiTests" + std::to_wstring(::GetCurrentProcessId());
  OwnDesktop() {
    HKEY key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kDesktops, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      const wchar_t size[] = L"1280x1024";
      ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(size), sizeof(size));
      ::RegCloseKey(key);
    }
    HDESK desk = ::CreateDesktopW(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (desk) ::SetThreadDesktop(desk);
  }
  ~OwnDesktop() {
    HKEY key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kDesktops, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      ::RegDeleteValueW(key, name.c_str());
      ::RegCloseKey(key);
    }
  }
  static constexpr const wchar_t* kDesktops = L"Software\\Wine\\Explorer\\Desktops";
} gOwnDesktop;

}  // namespace
