// The stock-take screens' choices of basic data through the selection dialog: each kind
// of choice with the arguments it gives SelectBasic, and the chosen rows as the screens
// take them.
#pragma once
#include "app/uPDChooser.h"
#include "app/uSelectBasicRules.h"

namespace pdbill {

// SelectBasic's arguments for a choice of the stock-take screens.
TSelectBasicArgs SelectBasicArgsOf(TPdChoiceKind Kind, const AnsiString& SearchText);

// A chosen row as the screens take it.
TPdChoice ChoiceOfRecord(const TBaseRecord& Record);

// The product's chooser: asks the selection dialog. A cancelled dialog chooses nothing.
class TBasicDataChooser final : public IPdChooser {
 public:
  explicit TBasicDataChooser(ISelectBasic& Dialog) : FDialog(Dialog) {}
  std::vector<TPdChoice> Choose(TPdChoiceKind Kind, const AnsiString& SearchText) override;

 private:
  ISelectBasic& FDialog;
};

}  // namespace pdbill
