// TDataSet: cursor, states, buffers, bookmarks, filter, Locate, notices.
#include "db/DataSet.h"

#include <algorithm>
#include "db/DataLink.h"
#include "db/FieldClasses.h"
#include "db/PacketCheck.h"

namespace {

bool IsEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert; }

// Restores the state after a temporary state (OnCalcFields, OnFilterRecord).
class TempState {
 public:
  TempState(TDataSetState& state, std::vector<Variant>*& temp, TDataSetState s,
            std::vector<Variant>* record)
      : FState(state), FTemp(temp), FOldState(state), FOldTemp(temp) {
    state = s;
    temp = record;
  }
  ~TempState() {
    FState = FOldState;
    FTemp = FOldTemp;
  }
  TempState(const TempState&) = delete;
  TempState& operator=(const TempState&) = delete;

 private:
  TDataSetState& FState;
  std::vector<Variant>*& FTemp;
  TDataSetState FOldState;
  std::vector<Variant>* FOldTemp;
};

std::vector<AnsiString> SplitNames(std::string_view names) {
  std::vector<AnsiString> out;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(';', start);
    if (end == std::string_view::npos) end = names.size();
    AnsiString part = Trim(names.substr(start, end - start));
    if (!part.empty()) out.push_back(part);
    start = end + 1;
  }
  return out;
}

bool IsStringType(TFieldType t) {
  return t == ftString || t == ftFixedChar || t == ftWideString || t == ftMemo ||
         t == ftFmtMemo || t == ftGuid;
}

// Does the start of `value` equal `prefix` and end on a character boundary of `value`?
bool PrefixMatch(std::string_view value, std::string_view prefix, bool ci) {
  if (prefix.size() > value.size()) return false;
  std::string_view head = value.substr(0, prefix.size());
  if (ci ? AnsiCompareText(head, prefix) != 0 : head != prefix) return false;
  return prefix.size() == value.size() || !IsTrailByteAt(value, prefix.size());
}

bool KeyMatches(const Variant& value, const Variant& key, const TField* field,
                TLocateOptions options) {
  if (key.IsNull() || key.IsEmpty()) return value.IsNull() || value.IsEmpty();
  if (value.IsNull() || value.IsEmpty()) return false;
  const bool ci = (options & loCaseInsensitive) != 0;
  if (IsStringType(field->DataType())) {
    const AnsiString v = value.AsString();
    const AnsiString k = key.AsString();
    if (options & loPartialKey) return PrefixMatch(v, k, ci);
    return ci ? AnsiCompareText(v, k) == 0 : v == k;
  }
  try {
    return VarCompareValue(value, key) == vrEqual;
  } catch (const EVariantError&) {
    return false;
  } catch (const EConvertError&) {
    return false;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// construction

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner), FFields(this) {}

TDataSet::~TDataSet() {
  Destroying();
  if (Active()) {
    // No events while destroying: drop the data and tell the links.
    FState = dsInactive;
    FEditBuf.clear();
    DataEvent(deUpdateState, 0);
  }
  FRecords.clear();
  FView.clear();
  while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
  for (TField* f : std::vector<TField*>(FFields.begin(), FFields.end())) {
    FFields.Remove(f);
    f->DataSetDestroying();
  }
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
}

TField* GetFieldProperty(TDataSet* DataSet, TComponent* Control, std::string_view FieldName) {
  TField* f = DataSet != nullptr ? DataSet->FindField(FieldName) : nullptr;
  if (f == nullptr) DatabaseErrorFmt(SFieldNotFound, {FieldName}, Control);
  return f;
}

TField* TDataSet::FieldByName(std::string_view name) const {
  TField* f = FFields.FindField(name);
  if (f == nullptr) DatabaseErrorFmt(SFieldNotFound, {name}, this);
  return f;
}

void TDataSet::FieldAdded(TField* f) {
  if (Active()) DatabaseError(SDataSetOpen, this);
  FFields.Add(f);
}

void TDataSet::FieldRemoved(TField* f) {
  // Called from the field's destructor too (a form frees its fields before an open
  // dataset it also owns), so it never raises: the field's slot simply stays unused.
  FFields.Remove(f);
  FCalcFields.erase(std::remove(FCalcFields.begin(), FCalcFields.end(), f), FCalcFields.end());
}

// ---------------------------------------------------------------------------------------
// state helpers

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
}

void TDataSet::CheckBiDirectional() const {
  if (FUniDirectional) DatabaseError(SDataSetUnidirectional, this);
}

