// The stock-take rules against the stand-in server in the same process (native only):
// saving and uploading a bill through the shared data module, checking a terminal's
// counts in, and the terminal dialog's import checks and export lists, on a fresh demo
// store per test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPDCheckIn.h"
#include "app/uPDGoodsEntry.h"
#include "app/uPDImportRules.h"
#include "app/uPDMangerRules.h"
#include "app/uPDQuantity.h"
#include "app/uPDSave.h"
#include "app/uPublic.h"
#include "tests/app/PdTestDoubles.h"
#include "server/DemoStore.h"
#include "server/Listener.h"
#include "server/SqliteDb.h"
#include "server/StoreSession.h"
#include "tests/app/StoreServer.h"
#include "rtl/NumberFormat.h"

using namespace pdbill;

namespace {

namespace fs = std::filesystem;

using apptest::StoreServer;

// One goods in one colour and size of the demo store, with its barcode.
struct TDemoGoods {
  AnsiString TypeId, ColorId, SizeId, Barcode;
};

class StockTakeServerTest : public testing::Test {
 protected:
  void SetUp() override {
    dir = (fs::temp_directory_path() / ("pos-pd-store-" + std::to_string(::getpid()))).string();
    fs::remove_all(dir);
    MakeDemoStore(dir, DemoStoreOptions{40});
    StartServer();
    ASSERT_TRUE(posapp::ConnectDataModule(*module, "127.0.0.1", kDemoStoreDbName));
    LoadProcPrefix("PD");
    goods = DemoGoods();
    ASSERT_GE(goods.size(), 4u);
  }
  void TearDown() override {
    posapp::ReleaseDataModule(1);
    server.reset();
    fs::remove_all(dir);
  }
  void StartServer() {
    server = std::make_unique<StoreServer>(dir);
    module = &posapp::EnsureDataModule(nullptr);
    module->cnZelvoEnt->SetPort(server->Port());
  }
  // Type-1 barcodes of warehouse 00001's stock, in barcode order.
  std::vector<TDemoGoods> DemoGoods() {
    std::vector<TDemoGoods> out;
    store::SqliteDb db(dir + "/PosStore.db", store::SqliteDb::OpenMode::ExistingFile);
    store::Statement st(db,
                        "select b.PtypeId, b.ColorId, b.SizeId, b.FullBarCode from Barcode b join GoodsStocks s on "
                        "s.PtypeId = b.PtypeId and s.ColorId = b.ColorId and s.SizeId = b.SizeId and s.KtypeId = "
                        "'00001' join ptype p on p.typeid = b.PtypeId where b.BarTypeId = '1' and p.Stop = 0 "
                        "order by b.FullBarCode limit 6");
    while (st.Step()) out.push_back({st.ColumnText(0), st.ColumnText(1), st.ColumnText(2), st.ColumnText(3)});
    return out;
  }
  // The rows of a query on one of the databases, one a line, fields split by "|".
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
  void AddLine(TPdMemorySheet& s, const TDemoGoods& g, const char* qty) {
    int r = 0;
    while (r < s.RowCount() && !s.Cell(pcGoodsId, r).empty()) ++r;
    if (r == s.RowCount()) s.AddRow();
    s.SetCell(pcGoodsId, r, g.TypeId);
    s.SetCell(pcColorId, r, g.ColorId);
    s.SetCell(pcSizeId, r, g.SizeId);
    s.SetCell(pcQty, r, qty);
  }
  TPdBillHeader Header(const char* warehouse = "00001") {
    return {warehouse, "00001", "2024-03-05", "0001", "U-1", "0001 2024-03-05 00001"};
  }
  TPdServers Servers(const char* uploadDb = kDemoMainDbName) {
    return {"127.0.0.1", kDemoStoreDbName, uploadDb ? "127.0.0.1" : "", uploadDb ? uploadDb : ""};
  }
  AnsiString CurrentDb() {
    TClientDataSet ds(nullptr);
    OpenSQLData(u"select DB_Name() As DbName", &ds);
    return ds.FieldByName("DbName")->AsString();
  }
  AnsiString WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::string dir;
  std::unique_ptr<StoreServer> server;
  TfrmDataModule* module = nullptr;
  std::vector<TDemoGoods> goods;
  TRecordedMessages messages;
};

const char* kHeaders = "select KTypeID, OperatorID, PDDate, PosID, IsUpSend, UpLoadPosVchCode, UniqueID, PDNumber, "
                       "ifnull(PdVchCode, 0) from CommonPosPtypeCheckNdx order by CheckCode";

}  // namespace

TEST_F(StockTakeServerTest, SavedLocallyWithMergedLinesWithoutUploadServer) {
  TPdMemorySheet s;
  AddLine(s, goods[0], "2");
  AddLine(s, goods[1], "1");
  AddLine(s, goods[0], "3.5");
  AddLine(s, goods[2], "");
  TPdBillSaver saver(Servers(nullptr), messages, 0);
  EXPECT_EQ(saver.Save(s, Header()), TSaveOutcome::Close);
  EXPECT_EQ(messages.Texts(), "盘点单本地保存成功！\n");
  EXPECT_EQ(Rows("PosStore", kHeaders), "00001|00001|2024-03-05|0001|0|0|U-1|0001 2024-03-05 00001|0\n");
  const std::string lines = Rows("PosStore", "select CheckCode, PtypeID, ColorID, SizeID, Qty, IsUpSend "
                                             "from CommonPosPtypeCheckList order by ListId");
  const std::string code = std::to_string(saver.LocalCheckCode());
  EXPECT_EQ(lines, code + "|" + goods[0].TypeId + "|" + goods[0].ColorId + "|" + goods[0].SizeId + "|5.5|0\n" +
                       code + "|" + goods[1].TypeId + "|" + goods[1].ColorId + "|" + goods[1].SizeId + "|1|0\n" +
                       code + "|" + goods[2].TypeId + "|" + goods[2].ColorId + "|" + goods[2].SizeId + "|0|0\n");
  EXPECT_EQ(s.Cell(pcQty, 3), "0");  // an empty quantity of a goods row was saved as 0
}

