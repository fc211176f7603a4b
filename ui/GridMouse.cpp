// TCustomGrid's mouse: clicking, selecting, sizing and moving lines by dragging (with
// the scroll timer running while the mouse is held), the sizing cursor, cancelling a
// drag, and the wheel, which moves the current row.
#include "ui/Grids.h"

#include "ui/Forms.h"
#include "ui/GridDetail.h"

using namespace ui_win;
using ui_grid_detail::kScrollTimer;

namespace {

TShiftState MouseShift(WPARAM w) {
  TShiftState s;
  if (w & MK_SHIFT) s << ssShift;
  if (w & MK_CONTROL) s << ssCtrl;
  if (w & MK_LBUTTON) s << ssLeft;
  if (w & MK_RBUTTON) s << ssRight;
  if (::GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

}  // namespace

bool TCustomGrid::DoMouseWheelDown(TShiftState, TPoint) {
  if (Row() < FRowCount - 1) SetRow(Row() + 1);
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState, TPoint) {
  if (Row() > FFixedRows) SetRow(Row() - 1);
  return true;
}


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

void TCustomGrid::WMMouseWheel(TMessage& m) {
  const short delta = static_cast<short>(HIWORD(m.WParam));
  const TShiftState shift = MouseShift(LOWORD(m.WParam));
  const TPoint pos{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  if (delta < 0) DoMouseWheelDown(shift, pos);
  else if (delta > 0) DoMouseWheelUp(shift, pos);
  m.Result = 0;
}

// The point of the last hit test is where the cursor asks about (WM_SETCURSOR).
void TCustomGrid::WMNCHitTest(TMessage& m) {
  TCustomControl::WndProc(m);
  POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  ::ScreenToClient(FHandle, &p);
  FHitTest = {p.x, p.y};
}

void TCustomGrid::WMLButtonDown(TMessage& m) {
  TCustomControl::WndProc(m);
  if (FInplaceEdit) FInplaceEdit->SetClickTime(::GetMessageTime());
}

void TCustomGrid::WMCaptureChanged(TMessage& m) {
  if (FGridState != gsNormal && reinterpret_cast<HWND>(m.LParam) != FHandle) CancelMode();
}
