// The dress grid's find: text matching by whole GBK characters, and the scan of one
// field's grid columns from the current cell up or down (no wrap-around).
#pragma once
#include <functional>
#include <optional>
#include "rtl/AnsiString.h"

// Search text against a cell text. Unless caseSensitive, ASCII letters are folded (and
// nothing else: a GBK trail byte that looks like a letter stays). With wholeCell the
// texts must be equal; otherwise the search text must occur in the cell text starting
// and ending on character boundaries. An empty search text occurs in no text (it only
// equals an empty cell with wholeCell).
bool MatchText(std::string_view searchText, std::string_view cellText, bool caseSensitive, bool wholeCell);

// Number of "~"-separated parts of a size's captions, counting "~" by whole characters
// (a GBK trail byte 0x7E is no separator).
int SizeCaptionParts(std::string_view captions);

struct TFindCell {
  int Col, Row;
};

// The next matching cell from (col, row), not the cell itself: downward along the row to
// lastCol, then the next rows from firstCol; upward the mirror image down to fixedRows.
// With no field chosen (firstCol < 0) nothing is scanned.
std::optional<TFindCell> FindNextCell(int firstCol, int lastCol, int col, int row, int rowCount, int fixedRows,
                                      bool down, const std::function<bool(int col, int row)>& matches);
