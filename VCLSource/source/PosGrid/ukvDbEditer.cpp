// The data-aware grid's cell editor, its lookup list and its null view.
#include "VCLSource/source/PosGrid/ukvDbEditer.h"

#include <algorithm>

#include "VCLSource/source/PosGrid/ukvDbEditerKeys.h"
#include "VCLSource/source/PosGrid/ukvDbGridsHelper.h"
#include "VCLSource/source/PosGrid/ukvDbHelperGuards.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "db/DataSet.h"
#include "db/Field.h"
#include "ui/WinApi.h"

// ============================================================================ TkwEmptyDbGridView

TStrings* TkwEmptyDbGridView::PickList() {
  if (!FPickList) FPickList = std::make_unique<TStringList>();
  return FPickList.get();
}

// ============================================================================ TPopupDataList

TPopupDataList::TPopupDataList(TkwInplaceEditList* AOwner) : TkwPopupListbox(AOwner) {}

void TPopupDataList::SetListSource(TDataSource* v) {
  if (v == FListSource) return;
  if (FListSource) FListSource->RemoveFreeNotification(this);
  FListSource = v;
  if (FListSource) FListSource->FreeNotification(this);
}

void TPopupDataList::Notification(TComponent* AComponent, TOperation Operation) {
  TkwPopupListbox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FListSource) FListSource = nullptr;
}

void TPopupDataList::Reload() {
  Items()->Clear();
  FKeys.clear();
  TDataSet* ds = FListSource ? FListSource->DataSet() : nullptr;
  if (!ds || !ds->Active() || FListField.empty()) return;
  TField* shown = ds->FindField(FListField);
  TField* key = FKeyField.empty() ? nullptr : ds->FindField(FKeyField);
  if (!shown) return;
  TkvControlsScope controls(ds);
  const int at = ds->RecNo();
  for (ds->First(); !ds->Eof(); ds->Next()) {
    Items()->Add(shown->DisplayText());
    FKeys.push_back(key ? key->AsVariant() : Variant());
  }
  if (at > 0) ds->SetRecNo(at);
}

Variant TPopupDataList::KeyValue() {
  const int i = ItemIndex();
  return i >= 0 && i < static_cast<int>(FKeys.size()) ? FKeys[static_cast<size_t>(i)] : Variant();
}

void TPopupDataList::SetKeyValue(const Variant& v) {
  int found = -1;
  if (!v.IsNull()) {
    for (size_t i = 0; i < FKeys.size() && found < 0; ++i)
      if (VariantsEqual(FKeys[i], v)) found = static_cast<int>(i);
  }
  SetItemIndex(found);
}

// ============================================================================ TkwDBGridInplaceEdit

TkwDBGridInplaceEdit::TkwDBGridInplaceEdit(TComponent* AOwner) : TkwInplaceEditList(AOwner) {}

// The links go first: a notice while the rest of the editor is torn down reaches nothing.
TkwDBGridInplaceEdit::~TkwDBGridInplaceEdit() {
  FLookupLink.reset();
  FListLink.reset();
}

std::shared_ptr<IkwGridView> TkwDBGridInplaceEdit::GetGridViewFallback() {
  return std::make_shared<TkwEmptyDbGridView>();
}

IkwCustomDbGridView& TkwDBGridInplaceEdit::DbView() {
  if (auto* db = dynamic_cast<IkwCustomDbGridView*>(&GridView())) return *db;
  return FNeutralView;
}

void TkwDBGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TkwInplaceEditList::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FDataList) {
    if (ActiveList() == FDataList) SetActiveList(nullptr);
    FDataList = nullptr;
  }
}

TkwLookupSourceLink& TkwDBGridInplaceEdit::LookupLink() {
  if (!FLookupLink) {
    FLookupLink = std::make_unique<TkwLookupSourceLink>();
    FLookupLink->OnDataChange = [this](TField* f) { LookupDataChanged(f); };
    FLookupLink->OnFieldsChange = [this](TkwLookupSourceLink* l) { LinkFieldsChanged(l); };
  }
  return *FLookupLink;
}

