// TkwCustomDBGrid: the library's data-aware grid. A TkwCustomGrid whose columns are the
// TkwColumn items of a TkwDBGridColumns collection and whose rows are the rows of a data
// controller, seen through the grid view TkwCustomDbGridView (ukvDbGridsView.h): the
// grid shows the view's buffer of rows (TopRecord .. TopRecord + BufferCount - 1) in the
// rows below its titles and never moves the dataset itself.
//
// Layout work is batched: BeginLayout/EndLayout nest and the outermost EndLayout lays
// the grid out once; DeferLayout posts WM_USER + 100 instead. Repaint work is batched by
// PostDeferredUpdate, which ORs its bits into one pending WM_USER + 103. Work asked for
// before the window exists is done when the window is created.
//
// Ownership: the grid owns its columns, data link, dialogs, image lists and selection
// state; the data controller is a component owned by the grid. The columns are freed
// before the controller (each takes its field item out of it).
#pragma once
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "VCLSource/source/PosGrid/ukvDbGridsColumns.h"
#include "VCLSource/source/PosGrid/ukvDbGridsLayoutRules.h"
#include "VCLSource/source/PosGrid/ukvDbGridsLink.h"
#include "VCLSource/source/PosGrid/ukvDbGridsOptions.h"
#include "VCLSource/source/PosGrid/ukvDbGridsSelection.h"
#include "VCLSource/source/PosGrid/ukvGrids.h"
#include "ui/CheckBox.h"

class TDataSource;
class TImageList;
class TfmGridFilter;
class TfmGridLocate;
class TfmGridCustomColumns;
class TkwCustomDbGridView;
class TkvExprCalculator;
class TkvInplaceCheckBox;
class TkwDbGridController;
class TkwCustomDBGrid;

// The arguments of OnDrawColumnCell. RowIndex counts in the data controller's row order;
// Col is the column's index in Columns (the indicator not counted). A footer cell comes
// with RowIndex -1, gdFooter in State and its footer text.
struct TkwDrawColumnCellArgs {
  TCanvas* Canvas = nullptr;
  TRect Rect;
  int RowIndex = -1;
  int Col = -1;
  TkwColumn* Column = nullptr;
  TGridDrawState State;
  AnsiString DisplayText;
  bool Handled = false;
};

using TkwDBGridClickEvent = std::function<void(TkwColumn* Column)>;
using TMovedColumnEvent = std::function<void(TObject* Sender, TkwColumn* FromColumn, TkwColumn* ToColumn)>;
using TkwDrawColumnCellEvent = std::function<void(TObject* Sender, TkwDrawColumnCellArgs& ADrawArgs)>;
using TkwDBGridGetdiplayRowNoText = std::function<void(TObject* Sender, AnsiString& RowNoText)>;
using TkwDBGridGetdiplayText = std::function<void(TObject* Sender, TkwColumn* AColumn, AnsiString& Value)>;
using TkwDBGridGetDiplayTitleText = std::function<void(TObject* Sender, TkwColumn* AColumn, AnsiString& Title)>;
using TkwNeedCustomDisplayTextEvent =
    std::function<void(TObject* Sender, TkwColumn* AColumn, bool& ANeedCustomDisplayText)>;
class TkwDbGridColumnList;
// The columns bound to a field whose value changed (none when no field was named).
using TkwFieldColumnsChangedEvent = std::function<void(TObject* Sender, const TkwDbGridColumnList& Columns)>;
using TkwCheckNeedShowColumnInListEvent = std::function<void(TkwCustomDBGrid* Sender, TkwColumn* AColumn,
                                                             TkwShowColumnType AShowColumnType, bool& ANeedShow)>;

// Makes the grid's data controller, owned by the grid as a component.
using TkwDataControllerClass = std::function<TkvCustomDbDataController*(TComponent* owner)>;

// The names of the glyph bitmaps, in image order.
inline constexpr const char* kIndicatorGlyphs[] = {"kvDBGARROW", "kvDBEDIT", "kvDBINSERT", "kvDBMULTIDOT",
                                                   "kvDBMULTIARROW"};
