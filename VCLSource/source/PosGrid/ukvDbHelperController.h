// The data controller: the model behind the data-aware grid.
//
// TkvCustomDbDataController copies every record of a bound dataset into the record
// storage of the value engine, keeps a filtered and sorted list of rows over those
// records (TkvCustomDbDataControllerInfo), a focused row, footer summaries, incremental
// search and key locate, a filter, and field expressions. All dataset work goes through
// its provider (TkvDbDataProvider), which follows the dataset through its data link.
//
// Indexes: a record index addresses a record of the storage (0..RecordCount-1; negative
// indexes are internal records such as the edit buffer); a row index addresses the row
// list (0..RowCount-1). kvNoRecord means no record, -1 no row.
//
// Invariants and decisions:
//  - index errors raise EkvInvalidDataControllerOperation ("记录索引超出范围",
//    "项目索引超出范围", "行索引超出范围") and change nothing;
//  - every flag, counter, lock and DisableControls pair is held by a scope guard, so an
//    exception from the dataset leaves the controller usable;
//  - removing a field item takes it out of the sorting list, the summaries, the filters,
//    the search and the key, so nothing is left pointing at it;
//  - a value expression that fails, or that refers back to itself, reads Null for that
//    record on every data path (sort, filter, summaries, locate);
//  - internal records survive every reload, so the edit buffer and locate records keep
//    their indexes.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDataManager.h"
#include "VCLSource/source/PosGrid/ukvDbHelperColumns.h"
#include "VCLSource/source/PosGrid/ukvDbHelper.h"
#include "VCLSource/source/PosGrid/ukvDbHelperGuards.h"
#include "db/DataLink.h"

class TkvCustomDbDataController;
class TkvCustomDbDataControllerInfo;
class TkvCustomDataFieldList;
class TkvDbDataProvider;
class TkvDBDataFilterCriteria;
class TkvDataFilterCriteria;
class TkvDataControllerSearch;
class TkvDbExpressions;
class TkvSummary;
class TkvDbField;
class IkwField;
class IkwDisplayTextValueReader;
class TkvDbDataControllerDisplayTextReader;
class TkvExpressionCalculator;
class TkvValueDefDBReader;
// A column's title as the grid's dialogs see it (no operations of its own).
class IkwColumnTitle {
 public:
  virtual ~IkwColumnTitle() = default;
};
struct TkvSortingEntry;

constexpr int kvNoRecord = static_cast<int>(0x80000001);

// The class functions of the controller (GetProviderClass, ...) answer a maker of the
// object: kvMake<T, Base> makes a T for the controller. A descendant overrides the class
// function to substitute its own class.
template <class T, class Base, class Owner>
std::unique_ptr<Base> kvMake(Owner* owner) {
  return std::make_unique<T>(owner);
}

enum TkvSummaryKind : uint8_t { skNone, skSum, skMin, skMax, skCount, skAverage };

// Options of the controller.
enum : uint16_t {
  dcoLocaleCompare = 1,
  dcoCaseInsensitive = 2,
  dcoSortByDisplayText = 32,
  dcoNoSorting = 64,
  dcoNoFiltering = 128,
  dcoRefocusOnSort = 256,
};
using TkvDataControllerOptions = uint16_t;

// Bits of the change notice.
enum : uint16_t {
  dcmSorted = 1,
  dcmData = 2,
  dcmFocus = 4,
  dcmSummaries = 32,
  dcmSearch = 64,
  dcmEditValues = 2048,
};

// Bits of GetEditState.
enum : uint8_t { desInserting = 1, desEditing = 2, desProviderModified = 4, desDataSetModified = 8 };

// The grid column a field item serves, as the controller sees it.
class IkwColumn {
 public:
  virtual ~IkwColumn() = default;
  virtual bool HasValueExpression() = 0;
  // The value of the column's formula for the record; raises on failure.
  virtual Variant EvaluateValueExpression(int recordIndex) = 0;
  // The column's name as messages give it (empty: the field item's name is given).
  virtual AnsiString NameInMessages() { return AnsiString(); }
  virtual bool NeedCustomDisplayText() { return false; }
  // The text the column shows for the record; storedText is the field's display text as
  // the controller stores it (the dataset field's DisplayText when it was read).
  virtual AnsiString GetDisplayText(int recordIndex, const AnsiString& storedText) { return storedText; }
  // The grid column's side (the grid's columns answer these; MaxInt: no opinion).
  virtual int CompareBlankRows(int record1, int record2, int direction) { return 0x7FFFFFFF; }
  virtual IkwColumnTitle* GetTitle() { return nullptr; }
  virtual bool NeedCustomSort() { return false; }
  virtual IkwField* GetField() { return nullptr; }
  virtual TkvDbField* DbField() { return nullptr; }
  virtual bool UseCustomDisplayText() { return false; }
};

