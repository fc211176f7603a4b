// Hostile and broken input at the server: garbage, absurd lengths, deep nesting, frames
// cut off by a closed socket, stalled frames, random payloads. The server answers with an
// error or drops that one connection, never crashes, and keeps serving everyone else.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "ProtocolTestServer.h"
#include "net/Messages.h"
#include "net/Socket.h"

using protocoltest::FakeWorld;
using protocoltest::TestServer;

namespace {

std::vector<uint8_t> Header(uint16_t kind, uint32_t length) {
  std::vector<uint8_t> h = {'P', 'O', 'S', 'J', 1, 0, static_cast<uint8_t>(kind), static_cast<uint8_t>(kind >> 8)};
  for (int i = 0; i < 4; ++i) h.push_back(static_cast<uint8_t>(length >> (8 * i)));
  return h;
}

std::vector<uint8_t> FrameOf(uint16_t kind, const std::vector<uint8_t>& payload) {
  auto f = Header(kind, static_cast<uint32_t>(payload.size()));
  f.insert(f.end(), payload.begin(), payload.end());
  return f;
}

class RawClient {
 public:
  explicit RawClient(uint16_t port) : s_(posnet::ConnectTcp("127.0.0.1", port, 2000)) {}
  void Send(const std::vector<uint8_t>& bytes) { s_->Send(bytes.data(), bytes.size(), 2000); }
  void Greet() {
    posnet::WireWriter w;
    posnet::WriteHello(w, {"", ""});
    Send(FrameOf(1, w.Data()));
    EXPECT_EQ(Answer(), "welcome");
  }
  // "welcome", "result", "error: <text>", "closed" or "timeout".
  std::string Answer(int timeoutMs = 3000) {
    posnet::Frame f;
    try {
      if (!posnet::ReceiveFrame(*s_, f, timeoutMs, timeoutMs)) return "closed";
    } catch (const ESocketError& e) {
      return e.Message().find("time-out") != std::string::npos ? "timeout" : "closed";
    }
    switch (f.Kind) {
      case 2: return "welcome";
      case 4: return "result";
      case 5: return "error: " + posnet::ReadText(f.Payload, 1u << 16);
      default: return "kind " + std::to_string(f.Kind);
    }
  }
  void Close() { s_.reset(); }

