// String routines of the library: 1-based substrings, blanks and case, integers,
// Format, and GBK <-> UTF-16 <-> UTF-8 conversion.
//
// GBK conversion goes through the code-page API with code page 936 on Win32 and through
// iconv natively; a lead byte never loses its trail byte in any routine here.
#include "rtl/AnsiString.h"
#include "rtl/AnsiStringCase.h"

#include <algorithm>
#include <utility>
#include <charconv>
#include <climits>
#include <cstring>
#include <limits>
#include <vector>

#include "rtl/Exceptions.h"
#include "rtl/FormatSettings.h"
#include "rtl/NumberFormat.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

// --- 1-based substring routines -------------------------------------------------------

AnsiString Copy(std::string_view s, int index, int count) {
  if (index < 1) index = 1;
  const size_t start = size_t(index) - 1;
  if (count < 1 || start >= s.size()) return AnsiString();
  return AnsiString(s.substr(start, size_t(count)));
}

int Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  const size_t p = s.find(sub);
  return p == std::string_view::npos ? 0 : int(p) + 1;
}

void Delete(AnsiString& s, int index, int count) {
  if (index < 1 || size_t(index) > s.size() || count < 1) return;
  s.erase(size_t(index) - 1, size_t(count));
}

void Insert(std::string_view source, AnsiString& s, int index) {
  if (index < 1) index = 1;
  const size_t at = std::min(size_t(index) - 1, s.size());
  s.insert(at, source);
}

AnsiString StringOfChar(char c, int count) {
  return count > 0 ? AnsiString(size_t(count), c) : AnsiString();
}

AnsiString StringReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return AnsiString(s);
  AnsiString out;
  size_t pos = 0;
  for (size_t hit; (hit = s.find(from, pos)) != std::string_view::npos; pos = hit + from.size()) {
    out.append(s.substr(pos, hit - pos));
    out.append(to);
  }
  out.append(s.substr(pos));
  return out;
}

// --- blanks and case -----------------------------------------------------------------

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// The double-byte letters of GBK whose other case is a GBK character as well, as the
// system's upper and lower case under code page 936 fold them: runs of lower-case
// letters in one row (lead byte, first and last trail byte) and the trail byte of the
// upper-case form of the run's first letter in the same row. Every other double-byte
// character (Chinese, the pinyin letters without an upper case in GBK) stays as it is.
struct GbkCaseRun {
  unsigned char Lead, LowerFirst, LowerLast, UpperFirst;
};
constexpr GbkCaseRun kGbkCaseRuns[] = {
    {0xA2, 0xA1, 0xAA, 0xF1},  // small Roman numerals i..x / I..X
    {0xA3, 0xE1, 0xFA, 0xC1},  // full-width Latin a..z / A..Z
    {0xA6, 0xC1, 0xD8, 0xA1},  // Greek alpha..omega / Alpha..Omega
    {0xA7, 0xD1, 0xF1, 0xA1},  // Cyrillic a..ya / A..Ya (io included)
};

enum class LetterCase { kUpper, kLower };

// The trail byte of the double-byte character (lead, trail) in the case asked for.
unsigned char GbkTrailInCase(unsigned char lead, unsigned char trail, LetterCase to) {
  for (const GbkCaseRun& r : kGbkCaseRuns) {
    if (r.Lead != lead) continue;
    const unsigned char upperLast = static_cast<unsigned char>(r.UpperFirst + (r.LowerLast - r.LowerFirst));
    if (to == LetterCase::kUpper && trail >= r.LowerFirst && trail <= r.LowerLast)
      return static_cast<unsigned char>(trail - r.LowerFirst + r.UpperFirst);
    if (to == LetterCase::kLower && trail >= r.UpperFirst && trail <= upperLast)
      return static_cast<unsigned char>(trail - r.UpperFirst + r.LowerFirst);
  }
  return trail;
}

