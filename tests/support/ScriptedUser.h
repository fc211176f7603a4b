// ScriptedUser: a person's part in a window test under Wine, played while a screen runs
// modally. A thread timer, which the screen's own modal loop runs while the call that
// opened it waits, tries the next step at each tick; a step returns true when it is done.
// Before each try, BeforeStep may take the tick (a message box recorded and answered).
// Once the walk's time is up, each tick runs OnTimeUp instead, which closes what is still
// open, so that the open call returns and the test fails instead of hanging.
//
//   ScriptedUser user({Then([] { Press(VK_RETURN); }), ...}, {nullptr, &CloseTopLayer});
//   plugin->OpenPDManger(...);
//   EXPECT_TRUE(user.Finished()) << user.Where();
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace postest {

class ScriptedUser {
 public:
  using Step = std::function<bool()>;
  struct Hooks {
    std::function<bool()> BeforeStep;  // true: this tick is taken, no step is tried
    std::function<void()> OnTimeUp;    // every tick once the time is up
    UINT PeriodMs = 60;
    DWORD LimitMs = 60000;
  };

  ScriptedUser(std::vector<Step> steps, Hooks hooks) : FSteps(std::move(steps)), FHooks(std::move(hooks)) {
    sActive = this;
    FStart = ::GetTickCount();
    FTimer = ::SetTimer(nullptr, 0, FHooks.PeriodMs, &Tick);
  }
  ~ScriptedUser() {
    ::KillTimer(nullptr, FTimer);
    sActive = nullptr;
  }
  ScriptedUser(const ScriptedUser&) = delete;
  ScriptedUser& operator=(const ScriptedUser&) = delete;

  // Every step played, within the time.
  bool Finished() const { return FNext >= FSteps.size() && !FTimedOut; }
  // Every step up to the last played within the time: for walks whose last step waits
  // for the screen to close, after which no tick comes.
  bool FinishedButTheLast() const { return FNext + 1 >= FSteps.size() && !FTimedOut; }
  bool TimedOut() const { return FTimedOut; }
  size_t Reached() const { return FNext; }
  // Where the walk stood when its time ran out, for a failing expectation.
  std::string Where() const {
    if (!FTimedOut) return "stopped at step " + std::to_string(FNext);
    return FNext < FSteps.size() ? "timeout at step " + std::to_string(FNext)
                                 : std::string("timeout: the screen did not close");
  }
  // The walk being played, for steps that change how the next box is answered.
  static ScriptedUser* Active() { return sActive; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ScriptedUser* u = sActive;
    if (!u || u->FBusy) return;
    u->FBusy = true;
    if (u->FTimedOut || ::GetTickCount() - u->FStart > u->FHooks.LimitMs) {
      u->FTimedOut = true;
      if (u->FHooks.OnTimeUp) u->FHooks.OnTimeUp();
    } else if (u->FHooks.BeforeStep && u->FHooks.BeforeStep()) {
      // the tick went to the hook
    } else if (u->FNext < u->FSteps.size() && u->FSteps[u->FNext]()) {
      ++u->FNext;
    }
    u->FBusy = false;
  }

  static inline ScriptedUser* sActive = nullptr;
  std::vector<Step> FSteps;
  Hooks FHooks;
  size_t FNext = 0;
  DWORD FStart = 0;
  bool FBusy = false;
  bool FTimedOut = false;
  UINT_PTR FTimer = 0;
};

// A step that runs f once and then waits Ticks ticks, so that what it posted is handled.
inline ScriptedUser::Step Then(std::function<void()> f, int ticks = 3) {
  auto left = std::make_shared<int>(-1);
  return [f = std::move(f), ticks, left] {
    if (*left < 0) {
      f();
      *left = ticks;
    }
    return (*left)-- == 0;
  };
}

}  // namespace postest
