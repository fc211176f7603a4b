// The application server's listener (see Listener.h).
#include "server/Listener.h"

#include "net/Messages.h"
#include "net/NetErrors.h"

namespace posserver {

Listener::Listener(ServerOptions options, AppSessionFactory factory, ServerLog& log)
    : FOptions(std::move(options)), FFactory(std::move(factory)), FLog(log) {}

Listener::~Listener() { Stop(); }

void Listener::Start() {
  if (FListen) return;
  FListen = posnet::ListenTcp(FOptions.ListenAddress, FOptions.Port, 64);
  FPort = FListen->Port();
  FStopping = false;
  FAcceptThread = std::thread([this] { AcceptLoop(); });
  FLog.Info("listener", "listening on " + FOptions.ListenAddress + ":" + std::to_string(FPort));
}

void Listener::Stop() {
  if (!FListen) return;
  FStopping = true;
  if (FAcceptThread.joinable()) FAcceptThread.join();
  {
    std::lock_guard<std::mutex> hold(FLock);
    for (auto& c : FConnections) c->Socket->Shutdown();
  }
  Reap(true);
  FListen.reset();
  FLog.Info("listener", "stopped");
}

void Listener::AcceptLoop() {
  while (!FStopping) {
    std::unique_ptr<posnet::Socket> socket;
    try {
      socket = FListen->Accept(200);
    } catch (const std::exception& e) {
      FLog.Info("listener", std::string("accept failed: ") + e.what());
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      continue;
    }
    Reap(false);
    if (!socket) continue;
    ++FAccepted;
    try {
      socket->SetKeepAlive(FOptions.KeepAliveIdleSeconds, FOptions.KeepAliveIntervalSeconds, FOptions.KeepAliveProbes);
    } catch (const std::exception& e) {
      FLog.Info(socket->PeerName(), std::string("no keep-alive: ") + e.what());
    }
    if (WrapAccepted) socket = WrapAccepted(std::move(socket));
    if (FActive.load() >= FOptions.MaxClients) {
      if (FRefusing.load() >= kMaxRefusing) {
        Refuse(*socket, 0);
        continue;
      }
      ++FRefusing;
      if (!StartThread(std::move(socket), [this](posnet::Socket& s) {
            Refuse(s, 500);
            --FRefusing;
          }))
        --FRefusing;
      continue;
    }
    ++FActive;
    if (!StartThread(std::move(socket), [this](posnet::Socket& s) {
          Serve(s);
          --FActive;
        }))
      --FActive;
  }
}

bool Listener::StartThread(std::unique_ptr<posnet::Socket> socket, std::function<void(posnet::Socket&)> work) {
  auto c = std::make_unique<Connection>();
  c->Socket = std::move(socket);
  Connection* raw = c.get();
  std::lock_guard<std::mutex> hold(FLock);
  FConnections.push_back(std::move(c));
  try {
    raw->Thread = std::thread([raw, work = std::move(work)] {
      work(*raw->Socket);
      raw->Done = true;
    });
    return true;
  } catch (const std::system_error& e) {
    // No thread to be had: this client cannot be served now.
    FConnections.pop_back();
    FLog.Info("listener", std::string("cannot start a connection thread: ") + e.what());
    return false;
  }
}

void Listener::Serve(posnet::Socket& socket) {
  ConnectionHandler handler(socket, FFactory, FOptions, FLog);
  handler.Run();
  socket.Shutdown();  // the client hears the end now, not when the thread is reaped
}

void Listener::Reap(bool all) {
  std::list<std::unique_ptr<Connection>> finished;
  {
    std::lock_guard<std::mutex> hold(FLock);
    for (auto it = FConnections.begin(); it != FConnections.end();) {
      if (all || (*it)->Done) {
        finished.push_back(std::move(*it));
        it = FConnections.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& c : finished)
    if (c->Thread.joinable()) c->Thread.join();
}

void Listener::Refuse(posnet::Socket& socket, int greetingWaitMs) {
  FLog.Info(socket.PeerName(), "refused: the server is serving " + std::to_string(FOptions.MaxClients) + " clients");
  // Read the greeting first (briefly), so that closing does not reset the stream
  // before the client has read why.
  try {
    posnet::Frame hello;
    posnet::ReceiveFrame(socket, hello, greetingWaitMs, greetingWaitMs, FOptions.RequestLimits);
  } catch (const std::exception&) {
    // Silent, or gone: it is told all the same.
  }
  try {
    posnet::WireWriter frame = posnet::NewFrame();
    posnet::WriteText(frame, "The application server is busy: it serves at most " + std::to_string(FOptions.MaxClients) +
                                 " clients at once");
    posnet::SendFrame(socket, posnet::MessageKind::Error, frame, greetingWaitMs > 0 ? 1000 : 0);
  } catch (const std::exception&) {
    // The client went away first.
  }
  socket.Shutdown();
}

}  // namespace posserver
