// The data controller's filter: conditions bound to field items (values cast to the
// field's type), the typed record test beside the Variant one, the drop-down value list
// and the hand-over of the criteria to the dataset's Filter.
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include "VCLSource/source/PosGrid/ukvDbHelperCompare.h"
#include "VCLSource/source/PosGrid/ukvDbHelperProvider.h"
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

const char* const kValueCastError = "过滤条件的值不能转换为该列的类型";

bool IsListKind(TkvFilterOperatorKind k) { return k == foBetween || k == foNotBetween || k == foInList || k == foNotInList; }
bool IsDateWindow(TkvFilterOperatorKind k) { return k >= foYesterday; }

// A condition's value as its field's type: elements of a list one by one.
Variant CastOperand(TkvValueTypeClass type, TkvFilterOperatorKind kind, const Variant& value) {
  if (!type || kind == foLike || kind == foNotLike || IsDateWindow(kind) || value.IsNull()) return value;
  if (value.IsArray()) {
    if (!IsListKind(kind)) return value;  // an Equal over several fields
    std::vector<Variant> items;
    for (const Variant& e : value.ArrayData()->Items) {
      Variant c = e;
      if (!c.IsArray() && !type->TryCast(c)) throw EkvFilterValueError(kValueCastError);
      items.push_back(c);
    }
    return VarArrayOf(items);
  }
  Variant c = value;
  if (!type->TryCast(c)) throw EkvFilterValueError(kValueCastError);
  return c;
}

}  // namespace

// --- items ----------------------------------------------------------------------------------------

TkvCustomDbDataController* TkvDataFilterCriteriaItem::Controller() const {
  return static_cast<TkvDataFilterCriteria*>(GetCriteria())->Controller();
}

void TkvDataFilterCriteriaItem::GetDataValue(int recordIndex, Variant& v) {
  if (TkvDbField* f = Field()) Controller()->GetValue(recordIndex, f, v);
  else v = Variant::Null();
}

void TkvDataFilterCriteriaItem::GetFieldCaption(AnsiString& s) {
  if (TkvDbField* f = Field()) Controller()->GetLinkCaption(f, s);
  else s.clear();
}

void TkvDataFilterCriteriaItem::GetFieldName(AnsiString& s) {
  if (TkvDbField* f = Field()) Controller()->GetLinkText(f, s);
  else s.clear();
}

TObject* TkvDataFilterCriteriaItem::GetLink() const {
  TkvDbField* f = Field();
  return f ? f->Link() : nullptr;
}

// --- the compiled (typed) test ------------------------------------------------------------------------

// One condition tested on the stored value. Null values go the Variant way.
struct TkvDataFilterCriteria::Compiled {
  // A node: a list (children) or a condition (Item, and Fast when it has a typed test).
  bool IsList = false;
  TkvFilterBoolOperator Op = fboAnd;
  std::vector<Compiled*> Children;
  TkvFilterCriteriaItem* Item = nullptr;
  bool Fast = false;
  // The typed test.
  TkvFilterOperatorKind Kind = foEqual;
  const TkvValueDef* Def = nullptr;
  const TkvColumnCopy* Copy = nullptr;  // the field's typed copy, when it has one
  TkvValueTypeClass Type = nullptr;
  enum Group { gNumber, gBoolean, gText } ValueGroup = gNumber;
  enum NumberKind { nOther, nInt32, nDouble, nCurrency } Number = nOther;
  bool Upper = false;
  // Prepared operands: a number key or a text, else the fixed answer of CompareVariants
  // for a value of the field's group against an operand of another group.
  struct Operand {
    bool Same = false;
    int Fixed = 0;
    TkvNumberKey Key{};
    bool Bool = false;
    AnsiString Text;
  };
  std::vector<Operand> Operands;
  bool ListOperand = false;
  AnsiString Pattern;
  char Many = '%', One = '_';
  int LikeShape = -1;  // 0 exact, 1 prefix, 2 suffix, 3 contains, -1 general
  AnsiString Literal;
};

