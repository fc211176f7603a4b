// The data-aware grid's painting: row numbers and the indicator title, two-level titles
// merged over their columns, the sort mark, two-colour rows and the footer's totals;
// and a picture of it for the docs.
#include "KwDbGridTestSupport.h"
#include "tests/support/Screenshot.h"
#include "ui/ImgList.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;

namespace {

// Goods in a two-level layout: 商品 over 编号/名称, 金额 over 数量/单价; QTY totals.
void TwoLevelColumns(TkwCustomDBGrid* g) {
  auto add = [g](const char* field, const char* caption, TkwColumn* parent, int width) {
    TkwColumn* c = g->Columns()->Add();
    if (field) c->SetFieldName(field);
    c->Title()->SetCaption(caption);
    c->SetWidth(width);
    c->SetColumnOptions(c->ColumnOptions() | ColumnOption(gcoSortable) | ColumnOption(gcoShowSortIcon));
    if (parent) c->SetParent(parent);
    return c;
  };
  TkwColumn* goods = add(nullptr, "商品", nullptr, 0);
  TkwColumn* money = add(nullptr, "金额", nullptr, 0);
  add("ID", "编号", goods, 50);
  add("NAME", "名称", goods, 110);
  TkwColumn* qty = add("QTY", "数量", money, 70);
  qty->SetTotalColumn(true);
  qty->SetAlignment(taRightJustify);
  add("PRICE", "单价", money, 70);
  goods->SetExpanded(true);
  money->SetExpanded(true);
}

uint32_t Pixel(TBitmap& shot, int x, int y) { return shot.PixelRGB(x, y); }

}  // namespace

