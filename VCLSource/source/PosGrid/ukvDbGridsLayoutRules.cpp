// The data-aware grid's layout arithmetic and deferred-update batching.
#include "VCLSource/source/PosGrid/ukvDbGridsLayoutRules.h"

#include <algorithm>

namespace kw_dbgrid {

int TitleOffset(bool titles, int greatestShownLevel) {
  return titles ? 1 + std::max(0, greatestShownLevel) : 0;
}

int IndicatorWidthFor(int numberWidth, int glyphWidth) {
  return std::max(kIndicatorWidth, std::max(numberWidth, 0) + 2 * (std::max(glyphWidth, 0) + 2));
}

TColumnCounts ColumnCounts(int columnCount, int indicatorOffset) {
  const int cols = columnCount + indicatorOffset;
  return {cols, std::min(indicatorOffset, std::max(cols - 1, 0))};
}

int BufferCountFor(int room) { return std::max(1, room); }

int ViewVisibleRowCount(int bufferCount, int rowCount, int topRecord) {
  return std::max(1, std::min(bufferCount, rowCount - topRecord));
}

int LaidOutRowCount(int viewVisibleRows, int minRowCount, int room, int titleOffset) {
  return std::max(viewVisibleRows + titleOffset, std::min(minRowCount, room) + titleOffset);
}

TVertScroll VerticalScroll(int rowCount, int bufferCount, int visibleRows, int recNo) {
  if (rowCount <= bufferCount) return {0, 0, 0, 0};
  return {1, rowCount + visibleRows - 1, visibleRows, recNo};
}

int AdjustTopRecord(int topRecord, int focusedRow, int rowCount, int bufferCount) {
  const int f = focusedRow;
  if (f > topRecord) {
    if (f >= topRecord + bufferCount) return f - bufferCount + 1;
    if (topRecord + bufferCount > rowCount) return std::max(0, rowCount - bufferCount);
    return topRecord;
  }
  if (f >= 0) return f;
  // Without a focused row the window stays where it is, but never past the last row: rows
  // that were filtered or deleted away under it would leave an empty grid with nothing
  // to click while rows remain.
  return rowCount == 0 ? 0 : std::min(topRecord, std::max(0, rowCount - bufferCount));
}

int ActiveRecordFor(int topRecord, int focusedRow, int bufferCount) {
  if (focusedRow < 0) return 0;
  return std::clamp(focusedRow - topRecord, 0, std::max(0, bufferCount - 1));
}

bool TDeferredUpdates::Post(uint8_t mask, bool layoutLocked) {
  if (layoutLocked) mask = static_cast<uint8_t>(mask & ~duLayout);
  FMask = static_cast<uint8_t>(FMask | mask);
  if (FPosted) return false;
  FPosted = true;
  return true;
}

uint8_t TDeferredUpdates::Take() {
  const uint8_t m = FMask;
  FMask = 0;
  FPosted = false;
  return m;
}

std::vector<TDeferredAction> DeferredActions(uint8_t mask) {
  std::vector<TDeferredAction> a;
  if (mask & duColumnLists) a.push_back(TDeferredAction::ColumnLists);
  if (mask & duLayout) {
    a.push_back(TDeferredAction::Layout);
    a.push_back(TDeferredAction::ScrollBars);
  } else if (mask & duRowCount) {
    a.push_back(TDeferredAction::RowCount);
    a.push_back(TDeferredAction::ScrollBars);
  } else if (mask & duScrollBars) {
    a.push_back(TDeferredAction::ScrollBars);
  }
  if (mask & duFooters) a.push_back(TDeferredAction::Footers);
  if (mask & duSelection) a.push_back(TDeferredAction::Selection);
  if (mask & duInvalidate) a.push_back(TDeferredAction::Invalidate);
  return a;
}

// Read by the notice's values. A data change, a new sort order, a moved focus and new
// totals all change what the grid shows, so each of them repaints as well (a changed
// footer sum or an edited value would otherwise stay on screen until something else
// repainted the grid).
uint8_t DeferredBitsOfNotice(uint16_t noticeMask) {
  uint8_t bits = 0;
  if (noticeMask & 2) bits |= duRowCount | duScrollBars | duInvalidate | duSelection;
  if (noticeMask & 1) bits |= duInvalidate | duSelection;
  if (noticeMask & 4) bits |= duScrollBars | duInvalidate;
  if (noticeMask & (32 | 2048)) bits |= duInvalidate;
  return bits;
}

}  // namespace kw_dbgrid
