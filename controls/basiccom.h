// The labelled controls of the data-entry screens and their caption label.
//
//   TLabelLabel        a label showing name, divider and value ("盘点数量合计 : 12")
//   TBoundLabel        the caption label a labelled control owns
//   TCustomLabelEdit, TCustomLabelMemo, TCustomLabelComBox / TLabelComboBox,
//   TCustomLabelBtnEdit / TLabelBtnEdit, TLabelDate, TLabelEmptyDate
//                      the six labelled controls
//   TEmptyDate         a date field that may stay empty (masked edit, calendar, clear)
//
// The attached label: each labelled control owns one TBoundLabel that stands beside it
// at LabelPosition with LabelSpacing pixels between them (placement in LabelRules.h).
// It is placed again after every move or resize of the control, when the position or
// the spacing is written, and whenever it sizes itself to a new caption or font. It has
// the control's parent, takes the focus to the control on its accelerator, and follows
// the control's visibility and enabled state:
//   - on every visibility change the label's Visible becomes the control's (so showing
//     the control shows the label even when LabelVisible is False, as it always did);
//   - when the parent is set, the label shows per LabelVisible (the button-edit and date
//     classes also hide it while the control is hidden), and so when LabelVisible is
//     written on the classes that let it be written.
// The label lives as long as its control and is freed before it.
#pragma once
#include <memory>

#include "controls/ComboDataBinding.h"
#include "controls/LabelRules.h"
#include "controls/PublishedControls.h"
#include "controls/RuxBtnEdit.h"
#include "controls/componenttype.h"
#include "ui/ComCtrls.h"
#include "ui/Mask.h"
#include "ui/StdCtrls.h"

// --- name-and-value label ------------------------------------------------------------------
class TLabelLabel : public TLabel {
 public:
  explicit TLabelLabel(TComponent* AOwner);
  // Every field below and the caption's parts, in the order of the fields.
  void DefinePublished(TPublishedProperties& P) override;

  // The caption shows CaptionName + CaptionDevide + CaptionValue, or the value alone
  // when LabelVisible is False; every write rebuilds it (" : " at creation).
  const AnsiString& CaptionName() const { return FCaptionName; }
  void SetCaptionName(const AnsiString& v);
  const AnsiString& CaptionValue() const { return FCaptionValue; }
  // Fires OnAfterChange after the caption is rebuilt, on every write (also of the
  // same value).
  void SetCaptionValue(const AnsiString& v);
  const AnsiString& CaptionDevide() const { return FCaptionDevide; }
  void SetCaptionDevide(const AnsiString& v);
  bool LabelVisible() const { return FLabelVisible; }
  void SetLabelVisible(bool v);

  // Stored only, for the screens.
  AnsiString Typeid;  // at most 255 characters in a form
  int Sonnum = 0;
  AnsiString ZoneID;
  AnsiString Zname;
  TBasicType BasicType = btNo;
  bool IsConditionType = false;
  TBaseSelectOptions SelectOptions;
  int CustomCaptionNo = 0;
  bool ShowCustomCaption = false;
  bool ParamIsID = true;
  TFrameWork FrameWork = fwNo;

  TNotifyEvent OnAfterChange;

 private:
  void UpdateCaption();
  AnsiString FCaptionName, FCaptionValue, FCaptionDevide = " : ";
  bool FLabelVisible = true;
};

// --- the attached label ---------------------------------------------------------------------
// What a labelled control offers its label.
class ILabelOwner {
 public:
  virtual ~ILabelOwner() = default;
  virtual TLabelPosition LabelPosition() const = 0;
  // Places the label on that side (nothing while the label does not exist yet).
  virtual void SetLabelPosition(TLabelPosition value) = 0;
};

class TBoundLabel : public TCustomLabel {
 public:
  explicit TBoundLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
  // Sizes itself to its caption, then asks a labelled owner to place it again.
  void AdjustBounds() override;
};

// The label and its three settings, shared by the six labelled controls.
class TLabelAttachment {
 public:
  // Makes the label, owned by `control`, focusing it on its accelerator.
  TLabelAttachment(TControl* control, TWinControl* focusTarget);
  ~TLabelAttachment();
  TLabelAttachment(const TLabelAttachment&) = delete;
  TLabelAttachment& operator=(const TLabelAttachment&) = delete;

