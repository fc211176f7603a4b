// The data-aware grid's controller: the column's answer in the sort, blank records,
// custom sort and calculated fields asked of the columns, the grid filter, cell values.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "DbGridFixture.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "VCLSource/source/PosGrid/ukvVariant.h"
#include "rtl/Variant.h"

using kwdbtest::Grid;
using kwdbtest::Item;

namespace {

const Variant N = Variant::Null();

// ID 2, 4 and 6 are blank (every shown column empty); 3 has only a quantity, 7 only a
// name of one blank, so neither is.
std::vector<Item> WithBlanks() {
  return {{1, Variant("b"), Variant(2.0)}, {2, N, N},         {3, N, Variant(1.0)},
          {4, Variant(""), N},            {5, Variant("c"), N}, {6, N, N},
          {7, Variant(" "), N}};
}

std::string Sorted(Grid<>& g, const char* column, uint8_t direction) {
  g.C->ClearSorting();
  g.C->SetColumnSorting(g.Col(column), direction);
  return g.RowIds();
}

// Blank rows go last in either direction, the others by value, blank ones in record
// order; a row with one shown column filled is not blank even when a hidden one is.
TEST(DbGridControllerBlankRows, BlankRowsLastInEitherDirection) {
  Grid<> g(WithBlanks());
  g.SetDiscompareBlank(true);
  EXPECT_EQ(Sorted(g, "NAME", 1), "3 7 1 5 2 4 6");
  EXPECT_EQ(Sorted(g, "NAME", 2), "5 1 7 3 2 4 6");
  EXPECT_EQ(Sorted(g, "QTY", 1), "5 7 3 1 2 4 6");
  EXPECT_EQ(Sorted(g, "QTY", 2), "1 3 5 7 2 4 6");
  g.SetDiscompareBlank(false);  // by value only: Null and "" first ascending
  EXPECT_EQ(Sorted(g, "NAME", 2).substr(0, 5), "5 1 7");
}

TEST(DbGridControllerBlankRows, BlankMeansEveryShownColumnEmpty) {
  Grid<> g(WithBlanks());
  TkwBlankRecords blank(*g.C, *g.Columns);
  std::string s;
  for (int r = 0; r < g.C->GetRecordCount(); ++r) s += blank.IsBlankRecord(r) ? 'B' : '.';
  EXPECT_EQ(s, ".B.B.B.");
  g.Col("QTY")->SetVisible(false);  // only NAME shown now
  s.clear();
  for (int r = 0; r < g.C->GetRecordCount(); ++r) s += blank.IsBlankRecord(r) ? 'B' : '.';
  EXPECT_EQ(s, ".BBB.B.");
  // The comparison is antisymmetric: a sort can rely on it.
  EXPECT_EQ(blank.Compare(1, 0), 1);
  EXPECT_EQ(blank.Compare(0, 1), -1);
  EXPECT_EQ(blank.Compare(1, 3), 0);
  EXPECT_EQ(blank.Compare(0, 4), INT_MAX);
}

// A column's answer is returned as it is, in either direction; MaxInt hands over to the
// value comparison, negated for descending.
class FixedAnswerColumn : public IkwColumn {
 public:
  int Answer = INT_MAX;
  bool HasValueExpression() override { return false; }
  Variant EvaluateValueExpression(int) override { return Variant::Null(); }
  int CompareBlankRows(int, int, int) override { return Answer; }
};

TEST(DbGridControllerSort, ColumnAnswersBeforeTheValues) {
  Grid<> g(kwdbtest::Numbered(3));
  FixedAnswerColumn column;
  TkvDbField* f = g.C->AddField(&column, "QTY");
  g.C->UpdateFields();
  g.C->Reload(true);
  EXPECT_EQ(g.C->CompareBySortItem(0, 2, {f, 1}), -1);
  EXPECT_EQ(g.C->CompareBySortItem(0, 2, {f, 2}), 1);
  column.Answer = 1;
  EXPECT_EQ(g.C->CompareBySortItem(0, 2, {f, 1}), 1);
  EXPECT_EQ(g.C->CompareBySortItem(0, 2, {f, 2}), 1);
  column.Answer = -7;
  EXPECT_EQ(g.C->CompareBySortItem(2, 0, {f, 2}), -7);
}

TEST(DbGridControllerSort, ColumnSortingAndCustomSortQuestions) {
  Grid<> g(kwdbtest::Numbered(4));
  EXPECT_EQ(Sorted(g, "QTY", 2), "4 3 2 1");
  g.C->SetColumnSorting(nullptr, 1);  // no column: nothing
  EXPECT_EQ(g.RowIds(), "4 3 2 1");
  TkvDbField* name = g.Col("NAME")->DbField();
  TkvDbField* internal = g.C->CreateInternalField();
  EXPECT_FALSE(g.C->NeedsCustomSort(name->Index(), false));
  EXPECT_TRUE(g.C->NeedsCustomSort(name->Index(), true));
  EXPECT_FALSE(g.C->NeedsCustomSort(internal->Index(), true));  // no column: the base's answer
  g.Col("NAME")->SetColumnOptions(g.Col("NAME")->ColumnOptions() | ColumnOption(gcoCustomSort));
  EXPECT_TRUE(g.C->NeedsCustomSort(name->Index(), false));
  EXPECT_FALSE(g.C->IsCalculatedField(name));
  g.Col("NAME")->SetDisplayFormat("0.0");
  EXPECT_TRUE(g.C->IsCalculatedField(name));
  EXPECT_FALSE(g.C->IsCalculatedField(internal));
}

// The grid filter is made by the class the (derived) controller names, over its criteria.
class CountingFilter : public TkwGridFilter {
 public:
  using TkwGridFilter::TkwGridFilter;
  static int Made;
};
int CountingFilter::Made = 0;

class DerivedController : public TkwDbGridController {
 public:
  using TkwDbGridController::TkwDbGridController;
  TkwGridFilterClass GetGridFilterClass() override {
    return [](TkvDataFilterCriteria& c) -> std::shared_ptr<IkwGridFilter> {
      ++CountingFilter::Made;
      return std::make_shared<CountingFilter>(c);
    };
  }
};

TEST(DbGridControllerFilter, GridFilterOfTheControllersClassFiltersRows) {
  Grid<DerivedController> g(kwdbtest::Numbered(5));
  IkwGridFilter& filter = g.C->GridFilter();
  EXPECT_EQ(&filter, &g.C->GridFilter());
  EXPECT_EQ(CountingFilter::Made, 1);
  EXPECT_NE(dynamic_cast<CountingFilter*>(&filter), nullptr);
  filter.BeginUpdate();
  filter.AddItem(g.Col("QTY"), foGreater, Variant(2.0), "2");
  filter.SetActive(true);
  filter.EndUpdate();
  EXPECT_EQ(filter.ItemCount(), 1);
  EXPECT_EQ(g.RowIds(), "3 4 5");
}

// "No focused row" never reads as the footer's value; padding rows read Null.
TEST(DbGridControllerCells, NoFocusedRowIsNotTheFooter) {
  Grid<> g(kwdbtest::Numbered(3));
  TkwColumn* qty = g.Col("QTY");
  qty->SetTotalColumn(true);
  EXPECT_DOUBLE_EQ(g.C->GetCellValue(qty, -1).AsDouble(), 6.0);
  EXPECT_DOUBLE_EQ(g.C->GetCellValue(qty, 1).AsDouble(), 2.0);
  EXPECT_TRUE(g.C->GetCellValue(qty, 3).IsNull());
  EXPECT_TRUE(g.C->GetCellValue(nullptr, 0).IsNull());
  g.C->FocusRowIndex(2);
  EXPECT_DOUBLE_EQ(g.C->FocusedCellValue(qty).AsDouble(), 3.0);
  g.C->Filter().AddCondition(nullptr, qty->DbField(), foGreater, Variant(100.0), "100");
  g.C->Filter().SetActive(true);  // records, but no row
  ASSERT_EQ(g.C->FocusedRowIndex(), -1);
  EXPECT_FALSE(g.C->GetCellValue(qty, -1).IsNull());
  EXPECT_TRUE(g.C->FocusedCellValue(qty).IsNull());
  Grid<> empty({});
  empty.Col("QTY")->SetTotalColumn(true);
  EXPECT_TRUE(empty.C->FocusedCellValue(empty.Col("NAME")).IsNull());
  EXPECT_TRUE(empty.C->FocusedCellValue(empty.Col("QTY")).IsNull());
}

// The row order against a plain model over hard values: blank rows last in record order,
// the others ordered by CompareVariants in the direction, ties in record order.
TEST(DbGridControllerBlankRows, RandomSortsAgreeWithAPlainModel) {
  const std::vector<Variant> names = {N, Variant(""), Variant(" "), Variant("a"), Variant("A"),
                                      Variant("苹果"), Variant("苹果汁"), Variant("苹果汁苹果汁苹果汁x"),
                                      Variant("\x81\x41"), Variant("\x81\x61"), Variant("\x81\x5C"),
                                      Variant("ａ"), Variant("Ａ"), Variant("zz")};
  const std::vector<Variant> qtys = {N, Variant(0.0), Variant(-1.0), Variant(1e308), Variant(-1e308),
                                     Variant(2147483647.0), Variant(0.5)};
  std::mt19937 rng(18);
  for (int round = 0; round < 40; ++round) {
    std::vector<Item> rows;
    const int n = 1 + static_cast<int>(rng() % 60);
    for (int i = 1; i <= n; ++i) rows.push_back({i, names[rng() % names.size()], qtys[rng() % qtys.size()]});
    Grid<> g(rows);
    g.SetDiscompareBlank(true);
    for (const char* column : {"NAME", "QTY"}) {
      for (uint8_t dir : {uint8_t(1), uint8_t(2)}) {
        std::vector<int> order(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) order[static_cast<size_t>(i)] = i;
        auto value = [&](int r) { return std::string(column) == "NAME" ? rows[size_t(r)].Name : rows[size_t(r)].Qty; };
        auto blank = [&](int r) {
          return VarToStr(rows[size_t(r)].Name).empty() && VarToStr(rows[size_t(r)].Qty).empty();
        };
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
          if (blank(a) != blank(b)) return blank(b);
          if (blank(a)) return false;
          const int c = CompareVariants(value(a), value(b));
          return dir == 2 ? c > 0 : c < 0;
        });
        std::string expected;
        for (int r : order) expected += (expected.empty() ? "" : " ") + std::to_string(r + 1);
        ASSERT_EQ(Sorted(g, column, dir), expected) << "round " << round << " " << column << " " << int(dir);
      }
    }
  }
}

}  // namespace
