// Support classes of the grid library: a string list that reports each change to a
// listener, an interface base without reference counting, and a scope guard that
// frees a held object when its last reference goes.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include "rtl/StringList.h"

class TkxD7StringList : public TStringList {
 public:
  using TStringList::TStringList;
};

enum TkxStringListAction : uint8_t { slaDelete = 0, slaInsert = 1, slaClear = 2, slaAdd = 3 };

// One change notice; lives only for the duration of the call (read, never keep).
struct TkxStringListEventObj {
  TkxStringListAction Action;
  int32_t Index;
  AnsiString S;
};

using TkxStringListChangeEvent = std::function<void(TObject* Sender, const TkxStringListEventObj& EventObj)>;

// Reports Add/AddObject (after, with the index where the line landed), Insert and
// InsertObject (after, once), Delete (before: the line is still there) and Clear
// (before, index -1).
// A line changed in place, a move or an exchange is not reported: listeners that own
// the lines' objects rely on Delete being reported only for real deletions.
class TkxEventStringList : public TkxD7StringList {
 public:
  using TkxD7StringList::TkxD7StringList;
  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, TObject* obj) override;
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, TObject* obj) override;
  void Delete(int index) override;
  void Clear() override;

  bool InAddObject() const { return FInAddObject; }
  TkxStringListChangeEvent OnStringsChange;

 private:
  void Report(TkxStringListAction action, int index, const AnsiString& s);
  bool FInAddObject = false;
  bool FInAdd = false;
};

// An interface implementation whose reference counting does nothing: the owner keeps
// the object alive while handing out references to it.
class TkxNoAutoFreeInterfacedObject : public TObject {
 public:
  static constexpr int32_t E_NOINTERFACE_ = static_cast<int32_t>(0x80004002u);
  // 0 and the object for an interface the class implements (by IID text), else
  // E_NOINTERFACE with obj null.
  int32_t QueryInterface(const AnsiString& iid, void** obj);
  int32_t _AddRef() { return -1; }
  int32_t _Release() { return -1; }

 protected:
  // The class's interface table: the object for iid, or null.
  virtual void* GetInterface(const AnsiString& iid) { return nullptr; }
};

// {77C782C6-1D5D-4720-ADFD-9290AC52CA74}
class IkxAutoFree {
 public:
  virtual ~IkxAutoFree() = default;
  virtual TObject* Detach() = 0;     // returns the held object and forgets it
  virtual TObject* GetObject() = 0;  // the held object
};
using IkxAutoFreePtr = std::shared_ptr<IkxAutoFree>;

class TkxAutoFreeObject : public IkxAutoFree {
 public:
  explicit TkxAutoFreeObject(std::unique_ptr<TObject> obj) : FObject(std::move(obj)) {}
  TObject* Detach() override { return FObject.release(); }
  TObject* GetObject() override { return FObject.get(); }
 private:
  std::unique_ptr<TObject> FObject;
};

// Takes obj; it is freed when the last reference to the result goes, unless detached.
IkxAutoFreePtr AutoFree(std::unique_ptr<TObject> obj);
