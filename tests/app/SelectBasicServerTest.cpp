// The selection dialog's query against the stand-in server in the same process (native
// only): the candidates of each kind, stopped goods kept out by the dataset filter, and
// a new query that starts without marks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPDBasicChooser.h"
#include "app/uPDBillSheet.h"
#include "app/uPDGoodsEntry.h"
#include "app/uPDMessages.h"
#include "app/uPDQuantity.h"
#include "app/uPublic.h"
#include "app/uSelectBasicRules.h"
#include "tests/app/PdTestDoubles.h"
#include "db/ClientDataSet.h"
#include "server/DemoStore.h"
#include "server/SqliteDb.h"
#include "rtl/NumberFormat.h"
#include "tests/app/StoreServer.h"

namespace {

namespace fs = std::filesystem;

class SelectBasicServerTest : public testing::Test {
 protected:
  void SetUp() override {
    dir = (fs::temp_directory_path() / ("pos-select-store-" + std::to_string(::getpid()))).string();
    fs::remove_all(dir);
    MakeDemoStore(dir, DemoStoreOptions{40});
    server = std::make_unique<apptest::StoreServer>(dir);
    TfrmDataModule* module = &posapp::EnsureDataModule(nullptr);
    module->cnZelvoEnt->SetPort(server->Port());
    ASSERT_TRUE(posapp::ConnectDataModule(*module, "127.0.0.1", kDemoStoreDbName));
    LoadProcPrefix("PD");
  }
  void TearDown() override {
    posapp::ReleaseDataModule(1);
    server.reset();
    fs::remove_all(dir);
  }
  std::string Scalar(const std::string& sql) {
    store::SqliteDb db(dir + "/PosStore.db", store::SqliteDb::OpenMode::ExistingFile);
    store::Statement st(db, sql);
    return st.Step() ? st.ColumnText(0) : std::string();
  }
  static TSelectBasicArgs Args(const char* kind, TSelectBasicOptions options) {
    TSelectBasicArgs a;
    a.Kind = kind;
    a.Options = options;
    return a;
  }

  std::string dir;
  std::unique_ptr<apptest::StoreServer> server;
};

TEST_F(SelectBasicServerTest, GoodsInColoursAndSizesWithoutStoppedOnes) {
  TClientDataSet ds(nullptr);
  TSelectBasicRules rules(Args("Ptype", sbMultiSelect | sbColorSize));
  rules.Query(ds, "");
  const std::string active = Scalar("select count(*) from ptype p left join PtypeColorSize pcs on pcs.PtypeId = "
                                    "p.typeid where p.Sonnum = 0 and p.Stop = 0");
  EXPECT_EQ(std::to_string(ds.RecordCount()), active);
  EXPECT_TRUE(ds.Filtered());
  for (ds.First(); !ds.Eof(); ds.Next()) ASSERT_EQ(ds.FieldByName("stop")->AsInteger(), 0);
  TSelectBasicRules withStopped(Args("Ptype", sbMultiSelect | sbColorSize | sbWithStopped));
  withStopped.Query(ds, "");
  EXPECT_EQ(std::to_string(ds.RecordCount()),
            Scalar("select count(*) from ptype p left join PtypeColorSize pcs on pcs.PtypeId = p.typeid where "
                   "p.Sonnum = 0"));
}

TEST_F(SelectBasicServerTest, SearchByCodeAndRequeryClearsMarks) {
  const std::string code = Scalar("select UserCode from ptype where Sonnum = 0 and Stop = 0 order by UserCode limit 1");
  TClientDataSet ds(nullptr);
  TSelectBasicRules rules(Args("Ptype", sbMultiSelect | sbColorSize | sbWithStopped));
  rules.Query(ds, " " + code + " ");
  ASSERT_GE(ds.RecordCount(), 1);
  for (ds.First(); !ds.Eof(); ds.Next()) ASSERT_NE(ds.FieldByName("UserCode")->AsString().find(code), std::string::npos);
  ds.First();
  ASSERT_TRUE(rules.ToggleMark(ds));
  EXPECT_EQ(rules.Marks().Count(), 1);
  rules.Query(ds, code);
  EXPECT_EQ(rules.Marks().Count(), 0);
  std::vector<TBaseRecord> chosen;
  ASSERT_TRUE(rules.Confirm(ds, ds.FieldByName("typeid")->AsString(), chosen));
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].UserCode.find(code), 0u);
  EXPECT_FALSE(chosen[0].colorid.empty());
}

