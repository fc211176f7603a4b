// TkvCustomDbDataController, the model behind the data-aware grid: loading the dataset's
// records into the storage, the field list, editing, posting and deleting through the
// provider, the focused row and the change notices.
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"

#include <algorithm>
#include "VCLSource/source/PosGrid/ukvDbConsts.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "VCLSource/source/PosGrid/ukvDbHelperExpressions.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "VCLSource/source/PosGrid/ukvDbHelperProvider.h"
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSearch.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSummary.h"
#include "VCLSource/source/PosGrid/ukvDbHelperValueReaders.h"
#include "VCLSource/source/PosGrid/ukvExpressionCalculator.h"
#include "db/ClientDataSet.h"
#include "db/FieldClasses.h"

void RaiseItemIndexError() { throw EkvInvalidDataControllerOperation(kvLoadStr(SkvItemIndexError)); }
void RaiseRowIndexError() { throw EkvInvalidDataControllerOperation(kvLoadStr(SkvRowIndexError)); }

// --- field value types --------------------------------------------------------------------

TkvValueTypeClass ValueTypeForField(const TField* field) {
  if (!field) return TkvStringValueTypeClass();
  switch (field->DataType()) {
    case ftString: return TkvStringValueTypeClass();
    case ftSmallint: return TkvSmallintValueTypeClass();
    case ftInteger:
    case ftAutoInc: return TkvIntegerValueTypeClass();
    case ftWord: return TkvWordValueTypeClass();
    case ftBoolean: return TkvBooleanValueTypeClass();
    case ftFloat:
    case ftCurrency: return TkvFloatValueTypeClass();
    case ftBCD: return TkvCurrencyValueTypeClass();
    case ftDate:
    case ftTime:
    case ftDateTime: return TkvDateTimeValueTypeClass();
    case ftWideString: return TkvWideStringValueTypeClass();
    case ftLargeint: return TkvLargeIntValueTypeClass();
    case ftFMTBcd: return TkvFMTBcdValueTypeClass();
    default: return TkvVariantValueTypeClass();
  }
}

bool IsCurrencyField(const TField* field) {
  if (auto f = dynamic_cast<const TFloatField*>(field))
    return f->Currency() && f->DisplayFormat().empty() && f->EditFormat().empty();
  if (auto f = dynamic_cast<const TBCDField*>(field))
    return f->Currency() && f->DisplayFormat().empty() && f->EditFormat().empty();
  return false;
}

namespace {

// Whether a dataset field's text must be kept beside its value (a default answer for
// the kinds that decide nothing themselves).
bool FieldStoresText(const TField* d, bool defaultAnswer) {
  if (!d || d->OnGetText || !d->EditMask().empty()) return true;
  switch (d->DataType()) {
    case ftBytes: case ftVarBytes: case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo:
    case ftParadoxOle: case ftDBaseOle: case ftTypedBinary: case ftCursor: case ftADT: case ftArray:
    case ftReference: case ftDataSet: return defaultAnswer;
    default: break;
  }
  if (dynamic_cast<const TBooleanField*>(d)) return defaultAnswer;
  if (auto n = dynamic_cast<const TNumericField*>(d)) {
    if (!n->DisplayFormat().empty() || !n->EditFormat().empty()) return true;
    if (auto f = dynamic_cast<const TFloatField*>(d)) return f->Currency();
    if (auto b = dynamic_cast<const TBCDField*>(d)) return b->Currency();
    return false;
  }
  if (auto t = dynamic_cast<const TDateTimeField*>(d)) return !t->DisplayFormat().empty();
  if (auto a = dynamic_cast<const TAggregateField*>(d)) return !a->DisplayFormat().empty() || a->Currency();
  return false;
}

}  // namespace

// --- TkvDbField ------------------------------------------------------------------------------

TkvDbField::TkvDbField(TkvCustomDataFieldList* list) : FFieldList(list) {}

TkvDbField::~TkvDbField() { FreeValueDef(); }

TkvCustomDbDataController* TkvDbField::Controller() const { return FFieldList->Controller(); }

void TkvDbField::TakeValueDef(TkvDbField& source) {
  FreeValueDef();
  FValueDef = source.FValueDef;
  FValueType = source.FValueType;
  if (FValueDef) FValueDef->SetLink(this);
  source.FValueDef = nullptr;
  source.FValueType = nullptr;
}

void TkvDbField::FreeValueDef() {
  if (!FValueDef) return;
  TkvValueDef* def = FValueDef;
  FValueDef = nullptr;
  Controller()->Storage().ValueDefs().Remove(def);
}

void TkvDbField::SetDataField(TField* field) {
  FDataField = field;
  TkvCustomDbDataController* c = Controller();
  const TkvValueTypeClass type = ValueTypeForField(field);
  const bool currency = IsCurrencyField(field);
  bool stores;
  if (c->IsCalculatedField(this)) stores = true;
  else if (FColumn && FColumn->NeedCustomDisplayText()) stores = true;
  else stores = FieldStoresText(field, !FInternal);
  if (FValueDef && type == FValueType && currency == FCurrency && stores == FStoresText) return;
  FValueType = type;
  FCurrency = currency;
  FStoresText = stores;
  RemakeValueDef();
}

void TkvDbField::RemakeValueDef() {
  FreeValueDef();
  TkvCustomDbDataController* c = Controller();
  FValueDef = c->Storage().ValueDefs().Add(FValueType, true, FStoresText, this);
  FValueDef->OnGetText = [this](TkvValueDef*, int recordIndex, AnsiString& text) {
    if (!FColumn) {
      text.clear();
      return;
    }
    TkvCustomDbDataController* c = Controller();
    // The column reads the record's other values through the controller's reader.
    TkvReaderPlacement placed(*c->FDisplayTextReader, recordIndex);
    // Mended: the column starts from the stored text (the field's display text: its
    // DisplayFormat, currency, edit mask, OnGetText), not from the value's plain text.
    text = FColumn->GetDisplayText(recordIndex, text);
  };
}

