// The button edit and its inner edit.
#include "controls/RuxBtnEdit.h"

#include "controls/PublishedControls.h"

#include "controls/ControlUtils.h"

// --- TRuxEdit ---------------------------------------------------------------------------------

TRuxEdit::TRuxEdit(TComponent* AOwner) : TEdit(AOwner) {}

void TRuxEdit::KeyPress(char& Key) {
  Key = ruxbtnedit::FilterKey(FDataType, FMinValue, Text(), Key);
  if (Key != 0) TEdit::KeyPress(Key);
}

void TRuxEdit::MouseMove(TShiftState Shift, int X, int Y) {
  TEdit::MouseMove(Shift, X, Y);
  if (OnMouseOver) OnMouseOver(this);
}

// --- TRuxBtnEdit ------------------------------------------------------------------------------

int TRuxBtnEdit::ButtonWidth() { return ::GetSystemMetrics(SM_CXVSCROLL); }

TRuxBtnEdit::TRuxBtnEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(FLeft, FTop, 120, 21);
  SetTabStop(false);

  FEdit = new TRuxEdit(this);
  FEdit->SetParent(this);
  FEdit->SetBounds(0, 0, FEdit->Width(), FEdit->Height());
  FEdit->SetBorderStyle(bsSingle);
  FEdit->SendToBack();
  FEdit->SetName("Edit");
  FEdit->SetText("");

  FButton = new TSpeedButton(this);
  FButton->SetParent(this);
  FButton->SetBounds(FButton->Left(), 2, ButtonWidth(), FButton->Height());
  FButton->BringToFront();
  FButton->SetCursor(crArrow);

  FTopLine = MakeFrameLine(this, 0, clGray);
  // The bottom line stays where the control's first height put it.
  FBottomLine = MakeFrameLine(this, FHeight - 1, clWhite);

  FUnderline = new TShape(this);
  FUnderline->SetParent(FEdit);
  FUnderline->SetBounds(0, FEdit->Height() - 5, FEdit->Width(), 1);
  FUnderline->Pen()->SetColor(clBlack);

  FEdit->OnClick = [this](TObject*) { if (OnClick) OnClick(this); };
  FEdit->OnMouseOver = [this](TObject*) { if (OnHintEvent) OnHintEvent(this); };
  FEdit->OnChange = [this](TObject*) { if (OnChange) OnChange(this); };
  FEdit->OnEnter = [this](TObject*) { EditEnter(); };
  FEdit->OnKeyDown = [this](TObject*, WORD& Key, TShiftState Shift) { EditKeyDown(Key, Shift); };
  FEdit->OnDblClick = [this](TObject*) { EditDblClick(); };
  FEdit->OnExit = [this](TObject*) { EditExit(); };
  FButton->OnClick = [this](TObject*) { ButtonClick(); };

  UpdateParts();
}

TRuxBtnEdit::~TRuxBtnEdit() { FSelected.clear(); }

void TRuxBtnEdit::SetName(const AnsiString& value) {
  TWinControl::SetName(value);
  FEdit->SetName(value + "Edit");
}

AnsiString TRuxBtnEdit::Text() const { return FEdit->Text(); }

void TRuxBtnEdit::SetText(const AnsiString& v) { SetTextCore(v); }

AnsiString TRuxBtnEdit::GetText() const { return FEdit->Text(); }

void TRuxBtnEdit::SetTextCore(const AnsiString& v) {
  FEdit->SetText(v);
  if (Trim(v).empty()) FTypeid.clear();
}

void TRuxBtnEdit::SetTypeid(const AnsiString& v) {
  if (v == FTypeid) return;
  FTypeid = v;
  if (OnChangeTypeID) OnChangeTypeID(this);
}

void TRuxBtnEdit::SetMaxLength(int v) {
  FMaxLength = v;
  FEdit->SetMaxLength(v);
}

void TRuxBtnEdit::SetReadOnly(bool v) {
  FReadOnly = v;
  FEdit->SetReadOnly(v);
}

void TRuxBtnEdit::SetEnabled(bool v) {
  FEnabledValue = v;
  FButton->SetEnabled(v);
  FEdit->SetEnabled(v);
}

void TRuxBtnEdit::SetBtnVisible(bool v) {
  FBtnVisible = v;
  UpdateParts();
}

void TRuxBtnEdit::SetFlat(bool v) {
  FFlat = v;
  if (v) {
    FEdit->SetBorderStyle(bsNone);
    FButton->SetVisible(false);
    FTopLine->SetVisible(false);
    FTopLine->SetLeft(FWidth + 2);
    FBottomLine->SetVisible(false);
    FUnderline->SetVisible(true);
    FUnderline->SetLeft(0);
    FEdit->SetTop(3);
  } else {
    FEdit->SetBorderStyle(bsSingle);
    FButton->SetVisible(FBtnVisible);
    FTopLine->SetVisible(FBtnVisible);
    FBottomLine->SetVisible(FBtnVisible);
    FTopLine->SetLeft(0);
    FUnderline->SetVisible(false);
    FUnderline->SetLeft(FWidth + 10);
    FEdit->SetTop(0);
  }
}

