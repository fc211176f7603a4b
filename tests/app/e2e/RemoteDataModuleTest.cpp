// The data module's routines in a Win32 process over Winsock against the native
// stand-in server (the same code the DLL holds): the procedure prefix and system values
// read from the demo store.
#include <gtest/gtest.h>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPublic.h"

namespace {

class RemoteDataModule : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(posapp::ConnectDataModule(posapp::EnsureDataModule(nullptr), "127.0.0.1", "PosStore")); }
  void TearDown() override { posapp::ReleaseDataModule(1); }
};

}  // namespace

TEST_F(RemoteDataModule, ProcPrefixLoadedFromTheStore) {
  LoadProcPrefix("PD");
  EXPECT_EQ(ProcPrefix, "Pos_J2");
  LoadProcPrefix("VIP");
  EXPECT_EQ(ProcPrefix, "QP");
}

TEST_F(RemoteDataModule, SystemValueRead) {
  EXPECT_EQ(GetSysValue("AllowColorSize"), "1");
  EXPECT_EQ(GetSysValue("GetFirstBarCode"), "0");
  EXPECT_EQ(GetSysValue("NoSuchName"), "");
}

TEST_F(RemoteDataModule, ComputerIdentityIsSent) {
  EXPECT_FALSE(GetComputerNameStr().empty());
  const AnsiString ip = GetLocalIP();
  if (!ip.empty()) {
    EXPECT_TRUE(IsIPAddress(ip)) << ip;
  }
  EXPECT_NE(GetDllFileName().find(".exe"), AnsiString::npos);
}
