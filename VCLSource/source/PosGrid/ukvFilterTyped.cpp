// The typed test of filter criteria: compiling the tree and testing one record.
#include "VCLSource/source/PosGrid/ukvFilterTyped.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include "VCLSource/source/PosGrid/ukvDbHelperCompare.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

bool IsListKind(TkvFilterOperatorKind k) { return k == foBetween || k == foNotBetween || k == foInList || k == foNotInList; }
bool IsDateWindow(TkvFilterOperatorKind k) { return k >= foYesterday; }

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

bool TkvFilterCriteria::CompileAll() {
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
    TkvFilterTypedSource source;
    const TkvFilterOperatorKind k = item->OperatorKind();
    n->Kind = k;
    bool ok = item->GetTypedSource(source) && source.Def && source.Storage && !item->Operator()->IsNullOperator() &&
              !IsDateWindow(k);
    const TkvValueTypeClass t = ok ? source.Type : nullptr;
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
    n->Storage = ok ? source.Storage : nullptr;
    n->Def = ok ? source.Def : nullptr;
    n->Copy = ok ? source.Copy : nullptr;
    n->Type = t;
    n->Fast = ok;
    if (!ok) allFast = false;
    return n;
  };
  build(&Root());
  for (const auto& n : FCompiled) {
    n->PlainAnd = n->IsList && n->Op == fboAnd && !n->Children.empty();
    for (const Compiled* c : n->Children)
      if (c->IsList || !c->Fast) n->PlainAnd = false;
  }
  return allFast;
}

