// Common controls: date-time picker, page control with tab sheets, rich edit.
#pragma once
#include "rtl/DateTime.h"
#include "ui/Controls.h"
#include "ui/StdCtrls.h"

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateFormat { dfShort, dfLong };

// The system's date-time picker ("SysDateTimePick32"). Without a window the value lives
// in the object; with one, in the window.
class TDateTimePicker : public TWinControl {
 public:
  explicit TDateTimePicker(TComponent* AOwner);
  TDateTime DateTime() const;
  void SetDateTime(TDateTime v);
  TDateTime Date() const { return DateOf(DateTime()); }
  void SetDate(TDateTime v) { SetDateTime(DateOf(v) + TimeOf(DateTime())); }
  TDateTime Time() const { return TimeOf(DateTime()); }
  void SetTime(TDateTime v) { SetDateTime(DateOf(DateTime()) + TimeOf(v)); }
  TDateTimeKind Kind() const { return FKind; }
  void SetKind(TDateTimeKind v);
  TDTDateFormat DateFormat() const { return FDateFormat; }
  void SetDateFormat(TDTDateFormat v);
  // A display pattern of the system's picker ("yyyy-MM-dd"); empty: the locale's.
  const AnsiString& Format() const { return FFormat; }
  void SetFormat(const AnsiString& v);
  bool ShowCheckbox() const { return FShowCheckbox; }
  void SetShowCheckbox(bool v);
  bool Checked() const;
  void SetChecked(bool v);
  bool DroppedDown() const;

  TNotifyEvent OnChange;
  TNotifyEvent OnCloseUp;
  TNotifyEvent OnDropDown;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void DestroyWnd() override;
  void CNNotify(TMessage& m) override;
  virtual void Change();

 private:
  TDateTime FDateTime;
  TDateTimeKind FKind = dtkDate;
  TDTDateFormat FDateFormat = dfShort;
  AnsiString FFormat;
  bool FShowCheckbox = false;
  bool FChecked = true;
};

class TPageControl;

// One page: a container of our own class inside the page control's display area.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* p);
  int PageIndex() const;
  void SetPageIndex(int v);
  // Index among the visible tabs, -1 when the tab is hidden.
  int TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool v);

 protected:
  void TextChanged() override;

 private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
};

class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* Pages(int index) const { return FPages.at(static_cast<size_t>(index)); }
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* p);
  int ActivePageIndex() const;
  void SetActivePageIndex(int v);
  void SelectNextPage(bool forward);
  void AdjustClientRect(TRect& r) const override;

  TNotifyEvent OnChange;
  std::function<void(TObject* Sender, bool& AllowChange)> OnChanging;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void CNNotify(TMessage& m) override;
  void CMDialogKey(TMessage& m) override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* p);
  void RemovePage(TTabSheet* p);
  void UpdateTabs();
  void ShowActive();
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};

// The lines of a rich edit: appending goes to the end of the window's text without
// rewriting it (a log grows line by line).
class TRichEditStrings : public TMemoStrings {
 public:
  explicit TRichEditStrings(TCustomEdit* edit) : TMemoStrings(edit), FEdit(edit) {}
  void Insert(int index, const AnsiString& s) override;

 private:
  TCustomEdit* FEdit;
};

class TRichEdit : public TCustomEdit {
 public:
  explicit TRichEdit(TComponent* AOwner);
  TStrings* Lines() { return &FLines; }
  bool PlainText() const { return FPlainText; }
  void SetPlainText(bool v) { FPlainText = v; }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v) { FScrollBars = v; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v) { FWordWrap = v; }

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  bool WantsKey(WORD key, const MSG* msg) override;

 private:
  TRichEditStrings FLines{this};
  bool FPlainText = false;
  TScrollStyle FScrollBars = ssBoth;
  bool FWordWrap = true;
};
