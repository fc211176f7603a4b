// TkwCustomGrid: the platform grid's algorithms through its hooks, with the library's
// layout (fixed data columns, footer band), painting, thumb and current-cell rules.
#include "VCLSource/source/PosGrid/ukvGrids.h"

#include <algorithm>

#include "ui/GdiScopes.h"

TkwCustomGrid::TkwCustomGrid(TComponent* AOwner) : TCustomGrid(AOwner) {
  SetDefaultRowHeight(18);
  SetBounds(Left(), Top(), DefaultColWidth() * ColCount(), DefaultRowHeight() * RowCount());
}

// The view may outlive the grid (an editor or a column holds it): it is detached here,
// so it answers neutral values from now on instead of reaching a freed grid.
TkwCustomGrid::~TkwCustomGrid() {
  if (FGridView) FGridView->Detach();
}

TkwGridViewClass TkwCustomGrid::GetGridViewClass() {
  return [](TkwCustomGrid* g) { return std::make_shared<TkwCustomGridView>(g); };
}

std::shared_ptr<IkwGridView> TkwCustomGrid::GetGridView() {
  if (!FGridView) FGridView = GetGridViewClass()(this);
  return FGridView;
}

void TkwCustomGrid::KeyDownEvent(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

// ============================================================================ properties

void TkwCustomGrid::SetFixedDataCols(int v) {
  if (v == FFixedDataCols) return;
  kw_grid::CheckFixedDataCols(v, FixedCols(), ColCount());
  FFixedDataCols = v;
  Initialize();
  InvalidateGrid();
}

void TkwCustomGrid::SetFixedCols(int v) {
  TCustomGrid::SetFixedCols(v);
  FFixedDataCols = kw_grid::ClampFixedDataCols(FFixedDataCols, FixedCols(), ColCount());
}

// Mended: only the library's own ColCount kept FixedDataCols within the columns; a
// column deleted through the platform grid (DeleteColumn, or ColCount set through it)
// left more fixed data columns than fixed columns. Every change of the column count
// comes through here.
void TkwCustomGrid::SizeChanged(int OldColCount, int OldRowCount) {
  FFixedDataCols = kw_grid::ClampFixedDataCols(FFixedDataCols, FixedCols(), ColCount());
  TCustomGrid::SizeChanged(OldColCount, OldRowCount);
}

// Mended: the platform grid's errors (an index out of range, a fixed count too big)
// reached callers as its own class, which no caller of the library catches.
void TkwCustomGrid::RaiseGridError(const char* Text) { throw EkwInvalidGridOperation(Text); }

void TkwCustomGrid::SetFooter(bool v) {
  if (v == FFooter) return;
  FFooter = v;
  UpdateScrollRange();
  InvalidateGrid();
}

void TkwCustomGrid::SetFooterColor(TColor v) {
  if (v == FFooterColor) return;
  FFooterColor = v;
  InvalidateFooter();
}

void TkwCustomGrid::Invalidate() {
  if (!Painting()) TCustomGrid::Invalidate();
}

// ============================================================================ geometry

// A negative index asks for the footer's height among rows; among columns it has no
// width of its own and answers the default instead of reading before the array.
int TkwCustomGrid::GetColWidths(int index) {
  if (index < 0) return DefaultColWidth();
  return TCustomGrid::GetColWidths(index);
}

int TkwCustomGrid::GetRowHeights(int index) {
  if (index < 0) return GetFooterHeight();
  return TCustomGrid::GetRowHeights(index);
}

kw_grid::TLayoutInput TkwCustomGrid::LayoutInput() {
  kw_grid::TLayoutInput in;
  in.ColCount = ColCount();
  in.RowCount = RowCount();
  in.FixedCols = FixedCols();
  in.FixedRows = FixedRows();
  in.FixedDataCols = FFixedDataCols;
  in.LeftCol = LeftCol();
  in.TopRow = TopRow();
  const TGridOptions o = Options();
  in.HorzLineWidth = (o.Contains(goFixedVertLine) || o.Contains(goVertLine)) ? GridLineWidth() : 0;
  in.VertLineWidth = (o.Contains(goFixedHorzLine) || o.Contains(goHorzLine)) ? GridLineWidth() : 0;
  in.Footer = FFooter;
  in.FooterHeight = GetFooterHeight();
  in.ColWidth = [this](int i) { return GetColWidths(i); };
  in.RowHeight = [this](int i) { return GetRowHeights(i); };
  return in;
}

void TkwCustomGrid::CalcFixedInfo(TGridDrawInfo& info) { kw_grid::CalcFixedInfo(info, LayoutInput()); }

void TkwCustomGrid::CalcDrawInfoXY(TGridDrawInfo& info, int useWidth, int useHeight) {
  kw_grid::CalcDrawInfo(info, LayoutInput(), useWidth, useHeight);
}

TGridRect TkwCustomGrid::Selection() const {
  TGridRect r = TCustomGrid::Selection();
  if (!FEditorMode && !Options().Contains(goEditing) && Options().Contains(goRowSelect))
    r.Left = FixedCols() - FFixedDataCols;
  return r;
}

TRect TkwCustomGrid::GridRectToScreenRect(const TGridRect& r, bool IncludeLine) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  if (r.Top != -1 || !FFooter) return grid_geometry::GridRectToScreenRect(info, r, IncludeLine);
  // Mended: the band's columns used to be worked out through row 0, which lies in the
  // scrolled-off part of a grid without fixed rows once it scrolls; then the footer
  // cell had no rectangle. The columns are worked out on their own axis.
  TRect out;
  if (r.Left > r.Right || r.Left > info.Horz.LastFullVisibleCell + 1) return out;
  if (!grid_geometry::ScreenSpan(info.Horz, r.Left, r.Right, IncludeLine, out.Left, out.Right)) return TRect();
  out.Top = ClientHeight() - GetFooterHeight();
  out.Bottom = ClientHeight();
  return out;
}

