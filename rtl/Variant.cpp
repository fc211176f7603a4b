// Variant: construction, the conversion table, comparison, arithmetic and arrays.
// The rules are written down in Variant.h; this file keeps to them.
#include "rtl/Variant.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include "rtl/DateTime.h"
#include "rtl/FormatSettings.h"
#include "rtl/NumberFormat.h"

const Variant Unassigned{};

struct VariantAccess {
  static Variant Make(TVarType t) {
    Variant v;
    v.FType = t;
    return v;
  }
  static Variant Int(TVarType t, int64_t i) {
    Variant v = Make(t);
    v.FInt = i;
    return v;
  }
  static Variant Dbl(TVarType t, double d) {
    Variant v = Make(t);
    v.FDouble = d;
    return v;
  }
  static Variant Bcd(int64_t unscaled, int scale) {
    Variant v = Make(varFMTBcd);
    v.FInt = unscaled;
    v.FScale = static_cast<int16_t>(scale);
    return v;
  }
  static Variant Arr(std::shared_ptr<TVarArray> a) {
    Variant v = Make(static_cast<TVarType>(varArray | a->ElementType));
    v.FArray = std::move(a);
    return v;
  }
};

namespace {

using VA = VariantAccess;

constexpr int kMaxScale = 18;
constexpr int64_t kPow10[19] = {1,
                                10,
                                100,
                                1000,
                                10000,
                                100000,
                                1000000,
                                10000000,
                                100000000,
                                1000000000,
                                10000000000LL,
                                100000000000LL,
                                1000000000000LL,
                                10000000000000LL,
                                100000000000000LL,
                                1000000000000000LL,
                                10000000000000000LL,
                                100000000000000000LL,
                                1000000000000000000LL};

bool IsIntKind(TVarType t) {
  switch (t) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord:
    case varLongWord: case varInt64:
      return true;
    default:
      return false;
  }
}
bool IsStrKind(TVarType t) { return t == varString || t == varOleStr; }
bool IsFloatKind(TVarType t) { return t == varSingle || t == varDouble || t == varDate; }
bool IsScalarKind(TVarType t) {
  return IsIntKind(t) || IsFloatKind(t) || IsStrKind(t) || t == varCurrency || t == varBoolean ||
         t == varFMTBcd || t == varEmpty || t == varNull;
}

[[noreturn]] void CastError(TVarType from, TVarType to) {
  throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(from) + ") into type (" +
                              VarTypeAsText(to) + ")");
}
[[noreturn]] void OverflowError(TVarType from, TVarType to) {
  throw EVariantOverflowError("Overflow while converting variant of type (" + VarTypeAsText(from) +
                              ") into type (" + VarTypeAsText(to) + ")");
}
[[noreturn]] void ArithOverflow() { throw EVariantOverflowError("Variant overflow"); }
[[noreturn]] void InvalidOp() { throw EVariantInvalidOpError("Invalid variant operation"); }
[[noreturn]] void BadIndex() { throw EVariantBadIndexError("Variant or safe array index out of bounds"); }
[[noreturn]] void InvalidArg() { throw EVariantInvalidArgError("Invalid argument"); }
[[noreturn]] void ZeroDivide() { throw EZeroDivide("Floating point division by zero"); }

void IntRange(TVarType t, int64_t& lo, int64_t& hi) {
  switch (t) {
    case varSmallint: lo = INT16_MIN; hi = INT16_MAX; break;
    case varInteger: lo = INT32_MIN; hi = INT32_MAX; break;
    case varShortInt: lo = INT8_MIN; hi = INT8_MAX; break;
    case varByte: lo = 0; hi = UINT8_MAX; break;
    case varWord: lo = 0; hi = UINT16_MAX; break;
    case varLongWord: lo = 0; hi = UINT32_MAX; break;
    default: lo = INT64_MIN; hi = INT64_MAX; break;
  }
}

// Round half to even; false when the result is not an Int64.
bool RoundToInt64(long double x, int64_t& out) {
  if (!std::isfinite(x)) return false;
  long double r = std::nearbyint(x);  // default rounding mode: to nearest, ties to even
  if (r < -9223372036854775808.0L || r >= 9223372036854775808.0L) return false;
  out = static_cast<int64_t>(r);
  return true;
}

// Divides a scaled integer by 10^places, rounding half to even.
int64_t DivPow10Even(int64_t v, int places) {
  if (places <= 0) return v;
  if (places > kMaxScale) return 0;
  int64_t p = kPow10[places];
  int64_t q = v / p, r = v % p;
  int64_t twice = r < 0 ? -r : r;
  int64_t half = p - twice;  // compare 2|r| with p without overflow
  if (twice > half || (twice == half && (q % 2 != 0))) q += v < 0 ? -1 : 1;
  return q;
}

bool MulOverflow(int64_t a, int64_t b, int64_t& out) { return __builtin_mul_overflow(a, b, &out); }

// --- decimal text <-> scaled decimal ----------------------------------------------------

// Shortest text of unscaled / 10^scale: "12.5", "-0.001", "3".
AnsiString BcdText(int64_t unscaled, int scale) {
  bool neg = unscaled < 0;
  uint64_t mag = neg ? uint64_t(0) - static_cast<uint64_t>(unscaled) : static_cast<uint64_t>(unscaled);
  AnsiString digits = std::to_string(mag);
  while (scale > 0 && !digits.empty() && digits.back() == '0' && digits.size() > 1) {
    digits.pop_back();
    --scale;
  }
  if (mag == 0) return "0";
  if (scale > 0) {
    if (static_cast<int>(digits.size()) <= scale) digits.insert(0, static_cast<size_t>(scale) - digits.size() + 1, '0');
    digits.insert(digits.size() - static_cast<size_t>(scale), 1, '.');
  }
  return neg ? "-" + digits : digits;
}

