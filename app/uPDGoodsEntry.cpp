// Goods entry and the bill's look-ups.
#include "app/uPDGoodsEntry.h"

#include <map>

#include "app/SqlLiteral.h"
#include "app/uDataModule.h"
#include "app/uPDBillRec.h"
#include "app/uPDQuantity.h"
#include "app/uPublic.h"
#include "db/ClientDataSet.h"
#include "rtl/NumberFormat.h"

namespace pdbill {
namespace {

AnsiString FieldText(TDataSet& ds, const char* name) {
  TField* f = ds.FindField(name);
  return f ? f->AsString() : AnsiString();
}

// The first row's field of a query ("" when there is no row).
AnsiString FirstValue(const WideString& sql, const char* field) {
  TClientDataSet ds(nullptr);
  if (!OpenSQLData(sql, &ds)) return "";
  return FieldText(ds, field);
}

// An id the store keeps as a number, as SQL text; EPdBillError otherwise.
AnsiString NumberText(const AnsiString& id) {
  int64_t v = 0;
  if (!TryStrToInt64(IdOrZero(id), v)) throw EPdBillError("颜色或尺码ID不是数字：" + id);
  return IntToStr(v);
}

TPdChoice ChoiceOf(TDataSet& ds) {
  return {FieldText(ds, "typeid"),  FieldText(ds, "usercode"), FieldText(ds, "fullname"), FieldText(ds, "colorid"),
          FieldText(ds, "colorname"), FieldText(ds, "sizeid"),  FieldText(ds, "sizename")};
}

}  // namespace

WideString PriceSql(const AnsiString& TypeId) {
  return GbkToWide("select Price from PosptypepriceView where Ptypeid = " + SqlQuoted(TypeId) +
                   " and PriceTypeId = 'LSSJ1'");
}

// Mended: the size condition stands apart from the colour id (" and sizeid"), and both
// ids are written as numbers.
WideString StockSql(const AnsiString& TypeId, const AnsiString& WarehouseId, const AnsiString& ColorId,
                    const AnsiString& SizeId) {
  return GbkToWide("select qty from PosGoodsStocksDetailView where ptypeid = " + SqlQuoted(TypeId) +
                   " and Ktypeid = " + SqlQuoted(WarehouseId) + " and colorid = " + NumberText(ColorId) +
                   " and sizeid = " + NumberText(SizeId));
}

WideString WarehouseStockSql(const AnsiString& WarehouseId) {
  return GbkToWide("Select * From PosGoodsStocksDetailView where KtypeId = " + SqlQuoted(WarehouseId));
}

WideString GoodsCodeNameSql(const AnsiString& TypeId) {
  return GbkToWide("Select UserCode,FullName from PosPtypeView where PtypeId = " + SqlQuoted(TypeId));
}

WideString EmployeeNameSql(const AnsiString& OperatorId) {
  return GbkToWide("Select Fullname from PosemployeeView where ETypeId = " + SqlQuoted(OperatorId));
}

AnsiString BillNumberOfToday(const AnsiString& PosId, TDateTime Today) {
  const AnsiString date = FormatDateTime("yyyy-mm-dd", Today);
  const AnsiString sequence = FirstValue(BillSequenceSql(date), "MaxCode");
  const AnsiString terminal = FirstValue(TerminalCodeSql(PosId), "UserCode");
  return MakeBillNumber(terminal, date, sequence);
}

AnsiString EmployeeName(const AnsiString& OperatorId) { return FirstValue(EmployeeNameSql(OperatorId), "Fullname"); }

AnsiString TPdGoodsEntry::ToggleMode() {
  CodeNameMode = !CodeNameMode;
  return CodeNameMode ? kEntryModeCodeName : kEntryModeBarcode;
}

int TPdGoodsEntry::NextRow(int Row) {
  if (Row + 1 >= FSheet.RowCount()) FSheet.AddRow();
  return Row + 1;
}

void TPdGoodsEntry::FillRow(int Row, const TPdChoice& g, const AnsiString& Quantity) {
  FSheet.SetCell(pcCode, Row, g.UserCode);
  FSheet.SetCell(pcGoodsId, Row, g.TypeId);
  FSheet.SetCell(pcName, Row, g.FullName);
  FSheet.SetCell(pcColorId, Row, IdOrZero(g.ColorId));
  FSheet.SetCell(pcColor, Row, g.ColorName);
  FSheet.SetCell(pcSizeId, Row, IdOrZero(g.SizeId));
  FSheet.SetCell(pcSize, Row, g.SizeName);
  FSheet.SetCell(pcQty, Row, Quantity);
  const AnsiString price = FirstValue(PriceSql(g.TypeId), "Price");
  const AnsiString stock = FirstValue(StockSql(g.TypeId, WarehouseId, g.ColorId, g.SizeId), "qty");
  FSheet.SetCell(pcStock, Row, stock.empty() ? AnsiString("0") : stock);
  FSheet.SetCell(pcPrice, Row, price.empty() ? AnsiString("0") : price);
  FSheet.SetCell(pcAmount, Row, "0.00");
}

TPdCursor TPdGoodsEntry::InputGoods(int Col, int Row, const AnsiString& Text) {
  TClientDataSet ds(nullptr);
  if (!Text.empty()) {
    const AnsiString barcode = CodeNameMode ? AnsiString("▲") : Text;
    const AnsiString search = CodeNameMode ? Text : AnsiString("▲");
    OpenProcData("PosGetBasicData",
                 {"@Barcode", "@BaseType", "@WithColAndSiz", "@selectString", "@PosUserid", "@Posid", "@DefaultBarCode"},
                 {Variant(barcode), Variant(1), Variant(1), Variant(search), Variant(OperatorId), Variant(PosId),
                  Variant(AnsiString())},
                 &ds);
  }
  const int count = ds.Active() ? ds.RecordCount() : 0;
  if (!(count == 1 || (!CodeNameMode && count >= 1))) {
    if (!CodeNameMode) {
      FMessages.Show(kBarcodeNotFound, kCaptionHint, pmInformation);
      FSheet.SetCell(Col, Row, "");
      return {Col, Row};
    }
    return ChooseBySearch(Col, Row, Text);
  }
  ds.First();
  TPdChoice goods = ChoiceOf(ds);
  if (count > 1 && GetSysValue("GetFirstBarCode") == "0") {
    const std::vector<TPdChoice> chosen = FChooser.Choose(TPdChoiceKind::GoodsOfBarcode, Text);
    if (chosen.empty()) return {Col, Row};
    // Mended: the colour and size chosen are the ones taken, not the goods' first.
    bool found = false;
    for (ds.First(); !ds.Eof() && !found; ds.Next()) {
      const TPdChoice c = ChoiceOf(ds);
      if (c.TypeId == chosen.front().TypeId && IdOrZero(c.ColorId) == IdOrZero(chosen.front().ColorId) &&
          IdOrZero(c.SizeId) == IdOrZero(chosen.front().SizeId)) {
        goods = c;
        found = true;
      }
    }
    if (!found) return {Col, Row};
  }
  const int known = FindGoodsRow(FSheet, goods.TypeId, goods.ColorId, goods.SizeId, Row);
  if (known >= 0) {
    FSheet.SetCell(pcQty, known, FormatFloat("0.##", QuantityValue(FSheet.Cell(pcQty, known)) + 1));
    FSheet.SetCell(Col, Row, "");
    SumTotals(FSheet);
    return {pcName, Row};
  }
  const AnsiString qty = FSheet.Cell(pcQty, Row);
  FillRow(Row, goods, qty.empty() || QuantityValue(qty) == 0 ? AnsiString("1") : qty);
  SumTotals(FSheet);
  return {pcName, NextRow(Row)};
}

TPdCursor TPdGoodsEntry::ChooseBySearch(int Col, int Row, const AnsiString& Text) {
  const std::vector<TPdChoice> chosen = FChooser.Choose(TPdChoiceKind::GoodsBySearch, Text);
  if (chosen.empty()) return {Col, Row};
  int next = Row;
  int current = Row;
  bool filled = false;
  for (const TPdChoice& g : chosen) {
    const int known = FindGoodsRow(FSheet, g.TypeId, g.ColorId, g.SizeId, next);
    if (known >= 0) {
      current = known;
      continue;
    }
    FillRow(next, g, "");
    next = NextRow(next);
    current = next;
    filled = true;
  }
  SumTotals(FSheet);
  return {pcName, filled ? next : current};
}

void TPdGoodsEntry::AfterEdit(int Col, int Row, bool CodeNameEdited) {
  if (Col == pcQty) FSheet.SetCell(pcQty, Row, QuantityAfterEdit(FSheet.Cell(pcQty, Row)));
  if (FSheet.Cell(pcName, Row).empty()) {
    for (int c = pcGoodsId; c <= pcAmount; ++c) FSheet.SetCell(c, Row, "");
  } else if (CodeNameEdited && !FSheet.Cell(pcGoodsId, Row).empty()) {
    // The goods' own code and name come back over a search text typed onto them.
    TClientDataSet ds(nullptr);
    if (OpenSQLData(GoodsCodeNameSql(FSheet.Cell(pcGoodsId, Row)), &ds)) {
      const AnsiString code = FieldText(ds, "UserCode");
      const AnsiString name = FieldText(ds, "FullName");
      if (FSheet.Cell(pcCode, Row) != code) FSheet.SetCell(pcCode, Row, code);
      if (FSheet.Cell(pcName, Row) != name) FSheet.SetCell(pcName, Row, name);
    }
  }
  SumTotals(FSheet);
}

bool TPdGoodsEntry::ChooseWarehouse() {
  const std::vector<TPdChoice> chosen = FChooser.Choose(TPdChoiceKind::StockWarehouse, "");
  if (chosen.empty()) return false;
  WarehouseId = chosen.front().TypeId;
  WarehouseName = chosen.front().FullName;
  LoadStock();
  SumTotals(FSheet);
  return true;
}

void TPdGoodsEntry::LoadStock() {
  std::map<AnsiString, AnsiString> stock;  // goods id + colour id + size id -> qty
  {
    TClientDataSet ds(nullptr);
    OpenSQLData(WarehouseStockSql(WarehouseId), &ds);
    for (ds.First(); !ds.Eof(); ds.Next()) {
      stock.emplace(FieldText(ds, "PTypeId") + '\x01' + IdOrZero(FieldText(ds, "ColorId")) + '\x01' +
                        IdOrZero(FieldText(ds, "SizeId")),
                    FieldText(ds, "Qty"));
    }
  }
  for (int r = 0; r < FSheet.RowCount(); ++r) {
    const AnsiString id = FSheet.Cell(pcGoodsId, r);
    if (id.empty()) continue;
    const auto found = stock.find(id + '\x01' + IdOrZero(FSheet.Cell(pcColorId, r)) + '\x01' +
                                  IdOrZero(FSheet.Cell(pcSizeId, r)));
    FSheet.SetCell(pcStock, r, found == stock.end() ? AnsiString("0") : found->second);
  }
}

}  // namespace pdbill
