// Taking a stock-taking terminal's counts onto the bill.
//
// The counts come from a terminal file (uPDTerminalFile.h), sorted by barcode. Each
// barcode is looked up in the store by its full barcode (one query for all of them);
// the bill's lines are then replaced by one line per goods, colour and size with the
// counted quantity, the current stock of the bill's warehouse and the retail price.
//
// Counts are matched to goods by barcode, never by position: equal barcodes (and
// barcodes that stand for the same goods, colour and size) add up on one line; a
// barcode the store does not know is listed in the result and changes nothing else; a
// barcode that stands for several colours or sizes (a style barcode) takes the first.
// A count that is not a number, or is negative, is left out.
//
// The bill is only changed once the query has succeeded: a failing query leaves every
// line as it was.
#pragma once
#include <vector>

#include "app/uPDBillSheet.h"
#include "app/uPDTerminalFile.h"

namespace pdbill {

// The look-up of the given barcodes (each once, quoted) for the warehouse's stock.
WideString CheckInSql(const AnsiString& WarehouseId, const std::vector<AnsiString>& Barcodes);

struct TCheckInResult {
  int Lines = 0;                          // lines on the bill afterwards
  std::vector<AnsiString> UnknownBarcodes;  // in barcode order, each once
  std::vector<AnsiString> SkippedCounts;    // barcodes whose count was no number or negative
};

// Replaces the sheet's lines by the counts (see above). ForbidDecimal: the store's
// "ForbidDecimal" is "1" (every count is rounded to a whole number, quantities shown
// "0", else "0.00"). When no count is usable the sheet is left alone. Raises what the
// query raises, with the sheet unchanged.
TCheckInResult CheckInData(IPdBillSheet& Sheet, const std::vector<pdterminal::TCountLine>& Counts,
                           const AnsiString& WarehouseId, bool ForbidDecimal);

// What the user is told about barcodes the store does not know ("" when all are known).
AnsiString UnknownBarcodesMessage(const std::vector<AnsiString>& Barcodes);

}  // namespace pdbill
