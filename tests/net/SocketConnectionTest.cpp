// TSocketConnection against a scripted server: properties, greeting, calls with
// by-reference arguments, error replies, time-outs, lost connections and faults
// injected at every socket call of the client.
#include "net/SocketConnection.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "FaultySocket.h"
#include "ScriptedServer.h"
#include "WireRender.h"
#include "net/PacketCodec.h"
#include "net/Socket.h"

using nettest::Render;
using nettest::ScriptedServer;
using posnet::Frame;
using posnet::MessageKind;

namespace {

void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value ? value : "");
#else
  if (value) setenv(name, value, 1); else unsetenv(name);
#endif
}

// Echo server: a Call is answered with Result = the method name, and every by-reference
// argument comes back with " done" appended (strings) or as 42 (anything else); a Fetch
// gets a two-row packet. Method "Fail" gets an error reply in GBK.
ScriptedServer::Action Echo(const Frame& f) {
  if (f.Kind == static_cast<uint16_t>(MessageKind::Fetch)) {
    ScriptedServer::Action a;
    a.Kind = MessageKind::Packet;
    TDataPacket p;
    p.Fields = {{"Name", ftString, 20, 0, false}};
    p.Rows = {{Variant(posnet::ReadText(f.Payload, 256))}, {Variant::Null()}};
    posnet::WritePacket(a.Payload, p);
    return a;
  }
  const posnet::CallMessage call = posnet::ReadCall(f.Payload, posnet::WireLimits());
  if (call.Method == "Fail") return ScriptedServer::Error("\xCA\xFD\xBE\xDD\xBF\xE2\xB2\xBB\xB4\xE6\xD4\xDA");
  std::vector<Variant> out;
  for (const auto& a : call.Args)
    if (a.ByRef) out.push_back(VarIsStr(a.Value) ? Variant(a.Value.AsString() + " done") : Variant(42));
  return ScriptedServer::Result(Variant(call.Method + "/" + std::to_string(call.Args.size())), out);
}

std::unique_ptr<TSocketConnection> Connect(const ScriptedServer& server, int callTimeout = 2000) {
  auto c = std::make_unique<TSocketConnection>(nullptr);
  c->SetAddress("127.0.0.1");
  c->SetPort(server.Port());
  c->SetConnectTimeout(2000);
  c->SetCallTimeout(callTimeout);
  c->Open();
  return c;
}

uint16_t ClosedPort() {
  auto listen = posnet::ListenTcp("127.0.0.1", 0, 1);
  return listen->Port();
}

TEST(SocketConnectionProperties, AddressAndHostClearEachOther) {
  TSocketConnection c(nullptr);
  c.SetAddress("127.0.0.1");
  c.SetHost("pos-server");
  EXPECT_EQ(c.Address(), "");
  EXPECT_EQ(c.Host(), "pos-server");
  c.SetAddress("192.168.1.5");
  EXPECT_EQ(c.Host(), "");
  EXPECT_EQ(c.Address(), "192.168.1.5");
  c.SetHost("");  // an empty value clears nothing else
  EXPECT_EQ(c.Address(), "192.168.1.5");
}

TEST(SocketConnectionProperties, PortDefaultAndEnvironmentOverride) {
  SetEnv("POS_SERVER_PORT", nullptr);
  EXPECT_EQ(TSocketConnection(nullptr).Port(), 211);
  SetEnv("POS_SERVER_PORT", "12211");
  EXPECT_EQ(TSocketConnection(nullptr).Port(), 12211);
  for (const char* bad : {"0", "65536", "21x", "-5", "99999999999"}) {
    SetEnv("POS_SERVER_PORT", bad);
    EXPECT_EQ(TSocketConnection(nullptr).Port(), 211) << bad;
  }
  SetEnv("POS_SERVER_PORT", "12211");
  TSocketConnection c(nullptr);
  c.SetPort(300);
  EXPECT_EQ(c.Port(), 300);  // an explicit port wins
  SetEnv("POS_SERVER_PORT", nullptr);
}

TEST(SocketConnectionOpen, GreetsWithServerNameAndGuid) {
  posnet::HelloMessage seen;
  ScriptedServer server(Echo, [&](const Frame& f) {
    seen = posnet::ReadHello(f.Payload);
    return ScriptedServer::Welcome();
  });
  TSocketConnection c(nullptr);
  c.SetServerName("DuduVezEvavav.CoCommonPosServer");
  c.SetServerGUID("{46359509-A19A-4D07-9D00-F7BA83D6ABBE}");
  c.SetAddress("127.0.0.1");
  c.SetPort(server.Port());
  c.SetConnected(true);
  EXPECT_TRUE(c.Connected());
  EXPECT_EQ(seen.ServerName, "DuduVezEvavav.CoCommonPosServer");
  EXPECT_EQ(seen.ServerGUID, "{46359509-A19A-4D07-9D00-F7BA83D6ABBE}");
  c.Open();  // already open: nothing happens
  EXPECT_EQ(server.Connections(), 1);
  c.SetConnected(false);
  EXPECT_FALSE(c.Connected());
}

