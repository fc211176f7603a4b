// The library grid's painting, checked on pixels of the rendered grid: title and
// fixed data colours, the separator, grid lines, the footer band, the focus
// rectangle; a cell painter that throws; pictures for the documentation.
#include <string>

#include "KwGridTestSupport.h"
#include "tests/support/Screenshot.h"

using namespace kwtest;
using namespace uitest;

namespace {

// FixedCols 3 with 2 fixed data columns, a footer, 64 x 18 cells.
struct PaintForm : GridForm {
  PaintForm() : GridForm(12, 40, 600, 200) {
    grid->SetFixedCols(3);
    grid->SetFixedDataCols(2);
    grid->SetFooter(true);
    grid->SetFooterColor(clInfoBk);
  }
};

}  // namespace

TEST(KwGridPaint, TitleFixedDataAndScrollingColumnsAndTheSeparator) {
  PaintForm f;
  f.Show();
  TBitmap shot;
  RenderControl(f.grid, shot, false);
  // Column 0 is a title column: button face in a data row.
  const TRect title = f.grid->CellRect(0, 2);
  EXPECT_EQ(shot.PixelRGB(title.Right - 3, title.Bottom - 3), Rgb(clBtnFace));
  // Columns 1 and 2 are fixed data: window colour below the title row, button face in it.
  const TRect data1 = f.grid->CellRect(1, 2);
  EXPECT_EQ(shot.PixelRGB(data1.Right - 3, data1.Bottom - 3), Rgb(clWindow));
  const TRect head1 = f.grid->CellRect(1, 0);
  EXPECT_EQ(shot.PixelRGB(head1.Right - 3, head1.Bottom - 3), Rgb(clBtnFace));
  // The separator: 3 black pixels wide at x 195 from the title rows' bottom down.
  TGridDrawInfo info;
  f.grid->CalcDrawInfo(info);
  EXPECT_EQ(info.Horz.FixedBoundary, 195);
  EXPECT_EQ(info.Horz.TitleBoundary, 65);
  for (int x = 194; x <= 196; ++x) EXPECT_EQ(shot.PixelRGB(x, 60), 0u) << x;
  // A grid line of the scrolling cells is silver.
  const TRect cell = f.grid->CellRect(5, 3);
  EXPECT_EQ(shot.PixelRGB(cell.Right, cell.Top + 5), 0xC0C0C0u);
  EXPECT_EQ(shot.PixelRGB(cell.Left + 5, cell.Bottom), 0xC0C0C0u);
}

TEST(KwGridPaint, FooterBandCellsGetTheirStatesAndColours) {
  PaintForm f;
  f.Show();
  f.grid->FooterCalls.clear();
  TBitmap shot;
  RenderControl(f.grid, shot, false);
  TGridDrawInfo info;
  f.grid->CalcDrawInfo(info);
  std::string expected = "0:12 1:8 2:8 ";
  for (int c = f.grid->LeftCol(); c <= std::min(info.Horz.LastFullVisibleCell + 1, 11); ++c)
    if (f.grid->CellRect(c, 1).Right > f.grid->CellRect(c, 1).Left) expected += std::to_string(c) + ":8 ";
  EXPECT_EQ(f.grid->FooterCalls, expected);
  const int h = f.grid->ClientHeight();
  // Footer: title cell in FixedColor, the others in FooterColor; the band's top line.
  EXPECT_EQ(shot.PixelRGB(f.grid->FooterCellRect(0).Right - 3, h - 3), Rgb(clBtnFace));
  EXPECT_EQ(shot.PixelRGB(f.grid->FooterCellRect(1).Right - 3, h - 3), Rgb(clInfoBk));
  EXPECT_EQ(shot.PixelRGB(f.grid->FooterCellRect(5).Right - 3, h - 3), Rgb(clInfoBk));
  EXPECT_EQ(shot.PixelRGB(30, h - 19), 0u);
  EXPECT_EQ(shot.PixelRGB(300, h - 19), 0xC0C0C0u);
  // Between the last full row and the band: window colour.
  const int gap = info.Vert.GridBoundary + 1;
  if (gap < h - 19) {
    EXPECT_EQ(shot.PixelRGB(300, gap), Rgb(clWindow));
  }
}

