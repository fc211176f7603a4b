// The grid's window-free geometry: which cell a pixel falls in, where cells lie, the
// sizing zones, the largest top-left cell, the grid lines, hidden (-1) columns, the
// scroll thumb's arithmetic and the sparse cell texts. Runs natively and under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/GridAxis.h"

using namespace grid_geometry;

namespace {

// One axis of a grid: widths per cell (the default 64 past the list), one line pixel.
struct Axis {
  std::vector<int> extents;
  TGridAxisDrawInfo info;
  Axis(std::vector<int> e, int fixed, int first, int client, int lineWidth = 1) : extents(std::move(e)) {
    CalcFixedAxis(info, lineWidth, fixed, fixed, first, static_cast<int>(extents.size()),
                  [this](int i) { return i >= 0 && i < static_cast<int>(extents.size()) ? extents[i] : 64; });
    CalcAxis(info, client);
  }
};

std::string Strokes(const std::vector<TGridStroke>& s) {
  std::string out;
  for (const auto& k : s)
    out += (out.empty() ? "" : " ") + std::to_string(k.From.X) + "," + std::to_string(k.From.Y) + "-" +
           std::to_string(k.To.X) + "," + std::to_string(k.To.Y);
  return out;
}

}  // namespace

TEST(GridMulDiv, RoundsToNearestAndAnswersMinusOneForAZeroDivisor) {
  EXPECT_EQ(LongMulDiv(1, 127, 2), 64);    // 63.5 rounds away from zero
  EXPECT_EQ(LongMulDiv(1, 127, 3), 42);    // 42.33
  EXPECT_EQ(LongMulDiv(-1, 127, 2), -64);
  EXPECT_EQ(LongMulDiv(5, 127, 0), -1);
  EXPECT_EQ(LongMulDiv(100000, 100000, 1), -1);  // does not fit 32 bits
}

TEST(GridExtents, AbsentUntilSetThenOneValuePerLine) {
  TGridExtents e;
  EXPECT_FALSE(e.Assigned());
  EXPECT_EQ(e.Get(3, 64), 64);
  e.Set(2, -1, 5, 64);
  EXPECT_TRUE(e.Assigned());
  EXPECT_EQ(e.Count(), 5);
  EXPECT_EQ(e.Get(2, 64), -1);
  EXPECT_EQ(e.Get(4, 64), 64);
  EXPECT_EQ(e.Get(9, 70), 70);  // past the end: the caller's default
  e.Resize(7, 30);
  EXPECT_EQ(e.Get(6, 64), 30);
  e.Move(2, 5);
  EXPECT_EQ(e.Get(5, 64), -1);
  EXPECT_EQ(e.Get(2, 64), 64);
  e.Clear();
  EXPECT_FALSE(e.Assigned());
}

TEST(GridAxis, LaysOutFixedAndScrollingCellsOverTheClientExtent) {
  Axis a({20, 64, 64, 64, 64, 64}, 1, 1, 200);
  EXPECT_EQ(a.info.FixedBoundary, 21);
  EXPECT_EQ(a.info.TitleBoundary, 21);
  // 21 + 65 + 65 = 151 fits; the next cell ends at 216 > 201: partly visible.
  EXPECT_EQ(a.info.LastFullVisibleCell, 2);
  EXPECT_EQ(a.info.FullVisBoundary, 151);
  EXPECT_EQ(a.info.GridBoundary, 200);
}

TEST(GridAxis, APixelFallsInTheCellItLiesInAndLinesBelongToTheCellBefore) {
  Axis a({20, 64, 64, 64}, 1, 1, 400);
  EXPECT_EQ(CellAtPos(a.info, 0), 0);
  EXPECT_EQ(CellAtPos(a.info, 20), 0);   // the fixed cell's line
  EXPECT_EQ(CellAtPos(a.info, 21), 1);
  EXPECT_EQ(CellAtPos(a.info, 85), 1);
  EXPECT_EQ(CellAtPos(a.info, 86), 2);
  EXPECT_EQ(CellAtPos(a.info, 216), -1);  // past the last cell
  EXPECT_EQ(CellAtPos(a.info, -3), -1);
}