void TRuxBtnEdit::UpdateParts() {
  FEdit->SetVisible(true);
  const bool button = FBtnVisible && !FFlat;
  FButton->SetVisible(button);
  FTopLine->SetVisible(button);
  FBottomLine->SetVisible(button);
  FUnderline->SetVisible(FFlat);
  LayoutParts();
}

void TRuxBtnEdit::LayoutParts() {
  const ruxbtnedit::TLayout l =
      ruxbtnedit::ComputeLayout(FWidth, FHeight, FButton->Width(), FBtnVisible, FFlat);
  if (FBtnVisible) FButton->SetLeft(l.ButtonLeft);
  FEdit->SetBounds(FEdit->Left(), FEdit->Top(), l.EditWidth, l.EditHeight);
  FButton->SetHeight(l.ButtonHeight);
  FTopLine->SetWidth(l.LineWidth);
  FBottomLine->SetWidth(l.LineWidth);
  FUnderline->SetBounds(l.UnderlineLeft, FUnderline->Top(), l.UnderlineWidth, 1);
}

void TRuxBtnEdit::BoundsChanged(bool sized) {
  TWinControl::BoundsChanged(sized);
  if (sized && FUnderline) LayoutParts();  // the parts exist once constructed
}

void TRuxBtnEdit::SetFocus() {
  TWinControl::SetFocus();
  if (FEdit->Enabled() && FEdit->CanFocus()) FEdit->SetFocus();
}

void TRuxBtnEdit::DoEnter() {
  FSavedColor = FEdit->Color();
  FEdit->SetColor(FFocusColor);
  // The field's OnEnter is the edit's (EditEnter).
}

void TRuxBtnEdit::DoExit() { FEdit->SetColor(FSavedColor); }

void TRuxBtnEdit::EditEnter() {
  FLastText = Text();
  if (FFlat) FButton->SetVisible(FBtnVisible);
  if (OnHintEvent) OnHintEvent(this);
  if (OnEnter) OnEnter(this);
}

void TRuxBtnEdit::EditKeyDown(WORD& Key, TShiftState Shift) {
  FModifyed = true;
  if (Key == VK_RETURN && OnSelectBasic && FRunSelectBasic) {
    FModifyed = false;
    OnSelectBasic(this, "KEYDOWN", FModifyed);
  }
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
  // Read again: a key handler that zeroed the key ends the step here.
  if (Key == VK_RETURN && FSelectNextC && FModifyed && OnSelectNextC) OnSelectNextC(this);
}

void TRuxBtnEdit::EditDblClick() {
  FModifyed = false;
  if (FBtnVisible && FEnabledValue && OnSelectBasic) OnSelectBasic(this, "DBLCLICK", FModifyed);
  if (OnDblClick) OnDblClick(this);
}

void TRuxBtnEdit::ButtonClick() {
  if (FEdit->CanFocus()) FEdit->SetFocus();
  FModifyed = false;
  if (OnSelectBasic) OnSelectBasic(this, "BTNCLICK", FModifyed);
  if (OnBtnClick) OnBtnClick(this);
}

void TRuxBtnEdit::EditExit() {
  const ruxbtnedit::TExitOutcome o =
      ruxbtnedit::ExitRule(DataType(), Text(), MinValue(), MaxValue(), FBasicType, FParamIsID);
  if (o.Text != Text()) FEdit->SetText(o.Text);
  if (o.ClearTypeid) SetTypeid("");
  if (o.DateError) ShowMessageBox(ruxbtnedit::kDateErrorText, ruxbtnedit::kHintCaption);
  if (FFlat) FButton->SetVisible(false);
  if (OnExit) OnExit(this);
}

TShape* MakeFrameLine(TWinControl* control, int y, TColor color) {
  auto* line = new TShape(control);
  line->SetParent(control);
  line->SetBounds(0, y, control->Width(), 1);
  line->Pen()->SetColor(color);
  return line;
}

// --- published properties ------------------------------------------------------------------

void TRuxEdit::DefinePublished(TPublishedProperties& P) {
  TEdit::DefinePublished(P);
  P.AddChar("PasswordChar", this, &TRuxEdit::PasswordChar, &TRuxEdit::SetPasswordChar).Default(0);
  published::Enum<TDataType>(P, "DataType", this, &TRuxEdit::DataType, &TRuxEdit::SetDataType).Default(dtString);
  P.AddInteger("MaxValue", this, &TRuxEdit::MaxValue, &TRuxEdit::SetMaxValue).Default(1000000);
  P.AddInteger("MinValue", this, &TRuxEdit::MinValue, &TRuxEdit::SetMinValue).Default(-1000000);
}

