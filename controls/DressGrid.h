// TDressGrid: the bill-detail grid. Logical columns (TitleCol, controls/DressGridModel.h)
// under two fixed title rows and one fixed row-number column; cells are addressed by
// logical column, size number and data row (data row n is grid row n + 1). Numeric
// columns format their texts; column widths are remembered per NoteFileName in the layout
// file (controls/DressGridLayout.h); a title double-click sorts (EnableSort); Ctrl+F
// searches (EnableSearch); a column with a pick list edits with a drop-down list.
//
// The layout is written when the grid goes, and only when it has real columns (not the
// placeholders made at construction) and a width changed; nothing about the file ever
// throws out of the grid or stops its form from opening.
#pragma once
#include <memory>
#include <vector>

#include "controls/AlignGrid.h"
#include "controls/DressGridLayout.h"
#include "controls/DressGridModel.h"
#include "rtl/Collection.h"

enum TDressGridDisplayType { dsNormal, dsMutiSizeRow };

class TDressGrid;
class TFindWindow;

// The settings of one logical column: plain edit (Style 0) or pick list (Style 1).
class TDressColumn : public TCollectionItem {
 public:
  explicit TDressColumn(TCollection* c);
  uint8_t Style = 0;
  TStringList* PickList() const { return FPickList.get(); }
  bool HasPickList() const { return FPickList != nullptr; }
  TStringList* NeedPickList();
  int CreatedIndex = 0;

 private:
  std::unique_ptr<TStringList> FPickList;
};

class TDressColumns : public TCollection {
 public:
  explicit TDressColumns(TDressGrid* grid);
  TDressGrid* Grid() const { return FGrid; }
  // The item at position n: none below 1 and none past the end.
  TDressColumn* Column(int n) const;

 private:
  TDressGrid* FGrid;
};

// The dress grid's pop-up list: the platform's, where Backspace and Esc also move the
// selection one item down (from the last item to none).
class TDressPopupListbox : public TPopupListbox {
 public:
  using TPopupListbox::TPopupListbox;

 protected:
  void KeyPress(char& Key) override;
};

// The dress grid's editor: the aligned grid's, with a drop-down pick list for columns
// whose item has one.
class TInplaceDressEdit : public TNewInplaceEdit {
 public:
  explicit TInplaceDressEdit(TComponent* AOwner);
  TEditStyle EditStyle() const { return FEditStyle; }
  bool ListVisible() const { return FListVisible; }
  TDressPopupListbox* PickList();
  TRect ButtonRect();
  int ButtonWidth() const { return FButtonWidth; }
  void UpdateContents() override;
  void DropDown();
  void CloseUp(bool Accept);

 protected:
  void WndProc(TMessage& m) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void BoundsChanged() override;
  TDressGrid* DressGrid() const;

 private:
  TDressPopupListbox* FPickList = nullptr;  // owned as a component
  TWinControl* FActiveList = nullptr;
  TPoint FPressPos;  // where the last left press or double click in the editor was
  bool FSwallowKeyDown = false;  // the key went to the open list: the editor ignores it
  TEditStyle FEditStyle = esSimple;
  int FButtonWidth;
  bool FListVisible = false;
};

class TDressGrid : public TAlignGrid {
 public:
  explicit TDressGrid(TComponent* AOwner);
  ~TDressGrid() override;

  // --- settings ---
  int FirstRowHeight() const { return FFirstRowHeight; }
  void SetFirstRowHeight(int v);
  int FirstColWidth() const { return FFirstColWidth; }
  void SetFirstColWidth(int v);
  bool EnableSort = false;
  bool EnableSearch = false;
  bool ShowNoEditCells = false;
  bool HaveTotalRow = false;
  TColor TitleColor = clBtnFace;
  TColor SelectedSizeColor = clRed;
  TDressGridDisplayType DisplayType = dsNormal;
  bool CompressTitleHeight() const { return FCompressTitleHeight; }
  void SetCompressTitleHeight(bool v);
  std::function<void(TObject* Sender, int TitleColId, int Code, const AnsiString& DressId)> OnNoFindCode;
  // The layout key; assigning a non-empty one reads its saved layout.
  const AnsiString& NoteFileName() const { return FNoteFileName; }
  void SetNoteFileName(const AnsiString& v);
  // The layout file (the host's folder and ZelvoDerssGrid.dat unless set first; empty,
  // so no layout file, when the host's folder is not known).
  AnsiString LayoutFileName;

