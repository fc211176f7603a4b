// Text conversions at the edges of the store; see StoreText.h.
#include "server/StoreText.h"

#include <cstdio>
#include "rtl/Variant.h"

namespace store {
namespace {
bool IsAscii(std::string_view s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Reads exactly `digits` decimal digits at s[pos]; advances pos.
bool ReadNumber(std::string_view s, size_t& pos, int digits, int& out) {
  if (pos + static_cast<size_t>(digits) > s.size()) return false;
  out = 0;
  for (int i = 0; i < digits; ++i) {
    const char c = s[pos + static_cast<size_t>(i)];
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  pos += static_cast<size_t>(digits);
  return true;
}

bool Expect(std::string_view s, size_t& pos, char c) {
  if (pos >= s.size() || s[pos] != c) return false;
  ++pos;
  return true;
}

// "hh:nn[:ss[.zzz]]" from pos to the end.
bool ParseTime(std::string_view s, size_t pos, int& h, int& n, int& sec, int& ms) {
  sec = ms = 0;
  if (!ReadNumber(s, pos, 2, h) || !Expect(s, pos, ':') || !ReadNumber(s, pos, 2, n)) return false;
  if (pos == s.size()) return true;
  if (!Expect(s, pos, ':') || !ReadNumber(s, pos, 2, sec)) return false;
  if (pos == s.size()) return true;
  if (!Expect(s, pos, '.') || !ReadNumber(s, pos, 3, ms)) return false;
  return pos == s.size();
}
}  // namespace

AnsiString Utf8ToClient(std::string_view utf8) {
  return IsAscii(utf8) ? AnsiString(utf8) : Utf8ToGbk(utf8);
}

std::string ClientToUtf8(std::string_view gbk) {
  return IsAscii(gbk) ? std::string(gbk) : GbkToUtf8(gbk);
}

std::string VariantToUtf8(const Variant& v) {
  switch (v.VType()) {
    case varEmpty:
    case varNull: return std::string();
    case varString: return ClientToUtf8(v.RawString());
    case varOleStr: return WideToUtf8(v.RawWide());
    default: return ClientToUtf8(VarToStr(v));
  }
}

std::string DateTimeText(TDateTime d) {
  int y, m, day, h, n, s, ms;
  DecodeDateTime(d, y, m, day, h, n, s, ms);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, day, h, n, s);
  return buf;
}

std::string DateText(TDateTime d) {
  int y, m, day;
  DecodeDate(d, y, m, day);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, day);
  return buf;
}

bool ParseDateTimeText(std::string_view s, TDateTime& out) {
  int y = 0, m = 0, d = 0, h = 0, n = 0, sec = 0, ms = 0;
  size_t pos = 0;
  if (s.size() >= 5 && s[2] == ':') {
    return ParseTime(s, 0, h, n, sec, ms) && TryEncodeTime(h, n, sec, ms, out);
  }
  if (!ReadNumber(s, pos, 4, y) || !Expect(s, pos, '-') || !ReadNumber(s, pos, 2, m) ||
      !Expect(s, pos, '-') || !ReadNumber(s, pos, 2, d)) {
    return false;
  }
  if (pos < s.size()) {
    if (s[pos] != ' ' && s[pos] != 'T') return false;
    if (!ParseTime(s, pos + 1, h, n, sec, ms)) return false;
  }
  return TryEncodeDateTime(y, m, d, h, n, sec, ms, out);
}

}  // namespace store
