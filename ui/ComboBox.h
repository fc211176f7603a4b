// TComboBox: the combo box (system class COMBOBOX); its items are the window's list.
#pragma once
#include "ui/Edit.h"
#include "ui/ListControlStrings.h"

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TCustomComboBox : public TWinControl {
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  TStrings* Items() { return &FItems; }
  int ItemIndex() const;
  void SetItemIndex(int v);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle v);
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int v) { FDropDownCount = v; }
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int v);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase v) { FCharCase = v; }
  bool Focused() const override;
  void SelectAll();
  // The height is that of the closed box; the window also holds the drop-down list.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;
  void CNCommand(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  bool WantsKey(WORD key, const MSG* msg) override;
  void KeyPress(char& key) override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();

  TListControlStrings FItems;
  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
  int FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  int FItemIndex = -1;
};

class TComboBox : public TCustomComboBox {
 public:
  using TCustomComboBox::TCustomComboBox;
};
