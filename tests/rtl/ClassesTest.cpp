// TObject, TPersistent and TComponent: class names, assignment errors, ownership and
// destruction order, free notification, component names.
#include <gtest/gtest.h>

#include <string>
#include "rtl/Classes.h"

namespace {

std::string gLog;

// Logs its destruction and every notification it hears.
class TProbe : public TComponent {
 public:
  explicit TProbe(TComponent* owner, const char* name = "") : TComponent(owner) {
    if (*name) SetName(name);
  }
  ~TProbe() override { gLog += "~" + Name() + " "; }
  TComponent* Watched = nullptr;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    gLog += Name() + (op == opInsert ? "+" : "-") + (c->Name().empty() ? "?" : c->Name()) + " ";
    if (op == opRemove && c == Watched) Watched = nullptr;
  }
};

class TOther : public TPersistent {};

}  // namespace

TEST(Object, ClassNameIsTheUnqualifiedName) {
  TProbe p(nullptr);
  EXPECT_EQ(p.ClassName(), "TProbe");
  TOther o;
  EXPECT_EQ(o.ClassName(), "TOther");
}

TEST(Persistent, AssignWithoutSupportNamesBothClasses) {
  TOther a, b;
  try {
    a.Assign(&b);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TOther to a TOther");
  }
  try {
    a.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TOther");
  }
}

TEST(Component, OwnerFreesOwnedLastCreatedFirst) {
  gLog.clear();
  auto* form = new TProbe(nullptr, "Form");
  new TProbe(form, "A");
  auto* b = new TProbe(form, "B");
  new TProbe(b, "B1");
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(b->ComponentIndex(), 1);
  gLog.clear();
  delete form;
  EXPECT_EQ(gLog, "~Form ~B ~B1 ~A ");  // a class's own destructor body runs before its owned ones go
}

TEST(Component, DeletingAnOwnedComponentTakesItOut) {
  gLog.clear();
  TProbe form(nullptr, "Form");
  auto* a = new TProbe(&form, "A");
  new TProbe(&form, "B");
  gLog.clear();
  delete a;
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.Components(0)->Name(), "B");
  // The owner and the siblings hear of it.
  EXPECT_EQ(gLog, "~A B-A Form-A ");
  EXPECT_THROW(form.Components(1), EListError);
}

TEST(Component, SiblingsHearOfInsertions) {
  gLog.clear();
  TProbe form(nullptr, "Form");
  new TProbe(&form, "A");
  gLog.clear();
  auto* b = new TProbe(&form);
  b->SetName("B");
  EXPECT_EQ(gLog, "A+? Form+? ");
}

TEST(Component, FreeNotificationReachesTheWatcherEitherWay) {
  gLog.clear();
  auto* grid = new TProbe(nullptr, "Grid");
  auto* data = new TProbe(nullptr, "Data");
  grid->Watched = data;
  data->FreeNotification(grid);
  gLog.clear();
  delete data;
  EXPECT_EQ(grid->Watched, nullptr);
  EXPECT_EQ(gLog, "~Data Grid-Data ");
  // The watcher going first leaves nothing dangling behind in the watched one.
  auto* data2 = new TProbe(nullptr, "Data2");
  data2->FreeNotification(grid);
  delete grid;
  gLog.clear();
  delete data2;
  EXPECT_EQ(gLog, "~Data2 ");
}

TEST(Component, FreeNotificationAcrossOwnersWhenTheOwnerGoes) {
  gLog.clear();
  TProbe watcher(nullptr, "W");
  auto* form = new TProbe(nullptr, "Form");
  auto* ds = new TProbe(form, "DS");
  watcher.Watched = ds;
  ds->FreeNotification(&watcher);
  delete form;  // ds is freed by its owner: the watcher still hears of it
  EXPECT_EQ(watcher.Watched, nullptr);
}

TEST(Component, RemoveFreeNotificationStopsTheNotice) {
  gLog.clear();
  TProbe watcher(nullptr, "W");
  auto* ds = new TProbe(nullptr, "DS");
  ds->FreeNotification(&watcher);
  ds->RemoveFreeNotification(&watcher);
  gLog.clear();
  delete ds;
  EXPECT_EQ(gLog, "~DS ");
}

