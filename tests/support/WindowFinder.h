// Finding the windows of a screen under test the way the tests know them: a child
// window by the component name the framework gives it (the window property "PosName",
// a global atom), a window's text. Plain Win32: usable by the framework's own tests and
// by the end-to-end tests that see the plug-in only through its windows.
#pragma once
#include <windows.h>

#include <cwchar>
#include <string>

namespace postest {

inline std::wstring WindowText(HWND h) {
  wchar_t buf[512] = {};
  ::GetWindowTextW(h, buf, 511);
  return buf;
}

// The first child window, at any depth, whose component name is `name`; null if none.
inline HWND FindChildByName(HWND parent, const std::wstring& name) {
  struct Ctx {
    const std::wstring& name;
    HWND found;
    static BOOL CALLBACK Visit(HWND h, LPARAM l) {
      auto* c = reinterpret_cast<Ctx*>(l);
      const ATOM a = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::GetPropW(h, L"PosName")));
      wchar_t buf[256] = {};
      if (a && ::GlobalGetAtomNameW(a, buf, 255) && c->name == buf) {
        c->found = h;
        return FALSE;
      }
      return TRUE;
    }
  } ctx{name, nullptr};
  ::EnumChildWindows(parent, &Ctx::Visit, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

// A visible top-level window of this thread with this class (any when null) and caption;
// null if none.
inline HWND FindTopLevel(const wchar_t* className, const std::wstring& caption) {
  struct Ctx {
    const wchar_t* cls;
    std::wstring caption;
    HWND found;
    static BOOL CALLBACK Visit(HWND h, LPARAM l) {
      auto* c = reinterpret_cast<Ctx*>(l);
      wchar_t cls[64] = {};
      ::GetClassNameW(h, cls, 63);
      if (::IsWindowVisible(h) && (!c->cls || wcscmp(cls, c->cls) == 0) && WindowText(h) == c->caption) {
        c->found = h;
        return FALSE;
      }
      return TRUE;
    }
  } ctx{className, caption, nullptr};
  ::EnumThreadWindows(::GetCurrentThreadId(), &Ctx::Visit, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

}  // namespace postest
