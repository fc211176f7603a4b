// The marks of the data-aware grid across reloads of the dataset, which renumber the
// records: a changed dataset filter, close and open, refresh, an insert under way. A mark
// stays on its record or is dropped; it never lands on another record, and deleting the
// marked records deletes those records only.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "DbGridFixture.h"

using kwdbtest::Grid;
using kwdbtest::Item;

namespace {

// Goods 101..100+n with quantity 1..n.
std::vector<Item> Goods(int n) {
  std::vector<Item> rows;
  for (int i = 1; i <= n; ++i) rows.push_back({100 + i, Variant("g" + std::to_string(i)), Variant(double(i))});
  return rows;
}

// Closes the dataset and opens it again on the same records (as a fetch from the server
// would bring them).
void CloseAndOpen(TClientDataSet& ds) {
  const TDataPacket records = ds.Data();
  ds.Close();
  ds.SetData(records);
}

std::set<int> IdsOf(const std::string& text) {
  std::set<int> ids;
  std::istringstream in(text);
  for (int id; in >> id;) ids.insert(id);
  return ids;
}

// Marked 102; the dataset's filter hides 101, so every record after it moves down by one.
TEST(SelectedRecsReload, DataSetFilterKeepsTheMarkOnItsRecord) {
  Grid<> g(Goods(5));
  g.MarkIds({102});
  g.DataSet->SetFilter("QTY >= 2");
  g.DataSet->SetFiltered(true);
  EXPECT_EQ(g.RowIds(), "102 103 104 105");
  EXPECT_EQ(g.MarkedIds(), "102");
  EXPECT_EQ(g.Recs.DeleteSelected(), 1);
  g.DataSet->SetFiltered(false);
  EXPECT_EQ(g.DataSetIds(), "101 103 104 105");
  EXPECT_EQ(g.Recs.Count(), 0);
}

// Marked while filtered, the marks follow their records when the filter goes, and a
// marked record the filter hides loses its mark.
TEST(SelectedRecsReload, FilterOffAndHiddenMarkedRecords) {
  Grid<> g(Goods(6));
  g.DataSet->SetFilter("QTY >= 3");
  g.DataSet->SetFiltered(true);
  g.MarkIds({103, 105});
  g.DataSet->SetFiltered(false);
  EXPECT_EQ(g.MarkedIds(), "105 103");
  g.MarkIds({101});
  EXPECT_FALSE(g.Recs.LostMarks());
  g.DataSet->SetFilter("QTY <> 5");
  g.DataSet->SetFiltered(true);
  EXPECT_EQ(g.MarkedIds(), "101 103");
  EXPECT_TRUE(g.Recs.LostMarks());
  EXPECT_EQ(g.Recs.DeleteSelected(), 2);
  EXPECT_FALSE(g.Recs.LostMarks());
  g.DataSet->SetFiltered(false);
  EXPECT_EQ(g.DataSetIds(), "102 104 105 106");
}

TEST(SelectedRecsReload, RefreshKeepsTheMarks) {
  Grid<> g(Goods(5));
  g.MarkIds({104, 102});
  g.DataSet->Refresh();
  EXPECT_EQ(g.MarkedIds(), "102 104");
  EXPECT_EQ(g.Recs.DeleteSelected(), 2);
  EXPECT_EQ(g.DataSetIds(), "101 103 105");
}

// Closed and opened, the dataset's records are new ones: no mark is carried over, so
// nothing is deleted.
TEST(SelectedRecsReload, CloseAndOpenDropsTheMarks) {
  Grid<> g(Goods(5));
  g.MarkIds({102, 104});
  const TDataPacket records = g.DataSet->Data();
  g.DataSet->Close();
  EXPECT_EQ(g.Recs.Count(), 0);
  EXPECT_TRUE(g.Recs.LostMarks());
  g.DataSet->SetData(records);
  EXPECT_EQ(g.Recs.Count(), 0);
  EXPECT_TRUE(g.Recs.LostMarks());
  EXPECT_EQ(g.Recs.DeleteSelected(), 0);
  EXPECT_EQ(g.DataSetIds(), "101 102 103 104 105");
  g.Recs.Clear();
  EXPECT_FALSE(g.Recs.LostMarks());
  // A filter set while closed renumbers the records of the open: marks made after it
  // stay where they were made.
  g.MarkIds({103});
  g.DataSet->Close();
  g.DataSet->SetFilter("QTY > 1");
  g.DataSet->SetFiltered(true);
  g.DataSet->SetData(records);
  g.MarkIds({105});
  EXPECT_FALSE(g.Recs.LostMarks());
  g.DataSet->Refresh();
  EXPECT_EQ(g.MarkedIds(), "105");
}

// A range marked at once (the dataset on none of its records) takes its bookmarks without
// moving the grid's focus or the dataset, and follows its records; without them its
// marks are dropped at the reload, never moved.
TEST(SelectedRecsReload, RangeMarkedAtOnceFollowsItsRecords) {
  Grid<> g(Goods(6));
  g.C->FocusRowIndex(5);
  g.DataSet->AfterScroll = [](TDataSet*) { FAIL() << "the dataset's scroll event ran"; };
  for (int record : {1, 2, 3}) g.Recs.Insert(0, record);
  g.Recs.TakeBookmarks();
  EXPECT_EQ(g.C->FocusedRowIndex(), 5);
  EXPECT_EQ(std::string(VarToStr(g.DataSet->FieldByName("ID")->Value())), "106");
  g.DataSet->AfterScroll = nullptr;
  g.DataSet->SetFilter("QTY >= 2");
  g.DataSet->SetFiltered(true);
  EXPECT_EQ(g.MarkedIds(), "104 103 102");
  EXPECT_FALSE(g.Recs.LostMarks());
  // Not taken: dropped.
  g.Recs.Insert(0, 4);  // 106
  g.DataSet->SetFiltered(false);
  EXPECT_EQ(g.MarkedIds(), "104 103 102");
  EXPECT_TRUE(g.Recs.LostMarks());
}

// A record inserted before a marked one moves it up in the storage; the mark follows,
// while the insert is under way and after it is posted or cancelled.
TEST(SelectedRecsReload, InsertBeforeAMarkedRecord) {
  Grid<> g(Goods(5));
  g.MarkIds({104});
  g.C->FocusRowIndex(1);
  g.DataSet->Insert();
  EXPECT_EQ(g.MarkedIds(), "104");
  g.DataSet->Cancel();
  EXPECT_EQ(g.MarkedIds(), "104");
  g.C->FocusRowIndex(1);
  g.DataSet->Insert();
  g.DataSet->FieldByName("ID")->SetValue(Variant(200));
  g.DataSet->FieldByName("QTY")->SetValue(Variant(9.0));
  g.DataSet->Post();
  EXPECT_EQ(g.MarkedIds(), "104");
  EXPECT_EQ(g.Recs.DeleteSelected(), 1);
  EXPECT_EQ(g.DataSetIds(), "101 200 102 103 105");
}

// Storage records deleted one by one in key mode (no reload) move the marks after them.
TEST(SelectedRecsReload, KeyModeDeletionMovesTheMarksAfterIt) {
  Grid<> g(Goods(6));
  g.C->SetKeyField(g.Col("ID")->DbField());
  g.MarkIds({105, 103});
  g.C->FocusRowIndex(1);
  g.C->Delete();  // 102
  EXPECT_EQ(g.RowIds(), "101 103 104 105 106");
  EXPECT_EQ(g.MarkedIds(), "103 105");
  EXPECT_EQ(g.Recs.DeleteSelected(), 2);
  EXPECT_EQ(g.DataSetIds(), "101 104 106");
}

// Over many goods, filter changes, refreshes and a close and open between markings: at
// every step the marked IDs are a part of those marked and shown, none other; the marks
// that were not dropped are deleted, nothing else.
TEST(SelectedRecsReload, ManyReloadsNeverMoveAMarkToAnotherRecord) {
  const int n = 2000;
  Grid<> g(Goods(n));
  std::set<int> marked;
  auto mark = [&](std::vector<int> ids) {
    g.MarkIds(ids);
    for (int id : ids) marked.insert(id);
  };
  auto check = [&](const char* step) {
    const std::set<int> now = IdsOf(g.MarkedIds());
    const std::set<int> shown = IdsOf(g.RowIds());
    for (int id : now) {
      EXPECT_TRUE(marked.count(id)) << step << ": " << id << " was never marked";
      EXPECT_TRUE(shown.count(id)) << step << ": " << id << " is not shown";
    }
    // A marked record still shown keeps its mark (dataset filters and refresh carry them).
    for (int id : marked) EXPECT_TRUE(!shown.count(id) || now.count(id)) << step << ": " << id << " lost its mark";
    marked = now;
  };
  mark({150, 151, 1500, 1999});
  g.DataSet->SetFilter("QTY >= 100");
  g.DataSet->SetFiltered(true);
  check("filter >= 100");
  mark({1000, 1001, 2100});
  g.DataSet->SetFilter("QTY < 1001");
  check("filter < 1001");
  g.DataSet->Refresh();
  check("refresh");
  g.DataSet->SetFiltered(false);
  check("filter off");
  mark({102, 2000});
  g.DataSet->SetFilter("QTY > 1");
  g.DataSet->SetFiltered(true);
  check("filter > 1");
  EXPECT_EQ(g.MarkedIds(), "2000 102 1001 1000");
  const std::set<int> before = IdsOf(g.DataSetIds());
  const std::set<int> toDelete = marked;
  EXPECT_EQ(g.Recs.DeleteSelected(), static_cast<int>(toDelete.size()));
  g.DataSet->SetFiltered(false);
  std::set<int> expected = before;
  for (int id : toDelete) expected.erase(id);
  expected.insert(101);  // filtered out, never deleted
  EXPECT_EQ(IdsOf(g.DataSetIds()), expected);
  mark({300});
  CloseAndOpen(*g.DataSet);
  EXPECT_EQ(g.Recs.Count(), 0);
  EXPECT_EQ(g.Recs.DeleteSelected(), 0);
  EXPECT_EQ(IdsOf(g.DataSetIds()), expected);
}

}  // namespace
