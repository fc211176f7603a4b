// Data packets on the wire (grammar: docs/formats/protocol.md).
//
//   packet = u32 field count (<= 4096), per field: name (u32 length, GBK bytes),
//            i32 data type (a TFieldType ordinal), i32 size, i32 precision, u8 required;
//            u32 row count, then per row one value per field (row-major);
//            then the parameter list as one value (Empty when the provider has none).
//
// A decoded packet always has Fields.size() values in every row; counts are checked
// against the bytes that remain before any row is allocated.
#pragma once
#include "db/DataPacket.h"
#include "net/Frame.h"
#include "net/WireBuffer.h"

namespace posnet {

constexpr uint32_t kMaxFields = 4096;

// Raises EProtocolError when the packet passes the limits (too many values) or a row does
// not hold one value per field.
void WritePacket(WireWriter& w, const TDataPacket& packet, const WireLimits& limits = WireLimits());
TDataPacket ReadPacket(WireReader& r, const WireLimits& limits = WireLimits());

}  // namespace posnet
