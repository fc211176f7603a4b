// TkvDbDataProvider and its data link: the dataset's notices turned into controller
// operations, and the controller's dataset operations carried out on the dataset.
#include "VCLSource/source/PosGrid/ukvDbHelperProvider.h"

#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSearch.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

bool EditingState(TDataSetState s) { return s == dsEdit || s == dsInsert || s == dsSetKey; }

}  // namespace

// --- TkvDbDataLink ---------------------------------------------------------------------------

TkvDbDataLink::TkvDbDataLink(TkvDbDataProvider* provider) : FProvider(provider) { SetVisualControl(true); }

void TkvDbDataLink::DataEvent(TDataEvent event, intptr_t info) {
  TDataLink::DataEvent(event, info);
  if (event == deDisabledStateChange && info == kControlsEnabledAfterChange) ChangesWhileDisabled = true;
}

void TkvDbDataLink::ActiveChanged() {
  TkvDbDataProvider& p = *FProvider;
  TkvCustomDbDataController& c = *p.FController;
  {
    TkvFlagScope changing(p.ActiveChanging);
    if (c.OnDataSetChange) {
      TkvActiveChange change(Active());
      c.OnDataSetChange(&c, &change);
    }
    p.ResetMarkers();
    c.ActiveChanged(Active());
    // A closing dataset frees its default fields right after this notice: the field items
    // let go of them now (with ReloadLock set, re-binding finds no field) and bind again
    // when it opens.
    if (TDataSet* closed = DataSet(); closed && !closed->Active() && closed->DefaultFields()) {
      TkvFlagScope lock(c.FReloadLock);
      c.UpdateFields();
    }
  }
  TDataSet* ds = DataSet();
  p.SkipInsertCheck = ds && ds->State() == dsInsert;
}

void TkvDbDataLink::DataSetChanged() {
  TkvDbDataProvider& p = *FProvider;
  TkvCustomDbDataController& c = *p.FController;
  if (p.MovingBy) return;
  if (ChangesWhileDisabled) {
    LayoutChanged();
    return;
  }
  TDataSet* ds = DataSet();
  if (!ds) return;
  if (c.Info().Locked() && !p.EditWasPending) {
    DataSetScrolled(0);
    return;
  }
  if (!p.IsEditing()) {
    if (p.IsKeyMode()) {
      p.WriteBackEdit();
      DataSetScrolled(0);
    } else {
      p.NotifyDataChanged(4, -1, -1);
    }
    p.EditingRecord = false;
    return;
  }
  if (ds->State() == dsInsert && !p.InsertHandled && p.CanInsertRecord() && !p.InEditingChanged) {
    TkvFlagScope guard(p.InEditingChanged);
    p.RecordInserted(ds->Eof());
  }
}

void TkvDbDataLink::DataSetScrolled(int distance) {
  TkvDbDataProvider& p = *FProvider;
  p.CurrentRecord += distance;
  p.FController->Refresh();
  p.FModified = false;
}

void TkvDbDataLink::EditingChanged() {
  TkvDbDataProvider& p = *FProvider;
  if (!p.CanInsertRecord()) return;
  TDataSet* ds = DataSet();
  if (Active() && ds && EditingState(ds->State())) {
    if (ds->State() == dsEdit) p.EditStarted();
    p.SkipInsertCheck = false;
    return;
  }
  p.ResetMarkers();
  p.EditingRecord = false;
  p.SkipInsertCheck = false;
  // The edit ended (posted or cancelled): the dataset change that follows carries data
  // and must reach the controller even while its rows are locked.
  p.EditWasPending = true;
}

void TkvDbDataLink::LayoutChanged() {
  TkvDbDataProvider& p = *FProvider;
  TkvCustomDbDataController& c = *p.FController;
  TDataSet* ds = DataSet();
  if (ds && ds->State() == dsInsert) {
    ChangesWhileDisabled = false;
    DataSetChanged();
    return;
  }
  ChangesWhileDisabled = false;
  if (c.OnDataSetChange) {
    TkvLayoutChange change;
    c.OnDataSetChange(&c, &change);
  }
  c.ReloadGuarded(false);
}

void TkvDbDataLink::RecordChanged(TField* field) { FProvider->RecordChanged(field); }

void TkvDbDataLink::UpdateData() {
  if (FProvider->IsKeyMode()) FProvider->RecordChanged(nullptr);
  FProvider->FModified = false;
}

// --- TkvDbDataProvider -------------------------------------------------------------------------

TkvDbDataProvider::TkvDbDataProvider(TkvCustomDbDataController* controller) : FController(controller) {}

