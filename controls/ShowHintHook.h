// The application's show-hint event shared by several controls.
//
// The application object has one show-hint event. Controls that adjust hints (the
// aligned string grid places its per-cell hints) register a handler with the hook
// instead of overwriting that event; the hook puts one dispatcher into the event and
// calls every registered handler, the most recently registered first and a handler
// found in the event before the hook last. Each sees what the ones before it changed.
//
// A handler is a method of an object; two handlers are the same when they name the
// same object and the same method. A control holds a TShowHintRegistration, so its
// handler is removed whenever the control goes, even by an exception in its
// constructor: the dispatcher never calls an object that is gone. A handler assigned
// to the application's event directly while the hook is installed is not lost: the
// next registration finds it there and keeps it in the chain.
//
// Everything runs on the thread of the application object; nothing is locked.
#pragma once
#include <array>
#include <cstring>
#include <memory>
#include <typeindex>
#include <vector>

#include "ui/Forms.h"

class TShowHintMethod {
 public:
  using Call = void(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo);

  template <typename T>
  TShowHintMethod(T* object, void (T::*method)(AnsiString&, bool&, THintInfo&))
      : FObject(object), FType(typeid(T)), FCall([object, method](AnsiString& s, bool& c, THintInfo& i) {
          (object->*method)(s, c, i);
        }) {
    static_assert(sizeof(method) <= sizeof(FCode), "method pointer too large");
    std::memcpy(FCode.data(), &method, sizeof(method));
  }
  // A handler found in the application's event: the same only as itself.
  static TShowHintMethod Foreign(TShowHintEvent event);

  void operator()(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo) const { FCall(HintStr, CanShow, HintInfo); }
  bool operator==(const TShowHintMethod& o) const {
    return FObject == o.FObject && FType == o.FType && FCode == o.FCode;
  }
  const void* Object() const { return FObject; }

 private:
  TShowHintMethod(int foreignId, TShowHintEvent call) : FObject(nullptr), FType(typeid(void)), FCall(std::move(call)) {
    std::memcpy(FCode.data(), &foreignId, sizeof(foreignId));
  }
  const void* FObject;
  std::type_index FType;
  std::array<unsigned char, 16> FCode{};
  TShowHintEvent FCall;
};

// The hook over one application object. Start-up remembers the application's handler
// and registers it when there is one; shut-down puts that handler back (or clears the
// event) and drops every registration.
class TShowHintHook {
 public:
  explicit TShowHintHook(TApplication* app);
  ~TShowHintHook();
  TShowHintHook(const TShowHintHook&) = delete;
  TShowHintHook& operator=(const TShowHintHook&) = delete;

  // Appends a record for Handler and makes the dispatcher the application's event.
  void Add(const TShowHintMethod& Handler);
  // Deletes every record of Handler; the application's event stays as it is.
  void Remove(const TShowHintMethod& Handler);
  // Calls every record from the last to the first (the count taken at the start; a
  // record removed meanwhile is skipped).
  void Dispatch(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo);
  int Count() const { return static_cast<int>(FHandlers.size()); }
  // Whether the application's event is this hook's dispatcher now.
  bool Installed() const;

 private:
  void AdoptForeignHandler();
  TApplication* FApp;
  TShowHintEvent FStartup;
  std::vector<std::shared_ptr<TShowHintMethod>> FHandlers;
};

// The hook of the global Application, made on first use.
void AddShowHintHandler(const TShowHintMethod& Handler);
void RemoveShowHintHandler(const TShowHintMethod& Handler);
// Shut-down of the global hook (the plug-in's unload; also at program exit).
void ShutdownShowHintHook();

// A registration held by the control whose method it is: added now, removed when the
// registration goes.
class TShowHintRegistration {
 public:
  explicit TShowHintRegistration(TShowHintMethod Handler) : FHandler(std::move(Handler)) { AddShowHintHandler(FHandler); }
  ~TShowHintRegistration() { RemoveShowHintHandler(FHandler); }
  TShowHintRegistration(const TShowHintRegistration&) = delete;
  TShowHintRegistration& operator=(const TShowHintRegistration&) = delete;

 private:
  TShowHintMethod FHandler;
};
