// The stock-take bill screen end to end when the answer of a commit is lost: the real
// DLL, loaded as the host loads it, reaches the stand-in server of the test fixture
// through a relay in this program (its port handed to the DLL in POS_SERVER_PORT). The
// relay passes every frame on; armed, it lets a commit reach the server, reads the
// server's answer, and then drops both ends instead of passing the answer on, as a
// connection that fails right after the commit. A thread timer plays the user with
// posted keys and clicks: the warehouse chosen in the selection dialog, a barcode
// scanned, Save pressed, the message boxes read and answered. The store and the main
// database are then asked for the bill.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPDManger.h"
#include "app/uSelectBasic.h"
#include "net/Frame.h"
#include "net/Messages.h"
#include "net/Socket.h"
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "tests/app/e2e/PluginHostTest.h"
#include "tests/app/pd/PdScreenDriver.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowFinder.h"

namespace {

using namespace pdtest;
using pdtest::Screen;  // the stock-take screen, not the framework's Screen object

// The relay between the screen and the stand-in server.
class CommitRelay {
 public:
  explicit CommitRelay(uint16_t serverPort) : FServerPort(serverPort) {
    FListen = posnet::ListenTcp("127.0.0.1", 0, 8);
    FAccepting = std::thread([this] { Accept(); });
  }
  ~CommitRelay() {
    FStop = true;
    FAccepting.join();
    std::lock_guard<std::mutex> lock(FLock);
    for (auto& l : FLinks) l->Close();
    for (auto& l : FLinks) l->Join();
  }
  uint16_t Port() const { return FListen->Port(); }
  // The Nth commit from now (1: the next) goes through and its answer is dropped with
  // the connection.
  void DropAnswerOfCommit(int n) {
    FCommitsSeen = 0;
    FDropAt = n;
  }
  int CommitsSeen() const { return FCommitsSeen; }
  int Drops() const { return FDrops; }

 private:
  struct Link {
    std::unique_ptr<posnet::Socket> Client, Server;
    std::thread Up, Down;
    std::atomic<bool> DropNextAnswer{false};
    void Close() {
      Client->Shutdown();
      Server->Shutdown();
    }
    void Join() {
      if (Up.joinable()) Up.join();
      if (Down.joinable()) Down.join();
    }
  };

  void Accept() {
    while (!FStop) {
      std::unique_ptr<posnet::Socket> client = FListen->Accept(100);
      if (!client) continue;
      auto link = std::make_unique<Link>();
      link->Client = std::move(client);
      try {
        link->Server = posnet::ConnectTcp("127.0.0.1", FServerPort, 5000);
      } catch (const std::exception&) {
        continue;
      }
      Link* l = link.get();
      l->Up = std::thread([this, l] { Pass(*l, true); });
      l->Down = std::thread([this, l] { Pass(*l, false); });
      std::lock_guard<std::mutex> lock(FLock);
      FLinks.push_back(std::move(link));
    }
  }

  // Passes frames one way until either end goes.
  void Pass(Link& l, bool up) {
    posnet::Socket& from = up ? *l.Client : *l.Server;
    posnet::Socket& to = up ? *l.Server : *l.Client;
    try {
      posnet::Frame f;
      while (posnet::ReceiveFrame(from, f, -1, 15000)) {
        if (up && IsCommit(f) && ++FCommitsSeen == FDropAt) l.DropNextAnswer = true;
        if (!up && l.DropNextAnswer) {
          // The commit went through on the server; its answer never arrives.
          ++FDrops;
          l.Close();
          return;
        }
        posnet::WireWriter w = posnet::NewFrame();
        w.Bytes(f.Payload.data(), f.Payload.size());
        posnet::SendFrame(to, static_cast<posnet::MessageKind>(f.Kind), w, 5000);
      }
    } catch (const std::exception&) {
    }
    l.Close();
  }

  static bool IsCommit(const posnet::Frame& f) {
    if (f.Kind != static_cast<uint16_t>(posnet::MessageKind::Call)) return false;
    const posnet::CallMessage call = posnet::ReadCall(f.Payload, posnet::RequestLimits());
    return SameText(call.Method, "TransactionController") && call.Args.size() == 1 &&
           call.Args[0].Value.AsInteger() == 1;
  }

