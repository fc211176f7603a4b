// Where a column dragged by its title lands: units of a multi-level title move whole,
// stay under their parent and never split another unit.
#include <gtest/gtest.h>

#include <random>

#include "VCLSource/source/PosGrid/ukvDbGridsColumnDrag.h"

using namespace kw_dbgrid;

namespace {

// Grid columns 0..5: the indicator; A; the group B (its own hidden column, then B1, B2);
// C. Top-level units have parent 0, B's children parent 'B'.
constexpr long long A = 'A', B = 'B', B1 = 'b', B2 = 'c', C = 'C';

TColumnDragUnits TopLevel() { return {{kNoUnit, A, B, B, B, C}, {kNoUnit, 0, 0, 0, 0, 0}}; }
TColumnDragUnits SecondLevel() { return {{kNoUnit, A, B, B1, B2, C}, {kNoUnit, 0, 0, B, B, 0}}; }

}  // namespace

TEST(DbGridColumnDrag, TopLevelUnitsSnapToTheEdgeOfTheUnitReached) {
  const TColumnDragUnits u = TopLevel();
  EXPECT_EQ(AdjustColumnDragDestination(u, A, 0, 1, 1, 1), 1);  // no move
  EXPECT_EQ(AdjustColumnDragDestination(u, A, 0, 1, 3, 1), 4);  // into B from the left: after B
  EXPECT_EQ(AdjustColumnDragDestination(u, A, 0, 1, 2, 1), 4);
  EXPECT_EQ(AdjustColumnDragDestination(u, A, 0, 1, 5, 1), 5);
  EXPECT_EQ(AdjustColumnDragDestination(u, C, 0, 5, 3, 1), 2);  // into B from the right: before B
  EXPECT_EQ(AdjustColumnDragDestination(u, C, 0, 5, 1, 1), 1);
  // The group's own columns are the dragged unit: no move.
  EXPECT_EQ(AdjustColumnDragDestination(u, B, 0, 2, 4, 1), 2);
  EXPECT_EQ(AdjustColumnDragDestination(u, B, 0, 2, 5, 1), 5);
}

TEST(DbGridColumnDrag, AChildStaysUnderItsParent) {
  const TColumnDragUnits u = SecondLevel();
  EXPECT_EQ(AdjustColumnDragDestination(u, B1, B, 3, 4, 1), 4);
  EXPECT_EQ(AdjustColumnDragDestination(u, B1, B, 3, 5, 1), 4);  // pulled back to B2
  EXPECT_EQ(AdjustColumnDragDestination(u, B2, B, 4, 1, 1), 3);  // pulled back to B1
  // Nothing under the same parent on the way: the column stays.
  EXPECT_EQ(AdjustColumnDragDestination(u, B1, B, 3, 1, 1), 3);
}

TEST(DbGridColumnDrag, NeverLeftOfTheFixedColumnsNorOutsideTheColumns) {
  const TColumnDragUnits u = TopLevel();
  EXPECT_EQ(AdjustColumnDragDestination(u, C, 0, 5, 0, 1), 1);  // the indicator has no unit
  EXPECT_EQ(AdjustColumnDragDestination(u, C, 0, 5, 1, 2), 2);
  EXPECT_EQ(AdjustColumnDragDestination(u, A, 0, 1, 9, 1), 5);  // past the last column
  EXPECT_EQ(AdjustColumnDragDestination({}, A, 0, 1, 3, 1), 1);
}

// Random trees of up to three levels: whatever the pointer does, the shown destination
// is the origin or a unit edge under the dragged unit's parent, never inside the
// dragged unit, never left of the fixed columns.
TEST(DbGridColumnDrag, RandomTreesKeepUnitsWhole) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 2000; ++round) {
    // Columns 0..n-1; column 0 is the indicator. Units are runs of equal numbers;
    // parents are equal over runs of units.
    const int n = 2 + static_cast<int>(rng() % 12);
    TColumnDragUnits u{{kNoUnit}, {kNoUnit}};
    long long unit = 100, parent = static_cast<long long>(rng() % 3);
    for (int c = 1; c < n; ++c) {
      if (rng() % 2) ++unit;
      if (rng() % 4 == 0) {
        ++unit;
        parent = static_cast<long long>(rng() % 3);
      }
      u.Unit.push_back(unit);
      u.Parent.push_back(parent);
    }
    const int origin = 1 + static_cast<int>(rng() % static_cast<unsigned>(n - 1));
    const int destination = static_cast<int>(rng() % static_cast<unsigned>(n + 1)) - 1;
    const int fixed = static_cast<int>(rng() % 2);
    const long long dragUnit = u.Unit[static_cast<size_t>(origin)], dragParent = u.Parent[static_cast<size_t>(origin)];
    const int d = AdjustColumnDragDestination(u, dragUnit, dragParent, origin, destination, fixed);
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_GE(d, fixed);
    if (d == origin || d == fixed) continue;
    ASSERT_LT(d, n);
    EXPECT_EQ(u.Parent[static_cast<size_t>(d)], dragParent);
    EXPECT_NE(u.Unit[static_cast<size_t>(d)], dragUnit);
    // The edge in the direction of the move: the next column is another unit.
    const int next = d + (destination > origin ? 1 : -1);
    if (next >= 0 && next < n) EXPECT_NE(u.Unit[static_cast<size_t>(next)], u.Unit[static_cast<size_t>(d)]);
  }
}