TEST(KwDbGridPaint, RowColoursTitlesSortMarkAndFooter) {
  DbGridForm f(40, 440, 19 * 13 + 4);
  f.form->SetCaption("数据表格");
  TwoLevelColumns(f.grid);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgFooter) | GridOption(dgAlwaysShowSelection));
  f.Bind();
  f.Show();
  ASSERT_EQ(f.grid->TitleOffset(), 2);
  ASSERT_TRUE(f.grid->Footer());
  // Sort by 数量 descending by two double-clicks on its title.
  const TRect t = f.grid->CellRect(f.grid->DataToRawColumn(4), 1);
  const POINT p{(t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2};
  for (int i = 0; i < 2; ++i) {
    ::PostMessageW(f.grid->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ::PostMessageW(f.grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    Pump();
  }
  TkvCustomDbDataController* c = f.grid->DataController();
  Variant first;
  c->GetRowValue(0, f.grid->Columns()->Items(4)->DbField(), first);
  EXPECT_EQ(first.AsInteger(), 6);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  Pump();
  ::UpdateWindow(f.grid->Handle());

  TBitmap shot;
  RenderControl(f.grid, shot, false);
  // Row 0 of the data is the even colour, row 1 the odd one (column 编号, no selection).
  const int idCol = f.grid->DataToRawColumn(2);
  const TRect r0 = f.grid->CellRect(idCol, 2), r1 = f.grid->CellRect(idCol, 3);
  EXPECT_EQ(Pixel(shot, r0.Right - 3, r0.Bottom - 3), 0xF7F7F7u);
  EXPECT_EQ(Pixel(shot, r1.Right - 3, r1.Bottom - 3), 0xFFFFFFu);
  // The sort mark (descending: image 1) at right - 15, centre - 5 of the title cell.
  int marked = 0;
  for (int x = t.Right - 15; x < t.Right - 5; ++x)
    for (int y = (t.Top + t.Bottom) / 2 - 5; y < (t.Top + t.Bottom) / 2 + 5; ++y)
      if (Pixel(shot, x, y) == 0x000080u) ++marked;
  EXPECT_GT(marked, 10);
  // The parent title 金额 spans 数量 and 单价: no grid line between them in title row 0.
  const TRect q0 = f.grid->CellRect(f.grid->DataToRawColumn(4), 0);
  EXPECT_EQ(Pixel(shot, q0.Right, q0.Bottom - 2), Rgb(f.grid->FixedColor()));
  // The footer shows the sum of QTY: 40 goods, i % 7.
  EXPECT_EQ(f.grid->Columns()->Items(4)->FooterDisplayText(), "120.00");

  const std::string path = std::string("Z:") + POS_BINARY_DIR + "/kw-dbgrid.png";
  SaveScreenshot(f.form.get(), path);
}

// Regression: a row number 0 (a row without a record) aborted the paint with an
// internal error.
TEST(KwDbGridPaint, FaultRowNumberZeroDrawsNothing) {
  DbGridForm f(2);
  f.grid->SetMinRowCount(5);
  f.Bind();
  f.Show();
  EXPECT_EQ(f.grid->RowCount(), 6);
  f.grid->Invalidate();
  ::UpdateWindow(f.grid->Handle());
  TBitmap shot;
  RenderControl(f.grid, shot, false);
  const TRect blank = f.grid->CellRect(0, 4);
  for (int x = blank.Left + 2; x < blank.Right - 2; ++x)
    EXPECT_EQ(Pixel(shot, x, (blank.Top + blank.Bottom) / 2), Rgb(f.grid->FixedColor())) << x;
}

// Regression: the glyph of the current row was drawn over five-digit row numbers in the
// 40-pixel indicator column. The number is centred and the column is wide enough for it
// to stay clear of the glyph at the right end; few rows keep the 40 pixels.
TEST(KwDbGridPaint, FaultIndicatorGlyphNeverCoversTheRowNumber) {
  {
    DbGridForm few(9);
    few.Bind();
    few.Show();
    EXPECT_EQ(few.grid->ColWidths(0), 40);
  }
  DbGridForm f(12345);
  f.Bind();
  f.Show();
  PostKeyWith(VK_CONTROL, VK_END);
  PostKey(VK_UP);
  Pump();
  ASSERT_EQ(f.Focused(), 12343);
  EXPECT_GT(f.grid->ColWidths(0), 40);
  f.grid->Invalidate();
  ::UpdateWindow(f.grid->Handle());
  TBitmap shot;
  RenderControl(f.grid, shot, false);
  const uint32_t fixed = Rgb(f.grid->FixedColor());
  const int glyphWidth = f.grid->IndicatorImages().Width();
  // Inked columns of one indicator cell, inside its frame.
  auto inked = [&](int row) {
    const TRect r = f.grid->CellRect(0, row);
    std::string s;
    for (int x = r.Left + 2; x < r.Right - 1; ++x) {
      bool ink = false;
      for (int y = r.Top + 2; y < r.Bottom - 2; ++y) ink = ink || Pixel(shot, x, y) != fixed;
      s += ink ? '#' : '.';
    }
    return s;
  };
  const int glyphAt = IndicatorGlyphLeft(f.grid->CellRect(0, 1).Right, glyphWidth) - f.grid->CellRect(0, 1).Left - 2;
  const std::string current = inked(f.grid->Row()), other = inked(f.grid->Row() - 1);
  // Another row: its number ends before the glyph's place and is centred.
  EXPECT_EQ(other.find('#', glyphAt), std::string::npos) << other;
  const size_t first = other.find('#'), last = other.rfind('#');
  ASSERT_NE(first, std::string::npos);
  EXPECT_LE(std::abs(static_cast<int>(first) - static_cast<int>(other.size() - 1 - last)), 2) << other;
  // The current row: the number as wide as the other one's, then the glyph in its place.
  EXPECT_EQ(current.find('#'), first) << current;
  EXPECT_NE(current.find('#', glyphAt), std::string::npos) << current;

  // The numbers' width is measured once per count of digits and font: a font twice as
  // tall measures them again and the column widens, at the next row count update too.
  const int before = f.grid->ColWidths(0);
  f.grid->Font()->SetHeight(f.grid->Font()->Height() * 2);
  Pump();
  EXPECT_GT(f.grid->ColWidths(0), before);
  const int wider = f.grid->ColWidths(0);
  PostKey(VK_UP);
  Pump();
  EXPECT_EQ(f.grid->ColWidths(0), wider);
}

// The grid leaves its background unfilled under the cells: every pixel of its client
// area is painted by its cells, their lines or the space beyond them. Painted onto a
// magenta bitmap, no magenta may be left in any layout: one and two title levels, with
// and without the footer and the indicator, fewer rows than the room, columns narrower
// than the grid, scrolled to the last rows, and with the in-place editor shown (the
// cell under it is the background's).
TEST(KwDbGridPaint, FaultEveryPixelIsPaintedWithoutTheBackground) {
  constexpr uint32_t kMagenta = 0xFF00FF;
  for (int layout = 0; layout < 5; ++layout) {
    SCOPED_TRACE(layout);
    const bool few = layout % 2 == 1;
    DbGridForm f(few ? 5 : 60, 440, 19 * 13 + 4);
    if (layout >= 2) TwoLevelColumns(f.grid);
    TkwDBGridOptions o = f.grid->Options();
    if (few) o |= GridOption(dgFooter);
    if (layout == 3) o &= ~GridOption(dgIndicator);
    f.grid->SetOptions(o);
    f.Bind();
    f.Show();
    if (!few) {
      f.View().SetRecNo(60);
      f.grid->UpdateActive();
      Pump();
    }
    if (layout == 4) {
      PostKey(VK_F2);
      Pump();
      ASSERT_TRUE(f.grid->EditorMode());
    }
    RECT cr;
    ::GetClientRect(f.grid->Handle(), &cr);
    TBitmap shot;
    shot.SetSize(cr.right, cr.bottom);
    shot.Canvas()->Brush()->SetColor(static_cast<TColor>(0xFF00FF));
    shot.Canvas()->FillRect(Rect(0, 0, cr.right, cr.bottom));
    f.grid->PaintTo(shot.Canvas()->Handle(), 0, 0);
    int left = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < cr.bottom; ++y)
      for (int x = 0; x < cr.right; ++x)
        if (Pixel(shot, x, y) == kMagenta && left++ == 0) firstX = x, firstY = y;
    EXPECT_EQ(left, 0) << "first at " << firstX << "," << firstY;
  }
}
