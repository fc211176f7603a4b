// The title band of the form bases.
#include "app/TitleBand.h"

namespace titleband {

namespace {
void Name(TControl* c, const char* name, TWinControl* parent) {
  c->SetName(name);
  c->SetParent(parent);
}
}  // namespace

void SetUpBand(TPanel* pnlTitle) {
  pnlTitle->SetName("pnlTitle");
  pnlTitle->SetCaption("");
  pnlTitle->SetAlign(alTop);
  pnlTitle->SetHeight(58);
  pnlTitle->SetBevelOuter(bvNone);
  pnlTitle->SetColor(kBandColor);
}

void SetUpShadow(TShape* shpBack, TPanel* pnlTitle) {
  Name(shpBack, "shpBack", pnlTitle);
  shpBack->SetBounds(12, 18, 120, 24);
  shpBack->SetShape(stRoundRect);
  shpBack->Brush()->SetColor(clBlack);
}

void SetUpPlate(TShape* shpTitle, TPanel* pnlTitle) {
  Name(shpTitle, "shpTitle", pnlTitle);
  shpTitle->SetBounds(10, 16, 120, 24);
  shpTitle->SetShape(stRoundRect);
  shpTitle->Brush()->SetColor(kPlateColor);
}

void SetUpTitle(TLabel* lblTitle, TPanel* pnlTitle) {
  Name(lblTitle, "lblTitle", pnlTitle);
  lblTitle->SetLeft(18);
  lblTitle->SetTop(20);
  lblTitle->SetParentFont(false);
  lblTitle->Font()->SetName("宋体");
  lblTitle->Font()->SetHeight(-16);
  lblTitle->Font()->SetStyle(TFontStyles{fsBold});
  lblTitle->SetTransparent(true);
  lblTitle->SetLayout(tlCenter);
  lblTitle->SetCaption("标题");
}

void SetUpButtonBand(TPanel* pnlBtn) {
  pnlBtn->SetName("pnlBtn");
  pnlBtn->SetCaption("");
  pnlBtn->SetAlign(alBottom);
  pnlBtn->SetHeight(46);
  pnlBtn->SetBevelInner(bvLowered);
  pnlBtn->SetBevelOuter(bvLowered);
  pnlBtn->SetColor(kBandColor);
}

void SetUpMain(TPanel* pnlMain) {
  pnlMain->SetName("pnlMain");
  pnlMain->SetCaption("");
  pnlMain->SetAlign(alClient);
  pnlMain->SetBevelOuter(bvNone);
  pnlMain->SetColor(kBandColor);
}

void SetTitle(TCustomForm* form, TLabel* lblTitle, TShape* shpTitle, TShape* shpBack,
              const AnsiString& value) {
  lblTitle->SetCaption(value);
  form->SetCaption(value);
  const int w = PlateWidth(lblTitle->Left(), lblTitle->Width(), value.empty());
  shpTitle->SetWidth(w);
  shpBack->SetWidth(w);
}

}  // namespace titleband
