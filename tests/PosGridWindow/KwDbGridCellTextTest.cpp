// The texts of the data-aware grid's cells under Wine: the field's display text (its
// currency, display format, text handler), then the grid's display-text hook, once.
#include <map>

#include "KwDbGridTestSupport.h"
#include "db/FieldClasses.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;

namespace {

// Goods with a currency PRICE, a QTY with its own format and a NAME with a text handler;
// the grid's hook marks what it gets as <text> and keeps what it was handed; every data
// cell painted keeps its text.
struct TextForm : DbGridForm {
  TextForm() : DbGridForm(5) {
    dynamic_cast<TFloatField*>(data->FieldByName("PRICE"))->SetCurrency(true);
    dynamic_cast<TFloatField*>(data->FieldByName("QTY"))->SetDisplayFormat("0.0件");
    data->FieldByName("NAME")->OnGetText = [](TField* f, AnsiString& text, bool) { text = "品:" + f->AsString(); };
    grid->OnGetDisplayText = [this](TObject*, TkwColumn* column, AnsiString& text) {
      Handed[std::string(column->FieldName())].push_back(std::string(text));
      text = "<" + text + ">";
    };
    grid->OnDrawColumnCell = [this](TObject*, TkwDrawColumnCellArgs& a) {
      Painted[{std::string(a.Column->FieldName()), a.RowIndex}] = std::string(a.DisplayText);
      ++Draws[std::string(a.Column->FieldName())];
    };
  }
  // The field's display text at the n-th record (from 1).
  std::string FieldText(const char* name, int recNo) {
    data->SetRecNo(recNo);
    return std::string(data->FieldByName(name)->DisplayText());
  }
  std::string Cell(const char* field, int row) { return Painted[{field, row}]; }
  void Repaint() {
    grid->Invalidate();
    ::UpdateWindow(grid->Handle());
  }
  std::map<std::string, std::vector<std::string>> Handed;
  std::map<std::pair<std::string, int>, std::string> Painted;
  std::map<std::string, int> Draws;
};

}  // namespace

// Regression: the cells showed the values' plain texts ("1.5" for the currency ￥1.50,
// "1" for "1.0件", "商品1" for the handler's "品:商品1"), and the hook ran twice on the
// texts the controller keeps, the second time on its own output ("<<...>>").
TEST(KwDbGridCellText, FaultCellsShowTheFieldsDisplayTextsThroughTheHookOnce) {
  TextForm f;
  std::map<std::pair<std::string, int>, std::string> expected;
  for (int row = 0; row < 5; ++row)
    for (const char* n : {"ID", "NAME", "QTY", "PRICE"}) expected[{n, row}] = "<" + f.FieldText(n, row + 1) + ">";
  f.data->First();
  f.Bind();
  f.Show();
  f.Repaint();
  for (const auto& [cell, text] : expected) EXPECT_EQ(f.Painted[cell], text) << cell.first << " " << cell.second;
  EXPECT_NE(f.Cell("PRICE", 0).find("1.50"), std::string::npos);  // the currency format
  EXPECT_NE(f.Cell("PRICE", 0), "<1.5>");
  EXPECT_EQ(f.Cell("QTY", 0), "<1.0件>");
  EXPECT_EQ(f.Cell("NAME", 0), "<品:商品1>");
  // The hook had the fields' texts, never its own output; the kept texts once per record
  // whatever the paints, the others once per cell painted.
  for (const auto& [field, texts] : f.Handed)
    for (const std::string& t : texts) EXPECT_EQ(t.find('<'), std::string::npos) << field << " " << t;
  for (const char* kept : {"NAME", "QTY", "PRICE"}) EXPECT_EQ(f.Handed[kept].size(), 5u) << kept;
  EXPECT_EQ(static_cast<int>(f.Handed["ID"].size()), f.Draws["ID"]);
  f.Handed.clear();
  f.Repaint();
  EXPECT_EQ(f.Handed.count("NAME") + f.Handed.count("QTY") + f.Handed.count("PRICE"), 0u);
  EXPECT_EQ(f.Handed["ID"].size(), 5u);
  EXPECT_EQ(f.Cell("QTY", 4), "<5.0件>");
}

