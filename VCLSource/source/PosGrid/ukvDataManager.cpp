// Value definitions and the record storage under the data controller (see
// ukvDataManager.h): laying out a record from its definitions, and keeping, reading and
// writing records by index, the internal scratch records included.
#include "VCLSource/source/PosGrid/ukvDataManager.h"

#include <algorithm>
#include <cstring>
#include <new>
#include "VCLSource/source/PosGrid/ukvDbConsts.h"

namespace {
// Extra bytes of a definition that keeps a text: the 32-bit stamp of the cached
// display text and its valid flag. The whole stamp is kept, so no number of
// invalidations can make a stale text look valid again.
constexpr int kTextStampBytes = 5;
// Bytes of the two text numbers of a definition that shares its texts.
constexpr int kSharedTextBytes = 8;
}  // namespace

void RaiseRecordIndexError() { throw EkvInvalidDataControllerOperation(kvLoadStr(SkvRecordIndexError)); }

// --- TkvValueDef ------------------------------------------------------------------------

TkvValueDef::TkvValueDef(TkvValueDefs* owner, TkvValueTypeClass valueType)
    : FOwner(owner), FValueType(valueType), FUsesCell(valueType->UsesCell()) {}

void TkvValueDef::Assign(const TkvValueDef& source) {
  FStored = source.IsStored();
  FTextStored = source.HasStoredText();
}

void TkvValueDef::Layout(int offset, int cellOffset) {
  FDataSize = FValueType->DataSize();
  FOffset = offset;
  FCellOffset = cellOffset;
  FSharesTexts = HasStoredText() && FValueType == TkvBooleanValueTypeClass();
  if (!IsStored()) {
    FRecordSize = 0;
    FCellCount = 0;
    return;
  }
  FRecordSize = 1 + FDataSize + (HasStoredText() ? kTextStampBytes : 0) + (FSharesTexts ? kSharedTextBytes : 0);
  FCellCount = (FValueType->UsesCell() ? 1 : 0) + (HasStoredText() && !FSharesTexts ? 2 : 0);
}

TkvValuePlace TkvValueDef::Place(TkvRecord* r) const {
  TkvValuePlace p;
  p.Data = r->Bytes() + FOffset + 1;
  p.Cell = FUsesCell ? &r->Cells()[static_cast<size_t>(FCellOffset)] : nullptr;
  return p;
}

int TkvValueDef::CompareRecordValues(const TkvRecord* r1, const TkvRecord* r2) const {
  const bool n1 = !r1 || !IsStored() || r1->Bytes()[static_cast<size_t>(FOffset)] == 0;
  const bool n2 = !r2 || !IsStored() || r2->Bytes()[static_cast<size_t>(FOffset)] == 0;
  if (n1 || n2) return n1 == n2 ? 0 : (n1 ? -1 : 1);
  return FValueType->CompareBuffers(Place(r1), Place(r2));
}

void TkvValueDef::GetRecordValue(const TkvRecord* r, Variant& v) const {
  if (!r || !IsStored() || r->Bytes()[static_cast<size_t>(FOffset)] == 0) {
    v = Variant::Null();
    return;
  }
  FValueType->GetVariant(Place(r), v);
}

void TkvValueDef::SetRecordValue(TkvRecord* r, const Variant& v) const {
  if (!r || !IsStored()) return;
  if (v.IsNull()) {
    FreeRecordValue(r);
    return;
  }
  // Convert and store first; the flag follows only a stored value.
  FValueType->SetVariant(Place(r), v);
  r->Bytes()[static_cast<size_t>(FOffset)] = 1;
}

void TkvValueDef::FreeRecordValue(TkvRecord* r) const {
  if (!r || !IsStored()) return;
  const TkvValuePlace p = Place(r);
  if (p.Cell) FValueType->FreeValue(p);
  std::memset(r->Bytes() + FOffset, 0, static_cast<size_t>(1 + FDataSize));
}

