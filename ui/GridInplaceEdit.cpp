// The grid's in-place editors and the popup list (see Grids.h).
//
// Key order inside the editor, as on the platform: a dialog key the editor does not
// want goes to the form first; then the editor's KeyDown hands the grid's keys to the
// grid's KeyDown. A key handed to the grid still produces its character (Esc, Tab), so
// that the grid's KeyPress sees it through the editor's KeyPress, but the key itself
// never reaches the edit window.
#include <algorithm>

#include "ui/Grids.h"

using namespace ui_win;

namespace ui_grid_detail {
bool OfferDialogKey(TWinControl* c, bool wanted, TMessage& m);
}

// ============================================================================ TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  SetTabStop(false);
  SetBorderStyle(bsNone);
  SetDoubleBuffered(false);
  SetAutoSelect(false);
}

void TInplaceEdit::CreateParams(TCreateParams& p) {
  TCustomMaskEdit::CreateParams(p);
  // A multi-line edit honours the formatting rectangle and sends no EN_CHANGE when its
  // text is set by the program.
  p.Style |= ES_MULTILINE;
  p.Style &= ~static_cast<DWORD>(WS_VISIBLE | WS_TABSTOP);
}

void TInplaceEdit::Deselect() {
  if (HandleAllocated()) ::SendMessageW(FHandle, EM_SETSEL, 0x7FFFFFFF, static_cast<LPARAM>(-1));
}

void TInplaceEdit::Invalidate() {
  if (!HandleAllocated()) return;
  ::ValidateRect(FHandle, nullptr);
  ::InvalidateRect(FHandle, nullptr, TRUE);
  if (!FGrid || !FGrid->HandleAllocated()) return;
  RECT cur;
  ::GetClientRect(FHandle, &cur);
  ::MapWindowPoints(FHandle, FGrid->Handle(), reinterpret_cast<POINT*>(&cur), 2);
  ::ValidateRect(FGrid->Handle(), &cur);
  ::InvalidateRect(FGrid->Handle(), &cur, FALSE);
}

void TInplaceEdit::Hide() {
  if (!HandleAllocated() || !::IsWindowVisible(FHandle)) return;
  Invalidate();
  ::SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
  if (::GetFocus() == FHandle && FGrid) ::SetFocus(FGrid->Handle());
}

