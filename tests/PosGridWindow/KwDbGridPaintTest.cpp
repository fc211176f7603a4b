// The data-aware grid's painting: row numbers and the indicator title, two-level titles
// merged over their columns and aligned as each title says, the raised edges of fixed
// cells, the focus rectangle, the sort mark, two-colour rows and the footer's totals in
// the title font; and a picture of it for the docs.
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "KwDbGridTestSupport.h"
#include "tests/support/Screenshot.h"
#include "ui/Edit.h"
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
  goods->Title()->SetAlignment(taCenter);
  money->Title()->SetAlignment(taCenter);
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

// The four goods columns, 80 pixels each, with their titles aligned as given.
void PlainColumns(TkwCustomDBGrid* g, TAlignment idTitle = taLeftJustify, TAlignment nameTitle = taLeftJustify,
                  TAlignment qtyTitle = taLeftJustify) {
  const struct {
    const char* field;
    const char* caption;
    TAlignment title;
  } columns[] = {{"ID", "编号", idTitle}, {"NAME", "名称", nameTitle}, {"QTY", "数量", qtyTitle}, {"PRICE", "单价", taLeftJustify}};
  for (const auto& c : columns) {
    TkwColumn* column = g->Columns()->Add();
    column->SetFieldName(c.field);
    column->Title()->SetCaption(c.caption);
    column->Title()->SetAlignment(c.title);
    column->SetWidth(80);
  }
}

// The grid painted afresh.
void Shot(TkwCustomDBGrid* g, TBitmap& shot) {
  g->Invalidate();
  ::UpdateWindow(g->Handle());
  RenderControl(g, shot, false);
}

// The x of the first and the last pixel in a rectangle whose colour is not the given
// one; -1 for both when there is none.
std::pair<int, int> InkSpan(TBitmap& shot, const TRect& r, uint32_t back) {
  int first = -1, last = -1;
  for (int x = r.Left; x < r.Right; ++x)
    for (int y = r.Top; y < r.Bottom; ++y)
      if (Pixel(shot, x, y) != back) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

// Pixels of the top line of a cell that differ from the colour given.
int MarkedOnTop(TBitmap& shot, const TRect& r, uint32_t back) {
  int n = 0;
  for (int x = r.Left; x < r.Right; ++x) n += Pixel(shot, x, r.Top) != back;
  return n;
}

}  // namespace

TEST(KwDbGridPaint, RowColoursTitlesSortMarkAndFooter) {
  DbGridForm f(40, 440, 19 * 13 + 4);
  f.form->SetCaption("数据表格");
  TwoLevelColumns(f.grid);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgFooter) | GridOption(dgAlwaysShowSelection));
  f.grid->SetRowColors(static_cast<TColor>(0xFFFFFF), static_cast<TColor>(0xF7F7F7));
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

// Regression: fixed cells had no frame of their own. With both kinds of lines the titles
// (a merged one too) and the indicator's cells get a raised inner edge: light at the top
// and left, shadow at the bottom and right; without column lines there is none.
TEST(KwDbGridPaint, FaultFixedCellsWithBothLinesHaveRaisedEdges) {
  DbGridForm f(5, 440, 19 * 13 + 4);
  TwoLevelColumns(f.grid);
  f.Bind();
  f.Show();
  const uint32_t light = Rgb(clBtnHighlight), shadow = Rgb(clBtnShadow), fixed = Rgb(f.grid->FixedColor());
  ASSERT_NE(light, fixed);
  ASSERT_NE(shadow, fixed);
  auto framed = [&](TBitmap& shot, const TRect& r) {
    const int mx = (r.Left + r.Right) / 2, my = (r.Top + r.Bottom) / 2;
    return Pixel(shot, r.Left, my) == light && Pixel(shot, mx, r.Top) == light &&
           Pixel(shot, r.Right - 1, my) == shadow && Pixel(shot, mx, r.Bottom - 1) == shadow;
  };
  {
    TBitmap shot;
    Shot(f.grid, shot);
    // 名称 in the lower title row; 金额 merged over 数量 and 单价; the indicator's title
    // over both title rows; a row number.
    EXPECT_TRUE(framed(shot, f.grid->CellRect(f.grid->DataToRawColumn(3), 1)));
    TRect money = f.grid->CellRect(f.grid->DataToRawColumn(4), 0);
    money.Right = f.grid->CellRect(f.grid->DataToRawColumn(5), 0).Right;
    EXPECT_TRUE(framed(shot, money));
    TRect rowNo = f.grid->CellRect(0, 0);
    rowNo.Bottom = f.grid->CellRect(0, 1).Bottom;
    EXPECT_TRUE(framed(shot, rowNo));
    EXPECT_TRUE(framed(shot, f.grid->CellRect(0, 3)));
    // Data cells have none.
    const TRect data = f.grid->CellRect(f.grid->DataToRawColumn(3), 3);
    EXPECT_NE(Pixel(shot, data.Right - 1, (data.Top + data.Bottom) / 2), shadow);
    EXPECT_NE(Pixel(shot, (data.Left + data.Right) / 2, data.Bottom - 1), shadow);
  }
  f.grid->SetOptions(f.grid->Options() & ~GridOption(dgColLines));
  Pump();
  TBitmap shot;
  Shot(f.grid, shot);
  const TRect name = f.grid->CellRect(f.grid->DataToRawColumn(3), 1);
  EXPECT_EQ(Pixel(shot, name.Right - 1, (name.Top + name.Bottom) / 2), fixed);
  EXPECT_EQ(Pixel(shot, (name.Left + name.Right) / 2, name.Top), fixed);
}

