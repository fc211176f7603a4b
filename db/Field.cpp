// TField base behaviour and the field list.
#include "db/Field.h"

#include <algorithm>
#include "db/DataSet.h"

TVarType CanonicalVarType(TFieldType type) {
  switch (type) {
    case ftSmallint: return varSmallint;
    case ftInteger: case ftAutoInc: return varInteger;
    case ftWord: return varWord;
    case ftLargeint: return varInt64;
    case ftBoolean: return varBoolean;
    case ftFloat: case ftCurrency: return varDouble;
    case ftBCD: return varCurrency;
    case ftFMTBcd: return varFMTBcd;
    case ftDate: case ftTime: case ftDateTime: case ftTimeStamp: return varDate;
    case ftWideString: return varOleStr;
    case ftVariant: case ftUnknown: return varVariant;
    default: return varString;
  }
}

const char* FieldTypeName(TFieldType type) {
  static const char* const kNames[] = {
      "Unknown", "String", "SmallInt", "Integer", "Word", "Boolean", "Float", "Currency",
      "BCD", "Date", "Time", "DateTime", "Bytes", "VarBytes", "AutoInc", "Blob", "Memo",
      "Graphic", "FmtMemo", "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor", "FixedChar",
      "WideString", "Largeint", "ADT", "Array", "Reference", "DataSet", "OraBlob", "OraClob",
      "Variant", "Interface", "IDispatch", "Guid", "TimeStamp", "FMTBcd"};
  if (type < 0 || type >= kFieldTypeCount) return "Unknown";
  return kNames[type];
}

TField::TField(TComponent* AOwner) : TComponent(AOwner) { FValidChars.set(); }

TField::~TField() {
  Destroying();
  if (FLookupDataSet != nullptr) FLookupDataSet->RemoveFreeNotification(this);
  if (FDataSet != nullptr) {
    FDataSet->FieldRemoved(this);
    FDataSet = nullptr;
  }
}

void TField::SetDataSet(TDataSet* value) {
  if (value == FDataSet) return;
  if ((FDataSet != nullptr && FDataSet->Active()) || (value != nullptr && value->Active()))
    DatabaseError(SDataSetOpen, value != nullptr ? value : FDataSet);
  if (FDataSet != nullptr) FDataSet->FieldRemoved(this);
  FDataSet = nullptr;
  if (value != nullptr) value->FieldAdded(this);
  FDataSet = value;
}

void TField::SetFieldName(const AnsiString& value) {
  if (FDataSet != nullptr && FDataSet->Active() && value != FFieldName)
    DatabaseError(SDataSetOpen, FDataSet);
  FFieldName = value;
}

void TField::SetFieldKind(TFieldKind value) {
  if (value == FFieldKind) return;
  if (FDataSet != nullptr && FDataSet->Active()) DatabaseError(SDataSetOpen, FDataSet);
  FFieldKind = value;
}

int TField::Index() const { return FDataSet ? FDataSet->Fields().IndexOf(this) : -1; }

void TField::SetIndex(int value) {
  if (FDataSet == nullptr) return;
  const int from = Index();
  const int to = std::clamp(value, 0, FDataSet->Fields().Count() - 1);
  if (from == to) return;
  FDataSet->Fields().Move(from, to);
  if (FDataSet->Active()) FDataSet->DataEvent(deLayoutChange, 0);
}

void TField::SetSize(int value) {
  if (value == FSize) return;
  if (FDataSet != nullptr && FDataSet->Active()) DatabaseError(SDataSetOpen, FDataSet);
  FSize = value < 0 ? 0 : value;
}

namespace {
void PropertyChanged(TDataSet* ds) {
  if (ds != nullptr && ds->Active()) ds->DataEvent(deLayoutChange, 0);
}
}  // namespace

void TField::SetDisplayLabel(const AnsiString& value) {
  const AnsiString v = value == FFieldName ? AnsiString() : value;
  if (v == FDisplayLabel) return;
  FDisplayLabel = v;
  PropertyChanged(FDataSet);
}

void TField::SetDisplayWidth(int value) {
  if (value == FDisplayWidth) return;
  FDisplayWidth = value;
  PropertyChanged(FDataSet);
}

void TField::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  PropertyChanged(FDataSet);
}

void TField::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  PropertyChanged(FDataSet);
}

void TField::SetReadOnly(bool value) {
  if (value == FReadOnly) return;
  FReadOnly = value;
  PropertyChanged(FDataSet);
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

void TField::SetLookupDataSet(TDataSet* value) {
  if (value == FLookupDataSet) return;
  if (FLookupDataSet != nullptr) FLookupDataSet->RemoveFreeNotification(this);
  FLookupDataSet = value;
  if (value != nullptr) value->FreeNotification(this);
}

bool TField::CanModify() const {
  if (FReadOnly || (FFieldKind != fkData && FFieldKind != fkInternalCalc)) return false;
  return FDataSet == nullptr || FDataSet->CanModify();
}

void TField::FocusControl() {
  if (FDataSet == nullptr || !FDataSet->Active()) return;
  TField* f = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&f));
}