TRect TkwCustomGrid::FooterCellRect(int ACol) {
  if (!FFooter) return TRect();
  const TRect r = GridRectToScreenRect({ACol, -1, ACol, -1});
  return r.Right <= r.Left ? TRect() : r;
}

void TkwCustomGrid::InvalidateFooter() {
  if (!HandleAllocated() || Painting()) return;
  const RECT r{0, ClientHeight() - GetFooterHeight(), ClientWidth(), ClientHeight()};
  ::InvalidateRect(Handle(), &r, TRUE);
}

void TkwCustomGrid::InvalidateCol(int ACol) {
  TCustomGrid::InvalidateCol(ACol);
  if (FFooter && HandleAllocated() && !Painting()) {
    const TRect r = GridRectToScreenRect({ACol, -1, ACol, -1}, true);
    const RECT rc{r.Left, r.Top, r.Right, r.Bottom};
    ::InvalidateRect(Handle(), &rc, FALSE);
  }
}

void TkwCustomGrid::BoundsChanged(bool sized) {
  TCustomGrid::BoundsChanged(sized);
  if (sized && FFooter) InvalidateGrid();
}

// The footer's cells follow the horizontal position; the grid repaints whole anyway.
void TkwCustomGrid::TopLeftChanged() { TCustomGrid::TopLeftChanged(); }

void TkwCustomGrid::UpdateScrollPos() {
  if (!HandleAllocated() || ScrollBars() == ssNone) return;
  TCustomGrid::UpdateScrollPos();  // the vertical thumb and the one-column offset
  if (ColCount() == 1 || (ScrollBars() != ssHorizontal && ScrollBars() != ssBoth)) return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const TGridCoord maxTopLeft = CalcMaxTopLeft({ColCount() - 1, RowCount() - 1}, info);
  const int pos = kw_grid::HorzThumbPos(LayoutInput(), maxTopLeft.X);
  if (::GetScrollPos(Handle(), SB_HORZ) != pos) ::SetScrollPos(Handle(), SB_HORZ, pos, TRUE);
}

// ============================================================================ mouse

