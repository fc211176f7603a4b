// A stand-in server over a store folder, in the test's own process: listens on a free
// loopback port from construction until destruction; quiet log.
#pragma once
#include <memory>
#include <string>

#include "server/Listener.h"
#include "server/StoreSession.h"

namespace apptest {

class StoreServer {
 public:
  explicit StoreServer(const std::string& dir)
      : FLog(posserver::ServerLog::Quiet),
        FListener(Options(), [dir] { return std::make_unique<posserver::SessionAdapter<StoreSession>>(dir); }, FLog) {
    FListener.Start();
  }
  static posserver::ServerOptions Options() {
    posserver::ServerOptions o;
    o.Port = 0;
    return o;
  }
  uint16_t Port() const { return FListener.Port(); }
  posserver::Listener& Listener() { return FListener; }

 private:
  posserver::ServerLog FLog;
  posserver::Listener FListener;
};

}  // namespace apptest
