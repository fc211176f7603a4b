// The remote path against SQLite alone, in one run:
//   Inserts:  10,000 ExecuteSQL inserts in one transaction, through the client
//             connection, the wire and the stand-in server, beside the same statement
//             texts run by sqlite3_exec in one transaction on the same file.
//   Query:    one OpenSQL of 100,000 rows with the record set fetched into the client,
//             beside the same query stepped directly into rows of Variants (text
//             converted to GBK, as the server sends it).
// The store is the generator's large store (100,000 goods), made once into the folder
// POS_BENCH_DATA (default: bench-data in the build tree's bench folder) and reused by
// later runs. Times are wall-clock (the server works on its own threads).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "net/SocketConnection.h"
#include "server/DemoStore.h"
#include "server/Listener.h"
#include "server/StoreSession.h"

namespace {

constexpr int kInserts = 10000;
constexpr int kGoods = 100000;
const char* const kInsert =
    "insert into CommonPosPtypeCheckList (CheckCode, PtypeID, ColorID, SizeID, Qty) values (1, '00001', 0, 0, 1)";
const char* const kQuery = "select * from ptype where Sonnum = 0";

std::string DataDir() {
  const char* env = std::getenv("POS_BENCH_DATA");
  const std::string dir = env && *env ? env : POS_BENCH_DEFAULT_DATA;
  if (!std::filesystem::exists(dir + "/" + kDemoStoreDbName + ".db")) {
    std::fprintf(stderr, "bench: making the large store (%d goods) in %s\n", kGoods, dir.c_str());
    MakeDemoStore(dir, {kGoods});
  }
  return dir;
}

class Sqlite {
 public:
  explicit Sqlite(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db_));
    sqlite3_busy_timeout(db_, 5000);
    Exec("PRAGMA journal_mode=WAL");
  }
  ~Sqlite() { sqlite3_close(db_); }
  void Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string text = error ? error : "sqlite error";
      sqlite3_free(error);
      throw std::runtime_error(text);
    }
  }
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// The server in this process and one connected client switched to the store.
struct Remote {
  posserver::ServerLog log{posserver::ServerLog::Quiet};
  std::unique_ptr<posserver::Listener> listener;
  TSocketConnection connection{nullptr};

  explicit Remote(const std::string& dir) {
    posserver::ServerOptions o;
    o.Port = 0;
    listener = std::make_unique<posserver::Listener>(
        o, [dir] { return std::make_unique<posserver::SessionAdapter<StoreSession>>(dir); }, log);
    listener->Start();
    connection.SetAddress("127.0.0.1");
    connection.SetPort(listener->Port());
    connection.SetCallTimeout(120000);
    connection.Open();
    AnsiString db = kDemoStoreDbName;
    connection.AppServer().ChangeDb(db);
  }
};


std::string StorePath() {
  const std::string path = DataDir() + "/" + kDemoStoreDbName + ".db";
  // The bill the inserted lines belong to.
  Sqlite db(path);
  db.Exec("insert or ignore into CommonPosPtypeCheckNdx (CheckCode, KTypeID, PDDate) values (1, '00001', '2024-03-05')");
  return path;
}

void ClearInserted() {
  Sqlite db(StorePath());
  db.Exec("delete from CommonPosPtypeCheckList");
}

void BM_InsertsViaServer(benchmark::State& state) {
  StorePath();
  Remote remote(DataDir());
  WideString sql = Utf8ToWide(kInsert);
  for (auto _ : state) {
    remote.connection.AppServer().TransactionController(0);
    for (int i = 0; i < kInserts; ++i) remote.connection.AppServer().ExecuteSQL(sql);
    remote.connection.AppServer().TransactionController(1);
    state.PauseTiming();
    ClearInserted();
    state.ResumeTiming();
  }
  state.counters["statements/s"] = benchmark::Counter(double(kInserts) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_InsertsDirect(benchmark::State& state) {
  Sqlite db(StorePath());
  for (auto _ : state) {
    db.Exec("BEGIN");
    for (int i = 0; i < kInserts; ++i) db.Exec(kInsert);
    db.Exec("COMMIT");
    state.PauseTiming();
    db.Exec("delete from CommonPosPtypeCheckList");
    state.ResumeTiming();
  }
  state.counters["statements/s"] = benchmark::Counter(double(kInserts) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_QueryViaServer(benchmark::State& state) {
  Remote remote(DataDir());
  WideString sql = Utf8ToWide(kQuery);
  size_t rows = 0;
  for (auto _ : state) {
    remote.connection.AppServer().OpenSQL(sql);
    const TDataPacket p = remote.connection.GetProviderPacket("pv_qry_Open");
    rows = p.Rows.size();
    benchmark::DoNotOptimize(p.Rows.data());
  }
  if (rows != static_cast<size_t>(kGoods)) state.SkipWithError("wrong row count");
  state.counters["rows"] = double(rows);
}

void BM_QueryDirect(benchmark::State& state) {
  Sqlite db(StorePath());
  size_t rows = 0;
  for (auto _ : state) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.get(), kQuery, -1, &st, nullptr) != SQLITE_OK) state.SkipWithError("prepare failed");
    const int columns = sqlite3_column_count(st);
    std::vector<std::vector<Variant>> table;
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::vector<Variant> row;
      row.reserve(static_cast<size_t>(columns));
      for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(st, c)) {
          case SQLITE_INTEGER: row.emplace_back(static_cast<int>(sqlite3_column_int64(st, c))); break;
          case SQLITE_FLOAT: row.emplace_back(sqlite3_column_double(st, c)); break;
          case SQLITE_NULL: row.push_back(Variant::Null()); break;
          default:
            row.emplace_back(Utf8ToGbk(reinterpret_cast<const char*>(sqlite3_column_text(st, c))));
            break;
        }
      }
      table.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    rows = table.size();
    benchmark::DoNotOptimize(table.data());
  }
  if (rows != static_cast<size_t>(kGoods)) state.SkipWithError("wrong row count");
  state.counters["rows"] = double(rows);
}

BENCHMARK(BM_InsertsViaServer)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_InsertsDirect)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_QueryViaServer)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_QueryDirect)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
