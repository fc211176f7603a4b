// The label: its size follows the caption; its accelerator focuses FocusControl.
#include "ui/Label.h"

#include "ui/Forms.h"

using namespace ui_win;

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 17);
  FControlStyle << csReplicatable;
}

unsigned TCustomLabel::DrawTextFlags() const {
  unsigned f = DT_EXPANDTABS;
  if (FWordWrap) f |= DT_WORDBREAK;
  if (!FShowAccelChar) f |= DT_NOPREFIX;
  f |= FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT;
  return f;
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || Destroying()) return;
  WindowDC screen;
  TCanvas c;
  AnsiString text = LabelText();
  if (text.empty() || (FShowAccelChar && text == "&")) text = " ";
  TRect r = Rect(0, 0, FWordWrap ? FWidth : 0, 0);
  {
    CanvasOnDC on(c, screen.dc());
    c.Font()->Assign(&FFont);
    c.DrawText(text, r, DrawTextFlags() | DT_CALCRECT);
  }
  int left = FLeft;
  if (!FWordWrap) {
    if (FAlignment == taRightJustify) left = FLeft + FWidth - r.Width();
    else if (FAlignment == taCenter) left = FLeft + (FWidth - r.Width()) / 2;
  }
  SetBounds(left, FTop, r.Width(), r.Height());
}

void TCustomLabel::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v) {
  if (v == FLayout) return;
  FLayout = v;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  if (v) FControlStyle >> csOpaque; else FControlStyle << csOpaque;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
  if (v == FShowAccelChar) return;
  FShowAccelChar = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* c) {
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = c;
  if (c) c->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!FTransparent) {
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  AnsiString text = LabelText();
  unsigned flags = DrawTextFlags();
  if (FLayout != tlTop) {
    TRect calc = r;
    c->DrawText(text.empty() ? AnsiString(" ") : text, calc, flags | DT_CALCRECT);
    int dy = FLayout == tlBottom ? r.Height() - calc.Height() : (r.Height() - calc.Height()) / 2;
    r.Top += dy;
  }
  if (!Enabled()) {
    TRect shifted = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    c->Font()->SetColor(clBtnHighlight);
    c->DrawText(text, shifted, flags);
    c->Font()->SetColor(clBtnShadow);
  }
  c->DrawText(text, r, flags);
}

void TCustomLabel::WndProc(TMessage& m) {
  if (m.Msg == CM_DIALOGCHAR) {
    if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(static_cast<unsigned>(m.WParam), GetText()) &&
        FFocusControl->CanFocus()) {
      FFocusControl->SetFocus();
      m.Result = 1;
    }
    return;
  }
  TGraphicControl::WndProc(m);
}
