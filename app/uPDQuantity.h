// The quantity cell of the stock-take bill and the bill's totals.
//
// Quantities are typed by hand or pasted into the cell editor, so the rules never trust
// the cell: a text that is not a number counts 0 and is cleared, and no conversion
// error reaches the user.
#pragma once
#include "app/uPDBillSheet.h"
#include "rtl/AnsiString.h"

namespace pdbill {

// The largest quantity a line takes.
constexpr double kMaxQuantity = 100000000.0;
constexpr int kMaxQuantityLength = 12;

// The value of a quantity (or any number cell) text; false for text that is not a
// number ("" included). A lone "." or a text that starts with "." reads as "0" + text.
bool TryQuantityValue(const AnsiString& Text, double& Value);
// The value, 0 for text that is not a number.
double QuantityValue(const AnsiString& Text);

// The quantity cell's text after an edit, in this order: "." in front gets "0"; text
// that is not digits with at most one "." becomes "" (a sign, an exponent or a blank
// pasted into the editor included); 100000000 or more becomes "100000000"; more than two
// digits after the "." are rounded with the format "0.00". Anything else stays as
// typed ("2.5", "0.").
AnsiString QuantityAfterEdit(const AnsiString& Text);

// Digits alone, as many as the keys let into the cell (12: 100,000,000,000 or more): no
// count is typed so. It is what a barcode scanner leaves in a quantity cell (12 digits, or
// a 13-digit barcode cut by the key limit).
bool LooksScannedIntoQuantity(const AnsiString& Text);

// The text of a cell being edited and its selection (in bytes), which a typed key
// replaces.
struct TPdEditText {
  AnsiString Text;
  int SelStart = 0;
  int SelLength = 0;
};
// The text a typed character (not Backspace) leaves: the selection replaced by it.
AnsiString TextAfterKey(const TPdEditText& Edit, char Key);

// Whether a key typed into the quantity cell reaches it. Edit: the cell's text and
// selection; HasGoods: the row holds goods (a goods id); ForbidDecimal: the store's
// "ForbidDecimal" is "1". On a row without goods every key is dropped. Backspace (8)
// passes; a digit or "." passes when the text it leaves holds at most one "." and at
// most 12 characters, "." only when decimals are allowed; everything else is dropped.
bool QuantityKeyAccepted(const TPdEditText& Edit, char Key, bool HasGoods, bool ForbidDecimal);

// The bill's totals as the labels show them.
struct TPdTotals {
  double Quantity = 0;
  double Stock = 0;
  double Amount = 0;
};
// Over every row: number cells (quantity, stock, price, amount) that hold text that is
// not a number are cleared; over the rows that hold goods (a goods id): the amount of
// each row with quantity and price := quantity x price (format "0.##"), and the totals
// of quantity, stock and amount. A row without goods counts nothing (nothing of it is
// saved).
TPdTotals SumTotals(IPdBillSheet& Sheet);
// A total as its label shows it ("12.5", "0").
AnsiString TotalText(double Value);

}  // namespace pdbill
