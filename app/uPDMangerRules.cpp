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

bool TPdMangerRules::KeyPress(int Col, int Row, char Key) {
  if (Col == pcColor || Col == pcSize) return false;
  if (Col != pcQty) return true;
  return QuantityKeyAccepted(FSheet.Cell(pcQty, Row), Key, !FSheet.Cell(pcName, Row).empty(), ForbidDecimal);
}

void TPdMangerRules::KeyDown(int Col) {
  if (Col == pcCode || Col == pcName) FCodeNameEdited = true;
}

TPdCursor TPdMangerRules::Enter(int Col, int Row) {
  if (Col == pcQty) {
    // On to the entry cell of the next row: the next goods, or the empty entry row.
    return Row + 1 < FSheet.RowCount() ? TPdCursor{pcName, Row + 1} : TPdCursor{Col, Row};
  }
  KeyDown(Col);
  if (Col >= pcColorId) return {Col, Row};
  const TPdCursor at = FEntry.InputGoods(Col, Row, FSheet.Cell(Col, Row));
  FCodeNameEdited = false;
  // The move to the quantity applies to the row current after the entry: after a scan
  // that is the next empty row, so the cursor stays in its entry cell for the next scan.
  if (!FSheet.Cell(pcGoodsId, at.Row).empty()) return {pcQty, at.Row};
  return at;
}

TPdCursor TPdMangerRules::DoubleClick(int Col, int Row) {
  FCodeNameEdited = false;
  TPdCursor at{Col, Row};
  if (Col < pcColorId) {
    at = FEntry.InputGoods(Col, Row, FSheet.Cell(Col, Row));
    if (!FSheet.Cell(pcGoodsId, at.Row).empty()) at = {pcQty, at.Row};
  }
  SumTotals(FSheet);
  return at;
}

void TPdMangerRules::BeforeEdit(int Col, int Row) {
  if (Row < 0 || Row >= FSheet.RowCount()) return;
  if (Col == pcName) {
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

void TPdMangerRules::AfterEdit(int Col, int Row) { FEntry.AfterEdit(Col, Row, FCodeNameEdited); }

bool TPdMangerRules::MayClose() {
  // Mended: any line with goods counts as unsaved work, also one whose quantity is still
  // empty (lines chosen by code or name start so).
  if (!HasGoods(FSheet)) return true;
  return FMessages.Ask(kExitQuestion, kCaptionWarning);
}

TSaveOutcome TPdMangerRules::Save(TDateTime Now) {
  const TPdBillHeader header{FEntry.WarehouseId, OperatorId, FormatDateTime("yyyy-mm-dd", Now), PosId, UniqueId,
                             BillNumber};
  return FSaver.Save(FSheet, header);
}

TCheckInResult TPdMangerRules::CheckIn(const std::vector<pdterminal::TCountLine>& Counts) {
  const TCheckInResult r = CheckInData(FSheet, Counts, FEntry.WarehouseId, ForbidDecimal);
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
