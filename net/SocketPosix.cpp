// POSIX implementation of the socket layer (Linux): blocking sockets whose every wait
// goes through poll() with the caller's time-out, MSG_NOSIGNAL instead of SIGPIPE, and
// close-on-exec descriptors. Each Socket owns its descriptor and closes it once.
#ifndef _WIN32
#include "net/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <thread>  // std::chrono clocks: <chrono> itself has a literal that GBK cannot hold
#include <cstring>

#include "net/NetErrors.h"

namespace posnet {
namespace {

[[noreturn]] void RaiseOs(int err, const char* api, const std::string& where) {
  std::string text = "Socket error: ";
  text += std::strerror(err);
  text += " (" + std::to_string(err) + "), on API '" + api + "'";
  if (!where.empty()) text += " [" + where + "]";
  throw ESocketError(text);
}

[[noreturn]] void RaiseTimeout(const char* what, int timeoutMs, const std::string& where) {
  throw ESocketTimeout("Socket time-out: no " + std::string(what) + " within " +
                     std::to_string(timeoutMs) + " ms [" + where + "]");
}

// Waits until fd is ready for `events`; false on time-out. Restarts after signals with
// the remaining time.
bool WaitFor(int fd, short events, int timeoutMs, const char* api, const std::string& where) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    int wait = -1;
    if (timeoutMs >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait = left < 0 ? 0 : static_cast<int>(left);
    }
    pollfd p{fd, events, 0};
    const int r = ::poll(&p, 1, wait);
    if (r > 0) return true;
    if (r == 0) return false;
    if (errno != EINTR) RaiseOs(errno, api, where);
  }
}

std::string NameOf(const sockaddr_in& a) {
  char buf[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &a.sin_addr, buf, sizeof buf);
  return std::string(buf) + ":" + std::to_string(ntohs(a.sin_port));
}

sockaddr_in MakeAddress(const std::string& address, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  if (!IsIPv4Address(address) || ::inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1)
    throw ESocketError("Socket error: '" + address + "' is not an IPv4 address");
  return a;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { if (fd_ >= 0) ::close(fd_); }
  int get() const { return fd_; }
  int release() { const int fd = fd_; fd_ = -1; return fd; }

 private:
  int fd_;
};

class PosixSocket final : public Socket {
 public:
  PosixSocket(int fd, std::string peer) : fd_(fd), peer_(std::move(peer)) {
    const int one = 1;
    ::setsockopt(fd_.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }

  void Send(const void* data, size_t n, int timeoutMs) override {
    // Send at once; wait only when the socket's buffer is full (a reply usually fits,
    // and a poll before every send costs a system call per message).
    auto p = static_cast<const char*>(data);
    while (n > 0) {
      const ssize_t k = ::send(fd_.get(), p, n, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (k < 0) {
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) RaiseOs(errno, "send", peer_);
        if (!WaitFor(fd_.get(), POLLOUT, timeoutMs, "send", peer_)) RaiseTimeout("progress sending", timeoutMs, peer_);
        continue;
      }
      p += k;
      n -= static_cast<size_t>(k);
    }
  }

  size_t Receive(void* data, size_t n, int timeoutMs) override {
    for (;;) {
      if (!WaitFor(fd_.get(), POLLIN, timeoutMs, "recv", peer_)) RaiseTimeout("answer", timeoutMs, peer_);
      const ssize_t k = ::recv(fd_.get(), data, n, MSG_DONTWAIT);
      if (k >= 0) return static_cast<size_t>(k);
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      RaiseOs(errno, "recv", peer_);
    }
  }

  void Shutdown() override { ::shutdown(fd_.get(), SHUT_RDWR); }
  std::string PeerName() const override { return peer_; }

  void SetKeepAlive(int idleSeconds, int intervalSeconds, int probes) override {
    const int on = 1;
    if (::setsockopt(fd_.get(), SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0 ||
        ::setsockopt(fd_.get(), IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds) != 0 ||
        ::setsockopt(fd_.get(), IPPROTO_TCP, TCP_KEEPINTVL, &intervalSeconds, sizeof intervalSeconds) != 0 ||
        ::setsockopt(fd_.get(), IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes) != 0)
      RaiseOs(errno, "setsockopt", peer_);
  }

 private:
  Descriptor fd_;
  std::string peer_;
};

class PosixListenSocket final : public ListenSocket {
 public:
  PosixListenSocket(int fd, uint16_t port) : fd_(fd), port_(port) {}

  std::unique_ptr<Socket> Accept(int timeoutMs) override {
    if (!WaitFor(fd_.get(), POLLIN, timeoutMs, "accept", "listener")) return nullptr;
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    const int fd = ::accept4(fd_.get(), reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
    if (fd < 0) {
      // A connection that went away between poll and accept, or a passing shortage of
      // descriptors: no connection this time, the listener goes on.
      if (errno == EINTR || errno == EAGAIN || errno == ECONNABORTED || errno == EPROTO ||
          errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
        return nullptr;
      RaiseOs(errno, "accept", "listener");
    }
    return std::make_unique<PosixSocket>(fd, NameOf(peer));
  }

  uint16_t Port() const override { return port_; }

 private:
  Descriptor fd_;
  uint16_t port_;
};

}  // namespace

void StartSockets() {}

std::unique_ptr<Socket> ConnectTcp(const std::string& address, uint16_t port, int timeoutMs) {
  const sockaddr_in a = MakeAddress(address, port);
  const std::string where = NameOf(a);
  const int raw = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (raw < 0) RaiseOs(errno, "socket", where);
  Descriptor fd(raw);
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
    if (errno != EINPROGRESS && errno != EINTR) RaiseOs(errno, "connect", where);
    if (!WaitFor(fd.get(), POLLOUT, timeoutMs, "connect", where)) RaiseTimeout("connection", timeoutMs, where);
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &err, &len) != 0) RaiseOs(errno, "getsockopt", where);
    if (err != 0) RaiseOs(err, "connect", where);
  }
  const int flags = ::fcntl(fd.get(), F_GETFL);
  ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
  return std::make_unique<PosixSocket>(fd.release(), where);
}

std::string ResolveHost(const std::string& name) {
  if (IsIPv4Address(name)) return name;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  const int r = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
  if (r != 0 || list == nullptr)
    throw ESocketError("Socket error: host '" + name + "' not found (" + ::gai_strerror(r) + "), on API 'getaddrinfo'");
  std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> hold(list, &::freeaddrinfo);
  char buf[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr, buf, sizeof buf);
  return buf;
}

std::unique_ptr<ListenSocket> ListenTcp(const std::string& address, uint16_t port, int backlog) {
  const sockaddr_in a = MakeAddress(address, port);
  const std::string where = NameOf(a);
  const int raw = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (raw < 0) RaiseOs(errno, "socket", where);
  Descriptor fd(raw);
  const int one = 1;
  ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) RaiseOs(errno, "bind", where);
  if (::listen(fd.get(), backlog) != 0) RaiseOs(errno, "listen", where);
  sockaddr_in bound{};
  socklen_t len = sizeof bound;
  ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&bound), &len);
  return std::make_unique<PosixListenSocket>(fd.release(), ntohs(bound.sin_port));
}

}  // namespace posnet
#endif  // !_WIN32
