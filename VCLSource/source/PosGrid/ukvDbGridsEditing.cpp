// TkwCustomDBGrid's editing: the data-aware in-place editor, the text, mask, limit and
// style it gets for the current cell, the keys it takes, and the write of the typed text
// (or a check box's toggle) to the current column's field.
//
// The text typed into the editor waits in EditText; the grid's data link writes it to
// the field when the record is posted (a move to another row, Enter), through UpdateData.
// A value chosen in a drop-down list is written by the editor itself, once, when the
// list is accepted. A lookup column's field holds the key, and its editor shows the
// key's text.
#include <algorithm>

#include "VCLSource/source/PosGrid/ukvDbEditer.h"
#include "VCLSource/source/PosGrid/ukvDbEditerKeys.h"
#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "VCLSource/source/PosGrid/ukvDbGridsView.h"
#include "db/DataSet.h"
#include "db/Field.h"

namespace {

bool IsNumericField(const TField* f) {
  switch (f->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD:
    case ftAutoInc: case ftLargeint: case ftFMTBcd: return true;
    default: return false;
  }
}

AnsiString Trimmed(const AnsiString& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

TInplaceEdit* TkwCustomDBGrid::CreateEditor() {
  auto* editor = new TkwDBGridInplaceEdit(this);  // owned by the grid as its component
  editor->SetGridView(GetGridView());
  return editor;
}

void TkwCustomDBGrid::ShowEditor() {
  TkwColumn* column = SelectedColumn();
  if (column && (column->ButtonStyle() == gcbsCheckBox || column->Has(gcoHideContent))) {
    if (EditorMode()) HideEditor();
    return;
  }
  TkwCustomGrid::ShowEditor();
}

AnsiString TkwCustomDBGrid::CurrentEditText() {
  TkwColumn* column = SelectedColumn();
  if (!FDataLink->Active() || !column || !column->Field()) return AnsiString();
  const Variant v = DbView().GetValue(column->Field());
  if (column->IsLookupColumn() && column->LookupKeyField() && column->LookupLocate(v))
    return column->LookupKeyField()->Text();
  return v.IsNull() ? AnsiString() : v.AsString();
}

AnsiString TkwCustomDBGrid::GetEditText(int, int) {
  FEditText = CurrentEditText();
  return FEditText;
}

AnsiString TkwCustomDBGrid::GetEditMask(int, int) {
  TField* f = SelectedField();
  return FDataLink->Active() && f ? f->EditMask() : AnsiString();
}

TEditStyle TkwCustomDBGrid::GetEditStyle(int ACol, int) {
  const int i = RawToDataColumn(ACol);
  if (FReadOnly || !FColumns || i < 0 || i >= FColumns->Count()) return esSimple;
  TkwColumn* column = FColumns->Items(i);
  if (column->ReadOnly()) return esSimple;
  switch (column->ButtonStyle()) {
    case gcbsEllipsis:
      return esEllipsis;
    case gcbsLookupList: {
      if (column->HasPickList() && column->PickList()->Count() > 0) return esPickList;
      // A lookup column drops its lookup list: without this its key could only be typed.
      if (column->IsLookupColumn()) return esPickList;
      const TField* f = column->Field();
      if (f && f->Lookup() && !f->KeyFields().empty() && !f->LookupResultField().empty()) return esPickList;
      return esSimple;
    }
    default:
      return esSimple;
  }
}

bool TkwCustomDBGrid::CanEditAcceptKey(char Key) {
  TkwColumn* column = SelectedColumn();
  if (!FDataLink->Active() || !column || column->ButtonStyle() == gcbsCheckBox) return false;
  const TField* field = column->IsLookupColumn() ? column->LookupKeyField() : column->Field();
  // A lookup field takes its value from the list only: typed text would never be written.
  if (!field || field->Lookup()) return false;
  TInplaceEdit* editor = InplaceEditor();
  const AnsiString text = editor ? editor->Text() : AnsiString();
  const int at = editor ? editor->SelStart() : 0;
  return kw_edit::FieldKeyAccepted(*field, text, at, Key);
}

void TkwCustomDBGrid::SetEditText(int, int, const AnsiString& Value) {
  // The editor taking the field's text again is no change by the user.
  if (Value == FEditText) return;
  FEditText = Value;
  if (FDataLink->Editing()) FDataLink->SetModified(true);
}

// String fields are limited by their size, which counts GBK bytes as the editor does.
int TkwCustomDBGrid::GetEditLimit() {
  TField* f = SelectedField();
  if (!FDataLink->Active() || !f) return 0;
  return f->DataType() == ftString || f->DataType() == ftWideString ? f->Size() : 0;
}

// An empty grid gets its first record only when the column may be written to at all;
// otherwise the data link starts editing the current record.
bool TkwCustomDBGrid::CanEditModify() {
  TkwColumn* column = SelectedColumn();
  if (!column || !FDataLink->Active()) return false;
  // A lookup field is written through the key field it reads.
  const TField* f = column->Field();
  const TField* key = f && f->Lookup() && f->DataSet() ? f->DataSet()->FindField(f->KeyFields()) : nullptr;
  const bool writable = key ? !column->ReadOnly() && CanModifyData() && key->CanModify() : column->CanModify();
  if (!writable) return false;
  TkvCustomDbDataController* c = DataController();
  if (c && c->RowCount() == 0)
    c->Append();
  else
    FDataLink->Edit();
  return FDataLink->Editing();
}

void TkwCustomDBGrid::UpdateData() {
  TkwColumn* column = SelectedColumn();
  TField* field = column ? column->Field() : nullptr;
  if (!field || field->Lookup()) return;
  if (field->Text() == FEditText) return;
  AnsiString text = FEditText;
  if (IsNumericField(field)) {
    text = Trimmed(text);
    if (text == "+" || text == "-") text = "0";
  }
  if (column->ButtonStyle() != gcbsCheckBox) {
    field->SetText(text);
  } else if (field->DataType() == ftBoolean) {
    field->SetAsBoolean(text == "True");
  } else if (IsNumericField(field)) {
    // Every numeric kind stores a check box as 1 or 0.
    field->SetAsInteger(text == "True" ? 1 : 0);
  } else {
    field->SetText(text);
  }
  FEditText = field->Text();
  AfterSetFieldText(FEditText);
  // The editor shows the field's text (not its own text taken back as typed).
  if (InplaceEditor()) InvalidateEditor();
}

void TkwCustomDBGrid::ToggleCheckBox() {
  TkwColumn* column = SelectedColumn();
  TField* field = column ? column->Field() : nullptr;
  if (!field || !CanEditModify()) return;
  const Variant value = DbView().GetValue(field);
  const bool checked = !value.IsNull() && value.AsBoolean();
  FEditText = checked ? "False" : "True";
  FDataLink->SetModified(true);
  FDataLink->UpdateRecord();
}

// ============================================================================ Enter, entering and leaving

void TkwCustomDBGrid::DoExit() {
  if (FDataLink->Active()) {
    TDataSet* ds = FDataLink->DataSet();
    if (HasGridOption(FOptions, dgCancelOnExit) && ds && ds->State() == dsInsert && !ds->Modified() &&
        !FDataLink->Modified())
      ds->Cancel();
    else
      LeaveEditedField();
  }
  TkwCustomGrid::DoExit();
}

// Mended: the focus leaving the grid (a click on another control, a Save button that
// posts the record) wrote the typed text but ran no calculation rules, so AMOUNT = QTY *
// PRICE was stored stale. Leaving the grid leaves the edited field: its rules run.
void TkwCustomDBGrid::LeaveEditedField() {
  FDataLink->UpdateRecord();
  TkvCustomDbDataController* c = DataController();
  TDataSet* ds = FDataLink->DataSet();
  if (!c || !ds || !ds->Modified()) return;
  FollowCurrentColumn();
  c->GetCalculator().ApplyPendingField();
}

void TkwCustomDBGrid::DoEnter() {
  TkwCustomGrid::DoEnter();
  if (HandleAllocated() && AlwaysShowEditor(Col()) && CanEditShow()) ShowEditor();
}

