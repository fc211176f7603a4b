// The criteria tree: updates, evaluation, text forms and the binary form.
#include "VCLSource/source/PosGrid/ukvFilter.h"

#include <algorithm>
#include "rtl/AnsiStringCase.h"
#include "rtl/ComponentStreaming.h"
#include "VCLSource/source/PosGrid/ukvFilterConst.h"
#include "VCLSource/source/PosGrid/ukvFilterTyped.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "VCLSource/source/PosGrid/ukvVariantStream.h"

namespace {

// Deepest nesting of condition lists a reader accepts.
constexpr int kMaxCriteriaNesting = 64;

bool IsNotOperator(TkvFilterBoolOperator op) { return op == fboNotAnd || op == fboNotOr; }

TkvFilterCriteriaItem* FindCondition(TkvFilterCriteriaItemList& list, TObject* link) {
  for (int i = 0; i < list.Count(); ++i) {
    TkvCustomFilterCriteriaItem* it = list.Items(i);
    if (it->IsItemList()) {
      if (auto* found = FindCondition(*static_cast<TkvFilterCriteriaItemList*>(it), link)) return found;
    } else if (static_cast<TkvFilterCriteriaItem*>(it)->Link() == link) {
      return static_cast<TkvFilterCriteriaItem*>(it);
    }
  }
  return nullptr;
}

}  // namespace

// --- items ---------------------------------------------------------------------------------

void TkvCustomFilterCriteriaItem::Changed() {
  if (TkvFilterCriteria* c = GetCriteria()) c->SetModified();
}

TkvFilterCriteria* TkvCustomFilterCriteriaItem::GetCriteria() const { return FParent ? FParent->GetCriteria() : nullptr; }

TkvFilterCriteria* TkvFilterCriteriaItemList::GetCriteria() const {
  return Parent() ? Parent()->GetCriteria() : FCriteria;
}

void TkvFilterCriteriaItemList::SetBoolOperator(TkvFilterBoolOperator op) {
  if (op == FBoolOperator) return;
  FBoolOperator = op;
  Changed();
}

TkvCustomFilterCriteriaItem* TkvFilterCriteriaItemList::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return FItems[static_cast<size_t>(index)].get();
}

TkvFilterCriteriaItemList* TkvFilterCriteriaItemList::AddItemList(TkvFilterBoolOperator op) {
  return static_cast<TkvFilterCriteriaItemList*>(Add(std::make_unique<TkvFilterCriteriaItemList>(this, op)));
}

TkvCustomFilterCriteriaItem* TkvFilterCriteriaItemList::Add(std::unique_ptr<TkvCustomFilterCriteriaItem> child) {
  child->FParent = this;
  FItems.push_back(std::move(child));
  Changed();
  return FItems.back().get();
}

std::unique_ptr<TkvCustomFilterCriteriaItem> TkvFilterCriteriaItemList::Remove(TkvCustomFilterCriteriaItem* child) {
  auto it = std::find_if(FItems.begin(), FItems.end(), [&](const auto& p) { return p.get() == child; });
  if (it == FItems.end()) return nullptr;
  std::unique_ptr<TkvCustomFilterCriteriaItem> out = std::move(*it);
  FItems.erase(it);
  Changed();
  return out;
}

void TkvFilterCriteriaItemList::Clear() {
  TkvFilterCriteria* c = GetCriteria();
  TUpdateScope scope(c);
  while (!FItems.empty()) {
    FItems.pop_back();
    Changed();
  }
}

bool TkvFilterCriteriaItemList::IsEmpty() const {
  for (const auto& it : FItems)
    if (!it->IsItemList() || !static_cast<const TkvFilterCriteriaItemList*>(it.get())->IsEmpty()) return false;
  return true;
}

void TkvFilterCriteriaItemList::SaveToStream(TStream& stream) {
  stream.WriteUInt8(1);
  stream.WriteUInt8(FBoolOperator);
  stream.WriteInt32(Count());
  for (const auto& it : FItems) it->SaveToStream(stream);
}

