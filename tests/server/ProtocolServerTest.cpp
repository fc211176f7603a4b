// The server's request dispatch, driven through the real client connection: every
// remote method reaches the session with its arguments, record sets are handed to the
// providers once, and every kind of error comes back as an error reply.
#include <gtest/gtest.h>

#include "ProtocolTestServer.h"
#include "tests/net/WireRender.h"

using nettest::Render;
using protocoltest::FakeWorld;
using protocoltest::TestServer;

namespace {

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EAppServerError& e) {
    return e.Message();
  }
  return "no error";
}

TEST(ProtocolServer, EveryMethodReachesTheSession) {
  FakeWorld world;
  TestServer server(world);
  auto c = server.Client();
  TAppServer& app = c->AppServer();
  AnsiString db = "PosStore", proc = "GetSysValue;1", prefixed = "PD_PosGetBasicData";
  WideString sql = u"select * from employee", insert = u"insert into t values(1)";
  Variant in = VarArrayOf({VarArrayOf({Variant("@szName"), Variant("AllowColorSize"), Variant(1), Variant(0),
                                       Variant(0), Variant(0), Variant(0)})});
  Variant out;

  EXPECT_EQ(Render(app.ConnectDb("POS-01", "192.168.1.20")), "Empty");
  app.ChangeDb(db);
  EXPECT_EQ(Render(app.ExecuteSQL(insert)), "3:23");
  app.OpenSQL(sql);
  EXPECT_EQ(Render(c->GetProviderPacket("pv_qry_Open")),
            "fields: sql/1/100/0 n/3/0/0\nrows:\n  String:select * from employee 3:0\nparams: Empty");
  EXPECT_EQ(Render(app.ExecuteProc(proc, in, out)), "3:7");
  EXPECT_EQ(Render(out), Render(in));
  app.OpenProc(prefixed, in);
  EXPECT_EQ(Render(c->GetProviderPacket("pv_sp_Open").Params),
            "Array(12)[0+1]{Array(12)[0+7]{String:@RETURN_VALUE,3:5,3:3,3:4,3:0,3:0,3:0}}");
  app.TransactionController(0);
  app.TransactionController(1);
  EXPECT_EQ(db, "PosStore");
  EXPECT_EQ(world.Log(),
            "ConnectDb POS-01 192.168.1.20\n"
            "ChangeDb PosStore\n"
            "ExecuteSQL insert into t values(1)\n"
            "OpenSQL select * from employee\n"
            "ExecuteProc GetSysValue;1\n"
            "OpenProc PD_PosGetBasicData\n"
            "TransactionController 0\n"
            "TransactionController 1\n");
}

TEST(ProtocolServer, SqlSentAsGbkStringArrivesAsTheSameText) {
  FakeWorld world;
  TestServer server(world);
  auto c = server.Client();
  // 盘点 in GBK, sent as a varString instead of a wide string.
  EXPECT_EQ(Render(c->AppServer().Invoke("ExecuteSQL", {Variant(AnsiString("select '\xC5\xCC\xB5\xE3'"))})), "3:11");
  EXPECT_EQ(world.Log(), "ExecuteSQL select '\xE7\x9B\x98\xE7\x82\xB9'\n");
}

TEST(ProtocolServer, MethodNamesIgnoreCase) {
  FakeWorld world;
  TestServer server(world);
  auto c = server.Client();
  c->AppServer().Invoke("transactioncontroller", {Variant(0)});
  c->AppServer().Invoke("TRANSACTIONCONTROLLER", {Variant(2)});
  EXPECT_EQ(world.Log(), "TransactionController 0\nTransactionController 2\n");
}

