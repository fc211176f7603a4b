// The stock-take rules when the server fails them, against the stand-in server in the
// same process (native only): a refused upload leaves nothing on the main database by
// itself (not by the disconnect's rollback), a failed upload says why, and a terminal
// import whose look-up fails says so in the dialog's own words, touching nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPDImportRules.h"
#include "app/uPDSave.h"
#include "app/uPublic.h"
#include "tests/app/PdTestDoubles.h"
#include "server/DemoStore.h"
#include "server/Listener.h"
#include "server/SqliteDb.h"
#include "server/StoreSession.h"

using namespace pdbill;

namespace {

namespace fs = std::filesystem;

// What the sessions of the server left behind when they ended.
struct TSessionEnds {
  std::mutex Lock;
  std::vector<std::string> Open;  // one line per session that ended inside a transaction
  void Add(std::string s) {
    std::lock_guard<std::mutex> hold(Lock);
    Open.push_back(std::move(s));
  }
};

// The store session, watched: a session that ends while its transaction is still open
// relied on the server's rollback at disconnect; it records what that transaction held.
// While FailDbName is set, "select DB_Name()" fails as a statement the server refuses.
class WatchedSession final : public posserver::AppSession {
 public:
  WatchedSession(const std::string& dir, TSessionEnds& ends, const std::atomic<bool>& failDbName)
      : FSession(dir), FEnds(ends), FFailDbName(failDbName) {}
  ~WatchedSession() override {
    if (!FSession.InTransaction()) return;
    std::string line = "ended in a transaction on " + FSession.CurrentDb();
    try {
      const TDataPacket p = FSession.OpenSQL(u"select count(*) as n from CommonPosPtypeCheckNdx");
      line += " holding " + std::string(VarToStr(p.Rows.at(0).at(0))) + " bill headers";
    } catch (const std::exception& e) {
      line += std::string(" (") + e.what() + ")";
    }
    FEnds.Add(line);
  }
  void ConnectDb(const AnsiString& computer, const AnsiString& ip) override { FSession.ConnectDb(computer, ip); }
  void ChangeDb(const AnsiString& db) override { FSession.ChangeDb(db); }
  int ExecuteSQL(const WideString& sql) override { return FSession.ExecuteSQL(sql); }
  TDataPacket OpenSQL(const WideString& sql) override {
    if (FFailDbName && WideToGbk(sql).rfind("select DB_Name()", 0) == 0) throw Exception("DB_Name() is not available");
    return FSession.OpenSQL(sql);
  }
  int ExecuteProc(const AnsiString& name, const Variant& in, Variant& out) override {
    return FSession.ExecuteProc(name, in, out);
  }
  TDataPacket OpenProc(const AnsiString& name, const Variant& in) override { return FSession.OpenProc(name, in); }
  void TransactionController(int action) override { FSession.TransactionController(action); }
  bool InTransaction() const override { return FSession.InTransaction(); }

