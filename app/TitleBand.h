// The title band the full-screen and dialog bases share: a light-blue panel at the top
// holding a rounded plate with a shadow 2 pixels right and down, and the title on the
// plate in bold 宋体; below it the main panel and the button band, and the screen's
// scratch dataset. SetTitle fits the plate and its shadow to the title's text.
#pragma once
#include "db/ClientDataSet.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace titleband {

constexpr TColor kBandColor = 16774889;   // the bases' background
constexpr TColor kPlateColor = 11921405;  // the title plate

// The plate and shadow width for a title label at labelLeft of labelWidth pixels: they
// end 8 pixels after the text. An empty title has no text to cover.
inline int PlateWidth(int labelLeft, int labelWidth, bool emptyTitle) {
  return labelLeft + (emptyTitle ? 0 : labelWidth) + 8;
}

}  // namespace titleband

// The components of a titled form base, owned by the form they are made for, and the
// title set on them. The form makes them in its constructor (MakeTitledParts).
class TTitledParts {
 public:
  TPanel* pnlTitle = nullptr;
  TPanel* pnlMain = nullptr;
  TPanel* pnlBtn = nullptr;
  TShape* shpTitle = nullptr;
  TLabel* lblTitle = nullptr;
  TShape* shpBack = nullptr;
  TClientDataSet* PosCds = nullptr;  // the screen's scratch dataset for server queries

  // The title and the form's caption; the plate and its shadow end 8 pixels after it.
  void SetTitle(const AnsiString& Value);

 protected:
  // The order the parts are made in: the full-screen base makes the band with its plate,
  // then the button band and the main panel; the dialog base the three panels first.
  // Either way the shadow lies under the plate and the title over both.
  enum class TOrder { FullScreen, Dialog };
  void MakeTitledParts(TCustomForm* form, TOrder order);

 private:
  TCustomForm* FForm = nullptr;
};
