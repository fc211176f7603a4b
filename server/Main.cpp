// posserver: the stand-in application server.
//
//   posserver [--listen ADDR:PORT] [--data DIR] [--max-clients N] [--idle-transaction S]
//             [--quiet|--verbose] [--detach --pid-file FILE [--log FILE]]
//       Serves the store databases of DIR (default ./data) on ADDR:PORT (default
//       127.0.0.1:211; the environment variable POS_SERVER_PORT replaces the default
//       port). A transaction idle for more than S seconds (default 30; 0: no limit) is
//       rolled back and its connection dropped. Runs until SIGINT or SIGTERM; every
//       session rolls back its open transaction on the way out. --detach returns once the server listens (it then
//       runs in the background, its pid in FILE, its log in --log or nowhere).
//   posserver --make-demo DIR [--goods N] [--seed N]
//       Writes the demo store's databases into DIR and exits.
//   posserver --stop PIDFILE
//       Ends the server whose pid PIDFILE holds (SIGTERM), waits for it, removes the file.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "server/DemoStore.h"
#include "server/Listener.h"
#include "server/StoreSession.h"

namespace {

struct CommandLine {
  posserver::ServerOptions Server;
  std::string DataDir = "data";
  std::string MakeDemo;
  DemoStoreOptions Demo;
  std::string StopPidFile;
  bool Detach = false;
  std::string PidFile;
  std::string LogFile;
  posserver::ServerLog::Level Level = posserver::ServerLog::Normal;
};

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr,
               "posserver: %s\n"
               "usage: posserver [--listen ADDR:PORT] [--data DIR] [--max-clients N] [--idle-transaction S]\n"
               "                 [--quiet|--verbose] [--detach --pid-file FILE [--log FILE]]\n"
               "       posserver --make-demo DIR [--goods N] [--seed N]\n"
               "       posserver --stop PIDFILE\n",
               problem.c_str());
  std::exit(2);
}

long Number(const std::string& text, long low, long high, const char* what) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < low || v > high)
    Usage(std::string(what) + " '" + text + "' is not a number from " + std::to_string(low) + " to " + std::to_string(high));
  return v;
}

CommandLine Parse(int argc, char** argv) {
  CommandLine c;
  if (const char* env = std::getenv("POS_SERVER_PORT"); env && *env)
    c.Server.Port = static_cast<uint16_t>(Number(env, 1, 65535, "POS_SERVER_PORT"));
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Usage(a + " needs a value");
      return argv[++i];
    };
    if (a == "--listen") {
      const std::string v = value();
      const size_t colon = v.rfind(':');
      if (colon == std::string::npos) Usage("--listen wants ADDR:PORT");
      c.Server.ListenAddress = v.substr(0, colon);
      c.Server.Port = static_cast<uint16_t>(Number(v.substr(colon + 1), 0, 65535, "port"));
    } else if (a == "--data") {
      c.DataDir = value();
    } else if (a == "--max-clients") {
      c.Server.MaxClients = static_cast<int>(Number(value(), 1, 4096, "--max-clients"));
    } else if (a == "--idle-transaction") {
      const long seconds = Number(value(), 0, 86400, "--idle-transaction");
      c.Server.TransactionIdleMs = seconds == 0 ? -1 : static_cast<int>(seconds * 1000);
    } else if (a == "--make-demo") {
      c.MakeDemo = value();
    } else if (a == "--goods") {
      c.Demo.Goods = static_cast<int>(Number(value(), 1, 1000000, "--goods"));
    } else if (a == "--seed") {
      c.Demo.Seed = static_cast<uint64_t>(Number(value(), 0, 2147483647, "--seed"));
    } else if (a == "--stop") {
      c.StopPidFile = value();
    } else if (a == "--detach") {
      c.Detach = true;
    } else if (a == "--pid-file") {
      c.PidFile = value();
    } else if (a == "--log") {
      c.LogFile = value();
    } else if (a == "--quiet") {
      c.Level = posserver::ServerLog::Quiet;
    } else if (a == "--verbose") {
      c.Level = posserver::ServerLog::Verbose;
    } else {
      Usage("unknown option " + a);
    }
  }
  if (c.Detach && c.PidFile.empty()) Usage("--detach needs --pid-file");
  return c;
}

