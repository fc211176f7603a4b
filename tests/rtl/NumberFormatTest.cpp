// Float to text and back: FloatToStr, FloatToStrF, FormatFloat, StrToFloat.
#include "rtl/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "rtl/Exceptions.h"

TEST(FloatToStr, ShortestFifteenDigitForms) {
  struct Case { double v; const char* want; };
  const Case cases[] = {
      {12.5, "12.5"},
      {3, "3"},
      {0.1 + 0.2, "0.3"},
      {-0.1 - 0.2, "-0.3"},
      {0, "0"},
      {-0.0, "0"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},
      {1e20, "1E20"},
      {-1.5e20, "-1.5E20"},
      {0.00001, "0.00001"},
      {0.000012345, "0.000012345"},
      {0.000001, "1E-6"},
      {1.5e-7, "1.5E-7"},
      {1e-300, "1E-300"},
      {100, "100"},
      {1234567.125, "1234567.125"},
      {999999999999999.9, "1E15"},  // rounds up to sixteen integer digits
      {0.1, "0.1"},
      {2.675, "2.675"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.v), c.want) << c.want;
}

TEST(FloatToStr, NonFiniteValues) {
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(FloatToStr, UsesTheSettingsSeparatorNotTheMachines) {
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(12.5, fs), "12,5");
  EXPECT_EQ(FloatToStr(12.5), "12.5");
}

