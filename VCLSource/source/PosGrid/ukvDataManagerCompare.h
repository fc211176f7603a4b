// The typed comparator of one field of the record storage, for any caller that sorts
// or searches data records by that field.
//
// It gives exactly the order of CompareVariants on the two records' values (GetValue),
// Null first, without making a Variant: the comparison of the field's value type is
// chosen once. Where the type allows, the comparator takes a typed copy of the field
// when it is made (the data controller's column copy: values in record order, texts
// with their sort keys), so that a sort reads compact keys instead of walking records;
// other types read the values where the records keep them. The storage and the
// definition must outlive the comparator, and the records must not change while it is
// used (it is made for one sort or search).
#pragma once
#include "VCLSource/source/PosGrid/ukvDataManager.h"
#include "VCLSource/source/PosGrid/ukvDbHelperColumns.h"
#include "VCLSource/source/PosGrid/ukvDbHelperCompare.h"

class TkvRecordComparator {
 public:
  // def: a data definition of storage.
  TkvRecordComparator(TkvDataStorage& storage, const TkvValueDef* def)
      : FStorage(storage),
        FCompare(RawCompareFor(def->ValueType())),
        FOffset(static_cast<size_t>(def->Offset())),
        FCell(static_cast<size_t>(def->CellOffset())),
        FStored(def->IsStored()),
        FUsesCell(def->ValueType()->UsesCell()) {
    FCopied = FStored && FCopy.Refresh(storage, def);
    if (FCopied) FCopy.MakeSortKeys();
  }

  // Negative, 0 or positive as data record index1's value sorts before, with or after
  // index2's; the index error for an index outside the data records.
  int operator()(int index1, int index2) const {
    if (FCopied) {
      if (static_cast<unsigned>(index1) >= static_cast<unsigned>(FCopy.Count()) ||
          static_cast<unsigned>(index2) >= static_cast<unsigned>(FCopy.Count()))
        RaiseRecordIndexError();
      return FCopy.Compare(FCompare, index1, index2);
    }
    TkvConstPlace p1, p2;
    const bool has1 = PlaceOf(FStorage.DataRecordAt(index1), p1);
    const bool has2 = PlaceOf(FStorage.DataRecordAt(index2), p2);
    if (!has1 || !has2) return has1 == has2 ? 0 : (has1 ? 1 : -1);
    return FCompare(p1, p2);
  }
  // A strict weak order for std::sort and std::stable_sort.
  bool Less(int index1, int index2) const { return (*this)(index1, index2) < 0; }

 private:
  // TkvValueDef::GetRecordPlace with the definition's layout read once.
  bool PlaceOf(const TkvRecord* r, TkvConstPlace& p) const {
    if (!r || !FStored || r->Bytes()[FOffset] == 0) return false;
    p = TkvConstPlace(r->Bytes() + FOffset + 1, FUsesCell ? r->Cells() + FCell : nullptr);
    return true;
  }
  const TkvDataStorage& FStorage;
  TkvRawCompare FCompare;
  size_t FOffset, FCell;
  bool FStored, FUsesCell;
  TkvColumnCopy FCopy;
  bool FCopied = false;
};
