// TkwCustomDBGrid's painting: the indicator column (row numbers and glyphs), titles
// merged over their levels with sort marks, data cells in two colours, the footer band.
// Cells are read by row index from the data controller: painting moves nothing, so a
// handler that throws leaves the view and the controller as they were.
#include <algorithm>

#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "ui/ImgList.h"

using namespace kw_dbgrid;

namespace {
constexpr const char* kRowNoTitle = "行号";

unsigned TextFlags(TAlignment a, bool wordWrap) {
  unsigned f = DT_EXPANDTABS | DT_NOPREFIX;
  if (a == taRightJustify) f |= DT_RIGHT;
  if (a == taCenter) f |= DT_CENTER;
  if (wordWrap) f |= DT_WORDBREAK;
  else f |= DT_SINGLELINE | DT_VCENTER;
  return f;
}

// The column's ancestor at the given title level (itself at its own level).
TkwColumn* UnitAtLevel(TkwColumn* c, int level) {
  while (c && c->Level() > level) c = c->Parent();
  return c;
}
}  // namespace

int TkwCustomDBGrid::DataRowOf(int ARow) {
  if (!FDataLink->Active() || ARow < FTitleOffset) return -1;
  TkwCustomDbGridView& view = DbView();
  const int row = view.TopRecord() + (ARow - FTitleOffset);
  return row < view.RowCount() ? row : -1;
}

// A row number 0 stands for no row: nothing is drawn for it.
AnsiString TkwCustomDBGrid::GetRowNumberText(int RecNo) {
  if (RecNo <= 0) return AnsiString();
  return AnsiString(std::to_string(RecNo));
}

void TkwCustomDBGrid::WriteText(const TRect& ARect, int DX, int DY, const AnsiString& Text, TAlignment Alignment) {
  TCanvas* cv = Canvas();
  cv->FillRect(ARect);
  TRect r{ARect.Left + DX, ARect.Top + DY, ARect.Right - 2, ARect.Bottom - 1};
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  cv->Brush()->SetStyle(bsClear);
  cv->DrawText(Text, r, TextFlags(Alignment, HasGridOption(FOptions, dgWordWrap)));
  cv->Brush()->SetStyle(bsSolid);
}

void TkwCustomDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (ARow == -1) return DrawFooterCell(ACol, ARect, AState);
  if (ACol < FIndicatorOffset) return DrawIndicatorCell(ARow, ARect, AState);
  if (ARow < FTitleOffset) return DrawTitleCell(ACol, ARow, ARect, AState);
  DrawDataCell(ACol, ARow, ARect, AState);
}

void TkwCustomDBGrid::DrawIndicatorCell(int ARow, const TRect& ARect, TGridDrawState) {
  TCanvas* cv = Canvas();
  cv->Brush()->SetColor(FixedColor());
  cv->Font()->SetColor(clBlack);
  if (ARow < FTitleOffset) {
    if (ARow != 0) return;  // the title spans every title row; row 0 paints it
    TRect r = ARect;
    r.Bottom = CellRect(0, FTitleOffset - 1).Bottom;
    if (r.Bottom <= r.Top) r.Bottom = ARect.Bottom;
    WriteText(r, 2, 2, kRowNoTitle, taCenter);
    return;
  }
  const int dataRow = DataRowOf(ARow);
  AnsiString text = GetRowNumberText(dataRow + 1);  // 0 below the data
  if (dataRow >= 0) {
    DoGetLineText(dataRow, text);
    if (OnGetDisplayLineText) OnGetDisplayLineText(this, text);
  }
  WriteText(ARect, 2, 2, text, taRightJustify);
  // The edit and insert glyphs mark the current row only: they say what happens to the
  // focused record, not to every row beside it. Marked rows show the multi-selection dot,
  // the current one its arrow.
  if (dataRow < 0 || FIndicatorImages->Count() < 5) return;
  const bool current = ARow == Row();
  const bool marked = HighlightKind(dataRow, false) == 1;
  if (!current && !marked) return;
  TkvCustomDbDataController* c = DataController();
  int image = current ? (marked ? 4 : 0) : 3;
  if (current && c && dataRow == c->FocusedRowIndex()) {
    const uint8_t state = c->GetEditState();
    if (state & desInserting) image = 2;
    else if (state & desEditing) image = 1;
  }
  FIndicatorImages->Draw(cv, ARect.Left + 1, (ARect.Top + ARect.Bottom - FIndicatorImages->Height()) / 2, image);
}