  const uint16_t FServerPort;
  std::unique_ptr<posnet::ListenSocket> FListen;
  std::thread FAccepting;
  std::atomic<bool> FStop{false};
  std::atomic<int> FCommitsSeen{0}, FDropAt{0}, FDrops{0};
  std::mutex FLock;
  std::list<std::unique_ptr<Link>> FLinks;
};

// Plays the steps, one try each 60 ms tick, while the screen runs modally; after a
// minute whatever is open is closed, so that a box nobody answers fails the test instead
// of hanging it. The last step of a walk waits for the screen to close: the open call
// returns when it closes, and no tick comes after that.
class ScriptedUser : public postest::ScriptedUser {
 public:
  explicit ScriptedUser(std::vector<Step> steps) : postest::ScriptedUser(std::move(steps), {nullptr, &CloseTopLayer}) {}
  bool Finished() const { return FinishedButTheLast(); }
};
using postest::Then;

// Waits for a message box, records its caption and text, and presses OK.
Step AnswerBox(std::vector<std::string>& seen) {
  return [&seen] {
    std::string text;
    HWND box = OpenBox(text);
    if (!box) return false;
    seen.push_back(text);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  };
}

// The last step: waits for the screen to close. A box still met (a question about
// unsaved data on leaving, say) is recorded and answered Yes or OK, so that the screen
// goes.
Step ScreenCloses(std::vector<std::string>& seen) {
  return [&seen] {
    std::string text;
    if (HWND box = OpenBox(text)) {
      seen.push_back(text);
      ::PostMessageW(box, WM_COMMAND, ::GetDlgItem(box, IDYES) ? IDYES : IDOK, 0);
    }
    return false;
  };
}

// A step that does F once and waits Ticks ticks; a message box or a dialog met meanwhile
// (none is expected) is recorded with its text and closed.
Step Attempt(std::function<void()> f, std::vector<std::string>& unexpected, int ticks = 4) {
  auto left = std::make_shared<int>(-1);
  return [f, ticks, left, &unexpected] {
    std::string text;
    if (HWND box = OpenBox(text)) {
      unexpected.push_back(text);
      ::PostMessageW(box, WM_COMMAND, ::GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK, 0);
      return false;
    }
    for (const char* dialog : {"仓库", "商品", "盘点机信息导入导出"}) {
      if (HWND d = FindTopLevel(nullptr, Utf16(dialog))) {
        unexpected.push_back(std::string("dialog ") + dialog);
        ::PostMessageW(d, WM_CLOSE, 0, 0);
        return false;
      }
    }
    if (*left < 0) {
      f();
      *left = ticks;
    }
    return (*left)-- == 0;
  };
}

// Mouse messages as a click (and, with Double, a double-click) sends them at the middle
// of a cell of the bill's grid.
void ClickCell(int col, int row, bool Double = false) {
  TDressGrid* g = ScreenObject()->grdPd;
  const TRect r = g->CellRect(col, row);
  const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  ::PostMessageW(g->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(g->Handle(), WM_LBUTTONUP, 0, at);
  if (!Double) return;
  ::PostMessageW(g->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  ::PostMessageW(g->Handle(), WM_LBUTTONUP, 0, at);
}

// What the screen shows of the bill: code, name and quantity of each line, the total.
std::string ShownLines() {
  TfrmpdManger* f = ScreenObject();
  std::string s;
  for (int r = 2; r < f->grdPd->RowCount(); ++r)
    s += f->grdPd->Cells(2, r) + "," + f->grdPd->Cells(3, r) + "," + f->grdPd->Cells(8, r) + ";";
  return s + " " + f->lblPdQtyCount->Caption();
}

// What of the screen takes input: the grid's editor, the warehouse box, the terminal
// button, Save.
std::string ShownState() {
  TfrmpdManger* f = ScreenObject();
  TInplaceEdit* ed = f->grdPd->InplaceEditor();
  return std::string(f->BillLocked() ? "locked" : "open") + (ed && ed->Visible() ? " editor" : " no editor") +
         (f->edtStock->Enabled() ? " warehouse" : " no warehouse") + (f->btnCheckIn->Enabled() ? " import" : " no import") +
         (f->btnSave->Enabled() ? " save" : " no save");
}

// The |-separated fields of a one-line answer (its line end dropped).
std::vector<std::string> Fields(std::string line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  std::vector<std::string> fields;
  for (size_t at = 0;;) {
    const size_t end = line.find('|', at);
    fields.push_back(line.substr(at, end - at));
    if (end == std::string::npos) return fields;
    at = end + 1;
  }
}

class PdSaveLostAnswerE2eTest : public PluginHostTest {
 protected:
  void SetUp() override {
    const char* port = std::getenv("POS_SERVER_PORT");
    ASSERT_NE(port, nullptr);
    serverPort = static_cast<uint16_t>(std::atoi(port));
    relay = std::make_unique<CommitRelay>(serverPort);
    // The plug-in's data module reads the port when it is made: none may be left over.
    plugin->ClosePDManger(1);
    SetPort(relay->Port());
  }
  void TearDown() override {
    plugin->ClosePDManger(1);
    SetPort(serverPort);
    relay.reset();
    posapp::ReleaseDataModule(1);
  }
  static void SetPort(uint16_t port) {
    const std::string setting = "POS_SERVER_PORT=" + std::to_string(port);
    _putenv(setting.c_str());
  }
  static int32_t OpenPd(const char* uniqueId) {
    posapp::THostString reserved = posapp::THostString::Constant(""), op("00001"), branch("00001"),
                        unique(uniqueId), pos("0001"), srv("127.0.0.1"), db("PosStore"), up("127.0.0.1"),
                        upDb("PosMain");
    return plugin->OpenPDManger(Handle(), reserved.Data(), op.Data(), branch.Data(), unique.Data(), pos.Data(),
                                srv.Data(), db.Data(), up.Data(), upDb.Data());
  }
  // The rows of a query on the fixture's database, straight to the server, one a line.
  std::string Query(const char* db, const std::string& sql, const char* field) {
    TfrmDataModule& m = posapp::EnsureDataModule(nullptr);
    m.cnZelvoEnt->SetPort(serverPort);
    if (!posapp::ConnectDataModule(m, "127.0.0.1", db)) return "<no connection>";
    TClientDataSet ds(nullptr);
    std::string out;
    OpenSQLData(GbkToWide(sql), &ds);
    for (ds.First(); !ds.Eof(); ds.Next()) out += ds.FieldByName(field)->AsString() + "\n";
    return out;
  }
  // A full barcode of goods that no draft bill of warehouse 00001 on the main database
  // holds yet (the main system refuses goods counted twice in a day), from the end of
  // the list: the other walks count goods from its start.
  std::string FreshBarcode() {
    const std::string drafted = "\n" + Query("PosMain",
                                              "select distinct d.PtypeId from PdBillDetail d join PdBillNdx n on "
                                              "n.BillCode = d.BillCode where n.Draft = 1 and n.KtypeId = '00001'",
                                              "PtypeId");
    const std::string rows = Query("PosStore",
                                   "select FullBarCode || '|' || PtypeId as b from PosBarCodeView where BarTypeId = "
                                   "'1' order by FullBarCode desc",
                                   "b");
    for (size_t at = 0; at < rows.size();) {
      const size_t end = rows.find('\n', at);
      const std::vector<std::string> b = Fields(rows.substr(at, end - at));
      if (b.size() == 2 && drafted.find("\n" + b[1] + "\n") == std::string::npos) return b[0];
      at = end + 1;
    }
    return "<none>";
  }
  // The walk up to Save: the warehouse 00001 chosen in the selection dialog by a click
  // on its row and Enter, one goods scanned.
  static std::vector<Step> Count(const std::string& barcode) {
    return {
        OpenWarehouses(),
        ClickWarehouse("00001"),
        Then([] { Press(VK_RETURN); }),
        BackInTheGrid(),
        Then([barcode] { Type(barcode); }),
        Then([] { Press(VK_RETURN); }),
    };
  }
  static Step PressSave() {
    return Then([] { ::PostMessageW(ScreenObject()->btnSave->Handle(), BM_CLICK, 0, 0); }, 0);
  }
  // The lines stored under a CheckCode: "PtypeID|Qty", one a line.
  std::string Lines(const char* db, const std::string& checkCode) {
    return Query(db,
                 "select PtypeID || '|' || Qty as l from CommonPosPtypeCheckList where CheckCode = " + checkCode +
                     " order by PtypeID",
                 "l");
  }
  // Headers of the bill: "CheckCode|IsUpSend|PdVchCode|UpLoadPosVchCode", one a line.
  std::string Headers(const char* db, const std::string& uniqueId) {
    return Query(db,
                 std::string("select CheckCode || '|' || IsUpSend || '|' || ifnull(PdVchCode, 0) || '|' || "
                             "UpLoadPosVchCode as h from CommonPosPtypeCheckNdx where UniqueID = '") +
                     uniqueId + "' order by CheckCode",
                 "h");
  }

  uint16_t serverPort = 0;
  std::unique_ptr<CommitRelay> relay;
};

}  // namespace

// The save's commit reaches the store and its answer is lost: the screen says the save
// failed and that the bill may be stored; the next Save connects again, finds the bill,
// stores no second copy, uploads it and says it was saved; the screen then closes
// without asking about unsaved data. Before, every later Save failed on the closed
// connection, and leaving asked about unsaved data although the store held the bill.
TEST_F(PdSaveLostAnswerE2eTest, NextSaveAfterALostCommitAnswerFindsTheBillAndUploadsIt) {
  std::vector<std::string> boxes, afterwards;
  std::vector<Step> steps = Count(FreshBarcode());
  steps.push_back(Then([this] { relay->DropAnswerOfCommit(1); }, 0));
  steps.push_back(PressSave());
  steps.push_back(AnswerBox(boxes));
  steps.push_back(PressSave());
  steps.push_back(AnswerBox(boxes));
  steps.push_back(ScreenCloses(afterwards));
  ScriptedUser user(steps);
  const std::string id = "E2E-LOST-1-" + std::to_string(::GetCurrentProcessId());
  EXPECT_GT(OpenPd(id.c_str()), 0);
  EXPECT_TRUE(user.Finished()) << user.Where();
  EXPECT_EQ(relay->Drops(), 1);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].substr(0, std::string("错误: 盘点单保存失败！").size()), "错误: 盘点单保存失败！") << boxes[0];
  EXPECT_NE(boxes[0].find("盘点单可能已经保存"), std::string::npos) << boxes[0];
  EXPECT_EQ(boxes[1], "提示: 盘点单保存成功！");
  EXPECT_EQ(afterwards, std::vector<std::string>{});

