// Caption labels, the attached-label mechanism and the labelled controls.
#include "controls/basiccom.h"

#include "controls/ControlUtils.h"
#include "rtl/DateTime.h"
#include "ui/WinApi.h"

// --- TLabelLabel ----------------------------------------------------------------------------------

TLabelLabel::TLabelLabel(TComponent* AOwner) : TLabel(AOwner) { UpdateCaption(); }

void TLabelLabel::UpdateCaption() {
  SetCaption(labelrules::ComposeCaption(FCaptionName, FCaptionDevide, FCaptionValue, FLabelVisible));
}

void TLabelLabel::SetCaptionName(const AnsiString& v) {
  FCaptionName = v;
  UpdateCaption();
  Invalidate();
}

void TLabelLabel::SetCaptionValue(const AnsiString& v) {
  FCaptionValue = v;
  UpdateCaption();
  if (OnAfterChange) OnAfterChange(this);
  Invalidate();
}

void TLabelLabel::SetCaptionDevide(const AnsiString& v) {
  FCaptionDevide = v;
  UpdateCaption();
  Invalidate();
}

void TLabelLabel::SetLabelVisible(bool v) {
  FLabelVisible = v;
  UpdateCaption();
  Invalidate();
}

// --- TBoundLabel and the attachment ----------------------------------------------------------------

void TBoundLabel::AdjustBounds() {
  TCustomLabel::AdjustBounds();
  if (auto* owner = dynamic_cast<ILabelOwner*>(Owner())) owner->SetLabelPosition(owner->LabelPosition());
}

TLabelAttachment::TLabelAttachment(TControl* control, TWinControl* focusTarget) : FControl(control) {
  FLabel = new TBoundLabel(control);
  if (FLabel->Caption().empty()) FLabel->SetCaption(control->Name());
  FLabel->SetFocusControl(focusTarget);
  ApplyLabelVisible(true, false);
}

TLabelAttachment::~TLabelAttachment() {
  TBoundLabel* label = FLabel;
  FLabel = nullptr;
  delete label;
}

AnsiString TLabelAttachment::Caption() const { return FLabel ? FLabel->Caption() : AnsiString(); }

void TLabelAttachment::SetCaption(const AnsiString& v) {
  if (FLabel) FLabel->SetCaption(v);
}

void TLabelAttachment::Place(TLabelPosition value) {
  if (!FLabel) return;
  FPosition = value;
  const labelrules::TOrigin o = labelrules::PlaceLabel(
      value, FControl->Left(), FControl->Top(), FControl->Width(), FControl->Height(),
      FLabel->Width(), FLabel->Height(), FSpacing);
  FLabel->SetBounds(o.Left, o.Top, FLabel->Width(), FLabel->Height());
}

void TLabelAttachment::SetSpacing(int v) {
  FSpacing = v;
  Place(FPosition);
}

void TLabelAttachment::ApplyLabelVisible(bool value, bool followHidden) {
  FLabelVisible = value;
  if (FLabel) FLabel->SetVisible(value && !(followHidden && !FControl->Visible()));
}

void TLabelAttachment::ParentChanged(bool followHidden) {
  if (!FLabel) return;
  FLabel->SetParent(FControl->Parent());
  ApplyLabelVisible(FLabelVisible, followHidden);
  Place(FPosition);
}

void TLabelAttachment::ControlVisibleChanged() {
  if (FLabel) FLabel->SetVisible(FControl->Visible());
}

void TLabelAttachment::ControlEnabledChanged(bool enabled) {
  if (FLabel) FLabel->SetEnabled(enabled);
}

void TLabelAttachment::Renamed(const AnsiString& oldName, const AnsiString& newName) {
  if (FLabel && (FLabel->Caption().empty() || SameText(FLabel->Caption(), oldName)))
    FLabel->SetCaption(newName);
}

// --- TCustomLabelMemo -------------------------------------------------------------------------------

void TCustomLabelMemo::WndProc(TMessage& m) {
  TCustomMemo::WndProc(m);
  if (m.Msg == WM_MOUSEACTIVATE && ONHintEvent) ONHintEvent(this);
}

