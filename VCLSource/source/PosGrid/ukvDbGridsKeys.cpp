// TkwCustomDBGrid's keys and mouse: row moves through the grid view (the grid's current
// row then follows the view), column moves between ColExit and ColEnter, Enter and Tab,
// Insert, deletion with its question, the locate dialog behind F3, clicks on cells and
// titles, the wheel, sorting by a double-click on a title and moving title units by
// dragging. The base grid never moves the current row of this grid by itself.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "VCLSource/source/PosGrid/fukvGridLocate.h"
#include "VCLSource/source/PosGrid/ukvDbConsts.h"
#include "VCLSource/source/PosGrid/ukvDbGridsColumnDrag.h"
#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "VCLSource/source/PosGrid/ukvDbHelperProvider.h"
#include "db/DataSet.h"
#include "ui/Dialogs.h"

void TkwCustomDBGrid::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);  // OnKeyDown first
  if (Key == 0 || !FDataLink->Active() || !CanGridAcceptKey(Key, Shift)) return;
  if (UseRightToLeftAlignment()) {
    if (Key == VK_LEFT)
      Key = VK_RIGHT;
    else if (Key == VK_RIGHT)
      Key = VK_LEFT;
  }
  TkwCustomDbGridView& view = DbView();
  const bool ctrl = Shift.Contains(ssCtrl), alt = Shift.Contains(ssAlt);
  const bool rowSelect = HasGridOption(FOptions, dgRowSelect);
  const WORD key = Key;
  // Every key the grid knows ends here: the base grid never moves the current row
  // itself, the view does.
  switch (key) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
    case VK_DELETE: case VK_INSERT: case VK_TAB: case VK_ESCAPE: case VK_F2: case VK_F3: Key = 0; break;
    default: return;
  }
  if (ctrl) {
    switch (key) {
      case VK_UP: case VK_PRIOR: case VK_DOWN: case VK_NEXT: case VK_HOME: case VK_END: ClearSelection(); break;
      default: break;
    }
    switch (key) {
      case VK_UP: case VK_PRIOR: view.MoveBy(-view.ActiveRecord()); break;
      case VK_DOWN: case VK_NEXT: view.MoveBy(view.VisibleRowCount() - view.ActiveRecord() - 1); break;
      case VK_LEFT: SelectColumn(FIndicatorOffset, 1); break;
      case VK_RIGHT: SelectColumn(ColCount() - 1, -1); break;
      case VK_HOME: view.First(); break;
      case VK_END: view.Last(); break;
      default: break;  // Ctrl+Delete deletes nothing
    }
    UpdateActive();
    return;
  }
  if (alt) {
    if (key == VK_DELETE) DeleteFromKey();
    UpdateActive();
    return;
  }
  const bool multi = HasGridOption(FOptions, dgMultiSelect);
  const bool extend = multi && Shift.Contains(ssShift);
  switch (key) {
    case VK_UP:
    case VK_DOWN: {
      if (extend) {
        // Shift+Up/Down marks as it goes and never appends. Mended: the row left was
        // marked by its index after the move, whose post may have sorted the edited
        // record elsewhere: another record got the mark. The record left is marked.
        const TkvCustomDbDataController* c = DataController();
        const int from = c ? c->FocusedRecordIndex() : -1;
        view.MoveBy(key == VK_UP ? -1 : 1);
        SelectByKey(from);
      } else if (key == VK_UP) {
        view.Prior();
      } else {
        view.Next();
      }
      break;
    }
    case VK_LEFT:
      if (rowSelect)
        view.Prior();
      else
        SelectColumn(Col() - 1, -1);
      break;
    case VK_RIGHT:
      if (rowSelect)
        view.Next();
      else
        SelectColumn(Col() + 1, 1);
      break;
    case VK_HOME:
    case VK_END: {
      const bool home = key == VK_HOME;
      if (rowSelect || Col() == EdgeColumn(home)) {
        ClearSelection();
        if (home)
          view.First();
        else
          view.Last();
      } else {
        SelectColumn(home ? FIndicatorOffset : ColCount() - 1, home ? 1 : -1);
      }
      break;
    }
    case VK_PRIOR: ClearSelection(); view.MoveBy(-view.VisibleRowCount()); break;
    case VK_NEXT: ClearSelection(); view.MoveBy(view.VisibleRowCount()); break;
    case VK_INSERT: InsertFromKey(); break;
    case VK_TAB: MoveCol(!Shift.Contains(ssShift), Shift); break;
    case VK_F2: SetEditorMode(true); break;
    case VK_ESCAPE:
      // The typed text is dropped (a second Escape cancels the record's edit), and so
      // are the marks.
      FDataLink->Reset();
      ClearSelection();
      if (!AlwaysShowEditor(Col())) HideEditor();
      break;
    case VK_F3:
      if (FLocateFirst)
        LocateFromDialog();
      else
        LocateNext();
      break;
    default: break;
  }
  UpdateActive();
}

