// TCustomGrid: model, geometry, scrolling, painting, keys and mouse (see Grids.h).
//
// The algorithms are the platform grid's. Two adjustments to this framework's key
// order: a dialog key the grid does not want (WM_GETDLGCODE) goes to the form before
// the grid's KeyDown sees it, and a character that opens the editor is not offered to
// the grid's KeyPress on the way (the editor offers it when it arrives there), so each
// key event reaches the grid once, in the platform's order.
#include "ui/Grids.h"

#include <algorithm>

using namespace ui_win;

const char* const SGridIndexOutOfRange = "Grid index out of range";
const char* const SFixedColTooBig = "Fixed column count must be less than column count";
const char* const SFixedRowTooBig = "Fixed row count must be less than row count";
const char* const STooManyDeleted = "Too many rows or columns deleted";
const char* const SGridTooLarge = "Grid too large for operation";

namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr unsigned sdLeft = 1, sdRight = 2, sdUp = 4, sdDown = 8;

[[noreturn]] void InvalidOp(const char* text) { throw EInvalidGridOperation(text); }

TShiftState MouseShift(WPARAM w) {
  TShiftState s;
  if (w & MK_SHIFT) s << ssShift;
  if (w & MK_CONTROL) s << ssCtrl;
  if (w & MK_LBUTTON) s << ssLeft;
  if (w & MK_RBUTTON) s << ssRight;
  if (::GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

// Clears a flag at the end of a scope, also when painting throws.
class FlagScope {
 public:
  explicit FlagScope(bool& f) : FFlag(f) { f = true; }
  ~FlagScope() { FFlag = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& FFlag;
};

}  // namespace

namespace ui_grid_detail {
// A key of the dialog kind that a control does not take goes to its form first; true
// when the form used it.
bool OfferDialogKey(TWinControl* c, bool wanted, TMessage& m) {
  const WORD key = static_cast<WORD>(m.WParam);
  switch (key) {
    case VK_TAB: case VK_RETURN: case VK_ESCAPE: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: break;
    default: return false;
  }
  if (wanted) return false;
  TCustomForm* form = GetParentForm(c);
  return form && form != c && form->Perform(CM_DIALOGKEY, key, m.LParam) != 0;
}
}  // namespace ui_grid_detail
using ui_grid_detail::OfferDialogKey;

// ============================================================================ construction

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks};
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(true);
  SetBounds(Left(), Top(), FColCount * FDefaultColWidth, FRowCount * FDefaultRowHeight);
  Initialize();
}

TCustomGrid::~TCustomGrid() {
  if (FTimer && HandleAllocated()) ::KillTimer(FHandle, kScrollTimer);
}