TkvSummary* TkvDbField::GetSummary(TkvSummaryKind kind) {
  TkvCustomDbDataControllerInfo& info = Controller()->Info();
  if (kind == skNone) {
    for (TkvSummary*& s : FSummaries)
      if (s) {
        TkvSummary* gone = s;
        s = nullptr;
        info.RemoveSummary(gone);
      }
    FSummariesActive = false;
    return nullptr;
  }
  TkvSummary*& slot = FSummaries[kind - 1];
  if (!slot) slot = info.AddSummary(this, kind);
  FSummariesActive = true;
  return slot;
}

void TkvDbField::SummaryRemoved(TkvSummary* s) {
  for (TkvSummary*& slot : FSummaries)
    if (slot == s) slot = nullptr;
}

// --- TkvCustomDataFieldList --------------------------------------------------------------------

TkvCustomDataFieldList::~TkvCustomDataFieldList() { FItems.clear(); }

TkvDbField* TkvCustomDataFieldList::Add(std::unique_ptr<TkvDbField> field) {
  TkvDbField* f = field.get();
  if (f->Internal()) {
    FItems.push_back(std::move(field));
  } else {
    auto at = std::find_if(FItems.begin(), FItems.end(), [](const auto& x) { return x->Internal(); });
    FItems.insert(at, std::move(field));
  }
  Renumber();
  return f;
}

void TkvCustomDataFieldList::Remove(TkvDbField* field) {
  auto it = std::find_if(FItems.begin(), FItems.end(), [&](const auto& x) { return x.get() == field; });
  if (it == FItems.end()) return;
  FController->FieldRemoved(field);
  std::unique_ptr<TkvDbField> gone = std::move(*it);
  FItems.erase(it);
  Renumber();
  gone.reset();
}

void TkvCustomDataFieldList::Clear() {
  while (!FItems.empty()) Remove(FItems.back().get());
}

TkvDbField* TkvCustomDataFieldList::ItemByField(const TField* field) const {
  for (const auto& f : FItems)
    if (f->DataField() == field) return f.get();
  return nullptr;
}

TkvDbField* TkvCustomDataFieldList::ItemByLink(const TObject* link) const {
  for (const auto& f : FItems)
    if (f->Link() == link) return f.get();
  return nullptr;
}

void TkvCustomDataFieldList::Renumber() {
  FInternalCount = 0;
  for (size_t i = 0; i < FItems.size(); ++i) {
    FItems[i]->FIndex = static_cast<int>(i);
    if (FItems[i]->Internal()) ++FInternalCount;
  }
}

// --- TkvCustomDbDataController: life ---------------------------------------------------------

TkvCustomDbDataController::TkvCustomDbDataController(TComponent* owner) : TComponent(owner) {
  // The provider, calculator, filter and search come from the class functions, which a
  // descendant overrides: each is made on first use, once the descendant exists.
  FExpressions = std::make_unique<TkvDbExpressions>(this);
  FInfo = std::make_unique<TkvCustomDbDataControllerInfo>(this);
  FStorage = std::make_unique<TkvDataStorage>();
  FFields = std::make_unique<TkvCustomDataFieldList>(this);
  FDisplayTextReader = std::make_shared<TkvDbDataControllerDisplayTextReader>(this);
  // Internal records survive every reload; should they ever be cleared, the indexes
  // that name them are forgotten with them.
  FStorage->OnClearInternalRecords = [this](TObject*) {
    FEditRecordIndex = 0;
    if (FProvider) FProvider->EditRecord = kvNoRecord;
  };
}

TkvCustomDbDataController::~TkvCustomDbDataController() {
  FDestroyingController = true;
  OnChanged = nullptr;
  OnFocusedRecordChanged = nullptr;
  if (FProvider) FProvider->DataLink().SetDataSource(nullptr);
  FKeyField = nullptr;
  FExpressions->Clear();
  FSearch.reset();
  FCalculator.reset();
  // Last to first, each out of the list before it goes (it would remove itself).
  while (!FFilters.empty()) {
    const std::unique_ptr<TkvDataFilterCriteria> last = std::move(FFilters.back());
    FFilters.pop_back();
  }
  FFilter.reset();
  FInfo->ClearSummaries();
  FFields->Clear();
  FFields.reset();
  FStorage.reset();
  FInfo.reset();
  FProvider.reset();
  FExpressions.reset();
  FDisplayTextReader->Detach();
}

TkvDbDataProvider& TkvCustomDbDataController::Provider() {
  if (!FProvider) FProvider = GetProviderClass()(this);
  return *FProvider;
}

TkvExpressionCalculator& TkvCustomDbDataController::GetCalculator() {
  if (!FCalculator) FCalculator = GetCalculatorClass()(this);
  return *FCalculator;
}

TkvDBDataFilterCriteria& TkvCustomDbDataController::Filter() {
  if (!FFilter) FFilter = GetFilterClass()(this);
  return *FFilter;
}

TkvDataControllerSearch& TkvCustomDbDataController::Search() {
  if (!FSearch) FSearch = GetSearchClass()(this);
  return *FSearch;
}

TDataSet* TkvCustomDbDataController::DataSet() const { return FProvider ? FProvider->DataSet() : nullptr; }

