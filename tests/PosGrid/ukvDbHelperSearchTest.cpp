// Key locate and the incremental search.
#include <gtest/gtest.h>

#include "DataControllerFixture.h"

using kvtest::Grid;
using kvtest::Named;

namespace {

TEST(MatchText, CaseFoldedPrefixAndWholeText) {
  EXPECT_TRUE(MatchText("Hello", "he", true));
  EXPECT_FALSE(MatchText("he", "hello", true));
  EXPECT_TRUE(MatchText("ABC", "abc", false));
  EXPECT_FALSE(MatchText("abc", "", true));
  EXPECT_TRUE(MatchText("", "", false));
  // A Chinese character whose trail byte is a small letter is not folded.
  EXPECT_FALSE(MatchText("盘点", "盘A", true));
  EXPECT_TRUE(MatchText("盘点单", "盘点", true));
}

TEST(IncrementalSearch, FindsFromTheFocusedRowAndWrapsAround) {
  Grid g(Named({{1, "apple"}, {2, "Banana"}, {3, "BANDANA"}}));
  TkvDataControllerSearch& s = g.C->Search();
  const int name = g.F("NAME")->Index();
  g.Masks.clear();
  EXPECT_TRUE(s.Search(name, "ban"));
  EXPECT_EQ(g.C->FocusedRowIndex(), 1);
  EXPECT_EQ(g.CurrentId(), "2");
  EXPECT_TRUE(s.Active());
  EXPECT_TRUE(g.Masks.back() & dcmSearch);
  EXPECT_TRUE(s.SearchNext(true));
  EXPECT_EQ(g.C->FocusedRowIndex(), 2);
  EXPECT_FALSE(s.SearchNext(true));  // never wraps
  EXPECT_TRUE(s.Search(name, "app"));  // above the focus: found through the wrap-around
  EXPECT_EQ(g.C->FocusedRowIndex(), 0);
  EXPECT_TRUE(s.Search(name, "APP"));  // the focused row itself matches: it stays
  EXPECT_EQ(g.C->FocusedRowIndex(), 0);
  EXPECT_FALSE(s.Search(name, ""));
  EXPECT_FALSE(s.Search(name, "cherry"));
  // Any other focus move ends the search.
  EXPECT_TRUE(s.Active());
  g.C->FocusRowIndex(2);
  EXPECT_FALSE(s.Active());
  EXPECT_EQ(s.Text(), "");
}

// Started again after the focus moved, an upward search goes up from the focused row and
// round from the last row; it stays active for the next ones.
TEST(IncrementalSearch, SearchFromGoesUpFromTheFocusedRowAndWrapsAround) {
  Grid g(Named({{1, "ban1"}, {2, "x"}, {3, "ban3"}, {4, "x"}, {5, "ban5"}, {6, "x"}}));
  TkvDataControllerSearch& s = g.C->Search();
  const int name = g.F("NAME")->Index();
  g.C->FocusRowIndex(3);
  EXPECT_TRUE(s.SearchFrom(name, "BAN", false));
  EXPECT_EQ(g.CurrentId(), "3");
  EXPECT_TRUE(s.Active());
  EXPECT_TRUE(s.SearchNext(false));
  EXPECT_EQ(g.CurrentId(), "1");
  g.C->FocusRowIndex(0);  // the search ends
  EXPECT_TRUE(s.SearchFrom(name, "ban", false));  // the focused row matches: it stays
  EXPECT_EQ(g.CurrentId(), "1");
  g.C->FocusRowIndex(1);
  EXPECT_TRUE(s.SearchFrom(name, "ban5", false));  // nothing above: round from the last row
  EXPECT_EQ(g.CurrentId(), "5");
  g.C->FocusRowIndex(1);
  EXPECT_TRUE(s.SearchFrom(name, "ban", true));  // downwards as Search
  EXPECT_EQ(g.CurrentId(), "3");
  EXPECT_FALSE(s.SearchFrom(name, "cherry", false));
  EXPECT_FALSE(s.SearchFrom(name, "", false));
  EXPECT_EQ(g.CurrentId(), "3");
}

// The upward search from the first row has nothing above it: it goes round from the last
// row and finds a text only lower down; from a middle row, a text only below it is
// found the same way (the last match, the nearest going up from the end).
TEST(IncrementalSearch, UpwardSearchFromTheFirstRowWrapsToTheRowsBelow) {
  Grid g(Named({{1, "x"}, {2, "pear"}, {3, "x"}, {4, "peach"}, {5, "x"}, {6, "plum"}}));
  TkvDataControllerSearch& s = g.C->Search();
  const int name = g.F("NAME")->Index();
  std::string found;
  for (const auto& [from, text] : std::vector<std::pair<int, const char*>>{{0, "pea"}, {0, "PLUM"}, {2, "plu"}, {1, "pear"}}) {
    g.C->FocusRowIndex(from);
    found += (s.SearchFrom(name, text, false) ? g.CurrentId() : "-") + " ";
  }
  EXPECT_EQ(found, "4 6 6 2 ");
}

// Both the text and the search text are upper-cased as AnsiUpperCase does, double-byte
// letters (full-width Latin, Greek, Cyrillic, Roman numerals) included.
TEST(IncrementalSearch, FaultDoubleByteLettersOfTheRowFoldedAsciiOnly) {
  EXPECT_TRUE(MatchText("\xA3\xE1\xA3\xE2" "c", "\xA3\xC1\xA3\xC2", true));  // ａｂc / ＡＢ
  EXPECT_TRUE(MatchText("\xA6\xC1", "\xA6\xA1", false));                    // α / Α
  EXPECT_FALSE(MatchText("\xA3\xE1", "\xA3\xE2", true));
  Grid g(Named({{1, "x"}, {2, "\xA3\xE1\xA3\xE2"}, {3, "\xA7\xD1\xA7\xD2"}, {4, "\xA2\xA1z"}}));  // ａｂ аб ⅰz
  TkvDataControllerSearch& s = g.C->Search();
  const int name = g.F("NAME")->Index();
  EXPECT_TRUE(s.Search(name, "\xA3\xE1"));  // ａ finds ａｂ
  EXPECT_EQ(g.CurrentId(), "2");
  EXPECT_TRUE(s.Search(name, "\xA7\xA1\xA7\xA2"));  // АБ finds аб
  EXPECT_EQ(g.CurrentId(), "3");
  EXPECT_TRUE(s.Search(name, "\xA2\xF1Z"));  // ⅠZ finds ⅰz
  EXPECT_EQ(g.CurrentId(), "4");
  EXPECT_TRUE(s.Search(name, "\xA3\xC1\xA3\xC2"));  // ＡＢ finds ａｂ
  EXPECT_EQ(g.CurrentId(), "2");
  EXPECT_FALSE(s.Search(name, "\xA3\xC2"));
}

TEST(IncrementalSearch, NothingToSearchInAnEmptyGrid) {
  Grid g;
  EXPECT_FALSE(g.C->Search().Search(1, "a"));
  Grid h(Named({{1, "a"}}));
  EXPECT_THROW(h.C->Search().Search(9, "a"), EkvInvalidDataControllerOperation);
}

TEST(KeyLocate, LowestRecordWithTheKeyWhateverTheRowOrder) {
  Grid g(Named({{5, "a"}, {7, "b"}, {5, "c"}}));
  g.C->ChangeSorting(g.F("NAME"), 2);
  g.C->SetKeyField(g.F("ID"));
  EXPECT_EQ(g.C->LocateByKey(5), 0);
  EXPECT_EQ(g.C->LocateByKey(7), 1);
  EXPECT_EQ(g.C->LocateByKey(6), -1);
  EXPECT_EQ(g.C->LocateByKey("7"), 1);  // the key is read into the field's type
  const int internal = g.C->Storage().InternalRecordCount();
  g.C->LocateByKey(5);
  EXPECT_EQ(g.C->Storage().InternalRecordCount(), internal);  // the key record is given back
  g.C->SetKeyField(nullptr);
  EXPECT_EQ(g.C->LocateByKey(5), -1);
}

TEST(KeyLocate, KeyModeFocusMovesTheDatasetByLocate) {
  Grid g(Named({{5, "a"}, {7, "b"}, {9, "c"}}));
  g.C->SetKeyField(g.F("ID"));
  g.C->FocusRowIndex(2);
  EXPECT_EQ(g.CurrentId(), "9");
  EXPECT_EQ(g.C->LocateCurrentKey(), 2);
  g.DataSet->First();
  EXPECT_EQ(g.FocusedId(), "5");
}

}  // namespace