void TDataSet::SetState(TDataSetState s) {
  if (FState == s) return;
  FState = s;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

void TDataSet::NoteDataChange() {
  if (FDisableCount > 0) FChangedWhileDisabled = true;
}

// ---------------------------------------------------------------------------------------
// opening and closing

void TDataSet::SetActive(bool value) {
  if (value == Active()) return;
  if (value)
    OpenCursor();
  else
    CloseCursor();
}

void TDataSet::OpenCursor() {
  Fire(BeforeOpen);
  TDataPacket packet = InternalOpen();
  CheckDataPacket(packet);
  const bool makeFields = FFields.Count() == 0;
  try {
    BindFields(packet.Fields);
    FDefaultFields = makeFields;
    LoadRows(std::move(packet.Fields), std::move(packet.Rows));
    FState = dsBrowse;  // the filter and the calculated fields read records now
    CalculateAll();
    if (FFiltered) BindFilter();
    RebuildView();
  } catch (...) {
    FState = dsInactive;
    FRecords.clear();
    FView.clear();
    if (makeFields) DestroyDefaultFields();
    InternalClose();
    throw;
  }
  FBof = true;
  FEof = FView.empty();
  FillWindow(FView.empty() ? -1 : 0, 0);
  FState = dsInactive;
  NoteDataChange();
  SetState(dsBrowse);
  Fire(AfterOpen);
  if (!IsEmpty()) Fire(AfterScroll);
}

void TDataSet::CloseCursor() {
  if (!HasState(csDestroying)) Fire(BeforeClose);
  FEditBuf.clear();
  FKeyBuf.clear();
  FInsertBuf = -1;
  NoteDataChange();
  SetState(dsInactive);
  FRecords.clear();
  FView.clear();
  FIdIndex.clear();
  FIdIndexValid = false;
  FBufCount = FFirst = FActive = 0;
  FBof = FEof = true;
  FFilterBound = false;
  if (FDefaultFields) DestroyDefaultFields();
  for (TField* f : FFields) f->Bind(-1, 0);
  FCalcFields.clear();
  InternalClose();
  if (!HasState(csDestroying)) Fire(AfterClose);
}

void TDataSet::DestroyDefaultFields() {
  std::vector<TField*> owned;
  for (TField* f : FFields)
    if (f->Owner() == this) owned.push_back(f);
  for (TField* f : owned) delete f;
  FDefaultFields = false;
}

void TDataSet::BindFields(const std::vector<TPacketField>& columns) {
  FFieldDefs.Assign(columns);
  const bool makeFields = FFields.Count() == 0;
  if (makeFields) {
    for (size_t i = 0; i < columns.size(); ++i) {
      TField* f = CreateDefaultField(columns[i].DataType, this);
      f->SetFieldName(columns[i].Name);
      if (columns[i].DataType == ftString || columns[i].DataType == ftFixedChar ||
          columns[i].DataType == ftWideString || columns[i].DataType == ftBytes ||
          columns[i].DataType == ftVarBytes || columns[i].DataType == ftGuid)
        f->SetSize(columns[i].Size);
      if (columns[i].DataType == ftBCD || columns[i].DataType == ftFMTBcd) {
        f->SetSize(columns[i].Size);
        static_cast<TBCDField*>(f)->SetPrecision(columns[i].Precision);
      }
      f->SetRequired(columns[i].Required);
      FFields.Add(f);
      f->FDataSet = this;
    }
  }
  // Fields made here take their own column; persistent data fields find theirs by name
  // (the first column of a repeated name). Calculated and lookup fields get the slots
  // after the data columns.
  const int data = static_cast<int>(columns.size());
  int calc = 0;
  FCalcFields.clear();
  std::vector<std::pair<TField*, std::pair<int, int>>> binding;
  int ownIndex = 0;
  for (TField* f : FFields) {
    if (f->FieldKind() == fkData) {
      int col = -1;
      if (makeFields) {
        col = ownIndex++;
      } else {
        for (int i = 0; i < data && col < 0; ++i)
          if (SameText(columns[static_cast<size_t>(i)].Name, f->FieldName())) col = i;
      }
      if (col < 0) DatabaseErrorFmt(SFieldNotFound, {f->FieldName()}, this);
      binding.push_back({f, {col, col + 1}});
    } else if (f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup ||
               f->FieldKind() == fkInternalCalc) {
      if (f->FieldKind() == fkLookup &&
          (f->LookupDataSet() == nullptr || f->KeyFields().empty() ||
           f->LookupKeyFields().empty() || f->LookupResultField().empty()))
        DatabaseErrorFmt(SFieldLookupInfo, {f->DisplayName()}, this);
      binding.push_back({f, {data + calc, 0}});
      ++calc;
    }
  }
  for (auto& b : binding) {
    b.first->Bind(b.second.first, b.second.second);
    if (b.first->FieldKind() != fkData && b.first->FieldKind() != fkAggregate)
      FCalcFields.push_back(b.first);
  }
  FDataColumns = data;
  FSlots = data + calc;
}

void TDataSet::LoadRows(std::vector<TPacketField>&& columns,
                        std::vector<std::vector<Variant>>&& rows) {
  (void)columns;
  FRecords.clear();
  FRecords.reserve(rows.size());
  for (auto& row : rows) {
    Record r;
    r.Id = FNextId++;
    r.Values = std::move(row);
    r.Values.resize(static_cast<size_t>(FSlots), Variant::Null());
    FRecords.push_back(std::move(r));
  }
  rows.clear();
  FIdIndexValid = false;
}

TDataPacket TDataSet::StoredPacket() const {
  TDataPacket p;
  p.Fields = FFieldDefs.ToPacketFields();
  p.Rows.reserve(FRecords.size());
  for (const Record& r : FRecords)
    p.Rows.emplace_back(r.Values.begin(), r.Values.begin() + FDataColumns);
  return p;
}

void TDataSet::ClearRecords() {
  CheckActive();
  if (IsEditMode(FState) || FState == dsSetKey) {
    FEditBuf.clear();
    FInsertBuf = -1;
    SetState(dsBrowse);
  }
  FRecords.clear();
  FView.clear();
  FIdIndexValid = false;
  FillWindow(-1, 0);
  FBof = FEof = true;
  NoteDataChange();
  DataEvent(deDataSetChange, 0);
}

// ---------------------------------------------------------------------------------------
// records, view, filter, calculated fields

int TDataSet::StoreIndexOfId(uint64_t id) const {
  if (!FIdIndexValid) {
    FIdIndex.clear();
    FIdIndex.reserve(FRecords.size());
    for (size_t i = 0; i < FRecords.size(); ++i) FIdIndex[FRecords[i].Id] = static_cast<int>(i);
    FIdIndexValid = true;
  }
  auto it = FIdIndex.find(id);
  return it == FIdIndex.end() ? -1 : it->second;
}

int TDataSet::ViewPosOfStore(int storeIndex) const {
  auto it = std::lower_bound(FView.begin(), FView.end(), storeIndex);
  if (it == FView.end() || *it != storeIndex) return -1;
  return static_cast<int>(it - FView.begin());
}

void TDataSet::BindFilter() {
  FFilterBound = false;
  if (FFilterExpr && !FFilterExpr->IsEmpty()) {
    FFilterExpr->Bind([this](std::string_view name, int& slot, TFieldType& type) {
      TField* f = FFields.FindField(name);
      if (f == nullptr || f->Slot() < 0) return false;
      slot = f->Slot();
      type = f->DataType();
      return true;
    });
  }
  FFilterBound = true;
}

bool TDataSet::PassesFilter(const std::vector<Variant>& values) {
  if (!FFiltered) return true;
  if (FFilterExpr && !FFilterExpr->IsEmpty() &&
      !FFilterExpr->Evaluate(values, (FFilterOptions & foCaseInsensitive) != 0,
                             (FFilterOptions & foNoPartialCompare) != 0))
    return false;
  if (OnFilterRecord) {
    bool accept = true;
    TempState guard(FState, FTempRecord, dsFilter, const_cast<std::vector<Variant>*>(&values));
    OnFilterRecord(this, accept);
    return accept;
  }
  return true;
}

void TDataSet::RebuildView() {
  std::vector<int> view;
  view.reserve(FRecords.size());
  for (size_t i = 0; i < FRecords.size(); ++i)
    if (PassesFilter(FRecords[i].Values)) view.push_back(static_cast<int>(i));
  FView.swap(view);
}

void TDataSet::CalculateFields(std::vector<Variant>& values) {
  if (FCalcFields.empty()) return;
  for (TField* f : FCalcFields) values[static_cast<size_t>(f->Slot())] = Variant::Null();
  for (TField* f : FCalcFields) {
    if (f->FieldKind() != fkLookup || f->LookupDataSet() == nullptr ||
        !f->LookupDataSet()->Active())
      continue;
    std::vector<Variant> keys;
    for (const AnsiString& n : SplitNames(f->KeyFields())) {
      TField* k = FieldByName(n);
      keys.push_back(k->Slot() >= 0 ? values[static_cast<size_t>(k->Slot())] : Variant::Null());
    }
    const Variant key = keys.size() == 1 ? keys[0] : VarArrayOf(keys);
    values[static_cast<size_t>(f->Slot())] =
        f->LookupDataSet()->Lookup(f->LookupKeyFields(), key, f->LookupResultField());
  }
  if (OnCalcFields) {
    TempState guard(FState, FTempRecord, dsCalcFields, &values);
    OnCalcFields(this);
  }
}

void TDataSet::CalculateAll() {
  if (FCalcFields.empty()) return;
  for (Record& r : FRecords) CalculateFields(r.Values);
}

Variant TDataSet::RecordFieldValue(const Record& r, const TField* f) const {
  if (f->Slot() < 0 || f->Slot() >= static_cast<int>(r.Values.size())) return Variant::Null();
  return r.Values[static_cast<size_t>(f->Slot())];
}

std::vector<TField*> TDataSet::FieldsOf(std::string_view names) const {
  std::vector<TField*> out;
  for (const AnsiString& n : SplitNames(names)) out.push_back(FieldByName(n));
  if (out.empty()) DatabaseErrorFmt(SFieldNotFound, {names}, this);
  return out;
}

int TDataSet::FindRecord(const std::vector<TField*>& fields, const Variant& keyValues,
                         TLocateOptions options) const {
  std::vector<Variant> keys;
  if (!keyValues.IsArray()) {
    keys.push_back(keyValues);
  } else if (VarArrayDimCount(keyValues) == 1) {
    const int lo = VarArrayLowBound(keyValues, 1), hi = VarArrayHighBound(keyValues, 1);
    for (int i = lo; i <= hi; ++i) keys.push_back(keyValues[i]);
  }
  if (keys.size() != fields.size())
    DatabaseErrorFmt("Field count (%d) and value count (%d) differ",
                     {static_cast<int>(fields.size()), static_cast<int>(keys.size())}, this);
  for (size_t pos = 0; pos < FView.size(); ++pos) {
    const Record& r = FRecords[static_cast<size_t>(FView[pos])];
    bool all = true;
    for (size_t k = 0; k < fields.size() && all; ++k)
      all = KeyMatches(RecordFieldValue(r, fields[k]), keys[k], fields[k], options);
    if (all) return static_cast<int>(pos);
  }
  return -1;
}

// ---------------------------------------------------------------------------------------
// window

int TDataSet::BufferPos(int buffer) const {
  if (FInsertBuf < 0 || buffer < FInsertBuf) return FFirst + buffer;
  if (buffer == FInsertBuf) return -1;
  return FFirst + buffer - 1;
}

int TDataSet::CurrentPos() const {
  if (FBufCount == 0) return -1;
  return BufferPos(FActive);
}

void TDataSet::FillWindow(int pos, int wantedActive) {
  FInsertBuf = -1;
  const int n = static_cast<int>(FView.size());
  if (n == 0 || pos < 0) {
    FFirst = 0;
    FBufCount = 0;
    FActive = 0;
    return;
  }
  pos = std::clamp(pos, 0, n - 1);
  const int count = std::min(FBufferCount, n);
  int a = std::clamp(wantedActive, 0, count - 1);
  a = std::min(a, pos);
  int first = pos - a;
  if (first + count > n) first = n - count;
  FFirst = first;
  FBufCount = count;
  FActive = pos - first;
}

void TDataSet::SetActiveRecord(int value) {
  if (value >= 0 && value < FBufCount) FActive = value;
}

void TDataSet::UpdateBufferCount() {
  int count = 1;
  for (TDataSource* s : FDataSources)
    for (TDataLink* l : s->DataLinks()) count = std::max(count, l->BufferCount());
  if (FUniDirectional) count = 1;
  if (count == FBufferCount) return;
  FBufferCount = count;
  if (Active() && FInsertBuf < 0) FillWindow(CurrentPos(), FActive);
  for (TDataSource* s : FDataSources)
    for (TDataLink* l : s->DataLinks())
      if (l->Active()) l->UpdateRange(0);
}

void TDataSet::Resync(TResyncMode mode) {
  CheckActive();
  if (FInsertBuf < 0) {
    const int count = std::min<int>(FBufferCount, static_cast<int>(FView.size()));
    FillWindow(CurrentPos(), (mode & rmCenter) ? (count - 1) / 2 : FActive);
  }
  DataEvent(deDataSetChange, 0);
}

void TDataSet::ResyncAt(int pos) {
  const int n = static_cast<int>(FView.size());
  if (n == 0) {
    FillWindow(-1, 0);
    FBof = FEof = true;
  } else {
    FillWindow(std::clamp(pos, 0, n - 1), FActive);
    FBof = FEof = false;
  }
  DataEvent(deDataSetChange, 0);
}

void TDataSet::MoveToPos(int pos, bool center) {
  const int count = std::min<int>(FBufferCount, static_cast<int>(FView.size()));
  FillWindow(pos, center ? (count - 1) / 2 : FActive);
  FBof = FEof = false;
  DataEvent(deDataSetChange, 0);
  Fire(AfterScroll);
}

// ---------------------------------------------------------------------------------------
// navigation

void TDataSet::First() {
  CheckBrowseMode();
  MoveToFirst();
}

void TDataSet::MoveToFirst() {
  Fire(BeforeScroll);
  FillWindow(FView.empty() ? -1 : 0, 0);
  FBof = true;
  FEof = FView.empty();
  DataEvent(deDataSetChange, 0);
  Fire(AfterScroll);
}

void TDataSet::Last() {
  CheckBiDirectional();
  CheckBrowseMode();
  Fire(BeforeScroll);
  const int n = static_cast<int>(FView.size());
  FillWindow(n - 1, FBufferCount - 1);
  FEof = true;
  FBof = n == 0;
  DataEvent(deDataSetChange, 0);
  Fire(AfterScroll);
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  if (distance < 0) CheckBiDirectional();
  Fire(BeforeScroll);
  if (distance == 0 || (distance > 0 && FEof) || (distance < 0 && FBof)) return 0;
  const int n = static_cast<int>(FView.size());
  const int pos = CurrentPos();
  FBof = FEof = false;
  int target = pos + distance;
  if (target >= n) {
    target = n - 1;
    FEof = true;
  } else if (target < 0) {
    target = 0;
    FBof = true;
  }
  if (n == 0) {
    FBof = FEof = true;
    DataEvent(deDataSetScroll, 0);
    Fire(AfterScroll);
    return 0;
  }
  int slide = 0;
  if (target < FFirst) {
    slide = target - FFirst;
    FFirst = target;
  } else if (target >= FFirst + FBufCount) {
    slide = target - (FFirst + FBufCount - 1);
    FFirst += slide;
  }
  FActive = target - FFirst;
  DataEvent(deDataSetScroll, slide);
  Fire(AfterScroll);
  return target - pos;
}

int TDataSet::RecNo() const {
  if (!Active() || FState == dsInsert) return -1;
  const int pos = CurrentPos();
  return pos < 0 ? -1 : pos + 1;
}

void TDataSet::SetRecNo(int value) {
  CheckBiDirectional();
  CheckBrowseMode();
  if (FView.empty() || value == RecNo()) return;
  Fire(BeforeScroll);
  MoveToPos(std::clamp(value, 1, static_cast<int>(FView.size())) - 1, true);
}

// ---------------------------------------------------------------------------------------
// bookmarks

namespace {
bool ParseBookmark(const TBookmark& b, uint64_t& id) {
  if (b.size() < 2 || b[0] != '#') return false;
  id = 0;
  for (size_t i = 1; i < b.size(); ++i) {
    if (b[i] < '0' || b[i] > '9' || id > (UINT64_MAX - 9) / 10) return false;
    id = id * 10 + static_cast<uint64_t>(b[i] - '0');
  }
  return true;
}
}  // namespace

TBookmark TDataSet::Bookmark() const {
  if (!Active() || FState == dsInsert) return TBookmark();
  const int pos = CurrentPos();
  if (pos < 0) return TBookmark();
  return "#" + std::to_string(FRecords[static_cast<size_t>(FView[static_cast<size_t>(pos)])].Id);
}

bool TDataSet::BookmarkValid(const TBookmark& b) const {
  uint64_t id;
  if (!Active() || !ParseBookmark(b, id)) return false;
  const int si = StoreIndexOfId(id);
  return si >= 0 && ViewPosOfStore(si) >= 0;
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  uint64_t ia = 0, ib = 0;
  const bool va = ParseBookmark(a, ia), vb = ParseBookmark(b, ib);
  if (!va || !vb) return va == vb ? 0 : (va ? 1 : -1);
  if (ia == ib) return 0;
  const int sa = StoreIndexOfId(ia), sb = StoreIndexOfId(ib);
  if (sa >= 0 && sb >= 0) return sa < sb ? -1 : 1;
  return ia < ib ? -1 : 1;
}

void TDataSet::GotoBookmark(const TBookmark& b) {
  CheckBiDirectional();
  CheckBrowseMode();
  uint64_t id;
  int pos = -1;
  if (ParseBookmark(b, id)) {
    const int si = StoreIndexOfId(id);
    if (si >= 0) pos = ViewPosOfStore(si);
  }
  if (pos < 0) DatabaseError(SRecordNotFound, this);
  Fire(BeforeScroll);
  MoveToPos(pos, true);
}

// ---------------------------------------------------------------------------------------
// searching

bool TDataSet::Locate(std::string_view keyFields, const Variant& keyValues,
                      TLocateOptions options) {
  CheckBrowseMode();
  const std::vector<TField*> fields = FieldsOf(keyFields);
  Fire(BeforeScroll);
  const int pos = FindRecord(fields, keyValues, options);
  if (pos < 0) return false;
  MoveToPos(pos, true);
  return true;
}

Variant TDataSet::Lookup(std::string_view keyFields, const Variant& keyValues,
                         std::string_view resultFields) const {
  if (!Active()) return Variant::Null();
  const std::vector<TField*> fields = FieldsOf(keyFields);
  const std::vector<TField*> results = FieldsOf(resultFields);
  const int pos = FindRecord(fields, keyValues, 0);
  if (pos < 0) return Variant::Null();
  const Record& r = FRecords[static_cast<size_t>(FView[static_cast<size_t>(pos)])];
  if (results.size() == 1) return RecordFieldValue(r, results[0]);
  std::vector<Variant> out;
  for (TField* f : results) out.push_back(RecordFieldValue(r, f));
  return VarArrayOf(out);
}

// ---------------------------------------------------------------------------------------
// field values

const Variant* TDataSet::FieldValuePtr(const TField* field) const {
  const std::vector<Variant>* values = nullptr;
  switch (FState) {
    case dsInactive:
      return nullptr;
    case dsCalcFields:
    case dsFilter:
      values = FTempRecord;
      break;
    case dsSetKey:
      values = &FKeyBuf;
      break;
    default:
      if (FBufCount == 0) return nullptr;
      if (IsEditMode(FState) && FActive == FEditBufIndex) {
        values = &FEditBuf;
      } else {
        const int pos = BufferPos(FActive);
        if (pos < 0) return nullptr;
        values = &FRecords[static_cast<size_t>(FView[static_cast<size_t>(pos)])].Values;
      }
  }
  const int slot = field->Slot();
  if (values == nullptr || slot < 0 || slot >= static_cast<int>(values->size())) return nullptr;
  return &(*values)[static_cast<size_t>(slot)];
}

void TDataSet::SetFieldValue(TField* field, const Variant& canonical) {
  std::vector<Variant>* values = nullptr;
  const bool calcSlot = field->FieldKind() != fkData;
  if (FState == dsCalcFields) {
    if (!calcSlot) DatabaseError(SNotEditing, this);
    values = FTempRecord;
  } else if (IsEditMode(FState)) {
    if (field->ReadOnly()) DatabaseErrorFmt(SFieldReadOnly, {field->DisplayName()}, this);
    values = &FEditBuf;
  } else if (FState == dsSetKey) {
    values = &FKeyBuf;
  } else {
    DatabaseError(SNotEditing, this);
  }
  const int slot = field->Slot();
  if (values == nullptr || slot < 0 || slot >= static_cast<int>(values->size()))
    DatabaseErrorFmt(SFieldNotFound, {field->FieldName()}, this);
  Variant& cell = (*values)[static_cast<size_t>(slot)];
  Variant old = cell;
  cell = canonical;
  try {
    field->Validate();
  } catch (...) {
    cell = old;
    throw;
  }
  if (FState == dsCalcFields) return;
  DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

// ---------------------------------------------------------------------------------------
// editing

void TDataSet::Edit() {
  CheckActive();
  if (IsEditMode(FState)) return;
  if (FView.empty()) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeEdit);
  const int pos = CurrentPos();
  FEditBuf = FRecords[static_cast<size_t>(FView[static_cast<size_t>(pos)])].Values;
  FEditBufIndex = FActive;
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  Fire(AfterEdit);
}

void TDataSet::Insert() {
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeInsert);
  Fire(BeforeScroll);
  // The new record takes the active buffer; the records from there on move down one
  // buffer, the last one leaving a full window.
  if (FBufCount == 0) {
    FFirst = 0;
    FActive = 0;
    FBufCount = 1;
  } else if (FBufCount < FBufferCount) {
    ++FBufCount;
  }
  FInsertBuf = FActive;
  FBof = FEof = false;
  StartInsert(FFirst + FInsertBuf);
}

