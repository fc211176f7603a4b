// Button edit rules: key filter and exit rule per data type, lookup kinds, layout.
#include <gtest/gtest.h>

#include "controls/RuxBtnEditRules.h"

#include <set>
#include <string>

using namespace ruxbtnedit;

namespace {
constexpr int kMin = -1000000;
constexpr int kMax = 1000000;

AnsiString Exit(TDataType type, const char* text, int minValue = kMin, int maxValue = kMax) {
  return ExitRule(type, text, minValue, maxValue, btNo, false).Text;
}
}  // namespace

TEST(RuxBtnEditExitRule, NumericKindsAreReadRoundedAndClamped) {
  struct Row {
    TDataType type;
    const char* text;
    int minValue, maxValue;
    const char* result;
  };
  const Row rows[] = {
      {dtQty, "12.345678912", kMin, kMax, "12.34567891"},
      {dtQty, "5e7", kMin, kMax, "1000000"},
      {dtQty, "abc", kMin, kMax, "0"},
      {dtQty, "3.50", kMin, kMax, "3.5"},
      {dtQty, "", kMin, kMax, "0"},
      {dtPrice, "-2", 0, kMax, "0"},
      {dtTotal, "-5e7", kMin, kMax, "-1000000"},
      {dtDouble, "  7.25 kg", kMin, kMax, "7.25"},
      {dtTaxRate, "", 1, 10, "1"},
      {dtTaxPrice, "-0.000000001", kMin, kMax, "0"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Exit(r.type, r.text, r.minValue, r.maxValue), r.result) << r.text;
}

TEST(RuxBtnEditExitRule, IntegerKindsReadTheFirstNineCharacters) {
  struct Row {
    TDataType type;
    const char* text;
    int minValue, maxValue;
    const char* result;
  };
  const Row rows[] = {
      {dtIntegerPlus, "0012345678901", kMin, kMax, "1000000"},
      {dtIntegerPlus, "0012345678901", kMin, 2000000000, "1234567"},
      {dtIntegerPlus, "250", kMin, 100, "100"},
      {dtIntegerPlus, "12ab", kMin, kMax, "12"},
      {dtIntegerPlus, "", 5, kMax, "5"},
      {dtInteger, "12x", kMin, kMax, "0"},
      {dtInteger, "-7", 0, kMax, "0"},
      {dtInteger, "-7", kMin, kMax, "-7"},
      {dtInteger, "123456789012", kMin, 2000000000, "123456789"},
      // "$FF" is no number: the lenient reading of old made it 255.
      {dtInteger, "$FF", kMin, kMax, "0"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Exit(r.type, r.text, r.minValue, r.maxValue), r.result) << r.text;
}

TEST(RuxBtnEditExitRule, DatesAreClearedWithTheMessageOrNormalised) {
  TExitOutcome o = ExitRule(dtDate, "2024-2-9", kMin, kMax, btNo, false);
  EXPECT_EQ(o.Text, "");
  EXPECT_TRUE(o.DateError);
  o = ExitRule(dtDate, "2024.02.09", kMin, kMax, btNo, false);
  EXPECT_EQ(o.Text, "2024-02-09");
  EXPECT_FALSE(o.DateError);
  o = ExitRule(dtDate, "   ", kMin, kMax, btNo, false);
  EXPECT_EQ(o.Text, "");
  EXPECT_FALSE(o.DateError);
  o = ExitRule(dtDate, "", kMin, kMax, btNo, false);
  EXPECT_FALSE(o.DateError);
}

TEST(RuxBtnEditExitRule, StringsClearTheIdOfAnEmptyLookupField) {
  struct Row {
    const char* text;
    TBasicType basic;
    bool paramIsID;
    bool clears;
  };
  const Row rows[] = {
      {"", btPtype, false, true},  {"", btNo, true, true},     {"", btNo, false, false},
      {" ", btPtype, false, false}, {"x", btPtype, true, false}, {"", btMemo, false, false},
  };
  for (const Row& r : rows) {
    const TExitOutcome o = ExitRule(dtString, r.text, kMin, kMax, r.basic, r.paramIsID);
    EXPECT_EQ(o.ClearTypeid, r.clears) << EnumName(r.basic) << " '" << r.text << "'";
    EXPECT_EQ(o.Text, r.text);
  }
}

TEST(RuxBtnEditKeyFilter, RefusesKeysByDataType) {
  struct Row {
    TDataType type;
    int minValue;
    const char* text;
    char key;
    bool accepted;
  };
  const Row rows[] = {
      {dtString, 0, "", 'x', true},       {dtDate, 0, "", '/', true},
      {dtIntegerPlus, kMin, "", '5', true}, {dtIntegerPlus, kMin, "", '-', false},
      {dtIntegerPlus, kMin, "", '\b', true}, {dtIntegerPlus, kMin, "", '.', false},
      {dtInteger, kMin, "", '-', true},   {dtInteger, 0, "", '-', false},
      {dtInteger, kMin, "-3", '-', false}, {dtInteger, kMin, "", '.', false},
      {dtInteger, kMin, "", 'a', false},  {dtPrice, kMin, "1.5", '.', false},
      {dtPrice, kMin, "15", '.', true},   {dtPrice, 0, "15", '-', false},
      {dtQty, kMin, "15", '-', true},     {dtQty, kMin, "-15", '-', false},
      {dtDouble, kMin, "", 'e', false},   {dtTotal, kMin, "", '\b', true},
      {dtTaxRate, kMin, "", '\x03', false},
  };
  for (const Row& r : rows) {
    const char got = FilterKey(r.type, r.minValue, r.text, r.key);
    EXPECT_EQ(got, r.accepted ? r.key : '\0')
        << EnumName(r.type) << " text '" << r.text << "' key " << int(r.key);
  }
}

// The lookup kinds as the button edit's documentation lists them, written out here apart
// from the code's set; every other kind is none.
TEST(RuxBtnEditLookupKinds, SixtyFiveKindsAreLookedUp) {
  const std::set<std::string> lookup{
      "btAtype", "btPtype", "btBtype", "btStype", "btCType", "btOType", "btEtype", "btKtype",
      "btDtype", "btVchType", "btArea", "btOperator", "btKType2", "btEType2", "btOperatingType",
      "btOAPBType", "btOARBType", "btProjectType", "btSettleType", "btKVType", "btZType", "btFBType",
      "btDWtype", "btCBObject", "btColor", "btSize", "btSizeGroup", "btBTypeAndAgent", "btJoin",
      "btAgent", "btSShop", "btBTypeAndShop", "btSelf", "btShop", "btNoOnWay", "btSeason", "btPinPai",
      "btAssThree", "btAssFour", "btEType1", "btColorGroup", "btStock", "btFKType", "btNOShop",
      "btStypeAndShop", "btKtypeAndJoin", "btSelfAndShop", "btStockAndSelf", "btJoinCust",
      "btjoinselfAndShop", "btStypeJoinAndAgent", "btCardType", "btStockReceive", "btSPtype",
      "btPtypeGroup", "btShopReceive", "btCtypeGroup", "btSite", "btAssFive", "btAssSix", "btAssSeven",
      "btAssEight", "btSaleTrait", "btVchTypeOrder", "btOrderType"};
  ASSERT_EQ(lookup.size(), 65u);
  for (const std::string& name : lookup) {
    TBasicType t{};
    ASSERT_TRUE(TryEnumFromName(name, t)) << name;
  }
  for (int i = 0; i < TEnumInfo<TBasicType>::Count; ++i) {
    const auto t = static_cast<TBasicType>(i);
    EXPECT_EQ(IsLookupKind(t), lookup.count(EnumName(t)) == 1) << EnumName(t);
  }
}

TEST(RuxBtnEditLayout, PlacesButtonEditAndLines) {
  TLayout l = ComputeLayout(120, 21, 17, true, false);
  EXPECT_EQ(l.ButtonLeft, 103);
  EXPECT_EQ(l.ButtonHeight, 17);
  EXPECT_EQ(l.EditWidth, 104);
  EXPECT_EQ(l.EditHeight, 21);
  EXPECT_EQ(l.LineWidth, 120);
  EXPECT_EQ(l.UnderlineWidth, 102);
  EXPECT_EQ(l.UnderlineLeft, 130);
  l = ComputeLayout(200, 25, 17, false, true);
  EXPECT_EQ(l.EditWidth, 200);
  EXPECT_EQ(l.UnderlineWidth, 198);
  EXPECT_EQ(l.UnderlineLeft, 0);
  EXPECT_EQ(l.ButtonHeight, 21);
}