// Reads [blanks][sign]digits[.digits][e[sign]digits][blanks] into a scaled decimal with at
// most 18 places (more places are rounded half away from zero, as text conversions of
// the runtime round). False for anything else or a value past Int64.
bool ParseDecimal(std::string_view s, TBcd& out) {
  size_t i = 0, n = s.size();
  while (i < n && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  while (n > i && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
  bool neg = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  std::string digits;
  int fracDigits = 0;
  bool any = false, point = false;
  for (; i < n; ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') {
      any = true;
      if (!(digits.empty() && c == '0')) digits += c;
      if (point) ++fracDigits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any) return false;
  int exp = 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool eneg = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) eneg = s[i++] == '-';
    if (i >= n) return false;
    for (; i < n; ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      if (exp < 10000) exp = exp * 10 + (s[i] - '0');
    }
    if (eneg) exp = -exp;
  }
  if (i != n) return false;
  // value = digits * 10^(exp - fracDigits)
  int scale = fracDigits - exp;
  if (digits.empty()) {
    out = TBcd{0, 0};
    return true;
  }
  while (scale < 0) {  // move the exponent into the digits
    digits += '0';
    ++scale;
    if (digits.size() > 19) return false;
  }
  bool roundUp = false;
  if (scale > kMaxScale) {
    int drop = scale - kMaxScale;
    if (drop >= static_cast<int>(digits.size())) {
      roundUp = drop == static_cast<int>(digits.size()) && digits[0] >= '5';
      digits.clear();
    } else {
      roundUp = digits[digits.size() - static_cast<size_t>(drop)] >= '5';
      digits.resize(digits.size() - static_cast<size_t>(drop));
    }
    scale = kMaxScale;
  }
  // Trailing zeros of the fraction carry no value.
  while (scale > 0 && !digits.empty() && digits.back() == '0' && !roundUp) {
    digits.pop_back();
    --scale;
  }
  int64_t v = 0;
  for (char c : digits) {
    if (MulOverflow(v, 10, v) || __builtin_add_overflow(v, c - '0', &v)) return false;
  }
  if (roundUp && __builtin_add_overflow(v, 1, &v)) return false;
  out = TBcd{neg ? -v : v, scale};
  return true;
}

// Scaled decimal from a double, through its shortest 15-digit text (so 0.1 is 1/10).
bool DoubleToBcd(double d, TBcd& out) {
  if (!std::isfinite(d)) return false;
  TFormatSettings fs;
  fs.DecimalSeparator = '.';
  return ParseDecimal(FloatToStrF(d, ffGeneral, 15, 0, fs), out);
}

TFormatSettings PointSettings() {
  TFormatSettings fs = FormatSettings;
  fs.DecimalSeparator = '.';
  return fs;
}

bool TextToDouble(std::string_view s, double& out) {
  static const TFormatSettings fs = PointSettings();
  return TryStrToFloat(s, out, fs);
}

AnsiString TextOf(const Variant& v) {
  return v.VType() == varOleStr ? WideToGbk(v.RawWide()) : v.RawString();
}

// --- the numeric form used by comparison and conversion ---------------------------------
struct Num {
  enum Kind { kInt, kDec, kFlt } kind = kInt;
  int64_t i = 0;   // kInt value or kDec unscaled
  int scale = 0;   // kDec
  long double f = 0;
  long double AsFloat() const {
    if (kind == kFlt) return f;
    if (kind == kInt) return static_cast<long double>(i);
    return static_cast<long double>(i) / static_cast<long double>(kPow10[scale]);
  }
};

// A text as a number: an integer exactly, a decimal exactly, else as a double.
bool TextToNum(std::string_view s, Num& n) {
  std::string t = Trim(s);
  int64_t i;
  if (TryStrToInt64(t, i)) {
    n.kind = Num::kInt;
    n.i = i;
    return true;
  }
  TBcd b;
  if (t.find_first_of("eE") == std::string::npos && ParseDecimal(t, b)) {
    n.kind = Num::kDec;
    n.i = b.Unscaled;
    n.scale = b.Scale;
    return true;
  }
  double d;
  if (!TextToDouble(s, d)) return false;
  n.kind = Num::kFlt;
  n.f = d;
  return true;
}

Num ToNum(const Variant& v, TVarType asType) {
  Num n;
  TVarType t = v.VType();
  if (IsIntKind(t)) {
    n.i = v.RawInt();
  } else if (t == varBoolean) {
    n.i = v.RawInt() ? -1 : 0;
  } else if (t == varEmpty) {
    n.i = 0;
  } else if (IsFloatKind(t)) {
    n.kind = Num::kFlt;
    n.f = v.RawDouble();
  } else if (t == varCurrency) {
    n.kind = Num::kDec;
    n.i = v.RawInt();
    n.scale = 4;
  } else if (t == varFMTBcd) {
    n.kind = Num::kDec;
    n.i = v.RawInt();
    n.scale = v.RawScale();
  } else if (IsStrKind(t)) {
    if (!TextToNum(TextOf(v), n)) CastError(t, asType);
  } else {
    CastError(t, asType);
  }
  return n;
}

int Sign3(long double a, long double b) {
  bool na = std::isnan(a), nb = std::isnan(b);
  if (na || nb) return na && nb ? 0 : (na ? -1 : 1);
  return a < b ? -1 : (a > b ? 1 : 0);
}

