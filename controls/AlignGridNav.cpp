// Next-cell steps and the bounded searches for the next editable cell.
#include "controls/AlignGridNav.h"

#include <cstdint>

namespace {

struct Bounds {
  int firstCol, lastCol, firstRow, lastRow;
  explicit Bounds(const TNavGrid& g)
      : firstCol(g.FixedCols()), lastCol(g.ColCount() - 1), firstRow(g.FixedRows()), lastRow(g.RowCount() - 1) {}
};

// One step without the end rule; false when the order ran off the grid.
bool Step(const Bounds& b, T_nextcell order, int& c, int& r) {
  switch (order) {
    case nc_rightdown:
      if (++c > b.lastCol) c = b.firstCol, ++r;
      return r <= b.lastRow;
    case nc_downright:
      if (++r > b.lastRow) r = b.firstRow, ++c;
      return c <= b.lastCol;
    case nc_leftdown:
      if (--c < b.firstCol) c = b.lastCol, ++r;
      return r <= b.lastRow;
    case nc_downleft:
      if (++r > b.lastRow) r = b.firstRow, --c;
      return c >= b.firstCol;
    case nc_leftup:
      if (--c < b.firstCol) c = b.lastCol, --r;
      return r >= b.firstRow;
    case nc_upleft:
      if (--r < b.firstRow) r = b.lastRow, --c;
      return c >= b.firstCol;
    case nc_rightup:
      if (++c > b.lastCol) c = b.firstCol, --r;
      return r >= b.firstRow;
    case nc_upright:
      if (--r < b.firstRow) r = b.lastRow, ++c;
      return c <= b.lastCol;
  }
  return false;
}

void FirstCorner(const Bounds& b, T_nextcell order, int& c, int& r) {
  switch (order) {
    case nc_rightdown: case nc_downright: c = b.firstCol, r = b.firstRow; break;
    case nc_leftdown: case nc_downleft: c = b.lastCol, r = b.firstRow; break;
    case nc_leftup: case nc_upleft: c = b.lastCol, r = b.lastRow; break;
    case nc_rightup: case nc_upright: c = b.firstCol, r = b.lastRow; break;
  }
}

void NewLine(TNavGrid& g, T_nextcell order, int& c, int& r) {
  switch (order) {
    case nc_rightdown: g.InsertRow(g.RowCount()); c = g.FixedCols(), r = g.RowCount() - 1; break;
    case nc_downright: g.InsertCol(g.ColCount()); c = g.ColCount() - 1, r = g.FixedRows(); break;
    case nc_leftdown: g.InsertRow(g.RowCount()); c = g.ColCount() - 1, r = g.RowCount() - 1; break;
    case nc_downleft: g.InsertCol(g.FixedCols()); c = g.FixedCols(), r = g.FixedRows(); break;
    case nc_leftup: g.InsertRow(g.FixedRows()); c = g.ColCount() - 1, r = g.FixedRows(); break;
    case nc_upleft: g.InsertCol(g.FixedCols()); c = g.FixedCols(), r = g.RowCount() - 1; break;
    case nc_rightup: g.InsertRow(g.FixedRows()); c = g.FixedCols(), r = g.FixedRows(); break;
    case nc_upright: g.InsertCol(g.ColCount()); c = g.ColCount() - 1, r = g.RowCount() - 1; break;
  }
}

// The common search. Ends at the first editable cell, where a step changes nothing, back
// at the start after a full pass, or (-1, -1) / the start when the order runs off the
// grid with lc_stop, or a second time with lc_newcolrow.
void Search(TNavGrid& g, T_nextcell order, t_lastcell last, int& col, int& row, bool endAtStart) {
  const int startCol = col, startRow = row;
  bool inserted = false;
  // A pass visits every cell once; a few steps more cover the corners of the end rules.
  int64_t budget = int64_t{g.ColCount()} * g.RowCount() + 2;
  for (;;) {
    const int prevCol = col, prevRow = row;
    const Bounds b(g);
    if (!Step(b, order, col, row)) {
      if (last == lc_stop || (last == lc_newcolrow && inserted)) {
        if (endAtStart || inserted) col = startCol, row = startRow;
        else col = row = -1;
        return;
      }
      if (last == lc_first) {
        FirstCorner(b, order, col, row);
      } else {
        NewLine(g, order, col, row);
        inserted = true;
        budget += int64_t{g.ColCount()} * g.RowCount();
      }
    }
    if (col == prevCol && row == prevRow) return;
    if (g.CellEditable(col, row)) return;
    if ((col == startCol && row == startRow) || --budget < 0) {
      col = startCol, row = startRow;
      return;
    }
  }
}

}  // namespace

void NextCell(TNavGrid& grid, T_nextcell order, t_lastcell lastCell, int& col, int& row) {
  const Bounds b(grid);
  if (Step(b, order, col, row)) return;
  switch (lastCell) {
    case lc_stop: col = row = -1; break;
    case lc_first: FirstCorner(b, order, col, row); break;
    case lc_newcolrow: NewLine(grid, order, col, row); break;
  }
}

void NextEditableCell(TNavGrid& grid, T_nextcell order, t_lastcell lastCell, int& col, int& row) {
  Search(grid, order, lastCell, col, row, false);
}

void NextTabCell(TNavGrid& grid, T_nextcell order, t_lastcell lastCell, int& col, int& row) {
  Search(grid, order, lastCell, col, row, true);
}

T_nextcell ReversedOrder(T_nextcell order) {
  switch (order) {
    case nc_rightdown: return nc_leftup;
    case nc_leftup: return nc_rightdown;
    case nc_downright: return nc_upleft;
    case nc_upleft: return nc_downright;
    case nc_leftdown: return nc_rightup;
    case nc_rightup: return nc_leftdown;
    case nc_downleft: return nc_upright;
    case nc_upright: return nc_downleft;
  }
  return order;
}