 private:
  StoreSession FSession;
  TSessionEnds& FEnds;
  const std::atomic<bool>& FFailDbName;
};

class UploadAndImportFailureTest : public testing::Test {
 protected:
  void SetUp() override {
    dir = (fs::temp_directory_path() / ("pos-pd-fail-" + std::to_string(::getpid()))).string();
    fs::remove_all(dir);
    MakeDemoStore(dir, DemoStoreOptions{40});
    StartServer();
    ASSERT_TRUE(posapp::ConnectDataModule(*module, "127.0.0.1", kDemoStoreDbName));
    LoadProcPrefix("PD");
  }
  void TearDown() override {
    posapp::ReleaseDataModule(1);
    listener.reset();
    fs::remove_all(dir);
  }
  void StartServer() {
    posserver::ServerOptions o;
    o.Port = 0;
    const std::string d = dir;
    TSessionEnds* e = &ends;
    const std::atomic<bool>* fail = &failDbName;
    listener = std::make_unique<posserver::Listener>(
        o, [d, e, fail] { return std::make_unique<WatchedSession>(d, *e, *fail); }, log);
    listener->Start();
    module = &posapp::EnsureDataModule(nullptr);
    module->cnZelvoEnt->SetPort(listener->Port());
  }
  // Ends every session (the client's too) and gives what they left open.
  std::vector<std::string> OpenAtTheEnd() {
    posapp::ReleaseDataModule(1);
    listener.reset();
    return ends.Open;
  }
  std::string Rows(const char* db, const std::string& sql) {
    store::SqliteDb file(dir + "/" + db + ".db", store::SqliteDb::OpenMode::ExistingFile);
    store::Statement st(file, sql);
    std::string out;
    while (st.Step()) {
      for (int i = 0; i < st.ColumnCount(); ++i) out += (i ? "|" : "") + st.ColumnText(i);
      out += "\n";
    }
    return out;
  }
  void Exec(const char* db, const char* sql) {
    store::SqliteDb file(dir + "/" + db + ".db", store::SqliteDb::OpenMode::ExistingFile);
    file.Exec(sql);
  }
  // A sheet with one line of the demo store's first goods with a barcode.
  TPdMemorySheet OneLine() {
    const std::string row = Rows("PosStore", "select PtypeId, ColorId, SizeId from Barcode where BarTypeId = '1' "
                                             "order by FullBarCode limit 1");
    TPdMemorySheet s;
    const size_t a = row.find('|'), b = row.find('|', a + 1);
    s.SetCell(pcGoodsId, 0, row.substr(0, a));
    s.SetCell(pcColorId, 0, row.substr(a + 1, b - a - 1));
    s.SetCell(pcSizeId, 0, row.substr(b + 1, row.size() - b - 2));
    s.SetCell(pcQty, 0, "1");
    return s;
  }
  TPdBillHeader Header(const char* warehouse) {
    return {warehouse, "00001", "2024-03-05", "0001", "U-1", "0001 2024-03-05 00001"};
  }
  TPdServers Servers() { return {"127.0.0.1", kDemoStoreDbName, "127.0.0.1", kDemoMainDbName}; }
  AnsiString WriteFile(const std::string& bytes) {
    const std::string path = dir + "/t.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::string dir;
  TSessionEnds ends;
  posserver::ServerLog log{posserver::ServerLog::Quiet};
  std::unique_ptr<posserver::Listener> listener;
  TfrmDataModule* module = nullptr;
  TRecordedMessages messages;
  std::atomic<bool> failDbName{false};
};

// The copy of a refused bill must be rolled back by the saver itself. Before, the only
// guard was that going home closed the connection and the server rolled back then: a
// connection that stayed open kept the copy in an open transaction on the main database.
TEST_F(UploadAndImportFailureTest, RegressionRefusedUploadRollsBackItsCopyItself) {
  TPdMemorySheet s = OneLine();
  TPdBillSaver saver(Servers(), messages, 0);
  EXPECT_EQ(saver.Save(s, Header("00003")), TSaveOutcome::Close);  // no preparation: -2
  EXPECT_EQ(messages.Texts(), AnsiString(kRefusedNoPrepare) + "\n" + kUploadFailed + "\n");
  EXPECT_EQ(OpenAtTheEnd(), std::vector<std::string>{});
  EXPECT_EQ(Rows("PosMain", "select count(*) from CommonPosPtypeCheckNdx"), "0\n");
  EXPECT_EQ(Rows("PosStore", "select IsUpSend from CommonPosPtypeCheckNdx"), "0\n");
}

// The reason of a failed copy used to be dropped: only "上传失败" was said.
TEST_F(UploadAndImportFailureTest, RegressionFailedUploadSaysWhy) {
  Exec("PosMain", "drop table CommonPosPtypeCheckList");
  TPdMemorySheet s = OneLine();
  TPdBillSaver saver(Servers(), messages, 0);
  EXPECT_EQ(saver.Save(s, Header("00001")), TSaveOutcome::Close);
  ASSERT_EQ(messages.Shown.size(), 1u);
  const AnsiString& text = messages.Shown[0].Text;
  const AnsiString head = AnsiString(kUploadFailed) + "\r\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_NE(text.find("CommonPosPtypeCheckList", head.size()), AnsiString::npos) << text;
  EXPECT_EQ(Rows("PosStore", "select IsUpSend from CommonPosPtypeCheckNdx"), "0\n");
  EXPECT_EQ(OpenAtTheEnd(), std::vector<std::string>{});
}

// The switch to the upload server reads the current database's name first. When that
// failed, the switch took the connection for "not at home" and went home, so that the
// copy and the main system's procedure ran on the store. The upload ends as failed
// instead, with the reason; the local bill stays unmarked, to be sent again, and nothing
// reaches the main database.
TEST_F(UploadAndImportFailureTest, RegressionUnreadableDatabaseNameFailsTheUpload) {
  TPdMemorySheet s = OneLine();
  TPdBillSaver saver(Servers(), messages, 0);
  failDbName = true;
  EXPECT_EQ(saver.Save(s, Header("00001")), TSaveOutcome::Close);
  EXPECT_EQ(messages.Texts(), AnsiString(kUploadFailed) + "\r\nDB_Name() is not available\n");
  EXPECT_GT(saver.LocalCheckCode(), 0);
  EXPECT_EQ(saver.UploadCode(), 0);
  EXPECT_EQ(Rows("PosStore", "select CheckCode, IsUpSend, ifnull(PdVchCode, 0), UpLoadPosVchCode from "
                             "CommonPosPtypeCheckNdx"),
            std::to_string(saver.LocalCheckCode()) + "|0|0|0\n");
  EXPECT_EQ(Rows("PosMain", "select count(*) from CommonPosPtypeCheckNdx"), "0\n");
  EXPECT_EQ(OpenAtTheEnd(), std::vector<std::string>{});
}

namespace {
class OneFile final : public pdimport::IPdFileChooser {
 public:
  explicit OneFile(AnsiString name) : FName(std::move(name)) {}
  bool Choose(AnsiString& FileName, bool) override {
    FileName = FName;
    return true;
  }

