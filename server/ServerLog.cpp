// The server's log (see ServerLog.h).
#include "server/ServerLog.h"

#include <ctime>

#include "rtl/AnsiString.h"

namespace posserver {

void ServerLog::Info(const std::string& who, const std::string& gbkText) {
  if (FLevel >= Normal) Write(who, gbkText);
}

void ServerLog::Trace(const std::string& who, const std::string& gbkText) {
  if (FLevel >= Verbose) Write(who, gbkText);
}

void ServerLog::Write(const std::string& who, const std::string& gbkText) {
  const std::string text = GbkToUtf8(gbkText);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::lock_guard<std::mutex> hold(FLock);
  std::fprintf(FOut, "%s [%s] %s\n", stamp, who.c_str(), text.c_str());
  std::fflush(FOut);
}

}  // namespace posserver
