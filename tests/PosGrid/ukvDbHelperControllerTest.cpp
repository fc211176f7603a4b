// The data controller over a client dataset: loading, index checks, sorting, focus,
// the provider's following of inserts, edits, deletes and scrolls, and the mended faults.
#include <gtest/gtest.h>

#include <algorithm>

#include "DataControllerFixture.h"
#include "tests/support/ErrorText.h"

using kvtest::Grid;
using kvtest::Named;
using postest::ErrorOf;

namespace {

const char* const kRecordError = "EkvInvalidDataControllerOperation: 记录索引超出范围";
const char* const kItemError = "EkvInvalidDataControllerOperation: 项目索引超出范围";
const char* const kRowError = "EkvInvalidDataControllerOperation: 行索引超出范围";

TEST(DataController, LoadsEveryRecordInDatasetOrderAndFocusesTheCurrentOne) {
  Grid g(Named({{10, "b"}, {30, "a"}, {20, "c"}}));
  EXPECT_EQ(g.C->GetRecordCount(), 3);
  EXPECT_EQ(g.RowIds(), "10 30 20");
  EXPECT_EQ(g.C->FocusedRowIndex(), 0);
  g.DataSet->Next();
  EXPECT_EQ(g.FocusedId(), "30");
  g.DataSet->Last();
  EXPECT_EQ(g.FocusedId(), "20");
}

TEST(DataController, ClosedDatasetHasNoRecordsRowsOrFocus) {
  Grid g(Named({{1, "a"}}));
  g.DataSet->Close();
  EXPECT_EQ(g.C->GetRecordCount(), 0);
  EXPECT_EQ(g.C->RowCount(), 0);
  EXPECT_EQ(g.C->FocusedRowIndex(), -1);
  EXPECT_EQ(g.C->GetFocusedRowRecord(), kvNoRecord);
  EXPECT_EQ(kvNoRecord, -2147483647);
}

TEST(DataController, IndexChecksRaiseTheirTextsAndChangeNothing) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  Variant v;
  EXPECT_EQ(ErrorOf([&] { g.C->GetValueByIndex(2, 0, v); }), kRecordError);
  EXPECT_EQ(ErrorOf([&] { g.C->GetValueByIndex(0, 6, v); }), kItemError);
  EXPECT_EQ(ErrorOf([&] { g.C->GetRowRecordIndex(2); }), kRowError);
  EXPECT_EQ(ErrorOf([&] { g.C->InsertRecord(3); }), kRecordError);
  EXPECT_EQ(g.C->GetRecordCount(), 2);
  g.C->InsertRecord(2);  // the append position is valid
  EXPECT_EQ(g.C->GetRecordCount(), 3);
  // The edit buffer is an internal record with a negative index, and passes the check.
  const int edit = g.C->GetEditRecordIndex();
  EXPECT_LT(edit, 0);
  EXPECT_EQ(ErrorOf([&] { g.C->GetValueByIndex(edit, 0, v); }), "no error");
}

TEST(DataController, FieldItemsMapTheirValueTypes) {
  Grid g;
  std::string types;
  for (int i = 0; i < g.C->FieldCount(); ++i) types += std::string(g.C->Fields().Items(i)->ValueType()->ShortName()) + " ";
  EXPECT_EQ(types, "Integer String Float Currency DateTime Boolean ");
  // An internal field goes after the bound ones and holds texts.
  TkvDbField* in = g.C->CreateInternalField();
  EXPECT_EQ(in->Index(), 6);
  EXPECT_EQ(in->ValueType(), TkvStringValueTypeClass());
  TkvDbField* late = g.C->AddField(nullptr, "ID");
  EXPECT_EQ(late->Index(), 6);
  EXPECT_EQ(in->Index(), 7);
}

