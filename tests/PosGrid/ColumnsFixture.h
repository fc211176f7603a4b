// A window-free grid for the column model's tests: a client dataset of goods (ID, NAME,
// QTY, PRICE), a data controller, the grid's data link and its column collection, and a
// log of what the columns asked the grid to do.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "VCLSource/source/PosGrid/ukvDbGridsColumns.h"
#include "VCLSource/source/PosGrid/ukvDbGridsLink.h"
#include "VCLSource/source/PosGrid/ukvExpressionCalculator.h"
#include "db/ClientDataSet.h"
#include "db/DataLink.h"

namespace kwtest {

struct Goods {
  int Id;
  const char* Name;
  double Qty;
  double Price;
};

inline TDataPacket GoodsPacket(const std::vector<Goods>& rows) {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 20}, {"QTY", ftFloat, 0}, {"PRICE", ftFloat, 0}};
  for (const Goods& r : rows) p.Rows.push_back({Variant(r.Id), Variant(r.Name), Variant(r.Qty), Variant(r.Price)});
  return p;
}

inline std::vector<Goods> ThreeGoods() { return {{1, "苹果", 2, 1.5}, {2, "梨", 3, 2.25}, {3, "桃", 5, 4}}; }

class FakeGrid : public IkwColumnsGrid {
 public:
  explicit FakeGrid(const std::vector<Goods>& rows = ThreeGoods(), bool open = true) : Link(this) {
    DataSet = std::make_unique<TClientDataSet>(nullptr);
    DataSet->SetData(GoodsPacket(rows));
    if (!open) DataSet->Close();
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(DataSet.get());
    C = std::make_unique<TkvCustomDbDataController>(nullptr);
    Calc = std::make_unique<TkvExprCalculator>(C.get());
    Link.SetDataSource(Source.get());
    Columns = std::make_unique<TkwDBGridColumns>(this, CollectionItemClassOf<TkwColumn>());
  }
  ~FakeGrid() override {
    Columns.reset();
    Link.SetDataSource(nullptr);
    Calc.reset();
    C.reset();
    Source.reset();
    DataSet.reset();
  }
  // Binds the controller to the dataset (after the columns are made).
  void Load() { C->SetDataSource(Source.get()); }

  TkvCustomDbDataController* DataController() override { return C.get(); }
  TkwGridDataLink& DataLink() override { return Link; }
  TkvExprCalculator& ExprCalculator() override { return *Calc; }
  bool IsLoading() override { return Loading; }
  bool ReadOnly() override { return GridReadOnly; }
  bool InBeginUpdate() override { return false; }
  TColor Color() override { return GridColor; }
  int DefaultColWidth() override { return 70; }
  void BeginLayout() override { ++LayoutLocks; }
  void EndLayout() override { --LayoutLocks; }
  void ColumnChanged(TkwColumn* column) override { Log.push_back("changed " + std::string(column->FieldName())); }
  void ColumnsChanged() override { Log.push_back("relaid"); }
  TkwColumn* SelectedColumn() override { return Selected; }
  void MoveSelection(TkwColumn* from, int delta) override {
    Log.push_back("move " + std::to_string(delta) + " from " + std::string(from->FieldName()));
  }
  void GetFooterDisplayText(TkwColumn* column, AnsiString& text) override {
    if (FooterHook) text = "[" + text + "]";
  }
  void DoGetDisplayText(TkwColumn* column, AnsiString& text, int recordIndex) override {}
  void UpdateData() override {
    Log.push_back("update data");
    if (FailUpdate) throw Exception("write failed");
  }
  bool FocusField(TField* field) override {
    Log.push_back("focus " + std::string(field->FieldName()));
    return FocusSucceeds;
  }
  void ShowEditor() override { Log.push_back("show editor"); }
  void EditingChanged() override { Log.push_back("editing changed"); }
  void RecordChanged(TField* field) override { Log.push_back(field ? "record changed field" : "record changed"); }

  std::string TakeLog() {
    std::string s;
    for (const std::string& e : Log) s += (s.empty() ? "" : "; ") + e;
    Log.clear();
    return s;
  }

  std::unique_ptr<TClientDataSet> DataSet;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TkvCustomDbDataController> C;
  std::unique_ptr<TkvExprCalculator> Calc;
  TkwGridDataLink Link;
  std::unique_ptr<TkwDBGridColumns> Columns;
  std::vector<std::string> Log;
  TkwColumn* Selected = nullptr;
  bool Loading = false;
  bool GridReadOnly = false;
  bool FooterHook = false;
  bool FailUpdate = false;
  bool FocusSucceeds = true;
  TColor GridColor = kwcolor::Window;
  int LayoutLocks = 0;
};

}  // namespace kwtest
