// The grid's column dialog.
#include "fukvGridCustomColumns.h"

#include <algorithm>

#include "ui/WinApi.h"

namespace {

template <typename C>
C* Place(TfmGridCustomColumns* form, int l, int t, int w, int h) {
  auto* c = new C(form);  // owned by the form
  c->SetParent(form);
  c->SetBounds(l, t, w, h);
  return c;
}

constexpr int kVisibleCol = 2;
constexpr int kVisibleColWidth = 87;
const char* const kVisibleMark = "*";

}  // namespace

TfmGridCustomColumns::TfmGridCustomColumns(TComponent* AOwner) : TkwDialog(AOwner) {
  SetName("fmGridCustomColumns");
  SetCaption("列调整");
  SetBounds(0, 0, 508, 247);
  stgrdColumns = Place<TStringGrid>(this, 8, 8, 392, 200);
  stgrdColumns->SetColCount(3);
  stgrdColumns->SetColWidths(0, 64);
  stgrdColumns->SetColWidths(1, 204);
  stgrdColumns->SetColWidths(kVisibleCol, kVisibleColWidth);
  stgrdColumns->SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
                                        goDrawFocusSelected, goColSizing});
  stgrdColumns->SetTabStop(true);
  stgrdColumns->OnDblClick = [this](TObject* s) { stgrdColumnsDblClick(s); };
  stgrdColumns->OnDrawCell = [this](TObject* s, int c, int r, TRect rc, TGridDrawState st) {
    stgrdColumnsDrawCell(s, c, r, rc, st);
  };
  btnSwitchVisible = Place<TButton>(this, 412, 8, 75, 25);
  btnSwitchVisible->SetCaption("显示切换");
  btnSwitchVisible->OnClick = [this](TObject* s) { btnSwitchVisibleClick(s); };
  Button1 = Place<TButton>(this, 412, 150, 75, 25);
  Button1->SetCaption("确定");
  Button1->OnClick = [this](TObject* s) { Button1Click(s); };
  Button2 = Place<TButton>(this, 412, 183, 75, 25);
  Button2->SetCaption("取消");
  Button2->OnClick = [this](TObject* s) { Button2Click(s); };
  for (TWinControl* c : std::initializer_list<TWinControl*>{btnSwitchVisible, Button1, Button2}) c->SetTabStop(true);
  OnCreate = [this](TObject* s) { FormCreate(s); };
}

void TfmGridCustomColumns::FormCreate(TObject* Sender) {
  stgrdColumns->SetCells(0, 0, "行号");
  stgrdColumns->SetCells(1, 0, "列名");
  stgrdColumns->SetCells(2, 0, "是否显示");
}

void TfmGridCustomColumns::SetRowData(int row, IkwColumn* column, TColor color) {
  if (row < 0) return;
  if (static_cast<size_t>(row) >= FRows.size()) FRows.resize(static_cast<size_t>(row) + 1);
  FRows[static_cast<size_t>(row)] = TRowData{column, color};
}

IkwColumn* TfmGridCustomColumns::RowColumn(int row) const {
  return row >= 0 && static_cast<size_t>(row) < FRows.size() ? FRows[static_cast<size_t>(row)].Column : nullptr;
}

TColor TfmGridCustomColumns::RowColor(int row) const {
  return row >= 0 && static_cast<size_t>(row) < FRows.size() ? FRows[static_cast<size_t>(row)].Color
                                                             : stgrdColumns->Color();
}

void TfmGridCustomColumns::ToggleRow(int row) {
  if (row <= 0 || row >= stgrdColumns->RowCount() || !RowColumn(row)) return;
  if (stgrdColumns->Cells(kVisibleCol, row) != kVisibleMark) {
    ++VisibleCount;
    stgrdColumns->SetCells(kVisibleCol, row, kVisibleMark);
  } else if (VisibleCount > 1) {
    --VisibleCount;
    stgrdColumns->SetCells(kVisibleCol, row, "");
  }
}

void TfmGridCustomColumns::FitLastColumn() {
  TStringGrid* g = stgrdColumns;
  if (!g->HandleAllocated()) return;
  const int lines = g->ColCount() * g->GridLineWidth();
  const int rest = g->ClientWidth() - g->ColWidths(0) - g->ColWidths(1) - lines;
  g->SetColWidths(kVisibleCol, std::max(kVisibleColWidth, rest));
}

void TfmGridCustomColumns::SetVisible(bool v) {
  TkwDialog::SetVisible(v);
  // The rows are in by now: whether the list scrolls is known.
  if (v) FitLastColumn();
}

void TfmGridCustomColumns::btnSwitchVisibleClick(TObject* Sender) { ToggleRow(stgrdColumns->Row()); }

void TfmGridCustomColumns::stgrdColumnsDblClick(TObject* Sender) {
  if (stgrdColumns->Col() == kVisibleCol) ToggleRow(stgrdColumns->Row());
}

std::vector<AnsiString> kwCellTextLines(const AnsiString& text) {
  std::vector<AnsiString> lines;
  const AnsiString all = text + '\r';
  size_t from = 0;
  for (size_t cr = all.find('\r'); cr != std::string::npos; cr = all.find('\r', from)) {
    lines.push_back(all.substr(from, cr - from));
    from = cr + 1;
    if (from < all.size() && all[from] == '\n') ++from;
  }
  return lines;
}

// Each row in its own colour, the selection blue on white, multi-line texts line by line.
void TfmGridCustomColumns::stgrdColumnsDrawCell(TObject* Sender, int ACol, int ARow, TRect Rect,
                                                TGridDrawState State) {
  TStringGrid* g = stgrdColumns;
  TCanvas* cv = g->Canvas();
  cv->Brush()->SetStyle(bsSolid);
  cv->Brush()->SetColor(g->Color());
  cv->Font()->Assign(g->Font());
  cv->Brush()->SetColor(RowColor(ARow));
  const TGridOptions opts = g->Options();
  if (State.Contains(gdSelected)) {
    if (!State.Contains(gdFocused) || opts.Contains(goDrawFocusSelected) || opts.Contains(goRowSelect)) {
      cv->Brush()->SetColor(clBlue);
      cv->Font()->SetColor(clWhite);
    } else if (State.Contains(gdFixed)) {
      cv->Brush()->SetColor(g->FixedColor());
    }
  } else if (State.Contains(gdFixed)) {
    cv->Brush()->SetColor(g->FixedColor());
  }
  cv->FillRect(Rect);
  cv->Brush()->SetStyle(bsClear);
  int y = Rect.Top + 2;
  for (const AnsiString& line : kwCellTextLines(g->Cells(ACol, ARow))) {
    cv->TextRect(Rect, Rect.Left + 2, y, line);
    y += cv->TextHeight(line);
  }
}
