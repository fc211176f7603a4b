// The button edit: the input field of the data-entry screens. A one-line edit with an
// optional small button at its right end ("pick from a list"), a framed or flat look, a
// highlight colour while focused, a key filter and an exit-time check by the kind of
// value it holds (TDataType, rules in RuxBtnEditRules.h), and the events through which
// a screen opens its selection dialog (Enter, button, double-click) and moves on.
//
// TRuxBtnEdit is a window of our own holding its parts: the edit (TRuxEdit, which
// filters keys), a speed button and three one-pixel lines. The edit has the focus while
// the field has it, so the field's keyboard events are the edit's; the outer window's
// OnKeyPress and OnKeyUp never fire. Every event passes the button edit as Sender.
//
// The order on Enter: the selection flag is set; OnSelectBasic(Sender, "KEYDOWN", flag)
// after clearing it (when RunSelectBasic); OnKeyDown; then OnSelectNextC when the key is
// still Enter, SelectNextC is on and the flag is set. A selection handler leaves the flag
// False to keep the focus in the field, or sets it True to let the screen move on.
#pragma once
#include <functional>

#include "controls/RuxBtnEditRules.h"
#include "controls/componenttype.h"
#include "ui/Buttons.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

// A one-pixel line across `control` at y in the pen colour, owned by the control: the
// frame lines of the button edit and of the empty-able date field.
TShape* MakeFrameLine(TWinControl* control, int y, TColor color);

using TBtnEditSelectBasicEvent =
    std::function<void(TObject* Sender, const AnsiString& szMode, bool& Modifyed)>;

// The edit inside a button edit: filters typed keys by its DataType before the edit's
// own key-press handling (and OnKeyPress) sees them.
class TRuxEdit : public TEdit {
 public:
  explicit TRuxEdit(TComponent* AOwner);
  // PasswordChar (default #0), DataType (default dtString), MaxValue (default 1000000),
  // MinValue (default -1000000).
  void DefinePublished(TPublishedProperties& P) override;
  TDataType DataType() const { return FDataType; }
  void SetDataType(TDataType v) { FDataType = v; }
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int v) { FMaxValue = v; }
  int MinValue() const { return FMinValue; }
  void SetMinValue(int v) { FMinValue = v; }

  // Mouse moves over the edit (the button edit's hint event hangs here).
  TNotifyEvent OnMouseOver;

 protected:
  void KeyPress(char& Key) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;

 private:
  TDataType FDataType = dtString;
  int FMaxValue = 1000000;
  int FMinValue = -1000000;
};

class TRuxBtnEdit : public TWinControl {
 public:
  explicit TRuxBtnEdit(TComponent* AOwner);
  ~TRuxBtnEdit() override;
  // FocusColor, BtnEnabled (default True), BtnVisible, Text, BorderStyle, BtnCaption,
  // Color, Enabled, Flat, LastText, DepAttr, MaxLength, PasswordChar, MaxValue,
  // MinValue, ReadOnly, Visible (default True), RunSelectBasic, DataType, BasicType,
  // Typeid, FrameWork, IsConditionType, SelectNextC, SelectOptions, BusinessTypes,
  // StockTypes, Assistant1, Assistant2, ParamIsID, Required, SiteVisible: written
  // whatever their value but for the two defaults (texts when not empty). The events
  // hold code and are not streamed; the glyph's picture is not streamed either.
  void DefinePublished(TPublishedProperties& P) override;

  // The parts (owned by the control).
  TRuxEdit* Edit() const { return FEdit; }
  TSpeedButton* Button() const { return FButton; }
  TShape* TopLine() const { return FTopLine; }
  TShape* BottomLine() const { return FBottomLine; }
  TShape* Underline() const { return FUnderline; }

