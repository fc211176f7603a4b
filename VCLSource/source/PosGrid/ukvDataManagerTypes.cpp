// The value types (see ukvDataManagerTypes.h): how each kind of field value is kept in a
// record, converted to and from a Variant (checked), compared, shown and streamed.
#include "VCLSource/source/PosGrid/ukvDataManagerTypes.h"

#include <cmath>
#include <cstring>
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "VCLSource/source/PosGrid/ukvVariantStream.h"

namespace {

template <class T>
T Load(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class T>
void Store(uint8_t* p, T v) {
  std::memcpy(p, &v, sizeof v);
}
template <class T>
int Cmp(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}
// Doubles: NaN (which no conversion produces, but a stream may carry) sorts first.
int CmpDouble(double a, double b) {
  const bool na = std::isnan(a), nb = std::isnan(b);
  if (na || nb) return Cmp(nb, na);
  return Cmp(a, b);
}

// --- cell types ---------------------------------------------------------------------

class CellTypeBase : public TkvValueType {
 public:
  bool UsesCell() const override { return true; }
  void FreeValue(TkvValuePlace p) const override { p.Cell->Clear(); }
  // Nothing sorts before something; two nothings are equal.
  int CompareBuffers(TkvConstPlace p1, TkvConstPlace p2) const override {
    const bool e1 = p1.Cell->Empty();
    const bool e2 = p2.Cell->Empty();
    if (e1 || e2) return Cmp(e2, e1);
    return CompareValues(p1, p2);
  }
};

class StringType : public CellTypeBase {
 public:
  void GetVariant(TkvConstPlace p, Variant& v) const override {
    if (p.Cell->HasText()) v = Variant(p.Cell->Text()); else v = Variant::Null();
  }
  void SetVariant(TkvValuePlace p, const Variant& v) const override { p.Cell->SetText(v.AsString()); }
  int CompareValues(TkvConstPlace p1, TkvConstPlace p2) const override {
    const bool a = p1.Cell->HasText(), b = p2.Cell->HasText();
    if (!a || !b) return Cmp(a, b);
    return Cmp(CompareStr(p1.Cell->Text(), p2.Cell->Text()), 0);
  }
  void WriteValue(TkvConstPlace p, TStream& stream) const override { WriteAnsiString(stream, AnsiString(p.Cell->Text())); }
  void ReadValue(TkvValuePlace p, TStream& stream) const override {
    SetVariant(p, Variant(ReadAnsiString(stream)));
  }
  AnsiString ShortName() const override { return "String"; }
  TVarType VarType() const override { return varString; }
  bool IsString() const override { return true; }
};

class WideStringType : public StringType {
 public:
  void GetVariant(TkvConstPlace p, Variant& v) const override {
    if (auto s = p.Cell->Wide()) v = Variant(*s); else v = Variant::Null();
  }
  void SetVariant(TkvValuePlace p, const Variant& v) const override { p.Cell->SetWide(v.AsWideString()); }
  int CompareValues(TkvConstPlace p1, TkvConstPlace p2) const override {
    const WideString* a = p1.Cell->Wide();
    const WideString* b = p2.Cell->Wide();
    if (!a || !b) return Cmp(b == nullptr, a == nullptr);
    return Cmp(a->compare(*b), 0);
  }
  // The UTF-16 units go to the stream as they are: a text with characters outside
  // GBK comes back unchanged (the stream form holds UTF-16 anyway).
  void WriteValue(TkvConstPlace p, TStream& stream) const override {
    const WideString* s = p.Cell->Wide();
    WriteWideString(stream, s ? *s : WideString());
  }
  void ReadValue(TkvValuePlace p, TStream& stream) const override {
    SetVariant(p, Variant(ReadWideString(stream)));
  }
  AnsiString ShortName() const override { return "WideString"; }
  TVarType VarType() const override { return varOleStr; }
};

class VariantType : public CellTypeBase {
 public:
  void GetVariant(TkvConstPlace p, Variant& v) const override {
    const Variant* h = p.Cell->HeldVariant();
    v = h ? *h : Variant::Null();
  }
  void SetVariant(TkvValuePlace p, const Variant& v) const override { p.Cell->SetVariant(v); }
  int CompareValues(TkvConstPlace p1, TkvConstPlace p2) const override {
    Variant a, b;
    GetVariant(p1, a);
    GetVariant(p2, b);
    return CompareVariants(a, b);
  }
  AnsiString ShortName() const override { return "Variant"; }
};

// --- fixed-width types ----------------------------------------------------------------

class SmallintType : public TkvValueType {
 public:
  int DataSize() const override { return 2; }
  void GetVariant(TkvConstPlace p, Variant& v) const override { v = Variant(Load<int16_t>(p.Data)); }
  // Range-checked: a value outside -32768..32767 raises the overflow error.
  void SetVariant(TkvValuePlace p, const Variant& v) const override {
    Store<int16_t>(p.Data, static_cast<int16_t>(VarAsType(v, varSmallint).RawInt()));
  }
  int CompareValues(TkvConstPlace a, TkvConstPlace b) const override {
    return Cmp(Load<int16_t>(a.Data), Load<int16_t>(b.Data));
  }
  void WriteValue(TkvConstPlace p, TStream& s) const override { s.WriteInt16(Load<int16_t>(p.Data)); }
  void ReadValue(TkvValuePlace p, TStream& s) const override { Store<int16_t>(p.Data, static_cast<int16_t>(ReadWord(s))); }
  AnsiString ShortName() const override { return "Smallint"; }
  TVarType VarType() const override { return varSmallint; }
};

class IntegerType : public TkvValueType {
 public:
  int DataSize() const override { return 4; }
  void GetVariant(TkvConstPlace p, Variant& v) const override { v = Variant(static_cast<int>(Load<int32_t>(p.Data))); }
  void SetVariant(TkvValuePlace p, const Variant& v) const override { Store<int32_t>(p.Data, v.AsInteger()); }
  int CompareValues(TkvConstPlace a, TkvConstPlace b) const override {
    return Cmp(Load<int32_t>(a.Data), Load<int32_t>(b.Data));
  }
  void WriteValue(TkvConstPlace p, TStream& s) const override { s.WriteInt32(Load<int32_t>(p.Data)); }
  void ReadValue(TkvValuePlace p, TStream& s) const override { Store<int32_t>(p.Data, ReadInteger(s)); }
  AnsiString ShortName() const override { return "Integer"; }
  TVarType VarType() const override { return varInteger; }
};

class WordType : public TkvValueType {
 public:
  int DataSize() const override { return 2; }
  void GetVariant(TkvConstPlace p, Variant& v) const override {
    v = Variant(static_cast<unsigned short>(Load<uint16_t>(p.Data)));
  }
  // Range-checked: a value outside 0..65535 raises the overflow error.
  void SetVariant(TkvValuePlace p, const Variant& v) const override {
    Store<uint16_t>(p.Data, static_cast<uint16_t>(VarAsType(v, varWord).RawInt()));
  }
  int CompareValues(TkvConstPlace a, TkvConstPlace b) const override {
    return Cmp(Load<uint16_t>(a.Data), Load<uint16_t>(b.Data));
  }
  void WriteValue(TkvConstPlace p, TStream& s) const override { s.WriteUInt16(Load<uint16_t>(p.Data)); }
  void ReadValue(TkvValuePlace p, TStream& s) const override { Store<uint16_t>(p.Data, ReadWord(s)); }
  AnsiString ShortName() const override { return "Word"; }
  TVarType VarType() const override { return varWord; }
};

class BooleanType : public TkvValueType {
 public:
  int DataSize() const override { return 1; }
  void GetVariant(TkvConstPlace p, Variant& v) const override { v = Variant(p.Data[0] != 0); }
  void SetVariant(TkvValuePlace p, const Variant& v) const override { p.Data[0] = v.AsBoolean() ? 1 : 0; }
  int CompareValues(TkvConstPlace a, TkvConstPlace b) const override {
    return Cmp(a.Data[0] != 0, b.Data[0] != 0);  // False before True
  }
  void WriteValue(TkvConstPlace p, TStream& s) const override { s.WriteUInt8(p.Data[0] ? 1 : 0); }
  void ReadValue(TkvValuePlace p, TStream& s) const override { p.Data[0] = ReadByte(s) ? 1 : 0; }
  AnsiString ShortName() const override { return "Boolean"; }
  TVarType VarType() const override { return varBoolean; }
};

class FloatType : public TkvValueType {
 public:
  int DataSize() const override { return 8; }
  void GetVariant(TkvConstPlace p, Variant& v) const override { v = Variant(Load<double>(p.Data)); }
  void SetVariant(TkvValuePlace p, const Variant& v) const override { Store<double>(p.Data, v.AsDouble()); }
  int CompareValues(TkvConstPlace a, TkvConstPlace b) const override {
    return CmpDouble(Load<double>(a.Data), Load<double>(b.Data));
  }
  void WriteValue(TkvConstPlace p, TStream& s) const override { s.WriteExtended(Load<double>(p.Data)); }
  void ReadValue(TkvValuePlace p, TStream& s) const override { Store<double>(p.Data, ReadExtended(s)); }
  AnsiString ShortName() const override { return "Float"; }
  TVarType VarType() const override { return varDouble; }
};

class CurrencyType : public TkvValueType {
 public:
  int DataSize() const override { return 8; }
  void GetVariant(TkvConstPlace p, Variant& v) const override {
    v = Variant::FromCurrency(Currency::FromScaled(Load<int64_t>(p.Data)));
  }
  void SetVariant(TkvValuePlace p, const Variant& v) const override { Store<int64_t>(p.Data, v.AsCurrency().Scaled()); }
  int CompareValues(TkvConstPlace a, TkvConstPlace b) const override {
    return Cmp(Load<int64_t>(a.Data), Load<int64_t>(b.Data));
  }
  void WriteValue(TkvConstPlace p, TStream& s) const override { s.WriteInt64(Load<int64_t>(p.Data)); }
  void ReadValue(TkvValuePlace p, TStream& s) const override { Store<int64_t>(p.Data, ReadInt64(s)); }
  AnsiString ShortName() const override { return "Currency"; }
  TVarType VarType() const override { return varCurrency; }
};

class DateTimeType : public TkvValueType {
 public:
  int DataSize() const override { return 8; }
  void GetVariant(TkvConstPlace p, Variant& v) const override { v = Variant::FromDate(Load<double>(p.Data)); }
  void SetVariant(TkvValuePlace p, const Variant& v) const override { Store<double>(p.Data, v.AsDateTime()); }
  int CompareValues(TkvConstPlace a, TkvConstPlace b) const override {
    return CmpDouble(Load<double>(a.Data), Load<double>(b.Data));
  }
  void WriteValue(TkvConstPlace p, TStream& s) const override { s.WriteDouble(Load<double>(p.Data)); }
  void ReadValue(TkvValuePlace p, TStream& s) const override { Store<double>(p.Data, ReadDouble(s)); }
  AnsiString ShortName() const override { return "DateTime"; }
  TVarType VarType() const override { return varDate; }
};

class LargeIntType : public TkvValueType {
 public:
  int DataSize() const override { return 8; }
  void GetVariant(TkvConstPlace p, Variant& v) const override { v = Variant(static_cast<long long>(Load<int64_t>(p.Data))); }
  void SetVariant(TkvValuePlace p, const Variant& v) const override { Store<int64_t>(p.Data, v.AsInt64()); }
  int CompareValues(TkvConstPlace a, TkvConstPlace b) const override {
    return Cmp(Load<int64_t>(a.Data), Load<int64_t>(b.Data));
  }
  void WriteValue(TkvConstPlace p, TStream& s) const override { s.WriteInt64(Load<int64_t>(p.Data)); }
  void ReadValue(TkvValuePlace p, TStream& s) const override { Store<int64_t>(p.Data, ReadInt64(s)); }
  AnsiString ShortName() const override { return "LargeInt"; }
  TVarType VarType() const override { return varInt64; }
};

// A scaled decimal: 8 bytes of unscaled digits and 1 byte of scale. Its stream form is
// the inherited tagged one (the decimal text).
class FMTBcdType : public TkvValueType {
 public:
  int DataSize() const override { return 9; }
  void GetVariant(TkvConstPlace p, Variant& v) const override {
    v = Variant::FromBcd(Load<int64_t>(p.Data), p.Data[8]);
  }
  void SetVariant(TkvValuePlace p, const Variant& v) const override {
    const TBcd bcd = v.AsBcd();
    Store<int64_t>(p.Data, bcd.Unscaled);
    p.Data[8] = static_cast<uint8_t>(bcd.Scale);
  }
  int CompareValues(TkvConstPlace a, TkvConstPlace b) const override {
    Variant va, vb;
    GetVariant(a, va);
    GetVariant(b, vb);
    return CompareVariants(va, vb);
  }
  AnsiString ShortName() const override { return "FMTBcd"; }
  TVarType VarType() const override { return varFMTBcd; }
};

}  // namespace

void TkvValueType::GetDisplayText(TkvConstPlace p, AnsiString& s) const {
  Variant v;
  GetVariant(p, v);
  try {
    s = VarToStr(v);
  } catch (const EVariantError&) {
    s.clear();
  } catch (const EConvertError&) {
    s.clear();
  }
}

void TkvValueType::ReadValue(TkvValuePlace p, TStream& stream) const { SetVariant(p, ReadVariant(stream)); }

void TkvValueType::WriteValue(TkvConstPlace p, TStream& stream) const {
  Variant v;
  GetVariant(p, v);
  WriteVariant(stream, v);
}

int TkvValueType::CompareValues(TkvConstPlace p1, TkvConstPlace p2) const {
  Variant a, b;
  GetVariant(p1, a);
  GetVariant(p2, b);
  return CompareVariants(a, b);
}

bool TkvValueType::TryCast(Variant& v) const {
  if (v.IsNull() || VarType() == varVariant) return true;
  try {
    v = VarAsType(v, VarType());
    return true;
  } catch (const EVariantError&) {
    return false;
  } catch (const EConvertError&) {
    return false;
  }
}

void TkvValueType::ReadText(TkvCell& cell, TStream& stream) { SetText(cell, ReadAnsiString(stream)); }

void TkvValueType::WriteText(const TkvCell& cell, TStream& stream) {
  AnsiString s;
  GetText(cell, s);
  WriteAnsiString(stream, s);
}

#define KV_VALUE_TYPE_INSTANCE(Name, Impl) \
  TkvValueTypeClass Name##Class() {        \
    static const Impl instance;            \
    return &instance;                      \
  }
