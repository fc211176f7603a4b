// TkwCustomDbGridView: the data-aware grid's view. It makes the grid's data controller,
// keeps the window of rows the grid shows (TopRecord, ActiveRecord, BufferCount) and is
// the one road by which the grid moves between rows: every move focuses a row of the
// data controller; the controller's notices come back here and become the grid's
// deferred updates.
//
// Invariants: RecNo = TopRecord + ActiveRecord + 1; 0 <= ActiveRecord < BufferCount;
// BufferCount >= 1.
#pragma once
#include <memory>

#include "VCLSource/source/PosGrid/ukvGridsIntf.h"
#include "rtl/Variant.h"

class TkwCustomDBGrid;
class TkvCustomDbDataController;
class TkvDatasetChange;
class TkwColumn;
class TField;

class TkwCustomDbGridView : public TkwCustomGridView {
 public:
  static constexpr const char* IID_IkwCustomDbGridView = "{5BCC3BFD-B299-43E9-BE7D-6F33038CE85B}";
  static constexpr const char* IID_IkwDbGridView = "{94D7D8C8-2993-4D6B-9FDB-A0A4371F4D33}";

  // Makes the data controller from the grid's controller class, owned by the grid, and
  // subscribes to its notices.
  explicit TkwCustomDbGridView(TkwCustomDBGrid* AGrid);
  ~TkwCustomDbGridView() override;
  TkwCustomDbGridView(const TkwCustomDbGridView&) = delete;
  TkwCustomDbGridView& operator=(const TkwCustomDbGridView&) = delete;

  TkwCustomDBGrid* DbGrid() const;
  TkvCustomDbDataController* DataController() const { return FDataController; }
  // The grid is going: no notice reaches it any more.
  void DetachController();

  int ActiveRecord() const { return FActiveRecord; }
  void SetActiveRecord(int v) { FActiveRecord = v; }
  int BufferCount() const { return FBufferCount; }
  // Keeps at least one row; TopRecord and ActiveRecord follow the focused row.
  void SetBufferCount(int v);
  int TopRecord() const { return FTopRecord; }
  int RecNo() const { return FTopRecord + FActiveRecord + 1; }
  void SetRecNo(int v);
  int RowCount() const;
  int VisibleRowCount() const;
  // -1 without rows or when RecNo lies past the last row.
  int CurrentRecordIndex() const;
  Variant GetValue(TField* Field) const;
  AnsiString GetDisplayText(TField* Field) const;

  void First();
  void Last();
  void MoveBy(int Distance);
  void Next();
  void Prior();
  // New direction 2 when the column sorts ascending, else 1; ClearOthers drops every
  // other sort first.
  void SortByColumn(TkwColumn* Column, bool ClearOthers);

  // Notices of the data controller.
  void FocusedRowChanged();
  void DataChanged(uint16_t mask);
  void DataSetChanged(TkvDatasetChange* change);

 private:
  // Posts a pending edit before a move; true when that stopped the move.
  bool FinishPendingEdit(bool appending);
  void KeepOrClearSelection();
  void AdjustTopRecord();
  void FocusRow(int row);

  TkvCustomDbDataController* FDataController = nullptr;  // owned by the grid
  int FActiveRecord = 0;
  int FBufferCount = 1;
  int FTopRecord = 0;
};
