// TFindWindow: the find form of one dress grid, owned by it, searching the cells of the
// chosen field (controls/DressGridSearch.h for the matching and the scan).
#pragma once
#include "controls/FindDlg.h"

class TDressGrid;

class TFindWindow : public TFrmFindDlg {
 public:
  explicit TFindWindow(TDressGrid* grid);
  // The field chooser's items and choice, then FieldChanged.
  void Prepare(TStrings* Fields, const AnsiString& FieldName);
  bool MatchText(const AnsiString& SearchText, const AnsiString& CellText, bool CaseSensitive, bool WholeCell) const;
  int FirstCol() const { return FFirstCol; }
  int LastCol() const { return FLastCol; }
  bool Found() const { return FFound; }
  void FindNext() override;
  void FieldChanged() override;
  void SearchTextChanged() override;

 private:
  bool MatchCell(int col, int row) const;
  TDressGrid* FGrid;
  int FLastCol = -1;
  int FFirstCol = -1;
  bool FFound = false;
};