  TBoundLabel* Label() const { return FLabel; }
  AnsiString Caption() const;
  void SetCaption(const AnsiString& v);
  // The label went (freed by its parent): nothing refers to it any more.
  void Forget(TComponent* c) { if (c == FLabel) FLabel = nullptr; }
  TLabelPosition Position() const { return FPosition; }
  int Spacing() const { return FSpacing; }
  bool LabelVisible() const { return FLabelVisible; }

  void Place(TLabelPosition value);
  void SetSpacing(int v);
  // Label shown per LabelVisible, hidden while the control is hidden when `followHidden`.
  void ApplyLabelVisible(bool value, bool followHidden);
  void ParentChanged(bool followHidden);
  void ControlVisibleChanged();
  void ControlEnabledChanged(bool enabled);
  // Design-time rename: a caption that is empty or the old name takes the new name.
  void Renamed(const AnsiString& oldName, const AnsiString& newName);

 private:
  TControl* FControl;
  TBoundLabel* FLabel = nullptr;
  TLabelPosition FPosition = lpLeft;
  int FSpacing = 3;
  bool FLabelVisible = true;
};

// An input control Base with the attached label: the label's members, published the
// same way by every labelled class, and the overrides that keep the label beside the
// control and following its parent, visibility and enabled state. FollowHidden: the
// label also stays hidden while the control is hidden (the button-edit and date
// classes). Caption is the label's caption (it hides the control's own Caption, its
// window text). The label may go before its control (with their common parent): the
// control then hears of it and forgets it.
template <class Base, bool FollowHidden>
class TLabelled : public Base, public ILabelOwner {
 public:
  // The label focuses the control itself on its accelerator.
  explicit TLabelled(TComponent* AOwner) : Base(AOwner) {
    FAttach = std::make_unique<TLabelAttachment>(this, this);
  }
  ~TLabelled() override { FAttach.reset(); }

  TBoundLabel* EditLabel() const { return FAttach ? FAttach->Label() : nullptr; }
  AnsiString Caption() const { return FAttach->Caption(); }
  void SetCaption(const AnsiString& v) { FAttach->SetCaption(v); }
  TLabelPosition LabelPosition() const override { return FAttach->Position(); }
  void SetLabelPosition(TLabelPosition v) override {
    if (FAttach) FAttach->Place(v);
  }
  int LabelSpacing() const { return FAttach->Spacing(); }
  void SetLabelSpacing(int v) { FAttach->SetSpacing(v); }
  bool LabelVisible() const { return FAttach->LabelVisible(); }

  // The label is placed again after every move or resize.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override {
    Base::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FAttach) FAttach->Place(FAttach->Position());
  }
  void SetParent(TWinControl* AParent) override {
    Base::SetParent(AParent);
    if (FAttach) FAttach->ParentChanged(FollowHidden);
  }
  // Design-time rename: the label's caption follows the name (when it was empty or the
  // old name), then the text is cleared.
  void SetName(const AnsiString& value) override {
    if (!this->HasState(csDesigning)) {
      Base::SetName(value);
      return;
    }
    const AnsiString old = this->Name();
    if (FAttach) FAttach->Renamed(old, value);
    Base::SetName(value);
    ClearRenamedText();
  }

 protected:
  // Not every labelled class lets LabelVisible be written; those that do say so.
  void SetLabelVisible(bool v) { FAttach->ApplyLabelVisible(v, FollowHidden); }
  // What a design-time rename clears: the window text.
  virtual void ClearRenamedText() { this->TControl::SetText(""); }
  void VisibleChanged() override {
    Base::VisibleChanged();
    if (FAttach) FAttach->ControlVisibleChanged();
  }
  void EnabledChanged() override {
    Base::EnabledChanged();
    if (FAttach) FAttach->ControlEnabledChanged(this->Enabled());
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    Base::Notification(AComponent, Operation);
    if (Operation == opRemove && FAttach) FAttach->Forget(AComponent);
  }
  std::unique_ptr<TLabelAttachment> FAttach;
};

// --- labelled edit and memo ------------------------------------------------------------------
class TCustomLabelEdit : public TLabelled<TCustomEdit, false> {
 public:
  using TLabelled::TLabelled;
  // Sonnum, IsConditionType, CustomCaptionNo, ShowCustomCaption (the label's settings
  // are not published).
  void DefinePublished(TPublishedProperties& P) override;

