// The dialog base with the same title band as the full-screen base; the terminal import
// dialog and the VIP card screen build on it.
#pragma once
#include "app/BaseForm.h"
#include "app/TitleBand.h"

class TdiaParent : public TfrmBase, public TTitledParts {
 public:
  explicit TdiaParent(TComponent* AOwner);
};
