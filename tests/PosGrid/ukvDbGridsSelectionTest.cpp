// The data-aware grid's multi-selection: marks by record, rows without records, deleting
// the marked records, purging, SelectRow; and the lookup of a column by field name.
#include <gtest/gtest.h>

#include <algorithm>

#include "DbGridFixture.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "db/DatabaseError.h"
#include "rtl/Exceptions.h"

using kwdbtest::Grid;

namespace {

// --- marks ------------------------------------------------------------------------------------

TEST(SelectedRecs, MarksAreRecordsHeldOnceNewestFirst) {
  Grid<> g(kwdbtest::Numbered(5));
  g.MarkIds({2, 4});
  g.C->FocusRowIndex(1);
  g.Recs.SetCurrentRowSelected(true);  // again: nothing
  EXPECT_EQ(g.MarkedIds(), "4 2");
  EXPECT_EQ(g.Invalidations, 2);
  EXPECT_TRUE(g.Recs.CurrentRowSelected());
  g.Recs.SetCurrentRowSelected(false);
  g.Recs.SetCurrentRowSelected(false);
  EXPECT_EQ(g.MarkedIds(), "4");
  EXPECT_EQ(g.Invalidations, 3);
  g.Recs.Insert(0, 3);  // already held
  g.Recs.Insert(1, 0);
  EXPECT_EQ(g.MarkedIds(), "4 1");
  EXPECT_THROW(g.Recs.Items(2), EListError);
  EXPECT_THROW(g.Recs.Delete(-1), EListError);
  EXPECT_THROW(g.Recs.Insert(5, 4), EListError);
}

// A row without a record (a padding row below the last) is never marked.
TEST(SelectedRecs, RowWithoutRecordNeverEntersTheSelection) {
  Grid<> g(kwdbtest::Numbered(3));
  g.CurrentOverride = -1;
  g.Recs.SetCurrentRowSelected(true);
  g.Recs.Insert(0, -1);
  g.Recs.Insert(0, kvNoRecord);
  EXPECT_EQ(g.Recs.Count(), 0);
  EXPECT_FALSE(g.Recs.CurrentRowSelected());
  EXPECT_EQ(g.Invalidations, 0);
  Grid<> empty({});
  empty.Recs.SetCurrentRowSelected(true);
  EXPECT_EQ(empty.Recs.Count(), 0);
  EXPECT_EQ(empty.Recs.DeleteSelected(), 0);
}

TEST(SelectedRecs, InactiveSelectionRefusesTheCurrentRecord) {
  Grid<> g(kwdbtest::Numbered(3));
  g.MarkIds({1});
  g.Recs.SetActive(false);
  EXPECT_EQ(g.Recs.Count(), 0);
  try {
    g.Recs.CurrentRecord();
    FAIL() << "no error";
  } catch (const EkwInvalidGridOperation& e) {
    EXPECT_STREQ(e.what(), "不能在一个己经关闭的数据集上执行操作。");
  }
  EXPECT_THROW(g.Recs.SetCurrentRowSelected(true), EkwInvalidGridOperation);
}

// Sorting keeps the marks; a record filtered out loses its mark at the purge.
TEST(SelectedRecs, SortKeepsMarksAndPurgeDropsHiddenRecords) {
  Grid<> g(kwdbtest::Numbered(6));
  g.MarkIds({2, 5, 6});
  g.C->SetColumnSorting(g.Col("QTY"), 2);
  EXPECT_EQ(g.RowIds(), "6 5 4 3 2 1");
  EXPECT_EQ(g.MarkedIds(), "6 5 2");
  TkwSelectedRows rows(g.Recs, g);
  EXPECT_EQ(rows.RowOfItem(0), 0);
  EXPECT_EQ(rows.RowOfItem(2), 4);
  g.C->Filter().AddCondition(nullptr, g.Col("QTY")->DbField(), foLess, Variant(6.0), "6");
  g.C->Filter().SetActive(true);
  EXPECT_EQ(g.RowIds(), "5 4 3 2 1");
  EXPECT_EQ(rows.RowOfItem(0), -1);
  g.Recs.PurgeSelection();
  EXPECT_EQ(g.MarkedIds(), "5 2");
  g.Recs.Insert(0, 5);  // record 5 (ID 6), still filtered out
  g.Recs.PurgeSelection();
  EXPECT_EQ(g.MarkedIds(), "5 2");
}

TEST(SelectedRecs, SelectRowMarksAndFocuses) {
  Grid<> g(kwdbtest::Numbered(8));
  g.MarkIds({1, 2});
  g.Recs.SelectRow(5, false, true, true);
  EXPECT_EQ(g.MarkedIds(), "6");
  EXPECT_EQ(g.C->FocusedRowIndex(), 5);
  g.Recs.SelectRow(2, true, false, true);  // marked, the focus stays
  EXPECT_EQ(g.MarkedIds(), "3 6");
  EXPECT_EQ(g.C->FocusedRowIndex(), 5);
  g.Recs.SelectRow(0, false, true, false);  // no multi-selection: focus only
  EXPECT_EQ(g.Recs.Count(), 0);
  EXPECT_EQ(g.C->FocusedRowIndex(), 0);
}

// --- deleting the marked records ----------------------------------------------------------------

// Marked in ascending order (the newest entry first), sorted and with a record filtered
// out: exactly the marked records that are shown leave the dataset.
TEST(SelectedRecsDelete, DeletesExactlyTheMarkedRecords) {
  Grid<> g(kwdbtest::Numbered(9));
  g.C->SetColumnSorting(g.Col("NAME"), 2);
  g.MarkIds({2, 4, 5, 7, 9});
  g.C->Filter().AddCondition(nullptr, g.Col("QTY")->DbField(), foNotEqual, Variant(9.0), "9");
  g.C->Filter().SetActive(true);
  EXPECT_EQ(g.Recs.DeleteSelected(), 4);
  EXPECT_EQ(g.Recs.Count(), 0);
  EXPECT_EQ(g.DataSetIds(), "1 3 6 8 9");
  EXPECT_EQ(g.RowIds(), "8 6 3 1");
  EXPECT_EQ(g.C->GetRecordCount(), 5);
}

TEST(SelectedRecsDelete, MarkingOrderDoesNotMatter) {
  const std::vector<std::vector<int>> orders = {{1, 2, 3}, {3, 2, 1}, {2, 3, 1}, {1, 3, 2}, {8, 1, 5, 4}};
  for (const bool keyMode : {false, true}) {
    for (const auto& ids : orders) {
      Grid<> g(kwdbtest::Numbered(8));
      if (keyMode) g.C->SetKeyField(g.Col("ID")->DbField());
      g.MarkIds(ids);
      const int n = g.Recs.DeleteSelected();
      std::string expected;
      for (int id = 1; id <= 8; ++id)
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) expected += (expected.empty() ? "" : " ") + std::to_string(id);
      EXPECT_EQ(n, static_cast<int>(ids.size()));
      EXPECT_EQ(g.DataSetIds(), expected) << (keyMode ? "key mode" : "record mode");
      EXPECT_EQ(g.RowIds(), expected);
    }
  }
}