  int Sonnum = 0;
  bool IsConditionType = false;
  int CustomCaptionNo = 0;
  bool ShowCustomCaption = false;
};

class TCustomLabelMemo : public TLabelled<TCustomMemo, false> {
 public:
  using TLabelled::TLabelled;
  // As the labelled edit.
  void DefinePublished(TPublishedProperties& P) override;
  void WndProc(TMessage& m) override;

  int Sonnum = 0;
  bool IsConditionType = false;
  int CustomCaptionNo = 0;
  bool ShowCustomCaption = false;
  // Fired when the memo is activated by the mouse.
  TNotifyEvent ONHintEvent;
};

// --- labelled combo box with dataset binding --------------------------------------------------
// Items may come from a client dataset (LoadFromDataSet): item i is then the ShowField
// text of record i + 1 of the box's own copy, the chosen item's KeyField text is keyValue
// (refreshed before OnChange/OnSelect of every selection change and before OnExit), and
// Ctrl+Enter narrows the list to the records whose ShowField or FindField begins with the
// typed text (without regard to case); Delete on an empty text shows all records again.
// Backspace typed into the box is discarded.
class TCustomLabelComBox : public TLabelled<TCustomComboBox, false> {
 public:
  explicit TCustomLabelComBox(TComponent* AOwner);
  using TLabelled::SetLabelVisible;
  ~TCustomLabelComBox() override;
  // IsConditionType, ShowCustomCaption, CustomCaptionNo, Sonnum, FrameWork, FindField,
  // ShowField, KeyField, keyValue.
  void DefinePublished(TPublishedProperties& P) override;
  void WndProc(TMessage& m) override;

  // Fills the items from an active dataset holding the ShowField, FindField and
  // KeyField columns (the box keeps its own copy); nothing selected afterwards.
  void LoadFromDataSet(TClientDataSet* ADataSet);
  const AnsiString& FindField() const { return FBinding.FindField(); }
  void SetFindField(const AnsiString& v) { FBinding.SetFindField(v); }
  const AnsiString& ShowField() const { return FBinding.ShowField(); }
  void SetShowField(const AnsiString& v) { FBinding.SetShowField(v); }
  const AnsiString& KeyField() const { return FBinding.KeyField(); }
  void SetKeyField(const AnsiString& v) { FBinding.SetKeyField(v); }
  // The key of the chosen record as last refreshed ("0" for none).
  const AnsiString& keyValue() const { return FKeyValue; }
  // Stores the value and selects the first record whose key equals it (the selection
  // stays when none does). While bound, a missing key column raises the dataset's
  // field-not-found error.
  void SetkeyValue(const AnsiString& v);
  TComboDataBinding& Binding() { return FBinding; }

  int Sonnum = 0;
  TBasicType BasicType = btNo;
  bool IsConditionType = false;
  int CustomCaptionNo = 0;
  bool ShowCustomCaption = false;
  TFrameWork FrameWork = fwNo;
  TNotifyEvent OnHintEvent;

 protected:
  void Select() override;
  void DoExit() override;
  void KeyPress(char& Key) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  // Ctrl+Enter and Delete as they act on key-up (the shift state given).
  void CtrlEnterUp();
  void DeleteUp();

 private:
  void RefreshKeyValue();
  void ReloadItems();
  AnsiString SelectedText();
  TComboDataBinding FBinding;
  AnsiString FKeyValue;
};

class TLabelComboBox : public TCustomLabelComBox {
 public:
  using TCustomLabelComBox::TCustomLabelComBox;
  // Then BasicType, Anchors, Caption, CharCase, Color, Style, Enabled, Font,
  // LabelPosition, LabelSpacing, LabelVisible, MaxLength, ParentColor (default False),
  // ParentFont, ParentShowHint, ShowHint, TabOrder, TabStop, Text, Visible (default True).
  void DefinePublished(TPublishedProperties& P) override;

 private:
  TFontProperties FFontProperties{*Font()};
};

