// The typed field classes: conversions and texts.
#include "db/FieldClasses.h"

#include <cmath>
#include "db/DataSet.h"
#include "rtl/DateTime.h"
#include "rtl/NumberFormat.h"

namespace {

void SetChars(std::bitset<256>& set, const char* chars) {
  set.reset();
  for (const char* p = chars; *p; ++p) set.set(static_cast<unsigned char>(*p));
}

bool IsBlank(const AnsiString& s) { return Trim(s).empty(); }

}  // namespace

// --- strings ---------------------------------------------------------------------------

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
  SetDataType(ftString);
  SetSize(20);
}

Variant TStringField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  AnsiString s = value.AsString();
  if (Size() > 0 && s.size() > static_cast<size_t>(Size())) {
    // Cut at Size bytes, but never between the two bytes of a character.
    size_t cut = static_cast<size_t>(Size());
    if (IsTrailByteAt(s, cut)) --cut;
    s.resize(cut);
  }
  return Variant(std::move(s));
}

int64_t TStringField::GetAsLargeInt() const { return StrToInt64(GetAsString()); }
double TStringField::GetAsFloat() const { return StrToFloat(GetAsString()); }
TDateTime TStringField::GetAsDateTime() const { return StrToDateTime(GetAsString()); }
bool TStringField::GetAsBoolean() const {
  const AnsiString s = GetAsString();
  return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}
void TStringField::AssignLargeInt(int64_t value) { AssignString(IntToStr(value)); }
void TStringField::AssignFloat(double value) { AssignString(FloatToStr(value)); }
void TStringField::AssignDateTime(TDateTime value) { AssignString(DateTimeToStr(value)); }
void TStringField::AssignBoolean(bool value) { AssignString(value ? "True" : "False"); }
void TStringField::AssignString(const AnsiString& value) { SetValue(Variant(value)); }

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner) {
  SetDataType(ftWideString);
}

Variant TWideStringField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  WideString w = value.AsWideString();
  if (Size() > 0 && w.size() > static_cast<size_t>(Size())) w.resize(static_cast<size_t>(Size()));
  return Variant(std::move(w));
}

TGuidField::TGuidField(TComponent* AOwner) : TStringField(AOwner) {
  SetDataType(ftGuid);
  SetSize(38);
}

// --- numeric -----------------------------------------------------------------------------

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner) {
  SetAlignmentDefault(taRightJustify);
}

void TNumericField::SetDisplayFormat(const AnsiString& value) {
  if (value == FDisplayFormat) return;
  FDisplayFormat = value;
  if (DataSet() && DataSet()->Active()) DataSet()->DataEvent(deLayoutChange, 0);
}

void TNumericField::SetEditFormat(const AnsiString& value) {
  if (value == FEditFormat) return;
  FEditFormat = value;
  if (DataSet() && DataSet()->Active()) DataSet()->DataEvent(deLayoutChange, 0);
}

const AnsiString& TNumericField::FormatFor(bool display) const {
  return (display || FEditFormat.empty()) ? FDisplayFormat : FEditFormat;
}

void TNumericField::AssignString(const AnsiString& value) {
  if (IsBlank(value)) {
    Clear();
    return;
  }
  SetValue(Variant(value));
}

TIntegerField::TIntegerField(TComponent* AOwner)
    : TNumericField(AOwner), FMin(INT32_MIN), FMax(INT32_MAX) {
  SetDataType(ftInteger);
  SetChars(FValidChars, "+-0123456789");
}

Variant TIntegerField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  int64_t v;
  if (VarIsStr(value)) {
    const AnsiString s = Trim(value.AsString());
    if (!TryStrToInt64(s, v)) DatabaseErrorFmt(SInvalidIntegerValue, {value.AsString(), DisplayName()});
  } else {
    v = value.AsInt64();
  }
  if (v < FMin || v > FMax)
    DatabaseErrorFmt(SFieldRangeError, {IntToStr(v), DisplayName(), IntToStr(FMin), IntToStr(FMax)});
  return Variant::OfType(CanonicalVarType(DataType()), Variant(static_cast<long long>(v)));
}

AnsiString TIntegerField::GetAsString() const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return AnsiString();
  return IntToStr(v.AsInt64());
}

