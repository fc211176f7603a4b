// The pick edit and the maroon panel.
//
// TQevPickEdit is a one-line edit with a small pick button inside its right end (in a
// container window, TCPickButton, holding a TPickButton) and an optional 1-pixel line
// along its bottom; it is built as a spin edit is, with one button. TPXMaroonPanel is a
// bottom-aligned panel with its own flat 3-D frame (the find dialog carries its buttons
// on one).
//
// All four publish their properties for form resources (controls/PublishedControls.h),
// leaving out those the framework does not have (size constraints, 3-D look, drag and
// dock, popup menus, bevels, reading direction, auto-size and locking of panels), the
// button glyph's picture and the container's FocusControl (a reference to another
// component). The edit streams no child controls: its container and line are its own.
#pragma once
#include "controls/PublishedControls.h"
#include "ui/Buttons.h"
#include "ui/Edit.h"
#include "ui/ExtCtrls.h"

// The pick button: a speed button with a dotted focus rectangle inside it.
class TPickButton : public TSpeedButton {
 public:
  using TSpeedButton::TSpeedButton;

 protected:
  void Paint() override;
};

// The button's container window: at least 15 pixels wide, the button filling it.
class TCPickButton : public TWinControl {
 public:
  explicit TCPickButton(TComponent* AOwner);
  TPickButton* Btn() const { return FButton; }
  TWinControl* FocusControl = nullptr;
  TNotifyEvent OnDownClick;
  // A bitmap becomes the glyph; null gives the default 12 x 12 pick glyph.
  TBitmap* DownGlyph() const { return FButton->Glyph(); }
  void SetDownGlyph(TBitmap* b);
  int DownNumGlyphs() const { return FButton->NumGlyphs(); }
  void SetDownNumGlyphs(int v) { FButton->SetNumGlyphs(v); }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  // Align, Anchors, Btn, DownNumGlyphs, Enabled, ParentShowHint, ShowHint, TabOrder,
  // TabStop, Visible.
  void DefinePublished(TPublishedProperties& P) override;

 protected:
  void CreateParams(TCreateParams& p) override;
  void WMSetFocus(TMessage& m) override;
  void WndProc(TMessage& m) override;

 private:
  TPickButton* FButton;  // owned as a component
};

class TQevPickEditClass : public TCustomEdit {
 public:
  explicit TQevPickEditClass(TComponent* AOwner);
  TCPickButton* ButtonContainer() const { return FButton; }
  TShape* BottomLine() const { return FLine; }
  bool EditorEnabled = true;
  bool ButtonEnabled() const { return FButton->Btn()->Enabled(); }
  void SetButtonEnabled(bool v) { FButton->Btn()->SetEnabled(v); }
  TBitmap* Glyph() { return FButton->Btn()->Glyph(); }
  void SetGlyph(TBitmap* b) { FButton->Btn()->SetGlyph(b); }
  // The pick button's own click handler: reading gives it, writing replaces it (the
  // container's OnDownClick then no longer fires).
  TNotifyEvent OnButtonClick() const { return FButton->Btn()->OnClick; }
  void SetOnButtonClick(TNotifyEvent e) { FButton->Btn()->OnClick = std::move(e); }
  // min(system font height, font height) div 4 + font height + 2.
  int MinHeight();
  void SetEditRect();
  // Anchors, AutoSelect, ButtonEnabled, EditorEnabled, Enabled, Font, MaxLength,
  // ParentFont, ParentShowHint, ReadOnly, ShowHint, TabOrder, TabStop, Text, Visible.
  void DefinePublished(TPublishedProperties& P) override;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandle() override;
  void BoundsChanged(bool sized) override;
  void WndProc(TMessage& m) override;
  void Layout();

 private:
  TCPickButton* FButton = nullptr;  // owned as a component
  TShape* FLine = nullptr;          // owned as a component
  TFontProperties FFontProperties{*Font()};
  bool FInLayout = false;
  bool FGrowing = false;  // the one resize to the minimum height is under way
};

class TQevPickEdit : public TQevPickEditClass {
 public:
  using TQevPickEditClass::TQevPickEditClass;
  TColor BottomLineColor() { return BottomLine()->Pen()->Color(); }
  void SetBottomLineColor(TColor c) { BottomLine()->Pen()->SetColor(c); }
  bool ButtonVisible() const { return ButtonContainer()->Visible(); }
  // Shows or hides the container; at run time only the edit rectangle follows (the
  // container and the line keep their places until the next resize lays them out).
  void SetButtonVisible(bool v);
  // Adds BottomLineColor, BorderStyle, Color, ParentColor, ButtonVisible.
  void DefinePublished(TPublishedProperties& P) override;
};

enum TZelvoVersion { gvPX, gvQB };

class TPXMaroonPanel : public TCustomPanel {
 public:
  explicit TPXMaroonPanel(TComponent* AOwner);
  bool NoPaint() const { return FNoPaint; }
  void SetNoPaint(bool v);
  TZelvoVersion Version() const { return FVersion; }
  // A new version sets the colour: $D2DCDD for gvPX, the button face for gvQB.
  void SetVersion(TZelvoVersion v);
  // Align, Alignment, Anchors, Color, Enabled, FullRepaint, Font, ParentFont,
  // ParentShowHint, ShowHint, TabOrder, TabStop, Visible, Version, NoPaint.
  void DefinePublished(TPublishedProperties& P) override;

 protected:
  void Paint() override;

 private:
  TFontProperties FFontProperties{*Font()};
  bool FNoPaint = false;
  TZelvoVersion FVersion = gvPX;
};
