// The dialog form base.
#include "app/ParentDia.h"

TdiaParent::TdiaParent(TComponent* AOwner) : TfrmBase(AOwner) {
  SetName("diaParent");
  SetCaption("diaParent");
  SetBorderStyle(bsDialog);
  SetClientWidth(300);
  SetClientHeight(300);
  MakeTitledParts(this, TOrder::Dialog);
}
