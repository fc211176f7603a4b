// Shared routines of the controls: lenient numbers, number texts, date texts, files.
#include <gtest/gtest.h>

#include <fstream>

#include "controls/ControlUtils.h"
#include "rtl/FileUtils.h"
#include "rtl/FormatSettings.h"

namespace {

// Puts the global settings back after a test changed them.
class SettingsGuard {
 public:
  SettingsGuard() : FSaved(FormatSettings) {}
  ~SettingsGuard() { FormatSettings = FSaved; }

 private:
  TFormatSettings FSaved;
};

}  // namespace

TEST(ParseNumber, ReadsTheNumberAtTheStartAndRoundsToEightDecimals) {
  struct Row {
    const char* text;
    double value;
  };
  const Row rows[] = {
      {"", 0},           {"   ", 0},       {"  12.5abc", 12.5}, {"-3", -3},
      {"+3", 0},         {"1.2.3", 1.2},   {".", 0},            {"1e3", 1000},
      {"1.123456789", 1.12345679},         {"-", 0},            {"e5", 0},
      {"-.5", -0.5},     {"12-3", 12},     {"1e", 1},           {"1ex", 1},
      {"2E-2x", 0.02},   {"1e+", 0},       {"1e999", 0},        {"0.000000004", 0},
      {"\t5", 0},
  };
  for (const Row& r : rows) EXPECT_DOUBLE_EQ(ParseNumber(r.text, "0.00000000"), r.value) << r.text;
}

TEST(ParseNumber, IgnoresTheDecimalSeparatorOfTheSettings) {
  SettingsGuard guard;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_DOUBLE_EQ(ParseNumber("2.25", "0.00000000"), 2.25);
  EXPECT_EQ(FormatNumber(2.25), "2.25");
}

TEST(FormatNumber, WritesAtMostEightDecimalsWithoutTrailingZeros) {
  struct Row {
    double value;
    const char* text;
  };
  const Row rows[] = {{2.50, "2.5"},          {1234567, "1234567"},     {0.123456789, "0.12345679"},
                      {0, "0"},               {-7.25, "-7.25"},         {0.1 + 0.2, "0.3"},
                      {1e15, "1000000000000000"}, {12.345678915, "12.34567892"}};
  for (const Row& r : rows) EXPECT_EQ(FormatNumber(r.value), r.text) << r.value;
}

// A value that rounds to zero never shows as "-0" in a quantity field.
TEST(FormatNumber, RegressionNeverWritesMinusZero) {
  EXPECT_EQ(FormatNumber(-0.0), "0");
  EXPECT_EQ(FormatNumber(-0.000000001), "0");
  EXPECT_EQ(FormatRounded("0.00", -0.004), "0.00");
}

TEST(StrToIntOrZero, AcceptsBlanksSignAndDigitsOnly) {
  struct Row {
    const char* text;
    int value;
  };
  const Row rows[] = {{"12", 12},     {"-7", -7},      {"+7", 7},     {"  42", 42},
                      {"$FF", 0},     {"12x", 0},      {"1 2", 0},    {"", 0},
                      {"-", 0},       {"42 ", 0},      {"2147483647", 2147483647},
                      {"2147483648", 0}, {"-2147483648", -2147483647 - 1}};
  for (const Row& r : rows) EXPECT_EQ(StrToIntOrZero(r.text), r.value) << r.text;
}

// "$FF" (hexadecimal), inner blanks and trailing text are no integer: the lenient
// reading of old turned a pasted "$FF" into 255.
TEST(StrToIntOrZero, RegressionDigitsWithAnOptionalSignOnly) {
  EXPECT_EQ(StrToIntOrZero("$FF"), 0);
  EXPECT_EQ(StrToIntOrZero("0x10"), 0);
  EXPECT_EQ(StrToIntOrZero("1 000"), 0);
  EXPECT_EQ(StrToIntOrZero("-12"), -12);
}

TEST(LeadingDigitsToInt, TakesTheRunOfDigitsAfterBlanks) {
  EXPECT_EQ(LeadingDigitsToInt(" 12ab"), 12);
  EXPECT_EQ(LeadingDigitsToInt("-5"), 0);
  EXPECT_EQ(LeadingDigitsToInt("   "), 0);
  EXPECT_EQ(LeadingDigitsToInt("001234567"), 1234567);
  EXPECT_EQ(LeadingDigitsToInt("99999999999999"), 2147483647);
}

TEST(IsBlankText, OnlyTheBlankCharacterCounts) {
  EXPECT_TRUE(IsBlankText(""));
  EXPECT_TRUE(IsBlankText("   "));
  EXPECT_FALSE(IsBlankText("\t"));
  EXPECT_FALSE(IsBlankText(" a "));
}

TEST(IsBadDateText, ChecksYearMonthAndDayFields) {
  struct Row {
    const char* text;
    bool bad;
  };
  const Row rows[] = {
      {"2024-02-29", false}, {"2023-02-29", true},  {"1900-02-29", true},
      {"2000-02-29", false}, {"2024-2-01", true},   {"2024-13-01", true},
      {"0000-05-07", true},  {"2024.05.07", false}, {"2024.05.07 and more", false},
      {"2024-05-1x", true},  {"2024-05-9 ", true},  {"2024-04-31", true},
      {"2024-04-30", false}, {"9999-12-31", false}, {"2024-00-10", true},
      {"2024-05-00", true},  {"2024-05", true},     {"", true},
  };
  for (const Row& r : rows) EXPECT_EQ(IsBadDateText(r.text), r.bad) << r.text;
}

// Fields that the lenient integer reading of old accepted (a sign, a blank, "$" hex)
// are not dates.
TEST(IsBadDateText, RegressionFieldsMustBeDigits) {
  EXPECT_TRUE(IsBadDateText("2024-05-$A"));
  EXPECT_TRUE(IsBadDateText("+024-05-07"));
  EXPECT_TRUE(IsBadDateText(" 999-05-07"));
  EXPECT_TRUE(IsBadDateText("2024--5-07"));
  EXPECT_TRUE(IsBadDateText("2024-+5-07"));
}

TEST(NormalizeDateText, JoinsTheFieldsWithTheDateSeparator) {
  SettingsGuard guard;
  EXPECT_EQ(NormalizeDateText("2024.05.07"), "2024-05-07");
  FormatSettings.DateSeparator = '/';
  EXPECT_EQ(NormalizeDateText("2024-05-07xyz"), "2024/05/07");
}

TEST(HostFolderOf, CutsAtTheLastBackslash) {
  EXPECT_EQ(HostFolderOf("C:\\Pos\\host.exe"), "C:\\Pos");
  EXPECT_EQ(HostFolderOf("host.exe"), "");
  EXPECT_EQ(HostFolderOf("\\host.exe"), "");
  // 95 5C is one double-byte character whose trail byte is "\": not a delimiter.
  EXPECT_EQ(HostFolderOf("D:\\\x95\x5C\\a.exe"), "D:\\\x95\x5C");
  EXPECT_EQ(HostFolderOf("D:\\\x95\x5C"), "D:");
}

TEST(GetFileSize, SizeOfAnExistingFileElseZero) {
  const AnsiString name = GetCurrentDir() + PathDelim + "controls_filesize.tmp";
  {
    std::ofstream f(FilePath(name), std::ios::binary);
    f << "0123456789";
  }
  EXPECT_EQ(GetFileSize(name), 10);
  DeleteFile(name);
  EXPECT_EQ(GetFileSize(name), 0);
  EXPECT_EQ(GetFileSize(GetCurrentDir()), 0);
}
