// TDataSet: an in-memory record set with a cursor, the dataset state machine, edit and
// insert buffers, bookmarks, filters, Locate/Lookup and the notification of data links.
//
// Records live in the dataset in store order; each has an id that never changes and
// never comes back, so a bookmark (the id as text) stays valid across inserts and deletes
// of other records. The records the dataset shows are the store's records that pass the
// filter (when Filtered), in store order: RecNo and RecordCount count those.
//
// The record-buffer window: the dataset keeps BufferCount (the largest BufferCount of its
// data links, at least 1) consecutive shown records around the current one in buffers
// 0..BufferRecordCount-1; ActiveRecord is the buffer of the current record. A data link
// sees a part of that window (see db/DataLink.h). Moving within the window only changes
// ActiveRecord; moving past its edge slides the window, and the slide is passed to the
// links with the scroll notice. While inserting, the new record occupies a buffer of its
// own at the insert position.
//
// States: dsInactive -> Open -> dsBrowse; Edit -> dsEdit; Insert/Append -> dsInsert;
// SetKey -> dsSetKey; Post/Cancel -> dsBrowse; Close -> dsInactive. dsCalcFields and
// dsFilter are temporary states inside OnCalcFields and OnFilterRecord; they are not
// announced to the links. The order of events and notices of every operation is the
// table in db/DataLink.h.
//
// Failures leave the dataset as it was: checks run before the first change of state.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>
#include "db/DataPacket.h"
#include "db/DatabaseError.h"
#include "db/Field.h"
#include "db/FieldDefs.h"
#include "db/FilterExpression.h"

class TDataSource;
class TDataLink;
class TDataSet;

// The field of the dataset named FieldName; EDatabaseError SFieldNotFound (prefixed with
// the control's name) when it has none.
TField* GetFieldProperty(TDataSet* DataSet, TComponent* Control, std::string_view FieldName);

// Platform order.
enum TDataSetState {
  dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
  dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
// Platform order: deDisabledStateChange is 14.
enum TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
  deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
  deFocusControl, deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange
};
// Info of deDisabledStateChange.
enum : intptr_t {
  kControlsEnabledAfterChange = 0,  // enabled again; data changed while they were off
  kControlsDisabled = 1,            // the outermost DisableControls
  kControlsEnabled = 2,             // enabled again; only moves happened meanwhile
};

enum TLocateOption : uint8_t { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = uint8_t;
enum TFilterOption : uint8_t { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = uint8_t;
enum TResyncModeFlag : uint8_t { rmExact = 1, rmCenter = 2 };
using TResyncMode = uint8_t;

// A bookmark: the record's id as text; "" for none.
using TBookmark = AnsiString;
using TBookmarkStr = AnsiString;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;

class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* AOwner);
  ~TDataSet() override;

  // --- opening ------------------------------------------------------------------------
  bool Active() const { return FState != dsInactive; }
  void SetActive(bool value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return FState; }
  bool Modified() const { return FModified; }
  virtual bool CanModify() const { return !FReadOnly && !FUniDirectional; }
  bool IsUnidirectional() const { return FUniDirectional; }
  bool IsSequenced() const { return true; }

  // --- fields ------------------------------------------------------------------------
  TFields& Fields() { return FFields; }
  const TFields& Fields() const { return FFields; }
  TFields& FieldList() { return FFields; }
  int FieldCount() const { return FFields.Count(); }
  TField* FindField(std::string_view name) const { return FFields.FindField(name); }
  TField* FieldByName(std::string_view name) const;  // SFieldNotFound, prefixed with Name
  TFieldDefs& FieldDefs() { return FFieldDefs; }
  const TFieldDefs& FieldDefs() const { return FFieldDefs; }
  // True when the fields were made by Open from the columns (none existed before).
  bool DefaultFields() const { return FDefaultFields; }
  bool AutoCalcFields() const { return FAutoCalcFields; }
  void SetAutoCalcFields(bool v) { FAutoCalcFields = v; }

