// The texts of the data-aware grid's cells under Wine: the field's display text (its
// currency, display format, text handler), then the grid's display-text hook, once.
#include <map>

#include "KwDbGridTestSupport.h"
#include "db/FieldClasses.h"

using namespace kwtest;
using namespace uitest;

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
