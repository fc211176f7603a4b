// Footer summaries: one total of one field over the rows, its rounding and its footer
// text.
#include "VCLSource/source/PosGrid/ukvDbHelperSummary.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "rtl/DateTime.h"
#include "rtl/FormatSettings.h"
#include "rtl/NumberFormat.h"

AnsiString CurrencyNumberFormat() {
  AnsiString s = ",0.";
  s += AnsiString(static_cast<size_t>(std::max(FormatSettings.CurrencyDecimals, 0)), '0');
  AnsiString sym;
  for (char c : FormatSettings.CurrencyString) {
    if (c == ',' || c == '.') {
      sym += '\'';
      sym += c;
      sym += '\'';
    } else {
      sym += c;
    }
  }
  if (sym.empty()) return s;
  switch (FormatSettings.CurrencyFormat) {
    case 1: return s + sym;
    case 2: return sym + " " + s;
    case 3: return s + " " + sym;
    default: return sym + s;
  }
}

int FormatDecimals(std::string_view format) {
  // The first section only; quoted text is literal.
  int places = 0;
  bool afterPoint = false;
  char quote = 0;
  for (char c : format) {
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') quote = c;
    else if (c == ';') break;
    else if (c == '.') afterPoint = true;
    else if (afterPoint && (c == '0' || c == '#')) ++places;
    else if (afterPoint && (c == 'E' || c == 'e')) break;
  }
  return places;
}

namespace {

bool IsDate(const Variant& v) { return !v.IsArray() && v.VType() == varDate; }
bool IsText(const Variant& v) { return !v.IsArray() && (v.VType() == varString || v.VType() == varOleStr); }

// The value a sum or an average takes: numbers as they are, Booleans as 1 or 0, texts
// that read as numbers; Null (left out) for anything else.
Variant Addend(const Variant& v) {
  if (v.IsNull() || v.IsEmpty() || v.IsArray()) return Variant::Null();
  if (v.VType() == varBoolean) return Variant(v.AsBoolean() ? 1 : 0);
  if (IsText(v)) {
    try {
      return VarAsType(v, varDouble);
    } catch (const Exception&) {
      return Variant::Null();
    }
  }
  return v;
}

// Half away from zero on the value's 15 significant digits.
double RoundPlaces(double d, int places) {
  if (!std::isfinite(d)) return d;
  char digits[40];
  std::snprintf(digits, sizeof digits, "%.15g", d);
  const double exact = std::strtod(digits, nullptr);
  const double p = std::pow(10.0, places);
  const double r = std::round(exact * p) / p;
  return r == 0 ? 0 : r;
}

}  // namespace

TkvSummary::TkvSummary(TkvCustomDbDataControllerInfo* owner, TkvDbField* field, TkvSummaryKind kind)
    : FOwner(owner), FField(field), FKind(kind), FValue(0) {}

bool TkvSummary::IsCurrencyValue(TVarType varType) const {
  if (FField) return FField->Currency();
  return IsCurrencyVarType(varType);
}

int TkvSummary::FormatType(const Variant& v) const {
  const TVarType t = v.IsArray() ? static_cast<TVarType>(varArray) : v.VType();
  if (IsCurrencyValue(t)) return 1;
  return t == varDate ? 2 : 0;
}

AnsiString TkvSummary::GetDefaultDisplayFormat(int formatType, TkvSummaryKind kind) const {
  static const char* const kCurrency[] = {"", "%s;-%s", "MIN=%s;MIN=-%s", "MAX=%s;MAX=-%s", "0", "AVG=%s;AVG=-%s"};
  static const char* const kDate[] = {"", "", "MIN=", "MAX=", "0", "AVG="};
  static const char* const kNumber[] = {"", "0.00;-0.00", "MIN=0.00;MIN=-0.00", "MAX=0.00;MAX=-0.00", "0",
                                        "AVG=0.00;AVG=-0.00"};
  if (kind == skNone) return AnsiString();
  if (formatType == 1) {
    if (kind == skCount) return "0";
    const AnsiString f = CurrencyNumberFormat();
    return Format(kCurrency[kind], {f, f});
  }
  return formatType == 2 ? kDate[kind] : kNumber[kind];
}

void TkvSummary::Reset() {
  FValue = Variant(0);
  AverageSum = Variant(0);
  AverageCount = 0;
}

Variant TkvSummary::Rounded(const Variant& v) const {
  if (FDisplayFormat.empty() || IsDate(v) || FKind == skCount || v.IsNull()) return v;
  return Variant(RoundPlaces(v.AsDouble(), FormatDecimals(FDisplayFormat)));
}

void TkvSummary::Accumulate(const Variant& v) {
  switch (FKind) {
    case skNone: return;
    case skSum: {
      const Variant a = Addend(v);
      if (!a.IsNull()) FValue = FValue + Rounded(a);
      return;
    }
    case skMin:
    case skMax: {
      // The first row's value is taken as it is, a Null too: rows that are all Null have
      // no minimum, and the footer shows none (not the 0 of Reset). Later Nulls are left
      // out; the first value that is not Null takes the place of a Null.
      if (AverageCount++ == 0 || FValue.IsNull()) {
        FValue = v;
        return;
      }
      if (v.IsNull()) return;
      const int c = CompareVariants(v, FValue);
      if (FKind == skMin ? c < 0 : c > 0) FValue = v;
      return;
    }
    case skCount: FValue = Variant(Ordinal); return;
    case skAverage: {
      const Variant a = Addend(v);
      if (a.IsNull()) return;
      AverageSum = AverageSum + Rounded(a);
      ++AverageCount;
      FValue = Variant(AverageSum.AsDouble() / AverageCount);
      return;
    }
  }
}

