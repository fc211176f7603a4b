// TkvCustomDbDataControllerInfo, the controller's view state: rebuilding, filtering and
// sorting the rows, the focused row and the summaries, applied in one pass when the
// last lock is released.
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"

#include <algorithm>
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "VCLSource/source/PosGrid/ukvDbHelperProvider.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSearch.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSummary.h"

// --- TkvSortingFieldList ----------------------------------------------------------------------

void TkvSortingFieldList::SetDirection(TkvDbField* field, uint8_t direction) {
  const int at = IndexOf(field);
  if (at < 0) {
    if (direction != 0) Add(field, direction);
  } else if (direction == 0) {
    Delete(at);
  } else if (FItems[static_cast<size_t>(at)].Direction != direction) {
    FItems[static_cast<size_t>(at)].Direction = direction;
    Changed();
  }
}

void TkvSortingFieldList::Add(TkvDbField* field, uint8_t direction) {
  FItems.push_back({field, direction});
  Changed();
}

void TkvSortingFieldList::Delete(int index) {
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TkvSortingFieldList::Clear() {
  while (!FItems.empty()) Delete(0);
}

int TkvSortingFieldList::IndexOf(const TkvDbField* field) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Field == field) return static_cast<int>(i);
  return -1;
}

uint8_t TkvSortingFieldList::GetDirection(const TkvDbField* field) const {
  const int at = IndexOf(field);
  return at < 0 ? 0 : FItems[static_cast<size_t>(at)].Direction;
}

void TkvSortingFieldList::Merge(const TkvSortingFieldList& other) {
  for (const TkvSortingEntry& e : other.FItems)
    if (IndexOf(e.Field) < 0) FItems.push_back(e);
}

// --- TkvDataFocusingInfo -----------------------------------------------------------------------

void TkvDataFocusingInfo::Assign(const TkvDataFocusingInfo& source) {
  SavedRecordIndex = source.SavedRecordIndex;
  RecordIndex = source.RecordIndex;
  RowIndex = source.RowIndex;
}

void TkvDataFocusingInfo::RefreshRecord() { RecordIndex = FOwner->FController->GetCurrentRecordIndex(); }

void TkvDataFocusingInfo::Resync() {
  RecordIndex = RowIndex != -1 ? FOwner->FController->GetCurrentRecordIndex() : -1;
  SavedRecordIndex = RecordIndex;
}

bool TkvDataFocusingInfo::SameAs(const TkvDataFocusingInfo& other) const {
  if (RecordIndex != other.RecordIndex) return false;
  return !(FOwner->FFlags & kvifSort) || RowIndex == other.RowIndex;
}

// --- TkvCustomDbDataControllerInfo ----------------------------------------------------------------

TkvCustomDbDataControllerInfo::TkvCustomDbDataControllerInfo(TkvCustomDbDataController* controller)
    : FController(controller), FFocus(this), FPreviousFocus(this) {
  FSortingFields.OnChange = [this] {
    Request(kvifSort);
    ApplyIfNeeded();
  };
}

TkvCustomDbDataControllerInfo::~TkvCustomDbDataControllerInfo() { FSummaries.clear(); }

void TkvCustomDbDataControllerInfo::Unlock() {
  if (FLockCount == 0) return;
  if (--FLockCount == 0) ApplyIfNeeded();
}

void TkvCustomDbDataControllerInfo::ApplyIfNeeded() {
  if (FLockCount > 0 || FApplying) return;
  if (FFlags != 0) Apply();
  FController->DeliverChanges();
}

void TkvCustomDbDataControllerInfo::DataChangedRequest() {
  uint16_t f = kvifRebuild;
  if (!FController->ReloadDeferred()) f |= kvifSummaries;
  if (FSortingFields.Count() > 0) f |= kvifSort;
  Request(f);
  ApplyIfNeeded();
}

void TkvCustomDbDataControllerInfo::FocusRefreshRequest() {
  Request(kvifFocusRefresh);
  FFocus.RefreshRecord();
  ApplyIfNeeded();
}

int TkvCustomDbDataControllerInfo::GetRowRecord(int row) const {
  if (row < 0 || row >= RowCount()) RaiseRowIndexError();
  return FRows[static_cast<size_t>(row)];
}

