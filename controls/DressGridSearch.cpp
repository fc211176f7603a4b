// Find matching and the scan of one field.
#include "controls/DressGridSearch.h"

bool MatchText(std::string_view searchText, std::string_view cellText, bool caseSensitive, bool wholeCell) {
  const AnsiString s = caseSensitive ? AnsiString(searchText) : AnsiLowerCase(searchText);
  const AnsiString c = caseSensitive ? AnsiString(cellText) : AnsiLowerCase(cellText);
  if (wholeCell) return s == c;
  if (s.empty() || s.size() > c.size()) return false;
  // Only at character starts of the cell text, and only when the match ends on one.
  for (size_t i = 0; i + s.size() <= c.size(); i += static_cast<size_t>(CharLength(c, i))) {
    if (c.compare(i, s.size(), s) != 0) continue;
    const size_t end = i + s.size();
    if (end == c.size() || !IsTrailByteAt(c, end)) return true;
  }
  return false;
}

std::optional<TFindCell> FindNextCell(int firstCol, int lastCol, int col, int row, int rowCount, int fixedRows,
                                      bool down, const std::function<bool(int, int)>& matches) {
  // No field chosen: nothing to scan (the field's columns would be -1).
  if (firstCol < 0 || lastCol < firstCol) return std::nullopt;
  if (down) {
    int c = col == lastCol ? firstCol : col + 1;
    for (int r = col == lastCol ? row + 1 : row; r < rowCount; ++r, c = firstCol)
      for (; c <= lastCol; ++c)
        if (matches(c, r)) return TFindCell{c, r};
  } else {
    int c = col == firstCol ? lastCol : col - 1;
    for (int r = col == firstCol ? row - 1 : row; r >= fixedRows; --r, c = lastCol)
      for (; c >= firstCol; --c)
        if (matches(c, r)) return TFindCell{c, r};
  }
  return std::nullopt;
}