  // --- delegated to the edit and the button ----------------------------------------------
  // Text: the edit's. Setting a text that is blank after trimming also clears Typeid
  // (directly: OnChangeTypeID does not fire).
  AnsiString Text() const;
  void SetText(const AnsiString& v);
  TBorderStyle BorderStyle() const { return FEdit->BorderStyle(); }
  void SetBorderStyle(TBorderStyle v) { FEdit->SetBorderStyle(v); }
  TColor Color() const { return FEdit->Color(); }
  void SetColor(TColor v) { FEdit->SetColor(v); }
  char PasswordChar() const { return FEdit->PasswordChar(); }
  void SetPasswordChar(char v) { FEdit->SetPasswordChar(v); }
  int MaxValue() const { return FEdit->MaxValue(); }
  void SetMaxValue(int v) { FEdit->SetMaxValue(v); }
  int MinValue() const { return FEdit->MinValue(); }
  void SetMinValue(int v) { FEdit->SetMinValue(v); }
  TDataType DataType() const { return FEdit->DataType(); }
  void SetDataType(TDataType v) { FEdit->SetDataType(v); }
  AnsiString BtnCaption() const { return FButton->Caption(); }
  void SetBtnCaption(const AnsiString& v) { FButton->SetCaption(v); }
  TBitmap* Glyph() { return FButton->Glyph(); }
  void SetGlyph(TBitmap* b) { FButton->SetGlyph(b); }
  bool BtnEnabled() const { return FButton->Enabled(); }
  void SetBtnEnabled(bool v) { FButton->SetEnabled(v); }
  // Stored, then passed to the edit (GBK bytes the user may type).
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);

  // --- own state ---------------------------------------------------------------------------
  // The field's Enabled is the edit's and the button's; the control's own window stays
  // enabled. (Hides TControl::Enabled: this is the value the field reports.)
  bool Enabled() const { return FEnabledValue; }
  void SetEnabled(bool v) override;
  bool BtnVisible() const { return FBtnVisible; }
  void SetBtnVisible(bool v);
  // Flat: no frame; an underline instead, and the button shows only while focused.
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);
  TColor FocusColor() const { return FFocusColor; }
  void SetFocusColor(TColor v) { FFocusColor = v; }
  // The id of the chosen basic-data record; OnChangeTypeID fires when it changes.
  const AnsiString& Typeid() const { return FTypeid; }
  void SetTypeid(const AnsiString& v);
  // The text as it was when the field was last entered.
  const AnsiString& LastText() const { return FLastText; }
  void SetLastText(const AnsiString& v) { FLastText = v; }
  bool RunSelectBasic() const { return FRunSelectBasic; }
  void SetRunSelectBasic(bool v) { FRunSelectBasic = v; }
  bool SelectNextC() const { return FSelectNextC; }
  void SetSelectNextC(bool v) { FSelectNextC = v; }
  TBasicType BasicType() const { return FBasicType; }
  void SetBasicType(TBasicType v) { FBasicType = v; }
  // Read by the exit rule of dtString; otherwise stored for the screens.
  bool ParamIsID() const { return FParamIsID; }
  void SetParamIsID(bool v) { FParamIsID = v; }

  // Stored only, for the screens.
  TFrameWork FrameWork() const { return FFrameWork; }
  void SetFrameWork(TFrameWork v) { FFrameWork = v; }
  int DepAttr() const { return FDepAttr; }
  void SetDepAttr(int v) { FDepAttr = v; }
  bool SiteVisible() const { return FSiteVisible; }
  void SetSiteVisible(bool v) { FSiteVisible = v; }
  TBaseSelectOptions SelectOptions() const { return FSelectOptions; }
  void SetSelectOptions(TBaseSelectOptions v) { FSelectOptions = v; }
  TkvBusinessTypes BusinessTypes() const { return FBusinessTypes; }
  void SetBusinessTypes(TkvBusinessTypes v) { FBusinessTypes = v; }
  TkvStockTypes StockTypes() const { return FStockTypes; }
  void SetStockTypes(TkvStockTypes v) { FStockTypes = v; }
  bool IsConditionType() const { return FIsConditionType; }
  void SetIsConditionType(bool v) { FIsConditionType = v; }
  const AnsiString& Assistant1() const { return FAssistant1; }
  void SetAssistant1(const AnsiString& v) { FAssistant1 = v; }
  const AnsiString& Assistant2() const { return FAssistant2; }
  void SetAssistant2(const AnsiString& v) { FAssistant2 = v; }
  bool Required() const { return FRequired; }
  void SetRequired(bool v) { FRequired = v; }
  // Records chosen by a selection dialog; nothing here fills or reads them.
  componenttype::TBaseArray& SelectedRecords() { return FSelected; }

  // The inherited focusing, then the edit takes the focus when it is enabled.
  void SetFocus() override;
  void SetName(const AnsiString& value) override;

  // Events (the inherited OnKeyDown, OnEnter, OnExit, OnClick and OnDblClick are the
  // edit's, passed on with this control as Sender).
  TNotifyEvent OnBtnClick;
  TNotifyEvent OnChange;
  TNotifyEvent OnSelectNextC;
  TBtnEditSelectBasicEvent OnSelectBasic;
  TNotifyEvent OnHintEvent;
  TNotifyEvent OnAfterChange;  // published for the screens; the control never fires it
  TNotifyEvent OnChangeTypeID;

  // Width of the button: the system's vertical scroll bar width.
  static int ButtonWidth();

 protected:
  AnsiString GetText() const override;
  void SetTextCore(const AnsiString& v) override;
  void BoundsChanged(bool sized) override;
  // Focus colour: saved and replaced on entering, restored on leaving.
  void DoEnter() override;
  void DoExit() override;
  void Click() override {}
  void DblClick() override {}
  // Visibility of the parts from BtnVisible and Flat, then the layout.
  void UpdateParts();
  void LayoutParts();

 private:
  void EditEnter();
  void EditKeyDown(WORD& Key, TShiftState Shift);
  void EditDblClick();
  void ButtonClick();
  void EditExit();

  TRuxEdit* FEdit = nullptr;
  TSpeedButton* FButton = nullptr;
  TShape* FTopLine = nullptr;
  TShape* FBottomLine = nullptr;
  TShape* FUnderline = nullptr;

  bool FParamIsID = false;
  TFrameWork FFrameWork = fwNo;
  bool FModifyed = false;  // the selection flag
  TBasicType FBasicType = btNo;
  AnsiString FTypeid;
  int FDepAttr = 0;
  bool FFlat = false;
  bool FSiteVisible = false;
  TBaseSelectOptions FSelectOptions{bopInsert};
  TkvBusinessTypes FBusinessTypes{gbuSupplier, gbuClient, gbuShoppe, gbuJoinShop, gbuAgent, gbuSelfShop};
  TkvStockTypes FStockTypes{gsoMain, gsoSelfShop, gsoShoppe, gsoTransfer};
  bool FRunSelectBasic = true;
  AnsiString FLastText;
  TColor FFocusColor = clWhite;
  TColor FSavedColor = clWhite;
  bool FReadOnly = false;
  bool FEnabledValue = true;
  int FMaxLength = 0;
  bool FBtnVisible = true;
  bool FIsConditionType = false;
  bool FSelectNextC = true;
  AnsiString FAssistant1, FAssistant2;
  bool FRequired = false;
  componenttype::TBaseArray FSelected;
};
