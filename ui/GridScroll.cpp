// TCustomGrid's scroll bars: their range and thumb as the top-left cell moves, the
// scrolling a bar asks for (a one-column grid scrolls by pixels), and the timed scroll
// that moves the anchor while the mouse selects or drags outside the cells.
#include "ui/Grids.h"

#include <algorithm>

#include "ui/GridDetail.h"

using namespace ui_win;
using namespace ui_grid_detail;


void TCustomGrid::SetScroll(int bar, int value) {
  if (::GetScrollPos(FHandle, bar) != value) ::SetScrollPos(FHandle, bar, value, TRUE);
}

void TCustomGrid::UpdateScrollPos() {
  if (!HandleAllocated() || FScrollBars == ssNone) return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const TGridCoord maxTopLeft = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, info);
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
    if (FColCount == 1) {
      const int colWidth = GetColWidths(info.Horz.FirstGridCell);
      const int gridSpace = ClientWidth() - info.Horz.FixedBoundary;
      if (FColOffset > 0 && gridSpace > colWidth - FColOffset) {
        FColOffset = std::max(0, colWidth - gridSpace);
        InvalidateGrid();
      }
      SetScroll(SB_HORZ, FColOffset);
    } else {
      SetScroll(SB_HORZ, grid_geometry::ThumbPos(FTopLeft.X, FFixedCols, maxTopLeft.X));
    }
  }
  if (FScrollBars == ssVertical || FScrollBars == ssBoth)
    SetScroll(SB_VERT, grid_geometry::ThumbPos(FTopLeft.Y, FFixedRows, maxTopLeft.Y));
}

void TCustomGrid::UpdateScrollRange() {
  if (FScrollBars == ssNone || !HandleAllocated()) return;
  const TScrollStyle oldScrollBars = FScrollBars;
  auto barVisible = [&](int code) {
    if (oldScrollBars != ssBoth && !(code == SB_HORZ && oldScrollBars == ssHorizontal) &&
        !(code == SB_VERT && oldScrollBars == ssVertical))
      return false;
    int mn = 0, mx = 0;
    ::GetScrollRange(FHandle, code, &mn, &mx);
    return mn != mx;
  };
  TGridDrawInfo info;
  info.Horz.GridExtent = ClientWidth();
  info.Vert.GridExtent = ClientHeight();
  // The range is worked out as if neither bar took room, then again with the room of a
  // bar that turned out to be needed.
  if (barVisible(SB_HORZ)) info.Vert.GridExtent += ::GetSystemMetrics(SM_CYHSCROLL);
  if (barVisible(SB_VERT)) info.Horz.GridExtent += ::GetSystemMetrics(SM_CXVSCROLL);
  const TGridCoord oldTopLeft = FTopLeft;
  FScrollBars = ssNone;
  TGridCoord maxTopLeft;
  auto calcSizeInfo = [&] {
    CalcDrawInfoXY(info, info.Horz.GridExtent, info.Vert.GridExtent);
    maxTopLeft = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, info);
  };
  auto setHorzRange = [&] {
    if (oldScrollBars != ssHorizontal && oldScrollBars != ssBoth) return;
    if (FColCount == 1) {
      ::SetScrollRange(FHandle, SB_HORZ, 0, std::max(0, GetColWidths(0) - ClientWidth()), TRUE);
      return;
    }
    calcSizeInfo();
    ::SetScrollRange(FHandle, SB_HORZ, 0, FFixedCols < maxTopLeft.X ? 127 : 0, TRUE);
    if (oldTopLeft.X > maxTopLeft.X) FTopLeft.X = maxTopLeft.X;
  };
  auto setVertRange = [&] {
    if (oldScrollBars != ssVertical && oldScrollBars != ssBoth) return;
    calcSizeInfo();
    ::SetScrollRange(FHandle, SB_VERT, 0, FFixedRows < maxTopLeft.Y ? 127 : 0, TRUE);
    if (oldTopLeft.Y > maxTopLeft.Y) FTopLeft.Y = maxTopLeft.Y;
  };
  try {
    setHorzRange();
    info.Vert.GridExtent = ClientHeight();
    setVertRange();
    if (info.Horz.GridExtent != ClientWidth()) {
      info.Horz.GridExtent = ClientWidth();
      setHorzRange();
    }
  } catch (...) {
    FScrollBars = oldScrollBars;
    throw;
  }
  FScrollBars = oldScrollBars;
  UpdateScrollPos();
  if (FTopLeft != oldTopLeft) TopLeftMoved(oldTopLeft);
}