  const std::string local = Headers("PosStore", id);
  ASSERT_EQ(std::count(local.begin(), local.end(), '\n'), 1) << local;
  const std::vector<std::string> h = Fields(local);
  EXPECT_EQ(h[1], "1");
  EXPECT_GT(std::stoi(h[2]), 0);
  EXPECT_EQ(Query("PosStore", "select count(*) as n from CommonPosPtypeCheckList where CheckCode = " + h[0], "n"),
            "1\n");
  const std::string copy = Headers("PosMain", id);
  ASSERT_EQ(std::count(copy.begin(), copy.end(), '\n'), 1) << copy;
  const std::vector<std::string> c = Fields(copy);
  EXPECT_EQ(c[1] + "|" + c[2] + "|" + c[3], "1|" + h[2] + "|" + h[0]);
}

// The upload's commit reaches the main database and its answer is lost: the main
// database is asked for the copy, finds it, and the local bill is marked with the main
// system's code; the screen says the bill was saved. Before, the upload counted as
// failed and the local bill was left unmarked, to be sent a second time.
TEST_F(PdSaveLostAnswerE2eTest, UploadWhoseCommitAnswerWasLostCountsAsUploaded) {
  std::vector<std::string> boxes, afterwards;
  std::vector<Step> steps = Count(FreshBarcode());
  steps.push_back(Then([this] { relay->DropAnswerOfCommit(2); }, 0));
  steps.push_back(PressSave());
  steps.push_back(AnswerBox(boxes));
  steps.push_back(ScreenCloses(afterwards));
  ScriptedUser user(steps);
  const std::string id = "E2E-LOST-2-" + std::to_string(::GetCurrentProcessId());
  EXPECT_GT(OpenPd(id.c_str()), 0);
  EXPECT_TRUE(user.Finished()) << user.Where();
  EXPECT_EQ(relay->Drops(), 1);
  EXPECT_EQ(boxes, std::vector<std::string>{"提示: 盘点单保存成功！"});
  EXPECT_EQ(afterwards, std::vector<std::string>{});

  const std::string local = Headers("PosStore", id);
  ASSERT_EQ(std::count(local.begin(), local.end(), '\n'), 1) << local;
  const std::vector<std::string> h = Fields(local);
  EXPECT_EQ(h[1], "1");
  EXPECT_GT(std::stoi(h[2]), 0);
  const std::string copy = Headers("PosMain", id);
  ASSERT_EQ(std::count(copy.begin(), copy.end(), '\n'), 1) << copy;
  const std::vector<std::string> c = Fields(copy);
  EXPECT_EQ(c[1] + "|" + c[2] + "|" + c[3], "1|" + h[2] + "|" + h[0]);
}

