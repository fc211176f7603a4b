// The data-aware grid's view: the window of rows, row moves through the data controller,
// the controller's notices turned into the grid's deferred updates, and the current
// column as the data-aware editor sees it.
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"

#include <algorithm>

#include "VCLSource/source/PosGrid/ukvDbEditer.h"
#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "VCLSource/source/PosGrid/ukvDbHelperProvider.h"
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "VCLSource/source/PosGrid/ukvExpressionCalculator.h"
#include "db/DataLink.h"
#include "db/DataSet.h"
#include "db/Field.h"

using namespace kw_dbgrid;

namespace {

// An inserted record nobody typed into.
bool IsBlankInsert(uint8_t editState) {
  return (editState & desInserting) && !(editState & (desProviderModified | desDataSetModified));
}

}  // namespace

TkwCustomDbGridView::TkwCustomDbGridView(TkwCustomDBGrid* AGrid)
    : TkwCustomGridView(AGrid),
      FOwnReader(std::make_shared<TkwGridViewValueReader>(static_cast<IkwDbGridView*>(this))),
      FValueReader(FOwnReader) {
  FDataController = AGrid->GetDataControllerClass()(AGrid);
  FDataController->OnFocusedRecordChanged = [this](TObject*) { FocusedRowChanged(); };
  FDataController->OnChanged = [this](TObject*, uint16_t mask) { DataChanged(mask); };
  FDataController->OnDataSetChange = [this](TObject*, TkvDatasetChange* c) { DataSetChanged(c); };
  if (TkwDbGridController* c = DataController()) c->SetView(this);
}

TkwCustomDbGridView::~TkwCustomDbGridView() {
  FOwnReader->Detach();  // a reader handed out reads nothing once the view is gone
  DetachController();
}

void TkwCustomDbGridView::DetachController() {
  if (!FDataController) return;
  FDataController->OnFocusedRecordChanged = nullptr;
  FDataController->OnChanged = nullptr;
  FDataController->OnDataSetChange = nullptr;
  // The grid's marks go before the controller does.
  FDataController->SetRecordIndexObserver(nullptr);
  if (TkwDbGridController* c = DataController(); c && c->View() == this) c->SetView(nullptr);
  FDataController = nullptr;
}

TkwCustomDBGrid* TkwCustomDbGridView::DbGrid() const { return static_cast<TkwCustomDBGrid*>(Grid()); }

// ============================================================================ the window of rows

int TkwCustomDbGridView::RowCount() const { return FDataController ? FDataController->RowCount() : 0; }

TkwDbGridController* TkwCustomDbGridView::DataController() {
  return dynamic_cast<TkwDbGridController*>(FDataController);
}

int TkwCustomDbGridView::VisibleRowCount() { return ViewVisibleRowCount(FBufferCount, RowCount(), FTopRecord); }

void TkwCustomDbGridView::AdjustTopRecord() {
  const int focused = FDataController ? FDataController->FocusedRowIndex() : -1;
  FTopRecord = kw_dbgrid::AdjustTopRecord(FTopRecord, focused, RowCount(), FBufferCount);
  FActiveRecord = ActiveRecordFor(FTopRecord, focused, FBufferCount);
}

void TkwCustomDbGridView::KeepTopRecord(int top) {
  FTopRecord = top;
  AdjustTopRecord();
}

void TkwCustomDbGridView::SetBufferCount(int v) {
  v = BufferCountFor(v);
  if (v == FBufferCount) return;
  FBufferCount = v;
  AdjustTopRecord();
  if (FActiveRecord >= v) FActiveRecord = v - 1;
}

void TkwCustomDbGridView::ReadCurrentRecord(IkwDisplayTextValueReader& Reader) {
  Reader.SetRecordIndex(CurrentRecordIndex());
}

int TkwCustomDbGridView::CurrentRecordIndex() {
  const int n = RowCount();
  if (n == 0 || RecNo() > n) return -1;
  return FDataController->GetRowRecordIndex(RecNo() - 1);
}

Variant TkwCustomDbGridView::GetValue(TField* Field) {
  Variant v = Variant::Null();  // past the last row: Null, not Unassigned
  const int n = RowCount();
  if (n == 0 || RecNo() > n || !Field) return v;
  TkwColumn* c = DbGrid() ? DbGrid()->FindColumnByFieldName(Field->FieldName()) : nullptr;
  if (c && c->DbField()) FDataController->GetRowValue(RecNo() - 1, c->DbField(), v);
  return v;
}

