// The title band of the form bases.
#include "app/TitleBand.h"

using namespace titleband;

void TTitledParts::MakeTitledParts(TCustomForm* form, TOrder order) {
  FForm = form;
  auto panel = [form](const char* name, TAlign align) {
    auto* p = new TPanel(form);
    p->SetName(name);
    p->SetCaption("");
    p->SetAlign(align);
    p->SetBevelOuter(bvNone);
    p->SetColor(kBandColor);
    p->SetParent(form);
    return p;
  };
  auto band = [&] {
    pnlTitle = panel("pnlTitle", alTop);
    pnlTitle->SetHeight(58);
  };
  auto buttons = [&] {
    pnlBtn = panel("pnlBtn", alBottom);
    pnlBtn->SetHeight(46);
    pnlBtn->SetBevelInner(bvLowered);
    pnlBtn->SetBevelOuter(bvLowered);
  };
  auto main = [&] { pnlMain = panel("pnlMain", alClient); };
  auto shape = [&](const char* name, int left, int top, TColor color) {
    auto* s = new TShape(form);
    s->SetName(name);
    s->SetParent(pnlTitle);
    s->SetBounds(left, top, 120, 24);
    s->SetShape(stRoundRect);
    s->Brush()->SetColor(color);
    return s;
  };
  auto plate = [&] {
    shpBack = shape("shpBack", 12, 18, clBlack);
    shpTitle = shape("shpTitle", 10, 16, kPlateColor);
    lblTitle = new TLabel(form);
    lblTitle->SetName("lblTitle");
    lblTitle->SetParent(pnlTitle);
    lblTitle->SetLeft(18);
    lblTitle->SetTop(20);
    lblTitle->SetParentFont(false);
    lblTitle->Font()->SetName("宋体");
    lblTitle->Font()->SetHeight(-16);
    lblTitle->Font()->SetStyle(TFontStyles{fsBold});
    lblTitle->SetTransparent(true);
    lblTitle->SetLayout(tlCenter);
    lblTitle->SetCaption("标题");
  };
  band();
  if (order == TOrder::FullScreen) {
    plate();
    buttons();
    main();
  } else {
    main();
    buttons();
    plate();
  }
  PosCds = new TClientDataSet(form);
  PosCds->SetName("PosCds");
}

void TTitledParts::SetTitle(const AnsiString& Value) {
  lblTitle->SetCaption(Value);
  FForm->SetCaption(Value);
  const int w = PlateWidth(lblTitle->Left(), lblTitle->Width(), Value.empty());
  shpTitle->SetWidth(w);
  shpBack->SetWidth(w);
}
