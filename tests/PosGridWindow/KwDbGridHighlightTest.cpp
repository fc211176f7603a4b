// The data-aware grid's row-highlight formula under Wine: rows where it holds are drawn in
// HighlightColor (the current cell of such a row in its inverse), whether the formula is
// set on a loaded grid or before the dataset opens; a formula that does not compile is
// refused and highlights nothing; a reopened dataset that lacks its field shows its
// rows unhighlighted, and one that has it again highlights them again. A picture of a
// grid with highlighted rows is written to the build tree.
#include <string>

#include "KwDbGridTestSupport.h"
#include "tests/support/ErrorText.h"
#include "tests/support/Screenshot.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;
using postest::ErrorOf;

namespace {

// One letter per data row shown: H highlighted (HighlightColor), I its inverse (the
// current cell of a highlighted row), . anything else; read inside the cell of the
// given data column, away from its text.
std::string Highlighted(TkwCustomDBGrid* g, int dataColumn) {
  g->Invalidate();
  ::UpdateWindow(g->Handle());
  TBitmap shot;
  RenderControl(g, shot, false);
  const uint32_t high = Rgb(g->HighlightColor());
  const uint32_t inverse = Rgb(static_cast<TColor>(0xFFFFFF - (ColorToRGB(g->HighlightColor()) & 0xFFFFFF)));
  std::string s;
  for (int row = g->TitleOffset(); row < g->RowCount(); ++row) {
    const TRect r = g->CellRect(g->DataToRawColumn(dataColumn), row);
    if (r.Bottom <= r.Top) break;
    const uint32_t px = shot.PixelRGB(r.Right - 3, r.Bottom - 3);
    s += px == high ? 'H' : px == inverse ? 'I' : '.';
  }
  return s;
}

// The goods packet without QTY.
TDataPacket WithoutQty(int n) {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 20}, {"PRICE", ftFloat, 0}};
  for (int i = 1; i <= n; ++i) p.Rows.push_back({Variant(i), Variant("x"), Variant(i * 1.5)});
  return p;
}

}  // namespace

// QTY is i % 7: QTY > 4 holds for goods 5, 6, 12, 13 (rows 4, 5, 11, 12).
TEST(KwDbGridHighlight, RowsWhereTheFormulaHoldsAreDrawnInHighlightColor) {
  DbGridForm f(14, 420, 19 * 15 + 4);
  f.form->SetCaption("数量 > 4 的行");
  f.Bind();
  f.Show();
  const int price = 3;
  ASSERT_EQ(f.grid->Columns()->Items(price)->FieldName(), "PRICE");
  EXPECT_EQ(Highlighted(f.grid, price), "..............");
  // Set on a loaded grid, the formula reads the rows' values at once.
  f.grid->SetHighlightFormula("QTY > 4");
  EXPECT_EQ(f.grid->HighlightFormula(), "QTY > 4");
  EXPECT_EQ(Highlighted(f.grid, price), "....HH.....HH.");
  std::string rows;
  for (int r = -1; r <= 14; ++r) rows += f.grid->RowHighlighted(r) ? 'H' : '.';
  EXPECT_EQ(rows, ".....HH.....HH..");
  // The current cell of a highlighted row is drawn in the inverse colour; the rest of
  // the row stays highlighted.
  for (int i = 0; i < 5; ++i) PostKey(VK_DOWN);
  ASSERT_EQ(f.Focused(), 5);
  EXPECT_EQ(Highlighted(f.grid, f.grid->SelectedIndex()), "....HI.....HH.");
  EXPECT_EQ(Highlighted(f.grid, price), "....HH.....HH.");
  f.grid->SetHighlightColor(static_cast<TColor>(0x80FF80));
  EXPECT_EQ(Highlighted(f.grid, price), "....HH.....HH.");
  const std::string path = std::string("Z:") + POS_BINARY_DIR + "/kw-dbgrid-highlight.png";
  SaveScreenshot(f.form.get(), path);

  // A formula that does not compile is refused, its text kept, nothing highlighted.
  EXPECT_EQ(ErrorOf([&] { f.grid->SetHighlightFormula("NOSUCH > 1"); }), "Exception: 找不到列：NOSUCH");
  EXPECT_EQ(f.grid->HighlightFormula(), "NOSUCH > 1");
  EXPECT_EQ(Highlighted(f.grid, price), "..............");
  f.grid->SetHighlightFormula("(PRICE >= 15) AND (QTY < 5)");  // goods 10, 11, 14
  EXPECT_EQ(Highlighted(f.grid, price), ".........HH..H");
  f.grid->SetHighlightFormula("");
  EXPECT_EQ(Highlighted(f.grid, price), "..............");
}

// Set before the dataset opens, the formula is compiled when the grid's controller binds
// the fields. A reopened dataset without QTY is shown whole, nothing highlighted; one with
// QTY again is highlighted again.
TEST(KwDbGridHighlight, FormulaFollowsTheDatasetThroughReopening) {
  DbGridForm f(14, 420, 19 * 15 + 4);
  f.grid->SetHighlightFormula("QTY > 4");
  f.Bind();
  f.Show();
  EXPECT_EQ(Highlighted(f.grid, 1), "....HH.....HH.");
  f.data->SetData(WithoutQty(9));
  Pump();
  EXPECT_EQ(f.grid->DataController()->RowCount(), 9);
  EXPECT_EQ(f.grid->Columns()->Count(), 3);
  EXPECT_EQ(Highlighted(f.grid, 1), ".........");
  f.data->SetData(GoodsRows(7));
  Pump();
  EXPECT_EQ(Highlighted(f.grid, 1), "....HH.");
}

// As a user meets it: a value typed into a row and posted by a move takes the row in or
// out of the highlight, and a sort carries the highlight with the records.
TEST(KwDbGridHighlight, EditsAndSortsCarryTheHighlight) {
  DbGridForm f(9, 420, 19 * 11 + 4);
  f.Bind();
  f.Show();
  f.grid->SetHighlightFormula("QTY > 4");
  const int qty = 2, price = 3;
  ASSERT_EQ(Highlighted(f.grid, price), "....HH...");
  // 数量 of the first row: 1 becomes 9, then that of the fifth: 5 becomes 2.
  PostKey(VK_RIGHT);
  PostKey(VK_RIGHT);
  ASSERT_EQ(f.grid->SelectedIndex(), qty);
  TypeText(L"9");
  PostKey(VK_RETURN);
  PostKey(VK_DOWN);
  EXPECT_EQ(f.grid->GetCellValue(f.grid->Columns()->Items(qty), 0).AsInteger(), 9);
  EXPECT_EQ(Highlighted(f.grid, price), "H...HH...");
  PostKey(VK_LEFT);
  for (int i = 0; i < 3; ++i) PostKey(VK_DOWN);
  ASSERT_EQ(f.Focused(), 4);
  ASSERT_EQ(f.grid->SelectedIndex(), qty);
  TypeText(L"2");
  PostKey(VK_RETURN);
  PostKey(VK_UP);
  EXPECT_EQ(Highlighted(f.grid, price), "H....H...");
  // Sorted by 数量 descending (9, 6, 4, ...): the highlighted records come first.
  f.View().SortByColumn(f.grid->Columns()->Items(qty), true);
  f.View().SortByColumn(f.grid->Columns()->Items(qty), true);
  EXPECT_EQ(Highlighted(f.grid, price), "HH.......");
}
