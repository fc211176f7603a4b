// TCheckBox: the check box (system class BUTTON, BS_3STATE), two or three states.
#pragma once
#include "ui/Button.h"

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TButtonControl {
 public:
  explicit TCheckBox(TComponent* AOwner);
  bool Checked() const { return State() == cbChecked; }
  // Changing it fires OnClick, as a click would.
  void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const;
  void SetState(TCheckBoxState v);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool v) { FAllowGrayed = v; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v) { FAlignment = v; }

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void DestroyWnd() override;
  void CNCommand(TMessage& m) override;
  void CMDialogChar(TMessage& m) override;

 private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TAlignment FAlignment = taRightJustify;
};
