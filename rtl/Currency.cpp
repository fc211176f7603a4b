// Currency arithmetic and conversions. Products and quotients are formed exactly in 128
// bits (the 32-bit target has no native 128-bit integer) and rounded half away from
// zero to the fourth decimal.
#include "rtl/Currency.h"

#include <cmath>
#include <limits>

#include "rtl/Exceptions.h"
#include "rtl/FormatSettings.h"
#include "rtl/NumberFormat.h"

namespace {
[[noreturn]] void Overflow() { throw EOverflow("Floating point overflow"); }

constexpr uint64_t kMaxMagnitude = uint64_t(std::numeric_limits<int64_t>::max());

// Magnitude and sign back to a scaled value; false when it does not fit.
bool Signed(uint64_t magnitude, bool negative, int64_t& out) {
  if (magnitude > kMaxMagnitude + (negative ? 1 : 0)) return false;
  out = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
  return true;
}

uint64_t Magnitude(int64_t v) { return v < 0 ? 0 - uint64_t(v) : uint64_t(v); }

struct U128 {
  uint64_t hi = 0, lo = 0;
};

U128 Multiply(uint64_t a, uint64_t b) {
  const uint64_t a0 = a & 0xFFFFFFFF, a1 = a >> 32, b0 = b & 0xFFFFFFFF, b1 = b >> 32;
  const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFF) + (p10 & 0xFFFFFFFF);
  U128 r;
  r.lo = (mid << 32) | (p00 & 0xFFFFFFFF);
  r.hi = p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32);
  return r;
}

// n / d rounded half away from zero; false when the quotient needs more than 64 bits.
bool DivideRounded(U128 n, uint64_t d, uint64_t& q) {
  if (n.hi >= d) return false;  // the quotient would not fit in 64 bits
  uint64_t rem = n.hi, quot = 0;
  for (int bit = 63; bit >= 0; --bit) {
    const bool carry = rem >> 63;
    rem = (rem << 1) | ((n.lo >> bit) & 1);
    quot <<= 1;
    if (carry || rem >= d) {
      rem -= d;
      quot |= 1;
    }
  }
  // Half away from zero: compare 2 x remainder with the divisor without overflowing.
  if (rem >= d - rem) {
    if (quot == std::numeric_limits<uint64_t>::max()) return false;
    ++quot;
  }
  q = quot;
  return true;
}

// Decimal digits rounded to four decimals, as a scaled value.
bool ScaledFromDecimal(rtl_detail::DecimalDigits d, int64_t& out) {
  rtl_detail::RoundDecimals(d, 4);
  if (d.IsZero()) {
    out = 0;
    return true;
  }
  const int length = d.Exponent + 4;  // digits of the scaled integer
  if (length > 19) return false;
  uint64_t m = 0;
  for (int k = 0; k < length; ++k) {
    const unsigned digit = k < int(d.Digits.size()) ? unsigned(d.Digits[size_t(k)] - '0') : 0;
    if (m > (std::numeric_limits<uint64_t>::max() - digit) / 10) return false;
    m = m * 10 + digit;
  }
  return Signed(m, d.Negative, out);
}
}  // namespace

Currency::Currency(int64_t v) {
  if (Magnitude(v) > kMaxMagnitude / Scale) Overflow();
  FValue = v * Scale;
}

Currency::Currency(double v) {
  if (!std::isfinite(v)) Overflow();
  if (!ScaledFromDecimal(rtl_detail::ToDecimal(v, 15), FValue)) Overflow();
}

Currency Currency::operator-() const {
  if (FValue == std::numeric_limits<int64_t>::min()) Overflow();
  return FromScaled(-FValue);
}

Currency& Currency::operator+=(Currency o) {
  if (__builtin_add_overflow(FValue, o.FValue, &FValue)) Overflow();
  return *this;
}

Currency& Currency::operator-=(Currency o) {
  if (__builtin_sub_overflow(FValue, o.FValue, &FValue)) Overflow();
  return *this;
}

Currency& Currency::operator*=(Currency o) {
  uint64_t q;
  if (!DivideRounded(Multiply(Magnitude(FValue), Magnitude(o.FValue)), Scale, q) ||
      !Signed(q, (FValue < 0) != (o.FValue < 0), FValue))
    Overflow();
  return *this;
}

Currency& Currency::operator/=(Currency o) {
  if (o.FValue == 0) throw EZeroDivide("Floating point division by zero");
  uint64_t q;
  if (!DivideRounded(Multiply(Magnitude(FValue), Scale), Magnitude(o.FValue), q) ||
      !Signed(q, (FValue < 0) != (o.FValue < 0), FValue))
    Overflow();
  return *this;
}

AnsiString CurrToStr(Currency c) {
  const uint64_t m = Magnitude(c.Scaled());
  AnsiString text = std::to_string(m / Currency::Scale);
  AnsiString frac = std::to_string(m % Currency::Scale);
  frac.insert(0, 4 - frac.size(), '0');
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  if (!frac.empty()) text += FormatSettings.DecimalSeparator + frac;
  return c.Scaled() < 0 ? "-" + text : text;
}

bool TryStrToCurr(std::string_view s, Currency& out) {
  rtl_detail::DecimalDigits d;
  int64_t scaled;
  if (!rtl_detail::ParseDecimal(s, FormatSettings.DecimalSeparator, d) || !ScaledFromDecimal(d, scaled))
    return false;
  out = Currency::FromScaled(scaled);
  return true;
}

Currency StrToCurr(std::string_view s) {
  Currency c;
  if (!TryStrToCurr(s, c))
    throw EConvertError("'" + AnsiString(s) + "' is not a valid floating point value");
  return c;
}

Currency StrToCurrDef(std::string_view s, Currency def) {
  Currency c;
  return TryStrToCurr(s, c) ? c : def;
}
