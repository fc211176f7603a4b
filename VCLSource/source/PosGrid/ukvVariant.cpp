// The library's Variant routines: the one ordering of values, the LIKE matcher, the
// wildcard helpers, small array builders and week arithmetic.
#include "VCLSource/source/PosGrid/ukvVariant.h"

#include <cmath>
#include <limits>
#include <vector>
#include "VCLSource/source/PosGrid/xkxSystem.h"
#include "rtl/FormatSettings.h"

namespace {

// --- ordering -----------------------------------------------------------------------

enum Group { gNull, gEmpty, gBoolean, gNumber, gText, gArray };

Group GroupOf(const Variant& v) {
  if (v.IsArray()) return gArray;
  switch (v.VType()) {
    case varNull: return gNull;
    case varEmpty: return gEmpty;
    case varBoolean: return gBoolean;
    case varString:
    case varOleStr: return gText;
    default: return gNumber;
  }
}

int Sign(int64_t d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }

// A number's sort key: its value as a double, then its exact integer part. Comparing
// keys is a total order by construction; the second part separates large integers
// that one double cannot tell apart.
struct NumberKey {
  double D;
  int64_t I;
};

int64_t TruncClamped(double d) {
  if (d >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (d <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(d);
}

NumberKey KeyOf(const Variant& v) {
  switch (v.VType()) {
    case varSingle:
    case varDouble:
    case varDate: {
      const double d = v.RawDouble();
      if (std::isnan(d)) return {-std::numeric_limits<double>::infinity(), std::numeric_limits<int64_t>::min()};
      return {d, TruncClamped(d)};
    }
    case varCurrency: {
      const int64_t sc = v.RawInt();
      return {static_cast<double>(sc) / 10000.0, sc / 10000};
    }
    case varFMTBcd: {
      int64_t p = 1;
      for (int i = 0; i < v.RawScale(); ++i) p *= 10;
      return {static_cast<double>(v.RawInt()) / static_cast<double>(p), v.RawInt() / p};
    }
    default: return {static_cast<double>(v.RawInt()), v.RawInt()};
  }
}

int CompareNumbers(const Variant& a, const Variant& b) {
  const NumberKey ka = KeyOf(a), kb = KeyOf(b);
  if (ka.D < kb.D) return -1;
  if (kb.D < ka.D) return 1;
  return Sign(ka.I < kb.I ? -1 : (ka.I > kb.I ? 1 : 0));
}

int CompareTexts(const Variant& a, const Variant& b) {
  if (a.VType() == varString && b.VType() == varString) {
    const AnsiString& sa = a.RawString();
    const AnsiString& sb = b.RawString();
    if (sa == sb) return 0;
    const int c = AnsiCompareStr(sa, sb);
    return c != 0 ? Sign(c) : Sign(CompareStr(sa, sb));
  }
  // The key of a text is (its GBK text in the platform's order, its GBK bytes, its
  // UTF-16 units): two wide texts that read the same in GBK are told apart by their
  // units.
  const AnsiString ga = a.VType() == varString ? a.RawString() : WideToGbk(a.RawWide());
  const AnsiString gb = b.VType() == varString ? b.RawString() : WideToGbk(b.RawWide());
  int c = AnsiCompareStr(ga, gb);
  if (c == 0) c = CompareStr(ga, gb);
  if (c != 0) return Sign(c);
  const WideString wa = a.VType() == varOleStr ? a.RawWide() : GbkToWide(a.RawString());
  const WideString wb = b.VType() == varOleStr ? b.RawWide() : GbkToWide(b.RawString());
  return wa < wb ? -1 : (wb < wa ? 1 : 0);
}

int CompareArrays(const Variant& a, const Variant& b) {
  const std::vector<Variant>& ia = a.ArrayData()->Items;
  const std::vector<Variant>& ib = b.ArrayData()->Items;
  if (ia.size() != ib.size()) return ia.size() < ib.size() ? -1 : 1;
  for (size_t i = 0; i < ia.size(); ++i)
    if (const int c = CompareVariants(ia[i], ib[i])) return c;
  return 0;
}

// --- patterns -----------------------------------------------------------------------

// One character of a GBK text: a single byte, or a lead byte with its trail byte
// (kept apart from single bytes by bit 16).
std::vector<uint32_t> Characters(std::string_view s) {
  std::vector<uint32_t> out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (kxIsLeadByte(c) && i + 1 < s.size()) {
      out.push_back(0x10000u | (uint32_t(c) << 8) | static_cast<unsigned char>(s[i + 1]));
      i += 2;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return out;
}

enum TokenKind : uint8_t { tkLiteral, tkOne, tkMany };
struct Token {
  TokenKind Kind;
  uint32_t Ch;
};

}  // namespace

int CompareVariants(const Variant& a, const Variant& b) {
  const Group ga = GroupOf(a), gb = GroupOf(b);
  if (ga != gb) return ga < gb ? -1 : 1;
  switch (ga) {
    case gNull:
    case gEmpty: return 0;
    case gBoolean: return Sign(a.RawInt() - b.RawInt());  // False before True
    case gNumber: return CompareNumbers(a, b);
    case gText: return CompareTexts(a, b);
    default: return CompareArrays(a, b);
  }
}

bool MatchPattern(std::string_view s, std::string_view pattern, char manyWildcard, char oneWildcard, char escape) {
  const std::vector<uint32_t> subject = Characters(s);
  std::vector<Token> tokens;
  {
    const std::vector<uint32_t> pc = Characters(pattern);
    bool escaped = false;
    for (const uint32_t ch : pc) {
      if (!escaped && escape != 0 && ch == static_cast<unsigned char>(escape)) {
        escaped = true;
        continue;
      }
      if (!escaped && ch == static_cast<unsigned char>(manyWildcard)) {
        if (tokens.empty() || tokens.back().Kind != tkMany) tokens.push_back({tkMany, 0});
      } else if (!escaped && ch == static_cast<unsigned char>(oneWildcard)) {
        tokens.push_back({tkOne, 0});
      } else {
        tokens.push_back({tkLiteral, ch});
      }
      escaped = false;
    }
  }
  // Greedy matching that backtracks only to the last many-wildcard seen: a later
  // many-wildcard can absorb whatever an earlier one would, so no other choice point
  // needs revisiting.
  size_t si = 0, pi = 0, starP = SIZE_MAX, starS = 0;
  const size_t n = subject.size(), m = tokens.size();
  while (si < n) {
    if (pi < m && (tokens[pi].Kind == tkOne || (tokens[pi].Kind == tkLiteral && tokens[pi].Ch == subject[si]))) {
      ++si;
      ++pi;
    } else if (pi < m && tokens[pi].Kind == tkMany) {
      starP = pi++;
      starS = si;
    } else if (starP != SIZE_MAX) {
      pi = starP + 1;
      si = ++starS;
    } else {
      return false;
    }
  }
  while (pi < m && tokens[pi].Kind == tkMany) ++pi;
  return pi == m;
}

void CollapseDoubledChar(AnsiString& s, char c) {
  AnsiString out;
  out.reserve(s.size());
  bool lastWasC = false;
  for (size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (kxIsLeadByte(b) && i + 1 < s.size()) {
      out.append(s, i, 2);
      i += 2;
      lastWasC = false;
      continue;
    }
    if (s[i] == c) {
      if (!lastWasC) out += c;
      lastWasC = true;
    } else {
      out += s[i];
      lastWasC = false;
    }
    ++i;
  }
  s = std::move(out);
}

uint8_t StripWildcardEnds(AnsiString& s, char c) {
  CollapseDoubledChar(s, c);
  if (s.size() <= 1) return 0;
  const bool atStart = s.front() == c;
  // The last byte is a C of its own only when it is not a GBK trail byte.
  const bool atEnd = s.back() == c && !IsTrailByteAt(s, s.size() - 1);
  if (atStart) s.erase(0, 1);
  if (atEnd) s.pop_back();
  return static_cast<uint8_t>((atEnd ? 1 : 0) | (atStart ? 2 : 0));
}

Variant VarBetween(const Variant& low, const Variant& high) { return VarArrayOf({low, high}); }
Variant VarListOf(const Variant& v) { return VarArrayOf({v}); }

void VarListAppend(Variant& a, const Variant& v) {
  std::vector<Variant> items;
  if (a.IsArray()) {
    items = a.ArrayData()->Items;
  } else if (!a.IsEmpty()) {
    items.push_back(a);
  }
  items.push_back(v);
  a = VarArrayOf(items);
}

bool IsNullOrEmptyString(const Variant& v) {
  switch (v.VType()) {
    case varNull: return true;
    case varString: return v.RawString().empty();
    case varOleStr: return v.RawWide().empty();
    default: return false;
  }
}

bool IsCurrencyVarType(TVarType varType) { return varType == varCurrency || varType == varFMTBcd; }

std::function<AnsiString()> kvFirstDayOfWeekSetting = LocaleFirstDayOfWeek;

int FirstDayOfWeek() {
  const AnsiString s = kvFirstDayOfWeekSetting ? kvFirstDayOfWeekSetting() : AnsiString("0");
  int v = 0;
  if (s.size() == 1 && s[0] >= '0' && s[0] <= '6') v = s[0] - '0';
  return (v + 1) % 7;
}

TDateTime DateOnly(TDateTime d) { return std::trunc(d); }

TDateTime StartOfWeek(TDateTime d) {
  const int w = FirstDayOfWeek();
  const int day = DayOfWeek(d) - 1;  // 0 = Sunday
  const TDateTime base = DateOnly(d);
  return w <= day ? base - (day - w) : base - 7 + (w - day);
}
