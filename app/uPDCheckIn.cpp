// Check-in of a terminal's counts.
#include "app/uPDCheckIn.h"

#include <map>

#include "app/SqlLiteral.h"
#include "app/uDataModule.h"
#include "app/uPDQuantity.h"
#include "db/ClientDataSet.h"
#include "rtl/NumberFormat.h"

namespace pdbill {
namespace {

// One goods, colour and size that a barcode stands for.
struct TGoodsRecord {
  AnsiString UserCode, TypeId, FullName, ColorId, ColorName, SizeId, SizeName, Barcode, Qty, Price;
};

AnsiString FieldText(TDataSet& ds, const char* name) {
  TField* f = ds.FindField(name);
  return f ? f->AsString() : AnsiString();
}

// Barcodes compare as the store compares them: without regard to ASCII case.
AnsiString BarcodeKey(const AnsiString& barcode) { return UpperCase(barcode); }

}  // namespace

WideString CheckInSql(const AnsiString& WarehouseId, const std::vector<AnsiString>& Barcodes) {
  AnsiString condition = "b.FullBarCode in (";
  for (const AnsiString& b : Barcodes) condition += SqlQuoted(b) + ",";
  condition.back() = ')';
  const AnsiString sql =
      "select * from (select [name], isnull(Pe.Price,0) as Price, isnull(fcz.qty,0) as qty, p.Ptypeid as Typeid, "
      "fullname, usercode, Sonnum, pcs.Colorid, pc.ColorName, pcs.Sizeid, ps.SizeName,p.stop as stop from "
      "PosPtypeView p left join PosPtypeColorSizeView pcs on p.ptypeid = pcs.ptypeid left Join PosColorView pc on "
      "pcs.colorid = pc.colorid left join PosSizeView ps on pcs.sizeid =  ps.sizeid left join (select * from "
      "PosptypepriceView where pricetypeid = 'LSSJ1') Pe on p.ptypeid = pe.ptypeid left join (select * from "
      "PosGoodsStocksDetailView where Ktypeid = " +
      SqlQuoted(WarehouseId) +
      ") fcz on p.ptypeid = fcz.ptypeid and pcs.colorid = fcz.colorid and pcs.sizeid = fcz.sizeid "
      " where sonnum = 0) a "
      "left join PosBarCodeView b on a.typeid = b.ptypeid and a.colorid = b.colorid and a.sizeid = b.sizeid where " +
      condition + "order by b.FullBarCode";
  return GbkToWide(sql);
}

TCheckInResult CheckInData(IPdBillSheet& Sheet, const std::vector<pdterminal::TCountLine>& Counts,
                           const AnsiString& WarehouseId, bool ForbidDecimal) {
  TCheckInResult result;
  // The usable counts, in order, and the barcodes to look up (each once).
  std::vector<std::pair<AnsiString, double>> counts;
  std::vector<AnsiString> barcodes;
  std::map<AnsiString, bool> asked;
  for (const pdterminal::TCountLine& c : Counts) {
    double q = 0;
    if (!TryQuantityValue(c.Quantity, q) || q < 0) {
      result.SkippedCounts.push_back(c.Barcode);
      continue;
    }
    if (ForbidDecimal) q = QuantityValue(FormatFloat("0", q));
    counts.emplace_back(c.Barcode, q);
    if (asked.emplace(BarcodeKey(c.Barcode), true).second) barcodes.push_back(c.Barcode);
  }
  if (counts.empty()) {
    result.Lines = 0;
    return result;
  }

  std::map<AnsiString, TGoodsRecord> byBarcode;
  {
    TClientDataSet ds(nullptr);
    OpenSQLData(CheckInSql(WarehouseId, barcodes), &ds);
    for (ds.First(); !ds.Eof(); ds.Next()) {
      TGoodsRecord g{FieldText(ds, "usercode"), FieldText(ds, "typeid"),  FieldText(ds, "fullname"),
                     FieldText(ds, "colorid"),  FieldText(ds, "colorname"), FieldText(ds, "sizeid"),
                     FieldText(ds, "sizename"), FieldText(ds, "FullBarCode"), FieldText(ds, "Qty"),
                     FieldText(ds, "Price")};
      // A style barcode stands for several colours and sizes: the first is taken.
      byBarcode.emplace(BarcodeKey(g.Barcode), std::move(g));
    }
  }

  bool anyKnown = false;
  for (const AnsiString& barcode : barcodes) {
    if (byBarcode.count(BarcodeKey(barcode)) == 0) result.UnknownBarcodes.push_back(barcode);
    else anyKnown = true;
  }
  if (!anyKnown) return result;  // nothing known: the bill stays as it was

  // Mended: the bill's lines go only now that the look-up has answered; counts are
  // booked by barcode, so nothing shifts onto other goods.
  Sheet.ClearRows();
  std::vector<double> quantities;
  std::map<AnsiString, int> rowOfGoods;  // goods id + colour id + size id -> row
  int next = 0;
  for (const auto& [barcode, q] : counts) {
    const auto found = byBarcode.find(BarcodeKey(barcode));
    if (found == byBarcode.end()) continue;
    const TGoodsRecord& g = found->second;
    const AnsiString key = g.TypeId + '\x01' + IdOrZero(g.ColorId) + '\x01' + IdOrZero(g.SizeId);
    const auto known = rowOfGoods.find(key);
    if (known != rowOfGoods.end()) {
      quantities[known->second] += q;
      continue;
    }
    rowOfGoods.emplace(key, next);
    if (next >= Sheet.RowCount()) Sheet.AddRow();
    Sheet.SetCell(pcCode, next, g.UserCode);
    Sheet.SetCell(pcGoodsId, next, g.TypeId);
    Sheet.SetCell(pcName, next, g.FullName);
    Sheet.SetCell(pcColorId, next, IdOrZero(g.ColorId));
    Sheet.SetCell(pcColor, next, g.ColorName);
    Sheet.SetCell(pcSizeId, next, IdOrZero(g.SizeId));
    Sheet.SetCell(pcSize, next, g.SizeName);
    Sheet.SetCell(pcBarcode, next, g.Barcode);
    Sheet.SetCell(pcStock, next, g.Qty.empty() ? AnsiString("0") : g.Qty);
    Sheet.SetCell(pcPrice, next, g.Price.empty() ? AnsiString("0") : g.Price);
    quantities.push_back(q);
    ++next;
  }
  const char* format = ForbidDecimal ? "0" : "0.00";
  for (int r = 0; r < next; ++r) {
    Sheet.SetCell(pcQty, r, FormatFloat(format, quantities[r]));
    Sheet.SetCell(pcAmount, r, FormatFloat("0.##", quantities[r] * QuantityValue(Sheet.Cell(pcPrice, r))));
  }
  result.Lines = next;
  return result;
}

AnsiString UnknownBarcodesMessage(const std::vector<AnsiString>& Barcodes) {
  if (Barcodes.empty()) return "";
  AnsiString text = "以下条码在商品资料中不存在，没有导入：";
  for (size_t i = 0; i < Barcodes.size(); ++i) {
    if (i == 10) {
      text += "\r\n……共" + IntToStr(static_cast<int64_t>(Barcodes.size())) + "个";
      break;
    }
    text += "\r\n" + Barcodes[i];
  }
  return text;
}

}  // namespace pdbill