void TDataSet::Append() {
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeInsert);
  Fire(BeforeScroll);
  // The window ends with the last records, then the new one.
  const int n = static_cast<int>(FView.size());
  const int before = std::min(FBufferCount - 1, n);
  FFirst = n - before;
  FBufCount = before + 1;
  FActive = before;
  FInsertBuf = before;
  FEof = true;
  FBof = false;
  StartInsert(n - 1);
}

// An empty edit buffer in dsInsert, then OnNewRecord and the calculated fields. When
// these raise, the dataset browses again from the record at resyncAt (where the insert
// began) and the exception goes on.
void TDataSet::StartInsert(int resyncAt) {
  FEditBuf.assign(static_cast<size_t>(FSlots), Variant::Null());
  FEditBufIndex = FActive;
  SetState(dsInsert);
  try {
    Fire(OnNewRecord);
    CalculateFields(FEditBuf);
  } catch (...) {
    FEditBuf.clear();
    FInsertBuf = -1;
    SetState(dsBrowse);
    ResyncAt(resyncAt);
    throw;
  }
  FModified = false;
  NoteDataChange();
  DataEvent(deDataSetChange, 0);
  Fire(AfterInsert);
  Fire(AfterScroll);
}

void TDataSet::UpdateRecord() {
  if (!IsEditMode(FState) && FState != dsSetKey) DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::Post() {
  CheckActive();
  UpdateRecord();
  if (FState == dsSetKey) {
    SetState(dsBrowse);
    return;
  }
  DataEvent(deCheckBrowseMode, 0);
  Fire(BeforePost);
  for (TField* f : FFields)
    if (f->Required() && f->FieldKind() == fkData && f->Slot() >= 0 &&
        FEditBuf[static_cast<size_t>(f->Slot())].IsNull())
      DatabaseErrorFmt(SFieldRequired, {f->DisplayName()}, this);
  CalculateFields(FEditBuf);
  int storeIndex;
  if (FState == dsEdit) {
    storeIndex = FView[static_cast<size_t>(BufferPos(FEditBufIndex))];
    FRecords[static_cast<size_t>(storeIndex)].Values = std::move(FEditBuf);
  } else {
    // Insert before the record that followed the insert buffer; Append at the end.
    const int nextBuf = FInsertBuf + 1;
    const int nextPos = nextBuf < FBufCount ? BufferPos(nextBuf) : FFirst + FInsertBuf;
    storeIndex = nextPos < static_cast<int>(FView.size())
                     ? FView[static_cast<size_t>(nextPos)]
                     : static_cast<int>(FRecords.size());
    Record r;
    r.Id = FNextId++;
    r.Values = std::move(FEditBuf);
    FRecords.insert(FRecords.begin() + storeIndex, std::move(r));
    FIdIndexValid = false;
  }
  FEditBuf.clear();
  FInsertBuf = -1;
  RebuildView();
  // The posted record stays current when it is still shown; else the one now at its place.
  int pos = ViewPosOfStore(storeIndex);
  if (pos < 0) {
    auto it = std::lower_bound(FView.begin(), FView.end(), storeIndex);
    pos = static_cast<int>(it - FView.begin());
  }
  NoteDataChange();
  SetState(dsBrowse);
  ResyncAt(pos);
  Fire(AfterPost);
}

void TDataSet::Cancel() {
  if (FState == dsSetKey) {
    FKeyBuf.clear();
    SetState(dsBrowse);
    return;
  }
  if (!IsEditMode(FState)) return;
  DataEvent(deCheckBrowseMode, 0);
  Fire(BeforeCancel);
  const bool inserting = FState == dsInsert;
  if (inserting) Fire(BeforeScroll);
  int pos = CurrentPos();
  if (inserting) {
    // Back to the record the insert stood before (the last one after Append).
    pos = std::min(FFirst + FInsertBuf, static_cast<int>(FView.size()) - 1);
    FInsertBuf = -1;
  }
  FEditBuf.clear();
  NoteDataChange();
  SetState(dsBrowse);
  ResyncAt(pos);
  Fire(AfterCancel);
  if (inserting) Fire(AfterScroll);
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert || FState == dsSetKey) {
    Cancel();
    return;
  }
  if (FView.empty()) DatabaseError(SDataSetEmpty, this);
  CheckCanModify();
  DataEvent(deCheckBrowseMode, 0);
  Fire(BeforeDelete);
  Fire(BeforeScroll);
  const int pos = CurrentPos();
  const int storeIndex = FView[static_cast<size_t>(pos)];
  FRecords.erase(FRecords.begin() + storeIndex);
  FView.erase(FView.begin() + pos);
  for (size_t i = static_cast<size_t>(pos); i < FView.size(); ++i) --FView[i];
  FIdIndexValid = false;
  FEditBuf.clear();
  NoteDataChange();
  SetState(dsBrowse);
  ResyncAt(std::min(pos, static_cast<int>(FView.size()) - 1));
  if (!FView.empty() && pos >= static_cast<int>(FView.size())) FEof = true;
  Fire(AfterDelete);
  Fire(AfterScroll);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  if (IsEditMode(FState)) {
    UpdateRecord();
    if (FModified)
      Post();
    else
      Cancel();
  } else if (FState == dsSetKey) {
    Post();
  }
}

