// What the stock-take bill screen does with its keys and cell events, apart from the
// window: the form (uPDManger.h) hands every grid event to a TPdMangerRules and moves
// its grid's cursor where the answer says.
//
// The rules own no window and no grid; they work on the bill sheet the form gives them
// (its dress grid's data rows), and reach the user through the message and chooser
// seams. Columns are the bill's logical columns (uPDBillSheet.h), rows data rows from 0.
#pragma once
#include <map>

#include "app/uPDCheckIn.h"
#include "app/uPDGoodsEntry.h"
#include "app/uPDQuantity.h"
#include "app/uPDSave.h"

namespace pdbill {

constexpr const char* kExitQuestion = "盘点单中尚有未保存的数据，确认退出？";
constexpr const char* kNothingCheckedIn = "盘点机文件中没有可以导入的盘点数量。";
constexpr const char* kScanInQuantity = "盘点数量超长，可能是把条码扫进了数量，已恢复原来的数量。条码请在品名列扫描。";
// Followed by the numbers of the rows (from 1) that hold a count and no goods.
constexpr const char* kCountWithoutGoods = "以下行有盘点数量但没有商品，盘点单不能保存。请输入商品或删除数量：";

class TPdMangerRules {
 public:
  TPdMangerRules(IPdBillSheet& Sheet, IPdChooser& Chooser, IPdMessages& Messages, const TPdServers& Servers,
                 int SwitchPauseMs = 1000)
      : FSheet(Sheet), FMessages(Messages), FEntry(Sheet, Chooser, Messages), FSaver(Servers, Messages, SwitchPauseMs) {}

  // Context of the bill (from the open call and the set-up).
  AnsiString OperatorId;
  AnsiString PosId;
  AnsiString UniqueId;
  AnsiString BillNumber;
  bool ForbidDecimal = false;  // the store's "ForbidDecimal" is "1" (read once by InitBill)
  AnsiString EmployeeNameText; // the operator's name (InitBill)

  TPdGoodsEntry& Entry() { return FEntry; }
  const AnsiString& WarehouseId() const { return FEntry.WarehouseId; }

  // Set-up: the operator's name, the bill number of today and "ForbidDecimal".
  void InitBill(TDateTime Today);

  // F5: the entry mode switches; the mode label's text.
  AnsiString ToggleEntryMode() { return FEntry.ToggleMode(); }

  // A character typed into (Col, Row), whose text and selection are Edit: false when it
  // is dropped.
  bool KeyPress(int Col, int Row, char Key, const TPdEditText& Edit);
  // Enter in (Col, Row): where the cursor goes (the same cell when nothing happens). In
  // the code or name column the goods entry runs (TPdGoodsEntry::InputGoods).
  TPdCursor Enter(int Col, int Row);
  // Double-click on (Col, Row): where the cursor goes; the code or name column as Enter.
  TPdCursor DoubleClick(int Col, int Row);
  // The editor opens on (Col, Row): a name (code) cell holding text remembers that text
  // and forgets the code (name) remembered before; a quantity cell remembers its count.
  void BeforeEdit(int Col, int Row);
  // What BeforeEdit remembered last ('' when forgotten or never seen).
  const AnsiString& OldName() const { return FOldName; }
  const AnsiString& OldCode() const { return FOldCode; }
  // The editor of (Col, Row) closed. A quantity left with what a scanner types (see
  // LooksScannedIntoQuantity) gets back the count it had when its editor opened, and the
  // user is told; other quantities go through QuantityAfterEdit.
  void AfterEdit(int Col, int Row);
  // The bill's totals (amounts recomputed).
  TPdTotals Totals() { return SumTotals(FSheet); }

  // The warehouse choice; false when cancelled.
  bool ChooseWarehouse() { return FEntry.ChooseWarehouse(); }

  // The exit button: true when the form may close (asked first when a row holds goods).
  bool MayClose();
  // The save button. A row that holds a count and no goods stops it (told, nothing
  // stored): no save reports success while a count is left out.
  TSaveOutcome Save(TDateTime Now);
  // Counts of a terminal file taken onto the bill (an empty entry row below them);
  // unknown barcodes are told.
  TCheckInResult CheckIn(const std::vector<pdterminal::TCountLine>& Counts);

 private:
  IPdBillSheet& FSheet;
  IPdMessages& FMessages;
  TPdGoodsEntry FEntry;
  TPdBillSaver FSaver;
  AnsiString FOldName;
  AnsiString FOldCode;
  // Data row -> the count its quantity cell held when its editor opened (kept current by
  // each edit of it).
  std::map<int, AnsiString> FQtyBefore;
};

}  // namespace pdbill
