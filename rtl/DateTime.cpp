// TDateTime arithmetic, FormatDateTime and the date/time parsers.
//
// Calendar: proleptic Gregorian, day numbers counted from 0001-01-01 (day 0 here), so
// TDateTime 0 (1899-12-30) is day kDay1899. All text goes through a TFormatSettings;
// nothing reads the machine's locale.
#include "rtl/DateTime.h"

#include <cmath>
#include <algorithm>
#include <ctime>

#include "rtl/Exceptions.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
constexpr int64_t kDay1899 = DateDelta - 1;      // 0-based day number of 1899-12-30
constexpr int64_t kLastDay = 3652058;            // 0-based day number of 9999-12-31
constexpr int kCumulativeDays[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};

[[noreturn]] void DateEncodeError() { throw EConvertError("Invalid argument to date encode"); }

int64_t DayNumber(int y, int m, int d) {
  const int64_t y1 = y - 1;
  return y1 * 365 + y1 / 4 - y1 / 100 + y1 / 400 + kCumulativeDays[IsLeapYear(y)][m - 1] + d - 1;
}

void YearMonthDay(int64_t n, int& y, int& m, int& d) {
  int64_t year = 1;
  year += (n / 146097) * 400;
  n %= 146097;
  int64_t c = n / 36524;
  if (c == 4) c = 3;  // the last day of a 400-year cycle
  n -= c * 36524;
  year += c * 100;
  year += (n / 1461) * 4;
  n %= 1461;
  int64_t r = n / 365;
  if (r == 4) r = 3;  // the last day of a leap year
  n -= r * 365;
  year += r;
  y = int(year);
  const int* cum = kCumulativeDays[IsLeapYear(y)];
  m = 1;
  while (m < 12 && n >= cum[m]) ++m;
  d = int(n - cum[m - 1]) + 1;
}

// The 0-based day number and the millisecond of the day of D, by the rule that the
// integer part is the day and the absolute fraction the time; false outside 1..9999.
bool Split(TDateTime D, int64_t& day, int& msOfDay) {
  if (!std::isfinite(D)) return false;
  const double whole = std::trunc(D);
  if (whole < -double(kDay1899) - 1 || whole > double(kLastDay - kDay1899) + 1) return false;
  int64_t ms = std::llround(std::fabs(D - whole) * MSecsPerDay);
  int64_t n = int64_t(whole) + kDay1899;
  if (ms >= MSecsPerDay) {  // rounds up to midnight of the next day
    ms -= MSecsPerDay;
    ++n;
  }
  if (n < 0 || n > kLastDay) return false;
  day = n;
  msOfDay = int(ms);
  return true;
}

// Joins a date (whole days) and a time of day by the sign rule.
TDateTime Join(TDateTime date, TDateTime time) { return date >= 0 ? date + time : date - time; }

AnsiString Pad(int v, int width) {
  AnsiString s = std::to_string(v);
  if (int(s.size()) < width) s.insert(0, size_t(width) - s.size(), '0');
  return s;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view s, size_t at, std::string_view word) {
  if (at + word.size() > s.size()) return false;
  for (size_t k = 0; k < word.size(); ++k)
    if (Upper(s[at + k]) != Upper(word[k])) return false;
  return true;
}

// --- FormatDateTime --------------------------------------------------------------------

class DateFormatter {
 public:
  DateFormatter(TDateTime d, const TFormatSettings& fs) : FSettings(fs) {
    int64_t day;
    int ms;
    if (!Split(d, day, ms)) DateEncodeError();
    YearMonthDay(day, FYear, FMonth, FDay);
    FDayOfWeek = int((day + 1) % 7);  // 0 = Sunday; 0001-01-01 was a Monday
    FHour = ms / 3600000;
    FMin = ms / 60000 % 60;
    FSec = ms / 1000 % 60;
    FMSec = ms % 1000;
  }

