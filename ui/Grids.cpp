// TCustomGrid's model and geometry (see Grids.h): construction, the properties, the
// number, sizes and order of lines, the cells' geometry, invalidation, and the current
// cell, the selection and the top-left cell. The grid's other concerns live in files of
// their own: GridScroll.cpp, GridKeyboard.cpp, GridMouse.cpp, GridPaint.cpp,
// GridEditing.cpp and GridWindow.cpp (the window and WndProc).
//
// The algorithms are the platform grid's.
#include "ui/Grids.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "rtl/ComponentStreaming.h"
#include "ui/GridDetail.h"

using namespace ui_win;
using ui_grid_detail::kScrollTimer;

const char* const SGridIndexOutOfRange = "Grid index out of range";
const char* const SFixedColTooBig = "Fixed column count must be less than column count";
const char* const SFixedRowTooBig = "Fixed row count must be less than row count";
const char* const STooManyDeleted = "Too many rows or columns deleted";
const char* const SGridTooLarge = "Grid too large for operation";

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

void TCustomGrid::RaiseGridError(const char* Text) { throw EInvalidGridOperation(Text); }

void TCustomGrid::Initialize() {
  FTopLeft = {FFixedCols, FFixedRows};
  FCurrent = FTopLeft;
  FAnchor = FCurrent;
  if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
}

// ============================================================================ properties

int TCustomGrid::GetColWidths(int index) { return FColWidths.Get(index, FDefaultColWidth); }

int TCustomGrid::GetRowHeights(int index) { return FRowHeights.Get(index, FDefaultRowHeight); }

// The array of widths exists from the first write on, also when the value is the
// default; an unchanged width changes nothing else.
void TCustomGrid::SetColWidths(int index, int value) {
  if (index < 0 || index >= FColCount) RaiseGridError(SGridIndexOutOfRange);
  const int old = FColWidths.Get(index, FDefaultColWidth);
  FColWidths.Set(index, value, FColCount, FDefaultColWidth);
  if (old == value) return;
  InvalidateGrid();
  ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(int index, int value) {
  if (index < 0 || index >= FRowCount) RaiseGridError(SGridIndexOutOfRange);
  const int old = FRowHeights.Get(index, FDefaultRowHeight);
  FRowHeights.Set(index, value, FRowCount, FDefaultRowHeight);
  if (old == value) return;
  InvalidateGrid();
  RowHeightsChanged();
}

bool TCustomGrid::TabStops(int index) const { return FTabStops.Get(index, 1) != 0; }

void TCustomGrid::SetTabStops(int index, bool value) {
  if (index < 0 || index >= FColCount) RaiseGridError(SGridIndexOutOfRange);
  FTabStops.Set(index, value ? 1 : 0, FColCount, 1);
}

// ---------------------------------------------------------------------------- streaming

namespace {

void WriteExtents(TWriter& w, int count, const std::function<int(int)>& extent) {
  w.WriteListBegin();
  for (int i = 0; i < count; ++i) w.WriteInteger(int32_t{extent(i)});
  w.WriteListEnd();
}

// The whole list; it must hold count integers (the grid's count at reading time).
std::vector<int> ReadExtents(TReader& r, int count) {
  const int64_t at = r.Stream().Position();
  std::vector<int> values;
  size_t read = 0;
  r.ReadListBegin();
  while (!r.EndOfList()) {
    const int32_t v = r.ReadInteger();
    if (read++ < static_cast<size_t>(count)) values.push_back(v);
  }
  r.ReadListEnd();
  if (read != static_cast<size_t>(count)) throw EReadError("Invalid property value at offset " + std::to_string(at));
  return values;
}

}  // namespace

void TCustomGrid::DefineProperties(TFiler& Filer) {
  TCustomControl::DefineProperties(Filer);
  if (!FSaveCellExtents) return;
  Filer.DefineProperty(
      "ColWidths",
      [this](TReader& r) {
        const std::vector<int> widths = ReadExtents(r, FColCount);
        for (int i = 0; i < static_cast<int>(widths.size()); ++i) SetColWidths(i, widths[static_cast<size_t>(i)]);
      },
      [this](TWriter& w) { WriteExtents(w, FColCount, [this](int i) { return ColWidths(i); }); },
      FColWidths.Assigned());
  Filer.DefineProperty(
      "RowHeights",
      [this](TReader& r) {
        const std::vector<int> heights = ReadExtents(r, FRowCount);
        for (int i = 0; i < static_cast<int>(heights.size()); ++i) SetRowHeights(i, heights[static_cast<size_t>(i)]);
      },
      [this](TWriter& w) { WriteExtents(w, FRowCount, [this](int i) { return RowHeights(i); }); },
      FRowHeights.Assigned());
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
  if (v < 0) RaiseGridError(SGridIndexOutOfRange);
  if (v >= FColCount) RaiseGridError(SFixedColTooBig);
  FFixedCols = v;
  Initialize();
  InvalidateGrid();
  UpdateScrollRange();
}

void TCustomGrid::SetFixedRows(int v) {
  if (v == FFixedRows) return;
  if (v < 0) RaiseGridError(SGridIndexOutOfRange);
  if (v >= FRowCount) RaiseGridError(SFixedRowTooBig);
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
  if (FAnchor != coord) MoveAnchor(coord);
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
  if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount) RaiseGridError(SGridIndexOutOfRange);
  if (!SelectCell(ACol, ARow)) return;
  const TGridRect oldSel = Selection();
  const TGridCoord oldCurrent = FCurrent;
  FCurrent = {ACol, ARow};
  if (!AlwaysShowEditor(Col())) HideEditor();
  if (MoveAnchor || !FOptions.Contains(goRangeSelect)) {
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
  }
  if (FOptions.Contains(goRowSelect) && !RowSelectKeepsColumn()) FCurrent.X = FFixedCols;
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
      if (!FOptions.Contains(goRowSelect) || RowSelectKeepsColumn()) FTopLeft.X = std::max(Coord.X, FFixedCols);
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
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= FColCount || ToIndex >= FColCount)
    RaiseGridError(SGridIndexOutOfRange);
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
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= FRowCount || ToIndex >= FRowCount)
    RaiseGridError(SGridIndexOutOfRange);
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
