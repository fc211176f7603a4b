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
  void BeginLayout() override;
  void EndLayout() override;
  bool InLayout() override;
  void ColumnChanged(TkwColumn* column) override;
  void ColumnsChanged() override;
  TkwColumn* SelectedColumn() override;
  void InvalidateGrid() override;
  void GetFooterDisplayText(TkwColumn* column, AnsiString& text) override;
  void NeedCustomDisplayText(TkwColumn* column, bool& need) override;
  void DoGetDisplayText(TkwColumn* column, AnsiString& text, int recordIndex) override;
  int CompareBlankRows(TkwColumn* column, int record1, int record2, int direction) override;
  void RecordChanged(TField* field) override;

 private:
  TkwCustomDBGrid& FGrid;
};
