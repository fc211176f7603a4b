// Frames of the wire protocol (grammar: docs/formats/protocol.md).
//
//   frame  = header payload
//   header = magic "POSJ" (4 bytes), version u16, kind u16, payload length u32
//
// All numbers are little-endian. A receiver checks the magic, the version and the length
// against its limit before it allocates anything for the payload; a bad header means the
// stream is out of step and the connection must be dropped after the error is reported.
#pragma once
#include <cstdint>
#include <vector>

#include "net/Socket.h"
#include "net/WireBuffer.h"

namespace posnet {

constexpr uint8_t kMagic[4] = {'P', 'O', 'S', 'J'};
constexpr uint16_t kProtocolVersion = 1;
constexpr size_t kHeaderSize = 12;

enum class MessageKind : uint16_t {
  Hello = 1,    // client -> server: ServerName, ServerGUID
  Welcome = 2,  // server -> client: the server's description
  Call = 3,     // client -> server: method name and arguments
  Result = 4,   // server -> client: result value and the by-reference arguments
  Error = 5,    // server -> client: the server's message
  Fetch = 6,    // client -> server: provider name
  Packet = 7,   // server -> client: a data packet
};

// Bounds a receiver enforces on what it accepts (and a sender on what it sends).
struct WireLimits {
  uint32_t MaxPayload = 64u << 20;  // bytes of one frame's payload
  uint32_t MaxValues = 8u << 20;    // Variants in one message (array elements and cells)
  int MaxDepth = 16;                // nesting of arrays in arrays
};

// A server accepts much less than a client: requests are small.
inline WireLimits RequestLimits() { return WireLimits{16u << 20, 1u << 20, 16}; }

struct FrameHeader {
  uint16_t Kind = 0;
  uint32_t Length = 0;
};

// Decodes and checks a header: magic, version, Length <= limits.MaxPayload. Raises
// EProtocolError naming what is wrong. Unknown kinds pass (the frame is intact; the
// dispatcher answers them).
FrameHeader DecodeHeader(const uint8_t (&bytes)[kHeaderSize], const WireLimits& limits);

// A writer that starts with room for the header; SendFrame fills the header in and sends
// header and payload with one Send.
WireWriter NewFrame();
// Raises EProtocolError (before sending anything) when the payload passes limits.MaxPayload.
void SendFrame(Socket& s, MessageKind kind, WireWriter& frame, int timeoutMs,
               const WireLimits& limits = WireLimits());

struct Frame {
  uint16_t Kind = 0;
  std::vector<uint8_t> Payload;
};

// Reads one frame. Waits idleTimeoutMs (negative: no limit) for its first byte and then
// frameTimeoutMs for each further step. Returns false when the peer closed the stream
// cleanly before a frame began. A stream that ends inside a frame raises ESocketError
// "connection closed in the middle of a message"; a bad header raises EProtocolError.
bool ReceiveFrame(Socket& s, Frame& out, int idleTimeoutMs, int frameTimeoutMs,
                  const WireLimits& limits = WireLimits());

// Reads the frames of one connection through a buffer, with the same waits, checks and
// failures as ReceiveFrame: a small frame (header and payload) then arrives with one
// receive instead of two or more. Bytes that arrived past the end of a frame (the start
// of the next one) stay in the buffer for the next call, so it must be the only reader
// of its socket. After a failure the stream is out of step and must be dropped.
class FrameReceiver {
 public:
  explicit FrameReceiver(Socket& s) : FSocket(s) {}
  FrameReceiver(const FrameReceiver&) = delete;
  FrameReceiver& operator=(const FrameReceiver&) = delete;

  bool Receive(Frame& out, int idleTimeoutMs, int frameTimeoutMs, const WireLimits& limits = WireLimits());
  // Bytes received but not yet handed out.
  size_t Buffered() const { return FEnd - FBegin; }
  // True while a frame has begun and not been handed out: a failure then came in the
  // middle of a frame, not in the wait for one.
  bool InFrame() const { return FInFrame; }

 private:
  // Fills the buffer with what the socket holds (at least one byte); false on a clean
  // end of stream.
  bool Fill(int timeoutMs);
  // Hands out up to n buffered bytes.
  size_t Take(uint8_t* p, size_t n);

  static constexpr size_t kBufferSize = 64u << 10;
  Socket& FSocket;
  std::vector<uint8_t> FBuffer;
  size_t FBegin = 0, FEnd = 0;
  bool FInFrame = false;
};

}  // namespace posnet
