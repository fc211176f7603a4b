// The radio group.
#include "ui/RadioGroup.h"

using namespace ui_win;

TGroupButton::TGroupButton(TRadioGroup* group, int index) : TButtonControl(group), FGroup(group), FIndex(index) {
  FColor = clBtnFace;
}

void TGroupButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.WinClassName = L"BUTTON";
  p.Style |= BS_RADIOBUTTON;
}

void TGroupButton::CreateHandle() {
  TButtonControl::CreateHandle();
  ::SendMessageW(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TGroupButton::Checked() const { return FChecked; }

void TGroupButton::SetChecked(bool v) {
  FChecked = v;
  SetTabStop(v);
  if (HandleAllocated()) ::SendMessageW(FHandle, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
}

// A click, or the focus arriving by the keyboard (the system reports both as BN_CLICKED).
void TGroupButton::CNCommand(TMessage& m) {
  const unsigned code = HIWORD(m.WParam);
  if (code == BN_CLICKED || code == BN_DOUBLECLICKED) FGroup->SetItemIndex(FIndex);
}

// The arrows stay in the group: they are the button's own keys, not the form's.
void TGroupButton::WndProc(TMessage& m) {
  TButtonControl::WndProc(m);
  if (m.Msg == WM_GETDLGCODE) m.Result |= DLGC_WANTARROWS;
}

void TGroupButton::KeyDown(WORD& Key, TShiftState Shift) {
  TButtonControl::KeyDown(Key, Shift);
  int step = 0;
  if (Key == VK_DOWN || Key == VK_RIGHT) step = 1;
  if (Key == VK_UP || Key == VK_LEFT) step = -1;
  if (step == 0) return;
  Key = 0;
  const int next = FIndex + step;
  if (next < 0 || next >= FGroup->ItemCount()) return;
  FGroup->SetItemIndex(next);
  FGroup->Buttons(next)->SetFocus();
}

TRadioGroup::TRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner) { SetBounds(0, 0, 185, 105); }

void TRadioGroup::AddItem(const AnsiString& caption) {
  auto* b = new TGroupButton(this, ItemCount());  // owned by the group
  b->SetCaption(caption);
  b->SetParent(this);
  FButtons.push_back(b);
  ArrangeButtons();
}

void TRadioGroup::SetItemIndex(int v) {
  if (v < -1 || v >= ItemCount()) v = -1;
  const bool changed = v != FItemIndex;
  FItemIndex = v;
  for (int i = 0; i < ItemCount(); ++i) Buttons(i)->SetChecked(i == v);
  if (changed) Click();
}

void TRadioGroup::SetBounds(int l, int t, int w, int h) {
  TCustomGroupBox::SetBounds(l, t, w, h);
  ArrangeButtons();
}

// One column, the buttons spread evenly below the caption.
void TRadioGroup::ArrangeButtons() {
  if (FButtons.empty()) return;
  TRect r(0, 0, Width(), Height());
  AdjustClientRect(r);
  const int n = ItemCount();
  const int step = std::max(1, (r.Height() - 4) / n);
  for (int i = 0; i < n; ++i) Buttons(i)->SetBounds(r.Left + 8, r.Top + 2 + i * step, std::max(0, r.Width() - 16), std::min(step, 20));
}
