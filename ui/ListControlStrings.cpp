// The items of a list box or combo box, through the list messages of the owner's window.
#include "ui/ListControlStrings.h"

using namespace ui_win;

LRESULT TListControlStrings::Send(UINT msg, WPARAM w, LPARAM l) const {
  return ::SendMessageW(FOwner->Handle(), msg, w, l);
}

int TListControlStrings::Count() const {
  return Live() ? static_cast<int>(Send(FMsg.GetCount)) : FStore.Count();
}

AnsiString TListControlStrings::Strings(int index) const {
  if (!Live()) return FStore.Strings(index);
  CheckIndex(index, Count());
  int n = static_cast<int>(Send(FMsg.GetTextLen, index));
  std::wstring w(static_cast<size_t>(std::max(n, 0)) + 1, L'\0');
  n = static_cast<int>(Send(FMsg.GetText, index, reinterpret_cast<LPARAM>(w.data())));
  return Ansi(w.c_str(), std::max(n, 0));
}

TObject* TListControlStrings::Objects(int index) const {
  if (!Live()) return FStore.Objects(index);
  CheckIndex(index, Count());
  return reinterpret_cast<TObject*>(Send(FMsg.GetData, index));
}

void TListControlStrings::SetObjects(int index, TObject* obj) {
  if (!Live()) { FStore.SetObjects(index, obj); return; }
  CheckIndex(index, Count());
  Send(FMsg.SetData, index, reinterpret_cast<LPARAM>(obj));
}

void TListControlStrings::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TListControlStrings::InsertObject(int index, const AnsiString& s, TObject* obj) {
  if (!Live()) { FStore.InsertObject(index, s, obj); return; }
  if (index < 0 || index > Count()) CheckIndex(index, Count());
  std::wstring w = Wide(s);
  LRESULT at = Send(FMsg.Insert, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(w.c_str()));
  if (at < 0) throw EOutOfResources("Out of system resources");
  if (obj) Send(FMsg.SetData, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(obj));
}

void TListControlStrings::Delete(int index) {
  if (!Live()) { FStore.Delete(index); return; }
  CheckIndex(index, Count());
  Send(FMsg.Delete, static_cast<WPARAM>(index));
}

void TListControlStrings::Clear() {
  if (!Live()) { FStore.Clear(); return; }
  Send(FMsg.Reset);
}

void TListControlStrings::LoadIntoWindow() {
  TStringList lines;
  lines.Assign(&FStore);
  FStore.Clear();
  for (int i = 0; i < lines.Count(); ++i) InsertObject(i, lines.Strings(i), lines.Objects(i));
}

void TListControlStrings::SaveFromWindow() {
  FStore.Clear();
  int n = static_cast<int>(Send(FMsg.GetCount));
  for (int i = 0; i < n; ++i) {
    int len = static_cast<int>(Send(FMsg.GetTextLen, i));
    std::wstring w(static_cast<size_t>(std::max(len, 0)) + 1, L'\0');
    len = static_cast<int>(Send(FMsg.GetText, i, reinterpret_cast<LPARAM>(w.data())));
    FStore.AddObject(Ansi(w.c_str(), std::max(len, 0)), reinterpret_cast<TObject*>(Send(FMsg.GetData, i)));
  }
}
