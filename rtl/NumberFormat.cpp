// Float and currency formatting and float parsing.
//
// Every routine works on DecimalDigits: the value's significant decimal digits and
// its decimal exponent. A double is turned into 18 correctly rounded digits once
// (std::to_chars, locale-free); all later rounding is done on those digits, half away
// from zero, so what is printed agrees with what FloatToStr shows for the same value.
// That is a double rounding, as the platform's: it is not the correctly rounded value
// at 15 digits in every case (see ToDecimal).
#include "rtl/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>
#include <vector>

#include "rtl/Exceptions.h"

namespace rtl_detail {

namespace {
void StripZeros(DecimalDigits& d) {
  const size_t last = d.Digits.find_last_not_of('0');
  if (last == std::string::npos) {
    d.Digits.clear();
    d.Exponent = 0;
    return;
  }
  d.Digits.erase(last + 1);
  const size_t first = d.Digits.find_first_not_of('0');
  d.Digits.erase(0, first);
  d.Exponent -= int(first);
}

// Keeps the first `keep` digits, rounding half away from zero on the digit after them.
void KeepDigits(DecimalDigits& d, int keep) {
  if (keep >= int(d.Digits.size())) return;
  if (keep < 0) {
    d.Digits.clear();
    d.Exponent = 0;
    return;
  }
  const bool up = d.Digits[size_t(keep)] >= '5';
  d.Digits.erase(size_t(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.Digits[size_t(i)] == '9') d.Digits[size_t(i--)] = '0';
    if (i >= 0) {
      ++d.Digits[size_t(i)];
    } else {  // 999 -> 1000: one more integer digit
      d.Digits.insert(d.Digits.begin(), '1');
      ++d.Exponent;
    }
  }
  StripZeros(d);
}
}  // namespace

DecimalDigits ToDecimal(double v, int precision) {
  DecimalDigits d;
  d.Negative = std::signbit(v);
  if (v == 0 || !std::isfinite(v)) return d;
  precision = std::clamp(precision, 1, 18);
  // Eighteen correctly rounded digits first, then half away from zero at `precision`:
  // an exact tie such as 1234.5 at four digits goes up (1235), where a single
  // round-to-even conversion would give 1234. The first rounding can make a tie out of
  // a value just below one: the double 0.8154851443714215 is 0.81548514437142149980...,
  // 0.815485144371421500 at 18 digits, so FloatToStr shows 0.815485144371422 where the
  // correctly rounded 15 digits end in 1. The platform rounds the same way, so this
  // stays (about 1 value in 1,800 is affected).
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 17);
  // "d.ddde+XX"
  const std::string_view text(buf, size_t(r.ptr - buf));
  const size_t e = text.find('e');
  for (char c : text.substr(0, e))
    if (c != '.') d.Digits.push_back(c);
  d.Exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
  StripZeros(d);
  KeepDigits(d, precision);
  return d;
}

void RoundDecimals(DecimalDigits& d, int decimals) {
  if (!d.IsZero()) KeepDigits(d, d.Exponent + decimals);
}

void RoundSignificant(DecimalDigits& d, int count) {
  if (!d.IsZero()) KeepDigits(d, std::max(count, 0));
}

bool ParseDecimal(std::string_view s, char decimalSeparator, DecimalDigits& out) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  s = s.substr(b, e - b);
  DecimalDigits d;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) d.Negative = s[i++] == '-';
  int intDigits = 0, fracDigits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      d.Digits.push_back(c);
      (point ? fracDigits : intDigits)++;
    } else if (c == decimalSeparator && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (intDigits + fracDigits == 0) return false;
  long exponent = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const size_t start = i;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      exponent = exponent * 10 + (s[i] - '0');
      if (exponent > 100000) return false;
    }
    if (i == start) return false;
    if (negative) exponent = -exponent;
  }
  if (i != s.size()) return false;
  d.Exponent = intDigits + int(exponent);
  StripZeros(d);
  out = d;
  return true;
}

