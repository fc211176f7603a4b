// TWinControl's focus and tab order: which control may take the focus, the next one in
// tab order, and the enter and exit events (sent by the form as the focus moves).
#include "ui/Controls.h"

#include <algorithm>

#include "ui/Forms.h"

using namespace ui_win;

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  auto& v = Parent()->FTabList;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TWinControl::SetTabOrder(int v) {
  if (!Parent()) return;
  auto& list = Parent()->FTabList;
  int cur = TabOrder();
  if (cur < 0) return;
  int n = static_cast<int>(list.size());
  if (v < 0 || v >= n) v = n - 1;
  if (v == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + v, this);
}

void TWinControl::SetTabStop(bool v) {
  if (v == FTabStop) return;
  FTabStop = v;
  if (FHandle) {
    LONG s = ::GetWindowLongW(FHandle, GWL_STYLE);
    ::SetWindowLongW(FHandle, GWL_STYLE, v ? (s | WS_TABSTOP) : (s & ~WS_TABSTOP));
  }
}

bool TWinControl::CanFocus() const {
  // The form's own visibility is not asked: a control of a form about to be shown can
  // be made its ActiveControl.
  const TControl* c = this;
  while (c) {
    if (dynamic_cast<const TCustomForm*>(c)) return true;
    if (!c->Visible() || !c->Enabled()) return false;
    c = c->Parent();
  }
  return true;
}

bool TWinControl::Focused() const {
  if (!FHandle) return false;
  HWND f = ::GetFocus();
  return f == FHandle;
}

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (form && form != this && (!form->Visible() || !form->FActive)) {
    form->FActiveControl = this;
    if (form->HandleAllocated() && form->Visible() && ::GetActiveWindow() == form->FHandle) ::SetFocus(Handle());
    return;
  }
  ::SetFocus(Handle());
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : FTabList) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[i] == current) start = i;
  if (start < 0) start = forward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = forward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[i];
    if (c == current) break;
    if (checkTabStop && !c->FTabStop) continue;
    if (checkParent && c->Parent() != this) continue;
    if (c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, forward, checkTabStop, false);
  if (next) next->SetFocus();
}

void TWinControl::DoEnter() {
  if (OnEnter && !Destroying()) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit && !Destroying()) OnExit(this);
}

void TWinControl::WMSetFocus(TMessage& m) {
  DefaultHandler(m);
  if (TCustomForm* form = GetParentForm(this); form && form != this) form->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage& m) { DefaultHandler(m); }
