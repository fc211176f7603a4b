// Data sources and data links: delivery of the dataset's notices and the link window.
#include "db/DataLink.h"

#include <algorithm>

// --- TDataSource ---------------------------------------------------------------------------

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
  Destroying();
  // No events from a source being destroyed: their handlers' owners may be gone already.
  OnStateChange = nullptr;
  OnDataChange = nullptr;
  OnUpdateData = nullptr;
  while (!FLinks.empty()) FLinks.back()->SetDataSource(nullptr);
  SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* value) {
  if (value == FDataSet) return;
  if (FDataSet != nullptr) {
    FDataSet->RemoveFreeNotification(this);
    FDataSet->RemoveDataSource(this);
  }
  FDataSet = value;
  if (FDataSet != nullptr) {
    FDataSet->FreeNotification(this);
    FDataSet->AddDataSource(this);
  }
  UpdateState();
}

void TDataSource::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateState();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) {
    FDataSet->RemoveDataSource(this);
    FDataSet = nullptr;
    UpdateState();
  }
}

void TDataSource::UpdateState() {
  const TDataSetState s = (FEnabled && FDataSet != nullptr) ? FDataSet->State() : dsInactive;
  if (s != FState) {
    FState = s;
    for (TDataLink* l : std::vector<TDataLink*>(FLinks)) l->UpdateState();
    if (OnStateChange) OnStateChange(this);
  } else {
    for (TDataLink* l : std::vector<TDataLink*>(FLinks)) l->UpdateState();
  }
}

void TDataSource::Edit() {
  if (FAutoEdit && FDataSet != nullptr && FState == dsBrowse) FDataSet->Edit();
}

void TDataSource::AddDataLink(TDataLink* link) {
  FLinks.push_back(link);
  if (FDataSet != nullptr) FDataSet->UpdateBufferCount();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
  FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
  if (FDataSet != nullptr) FDataSet->UpdateBufferCount();
}

void TDataSource::DataEvent(TDataEvent event, intptr_t info, bool controlsDisabled) {
  if (!FEnabled) return;
  if (event == deUpdateState) {
    const TDataSetState s = FDataSet != nullptr ? FDataSet->State() : dsInactive;
    if (s != FState) {
      FState = s;
      if (OnStateChange) OnStateChange(this);
    }
  }
  // Non-visual links first, then visual ones (these not while controls are disabled). A
  // link removed by an earlier link's reaction is skipped.
  const std::vector<TDataLink*> links = FLinks;
  for (int pass = 0; pass < 2; ++pass) {
    const bool visual = pass == 1;
    if (visual && controlsDisabled) break;
    for (TDataLink* l : links) {
      if (l->VisualControl() != visual) continue;
      if (std::find(FLinks.begin(), FLinks.end(), l) == FLinks.end()) continue;
      l->DataEvent(event, info);
    }
  }
  if (controlsDisabled) return;
  switch (event) {
    case deFieldChange:
      if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(info));
      break;
    case deRecordChange: case deDataSetChange: case deDataSetScroll: case deLayoutChange:
      if (OnDataChange) OnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default:
      break;
  }
}

// --- TDataLink -----------------------------------------------------------------------------

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (FDataSource != nullptr) {
    FDataSource->RemoveDataLink(this);
    FDataSource = nullptr;
  }
}

TDataSet* TDataLink::DataSet() const {
  return FDataSource != nullptr ? FDataSource->DataSet() : nullptr;
}

void TDataLink::SetDataSource(TDataSource* value) {
  if (value == FDataSource) return;
  if (FDataSource != nullptr) FDataSource->RemoveDataLink(this);
  FDataSource = value;
  if (FDataSource != nullptr) FDataSource->AddDataLink(this);
  UpdateState();
}

void TDataLink::SetReadOnly(bool value) {
  if (value == FReadOnly) return;
  FReadOnly = value;
  UpdateState();
}

void TDataLink::UpdateState() {
  TDataSet* ds = DataSet();
  const bool active = FDataSource != nullptr && FDataSource->Enabled() && ds != nullptr &&
                      ds->Active();
  if (active != FActive) {
    FActive = active;
    if (active) {
      FFirstRecord = 0;
      UpdateRange(0);
    }
    ActiveChanged();
  }
  const TDataSetState s = ds != nullptr ? ds->State() : dsInactive;
  const bool editing = FActive && !FReadOnly && (s == dsEdit || s == dsInsert || s == dsSetKey);
  if (editing != FEditing) {
    FEditing = editing;
    EditingChanged();
  }
}

int TDataLink::UpdateRange(int slide) {
  TDataSet* ds = DataSet();
  if (ds == nullptr || !FActive) return 0;
  const int oldFirst = FFirstRecord;
  int first = FFirstRecord - slide;
  const int count = ds->BufferRecordCount();
  const int active = ds->ActiveRecord();
  first = std::min(first, std::max(0, count - FBufferCount));
  if (active < first) first = active;
  if (active > first + FBufferCount - 1) first = active - FBufferCount + 1;
  first = std::max(first, 0);
  FFirstRecord = first;
  return slide + (first - oldFirst);
}

int TDataLink::ActiveRecord() const {
  TDataSet* ds = DataSet();
  if (ds == nullptr || !FActive) return 0;
  return ds->ActiveRecord() - FFirstRecord;
}

void TDataLink::SetActiveRecord(int value) {
  TDataSet* ds = DataSet();
  if (ds != nullptr && FActive) ds->SetActiveRecord(value + FFirstRecord);
}

void TDataLink::SetBufferCount(int value) {
  if (value < 1) value = 1;
  if (value == FBufferCount) return;
  FBufferCount = value;
  if (TDataSet* ds = DataSet()) {
    ds->UpdateBufferCount();
    UpdateRange(0);
  }
}

int TDataLink::RecordCount() const {
  TDataSet* ds = DataSet();
  if (ds == nullptr || !FActive) return 0;
  return std::clamp(ds->BufferRecordCount() - FFirstRecord, 0, FBufferCount);
}

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource != nullptr) FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord() {
  FUpdating = true;
  try {
    UpdateData();
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

int TDataLink::MoveBy(int distance) {
  TDataSet* ds = DataSet();
  return ds != nullptr ? ds->MoveBy(distance) : 0;
}

void TDataLink::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!FUpdating) RecordChanged(event == deFieldChange ? reinterpret_cast<TField*>(info) : nullptr);
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      int distance = 0;
      if (DataSet()->State() != dsSetKey)
        distance = UpdateRange(event == deDataSetScroll ? static_cast<int>(info) : 0);
      if (event == deDataSetChange)
        DataSetChanged();
      else if (event == deDataSetScroll)
        DataSetScrolled(distance);
      else
        LayoutChanged();
      break;
    }
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl: {
      TField** field = reinterpret_cast<TField**>(info);
      if (field != nullptr && *field != nullptr) FocusControl(*field);
      break;
    }
    default:
      break;
  }
}