namespace {
// Integer digits of d (no leading zeros; "" for a value below 1).
std::string IntegerDigits(const DecimalDigits& d) {
  if (d.Exponent <= 0) return std::string();
  std::string s = d.Digits.substr(0, size_t(std::min<int>(d.Exponent, int(d.Digits.size()))));
  s.append(size_t(d.Exponent) - s.size(), '0');
  return s;
}

// The first `count` decimals of d, padded with zeros.
std::string FractionDigits(const DecimalDigits& d, int count) {
  std::string s;
  for (int k = 0; k < count; ++k) {
    const int idx = d.Exponent + k;
    s.push_back(idx >= 0 && idx < int(d.Digits.size()) ? d.Digits[size_t(idx)] : '0');
  }
  return s;
}

std::string Group(const std::string& intDigits, char sep) {
  std::string out;
  for (size_t i = 0; i < intDigits.size(); ++i) {
    if (i > 0 && (intDigits.size() - i) % 3 == 0) out.push_back(sep);
    out.push_back(intDigits[i]);
  }
  return out;
}

std::string ExponentText(int exp, bool alwaysSign, int minDigits) {
  std::string digits = std::to_string(std::abs(exp));
  if (int(digits.size()) < minDigits) digits.insert(0, size_t(minDigits) - digits.size(), '0');
  if (exp < 0) return "-" + digits;
  return alwaysSign ? "+" + digits : digits;
}

// The general form of rounded digits: fixed while -4 <= Exponent <= precision.
AnsiString General(const DecimalDigits& d, int precision, int expDigits, const TFormatSettings& fs) {
  if (d.IsZero()) return "0";
  std::string body;
  if (d.Exponent >= -4 && d.Exponent <= precision) {
    std::string ip = IntegerDigits(d);
    body = ip.empty() ? "0" : ip;
    const int decimals = int(d.Digits.size()) - d.Exponent;
    if (decimals > 0) body += fs.DecimalSeparator + FractionDigits(d, decimals);
  } else {
    body = d.Digits.substr(0, 1);
    if (d.Digits.size() > 1) body += fs.DecimalSeparator + d.Digits.substr(1);
    body += "E" + ExponentText(d.Exponent - 1, false, std::clamp(expDigits, 0, 4));
  }
  return d.Negative ? "-" + body : body;
}

AnsiString PlaceCurrency(const std::string& number, bool negative, const TFormatSettings& fs) {
  static const char* const kPositive[] = {"$1", "1$", "$ 1", "1 $"};
  static const char* const kNegative[] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)", "-1$",
                                          "1-$",  "1$-",  "-1 $", "-$ 1", "1 $-", "$ 1-",
                                          "$ -1", "1- $", "($ 1)", "(1 $)"};
  const char* pattern = negative ? kNegative[std::clamp(fs.NegCurrFormat, 0, 15)]
                                 : kPositive[std::clamp(fs.CurrencyFormat, 0, 3)];
  AnsiString out;
  for (const char* p = pattern; *p; ++p) {
    if (*p == '$') out += fs.CurrencyString;
    else if (*p == '1') out += number;
    else out.push_back(*p);
  }
  return out;
}
}  // namespace

AnsiString FormatDecimal(const DecimalDigits& src, TFloatFormat format, int precision, int digits,
                         const TFormatSettings& fs) {
  DecimalDigits d = src;
  precision = std::clamp(precision, 1, 19);
  RoundSignificant(d, precision);
  switch (format) {
    case ffExponent: {
      std::string m = d.Digits;
      m.resize(size_t(precision), '0');
      std::string body = m.substr(0, 1);
      if (precision > 1) body += fs.DecimalSeparator + m.substr(1);
      body += "E" + ExponentText(d.IsZero() ? 0 : d.Exponent - 1, true, std::clamp(digits, 0, 4));
      return d.Negative && !d.IsZero() ? "-" + body : body;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      if (d.Exponent > precision) return General(d, precision, 0, fs);
      digits = std::clamp(digits, 0, 18);
      RoundDecimals(d, digits);
      std::string ip = IntegerDigits(d);
      if (ip.empty()) ip = "0";
      std::string number = format == ffFixed ? ip : Group(ip, fs.ThousandSeparator);
      if (digits > 0) number += fs.DecimalSeparator + FractionDigits(d, digits);
      const bool negative = d.Negative && !d.IsZero();
      if (format == ffCurrency) return PlaceCurrency(number, negative, fs);
      return negative ? "-" + number : number;
    }
    case ffGeneral:
    default:
      return General(d, precision, digits, fs);
  }
}

