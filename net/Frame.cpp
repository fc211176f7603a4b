// Frames of the wire protocol (see Frame.h).
#include "net/Frame.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "net/NetErrors.h"

namespace posnet {
namespace {

// Reads exactly n bytes; `started` tells whether a frame has begun (then an end of
// stream is a loss, not a clean close). Returns false only for a clean close.
bool ReadExactly(Socket& s, uint8_t* p, size_t n, bool started, int firstTimeoutMs, int nextTimeoutMs) {
  size_t got = 0;
  while (got < n) {
    const int timeout = (!started && got == 0) ? firstTimeoutMs : nextTimeoutMs;
    const size_t k = s.Receive(p + got, n - got, timeout);
    if (k == 0) {
      if (!started && got == 0) return false;
      throw ESocketError("Connection closed in the middle of a message [" + s.PeerName() + "]");
    }
    got += k;
  }
  return true;
}

}  // namespace

FrameHeader DecodeHeader(const uint8_t (&b)[kHeaderSize], const WireLimits& limits) {
  if (std::memcmp(b, kMagic, 4) != 0) throw EProtocolError("corrupt at offset 0: not a message of this protocol (bad magic)");
  const uint16_t version = static_cast<uint16_t>(b[4] | (b[5] << 8));
  if (version != kProtocolVersion)
    throw EProtocolError("corrupt at offset 4: protocol version " + std::to_string(version) + " is not supported (expected " +
                         std::to_string(kProtocolVersion) + ")");
  FrameHeader h;
  h.Kind = static_cast<uint16_t>(b[6] | (b[7] << 8));
  h.Length = static_cast<uint32_t>(b[8]) | (static_cast<uint32_t>(b[9]) << 8) | (static_cast<uint32_t>(b[10]) << 16) |
             (static_cast<uint32_t>(b[11]) << 24);
  if (h.Length > limits.MaxPayload)
    throw EProtocolError("corrupt at offset 8: message of " + std::to_string(h.Length) + " bytes exceeds the limit of " +
                         std::to_string(limits.MaxPayload) + " bytes");
  return h;
}

WireWriter NewFrame() {
  WireWriter w;
  w.Data().reserve(256);
  w.Data().resize(kHeaderSize);
  return w;
}

void SendFrame(Socket& s, MessageKind kind, WireWriter& frame, int timeoutMs, const WireLimits& limits) {
  auto& bytes = frame.Data();
  if (bytes.size() < kHeaderSize) throw EProtocolError("message without room for its header");
  const size_t length = bytes.size() - kHeaderSize;
  if (length > limits.MaxPayload)
    throw EProtocolError("message of " + std::to_string(length) + " bytes exceeds the limit of " +
                         std::to_string(limits.MaxPayload) + " bytes");
  std::memcpy(bytes.data(), kMagic, 4);
  const auto k = static_cast<uint16_t>(kind);
  const uint8_t rest[8] = {static_cast<uint8_t>(kProtocolVersion), static_cast<uint8_t>(kProtocolVersion >> 8),
                           static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8),
                           static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                           static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
  std::memcpy(bytes.data() + 4, rest, 8);
  s.Send(bytes.data(), bytes.size(), timeoutMs);
}

bool ReceiveFrame(Socket& s, Frame& out, int idleTimeoutMs, int frameTimeoutMs, const WireLimits& limits) {
  uint8_t header[kHeaderSize];
  if (!ReadExactly(s, header, kHeaderSize, false, idleTimeoutMs, frameTimeoutMs)) return false;
  const FrameHeader h = DecodeHeader(header, limits);
  out.Kind = h.Kind;
  // The buffer grows with the bytes that actually arrive (a step of at most 1 MiB), so a
  // header that announces much and sends little costs the receiver little.
  constexpr size_t kStep = 1u << 20;
  out.Payload.clear();
  size_t have = 0;
  while (have < h.Length) {
    const size_t step = std::min<size_t>(kStep, h.Length - have);
    out.Payload.resize(have + step);
    ReadExactly(s, out.Payload.data() + have, step, true, frameTimeoutMs, frameTimeoutMs);
    have += step;
  }
  return true;
}

bool FrameReceiver::Fill(int timeoutMs) {
  if (FBuffer.empty()) FBuffer.resize(kBufferSize);
  FBegin = FEnd = 0;
  const size_t k = FSocket.Receive(FBuffer.data(), FBuffer.size(), timeoutMs);
  FEnd = k;
  return k > 0;
}

size_t FrameReceiver::Take(uint8_t* p, size_t n) {
  const size_t k = std::min(n, FEnd - FBegin);
  if (k == 0) return 0;  // p may be the null data of an empty payload
  std::memcpy(p, FBuffer.data() + FBegin, k);
  FBegin += k;
  return k;
}

bool FrameReceiver::Receive(Frame& out, int idleTimeoutMs, int frameTimeoutMs, const WireLimits& limits) {
  uint8_t header[kHeaderSize];
  size_t got = 0;
  while (got < kHeaderSize) {
    if (FBegin == FEnd && !Fill(got == 0 ? idleTimeoutMs : frameTimeoutMs)) {
      if (got == 0) return false;
      throw ESocketError("Connection closed in the middle of a message [" + FSocket.PeerName() + "]");
    }
    got += Take(header + got, kHeaderSize - got);
    FInFrame = true;
  }
  const FrameHeader h = DecodeHeader(header, limits);
  out.Kind = h.Kind;
  // What is buffered first; the rest of a large payload goes straight into it, in
  // steps of at most 1 MiB, so that the buffer grows only with bytes that arrived.
  constexpr size_t kStep = 1u << 20;
  out.Payload.resize(std::min<size_t>(h.Length, FEnd - FBegin));
  size_t have = Take(out.Payload.data(), out.Payload.size());
  while (have < h.Length) {
    const size_t step = std::min<size_t>(kStep, h.Length - have);
    out.Payload.resize(have + step);
    ReadExactly(FSocket, out.Payload.data() + have, step, true, frameTimeoutMs, frameTimeoutMs);
    have += step;
  }
  FInFrame = false;
  return true;
}

}  // namespace posnet