TkvFilterCriteriaItem::TkvFilterCriteriaItem(TkvFilterCriteriaItemList* parent, TObject* link, TkvFilterOperatorKind kind,
                                             const Variant& value, const AnsiString& displayValue)
    : TkvCustomFilterCriteriaItem(parent), FDisplayValue(displayValue), FLink(link), FOperatorKind(kind), FValue(value) {
  FOperator = CreateFilterOperator(kind, IsNull(value), this);
  if (FOperator->IsNullOperator() && FDisplayValue.empty()) FDisplayValue = kvFilterLoadStr(SkvFilterBlank);
}

bool TkvFilterCriteriaItem::IsNull(const Variant& v) const {
  const TkvFilterCriteria* c = GetCriteria();
  return c ? c->IsNull(v) : v.IsNull();
}

void TkvFilterCriteriaItem::CreateOperator() {
  FOperator.reset();
  FOperator = CreateFilterOperator(FOperatorKind, IsNull(FValue), this);
  Changed();
}

void TkvFilterCriteriaItem::GetDisplayValue(AnsiString& s) {
  s = FDisplayValue;
  FOperator->AdjustDisplayValue(s);
}

void TkvFilterCriteriaItem::GetValueText(bool useCaption, AnsiString& s) {
  if (useCaption)
    GetDisplayValue(s);
  else
    FOperator->GetValueText(FValue, s);
}

void TkvFilterCriteriaItem::SaveToStream(TStream& stream) {
  TkvFilterCriteria* c = GetCriteria();
  stream.WriteUInt8(0);
  stream.WriteUInt8(FOperatorKind);
  WriteAnsiString(stream, FDisplayValue);
  stream.WriteInt32(c ? c->GetIdByLink(FLink) : 0);
  WriteVariant(stream, FValue);
}

// --- criteria ---------------------------------------------------------------------------------

TkvFilterCriteria::TkvFilterCriteria() : FRoot(std::make_unique<TkvFilterCriteriaItemList>(nullptr, fboAnd)) {
  FRoot->FCriteria = this;
}

TkvFilterCriteria::~TkvFilterCriteria() {
  FLockCount = 1;  // no notices while the tree goes
  FRoot.reset();
}

void TkvFilterCriteria::EndUpdate() {
  --FLockCount;
  Changed();
}

void TkvFilterCriteria::SetModified() {
  FModified = true;
  FCompiledValid = false;
  Changed();
}

void TkvFilterCriteria::Changed() {
  FCompiledValid = false;
  if (FLockCount > 0 || !FModified) return;
  FModified = false;
  PrepareOperators();
  DoChanged();
}

void TkvFilterCriteria::Clear() {
  TUpdateScope scope(this);
  FRoot->Clear();
  FRoot->SetBoolOperator(fboAnd);
}

TkvFilterCriteriaItem* TkvFilterCriteria::AddCondition(TkvFilterCriteriaItemList* parent, TObject* link,
                                                       TkvFilterOperatorKind kind, const Variant& value,
                                                       const AnsiString& displayValue) {
  TUpdateScope scope(this);
  if (!parent) parent = FRoot.get();
  std::unique_ptr<TkvFilterCriteriaItem> item = CreateItem(parent, link, kind, value, displayValue);
  return static_cast<TkvFilterCriteriaItem*>(parent->Add(std::move(item)));
}

std::unique_ptr<TkvFilterCriteriaItem> TkvFilterCriteria::CreateItem(TkvFilterCriteriaItemList* parent, TObject* link,
                                                                     TkvFilterOperatorKind kind, const Variant& value,
                                                                     const AnsiString& displayValue) {
  return std::make_unique<TkvFilterCriteriaItem>(parent, link, kind, value, displayValue);
}

std::unique_ptr<TkvFilterValueList> TkvFilterCriteria::CreateValueList() {
  return std::make_unique<TkvFilterValueList>(this);
}

