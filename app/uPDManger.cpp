// The stock-take bill manager form.
#include "app/uPDManger.h"

TfrmpdManger::TfrmpdManger(TComponent* AOwner) : TForm(AOwner) {
  SetName("frmpdManger");
  SetCaption("盘点单");
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetClientWidth(800);
  SetClientHeight(560);
}

void TfrmpdManger::InitBill() { SetCaption("盘点单"); }