int CompareNum(const Num& a, const Num& b) {
  if (a.kind == Num::kInt && b.kind == Num::kInt) return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
  if (a.kind == Num::kFlt || b.kind == Num::kFlt) return Sign3(a.AsFloat(), b.AsFloat());
  // Both exact decimals (an integer is scale 0): bring them to the larger scale.
  int sa = a.kind == Num::kDec ? a.scale : 0, sb = b.kind == Num::kDec ? b.scale : 0;
  int s = sa > sb ? sa : sb;
  int64_t x, y;
  bool ox = MulOverflow(a.i, kPow10[s - sa], x), oy = MulOverflow(b.i, kPow10[s - sb], y);
  // An operand that overflows at the common scale is larger in magnitude than the other.
  if (ox) return a.i < 0 ? -1 : 1;
  if (oy) return b.i < 0 ? 1 : -1;
  return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareUnits(std::u16string_view a, std::u16string_view b) {
  int r = a.compare(b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareStrings(const Variant& a, const Variant& b) {
  if (a.VType() == varString && b.VType() == varString) {
    int r = AnsiCompareStr(a.RawString(), b.RawString());
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
  }
  if (a.VType() == varOleStr && b.VType() == varOleStr && a.RawWide() == b.RawWide()) return 0;
  // The same text whatever its kind: locale order of the GBK form first, then the
  // UTF-16 units for texts that GBK cannot tell apart.
  AnsiString ga = TextOf(a), gb = TextOf(b);
  int r = AnsiCompareStr(ga, gb);
  if (r != 0) return r < 0 ? -1 : 1;
  WideString wa = a.VType() == varOleStr ? a.RawWide() : GbkToWide(ga);
  WideString wb = b.VType() == varOleStr ? b.RawWide() : GbkToWide(gb);
  return CompareUnits(wa, wb);
}

// Both not Null and not arrays.
int CompareValues(const Variant& a0, const Variant& b0) {
  TVarType ta = a0.VType(), tb = b0.VType();
  if (ta == varEmpty && tb == varEmpty) return 0;
  // Empty takes the other side's kind (copies only then: sorting compares a lot).
  Variant ea, eb;
  if (ta == varEmpty) ea = VarAsType(a0, tb);
  if (tb == varEmpty) eb = VarAsType(b0, ta);
  const Variant& a = ta == varEmpty ? ea : a0;
  const Variant& b = tb == varEmpty ? eb : b0;
  ta = a.VType();
  tb = b.VType();
  bool sa = IsStrKind(ta), sb = IsStrKind(tb);
  if (sa && sb) return CompareStrings(a, b);
  if (sa || sb) {
    const Variant& other = sa ? b : a;
    const Variant& text = sa ? a : b;
    int flip = sa ? 1 : -1;
    if (other.VType() == varBoolean) {
      // "True"/"False" count as -1 / 0 like the Boolean itself; any other text as the
      // number it holds, so that a text, a Boolean and a number order consistently.
      AnsiString s = TextOf(text);
      Num n;
      if (SameText(s, "True")) n.i = -1;
      else if (!SameText(s, "False")) n = ToNum(text, varBoolean);
      return flip * CompareNum(n, ToNum(other, varBoolean));
    }
    if (other.VType() == varDate) {
      TDateTime d;
      double f;
      AnsiString s = TextOf(text);
      if (!TryStrToDateTime(s, d) && !(TextToDouble(s, f) && ((d = f), true))) CastError(text.VType(), varDate);
      return flip * Sign3(d, other.RawDouble());
    }
    return flip * CompareNum(ToNum(text, varDouble), ToNum(other, varDouble));
  }
  return CompareNum(ToNum(a, varDouble), ToNum(b, varDouble));
}

// --- arithmetic --------------------------------------------------------------------------

enum class Op { Add, Sub, Mul, Div };

Variant IntResult(int64_t v, bool wide) {
  if (!wide && v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int>(v));
  return Variant(static_cast<long long>(v));
}

Variant FloatOp(long double x, long double y, Op op, TVarType resultType) {
  long double r = 0;
  switch (op) {
    case Op::Add: r = x + y; break;
    case Op::Sub: r = x - y; break;
    case Op::Mul: r = x * y; break;
    case Op::Div:
      if (y == 0) ZeroDivide();
      r = x / y;
      break;
  }
  double d = static_cast<double>(r);
  if (std::isinf(d) && std::isfinite(x) && std::isfinite(y)) throw EOverflow("Floating point overflow");
  return resultType == varDate ? Variant::FromDate(d) : Variant(d);
}

// 128-bit magnitude as four 32-bit limbs (least significant first): exact products of
// scaled decimals on every target, 32-bit ones included.
struct U128 {
  uint32_t limb[4] = {0, 0, 0, 0};
  static U128 Mul(uint64_t a, uint64_t b) {
    U128 r;
    uint64_t al = a & 0xFFFFFFFFu, ah = a >> 32, bl = b & 0xFFFFFFFFu, bh = b >> 32;
    uint64_t p[4] = {al * bl, al * bh, ah * bl, ah * bh};
    uint64_t acc = p[0] & 0xFFFFFFFFu;
    r.limb[0] = static_cast<uint32_t>(acc);
    acc = (p[0] >> 32) + (p[1] & 0xFFFFFFFFu) + (p[2] & 0xFFFFFFFFu);
    r.limb[1] = static_cast<uint32_t>(acc);
    acc = (acc >> 32) + (p[1] >> 32) + (p[2] >> 32) + (p[3] & 0xFFFFFFFFu);
    r.limb[2] = static_cast<uint32_t>(acc);
    acc = (acc >> 32) + (p[3] >> 32);
    r.limb[3] = static_cast<uint32_t>(acc);
    return r;
  }
  uint32_t DivSmall(uint32_t d) {  // returns the remainder
    uint64_t rem = 0;
    for (int i = 3; i >= 0; --i) {
      uint64_t cur = (rem << 32) | limb[i];
      limb[i] = static_cast<uint32_t>(cur / d);
      rem = cur % d;
    }
    return static_cast<uint32_t>(rem);
  }
  bool FitsInt64(bool negative, int64_t& out) const {
    if (limb[3] || limb[2]) return false;
    uint64_t m = (uint64_t(limb[1]) << 32) | limb[0];
    if (negative) {
      if (m > uint64_t(INT64_MAX) + 1) return false;
      out = m == uint64_t(INT64_MAX) + 1 ? INT64_MIN : -static_cast<int64_t>(m);
    } else {
      if (m > uint64_t(INT64_MAX)) return false;
      out = static_cast<int64_t>(m);
    }
    return true;
  }
};

uint64_t Mag(int64_t v) { return v < 0 ? uint64_t(0) - static_cast<uint64_t>(v) : static_cast<uint64_t>(v); }

// a * b of two scaled decimals, the scale cut to maxScale by rounding half away from zero.
bool MulDecimal(int64_t a, int sa, int64_t b, int sb, int maxScale, int64_t& out, int& scale) {
  U128 p = U128::Mul(Mag(a), Mag(b));
  bool neg = (a < 0) != (b < 0);
  scale = sa + sb;
  bool up = false;
  while (scale > maxScale) {
    uint32_t r = p.DivSmall(10);
    up = r >= 5;
    --scale;
    if (scale > maxScale) up = false;  // only the last dropped digit decides
  }
  int64_t v;
  if (!p.FitsInt64(false, v)) return false;
  if (up && __builtin_add_overflow(v, 1, &v)) return false;
  out = neg ? -v : v;
  return true;
}

bool AlignDecimal(int64_t v, int from, int to, int64_t& out) { return !MulOverflow(v, kPow10[to - from], out); }

Variant DecimalOp(const Num& x, const Num& y, Op op, bool asCurrency) {
  int sx = x.kind == Num::kDec ? x.scale : 0, sy = y.kind == Num::kDec ? y.scale : 0;
  int64_t r = 0;
  int scale = 0;
  if (op == Op::Add || op == Op::Sub) {
    scale = sx > sy ? sx : sy;
    int64_t a, b;
    if (!AlignDecimal(x.i, sx, scale, a) || !AlignDecimal(y.i, sy, scale, b)) ArithOverflow();
    bool of = op == Op::Add ? __builtin_add_overflow(a, b, &r) : __builtin_sub_overflow(a, b, &r);
    if (of) ArithOverflow();
  } else if (op == Op::Mul) {
    if (!MulDecimal(x.i, sx, y.i, sy, asCurrency ? 4 : kMaxScale, r, scale)) ArithOverflow();
  }
  if (asCurrency) {
    int64_t scaled;
    if (scale < 4) {
      if (!AlignDecimal(r, scale, 4, scaled)) ArithOverflow();
    } else {
      scaled = r;  // scale is 4
    }
    return Variant::FromCurrency(Currency::FromScaled(scaled));
  }
  return Variant::FromBcd(r, scale);
}

Variant Arith(const Variant& a, const Variant& b, Op op) {
  TVarType ta = a.VType(), tb = b.VType();
  if (a.IsArray() || b.IsArray()) InvalidOp();
  if (ta == varNull || tb == varNull) return Variant::Null();
  bool sa = IsStrKind(ta), sb = IsStrKind(tb);
  if (op == Op::Add && (sa || sb) && (sa || ta == varEmpty) && (sb || tb == varEmpty)) {
    if (ta == varOleStr || tb == varOleStr) return Variant(a.AsWideString() + b.AsWideString());
    return Variant(a.AsString() + b.AsString());
  }
  if (!IsScalarKind(ta)) CastError(ta, varDouble);
  if (!IsScalarKind(tb)) CastError(tb, varDouble);
  // Strings take part as doubles.
  bool anyFloat = sa || sb || IsFloatKind(ta) || IsFloatKind(tb);
  if (anyFloat) {
    long double x = sa ? a.AsDouble() : ToNum(a, varDouble).AsFloat();
    long double y = sb ? b.AsDouble() : ToNum(b, varDouble).AsFloat();
    TVarType rt = varDouble;
    if ((op == Op::Add || op == Op::Sub) && (ta == varDate) != (tb == varDate)) rt = varDate;
    if (op == Op::Add && ta == varDate && tb == varDate) rt = varDate;
    return FloatOp(x, y, op, rt);
  }
  Num x = ToNum(a, varDouble), y = ToNum(b, varDouble);
  bool bcd = ta == varFMTBcd || tb == varFMTBcd;
  bool cur = ta == varCurrency || tb == varCurrency;
  if (bcd || cur) {
    if (op == Op::Div) {
      if (y.i == 0) ZeroDivide();
      if (bcd) return FloatOp(x.AsFloat(), y.AsFloat(), op, varDouble);
      try {
        Currency cx = x.kind == Num::kDec ? Currency::FromScaled(x.i) : Currency(x.i);
        Currency cy = y.kind == Num::kDec ? Currency::FromScaled(y.i) : Currency(y.i);
        return Variant::FromCurrency(cx / cy);
      } catch (const EOverflow&) {
        ArithOverflow();
      }
    }
    return DecimalOp(x, y, op, !bcd);
  }
  // Integer kinds and Booleans.
  bool wide = ta == varInt64 || tb == varInt64 || ta == varLongWord || tb == varLongWord;
  int64_t r = 0;
  switch (op) {
    case Op::Add: if (__builtin_add_overflow(x.i, y.i, &r)) ArithOverflow(); break;
    case Op::Sub: if (__builtin_sub_overflow(x.i, y.i, &r)) ArithOverflow(); break;
    case Op::Mul: if (__builtin_mul_overflow(x.i, y.i, &r)) ArithOverflow(); break;
    case Op::Div:
      if (y.i == 0) ZeroDivide();
      return Variant(static_cast<double>(static_cast<long double>(x.i) / static_cast<long double>(y.i)));
  }
  return IntResult(r, wide);
}

// --- arrays --------------------------------------------------------------------------------

int64_t FlatIndex(const TVarArray& a, const int* idx, size_t n) {
  if (n != a.Bounds.size()) BadIndex();
  int64_t flat = 0;
  for (size_t d = 0; d < n; ++d) {
    const TVarArrayBound& b = a.Bounds[d];
    int64_t off = static_cast<int64_t>(idx[d]) - b.LowBound;
    if (off < 0 || off >= b.ElementCount) BadIndex();
    flat = flat * b.ElementCount + off;
  }
  return flat;
}

Variant ZeroOf(TVarType elemType) {
  if (elemType == varVariant) return Variant();
  return VarAsType(Variant(), elemType);
}

constexpr int64_t kMaxArrayElements = int64_t(1) << 28;

}  // namespace

// --- construction ------------------------------------------------------------------------

Variant::Variant(bool v) : FType(varBoolean) { FInt = v ? 1 : 0; }
Variant::Variant(signed char v) : FType(varShortInt) { FInt = v; }
Variant::Variant(unsigned char v) : FType(varByte) { FInt = v; }
Variant::Variant(short v) : FType(varSmallint) { FInt = v; }
Variant::Variant(unsigned short v) : FType(varWord) { FInt = v; }
Variant::Variant(int v) : FType(varInteger) { FInt = v; }
Variant::Variant(unsigned v) : FType(varLongWord) { FInt = v; }
Variant::Variant(long v) : FType(sizeof(long) == 8 ? varInt64 : varInteger) { FInt = v; }
Variant::Variant(unsigned long v) {
  const unsigned long long x = v;  // 32 or 64 bits, depending on the target
  if (x <= UINT32_MAX) {
    FType = varLongWord;
  } else {
    if (x > static_cast<unsigned long long>(INT64_MAX)) OverflowError(varInt64, varInt64);
    FType = varInt64;
  }
  FInt = static_cast<int64_t>(x);
}
Variant::Variant(long long v) : FType(varInt64) { FInt = v; }
Variant::Variant(unsigned long long v) : FType(varInt64) {
  if (v > static_cast<unsigned long long>(INT64_MAX)) OverflowError(varInt64, varInt64);
  FInt = static_cast<int64_t>(v);
}
Variant::Variant(float v) : FType(varSingle) { FDouble = v; }
Variant::Variant(double v) : FType(varDouble) { FDouble = v; }
Variant::Variant(Currency v) : FType(varCurrency) { FInt = v.Scaled(); }
Variant::Variant(const char* v) : FType(varString), FStr(std::make_shared<const AnsiString>(v ? v : "")) {}
Variant::Variant(std::string_view v) : FType(varString), FStr(std::make_shared<const AnsiString>(v)) {}
Variant::Variant(const AnsiString& v) : FType(varString), FStr(std::make_shared<const AnsiString>(v)) {}
Variant::Variant(AnsiString&& v) : FType(varString), FStr(std::make_shared<const AnsiString>(std::move(v))) {}
Variant::Variant(const char16_t* v) : FType(varOleStr), FWide(std::make_shared<const WideString>(v ? v : u"")) {}
Variant::Variant(const WideString& v) : FType(varOleStr), FWide(std::make_shared<const WideString>(v)) {}
Variant::Variant(WideString&& v) : FType(varOleStr), FWide(std::make_shared<const WideString>(std::move(v))) {}
Variant::Variant(const TBcd& v) : Variant(FromBcd(v.Unscaled, v.Scale)) {}

Variant Variant::Null() { return VA::Make(varNull); }
Variant Variant::FromDate(TDateTime v) { return VA::Dbl(varDate, v); }
Variant Variant::FromCurrency(Currency v) { return VA::Int(varCurrency, v.Scaled()); }
Variant Variant::FromBcd(int64_t unscaled, int scale) {
  if (scale < 0 || scale > kMaxScale) InvalidArg();
  return VA::Bcd(unscaled, scale);
}
Variant Variant::OfType(TVarType type, const Variant& value) { return VarAsType(value, type); }

static const AnsiString kEmptyAnsi;
static const WideString kEmptyWide;
const AnsiString& Variant::RawString() const { return FStr ? *FStr : kEmptyAnsi; }
const WideString& Variant::RawWide() const { return FWide ? *FWide : kEmptyWide; }

// --- conversions -----------------------------------------------------------------------------

int64_t Variant::AsInt64() const {
  TVarType t = FType;
  if (t == varNull || IsArray()) CastError(t, varInt64);
  if (IsIntKind(t)) return FInt;
  if (t == varBoolean) return FInt ? -1 : 0;
  if (t == varEmpty) return 0;
  if (t == varCurrency) return DivPow10Even(FInt, 4);
  if (t == varFMTBcd) return DivPow10Even(FInt, FScale);
  int64_t out;
  if (IsFloatKind(t)) {
    if (!RoundToInt64(FDouble, out)) OverflowError(t, varInt64);
    return out;
  }
  if (IsStrKind(t)) {
    AnsiString s = Trim(TextOf(*this));
    if (TryStrToInt64(s, out)) return out;
    double d;
    if (!TextToDouble(s, d)) CastError(t, varInt64);
    if (!RoundToInt64(d, out)) OverflowError(t, varInt64);
    return out;
  }
  CastError(t, varInt64);
}

static int64_t CheckedInt(const Variant& v, TVarType target) {
  int64_t x;
  try {
    x = v.AsInt64();
  } catch (const EVariantOverflowError&) {
    OverflowError(v.VType(), target);
  } catch (const EVariantTypeCastError&) {
    CastError(v.VType(), target);
  }
  int64_t lo, hi;
  IntRange(target, lo, hi);
  if (x < lo || x > hi) OverflowError(v.VType(), target);
  return x;
}

int32_t Variant::AsInteger() const { return static_cast<int32_t>(CheckedInt(*this, varInteger)); }

double Variant::AsDouble() const {
  TVarType t = FType;
  if (IsFloatKind(t)) return FDouble;
  if (IsStrKind(t)) {
    double d;
    if (!TextToDouble(TextOf(*this), d)) CastError(t, varDouble);
    return d;
  }
  if (t == varNull || IsArray() || !IsScalarKind(t)) CastError(t, varDouble);
  return static_cast<double>(ToNum(*this, varDouble).AsFloat());
}

bool Variant::AsBoolean() const {
  TVarType t = FType;
  if (t == varBoolean) return FInt != 0;
  if (t == varEmpty) return false;
  if (IsStrKind(t)) {
    AnsiString s = TextOf(*this);
    if (SameText(s, "True")) return true;
    if (SameText(s, "False")) return false;
    Num n;
    if (!TextToNum(s, n)) CastError(t, varBoolean);
    return n.kind == Num::kFlt ? n.f != 0 : n.i != 0;
  }
  if (t == varNull || IsArray() || !IsScalarKind(t)) CastError(t, varBoolean);
  if (IsFloatKind(t)) return FDouble != 0;
  return FInt != 0;
}

AnsiString Variant::AsString() const {
  switch (FType) {
    case varString: return RawString();
    case varOleStr: return WideToGbk(RawWide());
    case varEmpty: return AnsiString();
    case varBoolean: return FInt ? "True" : "False";
    case varSingle: return FloatToStrF(FDouble, ffGeneral, 7, 0);
    case varDouble: return FloatToStr(FDouble);
    case varDate:
      // The platform's text of a date-time Variant leaves out a date part of 0: a time
      // of day alone reads "12:00:00", not "1899-12-30 12:00:00".
      if (std::trunc(FDouble) == 0) return TimeToStr(FDouble);
      return DateTimeToStr(FDouble);
    case varCurrency: return CurrToStr(Currency::FromScaled(FInt));
    case varFMTBcd: return BcdText(FInt, FScale);
    default:
      if (IsIntKind(FType)) return IntToStr(FInt);
      CastError(FType, varString);
  }
}

WideString Variant::AsWideString() const {
  if (FType == varOleStr) return RawWide();
  if (FType == varNull || IsArray()) CastError(FType, varOleStr);
  return GbkToWide(AsString());
}

Currency Variant::AsCurrency() const {
  TVarType t = FType;
  if (t == varCurrency) return Currency::FromScaled(FInt);
  if (t == varNull || IsArray() || !IsScalarKind(t)) CastError(t, varCurrency);
  try {
    if (t == varEmpty) return Currency();
    if (t == varBoolean) return Currency(FInt ? -1 : 0);
    if (IsIntKind(t)) return Currency(FInt);
    if (IsFloatKind(t)) return Currency(FDouble);
    if (t == varFMTBcd) {
      if (FScale <= 4) {
        int64_t s;
        if (MulOverflow(FInt, kPow10[4 - FScale], s)) OverflowError(t, varCurrency);
        return Currency::FromScaled(s);
      }
      // More than four places: the Currency rule, half away from zero.
      int64_t p = kPow10[FScale - 4];
      int64_t q = FInt / p, r = FInt % p;
      if ((r < 0 ? -r : r) >= p - (r < 0 ? -r : r)) q += FInt < 0 ? -1 : 1;
      return Currency::FromScaled(q);
    }
    Currency c;
    if (!TryStrToCurr(Trim(TextOf(*this)), c)) {
      // A text with too many digits for Currency is an overflow, not a non-number.
      double d;
      if (TextToDouble(TextOf(*this), d)) OverflowError(t, varCurrency);
      CastError(t, varCurrency);
    }
    return c;
  } catch (const EOverflow&) {
    OverflowError(t, varCurrency);
  }
}

TDateTime Variant::AsDateTime() const {
  TVarType t = FType;
  if (t == varDate) return FDouble;
  if (IsStrKind(t)) {
    AnsiString s = TextOf(*this);
    TDateTime d;
    if (TryStrToDateTime(s, d)) return d;
    double f;
    if (TextToDouble(s, f)) return f;
    CastError(t, varDate);
  }
  if (t == varNull || IsArray() || !IsScalarKind(t)) CastError(t, varDate);
  return static_cast<double>(ToNum(*this, varDate).AsFloat());
}

TBcd Variant::AsBcd() const {
  TVarType t = FType;
  if (t == varFMTBcd) return TBcd{FInt, FScale};
  if (t == varNull || IsArray() || !IsScalarKind(t)) CastError(t, varFMTBcd);
  if (t == varEmpty) return TBcd{};
  if (t == varBoolean) return TBcd{FInt ? -1 : 0, 0};
  if (IsIntKind(t)) return TBcd{FInt, 0};
  if (t == varCurrency) return TBcd{FInt, 4};
  TBcd b;
  if (IsFloatKind(t)) {
    if (!DoubleToBcd(FDouble, b)) OverflowError(t, varFMTBcd);
    return b;
  }
  AnsiString s = TextOf(*this);
  if (!ParseDecimal(s, b)) {
    double d;
    if (TextToDouble(s, d)) OverflowError(t, varFMTBcd);
    CastError(t, varFMTBcd);
  }
  return b;
}

AnsiString VarTypeAsText(TVarType type) {
  if (type & varArray) return "Array " + VarTypeAsText(static_cast<TVarType>(type & ~varArray));
  switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varBoolean: return "Boolean";
    case varVariant: return "Variant";
    case varShortInt: return "ShortInt";
    case varByte: return "Byte";
    case varWord: return "Word";
    case varLongWord: return "LongWord";
    case varInt64: return "Int64";
    case varString: return "String";
    case varFMTBcd: return "FMTBcd";
    default: return "$" + IntToHex(type, 4);
  }
}

Variant VarAsType(const Variant& v, TVarType type) {
  TVarType from = v.VType();
  if (type == from || type == varVariant) return v;
  if (type & varArray) {
    if (!v.IsArray()) CastError(from, type);
    TVarType elem = static_cast<TVarType>(type & varTypeMask);
    auto arr = std::make_shared<TVarArray>(*v.ArrayData());
    arr->ElementType = elem;
    if (elem != varVariant)
      for (Variant& x : arr->Items) x = VarAsType(x, elem);
    return VA::Arr(std::move(arr));
  }
  if (v.IsArray()) CastError(from, type);
  if (type == varEmpty) return Variant();
  if (type == varNull) return Variant::Null();
  if (from == varNull) CastError(from, type);
  switch (type) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord:
    case varLongWord: case varInt64:
      return VA::Int(type, CheckedInt(v, type));
    case varSingle: {
      double d = v.AsDouble();
      if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) OverflowError(from, type);
      return Variant(static_cast<float>(d));
    }
    case varDouble: return Variant(v.AsDouble());
    case varDate: return Variant::FromDate(v.AsDateTime());
    case varCurrency: return Variant::FromCurrency(v.AsCurrency());
    case varFMTBcd: return Variant(v.AsBcd());
    case varBoolean: return Variant(v.AsBoolean());
    case varString: return Variant(v.AsString());
    case varOleStr: return Variant(v.AsWideString());
    default: CastError(from, type);
  }
}

