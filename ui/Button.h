// TButton: the push button (system class BUTTON), with the default and cancel roles
// and the modal result it gives its form; TButtonControl is the base of the button-like
// system controls.
#pragma once
#include "ui/Controls.h"
#include "ui/Forms.h"

class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* AOwner);

 protected:
  void CNCtlColor(TMessage& m) override;
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* AOwner);
  // Enter clicks the default button unless another button has the focus.
  bool Default() const { return FDefault; }
  void SetDefault(bool v);
  // Esc clicks the cancel button.
  bool Cancel() const { return FCancel; }
  void SetCancel(bool v) { FCancel = v; }
  // Clicking sets the form's ModalResult to this value (ending a modal loop when it
  // is not mrNone).
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  void Click() override;

 protected:
  void CreateParams(TCreateParams& p) override;
  void WndProc(TMessage& m) override;
  void CNCommand(TMessage& m) override;
  void CMDialogKey(TMessage& m) override;
  void CMDialogChar(TMessage& m) override;
  bool WantsChars() override { return false; }

 private:
  void SetActive(bool v);
  bool FDefault = false;
  bool FCancel = false;
  bool FActive = false;
  TModalResult FModalResult = mrNone;
};
