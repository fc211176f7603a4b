// The drop-down value list of a column filter: leading entries and their separator,
// the fixed entries, then the column's distinct values in sorted order.
#include "VCLSource/source/PosGrid/ukvFilter.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {
constexpr uint8_t kLeading = 6, kSeparator = 7, kValue = 5;
}

int TkvFilterValueList::FirstOfKind(uint8_t kind) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[static_cast<size_t>(i)].Kind == kind) return i;
  return -1;
}

int TkvFilterValueList::Compare(int index, const Variant& value, const AnsiString& displayText) {
  const TkvFilterValueItem& e = FItems[static_cast<size_t>(index)];
  if (FSortByDisplayText) {
    if (FCriteria->Options() & fcoCaseInsensitive)
      return AnsiCompareStr(AnsiUpperCase(e.DisplayText), AnsiUpperCase(displayText));
    return AnsiCompareStr(e.DisplayText, displayText);
  }
  Variant a, b;
  FCriteria->PrepareOperand(e.Value, a);
  FCriteria->PrepareOperand(value, b);
  return CompareVariants(a, b);
}

bool TkvFilterValueList::Find(const Variant& value, const AnsiString& displayText, int& index) {
  // Leading entries, one by one.
  int i = 0;
  for (; i < Count() && FItems[static_cast<size_t>(i)].Kind == kLeading; ++i) {
    if (Compare(i, value, displayText) == 0) {
      index = i;
      return true;
    }
  }
  // The values, by bisection.
  int low = FirstOfKind(kValue);
  if (low < 0) low = Count();
  int high = Count() - 1;
  while (low <= high) {
    const int mid = low + (high - low) / 2;
    const int c = Compare(mid, value, displayText);
    if (c == 0) {
      index = mid;
      return true;
    }
    if (c < 0)
      low = mid + 1;
    else
      high = mid - 1;
  }
  index = low;
  return false;
}

void TkvFilterValueList::Add(uint8_t kind, const Variant& value, const AnsiString& displayText, bool addAtEnd) {
  TkvFilterValueItem item{kind, value, displayText};
  if (kind == kLeading) {
    int run = 0;
    while (run < Count() && FItems[static_cast<size_t>(run)].Kind == kLeading) ++run;
    if (run >= Count() || FItems[static_cast<size_t>(run)].Kind != kSeparator) {
      FItems.insert(FItems.begin(), TkvFilterValueItem{kSeparator, Variant::Null(), AnsiString()});
      run = 0;
    }
    FItems.insert(FItems.begin() + run, std::move(item));
    return;
  }
  if (kind != kValue) {
    const int first = FirstOfKind(kValue);
    FItems.insert(first < 0 ? FItems.end() : FItems.begin() + first, std::move(item));
    return;
  }
  if (addAtEnd) {
    FItems.push_back(std::move(item));
    return;
  }
  if (FCriteria->MaxValueListCount() != 0 && Count() >= FCriteria->MaxValueListCount()) return;
  int index = 0;
  if (Find(value, displayText, index)) return;
  FItems.insert(FItems.begin() + index, std::move(item));
}

int TkvFilterValueList::ItemIndexOf(TkvFilterCriteriaItem* item) {
  if (!item) return -1;
  if (item->IsNull(item->Value())) {
    if (item->OperatorKind() == foEqual) return FirstOfKind(2);
    if (item->OperatorKind() == foNotEqual) return FirstOfKind(3);
  }
  if (item->OperatorKind() == foEqual && item->Parent() == &FCriteria->Root()) {
    int index = 0;
    if (Find(item->Value(), item->DisplayValue(), index)) return index;
    return FirstOfKind(0);
  }
  return FirstOfKind(1);
}
