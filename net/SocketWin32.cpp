// Winsock implementation of the socket layer (the DLL and the Win32 programs). The
// library is started once with version 1.1, as the platform's socket connection does,
// and released at process exit. Sockets are non-blocking for their whole life; every
// wait goes through select() with the caller's time-out.
#ifdef _WIN32
#include <winsock2.h>
#include <mstcpip.h>

#include <atomic>
#include <mutex>
#include <thread>  // std::chrono clocks: <chrono> itself has a literal that GBK cannot hold

#include "net/NetErrors.h"
#include "net/Socket.h"

namespace posnet {
namespace {

const char* ErrorName(int err) {
  switch (err) {
    case WSAECONNREFUSED: return "connection refused";
    case WSAECONNRESET: return "connection reset by peer";
    case WSAECONNABORTED: return "connection aborted";
    case WSAETIMEDOUT: return "connection timed out";
    case WSAEHOSTUNREACH: return "host unreachable";
    case WSAENETUNREACH: return "network unreachable";
    case WSAEADDRINUSE: return "address already in use";
    case WSAEADDRNOTAVAIL: return "address not available";
    case WSAENOTCONN: return "socket not connected";
    case WSAESHUTDOWN: return "socket shut down";
    case WSAHOST_NOT_FOUND: return "host not found";
    case WSATRY_AGAIN: return "host name lookup failed, try again";
    case WSANO_DATA: return "host has no address";
    case WSANOTINITIALISED: return "socket library not started";
    default: return "socket failure";
  }
}

[[noreturn]] void RaiseWsa(int err, const char* api, const std::string& where) {
  std::string text = "Windows socket error: ";
  text += ErrorName(err);
  text += " (" + std::to_string(err) + "), on API '" + api + "'";
  if (!where.empty()) text += " [" + where + "]";
  throw ESocketError(text);
}

[[noreturn]] void RaiseTimeout(const char* what, int timeoutMs, const std::string& where) {
  throw ESocketTimeout("Socket time-out: no " + std::string(what) + " within " +
                     std::to_string(timeoutMs) + " ms [" + where + "]");
}

struct WinsockLibrary {
  bool started = false;
  WinsockLibrary() {
    WSADATA data;
    started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }
  ~WinsockLibrary() { if (started) WSACleanup(); }
};

// Waits until s is readable (forWrite false) or writable, or until *stop is set; false
// on time-out. A failed non-blocking connect shows up in the exception set, which also
// counts as ready. The wait goes in slices of at most 100 ms: not every Winsock wakes a
// select() of one thread when another shuts the socket down, so the flag is looked at.
bool WaitFor(SOCKET s, bool forWrite, int timeoutMs, const char* api, const std::string& where,
             const std::atomic<bool>* stop = nullptr) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    if (stop && stop->load()) return true;  // the caller's next call reports the shutdown
    long sliceMs = 100;
    if (timeoutMs >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) sliceMs = 0;
      else if (left < sliceMs) sliceMs = static_cast<long>(left);
    }
    fd_set rw, ex;
    FD_ZERO(&rw);
    FD_ZERO(&ex);
    FD_SET(s, &rw);
    FD_SET(s, &ex);
    timeval tv{};
    tv.tv_sec = sliceMs / 1000;
    tv.tv_usec = (sliceMs % 1000) * 1000;
    const int r = ::select(0, forWrite ? nullptr : &rw, forWrite ? &rw : nullptr, &ex, &tv);
    if (r == SOCKET_ERROR) RaiseWsa(WSAGetLastError(), api, where);
    if (r > 0) return true;
    if (timeoutMs >= 0 && Clock::now() >= deadline) return false;
  }
}

std::string NameOf(const sockaddr_in& a) {
  const unsigned long ip = ntohl(a.sin_addr.s_addr);
  return std::to_string((ip >> 24) & 255) + "." + std::to_string((ip >> 16) & 255) + "." +
         std::to_string((ip >> 8) & 255) + "." + std::to_string(ip & 255) + ":" +
         std::to_string(ntohs(a.sin_port));
}

