// Caption labels, the attached-label mechanism and the labelled controls.
#include "controls/basiccom.h"

#include "controls/ControlUtils.h"
#include "rtl/DateTime.h"

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

// The six labelled classes share their overrides; each passes whether its label hides
// while the control is hidden (the button-edit and date classes do).
#define POS_LABELLED_OVERRIDES(Class, Base, FollowHidden)                         \
  void Class::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {           \
    Base::SetBounds(ALeft, ATop, AWidth, AHeight);                                \
    if (FAttach) FAttach->Place(FAttach->Position());                             \
  }                                                                               \
  void Class::SetParent(TWinControl* AParent) {                                   \
    Base::SetParent(AParent);                                                     \
    if (FAttach) FAttach->ParentChanged(FollowHidden);                            \
  }                                                                               \
  void Class::VisibleChanged() {                                                  \
    Base::VisibleChanged();                                                       \
    if (FAttach) FAttach->ControlVisibleChanged();                                \
  }

namespace {
// Design-time rename: the label's caption follows the name, the text is cleared.
template <typename Clear>
void RenameLabelled(TComponent* c, TLabelAttachment* attach, const AnsiString& value,
                    const std::function<void(const AnsiString&)>& inherited, Clear clearText) {
  if (!c->HasState(csDesigning)) {
    inherited(value);
    return;
  }
  const AnsiString old = c->Name();
  if (attach) attach->Renamed(old, value);
  inherited(value);
  clearText();
}
}  // namespace

// --- TCustomLabelEdit -------------------------------------------------------------------------------

TCustomLabelEdit::TCustomLabelEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  FAttach = std::make_unique<TLabelAttachment>(this, this);
}

TCustomLabelEdit::~TCustomLabelEdit() { FAttach.reset(); }

POS_LABELLED_OVERRIDES(TCustomLabelEdit, TCustomEdit, false)

void TCustomLabelEdit::EnabledChanged() {
  TCustomEdit::EnabledChanged();
  if (FAttach) FAttach->ControlEnabledChanged(Enabled());
}

void TCustomLabelEdit::SetName(const AnsiString& value) {
  RenameLabelled(this, FAttach.get(), value, [this](const AnsiString& v) { TCustomEdit::SetName(v); },
                 [this] { TControl::SetText(""); });
}

// --- TCustomLabelMemo -------------------------------------------------------------------------------

TCustomLabelMemo::TCustomLabelMemo(TComponent* AOwner) : TCustomMemo(AOwner) {
  FAttach = std::make_unique<TLabelAttachment>(this, this);
}

TCustomLabelMemo::~TCustomLabelMemo() { FAttach.reset(); }

POS_LABELLED_OVERRIDES(TCustomLabelMemo, TCustomMemo, false)

void TCustomLabelMemo::EnabledChanged() {
  TCustomMemo::EnabledChanged();
  if (FAttach) FAttach->ControlEnabledChanged(Enabled());
}

void TCustomLabelMemo::SetName(const AnsiString& value) {
  RenameLabelled(this, FAttach.get(), value, [this](const AnsiString& v) { TCustomMemo::SetName(v); },
                 [this] { TControl::SetText(""); });
}

void TCustomLabelMemo::WndProc(TMessage& m) {
  TCustomMemo::WndProc(m);
  if (m.Msg == WM_MOUSEACTIVATE && ONHintEvent) ONHintEvent(this);
}

// --- TCustomLabelComBox -----------------------------------------------------------------------------

TCustomLabelComBox::TCustomLabelComBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
  FAttach = std::make_unique<TLabelAttachment>(this, this);
}

TCustomLabelComBox::~TCustomLabelComBox() {
  FAttach.reset();
  FBinding.DataSet()->Close();
}

POS_LABELLED_OVERRIDES(TCustomLabelComBox, TCustomComboBox, false)