  void Append(std::string_view fmt, AnsiString& out, int depth) {
    if (depth > 2) return;  // a format that names itself (c inside ShortDateFormat)
    char previous = 0;      // the last specifier letter written
    size_t i = 0;
    while (i < fmt.size()) {
      const char c = fmt[i];
      const char u = Upper(c);
      if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < fmt.size()) {
        out.append(fmt.substr(i, 2));
        i += 2;
        continue;
      }
      if (c == '"' || c == '\'') {
        const size_t end = fmt.find(c, i + 1);
        const size_t stop = end == std::string_view::npos ? fmt.size() : end;
        out.append(fmt.substr(i + 1, stop - i - 1));
        i = stop + 1;
        continue;
      }
      if (c == '/') { out.push_back(FSettings.DateSeparator); ++i; continue; }
      if (c == ':') { out.push_back(FSettings.TimeSeparator); ++i; continue; }
      if (u == 'A') {
        i += AmPm(fmt, i, out);
        previous = 'A';
        continue;
      }
      if (std::string_view("CDMYHNSZT").find(u) == std::string_view::npos) {
        out.push_back(c);
        ++i;
        continue;
      }
      // One field per run of a letter, however long: a run longer than the longest form
      // of its letter is that longest form ("zzzz" is "zzz", "hhh" is "hh", "yyyyy" is
      // "yyyy"), never a field and then another one for the rest of the run.
      size_t run = 1;
      while (i + run < fmt.size() && Upper(fmt[i + run]) == u) ++run;
      const int form = int(std::min<size_t>(run, 6));  // no letter has a longer form
      switch (u) {
        case 'C':
          Append(FSettings.ShortDateFormat, out, depth + 1);
          if (FHour || FMin || FSec || FMSec) {
            out.push_back(' ');
            Append(FSettings.LongTimeFormat, out, depth + 1);
          }
          break;
        case 'D':
          if (form <= 2) out += Pad(FDay, form);
          else if (form == 3) out += FSettings.ShortDayNames[size_t(FDayOfWeek)];
          else if (form == 4) out += FSettings.LongDayNames[size_t(FDayOfWeek)];
          else if (form == 5) Append(FSettings.ShortDateFormat, out, depth + 1);
          else Append(FSettings.LongDateFormat, out, depth + 1);
          break;
        case 'M':
          if (previous == 'H' && form <= 2) out += Pad(FMin, form);
          else if (form <= 2) out += Pad(FMonth, form);
          else if (form == 3) out += FSettings.ShortMonthNames[size_t(FMonth - 1)];
          else out += FSettings.LongMonthNames[size_t(FMonth - 1)];
          break;
        case 'Y':
          if (form <= 2) out += Pad(FYear % 100, 2);
          else out += Pad(FYear, 4);
          break;
        case 'H': {
          int h = FHour;
          if (AmPmFollows(fmt, i + run)) {
            h %= 12;
            if (h == 0) h = 12;
          }
          out += Pad(h, std::min(form, 2));
          break;
        }
        case 'N':
          out += Pad(FMin, std::min(form, 2));
          break;
        case 'S':
          out += Pad(FSec, std::min(form, 2));
          break;
        case 'Z':
          out += Pad(FMSec, std::min(form, 3));
          break;
        case 'T':
          Append(form == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat, out, depth + 1);
          break;
      }
      previous = u;
      i += run;
    }
  }

 private:
  // "am/pm", "a/p" or "ampm" at fmt[i]; writes it and returns its length ("a" alone is
  // literal text).
  size_t AmPm(std::string_view fmt, size_t i, AnsiString& out) const {
    const bool pm = FHour >= 12;
    if (StartsWithNoCase(fmt, i, "am/pm")) {
      out.append(fmt.substr(pm ? i + 3 : i, 2));
      return 5;
    }
    if (StartsWithNoCase(fmt, i, "a/p")) {
      out.push_back(fmt[pm ? i + 2 : i]);
      return 3;
    }
    if (StartsWithNoCase(fmt, i, "ampm")) {
      out += pm ? FSettings.TimePMString : FSettings.TimeAMString;
      return 4;
    }
    out.push_back(fmt[i]);
    return 1;
  }

  // An am/pm specifier somewhere after position `from` (outside quoted text).
  static bool AmPmFollows(std::string_view fmt, size_t from) {
    char quote = 0;
    for (size_t k = from; k < fmt.size(); ++k) {
      const char c = fmt[k];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (IsLeadByte(static_cast<unsigned char>(c)) && k + 1 < fmt.size()) {
        ++k;
      } else if (StartsWithNoCase(fmt, k, "am/pm") || StartsWithNoCase(fmt, k, "a/p") ||
                 StartsWithNoCase(fmt, k, "ampm")) {
        return true;
      }
    }
    return false;
  }

  const TFormatSettings& FSettings;
  int FYear, FMonth, FDay, FDayOfWeek, FHour, FMin, FSec, FMSec;
};