// Regression: a left-justified title was drawn centred. Each title is written with its
// own alignment: left at the cell's left, right at its right, centred in the middle.
TEST(KwDbGridPaint, FaultTitlesAreWrittenWithTheirOwnAlignment) {
  DbGridForm f(5, 440);
  PlainColumns(f.grid, taLeftJustify, taCenter, taRightJustify);
  f.Bind();
  f.Show();
  TBitmap shot;
  Shot(f.grid, shot);
  const uint32_t fixed = Rgb(f.grid->FixedColor());
  auto span = [&](int dataCol) {
    TRect r = f.grid->CellRect(f.grid->DataToRawColumn(dataCol), 0);
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};  // inside the frame
    const auto [first, last] = InkSpan(shot, r, fixed);
    return std::make_pair(first - r.Left, r.Right - 1 - last);  // the gaps left and right
  };
  const auto [idLeft, idRight] = span(0);
  EXPECT_LE(idLeft, 3);
  EXPECT_GT(idRight, 30);
  const auto [nameLeft, nameRight] = span(1);
  EXPECT_LE(std::abs(nameLeft - nameRight), 2) << nameLeft << " " << nameRight;
  const auto [qtyLeft, qtyRight] = span(2);
  EXPECT_GT(qtyLeft, 30);
  EXPECT_LE(qtyRight, 3);
}

// Regression: the focused cell had no focus rectangle. It has one while the grid is its
// form's active control and marks cells; not under row selection, and not while another
// control is active, although the selection stays shown (dgAlwaysShowSelection).
TEST(KwDbGridPaint, FaultFocusedCellHasAFocusRectangle) {
  DbGridForm f(5, 440);
  PlainColumns(f.grid);
  auto* edit = new TEdit(f.form.get());
  edit->SetParent(f.form.get());
  edit->SetBounds(8, 19 * 11 + 20, 100, 22);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgAlwaysShowSelection));
  f.Bind();
  f.Show();
  PostKey(VK_DOWN);
  PostKey(VK_RIGHT);
  Pump();
  ASSERT_EQ(f.Focused(), 1);
  const uint32_t highlight = Rgb(clHighlight);
  const int col = f.grid->Col(), row = f.grid->Row();
  {
    TBitmap shot;
    Shot(f.grid, shot);
    const TRect r = f.grid->CellRect(col, row);
    // The dotted frame inverts every other pixel of the cell's edge.
    EXPECT_GT(MarkedOnTop(shot, r, highlight), (r.Right - r.Left) / 3);
    const TRect beside = f.grid->CellRect(col + 1, row), below = f.grid->CellRect(col, row + 1);
    EXPECT_EQ(MarkedOnTop(shot, beside, Pixel(shot, beside.Right - 3, beside.Top + 1)), 0);
    EXPECT_EQ(MarkedOnTop(shot, below, Pixel(shot, below.Right - 3, below.Top + 1)), 0);
  }
  uitest::Focus(edit);
  Pump();
  {
    TBitmap shot;
    Shot(f.grid, shot);
    const TRect r = f.grid->CellRect(col, row);
    EXPECT_EQ(Pixel(shot, r.Right - 3, r.Bottom - 3), highlight);  // still shown
    EXPECT_EQ(MarkedOnTop(shot, r, highlight), 0);
  }
  uitest::Focus(f.grid);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgRowSelect));
  Pump();
  TBitmap shot;
  Shot(f.grid, shot);
  const TRect r = f.grid->CellRect(col, row);
  EXPECT_EQ(Pixel(shot, r.Right - 3, r.Bottom - 3), highlight);
  EXPECT_EQ(MarkedOnTop(shot, r, highlight), 0);
}

