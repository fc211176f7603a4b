// Property enumerations: ordinals, names as forms write them, set encodings.
#include <gtest/gtest.h>

#include "controls/componenttype.h"

TEST(componenttype, FormNamesLoadIntoTheirOrdinals) {
  struct Row {
    const char* name;
    int ordinal;
  };
  const Row basic[] = {{"btNo", 0},          {"btAtype", 1},       {"btCustom01", 41},
                       {"btCustom30", 70},   {"btLastSalePrice", 71}, {"btKVType", 106},
                       {"btATypePX", 112},   {"btjoinselfAndShop", 139}, {"btCardType", 141},
                       {"btOrderType", 156}};
  for (const Row& r : basic) {
    TBasicType t{};
    ASSERT_TRUE(TryEnumFromName(r.name, t)) << r.name;
    EXPECT_EQ(static_cast<int>(t), r.ordinal) << r.name;
    EXPECT_STREQ(EnumName(t), r.name);
  }
  EXPECT_EQ(EnumFromName<TFrameWork>("fwfwResetTop2"), fwfwResetTop2);
  EXPECT_EQ(static_cast<int>(fwfwResetTop2), 3);
  EXPECT_EQ(EnumFromName<TDataType>("dtIntegerPlus"), dtIntegerPlus);
  EXPECT_EQ(static_cast<int>(dtIntegerPlus), 9);
  // The platform's type information ignores the case of names.
  EXPECT_EQ(EnumFromName<TBasicType>("BTJOINSELFANDSHOP"), btjoinselfAndShop);
}

TEST(componenttype, EveryNameIsUniqueAndRoundTrips) {
  for (int i = 0; i < TEnumInfo<TBasicType>::Count; ++i) {
    const auto t = static_cast<TBasicType>(i);
    TBasicType back{};
    ASSERT_TRUE(TryEnumFromName(EnumName(t), back)) << i;
    EXPECT_EQ(back, t) << EnumName(t);
  }
  EXPECT_STREQ(EnumName(static_cast<TBasicType>(157)), "");
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
