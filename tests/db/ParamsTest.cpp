// Parameter lists: names, types from values, packing round trips, untrusted unpacking.
#include <gtest/gtest.h>
#include "db/Params.h"
#include "rtl/DateTime.h"

namespace {

// One line per parameter: name:type:kind=value.
std::string Render(const TParams& ps) {
  std::string out;
  for (int i = 0; i < ps.Count(); ++i) {
    const TParam* p = ps[i];
    out += p->Name() + ":" + std::to_string(p->DataType()) + ":" + std::to_string(p->ParamType()) +
           "=" + (p->IsNull() ? std::string("Null") : std::string(VarToStr(p->Value()))) + ";";
  }
  return out;
}

TEST(Params, DataTypeFollowsTheValue) {
  TParams ps;
  struct { Variant v; TFieldType t; } cases[] = {
      {Variant("text"), ftString}, {Variant(u"宽"), ftWideString}, {Variant(5), ftInteger},
      {Variant(short(5)), ftSmallint}, {Variant((unsigned char)0), ftSmallint},
      {Variant(2.5), ftFloat}, {Variant(true), ftBoolean},
      {Variant::FromDate(EncodeDate(2024, 3, 5)), ftDateTime}, {Variant(static_cast<long long>(1) << 40), ftLargeint},
      {Variant::FromCurrency(Currency(1)), ftBCD}, {Variant::Null(), ftUnknown}};
  for (auto& c : cases) {
    TParam* p = ps.Add();
    p->SetValue(c.v);
    EXPECT_EQ(p->DataType(), c.t) << VarToStr(c.v);
    EXPECT_EQ(p->ParamType(), ptUnknown);
  }
  // A type once set stays.
  ps[0]->SetValue(Variant(7));
  EXPECT_EQ(ps[0]->DataType(), ftString);
}

TEST(Params, FindIgnoresCaseAndMissingNamesRaise) {
  TParams ps;
  ps.CreateParam(ftInteger, "@PosUserId", ptInput)->SetAsInteger(3);
  EXPECT_EQ(ps.ParamByName("@POSUSERID")->AsInteger(), 3);
  EXPECT_EQ(ps.FindParam("@none"), nullptr);
  try {
    ps.ParamByName("@none");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Parameter '@none' not found");
  }
  EXPECT_THROW(ps.Items(5), EListError);
}

TEST(Params, NullGettersGiveNeutralValues) {
  TParam p;
  EXPECT_TRUE(p.IsNull());
  EXPECT_EQ(p.AsString(), "");
  EXPECT_EQ(p.AsInteger(), 0);
  EXPECT_EQ(p.AsFloat(), 0.0);
  EXPECT_FALSE(p.AsBoolean());
}

TEST(ParamsPacking, EmptyListPacksToNull) {
  TParams ps;
  EXPECT_TRUE(PackageParams(ps).IsNull());
  ps.CreateParam(ftInteger, "@r", ptResult);
  EXPECT_TRUE(PackageParams(ps, 1u << ptInput).IsNull());
}

TEST(ParamsPacking, ShapeIsAZeroBasedArrayOfSevenItemArrays) {
  TParams ps;
  TParam* p = ps.CreateParam(ftString, "@szName", ptInput);
  p->SetAsString("GetFirstBarCode");
  p->SetSize(50);
  const Variant packed = PackageParams(ps);
  ASSERT_TRUE(packed.IsArray());
  EXPECT_EQ(VarArrayLowBound(packed, 1), 0);
  EXPECT_EQ(VarArrayHighBound(packed, 1), 0);
  const Variant item = packed[0];
  EXPECT_EQ(VarArrayLowBound(item, 1), 0);
  EXPECT_EQ(VarArrayHighBound(item, 1), 6);
  EXPECT_EQ(item[0].AsString(), "@szName");
  EXPECT_EQ(item[1].AsString(), "GetFirstBarCode");
  EXPECT_EQ(item[2].AsInteger(), ftString);
  EXPECT_EQ(item[3].AsInteger(), ptInput);
  EXPECT_EQ(item[4].AsInteger(), 50);
}

TEST(ParamsPacking, RoundTripOfEveryKindAndValue) {
  TParams ps;
  ps.CreateParam(ftInteger, "@RETURN_VALUE", ptResult)->SetAsInteger(0);
  ps.CreateParam(ftString, "@in", ptInput)->SetAsString("衬衫");
  ps.CreateParam(ftFloat, "@out", ptOutput);
  ps.CreateParam(ftDateTime, "@io", ptInputOutput)->SetAsDateTime(EncodeDate(2024, 3, 5));
  ps.CreateParam(ftUnknown, "@u", ptUnknown)->SetValue(Variant(true));
  TParams back;
  UnpackParams(PackageParams(ps), back);
  EXPECT_EQ(Render(back), Render(ps));
  EXPECT_EQ(Render(back),
            "@RETURN_VALUE:3:4=0;@in:1:1=衬衫;@out:6:2=Null;@io:11:3=2024-03-05;@u:5:0=True;");
}

TEST(ParamsPacking, OutputParametersComeBackByName) {
  // The caller's list gets the server's values for its names, and new names are added.
  TParams mine;
  mine.CreateParam(ftString, "@szReturn", ptOutput);
  const Variant fromServer = VarArrayOf(
      {VarArrayOf({Variant("@SZRETURN"), Variant("1"), Variant(int(ftString)), Variant(int(ptOutput)),
                   Variant(0), Variant(0), Variant(0)}),
       VarArrayOf({Variant("@nCode"), Variant(-2), Variant(int(ftInteger)), Variant(int(ptInputOutput)),
                   Variant(0), Variant(0), Variant(0)})});
  UnpackParams(fromServer, mine);
  EXPECT_EQ(mine.Count(), 2);
  EXPECT_EQ(mine.ParamByName("@szReturn")->AsString(), "1");
  EXPECT_EQ(mine.ParamByName("@nCode")->AsInteger(), -2);
  EXPECT_EQ(mine.ParamByName("@nCode")->ParamType(), ptInputOutput);
}

TEST(ParamsPacking, ShorterItemsAndOtherLowBoundsAreAccepted) {
  Variant list = VarArrayCreate({1, 1}, varVariant);
  list.PutElement(1, VarArrayOf({Variant("@a"), Variant(5)}));
  TParams ps;
  UnpackParams(list, ps);
  EXPECT_EQ(Render(ps), "@a:3:0=5;");
}

TEST(ParamsPacking, MalformedListsRaiseAndChangeNothing) {
  const Variant bad[] = {
      Variant(5),
      VarArrayOf({Variant(1)}),
      VarArrayOf({VarArrayOf({Variant("@a")})}),
      VarArrayOf({VarArrayOf({Variant(1), Variant(2)})}),
      VarArrayOf({VarArrayOf({Variant("@a"), Variant(1), Variant(99)})}),
      VarArrayOf({VarArrayOf({Variant("@a"), Variant(1), Variant(3), Variant(9)})}),
      VarArrayOf({VarArrayOf({Variant("@a"), Variant(1), Variant("x")})}),
      VarArrayOf({VarArrayOf({Variant("@a"), VarArrayOf({Variant(1)})})}),
      VarArrayOf({VarArrayOf({Variant("@ok"), Variant(1)}), Variant("tail")}),
  };
  for (const Variant& v : bad) {
    TParams ps;
    ps.CreateParam(ftInteger, "@keep", ptInput)->SetAsInteger(1);
    EXPECT_THROW(UnpackParams(v, ps), EDataPacketError);
    EXPECT_EQ(Render(ps), "@keep:3:1=1;");
  }
  std::vector<Variant> many(kMaxPackedParams + 1, VarArrayOf({Variant("@a"), Variant(1)}));
  TParams ps;
  EXPECT_THROW(UnpackParams(VarArrayOf(many), ps), EDataPacketError);
}

TEST(Params, AssignCopiesEverything) {
  TParams a, b;
  TParam* p = a.CreateParam(ftBCD, "@x", ptInputOutput);
  p->SetValue(Variant::FromCurrency(Currency(2.5)));
  p->SetPrecision(10);
  p->SetNumericScale(2);
  b.CreateParam(ftInteger, "@old", ptInput);
  b.Assign(&a);
  EXPECT_EQ(Render(b), Render(a));
  EXPECT_EQ(b[0]->Precision(), 10);
  EXPECT_EQ(b[0]->NumericScale(), 2);
  a[0]->SetAsInteger(1);
  EXPECT_EQ(b[0]->AsString(), "2.5");
}

}  // namespace
