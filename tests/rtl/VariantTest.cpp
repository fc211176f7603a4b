// Variant: the conversion table and its errors, comparison across kinds, arithmetic
// result kinds, arrays with bounds and independent copies.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include "rtl/DateTime.h"
#include "rtl/Variant.h"
#include "tests/support/ErrorText.h"

namespace {

// One value rendered as "<type>:<text>" so whole results compare as one string.
std::string Show(const Variant& v) {
  if (v.IsArray()) {
    std::string s = VarTypeAsText(v.VType()) + "[";
    for (int i = VarArrayLowBound(v, 1); i <= VarArrayHighBound(v, 1); ++i) {
      if (i != VarArrayLowBound(v, 1)) s += ",";
      s += Show(v[i]);
    }
    return s + "]";
  }
  if (v.IsNull()) return "Null";
  if (v.IsEmpty()) return "Empty";
  return VarTypeAsText(v.VType()) + ":" + v.AsString();
}

// Runs f and renders its outcome: the value, or the exception class and message.
std::string Outcome(const std::function<Variant()>& f) {
  try {
    return Show(f());
  } catch (const Exception& e) {
    return postest::ErrorText(e);
  }
}

Variant Date(int y, int m, int d) { return Variant::FromDate(EncodeDate(y, m, d)); }

// VarCompareValue orders the values totally: antisymmetric and transitive over every pair
// and triple.
void ExpectTotalOrder(const std::vector<Variant>& zoo) {
  auto cmp = [](const Variant& a, const Variant& b) {
    TVariantRelationship r = VarCompareValue(a, b);
    return r == vrLessThan ? -1 : r == vrGreaterThan ? 1 : 0;
  };
  for (const Variant& a : zoo)
    for (const Variant& b : zoo) {
      ASSERT_EQ(cmp(a, b), -cmp(b, a)) << Show(a) << " vs " << Show(b);
      for (const Variant& c : zoo) {
        if (cmp(a, b) <= 0 && cmp(b, c) <= 0) {
          ASSERT_LE(cmp(a, c), 0) << Show(a) << " <= " << Show(b) << " <= " << Show(c);
        }
      }
    }
}

}  // namespace

// --- conversions -----------------------------------------------------------------------------

struct CastCase {
  const char* name;
  Variant value;
  TVarType target;
  const char* expected;
};

