// One client connection of the application server (see ConnectionHandler.h).
#include "server/ConnectionHandler.h"

#include "server/StoreErrors.h"

#include <new>
#include <string>
#include <vector>

#include "net/Messages.h"
#include "net/NetErrors.h"
#include "net/PacketCodec.h"

namespace posserver {
namespace {

constexpr uint32_t kMaxErrorText = 1u << 16;

// --- arguments of the remote methods ---------------------------------------------

[[noreturn]] void BadArgument(const char* method, size_t index, const char* wanted, const Variant& got) {
  throw Exception(std::string(method) + ": argument " + std::to_string(index + 1) + " must be " + wanted +
                  ", not a value of type " + VarTypeAsText(got.VType()));
}

AnsiString StringArg(const char* method, const std::vector<Variant>& args, size_t i) {
  if (!VarIsStr(args[i])) BadArgument(method, i, "a string", args[i]);
  return args[i].AsString();
}

WideString WideArg(const char* method, const std::vector<Variant>& args, size_t i) {
  if (!VarIsStr(args[i])) BadArgument(method, i, "a string", args[i]);
  return args[i].VType() == varOleStr ? args[i].RawWide() : args[i].AsWideString();
}

int IntegerArg(const char* method, const std::vector<Variant>& args, size_t i) {
  if (!VarIsOrdinal(args[i])) BadArgument(method, i, "an integer", args[i]);
  return args[i].AsInteger();
}

// A packed parameter list: Empty, Null or an array.
const Variant& ParamsArg(const char* method, const std::vector<Variant>& args, size_t i) {
  if (!args[i].IsEmpty() && !args[i].IsNull() && !args[i].IsArray())
    BadArgument(method, i, "a packed parameter list", args[i]);
  return args[i];
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

ConnectionHandler::ConnectionHandler(posnet::Socket& socket, const AppSessionFactory& factory,
                                     const ServerOptions& options, ServerLog& log)
    : FSocket(socket), FReceiver(socket), FFactory(factory), FOptions(options), FLog(log), FPeer(socket.PeerName()) {}

ConnectionHandler::~ConnectionHandler() = default;

void ConnectionHandler::Run() noexcept {
  try {
    try {
      if (Greet()) {
        posnet::Frame request;
        while (ReceiveRequest(request)) Serve(request);
      }
    } catch (const EProtocolError& e) {
      // The header was bad: say why, then drop the stream.
      FLog.Info(FPeer, "dropped: " + e.Message());
      SendError(e.Message());
    } catch (const ESocketError& e) {
      FLog.Info(FPeer, "connection lost: " + e.Message());
    }
  } catch (const std::exception& e) {
    FLog.Info(FPeer, std::string("connection ended: ") + e.what());
  } catch (...) {
    FLog.Info(FPeer, "connection ended by an unknown failure");
  }
  try {
    FSession.reset();  // rolls back an open transaction
  } catch (...) {
    FLog.Info(FPeer, "the session did not close cleanly");
  }
  FLog.Info(FPeer, "disconnected");
}

bool ConnectionHandler::ReceiveRequest(posnet::Frame& request) {
  const bool inTransaction = FSession->InTransaction() && FOptions.TransactionIdleMs >= 0;
  int wait = FOptions.IdleTimeoutMs;
  if (inTransaction && (wait < 0 || FOptions.TransactionIdleMs < wait)) wait = FOptions.TransactionIdleMs;
  try {
    return FReceiver.Receive(request, wait, FOptions.FrameTimeoutMs, FOptions.RequestLimits);
  } catch (const ESocketTimeout&) {
    if (!inTransaction || FReceiver.InFrame()) throw;
  }
  DropIdleTransaction();
  return false;
}

void ConnectionHandler::DropIdleTransaction() {
  const std::string text = "The transaction was idle for more than " + std::to_string(FOptions.TransactionIdleMs) +
                           " ms and was rolled back; the connection is closed";
  FLog.Info(FPeer, text);
  try {
    FSession->TransactionController(2);
  } catch (const std::exception& e) {
    FLog.Info(FPeer, std::string("rollback failed: ") + e.what());  // the session's end rolls back
  }
  SendError(text);
}

bool ConnectionHandler::Greet() {
  posnet::Frame hello;
  if (!FReceiver.Receive(hello, FOptions.GreetingTimeoutMs, FOptions.FrameTimeoutMs, FOptions.RequestLimits))
    return false;
  if (hello.Kind != static_cast<uint16_t>(posnet::MessageKind::Hello)) {
    SendError("The connection must begin with a greeting");
    return false;
  }
  posnet::HelloMessage m;
  try {
    m = posnet::ReadHello(hello.Payload);
  } catch (const EProtocolError& e) {
    SendError(e.Message());
    return false;
  }
  const bool nameOk = m.ServerName.empty() || SameName(m.ServerName, kAppServerName);
  const bool guidOk = m.ServerGUID.empty() || SameName(m.ServerGUID, kAppServerGUID);
  if (!nameOk || !guidOk) {
    SendError("Application server '" + (nameOk ? m.ServerGUID : m.ServerName) + "' is not registered on this server");
    return false;
  }
  try {
    FSession = FFactory();
    if (!FSession) throw Exception("No session could be made");
  } catch (const std::exception& e) {
    FLog.Info(FPeer, std::string("no session: ") + e.what());
    SendError(e.what());
    return false;
  }
  posnet::WireWriter welcome = posnet::NewFrame();
  posnet::WriteText(welcome, std::string("posserver ") + kAppServerName);
  Send(posnet::MessageKind::Welcome, welcome);
  FLog.Info(FPeer, "connected");
  return true;
}

void ConnectionHandler::Serve(const posnet::Frame& request) {
  switch (static_cast<posnet::MessageKind>(request.Kind)) {
    case posnet::MessageKind::Call: HandleCall(request); break;
    case posnet::MessageKind::Fetch: HandleFetch(request); break;
    default:
      SendError("Unknown request (message kind " + std::to_string(request.Kind) + ")");
      break;
  }
}

void ConnectionHandler::HandleCall(const posnet::Frame& request) {
  posnet::ResultMessage result;
  posnet::CallMessage call;
  try {
    call = posnet::ReadCall(request.Payload, FOptions.RequestLimits);
    std::vector<Variant> args;
    args.reserve(call.Args.size());
    for (auto& a : call.Args) args.push_back(std::move(a.Value));
    const auto need = [&](size_t n, const char* method) {
      if (args.size() != n)
        throw Exception(std::string(method) + " takes " + std::to_string(n) + " arguments, not " +
                        std::to_string(args.size()));
    };
    const std::string& method = call.Method;
    FLog.Trace(FPeer, "call " + method);
    if (SameName(method, "ConnectDb")) {
      need(2, "ConnectDb");
      const AnsiString computer = StringArg("ConnectDb", args, 0), ip = StringArg("ConnectDb", args, 1);
      FSession->ConnectDb(computer, ip);
      FLog.Info(FPeer, "registered computer '" + computer + "' address '" + ip + "'");
    } else if (SameName(method, "ChangeDb")) {
      need(1, "ChangeDb");
      const AnsiString db = StringArg("ChangeDb", args, 0);
      FSession->ChangeDb(db);
      FLog.Info(FPeer, "database " + db);
    } else if (SameName(method, "ExecuteSQL")) {
      need(1, "ExecuteSQL");
      result.Result = Variant(FSession->ExecuteSQL(WideArg("ExecuteSQL", args, 0)));
    } else if (SameName(method, "OpenSQL")) {
      need(1, "OpenSQL");
      FQueryPacket.reset();
      const WideString sql = WideArg("OpenSQL", args, 0);
      FQueryPacket = std::make_unique<TDataPacket>(FSession->OpenSQL(sql));
    } else if (SameName(method, "ExecuteProc")) {
      need(3, "ExecuteProc");
      const AnsiString name = StringArg("ExecuteProc", args, 0);
      Variant out;
      result.Result = Variant(FSession->ExecuteProc(name, ParamsArg("ExecuteProc", args, 1), out));
      args[2] = std::move(out);
    } else if (SameName(method, "OpenProc")) {
      need(2, "OpenProc");
      FProcPacket.reset();
      const AnsiString name = StringArg("OpenProc", args, 0);
      FProcPacket = std::make_unique<TDataPacket>(FSession->OpenProc(name, ParamsArg("OpenProc", args, 1)));
    } else if (SameName(method, "TransactionController")) {
      need(1, "TransactionController");
      FSession->TransactionController(IntegerArg("TransactionController", args, 0));
    } else {
      throw Exception("Method '" + method + "' not supported by automation object");
    }
    for (size_t i = 0; i < args.size(); ++i)
      if (call.Args[i].ByRef) result.ByRef.push_back(std::move(args[i]));
  } catch (const std::bad_alloc&) {
    SendError("Out of memory while running " + call.Method);
    return;
  } catch (const EReadOnlyDatabase& e) {
    // A store that cannot write is the operator's to mend: every refused write is logged.
    FLog.Info(FPeer, e.what());
    SendError(e.what());
    return;
  } catch (const std::exception& e) {
    FLog.Trace(FPeer, "error: " + std::string(e.what()));
    SendError(e.what());
    return;
  }
  posnet::WireWriter reply = posnet::NewFrame();
  try {
    posnet::WriteResult(reply, result, FOptions.ReplyLimits);
  } catch (const EProtocolError& e) {
    SendError("The result of " + call.Method + " cannot be sent: " + e.Message());
    return;
  }
  Send(posnet::MessageKind::Result, reply);
}

void ConnectionHandler::HandleFetch(const posnet::Frame& request) {
  std::unique_ptr<TDataPacket> packet;
  AnsiString provider;
  try {
    provider = posnet::ReadText(request.Payload, posnet::kMaxNameLength);
  } catch (const EProtocolError& e) {
    SendError(e.Message());
    return;
  }
  if (SameName(provider, kQueryProvider)) {
    packet = std::move(FQueryPacket);
  } else if (SameName(provider, kProcProvider)) {
    packet = std::move(FProcPacket);
  } else {
    SendError("Provider '" + provider + "' does not exist on this server");
    return;
  }
  if (!packet) {
    SendError("No record set has been prepared for provider '" + provider + "'");
    return;
  }
  posnet::WireWriter reply = posnet::NewFrame();
  try {
    posnet::WritePacket(reply, *packet, FOptions.ReplyLimits);
    packet.reset();
    if (reply.Size() - posnet::kHeaderSize > FOptions.ReplyLimits.MaxPayload)
      throw EProtocolError("record set of " + std::to_string(reply.Size()) + " bytes exceeds the limit of " +
                           std::to_string(FOptions.ReplyLimits.MaxPayload) + " bytes");
  } catch (const std::bad_alloc&) {
    SendError("Out of memory while sending the record set");
    return;
  } catch (const EProtocolError& e) {
    SendError("The record set cannot be sent: " + e.Message());
    return;
  }
  Send(posnet::MessageKind::Packet, reply);
}

void ConnectionHandler::SendError(const AnsiString& text) {
  posnet::WireWriter frame = posnet::NewFrame();
  posnet::WriteText(frame, text.size() > kMaxErrorText ? text.substr(0, kMaxErrorText) : text);
  try {
    Send(posnet::MessageKind::Error, frame);
  } catch (const ESocketError&) {
    // The client is gone; Run() notices on its next read.
  }
}

void ConnectionHandler::Send(posnet::MessageKind kind, posnet::WireWriter& frame) {
  posnet::SendFrame(FSocket, kind, frame, FOptions.FrameTimeoutMs, FOptions.ReplyLimits);
}

}  // namespace posserver