// --- type tests ------------------------------------------------------------------------------

TVarType VarType(const Variant& v) { return v.VType(); }
bool VarIsType(const Variant& v, TVarType type) { return v.VType() == type; }
bool VarIsType(const Variant& v, std::initializer_list<TVarType> types) {
  for (TVarType t : types)
    if (v.VType() == t) return true;
  return false;
}
bool VarIsNull(const Variant& v) { return v.VType() == varNull; }
bool VarIsEmpty(const Variant& v) { return v.VType() == varEmpty; }
bool VarIsClear(const Variant& v) { return v.VType() == varEmpty; }
bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsStr(const Variant& v) { return IsStrKind(v.VType()); }
bool VarIsOrdinal(const Variant& v) { return IsIntKind(v.VType()) || v.VType() == varBoolean; }
bool VarIsFloat(const Variant& v) {
  TVarType t = v.VType();
  return t == varSingle || t == varDouble || t == varCurrency || t == varFMTBcd;
}
bool VarIsNumeric(const Variant& v) { return VarIsOrdinal(v) || VarIsFloat(v); }
AnsiString VarToStr(const Variant& v) { return v.IsNull() ? AnsiString() : v.AsString(); }
WideString VarToWideStr(const Variant& v) { return v.IsNull() ? WideString() : v.AsWideString(); }
TDateTime VarToDateTime(const Variant& v) { return v.AsDateTime(); }