TEST_F(StockTakeServerTest, UploadedBillGetsTheMainSystemsCodeAndTheConnectionEndsAtHome) {
  TPdMemorySheet s;
  AddLine(s, goods[0], "2");
  AddLine(s, goods[1], "4");
  TPdBillSaver saver(Servers(), messages, 0);
  EXPECT_EQ(saver.Save(s, Header()), TSaveOutcome::Close);
  EXPECT_EQ(messages.Texts(), "盘点单保存成功！\n");
  ASSERT_GT(saver.UploadCode(), 0);
  const std::string local = std::to_string(saver.LocalCheckCode());
  const std::string code = std::to_string(saver.UploadCode());
  EXPECT_EQ(Rows("PosStore", kHeaders), "00001|00001|2024-03-05|0001|1|0|U-1|0001 2024-03-05 00001|" + code + "\n");
  EXPECT_EQ(Rows("PosMain", kHeaders),
            "00001|00001|2024-03-05|0001|1|" + local + "|U-1|0001 2024-03-05 00001|" + code + "\n");
  EXPECT_EQ(Rows("PosMain", "select BillCode, UpLoadCheckCode, count(*) from PdBillNdx join PdBillDetail using "
                            "(BillCode) group by BillCode"),
            code + "|" + Rows("PosMain", "select CheckCode || '|2' from CommonPosPtypeCheckNdx"));
  EXPECT_EQ(CurrentDb(), kDemoStoreDbName);
}

// A refused upload used to mark the local bill as uploaded and report success; the
// bill now stays unmarked (it can be sent again) and the main database keeps no copy.
TEST_F(StockTakeServerTest, RefusedUploadLeavesLocalBillUnmarked) {
  const struct {
    const char* warehouse;
    const char* message;
  } cases[] = {{"00003", kRefusedNoPrepare}, {"00002", kRefusedClosed}};
  for (const auto& c : cases) {
    messages.Shown.clear();
    TPdMemorySheet s;
    AddLine(s, goods[0], "1");
    TPdBillSaver saver(Servers(), messages, 0);
    EXPECT_EQ(saver.Save(s, Header(c.warehouse)), TSaveOutcome::Close);
    EXPECT_EQ(messages.Texts(), AnsiString(c.message) + "\n" + kUploadFailed + "\n");
    EXPECT_EQ(saver.UploadCode(), 0);
    EXPECT_EQ(Rows("PosStore", "select IsUpSend, ifnull(PdVchCode,0) from CommonPosPtypeCheckNdx where CheckCode = " +
                                   std::to_string(saver.LocalCheckCode())),
              "0|0\n");
    EXPECT_EQ(CurrentDb(), kDemoStoreDbName);
  }
  EXPECT_EQ(Rows("PosMain", "select count(*) from CommonPosPtypeCheckNdx"), "0\n");
}

TEST_F(StockTakeServerTest, DraftRefusalShowsItsMessage) {
  TPdMemorySheet s;
  AddLine(s, goods[0], "1");
  TPdBillSaver first(Servers(), messages, 0);
  ASSERT_EQ(first.Save(s, Header()), TSaveOutcome::Close);
  messages.Shown.clear();
  TPdBillSaver second(Servers(), messages, 0);
  second.Save(s, Header());
  EXPECT_EQ(messages.Texts(), AnsiString(kRefusedDraft) + "\n" + kUploadFailed + "\n");
}

// The switch used to fail without telling its caller, who then worked on against a
// closed connection; now the connection returns home and the local bill stays unmarked.
TEST_F(StockTakeServerTest, UnreachableUploadServerGoesBackHome) {
  TPdMemorySheet s;
  AddLine(s, goods[0], "1");
  TPdBillSaver saver(Servers("NoSuchMainDb"), messages, 0);
  EXPECT_EQ(saver.Save(s, Header()), TSaveOutcome::Close);
  ASSERT_EQ(messages.Shown.size(), 2u);
  EXPECT_EQ(messages.Shown[0].Text, "无法连接到服务器127.0.0.1的数据库NoSuchMainDb。");
  EXPECT_EQ(messages.Shown[0].Caption, kCaptionError);
  EXPECT_EQ(messages.Shown[1].Text, kUploadFailed);
  EXPECT_EQ(Rows("PosStore", "select IsUpSend from CommonPosPtypeCheckNdx"), "0\n");
  EXPECT_EQ(CurrentDb(), kDemoStoreDbName);
}

// A local save that failed used to be rolled back silently and reported as saved; it
// is now reported, the form keeps its rows, and a later save stores the bill once.
TEST_F(StockTakeServerTest, FailedLocalSaveKeepsTheRowsAndIsReported) {
  TPdMemorySheet s;
  AddLine(s, goods[0], "2");
  AddLine(s, goods[1], "1");
  server.reset();
  TPdBillSaver saver(Servers(), messages, 0);
  EXPECT_EQ(saver.Save(s, Header()), TSaveOutcome::Stay);
  ASSERT_EQ(messages.Shown.size(), 1u);
  EXPECT_EQ(messages.Shown[0].Text.substr(0, std::string(kSaveFailed).size()), kSaveFailed);
  EXPECT_EQ(messages.Shown[0].Caption, kCaptionError);
  EXPECT_EQ(s.Cell(pcGoodsId, 1), goods[1].TypeId);
  EXPECT_EQ(saver.LocalCheckCode(), 0);

  StartServer();
  ASSERT_TRUE(posapp::ConnectDataModule(*module, "127.0.0.1", kDemoStoreDbName));
  messages.Shown.clear();
  EXPECT_EQ(saver.Save(s, Header()), TSaveOutcome::Close);
  EXPECT_EQ(messages.Texts(), "盘点单保存成功！\n");
  EXPECT_EQ(Rows("PosStore", "select count(*) from CommonPosPtypeCheckNdx"), "1\n");
}