// ============================================================================ texts formed again

namespace {

// Goods with a QTY shown as "<n>.0" (a text the controller keeps) and a currency PRICE;
// every data cell painted keeps its text, by column and row.
struct KeptTextForm : DbGridForm {
  explicit KeptTextForm(int rows = 5) : DbGridForm(rows) {
    dynamic_cast<TFloatField*>(data->FieldByName("QTY"))->SetDisplayFormat("0.0");
    dynamic_cast<TFloatField*>(data->FieldByName("PRICE"))->SetCurrency(true);
    grid->OnDrawColumnCell = [this](TObject*, TkwDrawColumnCellArgs& a) {
      if (a.RowIndex >= 0 && a.Column) Painted[{a.Column, a.RowIndex}] = std::string(a.DisplayText);
    };
  }
  TkwColumn* Add(const char* field) {
    TkwColumn* c = grid->Columns()->Add();
    if (field) c->SetFieldName(field);
    return c;
  }
  // The texts of a column's painted cells, rows 0..4, after a fresh paint.
  std::string Column(TkwColumn* c) {
    uitest::Pump();
    Painted.clear();
    grid->Invalidate();
    ::UpdateWindow(grid->Handle());
    std::string s;
    for (int row = 0; row < 5; ++row) s += (row ? "|" : "") + Painted[{c, row}];
    return s;
  }
  std::map<std::pair<TkwColumn*, int>, std::string> Painted;
};

// Units by key 0..6: "U0".."U6" (QTY i % 7 names one).
TDataPacket Units() {
  TDataPacket p;
  p.Fields = {{"KEY", ftInteger, 0}, {"NAME", ftString, 20}};
  for (int i = 0; i < 7; ++i) p.Rows.push_back({Variant(i), Variant(("U" + std::to_string(i)).c_str())});
  return p;
}

}  // namespace

// Regression: the texts a column keeps were formed again only when the dataset loaded.
// A change of the lookup data repainted the grid with the texts looked up before it
// ("U2" after that unit became "CHANGED"); so did other list and key fields.
TEST(KwDbGridCellText, FaultLookupDataChangesPaintTheirNewTexts) {
  KeptTextForm f;
  TClientDataSet units(nullptr);
  units.SetData(Units());
  TDataSource unitSource(nullptr);
  unitSource.SetDataSet(&units);
  f.Add("ID");
  TkwColumn* unit = f.Add("QTY");
  unit->SetLookupSource(&unitSource);
  unit->SetKeyField("KEY");
  unit->SetListField("NAME");
  f.Bind();
  f.Show();
  ASSERT_TRUE(unit->IsLookupColumn());
  ASSERT_TRUE(unit->DbField()->StoresText());
  EXPECT_EQ(f.Column(unit), "U1|U2|U3|U4|U5");
  units.SetRecNo(3);  // KEY 2
  units.Edit();
  units.FieldByName("NAME")->SetAsString("CHANGED");
  units.Post();
  EXPECT_EQ(f.Column(unit), "U1|CHANGED|U3|U4|U5");
  unit->SetListField("KEY");
  EXPECT_EQ(f.Column(unit), "1|2|3|4|5");
  unit->SetListField("NAME");
  unitSource.SetDataSet(nullptr);  // no lookup: the field's own texts
  EXPECT_EQ(f.Column(unit), "1.0|2.0|3.0|4.0|5.0");
  unitSource.SetDataSet(&units);
  EXPECT_EQ(f.Column(unit), "U1|CHANGED|U3|U4|U5");
}