// Alt+Delete deletes the marked records, else the focused one.
// Mended: in a sorted grid the delete passed the focus through the record the dataset
// went to next (elsewhere in the grid's order) before it came to the row after the
// deleted one, which then stood at the top of a screen scrolled down to it. The screen
// stays where it was.
void TkwCustomDBGrid::DeleteFromKey() {
  TDataSet* ds = FDataLink->DataSet();
  TkvCustomDbDataController* c = DataController();
  if (FReadOnly || !ds || ds->IsEmpty() || !ds->CanModify() || !c) return;
  struct KeepScreen {
    TkwCustomDbGridView& view;
    int top;
    ~KeepScreen() { view.KeepTopRecord(top); }
  } keep{DbView(), DbView().TopRecord()};
  if (FSelectedRecs->Count() > 0 || FSelectedRecs->LostMarks()) {
    // Mended: the question counted marks whose record had lost its row, and marks a
    // reload had dropped left the focused record to be deleted; only the marks that
    // still have a row count, and with none left nothing is asked or deleted.
    FSelectedRecs->PurgeSelection();
    const int marked = FSelectedRecs->Count();
    if (marked > 0 && DeletePrompt(marked)) FSelectedRecs->DeleteSelected();
    if (HandleAllocated()) Invalidate();
  } else if (c->FocusedRowIndex() >= 0 && DeletePrompt(1)) {
    c->Delete();
  }
}

// Insert puts a new record before the focused one, through the controller's provider
// like every other change of the dataset the grid makes.
void TkwCustomDBGrid::InsertFromKey() {
  TkvCustomDbDataController* c = DataController();
  if (!c || FReadOnly || !HasGridOption(FOptions, dgEditing) || HasGridOption(FOptions, dgModifyOnly) ||
      !CanModifyData() || !c->Provider().CanModify())
    return;
  ClearSelection();
  // Mended: the dataset posted the edited record itself, without the calculation rules.
  DbView().FinishPendingEdit(false);
  c->Provider().Insert();
}

// The first (last) grid column that can take the focus; -1 when none can.
int TkwCustomDBGrid::EdgeColumn(bool first) {
  const int n = ColCount();
  for (int i = 0; i < n - FIndicatorOffset; ++i) {
    const int c = first ? FIndicatorOffset + i : n - 1 - i;
    if (ColWidths(c) > 0) return c;
  }
  return -1;
}

void TkwCustomDBGrid::SelectColumn(int ARawCol, int Direction) {
  FDataLink->UpdateRecord();
  const int n = ColCount();
  ARawCol = std::clamp(ARawCol, FIndicatorOffset, std::max(FIndicatorOffset, n - 1));
  if (Direction != 0) {
    while (ARawCol < n && ARawCol >= FIndicatorOffset && ColWidths(ARawCol) <= 0) ARawCol += Direction;
    if (ARawCol >= n || ARawCol < FIndicatorOffset) return;
  }
  const int old = Col();
  if (ARawCol == old || ARawCol >= n) return;
  if (!FInColExit) {
    FInColExit = true;
    struct Done {
      bool& f;
      ~Done() { f = false; }
    } done{FInColExit};
    ColExit();
  }
  // An OnColExit that moved elsewhere has the last word.
  if (Col() != old) return;
  if (!HasGridOption(FOptions, dgAlwaysShowEditor)) HideEditor();
  SetCol(ARawCol);
  ColEnter();
}

