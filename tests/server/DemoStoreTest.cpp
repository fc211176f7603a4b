// The demo store generator: the same seed gives the same store, the store is a
// plausible clothing store, and its size follows the goods count.
#include "server/DemoStore.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include "server/StoreErrors.h"
#include "StoreTestSupport.h"

namespace fs = std::filesystem;
using storetest::Utf8;

namespace {

class DemoGeneratorTest : public testing::Test {
 protected:
  std::string NewDir(const char* tag) {
    const fs::path d = fs::temp_directory_path() / ("pos-demo-" + std::to_string(getpid()) + "-" + tag);
    fs::remove_all(d);
    FDirs.push_back(d);
    return d.string();
  }
  void TearDown() override {
    for (const auto& d : FDirs) fs::remove_all(d);
  }
  static std::string Query(const std::string& dir, const char* db, const std::string& sql) {
    StoreSession s(dir);
    s.ChangeDb(db);
    const TDataPacket p = s.OpenSQL(storetest::Wide(sql));
    std::string out;
    for (const auto& row : p.Rows) {
      for (size_t i = 0; i < row.size(); ++i) out += (i ? "|" : "") + storetest::FromGbk(VarToStr(row[i]));
      out += "\n";
    }
    return out;
  }
  // Every row of every table, in key order: equal texts mean equal stores.
  static std::string Dump(const std::string& dir) {
    std::string all;
    for (const char* t : {"sysdata", "ptype", "PtypeColorSize", "Barcode", "PtypePrice", "GoodsStocks",
                          "ktype", "etype", "PosInfo", "nVipCardSign"}) {
      all += Query(dir, "PosStore", std::string("select * from ") + t + " order by 1, 2, 3");
    }
    return all + Query(dir, "PosMain", "select * from PdPrepare");
  }
  std::vector<fs::path> FDirs;
};

TEST_F(DemoGeneratorTest, SameSeedSameStoreOtherSeedOtherStore) {
  const std::string a = NewDir("a"), b = NewDir("b"), c = NewDir("c");
  MakeDemoStore(a, {50, 7});
  MakeDemoStore(b, {50, 7});
  MakeDemoStore(c, {50, 8});
  EXPECT_EQ(Dump(a), Dump(b));
  EXPECT_NE(Dump(a), Dump(c));
}

TEST_F(DemoGeneratorTest, ReplacesAnExistingStore) {
  const std::string d = NewDir("r");
  MakeDemoStore(d, {20, 1});
  MakeDemoStore(d, {30, 1});
  EXPECT_EQ(Query(d, "PosStore", "select count(*) from ptype where Sonnum = 0"), "30\n");
}

TEST_F(DemoGeneratorTest, IsAPlausibleClothingStore) {
  const std::string d = NewDir("p");
  MakeDemoStore(d);
  // A few hundred goods under four classes, in colours and sizes.
  EXPECT_EQ(Query(d, "PosStore", "select count(*) from ptype where Sonnum = 0"), "300\n");
  EXPECT_EQ(Query(d, "PosStore", "select FullName, Sonnum from ptype where Sonnum > 0 order by typeid"),
            Utf8(u8"男装|90\n女装|128\n童装|54\n配饰|28\n"));
  EXPECT_EQ(Query(d, "PosStore", "select count(*) from ptype p where Sonnum = 0 and "
                                 "(select count(*) from PtypeColorSize c where c.PtypeId = p.typeid) = 0"), "0\n");
  EXPECT_EQ(Query(d, "PosStore", "select min(n) >= 1, max(n) <= 20 from (select count(*) n "
                                 "from PtypeColorSize group by PtypeId)"), "1|1\n");
  // Every colour and size has its own EAN-13 barcode with a right check digit.
  EXPECT_EQ(Query(d, "PosStore", "select count(*) = (select count(*) from PtypeColorSize), "
                                 "count(distinct FullBarCode) = count(*) from Barcode where BarTypeId = '1'"),
            "1|1\n");
  const std::string codes = Query(d, "PosStore", "select FullBarCode from Barcode where BarTypeId = '1'");
  std::istringstream in(codes);
  for (std::string code; std::getline(in, code);) {
    ASSERT_EQ(code.size(), 13u) << code;
    int sum = 0;
    for (size_t i = 0; i < 12; ++i) sum += (code[i] - '0') * (i % 2 ? 3 : 1);
    EXPECT_EQ(code[12] - '0', (10 - sum % 10) % 10) << code;
  }
  // Retail prices end in 9; purchase prices lie below them.
  EXPECT_EQ(Query(d, "PosStore", "select count(*) from PtypePrice r join PtypePrice j on j.PtypeId = r.PtypeId "
                                 "and j.PriceTypeId = 'JJ1' where r.PriceTypeId = 'LSSJ1' and "
                                 "(cast(r.Price as integer) % 10 <> 9 or j.Price >= r.Price or j.Price <= 0)"),
            "0\n");
  // Stock in all three warehouses; two warehouses in one branch, one in the other.
  EXPECT_EQ(Query(d, "PosStore", "select KtypeId, count(*) > 1000, min(Qty) >= 0 from GoodsStocks group by KtypeId"),
            "00001|1|1\n00002|1|1\n00003|1|1\n");
  EXPECT_EQ(Query(d, "PosStore", "select BranchId, count(*) from ktype group by BranchId"), "00001|2\n00002|1\n");
  // Names are Chinese text in UTF-8 in the file, GBK on the way out.
  EXPECT_EQ(Query(d, "PosStore", "select count(*) from ptype where Sonnum = 0 and (length(FullName) < 3 or "
                                 "length(cast(FullName as blob)) = length(FullName))"), "0\n");
  StoreSession s(d);
  s.ChangeDb("PosStore");
  const TDataPacket p = s.OpenSQL(u"select FullName from ptype where typeid = '00001'");
  EXPECT_EQ(VarToStr(p.Rows[0][0]), "\xC4\xD0\xD7\xB0");  // 男装
}

TEST_F(DemoGeneratorTest, GoodsCountIsChecked) {
  const std::string d = NewDir("x");
  EXPECT_THROW(MakeDemoStore(d, {0, 1}), EStoreError);
  EXPECT_THROW(MakeDemoStore(d, {1000001, 1}), EStoreError);
  std::ofstream(NewDir("f")) << "a file, not a folder";
  EXPECT_THROW(MakeDemoStore(FDirs.back().string() + "/sub", {10, 1}), EStoreError);
}

TEST_F(DemoGeneratorTest, EmptyDatabasesHoldSchemaAndSystemRowsOnly) {
  const std::string d = NewDir("e");
  fs::create_directories(d);
  CreateStoreDatabase(d + "/Empty.db");
  CreateMainDatabase(d + "/EmptyMain.db");
  EXPECT_EQ(Query(d, "Empty", "select count(*) from ptype"), "0\n");
  EXPECT_EQ(Query(d, "Empty", "select SysValue from sysdata where SysId = 19"), "Pos_J2\n");
  EXPECT_EQ(Query(d, "EmptyMain", "select count(*) from PdPrepare"), "2\n");
  EXPECT_THROW(CreateStoreDatabase(d + "/Empty.db"), EStoreError);
}

}  // namespace