// --- comparison ------------------------------------------------------------------------------

bool operator==(const Variant& a, const Variant& b) {
  if (a.IsArray() || b.IsArray()) InvalidOp();
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
  return CompareValues(a, b) == 0;
}

bool operator<(const Variant& a, const Variant& b) {
  if (a.IsArray() || b.IsArray()) InvalidOp();
  if (a.IsNull() || b.IsNull()) return a.IsNull() && !b.IsNull();
  return CompareValues(a, b) < 0;
}

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
  if (a.IsEmpty()) return b.IsEmpty() ? vrEqual : vrNotEqual;
  if (a.IsNull()) return b.IsNull() ? vrEqual : vrNotEqual;
  if (b.IsEmpty() || b.IsNull()) return vrNotEqual;
  if (a.IsArray() || b.IsArray()) InvalidOp();
  int r = CompareValues(a, b);
  return r == 0 ? vrEqual : (r < 0 ? vrLessThan : vrGreaterThan);
}

bool VarSameValue(const Variant& a, const Variant& b) {
  if (a.IsEmpty()) return b.IsEmpty();
  if (a.IsNull()) return b.IsNull();
  if (b.IsEmpty() || b.IsNull()) return false;
  return a == b;
}

// --- arithmetic ------------------------------------------------------------------------------

