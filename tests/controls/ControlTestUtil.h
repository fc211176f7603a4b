// Focus helpers of the control and screen window tests. Test programs share the display
// under Wine: another program's window may take the activation between two steps, so a
// step that needs the focus first makes its form active again.
#pragma once
#include "tests/ui/UiTest.h"

namespace ctltest {

// Makes the form the active window with a focused control (as far as it will go).
inline void Activate(TCustomForm* form) {
  if (!form) return;
  const HWND h = form->Handle();
  for (int i = 0; i < 20 && (::GetActiveWindow() != h || !::GetFocus()); ++i) {
    ::SetForegroundWindow(h);
    ::SetActiveWindow(h);
    uitest::Pump();
  }
}

// Gives a control the focus as the user would, with its form active.
inline void FocusOn(TWinControl* c) {
  Activate(GetParentForm(c));
  c->SetFocus();
  uitest::Pump();
}

}  // namespace ctltest
