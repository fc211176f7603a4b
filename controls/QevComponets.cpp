// The maroon panel.
#include "controls/QevComponets.h"

constexpr TColor kMaroonPanelColor = 0xD2DCDD;

TPXMaroonPanel::TPXMaroonPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
  SetAlign(alBottom);
  SetColor(kMaroonPanelColor);
}

void TPXMaroonPanel::SetNoPaint(bool v) {
  FNoPaint = v;
  Invalidate();
}

void TPXMaroonPanel::SetVersion(TZelvoVersion v) {
  if (v == FVersion) return;
  FVersion = v;
  SetColor(v == gvPX ? kMaroonPanelColor : clBtnFace);
}

// Replaces the panel's own painting: no bevel, no caption.
void TPXMaroonPanel::Paint() {
  if (FNoPaint) return;
  TCanvas* cv = Canvas();
  const TRect r = ClientRect();
  cv->Brush()->SetColor(Color());
  cv->Brush()->SetStyle(bsSolid);
  cv->FillRect(r);
  cv->Pen()->SetColor(clGray);
  cv->MoveTo(r.Left, r.Bottom);
  cv->LineTo(r.Left, r.Top);
  cv->LineTo(r.Right, r.Top);
  cv->Pen()->SetColor(clWhite);
  cv->MoveTo(r.Right - 1, r.Top);
  cv->LineTo(r.Right - 1, r.Bottom - 1);
  cv->LineTo(r.Left, r.Bottom - 1);
  cv->Pen()->SetColor(clBlack);
  cv->MoveTo(r.Left + 1, r.Top + 1);
  cv->LineTo(r.Right - 1, r.Top + 1);
}
