// The grid's geometry without a window (see GridAxis.h).
#include "ui/GridAxis.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <limits>

int LongMulDiv(int mult1, int mult2, int div1) {
  if (div1 == 0) return -1;
  const int64_t n = static_cast<int64_t>(mult1) * mult2;
  int64_t q = n / div1;
  const int64_t r = n % div1;
  if (2 * std::llabs(r) >= std::llabs(static_cast<int64_t>(div1))) q += ((n < 0) != (div1 < 0)) ? -1 : 1;
  if (q > std::numeric_limits<int>::max() || q < std::numeric_limits<int>::min()) return -1;
  return static_cast<int>(q);
}

// ============================================================================ TGridExtents

int TGridExtents::Get(int index, int def) const {
  if (!FAssigned || index < 0 || index >= Count()) return def;
  return FValues[static_cast<size_t>(index)];
}

void TGridExtents::Set(int index, int value, int count, int def) {
  if (!FAssigned) {
    FValues.assign(static_cast<size_t>(std::max(count, 0)), def);
    FAssigned = true;
  }
  if (index >= 0 && index < Count()) FValues[static_cast<size_t>(index)] = value;
}

void TGridExtents::Resize(int count, int def) {
  if (FAssigned) FValues.resize(static_cast<size_t>(std::max(count, 0)), def);
}

void TGridExtents::Clear() {
  FValues.clear();
  FAssigned = false;
}

void TGridExtents::Move(int from, int to) {
  if (!FAssigned || from == to || from < 0 || to < 0 || from >= Count() || to >= Count()) return;
  const int v = FValues[static_cast<size_t>(from)];
  FValues.erase(FValues.begin() + from);
  FValues.insert(FValues.begin() + to, v);
}

// ============================================================================ geometry

