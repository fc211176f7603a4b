// The bases of the grid library's forms.
#include "ukvUtility.h"

TkwForm::TkwForm(TComponent* AOwner) : TForm(AOwner) {
  Font()->SetName("新宋体");
  Font()->SetSize(9);
  Font()->SetCharset(GB2312_CHARSET);
  SetPosition(poDesktopCenter);
}

TkwDialog::TkwDialog(TComponent* AOwner) : TkwForm(AOwner) { SetBorderStyle(bsDialog); }
