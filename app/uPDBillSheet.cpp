// The bill sheet in memory and the searches over any sheet.
#include "app/uPDBillSheet.h"

#include "rtl/Exceptions.h"

namespace pdbill {
namespace {
void CheckCell(int col, int row, int rows) {
  if (col < 1 || col > kPdColumnCount || row < 0 || row >= rows) {
    throw EListError("List index out of bounds (" + IntToStr(row) + ")");
  }
}
}  // namespace

AnsiString TPdMemorySheet::Cell(int Col, int Row) const {
  CheckCell(Col, Row, RowCount());
  return FRows[Row][Col - 1];
}

void TPdMemorySheet::SetCell(int Col, int Row, const AnsiString& Text) {
  CheckCell(Col, Row, RowCount());
  FRows[Row][Col - 1] = Text;
}

int FindGoodsRow(const IPdBillSheet& Sheet, const AnsiString& GoodsId, const AnsiString& ColorId,
                 const AnsiString& SizeId) {
  const AnsiString color = IdOrZero(ColorId);
  const AnsiString size = IdOrZero(SizeId);
  for (int r = 0; r < Sheet.RowCount(); ++r) {
    if (Sheet.Cell(pcGoodsId, r) == GoodsId && IdOrZero(Sheet.Cell(pcColorId, r)) == color &&
        IdOrZero(Sheet.Cell(pcSizeId, r)) == size) {
      return r;
    }
  }
  return -1;
}

bool HasGoods(const IPdBillSheet& Sheet) {
  for (int r = 0; r < Sheet.RowCount(); ++r) {
    if (!Sheet.Cell(pcGoodsId, r).empty()) return true;
  }
  return false;
}

}  // namespace pdbill
