// The data-aware grid's layout arithmetic: titles, columns, rows, the scroll range, the
// view's window of rows and the batching and order of the deferred update.
#include <gtest/gtest.h>

#include <string>

#include "VCLSource/source/PosGrid/ukvDbGridsLayoutRules.h"

using namespace kw_dbgrid;

namespace {
std::string Names(const std::vector<TDeferredAction>& a) {
  static const char* const names[] = {"lists", "layout", "rows", "scroll", "footers", "selection", "paint"};
  std::string s;
  for (TDeferredAction x : a) s += std::string(s.empty() ? "" : " ") + names[static_cast<int>(x)];
  return s;
}
}  // namespace

TEST(DbGridLayoutRules, TitlesAndColumns) {
  EXPECT_EQ(TitleOffset(true, 2), 3);
  EXPECT_EQ(TitleOffset(true, 0), 1);
  EXPECT_EQ(TitleOffset(true, -1), 1);
  EXPECT_EQ(TitleOffset(false, 2), 0);
  EXPECT_EQ(ColumnCounts(4, 1).ColCount, 5);
  EXPECT_EQ(ColumnCounts(4, 1).FixedCols, 1);
  EXPECT_EQ(ColumnCounts(4, 0).FixedCols, 0);
  // No columns: the indicator alone is not fixed, it is the only column.
  EXPECT_EQ(ColumnCounts(0, 1).ColCount, 1);
  EXPECT_EQ(ColumnCounts(0, 1).FixedCols, 0);
}

TEST(DbGridLayoutRules, RowCountFollowsTheRowsThatFit) {
  // 3 records, room for 10: the titles and 3 rows.
  EXPECT_EQ(LaidOutRowCount(ViewVisibleRowCount(10, 3, 0), 0, 10, 1), 4);
  EXPECT_EQ(LaidOutRowCount(ViewVisibleRowCount(10, 3, 0), 5, 10, 1), 6);
  EXPECT_EQ(LaidOutRowCount(ViewVisibleRowCount(10, 3, 0), 20, 10, 2), 12);
  EXPECT_EQ(LaidOutRowCount(ViewVisibleRowCount(10, 100000, 500), 0, 10, 1), 11);
  EXPECT_EQ(ViewVisibleRowCount(10, 0, 0), 1);
  EXPECT_EQ(ViewVisibleRowCount(10, 12, 6), 6);
}

// Regression: a grid too low for one data row gave its view a buffer of no rows, and
// every row of the view then lay outside the buffer.
TEST(DbGridLayoutRules, FaultTheViewBufferHoldsAtLeastOneRow) {
  EXPECT_EQ(BufferCountFor(0), 1);
  EXPECT_EQ(BufferCountFor(-3), 1);
  EXPECT_EQ(BufferCountFor(7), 7);
}

TEST(DbGridLayoutRules, VerticalScrollRange) {
  EXPECT_TRUE((VerticalScroll(100, 10, 10, 15) == TVertScroll{1, 109, 10, 15}));
  EXPECT_TRUE((VerticalScroll(10, 10, 10, 3) == TVertScroll{0, 0, 0, 0}));
  EXPECT_TRUE((VerticalScroll(11, 10, 10, 11) == TVertScroll{1, 20, 10, 11}));
}

TEST(DbGridLayoutRules, TopRecordFollowsTheFocusedRow) {
  struct Case {
    int top, focused, rows, buffer, newTop, active;
  } cases[] = {
      {0, 15, 100, 10, 6, 9},  // below the window: it ends at the focused row
      {6, 3, 100, 10, 3, 0},   // above: it starts there
      {6, 8, 12, 10, 2, 6},    // inside, but the window reaches past the last row
      {0, -1, 0, 10, 0, 0},    // no rows
      {4, -1, 30, 10, 4, 0},   // no focused row among rows: the window stays
      {0, 99999, 100000, 1, 99999, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.top) + "/" + std::to_string(c.focused));
    const int top = AdjustTopRecord(c.top, c.focused, c.rows, c.buffer);
    EXPECT_EQ(top, c.newTop);
    EXPECT_EQ(ActiveRecordFor(top, c.focused, c.buffer), c.active);
  }
}

