// The tagged variant stream's reader and writer and its fixed-width primitives; every
// count and length is checked against the bytes left (docs/formats/variant-stream.md).
#include "VCLSource/source/PosGrid/ukvVariantStream.h"

#include <limits>
#include "VCLSource/source/PosGrid/ukvDbConsts.h"

namespace {

[[noreturn]] void RaiseWriteError() { throw EWriteError(kvLoadStr(SkvWriteError)); }

void WriteText(TStream& stream, const AnsiString& s) {
  if (s.size() <= 255) {
    stream.WriteUInt8(vaString);
    stream.WriteUInt8(static_cast<uint8_t>(s.size()));
  } else {
    if (s.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) RaiseWriteError();
    stream.WriteUInt8(vaLString);
    stream.WriteInt32(static_cast<int32_t>(s.size()));
  }
  stream.WriteBytes(s);
}

// A fixed-width field of `size` bytes must be there in full at the position.
void Need(TStream& stream, int64_t size) {
  if (stream.BytesLeft() < size) RaiseKvReadError(stream.Position());
}

// A length or count read at `at` must not be negative and must fit in what is left
// (each unit taking unitSize bytes).
void CheckLength(TStream& stream, int64_t n, int64_t unitSize, int64_t at) {
  if (n < 0 || n > stream.BytesLeft() / unitSize) RaiseKvReadError(at);
}

int8_t ReadInt8(TStream& stream) { Need(stream, 1); return stream.ReadInt8(); }
int16_t ReadInt16(TStream& stream) { Need(stream, 2); return stream.ReadInt16(); }

Variant ReadValue(TStream& stream, int depth) {
  const int64_t at = stream.Position();
  const uint8_t tag = ReadByte(stream);
  switch (tag) {
    case vaNull: return Variant::Null();
    case vaList: {
      if (depth >= kMaxVariantNesting) RaiseKvReadError(at);
      const int64_t countAt = stream.Position();
      int64_t count;
      switch (ReadByte(stream)) {
        case vaInt8: count = ReadInt8(stream); break;
        case vaInt16: count = ReadInt16(stream); break;
        case vaInt32: count = ReadInteger(stream); break;
        default: RaiseKvReadError(countAt);
      }
      CheckLength(stream, count, 1, countAt);  // every element takes at least its tag byte
      std::vector<Variant> items;
      items.reserve(static_cast<size_t>(count));
      for (int64_t i = 0; i < count; ++i) items.push_back(ReadValue(stream, depth + 1));
      return VarArrayOf(items);
    }
    case vaInt8: return Variant(static_cast<signed char>(ReadInt8(stream)));
    case vaInt16: return Variant(static_cast<short>(ReadInt16(stream)));
    case vaInt32: return Variant(static_cast<int>(ReadInteger(stream)));
    case vaExtended: return Variant(ReadExtended(stream));
    case vaString: {
      const int64_t lengthAt = stream.Position();
      const int64_t n = ReadByte(stream);
      CheckLength(stream, n, 1, lengthAt);
      return Variant(stream.ReadBytes(n));
    }
    case vaFalse: return Variant(false);
    case vaTrue: return Variant(true);
    case vaLString: return Variant(ReadAnsiString(stream));
    case vaNil: return Variant();
    case vaSingle: Need(stream, 4); return Variant(stream.ReadSingle());
    case vaCurrency: return Variant::FromCurrency(ReadCurrency(stream));
    case vaDate: return Variant::FromDate(ReadDouble(stream));
    case vaWString: return Variant(ReadWideString(stream));
    default: RaiseKvReadError(at);
  }
}

}  // namespace

void RaiseKvReadError() { throw EReadError(kvLoadStr(SkvReadError)); }

void RaiseKvReadError(int64_t offset) {
  throw EReadError(kvLoadStr(SkvReadError) + " (corrupt at offset " + std::to_string(offset) + ")");
}

void WriteCompactInteger(TStream& stream, int32_t v) {
  if (v >= -128 && v <= 127) {
    stream.WriteUInt8(vaInt8);
    stream.WriteInt8(static_cast<int8_t>(v));
  } else if (v >= -32768 && v <= 32767) {
    stream.WriteUInt8(vaInt16);
    stream.WriteInt16(static_cast<int16_t>(v));
  } else {
    stream.WriteUInt8(vaInt32);
    stream.WriteInt32(v);
  }
}