// --- TCustomLabelComBox -----------------------------------------------------------------------------

TCustomLabelComBox::TCustomLabelComBox(TComponent* AOwner) : TLabelled(AOwner) {}

TCustomLabelComBox::~TCustomLabelComBox() { FBinding.DataSet()->Close(); }

void TCustomLabelComBox::WndProc(TMessage& m) {
  TCustomComboBox::WndProc(m);
  if (m.Msg == WM_MOUSEACTIVATE && OnHintEvent) OnHintEvent(this);
}

void TCustomLabelComBox::ReloadItems() {
  const std::vector<AnsiString> texts = FBinding.ItemTexts();
  TStrings* items = Items();
  TUpdateScope update(items);
  items->Clear();
  for (const AnsiString& t : texts) items->Add(t);
}

void TCustomLabelComBox::LoadFromDataSet(TClientDataSet* ADataSet) {
  if (!FBinding.Load(ADataSet)) return;
  ReloadItems();
  SetItemIndex(-1);
}

AnsiString TCustomLabelComBox::SelectedText() {
  const int i = ItemIndex();
  return i >= 0 && i < Items()->Count() ? Items()->Strings(i) : AnsiString();
}

void TCustomLabelComBox::RefreshKeyValue() { FKeyValue = FBinding.KeyOfItem(ItemIndex()); }

void TCustomLabelComBox::SetkeyValue(const AnsiString& v) {
  FKeyValue = v;
  const int i = FBinding.ItemOfKey(v);
  if (i < 0 || i >= Items()->Count()) return;
  SetItemIndex(i);
  if (Style() != csDropDownList) TControl::SetText(Items()->Strings(i));
}

void TCustomLabelComBox::Select() {
  RefreshKeyValue();
  TCustomComboBox::Select();
}

void TCustomLabelComBox::DoExit() {
  RefreshKeyValue();
  TCustomComboBox::DoExit();
}

void TCustomLabelComBox::KeyPress(char& Key) {
  // Backspace never deletes text here (kept as it always was).
  if (Key == '\b') Key = 0;
  TCustomComboBox::KeyPress(Key);
}

namespace {
bool IsCtrlEnter(WORD key, TShiftState shift) {
  return key == VK_RETURN && shift * TShiftState{ssShift, ssAlt, ssCtrl} == TShiftState{ssCtrl};
}
}  // namespace

void TCustomLabelComBox::KeyDown(WORD& Key, TShiftState Shift) {
  if (IsCtrlEnter(Key, Shift)) Key = 0;  // acted upon when released
  TCustomComboBox::KeyDown(Key, Shift);
}

void TCustomLabelComBox::KeyUp(WORD& Key, TShiftState Shift) {
  if (IsCtrlEnter(Key, Shift)) {
    CtrlEnterUp();
    Key = 0;
  } else if (Key == VK_DELETE) {
    DeleteUp();
  }
  TCustomComboBox::KeyUp(Key, Shift);
}

void TCustomLabelComBox::CtrlEnterUp() {
  SetDroppedDown(false);
  if (FBinding.CtrlEnter(Text(), ItemIndex(), SelectedText())) {
    ReloadItems();
    SetItemIndex(-1);
  }
  if (!DroppedDown()) SetDroppedDown(true);
}

void TCustomLabelComBox::DeleteUp() {
  if (!FBinding.DeleteKey(Text())) return;
  ReloadItems();
  SetDroppedDown(false);
}

// --- TCustomLabelBtnEdit ----------------------------------------------------------------------------

void LoadBtnEditGlyph(TBitmap& glyph) { glyph.LoadFromResourceName(ui_win::ModuleInstance(), "BTNEDIT"); }

TCustomLabelBtnEdit::TCustomLabelBtnEdit(TComponent* AOwner) : TLabelled(AOwner) {
  SetSiteVisible(true);
  TBitmap glyph;
  LoadBtnEditGlyph(glyph);
  SetGlyph(&glyph);
}