TkwLookupSourceLink& TkwDBGridInplaceEdit::ListLink() {
  if (!FListLink) {
    FListLink = std::make_unique<TkwLookupSourceLink>();
    FListLink->OnFieldsChange = [this](TkwLookupSourceLink* l) { LinkFieldsChanged(l); };
  }
  return *FListLink;
}

TDataSource* TkwDBGridInplaceEdit::DataSource() const { return FLookupLink ? FLookupLink->DataSource() : nullptr; }

void TkwDBGridInplaceEdit::SetDataSource(TDataSource* v) {
  LookupLink().SetDataSource(v);
  LinkFieldsChanged(FLookupLink.get());
}

void TkwDBGridInplaceEdit::SetEditFieldName(const AnsiString& v) {
  if (v == FEditFieldName) return;
  FEditFieldName = v;
  LinkFieldsChanged(&LookupLink());
}

TDataSource* TkwDBGridInplaceEdit::ListSource() const { return FListLink ? FListLink->DataSource() : nullptr; }

void TkwDBGridInplaceEdit::SetListSource(TDataSource* v) {
  ListLink().SetDataSource(v);
  LinkFieldsChanged(FListLink.get());
}

void TkwDBGridInplaceEdit::SetListFieldName(const AnsiString& v) {
  if (v == FListFieldName) return;
  FListFieldName = v;
  LinkFieldsChanged(&ListLink());
}

void TkwDBGridInplaceEdit::SetKeyFieldNames(const AnsiString& v) {
  if (v == FKeyFieldNames) return;
  FKeyFieldNames = v;
  LinkFieldsChanged(&ListLink());
}

// Fields are looked up only on an active link and by names that are set; a closing
// dataset or an unnamed field leaves none instead of raising.
void TkwDBGridInplaceEdit::LinkFieldsChanged(TkwLookupSourceLink* Link) {
  if (!Link) return;
  if (Link == FLookupLink.get()) {
    FEditField = LinkField(*Link, FEditFieldName);
    FResultField = FEditField;
    if (FEditField && FEditField->Lookup()) {
      TDataSet* lookup = FEditField->LookupDataSet();
      const AnsiString& result = FEditField->LookupResultField();
      FResultField = lookup && lookup->Active() && !result.empty() ? lookup->FindField(result) : nullptr;
    }
  } else if (Link == FListLink.get()) {
    FKeyField = LinkField(*Link, FKeyFieldNames);
    FListField = LinkField(*Link, FListFieldName);
  }
}

bool TkwDBGridInplaceEdit::CanModify() {
  if (HasGrid()) {
    IkwCustomDbGridView& db = DbView();
    if (db.ReadOnly()) return false;
    const std::shared_ptr<IkwField> field = db.GetField();
    return field && field->CanModify();
  }
  return FLookupLink && !FLookupLink->ReadOnly() && FEditField && FEditField->CanModify();
}

void TkwDBGridInplaceEdit::CreateDataList() {
  FDataList = new TPopupDataList(this);
  FDataList->SetParent(this);
}

void TkwDBGridInplaceEdit::ActivateDataList() {
  if (!FDataList) CreateDataList();
  SetActiveList(FDataList);
}

void TkwDBGridInplaceEdit::UpdateContents() {
  TkwInplaceEditList::UpdateContents();
  if (FUseDataList) ActivateDataList();
  if (!HasGrid()) return;
  DbView().HookEditorEvents();
  // In a grid the lookup list opens on the cell's own key.
  if (FDataList && ActiveList() == FDataList) {
    const std::shared_ptr<IkwField> field = DbView().GetField();
    FLookupValue = field ? field->GetAsVariant() : Variant();
    FLookupText.clear();
  }
}