// One column of the controller.
class TkvDbField : public TObject {
 public:
  explicit TkvDbField(TkvCustomDataFieldList* list);
  ~TkvDbField() override;

  // Moves the value definition and value type of source to this field.
  virtual void TakeValueDef(TkvDbField& source);
  virtual bool IsUnbound() const { return FDataField == nullptr; }

  TkvCustomDbDataController* Controller() const;
  IkwColumn* Column() const { return FColumn; }
  void SetColumn(IkwColumn* column) { FColumn = column; }
  TField* DataField() const { return FDataField; }
  // Recomputes the value type, the currency flag and StoresText; remakes the value
  // definition only when one of them changed.
  void SetDataField(TField* field);
  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& v) { FFieldName = v; }
  int Index() const { return FIndex; }
  bool Currency() const { return FCurrency; }
  bool Internal() const { return FInternal; }
  TObject* Link() const { return FLink; }
  void SetLink(TObject* v) { FLink = v; }
  bool NeedsValueCompare() const { return FNeedsValueCompare; }
  void SetNeedsValueCompare(bool v) { FNeedsValueCompare = v; }
  int CompareMode() const { return FCompareMode; }
  void SetCompareMode(int v) { FCompareMode = v; }
  bool StoresText() const { return FStoresText; }
  TkvValueDef* ValueDef() const { return FValueDef; }
  TkvValueTypeClass ValueType() const { return FValueType; }

  // The summary of kind (1..5), made on first request and registered with the Info;
  // skNone switches every summary of the field off. Null for skNone.
  TkvSummary* GetSummary(TkvSummaryKind kind);
  // Forgets the summary (the Info frees it).
  void SummaryRemoved(TkvSummary* s);

 private:
  friend class TkvCustomDataFieldList;
  friend class TkvCustomDbDataController;
  void RemakeValueDef();
  void FreeValueDef();

  IkwColumn* FColumn = nullptr;
  TField* FDataField = nullptr;
  TkvCustomDataFieldList* FFieldList;
  AnsiString FFieldName;
  int FIndex = -1;
  bool FCurrency = false;
  bool FInternal = false;
  TObject* FLink = nullptr;
  bool FNeedsValueCompare = false;
  int FCompareMode = 0;
  TkvSummary* FSummaries[5] = {};
  bool FStoresText = false;
  bool FSummariesActive = false;
  bool FEvaluating = false;  // its column's formula is being evaluated (cycle mark)
  TkvColumnCopy FCopy;       // typed copy of the stored values (see ColumnCopy)
  TkvValueDef* FValueDef = nullptr;
  TkvValueTypeClass FValueType = nullptr;
};

// The value type of a dataset field (String without one).
TkvValueTypeClass ValueTypeForField(const TField* field);
// A float, BCD or decimal field shown as currency and without its own formats.
bool IsCurrencyField(const TField* field);

class TkvCustomDataFieldList {
 public:
  explicit TkvCustomDataFieldList(TkvCustomDbDataController* controller) : FController(controller) {}
  ~TkvCustomDataFieldList();
  TkvCustomDataFieldList(const TkvCustomDataFieldList&) = delete;
  TkvCustomDataFieldList& operator=(const TkvCustomDataFieldList&) = delete;

  // Bound fields go before the first internal field, internal fields last.
  TkvDbField* Add(std::unique_ptr<TkvDbField> field);
  // Tells the controller, then frees the field.
  void Remove(TkvDbField* field);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  TkvDbField* Items(int index) const { return FItems[static_cast<size_t>(index)].get(); }
  TkvDbField* ItemByField(const TField* field) const;
  TkvDbField* ItemByLink(const TObject* link) const;
  int InternalCount() const { return FInternalCount; }
  TkvCustomDbDataController* Controller() const { return FController; }

