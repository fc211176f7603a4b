// The data module, its remote-call routines and the one-level transaction.
#include "app/uDataModule.h"

#include "app/uPublic.h"
#include "rtl/FormatSettings.h"

TfrmDataModule* DataModule = nullptr;
bool InTransaction = false;

namespace {

constexpr const char* kServerName = "DuduVezEvavav.CoCommonPosServer";
constexpr const char* kServerGUID = "{46359509-A19A-4D07-9D00-F7BA83D6ABBE}";

enum TTransactionAction { taBegin = 0, taCommit = 1, taRollback = 2 };

IAppServerLink& SharedLink() {
  if (!DataModule) throw EInvalidOperation("数据模块尚未创建");  // no open call made it
  return DataModule->Link();
}

// Clears InTransaction when the scope ends, however it ends.
struct ClearTransactionFlag {
  ~ClearTransactionFlag() { InTransaction = false; }
};

}  // namespace

TfrmDataModule::TfrmDataModule(TComponent* AOwner) : TComponent(AOwner) {
  SetName("frmDataModule");
  cnZelvoEnt = new TSocketConnection(this);
  cnZelvoEnt->SetName("cnZelvoEnt");
  cnZelvoEnt->SetServerName(kServerName);
  cnZelvoEnt->SetServerGUID(kServerGUID);
  cnZelvoEnt->SetAddress("127.0.0.1");
  cnZelvoEnt->SetSupportCallbacks(false);
  TempClient = new TClientDataSet(this);
  TempClient->SetName("TempClient");
  ClientDataSet2 = new TClientDataSet(this);
  ClientDataSet2->SetName("ClientDataSet2");
  scZelvoPosR = new TSocketConnection(this);
  scZelvoPosR->SetName("scZelvoPosR");
  scZelvoPosR->SetServerName(kServerName);
  scZelvoPosR->SetServerGUID(kServerGUID);
  scZelvoPosR->SetSupportCallbacks(false);
  FLink = std::make_unique<TSocketConnectionLink>(*cnZelvoEnt);

  OnCreate = [this](TObject* Sender) { DataModuleCreate(Sender); };
  OnCreate(this);
}

TfrmDataModule::~TfrmDataModule() {
  // The server ends the session's transaction when the connection goes with us.
  if (DataModule == this) {
    DataModule = nullptr;
    InTransaction = false;
  }
}

void TfrmDataModule::DataModuleCreate(TObject*) {
  FormatSettings.DecimalSeparator = '.';
  FormatSettings.DateSeparator = '-';
  FormatSettings.ShortDateFormat = "yyyy-MM-dd";
  FormatSettings.LongDateFormat = "yyyy-MM-dd";
}

void TfrmDataModule::SetLink(std::unique_ptr<IAppServerLink> link) {
  FLink = link ? std::move(link) : std::make_unique<TSocketConnectionLink>(*cnZelvoEnt);
}

void TfrmDataModule::CloseConnection() {
  cnZelvoEnt->Close();
  if (DataModule == this) InTransaction = false;
}

namespace posapp {

Variant PackCallParams(const std::vector<AnsiString>& Names, const std::vector<Variant>& Values) {
  TParams params;
  if (Names.empty() || Trim(Names[0]) != "@@") {
    // Mended: the names index the values one for one, so a missing value is an error
    // of the caller here, not a read past the end.
    if (Names.size() != Values.size())
      throw EParamCountError(Format("参数名与参数值的个数不一致：%d 个参数名，%d 个参数值",
                                    {static_cast<int64_t>(Names.size()), static_cast<int64_t>(Values.size())}));
    for (size_t i = 0; i < Names.size(); ++i) {
      TParam* p = params.Add();
      p->SetName(Names[i]);
      p->SetValue(Values[i]);
    }
  }
  return PackageParams(params, AllParamTypes);
}

}  // namespace posapp

int ExecProc(const AnsiString& ProcName, const std::vector<AnsiString>& Names,
             const std::vector<Variant>& Values, TParams* OutParams) {
  Variant packed = posapp::PackCallParams(Names, Values);
  IAppServerLink& link = SharedLink();
  AnsiString name = ProcName;
  Variant outPacked;
  const int result = link.ExecuteProc(name, packed, outPacked).AsInteger();
  if (OutParams) UnpackParams(outPacked, *OutParams);
  return result;
}

int OpenProcData(const AnsiString& ProcName, const std::vector<AnsiString>& Names,
                 const std::vector<Variant>& Values, TClientDataSet* DataSet, TParams* OutParams) {
  Variant packed = posapp::PackCallParams(Names, Values);
  IAppServerLink& link = SharedLink();
  DataSet->Close();
  DataSet->SetFilter("");
  DataSet->Params().Clear();
  DataSet->SetRemoteServer(link.ProviderServer());
  DataSet->SetProviderName("pv_sp_Open");
  AnsiString name = ProcPrefix + "_" + ProcName;
  link.OpenProc(name, packed);
  DataSet->Open();

  const TParams& got = DataSet->Params();
  // Mended: a procedure that hands back no parameters has no return value to read;
  // it counts as 0 instead of failing on the empty list.
  const int result = got.Count() > 0 ? got.Items(0)->AsInteger() : 0;
  if (OutParams) {
    TParams outputs;
    for (int i = 1; i < got.Count(); ++i) {
      const TParam* p = got.Items(i);
      if (p->ParamType() == ptOutput || p->ParamType() == ptInputOutput)
        outputs.Add()->Assign(const_cast<TParam*>(p));
    }
    OutParams->Assign(&outputs);
  }
  return result;
}

int ExecSQL(const WideString& SQL) {
  WideString text = SQL;
  return SharedLink().ExecuteSQL(text).AsInteger();
}

bool OpenSQLData(const WideString& SQL, TClientDataSet* DataSet) {
  IAppServerLink& link = SharedLink();
  DataSet->Close();
  DataSet->SetFilter("");
  DataSet->Params().Clear();
  DataSet->SetRemoteServer(link.ProviderServer());
  DataSet->SetProviderName("pv_qry_Open");
  WideString text = SQL;
  link.OpenSQL(text);
  DataSet->Open();
  return DataSet->RecordCount() > 0;
}

void BeginTrans() {
  IAppServerLink& link = SharedLink();
  // A transaction whose connection dropped ended on the server with it.
  if (InTransaction && !link.Connected()) InTransaction = false;
  if (InTransaction) throw Exception("事务已启动!");
  if (!link.Connected()) return;
  link.TransactionController(taBegin);
  InTransaction = true;
}

namespace {

// Ends the open transaction with `action` (commit or rollback). Mended: the flag is
// cleared also when the call fails, so the next save can begin its own transaction.
void EndTransaction(TTransactionAction action) {
  if (!DataModule) {
    InTransaction = false;
    return;
  }
  IAppServerLink& link = DataModule->Link();
  if (!InTransaction) return;
  ClearTransactionFlag clear;
  if (link.Connected()) link.TransactionController(action);
}

}  // namespace

void CommitTrans() { EndTransaction(taCommit); }

void RollbackTrans() { EndTransaction(taRollback); }