 private:
  AnsiString FName;
};
}  // namespace

// A NUL in the header used to reach the server, whose raw error ("unrecognized token")
// came up as an error box; a look-up that fails came up the same way.
TEST_F(UploadAndImportFailureTest, RegressionImportFailuresAreTheDialogsOwnMessages) {
  TScriptedChooser chooser;
  const struct {
    std::string bytes;
    bool serverDown;
    const char* message;
  } cases[] = {
      {std::string("\0~", 2), false, pdterminal::kNotTerminalFile},
      {std::string("001\0~x\r\n1~a~b~1\r\n", 17), false, pdterminal::kNotTerminalFile},
      {std::string("001~x\r\n1\0~a~b~1\r\n", 17), false, "盘点机文件第1行格式错误，不能导入！"},
      {"\xEF\xBB\xBF" "001~旗舰店仓库\r\n1~a~b~1\r\n", false, pdterminal::kNotTerminalFile},
      {"001~旗舰店仓库\r\n1~a~b~1\r\n", true, pdimport::kLookupFailed},
  };
  for (const auto& c : cases) {
    if (c.serverDown) listener.reset();
    messages.Shown.clear();
    OneFile file(WriteFile(c.bytes));
    pdimport::TPdTerminalDialog dialog(chooser, file, messages);
    dialog.BranchId = "00001";
    dialog.BillWarehouseId = "00001";
    EXPECT_FALSE(dialog.Import());
    EXPECT_EQ(messages.Texts(), AnsiString(c.message) + "\n");
    EXPECT_TRUE(dialog.Counts().empty());
    EXPECT_EQ(dialog.Log(), std::vector<AnsiString>{pdimport::kAnalysing});
  }
}

}  // namespace