// A failure stops the deletion with its message: what was deleted is gone, the rest
// stays, still marked.
TEST(SelectedRecsDelete, FailureStopsAndLeavesTheRest) {
  Grid<> g(kwdbtest::Numbered(8));
  g.MarkIds({2, 4, 5, 7});
  g.DataSet->BeforeDelete = [](TDataSet* ds) {
    if (ds->FieldByName("ID")->Value().AsInteger() == 5) throw Exception("不能删除");
  };
  try {
    g.Recs.DeleteSelected();
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "不能删除");
  }
  EXPECT_EQ(g.DataSetIds(), "1 2 3 4 5 6 8");
  EXPECT_EQ(g.RowIds(), "1 2 3 4 5 6 8");
  EXPECT_EQ(g.MarkedIds(), "5 4 2");
  g.DataSet->BeforeDelete = nullptr;
  EXPECT_EQ(g.Recs.DeleteSelected(), 3);
  EXPECT_EQ(g.DataSetIds(), "1 3 6 8");
}

TEST(SelectedRecsDelete, ReadOnlyDataSetDeletesNothing) {
  Grid<> g(kwdbtest::Numbered(4));
  g.MarkIds({1, 3});
  g.DataSet->SetReadOnly(true);
  EXPECT_THROW(g.Recs.DeleteSelected(), EDatabaseError);
  EXPECT_EQ(g.DataSetIds(), "1 2 3 4");
  EXPECT_EQ(g.MarkedIds(), "3 1");
}

// --- columns by field name -------------------------------------------------------------------------

TEST(ColumnByFieldName, FindsIgnoringAsciiCaseAndAnswersNoneOtherwise) {
  Grid<> g(kwdbtest::Numbered(1));
  g.Col("NAME")->SetFieldName("UserCode");
  EXPECT_EQ(ColumnByFieldName(*g.Columns, "USERCODE"), g.Columns->Items(1));
  EXPECT_EQ(ColumnByFieldName(*g.Columns, "qty"), g.Columns->Items(2));
  EXPECT_EQ(ColumnByFieldName(*g.Columns, "typeid"), nullptr);
  EXPECT_EQ(ColumnByFieldName(*g.Columns, ""), nullptr);
  // GBK names: a trail byte that is a letter ("\x81\x41" and "\x81\x61" are two
  // characters) is not folded; ASCII letters after a double-byte character are.
  g.Col("ID")->SetFieldName("\x81\x61" "x");
  EXPECT_EQ(ColumnByFieldName(*g.Columns, "\x81\x41" "x"), nullptr);
  EXPECT_EQ(ColumnByFieldName(*g.Columns, "\x81\x61" "X"), g.Columns->Items(0));
  g.Columns->Clear();
  EXPECT_EQ(ColumnByFieldName(*g.Columns, "USERCODE"), nullptr);
}

}  // namespace
