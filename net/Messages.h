// The messages of the wire protocol and their payloads (grammar:
// docs/formats/protocol.md). Each Read... consumes a whole payload and raises
// EProtocolError for anything malformed, trailing bytes included.
//
//   Hello   = ServerName str, ServerGUID str
//   Welcome = server description str
//   Call    = method str, u32 argument count (<= 64), per argument u8 flags
//             (1 = by reference) and a value
//   Result  = result value, u32 count, the new values of the by-reference arguments in
//             their order
//   Error   = message str (GBK, the server's own text)
//   Fetch   = provider name str
//   Packet  = a data packet
#pragma once
#include <vector>

#include "db/DataPacket.h"
#include "net/Frame.h"
#include "rtl/Variant.h"

namespace posnet {

constexpr uint32_t kMaxArguments = 64;
constexpr uint32_t kMaxNameLength = 256;

struct HelloMessage {
  AnsiString ServerName;
  AnsiString ServerGUID;
};

struct CallArgument {
  Variant Value;
  bool ByRef = false;
};

struct CallMessage {
  AnsiString Method;
  std::vector<CallArgument> Args;
};

struct ResultMessage {
  Variant Result;
  std::vector<Variant> ByRef;  // one per by-reference argument of the call, in order
};

void WriteHello(WireWriter& w, const HelloMessage& m);
HelloMessage ReadHello(const std::vector<uint8_t>& payload);
void WriteText(WireWriter& w, const AnsiString& text);  // Welcome, Error and Fetch
AnsiString ReadText(const std::vector<uint8_t>& payload, uint32_t maxLength);
void WriteCall(WireWriter& w, const CallMessage& m, const WireLimits& limits);
CallMessage ReadCall(const std::vector<uint8_t>& payload, const WireLimits& limits);
void WriteResult(WireWriter& w, const ResultMessage& m, const WireLimits& limits);
ResultMessage ReadResult(const std::vector<uint8_t>& payload, const WireLimits& limits);
TDataPacket ReadPacketMessage(const std::vector<uint8_t>& payload, const WireLimits& limits);

}  // namespace posnet
