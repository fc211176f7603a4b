// Data packets on the wire: fields, rows and parameters round-trip; counts are checked
// against the bytes that remain before anything is allocated.
#include "net/PacketCodec.h"

#include <gtest/gtest.h>

#include "net/NetErrors.h"
#include "WireRender.h"

using nettest::Render;
using posnet::ReadPacket;
using posnet::WireLimits;

namespace {

TDataPacket SamplePacket() {
  TDataPacket p;
  p.Fields = {{"typeid", ftString, 25, 0, true},  {"FullName", ftString, 66, 0, false},
              {"Sonnum", ftInteger, 0, 0, false}, {"Price", ftFloat, 0, 0, false},
              {"Amount", ftBCD, 0, 18, false},    {"Birth", ftDateTime, 0, 0, false},
              {"Stop", ftBoolean, 0, 0, false},   {"typeid", ftWideString, 10, 0, false}};
  p.Rows.push_back({Variant("00001"), Variant("\xC5\xA3\xD7\xD0\xBF\xE3"), Variant(0), Variant(12.5),
                    Variant::FromBcd(12345, 2), Variant::FromDate(45356.0), Variant(false), Variant(WideString(u"w"))});
  p.Rows.push_back({Variant("00002"), Variant::Null(), Variant(3), Variant(-0.5), Variant::Null(), Variant::Null(),
                    Variant(true), Variant::Null()});
  p.Params = VarArrayOf({VarArrayOf({Variant("@RETURN_VALUE"), Variant(0), Variant(3), Variant(4), Variant(0),
                                     Variant(0), Variant(0)})});
  return p;
}

std::vector<uint8_t> Encode(const TDataPacket& p) {
  posnet::WireWriter w;
  posnet::WritePacket(w, p);
  return w.Data();
}

std::string DecodeError(const std::vector<uint8_t>& bytes, const WireLimits& limits = WireLimits()) {
  posnet::WireReader r(bytes);
  try {
    ReadPacket(r, limits);
    r.ExpectEnd();
  } catch (const EProtocolError& e) {
    return e.Message();
  }
  return "no error";
}

TEST(PacketCodec, RoundTripKeepsFieldsRowsAndParams) {
  const TDataPacket p = SamplePacket();
  const auto bytes = Encode(p);
  posnet::WireReader r(bytes);
  const TDataPacket back = ReadPacket(r);
  r.ExpectEnd();
  EXPECT_EQ(Render(back), Render(p));
}

TEST(PacketCodec, EmptyPacketRoundTrips) {
  const TDataPacket p{};
  const auto bytes = Encode(p);
  EXPECT_EQ(bytes.size(), 4u + 4u + 2u);  // no fields, no rows, Empty params
  posnet::WireReader r(bytes);
  EXPECT_EQ(Render(ReadPacket(r)), Render(p));
}

TEST(PacketCodec, FieldsWithoutRowsRoundTrip) {
  TDataPacket p = SamplePacket();
  p.Rows.clear();
  p.Params = Variant::Null();
  const auto bytes = Encode(p);
  posnet::WireReader r(bytes);
  EXPECT_EQ(Render(ReadPacket(r)), Render(p));
}

TEST(PacketCodec, RowWithTheWrongWidthIsNotSent) {
  TDataPacket p = SamplePacket();
  p.Rows[1].pop_back();
  posnet::WireWriter w;
  try {
    posnet::WritePacket(w, p);
    FAIL() << "no error";
  } catch (const EProtocolError& e) {
    EXPECT_EQ(e.Message(), "row 1 holds 7 values for 8 fields");
  }
}

TEST(PacketCodec, PacketOverTheValueLimitIsNotSent) {
  WireLimits limits;
  limits.MaxValues = 15;  // 2 rows x 8 fields = 16 cells
  posnet::WireWriter w;
  EXPECT_THROW(posnet::WritePacket(w, SamplePacket(), limits), EProtocolError);
}

TEST(PacketCodec, EveryTruncationFailsCleanly) {
  const auto bytes = Encode(SamplePacket());
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(DecodeError(cut).rfind("corrupt at offset ", 0), 0u) << "cut at " << n;
  }
}

TEST(PacketCodec, EverySingleByteChangeDecodesOrFailsCleanly) {
  const auto bytes = Encode(SamplePacket());
  for (size_t i = 0; i < bytes.size(); ++i)
    for (uint8_t x : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0xFF}}) {
      auto changed = bytes;
      changed[i] = x;
      const std::string e = DecodeError(changed);
      EXPECT_TRUE(e == "no error" || e.rfind("corrupt at offset ", 0) == 0) << i << ": " << e;
    }
}

struct CorruptCase {
  const char* name;
  std::vector<uint8_t> bytes;
  const char* error;
};

class CorruptPacket : public testing::TestWithParam<CorruptCase> {};

TEST_P(CorruptPacket, FailsWithOffset) { EXPECT_EQ(DecodeError(GetParam().bytes), GetParam().error); }

INSTANTIATE_TEST_SUITE_P(
    Corrupt, CorruptPacket,
    testing::Values(
        CorruptCase{"TooManyFields", {0x01, 0x10, 0, 0}, "corrupt at offset 0: field count 4097 above the limit 4096"},
        CorruptCase{"FieldsCannotFit", {0x02, 0, 0, 0, 0, 0, 0, 0},
                    "corrupt at offset 0: field count 2 cannot fit in the 4 bytes left"},
        CorruptCase{"UnknownFieldType",
                    {1, 0, 0, 0, /*name*/ 0, 0, 0, 0, /*type*/ 99, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                    "corrupt at offset 8: unknown field type 99"},
        CorruptCase{"NegativeSize",
                    {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                    "corrupt at offset 12: negative field size or precision"},
        CorruptCase{"RowsWithoutFields", {0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, "corrupt at offset 4: rows without fields"},
        CorruptCase{"RowsCannotFit",
                    {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F},
                    "corrupt at offset 21: 2147483647 rows cannot fit in the 0 bytes left"}),
    [](const testing::TestParamInfo<CorruptCase>& info) { return std::string(info.param.name); });

}  // namespace
