// The grid controls: TCustomGrid (the grid of cells with fixed columns and rows, the
// current cell and selection, scrolling, sizing and moving, the in-place editor),
// TDrawGrid (cells painted by an event), TStringGrid (cells holding texts), the
// in-place editor TInplaceEdit and its pick-list form TInplaceEditList with the popup
// list TPopupListbox.
//
// Coordinates are (column, row) from 0, fixed cells included. A column width or row
// height of -1 hides the column or row (with its grid line). Geometry is computed by
// the window-free routines of ui/GridAxis.h from a TGridDrawInfo that CalcDrawInfo
// fills for the client area; a grid that lays its area out differently (a band at the
// bottom, fixed columns painted as data) overrides CalcFixedInfo/CalcDrawInfoXY, the
// extent getters GetColWidths/GetRowHeights and the painting steps, which are all
// virtual and are always called through the object.
//
// The in-place editor is the grid's child window. It is made once by CreateEditor the
// first time it is shown and lives until the grid goes; hiding keeps it. Keys typed in
// the editor travel as on the platform: a character reaches the grid's KeyPress (so the
// grid's OnKeyPress sees what is typed in the editor) before the editor takes it; Tab,
// Up/Down, Page Up/Down, Esc (and Left/Right at the text's ends with
// goAlwaysShowEditor) go to the grid's KeyDown; other keys reach only the grid's
// OnKeyDown event. Setting the editor's Text from code clears its Modified flag.
//
// Invariants: FixedCols < ColCount and FixedRows < RowCount; FixedCols <= LeftCol,
// Col < ColCount; FixedRows <= TopRow, Row < RowCount; the editor's cell
// (InplaceCol, InplaceRow) is (-1, -1) whenever the editor is hidden.
#pragma once
#include <memory>

#include "rtl/StringList.h"
#include "ui/Controls.h"
#include "ui/GridAxis.h"
#include "ui/Mask.h"
#include "ui/StdCtrls.h"

POS_EXCEPTION(EInvalidGridOperation, Exception);

enum TGridOption {
  goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
  goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect,
  goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = TSet<TGridOption>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

// gdFooter marks a cell of a footer band (grids that have one).
enum TGridDrawStateMember { gdSelected, gdFocused, gdFixed, gdFooter };
using TGridDrawState = TSet<TGridDrawStateMember>;

enum TEditStyle { esSimple, esEllipsis, esPickList };

class TCustomGrid;
class TInplaceEdit;

using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, AnsiString& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const AnsiString& Value)>;
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;

// Texts of the platform grid's errors.
extern const char* const SGridIndexOutOfRange;     // "Grid index out of range"
extern const char* const SFixedColTooBig;          // "Fixed column count must be less than column count"
extern const char* const SFixedRowTooBig;          // "Fixed row count must be less than row count"
extern const char* const STooManyDeleted;          // "Too many rows or columns deleted"
extern const char* const SGridTooLarge;            // "Grid too large for operation"

// --- the in-place editor --------------------------------------------------------------------
class TInplaceEdit : public TCustomMaskEdit {
 public:
  explicit TInplaceEdit(TComponent* AOwner);

  TCustomGrid* Grid() const { return FGrid; }
  void SetGrid(TCustomGrid* g) { FGrid = g; }
  // Caret to the end, nothing selected.
  void Deselect();
  // Hidden by a zero-size window position (never through Visible); the focus goes back
  // to the grid when the editor had it.
  virtual void Hide();
  void Invalidate() override;
  // Shows the editor over Loc (client coordinates of the grid) and repaints it.
  void Move(const TRect& Loc);
  // Moves it without repainting (the grid scrolled).
  void UpdateLoc(const TRect& Loc);
  bool PosEqual(const TRect& Loc);
  void SetFocus() override;
  // The window is shown (whatever Visible says).
  virtual bool Visible();
  // Loads the grid's current cell: mask, text (Modified is clear afterwards), limit.
  virtual void UpdateContents();
  // The grid records the time of a left press on it: a press on the editor soon after
  // is a double click.
  void SetClickTime(LONG t) { FClickTime = t; }

