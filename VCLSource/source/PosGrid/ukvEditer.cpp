// The library's in-place editors: the text editor and the drop-down editor, both asking
// their grid view, and the pick list.
#include "VCLSource/source/PosGrid/ukvEditer.h"

#include <algorithm>

#include "VCLSource/source/PosGrid/ukvGridLayout.h"
#include "ui/GdiScopes.h"
#include "ui/GridDetail.h"
#include "ui/WinApi.h"

using ui_win::Wide;

void KillMessage(HWND Window, UINT Msg) {
  MSG m;
  if (::PeekMessageW(&m, Window, Msg, Msg, PM_REMOVE) && m.message == WM_QUIT)
    ::PostQuitMessage(static_cast<int>(m.wParam));
}

namespace {

using ui_grid_detail::OfferDialogKey;

void GetSelection(HWND h, DWORD& s, DWORD& e) {
  ::SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
}

DWORD TextLength(HWND h) { return static_cast<DWORD>(::GetWindowTextLengthW(h)); }

}  // namespace

// ============================================================================ TkwInplaceEdit

TkwInplaceEdit::TkwInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) { SetDoubleBuffered(false); }

std::shared_ptr<IkwGridView> TkwInplaceEdit::GetGridViewFallback() { return std::make_shared<TkwEmptyGridView>(); }

IkwGridView& TkwInplaceEdit::GridView() {
  if (!FGridView) SetGridView(GetGridViewFallback());
  return *FGridView;
}

void TkwInplaceEdit::SetGridView(std::shared_ptr<IkwGridView> v) {
  if (!v) v = GetGridViewFallback();
  if (v == FGridView) return;
  FGridView = std::move(v);
  const bool g = FGridView->HasGrid();
  SetTabStop(!g);
  SetBorderStyle(g ? bsNone : bsSingle);
}

bool TkwInplaceEdit::HasGrid() const { return FGridView && FGridView->HasGrid(); }

void TkwInplaceEdit::CreateParams(TCreateParams& p) {
  GridView();  // the window's styles follow the view, the fallback one at the latest
  TCustomMaskEdit::CreateParams(p);
  // A multi-line edit honours the formatting rectangle.
  p.Style |= ES_MULTILINE;
  if (HasGrid()) p.Style &= ~static_cast<DWORD>(WS_VISIBLE | WS_TABSTOP);
}

void TkwInplaceEdit::SetVisible(bool v) {
  if (!HasGrid()) TInplaceEdit::SetVisible(v);
}

bool TkwInplaceEdit::Visible() { return HandleAllocated() && ::IsWindowVisible(Handle()) && Width() > 0; }

void TkwInplaceEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TInplaceEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (HandleAllocated()) BoundsChanged();
}

void TkwInplaceEdit::Invalidate() {
  if (!HandleAllocated()) return;
  ::ValidateRect(Handle(), nullptr);
  ::InvalidateRect(Handle(), nullptr, TRUE);
  if (!HasGrid()) return;
  const HWND grid = GridView().GetHandle();
  if (!grid) return;
  RECT cur;
  ::GetClientRect(Handle(), &cur);
  ::MapWindowPoints(Handle(), grid, reinterpret_cast<POINT*>(&cur), 2);
  ::ValidateRect(grid, &cur);
  ::InvalidateRect(grid, &cur, FALSE);
}

void TkwInplaceEdit::Hide() {
  if (!HandleAllocated()) return;
  Invalidate();
  ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
  if (HasGrid() && ::GetFocus() == Handle()) {
    if (const HWND grid = GridView().GetHandle()) ::SetFocus(grid);
  }
}

void TkwInplaceEdit::InternalMove(const TRect& Loc, bool Redraw) {
  if (Loc.Right <= Loc.Left || Loc.Bottom <= Loc.Top) {
    Hide();
    return;
  }
  HandleNeeded();
  Redraw = Redraw || !::IsWindowVisible(Handle());
  Invalidate();
  ::SetWindowPos(Handle(), HWND_TOP, Loc.Left, Loc.Top, Loc.Right - Loc.Left, Loc.Bottom - Loc.Top,
                 SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOACTIVATE);
  BoundsChanged();
  if (Redraw) Invalidate();
  if (HasGrid() && GridView().Focused()) ::SetFocus(Handle());
}

