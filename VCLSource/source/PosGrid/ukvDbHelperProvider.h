// The data provider binds one data controller to one dataset through its own data link:
// it turns the dataset's notices into controller operations (reload, record re-read,
// insert bookkeeping) and carries out the controller's dataset operations (append,
// insert, delete, post, moves) so that the controller's storage and the dataset stay in
// step. It saves and restores the dataset position around a full load.
//
// Decisions:
//  - a move the controller asks for reports success only when the dataset reached the
//    record (its RecNo is read back); the provider's current record follows what the
//    dataset did, and a miss asks for a reload;
//  - deleting the only row leaves no record to focus afterwards;
//  - a full reload never throws away a modified pending edit: it is put off until the
//    dataset is back in browse mode (an unmodified edit may be cancelled);
//  - the parked scroll handlers and every flag come back when a load raises.
#pragma once
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"

class TkvDbDataProvider;

class TkvDbDataLink : public TDataLink {
 public:
  explicit TkvDbDataLink(TkvDbDataProvider* provider);
  bool ChangesWhileDisabled = false;
  void DataEvent(TDataEvent event, intptr_t info) override;

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void EditingChanged() override;
  void FocusControl(TField*& field) override {}
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  friend class TkvDbDataProvider;
  TkvDbDataProvider* FProvider;
};

struct TkvDBDataSavePosInfo {
  TBookmark Bookmark;
  bool Bof = false;
  bool Eof = false;
  int ActiveRecord = 0;
  TDataSetNotifyEvent BeforeScroll, AfterScroll;
  bool Parked = false;
};

class TkvDbDataProvider : public TObject {
 public:
  explicit TkvDbDataProvider(TkvCustomDbDataController* controller);
  ~TkvDbDataProvider() override;

  virtual void Append();
  virtual void RememberDeleteNeighbour();
  virtual bool BookmarkValid(const TBookmark& b);
  virtual bool CanDelete();
  virtual bool CanModify();
  virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b);
  virtual void NotifyDataChanged(int kind, int p1, int p2);
  virtual void Delete();
  virtual void AfterDelete();
  virtual void EndDataSetChange();
  virtual int GetCurrentRecord();
  virtual void Insert();
  virtual void RecordInserted(bool atEnd);
  virtual void Cancel();
  virtual bool IsModified() { return FModified; }
  virtual bool IsDataSetModified();
  virtual bool IsEditing();
  virtual bool IsEof();
  virtual bool CanInsertRecord();
  virtual bool IsReadOnly() { return !CanModify(); }
  virtual void ResetMarkers();
  virtual void RecordChanged(TField* field);
  using TkvDataLinkClass = std::unique_ptr<TkvDbDataLink> (*)(TkvDbDataProvider*);
  virtual TkvDataLinkClass GetDataLinkClass();

  TDataSet* DataSet() const { return FDataLink ? FDataLink->DataSet() : nullptr; }
  // Made on first use from GetDataLinkClass.
  TkvDbDataLink& DataLink();
  bool IsKeyMode();
  bool IsInserting();
  bool IsActive();
  // The dataset can be loaded: bound, open and its controls not disabled by others.
  bool CanLoad();
  // The dataset has fields to bind: at least one, and open or with persistent fields.
  bool HasFields();
  // Moves the dataset to RecNo; true when it got there.
  bool SetRecNoTracked(int recNo);
  int MoveBy(int distance);
  void SavePosition();
  void RestorePosition();
  void BeginDataSetChange();
  void RunOperation(void (TDataSet::*operation)());
  void CancelEdit();
  void SyncRecord();
  // Key mode: once an edit or insert has ended, the record it was written to is read
  // again from the dataset, found by its key; anything the key cannot settle reloads.
  void WriteBackEdit();

  int InsertingRecord = kvNoRecord;
  int AnchorBefore = kvNoRecord;
  int AnchorAfter = kvNoRecord;
  int CurrentRecord = 0;
  int ChangeNesting = 0;
  bool ActiveChanging = false;
  bool Busy = false;
  bool InEditingChanged = false;
  bool MovingBy = false;
  bool InsertHandled = false;
  bool InsertOperation = false;
  bool SkipInsertCheck = false;
  bool EditingRecord = false;
  bool EditWasPending = false;
  bool LoadedInActiveChanged = false;
  int EditRecord = kvNoRecord;
  int DeletedRecordMark = -1;
  // The record an edit or insert was last written to, and whether it was an insert.
  int EditedRecord = kvNoRecord;
  // The record a key-mode insert was given when its edit ended (-1 none): the
  // write-back reads it when EditedRecord is no record.
  int EditedRecordNew = -1;
  bool EditedIsInsert = false;
  TkvDBDataSavePosInfo SavePos;

 private:
  friend class TkvDbDataLink;
  void EditStarted();
  TkvCustomDbDataController* FController;
  std::unique_ptr<TkvDbDataLink> FDataLink;
  bool FModified = false;
};
