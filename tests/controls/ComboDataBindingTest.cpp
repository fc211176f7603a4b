// The combo box's dataset binding: loading, keys of items, the Ctrl+Enter prefix filter.
#include <gtest/gtest.h>

#include "controls/ComboDataBinding.h"
#include "db/FieldClasses.h"
#include "tests/support/TextPacket.h"

namespace {

std::unique_ptr<TClientDataSet> Employees() {
  return postest::TextDataSet({"TYPEID", "FULLNAME", "USERCODE"},
                              {{"00001", "张三", "ab01"},
                               {"00002", "abel", "X02"},
                               {"00003", "ABBA", "c03"},
                               {"00004", "李四", "AB04"},
                               {"00005", "O'Neil", "q'05"},
                               {"00006", "祎玥", "z06"}});
}

std::string Join(const std::vector<AnsiString>& items) {
  std::string s;
  for (const AnsiString& i : items) s += (s.empty() ? "" : "|") + i;
  return s;
}

class ComboBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    b.SetShowField("fullname");
    b.SetFindField("UserCode");
    b.SetKeyField("typeid");
    source = Employees();
  }
  TComboDataBinding b;
  std::unique_ptr<TClientDataSet> source;
};

}  // namespace

TEST_F(ComboBinding, LoadsTheShowColumnWhateverTheCaseOfItsName) {
  EXPECT_FALSE(b.Active());
  EXPECT_TRUE(b.ItemTexts().empty());
  ASSERT_TRUE(b.Load(source.get()));
  EXPECT_TRUE(b.Active());
  EXPECT_EQ(Join(b.ItemTexts()), "张三|abel|ABBA|李四|O'Neil|祎玥");
  // The source keeps its own records and position.
  EXPECT_EQ(source->RecordCount(), 6);
}

TEST_F(ComboBinding, AMissingColumnLoadsNothing) {
  b.SetKeyField("EtypeId");
  EXPECT_FALSE(b.Load(source.get()));
  EXPECT_FALSE(b.Active());
  EXPECT_FALSE(b.Load(nullptr));
  source->Close();
  b.SetKeyField("typeid");
  EXPECT_FALSE(b.Load(source.get()));
}

TEST_F(ComboBinding, KeysOfItemsAndItemsOfKeys) {
  EXPECT_EQ(b.KeyOfItem(1), "0");  // nothing loaded yet
  EXPECT_EQ(b.ItemOfKey("00002"), -1);
  ASSERT_TRUE(b.Load(source.get()));
  EXPECT_EQ(b.KeyOfItem(1), "00002");
  EXPECT_EQ(b.KeyOfItem(-1), "0");
  EXPECT_EQ(b.ItemOfKey("00004"), 3);
  EXPECT_EQ(b.ItemOfKey("4"), -1);
  b.SetKeyField("nokey");
  EXPECT_THROW(b.ItemOfKey("00004"), EDatabaseError);
}

// An item index past the records (items added by hand) reads as no selection instead
// of positioning outside the records.
TEST_F(ComboBinding, RegressionKeyOfAnIndexPastTheRecordsIsZero) {
  ASSERT_TRUE(b.Load(source.get()));
  EXPECT_EQ(b.KeyOfItem(5), "00006");
  EXPECT_EQ(b.KeyOfItem(6), "0");
  EXPECT_EQ(b.KeyOfItem(1000), "0");
}

TEST_F(ComboBinding, CtrlEnterFiltersBothColumnsByPrefix) {
  ASSERT_TRUE(b.Load(source.get()));
  EXPECT_EQ(b.PrefixFilter("ab"), "(fullname='AB*' or UserCode='AB*')");
  EXPECT_TRUE(b.CtrlEnter("ab", -1, ""));
  EXPECT_TRUE(b.DataSet()->Filtered());
  EXPECT_EQ(Join(b.ItemTexts()), "张三|abel|ABBA|李四");
  EXPECT_EQ(b.LastChosen(), "");
  // The same text again with nothing selected filters again.
  EXPECT_TRUE(b.CtrlEnter("ab", -1, ""));
  EXPECT_EQ(Join(b.ItemTexts()), "张三|abel|ABBA|李四");
  EXPECT_EQ(b.KeyOfItem(2), "00003");
}

