// ShowModal, Close and its close actions, private messages posted to a form.
#include "UiTest.h"
#include "ui/StdCtrls.h"
#include "tests/support/FreeWatcher.h"

using namespace uitest;

namespace {

constexpr UINT WM_GRID_READY = WM_USER + 231;

using Watcher = postest::TFreeWatcher;

}  // namespace

TEST(Modal, PostedPrivateMessageEndsTheLoopWithItsResultAndTheOwnerIsEnabledAgain) {
  TForm owner(nullptr);
  owner.SetBounds(50, 50, 300, 200);
  owner.Show();
  Settle();
  TForm dlg(nullptr);
  EventLog log;
  bool ownerEnabledInside = true;
  // As the bill screen does: activation posts a private message, its handler acts.
  dlg.OnActivate = [&](TObject*) {
    log.Add("activate");
    ::PostMessageW(dlg.Handle(), WM_GRID_READY, 7, 8);
  };
  dlg.RegisterMessageHandler(WM_GRID_READY, [&](TMessage& m) {
    log.Add("ready:" + std::to_string(m.WParam) + "," + std::to_string(m.LParam));
    ownerEnabledInside = ::IsWindowEnabled(owner.Handle()) != FALSE;
    dlg.SetModalResult(mrOk);
  });
  dlg.OnClose = [&](TObject*, TCloseAction& a) { log.Add("close:" + std::to_string(a)); };
  EXPECT_EQ(dlg.ShowModal(), mrOk);
  EXPECT_EQ(log.Str(), "activate ready:7,8 close:1");
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(::IsWindowEnabled(owner.Handle()));
  EXPECT_FALSE(dlg.Visible());
  EXPECT_FALSE(::IsWindowVisible(dlg.Handle()));
  EXPECT_FALSE(dlg.Modal());
}

TEST(Modal, ApplicationHandleIsDisabledWhileModal) {
  TForm host(nullptr);  // stands in for the host's main window
  host.Show();
  Settle();
  Application->SetHandle(host.Handle());
  TForm dlg(nullptr);
  bool hostEnabled = true;
  HWND owner = nullptr;
  dlg.OnShow = [&](TObject*) { ::PostMessageW(dlg.Handle(), WM_GRID_READY, 0, 0); };
  dlg.RegisterMessageHandler(WM_GRID_READY, [&](TMessage&) {
    hostEnabled = ::IsWindowEnabled(host.Handle()) != FALSE;
    owner = ::GetWindow(dlg.Handle(), GW_OWNER);
    dlg.Close();
  });
  EXPECT_EQ(dlg.ShowModal(), mrCancel);
  Application->SetHandle(nullptr);
  EXPECT_FALSE(hostEnabled);
  EXPECT_EQ(owner, host.Handle());
  EXPECT_TRUE(::IsWindowEnabled(host.Handle()));
}

TEST(Modal, ButtonWithModalResultEndsTheLoopOnEnter) {
  TForm dlg(nullptr);
  auto* ok = new TButton(&dlg);
  ok->SetParent(&dlg);
  ok->SetModalResult(mrYes);
  ok->SetDefault(true);
  auto* e = new TEdit(&dlg);
  e->SetParent(&dlg);
  e->SetTop(40);
  e->SetTabOrder(0);
  dlg.OnActivate = [&](TObject*) {
    HWND focus = e->Handle();
    ::PostMessageW(focus, WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN, false));
  };
  EXPECT_EQ(dlg.ShowModal(), mrYes);
}

TEST(Modal, CloseActionNoneKeepsTheFormOpenUntilAllowed) {
  TForm dlg(nullptr);
  int attempts = 0;
  dlg.OnActivate = [&](TObject*) {
    if (attempts == 0) ::PostMessageW(dlg.Handle(), WM_CLOSE, 0, 0);
  };
  dlg.OnClose = [&](TObject*, TCloseAction& a) {
    if (++attempts < 3) {
      a = caNone;
      ::PostMessageW(dlg.Handle(), WM_CLOSE, 0, 0);  // the user tries again
    }
  };
  EXPECT_EQ(dlg.ShowModal(), mrCancel);
  EXPECT_EQ(attempts, 3);
}

