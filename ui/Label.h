// TLabel: a caption painted by its parent (a graphic control, no window of its own).
#pragma once
#include "ui/Controls.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool v);
  // The control that takes the focus on the label's accelerator.
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* c);
  // Resizes to the caption when AutoSize is on (keeping the right edge for right
  // alignment and the centre for centred text when not word-wrapped).
  virtual void AdjustBounds();
  void WndProc(TMessage& m) override;

 protected:
  void Paint() override;
  void TextChanged() override { AdjustBounds(); Invalidate(); }
  void FontChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  unsigned DrawTextFlags() const;
  virtual AnsiString LabelText() const { return GetText(); }

 private:
  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FTransparent = false;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  using TCustomLabel::TCustomLabel;
};
