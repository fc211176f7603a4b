// The stock-take bill screen's event rules.
#include "app/uPDMangerRules.h"

#include "app/uPublic.h"

namespace pdbill {

void TPdMangerRules::InitBill(TDateTime Today) {
  EmployeeNameText = EmployeeName(OperatorId);
  BillNumber = BillNumberOfToday(PosId, Today);
  // Read once for the screen instead of on every key of the quantity column.
  ForbidDecimal = GetSysValue("ForbidDecimal") == "1";
  FEntry.OperatorId = OperatorId;
  FEntry.PosId = PosId;
}

bool TPdMangerRules::KeyPress(int Col, int Row, char Key, const TPdEditText& Edit) {
  if (Col == pcColor || Col == pcSize) return false;
  if (Col != pcQty) return true;
  // Mended: the quantity takes keys on a row with goods (a goods id), not on any row
  // with a name: text left in the entry row's name got a count that was never saved.
  return QuantityKeyAccepted(Edit, Key, !FSheet.Cell(pcGoodsId, Row).empty(), ForbidDecimal);
}

TPdCursor TPdMangerRules::Enter(int Col, int Row) {
  if (Col == pcQty) {
    // On to the entry cell of the next row: the next goods, or the empty entry row.
    return Row + 1 < FSheet.RowCount() ? TPdCursor{pcName, Row + 1} : TPdCursor{Col, Row};
  }
  if (Col != pcCode && Col != pcName) return {Col, Row};
  return FEntry.InputGoods(Col, Row, FSheet.Cell(Col, Row));
}

TPdCursor TPdMangerRules::DoubleClick(int Col, int Row) {
  TPdCursor at{Col, Row};
  if (Col == pcCode || Col == pcName) at = FEntry.InputGoods(Col, Row, FSheet.Cell(Col, Row));
  SumTotals(FSheet);
  return at;
}

void TPdMangerRules::BeforeEdit(int Col, int Row) {
  if (Row < 0 || Row >= FSheet.RowCount()) return;
  if (Col == pcQty) {
    FQtyBefore[Row] = FSheet.Cell(pcQty, Row);
  } else if (Col == pcName) {
    const AnsiString name = FSheet.Cell(pcName, Row);
    if (name.empty()) return;
    FOldName = name;
    FOldCode.clear();
  } else if (Col == pcCode) {
    const AnsiString code = FSheet.Cell(pcCode, Row);
    if (code.empty()) return;
    FOldCode = code;
    FOldName.clear();
  }
}

void TPdMangerRules::AfterEdit(int Col, int Row) {
  const bool quantity = Col == pcQty && Row >= 0 && Row < FSheet.RowCount();
  // Mended: a barcode scanned while the cursor stood in a quantity (Enter on a line's
  // name leads there) was taken as a count and capped at 100000000: the line's count was
  // lost and the scan booked nowhere. The count comes back and the user is told.
  if (quantity && LooksScannedIntoQuantity(FSheet.Cell(pcQty, Row))) {
    const auto before = FQtyBefore.find(Row);
    if (before != FQtyBefore.end()) {
      FSheet.SetCell(pcQty, Row, before->second);
      FMessages.Show(kScanInQuantity, kCaptionHint, pmInformation);
    }
  }
  FEntry.AfterEdit(Col, Row);
  if (quantity) FQtyBefore[Row] = FSheet.Cell(pcQty, Row);
}

bool TPdMangerRules::MayClose() {
  // Mended: any line with goods counts as unsaved work, also one whose quantity is still
  // empty (lines chosen by code or name start so).
  if (!HasGoods(FSheet)) return true;
  return FMessages.Ask(kExitQuestion, kCaptionWarning);
}

TSaveOutcome TPdMangerRules::Save(TDateTime Now) {
  // Mended: a row with a count and no goods was skipped by the save, which then said the
  // bill was saved; the save stops and names the rows instead.
  AnsiString uncounted;
  for (int r = 0; r < FSheet.RowCount(); ++r) {
    if (FSheet.Cell(pcGoodsId, r).empty() && !FSheet.Cell(pcQty, r).empty())
      uncounted += (uncounted.empty() ? "" : ",") + IntToStr(r + 1);
  }
  if (!uncounted.empty()) {
    FMessages.Show(kCountWithoutGoods + uncounted, kCaptionHint, pmInformation);
    return TSaveOutcome::Stay;
  }
  const TPdBillHeader header{FEntry.WarehouseId, OperatorId, FormatDateTime("yyyy-mm-dd", Now), PosId, UniqueId,
                             BillNumber};
  return FSaver.Save(FSheet, header);
}

TCheckInResult TPdMangerRules::CheckIn(const std::vector<pdterminal::TCountLine>& Counts) {
  const TCheckInResult r = CheckInData(FSheet, Counts, FEntry.WarehouseId, ForbidDecimal);
  FQtyBefore.clear();
  // An empty entry row below the lines, so that scanning can go on.
  if (!FSheet.Cell(pcGoodsId, FSheet.RowCount() - 1).empty()) FSheet.AddRow();
  SumTotals(FSheet);
  if (!r.UnknownBarcodes.empty()) {
    FMessages.Show(UnknownBarcodesMessage(r.UnknownBarcodes), kCaptionHint, pmInformation);
  } else if (r.Lines == 0) {
    FMessages.Show(kNothingCheckedIn, kCaptionHint, pmInformation);
  }
  return r;
}

}  // namespace pdbill