bool TInplaceEdit::PosEqual(const TRect& Loc) {
  if (!HandleAllocated()) return false;
  RECT r;
  ::GetWindowRect(FHandle, &r);
  ::MapWindowPoints(HWND_DESKTOP, FGrid ? FGrid->Handle() : nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r.left == Loc.Left && r.top == Loc.Top && r.right == Loc.Right && r.bottom == Loc.Bottom;
}

void TInplaceEdit::InternalMove(const TRect& Loc, bool Redraw) {
  if (Loc.Right <= Loc.Left || Loc.Bottom <= Loc.Top) {
    Hide();
    return;
  }
  HandleNeeded();
  Redraw = Redraw || !::IsWindowVisible(FHandle);
  Invalidate();
  ::SetWindowPos(FHandle, HWND_TOP, Loc.Left, Loc.Top, Loc.Right - Loc.Left, Loc.Bottom - Loc.Top,
                 SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOACTIVATE);
  BoundsChanged();
  if (Redraw) Invalidate();
  if (FGrid && FGrid->Focused()) ::SetFocus(FHandle);
}

void TInplaceEdit::Move(const TRect& Loc) { InternalMove(Loc, true); }

void TInplaceEdit::UpdateLoc(const TRect& Loc) { InternalMove(Loc, false); }

void TInplaceEdit::BoundsChanged() {
  if (!HandleAllocated()) return;
  RECT r{2, 2, Width() - 2, Height()};
  ::SendMessageW(FHandle, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  ::SendMessageW(FHandle, EM_SCROLLCARET, 0, 0);
}

void TInplaceEdit::SetFocus() {
  if (HandleAllocated() && ::IsWindowVisible(FHandle)) ::SetFocus(FHandle);
}

bool TInplaceEdit::Visible() { return HandleAllocated() && ::IsWindowVisible(FHandle); }

void TInplaceEdit::UpdateContents() {
  if (!FGrid) return;
  SetText("");
  SetEditMask(FGrid->GetEditMask(FGrid->Col(), FGrid->Row()));
  SetText(FGrid->GetEditText(FGrid->Col(), FGrid->Row()));
  SetModified(false);
  SetMaxLength(FGrid->GetEditLimit());
}

bool TInplaceEdit::EditCanModify() { return !FGrid || FGrid->CanEditModify(); }

void TInplaceEdit::GridKeyDown(WORD& Key, TShiftState Shift) {
  if (FGrid) FGrid->KeyDown(Key, Shift);
}

void TInplaceEdit::GridKeyPress(char& Key) {
  if (FGrid) FGrid->KeyPress(Key);
}

TEditStyle TInplaceEdit::GridEditStyle() { return FGrid ? FGrid->GetEditStyle(FGrid->Col(), FGrid->Row()) : esSimple; }

void TInplaceEdit::GridSetEditText(const AnsiString& Value) {
  if (FGrid) FGrid->SetEditText(FGrid->Col(), FGrid->Row(), Value);
}

void TInplaceEdit::DblClick() {
  if (FGrid) FGrid->DblClick();
}

void TInplaceEdit::CNKeyDown(TMessage& m) {
  if (FGrid) {
    MSG msg{FHandle, WM_KEYDOWN, m.WParam, m.LParam, 0, {0, 0}};
    if (ui_grid_detail::OfferDialogKey(this, WantsKey(static_cast<WORD>(m.WParam), &msg), m)) {
      m.Result = 1;
      return;
    }
  }
  FKeyToGrid = false;
  TCustomMaskEdit::CNKeyDown(m);
  if (m.Result != 0 && FKeyToGrid) {
    // The grid had the key: its character still comes, the key itself goes no further.
    m.Result = 0;
    FSwallowKeyDown = true;
  }
  FKeyToGrid = false;
}

void TInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (!FGrid) {
    TCustomMaskEdit::KeyDown(Key, Shift);
    return;
  }
  auto sendToParent = [&] {
    FGrid->KeyDown(Key, Shift);
    Key = 0;
    FKeyToGrid = true;
  };
  const bool forward = FGrid->AlwaysShowEditor(FGrid->Col());
  const bool ctrl = Shift.Contains(ssCtrl);
  auto selection = [this](DWORD& s, DWORD& e) {
    ::SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  };
  auto caretPos = [this] {
    POINT p{0, 0};
    ::GetCaretPos(&p);
    return static_cast<DWORD>(LOWORD(::SendMessageW(FHandle, EM_CHARFROMPOS, 0, MAKELPARAM(p.x, p.y))));
  };
  auto textLen = [this] { return static_cast<DWORD>(::GetWindowTextLengthW(FHandle)); };
  auto leftSide = [&] {
    DWORD s = 0, e = 0;
    selection(s, e);
    return caretPos() == 0 && s == 0 && (e == 0 || e == textLen());
  };
  auto rightSide = [&] {
    DWORD s = 0, e = 0;
    selection(s, e);
    const DWORD len = textLen();
    return caretPos() == len && (s == 0 || e == s) && e == len;
  };
  switch (Key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_ESCAPE:
      sendToParent();
      break;
    case VK_INSERT:
      if (Shift.Empty())
        sendToParent();
      else if (Shift == TShiftState{ssShift} && !FGrid->CanEditModify())
        Key = 0;
      break;
    case VK_LEFT: case VK_HOME:
      if (forward && (ctrl || leftSide())) sendToParent();
      break;
    case VK_RIGHT: case VK_END:
      if (forward && (ctrl || rightSide())) sendToParent();
      break;
    case VK_TAB:
      if (!Shift.Contains(ssAlt)) sendToParent();
      break;
    case VK_DELETE:
      if (ctrl)
        sendToParent();
      else if (!FGrid->CanEditModify())
        Key = 0;
      break;
    default: break;
  }
  if (Key != 0) {
    if (FGrid->OnKeyDown) FGrid->OnKeyDown(FGrid, Key, Shift);
    if (Key != 0) TCustomMaskEdit::KeyDown(Key, Shift);
  }
}

void TInplaceEdit::KeyPress(char& Key) {
  if (!FGrid) {
    TCustomMaskEdit::KeyPress(Key);
    return;
  }
  FGrid->KeyPress(Key);
  const unsigned char k = static_cast<unsigned char>(Key);
  if (k >= 32 && !FGrid->CanEditAcceptKey(Key)) {
    Key = 0;
    ::MessageBeep(0);
  }
  switch (static_cast<unsigned char>(Key)) {
    case 0: break;
    case 9: case 27: Key = 0; break;
    case 13: {
      DWORD s = 0, e = 0;
      ::SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
      if (s == 0 && e == static_cast<DWORD>(::GetWindowTextLengthW(FHandle)))
        Deselect();
      else
        SelectAll();
      Key = 0;
      break;
    }
    default:
      if ((Key == 8 || Key == 22 || Key == 24 || static_cast<unsigned char>(Key) >= 32) && !FGrid->CanEditModify())
        Key = 0;
      break;
  }
  if (Key != 0) TCustomMaskEdit::KeyPress(Key);
}

void TInplaceEdit::KeyUp(WORD& Key, TShiftState Shift) {
  if (FGrid)
    FGrid->KeyUp(Key, Shift);
  else
    TCustomMaskEdit::KeyUp(Key, Shift);
}

// The editor's focus is the grid's as far as the form is concerned: moving between
// them is no exit from the grid.
void TInplaceEdit::WMSetFocus(TMessage& m) {
  if (!FGrid) {
    TCustomMaskEdit::WMSetFocus(m);
    return;
  }
  DefaultHandler(m);
  if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(FGrid);
}

void TInplaceEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
      if (FSwallowKeyDown) {
        FSwallowKeyDown = false;
        m.Result = 0;
        return;
      }
      break;
    case WM_GETDLGCODE:
      TCustomMaskEdit::WndProc(m);
      // All keys but Tab: Tab is the editor's only when the grid takes tabs.
      if (FGrid) {
        if (FGrid->Options().Contains(goTabs))
          m.Result |= DLGC_WANTTAB;
        else if (m.WParam == VK_TAB)
          m.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
      }
      return;
    case WM_LBUTTONDOWN:
      if (static_cast<DWORD>(::GetMessageTime() - FClickTime) < ::GetDoubleClickTime()) m.Msg = WM_LBUTTONDBLCLK;
      FClickTime = 0;
      break;
    case WM_PASTE: case WM_CUT: case WM_CLEAR:
      if (!EditCanModify()) return;
      break;
    case WM_MOUSEWHEEL:
      if (FGrid && FGrid->HandleAllocated()) m.Result = ::SendMessageW(FGrid->Handle(), m.Msg, m.WParam, m.LParam);
      return;
    default: break;
  }
  TCustomMaskEdit::WndProc(m);
}