namespace grid_geometry {

void CalcFixedAxis(TGridAxisDrawInfo& a, int lineWidth, int fixedCount, int titleCount, int firstCell,
                   int cellCount, TGridExtentFunc extent) {
  a.EffectiveLineWidth = lineWidth;
  a.FixedBoundary = 0;
  a.TitleBoundary = 0;
  a.TitleCellCount = titleCount;
  for (int i = 0; i < fixedCount; ++i) {
    const int step = extent(i) + lineWidth;
    a.FixedBoundary += step;
    if (i < titleCount) a.TitleBoundary += step;
  }
  a.FixedCellCount = fixedCount;
  a.FirstGridCell = firstCell;
  a.GridCellCount = cellCount;
  a.GetExtent = std::move(extent);
}

void CalcAxis(TGridAxisDrawInfo& a, int useExtent) {
  a.GridExtent = useExtent;
  a.GridBoundary = a.FixedBoundary;
  a.FullVisBoundary = a.FixedBoundary;
  a.LastFullVisibleCell = a.FirstGridCell;
  for (int i = a.FirstGridCell; i < a.GridCellCount; ++i) {
    a.GridBoundary += a.Extent(i) + a.EffectiveLineWidth;
    if (a.GridBoundary > useExtent + a.EffectiveLineWidth) {
      a.GridBoundary = useExtent;
      break;
    }
    a.LastFullVisibleCell = i;
    a.FullVisBoundary = a.GridBoundary;
  }
}

int CalcMaxCell(const TGridAxisDrawInfo& a, int start) {
  int result = start;
  int line = a.GridExtent + a.EffectiveLineWidth;
  for (int i = start; i >= a.FixedCellCount; --i) {
    const int extent = a.Extent(i);
    if (extent <= 0) continue;
    line -= extent + a.EffectiveLineWidth;
    if (line < a.FixedBoundary) {
      if (result == start && a.Extent(start) <= 0) result = i;
      break;
    }
    result = i;
  }
  return result;
}

int CellAtPos(const TGridAxisDrawInfo& a, int pos) {
  int start, stop, line;
  if (pos < a.FixedBoundary) {
    start = 0;
    stop = a.FixedCellCount - 1;
    line = 0;
  } else {
    start = a.FirstGridCell;
    stop = a.GridCellCount - 1;
    line = a.FixedBoundary;
  }
  if (pos < 0) return -1;
  for (int i = start; i <= stop; ++i) {
    line += a.Extent(i) + a.EffectiveLineWidth;
    if (pos < line) return i;
  }
  return -1;
}

int LinePos(const TGridAxisDrawInfo& a, int line) {
  int result = 0;
  int start;
  if (line < a.FixedCellCount) {
    start = 0;
  } else {
    if (line >= a.FirstGridCell) result = a.FixedBoundary;
    start = a.FirstGridCell;
  }
  for (int i = start; i < line; ++i) {
    result += a.Extent(i) + a.EffectiveLineWidth;
    if (result > a.GridExtent) return 0;
  }
  return result;
}

bool ScreenSpan(const TGridAxisDrawInfo& a, int minCell, int maxCell, bool includeLine, int& screenMin,
                int& screenMax) {
  if (minCell >= a.FixedCellCount && minCell < a.FirstGridCell) {
    if (maxCell < a.FirstGridCell) return false;
    minCell = a.FirstGridCell;
  }
  if (maxCell > a.LastFullVisibleCell) {
    maxCell = a.LastFullVisibleCell;
    if (maxCell < a.GridCellCount - 1) ++maxCell;
    if (LinePos(a, maxCell) == 0) --maxCell;
  }
  screenMin = LinePos(a, minCell);
  screenMax = LinePos(a, maxCell);
  if (screenMax == 0)
    screenMax = screenMin + a.Extent(minCell);
  else
    screenMax += a.Extent(maxCell);
  if (screenMax > a.GridExtent) screenMax = a.GridExtent;
  if (includeLine) screenMax += a.EffectiveLineWidth;
  return true;
}

TRect GridRectToScreenRect(const TGridDrawInfo& info, const TGridRect& r, bool includeLine) {
  TRect out;
  if (r.Left > r.Right || r.Top > r.Bottom) return out;
  if (r.Left > info.Horz.LastFullVisibleCell + 1 || r.Top > info.Vert.LastFullVisibleCell + 1) return out;
  if (!ScreenSpan(info.Horz, r.Left, r.Right, includeLine, out.Left, out.Right)) return TRect{};
  if (!ScreenSpan(info.Vert, r.Top, r.Bottom, includeLine, out.Top, out.Bottom)) return TRect{};
  return out;
}

TGridSizingHit SizingHit(const TGridAxisDrawInfo& a, int pos) {
  TGridSizingHit hit;
  int line = a.FixedBoundary;
  int range = a.EffectiveLineWidth;
  int back = 0;
  if (range < 7) {
    range = 7;
    back = (range - a.EffectiveLineWidth) >> 1;
  }
  for (int i = a.FirstGridCell; i < a.GridCellCount; ++i) {
    line += a.Extent(i);
    if (line > a.GridBoundary) break;
    if (pos >= line - back && pos <= line - back + range) {
      hit.Hit = true;
      hit.Pos = line;
      hit.Ofs = line - pos;
      hit.Index = i;
      return hit;
    }
    line += a.EffectiveLineWidth;
  }
  if (a.GridBoundary == a.GridExtent && pos >= a.GridExtent - back && pos <= a.GridExtent) {
    hit.Hit = true;
    hit.Pos = a.GridExtent;
    hit.Ofs = a.GridExtent - pos;
    hit.Index = a.LastFullVisibleCell + 1;
  }
  return hit;
}

int ResizedExtent(const TGridAxisDrawInfo& a, int index, int sizingPos) {
  int start = 0;
  int i = 0;
  if (index >= a.FixedCellCount) {
    start = a.FixedBoundary;
    i = a.FirstGridCell;
  }
  for (; i < index; ++i) start += a.Extent(i) + a.EffectiveLineWidth;
  return sizingPos - start;
}

std::vector<TGridStroke> AxisLines(const TGridAxisDrawInfo& a, int cell, bool vertical, const TRect& box,
                                   bool skipLeadingHidden) {
  std::vector<TGridStroke> out;
  if (a.EffectiveLineWidth == 0 || box.Left == box.Right || box.Top == box.Bottom) return out;
  const int startMajor = vertical ? box.Left : box.Top;
  const int stopMajor = (vertical ? box.Right : box.Bottom) + a.EffectiveLineWidth;
  const int startMinor = vertical ? box.Top : box.Left;
  const int stopMinor = vertical ? box.Bottom : box.Right;
  if (skipLeadingHidden)
    while (cell <= a.LastFullVisibleCell && cell < a.GridCellCount && a.Extent(cell) < 0) ++cell;
  int line = startMajor + (a.EffectiveLineWidth >> 1) + a.Extent(cell);
  // Each hidden cell adds nothing; a box never holds more lines than pixels.
  const size_t maxStrokes = static_cast<size_t>(std::max(0, stopMajor - startMajor)) + 1;
  for (;;) {
    if (vertical)
      out.push_back({{line, startMinor}, {line, stopMinor}});
    else
      out.push_back({{startMinor, line}, {stopMinor, line}});
    int incr;
    do {
      ++cell;
      incr = a.Extent(cell) + a.EffectiveLineWidth;
    } while (incr <= 0 && cell <= a.LastFullVisibleCell);
    line += incr;
    if (line > stopMajor || cell > a.LastFullVisibleCell || out.size() >= maxStrokes) break;
  }
  return out;
}

int ThumbPos(int firstCell, int minCell, int maxCell) { return LongMulDiv(firstCell - minCell, 127, maxCell - minCell); }

int CellFromThumb(int pos, int minCell, int maxCell) { return minCell + LongMulDiv(pos, maxCell - minCell, 127); }

TRect DropDownPlace(const TRect& editor, int width, int height, const TRect& work) {
  height = std::min(height, std::max(0, work.Bottom - work.Top));
  int top = editor.Bottom;
  if (top + height > work.Bottom) top = editor.Top - height;
  top = std::clamp(top, work.Top, work.Bottom - height);
  const int left = std::clamp(editor.Left, work.Left, std::max(work.Left, work.Right - width));
  return {left, top, left + width, top + height};
}

}  // namespace grid_geometry

