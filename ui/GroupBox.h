// TGroupBox: a framed box with a caption, painted by us, holding other controls.
#pragma once
#include "ui/Controls.h"

class TCustomGroupBox : public TCustomControl {
 public:
  explicit TCustomGroupBox(TComponent* AOwner);
  void AdjustClientRect(TRect& r) const override;

 protected:
  void Paint() override;
  void TextChanged() override { Invalidate(); }
  void CMDialogChar(TMessage& m) override;
};

class TGroupBox : public TCustomGroupBox {
 public:
  using TCustomGroupBox::TCustomGroupBox;
};
