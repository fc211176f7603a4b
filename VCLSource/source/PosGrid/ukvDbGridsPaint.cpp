// TkwCustomDBGrid's painting: the indicator column (row numbers and glyphs), titles
// merged over their levels with sort marks, data cells in two colours or their highlight,
// the check boxes of check-box columns, the footer band.
// Cells are read by row index from the data controller: painting moves nothing, so a
// handler that throws leaves the view and the controller as they were.
#include <algorithm>

#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "VCLSource/source/PosGrid/ukvDbGridsCheckBoxes.h"
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "ui/ImgList.h"

using namespace kw_dbgrid;

namespace {
constexpr const char* kRowNoTitle = "行号";

// The text flags of a cell: left, right or centred, tabs expanded, no prefix; word
// breaks under dgWordWrap. The text starts DY below the cell's top.
unsigned TextFlags(TAlignment a, bool wordWrap) {
  unsigned f = DT_EXPANDTABS | DT_NOPREFIX;  // $840
  if (a == taRightJustify) f |= DT_RIGHT;    // $842
  if (a == taCenter) f |= DT_CENTER;         // $841
  if (wordWrap) f |= DT_WORDBREAK;           // $10
  return f;
}

// The column's ancestor at the given title level (itself at its own level).
TkwColumn* UnitAtLevel(TkwColumn* c, int level) {
  while (c && c->Level() > level) c = c->Parent();
  return c;
}

// Fixed cells are framed when the grid draws both kinds of lines.
bool FramesFixedCells(TkwDBGridOptions o) { return HasGridOption(o, dgColLines) && HasGridOption(o, dgRowLines); }

// A raised inner edge on the cell's outer pixels: shadow at the bottom and right, light
// at the top and left. The texts of framed cells are written inside it.
void DrawRaisedEdges(TCanvas* cv, const TRect& r) {
  TRect edge = r;
  cv->DrawEdge(edge, BDR_RAISEDINNER, BF_BOTTOMRIGHT);
  cv->DrawEdge(edge, BDR_RAISEDINNER, BF_TOPLEFT);
}

// Mended: cells took the name, height and colour of their font and kept whatever style
// and character set the cell before had left; a column's or a title's font is taken
// whole, so bold or italic columns and titles draw so.
void UseFont(TCanvas* cv, const TkwGridFont& f) {
  TFont* font = cv->Font();
  font->SetName(f.Name());
  font->SetHeight(f.Height());
  font->SetStyle(TFontStyles::FromBits(f.Style()));
  font->SetCharset(f.Charset());
  font->SetPitch(fpDefault);
  font->SetColor(f.Color());
}
}  // namespace

int TkwCustomDBGrid::DataRowOf(int ARow) {
  if (!FDataLink->Active() || ARow < FTitleOffset) return -1;
  TkwCustomDbGridView& view = DbView();
  const int row = view.TopRecord() + (ARow - FTitleOffset);
  return row < view.RowCount() ? row : -1;
}

// Mended: a row number 0 (a row without a record) raised an internal error and aborted
// the paint; it has no text and goes to no handler. The footer's number -1 is empty
// before the handlers, which may write in it.
AnsiString TkwCustomDBGrid::GetRowNumberText(int RecNo) {
  if (RecNo == 0) return AnsiString();
  AnsiString text = RecNo > 0 ? AnsiString(std::to_string(RecNo)) : AnsiString();
  DoGetLineText(RecNo > 0 ? RecNo - 1 : RecNo, text);
  if (OnGetDisplayLineText) OnGetDisplayLineText(this, text);
  return text;
}

void TkwCustomDBGrid::WriteText(const TRect& ARect, int DX, int DY, const AnsiString& Text, TAlignment Alignment) {
  TCanvas* cv = Canvas();
  cv->FillRect(ARect);
  TRect r{ARect.Left + DX, ARect.Top + DY, ARect.Right - 1, ARect.Bottom - 1};
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  cv->Brush()->SetStyle(bsClear);
  cv->DrawText(Text, r, TextFlags(Alignment, HasGridOption(FOptions, dgWordWrap)));
  cv->Brush()->SetStyle(bsSolid);
}

