// The library's in-place editors over the platform grid's editors, asking a grid view.
#include "VCLSource/source/PosGrid/ukvEditer.h"

#include <algorithm>

#include "VCLSource/source/PosGrid/ukvGridLayout.h"
#include "ui/GdiScopes.h"
#include "ui/WinApi.h"

IkwGridView& TkwGridViewLink::View() {
  if (!FView) FView = std::make_shared<TkwEmptyGridView>();
  return *FView;
}

namespace {

void ApplyViewStyle(TCustomMaskEdit* e, bool hasGrid) {
  e->SetBorderStyle(hasGrid ? bsNone : bsSingle);
  e->SetTabStop(!hasGrid);
}

// Enter: all selected -> caret to the end, else all selected; the key is used up.
bool ToggleSelectionOnEnter(TCustomMaskEdit* e, char& Key) {
  if (Key != '\r') return false;
  DWORD s = 0, t = 0;
  ::SendMessageW(e->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&t));
  if (s == 0 && t == static_cast<DWORD>(::GetWindowTextLengthW(e->Handle())))
    ::SendMessageW(e->Handle(), EM_SETSEL, 0x7FFFFFFF, -1);
  else
    e->SelectAll();
  Key = 0;
  return true;
}

// Takes a pending message of one kind for the window off the queue; a quit request
// taken with it is put back.
void RemovePendingMessage(HWND h, UINT msg) {
  MSG m;
  if (::PeekMessageW(&m, h, msg, msg, PM_REMOVE) && m.message == WM_QUIT) ::PostQuitMessage(static_cast<int>(m.wParam));
}

}  // namespace

// ============================================================================ TkwInplaceEdit

TkwInplaceEdit::TkwInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {}

void TkwInplaceEdit::SetGridView(std::shared_ptr<IkwGridView> v) {
  FView.Set(std::move(v));
  ApplyViewStyle(this, FView.HasGrid());
}

bool TkwInplaceEdit::EditCanModify() { return GridView().CanEditModify(); }

void TkwInplaceEdit::KeyPress(char& Key) {
  if (!ToggleSelectionOnEnter(this, Key)) TInplaceEdit::KeyPress(Key);
}

// ============================================================================ TkwInplaceEditList

TkwInplaceEditList::TkwInplaceEditList(TComponent* AOwner) : TInplaceEditList(AOwner) {}

void TkwInplaceEditList::SetGridView(std::shared_ptr<IkwGridView> v) {
  FView.Set(std::move(v));
  ApplyViewStyle(this, FView.HasGrid());
}

bool TkwInplaceEditList::EditCanModify() { return GridView().CanEditModify(); }

void TkwInplaceEditList::KeyPress(char& Key) {
  if (!ToggleSelectionOnEnter(this, Key)) TInplaceEditList::KeyPress(Key);
}

void TkwInplaceEditList::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
      if (m.WParam == VK_RETURN && !HasGrid() && EditStyle() == esEllipsis && OnReturnKey) OnReturnKey(this);
      break;
    case WM_SETFOCUS:
      FFocused = true;
      TInplaceEditList::WndProc(m);
      BoundsChanged();
      ::InvalidateRect(Handle(), nullptr, TRUE);
      return;
    case WM_KILLFOCUS:
      FFocused = false;
      BoundsChanged();
      TInplaceEditList::WndProc(m);  // closes the list
      if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, TRUE);
      return;
    case WM_PAINT:
      if (m.WParam != 0)
        PaintInto(reinterpret_cast<HDC>(m.WParam));
      else
        PaintOffScreen();
      return;
    default: break;
  }
  TInplaceEditList::WndProc(m);
}

bool TkwInplaceEditList::ButtonShown() { return !ReadOnly() && EditStyle() != esSimple && FFocused; }

TRect TkwInplaceEditList::ButtonRect() {
  if (ReadOnly()) return TRect();
  const int edge = BorderStyle() == bsSingle ? 4 : 0;
  const int w = Width() - edge, h = Height() - edge;
  if (EditStyle() == esEllipsis) return Rect(w - Height(), 0, w, h);
  return Rect(w - ButtonWidth(), 0, w, h);
}