void TRuxBtnEdit::DefinePublished(TPublishedProperties& P) {
  TWinControl::DefinePublished(P);
  P.AddInteger("FocusColor", this, &TRuxBtnEdit::FocusColor, &TRuxBtnEdit::SetFocusColor);
  P.AddBoolean("BtnEnabled", this, &TRuxBtnEdit::BtnEnabled, &TRuxBtnEdit::SetBtnEnabled).Default(1);
  P.AddBoolean("BtnVisible", this, &TRuxBtnEdit::BtnVisible, &TRuxBtnEdit::SetBtnVisible);
  P.AddString("Text", this, &TRuxBtnEdit::Text, &TRuxBtnEdit::SetText);
  P.AddEnumeration("BorderStyle", {"bsNone", "bsSingle"}, this, &TRuxBtnEdit::BorderStyle,
                   &TRuxBtnEdit::SetBorderStyle);
  P.AddString("BtnCaption", this, &TRuxBtnEdit::BtnCaption, &TRuxBtnEdit::SetBtnCaption);
  P.AddInteger("Color", this, &TRuxBtnEdit::Color, &TRuxBtnEdit::SetColor);
  P.AddBoolean("Enabled", this, &TRuxBtnEdit::Enabled, &TRuxBtnEdit::SetEnabled);
  P.AddBoolean("Flat", this, &TRuxBtnEdit::Flat, &TRuxBtnEdit::SetFlat);
  P.AddString("LastText", this, &TRuxBtnEdit::LastText, &TRuxBtnEdit::SetLastText);
  P.AddInteger("DepAttr", this, &TRuxBtnEdit::DepAttr, &TRuxBtnEdit::SetDepAttr);
  P.AddInteger("MaxLength", this, &TRuxBtnEdit::MaxLength, &TRuxBtnEdit::SetMaxLength);
  P.AddChar("PasswordChar", this, &TRuxBtnEdit::PasswordChar, &TRuxBtnEdit::SetPasswordChar);
  P.AddInteger("MaxValue", this, &TRuxBtnEdit::MaxValue, &TRuxBtnEdit::SetMaxValue);
  P.AddInteger("MinValue", this, &TRuxBtnEdit::MinValue, &TRuxBtnEdit::SetMinValue);
  P.AddBoolean("ReadOnly", this, &TRuxBtnEdit::ReadOnly, &TRuxBtnEdit::SetReadOnly);
  published::Visible(P, this);
  P.AddBoolean("RunSelectBasic", this, &TRuxBtnEdit::RunSelectBasic, &TRuxBtnEdit::SetRunSelectBasic);
  published::Enum<TDataType>(P, "DataType", this, &TRuxBtnEdit::DataType, &TRuxBtnEdit::SetDataType);
  published::Enum<TBasicType>(P, "BasicType", this, &TRuxBtnEdit::BasicType, &TRuxBtnEdit::SetBasicType);
  P.AddString("Typeid", this, &TRuxBtnEdit::Typeid, &TRuxBtnEdit::SetTypeid);
  published::Enum<TFrameWork>(P, "FrameWork", this, &TRuxBtnEdit::FrameWork, &TRuxBtnEdit::SetFrameWork);
  P.AddBoolean("IsConditionType", this, &TRuxBtnEdit::IsConditionType, &TRuxBtnEdit::SetIsConditionType);
  P.AddBoolean("SelectNextC", this, &TRuxBtnEdit::SelectNextC, &TRuxBtnEdit::SetSelectNextC);
  published::Set<TBaseSelectOption>(P, "SelectOptions", this, &TRuxBtnEdit::SelectOptions, &TRuxBtnEdit::SetSelectOptions);
  published::Set<TkvBusinessType>(P, "BusinessTypes", this, &TRuxBtnEdit::BusinessTypes, &TRuxBtnEdit::SetBusinessTypes);
  published::Set<TkvStockType>(P, "StockTypes", this, &TRuxBtnEdit::StockTypes, &TRuxBtnEdit::SetStockTypes);
  P.AddString("Assistant1", this, &TRuxBtnEdit::Assistant1, &TRuxBtnEdit::SetAssistant1);
  P.AddString("Assistant2", this, &TRuxBtnEdit::Assistant2, &TRuxBtnEdit::SetAssistant2);
  P.AddBoolean("ParamIsID", this, &TRuxBtnEdit::ParamIsID, &TRuxBtnEdit::SetParamIsID);
  P.AddBoolean("Required", this, &TRuxBtnEdit::Required, &TRuxBtnEdit::SetRequired);
  P.AddBoolean("SiteVisible", this, &TRuxBtnEdit::SiteVisible, &TRuxBtnEdit::SetSiteVisible);
}
