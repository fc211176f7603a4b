// The grid library's value engine and data controller against plain C++ doing the same
// work in one run: loading 1,000,000 records of six value types into record storage
// (typed values), sorting them in CompareVariants' order (the storage's typed
// comparator), filtering them with a three-condition criteria record by record,
// evaluating a formula 1,000,000 times; and the data controller loading the same
// records from a client dataset, sorting its rows by two fields, filtering them with
// three conditions, computing footer totals and searching a prefix. Each "Plain"
// benchmark does the same with a std::vector of structs, std::stable_sort and
// hand-written loops; BM_<Impl>_<Work> pairs with BM_Plain_<Work>. The benchmarks of
// one iteration report the median and the best of five runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <malloc.h>
#include <cstring>
#include <numeric>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDataManager.h"
#include "VCLSource/source/PosGrid/ukvDataManagerCompare.h"
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSearch.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSummary.h"
#include "db/ClientDataSet.h"
#include "db/DataLink.h"
#include "VCLSource/source/PosGrid/ukvExpressions.h"
#include "VCLSource/source/PosGrid/ukvFilter.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

constexpr int kRecords = 1000000;

// A benchmark of one iteration measures one sample, which the machine's other work
// moves from run to run: those run five times and report the median and the best (min)
// of the five, beside the mean; compare a pair by its medians or by its bests.
void FiveRuns(benchmark::internal::Benchmark* b) {
  b->Repetitions(5)->ReportAggregatesOnly(true)->ComputeStatistics(
      "min", +[](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

struct PlainRow {
  int32_t Qty;
  std::string Name;
  double Price;
  int64_t Amount;  // currency, scaled by 10000
  double Day;
  bool Active;
};

int32_t QtyOf(int i) { return static_cast<int32_t>((int64_t(i) * 7919) % 1000); }
std::string NameOf(int i) { return "item" + std::to_string((int64_t(i) * 104729) % 1000003); }
double PriceOf(int i) { return ((int64_t(i) * 31) % 10000) / 100.0; }

std::vector<PlainRow> MakePlain() {
  std::vector<PlainRow> rows;
  rows.reserve(kRecords);
  for (int i = 0; i < kRecords; ++i)
    rows.push_back({QtyOf(i), NameOf(i), PriceOf(i), int64_t(i) * 10000, 46000.0 + i % 365, i % 2 == 0});
  return rows;
}

struct Table {
  TkvDataStorage Storage;
  TkvValueDef* Qty;
  TkvValueDef* Name;
  TkvValueDef* Price;
  TkvValueDef* Amount;
  TkvValueDef* Day;
  TkvValueDef* Active;
  Table() {
    TkvValueDefs& d = Storage.ValueDefs();
    Qty = d.Add(TkvIntegerValueTypeClass(), true, false, nullptr);
    Name = d.Add(TkvStringValueTypeClass(), true, false, nullptr);
    Price = d.Add(TkvFloatValueTypeClass(), true, false, nullptr);
    Amount = d.Add(TkvCurrencyValueTypeClass(), true, false, nullptr);
    Day = d.Add(TkvDateTimeValueTypeClass(), true, false, nullptr);
    Active = d.Add(TkvBooleanValueTypeClass(), true, false, nullptr);
  }
  // Typed values, as a loader that knows its fields' types fills the storage.
  void Load() {
    Storage.SetRecordCount(kRecords);
    for (int i = 0; i < kRecords; ++i) {
      Storage.SetInteger(i, Qty, QtyOf(i));
      Storage.SetString(i, Name, NameOf(i));
      Storage.SetFloat(i, Price, PriceOf(i));
      Storage.SetCurrency(i, Amount, Currency::FromScaled(int64_t(i) * 10000));
      Storage.SetDateTime(i, Day, 46000.0 + i % 365);
      Storage.SetBoolean(i, Active, i % 2 == 0);
    }
  }
};

Table& Loaded() {
  static Table* t = [] {
    auto* table = new Table;  // lives for the whole run
    table->Load();
    return table;
  }();
  return *t;
}

const std::vector<PlainRow>& PlainLoaded() {
  static const std::vector<PlainRow> rows = MakePlain();
  return rows;
}

void BM_Storage_Load(benchmark::State& state) {
  for (auto _ : state) {
    Table t;
    t.Load();
    benchmark::DoNotOptimize(t.Storage.RecordCount());
  }
}
BENCHMARK(BM_Storage_Load)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

void BM_Plain_Load(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<PlainRow> rows = MakePlain();
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_Plain_Load)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

void BM_Storage_SortByName(benchmark::State& state) {
  Table& t = Loaded();
  for (auto _ : state) {
    std::vector<int> order(kRecords);
    std::iota(order.begin(), order.end(), 0);
    // The library's typed comparator of the field: CompareVariants' order.
    const TkvRecordComparator byName(t.Storage, t.Name);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return byName.Less(a, b); });
    benchmark::DoNotOptimize(order.data());
  }
}
BENCHMARK(BM_Storage_SortByName)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

void BM_Plain_SortByName(benchmark::State& state) {
  const std::vector<PlainRow>& rows = PlainLoaded();
  for (auto _ : state) {
    std::vector<int> order(kRecords);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rows[a].Name < rows[b].Name; });
    benchmark::DoNotOptimize(order.data());
  }
}
BENCHMARK(BM_Plain_SortByName)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