// Folds every character as a whole: an ASCII letter, or a double-byte letter of the
// table above (only its trail byte changes). A trail byte is never folded as if it were
// a character of its own, and a lead byte never changes.
AnsiString FoldCase(std::string_view s, LetterCase to) {
  AnsiString out(s);
  for (size_t i = 0; i < out.size();) {
    const int n = CharLength(out, i);
    if (n == 1) {
      out[i] = to == LetterCase::kUpper ? AsciiUpper(out[i]) : AsciiLower(out[i]);
    } else {
      out[i + 1] = static_cast<char>(GbkTrailInCase(static_cast<unsigned char>(out[i]),
                                                    static_cast<unsigned char>(out[i + 1]), to));
    }
    i += size_t(n);
  }
  return out;
}

// Compares with ASCII letters folded to upper case, a character at a time, so that a
// trail byte is compared as it is.
int CompareFolded(std::string_view a, std::string_view b, bool doubleByteAware) {
  size_t i = 0;
  const size_t n = std::min(a.size(), b.size());
  while (i < n) {
    if (doubleByteAware && IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      // A double-byte character: the lead bytes as they are, then the trail bytes of the
      // upper-case forms (equal leads mean both texts hold a double-byte character here).
      const unsigned char lead = static_cast<unsigned char>(a[i]);
      int d = int(lead) - int(static_cast<unsigned char>(b[i]));
      if (d != 0) return d;
      if (i + 1 == n) return int(a.size() > b.size()) - int(a.size() < b.size());
      d = int(GbkTrailInCase(lead, static_cast<unsigned char>(a[i + 1]), LetterCase::kUpper)) -
          int(GbkTrailInCase(lead, static_cast<unsigned char>(b[i + 1]), LetterCase::kUpper));
      if (d != 0) return d;
      i += 2;
      continue;
    }
    const int d = int(static_cast<unsigned char>(AsciiUpper(a[i]))) -
                  int(static_cast<unsigned char>(AsciiUpper(b[i])));
    if (d != 0) return d;
    ++i;
  }
  return int(a.size() > b.size()) - int(a.size() < b.size());
}
}  // namespace

AnsiString Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

AnsiString TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return AnsiString(s.substr(i));
}

AnsiString TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return AnsiString(s.substr(0, n));
}

AnsiString UpperCase(std::string_view s) {
  AnsiString out(s);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

AnsiString LowerCase(std::string_view s) {
  AnsiString out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

AnsiString AnsiUpperCase(std::string_view s) { return FoldCase(s, LetterCase::kUpper); }
AnsiString AnsiLowerCase(std::string_view s) { return FoldCase(s, LetterCase::kLower); }

unsigned char AnsiUpperTrail(unsigned char lead, unsigned char trail) {
  return GbkTrailInCase(lead, trail, LetterCase::kUpper);
}

namespace {
// The UTF-16 units of the double-byte letters with a case pair, each with its upper-case
// unit, sorted by the first: made once from the GBK table through the code-page
// conversion, so both folds name the same letters.
struct WideCasePairs {
  std::vector<std::pair<char16_t, char16_t>> Pairs;
  WideCasePairs() {
    for (const GbkCaseRun& r : kGbkCaseRuns)
      for (int t = r.LowerFirst; t <= r.LowerLast; ++t) {
        const char lower[2] = {static_cast<char>(r.Lead), static_cast<char>(t)};
        const char upper[2] = {static_cast<char>(r.Lead),
                               static_cast<char>(GbkTrailInCase(r.Lead, static_cast<unsigned char>(t), LetterCase::kUpper))};
        const WideString wl = GbkToWide(std::string_view(lower, 2)), wu = GbkToWide(std::string_view(upper, 2));
        if (wl.size() == 1 && wu.size() == 1 && wl != wu) Pairs.emplace_back(wl[0], wu[0]);
      }
    std::sort(Pairs.begin(), Pairs.end());
  }
};
}  // namespace

WideString AnsiUpperCaseWide(std::u16string_view s) {
  static const WideCasePairs table;
  WideString out(s);
  for (char16_t& c : out) {
    if (c < 0x80) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
      continue;
    }
    const auto& p = table.Pairs;
    const auto it = std::lower_bound(p.begin(), p.end(), std::make_pair(c, char16_t(0)));
    if (it != p.end() && it->first == c) c = it->second;
  }
  return out;
}

bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

int CompareText(std::string_view a, std::string_view b) { return CompareFolded(a, b, false); }

int CompareStr(std::string_view a, std::string_view b) {
  const int c = a.compare(b);  // char_traits<char>::compare compares as unsigned char
  return (c > 0) - (c < 0);
}

int AnsiCompareText(std::string_view a, std::string_view b) { return CompareFolded(a, b, true); }

int AnsiCompareStr(std::string_view a, std::string_view b) {
  const int folded = CompareFolded(a, b, true);
  if (folded != 0) return folded;
  // Same letters in another case: byte order decides ("ABC" < "abc"), so that only
  // equal texts compare equal.
  return CompareStr(a, b);
}

// --- integers ------------------------------------------------------------------------

AnsiString IntToStr(int64_t v) { return std::to_string(v); }

AnsiString IntToHex(int64_t v, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  uint64_t u = static_cast<uint64_t>(v);
  AnsiString out;
  do {
    out.push_back(kHex[u & 0xF]);
    u >>= 4;
  } while (u != 0);
  while (int(out.size()) < digits) out.push_back('0');
  std::reverse(out.begin(), out.end());
  return out;
}

namespace {
// Digits with an optional leading sign; nothing else, no overflow.
bool ParseInt64(std::string_view s, int64_t& out) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  uint64_t magnitude = 0;
  const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    const unsigned d = unsigned(s[i] - '0');
    if (magnitude > (limit - d) / 10) return false;
    magnitude = magnitude * 10 + d;
  }
  out = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
  return true;
}