// Regression: hidden content turned on at run time left the kept texts painted ("2.0"
// for "***"); so did a new HideContentStr, the column's DisplayFormat set or cleared at
// run time, and a new value formula. The field's own format at run time lays the grid
// out again and is painted too.
TEST(KwDbGridCellText, FaultRunTimeChangesOfTheTextsFormsArePainted) {
  KeptTextForm f;
  TkwColumn* qty = f.Add("QTY");
  TkwColumn* price = f.Add("PRICE");
  TkwColumn* twice = f.Add(nullptr);
  twice->SetName("colTwice");
  twice->SetValueExpression("QTY*2");
  f.Bind();
  f.Show();
  ASSERT_TRUE(qty->DbField()->StoresText());
  ASSERT_TRUE(price->DbField()->StoresText());
  ASSERT_TRUE(twice->DbField()->StoresText());
  EXPECT_EQ(f.Column(qty), "1.0|2.0|3.0|4.0|5.0");
  qty->SetColumnOptions(qty->ColumnOptions() | ColumnOption(gcoHideContent));
  EXPECT_EQ(f.Column(qty), "***|***|***|***|***");
  qty->SetHideContentStr("##");
  EXPECT_EQ(f.Column(qty), "##|##|##|##|##");
  qty->SetColumnOptions(qty->ColumnOptions() & ~ColumnOption(gcoHideContent));
  EXPECT_EQ(f.Column(qty), "1.0|2.0|3.0|4.0|5.0");
  qty->SetDisplayFormat("0.00件");
  EXPECT_EQ(f.Column(qty), "1.00件|2.00件|3.00件|4.00件|5.00件");
  qty->SetDisplayFormat("");
  EXPECT_EQ(f.Column(qty), "1.0|2.0|3.0|4.0|5.0");
  const std::string currency = f.Column(price);
  EXPECT_EQ(currency.find("1.5|"), std::string::npos) << currency;  // the currency's texts
  price->SetDisplayFormat("0.000");
  EXPECT_EQ(f.Column(price), "1.500|3.000|4.500|6.000|7.500");
  price->SetDisplayFormat("");
  EXPECT_EQ(f.Column(price), currency);
  EXPECT_EQ(f.Column(twice), "2|4|6|8|10");
  twice->SetValueExpression("QTY*3");
  EXPECT_EQ(f.Column(twice), "3|6|9|12|15");
  dynamic_cast<TFloatField*>(f.data->FieldByName("QTY"))->SetDisplayFormat("#.0#");
  EXPECT_EQ(f.Column(qty), "1.0|2.0|3.0|4.0|5.0");
  dynamic_cast<TFloatField*>(f.data->FieldByName("QTY"))->SetDisplayFormat("0件");
  EXPECT_EQ(f.Column(qty), "1件|2件|3件|4件|5件");
}

// An edit of a formatted field typed into the grid, left by Down (and by Enter, which
// goes on to the next column): the edited cell paints the field's new text, its
// neighbours keep theirs, and the edit reached the record.
TEST(KwDbGridCellText, AnEditOfAFormattedFieldPaintsItsNewText) {
  KeptTextForm f;
  f.Add("ID");
  TkwColumn* qty = f.Add("QTY");
  f.Add("PRICE");
  f.grid->SetOptions(f.grid->Options() | GridOption(dgEditing));
  f.Bind();
  f.Show();
  PostKey(VK_DOWN);
  PostKey(VK_RIGHT);
  ASSERT_EQ(f.grid->SelectedColumn(), qty);
  ASSERT_EQ(f.Focused(), 1);
  PostKey('9');
  PostKey(VK_DOWN);
  ASSERT_EQ(f.Focused(), 2);
  EXPECT_EQ(f.Column(qty), "1.0|9.0|3.0|4.0|5.0");
  PostKey('7');
  PostKey(VK_RETURN);
  EXPECT_EQ(f.Column(qty), "1.0|9.0|7.0|4.0|5.0");
  f.data->SetRecNo(2);
  EXPECT_EQ(f.data->FieldByName("QTY")->AsFloat(), 9.0);
  f.data->SetRecNo(3);
  EXPECT_EQ(f.data->FieldByName("QTY")->AsFloat(), 7.0);
}