// Regression: rows were striped with the default colours although none were assigned.
// Two colours need dgTwoColor and assigned row colours (row selection assigns them).
TEST(KwDbGridPaint, FaultTwoColourRowsNeedAssignedRowColours) {
  DbGridForm f(5, 440);
  PlainColumns(f.grid);
  f.Bind();
  f.Show();
  ASSERT_TRUE(HasGridOption(f.grid->Options(), dgTwoColor));
  ASSERT_FALSE(f.grid->RowColorsAssigned());
  const int name = f.grid->DataToRawColumn(1);
  auto back = [&](TBitmap& shot, int row) {
    const TRect r = f.grid->CellRect(name, row);
    return Pixel(shot, r.Right - 3, r.Bottom - 3);
  };
  {
    TBitmap shot;
    Shot(f.grid, shot);
    EXPECT_EQ(back(shot, 1), Rgb(f.grid->Color()));
    EXPECT_EQ(back(shot, 2), Rgb(f.grid->Color()));
  }
  f.grid->SetRowColors(static_cast<TColor>(0xE0FFE0), static_cast<TColor>(0xF7F7F7));
  {
    TBitmap shot;
    Shot(f.grid, shot);
    EXPECT_EQ(back(shot, 1), 0xF7F7F7u);  // row index 0: the even colour
    EXPECT_EQ(back(shot, 2), 0xE0FFE0u);
  }
  f.grid->SetOptions(f.grid->Options() & ~GridOption(dgTwoColor));
  Pump();
  TBitmap shot;
  Shot(f.grid, shot);
  EXPECT_EQ(back(shot, 1), Rgb(f.grid->Color()));
}

// Regression: footer texts took the font the cell painted before them had left and never
// reached OnDrawColumnCell. They are written in the title font; the handler sees each
// footer cell (row index -1, the footer's state and text) and may paint it itself.
TEST(KwDbGridPaint, FaultFooterCellsUseTheTitleFontAndTheDrawHandler) {
  DbGridForm f(5, 440);
  f.grid->TitleFont()->SetHeight(-15);
  f.grid->TitleFont()->SetColor(clRed);
  PlainColumns(f.grid);
  f.grid->Columns()->Items(2)->SetTotalColumn(true);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgFooter));
  f.Bind();
  f.Show();
  ASSERT_TRUE(f.grid->Footer());
  struct Seen {
    int col, row, height;
    TColor color;
    AnsiString text;
  };
  std::vector<Seen> seen;
  bool handle = false;
  f.grid->OnDrawColumnCell = [&](TObject*, TkwDrawColumnCellArgs& a) {
    if (!a.State.Contains(gdFooter)) return;
    seen.push_back({a.Col, a.RowIndex, a.Canvas->Font()->Height(), a.Canvas->Font()->Color(), a.DisplayText});
    a.Handled = handle;
  };
  const TRect qty = f.grid->FooterCellRect(f.grid->DataToRawColumn(2));
  const TRect inner{qty.Left + 1, qty.Top + 1, qty.Right - 1, qty.Bottom - 1};
  const uint32_t footer = Rgb(f.grid->FooterColor());
  {
    TBitmap shot;
    Shot(f.grid, shot);
    // Each paint (on screen, then into the picture) draws the four footer cells.
    ASSERT_GE(seen.size(), 4u);
    ASSERT_EQ(seen.size() % 4, 0u);
    for (size_t i = 0; i < seen.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(seen[i].col, static_cast<int>(i % 4));
      EXPECT_EQ(seen[i].row, -1);
      EXPECT_EQ(seen[i].height, -15);
      EXPECT_EQ(ColorToRGB(seen[i].color), ColorToRGB(clRed));
    }
    EXPECT_EQ(seen[2].text, f.grid->Columns()->Items(2)->FooterDisplayText());
    EXPECT_EQ(seen[2].text, "15.00");
    int red = 0;
    for (int x = inner.Left; x < inner.Right; ++x)
      for (int y = inner.Top; y < inner.Bottom; ++y) red += Pixel(shot, x, y) == Rgb(clRed);
    EXPECT_GT(red, 10);
  }
  seen.clear();
  handle = true;
  TBitmap shot;
  Shot(f.grid, shot);
  EXPECT_GE(seen.size(), 4u);
  EXPECT_EQ(InkSpan(shot, inner, footer).first, -1);  // only filled
}

