// The data controller in key mode: records are found again by their key field, so an
// edit or insert posted to the dataset is written back into the record the controller
// holds for it, wherever the dataset put it.
#include <gtest/gtest.h>

#include "DataControllerFixture.h"

using kvtest::Grid;
using kvtest::Named;

namespace {

std::string NameOf(Grid& g, int record) {
  Variant v;
  g.C->GetFieldValue(record, g.F("NAME"), v);
  return std::string(VarToStr(v));
}

struct KeyGrid : Grid {
  explicit KeyGrid(const std::vector<kvtest::Row6>& rows) : Grid(rows) { C->SetKeyField(F("ID")); }
};

TEST(DataControllerKeyMode, PostedEditIsWrittenBackIntoItsRecord) {
  KeyGrid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
  g.DataSet->Next();
  g.DataSet->Edit();
  g.DataSet->FieldByName("NAME")->SetAsString("B2");
  EXPECT_EQ(NameOf(g, 1), "B2");  // the edit shows while it is under way
  g.DataSet->Post();
  EXPECT_EQ(NameOf(g, 1), "B2");
  EXPECT_EQ(g.RowIds(), "1 2 3");
  EXPECT_EQ(g.C->GetRecordCount(), 3);
  EXPECT_EQ(g.FocusedId(), "2");
}

// A posted edit that takes its record out of the controller's filter leaves the dataset
// on that record, as outside key mode: writing the edit back asks for no new focus.
TEST(DataControllerKeyMode, FaultEditLeavingTheFilterMovedTheDatasetToRowZero) {
  for (const bool keyMode : {false, true}) {
    Grid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
    if (keyMode) g.C->SetKeyField(g.F("ID"));
    g.C->Filter().AddCondition(nullptr, g.F("NAME"), foNotEqual, "x", "");
    g.C->Filter().SetActive(true);
    g.DataSet->SetRecNo(2);
    EXPECT_EQ(g.FocusedId(), "2");
    g.DataSet->Edit();
    g.DataSet->FieldByName("NAME")->SetAsString("x");
    g.DataSet->Post();
    EXPECT_EQ(g.CurrentId(), "2") << keyMode;
    EXPECT_EQ(g.RowIds(), "1 3");
    EXPECT_EQ(g.C->FocusedRowIndex(), -1) << keyMode;
    EXPECT_EQ(NameOf(g, 1), "x");
  }
}

TEST(DataControllerKeyMode, EditThatChangesTheKeyIsFoundAgainByItsNewKey) {
  KeyGrid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
  g.C->ChangeSorting(g.F("ID"), 1);
  g.C->FocusRowIndex(0);
  g.DataSet->Edit();
  g.DataSet->FieldByName("ID")->SetAsInteger(7);
  g.DataSet->FieldByName("NAME")->SetAsString("A7");
  g.DataSet->Post();
  EXPECT_EQ(g.RowIds(), "2 3 7");
  EXPECT_EQ(g.C->GetRecordCount(), 3);
  EXPECT_EQ(g.FocusedId(), "7");
  EXPECT_EQ(g.CurrentId(), "7");
  EXPECT_EQ(NameOf(g, g.C->LocateByKey(Variant(7))), "A7");
  EXPECT_EQ(g.C->LocateByKey(Variant(1)), -1);
}

TEST(DataControllerKeyMode, PostedInsertGetsOneStorageRecordOfItsOwn) {
  KeyGrid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
  g.DataSet->Append();
  g.DataSet->FieldByName("ID")->SetAsInteger(9);
  g.DataSet->FieldByName("NAME")->SetAsString("i");
  g.DataSet->Post();
  EXPECT_EQ(g.C->GetRecordCount(), 4);
  EXPECT_EQ(g.RowIds(), "1 2 3 9");
  EXPECT_EQ(g.FocusedId(), "9");
  ASSERT_GE(g.C->LocateByKey(Variant(9)), 0);
  EXPECT_EQ(NameOf(g, g.C->LocateByKey(Variant(9))), "i");
  g.C->FocusRowIndex(0);
  g.DataSet->Insert();
  g.DataSet->FieldByName("ID")->SetAsInteger(5);
  g.DataSet->Post();
  EXPECT_EQ(g.C->GetRecordCount(), 5);
  EXPECT_EQ(g.RowIds().size(), std::string("5 1 2 3 9").size());
  EXPECT_GE(g.C->LocateByKey(Variant(5)), 0);
  EXPECT_EQ(g.FocusedId(), "5");
}

TEST(DataControllerKeyMode, CancelledInsertLeavesNoRecordBehind) {
  KeyGrid g(Named({{1, "a"}, {2, "b"}}));
  g.DataSet->Append();
  g.DataSet->FieldByName("ID")->SetAsInteger(9);
  g.DataSet->Cancel();
  EXPECT_EQ(g.C->GetRecordCount(), 2);
  EXPECT_EQ(g.RowIds(), "1 2");
  EXPECT_EQ(g.FocusedId(), g.CurrentId());
}

TEST(DataControllerKeyMode, CancelledEditTakesBackTheStoredValues) {
  KeyGrid g(Named({{1, "a"}, {2, "b"}}));
  g.DataSet->Edit();
  g.DataSet->FieldByName("NAME")->SetAsString("A1");
  EXPECT_EQ(NameOf(g, 0), "A1");
  g.DataSet->Cancel();
  EXPECT_EQ(NameOf(g, 0), "a");
  EXPECT_EQ(g.RowIds(), "1 2");
}

TEST(DataControllerKeyMode, EditPostedWithControlsDisabledIsReadAgain) {
  KeyGrid g(Named({{1, "a"}, {2, "b"}}));
  g.DataSet->DisableControls();
  g.DataSet->Last();
  g.DataSet->Edit();
  g.DataSet->FieldByName("NAME")->SetAsString("B2");
  g.DataSet->Post();
  g.DataSet->EnableControls();
  EXPECT_EQ(NameOf(g, g.C->LocateByKey(Variant(2))), "B2");
  EXPECT_EQ(g.FocusedId(), "2");
}

TEST(DataControllerKeyMode, ControllerAppendPostsThePendingEditFirst) {
  KeyGrid g(Named({{1, "a"}, {2, "b"}}));
  g.DataSet->Edit();
  g.DataSet->FieldByName("NAME")->SetAsString("A1");
  g.C->Append();
  EXPECT_EQ(g.DataSet->State(), dsInsert);
  g.DataSet->FieldByName("ID")->SetAsInteger(3);
  g.DataSet->Post();
  EXPECT_EQ(NameOf(g, g.C->LocateByKey(Variant(1))), "A1");
  EXPECT_EQ(g.C->GetRecordCount(), 3);
  EXPECT_EQ(g.RowIds(), "1 2 3");
  EXPECT_FALSE(g.DataSet->ControlsDisabled());
}

TEST(DataControllerKeyMode, DeletingThroughTheControllerRemovesOneRecordOnly) {
  KeyGrid g(Named({{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}}));
  g.C->FocusRowIndex(1);
  g.C->Delete();
  EXPECT_EQ(g.RowIds(), "1 3 4");
  EXPECT_EQ(g.C->GetRecordCount(), 3);
  EXPECT_EQ(g.FocusedId(), g.CurrentId());
}

// A dataset filter changes which records there are without ending an edit: the storage
// follows it, also when the number of records stays the same.
TEST(DataControllerKeyMode, DatasetFilterChangesReachTheRecords) {
  KeyGrid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
  g.DataSet->Next();
  g.DataSet->Edit();
  g.DataSet->FieldByName("NAME")->SetAsString("B2");
  g.DataSet->SetFilter("ID > 1");
  g.DataSet->SetFiltered(true);
  EXPECT_EQ(g.RowIds(), "2 3");
  EXPECT_EQ(NameOf(g, 0), "B2");
  EXPECT_EQ(g.C->GetRecordCount(), 2);
  g.DataSet->SetFiltered(false);
  EXPECT_EQ(g.RowIds(), "1 2 3");
  g.DataSet->SetFilter("ID > 0");
  g.DataSet->SetFiltered(true);
  EXPECT_EQ(g.RowIds(), "1 2 3");
  g.DataSet->SetFilter("ID > 1");
  EXPECT_EQ(g.RowIds(), "2 3");
  g.DataSet->SetFilter("ID < 3");  // as many records as before, not the same ones
  EXPECT_EQ(g.RowIds(), "1 2");
  g.C->ChangeSorting(g.F("ID"), 2);
  g.DataSet->SetFilter("ID > 2");
  EXPECT_EQ(g.RowIds(), "3");
}

}  // namespace