TEST(GridAxis, ScrolledAxisStartsItsScrollingCellsAtTheFirstGridCell) {
  Axis a({20, 64, 64, 64, 64}, 1, 3, 400);
  EXPECT_EQ(CellAtPos(a.info, 21), 3);
  EXPECT_EQ(LinePos(a.info, 3), 21);
  EXPECT_EQ(LinePos(a.info, 4), 86);
  int lo = 0, hi = 0;
  EXPECT_FALSE(ScreenSpan(a.info, 1, 2, false, lo, hi));  // scrolled off
  EXPECT_TRUE(ScreenSpan(a.info, 2, 3, false, lo, hi));   // starts off screen: clipped to the first grid cell
  EXPECT_EQ(lo, 21);
  EXPECT_EQ(hi, 85);
}

TEST(GridAxis, HiddenCellsTakeNoPixelsAndNeverReceiveThePointer) {
  Axis a({20, 64, -1, 64, -1, -1, 64}, 1, 1, 400);
  EXPECT_EQ(CellAtPos(a.info, 85), 1);
  EXPECT_EQ(CellAtPos(a.info, 86), 3);  // column 2 is hidden
  EXPECT_EQ(CellAtPos(a.info, 151), 6);
  EXPECT_EQ(LinePos(a.info, 3), 86);
  EXPECT_EQ(LinePos(a.info, 6), 151);
  // A hidden cell's rectangle is empty.
  int lo = 0, hi = 0;
  ASSERT_TRUE(ScreenSpan(a.info, 2, 2, false, lo, hi));
  EXPECT_EQ(hi - lo, -1);
}

TEST(GridAxis, GridRectToScreenRectGivesTheCellRectangleOfBothAxes) {
  TGridDrawInfo info;
  std::vector<int> w{64, 64, 64, 64, 64}, h{24, 24, 24, 24, 24};
  CalcFixedAxis(info.Horz, 1, 1, 1, 1, 5, [&](int i) { return w[i]; });
  CalcFixedAxis(info.Vert, 1, 1, 1, 1, 5, [&](int i) { return h[i]; });
  CalcAxis(info.Horz, 300);
  CalcAxis(info.Vert, 100);
  EXPECT_EQ(GridRectToScreenRect(info, {1, 1, 1, 1}, false), (TRect{65, 25, 129, 49}));
  EXPECT_EQ(GridRectToScreenRect(info, {1, 1, 1, 1}, true), (TRect{65, 25, 130, 50}));
  EXPECT_EQ(GridRectToScreenRect(info, {0, 0, 0, 0}, false), (TRect{0, 0, 64, 24}));
  // Row 4 starts at the client's bottom edge: no height left.
  EXPECT_EQ(GridRectToScreenRect(info, {1, 4, 1, 4}, false).Height(), 0);
  EXPECT_EQ(GridRectToScreenRect(info, {1, 3, 1, 3}, false), (TRect{65, 75, 129, 99}));
  // A partly visible row is clipped at the client edge.
  CalcAxis(info.Vert, 90);
  EXPECT_EQ(GridRectToScreenRect(info, {1, 3, 1, 3}, false), (TRect{65, 75, 129, 90}));
}

TEST(GridAxis, TheLargestTopLeftShowsTheLastCellFullyAndSkipsHiddenCells) {
  Axis a({20, 64, 64, 64, 64, 64}, 1, 1, 200);
  // 200 - 21 = 179 pixels: two cells of 65 fit.
  EXPECT_EQ(CalcMaxCell(a.info, 5), 4);
  Axis hidden({20, 64, 64, 64, -1, 64}, 1, 1, 200);
  EXPECT_EQ(CalcMaxCell(hidden.info, 5), 3);
  Axis lastHidden({20, 64, 64, 64, 64, -1}, 1, 1, 200);
  EXPECT_EQ(CalcMaxCell(lastHidden.info, 5), 3);
}