// A press in the footer band hits no data cell: the band holds totals, and the row
// that lies beneath it is not to be made current unseen.
void TkwCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (kw_grid::InFooter(LayoutInput(), ClientHeight(), Y)) {
    if (CanFocus() && !Focused()) SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  TCustomGrid::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && !Shift.Contains(ssDouble) && GridState() == gsNormal && CanEditShow()) ShowEditor();
}

int TkwCustomGrid::ColumnMoveMarkerBottom() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return info.Vert.FixedBoundary;
}

// ============================================================================ painting

void TkwCustomGrid::Paint() {
  TPaintingScope painting(*this);
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const kw_grid::TLayoutInput in = LayoutInput();
  const TGridAxisDrawInfo& h = info.Horz;
  const TGridAxisDrawInfo& v = info.Vert;
  const int clientHeight = ClientHeight();
  TCanvas* cv = Canvas();
  const TGridOptions o = Options();
  const TColor lineColor = ColorToRGB(Color()) == static_cast<COLORREF>(clSilver) ? clGray : clSilver;
  if (h.EffectiveLineWidth > 0 || v.EffectiveLineWidth > 0) {
    const bool fh = o.Contains(goFixedHorzLine), fv = o.Contains(goFixedVertLine);
    const bool dh = o.Contains(goHorzLine), dv = o.Contains(goVertLine);
    for (const kw_grid::TLineBox& b : kw_grid::LineBoxes(info, in, clientHeight)) {
      using S = kw_grid::TLineStyle;
      const bool fixedOptions = b.Style != S::Data && b.Style != S::FooterData;
      const bool blackOn = b.Style == S::Fixed || b.Style == S::FooterTitle;
      DrawLines(info, fixedOptions ? fh : dh, fixedOptions ? fv : dv, b.Col, b.Row, b.Box,
                blackOn ? clBlack : lineColor, blackOn ? FixedColor() : Color(), true);
    }
  }
  for (const kw_grid::TCellArea& a : kw_grid::CellAreas(info, in, clientHeight, FColOffset)) {
    using C = kw_grid::TAreaColor;
    const TColor color = a.Color == C::Fixed ? FixedColor() : a.Color == C::Footer ? FFooterColor : Color();
    TGridDrawState state;
    if (a.Fixed) state << gdFixed;
    if (a.Footer) state << gdFooter;
    DrawCells(info, a.Col, a.Row, a.Box, color, state);
  }
  // The band's top line and the separator go over the cells: a partly shown last row
  // and the first scrolling column would otherwise cover them.
  auto line = [&](TColor c, int width, int x1, int y1, int x2, int y2) {
    cv->Pen()->SetColor(c);
    cv->Pen()->SetWidth(width);
    cv->Pen()->SetStyle(psSolid);
    cv->MoveTo(x1, y1);
    cv->LineTo(x2, y2);
  };
  if (FFooter && v.EffectiveLineWidth != 0) {
    const int lt = kw_grid::FooterTop(in, clientHeight) - v.EffectiveLineWidth;
    line(clBlack, GridLineWidth(), 0, lt, h.TitleBoundary, lt);
    line(clSilver, GridLineWidth(), h.TitleBoundary, lt, h.GridBoundary, lt);
  }
  if (FFixedDataCols > 0)
    line(GetFixedLineColor(), 3, h.FixedBoundary, v.FixedBoundary, h.FixedBoundary, v.GridBoundary);
  if (o.Contains(goRowSelect) && DefaultDrawing() && Focused())
    cv->DrawFocusRect(grid_geometry::GridRectToScreenRect(info, Selection(), false));
  cv->Brush()->SetColor(Color());
  cv->Brush()->SetStyle(bsSolid);
  const int gridExtentV = FFooter ? v.GridExtent - v.EffectiveLineWidth : v.GridExtent;
  if (h.GridBoundary < h.GridExtent) cv->FillRect(Rect(h.GridBoundary, 0, h.GridExtent, v.GridBoundary));
  if (v.GridBoundary < gridExtentV) cv->FillRect(Rect(0, v.GridBoundary, h.GridExtent, gridExtentV));
}