namespace {

bool AsciiOnly(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

int GroupRank(const Variant& v) {
  if (v.IsArray()) return 5;
  switch (v.VType()) {
    case varNull: return 0;
    case varEmpty: return 1;
    case varBoolean: return 2;
    case varString:
    case varOleStr: return 4;
    default: return 3;
  }
}

}  // namespace

bool TkvDataFilterCriteria::CompileAll() {
  FCompiled.clear();
  const TkvFilterCriteriaOptions opts = Options();
  bool allFast = true;
  std::function<Compiled*(TkvCustomFilterCriteriaItem*)> build = [&](TkvCustomFilterCriteriaItem* it) -> Compiled* {
    FCompiled.push_back(std::make_unique<Compiled>());
    Compiled* n = FCompiled.back().get();
    if (it->IsItemList()) {
      auto* list = static_cast<TkvFilterCriteriaItemList*>(it);
      n->IsList = true;
      n->Op = list->BoolOperator();
      for (int i = 0; i < list->Count(); ++i) n->Children.push_back(build(list->Items(i)));
      return n;
    }
    auto* item = static_cast<TkvFilterCriteriaItem*>(it);
    n->Item = item;
    auto* d = dynamic_cast<TkvDataFilterCriteriaItem*>(item);
    TkvDbField* f = d ? d->Field() : nullptr;
    const TkvFilterOperatorKind k = item->OperatorKind();
    n->Kind = k;
    bool ok = f && f->ValueDef() && !(f->Column() && f->Column()->HasValueExpression()) &&
              !item->Operator()->IsNullOperator() && !IsDateWindow(k);
    const TkvValueTypeClass t = ok ? f->ValueType() : nullptr;
    if (ok) {
      if (t == TkvStringValueTypeClass()) n->ValueGroup = Compiled::gText;
      else if (t == TkvBooleanValueTypeClass()) n->ValueGroup = Compiled::gBoolean;
      else if (t == TkvWideStringValueTypeClass() || t == TkvVariantValueTypeClass()) ok = false;
      else n->ValueGroup = Compiled::gNumber;
    }
    if (ok && (k == foLike || k == foNotLike) && n->ValueGroup != Compiled::gText) ok = false;
    Variant operand;
    if (ok) {
      PrepareOperand(item->Value(), operand);
      const bool list = IsListKind(k);
      if (!list && operand.IsArray()) ok = false;
      n->ListOperand = operand.IsArray();
      if ((k == foEqual || k == foNotEqual) && operand.IsArray()) ok = false;
    }
    if (ok && (k == foLike || k == foNotLike)) {
      if (operand.IsArray()) {
        ok = false;
      } else {
        n->Pattern = VarToStr(operand);
        n->Many = PercentWildcard();
        n->One = UnderscoreWildcard();
        std::string_view p = n->Pattern;
        const bool startMany = !p.empty() && p.front() == n->Many;
        const bool endMany = p.size() >= 2 && p.back() == n->Many;
        std::string_view lit = p.substr(startMany ? 1 : 0);
        if (endMany) lit.remove_suffix(1);
        if (!lit.empty() && AsciiOnly(lit) && lit.find(n->Many) == std::string_view::npos &&
            lit.find(n->One) == std::string_view::npos) {
          n->Literal = AnsiString(lit);
          n->LikeShape = startMany ? (endMany ? 3 : 2) : (endMany ? 1 : 0);
        }
      }
    } else if (ok) {
      std::vector<Variant> elems;
      if (operand.IsArray()) elems = operand.ArrayData()->Items;
      else elems.push_back(operand);
      for (const Variant& e : elems) {
        Compiled::Operand o;
        TkvNumberKey key;
        if (n->ValueGroup == Compiled::gNumber && VariantNumberKey(e, key)) {
          o.Same = true;
          o.Key = key;
        } else if (n->ValueGroup == Compiled::gBoolean && !e.IsArray() && e.VType() == varBoolean) {
          o.Same = true;
          o.Bool = e.AsBoolean();
        } else if (n->ValueGroup == Compiled::gText && !e.IsArray() && e.VType() == varString) {
          o.Same = true;
          o.Text = e.RawString();
        } else if (n->ValueGroup == Compiled::gText && !e.IsArray() && e.VType() == varOleStr) {
          ok = false;
        } else {
          const int own = n->ValueGroup == Compiled::gNumber ? 3 : (n->ValueGroup == Compiled::gBoolean ? 2 : 4);
          const int other = GroupRank(e);
          o.Fixed = own < other ? -1 : 1;
          if (e.IsArray()) o.Fixed = -2;  // an array element: never equal, not comparable in a list
        }
        n->Operands.push_back(o);
      }
    }
    n->Upper = (opts & fcoCaseInsensitive) != 0;
    if (t == TkvIntegerValueTypeClass()) n->Number = Compiled::nInt32;
    else if (t == TkvFloatValueTypeClass() || t == TkvDateTimeValueTypeClass()) n->Number = Compiled::nDouble;
    else if (t == TkvCurrencyValueTypeClass()) n->Number = Compiled::nCurrency;
    n->Def = ok ? f->ValueDef() : nullptr;
    n->Copy = ok ? FController->ColumnCopy(f) : nullptr;
    n->Type = t;
    n->Fast = ok;
    if (!ok) allFast = false;
    return n;
  };
  build(&Root());
  return allFast;
}

namespace {

// CompareVariants of the prepared stored value against one prepared operand.
int CompareWith(const TkvDataFilterCriteria::Compiled& n, const TkvConstPlace& p, std::string_view text,
                const TkvDataFilterCriteria::Compiled::Operand& o) {
  if (!o.Same) return o.Fixed == -2 ? -1 : o.Fixed;
  switch (n.ValueGroup) {
    case TkvDataFilterCriteria::Compiled::gNumber: {
      TkvNumberKey k;
      switch (n.Number) {
        case TkvDataFilterCriteria::Compiled::nInt32: {
          int32_t v;
          std::memcpy(&v, p.Data, sizeof v);
          k = {static_cast<double>(v), v};
          break;
        }
        case TkvDataFilterCriteria::Compiled::nDouble: {
          double d;
          std::memcpy(&d, p.Data, sizeof d);
          if (std::isnan(d)) StoredNumberKey(n.Type, p, k);
          else k = {d, d >= 9.2e18 ? INT64_MAX : (d <= -9.2e18 ? INT64_MIN : static_cast<int64_t>(d))};
          break;
        }
        case TkvDataFilterCriteria::Compiled::nCurrency: {
          // The Variant path tests currency values as doubles.
          int64_t sc;
          std::memcpy(&sc, p.Data, sizeof sc);
          const double d = Variant::FromCurrency(Currency::FromScaled(sc)).AsDouble();
          VariantNumberKey(Variant(d), k);
          break;
        }
        default: StoredNumberKey(n.Type, p, k); break;
      }
      return CompareNumberKeys(k, o.Key);
    }
    case TkvDataFilterCriteria::Compiled::gBoolean: {
      const bool b = p.Data[0] != 0;
      return b == o.Bool ? 0 : (!b ? -1 : 1);
    }
    default: return CompareAnsiTexts(text, o.Text);
  }
}

// The literal of a pattern shape is plain ASCII, and the pattern matches whole
// characters: where it matches, the literal's bytes are in the text. So the byte test
// settles every text it fails on; a text it passes needs the character match only when
// it holds double-byte characters (an ASCII byte may be a trail byte there).
bool LikeFast(const TkvDataFilterCriteria::Compiled& n, std::string_view s) {
  if (n.LikeShape >= 0) {
    const std::string_view v = s, l = n.Literal;
    bool bytes;
    switch (n.LikeShape) {
      case 0: bytes = v == l; break;
      case 1: bytes = v.substr(0, l.size()) == l; break;
      case 2: bytes = v.size() >= l.size() && v.substr(v.size() - l.size()) == l; break;
      default: bytes = (l.size() == 1 ? v.find(l.front()) : v.find(l)) != std::string_view::npos; break;
    }
    if (!bytes) return false;
    if (AsciiOnly(s)) return true;
  }
  return LikeMatch(s, n.Pattern, n.Many, n.One);
}

}  // namespace

bool TkvDataFilterCriteria::EvaluateItem(TkvFilterCriteriaItem& item, int recordIndex) {
  return TkvFilterCriteria::EvaluateItem(item, recordIndex);
}

bool TkvDataFilterCriteria::EvaluateLeaf(Compiled& n, int recordIndex) {
  TkvConstPlace p;
  if (!n.Fast || recordIndex < 0) return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
  if (n.Copy) {
    if (!n.Copy->Has(recordIndex)) return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
    p = n.Copy->Place(recordIndex);
  } else if (!n.Def->GetRecordPlace(FController->Storage().RecordAt(recordIndex), p)) {
    return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
  }
  std::string_view text;
  if (n.ValueGroup == Compiled::gText) {
    if (n.Copy && n.Copy->HasTexts()) {
      text = n.Copy->Text(recordIndex);
    } else {
      const auto* s = std::get_if<AnsiString>(p.Cell);
      if (!s) return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
      text = *s;
    }
    if (n.Upper) {
      FUpper = AnsiUpperCase(text);
      text = FUpper;
    }
    // The null test of the options: an empty text under fcoSoftNull.
    if ((Options() & fcoIgnoreNull) && (Options() & fcoSoftNull) && text.empty()) return false;
  }
  switch (n.Kind) {
    case foEqual: return CompareWith(n, p, text, n.Operands[0]) == 0;
    case foNotEqual: return CompareWith(n, p, text, n.Operands[0]) != 0;
    case foLess: return CompareWith(n, p, text, n.Operands[0]) < 0;
    case foLessEqual: return CompareWith(n, p, text, n.Operands[0]) < 1;
    case foGreater: return CompareWith(n, p, text, n.Operands[0]) > 0;
    case foGreaterEqual: return CompareWith(n, p, text, n.Operands[0]) >= 0;
    case foBetween:
    case foNotBetween: {
      if (!n.ListOperand || n.Operands.size() != 2) return false;
      // CompareVariants(low, value) <= 0 is CompareVariants(value, low) >= 0.
      const bool in = CompareWith(n, p, text, n.Operands[0]) >= 0 && CompareWith(n, p, text, n.Operands[1]) <= 0;
      return n.Kind == foBetween ? in : !in;
    }
    case foInList:
    case foNotInList: {
      if (!n.ListOperand) return false;
      bool found = false;
      for (const Compiled::Operand& o : n.Operands)
        if (o.Same && CompareWith(n, p, text, o) == 0) {
          found = true;
          break;
        }
      return n.Kind == foInList ? found : !found;
    }
    case foLike: return LikeFast(n, text);
    case foNotLike: return !LikeFast(n, text);
    default: return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
  }
}

// The list rules of the Variant path (empty lists are skipped; NOT lists negate);
// conditions without a typed test take the Variant path one by one.
bool TkvDataFilterCriteria::EvaluateNode(Compiled& n, int recordIndex, bool& any) {
  bool acc = true;
  any = false;
  for (Compiled* c : n.Children) {
    bool r;
    if (c->IsList) {
      bool childAny = false;
      r = EvaluateNode(*c, recordIndex, childAny);
      if (!childAny) continue;
    } else {
      r = EvaluateLeaf(*c, recordIndex);
    }
    if (!any) {
      acc = (n.Op == fboNotAnd || n.Op == fboNotOr) ? !r : r;
      any = true;
    } else {
      switch (n.Op) {
        case fboAnd: acc = acc && r; break;
        case fboOr: acc = acc || r; break;
        case fboNotAnd: acc = acc || !r; break;
        default: acc = acc && !r; break;
      }
    }
    // Once settled a list stops, when no test left could raise (every one typed);
    // later children can still be empty lists, which change nothing.
    if (FCompiledUsable) {
      if ((n.Op == fboAnd || n.Op == fboNotOr) && !acc) return false;
      if ((n.Op == fboOr || n.Op == fboNotAnd) && acc) return true;
    }
  }
  return acc;
}

bool TkvDataFilterCriteria::EvaluateCompiled(int recordIndex) {
  bool any = false;
  return EvaluateNode(*FCompiled.front(), recordIndex, any);
}

namespace {

// CompareNumberKeys of an integer value against a key, without building the value's key.
inline int CompareIntKey(int32_t v, const TkvNumberKey& k) {
  const double d = v;
  if (d < k.D) return -1;
  if (k.D < d) return 1;
  return v < k.I ? -1 : (v > k.I ? 1 : 0);
}

}  // namespace

bool TkvDataFilterCriteria::FilterRows(std::vector<int>& rows, int keep) {
  if (!FCompiledValid) {
    FCompiledUsable = CompileAll();
    FCompiledValid = true;
  }
  if (!FCompiledUsable) return false;
  Compiled& root = *FCompiled.front();
  if (root.Op != fboAnd) return false;
  for (const Compiled* c : root.Children)
    if (c->IsList || !c->Copy) return false;
  // Every test is typed, so none raises and the conditions of the AND may run in any
  // order: number tests first, text patterns on the rows they leave, the rest last.
  enum Shape { sSimple, sBetween, sLike, sOther };
  auto shapeOf = [](const Compiled& n) {
    const bool number = (n.Number == Compiled::nInt32 || n.Number == Compiled::nDouble) && n.ValueGroup == Compiled::gNumber;
    if (number && n.Kind <= foGreaterEqual && n.Operands.size() == 1 && n.Operands[0].Same) return sSimple;
    if (number && (n.Kind == foBetween || n.Kind == foNotBetween) && n.ListOperand && n.Operands.size() == 2 &&
        n.Operands[0].Same && n.Operands[1].Same)
      return sBetween;
    if ((n.Kind == foLike || n.Kind == foNotLike) && n.Copy->HasTexts() && !n.Upper) return sLike;
    return sOther;
  };
  std::vector<Compiled*> order(root.Children.begin(), root.Children.end());
  std::stable_sort(order.begin(), order.end(), [&](const Compiled* a, const Compiled* b) {
    return std::min<int>(shapeOf(*a), sLike) < std::min<int>(shapeOf(*b), sLike);
  });
  for (Compiled* c : order) {
    Compiled& n = *c;
    const TkvColumnCopy& copy = *n.Copy;
    const Shape shape = shapeOf(n);
    // One loop per kind of test, so that the test is chosen once per condition and not
    // once per row. Rows without a value take the Variant rules of EvaluateLeaf.
    auto keepWhere = [&](auto&& test) {
      size_t out = 0;
      for (size_t i = 0; i < rows.size(); ++i) {
        const int r = rows[i];
        const bool pass = r == keep || (copy.Has(r) ? test(r) : EvaluateLeaf(n, r));
        rows[out] = r;
        out += pass ? 1 : 0;
      }
      rows.resize(out);
    };
    // The comparison (-1, 0, 1) of record r's number with a key, for each kind of test.
    auto byKind = [&](TkvFilterOperatorKind kind, auto&& cmp) {
      switch (kind) {
        case foEqual: return keepWhere([&](int r) { return cmp(r) == 0; });
        case foNotEqual: return keepWhere([&](int r) { return cmp(r) != 0; });
        case foLess: return keepWhere([&](int r) { return cmp(r) < 0; });
        case foLessEqual: return keepWhere([&](int r) { return cmp(r) < 1; });
        case foGreater: return keepWhere([&](int r) { return cmp(r) > 0; });
        default: return keepWhere([&](int r) { return cmp(r) >= 0; });
      }
    };
    auto intCmp = [&copy](int r, const TkvNumberKey& key) {
      const uint64_t bits = copy.Bits(r);
      int32_t v;
      std::memcpy(&v, &bits, sizeof v);
      return CompareIntKey(v, key);
    };
    auto doubleCmp = [&](int r, const TkvNumberKey& key) {
      const uint64_t bits = copy.Bits(r);
      double d;
      std::memcpy(&d, &bits, sizeof d);
      if (std::isnan(d)) {
        Compiled::Operand o;
        o.Same = true;
        o.Key = key;
        return CompareWith(n, copy.Place(r), std::string_view(), o);
      }
      const TkvNumberKey k{d, d >= 9.2e18 ? INT64_MAX : (d <= -9.2e18 ? INT64_MIN : static_cast<int64_t>(d))};
      return CompareNumberKeys(k, key);
    };
    if (shape == sLike) {
      const bool softEmpty = (Options() & fcoIgnoreNull) && (Options() & fcoSoftNull);
      const bool wanted = n.Kind == foLike;
      keepWhere([&](int r) {
        const std::string_view text = copy.Text(r);
        return !(softEmpty && text.empty()) && (LikeFast(n, text) == wanted);
      });
    } else if (shape == sSimple) {
      const TkvNumberKey key = n.Operands[0].Key;
      if (n.Number == Compiled::nInt32) byKind(n.Kind, [&](int r) { return intCmp(r, key); });
      else byKind(n.Kind, [&](int r) { return doubleCmp(r, key); });
    } else if (shape == sBetween) {
      const TkvNumberKey lo = n.Operands[0].Key, hi = n.Operands[1].Key;
      const bool wanted = n.Kind == foBetween;
      if (n.Number == Compiled::nInt32)
        keepWhere([&](int r) { return (intCmp(r, lo) >= 0 && intCmp(r, hi) <= 0) == wanted; });
      else
        keepWhere([&](int r) { return (doubleCmp(r, lo) >= 0 && doubleCmp(r, hi) <= 0) == wanted; });
    } else {
      keepWhere([&](int r) { return EvaluateLeaf(n, r); });
    }
  }
  return true;
}

bool TkvDataFilterCriteria::EvaluateRecord(int recordIndex) {
  if (!FCompiledValid) {
    FCompiledUsable = CompileAll();
    FCompiledValid = true;
  }
  return EvaluateCompiled(recordIndex);
}

// --- TkvDataFilterCriteria ---------------------------------------------------------------------------

TkvDataFilterCriteria::TkvDataFilterCriteria(TkvCustomDbDataController* controller) : FController(controller) {}

TkvDataFilterCriteria::~TkvDataFilterCriteria() {
  FDestroying = true;
  FActive = false;
}

TkvDbField* TkvDataFilterCriteria::FieldOfLink(TObject* link) const {
  if (!link) return nullptr;
  TkvCustomDataFieldList& fields = FController->Fields();
  for (int i = 0; i < fields.Count(); ++i)
    if (fields.Items(i) == link) return fields.Items(i);
  return fields.ItemByLink(link);
}

std::unique_ptr<TkvFilterCriteriaItem> TkvDataFilterCriteria::CreateItem(TkvFilterCriteriaItemList* parent,
                                                                         TObject* link, TkvFilterOperatorKind kind,
                                                                         const Variant& value,
                                                                         const AnsiString& displayValue) {
  TkvDbField* f = FieldOfLink(link);
  const Variant typed = CastOperand(f ? f->ValueType() : nullptr, kind, value);
  return std::make_unique<TkvDataFilterCriteriaItem>(parent, f, kind, typed, displayValue);
}

std::unique_ptr<TkvFilterValueList> TkvDataFilterCriteria::CreateValueList() {
  return std::make_unique<TkvDataFilterValueList>(this);
}

TkvFilterCriteriaItem* TkvDataFilterCriteria::AddCondition(TkvFilterCriteriaItemList* parent, TObject* link,
                                                           TkvFilterOperatorKind kind, const Variant& value,
                                                           const AnsiString& displayValue) {
  return TkvFilterCriteria::AddCondition(parent, FieldOfLink(link), kind, value, displayValue);
}

TkvFilterCriteriaItem* TkvDataFilterCriteria::FindByLink(TObject* link) const {
  return FindItemByLink(FieldOfLink(link));
}

int32_t TkvDataFilterCriteria::GetIdByLink(TObject* link) { return FController->GetItemKey(link); }

TObject* TkvDataFilterCriteria::GetLinkById(int32_t id) { return FController->FindItemByKey(id); }

void TkvDataFilterCriteria::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TkvDataFilterCriteria*>(source);
  if (!src) {
    TkvFilterCriteria::Assign(source);
    return;
  }
  TUpdateScope update(this);
  TkvFilterCriteria::Assign(source);
  SetActive(src->FActive);
  OnGetValueList = src->OnGetValueList;
}

