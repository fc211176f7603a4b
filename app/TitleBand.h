// The title band the full-screen and dialog bases share: a light-blue panel at the top
// holding a rounded plate with a shadow 2 pixels right and down, and the title on the
// plate in bold 宋体. SetTitle fits the plate and its shadow to the title's text.
#pragma once
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

namespace titleband {

constexpr TColor kBandColor = 16774889;   // the bases' background
constexpr TColor kPlateColor = 11921405;  // the title plate

// The plate and shadow width for a title label at labelLeft of labelWidth pixels: they
// end 8 pixels after the text. An empty title has no text to cover.
inline int PlateWidth(int labelLeft, int labelWidth, bool emptyTitle) {
  return labelLeft + (emptyTitle ? 0 : labelWidth) + 8;
}

// Settings of the band's parts (the panel's alignment and the creation order stay with
// the form that owns them).
void SetUpBand(TPanel* pnlTitle);
void SetUpShadow(TShape* shpBack, TPanel* pnlTitle);
void SetUpPlate(TShape* shpTitle, TPanel* pnlTitle);
void SetUpTitle(TLabel* lblTitle, TPanel* pnlTitle);
void SetUpButtonBand(TPanel* pnlBtn);
void SetUpMain(TPanel* pnlMain);

// Caption of the title and of the form, then the plate and its shadow fitted to it.
void SetTitle(TCustomForm* form, TLabel* lblTitle, TShape* shpTitle, TShape* shpBack,
              const AnsiString& value);

}  // namespace titleband
