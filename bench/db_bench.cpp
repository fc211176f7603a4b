// The client dataset with 1,000,000 records of 8 mixed fields: loading a data packet
// and filtering it with the selection dialog's kind of filter.
#include <benchmark/benchmark.h>

#include "db/ClientDataSet.h"
#include "rtl/DateTime.h"

namespace {

constexpr int kRecords = 1000000;

const TDataPacket& Packet() {
  static const TDataPacket packet = [] {
    TDataPacket p;
    auto col = [](const char* n, TFieldType t, int size = 0) {
      TPacketField f;
      f.Name = n;
      f.DataType = t;
      f.Size = size;
      return f;
    };
    p.Fields = {col("Id", ftInteger),     col("typeid", ftString, 10), col("FullName", ftString, 40),
                col("Stop", ftSmallint),  col("Price", ftFloat),       col("Qty", ftBCD),
                col("BuildDate", ftDateTime), col("Flag", ftBoolean)};
    static const char* const kNames[] = {"纯棉衬衫", "牛仔长裤", "羊毛衫", "运动鞋", "真丝围巾",
                                         "休闲短裤", "格子衬衫", "皮带"};
    p.Rows.reserve(kRecords);
    const TDateTime base = EncodeDate(2024, 1, 1);
    for (int i = 0; i < kRecords; ++i) {
      p.Rows.push_back({Variant(i), Variant("T" + std::to_string(i % 1000)),
                        Variant(AnsiString(kNames[i % 8]) + std::to_string(i)),
                        Variant(static_cast<short>(i % 10 == 0)), Variant(i * 0.25),
                        Variant::FromCurrency(Currency(int64_t(i % 500))),
                        Variant::FromDate(base + i % 365), Variant(i % 2 == 0)});
    }
    return p;
  }();
  return packet;
}

void BM_LoadPacket(benchmark::State& state) {
  Packet();
  for (auto _ : state) {
    TClientDataSet cds(nullptr);
    cds.SetData(Packet());
    benchmark::DoNotOptimize(cds.RecordCount());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_LoadPacket)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FilterStopAndLike(benchmark::State& state) {
  TClientDataSet cds(nullptr);
  cds.SetData(Packet());
  cds.SetFilter("Stop = 0 and FullName like '%衫%'");
  int shown = 0;
  for (auto _ : state) {
    cds.SetFiltered(true);
    shown = cds.RecordCount();
    state.PauseTiming();
    cds.SetFiltered(false);
    state.ResumeTiming();
  }
  state.counters["shown"] = shown;
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_FilterStopAndLike)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LocateLastRecord(benchmark::State& state) {
  TClientDataSet cds(nullptr);
  cds.SetData(Packet());
  for (auto _ : state) {
    cds.First();
    benchmark::DoNotOptimize(cds.Locate("typeid;Id", VarArrayOf({Variant("T999"), Variant(kRecords - 1)}), 0));
  }
}
BENCHMARK(BM_LocateLastRecord)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