void TDataSet::SetKey() {
  CheckBrowseMode();
  FKeyBuf.assign(static_cast<size_t>(FSlots), Variant::Null());
  SetState(dsSetKey);
}

bool TDataSet::GotoKey() {
  CheckActive();
  std::vector<Variant> keys = FKeyBuf;
  CheckBrowseMode();
  AnsiString names;
  std::vector<Variant> values;
  for (TField* f : FFields) {
    if (f->Slot() < 0 || f->Slot() >= static_cast<int>(keys.size())) continue;
    const Variant& v = keys[static_cast<size_t>(f->Slot())];
    if (v.IsNull()) continue;
    if (!names.empty()) names += ";";
    names += f->FieldName();
    values.push_back(v);
  }
  if (values.empty()) return false;
  return Locate(names, values.size() == 1 ? values[0] : VarArrayOf(values), 0);
}

// ---------------------------------------------------------------------------------------
// controls

void TDataSet::DisableControls() {
  if (FDisableCount == 0) {
    FDisableState = FState;
    FEnableEvent = deDataSetChange;
    FChangedWhileDisabled = false;
    DataEvent(deDisabledStateChange, kControlsDisabled);
  }
  ++FDisableCount;
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0) return;
  if (--FDisableCount > 0) return;
  SendEnableNotices();
}