// ============================================================================ TGridCells

namespace {
const AnsiString kEmpty;

// The key a cell moves to when the line `from` is taken out and put in at `to`.
int MovedKey(int key, int from, int to) {
  if (key == from) return to;
  if (from < to && key > from && key <= to) return key - 1;
  if (from > to && key >= to && key < from) return key + 1;
  return key;
}

template <typename Map>
void MoveKeys(Map& m, int from, int to) {
  if (from == to) return;
  Map moved;
  for (auto it = m.begin(); it != m.end();) {
    const int k = MovedKey(it->first, from, to);
    if (k != it->first) {
      moved.emplace(k, std::move(it->second));
      it = m.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& [k, v] : moved) m[k] = std::move(v);
}
}  // namespace

// The row that was written last is usually the last one: it is found without a search.
TGridCells::Rows::iterator TGridCells::FindRow(int row) {
  if (!FRows.empty() && FRows.rbegin()->first == row) return std::prev(FRows.end());
  return FRows.find(row);
}

TGridCells::Rows::const_iterator TGridCells::FindRow(int row) const {
  if (!FRows.empty() && FRows.rbegin()->first == row) return std::prev(FRows.end());
  return FRows.find(row);
}

namespace {
using CellText = std::pair<int, AnsiString>;
bool ColumnBefore(const CellText& cell, int col) { return cell.first < col; }
}  // namespace

const AnsiString& TGridCells::Get(int col, int row) const {
  const auto r = FindRow(row);
  if (r == FRows.end()) return kEmpty;
  const Row& cells = r->second;
  if (!cells.empty() && cells.back().first == col) return cells.back().second;
  const auto c = std::lower_bound(cells.begin(), cells.end(), col, ColumnBefore);
  return c == cells.end() || c->first != col ? kEmpty : c->second;
}

void TGridCells::Set(int col, int row, const AnsiString& value) {
  if (col < 0 || row < 0) return;
  auto r = FindRow(row);
  if (value.empty()) {
    if (r == FRows.end()) return;
    Row& cells = r->second;
    const auto c = std::lower_bound(cells.begin(), cells.end(), col, ColumnBefore);
    if (c == cells.end() || c->first != col) return;
    cells.erase(c);
    if (cells.empty()) FRows.erase(r);
    return;
  }
  if (r == FRows.end()) {
    const auto next = FRows.lower_bound(row);
    // Rows of a grid are alike: a new row takes the room of its neighbour at once.
    const size_t room = next != FRows.begin() ? std::prev(next)->second.size()
                        : next != FRows.end() ? next->second.size()
                                              : 0;
    r = FRows.emplace_hint(next, row, Row());
    r->second.reserve(std::max<size_t>(room, 4));
  }
  Row& cells = r->second;
  if (cells.empty() || cells.back().first < col) {
    cells.emplace_back(col, value);
    return;
  }
  const auto c = std::lower_bound(cells.begin(), cells.end(), col, ColumnBefore);
  if (c != cells.end() && c->first == col)
    c->second = value;
  else
    cells.emplace(c, col, value);
}

void TGridCells::MoveCol(int from, int to) {
  if (from == to) return;
  for (auto& [row, cells] : FRows) {
    for (CellText& cell : cells) cell.first = MovedKey(cell.first, from, to);
    std::sort(cells.begin(), cells.end(), [](const CellText& a, const CellText& b) { return a.first < b.first; });
  }
}

void TGridCells::MoveRow(int from, int to) { MoveKeys(FRows, from, to); }

void TGridCells::Truncate(int colCount, int rowCount) {
  FRows.erase(FRows.lower_bound(std::max(rowCount, 0)), FRows.end());
  for (auto it = FRows.begin(); it != FRows.end();) {
    Row& cells = it->second;
    cells.erase(std::lower_bound(cells.begin(), cells.end(), std::max(colCount, 0), ColumnBefore), cells.end());
    it = cells.empty() ? FRows.erase(it) : std::next(it);
  }
}

size_t TGridCells::Size() const {
  size_t n = 0;
  for (const auto& [row, cols] : FRows) n += cols.size();
  return n;
}
