// The lines of a stock-take bill as the bill's rules see them: a sheet of text cells,
// twelve columns a row, whatever shows them.
//
// The screen's dress grid is one sheet (its data rows start below the two title rows);
// TPdMemorySheet is another, for the rules' own tests and for work without a window.
// Rows count from 0 here; columns are the bill's logical columns 1..12 (TPdColumn).
// A sheet always has at least one data row: ClearRows leaves one empty row, as the
// grid does.
#pragma once
#include <array>
#include <vector>

#include "rtl/AnsiString.h"

namespace pdbill {

enum TPdColumn : int {
  pcGoodsId = 1,
  pcCode = 2,
  pcName = 3,
  pcColorId = 4,
  pcColor = 5,
  pcSizeId = 6,
  pcSize = 7,
  pcQty = 8,
  pcStock = 9,
  pcPrice = 10,
  pcAmount = 11,
  pcBarcode = 12,
};
constexpr int kPdColumnCount = 12;

class IPdBillSheet {
 public:
  virtual ~IPdBillSheet() = default;
  virtual int RowCount() const = 0;
  // Cell text; Col in 1..12, Row in 0..RowCount()-1.
  virtual AnsiString Cell(int Col, int Row) const = 0;
  virtual void SetCell(int Col, int Row, const AnsiString& Text) = 0;
  // One empty row at the end.
  virtual void AddRow() = 0;
  // Every row removed; one empty row remains.
  virtual void ClearRows() = 0;
};

class TPdMemorySheet final : public IPdBillSheet {
 public:
  TPdMemorySheet() { FRows.resize(1); }
  int RowCount() const override { return static_cast<int>(FRows.size()); }
  AnsiString Cell(int Col, int Row) const override;
  void SetCell(int Col, int Row, const AnsiString& Text) override;
  void AddRow() override { FRows.emplace_back(); }
  void ClearRows() override { FRows.assign(1, {}); }

 private:
  std::vector<std::array<AnsiString, kPdColumnCount>> FRows;
};

// First row (from 0) whose goods id, colour id and size id equal the given ones (an
// empty colour or size id counts as "0" on both sides); -1 when none.
int FindGoodsRow(const IPdBillSheet& Sheet, const AnsiString& GoodsId, const AnsiString& ColorId,
                 const AnsiString& SizeId);
// An empty colour or size id stands for "0".
inline AnsiString IdOrZero(const AnsiString& Id) { return Id.empty() ? AnsiString("0") : Id; }
// True when some row holds a goods id.
bool HasGoods(const IPdBillSheet& Sheet);

}  // namespace pdbill
