// The library grid's model and views: defaults, the fixed data columns accessor, the
// footer's geometry, the views and what the grid's destruction leaves them.
#include "KwGridTestSupport.h"
#include "rtl/ComponentStreaming.h"

using namespace kwtest;
using namespace uitest;

namespace {

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
    return "ok";
  } catch (const EkwInvalidGridOperation& e) {
    return e.Message().c_str();
  }
}

}  // namespace

TEST(KwGrid, NewGridHasTheLibraryDefaults) {
  TTestGrid g(nullptr);
  EXPECT_EQ(g.Width(), 320);
  EXPECT_EQ(g.Height(), 90);
  EXPECT_EQ(g.DefaultRowHeight(), 18);
  EXPECT_EQ(g.DefaultColWidth(), 64);
  EXPECT_EQ(g.ColCount(), 5);
  EXPECT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.FixedCols(), 1);
  EXPECT_EQ(g.FixedRows(), 1);
  EXPECT_EQ(g.FixedDataCols(), 0);
  EXPECT_FALSE(g.Footer());
  EXPECT_EQ(g.FooterColor(), clBlack);
  EXPECT_EQ(g.GetFooterHeight(), 18);
  EXPECT_EQ(g.Col(), 1);
  EXPECT_EQ(g.Row(), 1);
  EXPECT_EQ(g.LeftCol(), 1);
  EXPECT_EQ(g.TopRow(), 1);
}

TEST(KwGrid, FixedDataColsAccessorChecksAndReinitialises) {
  TTestGrid g(nullptr);
  g.SetColCount(10);
  g.SetFixedCols(3);
  EXPECT_EQ(ErrorOf([&] { g.SetFixedDataCols(-1); }), "Grid index out of range");
  EXPECT_EQ(ErrorOf([&] { g.SetFixedDataCols(4); }), "Fixed column count must be less than column count");
  EXPECT_EQ(g.FixedDataCols(), 0);
  EXPECT_EQ(ErrorOf([&] { g.SetFixedDataCols(2); }), "ok");
  EXPECT_EQ(g.FixedDataCols(), 2);
  EXPECT_EQ(g.Col(), 3);
}

// Regression: FixedCols set below FixedDataCols kept the larger value (a negative count
// of title columns), and a negative column index read before the widths.
TEST(KwGrid, FaultFixedColsBelowFixedDataColsAndNegativeColumnIndex) {
  TTestGrid g(nullptr);
  g.SetColCount(10);
  g.SetFixedCols(3);
  g.SetFixedDataCols(2);
  g.SetFixedCols(1);
  EXPECT_EQ(g.FixedDataCols(), 1);
  g.SetColWidths(0, 40);
  EXPECT_EQ(g.GetColWidths(-1), 64);
  EXPECT_EQ(g.GetColWidths(-5), 64);
  g.SetColCount(1);
  EXPECT_EQ(g.FixedCols(), 0);
  EXPECT_EQ(g.FixedDataCols(), 0);
}

TEST(KwGrid, NegativeRowIsTheFooterAndRowSelectWidensOverFixedDataColumns) {
  TTestGrid g(nullptr);
  EXPECT_EQ(g.GetRowHeights(-1), 18);
  g.SetRowHeights(2, 30);
  EXPECT_EQ(g.GetRowHeights(-1), 18);
  g.SetColCount(8);
  g.SetFixedCols(3);
  g.SetFixedDataCols(2);
  g.SetOptions(g.Options() + TGridOptions{goRowSelect});
  EXPECT_EQ(g.Selection().Left, 1);
  EXPECT_EQ(g.Selection().Right, 7);
}

TEST(KwGrid, FooterTakesTheBottomRowOfPixelsFromTheRowArea) {
  GridForm f(6, 100, 400, 200);
  f.Show();
  const int visibleWithout = f.grid->VisibleRowCount();
  f.grid->SetFooter(true);
  const int h = f.grid->ClientHeight();
  const TRect r = f.grid->FooterCellRect(2);
  EXPECT_EQ(r.Top, h - 18);
  EXPECT_EQ(r.Bottom, h);
  EXPECT_EQ(r.Left, f.grid->CellRect(2, 1).Left);
  EXPECT_EQ(f.grid->VisibleRowCount(), (h - 18 - 19) / 19);
  EXPECT_LE(f.grid->VisibleRowCount(), visibleWithout);
}

