// The order of dataset events and data-link notices per operation, and the link window.
#include "DbTestUtil.h"

using namespace dbtest;

namespace {

struct Fixture {
  Log log;
  std::unique_ptr<TClientDataSet> ds = Numbered(5);
  TDataSource src{nullptr};
  RecordingLink link{log};

  Fixture() {
    src.SetDataSet(ds.get());
    link.SetVisualControl(true);
    link.SetDataSource(&src);
    HookEvents(*ds, log);
    log.Take();
  }
};

struct Scenario {
  const char* name;
  std::function<void(TClientDataSet&)> setup;  // runs before recording
  std::function<void(TClientDataSet&)> run;
  const char* expected;
};

TField* Name(TClientDataSet& d) { return d.FieldByName("Name"); }

const Scenario kScenarios[] = {
    {"Close", nullptr, [](TClientDataSet& d) { d.Close(); },
     "BeforeClose[Browse] ActiveChanged[Inactive] AfterClose[Inactive]"},
    {"CloseWhileEditing", [](TClientDataSet& d) { d.Edit(); }, [](TClientDataSet& d) { d.Close(); },
     "BeforeClose[Edit] ActiveChanged[Inactive] EditingChanged[Inactive] AfterClose[Inactive]"},
    {"NextInTheMiddle", nullptr, [](TClientDataSet& d) { d.Next(); },
     "CheckBrowseMode[Browse] BeforeScroll[Browse] Scrolled(1)[Browse] AfterScroll[Browse]"},
    {"PriorAtTheStart", nullptr, [](TClientDataSet& d) { d.Prior(); }, "CheckBrowseMode[Browse] BeforeScroll[Browse]"},
    {"NextOnTheLastRecord", [](TClientDataSet& d) { d.MoveBy(4); }, [](TClientDataSet& d) { d.Next(); },
     "CheckBrowseMode[Browse] BeforeScroll[Browse] Scrolled(0)[Browse] AfterScroll[Browse]"},
    {"NextAtEof", [](TClientDataSet& d) { d.Last(); d.Next(); }, [](TClientDataSet& d) { d.Next(); },
     "CheckBrowseMode[Browse] BeforeScroll[Browse]"},
    {"MoveByThree", nullptr, [](TClientDataSet& d) { d.MoveBy(3); },
     "CheckBrowseMode[Browse] BeforeScroll[Browse] Scrolled(3)[Browse] AfterScroll[Browse]"},
    {"Last", nullptr, [](TClientDataSet& d) { d.Last(); },
     "CheckBrowseMode[Browse] BeforeScroll[Browse] DataSetChanged[Browse] AfterScroll[Browse]"},
    {"LocateFound", nullptr, [](TClientDataSet& d) { d.Locate("Id", Variant(4), 0); },
     "CheckBrowseMode[Browse] BeforeScroll[Browse] DataSetChanged[Browse] AfterScroll[Browse]"},
    {"LocateNotFound", nullptr, [](TClientDataSet& d) { d.Locate("Id", Variant(40), 0); },
     "CheckBrowseMode[Browse] BeforeScroll[Browse]"},
    {"Edit", nullptr, [](TClientDataSet& d) { d.Edit(); },
     "CheckBrowseMode[Browse] BeforeEdit[Browse] EditingChanged[Edit] RecordChanged(nil)[Edit] AfterEdit[Edit]"},
    {"FieldChange", [](TClientDataSet& d) { d.Edit(); },
     [](TClientDataSet& d) { Name(d)->SetAsString("x"); }, "RecordChanged(Name)[Edit]"},
    {"Post", [](TClientDataSet& d) { d.Edit(); Name(d)->SetAsString("x"); },
     [](TClientDataSet& d) { d.Post(); },
     "UpdateData[Edit] CheckBrowseMode[Edit] BeforePost[Edit] EditingChanged[Browse] "
     "DataSetChanged[Browse] AfterPost[Browse]"},
    {"Cancel", [](TClientDataSet& d) { d.Edit(); Name(d)->SetAsString("x"); },
     [](TClientDataSet& d) { d.Cancel(); },
     "CheckBrowseMode[Edit] BeforeCancel[Edit] EditingChanged[Browse] DataSetChanged[Browse] "
     "AfterCancel[Browse]"},
    {"Insert", nullptr, [](TClientDataSet& d) { d.Insert(); },
     "CheckBrowseMode[Browse] BeforeInsert[Browse] BeforeScroll[Browse] EditingChanged[Insert] OnNewRecord[Insert] "
     "DataSetChanged[Insert] AfterInsert[Insert] AfterScroll[Insert]"},
    {"CancelInsert", [](TClientDataSet& d) { d.Insert(); }, [](TClientDataSet& d) { d.Cancel(); },
     "CheckBrowseMode[Insert] BeforeCancel[Insert] BeforeScroll[Insert] EditingChanged[Browse] "
     "DataSetChanged[Browse] AfterCancel[Browse] AfterScroll[Browse]"},
    {"Delete", nullptr, [](TClientDataSet& d) { d.Delete(); },
     "CheckBrowseMode[Browse] BeforeDelete[Browse] BeforeScroll[Browse] DataSetChanged[Browse] "
     "AfterDelete[Browse] AfterScroll[Browse]"},
    {"NextPostsAModifiedEdit", [](TClientDataSet& d) { d.Edit(); Name(d)->SetAsString("x"); },
     [](TClientDataSet& d) { d.Next(); },
     "CheckBrowseMode[Edit] UpdateData[Edit] UpdateData[Edit] CheckBrowseMode[Edit] "
     "BeforePost[Edit] EditingChanged[Browse] DataSetChanged[Browse] AfterPost[Browse] "
     "BeforeScroll[Browse] Scrolled(1)[Browse] AfterScroll[Browse]"},
    {"NextCancelsAnUnmodifiedEdit", [](TClientDataSet& d) { d.Edit(); },
     [](TClientDataSet& d) { d.Next(); },
     "CheckBrowseMode[Edit] UpdateData[Edit] CheckBrowseMode[Edit] BeforeCancel[Edit] "
     "EditingChanged[Browse] DataSetChanged[Browse] AfterCancel[Browse] "
     "BeforeScroll[Browse] Scrolled(1)[Browse] AfterScroll[Browse]"},
    {"ScrollsWhileDisabled", nullptr,
     [](TClientDataSet& d) { d.DisableControls(); d.Next(); d.Next(); d.EnableControls(); },
     "Disabled(1) BeforeScroll[Browse] AfterScroll[Browse] BeforeScroll[Browse] "
     "AfterScroll[Browse] Disabled(2) DataSetChanged[Browse]"},
    {"PostWhileDisabled", nullptr,
     [](TClientDataSet& d) {
       d.DisableControls();
       d.Edit();
       Name(d)->SetAsString("x");
       d.Post();
       d.EnableControls();
     },
     "Disabled(1) BeforeEdit[Browse] AfterEdit[Edit] BeforePost[Edit] AfterPost[Browse] "
     "Disabled(0) DataSetChanged[Browse]"},
    {"EditLeftOpenWhileDisabled", nullptr,
     [](TClientDataSet& d) { d.DisableControls(); d.Edit(); d.EnableControls(); },
     "Disabled(1) BeforeEdit[Browse] AfterEdit[Edit] Disabled(0) EditingChanged[Edit] "
     "DataSetChanged[Edit]"},
    {"NestedDisableSendsOnce", nullptr,
     [](TClientDataSet& d) {
       d.DisableControls();
       d.DisableControls();
       d.EnableControls();
       d.EnableControls();
     },
     "Disabled(1) Disabled(2) DataSetChanged[Browse]"},
    {"CloseAndOpenWhileDisabled", nullptr,
     [](TClientDataSet& d) {
       TDataPacket p = d.Data();
       d.DisableControls();
       d.SetData(p);
       d.EnableControls();
     },
     "Disabled(1) BeforeClose[Browse] AfterClose[Inactive] BeforeOpen[Inactive] "
     "AfterOpen[Browse] AfterScroll[Browse] Disabled(0) LayoutChanged[Browse]"},
    {"FilterChange", nullptr,
     [](TClientDataSet& d) { d.SetFilter("Id > 2"); d.SetFiltered(true); },
     "CheckBrowseMode[Browse] BeforeScroll[Browse] DataSetChanged[Browse] AfterScroll[Browse]"},
    {"FocusControl", nullptr, [](TClientDataSet& d) { Name(d)->FocusControl(); },
     "FocusControl(Name)[Browse]"},
};

class LinkOrder : public ::testing::TestWithParam<Scenario> {};

TEST_P(LinkOrder, SequenceOfEventsAndNotices) {
  Fixture f;
  const Scenario& s = GetParam();
  if (s.setup) s.setup(*f.ds);
  f.log.Take();
  s.run(*f.ds);
  EXPECT_EQ(f.log.Take(), s.expected) << s.name;
}

INSTANTIATE_TEST_SUITE_P(Operations, LinkOrder, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& i) { return std::string(i.param.name); });