// ============================================================================ TPopupListbox

TPopupListbox::TPopupListbox(TComponent* AOwner) : TCustomListBox(AOwner) {
  SetVisible(false);
  SetTabStop(false);
}

void TPopupListbox::CreateParams(TCreateParams& p) {
  TCustomListBox::CreateParams(p);
  p.Style = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS;
  if (!FIntegralHeight) p.Style |= LBS_NOINTEGRALHEIGHT;
  p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  p.X = p.Y = 0;
}

void TPopupListbox::CreateWnd() {
  TCustomListBox::CreateWnd();
  if (FItemHeightWanted > 0) ::SendMessageW(FHandle, LB_SETITEMHEIGHT, 0, FItemHeightWanted);
  // Drawn as focused while the keyboard focus stays in the editor.
  ::CallWindowProcW(FDefWndProc, FHandle, WM_SETFOCUS, 0, 0);
}

// Key press sees the typed text one byte at a time, as a list of the ANSI code page does:
// a Chinese character comes as its lead byte, then its trail byte.
// Mended: the search used to take the lead byte alone (typing 灰 searched for half a
// character and found nothing); a lead byte now waits for its trail byte and the search
// takes the whole character.
void TPopupListbox::KeyPress(char& Key) {
  const unsigned char k = static_cast<unsigned char>(Key);
  if (k == 8 || k == 27) {
    FSearchText.clear();
    FLeadByte = 0;
  } else if (k >= 32) {
    if (FLeadByte != 0) {
      const char ch[2] = {FLeadByte, Key};
      FLeadByte = 0;
      Search(AnsiString(ch, 2));
    } else if (IsLeadByte(k)) {
      FLeadByte = Key;
    } else {
      Search(AnsiString(1, Key));
    }
    Key = 0;
  }
  TCustomListBox::KeyPress(Key);
}

