// The tagged encoding of Variants on the wire (grammar: docs/formats/protocol.md).
//
//   value = type u16, then by type:
//     Empty, Null: nothing          Boolean: u8 0|1        ShortInt: i8   Byte: u8
//     Smallint: i16   Word: u16     Integer: i32   LongWord: u32   Int64: i64
//     Single: f32   Double, Date: f64   Currency: i64 (ten-thousandths)
//     FMTBcd: i64 unscaled, u8 scale 0..18
//     String: u32 length, GBK bytes   OleStr: u32 units, UTF-16LE
//     Array (type = varArray | element type): u8 dimensions 1..8, per dimension
//            i32 low bound and u32 element count, then every element as a value
//            (row-major); a typed array's elements carry exactly the element type.
//
// One encoder or decoder serves one message: it counts the values it writes or reads
// against WireLimits::MaxValues and the nesting of arrays against MaxDepth, so that no
// message can make the other side allocate without bound.
#pragma once
#include <cstdint>

#include "net/Frame.h"
#include "net/WireBuffer.h"
#include "rtl/Variant.h"

namespace posnet {

constexpr int kMaxArrayDims = 8;

class VariantEncoder {
 public:
  VariantEncoder(WireWriter& w, const WireLimits& limits) : w_(w), limits_(limits) {}
  // Raises EProtocolError for what the other side would refuse (too many values, too
  // deep, a kind that has no encoding).
  void Write(const Variant& v) { Write(v, 0); }
  uint32_t ValueCount() const { return values_; }

 private:
  void Write(const Variant& v, int depth);
  void Count();
  WireWriter& w_;
  WireLimits limits_;
  uint32_t values_ = 0;
};

class VariantDecoder {
 public:
  VariantDecoder(WireReader& r, const WireLimits& limits) : r_(r), limits_(limits) {}
  // Raises EProtocolError "corrupt at offset N: ..." for anything malformed.
  Variant Read() { return Read(0); }
  // Counts values that the caller reads itself (cells of a data packet are values too).
  uint32_t ValueCount() const { return values_; }

 private:
  Variant Read(int depth);
  Variant ReadArray(TVarType type, size_t at, int depth);
  void Count(size_t at);
  WireReader& r_;
  WireLimits limits_;
  uint32_t values_ = 0;
};

// True for the kinds a value or array element may have (every scalar kind listed above).
bool IsWireScalarType(TVarType t);

}  // namespace posnet
