// Typed comparison of stored values: the data controller's fast path.
//
// A raw comparator compares two values of one value type where the record storage keeps
// them (TkvConstPlace), without making a Variant, and gives exactly the order of
// CompareVariants on the Variants the two places would give. A sort chooses one
// comparator per field before it starts; comparing then costs a load and a compare.
//
// Decisions that keep the order identical to CompareVariants:
//  - Null (no value) sorts first; two Nulls are equal;
//  - texts compare in the platform's text order (AnsiCompareStr), bytes breaking ties;
//    wide texts by their GBK text first, then by their UTF-16 units;
//  - Currency and decimal values compare by CompareVariants' number key (value as a
//    double, then its integer part), so values that key alike are equal here too.
#pragma once
#include <string_view>
#include "VCLSource/source/PosGrid/ukvDataManager.h"
#include "rtl/AnsiStringCase.h"

using TkvRawCompare = int (*)(TkvConstPlace, TkvConstPlace);

// The comparator for values of type t; never null (types without a raw form compare
// through CompareVariants on their Variants).
TkvRawCompare RawCompareFor(TkvValueTypeClass t);

// Compares two records' values of def (Null first) with a raw comparator.
inline int CompareStoredValues(const TkvValueDef* def, TkvRawCompare cmp, const TkvRecord* r1, const TkvRecord* r2) {
  TkvConstPlace p1, p2;
  const bool has1 = def->GetRecordPlace(r1, p1);
  const bool has2 = def->GetRecordPlace(r2, p2);
  if (!has1 || !has2) return has1 == has2 ? 0 : (has1 ? 1 : -1);
  return cmp(p1, p2);
}

// CompareVariants' key of a number: the value as a double, then its integer part.
struct TkvNumberKey {
  double D;
  int64_t I;
};
// The key of a stored number of type t; false when t is no number type kept in bytes.
bool StoredNumberKey(TkvValueTypeClass t, TkvConstPlace p, TkvNumberKey& key);
// The key of a Variant of the number group; false for any other value.
bool VariantNumberKey(const Variant& v, TkvNumberKey& key);
inline int CompareNumberKeys(const TkvNumberKey& a, const TkvNumberKey& b) {
  if (a.D < b.D) return -1;
  if (b.D < a.D) return 1;
  return a.I < b.I ? -1 : (a.I > b.I ? 1 : 0);
}
// Two texts in CompareVariants' order of two String values.
int CompareAnsiTexts(std::string_view a, std::string_view b);

// AnsiUpperTrail with a table of the lead bytes that have letters in front of it (made
// once from AnsiUpperTrail itself): Chinese text, the most of it, costs one look-up.
const bool* FoldingLeads();
inline unsigned char UpperTrail(const bool* foldingLeads, unsigned char lead, unsigned char trail) {
  return foldingLeads[lead] ? AnsiUpperTrail(lead, trail) : trail;
}