// A listener that reloads when data changed while controls were off must not be told so
// after a bracket that only moved the cursor (its own load), or it reloads for ever.
TEST(LinkOrder, DisabledStateChangeReportsChangesOnlyWhenDataChanged) {
  Fixture f;
  f.ds->DisableControls();
  for (f.ds->First(); !f.ds->Eof(); f.ds->Next()) {
  }
  f.ds->EnableControls();
  const std::string moves = f.log.Take();
  EXPECT_NE(moves.find("Disabled(2)"), std::string::npos) << moves;
  EXPECT_EQ(moves.find("Disabled(0)"), std::string::npos) << moves;
  f.ds->DisableControls();
  f.ds->Delete();
  f.ds->EnableControls();
  const std::string change = f.log.Take();
  EXPECT_NE(change.find("Disabled(0)"), std::string::npos) << change;
}

TEST(LinkOrder, OpenAnnouncesActiveBeforeAfterOpen) {
  Fixture f;
  TDataPacket p = f.ds->Data();
  f.ds->Close();
  f.log.Take();
  f.ds->SetData(p);
  EXPECT_EQ(f.log.Take(), "BeforeOpen[Inactive] ActiveChanged[Browse] AfterOpen[Browse] AfterScroll[Browse]");
}

TEST(LinkOrder, NonVisualLinksHearEverythingFirstAndWhileDisabled) {
  Fixture f;
  RecordingLink quiet(f.log, "nv:");
  quiet.SetDataSource(&f.src);  // not visual
  f.log.Take();
  f.ds->DisableControls();
  f.ds->Next();
  f.ds->EnableControls();
  EXPECT_EQ(f.log.Take(),
            "nv:Disabled(1) Disabled(1) nv:CheckBrowseMode[Browse] BeforeScroll[Browse] nv:Scrolled(1)[Browse] "
            "AfterScroll[Browse] nv:Disabled(2) Disabled(2) nv:DataSetChanged[Browse] "
            "DataSetChanged[Browse]");
}

