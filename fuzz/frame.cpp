// fuzz-deps: net rtl
// Fuzz target of the frame decoder: the input is a byte stream as a server or client
// receives it. Frames are read from it one after the other (the stream arriving in
// pieces of varying size) and each payload goes through the reader of its kind and
// through every other reader. Malformed input must end in EProtocolError or
// ESocketError; anything else (a crash, a sanitizer report, another exception) is a
// fault. A payload that decodes must encode to a stable form. The buffered receiver
// reads the same stream and must hand out the same frames and end the same way.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "net/Frame.h"
#include "net/Messages.h"
#include "net/NetErrors.h"
#include "net/PacketCodec.h"

namespace {

// The input as a stream: each Receive hands out a piece whose size the input's first
// byte chooses.
class BufferSocket final : public posnet::Socket {
 public:
  BufferSocket(const uint8_t* data, size_t size, size_t piece) : data_(data), size_(size), piece_(piece) {}
  void Send(const void*, size_t, int) override {}
  size_t Receive(void* out, size_t n, int) override {
    const size_t k = std::min({n, size_ - pos_, piece_});
    std::memcpy(out, data_ + pos_, k);
    pos_ += k;
    return k;
  }
  void Shutdown() override {}
  std::string PeerName() const override { return "fuzz"; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t piece_;
  size_t pos_ = 0;
};

template <class Read, class Write>
void RoundTrip(const std::vector<uint8_t>& payload, Read read, Write write) {
  // A decoded message encodes to bytes that decode and encode to the same bytes again
  // (the first pass may only normalize, e.g. the payload bits of a NaN).
  try {
    posnet::WireWriter once, twice;
    write(once, read(payload));
    write(twice, read(once.Data()));
    if (once.Data() != twice.Data()) std::abort();
  } catch (const EProtocolError&) {
  }
}

void DecodeAll(const std::vector<uint8_t>& payload) {
  const posnet::WireLimits limits = posnet::RequestLimits();
  RoundTrip(payload, [&](const auto& p) { return posnet::ReadCall(p, limits); },
            [&](posnet::WireWriter& w, const posnet::CallMessage& m) { posnet::WriteCall(w, m, limits); });
  RoundTrip(payload, [&](const auto& p) { return posnet::ReadResult(p, limits); },
            [&](posnet::WireWriter& w, const posnet::ResultMessage& m) { posnet::WriteResult(w, m, limits); });
  RoundTrip(payload, [&](const auto& p) { return posnet::ReadPacketMessage(p, limits); },
            [&](posnet::WireWriter& w, const TDataPacket& m) { posnet::WritePacket(w, m, limits); });
  RoundTrip(payload, [&](const auto& p) { return posnet::ReadHello(p); },
            [&](posnet::WireWriter& w, const posnet::HelloMessage& m) { posnet::WriteHello(w, m); });
  RoundTrip(payload, [&](const auto& p) { return posnet::ReadText(p, 1u << 16); },
            [&](posnet::WireWriter& w, const AnsiString& m) { posnet::WriteText(w, m); });
}

// The frames of the stream and how it ended, as one reader saw them.
template <class Receive>
std::vector<posnet::Frame> ReadStream(Receive receive, std::string& end) {
  std::vector<posnet::Frame> frames;
  try {
    posnet::Frame frame;
    for (int i = 0; i < 16 && receive(frame); ++i) frames.push_back(frame);
    end = "end";
  } catch (const EProtocolError& e) {
    end = "protocol: " + e.Message();
  } catch (const ESocketError& e) {
    end = "socket: " + e.Message();
  }
  return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 64;
  posnet::WireLimits limits = posnet::RequestLimits();
  limits.MaxPayload = 1u << 20;
  BufferSocket plain(data + 1, size - 1, piece);
  std::string plainEnd;
  const auto frames = ReadStream([&](posnet::Frame& f) { return posnet::ReceiveFrame(plain, f, 0, 0, limits); }, plainEnd);
  for (const auto& f : frames) DecodeAll(f.Payload);
  // The buffered receiver reads ahead but must hand out the same frames and end alike.
  BufferSocket buffered(data + 1, size - 1, piece);
  posnet::FrameReceiver receiver(buffered);
  std::string bufferedEnd;
  const auto again = ReadStream([&](posnet::Frame& f) { return receiver.Receive(f, 0, 0, limits); }, bufferedEnd);
  if (again.size() != frames.size() || bufferedEnd != plainEnd) std::abort();
  for (size_t i = 0; i < frames.size(); ++i)
    if (again[i].Kind != frames[i].Kind || again[i].Payload != frames[i].Payload) std::abort();
  return 0;
}