void TkvValueDef::GetRecordDisplayText(TkvRecord* r, int recordIndex, AnsiString& text) {
  if (!HasStoredText()) {
    if (!r || !IsStored() || r->Bytes()[static_cast<size_t>(FOffset)] == 0) {
      text.clear();
      return;
    }
    FValueType->GetDisplayText(Place(r), text);
    return;
  }
  if (!r) {
    text.clear();
    return;
  }
  uint8_t* texts = r->Bytes() + FOffset + 1 + FDataSize;
  if (FSharesTexts) {
    uint8_t* stamp = texts + kSharedTextBytes;
    uint32_t cached;
    std::memcpy(&cached, stamp, 4);
    if (stamp[4] != 0 && cached == FTextStamp) {
      GetSharedText(texts + 4, text);
      return;
    }
    GetSharedText(texts, text);
    if (OnGetText) OnGetText(this, recordIndex, text);
    SetSharedText(texts + 4, text);
    std::memcpy(stamp, &FTextStamp, 4);
    stamp[4] = 1;
    return;
  }
  uint8_t* stamp = texts;
  const size_t textCell = static_cast<size_t>(FCellOffset + (FValueType->UsesCell() ? 1 : 0));
  uint32_t cached;
  std::memcpy(&cached, stamp, 4);
  if (stamp[4] != 0 && cached == FTextStamp) {
    TkvValueType::GetText(r->Cells()[textCell + 1], text);
    return;
  }
  TkvValueType::GetText(r->Cells()[textCell], text);
  if (OnGetText) OnGetText(this, recordIndex, text);
  TkvValueType::SetText(r->Cells()[textCell + 1], text);
  std::memcpy(stamp, &FTextStamp, 4);
  stamp[4] = 1;
}

void TkvValueDef::SetRecordText(TkvRecord* r, const AnsiString& text) const {
  if (!r || !HasStoredText()) return;
  if (FSharesTexts) {
    uint8_t* texts = r->Bytes() + FOffset + 1 + FDataSize;
    SetSharedText(texts, text);
    texts[kSharedTextBytes + 4] = 0;  // cached text invalid
    return;
  }
  const size_t textCell = static_cast<size_t>(FCellOffset + (FValueType->UsesCell() ? 1 : 0));
  TkvValueType::SetText(r->Cells()[textCell], text);
  r->Bytes()[static_cast<size_t>(FOffset + 1 + FDataSize + 4)] = 0;  // cached text invalid
}

void TkvValueDef::GetSharedText(const uint8_t* p, AnsiString& text) const {
  uint32_t id;
  std::memcpy(&id, p, sizeof id);
  text.assign(FSharedTexts.Text(id));
}

void TkvValueDef::SetSharedText(uint8_t* p, std::string_view text) const {
  const uint32_t id = FSharedTexts.Add(text);
  std::memcpy(p, &id, sizeof id);
  if (FSharedTexts.SweepDue()) SweepSharedTexts();
}

void TkvValueDef::SweepSharedTexts() const {
  const TkvRecordTable& records = FOwner->Storage()->RangeOf(*FOwner);
  const size_t at = static_cast<size_t>(FOffset + 1 + FDataSize);
  std::vector<bool> held(FSharedTexts.Count() + 1, false);
  for (size_t i = 0; i < records.Size(); ++i) {
    const TkvRecord* r = records.At(i);
    if (!r) continue;
    for (size_t k = 0; k < 2; ++k) {
      uint32_t id;
      std::memcpy(&id, r->Bytes() + at + 4 * k, sizeof id);
      if (id < held.size()) held[id] = true;
    }
  }
  const std::vector<uint32_t> renumbered = FSharedTexts.Sweep(held);
  for (size_t i = 0; i < records.Size(); ++i) {
    TkvRecord* r = records.At(i);
    if (!r) continue;
    for (size_t k = 0; k < 2; ++k) {
      uint8_t* p = r->Bytes() + at + 4 * k;
      uint32_t id;
      std::memcpy(&id, p, sizeof id);
      id = id < renumbered.size() ? renumbered[id] : 0;
      std::memcpy(p, &id, sizeof id);
    }
  }
}