TEST(ProtocolServer, FetchTakesThePreparedRecordSetOnce) {
  FakeWorld world;
  TestServer server(world);
  auto c = server.Client();
  WideString sql = u"q1";
  c->AppServer().OpenSQL(sql);
  EXPECT_EQ(c->GetProviderPacket("PV_QRY_OPEN").Rows.size(), 1u);  // provider names ignore case
  EXPECT_EQ(ErrorOf([&] { c->GetProviderPacket("pv_qry_Open"); }),
            "No record set has been prepared for provider 'pv_qry_Open'");
  EXPECT_EQ(ErrorOf([&] { c->GetProviderPacket("pv_sp_Open"); }),
            "No record set has been prepared for provider 'pv_sp_Open'");
  EXPECT_EQ(ErrorOf([&] { c->GetProviderPacket("pv_other"); }), "Provider 'pv_other' does not exist on this server");
  EXPECT_TRUE(c->Connected());
}

TEST(ProtocolServer, FailedOpenSqlDropsTheRecordSetItsProviderHeld) {
  FakeWorld world;
  TestServer server(world);
  auto c = server.Client();
  WideString good = u"good", bad = u"fail";
  c->AppServer().OpenSQL(good);
  EXPECT_EQ(ErrorOf([&] { c->AppServer().OpenSQL(bad); }), "near \"fail\": syntax error");
  EXPECT_EQ(ErrorOf([&] { c->GetProviderPacket("pv_qry_Open"); }),
            "No record set has been prepared for provider 'pv_qry_Open'");
}

TEST(ProtocolServer, QueryAndProcedureProvidersAreSeparate) {
  FakeWorld world;
  TestServer server(world);
  auto c = server.Client();
  WideString sql = u"q";
  AnsiString proc = "P";
  Variant params = Variant::Null();
  c->AppServer().OpenSQL(sql);
  c->AppServer().OpenProc(proc, params);
  EXPECT_EQ(c->GetProviderPacket("pv_sp_Open").Fields[0].Name, "typeid");
  EXPECT_EQ(c->GetProviderPacket("pv_qry_Open").Fields[0].Name, "sql");
}

struct BadCall {
  const char* name;
  const char* method;
  std::vector<Variant> args;
  const char* error;
};

class ProtocolServerBadCalls : public testing::TestWithParam<BadCall> {};

