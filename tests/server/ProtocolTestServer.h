// Test support of the server's network side: a recording fake of the store session and
// a listener on a free loopback port that serves it.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/SocketConnection.h"
#include "server/Listener.h"

namespace protocoltest {

// What every fake session of one test shares: the log of calls, and how many sessions
// live and ended inside a transaction.
struct FakeWorld {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::string> log;
  int created = 0;
  int live = 0;
  int endedInTransaction = 0;

  void Add(const std::string& s) {
    std::lock_guard<std::mutex> hold(lock);
    log.push_back(s);
  }
  std::string Log() {
    std::lock_guard<std::mutex> hold(lock);
    std::string s;
    for (const auto& l : log) s += l + "\n";
    return s;
  }
  // Waits (up to 5 s) until no session lives any more.
  bool WaitAllEnded() {
    std::unique_lock<std::mutex> hold(lock);
    return changed.wait_for(hold, std::chrono::seconds(5), [&] { return live == 0; });
  }
};

class FakeSession {
 public:
  explicit FakeSession(FakeWorld& w) : w_(w) {
    std::lock_guard<std::mutex> hold(w_.lock);
    ++w_.created;
    ++w_.live;
  }
  ~FakeSession() {
    std::lock_guard<std::mutex> hold(w_.lock);
    --w_.live;
    if (inTransaction_) ++w_.endedInTransaction;
    w_.changed.notify_all();
  }
  void ConnectDb(const AnsiString& computer, const AnsiString& ip) { w_.Add("ConnectDb " + computer + " " + ip); }
  void ChangeDb(const AnsiString& db) {
    if (db == "Missing") throw Exception("\xCA\xFD\xBE\xDD\xBF\xE2 Missing \xB2\xBB\xB4\xE6\xD4\xDA");  // 数据库 .. 不存在
    w_.Add("ChangeDb " + db);
  }
  int ExecuteSQL(const WideString& sql) {
    if (sql == u"fail") throw Exception("near \"fail\": syntax error");
    w_.Add("ExecuteSQL " + WideToUtf8(sql));
    return static_cast<int>(sql.size());
  }
  TDataPacket OpenSQL(const WideString& sql) {
    if (sql == u"fail") throw Exception("near \"fail\": syntax error");
    w_.Add("OpenSQL " + WideToUtf8(sql));
    TDataPacket p;
    p.Fields = {{"sql", ftString, 100, 0, false}, {"n", ftInteger, 0, 0, false}};
    const int rows = sql.rfind(u"rows ", 0) == 0 ? std::stoi(WideToUtf8(sql.substr(5))) : 1;
    for (int i = 0; i < rows; ++i) p.Rows.push_back({Variant(WideToGbk(sql)), Variant(i)});
    return p;
  }
  int ExecuteProc(const AnsiString& name, const Variant& in, Variant& out) {
    if (name == "Unknown") throw Exception("Stored procedure 'Unknown' does not exist");
    w_.Add("ExecuteProc " + name);
    out = in;
    return 7;
  }
  TDataPacket OpenProc(const AnsiString& name, const Variant& in) {
    w_.Add("OpenProc " + name);
    TDataPacket p;
    p.Fields = {{"typeid", ftString, 25, 0, false}};
    p.Rows = {{Variant("0001")}};
    p.Params = VarArrayOf({VarArrayOf({Variant("@RETURN_VALUE"), Variant(5), Variant(3), Variant(4), Variant(0),
                                       Variant(0), Variant(0)})});
    return p;
  }
  void TransactionController(int action) {
    if (action < 0 || action > 2) throw Exception("Unknown transaction action " + std::to_string(action));
    w_.Add("TransactionController " + std::to_string(action));
    inTransaction_ = action == 0;
  }
  bool InTransaction() const { return inTransaction_; }

 private:
  FakeWorld& w_;
  bool inTransaction_ = false;
};

// A listener on 127.0.0.1:<free port> serving fake sessions of `world`.
class TestServer {
 public:
  explicit TestServer(FakeWorld& world, posserver::ServerOptions options = Options(),
                      std::function<void(posserver::Listener&)> configure = nullptr)
      : log_(posserver::ServerLog::Quiet),
        listener_(std::move(options),
                  [&world] { return std::make_unique<posserver::SessionAdapter<FakeSession>>(world); }, log_) {
    if (configure) configure(listener_);
    listener_.Start();
  }

  static posserver::ServerOptions Options() {
    posserver::ServerOptions o;
    o.Port = 0;
    o.GreetingTimeoutMs = 2000;
    o.FrameTimeoutMs = 2000;
    return o;
  }

  uint16_t Port() const { return listener_.Port(); }
  posserver::Listener& Listener() { return listener_; }

  std::unique_ptr<TSocketConnection> Client(int callTimeoutMs = 5000) const {
    auto c = std::make_unique<TSocketConnection>(nullptr);
    c->SetServerName("DuduVezEvavav.CoCommonPosServer");
    c->SetServerGUID("{46359509-A19A-4D07-9D00-F7BA83D6ABBE}");
    c->SetAddress("127.0.0.1");
    c->SetPort(Port());
    c->SetConnectTimeout(5000);
    c->SetCallTimeout(callTimeoutMs);
    c->Open();
    return c;
  }

 private:
  posserver::ServerLog log_;
  posserver::Listener listener_;
};

}  // namespace protocoltest