// Appends one whole character (while the text stays within 32 bytes; a text typed more
// than two seconds after the last key starts anew) and selects the first item that
// begins with the text.
void TPopupListbox::Search(const AnsiString& ch) {
  const DWORD now = TickCount();
  if (now - FSearchTickCount > 2000) FSearchText.clear();
  FSearchTickCount = now;
  if (FSearchText.size() + ch.size() <= 32) FSearchText += ch;
  if (HandleAllocated())
    ::SendMessageW(FHandle, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(Wide(FSearchText).c_str()));
}

void TPopupListbox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomListBox::MouseUp(Button, Shift, X, Y);
  if (OnListMouseUp) OnListMouseUp(Button, Shift, X, Y);
}

// The list never takes the activation nor the focus: a press selects the item under
// the mouse and holds the mouse until the release.
void TPopupListbox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEACTIVATE:
      m.Result = MA_NOACTIVATE;
      return;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_MOUSEMOVE: {
      if (m.Msg == WM_MOUSEMOVE && ::GetCapture() != FHandle) break;
      const LRESULT item = ::SendMessageW(FHandle, LB_ITEMFROMPOINT, 0, m.LParam);
      if (HIWORD(item) == 0) ::SendMessageW(FHandle, LB_SETCURSEL, LOWORD(item), 0);
      if (m.Msg != WM_MOUSEMOVE) ::SetCapture(FHandle);
      m.Result = 0;
      return;
    }
    case WM_LBUTTONUP: {
      if (::GetCapture() == FHandle) ::ReleaseCapture();
      MouseUp(mbLeft, {}, static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam)));
      m.Result = 0;
      return;
    }
    case WM_CHAR: {
      // The window is a Unicode one: a Chinese character arrives whole, as one message.
      // Key press gets its GBK bytes one after the other.
      const wchar_t w = static_cast<wchar_t>(m.WParam);
      const AnsiString bytes = m.WParam < 0x80 ? AnsiString(1, static_cast<char>(m.WParam)) : Ansi(&w, 1);
      bool used = !bytes.empty();
      for (char b : bytes) {
        char key = b;
        KeyPress(key);
        used = used && key == 0;
      }
      if (used) return;
      break;
    }
    default: break;
  }
  TCustomListBox::WndProc(m);
}