 private:
  void Renumber();
  TkvCustomDbDataController* FController;
  std::vector<std::unique_ptr<TkvDbField>> FItems;
  int FInternalCount = 0;
};

// Change objects handed to OnDataSetChange.
class TkvDatasetChange : public TObject {};
class TkvActiveChange : public TkvDatasetChange {
 public:
  explicit TkvActiveChange(bool active) : Active(active) {}
  bool Active;
};
class TkvLayoutChange : public TkvDatasetChange {};
class TkvRecordChange : public TkvDatasetChange {
 public:
  explicit TkvRecordChange(TField* field) : Field(field) {}
  TField* Field;
};

// Told when the controller's record indexes are renumbered, by someone who keeps record
// indexes (the grid's marks). A full reload empties the storage and loads it again:
// RecordsReloading before, RecordReloaded for each record loaded (the dataset is on it),
// RecordsReloaded after, also when nothing could be loaded or the load failed (it must not
// throw). A record inserted at an index moves those from there up by one; a deleted one
// moves those after it down by one.
class IkvRecordIndexObserver {
 public:
  virtual ~IkvRecordIndexObserver() = default;
  virtual void RecordsReloading() = 0;
  virtual void RecordReloaded(int recordIndex, const TDataSet& dataSet) = 0;
  virtual void RecordsReloaded() = 0;
  virtual void RecordInsertedAt(int recordIndex) = 0;
  virtual void RecordDeletedAt(int recordIndex) = 0;
};

class TkvCustomDbDataController : public TComponent {
 public:
  using TCompareEvent = std::function<void(TObject* Sender, int Record1, int Record2, int FieldIndex,
                                           const Variant& Value1, const Variant& Value2, int& Result)>;
  using TFilterRecordEvent = std::function<void(TObject* Sender, int RecordIndex, bool& Accept)>;
  using TDataSetChangeEvent = std::function<void(TObject* Sender, TkvDatasetChange* Change)>;
  using TChangedEvent = std::function<void(TObject* Sender, uint16_t Mask)>;
  using TkvProviderClass = std::unique_ptr<TkvDbDataProvider> (*)(TkvCustomDbDataController*);
  using TkvCalculatorClass = std::unique_ptr<TkvExpressionCalculator> (*)(TkvCustomDbDataController*);
  using TkvFilterClass = std::unique_ptr<TkvDBDataFilterCriteria> (*)(TkvCustomDbDataController*);
  using TkvSearchClass = std::unique_ptr<TkvDataControllerSearch> (*)(TkvCustomDbDataController*);
  using TkvReaderClass = std::unique_ptr<TkvValueDefDBReader> (*)(TkvCustomDbDataController*);

  explicit TkvCustomDbDataController(TComponent* owner);
  ~TkvCustomDbDataController() override;

  // --- field items ---------------------------------------------------------------------
  virtual TkvDbField* CreateInternalField();
  // A bound field item for a grid column (before the internal fields).
  TkvDbField* AddField(IkwColumn* column, const AnsiString& fieldName);
  // The field item for a field item or a Link; taken out of every list and freed.
  void RemoveFieldItem(TObject* fieldOrLink);
  TkvCustomDataFieldList& Fields() { return *FFields; }
  int FieldCount() const { return FFields->Count(); }
  TkvDbField* Field(int index) const;  // checked