sockaddr_in MakeAddress(const std::string& address, uint16_t port) {
  if (!IsIPv4Address(address)) throw ESocketError("Socket error: '" + address + "' is not an IPv4 address");
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = inet_addr(address.c_str());
  return a;
}

class Handle {
 public:
  explicit Handle(SOCKET s) : s_(s) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { if (s_ != INVALID_SOCKET) ::closesocket(s_); }
  SOCKET get() const { return s_; }
  SOCKET release() { const SOCKET s = s_; s_ = INVALID_SOCKET; return s; }

 private:
  SOCKET s_;
};

void SetNonBlocking(SOCKET s) {
  u_long on = 1;
  ::ioctlsocket(s, FIONBIO, &on);
}

class WinSocket final : public Socket {
 public:
  WinSocket(SOCKET s, std::string peer) : s_(s), peer_(std::move(peer)) {
    SetNonBlocking(s_.get());
    const BOOL one = TRUE;
    ::setsockopt(s_.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  }

  void Send(const void* data, size_t n, int timeoutMs) override {
    auto p = static_cast<const char*>(data);
    // Send at once; wait only when the socket's buffer is full.
    while (n > 0) {
      if (shut_) RaiseWsa(WSAESHUTDOWN, "send", peer_);
      const int chunk = n > (1u << 20) ? (1 << 20) : static_cast<int>(n);
      const int k = ::send(s_.get(), p, chunk, 0);
      if (k == SOCKET_ERROR) {
        const int err = WSAGetLastError();
        if (err == WSAEINTR) continue;
        if (err != WSAEWOULDBLOCK) RaiseWsa(err, "send", peer_);
        if (!WaitFor(s_.get(), true, timeoutMs, "send", peer_, &shut_)) RaiseTimeout("progress sending", timeoutMs, peer_);
        continue;
      }
      p += k;
      n -= static_cast<size_t>(k);
    }
  }

  size_t Receive(void* data, size_t n, int timeoutMs) override {
    const int chunk = n > (1u << 20) ? (1 << 20) : static_cast<int>(n);
    for (;;) {
      if (!WaitFor(s_.get(), false, timeoutMs, "recv", peer_, &shut_)) RaiseTimeout("answer", timeoutMs, peer_);
      if (shut_) return 0;  // shut down here: the stream has ended for this side
      const int k = ::recv(s_.get(), static_cast<char*>(data), chunk, 0);
      if (k != SOCKET_ERROR) return static_cast<size_t>(k);
      const int err = WSAGetLastError();
      if (err == WSAEWOULDBLOCK || err == WSAEINTR) continue;
      RaiseWsa(err, "recv", peer_);
    }
  }

  void Shutdown() override {
    shut_ = true;
    ::shutdown(s_.get(), SD_BOTH);
  }
  std::string PeerName() const override { return peer_; }

  // Windows takes the idle time and the interval; the number of probes is its own.
  void SetKeepAlive(int idleSeconds, int intervalSeconds, int) override {
    tcp_keepalive vals{};
    vals.onoff = 1;
    vals.keepalivetime = static_cast<u_long>(idleSeconds) * 1000;
    vals.keepaliveinterval = static_cast<u_long>(intervalSeconds) * 1000;
    DWORD returned = 0;
    if (::WSAIoctl(s_.get(), SIO_KEEPALIVE_VALS, &vals, sizeof vals, nullptr, 0, &returned, nullptr, nullptr) ==
        SOCKET_ERROR)
      RaiseWsa(WSAGetLastError(), "WSAIoctl", peer_);
  }

 private:
  Handle s_;
  std::string peer_;
  std::atomic<bool> shut_{false};
};

class WinListenSocket final : public ListenSocket {
 public:
  WinListenSocket(SOCKET s, uint16_t port) : s_(s), port_(port) {}

