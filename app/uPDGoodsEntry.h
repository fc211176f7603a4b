// Goods entry on the stock-take bill: a barcode, or part of a code or name, typed or
// scanned into the entry cell of a row becomes a bill line with the goods' ids, names,
// colour, size, current stock and retail price; a goods already on the bill counts one
// more instead. Also the bill's other look-ups: the warehouse choice with its stock,
// the put-back of code and name after an edit, the bill number and the operator's name.
//
// The rules work on a bill sheet (uPDBillSheet.h) and tell the screen where the cursor
// goes next. After an entry the cursor stands in the entry (name) column of the next
// empty row, or of the emptied entry row when the goods was already on the bill, so
// that consecutive scans need no other key; the screen moves on to the quantity column
// only when the row that is current afterwards holds goods.
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

  // The entry of Text typed into the cell (Col, Row). Returns where the cursor goes.
  TPdCursor InputGoods(int Col, int Row, const AnsiString& Text);

  // The cell (Col, Row) was left after an edit. CodeNameEdited: the code or name cell
  // was typed into.
  void AfterEdit(int Col, int Row, bool CodeNameEdited);

  // The warehouse choice: on a choice the bill's warehouse changes and every line's
  // stock is loaded anew. False (nothing changed) when cancelled.
  bool ChooseWarehouse();
  // Every line's stock from the bill's warehouse ("0" where it has none).
  void LoadStock();

 private:
  // Fills Row with a goods record; Quantity as the cell should start.
  void FillRow(int Row, const TPdChoice& Goods, const AnsiString& Quantity);
  TPdCursor ChooseBySearch(int Col, int Row, const AnsiString& Text);
  int NextRow(int Row);

  IPdBillSheet& FSheet;
  IPdChooser& FChooser;
  IPdMessages& FMessages;
};

}  // namespace pdbill
