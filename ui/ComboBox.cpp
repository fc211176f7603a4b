// The combo box: items, selection, the drop-down list and its notifications.
#include "ui/ComboBox.h"

#include <algorithm>

using namespace ui_win;

namespace {

const TListControlStrings::Messages kComboMsgs{CB_GETCOUNT, CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_INSERTSTRING,
                                               CB_DELETESTRING, CB_RESETCONTENT, CB_GETITEMDATA,
                                               CB_SETITEMDATA};

}  // namespace

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(this, kComboMsgs) {
  SetBounds(0, 0, 145, 21);
  FColor = clWindow;
  SetParentColor(false);
  SetTabStop(true);
  FControlStyle >> csClickEvents;
  FControlStyle >> csAcceptsControls;
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = L"COMBOBOX";
  p.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  p.Style |= FStyle == csDropDownList ? CBS_DROPDOWNLIST : FStyle == csSimple ? CBS_SIMPLE : CBS_DROPDOWN;
  // The window's height includes the drop-down list.
  if (FStyle != csSimple) p.Height = FHeight + std::max(1, FDropDownCount) * 16 + 2;
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (!HandleAllocated() || FStyle == csSimple) {
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  // WM_WINDOWPOSCHANGED brings back the closed height the system gives the box.
  ::SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight + std::max(1, FDropDownCount) * 16 + 2,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomComboBox::CreateHandle() {
  TWinControl::CreateHandle();
  FItems.LoadIntoWindow();
  if (FMaxLength > 0) ::SendMessageW(FHandle, CB_LIMITTEXT, FMaxLength, 0);
  if (FItemIndex >= 0) ::SendMessageW(FHandle, CB_SETCURSEL, FItemIndex, 0);
  else if (FStyle != csDropDownList && !FText.empty()) SetWindowTextGbk(FHandle, FText);
}

void TCustomComboBox::DestroyWnd() {
  FItemIndex = ItemIndex();
  FItems.SaveFromWindow();
  TWinControl::DestroyWnd();
}

int TCustomComboBox::ItemIndex() const {
  if (HandleAllocated()) return static_cast<int>(::SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TCustomComboBox::SetItemIndex(int v) {
  if (v == ItemIndex()) return;
  FItemIndex = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, CB_SETCURSEL, v, 0);
  else if (v >= 0 && v < FItems.Count()) FText = FItems.Strings(v);
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  if (HandleAllocated()) {
    DestroyHandle();
    HandleNeeded();
  }
}

bool TCustomComboBox::DroppedDown() const {
  return HandleAllocated() && ::SendMessageW(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool v) {
  ::SendMessageW(Handle(), CB_SHOWDROPDOWN, v, 0);
}

void TCustomComboBox::SetMaxLength(int v) {
  FMaxLength = std::max(0, v);
  if (HandleAllocated()) ::SendMessageW(FHandle, CB_LIMITTEXT, FMaxLength, 0);
}

bool TCustomComboBox::Focused() const {
  if (!HandleAllocated()) return false;
  HWND f = ::GetFocus();
  return f == FHandle || ::IsChild(FHandle, f);
}

void TCustomComboBox::SelectAll() {
  if (HandleAllocated()) ::SendMessageW(FHandle, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void TCustomComboBox::Change() {
  if (OnChange && !Destroying()) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
  else Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (FCharCase == ecUpperCase && key >= 'a' && key <= 'z') key = static_cast<char>(key - 32);
  if (FCharCase == ecLowerCase && key >= 'A' && key <= 'Z') key = static_cast<char>(key + 32);
}

// The focus may land on the inner edit, which is not ours: CBN_SETFOCUS tells the form.
void TCustomComboBox::WMSetFocus(TMessage& m) { DefaultHandler(m); }

void TCustomComboBox::CNCommand(TMessage& m) {
  switch (HIWORD(m.WParam)) {
    case CBN_SETFOCUS:
      if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(this);
      break;
    case CBN_EDITCHANGE: Change(); break;
    case CBN_SELCHANGE: {
      int i = ItemIndex();
      if (i >= 0 && FStyle != csDropDownList) SetWindowTextGbk(FHandle, FItems.Strings(i));
      Click();
      Select();
      break;
    }
    case CBN_DROPDOWN: DropDown(); break;
    case CBN_CLOSEUP: CloseUp(); break;
    default: break;
  }
}

// With the list open, Enter and Esc close it rather than pressing buttons.
bool TCustomComboBox::WantsKey(WORD key, const MSG* msg) {
  if ((key == VK_RETURN || key == VK_ESCAPE) && DroppedDown()) return true;
  return TWinControl::WantsKey(key, msg);
}

void TCustomComboBox::WndProc(TMessage& m) {
  // The inner edit's colour messages come to us.
  if ((m.Msg == WM_CTLCOLOREDIT || m.Msg == WM_CTLCOLORLISTBOX) && !FindControl(reinterpret_cast<HWND>(m.LParam))) {
    CNCtlColor(m);
    return;
  }
  TWinControl::WndProc(m);
}
