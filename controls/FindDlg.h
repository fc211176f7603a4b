// TFrmFindDlg: the small modal find form (field, text, case and whole-cell options,
// direction, find next). It has no search of its own: its four hooks do nothing here
// and are filled in by TFindWindow (controls/FindWindow.h).
#pragma once
#include "controls/QevComponets.h"
#include "controls/ShadowPanel.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/Edit.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/GroupBox.h"
#include "ui/Label.h"

// A radio button (system class BUTTON, BS_AUTORADIOBUTTON) for the direction choice.
class TFindRadioButton : public TButtonControl {
 public:
  explicit TFindRadioButton(TComponent* AOwner);
  bool Checked() const;
  void SetChecked(bool v);

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void DestroyWnd() override;

 private:
  bool FChecked = false;
};

class TFrmFindDlg : public TForm {
 public:
  explicit TFrmFindDlg(TComponent* AOwner);

  TLabel* lblFieldName;
  TComboBox* cbbFieldName;
  TLabel* lblSearchText;
  TEdit* edtSearchText;
  TCheckBox* chkCaseSensitive;
  TCheckBox* chkWholeWords;
  TGroupBox* grpDirection;
  TFindRadioButton* rbUp;
  TFindRadioButton* rbDown;
  TShadowPanel* ShadowPanel1;
  TLabel* lblTitle;
  TPXMaroonPanel* pnlBottom;
  TButton* btnFindNext;
  TButton* btnCance;

 protected:
  virtual void FindNext() {}
  virtual void FieldChanged() {}
  virtual void SearchTextChanged() {}
  virtual void DialogShown() {}
};