// After a save in doubt the bill is locked until Save settles it: a count typed over its
// quantity, a scan, a double-click on its name, the warehouse box and the terminal
// button change nothing; the failure message says so; Save then finds the first version
// in the store and uploads it, and the store and the main database hold exactly the bill
// the screen showed. Before, the bill stayed editable: the changes were lost in the store
// (the first version counted as saved) while the upload sent them.
TEST_F(PdSaveLostAnswerE2eTest, RegressionABillInDoubtTakesNoChangeUntilSaveSettlesIt) {
  std::vector<std::string> boxes, unexpected, afterwards;
  std::string counted, locked, tried, lockedState, triedState;
  const std::string barcode = FreshBarcode();
  std::vector<Step> steps = Count(barcode);
  steps.push_back(Then([&counted] { counted = ShownLines() + " | " + ShownState(); }, 0));
  steps.push_back(Then([this] { relay->DropAnswerOfCommit(1); }, 0));
  steps.push_back(PressSave());
  steps.push_back(AnswerBox(boxes));
  steps.push_back(Attempt(
      [&] {
        locked = ShownLines();
        lockedState = ShownState();
        SaveScreenshot(ScreenObject(), POS_BINARY_DIR "/pd-locked.png");
      },
      unexpected, 0));
  // A count typed over the line's quantity, Enter.
  steps.push_back(Attempt([] { ClickCell(8, 2); }, unexpected));
  steps.push_back(Attempt([] { Type("7"); }, unexpected));
  steps.push_back(Attempt([] { Press(VK_RETURN); }, unexpected));
  // The same goods scanned on the entry row, and on the line itself.
  steps.push_back(Attempt([] { ClickCell(3, 3); }, unexpected));
  steps.push_back(Attempt([barcode] { Type(barcode); }, unexpected));
  steps.push_back(Attempt([] { Press(VK_RETURN); }, unexpected));
  steps.push_back(Attempt([] { Press(VK_UP); }, unexpected));
  steps.push_back(Attempt([barcode] { Type(barcode); }, unexpected));
  steps.push_back(Attempt([] { Press(VK_RETURN); }, unexpected));
  // Delete and Backspace on the line's name; a double-click on it.
  steps.push_back(Attempt([] { Press(VK_DELETE); }, unexpected));
  steps.push_back(Attempt([] { Press(VK_BACK); }, unexpected));
  steps.push_back(Attempt([] { ClickCell(3, 2, true); }, unexpected));
  // The warehouse box, the terminal dialog's button (also by its Alt key).
  steps.push_back(Attempt([] { ClickCell(3, 2); }, unexpected));
  steps.push_back(Attempt(
      [] {
        HWND e = ScreenObject()->edtStock->Handle();
        ::PostMessageW(e, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageW(e, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ::PostMessageW(e, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageW(e, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
      },
      unexpected, 8));
  steps.push_back(Attempt([] { ::PostMessageW(ScreenObject()->btnCheckIn->Handle(), BM_CLICK, 0, 0); }, unexpected, 8));
  steps.push_back(Attempt(
      [] {
        ClickCell(3, 2);
        HWND to = ScreenObject()->grdPd->Handle();
        ::PostMessageW(to, WM_SYSKEYDOWN, 'M', 1 | (1 << 29));
        ::PostMessageW(to, WM_SYSKEYUP, 'M', 1 | (1 << 29) | (3u << 30));
      },
      unexpected, 8));
  steps.push_back(Attempt([&] { tried = ShownLines(); triedState = ShownState(); }, unexpected, 0));
  // Save by its Alt key, from the grid.
  steps.push_back(Then(
      [] {
        ClickCell(3, 2);
        HWND to = ScreenObject()->grdPd->Handle();
        ::PostMessageW(to, WM_SYSKEYDOWN, 'S', 1 | (1 << 29));
        ::PostMessageW(to, WM_SYSKEYUP, 'S', 1 | (1 << 29) | (3u << 30));
      },
      0));
  steps.push_back(AnswerBox(boxes));
  steps.push_back(ScreenCloses(afterwards));
  ScriptedUser user(steps);
  const std::string id = "E2E-LOST-3-" + std::to_string(::GetCurrentProcessId());
  EXPECT_GT(OpenPd(id.c_str()), 0);
  EXPECT_TRUE(user.Finished()) << user.Where();
  EXPECT_EQ(relay->Drops(), 1);
  ASSERT_EQ(boxes.size(), 2u);
  const std::string failed = "错误: 盘点单保存失败！";
  EXPECT_EQ(boxes[0].substr(0, failed.size()), failed) << boxes[0];
  EXPECT_NE(boxes[0].find("盘点单可能已经保存"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find("核对之前盘点单不能修改，只能再按保存或者退出。"), std::string::npos) << boxes[0];
  EXPECT_EQ(boxes[1], "提示: 盘点单保存成功！");
  EXPECT_EQ(unexpected, std::vector<std::string>{});
  EXPECT_EQ(afterwards, std::vector<std::string>{});

  // The screen: the counted bill, unchanged by every attempt, locked.
  EXPECT_EQ(counted.substr(counted.find(" | ")), " | open editor warehouse import save");
  EXPECT_EQ(locked, counted.substr(0, counted.find(" | ")));
  EXPECT_EQ(tried, locked);
  EXPECT_EQ(lockedState, "locked no editor no warehouse no import save");
  EXPECT_EQ(triedState, lockedState);
  const std::string oneLine = ",1;,,; 盘点数量合计 : 1";  // the line counted once, the entry row
  ASSERT_GT(locked.size(), oneLine.size()) << locked;
  EXPECT_EQ(locked.substr(locked.size() - oneLine.size()), oneLine) << locked;

  // The store and the main database: that bill, once.
  const std::string local = Headers("PosStore", id);
  ASSERT_EQ(std::count(local.begin(), local.end(), '\n'), 1) << local;
  const std::vector<std::string> h = Fields(local);
  EXPECT_EQ(h[1], "1");
  EXPECT_GT(std::stoi(h[2]), 0);
  const std::string lines = Lines("PosStore", h[0]);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
  EXPECT_EQ(lines.substr(lines.find('|')), "|1\n") << lines;
  const std::string copy = Headers("PosMain", id);
  ASSERT_EQ(std::count(copy.begin(), copy.end(), '\n'), 1) << copy;
  const std::vector<std::string> c = Fields(copy);
  EXPECT_EQ(c[1] + "|" + c[2] + "|" + c[3], "1|" + h[2] + "|" + h[0]);
  EXPECT_EQ(Lines("PosMain", c[0]), lines);
}

// A bill in doubt can be left: Esc in its grid asks about the unsaved data as usual, and
// Yes closes the screen. The store holds the bill its commit stored, not yet uploaded.
TEST_F(PdSaveLostAnswerE2eTest, ABillInDoubtCanBeLeft) {
  std::vector<std::string> boxes, afterwards;
  std::vector<Step> steps = Count(FreshBarcode());
  steps.push_back(Then([this] { relay->DropAnswerOfCommit(1); }, 0));
  steps.push_back(PressSave());
  steps.push_back(AnswerBox(boxes));
  steps.push_back(Then([] { ClickCell(3, 2); }));
  steps.push_back(Then([] { Press(VK_ESCAPE); }, 0));
  steps.push_back(ScreenCloses(afterwards));
  ScriptedUser user(steps);
  const std::string id = "E2E-LOST-4-" + std::to_string(::GetCurrentProcessId());
  EXPECT_GT(OpenPd(id.c_str()), 0);
  EXPECT_TRUE(user.Finished()) << user.Where();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("核对之前盘点单不能修改"), std::string::npos) << boxes[0];
  EXPECT_EQ(afterwards, std::vector<std::string>{"警告: 盘点单中尚有未保存的数据，确认退出？"});
  const std::string local = Headers("PosStore", id);
  ASSERT_EQ(std::count(local.begin(), local.end(), '\n'), 1) << local;
  EXPECT_EQ(Fields(local)[1], "0");
  EXPECT_EQ(Headers("PosMain", id), "");
}
