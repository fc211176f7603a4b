// String routines: substrings, case, integers, Format and the GBK conversions.
#include "rtl/AnsiString.h"
#include "rtl/AnsiStringCase.h"

#include <gtest/gtest.h>

#include <map>

#include "rtl/Exceptions.h"

// --- 1-based substrings ------------------------------------------------------------------

TEST(AnsiStringCopy, EdgeCases) {
  struct Case { const char* s; int index, count; const char* want; };
  const Case cases[] = {
      {"abcdef", 1, 3, "abc"},  {"abcdef", 4, 10, "def"}, {"abcdef", 0, 2, "ab"},
      {"abcdef", -5, 2, "ab"},  {"abcdef", 6, 1, "f"},    {"abcdef", 7, 1, ""},
      {"abcdef", 2, 0, ""},     {"abcdef", 2, -1, ""},    {"", 1, 1, ""},
      {"abc", 1, 2147483647, "abc"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Copy(c.s, c.index, c.count), c.want) << c.s << " " << c.index << " " << c.count;
}

TEST(AnsiStringPos, FindsFirstOneBasedAndZeroWhenAbsent) {
  EXPECT_EQ(Pos("b", "abcb"), 2);
  EXPECT_EQ(Pos("abcb", "abcb"), 1);
  EXPECT_EQ(Pos("x", "abc"), 0);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Pos("abcd", "abc"), 0);
  EXPECT_EQ(Pos("\xB5\xA5", "\xB1\xED\xB5\xA5"), 3);  // a double-byte character counts 2
}

TEST(AnsiStringDeleteInsert, ClipLikeThePlatform) {
  struct Del { int index, count; const char* want; };
  for (const Del& d : {Del{2, 2, "adef"}, Del{5, 10, "abcd"}, Del{0, 2, "abcdef"},
                       Del{7, 1, "abcdef"}, Del{1, 0, "abcdef"}, Del{1, 6, ""}}) {
    AnsiString s = "abcdef";
    Delete(s, d.index, d.count);
    EXPECT_EQ(s, d.want) << d.index << "," << d.count;
  }
  struct Ins { int index; const char* want; };
  for (const Ins& i : {Ins{1, "XYabc"}, Ins{0, "XYabc"}, Ins{2, "aXYbc"}, Ins{4, "abcXY"},
                       Ins{99, "abcXY"}}) {
    AnsiString s = "abc";
    Insert("XY", s, i.index);
    EXPECT_EQ(s, i.want) << i.index;
  }
}

TEST(AnsiStringReplace, ReplacesEveryOccurrenceWithoutRescanning) {
  EXPECT_EQ(StringReplaceAll("a'b''c", "'", "''"), "a''b''''c");
  EXPECT_EQ(StringReplaceAll("aaa", "aa", "a"), "aa");
  EXPECT_EQ(StringReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(StringOfChar('-', 3), "---");
  EXPECT_EQ(StringOfChar('-', -1), "");
}

TEST(AnsiStringTrim, RemovesControlCharactersAndBlanksOnly) {
  EXPECT_EQ(Trim(" \t\r\n ab c\x01 "), "ab c");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("\xA1\xA1x\xA1\xA1"), "\xA1\xA1x\xA1\xA1");  // the ideographic space stays
}

// --- case --------------------------------------------------------------------------------

// "乤" is 81 61 and "黨" FC 68 in GBK: their trail bytes are the letters 'a' and 'h'.
TEST(AnsiStringCase, AnsiUpperCaseNeverTouchesATrailByte) {
  const AnsiString text = "ab\x81\x61" "c\xFC\x68z";
  EXPECT_EQ(AnsiUpperCase(text), "AB\x81\x61" "C\xFC\x68Z");
  EXPECT_EQ(AnsiLowerCase("AB\x81\x61Q"), "ab\x81\x61q");
  // The ASCII routine does change them, which is why it must not be used on Chinese.
  EXPECT_EQ(UpperCase(text), "AB\x81\x41" "C\xFC\x48Z");
  // A lead byte at the very end has no trail byte to protect.
  EXPECT_EQ(AnsiUpperCase("a\x81"), "A\x81");
}

