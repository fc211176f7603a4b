// The stock-take bill's bulk paths, each beside a plain baseline in the same run:
//   Parse:    reading a terminal file of 10,000 and of 100,000 count lines (split, checks,
//             sort by barcode), beside splitting the same bytes at line ends only.
//   CheckIn:  importing such a file (existence, warehouse look-up, format checks) and
//             checking its counts in onto a bill through the stand-in server; 100,000
//             lines must cost at most 12 times 10,000 (linear).
//   Save:     saving a bill of 10,000 lines (merge, statements, one server transaction),
//             beside the same line inserts run by sqlite3_exec in one transaction.
// Ratios are printed at the end. The store is the generator's large store (100,000 goods),
// made once into POS_BENCH_DATA (default: bench-data in the build tree's bench folder).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <thread>  // also std::chrono (<chrono> itself does not build with GBK literals)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPDCheckIn.h"
#include "app/uPDImportRules.h"
#include "app/uPDSave.h"
#include "app/uPublic.h"
#include "tests/app/PdTestDoubles.h"
#include "server/DemoStore.h"
#include "server/Listener.h"
#include "server/StoreSession.h"

namespace {

constexpr int kGoods = 100000;
constexpr int kSaveLines = 10000;

std::map<std::string, double> gSeconds;  // benchmark name -> seconds per iteration

std::string DataDir() {
  const char* env = std::getenv("POS_BENCH_DATA");
  const std::string dir = env && *env ? env : POS_BENCH_DEFAULT_DATA;
  if (!std::filesystem::exists(dir + "/" + kDemoStoreDbName + ".db")) {
    std::fprintf(stderr, "bench: making the large store (%d goods) in %s\n", kGoods, dir.c_str());
    MakeDemoStore(dir, {kGoods});
  }
  return dir;
}

// The first N goods of warehouse 00001 with their type-1 barcodes.
struct TGoodsRow {
  std::string TypeId, ColorId, SizeId, Barcode;
};
std::vector<TGoodsRow> GoodsRows(int n) {
  sqlite3* db = nullptr;
  sqlite3_open((DataDir() + "/" + kDemoStoreDbName + ".db").c_str(), &db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db,
                     "select PtypeId, ColorId, SizeId, FullBarCode from Barcode where BarTypeId = '1' "
                     "order by FullBarCode limit ?1",
                     -1, &st, nullptr);
  sqlite3_bind_int(st, 1, n);
  std::vector<TGoodsRow> rows;
  while (sqlite3_step(st) == SQLITE_ROW) {
    rows.push_back({reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                    reinterpret_cast<const char*>(sqlite3_column_text(st, 1)),
                    reinterpret_cast<const char*>(sqlite3_column_text(st, 2)),
                    reinterpret_cast<const char*>(sqlite3_column_text(st, 3))});
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  if (static_cast<int>(rows.size()) != n) throw std::runtime_error("the store has too few barcodes");
  return rows;
}

// A terminal file of n count lines (shuffled barcode order: every tenth line first).
std::string TerminalBytes(int n) {
  const std::vector<TGoodsRow> rows = GoodsRows(n);
  std::string bytes = "001~x\r\n";
  for (int start = 0; start < 10; ++start) {
    for (int i = start; i < n; i += 10) bytes += rows[i].Barcode + "~M~皛白T恤~" + std::to_string(i % 7 + 1) + "\r\n";
  }
  return bytes;
}

// The server in this process and the shared data module connected to the store.
struct Remote {
  posserver::ServerLog log{posserver::ServerLog::Quiet};
  std::unique_ptr<posserver::Listener> listener;

  Remote() {
    const std::string dir = DataDir();
    posserver::ServerOptions o;
    o.Port = 0;
    listener = std::make_unique<posserver::Listener>(
        o, [dir] { return std::make_unique<posserver::SessionAdapter<StoreSession>>(dir); }, log);
    listener->Start();
    TfrmDataModule& module = posapp::EnsureDataModule(nullptr);
    module.cnZelvoEnt->SetPort(listener->Port());
    module.cnZelvoEnt->SetCallTimeout(300000);
    if (!posapp::ConnectDataModule(module, "127.0.0.1", kDemoStoreDbName)) throw std::runtime_error("no server");
  }
  ~Remote() { posapp::ReleaseDataModule(1); }
};

void Record(benchmark::State& state, const std::string& name, double seconds) {
  gSeconds[name] = seconds / static_cast<double>(state.iterations());
}

void BM_TerminalParse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string bytes = TerminalBytes(n);
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const auto counts = pdterminal::SortedByBarcode(pdterminal::CountLinesOf(pdterminal::ParseTerminalFile(bytes)));
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (static_cast<int>(counts.size()) != n) state.SkipWithError("wrong count");
  }
  Record(state, "parse/" + std::to_string(n), seconds);
}

void BM_LineSplitBaseline(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string bytes = TerminalBytes(n);
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < bytes.size(); start = end + 2) {
      end = bytes.find("\r\n", start);
      lines.emplace_back(bytes, start, end - start);
    }
    benchmark::DoNotOptimize(lines.data());
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  Record(state, "split/" + std::to_string(n), seconds);
}

