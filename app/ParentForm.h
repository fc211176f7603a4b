// The full-screen base with a title band, a button band at the bottom and the main
// panel between them; the stock-take bill manager builds on it.
#pragma once
#include "app/BaseForm.h"
#include "app/TitleBand.h"

class TParentfrm : public TfrmBase, public TTitledParts {
 public:
  explicit TParentfrm(TComponent* AOwner);

  AnsiString GetTitle() const { return lblTitle->Caption(); }
};
