// The library's ordering of values, the LIKE matcher and the small variant helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "rtl/FormatSettings.h"

namespace {

std::vector<Variant> Zoo() {
  return {
      Variant::Null(), Variant(), Variant(false), Variant(true), Variant(0), Variant(1), Variant(-1),
      Variant(static_cast<short>(5)), Variant(5.0), Variant(5.5), Variant(6), Variant(static_cast<long long>(1) << 60),
      Variant((static_cast<long long>(1) << 60) + 1), Variant(static_cast<double>(static_cast<long long>(1) << 60)),
      Variant::FromCurrency(Currency(5)), Variant::FromCurrency(Currency(0.1)), Variant(0.1), Variant::FromBcd(55, 1),
      Variant::FromDate(46371.0), Variant::FromDate(46371.5), Variant(""), Variant("5"), Variant("10"), Variant("abc"),
      Variant("ABC"), Variant(u"abc"), Variant(u"\u20AC"), Variant("?"), Variant("中文"), Variant(u"中文"),
      Variant(static_cast<unsigned short>(65535)), Variant(1e300), Variant(-1e300),
      VarArrayOf({1, 2}), VarArrayOf({1, 2, 3}), VarArrayOf({1, 3}), VarArrayOf({}), VarArrayOf({Variant("x")}),
      VarArrayOf({VarArrayOf({1}), Variant::Null()}),
  };
}

TEST(CompareVariants, IsAntisymmetricAndTransitiveOverTheZoo) {
  const std::vector<Variant> zoo = Zoo();
  const size_t n = zoo.size();
  auto sign = [](int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); };
  for (size_t i = 0; i < n; ++i) {
    EXPECT_EQ(CompareVariants(zoo[i], zoo[i]), 0) << i;
    for (size_t j = 0; j < n; ++j) {
      const int ij = sign(CompareVariants(zoo[i], zoo[j]));
      ASSERT_EQ(ij, -sign(CompareVariants(zoo[j], zoo[i]))) << i << " " << j;
      for (size_t k = 0; k < n; ++k) {
        const int jk = sign(CompareVariants(zoo[j], zoo[k]));
        const int ik = sign(CompareVariants(zoo[i], zoo[k]));
        if (ij <= 0 && jk <= 0) {
          ASSERT_LE(ik, 0) << i << " " << j << " " << k;
        }
        if (ij == 0 && jk == 0) {
          ASSERT_EQ(ik, 0) << i << " " << j << " " << k;
        }
      }
    }
  }
}

TEST(CompareVariants, SortingTheZooIsStableUnderShuffles) {
  std::vector<Variant> a = Zoo();
  std::vector<Variant> b = a;
  std::mt19937 rng(7);
  std::shuffle(b.begin(), b.end(), rng);
  auto less = [](const Variant& x, const Variant& y) { return CompareVariants(x, y) < 0; };
  std::sort(a.begin(), a.end(), less);
  std::sort(b.begin(), b.end(), less);
  for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(CompareVariants(a[i], b[i]), 0) << i;
}

TEST(CompareVariants, KeepsTheListedOrder) {
  struct Case { Variant A, B; int Expected; } cases[] = {
      {Variant::Null(), Variant::Null(), 0}, {Variant::Null(), Variant(0), -1}, {Variant(0), Variant::Null(), 1},
      {VarArrayOf({1, 2}), VarArrayOf({1, 2, 3}), -1}, {VarArrayOf({1, 3}), VarArrayOf({1, 2}), 1},
      {Variant(1), Variant(1.0), 0}, {Variant(2), Variant(1.5), 1}, {Variant::FromCurrency(Currency(5)), Variant(5), 0},
      {Variant(0.1), Variant::FromCurrency(Currency(0.1)), 0}, {Variant("abc"), Variant(u"abc"), 0},
      {Variant("a"), Variant("b"), -1}, {Variant(false), Variant(true), -1}, {Variant(5), VarArrayOf({}), -1},
      {Variant::FromBcd(55, 1), Variant(5.5), 0}, {Variant::FromDate(2), Variant(1), 1},
      // texts and numbers are never converted into each other: numbers come first
      {Variant("5"), Variant(5), 1}, {Variant(100), Variant("abc"), -1},
  };
  for (const Case& c : cases) {
    const int r = CompareVariants(c.A, c.B);
    EXPECT_EQ(r < 0 ? -1 : (r > 0 ? 1 : 0), c.Expected) << VarToStr(c.A.IsArray() ? Variant("[]") : c.A);
  }
}

TEST(CompareVariants, ArraysAreComparedFromTheirOwnLowerBound) {
  Variant oneBased = VarArrayCreate({1, 2}, varVariant);
  oneBased.PutElement(1, 7);
  oneBased.PutElement(2, 8);
  EXPECT_EQ(CompareVariants(oneBased, VarArrayOf({7, 8})), 0);
}

struct LikeRow {
  const char* Subject;
  const char* Pattern;
  bool Match;
};

const LikeRow kLike[] = {
    {"abc", "a%", true}, {"abc", "a_c", true}, {"ab", "a%%", true}, {"", "%", true}, {"", "", true},
    {"a", "", false}, {"abc", "abc", true}, {"abc", "ABC", false}, {"abc", "%b%", true}, {"abc", "%d%", false},
    {"abc", "_", false}, {"abc", "___", true}, {"abc", "____", false}, {"aXbXc", "a%b%c", true},
    {"abcabc", "%abc", true}, {"ab", "%%ab%%", true},
    // a run of "%" matches nothing as well, also at the end of the subject
    {"a", "a%%", true}, {"", "%%", true}, {"a", "a%", true},
    // whole GBK characters: 十分小心 holds the bytes of 中 (D6 D0) across two characters
    {"十分小心", "%中%", false}, {"十分中心", "%中%", true}, {"a中c", "a_c", true}, {"a中c", "a__c", false},
    {"中", "_", true}, {"中文", "中%", true}, {"中文", "%文", true}, {"\x81_", "__", false}, {"\x81_", "_", true},
};

