// The typed comparisons against CompareVariants: every value type's raw comparator, the
// text comparison and the text sort keys give CompareVariants' order exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "DataControllerFixture.h"
#include "HardTexts.h"
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
  // The copy is compared as a filter has it (no sort keys), then as a sort has it.
  for (const bool keyed : {false, true}) {
    if (keyed) copy.MakeSortKeys();
    for (int a = 0; a < st.RecordCount(); ++a)
      for (int b = 0; b < st.RecordCount(); ++b) {
        Variant va, vb;
        st.GetValue(a, def, va);
        st.GetValue(b, def, vb);
        const int expect = Sign(CompareVariants(va, vb));
        ASSERT_EQ(Sign(CompareStoredValues(def, raw, st.RecordAt(a), st.RecordAt(b))), expect)
            << type->ShortName() << " " << VarToStr(va) << " / " << VarToStr(vb);
        if (copied) {
          ASSERT_EQ(Sign(copy.Compare(raw, a, b)), expect) << type->ShortName() << " copy, keys " << keyed;
        }
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

// The order of a text comparison and of a pair of sort keys, where the keys differ.
void ExpectTextOrder(const std::string& a, const std::string& b) {
  const int expect = Sign(CompareVariants(Variant(a), Variant(b)));
  ASSERT_EQ(CompareAnsiTexts(a, b), expect) << a << " / " << b;
  const TkvTextKey ka = TextSortKey(a), kb = TextSortKey(b);
  if (ka.Hi != kb.Hi || ka.Lo != kb.Lo) {
    const int byKey = (ka.Hi != kb.Hi) ? (ka.Hi < kb.Hi ? -1 : 1) : (ka.Lo < kb.Lo ? -1 : 1);
    ASSERT_EQ(byKey, expect) << "keys of " << a << " / " << b;
  }
}

// Every pair of GBK's double-byte letters with a case pair (ａ/Ｂ, α/Β, а/Б, ⅰ/Ⅱ):
// alone, inside the sort key, right after it, and across its last byte.
TEST(TypedCompare, FaultDoubleByteLettersOrderedByTheirBytes) {
  const std::vector<std::string>& letters = kvtest::CaseLetters();
  ASSERT_EQ(letters.size(), 186u);  // 93 pairs
  const char* const prefixes[] = {"", "abcdefghijklmn", "ABCDEFGHIJKLMNOP", "abcdefghijklmno"};
  for (const char* p : prefixes)
    for (const std::string& a : letters)
      for (const std::string& b : letters) {
        ExpectTextOrder(p + a, p + b);
        ExpectTextOrder(p + a + "b", p + b + "a");
      }
  // ａ before Ｂ as the Variant path has it (byte order would put Ｂ first).
  EXPECT_LT(CompareAnsiTexts("\xA3\xE1", "\xA3\xC2"), 0);
}

// Random hard texts, as String and as wide string values in a storage: the raw
// comparators and the typed copies (sort keys included) against CompareVariants.
TEST(TypedCompare, HardTextsOrderAsCompareVariants) {
  kvtest::HardTexts texts(11);
  for (int i = 0; i < 100000; ++i) {
    const std::string a = texts.Text(), b = texts.Pick(4) == 0 ? a + texts.Piece() : texts.Text();
    ExpectTextOrder(a, b);
    if (HasFatalFailure()) return;
  }
  std::vector<Variant> narrow, wide;
  for (int i = 0; i < 250; ++i) {
    const std::string t = texts.Text();
    narrow.push_back(texts.Pick(10) == 0 ? Variant::Null() : Variant(t));
    wide.push_back(texts.Pick(10) == 0 ? Variant::Null() : Variant(GbkToWide(t)));
  }
  ExpectSameOrder(TkvStringValueTypeClass(), narrow);
  ExpectSameOrder(TkvWideStringValueTypeClass(), wide);
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

// Each fixed-width value in the copy has its own bytes, zero-padded to the bits the
// filter reads; texts come from their record's cell, whatever their length.
TEST(TypedCompare, CopiesHoldEachValueInItsWidthAndTextsInPlace) {
  TkvDataStorage st;
  TkvValueDefs& d = st.ValueDefs();
  TkvValueDef* small = d.Add(TkvSmallintValueTypeClass(), true, false, nullptr);
  TkvValueDef* flag = d.Add(TkvBooleanValueTypeClass(), true, false, nullptr);
  TkvValueDef* whole = d.Add(TkvIntegerValueTypeClass(), true, false, nullptr);
  TkvValueDef* real = d.Add(TkvFloatValueTypeClass(), true, false, nullptr);
  TkvValueDef* text = d.Add(TkvStringValueTypeClass(), true, false, nullptr);
  const std::string longText(40, '\xB0');
  for (int r = 0; r < 3; ++r) st.AppendRecord();
  st.SetValue(0, small, Variant(short(-1)));
  st.SetValue(0, flag, true);
  st.SetValue(0, whole, INT32_MIN);
  st.SetValue(0, real, -2.5);
  st.SetValue(0, text, "");
  st.SetValue(1, small, Variant(short(0x1234)));
  st.SetValue(1, whole, 7);
  st.SetValue(1, text, "\xB0" "a" "12345678901234");  // fifteen bytes, kept inside the cell
  st.SetValue(2, text, Variant(longText));
  std::string got;
  for (TkvValueDef* def : {small, flag, whole, real}) {
    TkvColumnCopy copy;
    ASSERT_TRUE(copy.Refresh(st, def));
    for (int r = 0; r < 3; ++r) got += copy.Has(r) ? IntToHex(static_cast<int64_t>(copy.Bits(r)), 1) + " " : "~ ";
    got += "| ";
  }
  EXPECT_EQ(got, "FFFF 1234 ~ | 1 ~ ~ | 80000000 7 ~ | C004000000000000 ~ ~ | ");
  TkvColumnCopy copy;
  ASSERT_TRUE(copy.Refresh(st, text));
  EXPECT_TRUE(copy.HasTexts());
  EXPECT_EQ(std::string(copy.Text(0)) + "/" + std::string(copy.Text(1)), "/\xB0" "a" "12345678901234");
  EXPECT_EQ(copy.Text(2), longText);
  EXPECT_TRUE(copy.Has(0));
}

// --- the controller's users of the typed comparisons -------------------------------------

// A controller over ID, S (String) and W (wide string, the same text as S): sorting,
// range conditions and MIN/MAX take the typed path; the Variant path is the oracle for
// S, and W must see exactly what S sees.
class TwinTexts {
 public:
  explicit TwinTexts(uint32_t seed) : Texts(seed) {
    TDataPacket p;
    p.Fields = {{"ID", ftInteger, 0}, {"S", ftString, 200}, {"W", ftWideString, 200}};
    std::string previous;
    for (int i = 0; i < 300; ++i) {
      // Valid GBK only (a lone lead byte has no wide form); some texts twice.
      const std::string t = i > 0 && Texts.Pick(8) == 0 ? previous : Texts.Text(6, false);
      previous = t;
      const bool null = Texts.Pick(12) == 0;
      p.Rows.push_back({Variant(i), null ? Variant::Null() : Variant(t), null ? Variant::Null() : Variant(GbkToWide(t))});
    }
    DataSet.SetData(p);
    Source.SetDataSet(&DataSet);
    for (const char* n : {"ID", "S", "W"}) C.AddField(nullptr, n);
    C.SetDataSource(&Source);
  }
  ~TwinTexts() { C.SetDataSource(nullptr); }

  TkvDbField* F(int i) { return C.Fields().Items(i); }
  std::vector<int> Rows() { return C.Info().Rows(); }
  Variant Value(int record, int field) {
    Variant v;
    C.GetFieldValue(record, F(field), v);
    return v;
  }

  kvtest::HardTexts Texts;
  TClientDataSet DataSet{nullptr};
  TDataSource Source{nullptr};
  TkvCustomDbDataController C{nullptr};
};

TEST(TypedCompare, FaultSortsRangesAndTotalsOrderedDoubleByteLettersByTheirBytes) {
  TwinTexts g(23);
  ASSERT_EQ(g.C.GetRecordCount(), 300);
  TkvSummary* minS = g.F(1)->GetSummary(skMin);
  TkvSummary* maxS = g.F(1)->GetSummary(skMax);
  TkvSummary* minW = g.F(2)->GetSummary(skMin);
  TkvSummary* maxW = g.F(2)->GetSummary(skMax);
  static const TkvFilterOperatorKind kinds[] = {foLess, foLessEqual, foGreater, foGreaterEqual, foBetween, foEqual, foNotEqual};
  for (int round = 0; round < 60; ++round) {
    // Sorting: S against CompareVariants, W the same rows.
    const uint8_t dir = static_cast<uint8_t>(1 + g.Texts.Pick(2));
    g.C.ClearSorting();
    g.C.Filter().Clear();
    g.C.ChangeSorting(g.F(1), dir);
    std::vector<int> expect(static_cast<size_t>(g.C.GetRecordCount()));
    for (int r = 0; r < g.C.GetRecordCount(); ++r) expect[static_cast<size_t>(r)] = r;
    std::stable_sort(expect.begin(), expect.end(), [&](int a, int b) {
      const int k = CompareVariants(g.Value(a, 1), g.Value(b, 1));
      return dir == 2 ? k > 0 : k < 0;
    });
    ASSERT_EQ(g.Rows(), expect) << "sort by S, direction " << int(dir);
    g.C.ClearSorting();
    g.C.ChangeSorting(g.F(2), dir);
    ASSERT_EQ(g.Rows(), expect) << "sort by W, direction " << int(dir);
    // A range condition: S through the typed test against the Variant path, W the same.
    const TkvFilterOperatorKind kind = kinds[g.Texts.Pick(7)];
    // Bounds are new texts, or a record's own text in another case (equal when folded).
    auto bound = [&] {
      const Variant v = g.Value(g.Texts.Pick(g.C.GetRecordCount()), 1);
      if (v.IsNull() || g.Texts.Pick(2) == 0) return g.Texts.Text(6, false);
      return std::string(g.Texts.Pick(2) ? AnsiUpperCase(v.AsString()) : AnsiLowerCase(v.AsString()));
    };
    const std::string low = bound(), high = bound();
    const Variant operand = kind == foBetween ? VarArrayOf({Variant(low), Variant(high)}) : Variant(low);
    const TkvFilterCriteriaOptions options = g.Texts.Pick(3) == 0 ? fcoCaseInsensitive : 0;
    std::vector<int> byS, byW;
    for (int field : {1, 2}) {
      TkvDBDataFilterCriteria& f = g.C.Filter();
      f.BeginUpdate();
      f.Clear();
      f.SetOptions(options);
      f.AddCondition(nullptr, g.F(field),kind,
                     field == 1 ? operand
                                : (kind == foBetween ? VarArrayOf({Variant(GbkToWide(low)), Variant(GbkToWide(high))})
                                                     : Variant(GbkToWide(low))),
                     "");
      f.SetActive(true);
      f.EndUpdate();
      (field == 1 ? byS : byW) = g.Rows();
      if (field == 1) {
        std::vector<int> want;
        for (int r : expect)
          if (f.Evaluate(r)) want.push_back(r);
        ASSERT_EQ(byS, want) << "S condition " << int(kind) << " " << low << " / " << high << " options " << options;
      }
    }
    ASSERT_EQ(byW, byS) << "W condition " << int(kind) << " " << low << " / " << high << " options " << options;
    // MIN and MAX over the rows left, against CompareVariants.
    Variant mn, mx;
    for (int r : byS) {
      const Variant v = g.Value(r, 1);
      if (v.IsNull()) continue;
      if (mn.IsEmpty() || CompareVariants(v, mn) < 0) mn = v;
      if (mx.IsEmpty() || CompareVariants(v, mx) > 0) mx = v;
    }
    if (mn.IsEmpty()) continue;
    ASSERT_EQ(minS->Value().AsString(), mn.AsString()) << "MIN(S)";
    ASSERT_EQ(maxS->Value().AsString(), mx.AsString()) << "MAX(S)";
    ASSERT_EQ(minW->Value().AsString(), mn.AsString()) << "MIN(W)";
    ASSERT_EQ(maxW->Value().AsString(), mx.AsString()) << "MAX(W)";
  }
}

}  // namespace
