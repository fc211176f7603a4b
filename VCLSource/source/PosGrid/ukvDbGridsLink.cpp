// TkwGridDataLink, the grid's own data link: the map from columns to dataset fields
// (found again by name when the fields moved), focusing a field's column and writing an
// edited cell back.
#include "VCLSource/source/PosGrid/ukvDbGridsLink.h"

#include <algorithm>
#include "db/DataSet.h"
#include "db/Field.h"

void RaiseGridError(const AnsiString& message) { throw EkwInvalidGridOperation(message); }

bool IsReadOnlyField(const TField* field) {
  if (!field) return false;
  if (field->ReadOnly()) return true;
  if (field->FieldKind() != fkLookup) return false;
  TDataSet* ds = field->DataSet();
  if (!ds) return true;
  const TField* key = ds->FindField(field->KeyFields());
  return !key || key->ReadOnly();
}

TkwGridDataLink::TkwGridDataLink(IkwColumnsGrid* grid) : FGrid(grid) { SetVisualControl(true); }

TkwGridDataLink::~TkwGridDataLink() { ClearMapping(); }

bool TkwGridDataLink::AddMapping(const AnsiString& fieldName) {
  if (FFieldCount >= FMaxMappings) RaiseGridError("Grid要求显示的列数大于了256。");
  TDataSet* ds = DataSet();
  TField* field = nullptr;
  if (ds) field = FSparseMap ? ds->FindField(fieldName) : ds->FieldByName(fieldName);
  if (FFieldCount == static_cast<int>(FFieldMap.size())) {
    size_t grown = FFieldMap.empty() ? 8 : FFieldMap.size() * 2;
    grown = std::max(grown, static_cast<size_t>(FFieldCount) + 1);
    grown = std::min(grown, static_cast<size_t>(FMaxMappings));
    FFieldMap.resize(grown);
  }
  Entry& e = FFieldMap[static_cast<size_t>(FFieldCount)];
  e.Index = field ? field->Index() : -1;
  e.Name = field ? field->FullName() : AnsiString();
  ++FFieldCount;
  if (field && FGrid) {
    if (TComponent* grid = FGrid->GridComponent()) field->FreeNotification(grid);
  }
  return true;
}

void TkwGridDataLink::ClearMapping() {
  FFieldMap.clear();
  FFieldCount = 0;
}

TField* TkwGridDataLink::Fields(int index) {
  if (index < 0 || index >= FFieldCount) return nullptr;
  Entry& e = FFieldMap[static_cast<size_t>(index)];
  TDataSet* ds = DataSet();
  if (e.Index < 0 || !ds) return nullptr;
  const TFields& fields = ds->Fields();
  if (e.Index < fields.Count()) {
    TField* f = fields[e.Index];
    if (SameText(f->FullName(), e.Name)) return f;
  }
  // The dataset's fields changed since the map was made: find the field again.
  TField* f = ds->FindField(e.Name);
  if (!f) return nullptr;
  e.Index = f->Index();
  return f;
}

bool TkwGridDataLink::DefaultFields() const {
  TDataSet* ds = DataSet();
  bool result = ds ? ds->DefaultFields() : true;
  if (FSparseMap && result)
    for (int i = 0; i < FFieldCount; ++i)
      if (FFieldMap[static_cast<size_t>(i)].Index == -1) return false;
  return result;
}

void TkwGridDataLink::Reset() {
  if (FModified) {
    // The grid reloads the editor from the field, so the typed text is discarded and
    // not written at the next post.
    if (FGrid) FGrid->RecordChanged(nullptr);
    FModified = false;
  } else if (TDataSet* ds = DataSet()) {
    ds->Cancel();
  }
}

void TkwGridDataLink::UpdateData() {
  FInUpdateData = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{FInUpdateData};
  // A write that fails keeps Modified, so the text is not taken as written.
  if (FModified && FGrid) FGrid->UpdateData();
  FModified = false;
}

void TkwGridDataLink::FocusControl(TField*& field) {
  if (!field || !FGrid) return;
  if (FGrid->FocusField(field)) {
    field = nullptr;
    FGrid->ShowEditor();
  }
}

void TkwGridDataLink::EditingChanged() {
  if (FGrid) FGrid->EditingChanged();
}
