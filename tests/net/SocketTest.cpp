// The socket layer over real loopback connections (POSIX natively, Winsock under Wine).
#include "net/Socket.h"

#include <gtest/gtest.h>

#include <thread>

#include "net/NetErrors.h"

namespace {

TEST(SocketAddress, IPv4Text) {
  struct Case {
    const char* text;
    bool ok;
  };
  const Case cases[] = {{"127.0.0.1", true},    {"192.168.1.5", true}, {"0.0.0.0", true},  {"255.255.255.255", true},
                        {"1.2.3", false},       {"1.2.3.4.5", false},  {"256.1.1.1", false}, {"1..2.3", false},
                        {"", false},            {"a.b.c.d", false},    {"1.2.3.4 ", false}, {"0001.2.3.4", false},
                        {"localhost", false},   {"1.2.3.", false}};
  for (const Case& c : cases) EXPECT_EQ(posnet::IsIPv4Address(c.text), c.ok) << c.text;
}

TEST(SocketAddress, ResolvesNamesAndPassesAddresses) {
  EXPECT_EQ(posnet::ResolveHost("10.1.2.3"), "10.1.2.3");
  const std::string local = posnet::ResolveHost("localhost");
  EXPECT_EQ(local.rfind("127.", 0), 0u) << local;
  EXPECT_THROW(posnet::ResolveHost("no-such-host.invalid"), ESocketError);
}

TEST(SocketStream, SendsAndReceivesBothWays) {
  auto listen = posnet::ListenTcp("127.0.0.1", 0, 4);
  ASSERT_NE(listen->Port(), 0);
  auto client = posnet::ConnectTcp("127.0.0.1", listen->Port(), 2000);
  auto server = listen->Accept(2000);
  ASSERT_TRUE(server);
  std::string big(3u << 20, 'z');  // larger than any socket buffer: Send must loop
  std::thread sender([&] { client->Send(big.data(), big.size(), 5000); });
  std::string got;
  char buf[65536];
  while (got.size() < big.size()) {
    const size_t k = server->Receive(buf, sizeof buf, 5000);
    ASSERT_GT(k, 0u);
    got.append(buf, k);
  }
  sender.join();
  EXPECT_EQ(got, big);
  server->Send("ok", 2, 1000);
  EXPECT_EQ(client->Receive(buf, sizeof buf, 1000), 2u);
  server.reset();
  EXPECT_EQ(client->Receive(buf, sizeof buf, 1000), 0u);  // orderly close
}

TEST(SocketStream, ReceiveTimesOut) {
  auto listen = posnet::ListenTcp("127.0.0.1", 0, 4);
  auto client = posnet::ConnectTcp("127.0.0.1", listen->Port(), 2000);
  char c;
  EXPECT_THROW(client->Receive(&c, 1, 100), ESocketTimeout);
}

TEST(SocketStream, ShutdownWakesABlockedReceiver) {
  auto listen = posnet::ListenTcp("127.0.0.1", 0, 4);
  auto client = posnet::ConnectTcp("127.0.0.1", listen->Port(), 2000);
  auto server = listen->Accept(2000);
  std::thread waker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server->Shutdown();
  });
  char c;
  size_t got = 1;
  const auto start = std::chrono::steady_clock::now();
  try {
    got = server->Receive(&c, 1, 10000);
  } catch (const ESocketError&) {
    got = 0;
  }
  const auto waited = std::chrono::steady_clock::now() - start;
  waker.join();
  EXPECT_EQ(got, 0u);
  EXPECT_LT(waited, std::chrono::seconds(5));  // woken, not timed out
}

TEST(SocketConnect, RefusedPortIsAClearError) {
  uint16_t port;
  {
    auto listen = posnet::ListenTcp("127.0.0.1", 0, 1);
    port = listen->Port();
  }
  try {
    posnet::ConnectTcp("127.0.0.1", port, 2000);
    FAIL() << "connected to a closed port";
  } catch (const ESocketError& e) {
    EXPECT_NE(e.Message().find("connect"), std::string::npos) << e.Message();
  }
}

TEST(SocketConnect, NotAnAddress) { EXPECT_THROW(posnet::ConnectTcp("1.2.3", 211, 100), ESocketError); }

TEST(SocketListen, TakenPortIsAClearError) {
  auto first = posnet::ListenTcp("127.0.0.1", 0, 1);
  EXPECT_THROW(posnet::ListenTcp("127.0.0.1", first->Port(), 1), ESocketError);
}

TEST(SocketListen, AcceptTimesOutWithNull) {
  auto listen = posnet::ListenTcp("127.0.0.1", 0, 1);
  EXPECT_EQ(listen->Accept(50), nullptr);
}

// Keep-alive is taken by the platform (the server sets it on every connection) and the
// stream works on as before.
TEST(SocketStream, KeepAliveIsAcceptedAndTheStreamGoesOn) {
  auto listen = posnet::ListenTcp("127.0.0.1", 0, 4);
  auto client = posnet::ConnectTcp("127.0.0.1", listen->Port(), 2000);
  auto server = listen->Accept(2000);
  ASSERT_TRUE(server);
  server->SetKeepAlive(30, 5, 3);
  server->Send("ping", 4, 1000);
  char buf[8];
  EXPECT_EQ(client->Receive(buf, sizeof buf, 1000), 4u);
  EXPECT_EQ(std::string(buf, 4), "ping");
}

}  // namespace