TEST(SocketConnectionOpen, ByHostName) {
  ScriptedServer server(Echo);
  TSocketConnection c(nullptr);
  c.SetHost("localhost");
  c.SetPort(server.Port());
  c.Open();
  EXPECT_TRUE(c.Connected());
}

TEST(SocketConnectionOpen, FailuresLeaveItClosed) {
  TSocketConnection c(nullptr);
  c.SetAddress("");
  EXPECT_THROW(c.Open(), ESocketError);  // neither address nor host
  c.SetAddress("127.0.0.1");
  c.SetPort(ClosedPort());
  EXPECT_THROW(c.Open(), ESocketError);  // refused
  EXPECT_FALSE(c.Connected());
  c.SetPort(70000);
  EXPECT_THROW(c.Open(), ESocketError);
  c.SetHost("no-such-host.invalid");
  c.SetPort(211);
  EXPECT_THROW(c.Open(), ESocketError);
  EXPECT_FALSE(c.Connected());
}

TEST(SocketConnectionOpen, RefusedGreetingRaisesTheServersText) {
  ScriptedServer server(Echo, [](const Frame&) { return ScriptedServer::Error("not registered"); });
  TSocketConnection c(nullptr);
  c.SetAddress("127.0.0.1");
  c.SetPort(server.Port());
  try {
    c.Open();
    FAIL() << "opened";
  } catch (const EAppServerError& e) {
    EXPECT_EQ(e.Message(), "not registered");
  }
  EXPECT_FALSE(c.Connected());
}

TEST(SocketConnectionOpen, SilentServerTimesOutWithinTheConnectTimeout) {
  ScriptedServer server(Echo, [](const Frame&) { return ScriptedServer::Silent(); });
  TSocketConnection c(nullptr);
  c.SetAddress("127.0.0.1");
  c.SetPort(server.Port());
  c.SetConnectTimeout(200);
  EXPECT_THROW(c.Open(), ESocketError);
  EXPECT_FALSE(c.Connected());
}

TEST(SocketConnectionCalls, TypedMethodsSendTheirArgumentKinds) {
  std::vector<posnet::CallMessage> calls;
  ScriptedServer server([&](const Frame& f) {
    calls.push_back(posnet::ReadCall(f.Payload, posnet::WireLimits()));
    return Echo(f);
  });
  auto c = Connect(server);
  TAppServer& app = c->AppServer();
  AnsiString db = "PosStore", proc = "GetSysValue;1";
  WideString sql = u"select 1";
  Variant in = VarArrayOf({Variant(1)}), out;
  app.ConnectDb("POS-01", "192.168.1.20");
  app.ChangeDb(db);
  EXPECT_EQ(Render(app.ExecuteProc(proc, in, out)), "String:ExecuteProc/3");
  app.OpenProc(proc, in);
  app.ExecuteSQL(sql);
  app.OpenSQL(sql);
  app.TransactionController(2);
  std::string seen;
  for (const auto& call : calls) {
    seen += call.Method + "(";
    for (const auto& a : call.Args) seen += (a.ByRef ? "&" : "") + Render(a.Value) + ";";
    seen += ")\n";
  }
  EXPECT_EQ(seen,
            "ConnectDb(String:POS-01;String:192.168.1.20;)\n"
            "ChangeDb(&String:PosStore;)\n"
            "ExecuteProc(&String:GetSysValue;1;&Array(12)[0+1]{3:1};&Empty;)\n"
            "OpenProc(&String:GetSysValue;1 done;&3:42;)\n"
            "ExecuteSQL(&OleStr:select 1;)\n"
            "OpenSQL(&OleStr:select 1 done;)\n"
            "TransactionController(3:2;)\n");
  // By-reference arguments took the server's values.
  EXPECT_EQ(db, "PosStore done");
  EXPECT_EQ(Render(out), "3:42");
  EXPECT_EQ(Render(in), "3:42");
  EXPECT_EQ(WideToUtf8(sql), "select 1 done done");
}

TEST(SocketConnectionCalls, ErrorReplyRaisesTheServersTextAndKeepsTheConnection) {
  ScriptedServer server(Echo);
  auto c = Connect(server);
  Variant arg("unchanged");
  try {
    c->AppServer().Invoke("Fail", {TRemoteArgument::ByRef(arg)});
    FAIL() << "no error";
  } catch (const EAppServerError& e) {
    EXPECT_EQ(e.Message(), "\xCA\xFD\xBE\xDD\xBF\xE2\xB2\xBB\xB4\xE6\xD4\xDA");
  }
  EXPECT_TRUE(c->Connected());
  EXPECT_EQ(Render(arg), "String:unchanged");
  EXPECT_EQ(Render(c->AppServer().Invoke("Again", {})), "String:Again/0");
}