TEST_P(ProtocolServerBadCalls, AnswerWithAnErrorAndKeepServing) {
  FakeWorld world;
  TestServer server(world);
  auto c = server.Client();
  std::vector<TRemoteArgument> args(GetParam().args.begin(), GetParam().args.end());
  EXPECT_EQ(ErrorOf([&] { c->AppServer().Invoke(GetParam().method, args); }), GetParam().error);
  EXPECT_TRUE(c->Connected());
  c->AppServer().TransactionController(2);
  EXPECT_NE(world.Log().find("TransactionController 2"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ProtocolServerBadCalls,
    testing::Values(
        BadCall{"UnknownMethod", "DropDatabase", {}, "Method 'DropDatabase' not supported by automation object"},
        BadCall{"TooFewArguments", "ExecuteProc", {Variant("p")}, "ExecuteProc takes 3 arguments, not 1"},
        BadCall{"TooManyArguments", "ChangeDb", {Variant("a"), Variant("b")}, "ChangeDb takes 1 arguments, not 2"},
        BadCall{"SqlNotAString", "ExecuteSQL", {Variant(5)},
                "ExecuteSQL: argument 1 must be a string, not a value of type Integer"},
        BadCall{"SqlNull", "OpenSQL", {Variant::Null()}, "OpenSQL: argument 1 must be a string, not a value of type Null"},
        BadCall{"ActionNotAnInteger", "TransactionController", {Variant("1")},
                "TransactionController: argument 1 must be an integer, not a value of type String"},
        BadCall{"ActionOverflow", "TransactionController", {Variant(static_cast<long long>(1) << 40)},
                "Overflow while converting variant of type (Int64) into type (Integer)"},
        BadCall{"ParamsNotAList", "ExecuteProc", {Variant("p"), Variant(3), Variant()},
                "ExecuteProc: argument 2 must be a packed parameter list, not a value of type Integer"},
        BadCall{"SessionError", "ChangeDb", {Variant("Missing")},
                "\xCA\xFD\xBE\xDD\xBF\xE2 Missing \xB2\xBB\xB4\xE6\xD4\xDA"},
        BadCall{"UnknownProcedure", "ExecuteProc", {Variant("Unknown"), Variant::Null(), Variant()},
                "Stored procedure 'Unknown' does not exist"},
        BadCall{"BadAction", "TransactionController", {Variant(3)}, "Unknown transaction action 3"}),
    [](const testing::TestParamInfo<BadCall>& info) { return std::string(info.param.name); });

TEST(ProtocolServerGreeting, ServerNameAndGuidAreChecked) {
  FakeWorld world;
  TestServer server(world);
  struct Case {
    const char* name;
    const char* guid;
    const char* error;
  };
  const Case cases[] = {
      {"", "", "no error"},
      {"duduvezevavav.cocommonposserver", "", "no error"},
      {"", "{46359509-a19a-4d07-9d00-f7ba83d6abbe}", "no error"},
      {"Other.Server", "", "Application server 'Other.Server' is not registered on this server"},
      {"DuduVezEvavav.CoCommonPosServer", "{00000000-0000-0000-0000-000000000000}",
       "Application server '{00000000-0000-0000-0000-000000000000}' is not registered on this server"},
  };
  for (const Case& k : cases) {
    TSocketConnection c(nullptr);
    c.SetAddress("127.0.0.1");
    c.SetPort(server.Port());
    c.SetServerName(k.name);
    c.SetServerGUID(k.guid);
    EXPECT_EQ(ErrorOf([&] { c.Open(); }), k.error) << k.name << " " << k.guid;
    EXPECT_EQ(c.Connected(), std::string(k.error) == "no error");
  }
}

TEST(ProtocolServerGreeting, SessionThatCannotBeMadeIsReported) {
  posserver::ServerLog log(posserver::ServerLog::Quiet);
  posserver::ServerOptions o = TestServer::Options();
  posserver::Listener listener(o, []() -> std::unique_ptr<posserver::AppSession> {
    throw Exception("the data folder is not readable");
  }, log);
  listener.Start();
  TSocketConnection c(nullptr);
  c.SetAddress("127.0.0.1");
  c.SetPort(listener.Port());
  EXPECT_EQ(ErrorOf([&] { c.Open(); }), "the data folder is not readable");
  EXPECT_FALSE(c.Connected());
}

TEST(ProtocolServerLimits, RecordSetTooLargeForTheReplyIsAnErrorNotACrash) {
  FakeWorld world;
  posserver::ServerOptions o = TestServer::Options();
  o.ReplyLimits.MaxValues = 100;  // 2 fields x 60 rows = 120 cells
  TestServer server(world, o);
  auto c = server.Client();
  WideString sql = u"rows 60";
  c->AppServer().OpenSQL(sql);
  EXPECT_EQ(ErrorOf([&] { c->GetProviderPacket("pv_qry_Open"); }),
            "The record set cannot be sent: record set of 60 rows and 2 fields exceeds the limit of 100 values");
  WideString fits = u"rows 40";
  c->AppServer().OpenSQL(fits);
  EXPECT_EQ(c->GetProviderPacket("pv_qry_Open").Rows.size(), 40u);
}

TEST(ProtocolServerLimits, LargeRecordSetArrivesWhole) {
  FakeWorld world;
  TestServer server(world);
  auto c = server.Client();
  WideString sql = u"rows 100000";
  c->AppServer().OpenSQL(sql);
  const TDataPacket p = c->GetProviderPacket("pv_qry_Open");
  ASSERT_EQ(p.Rows.size(), 100000u);
  EXPECT_EQ(Render(p.Rows[99999][1]), "3:99999");
}

}  // namespace
