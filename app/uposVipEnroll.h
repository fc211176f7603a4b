// The VIP card enrollment screen ("VIP会员发卡"): issues a new member card at the point
// of sale. The export OpenVipEnroll creates it, runs InitForm and shows it modally;
// closing the form ends its modal loop and the export frees it.
//
// The entries are checked in a fixed order with one message each (uposVipEnrollRules.h);
// the card goes to the store through [QP_nInsertVipCardSign] and its password through
// one update, both in one transaction of the data module, so a card never exists
// without the password the user typed. On a duplicate number or a failed write the
// screen stays open with every entry kept.
//
// Keys: Enter in an entry field moves to the next one; a single quote is dropped
// anywhere (key preview); a blank cannot be typed into either password field; Esc
// closes the screen.
#pragma once
#include "app/ParentDia.h"
#include "app/uposVipEnrollRules.h"
#include "controls/basiccom.h"
#include "db/DataLink.h"
#include "ui/ComCtrls.h"
#include "ui/StdCtrls.h"

class TposVipEnroll : public TdiaParent {
 public:
  explicit TposVipEnroll(TComponent* AOwner);

  // Components in their declaration order; owned by the form.
  TGroupBox* grp1;
  TGroupBox* grp2;
  TButton* btnEnter;
  TButton* btnCancle;
  TLabelBtnEdit* lblCardNo;
  TLabelComboBox* cbbCardType;
  TLabelBtnEdit* edtName;
  TDateTimePicker* dtpHandOut;
  TDateTimePicker* dtpEndTime;
  TLabel* lbl1;
  TLabel* lbl2;
  TLabelBtnEdit* edtGuestId;
  TLabelBtnEdit* edtPhoneNumber;
  TLabelBtnEdit* edtPhoneNum2;
  TLabelBtnEdit* edtprivince;
  TLabelBtnEdit* edtadress1;
  TLabelBtnEdit* edtadress2;
  TLabelBtnEdit* edtAdress3;
  TComboBox* cbbSex;
  TDateTimePicker* dtpBirth;
  TLabel* lbl3;
  TLabelBtnEdit* EdtBtype;
  TLabelBtnEdit* edtComent;
  TLabelLabel* lblEnrollMoney;
  TLabel* LableAddress;
  TLabelBtnEdit* edtPass;
  TLabelBtnEdit* edtPassAg;
  TDataSource* dsCards;
  TDataSource* dsGetCards;
  TLabel* lbl5;
  TLabelComboBox* cbbEfullname;

  // Set-up before the form is shown: title, dates, card types and issuers.
  void InitForm();
  // Card types ("select TypeName,VipCardTypeID from nVipCardSet") and the employees
  // who may issue cards, reloaded from the store; Fill also puts the names into their
  // combo box with the first one chosen. A query without rows leaves the list empty and
  // the combo box as it was. The card type saved is the chosen item's id, when the
  // list reloaded at the save still holds it.
  void LoadCardTypes(bool Fill);
  void LoadEmployees(bool Fill);
  // Checks the entries and issues the card (the 确定 button).
  void SaveCard();

  void btnEnterClick(TObject* Sender);
  void btnCancleClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormKeyPress(TObject* Sender, char& Key);
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);

  const vipenroll::TIdNameList& CardTypes() const { return FCardTypes; }
  const vipenroll::TIdNameList& Employees() const { return FEmployees; }

 private:
  // One message box of the screen, with the information icon.
  void Say(const AnsiString& Text, const AnsiString& Caption);
  // Enter in an entry field: the focus moves on and the key is used up.
  void EnterMovesOn(TObject* Sender, WORD& Key, TShiftState Shift);
  TLabelBtnEdit* MakeEdit(TWinControl* parent, const char* name, const char* caption,
                          int left, int top, int width, int maxLength);

  vipenroll::TIdNameList FCardTypes;       // as last reloaded
  vipenroll::TIdNameList FShownCardTypes;  // behind the items of cbbCardType
  vipenroll::TIdNameList FEmployees;
};