void TkwInplaceEditList::BoundsChanged() {
  if (!HandleAllocated()) return;
  RECT r{2, 2, Width() - 2, Height()};
  if (EditStyle() != esSimple && FFocused) r.right -= EditStyle() == esEllipsis ? Height() : ButtonWidth();
  ::SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  ::SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
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
  if (EditStyle() == esEllipsis) {
    ::DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | (Pressed() ? BF_FLAT : 0));
    const int side = std::max(1, ButtonWidth() / 8);
    const int shift = Pressed() ? 1 : 0;
    const int x = r.left + (r.right - r.left) / 2 - 1 + shift;
    const int y = r.top + (r.bottom - r.top) / 2 - 1 + shift;
    for (int dx : {-2 * side, 0, 2 * side}) ::PatBlt(dc, x + dx, y, side, side, BLACKNESS);
  } else {
    UINT state = DFCS_SCROLLCOMBOBOX;
    if (!ActiveList()) state |= DFCS_INACTIVE;
    if (Pressed()) state |= DFCS_FLAT | DFCS_PUSHED;
    ::DrawFrameControl(dc, &r, DFC_SCROLL, state);
  }
}

// The key was translated to a line feed before it got here; that character would
// otherwise break the cell's text in two.
void TkwInplaceEditList::KeyDown(WORD& Key, TShiftState Shift) {
  if (EditStyle() == esEllipsis && Key == VK_RETURN && Shift == TShiftState{ssCtrl}) {
    DoEditButtonClick();
    RemovePendingMessage(Handle(), WM_CHAR);
    Key = 0;
    return;
  }
  TInplaceEditList::KeyDown(Key, Shift);
}

void TkwInplaceEditList::DoGetPickListItems() {
  if (FPickListLoaded) return;
  if (OnGetPickListItems) OnGetPickListItems(GridView().Col(), PickList()->Items());
  FPickListLoaded = PickList()->Items()->Count() > 0;
}

void TkwInplaceEditList::DoEditButtonClick() {
  if (OnEditButtonClick) OnEditButtonClick(this);
}

bool TkwInplaceEditList::MayModify() { return !ReadOnly() && EditCanModify(); }

// Without a grid the edit style stays as it was set.
void TkwInplaceEditList::UpdateContents() {
  const TEditStyle kept = EditStyle();
  FPickListLoaded = false;
  TInplaceEditList::UpdateContents();
  if (HasGrid())
    SetEditStyle(GridView().GetEditStyle(GridView().Col(), GridView().Row()));
  else
    SetEditStyle(kept);
}

// The platform places a long list below or above the editor whatever its height, so
// its ends could lie off the screen out of the mouse's reach; here it is kept inside
// the work area of the editor's monitor and scrolls.
void TkwInplaceEditList::DropDown() {
  TInplaceEditList::DropDown();
  if (!ListVisible() || !PickList()->HandleAllocated()) return;
  HWND list = PickList()->Handle();
  RECT lr, er;
  ::GetWindowRect(list, &lr);
  ::GetWindowRect(Handle(), &er);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (!::GetMonitorInfoW(::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &mi)) return;
  const TRect place = kw_grid::DropDownPlace({er.left, er.top, er.right, er.bottom}, lr.right - lr.left,
                                               lr.bottom - lr.top,
                                               {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom});
  ::SetWindowPos(list, HWND_TOP, place.Left, place.Top, place.Right - place.Left, place.Bottom - place.Top,
                 SWP_NOACTIVATE);
}

// A list value reaches the cell only when the cell may be modified; a changed text
// fires OnChange.
void TkwInplaceEditList::CloseUp(bool Accept) {
  const AnsiString before = Text();
  TInplaceEditList::CloseUp(Accept && MayModify());
  if (Text() != before && OnChange) OnChange(this);
}

// A double click steps a pick-list cell through its list, but never in a cell that may
// not be modified.
void TkwInplaceEditList::DblClick() {
  if (EditStyle() == esPickList) {
    if (!MayModify()) return;
    TPopupListbox* list = PickList();
    DoGetPickListItems();
    const int count = list->Items()->Count();
    if (count == 0) return;
    int index = list->ItemIndex() + 1;
    if (index >= count) index = 0;
    list->SetItemIndex(index);
    const AnsiString value = list->Items()->Strings(index);
    ::SendMessageW(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ui_win::Wide(value).c_str()));
    SetModified(true);
    GridView().SetEditText(GridView().Col(), GridView().Row(), value);
    SelectAll();
    return;
  }
  TInplaceEditList::DblClick();
}
