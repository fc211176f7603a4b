// Data packets on the wire (see PacketCodec.h).
#include "net/PacketCodec.h"

#include <string>

#include "net/NetErrors.h"
#include "net/VariantCodec.h"

namespace posnet {

void WritePacket(WireWriter& w, const TDataPacket& packet, const WireLimits& limits) {
  if (packet.Fields.size() > kMaxFields)
    throw EProtocolError("record set of " + std::to_string(packet.Fields.size()) + " fields exceeds the limit of " +
                         std::to_string(kMaxFields));
  const uint64_t cells = static_cast<uint64_t>(packet.Fields.size()) * packet.Rows.size();
  if (cells > limits.MaxValues)
    throw EProtocolError("record set of " + std::to_string(packet.Rows.size()) + " rows and " +
                         std::to_string(packet.Fields.size()) + " fields exceeds the limit of " +
                         std::to_string(limits.MaxValues) + " values");
  w.U32(static_cast<uint32_t>(packet.Fields.size()));
  for (const TPacketField& f : packet.Fields) {
    w.Str(f.Name);
    w.I32(f.DataType);
    w.I32(f.Size);
    w.I32(f.Precision);
    w.U8(f.Required ? 1 : 0);
  }
  w.U32(static_cast<uint32_t>(packet.Rows.size()));
  VariantEncoder values(w, limits);
  for (size_t i = 0; i < packet.Rows.size(); ++i) {
    const auto& row = packet.Rows[i];
    if (row.size() != packet.Fields.size())
      throw EProtocolError("row " + std::to_string(i) + " holds " + std::to_string(row.size()) + " values for " +
                           std::to_string(packet.Fields.size()) + " fields");
    for (const Variant& v : row) values.Write(v);
  }
  values.Write(packet.Params);
}

TDataPacket ReadPacket(WireReader& r, const WireLimits& limits) {
  TDataPacket packet;
  // A field takes at least 17 bytes (empty name, three i32, one u8).
  const uint32_t fieldCount = r.Count(17, kMaxFields, "field");
  packet.Fields.resize(fieldCount);
  for (TPacketField& f : packet.Fields) {
    f.Name = r.Str();
    const size_t typeAt = r.Offset();
    const int32_t type = r.I32();
    if (type < 0 || type >= kFieldTypeCount) r.Fail(typeAt, "unknown field type " + std::to_string(type));
    f.DataType = static_cast<TFieldType>(type);
    const size_t sizeAt = r.Offset();
    f.Size = r.I32();
    f.Precision = r.I32();
    if (f.Size < 0 || f.Precision < 0) r.Fail(sizeAt, "negative field size or precision");
    const size_t reqAt = r.Offset();
    const uint8_t required = r.U8();
    if (required > 1) r.Fail(reqAt, "required flag " + std::to_string(required));
    f.Required = required == 1;
  }
  const size_t rowsAt = r.Offset();
  const uint32_t rowCount = r.U32();
  if (rowCount > 0 && fieldCount == 0) r.Fail(rowsAt, "rows without fields");
  // Each cell takes at least its two-byte type.
  const uint64_t cells = static_cast<uint64_t>(rowCount) * fieldCount;
  if (cells > r.Remaining() / 2)
    r.Fail(rowsAt, std::to_string(rowCount) + " rows cannot fit in the " + std::to_string(r.Remaining()) + " bytes left");
  if (cells > limits.MaxValues)
    r.Fail(rowsAt, std::to_string(cells) + " values exceed the limit of " + std::to_string(limits.MaxValues));
  VariantDecoder values(r, limits);
  packet.Rows.resize(rowCount);
  for (auto& row : packet.Rows) {
    row.reserve(fieldCount);
    for (uint32_t i = 0; i < fieldCount; ++i) row.push_back(values.Read());
  }
  packet.Params = values.Read();
  return packet;
}

}  // namespace posnet