namespace {
// One section of a FormatFloat pattern, parsed.
struct PatternSection {
  enum Kind { kLiteral, kIntPlace, kPoint, kDecPlace, kExponent };
  struct Token {
    Kind kind;
    std::string text;  // literal text; for kExponent the exponent letter
    int index = 0;     // placeholder number within its part, from the left
    std::string written = {};  // kExponent: the exponent part as written ("E+00")
  };
  std::vector<Token> tokens;
  int intPlaces = 0, minInt = 0, maxDec = 0, minDec = 0;
  bool thousands = false, scientific = false, expSign = false, hasPlaces = false;
  int expDigits = 0;
};

std::vector<std::string_view> SplitSections(std::string_view pattern) {
  std::vector<std::string_view> out;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      out.push_back(pattern.substr(start, i - start));
      start = i + 1;
    } else if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < pattern.size()) {
      ++i;  // a double-byte character is literal text, whatever its trail byte
    }
  }
  out.push_back(pattern.substr(start));
  return out;
}

PatternSection ParseSection(std::string_view s) {
  PatternSection p;
  int firstIntZero = -1, decPlaces = 0;
  bool afterPoint = false;
  auto literal = [&](std::string_view t) {
    if (!p.tokens.empty() && p.tokens.back().kind == PatternSection::kLiteral)
      p.tokens.back().text.append(t);
    else
      p.tokens.push_back({PatternSection::kLiteral, std::string(t)});
  };
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"' || c == '\'') {
      const size_t end = s.find(c, i + 1);
      const size_t stop = end == std::string_view::npos ? s.size() : end;
      literal(s.substr(i + 1, stop - i - 1));
      i = stop;
    } else if (c == '0' || c == '#') {
      p.hasPlaces = true;
      if (!afterPoint) {
        if (c == '0' && firstIntZero < 0) firstIntZero = p.intPlaces;
        p.tokens.push_back({PatternSection::kIntPlace, "", p.intPlaces++});
      } else {
        if (c == '0') p.minDec = decPlaces + 1;
        p.tokens.push_back({PatternSection::kDecPlace, "", decPlaces++});
      }
    } else if (c == '.') {
      if (!afterPoint) {
        afterPoint = true;
        p.hasPlaces = true;
        p.tokens.push_back({PatternSection::kPoint, ""});
      }
    } else if (c == ',') {
      p.thousands = true;
    } else if ((c == 'E' || c == 'e') && !p.scientific && i + 1 < s.size() &&
               (s[i + 1] == '+' || s[i + 1] == '-')) {
      const size_t start = i;
      p.scientific = true;
      p.expSign = s[i + 1] == '+';
      i += 2;
      int zeros = 0;
      while (i < s.size() && s[i] == '0') ++zeros, ++i;
      --i;
      p.expDigits = std::min(zeros, 4);
      p.tokens.push_back({PatternSection::kExponent, std::string(1, c), 0,
                          std::string(s.substr(start, i + 1 - start))});
    } else if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < s.size()) {
      literal(s.substr(i, 2));
      ++i;
    } else {
      literal(s.substr(i, 1));
    }
  }
  p.maxDec = decPlaces;
  p.minInt = firstIntZero < 0 ? 0 : p.intPlaces - firstIntZero;
  return p;
}

// Rounds |d| as the section will show it.
DecimalDigits RoundForSection(const DecimalDigits& src, const PatternSection& p) {
  DecimalDigits d = src;
  d.Negative = false;
  if (p.scientific)
    RoundSignificant(d, std::max(p.intPlaces, 1) + p.maxDec);
  else
    RoundDecimals(d, p.maxDec);
  return d;
}

