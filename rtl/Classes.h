// Objects, persistent objects and components with ownership.
//
// Ownership is the one place where the library holds raw owning pointers, as the
// platform does: a component created with an owner is freed by that owner (owned
// components are destroyed last-created first), or earlier by `delete`, which takes it
// out of its owner. Components that asked for free notification of another component
// hear of its destruction through Notification(c, opRemove) before it is gone.
//
// Property convention of the whole library: a property Xxx has the getter Xxx() and
// the setter SetXxx(v); a setter that gets the current value does nothing. Events are
// public std::function members named OnXxx, empty when not assigned.
#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <vector>
#include "rtl/AnsiString.h"
#include "rtl/Exceptions.h"

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  // The class name as written in the source ("TfrmDataModule").
  AnsiString ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TFiler;
class TPublishedProperties;

class TPersistent : public TObject {
 public:
  // Copies Source's published state. The default hands over to Source->AssignTo and
  // raises EConvertError "Cannot assign a <source> to a <dest>" when neither knows how.
  virtual void Assign(TPersistent* Source);
  // Lists the published properties, in declaration order, for component streaming
  // (rtl/PublishedProperties.h). Overrides call the inherited one first.
  virtual void DefinePublished(TPublishedProperties& Properties) {}

 protected:
  virtual void AssignTo(TPersistent* Dest);
  // Stored properties beyond the published ones (DefineProperty/DefineBinaryProperty,
  // rtl/ComponentStreaming.h). Overrides call the inherited one.
  virtual void DefineProperties(TFiler& Filer) {}

 private:
  friend class TWriter;
  friend class TReader;
};

// Horizontal alignment of a text (fields, columns, labels), in the platform's order.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : uint32_t {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csUpdating = 1u << 5,
};

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const AnsiString& Name() const { return FName; }
  // A name must be empty or an identifier and unique (ignoring case) among the owner's
  // components: EComponentError "A component named <n> already exists" otherwise.
  virtual void SetName(const AnsiString& value);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t v) { FTag = v; }

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const;           // EListError when out of range
  int ComponentIndex() const;                        // index in the owner, -1 without
  TComponent* FindComponent(const AnsiString& name) const;  // case-insensitive, or null

  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  // Frees every owned component, last-created first.
  void DestroyComponents();

  // `c` will be told (Notification(this, opRemove)) when this component is destroyed.
  void FreeNotification(TComponent* c);
  void RemoveFreeNotification(TComponent* c);

  uint32_t ComponentState() const { return FComponentState; }
  bool HasState(TComponentStateFlag f) const { return (FComponentState & f) != 0; }
  void SetComponentState(TComponentStateFlag f, bool on);

  // Component streaming (rtl/ComponentStreaming.h). Loaded runs once the component and
  // everything read with it are in place, and clears csLoading; overrides call the
  // inherited one. GetChildren hands the components written as this one's children to
  // Proc, in order (the default has none). SetParentComponent receives the component
  // under which a child was read (the default ignores it).
  virtual void Loaded();
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {}
  virtual void SetParentComponent(TComponent* Value) {}

 protected:
  // Told of components inserted into / removed from the owner and of freed components
  // that asked for free notification; the default passes the notice on to every owned
  // component. Overrides must call the inherited one.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Sets csDestroying. ~TComponent calls it first, but by then only the TComponent part
  // is left, so an override is not reached from there: a derived class whose own
  // destructor must see csDestroying (or run its override) calls Destroying() first.
  virtual void Destroying();

 private:
  void Insert(TComponent* c);
  void Remove(TComponent* c);

  TComponent* FOwner = nullptr;
  AnsiString FName;
  intptr_t FTag = 0;
  uint32_t FComponentState = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
};

// Identifier rule of component names: a letter or '_' then letters, digits or '_'.
bool IsValidIdent(std::string_view s);

// BeginUpdate at the start of a scope and EndUpdate at its end, however the scope is
// left: the one way to batch the changes of string lists, collections, filter criteria
// and anything else with that pair. A null target is no update at all.
//
// The closing EndUpdate may itself throw (its change notice runs handlers). On a normal
// exit that exception goes on to the caller; while another exception is unwinding the
// scope, the first failure is the one reported and the notice's own is dropped.
template <typename T>
class TUpdateScope {
 public:
  explicit TUpdateScope(T* target) : FTarget(target) {
    if (FTarget) FTarget->BeginUpdate();
  }
  ~TUpdateScope() noexcept(false) {
    if (!FTarget) return;
    if (std::uncaught_exceptions() > FUnwinding) {
      try {
        FTarget->EndUpdate();
      } catch (...) {
      }
      return;
    }
    FTarget->EndUpdate();
  }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  T* FTarget;
  int FUnwinding = std::uncaught_exceptions();
};