TEST_F(ComboBinding, CtrlEnterOnTheChosenItemChangesNothing) {
  ASSERT_TRUE(b.Load(source.get()));
  EXPECT_FALSE(b.CtrlEnter("abel", 1, "abel"));
  EXPECT_FALSE(b.DataSet()->Filtered());
  EXPECT_EQ(b.LastChosen(), "abel");
  // Text equal to the last chosen one while another item is selected: no filter either.
  EXPECT_FALSE(b.CtrlEnter("abel", 2, "ABBA"));
  EXPECT_EQ(b.LastChosen(), "ABBA");
  EXPECT_TRUE(b.CtrlEnter("li", 2, "ABBA"));
}

TEST_F(ComboBinding, AnEmptyTextRemovesTheFilter) {
  ASSERT_TRUE(b.Load(source.get()));
  EXPECT_FALSE(b.CtrlEnter("  ", -1, ""));  // not filtered: nothing to do
  ASSERT_TRUE(b.CtrlEnter("ab", -1, ""));
  EXPECT_FALSE(b.DeleteKey("a"));
  EXPECT_TRUE(b.DeleteKey(" "));
  EXPECT_EQ(b.ItemTexts().size(), 6u);
  EXPECT_FALSE(b.DeleteKey(""));
  ASSERT_TRUE(b.CtrlEnter("ab", -1, ""));
  EXPECT_TRUE(b.CtrlEnter("", -1, ""));
  EXPECT_EQ(b.ItemTexts().size(), 6u);
}

// Lower-case names are found by a lower-case prefix: the prefix is compared without
// regard to case (the upper-cased prefix alone matched only upper-case values).
TEST_F(ComboBinding, RegressionFilterFindsLowerCaseValues) {
  ASSERT_TRUE(b.Load(source.get()));
  ASSERT_TRUE(b.CtrlEnter("ABE", -1, ""));
  EXPECT_EQ(Join(b.ItemTexts()), "abel");
}

// A quote in the typed text is part of the prefix: it neither breaks the filter nor
// turns the rest into filter logic.
TEST_F(ComboBinding, RegressionFilterQuotesTheTypedText) {
  ASSERT_TRUE(b.Load(source.get()));
  EXPECT_EQ(b.PrefixFilter("o'n"), "(fullname='O''N*' or UserCode='O''N*')");
  ASSERT_NO_THROW(b.CtrlEnter("o'n", -1, ""));
  EXPECT_EQ(Join(b.ItemTexts()), "O'Neil");
  ASSERT_NO_THROW(b.CtrlEnter("x' or fullname<>'", -1, ""));
  EXPECT_EQ(Join(b.ItemTexts()), "");
}

// Upper-casing leaves the trail bytes of double-byte characters alone: 祎 is B5 74 and
// 玥 AB 68, whose trail bytes are the ASCII letters "t" and "h".
TEST_F(ComboBinding, RegressionUpperCasingKeepsDoubleByteCharacters) {
  ASSERT_TRUE(b.Load(source.get()));
  EXPECT_EQ(b.PrefixFilter("祎玥"), "(fullname='祎玥*' or UserCode='祎玥*')");
  ASSERT_TRUE(b.CtrlEnter("祎", -1, ""));
  EXPECT_EQ(Join(b.ItemTexts()), "祎玥");
}

TEST_F(ComboBinding, OddColumnNamesAreBracketed) {
  b.SetShowField("full name");
  EXPECT_EQ(b.PrefixFilter("A"), "([full name]='A*' or UserCode='A*')");
}

TEST_F(ComboBinding, ReloadingTheOwnDataSetKeepsItsFilter) {
  ASSERT_TRUE(b.Load(source.get()));
  ASSERT_TRUE(b.CtrlEnter("ab", -1, ""));
  EXPECT_TRUE(b.Load(b.DataSet()));
  EXPECT_EQ(b.ItemTexts().size(), 4u);
}
