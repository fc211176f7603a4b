// The dress grid's find window.
#include "controls/FindWindow.h"

#include <algorithm>

#include "controls/DressGrid.h"
#include "controls/DressGridSearch.h"
#include "ui/GdiScopes.h"

using ui_win::GdiObject;
using ui_win::Selected;
using ui_win::WindowDC;

TFindWindow::TFindWindow(TDressGrid* grid) : TFrmFindDlg(grid), FGrid(grid) {}

void TFindWindow::Prepare(TStrings* Fields, const AnsiString& FieldName) {
  cbbFieldName->Items()->Assign(Fields);
  cbbFieldName->SetItemIndex(cbbFieldName->Items()->IndexOf(FieldName));
  FieldChanged();
}

bool TFindWindow::MatchText(const AnsiString& SearchText, const AnsiString& CellText, bool CaseSensitive,
                            bool WholeCell) const {
  return ::MatchText(SearchText, CellText, CaseSensitive, WholeCell);
}

bool TFindWindow::MatchCell(int col, int row) const {
  return ::MatchText(edtSearchText->Text(), FGrid->Cells(col, row), chkCaseSensitive->Checked(),
                     chkWholeWords->Checked());
}

void TFindWindow::FieldChanged() {
  FFirstCol = FLastCol = -1;
  FFound = false;
  const AnsiString field = cbbFieldName->Text();
  const std::vector<TitleCol>& cols = FGrid->TitleCols();
  for (size_t i = 0; i < cols.size(); ++i) {
    if (cols[i].Width == -1 || cols[i].Caption != field) continue;
    FFirstCol = FirstGridColOf(cols, static_cast<int>(i) + 1);
    int parts = 1;
    for (const DressSize& s : cols[i].Sizes)
      parts = std::max(parts, SizeCaptionParts(s.Captions));
    FLastCol = FFirstCol + parts - 1;
    break;
  }
  if (FFirstCol < 0) return;
  if (FGrid->Col() < FFirstCol || FGrid->Col() > FLastCol) FGrid->SetCol(FFirstCol);
  FFound = MatchCell(FGrid->Col(), FGrid->Row());
}

void TFindWindow::SearchTextChanged() { FFound = MatchCell(FGrid->Col(), FGrid->Row()); }

void TFindWindow::FindNext() {
  const auto hit = FindNextCell(FFirstCol, FLastCol, FGrid->Col(), FGrid->Row(), FGrid->RowCount(),
                                FGrid->FixedRows(), rbDown->Checked(),
                                [this](int c, int r) { return MatchCell(c, r); });
  if (hit) {
    FFound = true;
    FGrid->SetRow(hit->Row);
    FGrid->SetCol(hit->Col);
    return;
  }
  if (!FFound) {
    Application->MessageBox("已经完成搜索，未找到搜索项", "提示", MB_ICONINFORMATION);
    return;
  }
  // The last match stays marked while the message is up.
  const TRect r = FGrid->CellRect(FGrid->Col(), FGrid->Row());
  if (r.Right > r.Left) {
    TCanvas* cv = FGrid->Canvas();
    WindowDC dc(FGrid->Handle());
    cv->SetHandle(dc.dc());
    cv->Brush()->SetColor(clHighlight);
    cv->FillRect(r);
    cv->Font()->Assign(FGrid->Font());
    cv->Font()->SetColor(clWhite);
    TRect t = r;
    cv->Brush()->SetStyle(bsClear);
    cv->DrawText(FGrid->Cells(FGrid->Col(), FGrid->Row()), t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    cv->Brush()->SetStyle(bsSolid);
    cv->SetHandle(nullptr);
  }
  Application->MessageBox("已经完成搜索", "提示", MB_ICONINFORMATION);
}