TEST(DataController, SortsByOneToThreeFieldsWithTheRecordIndexAsLastTieBreak) {
  Grid g(Named({{10, "x"}, {30, "y"}, {20, "x"}, {40, "y"}, {30, "x"}}));
  g.C->ChangeSorting(g.F("ID"), 1);
  EXPECT_EQ(g.RowIds(), "10 20 30 30 40");
  EXPECT_EQ(g.C->GetRowRecordIndex(2), 1);  // equal IDs keep record order
  g.C->ChangeSorting(g.F("ID"), 2);
  EXPECT_EQ(g.RowIds(), "40 30 30 20 10");
  EXPECT_EQ(g.C->GetRowRecordIndex(1), 1);
  g.C->ClearSorting();
  g.C->ChangeSorting(g.F("NAME"), 1);
  g.C->ChangeSorting(g.F("ID"), 2);
  EXPECT_EQ(g.RowIds(), "30 20 10 40 30");
  // Removing a sort field re-sorts; the same direction again sends nothing.
  g.C->ChangeSorting(g.F("NAME"), 0);
  EXPECT_EQ(g.RowIds(), "40 30 30 20 10");
  const size_t notices = g.Masks.size();
  g.C->ChangeSorting(g.F("ID"), 2);
  EXPECT_EQ(g.Masks.size(), notices);
}

TEST(DataController, ChangeNoticeCarriesTheMaskOnceAfterTheOutermostUpdate) {
  Grid g(Named({{2, "a"}, {1, "b"}}));
  g.Masks.clear();
  g.C->BeginUpdate();
  g.C->ChangeSorting(g.F("ID"), 1);
  g.C->ChangeSorting(g.F("NAME"), 1);
  EXPECT_TRUE(g.Masks.empty());
  g.C->EndUpdate();
  ASSERT_EQ(g.Masks.size(), 1u);
  EXPECT_TRUE(g.Masks[0] & dcmSorted);
  EXPECT_EQ(g.RowIds(), "1 2");
}

TEST(DataController, FocusFollowsTheRecordThroughASort) {
  Grid g(Named({{3, "a"}, {1, "b"}, {2, "c"}}));
  g.C->FocusRowIndex(0);
  EXPECT_EQ(g.FocusedId(), "3");
  g.C->ChangeSorting(g.F("ID"), 1);
  EXPECT_EQ(g.C->FocusedRowIndex(), 2);
  EXPECT_EQ(g.FocusedId(), "3");
  g.C->FocusRowIndex(0);
  EXPECT_EQ(g.CurrentId(), "1");  // the dataset follows the focus
  EXPECT_EQ(ErrorOf([&] { g.C->FocusRowIndex(3); }), kRowError);
}

TEST(DataController, FollowsPostsDeletesAndReloadsOfTheDataset) {
  Grid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
  g.DataSet->Next();
  g.DataSet->Edit();
  g.DataSet->FieldByName("NAME")->SetAsString("B2");
  Variant v;
  g.C->GetFieldValue(1, g.F("NAME"), v);
  EXPECT_EQ(VarToStr(v), "B2");  // the edit shows while it is under way
  g.DataSet->Post();
  g.C->GetFieldValue(1, g.F("NAME"), v);
  EXPECT_EQ(VarToStr(v), "B2");
  g.DataSet->Delete();
  EXPECT_EQ(g.RowIds(), "1 3");
  EXPECT_EQ(g.FocusedId(), g.CurrentId());
  g.DataSet->Append();
  g.DataSet->FieldByName("ID")->SetAsInteger(9);
  EXPECT_EQ(g.RowIds(), "1 3 9");
  g.DataSet->Post();
  EXPECT_EQ(g.RowIds(), "1 3 9");
  EXPECT_EQ(g.FocusedId(), "9");
}

TEST(DataController, InsertingStaysNextToItsAnchorWhateverTheSortOrder) {
  Grid g(Named({{10, "a"}, {30, "b"}, {20, "c"}, {40, "d"}}));
  g.C->ChangeSorting(g.F("ID"), 1);
  g.C->FocusRowIndex(1);  // record 2, ID 20
  g.DataSet->Insert();    // the new record takes the focused record's place
  g.DataSet->FieldByName("ID")->SetAsInteger(99);
  EXPECT_EQ(g.RowIds(), "10 99 20 30 40");
  EXPECT_EQ(g.FocusedId(), "99");
  g.DataSet->Cancel();
  EXPECT_EQ(g.RowIds(), "10 20 30 40");
  g.DataSet->Append();  // on the last row: the new record sorts last
  g.DataSet->FieldByName("ID")->SetAsInteger(1);
  EXPECT_EQ(g.RowIds(), "10 20 30 40 1");
  g.DataSet->Post();
  EXPECT_EQ(g.RowIds(), "1 10 20 30 40");
}

