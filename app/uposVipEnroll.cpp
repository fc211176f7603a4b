// The VIP card enrollment form.
#include "app/uposVipEnroll.h"

#include "app/uDataModule.h"
#include "app/uPublic.h"
#include "ui/Forms.h"

using namespace vipenroll;

namespace {

// Layout of the two groups: two columns of entries, labels to their left.
constexpr int kColumn1 = 90;
constexpr int kColumn2 = 370;
constexpr int kFieldWidth = 160;
constexpr int kRow[] = {20, 50, 80, 110};

// A plain label standing left of a control, as the attached labels do.
TLabel* LabelLeftOf(TComponent* owner, TWinControl* parent, const char* name, const char* caption,
                    TControl* control) {
  auto* l = new TLabel(owner);
  l->SetName(name);
  l->SetParent(parent);
  l->SetCaption(caption);
  l->SetBounds(control->Left() - l->Width() - 3, control->Top() + (control->Height() - l->Height()) / 2,
               l->Width(), l->Height());
  return l;
}

TDateTimePicker* MakePicker(TComponent* owner, TWinControl* parent, const char* name, int left, int top) {
  auto* d = new TDateTimePicker(owner);
  d->SetName(name);
  d->SetParent(parent);
  d->SetBounds(left, top, kFieldWidth, 21);
  d->SetFormat("yyyy-MM-dd");
  return d;
}

TLabelComboBox* MakeCombo(TComponent* owner, TWinControl* parent, const char* name, const char* caption,
                          int left, int top) {
  auto* c = new TLabelComboBox(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetStyle(csDropDownList);
  c->SetBounds(left, top, kFieldWidth, 21);
  c->SetCaption(caption);
  return c;
}

// Rolls back, ignoring a failure of the rollback itself (the connection may be gone;
// the server then rolled back on its own): the error the user sees is the first one.
void RollbackQuietly() {
  try {
    RollbackTrans();
  } catch (const std::exception&) {
  }
}

}  // namespace

TLabelBtnEdit* TposVipEnroll::MakeEdit(TWinControl* parent, const char* name, const char* caption,
                                       int left, int top, int width, int maxLength) {
  auto* e = new TLabelBtnEdit(this);
  e->SetName(name);
  e->SetParent(parent);
  e->SetBtnVisible(false);
  e->SetBounds(left, top, width, 21);
  e->SetCaption(caption);
  e->SetMaxLength(maxLength);
  e->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { EnterMovesOn(s, k, sh); };
  return e;
}

TposVipEnroll::TposVipEnroll(TComponent* AOwner) : TdiaParent(AOwner) {
  SetName("posVipEnroll");
  SetCaption("VIP会员发卡");
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetClientWidth(565);
  SetClientHeight(412);

  grp1 = new TGroupBox(this);
  grp1->SetName("grp1");
  grp1->SetParent(pnlMain);
  grp1->SetCaption("VIP卡信息");
  grp1->SetBounds(10, 8, 545, 142);
  grp2 = new TGroupBox(this);
  grp2->SetName("grp2");
  grp2->SetParent(pnlMain);
  grp2->SetCaption("持卡人信息");
  grp2->SetBounds(10, 158, 545, 142);

  btnEnter = new TButton(this);
  btnEnter->SetName("btnEnter");
  btnEnter->SetParent(pnlBtn);
  btnEnter->SetCaption("确定(&D)");
  btnEnter->SetBounds(375, 10, 80, 26);
  btnEnter->OnClick = [this](TObject* s) { btnEnterClick(s); };
  btnCancle = new TButton(this);
  btnCancle->SetName("btnCancle");
  btnCancle->SetParent(pnlBtn);
  btnCancle->SetCaption("关闭(&C)");
  btnCancle->SetBounds(465, 10, 80, 26);
  btnCancle->OnClick = [this](TObject* s) { btnCancleClick(s); };

  auto enter = [this](TObject* s, WORD& k, TShiftState sh) { EnterMovesOn(s, k, sh); };

  // The card.
  lblCardNo = MakeEdit(grp1, "lblCardNo", "卡号：", kColumn1, kRow[0], kFieldWidth, 18);
  cbbCardType = MakeCombo(this, grp1, "cbbCardType", "卡类型：", kColumn2, kRow[0]);
  cbbCardType->OnKeyDown = enter;
  dtpHandOut = MakePicker(this, grp1, "dtpHandOut", kColumn1, kRow[1]);
  dtpHandOut->OnKeyDown = enter;
  dtpEndTime = MakePicker(this, grp1, "dtpEndTime", kColumn2, kRow[1]);
  dtpEndTime->OnKeyDown = enter;
  lbl1 = LabelLeftOf(this, grp1, "lbl1", "发卡日期：", dtpHandOut);
  lbl2 = LabelLeftOf(this, grp1, "lbl2", "有效日期：", dtpEndTime);

  // The holder.
  edtName = MakeEdit(grp2, "edtName", "持卡人：", kColumn1, kRow[0], 105, 66);
  edtGuestId = MakeEdit(grp2, "edtGuestId", "证件号：", kColumn1, kRow[1], kFieldWidth, 18);
  edtPhoneNumber = MakeEdit(grp2, "edtPhoneNumber", "联系电话：", kColumn2, kRow[1], kFieldWidth, 66);
  edtPhoneNum2 = MakeEdit(grp2, "edtPhoneNum2", "E-Mail：", kColumn1, kRow[2], kFieldWidth, 66);
  // The address lines are kept for the store's card record but not shown.
  edtprivince = MakeEdit(grp2, "edtprivince", "省份：", kColumn2, kRow[2], kFieldWidth, 66);
  edtadress1 = MakeEdit(grp2, "edtadress1", "地址：", kColumn2, kRow[2], kFieldWidth, 66);
  edtadress2 = MakeEdit(grp2, "edtadress2", "", kColumn2, kRow[2], kFieldWidth, 66);
  edtAdress3 = MakeEdit(grp2, "edtAdress3", "", kColumn2, kRow[2], kFieldWidth, 66);
  for (TLabelBtnEdit* e : {edtprivince, edtadress1, edtadress2, edtAdress3}) e->Hide();
  cbbSex = new TComboBox(this);
  cbbSex->SetName("cbbSex");
  cbbSex->SetParent(grp2);
  cbbSex->SetStyle(csDropDownList);
  cbbSex->SetBounds(kColumn1 + 110, kRow[0], 50, 21);
  cbbSex->Items()->Add("男");
  cbbSex->Items()->Add("女");
  cbbSex->OnKeyDown = enter;
  dtpBirth = MakePicker(this, grp2, "dtpBirth", kColumn2, kRow[0]);
  dtpBirth->OnKeyDown = enter;
  lbl3 = LabelLeftOf(this, grp2, "lbl3", "持卡人生日：", dtpBirth);
  EdtBtype = MakeEdit(grp2, "EdtBtype", "所属客户：", kColumn2, kRow[2], kFieldWidth, 66);
  EdtBtype->Hide();
  edtComent = MakeEdit(grp2, "edtComent", "备注：", kColumn1, kRow[3], 440, 255);
  lblEnrollMoney = new TLabelLabel(this);
  lblEnrollMoney->SetName("lblEnrollMoney");
  lblEnrollMoney->SetParent(grp2);
  lblEnrollMoney->Hide();
  LableAddress = new TLabel(this);
  LableAddress->SetName("LableAddress");
  LableAddress->SetParent(grp2);
  LableAddress->Hide();

  // The password, shown as "*", and who issues the card.
  edtPass = MakeEdit(grp1, "edtPass", "密码：", kColumn1, kRow[2], kFieldWidth, 25);
  edtPass->SetPasswordChar('*');
  edtPassAg = MakeEdit(grp1, "edtPassAg", "重复密码：", kColumn2, kRow[2], kFieldWidth, 25);
  edtPassAg->SetPasswordChar('*');
  dsCards = new TDataSource(this);
  dsCards->SetName("dsCards");
  dsGetCards = new TDataSource(this);
  dsGetCards->SetName("dsGetCards");
  lbl5 = new TLabel(this);
  lbl5->SetName("lbl5");
  lbl5->SetParent(pnlBtn);
  lbl5->SetCaption("发卡后建议下载一次数据");
  lbl5->Font()->SetColor(clRed);
  lbl5->SetBounds(14, 17, lbl5->Width(), lbl5->Height());
  cbbEfullname = MakeCombo(this, grp1, "cbbEfullname", "发卡人：", kColumn1, kRow[3]);
  cbbEfullname->OnKeyDown = enter;

  // The entry order (Tab and Enter): card, then holder, then the buttons.
  const std::vector<TWinControl*> order{lblCardNo, cbbCardType, dtpHandOut, dtpEndTime, edtPass,
                                        edtPassAg, cbbEfullname};
  for (size_t i = 0; i < order.size(); ++i) order[i]->SetTabOrder(static_cast<int>(i));
  const std::vector<TWinControl*> holder{edtName, cbbSex, dtpBirth, edtGuestId, edtPhoneNumber,
                                         edtPhoneNum2, edtComent};
  for (size_t i = 0; i < holder.size(); ++i) holder[i]->SetTabOrder(static_cast<int>(i));

  OnKeyPress = [this](TObject* s, char& k) { FormKeyPress(s, k); };
  OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { FormKeyDown(s, k, sh); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

void TposVipEnroll::InitForm() {
  SetTitle("VIP会员发卡");
  dtpHandOut->SetDateTime(Now());
  dtpHandOut->SetEnabled(false);
  dtpBirth->SetDateTime(Now());
  dtpEndTime->SetDateTime(EncodeDate(2099, 1, 1));
  LoadCardTypes(true);
  LoadEmployees(true);
}

namespace {
// Reloads a list from a statement; with Fill, the combo box shows its names with the
// first one chosen. A statement without rows leaves the combo box as it was.
void LoadList(const char* sql, const char* idField, const char* nameField, TIdNameList& list,
              TCustomComboBox* combo, bool fill) {
  list.Clear();
  TClientDataSet data(nullptr);
  if (!OpenSQLData(GbkToWide(sql), &data)) return;
  list.LoadFrom(data, idField, nameField);
  if (!fill) return;
  TStrings* items = combo->Items();
  {
    TUpdateScope update(items);
    items->Clear();
    for (const AnsiString& n : list.Names()) items->Add(n);
  }
  combo->SetItemIndex(0);
}
}  // namespace

void TposVipEnroll::LoadCardTypes(bool Fill) {
  LoadList(kCardTypesSql, "VipCardTypeID", "TypeName", FCardTypes, cbbCardType, Fill);
  // The combo box's items keep the ids of the list they were filled from.
  if (Fill && FCardTypes.Count() > 0) FShownCardTypes = FCardTypes;
}

void TposVipEnroll::LoadEmployees(bool Fill) {
  LoadList(kEmployeesSql, "typeid", "fullname", FEmployees, cbbEfullname, Fill);
}

void TposVipEnroll::Say(const AnsiString& Text, const AnsiString& Caption) {
  Application->MessageBox(Text, Caption, MB_ICONINFORMATION);
}

void TposVipEnroll::SaveCard() {
  TEntries e;
  e.CardNo = lblCardNo->Text();
  e.CardTypeCount = cbbCardType->Items()->Count();
  e.CardTypeText = cbbCardType->Text();
  e.Password = edtPass->Text();
  e.PasswordAgain = edtPassAg->Text();
  e.Holder = edtName->Text();
  e.IdNumber = edtGuestId->Text();
  e.Phone = edtPhoneNumber->Text();
  e.EMail = edtPhoneNum2->Text();
  e.Comment = edtComent->Text();
  const AnsiString failed = FirstFailedCheck(e);
  if (!failed.empty()) {
    Say(failed, "提示");
    return;
  }
  // The chosen type must still be one the store offers. Mended: it is the chosen item,
  // by its id; it was looked up by its name, so that of two types named alike the first
  // was written.
  LoadCardTypes(false);
  const AnsiString typeId = ChosenIdStillListed(FShownCardTypes, cbbCardType->ItemIndex(), FCardTypes);
  if (typeId.empty()) {
    Say(kCardTypeWithdrawn, "提示");
    return;
  }

  TCardValues v;
  v.OperatorId = WideToGbk(OperatorId);
  v.CardNo = e.CardNo;
  v.Holder = e.Holder;
  v.CreateDate = dtpHandOut->DateTime();
  v.EndDate = dtpEndTime->DateTime();
  v.EmployeeId = FEmployees.IdAt(cbbEfullname->ItemIndex());
  v.CardTypeId = typeId;
  v.Sex = cbbSex->Text();
  v.Birthday = dtpBirth->DateTime();
  v.Phone = e.Phone;
  v.EMail = e.EMail;
  v.IdNumber = e.IdNumber;
  v.Comment = e.Comment;
  std::vector<AnsiString> names;
  std::vector<Variant> values;
  InsertParams(v, names, values);

  // The card and its password are written together or not at all. A server error
  // rolls back and goes on to the application's handler, which shows it; the screen
  // stays open with its entries. Mended: the rollback is quiet, so that its own failure
  // no longer replaces the server's error or the refusal ("卡号重复") the user must see.
  TSaveOutcome outcome;
  BeginTrans();
  try {
    outcome = OutcomeOf(ExecProc(kInsertProc, names, values));
    if (outcome.Issued) {
      ExecSQL(PasswordUpdateSql(e.Password, e.CardNo));
      CommitTrans();
    } else {
      RollbackQuietly();
    }
  } catch (...) {
    RollbackQuietly();
    throw;
  }
  Say(outcome.Text, outcome.Caption);
  if (outcome.Issued) Close();
}

void TposVipEnroll::btnEnterClick(TObject* Sender) { SaveCard(); }

void TposVipEnroll::btnCancleClick(TObject* Sender) { Close(); }

void TposVipEnroll::FormClose(TObject* Sender, TCloseAction& Action) {
  FCardTypes.Clear();
  FShownCardTypes.Clear();
  FEmployees.Clear();
}

void TposVipEnroll::FormKeyPress(TObject* Sender, char& Key) {
  if (Key == '\'') {
    Key = 0;
    return;
  }
  TWinControl* active = ActiveControl();
  if (Key == ' ' && active && (active == edtPass->Edit() || active == edtPassAg->Edit())) Key = 0;
}

void TposVipEnroll::FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    Key = 0;
    Close();
  }
}

void TposVipEnroll::EnterMovesOn(TObject* Sender, WORD& Key, TShiftState Shift) {
  if (Key != VK_RETURN) return;
  Key = 0;
  SelectNext(ActiveControl(), true, true);
}
