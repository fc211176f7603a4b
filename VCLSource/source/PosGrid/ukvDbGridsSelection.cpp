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
  Clear();
  FActive = value;
}

int TkwSelectedRecs::Items(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndex(index);
  return FItems[static_cast<size_t>(index)];
}

void TkwSelectedRecs::Insert(int index, int recordIndex) {
  if (recordIndex < 0 || Contains(recordIndex)) return;
  if (index < 0 || index > Count()) RaiseListIndex(index);
  FItems.insert(FItems.begin() + index, recordIndex);
}

void TkwSelectedRecs::Delete(int index) {
  if (index < 0 || index >= Count()) RaiseListIndex(index);
  FItems.erase(FItems.begin() + index);
}

bool TkwSelectedRecs::IndexOfRecord(int recordIndex, int& index) const {
  const auto it = std::find(FItems.begin(), FItems.end(), recordIndex);
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
    FItems.insert(FItems.begin(), record);
  } else {
    if (!present) return;
    FItems.erase(FItems.begin() + index);
  }
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
  // Deleting a record renumbers the records after it: deleting from the highest record
  // index down leaves every record still to be deleted where it was.
  std::vector<int> order(FItems);
  std::sort(order.begin(), order.end(), std::greater<int>());
  TDataSet* ds = c->DataSet();
  TkvControlsScope controls(ds);
  int deleted = 0;
  for (const int record : order) {
    if (!ds || !ds->Active()) RaiseGridError(kvLoadStr(SkvDataSetClosed));
    c->FocusRecordIndex(record);
    if (c->FocusedRecordIndex() != record || !c->FocusRecord(record)) RaiseGridError(kvLoadStr(SkvRecordIndexError));
    const int before = ds->RecordCount();
    // The controller passes over a dataset it may not change: that is a refusal here.
    if (!ds->CanModify()) DatabaseError(SDataSetReadOnly, ds);
    c->Delete();
    if (ds->RecordCount() != before - 1) RaiseGridError(kvLoadStr(SkvRecordIndexError));
    int index;
    if (IndexOfRecord(record, index)) FItems.erase(FItems.begin() + index);
    ++deleted;
  }
  return deleted;
}

void TkwSelectedRecs::PurgeSelection() {
  TkwSelectedRows rows(*this, FGrid);
  for (int i = Count() - 1; i >= 0; --i)
    if (rows.RowOfItem(i) < 0) FItems.erase(FItems.begin() + i);
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
