// The messages of the wire protocol (see Messages.h).
#include "net/Messages.h"

#include <string>

#include "net/PacketCodec.h"
#include "net/VariantCodec.h"

namespace posnet {
namespace {

AnsiString ReadName(WireReader& r, uint32_t maxLength, const char* what) {
  const size_t at = r.Offset();
  AnsiString s = r.Str();
  if (s.size() > maxLength)
    r.Fail(at, std::string(what) + " of " + std::to_string(s.size()) + " bytes exceeds " + std::to_string(maxLength));
  return s;
}

}  // namespace

void WriteHello(WireWriter& w, const HelloMessage& m) {
  w.Str(m.ServerName);
  w.Str(m.ServerGUID);
}

HelloMessage ReadHello(const std::vector<uint8_t>& payload) {
  WireReader r(payload);
  HelloMessage m;
  m.ServerName = ReadName(r, kMaxNameLength, "server name");
  m.ServerGUID = ReadName(r, kMaxNameLength, "server GUID");
  r.ExpectEnd();
  return m;
}

void WriteText(WireWriter& w, const AnsiString& text) { w.Str(text); }

AnsiString ReadText(const std::vector<uint8_t>& payload, uint32_t maxLength) {
  WireReader r(payload);
  AnsiString s = ReadName(r, maxLength, "text");
  r.ExpectEnd();
  return s;
}

void WriteCall(WireWriter& w, const CallMessage& m, const WireLimits& limits) {
  w.Str(m.Method);
  w.U32(static_cast<uint32_t>(m.Args.size()));
  VariantEncoder values(w, limits);
  for (const CallArgument& a : m.Args) {
    w.U8(a.ByRef ? 1 : 0);
    values.Write(a.Value);
  }
}

CallMessage ReadCall(const std::vector<uint8_t>& payload, const WireLimits& limits) {
  WireReader r(payload);
  CallMessage m;
  m.Method = ReadName(r, kMaxNameLength, "method name");
  const uint32_t n = r.Count(3, kMaxArguments, "argument");
  VariantDecoder values(r, limits);
  m.Args.resize(n);
  for (CallArgument& a : m.Args) {
    const size_t at = r.Offset();
    const uint8_t flags = r.U8();
    if (flags > 1) r.Fail(at, "argument flags " + std::to_string(flags));
    a.ByRef = flags == 1;
    a.Value = values.Read();
  }
  r.ExpectEnd();
  return m;
}

void WriteResult(WireWriter& w, const ResultMessage& m, const WireLimits& limits) {
  VariantEncoder values(w, limits);
  values.Write(m.Result);
  w.U32(static_cast<uint32_t>(m.ByRef.size()));
  for (const Variant& v : m.ByRef) values.Write(v);
}

ResultMessage ReadResult(const std::vector<uint8_t>& payload, const WireLimits& limits) {
  WireReader r(payload);
  VariantDecoder values(r, limits);
  ResultMessage m;
  m.Result = values.Read();
  const uint32_t n = r.Count(2, kMaxArguments, "by-reference value");
  m.ByRef.reserve(n);
  for (uint32_t i = 0; i < n; ++i) m.ByRef.push_back(values.Read());
  r.ExpectEnd();
  return m;
}

TDataPacket ReadPacketMessage(const std::vector<uint8_t>& payload, const WireLimits& limits) {
  WireReader r(payload);
  TDataPacket p = ReadPacket(r, limits);
  r.ExpectEnd();
  return p;
}

}  // namespace posnet
