// The typed comparator of one field of the record storage, for any caller that sorts
// or searches data records by that field.
//
// It gives exactly the order of CompareVariants on the two records' values (GetValue),
// Null first, without making a Variant: the comparison of the field's value type is
// chosen once, and each comparison then reads the two values where the records keep
// them. The storage and the definition must outlive the comparator; records may change
// between comparisons (nothing of them is cached).
#pragma once
#include "VCLSource/source/PosGrid/ukvDataManager.h"
#include "VCLSource/source/PosGrid/ukvDbHelperCompare.h"

class TkvRecordComparator {
 public:
  // def: a data definition of storage.
  TkvRecordComparator(const TkvDataStorage& storage, const TkvValueDef* def)
      : FStorage(storage), FDef(def), FCompare(RawCompareFor(def->ValueType())) {}

  // Negative, 0 or positive as data record index1's value sorts before, with or after
  // index2's; the index error for an index outside the data records.
  int operator()(int index1, int index2) const {
    return CompareStoredValues(FDef, FCompare, FStorage.DataRecordAt(index1), FStorage.DataRecordAt(index2));
  }
  // A strict weak order for std::sort and std::stable_sort.
  bool Less(int index1, int index2) const { return (*this)(index1, index2) < 0; }

 private:
  const TkvDataStorage& FStorage;
  const TkvValueDef* FDef;
  TkvRawCompare FCompare;
};