// A fixed cell's text: inside its raised edges when it has them.
void TkwCustomDBGrid::WriteFixedText(const TRect& ARect, const AnsiString& Text, TAlignment Alignment) {
  if (!FramesFixedCells(FOptions)) return WriteText(ARect, 2, 2, Text, Alignment);
  WriteText(TRect{ARect.Left + 1, ARect.Top + 1, ARect.Right - 1, ARect.Bottom - 1}, 1, 1, Text, Alignment);
  DrawRaisedEdges(Canvas(), ARect);
}

void TkwCustomDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  // Mended: cells started with the brush and font the cell before had left, so the row
  // numbers, painted after the titles, were written in the title font.
  TCanvas* cv = Canvas();
  cv->Brush()->SetColor(Color());
  cv->Brush()->SetStyle(bsSolid);
  cv->Font()->Assign(Font());
  if (ACol < FIndicatorOffset) return DrawIndicatorCell(ARow, ARect, AState);
  if (ARow == -1) return DrawFooterCell(ACol, ARect, AState);
  if (ARow < FTitleOffset) return DrawTitleCell(ACol, ARow, ARect, AState);
  DrawDataCell(ACol, ARow, ARect, AState);
  // The focused cell gets a dotted frame when the grid draws its own cells, is its form's
  // active control, shows its selection (always, or while focused), marks cells rather
  // than whole rows and no update holds its painting. A cell without a column or a record
  // is only filled.
  if (ARow != Row() || ACol != Col() || !FDefaultDrawing || HasGridOption(FOptions, dgRowSelect)) return;
  if (!HasGridOption(FOptions, dgAlwaysShowSelection) && !Focused()) return;
  if ((ComponentState() & csDesigning) != 0 || PaintUpdateLocked() || !IsActiveControl()) return;
  if (RawToDataColumn(ACol) >= FColumns->Count() || DataRowOf(ARow) < 0) return;
  Canvas()->DrawFocusRect(ARect);
}