Variant operator+(const Variant& a, const Variant& b) { return Arith(a, b, Op::Add); }
Variant operator-(const Variant& a, const Variant& b) { return Arith(a, b, Op::Sub); }
Variant operator*(const Variant& a, const Variant& b) { return Arith(a, b, Op::Mul); }
Variant operator/(const Variant& a, const Variant& b) { return Arith(a, b, Op::Div); }

Variant operator-(const Variant& a) {
  TVarType t = a.VType();
  if (a.IsArray()) InvalidOp();
  switch (t) {
    case varNull: return a;
    case varEmpty: return Variant(0);
    case varSingle: return Variant(static_cast<float>(-a.RawDouble()));
    case varDouble: return Variant(-a.RawDouble());
    case varDate: return Variant::FromDate(-a.RawDouble());
    case varCurrency:
      if (a.RawInt() == INT64_MIN) ArithOverflow();
      return Variant::FromCurrency(Currency::FromScaled(-a.RawInt()));
    case varFMTBcd:
      if (a.RawInt() == INT64_MIN) ArithOverflow();
      return Variant::FromBcd(-a.RawInt(), a.RawScale());
    case varString: case varOleStr: return Variant(-a.AsDouble());
    default: break;
  }
  if (!IsScalarKind(t)) InvalidOp();
  int64_t v = a.AsInt64();
  if (v == INT64_MIN) ArithOverflow();
  return IntResult(-v, t == varInt64);
}