KV_VALUE_TYPE_INSTANCE(TkvStringValueType, StringType)
KV_VALUE_TYPE_INSTANCE(TkvWideStringValueType, WideStringType)
KV_VALUE_TYPE_INSTANCE(TkvSmallintValueType, SmallintType)
KV_VALUE_TYPE_INSTANCE(TkvIntegerValueType, IntegerType)
KV_VALUE_TYPE_INSTANCE(TkvWordValueType, WordType)
KV_VALUE_TYPE_INSTANCE(TkvBooleanValueType, BooleanType)
KV_VALUE_TYPE_INSTANCE(TkvFloatValueType, FloatType)
KV_VALUE_TYPE_INSTANCE(TkvCurrencyValueType, CurrencyType)
KV_VALUE_TYPE_INSTANCE(TkvDateTimeValueType, DateTimeType)
KV_VALUE_TYPE_INSTANCE(TkvLargeIntValueType, LargeIntType)
KV_VALUE_TYPE_INSTANCE(TkvFMTBcdValueType, FMTBcdType)
KV_VALUE_TYPE_INSTANCE(TkvVariantValueType, VariantType)
#undef KV_VALUE_TYPE_INSTANCE

TkvValueTypeClass TkvValueTypeBaseClass() {
  static const TkvValueType instance;
  return &instance;
}
