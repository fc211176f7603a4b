// TSocketConnection and TAppServer (see SocketConnection.h).
#include "net/SocketConnection.h"

#include <cstdlib>
#include <string>

#include "net/Frame.h"
#include "net/Messages.h"
#include "net/Socket.h"

namespace {

constexpr uint32_t kMaxErrorText = 1u << 16;

int DefaultPortFromEnvironment() {
  const char* text = std::getenv(TSocketConnection::PortVariable);
  if (text == nullptr || *text == '\0') return TSocketConnection::DefaultPort;
  int port = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9' || port > 65535) return TSocketConnection::DefaultPort;
    port = port * 10 + (*p - '0');
  }
  return port >= 1 && port <= 65535 ? port : TSocketConnection::DefaultPort;
}

}  // namespace

// --- TAppServer ----------------------------------------------------------------------

Variant TAppServer::Invoke(const AnsiString& Method, std::vector<TRemoteArgument> Args) {
  FConnection.RequireOpen();
  posnet::CallMessage call;
  call.Method = Method;
  size_t byRef = 0;
  for (const TRemoteArgument& a : Args) {
    call.Args.push_back({a.Value, a.Target != nullptr});
    if (a.Target) ++byRef;
  }
  posnet::WireWriter request = posnet::NewFrame();
  posnet::WriteCall(request, call, posnet::WireLimits());
  posnet::Frame reply;
  FConnection.Exchange(posnet::MessageKind::Call, request, reply);
  if (reply.Kind != static_cast<uint16_t>(posnet::MessageKind::Result)) {
    FConnection.Close();
    throw EProtocolError("The server answered " + Method + " with a message of kind " + std::to_string(reply.Kind));
  }
  posnet::ResultMessage result;
  try {
    result = posnet::ReadResult(reply.Payload, posnet::WireLimits());
  } catch (const EProtocolError&) {
    FConnection.Close();
    throw;
  }
  if (result.ByRef.size() != byRef) {
    FConnection.Close();
    throw EProtocolError("The server returned " + std::to_string(result.ByRef.size()) + " by-reference values for " +
                         std::to_string(byRef) + " in " + Method);
  }
  size_t i = 0;
  for (const TRemoteArgument& a : Args)
    if (a.Target) *a.Target = std::move(result.ByRef[i++]);
  return result.Result;
}

Variant TAppServer::ConnectDb(const AnsiString& ComputerName, const AnsiString& LocalAddress) {
  return Invoke("ConnectDb", {Variant(ComputerName), Variant(LocalAddress)});
}

Variant TAppServer::ChangeDb(AnsiString& DbName) {
  Variant name(DbName);
  Variant r = Invoke("ChangeDb", {TRemoteArgument::ByRef(name)});
  DbName = name.AsString();
  return r;
}

Variant TAppServer::ExecuteProc(AnsiString& ProcName, Variant& Params, Variant& OutParams) {
  Variant name(ProcName), in(Params), out(OutParams);
  Variant r = Invoke("ExecuteProc", {TRemoteArgument::ByRef(name), TRemoteArgument::ByRef(in), TRemoteArgument::ByRef(out)});
  const AnsiString newName = name.AsString();  // may raise: convert before changing anything
  ProcName = newName;
  Params = std::move(in);
  OutParams = std::move(out);
  return r;
}

Variant TAppServer::OpenProc(AnsiString& ProcName, Variant& Params) {
  Variant name(ProcName), in(Params);
  Variant r = Invoke("OpenProc", {TRemoteArgument::ByRef(name), TRemoteArgument::ByRef(in)});
  const AnsiString newName = name.AsString();
  ProcName = newName;
  Params = std::move(in);
  return r;
}

Variant TAppServer::ExecuteSQL(WideString& SQL) {
  Variant text(SQL);
  Variant r = Invoke("ExecuteSQL", {TRemoteArgument::ByRef(text)});
  SQL = text.AsWideString();
  return r;
}

Variant TAppServer::OpenSQL(WideString& SQL) {
  Variant text(SQL);
  Variant r = Invoke("OpenSQL", {TRemoteArgument::ByRef(text)});
  SQL = text.AsWideString();
  return r;
}

Variant TAppServer::TransactionController(int Action) { return Invoke("TransactionController", {Variant(Action)}); }

// --- TSocketConnection ---------------------------------------------------------------

TSocketConnection::TSocketConnection(TComponent* AOwner)
    : TCustomRemoteServer(AOwner), FPort(DefaultPortFromEnvironment()), FAppServer(*this) {}