  // --- navigation --------------------------------------------------------------------
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves by Distance shown records and returns how many it moved (negative backwards).
  int MoveBy(int distance);
  bool Bof() const { return FBof; }
  bool Eof() const { return FEof; }
  bool IsEmpty() const { return !Active() || (FView.empty() && FState != dsInsert); }
  // Shown records; 0 for a closed dataset (no error).
  int RecordCount() const { return Active() ? static_cast<int>(FView.size()) : 0; }
  // 1-based number of the current record among the shown ones; -1 without a stored
  // current record (closed, empty, or while inserting).
  int RecNo() const;
  void SetRecNo(int value);  // clamped to 1..RecordCount

  // --- bookmarks ------------------------------------------------------------------------
  TBookmark Bookmark() const;  // "" without a stored current record
  void SetBookmark(const TBookmark& b) { GotoBookmark(b); }
  TBookmark GetBookmark() const { return Bookmark(); }
  bool BookmarkAvailable() const { return !Bookmark().empty(); }
  // Moves to the record; EDatabaseError SRecordNotFound when it is gone or filtered out.
  void GotoBookmark(const TBookmark& b);
  bool BookmarkValid(const TBookmark& b) const;
  // <0, 0, >0 by the records' order; "" sorts before every bookmark.
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;
  void FreeBookmark(TBookmark& b) const { b.clear(); }

  // --- searching -----------------------------------------------------------------------
  // KeyFields "A;B"; KeyValues a single value, or an array with one value per field.
  // Moves to the first shown record that matches; false (cursor unchanged) otherwise.
  bool Locate(std::string_view keyFields, const Variant& keyValues, TLocateOptions options);
  // The value(s) of ResultFields of the first matching record, without moving; Null when
  // none matches; an array when ResultFields names several fields.
  Variant Lookup(std::string_view keyFields, const Variant& keyValues,
                 std::string_view resultFields) const;

  // --- editing ------------------------------------------------------------------------
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  // Posts a modified edit, cancels an unmodified one, leaves set-key mode.
  void CheckBrowseMode();
  // Asks the data links to write their pending edits (UpdateData).
  void UpdateRecord();
  void SetKey();
  // Leaves set-key mode and moves to the first record matching the key values set.
  bool GotoKey();
  void SetReadOnly(bool v) { FReadOnly = v; }
  bool ReadOnly() const { return FReadOnly; }