 protected:
  void CreateParams(TCreateParams& p) override;
  void WndProc(TMessage& m) override;
  void CNKeyDown(TMessage& m) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void DblClick() override;
  void WMSetFocus(TMessage& m) override;
  virtual void BoundsChanged();
  virtual bool EditCanModify();
  virtual void InternalMove(const TRect& Loc, bool Redraw);
  // The grid's own handling, for editors made on this one (nothing without a grid).
  void GridKeyDown(WORD& Key, TShiftState Shift);
  void GridKeyPress(char& Key);
  TEditStyle GridEditStyle();                      // of the grid's current cell
  void GridSetEditText(const AnsiString& Value);   // into the grid's current cell
  // The next WM_KEYDOWN reaching the edit window is dropped: its key was handled before
  // translation (by the grid or an open list) but is left to make its character.
  void SwallowNextKeyDown() { FSwallowKeyDown = true; }

 private:
  TCustomGrid* FGrid = nullptr;
  LONG FClickTime = 0;
  bool FKeyToGrid = false;       // KeyDown just handed the key to the grid
  bool FSwallowKeyDown = false;  // the next WM_KEYDOWN was the grid's
};

// The popup list of a pick-list editor: a borderless topmost tool window that never
// takes the activation; typing selects the first item that begins with what was typed
// within 2 seconds (at most 32 characters).
class TPopupListbox : public TCustomListBox {
 public:
  explicit TPopupListbox(TComponent* AOwner);
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool v) { FIntegralHeight = v; }
  void SetItemHeight(int v) { FItemHeightWanted = v; }
  // The typed search text (for tests and descendants), whole GBK characters.
  const AnsiString& SearchText() const { return FSearchText; }
  // Milliseconds since start-up; replaceable for tests.
  std::function<DWORD()> TickCount = [] { return ::GetTickCount(); };
  std::function<void(TMouseButton, TShiftState, int, int)> OnListMouseUp;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void KeyPress(char& Key) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& m) override;

 private:
  void Search(const AnsiString& ch);

  AnsiString FSearchText;
  DWORD FSearchTickCount = 0;
  char FLeadByte = 0;  // the first byte of a double-byte character, waiting for its second
  bool FIntegralHeight = true;
  int FItemHeightWanted = 0;
};

// Shows a popup list of width x height for an editor window: below the editor, else
// above it, kept on the work area of the editor's monitor (a long list scrolls). The
// list does not take the activation.
void ShowDropDownList(HWND list, HWND editor, int width, int height, HWND insertAfter);

// The in-place editor with a drop-down button and a pick list (edit style esPickList)
// or an ellipsis button (esEllipsis).
class TInplaceEditList : public TInplaceEdit {
 public:
  explicit TInplaceEditList(TComponent* AOwner);
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int v) { FButtonWidth = v; }
  int DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(int v) { FDropDownRows = v; }
  TEditStyle EditStyle() const { return FEditStyle; }
  bool ListVisible() const { return FListVisible; }
  TPopupListbox* PickList();
  // The button's rectangle in the editor's client area.
  virtual TRect ButtonRect();
  // The button is drawn pressed.
  bool Pressed() const { return FPressed; }
  // The list that drops down (the pick list of a pick-list cell); null when none.
  TWinControl* ActiveList() const { return FActiveList; }
  void UpdateContents() override;
  virtual void DropDown();
  virtual void CloseUp(bool Accept);

  TNotifyEvent OnEditButtonClick;
  // Fills the pick list for the grid's current cell before it drops down.
  std::function<void(int ACol, TStrings* Items)> OnGetPickListItems;

 protected:
  void WndProc(TMessage& m) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void BoundsChanged() override;
  void PaintButton(HDC dc);
  // A press on a control other than the editor and its list closes the list without
  // taking its value.
  void CMCancelMode(TMessage& m);
  virtual void DoEditButtonClick();
  virtual void DoGetPickListItems();
  void SetEditStyle(TEditStyle v);

 private:
  int FButtonWidth;
  int FDropDownRows = 8;
  TEditStyle FEditStyle = esSimple;
  bool FListVisible = false;
  bool FPressed = false;
  TPopupListbox* FPickList = nullptr;  // owned as a component
  TWinControl* FActiveList = nullptr;
};

