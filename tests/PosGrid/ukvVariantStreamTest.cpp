// The tagged variant stream: golden bytes, round trips, and truncated and hostile input.
#include <gtest/gtest.h>

#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "VCLSource/source/PosGrid/ukvVariantStream.h"

namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) s += ' ';
    s += d[bytes[i] >> 4];
    s += d[bytes[i] & 15];
  }
  return s;
}

std::string Written(const Variant& v) {
  TMemoryStream m;
  WriteVariant(m, v);
  return Hex(m.Bytes());
}

void FromHex(TMemoryStream& m, const std::string& hex) {
  m.Clear();
  for (size_t i = 0; i + 1 < hex.size() + 1; i += 3) {
    const uint8_t b = static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16));
    m.WriteUInt8(b);
  }
  m.SetPosition(0);
}

struct Golden {
  Variant Value;
  const char* Bytes;
};

TEST(VariantStream, GoldenBytes) {
  const Golden cases[] = {
      {Variant(100), "02 64"}, {Variant(1000), "03 E8 03"}, {Variant(100000), "04 A0 86 01 00"},
      {Variant(-129), "03 7F FF"}, {Variant::Null(), "00"}, {Variant(), "0D"}, {Variant(true), "09"},
      {Variant(false), "08"}, {Variant("abc"), "06 03 61 62 63"},
      {Variant(1.0), "05 00 00 00 00 00 00 00 80 FF 3F"}, {Variant(1.5), "05 00 00 00 00 00 00 00 C0 FF 3F"},
      {Variant(-2.0), "05 00 00 00 00 00 00 00 80 00 C0"}, {Variant(0.1), "05 00 D0 CC CC CC CC CC CC FB 3F"},
      {Variant(1.5f), "0F 00 00 C0 3F"}, {Variant::FromCurrency(Currency(1.5)), "10 98 3A 00 00 00 00 00 00"},
      {Variant::FromDate(46371.0), "11 00 00 00 00 60 A4 E6 40"}, {Variant(u"中"), "12 01 00 00 00 2D 4E"},
      {VarArrayOf({1, 2}), "01 02 02 02 01 02 02"}, {VarArrayOf({}), "01 02 00"},
      {Variant(static_cast<unsigned char>(200)), "03 C8 00"},
      // unsigned and 64-bit integers that fit stay integers; larger ones become text
      {Variant(static_cast<unsigned short>(65535)), "04 FF FF 00 00"}, {Variant(static_cast<long long>(5)), "02 05"},
      {Variant(static_cast<long long>(1) << 40), "06 0D 31 30 39 39 35 31 31 36 32 37 37 37 36"},
      {Variant::FromBcd(125, 2), "06 04 31 2E 32 35"},
  };
  for (const Golden& g : cases) EXPECT_EQ(Written(g.Value), g.Bytes) << g.Bytes;
}

TEST(VariantStream, StringLengthPicksTheTag) {
  EXPECT_EQ(Written(Variant(std::string(255, 'x'))).substr(0, 5), "06 FF");
  EXPECT_EQ(Written(Variant(std::string(256, 'x'))).substr(0, 14), "0C 00 01 00 00");
}

TEST(VariantStream, RoundTrips) {
  const Variant values[] = {
      Variant(static_cast<short>(7)), Variant(-70000), Variant(3.25), Variant("中文"), Variant(u"\u20AC\U0001F600"),
      Variant::FromDate(46371.25), Variant::FromCurrency(Currency(-12.3456)), Variant(true),
      VarArrayOf({1, Variant("a"), VarArrayOf({Variant::Null()})}), Variant(std::string(70000, 'z')),
  };
  for (const Variant& v : values) {
    TMemoryStream m;
    WriteVariant(m, v);
    m.SetPosition(0);
    const Variant back = ReadVariant(m);
    EXPECT_EQ(CompareVariants(back, v), 0) << VarToStr(v.IsArray() ? Variant("[]") : v);
    EXPECT_EQ(m.BytesLeft(), 0);
  }
}

TEST(VariantStream, ReadKinds) {
  TMemoryStream m;
  FromHex(m, "02 05");
  EXPECT_EQ(ReadVariant(m).VType(), varShortInt);  // a 16-bit value written small narrows
  Variant oneBased = VarArrayCreate({1, 2}, varVariant);
  TMemoryStream a;
  WriteVariant(a, oneBased);
  a.SetPosition(0);
  EXPECT_EQ(VarArrayLowBound(ReadVariant(a), 1), 0);
  TMemoryStream big;
  FromHex(big, "06 0D 31 30 39 39 35 31 31 36 32 37 37 37 36");
  EXPECT_EQ(ReadVariant(big).VType(), varString);
}