  // --- logical columns and cells ---
  void AddColumn(const AnsiString& Caption, const AnsiString& Kind, int Width, const AnsiString& DecimalPattern,
                 const AnsiString& FixedText, bool NumberFlag, bool BlankZero);
  void ClearColumns();
  void ClearRows();
  AnsiString GetDressCell(int ARow, int ACol, int ASize) const;
  void SetDressCell(int ARow, int ACol, int ASize, const AnsiString& Value);
  void FocusDressCell(int ACol, int ASize, int ARow);
  void GridColToTitleCol(int AGridCol, int& ACol, int& ASize) const;
  int TitleColToGridCol(int ACol, int ASize) const { return ::TitleColToGridCol(FTitleCols, ACol, ASize); }
  const std::vector<TitleCol>& TitleCols() const { return FTitleCols; }
  const TDressLayout& SavedLayout() const { return FSavedLayout; }
  TDressColumns* Columns() const { return FColumns.get(); }
  // 0-based index of the current column's TitleCol (-1 when none).
  int CurrentTitleColIndex() const;

  // --- multi-size columns ---
  // Gives logical column ACol (from 1) SizeCount size columns and its sizes (captions, row
  // keys and the keys' size counts), then rebuilds the size title row. The stock-take
  // screen gives no column sizes; nothing happens for a column that does not exist.
  void SetColumnSizes(int ACol, int SizeCount, const std::vector<DressSize>& Sizes);
  // The size title row: kind "1" columns take SizeCount grid columns each, row 1 holds
  // their size captions and its height follows CompressTitleHeight.
  void RebuildSizeTitles();
  // The size line shown while compressed (from 1; 0 none) and the row key it is for.
  int SelectedSizeLine() const { return FSelectedSizeLine; }
  const AnsiString& RowKey() const { return FRowKey; }

  // --- sorting and searching ---
  int SortCol() const { return FSortCol; }
  int SortDirection() const { return FSortDirection; }
  void SortRows();
  TFindWindow* FindWindow();
  // Ctrl+F: opens the find window modally (shared by the grid and its editor).
  bool HandleSearchKey(WORD Key, TShiftState Shift);

  // FirstRowHeight, FirstColWidth, EnableSort, TitleColor, SelectedSizeColor,
  // ShowNoEditCells, DisplayType, CompressTitleHeight, NoteFileName, EnableSearch,
  // HaveTotalRow.
  void DefinePublished(TPublishedProperties& P) override;

  // --- for the editor ---
  TEditStyle DressEditStyle();
  // A double click at Pos (client coordinates): the title sort over a title, else the
  // grid's own double click. The editor's double clicks come with their own position.
  void DblClickAt(TPoint Pos);
  // '*' for an editable cell of a masked column (one with a FixedText), else 0.
  char CellPasswordChar(int ACol, int ARow) const;
  void EditorSetText(const AnsiString& Value) { SetEditText(Col(), Row(), Value); }

 protected:
  TInplaceEdit* CreateEditor() override;
  TEditStyle GetEditStyle(int ACol, int ARow) override { return DressEditStyle(); }
  bool SelectCell(int ACol, int ARow) override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  void Paint() override;
  void TopLeftChanged() override;
  void DblClick() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void Loaded() override;
  void WndProc(TMessage& m) override;

 private:
  friend class TFindWindow;
  TPoint FDblClickPos;  // where the last double click was (client coordinates)
  void ResetSort();
  AnsiString RowKeyOf(int ARow) const;
  void RefreshSizeTitles();
  void PaintTitles();
  void PaintSizeSeparators(const TitleCol& t, int first, int last);
  void DrawSizeTitleCell(int ACol, const TRect& ARect, const TitleCol& t, int size);
  void DrawTitleCell(const TRect& r, const AnsiString& text);
  bool WriteLayout() noexcept;
  std::unique_ptr<TLayoutStore> LayoutStore() const;

  bool FPlaceholders = true;
  bool FTitleInitialised = false;
  int FFirstRowHeight = 30;
  int FFirstColWidth = 20;
  bool FCompressTitleHeight = true;
  int FLastSelectedRow = 0;
  int FSelectedSizeLine = 0;
  AnsiString FNoteFileName;
  TDressLayout FSavedLayout;
  int FSortCol = -1;
  int FSortDirection = 1;
  int FSortTitleCol = -1;
  int FSortSize = 1;
  bool FSortNumeric = false;
  std::unique_ptr<TDressColumns> FColumns;
  AnsiString FRowKey;
  std::vector<TitleCol> FTitleCols;
  TFindWindow* FFindWindow = nullptr;  // owned as a component
};
