// The grid library's value engine against plain C++ doing the same work in one run:
// loading 1,000,000 records of six value types into record storage, sorting them with
// CompareVariants, filtering them with a three-condition criteria, and evaluating a
// formula 1,000,000 times. Each "Plain" benchmark does the same with a std::vector of
// structs and std::stable_sort.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include "VCLSource/source/PosGrid/ukvDataManager.h"
#include "VCLSource/source/PosGrid/ukvExpressions.h"
#include "VCLSource/source/PosGrid/ukvFilter.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

constexpr int kRecords = 1000000;

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
  void Load() {
    Storage.SetRecordCount(kRecords);
    for (int i = 0; i < kRecords; ++i) {
      Storage.SetValue(i, Qty, QtyOf(i));
      Storage.SetValue(i, Name, NameOf(i));
      Storage.SetValue(i, Price, PriceOf(i));
      Storage.SetValue(i, Amount, Variant::FromCurrency(Currency::FromScaled(int64_t(i) * 10000)));
      Storage.SetValue(i, Day, Variant::FromDate(46000.0 + i % 365));
      Storage.SetValue(i, Active, i % 2 == 0);
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
BENCHMARK(BM_Storage_Load)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Plain_Load(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<PlainRow> rows = MakePlain();
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_Plain_Load)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Storage_SortByName(benchmark::State& state) {
  Table& t = Loaded();
  for (auto _ : state) {
    std::vector<int> order(kRecords);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      Variant va, vb;
      t.Storage.GetValue(a, t.Name, va);
      t.Storage.GetValue(b, t.Name, vb);
      return CompareVariants(va, vb) < 0;
    });
    benchmark::DoNotOptimize(order.data());
  }
}
BENCHMARK(BM_Storage_SortByName)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Plain_SortByName(benchmark::State& state) {
  const std::vector<PlainRow>& rows = PlainLoaded();
  for (auto _ : state) {
    std::vector<int> order(kRecords);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rows[a].Name < rows[b].Name; });
    benchmark::DoNotOptimize(order.data());
  }
}
BENCHMARK(BM_Plain_SortByName)->Iterations(1)->Unit(benchmark::kMillisecond);

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
BENCHMARK(BM_Storage_Filter3)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Plain_Filter3(benchmark::State& state) {
  const std::vector<PlainRow>& rows = PlainLoaded();
  for (auto _ : state) {
    int hits = 0;
    for (const PlainRow& r : rows)
      hits += (r.Qty > 500 && r.Name.find('7') != std::string::npos && r.Price >= 10 && r.Price <= 50) ? 1 : 0;
    state.counters["hits"] = hits;
  }
}
BENCHMARK(BM_Plain_Filter3)->Iterations(1)->Unit(benchmark::kMillisecond);

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
BENCHMARK(BM_Formula_IfQtyPrice)->Iterations(1)->Unit(benchmark::kMillisecond);

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
BENCHMARK(BM_Plain_IfQtyPrice)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
