// The list box.
#include "ui/ListBox.h"

using namespace ui_win;

namespace {

const TListControlStrings::Messages kListMsgs{LB_GETCOUNT, LB_GETTEXT, LB_GETTEXTLEN, LB_INSERTSTRING,
                                              LB_DELETESTRING, LB_RESETCONTENT, LB_GETITEMDATA,
                                              LB_SETITEMDATA};

}  // namespace

TCustomListBox::TCustomListBox(TComponent* AOwner) : TWinControl(AOwner), FItems(this, kListMsgs) {
  SetBounds(0, 0, 121, 97);
  FColor = clWindow;
  SetParentColor(false);
  SetTabStop(true);
  FControlStyle >> csClickEvents;
  FControlStyle >> csAcceptsControls;
}

void TCustomListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = L"LISTBOX";
  p.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | LBS_HASSTRINGS;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateHandle() {
  TWinControl::CreateHandle();
  FItems.LoadIntoWindow();
  if (FItemIndex >= 0) ::SendMessageW(FHandle, LB_SETCURSEL, FItemIndex, 0);
}

void TCustomListBox::DestroyWnd() {
  FItemIndex = ItemIndex();
  FItems.SaveFromWindow();
  TWinControl::DestroyWnd();
}

int TCustomListBox::ItemIndex() const {
  if (HandleAllocated()) return static_cast<int>(::SendMessageW(FHandle, LB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TCustomListBox::SetItemIndex(int v) {
  FItemIndex = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, LB_SETCURSEL, v, 0);
}

int TCustomListBox::ItemHeight() const {
  return HandleAllocated() ? static_cast<int>(::SendMessageW(FHandle, LB_GETITEMHEIGHT, 0, 0)) : 13;
}

void TCustomListBox::CNCommand(TMessage& m) {
  switch (HIWORD(m.WParam)) {
    case LBN_SELCHANGE: Click(); break;
    case LBN_DBLCLK: DblClick(); break;
    default: break;
  }
}