TEST(VariantConversion, RuleTable) {
  const CastCase cases[] = {
      // Empty converts to the zero of every kind.
      {"empty-int", Variant(), varInteger, "Integer:0"},
      {"empty-str", Variant(), varString, "String:"},
      {"empty-bool", Variant(), varBoolean, "Boolean:False"},
      {"empty-double", Variant(), varDouble, "Double:0"},
      // Null converts to nothing.
      {"null-int", Variant::Null(), varInteger,
       "EVariantTypeCastError: Could not convert variant of type (Null) into type (Integer)"},
      {"null-str", Variant::Null(), varString,
       "EVariantTypeCastError: Could not convert variant of type (Null) into type (String)"},
      {"null-ole", Variant::Null(), varOleStr,
       "EVariantTypeCastError: Could not convert variant of type (Null) into type (OleStr)"},
      {"null-bool", Variant::Null(), varBoolean,
       "EVariantTypeCastError: Could not convert variant of type (Null) into type (Boolean)"},
      {"null-null", Variant::Null(), varNull, "Null"},
      // Booleans are -1/0 as numbers and True/False as text.
      {"true-int", Variant(true), varInteger, "Integer:-1"},
      {"false-int", Variant(false), varSmallint, "Smallint:0"},
      {"true-double", Variant(true), varDouble, "Double:-1"},
      {"true-str", Variant(true), varString, "String:True"},
      {"false-ole", Variant(false), varOleStr, "OleStr:False"},
      {"true-cur", Variant(true), varCurrency, "Currency:-1"},
      // Text to numbers: '.' decimal point, blanks around allowed.
      {"str-int", Variant("42"), varInteger, "Integer:42"},
      {"str-int-blanks", Variant(" 42 "), varInteger, "Integer:42"},
      {"str-int-float", Variant("2.5"), varInteger, "Integer:2"},
      {"str-int-float-odd", Variant("3.5"), varInteger, "Integer:4"},
      {"str-double", Variant("1.25"), varDouble, "Double:1.25"},
      {"str-double-exp", Variant("1e3"), varDouble, "Double:1000"},
      {"str-cur", Variant("12.3456"), varCurrency, "Currency:12.3456"},
      {"str-bcd", Variant("-0.000123"), varFMTBcd, "FMTBcd:-0.000123"},
      {"str-int64", Variant("9223372036854775807"), varInt64, "Int64:9223372036854775807"},
      {"str-bad", Variant("abc"), varInteger,
       "EVariantTypeCastError: Could not convert variant of type (String) into type (Integer)"},
      {"str-bad-double", Variant("1,5"), varDouble,
       "EVariantTypeCastError: Could not convert variant of type (String) into type (Double)"},
      {"str-empty-int", Variant(""), varInteger,
       "EVariantTypeCastError: Could not convert variant of type (String) into type (Integer)"},
      {"ole-bad", Variant(u"x1"), varDouble,
       "EVariantTypeCastError: Could not convert variant of type (OleStr) into type (Double)"},
      {"str-bool-true", Variant("tRUe"), varBoolean, "Boolean:True"},
      {"str-bool-num", Variant("0"), varBoolean, "Boolean:False"},
      {"str-bool-num2", Variant("-2"), varBoolean, "Boolean:True"},
      {"str-bool-bad", Variant("yes"), varBoolean,
       "EVariantTypeCastError: Could not convert variant of type (String) into type (Boolean)"},
      // Floats to integers: half to even, range checked.
      {"dbl-int-half", Variant(2.5), varInteger, "Integer:2"},
      {"dbl-int-half-neg", Variant(-3.5), varInteger, "Integer:-4"},
      {"dbl-int-near", Variant(2.51), varInteger, "Integer:3"},
      {"dbl-byte-over", Variant(255.6), varByte,
       "EVariantOverflowError: Overflow while converting variant of type (Double) into type (Byte)"},
      {"dbl-int-nan", Variant(std::nan("")), varInteger,
       "EVariantOverflowError: Overflow while converting variant of type (Double) into type (Integer)"},
      {"dbl-int64-huge", Variant(1e30), varInt64,
       "EVariantOverflowError: Overflow while converting variant of type (Double) into type (Int64)"},
      // Integer narrowing.
      {"int-byte", Variant(255), varByte, "Byte:255"},
      {"int-byte-over", Variant(256), varByte,
       "EVariantOverflowError: Overflow while converting variant of type (Integer) into type (Byte)"},
      {"int-byte-neg", Variant(-1), varByte,
       "EVariantOverflowError: Overflow while converting variant of type (Integer) into type (Byte)"},
      {"int-shortint", Variant(-128), varShortInt, "ShortInt:-128"},
      {"int-smallint-over", Variant(40000), varSmallint,
       "EVariantOverflowError: Overflow while converting variant of type (Integer) into type (Smallint)"},
      {"int-word", Variant(65535), varWord, "Word:65535"},
      {"int64-int-over", Variant(3000000000LL), varInteger,
       "EVariantOverflowError: Overflow while converting variant of type (Int64) into type (Integer)"},
      {"int64-longword", Variant(3000000000LL), varLongWord, "LongWord:3000000000"},
      {"str-byte-over", Variant("300"), varByte,
       "EVariantOverflowError: Overflow while converting variant of type (String) into type (Byte)"},
      // Numbers to text.
      {"int-str", Variant(-17), varString, "String:-17"},
      {"dbl-str", Variant(12.5), varString, "String:12.5"},
      {"dbl-str-noise", Variant(0.1 + 0.2), varString, "String:0.3"},
      {"single-str", Variant(0.1f), varString, "String:0.1"},
      {"cur-str", Variant(Currency(2.5)), varString, "String:2.5"},
      {"bcd-str", Variant::FromBcd(123450, 3), varString, "String:123.45"},
      {"bcd-str-int", Variant::FromBcd(-5000, 3), varString, "String:-5"},
      {"bcd-str-small", Variant::FromBcd(5, 4), varString, "String:0.0005"},
      // Currency and decimals.
      {"dbl-cur", Variant(1.23456), varCurrency, "Currency:1.2346"},
      {"cur-int", Variant(Currency(2.5)), varInteger, "Integer:2"},
      {"cur-int-odd", Variant(Currency(3.5)), varInteger, "Integer:4"},
      {"bcd-cur", Variant::FromBcd(123456789, 6), varCurrency, "Currency:123.4568"},
      {"bcd-int", Variant::FromBcd(25, 1), varInteger, "Integer:2"},
      {"dbl-bcd", Variant(0.1), varFMTBcd, "FMTBcd:0.1"},
      {"cur-bcd", Variant(Currency(7.25)), varFMTBcd, "FMTBcd:7.25"},
      {"cur-over", Variant(1e300), varCurrency,
       "EVariantOverflowError: Overflow while converting variant of type (Double) into type (Currency)"},
      // Dates.
      {"date-str", Date(2024, 3, 5), varString, "String:2024-03-05"},
      {"date-str-time", Variant::FromDate(EncodeDate(2024, 3, 5) + 0.5), varString, "String:2024-03-05 12:00:00"},
      // Day 0 (1899-12-30) is left out: the time alone, as the platform shows it.
      {"date-str-day0", Variant::FromDate(0.5), varString, "String:12:00:00"},
      {"date-str-day0-midnight", Variant::FromDate(0), varString, "String:00:00:00"},
      {"date-str-day0-negative", Variant::FromDate(-0.25), varString, "String:06:00:00"},
      {"date-str-day1", Variant::FromDate(1.5), varString, "String:1899-12-31 12:00:00"},
      {"date-str-day-1", Variant::FromDate(-1.5), varString, "String:1899-12-29 12:00:00"},
      {"str-date-time", Variant("12:00:00"), varDate, "Date:12:00:00"},
      {"date-dbl", Date(1899, 12, 31), varDouble, "Double:1"},
      {"str-date", Variant("2024-03-05"), varDate, "Date:2024-03-05"},
      {"num-date", Variant(2), varDate, "Date:1900-01-01"},
      {"date-bad", Variant("not a date"), varDate,
       "EVariantTypeCastError: Could not convert variant of type (String) into type (Date)"},
      // Strings between the two kinds through GBK.
      {"ole-str", Variant(u"中文abc"), varString, "String:中文abc"},
      {"str-ole", Variant("中文abc"), varOleStr, "OleStr:中文abc"},
      // Arrays convert to no scalar.
      {"array-int", VarArrayOf({1, 2}), varInteger,
       "EVariantTypeCastError: Could not convert variant of type (Array Variant) into type (Integer)"},
      {"array-to-int-array", VarArrayOf({"1", 2.6}), varArray | varInteger, "Array Integer[Integer:1,Integer:3]"},
  };
  for (const CastCase& c : cases) {
    EXPECT_EQ(Outcome([&] { return VarAsType(c.value, c.target); }), c.expected) << c.name;
  }
}