TObject* TkvInternalValueDef::GetLink() const {
  const TkvValueDef* d = DataDef();
  return d ? d->GetLink() : nullptr;
}

// --- TkvValueDefs ---------------------------------------------------------------------

TkvValueDefs::TkvValueDefs(TkvDataStorage* storage, bool internal) : FStorage(storage), FInternal(internal) {}
TkvValueDefs::~TkvValueDefs() = default;

void TkvValueDefs::Prepare() {
  FStorage->BumpStamp();
  int offset = 0, cells = 0;
  for (const auto& d : FItems) {
    d->Layout(offset, cells);
    offset += d->FRecordSize;
    cells += d->FCellCount;
  }
  FRecordSize = offset;
  FCellCount = cells;
}

TkvValueDef* TkvValueDefs::Add(TkvValueTypeClass valueType, bool stored, bool textStored, TObject* link) {
  // A definition takes at most three cells (value, source text, shown text); refused
  // before anything changes when a record could not hold them.
  if (static_cast<size_t>(std::max(FCellCount, FStorage->FInternalDefs->FCellCount)) + 3 > kvMaxRecordCells)
    throw EInvalidOperation(kvTooManyCells);
  FStorage->BumpStamp();
  std::unique_ptr<TkvValueDef> twin;
  if (!FInternal) {
    // The internal twin comes first, so internal records have the field too.
    twin = std::make_unique<TkvInternalValueDef>(FStorage->FInternalDefs.get(), valueType);
    twin->FTextStored = textStored;
  }
  std::unique_ptr<TkvValueDef> def = FInternal ? std::make_unique<TkvInternalValueDef>(this, valueType)
                                               : std::make_unique<TkvValueDef>(this, valueType);
  def->FStored = stored;
  def->FTextStored = textStored;
  def->FLink = link;
  if (twin) {
    twin->FLink = def.get();
    TkvValueDefs& internalDefs = *FStorage->FInternalDefs;
    twin->Layout(internalDefs.FRecordSize, internalDefs.FCellCount);
    FStorage->FInternalRecords.Reshape(static_cast<size_t>(internalDefs.FRecordSize), 0,
                                       static_cast<size_t>(twin->FRecordSize),
                                       static_cast<size_t>(internalDefs.FCellCount), 0,
                                       static_cast<size_t>(twin->FCellCount));
    internalDefs.FItems.push_back(std::move(twin));
    internalDefs.Prepare();
  }
  def->Layout(FRecordSize, FCellCount);
  FStorage->RangeOf(*this).Reshape(static_cast<size_t>(FRecordSize), 0, static_cast<size_t>(def->FRecordSize),
                                   static_cast<size_t>(FCellCount), 0, static_cast<size_t>(def->FCellCount));
  TkvValueDef* result = def.get();
  FItems.push_back(std::move(def));
  Prepare();
  FStorage->Changed();
  return result;
}

void TkvValueDefs::Remove(TkvValueDef* def) {
  FStorage->BumpStamp();
  auto it = std::find_if(FItems.begin(), FItems.end(), [&](const auto& p) { return p.get() == def; });
  if (it == FItems.end()) return;
  if (!FInternal) {
    TkvValueDefs& internalDefs = *FStorage->FInternalDefs;
    for (int i = internalDefs.Count() - 1; i >= 0; --i) {
      auto* twin = static_cast<TkvInternalValueDef*>(internalDefs.FItems[static_cast<size_t>(i)].get());
      if (twin->DataDef() == def) {
        internalDefs.Remove(twin);
        break;
      }
    }
  }
  // The record keeps its header and its other values: only this definition's bytes
  // and cells go.
  if (def->FRecordSize > 0 || def->FCellCount > 0) {
    FStorage->RangeOf(*this).Reshape(static_cast<size_t>(def->FOffset), static_cast<size_t>(def->FRecordSize), 0,
                                     static_cast<size_t>(def->FCellOffset), static_cast<size_t>(def->FCellCount), 0);
  }
  auto& order = FStorage->DefOrder;
  order.erase(std::remove(order.begin(), order.end(), def), order.end());
  FItems.erase(it);
  Prepare();
  FStorage->Changed();
}

