// The data module over a recording fake of the application server: what each routine
// sends, what it reads back, and the one-level transaction.
#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPublic.h"
#include "rtl/DateTime.h"
#include "rtl/NumberFormat.h"
#include "rtl/FormatSettings.h"

namespace {

// A parameter list rendered as "name=value/type/kind;..." in its order.
std::string Render(const TParams& params) {
  std::string s;
  for (int i = 0; i < params.Count(); ++i) {
    const TParam* p = params.Items(i);
    s += p->Name() + "=" + (p->IsNull() ? "<null>" : p->AsString()) + "/" + std::to_string(p->DataType()) + "/" +
         std::to_string(p->ParamType()) + ";";
  }
  return s;
}
std::string RenderPacked(const Variant& packed) {
  TParams params;
  UnpackParams(packed, params);
  return Render(params);
}

// A packed list of (name, value, kind).
struct P {
  const char* name;
  Variant value;
  TParamType kind;
};
Variant Pack(std::initializer_list<P> ps) {
  TParams params;
  for (const P& p : ps) {
    TParam* q = params.Add();
    q->SetName(p.name);
    q->SetValue(p.value);
    q->SetParamType(p.kind);
  }
  return PackageParams(params);
}

// What the fake server saw, and what it answers next.
struct ServerScript {
  std::vector<std::string> calls;
  bool connected = true;
  bool failTransactions = false;
  Variant procResult = Variant(0);
  Variant procOutputs;          // packed output parameters of ExecuteProc
  TDataPacket nextPacket;       // the record set of the next OpenProc / OpenSQL
  std::string Log() const {
    std::string s;
    for (const auto& c : calls) s += c + "\n";
    return s;
  }
};

class FakeProvider : public TCustomRemoteServer {
 public:
  FakeProvider(ServerScript& script) : TCustomRemoteServer(nullptr), FScript(script) {}
  TDataPacket GetProviderPacket(const AnsiString& ProviderName) override {
    FScript.calls.push_back("fetch " + ProviderName);
    return FScript.nextPacket;
  }

 private:
  ServerScript& FScript;
};

class FakeLink : public IAppServerLink {
 public:
  FakeLink(ServerScript& script, FakeProvider& provider) : FScript(script), FProvider(provider) {}
  bool Connected() const override { return FScript.connected; }
  TCustomRemoteServer* ProviderServer() override { return &FProvider; }
  void ConnectDb(const AnsiString& c, const AnsiString& ip) override { Log("ConnectDb " + c + " " + ip); }
  void ChangeDb(AnsiString& db) override { Log("ChangeDb " + db); }
  Variant ExecuteProc(AnsiString& name, Variant& params, Variant& out) override {
    Log("ExecuteProc " + name + " " + RenderPacked(params));
    out = FScript.procOutputs;
    return FScript.procResult;
  }
  void OpenProc(AnsiString& name, Variant& params) override { Log("OpenProc " + name + " " + RenderPacked(params)); }
  Variant ExecuteSQL(WideString& sql) override {
    Log("ExecuteSQL " + WideToGbk(sql));
    return Variant(3);
  }
  void OpenSQL(WideString& sql) override { Log("OpenSQL " + WideToGbk(sql)); }
  void TransactionController(int action) override {
    Log("TransactionController " + std::to_string(action));
    if (FScript.failTransactions) throw Exception("Connection lost");
  }

 private:
  void Log(const std::string& s) {
    if (!FScript.connected) throw Exception("Not connected");
    FScript.calls.push_back(s);
  }
  ServerScript& FScript;
  FakeProvider& FProvider;
};

class DataModuleTest : public testing::Test {
 protected:
  void SetUp() override {
    provider = std::make_unique<FakeProvider>(script);
    posapp::EnsureDataModule(nullptr).SetLink(std::make_unique<FakeLink>(script, *provider));
    ProcPrefix = "Pos_J2";
  }
  void TearDown() override {
    delete DataModule;
    ProcPrefix.clear();
  }
  static TDataPacket Packet(const char* field, std::initializer_list<const char*> rows, Variant params = Variant()) {
    TDataPacket p;
    p.Fields.push_back({field, ftString, 40});
    for (const char* r : rows) p.Rows.push_back({Variant(AnsiString(r))});
    p.Params = params;
    return p;
  }

  ServerScript script;
  std::unique_ptr<FakeProvider> provider;
};

}  // namespace