TEST(VariantConversion, AccessorsFollowTheTable) {
  EXPECT_EQ(Variant("  7 ").AsInteger(), 7);
  EXPECT_EQ(Variant(true).AsInt64(), -1);
  EXPECT_EQ(Variant().AsString(), "");
  EXPECT_EQ(Variant(3000000000LL).AsInt64(), 3000000000LL);
  EXPECT_THROW(Variant(3000000000LL).AsInteger(), EVariantOverflowError);
  EXPECT_THROW(Variant::Null().AsInteger(), EVariantTypeCastError);
  EXPECT_THROW(Variant::Null().AsString(), EVariantTypeCastError);
  EXPECT_DOUBLE_EQ(Variant("0.5").AsDouble(), 0.5);
  EXPECT_EQ(Variant("1.5").AsCurrency().Scaled(), 15000);
  EXPECT_EQ(Variant(u"中").AsString(), "中");
  EXPECT_EQ(Variant("中").AsWideString(), u"中");
  EXPECT_DOUBLE_EQ(Variant("2024-03-05 12:00:00").AsDateTime(), EncodeDate(2024, 3, 5) + 0.5);
}

TEST(VariantConversion, NullTextIsEmptyOnlyThroughVarToStr) {
  EXPECT_EQ(VarToStr(Variant::Null()), "");
  EXPECT_EQ(VarToWideStr(Variant::Null()), u"");
  EXPECT_EQ(VarToStr(Variant(5)), "5");
}

