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

int TPdGoodsEntry::FreeRow(int Row) {
  for (int r = Row; r < FSheet.RowCount(); ++r) {
    if (!HoldsGoods(r)) return r;
  }
  FSheet.AddRow();
  return FSheet.RowCount() - 1;
}

bool TPdGoodsEntry::OwnCodeAndName(int Row, AnsiString& Code, AnsiString& Name) const {
  TClientDataSet ds(nullptr);
  if (!OpenSQLData(GoodsCodeNameSql(FSheet.Cell(pcGoodsId, Row)), &ds)) return false;
  Code = FieldText(ds, "UserCode");
  Name = FieldText(ds, "FullName");
  return true;
}

void TPdGoodsEntry::GiveBack(int Col, int Row, bool ClearText) {
  if (!HoldsGoods(Row)) {
    if (ClearText) FSheet.SetCell(Col, Row, "");
    return;
  }
  AnsiString code, name;
  if (!OwnCodeAndName(Row, code, name)) return;
  if (FSheet.Cell(pcCode, Row) != code) FSheet.SetCell(pcCode, Row, code);
  if (FSheet.Cell(pcName, Row) != name) FSheet.SetCell(pcName, Row, name);
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
  if (HoldsGoods(Row)) {
    // Mended: Enter or a double-click on a line's own code or name used to look that
    // text up (a name as a barcode: "not found", and the line was emptied); it moves on
    // to the quantity as after an entry. Emptying the name is the way to clear a line.
    if (Col == pcName && Text.empty()) {
      for (int c = pcGoodsId; c <= pcAmount; ++c) FSheet.SetCell(c, Row, "");
      SumTotals(FSheet);
      return {pcName, Row};
    }
    AnsiString code, name;
    if (OwnCodeAndName(Row, code, name) && Text == (Col == pcCode ? code : name)) return {pcQty, Row};
  }
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
      GiveBack(Col, Row, true);
      return {Col, Row};
    }
    return ChooseBySearch(Col, Row, Text);
  }
  ds.First();
  TPdChoice goods = ChoiceOf(ds);
  if (count > 1 && GetSysValue("GetFirstBarCode") == "0") {
    const std::vector<TPdChoice> chosen = FChooser.Choose(TPdChoiceKind::GoodsOfBarcode, Text);
    // Mended: the colour and size chosen are the ones taken, not the goods' first.
    bool found = false;
    for (ds.First(); !chosen.empty() && !ds.Eof() && !found; ds.Next()) {
      const TPdChoice c = ChoiceOf(ds);
      if (c.TypeId == chosen.front().TypeId && IdOrZero(c.ColorId) == IdOrZero(chosen.front().ColorId) &&
          IdOrZero(c.SizeId) == IdOrZero(chosen.front().SizeId)) {
        goods = c;
        found = true;
      }
    }
    if (!found) {
      GiveBack(Col, Row, false);
      return {Col, Row};
    }
  }
  return PlaceScanned(Col, Row, goods);
}

TPdCursor TPdGoodsEntry::PlaceScanned(int Col, int Row, const TPdChoice& Goods) {
  // Mended: the current line counts as on the bill too (its own barcode scanned on it
  // used to refill it without counting), and new goods never replace a line's goods.
  const int known = FindGoodsRow(FSheet, Goods.TypeId, Goods.ColorId, Goods.SizeId);
  if (known >= 0) {
    FSheet.SetCell(pcQty, known, FormatFloat("0.##", QuantityValue(FSheet.Cell(pcQty, known)) + 1));
    GiveBack(Col, Row, true);
    SumTotals(FSheet);
    return {pcName, FreeRow(Row)};
  }
  const int target = FreeRow(Row);
  GiveBack(Col, Row, false);
  const AnsiString qty = FSheet.Cell(pcQty, target);
  FillRow(target, Goods, qty.empty() || QuantityValue(qty) == 0 ? AnsiString("1") : qty);
  SumTotals(FSheet);
  return {pcName, FreeRow(target + 1)};
}

TPdCursor TPdGoodsEntry::ChooseBySearch(int Col, int Row, const AnsiString& Text) {
  const std::vector<TPdChoice> chosen = FChooser.Choose(TPdChoiceKind::GoodsBySearch, Text);
  if (chosen.empty()) {
    GiveBack(Col, Row, false);
    return {Col, Row};
  }
  // Mended: goods already on any line, the current one included, are skipped (they used
  // to refill their own line with an empty quantity), and new goods go to lines without
  // goods (they used to replace the goods and blank the count of the lines below).
  int next = Row;
  int current = Row;
  bool filled = false;
  for (const TPdChoice& g : chosen) {
    const int known = FindGoodsRow(FSheet, g.TypeId, g.ColorId, g.SizeId);
    if (known >= 0) {
      current = known;
      continue;
    }
    const int target = FreeRow(next);
    FillRow(target, g, "");
    next = target + 1;
    filled = true;
  }
  GiveBack(Col, Row, true);
  SumTotals(FSheet);
  if (filled) return {pcName, FreeRow(next)};
  return {pcQty, current};
}

void TPdGoodsEntry::AfterEdit(int Col, int Row) {
  if (Col == pcQty) FSheet.SetCell(pcQty, Row, QuantityAfterEdit(FSheet.Cell(pcQty, Row)));
  if (FSheet.Cell(pcName, Row).empty()) {
    for (int c = pcGoodsId; c <= pcAmount; ++c) FSheet.SetCell(c, Row, "");
  } else if (Col == pcCode || Col == pcName) {
    // The goods' own code and name come back over a search text typed onto them.
    GiveBack(Col, Row, false);
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