TEST(LinkOrder, ReadOnlyLinkIsNeverEditing) {
  Fixture f;
  f.link.SetReadOnly(true);
  EXPECT_FALSE(f.link.Edit());
  EXPECT_EQ(f.ds->State(), dsBrowse);
  f.ds->Edit();
  EXPECT_FALSE(f.link.Editing());
}

TEST(LinkOrder, LinkEditPutsTheDataSetInEditMode) {
  Fixture f;
  EXPECT_TRUE(f.link.Edit());
  EXPECT_EQ(f.ds->State(), dsEdit);
  f.src.SetAutoEdit(false);
  f.ds->Cancel();
  EXPECT_FALSE(f.link.Edit());
}

TEST(LinkOrder, UpdateRecordDoesNotEchoToItsOwnLink) {
  // A link that writes a field inside UpdateData must not hear RecordChanged for it.
  struct Writer : RecordingLink {
    using RecordingLink::RecordingLink;
    void UpdateData() override { DataSet()->FieldByName("Name")->SetAsString("typed"); }
  };
  Fixture f;
  Writer w(f.log, "w:");
  w.SetDataSource(&f.src);
  f.ds->Edit();
  f.log.Take();
  f.ds->Post();
  const std::string log = f.log.Take();
  EXPECT_EQ(log.find("w:RecordChanged"), std::string::npos) << log;
  EXPECT_NE(log.find("RecordChanged(Name)[Edit]"), std::string::npos) << log;
  EXPECT_EQ(f.ds->FieldByName("Name")->AsString(), "typed");
}

TEST(LinkOrder, DataSourceDestroyedDetachesItsLinks) {
  Log log;
  auto ds = Numbered(2);
  RecordingLink link(log);
  {
    TDataSource src(nullptr);
    src.SetDataSet(ds.get());
    link.SetDataSource(&src);
    EXPECT_TRUE(link.Active());
  }
  EXPECT_EQ(link.DataSource(), nullptr);
  EXPECT_FALSE(link.Active());
}

