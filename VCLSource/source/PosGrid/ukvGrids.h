// TkwCustomGrid: the library's grid control. It is the platform grid (ui/Grids.h) with
// these changes: its in-place editor reaches it through a grid view (ukvGridsIntf.h);
// the last FixedDataCols fixed columns are painted as data ("fixed data columns"),
// with a 3-pixel separator after them; an optional footer band of one row (index -1)
// sits at the bottom edge; rows are 18 pixels high by default; the horizontal thumb
// counts shown columns; with goRowSelect the current column stays where it was put;
// the column-move marker ends at the bottom of the title rows.
//
// Invariants (besides the platform grid's): 0 <= FixedDataCols <= FixedCols and
// FixedDataCols < ColCount; the footer band is never part of the row area.
#pragma once
#include <memory>

#include "VCLSource/source/PosGrid/ukvGridLayout.h"
#include "VCLSource/source/PosGrid/ukvGridsIntf.h"
#include "ui/Grids.h"

class TkwCustomGrid : public TCustomGrid {
 public:
  explicit TkwCustomGrid(TComponent* AOwner);
  ~TkwCustomGrid() override;

  int FixedDataCols() const { return FFixedDataCols; }
  // Raises EkwInvalidGridOperation below 0 or above FixedCols or not below ColCount;
  // re-initialises the current cell and the top-left cell.
  void SetFixedDataCols(int v);
  // Keeps FixedDataCols within the new fixed columns. A change of ColCount (however it
  // comes: ColCount, DeleteColumn, through the platform grid too) keeps it within the
  // new fixed columns and columns as well.
  void SetFixedCols(int v);
  bool Footer() const { return FFooter; }
  void SetFooter(bool v);
  TColor FooterColor() const { return FFooterColor; }
  void SetFooterColor(TColor v);
  int GetFooterHeight() const { return DefaultRowHeight(); }
  // The client rectangle of a range of cells, as the platform grid works it out (empty
  // when it is not on screen); with the footer on, a range whose top row is -1 lies in
  // the footer band: from ClientHeight - GetFooterHeight to ClientHeight.
  TRect GridRectToScreenRect(const TGridRect& r, bool IncludeLine = false);
  // The client rectangle of a column's footer cell (empty without a footer).
  TRect FooterCellRect(int ACol);
  void InvalidateFooter();
  // The column's cells and, with the footer on, its footer cell.
  void InvalidateCol(int ACol);
  TGridRect Selection() const override;
  // Does nothing while the grid paints itself.
  void Invalidate() override;
  // The grid's view, made on first demand; later demands give the same object.
  std::shared_ptr<IkwGridView> GetGridView();
  // The window-free layout input of the grid as it stands.
  kw_grid::TLayoutInput LayoutInput();
  // Whether the grid lays its cells and editor out for right-to-left reading. The
  // framework reads left to right only; a descendant may answer otherwise.
  virtual bool UseRightToLeftAlignment() { return false; }

 protected:
  friend class TkwCustomGridView;
  virtual TkwGridViewClass GetGridViewClass();
  virtual void KeyDownEvent(WORD& Key, TShiftState Shift);
  virtual TColor GetFixedLineColor() { return clBlack; }

  int GetColWidths(int index) override;
  int GetRowHeights(int index) override;
  void CalcFixedInfo(TGridDrawInfo& info) override;
  void CalcDrawInfoXY(TGridDrawInfo& info, int useWidth, int useHeight) override;
  // Mended: under goRowSelect the platform grid put the current column on FixedCols and
  // brought that column into view before the column asked for was put back, so a
  // row-select grid scrolled back to its first columns on every move and never showed a
  // column past its right edge. The current column is the one asked for, that cell is
  // the one brought into view, and a cell left of LeftCol makes its column LeftCol.
  bool RowSelectKeepsColumn() const override { return true; }
  void UpdateScrollPos() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void BoundsChanged(bool sized) override;
  void TopLeftChanged() override;
  void SizeChanged(int OldColCount, int OldRowCount) override;
  // The platform grid's index and count errors reach callers as EkwInvalidGridOperation.
  [[noreturn]] void RaiseGridError(const char* Text) override;
  // The column-move marker ends at the bottom of the title rows.
  int ColumnMoveMarkerBottom() override;

 private:
  int FFixedDataCols = 0;
  bool FFooter = false;
  TColor FFooterColor = clBlack;
  std::shared_ptr<TkwCustomGridView> FGridView;
};