  // --- controls -----------------------------------------------------------------------
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount > 0; }

  // --- filter ----------------------------------------------------------------------------
  const AnsiString& Filter() const { return FFilterText; }
  // Parses the text now: EFilterExpressionError leaves the old filter in force.
  void SetFilter(const AnsiString& value);
  bool Filtered() const { return FFiltered; }
  void SetFiltered(bool value);
  TFilterOptions FilterOptions() const { return FFilterOptions; }
  void SetFilterOptions(TFilterOptions value);
  // Runs the filter and the calculated fields again (after OnFilterRecord or
  // OnCalcFields changed), keeping the current record when it stays shown.
  void Refresh();

  // --- buffer window (for data links) ----------------------------------------------------
  int BufferCount() const { return FBufferCount; }
  int BufferRecordCount() const { return FBufCount; }
  int ActiveRecord() const { return FActive; }
  // Makes another buffer of the window active (the grid paints rows so) without any
  // notice; the caller restores it. Ignored outside 0..BufferRecordCount-1.
  void SetActiveRecord(int value);
  // The cursor is the active buffer: nothing to bring back.
  void UpdateCursorPos() {}
  // Refills the window around the current record and sends DataSetChanged.
  void Resync(TResyncMode mode);
  // Recomputes BufferCount from the linked data links.
  void UpdateBufferCount();

  // --- events ---------------------------------------------------------------------------
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent OnNewRecord, OnCalcFields;
  TFilterRecordEvent OnFilterRecord;

  // --- used by fields and data sources ---------------------------------------------------
  // The value of the field in the active buffer; nullptr without one.
  const Variant* FieldValuePtr(const TField* field) const;
  // Stores an already converted value (TField does the conversion) and notifies.
  void SetFieldValue(TField* field, const Variant& canonical);
  void DataEvent(TDataEvent event, intptr_t info);
  void AddDataSource(TDataSource* s);
  void RemoveDataSource(TDataSource* s);
  void FieldAdded(TField* f);
  void FieldRemoved(TField* f);

 protected:
  // The columns and rows to open with. Raises to refuse opening.
  virtual TDataPacket InternalOpen() = 0;
  virtual void InternalClose() {}
  void SetUniDirectional(bool v) { FUniDirectional = v; }
  // A snapshot of the stored records (all, filter ignored) with the data columns.
  TDataPacket StoredPacket() const;
  // Removes every record (the dataset stays open) and sends DataSetChanged.
  void ClearRecords();
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct Record {
    uint64_t Id;
    std::vector<Variant> Values;  // data columns, then calculated/lookup slots
  };

  // opening
  void OpenCursor();
  void CloseCursor();
  void BindFields(const std::vector<TPacketField>& columns);
  void DestroyDefaultFields();
  void LoadRows(std::vector<TPacketField>&& columns, std::vector<std::vector<Variant>>&& rows);
  // state
  void SetState(TDataSetState s);
  void CheckActive() const;
  void CheckCanModify() const;
  void CheckBiDirectional() const;
  void Fire(const TDataSetNotifyEvent& e) { if (e) e(this); }
  // Insert's and Append's common end, once the new record's buffer is placed.
  void StartInsert(int resyncAt);
  void NoteDataChange();
  // records and view
  int StoreIndexOfId(uint64_t id) const;
  int ViewPosOfStore(int storeIndex) const;  // -1 when not shown
  bool PassesFilter(const std::vector<Variant>& values);
  void RebuildView();
  // After a change of the filter: the shown records again, the cursor on the first.
  void ApplyFilterChange();
  void BindFilter();
  void CalculateFields(std::vector<Variant>& values);
  void CalculateAll();
  Variant RecordFieldValue(const Record& r, const TField* f) const;
  std::vector<TField*> FieldsOf(std::string_view names) const;
  int FindRecord(const std::vector<TField*>& fields, const Variant& keyValues,
                 TLocateOptions options) const;  // view position or -1
  // window
  int CurrentPos() const;     // view position of the current record, -1 for none/new
  int BufferPos(int buffer) const;
  void FillWindow(int pos, int wantedActive);
  void MoveToPos(int pos, bool center);  // BeforeScroll .. DataSetChanged .. AfterScroll
  void MoveToFirst();                    // the same to the first shown record, Bof set
  void ResyncAt(int pos);                // after a change of the records
  void SendEnableNotices();

  TFields FFields;
  TFieldDefs FFieldDefs;
  std::vector<TDataSource*> FDataSources;
  std::vector<Record> FRecords;
  std::vector<int> FView;
  mutable std::unordered_map<uint64_t, int> FIdIndex;
  mutable bool FIdIndexValid = false;
  uint64_t FNextId = 1;
  int FDataColumns = 0;
  int FSlots = 0;
  std::vector<TField*> FCalcFields;  // calculated and lookup fields, slot order

  TDataSetState FState = dsInactive;
  TDataSetState FDisableState = dsInactive;
  TDataEvent FEnableEvent = deDataSetChange;
  int FDisableCount = 0;
  bool FChangedWhileDisabled = false;
  bool FBof = true, FEof = true;
  bool FModified = false;
  bool FReadOnly = false;
  bool FUniDirectional = false;
  bool FDefaultFields = false;
  bool FAutoCalcFields = true;

  // window
  int FBufferCount = 1;
  int FFirst = 0;
  int FBufCount = 0;
  int FActive = 0;
  int FInsertBuf = -1;
  int FEditBufIndex = -1;
  std::vector<Variant> FEditBuf;
  std::vector<Variant> FKeyBuf;
  std::vector<Variant>* FTempRecord = nullptr;  // dsCalcFields / dsFilter

  // filter
  AnsiString FFilterText;
  std::unique_ptr<dbfilter::Expression> FFilterExpr;
  bool FFilterBound = false;
  bool FFiltered = false;
  TFilterOptions FFilterOptions = 0;
};