  // --- records -------------------------------------------------------------------------
  virtual int GetRecordCount() const;
  virtual void SetRecordCount(int count);
  void InsertRecord(int at);
  int AppendRecord();
  void DeleteRecord(int recordIndex);
  virtual void GetValue(int recordIndex, TkvDbField* field, Variant& v) { GetFieldValue(recordIndex, field, v); }
  // A field item whose column has a formula reads the formula's value, Null where it
  // cannot be worked out (the value feeds sorting, filtering and totals).
  virtual void GetFieldValue(int recordIndex, TkvDbField* field, Variant& v);
  // The formula's value of a field item whose column has one, for the record; raises
  // the formula's error. The field item is marked while its formula is evaluated: met
  // again inside that evaluation it raises EkvFormulaCycle, and the cycle fails every
  // formula evaluation it passes through up to the outermost one.
  Variant EvaluateColumnFormula(int recordIndex, TkvDbField* field);
  virtual void GetValueByIndex(int recordIndex, int fieldIndex, Variant& v);
  virtual void GetRowValue(int rowIndex, TkvDbField* field, Variant& v);
  virtual void SetValue(int recordIndex, int fieldIndex, const Variant& v);
  virtual void SetStoredValue(int recordIndex, int fieldIndex, const Variant& v);
  virtual void GetDisplayText(int recordIndex, int fieldIndex, AnsiString& text);
  virtual void GetStoredDisplayText(int recordIndex, TkvDbField* field, AnsiString& text);
  virtual void GetSortText(int recordIndex, int fieldIndex, AnsiString& text) { GetDisplayText(recordIndex, fieldIndex, text); }
  virtual void GetSearchText(int recordIndex, int fieldIndex, AnsiString& text) { GetDisplayText(recordIndex, fieldIndex, text); }
  virtual void GetKeyValue(int recordIndex, Variant& v);
  virtual void GetCompareValue(int recordIndex, TkvDbField* field, Variant& v);
  virtual int GetEditRecordIndex();
  // Fills storage record recordIndex from the dataset's current record (unbound values
  // from sourceRecord when that is a record).
  virtual void ReadRecord(int sourceRecord, int recordIndex);
  virtual void ReloadRecord(int recordIndex);
  // The dataset's bookmark of the storage record, read where the dataset is on that record
  // (its current record, in step with the storage; in key mode with the record's key);
  // empty anywhere else and while an insert is under way. The dataset is not moved.
  TBookmark RecordBookmark(int recordIndex);
  // The bookmarks of storage records, one per record (empty where RecordBookmark's would
  // be, and for records not at their place): outside key mode the dataset visits the
  // records with its controls disabled, its scroll events parked and the provider's
  // change handling suspended, and goes back where it was; otherwise RecordBookmark.
  std::vector<TBookmark> RecordBookmarks(const std::vector<int>& records);

  // The typed copy of the field's stored values, valid until the storage changes; null
  // when the field has a formula or a type without a copy. sortKeys: with its texts'
  // sort keys (for a sort).
  const TkvColumnCopy* ColumnCopy(TkvDbField* field, bool sortKeys = false);
  // The search text of the field is its stored text value as it is (no column text, no
  // stored display text): the search may read the stored values. A controller that
  // changes GetSearchText or GetDisplayText answers false for the fields it changes.
  virtual bool SearchTextIsStoredText(TkvDbField* field);

  // --- comparing -------------------------------------------------------------------------
  virtual int CompareRecordValues(int record1, int record2, TkvDbField* field);
  virtual int CompareRecordIndexes(int record1, int record2) { return record1 < record2 ? -1 : (record1 > record2 ? 1 : 0); }
  virtual int CompareBySortItem(int record1, int record2, const TkvSortingEntry& item);
  virtual bool CompareByValues(TkvDbField* field);
  virtual bool CompareByDisplayText(TkvDbField* field);
  virtual bool CompareAsStrings(TkvDbField* field);
  virtual bool NeedsCustomSort(int fieldIndex, bool byDisplayText) { return false; }
  virtual bool IsFieldSortable(int fieldIndex);
  virtual bool IsCalculatedField(TkvDbField* field) { return false; }

  // --- rows and focus ----------------------------------------------------------------------
  int RowCount() const;
  int GetRowRecordIndex(int row) const;  // checked
  int GetRecordRowIndex(int record) const;
  int FocusedRowIndex() const;
  int FocusedRecordIndex() const;
  virtual int GetFocusedRowRecord();
  void FocusRowIndex(int row);
  void FocusRecordIndex(int record);
  bool IsLastRow() const;
  virtual bool FocusRecord(int recordIndex);
  virtual bool FocusRow(int rowIndex);
  virtual int GetCurrentRecordIndex();

  // --- sorting -----------------------------------------------------------------------------
  // direction 0 none, 1 ascending, 2 descending.
  void ChangeSorting(TkvDbField* field, uint8_t direction);
  void ClearSorting();