void TkwInplaceEdit::UpdateContents() {
  IkwGridView& view = GridView();
  SetText("");
  SetEditMask(view.GetEditMask(view.Col(), view.Row()));
  SetText(view.GetEditText(view.Col(), view.Row()));
  SetModified(false);
  SetMaxLength(view.GetEditLimit());
}

bool TkwInplaceEdit::EditCanModify() { return !HasGrid() || GridView().CanEditModify(); }

void TkwInplaceEdit::DblClick() {
  if (HasGrid()) GridView().DblClick();
}

void TkwInplaceEdit::WMSetFocus(TMessage& m) {
  if (!HasGrid()) {
    TCustomMaskEdit::WMSetFocus(m);
    return;
  }
  DefaultHandler(m);
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  if (TWinControl* owner = TWinControl::FindOwningControl(GridView().GetHandle()))
    form->SetFocusedControl(owner);
  else
    form->SetFocusedControl(this);
}

void TkwInplaceEdit::WndProc(TMessage& m) {
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
      if (HasGrid()) m.Result |= DLGC_WANTTAB;
      return;
    case WM_MOUSEWHEEL:
      // The grid scrolls; the editor's caret never moves (without a grid the empty view
      // drops the wheel).
      GridView().WndProc(m);
      return;
    default: break;
  }
  // The click time (a press soon after the grid's becomes a double click) and the
  // cut/paste/clear guard of the platform's editor.
  TInplaceEdit::WndProc(m);
}

void TkwInplaceEdit::CNKeyDown(TMessage& m) {
  if (HasGrid()) {
    MSG msg{Handle(), WM_KEYDOWN, m.WParam, m.LParam, 0, {0, 0}};
    if (OfferDialogKey(this, WantsKey(static_cast<WORD>(m.WParam), &msg), m)) {
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

void TkwInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (!HasGrid()) {
    TCustomMaskEdit::KeyDown(Key, Shift);
    return;
  }
  IkwGridView& view = GridView();
  const HWND h = Handle();
  auto toGrid = [&] {
    view.KeyDown(Key, Shift);
    Key = 0;
    FKeyToGrid = true;
  };
  const bool forward = view.AlwaysShowEditor();
  const bool ctrl = Shift.Contains(ssCtrl);
  auto caretPos = [h] {
    POINT p{0, 0};
    ::GetCaretPos(&p);
    return static_cast<DWORD>(LOWORD(::SendMessageW(h, EM_CHARFROMPOS, 0, MAKELPARAM(p.x, p.y))));
  };
  auto leftSide = [&] {
    DWORD s = 0, e = 0;
    GetSelection(h, s, e);
    return caretPos() == 0 && s == 0 && (e == 0 || e == TextLength(h));
  };
  auto rightSide = [&] {
    DWORD s = 0, e = 0;
    GetSelection(h, s, e);
    const DWORD len = TextLength(h);
    return caretPos() == len && (s == 0 || e == s) && e == len;
  };
  switch (Key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_ESCAPE:
      toGrid();
      break;
    case VK_INSERT:
      if (Shift.Empty())
        toGrid();
      else if (Shift == TShiftState{ssShift} && !view.CanEditModify())
        Key = 0;
      break;
    case VK_LEFT: case VK_HOME:
      if (forward && (ctrl || leftSide())) toGrid();
      break;
    case VK_RIGHT: case VK_END:
      if (forward && (ctrl || rightSide())) toGrid();
      break;
    case VK_TAB:
      if (!Shift.Contains(ssAlt)) toGrid();
      break;
    case VK_DELETE:
      if (ctrl)
        toGrid();
      else if (!view.CanEditModify())
        Key = 0;
      break;
    default: break;
  }
  if (Key != 0) {
    view.KeyDownEvent(Key, Shift);
    if (Key != 0) TCustomMaskEdit::KeyDown(Key, Shift);
  }
}

void TkwInplaceEdit::KeyPress(char& Key) {
  IkwGridView& view = GridView();
  view.KeyPress(Key);
  const unsigned char k = static_cast<unsigned char>(Key);
  if (k >= 32 && !view.CanEditAcceptKey(Key)) {
    Key = 0;
    ::MessageBeep(0);
  }
  switch (static_cast<unsigned char>(Key)) {
    case 0: break;
    case 9: case 27: Key = 0; break;
    case 13: {
      DWORD s = 0, e = 0;
      GetSelection(Handle(), s, e);
      if (s == 0 && e == TextLength(Handle()))
        Deselect();
      else
        SelectAll();
      Key = 0;
      break;
    }
    default:
      if ((Key == 8 || Key == 22 || Key == 24 || static_cast<unsigned char>(Key) >= 32) && !view.CanEditModify())
        Key = 0;
      break;
  }
  if (Key != 0) TCustomMaskEdit::KeyPress(Key);
}

void TkwInplaceEdit::KeyUp(WORD& Key, TShiftState Shift) {
  if (HasGrid())
    GridView().KeyUp(Key, Shift);
  else
    TCustomMaskEdit::KeyUp(Key, Shift);
}

// ============================================================================ TkwPopupListbox

TkwPopupListbox::TkwPopupListbox(TkwInplaceEditList* AOwner) : TPopupListbox(AOwner), FEditor(AOwner) {}

void TkwPopupListbox::CreateParams(TCreateParams& p) {
  TPopupListbox::CreateParams(p);
  p.ClassStyle |= CS_SAVEBITS;
}

void TkwPopupListbox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TPopupListbox::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft && FEditor) FEditor->CloseUp(X >= 0 && Y >= 0 && X < Width() && Y < Height());
}

