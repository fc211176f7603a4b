// The stock-take screen's walk-through.
#include "host/PdWalk.h"

#include "host/ScreenDriver.h"

#include <windows.h>

#include <cstdio>
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

void Type(const char* keys) {
  for (const char* c = keys; *c; ++c) Press(static_cast<WORD>(*c));
}

// A click as the mouse sends it, posted to a control; the modal loop it may start runs
// outside the step.
void Click(HWND control) {
  ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

// The window with this caption holds the focus (a dialog is up and ready for keys).
bool Focused(HWND window) {
  HWND focus = ::GetFocus();
  return window && focus && (focus == window || ::IsChild(window, focus));
}

using Step = std::function<bool()>;

// Waits for the window, then a picture of it (when a folder is given).
Step Shot(const std::wstring& caption, const wchar_t* cls, const std::string& dir, const std::string& name) {
  return [caption, cls, dir, name] {
    HWND w = TopLevel(caption, cls);
    if (!w) return false;
    ::UpdateWindow(w);
    if (!dir.empty()) CaptureWindowPng(w, dir + "\\" + name + ".png");
    return true;
  };
}

// The message box with this caption: OK.
Step AnswerBox(const std::wstring& caption) {
  return [caption] {
    HWND box = TopLevel(caption, L"#32770");
    if (!box) return false;
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  };
}

// The file dialog: the file name into its name box, then OK.
Step AnswerFileDialog(const std::wstring& file) {
  return [file] {
    HWND d = TopLevel(L"", L"#32770");
    if (!d) return false;
    HWND name = ::GetDlgItem(d, 0x47c);
    if (!name) name = ::GetDlgItem(d, 0x480);
    if (!name) return false;
    ::SetWindowTextW(name, file.c_str());
    if (HWND edit = ::FindWindowExW(name, nullptr, L"Edit", nullptr)) ::SetWindowTextW(edit, file.c_str());
    ::PostMessageW(d, WM_COMMAND, IDOK, 0);
    return true;
  };
}

Step Pause(int ticks) {
  auto left = std::make_shared<int>(ticks);
  return [left] { return (*left)-- <= 0; };
}

// Once the window has the focus: keys to it.
Step KeysTo(const std::wstring& caption, std::function<void()> keys) {
  return [caption, keys] {
    if (!Focused(TopLevel(caption))) return false;
    keys();
    return true;
  };
}

}  // namespace

