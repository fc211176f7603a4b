// The grid's column dialog: one row per column with its number, its name and a "*" for a
// visible column. The switch button, or a double click on the third cell, shows or hides
// the current row's column; the last visible column stays. The owner fills the rows and
// applies the marks after OK.
#pragma once
#include <vector>

#include "VCLSource/source/PosGrid/ukvUtility.h"
#include "ui/Button.h"
#include "ui/Grids.h"

class IkwColumn;

class TfmGridCustomColumns : public TkwDialog {
 public:
  explicit TfmGridCustomColumns(TComponent* AOwner);

  void FormCreate(TObject* Sender);
  void Button1Click(TObject* Sender) { SetModalResult(mrOk); }
  void Button2Click(TObject* Sender) { SetModalResult(mrCancel); }
  void btnSwitchVisibleClick(TObject* Sender);
  void stgrdColumnsDblClick(TObject* Sender);
  void stgrdColumnsDrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);

  // What the grid keeps per row beside its texts: the column (null: the row may not be
  // switched) and the row's background colour.
  void SetRowData(int row, IkwColumn* column, TColor color);
  IkwColumn* RowColumn(int row) const;
  TColor RowColor(int row) const;

  // Shows or hides the column of data row `row`; the last visible one is never hidden.
  void ToggleRow(int row);
  // The last column takes the list's width left by the others (never below its own 87
  // pixels), so no empty strip stays at the right whether a scroll bar shows or not.
  void FitLastColumn();
  void SetVisible(bool v) override;

  // The number of rows marked visible, set by the owner when it fills the list.
  int VisibleCount = 0;

  TStringGrid* stgrdColumns;
  TButton* btnSwitchVisible;
  TButton* Button1;
  TButton* Button2;

 private:
  struct TRowData {
    IkwColumn* Column = nullptr;
    TColor Color = clWindow;
  };
  std::vector<TRowData> FRows;
};

// The lines of a multi-line cell text: split at each CR, one LF right after a CR dropped.
std::vector<AnsiString> kwCellTextLines(const AnsiString& text);
