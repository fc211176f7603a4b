// Checked arithmetic of the formula engine.
//
// 32-bit integer operations wrap around (computed unsigned, so there is no undefined
// behaviour); the faults that would kill the process or slip through as inf/NaN raise
// the platform's arithmetic errors with its texts instead.
#pragma once
#include <cmath>
#include <cstdint>
#include "rtl/AnsiString.h"
#include "rtl/Exceptions.h"

namespace kvexpr {

inline constexpr const char* kDivByZeroText = "Division by zero";
inline constexpr const char* kIntOverflowText = "Integer overflow";
inline constexpr const char* kZeroDivideText = "Floating point division by zero";
inline constexpr const char* kInvalidOpText = "Invalid floating point operation";
inline constexpr const char* kOverflowText = "Floating point overflow";

inline int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t WrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t WrapMul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
inline int32_t WrapNeg(int32_t a) { return static_cast<int32_t>(0u - static_cast<uint32_t>(a)); }

// DIV truncates toward zero; INT_MIN DIV -1 does not fit and raises.
inline int32_t IntDiv(int32_t a, int32_t b) {
  if (b == 0) throw EDivByZero(kDivByZeroText);
  if (b == -1) {
    if (a == INT32_MIN) throw EIntOverflow(kIntOverflowText);
    return -a;
  }
  return a / b;
}
// MOD keeps the sign of the dividend; INT_MIN MOD -1 is 0.
inline int32_t IntMod(int32_t a, int32_t b) {
  if (b == 0) throw EDivByZero(kDivByZeroText);
  if (b == -1) return 0;
  return a % b;
}

// A float result must be finite: NaN is an invalid operation, an infinity an overflow.
// Raises for a result that is not finite (NaN: invalid operation, else overflow).
[[noreturn]] void RaiseFloatError(double r);
inline double CheckFloat(double r) {
  if (__builtin_expect(std::isfinite(r), 1)) return r;
  RaiseFloatError(r);
}
inline double Divide(double a, double b) {
  if (b == 0) {
    if (a == 0 || std::isnan(a)) throw EInvalidOp(kInvalidOpText);
    throw EZeroDivide(kZeroDivideText);
  }
  return CheckFloat(a / b);
}
// POWER as pow defines it for the cases a formula meets: 0 to a positive power is 0,
// to a negative power a division by zero; a negative base needs an integral exponent.
inline double Power(double x, double y) {
  if (x == 0) {
    if (y < 0) throw EZeroDivide(kZeroDivideText);
    return y == 0 ? 1 : 0;
  }
  if (x < 0 && std::trunc(y) != y) throw EInvalidOp(kInvalidOpText);
  return CheckFloat(std::pow(x, y));
}

inline int32_t ToInt32Checked(double r) {
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw EIntOverflow(kIntOverflowText);
  return static_cast<int32_t>(r);
}
// Round to nearest, halves to the even neighbour.
inline int32_t RoundToInt(double v) { return ToInt32Checked(std::nearbyint(v)); }
inline int32_t TruncToInt(double v) { return ToInt32Checked(std::trunc(v)); }

// The platform's general float text (15 significant digits).
AnsiString FloatText(double v);

}  // namespace kvexpr