TEST(VariantConversion, ConstructorsPickTheKinds) {
  struct {
    Variant v;
    TVarType type;
  } cases[] = {
      {Variant(), varEmpty},           {Variant::Null(), varNull},
      {Variant(true), varBoolean},     {Variant(int8_t(1)), varShortInt},
      {Variant(uint8_t(1)), varByte},  {Variant(int16_t(1)), varSmallint},
      {Variant(uint16_t(1)), varWord}, {Variant(1), varInteger},
      {Variant(1u), varLongWord},      {Variant(int64_t(1)), varInt64},
      {Variant(1.0f), varSingle},      {Variant(1.0), varDouble},
      {Variant(Currency(1)), varCurrency}, {Variant("a"), varString},
      {Variant(AnsiString("a")), varString}, {Variant(u"a"), varOleStr},
      {Variant::FromDate(1), varDate}, {Variant::FromBcd(1, 2), varFMTBcd},
      {Variant::OfType(varByte, 7), varByte},
  };
  for (auto& c : cases) EXPECT_EQ(c.v.VType(), c.type) << VarTypeAsText(c.type);
  EXPECT_THROW(Variant::FromBcd(1, 19), EVariantInvalidArgError);
}

TEST(VariantConversion, TypeTests) {
  EXPECT_TRUE(VarIsNumeric(Variant(1)) && VarIsNumeric(Variant(true)) && VarIsNumeric(Variant(Currency(1))));
  EXPECT_FALSE(VarIsNumeric(Variant("1")) || VarIsNumeric(Variant::FromDate(1)) || VarIsNumeric(Variant()));
  EXPECT_TRUE(VarIsOrdinal(Variant(true)) && VarIsOrdinal(Variant(int64_t(1))));
  EXPECT_FALSE(VarIsOrdinal(Variant(1.0)));
  EXPECT_TRUE(VarIsFloat(Variant::FromBcd(1, 1)) && VarIsFloat(Variant(1.0f)));
  EXPECT_TRUE(VarIsStr(Variant(u"")) && VarIsStr(Variant("")));
  EXPECT_TRUE(VarIsClear(Unassigned) && VarIsEmpty(Variant()));
  EXPECT_TRUE(VarIsType(Variant(1), {varSmallint, varInteger}));
  EXPECT_FALSE(VarIsType(Variant(1), varInt64));
  EXPECT_TRUE(VarIsArray(VarArrayOf({})));
}

// --- comparison --------------------------------------------------------------------------------

