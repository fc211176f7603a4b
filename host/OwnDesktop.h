// A Wine desktop of the process's own, for programs that run side by side under one
// Wine server and one X display without a window manager (the window tests under
// `ctest -j`, the demo host's scripted walk-through).
//
// On the shared desktop another program's window can take the activation, and with it
// the keyboard focus, in the middle of a step; and without a window manager Wine waits
// two seconds for every hidden top-level window to be withdrawn by the manager that is
// not there. On a Wine virtual desktop, one X window that holds all of the program's
// windows, Wine keeps focus and activation to itself and hides windows at once.
//
// The desktop is named after the process id, so that two runs of one program never
// share it either. It must be entered before the thread makes its first window or hook:
// Windows refuses to move a thread that has them. Entering it is best effort: when Wine
// refuses, the program runs on the shared desktop as before.
#pragma once
#include <string>

namespace poshost {

class TOwnDesktop {
 public:
  // Makes the desktop "<prefix><process id>" of the given size and moves the calling
  // thread onto it.
  explicit TOwnDesktop(const std::wstring& prefix, int width = 1280, int height = 1024);
  // Forgets the desktop's size again (Wine drops the desktop itself with its last user).
  ~TOwnDesktop();
  TOwnDesktop(const TOwnDesktop&) = delete;
  TOwnDesktop& operator=(const TOwnDesktop&) = delete;

  const std::wstring& Name() const { return FName; }
  // True when the calling thread was moved onto the desktop.
  bool Entered() const { return FEntered; }

 private:
  std::wstring FName;
  bool FEntered = false;
};

}  // namespace poshost
