// poshost.exe: a small stand-in for the point-of-sale host. Its main window holds the
// values an open call passes (server, database, operator, branch, terminal, upload
// server and database); its buttons load Pos_J2DllForPos.dll and call the exports with
// strings in the host's shared layout, then the matching close call with the token.
//
//   poshost [--dll PATH] [--server S] [--db D] [--operator O] [--branch B] [--pos P]
//           [--upload-server S] [--upload-db D]
//           [--open vip|pd]... [--shots DIR] [--close-after MS] [--own-desktop]
//
// Without --open it waits for a person. With --open it runs the calls in order, each
// screen being photographed into DIR (when given) and closed after MS milliseconds
// (default 1500), prints one line per call and exits: 0 when every open call returned
// a positive token, 1 otherwise. The server's port comes from POS_SERVER_PORT when set
// (the plug-in's connection reads it), else 211.
//
// --own-desktop puts the host and the plug-in's screens on a Wine desktop of their own
// (host/OwnDesktop.h), for scripted runs on a display without a window manager,
// where Wine would otherwise wait two seconds at the close of every modal screen.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/HostString.h"
#include "host/PluginLibrary.h"
#include "host/PdWalk.h"
#include "host/ScreenDriver.h"
#include "host/OwnDesktop.h"

namespace {

using posapp::THostString;

struct Field {
  const char* Option;
  const wchar_t* Label;
  std::string Value;
  HWND Edit = nullptr;
};

struct HostState {
  std::vector<Field> Fields = {
      {"--server", L"应用服务器：", "127.0.0.1"}, {"--db", L"数据库：", "PosStore"},
      {"--operator", L"操作员：", "00001"},       {"--branch", L"分店：", "00001"},
      {"--pos", L"终端：", "00001"},              {"--upload-server", L"上传服务器：", "127.0.0.1"},
      {"--upload-db", L"上传数据库：", "PosMain"},
  };
  std::string DllPath;
  std::vector<std::string> Script;  // "vip" / "pd"
  std::string ShotDir;
  std::string PdWalkFile;  // --pd-walk: the stock-take screen's walk-through imports this file
  int CloseAfter = 1500;
  HWND Main = nullptr;
  HWND Status = nullptr;
  std::unique_ptr<TPluginLibrary> Plugin;
  int Failures = 0;
  int Calls = 0;
};
HostState gHost;

enum { kIdVip = 100, kIdPd = 101 };

std::string Value(const char* option) {
  for (Field& f : gHost.Fields) {
    if (std::strcmp(f.Option, option) != 0) continue;
    if (f.Edit) {
      char buffer[512] = {};
      ::GetWindowTextA(f.Edit, buffer, sizeof buffer);
      f.Value = buffer;
    }
    return f.Value;
  }
  return std::string();
}

void SetStatus(const std::string& text) {
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
  if (gHost.Status) ::SetWindowTextA(gHost.Status, text.c_str());
}

TPluginLibrary* Plugin() {
  if (!gHost.Plugin) {
    try {
      gHost.Plugin = std::make_unique<TPluginLibrary>(gHost.DllPath);
    } catch (const std::exception& e) {
      SetStatus(std::string("poshost: ") + e.what());
      return nullptr;
    }
  }
  return gHost.Plugin.get();
}

// One open call and its close call, as the host makes them.
void RunScreen(const std::string& which, TScreenDriver* driver) {
  TPluginLibrary* plugin = Plugin();
  ++gHost.Calls;
  if (!plugin) {
    ++gHost.Failures;
    return;
  }
  if (driver) driver->SetShotName(which == "vip" ? "vip-enroll" : "pd-manager");
  if (driver && which == "pd" && !gHost.PdWalkFile.empty()) driver->Prepare = MakePdWalk(gHost.PdWalkFile, gHost.ShotDir);
  const int32_t handle = static_cast<int32_t>(reinterpret_cast<intptr_t>(gHost.Main));
  // The host's constant for the unused argument, its strings for the rest.
  THostString reserved = THostString::Constant("POS");
  THostString op(Value("--operator")), server(Value("--server")), db(Value("--db"));
  int32_t token;
  if (which == "vip") {
    THostString extra("");
    token = plugin->OpenVipEnroll(handle, reserved.Data(), op.Data(), extra.Data(), server.Data(), db.Data());
    SetStatus("OpenVipEnroll = " + std::to_string(token));
    plugin->CloseVipEnroll(token);
  } else {
    char unique[64];
    std::snprintf(unique, sizeof unique, "HOST-%lu", static_cast<unsigned long>(::GetTickCount()));
    THostString branch(Value("--branch")), uniqueId(unique), pos(Value("--pos")),
        upServer(Value("--upload-server")), upDb(Value("--upload-db"));
    token = plugin->OpenPDManger(handle, reserved.Data(), op.Data(), branch.Data(), uniqueId.Data(), pos.Data(),
                                 server.Data(), db.Data(), upServer.Data(), upDb.Data());
    SetStatus("OpenPDManger = " + std::to_string(token));
    plugin->ClosePDManger(token);
  }
  if (token <= 0) ++gHost.Failures;
}

void RunScript() {
  TScreenDriver driver(gHost.Main, gHost.ShotDir, gHost.CloseAfter);
  if (!gHost.ShotDir.empty()) {
    ::UpdateWindow(gHost.Main);
    ::Sleep(300);
    CaptureWindowPng(gHost.Main, gHost.ShotDir + "\\host.png");
  }
  for (const std::string& which : gHost.Script) RunScreen(which, &driver);
  for (const TSeenWindow& w : driver.Seen()) {
    char caption[512] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, w.Caption.c_str(), -1, caption, sizeof caption - 1, nullptr, nullptr);
    std::printf("poshost: window shown: %s\n", caption);
  }
  for (const std::string& shot : driver.Shots()) std::printf("poshost: picture %s\n", shot.c_str());
}

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id = 0) {
  HWND c = ::CreateWindowExW(std::wcscmp(cls, L"EDIT") == 0 ? WS_EX_CLIENTEDGE : 0, cls, text,
                             WS_CHILD | WS_VISIBLE | style, x, y, w, h, gHost.Main,
                             reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  return c;
}

void BuildWindow() {
  int y = 16;
  for (Field& f : gHost.Fields) {
    Child(L"STATIC", f.Label, SS_RIGHT, 12, y + 3, 96, 20);
    wchar_t text[512] = {};
    ::MultiByteToWideChar(936, 0, f.Value.c_str(), -1, text, 511);
    f.Edit = Child(L"EDIT", text, WS_TABSTOP | ES_AUTOHSCROLL, 112, y, 220, 22);
    y += 30;
  }
  Child(L"BUTTON", L"会员发卡(&V)", WS_TABSTOP | BS_PUSHBUTTON, 112, y + 6, 104, 28, kIdVip);
  Child(L"BUTTON", L"盘点单(&P)", WS_TABSTOP | BS_PUSHBUTTON, 228, y + 6, 104, 28, kIdPd);
  gHost.Status = Child(L"STATIC", L"", SS_LEFT, 12, y + 46, 320, 20);
}

LRESULT CALLBACK MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kIdVip) RunScreen("vip", nullptr);
      else if (LOWORD(wp) == kIdPd) RunScreen("pd", nullptr);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(w, msg, wp, lp);
}

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "poshost: %s\n", problem);
  std::fprintf(stderr,
               "usage: poshost [--dll PATH] [--server S] [--db D] [--operator O] [--branch B] [--pos P]\n"
               "               [--upload-server S] [--upload-db D] [--open vip|pd]... [--shots DIR]\n"
               "               [--pd-walk TERMINAL-FILE] (the stock-take walk-through: choices in the selection\n"
               "               dialog, an export, this file imported, scans, the bill saved)\n"
               "               [--close-after MS] [--own-desktop]\n");
  return problem ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  gHost.DllPath = PluginPathBesideProgram();
  bool ownDesktop = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") return Usage(nullptr);
    if (a == "--own-desktop") {
      ownDesktop = true;
      continue;
    }
    if (i + 1 >= argc) return Usage(("missing value after " + a).c_str());
    const std::string v = argv[++i];
    bool known = false;
    for (Field& f : gHost.Fields)
      if (a == f.Option) f.Value = v, known = true;
    if (known) continue;
    if (a == "--dll") gHost.DllPath = v;
    else if (a == "--open" && (v == "vip" || v == "pd")) gHost.Script.push_back(v);
    else if (a == "--pd-walk") gHost.PdWalkFile = v;
    else if (a == "--shots") gHost.ShotDir = v;
    else if (a == "--close-after") gHost.CloseAfter = std::atoi(v.c_str());
    else return Usage(("unknown option " + a + " " + v).c_str());
  }
  // Entered before the first window: a thread that has windows cannot change desktops.
  std::optional<poshost::TOwnDesktop> desktop;
  if (ownDesktop) desktop.emplace(L"PosHost");

  WNDCLASSW wc = {};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"PosHostMain";
  ::RegisterClassW(&wc);
  gHost.Main = ::CreateWindowExW(0, wc.lpszClassName, L"收银台 - 插件演示", WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX,
                                 40, 40, 360, 360, nullptr, nullptr, wc.hInstance, nullptr);
  BuildWindow();
  ::ShowWindow(gHost.Main, SW_SHOW);
  ::UpdateWindow(gHost.Main);

  if (!gHost.Script.empty()) {
    RunScript();
    gHost.Plugin.reset();
    ::DestroyWindow(gHost.Main);
    return gHost.Failures == 0 ? 0 : 1;
  }
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (::IsDialogMessageW(gHost.Main, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  gHost.Plugin.reset();
  return 0;
}
