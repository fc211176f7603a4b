// The stock-take bill screen end to end: Pos_J2DllForPos.dll loaded as the host loads it,
// the export OpenPDManger called with host-layout strings against the stand-in server of
// the test fixture (port in POS_SERVER_PORT), upload to the fixture's main database.
// While the screen runs modally a thread timer plays the user with keys posted to the
// focused window, as a keyboard or a scanner sends them: three barcodes (one twice), a
// line chosen by code in the selection dialog, a quantity typed into it; it reads the
// totals and the grid from the screen's own objects, presses 保存 and answers the
// message boxes, reading what they say. The store and the main database are then asked
// for the bill. Every choice goes through the selection dialog, played with posted
// mouse clicks and keys; so does the terminal dialog's export and import, whose files
// live in this program's build folder. Every message box, question and file dialog of a
// walk is answered by a posted command, and a walk has a time limit, after which
// whatever is still open is closed: a box nobody answers fails the test instead of
// hanging it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPDManger.h"
#include "app/uSelectBasic.h"
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "tests/app/e2e/PluginHostTest.h"
#include "tests/app/pd/PdScreenDriver.h"
#include "tests/support/WindowFinder.h"

namespace {

using namespace pdtest;
using pdtest::Screen;  // the stock-take screen, not the framework's Screen object

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

// The marks of the dialog: goods id, colour id and size id of each, in marking order.
std::string PickerMarks(TfrmSelectBasic* d) {
  std::string s;
  for (const TBaseRecord& r : d->Rules().Marks().Records()) s += r.TypeId + "|" + r.colorid + "|" + r.sizeid + ";";
  return s;
}

// A step that waits for a message box with this caption, records its text and presses OK.
Step AnswerBox(const char* caption, std::vector<std::string>& seen) {
  return [caption, &seen] {
    HWND box = FindTopLevel(L"#32770", Utf16(caption));
    if (!box) return false;
    seen.push_back(BoxText(box));
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  };
}

// A step that waits for the file dialog, puts File (a path as Wine's programs see it) into
// its name box and presses OK.
Step AnswerFileDialog(const std::string& file) {
  return [file] {
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
  };
}

// A step that waits for a question with this caption, records its text and answers Yes.
Step AnswerYes(const char* caption, std::vector<std::string>& seen) {
  return [caption, &seen] {
    HWND box = FindTopLevel(L"#32770", Utf16(caption));
    if (!box) return false;
    seen.push_back(BoxText(box));
    ::PostMessageW(box, WM_COMMAND, IDYES, 0);
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

// A step that runs once and then waits Ticks ticks, so that the posted keys are handled;
// a box met on the way is recorded and answered first.
Step Then(std::function<void()> f, int ticks = 3) {
  return [step = postest::Then(std::move(f), ticks)] { return !AnswerUnexpected() && step(); };
}

// The user of a walk: once the time is up, the open call is made to return
// (CloseTopLayer) and the walk counts as not finished.
class ScriptedUser : public postest::ScriptedUser {
 public:
  explicit ScriptedUser(std::vector<Step> steps) : postest::ScriptedUser(std::move(steps), {nullptr, &CloseTopLayer}) {}
};

// A path of the build tree as the programs under Wine see it.
std::string WinePath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

std::string FileBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of a text whose every line ends with CR LF. A bare CR or LF inside a line,
// or text after the last line end, shows as a line of its own saying so.
std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < bytes.size();) {
    const size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back("<no line end>" + bytes.substr(at));
      break;
    }
    const std::string line = bytes.substr(at, end - at);
    lines.push_back(line.find_first_of("\r\n") == std::string::npos ? line : "<bare CR or LF>" + line);
    at = end + 2;
  }
  return lines;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
    at = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

// Empty when both hold the same lines in any order; else the first line only one holds.
std::string FirstDifference(std::vector<std::string> got, std::vector<std::string> want) {
  std::sort(got.begin(), got.end());
  std::sort(want.begin(), want.end());
  std::vector<std::string> onlyGot, onlyWant;
  std::set_difference(got.begin(), got.end(), want.begin(), want.end(), std::back_inserter(onlyGot));
  std::set_difference(want.begin(), want.end(), got.begin(), got.end(), std::back_inserter(onlyWant));
  if (!onlyGot.empty()) return "written but not in the store: " + onlyGot.front();
  if (!onlyWant.empty()) return "in the store but not written: " + onlyWant.front();
  return "";
}

// The comma-separated fields of a one-line answer (its line end dropped).
std::vector<std::string> Fields(std::string line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  std::vector<std::string> fields;
  for (size_t at = 0;;) {
    const size_t end = line.find(',', at);
    fields.push_back(line.substr(at, end - at));
    if (end == std::string::npos) return fields;
    at = end + 1;
  }
}

// A number as text in one form, so that "29", "29.00" and "29.0000" compare equal.
std::string Number(const std::string& text) { return text.empty() ? text : std::to_string(std::stod(text)); }

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

// An environment variable of this process (and so of the plug-in) set for a scope.
class TEnvironmentScope {
 public:
  TEnvironmentScope(const char* name, const std::string& value) : FName(name) {
    ::SetEnvironmentVariableA(name, value.c_str());
  }
  ~TEnvironmentScope() { ::SetEnvironmentVariableA(FName, nullptr); }
  TEnvironmentScope(const TEnvironmentScope&) = delete;
  TEnvironmentScope& operator=(const TEnvironmentScope&) = delete;

