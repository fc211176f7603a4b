// The find form's controls and their events.
#include "controls/FindDlg.h"

TFindRadioButton::TFindRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 113, 17);
  FColor = clBtnFace;
}

void TFindRadioButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.WinClassName = L"BUTTON";
  p.Style |= BS_AUTORADIOBUTTON;
}

void TFindRadioButton::CreateHandle() {
  TButtonControl::CreateHandle();
  ::SendMessageW(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TFindRadioButton::DestroyWnd() {
  FChecked = Checked();
  TButtonControl::DestroyWnd();
}

bool TFindRadioButton::Checked() const {
  if (HandleAllocated()) return ::SendMessageW(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return FChecked;
}

void TFindRadioButton::SetChecked(bool v) {
  FChecked = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
  // One of a group: the other buttons of the same parent go off.
  if (v && Parent())
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TFindRadioButton*>(Parent()->Controls(i)); other && other != this)
        other->SetChecked(false);
}

namespace {

template <class T>
T* Make(TFrmFindDlg* form, TWinControl* parent, const char* name, int l, int t, int w, int h) {
  T* c = new T(form);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(l, t, w, h);
  return c;
}

}  // namespace

TFrmFindDlg::TFrmFindDlg(TComponent* AOwner) : TForm(AOwner) {
  SetName("FrmFindDlg");
  SetCaption("查找");
  SetBorderStyle(bsDialog);
  SetClientWidth(354);
  SetClientHeight(208);
  SetColor(14213344);
  Font()->SetName("宋体");
  Font()->SetHeight(-12);
  Font()->SetCharset(GB2312_FONT_CHARSET);
  SetPosition(poScreenCenter);

  edtSearchText = Make<TEdit>(this, this, "edtSearchText", 79, 93, 127, 20);
  lblFieldName = Make<TLabel>(this, this, "lblFieldName", 18, 58, 60, 12);
  lblFieldName->SetCaption("字段名称：");
  cbbFieldName = Make<TComboBox>(this, this, "cbbFieldName", 79, 55, 127, 20);
  cbbFieldName->SetStyle(csDropDownList);
  lblSearchText = Make<TLabel>(this, this, "lblSearchText", 18, 94, 48, 12);
  lblSearchText->SetCaption("查找内容");
  chkCaseSensitive = Make<TCheckBox>(this, this, "chkCaseSensitive", 18, 131, 97, 17);
  chkCaseSensitive->SetCaption("区分大小写");
  chkWholeWords = Make<TCheckBox>(this, this, "chkWholeWords", 123, 131, 97, 17);
  chkWholeWords->SetCaption("全字区匹配");
  grpDirection = Make<TGroupBox>(this, this, "grpDirection", 234, 49, 108, 64);
  grpDirection->SetCaption("方向");
  rbUp = Make<TFindRadioButton>(this, grpDirection, "rbUp", 10, 18, 80, 17);
  rbUp->SetCaption("向上");
  rbDown = Make<TFindRadioButton>(this, grpDirection, "rbDown", 10, 38, 80, 17);
  rbDown->SetCaption("向下");
  rbDown->SetChecked(true);
  ShadowPanel1 = Make<TShadowPanel>(this, this, "ShadowPanel1", 9, 5, 100, 28);
  ShadowPanel1->SetFaceColor(11921405);
  ShadowPanel1->SetShadowColor(clBlack);
  ShadowPanel1->SetShape(stRoundRect);
  ShadowPanel1->SetShadowOffset(2);
  lblTitle = Make<TLabel>(this, ShadowPanel1, "lblTitle", 8, 6, 84, 16);
  lblTitle->SetCaption(" 查   找");
  lblTitle->Font()->SetName("宋体");
  lblTitle->Font()->SetHeight(-16);
  lblTitle->Font()->SetStyle(TFontStyles{fsBold});
  lblTitle->Font()->SetColor(clBlack);
  lblTitle->SetTransparent(true);
  pnlBottom = Make<TPXMaroonPanel>(this, this, "pnlBottom", 0, 167, 354, 41);
  pnlBottom->SetColor(4896143);
  btnFindNext = Make<TButton>(this, pnlBottom, "btnFindNext", 9, 8, 108, 25);
  btnFindNext->SetCaption("查找下一个[&N]");
  btnCance = Make<TButton>(this, pnlBottom, "btnCance", 268, 8, 75, 25);
  btnCance->SetCaption("取消[&X]");

  btnFindNext->OnClick = [this](TObject*) { FindNext(); };
  btnCance->OnClick = [this](TObject*) { Close(); };
  cbbFieldName->OnChange = [this](TObject*) { FieldChanged(); };
  edtSearchText->OnChange = [this](TObject*) { SearchTextChanged(); };
  OnShow = [this](TObject*) { DialogShown(); };
}