void TDataSet::SendEnableNotices() {
  DataEvent(deDisabledStateChange,
            FChangedWhileDisabled ? kControlsEnabledAfterChange : kControlsEnabled);
  FChangedWhileDisabled = false;
  if (FDisableState != FState) DataEvent(deUpdateState, 0);
  if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent, 0);
}

void TDataSet::DataEvent(TDataEvent event, intptr_t info) {
  switch (event) {
    case deFieldChange: {
      TField* f = reinterpret_cast<TField*>(info);
      if (f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc) FModified = true;
      if (FAutoCalcFields && f->FieldKind() == fkData && IsEditMode(FState))
        CalculateFields(FEditBuf);
      NoteDataChange();
      f->Change();
      break;
    }
    case deRecordChange:
    case deLayoutChange:
    case deUpdateState:
      NoteDataChange();
      break;
    default:
      break;
  }
  const bool disabled = FDisableCount > 0;
  if (disabled && event != deDisabledStateChange &&
      ((event == deUpdateState && FState == dsInactive) || event == deLayoutChange))
    FEnableEvent = deLayoutChange;
  for (TDataSource* s : std::vector<TDataSource*>(FDataSources))
    s->DataEvent(event, info, disabled && event != deDisabledStateChange);
}

void TDataSet::AddDataSource(TDataSource* s) {
  if (std::find(FDataSources.begin(), FDataSources.end(), s) == FDataSources.end())
    FDataSources.push_back(s);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* s) {
  FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), s),
                     FDataSources.end());
  UpdateBufferCount();
}