void TkwCustomDBGrid::DrawTitleCell(int ACol, int ARow, const TRect& ARect, TGridDrawState) {
  TCanvas* cv = Canvas();
  const int index = RawToDataColumn(ACol);
  cv->Brush()->SetColor(FixedColor());
  if (index < 0 || index >= FColumns->Count()) {
    cv->FillRect(ARect);
    return;
  }
  TkwColumn* column = FColumns->Items(index);
  // The cell belongs to a unit: a parent column at this level (merged over its adjacent
  // children), or the column itself (merged down to the last title row).
  TkwColumn* unit = ARow < column->Level() ? UnitAtLevel(column, ARow) : column;
  int firstCol = ACol, lastCol = ACol;
  if (unit != column) {
    while (firstCol - 1 >= FIndicatorOffset && UnitAtLevel(FColumns->Items(RawToDataColumn(firstCol - 1)), ARow) == unit)
      --firstCol;
    while (lastCol + 1 < ColCount() && RawToDataColumn(lastCol + 1) < FColumns->Count() &&
           UnitAtLevel(FColumns->Items(RawToDataColumn(lastCol + 1)), ARow) == unit)
      ++lastCol;
  }
  const int firstRow = unit == column ? column->Level() : ARow;
  const int lastRow = unit == column ? FTitleOffset - 1 : ARow;
  if (unit == column && ARow != firstRow) return;  // painted with the first row of its span
  TRect r = ARect;
  const TRect first = CellRect(firstCol, firstRow), last = CellRect(lastCol, lastRow);
  if (first.Right > first.Left) r.Left = first.Left;
  if (first.Bottom > first.Top) r.Top = first.Top;
  if (last.Right > last.Left) r.Right = last.Right;
  if (last.Bottom > last.Top) r.Bottom = last.Bottom;
  if (unit != column && firstCol != ACol && first.Right > first.Left) return;  // the unit's first visible cell paints it

  TkwColumnTitle* title = unit->Title();
  cv->Brush()->SetColor(title->Color() == kwcolor::BtnFace ? FixedColor() : title->Color());
  const TkwGridFont* f = TitleFont();
  cv->Font()->SetName(f->Name());
  cv->Font()->SetHeight(f->Height());
  cv->Font()->SetColor(title->Font()->Color() == kwcolor::WindowText ? f->Color() : title->Font()->Color());
  AnsiString caption = title->Caption();
  if (OnGetDisplayTitleText) OnGetDisplayTitleText(this, unit, caption);
  WriteText(r, 2, 2, caption, title->Alignment() == taLeftJustify ? taCenter : title->Alignment());

  TkvCustomDbDataController* c = DataController();
  if (!c || !unit->DbField() || HasGridOption(FOptions, dgDisSort) || !unit->Has(gcoShowSortIcon)) return;
  const uint8_t direction = c->Info().SortingFields().GetDirection(unit->DbField());
  if (direction == 1 || direction == 2)
    FSortImages->Draw(cv, r.Right - 15, (r.Top + r.Bottom) / 2 - 5, direction - 1);
}

void TkwCustomDBGrid::DrawDataCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas* cv = Canvas();
  const int index = RawToDataColumn(ACol);
  const int dataRow = DataRowOf(ARow);
  TkwColumn* column = index < FColumns->Count() ? FColumns->Items(index) : nullptr;
  TkvCustomDbDataController* c = DataController();

  // Background: the selection, else the row's colour, else the column's.
  TColor back = column ? column->Color() : Color();
  if (HasGridOption(FOptions, dgTwoColor) && dataRow >= 0 && back == Color())
    back = dataRow % 2 == 0 ? FEvenRowColor : FOddRowColor;
  TColor fore = column ? column->Font()->Color() : clWindowText;
  const bool current = ARow == Row() && dataRow >= 0;
  const bool showSelection = Focused() || HasGridOption(FOptions, dgAlwaysShowSelection);
  const bool selectedCell = current && showSelection && (HasGridOption(FOptions, dgRowSelect) || ACol == Col());
  if (HighlightKind(dataRow, selectedCell) == 1) {
    AState << gdSelected;
    back = clHighlight;
    fore = clHighlightText;
  }
  if (!Enabled()) fore = clGrayText;
  cv->Brush()->SetColor(back);
  cv->Font()->SetColor(fore);
  if (column) {
    cv->Font()->SetName(column->Font()->Name());
    cv->Font()->SetHeight(column->Font()->Height());
  }

  AnsiString text;
  if (column && c && dataRow >= 0 && column->DbField()) {
    const int record = c->GetRowRecordIndex(dataRow);
    c->GetDisplayText(record, column->DbField()->Index(), text);
    text = column->GetDisplayText(text, record);
  }
  TkwDrawColumnCellArgs args;
  args.Canvas = cv;
  args.Rect = ARect;
  args.RowIndex = dataRow;
  args.Col = index;
  args.Column = column;
  args.State = AState;
  args.DisplayText = text;
  if (OnDrawColumnCell && dataRow >= 0) {
    cv->FillRect(ARect);
    OnDrawColumnCell(this, args);
    if (args.Handled || !FDefaultDrawing) return;
  }
  WriteText(ARect, 2, 2, args.DisplayText, column ? column->Alignment() : taLeftJustify);
}

int TkwCustomDBGrid::HighlightKind(int DataRow, bool Selected) {
  if (Selected) return 1;
  if (DataRow < 0 || !HasGridOption(FOptions, dgMultiSelect) || !FDataLink->Active() || FSelectedRecs->Count() == 0)
    return 0;
  TkvCustomDbDataController* c = DataController();
  if (!c || DataRow >= c->RowCount()) return 0;
  return FSelectedRecs->Contains(c->GetRowRecordIndex(DataRow)) ? 1 : 0;
}

void TkwCustomDBGrid::DrawFooterCell(int ACol, const TRect& ARect, TGridDrawState) {
  TCanvas* cv = Canvas();
  cv->Brush()->SetColor(FooterColor());
  cv->Font()->SetColor(clBlack);
  const int index = RawToDataColumn(ACol);
  if (index < 0 || index >= FColumns->Count()) {
    cv->FillRect(ARect);
    return;
  }
  TkwColumn* column = FColumns->Items(index);
  WriteText(ARect, 2, 2, column->FooterDisplayText(), column->Alignment());
}