TEST(FloatToStrF, Formats) {
  struct Case { double v; TFloatFormat f; int precision, digits; const char* want; };
  const Case cases[] = {
      {1234.5, ffGeneral, 15, 0, "1234.5"},
      {1234.5, ffGeneral, 3, 0, "1.23E3"},
      {1e20, ffGeneral, 15, 2, "1E20"},
      {1e-7, ffGeneral, 15, 2, "1E-07"},
      {1234.5, ffExponent, 4, 2, "1.235E+03"},
      {-0.00012345, ffExponent, 3, 0, "-1.23E-4"},
      {0, ffExponent, 3, 2, "0.00E+00"},
      {1234.5678, ffFixed, 15, 2, "1234.57"},
      {-1234.5, ffFixed, 15, 0, "-1235"},
      {1.23456, ffFixed, 3, 4, "1.2300"},  // precision first, then the decimals
      {-0.004, ffFixed, 15, 2, "0.00"},     // never "-0.00"
      {1e20, ffFixed, 15, 2, "1E20"},       // too many integer digits
      {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
      {-123.0, ffNumber, 15, 1, "-123.0"},
      {1234.5, ffCurrency, 15, 2, "\xA3\xA4" "1,234.50"},
      {-1234.5, ffCurrency, 15, 2, "\xA3\xA4-1,234.50"},
      {-0.001, ffCurrency, 15, 2, "\xA3\xA4" "0.00"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FloatToStrF(c.v, c.f, c.precision, c.digits), c.want) << c.want;
}

TEST(FloatToStrF, CurrencyPlacementsFollowTheSettings) {
  TFormatSettings fs;
  fs.CurrencyString = "$";
  const char* positive[] = {"$1.50", "1.50$", "$ 1.50", "1.50 $"};
  for (int k = 0; k < 4; ++k) {
    fs.CurrencyFormat = k;
    EXPECT_EQ(FloatToStrF(1.5, ffCurrency, 15, 2, fs), positive[k]) << k;
  }
  const char* negative[] = {"($1.50)", "-$1.50", "$-1.50", "$1.50-", "(1.50$)", "-1.50$",
                            "1.50-$", "1.50$-", "-1.50 $", "-$ 1.50", "1.50 $-", "$ 1.50-",
                            "$ -1.50", "1.50- $", "($ 1.50)", "(1.50 $)"};
  for (int k = 0; k < 16; ++k) {
    fs.NegCurrFormat = k;
    EXPECT_EQ(FloatToStrF(-1.5, ffCurrency, 15, 2, fs), negative[k]) << k;
  }
}

TEST(FormatFloat, PatternTable) {
  struct Case { const char* fmt; double v; const char* want; };
  const Case cases[] = {
      // rounding half away from zero on the shortest decimal digits
      {"0.00", 2.675, "2.68"},
      {"0.00", -2.675, "-2.68"},
      {"0.00", 1.005, "1.01"},
      {"0.00", 1.004999, "1.00"},
      {"0", 0.5, "1"},
      {"0", 1.5, "2"},
      {"0", 2.5, "3"},
      {"0", -2.5, "-3"},
      {"0", 1.4 + 1.4, "3"},
      {"0.0000", 1.23456789, "1.2346"},
      {"0.0000", 0.1 + 0.2, "0.3000"},
      // optional digits
      {"0.##", 2.5, "2.5"},
      {"0.##", 3, "3"},
      {"0.##", 2.555, "2.56"},
      {"0.####", 2.5, "2.5"},
      {"0.####", 0.123456, "0.1235"},
      {"0.########", 1.123456789, "1.12345679"},
      {"0.########", 1234567, "1234567"},
      {"0.0#", 2, "2.0"},
      {"#.##", 0.5, ".5"},
      {"#.##", 0, ""},
      {"#", 0, ""},
      {"00.0", 1.25, "01.3"},
      {"000", 7, "007"},
      {"0.", 3.7, "4"},
      // thousands
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0.00", 123, "123.00"},
      {"#,##0.00", -1234.5, "-1,234.50"},
      {",0.00", 1234.5, "1,234.50"},
      {"#,##0", 999999.5, "1,000,000"},
      {"0,000", 12, "0,012"},
      // no "-0"
      {"0.00", -0.001, "0.00"},
      {"0", -0.4, "0"},
      {"0.##", -0.0001, "0"},
      {"0.00", -0.0, "0.00"},
      // sections
      {"0.00;(0.00)", -5, "(5.00)"},
      {"0.00;(0.00)", 5, "5.00"},
      {"0.00;(0.00);'zero'", 0, "zero"},
      {"0.00;(0.00);'zero'", 0.001, "zero"},
      {"0.00;(0.00);'zero'", -0.001, "zero"},
      {"0.00;;'zero'", -5, "-5.00"},        // an empty negative section: the first, signed
      {"0.00;", -5, "-5.00"},
      {"0.00;-0.00", -0.001, "0.00"},
      {"0.00;-0.00", -1.5, "-1.50"},
      {"MIN=0.00;MIN=-0.00", -1.5, "MIN=-1.50"},
      {"MAX=0.00;MAX=-0.00", 2, "MAX=2.00"},
      {"AVG=0.00;AVG=-0.00", -0.004, "AVG=0.00"},
      // literals
      {"\"\xA3\xA4\"0.00", 5, "\xA3\xA4" "5.00"},
      {"'#'0", 5, "#5"},
      {"0.00 \xD4\xAA", 1.5, "1.50 \xD4\xAA"},
      {"0\"%\"", 12, "12%"},
      {"\"a;b\"0;x0", -1, "x1"},            // a ';' in quotes does not split
      // scientific
      {"0.00E+00", 1234.5, "1.23E+03"},
      {"0.00E+00", 0.000123, "1.23E-04"},
      {"0.00E-00", 1234.5, "1.23E03"},
      {"0.00e+0", -1234.5, "-1.23e+3"},
      {"00.0E+0", 1234.5, "12.3E+2"},
      {"0.0E+00", 0, "0.0E+00"},
      // empty pattern and huge values fall back to the general form
      {"", 12.5, "12.5"},
      {"0.00", 1e20, "1E20"},
      {"0", 123456789012345678.0, "123456789012346000"},
      {"0.00E+00", 1e20, "1.00E+20"},       // ... but not in a section with an exponent
      {"0.00E+00", -1.5e25, "-1.50E+25"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.fmt, c.v), c.want) << c.fmt << " " << c.v;
}

// An empty first section has nothing to format with: a value that would use it gets
// its general text, as with an empty pattern, sign included; the other sections keep
// their meaning.
TEST(FormatFloat, EmptyFirstSectionGivesTheGeneralText) {
  struct Case { const char* fmt; double v; const char* want; };
  const Case cases[] = {
      {";0.00", 5, "5"},
      {";0.00", 1234.125, "1234.125"},
      {";0.00", -5, "5.00"},           // the negative section, no sign of its own
      {";", -5, "-5"},                 // no negative section either: general, signed
      {";0.00", 0, "0"},
      {";0.00;'zero'", 0, "zero"},
      {";0.00", -0.001, "-0.001"},     // rounds to zero by the negative section
      {";(0.00);'zero'", -0.001, "zero"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.fmt, c.v), c.want) << c.fmt << " " << c.v;
}

// A section without digit placeholders shows no number but all of its text, the
// exponent part as written (it once showed only the "E").
TEST(FormatFloat, ExponentWithoutDigitPlaceholdersIsShownAsWritten) {
  EXPECT_EQ(FormatFloat("E+00", 123), "E+00");
  EXPECT_EQ(FormatFloat("x E+000 y", 0.5), "x E+000 y");
  EXPECT_EQ(FormatFloat("0.00;E+00", -2), "E+00");
  EXPECT_EQ(FormatFloat("'n/a'", 7), "n/a");
}

// FloatToStr rounds twice, as the platform does: correctly to 18 digits, then half away
// from zero to 15. A double just below a tie at the 16th digit whose 18-digit form is
// the tie rounds up.
TEST(FloatToStr, RoundsToEighteenDigitsThenToFifteen) {
  EXPECT_EQ(FloatToStr(0.8154851443714215), "0.815485144371422");  // 0.8154851443714214998...
  EXPECT_EQ(FloatToStr(0.7728616437218645), "0.772861643721865");  // 0.7728616437218644996...
  EXPECT_EQ(FloatToStrF(0.8154851443714215, ffExponent, 18, 0), "8.15485144371421500E-1");
}

TEST(FormatFloat, CurrencyDisplayFormatBuiltFromSettings) {
  // A currency pattern: symbol, ",0.00", then the same for negative values.
  EXPECT_EQ(FormatFloat("\xA3\xA4,0.00;-\xA3\xA4,0.00", -1234.5), "-\xA3\xA4" "1,234.50");
  EXPECT_EQ(FormatFloat("$,0.00;-$,0.00", 1234.5), "$1,234.50");
}

TEST(FormatFloat, SeparatorsComeFromTheSettings) {
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = '.';
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, fs), "1.234,50");
}