// --- arrays ------------------------------------------------------------------------------------

TVarArray* Variant::MutableArray() {
  if (!FArray) return nullptr;
  if (FArray.use_count() > 1) FArray = std::make_shared<TVarArray>(*FArray);
  return FArray.get();
}

const Variant& Variant::operator[](int index) const {
  if (!IsArray()) InvalidArg();
  return FArray->Items[static_cast<size_t>(FlatIndex(*FArray, &index, 1))];
}

void Variant::PutElement(int index, const Variant& value) { VarArrayPut(*this, value, {index}); }

Variant VarArrayCreateDims(const std::vector<TVarArrayBound>& dims, TVarType elemType) {
  if (dims.empty()) InvalidArg();
  if (elemType != varVariant && (!IsScalarKind(elemType) || elemType == varEmpty || elemType == varNull)) InvalidArg();
  int64_t total = 1;
  for (const TVarArrayBound& b : dims) {
    if (b.ElementCount < 0) InvalidArg();
    // The high bound (low + count - 1) must be an int.
    if (static_cast<int64_t>(b.LowBound) + b.ElementCount - 1 > INT32_MAX) InvalidArg();
    total *= b.ElementCount;
    if (total > kMaxArrayElements) InvalidArg();
  }
  auto arr = std::make_shared<TVarArray>();
  arr->ElementType = elemType;
  arr->Bounds = dims;
  arr->Items.assign(static_cast<size_t>(total), ZeroOf(elemType));
  Variant v;
  v.FType = static_cast<TVarType>(varArray | elemType);
  v.FArray = std::move(arr);
  return v;
}

Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elemType) {
  if (bounds.size() == 0 || bounds.size() % 2 != 0) InvalidArg();
  std::vector<TVarArrayBound> dims;
  for (auto it = bounds.begin(); it != bounds.end(); it += 2) {
    int64_t count = static_cast<int64_t>(it[1]) - it[0] + 1;
    if (count < 0 || count > INT32_MAX) InvalidArg();
    dims.push_back(TVarArrayBound{it[0], static_cast<int>(count)});
  }
  return VarArrayCreateDims(dims, elemType);
}