void TCustomLabelBtnEdit::SetEnabled(bool v) {
  TRuxBtnEdit::SetEnabled(v);
  if (FAttach) FAttach->ControlEnabledChanged(v);
}

// --- TEmptyDate -------------------------------------------------------------------------------------

TEmptyDate::TEmptyDate(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(FLeft, FTop, 120, 22);
  FMaskEdit = new TMaskEdit(this);
  FMaskEdit->SetParent(this);
  FMaskEdit->SetEditMask(labelrules::kDateEditMask);
  FMaskEdit->SetBounds(0, 0, FMaskEdit->Width(), FHeight);
  FCalendar = new TDateTimePicker(this);
  FCalendar->SetParent(this);
  FCalendar->SetBounds(0, 0, labelrules::kCalendarWidth, FHeight);
  FClear = new TSpeedButton(this);
  FClear->SetParent(this);
  FClear->SetBounds(0, 2, labelrules::kClearButtonSize, labelrules::kClearButtonSize);
  FClear->SetCaption("清");
  FTopLine = MakeFrameLine(this, 0, clGray);
  FBottomLine = MakeFrameLine(this, FHeight - 1, clWhite);

  FCalendar->OnChange = [this](TObject*) {
    FMaskEdit->SetText(FormatDateTime("yyyy-mm-dd", FCalendar->Date()));
  };
  FClear->OnClick = [this](TObject*) { FMaskEdit->SetText(""); };
  // A date that does not exist is cleared without a word when the field is left.
  FMaskEdit->OnExit = [this](TObject*) {
    if (IsBadDateText(FMaskEdit->Text())) FMaskEdit->SetText("");
  };
  FMaskEdit->OnChange = [this](TObject*) {
    if (OnChange) OnChange(this);
  };
  Layout();
}

void TEmptyDate::Layout() {
  const labelrules::TEmptyDateLayout l = labelrules::EmptyDateLayout(FWidth);
  FClear->SetLeft(l.ClearLeft);
  FCalendar->SetLeft(l.CalendarLeft);
  FMaskEdit->SetWidth(l.EditWidth);
  FTopLine->SetWidth(l.LineWidth);
  FBottomLine->SetWidth(l.LineWidth);
}

void TEmptyDate::BoundsChanged(bool sized) {
  TWinControl::BoundsChanged(sized);
  if (sized && FBottomLine) Layout();  // the parts exist once constructed
}

AnsiString TEmptyDate::DateStr() const { return labelrules::DateStrOf(FMaskEdit->Text()); }

void TEmptyDate::SetDateStr(const AnsiString& v) { FMaskEdit->SetText(v); }

void TEmptyDate::SetTabStop(bool v) {
  FMaskEdit->SetTabStop(v);
  FCalendar->SetTabStop(v);
}

// --- TLabelEmptyDate --------------------------------------------------------------------------------

TLabelEmptyDate::TLabelEmptyDate(TComponent* AOwner) : TLabelled(AOwner) {
  if (EditLabel()) EditLabel()->SetFocusControl(MaskEdit());
}

// --- published properties ----------------------------------------------------------------------


void TLabelLabel::DefinePublished(TPublishedProperties& P) {
  TLabel::DefinePublished(P);
  published::StringField(P, "Typeid", Typeid);
  published::IntField(P, "Sonnum", Sonnum);
  published::StringField(P, "ZoneID", ZoneID);
  published::StringField(P, "Zname", Zname);
  published::EnumField(P, "BasicType", BasicType);
  published::BoolField(P, "IsConditionType", IsConditionType);
  published::SetField(P, "SelectOptions", SelectOptions);
  P.AddString("CaptionName", this, &TLabelLabel::CaptionName, &TLabelLabel::SetCaptionName);
  P.AddString("CaptionValue", this, &TLabelLabel::CaptionValue, &TLabelLabel::SetCaptionValue);
  P.AddString("CaptionDevide", this, &TLabelLabel::CaptionDevide, &TLabelLabel::SetCaptionDevide);
  P.AddBoolean("LabelVisible", this, &TLabelLabel::LabelVisible, &TLabelLabel::SetLabelVisible);
  published::IntField(P, "CustomCaptionNo", CustomCaptionNo);
  published::BoolField(P, "ShowCustomCaption", ShowCustomCaption);
  published::BoolField(P, "ParamIsID", ParamIsID);
  published::EnumField(P, "FrameWork", FrameWork);
}

