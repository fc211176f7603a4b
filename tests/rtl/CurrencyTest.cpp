// Currency: exact four-decimal money, its rounding, range and text forms.
#include "rtl/Currency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "rtl/Exceptions.h"
#include "rtl/NumberFormat.h"

namespace {
const Currency kMax = Currency::FromScaled(std::numeric_limits<int64_t>::max());
const Currency kMin = Currency::FromScaled(std::numeric_limits<int64_t>::min());
}  // namespace

TEST(Currency, FromDoubleRoundsHalfAwayFromZeroOnTheShownDigits) {
  struct Case { double v; int64_t scaled; };
  const Case cases[] = {
      {1.5, 15000},        {0.1 + 0.2, 3000},    {1.00005, 10001},   {-1.00005, -10001},
      {1.00004999, 10000}, {0.00005, 1},         {-0.00004, 0},      {2.675, 26750},
      {922337203685477.0, 9223372036854770000},
  };
  for (const auto& c : cases) EXPECT_EQ(Currency(c.v).Scaled(), c.scaled) << c.v;
  EXPECT_EQ(Currency(12).Scaled(), 120000);
  EXPECT_EQ(Currency(int64_t(-5)).Scaled(), -50000);
  EXPECT_EQ(Currency(1.5).ToDouble(), 1.5);
}

TEST(Currency, OutOfRangeIsAnOverflow) {
  EXPECT_THROW((void)Currency(1e15), EOverflow);
  EXPECT_THROW((void)Currency(-1e15), EOverflow);
  EXPECT_THROW((void)Currency(std::numeric_limits<double>::quiet_NaN()), EOverflow);
  EXPECT_THROW((void)Currency(std::numeric_limits<double>::infinity()), EOverflow);
  EXPECT_THROW((void)Currency(int64_t(922337203685478)), EOverflow);
  EXPECT_THROW(kMax + Currency(1), EOverflow);
  EXPECT_THROW(kMin - Currency(1), EOverflow);
  EXPECT_THROW(-kMin, EOverflow);
  EXPECT_THROW(kMax * Currency(2), EOverflow);
  EXPECT_THROW(kMax / Currency(0.5), EOverflow);
  EXPECT_THROW(Currency(1) / Currency(0), EZeroDivide);
  try {
    (void)(kMax + kMax);
  } catch (const EOverflow& e) {
    EXPECT_EQ(e.Message(), "Floating point overflow");
  }
}

TEST(Currency, ArithmeticIsExactAndRoundsAtTheFourthDecimal) {
  EXPECT_EQ(Currency(0.1) + Currency(0.2), Currency(0.3));
  EXPECT_EQ((Currency(1.5) * Currency(2.5)).Scaled(), 37500);
  EXPECT_EQ((Currency(0.0001) * Currency(0.5)).Scaled(), 1);    // 0.00005 -> 0.0001
  EXPECT_EQ((Currency(-0.0001) * Currency(0.5)).Scaled(), -1);
  EXPECT_EQ((Currency(0.0001) * Currency(0.4999)).Scaled(), 0);
  EXPECT_EQ((Currency(10) / Currency(3)).Scaled(), 33333);
  EXPECT_EQ((Currency(20) / Currency(3)).Scaled(), 66667);
  EXPECT_EQ((Currency(-20) / Currency(3)).Scaled(), -66667);
  EXPECT_EQ((Currency(1) / Currency(-8)).Scaled(), -1250);
  // Large products need more than 64 bits in between.
  EXPECT_EQ(Currency(int64_t(900000000000)) * Currency(0.001), Currency(int64_t(900000000)));
  EXPECT_EQ(kMax * Currency(1), kMax);
  EXPECT_EQ(kMin / Currency(1), kMin);
  EXPECT_LT(Currency(-1), Currency(0.0001));
  EXPECT_EQ(-Currency(2.5), Currency(-2.5));
}

TEST(Currency, TextForms) {
  EXPECT_EQ(CurrToStr(Currency(12.5)), "12.5");
  EXPECT_EQ(CurrToStr(Currency(3)), "3");
  EXPECT_EQ(CurrToStr(Currency(-0.0001)), "-0.0001");
  EXPECT_EQ(CurrToStr(kMin), "-922337203685477.5808");
  EXPECT_EQ(CurrToStr(kMax), "922337203685477.5807");
  EXPECT_EQ(CurrToStrF(Currency(1234.5), ffCurrency, 2), "\xA3\xA4" "1,234.50");
  EXPECT_EQ(CurrToStrF(Currency(-1234.5), ffNumber, 2), "-1,234.50");
  EXPECT_EQ(CurrToStrF(kMax, ffFixed, 4), "922337203685477.5807");
  EXPECT_EQ(CurrToStrF(Currency(0.125), ffFixed, 2), "0.13");
  EXPECT_EQ(FormatCurr("#,##0.00;(#,##0.00)", Currency(-1234.565)), "(1,234.57)");
  EXPECT_EQ(FormatCurr("0.00", Currency(-0.004)), "0.00");
  EXPECT_EQ(FormatCurr("", Currency(2.5)), "2.5");
}

TEST(Currency, ParsingIsExact) {
  struct Case { const char* s; int64_t scaled; };
  const Case cases[] = {
      {"12.5", 125000}, {"-0.0001", -1}, {" 3 ", 30000}, {"1.00005", 10001}, {"1e2", 1000000},
      {"922337203685477.5807", std::numeric_limits<int64_t>::max()},
      {"-922337203685477.5808", std::numeric_limits<int64_t>::min()},
      {"0.123456789", 1235},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToCurr(c.s).Scaled(), c.scaled) << c.s;
  for (const char* s : {"", "abc", "1,5", "922337203685477.5808", "1e20", "$1"}) {
    Currency c;
    EXPECT_FALSE(TryStrToCurr(s, c)) << s;
  }
  EXPECT_THROW(StrToCurr("x"), EConvertError);
  EXPECT_EQ(StrToCurrDef("x", Currency(7)), Currency(7));
}
