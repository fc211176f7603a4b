// The stock-taking terminal dialog ("盘点机信息导入导出"): export of a goods list for a
// terminal, import of the counts it hands back. Its rules are TPdTerminalDialog
// (uPDImportRules.h); this form wires its controls to them.
#pragma once
#include <memory>

#include "app/ParentDia.h"
#include "app/uPDImportRules.h"
#include "controls/QevComponets.h"
#include "ui/ComCtrls.h"
#include "ui/Dialogs.h"
#include "ui/GroupBox.h"

class TDiaImport : public TdiaParent {
 public:
  TDiaImport(TComponent* AOwner, pdbill::IPdChooser& Chooser);
  ~TDiaImport() override;

  // Components in their declaration order; owned by the form.
  TPageControl* pgc1;
  TTabSheet* tsCheckOut;
  TTabSheet* tsCheckIn;
  TGroupBox* grp1;
  TLabel* lbl1;
  TQevPickEdit* edtPtype;
  TLabel* lbl2;
  TQevPickEdit* edtStock;
  TRichEdit* redtImport;
  TPanel* pnlOut;
  TPanel* pnlIn;
  TButton* btnEnter;
  TButton* btnExit;
  TOpenDialog* dlgOpen1;

  // Set-up: title, the store's barcode type, the folder files are proposed in.
  void InitDialog(const AnsiString& BillWarehouseId);
  // True once a file was imported (its counts in Counts()).
  bool Outcome() const { return FOutcome; }
  const std::vector<pdterminal::TCountLine>& Counts() const { return FRules->Counts(); }

  void btnEnterClick(TObject* Sender);
  void edtPtypeButtonClick(TObject* Sender);
  void edtStockButtonClick(TObject* Sender);
  // A right-click on the export page puts the focus in the goods box.
  void tsCheckOutContextPopup(TObject* Sender, TPoint MousePos, bool& Handled);
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void ShowPage(int Index);

 private:
  class TFiles;
  class TMessages;
  std::unique_ptr<TFiles> FFiles;
  std::unique_ptr<TMessages> FMessages;
  std::unique_ptr<pdimport::TPdTerminalDialog> FRules;
  bool FOutcome = false;
  void ShowLog();
};

// Runs the dialog modally for a bill of BillWarehouseId; true (with the counts, sorted by
// barcode) after a successful import.
bool ShowImportDialog(std::vector<pdterminal::TCountLine>& Counts, pdbill::IPdChooser& Chooser,
                      const AnsiString& BillWarehouseId);
