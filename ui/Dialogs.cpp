// The system dialog service, the service scope, and the file dialog components.
#include "ui/Dialogs.h"

#include <commdlg.h>

#include "ui/Forms.h"

using namespace ui_win;

namespace {
TSystemDialogs gSystemDialogs;
TDialogService* gService = nullptr;
}  // namespace

TDialogService* DialogService() { return gService ? gService : &gSystemDialogs; }

TDialogServiceScope::TDialogServiceScope(TDialogService* service) : FPrevious(gService) { gService = service; }
TDialogServiceScope::~TDialogServiceScope() { gService = FPrevious; }

int DefaultMessageBoxButton(unsigned flags) {
  static const std::vector<int> sets[] = {
      {IDOK}, {IDOK, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
      {IDYES, IDNO}, {IDRETRY, IDCANCEL}, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}};
  unsigned type = flags & MB_TYPEMASK;
  if (type >= std::size(sets)) type = 0;
  unsigned def = (flags & MB_DEFMASK) >> 8;
  const auto& set = sets[type];
  return set[def < set.size() ? def : 0];
}

int TSystemDialogs::MessageBox(HWND owner, const AnsiString& text, const AnsiString& caption, unsigned flags) {
  std::wstring t = Wide(text), c = Wide(caption);
  return ::MessageBoxW(owner, t.c_str(), c.c_str(), flags);
}

bool TSystemDialogs::FileDialog(HWND owner, TFileDialogRequest& r) {
  // "a|b|c|d" becomes "a\0b\0c\0d\0\0".
  std::wstring filter = Wide(r.Filter);
  for (auto& ch : filter)
    if (ch == L'|') ch = L'\0';
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  std::wstring file = Wide(r.FileName);
  std::vector<wchar_t> buf(4096, L'\0');
  wcsncpy(buf.data(), file.c_str(), buf.size() - 1);
  std::wstring dir = Wide(r.InitialDir), title = Wide(r.Title), ext = Wide(r.DefaultExt);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = r.Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(r.FilterIndex);
  ofn.lpstrFile = buf.data();
  ofn.nMaxFile = static_cast<DWORD>(buf.size());
  ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  ofn.Flags = r.Flags | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  BOOL ok = r.Save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
  if (!ok) return false;
  r.FileName = Ansi(buf.data());
  r.FilterIndex = static_cast<int>(ofn.nFilterIndex);
  return true;
}

bool TOpenDialog::Execute() {
  HWND owner = ::GetActiveWindow();
  if (!owner && Application) owner = Application->Handle();
  TFileDialogRequest r = FRequest;
  if (!DialogService()->FileDialog(owner, r)) return false;
  FRequest.FileName = r.FileName;
  FRequest.FilterIndex = r.FilterIndex;
  return true;
}