AnsiString Quoted(std::string_view s) { return "'" + AnsiString(s) + "'"; }
}  // namespace

bool TryStrToInt64(std::string_view s, int64_t& out) { return ParseInt64(s, out); }

bool TryStrToInt(std::string_view s, int32_t& out) {
  int64_t v;
  if (!ParseInt64(s, v) || v < INT32_MIN || v > INT32_MAX) return false;
  out = int32_t(v);
  return true;
}

int32_t StrToInt(std::string_view s) {
  int32_t v;
  if (!TryStrToInt(s, v)) throw EConvertError(Quoted(s) + " is not a valid integer value");
  return v;
}

int64_t StrToInt64(std::string_view s) {
  int64_t v;
  if (!TryStrToInt64(s, v)) throw EConvertError(Quoted(s) + " is not a valid integer value");
  return v;
}

int32_t StrToIntDef(std::string_view s, int32_t def) {
  int32_t v;
  return TryStrToInt(s, v) ? v : def;
}

// --- Format --------------------------------------------------------------------------

namespace {
class Formatter {
 public:
  Formatter(std::string_view fmt, std::initializer_list<FormatArg> args)
      : FFmt(fmt), FArgs(args.begin(), args.end()) {}

  AnsiString Run() {
    AnsiString out;
    size_t i = 0;
    while (i < FFmt.size()) {
      const size_t pct = FFmt.find('%', i);
      if (pct == std::string_view::npos) {
        out.append(FFmt.substr(i));
        break;
      }
      out.append(FFmt.substr(i, pct - i));
      i = pct + 1;
      if (i < FFmt.size() && FFmt[i] == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
      out.append(Directive(i));
    }
    return out;
  }

 private:
  [[noreturn]] void Invalid() const {
    throw EConvertError("Format '" + AnsiString(FFmt) + "' invalid or incompatible with argument");
  }

  const FormatArg& Next() {
    if (FNext >= FArgs.size())
      throw EConvertError("No argument for format '" + AnsiString(FFmt) + "'");
    return FArgs[FNext++];
  }

  // A number of the directive, or '*' taking the next integer argument; -1 when absent.
  int Number(size_t& i) {
    if (i < FFmt.size() && FFmt[i] == '*') {
      ++i;
      const FormatArg& a = Next();
      if (a.kind != FormatArg::kInt) Invalid();
      return int(std::clamp<int64_t>(a.i, -1, 1 << 20));
    }
    if (i >= FFmt.size() || FFmt[i] < '0' || FFmt[i] > '9') return -1;
    int v = 0;
    for (; i < FFmt.size() && FFmt[i] >= '0' && FFmt[i] <= '9'; ++i) {
      v = v * 10 + (FFmt[i] - '0');
      if (v > (1 << 20)) Invalid();
    }
    return v;
  }

  // Parses "[index:][-][width][.prec]type" from position i (just after '%').
  AnsiString Directive(size_t& i) {
    bool left = false;
    int width = Number(i);
    if (i < FFmt.size() && FFmt[i] == ':') {  // the number was an argument index
      ++i;
      if (width < 0) width = 0;
      FNext = size_t(width);
      width = -1;
    }
    if (i < FFmt.size() && FFmt[i] == '-') {
      left = true;
      ++i;
    }
    if (width < 0) width = Number(i);
    int prec = -1;
    if (i < FFmt.size() && FFmt[i] == '.') {
      ++i;
      prec = Number(i);
      if (prec < 0) prec = 0;
    }
    if (i >= FFmt.size()) Invalid();
    const char type = AsciiUpper(FFmt[i++]);
    AnsiString text = Convert(type, prec);
    if (width > 0 && int(text.size()) < width) {
      const AnsiString pad(size_t(width) - text.size(), ' ');
      text = left ? text + pad : pad + text;
    }
    return text;
  }

  AnsiString Convert(char type, int prec) {
    const FormatArg& a = Next();
    const TFormatSettings& fs = FormatSettings;
    switch (type) {
      case 'D':
      case 'U': {
        if (a.kind != FormatArg::kInt) Invalid();
        AnsiString digits;
        bool negative = false;
        if (type == 'U' && a.i < 0) {
          // An unsigned view of the argument: 32 bits when it fits there.
          const uint64_t u = a.i >= INT32_MIN ? uint64_t(uint32_t(a.i)) : uint64_t(a.i);
          digits = std::to_string(u);
        } else {
          negative = a.i < 0;
          digits = std::to_string(a.i);
          if (negative) digits.erase(0, 1);
        }
        if (prec > int(digits.size())) digits.insert(0, size_t(prec) - digits.size(), '0');
        return negative ? "-" + digits : digits;
      }
      case 'X': {
        if (a.kind != FormatArg::kInt) Invalid();
        const int64_t v = (a.i < 0 && a.i >= INT32_MIN) ? int64_t(uint32_t(a.i)) : a.i;
        return IntToHex(v, std::max(prec, 0));
      }
      case 'S': {
        if (a.kind != FormatArg::kStr) Invalid();
        return prec >= 0 && size_t(prec) < a.s.size() ? a.s.substr(0, size_t(prec)) : a.s;
      }
      case 'E':
      case 'F':
      case 'G':
      case 'N':
      case 'M': {
        if (a.kind == FormatArg::kStr) Invalid();
        const double v = a.kind == FormatArg::kFloat ? a.f : double(a.i);
        switch (type) {
          case 'E': return FloatToStrF(v, ffExponent, prec < 0 ? 15 : std::clamp(prec, 1, 18), 3, fs);
          case 'F': return FloatToStrF(v, ffFixed, 15, prec < 0 ? 2 : std::min(prec, 18), fs);
          case 'G': return FloatToStrF(v, ffGeneral, prec < 0 ? 15 : std::clamp(prec, 1, 18), 0, fs);
          case 'N': return FloatToStrF(v, ffNumber, 15, prec < 0 ? 2 : std::min(prec, 18), fs);
          default:
            return FloatToStrF(v, ffCurrency, 15, prec < 0 ? fs.CurrencyDecimals : std::min(prec, 18), fs);
        }
      }
      default:
        Invalid();
    }
  }

  std::string_view FFmt;
  std::vector<FormatArg> FArgs;
  size_t FNext = 0;
};
}  // namespace

AnsiString Format(std::string_view fmt, std::initializer_list<FormatArg> args) {
  return Formatter(fmt, args).Run();
}

// --- code pages ----------------------------------------------------------------------

bool IsLeadByte(unsigned char b, unsigned codePage) {
  if (codePage != 936 && codePage != 950) return false;
  return b >= 0x81 && b <= 0xFE;
}

int CharLength(std::string_view s, size_t i, unsigned codePage) {
  if (i < s.size() && IsLeadByte(static_cast<unsigned char>(s[i]), codePage) && i + 1 < s.size())
    return 2;
  return 1;
}

bool IsTrailByteAt(std::string_view s, size_t i, unsigned codePage) {
  size_t p = 0;
  while (p < i) p += size_t(CharLength(s, p, codePage));
  return p > i;
}

// --- GBK <-> UTF-16 ------------------------------------------------------------------

namespace {
constexpr char16_t kReplacement = 0xFFFD;

// Bytes of the GBK character that starts at s[i] by the code page's structure (a lead
// byte with a valid trail byte is two), whatever the tables say about it.
size_t GbkUnitLength(std::string_view s, size_t i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  if (lead >= 0x81 && lead <= 0xFE && i + 1 < s.size()) {
    const auto trail = static_cast<unsigned char>(s[i + 1]);
    if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) return 2;
  }
  return 1;
}
}  // namespace