TkvCustomDbDataController::TkvProviderClass TkvCustomDbDataController::GetProviderClass() {
  return &kvMake<TkvDbDataProvider, TkvDbDataProvider>;
}
TkvCustomDbDataController::TkvCalculatorClass TkvCustomDbDataController::GetCalculatorClass() {
  return [](TkvCustomDbDataController*) { return std::make_unique<TkvExpressionCalculator>(); };
}
TkvCustomDbDataController::TkvFilterClass TkvCustomDbDataController::GetFilterClass() {
  return &kvMake<TkvDBDataFilterCriteria, TkvDBDataFilterCriteria>;
}
TkvCustomDbDataController::TkvSearchClass TkvCustomDbDataController::GetSearchClass() {
  return &kvMake<TkvDataControllerSearch, TkvDataControllerSearch>;
}
TkvCustomDbDataController::TkvReaderClass TkvCustomDbDataController::GetReaderClass() {
  return &kvMake<TkvValueDefDBReader, TkvValueDefDBReader>;
}

// --- field items ----------------------------------------------------------------------------

TkvDbField* TkvCustomDbDataController::CreateInternalField() {
  std::unique_ptr<TkvDbField> f = CreateField();
  f->FInternal = true;
  TkvDbField* p = FFields->Add(std::move(f));
  p->SetDataField(nullptr);
  return p;
}

TkvDbField* TkvCustomDbDataController::AddField(IkwColumn* column, const AnsiString& fieldName) {
  std::unique_ptr<TkvDbField> f = CreateField();
  f->SetColumn(column);
  f->SetFieldName(fieldName);
  TkvDbField* p = FFields->Add(std::move(f));
  TDataSet* ds = DataSet();
  p->SetDataField(ds && !FReloadLock ? ds->FindField(fieldName) : nullptr);
  return p;
}

TkvDbField* TkvCustomDbDataController::Field(int index) const {
  CheckFieldIndex(index);
  return FFields->Items(index);
}

void TkvCustomDbDataController::RemoveFieldItem(TObject* fieldOrLink) {
  TkvDbField* f = nullptr;
  for (int i = 0; i < FFields->Count(); ++i)
    if (FFields->Items(i) == fieldOrLink) f = FFields->Items(i);
  if (!f) f = FFields->ItemByLink(fieldOrLink);
  if (!f) return;
  FInfo->Lock();
  TkvFinally unlock([this] { FInfo->Unlock(); });
  FFields->Remove(f);
}

void TkvCustomDbDataController::FieldRemoved(TkvDbField* field) {
  if (FDestroyingController) return;
  const int at = FInfo->SortingFields().IndexOf(field);
  if (at >= 0) FInfo->SortingFields().Delete(at);
  FInfo->RemoveSummaries(field);
  for (auto& c : FFilters) c->RemoveField(field);
  Filter().RemoveField(field);
  Search().FieldRemoved(field);
  FExpressions->FieldRemoved(field);
  if (FKeyField == field) FKeyField = nullptr;
  FInfo->DataChangedRequest();
}

void TkvCustomDbDataController::CheckFieldIndex(int fieldIndex) const {
  if (fieldIndex < 0 || fieldIndex >= FFields->Count()) RaiseItemIndexError();
}

void TkvCustomDbDataController::CheckRecordIndex(int recordIndex) {
  GetEditRecordIndex();
  if (recordIndex >= 0 && recordIndex < GetRecordCount()) return;
  if (recordIndex == FEditRecordIndex || (recordIndex < 0 && recordIndex == Provider().EditRecord)) return;
  RaiseRecordIndexError();
}

// --- records ----------------------------------------------------------------------------------

int TkvCustomDbDataController::GetRecordCount() const { return FStorage->RecordCount(); }

void TkvCustomDbDataController::SetRecordCount(int count) {
  if (count < 0) count = 0;
  const int old = GetRecordCount();
  if (count == old) return;
  FStorage->SetRecordCount(count);
  DataChanged(count > old ? 2 : 3, -1, -1);
}

void TkvCustomDbDataController::InsertRecord(int at) {
  if (at < 0 || at > GetRecordCount()) RaiseRecordIndexError();
  FStorage->InsertRecord(at);
  if (FRecordIndexObserver) FRecordIndexObserver->RecordInsertedAt(at);
  DataChanged(2, at, -1);
}

int TkvCustomDbDataController::AppendRecord() {
  const int r = FStorage->AppendRecord();
  DataChanged(2, r, -1);
  return r;
}

void TkvCustomDbDataController::DeleteRecord(int recordIndex) {
  CheckRecordIndex(recordIndex);
  if (Provider().InsertingRecord == recordIndex) Provider().InsertingRecord = kvNoRecord;
  FStorage->DeleteRecord(recordIndex);
  if (FRecordIndexObserver) FRecordIndexObserver->RecordDeletedAt(recordIndex);
  RecordRemoved(recordIndex);
  if (FEditRecordIndex == recordIndex) FEditRecordIndex = 0;
  Provider().NotifyDataChanged(3, recordIndex, -1);
}

int TkvCustomDbDataController::GetEditRecordIndex() {
  if (FEditRecordIndex == 0) FEditRecordIndex = FStorage->AppendInternalRecord();
  return FEditRecordIndex;
}

