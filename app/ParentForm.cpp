// The full-screen form base.
#include "app/ParentForm.h"

TParentfrm::TParentfrm(TComponent* AOwner) : TfrmBase(AOwner) {
  SetName("Parentfrm");
  SetCaption("Parentfrm");
  SetBounds(0, 0, 696, 480);
  SetWindowState(wsMaximized);
  SetPosition(poMainFormCenter);
  MakeTitledParts(this, TOrder::FullScreen);
}
