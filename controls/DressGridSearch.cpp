// Find matching and the scan of one field.
#include "controls/DressGridSearch.h"

namespace {

// ASCII letters of single-byte characters to lower case; double-byte characters stay as
// they are, whole (full-width, Greek and Cyrillic letters keep their case too).
AnsiString FoldAsciiLetters(std::string_view text) {
  AnsiString out(text);
  for (size_t i = 0; i < out.size(); i += static_cast<size_t>(CharLength(out, i)))
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
  return out;
}

}  // namespace

bool MatchText(std::string_view searchText, std::string_view cellText, bool caseSensitive, bool wholeCell) {
  const AnsiString s = caseSensitive ? AnsiString(searchText) : FoldAsciiLetters(searchText);
  const AnsiString c = caseSensitive ? AnsiString(cellText) : FoldAsciiLetters(cellText);
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

int SizeCaptionParts(std::string_view captions) {
  int parts = 1;
  for (size_t i = 0; i < captions.size(); i += static_cast<size_t>(CharLength(captions, i)))
    if (captions[i] == '~') ++parts;
  return parts;
}
