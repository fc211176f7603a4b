// Saving a stock-take bill when the answer of a commit is lost, over a fake of the
// server that keeps what each database committed: a commit can go through and then
// lose its answer with the connection, go unanswered without going through, or the
// connection can drop before the commit. What the next Save asks, stores and says.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPDSave.h"
#include "tests/app/PdTestDoubles.h"

using namespace pdbill;

namespace {

// The fake's databases: the CheckCodes and UpLoadPosVchCodes of the headers committed.
struct FakeStore {
  struct Header {
    int CheckCode;
    int UpLoadPosVchCode;
  };
  std::map<std::string, std::vector<Header>> Committed;  // by database
  std::vector<Header> Pending;                           // of the open transaction
  std::string Db = "hd";
  bool Connected = true;
  int Identity = 40;
  int Commits = 0;
  // The commit with this number (from 1) goes through and then loses its answer with the
  // connection; or goes unanswered without going through.
  int LoseAnswerOfCommit = 0;
  int FailCommit = 0;
  // A line insert with this number (from 1) loses the connection before anything commits.
  int DropOnLineInsert = 0;
  int LineInserts = 0;
  TDataPacket Next;
  std::vector<std::string> Calls;

  std::string Log() const {
    std::string s;
    for (const std::string& c : Calls) s += c + "\n";
    return s;
  }
  size_t Count(const char* db) { return Committed[db].size(); }
  void Drop() {
    Connected = false;
    Pending.clear();  // the server rolls an open transaction back when its client goes
  }
};

TDataPacket OneField(const char* name, const std::vector<AnsiString>& values) {
  TDataPacket p;
  p.Fields.push_back({name, ftString, 40});
  for (const AnsiString& v : values) p.Rows.push_back({Variant(v)});
  return p;
}

class StoreProvider final : public TCustomRemoteServer {
 public:
  explicit StoreProvider(FakeStore& store) : TCustomRemoteServer(nullptr), FStore(store) {}
  TDataPacket GetProviderPacket(const AnsiString&) override { return FStore.Next; }

 private:
  FakeStore& FStore;
};

class StoreLink final : public IAppServerLink {
 public:
  StoreLink(FakeStore& store, StoreProvider& provider) : FStore(store), FProvider(provider) {}
  bool Connected() const override { return FStore.Connected; }
  TCustomRemoteServer* ProviderServer() override { return &FProvider; }
  void ConnectDb(const AnsiString&, const AnsiString&) override {}
  void ChangeDb(AnsiString&) override {}
  Variant ExecuteProc(AnsiString& name, Variant&, Variant&) override {
    Call("proc " + name);
    return Variant(1234);
  }
  void OpenProc(AnsiString&, Variant&) override {}
  Variant ExecuteSQL(WideString& sql) override {
    const std::string text = WideToGbk(sql);
    Call(text.substr(0, text.find('(')));
    if (text.rfind("insert into CommonPosPtypeCheckList", 0) == 0 && ++FStore.LineInserts == FStore.DropOnLineInsert) {
      FStore.Drop();
      throw Exception("The application server closed the connection");
    }
    return Variant(1);
  }
  void OpenSQL(WideString& sql) override {
    const std::string text = WideToGbk(sql);
    if (text.rfind("select DB_Name()", 0) == 0) {
      Call("db?");
      FStore.Next = OneField("DbName", {AnsiString(FStore.Db)});
    } else if (text.rfind("insert into CommonPosPtypeCheckNdx", 0) == 0) {
      Call("header " + FStore.Db);
      const bool copy = text.find(", 0,0, ") == std::string::npos;
      const int local = copy ? std::stoi(text.substr(text.find(", 1, ") + 5)) : 0;
      FStore.Pending.push_back({++FStore.Identity, local});
      FStore.Next = OneField("CheckCode", {IntToStr(FStore.Identity)});
    } else if (text.rfind("select CheckCode from CommonPosPtypeCheckNdx", 0) == 0) {
      Call("ask " + FStore.Db + ": " + text.substr(text.find(" where ") + 7));
      const int local = std::stoi(text.substr(text.rfind('=') + 1));
      std::vector<AnsiString> found;
      for (const FakeStore::Header& h : FStore.Committed[FStore.Db])
        if (h.UpLoadPosVchCode == local) found.push_back(IntToStr(h.CheckCode));
      FStore.Next = OneField("CheckCode", found);
    } else {
      Call("OpenSQL " + text);
    }
  }
  void TransactionController(int action) override {
    Call("trans " + std::to_string(action));
    if (action == 0) FStore.Pending.clear();
    if (action == 2) FStore.Pending.clear();
    if (action != 1) return;
    ++FStore.Commits;
    if (FStore.Commits == FStore.FailCommit) {
      FStore.Drop();
      throw Exception("The application server closed the connection");
    }
    auto& db = FStore.Committed[FStore.Db];
    db.insert(db.end(), FStore.Pending.begin(), FStore.Pending.end());
    FStore.Pending.clear();
    if (FStore.Commits == FStore.LoseAnswerOfCommit) {
      FStore.Drop();
      throw Exception("The application server closed the connection");
    }
  }