// --- the grid ---------------------------------------------------------------------------------
class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;

  int ColCount() const { return FColCount; }
  void SetColCount(int v);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int v);
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int v);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int v);
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int v);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int v);
  // Width of a column (DefaultColWidth until set); -1 hides it.
  int ColWidths(int index) { return GetColWidths(index); }
  void SetColWidths(int index, int value);
  int RowHeights(int index) { return GetRowHeights(index); }
  void SetRowHeights(int index, int value);
  bool TabStops(int index) const;
  void SetTabStops(int index, bool value);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int v);
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions v);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor v);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool v);
  // Whether the widths and heights are stored in a form resource (DefineProperties).
  bool SaveCellExtents() const { return FSaveCellExtents; }
  void SetSaveCellExtents(bool v) { FSaveCellExtents = v; }

  // The current cell. Setting moves it as a click would (SelectCell may refuse; the
  // anchor follows; the cell is scrolled into view).
  int Col() const { return FCurrent.X; }
  void SetCol(int v);
  int Row() const { return FCurrent.Y; }
  void SetRow(int v);
  int LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int v);
  int TopRow() const { return FTopLeft.Y; }
  void SetTopRow(int v);
  // The selected cells: the rectangle spanned by the current cell and the anchor.
  virtual TGridRect Selection() const;
  void SetSelection(const TGridRect& v);
  int VisibleColCount();
  int VisibleRowCount();
  int GridWidth();
  int GridHeight();

  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool v);
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
  TGridState GridState() const { return FGridState; }

  // Client rectangle of a cell (empty when it is not on screen).
  TRect CellRect(int ACol, int ARow);
  void MouseToCell(int X, int Y, int& ACol, int& ARow);
  TGridCoord MouseCoord(int X, int Y);

  // Moves a column (its width and tab stop with it) or a row (its height).
  void MoveColumn(int FromIndex, int ToIndex);
  void MoveRow(int FromIndex, int ToIndex);
  virtual void DeleteColumn(int ACol);
  virtual void DeleteRow(int ARow);

  void InvalidateCell(int ACol, int ARow);
  void InvalidateCol(int ACol);
  void InvalidateRow(int ARow);
  void InvalidateGrid();
  void InvalidateGridRect(const TGridRect& r);
  void InvalidateEditor();

  virtual void ShowEditor();
  virtual void HideEditor();
  // Shows the editor and hands it the character (a WM_CHAR code, posted to it).
  void ShowEditorChar(WPARAM Ch);

  // The geometry of the client area as it is laid out now.
  void CalcDrawInfo(TGridDrawInfo& info);

  TNotifyEvent OnTopLeftChanged;

 protected:
  // "ColWidths" and "RowHeights", each a list of one integer per column (row) as
  // ColWidths (RowHeights) answers it, written when SaveCellExtents is on and a width
  // (height) was ever set. Reading takes a list only when it holds exactly ColCount
  // (RowCount) integers; any other list raises EReadError "Invalid property value at
  // offset N" before a width (height) changes.
  void DefineProperties(TFiler& Filer) override;

  // --- geometry hooks ---
  virtual int GetColWidths(int index);
  virtual int GetRowHeights(int index);
  virtual void CalcFixedInfo(TGridDrawInfo& info);
  virtual void CalcDrawInfoXY(TGridDrawInfo& info, int useWidth, int useHeight);
  TGridCoord CalcMaxTopLeft(const TGridCoord& coord, const TGridDrawInfo& info);
  TGridCoord CalcCoordFromPoint(int X, int Y, const TGridDrawInfo& info);
  virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                               TGridDrawInfo& FixedInfo);

  // --- the current cell, selection and scrolling ---
  virtual bool SelectCell(int ACol, int ARow);
  // With goRowSelect a move puts the current column on FixedCols and a cell left of
  // LeftCol does not scroll; a grid answering true keeps the column asked for, brings
  // that cell into view, also leftwards.
  virtual bool RowSelectKeepsColumn() const { return false; }
  virtual void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
  void MoveAnchor(const TGridCoord& NewAnchor);
  void FocusCell(int ACol, int ARow, bool MoveAnchor);
  virtual void ClampInView(const TGridCoord& Coord);
  void MoveTopLeft(int ALeft, int ATop);
  virtual void TopLeftMoved(const TGridCoord& OldTopLeft);
  virtual void TopLeftChanged();
  void SelectionMoved(const TGridRect& OldSel);
  virtual void UpdateScrollRange();
  virtual void UpdateScrollPos();
  void ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos);
  virtual void TimedScroll(unsigned Direction);
  void Initialize();
  void ChangeSize(int NewColCount, int NewRowCount);
  virtual void SizeChanged(int OldColCount, int OldRowCount) {}

  // --- structure ---
  virtual void ColumnMoved(int FromIndex, int ToIndex);
  virtual void RowMoved(int FromIndex, int ToIndex);
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual bool BeginColumnDrag(int& Origin, int& Destination, TPoint MousePt) { return true; }
  virtual bool BeginRowDrag(int& Origin, int& Destination, TPoint MousePt) { return true; }
  virtual bool CheckColumnDrag(int& Origin, int& Destination, TPoint MousePt) { return true; }
  virtual bool CheckRowDrag(int& Origin, int& Destination, TPoint MousePt) { return true; }
  virtual bool EndColumnDrag(int& Origin, int& Destination, TPoint MousePt) { return true; }
  virtual bool EndRowDrag(int& Origin, int& Destination, TPoint MousePt) { return true; }

  // --- editing ---
  // Whether the editor is shown on the current cell now.
  virtual bool CanEditShow();
  virtual bool CanEditAcceptKey(char Key) { return true; }
  virtual bool CanEditModify() { return FCanEditModify; }
  virtual bool CanGridAcceptKey(WORD Key, TShiftState Shift) { return true; }
  // Whether the editor stays shown whatever the keys do; asked with the current column.
  virtual bool AlwaysShowEditor(int ACol) { return FOptions.Contains(goAlwaysShowEditor); }
  virtual TInplaceEdit* CreateEditor();
  virtual AnsiString GetEditText(int ACol, int ARow) { return ""; }
  virtual void SetEditText(int ACol, int ARow, const AnsiString& Value) {}
  virtual AnsiString GetEditMask(int ACol, int ARow) { return ""; }
  virtual int GetEditLimit() { return 0; }
  virtual TEditStyle GetEditStyle(int ACol, int ARow) { return esSimple; }
  void UpdateEdit();
  void HideEdit();
  void UpdateText();
  virtual bool IsActiveControl();

  // --- painting ---
  // Paints one cell. ARect is the cell's rectangle; the canvas is clipped to nothing.
  virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) = 0;
  void Paint() override;
  // Grid lines of one box of cells (the platform's stroke pass).
  void DrawLines(const TGridDrawInfo& info, bool DoHorz, bool DoVert, int ACol, int ARow, const TRect& Box,
                 TColor OnColor, TColor OffColor, bool SkipLeadingHidden = false);
  // The cell pass of one area: every cell from (ACol, ARow) inside the pixel box.
  void DrawCells(const TGridDrawInfo& info, int ACol, int ARow, const TRect& Box, TColor AColor,
                 TGridDrawState IncludeDrawState);
  // True while Paint runs.
  bool Painting() const { return FPainting; }
  // Painting is set for the life of a paint pass (a descendant's own Paint too) and
  // cleared at its end, also when a cell's painting throws.
  class TPaintingScope {
   public:
    explicit TPaintingScope(TCustomGrid& g) : FGrid(g) { g.FPainting = true; }
    ~TPaintingScope() { FGrid.FPainting = false; }
    TPaintingScope(const TPaintingScope&) = delete;
    TPaintingScope& operator=(const TPaintingScope&) = delete;

   private:
    TCustomGrid& FGrid;
  };

  // --- input ---
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoExit() override;
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);

  // --- window ---
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void WndProc(TMessage& m) override;
  void CNChar(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void WMSetCursor(TMessage& m) override;
  void WMEraseBkgnd(TMessage& m) override;
  virtual void WMChar(TMessage& m);
  void BoundsChanged(bool sized) override;
  void FontChanged() override;
  void ColorChanged() override;
  // Ends sizing, moving and selecting by the mouse: the state is normal again, the timer
  // stopped, a drawn sizing line or move marker removed.
  void CancelMode();
  // Raises the grid's index and count errors (EInvalidGridOperation with Text); a grid
  // that reports them with an error class of its own raises that instead. Never returns.
  [[noreturn]] virtual void RaiseGridError(const char* Text);
  void DrawSizingLine(const TGridDrawInfo& info);
  void DrawMove();
  // How far down the column-move marker runs (the client height here).
  virtual int ColumnMoveMarkerBottom() { return ClientHeight(); }

  TGridCoord FCurrent;
  TGridCoord FAnchor;
  TGridCoord FTopLeft;
  int FInplaceCol = -1;
  int FInplaceRow = -1;
  TInplaceEdit* FInplaceEdit = nullptr;  // owned as a component
  TGridState FGridState = gsNormal;
  bool FEditorMode = false;
  bool FCanEditModify = true;
  int FColOffset = 0;

 private:
  friend class TInplaceEdit;
  void SetScroll(int bar, int value);
  void MoveAndScroll(int Mouse, int CellHit, TGridDrawInfo& info, TGridAxisDrawInfo& axis, int Scrollbar,
                     TPoint MousePt);
  int ClampedCount(int v) const;
  // Handlers of WndProc's messages, each in the file of its concern. Those returning
  // bool say whether the message was handled; otherwise the control's switch gets it.
  void WMGetDlgCode(TMessage& m);
  bool OfferKeyToForm(TMessage& m);  // CN_KEYDOWN of a dialog key the grid does not want
  void WMCommand(TMessage& m);
  bool WMScroll(TMessage& m);
  void WMMouseWheel(TMessage& m);
  void WMNCHitTest(TMessage& m);
  void WMLButtonDown(TMessage& m);
  bool WMTimer(TMessage& m);
  void WMCaptureChanged(TMessage& m);

  int FColCount = 5;
  int FRowCount = 5;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  int FGridLineWidth = 1;
  TGridExtents FColWidths;
  TGridExtents FRowHeights;
  TGridExtents FTabStops;
  TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  TScrollStyle FScrollBars = ssBoth;
  TBorderStyle FBorderStyle = bsSingle;
  TColor FFixedColor = clBtnFace;
  bool FDefaultDrawing = true;
  bool FSaveCellExtents = true;
  bool FPainting = false;
  int FSizingIndex = -1;
  int FSizingPos = 0;
  int FSizingOfs = 0;
  int FMoveIndex = -1;
  int FMovePos = -1;
  bool FMoveDrawn = false;
  bool FTimer = false;
  TPoint FHitTest;
};

// A grid whose cells the program paints in OnDrawCell.
class TDrawGrid : public TCustomGrid {
 public:
  using TCustomGrid::TCustomGrid;
  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TGetEditEvent OnGetEditMask;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  bool SelectCell(int ACol, int ARow) override;
  AnsiString GetEditMask(int ACol, int ARow) override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
};

// A grid of texts. Cells are stored sparsely; a cell outside the grid reads as ''.
// Shrinking ColCount or RowCount drops the texts beyond.
class TStringGrid : public TDrawGrid {
 public:
  using TDrawGrid::TDrawGrid;
  const AnsiString& Cells(int ACol, int ARow) const { return FCells.Get(ACol, ARow); }
  void SetCells(int ACol, int ARow, const AnsiString& Value);
  // Number of non-empty cells (memory use follows it).
  size_t StoredCellCount() const { return FCells.Size(); }

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  // The texts move with the column or row (widths and heights are moved by the caller).
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;

 private:
  TGridCells FCells;
  int FEditUpdate = 0;
};
