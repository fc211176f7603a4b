// Tells whether a component still exists: it asks for free notification of the
// component and forgets it when told of its destruction.
#pragma once
#include "rtl/Classes.h"

namespace postest {

class TFreeWatcher : public TComponent {
 public:
  explicit TFreeWatcher(TComponent* watched) : TComponent(nullptr), FWatched(watched) {
    if (watched) watched->FreeNotification(this);
  }
  ~TFreeWatcher() override {
    if (FWatched) FWatched->RemoveFreeNotification(this);
  }
  bool Alive() const { return FWatched != nullptr; }

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == FWatched) FWatched = nullptr;
  }

 private:
  TComponent* FWatched;
};

}  // namespace postest