void TCustomGrid::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style |= WS_TABSTOP | WS_CLIPCHILDREN;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
  if (FBorderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::CreateHandle() {
  TCustomControl::CreateHandle();
  UpdateScrollRange();
}

void TCustomGrid::Initialize() {
  FTopLeft = {FFixedCols, FFixedRows};
  FCurrent = FTopLeft;
  FAnchor = FCurrent;
  if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
}

// ============================================================================ properties

int TCustomGrid::GetColWidths(int index) { return FColWidths.Get(index, FDefaultColWidth); }

int TCustomGrid::GetRowHeights(int index) { return FRowHeights.Get(index, FDefaultRowHeight); }

void TCustomGrid::SetColWidths(int index, int value) {
  if (index < 0 || index >= FColCount) InvalidOp(SGridIndexOutOfRange);
  if (FColWidths.Assigned() && FColWidths.Get(index, FDefaultColWidth) == value) return;
  if (!FColWidths.Assigned() && value == FDefaultColWidth) {
    FColWidths.Set(index, value, FColCount, FDefaultColWidth);
    return;
  }
  FColWidths.Set(index, value, FColCount, FDefaultColWidth);
  InvalidateGrid();
  ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(int index, int value) {
  if (index < 0 || index >= FRowCount) InvalidOp(SGridIndexOutOfRange);
  if (FRowHeights.Assigned() && FRowHeights.Get(index, FDefaultRowHeight) == value) return;
  if (!FRowHeights.Assigned() && value == FDefaultRowHeight) {
    FRowHeights.Set(index, value, FRowCount, FDefaultRowHeight);
    return;
  }
  FRowHeights.Set(index, value, FRowCount, FDefaultRowHeight);
  InvalidateGrid();
  RowHeightsChanged();
}

bool TCustomGrid::TabStops(int index) const { return FTabStops.Get(index, 1) != 0; }

void TCustomGrid::SetTabStops(int index, bool value) {
  if (index < 0 || index >= FColCount) InvalidOp(SGridIndexOutOfRange);
  FTabStops.Set(index, value ? 1 : 0, FColCount, 1);
}

void TCustomGrid::SetDefaultColWidth(int v) {
  if (v == FDefaultColWidth && !FColWidths.Assigned()) return;
  FColWidths.Clear();
  FDefaultColWidth = v;
  ColWidthsChanged();
  InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(int v) {
  if (v == FDefaultRowHeight && !FRowHeights.Assigned()) return;
  FRowHeights.Clear();
  FDefaultRowHeight = v;
  RowHeightsChanged();
  InvalidateGrid();
}

void TCustomGrid::SetGridLineWidth(int v) {
  if (v == FGridLineWidth) return;
  FGridLineWidth = v;
  InvalidateGrid();
  UpdateScrollRange();
}

void TCustomGrid::SetOptions(TGridOptions v) {
  if (v == FOptions) return;
  if (v.Contains(goRowSelect)) v >> goAlwaysShowEditor;
  FOptions = v;
  if (!FEditorMode) {
    if (AlwaysShowEditor(Col()))
      ShowEditor();
    else
      HideEditor();
  }
  if (v.Contains(goRowSelect)) MoveCurrent(Col(), Row(), true, false);
  InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle v) {
  if (v == FScrollBars) return;
  FScrollBars = v;
  if (HandleAllocated()) {
    ::ShowScrollBar(FHandle, SB_VERT, v == ssVertical || v == ssBoth);
    ::ShowScrollBar(FHandle, SB_HORZ, v == ssHorizontal || v == ssBoth);
    UpdateScrollRange();
  }
}

void TCustomGrid::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  if (HandleAllocated()) {
    LONG_PTR ex = ::GetWindowLongPtrW(FHandle, GWL_EXSTYLE);
    ex = v == bsSingle ? (ex | WS_EX_CLIENTEDGE) : (ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
    ::SetWindowLongPtrW(FHandle, GWL_EXSTYLE, ex);
    ::SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TCustomGrid::SetFixedColor(TColor v) {
  if (v == FFixedColor) return;
  FFixedColor = v;
  InvalidateGrid();
}

void TCustomGrid::SetDefaultDrawing(bool v) {
  if (v == FDefaultDrawing) return;
  FDefaultDrawing = v;
  Invalidate();
}

int TCustomGrid::ClampedCount(int v) const { return std::max(v, 1); }

void TCustomGrid::SetColCount(int v) {
  if (v == FColCount) return;
  v = ClampedCount(v);
  if (v <= FFixedCols) SetFixedCols(v - 1);
  ChangeSize(v, FRowCount);
  if (FOptions.Contains(goRowSelect)) {
    FAnchor.X = FColCount - 1;
    Invalidate();
  }
}

void TCustomGrid::SetRowCount(int v) {
  if (v == FRowCount) return;
  v = ClampedCount(v);
  if (v <= FFixedRows) SetFixedRows(v - 1);
  ChangeSize(FColCount, v);
}

void TCustomGrid::SetFixedCols(int v) {
  if (v == FFixedCols) return;
  if (v < 0) InvalidOp(SGridIndexOutOfRange);
  if (v >= FColCount) InvalidOp(SFixedColTooBig);
  FFixedCols = v;
  Initialize();
  InvalidateGrid();
  UpdateScrollRange();
}

void TCustomGrid::SetFixedRows(int v) {
  if (v == FFixedRows) return;
  if (v < 0) InvalidOp(SGridIndexOutOfRange);
  if (v >= FRowCount) InvalidOp(SFixedRowTooBig);
  FFixedRows = v;
  Initialize();
  InvalidateGrid();
  UpdateScrollRange();
}

void TCustomGrid::ChangeSize(int NewColCount, int NewRowCount) {
  const int oldColCount = FColCount, oldRowCount = FRowCount;
  FColCount = NewColCount;
  FRowCount = NewRowCount;
  if (FFixedCols > NewColCount) FFixedCols = NewColCount - 1;
  if (FFixedRows > NewRowCount) FFixedRows = NewRowCount - 1;
  FColWidths.Resize(FColCount, FDefaultColWidth);
  FTabStops.Resize(FColCount, 1);
  FRowHeights.Resize(FRowCount, FDefaultRowHeight);
  TGridCoord coord = FCurrent;
  if (Row() >= FRowCount) coord.Y = FRowCount - 1;
  if (Col() >= FColCount) coord.X = FColCount - 1;
  if (FCurrent != coord) MoveCurrent(coord.X, coord.Y, true, true);
  if (FAnchor != coord && (FAnchor.X >= FColCount || FAnchor.Y >= FRowCount)) MoveAnchor(coord);
  if (FTopLeft.X >= FColCount) FTopLeft.X = std::max(FFixedCols, FColCount - 1);
  if (FTopLeft.Y >= FRowCount) FTopLeft.Y = std::max(FFixedRows, FRowCount - 1);
  InvalidateGrid();
  UpdateScrollRange();
  SizeChanged(oldColCount, oldRowCount);
}

// ============================================================================ geometry

void TCustomGrid::CalcFixedInfo(TGridDrawInfo& info) {
  const int hLine = (FOptions.Contains(goFixedVertLine) || FOptions.Contains(goVertLine)) ? FGridLineWidth : 0;
  const int vLine = (FOptions.Contains(goFixedHorzLine) || FOptions.Contains(goHorzLine)) ? FGridLineWidth : 0;
  grid_geometry::CalcFixedAxis(info.Horz, hLine, FFixedCols, FFixedCols, FTopLeft.X, FColCount,
                               [this](int i) { return GetColWidths(i); });
  grid_geometry::CalcFixedAxis(info.Vert, vLine, FFixedRows, FFixedRows, FTopLeft.Y, FRowCount,
                               [this](int i) { return GetRowHeights(i); });
}

void TCustomGrid::CalcDrawInfoXY(TGridDrawInfo& info, int useWidth, int useHeight) {
  CalcFixedInfo(info);
  grid_geometry::CalcAxis(info.Horz, useWidth);
  grid_geometry::CalcAxis(info.Vert, useHeight);
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& info) { CalcDrawInfoXY(info, ClientWidth(), ClientHeight()); }

TGridCoord TCustomGrid::CalcMaxTopLeft(const TGridCoord& coord, const TGridDrawInfo& info) {
  return {grid_geometry::CalcMaxCell(info.Horz, coord.X), grid_geometry::CalcMaxCell(info.Vert, coord.Y)};
}

TGridCoord TCustomGrid::CalcCoordFromPoint(int X, int Y, const TGridDrawInfo& info) {
  return {grid_geometry::CellAtPos(info.Horz, X), grid_geometry::CellAtPos(info.Vert, Y)};
}

void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                  TGridDrawInfo& FixedInfo) {
  State = gsNormal;
  Index = -1;
  if (!FOptions.Contains(goColSizing) && !FOptions.Contains(goRowSizing)) return;
  FixedInfo.Vert.GridExtent = ClientHeight();
  FixedInfo.Horz.GridExtent = ClientWidth();
  TGridSizingHit hit;
  TGridState state = gsNormal;
  if (X > FixedInfo.Horz.FixedBoundary && FOptions.Contains(goColSizing)) {
    if (Y >= FixedInfo.Vert.FixedBoundary) return;
    hit = grid_geometry::SizingHit(FixedInfo.Horz, X);
    state = gsColSizing;
  } else if (Y > FixedInfo.Vert.FixedBoundary && FOptions.Contains(goRowSizing)) {
    if (X >= FixedInfo.Horz.FixedBoundary) return;
    hit = grid_geometry::SizingHit(FixedInfo.Vert, Y);
    state = gsRowSizing;
  }
  if (!hit.Hit) return;
  State = state;
  Index = hit.Index;
  SizingPos = hit.Pos;
  SizingOfs = hit.Ofs;
}

TRect TCustomGrid::CellRect(int ACol, int ARow) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return grid_geometry::GridRectToScreenRect(info, {ACol, ARow, ACol, ARow}, false);
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) {
  const TGridCoord c = MouseCoord(X, Y);
  ACol = c.X;
  ARow = c.Y;
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TGridCoord c = CalcCoordFromPoint(X, Y, info);
  if (c.X < 0) c.Y = -1;
  else if (c.Y < 0) c.X = -1;
  return c;
}

int TCustomGrid::VisibleColCount() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return info.Horz.LastFullVisibleCell - LeftCol() + 1;
}

int TCustomGrid::VisibleRowCount() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return info.Vert.LastFullVisibleCell - TopRow() + 1;
}

int TCustomGrid::GridWidth() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return info.Horz.GridBoundary;
}