TkvDbDataProvider::~TkvDbDataProvider() {
  if (FDataLink) FDataLink->SetDataSource(nullptr);
}

TkvDbDataProvider::TkvDataLinkClass TkvDbDataProvider::GetDataLinkClass() { return &kvMake<TkvDbDataLink, TkvDbDataLink>; }

TkvDbDataLink& TkvDbDataProvider::DataLink() {
  if (!FDataLink) FDataLink = GetDataLinkClass()(this);
  return *FDataLink;
}

bool TkvDbDataProvider::IsKeyMode() { return FController->HasKeyField(); }

bool TkvDbDataProvider::IsInserting() {
  TDataSet* ds = DataSet();
  return ds && ds->State() == dsInsert;
}

bool TkvDbDataProvider::IsActive() {
  TDataSet* ds = DataSet();
  return ds && ds->Active();
}

bool TkvDbDataProvider::IsEditing() {
  TDataSet* ds = DataSet();
  return ds && EditingState(ds->State());
}

bool TkvDbDataProvider::IsEof() {
  TDataSet* ds = DataSet();
  return ds && ds->Eof();
}

bool TkvDbDataProvider::IsDataSetModified() {
  TDataSet* ds = DataSet();
  return ds && ds->Modified();
}

bool TkvDbDataProvider::CanModify() {
  TDataSet* ds = DataSet();
  return ds && ds->Active() && ds->CanModify();
}

bool TkvDbDataProvider::CanDelete() { return CanModify() && !DataSet()->IsEmpty(); }

bool TkvDbDataProvider::CanInsertRecord() { return IsActive() && DataSet()->CanModify(); }

// Our own brackets (a load, a focus move) disable the controls themselves; a dataset
// whose controls someone else disabled is loaded once they come back.
bool TkvDbDataProvider::CanLoad() {
  TDataSet* ds = DataSet();
  return ds && ds->Active() && (!ds->ControlsDisabled() || ChangeNesting > 0);
}

bool TkvDbDataProvider::HasFields() {
  TDataSet* ds = DataSet();
  return ds && ds->FieldCount() > 0 && (ds->Active() || !ds->DefaultFields());
}

bool TkvDbDataProvider::BookmarkValid(const TBookmark& b) {
  TDataSet* ds = DataSet();
  return ds && ds->BookmarkValid(b);
}

int TkvDbDataProvider::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (!FDataLink || !FDataLink->Active()) return -1;
  return DataSet()->CompareBookmarks(a, b);
}

void TkvDbDataProvider::ResetMarkers() {
  InsertingRecord = AnchorBefore = AnchorAfter = kvNoRecord;
  InsertHandled = false;
}

void TkvDbDataProvider::NotifyDataChanged(int kind, int p1, int p2) {
  if (ChangeNesting > 0) return;
  FController->DataChanged(kind, p1, p2);
  if (FModified) FModified = false;
  else ResetMarkers();
}

int TkvDbDataProvider::GetCurrentRecord() { return IsInserting() ? InsertingRecord : CurrentRecord; }

void TkvDbDataProvider::BeginDataSetChange() {
  TDataSet* ds = DataSet();
  if (ds && IsEditing()) EditWasPending = true;
  ++ChangeNesting;
  if (ds) ds->DisableControls();
}

void TkvDbDataProvider::EndDataSetChange() {
  TDataSet* ds = DataSet();
  TkvFinally down([this] { --ChangeNesting; });
  if (ds) ds->EnableControls();
}

// A pending edit is finished first. In key mode the edit is posted and its record read
// back before the operation (unless the dataset's notice of the post did that already),
// and the operation runs with the controls disabled: its notices arrive as one change.
void TkvDbDataProvider::RunOperation(void (TDataSet::*operation)()) {
  TDataSet* ds = DataSet();
  if (!ds) return;
  TkvFlagScope busy(Busy);
  const bool keyMode = IsKeyMode();
  if (EditingState(ds->State())) {
    if (!keyMode && IsInserting()) FController->GetEditRecordIndex();
    DataLink().UpdateRecord();
    if (keyMode) {
      ds->CheckBrowseMode();
      if (EditedRecord != kvNoRecord) WriteBackEdit();
      EditedRecord = kvNoRecord;
      EditedRecordNew = -1;
      EditedIsInsert = false;
      ResetMarkers();
    }
  }
  TkvControlsScope controls(ds, keyMode);
  (ds->*operation)();
}

void TkvDbDataProvider::Append() { RunOperation(&TDataSet::Append); }

void TkvDbDataProvider::Insert() {
  TkvFlagScope op(InsertOperation);
  RunOperation(&TDataSet::Insert);
}

