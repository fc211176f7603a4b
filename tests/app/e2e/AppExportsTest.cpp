// The plug-in as the host uses it: Pos_J2DllForPos.dll loaded with LoadLibrary, its
// exports called with host-layout strings, against the stand-in server of the test
// fixture (port in POS_SERVER_PORT). Screens are closed by a screen driver on this
// thread, as a person would close them.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/HostString.h"
#include "host/ScreenDriver.h"
#include "tests/app/e2e/PluginHostTest.h"

using posapp::THostString;

namespace {

// Counts the windows this thread tries to create while it lives, and prevents them,
// so that a message box cannot wait for a person.
class WindowCreationWatch {
 public:
  WindowCreationWatch() {
    sCount = 0;
    FHook = ::SetWindowsHookExW(WH_CBT, &Proc, nullptr, ::GetCurrentThreadId());
  }
  ~WindowCreationWatch() { ::UnhookWindowsHookEx(FHook); }
  int Count() const { return sCount; }

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
      ++sCount;
      return 1;
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
  }
  static inline int sCount = 0;
  HHOOK FHook;
};

using PluginExports = PluginHostTest;

std::vector<std::wstring> Captions(const TScreenDriver& d) {
  std::vector<std::wstring> v;
  for (const TSeenWindow& w : d.Seen()) v.push_back(w.Caption);
  return v;
}

}  // namespace

TEST_F(PluginExports, RefusedServerFailsQuicklyWithoutWindowThenTheServerWorks) {
  {
    // Nothing listens on 127.0.0.2: the connection is refused at once.
    WindowCreationWatch watch;
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(OpenVip("127.0.0.2"), -1);
    EXPECT_LT(::GetTickCount() - start, 3000u);
    EXPECT_EQ(watch.Count(), 0) << "a window or message box was made";
  }
  plugin->CloseVipEnroll(-1);  // as the host does after a failure: nothing happens
  TScreenDriver driver(host, "", 300);
  const int32_t token = OpenVip("127.0.0.1");
  EXPECT_GT(token, 0);
  EXPECT_EQ(Captions(driver), std::vector<std::wstring>{L"VIP会员发卡"});
  plugin->CloseVipEnroll(token);
}

TEST_F(PluginExports, OpenCloseOpenGivesPositiveTokens) {
  TScreenDriver driver(host, "", 300);
  const int32_t first = OpenVip("127.0.0.1");
  ASSERT_GT(first, 0);
  plugin->CloseVipEnroll(first);
  const int32_t second = OpenVip("localhost");
  ASSERT_GT(second, 0);
  EXPECT_NE(second, first);
  plugin->CloseVipEnroll(second);
  plugin->CloseVipEnroll(0);
  EXPECT_EQ(driver.Seen().size(), 2u);
}

TEST_F(PluginExports, StockTakeOpenShowsItsScreen) {
  TScreenDriver driver(host, "", 300);
  THostString reserved = THostString::Constant(""), op("00001"), branch("00001"), unique("E2E-1"), pos("00001"),
              server("127.0.0.1"), db("PosStore"), upServer(""), upDb("");
  const int32_t token = plugin->OpenPDManger(Handle(), reserved.Data(), op.Data(), branch.Data(), unique.Data(),
                                             pos.Data(), server.Data(), db.Data(), upServer.Data(), upDb.Data());
  EXPECT_GT(token, 0);
  EXPECT_EQ(Captions(driver), std::vector<std::wstring>{L"盘点单"});
  plugin->ClosePDManger(token);
}

namespace {
// Ten seconds after it is armed, a question still asked is answered Yes by this thread
// timer, so that a driver that cannot close it fails the test instead of hanging it.
bool sQuestionOutlived = false;
void CALLBACK AnswerOutlivedQuestion(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = ::FindWindowW(L"#32770", nullptr);
  if (box && ::GetDlgItem(box, IDYES)) {
    sQuestionOutlived = true;
    ::PostMessageW(box, WM_COMMAND, IDYES, 0);
  }
}
}  // namespace

// A stock-take screen with a line on its bill asks before it closes; the driver answers
// that question Yes, and the call returns. Before, the driver closed the question (an
// answer other than Yes), the screen stayed, and the next close asked again, without end.
TEST_F(PluginExports, DriverClosesAStockTakeScreenThatAsksAboutItsLines) {
  TScreenDriver driver(host, "", 300);
  // A barcode scanned into the bill once the grid has the focus.
  int ticks = 0;
  driver.Prepare = [&ticks] {
    HWND screen = ::FindWindowW(nullptr, L"盘点单");
    HWND focus = ::GetFocus();
    if (!screen || !focus || !::IsChild(screen, focus)) return false;
    ++ticks;
    if (ticks == 3) {
      for (char c : std::string("6920000000012")) {
        ::PostMessageW(focus, WM_KEYDOWN, static_cast<WPARAM>(c), 1);
        ::PostMessageW(focus, WM_KEYUP, static_cast<WPARAM>(c), 1 | (3u << 30));
      }
    } else if (ticks == 6) {
      // The Enter once the characters are in (the grid hands them on to its editor).
      ::PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
      ::PostMessageW(focus, WM_KEYUP, VK_RETURN, 1 | (3u << 30));
    }
    return ticks >= 9;
  };
  sQuestionOutlived = false;
  const UINT_PTR watchdog = ::SetTimer(nullptr, 0, 10000, &AnswerOutlivedQuestion);
  THostString reserved = THostString::Constant(""), op("00001"), branch("00001"), unique("E2E-ASK"), pos("00001"),
              server("127.0.0.1"), db("PosStore"), upServer(""), upDb("");
  const int32_t token = plugin->OpenPDManger(Handle(), reserved.Data(), op.Data(), branch.Data(), unique.Data(),
                                             pos.Data(), server.Data(), db.Data(), upServer.Data(), upDb.Data());
  ::KillTimer(nullptr, watchdog);
  EXPECT_GT(token, 0);
  EXPECT_FALSE(sQuestionOutlived);
  EXPECT_EQ(Captions(driver), (std::vector<std::wstring>{L"盘点单", L"警告"}));
  plugin->ClosePDManger(token);
}