// A second press of Save after the bill was stored used to store it a second time.
TEST_F(StockTakeServerTest, SecondSaveStoresNoSecondCopy) {
  TPdMemorySheet s;
  AddLine(s, goods[0], "2");
  TPdBillSaver saver(Servers("NoSuchMainDb"), messages, 0);
  saver.Save(s, Header());
  EXPECT_EQ(saver.Save(s, Header()), TSaveOutcome::Close);
  EXPECT_EQ(Rows("PosStore", "select count(*) from CommonPosPtypeCheckNdx"), "1\n");
  EXPECT_EQ(Rows("PosStore", "select count(*) from CommonPosPtypeCheckList"), "1\n");
}

TEST_F(StockTakeServerTest, SaveChecksWarehouseAndData) {
  TPdMemorySheet s;
  TPdBillSaver saver(Servers(), messages, 0);
  EXPECT_EQ(saver.Save(s, Header("")), TSaveOutcome::Stay);
  EXPECT_EQ(saver.Save(s, Header()), TSaveOutcome::Stay);
  AddLine(s, goods[0], "");
  EXPECT_EQ(saver.Save(s, Header()), TSaveOutcome::Stay);
  EXPECT_EQ(messages.Texts(), "请选择盘点的仓库!\n没有盘点数据！\n没有盘点数据！\n");
  EXPECT_EQ(messages.Shown[0].Kind, pmOk);
  EXPECT_EQ(Rows("PosStore", "select count(*) from CommonPosPtypeCheckNdx"), "0\n");
}

// Counts used to be paired with the looked-up records by position, so a barcode given
// twice, an unknown one or a count that was no number moved counts onto other goods.
TEST_F(StockTakeServerTest, CheckInBooksCountsByBarcode) {
  TPdMemorySheet s;
  const std::vector<pdterminal::TCountLine> counts = {{"0000000000000", "5"}, {goods[0].Barcode, "2"},
                                                      {goods[0].Barcode, "1.5"}, {goods[1].Barcode, "x"},
                                                      {goods[2].Barcode, "3"}, {goods[3].Barcode, "-1"}};
  const TCheckInResult r = CheckInData(s, counts, "00001", false);
  EXPECT_EQ(r.Lines, 2);
  EXPECT_EQ(r.UnknownBarcodes, std::vector<AnsiString>{"0000000000000"});
  EXPECT_EQ(r.SkippedCounts, (std::vector<AnsiString>{goods[1].Barcode, goods[3].Barcode}));
  ASSERT_EQ(s.RowCount(), 2);
  EXPECT_EQ(s.Cell(pcBarcode, 0) + " " + s.Cell(pcGoodsId, 0) + " " + s.Cell(pcQty, 0),
            goods[0].Barcode + " " + goods[0].TypeId + " 3.50");
  EXPECT_EQ(s.Cell(pcBarcode, 1) + " " + s.Cell(pcGoodsId, 1) + " " + s.Cell(pcQty, 1),
            goods[2].Barcode + " " + goods[2].TypeId + " 3.00");
  const std::string expected = Rows("PosStore", "select Qty from GoodsStocks where KtypeId = '00001' and PtypeId = '" +
                                                    goods[0].TypeId + "' and ColorId = " + goods[0].ColorId +
                                                    " and SizeId = " + goods[0].SizeId);
  EXPECT_EQ(s.Cell(pcStock, 0) + "\n", expected);
  EXPECT_FALSE(s.Cell(pcPrice, 0).empty());
  EXPECT_EQ(QuantityValue(s.Cell(pcAmount, 0)), QuantityValue(FormatFloat("0.##", 3.5 * QuantityValue(s.Cell(pcPrice, 0)))));
  EXPECT_EQ(UnknownBarcodesMessage(r.UnknownBarcodes), "以下条码在商品资料中不存在，没有导入：\r\n0000000000000");
}

TEST_F(StockTakeServerTest, CheckInWithForbiddenDecimalsRoundsEachCount) {
  TPdMemorySheet s;
  CheckInData(s, {{goods[0].Barcode, "2.6"}}, "00001", true);
  EXPECT_EQ(s.Cell(pcQty, 0), "3");
}

// The bill used to be emptied before the look-up, which then failed.
TEST_F(StockTakeServerTest, CheckInClearsTheBillOnlyAfterTheQuerySucceeded) {
  TPdMemorySheet s;
  AddLine(s, goods[0], "7");
  server.reset();
  EXPECT_ANY_THROW(CheckInData(s, {{goods[1].Barcode, "1"}}, "00001", false));
  EXPECT_EQ(s.RowCount(), 1);
  EXPECT_EQ(s.Cell(pcQty, 0), "7");
  StartServer();
  ASSERT_TRUE(posapp::ConnectDataModule(*module, "127.0.0.1", kDemoStoreDbName));
  const TCheckInResult r = CheckInData(s, {{"nosuch'barcode", "1"}}, "00001", false);
  EXPECT_EQ(r.Lines, 0);
  EXPECT_EQ(s.Cell(pcQty, 0), "7");  // nothing known: the bill stays
}

TEST_F(StockTakeServerTest, FileOfAnUnknownOrAnotherWarehouseIsRefused) {
  const std::string line = goods[0].Barcode + "~c~皛~2\r\n";
  const struct {
    std::string bytes;
    const char* branch;
    const char* billWarehouse;
    std::string message;
  } cases[] = {
      {"001~旗舰店仓库\r\n" + line, "00002", "00001", pdimport::kOtherBranch},
      {"99999~无\r\n" + line, "00001", "00001", pdimport::kUnknownWarehouse},
      {"x'y~无\r\n" + line, "00001", "00001", pdimport::kUnknownWarehouse},
      {"001~旗舰店仓库\r\n" + line, "00001", "00002", pdimport::kOtherWarehouse},
      {"001~旗舰店仓库\r\n" + line, "00001", "", pdimport::kNoBillWarehouse},
      {"001~旗舰店仓库\r\n", "00001", "00001", pdterminal::kNoCountLines},
      {"001 旗舰店仓库\r\n", "00001", "00001", pdterminal::kNotTerminalFile},
      {"001~旗舰店仓库\r\n" + line + "1~~2~3\r\n", "00001", "00001", "盘点机文件第2行格式错误，不能导入！"},
  };
  for (const auto& c : cases) {
    const pdimport::TImportResult r =
        pdimport::ImportTerminalFile(WriteFile("t.txt", c.bytes), c.branch, c.billWarehouse);
    EXPECT_FALSE(r.Ok) << c.message;
    EXPECT_EQ(r.Message, c.message);
  }
  const AnsiString missing = dir + "/none.txt";
  EXPECT_EQ(pdimport::ImportTerminalFile(missing, "00001", "00001").Message, "\"" + missing + "\"文件不存在");
  const pdimport::TImportResult ok =
      pdimport::ImportTerminalFile(WriteFile("t.txt", "001~旗舰店仓库\r\n" + line), "00001", "00001");
  EXPECT_TRUE(ok.Ok);
  EXPECT_EQ(ok.Counts, (std::vector<pdterminal::TCountLine>{{goods[0].Barcode, "2"}}));
}