int TCustomGrid::GridHeight() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return info.Vert.GridBoundary;
}

// ============================================================================ invalidation

void TCustomGrid::InvalidateGridRect(const TGridRect& r) {
  if (!HandleAllocated() || FPainting) return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const TRect s = grid_geometry::GridRectToScreenRect(info, r, true);
  RECT rc{s.Left, s.Top, s.Right, s.Bottom};
  ::InvalidateRect(FHandle, &rc, FALSE);
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) { InvalidateGridRect({ACol, ARow, ACol, ARow}); }

void TCustomGrid::InvalidateCol(int ACol) {
  if (!HandleAllocated()) return;
  InvalidateGridRect({ACol, 0, ACol, TopRow() + VisibleRowCount() + 1});
}

void TCustomGrid::InvalidateRow(int ARow) {
  if (!HandleAllocated()) return;
  InvalidateGridRect({0, ARow, LeftCol() + VisibleColCount() + 1, ARow});
}

void TCustomGrid::InvalidateGrid() {
  if (!FPainting) Invalidate();
}

void TCustomGrid::InvalidateEditor() {
  FInplaceCol = -1;
  FInplaceRow = -1;
  UpdateEdit();
}

// ============================================================================ current cell

bool TCustomGrid::SelectCell(int, int) { return true; }

TGridRect TCustomGrid::Selection() const {
  return {std::min(FCurrent.X, FAnchor.X), std::min(FCurrent.Y, FAnchor.Y), std::max(FCurrent.X, FAnchor.X),
          std::max(FCurrent.Y, FAnchor.Y)};
}

void TCustomGrid::SetSelection(const TGridRect& v) {
  const TGridRect old = Selection();
  FAnchor = {v.Left, v.Top};
  FCurrent = {v.Right, v.Bottom};
  SelectionMoved(old);
}

void TCustomGrid::SelectionMoved(const TGridRect& OldSel) {
  if (!HandleAllocated()) return;
  const TGridRect now = Selection();
  if (now == OldSel) return;
  InvalidateGridRect(OldSel);
  InvalidateGridRect(now);
}

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
  if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount) InvalidOp(SGridIndexOutOfRange);
  if (!SelectCell(ACol, ARow)) return;
  const TGridRect oldSel = Selection();
  const TGridCoord oldCurrent = FCurrent;
  FCurrent = {ACol, ARow};
  if (!AlwaysShowEditor(Col())) HideEditor();
  if (MoveAnchor || !FOptions.Contains(goRangeSelect)) {
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
  }
  if (FOptions.Contains(goRowSelect)) FCurrent.X = FFixedCols;
  if (Show) ClampInView(FCurrent);
  SelectionMoved(oldSel);
  InvalidateCell(oldCurrent.X, oldCurrent.Y);
  InvalidateCell(ACol, ARow);
}

void TCustomGrid::MoveAnchor(const TGridCoord& NewAnchor) {
  if (!FOptions.Contains(goRangeSelect)) {
    MoveCurrent(NewAnchor.X, NewAnchor.Y, true, true);
    return;
  }
  const TGridRect oldSel = Selection();
  FAnchor = NewAnchor;
  if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
  ClampInView(NewAnchor);
  SelectionMoved(oldSel);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
  MoveCurrent(ACol, ARow, MoveAnchor, true);
  UpdateEdit();
  Click();
}

void TCustomGrid::SetCol(int v) {
  if (Col() != v) FocusCell(v, Row(), true);
}

void TCustomGrid::SetRow(int v) {
  if (Row() != v) FocusCell(Col(), v, true);
}

void TCustomGrid::SetLeftCol(int v) {
  if (FTopLeft.X != v) MoveTopLeft(v, TopRow());
}

void TCustomGrid::SetTopRow(int v) {
  if (FTopLeft.Y != v) MoveTopLeft(LeftCol(), v);
}

void TCustomGrid::ClampInView(const TGridCoord& Coord) {
  if (!HandleAllocated()) return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  if (Coord.X > info.Horz.LastFullVisibleCell || Coord.Y > info.Vert.LastFullVisibleCell ||
      Coord.X < LeftCol() || Coord.Y < TopRow()) {
    const TGridCoord old = FTopLeft;
    const TGridCoord maxTopLeft = CalcMaxTopLeft(Coord, info);
    if (Coord.X < LeftCol()) {
      if (!FOptions.Contains(goRowSelect)) FTopLeft.X = Coord.X;
    } else if (Coord.X > info.Horz.LastFullVisibleCell) {
      FTopLeft.X = maxTopLeft.X;
    }
    if (Coord.Y < TopRow())
      FTopLeft.Y = Coord.Y;
    else if (Coord.Y > info.Vert.LastFullVisibleCell)
      FTopLeft.Y = maxTopLeft.Y;
    TopLeftMoved(old);
  }
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
  if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
  const TGridCoord old = FTopLeft;
  FTopLeft = {ALeft, ATop};
  TopLeftMoved(old);
}

// The whole grid is repainted: painting goes through one off-screen bitmap anyway.
void TCustomGrid::TopLeftMoved(const TGridCoord& OldTopLeft) {
  if (FTopLeft == OldTopLeft) return;
  UpdateScrollPos();
  InvalidateGrid();
  TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
  if (FEditorMode && FInplaceEdit) FInplaceEdit->UpdateLoc(CellRect(Col(), Row()));
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

// ============================================================================ scroll bars

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

// ============================================================================ structure

void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}

void TCustomGrid::ColWidthsChanged() {
  UpdateScrollRange();
  UpdateEdit();
}

void TCustomGrid::RowHeightsChanged() {
  UpdateScrollRange();
  UpdateEdit();
}

