// The typed comparisons against CompareVariants: every value type's raw comparator, the
// text comparison and the text sort keys give CompareVariants' order exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "VCLSource/source/PosGrid/ukvDbHelperColumns.h"
#include "VCLSource/source/PosGrid/ukvDbHelperCompare.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// Values of one type, stored in a storage; every pair is compared both ways.
void ExpectSameOrder(TkvValueTypeClass type, const std::vector<Variant>& values) {
  TkvDataStorage st;
  TkvValueDef* def = st.ValueDefs().Add(type, true, false, nullptr);
  for (const Variant& v : values) st.SetValue(st.AppendRecord(), def, v);
  const TkvRawCompare raw = RawCompareFor(type);
  TkvColumnCopy copy;
  const bool copied = copy.Refresh(st, def);
  for (int a = 0; a < st.RecordCount(); ++a)
    for (int b = 0; b < st.RecordCount(); ++b) {
      Variant va, vb;
      st.GetValue(a, def, va);
      st.GetValue(b, def, vb);
      const int expect = Sign(CompareVariants(va, vb));
      ASSERT_EQ(Sign(CompareStoredValues(def, raw, st.RecordAt(a), st.RecordAt(b))), expect)
          << type->ShortName() << " " << VarToStr(va) << " / " << VarToStr(vb);
      if (copied) {
        ASSERT_EQ(Sign(copy.Compare(raw, a, b)), expect) << type->ShortName() << " copy";
      }
    }
}

TEST(TypedCompare, EveryValueTypeOrdersAsCompareVariants) {
  const Variant n = Variant::Null();
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  ExpectSameOrder(TkvIntegerValueTypeClass(), {Variant(3), n, Variant(-7), Variant(3), Variant(INT32_MAX), Variant(INT32_MIN)});
  ExpectSameOrder(TkvSmallintValueTypeClass(), {Variant(short(3)), n, Variant(short(-300))});
  ExpectSameOrder(TkvWordValueTypeClass(), {Variant(65535), n, Variant(0), Variant(7)});
  ExpectSameOrder(TkvLargeIntValueTypeClass(), {Variant(9007199254740993LL), Variant(9007199254740992LL), n, Variant(-1LL)});
  ExpectSameOrder(TkvFloatValueTypeClass(), {Variant(1.5), n, Variant(nan), Variant(-inf), Variant(inf), Variant(-0.0), Variant(0.0)});
  ExpectSameOrder(TkvDateTimeValueTypeClass(), {Variant::FromDate(45000.5), n, Variant::FromDate(-1)});
  ExpectSameOrder(TkvBooleanValueTypeClass(), {Variant(true), n, Variant(false)});
  // Currency values that key alike in CompareVariants stay equal here too.
  ExpectSameOrder(TkvCurrencyValueTypeClass(),
                  {Variant::FromCurrency(Currency::FromScaled(9000000000000000001LL)),
                   Variant::FromCurrency(Currency::FromScaled(9000000000000000002LL)), n,
                   Variant::FromCurrency(Currency::FromScaled(-5))});
  ExpectSameOrder(TkvFMTBcdValueTypeClass(), {Variant::FromBcd(12345, 2), Variant::FromBcd(1234500, 4), n, Variant::FromBcd(-1, 18)});
  ExpectSameOrder(TkvStringValueTypeClass(), {Variant("abc"), Variant("ABC"), n, Variant(""), Variant("白菜"), Variant("abd"),
                                              Variant("Ab"), Variant("菠菜"), Variant("a\xB0")});
  ExpectSameOrder(TkvWideStringValueTypeClass(), {Variant(WideString(u"abc")), n, Variant(WideString(u"ABC")), Variant(WideString(u"\u767d"))});
  ExpectSameOrder(TkvVariantValueTypeClass(), {Variant(1), Variant("1"), n, Variant(true)});
}

// Texts built from letters of both cases, digits, double-byte characters (some with a
// trail byte that is a letter) and a lone lead byte at the end.
std::string RandomText(std::mt19937& rnd) {
  static const char* const pieces[] = {"a", "A", "b", "B", "z", "Z", "0", "9", "_", "白", "菜", "\xB0" "a", "\xB0" "A", " ", "\x81"};
  std::string s;
  const int n = static_cast<int>(rnd() % 7);
  for (int i = 0; i < n; ++i) s += pieces[rnd() % 14];
  if (rnd() % 9 == 0) s += pieces[14];
  return s;
}

TEST(TypedCompare, TextComparisonAndSortKeysAgreeWithAnsiCompareStr) {
  std::mt19937 rnd(5);
  for (int i = 0; i < 200000; ++i) {
    const AnsiString a = RandomText(rnd), b = RandomText(rnd);
    const int expect = Sign(CompareVariants(Variant(a), Variant(b)));
    ASSERT_EQ(CompareAnsiTexts(a, b), expect) << a << " / " << b;
    const TkvTextKey ka = TextSortKey(a), kb = TextSortKey(b);
    if (ka.Hi != kb.Hi || ka.Lo != kb.Lo) {
      const int byKey = (ka.Hi != kb.Hi) ? (ka.Hi < kb.Hi ? -1 : 1) : (ka.Lo < kb.Lo ? -1 : 1);
      ASSERT_EQ(byKey, expect) << a << " / " << b;
    }
  }
}

TEST(TypedCompare, CopiesFollowTheStorageStamp) {
  TkvDataStorage st;
  TkvValueDef* def = st.ValueDefs().Add(TkvStringValueTypeClass(), true, false, nullptr);
  st.SetValue(st.AppendRecord(), def, "x");
  TkvColumnCopy copy;
  ASSERT_TRUE(copy.Refresh(st, def));
  EXPECT_EQ(copy.Text(0), "x");
  st.SetValue(0, def, "a much longer text than twenty-three bytes");
  ASSERT_TRUE(copy.Refresh(st, def));
  EXPECT_EQ(copy.Text(0), "a much longer text than twenty-three bytes");
  st.AppendRecord();
  ASSERT_TRUE(copy.Refresh(st, def));
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_FALSE(copy.Has(1));
  TkvValueDef* bcd = st.ValueDefs().Add(TkvFMTBcdValueTypeClass(), true, false, nullptr);
  EXPECT_FALSE(copy.Refresh(st, bcd));  // no copy of decimals: they take the record path
}

}  // namespace