TEST(GridAxis, SizingZoneIsSevenPixelsAroundACellsFarEdge) {
  Axis a({20, 64, 64, 64}, 1, 1, 400);
  // Column 1 ends at 85: the zone is 82..89.
  EXPECT_FALSE(SizingHit(a.info, 81).Hit);
  TGridSizingHit h = SizingHit(a.info, 83);
  EXPECT_TRUE(h.Hit);
  EXPECT_EQ(h.Index, 1);
  EXPECT_EQ(h.Pos, 85);
  EXPECT_EQ(h.Ofs, 2);
  EXPECT_EQ(SizingHit(a.info, 89).Index, 1);
  EXPECT_EQ(SizingHit(a.info, 150).Index, 2);
  EXPECT_EQ(ResizedExtent(a.info, 1, 120), 99);
  EXPECT_EQ(ResizedExtent(a.info, 2, 200), 114);
}

TEST(GridAxis, SizingAtTheEdgeOfAHiddenColumnSizesTheShownOneBeforeIt) {
  Axis a({20, 64, -1, 64}, 1, 1, 400);
  TGridSizingHit h = SizingHit(a.info, 85);
  EXPECT_TRUE(h.Hit);
  EXPECT_EQ(h.Index, 1);
}

TEST(GridAxis, LinesOfABoxSkipHiddenCellsAndStopAtTheBox) {
  Axis a({20, 64, -1, 64, 64, 64}, 1, 1, 240);
  // Vertical lines of the scrolling box: x at each shown cell's far edge.
  EXPECT_EQ(Strokes(AxisLines(a.info, 1, true, Rect(21, 0, 240, 50))),
            "85,0-85,50 150,0-150,50 215,0-215,50");
  Axis fixed({20, 64}, 1, 1, 240);
  EXPECT_EQ(Strokes(AxisLines(fixed.info, 0, true, Rect(0, 0, 21, 50))), "20,0-20,50");
  // Horizontal lines span the box's width.
  Axis rows({24, 24, 24}, 1, 1, 100);
  EXPECT_EQ(Strokes(AxisLines(rows.info, 1, false, Rect(21, 25, 200, 100))), "21,49-200,49 21,74-200,74");
  // No line width, no lines.
  Axis none({24, 24}, 1, 1, 100, 0);
  EXPECT_TRUE(AxisLines(none.info, 1, false, Rect(0, 0, 10, 10)).empty());
}

TEST(GridAxis, LeadingHiddenCellsDrawNoLineOfTheirOwnWhenAsked) {
  Axis a({20, -1, 64, 64}, 1, 1, 300);
  EXPECT_EQ(Strokes(AxisLines(a.info, 1, true, Rect(21, 0, 200, 10))), "20,0-20,10 85,0-85,10 150,0-150,10");
  EXPECT_EQ(Strokes(AxisLines(a.info, 1, true, Rect(21, 0, 200, 10), true)), "85,0-85,10 150,0-150,10");
}

TEST(GridAxis, ThumbFollowsTheFirstCellOverItsRange) {
  EXPECT_EQ(ThumbPos(1, 1, 11), 0);
  EXPECT_EQ(ThumbPos(6, 1, 11), 64);
  EXPECT_EQ(ThumbPos(11, 1, 11), 127);
  EXPECT_EQ(ThumbPos(1, 1, 1), -1);  // one position: MulDiv's zero divisor
  EXPECT_EQ(CellFromThumb(64, 1, 11), 6);
  EXPECT_EQ(CellFromThumb(127, 1, 11), 11);
}

// A drop-down list keeps to a work area that does not start at the screen's origin (a
// taskbar at the top, a monitor left of the main one).
TEST(GridDropDown, ListKeepsToAWorkAreaAwayFromTheOrigin) {
  auto s = [](TRect editor, int w, int h, TRect work) {
    const TRect r = DropDownPlace(editor, w, h, work);
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
  };
  const TRect top{0, 40, 1024, 768};
  EXPECT_EQ(s({10, 60, 90, 78}, 80, 300, top), "10,78,90,378");       // below
  EXPECT_EQ(s({10, 600, 90, 618}, 80, 300, top), "10,300,90,600");    // above
  EXPECT_EQ(s({10, 300, 90, 318}, 80, 500, top), "10,40,90,540");     // room on neither side: onto the area
  EXPECT_EQ(s({-5, 300, 75, 318}, 80, 100, top), "0,318,80,418");     // pulled in from the left
  const TRect left{-1280, 0, 0, 1024};
  EXPECT_EQ(s({-40, 100, 20, 118}, 80, 100, left), "-80,118,0,218");  // kept on its own monitor
  EXPECT_EQ(s({-600, 1000, -520, 1018}, 80, 100, left), "-600,900,-520,1000");
}