void TCustomGrid::ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos) {
  if (Visible() && CanFocus() && TabStop() && HandleAllocated() && ::GetFocus() != FHandle &&
      !(FInplaceEdit && FInplaceEdit->HandleAllocated() && ::GetFocus() == FInplaceEdit->Handle()))
    SetFocus();
  TGridDrawInfo info;
  CalcDrawInfo(info);
  if (ScrollBar == SB_HORZ && FColCount == 1) {
    const int colWidth = GetColWidths(0);
    const int range = std::max(0, colWidth - ClientWidth());
    int offset = FColOffset;
    switch (ScrollCode) {
      case SB_LINEUP: offset -= 4; break;
      case SB_LINEDOWN: offset += 4; break;
      case SB_PAGEUP: offset -= ClientWidth(); break;
      case SB_PAGEDOWN: offset += ClientWidth(); break;
      case SB_THUMBPOSITION: offset = Pos; break;
      case SB_THUMBTRACK: if (FOptions.Contains(goThumbTracking)) offset = Pos; break;
      case SB_TOP: offset = 0; break;
      case SB_BOTTOM: offset = range; break;
      default: return;
    }
    offset = std::clamp(offset, 0, range);
    if (offset != FColOffset) {
      FColOffset = offset;
      SetScroll(SB_HORZ, FColOffset);
      InvalidateGrid();
    }
    return;
  }
  const TGridCoord maxTopLeft = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, info);
  const bool horz = ScrollBar == SB_HORZ;
  const int mn = horz ? FFixedCols : FFixedRows;
  const int mx = horz ? maxTopLeft.X : maxTopLeft.Y;
  auto pageUp = [&] {
    const TGridCoord m = CalcMaxTopLeft(FTopLeft, info);
    return std::max(1, horz ? FTopLeft.X - m.X : FTopLeft.Y - m.Y);
  };
  auto pageDown = [&] {
    return std::max(1, horz ? info.Horz.LastFullVisibleCell - FTopLeft.X : info.Vert.LastFullVisibleCell - FTopLeft.Y);
  };
  auto step = [&](int value) {
    switch (ScrollCode) {
      case SB_LINEUP: return value - 1;
      case SB_LINEDOWN: return value + 1;
      case SB_PAGEUP: return value - pageUp();
      case SB_PAGEDOWN: return value + pageDown();
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK:
        if (FOptions.Contains(goThumbTracking) || ScrollCode == SB_THUMBPOSITION)
          return grid_geometry::CellFromThumb(Pos, mn, mx);
        return value;
      case SB_BOTTOM: return mx;
      case SB_TOP: return mn;
      default: return value;
    }
  };
  auto extent = [&](int i) { return horz ? GetColWidths(i) : GetRowHeights(i); };
  const int cellCount = horz ? FColCount : FRowCount;
  int value = horz ? FTopLeft.X : FTopLeft.Y;
  // Hidden lines are stepped over; a thumb position on a hidden line takes the next
  // shown one (the platform loops on the same value there).
  const bool repeats = ScrollCode == SB_LINEUP || ScrollCode == SB_LINEDOWN || ScrollCode == SB_PAGEUP ||
                       ScrollCode == SB_PAGEDOWN;
  value = step(value);
  for (int guard = 0; guard < cellCount && value > mn && value < mx && value < cellCount && extent(value) <= 0;
       ++guard)
    value = repeats ? step(value) : value + 1;
  value = std::clamp(value, mn, std::max(mn, mx));
  TGridCoord newTopLeft = FTopLeft;
  (horz ? newTopLeft.X : newTopLeft.Y) = value;
  if (newTopLeft != FTopLeft) MoveTopLeft(newTopLeft.X, newTopLeft.Y);
}

void TCustomGrid::TimedScroll(unsigned Direction) {
  TGridCoord anchor = FAnchor;
  if ((Direction & sdLeft) && FAnchor.X > FFixedCols) --anchor.X;
  if ((Direction & sdRight) && FAnchor.X < FColCount - 1) ++anchor.X;
  if ((Direction & sdUp) && FAnchor.Y > FFixedRows) --anchor.Y;
  if ((Direction & sdDown) && FAnchor.Y < FRowCount - 1) ++anchor.Y;
  if (anchor != FAnchor) MoveAnchor(anchor);
}

// A scroll bar of the grid's own (not a child's, whose notices come with its handle).
bool TCustomGrid::WMScroll(TMessage& m) {
  if (m.LParam == 0) {
    ModifyScrollBar(m.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(m.WParam), HIWORD(m.WParam));
    m.Result = 0;
    return true;
  }
  return false;
}

// The timer of a mouse selection or drag: the move follows the mouse beyond the cells.
bool TCustomGrid::WMTimer(TMessage& m) {
  if (m.WParam == kScrollTimer) {
    if (FGridState != gsSelecting && FGridState != gsRowMoving && FGridState != gsColMoving) return true;
    POINT p;
    ::GetCursorPos(&p);
    ::ScreenToClient(FHandle, &p);
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const TGridCoord hit = CalcCoordFromPoint(p.x, p.y, info);
    if (FGridState == gsColMoving) {
      MoveAndScroll(p.x, hit.X, info, info.Horz, SB_HORZ, Point(p.x, p.y));
    } else if (FGridState == gsRowMoving) {
      MoveAndScroll(p.y, hit.Y, info, info.Vert, SB_VERT, Point(p.x, p.y));
    } else {
      unsigned dir = 0;
      if (p.x < info.Horz.FixedBoundary) dir |= sdLeft;
      else if (p.x > info.Horz.FullVisBoundary) dir |= sdRight;
      if (p.y < info.Vert.FixedBoundary) dir |= sdUp;
      else if (p.y > info.Vert.FullVisBoundary) dir |= sdDown;
      if (dir) TimedScroll(dir);
    }
    return true;
  }
  return false;
}
