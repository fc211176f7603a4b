// The library grid's geometry that needs no window: how fixed data columns and the
// footer band change the platform grid's layout, which boxes the grid lines and the
// cell passes cover, and where the horizontal scroll thumb stands.
//
// A grid of this library has FixedCols fixed columns, of which the last FixedDataCols
// are "fixed data columns": they do not scroll but are painted as data below the title
// rows. The first FixedCols - FixedDataCols columns are the title columns. An optional
// footer band of one row (index -1) sits at the bottom of the client area; it is never
// part of the row area, so visible rows, pages and the largest top row stop above it.
//
// Invariants kept by the grid (and checked here): 0 <= FixedDataCols <= FixedCols and
// FixedDataCols < ColCount, so TitleCellCount is never negative.
#pragma once
#include <vector>

#include "VCLSource/source/PosGrid/ukvGridErrors.h"
#include "ui/GridAxis.h"

namespace kw_grid {

// What the layout of one grid depends on.
struct TLayoutInput {
  int ColCount = 5;
  int RowCount = 5;
  int FixedCols = 1;
  int FixedRows = 1;
  int FixedDataCols = 0;
  int LeftCol = 1;
  int TopRow = 1;
  int HorzLineWidth = 1;  // GridLineWidth when a vertical line option is on, else 0
  int VertLineWidth = 1;  // GridLineWidth when a horizontal line option is on, else 0
  bool Footer = false;
  int FooterHeight = 18;
  TGridExtentFunc ColWidth;
  TGridExtentFunc RowHeight;
};

// The accessor's checks: below 0 "Grid index out of range"; above FixedCols or not
// below ColCount "Fixed column count must be less than column count".
void CheckFixedDataCols(int value, int fixedCols, int colCount);
// FixedDataCols kept valid after FixedCols or ColCount changed.
int ClampFixedDataCols(int value, int fixedCols, int colCount);

// The fixed parts of both axes (title cells of the columns without the fixed data ones).
void CalcFixedInfo(TGridDrawInfo& info, const TLayoutInput& in);
// Both axes over a client area; the rows over its height less the footer band.
void CalcDrawInfo(TGridDrawInfo& info, const TLayoutInput& in, int clientWidth, int clientHeight);
// Top of the footer band; clientHeight when there is no footer.
int FooterTop(const TLayoutInput& in, int clientHeight);
// Whether a client y lies in the footer band.
bool InFooter(const TLayoutInput& in, int clientHeight, int y);

// One box of the line pass or one area of the cell pass of Paint.
enum class TLineStyle { Fixed, Data, FooterTitle, FooterFixedData, FooterData };
struct TLineBox {
  int Col = 0;
  int Row = 0;
  TRect Box;
  TLineStyle Style = TLineStyle::Fixed;
  bool operator==(const TLineBox&) const = default;
};
enum class TAreaColor { Fixed, Window, Footer };
struct TCellArea {
  int Col = 0;
  int Row = 0;
  TRect Box;
  TAreaColor Color = TAreaColor::Fixed;
  bool Fixed = false;   // cells get the fixed state
  bool Footer = false;  // cells get the footer state
  bool operator==(const TCellArea&) const = default;
};
// The six line boxes of the cells and, with a footer, the three of the band.
std::vector<TLineBox> LineBoxes(const TGridDrawInfo& info, const TLayoutInput& in, int clientHeight);
// The six cell areas and, with a footer, the three of the band.
std::vector<TCellArea> CellAreas(const TGridDrawInfo& info, const TLayoutInput& in, int clientHeight,
                                 int colOffset);

// Horizontal thumb (0..127) for ColCount > 1: the position counts the shown columns
// (width above 0) from the first shown scrolling column up to LeftCol against all
// shown columns up to maxLeftCol. With at most one shown column the thumb stands at 0.
int HorzThumbPos(const TLayoutInput& in, int maxLeftCol);

// Where a drop-down list of the wanted size goes for an editor whose screen rectangle
// is `editor`, inside the work area `work`: below the editor, else above it, never
// taller than the work area and never outside it.
TRect DropDownPlace(const TRect& editor, int width, int height, const TRect& work);

}  // namespace kw_grid