TEST(SocketConnectionCalls, CallOnAClosedConnectionIsAClearError) {
  TSocketConnection c(nullptr);
  WideString sql = u"select 1";
  try {
    c.AppServer().ExecuteSQL(sql);
    FAIL() << "no error";
  } catch (const ESocketError& e) {
    EXPECT_EQ(e.Message(), "The connection to the application server is not open");
  }
  EXPECT_THROW(c.GetProviderPacket("pv_qry_Open"), ESocketError);
}

TEST(SocketConnectionCalls, SilentServerTimesOutAndTheConnectionCloses) {
  ScriptedServer server([](const Frame&) { return ScriptedServer::Silent(); });
  auto c = Connect(server, 200);
  EXPECT_THROW(c->AppServer().TransactionController(0), ESocketError);
  EXPECT_FALSE(c->Connected());
}

TEST(SocketConnectionCalls, LostConnectionIsAClearErrorAndReopenWorks) {
  std::atomic<int> n{0};
  ScriptedServer server([&](const Frame& f) { return n++ == 0 ? ScriptedServer::Drop() : Echo(f); });
  auto c = Connect(server);
  try {
    c->AppServer().TransactionController(0);
    FAIL() << "no error";
  } catch (const ESocketError& e) {
    EXPECT_NE(e.Message().find("closed the connection"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(c->Connected());
  c->Open();
  EXPECT_EQ(Render(c->AppServer().TransactionController(1)), "String:TransactionController/1");
}

TEST(SocketConnectionCalls, ReplyOfTheWrongKindClosesTheConnection) {
  ScriptedServer server([](const Frame&) { return ScriptedServer::Welcome(); });
  auto c = Connect(server);
  EXPECT_THROW(c->AppServer().TransactionController(0), EProtocolError);
  EXPECT_FALSE(c->Connected());
}

// A reply whose by-reference values do not match the call cannot be trusted, and neither
// can the rest of that stream: the error closes the connection and no target changes.
TEST(SocketConnectionCalls, ByRefCountMismatchIsAProtocolError) {
  ScriptedServer server([](const Frame&) { return ScriptedServer::Result(Variant(1), {Variant(1), Variant(2)}); });
  auto c = Connect(server);
  AnsiString db = "x";
  try {
    c->AppServer().ChangeDb(db);
    FAIL() << "no error";
  } catch (const EProtocolError& e) {
    EXPECT_EQ(e.Message(), "The server returned 2 by-reference values for 1 in ChangeDb");
  }
  EXPECT_EQ(db, "x");
  EXPECT_FALSE(c->Connected());
}

TEST(SocketConnectionFetch, PacketArrives) {
  ScriptedServer server(Echo);
  auto c = Connect(server);
  const TDataPacket p = c->GetProviderPacket("pv_qry_Open");
  EXPECT_EQ(Render(p), "fields: Name/1/20/0\nrows:\n  String:pv_qry_Open\n  Null\nparams: Empty");
}

TEST(SocketConnectionProperties, ChangingTheTargetClosesAnOpenConnection) {
  ScriptedServer server(Echo);
  auto c = Connect(server);
  c->SetAddress("127.0.0.1");  // unchanged: stays open
  EXPECT_TRUE(c->Connected());
  c->SetHost("localhost");
  EXPECT_FALSE(c->Connected());
  c->Open();
  EXPECT_TRUE(c->Connected());
  c->SetPort(c->Port() + 1);
  EXPECT_FALSE(c->Connected());
}

// Fault injection: a fault at each socket call of a whole session in turn, raised or as
// an end of stream, with and without byte-by-byte delivery. Every step either gives the
// right answer or a clean ESocketError that leaves the connection closed.
TEST(SocketConnectionFaults, EverySocketCallOfTheClient) {
  ScriptedServer server(Echo);
  for (auto what : {nettest::FaultPlan::Raise, nettest::FaultPlan::EndOfStream})
    for (size_t chunk : {size_t{0}, size_t{3}})
      for (int at = 1; at <= 40; ++at) {
        TSocketConnection c(nullptr);
        c.SetAddress("127.0.0.1");
        c.SetPort(server.Port());
        c.SetCallTimeout(2000);
        c.SetSocketFactory([&](const std::string& a, uint16_t p, int t) -> std::unique_ptr<posnet::Socket> {
          return std::make_unique<nettest::FaultySocket>(posnet::ConnectTcp(a, p, t), nettest::FaultPlan{what, at, chunk});
        });
        std::string trace;
        try {
          c.Open();
          AnsiString db = "Db";
          c.AppServer().ChangeDb(db);
          trace += db + ";";
          WideString sql = u"q";
          c.AppServer().OpenSQL(sql);
          trace += Render(c.GetProviderPacket("pv_qry_Open").Rows[0][0]) + ";";
          trace += Render(c.AppServer().TransactionController(1)) + ";";
          trace += "end";
        } catch (const ESocketError&) {
          EXPECT_FALSE(c.Connected()) << "at " << at;
          trace += "clean error";
        }
        EXPECT_TRUE(trace == "Db done;String:pv_qry_Open;String:TransactionController/1;end" ||
                    trace.find("clean error") != std::string::npos)
            << "at " << at << ": " << trace;
      }
}

}  // namespace