// --- parsing -------------------------------------------------------------------------

class Scanner {
 public:
  Scanner(std::string_view s, const TFormatSettings& fs) : FText(s), FSettings(fs) {}

  void SkipBlanks() {
    while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ') ++FPos;
  }
  bool AtEnd() const { return FPos == FText.size(); }
  size_t Position() const { return FPos; }
  void SetPosition(size_t p) { FPos = p; }

  // A run of 1..maxDigits digits.
  bool Number(int& v, int& digits, int maxDigits) {
    v = 0;
    digits = 0;
    while (FPos < FText.size() && FText[FPos] >= '0' && FText[FPos] <= '9') {
      if (++digits > maxDigits) return false;
      v = v * 10 + (FText[FPos++] - '0');
    }
    return digits > 0;
  }

  bool DateSeparator() {
    if (FPos < FText.size() &&
        (FText[FPos] == FSettings.DateSeparator || FText[FPos] == '-' || FText[FPos] == '/')) {
      ++FPos;
      return true;
    }
    return false;
  }

  bool TimeSeparator() {
    if (FPos < FText.size() && (FText[FPos] == FSettings.TimeSeparator || FText[FPos] == ':')) {
      ++FPos;
      return true;
    }
    return false;
  }

  bool Char(char c) {
    if (FPos < FText.size() && FText[FPos] == c) {
      ++FPos;
      return true;
    }
    return false;
  }

  bool Word(std::string_view w) {
    if (w.empty() || !StartsWithNoCase(FText, FPos, w)) return false;
    FPos += w.size();
    return true;
  }

  // A date at the current position, in the order of ShortDateFormat.
  bool Date(TDateTime& out) {
    int v[3], len[3], n = 0;
    if (!Number(v[0], len[0], 4)) return false;
    for (n = 1; n < 3; ++n) {
      const size_t save = FPos;
      if (!DateSeparator()) break;
      if (!Number(v[n], len[n], 4)) {
        FPos = save;
        return false;
      }
    }
    if (n < 2) return false;
    const std::string order = DateOrder();
    int y = 0, m = 0, d = 0, yLen = 4;
    if (n == 3) {
      for (int k = 0; k < 3; ++k) {
        if (order[size_t(k)] == 'Y') { y = v[k]; yLen = len[k]; }
        else if (order[size_t(k)] == 'M') m = v[k];
        else d = v[k];
      }
    } else {  // month and day of the current year
      const bool dayFirst = order.find('D') < order.find('M');
      m = dayFirst ? v[1] : v[0];
      d = dayFirst ? v[0] : v[1];
      y = CurrentYear();
    }
    if (yLen <= 2) y = WindowedYear(y);
    return TryEncodeDate(y, m, d, out);
  }

  // A time at the current position: h:n[:s[.z]] and an optional AM/PM after blanks.
  bool Time(TDateTime& out) {
    int h, n, s = 0, z = 0, len;
    if (!Number(h, len, 2) || !TimeSeparator() || !Number(n, len, 2)) return false;
    if (TimeSeparator()) {
      if (!Number(s, len, 2)) return false;
      if (Char('.') || Char(FSettings.DecimalSeparator)) {
        if (!Number(z, len, 3)) return false;
      }
    }
    const size_t save = FPos;
    SkipBlanks();
    int half = -1;  // 0 AM, 1 PM
    if (Word(FSettings.TimeAMString) || Word("AM")) half = 0;
    else if (Word(FSettings.TimePMString) || Word("PM")) half = 1;
    else FPos = save;
    if (half >= 0) {
      if (h < 1 || h > 12) return false;
      h = h % 12 + (half == 1 ? 12 : 0);
    }
    return TryEncodeTime(h, n, s, z, out);
  }

 private:
  // "YMD", "DMY" or "MDY" by the first letters of ShortDateFormat.
  std::string DateOrder() const {
    std::string order;
    const std::string& f = FSettings.ShortDateFormat;
    for (size_t k = 0; k < f.size() && order.size() < 3; ++k) {
      const char u = Upper(f[k]);
      if (IsLeadByte(static_cast<unsigned char>(f[k]))) { ++k; continue; }
      if ((u == 'Y' || u == 'M' || u == 'D') && order.find(u) == std::string::npos) order.push_back(u);
    }
    return order.size() == 3 ? order : "YMD";
  }