// ============================================================================ parent titles

namespace {

// A parent title standing right before its children: 商品信息 over 编号, 名称 and 数量
// (widths 60, 110, 70), then 单价 on its own.
TkwColumn* ParentBeforeChildren(TkwCustomDBGrid* g) {
  TkwColumn* parent = g->Columns()->Add();
  parent->Title()->SetCaption("商品信息");
  parent->Title()->SetAlignment(taCenter);
  for (auto [field, caption, width] : {std::tuple{"ID", "编号", 60}, {"NAME", "名称", 110}, {"QTY", "数量", 70},
                                       {"PRICE", "单价", 70}}) {
    TkwColumn* c = g->Columns()->Add();
    c->SetFieldName(field);
    c->Title()->SetCaption(caption);
    c->SetWidth(width);
    if (std::string(field) != "PRICE") c->SetParent(parent);
  }
  parent->SetExpanded(true);
  return parent;
}

// The x span of the ink in title row 0 between two x (inside a cell's frame), as
// "first..last"; "none" without ink.
std::string TitleInk(TkwCustomDBGrid* g, TBitmap& shot, int left, int right) {
  const TRect r0 = g->CellRect(g->LeftCol(), 0);
  const auto [first, last] = InkSpan(shot, TRect{left + 2, r0.Top + 2, right - 2, r0.Bottom - 2}, Rgb(g->FixedColor()));
  return first < 0 ? "none" : std::to_string(first) + ".." + std::to_string(last);
}

}  // namespace

// Regression: a parent title standing right before its children was drawn by each child
// from its own left edge to the last child's right edge (the parent's own column has no
// width), so two or three captions overlapped; with the last child out of view each
// child drew its own caption, clipped to itself. The caption is drawn once per paint,
// centred over the part of its children in view: all of them, the last one out of view
// on the right, the first ones scrolled out on the left.
TEST(KwDbGridPaint, FaultParentTitleIsDrawnOnceOverItsShownChildren) {
  for (int width : {440, 200}) {
    SCOPED_TRACE(width);
    DbGridForm f(5, width, 19 * 11 + 4);
    f.grid->SetScrollBars(ssBoth);
    TkwColumn* parent = ParentBeforeChildren(f.grid);
    int drawn = 0;
    f.grid->OnGetDisplayTitleText = [&](TObject*, TkwColumn* c, AnsiString&) { drawn += c == parent; };
    f.Bind();
    f.Show();
    ASSERT_EQ(f.grid->TitleOffset(), 2);
    const int id = f.grid->DataToRawColumn(1), qty = f.grid->DataToRawColumn(3);
    TBitmap measure;
    measure.SetSize(10, 10);
    measure.Canvas()->Font()->SetName(f.grid->TitleFont()->Name());
    measure.Canvas()->Font()->SetHeight(f.grid->TitleFont()->Height());
    const int textWidth = measure.Canvas()->TextWidth("商品信息");
    // The caption once, its ink as wide as the caption and centred over the shown part
    // of the children (from 编号's left to 数量's right or the client's edge).
    auto check = [&](int fromCol) {
      drawn = 0;
      f.grid->Invalidate();
      ::UpdateWindow(f.grid->Handle());
      EXPECT_EQ(drawn, 1);
      TBitmap shot;
      RenderControl(f.grid, shot, false);
      const int left = f.grid->CellRect(fromCol, 0).Left;
      const TRect last = f.grid->CellRect(qty, 0);
      const int right = last.Right > last.Left ? last.Right : f.grid->ClientWidth();
      const auto [first, end] = InkSpan(shot, TRect{left + 2, 2, right - 2, f.grid->CellRect(fromCol, 0).Bottom - 2},
                                        Rgb(f.grid->FixedColor()));
      ASSERT_GE(first, 0) << TitleInk(f.grid, shot, left, right);
      EXPECT_LE(end - first + 1, textWidth) << TitleInk(f.grid, shot, left, right);
      EXPECT_LE(std::abs((first + end + 1) / 2 - (left + right) / 2), 2) << TitleInk(f.grid, shot, left, right)
                                                                           << " over " << left << ".." << right;
    };
    check(id);
    if (width == 440) continue;
    ASSERT_LE(f.grid->CellRect(qty, 0).Right, f.grid->CellRect(qty, 0).Left);  // 数量 out of view
    f.grid->SetLeftCol(f.grid->DataToRawColumn(2));  // 编号 scrolled out on the left
    Pump();
    check(f.grid->DataToRawColumn(2));
  }
}