namespace {
// What the labelled edit and memo publish of their own.
template <class C>
void PublishEditFields(TPublishedProperties& P, C& c) {
  published::IntField(P, "Sonnum", c.Sonnum);
  published::BoolField(P, "IsConditionType", c.IsConditionType);
  published::IntField(P, "CustomCaptionNo", c.CustomCaptionNo);
  published::BoolField(P, "ShowCustomCaption", c.ShowCustomCaption);
}
}  // namespace

void TCustomLabelEdit::DefinePublished(TPublishedProperties& P) {
  TCustomEdit::DefinePublished(P);
  PublishEditFields(P, *this);
}

void TCustomLabelMemo::DefinePublished(TPublishedProperties& P) {
  TCustomMemo::DefinePublished(P);
  PublishEditFields(P, *this);
}

void TCustomLabelComBox::DefinePublished(TPublishedProperties& P) {
  TCustomComboBox::DefinePublished(P);
  published::BoolField(P, "IsConditionType", IsConditionType);
  published::BoolField(P, "ShowCustomCaption", ShowCustomCaption);
  published::IntField(P, "CustomCaptionNo", CustomCaptionNo);
  published::IntField(P, "Sonnum", Sonnum);
  published::EnumField(P, "FrameWork", FrameWork);
  P.AddString("FindField", this, &TCustomLabelComBox::FindField, &TCustomLabelComBox::SetFindField);
  P.AddString("ShowField", this, &TCustomLabelComBox::ShowField, &TCustomLabelComBox::SetShowField);
  P.AddString("KeyField", this, &TCustomLabelComBox::KeyField, &TCustomLabelComBox::SetKeyField);
  P.AddString("keyValue", this, &TCustomLabelComBox::keyValue, &TCustomLabelComBox::SetkeyValue);
}

void TLabelComboBox::DefinePublished(TPublishedProperties& P) {
  TCustomLabelComBox::DefinePublished(P);
  published::EnumField(P, "BasicType", BasicType);
  published::Anchors(P, this);
  P.AddString("Caption", this, &TLabelComboBox::Caption, &TLabelComboBox::SetCaption);
  P.AddEnumeration("CharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"}, this, &TLabelComboBox::CharCase,
                   &TLabelComboBox::SetCharCase);
  P.AddInteger("Color", this, &TControl::Color, &TControl::SetColor);
  P.AddEnumeration("Style", {"csDropDown", "csSimple", "csDropDownList"}, this, &TLabelComboBox::Style,
                   &TLabelComboBox::SetStyle);
  P.AddBoolean("Enabled", this, &TControl::Enabled, &TControl::SetEnabled);
  P.AddClass("Font", [this]() -> TPersistent* { return &FFontProperties; });
  P.AddClass("Items", [this]() -> TPersistent* { return Items(); });
  published::LabelPosition(P, this);
  P.AddInteger("LabelSpacing", this, &TLabelComboBox::LabelSpacing, &TLabelComboBox::SetLabelSpacing);
  P.AddBoolean("LabelVisible", this, &TLabelComboBox::LabelVisible, &TLabelComboBox::SetLabelVisible);
  P.AddInteger("MaxLength", this, &TLabelComboBox::MaxLength, &TLabelComboBox::SetMaxLength);
  published::ParentColor(P, this).Default(0);
  published::ParentFont(P, this);
  published::ParentShowHint(P, this);
  published::ShowHint(P, this);
  published::TabOrder(P, this);
  published::TabStop(P, this);
  P.AddString("Text", [this] { return Text(); }, [this](const AnsiString& v) { SetText(v); });
  published::Visible(P, this);
}