void TkvDbDataProvider::Cancel() {
  if (TDataSet* ds = DataSet()) ds->Cancel();
}

// Only an edit the user has not changed is dropped: a modified one stays for the user
// to post or cancel.
void TkvDbDataProvider::CancelEdit() {
  TDataSet* ds = DataSet();
  if (!ds || !IsEditing() || ds->Modified()) return;
  ds->Cancel();
}

void TkvDbDataProvider::RememberDeleteNeighbour() {
  TkvCustomDbDataControllerInfo& info = FController->Info();
  const int row = info.FocusedRow();
  if (row < 0) return;
  const int n = info.NeighbourRow(row);
  FController->SetPendingFocusRecord(n < 0 ? -1 : info.GetRowRecord(n));
}

void TkvDbDataProvider::Delete() {
  TDataSet* ds = DataSet();
  if (!ds || FController->FocusedRowIndex() < 0) return;
  if (IsKeyMode()) DeletedRecordMark = FController->FocusedRecordIndex();
  {
    TkvControlsScope controls(ds);
    ds->Delete();
    const int pending = FController->PendingFocusRecord();
    if (pending >= 0 && pending < ds->RecordCount()) FController->FocusRecord(pending);
  }
  // The dataset's notices may already have reloaded the storage: the noted record goes
  // only while the storage still holds one record more than the dataset.
  if (IsKeyMode() && DeletedRecordMark >= 0 && FController->GetRecordCount() > DeletedRecordMark &&
      FController->GetRecordCount() == ds->RecordCount() + 1) {
    FController->DeleteRecord(DeletedRecordMark);
    FController->Refresh();
  }
}

void TkvDbDataProvider::AfterDelete() {
  const int pending = FController->PendingFocusRecord();
  if (pending >= 0 && pending < FController->GetRecordCount()) {
    const int row = FController->GetRecordRowIndex(pending);
    if (row >= 0) FController->Info().FocusRow(row);
  }
  FController->SetPendingFocusRecord(-1);
}

void TkvDbDataProvider::RecordInserted(bool atEnd) {
  TkvCustomDbDataController& c = *FController;
  TkvCustomDbDataControllerInfo& info = c.Info();
  info.Lock();
  TkvFinally unlock([&info] { info.Unlock(); });
  if (atEnd) {
    AnchorBefore = info.RowCount() > 0 ? info.GetRowRecord(info.RowCount() - 1) : -1;
    InsertingRecord = c.Storage().AppendRecord();
    c.DataChanged(2, InsertingRecord, -1);
  } else {
    const int focused = info.FocusedRecord();
    const int r = focused < 0 ? 0 : focused;
    c.InsertRecord(r);
    InsertingRecord = r;
    AnchorAfter = r + 1;
  }
  SyncRecord();
  FModified = false;
  InsertHandled = true;
  info.FocusRefreshRequest();
}

void TkvDbDataProvider::SyncRecord() {
  if (InsertingRecord == kvNoRecord || InsertingRecord < 0) return;
  if (InsertingRecord >= FController->GetRecordCount()) return;
  EditedRecord = InsertingRecord;
  EditedIsInsert = IsInserting();
  FController->ReloadRecord(InsertingRecord);
}

// The dataset's cursor stands on the posted record (or, after a cancel, on the record
// that was edited). The edited record takes the dataset's values when the keys agree or
// when the key is new to the storage. Anything the key cannot settle reloads: a key held
// by another record, a record count that no longer matches the dataset's, and a dataset
// change that ended no edit (a filter, a refresh), which may have changed any record.
void TkvDbDataProvider::WriteBackEdit() {
  TkvCustomDbDataController& c = *FController;
  TDataSet* ds = DataSet();
  const int r = EditedRecord < 0 && EditedRecordNew >= 0 ? EditedRecordNew : EditedRecord;
  const bool editEnded = EditWasPending;
  EditedRecord = kvNoRecord;
  EditedRecordNew = -1;
  EditedIsInsert = false;
  EditWasPending = false;
  if (!ds || !ds->Active()) return;
  // Mended: a reload put off while the edit was pending was dropped here when the record
  // alone was read back; it runs now that the edit is posted or cancelled.
  bool reload = true;
  if (editEnded && !c.ReloadPending() && ds->RecordCount() == c.GetRecordCount() && r != kvNoRecord && r >= 0 &&
      r < c.GetRecordCount() && c.FocusedRecordIndex() == r) {
    Variant stored;
    c.GetKeyValue(r, stored);
    TField* keyField = c.KeyField() ? c.KeyField()->DataField() : nullptr;
    const Variant current = keyField ? DataFieldValue(keyField) : Variant::Null();
    const int found = VariantsEqual(stored, current) ? r : c.LocateByKey(current);
    if (found == r || found == -1) {
      c.ReloadRecord(r);
      reload = false;
    }
  }
  if (reload) {
    ResetMarkers();
    c.Reload(false);
  }
  // The rows are filtered again. A record that its own edit took out of them stays the
  // dataset's current record, as outside key mode: the controller follows the dataset,
  // and only a change of its filter asks for a new focus.
  c.Info().DataChangedRequest();
  c.RequestUpdate(false);
}

