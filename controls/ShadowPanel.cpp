// TShadowPanel (see ShadowPanel.h).
#include "controls/ShadowPanel.h"

namespace {
constexpr TColor kFaceColor = static_cast<TColor>(0xF4C664);
}  // namespace

TShadowPanel::TShadowPanel(TComponent* AOwner) : TPanel(AOwner) {
  SetBevelOuter(bvNone);
  SetBevelInner(bvNone);
  FShadow = new TShape(this);
  FShadow->SetParent(this);
  FFace = new TShape(this);
  FFace->SetParent(this);
  FFace->Brush()->SetColor(kFaceColor);
  FFace->Pen()->SetColor(clBlack);
  FShadow->Brush()->SetColor(clBlack);
  FShadow->Pen()->SetColor(clBlack);
  Layout();
}

void TShadowPanel::Layout() {
  const int w = Width() - FShadowOffset, h = Height() - FShadowOffset;
  FFace->SetBounds(0, 0, w, h);
  FShadow->SetBounds(FFace->Left() + FShadowOffset, FFace->Top() + FShadowOffset, FFace->Width(), FFace->Height());
}

void TShadowPanel::Paint() {
  Layout();
  TPanel::Paint();
}

void TShadowPanel::BoundsChanged(bool sized) {
  TPanel::BoundsChanged(sized);
  if (sized) Layout();
}

TColor TShadowPanel::FaceColor() const { return FFace->Brush()->Color(); }
void TShadowPanel::SetFaceColor(TColor v) { FFace->Brush()->SetColor(v); }

TColor TShadowPanel::ShadowColor() const { return FShadow->Brush()->Color(); }

void TShadowPanel::SetShadowColor(TColor v) {
  FFace->Pen()->SetColor(v);
  FShadow->Brush()->SetColor(v);
  FShadow->Pen()->SetColor(v);
}

TShapeType TShadowPanel::Shape() const { return FFace->Shape(); }

void TShadowPanel::SetShape(TShapeType v) {
  FFace->SetShape(v);
  FShadow->SetShape(v);
}

void TShadowPanel::SetShadowOffset(int v) {
  if (v == FShadowOffset) return;
  FShadowOffset = v;
  Layout();
}

bool TShadowPanel::ShapeVisible() const { return FFace->Visible(); }

void TShadowPanel::SetShapeVisible(bool v) {
  FFace->SetVisible(v);
  FShadow->SetVisible(v);
}

void TShadowPanel::DefinePublished(TPublishedProperties& P) {
  TPanel::DefinePublished(P);
  P.AddInteger("FaceColor", this, &TShadowPanel::FaceColor, &TShadowPanel::SetFaceColor).Default(kFaceColor);
  P.AddInteger("ShadowColor", this, &TShadowPanel::ShadowColor, &TShadowPanel::SetShadowColor).Default(clBlack);
  P.AddEnumeration("Shape", {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"}, this,
                   &TShadowPanel::Shape, &TShadowPanel::SetShape)
      .Default(stRectangle);
  P.AddInteger("ShadowOffset", this, &TShadowPanel::ShadowOffset, &TShadowPanel::SetShadowOffset).Default(2);
  P.AddBoolean("ShapeVisible", this, &TShadowPanel::ShapeVisible, &TShadowPanel::SetShapeVisible).Default(true);
}
