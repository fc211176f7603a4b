// The filter's row pass (FilterRows: a root AND of typed conditions over the rows at
// once) against the record-by-record evaluation, for every operator that takes a value,
// with three conditions at a time and records on the equality edges of each operand.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "DataControllerFixture.h"
#include "rtl/Currency.h"
#include "rtl/NumberFormat.h"

using kvtest::Grid;
using kvtest::Row6;

namespace {

Variant N() { return Variant::Null(); }

// Numbers around the operands below: each operand, its neighbours by one, by a half
// and by the smallest step of a double, the signs of zero and the type limits.
std::vector<double> EdgeNumbers() {
  std::vector<double> v = {0.0, -0.0, INT_MAX, INT_MIN, 1e15, -1e15};
  for (double k : {-3.0, 0.0, 2.0, 7.0, 2.5}) {
    for (double d : {-1.0, -0.5, 0.0, 0.5, 1.0}) v.push_back(k + d);
    v.push_back(std::nextafter(k, -1e300));
    v.push_back(std::nextafter(k, 1e300));
  }
  return v;
}

const char* const kNames[] = {"", "a", "A", "ab", "乤", "乤an", "b乶", "an", "ａ", "Ａ", "prefix-a", "prefix-B"};

// Records: every edge number once as ID (when whole) and as PRICE and DAY, texts from the
// hard cases, Nulls and duplicates.
std::vector<Row6> EdgeRows() {
  std::vector<Row6> rows;
  const std::vector<double> numbers = EdgeNumbers();
  int i = 0;
  for (double d : numbers) {
    for (int copy = 0; copy < 2; ++copy, ++i) {
      const bool whole = d == std::floor(d) && d >= INT_MIN && d <= INT_MAX;
      rows.push_back({whole ? Variant(static_cast<int>(d)) : Variant(i % 5 - 2),
                      i % 9 == 0 ? N() : Variant(kNames[i % 12]), Variant(d), N(),
                      i % 7 == 0 ? N() : Variant::FromDate(45000 + d), Variant(i % 2 == 0)});
    }
  }
  rows.push_back({N(), N(), N(), N(), N(), N()});
  return rows;
}

struct Condition {
  const char* Field;
  TkvFilterOperatorKind Kind;
  Variant Value;
};

// The value of a condition of kind on field with operand k.
Variant Operand(const char* field, TkvFilterOperatorKind kind, double k, int pick) {
  const bool day = std::string(field) == "DAY";
  const bool whole = std::string(field) == "ID";
  // On the integer column a bound it holds is an integer; any other stays a real number.
  auto one = [&](double x) {
    if (whole && x == std::floor(x) && x >= INT_MIN && x <= INT_MAX) return Variant(static_cast<int>(x));
    return day ? Variant::FromDate(45000 + x) : Variant(x);
  };
  switch (kind) {
    case foBetween:
    case foNotBetween: return VarArrayOf({one(k), one(k + (pick % 3))});  // also an empty width
    case foInList:
    case foNotInList: return VarArrayOf({one(k), one(k + 1), one(-3)});
    default: return one(k);
  }
}

// One comparison of the row pass with the record test; "" when they agree.
std::string Compare(Grid& g, TkvDBDataFilterCriteria& f, const std::vector<Condition>& conditions, bool& fast) {
  f.BeginUpdate();
  f.Clear();
  for (const Condition& c : conditions) f.AddCondition(nullptr, g.F(c.Field), c.Kind, c.Value, "");
  f.Root().SetBoolOperator(fboAnd);
  f.EndUpdate();
  f.InvalidateCompiled();
  std::vector<int> rows, expect;
  for (int r = 0; r < g.C->GetRecordCount(); ++r) {
    rows.push_back(r);
    if (f.Evaluate(r)) expect.push_back(r);
  }
  fast = f.FilterRows(rows, -1);
  if (!fast || rows == expect) return "";
  std::string s;
  for (const Condition& c : conditions)
    s += std::string(c.Field) + " op" + std::to_string(c.Kind) + " " + std::string(VarToStr(c.Value)) + "; ";
  return s + "rows " + std::to_string(rows.size()) + " expected " + std::to_string(expect.size());
}

const TkvFilterOperatorKind kNumberKinds[] = {foEqual,   foNotEqual,   foLess,    foLessEqual, foGreater,
                                              foGreaterEqual, foBetween, foNotBetween, foInList, foNotInList};

// Each operator on each number column, alone beside two other typed conditions that let
// every row through or cut it, at every operand of the edge list.
TEST(DataFilterFastPath, EveryOperatorAgreesWithTheRecordTestAtEqualityEdges) {
  Grid g(EdgeRows());
  TkvDBDataFilterCriteria& f = g.C->Filter();
  int compared = 0, fast = 0;
  for (const char* field : {"ID", "PRICE", "DAY"}) {
    for (TkvFilterOperatorKind kind : kNumberKinds) {
      for (double k : {-3.0, 0.0, 2.0, 7.0, 2.5}) {
        for (int pick = 0; pick < 3; ++pick) {
          const std::vector<Condition> conditions = {
              {field, kind, Operand(field, kind, k, pick)},
              {"PRICE", pick == 0 ? foGreaterEqual : foLessEqual, Variant(pick == 2 ? 2.5 : -1e300)},
              {"ID", foNotEqual, Variant(pick == 1 ? 0 : INT_MIN)}};
          bool wasFast = false;
          ASSERT_EQ(Compare(g, f, conditions, wasFast), "");
          ++compared;
          fast += wasFast ? 1 : 0;
        }
      }
    }
  }
  EXPECT_EQ(fast, compared);  // every one of them took the row pass
}

// Texts: LIKE shapes and comparisons, with the number tests before them.
TEST(DataFilterFastPath, TextConditionsAgreeWithTheRecordTest) {
  Grid g(EdgeRows());
  TkvDBDataFilterCriteria& f = g.C->Filter();
  const char* const likes[] = {"%an%", "a%", "%a", "乤%", "an", "%", "prefix-%"};
  int compared = 0;
  for (const int options : {0, int(fcoCaseInsensitive), int(fcoIgnoreNull | fcoSoftNull)}) {
    f.SetOptions(static_cast<TkvFilterCriteriaOptions>(options));
    for (const char* like : likes)
      for (TkvFilterOperatorKind kind : {foLike, foNotLike}) {
        bool fast = false;
        ASSERT_EQ(Compare(g, f, {{"NAME", kind, Variant(like)}, {"ID", foGreaterEqual, Variant(-2)},
                                 {"PRICE", foLess, Variant(7.0)}}, fast), "");
        ++compared;
      }
    for (const char* name : kNames)
      for (TkvFilterOperatorKind kind : {foEqual, foNotEqual, foLess, foLessEqual, foGreater, foGreaterEqual}) {
        bool fast = false;
        ASSERT_EQ(Compare(g, f, {{"ID", foLessEqual, Variant(7)}, {"NAME", kind, Variant(name)},
                                 {"DAY", foGreater, Variant::FromDate(45000 - 3)}}, fast), "");
        ++compared;
      }
  }
  EXPECT_EQ(compared, 3 * (7 * 2 + 12 * 6));
}

// Random triples from the same edges: any three operators on any columns at once.
TEST(DataFilterFastPath, RandomTriplesAgreeWithTheRecordTest) {
  Grid g(EdgeRows());
  TkvDBDataFilterCriteria& f = g.C->Filter();
  std::mt19937 rnd(31);
  const char* const fields[] = {"ID", "PRICE", "DAY"};
  // Also bounds the integer column cannot hold: fractions, past its limits, past Int64.
  const double operands[] = {-3.0, 0.0, 2.0, 7.0, 2.5, INT_MAX, INT_MIN, -2.5, 2147483647.5, -2147483648.5, 3e9, -3e9, 1e19};
  int fast = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<Condition> conditions;
    for (int c = 0; c < 3; ++c) {
      const char* field = fields[rnd() % 3];
      const TkvFilterOperatorKind kind = kNumberKinds[rnd() % 10];
      conditions.push_back({field, kind, Operand(field, kind, operands[rnd() % 13], static_cast<int>(rnd() % 3))});
    }
    bool wasFast = false;
    ASSERT_EQ(Compare(g, f, conditions, wasFast), "") << "round " << round;
    fast += wasFast ? 1 : 0;
  }
  EXPECT_EQ(fast, 3000);
}