// A hostile or truncated image fails with a read error that says where it broke (the
// offset of the tag, count, length or field that is wrong or cut off), never a crash or
// a huge allocation.
TEST(VariantStream, HostileAndTruncatedInputRaiseReadErrorsWithTheOffset) {
  struct Case { const char* hex; int offset; };
  const Case kBad[] = {
      {"07", 0}, {"0A", 0}, {"0B", 0}, {"0E", 0}, {"13", 0}, {"FF", 0},  // unknown tags
      {"01 02 FF", 1},                               // negative count
      {"01 04 FF FF FF 7F", 1},                      // count far beyond the bytes left
      {"01 06 01", 1},                               // count with a non-integer tag
      {"01 02 02 02 05 07", 5},                      // an unknown tag inside a list
      {"0C FF FF FF 7F 41", 1},                      // long string longer than the stream
      {"0C FF FF FF FF", 1},                         // negative length
      {"12 00 00 00 40 41 00", 1},                   // wide count whose byte size overflows 32 bits
      {"06 05 41", 1},                               // short string cut off
      {"04 01 02", 1},                               // integer cut off
      {"03 01", 1},                                  // small integer cut off
      {"11 00 00 00 00", 1},                         // date cut off
      {"10 00", 1},                                  // currency cut off
      {"0F 00 00", 1},                               // single cut off
      {"05 00 00 00 00 00 00 00 00 FF 3F", 1},       // extended without its integer bit
      {"", 0},                                       // nothing at all
  };
  for (const Case& c : kBad) {
    TMemoryStream m;
    if (*c.hex) FromHex(m, c.hex);
    try {
      ReadVariant(m);
      ADD_FAILURE() << c.hex;
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "输入流错误 (corrupt at offset " + std::to_string(c.offset) + ")") << c.hex;
    }
  }
  // Nesting beyond the limit: the list that is one too deep.
  TMemoryStream deep;
  for (int i = 0; i < 1000; ++i) {
    deep.WriteUInt8(1);
    deep.WriteUInt8(2);
    deep.WriteUInt8(1);
  }
  deep.WriteUInt8(0);
  deep.SetPosition(0);
  try {
    ReadVariant(deep);
    ADD_FAILURE();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "输入流错误 (corrupt at offset " + std::to_string(3 * kMaxVariantNesting) + ")");
  }
  // The offset counts from the stream's start, wherever reading began.
  TMemoryStream later;
  FromHex(later, "AA BB 07");
  later.SetPosition(2);
  try {
    ReadVariant(later);
    ADD_FAILURE();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "输入流错误 (corrupt at offset 2)");
  }
}

// The fixed-width readers of the library say where the stream ran out as well.
TEST(VariantStream, FixedWidthReadersNameTheOffsetOfACutField) {
  TMemoryStream m;
  FromHex(m, "01 02 03");
  m.SetPosition(1);
  try {
    ReadInteger(m);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "输入流错误 (corrupt at offset 1)");
  }
  EXPECT_EQ(m.Position(), 1);  // nothing taken
  EXPECT_EQ(ReadWord(m), 0x0302);
  EXPECT_THROW(ReadByte(m), EReadError);
}

TEST(VariantStream, TwoDimensionalArrayCannotBeWritten) {
  TMemoryStream m;
  try {
    WriteVariant(m, VarArrayCreate({0, 1, 0, 1}, varVariant));
    FAIL();
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message(), "输出流错误");
  }
}

TEST(VariantStream, Primitives) {
  TMemoryStream m;
  WriteAnsiString(m, "abc");
  WriteWideString(m, u"中");
  WriteBoolean(m, true);
  WriteCurrency(m, Currency(1.5));
  WriteExtended(m, 1.0);
  EXPECT_EQ(Hex(m.Bytes()), "03 00 00 00 61 62 63 01 00 00 00 2D 4E 01 98 3A 00 00 00 00 00 00 00 00 00 00 00 00 00 80 FF 3F");
  m.SetPosition(0);
  EXPECT_EQ(ReadAnsiString(m), "abc");
  EXPECT_EQ(ReadWideString(m), u"中");
  EXPECT_TRUE(ReadBoolean(m));
  EXPECT_EQ(ReadCurrency(m), Currency(1.5));
  EXPECT_EQ(ReadExtended(m), 1.0);
}

}  // namespace