TEST(Modal, CloseQueryFalseKeepsTheFormOpen) {
  TForm dlg(nullptr);
  int asked = 0;
  dlg.OnActivate = [&](TObject*) { if (asked == 0) ::PostMessageW(dlg.Handle(), WM_CLOSE, 0, 0); };
  dlg.OnCloseQuery = [&](TObject*, bool& can) {
    can = ++asked > 1;
    if (!can) ::PostMessageW(dlg.Handle(), WM_CLOSE, 0, 0);  // the user tries again
  };
  EXPECT_EQ(dlg.ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
}

TEST(Modal, CaFreeFreesTheFormAfterTheLoop) {
  auto* dlg = new TForm(nullptr);
  Watcher w(dlg);
  dlg->OnActivate = [dlg](TObject*) { ::PostMessageW(dlg->Handle(), WM_CLOSE, 0, 0); };
  dlg->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  EXPECT_TRUE(w.Alive());  // still there: freed by the queued release
  Pump();
  EXPECT_FALSE(w.Alive());
}

TEST(Modal, FormFreedByItsCallerWhileItsCaFreeReleaseIsQueuedIsFreedOnce) {
  // The export frees the screen in its final part while a caFree release is queued.
  auto* dlg = new TForm(nullptr);
  Watcher w(dlg);
  dlg->OnActivate = [dlg](TObject*) { ::PostMessageW(dlg->Handle(), WM_CLOSE, 0, 0); };
  dlg->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  dlg->ShowModal();
  ASSERT_TRUE(w.Alive());
  delete dlg;
  EXPECT_FALSE(w.Alive());
  Pump();  // the queued release died with the window: nothing is freed a second time
}

TEST(Modal, ShowModalOfAVisibleFormRaises) {
  TForm f(nullptr);
  f.Show();
  try {
    f.ShowModal();
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot make a visible window modal");
  }
}

TEST(Modal, NestedModalFormsRestoreTheirOwners) {
  TForm outer(nullptr), inner(nullptr);
  bool outerDisabledInside = false, outerEnabledAfterInner = false;
  outer.OnActivate = [&](TObject*) {
    if (inner.Modal() || outerEnabledAfterInner) return;
    ::PostMessageW(outer.Handle(), WM_GRID_READY, 0, 0);
  };
  outer.RegisterMessageHandler(WM_GRID_READY, [&](TMessage&) {
    inner.OnActivate = [&](TObject*) { ::PostMessageW(inner.Handle(), WM_CLOSE, 0, 0); };
    inner.OnShow = [&](TObject*) { outerDisabledInside = !::IsWindowEnabled(outer.Handle()); };
    inner.ShowModal();
    outerEnabledAfterInner = ::IsWindowEnabled(outer.Handle()) != FALSE;
    outer.SetModalResult(mrOk);
  });
  EXPECT_EQ(outer.ShowModal(), mrOk);
  EXPECT_TRUE(outerDisabledInside);
  EXPECT_TRUE(outerEnabledAfterInner);
}

TEST(CloseActions, NonModalFormsFollowTheirCloseAction) {
  struct Case {
    TCloseAction action;
    bool visibleAfter;
    bool aliveAfter;
    bool minimized;
  };
  const Case cases[] = {
      {caNone, true, true, false},
      {caHide, false, true, false},
      {caMinimize, true, true, true},
      {caFree, false, false, false},
  };
  for (const Case& c : cases) {
    auto* f = new TForm(nullptr);
    Watcher w(f);
    f->OnClose = [&c](TObject*, TCloseAction& a) { a = c.action; };
    f->Show();
    Settle();
    f->Close();
    Pump();
    EXPECT_EQ(w.Alive(), c.aliveAfter) << c.action;
    if (w.Alive()) {
      EXPECT_EQ(::IsWindowVisible(f->Handle()) != FALSE, c.visibleAfter) << c.action;
      EXPECT_EQ(f->WindowState() == wsMinimized, c.minimized) << c.action;
      delete f;
    }
  }
}

TEST(PrivateMessages, HandlerGetsTheMessageAndMayUnregisterItself) {
  TForm f(nullptr);
  f.Show();
  int calls = 0;
  f.RegisterMessageHandler(WM_USER + 5, [&](TMessage& m) {
    ++calls;
    m.Result = 42;
    f.UnregisterMessageHandler(WM_USER + 5);
  });
  EXPECT_EQ(::SendMessageW(f.Handle(), WM_USER + 5, 0, 0), 42);
  ::PostMessageW(f.Handle(), WM_USER + 5, 0, 0);
  Pump();
  EXPECT_EQ(calls, 1);
}