void TkwCustomDBGrid::DrawIndicatorCell(int ARow, const TRect& ARect, TGridDrawState) {
  TCanvas* cv = Canvas();
  cv->Brush()->SetColor(FixedColor());
  cv->Font()->SetColor(clBlack);
  // Mended: the footer's indicator cell was only filled; it shows GetRowNumberText(-1),
  // which OnGetDisplayLineText may fill in (a "合计" beside the totals).
  if (ARow < 0) return WriteFixedText(ARect, GetRowNumberText(-1), taCenter);
  if (ARow < FTitleOffset) {
    if (ARow != 0) return;  // the title spans every title row; row 0 paints it
    TRect r = ARect;
    r.Bottom = CellRect(0, FTitleOffset - 1).Bottom;
    if (r.Bottom <= r.Top) r.Bottom = ARect.Bottom;
    return WriteFixedText(r, kRowNoTitle, taCenter);
  }
  const int dataRow = DataRowOf(ARow);
  // The number is centred; the glyph of the current or a marked row stands at the right
  // end, where a number of the widest kind still leaves room (UpdateIndicatorWidth).
  WriteFixedText(ARect, dataRow >= 0 ? GetRowNumberText(dataRow + 1) : AnsiString(), taCenter);
  // The edit and insert glyphs mark the current row only: they say what happens to the
  // focused record, not to every row beside it. Marked rows show the multi-selection dot,
  // the current one its arrow.
  if (dataRow < 0 || FIndicatorImages->Count() < 5) return;
  const bool current = ARow == Row();
  const bool marked = RowMarked(dataRow);
  if (!current && !marked) return;
  TkvCustomDbDataController* c = DataController();
  int image = current ? (marked ? 4 : 0) : 3;
  if (current && c && dataRow == c->FocusedRowIndex()) {
    const uint8_t state = c->GetEditState();
    if (state & desInserting) image = 2;
    else if (state & desEditing) image = 1;
  }
  FIndicatorImages->Draw(cv, IndicatorGlyphLeft(ARect.Right, FIndicatorImages->Width()),
                         (ARect.Top + ARect.Bottom - FIndicatorImages->Height()) / 2, image);
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
  // The cell belongs to a unit: a parent column at this level (merged over the run of
  // adjacent columns under it), or the column itself (merged down to the last title row).
  TkwColumn* unit = ARow < column->Level() ? UnitAtLevel(column, ARow) : column;
  int firstCol = ACol, lastCol = ACol;
  if (unit != column) {
    auto inUnit = [&](int raw) {
      const int i = RawToDataColumn(raw);
      return i >= 0 && i < FColumns->Count() && UnitAtLevel(FColumns->Items(i), ARow) == unit;
    };
    while (inUnit(firstCol - 1)) --firstCol;
    while (lastCol + 1 < ColCount() && inUnit(lastCol + 1)) ++lastCol;
  }
  const int firstRow = unit == column ? column->Level() : ARow;
  const int lastRow = unit == column ? FTitleOffset - 1 : ARow;
  if (unit == column && ARow != firstRow) return;  // painted with the first row of its span
  // Mended: every cell of the run drew the parent's caption from its own left edge (a
  // parent standing right before its children has no width there), so two or three
  // captions overlapped, and with the run's last column out of view each cell drew its
  // own clipped caption. The caption is drawn once, by the first cell of the run that
  // is painted, over the part of the run in view.
  auto painted = [this](int raw) { return ColWidths(raw) > 0 && (raw < FixedCols() || raw >= LeftCol()); };
  int painter = firstCol;
  while (painter < ACol && !painted(painter)) ++painter;
  if (painter != ACol) return;
  int lastShown = lastCol;
  while (lastShown > ACol && ColWidths(lastShown) <= 0) --lastShown;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TRect r = grid_geometry::GridRectToScreenRect(info, {ACol, firstRow, lastShown, lastRow}, false);
  if (r.Right <= r.Left || r.Bottom <= r.Top) r = ARect;

  TkwColumnTitle* title = unit->Title();
  cv->Brush()->SetColor(title->Color() == kwcolor::BtnFace ? FixedColor() : title->Color());
  UseFont(cv, *title->Font());
  AnsiString caption = title->Caption();
  if (OnGetDisplayTitleText) OnGetDisplayTitleText(this, unit, caption);
  // Mended: a left-justified title was drawn centred; every title keeps its own alignment.
  WriteFixedText(r, caption, title->Alignment());

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
  cv->Brush()->SetColor(column ? column->Color() : Color());
  cv->Brush()->SetStyle(bsSolid);
  if (column) UseFont(cv, *column->Font());
  if (!FDataLink->Active() || !column) {
    cv->FillRect(ARect);
    return;
  }
  // The current cell (the current row under dgRowSelect) is the selected one.
  if (ARow == Row() && dataRow >= 0 && (HasGridOption(FOptions, dgRowSelect) || ACol == Col())) AState << gdSelected;

  TkwDrawColumnCellArgs args;
  args.Canvas = cv;
  args.Rect = ARect;
  args.RowIndex = dataRow;
  args.Col = index;
  args.Column = column;
  args.State = AState;
  if (column->ButtonStyle() == gcbsCheckBox) return DrawCheckBoxCell(args);
  if (c && dataRow >= 0 && column->DbField()) args.DisplayText = column->CellDisplayText(c->GetRowRecordIndex(dataRow));
  // Mended: the grid drew a cell itself after a handler that left Handled unset only
  // under DefaultDrawing, and a descendant's DrawColumnCell ran only with a handler.
  // DefaultDrawing decides the focus rectangle alone; Handled decides the rest.
  if (dataRow >= 0) {
    cv->FillRect(ARect);
    DrawColumnCell(args);
    if (args.Handled) return;
  }
  DefaultDrawColumnCell(args);
}