TkvValueDef* TkvValueDefs::Items(int index) const {
  if (!FInternal && !FStorage->DefOrder.empty()) {
    if (index < 0 || index >= static_cast<int>(FStorage->DefOrder.size())) RaiseRecordIndexError();
    return FStorage->DefOrder[static_cast<size_t>(index)];
  }
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return FItems[static_cast<size_t>(index)].get();
}

TkvValueDef* TkvValueDefs::FindByLink(const TObject* link) const {
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
    if ((*it)->TkvValueDef::GetLink() == link) return it->get();
  return nullptr;
}

int TkvValueDefs::StoredCount() const {
  return static_cast<int>(std::count_if(FItems.begin(), FItems.end(), [](const auto& d) { return d->IsStored(); }));
}

// --- TkvDataStorage ---------------------------------------------------------------------

TkvDataStorage::TkvDataStorage()
    : FInternalDefs(std::make_unique<TkvValueDefs>(this, true)), FValueDefs(std::make_unique<TkvValueDefs>(this, false)) {}

TkvDataStorage::~TkvDataStorage() {
  FDestroying = true;
  Clear(false);
}

TkvValueDefs& TkvDataStorage::GetValueDefs(int recordIndex) { return recordIndex < 0 ? *FInternalDefs : *FValueDefs; }

TkvRecordTable& TkvDataStorage::TableOf(int index, size_t& entry) {
  if (index >= 0) {
    if (index >= RecordCount()) RaiseRecordIndexError();
    entry = static_cast<size_t>(index);
    return FRecords;
  }
  entry = static_cast<size_t>(-(static_cast<int64_t>(index) + 1));
  if (entry >= FInternalRecords.Size()) RaiseRecordIndexError();
  return FInternalRecords;
}

TkvRecord* TkvDataStorage::Allocate(int index) {
  size_t entry;
  TkvRecordTable& table = TableOf(index, entry);
  if (TkvRecord* r = table.At(entry)) return r;
  const TkvValueDefs& defs = index < 0 ? *FInternalDefs : *FValueDefs;
  return table.Allocate(entry, static_cast<size_t>(defs.RecordSize()), static_cast<size_t>(defs.CellCount()));
}

TkvRecord* TkvDataStorage::RecordAt(int index) {
  size_t entry;
  return TableOf(index, entry).At(entry);
}

TkvValueDef* TkvDataStorage::DefFor(int index, TkvValueDef* def) {
  if (!def) return nullptr;
  if (index >= 0 || def->Owner() == FInternalDefs.get()) return def;
  return FInternalDefs->FindByLink(def);
}

void TkvDataStorage::AssignId(TkvRecord* r) {
  if (r->Id == 0) r->Id = FNextRecordId++;
}

void TkvDataStorage::AssignIds(int index) {
  if (FRecordIds) AssignId(Allocate(index));
}

int TkvDataStorage::AppendRecord() {
  ++FStamp;
  FRecords.AppendEmpty();
  const int index = RecordCount() - 1;
  AssignIds(index);
  return index;
}

void TkvDataStorage::InsertRecord(int index) {
  ++FStamp;
  if (index < 0 || index > RecordCount()) RaiseRecordIndexError();
  FRecords.InsertEmpty(static_cast<size_t>(index));
  AssignIds(index);
}