// The picture of the docs: a parent title before its children, a bold column, row
// numbers, a row highlighted by the grid's formula (the goods counted 0) and the footer
// with its total and a text in the indicator's footer cell.
TEST(KwDbGridPaint, TitlesPicture) {
  DbGridForm f(40, 440, 19 * 12 + 4);
  f.form->SetCaption("数据表格");
  ParentBeforeChildren(f.grid);
  TkwColumn* name = f.grid->Columns()->Items(2);
  name->Font()->SetStyle(1u << static_cast<int>(TkwFontStyle::fsBold));
  TkwColumn* qty = f.grid->Columns()->Items(3);
  qty->SetTotalColumn(true);
  qty->SetAlignment(taRightJustify);
  f.grid->OnGetDisplayLineText = [](TObject*, AnsiString& text) {
    if (text.empty()) text = "合计";
  };
  f.grid->SetOptions(f.grid->Options() | GridOption(dgFooter));
  f.grid->SetRowColors(static_cast<TColor>(0xFFFFFF), static_cast<TColor>(0xF7F7F7));
  f.grid->SetHighlightColor(static_cast<TColor>(0x80E0FF));
  f.grid->SetHighlightFormula("QTY = 0");
  f.Bind();
  f.Show();
  PostKey(VK_DOWN);
  Pump();
  ASSERT_EQ(qty->FooterDisplayText(), "120.00");
  ASSERT_TRUE(f.grid->RowHighlighted(6));
  SaveScreenshot(f.form.get(), std::string("Z:") + POS_BINARY_DIR + "/kw-dbgrid-titles.png");
}

// ============================================================================ fonts and drawing

namespace {

// A grid that records the texts of its row numbers (-1: the footer's) and may draw its
// data and footer cells itself.
struct DrawingGrid : TkwCustomDBGrid {
  using TkwCustomDBGrid::TkwCustomDBGrid;
  void DoGetLineText(int RowIndex, AnsiString& Text) override { Lines.push_back(RowIndex); }
  void DrawColumnCell(TkwDrawColumnCellArgs& Args) override {
    ++Calls;
    if (Args.State.Contains(gdFooter)) ++FooterCalls;
    Args.Handled = HandleCells;
    TkwCustomDBGrid::DrawColumnCell(Args);
  }
  std::vector<int> Lines;
  int Calls = 0, FooterCalls = 0;
  bool HandleCells = false;
};

struct DrawingForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  std::unique_ptr<TClientDataSet> data{new TClientDataSet(nullptr)};
  std::unique_ptr<TDataSource> source{new TDataSource(nullptr)};
  DrawingGrid* grid;
  DrawingForm() {
    data->SetData(GoodsRows(5));
    source->SetDataSet(data.get());
    form->SetBounds(60, 60, 480, 19 * 11 + 64);
    grid = new DrawingGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, 440, 19 * 11 + 4);
    PlainColumns(grid);
  }
  ~DrawingForm() {
    form.reset();
    source.reset();
    data.reset();
  }
  void Show() {
    grid->SetDataSource(source.get());
    form->Show();
    Settle();
    Focus(grid);
    Pump();
  }
  void Paint(TBitmap& shot) { Shot(grid, shot); }
  // Whether a cell (data column, grid row) has ink besides its background.
  bool Inked(TBitmap& shot, int dataCol, int row) {
    const TRect r = grid->CellRect(grid->DataToRawColumn(dataCol), row);
    return InkSpan(shot, TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, Pixel(shot, r.Right - 2, r.Bottom - 2))
               .first >= 0;
  }
};

std::string FontOf(TCanvas* cv) {
  TFont* f = cv->Font();
  std::string s = std::string(f->Name()) + " " + std::to_string(f->Height());
  if (f->Style().Contains(fsBold)) s += " bold";
  if (f->Style().Contains(fsItalic)) s += " italic";
  return s + " cs" + std::to_string(f->Charset());
}

}  // namespace