int TkvCustomDbDataControllerInfo::IndexOfRecord(int record) const {
  for (size_t i = 0; i < FRows.size(); ++i)
    if (FRows[i] == record) return static_cast<int>(i);
  return -1;
}

int TkvCustomDbDataControllerInfo::FocusedRecord() const {
  const int row = FFocus.RowIndex;
  return row >= 0 && row < RowCount() ? FRows[static_cast<size_t>(row)] : -1;
}

int TkvCustomDbDataControllerInfo::NeighbourRow(int row) const {
  if (row < 0 || row >= RowCount()) return -1;
  if (row + 1 < RowCount()) return row + 1;
  return row - 1;  // -1 when the row is the only one
}

void TkvCustomDbDataControllerInfo::FocusRow(int row) {
  Lock();
  TkvFinally unlock([this] { Unlock(); });
  ChangeFocus(row, false);
}

// Passes run until no step asked for more work: a focus move during the pass may make
// the dataset report a change, whose rebuild must not be lost.
void TkvCustomDbDataControllerInfo::Apply() {
  TkvFlagScope applying(FApplying);
  TkvCustomDbDataController& c = *FController;
  uint16_t mask = 0;
  for (int pass = 0; pass < 8; ++pass) {
    FAgain = 0;
    ApplyPass(mask);
    FFlags = FAgain & (kvifRebuild | kvifSort | kvifSummaries | kvifFocusRefresh | kvifRowsChanged);
    if (FFlags == 0) break;
  }
  FFlags = 0;
  c.SetSortChanged(false);
  // A refocus request lives for one pass: kept longer, a later notice (a program moving
  // the dataset to a record the rows do not show) would pull the dataset back to row 0.
  c.SetRefocusPending(false);
  c.FChangeMask |= mask;
}

void TkvCustomDbDataControllerInfo::ApplyPass(uint16_t& mask) {
  TkvCustomDbDataController& c = *FController;
  if (FFlags & kvifRebuild) Rebuild();
  if ((FFlags & kvifSort) && !(c.Options() & dcoNoSorting)) SortRows();
  if (FFlags & kvifSummaries) RecalculateSummaries();
  // A re-sort asks for row 0 only under dcoRefocusOnSort, and never while the dataset
  // edits (moving away would end the user's edit).
  if ((FFlags & kvifSort) && (c.Options() & dcoRefocusOnSort) && c.SortChanged() && RowCount() > 0 &&
      !c.Provider().IsEditing()) {
    FFocus.Reset();
    ChangeFocus(0, false);
  }
  SyncFocus();
  if (FFlags & (kvifSort | kvifRowsChanged)) mask |= dcmSorted;
  if (FFlags & (kvifRebuild | kvifInternal2 | kvifInternal20)) mask |= dcmData;
  if (FFlags & (kvifFocusChanged | kvifFocusRefresh | kvifKeepFocus)) mask |= dcmFocus;
  if (FFlags & kvifInternal80) mask |= 8;
  if (FFlags & kvifSummaries) mask |= dcmSummaries;
}

void TkvCustomDbDataControllerInfo::Rebuild() {
  TkvCustomDbDataController& c = *FController;
  const int focused = FFocus.RecordIndex;
  const bool focusShown = FFocus.RowIndex >= 0 && FFocus.RowIndex < RowCount() &&
                          FRows[static_cast<size_t>(FFocus.RowIndex)] == focused;
  const int n = c.GetRecordCount();
  FRows.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) FRows[static_cast<size_t>(i)] = i;
  if (!(c.Options() & dcoNoFiltering)) FilterRows();
  // A refilter that hid the focused row asks for a new focus (row 0). Nothing else
  // does: the controller follows the dataset, and a dataset that stands on a record the
  // rows do not show stays there.
  if (c.RefilterPending()) {
    c.SetRefilterPending(false);
    if (focusShown && IndexOfRecord(focused) < 0) c.SetRefocusPending(true);
  }
}