TEST_F(SelectBasicServerTest, WarehousesAndTerminals) {
  TClientDataSet ds(nullptr);
  TSelectBasicRules warehouses(Args("Ktype", 0));
  warehouses.Query(ds, "");
  EXPECT_EQ(std::to_string(ds.RecordCount()), Scalar("select count(*) from ktype where Sonnum = 0"));
  ds.First();
  EXPECT_EQ(warehouses.RecordOf(ds).TypeId, Scalar("select typeid from ktype where Sonnum = 0 order by UserCode, typeid"));
  TSelectBasicRules terminals(Args("Pos", 0));
  terminals.Query(ds, "");
  ASSERT_GE(ds.RecordCount(), 1);
  ds.First();
  EXPECT_EQ(terminals.RecordOf(ds).Etypeid, Scalar("select Etypeid from PosInfo order by UserCode, PosId"));
}

// The dialog without its window: runs the query, marks the rows at the given record
// numbers (in that order), re-queries first when asked, and confirms on the first row.
class HeadlessDialog : public ISelectBasic {
 public:
  bool SelectBasic(const TSelectBasicArgs& a, std::vector<TBaseRecord>& list) override {
    TClientDataSet ds(nullptr);
    TSelectBasicRules rules(a);
    rules.Query(ds, a.SearchText);
    for (int recNo : EarlierMarks) {
      ds.SetRecNo(recNo);
      rules.ToggleMark(ds);
    }
    if (!EarlierMarks.empty()) rules.Query(ds, a.SearchText);  // the search again
    for (int recNo : Marks) {
      ds.SetRecNo(recNo);
      rules.ToggleMark(ds);
    }
    ds.First();
    return rules.Confirm(ds, ds.IsEmpty() ? AnsiString() : ds.FieldByName("typeid")->AsString(), list);
  }
  std::vector<int> EarlierMarks, Marks;
};

// Goods chosen by code or name land on the bill exactly as marked: in marking order,
// with the colour and size of the marked rows and their retail price (not another price
// type's), none of the marks made before the search ran again.
TEST_F(SelectBasicServerTest, GoodsChosenBySearchLandOnTheBillAsMarked) {
  const std::string code = Scalar("select p.UserCode from ptype p join PtypeColorSize c on c.PtypeId = p.typeid "
                                  "where p.Sonnum = 0 group by p.typeid having count(*) >= 3 order by p.UserCode limit 1");
  ASSERT_FALSE(code.empty());
  HeadlessDialog dialog;
  dialog.EarlierMarks = {1, 2};
  dialog.Marks = {3, 1};
  pdbill::TBasicDataChooser chooser(dialog);
  pdbill::TPdMemorySheet sheet;
  pdbill::TRecordedMessages messages;
  pdbill::TPdGoodsEntry entry(sheet, chooser, messages);
  entry.WarehouseId = "00001";
  entry.CodeNameMode = true;
  sheet.SetCell(pdbill::pcName, 0, code);
  entry.InputGoods(pdbill::pcName, 0, code);
  // The rows the dialog offered, in its order.
  std::vector<TBaseRecord> offered;
  {
    TClientDataSet ds(nullptr);
    TSelectBasicRules rules(pdbill::SelectBasicArgsOf(pdbill::TPdChoiceKind::GoodsBySearch, code));
    rules.Query(ds, code);
    for (ds.First(); !ds.Eof(); ds.Next()) offered.push_back(rules.RecordOf(ds));
  }
  ASSERT_GE(offered.size(), 3u);
  std::string expected, got;
  for (const TBaseRecord* r : {&offered[2], &offered[0]}) {
    const std::string price = Scalar("select Price from PtypePrice where PriceTypeId = 'LSSJ1' and PtypeId = '" +
                                     std::string(r->TypeId) + "'");
    expected += std::string(r->TypeId) + "/" + std::string(r->colorid) + "/" + std::string(r->sizeid) + " " +
                FormatFloat("0.00", std::stod(price)) + ";";
  }
  for (int row = 0; row < 2; ++row) {
    got += std::string(sheet.Cell(pdbill::pcGoodsId, row)) + "/" + std::string(sheet.Cell(pdbill::pcColorId, row)) +
           "/" + std::string(sheet.Cell(pdbill::pcSizeId, row)) + " " +
           FormatFloat("0.00", pdbill::QuantityValue(sheet.Cell(pdbill::pcPrice, row))) + ";";
  }
  EXPECT_EQ(got, expected);
  EXPECT_EQ(sheet.Cell(pdbill::pcGoodsId, 2), "");
  EXPECT_EQ(messages.Texts(), "");
}

}  // namespace
