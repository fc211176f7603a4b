// The grid views: the contract through which an in-place editor reaches its grid.
// IkwGuiView is the grid as a window (keys, focus, handle, messages), IkwGridView the
// grid as a source of editable cells. TkwCustomGridView forwards every question to a
// TkwCustomGrid; TkwEmptyGridView answers for an editor without a grid with neutral
// values. IkwCustomDbGridView is what the data-aware editor further asks of a data-aware
// grid's view.
//
// Views are shared (std::shared_ptr): the grid keeps one reference and hands out more.
// The grid detaches its view when it is destroyed; a detached view answers as the
// empty view does, so a holder that outlives the grid never reaches freed memory.
#pragma once
#include <functional>
#include <memory>

#include "rtl/AnsiString.h"
#include "ui/Controls.h"
#include "ui/Grids.h"

class TkwCustomGrid;

class IkwGuiView {
 public:
  static constexpr const char* IID = "{9316AD68-50C5-49D9-90EB-242AD7F868A8}";
  virtual ~IkwGuiView() = default;
  virtual void DblClick() = 0;
  virtual bool Focused() = 0;
  virtual HWND GetHandle() = 0;
  virtual void KeyDown(WORD& Key, TShiftState Shift) = 0;
  virtual void KeyPress(char& Key) = 0;
  virtual void KeyUp(WORD& Key, TShiftState Shift) = 0;
  virtual bool UseRightToLeftAlignment() = 0;
  virtual void WndProc(TMessage& Message) = 0;
};

class IkwGridView : public IkwGuiView {
 public:
  static constexpr const char* IID = "{2C148596-AAA0-4890-985C-CB6A465720F0}";
  virtual bool CanEditAcceptKey(char Key) = 0;
  virtual bool CanEditModify() = 0;
  virtual bool HasGrid() = 0;
  virtual bool AlwaysShowEditor() = 0;
  virtual int Col() = 0;
  virtual int GetEditLimit() = 0;
  virtual AnsiString GetEditMask(int ACol, int ARow) = 0;
  virtual TEditStyle GetEditStyle(int ACol, int ARow) = 0;
  virtual AnsiString GetEditText(int ACol, int ARow) = 0;
  virtual int Row() = 0;
  virtual void KeyDownEvent(WORD& Key, TShiftState Shift) = 0;
  virtual void SetEditText(int ACol, int ARow, const AnsiString& Value) = 0;
  virtual void UpdateText() = 0;
};

// The null view: does nothing and answers neutral values.
class TkwEmptyGridView : public IkwGridView {
 public:
  void DblClick() override {}
  bool Focused() override { return false; }
  HWND GetHandle() override { return nullptr; }
  void KeyDown(WORD&, TShiftState) override {}
  void KeyPress(char&) override {}
  void KeyUp(WORD&, TShiftState) override {}
  bool UseRightToLeftAlignment() override { return false; }
  void WndProc(TMessage&) override {}
  bool CanEditAcceptKey(char) override { return true; }
  bool CanEditModify() override { return true; }
  bool HasGrid() override { return false; }
  bool AlwaysShowEditor() override { return false; }
  int Col() override { return 0; }
  int GetEditLimit() override { return -1; }
  AnsiString GetEditMask(int, int) override { return ""; }
  TEditStyle GetEditStyle(int, int) override { return esSimple; }
  AnsiString GetEditText(int, int) override { return ""; }
  int Row() override { return 0; }
  void KeyDownEvent(WORD&, TShiftState) override {}
  void SetEditText(int, int, const AnsiString&) override {}
  void UpdateText() override {}
};

// The view of a TkwCustomGrid. It does not own the grid; once detached (the grid is
// gone) it answers as the empty view.
class TkwCustomGridView : public TkwEmptyGridView {
 public:
  explicit TkwCustomGridView(TkwCustomGrid* AGrid) : FGrid(AGrid) {}
  TkwCustomGrid* Grid() const { return FGrid; }
  void Detach() { FGrid = nullptr; }

  void DblClick() override;
  bool Focused() override;
  HWND GetHandle() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  bool UseRightToLeftAlignment() override;
  void WndProc(TMessage& Message) override;
  bool CanEditAcceptKey(char Key) override;
  bool CanEditModify() override;
  bool HasGrid() override { return FGrid != nullptr; }
  // The grid's goAlwaysShowEditor option itself, not its per-column answer.
  bool AlwaysShowEditor() override;
  int Col() override;
  int GetEditLimit() override;
  AnsiString GetEditMask(int ACol, int ARow) override;
  TEditStyle GetEditStyle(int ACol, int ARow) override;
  AnsiString GetEditText(int ACol, int ARow) override;
  int Row() override;
  void KeyDownEvent(WORD& Key, TShiftState Shift) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  void UpdateText() override;

 private:
  TkwCustomGrid* FGrid;
};

class IkwField;
class TStrings;

// What the data-aware editor asks of a data-aware grid's view, all on the grid's current
// column. A view that serves a data-aware grid implements it beside IkwGridView; the
// editor finds it on its view (a view without it counts as the empty one).
class IkwCustomDbGridView {
 public:
  static constexpr const char* IID = "{5BCC3BFD-B299-43E9-BE7D-6F33038CE85B}";
  virtual ~IkwCustomDbGridView() = default;
  // Fires the column's OnEditButtonClick.
  virtual void EditButtonClick() = 0;
  virtual int DropDownRows() = 0;
  // The column's field; none without one.
  virtual std::shared_ptr<IkwField> GetField() = 0;
  // The column's pick list (none: no items).
  virtual TStrings* PickList() = 0;
  virtual bool ReadOnly() = 0;
  // The editor's lookup list loses its list source, list field and key field.
  virtual void ClearLookupList() = 0;
  // The editor takes the column's read-only state and font, its lookup list the
  // column's lookup source, list field and key field.
  virtual void AssignEditorFromColumn() = 0;
  // For a lookup column: the editor's lookup list becomes its active list, and its
  // edit-button and return-key events go to the column.
  virtual void HookEditorEvents() = 0;
};

// Makes the view of a grid: what a grid class answers to GetGridViewClass.
using TkwGridViewClass = std::function<std::shared_ptr<TkwCustomGridView>(TkwCustomGrid*)>;