// Regression: row numbers were written in the font the titles had left on the canvas;
// cells took only the name, height and colour of their fonts (no bold or italic, no
// character set); a column title's own font was not used, and a later TitleFont change
// never reached the titles made before it. Recorded as each cell is drawn: the row
// numbers in the grid's Font, titles and footers in their title's font (the grid's
// TitleFont unless the title has its own), data cells in their column's font.
TEST(KwDbGridPaint, FaultCellsAreDrawnInTheirWholeFonts) {
  DbGridForm f(2, 440);
  TkwGridFont* titleFont = f.grid->TitleFont();
  titleFont->SetHeight(-14);
  titleFont->SetStyle(1u << static_cast<int>(TkwFontStyle::fsBold));
  PlainColumns(f.grid);
  TkwColumn* name = f.grid->Columns()->Items(1);
  name->Font()->SetStyle((1u << static_cast<int>(TkwFontStyle::fsBold)) | (1u << static_cast<int>(TkwFontStyle::fsItalic)));
  name->Font()->SetCharset(ANSI_CHARSET);
  TkwColumn* qty = f.grid->Columns()->Items(2);
  qty->Title()->Font()->SetHeight(-16);
  qty->Title()->Font()->SetStyle(1u << static_cast<int>(TkwFontStyle::fsItalic));
  qty->SetTotalColumn(true);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgFooter));
  std::map<std::string, std::string> seen;
  f.grid->OnGetDisplayTitleText = [&](TObject*, TkwColumn* c, AnsiString& t) {
    seen["title " + std::string(t)] = FontOf(f.grid->Canvas());
  };
  f.grid->OnGetDisplayLineText = [&](TObject*, AnsiString& t) { seen["row " + std::string(t)] = FontOf(f.grid->Canvas()); };
  f.grid->OnDrawColumnCell = [&](TObject*, TkwDrawColumnCellArgs& a) {
    const std::string where = a.State.Contains(gdFooter) ? "footer " : "cell " + std::to_string(a.RowIndex) + " ";
    seen[where + std::string(a.Column->Title()->Caption())] = FontOf(a.Canvas);
  };
  f.Bind();
  f.Show();
  auto render = [&] {
    seen.clear();
    f.grid->Invalidate();
    ::UpdateWindow(f.grid->Handle());
    std::string s;
    for (const auto& [what, font] : seen)
      if (what.find("编号") != std::string::npos || what.find("名称") != std::string::npos ||
          what.find("数量") != std::string::npos || what.rfind("row", 0) == 0)
        s += what + ": " + font + "\n";
    return s;
  };
  EXPECT_EQ(render(),
            "cell 0 编号: 宋体 -12 cs134\n"
            "cell 0 名称: 宋体 -12 bold italic cs0\n"
            "cell 0 数量: 宋体 -12 cs134\n"
            "cell 1 编号: 宋体 -12 cs134\n"
            "cell 1 名称: 宋体 -12 bold italic cs0\n"
            "cell 1 数量: 宋体 -12 cs134\n"
            "footer 编号: 宋体 -14 bold cs134\n"
            "footer 名称: 宋体 -14 bold cs134\n"
            "footer 数量: 宋体 -16 italic cs134\n"
            "row : 宋体 -12 cs134\n"
            "row 1: 宋体 -12 cs134\n"
            "row 2: 宋体 -12 cs134\n"
            "title 编号: 宋体 -14 bold cs134\n"
            "title 名称: 宋体 -14 bold cs134\n"
            "title 数量: 宋体 -16 italic cs134\n");
  titleFont->SetHeight(-15);
  titleFont->SetStyle(0);
  Pump();
  EXPECT_EQ(render(),
            "cell 0 编号: 宋体 -12 cs134\n"
            "cell 0 名称: 宋体 -12 bold italic cs0\n"
            "cell 0 数量: 宋体 -12 cs134\n"
            "cell 1 编号: 宋体 -12 cs134\n"
            "cell 1 名称: 宋体 -12 bold italic cs0\n"
            "cell 1 数量: 宋体 -12 cs134\n"
            "footer 编号: 宋体 -15 cs134\n"
            "footer 名称: 宋体 -15 cs134\n"
            "footer 数量: 宋体 -16 italic cs134\n"
            "row : 宋体 -12 cs134\n"
            "row 1: 宋体 -12 cs134\n"
            "row 2: 宋体 -12 cs134\n"
            "title 编号: 宋体 -15 cs134\n"
            "title 名称: 宋体 -15 cs134\n"
            "title 数量: 宋体 -16 italic cs134\n");
  // A bold column is drawn bold: its text's ink is wider than the same text's in the
  // plain font of the column beside it.
  TBitmap shot;
  Shot(f.grid, shot);
  auto inkWidth = [&](int dataCol) {
    const TRect r = f.grid->CellRect(f.grid->DataToRawColumn(dataCol), 1);
    const auto [first, last] = InkSpan(shot, TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1},
                                       Pixel(shot, r.Right - 2, r.Bottom - 2));
    return last - first;
  };
  name->Font()->SetStyle(0);
  name->Font()->SetCharset(134);
  TBitmap plain;
  Shot(f.grid, plain);
  const TRect r = f.grid->CellRect(f.grid->DataToRawColumn(1), 1);
  const auto [pf, pl] = InkSpan(plain, TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1},
                                Pixel(plain, r.Right - 2, r.Bottom - 2));
  EXPECT_GT(inkWidth(1), pl - pf);
}