  // --- dataset ----------------------------------------------------------------------------
  void SetDataSource(TDataSource* source);
  TDataSet* DataSet() const;
  virtual void Append();
  virtual void Post();
  virtual void Delete();
  virtual void CancelEditAndRefocus();
  virtual void EndEdit();
  virtual uint8_t GetEditState();
  void Reload(bool force = false);
  void ReloadGuarded(bool force);
  void Refresh();
  virtual void Refilter();
  virtual void RequestUpdate(bool rowsChanged);
  virtual void UpdateNow();
  virtual void UpdateFields();
  void SuspendDataSetEvents();
  void ResumeDataSetEvents();

  // --- notices ------------------------------------------------------------------------------
  void BeginUpdate();
  void EndUpdate();
  // Kind 4 full reload; 2 records added, 3 removed (rows rebuilt, focus kept); other
  // kinds rebuild the rows.
  virtual void DataChanged(int kind, int param1, int param2);
  void Changed(uint16_t mask);  // adds to the pending notice and delivers it when free

  // --- key mode, search, filter --------------------------------------------------------------
  TkvDbField* KeyField() const { return FKeyField; }
  void SetKeyField(TkvDbField* field) { FKeyField = field; }
  virtual bool HasKeyField() { return FKeyField != nullptr; }
  virtual bool UsesKeyLocate();
  // The first record (record order) whose key fields equal values; -1 when none. One
  // key field takes values as it is; several need an array with one element each.
  int LocateByKey(const Variant& values);
  virtual int LocateCurrentKey();
  // The first record (record order) whose fields equal values: one field takes values as
  // it is, several need an array with one element per field (else -1); -1 when none.
  int LocateByFields(const std::vector<TkvDbField*>& fields, const Variant& values);
  TkvDataControllerSearch& Search();
  TkvDBDataFilterCriteria& Filter();
  // Further criteria, owned by the controller (freed last to first with it); one that is
  // deleted earlier takes itself out of the list.
  TkvDataFilterCriteria* AddFilter();
  int FilterCount() const { return static_cast<int>(FFilters.size()); }
  bool IsExtraFilter(const TkvDataFilterCriteria* c) const;
  void RemoveExtraFilter(TkvDataFilterCriteria* c);
  virtual bool DoFilterRecord(int recordIndex);
  virtual bool HasFilterEvent() { return static_cast<bool>(OnFilterRecord); }
  virtual void GetLinkText(TObject* link, AnsiString& text);
  virtual void GetLinkCaption(TObject* link, AnsiString& text);
  virtual int GetItemKey(TObject* item);
  virtual TObject* FindItemByKey(int key);
  TkvDbExpressions& Expressions() { return *FExpressions; }
  virtual TkvExpressionCalculator& GetCalculator();
  // The items of the controller's criteria links (its field items; a descendant may
  // show others): FindItemByKey looks among them.
  virtual TObject* GetItem(int index);
  virtual int GetItemCount();
  // A text naming the controller's owner for messages; empty here.
  virtual void GetOwnerText(AnsiString& text) { text.clear(); }
  // The reader that hands one record's values and display texts to expressions and
  // editors; the display-text callback of the field items places it on the record.
  std::shared_ptr<IkwDisplayTextValueReader> DisplayTextReader() const;

  // --- hooks ------------------------------------------------------------------------------
  virtual void BeforeLoadRecords(TkvValueDefReader& reader) {}
  virtual void AfterLoadRecords() {}
  virtual void RecordLoaded(int recordIndex);
  virtual void RecordRemoved(int recordIndex);
  virtual void CheckInsertMarkers(int recordIndex);
  virtual void FieldRemoved(TkvDbField* field);

