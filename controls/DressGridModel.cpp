// Logical columns of the dress grid.
#include "controls/DressGridModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "rtl/FormatSettings.h"
#include "rtl/NumberFormat.h"

AnsiString DisplayFormatOf(std::string_view pattern) {
  if (pattern.empty()) return "";
  return "0." + AnsiString(pattern.size() > 2 ? pattern.size() - 2 : 0, '#');
}

TitleCol MakeTitleCol(std::string_view caption, std::string_view kind, int width, std::string_view decimalPattern,
                      std::string_view fixedText, bool numberFlag, bool blankZero) {
  TitleCol t;
  const size_t semi = caption.find(';');
  t.Caption = AnsiString(caption.substr(0, semi));
  if (semi != std::string_view::npos) t.Caption2 = AnsiString(caption.substr(semi + 1));
  t.Kind = AnsiString(kind);
  t.SizeCount = t.SizeColCount = 1;
  t.Width = width;
  t.FixedText = AnsiString(fixedText);
  t.DisplayFormat = DisplayFormatOf(decimalPattern);
  t.NumberFlag = numberFlag;
  t.BlankZero = blankZero;
  return t;
}

namespace {

// Plain decimal text ("-12.345") under a "0.#...#" format, by string arithmetic: the
// common case of a bill's quantities and prices. False when the text or the format is
// anything else, when it has more than 15 significant digits, or when it rounds to zero.
bool FormatPlainDecimal(std::string_view value, std::string_view format, AnsiString& out) {
  if (format.size() < 2 || format.substr(0, 2) != "0.") return false;
  const size_t places = format.size() - 2;
  for (size_t i = 2; i < format.size(); ++i)
    if (format[i] != '#') return false;
  const bool negative = !value.empty() && value[0] == '-';
  std::string_view v = negative ? value.substr(1) : value;
  const size_t dot = v.find('.');
  std::string_view whole = v.substr(0, dot);
  std::string_view frac = dot == std::string_view::npos ? std::string_view() : v.substr(dot + 1);
  if (whole.empty()) return false;
  for (char c : whole)
    if (c < '0' || c > '9') return false;
  for (char c : frac)
    if (c < '0' || c > '9') return false;
  while (whole.size() > 1 && whole[0] == '0') whole.remove_prefix(1);
  const size_t significant = (whole == "0" ? 0 : whole.size()) + frac.size();
  if (significant > 15 || (dot != std::string_view::npos && frac.empty())) return false;
  // Digits kept: whole part and `places` fraction digits, rounded half away from zero
  // (at most 15 significant digits plus one carry: a small buffer, no allocation).
  char digits[40];
  size_t n = 0;
  for (char c : whole) digits[n++] = c;
  const size_t keptFrac = std::min(places, frac.size());
  for (size_t i = 0; i < keptFrac; ++i) digits[n++] = frac[i];
  size_t first = 0;  // index of the first digit (one before when a carry adds a digit)
  if (frac.size() > places && frac[places] >= '5') {
    size_t i = n;
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      for (size_t j = n; j > 0; --j) digits[j] = digits[j - 1];
      digits[0] = '1';
      ++n;
    } else {
      ++digits[i - 1];
    }
  }
  size_t fracEnd = n;
  const size_t wholeEnd = n - keptFrac;
  while (fracEnd > wholeEnd && digits[fracEnd - 1] == '0') --fracEnd;
  while (wholeEnd - first > 1 && digits[first] == '0') ++first;
  if (wholeEnd - first == 1 && digits[first] == '0' && fracEnd == wholeEnd) return false;  // zero
  char text[48];
  size_t t = 0;
  if (negative) text[t++] = '-';
  for (size_t i = first; i < wholeEnd; ++i) text[t++] = digits[i];
  if (fracEnd > wholeEnd) {
    text[t++] = FormatSettings.DecimalSeparator;
    for (size_t i = wholeEnd; i < fracEnd; ++i) text[t++] = digits[i];
  }
  out.assign(text, t);
  return true;
}

}  // namespace

AnsiString FormatDressValue(std::string_view value, std::string_view displayFormat, bool blankZero) {
  if (FormatSettings.DecimalSeparator == '.') {
    AnsiString quick;
    if (FormatPlainDecimal(value, displayFormat, quick)) return quick;
  }
  // The same result straight from the decimal digits of the text (the 15-digit text of
  // a double is its first 15 significant digits, rounded), without the binary round
  // trip; zero, unreadable text and magnitudes near the double's limits take the float path.
  rtl_detail::DecimalDigits d;
  if (rtl_detail::ParseDecimal(value, FormatSettings.DecimalSeparator, d) && !d.IsZero() && d.Exponent > -290 &&
      d.Exponent < 290) {
    rtl_detail::RoundSignificant(d, 15);
    return rtl_detail::FormatDecimalPattern(displayFormat, d, 15, FormatSettings);
  }
  return FormatDressValueByFloat(value, displayFormat, blankZero);
}

