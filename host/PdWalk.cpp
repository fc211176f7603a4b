// The stock-take screen's walk-through.
#include "host/PdWalk.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace {

constexpr UINT kShowEditor = WM_USER + 231;

std::wstring Wide(const std::string& utf8) {
  std::wstring w(utf8.size() + 1, L'\0');
  w.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), static_cast<int>(w.size()))) - 1);
  return w;
}

struct TopCtx {
  const std::wstring& caption;
  const wchar_t* cls;
  HWND found;
};

BOOL CALLBACK VisitTop(HWND h, LPARAM l) {
  auto* c = reinterpret_cast<TopCtx*>(l);
  wchar_t text[256] = {}, cls[64] = {};
  ::GetWindowTextW(h, text, 255);
  ::GetClassNameW(h, cls, 63);
  if (::IsWindowVisible(h) && (c->caption.empty() || c->caption == text) && (!c->cls || wcscmp(cls, c->cls) == 0)) {
    c->found = h;
    return FALSE;
  }
  return TRUE;
}

HWND TopLevel(const std::wstring& caption, const wchar_t* cls = nullptr) {
  TopCtx ctx{caption, cls, nullptr};
  ::EnumThreadWindows(::GetCurrentThreadId(), &VisitTop, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

struct ChildCtx {
  const wchar_t* name;
  HWND found;
};

BOOL CALLBACK VisitChild(HWND h, LPARAM l) {
  auto* c = reinterpret_cast<ChildCtx*>(l);
  const ATOM a = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::GetPropW(h, L"PosName")));
  wchar_t buf[128] = {};
  if (a && ::GlobalGetAtomNameW(a, buf, 127) && wcscmp(buf, c->name) == 0) {
    c->found = h;
    return FALSE;
  }
  return TRUE;
}

// A child by the component name the framework gives it (window property "PosName").
HWND Child(HWND parent, const wchar_t* name) {
  ChildCtx ctx{name, nullptr};
  if (parent) ::EnumChildWindows(parent, &VisitChild, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

// A key posted to the focused window, as the keyboard sends it; the loop translates it.
void Press(WORD vk, bool alt = false) {
  HWND to = ::GetFocus();
  const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(vk, 0)) << 16;
  const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN, up = alt ? WM_SYSKEYUP : WM_KEYUP;
  ::PostMessageW(to, down, vk, 1 | scan | (alt ? (1 << 29) : 0));
  ::PostMessageW(to, up, vk, 1 | scan | (alt ? (1 << 29) : 0) | (3u << 30));
}

void Type(const char* digits) {
  for (const char* c = digits; *c; ++c) Press(static_cast<WORD>(*c));
}

}  // namespace

std::function<bool()> MakePdWalk(const std::string& TerminalFile) {
  using Step = std::function<bool()>;
  const std::wstring screen = Wide("\xE7\x9B\x98\xE7\x82\xB9\xE5\x8D\x95");                      // 盘点单
  const std::wstring dialog = Wide("\xE7\x9B\x98\xE7\x82\xB9\xE6\x9C\xBA\xE4\xBF\xA1\xE6\x81\xAF\xE5\xAF\xBC\xE5\x85\xA5\xE5\xAF\xBC\xE5\x87\xBA");  // 盘点机信息导入导出
  const std::wstring hint = Wide("\xE6\x8F\x90\xE7\xA4\xBA");                                    // 提示
  const std::wstring file = Wide(TerminalFile);
  auto pause = [](int ticks) {
    auto left = std::make_shared<int>(ticks);
    return Step([left] { return (*left)-- <= 0; });
  };
  auto steps = std::make_shared<std::vector<Step>>(std::vector<Step>{
      [screen] {
        HWND f = TopLevel(screen);
        if (!f || !::GetFocus()) return false;
        ::SetFocus(Child(f, L"edtStock"));  // entering the warehouse box chooses it
        ::PostMessageW(f, kShowEditor, 0, 0);
        return true;
      },
      pause(3),
      [screen] {
        ::PostMessageW(Child(TopLevel(screen), L"btnCheckIn"), BM_CLICK, 0, 0);
        return true;
      },
      [dialog] {
        if (!TopLevel(dialog)) return false;
        Press('I', true);  // Alt+I: the import page
        return true;
      },
      pause(3),
      [dialog] {
        ::PostMessageW(Child(TopLevel(dialog), L"btnEnter"), BM_CLICK, 0, 0);
        return true;
      },
      [file] {
        // The file dialog: its file name box, then OK.
        HWND d = TopLevel(L"", L"#32770");
        if (!d) return false;
        HWND name = ::GetDlgItem(d, 0x47c);
        if (!name) name = ::GetDlgItem(d, 0x480);
        if (!name) return false;
        ::SetWindowTextW(name, file.c_str());
        if (HWND edit = ::FindWindowExW(name, nullptr, L"Edit", nullptr)) ::SetWindowTextW(edit, file.c_str());
        ::PostMessageW(d, WM_COMMAND, IDOK, 0);
        return true;
      },
      [hint] {
        // The barcode the store does not know is told: OK.
        HWND box = TopLevel(hint, L"#32770");
        if (!box) return false;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
      },
      // Then scans on the entry row below the counts: a new colour, a goods counted again.
      pause(5), [] { Type("6920000000029"); return true; }, pause(2), [] { Press(VK_RETURN); return true; },
      pause(3), [] { Type("6920000000012"); return true; }, pause(2), [] { Press(VK_RETURN); return true; },
      pause(3), [] { Type("6920000000029"); return true; }, pause(2), [] { Press(VK_RETURN); return true; },
      pause(5),
  });
  auto next = std::make_shared<size_t>(0);
  auto waited = std::make_shared<int>(0);
  return [steps, next, waited] {
    if (*next >= steps->size()) return true;
    if ((*steps)[*next]()) {
      ++*next;
      *waited = 0;
    } else if (++*waited > 100) {
      return true;  // a window that did not come: the walk ends here
    }
    return *next >= steps->size();
  };
}
