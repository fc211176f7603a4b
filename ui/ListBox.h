// TListBox: the list box (system class LISTBOX); its items are the window's list.
#pragma once
#include "ui/ListControlStrings.h"

class TCustomListBox : public TWinControl {
 public:
  explicit TCustomListBox(TComponent* AOwner);
  TStrings* Items() { return &FItems; }
  int ItemIndex() const;
  void SetItemIndex(int v);
  int ItemHeight() const;
  void Clear() { FItems.Clear(); }

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void DestroyWnd() override;
  void CNCommand(TMessage& m) override;

  TListControlStrings FItems;
  int FItemIndex = -1;
};

class TListBox : public TCustomListBox {
 public:
  using TCustomListBox::TCustomListBox;
};
