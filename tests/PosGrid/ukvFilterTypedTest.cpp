// Criteria tested record by record over record storage: conditions whose items give a
// typed source against the same conditions read through Variants, on random records
// and random conditions drawn from the hard cases (GBK letters with case pairs, trail
// bytes equal to ASCII signs, Nulls, duplicates, operands of another type than the
// field's, lists, patterns, both case options). Every record must pass or fail alike,
// and a failure must be the same error.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include "HardTexts.h"
#include "VCLSource/source/PosGrid/ukvFilter.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

// Criteria over a storage; Typed says whether its items give their typed source.
class StorageCriteria : public TkvFilterCriteria {
 public:
  StorageCriteria(TkvDataStorage& s, bool typed) : Storage(s), Typed(typed) {}
  std::unique_ptr<TkvFilterCriteriaItem> CreateItem(TkvFilterCriteriaItemList* parent, TObject* link,
                                                    TkvFilterOperatorKind kind, const Variant& value,
                                                    const AnsiString& displayValue) override;
  TkvDataStorage& Storage;
  bool Typed;
};

class StorageItem : public TkvFilterCriteriaItem {
 public:
  using TkvFilterCriteriaItem::TkvFilterCriteriaItem;
  StorageCriteria& Owner() const { return *static_cast<StorageCriteria*>(GetCriteria()); }
  TkvValueDef* Def() const { return static_cast<TkvValueDef*>(Link()); }
  void GetDataValue(int recordIndex, Variant& v) override { Owner().Storage.GetValue(recordIndex, Def(), v); }
  bool GetTypedSource(TkvFilterTypedSource& source) override {
    if (!Owner().Typed) return false;
    source.Type = Def()->ValueType();
    source.Storage = &Owner().Storage;
    source.Def = Def();
    return true;
  }
};

std::unique_ptr<TkvFilterCriteriaItem> StorageCriteria::CreateItem(TkvFilterCriteriaItemList* parent, TObject* link,
                                                                   TkvFilterOperatorKind kind, const Variant& value,
                                                                   const AnsiString& displayValue) {
  return std::make_unique<StorageItem>(parent, link, kind, value, displayValue);
}

struct Table {
  TkvDataStorage Storage;
  std::vector<TkvValueDef*> Defs;
};

class Draws {
 public:
  explicit Draws(uint32_t seed) : FRandom(seed), FTexts(seed) {}
  int Pick(int n) { return static_cast<int>(FRandom() % static_cast<uint32_t>(n)); }

  // A value of any group: Null, Boolean, numbers of several kinds, texts.
  Variant Value() {
    switch (Pick(9)) {
      case 0: return Variant::Null();
      case 1: return Variant(Pick(2) == 0);
      case 2: {
        static const int ints[] = {0, 1, -1, 7, 500, INT_MAX, INT_MIN};
        return Variant(ints[Pick(7)]);
      }
      case 3: return Variant(Pick(200) / 4.0 - 10);
      case 4: return Variant::FromCurrency(Currency::FromScaled(Pick(2000000) - 1000000));
      case 5: return Variant::FromDate(46000.0 + Pick(30));
      case 6: {
        static const char* const numbers[] = {"7", "500", "-1", "1.5", "abc"};
        return Variant(numbers[Pick(5)]);
      }
      default: return Variant(AnsiString(FTexts.Text(4)));
    }
  }

  // A LIKE pattern: wildcards around hard texts, sometimes a single wildcard inside.
  Variant Pattern() {
    std::string s = Pick(2) ? "%" : "";
    s += FTexts.Text(2, false);
    if (Pick(4) == 0) s += "_";
    if (Pick(2)) s += "%";
    return Variant(AnsiString(s));
  }

  kvtest::HardTexts& Texts() { return FTexts; }

 private:
  std::mt19937 FRandom;
  kvtest::HardTexts FTexts;
};

void Fill(Table& t, Draws& d, int records) {
  TkvValueTypeClass (*const types[])() = {TkvStringValueTypeClass, TkvIntegerValueTypeClass, TkvFloatValueTypeClass,
                                          TkvCurrencyValueTypeClass, TkvBooleanValueTypeClass,
                                          TkvDateTimeValueTypeClass, TkvSmallintValueTypeClass};
  for (auto type : types) t.Defs.push_back(t.Storage.ValueDefs().Add(type(), true, false, nullptr));
  t.Storage.SetRecordCount(records);
  for (int r = 0; r < records; ++r)
    for (TkvValueDef* def : t.Defs) {
      if (d.Pick(8) == 0) continue;  // Null
      try {
        if (def->IsStringDef()) t.Storage.SetString(r, def, d.Texts().Text(5));
        else t.Storage.SetValue(r, def, d.Value());
      } catch (const Exception&) {
        // a value the type cannot hold leaves Null
      }
    }
}

