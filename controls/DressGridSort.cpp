// Comparing sort values and sorting the data rows of a dress grid.
#include "controls/DressGridSort.h"

#include "rtl/NumberFormat.h"

namespace {

double NumberOf(std::string_view s) {
  double v = 0;
  return TryStrToFloat(Trim(s), v) ? v : 0;
}

}  // namespace

TSortCompare CompareSortValues(std::string_view a, std::string_view b, bool numeric) {
  if (numeric) {
    const double x = NumberOf(a), y = NumberOf(b);
    return x < y ? scLess : x > y ? scGreater : scEqual;
  }
  const int c = CompareStr(a, b);
  return c < 0 ? scLess : c > 0 ? scGreater : scEqual;
}

void SortDressRows(const TSortRowsAccess& g, int direction, bool numeric) {
  const int last = g.HaveTotalRow ? g.RowCount - 2 : g.RowCount - 1;
  for (int i = 2; i <= last; ++i) {
    for (int j = i; j <= last; ++j) {
      if (Trim(g.KeyText(i)).empty()) break;
      if (Trim(g.KeyText(j)).empty()) continue;
      const TSortCompare r = CompareSortValues(g.SortText(i), g.SortText(j), numeric);
      if ((direction == -1 && r == scGreater) || (direction == 1 && r == scLess)) {
        // The row numbers in column 0 belong to the positions, not to the rows.
        const AnsiString numberI = g.RowNumber(i), numberJ = g.RowNumber(j);
        g.ExchangeRows(i, j);
        g.SetRowNumber(i, numberI);
        g.SetRowNumber(j, numberJ);
      }
    }
  }
}
