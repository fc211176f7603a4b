// TkwCustomDbGridView: the data-aware grid's view. It makes the grid's data controller,
// keeps the window of rows the grid shows (TopRecord, ActiveRecord, BufferCount) and is
// the one road by which the grid moves between rows: every move focuses a row of the
// data controller; the controller's notices come back here and become the grid's
// deferred updates.
//
// To the data-aware editor it answers for the grid's current column
// (IkwCustomDbGridView): the column's field, pick list, lookup list and read-only state,
// and the column's button and return-key events. A lookup column's list is its lookup
// source; a lookup field's list is the field's lookup dataset, and the field handed to
// the editor is then the key field the lookup field reads. To the controller it is the grid view
// (IkwDbGridView), set as the controller's View while both live.
//
// Invariants: RecNo = TopRecord + ActiveRecord + 1; 0 <= ActiveRecord < BufferCount;
// BufferCount >= 1.
#pragma once
#include <memory>

#include "VCLSource/source/PosGrid/ukvDbGridsController.h"
#include "VCLSource/source/PosGrid/ukvDbGridsViewReader.h"
#include "VCLSource/source/PosGrid/ukvGridsIntf.h"
#include "rtl/Variant.h"

class TkwCustomDBGrid;
class TkvCustomDbDataController;
class TkvDatasetChange;
class TkwColumn;
class TDataSource;
class TField;
class TkwDBGridInplaceEdit;

class TkwCustomDbGridView : public TkwCustomGridView, public IkwCustomDbGridView, public IkwDbGridView {
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
  // The grid's data controller, of whatever class the grid made.
  TkvCustomDbDataController* Controller() const { return FDataController; }
  // The grid is going: no notice reaches it any more.
  void DetachController();

  int ActiveRecord() override { return FActiveRecord; }
  void SetActiveRecord(int v) override { FActiveRecord = v; }
  int BufferCount() override { return FBufferCount; }
  // Keeps at least one row; TopRecord and ActiveRecord follow the focused row.
  void SetBufferCount(int v) override;
  int TopRecord() const { return FTopRecord; }
  // The rows from `top` on are shown again, as far as the focused row allows: a change
  // whose focus passed through other rows on its way leaves the screen where it was.
  void KeepTopRecord(int top);
  int RecNo() override { return FTopRecord + FActiveRecord + 1; }
  void SetRecNo(int v) override;
  int RowCount() const;
  int VisibleRowCount() override;
  // -1 without rows or when RecNo lies past the last row.
  int CurrentRecordIndex() override;
  // The value and text of the current row: of the column bound to a dataset field, or
  // of a field item of the controller. Null and '' past the last row. A column's text is
  // the text its cell shows (TkwColumn::CellDisplayText).
  Variant GetValue(TField* Field);
  AnsiString GetDisplayText(TField* Field);
  Variant GetValue(TkvDbField* Field) override;
  AnsiString GetDisplayText(TkvDbField* Field) override;
  // The controller as the grid's own controller class (none for another class).
  TkwDbGridController* DataController() override;
  void ReadCurrentRecord(IkwDisplayTextValueReader& Reader) override;
  std::shared_ptr<IkwValueReader> ValueReader() override { return FValueReader; }
  void SetValueReader(std::shared_ptr<IkwValueReader> Reader) override { FValueReader = std::move(Reader); }

  // The moves: each finishes the pending edit (FinishPendingEdit) and then goes where it
  // was aimed when it started (MoveTo): First and Last to the edge, the others to the
  // record that stood in the row aimed at.
  void First() override;
  void Last() override;
  void MoveBy(int Distance) override;
  void Next() override;
  void Prior() override;
  // New direction 2 when the column sorts ascending, else 1; ClearOthers drops every
  // other sort first. A pending edit is finished first.
  void SortByColumn(TkwColumn* Column, bool ClearOthers) override;

  // --- IkwCustomDbGridView: the grid's current column ------------------------------------------
  // The column's OnEditButtonClick; a column without one leaves the click to the grid's
  // OnEditButtonClick.
  void EditButtonClick() override;
  int DropDownRows() override;
  std::shared_ptr<IkwField> GetField() override;
  TStrings* PickList() override;
  bool ReadOnly() override;
  void ClearLookupList() override;
  void AssignEditorFromColumn() override;
  // A lookup column whose cell drops a list makes the editor's lookup list the active
  // one; the editor's button and return key go to the column.
  void HookEditorEvents() override;

  // Notices of the data controller.
  void FocusedRowChanged();
  void DataChanged(uint16_t mask);
  void DataSetChanged(TkvDatasetChange* change);

  // Finishes the pending edit: the typed text is written; a modified record gets the
  // calculation rules of the calculator's current field and is posted; a blank inserted
  // record is dropped when the focused row's being last differs from appending (true
  // is then answered).
  bool FinishPendingEdit(bool appending);

 private:
  enum class TMoveAim { Record, First, Last };
  void MoveTo(TMoveAim aim, int targetRow, bool appending);
  void KeepOrClearSelection();
  void AdjustTopRecord();
  void FocusRow(int row);
  // Focuses the record's row after a post may have moved it; a record without a row
  // (gone) leaves the focus on row, kept within the rows.
  void FocusRecordOrRow(int record, int row);
  TkwColumn* CurrentColumn() const;
  TkwDBGridInplaceEdit* Editor() const;
  // The current column shows a lookup field of its dataset and has no pick list of its
  // own: its editor drops the field's lookup dataset and writes its key field.
  TField* CurrentLookupField() const;
  TkwColumn* ColumnOfField(TkvDbField* Field) const;

  TkvCustomDbDataController* FDataController = nullptr;  // owned by the grid
  int FActiveRecord = 0;
  int FBufferCount = 1;
  int FTopRecord = 0;
  std::unique_ptr<TDataSource> FLookupFieldSource;  // over a lookup field's dataset
  std::shared_ptr<TkwGridViewValueReader> FOwnReader;  // made over this view, detached when it goes
  std::shared_ptr<IkwValueReader> FValueReader;
};
