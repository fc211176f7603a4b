// Test helpers of the network layer: a socket wrapper that injects faults at the n-th
// socket call, and an in-memory socket pair.
#pragma once
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "net/NetErrors.h"
#include "net/Socket.h"

namespace nettest {

// What happens at the socket call number FailAt (counting Send and Receive together,
// from 1): the call raises (Raise), the stream ends (EndOfStream: Receive returns 0,
// Send raises a reset), or nothing (None). MaxChunk > 0 makes every Receive return at
// most that many bytes and every Send go out in pieces of that size: the callers must
// loop correctly.
struct FaultPlan {
  enum Kind { None, Raise, EndOfStream } What = None;
  int FailAt = 0;
  size_t MaxChunk = 0;
};

class FaultySocket final : public posnet::Socket {
 public:
  FaultySocket(std::unique_ptr<posnet::Socket> inner, FaultPlan plan) : inner_(std::move(inner)), plan_(plan) {}

  void Send(const void* data, size_t n, int timeoutMs) override {
    Step("send");
    if (plan_.MaxChunk == 0) return inner_->Send(data, n, timeoutMs);
    auto p = static_cast<const char*>(data);
    while (n > 0) {
      const size_t k = std::min(n, plan_.MaxChunk);
      inner_->Send(p, k, timeoutMs);
      p += k;
      n -= k;
    }
  }

  size_t Receive(void* data, size_t n, int timeoutMs) override {
    if (Step("recv")) return 0;
    return inner_->Receive(data, plan_.MaxChunk ? std::min(n, plan_.MaxChunk) : n, timeoutMs);
  }

  void Shutdown() override { inner_->Shutdown(); }
  std::string PeerName() const override { return inner_->PeerName(); }
  int Calls() const { return calls_; }

 private:
  // True when this call must report the end of the stream.
  bool Step(const char* api) {
    const int call = ++calls_;
    if (failed_ || (plan_.What != FaultPlan::None && call >= plan_.FailAt)) {
      failed_ = true;
      if (plan_.What == FaultPlan::Raise || std::strcmp(api, "send") == 0) {
        inner_->Shutdown();
        throw ESocketError(std::string("injected fault in ") + api);
      }
      return true;
    }
    return false;
  }
  std::unique_ptr<posnet::Socket> inner_;
  FaultPlan plan_;
  std::atomic<int> calls_{0};
  bool failed_ = false;
};

// One end of an in-memory stream pair: what one end sends, the other receives. Receive
// honours its time-out; Shutdown ends the stream for both.
class MemorySocket final : public posnet::Socket {
 public:
  struct Pipe {
    std::mutex lock;
    std::condition_variable ready;
    std::deque<char> bytes;
    bool closed = false;
  };
  MemorySocket(std::shared_ptr<Pipe> in, std::shared_ptr<Pipe> out) : in_(std::move(in)), out_(std::move(out)) {}
  ~MemorySocket() override { Shutdown(); }

  static std::pair<std::unique_ptr<MemorySocket>, std::unique_ptr<MemorySocket>> MakePair() {
    auto a = std::make_shared<Pipe>(), b = std::make_shared<Pipe>();
    return {std::make_unique<MemorySocket>(a, b), std::make_unique<MemorySocket>(b, a)};
  }

  void Send(const void* data, size_t n, int) override {
    std::lock_guard<std::mutex> hold(out_->lock);
    if (out_->closed) throw ESocketError("memory socket closed");
    auto p = static_cast<const char*>(data);
    out_->bytes.insert(out_->bytes.end(), p, p + n);
    out_->ready.notify_all();
  }

  size_t Receive(void* data, size_t n, int timeoutMs) override {
    std::unique_lock<std::mutex> hold(in_->lock);
    auto ready = [&] { return !in_->bytes.empty() || in_->closed; };
    if (timeoutMs < 0) {
      in_->ready.wait(hold, ready);
    } else if (!in_->ready.wait_for(hold, std::chrono::milliseconds(timeoutMs), ready)) {
      throw ESocketTimeout("Socket time-out: no answer within " + std::to_string(timeoutMs) + " ms [memory]");
    }
    const size_t k = std::min(n, in_->bytes.size());
    std::copy_n(in_->bytes.begin(), k, static_cast<char*>(data));
    in_->bytes.erase(in_->bytes.begin(), in_->bytes.begin() + static_cast<std::ptrdiff_t>(k));
    return k;
  }

  void Shutdown() override {
    for (auto& p : {in_, out_}) {
      std::lock_guard<std::mutex> hold(p->lock);
      p->closed = true;
      p->ready.notify_all();
    }
  }
  std::string PeerName() const override { return "memory"; }

 private:
  std::shared_ptr<Pipe> in_, out_;
};

}  // namespace nettest
