// A scripted application server for client tests (portable: runs natively and under
// Wine): listens on a free loopback port and answers each request frame with what the
// test's handler returns. Connections are served one after the other on one thread.
#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "net/Frame.h"
#include "net/Messages.h"
#include "net/NetErrors.h"
#include "net/Socket.h"

namespace nettest {

class ScriptedServer {
 public:
  // What to do with one request: send the reply (Kind/Payload), say nothing, or drop
  // the connection.
  struct Action {
    enum What { Reply, Silent, Drop } Do = Reply;
    posnet::MessageKind Kind = posnet::MessageKind::Result;
    posnet::WireWriter Payload = posnet::NewFrame();
  };
  using Handler = std::function<Action(const posnet::Frame& request)>;

  static Action Welcome() {
    Action a;
    a.Kind = posnet::MessageKind::Welcome;
    posnet::WriteText(a.Payload, "scripted");
    return a;
  }
  static Action Error(const AnsiString& text) {
    Action a;
    a.Kind = posnet::MessageKind::Error;
    posnet::WriteText(a.Payload, text);
    return a;
  }
  static Action Result(const Variant& v, std::vector<Variant> byRef = {}) {
    Action a;
    posnet::WriteResult(a.Payload, {v, std::move(byRef)}, posnet::WireLimits());
    return a;
  }
  static Action Silent() { Action a; a.Do = Action::Silent; return a; }
  static Action Drop() { Action a; a.Do = Action::Drop; return a; }

  // Greetings are welcomed unless greet says otherwise; other requests go to handler.
  explicit ScriptedServer(Handler handler, Handler greet = [](const posnet::Frame&) { return Welcome(); })
      : handler_(std::move(handler)), greet_(std::move(greet)),
        listen_(posnet::ListenTcp("127.0.0.1", 0, 8)), thread_([this] { Loop(); }) {}

  ~ScriptedServer() {
    stop_ = true;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (current_) current_->Shutdown();
    }
    thread_.join();
  }

  uint16_t Port() const { return listen_->Port(); }
  int Connections() const { return connections_.load(); }
  int Requests() const { return requests_.load(); }

 private:
  void Loop() {
    while (!stop_) {
      std::unique_ptr<posnet::Socket> s;
      try {
        s = listen_->Accept(50);
      } catch (const std::exception&) {
        continue;
      }
      if (!s) continue;
      ++connections_;
      {
        std::lock_guard<std::mutex> hold(lock_);
        current_ = s.get();
      }
      Serve(*s);
      std::lock_guard<std::mutex> hold(lock_);
      current_ = nullptr;
    }
  }

  void Serve(posnet::Socket& s) {
    try {
      posnet::Frame f;
      while (!stop_ && posnet::ReceiveFrame(s, f, -1, 2000)) {
        ++requests_;
        Action a = f.Kind == static_cast<uint16_t>(posnet::MessageKind::Hello) ? greet_(f) : handler_(f);
        if (a.Do == Action::Drop) return;
        if (a.Do == Action::Silent) continue;
        posnet::SendFrame(s, a.Kind, a.Payload, 2000);
      }
    } catch (const std::exception&) {
    }
  }

  Handler handler_, greet_;
  std::unique_ptr<posnet::ListenSocket> listen_;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0}, requests_{0};
  std::mutex lock_;
  posnet::Socket* current_ = nullptr;
  std::thread thread_;
};

}  // namespace nettest