 private:
  std::unique_ptr<posnet::Socket> s_;
};

std::vector<uint8_t> CallPayload(const std::string& method, const std::vector<Variant>& args) {
  posnet::CallMessage m;
  m.Method = method;
  for (const auto& a : args) m.Args.push_back({a, false});
  posnet::WireWriter w;
  posnet::WriteCall(w, m, posnet::WireLimits());
  return w.Data();
}

// The server still serves a well-behaved client, and every session of the broken ones
// has ended or still belongs to a live connection.
void ExpectServing(TestServer& server) {
  auto c = server.Client();
  AnsiString db = "PosStore";
  c->AppServer().ChangeDb(db);
  EXPECT_TRUE(c->Connected());
}

TEST(HostileInput, GarbageBytesAreAnsweredAndDropped) {
  FakeWorld world;
  TestServer server(world);
  RawClient raw(server.Port());
  raw.Send({'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P', '/', '1', '.', '0', '\r', '\n', '\r', '\n'});
  EXPECT_EQ(raw.Answer(), "error: corrupt at offset 0: not a message of this protocol (bad magic)");
  EXPECT_EQ(raw.Answer(), "closed");
  ExpectServing(server);
}

TEST(HostileInput, LengthOfTwoGibibytesIsRefusedBeforeAllocation) {
  FakeWorld world;
  TestServer server(world);
  for (bool greeted : {false, true}) {
    RawClient raw(server.Port());
    if (greeted) raw.Greet();
    raw.Send(Header(3, 0x80000000u));
    EXPECT_EQ(raw.Answer(), "error: corrupt at offset 8: message of 2147483648 bytes exceeds the limit of 16777216 bytes");
    EXPECT_EQ(raw.Answer(), "closed");
  }
  ExpectServing(server);
}

TEST(HostileInput, WrongVersionIsRefused) {
  FakeWorld world;
  TestServer server(world);
  RawClient raw(server.Port());
  auto h = Header(1, 0);
  h[4] = 9;
  raw.Send(h);
  EXPECT_EQ(raw.Answer(), "error: corrupt at offset 4: protocol version 9 is not supported (expected 1)");
  ExpectServing(server);
}

TEST(HostileInput, DeepNestingIsAnsweredAndTheConnectionGoesOn) {
  FakeWorld world;
  TestServer server(world);
  RawClient raw(server.Port());
  raw.Greet();
  posnet::WireWriter w;
  w.Str("ExecuteProc");
  w.U32(1);
  w.U8(0);
  for (int i = 0; i < 200000; ++i) {
    w.U16(varArray | varVariant);
    w.U8(1);
    w.I32(0);
    w.U32(1);
  }
  w.U16(varNull);
  raw.Send(FrameOf(3, w.Data()));
  EXPECT_EQ(raw.Answer(), "error: corrupt at offset 196: arrays nested deeper than 16");
  // The frame's bounds were intact: the same connection serves the next call.
  raw.Send(FrameOf(3, CallPayload("TransactionController", {Variant(0)})));
  EXPECT_EQ(raw.Answer(), "result");
  ExpectServing(server);
}

TEST(HostileInput, SocketClosedInTheMiddleOfAFrame) {
  FakeWorld world;
  TestServer server(world);
  const auto call = FrameOf(3, CallPayload("TransactionController", {Variant(0)}));
  for (size_t cut : {size_t{1}, size_t{6}, size_t{12}, size_t{15}, call.size() - 1}) {
    RawClient raw(server.Port());
    raw.Greet();
    raw.Send(std::vector<uint8_t>(call.begin(), call.begin() + static_cast<std::ptrdiff_t>(cut)));
    raw.Close();
  }
  // Closed before the greeting too.
  for (size_t cut : {size_t{0}, size_t{5}}) {
    RawClient raw(server.Port());
    raw.Send(std::vector<uint8_t>(call.begin(), call.begin() + static_cast<std::ptrdiff_t>(cut)));
    raw.Close();
  }
  EXPECT_TRUE(world.WaitAllEnded());
  ExpectServing(server);
}

TEST(HostileInput, RequestsBeforeTheGreetingAreRefused) {
  FakeWorld world;
  TestServer server(world);
  RawClient raw(server.Port());
  raw.Send(FrameOf(3, CallPayload("TransactionController", {Variant(0)})));
  EXPECT_EQ(raw.Answer(), "error: The connection must begin with a greeting");
  EXPECT_EQ(raw.Answer(), "closed");
  EXPECT_EQ(world.created, 0);
}

TEST(HostileInput, UnknownKindsAndMalformedPayloadsGetErrorsOnALiveConnection) {
  FakeWorld world;
  TestServer server(world);
  RawClient raw(server.Port());
  raw.Greet();
  struct Case {
    uint16_t kind;
    std::vector<uint8_t> payload;
    const char* answer;
  };
  const Case cases[] = {
      {99, {}, "error: Unknown request (message kind 99)"},
      {1, {0, 0, 0, 0, 0, 0, 0, 0}, "error: Unknown request (message kind 1)"},  // a second greeting
      {4, {0, 0, 0, 0, 0, 0}, "error: Unknown request (message kind 4)"},        // a reply sent to the server
      {3, {}, "error: corrupt at offset 0: a number needs 4 bytes, 0 left"},
      {3, {1, 0, 0, 0, 'X', 0xFF, 0xFF, 0xFF, 0xFF}, "error: corrupt at offset 5: argument count 4294967295 above the limit 64"},
      {6, {5, 0, 0, 0, 'a'}, "error: corrupt at offset 0: string of 5 bytes, 1 left"},
      {6, {}, "error: corrupt at offset 0: a number needs 4 bytes, 0 left"},
  };
  for (const Case& c : cases) {
    raw.Send(FrameOf(c.kind, c.payload));
    EXPECT_EQ(raw.Answer(), c.answer) << c.kind;
  }
  raw.Send(FrameOf(3, CallPayload("TransactionController", {Variant(0)})));
  EXPECT_EQ(raw.Answer(), "result");
}

TEST(HostileInput, RandomPayloadsNeverStopTheServer) {
  FakeWorld world;
  TestServer server(world);
  std::mt19937 random(20240305);
  RawClient raw(server.Port());
  raw.Greet();
  const auto valid = CallPayload("ExecuteProc", {Variant("P"), VarArrayOf({VarArrayOf({Variant("@a"), Variant(1)})}),
                                                 Variant()});
  for (int i = 0; i < 500; ++i) {
    std::vector<uint8_t> payload = valid;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int k = 0; k < flips; ++k) payload[random() % payload.size()] = static_cast<uint8_t>(random());
    if (random() % 5 == 0) payload.resize(random() % payload.size());
    raw.Send(FrameOf(random() % 2 ? 3 : 6, payload));
    const std::string answer = raw.Answer();
    ASSERT_TRUE(answer == "result" || answer.rfind("error: ", 0) == 0) << i << ": " << answer;
  }
  ExpectServing(server);
}

TEST(HostileInput, StalledFrameIsDroppedAfterTheFrameTimeout) {
  FakeWorld world;
  posserver::ServerOptions o = TestServer::Options();
  o.FrameTimeoutMs = 200;
  TestServer server(world, o);
  RawClient raw(server.Port());
  raw.Greet();
  raw.Send(Header(3, 100));  // announces 100 bytes, sends none
  EXPECT_EQ(raw.Answer(3000), "closed");
  EXPECT_TRUE(world.WaitAllEnded());
  ExpectServing(server);
}

TEST(HostileInput, SilentClientIsDroppedAfterTheGreetingTimeout) {
  FakeWorld world;
  posserver::ServerOptions o = TestServer::Options();
  o.GreetingTimeoutMs = 200;
  TestServer server(world, o);
  RawClient raw(server.Port());
  EXPECT_EQ(raw.Answer(3000), "closed");
  EXPECT_EQ(server.Listener().AcceptedConnections(), 1u);
  ExpectServing(server);
}

TEST(HostileInput, ManyConnectionsOpenedAndDropped) {
  FakeWorld world;
  posserver::ServerOptions o = TestServer::Options();
  o.MaxClients = 1000;  // the sessions of dropped clients may still be ending: no refusals here
  TestServer server(world, o);
  for (int i = 0; i < 200; ++i) {
    RawClient raw(server.Port());
    if (i % 2) raw.Greet();
  }
  EXPECT_TRUE(world.WaitAllEnded());
  for (int i = 0; i < 100 && server.Listener().ActiveConnections() > 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(server.Listener().ActiveConnections(), 0);
  ExpectServing(server);
}

}  // namespace