// --- values -------------------------------------------------------------------------------

Variant TField::StoredValue() const {
  if (FDataSet == nullptr) return Variant::Null();
  const Variant* v = FDataSet->FieldValuePtr(this);
  return v == nullptr ? Variant::Null() : *v;
}

void TField::Store(const Variant& canonical) {
  if (FDataSet == nullptr) DatabaseErrorFmt("Field '%s' has no dataset", {DisplayName()});
  FDataSet->SetFieldValue(this, canonical);
}

bool TField::IsNull() const {
  const Variant v = StoredValue();
  return v.IsNull() || v.IsEmpty();
}

Variant TField::Value() const {
  Variant v = StoredValue();
  return v.IsEmpty() ? Variant::Null() : v;
}

void TField::SetValue(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) {
    Store(Variant::Null());
    return;
  }
  Store(ConvertValue(value));
}

Variant TField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  const TVarType t = CanonicalVarType(FDataType);
  if (t == varVariant || value.VType() == t) return value;
  return Variant::OfType(t, value);
}

WideString TField::AsWideString() const {
  const Variant v = StoredValue();
  if (v.VType() == varOleStr) return v.RawWide();
  return GbkToWide(GetAsString());
}

void TField::SetAsWideString(const WideString& value) { AssignString(WideToGbk(value)); }

int32_t TField::AsInteger() const {
  const int64_t v = GetAsLargeInt();
  if (v < INT32_MIN || v > INT32_MAX) DatabaseErrorFmt(SFieldAccessError, {DisplayName(), "Integer"});
  return static_cast<int32_t>(v);
}

Currency TField::AsCurrency() const { return Currency(GetAsFloat()); }

void TField::SetText(const AnsiString& value) {
  if (OnSetText)
    OnSetText(this, value);
  else
    AssignString(value);
}

AnsiString TField::GetDisplayText(bool display) const {
  AnsiString text;
  if (OnGetText) {
    OnGetText(const_cast<TField*>(this), text, display);
    return text;
  }
  return GetText(display);
}

void TField::AccessError(const char* typeName) const {
  DatabaseErrorFmt(SFieldAccessError, {DisplayName(), typeName});
}

// Base conversions: through the Variant's rules; the typed classes override.
AnsiString TField::GetAsString() const { return VarToStr(StoredValue()); }

int64_t TField::GetAsLargeInt() const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return 0;
  try {
    return v.AsInt64();
  } catch (const EVariantError&) {
    AccessError("Integer");
  }
}

double TField::GetAsFloat() const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return 0;
  try {
    return v.AsDouble();
  } catch (const EVariantError&) {
    AccessError("Float");
  }
}

TDateTime TField::GetAsDateTime() const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return 0;
  try {
    return v.AsDateTime();
  } catch (const EVariantError&) {
    AccessError("DateTime");
  }
}

bool TField::GetAsBoolean() const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return false;
  try {
    return v.AsBoolean();
  } catch (const EVariantError&) {
    AccessError("Boolean");
  }
}

void TField::AssignString(const AnsiString& value) { SetValue(Variant(value)); }
void TField::AssignLargeInt(int64_t value) { SetValue(Variant(static_cast<long long>(value))); }
void TField::AssignFloat(double value) { SetValue(Variant(value)); }
void TField::AssignDateTime(TDateTime value) { SetValue(Variant::FromDate(value)); }
void TField::AssignBoolean(bool value) { SetValue(Variant(value)); }

// --- TFields -------------------------------------------------------------------------------

TField* TFields::Fields(int index) const {
  if (index < 0 || index >= Count()) DatabaseError(SFieldIndexError, FDataSet);
  return FList[static_cast<size_t>(index)];
}

TField* TFields::FindField(std::string_view name) const {
  for (TField* f : FList)
    if (SameText(f->FieldName(), name)) return f;
  return nullptr;
}

TField* TFields::FieldByName(std::string_view name) const {
  TField* f = FindField(name);
  if (f == nullptr) DatabaseErrorFmt(SFieldNotFound, {name}, FDataSet);
  return f;
}

TField* TFields::FieldByNumber(int fieldNo) const {
  for (TField* f : FList)
    if (f->FieldNo() == fieldNo) return f;
  return nullptr;
}

int TFields::IndexOf(const TField* field) const {
  auto it = std::find(FList.begin(), FList.end(), field);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TFields::Remove(TField* f) {
  FList.erase(std::remove(FList.begin(), FList.end(), f), FList.end());
}

void TFields::Move(int from, int to) {
  TField* f = FList[static_cast<size_t>(from)];
  FList.erase(FList.begin() + from);
  FList.insert(FList.begin() + to, f);
}
