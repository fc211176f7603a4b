// Quantity text rules and the bill's totals.
#include "app/uPDQuantity.h"

#include <algorithm>

#include "rtl/NumberFormat.h"

namespace pdbill {
namespace {
AnsiString WithLeadingZero(const AnsiString& text) {
  return !text.empty() && text.front() == '.' ? "0" + text : text;
}
// Digits with at most one "." among them: what the quantity's keys can type.
bool IsPlainCount(const AnsiString& text) {
  if (text.find('.') != text.rfind('.')) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}
int DecimalsOf(const AnsiString& text) {
  const size_t dot = text.find('.');
  return dot == AnsiString::npos ? 0 : static_cast<int>(text.size() - dot - 1);
}
}  // namespace

bool TryQuantityValue(const AnsiString& Text, double& Value) {
  const AnsiString text = WithLeadingZero(Text);
  if (text.empty()) return false;
  // "0." is a number as it is typed; the platform's reader wants a digit after ".".
  const AnsiString readable = text.back() == '.' ? text + "0" : text;
  return TryStrToFloat(readable, Value);
}

double QuantityValue(const AnsiString& Text) {
  double v = 0;
  return TryQuantityValue(Text, v) ? v : 0;
}

AnsiString QuantityAfterEdit(const AnsiString& Text) {
  // Mended: the "0" goes in front of a leading "." before the value is read, so a lone
  // "." becomes "0." instead of a conversion error; text that is no number is cleared.
  const AnsiString text = WithLeadingZero(Text);
  double v = 0;
  // Mended: a pasted count the keys could not type ("-5", "1e5", " 5") was kept as it
  // read, and a negative count was saved; only digits with one "." are a count.
  if (!IsPlainCount(text) || !TryQuantityValue(text, v)) return "";
  if (v >= kMaxQuantity) return "100000000";
  if (DecimalsOf(text) > 2) return FormatFloat("0.00", v);
  return text;
}

bool LooksScannedIntoQuantity(const AnsiString& Text) {
  return static_cast<int>(Text.size()) >= kMaxQuantityLength &&
         std::all_of(Text.begin(), Text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

AnsiString TextAfterKey(const TPdEditText& Edit, char Key) {
  const size_t size = Edit.Text.size();
  const size_t start = std::min(static_cast<size_t>(std::max(Edit.SelStart, 0)), size);
  const size_t end = std::min(start + static_cast<size_t>(std::max(Edit.SelLength, 0)), size);
  return Edit.Text.substr(0, start) + Key + Edit.Text.substr(end);
}

bool QuantityKeyAccepted(const TPdEditText& Edit, char Key, bool HasGoods, bool ForbidDecimal) {
  if (!HasGoods) return false;
  if (Key == '\b') return true;
  if (!(Key >= '0' && Key <= '9') && Key != '.') return false;
  if (Key == '.' && ForbidDecimal) return false;
  // Mended: the rules judge the text the key leaves, not the cell before it: a key typed
  // over a selection replaces it (".75" over a selected "2.5" used to lose its ".").
  const AnsiString after = TextAfterKey(Edit, Key);
  if (static_cast<int>(after.size()) > kMaxQuantityLength) return false;
  return after.find('.') == after.rfind('.');
}

TPdTotals SumTotals(IPdBillSheet& Sheet) {
  TPdTotals totals;
  for (int r = 0; r < Sheet.RowCount(); ++r) {
    // Mended: a number cell with text that is no number (pasted into the editor) counts
    // 0 and is cleared instead of stopping the totals with a conversion error.
    for (int col : {pcQty, pcStock, pcPrice, pcAmount}) {
      const AnsiString text = Sheet.Cell(col, r);
      double v = 0;
      if (!text.empty() && !TryQuantityValue(text, v)) Sheet.SetCell(col, r, "");
    }
    // Mended: a row without goods used to be counted although nothing of it is saved.
    if (Sheet.Cell(pcGoodsId, r).empty()) continue;
    const AnsiString qty = Sheet.Cell(pcQty, r);
    const AnsiString price = Sheet.Cell(pcPrice, r);
    if (!qty.empty()) totals.Quantity += QuantityValue(qty);
    const AnsiString stock = Sheet.Cell(pcStock, r);
    if (!stock.empty()) totals.Stock += QuantityValue(stock);
    if (!qty.empty() && !price.empty()) {
      Sheet.SetCell(pcAmount, r, FormatFloat("0.##", QuantityValue(qty) * QuantityValue(price)));
    }
    const AnsiString amount = Sheet.Cell(pcAmount, r);
    if (!amount.empty()) totals.Amount += QuantityValue(amount);
  }
  return totals;
}

AnsiString TotalText(double Value) { return FloatToStr(Value); }

}  // namespace pdbill
