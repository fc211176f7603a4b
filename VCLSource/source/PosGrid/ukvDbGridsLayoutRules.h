// The data-aware grid's layout arithmetic, window-free: title and column counts, the
// row count that follows the rows that fit, the vertical scroll range, the window of
// rows the grid view shows (TopRecord, ActiveRecord, BufferCount), and the deferred
// update: its bits, how posted masks are batched and in which order the work runs.
//
// Row numbering: the grid view shows the data controller's rows TopRecord ..
// TopRecord + BufferCount - 1 in the grid rows TitleOffset ..; its RecNo is 1-based,
// TopRecord + ActiveRecord + 1.
#pragma once
#include <cstdint>
#include <vector>

namespace kw_dbgrid {

// --- columns and titles --------------------------------------------------------------------
// 0 without titles; else 1 + the greatest level of a shown column (0 when none is shown).
int TitleOffset(bool titles, int greatestShownLevel);
struct TColumnCounts {
  int ColCount;
  int FixedCols;
};
TColumnCounts ColumnCounts(int columnCount, int indicatorOffset);
constexpr int kIndicatorWidth = 40;
// The indicator column's width: 40 pixels, or wider when the row number, centred, would
// run under the glyph drawn at the cell's right end: the number keeps a glyph's width
// and a margin free on both sides.
int IndicatorWidthFor(int numberWidth, int glyphWidth);
// The left end of the indicator glyph in a cell ending at `right` (exclusive).
constexpr int IndicatorGlyphLeft(int right, int glyphWidth) { return right - glyphWidth - 2; }

// --- rows ----------------------------------------------------------------------------------
// The view's buffer for `room` data rows that fit: never below one row.
int BufferCountFor(int room);
// The rows the view shows: Max(1, Min(bufferCount, rowCount - topRecord)).
int ViewVisibleRowCount(int bufferCount, int rowCount, int topRecord);
// The grid's RowCount after a row count update of an active link.
int LaidOutRowCount(int viewVisibleRows, int minRowCount, int room, int titleOffset);

// --- the vertical scroll bar ----------------------------------------------------------------
struct TVertScroll {
  int Min, Max, Page, Pos;
  bool operator==(const TVertScroll& o) const {
    return Min == o.Min && Max == o.Max && Page == o.Page && Pos == o.Pos;
  }
};
// More rows than the buffer: (1, rows + page - 1, visible rows, RecNo); else 0..0.
TVertScroll VerticalScroll(int rowCount, int bufferCount, int visibleRows, int recNo);

// --- the view's window of rows -----------------------------------------------------------------
// TopRecord after the focused row (-1: none) or the buffer changed. Without a focused row
// the window stays, pulled back so that it ends at the last row at the latest.
int AdjustTopRecord(int topRecord, int focusedRow, int rowCount, int bufferCount);
// ActiveRecord for the focused row under topRecord, within the buffer.
int ActiveRecordFor(int topRecord, int focusedRow, int bufferCount);

// --- deferred update -----------------------------------------------------------------------------
enum : uint8_t {
  duRowCount = 0x01,
  duScrollBars = 0x02,
  duInvalidate = 0x04,
  duSelection = 0x08,
  duColumnLists = 0x10,
  duLayout = 0x20,
  duFooters = 0x40,
};

// The pending bits of the deferred-update message and whether it is in the queue.
class TDeferredUpdates {
 public:
  // ORs mask in (without duLayout while a layout lock is held); true when the message
  // has to be posted now (none is pending).
  bool Post(uint8_t mask, bool layoutLocked);
  // What the handler acts on; the state is empty afterwards.
  uint8_t Take();
  uint8_t Pending() const { return FMask; }
  bool Posted() const { return FPosted; }
  // The post failed: nothing is pending in the queue any more.
  void PostFailed() { FPosted = false; }

 private:
  uint8_t FMask = 0;
  bool FPosted = false;
};

enum class TDeferredAction : uint8_t { ColumnLists, Layout, RowCount, ScrollBars, Footers, Selection, Invalidate };
// The work of a mask in its order: column lists; layout and scroll bars, or row count and
// scroll bars, or scroll bars alone; footers; selection check; repaint.
std::vector<TDeferredAction> DeferredActions(uint8_t mask);

// The deferred bits of a data controller notice mask (its values 1 sorted, 2 rows or
// data, 4 focus, 32 summaries, 2048 edited values).
uint8_t DeferredBitsOfNotice(uint16_t noticeMask);

}  // namespace kw_dbgrid
