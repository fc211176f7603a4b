// Private to the grid's source files and the editors derived from the grid's editor: the id of the scroll timer that runs while the
// mouse selects or drags, the directions of a timed scroll, and the hand-over of a dialog
// key the grid or its editor does not want to the form.
#pragma once

#include "ui/Controls.h"

namespace ui_grid_detail {

constexpr UINT_PTR kScrollTimer = 1;
constexpr unsigned sdLeft = 1, sdRight = 2, sdUp = 4, sdDown = 8;

// A key of the dialog kind that a control does not take goes to its form first; true
// when the form used it.
bool OfferDialogKey(TWinControl* c, bool wanted, TMessage& m);

}  // namespace ui_grid_detail
