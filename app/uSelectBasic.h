// The basic-data selection dialog ("商品", "仓库", ...): the candidates of one kind of
// basic data in a data-aware grid, a search box above it, 确定 and 退出 below. Its
// rules (query, filter, columns, marks, confirming) are TSelectBasicRules; this form
// wires its controls to them.
//
// Under a multiple choice a double-click on a data row or Space in the grid marks the
// focused row (again: unmarks it); marked rows are painted in the marked colour. A
// double-click on a title or below the last row changes nothing.
#pragma once
#include <memory>
#include <vector>

#include "VCLSource/source/PosGrid/uPosDbGrid.h"
#include "app/uSelectBasicRules.h"
#include "db/ClientDataSet.h"
#include "db/DataLink.h"
#include "ui/Button.h"
#include "ui/Edit.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Label.h"

class TfrmSelectBasic : public TForm {
 public:
  explicit TfrmSelectBasic(TComponent* AOwner);
  ~TfrmSelectBasic() override;

  // Components in their declaration order; owned by the form.
  TPanel* pnlTitle;
  TLabel* lbl1;
  TEdit* edtSearch;
  TButton* btnSearch;
  TPanel* pnlMain;
  TJbDbGrid* grdSelectData;
  TPanel* pnlBtn;
  TButton* btnOK;
  TButton* btnExit;
  TClientDataSet* PosCds;
  TDataSource* dC1;

  // Set-up for one choice: captions, search label, the first query and the grid's
  // columns. The chosen rows are appended to ResultList, which must outlive the form.
  // Server errors of the query propagate.
  void InitSelect(const TSelectBasicArgs& Args, std::vector<TBaseRecord>& ResultList);
  // True once the user confirmed.
  bool Outcome() const { return FOutcome; }
  TSelectBasicRules& Rules() { return *FRules; }

  void btnSearchClick(TObject* Sender);
  void btnOKClick(TObject* Sender);
  void btnExitClick(TObject* Sender);
  void grdSelectDataDblClick(TObject* Sender);
  void grdSelectDataDrawColumnCell(TObject* Sender, TkwDrawColumnCellArgs& Args);
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);

 private:
  void BuildColumns();
  // The grid's display text of the focused row in the column of FieldName; empty when
  // no row is focused or no column has the field.
  AnsiString FocusedText(const char* FieldName);
  // The display text of data row Row in the column of FieldName.
  AnsiString RowText(int Row, const char* FieldName);
  void ToggleFocusedMark();

  std::unique_ptr<TSelectBasicRules> FRules;
  std::vector<TBaseRecord>* FResultList = nullptr;
  bool FOutcome = false;
};

// Runs the dialog modally; true when the user confirmed a row (the chosen rows appended
// to ResultList, in marking order under a multiple choice).
bool SelectBasic(const TSelectBasicArgs& Args, std::vector<TBaseRecord>& ResultList);

// The dialog behind the stock-take screens' chooser.
class TSelectBasicDialog final : public ISelectBasic {
 public:
  bool SelectBasic(const TSelectBasicArgs& Args, std::vector<TBaseRecord>& ResultList) override {
    return ::SelectBasic(Args, ResultList);
  }
};
