// The data module against the stand-in server in the same process (native only): the
// open call's connection steps, system values, the procedure prefix and a transaction
// on the demo store, over the real socket connection.
#include <gtest/gtest.h>

#include <thread>  // also std::chrono (<chrono> itself does not build with GBK literals)
#include <filesystem>
#include <memory>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPublic.h"
#include "server/DemoStore.h"
#include "server/Listener.h"
#include "server/StoreSession.h"
#include "tests/app/StoreServer.h"

namespace {

namespace fs = std::filesystem;

using apptest::StoreServer;

class DataModuleServerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = (fs::temp_directory_path() / ("pos-app-store-" + std::to_string(::getpid()))).string();
    fs::remove_all(dir);
    MakeDemoStore(dir, DemoStoreOptions{40});
  }
  static void TearDownTestSuite() { fs::remove_all(dir); }
  void SetUp() override {
    server = std::make_unique<StoreServer>(dir);
    module = &posapp::EnsureDataModule(nullptr);
    module->cnZelvoEnt->SetPort(server->Port());
  }
  void TearDown() override {
    posapp::ReleaseDataModule(1);
    server.reset();
  }
  bool Connect(const char* host = "127.0.0.1", const char* db = kDemoStoreDbName) {
    return posapp::ConnectDataModule(*module, host, db);
  }
  // A port on which nothing listens (a server that was there and stopped).
  static uint16_t ClosedPort() {
    StoreServer gone(dir);
    return gone.Port();
  }

  static std::string dir;
  std::unique_ptr<StoreServer> server;
  TfrmDataModule* module = nullptr;
};
std::string DataModuleServerTest::dir;

}  // namespace

TEST_F(DataModuleServerTest, ConnectsAndSwitchesToTheStore) {
  ASSERT_TRUE(Connect());
  EXPECT_TRUE(module->cnZelvoEnt->Connected());
  TClientDataSet ds(nullptr);
  EXPECT_TRUE(OpenSQLData(u"select DB_Name() as Name", &ds));
  EXPECT_EQ(ds.FieldByName("Name")->AsString(), kDemoStoreDbName);
}

TEST_F(DataModuleServerTest, AddressForIPv4TextHostForAName) {
  ASSERT_TRUE(Connect("localhost"));
  EXPECT_EQ(module->cnZelvoEnt->Host(), "localhost");
  EXPECT_EQ(module->cnZelvoEnt->Address(), "");
  ASSERT_TRUE(Connect("127.0.0.1"));
  EXPECT_EQ(module->cnZelvoEnt->Address(), "127.0.0.1");
  EXPECT_EQ(module->cnZelvoEnt->Host(), "");
}

TEST_F(DataModuleServerTest, RefusedServerFailsQuicklyThenTheSameModuleConnects) {
  module->cnZelvoEnt->SetPort(ClosedPort());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Connect());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_FALSE(module->cnZelvoEnt->Connected());
  module->cnZelvoEnt->SetPort(server->Port());
  EXPECT_TRUE(Connect());
  EXPECT_EQ(DataModule, module);
}

TEST_F(DataModuleServerTest, UnknownDatabaseFails) {
  EXPECT_FALSE(Connect("127.0.0.1", "NoSuchDb"));
}

TEST_F(DataModuleServerTest, OpenCallOnAnOpenConnectionConnectsAnew) {
  // Regression: a second open call on a connection still open used to keep it, and so
  // the old server; every open call now connects anew.
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(Connect());
  for (int i = 0; i < 100 && server->Listener().ActiveConnections() > 1; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(server->Listener().AcceptedConnections(), 2u);
  EXPECT_EQ(server->Listener().ActiveConnections(), 1);
}

TEST_F(DataModuleServerTest, ProcPrefixComesFromTheStore) {
  ASSERT_TRUE(Connect());
  LoadProcPrefix("PD");
  EXPECT_EQ(ProcPrefix, "Pos_J2");
  LoadProcPrefix("VIP");
  EXPECT_EQ(ProcPrefix, "QP");
}

TEST_F(DataModuleServerTest, SystemValuesByName) {
  ASSERT_TRUE(Connect());
  EXPECT_EQ(GetSysValue("AllowColorSize"), "1");
  EXPECT_EQ(GetSysValue("ForbidDecimal"), "0");
  EXPECT_EQ(GetSysValue("NoSuchValue"), "");
}

TEST_F(DataModuleServerTest, PrefixedProcedureOpensItsRecordSet) {
  ASSERT_TRUE(Connect());
  LoadProcPrefix("PD");
  TClientDataSet ds(nullptr);
  OpenProcData("PosGetBasicData", {"@BaseType", "@selectString", "@PosUserId", "@Posid"},
               {Variant(3), Variant(AnsiString()), Variant(AnsiString("00001")), Variant(AnsiString("001"))}, &ds);
  EXPECT_GT(ds.RecordCount(), 0);
}

TEST_F(DataModuleServerTest, RolledBackWorkIsGone) {
  ASSERT_TRUE(Connect());
  TClientDataSet ds(nullptr);
  BeginTrans();
  ExecSQL(u"insert into sysdata (SysId, SysName, SysValue) values (900, 'Probe', 'x')");
  EXPECT_TRUE(OpenSQLData(u"select SysValue from sysdata where SysId = 900", &ds));
  RollbackTrans();
  EXPECT_FALSE(InTransaction);
  EXPECT_FALSE(OpenSQLData(u"select SysValue from sysdata where SysId = 900", &ds));
}

TEST_F(DataModuleServerTest, ClosedConnectionLetsTheNextSaveBegin) {
  ASSERT_TRUE(Connect());
  BeginTrans();
  ASSERT_TRUE(Connect());  // the next open call
  EXPECT_FALSE(InTransaction);
  EXPECT_NO_THROW(BeginTrans());
  CommitTrans();
}
