// TDataSource and TDataLink: how controls (the grid, its data controller, editors) hear
// of a dataset's changes, and the part of the dataset's record-buffer window a link sees.
//
// Delivery. The dataset hands every notice to its data sources in the order they were
// linked; a source hands it to its non-visual links first, then to its visual links
// (VisualControl), each group in link order. While controls are disabled visual links
// hear nothing but deDisabledStateChange; non-visual links hear everything.
//
// A link turns the dataset's notices into its virtual calls:
//   deUpdateState        -> ActiveChanged when Active changed, then EditingChanged when
//                           Editing changed (Editing = active, state dsEdit/dsInsert/
//                           dsSetKey, and the link not ReadOnly)
//   deDataSetChange      -> window update (Info 0), DataSetChanged
//   deDataSetScroll      -> window update (Info = slide of the dataset's window),
//                           DataSetScrolled(distance)
//   deLayoutChange       -> window update, LayoutChanged
//   deFieldChange        -> RecordChanged(field), deRecordChange -> RecordChanged(nullptr);
//                           not while this link's own UpdateRecord runs
//   deUpdateRecord       -> UpdateData (inside UpdateRecord)
//   deCheckBrowseMode    -> CheckBrowseMode
//   deFocusControl       -> FocusControl(field), until a link clears the field
//   others               -> DataEvent only
// The defaults: DataSetChanged calls RecordChanged(nullptr); DataSetScrolled and
// LayoutChanged call DataSetChanged.
//
// The window. A link shows BufferCount records starting at its first buffer in the
// dataset's window; ActiveRecord = the dataset's active buffer - that first buffer. On
// every window update the link keeps its first buffer on the same record when it can
// (moving it by the dataset's slide), then moves it just enough that the active buffer
// lies inside the link's rows, and that the link's rows are filled when the dataset has
// enough records. DataSetScrolled's distance is the number of records the link's first
// row moved (positive towards the end). For a link with BufferCount 1 that is exactly the
// change of the current record's position.
//
// Order of events and notices per operation (S = dataset events, L = link calls; the
// state in brackets is the dataset's state when the call runs):
//
//   operation       sequence
//   -------------   ------------------------------------------------------------------
//   Open            S BeforeOpen [dsInactive]; records loaded, cursor on the first;
//                   L ActiveChanged [dsBrowse]; S AfterOpen; S AfterScroll (not empty)
//   Close           S BeforeClose [dsBrowse/dsEdit/...]; L ActiveChanged [dsInactive]
//                   (L EditingChanged after it when the links were editing); fields made
//                   by Open are freed; S AfterClose. A pending edit is dropped.
//   Every operation below that moves or starts editing (Next ... Locate, Edit, Insert,
//   Append, the filter changes) begins with CheckBrowseMode: L CheckBrowseMode, and a
//   pending edit is posted (when modified) or cancelled first.
//   Next/Prior/     L CheckBrowseMode; S BeforeScroll; L DataSetScrolled(d) [dsBrowse];
//   MoveBy          S AfterScroll. Next on the last record: L DataSetScrolled(0) and
//                   S AfterScroll, Eof set; at Eof (Bof for Prior) only S BeforeScroll.
//   First/Last/     L CheckBrowseMode; S BeforeScroll; L DataSetChanged [dsBrowse];
//   RecNo:=/GotoBookmark/Locate (found)   S AfterScroll (Locate not found: no more
//                   than S BeforeScroll)
//   Edit            L CheckBrowseMode; S BeforeEdit [dsBrowse]; L EditingChanged [dsEdit];
//                   L RecordChanged(nullptr) [dsEdit]; S AfterEdit
//                   (Edit on an empty dataset is Insert)
//   Insert/Append   L CheckBrowseMode; S BeforeInsert; S BeforeScroll [dsBrowse]; L EditingChanged
//                   [dsInsert]; S OnNewRecord [dsInsert] (field changes inside it notify
//                   as below); L DataSetChanged [dsInsert]; S AfterInsert; S AfterScroll
//   field change    OnValidate; value stored; Modified set; calculated fields;
//                   field OnChange; L RecordChanged(field) [dsEdit/dsInsert]
//   Post            L UpdateData [dsEdit/dsInsert]; L CheckBrowseMode; S BeforePost;
//                   required fields checked; record stored; L EditingChanged [dsBrowse];
//                   L DataSetChanged [dsBrowse]; S AfterPost
//   Cancel          L CheckBrowseMode [dsEdit/dsInsert]; S BeforeCancel; (insert:
//                   S BeforeScroll); edit dropped; L EditingChanged [dsBrowse];
//                   L DataSetChanged [dsBrowse]; S AfterCancel; (insert: S AfterScroll)
//   Delete          L CheckBrowseMode; S BeforeDelete; S BeforeScroll; record removed;
//                   (L EditingChanged [dsBrowse] when it was editing);
//                   L DataSetChanged [dsBrowse]; S AfterDelete; S AfterScroll
//                   (Delete while inserting is Cancel)
//   CheckBrowseMode L CheckBrowseMode; then Post when Modified, else Cancel
//   Filter change   (Filtered, or Filter/FilterOptions while filtered and open):
//                   L CheckBrowseMode; S BeforeScroll; L DataSetChanged [dsBrowse] on the
//                   first record; S AfterScroll
//   Refresh         L CheckBrowseMode; L DataSetChanged [dsBrowse]
//   DisableControls outermost: L DataEvent(deDisabledStateChange, 1) to every link
//   EnableControls  outermost, counter back at 0: L DataEvent(deDisabledStateChange, 0)
//                   when data changed meanwhile (post, delete, insert, edit, field change,
//                   filter, refresh, open/close), else with Info 2; then L ActiveChanged/
//                   EditingChanged when the state differs from the state at
//                   DisableControls; then, when the dataset was and is open, exactly one
//                   L DataSetChanged (L LayoutChanged when it was closed or its layout
//                   changed meanwhile).
//
// Deliberate choice: Info 0 of deDisabledStateChange means "changes arrived while the
// controls were off", not merely "enabled again"; a bracket that only moved the cursor
// (a data controller's load) ends with Info 2, so a listener that reloads on changes made
// while disabled does not reload after every bracket of its own.
#pragma once
#include <vector>
#include "db/DataSet.h"

