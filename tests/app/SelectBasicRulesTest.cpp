// The basic-data selection dialog's rules without a server: kinds, parameters, filter,
// columns, marks by record identity, confirming; and the stock-take screens' choices
// through the dialog.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/uPDBasicChooser.h"
#include "app/uPublic.h"
#include "app/uSelectBasicRules.h"
#include "db/ClientDataSet.h"

namespace {

// Candidates as PosGetBasicData gives goods in colours and sizes.
struct Cand {
  const char* TypeId;
  const char* Code;
  const char* Name;
  int Stop;
  const char* ColorId;
  const char* SizeId;
};

TDataPacket Candidates(const std::vector<Cand>& rows) {
  TDataPacket p;
  p.Fields = {{"typeid", ftString, 25}, {"UserCode", ftString, 26}, {"FullName", ftString, 66},
              {"Sonnum", ftInteger, 0},  {"stop", ftInteger, 0},     {"colorid", ftString, 10},
              {"ColorName", ftString, 20}, {"sizeid", ftString, 10},  {"SizeName", ftString, 20}};
  for (const Cand& c : rows) {
    p.Rows.push_back({Variant(c.TypeId), Variant(c.Code), Variant(c.Name), Variant(0), Variant(c.Stop),
                      Variant(c.ColorId), Variant(AnsiString("色") + c.ColorId), Variant(c.SizeId),
                      Variant(AnsiString("码") + c.SizeId)});
  }
  return p;
}

// One goods in three colour/size rows (same typeid), and two more goods.
std::vector<Cand> Goods() {
  return {{"00001", "A01", "衬衫", 0, "1", "1"}, {"00001", "A01", "衬衫", 0, "1", "2"},
          {"00001", "A01", "衬衫", 0, "2", "1"}, {"00002", "B02", "长裤", 1, "1", "1"},
          {"00003", "C03", "外套'", 0, "3", "3"}};
}

std::string Render(const std::vector<TBaseRecord>& list) {
  std::string s;
  for (const TBaseRecord& r : list)
    s += (s.empty() ? "" : " ") + std::string(r.TypeId) + "/" + std::string(r.colorid) + "/" + std::string(r.sizeid);
  return s;
}

TSelectBasicArgs Args(const char* kind, TSelectBasicOptions options, const char* filter = "", bool barcode = false) {
  TSelectBasicArgs a;
  a.Kind = kind;
  a.Options = options;
  a.Filter = filter;
  a.BarcodeMode = barcode;
  return a;
}

struct Open {
  explicit Open(const std::vector<Cand>& rows = Goods()) : ds(nullptr) { ds.SetData(Candidates(rows)); }
  void Go(int recNo) { ds.SetRecNo(recNo); }
  TClientDataSet ds;
};

TEST(SelectBasicKinds, TableAndExactNames) {
  const char* rows[][4] = {{"Ptype", "1", "商品", "商品名称"},     {"Btype", "2", "往来单位", "客户名称"},
                           {"Ktype", "3", "仓库", "仓库名称"},     {"Atype", "4", "会计科目", "科目名称"},
                           {"Etype", "5", "职员", "职员名称"},     {"Pos", "6", "POS机信息", "POS机信息"}};
  for (const auto& r : rows) {
    const TBasicKind* k = FindBasicKind(r[0]);
    ASSERT_NE(k, nullptr) << r[0];
    EXPECT_EQ(std::to_string(k->Number) + " " + k->Caption + " " + k->NameCaption,
              std::string(r[1]) + " " + r[2] + " " + r[3]);
  }
  EXPECT_EQ(FindBasicKind("ptype"), nullptr);
  EXPECT_EQ(FindBasicKind("Ptype "), nullptr);
  EXPECT_EQ(TSelectBasicRules(Args("PType", 0)).KindNumber(), 0);
}

TEST(SelectBasicQuery, ParametersBySearchModeAndKind) {
  OperatorId = u"00007";
  PosId = u"0003";
  auto render = [](const TSelectBasicRules& r, const char* text) {
    const std::vector<AnsiString> names = r.ParamNames();
    const std::vector<Variant> values = r.ParamValues(text);
    std::string s;
    for (size_t i = 0; i < names.size(); ++i) s += std::string(names[i]) + "=" + std::string(VarToStr(values[i])) + ";";
    return s;
  };
  TSelectBasicRules goods(Args("Ptype", sbMultiSelect | sbColorSize | sbWithStopped));
  EXPECT_EQ(render(goods, "  衬衫 "), "@Barcode=▲;@BaseType=1;@WithColAndSiz=1;@selectString=衬衫;@PosUserId=00007;"
                                       "@Posid=0003;@DefaultBarCode=;");
  TSelectBasicRules scan(Args("Ptype", sbColorSize, "", true));
  EXPECT_EQ(render(scan, " 690123 "), "@Barcode=690123;@BaseType=1;@WithColAndSiz=1;@selectString=▲;@PosUserId=00007;"
                                      "@Posid=0003;@DefaultBarCode=;");
  TSelectBasicRules staff(Args("Etype", 0, "typeid in ('1')"));
  EXPECT_EQ(render(staff, ""), "@Barcode=▲;@BaseType=5;@WithColAndSiz=0;@selectString=;@PosUserId=typeid in ('1');"
                               "@Posid=0003;@DefaultBarCode=;");
  EXPECT_FALSE(staff.FiltersDataSet());
  EXPECT_TRUE(TSelectBasicRules(Args("Ktype", 0)).FiltersDataSet());
  OperatorId.clear();
  PosId.clear();
}

TEST(SelectBasicQuery, ActiveGoodsFilter) {
  EXPECT_EQ(TSelectBasicRules(Args("Ptype", 0)).DataSetFilter(), "Stop = 0");
  EXPECT_EQ(TSelectBasicRules(Args("Ptype", sbColorSize, "typeid in ('00001','00002')")).DataSetFilter(),
            "typeid in ('00001','00002') and Stop = 0");
  EXPECT_EQ(TSelectBasicRules(Args("Ptype", sbWithStopped, "x = 1")).DataSetFilter(), "x = 1");
  EXPECT_EQ(TSelectBasicRules(Args("Ktype", 0)).DataSetFilter(), "");
  // The filter the dialog sets keeps stopped goods out of a candidate list.
  Open o;
  o.ds.SetFilter(TSelectBasicRules(Args("Ptype", sbColorSize)).DataSetFilter());
  o.ds.SetFiltered(true);
  EXPECT_EQ(o.ds.RecordCount(), 4);
}

TEST(SelectBasicSearch, F5SwitchesOnlyForGoodsInColoursAndSizes) {
  TSelectBasicRules goods(Args("Ptype", sbColorSize));
  EXPECT_EQ(goods.SearchMode(), 1);
  EXPECT_EQ(goods.SearchLabel(), " 输入商品货号或名称(F5)：");
  EXPECT_TRUE(goods.SearchLabelShown());
  EXPECT_TRUE(goods.SwitchSearchMode());
  EXPECT_EQ(goods.SearchMode(), 2);
  EXPECT_EQ(goods.SearchLabel(), "  请输入商品的条码(F5)：");
  EXPECT_TRUE(goods.SwitchSearchMode());
  EXPECT_EQ(goods.SearchLabel(), "输入商品货号或名称(F5)：");
  TSelectBasicRules plain(Args("Ptype", sbMultiSelect, "", true));
  EXPECT_EQ(plain.SearchLabel(), "  请输入商品的条码(F5)：");
  EXPECT_FALSE(plain.SearchLabelShown());
  EXPECT_FALSE(plain.SwitchSearchMode());
  EXPECT_EQ(plain.SearchMode(), 2);
}

TEST(SelectBasicGrid, ColumnsPerKind) {
  auto render = [](const std::vector<TBasicColumn>& cols) {
    std::string s;
    for (const TBasicColumn& c : cols)
      s += std::string(c.FieldName) + ":" + std::string(c.Caption) + (c.Visible ? "" : "(hidden)") + " ";
    return s;
  };
  EXPECT_EQ(render(TSelectBasicRules(Args("Ptype", sbColorSize)).Columns(true)),
            "Typeid:Typeid(hidden) UserCode:编号 FullName:商品名称 Sonnum:Sonnum(hidden) Colorid:Colorid(hidden) "
            "sizeid:sizeid(hidden) ColorName:颜色 sizeName:尺码 ");
  EXPECT_NE(render(TSelectBasicRules(Args("Ptype", sbColorSize)).Columns(false)).find("ColorName:颜色(hidden) sizeName:尺码(hidden)"),
            std::string::npos);
  EXPECT_EQ(render(TSelectBasicRules(Args("Ktype", sbColorSize)).Columns(true)),
            "Typeid:Typeid(hidden) UserCode:编号 FullName:仓库名称 Sonnum:Sonnum(hidden) ");
  EXPECT_EQ(render(TSelectBasicRules(Args("Pos", 0)).Columns(true)), "Typeid:Typeid(hidden) UserCode:编号 FullName:POS机信息 ");
}

TEST(SelectBasicRecord, FieldsFollowKindAndOptions) {
  Open o;
  o.Go(4);
  const TBaseRecord all = TSelectBasicRules(Args("Ptype", sbColorSize | sbWithStopped)).RecordOf(o.ds);
  EXPECT_EQ(std::string(all.TypeId) + "|" + std::string(all.UserCode) + "|" + std::string(all.FullName) + "|" +
                std::to_string(all.stop) + "|" + std::string(all.colorid) + "|" + std::string(all.ColorName) + "|" +
                std::string(all.sizeid) + "|" + std::string(all.SizeName),
            "00002|B02|长裤|1|1|色1|1|码1");
  const TBaseRecord bare = TSelectBasicRules(Args("Ptype", sbMultiSelect)).RecordOf(o.ds);
  EXPECT_EQ(std::to_string(bare.stop) + "[" + std::string(bare.colorid) + std::string(bare.sizeid) + "]", "0[]");
}

// Marks are the records marked, in marking order; the row a record shows in does not
// matter, and a new query starts without marks.
TEST(SelectBasicMarks, MarkedByRecordIdentityInMarkingOrder) {
  Open o;
  TSelectBasicRules r(Args("Ptype", sbMultiSelect | sbColorSize | sbWithStopped));
  for (int recNo : {3, 1, 5, 2, 1}) {  // row 1 twice: unmarked again
    o.Go(recNo);
    EXPECT_TRUE(r.ToggleMark(o.ds));
  }
  EXPECT_EQ(Render(r.Marks().Records()), "00001/2/1 00003/3/3 00001/1/2");
  // The same goods in another colour or size is another record.
  EXPECT_FALSE(r.Marks().IsMarked("00001", "1", "1"));
  EXPECT_TRUE(r.Marks().IsMarked("00001", "2", "1"));
  // Rows in another order (as the grid may sort them): the same records are marked.
  std::vector<Cand> reversed = Goods();
  std::reverse(reversed.begin(), reversed.end());
  o.ds.SetData(Candidates(reversed));
  o.Go(1);
  EXPECT_TRUE(r.Marks().IsMarked(r.RecordOf(o.ds)));
  std::vector<TBaseRecord> chosen;
  ASSERT_TRUE(r.Confirm(o.ds, "00001", chosen));
  EXPECT_EQ(Render(chosen), "00001/2/1 00003/3/3 00001/1/2");
}

TEST(SelectBasicMarks, NoMarksWithoutMultiSelectOrRows) {
  Open o;
  TSelectBasicRules single(Args("Ptype", sbColorSize));
  o.Go(2);
  EXPECT_FALSE(single.ToggleMark(o.ds));
  EXPECT_EQ(single.Marks().Count(), 0);
  Open none(std::vector<Cand>{});
  TSelectBasicRules multi(Args("Ptype", sbMultiSelect | sbColorSize));
  EXPECT_FALSE(multi.ToggleMark(none.ds));
  EXPECT_EQ(multi.Marks().Count(), 0);
}

TEST(SelectBasicConfirm, CurrentRowUnlessMarkedAndNothingWithoutARow) {
  Open o;
  o.Go(5);
  std::vector<TBaseRecord> chosen;
  TSelectBasicRules single(Args("Ptype", sbColorSize));
  ASSERT_TRUE(single.Confirm(o.ds, "00003", chosen));
  EXPECT_EQ(Render(chosen), "00003/3/3");
  chosen.clear();
  TSelectBasicRules multi(Args("Ptype", sbMultiSelect | sbColorSize));
  ASSERT_TRUE(multi.Confirm(o.ds, "00003", chosen));  // nothing marked: the focused row
  EXPECT_EQ(Render(chosen), "00003/3/3");
  chosen.clear();
  // No focused row (an empty typeid cell): nothing happens, the dialog stays.
  EXPECT_FALSE(multi.Confirm(o.ds, "", chosen));
  Open none(std::vector<Cand>{});
  EXPECT_FALSE(multi.Confirm(none.ds, "00001", chosen));
  EXPECT_TRUE(chosen.empty());
}

// --- the stock-take screens' choices ----------------------------------------------------------------

class FakeDialog : public ISelectBasic {
 public:
  bool SelectBasic(const TSelectBasicArgs& a, std::vector<TBaseRecord>& list) override {
    Asked += std::string(a.Kind) + "|" + std::string(a.SearchText) + "|" + std::to_string(a.Options) + "|" +
             std::string(a.Filter) + "|" + std::to_string(a.LockSearch) + "|" + (a.BarcodeMode ? "B" : "-") + "\n";
    list.insert(list.end(), Answer.begin(), Answer.end());
    return Confirmed;
  }
  std::string Asked;
  std::vector<TBaseRecord> Answer;
  bool Confirmed = true;
};

TEST(PdBasicChooser, ArgumentsOfEachChoice) {
  FakeDialog d;
  pdbill::TBasicDataChooser chooser(d);
  using K = pdbill::TPdChoiceKind;
  for (K k : {K::StockWarehouse, K::GoodsBySearch, K::GoodsOfBarcode, K::ExportWarehouse, K::ExportGoods})
    chooser.Choose(k, "衬衫");
  EXPECT_EQ(d.Asked,
            "Ktype||0||0|-\n"
            "Ptype|衬衫|7||0|-\n"
            "Ptype|衬衫|6||1|B\n"
            "Ktype||0||0|-\n"
            "Ptype||1||0|-\n");
}

TEST(PdBasicChooser, ChosenRowsInOrderAndNothingOnCancel) {
  FakeDialog d;
  TBaseRecord a;
  a.TypeId = "00001";
  a.UserCode = "A01";
  a.FullName = "衬衫";
  a.colorid = "2";
  a.ColorName = "红";
  a.sizeid = "3";
  a.SizeName = "XL";
  TBaseRecord b;
  b.TypeId = "00009";
  d.Answer = {a, b};
  pdbill::TBasicDataChooser chooser(d);
  const std::vector<pdbill::TPdChoice> got = chooser.Choose(pdbill::TPdChoiceKind::GoodsBySearch, "");
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(std::string(got[0].TypeId + "|" + got[0].UserCode + "|" + got[0].FullName + "|" + got[0].ColorId + "|" +
                        got[0].ColorName + "|" + got[0].SizeId + "|" + got[0].SizeName),
            "00001|A01|衬衫|2|红|3|XL");
  EXPECT_EQ(got[1].TypeId, "00009");
  d.Confirmed = false;
  EXPECT_TRUE(chooser.Choose(pdbill::TPdChoiceKind::StockWarehouse, "").empty());
}

}  // namespace