void TkvFilterCriteria::RemoveItemsByLink(TObject* link) {
  TUpdateScope scope(this);
  while (TkvFilterCriteriaItem* item = FindCondition(*FRoot, link)) {
    TkvFilterCriteriaItemList* list = item->Parent();
    list->Delete(item);
    // Tidy upward: an emptied nested list goes; an AND or OR list left with one child
    // is replaced by that child. A NOT list keeps its single child: replacing it would
    // drop the negation and invert the filter.
    while (list != FRoot.get()) {
      TkvFilterCriteriaItemList* grand = list->Parent();
      if (list->Count() == 0) {
        grand->Delete(list);
      } else if (list->Count() == 1 && !IsNotOperator(list->BoolOperator())) {
        std::unique_ptr<TkvCustomFilterCriteriaItem> child = list->Remove(list->Items(0));
        grand->Add(std::move(child));
        grand->Delete(list);
      } else {
        break;
      }
      list = grand;
    }
  }
}

TkvFilterCriteriaItem* TkvFilterCriteria::FindItemByLink(TObject* link) const { return FindCondition(*FRoot, link); }

bool TkvFilterCriteria::IsNull(const Variant& v) const {
  return (FOptions & fcoSoftNull) ? IsNullOrEmptyString(v) : v.IsNull();
}

void TkvFilterCriteria::PrepareOperand(const Variant& v, Variant& result) const {
  if (v.IsArray()) {
    std::vector<Variant> items;
    for (const Variant& e : v.ArrayData()->Items) {
      Variant p;
      PrepareOperand(e, p);
      items.push_back(p);
    }
    result = VarArrayOf(items);
    return;
  }
  switch (v.VType()) {
    case varCurrency: result = Variant(v.AsDouble()); return;
    case varString:
      result = (FOptions & fcoCaseInsensitive) ? Variant(AnsiUpperCase(v.RawString())) : v;
      return;
    case varOleStr:
      // Wide texts fold the letters a String field folds (double-byte letters too).
      if (FOptions & fcoCaseInsensitive) {
        result = Variant(AnsiUpperCaseWide(v.RawWide()));
      } else {
        result = v;
      }
      return;
    default: result = v;
  }
}

void TkvFilterCriteria::PrepareOperators() {
  std::function<void(TkvFilterCriteriaItemList&)> walk = [&](TkvFilterCriteriaItemList& list) {
    for (int i = 0; i < list.Count(); ++i) {
      TkvCustomFilterCriteriaItem* it = list.Items(i);
      if (it->IsItemList())
        walk(*static_cast<TkvFilterCriteriaItemList*>(it));
      else
        static_cast<TkvFilterCriteriaItem*>(it)->Operator()->Prepare();
    }
  };
  walk(*FRoot);
}

bool TkvFilterCriteria::EvaluateItem(TkvFilterCriteriaItem& item, int recordIndex) {
  try {
    Variant raw, value, operand;
    item.GetDataValue(recordIndex, raw);
    PrepareOperand(raw, value);
    PrepareOperand(item.Value(), operand);
    if ((FOptions & fcoIgnoreNull) && !item.Operator()->IsNullOperator() && IsNull(value)) return false;
    return item.Operator()->Evaluate(value, operand);
  } catch (const EVariantError&) {
    if (FOptions & fcoSoftCompare) return false;
    throw;
  }
}

void TkvFilterCriteria::ListText(TkvFilterCriteriaItemList& list, bool useCaption, AnsiString& s) {
  const TkvFilterBoolOperator op = list.BoolOperator();
  AnsiString word;
  if (useCaption)
    word = kvFilterLoadStr(op == fboAnd || op == fboNotAnd ? SkvFilterAnd : SkvFilterOr);
  else
    word = op == fboAnd || op == fboNotAnd ? "AND" : "OR";
  s.clear();
  for (int i = 0; i < list.Count(); ++i) {
    TkvCustomFilterCriteriaItem* it = list.Items(i);
    AnsiString t;
    if (it->IsItemList())
      ListText(*static_cast<TkvFilterCriteriaItemList*>(it), useCaption, t);
    else
      GetItemText(static_cast<TkvFilterCriteriaItem*>(it), useCaption, t);
    if (it->IsItemList() && t.empty()) continue;  // an empty list adds nothing
    if (!s.empty()) s += " " + word + " ";
    s += "(" + t + ")";
  }
  if (IsNotOperator(op) && !s.empty())
    s = (useCaption ? kvFilterLoadStr(SkvFilterNot) : AnsiString("NOT")) + " (" + s + ")";
}

void TkvFilterCriteria::GetText(bool useCaption, AnsiString& s) { ListText(*FRoot, useCaption, s); }

