// The filter operators: evaluation, filter text, display values and captions.
#include <cmath>
#include "VCLSource/source/PosGrid/ukvFilter.h"
#include "VCLSource/source/PosGrid/ukvFilterConst.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

std::function<TDateTime()> kvFilterToday = [] { return Date(); };
std::function<void(AnsiString& caption)> kvGetFilterCaption;

namespace {

AnsiString Caption(int id) {
  AnsiString s = kvFilterLoadStr(id);
  if (kvGetFilterCaption) kvGetFilterCaption(s);
  return s;
}

int ArrayCount(const Variant& v) { return v.IsArray() ? static_cast<int>(v.ArrayData()->Items.size()) : -1; }
const Variant& Element(const Variant& v, int i) { return v.ArrayData()->Items[static_cast<size_t>(i)]; }

// Splits at sep, trimming each part.
std::vector<AnsiString> SplitTrim(const AnsiString& s, char sep) {
  std::vector<AnsiString> parts;
  size_t start = 0;
  for (;;) {
    const size_t p = s.find(sep, start);
    parts.push_back(Trim(s.substr(start, p == AnsiString::npos ? AnsiString::npos : p - start)));
    if (p == AnsiString::npos) break;
    start = p + 1;
  }
  return parts;
}

class EqualOp : public TkvFilterOperator {
 public:
  using TkvFilterOperator::TkvFilterOperator;
  bool Evaluate(const Variant& value, const Variant& operand) override { return CompareVariants(value, operand) == 0; }
  void GetWord(AnsiString& s) override { s = "="; }
  void GetCaption(AnsiString& s) override { s = Caption(SkvFilterEqual); }
  bool NeedsTranslation() override { return Item()->Value().IsArray(); }
  // Equal over several fields: "(A = 1) AND (B = 'x')", pairing names and values up
  // to the shorter of the two lists.
  void GetTranslatedText(const Variant& v, AnsiString& s) override {
    AnsiString names;
    Item()->GetFieldName(names);
    const std::vector<AnsiString> fields = SplitTrim(names, ';');
    const int n = std::min(static_cast<int>(fields.size()), std::max(ArrayCount(v), 0));
    s.clear();
    for (int i = 0; i < n; ++i) {
      AnsiString valueText;
      GetValueText(Element(v, i), valueText);
      if (i > 0) s += " AND ";
      s += "(" + fields[static_cast<size_t>(i)] + " = " + valueText + ")";
    }
  }
};

class NotEqualOp : public EqualOp {
 public:
  using EqualOp::EqualOp;
  bool Evaluate(const Variant& value, const Variant& operand) override { return !EqualOp::Evaluate(value, operand); }
  void GetWord(AnsiString& s) override { s = "<>"; }
  void GetCaption(AnsiString& s) override { s = Caption(SkvFilterNotEqual); }
  void GetTranslatedText(const Variant& v, AnsiString& s) override {
    EqualOp::GetTranslatedText(v, s);
    s = "NOT (" + s + ")";
  }
};

class NullOp : public EqualOp {
 public:
  using EqualOp::EqualOp;
  bool Evaluate(const Variant& value, const Variant& operand) override { return Item()->IsNull(value); }
  void GetCaption(AnsiString& s) override { s = Caption(SkvFilterIsNull); }
  bool NeedsTranslation() override { return false; }
  bool IsNullOperator() override { return true; }
  void AdjustDisplayValue(AnsiString& s) override {
    if (Criteria()->Options() & fcoShowOperatorDescription) s.clear();
  }
};

class NotNullOp : public NullOp {
 public:
  using NullOp::NullOp;
  bool Evaluate(const Variant& value, const Variant& operand) override { return !NullOp::Evaluate(value, operand); }
  void GetWord(AnsiString& s) override { s = "<>"; }
  void GetCaption(AnsiString& s) override { s = Caption(SkvFilterIsNotNull); }
};

class CompareOp : public TkvFilterOperator {
 public:
  CompareOp(TkvFilterCriteriaItem* item, TkvFilterOperatorKind kind) : TkvFilterOperator(item), FKind(kind) {}
  bool Evaluate(const Variant& value, const Variant& operand) override {
    const int c = CompareVariants(value, operand);
    switch (FKind) {
      case foLess: return c < 0;
      case foLessEqual: return c < 1;
      case foGreater: return c > 0;
      default: return c >= 0;
    }
  }
  void GetWord(AnsiString& s) override {
    static const char* const kWords[] = {"<", "<=", ">", ">="};
    s = kWords[FKind - foLess];
  }
  void GetCaption(AnsiString& s) override { s = Caption(SkvFilterLess + (FKind - foLess)); }