namespace {
// An index that follows its line when line `from` moves to `to`.
void MoveAdjust(int& index, int from, int to) {
  if (index == from)
    index = to;
  else if (index > from && index <= to)
    --index;
  else if (index < from && index >= to)
    ++index;
}
}  // namespace

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
  if (FromIndex == ToIndex) return;
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= FColCount || ToIndex >= FColCount) InvalidOp(SGridIndexOutOfRange);
  if (FColWidths.Assigned()) {
    FColWidths.Move(FromIndex, ToIndex);
    FTabStops.Move(FromIndex, ToIndex);
  }
  MoveAdjust(FCurrent.X, FromIndex, ToIndex);
  MoveAdjust(FAnchor.X, FromIndex, ToIndex);
  MoveAdjust(FInplaceCol, FromIndex, ToIndex);
  InvalidateGrid();
  ColumnMoved(FromIndex, ToIndex);
  if (FColWidths.Assigned()) ColWidthsChanged();
  UpdateEdit();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
  if (FromIndex == ToIndex) return;
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= FRowCount || ToIndex >= FRowCount) InvalidOp(SGridIndexOutOfRange);
  FRowHeights.Move(FromIndex, ToIndex);
  MoveAdjust(FCurrent.Y, FromIndex, ToIndex);
  MoveAdjust(FAnchor.Y, FromIndex, ToIndex);
  MoveAdjust(FInplaceRow, FromIndex, ToIndex);
  InvalidateGrid();
  RowMoved(FromIndex, ToIndex);
  if (FRowHeights.Assigned()) RowHeightsChanged();
  UpdateEdit();
}

void TCustomGrid::DeleteColumn(int ACol) {
  MoveColumn(ACol, FColCount - 1);
  SetColCount(FColCount - 1);
}

void TCustomGrid::DeleteRow(int ARow) {
  MoveRow(ARow, FRowCount - 1);
  SetRowCount(FRowCount - 1);
}

// ============================================================================ editing

bool TCustomGrid::IsActiveControl() {
  if (TCustomForm* form = GetParentForm(this)) return form->ActiveControl() == this;
  HWND h = ::GetFocus();
  while (h && ::IsWindow(h)) {
    if (h == FHandle) return true;
    h = ::GetParent(h);
  }
  return false;
}

bool TCustomGrid::CanEditShow() {
  return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && FEditorMode && HandleAllocated() &&
         (AlwaysShowEditor(Col()) || IsActiveControl());
}

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

void TCustomGrid::UpdateEdit() {
  if (!CanEditShow()) return;
  auto updateEditor = [this] {
    FInplaceEdit->UpdateContents();
    // The editor's cell is set after its text is loaded, so nothing the load may
    // announce is written back into a cell.
    FInplaceCol = Col();
    FInplaceRow = Row();
    FCanEditModify = FInplaceEdit->MaxLength() != -1;
    FInplaceEdit->SelectAll();
  };
  if (!FInplaceEdit) {
    FInplaceEdit = CreateEditor();
    FInplaceEdit->SetGrid(this);
    FInplaceEdit->SetParent(this);
    FInplaceEdit->HandleNeeded();
    updateEditor();
  } else if (Col() != FInplaceCol || Row() != FInplaceRow) {
    HideEdit();
    updateEditor();
  }
  if (CanEditShow()) FInplaceEdit->Move(CellRect(Col(), Row()));
}

void TCustomGrid::HideEdit() {
  if (!FInplaceEdit) return;
  struct Finally {
    TCustomGrid* g;
    ~Finally() {
      g->FInplaceCol = -1;
      g->FInplaceRow = -1;
      g->FInplaceEdit->Hide();
    }
  } finally{this};
  UpdateText();
}

void TCustomGrid::UpdateText() {
  if (FInplaceCol != -1 && FInplaceRow != -1 && FInplaceEdit)
    SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGrid::ShowEditor() {
  FEditorMode = true;
  UpdateEdit();
}

void TCustomGrid::HideEditor() {
  FEditorMode = false;
  HideEdit();
}

void TCustomGrid::SetEditorMode(bool v) {
  if (!v) {
    HideEditor();
  } else {
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->HandleAllocated()) FInplaceEdit->Deselect();
  }
}

void TCustomGrid::ShowEditorChar(WPARAM Ch) {
  ShowEditor();
  if (FInplaceEdit && FInplaceEdit->HandleAllocated()) ::PostMessageW(FInplaceEdit->Handle(), WM_CHAR, Ch, 0);
}

// ============================================================================ painting

void TCustomGrid::DrawLines(const TGridDrawInfo& info, bool DoHorz, bool DoVert, int ACol, int ARow, const TRect& Box,
                            TColor OnColor, TColor OffColor, bool SkipLeadingHidden) {
  if (Box.Left == Box.Right || Box.Top == Box.Bottom) return;
  HDC dc = Canvas()->Handle();
  auto axis = [&](const TGridAxisDrawInfo& a, int cell, bool vertical, bool useOn) {
    if (a.EffectiveLineWidth == 0) return;
    const std::vector<TGridStroke> strokes = grid_geometry::AxisLines(a, cell, vertical, Box, SkipLeadingHidden);
    if (strokes.empty()) return;
    LOGBRUSH lb{BS_SOLID, ColorToRGB(useOn ? OnColor : OffColor), 0};
    GdiObject<HPEN> pen(FGridLineWidth > 1
                            ? ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER,
                                             static_cast<DWORD>(FGridLineWidth), &lb, 0, nullptr)
                            : ::CreatePen(PS_SOLID, 1, lb.lbColor));
    Selected sel(dc, pen.get());
    std::vector<POINT> points;
    std::vector<DWORD> counts(strokes.size(), 2);
    points.reserve(strokes.size() * 2);
    for (const TGridStroke& s : strokes) {
      points.push_back({s.From.X, s.From.Y});
      points.push_back({s.To.X, s.To.Y});
    }
    ::PolyPolyline(dc, points.data(), counts.data(), static_cast<DWORD>(counts.size()));
  };
  // Vertical lines are drawn last when horizontal ones are off, as the platform does.
  if (!DoHorz) {
    axis(info.Vert, ARow, false, DoHorz);
    axis(info.Horz, ACol, true, DoVert);
  } else {
    axis(info.Horz, ACol, true, DoVert);
    axis(info.Vert, ARow, false, DoHorz);
  }
}