// Criteria over the storage: the record value of a condition's field.
class StorageCriteria : public TkvFilterCriteria {
 public:
  explicit StorageCriteria(Table& t) : FTable(t) {}
  std::unique_ptr<TkvFilterCriteriaItem> CreateItem(TkvFilterCriteriaItemList* parent, TObject* link,
                                                    TkvFilterOperatorKind kind, const Variant& value,
                                                    const AnsiString& displayValue) override;
  Table& FTable;
};

class StorageItem : public TkvFilterCriteriaItem {
 public:
  using TkvFilterCriteriaItem::TkvFilterCriteriaItem;
  void GetDataValue(int recordIndex, Variant& v) override {
    auto* c = static_cast<StorageCriteria*>(GetCriteria());
    c->FTable.Storage.GetValue(recordIndex, static_cast<TkvValueDef*>(Link()), v);
  }
  // The same values where the storage keeps them: records are tested in place.
  bool GetTypedSource(TkvFilterTypedSource& source) override {
    auto* def = static_cast<TkvValueDef*>(Link());
    source.Type = def->ValueType();
    source.Storage = &static_cast<StorageCriteria*>(GetCriteria())->FTable.Storage;
    source.Def = def;
    return true;
  }
};

std::unique_ptr<TkvFilterCriteriaItem> StorageCriteria::CreateItem(TkvFilterCriteriaItemList* parent, TObject* link,
                                                                   TkvFilterOperatorKind kind, const Variant& value,
                                                                   const AnsiString& displayValue) {
  return std::make_unique<StorageItem>(parent, link, kind, value, displayValue);
}

void BM_Storage_Filter3(benchmark::State& state) {
  Table& t = Loaded();
  StorageCriteria c(t);
  c.AddCondition(nullptr, t.Qty, foGreater, 500, "");
  c.AddCondition(nullptr, t.Name, foLike, "%7%", "");
  c.AddCondition(nullptr, t.Price, foBetween, VarArrayOf({10.0, 50.0}), "");
  for (auto _ : state) {
    int hits = 0;
    for (int i = 0; i < kRecords; ++i) hits += c.Evaluate(i) ? 1 : 0;
    state.counters["hits"] = hits;
  }
}
BENCHMARK(BM_Storage_Filter3)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

void BM_Plain_Filter3(benchmark::State& state) {
  const std::vector<PlainRow>& rows = PlainLoaded();
  for (auto _ : state) {
    int hits = 0;
    for (const PlainRow& r : rows)
      hits += (r.Qty > 500 && r.Name.find('7') != std::string::npos && r.Price >= 10 && r.Price <= 50) ? 1 : 0;
    state.counters["hits"] = hits;
  }
}
BENCHMARK(BM_Plain_Filter3)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

// A field node reading the current record's value.
class Reading : public TkvExpression {
 public:
  explicit Reading(const double& v) : FValue(v) {}
  double AsFloat() override { return FValue; }
  TkvExprType ExprType() override { return etFloat; }
 private:
  const double& FValue;
};

void BM_Formula_IfQtyPrice(benchmark::State& state) {
  double qty = 0, price = 0;
  TkvExpressionPtr e = CreateExpression("IF(QTY > 0, QTY * PRICE, 0)",
                                        [&](const AnsiString& id, TkvParameterListPtr&) -> TkvExpressionPtr {
                                          return std::make_unique<Reading>(id == "QTY" ? qty : price);
                                        });
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < kRecords; ++i) {
      qty = QtyOf(i) - 100;
      price = PriceOf(i);
      sum += e->AsFloat();
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_Formula_IfQtyPrice)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

void BM_Plain_IfQtyPrice(benchmark::State& state) {
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < kRecords; ++i) {
      const double qty = QtyOf(i) - 100, price = PriceOf(i);
      sum += qty > 0 ? qty * price : 0;
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_Plain_IfQtyPrice)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

// --- the data controller --------------------------------------------------------------------

