// Focus helpers of the control and screen window tests: a step that needs the focus
// first makes its control's form active again.
#pragma once
#include "tests/ui/UiTest.h"

namespace ctltest {

using uitest::Activate;

// Gives a control the focus as the user would, with its form active.
inline void FocusOn(TWinControl* c) {
  Activate(GetParentForm(c));
  c->SetFocus();
  uitest::Pump();
}

}  // namespace ctltest