void TkvCustomDbDataController::GetFieldValue(int recordIndex, TkvDbField* field, Variant& v) {
  if (!field) {
    v = Variant::Null();
    return;
  }
  if (IkwColumn* col = field->Column(); col && col->HasValueExpression()) {
    // A failing formula reads Null: the value feeds sorting, filtering and totals, which
    // must not stop half done. Mended: a formula that came back to its own column read
    // Null for it and went on, so the formulas on the cycle gave numbers that depended
    // on where the evaluation began (the cell one, the controller another). The cycle
    // now fails every formula it passes through; the outermost read gives Null.
    try {
      v = EvaluateColumnFormula(recordIndex, field);
    } catch (const EkvFormulaCycle&) {
      if (FFormulaNesting > 0) throw;
      v = Variant::Null();
    } catch (const Exception&) {
      v = Variant::Null();
    }
    return;
  }
  if (!field->ValueDef()) {
    v = Variant::Null();
    return;
  }
  FStorage->GetValue(recordIndex, field->ValueDef(), v);
}

Variant TkvCustomDbDataController::EvaluateColumnFormula(int recordIndex, TkvDbField* field) {
  IkwColumn* col = field ? field->Column() : nullptr;
  if (!col || !col->HasValueExpression()) return Variant::Null();
  if (field->FEvaluating) {
    const AnsiString name = col->NameInMessages();
    RaiseFormulaCycle(name.empty() ? field->FieldName() : name);
  }
  TkvFlagScope mark(field->FEvaluating);
  ++FFormulaNesting;
  TkvFinally unnest([this] { --FFormulaNesting; });
  return col->EvaluateValueExpression(recordIndex);
}

void TkvCustomDbDataController::GetValueByIndex(int recordIndex, int fieldIndex, Variant& v) {
  CheckRecordIndex(recordIndex);
  CheckFieldIndex(fieldIndex);
  GetFieldValue(recordIndex, FFields->Items(fieldIndex), v);
}

void TkvCustomDbDataController::GetRowValue(int rowIndex, TkvDbField* field, Variant& v) {
  const int r = FInfo->GetRowRecord(rowIndex);
  if (!field || !field->ValueDef()) {
    v = Variant::Null();
    return;
  }
  FStorage->GetValue(r, field->ValueDef(), v);
}

void TkvCustomDbDataController::SetStoredValue(int recordIndex, int fieldIndex, const Variant& v) {
  TkvDbField* f = FFields->Items(fieldIndex);
  if (f->ValueDef()) FStorage->SetValue(recordIndex, f->ValueDef(), v);
}

void TkvCustomDbDataController::SetValue(int recordIndex, int fieldIndex, const Variant& v) {
  CheckRecordIndex(recordIndex);
  CheckFieldIndex(fieldIndex);
  TkvDbField* f = FFields->Items(fieldIndex);
  if (!f->ValueDef()) return;
  FStorage->SetValue(recordIndex, f->ValueDef(), v);
  DataChanged(0, fieldIndex, recordIndex);
}

void TkvCustomDbDataController::GetStoredDisplayText(int recordIndex, TkvDbField* field, AnsiString& text) {
  if (!field || !field->ValueDef()) {
    text.clear();
    return;
  }
  FStorage->GetDisplayText(recordIndex, field->ValueDef(), text);
}

void TkvCustomDbDataController::GetDisplayText(int recordIndex, int fieldIndex, AnsiString& text) {
  CheckRecordIndex(recordIndex);
  CheckFieldIndex(fieldIndex);
  GetStoredDisplayText(recordIndex, FFields->Items(fieldIndex), text);
}

void TkvCustomDbDataController::GetKeyValue(int recordIndex, Variant& v) { GetFieldValue(recordIndex, FKeyField, v); }

void TkvCustomDbDataController::GetCompareValue(int recordIndex, TkvDbField* field, Variant& v) {
  if (field->CompareMode() == 2) {
    AnsiString t;
    GetDisplayText(recordIndex, field->Index(), t);
    v = Variant(t);
  } else {
    GetValue(recordIndex, field, v);
  }
}

void TkvCustomDbDataController::ReadRecord(int sourceRecord, int recordIndex) {
  TkvValueDefRecordReader reader(this, sourceRecord);
  FStorage->ReadRecord(recordIndex, reader);
  if (recordIndex >= 0) DataChanged(1, -1, -1);
}

// One notice carries the new values and the totals that follow from them.
void TkvCustomDbDataController::ReloadRecord(int recordIndex) {
  TUpdateScope update(this);
  TkvValueDefRecordReader reader(this, recordIndex);
  FStorage->ReadRecord(recordIndex, reader);
  RecordLoaded(recordIndex);
  Changed(dcmEditValues);
  RequestUpdate(false);
}

// --- comparing -----------------------------------------------------------------------------------

const TkvColumnCopy* TkvCustomDbDataController::ColumnCopy(TkvDbField* field, bool sortKeys) {
  if (!field || !field->ValueDef()) return nullptr;
  if (field->Column() && field->Column()->HasValueExpression()) return nullptr;
  if (!field->FCopy.Refresh(*FStorage, field->ValueDef())) return nullptr;
  if (sortKeys) field->FCopy.MakeSortKeys();
  return &field->FCopy;
}

bool TkvCustomDbDataController::SearchTextIsStoredText(TkvDbField* field) {
  return field && !field->Column() && !field->StoresText() && field->ValueType() == TkvStringValueTypeClass();
}

bool TkvCustomDbDataController::CompareAsStrings(TkvDbField* field) {
  return (FOptions & (dcoLocaleCompare | dcoCaseInsensitive)) && field->ValueType() && field->ValueType()->IsString();
}

bool TkvCustomDbDataController::CompareByDisplayText(TkvDbField* field) {
  if (FReloadLock || field->Internal()) return false;
  return NeedsCustomSort(field->Index(), (FOptions & dcoSortByDisplayText) != 0);
}