// Writes the rounded, unsigned value d by the section.
std::string Render(const DecimalDigits& d, const PatternSection& p, const TFormatSettings& fs) {
  if (!p.hasPlaces) {
    // No digit placeholder: no number to show, so the section is text as written, an
    // exponent part ("E+00") included.
    std::string out;
    for (const auto& t : p.tokens) out += t.kind == PatternSection::kExponent ? t.written : t.text;
    return out;
  }
  std::string intDigits, fracDigits;
  int exponent = 0;
  if (p.scientific) {
    const int lead = std::max(p.intPlaces, 1);
    exponent = d.IsZero() ? 0 : d.Exponent - lead;
    DecimalDigits m = d;
    m.Exponent = d.IsZero() ? 0 : lead;
    intDigits = IntegerDigits(m);
    fracDigits = FractionDigits(m, p.maxDec);
  } else {
    intDigits = IntegerDigits(d);
    fracDigits = FractionDigits(d, p.maxDec);
  }
  if (int(intDigits.size()) < p.minInt) intDigits.insert(0, size_t(p.minInt) - intDigits.size(), '0');
  while (int(fracDigits.size()) > p.minDec && fracDigits.back() == '0') fracDigits.pop_back();

  std::string out;
  const int len = int(intDigits.size());
  int nextInt = 0;  // next integer digit to write
  auto writeIntUpTo = [&](int end) {
    for (; nextInt < end; ++nextInt) {
      if (p.thousands && nextInt > 0 && (len - nextInt) % 3 == 0) out.push_back(fs.ThousandSeparator);
      out.push_back(intDigits[size_t(nextInt)]);
    }
  };
  // Integer digits beyond the placeholders go where the first placeholder stands (or,
  // without integer placeholders, where the decimal part begins).
  const int excess = std::max(len - p.intPlaces, 0);
  bool excessWritten = false;
  auto writeExcess = [&] {
    if (!excessWritten) writeIntUpTo(excess);
    excessWritten = true;
  };
  for (const auto& t : p.tokens) {
    switch (t.kind) {
      case PatternSection::kLiteral:
        out += t.text;
        break;
      case PatternSection::kIntPlace: {
        writeExcess();
        const int digit = len - p.intPlaces + t.index;  // this placeholder's digit
        if (digit >= 0) writeIntUpTo(digit + 1);
        break;
      }
      case PatternSection::kPoint:
        writeExcess();
        writeIntUpTo(len);
        if (!fracDigits.empty()) out.push_back(fs.DecimalSeparator);
        break;
      case PatternSection::kDecPlace:
        writeExcess();
        writeIntUpTo(len);
        if (t.index < int(fracDigits.size())) out.push_back(fracDigits[size_t(t.index)]);
        break;
      case PatternSection::kExponent:
        writeExcess();
        writeIntUpTo(len);
        out += t.text + ExponentText(exponent, p.expSign, p.expDigits);
        break;
    }
  }
  writeExcess();
  writeIntUpTo(len);
  return out;
}
}  // namespace

AnsiString FormatDecimalPattern(std::string_view pattern, const DecimalDigits& d, int precision,
                                const TFormatSettings& fs) {
  auto general = [&] { return FormatDecimal(d, ffGeneral, precision, 0, fs); };
  const std::vector<std::string_view> sections = SplitSections(pattern);
  auto present = [&](size_t k) { return sections.size() > k && !sections[k].empty(); };

  const bool negative = d.Negative && !d.IsZero();
  const size_t chosen = negative && present(1) ? 1 : 0;
  if (d.IsZero() && present(2)) return Render(DecimalDigits(), ParseSection(sections[2]), fs);
  // An empty first section (";0.00" for a positive value) formats nothing: the value
  // gets its general text, as for an empty pattern.
  if (!present(chosen)) return general();
  const PatternSection section = ParseSection(sections[chosen]);
  if (!section.scientific && d.Exponent > 18) return general();
  const DecimalDigits rounded = RoundForSection(d, section);
  if (rounded.IsZero()) {
    // Nothing left after rounding: the zero section, else the first one without a sign.
    if (present(2)) return Render(DecimalDigits(), ParseSection(sections[2]), fs);
    if (!present(0)) return general();
    return Render(DecimalDigits(), ParseSection(sections[0]), fs);
  }
  const std::string text = Render(rounded, section, fs);
  return negative && chosen == 0 ? "-" + text : text;
}

}  // namespace rtl_detail

