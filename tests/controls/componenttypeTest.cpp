// Property enumerations: ordinals, names as forms write them, set encodings.
#include <gtest/gtest.h>

#include "controls/componenttype.h"

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace {

// The kinds of basic data as the forms' documentation numbers them, written out here
// apart from the code's own table: "N `name`", and one run "A to B `first` to `last`" of
// names with two-digit numbers.
constexpr const char* kBasicTypeText = R"(
0 `btNo`, 1 `btAtype`, 2 `btPtype`, 3 `btBtype`, 4 `btStype`, 5 `btCType`, 6 `btOType`,
7 `btEtype`, 8 `btKtype`, 9 `btDtype`, 10 `btVersion`, 11 `btVchCode`, 12 `btVchType`,
13 `btPeriod`, 14 `btPeriodBegin`, 15 `btPeriodEnd`, 16 `btDate`, 17 `btDateBegin`,
18 `btDateEnd`, 19 `btArea`, 20 `btCMode`, 21 `btLMode`, 22 `btOperator`, 23 `btKType2`,
24 `btDraft`, 25 `btRedOld`, 26 `btRedWord`, 27 `btParID`, 28 `btPriceMode`, 29 `btIsClient`,
30 `btTotal`, 31 `btLendTotal`, 32 `btDebitTotal`, 33 `btQty`, 34 `btPrice`, 35 `btFullName`,
36 `btUserCode`, 37 `btPercent`, 38 `btTypeID`, 39 `btStrings`, 40 `btRowCount`,
41 to 70 `btCustom01` to `btCustom30` (two-digit numbers), 71 `btLastSalePrice`,
72 `btLastBuyPrice`, 73 `btLastSaleDiscount`, 74 `btLastBuyDiscount`, 75 `btLevel`,
76 `btBillDate`, 77 `btBillNumber`, 78 `btSummary`, 79 `btEType2`, 80 `btShortName`,
81 `btStandard`, 82 `btType`, 83 `btUnit1`, 84 `btUnit2`, 85 `btUnitRate1`, 86 `btPrePrice1`,
87 `btPrePrice2`, 88 `btPrePrice3`, 89 `btPrePrice4`, 90 `btPrePrice5`, 91 `btPrePrice6`,
92 `btRecPrice`, 93 `btComment`, 94 `btUsefulLifeDay`, 95 `btBarCode`, 96 `btBlockNo`,
97 `btProDate`, 98 `btCostMode`, 99 `btGatheringDate`, 100 `btOperatingType`,
101 `btOAPBType`, 102 `btOARBType`, 103 `btProjectType`, 104 `btSettleType`, 105 `btDBName`,
106 `btKVType`, 107 `btZType`, 108 `btFBType`, 109 `btMemo`, 110 `btDWtype`,
111 `btCBObject`, 112 `btATypePX`, 113 `btColor`, 114 `btSize`, 115 `btSizeGroup`,
116 `btBTypeAndAgent`, 117 `btJoin`, 118 `btAgent`, 119 `btSShop`, 120 `btBTypeAndShop`,
121 `btSelf`, 122 `btShop`, 123 `btNoOnWay`, 124 `btSeason`, 125 `btPinPai`,
126 `btAssThree`, 127 `btAssFour`, 128 `btEType1`, 129 `btColorGroup`, 130 `btStock`,
131 `btFKType`, 132 `btNOShop`, 133 `btStypeAndShop`, 134 `btKtypeAndJoin`,
135 `btSelfAndShop`, 136 `btPMtype`, 137 `btStockAndSelf`, 138 `btJoinCust`,
139 `btjoinselfAndShop`, 140 `btStypeJoinAndAgent`, 141 `btCardType`, 142 `btStockReceive`,
143 `btSPtype`, 144 `btPtypeGroup`, 145 `btShopReceive`, 146 `btCtypeGroup`,
147 `btTrueStock`, 148 `btPdKtype`, 149 `btSite`, 150 `btAssFive`, 151 `btAssSix`,
152 `btAssSeven`, 153 `btAssEight`, 154 `btSaleTrait`, 155 `btVchTypeOrder`,
156 `btOrderType`)";

std::vector<std::pair<int, std::string>> BasicTypesOfTheText() {
  std::vector<std::pair<int, std::string>> kinds;
  const std::string text = kBasicTypeText;
  const std::regex entry(R"((\d+)(?: to (\d+))? `(\w+)`(?: to `\w+`)?)");
  for (std::sregex_iterator it(text.begin(), text.end(), entry), end; it != end; ++it) {
    const int first = std::stoi((*it)[1]);
    const std::string name = (*it)[3];
    if (!(*it)[2].matched) {
      kinds.emplace_back(first, name);
      continue;
    }
    // btCustom01 .. : the name's prefix with the numbers counted on from its own.
    const size_t digits = name.find_first_of("0123456789");
    const int start = std::stoi(name.substr(digits));
    for (int n = first; n <= std::stoi((*it)[2]); ++n) {
      char number[8];
      std::snprintf(number, sizeof number, "%02d", start + n - first);
      kinds.emplace_back(n, name.substr(0, digits) + number);
    }
  }
  return kinds;
}

