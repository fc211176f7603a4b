// The plain form base.
#include "app/BaseForm.h"

TfrmBase::TfrmBase(TComponent* AOwner) : TForm(AOwner) {
  SetName("frmBase");
  SetCaption("frmBase");
  SetBounds(0, 0, 696, 480);
  SetPosition(poMainFormCenter);
  Font()->SetName("MS Sans Serif");
  Font()->SetHeight(-11);
  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

void TfrmBase::FormCreate(TObject* Sender) {}
