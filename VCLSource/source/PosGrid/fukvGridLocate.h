// The grid's locate dialog: the column to search, the text to find and the direction of
// the next search. Find closes it with kwLocateFind, Next with kwLocateAgain, Cancel, Esc
// and the close box with mrCancel; the owner acts on the result (Perform).
#pragma once
#include <vector>

#include "VCLSource/source/PosGrid/ukvDbHelperSearch.h"
#include "VCLSource/source/PosGrid/ukvUtility.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Edit.h"
#include "ui/Label.h"
#include "ui/RadioGroup.h"

constexpr TModalResult kwLocateFind = 100;
constexpr TModalResult kwLocateAgain = 101;

class TfmGridLocate : public TkwDialog {
 public:
  explicit TfmGridLocate(TComponent* AOwner);

  // The column list: its caption and the field it searches.
  void AddColumn(const AnsiString& caption, int fieldIndex);
  // Empties the column list (the items and the fields they search).
  void ClearColumns();
  // Acts on a modal result: Find searches the chosen column for the text, Next goes on
  // upwards (range item 2) or downwards; anything else does nothing. Nothing is searched
  // when no column is chosen. True when a row was found.
  bool Perform(TModalResult result, TkvDataControllerSearch& search) const;

  void bbFindClick(TObject* Sender) { SetModalResult(kwLocateFind); }
  void bbAgainClick(TObject* Sender) { SetModalResult(kwLocateAgain); }
  void bbCancelClick(TObject* Sender) { SetModalResult(mrCancel); }

  TLabel* Label1;
  TLabel* Label2;
  TComboBox* cbbLocate;
  TEdit* edtLocate;
  TRadioGroup* rgRangeOption;
  TButton* bbFind;
  TButton* bbAgain;
  TButton* bbCancel;

 private:
  std::vector<int> FFieldIndexes;  // per item of cbbLocate
};