// Mended fault: a bound the integer column cannot hold was cast to it, so "ID >= 2.5"
// let 2 through and "ID = 2.5" matched 2, while the condition read 2.5. Each simple
// comparison on ID with such a bound (fractions, given as numbers, texts or currency;
// past the Integer and Int64 limits) against a plain comparison of the numbers: the
// row pass, the record test and the operator's Variant test all answer as it does, and
// the filter text shows the bound as given.
TEST(DataFilterFastPath, FaultIntegerColumnRoundedABoundItCannotHold) {
  Grid g(EdgeRows());
  TkvDBDataFilterCriteria& f = g.C->Filter();
  const Variant bounds[] = {Variant(2.5), Variant(-2.5), Variant(6.75), Variant("2.5"), Variant(" -2.5 "),
                            Variant::FromCurrency(Currency::FromScaled(25000)), Variant(2147483647.5),
                            Variant(-2147483648.5), Variant(3e9), Variant(-3e9), Variant(1e19),
                            Variant(static_cast<long long>(3000000000LL)), Variant(static_cast<long long>(-3000000000LL)),
                            Variant(std::numeric_limits<double>::infinity())};
  const TkvFilterOperatorKind kinds[] = {foEqual, foNotEqual, foLess, foLessEqual, foGreater, foGreaterEqual};
  auto plain = [](TkvFilterOperatorKind kind, double v, double b) {
    switch (kind) {
      case foEqual: return v == b;
      case foNotEqual: return v != b;
      case foLess: return v < b;
      case foLessEqual: return v <= b;
      case foGreater: return v > b;
      default: return v >= b;
    }
  };
  int compared = 0;
  for (const Variant& bound : bounds) {
    double b = 0;
    if (VarIsNumeric(bound)) b = bound.AsDouble();
    else ASSERT_TRUE(TryStrToFloat(VarToStr(bound), b)) << VarToStr(bound);
    for (TkvFilterOperatorKind kind : kinds) {
      f.BeginUpdate();
      f.Clear();
      TkvFilterCriteriaItem* item = f.AddCondition(nullptr, g.F("ID"), kind, bound, "");
      f.SetActive(true);
      f.EndUpdate();
      f.InvalidateCompiled();
      const std::string context = std::string(f.FilterText()) + " (" + std::string(VarToStr(bound)) + ")";
      EXPECT_NE(std::string(f.FilterText()).find(std::string(VarToStr(item->Value()))), std::string::npos) << context;
      EXPECT_EQ(item->Value().AsDouble(), b) << context;  // never rounded
      std::vector<int> rows;
      for (int r = 0; r < g.C->GetRecordCount(); ++r) rows.push_back(r);
      ASSERT_TRUE(f.FilterRows(rows, -1)) << context;
      std::string differ;
      for (int r = 0; r < g.C->GetRecordCount(); ++r) {
        Variant v;
        g.C->GetValue(r, g.F("ID"), v);
        if (v.IsNull()) continue;
        const bool want = plain(kind, v.AsDouble(), b);
        const bool byRows = std::find(rows.begin(), rows.end(), r) != rows.end();
        const bool byRecord = f.Evaluate(r);
        const bool byVariant = item->Operator()->Evaluate(v, item->Value());
        if (byRows != want || byRecord != want || byVariant != want)
          differ += " ID " + std::string(VarToStr(v)) + ": rows " + std::to_string(byRows) + " record " +
                    std::to_string(byRecord) + " Variant " + std::to_string(byVariant);
        ++compared;
      }
      EXPECT_EQ(differ, "") << context;
    }
  }
  EXPECT_GT(compared, 14 * 6 * 50);
}

}  // namespace
