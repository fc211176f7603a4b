// The whole server path against the demo store: the real client connection, the
// listener and the store session over SQLite. Procedures with output parameters and
// record sets with their parameters travel intact; transactions end with their client.
#include <gtest/gtest.h>

#include <thread>

#include "StoreTestSupport.h"
#include "net/SocketConnection.h"
#include "server/Listener.h"
#include "tests/net/WireRender.h"

using storetest::Gbk;
using storetest::Wide;

namespace {

class ProtocolStore : public storetest::DemoStoreTest {
 protected:
  void SetUp() override {
    DemoStoreTest::SetUp();
    StartServer(Options());
  }
  static posserver::ServerOptions Options() {
    posserver::ServerOptions o;
    o.Port = 0;
    return o;
  }
  void StartServer(const posserver::ServerOptions& o) {
    listener_.reset();
    const std::string dir = Dir();
    listener_ = std::make_unique<posserver::Listener>(
        o, [dir] { return std::make_unique<posserver::SessionAdapter<StoreSession>>(dir); }, log_);
    listener_->Start();
  }
  void TearDown() override {
    listener_.reset();
    DemoStoreTest::TearDown();
  }

  // A client connected and switched to the store database, as the screens open it.
  std::unique_ptr<TSocketConnection> Client(const char* db = kDemoStoreDbName) {
    auto c = std::make_unique<TSocketConnection>(nullptr);
    c->SetServerName("DuduVezEvavav.CoCommonPosServer");
    c->SetServerGUID("{46359509-A19A-4D07-9D00-F7BA83D6ABBE}");
    c->SetAddress("127.0.0.1");
    c->SetPort(listener_->Port());
    c->Open();
    c->AppServer().ConnectDb("POS-TEST", "127.0.0.1");
    AnsiString name = db;
    c->AppServer().ChangeDb(name);
    return c;
  }

  int CountChecks(TSocketConnection& c) {
    WideString sql = u"select count(*) as n from CommonPosPtypeCheckNdx";
    c.AppServer().OpenSQL(sql);
    return c.GetProviderPacket("pv_qry_Open").Rows.at(0).at(0).AsInteger();
  }