void TkvFilterCriteria::GetItemText(TkvFilterCriteriaItem* item, bool useCaption, AnsiString& s) {
  if (!useCaption && item->Operator()->NeedsTranslation()) {
    item->Operator()->GetTranslatedText(item->Value(), s);
    return;
  }
  AnsiString field, op, value;
  GetItemFieldText(item, useCaption, field);
  GetItemOperatorText(item, useCaption, op);
  GetItemValueText(item, useCaption, value);
  s = field + " " + op;
  if (!value.empty()) s += " " + value;
}

void TkvFilterCriteria::GetItemFieldText(TkvFilterCriteriaItem* item, bool useCaption, AnsiString& s) {
  if (useCaption)
    item->GetFieldCaption(s);
  else
    item->GetFieldName(s);
}

void TkvFilterCriteria::GetItemOperatorText(TkvFilterCriteriaItem* item, bool useCaption, AnsiString& s) {
  TkvFilterOperator* op = item->Operator();
  if (useCaption && ((FOptions & fcoShowOperatorDescription) || op->HasListOperand()))
    op->GetCaption(s);
  else
    op->GetWord(s);
}

void TkvFilterCriteria::GetItemValueText(TkvFilterCriteriaItem* item, bool useCaption, AnsiString& s) {
  item->GetValueText(useCaption, s);
}

void TkvFilterCriteria::GetValueText(const Variant& v, AnsiString& s) {
  try {
    s = VarToStr(v);
  } catch (const EVariantError&) {
    s.clear();
  }
}

void TkvFilterCriteria::GetDateText(const Variant& v, AnsiString& s) {
  if (!FDateTimeFormat.empty())
    s = FormatDateTime(FDateTimeFormat, v.AsDateTime());
  else
    GetValueText(v, s);
}

void TkvFilterCriteria::SetDateTimeFormat(const AnsiString& v) {
  if (v == FDateTimeFormat) return;
  FDateTimeFormat = v;
  SetModified();
}

void TkvFilterCriteria::SetOptions(TkvFilterCriteriaOptions v) {
  if (v == FOptions) return;
  FOptions = v;
  SetModified();
}

void TkvFilterCriteria::SetPercentWildcard(char v) {
  if (v == FPercentWildcard) return;
  FPercentWildcard = v;
  SetModified();
}

void TkvFilterCriteria::SetUnderscoreWildcard(char v) {
  if (v == FUnderscoreWildcard) return;
  FUnderscoreWildcard = v;
  SetModified();
}

void TkvFilterCriteria::SetDefaults() {
  TUpdateScope scope(this);
  SetOptions(0);
  SetPercentWildcard('%');
  SetSupportedLike(true);
  SetTranslateBetween(false);
  SetTranslateIn(false);
  SetUnderscoreWildcard('_');
}

void TkvFilterCriteria::DefinePublished(TPublishedProperties& properties) {
  TPersistent::DefinePublished(properties);
  using C = TkvFilterCriteria;
  properties.AddInteger("MaxValueListCount", this, &C::MaxValueListCount, &C::SetMaxValueListCount).Default(0);
  properties
      .AddSet("Options",
              {"fcoCaseInsensitive", "fcoShowOperatorDescription", "fcoSoftNull", "fcoSoftCompare", "fcoIgnoreNull"},
              this, &C::Options, &C::SetOptions)
      .Default(0);
  properties.AddChar("PercentWildcard", this, &C::PercentWildcard, &C::SetPercentWildcard).Default('%');
  properties.AddChar("UnderscoreWildcard", this, &C::UnderscoreWildcard, &C::SetUnderscoreWildcard).Default('_');
}

void TkvFilterCriteria::SaveToStream(TStream& stream) {
  TFilterWrapper wrapper(nullptr);
  wrapper.SetFilter(this);
  stream.WriteComponent(&wrapper);
}

void TkvFilterCriteria::LoadFromStream(TStream& stream) {
  TUpdateScope scope(this);
  TFilterWrapper wrapper(nullptr);
  wrapper.SetFilter(this);
  stream.ReadComponent(&wrapper);
}

