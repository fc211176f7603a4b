// TAlignGrid: a string grid whose cells carry alignment, editability, hints, fonts,
// brushes and selected colours by cell, column and row (controls/AlignGridProps.h), kept
// in form resources (controls/AlignGridStream.h), and which edits cells with three cell
// events and moves on to the next editable cell.
//
// Edit events run after the editor's own key handling: the editor posts WM_USER + 2000
// (Esc: cancel) and + 2001 (Enter); leaving a changed cell posts + 2002 (after edit);
// preparing the editor on a cell sends + 2003 (before edit) at once; + 2004 re-opens the
// editor with the selection it had when the focus last left the grid. WParam is the
// column, LParam the row. Each change is reported once: after OnAfterEdit is raised the
// editor's start text becomes its current text and its Modified flag is cleared.
#pragma once
#include "controls/AlignGridNav.h"
#include "controls/AlignGridProps.h"
#include "controls/ShowHintHook.h"
#include "rtl/PublishedProperties.h"
#include "ui/Grids.h"

constexpr UINT WM_ALIGNGRID_CANCEL = WM_USER + 2000;
constexpr UINT WM_ALIGNGRID_ENTER = WM_USER + 2001;
constexpr UINT WM_ALIGNGRID_AFTEREDIT = WM_USER + 2002;
constexpr UINT WM_ALIGNGRID_BEFOREEDIT = WM_USER + 2003;
constexpr UINT WM_ALIGNGRID_REOPEN = WM_USER + 2004;

using TCellEvent = std::function<void(TObject* Sender, int col, int row)>;
using TCompareFunction = std::function<t_relation(TObject* Sender, int colrow, int compare1, int compare2)>;

class TAlignGrid;

// The aligned grid's in-place editor: the cell it was prepared for, whether the edit of
// that cell has started, and the cell's text when it did.
class TNewInplaceEdit : public TInplaceEdit {
 public:
  explicit TNewInplaceEdit(TComponent* AOwner);
  T_Align Alignment() const { return FAlignment; }
  // A new alignment re-creates the window (the style holds it) and selects all text.
  void SetAlignment(T_Align v);
  // The password character of the cell edited (0: none). A multi-line edit echoes none,
  // so a cell with one is edited in a one-line window, which claims the same keys; the
  // window is made anew when the character comes or goes.
  void SetCellPasswordChar(char v);
  int CellCol = -1;
  int CellRow = -1;
  bool Started = false;
  AnsiString EditStartText;
  // The text differs from the start text, or the user changed it.
  bool Changed() const;
  // Changed, then the change counts as reported (start text := text, Modified clear).
  bool TakeChange();

 protected:
  void CreateParams(TCreateParams& p) override;
  void WndProc(TMessage& m) override;
  void CNKeyDown(TMessage& m) override;
  void BoundsChanged() override;
  // A one-line window has no formatting rectangle: its margins (left, right) stand in for
  // it, and its text is scrolled back to the start (a window hidden at no size scrolled it
  // away when the cell's text was loaded). Nothing for a multi-line window.
  void FitOneLine(int LeftMargin, int RightMargin);
  void KeyPress(char& Key) override;
  TAlignGrid* AlignGrid() const;
  // A new window for a new style, with the text, its Modified flag and the focus of the
  // old one; the grid sees no focus change of its own.
  void RecreateWindow();

 private:
  T_Align FAlignment = al_Left;
};

class TAlignGrid : public TStringGrid {
 public:
  explicit TAlignGrid(TComponent* AOwner);
  ~TAlignGrid() override;

  // --- grid-wide settings ---
  T_Align Alignment() const { return FAlignment; }
  void SetAlignment(T_Align v);
  bool Editable() const { return FEditable; }
  void SetEditable(bool v) { FEditable = v; }
  bool ShowCellHints() const { return FShowCellHints; }
  void SetShowCellHints(bool v) { FShowCellHints = v; }
  TColor SelectedCellColor() const { return FSelectedCellColor; }
  void SetSelectedCellColor(TColor v);
  TColor SelectedFontColor() const { return FSelectedFontColor; }
  void SetSelectedFontColor(TColor v);
  bool AutoEditNextCell = false;
  bool DrawSelection = true;
  T_nextcell NextCellEdit = nc_rightdown;
  T_nextcell NextCellTab = nc_rightdown;
  t_lastcell AfterLastCellEdit = lc_newcolrow;
  t_lastcell AfterLastCellTab = lc_first;