bool TkwDBGridInplaceEdit::SetKeyValue(const Variant& Value) {
  return LocateKey(FListLink ? FListLink->DataSet() : nullptr, FKeyFieldNames, Value);
}

void TkwDBGridInplaceEdit::DropDown() {
  if (!CanModify() || ReadOnly() || ListVisible()) return;
  if (HasGrid()) {
    IkwCustomDbGridView& db = DbView();
    if (ActiveList() && ActiveList() == PickList()) {
      TStrings* items = db.PickList();
      PickList()->Items()->Clear();
      if (items)
        for (int i = 0; i < items->Count(); ++i) PickList()->Items()->Add(items->Strings(i));
      SetDropDownRows(db.DropDownRows());
    } else if (FDataList && ActiveList() == FDataList) {
      db.AssignEditorFromColumn();
    }
  } else if (FDataList && ActiveList() == FDataList) {
    FDataList->SetListSource(ListSource());
    FDataList->SetListField(FListFieldName);
    FDataList->SetKeyField(FKeyFieldNames);
  }
  if (FDataList && ActiveList() == FDataList) {
    FDataList->HandleNeeded();
    FDataList->SetFont(Font());
    FDataList->Reload();
    const int count = FDataList->Items()->Count();
    const int rows = (DropDownRows() > 0 && count >= DropDownRows()) ? DropDownRows() : std::max(count, 1);
    FDataList->SetBounds(0, 0, Width(), rows * FDataList->ItemHeight() + 4);
    FDataList->SetKeyValue(FLookupValue);
  }
  TkwInplaceEditList::DropDown();
}

// The button of a pick list with items drops it down; otherwise it is the editor's
// OnEditButtonClick (which a grid's view binds to its column).
void TkwDBGridInplaceEdit::DoEditButtonClick() {
  if (EditStyle() == esPickList && ActiveList() && ActiveList() == PickList()) {
    TStrings* items = HasGrid() ? DbView().PickList() : PickList()->Items();
    if (items && items->Count() > 0) {
      DropDown();
      return;
    }
  }
  TkwInplaceEditList::DoEditButtonClick();
}

