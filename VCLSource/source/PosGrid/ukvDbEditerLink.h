// The data-aware editor's links to its datasets, apart from its window:
//  - TkwLookupSourceLink turns a dataset's notices into two handlers, one for data (a
//    record or a field changed, the dataset scrolled or opened) and one for the field
//    list (opened, closed, laid out again);
//  - LinkField finds a field of a link's dataset by name, and gives none when the link is
//    not active or the name is empty or unknown (closing a lookup dataset, or a column
//    without a list field, is no error);
//  - LocateKey moves a lookup dataset to a key value with its controls disabled for the
//    search only, whatever the search raises.
#pragma once
#include <functional>

#include "db/DataLink.h"
#include "rtl/AnsiString.h"
#include "rtl/Variant.h"

class TkwLookupSourceLink : public TDataLink {
 public:
  TkwLookupSourceLink() { SetVisualControl(true); }

  // The changed field, or none when the whole record (or dataset) changed.
  std::function<void(TField* Field)> OnDataChange;
  std::function<void(TkwLookupSourceLink* Link)> OnFieldsChange;

 protected:
  // Fields first, then data: the handler of the data finds the fields of the new state.
  void ActiveChanged() override;
  void DataSetChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;

 private:
  void DataChange(TField* Field);
  void FieldsChange();
};

// The field named name in the link's dataset; none unless the link is active and the
// name is not empty, and none for an unknown name.
TField* LinkField(const TDataLink& link, const AnsiString& name);

// Locates value in keyFieldNames of ds (no options) with its controls disabled for the
// search; false without a dataset, when it is closed, for Null or when not found. A
// search that raises leaves the controls enabled again and raises on.
bool LocateKey(TDataSet* ds, const AnsiString& keyFieldNames, const Variant& value);
