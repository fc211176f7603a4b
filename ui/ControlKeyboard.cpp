// TWinControl's keyboard routing before translation: key events (the form's preview
// first), dialog keys the control does not want itself, and accelerators.
#include "ui/Controls.h"

#include "ui/Forms.h"

using namespace ui_win;

namespace {

bool IsDialogKey(WORD key) {
  switch (key) {
    case VK_TAB: case VK_RETURN: case VK_ESCAPE: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

// The form sees the key first when it has KeyPreview; then the control. True when the
// key was taken (set to 0) by one of them.
bool TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    form->KeyDown(key, shift);
    if (key == 0) return true;
  }
  KeyDown(key, shift);
  return key == 0;
}

bool TWinControl::DoKeyPress(char& key) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    form->KeyPress(key);
    if (key == 0) return true;
  }
  KeyPress(key);
  return key == 0;
}

bool TWinControl::DoKeyUp(WORD& key, TShiftState shift) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    form->KeyUp(key, shift);
    if (key == 0) return true;
  }
  KeyUp(key, shift);
  return key == 0;
}

bool TWinControl::WantsKey(WORD key, const MSG* msg) {
  HWND target = msg && msg->hwnd ? msg->hwnd : FHandle;
  if (!target) return false;
  LRESULT code = ::SendMessageW(target, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(msg));
  if (code & DLGC_WANTALLKEYS) return true;
  switch (key) {
    case VK_TAB: return (code & DLGC_WANTTAB) != 0;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: return (code & DLGC_WANTARROWS) != 0;
    default: return false;
  }
}

bool TWinControl::WantsChars() {
  if (!FHandle) return false;
  return (::SendMessageW(FHandle, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) != 0;
}

char TWinControl::CharToKey(WPARAM ch) {
  if (ch < 0x80) return static_cast<char>(ch);
  wchar_t w = static_cast<wchar_t>(ch);
  AnsiString a = Ansi(&w, 1);
  return a.empty() ? '?' : a[0];
}

// Before translation: key events (form preview first), then the dialog keys the control
// does not take itself. A non-zero Result means the key was used up: it is neither
// translated (no WM_CHAR follows) nor dispatched to the window.
void TWinControl::CNKeyDown(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  TShiftState shift = KeyDataToShiftState(m.LParam);
  if (DoKeyDown(key, shift)) {
    m.Result = 1;
    return;
  }
  m.WParam = key;
  if (IsDialogKey(key) && !Destroying()) {
    // Asked of the window that has the focus (a combo box's inner edit, for one).
    HWND focus = ::GetFocus();
    HWND target = (focus && (focus == FHandle || ::IsChild(FHandle, focus))) ? focus : FHandle;
    MSG msg{target, WM_KEYDOWN, m.WParam, m.LParam, 0, {0, 0}};
    if (!WantsKey(key, &msg)) {
      if (TCustomForm* form = GetParentForm(this)) {
        if (form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) {
          m.Result = 1;
          return;
        }
      }
    }
  }
  m.Result = 0;
}

void TWinControl::CNChar(TMessage& m) {
  char key = CharToKey(m.WParam);
  char before = key;
  if (DoKeyPress(key)) {
    m.Result = 1;
    return;
  }
  if (key != before) m.WParam = static_cast<unsigned char>(key);
  // A letter typed where characters mean nothing (a button has the focus) may be an
  // accelerator: "&S" fires on S as well as on Alt+S.
  if (!WantsChars() && static_cast<unsigned char>(key) > ' ') {
    if (TCustomForm* form = GetParentForm(this); form && form != this &&
        form->Perform(CM_DIALOGCHAR, static_cast<unsigned char>(key), m.LParam) != 0) {
      m.Result = 1;
      return;
    }
  }
  m.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  if (DoKeyUp(key, KeyDataToShiftState(m.LParam))) {
    m.Result = 1;
    return;
  }
  m.WParam = key;
  m.Result = 0;
}

void TWinControl::CNSysKeyDown(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  if (key == VK_MENU || key == VK_F10) { m.Result = 0; return; }
  if (DoKeyDown(key, KeyDataToShiftState(m.LParam))) {
    m.Result = 1;
    return;
  }
  m.WParam = key;
  m.Result = 0;
}

// Alt+letter: the accelerators of the form's controls.
void TWinControl::CNSysChar(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0) {
    m.Result = 1;
    return;
  }
  m.Result = 0;
}