AnsiString TIntegerField::GetText(bool display) const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return AnsiString();
  const AnsiString& fmt = FormatFor(display);
  if (fmt.empty()) return IntToStr(v.AsInt64());
  return FormatFloat(fmt, static_cast<double>(v.AsInt64()));
}

int64_t TIntegerField::GetAsLargeInt() const {
  const Variant v = StoredValue();
  return (v.IsNull() || v.IsEmpty()) ? 0 : v.AsInt64();
}
double TIntegerField::GetAsFloat() const { return static_cast<double>(GetAsLargeInt()); }
bool TIntegerField::GetAsBoolean() const { return GetAsLargeInt() != 0; }
void TIntegerField::AssignLargeInt(int64_t value) { SetValue(Variant(static_cast<long long>(value))); }
void TIntegerField::AssignFloat(double value) {
  SetValue(Variant(static_cast<long long>(std::llround(value))));
}
void TIntegerField::AssignBoolean(bool value) { AssignLargeInt(value ? 1 : 0); }

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner) {
  SetDataType(ftSmallint);
  SetRange(-32768, 32767);
}

TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner) {
  SetDataType(ftWord);
  SetRange(0, 65535);
  SetChars(FValidChars, "+0123456789");
}

TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner) {
  SetDataType(ftAutoInc);
}

TLargeintField::TLargeintField(TComponent* AOwner) : TIntegerField(AOwner) {
  SetDataType(ftLargeint);
  SetRange(INT64_MIN, INT64_MAX);
}

// --- float -------------------------------------------------------------------------------

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) {
  SetDataType(ftFloat);
  SetChars(FValidChars, "+-0123456789.eE");
}

Variant TFloatField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  if (VarIsStr(value)) {
    double d;
    if (!TryStrToFloat(Trim(value.AsString()), d))
      DatabaseErrorFmt(SInvalidFloatValue, {value.AsString(), DisplayName()});
    return Variant(d);
  }
  return Variant(value.AsDouble());
}

AnsiString TFloatField::GetAsString() const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return AnsiString();
  return FloatToStr(v.AsDouble());
}

AnsiString TFloatField::GetText(bool display) const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return AnsiString();
  const double d = v.AsDouble();
  const AnsiString& fmt = FormatFor(display);
  if (!fmt.empty()) return FormatFloat(fmt, d);
  if (FCurrency) {
    return display ? FloatToStrF(d, ffCurrency, FPrecision, 2)
                   : FloatToStrF(d, ffFixed, FPrecision, 2);
  }
  return FPrecision >= 15 ? FloatToStr(d) : FloatToStrF(d, ffGeneral, FPrecision, 0);
}

int64_t TFloatField::GetAsLargeInt() const { return std::llround(GetAsFloat()); }
double TFloatField::GetAsFloat() const {
  const Variant v = StoredValue();
  return (v.IsNull() || v.IsEmpty()) ? 0.0 : v.AsDouble();
}
void TFloatField::AssignFloat(double value) { SetValue(Variant(value)); }

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
  SetDataType(ftCurrency);
  FCurrency = true;
}

// --- BCD -------------------------------------------------------------------------------------

TBCDField::TBCDField(TComponent* AOwner) : TNumericField(AOwner) {
  SetDataType(ftBCD);
  SetSize(4);
  SetChars(FValidChars, "+-0123456789.");
}

Variant TBCDField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  if (VarIsStr(value)) {
    ::Currency c;
    if (!TryStrToCurr(Trim(value.AsString()), c))
      DatabaseErrorFmt(SInvalidFloatValue, {value.AsString(), DisplayName()});
    return Variant::FromCurrency(c);
  }
  return Variant::FromCurrency(value.AsCurrency());
}

AnsiString TBCDField::GetAsString() const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return AnsiString();
  return v.AsString();
}

AnsiString TBCDField::GetText(bool display) const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return AnsiString();
  const AnsiString& fmt = FormatFor(display);
  if (!fmt.empty()) return FormatFloat(fmt, v.AsDouble());
  if (FCurrency) return display ? FloatToStrF(v.AsDouble(), ffCurrency, 15, 2)
                                : FloatToStrF(v.AsDouble(), ffFixed, 15, 2);
  return v.AsString();
}

int64_t TBCDField::GetAsLargeInt() const { return std::llround(GetAsFloat()); }
double TBCDField::GetAsFloat() const {
  const Variant v = StoredValue();
  return (v.IsNull() || v.IsEmpty()) ? 0.0 : v.AsDouble();
}
void TBCDField::AssignFloat(double value) { SetValue(Variant(value)); }