AnsiString FormatDressValueByFloat(std::string_view value, std::string_view displayFormat, bool blankZero) {
  double x = 0;
  if (!Trim(value).empty() && !TryStrToFloat(value, x)) x = 0;
  if (blankZero && x == 0) return "";
  // Zero (every unreadable text among them) formats alike under one format and the same
  // separators: its text is kept for the last of them, which a filled column asks for
  // again and again. The settings are single-threaded, like the library.
  if (x == 0 && !std::signbit(x)) {
    static struct {
      AnsiString Format, Text;
      char Decimal = 0, Thousand = 0;
    } zero;
    if (zero.Decimal == 0 || zero.Format != displayFormat || zero.Decimal != FormatSettings.DecimalSeparator ||
        zero.Thousand != FormatSettings.ThousandSeparator) {
      zero.Text = FormatFloat(displayFormat, 0.0);
      zero.Format = AnsiString(displayFormat);
      zero.Decimal = FormatSettings.DecimalSeparator;
      zero.Thousand = FormatSettings.ThousandSeparator;
    }
    return zero.Text;
  }
  // Through the 15-digit text first, so that 2.345 formats as 2.35 and not 2.34.
  double rounded = x;
  TryStrToFloat(FloatToStr(x), rounded);
  return FormatFloat(displayFormat, rounded);
}

int TitleColToGridCol(const std::vector<TitleCol>& cols, int aCol, int aSize) {
  int grid = 1;
  for (size_t i = 0; i < cols.size(); ++i) {
    const TitleCol& t = cols[i];
    if (static_cast<int>(i) + 1 == aCol) {
      if (t.SizeCount == 1 && t.SizeColCount >= 1) return grid;
      if (aSize >= 1 && aSize <= t.SizeColCount) return grid + aSize - 1;
    }
    grid += t.SizeColCount;
  }
  return grid;
}

std::optional<TTitleColPos> GridColToTitleCol(const std::vector<TitleCol>& cols, int gridCol) {
  int grid = 1;
  for (size_t i = 0; i < cols.size(); ++i) {
    const int n = cols[i].SizeColCount;
    if (gridCol >= grid && gridCol < grid + n) return TTitleColPos{static_cast<int>(i) + 1, gridCol - grid + 1};
    grid += n;
  }
  return std::nullopt;
}

int FirstGridColOf(const std::vector<TitleCol>& cols, int aCol) {
  if (aCol < 1 || aCol > static_cast<int>(cols.size())) return -1;
  int grid = 1;
  for (int i = 0; i + 1 < aCol; ++i) grid += cols[i].SizeColCount;
  return grid;
}

AnsiString SizeCaptionPart(std::string_view captions, int s) {
  int part = 1;
  size_t from = 0, i = 0;
  while (i < captions.size()) {
    if (captions[i] == '~') {
      if (part == s) return AnsiString(captions.substr(from, i - from));
      ++part;
      from = ++i;
      continue;
    }
    i += static_cast<size_t>(CharLength(captions, i));
  }
  return part == s ? AnsiString(captions.substr(from)) : AnsiString();
}

AnsiString SizeTitleText(const TitleCol& t, int s) {
  AnsiString text;
  for (const DressSize& size : t.Sizes) {
    const AnsiString part = SizeCaptionPart(size.Captions, s);
    text += part.empty() ? AnsiString(" ") : part;
    text += "\r\n";
  }
  return text;
}

int SizeTitleRowHeight(const std::vector<TitleCol>& cols, bool compress, bool normalDisplay, int firstRowHeight,
                       int fontHeight) {
  size_t most = 0;
  for (const TitleCol& t : cols) most = std::max(most, t.Sizes.size());
  if (!normalDisplay || most == 0) return -1;
  if (compress) return firstRowHeight;
  return (std::abs(fontHeight) + 3) * static_cast<int>(most);
}

int KeySizeCount(const DressSize& size, std::string_view key) {
  const auto it = std::find(size.RowKeys.begin(), size.RowKeys.end(), key);
  if (it == size.RowKeys.end()) return -1;
  const size_t at = static_cast<size_t>(it - size.RowKeys.begin());
  // A key without its count has no sizes (the arrays are never read past their ends).
  return at < size.KeySizeCounts.size() ? size.KeySizeCounts[at] : 0;
}

TSizeKeyPos SizeLineOfKey(const TitleCol& t, std::string_view key) {
  if (key.empty()) return {};
  for (size_t i = 0; i < t.Sizes.size(); ++i)
    if (const int count = KeySizeCount(t.Sizes[i], key); count >= 0) return {static_cast<int>(i) + 1, count};
  return {};
}

int SelectedSizeLine(const std::vector<TitleCol>& cols, std::string_view key) {
  for (const TitleCol& t : cols)
    if (t.Kind == "1")
      if (const TSizeKeyPos p = SizeLineOfKey(t, key); p.Line > 0) return p.Line;
  return 0;
}
