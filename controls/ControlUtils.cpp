// Shared routines of the form controls (portable part).
#include "controls/ControlUtils.h"

#include <climits>
#include <cstdint>

#include "rtl/DateTime.h"
#include "rtl/FileUtils.h"
#include "rtl/FormatSettings.h"
#include "rtl/NumberFormat.h"

namespace {

// Numbers of the controls are read and written with "." whatever the global settings.
const TFormatSettings& PointSettings() {
  static const TFormatSettings fs = [] {
    TFormatSettings s;
    s.DecimalSeparator = '.';
    s.ThousandSeparator = ',';
    return s;
  }();
  return fs;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The characters [from, from + count) of s are all ASCII digits.
bool AllDigits(std::string_view s, size_t from, size_t count) {
  if (s.size() < from + count) return false;
  for (size_t i = from; i < from + count; ++i)
    if (!IsDigit(s[i])) return false;
  return true;
}

}  // namespace

int StrToIntOrZero(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  int32_t v = 0;
  return TryStrToInt(s.substr(i), v) ? v : 0;
}

bool IsBlankText(std::string_view s) {
  for (char c : s)
    if (c != ' ') return false;
  return true;
}

AnsiString FormatRounded(std::string_view format, double value) {
  const TFormatSettings& fs = PointSettings();
  double shortest = 0;
  if (!TryStrToFloat(FloatToStr(value, fs), shortest, fs)) shortest = value;  // NaN, INF
  return FormatFloat(format, shortest, fs);
}

AnsiString FormatNumber(double value) { return FormatRounded("0.########", value); }

double ParseNumber(std::string_view s, std::string_view format) {
  if (IsBlankText(s)) return 0;
  size_t start = 0;
  while (start < s.size() && s[start] == ' ') ++start;
  size_t i = start;
  if (i < s.size() && s[i] == '-') ++i;
  const size_t numberStart = i;
  bool point = false;
  while (i < s.size()) {
    const char c = s[i];
    if (IsDigit(c)) {
      ++i;
    } else if (c == '.' && !point) {
      point = true;
      ++i;
    } else if ((c == 'e' || c == 'E') && i + 1 < s.size() &&
               (s[i + 1] == '+' || s[i + 1] == '-' || IsDigit(s[i + 1]))) {
      i += 2;
    } else {
      break;
    }
  }
  if (i == numberStart) return 0;
  if (s[start] == 'e' || s[start] == 'E') return 0;
  double v = 0;
  if (!TryStrToFloat(s.substr(start, i - start), v, PointSettings())) return 0;
  double rounded = 0;
  if (!TryStrToFloat(FormatRounded(format, v), rounded, PointSettings())) return 0;
  return rounded;
}

int LeadingDigitsToInt(std::string_view s) {
  if (IsBlankText(s)) return 0;
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  int64_t v = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(v);
}

bool IsBadDateText(std::string_view s) {
  // Every field must be all ASCII digits before it is read as a number: a sign, a blank
  // or "$" inside a field makes the text bad (the lenient integer reading of old would
  // have taken "2024-05-$A" as the 10th).
  if (!AllDigits(s, 0, 4) || !AllDigits(s, 5, 2) || !AllDigits(s, 8, 2)) return true;
  const int year = StrToIntOrZero(s.substr(0, 4));
  const int month = StrToIntOrZero(s.substr(5, 2));
  const int day = StrToIntOrZero(s.substr(8, 2));
  if (year < 1 || year > 9999 || month < 1 || month > 12) return true;
  if (s[5] != (month <= 9 ? '0' : '1')) return true;
  const int days = DaysInAMonth(year, month);
  if (day < 1 || day > days) return true;
  if (day <= 9 && s[8] != '0') return true;
  return false;
}

AnsiString NormalizeDateText(std::string_view s) {
  const char sep = FormatSettings.DateSeparator;
  return Copy(s, 1, 4) + sep + Copy(s, 6, 2) + sep + Copy(s, 9, 2);
}

int GetFileSize(std::string_view fileName) {
  const int64_t size = FileSizeOf(fileName);
  // The directory search of old reported the low 32 bits of the size.
  return size < 0 ? 0 : static_cast<int>(static_cast<uint32_t>(size));
}

AnsiString HostFolderOf(std::string_view exeName) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < exeName.size(); i += static_cast<size_t>(CharLength(exeName, i)))
    if (exeName[i] == '\\') last = i;
  return last == std::string_view::npos ? AnsiString() : AnsiString(exeName.substr(0, last));
}
