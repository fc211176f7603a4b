// A left-button press posted to a grid, with the grid's scroll timer kept out of the test.
//
// A press that starts a selection or a drag also starts the grid's scroll timer, and each
// tick of it reads the real pointer. On the test display the pointer stands wherever it
// was left, not where the posted messages say, so a tick that comes between two posted
// steps (more likely the busier the machine) moves the selection or the drag to a place
// the test never pointed at. The press here stops that timer right after the press is
// handled and before it can tick: a timer message is only made when no posted message
// waits, and a marker posted behind the press is still waiting when the press has been
// handled. The posted moves alone then drive the selection or the drag.
#pragma once
#include "UiTest.h"
#include "ui/GridDetail.h"
#include "ui/Grids.h"

namespace uitest {

// Posts WM_LBUTTONDOWN at `p` (the grid's client coordinates) with `keys`, handles the
// queue up to and including it, stops the scroll timer the press started, then handles
// the rest of the queue. Returns whether the press had started the timer.
inline bool PressWithoutScrollTimer(TCustomGrid* grid, POINT p, WPARAM keys = MK_LBUTTON) {
  constexpr UINT kPressHandled = WM_APP + 0x2F1;
  const HWND h = grid->Handle();
  ::PostMessageW(h, WM_LBUTTONDOWN, keys, MAKELPARAM(p.x, p.y));
  ::PostMessageW(nullptr, kPressHandled, 0, 0);
  MSG msg;
  // Messages posted before the marker (the press among them) are handled in order; the
  // queue runs dry only if a nested loop of the press took the marker itself.
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == kPressHandled && msg.hwnd == nullptr) {
      ::PeekMessageW(&msg, nullptr, kPressHandled, kPressHandled, PM_REMOVE);
      break;
    }
    Application->HandleMessage();
  }
  const bool timed = ::IsWindow(h) && ::KillTimer(h, ui_grid_detail::kScrollTimer);
  Pump();
  return timed;
}

}  // namespace uitest
