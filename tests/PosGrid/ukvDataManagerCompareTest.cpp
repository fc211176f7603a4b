// Typed values and the typed comparator of the record storage against the Variant path
// on random values drawn from the hard cases: every typed Set stores what SetValue
// stores for the Variant (or raises the same error), every typed Get reads what
// GetValue's Variant reads, and the comparator orders records as CompareVariants does.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>
#include "HardTexts.h"
#include "VCLSource/source/PosGrid/ukvDataManagerCompare.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "rtl/NumberFormat.h"

namespace {

TkvValueTypeClass (*const kTypes[])() = {
    TkvStringValueTypeClass,   TkvWideStringValueTypeClass, TkvSmallintValueTypeClass, TkvIntegerValueTypeClass,
    TkvWordValueTypeClass,     TkvBooleanValueTypeClass,    TkvFloatValueTypeClass,    TkvCurrencyValueTypeClass,
    TkvDateTimeValueTypeClass, TkvLargeIntValueTypeClass,   TkvFMTBcdValueTypeClass,   TkvVariantValueTypeClass};

// A storage with one definition of every value type.
struct AllTypes {
  TkvDataStorage Storage;
  std::vector<TkvValueDef*> Defs;
  explicit AllTypes(int records) {
    for (auto type : kTypes) Defs.push_back(Storage.ValueDefs().Add(type(), true, false, nullptr));
    Storage.SetRecordCount(records);
  }
};

std::string Failure(const Exception& e) { return std::string(e.ClassName()) + ":" + e.Message(); }

// A Variant rendered whole: its type and its value (doubles by their bits).
std::string Render(const Variant& v) {
  std::string s = std::to_string(v.VType()) + ":";
  if (v.VType() == varDouble || v.VType() == varDate) {
    const double d = v.RawDouble();
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return s + std::to_string(bits);
  }
  try {
    return s + std::string(VarToStr(v));
  } catch (const Exception& e) {
    return s + Failure(e);
  }
}

template <class Fn>
std::string Outcome(Fn fn) {
  try {
    return fn();
  } catch (const Exception& e) {
    return Failure(e);
  }
}

// One value of each typed setter's kind, from the hard cases.
struct Values {
  int32_t I;
  double F;
  TDateTime D;
  Currency C;
  bool B;
  AnsiString S;
};

Values Draw(std::mt19937& random, kvtest::HardTexts& texts) {
  static const int32_t ints[] = {0, 1, -1, 7, 32767, 32768, -32768, 65535, 65536, INT_MAX, INT_MIN};
  static const double floats[] = {0.0, -0.0, 0.5, -2.5, 1e300, -1e300, 32767.5, 2147483647.0, 1e-300,
                                  std::numeric_limits<double>::quiet_NaN()};
  static const char* const numbers[] = {"12", "-3", "1.5", "abc", "", "99999", "True", "2026-12-07"};
  Values v;
  v.I = ints[random() % std::size(ints)];
  v.F = floats[random() % std::size(floats)];
  v.D = 46000.0 + static_cast<int>(random() % 1000) - 500 + (random() % 2 ? 0.25 : 0);
  v.C = Currency::FromScaled(random() % 3 == 0 ? INT64_MAX : static_cast<int64_t>(random() % 2000000) - 1000000);
  v.B = random() % 2 == 0;
  v.S = random() % 3 == 0 ? AnsiString(numbers[random() % std::size(numbers)]) : AnsiString(texts.Text());
  return v;
}

TEST(StorageTypedValues, SetAndGetAsTheVariantPathDoesOnEveryType) {
  std::mt19937 random(20261207);
  kvtest::HardTexts texts(7);
  AllTypes typed(1), viaVariant(1);
  int mismatches = 0;
  std::string first;
  auto check = [&](const std::string& what, const std::string& a, const std::string& b) {
    if (a != b && mismatches++ == 0) first = what + "\n  typed:   " + a + "\n  variant: " + b;
  };
  for (int round = 0; round < 3000; ++round) {
    const Values v = Draw(random, texts);
    for (size_t k = 0; k < std::size(kTypes); ++k) {
      TkvValueDef* t = typed.Defs[k];
      TkvValueDef* w = viaVariant.Defs[k];
      TkvDataStorage& ts = typed.Storage;
      TkvDataStorage& ws = viaVariant.Storage;
      // Start both from the same value (or Null) so a failed store keeps the same thing.
      if (round % 5 == 0) {
        ts.SetValue(0, t, Variant::Null());
        ws.SetValue(0, w, Variant::Null());
      }
      const std::string name = t->ValueType()->ShortName();
      auto stored = [&](TkvDataStorage& s, TkvValueDef* d) {
        Variant x;
        s.GetValue(0, d, x);
        return Render(x);
      };
      auto set = [&](const char* setter, auto typedSet, const Variant& variant) {
        const std::string a = Outcome([&] { typedSet(); return std::string("ok"); }) + " " + stored(ts, t);
        const std::string b = Outcome([&] { ws.SetValue(0, w, variant); return std::string("ok"); }) + " " + stored(ws, w);
        check(name + "." + setter, a, b);
      };
      switch (round % 6) {
        case 0: set("SetInteger", [&] { ts.SetInteger(0, t, v.I); }, Variant(static_cast<int>(v.I))); break;
        case 1: set("SetFloat", [&] { ts.SetFloat(0, t, v.F); }, Variant(v.F)); break;
        case 2: set("SetDateTime", [&] { ts.SetDateTime(0, t, v.D); }, Variant::FromDate(v.D)); break;
        case 3: set("SetCurrency", [&] { ts.SetCurrency(0, t, v.C); }, Variant::FromCurrency(v.C)); break;
        case 4: set("SetBoolean", [&] { ts.SetBoolean(0, t, v.B); }, Variant(v.B)); break;
        default: set("SetString", [&] { ts.SetString(0, t, v.S); }, Variant(v.S)); break;
      }
      // Every getter on the value now stored, against GetValue read as that type.
      auto get = [&](const char* getter, auto typedGet, auto read) {
        const std::string a = Outcome(typedGet);
        const std::string b = Outcome([&] {
          Variant x;
          ws.GetValue(0, w, x);
          return x.IsNull() ? std::string("null") : read(x);
        });
        check(name + "." + getter, a, b);
      };
      auto bits = [](double d) {
        uint64_t b;
        std::memcpy(&b, &d, sizeof b);
        return std::to_string(b);
      };
      get("GetInteger", [&] { int32_t x = 0; return ts.GetInteger(0, t, x) ? std::to_string(x) : std::string("null"); },
          [](const Variant& x) { return std::to_string(x.AsInteger()); });
      get("GetFloat", [&] { double x = 0; return ts.GetFloat(0, t, x) ? bits(x) : std::string("null"); },
          [&](const Variant& x) { return bits(x.AsDouble()); });
      get("GetDateTime", [&] { TDateTime x = 0; return ts.GetDateTime(0, t, x) ? bits(x) : std::string("null"); },
          [&](const Variant& x) { return bits(x.AsDateTime()); });
      get("GetCurrency",
          [&] { Currency x; return ts.GetCurrency(0, t, x) ? std::to_string(x.Scaled()) : std::string("null"); },
          [](const Variant& x) { return std::to_string(x.AsCurrency().Scaled()); });
      get("GetBoolean", [&] { bool x = false; return ts.GetBoolean(0, t, x) ? std::to_string(x) : std::string("null"); },
          [](const Variant& x) { return std::to_string(x.AsBoolean()); });
      get("GetString", [&] { AnsiString x; return ts.GetString(0, t, x) ? std::string(x) : std::string("null"); },
          [](const Variant& x) { return std::string(x.AsString()); });
    }
  }
  EXPECT_EQ(mismatches, 0) << first;
}

TEST(StorageTypedValues, IndexErrorsAsTheVariantPath) {
  AllTypes s(2);
  EXPECT_THROW(s.Storage.SetInteger(2, s.Defs[3], 1), EkvInvalidDataControllerOperation);
  EXPECT_THROW(s.Storage.SetString(-1, s.Defs[0], "x"), EkvInvalidDataControllerOperation);
  int32_t x = 0;
  EXPECT_THROW(s.Storage.GetInteger(2, s.Defs[3], x), EkvInvalidDataControllerOperation);
  // An internal record keeps its own twin's value.
  const int scratch = s.Storage.AppendInternalRecord();
  s.Storage.SetInteger(scratch, s.Defs[3], 42);
  EXPECT_FALSE(s.Storage.GetInteger(0, s.Defs[3], x));
  ASSERT_TRUE(s.Storage.GetInteger(scratch, s.Defs[3], x));
  EXPECT_EQ(x, 42);
}

int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

TEST(StorageComparator, OrdersRecordsAsCompareVariantsOnEveryType) {
  std::mt19937 random(424242);
  kvtest::HardTexts texts(11);
  constexpr int kRecords = 400;
  AllTypes s(kRecords);
  // Few distinct values, so duplicates are common; about one value in seven is Null.
  std::vector<Values> pool;
  for (int i = 0; i < 40; ++i) pool.push_back(Draw(random, texts));
  for (int r = 0; r < kRecords; ++r) {
    for (size_t k = 0; k < std::size(kTypes); ++k) {
      if (random() % 7 == 0) continue;
      const Values& v = pool[random() % pool.size()];
      TkvValueDef* d = s.Defs[k];
      try {
        switch (random() % 4) {
          case 0: s.Storage.SetString(r, d, v.S); break;
          case 1: s.Storage.SetInteger(r, d, v.I); break;
          case 2: s.Storage.SetFloat(r, d, v.F); break;
          default: s.Storage.SetCurrency(r, d, v.C); break;
        }
      } catch (const Exception&) {
        // the value does not fit the type: the record keeps Null there
      }
    }
  }
  for (size_t k = 0; k < std::size(kTypes); ++k) {
    TkvValueDef* d = s.Defs[k];
    const TkvRecordComparator cmp(s.Storage, d);
    auto byVariants = [&](int a, int b) {
      Variant va, vb;
      s.Storage.GetValue(a, d, va);
      s.Storage.GetValue(b, d, vb);
      return CompareVariants(va, vb);
    };
    int wrong = 0;
    for (int n = 0; n < 20000; ++n) {
      const int a = static_cast<int>(random() % kRecords), b = static_cast<int>(random() % kRecords);
      if (Sign(cmp(a, b)) != Sign(byVariants(a, b))) ++wrong;
    }
    EXPECT_EQ(wrong, 0) << d->ValueType()->ShortName();
    std::vector<int> typedOrder(kRecords), variantOrder(kRecords);
    std::iota(typedOrder.begin(), typedOrder.end(), 0);
    std::iota(variantOrder.begin(), variantOrder.end(), 0);
    std::stable_sort(typedOrder.begin(), typedOrder.end(), [&](int a, int b) { return cmp.Less(a, b); });
    std::stable_sort(variantOrder.begin(), variantOrder.end(), [&](int a, int b) { return byVariants(a, b) < 0; });
    EXPECT_EQ(typedOrder, variantOrder) << d->ValueType()->ShortName();
  }
  const TkvRecordComparator cmp(s.Storage, s.Defs[0]);
  EXPECT_THROW(cmp(0, kRecords), EkvInvalidDataControllerOperation);
  EXPECT_THROW(cmp(-1, 0), EkvInvalidDataControllerOperation);
}

}  // namespace
