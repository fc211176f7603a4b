// The data-aware grid's multi-selection (record indexes), its row view, column lists
// and the lookup of a column by field name.
#include "VCLSource/source/PosGrid/ukvDbGridsSelection.h"

#include <algorithm>
#include <functional>

#include "VCLSource/source/PosGrid/ukvDbConsts.h"
#include "VCLSource/source/PosGrid/ukvDbGridsColumns.h"
#include "VCLSource/source/PosGrid/ukvDbGridsLink.h"
#include "VCLSource/source/PosGrid/ukvDbHelperGuards.h"
#include "db/DataSet.h"
#include "db/DatabaseError.h"

namespace {

[[noreturn]] void RaiseListIndex(int index) {
  throw EListError("List index out of bounds (" + IntToStr(index) + ")");
}

}  // namespace

void TkwSelectedRecs::SetActive(bool value) {
  const bool lost = FLost || !FItems.empty();
  Clear();
  FLost = lost;
  FActive = value;
  // The marks follow the controller's renumbering while they can be made.
  if (TkvCustomDbDataController* c = FGrid.DataController()) {
    if (value)
      c->SetRecordIndexObserver(this);
    else if (c->RecordIndexObserver() == this)
      c->SetRecordIndexObserver(nullptr);
  }
}

int TkwSelectedRecs::Items(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndex(index);
  return FItems[static_cast<size_t>(index)].Record;
}

void TkwSelectedRecs::Insert(int index, int recordIndex) {
  if (recordIndex < 0 || Contains(recordIndex)) return;
  if (index < 0 || index > Count()) RaiseListIndex(index);
  InsertEntry(index, recordIndex);
  FLost = false;
}

void TkwSelectedRecs::InsertEntry(int index, int recordIndex) {
  TkvCustomDbDataController* c = FGrid.DataController();
  FItems.insert(FItems.begin() + index, Entry{recordIndex, c ? c->RecordBookmark(recordIndex) : TBookmark()});
}

void TkwSelectedRecs::Delete(int index) {
  if (index < 0 || index >= Count()) RaiseListIndex(index);
  FItems.erase(FItems.begin() + index);
  FLost = false;
}

bool TkwSelectedRecs::IndexOfRecord(int recordIndex, int& index) const {
  const auto it = std::find_if(FItems.begin(), FItems.end(), [recordIndex](const Entry& e) { return e.Record == recordIndex; });
  index = it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
  return index >= 0;
}

bool TkwSelectedRecs::Contains(int recordIndex) const {
  int index;
  return IndexOfRecord(recordIndex, index);
}

int TkwSelectedRecs::CurrentRecord() {
  if (!FActive) RaiseGridError(kvLoadStr(SkvDataSetClosed));
  return FGrid.CurrentRecordIndex();
}

bool TkwSelectedRecs::CurrentRowSelected() { return Contains(CurrentRecord()); }

void TkwSelectedRecs::SetCurrentRowSelected(bool value) {
  const int record = CurrentRecord();
  int index;
  const bool present = IndexOfRecord(record, index);
  if (value) {
    // A row without a record (below the last one) has nothing to mark.
    if (present || record < 0) return;
    InsertEntry(0, record);
  } else {
    if (!present) return;
    FItems.erase(FItems.begin() + index);
  }
  FLost = false;
  FGrid.InvalidateCurrentRow();
}

void TkwSelectedRecs::SelectRow(int rowIndex, bool addToSelection, bool makeFocused, bool multiSelect) {
  TkvCustomDbDataController* c = FGrid.DataController();
  if (!c) return;
  if (!addToSelection) Clear();
  if (multiSelect && !makeFocused) {
    TkvControlsScope controls(c->DataSet());
    const int saved = c->FocusedRowIndex();
    c->FocusRowIndex(rowIndex);
    SetCurrentRowSelected(true);
    c->FocusRowIndex(saved < c->RowCount() ? saved : -1);
    return;
  }
  c->FocusRowIndex(rowIndex);
  if (multiSelect) SetCurrentRowSelected(true);
}

