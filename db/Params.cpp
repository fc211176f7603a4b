// Parameter lists and their packed form.
#include "db/Params.h"

#include <algorithm>

namespace {

TFieldType TypeOfValue(const Variant& v) {
  switch (v.VType()) {
    case varSmallint: case varShortInt: case varByte: return ftSmallint;
    case varWord: case varInteger: return ftInteger;
    case varCurrency: return ftBCD;
    case varLongWord: case varSingle: case varDouble: return ftFloat;
    case varDate: return ftDateTime;
    case varBoolean: return ftBoolean;
    case varString: return ftString;
    case varOleStr: return ftWideString;
    case varInt64: return ftLargeint;
    case varFMTBcd: return ftFMTBcd;
    default: return ftUnknown;
  }
}

[[noreturn]] void BadList(const AnsiString& what) {
  throw EDataPacketError("Invalid parameter list: " + what);
}

// The elements of a one-dimensional array, whatever its low bound.
std::vector<Variant> Elements(const Variant& v, const char* what) {
  if (!v.IsArray() || VarArrayDimCount(v) != 1) BadList(AnsiString(what) + " is not a one-dimensional array");
  const int lo = VarArrayLowBound(v, 1), hi = VarArrayHighBound(v, 1);
  std::vector<Variant> out;
  if (hi >= lo) out.reserve(static_cast<size_t>(hi - lo + 1));
  for (int i = lo; i <= hi; ++i) out.push_back(v[i]);
  return out;
}

int IntegerItem(const std::vector<Variant>& items, size_t i, int lo, int hi, const char* what,
                size_t param) {
  if (i >= items.size() || items[i].IsNull() || items[i].IsEmpty()) return 0;
  if (!VarIsOrdinal(items[i])) BadList(Format("%s of parameter %d is not an integer", {what, static_cast<int64_t>(param)}));
  const int64_t v = items[i].AsInt64();
  if (v < lo || v > hi) BadList(Format("%s of parameter %d is out of range", {what, static_cast<int64_t>(param)}));
  return static_cast<int>(v);
}

}  // namespace

void TParam::SetValue(const Variant& v) {
  if (FDataType == ftUnknown) FDataType = TypeOfValue(v);
  FValue = v.IsEmpty() ? Variant::Null() : v;
  FBound = true;
}

void TParam::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TParam*>(Source)) {
    if (p == this) return;
    FName = p->FName;
    FValue = p->FValue;
    FDataType = p->FDataType;
    FParamType = p->FParamType;
    FSize = p->FSize;
    FPrecision = p->FPrecision;
    FNumericScale = p->FNumericScale;
    FBound = p->FBound;
    return;
  }
  TPersistent::Assign(Source);
}

TParam* TParams::Items(int index) const {
  if (index < 0 || index >= Count())
    throw EListError(Format("List index out of bounds (%d)", {index}));
  return FItems[static_cast<size_t>(index)].get();
}

TParam* TParams::Add() {
  FItems.push_back(std::make_unique<TParam>(this));
  return FItems.back().get();
}

TParam* TParams::CreateParam(TFieldType type, const AnsiString& name, TParamType kind) {
  TParam* p = Add();
  p->SetName(name);
  p->SetDataType(type);
  p->SetParamType(kind);
  return p;
}

void TParams::RemoveParam(TParam* p) {
  FItems.erase(std::remove_if(FItems.begin(), FItems.end(),
                              [p](const std::unique_ptr<TParam>& x) { return x.get() == p; }),
               FItems.end());
}

TParam* TParams::FindParam(std::string_view name) const {
  for (const auto& p : FItems)
    if (SameText(p->Name(), name)) return p.get();
  return nullptr;
}

TParam* TParams::ParamByName(std::string_view name) const {
  TParam* p = FindParam(name);
  if (p == nullptr) DatabaseErrorFmt(SParameterNotFound, {name});
  return p;
}

void TParams::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TParams*>(Source)) {
    if (src == this) return;
    std::vector<std::unique_ptr<TParam>> items;
    for (const auto& p : src->FItems) {
      items.push_back(std::make_unique<TParam>(this));
      items.back()->Assign(p.get());
    }
    FItems.swap(items);
    return;
  }
  TPersistent::Assign(Source);
}

Variant PackageParams(const TParams& params, TParamTypes types) {
  std::vector<Variant> list;
  for (int i = 0; i < params.Count(); ++i) {
    const TParam* p = params.Items(i);
    if ((types & (1u << p->ParamType())) == 0) continue;
    list.push_back(VarArrayOf({Variant(p->Name()), p->IsNull() ? Variant::Null() : p->Value(),
                               Variant(static_cast<int>(p->DataType())),
                               Variant(static_cast<int>(p->ParamType())), Variant(p->Size()),
                               Variant(p->Precision()), Variant(p->NumericScale())}));
  }
  if (list.empty()) return Variant::Null();
  return VarArrayOf(list);
}

void UnpackParams(const Variant& source, TParams& dest) {
  if (source.IsNull() || source.IsEmpty()) return;
  const std::vector<Variant> list = Elements(source, "the list");
  if (list.size() > static_cast<size_t>(kMaxPackedParams))
    BadList(Format("%d parameters (at most %d)", {static_cast<int64_t>(list.size()), kMaxPackedParams}));
  // Check everything first, so that a bad list changes nothing.
  struct Item {
    AnsiString name;
    Variant value;
    int type, kind, size, precision, scale;
  };
  std::vector<Item> items;
  for (size_t i = 0; i < list.size(); ++i) {
    const std::vector<Variant> e = Elements(list[i], "a parameter");
    if (e.size() < 2 || e.size() > 7) BadList(Format("parameter %d has %d items", {static_cast<int64_t>(i), static_cast<int64_t>(e.size())}));
    if (!VarIsStr(e[0])) BadList(Format("the name of parameter %d is not a text", {static_cast<int64_t>(i)}));
    if (e[1].IsArray()) BadList(Format("the value of parameter %d is an array", {static_cast<int64_t>(i)}));
    Item it;
    it.name = e[0].AsString();
    it.value = e[1].IsEmpty() ? Variant::Null() : e[1];
    it.type = IntegerItem(e, 2, 0, kFieldTypeCount - 1, "the data type", i);
    it.kind = IntegerItem(e, 3, ptUnknown, ptResult, "the parameter type", i);
    it.size = IntegerItem(e, 4, INT32_MIN, INT32_MAX, "the size", i);
    it.precision = IntegerItem(e, 5, INT32_MIN, INT32_MAX, "the precision", i);
    it.scale = IntegerItem(e, 6, INT32_MIN, INT32_MAX, "the scale", i);
    items.push_back(std::move(it));
  }
  for (Item& it : items) {
    TParam* p = dest.FindParam(it.name);
    if (p == nullptr) {
      p = dest.Add();
      p->SetName(it.name);
    }
    p->SetDataType(static_cast<TFieldType>(it.type));
    p->SetParamType(static_cast<TParamType>(it.kind));
    p->SetSize(it.size);
    p->SetPrecision(it.precision);
    p->SetNumericScale(it.scale);
    p->SetValue(it.value);
  }
}
