// The data controller's view state: the rows (record indexes that pass the filter, in
// sort order), the sort fields, the focused row and the footer summaries, with a set of
// pending changes applied in one pass when the last lock is released.
//
// Invariants:
//  - Rows holds each shown record once; apply order: rebuild and filter, sort,
//    summaries, refocus, focus sync, then one change notice;
//  - the sort is the library's own merge sort over the row indexes: it never leaves the
//    row array whatever a compare hook answers, and with the record-index tie-break the
//    order is total, so equal records keep their record order;
//  - every sort field's comparison is chosen once per sort: a typed comparison of the
//    stored values when nothing asks for more (CompareVariants' order exactly), else
//    the controller's value comparison;
//  - focus follows the record: after a rebuild the focused record is looked up again.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDbHelperColumns.h"
#include "VCLSource/source/PosGrid/ukvDbHelperCompare.h"

class TkvCustomDbDataController;
class TkvCustomDbDataControllerInfo;
class TkvDbField;
class TkvSummary;
enum TkvSummaryKind : uint8_t;

// Pending-change flags of the Info.
enum : uint16_t {
  kvifRebuild = 0x0001,
  kvifInternal2 = 0x0002,
  kvifSort = 0x0004,
  kvifFocusChanged = 0x0008,
  kvifRowsChanged = 0x0010,
  kvifInternal20 = 0x0020,
  kvifFocusRefresh = 0x0040,
  kvifInternal80 = 0x0080,
  kvifSummaries = 0x0100,
  kvifKeepFocus = 0x0200,
};

struct TkvSortingEntry {
  TkvDbField* Field;
  uint8_t Direction;  // 1 ascending, 2 descending
};

class TkvSortingFieldList {
 public:
  // Appends (direction not 0, field absent), removes (0) or changes the direction.
  virtual void SetDirection(TkvDbField* field, uint8_t direction);
  virtual ~TkvSortingFieldList() = default;
  void Add(TkvDbField* field, uint8_t direction);
  void Delete(int index);
  void Clear();
  int IndexOf(const TkvDbField* field) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  const TkvSortingEntry& Items(int index) const { return FItems[static_cast<size_t>(index)]; }
  uint8_t GetDirection(const TkvDbField* field) const;
  void Merge(const TkvSortingFieldList& other);

  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }
  std::vector<TkvSortingEntry> FItems;
};

class TkvDataFocusingInfo {
 public:
  explicit TkvDataFocusingInfo(TkvCustomDbDataControllerInfo* owner) : FOwner(owner) {}
  void Assign(const TkvDataFocusingInfo& source);
  void Reset() { RecordIndex = RowIndex = -1; }
  bool SameAs(const TkvDataFocusingInfo& other) const;
  // RecordIndex := the controller's current record (GetCurrentRecordIndex).
  void RefreshRecord();
  // RecordIndex := the controller's current record while a row is focused, else -1;
  // SavedRecordIndex := RecordIndex.
  void Resync();
  int SavedRecordIndex = -1;
  int RecordIndex = -1;
  int RowIndex = -1;

 private:
  TkvCustomDbDataControllerInfo* FOwner;
};

class TkvCustomDbDataControllerInfo {
 public:
  explicit TkvCustomDbDataControllerInfo(TkvCustomDbDataController* controller);
  virtual ~TkvCustomDbDataControllerInfo();
  TkvCustomDbDataControllerInfo(const TkvCustomDbDataControllerInfo&) = delete;
  TkvCustomDbDataControllerInfo& operator=(const TkvCustomDbDataControllerInfo&) = delete;

  void Lock() { ++FLockCount; }
  void Unlock();
  bool Locked() const { return FLockCount > 0 || FApplying; }
  void ApplyIfNeeded();
  void AddFlags(uint16_t flags) { Request(flags); }
  uint16_t Flags() const { return FFlags; }

  // Requests (each applies when unlocked).
  void DataChangedRequest();
  void RowsChangedKeepFocusRequest() { Request(kvifKeepFocus); }
  void FocusRefreshRequest();
  void SummariesRequest() { Request(kvifSummaries); }

  int RowCount() const { return static_cast<int>(FRows.size()); }
  int GetRowRecord(int row) const;  // checked: "行索引超出范围"
  const std::vector<int>& Rows() const { return FRows; }
  int IndexOfRecord(int record) const;
  int FocusedRow() const { return FFocus.RowIndex; }
  int FocusedRecord() const;
  // Row + 1 when it exists, else Row - 1 (-1 when neither exists).
  int NeighbourRow(int row) const;
  void FocusRow(int row);
  virtual void SyncFocus();
  void ChangeFocus(int row, bool force);
  bool InFocusChange() const { return FInFocusChange; }
  bool MovingFocus() const { return FMovingFocus; }
  const TkvDataFocusingInfo& Focus() const { return FFocus; }
  const TkvDataFocusingInfo& PreviousFocus() const { return FPreviousFocus; }
  void ResetFocus() { FFocus.Reset(); }

  TkvSortingFieldList& SortingFields() { return FSortingFields; }

  // Summaries: owned here; fields hold plain references that they drop on removal.
  TkvSummary* AddSummary(TkvDbField* field, TkvSummaryKind kind);
  void RemoveSummary(TkvSummary* s);
  void RemoveSummaries(TkvDbField* field);
  void ClearSummaries();
  void RecalculateSummaries();
  int SummaryCount() const { return static_cast<int>(FSummaries.size()); }
  TkvSummary* Summary(int i) const { return FSummaries[static_cast<size_t>(i)].get(); }

  // Compares two records as the sort does (markers, sort fields, record index); only
  // valid inside a sort run.
  int CompareRows(int a, int b);

 private:
  friend class TkvDataFocusingInfo;
  // Adds pending flags; flags asked for while an apply pass runs get a pass of their own.
  void Request(uint16_t flags) {
    FFlags |= flags;
    if (FApplying) FAgain |= flags;
  }
  void Apply();
  void ApplyPass(uint16_t& mask);
  void Rebuild();
  void FilterRows();
  void SortRows();
  int FindFocusedRow() const;

  // One sort key prepared for a run.
  struct SortKey {
    TkvDbField* Field;
    bool Descending;
    const TkvValueDef* Def;  // typed comparison when set
    TkvRawCompare Raw;
    const TkvColumnCopy* Copy;  // the values' typed copy, when the type has one
  };

  uint16_t FFlags = 0;
  TkvCustomDbDataController* FController;
  bool FInFocusChange = false;
  TkvDataFocusingInfo FFocus;
  bool FMovingFocus = false;
  int FLockCount = 0;
  TkvDataFocusingInfo FPreviousFocus;
  std::vector<int> FRows;
  TkvSortingFieldList FSortingFields;
  std::vector<std::unique_ptr<TkvSummary>> FSummaries;
  TkvSortingFieldList FWorkSorting;
  std::vector<SortKey> FKeys;
  bool FApplying = false;
  uint16_t FAgain = 0;
};