void TCustomGrid::DrawCells(const TGridDrawInfo& info, int ACol, int ARow, const TRect& Box, TColor AColor,
                            TGridDrawState IncludeDrawState) {
  TCanvas* cv = Canvas();
  const TGridRect sel = Selection();
  const bool focused = IsActiveControl();
  unsigned frame1 = 0, frame2 = 0;
  if (FOptions.Contains(goFixedVertLine)) {
    frame1 = BF_RIGHT;
    frame2 = BF_LEFT;
  }
  if (FOptions.Contains(goFixedHorzLine)) {
    frame1 |= BF_BOTTOM;
    frame2 |= BF_TOP;
  }
  int curRow = ARow;
  TRect where;
  where.Top = Box.Top;
  while (where.Top < Box.Bottom && curRow < FRowCount) {
    int curCol = ACol;
    where.Left = Box.Left;
    where.Bottom = where.Top + GetRowHeights(curRow);
    while (where.Left < Box.Right && curCol < FColCount) {
      where.Right = where.Left + GetColWidths(curCol);
      if (where.Right > where.Left && where.Bottom > where.Top) {
        TGridDrawState state = IncludeDrawState;
        if (focused && curRow == Row() && curCol == Col()) state << gdFocused;
        if (sel.Contains(curCol, curRow)) state << gdSelected;
        if (!state.Contains(gdFocused) || !FOptions.Contains(goEditing) || !FEditorMode) {
          if (FDefaultDrawing) {
            cv->Font()->Assign(Font());
            if (state.Contains(gdSelected) && (!state.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) ||
                                               FOptions.Contains(goRowSelect))) {
              cv->Brush()->SetColor(clHighlight);
              cv->Font()->SetColor(clHighlightText);
            } else {
              cv->Brush()->SetColor(AColor);
            }
            cv->Brush()->SetStyle(bsSolid);
            cv->FillRect(where);
          }
          DrawCell(curCol, curRow, where, state);
          if (FDefaultDrawing && state.Contains(gdFixed) && (frame1 | frame2) != 0) {
            TRect r = where;
            if ((frame1 & BF_RIGHT) == 0)
              r.Right += info.Horz.EffectiveLineWidth;
            else if ((frame1 & BF_BOTTOM) == 0)
              r.Bottom += info.Vert.EffectiveLineWidth;
            TRect r2 = r;
            cv->DrawEdge(r, BDR_RAISEDINNER, frame1);
            cv->DrawEdge(r2, BDR_RAISEDINNER, frame2);
          }
          if (FDefaultDrawing && state.Contains(gdFocused) &&
              !(FOptions.Contains(goEditing) && AlwaysShowEditor(Col())) && !FOptions.Contains(goRowSelect)) {
            cv->Brush()->SetColor(AColor);
            cv->DrawFocusRect(where);
          }
        }
      }
      where.Left = where.Right + info.Horz.EffectiveLineWidth;
      ++curCol;
    }
    where.Top = where.Bottom + info.Vert.EffectiveLineWidth;
    ++curRow;
  }
}

void TCustomGrid::Paint() {
  FlagScope painting(FPainting);
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const TGridAxisDrawInfo& h = info.Horz;
  const TGridAxisDrawInfo& v = info.Vert;
  if (h.EffectiveLineWidth > 0 || v.EffectiveLineWidth > 0) {
    const TColor lineColor = ColorToRGB(Color()) == static_cast<COLORREF>(clSilver) ? clGray : clSilver;
    const bool fh = FOptions.Contains(goFixedHorzLine), fv = FOptions.Contains(goFixedVertLine);
    DrawLines(info, fh, fv, 0, 0, Rect(0, 0, h.FixedBoundary, v.FixedBoundary), clBlack, FFixedColor);
    DrawLines(info, fh, fv, LeftCol(), 0, Rect(h.FixedBoundary, 0, h.GridBoundary, v.FixedBoundary), clBlack,
              FFixedColor);
    DrawLines(info, fh, fv, 0, TopRow(), Rect(0, v.FixedBoundary, h.FixedBoundary, v.GridBoundary), clBlack,
              FFixedColor);
    DrawLines(info, FOptions.Contains(goHorzLine), FOptions.Contains(goVertLine), LeftCol(), TopRow(),
              Rect(h.FixedBoundary, v.FixedBoundary, h.GridBoundary, v.GridBoundary), lineColor, Color());
  }
  DrawCells(info, 0, 0, Rect(0, 0, h.FixedBoundary, v.FixedBoundary), FFixedColor, {gdFixed});
  DrawCells(info, LeftCol(), 0, Rect(h.FixedBoundary - FColOffset, 0, h.GridBoundary, v.FixedBoundary), FFixedColor,
            {gdFixed});
  DrawCells(info, 0, TopRow(), Rect(0, v.FixedBoundary, h.FixedBoundary, v.GridBoundary), FFixedColor, {gdFixed});
  DrawCells(info, LeftCol(), TopRow(),
            Rect(h.FixedBoundary - FColOffset, v.FixedBoundary, h.GridBoundary, v.GridBoundary), Color(), {});
  if (FOptions.Contains(goRowSelect) && FDefaultDrawing && Focused()) {
    const TRect r = grid_geometry::GridRectToScreenRect(info, Selection(), false);
    Canvas()->DrawFocusRect(r);
  }
  Canvas()->Brush()->SetColor(Color());
  Canvas()->Brush()->SetStyle(bsSolid);
  if (h.GridBoundary < h.GridExtent) Canvas()->FillRect(Rect(h.GridBoundary, 0, h.GridExtent, v.GridBoundary));
  if (v.GridBoundary < v.GridExtent) Canvas()->FillRect(Rect(0, v.GridBoundary, h.GridExtent, v.GridExtent));
}

// An XOR line on the screen: drawn twice, it is gone.
void TCustomGrid::DrawSizingLine(const TGridDrawInfo& info) {
  if (!HandleAllocated()) return;
  WindowDC dc(FHandle);
  GdiObject<HPEN> pen(::CreatePen(PS_DOT, 1, RGB(255, 255, 255)));
  Selected sel(dc.dc(), pen.get());
  const int oldRop = ::SetROP2(dc.dc(), R2_XORPEN);
  if (FGridState == gsRowSizing) {
    ::MoveToEx(dc.dc(), 0, FSizingPos, nullptr);
    ::LineTo(dc.dc(), info.Horz.GridBoundary, FSizingPos);
  } else {
    ::MoveToEx(dc.dc(), FSizingPos, 0, nullptr);
    ::LineTo(dc.dc(), FSizingPos, info.Vert.GridBoundary);
  }
  ::SetROP2(dc.dc(), oldRop);
}