  TCellEvent OnAfterEdit, OnCancelEdit, OnBeforeEdit;
  TCompareFunction OnCompareCol, OnCompareRow;
  TNotifyEvent OnColWidthsChanged, OnRowHeightsChanged;

  // --- properties by cell ---
  TAlignGridProps& Props() { return FProps; }
  const TAlignGridProps& Props() const { return FProps; }
  bool IsFixedCell(int ACol, int ARow) const { return ACol < FixedCols() || ARow < FixedRows(); }
  T_Align CellAlignment(int ACol, int ARow) const;
  bool CellEditable(int ACol, int ARow) const;
  bool GetEditCol(int ACol) const { return FProps.GetEditCol(ACol); }
  // The cell's font: its own, its column's or row's, else the grid's Font (the object
  // returned lives until the next call).
  TFont* CellFont(int ACol, int ARow);
  TCellBrush CellBrush(int ACol, int ARow);
  TColor CellColor(int ACol, int ARow) { return CellBrush(ACol, ARow).Color; }
  TColor RowColor(int ARow) const;
  TColor CellSelectedColor(int ACol, int ARow) const;
  AnsiString CellHint(int ACol, int ARow) const { return FProps.CellHint(ACol, ARow); }
  void SetCellAlignment(int ACol, int ARow, T_Align Value);
  void SetCellEditable(int ACol, int ARow, bool Value);
  void SetEditCol(int ACol, bool Value);
  // The entry, made when absent as a copy of the grid's own brush. Every font and brush
  // the grid makes or reads repaints the grid when it changes.
  TCellBrush* BrushCellOf(int ACol, int ARow);
  TCellBrush* BrushColOf(int ACol);
  TCellBrush* BrushRowOf(int ARow);
  TCellBrush* BrushFixedColOf(int ACol);
  TCellBrush* BrushFixedRowOf(int ARow);

  // --- structure ---
  void InsertCol(int ACol);
  void InsertRow(int ARow);
  void ExchangeRows(int ARow1, int ARow2);

  // --- editing ---
  void ShowCellEditor();
  void NextCell(T_nextcell Order, t_lastcell LastCell, int& ACol, int& ARow);
  void NextEditableCell(int& ACol, int& ARow);
  bool EditStarted() const { return FEditStarted; }
  TNewInplaceEdit* Editor() const { return dynamic_cast<TNewInplaceEdit*>(InplaceEditor()); }

  // Alignment, Editable, FixedColor, ShowCellHints, SelectedCellColor, SelectedFontColor,
  // AutoEditNextCell, NextCellEdit, NextCellTab, AfterLastCellEdit, AfterLastCellTab,
  // DrawSelection (events are code, not data).
  void DefinePublished(TPublishedProperties& P) override;

 protected:
  TInplaceEdit* CreateEditor() override;
  bool CanEditShow() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void WMChar(TMessage& m) override;
  void DoExit() override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
  void ColWidthsChanged() override;
  void RowHeightsChanged() override;
  void WndProc(TMessage& m) override;
  void DefineProperties(TFiler& Filer) override;
  void Loaded() override;
  // Raises OnAfterEdit for a changed cell (once per change).
  void AfterEditIfChanged(int ACol, int ARow);
  // The navigation's view of this grid.
  class TNav;
  void MouseMove(TShiftState Shift, int X, int Y) override;

 public:
  // The cell whose hint was shown last; (-1, -1) when none.
  TGridCoord HintCell() const { return FHintCell; }
  // Called for every hint the application is about to show: a hint over this grid
  // shows the hovered cell's hint, 6 pixels below the cell.
  void ShowHintHandler(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo);

 private:
  t_relation CompareCells(const AnsiString& a, const AnsiString& b) const;
  // A brush as the grid's own, repainting the grid on change (not yet Modified).
  TCellBrush NewBrush();
  TAlignGridProps FProps;
  // The change notice of the grid's fonts and brushes: its repaint.
  const TCellChangeNotice FCellChanged;
  T_Align FAlignment = al_Left;
  bool FEditable = true;
  bool FShowCellHints = true;
  TColor FSelectedCellColor = clActiveCaption;
  TColor FSelectedFontColor = clWhite;
  bool FEditStarted = false;
  int FSavedSelStart = 0;
  int FSavedSelLength = 0;
  int FMovingInserted = 0;  // InsertCol's own column moves do not shift the lists again
  TFont FCellFont;
  TGridCoord FHintCell{-1, -1};
  std::unique_ptr<TShowHintRegistration> FHintRegistration;  // ends before the grid does
};
