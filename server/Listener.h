// The application server's listener: accepts connections and serves each on a thread
// of its own (ConnectionHandler), up to ServerOptions::MaxClients at once; one more is
// told that the server is busy and dropped. A failure of one connection never touches
// another. The accepting thread never waits for a client: greetings are read on the
// connection's thread, and refusals are told on threads of their own (at most
// kMaxRefusing at once; beyond that a refused client is told at once and dropped), so a
// crowd of silent connections cannot delay the admission or refusal of anyone else.
// Every accepted connection gets TCP keep-alive (ServerOptions).
//
// Stop() (also run by the destructor) stops accepting, shuts every connection down,
// waits for their threads and so destroys every session (open transactions roll back).
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "net/Socket.h"
#include "server/AppSession.h"
#include "server/ConnectionHandler.h"
#include "server/ServerLog.h"

namespace posserver {

class Listener {
 public:
  Listener(ServerOptions options, AppSessionFactory factory, ServerLog& log);
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Binds and starts accepting. Raises ESocketError when the address cannot be bound.
  void Start();
  void Stop();
  // The port bound (the one asked for, or the one chosen for port 0).
  uint16_t Port() const { return FPort; }
  static constexpr int kMaxRefusing = 64;
  int ActiveConnections() const { return FActive.load(); }
  uint64_t AcceptedConnections() const { return FAccepted.load(); }

  // Test seam: wraps every accepted socket (fault injection).
  std::function<std::unique_ptr<posnet::Socket>(std::unique_ptr<posnet::Socket>)> WrapAccepted;

 private:
  struct Connection {
    std::unique_ptr<posnet::Socket> Socket;
    std::thread Thread;
    std::atomic<bool> Done{false};
  };
  void AcceptLoop();
  void Reap(bool all);
  // Serves a connection on a thread of its own; false when no thread could be had.
  bool StartThread(std::unique_ptr<posnet::Socket> socket, std::function<void(posnet::Socket&)> work);
  void Serve(posnet::Socket& socket);
  // Tells a client that the server is full, after reading its greeting if it comes
  // within greetingWaitMs.
  void Refuse(posnet::Socket& socket, int greetingWaitMs);

  const ServerOptions FOptions;
  const AppSessionFactory FFactory;
  ServerLog& FLog;
  std::unique_ptr<posnet::ListenSocket> FListen;
  uint16_t FPort = 0;
  std::thread FAcceptThread;
  std::atomic<bool> FStopping{false};
  std::atomic<int> FActive{0};
  std::atomic<int> FRefusing{0};
  std::atomic<uint64_t> FAccepted{0};
  std::mutex FLock;  // guards FConnections
  std::list<std::unique_ptr<Connection>> FConnections;
};

}  // namespace posserver
