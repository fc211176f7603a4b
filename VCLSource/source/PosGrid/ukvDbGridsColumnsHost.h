// TkwDbGridColumnsHost: the data-aware grid as its column model sees it (IkwColumnsGrid).
// It answers the columns' questions from the grid and passes their change notices on
// as layout and repaint work of the grid.
#pragma once
#include "VCLSource/source/PosGrid/ukvDbGridsHost.h"

class TkwCustomDBGrid;

class TkwDbGridColumnsHost : public IkwColumnsGrid {
 public:
  explicit TkwDbGridColumnsHost(TkwCustomDBGrid& grid) : FGrid(grid) {}

  TkvCustomDbDataController* DataController() override;
  TComponent* GridComponent() override;
  void UpdateData() override;
  TkwGridDataLink& DataLink() override;
  TkvExprCalculator& ExprCalculator() override;
  bool IsLoading() override;
  bool IsDesigning() override { return false; }
  bool InBeginUpdate() override;
  bool ReadOnly() override;
  bool CanModifyData() override;
  bool ShowsMultiLevelTitles() override;
  TColor Color() override;
  TColor FixedColor() override;
  int DefaultColWidth() override;
  const TkwGridFont* TitleFont() override;
  // The grid's Font as the columns' default font.
  const TkwGridFont* Font() override;
  // The input-method settings the grid holds (the framework sets no input method on a
  // window: the values are kept and handed to the columns, nothing more).
  TImeMode ImeMode() override;
  AnsiString ImeName() override;
  void BeginLayout() override;
  void EndLayout() override;
  bool InLayout() override;
  void ColumnChanged(TkwColumn* column) override;
  void ColumnsChanged() override;
  // A default column's new width becomes its field's DisplayWidth, in average characters
  // of the column's font (with a window to measure in); the column keeps the width too.
  bool WriteWidthToField(TkwColumn* column, int width) override;
  TkwColumn* SelectedColumn() override;
  // The first column with a width after (delta 1) or before (-1) from becomes the current
  // one, between ColExit and ColEnter.
  void MoveSelection(TkwColumn* from, int delta) override;
  void InvalidateGrid() override;
  void GetFooterDisplayText(TkwColumn* column, AnsiString& text) override;
  void NeedCustomDisplayText(TkwColumn* column, bool& need) override;
  void DoGetDisplayText(TkwColumn* column, AnsiString& text, int recordIndex) override;
  int CompareBlankRows(TkwColumn* column, int record1, int record2, int direction) override;
  void RecordChanged(TField* field) override;
  // The field's column (the first shown column bound to it) becomes the current one;
  // true when it did and the grid took the focus (as a mouse press takes it).
  bool FocusField(TField* field) override;
  void ShowEditor() override;
  // The dataset's editing state changed: the current row's indicator is repainted (its
  // glyph shows the state).
  void EditingChanged() override;

 private:
  // The editor is shown (again) when it is open or the current column always shows it.
  void ShowEditorWhenAlwaysShown();
  TkwCustomDBGrid& FGrid;
};
