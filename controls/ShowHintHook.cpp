// The application's shared show-hint event (see ShowHintHook.h).
#include "controls/ShowHintHook.h"

#include <algorithm>

namespace {

// The application's event while the hook is installed; known by its type.
struct TShowHintDispatcher {
  TShowHintHook* Hook;
  void operator()(AnsiString& s, bool& c, THintInfo& i) const { Hook->Dispatch(s, c, i); }
};

int gForeignId = 0;

}  // namespace

TShowHintMethod TShowHintMethod::Foreign(TShowHintEvent event) {
  // A new number per adoption: a found handler equals no other handler.
  return TShowHintMethod(++gForeignId, std::move(event));
}

TShowHintHook::TShowHintHook(TApplication* app) : FApp(app) {
  if (FApp && FApp->OnShowHint) {
    FStartup = FApp->OnShowHint;
    FHandlers.push_back(std::make_shared<TShowHintMethod>(TShowHintMethod::Foreign(FStartup)));
    FApp->OnShowHint = TShowHintDispatcher{this};
  }
}

TShowHintHook::~TShowHintHook() {
  // The application may be gone already at program exit (it clears the pointer then).
  if (FApp && Application == FApp) FApp->OnShowHint = FStartup;
  FHandlers.clear();
}

bool TShowHintHook::Installed() const {
  return FApp && FApp->OnShowHint && FApp->OnShowHint.target<TShowHintDispatcher>() &&
         FApp->OnShowHint.target<TShowHintDispatcher>()->Hook == this;
}

// A handler assigned to the application's event after the hook was installed is kept
// as the next record instead of being overwritten.
void TShowHintHook::AdoptForeignHandler() {
  if (!FApp || !FApp->OnShowHint || Installed()) return;
  if (FApp->OnShowHint.target<TShowHintDispatcher>()) return;  // another hook's: not ours to chain
  FHandlers.push_back(std::make_shared<TShowHintMethod>(TShowHintMethod::Foreign(FApp->OnShowHint)));
}

void TShowHintHook::Add(const TShowHintMethod& Handler) {
  AdoptForeignHandler();
  FHandlers.push_back(std::make_shared<TShowHintMethod>(Handler));
  if (FApp) FApp->OnShowHint = TShowHintDispatcher{this};
}

void TShowHintHook::Remove(const TShowHintMethod& Handler) {
  for (int i = static_cast<int>(FHandlers.size()) - 1; i >= 0; --i)
    if (*FHandlers[static_cast<size_t>(i)] == Handler) FHandlers.erase(FHandlers.begin() + i);
}

void TShowHintHook::Dispatch(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo) {
  const int count = static_cast<int>(FHandlers.size());
  for (int i = count - 1; i >= 0; --i) {
    if (i >= static_cast<int>(FHandlers.size())) continue;
    const std::shared_ptr<TShowHintMethod> record = FHandlers[static_cast<size_t>(i)];  // alive for the call
    (*record)(HintStr, CanShow, HintInfo);
  }
}

// ============================================================================ the global hook

namespace {
std::unique_ptr<TShowHintHook>& GlobalHook() {
  static std::unique_ptr<TShowHintHook> hook;
  return hook;
}
}  // namespace

void AddShowHintHandler(const TShowHintMethod& Handler) {
  auto& hook = GlobalHook();
  if (!hook) hook = std::make_unique<TShowHintHook>(Application);
  hook->Add(Handler);
}

void RemoveShowHintHandler(const TShowHintMethod& Handler) {
  if (auto& hook = GlobalHook()) hook->Remove(Handler);
}

void ShutdownShowHintHook() { GlobalHook().reset(); }
