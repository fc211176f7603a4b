// The socket layer: one small interface over connected TCP streams and listening
// sockets, with a POSIX implementation (SocketPosix.cpp) and a Winsock one
// (SocketWin32.cpp). Exactly one of them is compiled into a build. No platform header
// leaks out of here, so the win32 build of net/ needs no <windows.h> in its headers.
//
// Every call either completes or raises ESocketError with a clear text; none blocks
// longer than the time-out it is given (a negative time-out waits without limit, which
// only the server's idle wait for the next request uses).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace posnet {

class Socket {
 public:
  virtual ~Socket() = default;
  // Sends all n bytes, or raises (time-out, reset, closed).
  virtual void Send(const void* data, size_t n, int timeoutMs) = 0;
  // Receives between 1 and n bytes (n > 0) and returns the count; 0 means the peer
  // closed the stream in order. Raises on time-out or error.
  virtual size_t Receive(void* data, size_t n, int timeoutMs) = 0;
  // Shuts the stream down both ways: a thread blocked in Send/Receive on this socket
  // wakes up with an error or end of stream. Safe to call from another thread.
  virtual void Shutdown() = 0;
  // "a.b.c.d:port" of the other end, for logs.
  virtual std::string PeerName() const = 0;
  // Turns TCP keep-alive on: after idleSeconds without traffic the stack probes the
  // peer every intervalSeconds, and after `probes` unanswered probes the stream fails,
  // so a blocked Receive of a peer that vanished (power cut, cable pulled) raises
  // instead of waiting for ever. Streams that are not TCP (test doubles) ignore it.
  virtual void SetKeepAlive(int idleSeconds, int intervalSeconds, int probes) {
    (void)idleSeconds, (void)intervalSeconds, (void)probes;
  }
};

class ListenSocket {
 public:
  virtual ~ListenSocket() = default;
  // The next connection, or null when none arrived within timeoutMs.
  virtual std::unique_ptr<Socket> Accept(int timeoutMs) = 0;
  // The port actually bound (useful after listening on port 0).
  virtual uint16_t Port() const = 0;
};

// Starts the platform's socket library once per process (Winsock 1.1 semantics on
// Windows: WSAStartup(1.1), released at exit); nothing on POSIX. The functions below
// call it themselves.
void StartSockets();

// Connects to an IPv4 address ("a.b.c.d") and port within timeoutMs.
std::unique_ptr<Socket> ConnectTcp(const std::string& address, uint16_t port, int timeoutMs);
// The IPv4 address of a host name, as "a.b.c.d"; an address text is returned as it is.
std::string ResolveHost(const std::string& name);
// A socket listening on address:port (port 0: any free port). Raises when the address
// is taken or not local.
std::unique_ptr<ListenSocket> ListenTcp(const std::string& address, uint16_t port, int backlog);
// True when `text` is four dot-separated decimal numbers 0..255.
bool IsIPv4Address(const std::string& text);

}  // namespace posnet
