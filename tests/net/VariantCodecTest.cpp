// The tagged encoding of Variants: every kind round-trips exactly, and malformed or
// oversized input fails with "corrupt at offset N" instead of crashing or allocating.
#include "net/VariantCodec.h"

#include <gtest/gtest.h>

#include "net/NetErrors.h"
#include "WireRender.h"

using nettest::Render;
using posnet::VariantDecoder;
using posnet::VariantEncoder;
using posnet::WireLimits;
using posnet::WireReader;
using posnet::WireWriter;

namespace {

Variant RoundTrip(const Variant& v, const WireLimits& limits = WireLimits()) {
  WireWriter w;
  VariantEncoder(w, limits).Write(v);
  WireReader r(w.Data());
  VariantDecoder d(r, limits);
  Variant back = d.Read();
  r.ExpectEnd();
  return back;
}

std::string DecodeError(const std::vector<uint8_t>& bytes, const WireLimits& limits = WireLimits()) {
  WireReader r(bytes);
  try {
    VariantDecoder(r, limits).Read();
    r.ExpectEnd();
  } catch (const EProtocolError& e) {
    return e.Message();
  }
  return "no error";
}

Variant Nested(int depth) {
  Variant v(1);
  for (int i = 0; i < depth; ++i) v = VarArrayOf({v});
  return v;
}

struct KindCase {
  const char* name;
  Variant value;
};

class EveryKind : public testing::TestWithParam<KindCase> {};

TEST_P(EveryKind, RoundTripsExactly) {
  const Variant& v = GetParam().value;
  const Variant back = RoundTrip(v);
  EXPECT_EQ(back.VType(), v.VType());
  EXPECT_EQ(Render(back), Render(v));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EveryKind,
    testing::Values(
        KindCase{"Empty", Variant()}, KindCase{"Null", Variant::Null()},
        KindCase{"BooleanTrue", Variant(true)}, KindCase{"BooleanFalse", Variant(false)},
        KindCase{"ShortInt", Variant(static_cast<signed char>(-128))},
        KindCase{"Byte", Variant(static_cast<unsigned char>(255))},
        KindCase{"Smallint", Variant(static_cast<short>(-32768))},
        KindCase{"Word", Variant(static_cast<unsigned short>(65535))},
        KindCase{"Integer", Variant(-2147483647 - 1)}, KindCase{"LongWord", Variant(4294967295u)},
        KindCase{"Int64", Variant(static_cast<long long>(-9223372036854775807LL - 1))},
        KindCase{"Single", Variant(1.5f)}, KindCase{"Double", Variant(-0.1)},
        KindCase{"DoubleTiny", Variant(4.9406564584124654e-324)},
        KindCase{"Date", Variant::FromDate(45356.75)},
        KindCase{"Currency", Variant::FromCurrency(Currency::FromScaled(-123456789))},
        KindCase{"Bcd", Variant::FromBcd(-12345, 18)},
        KindCase{"StringGbk", Variant(AnsiString("\xB0\xA1 abc"))},
        KindCase{"StringEmpty", Variant(AnsiString())},
        KindCase{"StringWithZero", Variant(AnsiString("a\0b", 3))},
        KindCase{"OleStr", Variant(WideString(u"SELECT \u76D8\u70B9 \U0001F600"))},
        KindCase{"ParamList", VarArrayOf({VarArrayOf({Variant("@szReturn"), Variant(""), Variant(1), Variant(2),
                                                      Variant(0), Variant(0), Variant(0)})})},
        KindCase{"IntArrayLowBound", [] {
                   Variant a = VarArrayCreate({-2, 1}, varInteger);
                   for (int i = -2; i <= 1; ++i) a.PutElement(i, Variant(i * 10));
                   return a;
                 }()},
        KindCase{"EmptyArray", VarArrayCreate({0, -1}, varVariant)},
        KindCase{"TwoDimensions", [] {
                   Variant a = VarArrayCreate({1, 2, 0, 2}, varOleStr);
                   VarArrayPut(a, Variant(WideString(u"x")), {2, 1});
                   return a;
                 }()},
        KindCase{"MixedVariantArray", VarArrayOf({Variant(), Variant::Null(), Variant(2.5), Variant("s"),
                                                  VarArrayOf({Variant(true)})})},
        KindCase{"NestedToTheLimit", Nested(16)}),
    [](const testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

struct CorruptCase {
  const char* name;
  std::vector<uint8_t> bytes;
  const char* error;
};

class CorruptValue : public testing::TestWithParam<CorruptCase> {};

TEST_P(CorruptValue, FailsWithOffset) { EXPECT_EQ(DecodeError(GetParam().bytes), GetParam().error); }

INSTANTIATE_TEST_SUITE_P(
    Corrupt, CorruptValue,
    testing::Values(
        CorruptCase{"Nothing", {}, "corrupt at offset 0: a number needs 2 bytes, 0 left"},
        CorruptCase{"UnknownType", {0x0E, 0x00}, "corrupt at offset 0: unknown value type 14"},
        CorruptCase{"BadBoolean", {0x0B, 0x00, 0x02}, "corrupt at offset 2: Boolean byte 2"},
        CorruptCase{"ShortInteger", {0x03, 0x00, 0x01, 0x02}, "corrupt at offset 2: a number needs 4 bytes, 2 left"},
        CorruptCase{"StringPastEnd", {0x00, 0x01, 0x05, 0, 0, 0, 'a'},
                    "corrupt at offset 2: string of 5 bytes, 1 left"},
        CorruptCase{"HugeString", {0x00, 0x01, 0xFF, 0xFF, 0xFF, 0x7F},
                    "corrupt at offset 2: string of 2147483647 bytes, 0 left"},
        CorruptCase{"OddWideString", {0x08, 0x00, 0x02, 0, 0, 0, 'a', 0, 'b'},
                    "corrupt at offset 2: wide string of 2 units, 3 bytes left"},
        CorruptCase{"BcdScale", {0x10, 0x01, 1, 0, 0, 0, 0, 0, 0, 0, 19},
                    "corrupt at offset 10: decimal scale 19 above 18"},
        CorruptCase{"ArrayOfNull", {0x01, 0x20, 1, 0, 0, 0, 0, 0, 0, 0, 0},
                    "corrupt at offset 0: array of unknown element type 8193"},
        CorruptCase{"ArrayNoDims", {0x0C, 0x20, 0}, "corrupt at offset 2: array with 0 dimensions"},
        CorruptCase{"ArrayNineDims", {0x0C, 0x20, 9}, "corrupt at offset 2: array with 9 dimensions"},
        CorruptCase{"ArrayCountTooBig", {0x0C, 0x20, 1, 0, 0, 0, 0, 0, 0, 0x10, 0},
                    "corrupt at offset 3: array of 1048576 elements cannot fit in the 0 bytes left"},
        CorruptCase{"ArrayCountNegative", {0x0C, 0x20, 1, 0, 0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0xFF},
                    "corrupt at offset 3: array bounds past the integer range"},
        CorruptCase{"ArrayBoundsOverflow", {0x0C, 0x20, 1, 0xFF, 0xFF, 0xFF, 0x7F, 2, 0, 0, 0, 0, 0, 0, 0},
                    "corrupt at offset 3: array bounds past the integer range"},
        CorruptCase{"TypedElementMismatch", {0x03, 0x20, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0x02, 0x00, 7, 0},
                    "corrupt at offset 11: element of type 2 in an array of type 3"},
        CorruptCase{"ArrayFlagWithJunk", {0x0C, 0x60, 1}, "corrupt at offset 0: array of unknown element type 24588"}),
    [](const testing::TestParamInfo<CorruptCase>& info) { return std::string(info.param.name); });

TEST(VariantCodecLimits, NestingPastTheLimitIsRefusedBothWays) {
  WireWriter w;
  EXPECT_THROW(VariantEncoder(w, WireLimits()).Write(Nested(17)), EProtocolError);
  // Hand-made: 17 one-element arrays around an Integer.
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 17; ++i) bytes.insert(bytes.end(), {0x0C, 0x20, 1, 0, 0, 0, 0, 1, 0, 0, 0});
  bytes.insert(bytes.end(), {0x03, 0x00, 1, 0, 0, 0});
  EXPECT_EQ(DecodeError(bytes), "corrupt at offset 176: arrays nested deeper than 16");
}

TEST(VariantCodecLimits, DeepNestingAttackStopsAtTheLimitWithoutRecursingFurther) {
  // A million nested array headers would overflow a recursive reader's stack.
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 1000000; ++i) bytes.insert(bytes.end(), {0x0C, 0x20, 1, 0, 0, 0, 0, 1, 0, 0, 0});
  EXPECT_NE(DecodeError(bytes).find("nested deeper than 16"), std::string::npos);
}

TEST(VariantCodecLimits, ValueCountIsBounded) {
  WireLimits small;
  small.MaxValues = 10;
  Variant a = VarArrayCreate({0, 9}, varVariant);  // 1 + 10 values
  WireWriter w;
  EXPECT_THROW(VariantEncoder(w, small).Write(a), EProtocolError);
  WireWriter ok;
  VariantEncoder(ok, WireLimits()).Write(a);
  EXPECT_EQ(DecodeError(ok.Data(), small), "corrupt at offset 0: more than 10 values in one message");
}

TEST(VariantCodecLimits, EveryTruncationOfAValidValueFailsCleanly) {
  const Variant v = VarArrayOf({Variant("abc"), Variant(WideString(u"xy")), Variant::FromBcd(5, 2),
                                VarArrayOf({Variant(1.25), Variant::Null()})});
  WireWriter w;
  VariantEncoder(w, WireLimits()).Write(v);
  for (size_t n = 0; n < w.Size(); ++n) {
    std::vector<uint8_t> cut(w.Data().begin(), w.Data().begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(DecodeError(cut).rfind("corrupt at offset ", 0), 0u) << "cut at " << n;
  }
}

}  // namespace