TEST(VariantCompare, AcrossKinds) {
  struct {
    Variant a, b;
    TVariantRelationship expected;
  } cases[] = {
      {Variant(1), Variant(1.0), vrEqual},
      {Variant(int16_t(2)), Variant(int64_t(3)), vrLessThan},
      {Variant(1), Variant("1"), vrEqual},
      {Variant("10"), Variant(9), vrGreaterThan},          // as numbers, not as text
      {Variant("1.50"), Variant(Currency(1.5)), vrEqual},
      {Variant(Currency(1.5)), Variant::FromBcd(15, 1), vrEqual},
      {Variant::FromBcd(100000000000000001LL, 1), Variant::FromBcd(1, 0), vrGreaterThan},
      {Variant(9007199254740993LL), Variant(9007199254740992.0), vrGreaterThan},  // exact, not via double
      {Variant(true), Variant(-1), vrEqual},
      {Variant(true), Variant(false), vrLessThan},         // -1 < 0
      {Variant("True"), Variant(true), vrEqual},
      {Variant("abc"), Variant("abd"), vrLessThan},
      {Variant("abc"), Variant("ABC"), vrGreaterThan},     // case-sensitive
      {Variant(u"abc"), Variant("abc"), vrEqual},          // wide and GBK: the same text
      {Variant(u"中文"), Variant("中文"), vrEqual},
      {Variant(u"b"), Variant("a"), vrGreaterThan},
      {Variant(), Variant(0), vrNotEqual},                 // VarCompareValue: Empty only equals Empty
      {Variant(), Variant(), vrEqual},
      {Variant::Null(), Variant::Null(), vrEqual},
      {Variant::Null(), Variant(0), vrNotEqual},
      {Variant(0), Variant::Null(), vrNotEqual},
      {Date(2024, 1, 2), Date(2024, 1, 1), vrGreaterThan},
      {Date(2024, 1, 2), Variant("2024-01-02"), vrEqual},
      {Date(2024, 1, 2), Variant(45293), vrEqual},
  };
  for (auto& c : cases) {
    EXPECT_EQ(VarCompareValue(c.a, c.b), c.expected) << Show(c.a) << " vs " << Show(c.b);
    // The reverse direction agrees.
    TVariantRelationship rev = c.expected == vrLessThan ? vrGreaterThan
                               : c.expected == vrGreaterThan ? vrLessThan : c.expected;
    EXPECT_EQ(VarCompareValue(c.b, c.a), rev) << Show(c.b) << " vs " << Show(c.a);
  }
}

TEST(VariantCompare, NumbersOfEveryKindFormOneTotalOrder) {
  const std::vector<Variant> zoo = {
      Variant(0), Variant(-1), Variant(true), Variant(false), Variant(uint8_t(255)), Variant(int16_t(-300)),
      Variant(INT64_MAX), Variant(INT64_MIN), Variant(0.5), Variant(-0.5f), Variant(1e300), Variant(-1e300),
      Variant(std::nan("")), Variant(Currency(0.5)), Variant(Currency::FromScaled(INT64_MAX)),
      Variant::FromBcd(5, 1), Variant::FromBcd(INT64_MAX, 18), Variant::FromBcd(-1, 18), Variant::FromDate(0.5),
      Variant("0.50"), Variant("-1"), Variant(u"255"), Variant(9007199254740993LL), Variant(9007199254740992.0),
  };
  ExpectTotalOrder(zoo);
}

TEST(VariantCompare, TextsOfBothKindsFormOneTotalOrder) {
  const std::vector<Variant> zoo = {
      Variant("a"), Variant("B"), Variant("A"), Variant("b"), Variant(""), Variant("abc"), Variant("中文"),
      Variant("中"), Variant(u"a"), Variant(u"B"), Variant(u"\u00e9"), Variant(u"\u0101"), Variant(u"中文"),
      Variant("?"), Variant(u"?"), Variant("a b"), Variant("Z"), Variant("~"),
  };
  ExpectTotalOrder(zoo);
}

TEST(VariantCompare, OperatorsAndNull) {
  EXPECT_TRUE(Variant::Null() == Variant::Null());
  EXPECT_FALSE(Variant::Null() == Variant(0));
  EXPECT_FALSE(Variant("") == Variant::Null());
  EXPECT_TRUE(Variant::Null() < Variant(-1e300));
  EXPECT_FALSE(Variant(0) < Variant::Null());
  EXPECT_TRUE(Variant(0) > Variant::Null());
  EXPECT_TRUE(Variant() == Variant(0));   // Empty takes the other side's kind
  EXPECT_TRUE(Variant() == Variant(""));
  EXPECT_TRUE(Variant() < Variant("a"));
  EXPECT_TRUE(Variant(2) <= Variant(2.0));
  EXPECT_TRUE(Variant(2) != Variant(3));
  EXPECT_TRUE(VarSameValue(Variant(), Variant()));
  EXPECT_FALSE(VarSameValue(Variant(), Variant(0)));
  EXPECT_TRUE(VarSameValue(Variant(3), Variant("3")));
}