int TkwSelectedRecs::DeleteSelected() {
  TkvCustomDbDataController* c = FGrid.DataController();
  if (!c || FItems.empty()) return 0;
  // A marked record that no longer has a row (filtered out since) is not the user's to
  // delete unseen.
  PurgeSelection();
  TDataSet* ds = c->DataSet();
  TkvControlsScope controls(ds);
  int deleted = 0;
  // Deleting a record renumbers the records after it (a reload moves the marks with
  // their records): the highest marked record goes first, so every record still to be
  // deleted keeps its index, and the marks are read again after each deletion.
  while (!FItems.empty()) {
    const auto highest = std::max_element(FItems.begin(), FItems.end(),
                                          [](const Entry& a, const Entry& b) { return a.Record < b.Record; });
    const Entry mark = *highest;
    const int record = mark.Record;
    if (!ds || !ds->Active()) RaiseGridError(kvLoadStr(SkvDataSetClosed));
    c->FocusRecordIndex(record);
    if (c->FocusedRecordIndex() != record || !c->FocusRecord(record)) RaiseGridError(kvLoadStr(SkvRecordIndexError));
    const int before = ds->RecordCount();
    // The controller passes over a dataset it may not change: that is a refusal here.
    if (!ds->CanModify()) DatabaseError(SDataSetReadOnly, ds);
    c->Delete();
    if (ds->RecordCount() != before - 1) RaiseGridError(kvLoadStr(SkvRecordIndexError));
    // The deleted record's mark is gone with a reload or a storage deletion; without
    // either it is still there under its record index.
    int index;
    if (!mark.Bookmark.empty() ? IndexOfBookmark(mark.Bookmark, index) : IndexOfRecord(record, index))
      FItems.erase(FItems.begin() + index);
    ++deleted;
  }
  FLost = false;
  return deleted;
}

void TkwSelectedRecs::PurgeSelection() {
  TkwSelectedRows rows(*this, FGrid);
  for (int i = Count() - 1; i >= 0; --i) {
    if (rows.RowOfItem(i) >= 0) continue;
    FItems.erase(FItems.begin() + i);
    FLost = true;
  }
}

void TkwSelectedRecs::TakeBookmarks() {
  TkvCustomDbDataController* c = FGrid.DataController();
  if (!c || FReloading) return;
  std::vector<int> records;
  for (const Entry& e : FItems)
    if (e.Bookmark.empty() && e.Record >= 0) records.push_back(e.Record);
  if (records.empty()) return;
  const std::vector<TBookmark> bookmarks = c->RecordBookmarks(records);
  size_t next = 0;
  for (Entry& e : FItems)
    if (e.Bookmark.empty() && e.Record >= 0 && next < bookmarks.size()) e.Bookmark = bookmarks[next++];
}

bool TkwSelectedRecs::IndexOfBookmark(const TBookmark& bookmark, int& index) const {
  const auto it = std::find_if(FItems.begin(), FItems.end(), [&bookmark](const Entry& e) { return e.Bookmark == bookmark; });
  index = it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
  return index >= 0;
}

void TkwSelectedRecs::RecordsReloading() {
  FReloading = true;
  FReloadIndex.clear();
  for (size_t i = 0; i < FItems.size(); ++i) {
    // Every old number is void from here on: an entry is only where its bookmark is found.
    FItems[i].Record = -1;
    if (!FItems[i].Bookmark.empty()) FReloadIndex.emplace(FItems[i].Bookmark, static_cast<int>(i));
  }
}

void TkwSelectedRecs::RecordReloaded(int recordIndex, const TDataSet& dataSet) {
  if (!FReloading || FReloadIndex.empty()) return;
  const auto it = FReloadIndex.find(dataSet.Bookmark());
  if (it == FReloadIndex.end()) return;
  FItems[static_cast<size_t>(it->second)].Record = recordIndex;
  FReloadIndex.erase(it);
}

void TkwSelectedRecs::RecordsReloaded() {
  FReloading = false;
  FReloadIndex.clear();
  const size_t before = FItems.size();
  FItems.erase(std::remove_if(FItems.begin(), FItems.end(), [](const Entry& e) { return e.Record < 0; }), FItems.end());
  if (FItems.size() != before) FLost = true;
}

void TkwSelectedRecs::RecordInsertedAt(int recordIndex) {
  for (Entry& e : FItems)
    if (e.Record >= recordIndex) ++e.Record;
}

void TkwSelectedRecs::RecordDeletedAt(int recordIndex) {
  int index;
  if (IndexOfRecord(recordIndex, index)) {
    FItems.erase(FItems.begin() + index);
    FLost = true;
  }
  for (Entry& e : FItems)
    if (e.Record > recordIndex) --e.Record;
}

int TkwSelectedRows::RowOfItem(int index) const {
  const int record = FRecs.Items(index);
  TkvCustomDbDataController* c = FGrid.DataController();
  if (!c || record >= c->GetRecordCount()) return -1;
  return c->GetRecordRowIndex(record);
}

namespace {

// ASCII letters compare without case; the two bytes of a double-byte character compare
// as they are, so a trail byte that happens to be a letter never matches another
// character.
bool SameFieldName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const unsigned char x = static_cast<unsigned char>(a[i]);
    if (IsLeadByte(x) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (up(a[i]) != up(b[i])) return false;
  }
  return true;
}

}  // namespace

TkwColumn* ColumnByFieldName(const TkwDBGridColumns& columns, std::string_view name) {
  for (int i = 0; i < columns.Count(); ++i)
    if (SameFieldName(columns.Items(i)->FieldName(), name)) return columns.Items(i);
  return nullptr;
}
