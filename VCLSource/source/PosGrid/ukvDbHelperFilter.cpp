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
#include "VCLSource/source/PosGrid/ukvFilterTyped.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "rtl/ComponentStreaming.h"
#include "rtl/NumberFormat.h"

namespace {

const char* const kValueCastError = "过滤条件的值不能转换为该列的类型";

bool IsListKind(TkvFilterOperatorKind k) { return k == foBetween || k == foNotBetween || k == foInList || k == foNotInList; }
bool IsDateWindow(TkvFilterOperatorKind k) { return k >= foYesterday; }

// The values an integer type holds, as [Low, High); false for any other type.
bool IntegerRange(TkvValueTypeClass type, double& low, double& high) {
  if (type == TkvIntegerValueTypeClass()) {
    low = -2147483648.0;
    high = 2147483648.0;
  } else if (type == TkvSmallintValueTypeClass()) {
    low = -32768.0;
    high = 32768.0;
  } else if (type == TkvWordValueTypeClass()) {
    low = 0.0;
    high = 65536.0;
  } else if (type == TkvLargeIntValueTypeClass()) {
    low = -9223372036854775808.0;
    high = 9223372036854775808.0;
  } else {
    return false;
  }
  return true;
}

// Mended: a bound an integer field cannot hold (11.2, "12.5", 3e9 on an Integer field)
// was cast, that is rounded or refused, so "QTY >= 11.2" let 11 through while the
// condition still read 11.2. Such a bound now keeps a wider type (a real number, or the
// integer as it came), and the field's values are compared with it in that type, as the
// condition reads. True when one was kept; a bound the field holds exactly is cast.
bool KeepWider(TkvValueTypeClass type, const Variant& value, Variant& wider) {
  double low = 0, high = 0;
  if (!IntegerRange(type, low, high) || value.VType() == varBoolean) return false;
  if (VarIsOrdinal(value)) {
    const double d = static_cast<double>(value.AsInt64());
    if (d >= low && d < high) return false;
    wider = value;
    return true;
  }
  double d = 0;
  if (VarIsFloat(value) || value.VType() == varDate) d = value.AsDouble();
  else if ((value.VType() != varString && value.VType() != varOleStr) || !TryStrToFloat(VarToStr(value), d)) return false;
  if (std::isnan(d) || (d >= low && d < high && d == std::floor(d))) return false;
  wider = Variant(d);
  return true;
}

Variant CastElement(TkvValueTypeClass type, const Variant& value) {
  Variant c = value;
  if (KeepWider(type, value, c)) return c;
  if (!type->TryCast(c)) throw EkvFilterValueError(kValueCastError);
  return c;
}

// A condition's value as its field's type: elements of a list one by one.
Variant CastOperand(TkvValueTypeClass type, TkvFilterOperatorKind kind, const Variant& value) {
  if (!type || kind == foLike || kind == foNotLike || IsDateWindow(kind) || value.IsNull()) return value;
  if (value.IsArray()) {
    if (!IsListKind(kind)) return value;  // an Equal over several fields
    std::vector<Variant> items;
    for (const Variant& e : value.ArrayData()->Items) items.push_back(e.IsArray() ? e : CastElement(type, e));
    return VarArrayOf(items);
  }
  return CastElement(type, value);
}

}  // namespace

Variant FilterOperandOf(TkvDbField* field, TkvFilterOperatorKind kind, const Variant& value) {
  return CastOperand(field ? field->ValueType() : nullptr, kind, value);
}

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

bool TkvDataFilterCriteriaItem::GetTypedSource(TkvFilterTypedSource& source) {
  TkvDbField* f = Field();
  if (!f || !f->ValueDef() || (f->Column() && f->Column()->HasValueExpression())) return false;
  TkvCustomDbDataController* c = Controller();
  source.Type = f->ValueType();
  source.Storage = &c->Storage();
  source.Def = f->ValueDef();
  source.Copy = c->ColumnCopy(f);
  return true;
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
  if (!CompiledUsable()) return false;
  Compiled& root = *CompiledNodes().front();
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
        return kvfilter::CompareWith(n, copy.Place(r), std::string_view(), o);
      }
      const TkvNumberKey k{d, d >= 9.2e18 ? INT64_MAX : (d <= -9.2e18 ? INT64_MIN : static_cast<int64_t>(d))};
      return CompareNumberKeys(k, key);
    };
    if (shape == sLike) {
      const bool softEmpty = (Options() & fcoIgnoreNull) && (Options() & fcoSoftNull);
      const bool wanted = n.Kind == foLike;
      keepWhere([&](int r) {
        const std::string_view text = copy.Text(r);
        return !(softEmpty && text.empty()) && (kvfilter::LikeFast(n, text) == wanted);
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
  return Evaluate(recordIndex);
}

// --- TkvDataFilterCriteria ---------------------------------------------------------------------------

TkvDataFilterCriteria::TkvDataFilterCriteria(TkvCustomDbDataController* controller) : FController(controller) {}

TkvDataFilterCriteria::~TkvDataFilterCriteria() {
  FDestroying = true;
  // Mended: criteria made by AddFilter stayed in the controller's list when deleted, and
  // the controller freed them a second time. They leave the list as they go.
  if (FController) FController->RemoveExtraFilter(this);
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
  const Variant typed = FilterOperandOf(f, kind, value);
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

void TkvDataFilterCriteria::DefinePublished(TPublishedProperties& properties) {
  TkvFilterCriteria::DefinePublished(properties);
  properties.AddBoolean("Active", this, &TkvDataFilterCriteria::Active, &TkvDataFilterCriteria::SetActive)
      .Default(false);
}

void TkvDataFilterCriteria::DefineProperties(TFiler& filer) {
  TkvFilterCriteria::DefineProperties(filer);
  filer.DefineBinaryProperty(
      "Criteria", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, HasCriteriaData());
}

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

void TkvDBDataFilterCriteria::DefinePublished(TPublishedProperties& properties) {
  TkvDataFilterCriteria::DefinePublished(properties);
  using C = TkvDBDataFilterCriteria;
  properties.AddBoolean("AutoDataSetFilter", this, &C::AutoDataSetFilter, &C::SetAutoDataSetFilter).Default(false);
  properties.AddBoolean("IgnoreOrigin", this, &C::IgnoreOrigin, &C::SetIgnoreOrigin).Default(true);
  properties.AddString("DateTimeFormat", this, &C::DateTimeFormat, &C::SetDateTimeFormat);
  properties.AddBoolean("SupportedLike", this, &C::SupportedLike, &C::SetSupportedLike).Default(true);
  properties.AddBoolean("TranslateBetween", this, &C::TranslateBetween, &C::SetTranslateBetween).Default(false);
  properties.AddBoolean("TranslateIn", this, &C::TranslateIn, &C::SetTranslateIn).Default(false);
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