 private:
  TkvFilterOperatorKind FKind;
};

class LikeOp : public TkvFilterOperator {
 public:
  using TkvFilterOperator::TkvFilterOperator;
  bool Evaluate(const Variant& value, const Variant& operand) override {
    if (value.IsArray() || operand.IsArray()) return false;
    const TkvFilterCriteria* c = Criteria();
    return LikeMatch(VarToStr(value), VarToStr(operand), c->PercentWildcard(), c->UnderscoreWildcard());
  }
  void GetWord(AnsiString& s) override { s = "LIKE"; }
  void GetCaption(AnsiString& s) override { s = Caption(CaptionId(false)); }
  void AdjustDisplayValue(AnsiString& s) override {
    if (Criteria()->Options() & fcoShowOperatorDescription) StripWildcardEnds(s, Criteria()->PercentWildcard());
  }

 protected:
  // Where the wildcards of the condition's value stand picks the caption.
  int CaptionId(bool negated) {
    AnsiString text;
    if (!Item()->Value().IsArray()) text = VarToStr(Item()->Value());
    switch (StripWildcardEnds(text, Criteria()->PercentWildcard())) {
      case 1: return negated ? SkvFilterNotStartsWith : SkvFilterStartsWith;
      case 2: return negated ? SkvFilterNotEndsWith : SkvFilterEndsWith;
      case 3: return negated ? SkvFilterNotContains : SkvFilterContains;
      default: return negated ? SkvFilterNotLike : SkvFilterLike;
    }
  }
};

class NotLikeOp : public LikeOp {
 public:
  using LikeOp::LikeOp;
  bool Evaluate(const Variant& value, const Variant& operand) override { return !LikeOp::Evaluate(value, operand); }
  void GetWord(AnsiString& s) override { s = "NOT LIKE"; }
  void GetCaption(AnsiString& s) override { s = Caption(CaptionId(true)); }
};

class BetweenOp : public TkvFilterOperator {
 public:
  using TkvFilterOperator::TkvFilterOperator;
  // An operand that is not a pair matches nothing.
  bool Evaluate(const Variant& value, const Variant& operand) override {
    if (ArrayCount(operand) != 2) return false;
    return CompareVariants(Element(operand, 0), value) <= 0 && CompareVariants(value, Element(operand, 1)) <= 0;
  }
  void GetWord(AnsiString& s) override { s = "BETWEEN"; }
  void GetCaption(AnsiString& s) override { s = Caption(SkvFilterBetween); }
  bool HasListOperand() override { return true; }
  bool NeedsTranslation() override { return Criteria()->TranslateBetween() && ArrayCount(Item()->Value()) == 2; }
  void GetTranslatedText(const Variant& v, AnsiString& s) override {
    AnsiString f, lo, hi;
    Item()->GetFieldName(f);
    GetValueText(Element(v, 0), lo);
    GetValueText(Element(v, 1), hi);
    s = "(" + f + " >= " + lo + ") AND (" + f + " <= " + hi + ")";
  }
  bool GetListValueText(const Variant& v, AnsiString& s) override {
    if (ArrayCount(v) != 2) return false;
    AnsiString lo, hi;
    GetValueText(Element(v, 0), lo);
    GetValueText(Element(v, 1), hi);
    s = lo + " AND " + hi;
    return true;
  }
  void AdjustDisplayValue(AnsiString& s) override {
    const size_t p = s.find(';');
    const AnsiString a = Trim(s.substr(0, p));
    const AnsiString b = p == AnsiString::npos ? AnsiString() : Trim(s.substr(p + 1));
    s = a + " " + Caption(SkvFilterAnd) + " " + b;
  }
};

class NotBetweenOp : public BetweenOp {
 public:
  using BetweenOp::BetweenOp;
  bool Evaluate(const Variant& value, const Variant& operand) override {
    return ArrayCount(operand) == 2 && !BetweenOp::Evaluate(value, operand);
  }
  void GetWord(AnsiString& s) override { s = "NOT BETWEEN"; }
  void GetCaption(AnsiString& s) override { s = Caption(SkvFilterNotBetween); }
  void GetTranslatedText(const Variant& v, AnsiString& s) override {
    BetweenOp::GetTranslatedText(v, s);
    s = "NOT (" + s + ")";
  }
};

class InListOp : public TkvFilterOperator {
 public:
  using TkvFilterOperator::TkvFilterOperator;
  // Equality with any element, by CompareVariants as the Equal operator tests it (so
  // IN ('5') and = '5' always agree, and no element raises); an operand that is no
  // list matches nothing.
  bool Evaluate(const Variant& value, const Variant& operand) override {
    if (!operand.IsArray() || value.IsArray()) return false;
    for (const Variant& e : operand.ArrayData()->Items)
      if (!e.IsArray() && CompareVariants(value, e) == 0) return true;
    return false;
  }
  void GetWord(AnsiString& s) override { s = "IN"; }
  void GetCaption(AnsiString& s) override { s = Caption(SkvFilterInList); }
  bool HasListOperand() override { return true; }
  bool NeedsTranslation() override { return Criteria()->TranslateIn() && ArrayCount(Item()->Value()) > 0; }
  void GetTranslatedText(const Variant& v, AnsiString& s) override {
    AnsiString f;
    Item()->GetFieldName(f);
    s.clear();
    for (int i = 0; i < ArrayCount(v); ++i) {
      AnsiString t;
      GetValueText(Element(v, i), t);
      if (i > 0) s += " OR ";
      s += "(" + f + " = " + t + ")";
    }
  }
  bool GetListValueText(const Variant& v, AnsiString& s) override {
    if (!v.IsArray()) return false;
    s = "(" + ListText(v, ", ") + ")";
    return true;
  }
  void AdjustDisplayValue(AnsiString& s) override {
    const std::vector<AnsiString> parts = s.empty() ? std::vector<AnsiString>() : SplitTrim(s, ';');
    AnsiString out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? ", " : "") + parts[i];
    s = "(" + out + ")";
  }
};

