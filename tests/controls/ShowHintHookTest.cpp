// The shared show-hint event: order of the handlers, removal, the handler found in the
// application's event, shut-down, and a real hint going through it.
#include <gtest/gtest.h>

#include "controls/ShowHintHook.h"
#include "ui/StdCtrls.h"
#include "tests/ui/UiTest.h"

using uitest::EventLog;

namespace {

// A control with a show-hint method, as the aligned grid has.
struct HintUser {
  std::string Name;
  EventLog* Log;
  void ShowHint(AnsiString& s, bool& canShow, THintInfo&) {
    Log->Add(Name + "(" + s + ")");
    s += Name;
    if (Name == "mute") canShow = false;
  }
  TShowHintMethod Method() { return TShowHintMethod(this, &HintUser::ShowHint); }
};

// Keeps the application's event as it was around a test.
struct SavedEvent {
  TShowHintEvent saved = Application->OnShowHint;
  ~SavedEvent() { Application->OnShowHint = saved; }
};

std::string Fire(AnsiString hint = "h") {
  bool canShow = true;
  THintInfo info;
  Application->OnShowHint(hint, canShow, info);
  return hint + (canShow ? "" : " hidden");
}

}  // namespace

TEST(ShowHintHook, TheMostRecentHandlerRunsFirstAndTheStartupHandlerLast) {
  SavedEvent keep;
  EventLog log;
  Application->OnShowHint = [&](AnsiString& s, bool&, THintInfo&) {
    log.Add("startup(" + s + ")");
    s += "S";
  };
  TShowHintHook hook(Application);
  EXPECT_TRUE(hook.Installed());
  HintUser a{"a", &log}, b{"b", &log};
  hook.Add(a.Method());
  hook.Add(b.Method());
  EXPECT_EQ(Fire(), "hbaS");
  EXPECT_EQ(log.Str(), "b(h) a(hb) startup(hba)");
}

TEST(ShowHintHook, AfterTheFirstOfTwoGridsGoesOnlyTheSecondRunsThenNobody) {
  SavedEvent keep;
  Application->OnShowHint = nullptr;
  EventLog log;
  TShowHintHook hook(Application);
  EXPECT_FALSE(hook.Installed());  // nothing to chain yet
  HintUser first{"1", &log}, second{"2", &log};
  hook.Add(first.Method());
  hook.Add(second.Method());
  hook.Remove(first.Method());
  EXPECT_EQ(Fire(), "h2");
  hook.Remove(second.Method());
  EXPECT_TRUE(hook.Installed());  // the dispatcher stays and calls nobody
  EXPECT_EQ(Fire(), "h");
  EXPECT_EQ(hook.Count(), 0);
  EXPECT_EQ(log.Str(), "2(h)");
}

TEST(ShowHintHook, AHandlerRegisteredTwiceRunsTwiceAndOneRemovalTakesBoth) {
  SavedEvent keep;
  Application->OnShowHint = nullptr;
  EventLog log;
  TShowHintHook hook(Application);
  HintUser a{"a", &log}, other{"a", &log};
  hook.Add(a.Method());
  hook.Add(a.Method());
  hook.Add(other.Method());  // same method, another object: another handler
  EXPECT_EQ(Fire(), "haaa");
  hook.Remove(a.Method());
  EXPECT_EQ(hook.Count(), 1);
  EXPECT_EQ(Fire(), "ha");
}

TEST(ShowHintHook, EachHandlerSeesTheCanShowFlagOfTheOnesBefore) {
  SavedEvent keep;
  Application->OnShowHint = nullptr;
  EventLog log;
  TShowHintHook hook(Application);
  HintUser mute{"mute", &log}, late{"late", &log};
  hook.Add(mute.Method());
  hook.Add(late.Method());
  EXPECT_EQ(Fire(), "hlatemute hidden");
}

TEST(ShowHintHook, ApplicationHandlerSetAfterInstallIsKeptInTheChain) {
  SavedEvent keep;
  Application->OnShowHint = nullptr;
  EventLog log;
  TShowHintHook hook(Application);
  HintUser a{"a", &log}, b{"b", &log};
  hook.Add(a.Method());
  // Someone assigns the application's event directly; the next registration keeps it.
  Application->OnShowHint = [&](AnsiString& s, bool&, THintInfo&) { s += "X"; };
  hook.Add(b.Method());
  EXPECT_TRUE(hook.Installed());
  EXPECT_EQ(Fire(), "hbXa");
}

TEST(ShowHintHook, ShutdownPutsTheStartupHandlerBackOrClearsTheEvent) {
  SavedEvent keep;
  EventLog log;
  HintUser a{"a", &log};
  Application->OnShowHint = [&](AnsiString& s, bool&, THintInfo&) { s += "S"; };
  {
    TShowHintHook hook(Application);
    hook.Add(a.Method());
  }
  EXPECT_EQ(Fire(), "hS");
  Application->OnShowHint = nullptr;
  {
    TShowHintHook hook(Application);
    hook.Add(a.Method());
    EXPECT_TRUE(static_cast<bool>(Application->OnShowHint));
  }
  EXPECT_FALSE(static_cast<bool>(Application->OnShowHint));
}

TEST(ShowHintHook, RegistrationEndsWithItsOwnerSoNoDanglingHandlerIsCalled) {
  SavedEvent keep;
  Application->OnShowHint = nullptr;
  EventLog log;
  HintUser user{"g", &log};
  struct Grid {
    TShowHintRegistration reg;
    explicit Grid(HintUser& u) : reg(u.Method()) {}
  };
  {
    auto grid = std::make_unique<Grid>(user);
    EXPECT_EQ(Fire(), "hg");
  }
  EXPECT_EQ(Fire(), "h");  // the freed grid's handler went with it
  EXPECT_EQ(log.Str(), "g(h)");
  ShutdownShowHintHook();
  EXPECT_FALSE(static_cast<bool>(Application->OnShowHint));
}

TEST(ShowHintHook, AHintShownByTheApplicationGoesThroughTheHandlers) {
  SavedEvent keep;
  Application->OnShowHint = nullptr;
  EventLog log;
  HintUser a{"a", &log};
  TShowHintRegistration reg(a.Method());
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(100, 100, 200, 120);
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(10, 10, 100, 21);
  edit->SetHint("tip");
  edit->SetShowHint(true);
  form->Show();
  uitest::Settle();
  Application->HintMouseMessage(edit, {5, 5});
  const TPoint p = edit->ClientToScreen({5, 5});
  Application->ActivateHint(p);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_EQ(Application->HintWindow()->Text(), "tipa");
  EXPECT_EQ(log.Str(), "a(tip)");
  Application->CancelHint();
  ShutdownShowHintHook();
}