// The module reaches the server named in the connection's settings, at the local
// address until an open call sets another.
TEST_F(DataModuleTest, ConnectionSettings) {
  ASSERT_NE(DataModule, nullptr);
  EXPECT_EQ(DataModule->cnZelvoEnt->ServerName(), "DuduVezEvavav.CoCommonPosServer");
  EXPECT_EQ(DataModule->cnZelvoEnt->Address(), "127.0.0.1");
  EXPECT_FALSE(DataModule->cnZelvoEnt->SupportCallbacks());
  EXPECT_EQ(DataModule->scZelvoPosR->Address(), "");
  EXPECT_EQ(DataModule->scZelvoPosR->ServerName(), "DuduVezEvavav.CoCommonPosServer");
}

TEST_F(DataModuleTest, CreationFixesDateAndNumberForms) {
  FormatSettings.DateSeparator = '/';
  FormatSettings.ShortDateFormat = "dd/MM/yyyy";
  FormatSettings.DecimalSeparator = ',';
  DataModule->OnCreate(DataModule);
  EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 5)), "2024-03-05");
  EXPECT_EQ(FloatToStr(12.5), "12.5");
}

TEST_F(DataModuleTest, ExecProcPacksOneParameterPerNameInOrder) {
  script.procResult = Variant(7);
  EXPECT_EQ(ExecProc("[QP_nInsertVipCardSign]", {"@CardNo", "@Qty", "@Name"},
                     {Variant(AnsiString("A01")), Variant(2), Variant(AnsiString("张三"))}),
            7);
  // Kinds stay unknown (0); data types follow the values (1 string, 3 integer).
  EXPECT_EQ(script.Log(), "ExecuteProc [QP_nInsertVipCardSign] @CardNo=A01/1/0;@Qty=2/3/0;@Name=张三/1/0;\n");
}

TEST_F(DataModuleTest, DoubleAtMeansNoParametersWhateverTheValues) {
  const struct {
    std::vector<AnsiString> names;
    std::vector<Variant> values;
  } cases[] = {
      {{"@@"}, {Variant(1)}},
      {{" @@ "}, {}},
      {{"@@", "@x"}, {Variant(1)}},
  };
  for (const auto& c : cases) {
    script.calls.clear();
    ExecProc("P", c.names, c.values);
    EXPECT_EQ(script.Log(), "ExecuteProc P \n");
  }
}

TEST_F(DataModuleTest, NamesAndValuesOfDifferentLengthsRaiseBeforeAnythingIsSent) {
  // Regression: a name without its value raises a clear error instead of reading past
  // the values.
  EXPECT_THROW(ExecProc("P", {"@a", "@b"}, {Variant(1)}), EParamCountError);
  EXPECT_THROW(ExecProc("P", {}, {Variant(1)}), EParamCountError);
  TClientDataSet ds(nullptr);
  EXPECT_THROW(OpenProcData("P", {"@a"}, {}, &ds), EParamCountError);
  EXPECT_EQ(script.Log(), "");
}

TEST_F(DataModuleTest, ExecProcHandsBackOutputParametersByName) {
  script.procOutputs = Pack({{"@szReturn", Variant(AnsiString("1")), ptOutput}});
  TParams out;
  ExecProc("GetSysValue;1", {"@szName", "@szReturn"}, {Variant(AnsiString("AllowColorSize")), Variant(AnsiString())}, &out);
  EXPECT_EQ(out.ParamByName("@SZRETURN")->AsString(), "1");
  // Without a list the outputs are dropped and nothing fails.
  EXPECT_NO_THROW(ExecProc("GetSysValue;1", {"@szName", "@szReturn"}, {Variant(AnsiString("x")), Variant(AnsiString())}));
}

TEST_F(DataModuleTest, GetSysValueReadsTheReturnOrEmptyWithoutOutputs) {
  script.procOutputs = Pack({{"@szReturn", Variant(AnsiString("0")), ptOutput}});
  EXPECT_EQ(GetSysValue("ForbidDecimal"), "0");
  EXPECT_EQ(script.calls.back(), "ExecuteProc GetSysValue;1 @szName=ForbidDecimal/1/0;@szReturn=/1/0;");
  script.procOutputs = Variant::Null();
  EXPECT_EQ(GetSysValue("Unknown"), "");
}

