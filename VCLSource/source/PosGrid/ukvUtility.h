// The bases of the grid library's forms: one font and a centred position for every form,
// and a fixed dialog border for the dialogs (locate, filter, columns).
#pragma once
#include "ui/Forms.h"

// A form of the grid library: "新宋体" 9 pt in the GB2312 character set, centred on the
// desktop when it is first shown.
class TkwForm : public TForm {
 public:
  explicit TkwForm(TComponent* AOwner);
};

// A dialog of the grid library: a TkwForm with a fixed dialog border.
class TkwDialog : public TkwForm {
 public:
  explicit TkwDialog(TComponent* AOwner);
};