class NotInListOp : public InListOp {
 public:
  using InListOp::InListOp;
  bool Evaluate(const Variant& value, const Variant& operand) override {
    return operand.IsArray() && !InListOp::Evaluate(value, operand);
  }
  void GetWord(AnsiString& s) override { s = "NOT IN"; }
  void GetCaption(AnsiString& s) override { s = Caption(SkvFilterNotInList); }
  void GetTranslatedText(const Variant& v, AnsiString& s) override {
    InListOp::GetTranslatedText(v, s);
    s = "NOT (" + s + ")";
  }
};

const int kDateCaptions[] = {SkvFilterYesterday, SkvFilterToday,     SkvFilterTomorrow,  SkvFilterLastWeek,
                             SkvFilterLastMonth, SkvFilterLastYear,  SkvFilterThisWeek,  SkvFilterThisMonth,
                             SkvFilterThisYear,  SkvFilterNextWeek,  SkvFilterNextMonth, SkvFilterNextYear};

TDateTime FirstOfMonth(int year, int month) {
  while (month > 12) { month -= 12; ++year; }
  while (month < 1) { month += 12; --year; }
  return EncodeDate(year, month, 1);
}

}  // namespace

// --- base -----------------------------------------------------------------------------

TkvFilterCriteria* TkvFilterOperator::Criteria() const { return FItem->GetCriteria(); }

AnsiString TkvFilterOperator::ListText(const Variant& v, const char* separator) {
  AnsiString out;
  for (int i = 0; i < ArrayCount(v); ++i) {
    AnsiString t;
    GetValueText(Element(v, i), t);
    if (i > 0) out += separator;
    out += t;
  }
  return out;
}

