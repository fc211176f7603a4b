// Saving a stock-take bill into the store database and uploading it to the main
// database of head office.
//
// The bill is saved in one server transaction (header, then the merged lines, their
// inserts sent a hundred to a call so that a long bill is not one round trip a line). When an
// upload server is set, the shared connection moves there (TPdServerSwitch), the copy
// of the bill and the main system's stored procedure that turns it into a bill of the
// main system run in one transaction there, and the connection moves back home, where
// the local header is marked as uploaded with the main system's bill code.
//
// What the user is told, and where the form goes:
//   - the local save fails: "盘点单保存失败！" with the reason (caption "错误"); the
//     form stays open with all its rows; nothing is uploaded; Save may be pressed again;
//   - no upload server: "盘点单本地保存成功！"; the form closes;
//   - anything on the upload road fails (the switch, or the current database's name it
//     reads first, the copy, the procedure, a result that is no bill code): the
//     connection goes back home, the local bill stays with IsUpSend 0 (so it can be sent
//     again later), "盘点单本地保存成功！上传失败！" (with the reason of a call that
//     failed on the next line); the form closes. A refusal (-1, -2, -3) shows its own
//     message first, and the copy on the main database is rolled back with it;
//   - the home header cannot be marked: "改写本地记录失败"; the form closes;
//   - all went through: "盘点单保存成功！"; the form closes.
// Once a bill is stored locally, a later Save of the same saver stores nothing again.
//
// A commit whose answer never came (the connection dropped on the way) may have gone
// through. The local save then counts as failed, with a line saying that the bill may
// be stored; the next Save connects home again (as the open call does) and first asks
// the store for the bill (its UniqueID and PDNumber): found, it counts as saved and the
// upload goes on as after any save; not found, the bill is saved. Likewise an upload
// whose commit went unanswered asks the main database for the copy before it counts
// as failed, so that the local bill is not left to be sent a second time. A failure
// before the commit was sent rolled the transaction back and needs no question; a Save
// that finds the connection closed (by any earlier failure) opens it again first.
// While the local save is in doubt Save answers TSaveOutcome::Locked: the bill the store
// may hold is the one on the screen, so the screen lets nothing on it change (the
// failure message says so) until a Save settles it; a change would otherwise be lost
// when the store turns out to hold the bill, and uploaded all the same.
#pragma once
#include <functional>

#include "app/uPDBillRec.h"
#include "app/uPDBillSheet.h"
#include "app/uPDMessages.h"

class TfrmDataModule;

namespace pdbill {

// Connects the shared data module to a server and database; false when it could not.
// posapp::ConnectDataModule unless given.
using TPdConnect = std::function<bool(TfrmDataModule& Module, const AnsiString& Server, const AnsiString& DbName)>;

// The two ends of the shared connection's road.
struct TPdServers {
  AnsiString HomeServer;
  AnsiString HomeDbName;
  AnsiString UploadServer;   // empty: bills are not uploaded
  AnsiString UploadDbName;
};

// Moves the shared data module's connection between home and the upload server.
// PauseMs: the wait between closing and opening again.
class TPdServerSwitch {
 public:
  TPdServerSwitch(const TPdServers& Servers, IPdMessages& Messages, int PauseMs = 1000, TPdConnect Connect = {});
  // To the other end: to the upload server when the connection is at home (its server
  // text and current database are the home ones), home otherwise. False when the
  // target could not be reached (the connection is then closed). Raises, leaving the
  // connection as it was, when the current database's name cannot be read.
  bool SwitchServer();
  // Home, from wherever the connection is.
  bool ReturnHome();
  // To the upload server, from wherever the connection is.
  bool ToUpload();

 private:
  bool ConnectTo(const AnsiString& Server, const AnsiString& DbName);