TFMTBCDField::TFMTBCDField(TComponent* AOwner) : TBCDField(AOwner) {
  SetDataType(ftFMTBcd);
  SetSize(8);
}

Variant TFMTBCDField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  if (VarIsStr(value)) {
    double d;
    if (!TryStrToFloat(Trim(value.AsString()), d))
      DatabaseErrorFmt(SInvalidFloatValue, {value.AsString(), DisplayName()});
  }
  return Variant::OfType(varFMTBcd, value);
}

// --- Boolean -----------------------------------------------------------------------------------

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const AnsiString& value) {
  FDisplayValues = value;
  const size_t semi = value.find(';');
  FTrueText = value.substr(0, semi);
  FFalseText = semi == AnsiString::npos ? AnsiString() : value.substr(semi + 1);
}

Variant TBooleanField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  if (VarIsStr(value)) {
    const AnsiString s = Trim(value.AsString());
    if (!FTrueText.empty() && AnsiCompareText(s, FTrueText) == 0) return Variant(true);
    if (!FFalseText.empty() && AnsiCompareText(s, FFalseText) == 0) return Variant(false);
    if (SameText(s, "True")) return Variant(true);
    if (SameText(s, "False")) return Variant(false);
    DatabaseErrorFmt(SInvalidBoolValue, {value.AsString(), DisplayName()});
  }
  return Variant(value.AsBoolean());
}

AnsiString TBooleanField::GetAsString() const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return AnsiString();
  return v.AsBoolean() ? FTrueText : FFalseText;
}

int64_t TBooleanField::GetAsLargeInt() const { return GetAsBoolean() ? 1 : 0; }
bool TBooleanField::GetAsBoolean() const {
  const Variant v = StoredValue();
  return !(v.IsNull() || v.IsEmpty()) && v.AsBoolean();
}
void TBooleanField::AssignString(const AnsiString& value) {
  if (IsBlank(value)) {
    Clear();
    return;
  }
  SetValue(Variant(value));
}
void TBooleanField::AssignBoolean(bool value) { SetValue(Variant(value)); }

// --- dates ---------------------------------------------------------------------------------------

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftDateTime); }

void TDateTimeField::SetDisplayFormat(const AnsiString& value) {
  if (value == FDisplayFormat) return;
  FDisplayFormat = value;
  if (DataSet() && DataSet()->Active()) DataSet()->DataEvent(deLayoutChange, 0);
}

Variant TDateTimeField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  if (VarIsStr(value)) {
    TDateTime d;
    if (!TryStrToDateTime(Trim(value.AsString()), d))
      DatabaseErrorFmt(SInvalidDateTimeValue, {value.AsString(), DisplayName()});
    return Variant::FromDate(d);
  }
  return Variant::FromDate(value.AsDateTime());
}

AnsiString TDateTimeField::DefaultText(TDateTime v) const { return DateTimeToStr(v); }

AnsiString TDateTimeField::GetText(bool display) const {
  const Variant v = StoredValue();
  if (v.IsNull() || v.IsEmpty()) return AnsiString();
  if (display && !FDisplayFormat.empty()) return FormatDateTime(FDisplayFormat, v.AsDateTime());
  return DefaultText(v.AsDateTime());
}

AnsiString TDateTimeField::GetAsString() const { return GetText(false); }
double TDateTimeField::GetAsFloat() const { return GetAsDateTime(); }
TDateTime TDateTimeField::GetAsDateTime() const {
  const Variant v = StoredValue();
  return (v.IsNull() || v.IsEmpty()) ? 0.0 : v.AsDateTime();
}
void TDateTimeField::AssignString(const AnsiString& value) {
  if (IsBlank(value)) {
    Clear();
    return;
  }
  SetValue(Variant(value));
}
void TDateTimeField::AssignDateTime(TDateTime value) { SetValue(Variant::FromDate(value)); }

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftDate); }
Variant TDateField::ConvertValue(const Variant& value) const {
  const Variant v = TDateTimeField::ConvertValue(value);
  return v.IsNull() ? v : Variant::FromDate(DateOf(v.AsDateTime()));
}
AnsiString TDateField::DefaultText(TDateTime v) const { return DateToStr(v); }

TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftTime); }
Variant TTimeField::ConvertValue(const Variant& value) const {
  const Variant v = TDateTimeField::ConvertValue(value);
  return v.IsNull() ? v : Variant::FromDate(TimeOf(v.AsDateTime()));
}
AnsiString TTimeField::DefaultText(TDateTime v) const { return TimeToStr(v); }

TSQLTimeStampField::TSQLTimeStampField(TComponent* AOwner) : TDateTimeField(AOwner) {
  SetDataType(ftTimeStamp);
}

// --- blobs and others ---------------------------------------------------------------------------

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBlob); }
Variant TBlobField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  return Variant(value.AsString());
}
AnsiString TBlobField::GetText(bool display) const { return IsNull() ? "(blob)" : "(BLOB)"; }

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftMemo); }
AnsiString TMemoField::GetText(bool display) const {
  if (display) return IsNull() ? "(memo)" : "(MEMO)";
  return GetAsString();
}

TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftGraphic); }

TBytesField::TBytesField(TComponent* AOwner) : TField(AOwner) {
  SetDataType(ftBytes);
  SetSize(16);
}
Variant TBytesField::ConvertValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return Variant::Null();
  AnsiString s = value.AsString();
  if (Size() > 0 && s.size() > static_cast<size_t>(Size())) s.resize(static_cast<size_t>(Size()));
  return Variant(std::move(s));
}

TVarBytesField::TVarBytesField(TComponent* AOwner) : TBytesField(AOwner) { SetDataType(ftVarBytes); }
TVariantField::TVariantField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftVariant); }
TObjectField::TObjectField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftADT); }
TADTField::TADTField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftADT); }
TArrayField::TArrayField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftArray); }
TDataSetField::TDataSetField(TComponent* AOwner) : TObjectField(AOwner) { SetDataType(ftDataSet); }
TReferenceField::TReferenceField(TComponent* AOwner) : TDataSetField(AOwner) {
  SetDataType(ftReference);
}

TAggregateField::TAggregateField(TComponent* AOwner) : TField(AOwner) {
  SetFieldKind(fkAggregate);
  SetAlignmentDefault(taRightJustify);
}

AnsiString TAggregateField::GetText(bool display) const {
  if (FValue.IsNull() || FValue.IsEmpty()) return AnsiString();
  if (!VarIsNumeric(FValue)) return VarToStr(FValue);
  const double d = FValue.AsDouble();
  if (!FDisplayFormat.empty()) return FormatFloat(FDisplayFormat, d);
  if (FCurrency) return FloatToStrF(d, display ? ffCurrency : ffFixed, 15, 2);
  return FloatToStr(d);
}

TField* CreateDefaultField(TFieldType type, TComponent* owner) {
  switch (type) {
    case ftString: case ftFixedChar: {
      auto* f = new TStringField(owner);
      if (type == ftFixedChar) f->SetDataType(ftFixedChar);
      return f;
    }
    case ftWideString: return new TWideStringField(owner);
    case ftGuid: return new TGuidField(owner);
    case ftSmallint: return new TSmallintField(owner);
    case ftInteger: return new TIntegerField(owner);
    case ftWord: return new TWordField(owner);
    case ftAutoInc: return new TAutoIncField(owner);
    case ftLargeint: return new TLargeintField(owner);
    case ftBoolean: return new TBooleanField(owner);
    case ftFloat: return new TFloatField(owner);
    case ftCurrency: return new TCurrencyField(owner);
    case ftBCD: return new TBCDField(owner);
    case ftFMTBcd: return new TFMTBCDField(owner);
    case ftDate: return new TDateField(owner);
    case ftTime: return new TTimeField(owner);
    case ftDateTime: return new TDateTimeField(owner);
    case ftTimeStamp: return new TSQLTimeStampField(owner);
    case ftBlob: case ftTypedBinary: return new TBlobField(owner);
    case ftMemo: case ftFmtMemo: {
      auto* f = new TMemoField(owner);
      if (type == ftFmtMemo) f->SetDataType(ftFmtMemo);
      return f;
    }
    case ftGraphic: return new TGraphicField(owner);
    case ftBytes: return new TBytesField(owner);
    case ftVarBytes: return new TVarBytesField(owner);
    default: return new TVariantField(owner);
  }
}
