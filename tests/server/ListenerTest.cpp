// The listener: many clients at once, one session each; sessions end (and roll back)
// when their client leaves or the server stops; the client limit, which silent
// connections cannot turn into a wait; peers that die without a word; faults injected
// at every socket call of the server side.
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "net/Messages.h"

#include "ProtocolTestServer.h"
#include "tests/net/FaultySocket.h"
#include "tests/net/WireRender.h"

using nettest::Render;
using protocoltest::FakeWorld;
using protocoltest::TestServer;

namespace {

TEST(Listener, ServesManyClientsAtOnce) {
  FakeWorld world;
  TestServer server(world);
  constexpr int kClients = 16, kCalls = 50;
  std::atomic<int> right{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i)
    clients.emplace_back([&, i] {
      auto c = server.Client();
      for (int k = 0; k < kCalls; ++k) {
        WideString sql = Utf8ToWide("rows " + std::to_string(i % 5 + 1));
        c->AppServer().OpenSQL(sql);
        const TDataPacket p = c->GetProviderPacket("pv_qry_Open");
        if (p.Rows.size() == static_cast<size_t>(i % 5 + 1)) ++right;
      }
    });
  for (auto& t : clients) t.join();
  EXPECT_EQ(right, kClients * kCalls);
  EXPECT_TRUE(world.WaitAllEnded());
  EXPECT_EQ(world.created, kClients);
}

TEST(Listener, ClientThatDisconnectsInsideATransactionIsRolledBack) {
  FakeWorld world;
  TestServer server(world);
  auto c = server.Client();
  c->AppServer().TransactionController(0);
  c->Close();
  ASSERT_TRUE(world.WaitAllEnded());
  EXPECT_EQ(world.endedInTransaction, 1);
  // A client that commits first leaves nothing open.
  auto d = server.Client();
  d->AppServer().TransactionController(0);
  d->AppServer().TransactionController(1);
  d.reset();
  ASSERT_TRUE(world.WaitAllEnded());
  EXPECT_EQ(world.endedInTransaction, 1);
}

TEST(Listener, ClientsBeyondTheLimitHearThatTheServerIsBusy) {
  FakeWorld world;
  posserver::ServerOptions o = TestServer::Options();
  o.MaxClients = 2;
  TestServer server(world, o);
  auto a = server.Client(), b = server.Client();
  try {
    server.Client();
    FAIL() << "a third client was served";
  } catch (const EAppServerError& e) {
    EXPECT_EQ(e.Message(), "The application server is busy: it serves at most 2 clients at once");
  }
  a.reset();
  // The slot frees once the first session has ended.
  for (int i = 0; i < 100 && server.Listener().ActiveConnections() > 1; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  auto c = server.Client();
  EXPECT_TRUE(c->Connected());
}

// Silent connections (connected, never greeting) used to be read one after the other on
// the accepting thread, half a second each, while the server was full: sixteen of them
// made a proper client time out instead of hearing that the server is busy.
TEST(ListenerAdmission, SilentConnectionsDelayNeitherAdmissionNorRefusal) {
  FakeWorld world;
  posserver::ServerOptions o = TestServer::Options();
  o.MaxClients = 18;
  TestServer server(world, o);
  std::vector<std::unique_ptr<posnet::Socket>> silent;
  for (int i = 0; i < 16; ++i) silent.push_back(posnet::ConnectTcp("127.0.0.1", server.Port(), 2000));
  const auto clientWithin = [&](int ms) {
    auto c = std::make_unique<TSocketConnection>(nullptr);
    c->SetAddress("127.0.0.1");
    c->SetPort(server.Port());
    c->SetConnectTimeout(ms);
    c->Open();
    return c;
  };
  // Admitted while sixteen slots wait for greetings.
  auto a = clientWithin(2000);
  EXPECT_TRUE(a->Connected());
  auto b = clientWithin(2000);  // the last slot
  // Full now; sixteen more silent ones wait to be refused, and a proper client is told.
  for (int i = 0; i < 16; ++i) silent.push_back(posnet::ConnectTcp("127.0.0.1", server.Port(), 2000));
  try {
    clientWithin(2000);
    FAIL() << "a client beyond the limit was served";
  } catch (const EAppServerError& e) {
    EXPECT_EQ(e.Message(), "The application server is busy: it serves at most 18 clients at once");
  }
}

// A raw client whose machine can be made to vanish: once Die() is called its socket
// silently drops everything that arrives (a socket filter that keeps nothing), so it
// answers nothing, not even the keep-alive probes, and sends no reset.
class VanishingClient {
 public:
  explicit VanishingClient(uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) throw std::runtime_error("connect");
  }
  ~VanishingClient() { ::close(fd_); }
  // Sends a frame and reads the reply's kind.
  uint16_t Exchange(posnet::MessageKind kind, posnet::WireWriter& w) {
    auto& b = w.Data();
    const size_t length = b.size() - posnet::kHeaderSize;
    const uint8_t header[posnet::kHeaderSize] = {'P', 'O', 'S', 'J', 1, 0, static_cast<uint8_t>(kind), 0,
                                                 static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8), 0, 0};
    std::copy(header, header + posnet::kHeaderSize, b.begin());
    if (::send(fd_, b.data(), b.size(), 0) != static_cast<ssize_t>(b.size())) throw std::runtime_error("send");
    uint8_t reply[posnet::kHeaderSize];
    if (::recv(fd_, reply, sizeof reply, MSG_WAITALL) != static_cast<ssize_t>(sizeof reply))
      throw std::runtime_error("recv");
    const uint32_t n = reply[8] | (reply[9] << 8) | (reply[10] << 16) | (static_cast<uint32_t>(reply[11]) << 24);
    std::vector<uint8_t> payload(n);
    if (n && ::recv(fd_, payload.data(), n, MSG_WAITALL) != static_cast<ssize_t>(n)) throw std::runtime_error("recv");
    return static_cast<uint16_t>(reply[6] | (reply[7] << 8));
  }
  void Die() {
    sock_filter dropAll[] = {BPF_STMT(BPF_RET | BPF_K, 0)};
    sock_fprog program{1, dropAll};
    if (::setsockopt(fd_, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program) != 0)
      throw std::runtime_error("SO_ATTACH_FILTER");
  }

