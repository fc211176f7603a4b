// Standard controls: edit, memo, button, check box, combo box, list box (system window
// classes, subclassed), label (graphic) and group box (painted by us).
//
// Wrappers are thin: while the window exists its state (text, items, selection, check)
// is read from and written to the window; the object keeps a copy only while there is
// no window, and takes it back from the window when the window goes.
//
// One header per control; this one brings them all.
#pragma once
#include <memory>

#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/Edit.h"
#include "ui/GroupBox.h"
#include "ui/Label.h"
#include "ui/ListBox.h"
#include "ui/ListControlStrings.h"
#include "ui/Memo.h"
