// What the end-to-end tests of the stock-take screen share to drive it as a person does:
// texts between GBK and the windows' UTF-16, the screen and the selection dialogs found
// by caption (with their objects: the same classes, built from the same sources as the
// plug-in), keys posted as the keyboard sends them.
#pragma once
#include <windows.h>

#include <cwchar>
#include <string>

#include "app/uPDManger.h"
#include "app/uSelectBasic.h"
#include "tests/support/WindowFinder.h"

namespace pdtest {

using postest::FindTopLevel;

inline std::wstring Utf16(const char* gbk) {
  const WideString w = GbkToWide(gbk);
  return std::wstring(w.begin(), w.end());
}

inline std::string Gbk(const std::wstring& w) { return WideToGbk(std::u16string(w.begin(), w.end())); }

inline HWND Screen() { return FindTopLevel(nullptr, Utf16("盘点单")); }

// The screen's own object behind its window (the same classes, built from the same
// sources as the plug-in): for reading what the labels and the grid show.
inline TfrmpdManger* ScreenObject() {
  HWND f = Screen();
  return f ? static_cast<TfrmpdManger*>(static_cast<TWinControl*>(::GetPropW(f, L"PosControl"))) : nullptr;
}

// A key as the keyboard sends it, posted to the focused window: down and up. The
// message loop translates it into its character (posted behind whatever is queued, so
// the keys of a text go in one step and the Enter that ends it in the next).
inline void Press(WORD vk) {
  HWND to = ::GetFocus();
  const UINT scan = ::MapVirtualKeyW(vk, 0);
  ::PostMessageW(to, WM_KEYDOWN, vk, 1 | (scan << 16));
  ::PostMessageW(to, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
}

inline void Type(const std::string& text) {
  for (char c : text) {
    if (c >= '0' && c <= '9') Press(static_cast<WORD>(c));
    else if (c >= 'a' && c <= 'z') Press(static_cast<WORD>(c - 'a' + 'A'));
    else if (c >= 'A' && c <= 'Z') Press(static_cast<WORD>(c));  // no Shift: the letter comes as lower case
    else if (c == '.') Press(VK_OEM_PERIOD);
  }
}

// Adds the text of a static control (of a message box) to the string at l.
inline BOOL CALLBACK CollectStatic(HWND h, LPARAM l) {
  wchar_t cls[32] = {};
  ::GetClassNameW(h, cls, 31);
  if (_wcsicmp(cls, L"Static") == 0 && !postest::WindowText(h).empty())
    *reinterpret_cast<std::string*>(l) += Gbk(postest::WindowText(h));
  return TRUE;
}

// A message box (or a file dialog) of this thread: its caption and text into Seen
// ("caption: text"); null when none is open.
inline HWND OpenBox(std::string& Seen) {
  struct Ctx {
    HWND found = nullptr;
    static BOOL CALLBACK Visit(HWND h, LPARAM l) {
      wchar_t cls[16] = {};
      ::GetClassNameW(h, cls, 15);
      if (!::IsWindowVisible(h) || wcscmp(cls, L"#32770") != 0) return TRUE;
      reinterpret_cast<Ctx*>(l)->found = h;
      return FALSE;
    }
  } ctx;
  ::EnumThreadWindows(::GetCurrentThreadId(), &Ctx::Visit, reinterpret_cast<LPARAM>(&ctx));
  if (ctx.found) {
    Seen = Gbk(postest::WindowText(ctx.found)) + ": ";
    ::EnumChildWindows(ctx.found, &CollectStatic, reinterpret_cast<LPARAM>(&Seen));
  }
  return ctx.found;
}

// The selection dialog's own object behind its window, by caption.
inline TfrmSelectBasic* Picker(const char* caption) {
  HWND f = FindTopLevel(nullptr, Utf16(caption));
  return f ? static_cast<TfrmSelectBasic*>(static_cast<TWinControl*>(::GetPropW(f, L"PosControl"))) : nullptr;
}

}  // namespace pdtest