// ---------------------------------------------------------------------------------------
// filter

void TDataSet::SetFilter(const AnsiString& value) {
  if (value == FFilterText) return;
  auto parsed = std::make_unique<dbfilter::Expression>(dbfilter::Expression::Parse(value));
  if (Active() && FFiltered) {
    CheckBrowseMode();
    std::swap(FFilterExpr, parsed);
    try {
      BindFilter();
    } catch (...) {
      std::swap(FFilterExpr, parsed);
      BindFilter();
      throw;
    }
    FFilterText = value;
    ApplyFilterChange();
    return;
  }
  FFilterExpr = std::move(parsed);
  FFilterText = value;
  FFilterBound = false;
}

void TDataSet::SetFiltered(bool value) {
  if (value == FFiltered) return;
  if (Active()) {
    CheckBrowseMode();
    if (value) BindFilter();
    FFiltered = value;
    try {
      RebuildView();
    } catch (...) {
      FFiltered = !value;  // an OnFilterRecord that raised: the filter stays as it was
      throw;
    }
    ApplyFilterChange();
    return;
  }
  FFiltered = value;
}

void TDataSet::SetFilterOptions(TFilterOptions value) {
  if (value == FFilterOptions) return;
  const TFilterOptions old = FFilterOptions;
  FFilterOptions = value;
  if (Active() && FFiltered) {
    try {
      CheckBrowseMode();
      RebuildView();
    } catch (...) {
      FFilterOptions = old;
      throw;
    }
    ApplyFilterChange();
  }
}

void TDataSet::ApplyFilterChange() {
  RebuildView();
  NoteDataChange();
  MoveToFirst();
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  int storeIndex = -1;
  const int pos = CurrentPos();
  if (pos >= 0) storeIndex = FView[static_cast<size_t>(pos)];
  CalculateAll();
  if (FFiltered && !FFilterBound) BindFilter();
  RebuildView();
  int newPos = storeIndex >= 0 ? ViewPosOfStore(storeIndex) : -1;
  if (newPos < 0 && storeIndex >= 0) {
    auto it = std::lower_bound(FView.begin(), FView.end(), storeIndex);
    newPos = static_cast<int>(it - FView.begin());
  }
  NoteDataChange();
  ResyncAt(newPos < 0 ? 0 : newPos);
}