// Export of every goods with barcodes, then the file as the terminal hands it back:
// the same lines come in, and each barcode is checked in onto its goods.
TEST_F(StockTakeServerTest, ExportedGoodsListImportsBackAsTheSameLines) {
  EXPECT_EQ(pdimport::DefaultBarCodeOfStore(), "1");
  const std::vector<pdterminal::TGoodsLine> all = pdimport::AllGoodsWithBarcodes("1");
  ASSERT_GT(all.size(), 20u);
  const AnsiString file = dir + "/export.txt";
  pdimport::SaveTerminalFile(file, "001", "旗舰店仓库", all);
  const pdimport::TImportResult r = pdimport::ImportTerminalFile(file, "00001", "00001");
  ASSERT_TRUE(r.Ok) << r.Message;
  ASSERT_EQ(r.Counts.size(), all.size());
  std::vector<pdterminal::TCountLine> expected;
  for (const auto& g : all) expected.push_back({g.Barcode, "0"});
  EXPECT_EQ(r.Counts, pdterminal::SortedByBarcode(expected));
  const std::vector<pdterminal::TGoodsLine> one = pdimport::BarcodesOfGoods(goods[0].TypeId, "1");
  ASSERT_FALSE(one.empty());
  for (const auto& g : one) EXPECT_NE(g.Barcode, "");
  EXPECT_TRUE(pdimport::BarcodesOfGoods("x'y", "1").empty());
}

TEST_F(StockTakeServerTest, PickedExportGoodsCollectBarcodesAndNamesUpTo240Characters) {
  pdimport::TExportGoods picked;
  const std::vector<AnsiString> ids(30, goods[0].TypeId);
  const std::vector<AnsiString> names(30, "一件很长很长的商品名称");  // 23 bytes with its ","
  pdimport::AddExportGoods(picked, ids, names, "1");
  const size_t each = pdimport::BarcodesOfGoods(goods[0].TypeId, "1").size();
  EXPECT_EQ(picked.Lines.size(), 30 * each);
  EXPECT_EQ(picked.Names.size(), 11u * 23u);  // appended while shorter than 240
}

namespace {
TPdChoice ChoiceOf(const TDemoGoods& g) { return {g.TypeId, "C", "选中的商品", g.ColorId, "", g.SizeId, ""}; }
}  // namespace

// Scans go on from the entry cell of the next empty row; a goods scanned again counts
// one more on its line and leaves the entry row empty.
TEST_F(StockTakeServerTest, ScannedBarcodesMakeLinesAndRepeatedScansCount) {
  TPdMemorySheet s;
  TScriptedChooser chooser;
  TPdGoodsEntry entry(s, chooser, messages);
  entry.WarehouseId = "00001";
  EXPECT_EQ(entry.InputGoods(pcName, 0, goods[0].Barcode), (TPdCursor{pcName, 1}));
  EXPECT_EQ(entry.InputGoods(pcName, 1, goods[1].Barcode), (TPdCursor{pcName, 2}));
  s.SetCell(pcName, 2, goods[0].Barcode);
  EXPECT_EQ(entry.InputGoods(pcName, 2, goods[0].Barcode), (TPdCursor{pcName, 2}));
  EXPECT_EQ(entry.InputGoods(pcName, 2, goods[0].Barcode), (TPdCursor{pcName, 2}));
  ASSERT_EQ(s.RowCount(), 3);
  EXPECT_EQ(s.Cell(pcGoodsId, 0) + "/" + s.Cell(pcColorId, 0) + "/" + s.Cell(pcSizeId, 0) + " " + s.Cell(pcQty, 0),
            goods[0].TypeId + "/" + goods[0].ColorId + "/" + goods[0].SizeId + " 3");
  EXPECT_EQ(s.Cell(pcQty, 1), "1");
  EXPECT_EQ(s.Cell(pcName, 2), "");
  EXPECT_EQ(s.Cell(pcGoodsId, 2), "");
  const std::string stock = Rows("PosStore", "select Qty from GoodsStocks where KtypeId = '00001' and PtypeId = '" +
                                                 goods[0].TypeId + "' and ColorId = " + goods[0].ColorId +
                                                 " and SizeId = " + goods[0].SizeId);
  EXPECT_EQ(s.Cell(pcStock, 0) + "\n", stock);
  const std::string price = Rows("PosStore", "select Price from PtypePrice where PriceTypeId = 'LSSJ1' and PtypeId = '" +
                                                 goods[0].TypeId + "'");
  EXPECT_EQ(QuantityValue(s.Cell(pcPrice, 0)), QuantityValue(price.substr(0, price.size() - 1)));
  EXPECT_EQ(QuantityValue(s.Cell(pcAmount, 0)), 3 * QuantityValue(s.Cell(pcPrice, 0)));
  EXPECT_EQ(messages.Texts(), "");
  EXPECT_TRUE(chooser.Asked.empty());
}