void TkvDataFilterCriteria::SetActive(bool v) {
  if (v == FActive) return;
  FActive = v;
  SetModified();
}

void TkvDataFilterCriteria::RemoveField(TkvDbField* field) { RemoveItemsByLink(field); }

void TkvDataFilterCriteria::DoChanged() {
  if (FController->IsExtraFilter(this) || FDestroying || FController->Destroying()) return;
  // No dataset counts as an inactive one.
  if (!FController->Provider().IsActive()) FController->EndEdit();
  FController->Refilter();
  TkvFilterCriteria::DoChanged();
}

// --- TkvDBDataFilterCriteria ---------------------------------------------------------------------------

TkvDBDataFilterCriteria::TkvDBDataFilterCriteria(TkvCustomDbDataController* controller)
    : TkvDataFilterCriteria(controller) {}

void TkvDBDataFilterCriteria::Assign(TPersistent* source) {
  TUpdateScope update(this);
  TkvDataFilterCriteria::Assign(source);
  if (auto* src = dynamic_cast<TkvDBDataFilterCriteria*>(source)) {
    FAutoDataSetFilter = src->FAutoDataSetFilter;
    FIgnoreOrigin = src->FIgnoreOrigin;
    OnBeforeChange = src->OnBeforeChange;
    OnFormatFilterTextValue = src->OnFormatFilterTextValue;
  }
}