void TkvFilterOperator::GetValueText(const Variant& v, AnsiString& s) {
  if (GetListValueText(v, s)) return;
  TkvFilterCriteria* c = Criteria();
  if (v.IsArray()) {
    s = "(" + ListText(v, ", ") + ")";
  } else {
    switch (v.VType()) {
      case varString:
      case varOleStr: s = "'" + StringReplaceAll(VarToStr(v), "'", "''") + "'"; break;
      case varDate: {
        AnsiString d;
        c->GetDateText(v, d);
        s = "'" + d + "'";
        break;
      }
      case varBoolean: c->GetValueText(v, s); break;
      case varNull: s = "NULL"; break;
      default: c->GetValueText(v, s); break;
    }
  }
  c->DoGetValueText(Item(), v, s);
}

// --- date windows -------------------------------------------------------------------------

void TkvFilterDateOperator::Prepare() {
  const TDateTime d = DateOnly(kvFilterToday ? kvFilterToday() : Date());
  int y, m, day;
  DecodeDate(d, y, m, day);
  const TDateTime w = StartOfWeek(d);
  switch (FKind) {
    case foYesterday: FStartDate = d - 1; FEndDate = d; break;
    case foToday: FStartDate = d; FEndDate = d + 1; break;
    case foTomorrow: FStartDate = d + 1; FEndDate = d + 2; break;
    case foLastWeek: FStartDate = w - 7; FEndDate = w; break;
    case foThisWeek: FStartDate = w; FEndDate = w + 7; break;
    case foNextWeek: FStartDate = w + 7; FEndDate = w + 14; break;
    case foLastMonth: FStartDate = FirstOfMonth(y, m - 1); FEndDate = FirstOfMonth(y, m); break;
    case foThisMonth: FStartDate = FirstOfMonth(y, m); FEndDate = FirstOfMonth(y, m + 1); break;
    case foNextMonth: FStartDate = FirstOfMonth(y, m + 1); FEndDate = FirstOfMonth(y, m + 2); break;
    case foLastYear: FStartDate = EncodeDate(y - 1, 1, 1); FEndDate = EncodeDate(y, 1, 1); break;
    case foThisYear: FStartDate = EncodeDate(y, 1, 1); FEndDate = EncodeDate(y + 1, 1, 1); break;
    default: FStartDate = EncodeDate(y + 1, 1, 1); FEndDate = EncodeDate(y + 2, 1, 1); break;
  }
}

bool TkvFilterDateOperator::Evaluate(const Variant& value, const Variant& operand) {
  if (Item()->IsNull(value)) return false;
  return CompareVariants(Variant::FromDate(FStartDate), value) <= 0 && CompareVariants(value, Variant::FromDate(FEndDate)) < 0;
}

void TkvFilterDateOperator::GetWord(AnsiString& s) { s = Caption(kDateCaptions[FKind - foYesterday]); }

void TkvFilterDateOperator::GetTranslatedText(const Variant& v, AnsiString& s) {
  AnsiString f, start, end;
  Item()->GetFieldName(f);
  GetValueText(Variant::FromDate(FStartDate), start);
  GetValueText(Variant::FromDate(FEndDate), end);
  s = "(" + f + " >= " + start + ") AND (" + f + " < " + end + ")";
}

std::unique_ptr<TkvFilterOperator> CreateFilterOperator(TkvFilterOperatorKind kind, bool isNullValue,
                                                        TkvFilterCriteriaItem* item) {
  switch (kind) {
    case foEqual:
      if (isNullValue) return std::make_unique<NullOp>(item);
      return std::make_unique<EqualOp>(item);
    case foNotEqual:
      if (isNullValue) return std::make_unique<NotNullOp>(item);
      return std::make_unique<NotEqualOp>(item);
    case foLess:
    case foLessEqual:
    case foGreater:
    case foGreaterEqual: return std::make_unique<CompareOp>(item, kind);
    case foLike:
      if (isNullValue) return std::make_unique<NullOp>(item);
      return std::make_unique<LikeOp>(item);
    case foNotLike:
      if (isNullValue) return std::make_unique<NotNullOp>(item);
      return std::make_unique<NotLikeOp>(item);
    case foBetween: return std::make_unique<BetweenOp>(item);
    case foNotBetween: return std::make_unique<NotBetweenOp>(item);
    case foInList: return std::make_unique<InListOp>(item);
    case foNotInList: return std::make_unique<NotInListOp>(item);
    default: return std::make_unique<TkvFilterDateOperator>(item, kind);
  }
}