void ShowDropDownList(HWND list, HWND editor, int width, int height, HWND insertAfter) {
  RECT er;
  ::GetWindowRect(editor, &er);
  TRect work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (::GetMonitorInfoW(::MonitorFromWindow(editor, MONITOR_DEFAULTTONEAREST), &mi))
    work = {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
  const TRect place = grid_geometry::DropDownPlace({er.left, er.top, er.right, er.bottom}, width, height, work);
  ::SetWindowPos(list, insertAfter, place.Left, place.Top, place.Right - place.Left, place.Bottom - place.Top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// ============================================================================ TInplaceEditList

TInplaceEditList::TInplaceEditList(TComponent* AOwner)
    : TInplaceEdit(AOwner), FButtonWidth(::GetSystemMetrics(SM_CXVSCROLL)) {}

TPopupListbox* TInplaceEditList::PickList() {
  if (!FPickList) {
    FPickList = new TPopupListbox(this);
    FPickList->SetIntegralHeight(true);
    FPickList->SetParent(this);
    FPickList->OnListMouseUp = [this](TMouseButton Button, TShiftState, int X, int Y) {
      if (Button != mbLeft || !FPickList) return;
      CloseUp(X >= 0 && Y >= 0 && X < FPickList->Width() && Y < FPickList->Height());
    };
  }
  return FPickList;
}

TRect TInplaceEditList::ButtonRect() { return Rect(Width() - FButtonWidth, 0, Width(), Height()); }

void TInplaceEditList::SetEditStyle(TEditStyle v) {
  if (v == FEditStyle) return;
  FEditStyle = v;
  BoundsChanged();
  Invalidate();
}

void TInplaceEditList::UpdateContents() {
  FActiveList = nullptr;
  TInplaceEdit::UpdateContents();
  SetEditStyle(GridEditStyle());
  if (FEditStyle == esPickList) FActiveList = PickList();
}

void TInplaceEditList::BoundsChanged() {
  if (!HandleAllocated()) return;
  RECT r{2, 2, Width() - 2, Height()};
  if (FEditStyle != esSimple) r.right -= FButtonWidth;
  ::SendMessageW(FHandle, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  ::SendMessageW(FHandle, EM_SCROLLCARET, 0, 0);
}

void TInplaceEditList::DoGetPickListItems() {
  if (OnGetPickListItems && Grid()) OnGetPickListItems(Grid()->Col(), PickList()->Items());
}

void TInplaceEditList::DoEditButtonClick() {
  if (OnEditButtonClick) OnEditButtonClick(Grid());
}

void TInplaceEditList::DropDown() {
  if (FListVisible || !FActiveList) return;
  TPopupListbox* list = PickList();
  DoGetPickListItems();
  list->SetColor(Color());
  list->SetFont(Font());
  list->HandleNeeded();
  const int count = list->Items()->Count();
  const int rows = (FDropDownRows > 0 && count >= FDropDownRows) ? FDropDownRows : count;
  const int itemHeight = list->ItemHeight();
  RECT frame{0, 0, 0, 0};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(list->Handle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(list->Handle(), GWL_EXSTYLE)));
  const int height = rows * itemHeight + 4;
  list->SetItemIndex(Text().empty() ? -1 : list->Items()->IndexOf(Text()));
  int width = Width();
  {
    WindowDC dc(list->Handle());
    Selected font(dc.dc(), list->Font()->Handle());
    for (int i = 0; i < count; ++i) {
      const std::wstring w = Wide(list->Items()->Strings(i));
      SIZE sz{0, 0};
      ::GetTextExtentPoint32W(dc.dc(), w.c_str(), static_cast<int>(w.size()), &sz);
      width = std::max<int>(width, sz.cx + (frame.right - frame.left) + ::GetSystemMetrics(SM_CXVSCROLL) + 4);
    }
  }
  ShowDropDownList(list->Handle(), FHandle, width, height, HWND_TOP);
  FListVisible = true;
  Invalidate();
  ::SetFocus(FHandle);
}

void TInplaceEditList::CloseUp(bool Accept) {
  if (!FListVisible || FActiveList != FPickList || !FPickList) return;
  if (HWND cap = ::GetCapture()) ::SendMessageW(cap, WM_CANCELMODE, 0, 0);
  const int index = FPickList->ItemIndex();
  const bool has = index >= 0;
  const AnsiString value = has ? FPickList->Items()->Strings(index) : AnsiString();
  ::SetWindowPos(FPickList->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  FListVisible = false;
  Invalidate();
  if (Accept && has && value != Text()) {
    ::SendMessageW(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(value).c_str()));
    SetModified(true);
    GridSetEditText(value);
  }
}

void TInplaceEditList::DblClick() {
  if (FEditStyle == esSimple || (Grid() && Grid()->OnDblClick)) {
    TInplaceEdit::DblClick();
  } else if (FEditStyle == esPickList && FActiveList == FPickList) {
    DoGetPickListItems();
    TPopupListbox* list = PickList();
    const int count = list->Items()->Count();
    if (count > 0) {
      int index = list->ItemIndex() + 1;
      if (index >= count) index = 0;
      list->SetItemIndex(index);
      const AnsiString value = list->Items()->Strings(index);
      ::SendMessageW(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(value).c_str()));
      SetModified(true);
      GridSetEditText(value);
      SelectAll();
    }
  } else if (FEditStyle == esEllipsis) {
    DoEditButtonClick();
  }
}

void TInplaceEditList::KeyDown(WORD& Key, TShiftState Shift) {
  if (FEditStyle == esEllipsis && Key == VK_RETURN && Shift == TShiftState{ssCtrl}) {
    DoEditButtonClick();
    Key = 0;
    return;
  }
  TInplaceEdit::KeyDown(Key, Shift);
}

void TInplaceEditList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FEditStyle != esSimple && ButtonRect().Contains({X, Y})) {
    if (FListVisible) {
      CloseUp(false);
    } else {
      FPressed = true;
      if (FActiveList) DropDown();
    }
  }
  TInplaceEdit::MouseDown(Button, Shift, X, Y);
}