void TkvDataStorage::DeleteRecord(int index) {
  if (index >= 0) ++FStamp;
  size_t entry;
  TkvRecordTable& table = TableOf(index, entry);
  if (index < 0) {
    table.Free(entry);
    return;
  }
  table.Erase(entry);
  if (FRecords.Empty()) FNextRecordId = 1;
}

int TkvDataStorage::AppendInternalRecord() {
  size_t k = 0;
  while (k < FInternalRecords.Size() && TestState(FInternalRecords.At(k), kvRecordInUse)) ++k;
  if (k == FInternalRecords.Size()) FInternalRecords.AppendEmpty();
  const int index = -static_cast<int>(k) - 1;
  SetState(Allocate(index), kvRecordInUse, true);
  return index;
}

int TkvDataStorage::SetRecordCount(int count) {
  ++FStamp;
  if (count < 0) count = 0;
  if (RecordCount() < count) FRecords.Reserve(static_cast<size_t>(count));
  while (RecordCount() < count) AppendRecord();
  while (RecordCount() > count) DeleteRecord(RecordCount() - 1);
  return RecordCount();
}

void TkvDataStorage::Clear(bool keepInternal) {
  ++FStamp;
  if (!keepInternal) {
    FInternalRecords.Clear();
    // No notice while the storage is being destroyed: its owner is half gone.
    if (!FDestroying && OnClearInternalRecords) OnClearInternalRecords(nullptr);
  }
  FRecords.Clear();
  FNextRecordId = 1;
}

int TkvDataStorage::CompareRecords(int index1, int index2, TkvValueDef* def) {
  const TkvValueDef* d1 = DefFor(index1, def);
  const TkvValueDef* d2 = DefFor(index2, def);
  if (!d1 || !d2) return 0;
  const TkvRecord* r1 = RecordAt(index1);
  const TkvRecord* r2 = RecordAt(index2);
  if (d1 == d2) return d1->CompareRecordValues(r1, r2);
  // A data record against an internal one: the definition and its twin have the same
  // value type, each at its own place.
  const bool n1 = !r1 || !d1->IsStored() || r1->Bytes()[static_cast<size_t>(d1->Offset())] == 0;
  const bool n2 = !r2 || !d2->IsStored() || r2->Bytes()[static_cast<size_t>(d2->Offset())] == 0;
  if (n1 || n2) return n1 == n2 ? 0 : (n1 ? -1 : 1);
  return d1->ValueType()->CompareBuffers(d1->Place(r1), d2->Place(r2));
}

void TkvDataStorage::GetValue(int index, TkvValueDef* def, Variant& v) {
  TkvRecord* r = RecordAt(index);
  TkvValueDef* d = DefFor(index, def);
  if (!d) {
    v = Variant::Null();
    return;
  }
  d->GetRecordValue(r, v);
}

void TkvDataStorage::SetValue(int index, TkvValueDef* def, const Variant& v) {
  if (index >= 0) ++FStamp;
  TkvValueDef* d = DefFor(index, def);
  if (!d) {
    RecordAt(index);  // still checks the index
    return;
  }
  d->SetRecordValue(Allocate(index), v);
}

void TkvDataStorage::GetDisplayText(int index, TkvValueDef* def, AnsiString& text) {
  TkvRecord* r = RecordAt(index);
  TkvValueDef* d = DefFor(index, def);
  if (!r || !d) {
    text.clear();
    return;
  }
  d->GetRecordDisplayText(r, index, text);
}

void TkvDataStorage::SetDisplayText(int index, TkvValueDef* def, const AnsiString& text) {
  TkvValueDef* d = DefFor(index, def);
  TkvRecord* r = Allocate(index);
  if (d && d->HasStoredText()) d->SetRecordText(r, text);
}

// --- typed values ---------------------------------------------------------------------------

TkvValueDef* TkvDataStorage::TypedDef(int index, TkvValueDef* def, TkvValueTypeClass t) {
  // A data definition on a data record (the loaders' case): IsStored without the call.
  if (def && index >= 0 && def->Owner() == FValueDefs.get())
    return def->ValueType() == t && (def->Stored() || !FStoredOnly) ? def : nullptr;
  TkvValueDef* d = DefFor(index, def);
  return d && d->ValueType() == t && d->IsStored() ? d : nullptr;
}