// Regression: with no focused row the window kept its place past the last row after rows
// went away under it, so the grid showed no row and none could be clicked.
TEST(DbGridLayoutRules, FaultWindowWithoutAFocusedRowNeverLiesPastTheRows) {
  EXPECT_EQ(AdjustTopRecord(10, -1, 8, 10), 0);
  EXPECT_EQ(AdjustTopRecord(12, -1, 12, 5), 7);
  EXPECT_EQ(AdjustTopRecord(20, -1, 25, 10), 15);
  EXPECT_EQ(AdjustTopRecord(15, -1, 25, 10), 15);  // still ends at the last row: it stays
}

TEST(DbGridLayoutRules, DeferredMasksAreOredIntoOnePost) {
  TDeferredUpdates d;
  EXPECT_TRUE(d.Post(duRowCount, false));
  EXPECT_FALSE(d.Post(duInvalidate, false));
  EXPECT_TRUE(d.Posted());
  EXPECT_EQ(d.Take(), duRowCount | duInvalidate);
  EXPECT_FALSE(d.Posted());
  EXPECT_EQ(d.Pending(), 0);
  // A layout asked for under a layout lock is folded into the lock's end.
  EXPECT_TRUE(d.Post(duLayout | duInvalidate, true));
  EXPECT_EQ(d.Take(), duInvalidate);
  d.Post(duScrollBars, false);
  d.PostFailed();
  EXPECT_TRUE(d.Post(duInvalidate, false));
  EXPECT_EQ(d.Take(), duScrollBars | duInvalidate);
}

TEST(DbGridLayoutRules, DeferredWorkOrder) {
  EXPECT_EQ(Names(DeferredActions(0x7F)), "lists layout scroll footers selection paint");
  EXPECT_EQ(Names(DeferredActions(duRowCount | duScrollBars | duInvalidate)), "rows scroll paint");
  EXPECT_EQ(Names(DeferredActions(duScrollBars)), "scroll");
  EXPECT_EQ(Names(DeferredActions(duSelection | duFooters)), "footers selection");
  EXPECT_EQ(Names(DeferredActions(0)), "");
}

// Regression: a change of totals (a footer sum after an edit) or of a value being
// edited asked for no repaint, so the footer showed the old sum.
TEST(DbGridLayoutRules, FaultEveryVisibleChangeRepaints) {
  EXPECT_EQ(DeferredBitsOfNotice(2), duRowCount | duScrollBars | duInvalidate | duSelection);
  EXPECT_EQ(DeferredBitsOfNotice(1), duInvalidate | duSelection);
  EXPECT_EQ(DeferredBitsOfNotice(4), duScrollBars | duInvalidate);
  EXPECT_EQ(DeferredBitsOfNotice(32), duInvalidate);
  EXPECT_EQ(DeferredBitsOfNotice(2048), duInvalidate);
  EXPECT_EQ(DeferredBitsOfNotice(64), 0);
}

// The indicator keeps its 40 pixels until a centred number would reach the glyph at the
// right end; then the number keeps a glyph and a margin free on each side.
TEST(DbGridLayoutRules, IndicatorWidthLeavesTheGlyphItsPlace) {
  const int cases[][3] = {{0, 12, 40}, {12, 12, 40}, {13, 12, 41}, {30, 12, 58}, {30, 0, 40}, {-5, -1, 40}};
  for (const auto& c : cases) EXPECT_EQ(kw_dbgrid::IndicatorWidthFor(c[0], c[1]), c[2]) << c[0] << " " << c[1];
  // The number centred in the width (text area from 2 to width - 2) ends before the glyph.
  for (int number = 0; number <= 60; ++number) {
    const int w = kw_dbgrid::IndicatorWidthFor(number, 12);
    const int textRight = 2 + (w - 4 + number) / 2;
    EXPECT_LE(textRight, kw_dbgrid::IndicatorGlyphLeft(w, 12)) << number;
  }
}