// The same random conditions added to both criteria.
void AddConditions(Draws& d, const Table& t, StorageCriteria& a, StorageCriteria& b) {
  const int count = 1 + d.Pick(3);
  TkvFilterCriteriaItemList* listA = nullptr;
  TkvFilterCriteriaItemList* listB = nullptr;
  if (d.Pick(3) == 0) {
    const auto op = static_cast<TkvFilterBoolOperator>(d.Pick(4));
    listA = a.Root().AddItemList(op);
    listB = b.Root().AddItemList(op);
  }
  for (int i = 0; i < count; ++i) {
    TkvValueDef* def = t.Defs[static_cast<size_t>(d.Pick(static_cast<int>(t.Defs.size())))];
    static const TkvFilterOperatorKind kinds[] = {foEqual,   foNotEqual, foLess,     foLessEqual,  foGreater,
                                                  foGreaterEqual, foLike, foNotLike, foBetween, foNotBetween,
                                                  foInList,  foNotInList};
    const TkvFilterOperatorKind kind = kinds[d.Pick(12)];
    Variant value;
    if (kind == foLike || kind == foNotLike) value = d.Pattern();
    else if (kind == foBetween || kind == foNotBetween) value = VarArrayOf({d.Value(), d.Value()});
    else if (kind == foInList || kind == foNotInList) value = VarArrayOf({d.Value(), d.Value(), d.Value()});
    else value = d.Value();
    TkvFilterCriteriaItemList* pa = i % 2 ? listA : nullptr;
    TkvFilterCriteriaItemList* pb = i % 2 ? listB : nullptr;
    a.AddCondition(pa, def, kind, value, "");
    b.AddCondition(pb, def, kind, value, "");
  }
}

std::string Outcome(StorageCriteria& c, int record) {
  try {
    return c.Evaluate(record) ? "1" : "0";
  } catch (const Exception& e) {
    return std::string(e.ClassName()) + ":" + e.Message();
  }
}

// The typed and the Variant path's answers over many criteria: how many records
// differed (the first of them described) and how many passed.
struct PathComparison {
  int mismatches = 0, passes = 0;
  std::string first;
  void Compare(StorageCriteria& typed, StorageCriteria& variant, int records) {
    for (int r = 0; r < records; ++r) {
      const std::string a = Outcome(typed, r), b = Outcome(variant, r);
      passes += a == "1" ? 1 : 0;
      if (a != b && mismatches++ == 0)
        first = "criteria " + std::string(variant.FilterText()) + " record " + std::to_string(r) + ": typed " + a +
                ", Variant " + b;
    }
  }
};

TEST(TypedCriteria, RecordByRecordAsTheVariantPath) {
  Draws d(20261207);
  Table t;
  constexpr int kRecords = 300;
  Fill(t, d, kRecords);
  PathComparison result;
  for (int n = 0; n < 600; ++n) {
    StorageCriteria typed(t.Storage, true), variant(t.Storage, false);
    static const TkvFilterCriteriaOptions options[] = {0, fcoCaseInsensitive, fcoIgnoreNull | fcoSoftNull,
                                                       fcoSoftCompare, fcoCaseInsensitive | fcoIgnoreNull};
    const TkvFilterCriteriaOptions o = options[d.Pick(5)];
    typed.SetOptions(o);
    variant.SetOptions(o);
    AddConditions(d, t, typed, variant);
    result.Compare(typed, variant, kRecords);
  }
  EXPECT_EQ(result.mismatches, 0) << result.first;
  EXPECT_GT(result.passes, 600 * kRecords / 20);  // the conditions let records through too
}

// Integer, float and date fields at the limits of their types (NaN, infinities, values
// past Int64, halves next to the Integer limits) against operands of every number kind
// at the same limits, in AND lists of typed conditions (tested as a plain loop) and in
// lists of the other operators: every record as the Variant path answers.
Variant LimitNumber(std::mt19937& random) {
  static const double doubles[] = {0.0,     -0.0,     0.5,     -0.5,     2147483647.0, 2147483647.5, -2147483648.0,
                                   -2147483648.5, 2147483648.0, 9.2e18, -9.2e18, 9.3e18, -9.3e18, 9223372036854775807.0,
                                   DBL_MAX, -DBL_MAX, 1e-310, std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(), std::nan("")};
  static const long long int64s[] = {LLONG_MAX, LLONG_MIN, 9200000000000000000LL, 2147483648LL, -2147483649LL, 0};
  static const int ints[] = {INT_MAX, INT_MIN, 0, 1, -1, 2147483646};
  switch (random() % 8) {
    case 0: return Variant::Null();
    case 1: return Variant(int64s[random() % 6]);
    case 2: case 3: return Variant(ints[random() % 6]);
    case 4: return Variant::FromCurrency(Currency::FromScaled(static_cast<int64_t>(random() % 5) * 5000 - 10000));
    case 5: return random() % 2 ? Variant(true) : Variant("7");
    default: return Variant(doubles[random() % 20]);
  }
}