bool ProcessAlive(pid_t pid) {
  if (::kill(pid, 0) != 0) return errno == EPERM;
  // A zombie has ended already; only its parent has not looked yet.
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (std::getline(stat, line)) {
    const size_t close = line.rfind(')');
    if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z') return false;
  }
  return true;
}

int StopServer(const std::string& pidFile) {
  std::ifstream in(pidFile);
  long pid = 0;
  if (!(in >> pid) || pid <= 1) {
    std::fprintf(stderr, "posserver: no server pid in %s\n", pidFile.c_str());
    return 0;  // nothing to stop
  }
  if (::kill(static_cast<pid_t>(pid), SIGTERM) == 0) {
    for (int i = 0; i < 200 && ProcessAlive(static_cast<pid_t>(pid)); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (ProcessAlive(static_cast<pid_t>(pid))) {
      std::fprintf(stderr, "posserver: server %ld did not end within 10 s\n", pid);
      return 1;
    }
  }
  std::remove(pidFile.c_str());
  return 0;
}

// Serves until SIGINT/SIGTERM. `ready` is called once the listener is bound.
int Serve(const CommandLine& c, const std::function<void(const std::string& error)>& ready) {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);  // every thread inherits the mask
  ::signal(SIGPIPE, SIG_IGN);

  struct stat st{};
  if (::stat(c.DataDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    ready("the data folder " + c.DataDir + " does not exist");
    return 1;
  }
  posserver::ServerLog log(c.Level);
  const std::string dataDir = c.DataDir;
  posserver::Listener listener(
      c.Server, [dataDir] { return std::make_unique<posserver::SessionAdapter<StoreSession>>(dataDir); }, log);
  try {
    listener.Start();
  } catch (const std::exception& e) {
    ready(e.what());
    return 1;
  }
  log.Info("posserver", "data folder " + dataDir);
  ready("");
  int signal = 0;
  sigwait(&stopSignals, &signal);
  log.Info("posserver", std::string("stopping on signal ") + std::to_string(signal));
  listener.Stop();
  return 0;
}

int Detached(const CommandLine& c) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) {
    std::perror("posserver: pipe");
    return 1;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    std::perror("posserver: fork");
    return 1;
  }
  if (child > 0) {
    ::close(pipeFds[1]);
    std::string answer;
    char buf[256];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      answer.append(buf, static_cast<size_t>(n));
    }
    if (answer == "R") {
      std::printf("posserver: serving on %s:%u (pid %ld)\n", c.Server.ListenAddress.c_str(), c.Server.Port,
                  static_cast<long>(child));
      return 0;
    }
    std::fprintf(stderr, "posserver: %s\n", answer.empty() ? "the server ended at start" : answer.c_str());
    return 1;
  }
  ::close(pipeFds[0]);
  ::setsid();
  // Leave the caller's terminal and output pipes (a test runner waits for them to close).
  const int devNull = ::open("/dev/null", O_RDWR);
  const int logFd = c.LogFile.empty() ? devNull : ::open(c.LogFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  ::dup2(devNull, 0);
  ::dup2(logFd >= 0 ? logFd : devNull, 1);
  ::dup2(logFd >= 0 ? logFd : devNull, 2);
  const int readyFd = pipeFds[1];
  return Serve(c, [&](const std::string& error) {
    std::string answer = error;
    if (error.empty()) {
      std::ofstream pid(c.PidFile, std::ios::trunc);
      pid << ::getpid() << "\n";
      if (!pid) answer = "cannot write the pid file " + c.PidFile;
    }
    if (answer.empty()) answer = "R";
    ssize_t ignored = ::write(readyFd, answer.data(), answer.size());
    (void)ignored;
    ::close(readyFd);
  });
}

}  // namespace

int main(int argc, char** argv) {
  const CommandLine c = Parse(argc, argv);
  try {
    if (!c.StopPidFile.empty()) return StopServer(c.StopPidFile);
    if (!c.MakeDemo.empty()) {
      MakeDemoStore(c.MakeDemo, c.Demo);
      std::printf("posserver: demo store written to %s (%d goods)\n", c.MakeDemo.c_str(), c.Demo.Goods);
      return 0;
    }
    if (c.Detach) return Detached(c);
    return Serve(c, [](const std::string& error) {
      if (!error.empty()) std::fprintf(stderr, "posserver: %s\n", error.c_str());
    });
  } catch (const std::exception& e) {
    std::fprintf(stderr, "posserver: %s\n", e.what());
    return 1;
  }
}
