// Panels and shapes.
#pragma once
#include "ui/Controls.h"
#include "ui/Forms.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

// A container of our own class with a 3-D frame: outer bevel, border, inner bevel, and
// a caption drawn in the middle. Children are aligned inside the frame.
class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* AOwner);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel v);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel v);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int v);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool v) { FFullRepaint = v; }
  void AdjustClientRect(TRect& r) const override;

 protected:
  void Paint() override;
  void TextChanged() override { Invalidate(); }

 private:
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
  bool FFullRepaint = true;
};

class TPanel : public TCustomPanel {
 public:
  using TCustomPanel::TCustomPanel;
};

class TShape : public TGraphicControl {
 public:
  explicit TShape(TComponent* AOwner);
  TShapeType Shape() const { return FShape; }
  void SetShape(TShapeType v);
  TPen* Pen() { return &FPen; }
  TBrush* Brush() { return &FBrush; }
  void SetPen(TPen* p) { FPen.Assign(p); }
  void SetBrush(TBrush* b) { FBrush.Assign(b); }

 protected:
  void Paint() override;

 private:
  TShapeType FShape = stRectangle;
  TPen FPen;
  TBrush FBrush;
};