TEST_F(StockTakeServerTest, UnknownBarcodeIsSaidAndRemoved) {
  TPdMemorySheet s;
  TScriptedChooser chooser;
  TPdGoodsEntry entry(s, chooser, messages);
  s.SetCell(pcName, 0, "123'x");
  EXPECT_EQ(entry.InputGoods(pcName, 0, "123'x"), (TPdCursor{pcName, 0}));
  EXPECT_EQ(s.Cell(pcName, 0), "");
  EXPECT_EQ(messages.Texts(), "没有找到指定条码的商品\n");
  messages.Shown.clear();
  EXPECT_EQ(entry.InputGoods(pcCode, 0, ""), (TPdCursor{pcCode, 0}));  // Enter on an empty cell
  EXPECT_EQ(messages.Texts(), "没有找到指定条码的商品\n");
}

TEST_F(StockTakeServerTest, CodeOrNameChoiceAddsLinesWithEmptyQuantity) {
  TPdMemorySheet s;
  TScriptedChooser chooser;
  TPdGoodsEntry entry(s, chooser, messages);
  entry.WarehouseId = "00001";
  entry.InputGoods(pcName, 0, goods[0].Barcode);
  EXPECT_EQ(entry.ToggleMode(), kEntryModeCodeName);
  chooser.Add({ChoiceOf(goods[1]), ChoiceOf(goods[0]), ChoiceOf(goods[2])});
  s.SetCell(pcName, 1, "no such goods");
  EXPECT_EQ(entry.InputGoods(pcName, 1, "no such goods"), (TPdCursor{pcName, 3}));
  ASSERT_EQ(chooser.Asked.size(), 1u);
  EXPECT_EQ(chooser.Asked[0].Kind, TPdChoiceKind::GoodsBySearch);
  EXPECT_EQ(chooser.Asked[0].SearchText, "no such goods");
  EXPECT_EQ(s.Cell(pcGoodsId, 1) + " [" + s.Cell(pcQty, 1) + "] " + s.Cell(pcGoodsId, 2) + " [" + s.Cell(pcQty, 2) + "]",
            goods[1].TypeId + " [] " + goods[2].TypeId + " []");
  EXPECT_EQ(s.Cell(pcQty, 0), "1");
  EXPECT_NE(s.Cell(pcPrice, 1), "");
  EXPECT_EQ(entry.ToggleMode(), kEntryModeBarcode);
}

// The goods whose barcode stands for several colours and sizes (a style barcode): the
// colour and size chosen are taken; the first used to be taken whatever was chosen.
TEST_F(StockTakeServerTest, ChosenColourAndSizeOfAStyleBarcodeAreTaken) {
  std::string style, typeId;
  {
    const std::string row = Rows("PosStore", "select FullBarCode, PtypeId from Barcode where BarTypeId = '2' group by "
                                             "FullBarCode having count(*) > 1 limit 1");
    ASSERT_FALSE(row.empty());
    style = row.substr(0, row.find('|'));
    typeId = row.substr(row.find('|') + 1, row.size() - row.find('|') - 2);
  }
  const std::string last = Rows("PosStore", "select ColorId || '|' || SizeId from Barcode where BarTypeId = '2' and "
                                            "FullBarCode = '" + style + "' order by ColorId desc, SizeId desc limit 1");
  const std::string color = last.substr(0, last.find('|'));
  const std::string size = last.substr(last.find('|') + 1, last.size() - last.find('|') - 2);
  TPdMemorySheet s;
  TScriptedChooser chooser;
  TPdGoodsEntry entry(s, chooser, messages);
  chooser.Add({{typeId, "", "", color, "", size, ""}});
  entry.InputGoods(pcName, 0, style);
  ASSERT_EQ(chooser.Asked.size(), 1u);
  EXPECT_EQ(chooser.Asked[0].Kind, TPdChoiceKind::GoodsOfBarcode);
  EXPECT_EQ(s.Cell(pcGoodsId, 0) + "/" + s.Cell(pcColorId, 0) + "/" + s.Cell(pcSizeId, 0), typeId + "/" + color + "/" + size);
  // Cancelled: nothing happens.
  entry.InputGoods(pcName, 1, style);
  EXPECT_EQ(s.Cell(pcGoodsId, 1), "");
  // With "GetFirstBarCode" other than "0" the first colour and size is taken unasked.
  {
    store::SqliteDb db(dir + "/PosStore.db", store::SqliteDb::OpenMode::ExistingFile);
    db.Exec("update sysdata set SysValue = '1' where SysName = 'GetFirstBarCode'");
  }
  entry.InputGoods(pcName, 1, style);
  EXPECT_EQ(chooser.Asked.size(), 2u);
  EXPECT_EQ(s.Cell(pcGoodsId, 1), typeId);
}

namespace {
// Each row of the sheet: goods id/colour id/size id, quantity, code and name.
std::string Lines(const TPdMemorySheet& s) {
  std::string out;
  for (int r = 0; r < s.RowCount(); ++r) {
    out += s.Cell(pcGoodsId, r) + "/" + s.Cell(pcColorId, r) + "/" + s.Cell(pcSizeId, r) + " " + s.Cell(pcQty, r) +
           " " + s.Cell(pcCode, r) + " " + s.Cell(pcName, r) + "\n";
  }
  return out;
}
std::string At(const TPdCursor& c) { return std::to_string(c.Col) + "," + std::to_string(c.Row); }
}  // namespace

