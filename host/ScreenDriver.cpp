// Watching, photographing and closing the plug-in's windows during an open call.
#include "host/ScreenDriver.h"

#include <algorithm>

#include "rtl/Exceptions.h"
#include "rtl/PngWriter.h"
#include "ui/GdiScopes.h"

namespace {
TScreenDriver* gActive = nullptr;

BOOL CALLBACK CollectWindow(HWND w, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}
}  // namespace

TScreenDriver::TScreenDriver(HWND hostWindow, std::string shotDir, int closeAfterMs)
    : FHost(hostWindow), FShotDir(std::move(shotDir)), FCloseAfter(closeAfterMs) {
  gActive = this;
  FTimer = ::SetTimer(nullptr, 0, 100, &TScreenDriver::TimerProc);
}

TScreenDriver::~TScreenDriver() {
  if (FTimer) ::KillTimer(nullptr, FTimer);
  if (gActive == this) gActive = nullptr;
}

void CALLBACK TScreenDriver::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (gActive) gActive->Tick();
}

void TScreenDriver::Tick() {
  if (Prepare) {
    if (!Prepare()) return;
    Prepare = nullptr;
  }
  std::vector<HWND> windows;
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
  const DWORD now = ::GetTickCount();
  for (HWND w : windows) {
    if (w == FHost || !::IsWindowVisible(w)) continue;
    auto it = std::find_if(FWatched.begin(), FWatched.end(), [w](const Watched& x) { return x.Window == w; });
    if (it == FWatched.end()) {
      FWatched.push_back({w, now});
      wchar_t cls[128] = {}, caption[256] = {};
      ::GetClassNameW(w, cls, 127);
      ::GetWindowTextW(w, caption, 255);
      FSeen.push_back({cls, caption});
      continue;
    }
    // The last of the windows on top (a message box over a screen) goes first.
    if (!::IsWindowEnabled(w)) continue;
    if (!it->Shot && now - it->FirstSeen >= 400) {
      it->Shot = true;
      if (!FShotDir.empty()) {
        ::UpdateWindow(w);
        std::string path = FShotDir + "\\" + FShotName + (FShotCount ? "-" + std::to_string(FShotCount + 1) : "") + ".png";
        ++FShotCount;
        if (CaptureWindowPng(w, path)) FShots.push_back(path);
      }
    }
    if (now - it->FirstSeen >= static_cast<DWORD>(FCloseAfter)) {
      // A question (a box with Yes) is answered Yes: closed, it would keep the window
      // under it (the stock-take screen asks before it drops its lines), which the next
      // close would ask about again, without end.
      wchar_t cls[16] = {};
      ::GetClassNameW(w, cls, 15);
      if (wcscmp(cls, L"#32770") == 0 && ::GetDlgItem(w, IDYES)) ::PostMessageW(w, WM_COMMAND, IDYES, 0);
      else ::PostMessageW(w, WM_CLOSE, 0, 0);
      it->FirstSeen = now;  // asked again later if it stays (a question it declined)
    }
  }
}

bool CaptureWindowPng(HWND window, const std::string& path) {
  // The picture a person sees: the window's caption bar (drawn by the system, since the
  // display may have no window manager to draw frames), then the client area.
  RECT client;
  if (!::GetClientRect(window, &client)) return false;
  const int captionHeight = ::GetSystemMetrics(SM_CYCAPTION);
  const int width = client.right, height = client.bottom + captionHeight;
  if (client.right <= 0 || client.bottom <= 0) return false;
  ui_win::WindowDC screen(nullptr);
  ui_win::MemoryDC memory(screen.dc());
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  ui_win::GdiObject<HBITMAP> bitmap(::CreateDIBSection(screen.dc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory.dc() || !bitmap.get() || !bits) return false;
  std::vector<uint32_t> pixels;
  {
    ui_win::Selected picture(memory.dc(), bitmap.get());
    RECT bar = {0, 0, width, captionHeight};
    ::DrawCaption(window, memory.dc(), &bar, DC_ACTIVE | DC_TEXT | DC_ICON | DC_GRADIENT);
    // The client area as it is on the screen, child windows included (the window is
    // on top while it is photographed).
    POINT topLeft = {0, 0};
    ::ClientToScreen(window, &topLeft);
    ::BitBlt(memory.dc(), 0, captionHeight, client.right, client.bottom, screen.dc(), topLeft.x, topLeft.y, SRCCOPY);
    ::GdiFlush();
    const auto* bgra = static_cast<const uint32_t*>(bits);
    pixels.assign(bgra, bgra + static_cast<size_t>(width) * height);
  }
  for (uint32_t& p : pixels) p &= 0x00FFFFFF;  // BGRA in memory reads as 0x00RRGGBB
  bool ok = false;
  try {
    png::WriteFile(path, width, height, pixels);
    ok = true;
  } catch (const Exception&) {
  }
  return ok;
}