void TkwCustomDBGrid::MoveCol(bool GoForward, TShiftState) {
  const int n = ColCount();
  if (n <= FIndicatorOffset) return;
  int col = Col();
  const int original = col;
  // Each row is walked at most once in each direction before the search gives up.
  for (int guard = 0; guard <= 2 * n; ++guard) {
    if (GoForward) {
      if (++col >= n) {
        DbView().Next();
        UpdateActive();
        col = FIndicatorOffset;
      }
    } else if (--col < FIndicatorOffset) {
      DbView().Prior();
      UpdateActive();
      col = n - 1;
    }
    if (col == original) return;
    if (TabStops(col) && ColWidths(col) > 0) {
      SelectColumn(col, 0);
      return;
    }
  }
}

void TkwCustomDBGrid::ColExit() {
  if (OnColExit) OnColExit(this);
}

// The calculation rules of the column left run before the new column's field becomes
// the calculator's current one.
// Mended: the editor was shown only where editor mode was still on, so under
// dgAlwaysShowEditor a column that shows no editor (check boxes, hidden contents) kept
// the editor standing, focused, over the column before (keys typed there refused,
// Backspace blanking the text of a cell no longer current). Such a column now puts the
// editor away (ShowEditor turns the mode off there), and the next column that always
// shows the editor shows it again.
void TkwCustomDBGrid::ColEnter() {
  if (HandleAllocated() && AlwaysShowEditor(Col())) ShowEditor();
  if (TkvCustomDbDataController* c = DataController(); c && FDataLink->Active())
    c->GetCalculator().SetPendingField(SelectedField());
  if (OnColEnter) OnColEnter(this);
}

// Mended: only ColEnter made a field the calculator's current one, so a column that
// became current otherwise (the grid shown, the dataset opened, a layout that moved
// the current column) ran no rules, or another field's, when its row or column was
// left: AMOUNT = QTY * PRICE stayed stale after typing into a first QTY column.
void TkwCustomDBGrid::FollowCurrentColumn() {
  TkvCustomDbDataController* c = Destroying() ? nullptr : DataController();
  if (!c) return;
  TField* field = FDataLink->Active() ? SelectedField() : nullptr;
  TkvExpressionCalculator& calculator = c->GetCalculator();
  if (calculator.PendingField() != field) calculator.SetPendingField(field);
}

void TkwCustomDBGrid::KeyPress(char& Key) {
  if (Key != '\r') return TkwCustomGrid::KeyPress(Key);
  if (!HasGridOption(FOptions, dgAlwaysShowEditor)) FDataLink->UpdateRecord();
  TkwCustomGrid::KeyPress(Key);
  if (TkwColumn* column = SelectedColumn()) {
    column->PressReturnKey();
    DoPressReturnKey(column);
  }
  if (!FReadOnly && FDataLink->Active()) MoveCol(true, TShiftState());
}

void TkwCustomDBGrid::EditButtonClick() {
  if (OnEditButtonClick)
    OnEditButtonClick(this);
  else
    ShowPopupEditor(SelectedColumn(), std::numeric_limits<int>::min(), std::numeric_limits<int>::min());
}

// A column over a dataset field shows its nested dataset in a floating grid; the
// framework's dataset fields hold none (NestedDataSet is always empty), so there is
// nothing to show.
void TkwCustomDBGrid::ShowPopupEditor(TkwColumn*, int, int) {}

void TkwCustomDBGrid::SelectByKey(int FromRecord) {
  TkvCustomDbDataController* c = DataController();
  if (!c || !FSelectedRecs->Active()) return;
  if (FromRecord >= 0 && c->GetRecordRowIndex(FromRecord) >= 0) FSelectedRecs->Insert(0, FromRecord);
  FSelectedRecs->SetCurrentRowSelected(true);
  FSelectedRecs->TakeBookmarks();
  FSelecting = true;
  if (HandleAllocated()) Invalidate();
}

void TkwCustomDBGrid::SelectByClick(TShiftState Shift, const std::vector<int>& Range) {
  TkvCustomDbDataController* c = DataController();
  if (!c || !FSelectedRecs->Active()) return;
  FSelecting = false;
  if (Shift.Contains(ssCtrl)) {
    FSelectedRecs->SetCurrentRowSelected(!FSelectedRecs->CurrentRowSelected());
  } else if (Shift.Contains(ssShift) && !Range.empty()) {
    FSelectedRecs->Clear();
    for (int record : Range)
      if (c->GetRecordRowIndex(record) >= 0) FSelectedRecs->Insert(0, record);
    FSelectedRecs->TakeBookmarks();
  } else {
    FSelectedRecs->Clear();
    FSelectedRecs->SetCurrentRowSelected(true);
  }
  if (HandleAllocated()) Invalidate();
}

