// TObject, TPersistent and TComponent: names, ownership and free notification.
#include "rtl/Classes.h"

#include <algorithm>
#include <typeinfo>
#if defined(__GNUG__)
#include <cxxabi.h>
#include <cstdlib>
#endif

AnsiString TObject::ClassName() const {
  const char* raw = typeid(*this).name();
#if defined(__GNUG__)
  int status = 0;
  char* demangled = abi::__cxa_demangle(raw, nullptr, nullptr, &status);
  if (status == 0 && demangled) {
    AnsiString s(demangled);
    std::free(demangled);
    auto colon = s.rfind("::");
    return colon == AnsiString::npos ? s : s.substr(colon + 2);
  }
#endif
  return raw;
}

void TPersistent::Assign(TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
    return;
  }
  throw EConvertError("Cannot assign a nil to a " + ClassName());
}

void TPersistent::AssignTo(TPersistent* Dest) {
  throw EConvertError("Cannot assign a " + ClassName() + " to a " + (Dest ? Dest->ClassName() : AnsiString("nil")));
}

bool IsValidIdent(std::string_view s) {
  auto alpha = [](unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (s.empty() || !alpha(static_cast<unsigned char>(s[0]))) return false;
  return std::all_of(s.begin() + 1, s.end(), [&](char ch) {
    unsigned char c = static_cast<unsigned char>(ch);
    return alpha(c) || (c >= '0' && c <= '9');
  });
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Those that asked to hear of our end hear it while we are still whole.
  while (!FFreeNotifies.empty()) {
    TComponent* c = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    auto& theirs = c->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    c->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::Destroying() { FComponentState |= csDestroying; }

void TComponent::Loaded() { SetComponentState(csLoading, false); }

void TComponent::SetName(const AnsiString& value) {
  if (value == FName) return;
  if (!value.empty() && !IsValidIdent(value)) throw EComponentError("'" + value + "' is not a valid component name");
  if (!value.empty() && FOwner) {
    TComponent* other = FOwner->FindComponent(value);
    if (other && other != this) throw EComponentError("A component named " + value + " already exists");
  }
  FName = value;
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return FComponents[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& v = FOwner->FComponents;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

TComponent* TComponent::FindComponent(const AnsiString& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* c) {
  if (!c || c->FOwner == this) return;
  if (!c->FName.empty() && FindComponent(c->FName))
    throw EComponentError("A component named " + c->FName + " already exists");
  if (c->FOwner) c->FOwner->RemoveComponent(c);
  Insert(c);
  Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  if (!c || c->FOwner != this) return;
  Notification(c, opRemove);
  Remove(c);
}

void TComponent::Insert(TComponent* c) {
  FComponents.push_back(c);
  c->FOwner = this;
}

void TComponent::Remove(TComponent* c) {
  FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), c), FComponents.end());
  c->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    Remove(c);
    delete c;
  }
}

void TComponent::FreeNotification(TComponent* c) {
  if (!c || c == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), c) == FFreeNotifies.end()) FFreeNotifies.push_back(c);
  // Both sides know of each other so that whichever goes first unhooks the other.
  if (std::find(c->FFreeNotifies.begin(), c->FFreeNotifies.end(), this) == c->FFreeNotifies.end())
    c->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* c) {
  if (!c) return;
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), c), FFreeNotifies.end());
  c->FFreeNotifies.erase(std::remove(c->FFreeNotifies.begin(), c->FFreeNotifies.end(), this), c->FFreeNotifies.end());
}

void TComponent::SetComponentState(TComponentStateFlag f, bool on) {
  if (on) FComponentState |= f; else FComponentState &= ~static_cast<uint32_t>(f);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) {
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent), FFreeNotifies.end());
  }
  // Owned components hear of their siblings coming and going, as on the platform.
  for (size_t i = FComponents.size(); i-- > 0;) {
    if (i < FComponents.size() && FComponents[i] != AComponent) FComponents[i]->Notification(AComponent, Operation);
  }
}