// ============================================================================ TkwInplaceEditList

TkwInplaceEditList::TkwInplaceEditList(TComponent* AOwner)
    : TkwInplaceEdit(AOwner), FButtonWidth(::GetSystemMetrics(SM_CXVSCROLL)) {}

TkwPopupListbox* TkwInplaceEditList::PickList() {
  if (!FPickList) {
    FPickList = new TkwPopupListbox(this);
    FPickList->SetIntegralHeight(true);
    FPickList->SetColor(clWindow);
    FPickList->SetParent(this);
  }
  return FPickList;
}

void TkwInplaceEditList::SetEditStyle(TEditStyle v) {
  if (v == FEditStyle) return;
  FEditStyle = v;
  BoundsChanged();
  Invalidate();
}

bool TkwInplaceEditList::MayModify() { return !ReadOnly() && EditCanModify(); }

bool TkwInplaceEditList::ButtonShown() { return !ReadOnly() && FEditStyle != esSimple && FFocused; }

TRect TkwInplaceEditList::ButtonRect() {
  if (ReadOnly()) return TRect();
  if (GridView().UseRightToLeftAlignment()) return Rect(0, 0, FButtonWidth, Height());
  const int edge = BorderStyle() == bsSingle ? 4 : 0;
  const int w = Width() - edge, h = Height() - edge;
  if (FEditStyle == esEllipsis) return Rect(w - Height(), 0, w, h);
  return Rect(w - FButtonWidth, 0, w, h);
}

void TkwInplaceEditList::BoundsChanged() {
  if (!HandleAllocated()) return;
  RECT r{2, 2, Width() - 2, Height()};
  if (FEditStyle != esSimple && FFocused) {
    if (GridView().UseRightToLeftAlignment())
      r.left += FButtonWidth - 2;
    else
      r.right -= FEditStyle == esEllipsis ? Height() : FButtonWidth;
  }
  ::SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  ::SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
}

void TkwInplaceEditList::UpdateContents() {
  FActiveList = nullptr;
  FPickListLoaded = false;
  if (HasGrid()) SetEditStyle(GridView().GetEditStyle(GridView().Col(), GridView().Row()));
  if (FEditStyle == esPickList) FActiveList = PickList();
  TkwInplaceEdit::UpdateContents();
}