Variant TkvSummary::GetValue() {
  FOwner->ApplyIfNeeded();
  return FValue;
}

AnsiString TkvSummary::GetText() {
  FOwner->ApplyIfNeeded();
  AnsiString t;
  GetDisplayText(FValue, t);
  return t;
}

void TkvSummary::SetDisplayFormat(const AnsiString& format) {
  if (format == FDisplayFormat) return;
  FDisplayFormat = format;
  FOwner->SummariesRequest();
}

void TkvSummary::GetDisplayText(const Variant& v, AnsiString& text) {
  if (v.IsNull()) {
    text.clear();
  } else if (FKind == skNone) {
    text = VarToStr(v);
  } else if (IsDate(v) && FKind != skCount) {
    const double d = v.AsDouble();
    if (!FDisplayFormat.empty()) {
      text = FormatDateTime(FDisplayFormat, d);
    } else {
      const AnsiString prefix = GetDefaultDisplayFormat(2, FKind);
      if (d - std::trunc(d) == 0) text = prefix + DateToStr(d);
      else if (std::trunc(d) != 0) text = prefix + DateTimeToStr(d);
      else text = prefix + TimeToStr(d);
    }
  } else {
    const AnsiString f = FDisplayFormat.empty() ? GetDefaultDisplayFormat(FormatType(v), FKind) : FDisplayFormat;
    try {
      text = FormatFloat(f, v.AsDouble());
    } catch (const Exception&) {
      text.clear();
    }
  }
  if (OnGetText) OnGetText(this, v, text);
}

// --- recalculation (the Info's) --------------------------------------------------------------------

namespace {

// Totals read straight from the stored values when the field has no formula, the
// summary does not round, and the value type is a plain number: the same results as
// the Variant path, without a Variant per row.
bool FastTotal(TkvCustomDbDataController& c, TkvSummary& s, const std::vector<int>& rows) {
  TkvDbField* f = s.Field();
  if (!f || !f->ValueDef() || !s.DisplayFormat().empty()) return false;
  if (s.Kind() == skCount) {
    s.SetValue(Variant(static_cast<int>(rows.size())));
    return true;
  }
  const TkvColumnCopy* copy = c.ColumnCopy(f);
  if (!copy) return false;
  const TkvValueTypeClass t = f->ValueType();
  const bool isInt = t == TkvIntegerValueTypeClass() || t == TkvSmallintValueTypeClass() || t == TkvWordValueTypeClass();
  const bool isFloat = t == TkvFloatValueTypeClass();
  switch (s.Kind()) {
    case skSum: {
      if (isInt) {
        int64_t sum = 0;
        bool wide = false;  // the Variant sum turns Int64 once past 32 bits and stays so
        for (int r : rows) {
          if (!copy->Has(r)) continue;
          TkvNumberKey k;
          StoredNumberKey(t, copy->Place(r), k);
          sum += k.I;
          if (sum > INT32_MAX || sum < INT32_MIN) wide = true;
        }
        s.SetValue(wide ? Variant(static_cast<long long>(sum)) : Variant(static_cast<int>(sum)));
        return true;
      }
      if (isFloat) {
        bool any = false;
        double sum = 0;
        for (int r : rows) {
          if (!copy->Has(r)) continue;
          const uint64_t bits = copy->Bits(r);
          double d;
          std::memcpy(&d, &bits, sizeof d);
          sum = any ? sum + d : 0 + d;
          any = true;
        }
        s.SetValue(any ? Variant(sum) : Variant(0));
        return true;
      }
      return false;
    }
    case skMin:
    case skMax: {
      const TkvRawCompare cmp = RawCompareFor(t);
      int best = -1;
      const bool min = s.Kind() == skMin;
      for (int r : rows) {
        if (!copy->Has(r)) continue;
        if (best < 0) {
          best = r;
          continue;
        }
        const int cr = cmp(copy->Place(r), copy->Place(best));
        if (min ? cr < 0 : cr > 0) best = r;
      }
      // No row: Reset's 0; rows that are all Null: no value (as the row-by-row path).
      Variant v = rows.empty() ? Variant(0) : Variant::Null();
      if (best >= 0) c.Storage().GetValue(best, f->ValueDef(), v);
      s.SetValue(v);
      return true;
    }
    default: return false;
  }
}

}  // namespace

void TkvCustomDbDataControllerInfo::RecalculateSummaries() {
  TkvCustomDbDataController& c = *FController;
  std::vector<TkvSummary*> slow;
  for (auto& s : FSummaries) {
    s->Reset();
    if (!FastTotal(c, *s, FRows)) slow.push_back(s.get());
  }
  if (slow.empty()) return;
  Variant v;
  for (size_t i = 0; i < FRows.size(); ++i) {
    for (TkvSummary* s : slow) {
      s->Ordinal = static_cast<int>(i) + 1;
      c.GetFieldValue(FRows[i], s->Field(), v);
      s->Accumulate(v);
    }
  }
}