template <typename E>
std::vector<std::string> NamesOf() {
  std::vector<std::string> names;
  for (int i = 0; i < TEnumInfo<E>::Count; ++i) names.push_back(EnumName(static_cast<E>(i)));
  return names;
}

}  // namespace

// Every member of every enumeration: its ordinal, its name as forms write it, and the
// name read back (case aside, as the platform's type information compares).
TEST(componenttype, EveryBasicTypeHasItsNumberAndName) {
  const auto kinds = BasicTypesOfTheText();
  ASSERT_EQ(kinds.size(), 157u);
  ASSERT_EQ(TEnumInfo<TBasicType>::Count, 157);
  for (size_t i = 0; i < kinds.size(); ++i) {
    const auto& [number, name] = kinds[i];
    ASSERT_EQ(number, static_cast<int>(i)) << name;
    EXPECT_EQ(EnumName(static_cast<TBasicType>(number)), name) << number;
    TBasicType read{};
    ASSERT_TRUE(TryEnumFromName(name, read)) << name;
    EXPECT_EQ(static_cast<int>(read), number) << name;
    ASSERT_TRUE(TryEnumFromName(UpperCase(name), read)) << name;
    EXPECT_EQ(static_cast<int>(read), number) << name;
  }
  EXPECT_STREQ(EnumName(static_cast<TBasicType>(157)), "");
}

TEST(componenttype, TheSmallEnumerationsWholly) {
  using V = std::vector<std::string>;
  EXPECT_EQ(NamesOf<TFrameWork>(), (V{"fwNo", "fwConcatInfo", "fwResetTop", "fwfwResetTop2"}));
  EXPECT_EQ(NamesOf<TDataType>(), (V{"dtTotal", "dtPrice", "dtTaxRate", "dtTaxPrice", "dtQty", "dtString",
                                     "dtDate", "dtInteger", "dtDouble", "dtIntegerPlus"}));
  EXPECT_EQ(NamesOf<TBaseSelectOption>(),
            (V{"bopInsert", "bopDisplayQty", "bopRemember", "bopSelectClass", "bopAllSelect", "bopAllStrock",
               "bopMultiSelect", "bopGoodsType", "bopSubject", "bopFactGoods", "bopCommission",
               "bopSendCommission", "bopRecommission", "bopZeroGoods", "bopPermitCheck", "bopViewStop",
               "bopDisenableViewStop"}));
  EXPECT_EQ(NamesOf<TkvBusinessType>(), (V{"gbuSupplier", "gbuClient", "gbuShoppe", "gbuJoinShop", "gbuAgent",
                                           "gbuJoinClient", "gbuSelfShop"}));
  EXPECT_EQ(NamesOf<TkvStockType>(), (V{"gsoMain", "gsoSelfShop", "gsoShoppe", "gsoTransfer"}));
  EXPECT_EQ(EnumFromName<TFrameWork>("FWFWRESETTOP2"), fwfwResetTop2);
}

TEST(componenttype, UnknownNamesAreRefused) {
  TBasicType t = btPtype;
  EXPECT_FALSE(TryEnumFromName("btCustom31", t));
  EXPECT_EQ(t, btPtype);
  EXPECT_THROW(EnumFromName<TDataType>("dtMoney"), EReadError);
  EXPECT_THROW(TBaseSelectOptions::FromString("bopInsert"), EReadError);
  EXPECT_THROW(TBaseSelectOptions::FromString("[bopInsert,]"), EReadError);
  EXPECT_THROW(TkvStockTypes::FromString("[gsoMain,gbuClient]"), EReadError);
}

TEST(componenttype, SetsAreStoredInThePlatformsSize) {
  EXPECT_EQ(TBaseSelectOptions{bopInsert}.ToBytes(), (std::vector<uint8_t>{1, 0, 0, 0}));
  TkvBusinessTypes allButJoinClient{gbuSupplier, gbuClient, gbuShoppe, gbuJoinShop, gbuAgent,
                                    gbuSelfShop};
  EXPECT_EQ(allButJoinClient.ToBytes(), std::vector<uint8_t>{95});
  EXPECT_EQ((TkvStockTypes{gsoMain, gsoSelfShop, gsoShoppe, gsoTransfer}).ToBytes(),
            std::vector<uint8_t>{15});
  TBasicTypes last{btOrderType, btNo};
  const std::vector<uint8_t> bytes = last.ToBytes();
  ASSERT_EQ(bytes.size(), 20u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[19], 1u << (156 % 8));
}

TEST(componenttype, SetsReadAndWriteMemberLists) {
  const TBaseSelectOptions s = TBaseSelectOptions::FromString("[ bopMultiSelect , bopInsert ]");
  EXPECT_TRUE(s.Contains(bopInsert));
  EXPECT_TRUE(s.Contains(bopMultiSelect));
  EXPECT_FALSE(s.Contains(bopRemember));
  EXPECT_EQ(s.ToString(), "[bopInsert,bopMultiSelect]");
  EXPECT_TRUE(TkvStockTypes::FromString("[]").Empty());
  EXPECT_EQ(TBasicTypes::FromString("[btOrderType,btjoinselfAndShop]").ToString(),
            "[btjoinselfAndShop,btOrderType]");
  EXPECT_EQ(TkvBusinessTypes::FromBits(0xFF).Bits(), 0x7Fu);
}
