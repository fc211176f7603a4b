// The single-line edit: GBK byte positions over the window's UTF-16 text, the length
// limit for typed and pasted text, and the character case.
#include "ui/Edit.h"

#include <algorithm>

using namespace ui_win;

namespace {

std::wstring WindowWide(HWND h) {
  int n = static_cast<int>(::SendMessageW(h, WM_GETTEXTLENGTH, 0, 0));
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  n = static_cast<int>(::SendMessageW(h, WM_GETTEXT, w.size(), reinterpret_cast<LPARAM>(w.data())));
  w.resize(static_cast<size_t>(std::max(n, 0)));
  return w;
}

// GBK bytes of the first `chars` UTF-16 units of w.
int GbkBytes(const std::wstring& w, size_t chars) {
  chars = std::min(chars, w.size());
  return static_cast<int>(Ansi(w.c_str(), static_cast<int>(chars)).size());
}

// UTF-16 units of the first `bytes` GBK bytes of the text.
int WideUnits(const std::wstring& w, int bytes) {
  int acc = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    if (acc >= bytes) return static_cast<int>(i);
    acc += static_cast<int>(Ansi(&w[i], 1).size());
  }
  return static_cast<int>(w.size());
}

AnsiString ApplyCase(const AnsiString& s, TEditCharCase c) {
  if (c == ecUpperCase) return AnsiUpperCase(s);
  if (c == ecLowerCase) return AnsiLowerCase(s);
  return s;
}

}  // namespace

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 121, 21);
  FColor = clWindow;
  SetParentColor(false);
  SetTabStop(true);
  FControlStyle >> csSetCaption;
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = L"EDIT";
  p.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (FReadOnly) p.Style |= ES_READONLY;
  if (FCharCase == ecUpperCase) p.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) p.Style |= ES_LOWERCASE;
  if (FBorderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateHandle() {
  ++FCreating;
  TWinControl::CreateHandle();
  if (FPasswordChar) {
    wchar_t w = Wide(AnsiString(1, FPasswordChar))[0];
    ::SendMessageW(FHandle, EM_SETPASSWORDCHAR, w, 0);
  }
  if (FMaxLength > 0) ::SendMessageW(FHandle, EM_LIMITTEXT, FMaxLength, 0);
  ::SendMessageW(FHandle, EM_SETMODIFY, FModified, 0);
  --FCreating;
}

void TCustomEdit::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, EM_SETREADONLY, v, 0);
}

void TCustomEdit::SetMaxLength(int v) {
  if (v == FMaxLength) return;
  FMaxLength = std::max(0, v);
  // The system counts characters; every character is at least one byte, so this is
  // only an outer bound. The byte count is kept in WMChar and WMPaste.
  if (HandleAllocated()) ::SendMessageW(FHandle, EM_LIMITTEXT, FMaxLength, 0);
}

void TCustomEdit::SetPasswordChar(char v) {
  if (v == FPasswordChar) return;
  FPasswordChar = v;
  if (HandleAllocated()) {
    wchar_t w = v ? Wide(AnsiString(1, v))[0] : 0;
    ::SendMessageW(FHandle, EM_SETPASSWORDCHAR, w, 0);
    ::InvalidateRect(FHandle, nullptr, TRUE);
  }
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  if (HandleAllocated()) {
    LONG ex = ::GetWindowLongW(FHandle, GWL_EXSTYLE);
    ::SetWindowLongW(FHandle, GWL_EXSTYLE, v == bsSingle ? (ex | WS_EX_CLIENTEDGE) : (ex & ~WS_EX_CLIENTEDGE));
    ::SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
  }
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
  if (v == FCharCase) return;
  FCharCase = v;
  if (HandleAllocated()) {
    LONG s = ::GetWindowLongW(FHandle, GWL_STYLE) & ~(ES_UPPERCASE | ES_LOWERCASE);
    if (v == ecUpperCase) s |= ES_UPPERCASE;
    if (v == ecLowerCase) s |= ES_LOWERCASE;
    ::SetWindowLongW(FHandle, GWL_STYLE, s);
  }
  SetText(ApplyCase(Text(), v));
}