bool TkwCustomDBGrid::DeletePrompt(int selectedCount) {
  if (!HasGridOption(FOptions, dgConfirmDelete)) return true;
  const AnsiString text = kvLoadStr(selectedCount < 2 ? SkvDeleteRecord : SkvDeleteSelectedRecords);
  return DialogService()->MessageBox(HandleAllocated() ? Handle() : nullptr, text, kvLoadStr(SkvConfirmCaption),
                                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The locate list is filled afresh (FillLocateList); with nothing chosen yet the current
// column is.
void TkwCustomDBGrid::LocateFromDialog() {
  TkvCustomDbDataController* c = DataController();
  if (!c) return;
  TfmGridLocate& dlg = *FLocateDialog;
  const std::vector<TkwColumn*> listed = FillLocateList();
  if (dlg.cbbLocate->ItemIndex() < 0 && !listed.empty()) {
    const int current = SelectedIndex();
    int item = 0;
    for (size_t i = 0; i < listed.size(); ++i)
      if (current >= 0 && listed[i] == FColumns->Items(current)) item = static_cast<int>(i);
    dlg.cbbLocate->SetItemIndex(item);
  }
  const TModalResult result = dlg.ShowModal();
  const int item = dlg.cbbLocate->ItemIndex();
  const bool found = dlg.Perform(result, c->Search());
  // F3 goes on in the range of the last locate, whatever the dialog shows later.
  if (result == kwLocateFind || result == kwLocateAgain) FLocateRange = dlg.rgRangeOption->ItemIndex();
  if (result == kwLocateFind && item >= 0 && item < static_cast<int>(listed.size())) {
    FLocateFirst = false;
    FLocateField = listed[static_cast<size_t>(item)]->DbField()->Index();
    FLocateText = dlg.edtLocate->Text();
  }
  if (found && item >= 0 && item < static_cast<int>(listed.size())) {
    const int col = DataToRawColumn(listed[static_cast<size_t>(item)]->Index());
    if (col < ColCount()) SelectColumn(col, 0);
  }
  UpdateActive();
}

// The data controller's search ends when the focus moves by other means (a click, a
// key); F3 then starts the last locate again from the focused row and goes on past it,
// so it keeps finding the next match instead of nothing.
void TkwCustomDBGrid::LocateNext() {
  TkvCustomDbDataController* c = DataController();
  if (!c) return;
  const bool forward = FLocateRange != 2;
  TkvDataControllerSearch& search = c->Search();
  if (!search.Active() && FLocateField >= 0 && FLocateField < c->FieldCount()) {
    const int before = c->FocusedRowIndex();
    // Mended: the search started again went down whatever the range; it goes its way.
    if (!search.SearchFrom(FLocateField, FLocateText, forward)) return;
    if (c->FocusedRowIndex() != before) return;
  }
  if (search.Active()) search.SearchNext(forward);
}

bool TkwCustomDBGrid::TitleDblClick(int X, int Y, TShiftState Shift) {
  const TGridCoord cell = MouseCoord(X, Y);
  // Every data column sorts, the first one included when there is no indicator.
  const int index = RawToDataColumn(cell.X);
  if (cell.Y < 0 || cell.Y >= FTitleOffset || index < 0 || index >= FColumns->Count()) return false;
  TkwColumn* column = FColumns->Items(index);
  if (!column->Has(gcoSortable)) return false;
  DbView().SortByColumn(column, !Shift.Contains(ssCtrl));
  UpdateActive();
  if (HandleAllocated()) Invalidate();
  return true;
}

bool TkwCustomDBGrid::AcquireFocus() {
  if (!FAcquireFocus || !CanFocus() || HasState(csDesigning)) return true;
  if (!Focused()) SetFocus();
  return Focused() || (InplaceEditor() && InplaceEditor()->Focused());
}

void TkwCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!AcquireFocus()) {
    if (HandleAllocated() && ::GetCapture() == Handle()) ::ReleaseCapture();
    return;
  }
  const TGridCoord cell = MouseCoord(X, Y);
  if (Button == mbLeft && Shift.Contains(ssDouble)) {
    FDblClickRow = FDataLink->Active() && cell.Y >= FTitleOffset ? DataRowOf(cell.Y) : -1;
    if (!TitleDblClick(X, Y, Shift)) DblClick();
    return;
  }
  {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridState state = gsNormal;
    int index = 0, pos = 0, ofs = 0;
    CalcSizingState(X, Y, state, index, pos, ofs, info);
    if (state != gsNormal) {
      FDataLink->UpdateRecord();
      return TkwCustomGrid::MouseDown(Button, Shift, X, Y);
    }
  }
  if (cell.X < 0 && cell.Y < 0) return TkwCustomGrid::MouseDown(Button, Shift, X, Y);
  if (cell.Y >= 0 && cell.Y < FTitleOffset && (HasState(csDesigning) || HasGridOption(FOptions, dgColumnResize))) {
    // Titles size and move their columns.
    FDataLink->UpdateRecord();
    if (cell.X >= FIndicatorOffset) SelectColumn(cell.X, 0);
    return TkwCustomGrid::MouseDown(Button, Shift, X, Y);
  }
  if (!FDataLink->Active() || !DataControllerActive()) return TCustomControl::MouseDown(Button, Shift, X, Y);
  const int dataRow = cell.Y >= FTitleOffset ? DataRowOf(cell.Y) : -1;
  // A row below the data has nothing to focus, but the column clicked becomes current.
  // Mended: the column stayed where it was, so in an empty grid the first key typed
  // after a click on a column made a record with the text in another column.
  if (cell.Y >= FTitleOffset && dataRow < 0) {
    if (cell.X >= FIndicatorOffset) SelectColumn(cell.X, 0);
    return TCustomControl::MouseDown(Button, Shift, X, Y);
  }
  const int oldCol = Col(), oldRow = Row();
  const int focused = FocusedRowIndex();
  // Mended: a Shift+click marked the rows between the focused one and the one clicked
  // by their indexes after the move, whose post may have sorted the edited record
  // elsewhere: the range lost it and took another. The range is the records shown
  // between them when the click came.
  std::vector<int> range;
  if (Button == mbLeft && Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && dataRow >= 0 && focused >= 0 &&
      HasGridOption(FOptions, dgMultiSelect))
    for (int r = std::min(focused, dataRow); r <= std::max(focused, dataRow); ++r)
      range.push_back(DataController()->GetRowRecordIndex(r));
  {
    BeginPaintUpdate();
    struct End {
      TkwCustomDBGrid* g;
      ~End() { g->EndPaintUpdate(); }
    } end{this};
    FDataLink->UpdateRecord();
    HideEditor();
    if (dataRow >= 0 && focused >= 0 && dataRow != focused) DbView().MoveBy(dataRow - focused);
    UpdateActive();
    if (cell.X >= FIndicatorOffset) SelectColumn(cell.X, 0);
    const int index = RawToDataColumn(cell.X);
    if (dataRow >= 0 && index >= 0 && index < FColumns->Count() &&
        FColumns->Items(index)->ButtonStyle() == gcbsCheckBox && Col() == cell.X)
      ToggleCheckBox();
    if (Button == mbLeft && dataRow >= 0 && HasGridOption(FOptions, dgMultiSelect)) SelectByClick(Shift, range);
  }
  if (Button == mbLeft && dataRow >= 0 && CanEditCurrentColumn()) {
    if ((cell.X == oldCol && cell.Y == oldRow) || AlwaysShowEditor(Col()))
      ShowEditor();
    else
      InvalidateEditor();
  }
  if (HandleAllocated()) Invalidate();
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TkwCustomDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TGridState state = GridState();
  TkwCustomGrid::MouseUp(Button, Shift, X, Y);
  if (state == gsRowSizing || state == gsColSizing) return;
  if (TInplaceEdit* e = InplaceEditor(); e && e->Visible() && e->BoundsRect().Contains(Point(X, Y))) return;
  const TGridCoord cell = MouseCoord(X, Y);
  if (Button != mbLeft || cell.X < FIndicatorOffset || cell.Y < 0) return;
  if (cell.Y < FTitleOffset) {
    const int index = RawToDataColumn(cell.X);
    if (index < FColumns->Count()) TitleClick(FColumns->Items(index));
  } else if (TkwColumn* column = SelectedColumn()) {
    CellClick(column);
  }
}