TEST(KwGrid, GridViewIsMadeOnceAndForwardsToTheGrid) {
  GridForm f(6, 10);
  f.Show();
  std::shared_ptr<IkwGridView> v = f.grid->GetGridView();
  EXPECT_EQ(v.get(), f.grid->GetGridView().get());
  EXPECT_TRUE(v->HasGrid());
  EXPECT_EQ(v->GetHandle(), f.grid->Handle());
  EXPECT_EQ(v->Col(), 1);
  f.grid->SetCol(3);
  EXPECT_EQ(v->Col(), 3);
  v->SetEditText(2, 2, "衬衫");
  EXPECT_EQ(f.grid->Cell(2, 2), "衬衫");
  EXPECT_EQ(v->GetEditText(2, 2), "衬衫");
  EXPECT_EQ(v->GetEditStyle(2, 1), esPickList);
  // The view reads the option bit, not the per-column answer.
  f.grid->AlwaysShowColumn = 3;
  EXPECT_TRUE(f.grid->AlwaysShowEditor(3));
  EXPECT_FALSE(v->AlwaysShowEditor());
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goAlwaysShowEditor});
  EXPECT_TRUE(v->AlwaysShowEditor());
}

TEST(KwGrid, EmptyViewAnswersNeutralValues) {
  TkwEmptyGridView v;
  WORD key = VK_DOWN;
  v.KeyDown(key, {});
  EXPECT_EQ(key, VK_DOWN);
  const std::string s = std::to_string(v.Focused()) + std::to_string(v.HasGrid()) +
                        std::to_string(v.AlwaysShowEditor()) + std::to_string(v.UseRightToLeftAlignment()) + "/" +
                        std::to_string(v.CanEditAcceptKey('a')) + std::to_string(v.CanEditModify()) + "/" +
                        std::to_string(v.GetHandle() == nullptr) + std::to_string(v.Col()) +
                        std::to_string(v.Row()) + "/" + std::to_string(v.GetEditStyle(1, 1)) + "/" +
                        v.GetEditText(1, 1).c_str() + v.GetEditMask(1, 1).c_str() + "/" +
                        std::to_string(v.GetEditLimit());
  EXPECT_EQ(s, "0000/11/100/0//-1");
}

// Regression: a view held past its grid forwarded into the freed grid.
TEST(KwGrid, FaultViewOutlivingItsGridReachedFreedMemory) {
  std::shared_ptr<IkwGridView> v;
  {
    TTestGrid g(nullptr);
    g.SetColCount(6);
    g.SetCol(4);
    v = g.GetGridView();
    EXPECT_EQ(v->Col(), 4);
  }
  EXPECT_FALSE(v->HasGrid());
  EXPECT_EQ(v->Col(), 0);
  EXPECT_EQ(v->GetHandle(), nullptr);
  EXPECT_EQ(v->GetEditLimit(), -1);
  v->SetEditText(1, 1, "x");
  WORD key = VK_DOWN;
  v->KeyDown(key, {});
}

// Regression: with hidden columns before LeftCol the thumb stood too far right, and
// with one shown column it was worked out by a division by zero.
TEST(KwGrid, FaultHorizontalThumbCountedHiddenColumns) {
  GridForm f(30, 10, 300, 200);
  f.Show();
  for (int c = 2; c < 6; ++c) f.grid->SetColWidths(c, 0);
  f.grid->SetLeftCol(10);
  TGridDrawInfo info;
  f.grid->CalcDrawInfo(info);
  const int maxLeft = grid_geometry::CalcMaxCell(info.Horz, 29);
  const int shown = maxLeft - 1 - 4 + 1;  // columns 1..maxLeft less the four hidden ones
  const int before = 10 - 1 - 4;         // shown columns 1, 6..9
  EXPECT_EQ(::GetScrollPos(f.grid->Handle(), SB_HORZ), LongMulDiv(before, 127, shown - 1));
}

// The library grid keeps its widths and heights in a form resource as the platform grid
// does: the rows of the axis only (the footer is no row), hidden columns as 0.
TEST(KwGrid, WidthsAndHeightsGoThroughAFormResource) {
  TTestGrid g(nullptr);
  g.SetName("grd");
  EXPECT_TRUE(g.SaveCellExtents());
  g.SetFooter(true);
  g.SetColWidths(2, 0);
  g.SetRowHeights(1, 30);
  TMemoryStream m;
  m.WriteComponent(&g);
  const std::string image(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
  const std::string widths = std::string("\x09" "ColWidths" "\x01") + "\x02\x40\x02\x40\x02" + '\0' + "\x02\x40\x02\x40" + '\0';
  const std::string heights = std::string("\x0A" "RowHeights" "\x01") + "\x02\x12\x02\x1E\x02\x12\x02\x12\x02\x12" + '\0';
  EXPECT_NE(image.find(widths + heights), std::string::npos);

  TTestGrid back(nullptr);
  back.SetName("grd");
  m.SetPosition(0);
  m.ReadComponent(&back);
  EXPECT_EQ(back.ColWidths(2), 0);
  EXPECT_EQ(back.RowHeights(1), 30);
  EXPECT_EQ(back.GetRowHeights(-1), 18);
}