TEST(DataController, DeletingTheFocusedLastRowFocusesTheNewLastRow) {
  Grid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
  g.C->FocusRowIndex(2);
  g.C->Delete();
  EXPECT_EQ(g.RowIds(), "1 2");
  EXPECT_EQ(g.C->FocusedRowIndex(), 1);
  EXPECT_EQ(g.CurrentId(), "2");
}

TEST(DataController, DeletingTheOnlyRowLeavesNothingFocused) {
  Grid g(Named({{1, "a"}}));
  EXPECT_EQ(ErrorOf([&] { g.C->Delete(); }), "no error");
  EXPECT_EQ(g.C->RowCount(), 0);
  EXPECT_EQ(g.C->FocusedRowIndex(), -1);
  EXPECT_EQ(g.DataSet->RecordCount(), 0);
}

TEST(DataController, FocusRecordReportsWhetherTheDatasetGotThere) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  EXPECT_TRUE(g.C->FocusRecord(1));
  EXPECT_EQ(g.CurrentId(), "2");
  EXPECT_EQ(g.C->Provider().CurrentRecord, 1);
  // A record the dataset does not have (it lost one without telling): not reached.
  g.C->SuspendDataSetEvents();
  g.DataSet->First();
  g.DataSet->Delete();
  g.C->ResumeDataSetEvents();
  EXPECT_FALSE(g.C->FocusRecord(1));
  EXPECT_EQ(g.C->Provider().CurrentRecord, 0);
}

// The controller follows the dataset: a program that moves the dataset to a record the
// controller's own filter hides leaves it there, and its edit reaches that record. A
// refocus request of an earlier filter change must not pull the dataset back.
TEST(DataController, FaultStaleRefocusMovedTheDatasetAProgramHadMoved) {
  for (const bool keyMode : {false, true}) {
    Grid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
    if (keyMode) g.C->SetKeyField(g.F("ID"));
    g.C->FocusRowIndex(0);
    g.C->Filter().AddCondition(nullptr, g.F("ID"), foNotEqual, 2, "");
    g.C->Filter().SetActive(true);
    EXPECT_EQ(g.RowIds(), "1 3");
    EXPECT_EQ(g.FocusedId(), "1");
    g.DataSet->SetRecNo(2);
    EXPECT_EQ(g.CurrentId(), "2") << keyMode;
    EXPECT_EQ(g.C->FocusedRowIndex(), -1);  // the record is not shown
    g.DataSet->Edit();
    g.DataSet->FieldByName("NAME")->SetAsString("edited");
    g.DataSet->Post();
    EXPECT_EQ(g.CurrentId(), "2");
    g.DataSet->First();
    std::string names;
    while (!g.DataSet->Eof()) {
      names += std::string(g.DataSet->FieldByName("NAME")->AsString()) + " ";
      g.DataSet->Next();
    }
    EXPECT_EQ(names, "a edited c ") << keyMode;
    // Locate and First/Next leave it where they put it too.
    EXPECT_TRUE(g.DataSet->Locate("ID", 2, 0));
    g.C->ClearSorting();
    g.C->Reload(true);
    EXPECT_EQ(g.CurrentId(), "2");
    g.DataSet->First();
    g.DataSet->Next();
    g.C->SetOptions(dcoCaseInsensitive);
    EXPECT_EQ(g.CurrentId(), "2");
    // A filter change that hides the focused row is the controller's own focus change:
    // row 0 is focused, and the dataset goes there.
    g.DataSet->Last();
    EXPECT_EQ(g.FocusedId(), "3");
    g.C->Filter().AddCondition(nullptr, g.F("ID"), foNotEqual, 3, "");
    EXPECT_EQ(g.FocusedId(), "1");
    EXPECT_EQ(g.CurrentId(), "1");
  }
}