  static int CurrentYear() {
    int y, m, d;
    DecodeDate(::Date(), y, m, d);
    return y;
  }

  int WindowedYear(int y) const {
    const int window = FSettings.TwoDigitYearCenturyWindow;
    const int base = CurrentYear() - window;
    y += base / 100 * 100;
    if (window > 0 && y < base) y += 100;
    return y;
  }

  std::string_view FText;
  const TFormatSettings& FSettings;
  size_t FPos = 0;
};

AnsiString Quoted(std::string_view s) { return "'" + AnsiString(s) + "'"; }
}  // namespace

// --- calendar ----------------------------------------------------------------------

bool IsLeapYear(int Year) { return (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0; }

int DaysInAMonth(int Year, int Month) {
  if (Month < 1 || Month > 12) return 0;
  const int* cum = kCumulativeDays[IsLeapYear(Year)];
  return cum[Month] - cum[Month - 1];
}

int DaysInMonth(TDateTime D) {
  int y, m, d;
  DecodeDate(D, y, m, d);
  return DaysInAMonth(y, m);
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& out) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInAMonth(Year, Month))
    return false;
  out = TDateTime(DayNumber(Year, Month, Day) - kDay1899);
  return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
  TDateTime d;
  if (!TryEncodeDate(Year, Month, Day, d)) DateEncodeError();
  return d;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& out) {
  if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 || MSec > 999)
    return false;
  out = (double(Hour) * 3600000 + double(Min) * 60000 + double(Sec) * 1000 + MSec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  TDateTime t;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, t)) throw EConvertError("Invalid argument to time encode");
  return t;
}

bool TryEncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec,
                       TDateTime& out) {
  TDateTime d, t;
  if (!TryEncodeDate(Year, Month, Day, d) || !TryEncodeTime(Hour, Min, Sec, MSec, t)) return false;
  out = Join(d, t);
  return true;
}

TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec) {
  return Join(EncodeDate(Year, Month, Day), EncodeTime(Hour, Min, Sec, MSec));
}

void DecodeDate(TDateTime D, int& Year, int& Month, int& Day) {
  int64_t day;
  int ms;
  if (!Split(D, day, ms)) DateEncodeError();
  YearMonthDay(day, Year, Month, Day);
}

void DecodeTime(TDateTime D, int& Hour, int& Min, int& Sec, int& MSec) {
  int ms = 0;
  if (std::isfinite(D)) {
    const double whole = std::trunc(D);
    ms = int(std::llround(std::fabs(D - whole) * MSecsPerDay) % MSecsPerDay);
  }
  Hour = ms / 3600000;
  Min = ms / 60000 % 60;
  Sec = ms / 1000 % 60;
  MSec = ms % 1000;
}

void DecodeDateTime(TDateTime D, int& Year, int& Month, int& Day, int& Hour, int& Min, int& Sec,
                    int& MSec) {
  DecodeDate(D, Year, Month, Day);
  DecodeTime(D, Hour, Min, Sec, MSec);
}

int DayOfWeek(TDateTime D) {
  int64_t day;
  int ms;
  if (!Split(D, day, ms)) DateEncodeError();
  return int((day + 1) % 7) + 1;
}

int YearOf(TDateTime D) { int y, m, d; DecodeDate(D, y, m, d); return y; }
int MonthOf(TDateTime D) { int y, m, d; DecodeDate(D, y, m, d); return m; }
int DayOf(TDateTime D) { int y, m, d; DecodeDate(D, y, m, d); return d; }

TDateTime Now() {
#ifdef _WIN32
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                        st.wMilliseconds);
#else
  // (<chrono> is avoided: its literal "\u00b5s" has no GBK form.)
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm local{};
  localtime_r(&ts.tv_sec, &local);
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, std::min(local.tm_sec, 59), int(ts.tv_nsec / 1000000));
#endif
}

TDateTime Date() { return DateOf(Now()); }
TDateTime Time() { return TimeOf(Now()); }
TDateTime DateOf(TDateTime D) { return std::trunc(D); }
TDateTime TimeOf(TDateTime D) { return std::fabs(D - std::trunc(D)); }
TDateTime IncDay(TDateTime D, int Days) { return Join(DateOf(D) + Days, TimeOf(D)); }