TEST(VariantCompare, ConversionFailuresRaise) {
  EXPECT_THROW((void)(Variant("abc") == Variant(1)), EVariantTypeCastError);
  EXPECT_THROW((void)(Variant(1) < Variant("abc")), EVariantTypeCastError);
  EXPECT_THROW(VarCompareValue(Date(2024, 1, 1), Variant("x")), EVariantTypeCastError);
  EXPECT_THROW((void)(VarArrayOf({1}) == VarArrayOf({1})), EVariantInvalidOpError);
}

TEST(VariantCompare, NaNKeepsTheOrderTotal) {
  Variant nan(std::nan("")), one(1.0);
  EXPECT_EQ(VarCompareValue(nan, nan), vrEqual);
  EXPECT_EQ(VarCompareValue(nan, one), vrLessThan);
  EXPECT_EQ(VarCompareValue(one, nan), vrGreaterThan);
}

TEST(VariantCompare, WideTextsThatGbkCannotTellApartStayDistinct) {
  // U+00E9 and U+0101 have no GBK form beyond '?': they must not compare equal.
  Variant a(u"\u00e9"), b(u"\u0101");
  EXPECT_NE(VarCompareValue(a, b), vrEqual);
  EXPECT_EQ(VarCompareValue(a, b), VarCompareValue(b, a) == vrLessThan ? vrGreaterThan : vrLessThan);
}

// --- arithmetic --------------------------------------------------------------------------------

TEST(VariantArithmetic, ResultKinds) {
  struct {
    const char* name;
    std::function<Variant()> f;
    const char* expected;
  } cases[] = {
      {"int+int", [] { return Variant(2) + Variant(3); }, "Integer:5"},
      {"int+int wide", [] { return Variant(2000000000) + Variant(2000000000); }, "Int64:4000000000"},
      {"int64+int", [] { return Variant(int64_t(1)) + Variant(1); }, "Int64:2"},
      {"byte*byte", [] { return Variant(uint8_t(200)) * Variant(uint8_t(200)); }, "Integer:40000"},
      {"int/int", [] { return Variant(7) / Variant(2); }, "Double:3.5"},
      {"int-dbl", [] { return Variant(1) - Variant(0.25); }, "Double:0.75"},
      {"str+str", [] { return Variant("ab") + Variant("cd"); }, "String:abcd"},
      {"str+ole", [] { return Variant("中") + Variant(u"文"); }, "OleStr:中文"},
      {"str+empty", [] { return Variant("ab") + Variant(); }, "String:ab"},
      {"str+int", [] { return Variant("1.5") + Variant(2); }, "Double:3.5"},
      {"str*str", [] { return Variant("3") * Variant("4"); }, "Double:12"},
      {"str+int bad", [] { return Variant("x") + Variant(2); },
       "EVariantTypeCastError: Could not convert variant of type (String) into type (Double)"},
      {"null+int", [] { return Variant::Null() + Variant(2); }, "Null"},
      {"int*null", [] { return Variant(2) * Variant::Null(); }, "Null"},
      {"empty+int", [] { return Variant() + Variant(2); }, "Integer:2"},
      {"bool+int", [] { return Variant(true) + Variant(1); }, "Integer:0"},
      {"cur+int", [] { return Variant(Currency(1.5)) + Variant(1); }, "Currency:2.5"},
      {"cur*cur", [] { return Variant(Currency(1.5)) * Variant(Currency(1.5)); }, "Currency:2.25"},
      {"cur/int", [] { return Variant(Currency(10)) / Variant(3); }, "Currency:3.3333"},
      {"cur+dbl", [] { return Variant(Currency(1.5)) + Variant(0.25); }, "Double:1.75"},
      {"bcd+int", [] { return Variant::FromBcd(125, 2) + Variant(1); }, "FMTBcd:2.25"},
      {"bcd*bcd", [] { return Variant::FromBcd(15, 1) * Variant::FromBcd(15, 1); }, "FMTBcd:2.25"},
      {"bcd+cur", [] { return Variant::FromBcd(1, 5) + Variant(Currency(1)); }, "FMTBcd:1.00001"},
      {"bcd*bcd round", [] { return Variant::FromBcd(15, 10) * Variant::FromBcd(15, 10); }, "FMTBcd:0.000000000000000002"},
      {"bcd/int", [] { return Variant::FromBcd(1, 0) / Variant(4); }, "Double:0.25"},
      {"date+int", [] { return Date(2024, 2, 28) + Variant(2); }, "Date:2024-03-01"},
      {"date-date", [] { return Date(2024, 3, 1) - Date(2024, 2, 28); }, "Double:2"},
      {"int/0", [] { return Variant(1) / Variant(0); }, "EZeroDivide: Floating point division by zero"},
      {"dbl/0", [] { return Variant(1.0) / Variant(0.0); }, "EZeroDivide: Floating point division by zero"},
      {"cur/0", [] { return Variant(Currency(1)) / Variant(0); }, "EZeroDivide: Floating point division by zero"},
      {"int64 overflow", [] { return Variant(INT64_MAX) + Variant(1); }, "EVariantOverflowError: Variant overflow"},
      {"array+1", [] { return VarArrayOf({1}) + Variant(1); }, "EVariantInvalidOpError: Invalid variant operation"},
      {"neg int", [] { return -Variant(5); }, "Integer:-5"},
      {"neg str", [] { return -Variant("2.5"); }, "Double:-2.5"},
      {"neg null", [] { return -Variant::Null(); }, "Null"},
      {"neg cur", [] { return -Variant(Currency(2)); }, "Currency:-2"},
      {"neg int64 min", [] { return -Variant(INT64_MIN); }, "EVariantOverflowError: Variant overflow"},
  };
  for (auto& c : cases) EXPECT_EQ(Outcome(c.f), c.expected) << c.name;
}