void TkvDBDataFilterCriteria::SetDefaults() {
  TUpdateScope update(this);
  TkvFilterCriteria::SetDefaults();
  FAutoDataSetFilter = false;
  FIgnoreOrigin = true;
}

bool TkvDBDataFilterCriteria::IsActive() {
  return TkvDataFilterCriteria::IsActive() && !OnBeforeChange && !(FAutoDataSetFilter && !Controller()->HasKeyField());
}

void TkvDBDataFilterCriteria::DoGetValueText(TkvFilterCriteriaItem* item, const Variant& v, AnsiString& s) {
  if (OnFormatFilterTextValue) OnFormatFilterTextValue(this, v, s);
}

namespace {

// Every condition of the tree names its field.
bool AllNamed(TkvFilterCriteriaItemList& list) {
  for (int i = 0; i < list.Count(); ++i) {
    TkvCustomFilterCriteriaItem* it = list.Items(i);
    if (it->IsItemList()) {
      if (!AllNamed(*static_cast<TkvFilterCriteriaItemList*>(it))) return false;
    } else {
      AnsiString name;
      static_cast<TkvFilterCriteriaItem*>(it)->GetFieldName(name);
      if (name.empty()) return false;
    }
  }
  return true;
}

}  // namespace

void TkvDBDataFilterCriteria::DoChanged() {
  TkvCustomDbDataController* c = Controller();
  if (c->IsExtraFilter(this)) return;
  TDataSet* d = c->DataSet();
  if (!Destroying() && d && (d->State() == dsEdit || d->State() == dsInsert || d->State() == dsSetKey)) c->Post();
  if (OnBeforeChange) OnBeforeChange(this, d, FilterText());
  if (FAutoDataSetFilter && !c->HasKeyField() && d && !Destroying()) {
    // A condition without a field name would make a text the dataset cannot read: such
    // criteria are not handed over.
    const AnsiString t = AllNamed(Root()) ? FilterText() : AnsiString();
    const TFilterOptions o = (Options() & fcoCaseInsensitive) ? foCaseInsensitive : 0;
    const bool f = Active() && !t.empty();
    if (d->Filter() != t || d->FilterOptions() != o || d->Filtered() != f) {
      TkvControlsScope controls(d);
      d->SetFilter(t);
      d->SetFilterOptions(o);
      d->SetFiltered(f);
    }
  }
  TkvDataFilterCriteria::DoChanged();
  if (!Destroying() && c->Provider().IsActive() && c->FocusedRowIndex() < 0 && c->RowCount() > 0)
    c->FocusRowIndex(0);
}

// --- value list -------------------------------------------------------------------------------------------

void TkvDataFilterValueList::Build(int itemIndex) {
  auto* criteria = static_cast<TkvDataFilterCriteria*>(Criteria());
  TkvCustomDbDataController* c = criteria->Controller();
  FField = c->Field(itemIndex);
  Clear();
  auto caption = [](const char* text) {
    AnsiString s = text;
    if (kvGetFilterCaption) kvGetFilterCaption(s);
    return s;
  };
  Add(0, Variant::Null(), caption("(全部显示)"), false);
  Add(1, Variant::Null(), caption("(定制过滤...)"), false);
  bool blanks = false;
  Variant v;
  AnsiString text;
  for (int r = 0; r < c->GetRecordCount(); ++r) {
    c->GetValue(r, FField, v);
    if (criteria->IsNull(v)) {
      blanks = true;
      continue;
    }
    c->GetSortText(r, itemIndex, text);
    Add(5, v, text, false);
  }
  if (blanks) {
    Add(2, Variant::Null(), caption("(为空)"), false);
    Add(3, Variant::Null(), caption("(不为空)"), false);
  }
  if (criteria->OnGetValueList) criteria->OnGetValueList(criteria, itemIndex, *this);
}
