// The full-screen form base.
#include "app/ParentForm.h"

#include "app/TitleBand.h"

TParentfrm::TParentfrm(TComponent* AOwner) : TfrmBase(AOwner) {
  SetName("Parentfrm");
  SetCaption("Parentfrm");
  SetBounds(0, 0, 696, 480);
  SetWindowState(wsMaximized);
  SetPosition(poMainFormCenter);
  // Created so that the band comes first at the top, the button band at the bottom and
  // the main panel fills the rest; inside the band the shadow lies under the plate and
  // the title over both.
  pnlTitle = new TPanel(this);
  titleband::SetUpBand(pnlTitle);
  pnlTitle->SetParent(this);
  shpBack = new TShape(this);
  titleband::SetUpShadow(shpBack, pnlTitle);
  shpTitle = new TShape(this);
  titleband::SetUpPlate(shpTitle, pnlTitle);
  lblTitle = new TLabel(this);
  titleband::SetUpTitle(lblTitle, pnlTitle);
  pnlBtn = new TPanel(this);
  titleband::SetUpButtonBand(pnlBtn);
  pnlBtn->SetParent(this);
  pnlMain = new TPanel(this);
  titleband::SetUpMain(pnlMain);
  pnlMain->SetParent(this);
  PosCds = new TClientDataSet(this);
  PosCds->SetName("PosCds");
}

void TParentfrm::SetTitle(const AnsiString& Value) {
  titleband::SetTitle(this, lblTitle, shpTitle, shpBack, Value);
}
