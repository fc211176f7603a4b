// Code-page 936 conversions at the system boundary and the module handle.
#include "ui/WinApi.h"

#include <vector>

namespace ui_win {

std::wstring Wide(std::string_view gbk) {
  if (gbk.empty()) return {};
  int n = ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), w.data(), n);
  return w;
}

AnsiString Ansi(const wchar_t* w, int length) {
  if (!w) return {};
  if (length < 0) length = static_cast<int>(wcslen(w));
  if (length == 0) return {};
  int n = ::WideCharToMultiByte(936, 0, w, length, nullptr, 0, nullptr, nullptr);
  AnsiString s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(936, 0, w, length, s.data(), n, nullptr, nullptr);
  return s;
}

HINSTANCE ModuleInstance() {
  static HINSTANCE module = [] {
    HMODULE h = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ModuleInstance), &h);
    return static_cast<HINSTANCE>(h);
  }();
  return module;
}

AnsiString WindowText(HWND h) {
  int n = static_cast<int>(::SendMessageW(h, WM_GETTEXTLENGTH, 0, 0));
  if (n <= 0) return {};
  std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
  n = static_cast<int>(::SendMessageW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data())));
  return Ansi(buf.data(), n);
}

void SetWindowTextGbk(HWND h, const AnsiString& s) {
  std::wstring w = Wide(s);
  ::SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!::OpenClipboard(owner)) return text;
  if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(::GlobalLock(h))) {
      text = p;
      ::GlobalUnlock(h);
    }
  }
  ::CloseClipboard();
  return text;
}

}  // namespace ui_win