namespace {
// The upper case of the letters that matter here, read from the Unicode tables on their
// own (not from GBK rows): full-width Latin, Greek without the final sigma, Cyrillic,
// Roman numerals, and the accented Latin letters of the pinyin row, whose upper case
// GBK does not hold.
char16_t UnicodeUpper(char16_t c) {
  if ((c >= 0xFF41 && c <= 0xFF5A) || (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2) ||
      (c >= 0x0430 && c <= 0x044F) || (c >= 0x00E0 && c <= 0x00FE && c != 0x00F7))
    return char16_t(c - 0x20);
  if (c >= 0x0450 && c <= 0x045F) return char16_t(c - 0x50);
  if (c >= 0x2170 && c <= 0x217F) return char16_t(c - 0x10);
  static const std::pair<char16_t, char16_t> kPinyin[] = {
      {0x101, 0x100}, {0x113, 0x112}, {0x11B, 0x11A}, {0x12B, 0x12A}, {0x144, 0x143},
      {0x148, 0x147}, {0x14D, 0x14C}, {0x16B, 0x16A}, {0x1CE, 0x1CD}, {0x1D0, 0x1CF},
      {0x1D2, 0x1D1}, {0x1D4, 0x1D3}, {0x1D6, 0x1D5}, {0x1D8, 0x1D7}, {0x1DA, 0x1D9},
      {0x1DC, 0x1DB}, {0x1F9, 0x1F8}, {0x251, 0x2C6D}, {0x261, 0xA7AC}};
  for (const auto& [lower, upper] : kPinyin)
    if (c == lower) return upper;
  return c;
}
}  // namespace

// Every double-byte character of GBK folds as a whole when its other case is a
// double-byte GBK character too, and stays as it is otherwise (Chinese, symbols, the
// pinyin letters). Checked through the code-page conversion against the Unicode pairs.
TEST(AnsiStringCase, DoubleByteLettersFoldWhenGbkHoldsBothCases) {
  std::map<char16_t, char16_t> lowerOf;
  for (unsigned c = 0; c <= 0xFFFF; ++c)
    if (UnicodeUpper(char16_t(c)) != c) lowerOf[UnicodeUpper(char16_t(c))] = char16_t(c);
  int folded = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      const AnsiString ch{char(lead), char(trail)};
      const WideString w = GbkToWide(ch);
      if (w.size() != 1 || w[0] == 0xFFFD) continue;
      const AnsiString upper = WideToGbk(WideString(1, UnicodeUpper(w[0])));
      const auto lower = lowerOf.find(w[0]);
      const AnsiString lowerText = lower == lowerOf.end() ? ch : WideToGbk(WideString(1, lower->second));
      const AnsiString wantUpper = upper.size() == 2 && upper != "??" ? upper : ch;
      const AnsiString wantLower = lowerText.size() == 2 && lowerText != "??" ? lowerText : ch;
      EXPECT_EQ(AnsiUpperCase("a" + ch + "b"), "A" + wantUpper + "B") << std::hex << lead << " " << trail;
      EXPECT_EQ(AnsiLowerCase("A" + ch + "B"), "a" + wantLower + "b") << std::hex << lead << " " << trail;
      folded += wantUpper != ch;
    }
  }
  EXPECT_EQ(folded, 93);  // 10 Roman numerals, 26 full-width, 24 Greek, 33 Cyrillic letters
  // Case-insensitive comparison and search see them as the same letters.
  EXPECT_EQ(AnsiCompareText("\xA3\xE1\xA3\xE2x", "\xA3\xC1\xA3\xC2X"), 0);  // ａｂx / ＡＢX
  EXPECT_EQ(AnsiCompareText("\xA6\xC1", "\xA6\xA1"), 0);                        // α / Α
  EXPECT_LT(AnsiCompareText("\xA7\xD1", "\xA7\xA2"), 0);                        // а < Б
  EXPECT_NE(AnsiCompareText("\xA8\xA1", "A"), 0);                                 // ā is no A
  EXPECT_GT(AnsiCompareStr("\xA3\xE1", "\xA3\xC1"), 0);  // equal letters: the bytes decide
  EXPECT_LT(AnsiCompareStr("\xA3\xE1", "\xA3\xC2"), 0);  // ａ < Ｂ: letters first
}

// A wide text upper-cases exactly the letters its GBK form upper-cases; characters GBK
// does not hold stay as they are.
TEST(AnsiStringCase, WideTextsFoldAsTheirGbkForm) {
  int folded = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      const AnsiString ch{char(lead), char(trail)};
      const WideString w = GbkToWide(ch);
      if (w.size() != 1 || w[0] == 0xFFFD || WideToGbk(w) != ch) continue;
      const WideString upper = AnsiUpperCaseWide(u"a" + w + u"z");
      EXPECT_EQ(WideToGbk(upper), "A" + AnsiUpperCase(ch) + "Z") << std::hex << lead << " " << trail;
      folded += upper != u"A" + w + u"Z";
    }
  EXPECT_EQ(folded, 93);
  EXPECT_EQ(AnsiUpperCaseWide(u"\u00E9\U0001F600\u0101\u03C2"), u"\u00E9\U0001F600\u0101\u03C2");  // é 😀 ā ς
  EXPECT_EQ(AnsiUpperCaseWide(u"\uFF41\u03B1\u0451\u2170"), u"\uFF21\u0391\u0401\u2160");  // ａαёⅰ
}