 private:
  void Call(const std::string& what) {
    if (!FStore.Connected) throw Exception("The connection to the application server is not open");
    FStore.Calls.push_back(what);
  }
  FakeStore& FStore;
  StoreProvider& FProvider;
};

class SaveLostAnswerTest : public testing::Test {
 protected:
  void SetUp() override {
    provider = std::make_unique<StoreProvider>(store);
    posapp::EnsureDataModule(nullptr).SetLink(std::make_unique<StoreLink>(store, *provider));
    DataModule->cnZelvoEnt->SetHost("h");
    sheet.SetCell(pcGoodsId, 0, "G1");
    sheet.SetCell(pcQty, 0, "2");
    sheet.AddRow();
    sheet.SetCell(pcGoodsId, 1, "G2");
    sheet.SetCell(pcQty, 1, "1");
  }
  void TearDown() override { delete DataModule; }

  // A saver whose connections reach the fake: the server text is kept, the database
  // becomes the current one.
  std::unique_ptr<TPdBillSaver> Saver(const char* uploadServer) {
    TPdConnect connect = [this](TfrmDataModule& m, const AnsiString& server, const AnsiString& db) {
      store.Calls.push_back("connect " + server + " " + db);
      m.cnZelvoEnt->SetHost(server);
      store.Db = db;
      store.Connected = true;
      return true;
    };
    return std::make_unique<TPdBillSaver>(TPdServers{"h", "hd", uploadServer, *uploadServer ? "ud" : ""}, messages,
                                          0, connect);
  }

  FakeStore store;
  std::unique_ptr<StoreProvider> provider;
  TRecordedMessages messages;
  TPdMemorySheet sheet;
  const TPdBillHeader header{"00001", "00001", "2026-12-07", "0001", "U'1", "0001 2026-12-07 00003"};
  const std::string askHome = "ask hd: UniqueID = 'U''1' and PDNumber = '0001 2026-12-07 00003' and UpLoadPosVchCode = 0";
};

const char* kStoreOnce = "header hd\ninsert into CommonPosPtypeCheckList\ntrans 1\n";

}  // namespace

// The commit went through and its answer was lost with the connection: reported as
// possibly saved; the next Save connects home again, finds the bill and counts it saved
// (no second copy, the form closes); a Save after that sends nothing. Before, the
// connection stayed closed, every later Save failed, and a Save that could reach the
// store stored the bill a second time.
TEST_F(SaveLostAnswerTest, LostAnswerOfACommitThatWentThroughCountsAsSavedOnTheNextSave) {
  store.LoseAnswerOfCommit = 1;
  auto saver = Saver("");
  EXPECT_EQ(saver->Save(sheet, header), TSaveOutcome::Locked);
  ASSERT_EQ(messages.Shown.size(), 1u);
  EXPECT_EQ(messages.Shown[0].Text, AnsiString(kSaveFailed) + "\r\nThe application server closed the connection\r\n" +
                                        kSaveUnknown + "\r\n" + kSaveLocked);
  EXPECT_EQ(messages.Shown[0].Caption, kCaptionError);
  EXPECT_EQ(saver->LocalCheckCode(), 0);
  EXPECT_EQ(store.Count("hd"), 1u);

  store.Calls.clear();
  messages.Shown.clear();
  EXPECT_EQ(saver->Save(sheet, header), TSaveOutcome::Close);
  EXPECT_EQ(store.Log(), "connect h hd\n" + askHome + "\n");
  EXPECT_EQ(messages.Texts(), AnsiString(kSavedLocally) + "\n");
  EXPECT_EQ(saver->LocalCheckCode(), 41);
  EXPECT_EQ(store.Count("hd"), 1u);

  store.Calls.clear();
  EXPECT_EQ(saver->Save(sheet, header), TSaveOutcome::Close);
  EXPECT_EQ(store.Log(), "");
}