void TkwInplaceEditList::DoGetPickListItems() {
  if (FPickListLoaded) return;
  IkwGridView& view = GridView();
  if (OnGetPickListItems) OnGetPickListItems(view.Col(), view.Row(), PickList()->Items());
  FPickListLoaded = PickList()->Items()->Count() > 0;
}

void TkwInplaceEditList::DoEditButtonClick() {
  if (OnEditButtonClick) OnEditButtonClick(this);
}

void TkwInplaceEditList::InvalidateForList() {
  if (HasGrid())
    Invalidate();
  else if (HandleAllocated())
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TkwInplaceEditList::SetTextDirect(const AnsiString& v) {
  ::SendMessageW(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(v).c_str()));
}

// The platform places a long list below or above the editor whatever its height, so
// its ends could lie off the screen out of the mouse's reach; here it is kept inside
// the work area of the editor's monitor and scrolls.
TRect TkwInplaceEditList::ListPlace(int width, int height) {
  RECT er;
  ::GetWindowRect(Handle(), &er);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (::GetMonitorInfoW(::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &mi)) work = mi.rcWork;
  return kw_grid::DropDownPlace({er.left, er.top, er.right, er.bottom}, width, height,
                                {work.left, work.top, work.right, work.bottom});
}

void TkwInplaceEditList::DropDown() {
  if (FListVisible || !FActiveList) return;
  FActiveList->HandleNeeded();
  int width = Width();
  int height = FActiveList->Height();
  if (FActiveList == FPickList) {
    DoGetPickListItems();
    TkwPopupListbox* list = FPickList;
    list->SetColor(clWindow);
    list->SetFont(Font());
    const int count = list->Items()->Count();
    const int rows = (FDropDownRows > 0 && count >= FDropDownRows) ? FDropDownRows : count;
    height = rows * list->ItemHeight() + 4;
    list->SetItemIndex(Text().empty() ? -1 : list->Items()->IndexOf(Text()));
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(list->Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(list->Handle(), GWL_EXSTYLE)));
    ui_win::WindowDC dc(list->Handle());
    ui_win::Selected font(dc.dc(), list->Font()->Handle());
    for (int i = 0; i < count; ++i) {
      const std::wstring w = Wide(list->Items()->Strings(i));
      SIZE sz{0, 0};
      ::GetTextExtentPoint32W(dc.dc(), w.c_str(), static_cast<int>(w.size()), &sz);
      width = std::max<int>(width, sz.cx + (frame.right - frame.left) + ::GetSystemMetrics(SM_CXVSCROLL) + 4);
    }
  }
  const TRect place = ListPlace(width, height);
  ::SetWindowPos(FActiveList->Handle(), HWND_TOP, place.Left, place.Top, place.Right - place.Left,
                 place.Bottom - place.Top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  FListVisible = true;
  InvalidateForList();
  ::SetFocus(Handle());
}