std::function<bool()> MakePdWalk(const std::string& TerminalFile, const std::string& ShotDir) {
  const std::wstring screen = Wide("\xE7\x9B\x98\xE7\x82\xB9\xE5\x8D\x95");                      // 盘点单
  const std::wstring dialog = Wide("\xE7\x9B\x98\xE7\x82\xB9\xE6\x9C\xBA\xE4\xBF\xA1\xE6\x81\xAF\xE5\xAF\xBC\xE5\x85\xA5\xE5\xAF\xBC\xE5\x87\xBA");  // 盘点机信息导入导出
  const std::wstring hint = Wide("\xE6\x8F\x90\xE7\xA4\xBA");                                    // 提示
  const std::wstring warehouses = Wide("\xE4\xBB\x93\xE5\xBA\x93");                              // 仓库
  const std::wstring goods = Wide("\xE5\x95\x86\xE5\x93\x81");                                   // 商品
  const std::wstring file = Wide(TerminalFile);
  const std::wstring exportFile = Wide(ShotDir.empty() ? std::string("pd-export.txt") : ShotDir + "\\pd-export.txt");
  const std::string& dir = ShotDir;
  auto steps = std::make_shared<std::vector<Step>>(std::vector<Step>{
      // Into the warehouse box: the selection dialog of the warehouses opens; the first
      // (the flagship store's) is focused, Enter chooses it.
      [screen] {
        HWND f = TopLevel(screen);
        if (!Focused(f)) return false;
        Click(Child(f, L"edtStock"));
        return true;
      },
      Pause(3), Shot(warehouses, nullptr, dir, "pd-1-warehouse"),
      KeysTo(warehouses, [] { Press(VK_RETURN); }),
      // The terminal dialog: on its export page, Enter in the warehouse box opens the
      // selection dialog of the warehouses; the second (the flagship store's shop) is chosen.
      Pause(3),
      [screen] {
        ::PostMessageW(Child(TopLevel(screen), L"btnCheckIn"), BM_CLICK, 0, 0);
        return true;
      },
      [dialog] {
        HWND d = TopLevel(dialog);
        if (!Focused(d)) return false;
        ::SetFocus(Child(d, L"edtStock"));
        Press(VK_RETURN);
        return true;
      },
      Pause(3), KeysTo(warehouses, [] { Press(VK_DOWN); }),
      Pause(2), Shot(warehouses, nullptr, dir, "pd-2-export-warehouse"),
      KeysTo(warehouses, [] { Press(VK_RETURN); }),
      Pause(3), Shot(dialog, nullptr, dir, "pd-3-terminal"),
      // Exported: the file dialog answered with the demo's folder, the message shown.
      [dialog] {
        ::PostMessageW(Child(TopLevel(dialog), L"btnEnter"), BM_CLICK, 0, 0);
        return true;
      },
      AnswerFileDialog(exportFile),
      Pause(3), Shot(hint, L"#32770", dir, "pd-4-exported"), AnswerBox(hint),
      // The import page (Alt+I) and a terminal's counts read back into the bill.
      Pause(2), KeysTo(dialog, [] { Press('I', true); }),
      Pause(3),
      [dialog] {
        ::PostMessageW(Child(TopLevel(dialog), L"btnEnter"), BM_CLICK, 0, 0);
        return true;
      },
      AnswerFileDialog(file),
      // The barcode the store does not know is told: OK.
      Pause(3), Shot(hint, L"#32770", dir, "pd-5-imported"), AnswerBox(hint),
      // Entry by code or name (F5), a code typed, Enter: the goods dialog with what matches.
      Pause(3), KeysTo(screen, [] { Press(VK_F5); }),
      Pause(2), KeysTo(screen, [] { Type("K00010"); }),
      Pause(2), KeysTo(screen, [] { Press(VK_RETURN); }),
      // Two goods marked with Space (the first and the third row), then Enter.
      Pause(3), KeysTo(goods, [] { Press(VK_SPACE); }),
      Pause(1), KeysTo(goods, [] { Press(VK_DOWN); Press(VK_DOWN); }),
      Pause(1), KeysTo(goods, [] { Press(VK_SPACE); }),
      Pause(3), Shot(goods, nullptr, dir, "pd-6-goods"),
      KeysTo(goods, [] { Press(VK_RETURN); }),
      // The last chosen line counted: up to it, right to its quantity, 3.
      Pause(3), KeysTo(screen, [] { Press(VK_UP); }),
      Pause(1), KeysTo(screen, [] { Press(VK_RIGHT); }),
      Pause(1), KeysTo(screen, [] { Type("3"); }),
      Pause(1), KeysTo(screen, [] { Press(VK_RETURN); }),
      // Back to entry by barcode (F5), then scans on the entry row: a new colour, a goods
      // counted again.
      Pause(3), KeysTo(screen, [] { Press(VK_F5); }),
      Pause(3), KeysTo(screen, [] { Type("6920000000029"); }), Pause(2), KeysTo(screen, [] { Press(VK_RETURN); }),
      Pause(3), KeysTo(screen, [] { Type("6920000000012"); }), Pause(2), KeysTo(screen, [] { Press(VK_RETURN); }),
      Pause(3), KeysTo(screen, [] { Type("6920000000029"); }), Pause(2), KeysTo(screen, [] { Press(VK_RETURN); }),
      // The bill as it goes to the server, then saved: the screen closes after the message.
      Pause(5), Shot(screen, nullptr, dir, "pd-manager"),
      [screen] {
        ::PostMessageW(Child(TopLevel(screen), L"btnSave"), BM_CLICK, 0, 0);
        return true;
      },
      Pause(3), Shot(hint, L"#32770", dir, "pd-7-saved"), AnswerBox(hint),
      [screen] { return !TopLevel(screen); },
  });
  auto next = std::make_shared<size_t>(0);
  auto waited = std::make_shared<int>(0);
  return [steps, next, waited] {
    if (*next >= steps->size()) return true;
    if ((*steps)[*next]()) {
      ++*next;
      *waited = 0;
      // The last step only waits for the saved screen to close, which ends the open call
      // and with it the ticks: the walk has been played once that step is reached.
      if (*next + 1 == steps->size()) {
        std::printf("poshost: stock-take walk-through played (%u steps)\n", static_cast<unsigned>(steps->size()));
        std::fflush(stdout);
      }
    } else if (++*waited > 100) {
      // A window that did not come: the walk ends here, and says so (the pictures of the
      // steps after it are missing).
      std::printf("poshost: stock-take walk-through stopped at step %u of %u: its window did not come\n",
                  static_cast<unsigned>(*next + 1), static_cast<unsigned>(steps->size()));
      std::fflush(stdout);
      return true;
    }
    return *next >= steps->size();
  };
}
