// Every SQL statement the screens send, verbatim, against the demo store, with the
// fields each caller reads. Texts are built exactly as the screens build them
// (including their missing and doubled blanks).
#include <algorithm>
#include <sstream>
#include "StoreTestSupport.h"

using namespace storetest;

namespace {

struct StatementCase {
  std::string Id;
  std::string Db;
  std::string Setup;                   // run first with ExecuteSQL (may be empty)
  std::string Sql;                     // the screen's text
  bool Open = true;                    // OpenSQL, else ExecuteSQL
  std::vector<const char*> Fields;     // fields the caller reads
  std::string Expected;                // Render of those fields
  // Instead of Expected: the rows of this query, compared as sorted lines.
  std::string ExpectedSql;
  // For ExecuteSQL: a query showing the effect, and what it must give.
  std::string CheckSql;
  std::string CheckExpected;
};

std::ostream& operator<<(std::ostream& os, const StatementCase& c) { return os << c.Id; }

StatementCase OpenCase(std::string id, std::string db, std::string setup, std::string sql,
                       std::vector<const char*> fields, std::string expected) {
  StatementCase c;
  c.Id = std::move(id);
  c.Db = std::move(db);
  c.Setup = std::move(setup);
  c.Sql = std::move(sql);
  c.Fields = std::move(fields);
  c.Expected = std::move(expected);
  return c;
}

StatementCase ExecCase(std::string id, std::string db, std::string setup, std::string sql,
                       std::string checkSql, std::string checkExpected) {
  StatementCase c;
  c.Id = std::move(id);
  c.Db = std::move(db);
  c.Setup = std::move(setup);
  c.Sql = std::move(sql);
  c.Open = false;
  c.CheckSql = std::move(checkSql);
  c.CheckExpected = std::move(checkExpected);
  return c;
}

std::string SortedLines(const std::string& s) {
  std::vector<std::string> lines;
  std::istringstream in(s);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}

// The header insert of the bill save (local: IsUpSend 0,0; upload: 1, local CheckCode).
std::string HeaderInsert(const std::string& ktype, const std::string& op, const std::string& date,
                         const std::string& pos, const std::string& middle,
                         const std::string& unique, const std::string& number) {
  return "insert into CommonPosPtypeCheckNdx(KTypeID,OperatorID,PDDate,PosID,IsUpSend,"
         "UpLoadPosVchCode,UniqueID,PDNumber) values('" + ktype + "','" + op + "','" + date +
         "','" + pos + middle + unique + "','" + number + "')" + " Select @@Identity As CheckCode";
}

std::string LocalHeader() {
  return HeaderInsert("00001", "00002", Today(), "0001", "', 0,0, '", "{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
                      "001 " + Today() + " 00001");
}

std::string UploadHeader(const std::string& localCheckCode) {
  return HeaderInsert("00001", "00002", Today(), "0001", "', 1, " + localCheckCode + ",'",
                      "{6F9619FF-8B86-D011-B42D-00C04FC964FF}", "001 " + Today() + " 00001");
}

std::string LineInsert(const std::string& checkCode, const std::string& ptype,
                       const std::string& color, const std::string& size, const std::string& qty) {
  return "insert into CommonPosPtypeCheckList(CheckCode,PtypeID,ColorID,SizeID,Qty,IsUpSend) values(" +
         checkCode + ",'" + ptype + "'," + color + "," + size + ", " + qty + ", 0)";
}

// The check-in query of the terminal counts, for the bill's warehouse and barcodes.
std::string CheckInQuery(const std::string& ktype, const std::vector<std::string>& barcodes) {
  std::string cond = "b.FullBarCode in (";
  for (const auto& b : barcodes) cond += "'" + b + "',";
  cond.back() = ')';
  return std::string(
             "select * from (select [name], isnull(Pe.Price,0) as Price, isnull(fcz.qty,0) as qty, "
             "p.Ptypeid as Typeid, fullname, usercode, Sonnum, pcs.Colorid, pc.ColorName, pcs.Sizeid, "
             "ps.SizeName,p.stop as stop from PosPtypeView p left join PosPtypeColorSizeView pcs on "
             "p.ptypeid = pcs.ptypeid left Join PosColorView pc on pcs.colorid = pc.colorid left join "
             "PosSizeView ps on pcs.sizeid =  ps.sizeid left join (select * from PosptypepriceView "
             "where pricetypeid = 'LSSJ1') Pe on p.ptypeid = pe.ptypeid left join (select * from "
             "PosGoodsStocksDetailView where Ktypeid = '") +
         ktype + "') fcz on p.ptypeid = fcz.ptypeid and pcs.colorid = fcz.colorid and pcs.sizeid = fcz.sizeid " +
         " where sonnum = 0) a " +
         "left join PosBarCodeView b on a.typeid = b.ptypeid and a.colorid = b.colorid and a.sizeid = b.sizeid where " +
         cond + "order by b.FullBarCode";
}

std::string ExportGoodsQuery(const std::string& condition) {
  return "select a.FullBarCode,b.FullName,b.UserCode from posbarcodeview a Left Join PosPtypeView b "
         "on a.PtypeId = b.PtypeId where a.Ptypeid " + condition +
         " and BarTypeId = '1' and FullBarCode <> ''";
}

std::vector<StatementCase> Cases() {
  const std::string store = "PosStore", main = "PosMain";
  const std::string today = Today();
  const std::string exportAll = "select b.FullBarCode, p.FullName, p.UserCode from Barcode b join ptype p on "
                                "p.typeid = b.PtypeId where b.BarTypeId = '1'";
  std::vector<StatementCase> c;
  c.push_back(OpenCase("S1 stock-take procedure prefix", store, "",
                       "Select SysValue from sysdata where SysId = 19", {"SysValue"}, "Pos_J2\n"));
  c.push_back(OpenCase("S2 VIP procedure prefix", store, "",
                       "Select SysValue from PosCommonSysData where SysId = 2", {"SysValue"}, "QP\n"));
  c.push_back(OpenCase("S3 operator name", store, "",
                       "Select Fullname from PosemployeeView where ETypeId = '00002'", {"Fullname"},
                       Utf8(u8"张伟\n")));
  c.push_back(OpenCase("S4 bill number of the first bill today", store, "",
                       "select count(1) + 1 as MaxCode from CommonPosPtypeCheckNdx where PdDate = '" + today + "'",
                       {"MaxCode"}, "1\n"));
  c.push_back(OpenCase("S4 bill number after one bill today", store, LocalHeader(),
                       "select count(1) + 1 as MaxCode from CommonPosPtypeCheckNdx where PdDate = '" + today + "'",
                       {"MaxCode"}, "2\n"));
  c.push_back(OpenCase("S5 terminal code", store, "", "select UserCode from posinfoview where PosId = '0001'",
                       {"UserCode"}, "001\n"));
  StatementCase s6 = OpenCase("S6 stock of a warehouse", store, "",
                              "Select * From PosGoodsStocksDetailView where KtypeId = '00003'",
                              {"PTypeId", "ColorId", "SizeId", "Qty"}, "");
  s6.ExpectedSql = "select PtypeId, ColorId, SizeId, Qty from GoodsStocks where KtypeId = '00003'";
  c.push_back(s6);
  c.push_back(OpenCase("S7 retail price", store, "",
                       "select Price from PosptypepriceView where Ptypeid = '0000100001' and PriceTypeId = 'LSSJ1'",
                       {"Price"}, "559\n"));
  c.push_back(OpenCase("S8 stock of a colour and size, number run into 'and'", store, "",
                       "select qty from PosGoodsStocksDetailView where ptypeid = '0000100001' and Ktypeid = '00001' "
                       "and colorid = " + std::string("3") + "and sizeid = " + "2",
                       {"qty"}, "12\n"));
  c.push_back(OpenCase("S8 without colour and size (ids 0): no row", store, "",
                       "select qty from PosGoodsStocksDetailView where ptypeid = '0000100001' and Ktypeid = '00001' "
                       "and colorid = " + std::string("0") + "and sizeid = " + "0",
                       {"qty"}, ""));
  c.push_back(OpenCase("S9 code and name of a goods", store, "",
                       "Select UserCode,FullName from PosPtypeView where PtypeId = '0000100001'",
                       {"UserCode", "FullName"}, Utf8(u8"M00002|简约夹克\n")));
  c.push_back(OpenCase("S10 local bill header returns its identity", store, "", LocalHeader(), {"CheckCode"},
                       "1\n"));
  c.push_back(ExecCase("S10 header row as written", store, LocalHeader(),
                       "update CommonPosPtypeCheckNdx set IsUpSend = IsUpSend where 1 = 0",
                       "select KTypeID, OperatorID, PDDate, PosID, IsUpSend, UpLoadPosVchCode, UniqueID, "
                       "PDNumber, PdVchCode from CommonPosPtypeCheckNdx",
                       "00001|00002|" + today + "|0001|0|0|{6F9619FF-8B86-D011-B42D-00C04FC964FF}|001 " + today +
                           " 00001|0\n"));
  c.push_back(ExecCase("S11 bill line", store, LocalHeader(), LineInsert("1", "0000100001", "3", "2", "5.5"),
                       "select CheckCode, PtypeID, ColorID, SizeID, Qty, IsUpSend from CommonPosPtypeCheckList",
                       "1|0000100001|3|2|5.5|0\n"));
  c.push_back(OpenCase("S12 upload header on the main database", main, "", UploadHeader("7"), {"CheckCode"},
                       "1\n"));
  c.push_back(ExecCase("S13 upload line on the main database", main, UploadHeader("7"),
                       LineInsert("1", "0000100001", "5", "2", "3"),
                       "select n.UpLoadPosVchCode, n.IsUpSend, l.PtypeID, l.ColorID, l.SizeID, l.Qty "
                       "from CommonPosPtypeCheckNdx n join CommonPosPtypeCheckList l on l.CheckCode = n.CheckCode",
                       "7|1|0000100001|5|2|3\n"));
  c.push_back(ExecCase("S14 local header marked uploaded", store, LocalHeader(),
                       "update CommonPosPtypeCheckNdx set IsUpSend = 1, PdVchCode = " + std::string("1001") +
                           " where CheckCode = " + "1",
                       "select IsUpSend, PdVchCode from CommonPosPtypeCheckNdx where CheckCode = 1", "1|1001\n"));
  c.push_back(OpenCase("S15 current database (store)", store, "", "select DB_Name() As DbName", {"DbName"},
                       "PosStore\n"));
  c.push_back(OpenCase("S15 current database (main)", main, "", "select DB_Name() As DbName", {"DbName"},
                       "PosMain\n"));
  c.push_back(OpenCase("S16 terminal counts by barcode", store, "",
                       CheckInQuery("00001", {"6920000000081", "6920000000036", "6920000000128"}),
                       {"usercode", "typeid", "fullname", "colorid", "colorname", "sizeid", "sizename",
                        "FullBarCode", "Qty", "Price"},
                       Utf8(u8"M00002|0000100001|简约夹克|5|灰色|2|S|6920000000036|7|559\n"
                            u8"M00002|0000100001|简约夹克|3|红色|2|S|6920000000081|12|559\n"
                            u8"M00002|0000100001|简约夹克|3|红色|6|XXL|6920000000128|0|559\n")));
  c.push_back(OpenCase("S17 barcode type of the exports", store, "",
                       "select Sysvalue from Sysdata where SysName = 'DefaultBarCode'", {"Sysvalue"}, "1\n"));
  StatementCase s18 = OpenCase("S18 export of every barcode", store, "",
                               "select distinct a.FullBarCode,b.fullname,b.usercode from PosBarcodeView a Left Join "
                               "PosPtypeView b on a.PtypeId = b.PtypeId where BarTypeId = '" + std::string("1") +
                                   "' and FullBarCode <> ''",
                               {"FullBarcode", "fullname", "usercode"}, "");
  s18.ExpectedSql = exportAll;
  c.push_back(s18);
  c.push_back(OpenCase("S19 branch of a terminal file's warehouse", store, "",
                       "Select BranchId From PosStockView where UserCode = '003'", {"BranchId"}, "00002\n"));
  c.push_back(OpenCase("S20 card types", store, "", "select TypeName,VipCardTypeID from nVipCardSet",
                       {"VipCardTypeID", "TypeName"}, Utf8(u8"001|金卡\n002|银卡\n003|普通卡\n")));
  c.push_back(OpenCase("S21 employees in the operator's range", store, "",
                       "select * from    FN_GetPowerRangeEList ('00001','')", {"typeid", "fullname"},
                       Utf8(u8"00001|系统管理员\n00002|张伟\n00003|王芳\n00004|李娜\n00005|刘洋\n00006|陈静\n"
                            u8"00008|赵敏\n")));
  c.push_back(ExecCase("S22 card password, no blank before where", store, "",
                       "update nVipCardSign set pWord='" + std::string("abc123") + "'" + "where VipCardCode=" +
                           "'" + "VIP00002" + "'",
                       "select VipCardCode, pWord from nVipCardSign where VipCardCode = 'VIP00002'",
                       "VIP00002|abc123\n"));
  // The unquoted id converts to the number 100001 and so matches no text id: the
  // screens send the quoted form with the price type instead.
  c.push_back(OpenCase("S23 price by an unquoted id runs", store, "",
                       "select Price from PosptypepriceView where Ptypeid = " + std::string("0000100001"),
                       {"Price"}, ""));
  StatementCase s24 = OpenCase("S24 export of one goods", store, "", ExportGoodsQuery("= '0000100001'"),
                               {"FullBarCode", "FullName", "UserCode"}, "");
  s24.ExpectedSql = exportAll + " and b.PtypeId = '0000100001'";
  c.push_back(s24);
  StatementCase s24all = OpenCase("S24 export with an empty goods id", store, "", ExportGoodsQuery("like '%%'"),
                                  {"FullBarCode", "FullName", "UserCode"}, "");
  s24all.ExpectedSql = exportAll;
  c.push_back(s24all);
  return c;
}

class StatementTest : public DemoStoreTest, public testing::WithParamInterface<StatementCase> {};

TEST_P(StatementTest, RunsVerbatimWithTheFieldsItsCallerReads) {
  const StatementCase& c = GetParam();
  StoreSession s(Dir());
  s.ChangeDb(c.Db);
  if (!c.Setup.empty()) s.OpenSQL(Wide(c.Setup));
  if (c.Open) {
    const TDataPacket p = s.OpenSQL(Wide(c.Sql));
    for (const char* f : c.Fields) EXPECT_GE(FieldIndex(p, f), 0) << "no field " << f;
    const std::string rendered = Render(p, c.Fields);
    if (!c.ExpectedSql.empty()) {
      const std::string expected = Query(c.Db.c_str(), c.ExpectedSql);
      EXPECT_FALSE(expected.empty());
      EXPECT_EQ(SortedLines(rendered), SortedLines(expected));
    } else {
      EXPECT_EQ(rendered, c.Expected);
    }
  } else {
    s.ExecuteSQL(Wide(c.Sql));
    EXPECT_EQ(Query(c.Db.c_str(), c.CheckSql), c.CheckExpected);
  }
}

INSTANTIATE_TEST_SUITE_P(ScreenStatements, StatementTest, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<StatementCase>& i) {
                           std::string n;
                           for (char ch : i.param.Id) n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return n;
                         });

