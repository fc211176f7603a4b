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

namespace {

std::string Str(const TRect& r) {
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
         std::to_string(r.Bottom);
}

// Whether the pixel lies in the part of the grid waiting to be painted.
bool Pending(TkwCustomGrid* g, const TRect& r) {
  HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
  ::GetUpdateRgn(g->Handle(), rgn, FALSE);
  const bool in = ::PtInRegion(rgn, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  ::DeleteObject(rgn);
  return in;
}

}  // namespace

// Regression: the footer cell was worked out through row 0, which a grid without fixed
// rows scrolls away; then the cell had no rectangle and InvalidateCol left the column's
// total unpainted.
TEST(KwGrid, FaultFooterCellOfAScrolledGridWithoutFixedRowsWasNeverInvalidated) {
  GridForm f(6, 60, 400, 200);
  f.grid->SetFixedRows(0);
  f.grid->SetFooter(true);
  f.Show();
  f.grid->SetTopRow(20);
  ASSERT_EQ(f.grid->TopRow(), 20);
  const int h = f.grid->ClientHeight();
  const TRect cell = f.grid->CellRect(2, 20);
  const TRect band = f.grid->GridRectToScreenRect({2, -1, 2, -1});
  EXPECT_EQ(Str(band), Str(Rect(cell.Left, h - 18, cell.Right, h)));
  EXPECT_EQ(Str(f.grid->FooterCellRect(2)), Str(band));
  // A range of columns spans them; the lines are included on request.
  EXPECT_EQ(Str(f.grid->GridRectToScreenRect({1, -1, 2, -1}, true)),
            Str(Rect(f.grid->CellRect(1, 20).Left, h - 18, cell.Right + 1, h)));
  // Without the footer row -1 is no band.
  f.grid->SetFooter(false);
  EXPECT_NE(f.grid->GridRectToScreenRect({2, -1, 2, -1}).Top, f.grid->ClientHeight() - 18);
  f.grid->SetFooter(true);
  Pump();
  ::UpdateWindow(f.grid->Handle());
  f.grid->InvalidateCol(2);
  std::string pending = std::to_string(Pending(f.grid, f.grid->FooterCellRect(2))) +
                        std::to_string(Pending(f.grid, f.grid->CellRect(2, 21))) +
                        std::to_string(Pending(f.grid, f.grid->FooterCellRect(4)));
  EXPECT_EQ(pending, "110");
}

// Regression: a column deleted through the platform grid (DeleteColumn, or ColCount set
// through it) left more fixed data columns than fixed columns.
TEST(KwGrid, FaultFixedDataColsOutlivedColumnsDeletedThroughThePlatformGrid) {
  TTestGrid g(nullptr);
  g.SetColCount(4);
  g.SetFixedCols(3);
  g.SetFixedDataCols(3);
  g.SetOptions(g.Options() + TGridOptions{goRowSelect});  // a selected row spans the fixed data columns
  auto state = [&] {
    return std::to_string(g.ColCount()) + "/" + std::to_string(g.FixedCols()) + "/" +
           std::to_string(g.FixedDataCols()) + "/" + std::to_string(g.Selection().Left);
  };
  std::string s = state();
  g.DeleteColumn(3);
  s += " " + state();
  static_cast<TCustomGrid&>(g).SetColCount(2);
  s += " " + state();
  EXPECT_EQ(s, "4/3/3/0 3/2/2/0 2/1/1/0");
}

// Regression: the index and count errors of the platform grid reached callers as its own
// class, which callers of the library do not catch.
TEST(KwGrid, FaultPlatformGridErrorsReachedCallersAsTheirOwnClass) {
  TTestGrid g(nullptr);
  g.SetColCount(5);
  g.SetRowCount(5);
  TCustomGrid& base = g;
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"ColWidths", [&] { g.SetColWidths(5, 10); }},
      {"RowHeights", [&] { g.SetRowHeights(-1, 10); }},
      {"TabStops", [&] { g.SetTabStops(9, false); }},
      {"FixedCols", [&] { g.SetFixedCols(5); }},
      {"FixedCols<0", [&] { g.SetFixedCols(-1); }},
      {"FixedRows", [&] { base.SetFixedRows(5); }},
      {"Col", [&] { g.SetCol(7); }},
      {"Row", [&] { base.SetRow(-2); }},
      {"MoveColumn", [&] { g.MoveColumn(0, 5); }},
      {"MoveRow", [&] { g.MoveRow(6, 1); }},
      {"DeleteColumn", [&] { base.DeleteColumn(8); }},
      {"DeleteRow", [&] { g.DeleteRow(-1); }},
  };
  std::string s;
  for (const auto& [name, op] : cases) {
    s += std::string(name) + ": ";
    try {
      op();
      s += "ok";
    } catch (const EkwInvalidGridOperation& e) {
      s += e.Message().c_str();
    } catch (const EInvalidGridOperation& e) {
      s += std::string("platform ") + e.Message().c_str();
    }
    s += "\n";
  }
  EXPECT_EQ(s,
            "ColWidths: Grid index out of range\n"
            "RowHeights: Grid index out of range\n"
            "TabStops: Grid index out of range\n"
            "FixedCols: Fixed column count must be less than column count\n"
            "FixedCols<0: Grid index out of range\n"
            "FixedRows: Fixed row count must be less than row count\n"
            "Col: Grid index out of range\n"
            "Row: Grid index out of range\n"
            "MoveColumn: Grid index out of range\n"
            "MoveRow: Grid index out of range\n"
            "DeleteColumn: Grid index out of range\n"
            "DeleteRow: Grid index out of range\n");
  EXPECT_EQ(g.ColCount(), 5);
  EXPECT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.FixedCols(), 1);
}