TEST(GridCells, OutOfRangeAndUnwrittenCellsReadEmpty) {
  TGridCells c;
  EXPECT_EQ(c.Get(3, 4), "");
  EXPECT_EQ(c.Get(-1, -5), "");
  c.Set(-1, 2, "x");  // ignored
  c.Set(2, -1, "x");
  EXPECT_EQ(c.Size(), 0u);
  c.Set(1000000, 2000000, "far");
  EXPECT_EQ(c.Get(1000000, 2000000), "far");
  EXPECT_EQ(c.Size(), 1u);  // sparse: one text, one entry
  c.Set(1000000, 2000000, "");
  EXPECT_EQ(c.Size(), 0u);
}

TEST(GridCells, MovesTakeALineOutAndPutItInElsewhere) {
  TGridCells c;
  for (int col = 0; col < 4; ++col) c.Set(col, 1, std::string(1, static_cast<char>('a' + col)));
  c.MoveCol(0, 2);  // a b c d -> b c a d
  EXPECT_EQ(c.Get(0, 1) + c.Get(1, 1) + c.Get(2, 1) + c.Get(3, 1), "bcad");
  c.MoveCol(3, 0);  // b c a d -> d b c a
  EXPECT_EQ(c.Get(0, 1) + c.Get(1, 1) + c.Get(2, 1) + c.Get(3, 1), "dbca");
  for (int row = 0; row < 3; ++row) c.Set(0, row, std::to_string(row));
  c.MoveRow(2, 0);
  EXPECT_EQ(c.Get(0, 0) + c.Get(0, 1) + c.Get(0, 2), "201");
  EXPECT_EQ(c.Get(1, 2), "b");  // the whole row moved
}

TEST(GridCells, TextsWrittenInAnyOrderReadBackAndGoOneByOne) {
  TGridCells c;
  c.Set(5, 3, "e");
  c.Set(1, 3, "a");
  c.Set(3, 3, "c");
  c.Set(3, 3, "C");  // rewritten, not added
  c.Set(2, 9, "row 9");
  c.Set(2, 0, "row 0");
  EXPECT_EQ(c.Get(1, 3) + c.Get(3, 3) + c.Get(5, 3) + c.Get(2, 9) + c.Get(2, 0), "aCerow 9row 0");
  EXPECT_EQ(c.Get(2, 3) + c.Get(4, 3) + c.Get(6, 3) + c.Get(0, 3), "");
  EXPECT_EQ(c.Size(), 5u);
  c.Set(3, 3, "");
  c.Set(4, 3, "");  // never written: nothing changes
  EXPECT_EQ(c.Get(1, 3) + c.Get(3, 3) + c.Get(5, 3), "ae");
  EXPECT_EQ(c.Size(), 4u);
  c.MoveCol(2, 6);  // an empty column taken out: the texts right of it move left
  EXPECT_EQ(c.Get(1, 3) + c.Get(4, 3) + c.Get(5, 3) + c.Get(6, 9), "aerow 9");
  c.Set(1, 3, "");
  c.Set(4, 3, "");
  EXPECT_EQ(c.Size(), 2u);  // the emptied row takes no room
  c.Set(0, 3, "back");
  EXPECT_EQ(c.Get(0, 3), "back");
}

TEST(GridCells, TruncateDropsTextsBeyondTheNewCounts) {
  TGridCells c;
  c.Set(1, 1, "keep");
  c.Set(5, 1, "col");
  c.Set(1, 7, "row");
  c.Truncate(5, 7);
  EXPECT_EQ(c.Get(1, 1), "keep");
  EXPECT_EQ(c.Get(5, 1), "");
  EXPECT_EQ(c.Get(1, 7), "");
  EXPECT_EQ(c.Size(), 1u);
}
