// Standard controls: edit, memo, button, check box, combo box, list box (system window
// classes, subclassed), label (graphic) and group box (painted by us).
//
// Wrappers are thin: while the window exists its state (text, items, selection, check)
// is read from and written to the window; the object keeps a copy only while there is
// no window, and takes it back from the window when the window goes.
#pragma once
#include <memory>

#include "rtl/StringList.h"
#include "ui/Controls.h"
#include "ui/Forms.h"

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// The items of a list box or combo box: the window's list while it exists.
class TListControlStrings : public TStrings {
 public:
  struct Messages {
    UINT GetCount, GetText, GetTextLen, Insert, Delete, Reset, GetData, SetData;
  };
  TListControlStrings(TWinControl* owner, const Messages& m) : FOwner(owner), FMsg(m) {}

  int Count() const override;
  AnsiString Strings(int index) const override;
  TObject* Objects(int index) const override;
  void SetObjects(int index, TObject* obj) override;
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, TObject* obj) override;
  void Delete(int index) override;
  void Clear() override;

  // The owner's window was made: our lines go into it.
  void LoadIntoWindow();
  // The owner's window is going: the lines come back into the object.
  void SaveFromWindow();

 private:
  bool Live() const { return FOwner->HandleAllocated(); }
  LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const;
  TWinControl* FOwner;
  Messages FMsg;
  TStringList FStore;
};

// --- edit ------------------------------------------------------------------------------------
class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  // The most bytes of GBK text the user can type or paste (0: no limit). Text set by
  // the program is not cut.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int v);
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char v);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool v) { FAutoSelect = v; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase v);
  bool Modified() const;
  void SetModified(bool v);

  // Selection in GBK byte positions, as the library counts text.
  int SelStart();
  void SetSelStart(int v);
  int SelLength();
  void SetSelLength(int v);
  AnsiString SelText();
  void SetSelText(const AnsiString& v);
  void SelectAll();
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void WndProc(TMessage& m) override;
  void CNCommand(TMessage& m) override;
  void DoEnter() override;
  virtual void Change();
  // Whether text of `bytes` GBK bytes may replace the selection.
  bool FitsMaxLength(int insertBytes);
  void WMPaste(TMessage& m);
  void WMChar(TMessage& m);

  bool FReadOnly = false;
  int FMaxLength = 0;
  char FPasswordChar = 0;
  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = bsSingle;
  TEditCharCase FCharCase = ecNormal;
  bool FModified = false;
  int FCreating = 0;
};

class TEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
};

// The lines of a memo: the memo's text split at line breaks.
class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TControl* memo) : FMemo(memo) {}
  int Count() const override;
  AnsiString Strings(int index) const override;
  void SetStrings(int index, const AnsiString& s) override;
  void Insert(int index, const AnsiString& s) override;
  void Delete(int index) override;
  void Clear() override;
  AnsiString Text() const override;
  void SetText(std::string_view text) override;

 private:
  std::vector<AnsiString> Split() const;
  void Join(const std::vector<AnsiString>& lines);
  TControl* FMemo;
};

class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* AOwner);
  TStrings* Lines() { return &FLines; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool v) { FWantReturns = v; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool v) { FWantTabs = v; }

 protected:
  void CreateParams(TCreateParams& p) override;
  bool WantsKey(WORD key, const MSG* msg) override;

 private:
  TMemoStrings FLines{this};
  bool FWordWrap = true;
  TScrollStyle FScrollBars = ssNone;
  bool FWantReturns = true;
  bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
 public:
  using TCustomMemo::TCustomMemo;
};

// --- buttons -----------------------------------------------------------------------------------
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

class TCheckBox : public TButtonControl {
 public:
  explicit TCheckBox(TComponent* AOwner);
  bool Checked() const { return State() == cbChecked; }
  // Changing it fires OnClick, as a click would.
  void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const;
  void SetState(TCheckBoxState v);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool v) { FAllowGrayed = v; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v) { FAlignment = v; }

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void DestroyWnd() override;
  void CNCommand(TMessage& m) override;
  void CMDialogChar(TMessage& m) override;

 private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TAlignment FAlignment = taRightJustify;
};

// --- combo box and list box ---------------------------------------------------------------------
class TCustomComboBox : public TWinControl {
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  TStrings* Items() { return &FItems; }
  int ItemIndex() const;
  void SetItemIndex(int v);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle v);
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int v) { FDropDownCount = v; }
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int v);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase v) { FCharCase = v; }
  bool Focused() const override;
  void SelectAll();
  // The height is that of the closed box; the window also holds the drop-down list.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;
  void CNCommand(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  bool WantsKey(WORD key, const MSG* msg) override;
  void KeyPress(char& key) override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();

  TListControlStrings FItems;
  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
  int FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  int FItemIndex = -1;
};

class TComboBox : public TCustomComboBox {
 public:
  using TCustomComboBox::TCustomComboBox;
};

class TCustomListBox : public TWinControl {
 public:
  explicit TCustomListBox(TComponent* AOwner);
  TStrings* Items() { return &FItems; }
  int ItemIndex() const;
  void SetItemIndex(int v);
  int ItemHeight() const;
  void Clear() { FItems.Clear(); }

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void DestroyWnd() override;
  void CNCommand(TMessage& m) override;

  TListControlStrings FItems;
  int FItemIndex = -1;
};

class TListBox : public TCustomListBox {
 public:
  using TCustomListBox::TCustomListBox;
};

// --- label and group box --------------------------------------------------------------------------
class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool v);
  // The control that takes the focus on the label's accelerator.
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* c);
  // Resizes to the caption when AutoSize is on (keeping the right edge for right
  // alignment and the centre for centred text when not word-wrapped).
  virtual void AdjustBounds();
  void WndProc(TMessage& m) override;

 protected:
  void Paint() override;
  void TextChanged() override { AdjustBounds(); Invalidate(); }
  void FontChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  unsigned DrawTextFlags() const;
  virtual AnsiString LabelText() const { return GetText(); }

 private:
  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FTransparent = false;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  using TCustomLabel::TCustomLabel;
};

class TCustomGroupBox : public TCustomControl {
 public:
  explicit TCustomGroupBox(TComponent* AOwner);
  void AdjustClientRect(TRect& r) const override;

 protected:
  void Paint() override;
  void TextChanged() override { Invalidate(); }
  void CMDialogChar(TMessage& m) override;
};

class TGroupBox : public TCustomGroupBox {
 public:
  using TCustomGroupBox::TCustomGroupBox;
};
