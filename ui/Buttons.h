// The speed button: a graphic control (no window, no focus) with a glyph and a caption,
// painted by its parent; flat buttons show their frame only under the mouse.
#pragma once
#include <memory>

#include "ui/Controls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  // The picture: NumGlyphs pictures side by side (up, disabled, pressed, down); the
  // bottom-left pixel's colour is transparent.
  TBitmap* Glyph() { return &FGlyph; }
  void SetGlyph(TBitmap* b);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int v);
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);
  bool Down() const { return FDown; }
  void SetDown(bool v);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int v) { FGroupIndex = v; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool v) { FAllowAllUp = v; }
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout v) { FLayout = v; Invalidate(); }
  int Margin() const { return FMargin; }
  void SetMargin(int v) { FMargin = v; Invalidate(); }
  int Spacing() const { return FSpacing; }
  void SetSpacing(int v) { FSpacing = v; Invalidate(); }
  // Pressed (mouse held down on it) or down.
  TButtonState State() const { return FState; }
  bool MouseInControl() const { return FMouseInControl; }
  void Click() override;
  void WndProc(TMessage& m) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
  void MouseMove(TShiftState s, int x, int y) override;
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;
  void TextChanged() override { Invalidate(); }

 private:
  TBitmap FGlyph;
  int FNumGlyphs = 1;
  bool FFlat = false;
  bool FDown = false;
  int FGroupIndex = 0;
  bool FAllowAllUp = false;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  TButtonState FState = bsUp;
  bool FDragging = false;
  bool FMouseInControl = false;
};