void BM_TerminalCheckIn(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string file = (std::filesystem::temp_directory_path() / ("pos-bench-terminal-" + std::to_string(n) + ".txt")).string();
  std::ofstream(file, std::ios::binary) << TerminalBytes(n);
  Remote remote;
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const pdimport::TImportResult r = pdimport::ImportTerminalFile(file, "00001", "00001");
    pdbill::TPdMemorySheet sheet;
    const pdbill::TCheckInResult c = pdbill::CheckInData(sheet, r.Counts, "00001", false);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!r.Ok || c.Lines != n) state.SkipWithError("check-in failed");
  }
  std::filesystem::remove(file);
  Record(state, "checkin/" + std::to_string(n), seconds);
}

// Removes the bills the save benchmarks stored, so that every iteration and every run
// starts from the same tables.
void RemoveBenchBills() {
  sqlite3* db = nullptr;
  sqlite3_open((DataDir() + "/" + kDemoStoreDbName + ".db").c_str(), &db);
  sqlite3_busy_timeout(db, 5000);
  sqlite3_exec(db,
               "delete from CommonPosPtypeCheckList where CheckCode in (select CheckCode from "
               "CommonPosPtypeCheckNdx where UniqueID = 'bench'); "
               "delete from CommonPosPtypeCheckNdx where UniqueID = 'bench'",
               nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

pdbill::TPdMemorySheet BillOf(const std::vector<TGoodsRow>& rows) {
  pdbill::TPdMemorySheet s;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (static_cast<int>(i) >= s.RowCount()) s.AddRow();
    s.SetCell(pdbill::pcGoodsId, static_cast<int>(i), rows[i].TypeId);
    s.SetCell(pdbill::pcColorId, static_cast<int>(i), rows[i].ColorId);
    s.SetCell(pdbill::pcSizeId, static_cast<int>(i), rows[i].SizeId);
    s.SetCell(pdbill::pcQty, static_cast<int>(i), std::to_string(i % 9 + 1));
  }
  return s;
}

void BM_SaveBillViaServer(benchmark::State& state) {
  const std::vector<TGoodsRow> rows = GoodsRows(kSaveLines);
  RemoveBenchBills();
  Remote remote;
  pdbill::TRecordedMessages messages;
  double seconds = 0;
  for (auto _ : state) {
    pdbill::TPdMemorySheet sheet = BillOf(rows);
    pdbill::TPdBillSaver saver({"127.0.0.1", kDemoStoreDbName, "", ""}, messages, 0);
    const auto t0 = std::chrono::steady_clock::now();
    saver.Save(sheet, {"00001", "00001", "2024-03-05", "0001", "bench", "bench"});
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (saver.LocalCheckCode() == 0) state.SkipWithError("save failed");
    RemoveBenchBills();
  }
  Record(state, "save-server", seconds);
}

void BM_SaveBillDirect(benchmark::State& state) {
  const std::vector<TGoodsRow> rows = GoodsRows(kSaveLines);
  RemoveBenchBills();
  sqlite3* db = nullptr;
  sqlite3_open((DataDir() + "/" + kDemoStoreDbName + ".db").c_str(), &db);
  sqlite3_busy_timeout(db, 5000);
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "insert into CommonPosPtypeCheckNdx(KTypeID,OperatorID,PDDate,PosID,IsUpSend,UpLoadPosVchCode,UniqueID,"
                 "PDNumber) values('00001','00001','2024-03-05','0001', 0,0, 'bench','bench')",
                 nullptr, nullptr, nullptr);
    const std::string code = std::to_string(sqlite3_last_insert_rowid(db));
    for (size_t i = 0; i < rows.size(); ++i) {
      const std::string sql =
          "insert into CommonPosPtypeCheckList(CheckCode,PtypeID,ColorID,SizeID,Qty,IsUpSend) values(" + code + ",'" +
          rows[i].TypeId + "'," + rows[i].ColorId + "," + rows[i].SizeId + ", " + std::to_string(i % 9 + 1) + ", 0)";
      if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) state.SkipWithError("insert failed");
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    RemoveBenchBills();
  }
  sqlite3_close(db);
  Record(state, "save-direct", seconds);
}

BENCHMARK(BM_LineSplitBaseline)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TerminalParse)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TerminalCheckIn)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SaveBillDirect)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SaveBillViaServer)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

double Ratio(const char* a, const char* b) {
  return gSeconds.count(a) && gSeconds.count(b) && gSeconds[b] > 0 ? gSeconds[a] / gSeconds[b] : 0;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nparse 100k lines: %.3f s (under 1); 100k / 10k = %.2f; parse / line split at 100k = %.2f\n",
              gSeconds["parse/100000"], Ratio("parse/100000", "parse/10000"), Ratio("parse/100000", "split/100000"));
  std::printf("import and check-in: 100k / 10k = %.2f (at most 12)\n", Ratio("checkin/100000", "checkin/10000"));
  std::printf("save of %d lines: via the server / direct SQLite = %.2f (at most 5)\n", kSaveLines,
              Ratio("save-server", "save-direct"));
  return 0;
}