void TkwCustomDBGrid::DrawColumnCell(TkwDrawColumnCellArgs& Args) {
  if (OnDrawColumnCell) OnDrawColumnCell(this, Args);
}

namespace {
TColor Inverse(TColor c) { return static_cast<TColor>(0xFFFFFF - (ColorToRGB(c) & 0xFFFFFF)); }
}  // namespace

// The colours of a cell by its highlight kind, on the brush and font the cell has so far
// (a draw handler may have set them).
static void SetHighlightColours(TkwCustomDBGrid& g, TkwDrawColumnCellArgs& a, int kind) {
  TCanvas* cv = a.Canvas;
  const bool selected = a.State.Contains(gdSelected);
  TColor back = cv->Brush()->Color();
  if (a.State.Contains(gdFixed)) {
    back = g.FixedColor();
  } else if (kind == 0) {
    // Mended: rows were striped without row colours of their own; the default colours
    // stand only for row selection, which assigns them.
    if (!selected && !a.State.Contains(gdFocused) && g.RowColorsAssigned() && HasGridOption(g.Options(), dgTwoColor) &&
        a.RowIndex >= 0 && back == g.Color())
      back = a.RowIndex % 2 == 0 ? g.EvenRowColor() : g.OddRowColor();
  } else if (kind == 1) {
    if (selected) back = clHighlight;
  } else {
    back = selected ? Inverse(g.HighlightColor()) : g.HighlightColor();
  }
  cv->Brush()->SetColor(back);
  cv->Brush()->SetStyle(bsSolid);
  TColor fore = cv->Font()->Color();
  if (kind == 1) fore = Inverse(fore);
  if (!g.Enabled()) fore = clGrayText;
  cv->Font()->SetColor(fore);
}

void TkwCustomDBGrid::DefaultDrawColumnCell(TkwDrawColumnCellArgs& Args) {
  const int kind = HighlightKind(Args);
  SetHighlightColours(*this, Args, kind);
  WriteText(Args.Rect, 2, 2, Args.DisplayText, Args.Column ? Args.Column->Alignment() : taLeftJustify);
  if (Args.State.Contains(gdSelected) && kind == 2 && HasGridOption(FOptions, dgRowSelect)) {
    TCanvas* cv = Args.Canvas;
    cv->Pen()->SetColor(FHighlightColor);
    cv->Pen()->SetWidth(1);
    cv->Pen()->SetStyle(psSolid);
    cv->MoveTo(Args.Rect.Left, Args.Rect.Top - 1);
    cv->LineTo(Args.Rect.Right, Args.Rect.Top - 1);
  }
}

void TkwCustomDBGrid::DrawCheckBoxCell(TkwDrawColumnCellArgs& Args) {
  TCanvas* cv = Args.Canvas;
  TkwColumn* column = Args.Column;
  TkvCustomDbDataController* c = DataController();
  SetHighlightColours(*this, Args, HighlightKind(Args));
  cv->FillRect(Args.Rect);
  if (!column || !c || Args.RowIndex < 0 || !column->DbField()) return;
  if (!dynamic_cast<TkvCheckBoxEditors*>(column->CheckBoxEditors()))
    column->SetCheckBoxEditors(std::make_unique<TkvCheckBoxEditors>(this));
  auto& pool = static_cast<TkvCheckBoxEditors&>(*column->CheckBoxEditors());
  TkvInplaceCheckBox* box = pool.GetEditor(Args.RowIndex - DbView().TopRecord());
  Variant value;
  c->GetRowValue(Args.RowIndex, column->DbField(), value);
  // A Null is neither: the box shows it grayed rather than as False.
  TCheckBoxState state = cbGrayed;
  if (!value.IsNull()) {
    try {
      state = value.AsBoolean() ? cbChecked : cbUnchecked;
    } catch (const Exception&) {
      state = cbGrayed;  // a text that is no Boolean is neither either
    }
  }
  box->SetColor(cv->Brush()->Color());
  box->SetBounds(Args.Rect.Left + 2, Args.Rect.Top + 2, 15, Args.Rect.Bottom - Args.Rect.Top - 4);
  box->Show();
  FBoxStates.emplace_back(box, state);
  FUnplacedBoxes.erase(std::remove(FUnplacedBoxes.begin(), FUnplacedBoxes.end(), box), FUnplacedBoxes.end());
}

