// Public routines: the address test, the letter-and-digit test and the illegal
// characters with their order and double-byte units; the machine's identity.
#include <gtest/gtest.h>

#include "app/uPublic.h"

TEST(IsIPAddress, Table) {
  const struct {
    const char* text;
    bool ip;
  } cases[] = {
      {"10.0.0.1", true},      {"192.168.1.5", true},  {"1..2.3", true},  {"...", true},
      {"999.999.999.999", true},
      {"10.0.0", false},       {"1.2.3", false},       {"10.0.0.1.5", false},
      {" 10.0.0.1", false},    {"10.0.0.1 ", false},   {"", false},
      {"localhost", false},    {"pos-server", false},  {"10.0.0.a", false},
      {"\xA3\xB1.0.0.1", false},  // a full-width digit is no digit
  };
  for (const auto& c : cases) EXPECT_EQ(IsIPAddress(c.text), c.ip) << '"' << c.text << '"';
}

TEST(IsAlphaNum, Table) {
  const struct {
    const char* text;
    bool ok;
  } cases[] = {
      {"", true},         {"abc123", true},  {"ABCxyz09", true}, {"abc 123", false},
      {"abc-1", false},   {"张三", false},   {"a张", false},     {"\x7F", false},
      {"Z", true},        {"z", true},       {"0", true},         {"9", true},
      {"@", false},       {"[", false},      {"`", false},        {"{", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsAlphaNum(c.text), c.ok) << '"' << c.text << '"';
}

namespace {

std::string Check(std::string_view text) {
  AnsiString ch = "unset";
  return CheckIllegalChar(text, ch) ? "ok" : "illegal " + ch;
}

const char* const kListInOrder[] = {"'",  "\"", "\\", "~", "#", "$", "%", "^", "&", "*",
                                    "<",  ">",  "?",  "|", "+", "`", "\xA1\xC1", "[", "]",
                                    "\xA1\xEC"};

}  // namespace

TEST(CheckIllegalChar, BlanksOnlyAndPlainTextPass) {
  EXPECT_EQ(Check(""), "ok");
  EXPECT_EQ(Check("   "), "ok");
  EXPECT_EQ(Check("\t "), "ok");
  EXPECT_EQ(Check("张三 Zhang-San (1)"), "ok");
}

TEST(CheckIllegalChar, EachEntryFoundAlone) {
  for (const char* entry : kListInOrder) EXPECT_EQ(Check(std::string("a") + entry + "b"), std::string("illegal ") + entry);
}

TEST(CheckIllegalChar, EarlierEntryOfTheListWinsWhateverItsPlaceInTheText) {
  // For every pair, the text holds the later entry first; the earlier one is reported.
  const size_t n = std::size(kListInOrder);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      EXPECT_EQ(Check(std::string(kListInOrder[j]) + "x" + kListInOrder[i]), std::string("illegal ") + kListInOrder[i])
          << i << " " << j;
  EXPECT_EQ(Check("a[b#c"), "illegal #");
}

TEST(CheckIllegalChar, DoubleByteSignsAreWholeCharacters) {
  EXPECT_EQ(Check("3×4"), "illegal \xA1\xC1");
  EXPECT_EQ(Check("§1"), "illegal \xA1\xEC");
  EXPECT_EQ(Check("×§"), "illegal \xA1\xC1");
  // 丁了 = B6 A1 C1 CB: A1 C1 straddles two characters and is no multiplication sign.
  EXPECT_EQ(Check("\xB6\xA1\xC1\xCB"), "ok");
  // 亊 = 81 7E: the 7E is a trail byte, not "~"; likewise 5C and 60 as trail bytes.
  EXPECT_EQ(Check("\x81\x7E"), "ok");
  EXPECT_EQ(Check("\x81\x5C\x81\x60\x81\x7C"), "ok");
  // A text of Chinese names holding A1, C1 or EC only inside other characters.
  EXPECT_EQ(Check("\xB0\xA1\xC1\xA1\xEC\xA1"), "ok");
}

TEST(CheckIllegalChar, LeadByteAtTheEndReadsNothingPastTheText) {
  // Regression: a lead byte that ends the text is one byte of its own; the scan stops
  // at the end (the view below is cut from a longer buffer whose next byte is "~").
  const std::string buffer = "ab\x81~";
  EXPECT_EQ(Check(std::string_view(buffer).substr(0, 3)), "ok");
  EXPECT_EQ(Check("\xA1"), "ok");
  EXPECT_EQ(Check("#\xA1"), "illegal #");
}

TEST(CheckIllegalChar, UntrimmedTextIsSearched) {
  EXPECT_EQ(Check("  '  "), "illegal '");
}

TEST(SystemIdentity, ComputerNameAndAddressHaveTheirForms) {
  const AnsiString name = GetComputerNameStr();
  EXPECT_FALSE(name.empty());
  EXPECT_LT(name.size(), 200u);
  const AnsiString ip = GetLocalIP();
  if (!ip.empty()) {
    EXPECT_TRUE(IsIPAddress(ip)) << ip;
  }
  EXPECT_FALSE(GetDllFileName().empty());
}