void TCustomGrid::DrawMove() {
  if (!HandleAllocated()) return;
  WindowDC dc(FHandle);
  GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 5, RGB(255, 255, 255)));
  Selected sel(dc.dc(), pen.get());
  const int oldRop = ::SetROP2(dc.dc(), R2_XORPEN);
  if (FGridState == gsRowMoving) {
    const TRect r = CellRect(0, FMovePos);
    const int pos = FMovePos > FMoveIndex ? r.Bottom : r.Top;
    ::MoveToEx(dc.dc(), 0, pos, nullptr);
    ::LineTo(dc.dc(), ClientWidth(), pos);
  } else {
    const TRect r = CellRect(FMovePos, 0);
    const int pos = FMovePos > FMoveIndex ? r.Right : r.Left;
    ::MoveToEx(dc.dc(), pos, 0, nullptr);
    ::LineTo(dc.dc(), pos, ClientHeight());
  }
  ::SetROP2(dc.dc(), oldRop);
  FMoveDrawn = !FMoveDrawn;
}

// ============================================================================ keyboard

void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (!CanGridAcceptKey(Key, Shift)) Key = 0;
  TGridCoord newCurrent = FCurrent;
  TGridCoord newTopLeft = FTopLeft;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const int pageWidth = std::max(1, info.Horz.LastFullVisibleCell - LeftCol());
  const int pageHeight = std::max(1, info.Vert.LastFullVisibleCell - TopRow());
  const bool rowSelect = FOptions.Contains(goRowSelect);
  if (Shift.Contains(ssCtrl)) {
    switch (Key) {
      case VK_UP: --newTopLeft.Y; break;
      case VK_DOWN: ++newTopLeft.Y; break;
      case VK_LEFT:
        if (!rowSelect) {
          newCurrent.X -= pageWidth;
          newTopLeft.X -= pageWidth;
        }
        break;
      case VK_RIGHT:
        if (!rowSelect) {
          newCurrent.X += pageWidth;
          newTopLeft.X += pageWidth;
        }
        break;
      case VK_PRIOR: newCurrent.Y = TopRow(); break;
      case VK_NEXT: newCurrent.Y = info.Vert.LastFullVisibleCell; break;
      case VK_HOME:
        newCurrent.X = FFixedCols;
        newCurrent.Y = FFixedRows;
        break;
      case VK_END:
        newCurrent.X = FColCount - 1;
        newCurrent.Y = FRowCount - 1;
        break;
      default: break;
    }
  } else {
    switch (Key) {
      case VK_UP: --newCurrent.Y; break;
      case VK_DOWN: ++newCurrent.Y; break;
      case VK_LEFT:
        if (rowSelect) --newTopLeft.X; else --newCurrent.X;
        break;
      case VK_RIGHT:
        if (rowSelect) ++newTopLeft.X; else ++newCurrent.X;
        break;
      case VK_NEXT:
        newCurrent.Y += pageHeight;
        newTopLeft.Y += pageHeight;
        break;
      case VK_PRIOR:
        newCurrent.Y -= pageHeight;
        newTopLeft.Y -= pageHeight;
        break;
      case VK_HOME:
        if (rowSelect) newCurrent.Y = FFixedRows; else newCurrent.X = FFixedCols;
        break;
      case VK_END:
        if (rowSelect) newCurrent.Y = FRowCount - 1; else newCurrent.X = FColCount - 1;
        break;
      case VK_TAB:
        if (!Shift.Contains(ssAlt)) {
          const bool back = Shift.Contains(ssShift);
          // Tab moves the anchor with the current cell, with Shift or without.
          Shift >> ssShift;
          for (int guard = 0; guard <= FColCount * 2; ++guard) {
            if (back) {
              if (--newCurrent.X < FFixedCols) {
                newCurrent.X = FColCount - 1;
                if (--newCurrent.Y < FFixedRows) newCurrent.Y = FRowCount - 1;
              }
            } else if (++newCurrent.X >= FColCount) {
              newCurrent.X = FFixedCols;
              if (++newCurrent.Y >= FRowCount) newCurrent.Y = FFixedRows;
            }
            if (TabStops(newCurrent.X) || newCurrent.X == FCurrent.X) break;
          }
        }
        break;
      case VK_F2: SetEditorMode(true); break;
      default: break;
    }
  }
  const TGridCoord maxTopLeft = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, info);
  newTopLeft.X = std::clamp(newTopLeft.X, FFixedCols, std::max(FFixedCols, maxTopLeft.X));
  newTopLeft.Y = std::clamp(newTopLeft.Y, FFixedRows, std::max(FFixedRows, maxTopLeft.Y));
  if (newTopLeft != FTopLeft) MoveTopLeft(newTopLeft.X, newTopLeft.Y);
  newCurrent.X = std::clamp(newCurrent.X, FFixedCols, FColCount - 1);
  newCurrent.Y = std::clamp(newCurrent.Y, FFixedRows, FRowCount - 1);
  if (newCurrent != FCurrent) FocusCell(newCurrent.X, newCurrent.Y, !Shift.Contains(ssShift));
}

void TCustomGrid::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (!AlwaysShowEditor(Col()) && Key == '\r') {
    if (FEditorMode)
      HideEditor();
    else
      ShowEditor();
    Key = 0;
  }
}

// Characters that open the editor are not key presses of the grid: the editor offers
// them to the grid's KeyPress when they arrive there.
void TCustomGrid::CNChar(TMessage& m) {
  const WPARAM ch = m.WParam;
  if (FOptions.Contains(goEditing) && (ch == 8 || ch >= 32)) {
    m.Result = 0;
    return;
  }
  TCustomControl::CNChar(m);
}

void TCustomGrid::WMChar(TMessage& m) {
  const WPARAM ch = m.WParam;
  if (FOptions.Contains(goEditing) && (ch == 8 || ch >= 32))
    ShowEditorChar(ch);
  else
    DefaultHandler(m);
}

void TCustomGrid::DoExit() {
  TCustomControl::DoExit();
  if (!AlwaysShowEditor(Col())) HideEditor();
}

