// TCustomPanel and TShape.
#include "ui/ExtCtrls.h"

#include <algorithm>

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 185, 41);
  FColor = clBtnFace;
  FControlStyle << csSetCaption << csOpaque;
}

void TCustomPanel::SetBevelInner(TPanelBevel v) { if (v != FBevelInner) { FBevelInner = v; Realign(); Invalidate(); } }
void TCustomPanel::SetBevelOuter(TPanelBevel v) { if (v != FBevelOuter) { FBevelOuter = v; Realign(); Invalidate(); } }
void TCustomPanel::SetBevelWidth(int v) { if (v != FBevelWidth) { FBevelWidth = v; Realign(); Invalidate(); } }
void TCustomPanel::SetBorderWidth(int v) { if (v != FBorderWidth) { FBorderWidth = v; Realign(); Invalidate(); } }
void TCustomPanel::SetAlignment(TAlignment v) { if (v != FAlignment) { FAlignment = v; Invalidate(); } }

void TCustomPanel::AdjustClientRect(TRect& r) const {
  int inset = FBorderWidth;
  if (FBevelOuter != bvNone) inset += FBevelWidth;
  if (FBevelInner != bvNone) inset += FBevelWidth;
  r.Left += inset;
  r.Top += inset;
  r.Right -= inset;
  r.Bottom -= inset;
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TPanelBevel b) {
    if (b == bvNone) return;
    TColor top = b == bvLowered ? clBtnShadow : clBtnHighlight;
    TColor bottom = b == bvLowered ? clBtnHighlight : clBtnShadow;
    if (b == bvSpace) top = bottom = FColor;
    Frame3D(c, r, top, bottom, FBevelWidth);
  };
  c->Brush()->SetColor(FColor);
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  bevel(FBevelOuter);
  if (FBorderWidth > 0) Frame3D(c, r, FColor, FColor, FBorderWidth);
  bevel(FBevelInner);
  AnsiString text = GetText();
  if (!text.empty()) {
    c->Brush()->SetStyle(bsClear);
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS |
                     (FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER);
    c->DrawText(text, r, flags);
  }
}

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 65);
  FControlStyle << csReplicatable;
  FPen.OnChange = [this] { Invalidate(); };
  FBrush.OnChange = [this] { Invalidate(); };
}

void TShape::SetShape(TShapeType v) {
  if (v == FShape) return;
  FShape = v;
  Invalidate();
}

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->Pen()->Assign(&FPen);
  c->Brush()->Assign(&FBrush);
  int x = FPen.Width() / 2, y = x;
  int w = Width() - FPen.Width() + 1, h = Height() - FPen.Width() + 1;
  if (FPen.Width() == 0) { --w; --h; }
  int s = std::min(w, h);
  if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = h = s;
  }
  switch (FShape) {
    case stRectangle: case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect: case stRoundSquare: c->RoundRect(x, y, x + w, y + h, s / 4, s / 4); break;
    case stEllipse: case stCircle: c->Ellipse(x, y, x + w, y + h); break;
  }
}
