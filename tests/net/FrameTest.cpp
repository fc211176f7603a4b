// Frames: the header is checked before anything is allocated, frames survive any split
// of the stream, and the end of the stream is told apart from a loss mid-frame; the
// buffered receiver keeps all of that and hands out frames that arrived together one
// by one.
#include "net/Frame.h"

#include <gtest/gtest.h>

#include <thread>

#include "FaultySocket.h"
#include "net/Messages.h"
#include "net/NetErrors.h"

using nettest::MemorySocket;
using posnet::Frame;
using posnet::MessageKind;
using posnet::WireLimits;

namespace {

std::vector<uint8_t> Header(const char* magic, uint16_t version, uint16_t kind, uint32_t length) {
  std::vector<uint8_t> h(magic, magic + 4);
  for (uint64_t v : {uint64_t{version}, uint64_t{kind}}) {
    h.push_back(static_cast<uint8_t>(v));
    h.push_back(static_cast<uint8_t>(v >> 8));
  }
  for (int i = 0; i < 4; ++i) h.push_back(static_cast<uint8_t>(length >> (8 * i)));
  return h;
}

std::string HeaderError(const std::vector<uint8_t>& bytes, const WireLimits& limits = WireLimits()) {
  uint8_t h[posnet::kHeaderSize];
  std::copy(bytes.begin(), bytes.end(), h);
  try {
    posnet::DecodeHeader(h, limits);
  } catch (const EProtocolError& e) {
    return e.Message();
  }
  return "no error";
}

TEST(FrameHeader, Checks) {
  EXPECT_EQ(HeaderError(Header("POSJ", 1, 3, 0)), "no error");
  EXPECT_EQ(HeaderError(Header("POSJ", 1, 999, 16)), "no error");  // unknown kinds are the dispatcher's business
  EXPECT_EQ(HeaderError(Header("GET ", 1, 3, 0)), "corrupt at offset 0: not a message of this protocol (bad magic)");
  EXPECT_EQ(HeaderError(Header("POSJ", 2, 3, 0)),
            "corrupt at offset 4: protocol version 2 is not supported (expected 1)");
  EXPECT_EQ(HeaderError(Header("POSJ", 1, 3, 0x80000000u)),
            "corrupt at offset 8: message of 2147483648 bytes exceeds the limit of 67108864 bytes");
  EXPECT_EQ(HeaderError(Header("POSJ", 1, 3, (16u << 20) + 1), posnet::RequestLimits()),
            "corrupt at offset 8: message of 16777217 bytes exceeds the limit of 16777216 bytes");
}

TEST(FrameStream, FramesSurviveAnySplit) {
  auto [a, b] = MemorySocket::MakePair();
  std::vector<uint8_t> all;
  for (int k = 0; k < 3; ++k) {
    posnet::WireWriter w = posnet::NewFrame();
    posnet::WriteText(w, std::string(static_cast<size_t>(k) * 1000, static_cast<char>('a' + k)));
    posnet::SendFrame(*a, MessageKind::Fetch, w, 1000);
  }
  // Re-deliver the stream one byte at a time through a fault-free chunked wrapper.
  nettest::FaultySocket slow(std::move(b), {nettest::FaultPlan::None, 0, 1});
  for (int k = 0; k < 3; ++k) {
    Frame f;
    ASSERT_TRUE(posnet::ReceiveFrame(slow, f, 1000, 1000));
    EXPECT_EQ(f.Kind, static_cast<uint16_t>(MessageKind::Fetch));
    EXPECT_EQ(posnet::ReadText(f.Payload, 10000).size(), static_cast<size_t>(k) * 1000);
  }
}

TEST(FrameStream, CleanEndBeforeAFrameIsNotAnError) {
  auto [a, b] = MemorySocket::MakePair();
  a->Shutdown();
  Frame f;
  EXPECT_FALSE(posnet::ReceiveFrame(*b, f, 1000, 1000));
}

TEST(FrameStream, EndInsideAFrameIsALoss) {
  for (size_t cut : {size_t{3}, posnet::kHeaderSize, posnet::kHeaderSize + 5}) {
    auto [a, b] = MemorySocket::MakePair();
    auto bytes = Header("POSJ", 1, 3, 10);
    bytes.resize(posnet::kHeaderSize + 10, 'x');
    a->Send(bytes.data(), cut, 1000);
    a->Shutdown();
    Frame f;
    try {
      posnet::ReceiveFrame(*b, f, 1000, 1000);
      ADD_FAILURE() << "no error at cut " << cut;
    } catch (const ESocketError& e) {
      EXPECT_EQ(e.Message(), "Connection closed in the middle of a message [memory]");
    }
  }
}

TEST(FrameStream, StalledFrameTimesOut) {
  auto [a, b] = MemorySocket::MakePair();
  auto bytes = Header("POSJ", 1, 3, 10);
  a->Send(bytes.data(), bytes.size(), 1000);
  Frame f;
  EXPECT_THROW(posnet::ReceiveFrame(*b, f, -1, 50), ESocketError);
}

TEST(FrameStream, HugeAnnouncedLengthAllocatesOnlyWhatArrives) {
  // 60 MiB announced (under the limit), 100 bytes sent, then the stream ends: the
  // receiver fails without having reserved the announced size.
  auto [a, b] = MemorySocket::MakePair();
  auto bytes = Header("POSJ", 1, 3, 60u << 20);
  bytes.resize(bytes.size() + 100, 0);
  a->Send(bytes.data(), bytes.size(), 1000);
  a->Shutdown();
  Frame f;
  EXPECT_THROW(posnet::ReceiveFrame(*b, f, 1000, 1000), ESocketError);
  EXPECT_LE(f.Payload.capacity(), size_t{1} << 20);
}

TEST(FrameStream, OversizedPayloadIsNotSent) {
  auto [a, b] = MemorySocket::MakePair();
  WireLimits limits;
  limits.MaxPayload = 8;
  posnet::WireWriter w = posnet::NewFrame();
  posnet::WriteText(w, "123456789");
  EXPECT_THROW(posnet::SendFrame(*a, MessageKind::Fetch, w, 1000, limits), EProtocolError);
  a->Shutdown();
  Frame f;
  EXPECT_FALSE(posnet::ReceiveFrame(*b, f, 1000, 1000));  // nothing went out
}

// --- the buffered receiver ----------------------------------------------------------

std::vector<uint8_t> Frames(int count) {
  std::vector<uint8_t> all;
  for (int k = 0; k < count; ++k) {
    posnet::WireWriter w = posnet::NewFrame();
    posnet::WriteText(w, std::string(static_cast<size_t>(k) * 700, static_cast<char>('a' + k)));
    auto h = Header("POSJ", 1, static_cast<uint16_t>(k + 1), static_cast<uint32_t>(w.Size() - posnet::kHeaderSize));
    std::copy(h.begin(), h.end(), w.Data().begin());
    all.insert(all.end(), w.Data().begin(), w.Data().end());
  }
  return all;
}

// Kind and text size of each frame received, "end" for the clean end.
std::string ReceiveAll(posnet::Socket& s) {
  posnet::FrameReceiver r(s);
  std::string trace;
  Frame f;
  while (r.Receive(f, 1000, 1000))
    trace += std::to_string(f.Kind) + ":" + std::to_string(posnet::ReadText(f.Payload, 100000).size()) + " ";
  EXPECT_FALSE(r.InFrame());
  EXPECT_EQ(r.Buffered(), 0u);
  return trace + "end";
}

// Frames sent together (a client that does not wait for its replies) arrive in one
// receive and are handed out one by one; any split of the stream gives the same.
TEST(FrameReceiver, FramesArrivingTogetherOrSplitAnyhow) {
  const std::vector<uint8_t> bytes = Frames(4);
  for (size_t chunk : {size_t{0}, size_t{1}, size_t{7}, size_t{posnet::kHeaderSize + 1}}) {
    auto [a, b] = MemorySocket::MakePair();
    a->Send(bytes.data(), bytes.size(), 1000);
    a->Shutdown();
    nettest::FaultySocket split(std::move(b), {nettest::FaultPlan::None, 0, chunk});
    EXPECT_EQ(ReceiveAll(split), "1:0 2:700 3:1400 4:2100 end") << "chunk " << chunk;
  }
}

// A frame larger than the buffer: the buffered start, then the rest read straight in.
TEST(FrameReceiver, FrameLargerThanTheBuffer) {
  auto [a, b] = MemorySocket::MakePair();
  posnet::WireWriter w = posnet::NewFrame();
  posnet::WriteText(w, std::string(300000, 'z'));
  posnet::SendFrame(*a, MessageKind::Packet, w, 1000);
  const std::vector<uint8_t> next = Frames(2);
  a->Send(next.data(), next.size(), 1000);
  a->Shutdown();
  posnet::FrameReceiver r(*b);
  Frame f;
  ASSERT_TRUE(r.Receive(f, 1000, 1000));
  EXPECT_EQ(posnet::ReadText(f.Payload, 1u << 20), std::string(300000, 'z'));
  ASSERT_TRUE(r.Receive(f, 1000, 1000));
  EXPECT_EQ(f.Kind, 1);
  ASSERT_TRUE(r.Receive(f, 1000, 1000));
  EXPECT_EQ(f.Kind, 2);
  EXPECT_FALSE(r.Receive(f, 1000, 1000));
}

TEST(FrameReceiver, EndInsideAFrameIsALoss) {
  for (size_t cut : {size_t{3}, posnet::kHeaderSize, posnet::kHeaderSize + 5}) {
    auto [a, b] = MemorySocket::MakePair();
    auto bytes = Header("POSJ", 1, 3, 10);
    bytes.resize(posnet::kHeaderSize + 10, 'x');
    a->Send(bytes.data(), cut, 1000);
    a->Shutdown();
    posnet::FrameReceiver r(*b);
    Frame f;
    try {
      r.Receive(f, 1000, 1000);
      ADD_FAILURE() << "no error at cut " << cut;
    } catch (const ESocketError& e) {
      EXPECT_EQ(e.Message(), "Connection closed in the middle of a message [memory]");
    }
    EXPECT_TRUE(r.InFrame()) << "cut " << cut;
  }
}

// Waiting for a frame and waiting inside one are told apart: the server ends an idle
// transaction on the first, and drops a stalled stream on the second.
TEST(FrameReceiver, TimeOutBeforeAndInsideAFrame) {
  auto [a, b] = MemorySocket::MakePair();
  posnet::FrameReceiver r(*b);
  Frame f;
  EXPECT_THROW(r.Receive(f, 20, 1000), ESocketTimeout);
  EXPECT_FALSE(r.InFrame());
  auto bytes = Header("POSJ", 1, 3, 10);
  a->Send(bytes.data(), bytes.size(), 1000);
  EXPECT_THROW(r.Receive(f, -1, 20), ESocketTimeout);
  EXPECT_TRUE(r.InFrame());
}

TEST(FrameReceiver, BadHeaderAndHugeAnnouncedLength) {
  {
    auto [a, b] = MemorySocket::MakePair();
    auto bytes = Header("GET ", 1, 3, 0);
    a->Send(bytes.data(), bytes.size(), 1000);
    posnet::FrameReceiver r(*b);
    Frame f;
    EXPECT_THROW(r.Receive(f, 1000, 1000, posnet::RequestLimits()), EProtocolError);
  }
  auto [a, b] = MemorySocket::MakePair();
  auto bytes = Header("POSJ", 1, 3, 60u << 20);
  bytes.resize(bytes.size() + 100, 0);
  a->Send(bytes.data(), bytes.size(), 1000);
  a->Shutdown();
  posnet::FrameReceiver r(*b);
  Frame f;
  EXPECT_THROW(r.Receive(f, 1000, 1000), ESocketError);
  EXPECT_LE(f.Payload.capacity(), (size_t{1} << 20) + 100);  // one step past what arrived
}

}  // namespace