bool TCustomGrid::DoMouseWheelDown(TShiftState, TPoint) {
  if (Row() < FRowCount - 1) SetRow(Row() + 1);
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState, TPoint) {
  if (Row() > FFixedRows) SetRow(Row() - 1);
  return true;
}

// ============================================================================ mouse

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  bool moveDrawn = false;
  HideEdit();
  if (CanFocus() || !GetParentForm(this)) {
    if (::GetFocus() != FHandle) SetFocus();
    if (!IsActiveControl()) {
      ::ReleaseCapture();
      return;
    }
  }
  if (Button == mbLeft && Shift.Contains(ssDouble)) {
    // the double click itself ran already (DblClick)
  } else if (Button == mbLeft) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    CalcSizingState(X, Y, FGridState, FSizingIndex, FSizingPos, FSizingOfs, info);
    if (FGridState != gsNormal) {
      ::SetCapture(FHandle);
      DrawSizingLine(info);
      return;
    }
    const TGridCoord hit = CalcCoordFromPoint(X, Y, info);
    if (hit.X >= FFixedCols && hit.Y >= FFixedRows) {
      if (FOptions.Contains(goEditing)) {
        if (hit == FCurrent) {
          ShowEditor();
        } else {
          MoveCurrent(hit.X, hit.Y, true, true);
          UpdateEdit();
        }
        Click();
      } else {
        FGridState = gsSelecting;
        ::SetCapture(FHandle);
        FTimer = ::SetTimer(FHandle, kScrollTimer, 60, nullptr) != 0;
        if (Shift.Contains(ssShift))
          MoveAnchor(hit);
        else
          MoveCurrent(hit.X, hit.Y, true, true);
      }
    } else if (FOptions.Contains(goRowMoving) && hit.X >= 0 && hit.X < FFixedCols && hit.Y >= FFixedRows) {
      FMoveIndex = hit.Y;
      FMovePos = FMoveIndex;
      if (BeginRowDrag(FMoveIndex, FMovePos, Point(X, Y))) {
        FGridState = gsRowMoving;
        Update();
        DrawMove();
        moveDrawn = true;
        ::SetCapture(FHandle);
        FTimer = ::SetTimer(FHandle, kScrollTimer, 60, nullptr) != 0;
      }
    } else if (FOptions.Contains(goColMoving) && hit.Y >= 0 && hit.Y < FFixedRows && hit.X >= FFixedCols) {
      FMoveIndex = hit.X;
      FMovePos = FMoveIndex;
      if (BeginColumnDrag(FMoveIndex, FMovePos, Point(X, Y))) {
        FGridState = gsColMoving;
        Update();
        DrawMove();
        moveDrawn = true;
        ::SetCapture(FHandle);
        FTimer = ::SetTimer(FHandle, kScrollTimer, 60, nullptr) != 0;
      }
    }
  }
  try {
    TCustomControl::MouseDown(Button, Shift, X, Y);
  } catch (...) {
    if (moveDrawn) DrawMove();
    throw;
  }
}