// --- labelled button edit ------------------------------------------------------------------------
class TCustomLabelBtnEdit : public TLabelled<TRuxBtnEdit, true> {
 public:
  // Also SiteVisible := True and the "BTNEDIT" glyph on the button.
  explicit TCustomLabelBtnEdit(TComponent* AOwner);
  using TLabelled::SetLabelVisible;
  // After the button edit's: ShowCustomCaption, CustomCaptionNo, Sonnum, ZoneID, Zname,
  // FilterTree, FilterList, Rec, ImmeEvaluate.
  void DefinePublished(TPublishedProperties& P) override;
  void SetEnabled(bool v) override;

  // Stored only.
  int Sonnum = 0;
  AnsiString ZoneID, Zname, FilterTree, FilterList;
  int CustomCaptionNo = 0;
  bool ShowCustomCaption = false;
  int Rec = 0;
  bool ImmeEvaluate = false;
  bool CanReload = true;

 protected:
  // A rename clears the text through the button edit (Typeid with it).
  void ClearRenamedText() override { SetText(""); }
};

class TLabelBtnEdit : public TCustomLabelBtnEdit {
 public:
  using TCustomLabelBtnEdit::TCustomLabelBtnEdit;
  // Then CanReload, Anchors, Caption (the label's), Font, LabelPosition, LabelSpacing,
  // LabelVisible, ParentColor, ParentFont, ParentShowHint, ShowHint, TabOrder, TabStop
  // (default False); the others it names again keep their places.
  void DefinePublished(TPublishedProperties& P) override;

 private:
  TFontProperties FFontProperties{*Font()};
};

// The 12 x 12 picture on the button of a labelled button edit: the bitmap resource
// "BTNEDIT" of the module that holds this code (controls.rc; the plug-in DLL, not the
// host's program). EResNotFound when the module lacks it.
void LoadBtnEditGlyph(TBitmap& glyph);

// --- dates ---------------------------------------------------------------------------------------
class TLabelDate : public TLabelled<TDateTimePicker, true> {
 public:
  using TLabelled::TLabelled;
  using TLabelled::SetLabelVisible;
  // LabelPosition, LabelSpacing, Caption, LabelVisible, BasicType, IsConditionType,
  // ShowCustomCaption, CustomCaptionNo, Visible (default True), FrameWork.
  void DefinePublished(TPublishedProperties& P) override;

  TBasicType BasicType = btNo;
  bool IsConditionType = false;
  int CustomCaptionNo = 0;
  bool ShowCustomCaption = false;
  TFrameWork FrameWork = fwNo;
};

class TEmptyDate : public TWinControl {
 public:
  explicit TEmptyDate(TComponent* AOwner);
  // ShowCustomCaption, CustomCaptionNo, DateStr, TabStop, TabOrder.
  void DefinePublished(TPublishedProperties& P) override;

  // The masked edit, mask "!9999/99/99;1;_".
  TMaskEdit* MaskEdit() const { return FMaskEdit; }
  TDateTimePicker* Calendar() const { return FCalendar; }
  TSpeedButton* ClearButton() const { return FClear; }

  // The masked edit's text, "" while it holds the empty mask; writing "" clears it.
  AnsiString DateStr() const;
  void SetDateStr(const AnsiString& v);
  bool TabStop() const { return FMaskEdit->TabStop(); }
  void SetTabStop(bool v);

  int CustomCaptionNo = 0;
  bool ShowCustomCaption = false;
  TNotifyEvent OnChange;

 protected:
  void BoundsChanged(bool sized) override;
  void Layout();

 private:
  TMaskEdit* FMaskEdit = nullptr;
  TDateTimePicker* FCalendar = nullptr;
  TSpeedButton* FClear = nullptr;
  TShape* FTopLine = nullptr;
  TShape* FBottomLine = nullptr;
};

class TLabelEmptyDate : public TLabelled<TEmptyDate, true> {
 public:
  // The label focuses the masked edit.
  explicit TLabelEmptyDate(TComponent* AOwner);
  using TLabelled::SetLabelVisible;
  // Then LabelPosition, LabelSpacing, Caption, LabelVisible, BasicType, IsConditionType,
  // Visible (default True), FrameWork.
  void DefinePublished(TPublishedProperties& P) override;

  TBasicType BasicType = btNo;
  bool IsConditionType = false;
  TFrameWork FrameWork = fwNo;

 protected:
  // A rename clears the date.
  void ClearRenamedText() override { SetDateStr(""); }
};
