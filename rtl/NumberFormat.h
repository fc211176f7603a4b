// Numbers to text and back, as the platform's float routines do it, independent of the
// machine's locale (the separators come from FormatSettings).
//
// Every formatter starts from the value's decimal digits at the precision asked for
// (15 significant digits for FloatToStr and FormatFloat) and rounds on those decimal
// digits half away from zero, so the binary noise of a double never shows and
// 2.675 with "0.00" gives "2.68". Those digits are rounded twice, as the platform's
// are: first correctly to 18 digits, then half away from zero to the precision. So a
// value just below a tie in the 16th digit and above it in the 19th rounds up where a
// single correct rounding would round down (about 1 value in 1,800 differs from
// correct rounding in the 15th digit). No routine prints "-0": a value that rounds to zero
// is written without a sign. NaN and infinities print as "NAN", "INF" and "-INF".
#pragma once
#include <string>
#include "rtl/AnsiString.h"
#include "rtl/Currency.h"
#include "rtl/FormatSettings.h"

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// General format with 15 significant digits, trailing zeros dropped: 12.5 -> "12.5",
// 3 -> "3", 0.1 + 0.2 -> "0.3". The fixed form is used while the value is at least
// 0.00001 and has at most 15 integer digits ("0.00001", "123456789012345"); otherwise
// the exponent form without "+" or leading zeros: 1e15 -> "1E15", 1.5e-7 -> "1.5E-7".
AnsiString FloatToStr(double v);
AnsiString FloatToStr(double v, const TFormatSettings& fs);

// Precision: significant digits (1..18). Digits, by format:
//   ffGeneral  shortest form as FloatToStr; Digits = least exponent digits (0..4)
//   ffExponent "-d.dddE+ddd": Precision digits, exponent signed with at least Digits
//              digits (0..4)
//   ffFixed    "-ddd.dd" with Digits decimals (0..18); exponent form (as ffGeneral)
//              when the integer part has more than Precision digits
//   ffNumber   ffFixed with thousand separators
//   ffCurrency ffNumber with CurrencyString placed by CurrencyFormat / NegCurrFormat
AnsiString FloatToStrF(double v, TFloatFormat format, int precision, int digits);
AnsiString FloatToStrF(double v, TFloatFormat format, int precision, int digits,
                       const TFormatSettings& fs);

// Text to double. Accepted: blanks (bytes <= ' ') around the number, an optional sign,
// digits with at most one DecimalSeparator (digits may be missing on either side but
// not both: "0.", ".5", "-.5"), an optional exponent "e"/"E" with optional sign and
// digits ("1e3", "1E-6"). Nothing else: no thousands separators, no "$", no "INF"/"NAN",
// no text after the number. A value beyond the double range is not a number; one too
// small to represent becomes 0.
// StrToFloat: EConvertError "'<text>' is not a valid floating point value".
double StrToFloat(std::string_view s);
bool TryStrToFloat(std::string_view s, double& out);
bool TryStrToFloat(std::string_view s, double& out, const TFormatSettings& fs);
double StrToFloatDef(std::string_view s, double def);

// FormatFloat: the platform's number pattern. Up to three sections separated by ';'
// (positive; negative; zero). Within a section:
//   0        digit, always shown (leading / trailing zeros)
//   #        digit, shown when significant
//   .        decimal separator position (the first one; shown only when a decimal
//            digit follows it in the result)
//   ,        anywhere: group the integer digits by three with ThousandSeparator
//   E+0 E-0 e+0 e-0  scientific notation; the count of 0s (up to 4) is the least
//            number of exponent digits; "+" always shows the sign, "-" only a minus
//   "xx" 'xx' literal text; every other character stands for itself
// A section without a digit placeholder (0 or #) shows no number: it is its text as
// written, an exponent part included ("E+00" gives "E+00").
// The value is rounded to the decimals of the section it will use. A negative value
// uses the second section without a sign of its own when that section exists and is
// not empty, else the first with "-" in front; a value that rounds to zero uses the
// third section when it exists and is not empty, else the first, unsigned. An empty
// pattern, an empty first section where the first section is to be used (";0.00" for
// a positive value), or a value whose integer part has more than 18 digits in a
// section without an exponent, gives the general text of FloatToStr (for FormatCurr:
// of CurrToStrF ffGeneral).
AnsiString FormatFloat(std::string_view format, double v);
AnsiString FormatFloat(std::string_view format, double v, const TFormatSettings& fs);

// Currency to text: CurrToStrF as FloatToStrF with Precision 19 on the exact value;
// FormatCurr as FormatFloat on the exact four-decimal value.
AnsiString CurrToStrF(Currency c, TFloatFormat format, int digits);
AnsiString CurrToStrF(Currency c, TFloatFormat format, int digits, const TFormatSettings& fs);
AnsiString FormatCurr(std::string_view format, Currency c);
AnsiString FormatCurr(std::string_view format, Currency c, const TFormatSettings& fs);

namespace rtl_detail {
// A finite number as decimal digits: value = (Negative ? -1 : 1) x 0.Digits x 10^Exponent.
// Digits has no leading or trailing zeros; it is empty for zero.
struct DecimalDigits {
  bool Negative = false;
  std::string Digits;
  int Exponent = 0;
  bool IsZero() const { return Digits.empty(); }
};
// The value's digits rounded twice: correctly (from the binary value) to 18 significant
// digits, then half away from zero to `precision` (1..18). Not a correct rounding at
// `precision`: 0.8154851443714215 (0.81548514437142149980...) gives 815485144371422
// at 15 digits, not ...421.
DecimalDigits ToDecimal(double v, int precision);
// Rounds half away from zero to `decimals` places after the point (may be negative).
void RoundDecimals(DecimalDigits& d, int decimals);
// Rounds half away from zero to `count` significant digits.
void RoundSignificant(DecimalDigits& d, int count);
// Reads number text by the StrToFloat grammar into exact decimal digits; false when the
// text is not a number. Exponents beyond +-100000 count as not a number.
bool ParseDecimal(std::string_view s, char decimalSeparator, DecimalDigits& out);
// Text of d by a float format or a FormatFloat pattern (d already holds the digits to
// use: a double's 15 or Precision digits, a currency's exact digits).
AnsiString FormatDecimal(const DecimalDigits& d, TFloatFormat format, int precision, int digits,
                         const TFormatSettings& fs);
AnsiString FormatDecimalPattern(std::string_view pattern, const DecimalDigits& d, int precision,
                                const TFormatSettings& fs);
}  // namespace rtl_detail
