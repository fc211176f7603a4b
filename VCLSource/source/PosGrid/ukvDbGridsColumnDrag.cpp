// The destination rule of a column dragged by its title (see the header).
#include "VCLSource/source/PosGrid/ukvDbGridsColumnDrag.h"

#include <algorithm>

namespace kw_dbgrid {

namespace {

long long At(const std::vector<long long>& v, int i) {
  return i >= 0 && static_cast<size_t>(i) < v.size() ? v[static_cast<size_t>(i)] : kNoUnit;
}

}  // namespace

int AdjustColumnDragDestination(const TColumnDragUnits& units, long long dragUnit, long long dragParent, int origin,
                                int destination, int fixedCols) {
  if (destination == origin) return destination;
  const int step = destination > origin ? 1 : -1;
  int target = destination;
  if (At(units.Parent, destination) != dragParent) {
    // Pulled back to the last column on the way that still shares the parent.
    target = origin;
    for (int c = origin + step; c != destination + step; c += step) {
      if (At(units.Parent, c) != dragParent) break;
      target = c;
    }
  }
  int result;
  const long long unit = At(units.Unit, target);
  if (unit == dragUnit) {
    result = origin;
  } else {
    // The edge of the target's unit in the direction of the move.
    result = target;
    while (At(units.Unit, result + step) == unit && unit != kNoUnit) result += step;
  }
  return std::max(result, fixedCols);
}

}  // namespace kw_dbgrid