// Regression: a handler that left Handled unset got the grid's own drawing only under
// DefaultDrawing, and a descendant's DrawColumnCell ran only when a handler was set.
// DefaultDrawing gates the focus rectangle alone; DrawColumnCell runs for every data
// and footer cell, and Handled (set by it or the handler) alone leaves the cell filled.
TEST(KwDbGridPaint, FaultDefaultDrawingGatesOnlyTheFocusRectangle) {
  DrawingForm f;
  f.grid->SetOptions(f.grid->Options() | GridOption(dgFooter));
  f.grid->Columns()->Items(2)->SetTotalColumn(true);
  f.Show();
  PostKey(VK_RIGHT);
  const int col = f.grid->Col(), row = f.grid->Row();
  const uint32_t highlight = Rgb(clHighlight);
  {
    TBitmap shot;
    f.grid->Calls = f.grid->FooterCalls = 0;
    f.Paint(shot);
    EXPECT_EQ(f.grid->FooterCalls, 2 * 4);  // on screen and into the picture
    EXPECT_EQ(f.grid->Calls, 2 * (4 * 5 + 4));
    EXPECT_TRUE(f.Inked(shot, 1, 2));
    EXPECT_GT(MarkedOnTop(shot, f.grid->CellRect(col, row), highlight), 0);  // the focus rectangle
  }
  f.grid->SetDefaultDrawing(false);
  int handled = 0;
  f.grid->OnDrawColumnCell = [&](TObject*, TkwDrawColumnCellArgs&) { ++handled; };
  {
    TBitmap shot;
    f.Paint(shot);
    EXPECT_GT(handled, 0);
    EXPECT_TRUE(f.Inked(shot, 1, 2));  // still drawn by the grid
    EXPECT_TRUE(f.Inked(shot, 0, 1));
    const TRect qty = f.grid->FooterCellRect(f.grid->DataToRawColumn(2));
    EXPECT_GE(InkSpan(shot, TRect{qty.Left + 1, qty.Top + 1, qty.Right - 1, qty.Bottom - 1}, Rgb(f.grid->FooterColor()))
                  .first,
              0);
    const TRect cur = f.grid->CellRect(col, row);
    EXPECT_EQ(MarkedOnTop(shot, cur, Pixel(shot, cur.Right - 3, cur.Top + 1)), 0);  // no focus rectangle
  }
  f.grid->HandleCells = true;
  {
    TBitmap shot;
    f.Paint(shot);
    EXPECT_FALSE(f.Inked(shot, 1, 2));
    EXPECT_FALSE(f.Inked(shot, 0, 1));
    const TRect qty = f.grid->FooterCellRect(f.grid->DataToRawColumn(2));
    EXPECT_EQ(InkSpan(shot, TRect{qty.Left + 1, qty.Top + 1, qty.Right - 1, qty.Bottom - 1}, Rgb(f.grid->FooterColor()))
                  .first,
              -1);
  }
}

// Regression: the footer's indicator cell was only filled. It shows the row-number text
// of -1 (empty), through DoGetLineText (-1) and OnGetDisplayLineText, which may write in
// it; rows below the data have no number and go to neither.
TEST(KwDbGridPaint, FaultFooterIndicatorCellShowsTheLineTextOfMinusOne) {
  DrawingForm f;
  f.grid->SetOptions(f.grid->Options() | GridOption(dgFooter));
  f.grid->SetMinRowCount(8);
  std::vector<std::string> texts;
  f.grid->OnGetDisplayLineText = [&](TObject*, AnsiString& text) {
    texts.push_back(std::string(text));
    if (text.empty()) text = "合计";
  };
  f.Show();
  f.grid->Lines.clear();
  texts.clear();
  f.grid->Invalidate();
  ::UpdateWindow(f.grid->Handle());
  EXPECT_EQ(f.grid->Lines, (std::vector<int>{0, 1, 2, 3, 4, -1}));
  EXPECT_EQ(texts, (std::vector<std::string>{"1", "2", "3", "4", "5", ""}));
  TBitmap shot;
  RenderControl(f.grid, shot, false);
  const TRect foot{0, f.grid->ClientHeight() - f.grid->GetFooterHeight(), f.grid->ColWidths(0),
                   f.grid->ClientHeight()};
  EXPECT_GE(InkSpan(shot, TRect{foot.Left + 2, foot.Top + 2, foot.Right - 2, foot.Bottom - 2}, Rgb(f.grid->FixedColor()))
                .first,
            0);
  const TRect blank = f.grid->CellRect(0, 7);
  EXPECT_EQ(InkSpan(shot, TRect{blank.Left + 2, blank.Top + 2, blank.Right - 2, blank.Bottom - 2},
                    Rgb(f.grid->FixedColor()))
                .first,
            -1);
}

