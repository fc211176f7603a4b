// Fixture of the end-to-end tests: Pos_J2DllForPos.dll loaded from the program's own
// folder with LoadLibrary, as the host loads it, once per test suite, and a visible
// window standing for the host's main window, whose handle the open calls pass.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "app/HostString.h"
#include "host/PluginLibrary.h"

class PluginHostTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    plugin = new TPluginLibrary(PluginPathBesideProgram());
    host = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
  }
  static void TearDownTestSuite() {
    ::DestroyWindow(host);
    delete plugin;
    plugin = nullptr;
  }
  static int32_t Handle() { return static_cast<int32_t>(reinterpret_cast<intptr_t>(host)); }

  // OpenVipEnroll as the host calls it for operator 00001.
  static int32_t OpenVip(const char* server, const char* db = "PosStore") {
    posapp::THostString reserved = posapp::THostString::Constant(""), op("00001"), extra("x"), srv(server),
                        dbName(db);
    return plugin->OpenVipEnroll(Handle(), reserved.Data(), op.Data(), extra.Data(), srv.Data(), dbName.Data());
  }

  static inline TPluginLibrary* plugin = nullptr;
  static inline HWND host = nullptr;
};
