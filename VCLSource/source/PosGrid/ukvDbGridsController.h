// The data-aware grid's data controller, and what it knows of the grid's view.
//
// TkwDbGridController is the controller class the data-aware grid makes: it asks the
// grid's columns (through each field item's IkwColumn) for its sort and display
// decisions, keeps the grid filter (IkwGridFilter over its filter criteria) and a back
// reference to the grid view that made it (IkwDbGridView, not owned).
//
// TkwBlankRecords answers the grid's blank-row hook of the sort: a record is blank when
// every shown column's display text at it is empty; blank records sort after the others
// in either direction, the others by value. Its answer is a consistent three-way order
// (the reverse pair answers the negated value), so the row sort stays an order.
//
// The cell values of a column (GetCellValue, FocusedCellValue) keep the footer apart
// from "no row": only a negative row asked of GetCellValue on purpose reads the footer.
#pragma once
#include <climits>
#include <functional>
#include <memory>
#include "VCLSource/source/PosGrid/ukvDbGridsHelper.h"
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "rtl/Variant.h"

class TkwColumn;
class TkwDBGridColumns;
class TkwDbGridController;
class IkwValueReader;
class IkwDisplayTextValueReader;

// The grid view as the grid, its editor and its controller reach it: the current row
// (TopRecord + ActiveRecord inside a buffer of BufferCount rows) and moves between rows.
// The view sets itself as its controller's View; the controller does not own it.
class IkwDbGridView {
 public:
  static constexpr const char* IID = "{94D7D8C8-2993-4D6B-9FDB-A0A4371F4D33}";
  virtual ~IkwDbGridView() = default;
  // Places Reader on the record of the current row (-1 without rows or past the last).
  virtual void ReadCurrentRecord(IkwDisplayTextValueReader& Reader) = 0;
  virtual void First() = 0;
  virtual int ActiveRecord() = 0;
  virtual int BufferCount() = 0;
  virtual TkwDbGridController* DataController() = 0;
  virtual AnsiString GetDisplayText(TkvDbField* Field) = 0;
  virtual int VisibleRowCount() = 0;
  // The record of the current row; -1 without rows or past the last row.
  virtual int CurrentRecordIndex() = 0;
  virtual int RecNo() = 0;
  virtual Variant GetValue(TkvDbField* Field) = 0;
  // The reader of the current row's values (a TkwGridViewValueReader over the view until
  // another one is set).
  virtual std::shared_ptr<IkwValueReader> ValueReader() = 0;
  virtual void Last() = 0;
  virtual void MoveBy(int Distance) = 0;
  virtual void Next() = 0;
  virtual void Prior() = 0;
  virtual void SetActiveRecord(int Value) = 0;
  virtual void SetBufferCount(int Value) = 0;
  virtual void SetRecNo(int Value) = 0;
  virtual void SetValueReader(std::shared_ptr<IkwValueReader> Reader) = 0;
  virtual void SortByColumn(TkwColumn* Column, bool ClearOthers) = 0;
};

// Makes the grid filter over the controller's filter criteria.
using TkwGridFilterClass = std::function<std::shared_ptr<IkwGridFilter>(TkvDataFilterCriteria& criteria)>;

class TkwDbGridController : public TkvCustomDbDataController {
 public:
  explicit TkwDbGridController(TComponent* owner);
  ~TkwDbGridController() override;

  // The grid filter, made on first use from GetGridFilterClass (so a derived
  // controller's class is the one made) and kept.
  IkwGridFilter& GridFilter();
  virtual TkwGridFilterClass GetGridFilterClass();

  IkwDbGridView* View() const { return FView; }
  void SetView(IkwDbGridView* view) { FView = view; }

  // The column's field item gets the sort direction (0 none, 1 ascending, 2
  // descending); nothing for a column without a field item.
  void SetColumnSorting(IkwColumn* column, uint8_t direction);

  // The grid's blank-row comparison is on (the grid's dgDiscompareBlankRow): fields of
  // columns are then compared through CompareBySortItem, where the column answers first.
  bool BlankRowsCompared() const { return FBlankRowsCompared; }
  void SetBlankRowsCompared(bool v);

  // The value of a column's field item at a row: Null for no column or a row past the
  // last; a negative row is the column's footer value.
  Variant GetCellValue(TkwColumn* column, int rowIndex);
  // The value of a column at the focused row; Null when no row is focused (never the
  // footer's value).
  Variant FocusedCellValue(TkwColumn* column);

  // A text of the grid that stays empty.
  void GetOwnerText(AnsiString& text) override { text = FOwnerText; }

  // --- overrides ---------------------------------------------------------------------------
  void BeforeLoadRecords(TkvValueDefReader& reader) override {}
  void AfterLoadRecords() override {}
  // The sort item's column answers first (blank rows); MaxInt is no opinion and the
  // value comparison follows, negated for descending. The column's answer is returned
  // as it is, in either direction.
  int CompareBySortItem(int record1, int record2, const TkvSortingEntry& item) override;
  bool CompareByValues(TkvDbField* field) override;
  bool NeedsCustomSort(int fieldIndex, bool byDisplayText) override;
  bool IsCalculatedField(TkvDbField* field) override;

 private:
  IkwDbGridView* FView = nullptr;
  std::shared_ptr<IkwGridFilter> FGridFilter;
  AnsiString FOwnerText;
  bool FBlankRowsCompared = false;
};

// Blank records in the sort of a grid's controller.
class TkwBlankRecords {
 public:
  TkwBlankRecords(TkvCustomDbDataController& controller, const TkwDBGridColumns& columns)
      : FController(controller), FColumns(columns) {}

  // True when every shown column's display text at the record is empty (hidden and
  // expanded columns are skipped; a grid without shown columns has only blank records).
  bool IsBlankRecord(int recordIndex) const;
  // Blank after non-blank: +1 when only record1 is blank, -1 when only record2 is, 0
  // when both are (the record order decides), INT_MAX when neither is (by value).
  int Compare(int record1, int record2) const { return Order(IsBlankRecord(record1), IsBlankRecord(record2)); }
  // The same answer for a pair whose blankness is known.
  static int Order(bool blank1, bool blank2) {
    if (blank1 != blank2) return blank1 ? 1 : -1;
    return blank1 ? 0 : INT_MAX;
  }

 private:
  TkvCustomDbDataController& FController;
  const TkwDBGridColumns& FColumns;
};