 private:
  int fd_;
};

// A peer that vanishes inside its transaction, without a reset or an end of stream, is
// noticed by the keep-alive probes: its session ends and rolls back.
TEST(ListenerDeadPeer, VanishedPeerIsDetectedAndItsTransactionRolledBack) {
  FakeWorld world;
  posserver::ServerOptions o = TestServer::Options();
  o.TransactionIdleMs = -1;  // only the keep-alive may end it
  o.KeepAliveIdleSeconds = 1;
  o.KeepAliveIntervalSeconds = 1;
  o.KeepAliveProbes = 1;
  TestServer server(world, o);
  VanishingClient peer(server.Port());
  posnet::WireWriter hello = posnet::NewFrame();
  posnet::WriteHello(hello, {"", ""});
  ASSERT_EQ(peer.Exchange(posnet::MessageKind::Hello, hello), static_cast<uint16_t>(posnet::MessageKind::Welcome));
  posnet::WireWriter begin = posnet::NewFrame();
  posnet::CallMessage call;
  call.Method = "TransactionController";
  call.Args.push_back({Variant(0), false});
  posnet::WriteCall(begin, call, posnet::WireLimits());
  ASSERT_EQ(peer.Exchange(posnet::MessageKind::Call, begin), static_cast<uint16_t>(posnet::MessageKind::Result));
  peer.Die();
  // Detection takes about idle + interval * probes = 2 s.
  bool ended = false;
  for (int i = 0; i < 3 && !ended; ++i) ended = world.WaitAllEnded();
  EXPECT_TRUE(ended);
  EXPECT_EQ(world.endedInTransaction, 1);
}

TEST(Listener, StopEndsEverySessionAndClientsSeeTheLoss) {
  FakeWorld world;
  auto server = std::make_unique<TestServer>(world);
  auto a = server->Client(), b = server->Client();
  a->AppServer().TransactionController(0);
  server.reset();
  EXPECT_EQ(world.live, 0);
  EXPECT_EQ(world.endedInTransaction, 1);
  EXPECT_THROW(a->AppServer().TransactionController(1), ESocketError);
  EXPECT_FALSE(a->Connected());
}

TEST(Listener, TakenPortIsReportedAtStart) {
  FakeWorld world;
  TestServer first(world);
  posserver::ServerOptions o = TestServer::Options();
  o.Port = first.Port();
  posserver::ServerLog log(posserver::ServerLog::Quiet);
  posserver::Listener second(o, nullptr, log);
  EXPECT_THROW(second.Start(), ESocketError);
}

// A fault at each socket call of the server's side of a connection in turn, raised or
// as an end of stream, with and without byte-by-byte delivery: the client gets the
// right answers or a clean error, the session ends, and the server goes on serving.
TEST(ListenerFaults, EverySocketCallOfTheServer) {
  FakeWorld world;
  std::atomic<int> failAt{0};
  std::atomic<int> what{nettest::FaultPlan::Raise};
  std::atomic<size_t> chunk{0};
  TestServer server(world, TestServer::Options(), [&](posserver::Listener& l) {
    l.WrapAccepted = [&](std::unique_ptr<posnet::Socket> s) -> std::unique_ptr<posnet::Socket> {
      return std::make_unique<nettest::FaultySocket>(
          std::move(s), nettest::FaultPlan{static_cast<nettest::FaultPlan::Kind>(what.load()), failAt.load(), chunk});
    };
  });
  for (int w : {nettest::FaultPlan::Raise, nettest::FaultPlan::EndOfStream})
    for (size_t ch : {size_t{0}, size_t{5}})
      for (int at = 1; at <= 30; ++at) {
        what = w;
        chunk = ch;
        failAt = at;
        std::string trace;
        try {
          auto c = server.Client(2000);
          AnsiString db = "PosStore";
          c->AppServer().ChangeDb(db);
          WideString sql = u"rows 3";
          c->AppServer().OpenSQL(sql);
          trace += std::to_string(c->GetProviderPacket("pv_qry_Open").Rows.size()) + ";";
          trace += Render(c->AppServer().ExecuteSQL(sql)) + ";end";
        } catch (const ESocketError&) {
          trace += "clean error";
        } catch (const EProtocolError&) {
          trace += "clean error";
        }
        EXPECT_TRUE(trace == "3;3:6;end" || trace.find("clean error") != std::string::npos)
            << "fault " << w << " chunk " << ch << " at " << at << ": " << trace;
      }
  EXPECT_TRUE(world.WaitAllEnded());
  failAt = 0;
  what = nettest::FaultPlan::None;
  auto c = server.Client();
  EXPECT_EQ(Render(c->AppServer().TransactionController(0)), "Empty");
}

}  // namespace
