// Moving to the next cell of an aligned grid in one of eight orders, and the searches
// for the next editable cell (after an edit, and on Tab, Enter, Left and Right).
//
// First column means FixedCols, last column ColCount - 1, first row FixedRows, last row
// RowCount - 1. Every search ends: after one full pass without an editable cell it
// stops at the cell it started from, and with lc_newcolrow it appends at most one row
// or column (a grid whose new lines cannot be edited would otherwise grow forever).
#pragma once
#include "controls/AlignGridProps.h"

// What the navigation needs of the grid.
class TNavGrid {
 public:
  virtual ~TNavGrid() = default;
  virtual int ColCount() const = 0;
  virtual int RowCount() const = 0;
  virtual int FixedCols() const = 0;
  virtual int FixedRows() const = 0;
  virtual bool CellEditable(int col, int row) const = 0;
  // Insert an empty column or row at the index (ColCount/RowCount: append).
  virtual void InsertCol(int at) = 0;
  virtual void InsertRow(int at) = 0;
};

// One step in the order; at the end of the grid LastCell decides: lc_stop (-1, -1),
// lc_first the corner where the order starts, lc_newcolrow a new row or column.
void NextCell(TNavGrid& grid, T_nextcell order, t_lastcell lastCell, int& col, int& row);

// Steps until an editable cell (the search after Enter). Ends at (-1, -1) only with
// lc_stop; after a full pass without an editable cell it is back at the start.
void NextEditableCell(TNavGrid& grid, T_nextcell order, t_lastcell lastCell, int& col, int& row);

// The search of Tab, Enter, Left and Right: as NextEditableCell, but running off the end
// with lc_stop goes back to the start cell.
void NextTabCell(TNavGrid& grid, T_nextcell order, t_lastcell lastCell, int& col, int& row);

// The order of a key: Tab and Enter the grid's NextCellTab, Left nc_leftdown, Right
// nc_rightdown; with Shift the reverse order.
T_nextcell ReversedOrder(T_nextcell order);
