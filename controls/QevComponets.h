// The maroon panel: a bottom-aligned panel with its own flat 3-D frame (the find
// dialog carries its buttons on one).
#pragma once
#include "ui/ExtCtrls.h"

enum TZelvoVersion { gvPX, gvQB };

class TPXMaroonPanel : public TCustomPanel {
 public:
  explicit TPXMaroonPanel(TComponent* AOwner);
  bool NoPaint() const { return FNoPaint; }
  void SetNoPaint(bool v);
  TZelvoVersion Version() const { return FVersion; }
  // A new version sets the colour: $D2DCDD for gvPX, the button face for gvQB.
  void SetVersion(TZelvoVersion v);

 protected:
  void Paint() override;

 private:
  bool FNoPaint = false;
  TZelvoVersion FVersion = gvPX;
};