TEST(StrToFloat, AcceptedTexts) {
  struct Case { const char* s; double v; };
  const Case cases[] = {
      {"12.5", 12.5},   {"0.", 0},         {"-.5", -0.5},    {".5", 0.5},
      {"+3", 3},        {"1e3", 1000},     {"1E-6", 1e-6},   {"1.5e+2", 150},
      {" 7 ", 7},       {"\t-2.25\r\n", -2.25},              {"007", 7},
      {"0.1", 0.1},     {"1e-400", 0},     {"123456789012345678901234567890", 123456789012345678901234567890.0},
  };
  for (const auto& c : cases) {
    double v = -1;
    EXPECT_TRUE(TryStrToFloat(c.s, v)) << c.s;
    EXPECT_EQ(v, c.v) << c.s;
  }
}

TEST(StrToFloat, RejectedTexts) {
  for (const char* s : {"", " ", ".", "-", "+.", "1,5", "1.2.3", "1e", "1e+", "e3", "$5", "1 2",
                        "12abc", "INF", "NAN", "0x10", "1e999", "--1", "1,000.00"}) {
    double v;
    EXPECT_FALSE(TryStrToFloat(s, v)) << s;
    EXPECT_EQ(StrToFloatDef(s, -7), -7) << s;
  }
  try {
    StrToFloat("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
  }
}

TEST(StrToFloat, ReadsBackWhatFormatFloatWrites) {
  for (double v : {0.1, 2.675, -1234.5678, 1e-5, 12345678.9}) {
    EXPECT_EQ(StrToFloat(FloatToStr(v)), v) << v;
  }
  // The footer rounding: each value is rounded to the display format before it is added.
  EXPECT_EQ(StrToFloat(FormatFloat("0", 1.4)) + StrToFloat(FormatFloat("0", 1.4)), 2);
}

TEST(StrToFloat, DecimalSeparatorOfTheSettings) {
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  double v;
  EXPECT_TRUE(TryStrToFloat("1,5", v, fs));
  EXPECT_EQ(v, 1.5);
  EXPECT_FALSE(TryStrToFloat("1.5", v, fs));
}