// Found after a lost answer, the bill goes on to the upload server as after any save,
// and the local header is marked with the main system's code.
TEST_F(SaveLostAnswerTest, BillFoundAfterALostAnswerIsUploaded) {
  store.LoseAnswerOfCommit = 1;
  auto saver = Saver("u");
  EXPECT_EQ(saver->Save(sheet, header), TSaveOutcome::Locked);
  store.Calls.clear();
  messages.Shown.clear();
  EXPECT_EQ(saver->Save(sheet, header), TSaveOutcome::Close);
  EXPECT_EQ(store.Log(), "connect h hd\n" + askHome +
                             "\ndb?\nconnect u ud\ntrans 0\nheader ud\ninsert into CommonPosPtypeCheckList\n"
                             "proc Pos_J2_PosPdtoMainProPd\ntrans 1\nconnect h hd\n"
                             "update CommonPosPtypeCheckNdx set IsUpSend = 1, PdVchCode = 1234 where CheckCode = 41\n");
  EXPECT_EQ(messages.Texts(), AnsiString(kSaved) + "\n");
  EXPECT_EQ(store.Count("hd"), 1u);
  ASSERT_EQ(store.Count("ud"), 1u);
  EXPECT_EQ(store.Committed["ud"][0].UpLoadPosVchCode, 41);
}

// A commit that went unanswered without going through: the next Save asks, does not
// find the bill, and stores it once. A connection lost before the commit was sent rolled
// the transaction back: the next Save connects again and stores the bill without asking.
// A home server that cannot be reached again is said, and nothing is sent.
TEST_F(SaveLostAnswerTest, BillNotStoredIsStoredOnceByTheNextSave) {
  store.FailCommit = 1;
  auto saver = Saver("");
  EXPECT_EQ(saver->Save(sheet, header), TSaveOutcome::Locked);
  EXPECT_EQ(store.Count("hd"), 0u);
  store.Calls.clear();
  EXPECT_EQ(saver->Save(sheet, header), TSaveOutcome::Close);
  EXPECT_EQ(store.Log(), "connect h hd\n" + askHome + "\ntrans 0\n" + kStoreOnce);
  EXPECT_EQ(store.Count("hd"), 1u);
  EXPECT_EQ(saver->LocalCheckCode(), 42);  // the first header was rolled back

  store = FakeStore();
  store.DropOnLineInsert = 1;
  messages.Shown.clear();
  auto second = Saver("");
  EXPECT_EQ(second->Save(sheet, header), TSaveOutcome::Stay);
  ASSERT_EQ(messages.Shown.size(), 1u);
  EXPECT_EQ(messages.Shown[0].Text, AnsiString(kSaveFailed) + "\r\nThe application server closed the connection");
  store.Calls.clear();
  messages.Shown.clear();
  EXPECT_EQ(second->Save(sheet, header), TSaveOutcome::Close);
  EXPECT_EQ(store.Log(), std::string("connect h hd\ntrans 0\n") + kStoreOnce);
  EXPECT_EQ(store.Count("hd"), 1u);
  EXPECT_EQ(messages.Texts(), AnsiString(kSavedLocally) + "\n");

  store.Drop();
  store.Calls.clear();
  messages.Shown.clear();
  TPdBillSaver third(TPdServers{"down", "hd", "", ""}, messages, 0,
                     [this](TfrmDataModule&, const AnsiString& server, const AnsiString& db) {
                       store.Calls.push_back("connect " + server + " " + db);
                       return false;
                     });
  EXPECT_EQ(third.Save(sheet, header), TSaveOutcome::Stay);
  EXPECT_EQ(store.Log(), "connect down hd\n");
  EXPECT_EQ(messages.Texts(), "无法连接到服务器down的数据库hd。\n");
  EXPECT_EQ(store.Count("hd"), 1u);
}