TSocketConnection::~TSocketConnection() { Close(); }

void TSocketConnection::SetAddress(const AnsiString& Value) {
  if (Value == FAddress) return;  // at most one of Address and Host is ever set
  Close();
  if (!Value.empty()) FHost.clear();
  FAddress = Value;
}

void TSocketConnection::SetHost(const AnsiString& Value) {
  if (Value == FHost) return;
  Close();
  if (!Value.empty()) FAddress.clear();
  FHost = Value;
}

void TSocketConnection::SetPort(int Value) {
  if (Value == FPort) return;
  Close();
  FPort = Value;
}

void TSocketConnection::SetConnected(bool Value) {
  if (Value) Open(); else Close();
}

void TSocketConnection::SetSocketFactory(SocketFactory factory) { FSocketFactory = std::move(factory); }

void TSocketConnection::Open() {
  if (Connected()) return;
  if (FPort < 1 || FPort > 65535) throw ESocketError("Port " + std::to_string(FPort) + " is not a valid port number");
  std::string address = FAddress;
  if (address.empty()) {
    if (FHost.empty()) throw ESocketError("No address or host name of the application server is set");
    address = posnet::ResolveHost(FHost);
  }
  std::unique_ptr<posnet::Socket> socket =
      FSocketFactory ? FSocketFactory(address, static_cast<uint16_t>(FPort), FConnectTimeout)
                     : posnet::ConnectTcp(address, static_cast<uint16_t>(FPort), FConnectTimeout);
  if (!socket) throw ESocketError("Cannot connect to " + address + ":" + std::to_string(FPort));

  posnet::WireWriter hello = posnet::NewFrame();
  posnet::WriteHello(hello, {FServerName, FServerGUID});
  posnet::SendFrame(*socket, posnet::MessageKind::Hello, hello, FConnectTimeout);
  posnet::Frame reply;
  if (!posnet::ReceiveFrame(*socket, reply, FConnectTimeout, FConnectTimeout))
    throw ESocketError("The server at " + address + ":" + std::to_string(FPort) + " closed the connection at once");
  if (reply.Kind == static_cast<uint16_t>(posnet::MessageKind::Error))
    throw EAppServerError(posnet::ReadText(reply.Payload, kMaxErrorText));
  if (reply.Kind != static_cast<uint16_t>(posnet::MessageKind::Welcome))
    throw EProtocolError("The server at " + address + ":" + std::to_string(FPort) + " did not greet as an application server");
  posnet::ReadText(reply.Payload, posnet::kMaxNameLength);
  auto receiver = std::make_unique<posnet::FrameReceiver>(*socket);
  FSocket = std::move(socket);  // the only change of state, after everything succeeded
  FReceiver = std::move(receiver);
}

void TSocketConnection::Close() {
  FReceiver.reset();
  FSocket.reset();
}

void TSocketConnection::RequireOpen() const {
  if (!Connected()) throw ESocketError("The connection to the application server is not open");
}

void TSocketConnection::Exchange(posnet::MessageKind kind, posnet::WireWriter& request, posnet::Frame& reply) {
  RequireOpen();
  try {
    posnet::SendFrame(*FSocket, kind, request, FCallTimeout);
    if (!FReceiver->Receive(reply, FCallTimeout, FCallTimeout))
      throw ESocketError("The application server closed the connection [" + FSocket->PeerName() + "]");
  } catch (const ESocketError&) {
    Close();
    throw;
  } catch (const EProtocolError&) {
    Close();
    throw;
  }
  if (reply.Kind == static_cast<uint16_t>(posnet::MessageKind::Error)) {
    AnsiString text;
    try {
      text = posnet::ReadText(reply.Payload, kMaxErrorText);
    } catch (const EProtocolError&) {
      Close();
      throw;
    }
    throw EAppServerError(text);
  }
}

TDataPacket TSocketConnection::GetProviderPacket(const AnsiString& ProviderName) {
  RequireOpen();
  posnet::WireWriter request = posnet::NewFrame();
  posnet::WriteText(request, ProviderName);
  posnet::Frame reply;
  Exchange(posnet::MessageKind::Fetch, request, reply);
  try {
    if (reply.Kind != static_cast<uint16_t>(posnet::MessageKind::Packet))
      throw EProtocolError("The server answered the fetch of " + ProviderName + " with a message of kind " +
                           std::to_string(reply.Kind));
    return posnet::ReadPacketMessage(reply.Payload, posnet::WireLimits());
  } catch (const EProtocolError&) {
    Close();
    throw;
  }
}
