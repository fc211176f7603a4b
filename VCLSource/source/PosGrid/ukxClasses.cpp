#include "VCLSource/source/PosGrid/ukxClasses.h"

void TkxEventStringList::Report(TkxStringListAction action, int index, const AnsiString& s) {
  if (!OnStringsChange) return;
  const TkxStringListEventObj eventObj{action, index, s};
  OnStringsChange(this, eventObj);
}

int TkxEventStringList::Add(const AnsiString& s) {
  const int index = TkxD7StringList::Add(s);
  if (!FInAddObject) Report(slaAdd, index, s);
  return index;
}

int TkxEventStringList::AddObject(const AnsiString& s, TObject* obj) {
  struct Flag {
    explicit Flag(bool& f) : F(f), Old(f) { F = true; }
    ~Flag() { F = Old; }
    bool& F;
    bool Old;
  } flag(FInAddObject);
  const int index = TkxD7StringList::AddObject(s, obj);
  Report(slaAdd, index, s);
  return index;
}

void TkxEventStringList::Insert(int index, const AnsiString& s) {
  TkxD7StringList::Insert(index, s);
  Report(slaInsert, index, s);
}

void TkxEventStringList::Delete(int index) {
  CheckIndex(index, Count());
  Report(slaDelete, index, AnsiString());
  TkxD7StringList::Delete(index);
}

void TkxEventStringList::Clear() {
  Report(slaClear, -1, AnsiString());
  TkxD7StringList::Clear();
}

int32_t TkxNoAutoFreeInterfacedObject::QueryInterface(const AnsiString& iid, void** obj) {
  void* found = GetInterface(iid);
  if (obj) *obj = found;
  return found ? 0 : E_NOINTERFACE_;
}

IkxAutoFreePtr AutoFree(std::unique_ptr<TObject> obj) {
  return std::make_shared<TkxAutoFreeObject>(std::move(obj));
}