TEST(AnsiStringCase, Comparisons) {
  EXPECT_TRUE(SameText("Abc", "aBC"));
  EXPECT_FALSE(SameText("abc", "abd"));
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_GT(CompareText("abc", "AB"), 0);
  EXPECT_LT(CompareText("Z", "_"), 0);  // letters fold to upper case: 'Z' < '_'
  EXPECT_GT(CompareStr("a", "B"), 0);
  EXPECT_EQ(CompareStr("a", "a"), 0);
  EXPECT_LT(CompareStr("a", "\xB1\xED"), 0);  // bytes compare unsigned
  EXPECT_EQ(AnsiCompareText("\x81\x61X", "\x81\x61x"), 0);
  EXPECT_NE(AnsiCompareText("\x81\x61", "\x81\x41"), 0);  // trail bytes never fold
  EXPECT_GT(AnsiCompareStr("abc", "ABC"), 0);  // case decides only between equal letters
  EXPECT_LT(AnsiCompareStr("a", "B"), 0);       // letters first: unlike byte order
  EXPECT_EQ(AnsiCompareStr("\xB1\xED", "\xB1\xED"), 0);
}

// --- integers ------------------------------------------------------------------------------

TEST(AnsiStringInt, StrToIntAcceptsOnlyDigitsWithAnOptionalSign) {
  struct Case { const char* s; bool ok; int32_t v; };
  const Case cases[] = {
      {"12", true, 12},          {"-3", true, -3},           {"+7", true, 7},
      {"0", true, 0},            {"007", true, 7},           {"2147483647", true, 2147483647},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},  {"-2147483649", false, 0},  {"99999999999999999999", false, 0},
      {"", false, 0},            {"-", false, 0},            {"+", false, 0},
      {"$FF", false, 0},         {"0x10", false, 0},         {" 5", false, 0},
      {"5 ", false, 0},          {"1 2", false, 0},          {"1.0", false, 0},
      {"1e3", false, 0},         {"--1", false, 0},          {"\xA3\xB1", false, 0},
  };
  for (const auto& c : cases) {
    int32_t v = -999;
    EXPECT_EQ(TryStrToInt(c.s, v), c.ok) << "'" << c.s << "'";
    if (c.ok) {
      EXPECT_EQ(v, c.v) << c.s;
    }
    EXPECT_EQ(StrToIntDef(c.s, -999), c.ok ? c.v : -999) << c.s;
  }
}

TEST(AnsiStringInt, Int64RangeAndErrorText) {
  int64_t v;
  EXPECT_TRUE(TryStrToInt64("9223372036854775807", v));
  EXPECT_EQ(v, INT64_MAX);
  EXPECT_TRUE(TryStrToInt64("-9223372036854775808", v));
  EXPECT_EQ(v, INT64_MIN);
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", v));
  EXPECT_EQ(StrToInt64("-42"), -42);
  try {
    StrToInt("12a");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
  }
  EXPECT_THROW(StrToInt64(""), EConvertError);
}

TEST(AnsiStringInt, IntToStrAndHex) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-12), "-12");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(255, 0), "FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
}

// --- Format --------------------------------------------------------------------------------

TEST(AnsiStringFormat, Directives) {
  EXPECT_EQ(Format("%s-%d", {"ab", 12}), "ab-12");
  EXPECT_EQ(Format("%5d|%-5d|%.3d", {42, 42, -7}), "   42|42   |-007");
  EXPECT_EQ(Format("%-10s|", {"abc"}), "abc       |");
  EXPECT_EQ(Format("%.2s", {"abcdef"}), "ab");
  EXPECT_EQ(Format("%x %.4x %u", {255, 255, -1}), "FF 00FF 4294967295");
  EXPECT_EQ(Format("%.2f %f %.0f", {2.675, 1.0, 2.5}), "2.68 1.00 3");
  EXPECT_EQ(Format("%g %g %g", {0.1 + 0.2, 1e20, 12.5}), "0.3 1E20 12.5");
  EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
  EXPECT_EQ(Format("%n %.0n", {1234567.891, 1234567.891}), "1,234,567.89 1,234,568");
  EXPECT_EQ(Format("%m", {-1234.5}), "\xA3\xA4-1,234.50");
  EXPECT_EQ(Format("100%% %s", {"ok"}), "100% ok");
  EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b", "c"}), "b a b");
  EXPECT_EQ(Format("%*d|%-*d|", {4, 1, 3, 2}), "   1|2  |");
  EXPECT_EQ(Format("%f", {3}), "3.00");  // an integer is accepted where a float is asked
  EXPECT_EQ(Format("%s;-%s", {",0.00", ",0.00"}), ",0.00;-,0.00");
}

