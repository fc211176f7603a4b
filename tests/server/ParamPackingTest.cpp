// Parameter lists of remote calls: round trip, and lists that do not have the shape.
#include "server/ParamPacking.h"

#include <gtest/gtest.h>
#include "server/StoreErrors.h"

using store::PackedParam;
using store::PackParams;
using store::UnpackParams;

namespace {

TEST(ParamPacking, EmptyListIsNullAndNullIsEmpty) {
  EXPECT_TRUE(PackParams({}).IsNull());
  EXPECT_TRUE(UnpackParams(Variant::Null()).empty());
  EXPECT_TRUE(UnpackParams(Variant()).empty());
}

TEST(ParamPacking, RoundTripKeepsEveryEntry) {
  PackedParam a;
  a.Name = "@szReturn";
  a.Value = Variant(AnsiString("1"));
  a.DataType = ftString;
  a.ParamType = store::pkOutput;
  a.Size = 255;
  PackedParam b;
  b.Name = "@IndexValue";
  b.Value = Variant(42);
  b.DataType = ftInteger;
  b.Precision = 10;
  b.NumericScale = 2;
  const auto back = UnpackParams(PackParams({a, b}));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].Name, "@szReturn");
  EXPECT_EQ(back[0].Value.AsString(), "1");
  EXPECT_EQ(back[0].DataType, ftString);
  EXPECT_EQ(back[0].ParamType, store::pkOutput);
  EXPECT_EQ(back[0].Size, 255);
  EXPECT_EQ(back[1].Value.AsInteger(), 42);
  EXPECT_EQ(back[1].Precision, 10);
  EXPECT_EQ(back[1].NumericScale, 2);
}

TEST(ParamPacking, ShortEntriesCountTheMissingFieldsAsZero) {
  const auto list = UnpackParams(VarArrayOf({VarArrayOf({Variant("@a"), Variant(1)})}));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].DataType, ftUnknown);
  EXPECT_EQ(list[0].ParamType, store::pkUnknown);
}

TEST(ParamPacking, MalformedListsSayWhatIsWrong) {
  Variant oneBased = VarArrayCreate({1, 1}, varVariant);
  oneBased.PutElement(1, VarArrayOf({Variant("@a"), Variant(1)}));
  const struct {
    Variant List;
    const char* Message;
  } cases[] = {
      {Variant(5), "Parameter list: not a zero-based array of parameters."},
      {oneBased, "Parameter list: not a zero-based array of parameters."},
      {VarArrayOf({Variant(5)}), "Parameter list: entry 0 is not an array."},
      {VarArrayOf({VarArrayOf({Variant("@a")})}), "Parameter list: entry 0 has 1 fields (2 to 7 expected)."},
      {VarArrayOf({VarArrayOf({Variant(1), Variant(1)})}), "Parameter list: entry 0 has no name."},
      {VarArrayOf({VarArrayOf({Variant("@a"), VarArrayOf({Variant(1)})})}),
       "Parameter @a: an array is not a parameter value."},
      {VarArrayOf({VarArrayOf({Variant("@a"), Variant(1), Variant(99)})}), "Parameter @a: unknown data type 99."},
      {VarArrayOf({VarArrayOf({Variant("@a"), Variant(1), Variant("x")})}),
       "Parameter list: entry 0 has a data type that is not an integer."},
      {VarArrayOf({VarArrayOf({Variant("@a"), Variant(1), Variant(1), Variant(5)})}),
       "Parameter @a: unknown parameter kind 5."},
      {VarArrayOf({VarArrayOf({Variant("@a"), Variant(1), Variant(1), Variant(1), Variant(5000000000LL)})}),
       "Parameter list: entry 0 has a size out of range."},
  };
  for (const auto& c : cases) {
    try {
      UnpackParams(c.List);
      ADD_FAILURE() << "no error: " << c.Message;
    } catch (const EParamError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
}

TEST(ParamPacking, TooManyParametersAreRefusedBeforeReadingThem) {
  std::vector<Variant> many(store::kMaxParams + 1, Variant(0));
  EXPECT_THROW(UnpackParams(VarArrayOf(many)), EParamError);
}

}  // namespace
