// TShadowPanel: a panel that draws a coloured shape with a drop shadow behind its
// content (the find dialog's title sits on one).
//
// Two shapes owned by the panel: the shadow (made first, so it lies below) and the
// face. The face covers the panel less ShadowOffset pixels at the right and bottom; the
// shadow has the face's size, ShadowOffset pixels right of and below it. The layout runs
// at construction, when the offset changes and at the start of every paint; it moves
// the shapes only when their bounds differ, so a paint never asks for another paint.
//
// Published beside the panel's own: FaceColor (default $F4C664), ShadowColor (black),
// Shape (stRectangle), ShadowOffset (2) and ShapeVisible (True), each written only off
// its default. The two shapes are the panel's own parts, never written as children.
#pragma once
#include "rtl/PublishedProperties.h"
#include "ui/ExtCtrls.h"

class TShadowPanel : public TPanel {
 public:
  explicit TShadowPanel(TComponent* AOwner);

  TColor FaceColor() const;
  void SetFaceColor(TColor v);
  // Read: the shadow's brush colour. Write: the face's outline and the shadow's brush
  // and outline.
  TColor ShadowColor() const;
  void SetShadowColor(TColor v);
  TShapeType Shape() const;
  void SetShape(TShapeType v);
  int ShadowOffset() const { return FShadowOffset; }
  void SetShadowOffset(int v);
  bool ShapeVisible() const;
  void SetShapeVisible(bool v);

  TShape* Face() const { return FFace; }
  TShape* ShadowShape() const { return FShadow; }

  void DefinePublished(TPublishedProperties& P) override;

 protected:
  void Paint() override;
  void BoundsChanged(bool sized) override;

 private:
  void Layout();
  TShape* FShadow;  // owned by the panel as a component
  TShape* FFace;
  int FShadowOffset = 2;
};