// A list value reaches the cell only when the cell may be modified.
void TkwInplaceEditList::CloseUp(bool Accept) {
  if (!FListVisible || !FPickList || FActiveList != FPickList) return;
  if (HWND cap = ::GetCapture()) ::SendMessageW(cap, WM_CANCELMODE, 0, 0);
  const int index = FPickList->ItemIndex();
  const bool chosen = index >= 0;
  const AnsiString value = chosen ? FPickList->Items()->Strings(index) : AnsiString();
  ::SetWindowPos(FPickList->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  FListVisible = false;
  InvalidateForList();
  if (Accept && chosen && value != Text() && MayModify()) {
    SetTextDirect(value);
    SetModified(true);
    if (OnChange) OnChange(this);
    IkwGridView& view = GridView();
    view.SetEditText(view.Col(), view.Row(), value);
  }
}

void TkwInplaceEditList::DoDropDownKeys(WORD& Key, TShiftState Shift) {
  switch (Key) {
    case VK_UP: case VK_DOWN:
      if (Shift.Contains(ssAlt)) {
        if (FListVisible) CloseUp(true); else DropDown();
        Key = 0;
      }
      break;
    case VK_RETURN: case VK_ESCAPE:
      if (FListVisible && !Shift.Contains(ssAlt)) {
        CloseUp(Key == VK_RETURN);
        Key = 0;
      }
      break;
    default: break;
  }
}

// A double click steps a pick-list cell through its list, but never in a cell that may
// not be modified.
void TkwInplaceEditList::DblClick() {
  switch (FEditStyle) {
    case esSimple: TkwInplaceEdit::DblClick(); break;
    case esPickList: {
      if (FActiveList != FPickList || !MayModify()) return;
      DoGetPickListItems();
      TkwPopupListbox* list = PickList();
      const int count = list->Items()->Count();
      if (count == 0) return;
      int index = list->ItemIndex() + 1;
      if (index >= count) index = 0;
      list->SetItemIndex(index);
      const AnsiString value = list->Items()->Strings(index);
      SetTextDirect(value);
      SetModified(true);
      IkwGridView& view = GridView();
      view.SetEditText(view.Col(), view.Row(), value);
      SelectAll();
      break;
    }
    case esEllipsis: DoEditButtonClick(); break;
  }
}

// The key was translated to a line feed before it got here; that character would
// otherwise break the cell's text in two.
void TkwInplaceEditList::KeyDown(WORD& Key, TShiftState Shift) {
  if (FEditStyle == esEllipsis && Key == VK_RETURN && Shift == TShiftState{ssCtrl}) {
    DoEditButtonClick();
    KillMessage(Handle(), WM_CHAR);
    Key = 0;
    return;
  }
  TkwInplaceEdit::KeyDown(Key, Shift);
}

void TkwInplaceEditList::TrackButton(int X, int Y) {
  const bool pressed = OverButton({X, Y});
  if (pressed == FPressed) return;
  FPressed = pressed;
  if (!HandleAllocated()) return;
  const TRect b = ButtonRect();
  const RECT r{b.Left, b.Top, b.Right, b.Bottom};
  ::InvalidateRect(Handle(), &r, FALSE);
}

void TkwInplaceEditList::StopTracking() {
  if (!FTracking) return;
  TrackButton(-1, -1);
  FTracking = false;
  if (::GetCapture() == Handle()) ::ReleaseCapture();
}

void TkwInplaceEditList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FEditStyle != esSimple && OverButton({X, Y})) {
    if (FListVisible) {
      CloseUp(false);
    } else {
      ::SetCapture(Handle());
      FTracking = true;
      TrackButton(X, Y);
      if (FActiveList) DropDown();
    }
  }
  TkwInplaceEdit::MouseDown(Button, Shift, X, Y);
}

void TkwInplaceEditList::MouseMove(TShiftState Shift, int X, int Y) {
  if (FTracking) {
    TrackButton(X, Y);
    if (FListVisible && FActiveList && FActiveList->HandleAllocated()) {
      POINT p{X, Y};
      ::MapWindowPoints(Handle(), FActiveList->Handle(), &p, 1);
      RECT cr;
      ::GetClientRect(FActiveList->Handle(), &cr);
      if (::PtInRect(&cr, p)) {
        StopTracking();
        ::SendMessageW(FActiveList->Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(p.x, p.y));
        return;
      }
    }
  }
  TkwInplaceEdit::MouseMove(Shift, X, Y);
}

void TkwInplaceEditList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool wasPressed = FPressed;
  StopTracking();
  if (Button == mbLeft && FEditStyle == esEllipsis && wasPressed) DoEditButtonClick();
  TkwInplaceEdit::MouseUp(Button, Shift, X, Y);
}