TEST(KwGridPaint, FocusedCellHasAFocusRectangle) {
  PaintForm f;
  f.Show();
  f.grid->SetCol(4);
  f.grid->SetRow(3);
  Pump();
  TBitmap shot;
  RenderControl(f.grid, shot, false);
  const TRect r = f.grid->CellRect(4, 3);
  // The dotted focus rectangle inverts every other pixel of the cell's edge.
  int dark = 0;
  for (int x = r.Left; x < r.Right; ++x)
    if (shot.PixelRGB(x, r.Top) != Rgb(clWindow)) ++dark;
  EXPECT_GT(dark, (r.Right - r.Left) / 3);
  const TRect other = f.grid->CellRect(5, 3);
  int plain = 0;
  for (int x = other.Left + 1; x < other.Right - 1; ++x)
    if (shot.PixelRGB(x, other.Top) == Rgb(clWindow)) ++plain;
  EXPECT_EQ(plain, other.Right - other.Left - 2);
}

TEST(KwGridPaint, ErasingBackgroundIsLeftToThePaint) {
  PaintForm f;
  f.Show();
  EXPECT_EQ(::SendMessageW(f.grid->Handle(), WM_ERASEBKGND, 0, 0), 1);
}

// Regression: a cell painter that threw could leave the paint unfinished: the update
// region invalid (the paint again and again), GDI objects taken, the grid still in its
// painting state (so it never asked for a repaint again). Each paint is reported once.
TEST(KwGridPaint, FaultThrowingCellPainterLeftThePaintUnfinished) {
  PaintForm f;
  f.Show();
  int reported = 0;
  Application->OnException = [&](TObject*, const Exception&) { ++reported; };
  f.grid->ThrowOnPaints = 1000;  // every paint of a cell throws
  ::UpdateWindow(f.grid->Handle());
  const DWORD gdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 10; ++i) {
    ::InvalidateRect(f.grid->Handle(), nullptr, FALSE);
    // The grid's paint messages, at most 5 (a region left invalid brings one each time).
    MSG m;
    for (int j = 0; j < 5 && ::PeekMessageW(&m, f.grid->Handle(), WM_PAINT, WM_PAINT, PM_REMOVE); ++j)
      ::DispatchMessageW(&m);
    EXPECT_FALSE(::GetUpdateRect(f.grid->Handle(), nullptr, FALSE));
  }
  const DWORD gdiAfter = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  Application->OnException = nullptr;
  EXPECT_EQ(reported, 10);  // once for each paint
  EXPECT_EQ(gdiAfter, gdiBefore);
  f.grid->ThrowOnPaints = 0;
  // The next paint works and the grid is not stuck in its painting state.
  f.grid->PaintedCells = 0;
  f.grid->Invalidate();
  ::UpdateWindow(f.grid->Handle());
  EXPECT_GT(f.grid->PaintedCells, 0);
}

TEST(KwGridPaint, ScreenshotWithFooter) {
  GridForm f(12, 200, 560, 220);
  f.form->SetCaption("带合计行的表格");
  f.grid->SetFixedCols(3);
  f.grid->SetFixedDataCols(2);
  f.grid->SetFooter(true);
  f.grid->SetFooterColor(clInfoBk);
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goEditing});
  f.Show();
  f.grid->SetCol(4);
  f.grid->SetRow(3);
  Pump();
  const std::string path = std::string("Z:") + POS_BINARY_DIR + "/kw-grid-footer.png";
  SaveScreenshot(f.form.get(), path);
  TBitmap shot;
  RenderControl(f.grid, shot, false);
  EXPECT_EQ(shot.PixelRGB(f.grid->FooterCellRect(1).Right - 3, f.grid->ClientHeight() - 3), Rgb(clInfoBk));
}
