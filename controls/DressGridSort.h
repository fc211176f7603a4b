// The dress grid's title sort: comparing two cell texts, and the in-place exchange sort
// of the data rows that keeps the row numbers of column 0 where they are.
#pragma once
#include <functional>
#include "rtl/AnsiString.h"

// The codes of the comparison (not the order of t_relation).
enum TSortCompare { scGreater = 0, scLess = 1, scEqual = 2 };

// Numeric: both texts read as numbers, unreadable text as 0; otherwise byte order.
TSortCompare CompareSortValues(std::string_view a, std::string_view b, bool numeric);

// What the sort needs of the grid.
struct TSortRowsAccess {
  int RowCount = 0;
  bool HaveTotalRow = false;
  std::function<AnsiString(int row)> KeyText;   // the row's text in the first logical column
  std::function<AnsiString(int row)> SortText;  // the row's text in the sort column
  // Exchanges two rows with their properties and every column's text (column 0 too).
  std::function<void(int a, int b)> ExchangeRows;
  std::function<AnsiString(int row)> RowNumber;  // column 0's text
  std::function<void(int row, const AnsiString& text)> SetRowNumber;
};

// Grid rows 2 .. last (RowCount - 1, or RowCount - 2 with a totals row). A row whose key
// text is blank stays where it is and is compared with nothing. direction -1 sorts
// ascending, 1 descending.
void SortDressRows(const TSortRowsAccess& grid, int direction, bool numeric);