void TCustomGrid::MoveAndScroll(int Mouse, int CellHit, TGridDrawInfo& info, TGridAxisDrawInfo& axis, int Scrollbar,
                                TPoint MousePt) {
  if (CellHit == FMovePos || (FMovePos == axis.FixedCellCount && Mouse < axis.FixedBoundary) ||
      (FMovePos == axis.GridCellCount - 1 && Mouse > axis.GridBoundary))
    return;
  DrawMove();
  if (Mouse < axis.FixedBoundary) {
    if (FMovePos > axis.FixedCellCount) {
      ModifyScrollBar(Scrollbar, SB_LINEUP, 0);
      Update();
      CalcDrawInfo(info);
    }
    CellHit = axis.FirstGridCell;
  } else if (Mouse >= axis.FullVisBoundary) {
    if (FMovePos == axis.LastFullVisibleCell && FMovePos < axis.GridCellCount - 1) {
      ModifyScrollBar(Scrollbar, SB_LINEDOWN, 0);
      Update();
      CalcDrawInfo(info);
    }
    CellHit = axis.LastFullVisibleCell;
  } else if (CellHit < 0) {
    CellHit = FMovePos;
  }
  if ((FGridState == gsColMoving && CheckColumnDrag(FMoveIndex, CellHit, MousePt)) ||
      (FGridState == gsRowMoving && CheckRowDrag(FMoveIndex, CellHit, MousePt)))
    FMovePos = CellHit;
  DrawMove();
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  switch (FGridState) {
    case gsSelecting: case gsColMoving: case gsRowMoving: {
      const TGridCoord hit = CalcCoordFromPoint(X, Y, info);
      const bool colInView = hit.X >= FFixedCols && hit.X <= info.Horz.LastFullVisibleCell + 1;
      const bool rowInView = hit.Y >= FFixedRows && hit.Y <= info.Vert.LastFullVisibleCell + 1;
      // A column is dragged along the title row and a row along the fixed column, so a
      // move follows the mouse on its own axis only.
      if (FGridState == gsSelecting) {
        if (colInView && rowInView && hit != FAnchor) MoveAnchor(hit);
      } else if (FGridState == gsColMoving) {
        if (colInView) MoveAndScroll(X, hit.X, info, info.Horz, SB_HORZ, Point(X, Y));
      } else if (rowInView) {
        MoveAndScroll(Y, hit.Y, info, info.Vert, SB_VERT, Point(X, Y));
      }
      break;
    }
    case gsRowSizing: case gsColSizing:
      DrawSizingLine(info);
      FSizingPos = (FGridState == gsRowSizing ? Y : X) + FSizingOfs;
      DrawSizingLine(info);
      break;
    default: break;
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  struct Normal {
    TCustomGrid* g;
    ~Normal() {
      g->FGridState = gsNormal;
      if (g->FTimer && g->HandleAllocated()) ::KillTimer(g->FHandle, kScrollTimer);
      g->FTimer = false;
      if (g->HandleAllocated() && ::GetCapture() == g->FHandle) ::ReleaseCapture();
    }
  } normal{this};
  TGridDrawInfo info;
  switch (FGridState) {
    case gsSelecting:
      MouseMove(Shift, X, Y);
      UpdateEdit();
      Click();
      break;
    case gsRowSizing: case gsColSizing: {
      CalcDrawInfo(info);
      DrawSizingLine(info);
      if (FGridState == gsColSizing) {
        const int size = grid_geometry::ResizedExtent(info.Horz, FSizingIndex, FSizingPos);
        if (size > 1 && FSizingIndex < FColCount) SetColWidths(FSizingIndex, size);
      } else {
        const int size = grid_geometry::ResizedExtent(info.Vert, FSizingIndex, FSizingPos);
        if (size > 1 && FSizingIndex < FRowCount) SetRowHeights(FSizingIndex, size);
      }
      break;
    }
    case gsColMoving:
      if (FMoveDrawn) DrawMove();
      if (EndColumnDrag(FMoveIndex, FMovePos, Point(X, Y)) && FMoveIndex != FMovePos) MoveColumn(FMoveIndex, FMovePos);
      UpdateEdit();
      break;
    case gsRowMoving:
      if (FMoveDrawn) DrawMove();
      if (EndRowDrag(FMoveIndex, FMovePos, Point(X, Y)) && FMoveIndex != FMovePos) MoveRow(FMoveIndex, FMovePos);
      UpdateEdit();
      break;
    default:
      UpdateEdit();
      break;
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::CancelMode() {
  try {
    TGridDrawInfo info;
    switch (FGridState) {
      case gsSelecting: break;
      case gsRowSizing: case gsColSizing:
        CalcDrawInfo(info);
        DrawSizingLine(info);
        break;
      case gsColMoving: case gsRowMoving:
        if (FMoveDrawn) DrawMove();
        break;
      default: break;
    }
  } catch (...) {
    FGridState = gsNormal;
    throw;
  }
  if (FTimer && HandleAllocated()) ::KillTimer(FHandle, kScrollTimer);
  FTimer = false;
  FGridState = gsNormal;
}

// ============================================================================ window

void TCustomGrid::BoundsChanged(bool sized) {
  TCustomControl::BoundsChanged(sized);
  if (sized) UpdateScrollRange();
}

void TCustomGrid::FontChanged() {
  TCustomControl::FontChanged();
  InvalidateGrid();
}

void TCustomGrid::ColorChanged() {
  TCustomControl::ColorChanged();
  InvalidateGrid();
}

void TCustomGrid::WMSetFocus(TMessage& m) {
  TCustomControl::WMSetFocus(m);
  const HWND from = reinterpret_cast<HWND>(m.WParam);
  if (!FInplaceEdit || !FInplaceEdit->HandleAllocated() || from != FInplaceEdit->Handle()) {
    InvalidateGridRect(Selection());
    UpdateEdit();
  }
}

void TCustomGrid::WMKillFocus(TMessage& m) {
  TCustomControl::WMKillFocus(m);
  InvalidateGridRect(Selection());
  const HWND to = reinterpret_cast<HWND>(m.WParam);
  if (FInplaceEdit && (!FInplaceEdit->HandleAllocated() || to != FInplaceEdit->Handle())) HideEdit();
}

void TCustomGrid::WMSetCursor(TMessage& m) {
  HCURSOR cur = nullptr;
  if (LOWORD(m.LParam) == HTCLIENT) {
    TGridState state = FGridState;
    if (state == gsNormal) {
      TGridDrawInfo info;
      CalcDrawInfo(info);
      int index = 0, pos = 0, ofs = 0;
      CalcSizingState(FHitTest.X, FHitTest.Y, state, index, pos, ofs, info);
    }
    if (state == gsRowSizing)
      cur = CursorHandle(crVSplit);
    else if (state == gsColSizing)
      cur = CursorHandle(crHSplit);
  }
  if (cur) {
    ::SetCursor(cur);
    m.Result = 1;
  } else {
    TCustomControl::WMSetCursor(m);
  }
}

// The background is painted with the cells, into the same off-screen bitmap.
void TCustomGrid::WMEraseBkgnd(TMessage& m) { m.Result = 1; }

void TCustomGrid::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      if (!FOptions.Contains(goRowSelect)) {
        if (FOptions.Contains(goTabs)) m.Result |= DLGC_WANTTAB;
        if (FOptions.Contains(goEditing)) m.Result |= DLGC_WANTCHARS;
      }
      return;
    case CN_KEYDOWN: {
      const HWND focus = ::GetFocus();
      MSG msg{focus ? focus : FHandle, WM_KEYDOWN, m.WParam, m.LParam, 0, {0, 0}};
      if (OfferDialogKey(this, WantsKey(static_cast<WORD>(m.WParam), &msg), m)) {
        m.Result = 1;
        return;
      }
      break;
    }
    case WM_CHAR: WMChar(m); return;
    case WM_COMMAND:
      if (FInplaceEdit && FInplaceEdit->HandleAllocated() && reinterpret_cast<HWND>(m.LParam) == FInplaceEdit->Handle() &&
          HIWORD(m.WParam) == EN_CHANGE)
        UpdateText();
      break;
    case WM_HSCROLL: case WM_VSCROLL:
      if (m.LParam == 0) {
        ModifyScrollBar(m.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(m.WParam), HIWORD(m.WParam));
        m.Result = 0;
        return;
      }
      break;
    case WM_MOUSEWHEEL: {
      const short delta = static_cast<short>(HIWORD(m.WParam));
      const TShiftState shift = MouseShift(LOWORD(m.WParam));
      const TPoint pos{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
      if (delta < 0) DoMouseWheelDown(shift, pos);
      else if (delta > 0) DoMouseWheelUp(shift, pos);
      m.Result = 0;
      return;
    }
    case WM_NCHITTEST: {
      TCustomControl::WndProc(m);
      POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
      ::ScreenToClient(FHandle, &p);
      FHitTest = {p.x, p.y};
      return;
    }
    case WM_LBUTTONDOWN:
      TCustomControl::WndProc(m);
      if (FInplaceEdit) FInplaceEdit->SetClickTime(::GetMessageTime());
      return;
    case WM_TIMER:
      if (m.WParam == kScrollTimer) {
        if (FGridState != gsSelecting && FGridState != gsRowMoving && FGridState != gsColMoving) return;
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
        return;
      }
      break;
    case WM_CANCELMODE:
      CancelMode();
      break;
    case WM_CAPTURECHANGED:
      if (FGridState != gsNormal && reinterpret_cast<HWND>(m.LParam) != FHandle) CancelMode();
      break;
    default: break;
  }
  TCustomControl::WndProc(m);
}