// A sort with no edit under way ends nothing: it leaves no refocus request behind for
// the next rebuild. A program's edit that takes the current record out of the filtered
// rows leaves the dataset on that record.
TEST(DataController, FaultSortWithoutAnEditLeftARefocusForALaterEdit) {
  for (const bool keyMode : {false, true}) {
    Grid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
    if (keyMode) g.C->SetKeyField(g.F("ID"));
    g.C->Filter().AddCondition(nullptr, g.F("NAME"), foNotEqual, "x", "");
    g.C->Filter().SetActive(true);
    g.DataSet->SetRecNo(2);
    g.C->ChangeSorting(g.F("ID"), 2);
    EXPECT_EQ(g.RowIds(), "3 2 1");
    g.C->ClearSorting();
    EXPECT_EQ(g.FocusedId(), "2");
    g.DataSet->Edit();
    g.DataSet->FieldByName("NAME")->SetAsString("x");
    g.DataSet->Post();
    EXPECT_EQ(g.RowIds(), "1 3") << keyMode;
    EXPECT_EQ(g.CurrentId(), "2") << keyMode;
    EXPECT_EQ(g.C->FocusedRowIndex(), -1) << keyMode;
    // An edit the sort ends and the filter then hides does ask for row 0.
    g.DataSet->First();
    g.DataSet->Edit();
    g.DataSet->FieldByName("NAME")->SetAsString("x");
    g.C->ChangeSorting(g.F("ID"), 1);
    EXPECT_EQ(g.RowIds(), "3") << keyMode;
    EXPECT_EQ(g.CurrentId(), "3") << keyMode;
  }
}

TEST(DataController, ReloadNeverThrowsAwayAModifiedPendingEdit) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  g.DataSet->Edit();
  g.DataSet->FieldByName("NAME")->SetAsString("typed");
  g.C->Reload(true);
  EXPECT_EQ(g.DataSet->State(), dsEdit);
  EXPECT_EQ(g.DataSet->FieldByName("NAME")->AsString(), "typed");
  EXPECT_TRUE(g.C->ReloadPending());
  g.DataSet->Post();
  Variant v;
  g.C->GetFieldValue(0, g.F("NAME"), v);
  EXPECT_EQ(VarToStr(v), "typed");
  EXPECT_FALSE(g.C->ReloadPending());
}

// Mended fault: in key mode the end of an edit read back the edited record alone, so a
// reload put off while the edit was pending never ran: a record out of step with the
// dataset (made so here) stayed so. It runs once the edit is posted or cancelled.
TEST(DataController, FaultReloadPutOffByAPendingEditNeverRan) {
  for (const bool post : {true, false}) {
    Grid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
    g.C->SetKeyField(g.F("ID"));
    g.C->Reload(true);
    g.DataSet->First();
    g.DataSet->Edit();
    g.DataSet->FieldByName("NAME")->SetAsString("typed");
    g.C->SetStoredValue(2, g.F("NAME")->Index(), "stale");
    g.C->Reload(true);
    ASSERT_TRUE(g.C->ReloadPending());
    if (post) g.DataSet->Post();
    else g.DataSet->Cancel();
    EXPECT_FALSE(g.C->ReloadPending()) << post;
    std::string names;
    for (int r = 0; r < g.C->GetRecordCount(); ++r) {
      Variant v;
      g.C->GetFieldValue(r, g.F("NAME"), v);
      names += std::string(VarToStr(v)) + " ";
    }
    EXPECT_EQ(names, post ? "typed b c " : "a b c ") << post;
    EXPECT_EQ(g.CurrentId(), "1") << post;
  }
}

// Mended fault: criteria made by AddFilter stayed in the controller's list when they
// were deleted, and the controller freed them again (ASan reports the double free).
TEST(DataController, FaultDeletedExtraFilterWasFreedAgainByTheController) {
  auto g = std::make_unique<Grid>(Named({{1, "a"}, {2, "b"}}));
  TkvDataFilterCriteria* first = g->C->AddFilter();
  TkvDataFilterCriteria* second = g->C->AddFilter();
  TkvDataFilterCriteria* third = g->C->AddFilter();
  second->AddCondition(nullptr, g->F("NAME"), foEqual, "b", "b");
  delete second;  // the caller's to delete, as the controller's
  EXPECT_EQ(g->C->FilterCount(), 2);
  EXPECT_TRUE(g->C->IsExtraFilter(first));
  EXPECT_TRUE(g->C->IsExtraFilter(third));
  std::unique_ptr<TkvDataFilterCriteria> owned(g->C->AddFilter());
  owned.reset();
  EXPECT_EQ(g->C->FilterCount(), 2);
  EXPECT_EQ(g->RowIds(), "1 2");
  g.reset();  // frees first and third once each
}

