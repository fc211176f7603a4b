// Checking and normalising a data packet's columns and values.
#include "db/PacketCheck.h"

#include "db/Field.h"

namespace {

[[noreturn]] void Bad(const AnsiString& what) {
  throw EDataPacketError("Invalid data packet: " + what);
}

bool Storable(TFieldType t) {
  switch (t) {
    case ftString: case ftSmallint: case ftInteger: case ftWord: case ftBoolean:
    case ftFloat: case ftCurrency: case ftBCD: case ftDate: case ftTime: case ftDateTime:
    case ftBytes: case ftVarBytes: case ftAutoInc: case ftBlob: case ftMemo: case ftGraphic:
    case ftFmtMemo: case ftFixedChar: case ftWideString: case ftLargeint: case ftVariant:
    case ftGuid: case ftTimeStamp: case ftFMTBcd: case ftTypedBinary:
      return true;
    default:
      return false;
  }
}

bool IsNumberKind(const Variant& v) {
  return VarIsNumeric(v) && v.VType() != varBoolean;
}

// The value converted to the column's canonical kind; nullptr message when it fits.
const char* Canonicalise(Variant& v, const TPacketField& col) {
  if (v.IsNull() || v.IsEmpty()) {
    v = Variant::Null();
    return nullptr;
  }
  if (v.IsArray() && col.DataType != ftVariant) return "an array";
  const TVarType target = CanonicalVarType(col.DataType);
  switch (target) {
    case varString:
      if (!VarIsStr(v)) return "not a text";
      if (v.VType() != varString) v = Variant(v.AsString());
      if (col.Size > 0 && (col.DataType == ftString || col.DataType == ftFixedChar) &&
          v.RawString().size() > static_cast<size_t>(col.Size))
        return "longer than its size";
      return nullptr;
    case varOleStr:
      if (!VarIsStr(v)) return "not a text";
      if (v.VType() != varOleStr) v = Variant(v.AsWideString());
      if (col.Size > 0 && v.RawWide().size() > static_cast<size_t>(col.Size))
        return "longer than its size";
      return nullptr;
    case varSmallint: case varInteger: case varWord: case varInt64: {
      if (!VarIsOrdinal(v) || v.VType() == varBoolean) return "not an integer";
      const int64_t x = v.AsInt64();
      int64_t lo = INT32_MIN, hi = INT32_MAX;
      if (target == varSmallint) { lo = -32768; hi = 32767; }
      if (target == varWord) { lo = 0; hi = 65535; }
      if (target == varInt64) { lo = INT64_MIN; hi = INT64_MAX; }
      if (x < lo || x > hi) return "out of range";
      v = Variant::OfType(target, v);
      return nullptr;
    }
    case varBoolean:
      if (v.VType() != varBoolean && !VarIsOrdinal(v)) return "not a Boolean";
      v = Variant(v.AsInt64() != 0);
      return nullptr;
    case varDouble:
    case varCurrency:
    case varFMTBcd:
      if (!IsNumberKind(v)) return "not a number";
      try {
        v = Variant::OfType(target, v);
      } catch (const EVariantError&) {
        return "out of range";
      }
      return nullptr;
    case varDate:
      if (v.VType() != varDate && !IsNumberKind(v)) return "not a date";
      v = Variant::FromDate(v.AsDouble());
      return nullptr;
    default:
      return nullptr;  // ftVariant: as it is
  }
}

}  // namespace

void CheckDataPacket(TDataPacket& packet) {
  if (packet.Fields.size() > static_cast<size_t>(kMaxPacketFields))
    Bad(Format("%d columns (at most %d)", {static_cast<int64_t>(packet.Fields.size()), kMaxPacketFields}));
  for (size_t c = 0; c < packet.Fields.size(); ++c) {
    const TPacketField& f = packet.Fields[c];
    if (f.DataType < 0 || f.DataType >= kFieldTypeCount || !Storable(f.DataType))
      Bad(Format("column %d ('%s') has an unsupported type %d",
                 {static_cast<int64_t>(c + 1), f.Name, static_cast<int>(f.DataType)}));
    if (f.Size < 0 || f.Size > kMaxFieldSize || f.Precision < 0 || f.Precision > 64)
      Bad(Format("column %d ('%s') has an impossible size", {static_cast<int64_t>(c + 1), f.Name}));
  }
  const size_t width = packet.Fields.size();
  for (size_t r = 0; r < packet.Rows.size(); ++r) {
    auto& row = packet.Rows[r];
    if (row.size() != width)
      Bad(Format("row %d has %d values for %d columns",
                 {static_cast<int64_t>(r + 1), static_cast<int64_t>(row.size()), static_cast<int64_t>(width)}));
    for (size_t c = 0; c < width; ++c) {
      const char* why = nullptr;
      try {
        why = Canonicalise(row[c], packet.Fields[c]);
      } catch (const Exception&) {
        why = "not convertible";
      }
      if (why != nullptr)
        Bad(Format("the value of column '%s' in row %d is %s",
                   {packet.Fields[c].Name, static_cast<int64_t>(r + 1), why}));
    }
  }
}
