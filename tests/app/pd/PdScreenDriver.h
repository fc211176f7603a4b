// What the end-to-end tests of the stock-take screen share to drive it as a person does:
// texts between GBK and the windows' UTF-16, the screen and the selection dialogs found
// by caption (with their objects: the same classes, built from the same sources as the
// plug-in), keys and clicks posted as the keyboard and the mouse send them, the warehouse
// chosen, and what closes whatever is open when a walk runs out of time.
#pragma once
#include <windows.h>

#include <cwchar>
#include <string>

#include "app/uPDManger.h"
#include "app/uSelectBasic.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/WindowFinder.h"

namespace pdtest {

using postest::FindTopLevel;
using Step = postest::ScriptedUser::Step;

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

// The text of a message box (its static controls).
inline std::string BoxText(HWND box) {
  std::string text;
  ::EnumChildWindows(box, &CollectStatic, reinterpret_cast<LPARAM>(&text));
  return text;
}

// The selection dialog's own object behind its window, by caption.
inline TfrmSelectBasic* Picker(const char* caption) {
  HWND f = FindTopLevel(nullptr, Utf16(caption));
  return f ? static_cast<TfrmSelectBasic*>(static_cast<TWinControl*>(::GetPropW(f, L"PosControl"))) : nullptr;
}

// The dialog, once it is open and holds the focus.
inline TfrmSelectBasic* FocusedPicker(const char* caption) {
  TfrmSelectBasic* d = Picker(caption);
  HWND focus = ::GetFocus();
  return d && focus && (focus == d->Handle() || ::IsChild(d->Handle(), focus)) ? d : nullptr;
}

// The value of a field in a data row of the dialog's grid.
inline std::string PickerValue(TfrmSelectBasic* d, int row, const char* field) {
  TkwColumn* c = d->grdSelectData->ColumnByFieldName(field);
  Variant v;
  d->grdSelectData->DataController()->GetRowValue(row, c->DbField(), v);
  return v.AsString();
}

// A click as the mouse sends it in grid row Row of the dialog (0: the title), right of
// the row number.
inline void PickerClick(TfrmSelectBasic* d, int row) {
  TJbDbGrid* g = d->grdSelectData;
  const TRect r = g->CellRect(0, row);
  const LPARAM at = MAKELPARAM(r.Right + 20, (r.Top + r.Bottom) / 2);
  ::PostMessageW(g->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(g->Handle(), WM_LBUTTONUP, 0, at);
}

// A click as the mouse sends it, near the left top of a control.
inline void PostClick(HWND control) {
  ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

// Choosing the warehouse, in three steps with an Enter between the second and the third:
// a click on the warehouse box once the screen has the focus; a click on the row of the
// warehouse Id once its dialog has the focus (Enter then chooses it); once the dialog has
// gone, the grid's cell editor, as after the screen's activation.
inline Step OpenWarehouses() {
  return [] {
    TfrmpdManger* f = ScreenObject();
    if (!f || !::GetFocus()) return false;
    PostClick(f->edtStock->Handle());
    return true;
  };
}
inline Step ClickWarehouse(const char* id) {
  return [id] {
    TfrmSelectBasic* d = FocusedPicker("仓库");
    if (!d) return false;
    for (int r = 0; r < d->grdSelectData->DataController()->RowCount(); ++r)
      if (PickerValue(d, r, "typeid") == id) PickerClick(d, r + d->grdSelectData->TitleOffset());
    return true;
  };
}
inline Step BackInTheGrid() {
  return [] {
    if (Picker("仓库") || !ScreenObject()) return false;
    ::PostMessageW(ScreenObject()->Handle(), WM_PD_SHOWEDITOR, 0, 0);
    return true;
  };
}

// Once a walk's time is up, each tick closes the top layer of what is still open, so that
// the open call returns and the test fails instead of hanging: a question is answered Yes
// (the exit question then lets the screen go), another box or a file dialog is cancelled
// (OK where it has no Cancel); then the selection dialogs, the terminal dialog, the screen.
inline void CloseTopLayer() {
  std::string ignored;
  if (HWND box = OpenBox(ignored)) {
    const int answer = ::GetDlgItem(box, IDYES) ? IDYES : ::GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK;
    ::PostMessageW(box, WM_COMMAND, answer, 0);
    return;
  }
  for (const char* dialog : {"仓库", "商品", "盘点机信息导入导出"}) {
    if (HWND d = FindTopLevel(nullptr, Utf16(dialog))) {
      ::PostMessageW(d, WM_CLOSE, 0, 0);
      return;
    }
  }
  if (HWND f = Screen()) ::PostMessageW(f, WM_CLOSE, 0, 0);
}

}  // namespace pdtest
