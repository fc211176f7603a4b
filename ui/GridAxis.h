// The grid's geometry without a window: cell coordinates, the extents of columns and
// rows, the per-axis draw information and the arithmetic on it (which cell a pixel
// falls in, where a cell lies on screen, where the sizing zones are, the largest top
// row, where the grid lines go, the scroll thumb's position) and the sparse cell texts
// of the string grid.
//
// Both axes work alike. An axis holds fixed cells (never scrolled, from 0) and
// scrolling cells (from FirstGridCell); a cell's extent comes from GetExtent, and every
// cell is followed by EffectiveLineWidth pixels of grid line. An extent of -1 hides a
// cell together with its line (-1 + 1 = 0 pixels), which is how columns and rows are
// hidden. The grid control (ui/Grids.h) fills a TGridDrawInfo for its client area and
// leaves every decision of geometry to these routines, so they are tested natively.
#pragma once
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "rtl/AnsiString.h"
#include "ui/Types.h"

struct TGridCoord {
  int X = 0;
  int Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TGridRect&) const = default;
  bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
};

// The platform's 32-bit multiply-then-divide with rounding to the nearest; -1 for a
// zero divisor.
int LongMulDiv(int mult1, int mult2, int div1);

// Column widths, row heights or tab stops: absent until the first value is set, then
// one value per column (or row). Reading an absent array or past its end gives the
// default the caller passes.
class TGridExtents {
 public:
  bool Assigned() const { return FAssigned; }
  int Count() const { return static_cast<int>(FValues.size()); }
  int Get(int index, int def) const;
  // Makes the array (count values of def) when absent, then stores value at index;
  // requires 0 <= index < count.
  void Set(int index, int value, int count, int def);
  // The array takes count entries: old values kept, new ones def. Nothing when absent.
  void Resize(int count, int def);
  // Back to absent.
  void Clear();
  // Takes the entry at from out and puts it in at to (nothing when absent).
  void Move(int from, int to);

 private:
  std::vector<int> FValues;
  bool FAssigned = false;
};

using TGridExtentFunc = std::function<int(int)>;

// One axis of a grid laid out for a given client extent.
struct TGridAxisDrawInfo {
  int EffectiveLineWidth = 0;  // GridLineWidth when the axis draws lines, else 0
  int FixedBoundary = 0;       // first pixel after the fixed cells
  int GridBoundary = 0;        // first pixel after the last (partly) visible cell
  int GridExtent = 0;          // the client extent laid out over
  int LastFullVisibleCell = 0;
  int FullVisBoundary = 0;     // first pixel after the last fully visible cell
  int FixedCellCount = 0;
  int FirstGridCell = 0;       // LeftCol or TopRow
  int GridCellCount = 0;       // ColCount or RowCount
  // The title cells are the first TitleCellCount fixed cells; a grid whose last fixed
  // columns are painted as data ("fixed data columns") has fewer title cells than
  // fixed cells. In the platform grid both are the same.
  int TitleBoundary = 0;
  int TitleCellCount = 0;
  TGridExtentFunc GetExtent;
  int Extent(int i) const { return GetExtent(i); }
};

struct TGridDrawInfo {
  TGridAxisDrawInfo Horz;
  TGridAxisDrawInfo Vert;
};

// A hit of the mouse on a sizing line.
struct TGridSizingHit {
  bool Hit = false;
  int Index = -1;  // the cell whose far edge is the line
  int Pos = 0;     // the line's pixel position
  int Ofs = 0;     // line position - mouse position
};

// A grid line from one point to another.
struct TGridStroke {
  TPoint From;
  TPoint To;
  bool operator==(const TGridStroke&) const = default;
};

namespace grid_geometry {

// The fixed part of an axis: line width, fixed boundary, title boundary, the cell range.
void CalcFixedAxis(TGridAxisDrawInfo& a, int lineWidth, int fixedCount, int titleCount, int firstCell,
                   int cellCount, TGridExtentFunc extent);
// The scrolling part over useExtent pixels: grid boundary, last fully visible cell.
void CalcAxis(TGridAxisDrawInfo& a, int useExtent);
// The smallest first cell that still shows cell `start` fully at the far edge (the
// largest useful LeftCol or TopRow for it). Hidden cells are never the answer unless
// nothing else fits.
int CalcMaxCell(const TGridAxisDrawInfo& a, int start);
// The cell under pixel pos, -1 when none (past the last cell or outside).
int CellAtPos(const TGridAxisDrawInfo& a, int pos);
// Pixel position of the start of cell `line` as laid out now; 0 when it lies past the
// grid extent.
int LinePos(const TGridAxisDrawInfo& a, int line);
// Pixel span of the cells minCell..maxCell; false when the span lies in the scrolled-
// off part (between the fixed cells and the first grid cell).
bool ScreenSpan(const TGridAxisDrawInfo& a, int minCell, int maxCell, bool includeLine, int& screenMin,
                int& screenMax);
// The client rectangle of a range of cells (empty when it is not on screen).
TRect GridRectToScreenRect(const TGridDrawInfo& info, const TGridRect& r, bool includeLine);
// The sizing line under pixel pos (within 7 pixels around a cell's far edge).
TGridSizingHit SizingHit(const TGridAxisDrawInfo& a, int pos);
// The new extent of cell `index` when its far edge is dragged to sizingPos.
int ResizedExtent(const TGridAxisDrawInfo& a, int index, int sizingPos);
// Grid lines of one box of cells starting at `cell`: vertical lines along the columns
// when `vertical`, else horizontal lines along the rows. The box is in pixels.
// skipLeadingHidden: cells of negative extent at the start draw no line of their own.
std::vector<TGridStroke> AxisLines(const TGridAxisDrawInfo& a, int cell, bool vertical, const TRect& box,
                                   bool skipLeadingHidden = false);
// Scroll thumb (0..127) of a first cell between minCell and maxCell.
int ThumbPos(int firstCell, int minCell, int maxCell);
// The first cell for a thumb at pos (0..127).
int CellFromThumb(int pos, int minCell, int maxCell);
// Where a drop-down list of the wanted size goes for an editor whose screen rectangle
// is `editor`, inside the work area `work` of its monitor: below the editor, else above
// it, never taller than the work area and never outside it (a long list scrolls).
TRect DropDownPlace(const TRect& editor, int width, int height, const TRect& work);

}  // namespace grid_geometry

// The texts of a string grid: only written cells take room, so a grid of many rows and
// columns with few texts is small. Reading a cell that was never written, or any cell
// outside the grid (negative coordinates too), gives ''.
class TGridCells {
 public:
  const AnsiString& Get(int col, int row) const;
  // Writing '' removes the cell; negative coordinates are ignored.
  void Set(int col, int row, const AnsiString& value);
  // Column `from` is taken out and put in at `to`; the columns between shift by one.
  void MoveCol(int from, int to);
  void MoveRow(int from, int to);
  // Texts at or beyond colCount / rowCount are dropped.
  void Truncate(int colCount, int rowCount);
  void Clear() { FRows.clear(); }
  // Number of non-empty cells.
  size_t Size() const;

 private:
  // The texts of one row in column order: a row filled from left to right appends.
  using Row = std::vector<std::pair<int, AnsiString>>;
  using Rows = std::map<int, Row>;
  Rows::iterator FindRow(int row);
  Rows::const_iterator FindRow(int row) const;

  Rows FRows;  // row -> its texts
};
