// The data-aware editor's links to its datasets.
#include "VCLSource/source/PosGrid/ukvDbEditerLink.h"

#include "VCLSource/source/PosGrid/ukvDbHelperGuards.h"
#include "db/DataSet.h"

void TkwLookupSourceLink::DataChange(TField* Field) {
  if (OnDataChange) OnDataChange(Field);
}

void TkwLookupSourceLink::FieldsChange() {
  if (OnFieldsChange) OnFieldsChange(this);
}

void TkwLookupSourceLink::ActiveChanged() {
  FieldsChange();
  DataChange(nullptr);
}

void TkwLookupSourceLink::DataSetChanged() { DataChange(nullptr); }

void TkwLookupSourceLink::LayoutChanged() { FieldsChange(); }

void TkwLookupSourceLink::RecordChanged(TField* Field) { DataChange(Field); }

TField* LinkField(const TDataLink& link, const AnsiString& name) {
  if (!link.Active() || name.empty()) return nullptr;
  TDataSet* ds = link.DataSet();
  return ds ? ds->FindField(name) : nullptr;
}

bool LocateKey(TDataSet* ds, const AnsiString& keyFieldNames, const Variant& value) {
  if (!ds) return false;
  TkvControlsScope controls(ds);
  return !value.IsNull() && ds->Active() && ds->Locate(keyFieldNames, value, 0);
}