AnsiString TkwCustomDbGridView::GetDisplayText(TField* Field) {
  const int n = RowCount();
  if (n == 0 || RecNo() > n || !Field) return AnsiString();
  TkwColumn* c = DbGrid() ? DbGrid()->FindColumnByFieldName(Field->FieldName()) : nullptr;
  if (!c || !c->DbField()) return AnsiString();
  return c->CellDisplayText(FDataController->GetRowRecordIndex(RecNo() - 1));
}

Variant TkwCustomDbGridView::GetValue(TkvDbField* Field) {
  Variant v = Variant::Null();  // past the last row: Null, not Unassigned
  const int n = RowCount();
  if (n == 0 || RecNo() > n || !Field) return v;
  FDataController->GetRowValue(RecNo() - 1, Field, v);
  return v;
}

// A column's field item reads the text its cell shows (the same text the grid paints).
AnsiString TkwCustomDbGridView::GetDisplayText(TkvDbField* Field) {
  const int n = RowCount();
  if (n == 0 || RecNo() > n || !Field) return AnsiString();
  const int record = FDataController->GetRowRecordIndex(RecNo() - 1);
  if (auto* c = dynamic_cast<TkwColumn*>(Field->Column()); c && c->DbField() == Field) return c->CellDisplayText(record);
  AnsiString text;
  FDataController->GetDisplayText(record, Field->Index(), text);
  return text;
}

// ============================================================================ moves

void TkwCustomDbGridView::FocusRow(int row) {
  if (FDataController) FDataController->FocusRow(row);
}

// An edited record is written before the focus leaves it, after the calculation rules
// of the calculator's current field have run on it. An inserted record nobody typed into
// is dropped instead, unless the move is the one that appends it.
bool TkwCustomDbGridView::FinishPendingEdit(bool appending) {
  TkvCustomDbDataController* c = FDataController;
  if (!c || !DbGrid()) return false;
  const uint8_t state = c->GetEditState();
  if (state & desEditing) DbGrid()->DataLink().UpdateRecord();
  const uint8_t now = c->GetEditState();
  if (now & desDataSetModified) {
    // Mended: the rules ran only when another column was entered, so a row left upwards,
    // downwards, by a page, the wheel or a click on another row stored its computed
    // fields stale. The current field is the edited column's, whatever made it current.
    DbGrid()->FollowCurrentColumn();
    c->GetCalculator().ApplyPendingField();
    c->EndEdit();
    return false;
  }
  if (IsBlankInsert(now)) {
    const bool differs = c->IsLastRow() != appending;
    if (differs) c->CancelEditAndRefocus();
    return differs;
  }
  return false;
}

// The one road of every move that may follow a post. The aim is taken before the edit
// is finished: the record that stands in targetRow when the move starts, or the first
// or last row as they stand after the post. Then the pending edit is finished (the
// rules, the post), a blank inserted row the move leaves is dropped, and the focus goes
// to the aim. A move aimed at its own row keeps the focus on the record, wherever the
// post took it.
// Mended: the moves posted in their own ways: Up counted its row before the post, so
// after an edit of the sorted column it went to a record two above the one aimed at;
// First and Last posted through the controller without the rules; a move that dropped
// a blank appended row stopped there, and one that dropped a blank inserted row went to
// the record after the one aimed at (the records behind the dropped one moved up).
void TkwCustomDbGridView::MoveTo(TMoveAim aim, int targetRow, bool appending) {
  TkvCustomDbDataController* c = FDataController;
  const int n = RowCount();
  const int from = c ? c->FocusedRowIndex() : -1;
  if (n == 0 || from < 0) return;
  targetRow = std::clamp(targetRow, 0, n - 1);
  const bool leaves = aim == TMoveAim::First ? from != 0 : aim == TMoveAim::Last ? from != n - 1 : targetRow != from;
  int targetRecord = c->GetRowRecordIndex(targetRow);
  const int inserted = c->Provider().IsInserting() ? c->Provider().InsertingRecord : -1;
  const int records = c->GetRecordCount();
  const int top = FTopRecord;
  FinishPendingEdit(appending);
  if (leaves && IsBlankInsert(c->GetEditState())) c->CancelEditAndRefocus();
  // A dropped inserted record takes its place in the storage with it.
  if (inserted >= 0 && c->GetRecordCount() < records) {
    if (targetRecord == inserted)
      targetRecord = -1;
    else if (targetRecord > inserted)
      --targetRecord;
  }
  const int now = RowCount();
  if (now == 0) return;
  // The screen stays where it was while the post took the edited record elsewhere: the
  // move scrolls only as far as its aim needs.
  FTopRecord = top;
  switch (aim) {
    case TMoveAim::First: FocusRow(0); break;
    case TMoveAim::Last: FocusRow(now - 1); break;
    case TMoveAim::Record:
      if (leaves) FocusRecordOrRow(targetRecord, targetRow);
      break;
  }
  AdjustTopRecord();
}