TEST_F(DataModuleTest, OpenProcDataSendsPrefixedNameAndReadsReturnValue) {
  script.nextPacket = Packet("Fullname", {"甲", "乙"},
                             Pack({{"@RETURN_VALUE", Variant(5), ptResult},
                                   {"@Count", Variant(2), ptOutput},
                                   {"@Kind", Variant(AnsiString("P")), ptInput},
                                   {"@Page", Variant(1), ptInputOutput}}));
  TClientDataSet ds(nullptr);
  ds.SetFilter("Fullname = '甲'");
  TParams out;
  EXPECT_EQ(OpenProcData("PosGetBasicData", {"@Kind"}, {Variant(AnsiString("P"))}, &ds, &out), 5);
  EXPECT_EQ(script.Log(), "OpenProc Pos_J2_PosGetBasicData @Kind=P/1/0;\nfetch pv_sp_Open\n");
  EXPECT_EQ(ds.ProviderName(), "pv_sp_Open");
  EXPECT_EQ(ds.Filter(), "");
  EXPECT_EQ(ds.RecordCount(), 2);
  // Outputs after the return value, output and input/output kinds only.
  EXPECT_EQ(Render(out), "@Count=2/3/2;@Page=1/3/3;");
}

TEST_F(DataModuleTest, OpenProcDataWithoutParametersReturnsZero) {
  // Regression: no return value to read gives 0, not a list index error.
  script.nextPacket = Packet("x", {"1"});
  TClientDataSet ds(nullptr);
  TParams out;
  out.Add()->SetName("@old");
  EXPECT_EQ(OpenProcData("P", {"@@"}, {}, &ds, &out), 0);
  EXPECT_EQ(out.Count(), 0);
}

TEST_F(DataModuleTest, OpenSQLDataTellsWhetherRowsCame) {
  TClientDataSet ds(nullptr);
  ds.Params().Add()->SetName("@stale");
  script.nextPacket = Packet("SysValue", {"Pos_J2"});
  EXPECT_TRUE(OpenSQLData(u"Select SysValue from sysdata where SysId = 19", &ds));
  EXPECT_EQ(ds.ProviderName(), "pv_qry_Open");
  EXPECT_EQ(ds.RemoteServer(), provider.get());
  EXPECT_EQ(ds.Params().Count(), 0);
  script.nextPacket = Packet("SysValue", {});
  EXPECT_FALSE(OpenSQLData(u"select 1 where 1 = 0", &ds));
  EXPECT_EQ(script.Log(),
            "OpenSQL Select SysValue from sysdata where SysId = 19\nfetch pv_qry_Open\n"
            "OpenSQL select 1 where 1 = 0\nfetch pv_qry_Open\n");
}

TEST_F(DataModuleTest, ExecSQLReturnsTheServersCount) {
  EXPECT_EQ(ExecSQL(u"update PDBill set Upload = 1"), 3);
}

TEST_F(DataModuleTest, LoadProcPrefixByKind) {
  script.nextPacket = Packet("SysValue", {"Pos_J2"});
  LoadProcPrefix("PD");
  EXPECT_EQ(ProcPrefix, "Pos_J2");
  script.nextPacket = Packet("SysValue", {"QP"});
  LoadProcPrefix("VIP");
  EXPECT_EQ(ProcPrefix, "QP");
  EXPECT_EQ(script.Log(),
            "OpenSQL Select SysValue from sysdata where SysId = 19\nfetch pv_qry_Open\n"
            "OpenSQL Select SysValue from PosCommonSysData where SysId = 2\nfetch pv_qry_Open\n");
  script.calls.clear();
  EXPECT_ANY_THROW(LoadProcPrefix("X"));
  EXPECT_EQ(script.Log(), "");
}

TEST_F(DataModuleTest, LoadProcPrefixOfAMissingRowIsEmpty) {
  script.nextPacket = Packet("SysValue", {});
  LoadProcPrefix("PD");
  EXPECT_EQ(ProcPrefix, "");
}

// --- transactions --------------------------------------------------------------------

TEST_F(DataModuleTest, BeginCommitRollbackSendTheirActions) {
  BeginTrans();
  EXPECT_TRUE(InTransaction);
  CommitTrans();
  EXPECT_FALSE(InTransaction);
  BeginTrans();
  RollbackTrans();
  EXPECT_FALSE(InTransaction);
  EXPECT_EQ(script.Log(),
            "TransactionController 0\nTransactionController 1\nTransactionController 0\nTransactionController 2\n");
}