using rtl_detail::DecimalDigits;
using rtl_detail::ToDecimal;

namespace {
AnsiString NonFinite(double v) {
  if (std::isnan(v)) return "NAN";
  return v < 0 ? "-INF" : "INF";
}

DecimalDigits CurrencyDigits(Currency c) {
  DecimalDigits d;
  const int64_t s = c.Scaled();
  d.Negative = s < 0;
  const uint64_t magnitude = s < 0 ? 0 - uint64_t(s) : uint64_t(s);
  d.Digits = std::to_string(magnitude);
  d.Exponent = int(d.Digits.size()) - 4;
  // Strip zeros: digits stay significant, the exponent keeps the point in place.
  const size_t last = d.Digits.find_last_not_of('0');
  if (last == std::string::npos) {
    d.Digits.clear();
    d.Exponent = 0;
  } else {
    d.Digits.erase(last + 1);
  }
  return d;
}
}  // namespace

AnsiString FloatToStr(double v) { return FloatToStr(v, FormatSettings); }

AnsiString FloatToStr(double v, const TFormatSettings& fs) {
  return FloatToStrF(v, ffGeneral, 15, 0, fs);
}

AnsiString FloatToStrF(double v, TFloatFormat format, int precision, int digits) {
  return FloatToStrF(v, format, precision, digits, FormatSettings);
}

AnsiString FloatToStrF(double v, TFloatFormat format, int precision, int digits,
                       const TFormatSettings& fs) {
  if (!std::isfinite(v)) return NonFinite(v);
  precision = std::clamp(precision, 1, 18);
  return rtl_detail::FormatDecimal(ToDecimal(v, precision), format, precision, digits, fs);
}

bool TryStrToFloat(std::string_view s, double& out) { return TryStrToFloat(s, out, FormatSettings); }

bool TryStrToFloat(std::string_view s, double& out, const TFormatSettings& fs) {
  DecimalDigits d;
  if (!rtl_detail::ParseDecimal(s, fs.DecimalSeparator, d)) return false;
  if (d.IsZero()) {
    out = d.Negative ? -0.0 : 0.0;
    return true;
  }
  // Exact digits in the form from_chars reads: "0.<digits>e<exponent>".
  const std::string text = "0." + d.Digits + "e" + std::to_string(d.Exponent);
  double v = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    if (d.Exponent > 0) return false;  // too large for a double
    v = 0;                             // too small: underflows to zero
  } else if (r.ec != std::errc() || !std::isfinite(v)) {
    return false;
  }
  out = d.Negative ? -v : v;
  return true;
}

double StrToFloat(std::string_view s) {
  double v;
  if (!TryStrToFloat(s, v))
    throw EConvertError("'" + AnsiString(s) + "' is not a valid floating point value");
  return v;
}

double StrToFloatDef(std::string_view s, double def) {
  double v;
  return TryStrToFloat(s, v) ? v : def;
}

AnsiString FormatFloat(std::string_view format, double v) { return FormatFloat(format, v, FormatSettings); }

AnsiString FormatFloat(std::string_view format, double v, const TFormatSettings& fs) {
  if (!std::isfinite(v)) return NonFinite(v);
  return rtl_detail::FormatDecimalPattern(format, ToDecimal(v, 15), 15, fs);
}

AnsiString CurrToStrF(Currency c, TFloatFormat format, int digits) {
  return CurrToStrF(c, format, digits, FormatSettings);
}

AnsiString CurrToStrF(Currency c, TFloatFormat format, int digits, const TFormatSettings& fs) {
  return rtl_detail::FormatDecimal(CurrencyDigits(c), format, 19, digits, fs);
}

AnsiString FormatCurr(std::string_view format, Currency c) { return FormatCurr(format, c, FormatSettings); }

AnsiString FormatCurr(std::string_view format, Currency c, const TFormatSettings& fs) {
  return rtl_detail::FormatDecimalPattern(format, CurrencyDigits(c), 19, fs);
}