void WriteVariant(TStream& stream, const Variant& v) {
  if (v.IsArray()) {
    if (VarArrayDimCount(v) != 1) RaiseWriteError();
    const int low = VarArrayLowBound(v, 1), high = VarArrayHighBound(v, 1);
    stream.WriteUInt8(vaList);
    WriteCompactInteger(stream, high - low + 1);
    for (int i = low; i <= high; ++i) WriteVariant(stream, v[i]);
    return;
  }
  switch (v.VType()) {
    case varEmpty: stream.WriteUInt8(vaNil); return;
    case varNull: stream.WriteUInt8(vaNull); return;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte: WriteCompactInteger(stream, static_cast<int32_t>(v.RawInt())); return;
    case varWord:
    case varLongWord:
    case varInt64:
      // An unsigned or 64-bit integer that fits the 32-bit form stays an integer, so a
      // copied filter keeps "F = 5" rather than becoming "F = '5'"; only larger
      // values fall back to their decimal text.
      if (v.RawInt() >= std::numeric_limits<int32_t>::min() && v.RawInt() <= std::numeric_limits<int32_t>::max()) {
        WriteCompactInteger(stream, static_cast<int32_t>(v.RawInt()));
        return;
      }
      break;
    case varSingle:
      stream.WriteUInt8(vaSingle);
      stream.WriteSingle(static_cast<float>(v.RawDouble()));
      return;
    case varDouble:
      stream.WriteUInt8(vaExtended);
      stream.WriteExtended(v.RawDouble());
      return;
    case varCurrency:
      stream.WriteUInt8(vaCurrency);
      stream.WriteInt64(v.RawInt());
      return;
    case varDate:
      stream.WriteUInt8(vaDate);
      stream.WriteDouble(v.RawDouble());
      return;
    case varOleStr:
      stream.WriteUInt8(vaWString);
      WriteWideString(stream, v.RawWide());
      return;
    case varBoolean: stream.WriteUInt8(v.RawInt() ? vaTrue : vaFalse); return;
    case varString: WriteText(stream, v.RawString()); return;
    default: break;
  }
  AnsiString text;
  try {
    text = v.AsString();
  } catch (const EVariantError&) {
    RaiseWriteError();
  }
  WriteText(stream, text);
}

Variant ReadVariant(TStream& stream) { return ReadValue(stream, 0); }

void WriteByte(TStream& stream, uint8_t v) { stream.WriteUInt8(v); }
uint8_t ReadByte(TStream& stream) { Need(stream, 1); return stream.ReadUInt8(); }
void WriteBoolean(TStream& stream, bool v) { stream.WriteUInt8(v ? 1 : 0); }
bool ReadBoolean(TStream& stream) { return ReadByte(stream) != 0; }
void WriteWord(TStream& stream, uint16_t v) { stream.WriteUInt16(v); }
uint16_t ReadWord(TStream& stream) { Need(stream, 2); return stream.ReadUInt16(); }
void WriteInteger(TStream& stream, int32_t v) { stream.WriteInt32(v); }
int32_t ReadInteger(TStream& stream) { Need(stream, 4); return stream.ReadInt32(); }
void WriteInt64(TStream& stream, int64_t v) { stream.WriteInt64(v); }
int64_t ReadInt64(TStream& stream) { Need(stream, 8); return stream.ReadInt64(); }
void WriteDouble(TStream& stream, double v) { stream.WriteDouble(v); }
double ReadDouble(TStream& stream) { Need(stream, 8); return stream.ReadDouble(); }
void WriteCurrency(TStream& stream, Currency v) { stream.WriteInt64(v.Scaled()); }
Currency ReadCurrency(TStream& stream) { return Currency::FromScaled(ReadInt64(stream)); }
void WriteExtended(TStream& stream, double v) { stream.WriteExtended(v); }

double ReadExtended(TStream& stream) {
  const int64_t at = stream.Position();
  Need(stream, 10);
  try {
    return stream.ReadExtended();
  } catch (const EReadError&) {  // ten bytes that are no number a double can hold
    RaiseKvReadError(at);
  }
}

void WriteAnsiString(TStream& stream, const AnsiString& s) {
  if (s.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) RaiseWriteError();
  stream.WriteInt32(static_cast<int32_t>(s.size()));
  stream.WriteBytes(s);
}

AnsiString ReadAnsiString(TStream& stream) {
  const int64_t at = stream.Position();
  const int64_t n = ReadInteger(stream);
  CheckLength(stream, n, 1, at);
  return stream.ReadBytes(n);
}

void WriteWideString(TStream& stream, const WideString& s) {
  if (s.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() / 2)) RaiseWriteError();
  stream.WriteInt32(static_cast<int32_t>(s.size()));
  for (const char16_t u : s) stream.WriteUInt16(static_cast<uint16_t>(u));
}

WideString ReadWideString(TStream& stream) {
  const int64_t at = stream.Position();
  const int64_t n = ReadInteger(stream);
  CheckLength(stream, n, 2, at);
  WideString s(static_cast<size_t>(n), u'\0');
  for (int64_t i = 0; i < n; ++i) s[static_cast<size_t>(i)] = static_cast<char16_t>(stream.ReadUInt16());
  return s;
}