bool TCustomEdit::Modified() const {
  return HandleAllocated() ? ::SendMessageW(FHandle, EM_GETMODIFY, 0, 0) != 0 : FModified;
}

void TCustomEdit::SetModified(bool v) {
  FModified = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, EM_SETMODIFY, v, 0);
}

int TCustomEdit::SelStart() {
  DWORD s = 0, e = 0;
  ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return GbkBytes(WindowWide(FHandle), s);
}

void TCustomEdit::SetSelStart(int v) {
  std::wstring w = WindowWide(Handle());
  int at = WideUnits(w, v);
  ::SendMessageW(FHandle, EM_SETSEL, at, at);
}

int TCustomEdit::SelLength() {
  DWORD s = 0, e = 0;
  ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  std::wstring w = WindowWide(FHandle);
  return GbkBytes(w, e) - GbkBytes(w, s);
}

void TCustomEdit::SetSelLength(int v) {
  DWORD s = 0, e = 0;
  ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  std::wstring w = WindowWide(FHandle);
  int end = WideUnits(w, GbkBytes(w, s) + v);
  ::SendMessageW(FHandle, EM_SETSEL, s, end);
}

AnsiString TCustomEdit::SelText() {
  DWORD s = 0, e = 0;
  ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  std::wstring w = WindowWide(FHandle);
  return Ansi(w.substr(s, e - s));
}

void TCustomEdit::SetSelText(const AnsiString& v) {
  std::wstring w = Wide(v);
  ::SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(w.c_str()));
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) ::SendMessageW(FHandle, EM_SETSEL, 0, -1);
}

void TCustomEdit::DoEnter() {
  if (FAutoSelect && !(::GetKeyState(VK_LBUTTON) < 0)) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::Change() {
  if (OnChange && !Destroying()) OnChange(this);
}

void TCustomEdit::CNCommand(TMessage& m) {
  if (HIWORD(m.WParam) == EN_CHANGE && FCreating == 0) Change();
}

bool TCustomEdit::FitsMaxLength(int insertBytes) {
  if (FMaxLength <= 0) return true;
  std::wstring w = WindowWide(FHandle);
  DWORD s = 0, e = 0;
  ::SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  int total = GbkBytes(w, w.size());
  int selected = GbkBytes(w, e) - GbkBytes(w, s);
  return total - selected + insertBytes <= FMaxLength;
}

// Typed characters: the limit counts GBK bytes, so a Chinese character needs two.
void TCustomEdit::WMChar(TMessage& m) {
  wchar_t ch = static_cast<wchar_t>(m.WParam);
  if (ch >= 0x20 && ch != 0x7F && !FReadOnly && FMaxLength > 0) {
    int bytes = static_cast<int>(Ansi(&ch, 1).size());
    if (!FitsMaxLength(bytes)) {
      ::MessageBeep(0);
      return;
    }
  }
  DefaultHandler(m);
}

// Pasted text is cut, at a character boundary, to what still fits.
void TCustomEdit::WMPaste(TMessage& m) {
  if (FReadOnly) return;
  if (FMaxLength <= 0) {
    DefaultHandler(m);
    return;
  }
  std::wstring clip = ClipboardText(FHandle);
  size_t cut = clip.find_first_of(L"\r\n");
  if (cut != std::wstring::npos) clip.resize(cut);
  std::wstring fit;
  for (wchar_t ch : clip) {
    int bytes = static_cast<int>(Ansi(&ch, 1).size());
    if (!FitsMaxLength(GbkBytes(fit, fit.size()) + bytes)) break;
    fit.push_back(ch);
  }
  if (fit.size() < clip.size()) ::MessageBeep(0);
  if (!fit.empty()) ::SendMessageW(FHandle, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fit.c_str()));
}

void TCustomEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CHAR: WMChar(m); return;
    case WM_PASTE: WMPaste(m); return;
    default: TWinControl::WndProc(m);
  }
}
