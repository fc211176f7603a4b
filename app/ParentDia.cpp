// The dialog form base.
#include "app/ParentDia.h"

#include "app/TitleBand.h"

TdiaParent::TdiaParent(TComponent* AOwner) : TfrmBase(AOwner) {
  SetName("diaParent");
  SetCaption("diaParent");
  SetBorderStyle(bsDialog);
  SetClientWidth(300);
  SetClientHeight(300);
  pnlTitle = new TPanel(this);
  titleband::SetUpBand(pnlTitle);
  pnlTitle->SetParent(this);
  pnlMain = new TPanel(this);
  titleband::SetUpMain(pnlMain);
  pnlMain->SetParent(this);
  pnlBtn = new TPanel(this);
  titleband::SetUpButtonBand(pnlBtn);
  pnlBtn->SetParent(this);
  // The shadow lies under the plate, the title over both.
  shpBack = new TShape(this);
  titleband::SetUpShadow(shpBack, pnlTitle);
  shpTitle = new TShape(this);
  titleband::SetUpPlate(shpTitle, pnlTitle);
  lblTitle = new TLabel(this);
  titleband::SetUpTitle(lblTitle, pnlTitle);
  PosCds = new TClientDataSet(this);
  PosCds->SetName("PosCds");
}

void TdiaParent::SetTitle(const AnsiString& Value) {
  titleband::SetTitle(this, lblTitle, shpTitle, shpBack, Value);
}