std::unique_ptr<TClientDataSet> MakeDataSet() {
  TDataPacket p;
  p.Fields = {{"QTY", ftInteger, 0}, {"NAME", ftString, 20}, {"PRICE", ftFloat, 0},
              {"AMOUNT", ftBCD, 4}, {"DAY", ftDateTime, 0}, {"ACTIVE", ftBoolean, 0}};
  p.Rows.reserve(kRecords);
  for (int i = 0; i < kRecords; ++i)
    p.Rows.push_back({Variant(QtyOf(i)), Variant(NameOf(i)), Variant(PriceOf(i)),
                      Variant::FromCurrency(Currency::FromScaled(int64_t(i) * 10000)), Variant::FromDate(46000.0 + i % 365),
                      Variant(i % 2 == 0)});
  auto ds = std::make_unique<TClientDataSet>(nullptr);
  ds->SetData(p);
  return ds;
}

TClientDataSet& SharedDataSet() {
  static std::unique_ptr<TClientDataSet> ds = MakeDataSet();
  return *ds;
}

// Bytes the heap has handed out (small blocks and mapped ones).
size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// A controller with one field item per column, bound to the shared dataset.
struct Bound {
  TDataSource Source{nullptr};
  TkvCustomDbDataController C{nullptr};
  Bound() {
    for (const char* n : {"QTY", "NAME", "PRICE", "AMOUNT", "DAY", "ACTIVE"}) C.AddField(nullptr, n);
  }
  void Bind() {
    Source.SetDataSet(&SharedDataSet());
    C.SetDataSource(&Source);
  }
  TkvDbField* F(int i) { return C.Fields().Items(i); }
};

Bound& LoadedController() {
  static Bound* b = [] {
    auto* bound = new Bound;  // lives for the whole run
    bound->Bind();
    return bound;
  }();
  return *b;
}

// Heap bytes of the controller's record storage: the record table, the records' blocks,
// texts kept outside their cells and the texts definitions keep once.
size_t StorageBytes(TkvDataStorage& s) {
  size_t n = static_cast<size_t>(s.RecordCount()) * sizeof(void*) + s.RecordBlockBytes();
  for (int d = 0; d < s.ValueDefs().Count(); ++d) n += s.ValueDefs().Items(d)->SharedTexts().HeapBytes();
  for (int i = 0; i < s.RecordCount(); ++i) {
    const TkvRecord* r = s.RecordAt(i);
    if (!r) continue;
    for (size_t c = 0; c < r->CellCount(); ++c)
      n += r->Cells()[c].HeapBytes();
  }
  return n;
}

void BM_Controller_LoadDataSet(benchmark::State& state) {
  SharedDataSet();
  for (auto _ : state) {
    const size_t before = HeapInUse();
    Bound b;
    b.Bind();
    const size_t total = HeapInUse() - before;
    state.counters["bytes_per_record"] = double(total) / kRecords;
    // The part the record storage holds; the rest is the typed column copies, the row
    // lists and the controller's other per-record tables.
    state.counters["storage_bytes_per_record"] = double(StorageBytes(b.C.Storage())) / kRecords;
    benchmark::DoNotOptimize(b.C.GetRecordCount());
  }
}
BENCHMARK(BM_Controller_LoadDataSet)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

void BM_Plain_LoadDataSet(benchmark::State& state) {
  {
    // What the dataset itself holds per record (made once, shared by both benchmarks).
    const size_t before = HeapInUse();
    std::unique_ptr<TClientDataSet> copy = MakeDataSet();
    state.counters["dataset_bytes_per_record"] = double(HeapInUse() - before) / kRecords;
  }
  TClientDataSet& ds = SharedDataSet();
  TField* f[6];
  for (int i = 0; i < 6; ++i) f[i] = ds.Fields()[i];
  for (auto _ : state) {
    const size_t before = HeapInUse();
    std::vector<PlainRow> rows;
    rows.reserve(kRecords);
    ds.DisableControls();
    for (ds.First(); !ds.Eof(); ds.Next())
      rows.push_back({f[0]->AsInteger(), std::string(f[1]->AsString()), f[2]->AsFloat(), f[3]->AsCurrency().Scaled(),
                      f[4]->AsDateTime(), f[5]->AsBoolean()});
    ds.EnableControls();
    state.counters["bytes_per_record"] = double(HeapInUse() - before) / kRecords;
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_Plain_LoadDataSet)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

void BM_Controller_Sort2(benchmark::State& state) {
  Bound& b = LoadedController();
  for (auto _ : state) {
    const size_t before = HeapInUse();
    b.C.BeginUpdate();
    b.C.ClearSorting();
    b.C.ChangeSorting(b.F(1), 1);
    b.C.ChangeSorting(b.F(0), 2);
    b.C.EndUpdate();
    // What sorting keeps (sort keys, row maps) beyond the unsorted controller.
    state.counters["sorted_extra_bytes_per_record"] = (double(HeapInUse()) - double(before)) / kRecords;
    benchmark::DoNotOptimize(b.C.GetRowRecordIndex(0));
  }
  b.C.ClearSorting();
}
BENCHMARK(BM_Controller_Sort2)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

void BM_Plain_Sort2(benchmark::State& state) {
  const std::vector<PlainRow>& rows = PlainLoaded();
  for (auto _ : state) {
    std::vector<int> order(kRecords);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      if (const int c = rows[a].Name.compare(rows[b].Name)) return c < 0;
      return rows[a].Qty > rows[b].Qty;
    });
    benchmark::DoNotOptimize(order.data());
  }
}
BENCHMARK(BM_Plain_Sort2)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