TEST(TypedCriteria, NumbersAtTheirLimitsAsTheVariantPath) {
  std::mt19937 random(7240);
  Table t;
  for (auto type : {TkvIntegerValueTypeClass, TkvFloatValueTypeClass, TkvDateTimeValueTypeClass})
    t.Defs.push_back(t.Storage.ValueDefs().Add(type(), true, false, nullptr));
  constexpr int kRecords = 200;
  t.Storage.SetRecordCount(kRecords);
  int stored = 0;
  for (int r = 0; r < kRecords; ++r)
    for (TkvValueDef* def : t.Defs) {
      try {
        t.Storage.SetValue(r, def, LimitNumber(random));
        ++stored;
      } catch (const Exception&) {
        // a value the type cannot hold leaves Null
      }
    }
  EXPECT_GT(stored, kRecords * 3 / 2);
  PathComparison result;
  static const TkvFilterOperatorKind kinds[] = {foEqual,   foNotEqual,   foLess,   foLessEqual, foGreater,
                                                foGreaterEqual, foBetween, foNotBetween, foInList, foNotInList};
  for (int n = 0; n < 400; ++n) {
    StorageCriteria typed(t.Storage, true), variant(t.Storage, false);
    TkvFilterCriteriaItemList* listA = nullptr;
    TkvFilterCriteriaItemList* listB = nullptr;
    if (random() % 3 == 0) {
      const auto op = static_cast<TkvFilterBoolOperator>(random() % 4);
      listA = typed.Root().AddItemList(op);
      listB = variant.Root().AddItemList(op);
    }
    const int count = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < count; ++i) {
      TkvValueDef* def = t.Defs[random() % t.Defs.size()];
      const TkvFilterOperatorKind kind = kinds[random() % 10];
      Variant value;
      if (kind == foBetween || kind == foNotBetween) value = VarArrayOf({LimitNumber(random), LimitNumber(random)});
      else if (kind == foInList || kind == foNotInList) value = VarArrayOf({LimitNumber(random), LimitNumber(random)});
      else value = LimitNumber(random);
      typed.AddCondition(i % 2 ? listA : nullptr, def, kind, value, "");
      variant.AddCondition(i % 2 ? listB : nullptr, def, kind, value, "");
    }
    result.Compare(typed, variant, kRecords);
  }
  EXPECT_EQ(result.mismatches, 0) << result.first;
  EXPECT_GT(result.passes, 400 * kRecords / 20);
}

// One letter anywhere ("%a%"): texts with double-byte characters whose trail byte is
// that letter, letters with case pairs under both case options, Nulls and empty texts;
// every record as the Variant path answers.
TEST(TypedCriteria, OneLetterAnywhereAsTheVariantPath) {
  Draws d(20261224);
  Table t;
  t.Defs.push_back(t.Storage.ValueDefs().Add(TkvStringValueTypeClass(), true, false, nullptr));
  constexpr int kRecords = 400;
  t.Storage.SetRecordCount(kRecords);
  for (int r = 0; r < kRecords; ++r) {
    const int pick = d.Pick(10);
    if (pick == 0) continue;  // Null
    t.Storage.SetString(r, t.Defs[0], pick == 1 ? std::string() : d.Texts().Text(5));
  }
  static const char* const letters[] = {"a", "A", "z", "Z", "\\", "~", "@", "0", " ", "_", "\xA3", "\xB0"};
  static const TkvFilterCriteriaOptions options[] = {0, fcoCaseInsensitive, fcoIgnoreNull | fcoSoftNull};
  PathComparison result;
  for (int n = 0; n < 120; ++n) {
    StorageCriteria typed(t.Storage, true), variant(t.Storage, false);
    const TkvFilterCriteriaOptions o = options[d.Pick(3)];
    typed.SetOptions(o);
    variant.SetOptions(o);
    for (int i = 0, count = 1 + d.Pick(2); i < count; ++i) {
      const Variant pattern(std::string("%") + letters[d.Pick(12)] + "%");
      const TkvFilterOperatorKind kind = d.Pick(3) == 0 ? foNotLike : foLike;
      typed.AddCondition(nullptr, t.Defs[0], kind, pattern, "");
      variant.AddCondition(nullptr, t.Defs[0], kind, pattern, "");
    }
    result.Compare(typed, variant, kRecords);
  }
  EXPECT_EQ(result.mismatches, 0) << result.first;
  EXPECT_GT(result.passes, 120 * kRecords / 20);
}

// A condition made before its field's values change sees the new values: the typed
// test reads the records in place at every test.
TEST(TypedCriteria, ReadsTheRecordsAsTheyAreNow) {
  Table t;
  t.Defs.push_back(t.Storage.ValueDefs().Add(TkvIntegerValueTypeClass(), true, false, nullptr));
  t.Storage.SetRecordCount(1);
  t.Storage.SetInteger(0, t.Defs[0], 5);
  StorageCriteria c(t.Storage, true);
  c.AddCondition(nullptr, t.Defs[0], foGreater, 3, "");
  EXPECT_TRUE(c.Evaluate(0));
  t.Storage.SetInteger(0, t.Defs[0], 1);
  EXPECT_FALSE(c.Evaluate(0));
  t.Storage.SetValue(0, t.Defs[0], Variant::Null());
  EXPECT_FALSE(c.Evaluate(0));
}

}  // namespace
