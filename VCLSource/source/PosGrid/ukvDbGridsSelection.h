// The data-aware grid's multi-selection and its column lists.
//
// TkwSelectedRecs keeps the marked rows as record indexes of the grid's data controller,
// so sorting and filtering, which only reorder or hide rows, leave the marks in place.
// TkwSelectedRows shows the same marks as row indexes. TkwDbGridColumnList is a plain list
// of columns (not owned) handed to the grid's events. ColumnByFieldName finds a column by
// its field name.
//
// Invariants: an entry is a record index of the storage (never negative, so a row
// without a record, such as a padding row below the last, is never marked); each record
// is held at most once; a new entry goes to the front.
//
// A reload of the dataset (its filter changed, closed and opened, refreshed) renumbers the
// records. Each entry also keeps the dataset's bookmark of its record, taken when it was
// marked; the selection observes the controller's record indexes (while Active) and, at a
// reload, moves each entry to the record loaded with its bookmark, or drops it when no
// loaded record has it (or it had none): a mark never lands on another record. A record
// inserted or deleted in the storage moves the entries after it. LostMarks tells that
// entries were dropped so (or by the purge, or by a close) since the selection was last
// set: the marks the user made are gone, and deleting "the marked records" then deletes
// nothing rather than the focused one.
//
// DeleteSelected deletes through the dataset exactly the marked records that still have
// a row, highest record index first, so that the renumbering after each deletion never
// touches a record still to be deleted. A failure stops the deletion: the marks of the
// records already deleted are gone, the others stay, and the error goes to the caller.
#pragma once
#include <string_view>
#include <unordered_map>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"

class TkwColumn;
class TkwDBGridColumns;

// What the selection needs of its grid (the data-aware grid implements it).
class IkwSelectionGrid {
 public:
  virtual ~IkwSelectionGrid() = default;
  virtual TkvCustomDbDataController* DataController() = 0;
  // The record of the grid view's current row; negative when that row has none.
  virtual int CurrentRecordIndex() = 0;
  // Repaints the grid's current row (its mark changed).
  virtual void InvalidateCurrentRow() = 0;
};

class TkwSelectedRecs : public IkvRecordIndexObserver {
 public:
  explicit TkwSelectedRecs(IkwSelectionGrid& grid) : FGrid(grid) {}

  void Clear() {
    FItems.clear();
    FLost = false;
  }
  bool Active() const { return FActive; }
  // Empties the list, then Active := value (the grid calls it when its data link
  // (de)activates); marks emptied so count as lost.
  void SetActive(bool value);
  // Marks were dropped by a reload, the purge or a close since the selection was last
  // set (cleared, marked, unmarked) or deleted.
  bool LostMarks() const { return FLost; }
  int Count() const { return static_cast<int>(FItems.size()); }
  // Checked: EListError "List index out of bounds (n)" outside 0..Count-1.
  int Items(int index) const;
  // Nothing for a negative record index or one already held.
  void Insert(int index, int recordIndex);
  void Delete(int index);  // checked as Items
  // Linear search; index = the entry's position or -1.
  bool IndexOfRecord(int recordIndex, int& index) const;
  bool Contains(int recordIndex) const;

  // The record of the grid view's current row; EkwInvalidGridOperation
  // "不能在一个己经关闭的数据集上执行操作。" while not Active.
  int CurrentRecord();
  bool CurrentRowSelected();
  // True marks the current row's record (nothing when the row has no record), False
  // unmarks it; then the row is repainted.
  void SetCurrentRowSelected(bool value);

  // Marks or focuses a row (the grid's SelectRow; the grid checks that its data link
  // is active). Without addToSelection the marks are cleared first. With multiSelect
  // and not makeFocused the row is marked and the focus goes back where it was;
  // otherwise the row is focused and, with multiSelect, marked.
  void SelectRow(int rowIndex, bool addToSelection, bool makeFocused, bool multiSelect);

  // Deletes the marked records as described above; answers how many were deleted. A
  // record the dataset cannot reach or did not delete stops it with
  // EkwInvalidGridOperation "记录索引超出范围", a read-only dataset with the dataset's
  // own error, anything the dataset raises passes as it is.
  int DeleteSelected();
  // Drops every entry whose record has no row (deleted or filtered out).
  void PurgeSelection();
  // Entries made for records the dataset was not on (a range marked at once) take their
  // bookmarks, so that a reload finds them again.
  void TakeBookmarks();

  // --- IkvRecordIndexObserver -------------------------------------------------------------
  void RecordsReloading() override;
  void RecordReloaded(int recordIndex, const TDataSet& dataSet) override;
  void RecordsReloaded() override;
  void RecordInsertedAt(int recordIndex) override;
  void RecordDeletedAt(int recordIndex) override;

 private:
  struct Entry {
    int Record;
    TBookmark Bookmark;  // empty when the dataset could not tell it
  };
  bool IndexOfBookmark(const TBookmark& bookmark, int& index) const;
  void InsertEntry(int index, int recordIndex);

  IkwSelectionGrid& FGrid;
  bool FActive = false;
  bool FReloading = false;
  bool FLost = false;
  std::vector<Entry> FItems;
  // While reloading: the bookmark of each entry that had one -> its position.
  std::unordered_map<TBookmark, int> FReloadIndex;
};

class TkwSelectedRows {
 public:
  TkwSelectedRows(TkwSelectedRecs& recs, IkwSelectionGrid& grid) : FRecs(recs), FGrid(grid) {}
  int Count() const { return FRecs.Count(); }
  // The row of entry index's record; -1 when the record is not below the controller's
  // record count or has no row (filtered out).
  int RowOfItem(int index) const;

 private:
  TkwSelectedRecs& FRecs;
  IkwSelectionGrid& FGrid;
};

// A list of columns; the columns are not owned.
class TkwDbGridColumnList {
 public:
  void Add(TkwColumn* column) { FItems.push_back(column); }
  int Count() const { return static_cast<int>(FItems.size()); }
  TkwColumn* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }

 private:
  std::vector<TkwColumn*> FItems;
};

// The first column whose FieldName equals name (ASCII letters without case, the bytes of
// a double-byte character as they are); none when no column matches or there are none.
TkwColumn* ColumnByFieldName(const TkwDBGridColumns& columns, std::string_view name);
