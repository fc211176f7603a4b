// Byte strings in the GBK code page (936) and the string routines of the library.
//
// AnsiString is std::string holding GBK bytes: lengths, positions and limits are
// byte counts, as the screens' rules expect. Positions are 1-based where the
// routine's name says so (Copy, Pos, Delete, Insert); 0 means "not found".
// WideString is UTF-16 (context values, SQL text sent to the server).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

using AnsiString = std::string;
using WideString = std::u16string;

// --- 1-based substring routines -------------------------------------------------
// Copy(S, Index, Count): bytes Index..Index+Count-1; an Index below 1 counts as 1, one
// past the end or a Count below 1 gives "".
AnsiString Copy(std::string_view s, int index, int count);
// Pos(Sub, S): 1-based byte position of the first Sub in S; 0 when absent or Sub is "".
int Pos(std::string_view sub, std::string_view s);
// Delete(S, Index, Count) and Insert(Source, S, Index) as the platform's, in place.
void Delete(AnsiString& s, int index, int count);
void Insert(std::string_view source, AnsiString& s, int index);
AnsiString StringOfChar(char c, int count);
AnsiString StringReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// --- blanks and case -------------------------------------------------------------
// Trim removes bytes <= ' ' at both ends (control characters too), TrimLeft/Right one end.
AnsiString Trim(std::string_view s);
AnsiString TrimLeft(std::string_view s);
AnsiString TrimRight(std::string_view s);
// ASCII only: bytes 'a'..'z' / 'A'..'Z'; every other byte unchanged (GBK bytes included,
// so a trail byte in 0x61..0x7A *is* changed: use AnsiUpperCase for text with Chinese).
AnsiString UpperCase(std::string_view s);
AnsiString LowerCase(std::string_view s);
// Double-byte aware, as the system's case mapping under code page 936: ASCII letters
// change, and so do the double-byte letters whose other case GBK holds as well (full-
// width Latin ａ/Ａ, Greek α/Α, Cyrillic а/А, small and capital Roman numerals ⅰ/Ⅰ to
// ⅹ/Ⅹ), each as a whole character. A trail byte is never taken for a letter of its own
// and a lead byte never changes, so Chinese text stays as it is.
AnsiString AnsiUpperCase(std::string_view s);
AnsiString AnsiLowerCase(std::string_view s);
// The trail byte of the double-byte character (lead, trail) in upper case, as
// AnsiUpperCase folds it: the trail itself for every character without a case pair.
unsigned char AnsiUpperTrail(unsigned char lead, unsigned char trail);
// A UTF-16 text upper-cased as AnsiUpperCase folds the same text in GBK: ASCII letters
// and the double-byte letters of GBK with a case pair change, every other unit stays as
// it is (so characters outside GBK survive).
WideString AnsiUpperCaseWide(std::u16string_view s);
bool SameText(std::string_view a, std::string_view b);        // ASCII case-insensitive
int CompareText(std::string_view a, std::string_view b);      // ASCII case-insensitive, <0/0/>0
int CompareStr(std::string_view a, std::string_view b);       // byte order, <0/0/>0
// Locale order of the Chinese platform: GBK byte order with letters folded to upper case
// as AnsiUpperCase folds them (double-byte letters too); AnsiCompareStr then orders texts
// that differ only in case by their bytes.
int AnsiCompareText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);

// --- integers ----------------------------------------------------------------------
AnsiString IntToStr(int64_t v);
AnsiString IntToHex(int64_t v, int digits);
// Digits with an optional leading '+' or '-' only, after Trim of nothing: "12" and "-3"
// are numbers; "$FF", "1 2", " 5", "" and overflowing texts are not.
bool TryStrToInt(std::string_view s, int32_t& out);
bool TryStrToInt64(std::string_view s, int64_t& out);
int32_t StrToInt(std::string_view s);                 // EConvertError "'%s' is not a valid integer value"
int64_t StrToInt64(std::string_view s);
int32_t StrToIntDef(std::string_view s, int32_t def);

// --- Format ------------------------------------------------------------------------
// The platform's Format for the directives the library uses: %s %d %u %x %f %g %e %n
// %m %%, with index, width, precision and '-' ("%-10s", "%.2f", "%5d", "%0:s").
// Floats use '.' whatever the machine's locale and show at most 15 significant digits
// (%f %n %m round half away from zero there, as FormatFloat does). Arguments are
// FormatArg values; an integer may stand where a float is asked, never the reverse
// (EConvertError "Format '<fmt>' invalid or incompatible with argument").
struct FormatArg {
  enum Kind { kInt, kFloat, kStr } kind;
  int64_t i = 0;
  double f = 0;
  AnsiString s;
  FormatArg(int v) : kind(kInt), i(v) {}
  FormatArg(unsigned v) : kind(kInt), i(v) {}
  FormatArg(long v) : kind(kInt), i(v) {}
  FormatArg(long long v) : kind(kInt), i(v) {}
  FormatArg(unsigned long v) : kind(kInt), i(static_cast<int64_t>(v)) {}
  FormatArg(unsigned long long v) : kind(kInt), i(static_cast<int64_t>(v)) {}
  FormatArg(double v) : kind(kFloat), f(v) {}
  FormatArg(const char* v) : kind(kStr), s(v ? v : "") {}
  FormatArg(std::string_view v) : kind(kStr), s(v) {}
  FormatArg(const AnsiString& v) : kind(kStr), s(v) {}
};
AnsiString Format(std::string_view fmt, std::initializer_list<FormatArg> args);

// --- code pages --------------------------------------------------------------------
// Lead-byte tests of the double-byte code pages 936 (GBK: 0x81..0xFE) and 950 (Big5:
// 0x81..0xFE as well); any other code page has no lead bytes.
bool IsLeadByte(unsigned char b, unsigned codePage = 936);
// Number of bytes of the character starting at s[i]: 2 for a lead byte followed by a
// byte, else 1 (a lead byte at the very end counts as one byte).
int CharLength(std::string_view s, size_t i, unsigned codePage = 936);
// Byte index i is the trail byte of a double-byte character (scans from the start).
bool IsTrailByteAt(std::string_view s, size_t i, unsigned codePage = 936);

// GBK <-> UTF-16 (Win32: the code-page API; natively: iconv). Bytes that do not form a
// GBK character become U+FFFD / '?' rather than failing.
WideString GbkToWide(std::string_view s);
AnsiString WideToGbk(std::u16string_view w);
// UTF-8 edges: SQLite, the terminal, file names of the native tools, test sources.
std::string GbkToUtf8(std::string_view s);
AnsiString Utf8ToGbk(std::string_view s);
std::string WideToUtf8(std::u16string_view w);
WideString Utf8ToWide(std::string_view s);