  // --- state ------------------------------------------------------------------------------
  TkvCustomDbDataControllerInfo& Info() { return *FInfo; }
  const TkvCustomDbDataControllerInfo& Info() const { return *FInfo; }
  TkvDataStorage& Storage() { return *FStorage; }
  TkvDbDataProvider& Provider();
  bool Active() const { return FActive; }
  TkvDataControllerOptions Options() const { return FOptions; }
  void SetOptions(TkvDataControllerOptions v);
  bool Loading() const { return FLoading; }
  void SetLoading(bool v) { FLoading = v; }
  bool ReloadLock() const { return FReloadLock; }
  int PendingFocusRecord() const { return FPendingFocusRecord; }
  void SetPendingFocusRecord(int v) { FPendingFocusRecord = v; }
  bool RefilterPending() const { return FRefilterPending; }
  void SetRefilterPending(bool v) { FRefilterPending = v; }
  bool RefocusPending() const { return FRefocusPending; }
  void SetRefocusPending(bool v) { FRefocusPending = v; }
  bool SortChanged() const { return FSortChanged; }
  void SetSortChanged(bool v) { FSortChanged = v; }
  bool ReloadDeferred() const { return FReloadDeferred; }
  bool ReloadPending() const { return FReloadPending; }
  bool Destroying() const { return FDestroyingController; }
  int UpdateCount() const { return FUpdateCount; }
  bool FocusLock() const { return FFocusLock; }
  uint16_t PendingMask() const { return FChangeMask; }
  // Checks (each raises the controller's index error).
  void CheckRecordIndex(int recordIndex);
  void CheckFieldIndex(int fieldIndex) const;

  // Called by the provider's data link.
  virtual void ActiveChanged(bool active);
  // The load loop (the dataset must be open).
  void LoadRecords();

  TCompareEvent OnCompare;
  TFilterRecordEvent OnFilterRecord;
  TDataSetChangeEvent OnDataSetChange;
  TChangedEvent OnChanged;
  TNotifyEvent OnFocusedRecordChanged;
  // The one observer of renumbered record indexes (not owned); none by default.
  IkvRecordIndexObserver* RecordIndexObserver() const { return FRecordIndexObserver; }
  void SetRecordIndexObserver(IkvRecordIndexObserver* observer) { FRecordIndexObserver = observer; }

 protected:
  virtual std::unique_ptr<TkvDbField> CreateField() { return std::make_unique<TkvDbField>(FFields.get()); }
  // Class functions: each object is made on its first use.
  virtual TkvProviderClass GetProviderClass();
  virtual TkvCalculatorClass GetCalculatorClass();
  virtual TkvFilterClass GetFilterClass();
  virtual TkvSearchClass GetSearchClass();
  virtual TkvReaderClass GetReaderClass();

 private:
  friend class TkvDbDataProvider;
  friend class TkvDbDataLink;
  friend class TkvDbField;
  friend class TkvCustomDbDataControllerInfo;
  void ReloadBody();
  void DeliverChanges();
  void RunDeferredReload();

  bool FActive = false;
  uint16_t FChangeMask = 0;
  bool FRefilterPending = false;
  bool FRefocusPending = false;
  TkvDataControllerOptions FOptions = 0;
  bool FFocusLock = false;
  bool FPosting = false;
  TkvDbField* FKeyField = nullptr;
  bool FLoading = false;
  int FPendingFocusRecord = -1;
  int FEditRecordIndex = 0;
  bool FReloadLock = false;
  int FUpdateCount = 0;
  bool FSortChanged = false;
  bool FReloadPending = false;
  bool FReloadDeferred = false;
  bool FInReload = false;
  int FFormulaNesting = 0;  // column formulas being evaluated, one inside the other
  bool FDestroyingController = false;
  bool FDelivering = false;
  IkvRecordIndexObserver* FRecordIndexObserver = nullptr;

  // Made in this order, destroyed in the reverse.
  std::unique_ptr<TkvDbExpressions> FExpressions;
  std::unique_ptr<TkvDbDataProvider> FProvider;
  std::unique_ptr<TkvCustomDbDataControllerInfo> FInfo;
  std::unique_ptr<TkvDataStorage> FStorage;
  std::unique_ptr<TkvCustomDataFieldList> FFields;
  std::vector<std::unique_ptr<TkvDataFilterCriteria>> FFilters;
  std::unique_ptr<TkvExpressionCalculator> FCalculator;
  std::unique_ptr<TkvDBDataFilterCriteria> FFilter;
  std::unique_ptr<TkvDataControllerSearch> FSearch;
  std::shared_ptr<TkvDbDataControllerDisplayTextReader> FDisplayTextReader;
};

// EkvInvalidDataControllerOperation "项目索引超出范围" / "行索引超出范围".
[[noreturn]] void RaiseItemIndexError();
[[noreturn]] void RaiseRowIndexError();