void BM_Controller_FilterRows3(benchmark::State& state) {
  Bound& b = LoadedController();
  TkvDBDataFilterCriteria& f = b.C.Filter();
  for (auto _ : state) {
    f.BeginUpdate();
    f.Clear();
    f.AddCondition(nullptr, b.F(0), foGreater, "500", "");
    f.AddCondition(nullptr, b.F(1), foLike, "%7%", "");
    f.AddCondition(nullptr, b.F(2), foBetween, VarArrayOf({10.0, 50.0}), "");
    f.SetActive(true);
    f.EndUpdate();
    state.counters["rows"] = b.C.RowCount();
  }
  f.Clear();
}
BENCHMARK(BM_Controller_FilterRows3)->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_Plain_FilterRows3(benchmark::State& state) {
  const std::vector<PlainRow>& rows = PlainLoaded();
  for (auto _ : state) {
    std::vector<int> shown;
    shown.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
      const PlainRow& r = rows[static_cast<size_t>(i)];
      if (r.Qty > 500 && r.Name.find('7') != std::string::npos && r.Price >= 10 && r.Price <= 50) shown.push_back(i);
    }
    state.counters["rows"] = static_cast<double>(shown.size());
  }
}
BENCHMARK(BM_Plain_FilterRows3)->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_Controller_Totals(benchmark::State& state) {
  Bound& b = LoadedController();
  TkvSummary* sum = b.F(2)->GetSummary(skSum);
  TkvSummary* mn = b.F(0)->GetSummary(skMin);
  TkvSummary* mx = b.F(2)->GetSummary(skMax);
  for (auto _ : state) {
    b.C.RequestUpdate(false);
    benchmark::DoNotOptimize(sum->Value().AsDouble() + mn->Value().AsDouble() + mx->Value().AsDouble());
  }
  b.F(2)->GetSummary(skNone);
  b.F(0)->GetSummary(skNone);
}
BENCHMARK(BM_Controller_Totals)->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_Plain_Totals(benchmark::State& state) {
  const std::vector<PlainRow>& rows = PlainLoaded();
  std::vector<int> shown(kRecords);
  std::iota(shown.begin(), shown.end(), 0);
  for (auto _ : state) {
    double sum = 0, mx = 0;
    int32_t mn = 0;
    bool first = true;
    for (int i : shown) {
      const PlainRow& r = rows[static_cast<size_t>(i)];
      sum += r.Price;
      if (first || r.Qty < mn) mn = r.Qty;
      if (first || r.Price > mx) mx = r.Price;
      first = false;
    }
    benchmark::DoNotOptimize(sum + mn + mx);
  }
}
BENCHMARK(BM_Plain_Totals)->Iterations(10)->Unit(benchmark::kMillisecond);

// The prefix of the last record's name: the search reads every row before it.
std::string LastPrefix() {
  std::string s = NameOf(kRecords - 1);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

void BM_Controller_SearchPrefix(benchmark::State& state) {
  Bound& b = LoadedController();
  const AnsiString prefix = LastPrefix();
  for (auto _ : state) {
    b.C.FocusRowIndex(0);
    const bool found = b.C.Search().Search(1, prefix);
    state.counters["row"] = found ? b.C.FocusedRowIndex() : -1;
  }
}
BENCHMARK(BM_Controller_SearchPrefix)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

void BM_Plain_SearchPrefix(benchmark::State& state) {
  const std::vector<PlainRow>& rows = PlainLoaded();
  const std::string prefix = LastPrefix();
  for (auto _ : state) {
    int found = -1;
    for (int i = 0; i < kRecords && found < 0; ++i) {
      const std::string& n = rows[static_cast<size_t>(i)].Name;
      if (n.size() < prefix.size()) continue;
      size_t k = 0;
      while (k < prefix.size() && std::toupper(static_cast<unsigned char>(n[k])) == static_cast<unsigned char>(prefix[k])) ++k;
      if (k == prefix.size()) found = i;
    }
    state.counters["row"] = found;
  }
}
BENCHMARK(BM_Plain_SearchPrefix)->Iterations(1)->Apply(FiveRuns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