TEST(VariantArithmetic, CompoundAssignmentSums) {
  Variant total = Variant::FromCurrency(Currency(0));
  for (int i = 0; i < 10; ++i) total += Variant(Currency(0.1));
  EXPECT_EQ(Show(total), "Currency:1");
}

// --- arrays ------------------------------------------------------------------------------------

TEST(VariantArray, BoundsAndElementsWithNonZeroLowBound) {
  Variant a = VarArrayCreate({1, 3}, varInteger);
  EXPECT_EQ(a.VType(), varArray | varInteger);
  EXPECT_EQ(VarArrayDimCount(a), 1);
  EXPECT_EQ(VarArrayLowBound(a, 1), 1);
  EXPECT_EQ(VarArrayHighBound(a, 1), 3);
  EXPECT_EQ(Show(a), "Array Integer[Integer:0,Integer:0,Integer:0]");
  a.PutElement(1, "5");  // converted to the element type
  VarArrayPut(a, 2.5, {3});
  EXPECT_EQ(Show(a), "Array Integer[Integer:5,Integer:0,Integer:2]");
  EXPECT_THROW(a[0], EVariantBadIndexError);
  EXPECT_THROW(a[4], EVariantBadIndexError);
  EXPECT_THROW(a.PutElement(0, 1), EVariantBadIndexError);
  EXPECT_THROW(a.PutElement(2, "x"), EVariantTypeCastError);
  EXPECT_EQ(Show(a), "Array Integer[Integer:5,Integer:0,Integer:2]");  // failed put changed nothing
  EXPECT_THROW(VarArrayLowBound(a, 2), EVariantInvalidArgError);
  EXPECT_THROW(VarArrayLowBound(Variant(1), 1), EVariantInvalidArgError);
  EXPECT_THROW(Variant(1)[0], EVariantInvalidArgError);
}

