// The Win32 client against the native stand-in server (started by the test fixture on
// the port in POS_SERVER_PORT): a procedure with an output parameter and queries into
// client datasets through TSocketConnection, the way the data module runs them.
#include <gtest/gtest.h>

#include "db/ClientDataSet.h"
#include "db/Field.h"
#include "db/Params.h"
#include "net/SocketConnection.h"

namespace {

class RemoteStore : public testing::Test {
 protected:
  void SetUp() override {
    connection_.SetServerName("DuduVezEvavav.CoCommonPosServer");
    connection_.SetServerGUID("{46359509-A19A-4D07-9D00-F7BA83D6ABBE}");
    connection_.SetAddress("127.0.0.1");  // the port comes from POS_SERVER_PORT
    connection_.Open();
    connection_.AppServer().ConnectDb("WINE-POS", "127.0.0.1");
    AnsiString db = "PosStore";
    connection_.AppServer().ChangeDb(db);
  }

  TSocketConnection connection_{nullptr};
};

TEST_F(RemoteStore, PortComesFromTheEnvironment) { EXPECT_NE(connection_.Port(), TSocketConnection::DefaultPort); }

TEST_F(RemoteStore, ProcedureWithOutputParameter) {
  TParams in;
  TParam* name = in.Add();
  name->SetName("@szName");
  name->SetAsString("AllowColorSize");
  TParam* ret = in.Add();
  ret->SetName("@szReturn");
  ret->SetAsString("");
  Variant packed = PackageParams(in), out;
  AnsiString proc = "GetSysValue;1";
  EXPECT_EQ(connection_.AppServer().ExecuteProc(proc, packed, out).AsInteger(), 0);
  TParams result;
  UnpackParams(out, result);
  EXPECT_EQ(result.ParamByName("@szReturn")->AsString(), "1");
}

TEST_F(RemoteStore, QueryIntoAClientDataSet) {
  TClientDataSet ds(nullptr);
  ds.SetRemoteServer(&connection_);
  ds.SetProviderName("pv_qry_Open");
  WideString sql = u"select SysId, SysName, Comment from sysdata where SysId = 19";
  connection_.AppServer().OpenSQL(sql);
  ds.Open();
  ASSERT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.FieldByName("sysname")->AsString(), "PdProcPrefix");
  EXPECT_EQ(ds.FieldByName("Comment")->AsString(), "\xC5\xCC\xB5\xE3\xB4\xE6\xB4\xA2\xB9\xFD\xB3\xCC\xC7\xB0\xD7\xBA");
}

TEST_F(RemoteStore, ProcedureRecordSetWithItsParameters) {
  TParams in;
  TParam* kind = in.Add();
  kind->SetName("@BaseType");
  kind->SetAsInteger(3);
  TParam* search = in.Add();
  search->SetName("@selectString");
  search->SetAsString("");
  Variant packed = PackageParams(in);
  TClientDataSet ds(nullptr);
  ds.SetRemoteServer(&connection_);
  ds.SetProviderName("pv_sp_Open");
  AnsiString proc = "Pos_J2_PosGetBasicData";
  connection_.AppServer().OpenProc(proc, packed);
  ds.Open();
  EXPECT_GT(ds.RecordCount(), 0);
  ASSERT_GT(ds.Params().Count(), 0);
  EXPECT_EQ(ds.Params()[0]->ParamType(), ptResult);
  EXPECT_EQ(ds.Params()[0]->AsInteger(), 0);
}

TEST_F(RemoteStore, ServerErrorReachesTheClientAsItsText) {
  WideString sql = u"select * from NoSuchTable";
  try {
    connection_.AppServer().OpenSQL(sql);
    FAIL() << "no error";
  } catch (const EAppServerError& e) {
    EXPECT_NE(e.Message().find("NoSuchTable"), std::string::npos) << e.Message();
  }
  EXPECT_TRUE(connection_.Connected());
}

}  // namespace
