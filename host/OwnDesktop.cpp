// A Wine virtual desktop per process (see OwnDesktop.h).
//
// Wine makes a named desktop virtual, with the size given, when the registry value
// HKCU\Software\Wine\Explorer\Desktops\<name> holds that size; the value must be there
// before the desktop's first window, when Wine starts the desktop's explorer.
#include "host/OwnDesktop.h"

#include <windows.h>

namespace poshost {

namespace {

const wchar_t kDesktopSizes[] = L"Software\\Wine\\Explorer\\Desktops";

void SetDesktopSize(const std::wstring& name, int width, int height) {
  HKEY key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopSizes, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  const std::wstring size = std::to_wstring(width) + L"x" + std::to_wstring(height);
  ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(size.c_str()),
                   static_cast<DWORD>((size.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
}

void ForgetDesktopSize(const std::wstring& name) {
  HKEY key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopSizes, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  ::RegDeleteValueW(key, name.c_str());
  ::RegCloseKey(key);
}

}  // namespace

TOwnDesktop::TOwnDesktop(const std::wstring& prefix, int width, int height)
    : FName(prefix + std::to_wstring(::GetCurrentProcessId())) {
  SetDesktopSize(FName, width, height);
  // The handle stays open for the life of the process: the thread keeps using it.
  if (HDESK desk = ::CreateDesktopW(FName.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr))
    FEntered = ::SetThreadDesktop(desk) != FALSE;
}

TOwnDesktop::~TOwnDesktop() { ForgetDesktopSize(FName); }

}  // namespace poshost
