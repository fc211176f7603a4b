// TkxEventStringList (a string list that reports each change once), the interface base
// without reference counting, and AutoFree (frees a held object with its last reference).
#include "VCLSource/source/PosGrid/ukxClasses.h"

void TkxEventStringList::Report(TkxStringListAction action, int index, const AnsiString& s) {
  if (!OnStringsChange) return;
  const TkxStringListEventObj eventObj{action, index, s};
  OnStringsChange(this, eventObj);
}

namespace {
// Sets a flag for the duration of a call.
struct FlagScope {
  explicit FlagScope(bool& f) : F(f) { F = true; }
  ~FlagScope() { F = false; }
  bool& F;
};
}  // namespace

// Add and AddObject report once per call, whichever of the two the underlying list
// carries out through the other.
int TkxEventStringList::Add(const AnsiString& s) {
  if (FInAdd || FInAddObject) return TkxD7StringList::Add(s);
  FlagScope scope(FInAdd);
  const int index = TkxD7StringList::Add(s);
  Report(slaAdd, index, s);
  return index;
}

int TkxEventStringList::AddObject(const AnsiString& s, TObject* obj) {
  if (FInAdd || FInAddObject) return TkxD7StringList::AddObject(s, obj);
  FlagScope scope(FInAddObject);
  const int index = TkxD7StringList::AddObject(s, obj);
  Report(slaAdd, index, s);
  return index;
}

void TkxEventStringList::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

// Mended: a line inserted with its object went in unreported (the list's own
// InsertObject never passes through Insert), so a listener that keeps something per line
// (the calculator's rules) never heard of it.
void TkxEventStringList::InsertObject(int index, const AnsiString& s, TObject* obj) {
  TkxD7StringList::InsertObject(index, s, obj);
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