// The check-in query selects * over two joined record sets: the packet keeps both
// colour and both size columns, in order, and the client's first-match rule reads the
// goods' own columns.
TEST_F(DemoStoreTest, CheckInQueryKeepsDuplicateColumnsInOrder) {
  auto s = StoreDb();
  const TDataPacket p = s->OpenSQL(Wide(CheckInQuery("00001", {"6920000000036"})));
  std::string names;
  for (const auto& f : p.Fields) names += f.Name + ",";
  EXPECT_EQ(names,
            "name,Price,qty,Typeid,fullname,usercode,Sonnum,Colorid,ColorName,Sizeid,SizeName,stop,"
            "PtypeId,ColorId,SizeId,BarTypeId,FullBarCode,");
  ASSERT_EQ(p.Rows.size(), 1u);
  EXPECT_EQ(FieldIndex(p, "colorid"), 7);
  EXPECT_EQ(FieldIndex(p, "sizeid"), 9);
}

// The header batch returns its identity even though the text also holds the insert,
// and the identity follows the table's own counter.
TEST_F(DemoStoreTest, HeaderBatchReturnsEachNewIdentity) {
  auto s = StoreDb();
  EXPECT_EQ(First(s->OpenSQL(Wide(LocalHeader())), "CheckCode"), "1");
  EXPECT_EQ(First(s->OpenSQL(Wide(LocalHeader())), "CheckCode"), "2");
  EXPECT_EQ(Query("PosStore", "select count(*) from CommonPosPtypeCheckNdx"), "2\n");
}

}  // namespace
