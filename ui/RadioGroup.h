// TRadioGroup: a group box of radio buttons (system class BUTTON, BS_RADIOBUTTON), one per
// item, one column; exactly the button of ItemIndex is checked. A click or the focus
// arriving on a button selects its item; the arrow keys move the choice within the group.
#pragma once
#include <algorithm>
#include <vector>

#include "ui/Button.h"
#include "ui/GroupBox.h"

class TRadioGroup;

class TGroupButton : public TButtonControl {
 public:
  TGroupButton(TRadioGroup* group, int index);
  void SetChecked(bool v);
  bool Checked() const;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void CNCommand(TMessage& m) override;
  void WndProc(TMessage& m) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  TRadioGroup* FGroup;
  int FIndex;
  bool FChecked = false;
};

class TRadioGroup : public TCustomGroupBox {
 public:
  explicit TRadioGroup(TComponent* AOwner);
  // Items are added once, before the group is shown.
  void AddItem(const AnsiString& caption);
  int ItemCount() const { return static_cast<int>(FButtons.size()); }
  TGroupButton* Buttons(int i) const { return FButtons.at(static_cast<size_t>(i)); }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int v);
  void SetBounds(int l, int t, int w, int h) override;

 private:
  void ArrangeButtons();
  std::vector<TGroupButton*> FButtons;  // owned by the group as components
  int FItemIndex = -1;
};