// The wheel walks the rows; it scrolls and never appends a record at the end.
bool TkwCustomDBGrid::DoMouseWheelDown(TShiftState, TPoint) {
  TkvCustomDbDataController* c = DataController();
  if (FDataLink->Active() && c && c->FocusedRowIndex() >= 0 && c->FocusedRowIndex() < c->RowCount() - 1) {
    DbView().Next();
    UpdateActive();
  }
  return true;
}

bool TkwCustomDBGrid::DoMouseWheelUp(TShiftState, TPoint) {
  if (FDataLink->Active()) {
    DbView().Prior();
    UpdateActive();
  }
  return true;
}

namespace {

// A column's ancestor at a title level (the column itself at or above its own level).
TkwColumn* AncestorAt(TkwColumn* column, int level) {
  while (column && column->Parent() && column->Level() > level) column = column->Parent();
  return column;
}

long long UnitId(const TkwColumn* column) { return static_cast<long long>(reinterpret_cast<intptr_t>(column)); }

}  // namespace

void TkwCustomDBGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                      TGridDrawInfo& FixedInfo) {
  TkwCustomGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs, FixedInfo);
  if (State != gsColSizing || !FColumns) return;
  const TGridCoord cell = MouseCoord(X, Y);
  const int index = RawToDataColumn(Index);
  // Above the column's own level the title is its parent's, shared with its siblings.
  if (cell.Y >= 0 && cell.Y < FTitleOffset && index >= 0 && index < FColumns->Count() &&
      FColumns->Items(index)->Level() > cell.Y)
    State = gsNormal;
}

