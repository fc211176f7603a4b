// The library grid's window-free geometry: fixed data columns, the footer band, the
// paint boxes and the horizontal thumb over shown columns.
#include "VCLSource/source/PosGrid/ukvGridLayout.h"

#include <algorithm>

namespace kw_grid {

namespace {
const char* const SIndexOutOfRange = "Grid index out of range";
const char* const SFixedColTooBig = "Fixed column count must be less than column count";
}  // namespace

void CheckFixedDataCols(int value, int fixedCols, int colCount) {
  if (value < 0) throw EkwInvalidGridOperation(SIndexOutOfRange);
  if (value >= colCount || value > fixedCols) throw EkwInvalidGridOperation(SFixedColTooBig);
}

// Left alone, a smaller FixedCols would leave more fixed data columns than fixed
// columns and a negative count of title columns; the value follows the fixed columns
// down instead.
int ClampFixedDataCols(int value, int fixedCols, int colCount) {
  return std::max(0, std::min({value, fixedCols, colCount - 1}));
}

void CalcFixedInfo(TGridDrawInfo& info, const TLayoutInput& in) {
  const int dataCols = ClampFixedDataCols(in.FixedDataCols, in.FixedCols, in.ColCount);
  grid_geometry::CalcFixedAxis(info.Horz, in.HorzLineWidth, in.FixedCols, in.FixedCols - dataCols, in.LeftCol,
                               in.ColCount, in.ColWidth);
  grid_geometry::CalcFixedAxis(info.Vert, in.VertLineWidth, in.FixedRows, in.FixedRows, in.TopRow, in.RowCount,
                               in.RowHeight);
}

void CalcDrawInfo(TGridDrawInfo& info, const TLayoutInput& in, int clientWidth, int clientHeight) {
  CalcFixedInfo(info, in);
  grid_geometry::CalcAxis(info.Horz, clientWidth);
  grid_geometry::CalcAxis(info.Vert, in.Footer ? clientHeight - in.FooterHeight : clientHeight);
}

int FooterTop(const TLayoutInput& in, int clientHeight) {
  return in.Footer ? clientHeight - in.FooterHeight : clientHeight;
}

bool InFooter(const TLayoutInput& in, int clientHeight, int y) {
  return in.Footer && y >= FooterTop(in, clientHeight) && y < clientHeight;
}

std::vector<TLineBox> LineBoxes(const TGridDrawInfo& info, const TLayoutInput& in, int clientHeight) {
  const TGridAxisDrawInfo& h = info.Horz;
  const TGridAxisDrawInfo& v = info.Vert;
  const int title = h.TitleCellCount;
  std::vector<TLineBox> boxes = {
      {0, 0, {0, 0, h.TitleBoundary, v.FixedBoundary}, TLineStyle::Fixed},
      {title, 0, {h.TitleBoundary, 0, h.FixedBoundary, v.FixedBoundary}, TLineStyle::Fixed},
      {in.LeftCol, 0, {h.FixedBoundary, 0, h.GridBoundary, v.FixedBoundary}, TLineStyle::Fixed},
      {0, in.TopRow, {0, v.FixedBoundary, h.TitleBoundary, v.GridBoundary}, TLineStyle::Fixed},
      {title, in.TopRow, {h.TitleBoundary, v.FixedBoundary, h.FixedBoundary, v.GridBoundary}, TLineStyle::Data},
      {in.LeftCol, in.TopRow, {h.FixedBoundary, v.FixedBoundary, h.GridBoundary, v.GridBoundary}, TLineStyle::Data},
  };
  if (in.Footer) {
    const int lt = FooterTop(in, clientHeight) - v.EffectiveLineWidth;
    boxes.push_back({0, -1, {0, lt, h.TitleBoundary, clientHeight}, TLineStyle::FooterTitle});
    boxes.push_back({title, -1, {h.TitleBoundary, lt, h.FixedBoundary, clientHeight}, TLineStyle::FooterFixedData});
    boxes.push_back({in.LeftCol, -1, {h.FixedBoundary, lt, h.GridBoundary, clientHeight}, TLineStyle::FooterData});
  }
  return boxes;
}

std::vector<TCellArea> CellAreas(const TGridDrawInfo& info, const TLayoutInput& in, int clientHeight,
                                 int colOffset) {
  const TGridAxisDrawInfo& h = info.Horz;
  const TGridAxisDrawInfo& v = info.Vert;
  const int title = h.TitleCellCount;
  const int scrollLeft = h.FixedBoundary - colOffset;
  std::vector<TCellArea> areas = {
      {0, 0, {0, 0, h.TitleBoundary, v.FixedBoundary}, TAreaColor::Fixed, true, false},
      {title, 0, {h.TitleBoundary, 0, h.FixedBoundary - colOffset, v.FixedBoundary}, TAreaColor::Fixed, true, false},
      {in.LeftCol, 0, {scrollLeft, 0, h.GridBoundary, v.FixedBoundary}, TAreaColor::Fixed, true, false},
      {0, in.TopRow, {0, v.FixedBoundary, h.TitleBoundary, v.GridBoundary}, TAreaColor::Fixed, true, false},
      {title, in.TopRow, {h.TitleBoundary, v.FixedBoundary, h.FixedBoundary, v.GridBoundary}, TAreaColor::Window,
       false, false},
      {in.LeftCol, in.TopRow, {scrollLeft, v.FixedBoundary, h.GridBoundary, v.GridBoundary}, TAreaColor::Window,
       false, false},
  };
  if (in.Footer) {
    const int ft = FooterTop(in, clientHeight);
    areas.push_back({0, -1, {0, ft, h.TitleBoundary, clientHeight}, TAreaColor::Fixed, true, true});
    areas.push_back(
        {title, -1, {h.TitleBoundary, ft, h.FixedBoundary, clientHeight}, TAreaColor::Footer, false, true});
    areas.push_back({in.LeftCol, -1, {scrollLeft, ft, h.GridBoundary, clientHeight}, TAreaColor::Footer, false, true});
  }
  return areas;
}

// Counting all columns between the first shown one and LeftCol against the shown ones
// only would put the thumb past its end when columns are hidden, and one shown column
// would divide by zero; the count here is of shown columns on both sides.
int HorzThumbPos(const TLayoutInput& in, int maxLeftCol) {
  int shown = 0;
  int before = 0;
  for (int c = in.FixedCols; c <= maxLeftCol && c < in.ColCount; ++c) {
    if (in.ColWidth(c) <= 0) continue;
    ++shown;
    if (c < in.LeftCol) ++before;
  }
  if (shown <= 1) return 0;
  return std::clamp(LongMulDiv(before, 127, shown - 1), 0, 127);
}

}  // namespace kw_grid
