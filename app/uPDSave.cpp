// Saving and uploading a stock-take bill.
#include "app/uPDSave.h"

#include <thread>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "db/ClientDataSet.h"

namespace pdbill {
namespace {

// Line inserts sent in one call.
constexpr size_t kLinesPerBatch = 100;

// The connection's server text: its address or host name, whichever is set.
AnsiString ServerText(const TfrmDataModule& module) {
  return module.cnZelvoEnt->Address().empty() ? module.cnZelvoEnt->Host() : module.cnZelvoEnt->Address();
}

AnsiString CurrentDbName() {
  TClientDataSet ds(nullptr);
  OpenSQLData(u"select DB_Name() As DbName", &ds);
  return ds.FieldByName("DbName")->AsString();
}

bool LinkConnected() { return DataModule && DataModule->Link().Connected(); }

// The CheckCode of the bill's header on the connected database (the local bill for
// LocalCheckCode 0, else its upload copy); 0 when it is not there.
int StoredCheckCode(const TPdBillHeader& Header, int LocalCheckCode) {
  TClientDataSet ds(nullptr);
  if (!OpenSQLData(StoredBillSql(Header, LocalCheckCode), &ds)) return 0;
  return CheckCodeOf(ds.FieldByName("CheckCode")->AsString());
}

// Rolls back, ignoring a failure of the rollback itself (the connection may be gone;
// the server then rolled back on its own).
void RollbackQuietly() {
  try {
    RollbackTrans();
  } catch (const std::exception&) {
  }
}

}  // namespace

TPdServerSwitch::TPdServerSwitch(const TPdServers& Servers, IPdMessages& Messages, int PauseMs, TPdConnect Connect)
    : FServers(Servers), FMessages(Messages), FPauseMs(PauseMs), FConnect(std::move(Connect)) {
  if (!FConnect) FConnect = posapp::ConnectDataModule;
}

bool TPdServerSwitch::SwitchServer() {
  // Mended: a database name that cannot be read raises (the caller's upload then fails
  // and the local bill stays unmarked, to be sent again); it used to count as "not at
  // home", so that the upload went to the home database.
  const AnsiString db = CurrentDbName();
  const bool atHome = DataModule && DataModule->Link().Connected() &&
                      ServerText(*DataModule) == FServers.HomeServer && SameText(db, FServers.HomeDbName);
  return atHome ? ConnectTo(FServers.UploadServer, FServers.UploadDbName)
                : ConnectTo(FServers.HomeServer, FServers.HomeDbName);
}

bool TPdServerSwitch::ReturnHome() { return ConnectTo(FServers.HomeServer, FServers.HomeDbName); }

bool TPdServerSwitch::ToUpload() { return ConnectTo(FServers.UploadServer, FServers.UploadDbName); }

bool TPdServerSwitch::ConnectTo(const AnsiString& Server, const AnsiString& DbName) {
  if (DataModule) DataModule->CloseConnection();
  if (FPauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(FPauseMs));
  TfrmDataModule& module = posapp::EnsureDataModule(nullptr);
  // Mended: the caller learns whether the switch worked, instead of working on against
  // a closed connection; the message says which server could not be reached.
  if (!FConnect(module, Server, DbName)) {
    module.CloseConnection();
    FMessages.Show("无法连接到服务器" + Server + "的数据库" + DbName + "。", kCaptionError, pmError);
    return false;
  }
  return true;
}

TSaveOutcome TPdBillSaver::Save(IPdBillSheet& Sheet, const TPdBillHeader& Header) {
  if (FSaving) return Staying();
  // Mended: a bill is stored once; a second press of Save after the bill went into the
  // store (the form closes then) stores no second copy.
  if (FLocalCheckCode > 0) return TSaveOutcome::Close;
  if (Header.WarehouseId.empty()) {
    FMessages.Show(kNoWarehouse, kCaptionHint, pmOk);
    return Staying();
  }
  bool anyCount = false;
  for (int r = 0; r < Sheet.RowCount() && !anyCount; ++r) {
    anyCount = !Sheet.Cell(pcGoodsId, r).empty() && !Sheet.Cell(pcQty, r).empty();
  }
  if (!anyCount) {
    FMessages.Show(kNoCountData, kCaptionHint, pmInformation);
    return Staying();
  }
  for (int r = 0; r < Sheet.RowCount(); ++r) {
    if (!Sheet.Cell(pcGoodsId, r).empty() && Sheet.Cell(pcQty, r).empty()) Sheet.SetCell(pcQty, r, "0");
  }
  FSaving = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{FSaving};
  return SaveBill(Sheet, Header);
}

int TPdBillSaver::StoreBill(const std::vector<TPDBillRec>& Lines, const TPdBillHeader& Header, int LocalCheckCode) {
  BeginTrans();
  try {
    TClientDataSet ds(nullptr);
    OpenSQLData(HeaderInsertSql(Header, LocalCheckCode), &ds);
    const int checkCode = CheckCodeOf(ds.FieldByName("CheckCode")->AsString());
    for (const WideString& batch : LineInsertBatches(checkCode, Lines, kLinesPerBatch)) ExecSQL(batch);
    return checkCode;
  } catch (...) {
    RollbackQuietly();
    throw;
  }
}

int TPdBillSaver::StoreLocally(const std::vector<TPDBillRec>& Lines, const TPdBillHeader& Header) {
  // Mended: a commit whose answer was lost may have stored the bill; the store is asked
  // before the bill is stored again, so that it is never stored twice.
  if (FCommitUnknown) {
    const int stored = StoredCheckCode(Header, 0);
    FCommitUnknown = false;
    if (stored > 0) return stored;
  }
  const int checkCode = StoreBill(Lines, Header, 0);
  // Once the commit is sent its outcome is unknown until it answers.
  FCommitUnknown = true;
  CommitTrans();
  FCommitUnknown = false;
  return checkCode;
}

bool TPdBillSaver::Upload(const std::vector<TPDBillRec>& Lines, const TPdBillHeader& Header, AnsiString& Reason) {
  // The copy and the main system's procedure in one transaction: a refusal or a failure
  // leaves no copy behind on the main database.
  bool commitSent = false;
  try {
    const int uploadCheckCode = StoreBill(Lines, Header, FLocalCheckCode);
    if (!UploadBill(uploadCheckCode)) {
      RollbackQuietly();
      return false;
    }
    commitSent = true;
    CommitTrans();
    return true;
  } catch (const std::exception& e) {
    RollbackQuietly();
    Reason = e.what();
    if (!commitSent) return false;
  }
  // Mended: a commit whose answer was lost used to count as a failed upload although the
  // copy may be on the main database; the local bill then stayed unmarked, to be sent a
  // second time. The main database is asked for the copy.
  try {
    if (!LinkConnected() && !FSwitch.ToUpload()) return false;
    if (StoredCheckCode(Header, FLocalCheckCode) == 0) return false;
    Reason.clear();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

TSaveOutcome TPdBillSaver::SaveBill(const IPdBillSheet& Sheet, const TPdBillHeader& Header) {
  const std::vector<TPDBillRec> lines = MergeBillLines(Sheet);
  // Mended: a connection closed by an earlier failure is opened again, as the open call
  // opens it; every later Save used to fail on it. The switch says which server could
  // not be reached.
  if (!LinkConnected() && !FSwitch.ReturnHome()) return Staying();
  // Mended: a local save that failed is reported and keeps the form with its rows;
  // nothing is uploaded.
  try {
    FLocalCheckCode = StoreLocally(lines, Header);
  } catch (const std::exception& e) {
    RollbackQuietly();
    AnsiString text = AnsiString(kSaveFailed) + "\r\n" + e.what();
    if (FCommitUnknown) text += AnsiString("\r\n") + kSaveUnknown + "\r\n" + kSaveLocked;
    FMessages.Show(text, kCaptionError, pmError);
    return Staying();
  }
  if (FServers.UploadServer.empty()) {
    FMessages.Show(kSavedLocally, kCaptionHint, pmInformation);
    return TSaveOutcome::Close;
  }
  try {
    if (!FSwitch.SwitchServer()) return UploadFailed();
  } catch (const std::exception& e) {
    return UploadFailed(e.what());
  }
  AnsiString reason;
  if (!Upload(lines, Header, reason)) {
    FUploadCode = 0;
    return UploadFailed(reason);
  }
  try {
    if (!FSwitch.ReturnHome()) throw Exception(kMarkFailed);
    ExecSQL(MarkUploadedSql(FUploadCode, FLocalCheckCode));
  } catch (const std::exception&) {
    FMessages.Show(kMarkFailed, kCaptionHint, pmInformation);
    return TSaveOutcome::Close;
  }
  FMessages.Show(kSaved, kCaptionHint, pmInformation);
  return TSaveOutcome::Close;
}

// Mended: after any failure on the upload road the connection goes back home and the
// local bill stays unmarked (IsUpSend 0), so that it can be sent again. Mended too: the
// reason of a failed copy or procedure follows the message (it used to be dropped).
TSaveOutcome TPdBillSaver::UploadFailed(const AnsiString& Reason) {
  FSwitch.ReturnHome();
  FMessages.Show(Reason.empty() ? AnsiString(kUploadFailed) : kUploadFailed + ("\r\n" + Reason), kCaptionHint,
                 pmInformation);
  return TSaveOutcome::Close;
}

bool TPdBillSaver::UploadBill(int Code) {
  const int result = ExecProc(kUploadProc, {"@IndexValue"}, {Variant(Code)});
  // Mended: only a result above 0 is a bill code of the main system.
  switch (result) {
    case -3: FMessages.Show(kRefusedClosed, kCaptionHint, pmOk); return false;
    case -2: FMessages.Show(kRefusedNoPrepare, kCaptionHint, pmOk); return false;
    case -1: FMessages.Show(kRefusedDraft, kCaptionHint, pmOk); return false;
    default: break;
  }
  if (result <= 0) return false;
  FUploadCode = result;
  return true;
}

}  // namespace pdbill