namespace kvfilter {

int CompareWith(const TkvFilterCriteria::Compiled& n, const TkvConstPlace& p, std::string_view text,
                const TkvFilterCriteria::Compiled::Operand& o) {
  if (!o.Same) return o.Fixed == -2 ? -1 : o.Fixed;
  switch (n.ValueGroup) {
    case TkvFilterCriteria::Compiled::gNumber: {
      TkvNumberKey k;
      switch (n.Number) {
        case TkvFilterCriteria::Compiled::nInt32: {
          int32_t v;
          std::memcpy(&v, p.Data, sizeof v);
          k = {static_cast<double>(v), v};
          break;
        }
        case TkvFilterCriteria::Compiled::nDouble: {
          double d;
          std::memcpy(&d, p.Data, sizeof d);
          if (std::isnan(d)) StoredNumberKey(n.Type, p, k);
          else k = {d, d >= 9.2e18 ? INT64_MAX : (d <= -9.2e18 ? INT64_MIN : static_cast<int64_t>(d))};
          break;
        }
        case TkvFilterCriteria::Compiled::nCurrency: {
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
    case TkvFilterCriteria::Compiled::gBoolean: {
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
bool LikeFast(const TkvFilterCriteria::Compiled& n, std::string_view s) {
  if (n.LikeShape == 3 && n.Literal.size() == 1) {
    // One letter anywhere: the byte test and the ASCII test in one pass.
    const unsigned char want = static_cast<unsigned char>(n.Literal[0]);
    bool found = false, high = false;
    for (char ch : s) {
      const auto c = static_cast<unsigned char>(ch);
      found |= c == want;
      high |= c >= 0x80;
    }
    if (!found) return false;
    if (!high) return true;
    return LikeMatch(s, n.Pattern, n.Many, n.One);
  }
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

}  // namespace kvfilter

namespace {

// The answer of a comparing condition from cmp(operand) = CompareVariants(value,
// operand); -1 for the kinds that do not compare (LIKE and the rest).
template <class Cmp>
int DecideByCompare(const TkvFilterCriteria::Compiled& n, Cmp cmp) {
  switch (n.Kind) {
    case foEqual: return cmp(n.Operands[0]) == 0;
    case foNotEqual: return cmp(n.Operands[0]) != 0;
    case foLess: return cmp(n.Operands[0]) < 0;
    case foLessEqual: return cmp(n.Operands[0]) < 1;
    case foGreater: return cmp(n.Operands[0]) > 0;
    case foGreaterEqual: return cmp(n.Operands[0]) >= 0;
    case foBetween:
    case foNotBetween: {
      if (!n.ListOperand || n.Operands.size() != 2) return 0;
      // CompareVariants(low, value) <= 0 is CompareVariants(value, low) >= 0.
      const bool in = cmp(n.Operands[0]) >= 0 && cmp(n.Operands[1]) <= 0;
      return n.Kind == foBetween ? in : !in;
    }
    case foInList:
    case foNotInList: {
      if (!n.ListOperand) return 0;
      bool found = false;
      for (const TkvFilterCriteria::Compiled::Operand& o : n.Operands)
        if (o.Same && cmp(o) == 0) {
          found = true;
          break;
        }
      return n.Kind == foInList ? found : !found;
    }
    default: return -1;
  }
}

}  // namespace

bool TkvFilterCriteria::EvaluateLeaf(Compiled& n, int recordIndex) {
  TkvConstPlace p;
  if (!n.Fast || recordIndex < 0) return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
  if (n.Copy) {
    if (!n.Copy->Has(recordIndex)) return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
    p = n.Copy->Place(recordIndex);
  } else if (!n.Def->GetRecordPlace(n.Storage->DataRecordAt(recordIndex), p)) {
    return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
  }
  if (n.ValueGroup == Compiled::gNumber && (n.Number == Compiled::nInt32 || n.Number == Compiled::nDouble)) {
    // Integers and doubles: the double parts of the keys settle every value but an
    // equal one (and NaN, whose key is not its double); those take CompareWith, so the
    // order stays CompareNumberKeys'.
    double d;
    if (n.Number == Compiled::nInt32) {
      int32_t v;
      std::memcpy(&v, p.Data, sizeof v);
      d = v;
    } else {
      std::memcpy(&d, p.Data, sizeof d);
    }
    const int r = DecideByCompare(n, [&](const Compiled::Operand& o) {
      if (!o.Same) return o.Fixed == -2 ? -1 : o.Fixed;
      if (d < o.Key.D) return -1;
      if (o.Key.D < d) return 1;
      return kvfilter::CompareWith(n, p, std::string_view(), o);
    });
    if (r >= 0) return r != 0;
    return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
  }
  std::string_view text;
  if (n.ValueGroup == Compiled::gText) {
    if (n.Copy && n.Copy->HasTexts()) {
      text = n.Copy->Text(recordIndex);
    } else {
      if (!p.Cell->HasText()) return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
      text = p.Cell->Text();
    }
    if (n.Upper) {
      FUpper = AnsiUpperCase(text);
      text = FUpper;
    }
    // The null test of the options: an empty text under fcoSoftNull.
    if ((Options() & fcoIgnoreNull) && (Options() & fcoSoftNull) && text.empty()) return false;
    if (n.Kind == foLike) return kvfilter::LikeFast(n, text);
    if (n.Kind == foNotLike) return !kvfilter::LikeFast(n, text);
  }
  const int r = DecideByCompare(n, [&](const Compiled::Operand& o) { return kvfilter::CompareWith(n, p, text, o); });
  if (r >= 0) return r != 0;
  return TkvFilterCriteria::EvaluateItem(*n.Item, recordIndex);
}

// The list rules of the Variant path (empty lists are skipped; NOT lists negate);
// conditions without a typed test take the Variant path one by one.
bool TkvFilterCriteria::EvaluateNode(Compiled& n, int recordIndex, bool& any) {
  if (n.PlainAnd && FCompiledUsable) {
    // Every child a typed condition: the list's answer is all of them, the first false settles it.
    any = true;
    for (Compiled* c : n.Children)
      if (!EvaluateLeaf(*c, recordIndex)) return false;
    return true;
  }
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

bool TkvFilterCriteria::CompiledUsable() {
  if (!FCompiledValid) {
    FCompiledUsable = CompileAll();
    FCompiledValid = true;
  }
  return FCompiledUsable;
}

bool TkvFilterCriteria::Evaluate(int recordIndex) {
  CompiledUsable();
  bool any = false;
  return EvaluateNode(*FCompiled.front(), recordIndex, any);
}