void TkwInplaceEditList::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_KEYDOWN: case CN_SYSKEYDOWN: case CN_CHAR:
      // Keys of the pick list come first; while it is open every other key goes to it.
      if (FEditStyle == esPickList) {
        WORD key = static_cast<WORD>(m.WParam);
        if (m.Msg != CN_CHAR) DoDropDownKeys(key, KeyDataToShiftState(m.LParam));
        if (key == 0) {
          m.Result = 1;
          return;
        }
        if (FListVisible && FActiveList) {
          const UINT msg = m.Msg == CN_CHAR ? WM_CHAR : m.Msg == CN_SYSKEYDOWN ? WM_SYSKEYDOWN : WM_KEYDOWN;
          ::SendMessageW(FActiveList->Handle(), msg, m.WParam, m.LParam);
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
    case CM_CANCELMODE: {
      // Mended: a press on a control that takes no focus (a panel, a label, a check box
      // of the grid) left the list open. A press anywhere but the editor and its list
      // closes it, without taking its value.
      const auto* pressed = reinterpret_cast<const TControl*>(m.LParam);
      if (pressed != this && pressed != FActiveList) CloseUp(false);
      break;
    }
    case WM_KEYDOWN:
      if (m.WParam == VK_RETURN && !HasGrid() && FEditStyle == esEllipsis && OnReturnKey) OnReturnKey(this);
      break;
    case WM_SETFOCUS:
      FFocused = true;
      TkwInplaceEdit::WndProc(m);
      BoundsChanged();
      if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, TRUE);
      return;
    case WM_KILLFOCUS:
      FFocused = false;
      BoundsChanged();
      TkwInplaceEdit::WndProc(m);
      CloseUp(false);
      if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, TRUE);
      return;
    case WM_PAINT:
      if (m.WParam != 0)
        PaintInto(reinterpret_cast<HDC>(m.WParam));
      else
        PaintOffScreen();
      return;
    case WM_CANCELMODE:
      StopTracking();
      break;
    case WM_LBUTTONDBLCLK:
      if (FEditStyle != esSimple && OverButton({static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))}))
        return;
      break;
    case WM_SETCURSOR:
      if (FEditStyle != esSimple) {
        POINT p;
        ::GetCursorPos(&p);
        ::ScreenToClient(Handle(), &p);
        if (OverButton({p.x, p.y})) {
          ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
          m.Result = 1;
          return;
        }
      }
      break;
    default: break;
  }
  TkwInplaceEdit::WndProc(m);
}

void TkwInplaceEditList::PaintOffScreen() {
  const ui_win::PaintDC pdc(Handle());
  RECT cr;
  ::GetClientRect(Handle(), &cr);
  const ui_win::BackBuffer buffer(pdc.dc(), cr.right, cr.bottom);
  if (!buffer.Valid()) {
    PaintInto(pdc.dc());
    return;
  }
  PaintInto(buffer.dc());
  buffer.CopyTo(pdc.dc(), cr);
}

// The edit's own paint runs into the DC it is handed, clipped around the button.
void TkwInplaceEditList::PaintInto(HDC dc) {
  const ui_win::SavedDC saved(dc);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  if (ButtonShown()) {
    DrawButton(dc);
    const TRect b = ButtonRect();
    ::ExcludeClipRect(dc, b.Left, b.Top, b.Right, b.Bottom);
  }
  TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultHandler(paint);
}

// Ellipsis: a raised button with three black squares, sunk by a pixel while pressed;
// pick list: the combo-box arrow, greyed without a list.
void TkwInplaceEditList::DrawButton(HDC dc) {
  const TRect b = ButtonRect();
  RECT r{b.Left, b.Top, b.Right, b.Bottom};
  if (FEditStyle == esEllipsis) {
    ::DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | (FPressed ? BF_FLAT : 0));
    const int side = std::max(1, FButtonWidth / 8);
    const int shift = FPressed ? 1 : 0;
    const int x = r.left + (r.right - r.left) / 2 - 1 + shift;
    const int y = r.top + (r.bottom - r.top) / 2 - 1 + shift;
    for (int dx : {-2 * side, 0, 2 * side}) ::PatBlt(dc, x + dx, y, side, side, BLACKNESS);
  } else {
    UINT state = DFCS_SCROLLCOMBOBOX;
    if (!FActiveList) state |= DFCS_INACTIVE;
    if (FPressed) state |= DFCS_FLAT | DFCS_PUSHED;
    ::DrawFrameControl(dc, &r, DFC_SCROLL, state);
  }
}