void TkvDbDataProvider::EditStarted() {
  EditingRecord = true;
  TkvCustomDbDataControllerInfo& info = FController->Info();
  const int row = info.FocusedRow();
  InsertingRecord = row >= 0 ? info.GetRowRecord(row) : kvNoRecord;
  if (InsertingRecord < 0) {
    InsertingRecord = kvNoRecord;
    return;
  }
  AnchorBefore = AnchorAfter = kvNoRecord;
  if (row == info.RowCount() - 1) AnchorBefore = info.GetRowRecord(row > 0 ? row - 1 : row);
  else AnchorAfter = info.GetRowRecord(row + 1);
  if (!IsKeyMode()) {
    FController->Changed(dcmEditValues);
    return;
  }
  EditedRecord = InsertingRecord;
  EditedIsInsert = false;
  if (EditRecord == kvNoRecord) EditRecord = FController->Storage().AppendInternalRecord();
  FController->ReadRecord(InsertingRecord, EditRecord);
  FController->Changed(dcmEditValues);
}

void TkvDbDataProvider::RecordChanged(TField* field) {
  TkvCustomDbDataController& c = *FController;
  if (IsEditing()) SyncRecord();
  FModified = false;
  if (c.OnDataSetChange) {
    TkvRecordChange change(field);
    c.OnDataSetChange(&c, &change);
  }
}

int TkvDbDataProvider::MoveBy(int distance) {
  TDataSet* ds = DataSet();
  return ds ? ds->MoveBy(distance) : 0;
}

// The dataset's RecNo is read back: the provider follows where the dataset is, and the
// answer says whether it reached the record.
bool TkvDbDataProvider::SetRecNoTracked(int recNo) {
  TDataSet* ds = DataSet();
  if (!ds) return false;
  TkvFlagScope moving(MovingBy);
  ds->SetRecNo(recNo);
  const int now = ds->RecNo();
  if (now > 0) CurrentRecord = now - 1;
  FController->Refresh();
  FModified = false;
  return now == recNo;
}

void TkvDbDataProvider::SavePosition() {
  TDataSet* ds = DataSet();
  SavePos.Bookmark = ds->BookmarkAvailable() ? ds->Bookmark() : TBookmark();
  SavePos.ActiveRecord = ds->ActiveRecord();
  SavePos.Bof = ds->Bof();
  SavePos.Eof = ds->Eof();
  SavePos.BeforeScroll = std::move(ds->BeforeScroll);
  SavePos.AfterScroll = std::move(ds->AfterScroll);
  ds->BeforeScroll = nullptr;
  ds->AfterScroll = nullptr;
  SavePos.Parked = true;
}

void TkvDbDataProvider::RestorePosition() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  try {
    if (!SavePos.Bookmark.empty() && ds->BookmarkValid(SavePos.Bookmark)) {
      ds->GotoBookmark(SavePos.Bookmark);
      // The record goes back to its buffer of the window, so that the other links of the
      // dataset (a grid's rows) show what they showed: two moves, away and back, slide the
      // window as far as it needs (towards its end when the index grew, else its start).
      const int now = ds->ActiveRecord(), saved = SavePos.ActiveRecord;
      if (saved >= 0 && saved < ds->BufferCount() && now != saved) {
        const int away = now > saved ? ds->BufferCount() - 1 - saved : -saved;
        ds->MoveBy(-ds->MoveBy(away));
      }
      if (SavePos.Bof && !ds->Bof()) ds->Prior();
      if (SavePos.Eof) ds->Next();
    }
  } catch (const Exception&) {
    // Nothing is lost: only the cursor's place is. The dataset refused to go back (its
    // record went while the rows were read, or a move was refused) and stays on the
    // record the reading left it on; no value was changed, and the scroll handlers
    // below come back all the same.
  }
  if (SavePos.Parked) {
    ds->BeforeScroll = std::move(SavePos.BeforeScroll);
    ds->AfterScroll = std::move(SavePos.AfterScroll);
    SavePos.BeforeScroll = nullptr;
    SavePos.AfterScroll = nullptr;
    SavePos.Parked = false;
  }
}
