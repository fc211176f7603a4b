// The stock-take bill manager ("盘点单"): the form the export OpenPDManger shows.
//
// One bill for one warehouse in a dress grid: a line per goods, colour and size with the
// counted quantity beside the stock and the retail price, the totals below. Goods come
// in by barcode or by code/name (F5 switches), or from a stock-taking terminal's file
// (btnCheckIn). What the keys and cell events do is in TPdMangerRules
// (uPDMangerRules.h); this form wires its controls to it and moves the grid's cursor
// where the rules say.
//
// The basic-data selection dialog is reached through a chooser (uPDChooser.h): the one
// set with SetChooser before InitBill, else the selection dialog itself.
//
// A save whose commit went unanswered may have stored the bill as it is on the screen.
// Until a Save settles it the bill is locked: the grid shows it and moves its cursor,
// but takes no key and no double-click that could change a line, the warehouse and the
// terminal import are disabled; only Save and leaving remain.
//
// The form keeps what the open call hands it. InitBill is its set-up, run once before
// the form is shown. Closing the form ends its modal loop; the export that created it
// frees it. Every way out (退出, Esc, the close box, Alt+F4) asks first while a line holds
// goods; a save that closes the form asks nothing.
#pragma once
#include <memory>

#include "app/ParentForm.h"
#include "app/uPDMangerRules.h"
#include "controls/DressGrid.h"
#include "controls/basiccom.h"
#include "ui/ComCtrls.h"
#include "ui/Forms.h"

// The private message that opens the grid's cell editor after activation.
constexpr UINT WM_PD_SHOWEDITOR = WM_USER + 231;

class TfrmpdManger : public TParentfrm {
 public:
  explicit TfrmpdManger(TComponent* AOwner);
  ~TfrmpdManger() override;

  // Components in their declaration order; owned by the form.
  TEdit* edtStock;
  TDateTimePicker* dtpPDTime;
  TEdit* edtEmployee;
  TButton* btnSave;
  TButton* btnCancle;
  TDressGrid* grdPd;
  TLabel* lblBillCode;
  TButton* btnCheckIn;
  TLabel* lbl1;
  TLabel* lbl2;
  TLabel* lbl3;
  TClientDataSet* dsprice;
  TClientDataSet* dsQty;
  TPanel* pnlMiddleDown;
  TLabelLabel* lblPdQtyCount;
  TLabelLabel* lblKCQty;
  TLabelLabel* lblTotal;
  TLabel* lbl4;
  TLabel* lbl5;

  // From the open call.
  AnsiString UniqueId;
  AnsiString HomeServer;
  AnsiString HomeDbName;
  AnsiString UploadServer;   // empty: saved bills are not uploaded
  AnsiString UploadDbName;
  // The stock-take warehouse (empty until chosen).
  AnsiString StockId;

  // The chooser of basic data (before InitBill); the form does not own it.
  void SetChooser(pdbill::IPdChooser* Chooser) { FChooser = Chooser; }

  // Set-up before the form is shown: title, operator, date, grid and bill number.
  void InitBill();
  // The grid's columns and an empty bill.
  void BuildGrid();
  // Totals and row numbers.
  void SumTotals();

  void FormActivate(TObject* Sender);
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void btnCancleClick(TObject* Sender);
  void btnSaveClick(TObject* Sender);
  void btnCheckInClick(TObject* Sender);
  void edtStockDblClick(TObject* Sender);
  void grdPdKeyPress(TObject* Sender, char& Key);
  void grdPdBeforeEdit(TObject* Sender, int ACol, int ARow);
  void grdPdAfterEdit(TObject* Sender, int ACol, int ARow);
  void grdPdDblClick(TObject* Sender);

  pdbill::TPdMangerRules& Rules() { return *FRules; }
  // A save is in doubt: nothing on the bill may change.
  bool BillLocked() const { return FBillLocked; }

 private:
  class TGridSheet;
  class TFormMessages;
  // The current cell as the rules see it: logical column and data row from 0.
  pdbill::TPdCursor Current() const;
  void MoveTo(const pdbill::TPdCursor& At);
  // Enter in the bill (seen by the form first, whether the grid or its editor has the focus).
  void GridEnter();
  // The editor's text into its cell and the editor hidden; true when the text changed.
  bool CommitEditor();
  bool GridHasFocus() const;
  void MakeReadOnlyColumns();
  void EnsureRules();
  // Locks the bill while a save is in doubt, or unlocks it.
  void LockBill(bool Locked);

  std::unique_ptr<TGridSheet> FSheet;
  std::unique_ptr<TFormMessages> FMessages;
  std::unique_ptr<pdbill::IPdChooser> FOwnChooser;
  pdbill::IPdChooser* FChooser = nullptr;
  std::unique_ptr<pdbill::TPdMangerRules> FRules;
  bool FChoosing = false;
  bool FBillLocked = false;
  // The way out was taken knowingly (asked by 退出, or after a save): closing asks nothing.
  bool FLeaving = false;
};
