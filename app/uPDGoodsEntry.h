// Goods entry on the stock-take bill: a barcode, or part of a code or name, typed or
// scanned into the code or name cell of a row becomes a bill line with the goods' ids,
// names, colour, size, current stock and retail price; a goods already on the bill counts
// one more instead. Also the bill's other look-ups: the warehouse choice with its stock,
// the put-back of code and name after an edit, the bill number and the operator's name.
//
// The rules work on a bill sheet (uPDBillSheet.h) and tell the screen where the cursor
// goes next. After a scan the cursor stands in the name cell of a row that holds no
// goods, so that consecutive scans need no other key; after a choice in the selection
// dialog that placed no new line, and after Enter on a line's own code or name, it stands
// in the line's quantity.
//
// One rule holds for every way of entering goods: a line that holds goods (a goods id)
// keeps its goods and its count through whatever is typed, scanned or chosen on its code
// or name, except emptying its name, which clears the line. A look-up started on such a
// line places what it finds as it would from the empty entry row: goods already on the
// bill count one more (a scan) or become the current line (a choice); new goods go to a
// line that holds no goods, the first from the current row down, a row being added when
// none is left. A look-up that finds nothing, or is cancelled, gives the line back its
// own code and name (the store's for its goods id). The code or name of a line, left
// after an edit, comes back the same way. Enter or a double-click on a line's own,
// unchanged code or name looks nothing up.
//
// Every value pasted into SQL goes through SqlQuoted; colour and size ids are written
// as numbers.
#pragma once
#include "app/uPDBillSheet.h"
#include "app/uPDChooser.h"
#include "app/uPDMessages.h"
#include "rtl/DateTime.h"

namespace pdbill {

constexpr const char* kBarcodeNotFound = "没有找到指定条码的商品";
constexpr const char* kEntryModeBarcode = "当前录入方式：条码录入(F5)";
constexpr const char* kEntryModeCodeName = "当前录入方式：模糊录入(F5)";

struct TPdCursor {
  int Col;
  int Row;
  bool operator==(const TPdCursor& o) const { return Col == o.Col && Row == o.Row; }
};

// The statements of goods entry.
WideString PriceSql(const AnsiString& TypeId);
WideString StockSql(const AnsiString& TypeId, const AnsiString& WarehouseId, const AnsiString& ColorId,
                    const AnsiString& SizeId);
WideString WarehouseStockSql(const AnsiString& WarehouseId);
WideString GoodsCodeNameSql(const AnsiString& TypeId);
WideString EmployeeNameSql(const AnsiString& OperatorId);

// "<terminal code> <today> <sequence>" for a new bill of terminal PosId.
AnsiString BillNumberOfToday(const AnsiString& PosId, TDateTime Today);
// The operator's name ("" when unknown).
AnsiString EmployeeName(const AnsiString& OperatorId);

class TPdGoodsEntry {
 public:
  TPdGoodsEntry(IPdBillSheet& Sheet, IPdChooser& Chooser, IPdMessages& Messages)
      : FSheet(Sheet), FChooser(Chooser), FMessages(Messages) {}

  // Context of the bill.
  AnsiString OperatorId;
  AnsiString PosId;
  AnsiString WarehouseId;     // the bill's warehouse ("" until chosen)
  AnsiString WarehouseName;
  bool CodeNameMode = false;  // false: barcode entry

  // Switches the entry mode; the text of the mode label afterwards.
  AnsiString ToggleMode();

  // The entry of Text, the text of the code or name cell (Col, Row), on Enter or a
  // double-click. Returns where the cursor goes.
  TPdCursor InputGoods(int Col, int Row, const AnsiString& Text);

  // The cell (Col, Row) was left after an edit: a quantity is made sound, an emptied
  // name clears the line, a code or name typed over on a line with goods comes back.
  void AfterEdit(int Col, int Row);

  // The warehouse choice: on a choice the bill's warehouse changes and every line's
  // stock is loaded anew. False (nothing changed) when cancelled.
  bool ChooseWarehouse();
  // Every line's stock from the bill's warehouse ("0" where it has none).
  void LoadStock();

 private:
  // Fills Row with a goods record; Quantity as the cell should start.
  void FillRow(int Row, const TPdChoice& Goods, const AnsiString& Quantity);
  // The scanned goods placed: one more on its line, else a new line.
  TPdCursor PlaceScanned(int Col, int Row, const TPdChoice& Goods);
  TPdCursor ChooseBySearch(int Col, int Row, const AnsiString& Text);
  // The first row from Row down that holds no goods; one is added when none is left.
  int FreeRow(int Row);
  bool HoldsGoods(int Row) const { return !FSheet.Cell(pcGoodsId, Row).empty(); }
  // The code and name the store gives the goods of Row; false when it has none.
  bool OwnCodeAndName(int Row, AnsiString& Code, AnsiString& Name) const;
  // A look-up from (Col, Row) placed nothing there: a line with goods gets its own code
  // and name back; on a row without goods the typed text goes when ClearText is set.
  void GiveBack(int Col, int Row, bool ClearText);

  IPdBillSheet& FSheet;
  IPdChooser& FChooser;
  IPdMessages& FMessages;
};

}  // namespace pdbill
