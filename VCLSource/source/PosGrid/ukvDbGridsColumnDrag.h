// Where a column dragged by its title may land, window-free. A column of a multi-level
// title moves as a unit: the dragged column's ancestor at the title row it was taken at
// (DragColumn), with every grid column under that ancestor. A unit never leaves its
// parent and never lands inside another unit.
//
// The grid describes its columns to the rule as two numbers per grid column: the unit
// the column belongs to at the drag's title row, and that unit's parent (any numbers
// that compare equal for the same column object; kNoUnit for none, e.g. the indicator).
#pragma once
#include <vector>

namespace kw_dbgrid {

constexpr long long kNoUnit = -1;

struct TColumnDragUnits {
  std::vector<long long> Unit;    // per grid column: the unit it belongs to
  std::vector<long long> Parent;  // per grid column: the parent of that unit
};

// The destination the grid may show for a move of the unit `dragUnit` (whose parent is
// `dragParent`) from grid column `origin` towards `destination`:
//  - a destination equal to the origin stays;
//  - a destination whose unit has another parent is pulled back to the last column,
//    walking from the origin towards it, whose unit still has the dragged unit's parent;
//  - a target inside the dragged unit itself gives the origin;
//  - otherwise the destination snaps to the target unit's first column (moving left)
//    or last column (moving right), so no other unit is split;
//  - never left of fixedCols.
// Columns outside the description count as having no unit.
int AdjustColumnDragDestination(const TColumnDragUnits& units, long long dragUnit, long long dragParent, int origin,
                                int destination, int fixedCols);

}  // namespace kw_dbgrid