TEST_F(DataModuleTest, WhileDisconnectedNoRemoteCallAtAll) {
  script.connected = false;
  BeginTrans();
  EXPECT_FALSE(InTransaction);
  CommitTrans();
  RollbackTrans();
  EXPECT_EQ(script.Log(), "");
}

TEST_F(DataModuleTest, SecondBeginRaisesAndTheFirstStaysOpen) {
  BeginTrans();
  try {
    BeginTrans();
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "事务已启动!");
  }
  EXPECT_TRUE(InTransaction);
  CommitTrans();
  EXPECT_EQ(script.Log(), "TransactionController 0\nTransactionController 1\n");
}

TEST_F(DataModuleTest, CommitOrRollbackWithoutTransactionSendsNothing) {
  CommitTrans();
  RollbackTrans();
  EXPECT_EQ(script.Log(), "");
}

TEST_F(DataModuleTest, FailedCommitClearsTheFlag) {
  BeginTrans();
  script.failTransactions = true;
  EXPECT_THROW(CommitTrans(), Exception);
  EXPECT_FALSE(InTransaction);
}

TEST_F(DataModuleTest, FailedRollbackClearsTheFlag) {
  // Regression: a failing rollback used to leave the flag set, and every later save
  // met "事务已启动!".
  BeginTrans();
  script.failTransactions = true;
  EXPECT_THROW(RollbackTrans(), Exception);
  EXPECT_FALSE(InTransaction);
  script.failTransactions = false;
  EXPECT_NO_THROW(BeginTrans());
}

TEST_F(DataModuleTest, DroppedConnectionEndsTheTransaction) {
  // Regression: the connection went down inside a transaction, which the server ended
  // with it; the next save met "事务已启动!" instead of beginning anew.
  BeginTrans();
  script.connected = false;  // dropped
  EXPECT_NO_THROW(BeginTrans());
  EXPECT_FALSE(InTransaction);
  RollbackTrans();
  script.connected = true;  // reconnected by a later open call
  BeginTrans();
  EXPECT_TRUE(InTransaction);
  EXPECT_EQ(script.Log(), "TransactionController 0\nTransactionController 0\n");
}

TEST_F(DataModuleTest, ClosingTheConnectionEndsTheTransaction) {
  BeginTrans();
  DataModule->CloseConnection();
  EXPECT_FALSE(InTransaction);
  EXPECT_NO_THROW(BeginTrans());
  EXPECT_EQ(script.Log(), "TransactionController 0\nTransactionController 0\n");
}

TEST_F(DataModuleTest, FreeingTheModuleEndsTheTransaction) {
  BeginTrans();
  delete DataModule;
  EXPECT_EQ(DataModule, nullptr);
  EXPECT_FALSE(InTransaction);
  posapp::EnsureDataModule(nullptr).SetLink(std::make_unique<FakeLink>(script, *provider));
  EXPECT_NO_THROW(BeginTrans());
}

TEST_F(DataModuleTest, RoutinesWithoutModuleRaise) {
  delete DataModule;
  EXPECT_THROW(ExecSQL(u"select 1"), EInvalidOperation);
  EXPECT_NO_THROW(CommitTrans());
}

// --- open and close steps -------------------------------------------------------------

TEST(ScreenToken, PositiveCounter) {
  const int32_t a = posapp::NextScreenToken();
  const int32_t b = posapp::NextScreenToken();
  EXPECT_GT(a, 0);
  EXPECT_EQ(b, a + 1);
}

TEST(ReleaseDataModule, OnlyAPositiveTokenFreesTheModule) {
  TfrmDataModule& m = posapp::EnsureDataModule(nullptr);
  EXPECT_EQ(&posapp::EnsureDataModule(nullptr), &m);  // reused
  posapp::ReleaseDataModule(-1);
  posapp::ReleaseDataModule(0);
  EXPECT_EQ(DataModule, &m);
  posapp::ReleaseDataModule(1);
  EXPECT_EQ(DataModule, nullptr);
  posapp::ReleaseDataModule(1);  // nothing left: nothing happens
}

TEST(ReleaseDataModule, OwnerLetsGoOfAFreedModule) {
  TComponent owner(nullptr);
  posapp::EnsureDataModule(&owner);
  EXPECT_EQ(owner.ComponentCount(), 1);
  posapp::ReleaseDataModule(3);
  EXPECT_EQ(owner.ComponentCount(), 0);
}
