// Focus: OnEnter/OnExit order through nested containers, tab order, ActiveControl.
#include "UiTest.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

using namespace uitest;

namespace {

// A form with edit A and B inside panel P, and C on the form itself; every enter and
// exit is recorded as "A+" / "A-".
struct FocusForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TPanel* p;
  TEdit *a, *b, *c;
  EventLog log;

  FocusForm() {
    form->SetName("frmFocus");
    form->SetBounds(100, 100, 400, 300);
    p = new TPanel(form.get());
    p->SetName("P");
    p->SetParent(form.get());
    p->SetBounds(0, 0, 400, 100);
    a = Edit("A", p, 10);
    b = Edit("B", p, 40);
    c = Edit("C", form.get(), 150);
    p->OnEnter = [this](TObject*) { log.Add("P+"); };
    p->OnExit = [this](TObject*) { log.Add("P-"); };
  }

  TEdit* Edit(const char* name, TWinControl* parent, int top) {
    auto* e = new TEdit(form.get());
    e->SetName(name);
    e->SetParent(parent);
    e->SetBounds(10, top, 100, 21);
    std::string n = name;
    e->OnEnter = [this, n](TObject*) { log.Add(n + "+"); };
    e->OnExit = [this, n](TObject*) { log.Add(n + "-"); };
    return e;
  }
};

}  // namespace

TEST(Focus, FirstTabStopTakesFocusWhenFormShows) {
  FocusForm f;
  f.form->Show();
  Settle();
  EXPECT_EQ(::GetFocus(), f.a->Handle());
  EXPECT_EQ(f.form->ActiveControl(), f.a);
  EXPECT_EQ(f.log.Str(), "P+ A+");
}

TEST(Focus, EnterAndExitFollowTheContainerChain) {
  struct Step {
    const char* to;
    const char* events;
  };
  const Step steps[] = {
      {"B", "A- B+"},        // same container: only the edits
      {"C", "B- P- C+"},     // leaving the panel: the panel exits after the edit
      {"A", "C- P+ A+"},     // entering the panel: the panel enters before the edit
      {"A", ""},             // focusing the focused control changes nothing
  };
  FocusForm f;
  f.form->Show();
  Settle();
  for (const Step& s : steps) {
    f.log.Clear();
    auto* target = dynamic_cast<TEdit*>(f.form->FindComponent(s.to));
    Focus(target);
    EXPECT_EQ(f.log.Str(), s.events) << "to " << s.to;
    EXPECT_TRUE(target->Focused());
  }
}

TEST(Focus, TabAndShiftTabFollowTabOrder) {
  FocusForm f;
  f.b->SetTabOrder(0);  // B before A inside the panel
  f.form->Show();
  Settle();
  EXPECT_EQ(f.form->ActiveControl(), f.b);
  PostKey(VK_TAB);
  EXPECT_EQ(f.form->ActiveControl(), f.a);
  PostKey(VK_TAB);
  EXPECT_EQ(f.form->ActiveControl(), f.c);
  PostKey(VK_TAB);  // wraps around
  EXPECT_EQ(f.form->ActiveControl(), f.b);
  {
    HeldKey shift(VK_SHIFT);
    PostKey(VK_TAB);
  }
  EXPECT_EQ(f.form->ActiveControl(), f.c);
}

TEST(Focus, ControlsWithoutTabStopAreSkipped) {
  FocusForm f;
  f.b->SetTabStop(false);
  f.form->Show();
  Settle();
  PostKey(VK_TAB);
  EXPECT_EQ(f.form->ActiveControl(), f.c);
}

TEST(Focus, ActiveControlSetBeforeShowGetsTheFocus) {
  FocusForm f;
  f.form->SetActiveControl(f.c);
  f.form->Show();
  Settle();
  EXPECT_EQ(::GetFocus(), f.c->Handle());
  EXPECT_EQ(f.log.Str(), "C+");
}

TEST(Focus, SetFocusOnHiddenOrDisabledControlRaises) {
  FocusForm f;
  f.form->Show();
  Settle();
  f.b->SetVisible(false);
  EXPECT_FALSE(f.b->CanFocus());
  try {
    f.b->SetFocus();
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot focus a disabled or invisible window");
  }
  f.c->SetEnabled(false);
  EXPECT_THROW(f.c->SetFocus(), EInvalidOperation);
  f.p->SetEnabled(false);  // a disabled container disables its children for focus
  EXPECT_FALSE(f.a->CanFocus());
}

TEST(Focus, HidingTheFocusedControlMovesTheFocusOn) {
  FocusForm f;
  f.form->Show();
  Settle();
  ASSERT_TRUE(f.a->Focused());
  f.a->SetVisible(false);
  Pump();
  EXPECT_TRUE(f.b->Focused());
  EXPECT_EQ(f.form->ActiveControl(), f.b);
}

TEST(Focus, DeletingTheActiveControlClearsIt) {
  FocusForm f;
  f.form->Show();
  Settle();
  ASSERT_EQ(f.form->ActiveControl(), f.a);
  delete f.a;
  EXPECT_EQ(f.form->ActiveControl(), nullptr);
  Focus(f.c);  // the form keeps working
  EXPECT_EQ(f.form->ActiveControl(), f.c);
}

TEST(Focus, ExitHandlerMayMoveTheFocusElsewhere) {
  FocusForm f;
  f.form->Show();
  Settle();
  // A validating exit handler that sends the user back.
  f.a->OnExit = [&](TObject*) {
    f.log.Add("A-");
    f.a->SetFocus();
  };
  f.log.Clear();
  Focus(f.c);
  EXPECT_TRUE(f.a->Focused());
  EXPECT_EQ(f.form->ActiveControl(), f.a);
  // The move to C stops where the handler took over: P and C hear nothing, and A,
  // which the handler sent the focus back to, is entered again.
  EXPECT_EQ(f.log.Str(), "A- A+");
}

TEST(Focus, EnterHandlerMayMoveTheFocusElsewhere) {
  FocusForm f;
  f.form->Show();
  Settle();
  // C turns the user away on entry, into the panel.
  f.c->OnEnter = [&](TObject*) {
    f.log.Add("C+");
    f.b->SetFocus();
  };
  f.log.Clear();
  Focus(f.c);
  EXPECT_TRUE(f.b->Focused());
  EXPECT_EQ(f.form->ActiveControl(), f.b);
  // C was entered, so it is exited; the panel was exited, so it is entered again.
  EXPECT_EQ(f.log.Str(), "A- P- C+ C- P+ B+");
}
