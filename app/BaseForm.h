// The plain base of the application's forms: one size, one font, centred on the main
// form. Descendants build their components in their own constructors after these.
#pragma once
#include "ui/Forms.h"

class TfrmBase : public TForm {
 public:
  explicit TfrmBase(TComponent* AOwner);

  // OnCreate: nothing visible happens.
  void FormCreate(TObject* Sender);
};