TDateTime IncMonth(TDateTime D, int Months) {
  int y, m, d;
  DecodeDate(D, y, m, d);
  const int64_t total = int64_t(y) * 12 + (m - 1) + Months;
  const int64_t ny = total / 12;
  if (total < 12 || ny > 9999) DateEncodeError();
  y = int(ny);
  m = int(total % 12) + 1;
  d = std::min(d, DaysInAMonth(y, m));
  return Join(EncodeDate(y, m, d), TimeOf(D));
}

// --- text --------------------------------------------------------------------------

AnsiString FormatDateTime(std::string_view Format, TDateTime D) {
  return FormatDateTime(Format, D, FormatSettings);
}

AnsiString FormatDateTime(std::string_view Format, TDateTime D, const TFormatSettings& fs) {
  AnsiString out;
  DateFormatter(D, fs).Append(Format.empty() ? std::string_view("c") : Format, out, 0);
  return out;
}

AnsiString DateToStr(TDateTime D) { return DateToStr(D, FormatSettings); }
AnsiString TimeToStr(TDateTime D) { return TimeToStr(D, FormatSettings); }
AnsiString DateTimeToStr(TDateTime D) { return DateTimeToStr(D, FormatSettings); }
AnsiString DateToStr(TDateTime D, const TFormatSettings& fs) { return FormatDateTime("ddddd", D, fs); }
AnsiString TimeToStr(TDateTime D, const TFormatSettings& fs) { return FormatDateTime("tt", D, fs); }
AnsiString DateTimeToStr(TDateTime D, const TFormatSettings& fs) { return FormatDateTime("c", D, fs); }

bool TryStrToDate(std::string_view S, TDateTime& out, const TFormatSettings& fs) {
  Scanner sc(S, fs);
  sc.SkipBlanks();
  TDateTime d;
  if (!sc.Date(d)) return false;
  sc.SkipBlanks();
  if (!sc.AtEnd()) return false;
  out = d;
  return true;
}

bool TryStrToTime(std::string_view S, TDateTime& out, const TFormatSettings& fs) {
  Scanner sc(S, fs);
  sc.SkipBlanks();
  TDateTime t;
  if (!sc.Time(t)) return false;
  sc.SkipBlanks();
  if (!sc.AtEnd()) return false;
  out = t;
  return true;
}

bool TryStrToDateTime(std::string_view S, TDateTime& out, const TFormatSettings& fs) {
  Scanner sc(S, fs);
  sc.SkipBlanks();
  TDateTime d, t = 0;
  if (!sc.Date(d)) return TryStrToTime(S, out, fs);  // a time alone is a time of day 0
  const size_t afterDate = sc.Position();
  sc.SkipBlanks();
  if (!sc.AtEnd()) {
    if (sc.Position() == afterDate || !sc.Time(t)) return false;
    sc.SkipBlanks();
    if (!sc.AtEnd()) return false;
  }
  out = Join(d, t);
  return true;
}

bool TryStrToDate(std::string_view S, TDateTime& out) { return TryStrToDate(S, out, FormatSettings); }
bool TryStrToTime(std::string_view S, TDateTime& out) { return TryStrToTime(S, out, FormatSettings); }
bool TryStrToDateTime(std::string_view S, TDateTime& out) {
  return TryStrToDateTime(S, out, FormatSettings);
}

TDateTime StrToDate(std::string_view S) {
  TDateTime d;
  if (!TryStrToDate(S, d)) throw EConvertError(Quoted(S) + " is not a valid date");
  return d;
}

TDateTime StrToTime(std::string_view S) {
  TDateTime t;
  if (!TryStrToTime(S, t)) throw EConvertError(Quoted(S) + " is not a valid time");
  return t;
}

TDateTime StrToDateTime(std::string_view S) {
  TDateTime d;
  if (!TryStrToDateTime(S, d)) throw EConvertError(Quoted(S) + " is not a valid date and time");
  return d;
}

TDateTime StrToDateDef(std::string_view S, TDateTime Default) {
  TDateTime d;
  return TryStrToDate(S, d) ? d : Default;
}

TDateTime StrToDateTimeDef(std::string_view S, TDateTime Default) {
  TDateTime d;
  return TryStrToDateTime(S, d) ? d : Default;
}