// Regression: texts were written as one line centred in the cell's height (flags of the
// grid's own). They are written with the platform's flags: from two pixels below the
// cell's top, and broken into lines under dgWordWrap.
TEST(KwDbGridPaint, FaultTextsAreWrittenWithThePlatformsFlags) {
  DbGridForm f(3, 440);
  PlainColumns(f.grid);
  f.grid->SetDefaultRowHeight(44);
  f.Bind();
  f.Show();
  f.data->SetRecNo(1);
  f.data->Edit();
  f.data->FieldByName("NAME")->SetAsString("A&B 商品 很长的名字 再长一些");
  f.data->Post();
  Pump();
  auto inkRows = [&](TBitmap& shot) {  // the rows of ink in 名称 at data row 0, from its top
    const TRect r = f.grid->CellRect(f.grid->DataToRawColumn(1), 1);
    const uint32_t back = Pixel(shot, r.Right - 2, r.Bottom - 2);
    int first = -1, last = -1;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (Pixel(shot, x, y) != back) {
          if (first < 0) first = y - r.Top;
          last = y - r.Top;
          break;
        }
    return std::make_pair(first, last);
  };
  TBitmap one;
  Shot(f.grid, one);
  const auto [top, bottom] = inkRows(one);
  EXPECT_GE(top, 2);
  EXPECT_LE(top, 5);
  EXPECT_LT(bottom, 44 / 2);  // one line at the top, not centred
  f.grid->SetOptions(f.grid->Options() | GridOption(dgWordWrap));
  Pump();
  TBitmap wrapped;
  Shot(f.grid, wrapped);
  const auto [wtop, wbottom] = inkRows(wrapped);
  EXPECT_EQ(wtop, top);
  EXPECT_GT(wbottom, 44 / 2);  // a second line
}

// Regression, as painted: a minimum over a column whose values are all Null showed
// "MIN=0.00", and a total kind picked after the column's format showed the default one
// ("MAX=5.00"). The footer cells the grid paints: an empty minimum, the maximum in the
// column's format, and a minimum again once a value is there.
TEST(KwDbGridPaint, FaultFooterTotalsOfNullsAndOfALateKind) {
  DbGridForm f(5, 440);
  PlainColumns(f.grid);
  TkwColumn* qty = f.grid->Columns()->Items(2);
  qty->SetDisplayFormat("最多0.0");
  qty->SetTotalColumn(true);
  qty->SetTotalKind(skMax);
  TkwColumn* price = f.grid->Columns()->Items(3);
  price->SetTotalColumn(true);
  price->SetTotalKind(skMin);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgFooter));
  for (int i = 1; i <= 5; ++i) {
    f.data->SetRecNo(i);
    f.data->Edit();
    f.data->FieldByName("PRICE")->Clear();
    f.data->Post();
  }
  std::map<TkwColumn*, std::string> footer;
  f.grid->OnDrawColumnCell = [&](TObject*, TkwDrawColumnCellArgs& a) {
    if (a.State.Contains(gdFooter)) footer[a.Column] = std::string(a.DisplayText);
  };
  f.Bind();
  f.Show();
  auto painted = [&] {
    Pump();
    footer.clear();
    f.grid->Invalidate();
    ::UpdateWindow(f.grid->Handle());
    return footer[qty] + "|" + footer[price];
  };
  EXPECT_EQ(painted(), "最多5.0|");
  f.data->SetRecNo(3);
  f.data->Edit();
  f.data->FieldByName("PRICE")->SetAsFloat(2.5);
  f.data->Post();
  EXPECT_EQ(painted(), "最多5.0|MIN=2.50");
}
