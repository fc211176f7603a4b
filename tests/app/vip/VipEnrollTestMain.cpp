// Set-up of the VIP screen tests, before any window exists.
#include "tests/ui/UiTest.h"

namespace {

// Without a window manager (Xvfb), Wine waits for every hidden window to be withdrawn
// by the manager that is not there; our windows are unmanaged in this program.
struct UnmanagedWindows {
  UnmanagedWindows() {
    HKEY key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER,
                          L"Software\\Wine\\AppDefaults\\vip_tests.exe\\X11 Driver", 0,
                          nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
      ::RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
      ::RegCloseKey(key);
    }
  }
} gUnmanaged;

}  // namespace
