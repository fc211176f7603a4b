// The stock-take bill screen end to end: Pos_J2DllForPos.dll loaded as the host loads it,
// the export OpenPDManger called with host-layout strings against the stand-in server of
// the test fixture (port in POS_SERVER_PORT), upload to the fixture's main database.
// While the screen runs modally a thread timer plays the user with keys posted to the
// focused window, as a keyboard or a scanner sends them: three barcodes (one twice), a
// line chosen by code or name through the scripted chooser (POS_PD_CHOOSER_SCRIPT), a
// quantity typed into it; it reads the totals and the grid from the screen's own
// objects, presses 保存 and answers the message boxes, reading what they say. The
// store and the main database are then asked for the bill. Without the script the
// choices go through the selection dialog, played the same way with posted mouse clicks
// and keys.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <functional>
#include <string>
#include <vector>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPDManger.h"
#include "app/uSelectBasic.h"
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "tests/app/e2e/PluginHostTest.h"
#include "tests/support/WindowFinder.h"

namespace {

using postest::FindTopLevel;

std::wstring Utf16(const char* gbk) {
  const WideString w = GbkToWide(gbk);
  return std::wstring(w.begin(), w.end());
}

std::string Gbk(const std::wstring& w) { return WideToGbk(std::u16string(w.begin(), w.end())); }

HWND Screen() { return FindTopLevel(nullptr, Utf16("盘点单")); }

// The screen's own object behind its window (the same classes, built from the same
// sources as the plug-in): for reading what the labels and the grid show.
TfrmpdManger* ScreenObject() {
  HWND f = Screen();
  return f ? static_cast<TfrmpdManger*>(static_cast<TWinControl*>(::GetPropW(f, L"PosControl"))) : nullptr;
}

// A key as the keyboard sends it, posted to the focused window: down and up. The
// message loop translates it into its character (posted behind whatever is queued, so
// the keys of a text go in one step and the Enter that ends it in the next).
void Press(WORD vk) {
  HWND to = ::GetFocus();
  const UINT scan = ::MapVirtualKeyW(vk, 0);
  ::PostMessageW(to, WM_KEYDOWN, vk, 1 | (scan << 16));
  ::PostMessageW(to, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
}

void Type(const std::string& text) {
  for (char c : text) {
    if (c >= '0' && c <= '9') Press(static_cast<WORD>(c));
    else if (c >= 'a' && c <= 'z') Press(static_cast<WORD>(c - 'a' + 'A'));
    else if (c == '.') Press(VK_OEM_PERIOD);
  }
}

// The text of a message box (its static control) and the box itself, by caption.
BOOL CALLBACK CollectStatic(HWND h, LPARAM l) {
  wchar_t cls[32] = {};
  ::GetClassNameW(h, cls, 31);
  if (_wcsicmp(cls, L"Static") == 0 && !postest::WindowText(h).empty())
    *reinterpret_cast<std::string*>(l) += Gbk(postest::WindowText(h));
  return TRUE;
}

std::string BoxText(HWND box) {
  std::string text;
  ::EnumChildWindows(box, &CollectStatic, reinterpret_cast<LPARAM>(&text));
  return text;
}

// The selection dialog's own object behind its window, by caption.
TfrmSelectBasic* Picker(const char* caption) {
  HWND f = FindTopLevel(nullptr, Utf16(caption));
  return f ? static_cast<TfrmSelectBasic*>(static_cast<TWinControl*>(::GetPropW(f, L"PosControl"))) : nullptr;
}

// The value of a field in a data row of the dialog's grid.
std::string PickerValue(TfrmSelectBasic* d, int row, const char* field) {
  TkwColumn* c = d->grdSelectData->ColumnByFieldName(field);
  Variant v;
  d->grdSelectData->DataController()->GetRowValue(row, c->DbField(), v);
  return v.AsString();
}

// A double-click as the mouse sends it in grid row Row of the dialog (0: the title).
void PickerDblClick(TfrmSelectBasic* d, int row) {
  TJbDbGrid* g = d->grdSelectData;
  const TRect r = g->CellRect(0, row);
  const LPARAM at = MAKELPARAM(r.Right + 20, (r.Top + r.Bottom) / 2);
  ::PostMessageW(g->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(g->Handle(), WM_LBUTTONUP, 0, at);
  ::PostMessageW(g->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  ::PostMessageW(g->Handle(), WM_LBUTTONUP, 0, at);
}

void PickerClick(TfrmSelectBasic* d, int row) {
  TJbDbGrid* g = d->grdSelectData;
  const TRect r = g->CellRect(0, row);
  const LPARAM at = MAKELPARAM(r.Right + 20, (r.Top + r.Bottom) / 2);
  ::PostMessageW(g->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(g->Handle(), WM_LBUTTONUP, 0, at);
}

// The marks of the dialog: goods id, colour id and size id of each, in marking order.
std::string PickerMarks(TfrmSelectBasic* d) {
  std::string s;
  for (const TBaseRecord& r : d->Rules().Marks().Records()) s += r.TypeId + "|" + r.colorid + "|" + r.sizeid + ";";
  return s;
}

class ScriptedUser {
 public:
  using Step = std::function<bool()>;
  explicit ScriptedUser(std::vector<Step> steps) : FSteps(std::move(steps)) {
    sActive = this;
    FTimer = ::SetTimer(nullptr, 0, 60, &Tick);
  }
  ~ScriptedUser() {
    ::KillTimer(nullptr, FTimer);
    sActive = nullptr;
  }
  bool Finished() const { return FNext >= FSteps.size(); }
  std::vector<std::string> Log;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ScriptedUser* u = sActive;
    if (!u || u->FBusy) return;
    u->FBusy = true;
    if (++u->FTicks > 600) {
      u->Log.push_back("timeout at step " + std::to_string(u->FNext));
      for (const char* caption : {"提示", "错误", "警告"})
        if (HWND box = FindTopLevel(L"#32770", Utf16(caption))) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      // A selection dialog still open first, or the screen cannot close.
      for (const char* dialog : {"仓库", "商品"})
        if (HWND d = FindTopLevel(nullptr, Utf16(dialog))) ::PostMessageW(d, WM_CLOSE, 0, 0);
      if (HWND f = Screen()) ::PostMessageW(f, WM_CLOSE, 0, 0);
    } else if (u->FNext < u->FSteps.size() && u->FSteps[u->FNext]()) {
      ++u->FNext;
    }
    u->FBusy = false;
  }
  static inline ScriptedUser* sActive = nullptr;
  std::vector<Step> FSteps;
  size_t FNext = 0;
  int FTicks = 0;
  bool FBusy = false;
  UINT_PTR FTimer = 0;
};

// A step that waits for a message box with this caption, records its text and presses OK.
ScriptedUser::Step AnswerBox(const char* caption, std::vector<std::string>& seen) {
  return [caption, &seen] {
    HWND box = FindTopLevel(L"#32770", Utf16(caption));
    if (!box) return false;
    seen.push_back(BoxText(box));
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  };
}

// Message boxes met while counting (none are expected): caption and text, answered OK.
std::vector<std::string> gUnexpected;
bool AnswerUnexpected() {
  for (const char* caption : {"提示", "错误", "警告", "盘点单"}) {
    if (HWND box = FindTopLevel(L"#32770", Utf16(caption))) {
      gUnexpected.push_back(std::string(caption) + ": " + BoxText(box));
      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      return true;
    }
  }
  return false;
}

// A step that runs once and then waits Ticks ticks, so that the posted keys are handled.
ScriptedUser::Step Then(std::function<void()> f, int ticks = 3) {
  auto left = std::make_shared<int>(-1);
  return [f, ticks, left] {
    if (AnswerUnexpected()) return false;
    if (*left < 0) {
      f();
      *left = ticks;
    }
    return (*left)-- == 0;
  };
}

// The fixture's store and main database, asked through a data module of this program.
std::string Query(const char* db, const std::string& sql, const char* field) {
  TfrmDataModule& m = posapp::EnsureDataModule(nullptr);
  if (!posapp::ConnectDataModule(m, "127.0.0.1", db)) return "<no connection>";
  TClientDataSet ds(nullptr);
  std::string out;
  OpenSQLData(GbkToWide(sql), &ds);
  for (ds.First(); !ds.Eof(); ds.Next()) out += ds.FieldByName(field)->AsString() + "\n";
  return out;
}

class PdMangerE2eTest : public PluginHostTest {
 protected:
  void SetUp() override {
    const std::string row = Query("PosStore",
                                  "select PtypeId || '|' || ColorId || '|' || SizeId as k from PosBarCodeView "
                                  "where FullBarCode = '6920000000135'",
                                  "k");
    chosen = row.substr(0, row.size() - 1);
    script = ::testing::TempDir() + "pd-chooser-" + std::to_string(::GetCurrentProcessId()) + ".txt";
  }
  void WriteScript(const char* warehouse) {
    const std::string color = chosen.substr(chosen.find('|') + 1, chosen.rfind('|') - chosen.find('|') - 1);
    const std::string typeId = chosen.substr(0, chosen.find('|'));
    const std::string size = chosen.substr(chosen.rfind('|') + 1);
    std::ofstream(script, std::ios::binary) << "StockWarehouse\t" << warehouse << "|x|仓库\r\n"
                                            << "GoodsBySearch\t" << typeId << "|K00003|条纹童T恤|" << color
                                            << "|天蓝|" << size << "|120\r\n";
    ::SetEnvironmentVariableA("POS_PD_CHOOSER_SCRIPT", script.c_str());
  }
  void TearDown() override {
    ::SetEnvironmentVariableA("POS_PD_CHOOSER_SCRIPT", nullptr);
    ::DeleteFileA(script.c_str());
    posapp::ReleaseDataModule(1);
  }
  static int32_t OpenPd(const char* uniqueId) {
    posapp::THostString reserved = posapp::THostString::Constant(""), op("00001"), branch("00001"),
                        unique(uniqueId), pos("0001"), srv("127.0.0.1"), db("PosStore"), up("127.0.0.1"),
                        upDb("PosMain");
    return plugin->OpenPDManger(Handle(), reserved.Data(), op.Data(), branch.Data(), unique.Data(), pos.Data(),
                                srv.Data(), db.Data(), up.Data(), upDb.Data());
  }
  // The walk up to the totals: warehouse, scans, F5, a chosen line, its quantity.
  std::vector<ScriptedUser::Step> Count(std::string& totals, std::string& lines) {
    return {
        [] {
          TfrmpdManger* f = ScreenObject();
          if (!f || !::GetFocus()) return false;
          // The warehouse: entering its box opens the choice.
          ::SetFocus(f->edtStock->Handle());
          ::PostMessageW(f->Handle(), WM_PD_SHOWEDITOR, 0, 0);
          return true;
        },
        Then([] {}),
        Then([] { Type("6920000000012"); }),
        Then([] { Press(VK_RETURN); }),
        Then([] { Type("6920000000036"); }),
        Then([] { Press(VK_RETURN); }),
        Then([] { Type("6920000000012"); }),
        Then([] { Press(VK_RETURN); }),
        Then([] { Type("6920000000081"); }),
        Then([] { Press(VK_RETURN); }),
        Then([] { Press(VK_F5); }),
        Then([] { Type("x"); }),
        Then([] { Press(VK_RETURN); }),
        // Up to the chosen line, right to its quantity, type it.
        Then([] { Press(VK_UP); }),
        Then([] { Press(VK_RIGHT); }),
        Then([] { Type("2.5"); }),
        Then([] { Press(VK_RETURN); }),
        [&totals, &lines] {
          TfrmpdManger* f = ScreenObject();
          totals = f->lblPdQtyCount->Caption() + "|" + f->lblKCQty->CaptionName() + "|" + f->lbl4->Caption();
          for (int r = 2; r < f->grdPd->RowCount(); ++r)
            lines += f->grdPd->Cells(2, r) + "," + f->grdPd->Cells(3, r) + "," + f->grdPd->Cells(8, r) + ";";
          return true;
        },
    };
  }

  std::string chosen;  // goods id|colour id|size id of the line chosen by code or name
  std::string script;
};

}  // namespace

TEST_F(PdMangerE2eTest, ScansChoosesTypesSavesAndUploads) {
  WriteScript("00001");
  std::string totals, lines;
  std::vector<std::string> boxes;
  std::vector<ScriptedUser::Step> steps = Count(totals, lines);
  // The walk went up into the chosen line's name cell: its editor remembered the name.
  std::string remembered;
  steps.push_back([&remembered] {
    pdbill::TPdMangerRules& rules = ScreenObject()->Rules();
    remembered = rules.OldName() + "|" + rules.OldCode();
    return true;
  });
  steps.push_back(Then([] { ::PostMessageW(ScreenObject()->btnSave->Handle(), BM_CLICK, 0, 0); }, 0));
  steps.push_back(AnswerBox("提示", boxes));
  ScriptedUser user(steps);
  const int32_t token = OpenPd("E2E-UP-1");
  EXPECT_GT(token, 0);
  EXPECT_TRUE(user.Finished()) << (user.Log.empty() ? "" : user.Log.front());
  EXPECT_EQ(gUnexpected, std::vector<std::string>{});
  EXPECT_EQ(totals, "盘点数量合计 : 6.5|当前库存合计|当前录入方式：模糊录入(F5)");
  EXPECT_EQ(lines, "A00001,针织手套,2;M00002,简约夹克,1;M00002,简约夹克,1;K00003,条纹童T恤,2.5;,,;");
  EXPECT_EQ(boxes, std::vector<std::string>{"盘点单保存成功！"});
  EXPECT_EQ(remembered, "条纹童T恤|");

  const std::string header = Query("PosStore",
                                   "select CheckCode || '|' || KTypeID || '|' || IsUpSend || '|' || "
                                   "ifnull(PdVchCode, 0) as h from CommonPosPtypeCheckNdx where UniqueID = 'E2E-UP-1'",
                                   "h");
  ASSERT_EQ(std::count(header.begin(), header.end(), '\n'), 1) << header;
  const std::string checkCode = header.substr(0, header.find('|'));
  const std::string billCode = header.substr(header.rfind('|') + 1, header.size() - header.rfind('|') - 2);
  EXPECT_EQ(header, checkCode + "|00001|1|" + billCode + "\n");
  EXPECT_GT(std::stoi(billCode), 1000);
  EXPECT_EQ(Query("PosStore",
                  "select l.PtypeID || ':' || l.Qty as q from CommonPosPtypeCheckList l join PosBarCodeView b on "
                  "b.PtypeId = l.PtypeID and b.ColorId = l.ColorID and b.SizeId = l.SizeID and b.BarTypeId = '1' "
                  "where l.CheckCode = " + checkCode + " order by l.ListId",
                  "q")
                .size() > 0,
            true);
  EXPECT_EQ(Query("PosStore", "select count(*) as n from CommonPosPtypeCheckList where CheckCode = " + checkCode, "n"),
            "4\n");
  EXPECT_EQ(Query("PosMain", "select sum(Qty) as n from PdBillDetail where BillCode = " + billCode, "n"), "6.5\n");
  EXPECT_EQ(Query("PosMain", "select UniqueID as u from CommonPosPtypeCheckNdx where PdVchCode = " + billCode, "u"),
            "E2E-UP-1\n");
}

TEST_F(PdMangerE2eTest, RefusedUploadLeavesTheLocalBillUnmarked) {
  WriteScript("00003");  // no stock-take preparation on the main database: -2
  std::string totals, lines;
  std::vector<std::string> boxes;
  std::vector<ScriptedUser::Step> steps = Count(totals, lines);
  steps.push_back(Then([] { ::PostMessageW(ScreenObject()->btnSave->Handle(), BM_CLICK, 0, 0); }, 0));
  steps.push_back(AnswerBox("提示", boxes));
  steps.push_back(AnswerBox("提示", boxes));
  ScriptedUser user(steps);
  EXPECT_GT(OpenPd("E2E-REFUSED-1"), 0);
  EXPECT_TRUE(user.Finished()) << (user.Log.empty() ? "" : user.Log.front());
  EXPECT_EQ(boxes, (std::vector<std::string>{"没有盘点日期对应的盘点准备数据！不能保存盘点单！",
                                             "盘点单本地保存成功！上传失败！"}));
  EXPECT_EQ(Query("PosStore",
                  "select IsUpSend || '|' || ifnull(PdVchCode, 0) as h from CommonPosPtypeCheckNdx where UniqueID = "
                  "'E2E-REFUSED-1'",
                  "h"),
            "0|0\n");
  EXPECT_EQ(Query("PosMain", "select count(*) as n from CommonPosPtypeCheckNdx where UniqueID = 'E2E-REFUSED-1'", "n"),
            "0\n");
}

// The terminal dialog through the screen's button: the import page, the file dialog, the
// sample terminal file (a name whose trail byte is 7E, one barcode twice, one the store
// does not know); the counts on the bill; the exit question on leaving.
TEST_F(PdMangerE2eTest, TerminalFileImportedThroughTheDialog) {
  WriteScript("00001");
  std::string file = "Z:" POS_SOURCE_DIR "/host/pd-terminal-sample.txt";
  std::replace(file.begin(), file.end(), '/', '\\');
  std::string lines, totals;
  std::vector<std::string> boxes;
  ScriptedUser user({
      [] {
        TfrmpdManger* f = ScreenObject();
        if (!f || !::GetFocus()) return false;
        ::SetFocus(f->edtStock->Handle());
        ::PostMessageW(f->Handle(), WM_PD_SHOWEDITOR, 0, 0);
        return true;
      },
      Then([] { ::PostMessageW(ScreenObject()->btnCheckIn->Handle(), BM_CLICK, 0, 0); }),
      [] {
        HWND d = FindTopLevel(nullptr, Utf16("盘点机信息导入导出"));
        if (!d) return false;
        HWND to = ::GetFocus();
        ::PostMessageW(to, WM_SYSKEYDOWN, 'I', 1 | (1 << 29));
        ::PostMessageW(to, WM_SYSKEYUP, 'I', 1 | (1 << 29) | (3u << 30));
        return true;
      },
      [] {
        HWND d = FindTopLevel(nullptr, Utf16("盘点机信息导入导出"));
        ::PostMessageW(postest::FindChildByName(d, L"btnEnter"), BM_CLICK, 0, 0);
        return true;
      },
      [file] {
        HWND d = FindTopLevel(L"#32770", L"");
        for (const wchar_t* caption : {L"Open", L"打开"})
          if (!d) d = FindTopLevel(L"#32770", caption);
        if (!d) return false;
        HWND name = ::GetDlgItem(d, 0x47c);
        if (!name) name = ::GetDlgItem(d, 0x480);
        if (!name) return false;
        const std::wstring w = Utf16(file.c_str());
        ::SetWindowTextW(name, w.c_str());
        if (HWND edit = ::FindWindowExW(name, nullptr, L"Edit", nullptr)) ::SetWindowTextW(edit, w.c_str());
        ::PostMessageW(d, WM_COMMAND, IDOK, 0);
        return true;
      },
      AnswerBox("提示", boxes),
      Then([&lines, &totals] {
        TfrmpdManger* f = ScreenObject();
        totals = f->lblPdQtyCount->Caption();
        for (int r = 2; r < f->grdPd->RowCount(); ++r)
          lines += f->grdPd->Cells(2, r) + "," + f->grdPd->Cells(12, r) + "," + f->grdPd->Cells(8, r) + ";";
        ::PostMessageW(f->btnCancle->Handle(), BM_CLICK, 0, 0);
      }, 0),
      [&boxes] {
        HWND box = FindTopLevel(L"#32770", Utf16("警告"));
        if (!box) return false;
        boxes.push_back(BoxText(box));
        ::PostMessageW(box, WM_COMMAND, IDYES, 0);
        return true;
      },
  });
  EXPECT_GT(OpenPd("E2E-IMPORT-1"), 0);
  EXPECT_TRUE(user.Finished()) << (user.Log.empty() ? "" : user.Log.front());
  EXPECT_EQ(lines,
            "A00001,6920000000012,2.00;M00002,6920000000036,4.00;M00002,6920000000081,5.00;"
            "K00003,6920000000135,4.00;,,;");
  EXPECT_EQ(totals, "盘点数量合计 : 15");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].find("6999999999999"), std::string::npos) << boxes[0];
  EXPECT_EQ(boxes[1], "盘点单中尚有未保存的数据，确认退出？");
}

// The product's chooser: the selection dialog. The warehouse by a double-click on its
// row; goods by code through the dialog: a row marked and a new query that clears it,
// then a double-click on a data row, a double-click on a title (nothing), Space on
// another row and Enter; exactly the marked rows land on the bill, in marking order,
// with their colour, size and retail price; saved and uploaded.
TEST_F(PdMangerE2eTest, WarehouseAndGoodsChosenInTheSelectionDialog) {
  std::string warehouseRows, marksAfterRequery, marked, expected, lines, quantities;
  std::vector<std::string> boxes;
  ScriptedUser user({
      [] {
        TfrmpdManger* f = ScreenObject();
        if (!f || !::GetFocus()) return false;
        // Entering the box opens the dialog, modally: by a posted click, so that its loop
        // runs outside this step.
        ::PostMessageW(f->edtStock->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageW(f->edtStock->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        return true;
      },
      [&warehouseRows] {
        TfrmSelectBasic* d = Picker("仓库");
        if (!d) return false;
        const int rows = d->grdSelectData->DataController()->RowCount();
        for (int r = 0; r < rows; ++r) {
          warehouseRows += PickerValue(d, r, "typeid") + ";";
          if (PickerValue(d, r, "typeid") == "00001") PickerDblClick(d, r + d->grdSelectData->TitleOffset());
        }
        return true;
      },
      Then([] {}),
      Then([] { Press(VK_F5); }),
      Then([] { Type("k00010"); }),
      Then([] { Press(VK_RETURN); }),
      [] {
        TfrmSelectBasic* d = Picker("商品");
        if (!d || d->grdSelectData->DataController()->RowCount() < 3) return false;
        PickerDblClick(d, 3 + d->grdSelectData->TitleOffset());
        return true;
      },
      Then([] { ::SetFocus(Picker("商品")->edtSearch->Handle()); }),
      Then([] { Press(VK_RETURN); }),
      Then([&marksAfterRequery] {
        TfrmSelectBasic* d = Picker("商品");
        marksAfterRequery = PickerMarks(d) + "rows " + std::to_string(d->grdSelectData->DataController()->RowCount());
        PickerDblClick(d, 2 + d->grdSelectData->TitleOffset());
      }),
      Then([] { PickerDblClick(Picker("商品"), 0); }),
      Then([] { PickerClick(Picker("商品"), 0 + Picker("商品")->grdSelectData->TitleOffset()); }),
      Then([] { Press(VK_SPACE); }),
      Then([&marked, &expected] {
        TfrmSelectBasic* d = Picker("商品");
        marked = PickerMarks(d);
        for (int r : {2, 0}) {
          const std::string id = PickerValue(d, r, "typeid");
          const std::string price = Query("PosStore",
                                          "select Price from PosptypepriceView where Ptypeid = '" + id +
                                              "' and PriceTypeId = 'LSSJ1'",
                                          "Price");
          expected += PickerValue(d, r, "UserCode") + "," + PickerValue(d, r, "ColorName") + "," +
                      PickerValue(d, r, "SizeName") + "," + std::to_string(std::stod(price)) + ";";
        }
        Press(VK_RETURN);
      }),
      // Up to the last chosen line, right to its quantity, type it.
      Then([] { Press(VK_UP); }),
      Then([] { Press(VK_RIGHT); }),
      Then([] { Type("3"); }),
      Then([] { Press(VK_RETURN); }),
      Then([&lines, &quantities] {
        TfrmpdManger* f = ScreenObject();
        for (int r = 2; r < f->grdPd->RowCount(); ++r) {
          const std::string price = f->grdPd->Cells(10, r);
          lines += f->grdPd->Cells(2, r) + "," + f->grdPd->Cells(5, r) + "," + f->grdPd->Cells(7, r) + "," +
                   (price.empty() ? std::string() : std::to_string(std::stod(price))) + ";";
          quantities += f->grdPd->Cells(8, r) + ";";
        }
        ::PostMessageW(f->btnSave->Handle(), BM_CLICK, 0, 0);
      }, 0),
      AnswerBox("提示", boxes),
  });
  EXPECT_GT(OpenPd("E2E-PICK-1"), 0);
  EXPECT_TRUE(user.Finished()) << (user.Log.empty() ? "" : user.Log.front());
  EXPECT_EQ(gUnexpected, std::vector<std::string>{});
  EXPECT_NE(warehouseRows.find("00001;"), std::string::npos) << warehouseRows;
  EXPECT_EQ(marksAfterRequery.substr(0, 5), "rows ") << marksAfterRequery;
  EXPECT_EQ(std::count(marked.begin(), marked.end(), ';'), 2) << marked;
  EXPECT_EQ(lines, expected + ",,,;");
  EXPECT_EQ(quantities, ";3;;");
  EXPECT_EQ(boxes, std::vector<std::string>{"盘点单保存成功！"});

  const std::string checkCode = Query("PosStore",
                                      "select CheckCode || '|' || KTypeID as h from CommonPosPtypeCheckNdx where "
                                      "UniqueID = 'E2E-PICK-1' order by CheckCode desc limit 1",
                                      "h");
  ASSERT_EQ(checkCode.substr(checkCode.find('|')), "|00001\n");
  EXPECT_EQ(Query("PosStore",
                  "select PtypeID || '|' || ColorID || '|' || SizeID || ';' as k from CommonPosPtypeCheckList "
                  "where CheckCode = " + checkCode.substr(0, checkCode.find('|')) + " order by ListId",
                  "k"),
            marked.substr(0, marked.find(';') + 1) + "\n" + marked.substr(marked.find(';') + 1) + "\n");
}