void TCustomLabelComBox::EnabledChanged() {
  TCustomComboBox::EnabledChanged();
  if (FAttach) FAttach->ControlEnabledChanged(Enabled());
}

void TCustomLabelComBox::SetName(const AnsiString& value) {
  RenameLabelled(this, FAttach.get(), value,
                 [this](const AnsiString& v) { TCustomComboBox::SetName(v); },
                 [this] { TControl::SetText(""); });
}

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

void LoadBtnEditGlyph(TBitmap& glyph) {
  glyph.SetSize(12, 12);
  TCanvas* c = glyph.Canvas();
  // The bottom-left pixel's colour is the transparent one.
  c->Brush()->SetColor(clOlive);
  c->FillRect(Rect(0, 0, 12, 12));
  c->Brush()->SetColor(clBlack);
  for (int x : {2, 5, 8}) c->FillRect(Rect(x, 7, x + 2, 9));
}

TCustomLabelBtnEdit::TCustomLabelBtnEdit(TComponent* AOwner) : TRuxBtnEdit(AOwner) {
  FAttach = std::make_unique<TLabelAttachment>(this, this);
  SetSiteVisible(true);
  TBitmap glyph;
  LoadBtnEditGlyph(glyph);
  SetGlyph(&glyph);
}

TCustomLabelBtnEdit::~TCustomLabelBtnEdit() { FAttach.reset(); }

POS_LABELLED_OVERRIDES(TCustomLabelBtnEdit, TRuxBtnEdit, true)

void TCustomLabelBtnEdit::SetEnabled(bool v) {
  TRuxBtnEdit::SetEnabled(v);
  if (FAttach) FAttach->ControlEnabledChanged(v);
}

void TCustomLabelBtnEdit::SetName(const AnsiString& value) {
  RenameLabelled(this, FAttach.get(), value, [this](const AnsiString& v) { TRuxBtnEdit::SetName(v); },
                 [this] { SetText(""); });
}

// --- TLabelDate -------------------------------------------------------------------------------------

TLabelDate::TLabelDate(TComponent* AOwner) : TDateTimePicker(AOwner) {
  FAttach = std::make_unique<TLabelAttachment>(this, this);
}

TLabelDate::~TLabelDate() { FAttach.reset(); }

POS_LABELLED_OVERRIDES(TLabelDate, TDateTimePicker, true)

void TLabelDate::EnabledChanged() {
  TDateTimePicker::EnabledChanged();
  if (FAttach) FAttach->ControlEnabledChanged(Enabled());
}

void TLabelDate::SetName(const AnsiString& value) {
  RenameLabelled(this, FAttach.get(), value, [this](const AnsiString& v) { TDateTimePicker::SetName(v); },
                 [this] { TControl::SetText(""); });
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
  FTopLine = new TShape(this);
  FTopLine->SetParent(this);
  FTopLine->SetBounds(0, 0, FWidth, 1);
  FTopLine->Pen()->SetColor(clGray);
  FBottomLine = new TShape(this);
  FBottomLine->SetParent(this);
  FBottomLine->SetBounds(0, FHeight - 1, FWidth, 1);
  FBottomLine->Pen()->SetColor(clWhite);

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

TLabelEmptyDate::TLabelEmptyDate(TComponent* AOwner) : TEmptyDate(AOwner) {
  FAttach = std::make_unique<TLabelAttachment>(this, MaskEdit());
}

TLabelEmptyDate::~TLabelEmptyDate() { FAttach.reset(); }

POS_LABELLED_OVERRIDES(TLabelEmptyDate, TEmptyDate, true)

void TLabelEmptyDate::EnabledChanged() {
  TEmptyDate::EnabledChanged();
  if (FAttach) FAttach->ControlEnabledChanged(Enabled());
}

void TLabelEmptyDate::SetName(const AnsiString& value) {
  RenameLabelled(this, FAttach.get(), value, [this](const AnsiString& v) { TEmptyDate::SetName(v); },
                 [this] { SetDateStr(""); });
}