bool TkvCustomDbDataController::CompareByValues(TkvDbField* field) {
  if (field->CompareMode() != 0) return field->CompareMode() >= 1;
  return field->NeedsValueCompare() || CompareAsStrings(field) || CompareByDisplayText(field) ||
         (field->Column() && field->Column()->HasValueExpression());
}

bool TkvCustomDbDataController::IsFieldSortable(int fieldIndex) {
  if (NeedsCustomSort(fieldIndex, true)) return true;
  TkvDbField* f = Field(fieldIndex);
  return (FOptions & dcoLocaleCompare) && f->ValueType() && f->ValueType()->IsString();
}

int TkvCustomDbDataController::CompareRecordValues(int r1, int r2, TkvDbField* field) {
  const bool event = OnCompare && !field->Internal();
  if (!event && !CompareByValues(field)) {
    // The typed comparison of the stored values, in CompareVariants' order.
    if (!field->ValueDef()) return 0;
    if (r1 >= 0 && r2 >= 0)
      return CompareStoredValues(field->ValueDef(), RawCompareFor(field->ValueType()), FStorage->RecordAt(r1),
                                 FStorage->RecordAt(r2));
    Variant a, b;
    FStorage->GetValue(r1, field->ValueDef(), a);
    FStorage->GetValue(r2, field->ValueDef(), b);
    return CompareVariants(a, b);
  }
  Variant a, b;
  GetCompareValue(r1, field, a);
  GetCompareValue(r2, field, b);
  if (event) {
    int result = 0;
    OnCompare(this, r1, r2, field->Index(), a, b, result);
    return result;
  }
  const bool sa = a.VType() == varString || a.VType() == varOleStr;
  const bool sb = b.VType() == varString || b.VType() == varOleStr;
  if (sa && sb) {
    const AnsiString x = a.AsString(), y = b.AsString();
    const bool locale = FOptions & dcoLocaleCompare, nocase = FOptions & dcoCaseInsensitive;
    int c;
    if (locale && nocase) c = AnsiCompareText(x, y);
    else if (locale) c = AnsiCompareStr(x, y);
    else if (nocase) c = CompareStr(AnsiUpperCase(x), AnsiUpperCase(y));
    else return CompareVariants(a, b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return CompareVariants(a, b);
}

int TkvCustomDbDataController::CompareBySortItem(int r1, int r2, const TkvSortingEntry& item) {
  const int c = CompareRecordValues(r1, r2, item.Field);
  return item.Direction == 2 ? -c : c;
}

// --- rows and focus -----------------------------------------------------------------------------

int TkvCustomDbDataController::RowCount() const { return FInfo->RowCount(); }
int TkvCustomDbDataController::GetRowRecordIndex(int row) const { return FInfo->GetRowRecord(row); }
int TkvCustomDbDataController::GetRecordRowIndex(int record) const { return FInfo->IndexOfRecord(record); }
int TkvCustomDbDataController::FocusedRowIndex() const { return FInfo->FocusedRow(); }
int TkvCustomDbDataController::FocusedRecordIndex() const { return FInfo->FocusedRecord(); }

int TkvCustomDbDataController::GetFocusedRowRecord() {
  const int row = FInfo->FocusedRow();
  return row < 0 || row >= FInfo->RowCount() ? kvNoRecord : FInfo->GetRowRecord(row);
}

void TkvCustomDbDataController::FocusRowIndex(int row) {
  if (row != -1 && (row < 0 || row >= RowCount())) RaiseRowIndexError();
  FInfo->FocusRow(row);
}

void TkvCustomDbDataController::FocusRecordIndex(int record) {
  CheckRecordIndex(record);
  FInfo->FocusRow(FInfo->IndexOfRecord(record));
}

bool TkvCustomDbDataController::IsLastRow() const {
  return RowCount() == 0 || FocusedRowIndex() == RowCount() - 1;
}

int TkvCustomDbDataController::GetCurrentRecordIndex() {
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return FInfo->FocusedRecord();
  return Provider().GetCurrentRecord();
}

bool TkvCustomDbDataController::FocusRecord(int recordIndex) {
  if (recordIndex < 0) return false;
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return true;
  if (HasKeyField()) {
    Post();
    Variant key, current;
    GetKeyValue(recordIndex, key);
    if (TField* kf = FKeyField->DataField()) current = DataFieldValue(kf);
    if (VariantsEqual(key, current) && recordIndex == Provider().CurrentRecord) return true;
    if (!FKeyField->DataField()) return false;
    const bool found = ds->Locate(FKeyField->FieldName(), key, 0);
    if (found) Provider().CurrentRecord = recordIndex;
    return found;
  }
  Post();
  // An insert that is still under way (its post was refused or is running) stays where
  // it is: the dataset is on the inserting record and nowhere else.
  if (Provider().IsInserting()) return recordIndex == Provider().InsertingRecord;
  return Provider().SetRecNoTracked(recordIndex + 1);
}

bool TkvCustomDbDataController::FocusRow(int rowIndex) { return FocusRecord(FInfo->GetRowRecord(rowIndex)); }

// --- sorting --------------------------------------------------------------------------------------

void TkvCustomDbDataController::ChangeSorting(TkvDbField* field, uint8_t direction) {
  if (FInfo->SortingFields().GetDirection(field) == direction) return;
  EndEdit();
  FSortChanged = true;
  FInfo->Lock();
  TkvFinally unlock([this] { FInfo->Unlock(); });
  FInfo->SortingFields().SetDirection(field, direction);
}

void TkvCustomDbDataController::ClearSorting() {
  if (FInfo->SortingFields().Count() == 0) return;
  EndEdit();
  FSortChanged = true;
  FInfo->Lock();
  TkvFinally unlock([this] { FInfo->Unlock(); });
  FInfo->SortingFields().Clear();
}

// --- options and notices ------------------------------------------------------------------------

void TkvCustomDbDataController::SetOptions(TkvDataControllerOptions v) {
  if (v == FOptions) return;
  FOptions = v;
  FInfo->DataChangedRequest();
}

void TkvCustomDbDataController::BeginUpdate() {
  if (FUpdateCount++ == 0) FInfo->Lock();
}

void TkvCustomDbDataController::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) FInfo->Unlock();
}

