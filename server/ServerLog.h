// The server's log: one line per event on a stream (standard error by default), with the
// time and the client it concerns. Safe to use from every connection's thread. Texts in
// GBK (the store's messages) are written as UTF-8 for the terminal.
#pragma once
#include <cstdio>
#include <mutex>
#include <string>

namespace posserver {

class ServerLog {
 public:
  enum Level { Quiet = 0, Normal = 1, Verbose = 2 };
  explicit ServerLog(Level level = Normal, std::FILE* out = stderr) : FLevel(level), FOut(out) {}
  void SetLevel(Level level) { FLevel = level; }
  // Connections, registrations, errors.
  void Info(const std::string& who, const std::string& gbkText);
  // Every call.
  void Trace(const std::string& who, const std::string& gbkText);

 private:
  void Write(const std::string& who, const std::string& gbkText);
  Level FLevel;
  std::FILE* FOut;
  std::mutex FLock;
};

}  // namespace posserver
