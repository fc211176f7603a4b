// The check box.
#include "ui/CheckBox.h"

using namespace ui_win;

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 97, 17);
  FColor = clBtnFace;
}

void TCheckBox::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.WinClassName = L"BUTTON";
  p.Style |= BS_3STATE;
  if (FAlignment == taLeftJustify) p.Style |= BS_LEFTTEXT;
}

void TCheckBox::CreateHandle() {
  TButtonControl::CreateHandle();
  ::SendMessageW(FHandle, BM_SETCHECK, FState, 0);
}

void TCheckBox::DestroyWnd() {
  FState = State();
  TButtonControl::DestroyWnd();
}

TCheckBoxState TCheckBox::State() const {
  if (HandleAllocated()) return static_cast<TCheckBoxState>(::SendMessageW(FHandle, BM_GETCHECK, 0, 0));
  return FState;
}

void TCheckBox::SetState(TCheckBoxState v) {
  if (v == State()) return;
  FState = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, BM_SETCHECK, v, 0);
  Click();
}

// The box cycles unchecked -> checked (-> grayed when allowed) -> unchecked.
void TCheckBox::CNCommand(TMessage& m) {
  if (HIWORD(m.WParam) != BN_CLICKED) return;
  TCheckBoxState s = State();
  TCheckBoxState next = s == cbUnchecked ? cbChecked : (s == cbChecked && FAllowGrayed) ? cbGrayed : cbUnchecked;
  SetState(next);
}

void TCheckBox::CMDialogChar(TMessage& m) {
  if (IsAccel(static_cast<unsigned>(m.WParam), Caption()) && CanFocus()) {
    SetFocus();
    SetChecked(!Checked());
    m.Result = 1;
  }
}