void TkwCustomDbGridView::First() { MoveTo(TMoveAim::First, 0, false); }

void TkwCustomDbGridView::Last() { MoveTo(TMoveAim::Last, RowCount() - 1, false); }

// Mended: the distance was counted from the row after the post, to which a sorted grid
// may have moved the edited record: a page key or a click on another row after an edit
// of the sorted column went to the end. The move goes to the record that stood at the
// distance from the row it started on.
void TkwCustomDbGridView::MoveBy(int Distance) {
  const int from = FDataController ? FDataController->FocusedRowIndex() : -1;
  if (from < 0) return;
  MoveTo(TMoveAim::Record, static_cast<int>(std::clamp<long long>(static_cast<long long>(from) + Distance, 0,
                                                                   std::max(0, RowCount() - 1))),
         false);
}

void TkwCustomDbGridView::Next() {
  TkwCustomDBGrid* g = DbGrid();
  if (!g || !FDataController || FDataController->FocusedRowIndex() < 0) return;
  KeepOrClearSelection();
  // Mended: the last-row test looked at the row after the post, which a sorted grid may
  // have moved the edited record to: Down on a middle row appended a blank record. The
  // test is of the row Down was pressed on, and the move goes to the record below it.
  const int from = FDataController->FocusedRowIndex();
  if (from < RowCount() - 1) {
    MoveTo(TMoveAim::Record, from + 1, true);
    return;
  }
  if (FinishPendingEdit(true)) return;
  // Appending a record on the last row is part of editing: a grid that does not edit
  // stays on its last row.
  if (!g->ReadOnly() && !HasGridOption(g->Options(), dgModifyOnly) && HasGridOption(g->Options(), dgEditing) &&
      g->CanModifyData())
    FDataController->Append();
}

void TkwCustomDbGridView::FocusRecordOrRow(int record, int row) {
  const int n = RowCount();
  if (n == 0) return;
  const int at = record >= 0 ? FDataController->GetRecordRowIndex(record) : -1;
  FocusRow(at >= 0 ? at : std::clamp(row, 0, n - 1));
}

void TkwCustomDbGridView::Prior() {
  if (!FDataController || FDataController->FocusedRowIndex() < 0) return;
  const int focused = FDataController->FocusedRowIndex();
  KeepOrClearSelection();
  MoveTo(TMoveAim::Record, focused == 0 ? 0 : focused - 1, false);
}

// A read-only grid with dgMultiSelect keeps its marks while the user walks the rows.
void TkwCustomDbGridView::KeepOrClearSelection() {
  TkwCustomDBGrid* g = DbGrid();
  if (g && !(g->ReadOnly() && HasGridOption(g->Options(), dgMultiSelect))) g->ClearSelection();
}

void TkwCustomDbGridView::SetRecNo(int v) { MoveTo(TMoveAim::Record, v - 1, false); }

void TkwCustomDbGridView::SortByColumn(TkwColumn* Column, bool ClearOthers) {
  if (!Column || !Column->DbField() || !FDataController) return;
  // An edit under way is finished as on leaving its row: the rules run before the post
  // the new order needs.
  FinishPendingEdit(false);
  const uint8_t old = FDataController->Info().SortingFields().GetDirection(Column->DbField());
  const uint8_t direction = old == 1 ? 2 : 1;
  if (ClearOthers) FDataController->ClearSorting();
  FDataController->ChangeSorting(Column->DbField(), direction);
}

// ============================================================================ notices

void TkwCustomDbGridView::FocusedRowChanged() {
  AdjustTopRecord();
  if (TkwCustomDBGrid* g = DbGrid()) g->PostDeferredUpdate(duRowCount | duScrollBars | duInvalidate);
}

void TkwCustomDbGridView::DataChanged(uint16_t mask) {
  AdjustTopRecord();
  const uint8_t bits = DeferredBitsOfNotice(mask);
  if (TkwCustomDBGrid* g = DbGrid(); g && bits) g->PostDeferredUpdate(bits);
}

