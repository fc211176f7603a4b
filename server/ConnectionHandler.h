// One client connection of the application server: the greeting, then requests and
// their replies until the client leaves, on the connection's own thread.
//
// Invariants:
//   - Every request gets exactly one reply (Result, Packet or Error) while the stream is
//     in step. A payload that does not parse gets an Error reply and the connection
//     goes on (the frame's bounds were intact); a bad header (magic, version, length
//     over the limit) gets an Error reply and the connection is closed, since the
//     stream can no longer be trusted.
//   - Nothing a client sends makes Run() throw or crash; errors of the session are
//     answered with their message.
//   - The session lives from the greeting to the end of Run(); its destruction rolls
//     back an open transaction (a client that drops inside a transaction leaves no
//     trace of it).
//   - A transaction left idle (no request) for longer than TransactionIdleMs is rolled
//     back and the connection dropped, after an Error frame that says why: a till that
//     stays connected but silent inside a transaction cannot hold up the other writers.
//   - A record set prepared by OpenSQL / OpenProc is handed over once, to the next
//     fetch of provider "pv_qry_Open" / "pv_sp_Open"; a failed OpenSQL / OpenProc drops
//     the set its provider held, so a fetch never returns stale rows.
#pragma once
#include <string>

#include "net/Frame.h"
#include "net/Socket.h"
#include "server/AppSession.h"
#include "server/ServerLog.h"

namespace posserver {

// The name and GUID under which this application server answers. A client that asks
// for another server by name or GUID is turned down at the greeting; empty ones pass.
constexpr const char* kAppServerName = "DuduVezEvavav.CoCommonPosServer";
constexpr const char* kAppServerGUID = "{46359509-A19A-4D07-9D00-F7BA83D6ABBE}";
constexpr const char* kQueryProvider = "pv_qry_Open";
constexpr const char* kProcProvider = "pv_sp_Open";

struct ServerOptions {
  std::string ListenAddress = "127.0.0.1";
  uint16_t Port = 211;
  int MaxClients = 64;
  int GreetingTimeoutMs = 10000;  // from accept to the client's greeting
  int IdleTimeoutMs = -1;         // between requests (a terminal may idle for hours)
  int TransactionIdleMs = 30000;  // between requests inside a transaction (negative: no limit)
  int FrameTimeoutMs = 30000;     // for the rest of a frame once it began, and for sends
  // TCP keep-alive of every accepted connection: a peer that vanished without a word is
  // noticed after about idle + interval * probes seconds of silence.
  int KeepAliveIdleSeconds = 30;
  int KeepAliveIntervalSeconds = 5;
  int KeepAliveProbes = 3;
  posnet::WireLimits RequestLimits = posnet::RequestLimits();
  posnet::WireLimits ReplyLimits = posnet::WireLimits();
};

class ConnectionHandler {
 public:
  ConnectionHandler(posnet::Socket& socket, const AppSessionFactory& factory, const ServerOptions& options,
                    ServerLog& log);
  ConnectionHandler(const ConnectionHandler&) = delete;
  ConnectionHandler& operator=(const ConnectionHandler&) = delete;
  ~ConnectionHandler();

  // Serves the connection until the client leaves, the stream breaks or it is shut
  // down from outside. Never throws.
  void Run() noexcept;

 private:
  bool Greet();
  // The next request; false when the connection is to end (the client left, or its
  // transaction stayed idle too long and was rolled back).
  bool ReceiveRequest(posnet::Frame& request);
  void DropIdleTransaction();
  void Serve(const posnet::Frame& request);
  void HandleCall(const posnet::Frame& request);
  void HandleFetch(const posnet::Frame& request);
  void SendError(const AnsiString& text);
  void Send(posnet::MessageKind kind, posnet::WireWriter& frame);

  posnet::Socket& FSocket;
  posnet::FrameReceiver FReceiver;
  const AppSessionFactory& FFactory;
  const ServerOptions& FOptions;
  ServerLog& FLog;
  std::string FPeer;
  std::unique_ptr<AppSession> FSession;
  std::unique_ptr<TDataPacket> FQueryPacket;
  std::unique_ptr<TDataPacket> FProcPacket;
};

}  // namespace posserver
