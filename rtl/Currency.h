// Currency: money as a 64-bit integer count of ten-thousandths (four decimals exact).
//
// Range: -922337203685477.5808 .. 922337203685477.5807.
// Rounding: every conversion or product that yields more than four decimals rounds
// half away from zero at the fourth decimal. A double is rounded on the decimal digits
// of its shortest 15-significant-digit text (the same digits FloatToStr shows), so
// 1.00005 becomes 1.0001 although its binary value lies a little below 1.00005.
// Overflow: a result outside the range, or a NaN or infinite double, raises EOverflow
// "Floating point overflow"; a division by zero raises EZeroDivide "Floating point
// division by zero". Text that is not a number raises EConvertError (see StrToCurr).
#pragma once
#include <compare>
#include <cstdint>
#include "rtl/AnsiString.h"

class Currency {
 public:
  static constexpr int64_t Scale = 10000;

  constexpr Currency() = default;
  Currency(int v) : FValue(int64_t(v) * Scale) {}
  Currency(int64_t v);                       // EOverflow beyond the range
  Currency(double v);                        // rounded as above; EOverflow beyond the range
  static constexpr Currency FromScaled(int64_t scaled) { Currency c; c.FValue = scaled; return c; }

  int64_t Scaled() const { return FValue; }  // value x 10000
  double ToDouble() const { return double(FValue) / Scale; }
  explicit operator double() const { return ToDouble(); }

  Currency operator-() const;
  Currency& operator+=(Currency o);
  Currency& operator-=(Currency o);
  Currency& operator*=(Currency o);
  Currency& operator/=(Currency o);
  friend Currency operator+(Currency a, Currency b) { return a += b; }
  friend Currency operator-(Currency a, Currency b) { return a -= b; }
  friend Currency operator*(Currency a, Currency b) { return a *= b; }
  friend Currency operator/(Currency a, Currency b) { return a /= b; }
  friend bool operator==(Currency a, Currency b) { return a.FValue == b.FValue; }
  friend auto operator<=>(Currency a, Currency b) { return a.FValue <=> b.FValue; }

 private:
  int64_t FValue = 0;
};

// Plain decimal text: "12.5", "-0.0001", "3" (no exponent, no thousands separators).
AnsiString CurrToStr(Currency c);
// Text in the number form: optional blanks, a sign, digits with one decimal separator,
// an optional exponent; more than four decimals are rounded half away from zero.
// EConvertError "'<text>' is not a valid floating point value" for anything else and
// for values out of range.
Currency StrToCurr(std::string_view s);
bool TryStrToCurr(std::string_view s, Currency& out);
Currency StrToCurrDef(std::string_view s, Currency def);
