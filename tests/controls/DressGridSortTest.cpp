// The dress grid's title sort.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/DressGridSort.h"

namespace {

// Rows of three columns (row number, key, value) from grid row 0; rows 0 and 1 are titles.
struct Rows {
  std::vector<std::vector<AnsiString>> cells;
  TSortRowsAccess Access(bool total = false) {
    TSortRowsAccess a;
    a.RowCount = static_cast<int>(cells.size());
    a.HaveTotalRow = total;
    a.KeyText = [this](int r) { return cells[r][1]; };
    a.SortText = [this](int r) { return cells[r][2]; };
    a.ExchangeRows = [this](int x, int y) { std::swap(cells[x], cells[y]); };  // every column, as the grid does
    a.RowNumber = [this](int r) { return cells[r][0]; };
    a.SetRowNumber = [this](int r, const AnsiString& t) { cells[r][0] = t; };
    return a;
  }
  std::string Dump() const {
    std::string out;
    for (size_t r = 2; r < cells.size(); ++r) out += cells[r][0] + ":" + cells[r][1] + "/" + cells[r][2] + " ";
    return out;
  }
};

Rows Sample() {
  return {{{"", "品名", "数量"}, {"", "", ""}, {"1", "a", "3"}, {"2", "b", "1"}, {"3", "", "9"}, {"4", "c", "2"}}};
}

}  // namespace

TEST(CompareSortValues, CodesAndNumericReading) {
  EXPECT_EQ(CompareSortValues("1", "2", true), scLess);
  EXPECT_EQ(CompareSortValues("10", "9", true), scGreater);
  EXPECT_EQ(CompareSortValues("10", "9", false), scLess);
  EXPECT_EQ(CompareSortValues("abc", "0", true), scEqual);
  EXPECT_EQ(CompareSortValues(" 2.5", "2.50", true), scEqual);
  EXPECT_EQ(CompareSortValues("b", "a", false), scGreater);
}

TEST(SortDressRows, AscendingKeepsBlankKeyRowsAndRowNumbersInPlace) {
  Rows g = Sample();
  SortDressRows(g.Access(), -1, true);
  EXPECT_EQ(g.Dump(), "1:b/1 2:c/2 3:/9 4:a/3 ");
}

TEST(SortDressRows, DescendingAndTheTotalsRowStaysLast) {
  Rows g = Sample();
  g.cells.push_back({"", "合计", "15"});
  SortDressRows(g.Access(true), 1, true);
  EXPECT_EQ(g.Dump(), "1:a/3 2:c/2 3:/9 4:b/1 :合计/15 ");
}

// The grid's row exchange moves column 0 too; sorting must not scramble the numbers.
TEST(SortDressRows, RegressionRowNumbersOfColumnZeroStayInOrder) {
  Rows g = Sample();
  SortDressRows(g.Access(), 1, false);
  std::string numbers;
  for (size_t r = 2; r < g.cells.size(); ++r) numbers += g.cells[r][0];
  EXPECT_EQ(numbers, "1234");
}

TEST(SortDressRows, NothingToSortBelowTwoDataRows) {
  Rows g{{{"", "", ""}, {"", "", ""}, {"1", "a", "2"}}};
  SortDressRows(g.Access(), -1, true);
  EXPECT_EQ(g.Dump(), "1:a/2 ");
}
