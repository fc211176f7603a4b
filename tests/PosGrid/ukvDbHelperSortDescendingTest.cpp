// Sorting over decimal (FMTBcd) and Variant columns, which have no column copy and so
// take the raw comparator over the stored records: both directions give exactly the
// stable order of CompareVariants, on values drawn from the hard cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "DataControllerFixture.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"

namespace {

struct DecimalGrid {
  explicit DecimalGrid(const std::vector<std::vector<Variant>>& rows) {
    TDataPacket p;
    p.Fields = {{"ID", ftInteger, 0}, {"D", ftFMTBcd, 18}, {"V", ftVariant, 0}};
    for (const auto& r : rows) p.Rows.push_back(r);
    DataSet = std::make_unique<TClientDataSet>(nullptr);
    DataSet->SetData(p);
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(DataSet.get());
    C = std::make_unique<TkvCustomDbDataController>(nullptr);
    for (const char* n : {"ID", "D", "V"}) C->AddField(nullptr, n);
    C->SetDataSource(Source.get());
  }
  ~DecimalGrid() {
    C.reset();
    Source.reset();
    DataSet.reset();
  }
  TkvDbField* F(int i) const { return C->Fields().Items(i); }
  std::vector<int> RowRecords() const {
    std::vector<int> out;
    for (int r = 0; r < C->RowCount(); ++r) out.push_back(C->GetRowRecordIndex(r));
    return out;
  }
  std::unique_ptr<TClientDataSet> DataSet;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TkvCustomDbDataController> C;
};

// Decimals: Null, equal values of other scales, signs, the type's limits, long runs of
// duplicates.
Variant RandomDecimal(std::mt19937& rnd) {
  static const std::pair<int64_t, int> cases[] = {
      {12345, 2}, {1234500, 4}, {-12345, 2}, {0, 0}, {0, 18}, {1, 18}, {-1, 18},
      {999999999999999999LL, 0}, {-999999999999999999LL, 0}, {999999999999999999LL, 18}, {5, 1}, {50, 2}};
  const uint32_t k = rnd() % 14;
  if (k >= 12) return Variant::Null();
  return Variant::FromBcd(cases[k].first, cases[k].second);
}

// Variants: every group CompareVariants orders (Null, Boolean, numbers, texts), GBK
// letters with case pairs, trail bytes equal to ASCII signs, shared prefixes, limits.
Variant RandomVariant(std::mt19937& rnd) {
  switch (rnd() % 12) {
    case 0: return Variant::Null();
    case 1: return Variant(rnd() % 2 == 0);
    case 2: return Variant(static_cast<int>(rnd() % 3) - 1);
    case 3: return Variant(rnd() % 2 ? INT_MAX : INT_MIN);
    case 4: return Variant(0.5 * static_cast<int>(rnd() % 5));
    case 5: return Variant(static_cast<int64_t>(9007199254740993LL));
    case 6: return Variant("ａ");
    case 7: return Variant("Ａ");
    case 8: return Variant(rnd() % 2 ? "\xB0\x5C" : "\xB0\x7E");  // 癨 / 皛: trail bytes "\" and "~"
    case 9: return Variant(rnd() % 2 ? "prefix-prefix-a" : "prefix-prefix-B");
    case 10: return Variant("");
    default: return Variant::FromBcd(5, 1);
  }
}

// The stable order of CompareVariants over one column, in the direction asked.
std::vector<int> Expected(const std::vector<std::vector<Variant>>& rows, size_t col, bool descending) {
  std::vector<int> order(rows.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const int c = CompareVariants(rows[a][col], rows[b][col]);
    return descending ? c > 0 : c < 0;
  });
  return order;
}

// A wrong sign on the raw comparator's descending path used to go unnoticed: no test
// sorted a decimal or Variant column downwards.
TEST(DataControllerSort, RegressionDecimalAndVariantColumnsSortBothWaysAsCompareVariants) {
  std::mt19937 rnd(23);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::vector<Variant>> rows;
    const int n = 1 + static_cast<int>(rnd() % 120);
    for (int i = 0; i < n; ++i) rows.push_back({Variant(i), RandomDecimal(rnd), RandomVariant(rnd)});
    DecimalGrid g(rows);
    ASSERT_EQ(g.F(1)->ValueType(), TkvFMTBcdValueTypeClass());
    ASSERT_EQ(g.F(2)->ValueType(), TkvVariantValueTypeClass());
    for (size_t col : {1u, 2u}) {
      for (bool descending : {true, false}) {
        g.C->ClearSorting();
        g.C->ChangeSorting(g.F(static_cast<int>(col)), descending ? 2 : 1);
        ASSERT_EQ(g.RowRecords(), Expected(rows, col, descending))
            << "round " << round << " column " << col << (descending ? " descending" : " ascending");
      }
    }
  }
}

// Two keys: decimals downwards, the Variant column upwards among equal decimals.
TEST(DataControllerSort, DescendingDecimalThenAscendingVariant) {
  const Variant n = Variant::Null();
  const std::vector<std::vector<Variant>> rows = {
      {Variant(0), Variant::FromBcd(12345, 2), Variant("b")}, {Variant(1), n, Variant(1)},
      {Variant(2), Variant::FromBcd(1234500, 4), Variant("a")}, {Variant(3), Variant::FromBcd(-1, 18), n},
      {Variant(4), Variant::FromBcd(12345, 2), n}};
  DecimalGrid g(rows);
  g.C->ChangeSorting(g.F(1), 2);
  g.C->ChangeSorting(g.F(2), 1);
  EXPECT_EQ(g.RowRecords(), (std::vector<int>{4, 2, 0, 3, 1}));
}

}  // namespace
