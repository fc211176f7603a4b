// A window-free data-aware grid for the tests of the grid's controller and selection: a
// client dataset of goods (ID, NAME, QTY; NAME and QTY may be Null), the grid's data
// controller, its data link and columns NAME and QTY shown, ID hidden, the selection,
// and the blank-row hook switched by DiscompareBlank.
#pragma once
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "VCLSource/source/PosGrid/ukvDbGridsColumns.h"
#include "VCLSource/source/PosGrid/ukvDbGridsController.h"
#include "VCLSource/source/PosGrid/ukvDbGridsLink.h"
#include "VCLSource/source/PosGrid/ukvDbGridsSelection.h"
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "VCLSource/source/PosGrid/ukvExpressionCalculator.h"
#include "db/ClientDataSet.h"
#include "db/DataLink.h"

namespace kwdbtest {

struct Item {
  int Id;
  Variant Name;
  Variant Qty;
};

inline TDataPacket ItemPacket(const std::vector<Item>& rows) {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 40}, {"QTY", ftFloat, 0}};
  for (const Item& r : rows) p.Rows.push_back({Variant(r.Id), r.Name, r.Qty});
  return p;
}

// Items 1..n named "n<id>" with quantity id.
inline std::vector<Item> Numbered(int n) {
  std::vector<Item> rows;
  for (int i = 1; i <= n; ++i) rows.push_back({i, Variant("n" + std::to_string(i)), Variant(double(i))});
  return rows;
}

template <class Controller = TkwDbGridController>
class Grid : public IkwColumnsGrid, public IkwSelectionGrid {
 public:
  explicit Grid(const std::vector<Item>& rows) : Link(this), Recs(*this) {
    DataSet = std::make_unique<TClientDataSet>(nullptr);
    DataSet->SetData(ItemPacket(rows));
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(DataSet.get());
    C = std::make_unique<Controller>(nullptr);
    Calc = std::make_unique<TkvExprCalculator>(C.get());
    Link.SetDataSource(Source.get());
    Columns = std::make_unique<TkwDBGridColumns>(this, CollectionItemClassOf<TkwColumn>());
    for (const char* n : {"ID", "NAME", "QTY"}) Columns->Add()->SetFieldName(n);
    Col("ID")->SetVisible(false);
    C->SetDataSource(Source.get());
    Recs.SetActive(true);
  }
  ~Grid() override {
    Columns.reset();
    Link.SetDataSource(nullptr);
    Calc.reset();
    C.reset();
    Source.reset();
    DataSet.reset();
  }

  TkwColumn* Col(const char* name) { return Columns->FindColumnByFieldName(name); }
  void SetDiscompareBlank(bool on) {
    DiscompareBlank = on;
    C->SetBlankRowsCompared(on);
  }

  // --- IkwColumnsGrid and IkwSelectionGrid ---------------------------------------------------
  TkvCustomDbDataController* DataController() override { return C.get(); }
  TkwGridDataLink& DataLink() override { return Link; }
  TkvExprCalculator& ExprCalculator() override { return *Calc; }
  int CompareBlankRows(TkwColumn*, int record1, int record2, int) override {
    return DiscompareBlank ? TkwBlankRecords(*C, *Columns).Compare(record1, record2) : INT_MAX;
  }
  int CurrentRecordIndex() override {
    if (CurrentOverride != INT_MIN) return CurrentOverride;
    const int r = C->FocusedRecordIndex();
    return r < 0 ? -1 : r;
  }
  void InvalidateCurrentRow() override { ++Invalidations; }

  // --- renderings --------------------------------------------------------------------------
  std::string IdOfRecord(int record) {
    Variant v;
    C->GetFieldValue(record, Col("ID")->DbField(), v);
    return std::string(VarToStr(v));
  }
  // The IDs of the rows in row order.
  std::string RowIds() {
    std::string s;
    for (int r = 0; r < C->RowCount(); ++r) s += (s.empty() ? "" : " ") + IdOfRecord(C->GetRowRecordIndex(r));
    return s;
  }
  // The IDs of the dataset's records in dataset order.
  std::string DataSetIds() {
    std::string s;
    DataSet->First();
    while (!DataSet->Eof()) {
      s += (s.empty() ? "" : " ") + std::string(VarToStr(DataSet->FieldByName("ID")->Value()));
      DataSet->Next();
    }
    return s;
  }
  // The IDs of the marked records in entry order.
  std::string MarkedIds() {
    std::string s;
    for (int i = 0; i < Recs.Count(); ++i) s += (s.empty() ? "" : " ") + IdOfRecord(Recs.Items(i));
    return s;
  }
  // Marks the rows showing the IDs, in that order.
  void MarkIds(const std::vector<int>& ids) {
    for (int id : ids) {
      for (int r = 0; r < C->RowCount(); ++r) {
        if (IdOfRecord(C->GetRowRecordIndex(r)) == std::to_string(id)) {
          C->FocusRowIndex(r);
          Recs.SetCurrentRowSelected(true);
        }
      }
    }
  }

  std::unique_ptr<TClientDataSet> DataSet;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<Controller> C;
  std::unique_ptr<TkvExprCalculator> Calc;
  TkwGridDataLink Link;
  std::unique_ptr<TkwDBGridColumns> Columns;
  TkwSelectedRecs Recs;
  bool DiscompareBlank = false;
  int CurrentOverride = INT_MIN;
  int Invalidations = 0;
};

}  // namespace kwdbtest