// A check box redraws itself at once when its state changes; set while the cells are
// drawn, each such redraw comes between two cells and costs about twice as much (under
// Wine), so the boxes are placed and coloured cell by cell and their states set once
// the cells are done.
void TkwCustomDBGrid::Paint() {
  FUnplacedBoxes.clear();
  FBoxStates.clear();
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* box = dynamic_cast<TkvInplaceCheckBox*>(Controls(i)); box && box->Visible()) FUnplacedBoxes.push_back(box);
  // A paint that stops half-way hides nothing: the rows it did not reach keep theirs.
  struct Forget {
    TkwCustomDBGrid& g;
    ~Forget() {
      g.FUnplacedBoxes.clear();
      g.FBoxStates.clear();
    }
  } forget{*this};
  TkwCustomGrid::Paint();
  for (auto [box, state] : FBoxStates) box->SetState(state);
  for (TWinControl* box : FUnplacedBoxes) box->Hide();
}

void TkwCustomDBGrid::PaintBackground(HDC dc) {
  if (EditorMode() || !TCustomGrid::DefaultDrawing()) TkwCustomGrid::PaintBackground(dc);
}

int TkwCustomDBGrid::HighlightKind(TkwDrawColumnCellArgs& Args) {
  int kind = 0;
  if (RowMarked(Args.RowIndex)) {
    kind = 1;
    Args.State << gdSelected;
  }
  if (Args.State.Contains(gdSelected)) {
    const bool shown = HasGridOption(FOptions, dgAlwaysShowSelection) || Focused();
    const bool locked = PaintUpdateLocked() && !HasGridOption(FOptions, dgRowSelect);
    if (shown && !locked) kind = 1;
  }
  if (RowHighlighted(Args.RowIndex)) kind = 2;
  return kind;
}

bool TkwCustomDBGrid::RowMarked(int DataRow) {
  if (DataRow < 0 || !HasGridOption(FOptions, dgMultiSelect) || !FDataLink->Active() || FSelectedRecs->Count() == 0)
    return false;
  TkvCustomDbDataController* c = DataController();
  if (!c || DataRow >= c->RowCount()) return false;
  return FSelectedRecs->Contains(c->GetRowRecordIndex(DataRow));
}

// Mended: footer texts were written in whatever font the cell before had left on the
// canvas and never reached OnDrawColumnCell. They are written in the column title's
// font, and a handler (or a descendant's DrawColumnCell) that sets Handled leaves the
// cell filled only.
void TkwCustomDBGrid::DrawFooterCell(int ACol, const TRect& ARect, TGridDrawState AState) {
  TCanvas* cv = Canvas();
  cv->Brush()->SetColor(FooterColor());
  cv->Brush()->SetStyle(bsSolid);
  const int index = RawToDataColumn(ACol);
  if (index < 0 || index >= FColumns->Count()) {
    cv->FillRect(ARect);
    return;
  }
  TkwColumn* column = FColumns->Items(index);
  UseFont(cv, *column->Title()->Font());
  TkwDrawColumnCellArgs args;
  args.Canvas = cv;
  args.Rect = ARect;
  args.Col = index;
  args.Column = column;
  args.State = AState;
  args.DisplayText = column->FooterDisplayText();
  cv->FillRect(ARect);
  DrawColumnCell(args);
  if (args.Handled) return;
  WriteText(ARect, 2, 2, args.DisplayText, column->Alignment());
}