#ifdef _WIN32

namespace {
constexpr UINT kGbk = 936;

bool TryGbkToWide(std::string_view s, WideString& out) {
  if (s.empty()) return true;
  const int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, s.data(), int(s.size()), nullptr, 0);
  if (n <= 0) return false;
  WideString w(size_t(n), u'\0');
  MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, s.data(), int(s.size()),
                      reinterpret_cast<wchar_t*>(w.data()), n);
  out += w;
  return true;
}
}  // namespace

WideString GbkToWide(std::string_view s) {
  WideString out;
  if (TryGbkToWide(s, out)) return out;
  // Some bytes do not convert: one character at a time, U+FFFD for each bad one.
  out.clear();
  for (size_t i = 0; i < s.size();) {
    const size_t n = GbkUnitLength(s, i);
    if (!TryGbkToWide(s.substr(i, n), out)) out.push_back(kReplacement);
    i += n;
  }
  return out;
}

AnsiString WideToGbk(std::u16string_view w) {
  if (w.empty()) return AnsiString();
  // Code page 936 holds no character outside the basic plane: a surrogate pair (or a
  // broken half of one) becomes a single '?' here, as natively, instead of the API's two.
  std::wstring bmp;
  bmp.reserve(w.size());
  for (size_t i = 0; i < w.size(); ++i) {
    const char16_t c = w[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) ++i;
      bmp.push_back(L'?');
    } else {
      bmp.push_back(wchar_t(c));
    }
  }
  const int n = WideCharToMultiByte(kGbk, 0, bmp.data(), int(bmp.size()), nullptr, 0, "?", nullptr);
  if (n <= 0) return AnsiString();
  AnsiString out(size_t(n), '\0');
  WideCharToMultiByte(kGbk, 0, bmp.data(), int(bmp.size()), out.data(), n, "?", nullptr);
  return out;
}