void TkvCustomDbDataControllerInfo::FilterRows() {
  TkvCustomDbDataController& c = *FController;
  const bool event = c.HasFilterEvent();
  TkvDBDataFilterCriteria& filter = c.Filter();
  const bool active = filter.IsActive();
  if (!event && !active) return;
  filter.InvalidateCompiled();
  const int inserting = c.Provider().InsertingRecord;
  // Rows are still in record order: keep those that pass, in order.
  if (!event && filter.FilterRows(FRows, inserting)) return;
  size_t out = 0;
  for (size_t i = 0; i < FRows.size(); ++i) {
    const int r = FRows[i];
    bool keep = r == inserting || (event ? c.DoFilterRecord(r) : filter.EvaluateRecord(r));
    if (keep) FRows[out++] = r;
  }
  FRows.resize(out);
}

int TkvCustomDbDataControllerInfo::CompareRows(int a, int b) {
  if (a == b) return 0;
  TkvDbDataProvider& p = FController->Provider();
  const int ins = p.InsertingRecord;
  if (ins != kvNoRecord) {
    if (p.AnchorBefore != kvNoRecord) {
      if (a == ins) return 1;
      if (b == ins) return -1;
    } else if (p.AnchorAfter != kvNoRecord) {
      const int n = p.AnchorAfter;
      if (a == ins) {
        if (b == n) return -1;
        a = n;
      } else if (b == ins) {
        if (a == n) return 1;
        b = n;
      }
      if (a == b) return 0;
    }
  }
  for (const SortKey& k : FKeys) {
    int c;
    if (k.Copy) {
      c = k.Copy->Compare(k.Raw, a, b);
      if (k.Descending) c = -c;
    } else if (k.Def) {
      c = CompareStoredValues(k.Def, k.Raw, FController->Storage().RecordAt(a), FController->Storage().RecordAt(b));
      if (k.Descending) c = -c;
    } else {
      c = FController->CompareBySortItem(a, b, {k.Field, static_cast<uint8_t>(k.Descending ? 2 : 1)});
    }
    if (c != 0) return c;
  }
  return FController->CompareRecordIndexes(a, b);
}

namespace {

// A stable merge sort over the row indexes: every access stays inside the arrays
// whatever the comparison answers.
template <class Less>
void MergeSortRows(std::vector<int>& rows, Less less) {
  const size_t n = rows.size();
  if (n < 2) return;
  std::vector<int> buf(n);
  constexpr size_t kRun = 16;
  for (size_t lo = 0; lo < n; lo += kRun) {
    const size_t hi = std::min(n, lo + kRun);
    for (size_t i = lo + 1; i < hi; ++i) {
      const int v = rows[i];
      size_t j = i;
      while (j > lo && less(v, rows[j - 1])) {
        rows[j] = rows[j - 1];
        --j;
      }
      rows[j] = v;
    }
  }
  std::vector<int>* src = &rows;
  std::vector<int>* dst = &buf;
  for (size_t width = kRun; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(n, lo + width), hi = std::min(n, lo + 2 * width);
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) (*dst)[k++] = less((*src)[j], (*src)[i]) ? (*src)[j++] : (*src)[i++];
      while (i < mid) (*dst)[k++] = (*src)[i++];
      while (j < hi) (*dst)[k++] = (*src)[j++];
    }
    std::swap(src, dst);
  }
  if (src != &rows) rows.swap(buf);
}

}  // namespace

void TkvCustomDbDataControllerInfo::SortRows() {
  TkvCustomDbDataController& c = *FController;
  FWorkSorting.Clear();
  FWorkSorting.Merge(FSortingFields);
  FKeys.clear();
  if (RowCount() == 0) return;
  // One comparison per field for the whole run.
  for (int i = 0; i < FWorkSorting.Count(); ++i) {
    const TkvSortingEntry& e = FWorkSorting.Items(i);
    TkvDbField* f = e.Field;
    f->SetCompareMode(0);
    const int mode = !c.CompareByValues(f) ? -1 : (!c.CompareByDisplayText(f) ? 1 : 2);
    f->SetCompareMode(mode);
    SortKey k{f, e.Direction == 2, nullptr, nullptr, nullptr};
    const bool event = c.OnCompare && !f->Internal();
    if (mode == -1 && !event && f->ValueDef()) {
      k.Def = f->ValueDef();
      k.Raw = RawCompareFor(f->ValueType());
      k.Copy = c.ColumnCopy(f, true);
    }
    FKeys.push_back(k);
  }
  TkvFinally reset([this] {
    for (const SortKey& k : FKeys) k.Field->SetCompareMode(0);
    FKeys.clear();
  });
  MergeSortRows(FRows, [this](int a, int b) { return CompareRows(a, b) < 0; });
}