bool TkwCustomDBGrid::BeginColumnDrag(int& Origin, int& Destination, TPoint MousePt) {
  const int index = RawToDataColumn(Origin);
  if (!FColumns || index < 0 || index >= FColumns->Count()) return false;
  FDragLevel = std::clamp(MouseCoord(MousePt.X, MousePt.Y).Y, 0, std::max(0, FTitleOffset - 1));
  FDragColumn = AncestorAt(FColumns->Items(index), FDragLevel);
  return true;
}

bool TkwCustomDBGrid::CheckColumnDrag(int& Origin, int& Destination, TPoint) {
  if (!FDragColumn) return true;
  kw_dbgrid::TColumnDragUnits units;
  for (int c = 0; c < ColCount(); ++c) {
    const int index = RawToDataColumn(c);
    TkwColumn* unit = index >= 0 && index < FColumns->Count() ? AncestorAt(FColumns->Items(index), FDragLevel) : nullptr;
    units.Unit.push_back(unit ? UnitId(unit) : kw_dbgrid::kNoUnit);
    units.Parent.push_back(unit ? UnitId(unit->Parent()) : kw_dbgrid::kNoUnit);
  }
  Destination = kw_dbgrid::AdjustColumnDragDestination(units, UnitId(FDragColumn), UnitId(FDragColumn->Parent()),
                                                       Origin, Destination, FixedCols());
  return true;
}

// The unit moves as one: the base grid moves the unit's own column, whose index in
// Columns carries its children with it.
bool TkwCustomDBGrid::EndColumnDrag(int& Origin, int& Destination, TPoint) {
  if (FDragColumn && Origin != Destination) Origin = DataToRawColumn(FDragColumn->Index());
  FDragColumn = nullptr;
  return true;
}

void TkwCustomDBGrid::WMVScroll(TMessage& m) {
  if (!FDataLink->Active()) return;
  TkwCustomDbGridView& view = DbView();
  switch (LOWORD(m.WParam)) {
    case SB_LINEUP: view.MoveBy(-1); break;
    case SB_LINEDOWN: view.MoveBy(1); break;
    case SB_PAGEUP: view.MoveBy(-view.VisibleRowCount()); break;
    case SB_PAGEDOWN: view.MoveBy(view.VisibleRowCount()); break;
    case SB_THUMBPOSITION: {
      SCROLLINFO si{};
      si.cbSize = sizeof(si);
      si.fMask = SIF_TRACKPOS;
      ::GetScrollInfo(Handle(), SB_VERT, &si);
      view.SetRecNo(si.nTrackPos);
      break;
    }
    case SB_TOP: view.First(); break;
    case SB_BOTTOM: view.Last(); break;
    default: return;
  }
  UpdateActive();
}