// Every look-up started on a line with goods, against the store: the line keeps its goods
// and count; what a scan or a choice finds is placed as from the entry row (one more on
// its line, the line chosen becomes current, new goods on a line without goods); what
// finds nothing or is cancelled gives the line its code and name back; the line's own
// code or name moves on to its quantity; an emptied name clears the line. Before, such
// look-ups replaced the line's goods, blanked or kept its count for other goods, or
// emptied the line.
TEST_F(StockTakeServerTest, ALineWithGoodsKeepsItsGoodsAndCountThroughEveryLookUp) {
  TPdMemorySheet s;
  TScriptedChooser chooser;
  TPdGoodsEntry entry(s, chooser, messages);
  entry.WarehouseId = "00001";
  entry.InputGoods(pcName, 0, goods[0].Barcode);
  entry.InputGoods(pcName, 1, goods[1].Barcode);
  s.SetCell(pcQty, 0, "5");
  const AnsiString code0 = s.Cell(pcCode, 0), name0 = s.Cell(pcName, 0), name1 = s.Cell(pcName, 1);
  // A line as it must read: the goods' ids, the quantity, the code and name it was given.
  std::map<int, AnsiString> names{{0, code0 + " " + name0}, {1, s.Cell(pcCode, 1) + " " + name1},
                                  {3, "C 选中的商品"}};
  const auto line = [&](int r, const TDemoGoods& g, const char* qty) {
    return g.TypeId + "/" + g.ColorId + "/" + g.SizeId + " " + qty + " " + names[r] + "\n";
  };
  const auto typed = [&](int col, int row, const AnsiString& text) {
    s.SetCell(col, row, text);
    return At(entry.InputGoods(col, row, text));
  };
  std::vector<std::string> cursor;
  cursor.push_back(typed(pcName, 1, name1));   // Enter on its own name
  cursor.push_back(typed(pcCode, 0, code0));   // on its own code
  cursor.push_back(typed(pcName, 0, "zz"));    // a barcode not found
  EXPECT_EQ(s.Cell(pcName, 0) + "|" + s.Cell(pcCode, 0), name0 + "|" + code0);
  cursor.push_back(typed(pcName, 0, goods[2].Barcode));  // new goods: to a line without goods
  names[2] = s.Cell(pcCode, 2) + " " + s.Cell(pcName, 2);
  cursor.push_back(typed(pcName, 1, goods[0].Barcode));  // goods of another line: one more there
  cursor.push_back(typed(pcCode, 1, goods[1].Barcode));  // its own goods: one more
  ASSERT_EQ(s.RowCount(), 4);
  EXPECT_EQ(Lines(s), line(0, goods[0], "6") + line(1, goods[1], "2") + line(2, goods[2], "1") + "//   \n");
  EXPECT_NE(names[2].substr(0, 1), " ");

  entry.ToggleMode();
  chooser.Add({ChoiceOf(goods[1]), ChoiceOf(goods[3]), ChoiceOf(goods[0])});
  cursor.push_back(typed(pcName, 0, "no such goods"));  // two on the bill, one new
  chooser.Add({ChoiceOf(goods[0])});
  cursor.push_back(typed(pcName, 0, "no such goods"));  // the line's own goods
  chooser.Add({ChoiceOf(goods[2]), ChoiceOf(goods[1])});
  cursor.push_back(typed(pcName, 4, "no such goods"));  // from the entry row, all on the bill
  cursor.push_back(typed(pcCode, 1, "no such goods"));  // cancelled
  cursor.push_back(typed(pcName, 2, ""));               // an emptied name clears the line
  EXPECT_EQ(cursor, (std::vector<std::string>{"8,1", "8,0", "3,0", "3,3", "3,3", "3,3", "3,4", "8,0", "8,1", "2,1",
                                              "3,2"}));
  EXPECT_EQ(Lines(s), line(0, goods[0], "6") + line(1, goods[1], "2") + "//   \n" + line(3, goods[3], "") +
                          "//   \n");
  EXPECT_EQ(messages.Texts(), "没有找到指定条码的商品\n");
  ASSERT_EQ(chooser.Asked.size(), 4u);
  EXPECT_EQ(chooser.Asked[3].Kind, TPdChoiceKind::GoodsBySearch);
}

TEST_F(StockTakeServerTest, StockQueryKeepsColourAndSizeConditionsApart) {
  EXPECT_EQ(GbkToUtf8(WideToGbk(StockSql("00001", "01", "", "")) ),
            "select qty from PosGoodsStocksDetailView where ptypeid = '00001' and Ktypeid = '01' and colorid = 0 and "
            "sizeid = 0");
  EXPECT_THROW(StockSql("1", "01", "1 or 1=1", "0"), EPdBillError);
}

TEST_F(StockTakeServerTest, AfterEditPutsCodeAndNameBackAndGuardsQuantity) {
  TPdMemorySheet s;
  TScriptedChooser chooser;
  TPdGoodsEntry entry(s, chooser, messages);
  entry.InputGoods(pcName, 0, goods[0].Barcode);
  const AnsiString name = s.Cell(pcName, 0);
  const AnsiString code = s.Cell(pcCode, 0);
  s.SetCell(pcName, 0, "typed over");
  s.SetCell(pcQty, 0, ".");
  entry.AfterEdit(pcName, 0);
  EXPECT_EQ(s.Cell(pcName, 0), name);
  EXPECT_EQ(s.Cell(pcCode, 0), code);
  entry.AfterEdit(pcQty, 0);
  EXPECT_EQ(s.Cell(pcQty, 0), "0.");
  s.SetCell(pcQty, 0, "12abc");
  entry.AfterEdit(pcQty, 0);
  EXPECT_EQ(s.Cell(pcQty, 0), "");
  s.SetCell(pcName, 0, "");
  entry.AfterEdit(pcName, 0);
  EXPECT_EQ(s.Cell(pcGoodsId, 0) + s.Cell(pcCode, 0) + s.Cell(pcPrice, 0), "");
}

TEST_F(StockTakeServerTest, WarehouseChoiceLoadsStockAndCancelKeepsIt) {
  TPdMemorySheet s;
  TScriptedChooser chooser;
  TPdGoodsEntry entry(s, chooser, messages);
  entry.InputGoods(pcName, 0, goods[0].Barcode);
  EXPECT_EQ(s.Cell(pcStock, 0), "0");  // no warehouse yet
  chooser.Add({{"00001", "001", "旗舰店仓库"}});
  EXPECT_TRUE(entry.ChooseWarehouse());
  EXPECT_EQ(entry.WarehouseId, "00001");
  EXPECT_EQ(entry.WarehouseName, "旗舰店仓库");
  const AnsiString stock = s.Cell(pcStock, 0);
  EXPECT_NE(stock, "0");
  EXPECT_FALSE(entry.ChooseWarehouse());
  EXPECT_EQ(entry.WarehouseId, "00001");
  EXPECT_EQ(s.Cell(pcStock, 0), stock);
}

