// TWinControl as a container: creation and destruction (children go first, the focus
// leaves a control that goes), and the list of child controls with its tab list.
#include "ui/Controls.h"

#include <algorithm>

#include "ui/Forms.h"

using namespace ui_win;

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  FControlStyle << csAcceptsControls;
}

TWinControl::~TWinControl() {
  SetComponentState(csDestroying, true);
  // A control that goes with the focus leaves it to its form, and the form forgets it
  // as its active control (with no exit events: the control is half gone).
  if (TCustomForm* form = GetParentForm(this); form && form != this) {
    if (form->FActiveControl && ContainsControl(form->FActiveControl)) form->FActiveControl = nullptr;
    if (form->FFocusWalk && ContainsControl(form->FFocusWalk)) form->FFocusWalk = nullptr;
    if (form->FFocusedControl && ContainsControl(form->FFocusedControl)) {
      form->FFocusedControl = nullptr;
      HWND focus = ::GetFocus();
      if (FHandle && form->FHandle && focus && (focus == FHandle || ::IsChild(FHandle, focus))) {
        ::SetFocus(form->FHandle);
      }
    }
  }
  // Children go first; then our window, with no object left listening to it.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
  if (FHandle) {
    DestroyWnd();
    HWND h = FHandle;
    DetachTree();
    ::DestroyWindow(h);
  }
}

void TWinControl::InsertControl(TControl* c) {
  c->FParent = this;
  FControls.push_back(c);
  if (auto* w = dynamic_cast<TWinControl*>(c)) FTabList.push_back(w);
  if (c->FParentFont && !c->FFont.SameAs(FFont)) {
    c->FFontFromParent = true;
    c->FFont.Assign(&FFont);
    c->FFontFromParent = false;
  }
  if (c->FParentColor && c->FColor != FColor) {
    c->FColor = FColor;
  }
  if (c->FParentShowHint) c->FShowHint = FShowHint;
  c->UpdateAnchorRules();
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    if (FHandle && !w->FHandle) w->CreateHandle();
  } else {
    c->Invalidate();
  }
  if (c->FAlign != alNone) Realign(c);
}

void TWinControl::RemoveControl(TControl* c) {
  // `c` may be half destroyed (its own destructor called us): compare pointers only.
  if (auto* form = GetParentForm(this)) {
    auto inside = [c](TWinControl* w) {
      for (const TControl* x = w; x; x = x->Parent())
        if (x == c) return true;
      return false;
    };
    if (form->FActiveControl && inside(form->FActiveControl)) form->FActiveControl = nullptr;
    if (form->FFocusedControl && inside(form->FFocusedControl)) form->FFocusedControl = nullptr;
    if (form->FFocusWalk && inside(form->FFocusWalk)) form->FFocusWalk = nullptr;
  }
  if (FMouseControl == c) FMouseControl = nullptr;
  if (FHoverControl == c) FHoverControl = nullptr;
  if (FHandle && c->FVisible) {
    RECT r{c->FLeft, c->FTop, c->FLeft + c->FWidth, c->FTop + c->FHeight};
    ::InvalidateRect(FHandle, &r, TRUE);
  }
  FControls.erase(std::remove(FControls.begin(), FControls.end(), c), FControls.end());
  FTabList.erase(std::remove_if(FTabList.begin(), FTabList.end(),
                                [c](TWinControl* w) { return static_cast<TControl*>(w) == c; }),
                 FTabList.end());
  if (!c->Destroying())
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FHandle) w->DestroyHandle();
  c->FParent = nullptr;
  if (c->FAlign != alNone && !Destroying()) Realign();
}

bool TWinControl::ContainsControl(const TControl* c) const {
  while (c) {
    if (c == this) return true;
    c = c->Parent();
  }
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c)) continue;
    if (c->FVisible && (allowDisabled || c->FEnabled) && c->BoundsRect().Contains(p)) return c;
  }
  return nullptr;
}