void TkwCustomDbGridView::DataSetChanged(TkvDatasetChange* change) {
  TkwCustomDBGrid* g = DbGrid();
  if (!g || !change) return;
  if (auto* a = dynamic_cast<TkvActiveChange*>(change)) {
    g->LinkActive(a->Active);
    AdjustTopRecord();
  } else if (dynamic_cast<TkvLayoutChange*>(change)) {
    g->LayoutChanged();
  } else if (auto* r = dynamic_cast<TkvRecordChange*>(change)) {
    g->RecordChanged(r->Field);
  }
}

// ============================================================================ the current column

TkwColumn* TkwCustomDbGridView::CurrentColumn() const {
  TkwCustomDBGrid* g = DbGrid();
  return g && g->Columns() ? g->SelectedColumn() : nullptr;
}

TkwDBGridInplaceEdit* TkwCustomDbGridView::Editor() const {
  TkwCustomDBGrid* g = DbGrid();
  return g ? dynamic_cast<TkwDBGridInplaceEdit*>(g->InplaceEditor()) : nullptr;
}

void TkwCustomDbGridView::EditButtonClick() {
  TkwColumn* column = CurrentColumn();
  if (column && column->OnEditButtonClick) {
    column->EditButtonClick();
    return;
  }
  if (TkwCustomDBGrid* g = DbGrid(); g && g->OnEditButtonClick) g->OnEditButtonClick(g);
}

int TkwCustomDbGridView::DropDownRows() {
  TkwColumn* column = CurrentColumn();
  return column ? column->DropDownRows() : 0;
}

TField* TkwCustomDbGridView::CurrentLookupField() const {
  TkwColumn* column = CurrentColumn();
  TField* field = column && !column->IsLookupColumn() ? column->Field() : nullptr;
  if (!field || !field->Lookup() || !field->LookupDataSet() || !field->DataSet()) return nullptr;
  if (column->HasPickList() && column->PickList()->Count() > 0) return nullptr;
  return field;
}

std::shared_ptr<IkwField> TkwCustomDbGridView::GetField() {
  TkwColumn* column = CurrentColumn();
  TField* field = column ? column->Field() : nullptr;
  if (TField* lookup = CurrentLookupField()) field = lookup->DataSet()->FindField(lookup->KeyFields());
  return field ? std::make_shared<TkwField>(field) : nullptr;
}

TStrings* TkwCustomDbGridView::PickList() {
  TkwColumn* column = CurrentColumn();
  return column ? column->PickList() : nullptr;
}

bool TkwCustomDbGridView::ReadOnly() {
  TkwColumn* column = CurrentColumn();
  return !column || column->ReadOnly();
}

void TkwCustomDbGridView::ClearLookupList() {
  TkwDBGridInplaceEdit* editor = Editor();
  TPopupDataList* list = editor ? editor->DataList() : nullptr;
  if (!list) return;
  list->SetListField(AnsiString());
  list->SetKeyField(AnsiString());
  list->SetListSource(nullptr);
}

void TkwCustomDbGridView::AssignEditorFromColumn() {
  TkwDBGridInplaceEdit* editor = Editor();
  TkwColumn* column = CurrentColumn();
  if (!editor || !column) return;
  editor->SetReadOnly(column->ReadOnly());
  const TkwGridFont* font = column->Font();
  editor->Font()->SetName(font->Name());
  editor->Font()->SetHeight(font->Height());
  editor->Font()->SetColor(font->Color());
  TPopupDataList* list = editor->DataList();
  if (!list) return;
  if (TField* lookup = CurrentLookupField()) {
    if (!FLookupFieldSource) FLookupFieldSource = std::make_unique<TDataSource>(nullptr);
    FLookupFieldSource->SetDataSet(lookup->LookupDataSet());
    list->SetListSource(FLookupFieldSource.get());
    list->SetListField(lookup->LookupResultField());
    list->SetKeyField(lookup->LookupKeyFields());
    return;
  }
  list->SetListSource(column->LookupSource());
  list->SetListField(column->ListField());
  list->SetKeyField(column->KeyField());
}

void TkwCustomDbGridView::HookEditorEvents() {
  TkwDBGridInplaceEdit* editor = Editor();
  TkwColumn* column = CurrentColumn();
  if (!editor || !column) return;
  if ((column->IsLookupColumn() || CurrentLookupField()) && editor->EditStyle() == esPickList)
    editor->ActivateDataList();
  // The view outlives neither its editor nor its grid unnoticed: a detached view finds
  // no column and the events do nothing.
  editor->OnEditButtonClick = [this](TObject*) { EditButtonClick(); };
  editor->OnReturnKey = [this](TObject*) {
    if (TkwColumn* c = CurrentColumn()) c->PressReturnKey();
  };
}
