// The grid's filter dialog: a column, a condition on it (text, numeric range or date
// range, by the column's field) and how to apply it. OK builds Conditions and closes with
// mrOk; a bound that is not a number shows its message instead and keeps the dialog open.
// Cancel, Esc and the close box give mrCancel. The owner applies an accepted dialog
// (Apply) to the grid's filter.
#pragma once
#include <vector>

#include "VCLSource/source/PosGrid/fukvGridFilterConditions.h"
#include "VCLSource/source/PosGrid/ukvUtility.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComCtrls.h"
#include "ui/ComboBox.h"
#include "ui/Edit.h"
#include "ui/ExtCtrls.h"
#include "ui/Label.h"
#include "ui/RadioGroup.h"

class TfmGridFilter : public TkwDialog {
 public:
  explicit TfmGridFilter(TComponent* AOwner);

  // The column list: the caption shown and the column it filters (not owned).
  void AddColumn(const AnsiString& caption, IkwColumn* column);
  void ClearColumns();
  IkwColumn* SelectedColumn() const;

  TkwFilterRange FilterRange() const { return FilterRangeOf(rgFilterRange->ItemIndex()); }
  TkwFilterConditionKind ConditionKind() const { return ConditionKindOf(SelectedColumn()); }
  const TkwFilterConditions& Conditions() const { return FConditions; }
  // Applies the dialog to the filter after mrOk; any other result does nothing.
  void Apply(TModalResult result, IkwGridFilter& filter) const;

  void cbbFilterChange(TObject* Sender);
  void btnFilterClick(TObject* Sender);
  void btnCancelClick(TObject* Sender) { SetModalResult(mrCancel); }

  TLabel* Label3;
  TComboBox* cbbFilter;
  TRadioGroup* rgFilterRange;
  TButton* btnFilter;
  TButton* btnCancel;
  TPanel* pnlTextCondition;
  TLabel* Label4;
  TEdit* edtFilter;
  TCheckBox* chkLike;
  TPanel* pnlNumericCondition;
  TLabel* Label1;
  TLabel* Label5;
  TLabel* Label6;
  TEdit* edtMin;
  TEdit* edtMax;
  TPanel* pnlDatetimeCondition;
  TLabel* Label2;
  TLabel* Labeldatebegin;
  TLabel* Labeldateend;
  TDateTimePicker* dtpBegin;
  TDateTimePicker* dtpEnd;

 private:
  TkwFilterInput Input() const;
  std::vector<IkwColumn*> FColumns;  // per item of cbbFilter
  TkwFilterConditions FConditions;
};