TEST_F(PluginExports, StringArgumentsGetTheirCountsBack) {
  TScreenDriver driver(host, "", 300);
  THostString reserved = THostString::Constant("reserved"), op("00001"), branch("00001"), unique("E2E-2"),
              pos("00001"), server("127.0.0.1"), db("PosStore"), upServer("127.0.0.1"), upDb("PosMain");
  const THostString* all[] = {&op, &branch, &unique, &pos, &server, &db, &upServer, &upDb};
  const int32_t token = plugin->OpenPDManger(Handle(), reserved.Data(), op.Data(), branch.Data(), unique.Data(),
                                             pos.Data(), server.Data(), db.Data(), upServer.Data(), upDb.Data());
  EXPECT_GT(token, 0);
  for (const THostString* s : all) EXPECT_EQ(s->RefCount(), 1);
  EXPECT_EQ(reserved.RefCount(), -1);
  plugin->ClosePDManger(token);

  // The same after a failed call.
  THostString bad("127.0.0.2");
  EXPECT_EQ(plugin->OpenVipEnroll(Handle(), reserved.Data(), op.Data(), nullptr, bad.Data(), db.Data()), -1);
  EXPECT_EQ(bad.RefCount(), 1);
  EXPECT_EQ(op.RefCount(), 1);
}

TEST_F(PluginExports, DamagedStringArgumentFailsWithoutTouchingTheOthers) {
  THostString op("00001"), server("127.0.0.1"), db("PosStore");
  alignas(4) char block[16] = {};
  const int32_t count = 1, length = -5;
  memcpy(block, &count, 4);
  memcpy(block + 4, &length, 4);
  EXPECT_EQ(plugin->OpenVipEnroll(Handle(), nullptr, op.Data(), block + 8, server.Data(), db.Data()), -1);
  EXPECT_EQ(op.RefCount(), 1);
  EXPECT_EQ(server.RefCount(), 1);
}

TEST_F(PluginExports, ExceptionAfterConnectingIsShownAndReturnsMinusOne) {
  // Regression: the main database has no PosCommonSysData, so loading the VIP prefix
  // fails after the connection was made. The error is shown to the user through the
  // application's handler (a message box, closed here by the driver) and the call
  // returns -1 instead of letting the exception out into the host.
  TScreenDriver driver(host, "", 300);
  EXPECT_EQ(OpenVip("127.0.0.1", "PosMain"), -1);
  ASSERT_EQ(driver.Seen().size(), 1u);
  EXPECT_EQ(driver.Seen()[0].ClassName, L"#32770");
  plugin->CloseVipEnroll(-1);
  // The module stays usable.
  EXPECT_GT(OpenVip("127.0.0.1"), 0);
}

namespace {
bool sVipIconSeen = false;
BOOL CALLBACK NoteVipWindowIcon(HWND w, LPARAM) {
  wchar_t caption[64] = {};
  ::GetWindowTextW(w, caption, 64);
  if (std::wstring(caption) == L"VIP会员发卡" && ::SendMessageW(w, WM_GETICON, ICON_BIG, 0) != 0)
    sVipIconSeen = true;
  return TRUE;
}
void CALLBACK NoteVipIcon(HWND, UINT, UINT_PTR, DWORD) {
  ::EnumThreadWindows(::GetCurrentThreadId(), &NoteVipWindowIcon, 0);
}
}  // namespace

// The plug-in's pictures are resources of its own module, not of the host's program:
// the button glyph and the forms' icon are in the DLL and not in this program. The VIP
// screen opens (each of its button edits loads the glyph as it is made, and a failed
// load would fail the call), and its window shows the icon found in the DLL.
TEST_F(PluginExports, PicturesComeFromThePluginsOwnModule) {
  const auto bitmap = MAKEINTRESOURCEW(2), groupIcon = MAKEINTRESOURCEW(14);  // RT_BITMAP, RT_GROUP_ICON
  EXPECT_NE(::FindResourceW(plugin->Module(), L"BTNEDIT", bitmap), nullptr);
  EXPECT_NE(::FindResourceW(plugin->Module(), L"FRMBASE", groupIcon), nullptr);
  EXPECT_EQ(::FindResourceW(::GetModuleHandleW(nullptr), L"BTNEDIT", bitmap), nullptr);
  EXPECT_EQ(::FindResourceW(::GetModuleHandleW(nullptr), L"FRMBASE", groupIcon), nullptr);

  // While the screen is up, a thread timer notes whether its window has a large icon.
  sVipIconSeen = false;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &NoteVipIcon);
  TScreenDriver driver(host, "", 300);
  const int32_t token = OpenVip("127.0.0.1");
  ::KillTimer(nullptr, timer);
  EXPECT_GT(token, 0);
  EXPECT_TRUE(sVipIconSeen);
  plugin->CloseVipEnroll(token);
}
