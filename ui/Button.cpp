// The push button and the base of button-like system controls.
#include "ui/Button.h"

using namespace ui_win;

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle >> csClickEvents;  // the system tells us of clicks (BN_CLICKED)
  FControlStyle >> csAcceptsControls;
  SetTabStop(true);
}

// Check boxes and radio buttons are drawn on their parent's colour.
void TButtonControl::CNCtlColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  ::SetTextColor(dc, ColorToRGB(FFont.Color()));
  ::SetBkColor(dc, ColorToRGB(FColor));
  ::SetBkMode(dc, TRANSPARENT);
  m.Result = reinterpret_cast<LRESULT>(ColorBrush());
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 75, 25);
  FColor = clBtnFace;
}

void TButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.WinClassName = L"BUTTON";
  p.Style |= (FActive ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::SetDefault(bool v) {
  if (v == FDefault) return;
  FDefault = v;
  // Without another button focused, the default button is the one Enter presses.
  TCustomForm* form = GetParentForm(this);
  bool otherButtonFocused = form && dynamic_cast<TButton*>(form->ActiveControl()) &&
                            form->ActiveControl() != this && form->ActiveControl()->Focused();
  SetActive(v && !otherButtonFocused);
}

void TButton::SetActive(bool v) {
  if (v == FActive) return;
  FActive = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::CNCommand(TMessage& m) {
  if (HIWORD(m.WParam) == BN_CLICKED) Click();
}

void TButton::CMDialogKey(TMessage& m) {
  TShiftState shift = KeyDataToShiftState(m.LParam);
  bool plain = !shift.Contains(ssAlt) && !shift.Contains(ssCtrl);
  if (plain && ((m.WParam == VK_RETURN && FActive) || (m.WParam == VK_ESCAPE && FCancel)) && CanFocus()) {
    Click();
    m.Result = 1;
  }
}

void TButton::CMDialogChar(TMessage& m) {
  if (IsAccel(static_cast<unsigned>(m.WParam), Caption()) && CanFocus()) {
    Click();
    m.Result = 1;
  }
}

void TButton::WndProc(TMessage& m) {
  if (m.Msg == CM_FOCUSCHANGED) {
    auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
    if (dynamic_cast<TButton*>(focused)) SetActive(focused == this);
    else SetActive(FDefault);
    return;
  }
  if (m.Msg == WM_GETDLGCODE) {
    TButtonControl::WndProc(m);
    // Our own Default/Active decides about Enter, not the dialog manager.
    m.Result &= ~(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
    return;
  }
  TButtonControl::WndProc(m);
}
