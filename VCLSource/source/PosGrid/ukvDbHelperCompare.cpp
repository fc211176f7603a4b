// The raw comparators of stored values, one per value type, in exactly the order of
// CompareVariants (texts in the platform's order, numbers by their number key).
#include "VCLSource/source/PosGrid/ukvDbHelperCompare.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "VCLSource/source/PosGrid/xkxSystem.h"

namespace {

template <class T>
T Load(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class T>
int Cmp(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int64_t TruncClamped(double d) {
  if (d >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (d <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(d);
}

TkvNumberKey DoubleKey(double d) {
  if (std::isnan(d)) return {-std::numeric_limits<double>::infinity(), std::numeric_limits<int64_t>::min()};
  return {d, TruncClamped(d)};
}

TkvNumberKey ScaledKey(int64_t unscaled, int scale) {
  int64_t p = 1;
  for (int i = 0; i < scale; ++i) p *= 10;
  return {static_cast<double>(unscaled) / static_cast<double>(p), unscaled / p};
}

int CmpSmallint(TkvConstPlace a, TkvConstPlace b) { return Cmp(Load<int16_t>(a.Data), Load<int16_t>(b.Data)); }
int CmpInteger(TkvConstPlace a, TkvConstPlace b) { return Cmp(Load<int32_t>(a.Data), Load<int32_t>(b.Data)); }
int CmpWord(TkvConstPlace a, TkvConstPlace b) { return Cmp(Load<uint16_t>(a.Data), Load<uint16_t>(b.Data)); }
int CmpLargeInt(TkvConstPlace a, TkvConstPlace b) { return Cmp(Load<int64_t>(a.Data), Load<int64_t>(b.Data)); }
int CmpBoolean(TkvConstPlace a, TkvConstPlace b) { return Cmp(a.Data[0] != 0, b.Data[0] != 0); }
// Doubles and dates by their number key (a NaN keys as minus infinity).
int CmpDouble(TkvConstPlace a, TkvConstPlace b) {
  const double x = Load<double>(a.Data), y = Load<double>(b.Data);
  if (!std::isnan(x) && !std::isnan(y)) return Cmp(x, y);
  return CompareNumberKeys(DoubleKey(x), DoubleKey(y));
}
int CmpCurrency(TkvConstPlace a, TkvConstPlace b) {
  return CompareNumberKeys(ScaledKey(Load<int64_t>(a.Data), 4), ScaledKey(Load<int64_t>(b.Data), 4));
}
int CmpFMTBcd(TkvConstPlace a, TkvConstPlace b) {
  return CompareNumberKeys(ScaledKey(Load<int64_t>(a.Data), a.Data[8]), ScaledKey(Load<int64_t>(b.Data), b.Data[8]));
}
int CmpString(TkvConstPlace a, TkvConstPlace b) {
  const bool x = a.Cell->HasText(), y = b.Cell->HasText();
  if (!x || !y) return Cmp(x, y);
  return CompareAnsiTexts(a.Cell->Text(), b.Cell->Text());
}
int CmpWideString(TkvConstPlace a, TkvConstPlace b) {
  const WideString* x = a.Cell->Wide();
  const WideString* y = b.Cell->Wide();
  if (!x || !y) return Cmp(y == nullptr, x == nullptr);
  if (*x == *y) return 0;
  const int c = CompareAnsiTexts(WideToGbk(*x), WideToGbk(*y));
  return c != 0 ? c : Cmp(*x, *y);
}

}  // namespace

// AnsiCompareStr's answer, found from the first byte where the texts differ: equal
// bytes fold alike and keep the character boundaries of both texts in step, so only the
// character holding that byte decides: a lead byte by its raw value (lead bytes never
// fold), a trail byte and a single byte by their upper-case forms, as AnsiUpperCase
// folds them (double-byte letters too). When the two differ only in case the rest
// decides, and AnsiCompareStr itself carries on.
namespace {
// The lead bytes AnsiCompareStr goes by (code page 936).
struct LeadTable {
  bool Lead[256];
  LeadTable() {
    for (int b = 0; b < 256; ++b) Lead[b] = IsLeadByte(static_cast<unsigned char>(b));
  }
};
const LeadTable& Leads() {
  static const LeadTable t;
  return t;
}
}  // namespace

const bool* FoldingLeads() {
  static const struct Table {
    bool Lead[256] = {};
    Table() {
      for (int l = 0x81; l <= 0xFE; ++l)
        for (int t = 0x40; t <= 0xFE; ++t)
          if (AnsiUpperTrail(static_cast<unsigned char>(l), static_cast<unsigned char>(t)) != t) Lead[l] = true;
    }
  } table;
  return table.Lead;
}

int CompareAnsiTexts(std::string_view a, std::string_view b) {
  const bool* lead = Leads().Lead;
  const size_t n = std::min(a.size(), b.size());
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a.data());
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b.data());
  size_t i = 0;
  while (i < n && x[i] == y[i]) ++i;
  if (i == n) return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
  // Where the character holding byte i starts (the bytes before i are equal).
  size_t start = 0;
  while (true) {
    const size_t len = lead[x[start]] && start + 1 < a.size() ? 2 : 1;
    if (start + len > i) break;
    start += len;
  }
  int ux, uy;
  if (start < i) {
    // The trail bytes of one lead.
    const bool* folding = FoldingLeads();
    ux = UpperTrail(folding, x[start], x[i]);
    uy = UpperTrail(folding, x[start], y[i]);
  } else if (lead[x[start]] && start + 1 < a.size()) {
    return x[i] < y[i] ? -1 : 1;
  } else {
    ux = (x[i] >= 'a' && x[i] <= 'z') ? x[i] - 32 : x[i];
    uy = (y[i] >= 'a' && y[i] <= 'z') ? y[i] - 32 : y[i];
  }
  if (ux != uy) return ux < uy ? -1 : 1;
  const int c = AnsiCompareStr(a, b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

TkvRawCompare RawCompareFor(TkvValueTypeClass t) {
  if (t == TkvStringValueTypeClass()) return CmpString;
  if (t == TkvWideStringValueTypeClass()) return CmpWideString;
  if (t == TkvSmallintValueTypeClass()) return CmpSmallint;
  if (t == TkvIntegerValueTypeClass()) return CmpInteger;
  if (t == TkvWordValueTypeClass()) return CmpWord;
  if (t == TkvBooleanValueTypeClass()) return CmpBoolean;
  if (t == TkvFloatValueTypeClass() || t == TkvDateTimeValueTypeClass()) return CmpDouble;
  if (t == TkvCurrencyValueTypeClass()) return CmpCurrency;
  if (t == TkvLargeIntValueTypeClass()) return CmpLargeInt;
  if (t == TkvFMTBcdValueTypeClass()) return CmpFMTBcd;
  // The Variant type (and the base): its own comparison is CompareVariants already.
  return [](TkvConstPlace a, TkvConstPlace b) -> int {
    const Variant* x = a.Cell->HeldVariant();
    const Variant* y = b.Cell->HeldVariant();
    const Variant nul = Variant::Null();
    return CompareVariants(x ? *x : nul, y ? *y : nul);
  };
}

bool StoredNumberKey(TkvValueTypeClass t, TkvConstPlace p, TkvNumberKey& key) {
  if (t == TkvSmallintValueTypeClass()) key = {double(Load<int16_t>(p.Data)), Load<int16_t>(p.Data)};
  else if (t == TkvIntegerValueTypeClass()) key = {double(Load<int32_t>(p.Data)), Load<int32_t>(p.Data)};
  else if (t == TkvWordValueTypeClass()) key = {double(Load<uint16_t>(p.Data)), Load<uint16_t>(p.Data)};
  else if (t == TkvLargeIntValueTypeClass()) key = {double(Load<int64_t>(p.Data)), Load<int64_t>(p.Data)};
  else if (t == TkvFloatValueTypeClass() || t == TkvDateTimeValueTypeClass()) key = DoubleKey(Load<double>(p.Data));
  else if (t == TkvCurrencyValueTypeClass()) key = ScaledKey(Load<int64_t>(p.Data), 4);
  else if (t == TkvFMTBcdValueTypeClass()) key = ScaledKey(Load<int64_t>(p.Data), p.Data[8]);
  else return false;
  return true;
}

bool VariantNumberKey(const Variant& v, TkvNumberKey& key) {
  if (v.IsArray()) return false;
  switch (v.VType()) {
    case varNull: case varEmpty: case varBoolean: case varString: case varOleStr: return false;
    case varSingle: case varDouble: case varDate: key = DoubleKey(v.RawDouble()); return true;
    case varCurrency: key = ScaledKey(v.RawInt(), 4); return true;
    case varFMTBcd: key = ScaledKey(v.RawInt(), v.RawScale()); return true;
    default: key = {static_cast<double>(v.RawInt()), v.RawInt()}; return true;
  }
}
