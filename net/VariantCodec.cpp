// The tagged encoding of Variants (see VariantCodec.h).
#include "net/VariantCodec.h"

#include <string>

#include "net/NetErrors.h"

namespace posnet {

bool IsWireScalarType(TVarType t) {
  switch (t) {
    case varEmpty: case varNull: case varSmallint: case varInteger: case varSingle:
    case varDouble: case varCurrency: case varDate: case varOleStr: case varBoolean:
    case varShortInt: case varByte: case varWord: case varLongWord: case varInt64:
    case varString: case varFMTBcd:
      return true;
    default:
      return false;
  }
}

namespace {
bool IsArrayElementType(TVarType t) {
  return t == varVariant || (IsWireScalarType(t) && t != varEmpty && t != varNull);
}
}  // namespace

void VariantEncoder::Count() {
  if (++values_ > limits_.MaxValues)
    throw EProtocolError("message holds more than " + std::to_string(limits_.MaxValues) + " values");
}

void VariantEncoder::Write(const Variant& v, int depth) {
  Count();
  const TVarType t = v.VType();
  if (t & varArray) {
    const TVarType elem = t & varTypeMask;
    const TVarArray* a = v.ArrayData();
    if (depth >= limits_.MaxDepth) throw EProtocolError("arrays nested deeper than " + std::to_string(limits_.MaxDepth));
    if (a == nullptr || !IsArrayElementType(elem) || a->Bounds.empty() || a->Bounds.size() > kMaxArrayDims)
      throw EProtocolError("array of type " + std::to_string(t) + " has no encoding");
    w_.U16(t);
    w_.U8(static_cast<uint8_t>(a->Bounds.size()));
    for (const TVarArrayBound& b : a->Bounds) {
      w_.I32(b.LowBound);
      w_.U32(static_cast<uint32_t>(b.ElementCount));
    }
    for (const Variant& item : a->Items) Write(item, depth + 1);
    return;
  }
  w_.U16(t);
  switch (t) {
    case varEmpty: case varNull: break;
    case varBoolean: w_.U8(v.AsBoolean() ? 1 : 0); break;
    case varShortInt: w_.U8(static_cast<uint8_t>(static_cast<int8_t>(v.RawInt()))); break;
    case varByte: w_.U8(static_cast<uint8_t>(v.RawInt())); break;
    case varSmallint: w_.U16(static_cast<uint16_t>(static_cast<int16_t>(v.RawInt()))); break;
    case varWord: w_.U16(static_cast<uint16_t>(v.RawInt())); break;
    case varInteger: w_.I32(static_cast<int32_t>(v.RawInt())); break;
    case varLongWord: w_.U32(static_cast<uint32_t>(v.RawInt())); break;
    case varInt64: w_.I64(v.RawInt()); break;
    case varSingle: w_.F32(static_cast<float>(v.RawDouble())); break;
    case varDouble: case varDate: w_.F64(v.RawDouble()); break;
    case varCurrency: w_.I64(v.AsCurrency().Scaled()); break;
    case varFMTBcd: {
      const TBcd b = v.AsBcd();
      w_.I64(b.Unscaled);
      w_.U8(static_cast<uint8_t>(b.Scale));
      break;
    }
    case varString: w_.Str(v.RawString()); break;
    case varOleStr: w_.WStr(v.RawWide()); break;
    default: throw EProtocolError("a value of type " + std::to_string(t) + " has no encoding");
  }
}

void VariantDecoder::Count(size_t at) {
  if (++values_ > limits_.MaxValues)
    r_.Fail(at, "more than " + std::to_string(limits_.MaxValues) + " values in one message");
}

Variant VariantDecoder::Read(int depth) {
  const size_t at = r_.Offset();
  Count(at);
  const TVarType t = r_.U16();
  if (t & varArray) return ReadArray(t, at, depth);
  switch (t) {
    case varEmpty: return Variant();
    case varNull: return Variant::Null();
    case varBoolean: {
      const uint8_t b = r_.U8();
      if (b > 1) r_.Fail(at + 2, "Boolean byte " + std::to_string(b));
      return Variant(b == 1);
    }
    case varShortInt: return Variant(static_cast<signed char>(r_.U8()));
    case varByte: return Variant(static_cast<unsigned char>(r_.U8()));
    case varSmallint: return Variant(static_cast<short>(r_.U16()));
    case varWord: return Variant(static_cast<unsigned short>(r_.U16()));
    case varInteger: return Variant(static_cast<int>(r_.I32()));
    case varLongWord: return Variant(static_cast<unsigned>(r_.U32()));
    case varInt64: return Variant(static_cast<long long>(r_.I64()));
    case varSingle: return Variant(r_.F32());
    case varDouble: return Variant(r_.F64());
    case varDate: return Variant::FromDate(r_.F64());
    case varCurrency: return Variant::FromCurrency(Currency::FromScaled(r_.I64()));
    case varFMTBcd: {
      const int64_t unscaled = r_.I64();
      const size_t scaleAt = r_.Offset();
      const uint8_t scale = r_.U8();
      if (scale > 18) r_.Fail(scaleAt, "decimal scale " + std::to_string(scale) + " above 18");
      return Variant::FromBcd(unscaled, scale);
    }
    case varString: return Variant(r_.Str());
    case varOleStr: return Variant(r_.WStr());
    default: r_.Fail(at, "unknown value type " + std::to_string(t));
  }
}

Variant VariantDecoder::ReadArray(TVarType t, size_t at, int depth) {
  const TVarType elem = t & varTypeMask;
  if ((t & ~(varArray | varTypeMask)) != 0 || !IsArrayElementType(elem))
    r_.Fail(at, "array of unknown element type " + std::to_string(t));
  if (depth >= limits_.MaxDepth) r_.Fail(at, "arrays nested deeper than " + std::to_string(limits_.MaxDepth));
  const size_t dimsAt = r_.Offset();
  const uint8_t dims = r_.U8();
  if (dims < 1 || dims > kMaxArrayDims) r_.Fail(dimsAt, "array with " + std::to_string(dims) + " dimensions");
  std::vector<TVarArrayBound> bounds(dims);
  uint64_t total = 1;
  for (TVarArrayBound& b : bounds) {
    const size_t boundAt = r_.Offset();
    b.LowBound = r_.I32();
    const uint32_t count = r_.U32();
    if (count > INT32_MAX || static_cast<int64_t>(b.LowBound) + count - 1 > INT32_MAX)
      r_.Fail(boundAt, "array bounds past the integer range");
    b.ElementCount = static_cast<int>(count);
    total *= count;
    // Every element takes at least its two-byte type: check before allocating.
    if (total > r_.Remaining() / 2) r_.Fail(boundAt, "array of " + std::to_string(total) + " elements cannot fit in the " +
                                                         std::to_string(r_.Remaining()) + " bytes left");
  }
  if (values_ + total > limits_.MaxValues)
    r_.Fail(at, "more than " + std::to_string(limits_.MaxValues) + " values in one message");
  Variant result = VarArrayCreateDims(bounds, elem);
  TVarArray* a = result.MutableArray();
  for (size_t i = 0; i < a->Items.size(); ++i) {
    const size_t itemAt = r_.Offset();
    Variant item = Read(depth + 1);
    if (elem != varVariant && item.VType() != elem)
      r_.Fail(itemAt, "element of type " + std::to_string(item.VType()) + " in an array of type " + std::to_string(elem));
    a->Items[i] = std::move(item);
  }
  return result;
}

}  // namespace posnet