TEST_F(StockTakeServerTest, BillNumberAndOperatorName) {
  EXPECT_EQ(BillNumberOfToday("0001", EncodeDate(2024, 3, 5)), "001 2024-03-05 00001");
  TPdMemorySheet s;
  AddLine(s, goods[0], "1");
  TPdBillSaver(Servers(nullptr), messages, 0).Save(s, Header());
  EXPECT_EQ(BillNumberOfToday("0001", EncodeDate(2024, 3, 5)), "001 2024-03-05 00002");
  EXPECT_EQ(BillNumberOfToday("0'1", EncodeDate(2024, 3, 5)), " 2024-03-05 00002");
  EXPECT_EQ(EmployeeName("00001"), "系统管理员");
  EXPECT_EQ(EmployeeName("x'"), "");
}

// The demo's sample terminal file (host/pd-terminal-sample.txt): a name whose trail
// byte is 7E, one barcode twice, one the store does not know.
TEST_F(StockTakeServerTest, SampleTerminalFileChecksInWithItsCounts) {
  const pdimport::TImportResult r =
      pdimport::ImportTerminalFile(POS_SOURCE_DIR "/host/pd-terminal-sample.txt", "00001", "00001");
  ASSERT_TRUE(r.Ok) << r.Message;
  TPdMemorySheet s;
  const TCheckInResult c = CheckInData(s, r.Counts, "00001", false);
  EXPECT_EQ(c.UnknownBarcodes, std::vector<AnsiString>{"6999999999999"});
  AnsiString lines;
  for (int row = 0; row < s.RowCount(); ++row) lines += s.Cell(pcBarcode, row) + " " + s.Cell(pcQty, row) + "\n";
  EXPECT_EQ(lines, "6920000000012 2.00\n6920000000036 4.00\n6920000000081 5.00\n6920000000135 4.00\n");
  EXPECT_EQ(TotalText(SumTotals(s).Quantity), "15");
}

// The screen's walk without its window: three scans (one goods twice), a line chosen by
// code or name, a typed quantity, the totals, the save with its upload.
TEST_F(StockTakeServerTest, ScreenRulesScanChooseTypeAndSave) {
  TPdMemorySheet s;
  TScriptedChooser chooser;
  TPdMangerRules rules(s, chooser, messages, Servers(), 0);
  rules.OperatorId = "00001";
  rules.PosId = "0001";
  rules.UniqueId = "U-42";
  rules.InitBill(EncodeDate(2024, 3, 5));
  EXPECT_EQ(rules.EmployeeNameText, "系统管理员");
  EXPECT_EQ(rules.BillNumber, "001 2024-03-05 00001");
  chooser.Add({{"00001", "001", "旗舰店仓库"}});
  ASSERT_TRUE(rules.ChooseWarehouse());

  TPdCursor at{pcName, 0};
  for (const AnsiString& barcode : {goods[0].Barcode, goods[1].Barcode, goods[0].Barcode, goods[2].Barcode}) {
    s.SetCell(at.Col, at.Row, barcode);
    at = rules.Enter(at.Col, at.Row);
  }
  EXPECT_EQ(at, (TPdCursor{pcName, 3}));
  rules.ToggleEntryMode();
  chooser.Add({ChoiceOf(goods[3])});
  s.SetCell(pcName, 3, "x");
  at = rules.Enter(pcName, 3);
  EXPECT_EQ(at, (TPdCursor{pcName, 4}));
  // The quantity of the chosen line, typed key by key.
  EXPECT_FALSE(rules.KeyPress(pcQty, 4, '1', {}));  // the entry row has no goods
  for (char k : std::string("2.5")) {
    const AnsiString typed = s.Cell(pcQty, 3);
    ASSERT_TRUE(rules.KeyPress(pcQty, 3, k, {typed, static_cast<int>(typed.size()), 0}));
    s.SetCell(pcQty, 3, typed + k);
  }
  EXPECT_FALSE(rules.KeyPress(pcQty, 3, '.', {"2.5", 3, 0}));
  EXPECT_FALSE(rules.KeyPress(pcColor, 3, '1', {}));
  rules.AfterEdit(pcQty, 3);
  EXPECT_EQ(rules.Enter(pcQty, 3), (TPdCursor{pcName, 4}));
  EXPECT_EQ(TotalText(rules.Totals().Quantity), "6.5");

  messages.Answers = {false};
  EXPECT_FALSE(rules.MayClose());
  EXPECT_EQ(messages.Shown.back().Text, kExitQuestion);
  EXPECT_EQ(messages.Shown.back().Caption, kCaptionWarning);
  messages.Shown.clear();
  EXPECT_EQ(rules.Save(EncodeDate(2024, 3, 5)), TSaveOutcome::Close);
  EXPECT_EQ(messages.Texts(), "盘点单保存成功！\n");
  EXPECT_EQ(Rows("PosStore", "select UniqueID, PDNumber, IsUpSend, PdVchCode > 1000 from CommonPosPtypeCheckNdx"),
            "U-42|001 2024-03-05 00001|1|1\n");
  EXPECT_EQ(Rows("PosStore", "select PtypeID, Qty from CommonPosPtypeCheckList order by ListId"),
            goods[0].TypeId + "|2\n" + goods[1].TypeId + "|1\n" + goods[2].TypeId + "|1\n" + goods[3].TypeId + "|2.5\n");
  EXPECT_EQ(Rows("PosMain", "select count(*) from PdBillDetail"), "4\n");
}

TEST_F(StockTakeServerTest, ScreenRulesCheckInTellsUnknownBarcodes) {
  TPdMemorySheet s;
  TScriptedChooser chooser;
  TPdMangerRules rules(s, chooser, messages, Servers(), 0);
  chooser.Add({{"00001", "001", "旗舰店仓库"}});
  rules.ChooseWarehouse();
  const pdimport::TImportResult r =
      pdimport::ImportTerminalFile(POS_SOURCE_DIR "/host/pd-terminal-sample.txt", "00001", rules.WarehouseId());
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(rules.CheckIn(r.Counts).Lines, 4);
  EXPECT_EQ(s.RowCount(), 5);  // the entry row below the lines
  EXPECT_EQ(s.Cell(pcGoodsId, 4), "");
  EXPECT_EQ(messages.Texts(), "以下条码在商品资料中不存在，没有导入：\r\n6999999999999\n");
  EXPECT_TRUE(rules.MayClose() == false);
}