#else

namespace {
// One iconv conversion descriptor, closed when the owner goes.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : FCd(iconv_open(to, from)) {
    if (FCd == reinterpret_cast<iconv_t>(-1))
      throw EConvertError(AnsiString("No conversion from ") + from + " to " + to);
  }
  ~IconvHandle() { iconv_close(FCd); }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  // Converts as much of [in, in + inLeft) as it can into out; returns the errno of the
  // stop (0 when everything converted). Resets the shift state first.
  int Convert(const char*& in, size_t& inLeft, std::string& out) {
    iconv(FCd, nullptr, nullptr, nullptr, nullptr);
    char buf[1024];
    while (inLeft > 0) {
      char* dst = buf;
      size_t dstLeft = sizeof buf;
      const size_t r = iconv(FCd, const_cast<char**>(&in), &inLeft, &dst, &dstLeft);
      out.append(buf, size_t(dst - buf));
      if (r == size_t(-1) && errno != E2BIG) return errno;
    }
    return 0;
  }

 private:
  iconv_t FCd;
};

IconvHandle& GbkDecoder() {
  static thread_local IconvHandle h("UTF-16LE", "GBK");
  return h;
}
IconvHandle& GbkEncoder() {
  static thread_local IconvHandle h("GBK", "UTF-16LE");
  return h;
}