TEST(DataController, AFailedDatasetOperationLeavesNoFlagOrDisabledControlsBehind) {
  Grid g(Named({{1, "a"}}));
  g.DataSet->FieldByName("NAME")->OnValidate = [](TField*) { throw Exception("refused"); };
  g.DataSet->Edit();
  EXPECT_EQ(ErrorOf([&] { g.DataSet->FieldByName("NAME")->SetAsString("x"); }), "Exception: refused");
  g.DataSet->Cancel();
  g.DataSet->BeforePost = [](TDataSet*) { throw Exception("no post"); };
  g.DataSet->Edit();
  g.DataSet->FieldByName("ID")->SetAsInteger(5);
  EXPECT_EQ(ErrorOf([&] { g.C->Post(); }), "Exception: no post");
  EXPECT_FALSE(g.DataSet->ControlsDisabled());
  EXPECT_EQ(g.C->Provider().ChangeNesting, 0);
  EXPECT_FALSE(g.C->Info().Locked());
  EXPECT_EQ(g.C->UpdateCount(), 0);
  g.DataSet->BeforePost = nullptr;
  g.C->Post();
  EXPECT_EQ(g.RowIds(), "5");
}

TEST(DataController, ScrollHandlersAreParkedDuringALoadAndComeBack) {
  Grid g;
  int scrolls = 0;
  g.DataSet->AfterScroll = [&](TDataSet*) { ++scrolls; };
  g.C->Reload(true);  // the dataset is empty: nothing to restore, the handler still returns
  EXPECT_TRUE(static_cast<bool>(g.DataSet->AfterScroll));
  g.DataSet->Append();
  g.DataSet->Post();
  const int before = scrolls;
  g.C->Reload(true);
  EXPECT_EQ(scrolls, before);  // the load's own moves ran no handler
  EXPECT_TRUE(static_cast<bool>(g.DataSet->AfterScroll));
}

// Another link of the dataset (a grid's rows) keeps its window across a load: the current
// record goes back to the buffer it was in.
TEST(DataController, ALoadPutsTheCurrentRecordBackIntoItsBuffer) {
  std::vector<std::pair<int, const char*>> items;
  for (int i = 1; i <= 12; ++i) items.push_back({i, "x"});
  Grid g(Named(items));
  TDataLink rows;
  rows.SetBufferCount(5);
  rows.SetDataSource(g.Source.get());
  // A jump centres the record in the window; a step from there moves it off the centre.
  for (const auto& [from, step] : std::vector<std::pair<int, int>>{{6, 1}, {6, -2}, {3, 1}, {10, 2}, {7, 0}}) {
    g.DataSet->SetRecNo(from);
    g.DataSet->MoveBy(step);
    const int recNo = from + step;
    const int buffer = g.DataSet->ActiveRecord();
    g.C->Reload(true);
    EXPECT_EQ(g.DataSet->RecNo(), recNo);
    EXPECT_EQ(g.DataSet->ActiveRecord(), buffer) << recNo;
    EXPECT_EQ(g.CurrentId(), std::to_string(recNo));
    EXPECT_EQ(g.FocusedId(), std::to_string(recNo));
  }
  rows.SetDataSource(nullptr);
}

TEST(DataController, RemovingAFieldItemTakesItOutOfSortingSummariesFilterAndSearch) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  TkvDbField* name = g.F("NAME");
  g.C->ChangeSorting(name, 2);
  TkvSummary* count = name->GetSummary(skCount);
  ASSERT_NE(count, nullptr);
  g.C->Filter().AddCondition(nullptr, name, foEqual, "a", "a");
  g.C->Filter().SetActive(true);
  EXPECT_TRUE(g.C->Search().Search(name->Index(), "a"));
  g.C->RemoveFieldItem(name);
  EXPECT_EQ(g.C->Info().SortingFields().Count(), 0);
  EXPECT_EQ(g.C->Info().SummaryCount(), 0);
  EXPECT_TRUE(g.C->Filter().IsEmpty());
  EXPECT_FALSE(g.C->Search().Active());
  EXPECT_EQ(g.C->Search().SearchFieldIndex(), -1);
  EXPECT_EQ(g.RowIds(), "1 2");
}

