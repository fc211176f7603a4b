// Helpers of the data layer tests: datasets made from a table of rows, a recorder of
// dataset events and link calls rendered to one string.
#pragma once
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include "db/ClientDataSet.h"
#include "db/DataLink.h"
#include "db/FieldClasses.h"
#include "tests/support/ErrorText.h"

namespace dbtest {

using postest::ErrorOf;

inline TPacketField Col(const char* name, TFieldType type, int size = 0) {
  TPacketField f;
  f.Name = name;
  f.DataType = type;
  f.Size = size;
  return f;
}

// A client dataset opened on the rows given.
inline std::unique_ptr<TClientDataSet> MakeDataSet(std::vector<TPacketField> cols,
                                                   std::vector<std::vector<Variant>> rows) {
  auto ds = std::make_unique<TClientDataSet>(nullptr);
  TDataPacket p;
  p.Fields = std::move(cols);
  p.Rows = std::move(rows);
  ds->SetData(p);
  return ds;
}

// Id (integer) and Name (string) with ids 1..n and names "r1".."rn".
inline std::unique_ptr<TClientDataSet> Numbered(int n) {
  std::vector<std::vector<Variant>> rows;
  for (int i = 1; i <= n; ++i) rows.push_back({Variant(i), Variant("r" + std::to_string(i))});
  return MakeDataSet({Col("Id", ftInteger), Col("Name", ftString, 20)}, std::move(rows));
}

inline const char* StateName(TDataSetState s) {
  static const char* const kNames[] = {"Inactive", "Browse", "Edit", "Insert", "SetKey",
                                       "CalcFields", "Filter"};
  return s <= dsFilter ? kNames[s] : "Other";
}

// Collects one line of text per event: "name[state]", joined by spaces.
class Log {
 public:
  void Add(const std::string& what, const TDataSet* ds) {
    if (!FText.empty()) FText += ' ';
    FText += what;
    if (ds != nullptr) {
      FText += '[';
      FText += StateName(ds->State());
      FText += ']';
    }
  }
  std::string Take() { return std::exchange(FText, std::string()); }

 private:
  std::string FText;
};

// A link that writes every call into the log, with the dataset's state.
class RecordingLink : public TDataLink {
 public:
  RecordingLink(Log& log, const char* tag = "") : FLog(log), FTag(tag) {}
  void DataEvent(TDataEvent event, intptr_t info) override {
    if (event == deDisabledStateChange) FLog.Add(FTag + "Disabled(" + std::to_string(info) + ")", nullptr);
    TDataLink::DataEvent(event, info);
  }

 protected:
  void ActiveChanged() override { FLog.Add(FTag + "ActiveChanged", DataSet()); }
  void CheckBrowseMode() override { FLog.Add(FTag + "CheckBrowseMode", DataSet()); }
  void DataSetChanged() override { FLog.Add(FTag + "DataSetChanged", DataSet()); }
  void DataSetScrolled(int d) override {
    FLog.Add(FTag + "Scrolled(" + std::to_string(d) + ")", DataSet());
  }
  void EditingChanged() override { FLog.Add(FTag + "EditingChanged", DataSet()); }
  void LayoutChanged() override { FLog.Add(FTag + "LayoutChanged", DataSet()); }
  void RecordChanged(TField* f) override {
    FLog.Add(FTag + "RecordChanged(" + (f ? f->FieldName() : std::string("nil")) + ")", DataSet());
  }
  void UpdateData() override { FLog.Add(FTag + "UpdateData", DataSet()); }
  void FocusControl(TField*& f) override { FLog.Add(FTag + "FocusControl(" + f->FieldName() + ")", DataSet()); }

 private:
  Log& FLog;
  std::string FTag;
};

// Hooks every dataset event into the log.
inline void HookEvents(TDataSet& ds, Log& log) {
  auto hook = [&log](TDataSetNotifyEvent& e, const char* name) {
    e = [&log, name](TDataSet* d) { log.Add(name, d); };
  };
  hook(ds.BeforeOpen, "BeforeOpen");
  hook(ds.AfterOpen, "AfterOpen");
  hook(ds.BeforeClose, "BeforeClose");
  hook(ds.AfterClose, "AfterClose");
  hook(ds.BeforeInsert, "BeforeInsert");
  hook(ds.AfterInsert, "AfterInsert");
  hook(ds.BeforeEdit, "BeforeEdit");
  hook(ds.AfterEdit, "AfterEdit");
  hook(ds.BeforePost, "BeforePost");
  hook(ds.AfterPost, "AfterPost");
  hook(ds.BeforeCancel, "BeforeCancel");
  hook(ds.AfterCancel, "AfterCancel");
  hook(ds.BeforeDelete, "BeforeDelete");
  hook(ds.AfterDelete, "AfterDelete");
  hook(ds.BeforeScroll, "BeforeScroll");
  hook(ds.AfterScroll, "AfterScroll");
  hook(ds.OnNewRecord, "OnNewRecord");
}

// The shown records' Id values in order, "1,2,3", read by walking the dataset.
inline std::string Ids(TDataSet& ds, const char* field = "Id") {
  std::string out;
  ds.DisableControls();
  const TBookmark b = ds.Bookmark();
  for (ds.First(); !ds.Eof(); ds.Next()) {
    if (!out.empty()) out += ',';
    out += ds.FieldByName(field)->AsString();
  }
  if (ds.BookmarkValid(b)) ds.GotoBookmark(b);
  ds.EnableControls();
  return out;
}

}  // namespace dbtest