WideString BytesToWide(const std::string& bytes) {
  WideString w(bytes.size() / 2, u'\0');
  for (size_t k = 0; k < w.size(); ++k)
    w[k] = char16_t(static_cast<unsigned char>(bytes[2 * k]) |
                    (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
  return w;
}
}  // namespace

WideString GbkToWide(std::string_view s) {
  std::string bytes;
  const char* in = s.data();
  size_t left = s.size();
  while (left > 0) {
    if (GbkDecoder().Convert(in, left, bytes) == 0) break;
    // A byte sequence that is no GBK character: one replacement for the character.
    const size_t at = s.size() - left;
    const size_t n = GbkUnitLength(s, at);
    bytes.push_back(char(kReplacement & 0xFF));
    bytes.push_back(char(kReplacement >> 8));
    in += n;
    left -= n;
  }
  return BytesToWide(bytes);
}

AnsiString WideToGbk(std::u16string_view w) {
  std::string le;
  le.reserve(w.size() * 2);
  for (char16_t c : w) {
    le.push_back(char(c & 0xFF));
    le.push_back(char(c >> 8));
  }
  AnsiString out;
  const char* in = le.data();
  size_t left = le.size();
  while (left > 0) {
    if (GbkEncoder().Convert(in, left, out) == 0) break;
    // A character GBK cannot hold (or a broken surrogate pair): '?' for it.
    const size_t unit = (le.size() - left) / 2;
    const bool pair = unit + 1 < w.size() && w[unit] >= 0xD800 && w[unit] <= 0xDBFF &&
                      w[unit + 1] >= 0xDC00 && w[unit + 1] <= 0xDFFF;
    const size_t n = left >= 4 && pair ? 4 : std::min<size_t>(2, left);
    out.push_back('?');
    in += n;
    left -= n;
  }
  return out;
}

#endif

// --- UTF-8 ---------------------------------------------------------------------------

std::string WideToUtf8(std::u16string_view w) {
  std::string out;
  out.reserve(w.size() * 3);
  for (size_t i = 0; i < w.size(); ++i) {
    uint32_t c = w[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (w[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;  // a lone surrogate
    }
    if (c < 0x80) {
      out.push_back(char(c));
    } else if (c < 0x800) {
      out.push_back(char(0xC0 | (c >> 6)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(char(0xE0 | (c >> 12)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (c >> 18)));
      out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

WideString Utf8ToWide(std::string_view s) {
  WideString out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra;
    uint32_t c;
    if (b < 0x80) { c = b; extra = 0; }
    else if (b >= 0xC2 && b <= 0xDF) { c = b & 0x1F; extra = 1; }
    else if (b >= 0xE0 && b <= 0xEF) { c = b & 0x0F; extra = 2; }
    else if (b >= 0xF0 && b <= 0xF4) { c = b & 0x07; extra = 3; }
    else { out.push_back(kReplacement); ++i; continue; }
    size_t k = 1;
    for (; k <= size_t(extra) && i + k < s.size(); ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) break;
      c = (c << 6) | (t & 0x3F);
    }
    const bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
    if (k != size_t(extra) + 1 || overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out.push_back(kReplacement);
      i += k;  // skip the bytes that looked like this character
      continue;
    }
    i += k;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(char16_t(0xD800 + (c >> 10)));
      out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(char16_t(c));
    }
  }
  return out;
}

std::string GbkToUtf8(std::string_view s) { return WideToUtf8(GbkToWide(s)); }
AnsiString Utf8ToGbk(std::string_view s) { return WideToGbk(Utf8ToWide(s)); }