// While the local save is in doubt every Save that does not settle it answers Locked, so
// that the screen lets nothing on the bill change: one that cannot reach home, one whose
// question fails. A Save that asks, does not find the bill, and then fails before its
// commit has settled it (nothing is stored): the bill may change again. Before, the
// screen stayed editable after a save in doubt, and a change made then was dropped when
// the next Save found the first version in the store.
TEST_F(SaveLostAnswerTest, RegressionABillInDoubtStaysLockedUntilASaveSettlesIt) {
  store.FailCommit = 1;
  store.DropOnLineInsert = 2;
  bool reachable = true;
  TPdBillSaver saver(TPdServers{"h", "hd", "", ""}, messages, 0,
                     [this, &reachable](TfrmDataModule& m, const AnsiString& server, const AnsiString& db) {
                       store.Calls.push_back("connect " + server + " " + db);
                       if (!reachable) return false;
                       m.cnZelvoEnt->SetHost(server);
                       store.Db = db;
                       store.Connected = true;
                       return true;
                     });
  std::string seen;
  auto save = [&] {
    messages.Shown.clear();
    store.Calls.clear();
    const TSaveOutcome o = saver.Save(sheet, header);
    seen += (o == TSaveOutcome::Locked ? "locked: " : o == TSaveOutcome::Stay ? "stay: " : "close: ") +
            std::string(messages.Texts()) + "  " + store.Log();
  };
  save();
  reachable = false;
  save();
  reachable = true;
  save();
  save();
  EXPECT_EQ(seen, std::string("locked: ") + kSaveFailed + "\r\nThe application server closed the connection\r\n" +
                      kSaveUnknown + "\r\n" + kSaveLocked + "\n  trans 0\n" + kStoreOnce +
                      "locked: 无法连接到服务器h的数据库hd。\n  connect h hd\n"
                      "stay: " + kSaveFailed + "\r\nThe application server closed the connection\n  connect h hd\n" +
                      askHome + "\ntrans 0\nheader hd\ninsert into CommonPosPtypeCheckList\n"
                      "close: " + kSavedLocally + "\n  connect h hd\ntrans 0\n" + kStoreOnce);
  EXPECT_EQ(store.Count("hd"), 1u);
}

// The upload's commit loses its answer: the main database is asked for the copy (the
// local CheckCode as its UpLoadPosVchCode). Found, the upload went through and the local
// bill is marked; not found, the upload failed and the local bill stays unmarked, to be
// sent again. Before, a copy that went through counted as failed, so the bill was left
// to be sent a second time.
TEST_F(SaveLostAnswerTest, UploadWhoseAnswerWasLostAsksTheMainDatabase) {
  store.LoseAnswerOfCommit = 2;
  auto saver = Saver("u");
  EXPECT_EQ(saver->Save(sheet, header), TSaveOutcome::Close);
  EXPECT_EQ(store.Log(), std::string("trans 0\n") + kStoreOnce +
                             "db?\nconnect u ud\ntrans 0\nheader ud\ninsert into CommonPosPtypeCheckList\n"
                             "proc Pos_J2_PosPdtoMainProPd\ntrans 1\nconnect u ud\n"
                             "ask ud: UniqueID = 'U''1' and PDNumber = '0001 2026-12-07 00003' and UpLoadPosVchCode = "
                             "41\nconnect h hd\n"
                             "update CommonPosPtypeCheckNdx set IsUpSend = 1, PdVchCode = 1234 where CheckCode = 41\n");
  EXPECT_EQ(messages.Texts(), AnsiString(kSaved) + "\n");
  EXPECT_EQ(saver->UploadCode(), 1234);
  EXPECT_EQ(store.Count("ud"), 1u);

  store = FakeStore();
  store.FailCommit = 2;
  messages.Shown.clear();
  auto second = Saver("u");
  EXPECT_EQ(second->Save(sheet, header), TSaveOutcome::Close);
  EXPECT_EQ(messages.Texts(), AnsiString(kUploadFailed) + "\r\nThe application server closed the connection\n");
  EXPECT_EQ(second->UploadCode(), 0);
  EXPECT_EQ(store.Count("ud"), 0u);
  EXPECT_EQ(store.Calls.back(), "connect h hd");
  EXPECT_NE(store.Log().find("ask ud: "), std::string::npos);
}