void TCustomLabelBtnEdit::DefinePublished(TPublishedProperties& P) {
  TRuxBtnEdit::DefinePublished(P);
  published::BoolField(P, "ShowCustomCaption", ShowCustomCaption);
  published::IntField(P, "CustomCaptionNo", CustomCaptionNo);
  published::IntField(P, "Sonnum", Sonnum);
  published::StringField(P, "ZoneID", ZoneID);
  published::StringField(P, "Zname", Zname);
  published::StringField(P, "FilterTree", FilterTree);
  published::StringField(P, "FilterList", FilterList);
  published::IntField(P, "Rec", Rec);
  published::BoolField(P, "ImmeEvaluate", ImmeEvaluate);
}

void TLabelBtnEdit::DefinePublished(TPublishedProperties& P) {
  TCustomLabelBtnEdit::DefinePublished(P);
  published::BoolField(P, "CanReload", CanReload);
  published::Anchors(P, this);
  P.AddString("Caption", this, &TLabelBtnEdit::Caption, &TLabelBtnEdit::SetCaption);
  P.AddClass("Font", [this]() -> TPersistent* { return &FFontProperties; });
  published::LabelPosition(P, this);
  P.AddInteger("LabelSpacing", this, &TLabelBtnEdit::LabelSpacing, &TLabelBtnEdit::SetLabelSpacing);
  P.AddBoolean("LabelVisible", this, &TLabelBtnEdit::LabelVisible, &TLabelBtnEdit::SetLabelVisible);
  published::ParentColor(P, this);
  published::ParentFont(P, this);
  published::ParentShowHint(P, this);
  published::ShowHint(P, this);
  published::TabOrder(P, this);
  published::TabStop(P, this).Default(0);
}

void TLabelDate::DefinePublished(TPublishedProperties& P) {
  TDateTimePicker::DefinePublished(P);
  published::LabelPosition(P, this);
  P.AddInteger("LabelSpacing", this, &TLabelDate::LabelSpacing, &TLabelDate::SetLabelSpacing);
  P.AddString("Caption", this, &TLabelDate::Caption, &TLabelDate::SetCaption);
  P.AddBoolean("LabelVisible", this, &TLabelDate::LabelVisible, &TLabelDate::SetLabelVisible);
  published::EnumField(P, "BasicType", BasicType);
  published::BoolField(P, "IsConditionType", IsConditionType);
  published::BoolField(P, "ShowCustomCaption", ShowCustomCaption);
  published::IntField(P, "CustomCaptionNo", CustomCaptionNo);
  published::Visible(P, this);
  published::EnumField(P, "FrameWork", FrameWork);
}

void TEmptyDate::DefinePublished(TPublishedProperties& P) {
  TWinControl::DefinePublished(P);
  published::BoolField(P, "ShowCustomCaption", ShowCustomCaption);
  published::IntField(P, "CustomCaptionNo", CustomCaptionNo);
  P.AddString("DateStr", this, &TEmptyDate::DateStr, &TEmptyDate::SetDateStr);
  P.AddBoolean("TabStop", this, &TEmptyDate::TabStop, &TEmptyDate::SetTabStop);
  published::TabOrder(P, this);
}

void TLabelEmptyDate::DefinePublished(TPublishedProperties& P) {
  TEmptyDate::DefinePublished(P);
  published::LabelPosition(P, this);
  P.AddInteger("LabelSpacing", this, &TLabelEmptyDate::LabelSpacing, &TLabelEmptyDate::SetLabelSpacing);
  P.AddString("Caption", this, &TLabelEmptyDate::Caption, &TLabelEmptyDate::SetCaption);
  P.AddBoolean("LabelVisible", this, &TLabelEmptyDate::LabelVisible, &TLabelEmptyDate::SetLabelVisible);
  published::EnumField(P, "BasicType", BasicType);
  published::BoolField(P, "IsConditionType", IsConditionType);
  published::Visible(P, this);
  published::EnumField(P, "FrameWork", FrameWork);
}