TEST(LinkOrder, DataSetDestroyedDeactivatesLinks) {
  Log log;
  TDataSource src(nullptr);
  RecordingLink link(log);
  link.SetDataSource(&src);
  {
    auto ds = Numbered(2);
    src.SetDataSet(ds.get());
    EXPECT_TRUE(link.Active());
  }
  EXPECT_EQ(src.DataSet(), nullptr);
  EXPECT_FALSE(link.Active());
}

// --- the window ------------------------------------------------------------------------------

// The log without the CheckBrowseMode notices that start every move.
std::string WithoutCheck(std::string s) {
  for (const std::string tag : {"1:CheckBrowseMode[Browse] ", "g:CheckBrowseMode[Browse] ", "CheckBrowseMode[Browse] "})
    for (size_t p; (p = s.find(tag)) != std::string::npos;) s.erase(p, tag.size());
  return s;
}

std::string Window(const TDataLink& l) {
  return std::to_string(l.FirstRecord()) + "/" + std::to_string(l.ActiveRecord()) + "/" +
         std::to_string(l.RecordCount());
}

TEST(LinkWindow, GridSizedLinkScrollsOnlyPastItsEdge) {
  Log log;
  auto ds = Numbered(10);
  TDataSource src(nullptr);
  src.SetDataSet(ds.get());
  RecordingLink grid(log);
  grid.SetBufferCount(3);
  grid.SetDataSource(&src);
  log.Take();
  std::string trace;
  for (int i = 0; i < 4; ++i) {
    ds->Next();
    trace += WithoutCheck(log.Take()) + " " + Window(grid) + "; ";
  }
  ds->Prior();
  ds->Prior();
  ds->Prior();
  trace += WithoutCheck(log.Take()) + " " + Window(grid);
  EXPECT_EQ(trace,
            "Scrolled(0)[Browse] 0/1/3; Scrolled(0)[Browse] 0/2/3; Scrolled(1)[Browse] 0/2/3; "
            "Scrolled(1)[Browse] 0/2/3; Scrolled(0)[Browse] Scrolled(0)[Browse] "
            "Scrolled(-1)[Browse] 0/0/3");
  EXPECT_EQ(ds->RecNo(), 2);
}

TEST(LinkWindow, SingleRecordLinkScrollsByThePositionChange) {
  // Next to a grid-sized link a link with one buffer hears the change of the current
  // record's position as the distance, wherever the window stands.
  Log log;
  auto ds = Numbered(10);
  TDataSource src(nullptr);
  src.SetDataSet(ds.get());
  RecordingLink grid(log, "g:");
  grid.SetBufferCount(4);
  grid.SetDataSource(&src);
  RecordingLink one(log, "1:");
  one.SetVisualControl(true);
  one.SetDataSource(&src);
  log.Take();
  std::string trace;
  for (int step : {1, 1, 3, -2, 4, -9}) {
    ds->MoveBy(step);
    const std::string l = WithoutCheck(log.Take());
    trace += l.substr(l.find("1:")) + " ";
  }
  EXPECT_EQ(trace,
            "1:Scrolled(1)[Browse] 1:Scrolled(1)[Browse] 1:Scrolled(3)[Browse] "
            "1:Scrolled(-2)[Browse] 1:Scrolled(4)[Browse] 1:Scrolled(-7)[Browse] ");
  EXPECT_EQ(one.ActiveRecord(), 0);
  EXPECT_EQ(ds->RecNo(), 1);
}

TEST(LinkWindow, LastFillsTheWindowBackwards) {
  Log log;
  auto ds = Numbered(10);
  TDataSource src(nullptr);
  src.SetDataSet(ds.get());
  RecordingLink grid(log);
  grid.SetBufferCount(4);
  grid.SetDataSource(&src);
  ds->Last();
  EXPECT_EQ(Window(grid), "0/3/4");
  EXPECT_EQ(ds->BufferRecordCount(), 4);
  // Painting reads other buffers through ActiveRecord and puts it back.
  grid.SetActiveRecord(0);
  EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 7);
  grid.SetActiveRecord(3);
  EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 10);
}