TEST(VariantArray, CopiesAreIndependent) {
  Variant a = VarArrayOf({1, "two", VarArrayOf({3})});
  Variant b = a;
  b.PutElement(0, 100);
  Variant inner = b[2];
  inner.PutElement(0, 300);
  b.PutElement(2, inner);
  EXPECT_EQ(Show(a), "Array Variant[Integer:1,String:two,Array Variant[Integer:3]]");
  EXPECT_EQ(Show(b), "Array Variant[Integer:100,String:two,Array Variant[Integer:300]]");
  Variant c = a;
  a.PutElement(1, Variant::Null());
  EXPECT_EQ(Show(c[1]), "String:two");
}

TEST(VariantArray, MultipleDimensions) {
  Variant m = VarArrayCreate({0, 1, 5, 7}, varVariant);
  EXPECT_EQ(VarArrayDimCount(m), 2);
  EXPECT_EQ(VarArrayLowBound(m, 2), 5);
  EXPECT_EQ(VarArrayHighBound(m, 2), 7);
  for (int i = 0; i <= 1; ++i)
    for (int j = 5; j <= 7; ++j) VarArrayPut(m, i * 10 + j, {i, j});
  EXPECT_EQ(VarArrayGet(m, {1, 6}).AsInteger(), 16);
  EXPECT_THROW(VarArrayGet(m, {1}), EVariantBadIndexError);
  EXPECT_THROW(VarArrayGet(m, {2, 5}), EVariantBadIndexError);
  EXPECT_THROW(m[0], EVariantBadIndexError);  // one index for two dimensions
  VarArrayRedim(m, 8);
  EXPECT_EQ(VarArrayGet(m, {1, 7}).AsInteger(), 17);
  EXPECT_TRUE(VarArrayGet(m, {1, 8}).IsEmpty());
  VarArrayRedim(m, 5);
  EXPECT_EQ(VarArrayGet(m, {0, 5}).AsInteger(), 5);
  EXPECT_EQ(VarArrayGet(m, {1, 5}).AsInteger(), 15);
}

TEST(VariantArray, CreateAndRedim) {
  Variant e = VarArrayCreate({0, -1}, varVariant);
  EXPECT_EQ(VarArrayHighBound(e, 1), -1);
  EXPECT_THROW(e[0], EVariantBadIndexError);
  EXPECT_THROW(VarArrayCreate({0, -2}, varVariant), EVariantInvalidArgError);
  EXPECT_THROW(VarArrayCreate({0}, varVariant), EVariantInvalidArgError);
  EXPECT_THROW(VarArrayCreate({0, 1}, varNull), EVariantInvalidArgError);
  EXPECT_THROW(VarArrayCreate({0, 1 << 30}, varVariant), EVariantInvalidArgError);
  Variant s = VarArrayCreate({-2, -1}, varOleStr);
  EXPECT_EQ(Show(s), "Array OleStr[OleStr:,OleStr:]");
  s.PutElement(-1, 12);
  Variant t = s;
  VarArrayRedim(s, 1);
  EXPECT_EQ(Show(s), "Array OleStr[OleStr:,OleStr:12,OleStr:,OleStr:]");
  EXPECT_EQ(Show(t), "Array OleStr[OleStr:,OleStr:12]");
  VarArrayRedim(s, -3);
  EXPECT_EQ(VarArrayHighBound(s, 1), -3);
  EXPECT_THROW(VarArrayRedim(s, -4), EVariantInvalidArgError);
}

// The packed parameter list of the remote calls: Null, or an array of
// [Name, Value, DataType, ParamType, Size, Precision, NumericScale] arrays.
TEST(VariantArray, PackedParameterShape) {
  Variant params = VarArrayOf({
      VarArrayOf({"@Code", "A01", 1, 1, 20, 0, 0}),
      VarArrayOf({"@Qty", Currency(2.5), 7, 1, 0, 19, 4}),
  });
  EXPECT_EQ(VarArrayHighBound(params, 1), 1);
  const Variant& second = params[1];
  EXPECT_EQ(second[0].AsString(), "@Qty");
  EXPECT_EQ(second[1].VType(), varCurrency);
  EXPECT_EQ(second[6].AsInteger(), 4);
  EXPECT_TRUE(Variant::Null().IsNull());
}