TEST(Component, DuplicateAndInvalidNames) {
  TProbe form(nullptr, "Form");
  auto* a = new TProbe(&form, "Edit1");
  auto* b = new TProbe(&form, "Edit2");
  try {
    b->SetName("EDIT1");  // names are unique ignoring case
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named EDIT1 already exists");
  }
  EXPECT_EQ(b->Name(), "Edit2");
  a->SetName("EDIT1");  // its own name in another case is fine
  EXPECT_EQ(form.FindComponent("edit1"), a);
  EXPECT_EQ(form.FindComponent(""), nullptr);
  for (const char* bad : {"1abc", "a b", "a-b", "商品"}) EXPECT_THROW(b->SetName(bad), EComponentError) << bad;
  b->SetName("");  // unnamed is allowed, any number of times
  new TProbe(&form);
  EXPECT_EQ(form.ComponentCount(), 3);
}

TEST(Component, InsertingANamedComponentChecksTheNewOwner) {
  TProbe form1(nullptr, "F1"), form2(nullptr, "F2");
  auto* a = new TProbe(&form1, "Btn");
  new TProbe(&form2, "btn");
  EXPECT_THROW(form2.InsertComponent(a), EComponentError);
  EXPECT_EQ(a->Owner(), &form1);  // left where it was
  a->SetName("Other");
  form2.InsertComponent(a);
  EXPECT_EQ(a->Owner(), &form2);
  EXPECT_EQ(form1.ComponentCount(), 0);
  EXPECT_EQ(form2.ComponentCount(), 2);
}

TEST(Component, StateFlags) {
  TProbe p(nullptr);
  EXPECT_FALSE(p.HasState(csLoading));
  p.SetComponentState(csLoading, true);
  EXPECT_TRUE(p.HasState(csLoading));
  p.SetComponentState(csLoading, false);
  EXPECT_EQ(p.ComponentState(), 0u);
}

TEST(Component, IdentifierRule) {
  EXPECT_TRUE(IsValidIdent("_a1"));
  EXPECT_TRUE(IsValidIdent("Edit1"));
  EXPECT_FALSE(IsValidIdent(""));
  EXPECT_FALSE(IsValidIdent("9"));
}

namespace {

// Anything with the BeginUpdate/EndUpdate pair; its end notice may fail.
struct TBatchProbe {
  std::string Log;
  std::function<void()> OnEnd;
  void BeginUpdate() { Log += "<"; }
  void EndUpdate() {
    Log += ">";
    if (OnEnd) OnEnd();
  }
};

}  // namespace

TEST(UpdateScope, EndsTheUpdateHoweverTheScopeIsLeft) {
  TBatchProbe b;
  { TUpdateScope outer(&b); TUpdateScope inner(&b); }
  try {
    TUpdateScope update(&b);
    throw EConvertError("batch failed");
  } catch (const EConvertError&) {
  }
  TUpdateScope<TBatchProbe> none(nullptr);
  EXPECT_EQ(b.Log, "<<>><>");
}

TEST(UpdateScope, AFailingEndNoticeReachesTheCaller) {
  TBatchProbe b;
  b.OnEnd = [] { throw EConvertError("notice failed"); };
  bool caught = false;
  try {
    TUpdateScope update(&b);
  } catch (const EConvertError& e) {
    caught = true;
    EXPECT_EQ(e.Message(), "notice failed");
  }
  EXPECT_TRUE(caught);
  EXPECT_EQ(b.Log, "<>");
}

TEST(UpdateScope, WhileUnwindingTheFirstFailureIsTheOneReported) {
  TBatchProbe b;
  b.OnEnd = [] { throw EConvertError("notice failed"); };
  try {
    TUpdateScope update(&b);
    throw EConvertError("batch failed");
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "batch failed");
  }
  EXPECT_EQ(b.Log, "<>");
}