TEST(AnsiStringFormat, MismatchesAreConvertErrors) {
  EXPECT_THROW(Format("%d", {1.5}), EConvertError);
  EXPECT_THROW(Format("%s", {3}), EConvertError);
  EXPECT_THROW(Format("%f", {"x"}), EConvertError);
  EXPECT_THROW(Format("%d %d", {1}), EConvertError);
  EXPECT_THROW(Format("%", {1}), EConvertError);
  EXPECT_THROW(Format("%q", {1}), EConvertError);
  EXPECT_THROW(Format("%5:d", {1}), EConvertError);
}

// --- code pages ----------------------------------------------------------------------------

TEST(AnsiStringCodePage, LeadBytesAndCharacterLengths) {
  EXPECT_TRUE(IsLeadByte(0x81));
  EXPECT_TRUE(IsLeadByte(0xFE));
  EXPECT_FALSE(IsLeadByte(0x80));
  EXPECT_FALSE(IsLeadByte(0xFF));
  EXPECT_TRUE(IsLeadByte(0xA1, 950));
  EXPECT_FALSE(IsLeadByte(0xA1, 1252));
  const std::string s = "a\xB1\xED" "b\x81";
  EXPECT_EQ(CharLength(s, 0), 1);
  EXPECT_EQ(CharLength(s, 1), 2);
  EXPECT_EQ(CharLength(s, 4), 1);  // a lead byte at the end
  EXPECT_TRUE(IsTrailByteAt(s, 2));
  EXPECT_FALSE(IsTrailByteAt(s, 1));
  EXPECT_FALSE(IsTrailByteAt(s, 3));
  // 81 61 81 61: the second 0x61 is a trail byte, the 0x81 before it a lead byte.
  EXPECT_TRUE(IsTrailByteAt("\x81\x61\x81\x61", 3));
}

TEST(AnsiStringCodePage, SourceLiteralsAreGbk) {
  EXPECT_EQ(std::string("×"), "\xA1\xC1");
  EXPECT_EQ(std::string("盘点单"), "\xC5\xCC\xB5\xE3\xB5\xA5");
}

TEST(AnsiStringCodePage, GbkSymbolsConvertBothWays) {
  struct Case { const char* gbk; char16_t wide; };
  for (const Case& c : {Case{"\xA1\xC1", u'\u00D7'}, Case{"\xA1\xEC", u'\u00A7'},
                        Case{"\xA1\xF8", u'\u25B2'}, Case{"\xB1\xED", u'\u8868'},
                        Case{"\x81\x61", u'\u4E64'}}) {
    EXPECT_EQ(GbkToWide(c.gbk), WideString(1, c.wide)) << c.gbk;
    EXPECT_EQ(WideToGbk(WideString(1, c.wide)), c.gbk) << int(c.wide);
  }
  EXPECT_EQ(GbkToWide("a\xA1\xC1z"), u"a\u00D7z");
  EXPECT_EQ(WideToGbk(u"x\u00A7\u25B2y"), "x\xA1\xEC\xA1\xF8y");
  EXPECT_EQ(GbkToWide(""), u"");
  EXPECT_EQ(WideToGbk(u""), "");
}

TEST(AnsiStringCodePage, BrokenTextIsReplacedNotLost) {
  // A lead byte without its trail byte, in the middle and at the end.
  EXPECT_EQ(GbkToWide("a\xB1 b"), u"a\uFFFD b");  // 0x20 is no trail byte
  EXPECT_EQ(GbkToWide("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(GbkToWide("ab\xB1"), u"ab\uFFFD");
  // Characters GBK cannot hold become '?', a surrogate pair a single '?'.
  EXPECT_EQ(WideToGbk(u"a\u0E01b"), "a?b");
  EXPECT_EQ(WideToGbk(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(WideToGbk(u"a\xD800" u"b"), "a?b");
}

TEST(AnsiStringCodePage, Utf8Edges) {
  EXPECT_EQ(GbkToUtf8("\xA1\xC1\xA1\xEC\xA1\xF8"), "\xC3\x97\xC2\xA7\xE2\x96\xB2");
  EXPECT_EQ(Utf8ToGbk("\xC3\x97\xC2\xA7\xE2\x96\xB2"), "\xA1\xC1\xA1\xEC\xA1\xF8");
  EXPECT_EQ(WideToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Utf8ToWide("a\xC3"), u"a\uFFFD");           // cut short
  EXPECT_EQ(Utf8ToWide("\xC0\x80z"), u"\uFFFD\uFFFDz");  // overlong forms are not characters
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), u"\uFFFD");      // an encoded surrogate
}