void TFilterWrapper::DefinePublished(TPublishedProperties& properties) {
  TComponent::DefinePublished(properties);
  properties.AddClass("Filter", this, &TFilterWrapper::Filter);
}

bool TkvFilterCriteria::IsEqual(TkvFilterCriteria& other) {
  TMemoryStream a, b;
  WriteData(a);
  other.WriteData(b);
  return a.Bytes() == b.Bytes();
}

void TkvFilterCriteria::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TkvFilterCriteria*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  TUpdateScope scope(this);
  SetDateTimeFormat(src->FDateTimeFormat);
  FMaxValueListCount = src->FMaxValueListCount;
  SetOptions(src->FOptions);
  SetPercentWildcard(src->FPercentWildcard);
  FTranslateBetween = src->FTranslateBetween;
  FTranslateIn = src->FTranslateIn;
  FSupportedLike = src->FSupportedLike;
  SetUnderscoreWildcard(src->FUnderscoreWildcard);
  AssignItems(*src);
  OnChanged = src->OnChanged;
}

void TkvFilterCriteria::AssignItems(TkvFilterCriteria& source) {
  if (IsEqual(source)) return;
  TMemoryStream image;
  source.WriteData(image);
  image.SetPosition(0);
  ReadData(image);
}

void TkvFilterCriteria::WriteData(TStream& stream) {
  stream.WriteInt32(-1);
  stream.WriteUInt8(FRoot->BoolOperator());
  stream.WriteInt32(FRoot->Count());
  for (int i = 0; i < FRoot->Count(); ++i) FRoot->Items(i)->SaveToStream(stream);
}

void TkvFilterCriteria::ReadList(TStream& stream, TkvFilterCriteriaItemList& list, int32_t count, int depth) {
  // Every item takes at least two bytes; the count was the four bytes before here.
  if (count < 0 || count > stream.BytesLeft() / 2) RaiseKvReadError(stream.Position() - 4);
  for (int32_t i = 0; i < count; ++i) {
    const int64_t itemAt = stream.Position();
    if (ReadByte(stream) != 0) {
      if (depth >= kMaxCriteriaNesting) RaiseKvReadError(itemAt);
      const uint8_t op = ReadByte(stream);
      if (op > fboNotOr) RaiseKvReadError(itemAt + 1);
      const int32_t n = ReadInteger(stream);
      TkvFilterCriteriaItemList* child = list.AddItemList(static_cast<TkvFilterBoolOperator>(op));
      ReadList(stream, *child, n, depth + 1);
      // A list whose conditions all named unknown fields goes too.
      if (child->Count() == 0 && n > 0) {
        list.Delete(child);
        continue;
      }
      child->Loaded();
    } else {
      const uint8_t kind = ReadByte(stream);
      if (kind >= kvFilterOperatorKindCount) RaiseKvReadError(itemAt + 1);
      const AnsiString display = ReadAnsiString(stream);
      const int32_t id = ReadInteger(stream);
      const Variant value = ReadVariant(stream);
      TObject* link = GetLinkById(id);
      if (!link) continue;  // a condition on no field is left out
      TkvFilterCriteriaItem* item =
          static_cast<TkvFilterCriteriaItem*>(list.Add(CreateItem(&list, link, static_cast<TkvFilterOperatorKind>(kind), value, display)));
      item->Loaded();
    }
  }
}

void TkvFilterCriteria::ReadData(TStream& stream) {
  TUpdateScope scope(this);
  // The image is read into a new tree, which replaces the current one only when the
  // whole image was read: a truncated or malformed image leaves the filter as it was.
  auto fresh = std::make_unique<TkvFilterCriteriaItemList>(nullptr, fboAnd);
  fresh->FCriteria = this;
  int32_t count = ReadInteger(stream);
  if (count == -1) {
    const int64_t opAt = stream.Position();
    const uint8_t op = ReadByte(stream);
    if (op > fboNotOr) RaiseKvReadError(opAt);
    fresh->FBoolOperator = static_cast<TkvFilterBoolOperator>(op);
    count = ReadInteger(stream);
  }
  ReadList(stream, *fresh, count, 0);
  std::swap(FRoot, fresh);
  fresh.reset();
  SetModified();
}