 private:
  const char* FName;
};

class PdMangerE2eTest : public PluginHostTest {
 protected:
  void SetUp() override {
    const std::string row = Query("PosStore",
                                  "select PtypeId || '|' || ColorId || '|' || SizeId as k from PosBarCodeView "
                                  "where FullBarCode = '6920000000135'",
                                  "k");
    chosen = row.substr(0, row.size() - 1);
  }
  void TearDown() override { posapp::ReleaseDataModule(1); }
  static int32_t OpenPd(const char* uniqueId, const char* store = "PosStore") {
    posapp::THostString reserved = posapp::THostString::Constant(""), op("00001"), branch("00001"),
                        unique(uniqueId), pos("0001"), srv("127.0.0.1"), db(store), up("127.0.0.1"),
                        upDb("PosMain");
    return plugin->OpenPDManger(Handle(), reserved.Data(), op.Data(), branch.Data(), unique.Data(), pos.Data(),
                                srv.Data(), db.Data(), up.Data(), upDb.Data());
  }
  // The walk up to the totals: warehouse, scans, F5, a chosen line, its quantity.
  std::vector<Step> Count(const char* warehouse, std::string& totals, std::string& lines) {
    return {
        OpenWarehouses(),
        ClickWarehouse(warehouse),
        Then([] { Press(VK_RETURN); }),
        BackInTheGrid(),
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
        Then([] { Type("k00003"); }),
        Then([] { Press(VK_RETURN); }),
        // In the goods dialog the row of the chosen colour and size, then Enter.
        [this] {
          TfrmSelectBasic* d = Picker("商品");
          HWND focus = ::GetFocus();
          if (!d || !focus || (focus != d->Handle() && !::IsChild(d->Handle(), focus))) return false;
          for (int r = 0; r < d->grdSelectData->DataController()->RowCount(); ++r) {
            if (PickerValue(d, r, "typeid") + "|" + PickerValue(d, r, "colorid") + "|" +
                    PickerValue(d, r, "sizeid") == chosen) {
              PickerClick(d, r + d->grdSelectData->TitleOffset());
              return true;
            }
          }
          return false;
        },
        Then([] { Press(VK_RETURN); }),
        [] { return !Picker("商品"); },
        Then([] {}),
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

  // Entering the warehouse box opens the warehouse dialog (by a posted click, so that its
  // modal loop runs outside the step).

  std::string chosen;  // goods id|colour id|size id of the line chosen by code
};

}  // namespace

TEST_F(PdMangerE2eTest, ScansChoosesTypesSavesAndUploads) {
  std::string totals, lines;
  std::vector<std::string> boxes;
  std::vector<Step> steps = Count("00001", totals, lines);
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
  EXPECT_TRUE(user.Finished()) << user.Where();
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
  std::string totals, lines;
  std::vector<std::string> boxes;
  // Warehouse 00003: no stock-take preparation on the main database, -2.
  std::vector<Step> steps = Count("00003", totals, lines);
  steps.push_back(Then([] { ::PostMessageW(ScreenObject()->btnSave->Handle(), BM_CLICK, 0, 0); }, 0));
  steps.push_back(AnswerBox("提示", boxes));
  steps.push_back(AnswerBox("提示", boxes));
  ScriptedUser user(steps);
  EXPECT_GT(OpenPd("E2E-REFUSED-1"), 0);
  EXPECT_TRUE(user.Finished()) << user.Where();
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
  std::string file = "Z:" POS_SOURCE_DIR "/host/pd-terminal-sample.txt";
  std::replace(file.begin(), file.end(), '/', '\\');
  std::string lines, totals;
  std::vector<std::string> boxes;
  ScriptedUser user({
      OpenWarehouses(),
      ClickWarehouse("00001"),
      Then([] { Press(VK_RETURN); }),
      BackInTheGrid(),
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
      AnswerFileDialog(file),
      AnswerBox("提示", boxes),
      Then([&lines, &totals] {
        TfrmpdManger* f = ScreenObject();
        totals = f->lblPdQtyCount->Caption();
        for (int r = 2; r < f->grdPd->RowCount(); ++r)
          lines += f->grdPd->Cells(2, r) + "," + f->grdPd->Cells(12, r) + "," + f->grdPd->Cells(8, r) + ";";
        ::PostMessageW(f->btnCancle->Handle(), BM_CLICK, 0, 0);
      }, 0),
      AnswerYes("警告", boxes),
  });
  EXPECT_GT(OpenPd("E2E-IMPORT-1"), 0);
  EXPECT_TRUE(user.Finished()) << user.Where();
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
// another row, Space on the row below it and Enter; exactly the three marked rows land on
// the bill, in marking order, with their colour, size and retail price; saved and uploaded.
TEST_F(PdMangerE2eTest, WarehouseAndGoodsChosenInTheSelectionDialog) {
  std::string warehouseRows, marksBeforeRequery, marksAfterRequery, marked, expected, lines, quantities;
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
      Then([&marksBeforeRequery] {
        marksBeforeRequery = PickerMarks(Picker("商品"));
        ::SetFocus(Picker("商品")->edtSearch->Handle());
      }),
      Then([] { Press(VK_RETURN); }),
      Then([&marksAfterRequery] {
        TfrmSelectBasic* d = Picker("商品");
        marksAfterRequery = PickerMarks(d) + "rows " + std::to_string(d->grdSelectData->DataController()->RowCount());
        PickerDblClick(d, 2 + d->grdSelectData->TitleOffset());
      }),
      Then([] { PickerDblClick(Picker("商品"), 0); }),
      Then([] { PickerClick(Picker("商品"), 0 + Picker("商品")->grdSelectData->TitleOffset()); }),
      Then([] { Press(VK_SPACE); }),
      Then([] { Press(VK_DOWN); }),
      Then([] { Press(VK_SPACE); }),
      Then([&marked, &expected] {
        TfrmSelectBasic* d = Picker("商品");
        marked = PickerMarks(d);
        for (int r : {2, 0, 1}) {
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
  EXPECT_TRUE(user.Finished()) << user.Where();
  EXPECT_EQ(gUnexpected, std::vector<std::string>{});
  EXPECT_NE(warehouseRows.find("00001;"), std::string::npos) << warehouseRows;
  EXPECT_EQ(std::count(marksBeforeRequery.begin(), marksBeforeRequery.end(), ';'), 1) << marksBeforeRequery;
  EXPECT_EQ(marksAfterRequery.substr(0, 5), "rows ") << marksAfterRequery;
  EXPECT_EQ(std::count(marked.begin(), marked.end(), ';'), 3) << marked;
  EXPECT_EQ(lines, expected + ",,,;");
  EXPECT_EQ(quantities, ";;3;;");
  EXPECT_EQ(boxes, std::vector<std::string>{"盘点单保存成功！"});

  const std::string header = Query("PosStore",
                                   "select CheckCode || '|' || KTypeID || '|' || IsUpSend || '|' || "
                                   "ifnull(PdVchCode, 0) as h from CommonPosPtypeCheckNdx "
                                   "where UniqueID = 'E2E-PICK-1'",
                                   "h");
  ASSERT_EQ(std::count(header.begin(), header.end(), '\n'), 1) << header;
  const std::string checkCode = header.substr(0, header.find('|'));
  const std::string billCode = header.substr(header.rfind('|') + 1, header.size() - header.rfind('|') - 2);
  EXPECT_EQ(header, checkCode + "|00001|1|" + billCode + "\n");
  std::string savedLines;
  for (char c : marked) savedLines += c == ';' ? std::string(";\n") : std::string(1, c);
  EXPECT_EQ(Query("PosStore",
                  "select PtypeID || '|' || ColorID || '|' || SizeID || ';' as k from CommonPosPtypeCheckList "
                  "where CheckCode = " + checkCode + " order by ListId",
                  "k"),
            savedLines);
  // Uploaded: the main database holds the bill with its three lines.
  EXPECT_EQ(Query("PosMain", "select count(*) || '|' || sum(Qty) as n from PdBillDetail where BillCode = " + billCode,
                  "n"),
            "3|3\n");
}

// The terminal dialog's export and import through the selection dialog: the bill's
// warehouse chosen by a click on its row and Enter; in the terminal dialog the export
// warehouse chosen the same way after Enter in its box, the goods list exported through
// the file dialog and read back byte for byte against the store; a terminal's count file
// made from it (four of its lines counted, one of them twice, one left empty) imported on
// the import page; what lands on the bill checked against the store; leaving the screen
// answers the exit question. Every box of the flow is answered by a posted command.
TEST_F(PdMangerE2eTest, GoodsListExportedForAChosenWarehouseAndItsCountsImportedBack) {
  const std::string pid = std::to_string(::GetCurrentProcessId());
  const std::string exportFile = WinePath(std::string(POS_BINARY_DIR "/tests/app/pd-e2e-export-") + pid + ".txt");
  const std::string countFile = WinePath(std::string(POS_BINARY_DIR "/tests/app/pd-e2e-counts-") + pid + ".txt");
  ::DeleteFileA(exportFile.c_str());
  const char* const terminal = "盘点机信息导入导出";
  std::string billWarehouse, exportWarehouse, exported, lines, totals;
  std::vector<std::string> boxes, counted;
  ScriptedUser user({
      [] {
        TfrmpdManger* f = ScreenObject();
        if (!f || !::GetFocus()) return false;
        PostClick(f->edtStock->Handle());
        return true;
      },
      ClickWarehouse("00001"),
      Then([] { Press(VK_RETURN); }),
      [&billWarehouse] {
        if (Picker("仓库")) return false;
        billWarehouse = ScreenObject()->edtStock->Text();
        ::PostMessageW(ScreenObject()->btnCheckIn->Handle(), BM_CLICK, 0, 0);
        return true;
      },
      [terminal] {
        HWND d = FindTopLevel(nullptr, Utf16(terminal));
        if (!d || !::GetFocus()) return false;
        PostClick(postest::FindChildByName(d, L"edtStock"));
        return true;
      },
      Then([] { Press(VK_RETURN); }),
      ClickWarehouse("00001"),
      Then([] { Press(VK_RETURN); }),
      [terminal, &exportWarehouse] {
        HWND d = FindTopLevel(nullptr, Utf16(terminal));
        if (Picker("仓库") || !d) return false;
        exportWarehouse = Gbk(postest::WindowText(postest::FindChildByName(d, L"edtStock")));
        ::PostMessageW(postest::FindChildByName(d, L"btnEnter"), BM_CLICK, 0, 0);
        return true;
      },
      AnswerFileDialog(exportFile),
      AnswerBox("提示", boxes),
      // The terminal counts: the file read back, four of its lines given quantities (the
      // first twice, the second left empty), written as the terminal hands it back.
      Then([&exported, &counted, countFile, exportFile] {
        exported = FileBytes(exportFile);
        const std::vector<std::string> in = CrLfLines(exported);
        if (in.size() < 5) return;
        const size_t n = in.size() - 1;
        counted = {in[n / 2] + "3", in[1] + "2", in[n] + "1.5", in[1] + "1", in[2]};
        std::string out = in[0] + "\r\n";
        for (const std::string& line : counted) out += line + "\r\n";
        std::ofstream(countFile, std::ios::binary) << out;
        HWND to = ::GetFocus();
        ::PostMessageW(to, WM_SYSKEYDOWN, 'I', 1 | (1 << 29));
        ::PostMessageW(to, WM_SYSKEYUP, 'I', 1 | (1 << 29) | (3u << 30));
      }),
      [terminal] {
        ::PostMessageW(postest::FindChildByName(FindTopLevel(nullptr, Utf16(terminal)), L"btnEnter"), BM_CLICK, 0, 0);
        return true;
      },
      AnswerFileDialog(countFile),
      [terminal] {
        if (AnswerUnexpected()) return false;
        return !FindTopLevel(nullptr, Utf16(terminal));
      },
      Then([&lines, &totals] {
        TfrmpdManger* f = ScreenObject();
        totals = f->lblPdQtyCount->Caption();
        for (int r = 2; r < f->grdPd->RowCount(); ++r) {
          lines += f->grdPd->Cells(12, r) + "," + f->grdPd->Cells(2, r) + "," + f->grdPd->Cells(5, r) + "," +
                   f->grdPd->Cells(7, r) + "," + f->grdPd->Cells(8, r) + "," + Number(f->grdPd->Cells(9, r)) +
                   "," + Number(f->grdPd->Cells(10, r)) + "," + Number(f->grdPd->Cells(11, r)) + ";";
        }
        ::PostMessageW(f->btnCancle->Handle(), BM_CLICK, 0, 0);
      }, 0),
      AnswerYes("警告", boxes),
  });
  EXPECT_GT(OpenPd("E2E-EXPORT-1"), 0);
  EXPECT_TRUE(user.Finished()) << user.Where();
  EXPECT_EQ(gUnexpected, std::vector<std::string>{});
  EXPECT_EQ(billWarehouse, "旗舰店仓库");
  EXPECT_EQ(exportWarehouse, "旗舰店仓库");
  EXPECT_EQ(boxes, (std::vector<std::string>{"基本信息导出成功！保存路径：" + exportFile,
                                             "盘点单中尚有未保存的数据，确认退出？"}));

  // The file: the chosen warehouse's code and name, then every goods barcode of the store's
  // export type with the goods' code and name and an empty quantity; CR LF after each line.
  std::vector<std::string> written = CrLfLines(exported);
  ASSERT_GT(written.size(), 5u);
  EXPECT_EQ(written.front(), "001~旗舰店仓库");
  written.erase(written.begin());
  const std::vector<std::string> store = SplitLines(
      Query("PosStore",
            "select b.FullBarCode || '~' || p.UserCode || '~' || p.FullName || '~' as l from PosBarCodeView b "
            "join PosPtypeView p on p.PtypeId = b.PtypeId where b.BarTypeId = '1'",
            "l"));
  EXPECT_EQ(written.size(), store.size());
  EXPECT_EQ(FirstDifference(written, store), "");

  // The bill: one line per counted barcode in barcode order, equal barcodes added up, an
  // empty count as 0.00; colour, size, the stock of the bill's warehouse and the retail
  // price from the store; then the empty entry row.
  ASSERT_EQ(counted.size(), 5u);
  std::vector<std::pair<std::string, double>> byBarcode;
  for (const std::string& line : counted) {
    const std::string barcode = line.substr(0, line.find('~'));
    const std::string qty = line.substr(line.rfind('~') + 1);
    auto it = std::find_if(byBarcode.begin(), byBarcode.end(), [&](const auto& b) { return b.first == barcode; });
    if (it == byBarcode.end()) it = byBarcode.insert(byBarcode.end(), {barcode, 0.0});
    it->second += qty.empty() ? 0.0 : std::stod(qty);
  }
  std::sort(byBarcode.begin(), byBarcode.end());
  std::string expected;
  double total = 0;
  for (const auto& [barcode, qty] : byBarcode) {
    // code, colour, size, stock, price ("," is never a GBK trail byte).
    const std::vector<std::string> store = Fields(Query(
        "PosStore",
        "select p.UserCode || ',' || c.ColorName || ',' || s.SizeName || ',' || ifnull(g.Qty, 0) || ',' || "
        "r.Price as k from PosBarCodeView b join PosPtypeView p on p.PtypeId = b.PtypeId "
        "join PosColorView c on c.colorid = b.ColorId join PosSizeView s on s.sizeid = b.SizeId "
        "join PosptypepriceView r on r.Ptypeid = b.PtypeId and r.PriceTypeId = 'LSSJ1' "
        "left join PosGoodsStocksDetailView g on g.KtypeId = '00001' and g.PtypeId = b.PtypeId and "
        "g.ColorId = b.ColorId and g.SizeId = b.SizeId where b.FullBarCode = '" + barcode + "'",
        "k"));
    ASSERT_EQ(store.size(), 5u) << barcode;
    char quantity[32];
    std::snprintf(quantity, sizeof quantity, "%.2f", qty);
    expected += barcode + "," + store[0] + "," + store[1] + "," + store[2] + "," + quantity + "," + Number(store[3]) +
                "," + Number(store[4]) + "," + std::to_string(qty * std::stod(store[4])) + ";";
    total += qty;
  }
  EXPECT_EQ(lines, expected + ",,,,,,,;");
  char sum[32];
  std::snprintf(sum, sizeof sum, "%g", total);
  EXPECT_EQ(totals, std::string("盘点数量合计 : ") + sum);
  ::DeleteFileA(exportFile.c_str());
  ::DeleteFileA(countFile.c_str());
}

// A barcode that stands for several colours and sizes (the style's code), scanned: the
// selection dialog opens in barcode mode with its search locked and lists them; the third
// is chosen by keys (Down, Down, Enter), and that colour and size, not the style's first,
// lands on the bill with a count of 1. Leaving answers the exit question.
TEST_F(PdMangerE2eTest, AStyleBarcodeScannedTakesTheColourAndSizeChosenInTheSelectionDialog) {
  const std::string style =
      SplitLines(Query("PosStore",
                       "select FullBarCode from PosBarCodeView where BarTypeId = '2' group by FullBarCode "
                       "having count(*) > 2 order by FullBarCode limit 1",
                       "FullBarCode"))
          .at(0);
  std::string dialog, first, chosen, line;
  std::vector<std::string> boxes;
  ScriptedUser user({
      [] {
        TfrmpdManger* f = ScreenObject();
        if (!f || !::GetFocus()) return false;
        PostClick(f->edtStock->Handle());
        return true;
      },
      ClickWarehouse("00001"),
      Then([] { Press(VK_RETURN); }),
      [] {
        if (Picker("仓库")) return false;
        ::PostMessageW(ScreenObject()->Handle(), WM_PD_SHOWEDITOR, 0, 0);
        return true;
      },
      Then([style] { Type(style); }),
      Then([] { Press(VK_RETURN); }),
      [&dialog, &first] {
        TfrmSelectBasic* d = Picker("商品");
        HWND focus = ::GetFocus();
        if (!d || !focus || !::IsChild(d->Handle(), focus)) return false;
        dialog = std::string(d->edtSearch->Enabled() ? "search open" : "search locked") + "|" +
                 d->edtSearch->Text() + "|" + std::to_string(d->grdSelectData->DataController()->RowCount());
        first = PickerValue(d, 0, "colorid") + "," + PickerValue(d, 0, "sizeid");
        Press(VK_DOWN);
        Press(VK_DOWN);
        return true;
      },
      Then([&chosen] {
        TfrmSelectBasic* d = Picker("商品");
        const int r = d->grdSelectData->FocusedRowIndex();
        for (const char* field : {"typeid", "UserCode", "colorid", "ColorName", "sizeid", "SizeName"})
          chosen += PickerValue(d, r, field) + ",";
        chosen += "1;";
        Press(VK_RETURN);
      }),
      Then([&line] {
        TfrmpdManger* f = ScreenObject();
        for (int c : {1, 2, 4, 5, 6, 7, 8}) line += f->grdPd->Cells(c, 2) + (c == 8 ? ";" : ",");
        ::PostMessageW(f->btnCancle->Handle(), BM_CLICK, 0, 0);
      }, 0),
      AnswerYes("警告", boxes),
  });
  EXPECT_GT(OpenPd("E2E-STYLE-1"), 0);
  EXPECT_TRUE(user.Finished()) << user.Where();
  EXPECT_EQ(gUnexpected, std::vector<std::string>{});
  const std::string skus =
      Query("PosStore", "select count(*) as n from PosBarCodeView where FullBarCode = '" + style + "'", "n");
  std::string lowered = style;
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(dialog, "search locked|" + lowered + "|" + SplitLines(skus).at(0));
  // Not the style's first colour and size: the one chosen.
  const std::vector<std::string> c = Fields(chosen);
  ASSERT_EQ(c.size(), 7u) << chosen;
  EXPECT_NE(c[2] + "," + c[4], first);
  EXPECT_EQ(line, chosen);
  EXPECT_EQ(boxes, std::vector<std::string>{"盘点单中尚有未保存的数据，确认退出？"});
}

// The export's goods chosen in the selection dialog: Enter in the goods box opens it with
// every goods; two goods are marked with Space, the lower row first, and Enter confirms;
// the box shows their names, and the exported file holds exactly their barcodes, the goods
// in marking order.
TEST_F(PdMangerE2eTest, ExportGoodsMarkedInTheSelectionDialogAreTheOnesExported) {
  const std::string pid = std::to_string(::GetCurrentProcessId());
  const std::string exportFile = WinePath(std::string(POS_BINARY_DIR "/tests/app/pd-e2e-picked-") + pid + ".txt");
  ::DeleteFileA(exportFile.c_str());
  const char* const terminal = "盘点机信息导入导出";
  std::vector<std::string> picked;  // goods id|name, in marking order
  std::string goodsBox, exported;
  std::vector<std::string> boxes;
  ScriptedUser user({
      [] {
        TfrmpdManger* f = ScreenObject();
        if (!f || !::GetFocus()) return false;
        ::PostMessageW(f->btnCheckIn->Handle(), BM_CLICK, 0, 0);
        return true;
      },
      [terminal] {
        HWND d = FindTopLevel(nullptr, Utf16(terminal));
        if (!d || !::GetFocus()) return false;
        PostClick(postest::FindChildByName(d, L"edtPtype"));
        return true;
      },
      Then([] { Press(VK_RETURN); }),
      // Two goods (leaves of the goods tree): a click on the lower one and Space, then on
      // the upper one and Space.
      [&picked] {
        TfrmSelectBasic* d = Picker("商品");
        HWND focus = ::GetFocus();
        if (!d || !focus || !::IsChild(d->Handle(), focus)) return false;
        std::vector<int> leaves;
        for (int r = 0; r < d->grdSelectData->DataController()->RowCount() && leaves.size() < 4; ++r)
          if (PickerValue(d, r, "Sonnum") == "0") leaves.push_back(r);
        if (leaves.size() < 4) return true;  // nothing marked: the checks below fail
        for (int r : {leaves[3], leaves[1]})
          picked.push_back(PickerValue(d, r, "typeid") + "|" + PickerValue(d, r, "FullName"));
        PickerClick(d, leaves[3] + d->grdSelectData->TitleOffset());
        Press(VK_SPACE);
        PickerClick(d, leaves[1] + d->grdSelectData->TitleOffset());
        Press(VK_SPACE);
        return true;
      },
      Then([] { Press(VK_RETURN); }),
      [terminal, &goodsBox] {
        HWND d = FindTopLevel(nullptr, Utf16(terminal));
        if (Picker("商品") || !d) return false;
        goodsBox = Gbk(postest::WindowText(postest::FindChildByName(d, L"edtPtype")));
        PostClick(postest::FindChildByName(d, L"edtStock"));
        return true;
      },
      Then([] { Press(VK_RETURN); }),
      ClickWarehouse("00001"),
      Then([] { Press(VK_RETURN); }),
      [terminal] {
        HWND d = FindTopLevel(nullptr, Utf16(terminal));
        if (Picker("仓库") || !d) return false;
        ::PostMessageW(postest::FindChildByName(d, L"btnEnter"), BM_CLICK, 0, 0);
        return true;
      },
      AnswerFileDialog(exportFile),
      AnswerBox("提示", boxes),
      Then([terminal, &exported, exportFile] {
        exported = FileBytes(exportFile);
        ::PostMessageW(FindTopLevel(nullptr, Utf16(terminal)), WM_CLOSE, 0, 0);
      }),
      Then([] { ::PostMessageW(ScreenObject()->btnCancle->Handle(), BM_CLICK, 0, 0); }, 0),
  });
  EXPECT_GT(OpenPd("E2E-PICKED-1"), 0);
  EXPECT_TRUE(user.Finished()) << user.Where();
  EXPECT_EQ(gUnexpected, std::vector<std::string>{});
  ASSERT_EQ(picked.size(), 2u);
  EXPECT_EQ(boxes, std::vector<std::string>{"基本信息导出成功！保存路径：" + exportFile});
  std::string names, expected = "001~旗舰店仓库\n";
  for (const std::string& goods : picked) {
    const std::string id = goods.substr(0, goods.find('|'));
    names += goods.substr(goods.find('|') + 1) + ",";
    std::vector<std::string> lines = SplitLines(
        Query("PosStore",
              "select b.FullBarCode || '~' || p.UserCode || '~' || p.FullName || '~' as l from PosBarCodeView b "
              "join PosPtypeView p on p.PtypeId = b.PtypeId where b.BarTypeId = '1' and b.PtypeId = '" + id + "'",
              "l"));
    ASSERT_FALSE(lines.empty()) << id;
    std::sort(lines.begin(), lines.end());
    for (const std::string& l : lines) expected += l + "\n";
  }
  EXPECT_EQ(goodsBox, names);
  // The file's lines in their order, but each run of one goods' lines sorted (the store
  // gives a goods' barcodes in no set order).
  std::vector<std::string> written = CrLfLines(exported);
  auto code = [](const std::string& l) {
    const size_t from = l.find('~') + 1;
    return l.substr(from, l.find('~', from) - from);
  };
  for (auto run = written.begin() + (written.empty() ? 0 : 1); run != written.end();) {
    const auto end = std::find_if(run, written.end(), [&](const std::string& l) { return code(l) != code(*run); });
    std::sort(run, end);
    run = end;
  }
  std::string got;
  for (const std::string& l : written) got += l + "\n";
  EXPECT_EQ(got, expected);
  ::DeleteFileA(exportFile.c_str());
}

// The plug-in takes its choices from the selection dialog whatever the host's environment
// holds: a variable that once named a file of answers instead (the file missing, the
// screen did not open at all) is ignored, and entering the warehouse box opens the
// warehouse dialog.
TEST_F(PdMangerE2eTest, RegressionAChooserScriptInTheEnvironmentIsIgnored) {
  const std::string missing = WinePath(POS_BINARY_DIR "/tests/app/no-such-chooser-script.txt");
  ::DeleteFileA(missing.c_str());
  const TEnvironmentScope variable("POS_PD_CHOOSER_SCRIPT", missing);
  bool dialog = false;
  ScriptedUser user({
      OpenWarehouses(),
      [&dialog] {
        TfrmSelectBasic* d = Picker("仓库");
        if (!d) return false;
        dialog = true;
        ::PostMessageW(d->Handle(), WM_CLOSE, 0, 0);
        return true;
      },
      [] {
        if (Picker("仓库") || AnswerUnexpected()) return false;
        ::PostMessageW(ScreenObject()->btnCancle->Handle(), BM_CLICK, 0, 0);
        return true;
      },
  });
  EXPECT_GT(OpenPd("E2E-NOSCRIPT-1"), 0);
  EXPECT_TRUE(user.Finished()) << user.Where();
  EXPECT_TRUE(dialog);
  EXPECT_EQ(gUnexpected, std::vector<std::string>{});
}

// A store whose "AllowColorSize" is "0" (PdNoColorSize, the fixture's copy of its store
// with that value): the bill's colour and size columns, ids and names, are hidden and no
// other; a scanned line still holds its colour and size ids. The fixture's own store
// shows them.
TEST_F(PdMangerE2eTest, ColourAndSizeColumnsHiddenWhenTheStoreDisallowsThem) {
  ASSERT_EQ(Query("PdNoColorSize", "select SysValue as v from sysdata where SysName = 'AllowColorSize'", "v"),
            "0\n");
  const auto widths = [](std::string& into) {
    TfrmpdManger* f = ScreenObject();
    for (int c = 1; c <= 8; ++c) into += std::to_string(f->grdPd->ColWidths(c) > 0 ? 1 : 0);
  };
  const auto walk = [&widths](std::string& shown, std::string& ids, std::vector<std::string>& boxes) {
    return std::vector<Step>{
        OpenWarehouses(),
        ClickWarehouse("00001"),
        Then([] { Press(VK_RETURN); }),
        BackInTheGrid(),
        Then([] {}),
        Then([] { Type("6920000000012"); }),
        Then([] { Press(VK_RETURN); }),
        Then([&shown, &ids, widths] {
          widths(shown);
          TfrmpdManger* f = ScreenObject();
          ids = f->grdPd->Cells(2, 2) + "," + f->grdPd->Cells(4, 2) + "," + f->grdPd->Cells(6, 2);
          ::PostMessageW(f->btnCancle->Handle(), BM_CLICK, 0, 0);
        }, 0),
        AnswerYes("警告", boxes),
    };
  };
  std::string hidden, hiddenIds, shown, shownIds;
  std::vector<std::string> boxes;
  {
    ScriptedUser user(walk(hidden, hiddenIds, boxes));
    EXPECT_GT(OpenPd("E2E-NOCS-1", "PdNoColorSize"), 0);
    EXPECT_TRUE(user.Finished()) << user.Where();
  }
  {
    ScriptedUser user(walk(shown, shownIds, boxes));
    EXPECT_GT(OpenPd("E2E-NOCS-2"), 0);
    EXPECT_TRUE(user.Finished()) << user.Where();
  }
  EXPECT_EQ(gUnexpected, std::vector<std::string>{});
  // Columns 1-8 (1: shown): goods id, code, name, colour id, colour, size id, size, counted quantity.
  EXPECT_EQ(hidden, "01100001");
  EXPECT_EQ(shown, "01101011");
  const std::string ids = Query("PosStore",
                                "select UserCode || ',' || ColorId || ',' || SizeId as k from PosBarCodeView b join "
                                "PosPtypeView p on p.ptypeid = b.PtypeId where FullBarCode = '6920000000012'",
                                "k");
  EXPECT_EQ(hiddenIds + "\n", ids);
  EXPECT_EQ(shownIds, hiddenIds);
  EXPECT_EQ(boxes, std::vector<std::string>(2, "盘点单中尚有未保存的数据，确认退出？"));
}