  posserver::ServerLog log_{posserver::ServerLog::Quiet};
  std::unique_ptr<posserver::Listener> listener_;
};

TEST_F(ProtocolStore, UnknownDatabaseIsAnErrorReply) {
  auto c = Client();
  AnsiString db = "NoSuchDb";
  EXPECT_THROW(c->AppServer().ChangeDb(db), EAppServerError);
  EXPECT_TRUE(c->Connected());
}

TEST_F(ProtocolStore, ProcedureWithAnOutputParameter) {
  auto c = Client();
  AnsiString proc = "GetSysValue;1";
  Variant in = storetest::Params({{"@szName", Variant("AllowColorSize")}, {"@szReturn", Variant("")}});
  Variant out;
  EXPECT_EQ(c->AppServer().ExecuteProc(proc, in, out).AsInteger(), 0);
  EXPECT_EQ(storetest::OutParam(out, "@szReturn").AsString(), "1");
}

TEST_F(ProtocolStore, QueryRecordSetArrivesWithGbkText) {
  auto c = Client();
  WideString sql = u"select SysName, Comment from sysdata where SysId = 19";
  c->AppServer().OpenSQL(sql);
  const TDataPacket p = c->GetProviderPacket("pv_qry_Open");
  ASSERT_EQ(p.Rows.size(), 1u);
  EXPECT_EQ(p.Rows[0][0].AsString(), "PdProcPrefix");
  EXPECT_EQ(p.Rows[0][1].AsString(), Gbk(u8"盘点存储过程前缀"));
}

TEST_F(ProtocolStore, ProcedureRecordSetCarriesItsReturnValue) {
  auto c = Client();
  AnsiString proc = "Pos_J2_PosGetBasicData";
  Variant in = storetest::Params({{"@BaseType", Variant(3)}, {"@selectString", Variant("")}});
  c->AppServer().OpenProc(proc, in);
  const TDataPacket p = c->GetProviderPacket("pv_sp_Open");
  EXPECT_FALSE(p.Rows.empty());
  ASSERT_TRUE(p.Params.IsArray());
  EXPECT_EQ(p.Params[0][0].AsString(), "@RETURN_VALUE");
}

TEST_F(ProtocolStore, DisconnectInsideATransactionRollsBack) {
  auto watcher = Client();
  const int before = CountChecks(*watcher);
  {
    auto c = Client();
    c->AppServer().TransactionController(0);
    WideString insert = Wide(u8"insert into CommonPosPtypeCheckNdx (KTypeID, PDDate) values ('00001', '2024-03-05')");
    EXPECT_EQ(c->AppServer().ExecuteSQL(insert).AsInteger(), 1);
    EXPECT_EQ(CountChecks(*c), before + 1);
  }  // the client goes away without commit
  for (int i = 0; i < 100 && listener_->ActiveConnections() > 1; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(CountChecks(*watcher), before);
}

TEST_F(ProtocolStore, SqlErrorInsideATransactionThenRollback) {
  auto c = Client();
  const int before = CountChecks(*c);
  c->AppServer().TransactionController(0);
  WideString insert = u"insert into CommonPosPtypeCheckNdx (KTypeID, PDDate) values ('00001', '2024-03-05')";
  c->AppServer().ExecuteSQL(insert);
  WideString bad = u"insert into NoSuchTable values (1)";
  EXPECT_THROW(c->AppServer().ExecuteSQL(bad), EAppServerError);
  c->AppServer().TransactionController(2);
  EXPECT_EQ(CountChecks(*c), before);
  c->AppServer().TransactionController(0);
  c->AppServer().ExecuteSQL(insert);
  c->AppServer().TransactionController(1);
  EXPECT_EQ(CountChecks(*c), before + 1);
}

// A till that stays connected but silent inside its transaction: after the limit its
// transaction is rolled back and its connection dropped, and the writer queued behind
// it goes on; the silent till hears why at its next call.
TEST_F(ProtocolStore, IdleTransactionIsRolledBackAndOtherWritersProceed) {
  posserver::ServerOptions o = Options();
  o.TransactionIdleMs = 300;
  StartServer(o);
  auto silent = Client(), other = Client();
  const int before = CountChecks(*other);
  silent->AppServer().TransactionController(0);
  WideString lost = u"insert into CommonPosPtypeCheckNdx (KTypeID, PDDate) values ('00001', '2001-01-01')";
  silent->AppServer().ExecuteSQL(lost);
  other->AppServer().TransactionController(0);
  WideString kept = u"insert into CommonPosPtypeCheckNdx (KTypeID, PDDate) values ('00001', '2002-02-02')";
  other->AppServer().ExecuteSQL(kept);  // waits in the writer queue until the silent transaction is gone
  other->AppServer().TransactionController(1);
  WideString dates = u"select PDDate from CommonPosPtypeCheckNdx where PDDate in ('2001-01-01', '2002-02-02')";
  other->AppServer().OpenSQL(dates);
  EXPECT_EQ(storetest::Render(other->GetProviderPacket("pv_qry_Open"), {"PDDate"}), "2002-02-02\n");
  EXPECT_EQ(CountChecks(*other), before + 1);
  try {
    silent->AppServer().TransactionController(1);
    FAIL() << "the idle transaction was committed";
  } catch (const EAppServerError& e) {
    EXPECT_EQ(e.Message(), "The transaction was idle for more than 300 ms and was rolled back; the connection is closed");
  }
  EXPECT_THROW(silent->AppServer().TransactionController(1), ESocketError);
  EXPECT_FALSE(silent->Connected());
}

// The limit is on silence, not on the length of a transaction, and outside a
// transaction a client may idle as long as it likes.
TEST_F(ProtocolStore, BusyTransactionAndIdleClientOutsideOneAreKept) {
  posserver::ServerOptions o = Options();
  o.TransactionIdleMs = 500;
  StartServer(o);
  auto c = Client();
  const int before = CountChecks(*c);
  c->AppServer().TransactionController(0);
  WideString insert = u"insert into CommonPosPtypeCheckNdx (KTypeID, PDDate) values ('00001', '2024-03-05')";
  for (int i = 0; i < 10; ++i) {  // a second in all, never silent for long
    c->AppServer().ExecuteSQL(insert);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  c->AppServer().TransactionController(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_EQ(CountChecks(*c), before + 10);
}

TEST_F(ProtocolStore, InsertBatchReturnsTheIdentity) {
  auto c = Client();
  WideString batch =
      u"insert into CommonPosPtypeCheckNdx (KTypeID, PDDate) values ('00001', '2024-03-05') Select @@Identity As CheckCode";
  c->AppServer().OpenSQL(batch);
  const TDataPacket p = c->GetProviderPacket("pv_qry_Open");
  ASSERT_EQ(p.Rows.size(), 1u);
  EXPECT_GT(p.Rows[0][0].AsInteger(), 0);
}

}  // namespace