TEST(DataController, InternalRecordsSurviveAReload) {
  Grid g(Named({{1, "a"}}));
  const int edit = g.C->GetEditRecordIndex();
  g.C->SetStoredValue(edit, 1, "kept");
  g.C->Reload(true);
  EXPECT_EQ(g.C->GetEditRecordIndex(), edit);
  Variant v;
  EXPECT_EQ(ErrorOf([&] { g.C->GetValueByIndex(edit, 1, v); }), "no error");
  EXPECT_EQ(VarToStr(v), "kept");
}

TEST(DataController, EditStateBits) {
  Grid g(Named({{1, "a"}}));
  EXPECT_EQ(g.C->GetEditState(), 0);
  g.DataSet->Edit();
  EXPECT_EQ(g.C->GetEditState(), desEditing);
  g.DataSet->FieldByName("NAME")->SetAsString("b");
  EXPECT_EQ(g.C->GetEditState(), desEditing | desDataSetModified);
  g.DataSet->Cancel();
  g.DataSet->Insert();
  EXPECT_EQ(g.C->GetEditState(), desInserting | desEditing);
}

// A compare hook that answers inconsistently cannot take the sort out of the rows.
TEST(DataController, SortWithAnInconsistentCompareHookStaysInBounds) {
  std::vector<std::pair<int, const char*>> items;
  for (int i = 0; i < 200; ++i) items.push_back({i % 7, "x"});
  Grid g(Named(items));
  int calls = 0;
  g.C->OnCompare = [&](TObject*, int, int, int, const Variant&, const Variant&, int& result) {
    result = (++calls % 3) - 1;
  };
  g.C->ChangeSorting(g.F("ID"), 1);
  EXPECT_EQ(g.C->RowCount(), 200);
  std::vector<int> seen(200, 0);
  for (int r = 0; r < 200; ++r) ++seen[static_cast<size_t>(g.C->GetRowRecordIndex(r))];
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 200);
}

// A sort change posts a pending edit while the rows are locked: the post still reaches
// the controller (here the posted record leaves the filtered dataset).
TEST(DataController, EditPostedWhileTheRowsAreLockedReachesTheRows) {
  Grid g(Named({{1, "a"}, {2, "b"}, {3, "c"}}));
  g.DataSet->SetFilter("ID < 5");
  g.DataSet->SetFiltered(true);
  g.DataSet->Edit();
  g.DataSet->FieldByName("ID")->SetAsInteger(9);
  g.C->BeginUpdate();
  g.C->ChangeSorting(g.F("ID"), 2);
  g.C->EndUpdate();
  EXPECT_EQ(g.DataSet->State(), dsBrowse);
  EXPECT_EQ(g.C->GetRecordCount(), 2);
  EXPECT_EQ(g.RowIds(), "3 2");
}

// Record rules write into the dataset while it loads: never into one that cannot be
// changed.
TEST(DataController, RecordRulesNeverWriteIntoAReadOnlyDataset) {
  Grid g(Named({{1, "a"}, {2, "b"}}));
  g.C->GetCalculator().RecordRules().Add("PRICE = ID * 2");
  g.DataSet->SetReadOnly(true);
  EXPECT_EQ(ErrorOf([&] { g.C->Reload(true); }), "no error");
  EXPECT_EQ(g.C->GetRecordCount(), 2);
  EXPECT_TRUE(g.DataSet->FieldByName("PRICE")->IsNull());
  g.DataSet->SetReadOnly(false);
  g.C->Reload(true);
  Variant v;
  g.C->GetFieldValue(1, g.F("PRICE"), v);
  EXPECT_EQ(VarToStr(v), "4");
}

TEST(DataController, OptionsRebuildTheRows) {
  Grid g(Named({{2, "b"}, {1, "A"}, {3, "a"}}));
  g.C->ChangeSorting(g.F("NAME"), 1);
  EXPECT_EQ(g.RowIds(), "1 3 2");
  g.C->SetOptions(dcoCaseInsensitive);
  EXPECT_EQ(g.RowIds(), "1 3 2");
  g.C->SetOptions(dcoNoSorting);
  EXPECT_EQ(g.RowIds(), "2 1 3");
}

}  // namespace