void TkvCustomDbDataController::Changed(uint16_t mask) {
  FChangeMask |= mask;
  DeliverChanges();
}

void TkvCustomDbDataController::DeliverChanges() {
  if (FUpdateCount > 0 || FInfo->Locked() || FDelivering) return;
  TkvFlagScope delivering(FDelivering);
  // A reload put off while the rows were locked runs as soon as they are free, notice
  // or not.
  if (FReloadDeferred) RunDeferredReload();
  if (FChangeMask == 0) return;
  const uint16_t mask = FChangeMask;
  FChangeMask = 0;
  if (mask && OnChanged) OnChanged(this, mask);
}

void TkvCustomDbDataController::RequestUpdate(bool rowsChanged) {
  FInfo->AddFlags(rowsChanged ? kvifRowsChanged : kvifSummaries);
  FInfo->ApplyIfNeeded();
}

void TkvCustomDbDataController::UpdateNow() { FInfo->ApplyIfNeeded(); }

void TkvCustomDbDataController::DataChanged(int kind, int param1, int param2) {
  if (kind == 4) {
    Reload(false);
    return;
  }
  if (kind == 2 || kind == 3) FInfo->RowsChangedKeepFocusRequest();
  FInfo->DataChangedRequest();
}

void TkvCustomDbDataController::Refilter() {
  FRefilterPending = true;
  CancelEditAndRefocus();
  FInfo->DataChangedRequest();
}

bool TkvCustomDbDataController::DoFilterRecord(int recordIndex) {
  bool accept = true;
  if (OnFilterRecord) OnFilterRecord(this, recordIndex, accept);
  return accept;
}

// --- dataset ---------------------------------------------------------------------------------------

void TkvCustomDbDataController::SetDataSource(TDataSource* source) { Provider().DataLink().SetDataSource(source); }


void TkvCustomDbDataController::Append() {
  if (Provider().CanModify()) Provider().Append();
}

void TkvCustomDbDataController::Post() {
  if (FPosting) return;
  TkvFlagScope posting(FPosting);
  TDataSet* ds = DataSet();
  if (!ds || (ds->State() != dsEdit && ds->State() != dsInsert)) return;
  ds->UpdateRecord();
  if (ds->Modified()) {
    TkvControlsScope controls(ds, !HasKeyField());
    ds->Post();
  } else {
    CancelEditAndRefocus();
  }
}

void TkvCustomDbDataController::CancelEditAndRefocus() {
  if (FFocusLock) return;
  TkvFlagScope lock(FFocusLock);
  int row = FocusedRowIndex();
  if (Provider().IsEditing()) Provider().CancelEdit();
  row = std::min(row, RowCount() - 1);
  if (!FInfo->MovingFocus()) FInfo->FocusRow(row);
}

// The rebuild after the ended edit may hide the edited row: that asks for a new focus.
// Without an edit nothing is ended and nothing is asked for; a request left standing
// would pull the dataset to row 0 at some later, unrelated rebuild (a program's edit of
// the record it moved to).
void TkvCustomDbDataController::EndEdit() {
  TDataSet* ds = DataSet();
  if (!ds || !Provider().IsEditing()) return;
  FRefilterPending = true;
  ds->CheckBrowseMode();
}

void TkvCustomDbDataController::Delete() {
  if (FocusedRowIndex() < 0) return;
  if (!Provider().CanDelete()) return;
  Provider().RememberDeleteNeighbour();
  if (FPendingFocusRecord >= 0 && FocusedRecordIndex() <= FPendingFocusRecord) --FPendingFocusRecord;
  TkvFinally reset([this] { FPendingFocusRecord = -1; });
  Provider().Delete();
  Provider().AfterDelete();
}

uint8_t TkvCustomDbDataController::GetEditState() {
  uint8_t s = 0;
  if (Provider().IsInserting()) s |= desInserting;
  if (Provider().IsEditing()) s |= desEditing;
  if (s) {
    if (Provider().IsModified()) s |= desProviderModified;
    if (Provider().IsDataSetModified()) s |= desDataSetModified;
  }
  return s;
}

void TkvCustomDbDataController::SuspendDataSetEvents() {
  ++Provider().ChangeNesting;
  Provider().MovingBy = true;
}

void TkvCustomDbDataController::ResumeDataSetEvents() {
  if (Provider().ChangeNesting > 0) --Provider().ChangeNesting;
  Provider().MovingBy = false;
}

void TkvCustomDbDataController::UpdateFields() {
  TDataSet* ds = DataSet();
  for (int i = 0; i < FFields->Count(); ++i) {
    TkvDbField* f = FFields->Items(i);
    if (f->Internal() && !f->DataField()) continue;
    f->SetDataField(ds && !FReloadLock ? ds->FindField(f->FieldName()) : nullptr);
  }
  // The formulas after the fields: their items are made over the fields as bound now.
  FExpressions->BindAll();
  GetCalculator().SetDataSet(ds);
  if (ds && ds->Active()) GetCalculator().RebindAll();
}

