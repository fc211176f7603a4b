// posserver through a read-only spell of its database file, run as a user that file
// modes bind (root writes through them: as root the server is started as "nobody").
// While the file is read-only every write is refused with a clear error and a line in
// the log; once it is writable again the server writes again, on the same connection
// and after a restart, without anyone deleting the side files that the spell left.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "net/NetErrors.h"
#include "net/SocketConnection.h"
#include "server/DemoStore.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// A free loopback port, as the system hands one out.
uint16_t FreePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t n = sizeof a;
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  ::close(s);
  return ntohs(a.sin_port);
}

class ReadOnlySpellTest : public testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() == 0) {
      if (::access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "running as root without setpriv: the server cannot run as a user that file modes bind";
      runAs = "/usr/bin/setpriv --reuid=" + std::to_string(kNobody) + " --regid=" + std::to_string(kNobody) +
              " --clear-groups ";
    }
    dir = (fs::current_path() / "readonly_spell").string();
    std::error_code ec;
    fs::remove_all(dir, ec);
    MakeDemoStore(dir, DemoStoreOptions{10});
    if (::geteuid() == 0) {
      for (const auto& e : fs::recursive_directory_iterator(dir)) ASSERT_EQ(::chown(e.path().c_str(), kNobody, kNobody), 0);
      ASSERT_EQ(::chown(dir.c_str(), kNobody, kNobody), 0);
    }
    db = dir + "/PosStore.db";
    port = FreePort();
  }
  void TearDown() override {
    Stop();
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  void Start() {
    const std::string cmd = runAs + POSSERVER_PATH + " --listen 127.0.0.1:" + std::to_string(port) + " --data " + dir +
                            " --detach --pid-file " + dir + "/posserver.pid --log " + dir + "/posserver.log >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    running = true;
  }
  void Stop() {
    if (!running) return;
    running = false;
    const std::string cmd = std::string(POSSERVER_PATH) + " --stop " + dir + "/posserver.pid";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  std::unique_ptr<TSocketConnection> Client() {
    auto c = std::make_unique<TSocketConnection>(nullptr);
    c->SetAddress("127.0.0.1");
    c->SetPort(port);
    c->Open();
    AnsiString name = kDemoStoreDbName;
    c->AppServer().ChangeDb(name);
    return c;
  }
  // One header row written: "1", or the server's error.
  std::string Write(TSocketConnection& c) {
    WideString sql =
        u"insert into CommonPosPtypeCheckNdx(KTypeID,OperatorID,PDDate,PosID,IsUpSend,UpLoadPosVchCode,UniqueID,"
        u"PDNumber) values('00001','00002','2024-03-05','0001',0,0,'U','1')";
    try {
      return std::string(VarToStr(c.AppServer().ExecuteSQL(sql)));
    } catch (const EAppServerError& e) {
      return e.Message();
    }
  }
  int Count(TSocketConnection& c) {
    WideString sql = u"select count(*) as n from CommonPosPtypeCheckNdx";
    c.AppServer().OpenSQL(sql);
    return c.GetProviderPacket("pv_qry_Open").Rows.at(0).at(0).AsInteger();
  }
  int RefusalsLogged() {
    std::ifstream in(dir + "/posserver.log");
    std::string line;
    int n = 0;
    while (std::getline(in, line)) n += line.find("cannot be written") != std::string::npos ? 1 : 0;
    return n;
  }

  std::string runAs, dir, db;
  uint16_t port = 0;
  bool running = false;
};

const std::string kRefused =
    "The database 'PosStore' cannot be written: its file (or its -wal or -shm file) is read-only. Nothing was "
    "changed; writes go on once the files are writable again.";

// Before, SQLite opened the read-only file read-only without a word and made its -wal
// and -shm files read-only too; once the file was writable again every write still
// failed ("attempt to write a readonly database"), also after a restart, and the log
// said nothing.
TEST_F(ReadOnlySpellTest, RegressionWritesGoOnOnceTheFileIsWritableAgain) {
  // A spell across a restart: the server stops while the file is read-only.
  ASSERT_EQ(::chmod(db.c_str(), 0444), 0);
  Start();
  {
    auto c = Client();
    EXPECT_EQ(Write(*c), kRefused);
    EXPECT_EQ(Count(*c), 0);  // reading goes on
    EXPECT_EQ(Write(*c), kRefused);
  }
  Stop();
  EXPECT_EQ(RefusalsLogged(), 2);
  ASSERT_EQ(::chmod(db.c_str(), 0644), 0);
  Start();
  {
    auto c = Client();
    EXPECT_EQ(Write(*c), "1");
    EXPECT_EQ(Count(*c), 1);
  }
  // A spell within one connection: the session opened the file while it was read-only.
  ASSERT_EQ(::chmod(db.c_str(), 0444), 0);
  auto c = Client();
  EXPECT_EQ(Write(*c), kRefused);
  ASSERT_EQ(::chmod(db.c_str(), 0644), 0);
  EXPECT_EQ(Write(*c), "1");
  EXPECT_EQ(Count(*c), 2);
  EXPECT_EQ(RefusalsLogged(), 3);
  for (const char* side : {"-wal", "-shm"}) {
    struct stat st {};
    if (::stat((db + side).c_str(), &st) == 0) EXPECT_EQ(st.st_mode & 0777, 0644u) << side;
  }
}

}  // namespace