class LikeTable : public ::testing::TestWithParam<LikeRow> {};
TEST_P(LikeTable, Matches) {
  EXPECT_EQ(LikeMatch(GetParam().Subject, GetParam().Pattern, '%', '_'), GetParam().Match)
      << GetParam().Subject << " LIKE " << GetParam().Pattern;
}
INSTANTIATE_TEST_SUITE_P(Reference, LikeTable, ::testing::ValuesIn(kLike));

TEST(MatchPattern, EscapeMakesTheNextCharacterLiteral) {
  EXPECT_TRUE(MatchPattern("50%", "50\\%", '%', '_', '\\'));
  EXPECT_FALSE(MatchPattern("500", "50\\%", '%', '_', '\\'));
  EXPECT_TRUE(MatchPattern("a_b", "a\\_b", '%', '_', '\\'));
  EXPECT_FALSE(MatchPattern("axb", "a\\_b", '%', '_', '\\'));
}

TEST(MatchPattern, RunsInPolynomialTime) {
  const std::string subject(20000, 'a');
  const std::string pattern = "%a%a%a%a%a%a%a%a%a%a%a%b";
  EXPECT_FALSE(LikeMatch(subject, pattern, '%', '_'));
}

TEST(Wildcards, StripWildcardEnds) {
  struct Case { const char* In; const char* Out; int Code; } cases[] = {
      {"%ab%", "ab", 3}, {"%%ab", "ab", 2}, {"ab%", "ab", 1}, {"ab", "ab", 0}, {"%", "%", 0}, {"%%", "%", 0},
      {"%%%%ab%%", "ab", 3},
  };
  for (const Case& c : cases) {
    AnsiString s = c.In;
    EXPECT_EQ(StripWildcardEnds(s, '%'), c.Code) << c.In;
    EXPECT_EQ(s, c.Out) << c.In;
  }
  AnsiString quotes = "''''";
  CollapseDoubledChar(quotes, '\'');
  EXPECT_EQ(quotes, "'");
  // A GBK trail byte equal to the wildcard is part of its character.
  AnsiString gbk = "\x81_";
  EXPECT_EQ(StripWildcardEnds(gbk, '_'), 0);
  EXPECT_EQ(gbk, "\x81_");
}

TEST(VariantHelpers, ListsAndTypeTests) {
  Variant a;
  VarListAppend(a, 1);
  VarListAppend(a, "x");
  EXPECT_EQ(CompareVariants(a, VarArrayOf({1, "x"})), 0);
  Variant scalar = 5;
  VarListAppend(scalar, 6);
  EXPECT_EQ(CompareVariants(scalar, VarArrayOf({5, 6})), 0);
  EXPECT_EQ(CompareVariants(VarBetween(1, 5), VarArrayOf({1, 5})), 0);
  EXPECT_EQ(CompareVariants(VarListOf(3), VarArrayOf({3})), 0);
  EXPECT_TRUE(IsNullOrEmptyString(Variant::Null()));
  EXPECT_TRUE(IsNullOrEmptyString(Variant("")));
  EXPECT_TRUE(IsNullOrEmptyString(Variant(u"")));
  EXPECT_FALSE(IsNullOrEmptyString(Variant()));
  EXPECT_FALSE(IsNullOrEmptyString(Variant(0)));
  EXPECT_TRUE(IsCurrencyVarType(varCurrency));
  EXPECT_TRUE(IsCurrencyVarType(varFMTBcd));
  EXPECT_FALSE(IsCurrencyVarType(varDouble));
}

struct WeekSetting {
  explicit WeekSetting(const char* v) : Old(kvFirstDayOfWeekSetting) {
    const AnsiString s = v;
    kvFirstDayOfWeekSetting = [s] { return s; };
  }
  ~WeekSetting() { kvFirstDayOfWeekSetting = Old; }
  std::function<AnsiString()> Old;
};

TEST(Week, FirstDayAndStartOfWeek) {
  // Without a test's setting the week follows the locale look-up of the runtime.
  EXPECT_EQ(FirstDayOfWeek(), (LocaleFirstDayOfWeek()[0] - '0' + 1) % 7);
  {
    WeekSetting monday("0");
    EXPECT_EQ(FirstDayOfWeek(), 1);
    EXPECT_EQ(StartOfWeek(EncodeDate(2026, 12, 13) + 0.75), EncodeDate(2026, 12, 7));  // a Sunday
    EXPECT_EQ(StartOfWeek(EncodeDate(2026, 12, 14)), EncodeDate(2026, 12, 14));        // a Monday
  }
  {
    WeekSetting sunday("6");
    EXPECT_EQ(FirstDayOfWeek(), 0);
    EXPECT_EQ(StartOfWeek(EncodeDate(2026, 12, 15)), EncodeDate(2026, 12, 13));
  }
  WeekSetting absent("");
  EXPECT_EQ(FirstDayOfWeek(), 1);
  EXPECT_EQ(DateOnly(-1.5), -1.0);
}

}  // namespace
