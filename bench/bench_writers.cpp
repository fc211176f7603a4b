// Many tills writing at once through the stand-in server, in one run:
//   Writers/32: 32 clients, each with its own connection, issue 200 VIP cards each as
//               the enrollment screen does: begin, the card procedure, the password
//               update, commit. Every transaction is timed from its begin to the
//               commit's reply.
//   Writers/1:  the same transactions from one client alone: the plain baseline of one
//               transaction without anyone to wait for.
// Counters: p50_ms, p99_ms, max_ms of the transactions, errors (calls that failed), and
// lost (cards acknowledged but not in the database afterwards, or there unasked).
// The store is a small demo store made fresh for each case in the build tree's bench
// folder (POS_BENCH_DATA replaces it); the server listens on 127.0.0.1 only. Each client
// runs a fixed number of transactions, so the run is bounded.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/SocketConnection.h"
#include "rtl/DateTime.h"
#include "server/DemoStore.h"
#include "server/Listener.h"
#include "server/ParamPacking.h"
#include "server/StoreSession.h"

namespace {

constexpr int kCardsPerClient = 200;

std::string FreshStore(int clients) {
  const char* env = std::getenv("POS_BENCH_DATA");
  const std::string dir =
      std::string(env && *env ? env : POS_BENCH_DEFAULT_DATA) + "/writers-" + std::to_string(clients);
  std::filesystem::remove_all(dir);
  MakeDemoStore(dir, {300});
  return dir;
}

// The enrollment screen's thirty parameters of the card procedure.
Variant CardParams(const std::string& code) {
  const Variant zero(static_cast<unsigned char>(0));
  const Variant empty{AnsiString()};
  const std::pair<const char*, Variant> params[] = {
      {"@OperatorID", Variant(AnsiString("00001"))}, {"@Action", Variant(AnsiString("Add"))},
      {"@VipCardId", zero}, {"@VipCardCode", Variant(AnsiString(code))},
      {"@Bname", Variant(AnsiString("Bench"))}, {"@pycode", empty},
      {"@CreateDate", Variant::FromDate(EncodeDate(2024, 3, 5))},
      {"@EndDate", Variant::FromDate(EncodeDate(2099, 1, 1))}, {"@EtypeId", Variant(AnsiString("00003"))},
      {"@Cardset", Variant(AnsiString("001"))}, {"@Bsex", empty},
      {"@Bbirthday", Variant::FromDate(EncodeDate(1990, 6, 1))}, {"@Btel", Variant(AnsiString("13912345678"))},
      {"@Baddr", empty}, {"@Bpostcode", empty}, {"@Btrade", empty}, {"@BIDcard", empty},
      {"@VipStatus", zero}, {"@Comment", empty}, {"@BeginMoney", zero}, {"@BeginCent", zero},
      {"@IsCz", empty}, {"@qccz", zero}, {"@RATypeID", empty}, {"@BTypeID", empty}, {"@CarType", zero},
      {"@CarWashPrice", zero}, {"@IsWashTimes", empty}, {"@CanWashTimes00", zero}, {"@CanWashTimes", zero}};
  std::vector<store::PackedParam> list;
  for (const auto& [name, value] : params) {
    store::PackedParam p;
    p.Name = name;
    p.Value = value;
    p.DataType = value.VType() == varString ? ftString : value.VType() == varDate ? ftDateTime : ftWord;
    list.push_back(p);
  }
  return store::PackParams(list);
}

struct ClientRun {
  std::vector<double> Millis;  // of each acknowledged transaction
  std::vector<std::string> Issued;
  int Errors = 0;
};

void RunClient(uint16_t port, int client, ClientRun& out) {
  TSocketConnection c(nullptr);
  c.SetAddress("127.0.0.1");
  c.SetPort(port);
  c.SetCallTimeout(30000);
  try {
    c.Open();
    AnsiString db = kDemoStoreDbName;
    c.AppServer().ChangeDb(db);
  } catch (const std::exception&) {
    out.Errors += kCardsPerClient;
    return;
  }
  for (int i = 0; i < kCardsPerClient; ++i) {
    const std::string code = "W" + std::to_string(client) + "-" + std::to_string(i);
    AnsiString proc = "[QP_nInsertVipCardSign]";
    Variant in = CardParams(code), outParams;
    WideString sql = Utf8ToWide("update nVipCardSign set pWord='" + std::to_string(1000 + i) +
                                "'where VipCardCode='" + code + "'");
    const auto t0 = std::chrono::steady_clock::now();
    try {
      c.AppServer().TransactionController(0);
      const int id = c.AppServer().ExecuteProc(proc, in, outParams).AsInteger();
      if (id <= 0) throw Exception("card not issued");
      c.AppServer().ExecuteSQL(sql);
      c.AppServer().TransactionController(1);
    } catch (const std::exception&) {
      ++out.Errors;
      try {
        if (c.Connected()) c.AppServer().TransactionController(2);
      } catch (const std::exception&) {
      }
      continue;
    }
    out.Millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    out.Issued.push_back(code);
  }
}

int CardsInStore(const std::string& dir) {
  sqlite3* db = nullptr;
  sqlite3_open_v2((dir + "/" + kDemoStoreDbName + ".db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "select count(*) from nVipCardSign where VipCardCode like 'W%' and pWord <> ''", -1, &st,
                     nullptr);
  const int n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
  sqlite3_finalize(st);
  sqlite3_close(db);
  return n;
}

double Percentile(std::vector<double>& v, double p) {
  if (v.empty()) return 0;
  const size_t k = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())));
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
  return v[k];
}

void BM_Writers(benchmark::State& state) {
  const int clients = static_cast<int>(state.range(0));
  const std::string dir = FreshStore(clients);
  posserver::ServerLog log{posserver::ServerLog::Quiet};
  posserver::ServerOptions o;
  o.Port = 0;
  posserver::Listener listener(
      o, [dir] { return std::make_unique<posserver::SessionAdapter<StoreSession>>(dir); }, log);
  listener.Start();
  std::vector<ClientRun> runs(static_cast<size_t>(clients));
  for (auto _ : state) {
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i)
      threads.emplace_back(RunClient, listener.Port(), i, std::ref(runs[static_cast<size_t>(i)]));
    for (auto& t : threads) t.join();
  }
  listener.Stop();
  std::vector<double> all;
  int errors = 0;
  size_t issued = 0;
  for (auto& r : runs) {
    all.insert(all.end(), r.Millis.begin(), r.Millis.end());
    errors += r.Errors;
    issued += r.Issued.size();
  }
  const double p50 = Percentile(all, 0.50), p99 = Percentile(all, 0.99);
  const double worst = all.empty() ? 0 : *std::max_element(all.begin(), all.end());
  state.counters["p50_ms"] = p50;
  state.counters["p99_ms"] = p99;
  state.counters["max_ms"] = worst;
  state.counters["errors"] = errors;
  state.counters["lost"] = std::abs(static_cast<double>(CardsInStore(dir)) - static_cast<double>(issued));
  state.counters["transactions"] = static_cast<double>(issued);
}

BENCHMARK(BM_Writers)->Arg(1)->Arg(32)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
