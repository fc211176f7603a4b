// Drives the plug-in's screens while an open call runs, for scripted runs of the demo
// host and for the end-to-end tests: the call shows its screen modally on this thread,
// so a thread timer watches for the windows that appear, takes a picture of each
// (when a folder is given) and closes it after a while (a question is answered Yes), which
// ends the modal loop.
//
// One driver is active at a time (the timer procedure has no context argument).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct TSeenWindow {
  std::wstring ClassName;
  std::wstring Caption;
};

class TScreenDriver {
 public:
  // hostWindow: the host's own main window, never touched. shotDir: where pictures go
  // (empty: none); closeAfterMs: how long a window stays before it is closed.
  TScreenDriver(HWND hostWindow, std::string shotDir, int closeAfterMs);
  ~TScreenDriver();
  TScreenDriver(const TScreenDriver&) = delete;
  TScreenDriver& operator=(const TScreenDriver&) = delete;

  // Pictures of windows seen from now on are named <name>.png, <name>-2.png, ...
  void SetShotName(const std::string& name) { FShotName = name; FShotCount = 0; }
  // Steps to play on the screen before it is photographed (a walk-through): called each
  // tick until it returns true; meanwhile the driver leaves every window alone.
  std::function<bool()> Prepare;
  // Every top-level window that appeared while the driver ran, in order.
  const std::vector<TSeenWindow>& Seen() const { return FSeen; }
  // PNG files written.
  const std::vector<std::string>& Shots() const { return FShots; }

 private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
  void Tick();

  struct Watched {
    HWND Window;
    DWORD FirstSeen;
    bool Shot = false;
  };
  HWND FHost;
  std::string FShotDir;
  int FCloseAfter;
  std::string FShotName = "screen";
  int FShotCount = 0;
  UINT_PTR FTimer = 0;
  std::vector<Watched> FWatched;
  std::vector<TSeenWindow> FSeen;
  std::vector<std::string> FShots;
};

// The window's caption bar and client area into a PNG file. False when the window has
// no area or the file cannot be written.
bool CaptureWindowPng(HWND window, const std::string& path);