  TPdServers FServers;
  IPdMessages& FMessages;
  int FPauseMs;
  TPdConnect FConnect;
};

constexpr const char* kNoWarehouse = "请选择盘点的仓库!";
constexpr const char* kNoCountData = "没有盘点数据！";
constexpr const char* kSaveFailed = "盘点单保存失败！";
constexpr const char* kSaveUnknown = "与服务器的连接在提交时中断，盘点单可能已经保存。请再按保存：先核对，不会重复保存。";
constexpr const char* kSaveLocked = "核对之前盘点单不能修改，只能再按保存或者退出。";
constexpr const char* kSavedLocally = "盘点单本地保存成功！";
constexpr const char* kUploadFailed = "盘点单本地保存成功！上传失败！";
constexpr const char* kMarkFailed = "改写本地记录失败";
constexpr const char* kSaved = "盘点单保存成功！";
constexpr const char* kRefusedClosed = "当前仓库当前日期已经盘点结束，不能再盘点任何商品！";     // -3
constexpr const char* kRefusedNoPrepare = "没有盘点日期对应的盘点准备数据！不能保存盘点单！";  // -2
constexpr const char* kRefusedDraft = "某商品在指定的盘点日期已经生成草稿，不能再盘点此商品！";  // -1
constexpr const char* kUploadProc = "Pos_J2_PosPdtoMainProPd";

// What the screen does after Save: stays as it is, closes, or stays locked (the local
// save is in doubt: nothing on the bill may change, only Save again or leave).
enum class TSaveOutcome { Stay, Close, Locked };

class TPdBillSaver {
 public:
  TPdBillSaver(const TPdServers& Servers, IPdMessages& Messages, int PauseMs = 1000, TPdConnect Connect = {})
      : FServers(Servers), FMessages(Messages), FSwitch(Servers, Messages, PauseMs, std::move(Connect)) {}

  // The save button: checks (warehouse, data), empty quantities of goods rows become
  // "0", then SaveBill. Header.PdDate is the day of the save (yyyy-mm-dd).
  TSaveOutcome Save(IPdBillSheet& Sheet, const TPdBillHeader& Header);

  // The local CheckCode once the bill is stored (0 before), and the main system's bill
  // code once it was uploaded (0 otherwise).
  int LocalCheckCode() const { return FLocalCheckCode; }
  int UploadCode() const { return FUploadCode; }

  // Runs the main system's procedure for an uploaded copy: True with UploadCode set for
  // a result above 0; a refusal (-1, -2, -3) shows its message; False for anything but
  // a bill code.
  bool UploadBill(int Code);

 private:
  TSaveOutcome SaveBill(const IPdBillSheet& Sheet, const TPdBillHeader& Header);
  // The form stays: locked while the local save is in doubt.
  TSaveOutcome Staying() const { return FCommitUnknown ? TSaveOutcome::Locked : TSaveOutcome::Stay; }
  // Header and lines in one transaction; the new CheckCode. Raises what went wrong,
  // after rolling back.
  int StoreBill(const std::vector<TPDBillRec>& Lines, const TPdBillHeader& Header, int LocalCheckCode);
  // The bill stored locally (the local CheckCode), asking the store first when an earlier
  // commit went unanswered. Raises what went wrong, after rolling back.
  int StoreLocally(const std::vector<TPDBillRec>& Lines, const TPdBillHeader& Header);
  // The copy on the upload server, committed with the main system's procedure; False
  // when it is not there (Reason: why, when a call failed).
  bool Upload(const std::vector<TPDBillRec>& Lines, const TPdBillHeader& Header, AnsiString& Reason);
  // Goes home and tells kUploadFailed, with Reason on a line of its own when given.
  TSaveOutcome UploadFailed(const AnsiString& Reason = AnsiString());

  TPdServers FServers;
  IPdMessages& FMessages;
  TPdServerSwitch FSwitch;
  int FLocalCheckCode = 0;
  int FUploadCode = 0;
  bool FSaving = false;
  // A local commit was sent and its answer lost: whether the bill is stored is unknown.
  bool FCommitUnknown = false;
};

}  // namespace pdbill
