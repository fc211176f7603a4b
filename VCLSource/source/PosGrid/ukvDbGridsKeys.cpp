// TkwCustomDBGrid's keys and mouse: row moves through the grid view (the grid's current
// row then follows the view), deletion with its question, the locate dialog behind F3,
// and sorting by a double-click on a title.
#include <algorithm>

#include "VCLSource/source/PosGrid/fukvGridLocate.h"
#include "VCLSource/source/PosGrid/ukvDbConsts.h"
#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "db/DataSet.h"
#include "ui/Dialogs.h"

void TkwCustomDBGrid::KeyDown(WORD& Key, TShiftState Shift) {
  const bool ctrl = Shift.Contains(ssCtrl), alt = Shift.Contains(ssAlt);
  bool mine = false;
  if (FDataLink->Active()) {
    switch (Key) {
      case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: mine = !alt; break;
      case VK_HOME: case VK_END: mine = ctrl && !alt; break;
      case VK_DELETE: mine = ctrl || alt; break;
      case VK_F2: case VK_F3: case VK_ESCAPE: mine = !ctrl && !alt; break;
      default: break;
    }
  }
  if (!mine) return TkwCustomGrid::KeyDown(Key, Shift);
  TCustomControl::KeyDown(Key, Shift);  // OnKeyDown first
  if (Key == 0) return;
  TkwCustomDbGridView& view = DbView();
  const bool multi = HasGridOption(FOptions, dgMultiSelect);
  const bool extend = multi && Shift.Contains(ssShift) && !ctrl;
  if (ctrl && Key != VK_DELETE) ClearSelection();
  switch (Key) {
    case VK_UP:
    case VK_DOWN: {
      if (extend) {
        // Shift+Up/Down marks as it goes and never appends.
        const int from = FocusedRowIndex();
        view.MoveBy(Key == VK_UP ? -1 : 1);
        SelectByKey(from);
      } else if (Key == VK_UP) {
        view.Prior();
      } else {
        view.Next();
      }
      break;
    }
    case VK_PRIOR: ClearSelection(); view.MoveBy(-view.VisibleRowCount()); break;
    case VK_NEXT: ClearSelection(); view.MoveBy(view.VisibleRowCount()); break;
    case VK_HOME: view.First(); break;
    case VK_END: view.Last(); break;
    case VK_DELETE: {
      // Alt+Delete deletes the marked records, else the focused one; Ctrl+Delete does
      // nothing.
      TDataSet* ds = FDataLink->DataSet();
      TkvCustomDbDataController* c = DataController();
      if (ctrl || FReadOnly || !ds || ds->IsEmpty() || !ds->CanModify() || !c) break;
      const int marked = FSelectedRecs->Count();
      if (marked > 0) {
        if (DeletePrompt(marked)) FSelectedRecs->DeleteSelected();
      } else if (c->FocusedRowIndex() >= 0 && DeletePrompt(1)) {
        c->Delete();
      }
      break;
    }
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
  Key = 0;
  UpdateActive();
}

void TkwCustomDBGrid::SelectByKey(int FromRow) {
  TkvCustomDbDataController* c = DataController();
  if (!c || !FSelectedRecs->Active()) return;
  if (FromRow >= 0 && FromRow < c->RowCount()) FSelectedRecs->Insert(0, c->GetRowRecordIndex(FromRow));
  FSelectedRecs->SetCurrentRowSelected(true);
  FSelecting = true;
  if (HandleAllocated()) Invalidate();
}

void TkwCustomDBGrid::SelectByClick(TShiftState Shift, int FromRow) {
  TkvCustomDbDataController* c = DataController();
  if (!c || !FSelectedRecs->Active()) return;
  FSelecting = false;
  if (Shift.Contains(ssCtrl)) {
    FSelectedRecs->SetCurrentRowSelected(!FSelectedRecs->CurrentRowSelected());
  } else if (Shift.Contains(ssShift) && FromRow >= 0) {
    FSelectedRecs->Clear();
    const int to = c->FocusedRowIndex();
    for (int r = std::min(FromRow, to); r <= std::max(FromRow, to) && r < c->RowCount(); ++r)
      FSelectedRecs->Insert(0, c->GetRowRecordIndex(r));
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

void TkwCustomDBGrid::LocateFromDialog() {
  TkvCustomDbDataController* c = DataController();
  if (!c) return;
  TfmGridLocate& dlg = *FLocateDialog;
  dlg.cbbLocate->Items()->Clear();
  std::vector<TkwColumn*> listed;
  for (TkwColumn* col : FShownColumns) {
    if (!col->DbField()) continue;
    bool show = true;
    if (CheckNeedShowColumnInListEvent) CheckNeedShowColumnInListEvent(this, col, sctLocate, show);
    if (!show) continue;
    dlg.AddColumn(col->Title()->Caption(), col->DbField()->Index());
    listed.push_back(col);
  }
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
  if (result == kwLocateFind && item >= 0 && item < static_cast<int>(listed.size())) {
    FLocateFirst = false;
    FLocateField = listed[static_cast<size_t>(item)]->DbField()->Index();
    FLocateText = dlg.edtLocate->Text();
  }
  if (found && item >= 0 && item < static_cast<int>(listed.size())) {
    const int col = DataToRawColumn(listed[static_cast<size_t>(item)]->Index());
    if (col < ColCount()) SetCol(col);
  }
  UpdateActive();
}

// The data controller's search ends when the focus moves by other means (a click, a
// key); F3 then starts the last locate again from the focused row and goes on past it,
// so it keeps finding the next match instead of nothing.
void TkwCustomDBGrid::LocateNext() {
  TkvCustomDbDataController* c = DataController();
  if (!c) return;
  const bool forward = FLocateDialog->rgRangeOption->ItemIndex() != 2;
  TkvDataControllerSearch& search = c->Search();
  if (!search.Active() && FLocateField >= 0 && FLocateField < c->FieldCount()) {
    const int before = c->FocusedRowIndex();
    if (!search.Search(FLocateField, FLocateText)) return;
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

void TkwCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Shift.Contains(ssDouble)) {
    if (CanFocus() && !Focused()) SetFocus();
    const TGridCoord cell = MouseCoord(X, Y);
    FDblClickRow = FDataLink->Active() && cell.Y >= FTitleOffset ? DataRowOf(cell.Y) : -1;
    if (!TitleDblClick(X, Y, Shift)) DblClick();
    return;
  }
  if (FDataLink->Active() && Button == mbLeft) {
    const TGridCoord cell = MouseCoord(X, Y);
    const int dataRow = cell.Y >= FTitleOffset ? DataRowOf(cell.Y) : -1;
    if (dataRow >= 0) {
      TkwCustomDbGridView& view = DbView();
      const int focused = FocusedRowIndex();
      if (focused >= 0 && dataRow != focused) view.MoveBy(dataRow - focused);
      UpdateActive();
      const int index = RawToDataColumn(cell.X);
      if (index >= 0 && index < FColumns->Count() && FColumns->Items(index)->ButtonStyle() == gcbsCheckBox) {
        if (cell.X != Col()) SetCol(cell.X);
        ToggleCheckBox();
      }
      if (HasGridOption(FOptions, dgMultiSelect)) {
        SelectByClick(Shift, focused);
        Shift >> ssShift;  // the marks are the range; the base grid moves no anchor
      }
    } else if (cell.Y >= FTitleOffset) {
      // A row below the data: nothing to focus there.
      if (CanFocus() && !Focused()) SetFocus();
      return;
    }
  }
  TkwCustomGrid::MouseDown(Button, Shift, X, Y);
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