Variant VarArrayOf(const std::vector<Variant>& values) {
  Variant v = VarArrayCreateDims({TVarArrayBound{0, static_cast<int>(values.size())}}, varVariant);
  v.MutableArray()->Items = values;
  return v;
}
Variant VarArrayOf(std::initializer_list<Variant> values) { return VarArrayOf(std::vector<Variant>(values)); }

static const TVarArray& ArrayOf(const Variant& v) {
  if (!v.IsArray()) InvalidArg();
  return *v.ArrayData();
}

int VarArrayDimCount(const Variant& v) { return v.IsArray() ? static_cast<int>(v.ArrayData()->Bounds.size()) : 0; }

static const TVarArrayBound& DimOf(const Variant& v, int dim) {
  const TVarArray& a = ArrayOf(v);
  if (dim < 1 || dim > static_cast<int>(a.Bounds.size())) InvalidArg();
  return a.Bounds[static_cast<size_t>(dim - 1)];
}
int VarArrayLowBound(const Variant& v, int dim) { return DimOf(v, dim).LowBound; }
int VarArrayHighBound(const Variant& v, int dim) {
  const TVarArrayBound& b = DimOf(v, dim);
  return b.LowBound + b.ElementCount - 1;
}
TVarType VarArrayElementType(const Variant& v) { return ArrayOf(v).ElementType; }

Variant VarArrayGet(const Variant& a, std::initializer_list<int> indices) {
  const TVarArray& arr = ArrayOf(a);
  return arr.Items[static_cast<size_t>(FlatIndex(arr, indices.begin(), indices.size()))];
}

void VarArrayPut(Variant& a, const Variant& value, std::initializer_list<int> indices) {
  const TVarArray& cur = ArrayOf(a);
  size_t at = static_cast<size_t>(FlatIndex(cur, indices.begin(), indices.size()));
  // Convert before unsharing: a failed conversion leaves the array as it was.
  Variant x = cur.ElementType == varVariant ? value : VarAsType(value, cur.ElementType);
  a.MutableArray()->Items[at] = std::move(x);
}

void VarArrayRedim(Variant& a, int highBound) {
  const TVarArray& cur = ArrayOf(a);
  TVarArrayBound last = cur.Bounds.back();
  int64_t count = static_cast<int64_t>(highBound) - last.LowBound + 1;
  if (count < 0 || count > INT32_MAX) InvalidArg();
  std::vector<TVarArrayBound> dims = cur.Bounds;
  dims.back().ElementCount = static_cast<int>(count);
  Variant fresh = VarArrayCreateDims(dims, cur.ElementType);
  TVarArray* dst = fresh.MutableArray();
  // Rows are laid out with the last dimension fastest: copy each row's kept part.
  int64_t rows = dims.back().ElementCount == 0 ? 0 : static_cast<int64_t>(dst->Items.size()) / dims.back().ElementCount;
  if (dims.back().ElementCount == 0) {
    rows = 1;
    for (size_t d = 0; d + 1 < dims.size(); ++d) rows *= dims[d].ElementCount;
  }
  int64_t keep = std::min<int64_t>(last.ElementCount, count);
  for (int64_t r = 0; r < rows; ++r)
    for (int64_t k = 0; k < keep; ++k)
      dst->Items[static_cast<size_t>(r * count + k)] = cur.Items[static_cast<size_t>(r * last.ElementCount + k)];
  a = std::move(fresh);
}