TEST(LinkWindow, InsertTakesABufferAtTheCurrentRow) {
  Log log;
  auto ds = Numbered(10);
  TDataSource src(nullptr);
  src.SetDataSet(ds.get());
  RecordingLink grid(log);
  grid.SetBufferCount(4);
  grid.SetDataSource(&src);
  ds->MoveBy(1);
  ds->Insert();
  std::string rows;
  for (int i = 0; i < grid.RecordCount(); ++i) {
    grid.SetActiveRecord(i);
    rows += ds->FieldByName("Id")->IsNull() ? "new " : ds->FieldByName("Id")->AsString() + " ";
  }
  grid.SetActiveRecord(1);
  EXPECT_EQ(rows, "1 new 2 3 ");
  ds->FieldByName("Id")->SetAsInteger(99);
  ds->Post();
  EXPECT_EQ(Ids(*ds), "1,99,2,3,4,5,6,7,8,9,10");
  EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 99);
}

TEST(LinkWindow, ShrinkingTheDataSetClampsTheWindow) {
  Log log;
  auto ds = Numbered(3);
  TDataSource src(nullptr);
  src.SetDataSet(ds.get());
  RecordingLink grid(log);
  grid.SetBufferCount(5);
  grid.SetDataSource(&src);
  EXPECT_EQ(Window(grid), "0/0/3");
  ds->Last();
  ds->Delete();
  EXPECT_EQ(Window(grid), "0/1/2");
  ds->Delete();
  ds->Delete();
  EXPECT_EQ(Window(grid), "0/0/0");
  EXPECT_TRUE(ds->IsEmpty());
}

}  // namespace

namespace {

TEST(DataSource, StateChangeAndDataChangeEvents) {
  std::string log;  // outlives the source, whose destructor still reports a state change
  auto ds = Numbered(3);
  TDataSource src(nullptr);
  src.OnStateChange = [&](TObject*) { log += std::string("state:") + StateName(src.State()) + " "; };
  src.OnDataChange = [&](TObject*, TField* f) { log += "data:" + (f ? f->FieldName() : std::string("nil")) + " "; };
  src.SetDataSet(ds.get());
  EXPECT_EQ(src.State(), dsBrowse);
  ds->Next();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("x");
  ds->Post();
  EXPECT_EQ(log, "state:Browse data:nil state:Edit data:nil data:Name state:Browse data:nil ");
}

TEST(DataSource, DisabledSourceSilencesItsLinks) {
  Log log;
  auto ds = Numbered(3);
  TDataSource src(nullptr);
  src.SetDataSet(ds.get());
  RecordingLink link(log);
  link.SetDataSource(&src);
  src.SetEnabled(false);
  EXPECT_FALSE(link.Active());
  log.Take();
  ds->Next();
  EXPECT_EQ(log.Take(), "");
  src.SetEnabled(true);
  EXPECT_TRUE(link.Active());
  EXPECT_EQ(log.Take(), "ActiveChanged[Browse]");
}

TEST(DataSource, MovingAFieldIsALayoutChange) {
  Fixture f;
  f.ds->FieldByName("Name")->SetIndex(0);
  EXPECT_EQ(f.log.Take(), "LayoutChanged[Browse]");
  f.ds->FieldByName("Name")->SetDisplayLabel("名称");
  EXPECT_EQ(f.log.Take(), "LayoutChanged[Browse]");
}

TEST(DataSource, BufferCountFollowsTheLargestLink) {
  auto ds = Numbered(20);
  TDataSource src(nullptr);
  src.SetDataSet(ds.get());
  TDataLink a, b;
  a.SetDataSource(&src);
  b.SetDataSource(&src);
  EXPECT_EQ(ds->BufferCount(), 1);
  a.SetBufferCount(5);
  EXPECT_EQ(ds->BufferCount(), 5);
  EXPECT_EQ(a.RecordCount(), 5);
  ds->MoveBy(7);
  b.SetBufferCount(8);
  EXPECT_EQ(ds->BufferCount(), 8);
  EXPECT_EQ(ds->RecNo(), 8);
  EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 8);
  EXPECT_EQ(b.RecordCount(), 8);
  b.SetDataSource(nullptr);
  EXPECT_EQ(ds->BufferCount(), 5);
  EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 8);
  EXPECT_EQ(a.ActiveRecord(), 4);
}

TEST(DataSource, FailingOpenLeavesLinksInactive) {
  Log log;
  TClientDataSet ds(nullptr);
  TDataSource src(nullptr);
  src.SetDataSet(&ds);
  RecordingLink link(log);
  link.SetDataSource(&src);
  ds.BeforeOpen = [](TDataSet*) { Abort(); };
  EXPECT_THROW(ds.Open(), EAbort);
  EXPECT_FALSE(ds.Active());
  EXPECT_EQ(log.Take(), "");
}

}  // namespace