void TkvCustomDbDataController::ActiveChanged(bool active) {
  FActive = active;
  GetCalculator().SetDataSet(DataSet());
  ReloadGuarded(false);
}

void TkvCustomDbDataController::ReloadGuarded(bool force) {
  if (FInReload) return;
  TkvFlagScope inReload(FInReload);
  if (FInfo->Locked()) {
    UpdateFields();
    FReloadDeferred = true;
    return;
  }
  Reload(force);
}

void TkvCustomDbDataController::RunDeferredReload() {
  FReloadDeferred = false;
  Reload(false);
}

void TkvCustomDbDataController::Reload(bool force) {
  // A modified pending edit is never thrown away: the reload waits for browse mode.
  TDataSet* ds = DataSet();
  if (ds && ds->Active() && Provider().IsEditing() && ds->Modified()) {
    FReloadPending = true;
    return;
  }
  FInfo->Lock();
  TkvFinally unlock([this] {
    FInfo->DataChangedRequest();
    FInfo->Unlock();
  });
  if (force || Provider().HasFields()) {
    if (FLoading) {
      FReloadPending = true;
      return;
    }
    UpdateFields();
  }
  FReloadDeferred = false;
  FReloadPending = false;
  ReloadBody();
}

void TkvCustomDbDataController::ReloadBody() {
  TUpdateScope update(this);
  // Mended: the load renumbers every record; whoever keeps record indexes (the marks)
  // finds its records again by the loaded records, or loses them, and is never left on
  // the old numbers.
  IkvRecordIndexObserver* observer = FRecordIndexObserver;
  if (observer) observer->RecordsReloading();
  TkvFinally reloaded([observer] {
    if (observer) observer->RecordsReloaded();
  });
  // Internal records (edit buffer, locate records) are kept: their indexes stay valid.
  FStorage->Clear(true);
  if (Provider().InsertingRecord >= 0) Provider().ResetMarkers();
  if (Provider().CanLoad()) LoadRecords();
  Refresh();
  Changed(dcmData);
  Provider().EditWasPending = false;
}

void TkvCustomDbDataController::LoadRecords() {
  TDataSet* ds = DataSet();
  Provider().BeginDataSetChange();
  TkvFinally endChange([this] { Provider().EndDataSetChange(); });
  Provider().SavePosition();
  // The provider follows where the dataset really ends up, also when the saved record
  // is gone.
  TkvFinally restore([this, ds] {
    Provider().RestorePosition();
    if (!HasKeyField() && ds->RecNo() > 0) Provider().CurrentRecord = ds->RecNo() - 1;
  });
  // A load replaces the records under an edit: only an unmodified one gets here
  // (Reload puts itself off for a modified one), and it is dropped.
  if (Provider().IsEditing()) ds->Cancel();
  ds->First();
  Provider().CurrentRecord = 0;
  FStorage->BeginLoad();
  const std::unique_ptr<TkvValueDefDBReader> made = GetReaderClass()(this);
  TkvValueDefDBReader& reader = *made;
  BeforeLoadRecords(reader);
  // Record rules write into the dataset: only where it may be modified.
  const bool rules = GetCalculator().HasRecordRules() && ds->CanModify();
  // The typed copies are made on the way, while each record is at hand.
  std::vector<TkvDbField*> copied;
  for (int i = 0; i < FFields->Count(); ++i) {
    TkvDbField* f = FFields->Items(i);
    if (f->ValueDef() && TkvColumnCopy::Holds(f->ValueType())) {
      f->FCopy.Begin(f->ValueDef(), ds->RecordCount());
      copied.push_back(f);
    }
  }
  while (!ds->Eof()) {
    if (rules) {
      ds->Edit();
      GetCalculator().EvaluateRecordRules();
    }
    const int r = FStorage->AppendRecord();
    FStorage->ReadRecord(r, reader);
    const TkvRecord* rec = FStorage->RecordAt(r);
    for (TkvDbField* f : copied) f->FCopy.Append(rec);
    RecordLoaded(r);
    if (FRecordIndexObserver) FRecordIndexObserver->RecordReloaded(r, *ds);
    ds->Next();
  }
  for (TkvDbField* f : copied) f->FCopy.End(FStorage->Stamp());
  for (int i = 0; i < FFields->Count(); ++i)
    if (TkvValueDef* d = FFields->Items(i)->ValueDef()) d->InvalidateTexts();
  AfterLoadRecords();
  FStorage->EndLoad();
  Provider().LoadedInActiveChanged = Provider().ActiveChanging;
}

TBookmark TkvCustomDbDataController::RecordBookmark(int recordIndex) {
  TDataSet* ds = DataSet();
  if (recordIndex < 0 || !ds || !ds->Active() || Provider().IsInserting()) return TBookmark();
  if (Provider().GetCurrentRecord() != recordIndex) return TBookmark();
  if (!HasKeyField()) {
    // Storage record r is the dataset's record r + 1 while the storage is in step with
    // the dataset: not while a reload is still to come.
    if (FReloadDeferred || FReloadPending || ds->RecNo() != recordIndex + 1) return TBookmark();
    return ds->Bookmark();
  }
  // In key mode the dataset is on the record when it has the record's key.
  TField* kf = FKeyField->DataField();
  Variant key;
  GetKeyValue(recordIndex, key);
  if (!kf || !VariantsEqual(key, DataFieldValue(kf))) return TBookmark();
  return ds->Bookmark();
}