void TkwDBGridInplaceEdit::CloseUp(bool Accept) {
  if (!ListVisible()) return;
  TWinControl* list = ActiveList();
  if (!list) return;
  if (HWND cap = ::GetCapture()) ::SendMessageW(cap, WM_CANCELMODE, 0, 0);
  // Only a value chosen in this list is applied: nothing chosen is Null, never a value
  // left from an earlier cell or notice. A cancelled list leaves the value and text
  // as they were.
  const Variant keptValue = FLookupValue;
  const AnsiString keptText = FLookupText;
  FLookupValue = Variant();
  if (list == PickList()) {
    const int index = PickList()->ItemIndex();
    if (index >= 0) FLookupValue = Variant(PickList()->Items()->Strings(index));
  } else if (list == FDataList) {
    FLookupValue = FDataList->KeyValue();
    DbView().ClearLookupList();
  }
  ResetText();
  if (list->HandleAllocated())
    ::SetWindowPos(list->Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  SetListVisible(false);
  InvalidateForList();
  if (Accept) {
    ApplyValue();
  } else {
    FLookupValue = keptValue;
    FLookupText = keptText;
  }
}

void TkwDBGridInplaceEdit::ResetText() {
  FLookupText.clear();
  TWinControl* list = ActiveList();
  if (!list) return;
  if (list == PickList()) {
    const int index = PickList()->ItemIndex();
    if (index >= 0) FLookupText = PickList()->Items()->Strings(index);
  } else if (list == FDataList) {
    // The list field's display text at the chosen key: the item shows just that.
    const int index = FDataList->ItemIndex();
    if (index >= 0) FLookupText = FDataList->Items()->Strings(index);
  }
}

// A field is written only here: on the user's accept, once (a write that notifies back
// into the editor does not write again), and only with a value that differs from the
// field's. Outside a grid an accept without a chosen value keeps the text.
void TkwDBGridInplaceEdit::ApplyValue() {
  if (FApplying || FLookupValue.IsNull()) return;
  const AnsiString before = Text();
  if (HasGrid()) {
    if (!MayModify()) return;
    const std::shared_ptr<IkwField> field = DbView().GetField();
    if (!field) return;
    TkvFlagScope applying(FApplying);
    if (CompareVariants(field->GetAsVariant(), FLookupValue) != 0) field->SetAsVariant(FLookupValue);
    // Mended: the list's text went into the editor whatever the cell shows. A lookup
    // column's editor shows its key: after the key it already had was chosen again it
    // showed the goods' name, which nothing had told the grid of, so leaving the column
    // handed the name to the next column as typed there (stored in another field), and
    // a digit typed after it made a key no field takes. The editor shows the cell's own
    // text as the grid has it now (the key, or a lookup field's new name).
    IkwGridView& view = GridView();
    const AnsiString shown = view.GetEditText(view.Col(), view.Row());
    if (shown != Text()) SetTextDirect(shown);
  } else {
    SetTextDirect(FLookupText);
    SetModified(true);
  }
  if (Text() != before && OnChange) OnChange(this);
}

// A data-change notice refreshes what the editor shows of the field; it never writes the
// field (scrolling or refreshing the dataset would otherwise modify the record).
void TkwDBGridInplaceEdit::LookupDataChanged(TField* Field) {
  if (!FUseDataList || FApplying) return;
  if (Field && Field != FEditField) return;
  FLookupText.clear();
  FLookupValue = FResultField ? FResultField->AsVariant() : Variant();
  if (SetKeyValue(FLookupValue) && FListField) FLookupText = FListField->DisplayText();
  if (!HasGrid() && HandleAllocated()) {
    SetTextDirect(FLookupText);
    SetModified(false);
  }
}

void TkwDBGridInplaceEdit::SetDbFocused(bool v) {
  if (v == FDbFocused) return;
  FDbFocused = v;
  if (ListVisible()) CloseUp(false);
  if (Text().empty()) return;
  if (FLookupLink && FLookupLink->Active())
    LookupDataChanged(nullptr);
  else if (FDataList)
    FDataList->SetKeyValue(FLookupValue);
}

void TkwDBGridInplaceEdit::CMEnter(TMessage& m) {
  if (HasGrid()) {
    TkwInplaceEditList::CMEnter(m);
    return;
  }
  SetDbFocused(true);
  TkwInplaceEditList::CMEnter(m);
  SetReadOnly(!CanModify());
}

void TkwDBGridInplaceEdit::CMExit(TMessage& m) {
  if (HasGrid()) {
    TkwInplaceEditList::CMExit(m);
    return;
  }
  if (FLookupLink && FLookupLink->Active()) FLookupLink->UpdateRecord();
  SetDbFocused(false);
  TkwInplaceEditList::CMExit(m);
}

void TkwDBGridInplaceEdit::KeyPress(char& Key) {
  const unsigned char typed = static_cast<unsigned char>(Key);
  TkwInplaceEditList::KeyPress(Key);
  if (HasGrid() || !CanModify()) return;
  const unsigned char k = static_cast<unsigned char>(Key);
  if (k >= 32) {
    TField* field = FListField ? FListField : FEditField;
    if (field && !kw_edit::FieldKeyAccepted(*field, Text(), SelStart(), Key)) {
      ::MessageBeep(0);
      Key = 0;
      return;
    }
  }
  if (!FLookupLink || !FLookupLink->Active()) return;
  if (typed == 27) {
    // Esc gives up what was typed: the field's text comes back, all selected.
    if (FUseDataList)
      LookupDataChanged(nullptr);
    else
      SetTextDirect(FEditField ? FEditField->Text() : AnsiString());
    SetModified(false);
    SelectAll();
    Key = 0;
  } else if (k == 8 || k == 22 || k == 24 || k >= 32) {
    FLookupLink->Edit();
  }
}
