// TDrawGrid and TStringGrid (see Grids.h).
#include "ui/Grids.h"

// ============================================================================ TDrawGrid

void TDrawGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TDrawGrid::SelectCell(int ACol, int ARow) {
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
  return can;
}

AnsiString TDrawGrid::GetEditMask(int ACol, int ARow) {
  AnsiString v;
  if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, v);
  return v;
}

AnsiString TDrawGrid::GetEditText(int ACol, int ARow) {
  AnsiString v;
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, v);
  return v;
}

void TDrawGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TDrawGrid::ColumnMoved(int FromIndex, int ToIndex) {
  if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(int FromIndex, int ToIndex) {
  if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

// ============================================================================ TStringGrid

// A text written by the program into the cell the editor shows is loaded into the
// editor (a text the editor itself writes back is not).
void TStringGrid::SetCells(int ACol, int ARow, const AnsiString& Value) {
  if (ACol < 0 || ARow < 0) return;
  if (FCells.Get(ACol, ARow) == Value) return;
  FCells.Set(ACol, ARow, Value);
  InvalidateCell(ACol, ARow);
  if (FEditUpdate == 0 && FInplaceEdit && ACol == FInplaceCol && ARow == FInplaceRow) InvalidateEditor();
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (DefaultDrawing()) Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, Cells(ACol, ARow));
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

AnsiString TStringGrid::GetEditText(int ACol, int ARow) {
  AnsiString v = Cells(ACol, ARow);
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, v);
  return v;
}

void TStringGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  ++FEditUpdate;
  try {
    if (Value != Cells(ACol, ARow)) SetCells(ACol, ARow, Value);
  } catch (...) {
    --FEditUpdate;
    throw;
  }
  --FEditUpdate;
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
  FCells.MoveCol(FromIndex, ToIndex);
  InvalidateGrid();
  TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
  FCells.MoveRow(FromIndex, ToIndex);
  InvalidateGrid();
  TDrawGrid::RowMoved(FromIndex, ToIndex);
}

void TStringGrid::SizeChanged(int OldColCount, int OldRowCount) {
  if (ColCount() < OldColCount || RowCount() < OldRowCount) FCells.Truncate(ColCount(), RowCount());
  TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}
