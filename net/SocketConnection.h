// TSocketConnection: the client's connection to the application server over TCP, and
// TAppServer, the server's remote methods called through it by name.
//
// Target: Address (an IPv4 text) or Host (a name, resolved when the connection opens);
// setting one clears the other. Port: 211 by default; the environment variable
// POS_SERVER_PORT, when it holds a port number 1..65535, replaces that default for
// unprivileged runs (a Port set explicitly always wins). Changing the target of an open
// connection closes it, so that the next Open reaches the new server.
//
// Time-outs: ConnectTimeout (default 5 s) bounds connecting and the greeting;
// CallTimeout (default 15 s) bounds every wait for a reply of a remote call. A dead or
// silent server therefore gives ESocketError within seconds, never a hang.
//
// Failures: ESocketError for the transport (refused, time-out, connection lost) and
// EProtocolError for an answer that does not parse; after either the connection is
// closed (Connected() is false) and stays usable for a new Open. EAppServerError
// carries the server's own message of a failed call; the connection stays open. A call
// that fails leaves its by-reference arguments as they were.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/DataPacket.h"
#include "net/NetErrors.h"
#include "rtl/Classes.h"
#include "rtl/Variant.h"

namespace posnet {
class Socket;
class FrameReceiver;
struct Frame;
class WireWriter;
enum class MessageKind : uint16_t;
}  // namespace posnet

class TSocketConnection;

// One argument of a late-bound call: by value, or by reference to a caller's Variant
// that receives the server's new value when the call succeeds.
struct TRemoteArgument {
  TRemoteArgument(const Variant& value) : Value(value) {}
  static TRemoteArgument ByRef(Variant& target) {
    TRemoteArgument a(target);
    a.Target = &target;
    return a;
  }
  Variant Value;
  Variant* Target = nullptr;
};

// The application server's remote methods (the dispatch interface of the connection).
// Each raises ESocketError when the connection is not open.
class TAppServer {
 public:
  explicit TAppServer(TSocketConnection& connection) : FConnection(connection) {}
  TAppServer(const TAppServer&) = delete;
  TAppServer& operator=(const TAppServer&) = delete;

  // Any remote method by name (matched by the server without regard to case).
  Variant Invoke(const AnsiString& Method, std::vector<TRemoteArgument> Args);

  Variant ConnectDb(const AnsiString& ComputerName, const AnsiString& LocalAddress);
  Variant ChangeDb(AnsiString& DbName);
  // Result: the procedure's return value; OutParams receives the packed output parameters.
  Variant ExecuteProc(AnsiString& ProcName, Variant& Params, Variant& OutParams);
  // Prepares the procedure's record set for the provider "pv_sp_Open".
  Variant OpenProc(AnsiString& ProcName, Variant& Params);
  // Result: the number of rows the statements changed.
  Variant ExecuteSQL(WideString& SQL);
  // Prepares the record set for the provider "pv_qry_Open".
  Variant OpenSQL(WideString& SQL);
  // 0 begin, 1 commit, 2 rollback.
  Variant TransactionController(int Action);

 private:
  TSocketConnection& FConnection;
};

class TSocketConnection : public TCustomRemoteServer {
 public:
  static constexpr int DefaultPort = 211;
  static constexpr const char* PortVariable = "POS_SERVER_PORT";

  explicit TSocketConnection(TComponent* AOwner);
  ~TSocketConnection() override;

  const AnsiString& Address() const { return FAddress; }
  void SetAddress(const AnsiString& Value);
  const AnsiString& Host() const { return FHost; }
  void SetHost(const AnsiString& Value);
  int Port() const { return FPort; }
  void SetPort(int Value);
  const AnsiString& ServerName() const { return FServerName; }
  void SetServerName(const AnsiString& Value) { FServerName = Value; }
  const AnsiString& ServerGUID() const { return FServerGUID; }
  void SetServerGUID(const AnsiString& Value) { FServerGUID = Value; }
  // Kept for the form settings; this connection never delivers server callbacks.
  bool SupportCallbacks() const { return FSupportCallbacks; }
  void SetSupportCallbacks(bool Value) { FSupportCallbacks = Value; }
  int ConnectTimeout() const { return FConnectTimeout; }
  void SetConnectTimeout(int Milliseconds) { FConnectTimeout = Milliseconds; }
  int CallTimeout() const { return FCallTimeout; }
  void SetCallTimeout(int Milliseconds) { FCallTimeout = Milliseconds; }

  bool Connected() const { return FSocket != nullptr; }
  // SetConnected(true) opens, SetConnected(false) closes.
  void SetConnected(bool Value);
  // Connects and greets the server (ServerName, ServerGUID). Does nothing when open.
  // On failure the connection stays closed: ESocketError when no address or host is
  // set, the host is unknown, the server refuses or does not answer in time;
  // EAppServerError when the server turns the greeting down.
  void Open();
  // Drops the connection; the server rolls back the session's open transaction.
  void Close();

  TAppServer& AppServer() { return FAppServer; }

  // The record set prepared by the last OpenSQL ("pv_qry_Open") or OpenProc
  // ("pv_sp_Open"; with the procedure's parameters in Params).
  TDataPacket GetProviderPacket(const AnsiString& ProviderName) override;

  // Test seam: how the connection makes its socket (default: posnet::ConnectTcp).
  using SocketFactory =
      std::function<std::unique_ptr<posnet::Socket>(const std::string& address, uint16_t port, int timeoutMs)>;
  void SetSocketFactory(SocketFactory factory);

 private:
  friend class TAppServer;
  // Sends one request and returns the reply frame; an Error reply raises
  // EAppServerError. Transport and protocol failures close the connection first.
  void Exchange(posnet::MessageKind kind, posnet::WireWriter& request, posnet::Frame& reply);
  void RequireOpen() const;

  AnsiString FAddress;
  AnsiString FHost;
  int FPort;
  AnsiString FServerName;
  AnsiString FServerGUID;
  bool FSupportCallbacks = false;
  int FConnectTimeout = 5000;
  int FCallTimeout = 15000;
  std::unique_ptr<posnet::Socket> FSocket;
  std::unique_ptr<posnet::FrameReceiver> FReceiver;  // reads FSocket's replies
  SocketFactory FSocketFactory;
  TAppServer FAppServer;
};
