// Merged bill lines, the bill number and the statements that save a bill.
#include "app/uPDBillRec.h"

#include <map>

#include "app/SqlLiteral.h"
#include "app/uPDQuantity.h"
#include "rtl/NumberFormat.h"

namespace pdbill {
namespace {

// An id the tables keep as a number, as SQL text: its digits; EPdBillError otherwise.
AnsiString NumericId(const AnsiString& id, const char* what) {
  int64_t v = 0;
  if (!TryStrToInt64(IdOrZero(id), v)) throw EPdBillError(AnsiString(what) + "不是数字：" + id);
  return IntToStr(v);
}

AnsiString QuantitySql(const AnsiString& qty) {
  double v = 0;
  if (!TryQuantityValue(qty, v)) throw EPdBillError("盘点数量不是数字：" + qty);
  return FloatToStr(v);
}

WideString Wide(const AnsiString& s) { return GbkToWide(s); }

}  // namespace

std::vector<TPDBillRec> MergeBillLines(const IPdBillSheet& Sheet) {
  std::vector<TPDBillRec> lines;
  std::vector<double> sums;
  std::map<AnsiString, size_t> lineOf;  // goods id + colour id + size id -> line
  for (int r = 0; r < Sheet.RowCount(); ++r) {
    const AnsiString id = Sheet.Cell(pcGoodsId, r);
    if (id.empty()) continue;
    const AnsiString color = IdOrZero(Sheet.Cell(pcColorId, r));
    const AnsiString size = IdOrZero(Sheet.Cell(pcSizeId, r));
    const AnsiString qty = Sheet.Cell(pcQty, r);
    const size_t k = lineOf.emplace(id + '\x01' + color + '\x01' + size, lines.size()).first->second;
    if (k == lines.size()) {
      lines.push_back({id, color, size, qty.empty() ? AnsiString("0") : qty});
      sums.push_back(QuantityValue(qty));
    } else {
      sums[k] += QuantityValue(qty);
      lines[k].Qty = FloatToStr(sums[k]);
    }
  }
  return lines;
}

AnsiString MakeBillNumber(const AnsiString& TerminalCode, const AnsiString& DateText, const AnsiString& MaxCode) {
  AnsiString sequence = MaxCode.empty() ? AnsiString("1") : MaxCode;
  if (sequence.size() < 5) sequence.insert(0, 5 - sequence.size(), '0');
  return TerminalCode + " " + DateText + " " + sequence;
}

WideString BillSequenceSql(const AnsiString& DateText) {
  return Wide("select count(1) + 1 as MaxCode from CommonPosPtypeCheckNdx where PdDate = " + SqlQuoted(DateText));
}

WideString TerminalCodeSql(const AnsiString& PosId) {
  return Wide("select UserCode from posinfoview where PosId = " + SqlQuoted(PosId));
}

WideString HeaderInsertSql(const TPdBillHeader& h, int LocalCheckCode) {
  AnsiString sql = "insert into CommonPosPtypeCheckNdx(KTypeID,OperatorID,PDDate,PosID,IsUpSend,UpLoadPosVchCode,"
                   "UniqueID,PDNumber) values(" +
                   SqlQuoted(h.WarehouseId) + "," + SqlQuoted(h.OperatorId) + "," + SqlQuoted(h.PdDate) + "," +
                   SqlQuoted(h.PosId);
  if (LocalCheckCode == 0) {
    sql += ", 0,0, " + SqlQuoted(h.UniqueId) + ",";
  } else {
    sql += ", 1, " + IntToStr(LocalCheckCode) + "," + SqlQuoted(h.UniqueId) + ",";
  }
  sql += SqlQuoted(h.BillNumber) + ")" + " Select @@Identity As CheckCode";
  return Wide(sql);
}

WideString StoredBillSql(const TPdBillHeader& h, int LocalCheckCode) {
  return Wide("select CheckCode from CommonPosPtypeCheckNdx where UniqueID = " + SqlQuoted(h.UniqueId) +
              " and PDNumber = " + SqlQuoted(h.BillNumber) + " and UpLoadPosVchCode = " + IntToStr(LocalCheckCode));
}

WideString LineInsertSql(int CheckCode, const TPDBillRec& Line) {
  return Wide("insert into CommonPosPtypeCheckList(CheckCode,PtypeID,ColorID,SizeID,Qty,IsUpSend) values(" +
              IntToStr(CheckCode) + "," + SqlQuoted(Line.PtypeId) + "," + NumericId(Line.ColorId, "颜色ID") + "," +
              NumericId(Line.SizeId, "尺码ID") + ", " + QuantitySql(Line.Qty) + ", 0)");
}

std::vector<WideString> LineInsertBatches(int CheckCode, const std::vector<TPDBillRec>& Lines, size_t PerBatch) {
  std::vector<WideString> batches;
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (i % PerBatch == 0) batches.emplace_back();
    else batches.back() += u"\r\n";
    batches.back() += LineInsertSql(CheckCode, Lines[i]);
  }
  return batches;
}

WideString MarkUploadedSql(int UploadCode, int LocalCheckCode) {
  return Wide("update CommonPosPtypeCheckNdx set IsUpSend = 1, PdVchCode = " + IntToStr(UploadCode) +
              " where CheckCode = " + IntToStr(LocalCheckCode));
}

int CheckCodeOf(const AnsiString& Text) {
  int32_t v = 0;
  if (!TryStrToInt(Trim(Text), v) || v <= 0) throw EPdBillError("保存盘点单没有得到单据号：" + Text);
  return v;
}

}  // namespace pdbill