  std::unique_ptr<Socket> Accept(int timeoutMs) override {
    if (!WaitFor(s_.get(), false, timeoutMs, "accept", "listener")) return nullptr;
    sockaddr_in peer{};
    int len = sizeof peer;
    const SOCKET s = ::accept(s_.get(), reinterpret_cast<sockaddr*>(&peer), &len);
    if (s == INVALID_SOCKET) {
      const int err = WSAGetLastError();
      if (err == WSAEWOULDBLOCK || err == WSAECONNRESET || err == WSAEINTR || err == WSAEMFILE || err == WSAENOBUFS)
        return nullptr;
      RaiseWsa(err, "accept", "listener");
    }
    return std::make_unique<WinSocket>(s, NameOf(peer));
  }

  uint16_t Port() const override { return port_; }

 private:
  Handle s_;
  uint16_t port_;
};

}  // namespace

void StartSockets() {
  static WinsockLibrary library;
  if (!library.started) RaiseWsa(WSANOTINITIALISED, "WSAStartup", "");
}

std::unique_ptr<Socket> ConnectTcp(const std::string& address, uint16_t port, int timeoutMs) {
  StartSockets();
  const sockaddr_in a = MakeAddress(address, port);
  const std::string where = NameOf(a);
  Handle s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (s.get() == INVALID_SOCKET) RaiseWsa(WSAGetLastError(), "socket", where);
  SetNonBlocking(s.get());
  if (::connect(s.get(), reinterpret_cast<const sockaddr*>(&a), sizeof a) == SOCKET_ERROR) {
    const int err = WSAGetLastError();
    if (err != WSAEWOULDBLOCK && err != WSAEINPROGRESS) RaiseWsa(err, "connect", where);
    if (!WaitFor(s.get(), true, timeoutMs, "connect", where)) RaiseTimeout("connection", timeoutMs, where);
    int soErr = 0;
    int len = sizeof soErr;
    if (::getsockopt(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soErr), &len) == SOCKET_ERROR)
      RaiseWsa(WSAGetLastError(), "getsockopt", where);
    if (soErr != 0) RaiseWsa(soErr, "connect", where);
  }
  return std::make_unique<WinSocket>(s.release(), where);
}

std::string ResolveHost(const std::string& name) {
  if (IsIPv4Address(name)) return name;
  StartSockets();
  static std::mutex lock;  // gethostbyname's result lives in per-thread storage, but be plain about it
  std::lock_guard<std::mutex> hold(lock);
  const hostent* h = ::gethostbyname(name.c_str());
  if (h == nullptr || h->h_addrtype != AF_INET || h->h_addr_list == nullptr || h->h_addr_list[0] == nullptr) {
    const int err = h == nullptr ? WSAGetLastError() : WSANO_DATA;
    throw ESocketError("Windows socket error: host '" + name + "' not found (" + std::to_string(err) +
                       "), on API 'gethostbyname'");
  }
  sockaddr_in a{};
  a.sin_addr = *reinterpret_cast<const in_addr*>(h->h_addr_list[0]);
  const std::string full = NameOf(a);
  return full.substr(0, full.rfind(':'));
}

std::unique_ptr<ListenSocket> ListenTcp(const std::string& address, uint16_t port, int backlog) {
  StartSockets();
  const sockaddr_in a = MakeAddress(address, port);
  const std::string where = NameOf(a);
  Handle s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (s.get() == INVALID_SOCKET) RaiseWsa(WSAGetLastError(), "socket", where);
  if (::bind(s.get(), reinterpret_cast<const sockaddr*>(&a), sizeof a) == SOCKET_ERROR)
    RaiseWsa(WSAGetLastError(), "bind", where);
  if (::listen(s.get(), backlog) == SOCKET_ERROR) RaiseWsa(WSAGetLastError(), "listen", where);
  sockaddr_in bound{};
  int len = sizeof bound;
  ::getsockname(s.get(), reinterpret_cast<sockaddr*>(&bound), &len);
  SetNonBlocking(s.get());
  return std::make_unique<WinListenSocket>(s.release(), ntohs(bound.sin_port));
}

}  // namespace posnet
#endif  // _WIN32