int TkvCustomDbDataControllerInfo::FindFocusedRow() const {
  if (FFocus.RecordIndex < 0) return -1;
  return IndexOfRecord(FFocus.RecordIndex);
}

void TkvCustomDbDataControllerInfo::SyncFocus() {
  const int r = FindFocusedRow();
  const int cur = FFocus.RowIndex;
  const bool curValid = cur >= 0 && cur < RowCount() && FRows[static_cast<size_t>(cur)] == FFocus.RecordIndex;
  if (r != cur && !curValid) ChangeFocus(r, true);
  if ((FFlags & kvifFocusChanged) && RowCount() <= FPreviousFocus.RowIndex) FPreviousFocus.RowIndex = -1;
  TkvCustomDbDataController& c = *FController;
  if (c.RefocusPending() && FFocus.RowIndex < 0 && !c.Provider().IsEditing()) {
    c.SetRefocusPending(false);
    if (c.Provider().ChangeNesting == 0 && RowCount() > 0) {
      FFocus.Reset();
      ChangeFocus(0, false);
    }
  }
}

void TkvCustomDbDataControllerInfo::ChangeFocus(int row, bool force) {
  if (row < -1) row = -1;
  if (row > RowCount() - 1) row = RowCount() - 1;
  if (row == FFocus.RowIndex) return;
  TkvFlagScope inChange(FInFocusChange);
  if (!(FFlags & kvifFocusChanged)) FPreviousFocus.Assign(FFocus);
  TkvCustomDbDataController& c = *FController;
  bool accepted = force;
  if (!accepted) {
    const int record = row < 0 ? -1 : FRows[static_cast<size_t>(row)];
    TkvFlagScope moving(FMovingFocus);
    TkvDbDataProvider& p = c.Provider();
    if (p.IsInserting() && record == p.InsertingRecord) {
      accepted = true;
    } else {
      p.BeginDataSetChange();
      TkvFinally end([&p] { p.EndDataSetChange(); });
      accepted = c.FocusRecord(record);
    }
  }
  if (accepted) FFocus.RowIndex = row;
  if (FPreviousFocus.RowIndex >= RowCount()) FPreviousFocus.RowIndex = -1;
  if (FFocus.RowIndex >= RowCount()) FFocus.RowIndex = -1;
  if (FPreviousFocus.RowIndex != -1 || accepted) {
    FFocus.RefreshRecord();
    const int fr = FFocus.RowIndex;
    if (fr < 0 || fr >= RowCount() || FRows[static_cast<size_t>(fr)] != FFocus.RecordIndex) {
      int found = FindFocusedRow();
      FFocus.RowIndex = std::min(found, RowCount() - 1);
    }
  }
  if (!FFocus.SameAs(FPreviousFocus)) FFlags |= kvifKeepFocus | kvifFocusChanged;
  // A focus move made by anyone but the search ends the search.
  c.Search().Clear();
  if (c.OnFocusedRecordChanged) c.OnFocusedRecordChanged(&c);
}

// --- summaries ---------------------------------------------------------------------------------------

TkvSummary* TkvCustomDbDataControllerInfo::AddSummary(TkvDbField* field, TkvSummaryKind kind) {
  FSummaries.push_back(std::make_unique<TkvSummary>(this, field, kind));
  Request(kvifSummaries);
  return FSummaries.back().get();
}

void TkvCustomDbDataControllerInfo::RemoveSummary(TkvSummary* s) {
  for (auto it = FSummaries.begin(); it != FSummaries.end(); ++it)
    if (it->get() == s) {
      if (TkvDbField* f = s->Field()) f->SummaryRemoved(s);
      FSummaries.erase(it);
      return;
    }
}

void TkvCustomDbDataControllerInfo::RemoveSummaries(TkvDbField* field) {
  for (size_t i = FSummaries.size(); i-- > 0;)
    if (FSummaries[i]->Field() == field) {
      field->SummaryRemoved(FSummaries[i].get());
      FSummaries.erase(FSummaries.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void TkvCustomDbDataControllerInfo::ClearSummaries() {
  for (auto& s : FSummaries)
    if (TkvDbField* f = s->Field()) f->SummaryRemoved(s.get());
  FSummaries.clear();
}
