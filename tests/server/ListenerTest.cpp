// The listener: many clients at once, one session each; sessions end (and roll back)
// when their client leaves or the server stops; the client limit; faults injected at
// every socket call of the server side.
#include <gtest/gtest.h>

#include <thread>

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