TkvValuePlace TkvDataStorage::TypedPlace(int index, TkvValueDef* d) {
  if (index >= 0) ++FStamp;
  TkvRecord* r = static_cast<size_t>(index) < FRecords.Size() ? FRecords.At(static_cast<size_t>(index)) : nullptr;
  if (!r) r = Allocate(index);
  r->Bytes()[static_cast<size_t>(d->Offset())] = 1;  // the value below cannot fail
  return d->Place(r);
}

TkvDataStorage::TypedRead TkvDataStorage::TypedValue(int index, TkvValueDef* def, TkvValueTypeClass t,
                                                     TkvConstPlace& place) {
  const TkvRecord* r = RecordAt(index);
  const TkvValueDef* d = DefFor(index, def);
  if (!d || d->ValueType() != t) return TypedRead::kOtherType;
  return d->GetRecordPlace(r, place) ? TypedRead::kPlace : TypedRead::kNull;
}

namespace {
template <class T>
void StoreValue(uint8_t* p, T v) {
  std::memcpy(p, &v, sizeof v);
}
template <class T>
T LoadValue(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
}  // namespace

void TkvDataStorage::SetInteger(int index, TkvValueDef* def, int32_t v) {
  if (TkvValueDef* d = TypedDef(index, def, TkvIntegerValueTypeClass())) StoreValue(TypedPlace(index, d).Data, v);
  else SetValue(index, def, Variant(static_cast<int>(v)));
}

void TkvDataStorage::SetFloat(int index, TkvValueDef* def, double v) {
  if (TkvValueDef* d = TypedDef(index, def, TkvFloatValueTypeClass())) StoreValue(TypedPlace(index, d).Data, v);
  else SetValue(index, def, Variant(v));
}

void TkvDataStorage::SetDateTime(int index, TkvValueDef* def, TDateTime v) {
  if (TkvValueDef* d = TypedDef(index, def, TkvDateTimeValueTypeClass())) StoreValue(TypedPlace(index, d).Data, double(v));
  else SetValue(index, def, Variant::FromDate(v));
}

void TkvDataStorage::SetCurrency(int index, TkvValueDef* def, Currency v) {
  if (TkvValueDef* d = TypedDef(index, def, TkvCurrencyValueTypeClass())) StoreValue(TypedPlace(index, d).Data, v.Scaled());
  else SetValue(index, def, Variant::FromCurrency(v));
}

void TkvDataStorage::SetBoolean(int index, TkvValueDef* def, bool v) {
  if (TkvValueDef* d = TypedDef(index, def, TkvBooleanValueTypeClass())) TypedPlace(index, d).Data[0] = v ? 1 : 0;
  else SetValue(index, def, Variant(v));
}

void TkvDataStorage::SetString(int index, TkvValueDef* def, AnsiString v) {
  if (TkvValueDef* d = TypedDef(index, def, TkvStringValueTypeClass())) TypedPlace(index, d).Cell->SetText(v);
  else SetValue(index, def, Variant(std::move(v)));
}

template <class T, class Load, class Convert>
bool TkvDataStorage::GetTyped(int index, TkvValueDef* def, TkvValueTypeClass t, T& v, Load load, Convert convert) {
  TkvConstPlace p;
  switch (TypedValue(index, def, t, p)) {
    case TypedRead::kNull: return false;
    case TypedRead::kPlace: return load(p, v);
    default: break;
  }
  Variant x;
  GetValue(index, def, x);
  if (x.IsNull()) return false;
  v = convert(x);
  return true;
}

bool TkvDataStorage::GetInteger(int index, TkvValueDef* def, int32_t& v) {
  return GetTyped(index, def, TkvIntegerValueTypeClass(), v,
                  [](const TkvConstPlace& p, int32_t& out) { out = LoadValue<int32_t>(p.Data); return true; },
                  [](const Variant& x) { return x.AsInteger(); });
}

bool TkvDataStorage::GetFloat(int index, TkvValueDef* def, double& v) {
  return GetTyped(index, def, TkvFloatValueTypeClass(), v,
                  [](const TkvConstPlace& p, double& out) { out = LoadValue<double>(p.Data); return true; },
                  [](const Variant& x) { return x.AsDouble(); });
}

bool TkvDataStorage::GetDateTime(int index, TkvValueDef* def, TDateTime& v) {
  return GetTyped(index, def, TkvDateTimeValueTypeClass(), v,
                  [](const TkvConstPlace& p, TDateTime& out) { out = LoadValue<double>(p.Data); return true; },
                  [](const Variant& x) { return x.AsDateTime(); });
}

bool TkvDataStorage::GetCurrency(int index, TkvValueDef* def, Currency& v) {
  return GetTyped(index, def, TkvCurrencyValueTypeClass(), v,
                  [](const TkvConstPlace& p, Currency& out) {
                    out = Currency::FromScaled(LoadValue<int64_t>(p.Data));
                    return true;
                  },
                  [](const Variant& x) { return x.AsCurrency(); });
}

bool TkvDataStorage::GetBoolean(int index, TkvValueDef* def, bool& v) {
  return GetTyped(index, def, TkvBooleanValueTypeClass(), v,
                  [](const TkvConstPlace& p, bool& out) { out = p.Data[0] != 0; return true; },
                  [](const Variant& x) { return x.AsBoolean(); });
}

bool TkvDataStorage::GetString(int index, TkvValueDef* def, AnsiString& v) {
  return GetTyped(index, def, TkvStringValueTypeClass(), v,
                  [](const TkvConstPlace& p, AnsiString& out) {
                    // An emptied cell reads as the Null a Variant would give.
                    if (!p.Cell->HasText()) return false;
                    out.assign(p.Cell->Text());
                    return true;
                  },
                  [](const Variant& x) { return x.AsString(); });
}

void TkvDataStorage::ReadRecord(int index, TkvValueDefReader& reader) {
  if (index >= 0) ++FStamp;
  TkvRecord* r = Allocate(index);
  TkvValueDefs& defs = GetValueDefs(index);
  for (int i = 0; i < defs.Count(); ++i) {
    TkvValueDef* d = defs.FItems[static_cast<size_t>(i)].get();
    if (reader.SkipValueDef(d)) continue;
    Variant v;
    reader.GetValue(d, v);
    d->SetRecordValue(r, v);
    if (d->HasStoredText()) {
      AnsiString text;
      reader.GetDisplayText(d, text);
      d->SetRecordText(r, text);
    }
  }
}

uint32_t TkvDataStorage::GetRecordId(int index) {
  const TkvRecord* r = RecordAt(index);
  return r ? r->Id : 0;
}

void TkvDataStorage::SetRecordId(int index, uint32_t id) { Allocate(index)->Id = id; }

void TkvDataStorage::SetState(TkvRecord* r, uint8_t mask, bool on) {
  if (!r) return;
  if (on) r->State |= mask; else r->State &= static_cast<uint8_t>(~mask);
}

void TkvDataStorage::SetStoredOnly(bool v) {
  ++FStamp;
  if (v == FStoredOnly) return;
  if (FRecords.AnyAllocated() || FInternalRecords.AnyAllocated())
    throw EInvalidOperation("StoredOnly cannot change while records are allocated");
  FStoredOnly = v;
  FValueDefs->Prepare();
  FInternalDefs->Prepare();
}

void TkvDataStorage::SetRecordIds(bool v) {
  ++FStamp;
  if (v == FRecordIds) return;
  FRecordIds = v;
  if (v)
    for (int i = 0; i < RecordCount(); ++i) AssignIds(i);
}