inline constexpr const char* kSortGlyphs[] = {"kvDBSORTUP", "kvDBSORTDOWN"};

// The multi-selection (dgMultiSelect) holds record indexes of the data controller: rows
// are marked by Ctrl clicks (one row toggled), plain clicks (only the clicked row),
// Shift clicks and Shift+Up/Down (the rows from the focused one to the one reached).
class TkwCustomDBGrid : public TkwCustomGrid, public IkwSelectionGrid {
 public:
  static constexpr UINT WM_KW_DEFERLAYOUT = WM_USER + 100;
  static constexpr UINT WM_KW_DEFERUPDATE = WM_USER + 103;

  explicit TkwCustomDBGrid(TComponent* AOwner);
  ~TkwCustomDBGrid() override;

  // --- model ------------------------------------------------------------------------------
  TkwDBGridColumns* Columns() const { return FColumns.get(); }
  void SetColumns(TkwDBGridColumns* v);
  TDataSource* DataSource() const;
  // Refuses a unidirectional dataset (the database error of the library's message),
  // changing nothing; the same source again changes nothing.
  void SetDataSource(TDataSource* v);
  TkwGridDataLink& DataLink() { return *FDataLink; }
  TkvCustomDbDataController* DataController() override;
  // The grid's controller as its own class; none while the grid is going.
  TkwDbGridController* GridController();
  TkwCustomDbGridView& DbView();
  TkvExprCalculator& GetExprCalculator();
  TkwDBGridOptions Options() const { return FOptions; }
  bool ReadOnly() const { return FReadOnly; }
  TkwGridFont* TitleFont();
  // The grid's Font as its columns take it (their default font), brought up to date
  // with Font at every read.
  const TkwGridFont& ColumnsFont();
  // The input-method settings the grid holds for its columns (their defaults). The
  // framework sets no input method on a window: the values are kept, nothing more.
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode v) { FImeMode = v; }
  const AnsiString& ImeName() const { return FImeName; }
  void SetImeName(const AnsiString& v) { FImeName = v; }
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool v) { FDefaultDrawing = v; }
  TColor HighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor v) { FHighlightColor = v; }
  // The row-highlight formula, a condition over the dataset's fields (QTY > 10 AND NAME
  // = '梨'): rows where it holds are drawn with highlight kind 2, in HighlightColor.
  // Empty: no row is highlighted. The formula is an item of the data controller's
  // formulas, compiled at once when the dataset is open (its error raised, the text kept
  // and nothing highlighted) and again whenever the controller binds its fields.
  const AnsiString& HighlightFormula() const { return FHighlightFormula; }
  void SetHighlightFormula(const AnsiString& v);
  // The highlight formula holds for the data row (false without one, for a row past the
  // last, and where the formula cannot be worked out: painting never raises).
  bool RowHighlighted(int DataRow);
  TColor OddRowColor() const { return FOddRowColor; }
  TColor EvenRowColor() const { return FEvenRowColor; }
  bool RowColorsAssigned() const { return FRowColorsAssigned; }
  void SetRowColors(TColor odd, TColor even);
  int MinRowCount() const { return FMinRowCount; }
  int SelectedIndex();
  TkwColumn* SelectedColumn();
  TField* SelectedField();
  int FocusedRowIndex();

  // --- multi-selection --------------------------------------------------------------------
  TkwSelectedRecs& SelectedRecs() { return *FSelectedRecs; }
  TkwSelectedRows& SelectedRows() { return *FSelectedRows; }
  // Marks or focuses a row of the data controller (only with an active data link):
  // without AddToSelection the marks are cleared first; with dgMultiSelect and not
  // MakeFocused the row is marked and the focus stays; otherwise the row is focused
  // and, with dgMultiSelect, marked.
  void SelectRow(int RowIndex, bool AddToSelection, bool MakeFocused);
  // Clears the marks (only with dgMultiSelect).
  void ClearSelection();
  // The value of a column at a row of the data controller: Null for no column or a row
  // past the last; a negative row reads the column's footer value.
  Variant GetCellValue(TkwColumn* Column, int RowIndex);
  // The value of a column at the focused row; Null when no row is focused (never the
  // footer's value).
  Variant FocusedCellValue(TkwColumn* Column);
  // The data row the last double-click hit; -1 when it hit none (titles, footer, the
  // rows below the data). Read it in OnDblClick.
  int DblClickRowIndex() const { return FDblClickRow; }

  // --- IkwSelectionGrid -------------------------------------------------------------------
  int CurrentRecordIndex() override;
  void InvalidateCurrentRow() override;
  // The first column whose FieldName (Name) equals name, ignoring ASCII letter case;
  // none when no column matches.
  TkwColumn* FindColumnByFieldName(const AnsiString& name) const;
  TkwColumn* FindColumnByName(const AnsiString& name) const;
  // Whether a column may stand in the column list of a dialog (kind names the list): one
  // without child columns and without gcoConfigNoVisible, unless
  // CheckNeedShowColumnInListEvent, asked with that list's kind, refuses it.
  bool ColumnMayBeListed(TkwColumn* Column, TkwShowColumnType Kind);
  // Fills the locate dialog's column list (each visible, unexpanded column with a field
  // that may be listed, under its parents' captions); the columns listed, in order.
  std::vector<TkwColumn*> FillLocateList();

  // --- layout state ------------------------------------------------------------------------
  int TitleOffset() const { return FTitleOffset; }
  int IndicatorOffset() const { return FIndicatorOffset; }
  int LayoutLock() const { return FLayoutLock; }
  const std::vector<TkwColumn*>& ShownColumns() const { return FShownColumns; }
  // The grid column of a column in Columns, and back (-1 for the indicator).
  int RawToDataColumn(int ACol) const { return ACol - FIndicatorOffset; }
  int DataToRawColumn(int ACol) const { return ACol + FIndicatorOffset; }
  const kw_dbgrid::TDeferredUpdates& DeferredUpdates() const { return FDeferred; }
  TImageList& IndicatorImages() { return *FIndicatorImages; }
  TImageList& SortImages() { return *FSortImages; }
  TfmGridFilter& FilterDialog() { return *FFilterDialog; }
  TfmGridLocate& LocateDialog() { return *FLocateDialog; }
  TfmGridCustomColumns& CustomColumnsDialog() { return *FCustomColumnsDialog; }
  bool LocateFirst() const { return FLocateFirst; }

  // --- the dialogs (ukvDbGridsDialogs.cpp) ------------------------------------------------------
  // The grid's menu, at a right click or the context-menu key, offers its dialogs: locate,
  // filter (not under dgDisFilter) and the column dialog. OnContextPopup comes first; when
  // it handles the message there is no menu.
  // Fills the locate and filter dialogs' column lists and the column dialog's rows from
  // Columns (deferred-update bit $10).
  // Postponed while the dialog-list lock is held; the last unlock then refreshes once when
  // a refresh was asked for meanwhile.
  void RefreshColumnLists();
  void LockDialogLists() { ++FDialogListLock; }
  void UnlockDialogLists();
  int DialogListLock() const { return FDialogListLock; }
  // Shows the filter dialog; OK applies its conditions to the grid filter.
  void ShowFilterDialog();
  // Shows the column dialog; OK shows and hides the columns as marked.
  void ShowCustomColumnsDialog();
  // Menu commands of the dialogs' menu.
  enum TkwDialogCommand : int { dcLocate = 1, dcFilter = 2, dcCustomColumns = 3 };
  // Runs one command of the menu (what choosing it does).
  void RunDialogCommand(int command);

  void BeginLayout();
  void EndLayout();
  // Posts the deferred-layout message once and releases one layout lock without laying
  // out; with no window yet the layout runs when the window is created.
  void DeferLayout();
  // ORs mask into the pending deferred update (kw_dbgrid::du* bits) and posts
  // WM_USER + 103 once; without a window the bits wait for its creation.
  void PostDeferredUpdate(uint8_t mask);
  // The platform-style update lock of painting.
  void BeginPaintUpdate() { ++FUpdateLock; }
  void EndPaintUpdate() { --FUpdateLock; }
  bool PaintUpdateLocked() const { return FUpdateLock > 0; }
  // The public update lock: the first one takes a layout lock, the last one ends it.
  virtual void BeginUpdate();
  virtual void EndUpdate();

  // --- options --------------------------------------------------------------------------------
  virtual void SetOptions(TkwDBGridOptions v);
  virtual void SetReadOnly(bool v);
  virtual void SetMinRowCount(int v);

  // --- events ----------------------------------------------------------------------------------
  TkwDBGridClickEvent OnCellClick;
  TNotifyEvent OnColEnter;
  TNotifyEvent OnColExit;
  TMovedColumnEvent OnColumnMoved;
  TkwDrawColumnCellEvent OnDrawColumnCell;
  TNotifyEvent OnEditButtonClick;
  TkwDBGridGetdiplayRowNoText OnGetDisplayLineText;
  TkwDBGridGetdiplayText OnGetDisplayText;
  TkwDBGridGetDiplayTitleText OnGetDisplayTitleText;
  TkwDBGridGetdiplayText OnGetFooterDisplayText;
  TkwNeedCustomDisplayTextEvent OnNeedCustomDisplayTextEvent;
  TkwDBGridClickEvent OnTitleClick;
  TkwCheckNeedShowColumnInListEvent CheckNeedShowColumnInListEvent;
  // After a record change: the columns bound to the changed field.
  TkwFieldColumnsChangedEvent OnFieldColumnsChanged;

  // The grid's own painting of a data cell (for OnDrawColumnCell handlers too): the
  // background and font colour of its highlight kind on the canvas's brush and font,
  // the display text; a selected cell of kind 2 under dgRowSelect gets a line in
  // HighlightColor above it.
  void DefaultDrawColumnCell(TkwDrawColumnCellArgs& Args);

  // --- operations of the grid view ---------------------------------------------------------------
  virtual bool CanModifyData();
  virtual bool DataControllerActive();
  virtual void LayoutChanged();
  virtual void LinkActive(bool Value);
  virtual void RecordChanged(TField* Field);
  // The current grid row follows the view's ActiveRecord (the current column stays);
  // an editor left on the same grid row over another record takes that record's text,
  // unless text typed into it waits to be written.
  void UpdateActive();
  void UpdateScrollBars();
  void UpdateRowCount();
  void Loaded() override;
  // Columns are streamed as the defined property "Columns", a collection: written only
  // when they are customised (the default layout is made again from the dataset);
  // reading replaces them.
  void DefineProperties(TFiler& Filer) override;

 protected:
  friend class TkwCustomDbGridView;
  friend class TkwDbGridColumnsHost;

  // --- new virtual operations ----------------------------------------------------------------------
  virtual void DoColumnMoved(TkwColumn* FromColumn, TkwColumn* ToColumn);
  virtual std::unique_ptr<TkwDBGridColumns> CreateColumns();
  virtual std::unique_ptr<TkwGridDataLink> CreateDataLink();
  virtual void DefineFieldMap();
  virtual int CompareBlankRows(int Record1, int Record2, int Direction, TkwColumn* Column);
  // Every shown column's display text at the record is empty: the record is a blank row
  // of the sort under dgDiscompareBlankRow (a descendant may say otherwise).
  virtual bool IsBlankRecord(int RecordIndex);
  virtual void DoGetDisplayText(TkwColumn* Column, AnsiString& Text, int RowIndex);
  virtual void DoGetLineText(int RowIndex, AnsiString& Text) {}
  virtual void DoPressReturnKey(TkwColumn* Column) {}
  virtual TCollectionItemClass GetColumnClass();
  virtual TkwDataControllerClass GetDataControllerClass();
  virtual TField* GetColumnField(TkwColumn* Column);
  virtual bool CanEditCurrentColumn();
  virtual void SetColumnAttributes();
  virtual void AfterSetFieldText(const AnsiString& Text) {}
  // The view's active record moved by Distance rows: the current grid row, the rows shown
  // and the scroll bar follow at once.
  virtual void Scroll(int Distance);

  // --- editing (ukvDbGridsEditing.cpp) -------------------------------------------------------
  TInplaceEdit* CreateEditor() override;
  // A check-box column or one that hides its content has no editor: the grid does not go
  // into editor mode there (the base grid would, and then never paint the current cell).
  void ShowEditor() override;
  AnsiString GetEditText(int ACol, int ARow) override;
  // The text the editor takes for the current cell (what GetEditText answers, not
  // kept as EditText).
  AnsiString CurrentEditText();
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  int GetEditLimit() override;
  AnsiString GetEditMask(int ACol, int ARow) override;
  // Simple for a read-only grid or column; an ellipsis button for gcbsEllipsis; a list
  // for gcbsLookupList when the column has pick-list items, is a lookup column or
  // shows a lookup field.
  TEditStyle GetEditStyle(int ACol, int ARow) override;
  // Not in a check-box column nor a lookup field's; else the field in charge (a lookup
  // column's key field, otherwise the column's field) must take the character, numbers
  // through the data-aware editor's key filter.
  bool CanEditAcceptKey(char Key) override;
  bool CanEditModify() override;
  // The editor's text to the current column's field (the data link's post).
  virtual void UpdateData();
  // A click on a check-box cell: the current row's value inverted and written.
  void ToggleCheckBox();
  // Leaving the grid: with dgCancelOnExit an inserted record nobody changed is dropped;
  // otherwise the typed text is written to the field and the field's rules run.
  void DoExit() override;
  void LeaveEditedField();
  // Entering the grid shows the editor of a column that always shows it.
  void DoEnter() override;
  // Makes the column collection again with the class's own column class: for the
  // constructor of a class that answers GetColumnClass otherwise (the base constructor
  // could only ask the base). The collection must still be empty.
  void RecreateColumns();

  // --- base grid operations ----------------------------------------------------------------------
  TkwGridViewClass GetGridViewClass() override;
  bool AlwaysShowEditor(int ACol) override;
  bool CanEditShow() override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void ColWidthsChanged() override;
  void CreateHandle() override;
  void WndProc(TMessage& m) override;
  // A freed dataset field is let go by every column bound to it (the layout then runs
  // again, posted); a freed popup menu by every column that pops it up.
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void UpdateScrollRange() override;
  void UpdateScrollPos() override;
  void BoundsChanged(bool sized) override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  void WMContextMenu(TMessage& m) override;
  // A mouse selection held past the top (bottom) edge moves to the row above (below) the
  // rows shown; sideways as the base grid.
  void TimedScroll(unsigned Direction) override;
  // The title band is repainted: a parent's title is centred over the part of its
  // columns in view.
  void TopLeftChanged() override;
  // Focus back from the in-place editor: the editor is repainted.
  void WMSetFocus(TMessage& m) override;
  // At design time a grid of default columns without an active link shows the arrow
  // everywhere (no sizing cursors over columns that are not there yet).
  void WMSetCursor(TMessage& m) override;
  // Tracks the dialogs' menu at a screen point; the command chosen, 0 for none.
  virtual int TrackDialogMenu(POINT screen);

  // --- painting (ukvDbGridsPaint.cpp) ------------------------------------------------------------
  virtual void DrawIndicatorCell(int ARow, const TRect& ARect, TGridDrawState AState);
  virtual void DrawTitleCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
  virtual void DrawDataCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
  virtual void DrawFooterCell(int ACol, const TRect& ARect, TGridDrawState AState);
  // Fires OnDrawColumnCell.
  virtual void DrawColumnCell(TkwDrawColumnCellArgs& Args);
  // The cell of a check-box column: its background and, for a row with a record, the
  // row's check box of the column's pool over it (checked, unchecked, grayed for Null).
  virtual void DrawCheckBoxCell(TkwDrawColumnCellArgs& Args);
  // 0 none, 1 selected (a marked row, or the selected cell shown as such: the selected
  // state is then added to Args), 2 the second kind (a row where the highlight formula
  // holds, whatever else; a descendant may give it to other rows).
  virtual int HighlightKind(TkwDrawColumnCellArgs& Args);
  // The row carries a mark of the multi-selection.
  bool RowMarked(int DataRow);
  // Paints, then hides the check boxes that this paint did not place: those of rows,
  // columns or button styles no longer shown.
  void Paint() override;
  // The cells, their lines and the space beyond them cover the whole client area, so
  // the background is filled only for what the cells leave: the cell under the
  // in-place editor, and cells whose drawing is left to a handler.
  void PaintBackground(HDC dc) override;
  // Fills ARect with the brush and writes Text from (DX, DY) inside it to one pixel
  // before its right and bottom edges, aligned, word-wrapped under dgWordWrap.
  void WriteText(const TRect& ARect, int DX, int DY, const AnsiString& Text, TAlignment Alignment);
  // A fixed cell's text (a title, a row number): with both kinds of lines inside the
  // cell's raised edges, drawn after it.
  void WriteFixedText(const TRect& ARect, const AnsiString& Text, TAlignment Alignment);
  // The text of a row number (from 1) through DoGetLineText and OnGetDisplayLineText;
  // -1 is the footer's, empty before them; 0 is no row: empty, and no handler runs.
  AnsiString GetRowNumberText(int RecNo);
  // The data controller's row shown in grid row ARow; -1 for a row below the data.
  int DataRowOf(int ARow);

  // --- keys and mouse (ukvDbGridsKeys.cpp) ----------------------------------------------------------
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // Enter: the typed text is written to the field (without dgAlwaysShowEditor), the
  // editor is hidden or shown as the base grid does, the column's return-key event and
  // DoPressReturnKey run, and unless the grid is read-only the next column becomes
  // current (after the last one the first of the next row).
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  // A column resize is refused in a title row above a multi-level column's own level.
  void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                       TGridDrawInfo& FixedInfo) override;
  // A column dragged by its title moves with its title unit (its ancestor at the row it
  // was taken at) and lands only beside a unit of the same parent.
  bool BeginColumnDrag(int& Origin, int& Destination, TPoint MousePt) override;
  bool CheckColumnDrag(int& Origin, int& Destination, TPoint MousePt) override;
  bool EndColumnDrag(int& Origin, int& Destination, TPoint MousePt) override;
  // The next (previous) column that can take the focus, wrapping to the next (previous)
  // row through the grid view.
  virtual void MoveCol(bool GoForward, TShiftState Shift);
  // Makes ARawCol (or, with a Direction, the first column from it that has a width) the
  // current column, between ColExit and ColEnter; the editor's text is posted first.
  void SelectColumn(int ARawCol, int Direction);
  // ColEnter shows the editor of a column that always shows it, makes the column's field
  // the calculator's current one, then fires OnColEnter; ColExit fires OnColExit.
  virtual void ColEnter();
  virtual void ColExit();
  // The calculator's current field is the current column's field (none without an
  // active link), however the column became current; when another field was current,
  // its rules run first, as at ColEnter.
  void FollowCurrentColumn();
  // The ellipsis of the current column: OnEditButtonClick, else ShowPopupEditor.
  virtual void EditButtonClick();
  // The popup editor of a column whose field holds a nested dataset.
  virtual void ShowPopupEditor(TkwColumn* Column, int X, int Y);
  // The mouse press first focuses the grid; false when the focus did not come.
  bool AcquireFocus();
  void WMVScroll(TMessage& m);
  // The question before a deletion; true when it may go ahead (always without
  // dgConfirmDelete).
  bool DeletePrompt(int selectedCount);
  // Shows the locate dialog over the shown columns and acts on its answer.
  void LocateFromDialog();
  // F3 after a locate: the next match of the last locate.
  void LocateNext();
  // A double-click in a title row of a sortable column sorts by it.
  bool TitleDblClick(int X, int Y, TShiftState Shift);
  // The marks a left click on a data row (now focused) leaves: Ctrl toggles the row,
  // Shift marks the records of Range (the rows from the previously focused one to the
  // one clicked, as they were shown before the click), a plain click only the row.
  void SelectByClick(TShiftState Shift, const std::vector<int>& Range);
  // Shift+Up/Down: the record left (FromRecord) and the row reached are marked.
  void SelectByKey(int FromRecord);
  virtual void TitleClick(TkwColumn* Column) {
    if (OnTitleClick) OnTitleClick(Column);
  }
  virtual void CellClick(TkwColumn* Column) {
    if (OnCellClick) OnCellClick(Column);
  }

 private:
  void RunLayout();
  void RebuildColumnsFromFieldMap();
  void DeferredUpdateMessage();
  void DeferredLayoutMessage();
  void RunDeferredActions(uint8_t mask);
  void DeleteFromKey();
  void InsertFromKey();
  int EdgeColumn(bool first);
  void LoadGlyphs();
  void CMFontChanged(TMessage& m);
  void CMParentFontChanged(TMessage& m);
  void TitleFontChanged();
  // The indicator column follows the widest row number (IndicatorWidthFor).
  void UpdateIndicatorWidth();

  TkwDBGridOptions FOptions = 0;
  bool FRowColorsAssigned = false;
  TColor FOddRowColor = 0xFFFFFF;
  TColor FEvenRowColor = 0xF7F7F7;
  TColor FHighlightColor = 255;
  AnsiString FHighlightFormula;
  class TkvDbExpression* FHighlight = nullptr;  // the formula's item of the controller's list
  std::unique_ptr<class TkwDbGridColumnsHost> FHost;
  std::unique_ptr<TkwDBGridColumns> FColumns;
  std::unique_ptr<TkwGridDataLink> FDataLink;
  bool FDefaultDrawing = true;
  bool FLocateFirst = true;
  int FLocateField = -1;  // the field item the last locate searched
  AnsiString FLocateText;
  int FLocateRange = 0;  // the range option of the last locate (2: upwards)
  kw_dbgrid::TDeferredUpdates FDeferred;
  bool FLayoutPending = false;  // a layout waits for the window
  std::unique_ptr<TfmGridCustomColumns> FCustomColumnsDialog;
  std::unique_ptr<TfmGridFilter> FFilterDialog;
  std::unique_ptr<TfmGridLocate> FLocateDialog;
  int FIndicatorOffset = 1;
  std::unique_ptr<TImageList> FIndicatorImages;
  std::unique_ptr<TImageList> FSortImages;
  int FLastVisibleRows = -1;
  // The width of the widest row number as last measured, for that many digits in that
  // font: the indicator's width is worked out at every row count update (every move of
  // the focus), the text measured only when the digits or the font change.
  int FIndicatorDigits = 0;
  HFONT FIndicatorFont = nullptr;
  int FIndicatorNumberWidth = 0;
  int FLayoutLock = 0;
  int FRowCountNesting = 0;
  bool FReadOnly = false;
  std::unique_ptr<TkwGridFont> FTitleFont;
  int FTitleOffset = 1;
  int FUpdateLock = 0;
  std::vector<TkwColumn*> FShownColumns;
  int FUpdateCount = 0;
  bool FUpdateTookLayout = false;  // the outermost BeginUpdate took a layout lock
  int FMinRowCount = 0;
  std::unique_ptr<TkvExprCalculator> FExprCalculator;
  kw_dbgrid::TVertScroll FLastScroll{-1, -1, -1, -1};
  std::unique_ptr<TkwSelectedRecs> FSelectedRecs;
  std::unique_ptr<TkwSelectedRows> FSelectedRows;
  bool FSelecting = false;
  std::vector<TWinControl*> FUnplacedBoxes;  // check boxes not placed by the paint under way
  // The states the paint under way gives its check boxes, set once the cells are drawn.
  std::vector<std::pair<TkvInplaceCheckBox*, TCheckBoxState>> FBoxStates;
  bool FAcquireFocus = true;
  TkwColumn* FDragColumn = nullptr;  // the title unit being dragged
  int FDragLevel = 0;
  bool FInColExit = false;
  int FDblClickRow = -1;
  AnsiString FEditText;
  int FDialogListLock = 0;
  int FDialogListsPostponed = 0;  // refreshes asked for under the lock
  bool FSelfChangingTitleFont = false;
  TkwGridFont FColumnsFont;
  TImeMode FImeMode = imDontCare;
  AnsiString FImeName;
};