void TInplaceEditList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool wasPressed = FPressed;
  FPressed = false;
  if (Button == mbLeft && FEditStyle == esEllipsis && wasPressed) DoEditButtonClick();
  TInplaceEdit::MouseUp(Button, Shift, X, Y);
}

void TInplaceEditList::CMCancelMode(TMessage& m) {
  const auto* pressed = reinterpret_cast<const TControl*>(m.LParam);
  if (pressed != this && pressed != FActiveList) CloseUp(false);
}

void TInplaceEditList::PaintButton(HDC dc) {
  if (FEditStyle == esSimple) return;
  RECT r{Width() - FButtonWidth, 0, Width(), Height()};
  if (FEditStyle == esPickList) {
    ::DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (FListVisible ? DFCS_PUSHED : 0));
  } else {
    ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (FPressed ? DFCS_PUSHED : 0));
    const int x = r.left + (r.right - r.left) / 2 - 4, y = r.top + (r.bottom - r.top) / 2;
    for (int i = 0; i < 3; ++i) ::PatBlt(dc, x + i * 3, y, 2, 2, BLACKNESS);
  }
}

// Keys of the pick list come first: Alt+Up/Down opens and closes it, Enter and Esc
// close it; while it is open every other key goes to the list.
void TInplaceEditList::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_KEYDOWN: case CN_SYSKEYDOWN: case CN_CHAR:
      if (FEditStyle == esPickList) {
        WORD key = static_cast<WORD>(m.WParam);
        const TShiftState shift = KeyDataToShiftState(m.LParam);
        if (m.Msg != CN_CHAR) {
          if ((key == VK_UP || key == VK_DOWN) && shift.Contains(ssAlt)) {
            if (FListVisible) CloseUp(true); else DropDown();
            key = 0;
          } else if ((key == VK_RETURN || key == VK_ESCAPE) && FListVisible && !shift.Contains(ssAlt)) {
            CloseUp(key == VK_RETURN);
            key = 0;
          }
        }
        if (key == 0) {
          m.Result = 1;
          return;
        }
        if (FListVisible && FPickList) {
          const UINT msg = m.Msg == CN_CHAR ? WM_CHAR : m.Msg == CN_SYSKEYDOWN ? WM_SYSKEYDOWN : WM_KEYDOWN;
          ::SendMessageW(FPickList->Handle(), msg, m.WParam, m.LParam);
          if (m.Msg == CN_KEYDOWN) {
            // Mended: the key used to be used up here, before translation, so no
            // character followed and letters typed on the keyboard never searched the
            // list. The key is left to be translated (its character comes back as
            // CN_CHAR and goes to the list too); the key message then passes the edit by.
            SwallowNextKeyDown();
            m.Result = 0;
          } else {
            m.Result = 1;
          }
          return;
        }
      }
      break;
    case CM_CANCELMODE:
      CMCancelMode(m);
      break;
    case WM_PAINT:
      TInplaceEdit::WndProc(m);
      if (FEditStyle != esSimple && HandleAllocated()) {
        WindowDC dc(FHandle);
        PaintButton(dc.dc());
      }
      return;
    case WM_KILLFOCUS:
      TInplaceEdit::WndProc(m);
      CloseUp(false);
      return;
    case WM_CANCELMODE:
      FPressed = false;
      break;
    case WM_LBUTTONDBLCLK:
      if (FEditStyle != esSimple &&
          ButtonRect().Contains({static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))}))
        return;
      break;
    case WM_SETCURSOR:
      if (FEditStyle != esSimple) {
        POINT p;
        ::GetCursorPos(&p);
        ::ScreenToClient(FHandle, &p);
        if (ButtonRect().Contains({p.x, p.y})) {
          ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
          m.Result = 1;
          return;
        }
      }
      break;
    default: break;
  }
  TInplaceEdit::WndProc(m);
}
