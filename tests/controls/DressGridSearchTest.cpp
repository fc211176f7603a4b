// The dress grid's find: matching by whole characters and the scan of one field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/DressGridSearch.h"

TEST(MatchText, OptionsOfTheFindDialog) {
  EXPECT_FALSE(MatchText("", "abc", false, false));
  EXPECT_TRUE(MatchText("", "", false, true));
  EXPECT_TRUE(MatchText("ab", "xABy", false, false));
  EXPECT_TRUE(MatchText("ab", "AB", false, true));
  EXPECT_FALSE(MatchText("ab", "AB", true, true));
  EXPECT_FALSE(MatchText("ab", "xaby", false, true));
  EXPECT_TRUE(MatchText("货号", "新货号", true, false));
  EXPECT_FALSE(MatchText("ab", "a", false, false));
}

// GBK trail bytes 0x40..0x7E look like ASCII: 镕 is E9 46 ("F" as trail byte); 中中 is
// D6 D0 D6 D0 and 兄 is D0 D6; 号品 is BA C5 C6 B7 and 牌 is C5 C6.
TEST(MatchText, RegressionMatchesWholeGbkCharactersOnly) {
  EXPECT_FALSE(MatchText("f", "镕", false, false));
  EXPECT_FALSE(MatchText("F", "镕", true, false));
  EXPECT_FALSE(MatchText("兄", "中中", true, false));
  EXPECT_FALSE(MatchText("牌", "号品", true, false));
  EXPECT_TRUE(MatchText("f", "镕f", false, false));
  EXPECT_TRUE(MatchText("兄", "中兄", true, false));
  // Folding leaves the trail byte alone: 镕 (E9 46) never equals E9 66.
  EXPECT_FALSE(MatchText("\xE9\x66", "镕", false, true));
}

// Case is folded for ASCII letters only: the double-byte letters that have a case pair in
// GBK (full-width ａ/Ａ, Greek α/Α, Cyrillic а/А, Roman numerals ⅰ/Ⅰ) keep their case.
TEST(MatchText, RegressionFoldsAsciiLettersOnly) {
  EXPECT_FALSE(MatchText("ａ", "Ａ", false, true));
  EXPECT_FALSE(MatchText("α", "ΑΒ", false, false));
  EXPECT_FALSE(MatchText("а", "кА", false, false));
  EXPECT_FALSE(MatchText("ⅰ", "Ⅰ", false, true));
  EXPECT_TRUE(MatchText("ａ", "ａ", false, true));
  EXPECT_TRUE(MatchText("xL", "货号XLl", false, false));
  EXPECT_TRUE(MatchText("Αb", "ΑB", false, true));
}

// 亊 is 81 7E and 垀 is 88 7E: their trail byte is "~" but no separator.
TEST(SizeCaptionParts, RegressionCountsTildesByWholeCharacters) {
  EXPECT_EQ(SizeCaptionParts(""), 1);
  EXPECT_EQ(SizeCaptionParts("S~M~L"), 3);
  EXPECT_EQ(SizeCaptionParts("亊~垀"), 2);
  EXPECT_EQ(SizeCaptionParts("亊垀"), 1);
  EXPECT_EQ(SizeCaptionParts("~~"), 3);
}

namespace {

// A 6 x 5 grid (2 fixed rows) with the texts given by "col,row".
struct Sheet {
  std::vector<std::string> hits;
  bool operator()(int c, int r) const {
    for (const auto& h : hits)
      if (h == std::to_string(c) + "," + std::to_string(r)) return true;
    return false;
  }
};

std::string Find(int first, int last, int col, int row, bool down, const Sheet& s) {
  const auto f = FindNextCell(first, last, col, row, 5, 2, down, s);
  return f ? std::to_string(f->Col) + "," + std::to_string(f->Row) : "none";
}

}  // namespace

TEST(FindNextCell, DownwardAndUpwardWithinTheFieldWithoutWrapping) {
  const Sheet s{{"2,2", "3,3", "2,4"}};
  EXPECT_EQ(Find(2, 3, 2, 2, true, s), "3,3");  // not the current cell itself
  EXPECT_EQ(Find(2, 3, 3, 3, true, s), "2,4");
  EXPECT_EQ(Find(2, 3, 2, 4, true, s), "none");
  EXPECT_EQ(Find(2, 3, 2, 4, false, s), "3,3");
  EXPECT_EQ(Find(2, 3, 3, 3, false, s), "2,2");
  EXPECT_EQ(Find(2, 3, 2, 2, false, s), "none");
  EXPECT_EQ(Find(2, 2, 2, 2, true, s), "2,4");  // a one-column field
}

TEST(FindNextCell, RegressionNoFieldChosenScansNothing) {
  int calls = 0;
  const auto f = FindNextCell(-1, -1, 1, 2, 5, 2, true, [&](int c, int) {
    ++calls;
    return c < 0;
  });
  EXPECT_FALSE(f.has_value());
  EXPECT_EQ(calls, 0);
}
