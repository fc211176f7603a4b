// TSpeedButton.
#include "ui/Buttons.h"

#include <algorithm>

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 23, 22);
  FControlStyle << csCaptureMouse << csOpaque;
  FControlStyle >> csDoubleClicks;
  FColor = clBtnFace;
}

void TSpeedButton::SetGlyph(TBitmap* b) {
  FGlyph.Assign(b);
  if (b && !b->Empty() && b->Height() > 0) {
    int n = b->Width() / b->Height();
    if (n >= 1 && n <= 4 && b->Width() % b->Height() == 0) FNumGlyphs = n;
  }
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int v) {
  v = std::clamp(v, 1, 4);
  if (v == FNumGlyphs) return;
  FNumGlyphs = v;
  Invalidate();
}

void TSpeedButton::SetFlat(bool v) {
  if (v == FFlat) return;
  FFlat = v;
  Invalidate();
}

void TSpeedButton::SetDown(bool v) {
  if (FGroupIndex == 0) v = false;
  if (v == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = v;
  FState = v ? bsExclusive : bsUp;
  if (v && Parent()) {
    // Only one button of a group is down.
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
      auto* sb = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
      if (sb && sb != this && sb->FGroupIndex == FGroupIndex && sb->FDown) {
        sb->FDown = false;
        sb->FState = bsUp;
        sb->Invalidate();
      }
    }
  }
  Invalidate();
}

void TSpeedButton::Click() {
  TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  TGraphicControl::MouseDown(b, s, x, y);
  if (b == mbLeft && Enabled()) {
    if (!FDown) {
      FState = bsDown;
      Invalidate();
    }
    FDragging = true;
  }
}

void TSpeedButton::MouseMove(TShiftState s, int x, int y) {
  TGraphicControl::MouseMove(s, x, y);
  if (FDragging) {
    TButtonState ns = bsUp;
    if (x >= 0 && x < Width() && y >= 0 && y < Height()) ns = FDown ? bsExclusive : bsDown;
    else if (FDown) ns = bsExclusive;
    if (ns != FState) {
      FState = ns;
      Invalidate();
    }
  }
}

void TSpeedButton::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  TGraphicControl::MouseUp(b, s, x, y);
  if (!FDragging) return;
  FDragging = false;
  bool inside = x >= 0 && x < Width() && y >= 0 && y < Height();
  if (FGroupIndex == 0) {
    FState = bsUp;
  } else if (inside) {
    SetDown(!FDown);
    if (FDown) FState = bsExclusive;
  } else {
    FState = FDown ? bsExclusive : bsUp;
  }
  Invalidate();
}

void TSpeedButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSEENTER:
      FMouseInControl = true;
      if (FFlat) Invalidate();
      return;
    case CM_MOUSELEAVE:
      FMouseInControl = false;
      if (FFlat) Invalidate();
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<unsigned>(m.WParam), GetText()) && Enabled() && Visible() && Parent() &&
          Parent()->Showing()) {
        Click();
        m.Result = 1;
      }
      return;
    default:
      TGraphicControl::WndProc(m);
  }
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  bool pressed = FState == bsDown || FState == bsExclusive;
  c->Brush()->SetColor(FColor);
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  if (!FFlat || FMouseInControl || pressed) {
    TRect e = r;
    c->DrawEdge(e, pressed ? BDR_SUNKENOUTER | BDR_SUNKENINNER : BDR_RAISEDOUTER | BDR_RAISEDINNER,
                BF_RECT);
    if (FFlat) {
      e = r;
      c->DrawEdge(e, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
  }
  int offset = pressed ? 1 : 0;
  // Glyph part by state: up, disabled, pressed, down (missing parts fall back to up).
  int part = 0;
  if (!Enabled() && FNumGlyphs >= 2) part = 1;
  else if (FState == bsDown && FNumGlyphs >= 3) part = 2;
  else if (FState == bsExclusive && FNumGlyphs >= 4) part = 3;
  int gw = FGlyph.Empty() ? 0 : FGlyph.Width() / FNumGlyphs;
  int gh = FGlyph.Empty() ? 0 : FGlyph.Height();
  AnsiString text = GetText();
  TPoint ts{0, 0};
  if (!text.empty()) {
    TRect tr = Rect(0, 0, 0, 0);
    c->DrawText(text, tr, DT_CALCRECT | DT_SINGLELINE);
    ts = {tr.Width(), tr.Height()};
  }
  int spacing = (gw > 0 && !text.empty()) ? FSpacing : 0;
  bool horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight;
  int totalW = horizontal ? gw + spacing + ts.X : std::max(gw, ts.X);
  int totalH = horizontal ? std::max(gh, ts.Y) : gh + spacing + ts.Y;
  int x0 = (Width() - totalW) / 2 + offset, y0 = (Height() - totalH) / 2 + offset;
  if (FMargin >= 0 && horizontal) x0 = FMargin + offset;
  TPoint gp, tp;
  switch (FLayout) {
    case blGlyphLeft: gp = {x0, y0 + (totalH - gh) / 2}; tp = {x0 + gw + spacing, y0 + (totalH - ts.Y) / 2}; break;
    case blGlyphRight: tp = {x0, y0 + (totalH - ts.Y) / 2}; gp = {x0 + ts.X + spacing, y0 + (totalH - gh) / 2}; break;
    case blGlyphTop: gp = {x0 + (totalW - gw) / 2, y0}; tp = {x0 + (totalW - ts.X) / 2, y0 + gh + spacing}; break;
    case blGlyphBottom: tp = {x0 + (totalW - ts.X) / 2, y0}; gp = {x0 + (totalW - gw) / 2, y0 + ts.Y + spacing}; break;
  }
  if (gw > 0) {
    HDC dc = c->Handle();
    ::TransparentBlt(dc, gp.X, gp.Y, gw, gh, FGlyph.DC(), part * gw, 0, gw, gh,
                     ColorToRGB(FGlyph.TransparentColor()));
  }
  if (!text.empty()) {
    c->Brush()->SetStyle(bsClear);
    TRect tr = Bounds(tp.X, tp.Y, ts.X, ts.Y);
    if (!Enabled()) {
      TRect sh = Bounds(tp.X + 1, tp.Y + 1, ts.X, ts.Y);
      c->Font()->SetColor(clBtnHighlight);
      c->DrawText(text, sh, DT_SINGLELINE);
      c->Font()->SetColor(clBtnShadow);
    }
    c->DrawText(text, tr, DT_SINGLELINE);
  }
}
