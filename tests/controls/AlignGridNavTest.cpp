// Next-cell steps of the eight orders with their end rules, and the bounded searches for
// the next editable cell.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "controls/AlignGridNav.h"

namespace {

// A grid of 4 x 4 with one fixed column and row; editable cells listed (all when empty).
class TFakeGrid : public TNavGrid {
 public:
  int Cols = 4, Rows = 4;
  std::set<std::pair<int, int>> Editable;
  bool AllEditable = true;
  std::string Log;
  int ColCount() const override { return Cols; }
  int RowCount() const override { return Rows; }
  int FixedCols() const override { return 1; }
  int FixedRows() const override { return 1; }
  bool CellEditable(int c, int r) const override { return AllEditable || Editable.count({c, r}) > 0; }
  void InsertCol(int at) override { ++Cols, Log += "col@" + std::to_string(at) + " "; }
  void InsertRow(int at) override { ++Rows, Log += "row@" + std::to_string(at) + " "; }
};

std::string At(int c, int r) { return "(" + std::to_string(c) + "," + std::to_string(r) + ")"; }

std::string Step(T_nextcell o, t_lastcell l, int c, int r, TFakeGrid* g = nullptr) {
  TFakeGrid local;
  TFakeGrid& grid = g ? *g : local;
  NextCell(grid, o, l, c, r);
  return At(c, r) + (grid.Log.empty() ? "" : " " + grid.Log);
}

}  // namespace

TEST(NextCellSteps, WrapWithinTheGrid) {
  EXPECT_EQ(Step(nc_rightdown, lc_stop, 3, 1), "(1,2)");
  EXPECT_EQ(Step(nc_downright, lc_stop, 1, 3), "(2,1)");
  EXPECT_EQ(Step(nc_leftdown, lc_stop, 1, 1), "(3,2)");
  EXPECT_EQ(Step(nc_downleft, lc_stop, 2, 3), "(1,1)");
  EXPECT_EQ(Step(nc_leftup, lc_stop, 1, 2), "(3,1)");
  EXPECT_EQ(Step(nc_upleft, lc_stop, 2, 1), "(1,3)");
  EXPECT_EQ(Step(nc_rightup, lc_stop, 3, 2), "(1,1)");
  EXPECT_EQ(Step(nc_upright, lc_stop, 1, 1), "(2,3)");
}

TEST(NextCellSteps, EndRulesOfEveryOrder) {
  struct Row {
    T_nextcell order;
    int c, r;           // where the order runs off the grid
    const char* first;  // lc_first
    const char* fresh;  // lc_newcolrow
  };
  const Row rows[] = {
      {nc_rightdown, 3, 3, "(1,1)", "(1,4) row@4 "}, {nc_downright, 3, 3, "(1,1)", "(4,1) col@4 "},
      {nc_leftdown, 1, 3, "(3,1)", "(3,4) row@4 "},  {nc_downleft, 1, 3, "(3,1)", "(1,1) col@1 "},
      {nc_leftup, 1, 1, "(3,3)", "(3,1) row@1 "},    {nc_upleft, 1, 1, "(3,3)", "(1,3) col@1 "},
      {nc_rightup, 3, 1, "(1,3)", "(1,1) row@1 "},   {nc_upright, 3, 1, "(1,3)", "(4,3) col@4 "},
  };
  for (const Row& x : rows) {
    EXPECT_EQ(Step(x.order, lc_stop, x.c, x.r), "(-1,-1)") << x.order;
    EXPECT_EQ(Step(x.order, lc_first, x.c, x.r), x.first) << x.order;
    EXPECT_EQ(Step(x.order, lc_newcolrow, x.c, x.r), x.fresh) << x.order;
  }
}

TEST(NextCellSteps, ShiftReversesEveryOrder) {
  const T_nextcell pairs[][2] = {{nc_rightdown, nc_leftup}, {nc_downright, nc_upleft},
                                 {nc_leftdown, nc_rightup}, {nc_downleft, nc_upright}};
  for (const auto& p : pairs) {
    EXPECT_EQ(ReversedOrder(p[0]), p[1]);
    EXPECT_EQ(ReversedOrder(p[1]), p[0]);
  }
}

TEST(NextEditableCell, SkipsReadOnlyCells) {
  TFakeGrid g;
  g.AllEditable = false;
  g.Editable = {{2, 3}};
  int c = 1, r = 1;
  NextEditableCell(g, nc_rightdown, lc_newcolrow, c, r);
  EXPECT_EQ(At(c, r), "(2,3)");
  EXPECT_EQ(g.Log, "");
}

TEST(NextEditableCell, AppendsARowAfterTheLastCell) {
  TFakeGrid g;
  int c = 3, r = 3;
  NextEditableCell(g, nc_rightdown, lc_newcolrow, c, r);
  EXPECT_EQ(At(c, r) + " " + g.Log, "(1,4) row@4 ");
}

TEST(NextEditableCell, StopModeEndsOffTheGrid) {
  TFakeGrid g;
  int c = 3, r = 3;
  NextEditableCell(g, nc_rightdown, lc_stop, c, r);
  EXPECT_EQ(At(c, r), "(-1,-1)");
}

// With nothing editable the literal search never ends (lc_first cycles, lc_newcolrow
// appends forever); every mode stops at its start after one pass.
TEST(NextEditableCell, RegressionNoEditableCellEndsAtTheStartInEveryMode) {
  for (T_nextcell o : {nc_rightdown, nc_downright, nc_leftdown, nc_downleft, nc_leftup, nc_upleft, nc_rightup,
                       nc_upright}) {
    for (t_lastcell l : {lc_first, lc_newcolrow}) {
      TFakeGrid g;
      g.AllEditable = false;
      int c = 2, r = 2;
      NextEditableCell(g, o, l, c, r);
      EXPECT_EQ(At(c, r), "(2,2)") << o << " " << l;
      EXPECT_LE(g.Cols * g.Rows, 20) << o << " " << l;  // at most one line appended
    }
  }
}

TEST(NextTabCell, RunningOffWithStopGoesBackToTheStart) {
  TFakeGrid g;
  int c = 3, r = 3;
  NextTabCell(g, nc_rightdown, lc_stop, c, r);
  EXPECT_EQ(At(c, r), "(3,3)");
  c = 3, r = 3;
  NextTabCell(g, nc_rightdown, lc_first, c, r);
  EXPECT_EQ(At(c, r), "(1,1)");
}

TEST(NextTabCell, RegressionNoEditableCellReturnsToTheStartingCell) {
  TFakeGrid g;
  g.AllEditable = false;
  int c = 2, r = 1;
  NextTabCell(g, nc_rightdown, lc_first, c, r);
  EXPECT_EQ(At(c, r), "(2,1)");
  NextTabCell(g, nc_rightdown, lc_newcolrow, c, r);
  EXPECT_EQ(At(c, r) + " " + g.Log, "(2,1) row@4 ");
}
