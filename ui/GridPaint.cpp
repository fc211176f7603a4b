// TCustomGrid's painting: grid lines and cells area by area into the double-buffered
// canvas (Painting is set meanwhile, so nothing invalidates during a pass), and the XOR
// markers drawn straight onto the window while a line is sized or moved.
#include "ui/Grids.h"

#include <vector>

using namespace ui_win;


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
  TPaintingScope painting(*this);
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
    ::LineTo(dc.dc(), pos, ColumnMoveMarkerBottom());
  }
  ::SetROP2(dc.dc(), oldRop);
  FMoveDrawn = !FMoveDrawn;
}

// The background is painted with the cells, into the same off-screen bitmap.
void TCustomGrid::WMEraseBkgnd(TMessage& m) { m.Result = 1; }
