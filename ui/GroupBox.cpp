// The group box.
#include "ui/GroupBox.h"

#include "ui/Forms.h"

using namespace ui_win;

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 185, 105);
  FControlStyle << csSetCaption;
}

void TCustomGroupBox::AdjustClientRect(TRect& r) const {
  int h = -const_cast<TCustomGroupBox*>(this)->Font()->Height();
  r.Top += std::max(h, 12);
  r.Left += 2;
  r.Right -= 2;
  r.Bottom -= 2;
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  int th = c->TextHeight("0");
  TRect r = ClientRect();
  r.Top += th / 2;
  c->DrawEdge(r, EDGE_ETCHED, BF_RECT);
  AnsiString text = GetText();
  if (!text.empty()) {
    TRect tr = Rect(8, 0, 0, th);
    c->DrawText(text, tr, DT_CALCRECT | DT_SINGLELINE);
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(bsSolid);
    tr.Right += 2;
    c->FillRect(Rect(tr.Left - 1, tr.Top, tr.Right + 1, tr.Bottom));
    c->Brush()->SetStyle(bsClear);
    c->DrawText(text, tr, DT_SINGLELINE | DT_LEFT);
  }
}

void TCustomGroupBox::CMDialogChar(TMessage& m) {
  if (IsAccel(static_cast<unsigned>(m.WParam), GetText()) && CanFocus()) {
    SelectNext(nullptr, true, true);
    m.Result = 1;
    return;
  }
  Broadcast(m);
}