std::vector<TBookmark> TkvCustomDbDataController::RecordBookmarks(const std::vector<int>& records) {
  std::vector<TBookmark> result;
  result.reserve(records.size());
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active() || HasKeyField() || Provider().IsEditing() || FReloadDeferred || FReloadPending ||
      ds->RecordCount() != GetRecordCount()) {
    for (const int r : records) result.push_back(RecordBookmark(r));
    return result;
  }
  // Left in this order: the position back, controls enabled (their change notice
  // ignored while suspended), then the provider's handling resumed.
  SuspendDataSetEvents();
  TkvFinally resume([this] { ResumeDataSetEvents(); });
  TkvControlsScope controls(ds);
  Provider().SavePosition();
  TkvFinally restore([this] { Provider().RestorePosition(); });
  for (const int r : records) {
    if (r < 0 || r >= ds->RecordCount()) {
      result.emplace_back();
      continue;
    }
    ds->SetRecNo(r + 1);
    result.push_back(ds->RecNo() == r + 1 ? ds->Bookmark() : TBookmark());
  }
  return result;
}

void TkvCustomDbDataController::RecordLoaded(int recordIndex) {
  if (HasKeyField()) return;
  TDataSet* ds = DataSet();
  if (!ds || Provider().SavePos.Bookmark.empty()) return;
  if (ds->Bookmark() == Provider().SavePos.Bookmark) Provider().CurrentRecord = recordIndex;
}

void TkvCustomDbDataController::Refresh() {
  FInfo->Lock();
  TkvFinally unlock([this] { FInfo->Unlock(); });
  if (!(Provider().ChangeNesting > 0 && FInfo->InFocusChange())) FInfo->FocusRefreshRequest();
  if (HasKeyField()) {
    const int r = LocateCurrentKey();
    if (r >= 0 && r != Provider().CurrentRecord) {
      Provider().CurrentRecord = r;
      FInfo->FocusRefreshRequest();
    }
  }
}

void TkvCustomDbDataController::RecordRemoved(int recordIndex) {
  if (recordIndex < 0) return;
  CheckInsertMarkers(recordIndex);
  if (Provider().EditRecord == recordIndex) Provider().EditRecord = kvNoRecord;
  if (Provider().DeletedRecordMark == recordIndex) Provider().DeletedRecordMark = -1;
}

void TkvCustomDbDataController::CheckInsertMarkers(int recordIndex) {
  const int ins = Provider().InsertingRecord;
  if (ins == kvNoRecord) return;
  if ((recordIndex >= 0 && recordIndex <= ins) || GetRecordCount() <= ins) Provider().ResetMarkers();
}

// --- key mode and filters ------------------------------------------------------------------------

bool TkvCustomDbDataController::UsesKeyLocate() { return Provider().IsKeyMode(); }

int TkvCustomDbDataController::LocateCurrentKey() {
  if (!FKeyField || !FKeyField->DataField()) return -1;
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active() || ds->IsEmpty()) return -1;
  return LocateByKey(DataFieldValue(FKeyField->DataField()));
}

int TkvCustomDbDataController::LocateByKey(const Variant& values) {
  if (!FKeyField) return -1;
  return LocateByFields({FKeyField}, values);
}

int TkvCustomDbDataController::LocateByFields(const std::vector<TkvDbField*>& fields, const Variant& values) {
  TkvDataControllerKeyLocateObject locate(this);
  for (TkvDbField* f : fields) {
    if (!f || !f->ValueDef()) return -1;
    locate.Fields.push_back(f);
  }
  if (!locate.SetKeyValues(values)) return -1;
  return locate.Locate();
}

TkvDataFilterCriteria* TkvCustomDbDataController::AddFilter() {
  FFilters.push_back(GetFilterClass()(this));
  return FFilters.back().get();
}

bool TkvCustomDbDataController::IsExtraFilter(const TkvDataFilterCriteria* c) const {
  for (const auto& f : FFilters)
    if (f.get() == c) return true;
  return false;
}

void TkvCustomDbDataController::RemoveExtraFilter(TkvDataFilterCriteria* c) {
  for (auto it = FFilters.begin(); it != FFilters.end(); ++it)
    if (it->get() == c) {
      it->release();  // the caller is destroying it
      FFilters.erase(it);
      return;
    }
}

// The field's name for filter texts.
void TkvCustomDbDataController::GetLinkText(TObject* link, AnsiString& text) {
  auto* f = dynamic_cast<TkvDbField*>(link);
  text = f ? f->FieldName() : AnsiString();
}

// The field's caption for display texts (the dataset field's display name).
void TkvCustomDbDataController::GetLinkCaption(TObject* link, AnsiString& text) {
  auto* f = dynamic_cast<TkvDbField*>(link);
  if (f && f->DataField()) text = f->DataField()->DisplayName();
  else GetLinkText(link, text);
}

// Criteria stream their fields under the field item's index; the stream keeps the names
// (see the data filter) so that the index only maps within one controller.
int TkvCustomDbDataController::GetItemKey(TObject* item) {
  auto* f = dynamic_cast<TkvDbField*>(item);
  return f ? f->Index() : -1;
}

// The items are the field items: criteria stream a field under its index (GetItemKey)
// and find it again among the items.
TObject* TkvCustomDbDataController::FindItemByKey(int key) {
  const int n = GetItemCount();
  for (int i = 0; i < n; ++i)
    if (TObject* item = GetItem(i); item && GetItemKey(item) == key) return item;
  return nullptr;
}

TObject* TkvCustomDbDataController::GetItem(int index) {
  return index >= 0 && index < FFields->Count() ? FFields->Items(index) : nullptr;
}

int TkvCustomDbDataController::GetItemCount() { return FFields->Count(); }

std::shared_ptr<IkwDisplayTextValueReader> TkvCustomDbDataController::DisplayTextReader() const {
  return FDisplayTextReader;
}