// The exit question used to come only for lines with a quantity, so lines chosen by code
// or name (quantity still empty) were lost without a word.
TEST_F(StockTakeServerTest, ExitAsksWhenLinesWithoutQuantityAreOnTheBill) {
  TPdMemorySheet s;
  TScriptedChooser chooser;
  TPdMangerRules rules(s, chooser, messages, Servers(), 0);
  EXPECT_TRUE(rules.MayClose());  // an empty bill closes unasked
  EXPECT_EQ(messages.Texts(), "");
  rules.ToggleEntryMode();
  chooser.Add({ChoiceOf(goods[0])});
  s.SetCell(pcName, 0, "x");
  rules.Enter(pcName, 0);
  ASSERT_EQ(s.Cell(pcQty, 0), "");
  messages.Answers = {false, true};
  EXPECT_FALSE(rules.MayClose());
  EXPECT_TRUE(rules.MayClose());
  EXPECT_EQ(messages.Texts(), AnsiString(kExitQuestion) + "\n" + kExitQuestion + "\n");
}

namespace {
// Answers the file dialog with a fixed name (or cancels) and records what it proposed.
class ScriptedFiles final : public pdimport::IPdFileChooser {
 public:
  bool Choose(AnsiString& FileName, bool ForSave) override {
    Proposed.push_back(FileName + (ForSave ? " (save)" : " (open)"));
    if (Answer.empty()) return false;
    FileName = Answer;
    return true;
  }
  AnsiString Answer;
  std::vector<AnsiString> Proposed;
};
}  // namespace

TEST_F(StockTakeServerTest, TerminalDialogExportsAndImportsBack) {
  TScriptedChooser chooser;
  ScriptedFiles files;
  pdimport::TPdTerminalDialog dialog(chooser, files, messages);
  dialog.Folder = dir + "/";
  dialog.BranchId = "00001";
  dialog.BillWarehouseId = "00001";
  dialog.Setup();
  EXPECT_FALSE(dialog.Export(EncodeDate(2024, 3, 5)));
  EXPECT_EQ(messages.Texts(), "请选择导出仓库\n");
  chooser.Add({{"00001", "001", "旗舰/仓库"}});
  ASSERT_TRUE(dialog.ChooseExportWarehouse());
  chooser.Add({ChoiceOf(goods[0]), ChoiceOf(goods[1])});
  dialog.ChooseExportGoods();
  EXPECT_EQ(dialog.GoodsText(), "选中的商品,选中的商品,");
  EXPECT_FALSE(dialog.Export(EncodeDate(2024, 3, 5)));  // the file dialog is cancelled
  EXPECT_EQ(files.Proposed.back(), dir + "/导出基本信息库存商品(2024-03-05)旗舰_仓库.txt (save)");
  files.Answer = dir + "/out";
  messages.Shown.clear();
  ASSERT_TRUE(dialog.Export(EncodeDate(2024, 3, 5)));
  EXPECT_EQ(messages.Texts(), "基本信息导出成功！保存路径：" + dir + "/out.txt\n");
  // Back from the terminal: the same lines.
  files.Answer = dir + "/out.txt";
  ASSERT_TRUE(dialog.Import());
  EXPECT_EQ(files.Proposed.back(), dir + "/*.Txt (open)");
  EXPECT_EQ(dialog.Log(), (std::vector<AnsiString>{pdimport::kAnalysing, pdimport::kImporting, pdimport::kImported}));
  std::vector<pdterminal::TCountLine> expected;
  for (const auto& g : pdimport::BarcodesOfGoods(goods[0].TypeId, "1")) expected.push_back({g.Barcode, "0"});
  for (const auto& g : pdimport::BarcodesOfGoods(goods[1].TypeId, "1")) expected.push_back({g.Barcode, "0"});
  EXPECT_EQ(dialog.Counts(), pdterminal::SortedByBarcode(expected));
  // A pick of nothing goes back to every goods.
  dialog.ChooseExportGoods();
  EXPECT_EQ(dialog.GoodsText(), pdimport::kAllGoods);
  ASSERT_TRUE(dialog.Export(EncodeDate(2024, 3, 5)));
  ASSERT_TRUE(dialog.Import());
  EXPECT_EQ(dialog.Counts().size(), pdimport::AllGoodsWithBarcodes("1").size());
}

// The log used to be kept across imports and was only read after an import ended: each
// import now starts it afresh and every line is told as it is written, before the
// import's message comes.
TEST_F(StockTakeServerTest, RegressionImportLogGrowsAsItRunsAndStartsAfreshEachTime) {
  TScriptedChooser chooser;
  ScriptedFiles files;
  pdimport::TPdTerminalDialog dialog(chooser, files, messages);
  dialog.Folder = dir + "/";
  dialog.BranchId = "00001";
  dialog.BillWarehouseId = "00001";
  std::vector<size_t> told;
  dialog.OnLogChanged = [&] { told.push_back(dialog.Log().size()); };
  std::ofstream(dir + "/no-header.txt", std::ios::binary) << "001旗舰仓库\r\n6901~A~x~1\r\n";
  files.Answer = dir + "/no-header.txt";
  messages.Shown.clear();
  EXPECT_FALSE(dialog.Import());
  EXPECT_EQ(told, (std::vector<size_t>{1}));
  EXPECT_EQ(messages.Shown.size(), 1u);
  EXPECT_FALSE(dialog.Import());
  EXPECT_EQ(dialog.Log(), (std::vector<AnsiString>{pdimport::kAnalysing}));
  files.Answer.clear();  // a cancelled file dialog leaves the last log
  EXPECT_FALSE(dialog.Import());
  EXPECT_EQ(dialog.Log(), (std::vector<AnsiString>{pdimport::kAnalysing}));
  EXPECT_EQ(told, (std::vector<size_t>{1, 1}));
}