class TDataLink;

using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* AOwner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool value) { FAutoEdit = value; }
  // The dataset's state as last announced (dsInactive without an enabled dataset).
  TDataSetState State() const { return FState; }
  // Puts the dataset in edit mode when AutoEdit is set and it is browsing.
  void Edit();
  bool IsLinkedTo(const TDataSet* ds) const { return ds != nullptr && ds == FDataSet; }

  TNotifyEvent OnStateChange;
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnUpdateData;

  // --- used by the dataset and the links --------------------------------------------------
  void DataEvent(TDataEvent event, intptr_t info, bool controlsDisabled);
  void AddDataLink(TDataLink* link);
  void RemoveDataLink(TDataLink* link);
  const std::vector<TDataLink*>& DataLinks() const { return FLinks; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void UpdateState();
  TDataSet* FDataSet = nullptr;
  std::vector<TDataLink*> FLinks;
  TDataSetState FState = dsInactive;
  bool FEnabled = true;
  bool FAutoEdit = true;
};

class TDataLink : public TPersistent {
 public:
  TDataLink();
  ~TDataLink() override;

  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* value);
  TDataSet* DataSet() const;
  bool Active() const { return FActive; }
  bool Editing() const { return FEditing; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool VisualControl() const { return FVisualControl; }
  void SetVisualControl(bool value) { FVisualControl = value; }

  // The window (see the header comment).
  int ActiveRecord() const;
  void SetActiveRecord(int value);  // the dataset's buffer value + first buffer, no notice
  int BufferCount() const { return FBufferCount; }
  void SetBufferCount(int value);
  int RecordCount() const;          // records of the link's rows that exist
  int FirstRecord() const { return FFirstRecord; }

  // Puts the dataset in edit mode through the data source (not when ReadOnly); returns
  // Editing.
  bool Edit();
  // Calls UpdateData with RecordChanged suppressed for this link.
  void UpdateRecord();
  int MoveBy(int distance);

  // The dataset's notice; overrides call the inherited one.
  virtual void DataEvent(TDataEvent event, intptr_t info);

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int distance) { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField*& field) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* field) {}
  virtual void UpdateData() {}

 private:
  friend class TDataSource;
  friend class TDataSet;
  void UpdateState();
  // Moves the first buffer by -slide and into the bounds; returns the distance moved in
  // records.
  int UpdateRange(int slide);
  TDataSource* FDataSource = nullptr;
  int FBufferCount = 1;
  int FFirstRecord = 0;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FUpdating = false;
  bool FVisualControl = false;
};
