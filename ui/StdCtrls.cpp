// Edit, memo, buttons, check box, combo box, list box, label, group box.
#include "ui/StdCtrls.h"

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

// ==================================================================== TListControlStrings

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

// ============================================================================= TCustomEdit

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

// ============================================================================ TMemoStrings

std::vector<AnsiString> TMemoStrings::Split() const {
  std::vector<AnsiString> out;
  AnsiString t = FMemo->Text();
  size_t start = 0;
  while (start < t.size()) {
    size_t end = t.find_first_of("\r\n", start);
    if (end == AnsiString::npos) {
      out.push_back(t.substr(start));
      break;
    }
    out.push_back(t.substr(start, end - start));
    start = end + ((t[end] == '\r' && end + 1 < t.size() && t[end + 1] == '\n') ? 2 : 1);
  }
  return out;
}

void TMemoStrings::Join(const std::vector<AnsiString>& lines) {
  AnsiString t;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) t += "\r\n";
    t += lines[i];
  }
  FMemo->SetText(t);
}

int TMemoStrings::Count() const { return static_cast<int>(Split().size()); }

AnsiString TMemoStrings::Strings(int index) const {
  auto v = Split();
  CheckIndex(index, static_cast<int>(v.size()));
  return v[static_cast<size_t>(index)];
}

void TMemoStrings::SetStrings(int index, const AnsiString& s) {
  auto v = Split();
  CheckIndex(index, static_cast<int>(v.size()));
  v[static_cast<size_t>(index)] = s;
  Join(v);
}

void TMemoStrings::Insert(int index, const AnsiString& s) {
  auto v = Split();
  if (index < 0 || index > static_cast<int>(v.size())) CheckIndex(index, static_cast<int>(v.size()));
  v.insert(v.begin() + index, s);
  Join(v);
}

void TMemoStrings::Delete(int index) {
  auto v = Split();
  CheckIndex(index, static_cast<int>(v.size()));
  v.erase(v.begin() + index);
  Join(v);
}

void TMemoStrings::Clear() { FMemo->SetText(""); }

AnsiString TMemoStrings::Text() const {
  AnsiString t;
  for (auto& l : Split()) t += l + "\r\n";
  return t;
}

void TMemoStrings::SetText(std::string_view text) {
  AnsiString t(text);
  // Line breaks become CR LF, the edit control's own.
  AnsiString norm;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r') {
      norm += "\r\n";
      if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
    } else if (t[i] == '\n') {
      norm += "\r\n";
    } else {
      norm += t[i];
    }
  }
  if (norm.size() >= 2 && norm.compare(norm.size() - 2, 2, "\r\n") == 0) norm.resize(norm.size() - 2);
  FMemo->SetText(norm);
}

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetBounds(0, 0, 185, 89);
  FAutoSelect = false;
}

void TCustomMemo::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  p.Style &= ~ES_AUTOHSCROLL;
  p.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  if (!FWordWrap) p.Style |= ES_AUTOHSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
}

void TCustomMemo::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  if (HandleAllocated()) {
    AnsiString t = Text();
    DestroyHandle();
    FText = t;
    HandleNeeded();
  }
}

void TCustomMemo::SetScrollBars(TScrollStyle v) {
  if (v == FScrollBars) return;
  FScrollBars = v;
  if (HandleAllocated()) {
    DestroyHandle();
    HandleNeeded();
  }
}

bool TCustomMemo::WantsKey(WORD key, const MSG* msg) {
  switch (key) {
    case VK_RETURN: return FWantReturns;
    case VK_TAB: return FWantTabs;
    case VK_ESCAPE: return false;
    default: return TCustomEdit::WantsKey(key, msg);
  }
}

// ============================================================================ buttons

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle >> csClickEvents;  // the system tells us of clicks (BN_CLICKED)
  FControlStyle >> csAcceptsControls;
  SetTabStop(true);
}

// Check boxes and radio buttons are drawn on their parent's colour.
void TButtonControl::CNCtlColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  ::SetTextColor(dc, ColorToRGB(FFont.Color()));
  ::SetBkColor(dc, ColorToRGB(FColor));
  ::SetBkMode(dc, TRANSPARENT);
  m.Result = reinterpret_cast<LRESULT>(ColorBrush());
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 75, 25);
  FColor = clBtnFace;
}

void TButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.WinClassName = L"BUTTON";
  p.Style |= (FActive ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::SetDefault(bool v) {
  if (v == FDefault) return;
  FDefault = v;
  // Without another button focused, the default button is the one Enter presses.
  TCustomForm* form = GetParentForm(this);
  bool otherButtonFocused = form && dynamic_cast<TButton*>(form->ActiveControl()) &&
                            form->ActiveControl() != this && form->ActiveControl()->Focused();
  SetActive(v && !otherButtonFocused);
}

void TButton::SetActive(bool v) {
  if (v == FActive) return;
  FActive = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::CNCommand(TMessage& m) {
  if (HIWORD(m.WParam) == BN_CLICKED) Click();
}

void TButton::CMDialogKey(TMessage& m) {
  TShiftState shift = KeyDataToShiftState(m.LParam);
  bool plain = !shift.Contains(ssAlt) && !shift.Contains(ssCtrl);
  if (plain && ((m.WParam == VK_RETURN && FActive) || (m.WParam == VK_ESCAPE && FCancel)) && CanFocus()) {
    Click();
    m.Result = 1;
  }
}

void TButton::CMDialogChar(TMessage& m) {
  if (IsAccel(static_cast<unsigned>(m.WParam), Caption()) && CanFocus()) {
    Click();
    m.Result = 1;
  }
}

void TButton::WndProc(TMessage& m) {
  if (m.Msg == CM_FOCUSCHANGED) {
    auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
    if (dynamic_cast<TButton*>(focused)) SetActive(focused == this);
    else SetActive(FDefault);
    return;
  }
  if (m.Msg == WM_GETDLGCODE) {
    TButtonControl::WndProc(m);
    // Our own Default/Active decides about Enter, not the dialog manager.
    m.Result &= ~(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
    return;
  }
  TButtonControl::WndProc(m);
}

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 97, 17);
  FColor = clBtnFace;
}

void TCheckBox::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.WinClassName = L"BUTTON";
  p.Style |= BS_3STATE;
  if (FAlignment == taLeftJustify) p.Style |= BS_LEFTTEXT;
}

void TCheckBox::CreateHandle() {
  TButtonControl::CreateHandle();
  ::SendMessageW(FHandle, BM_SETCHECK, FState, 0);
}

void TCheckBox::DestroyWnd() {
  FState = State();
  TButtonControl::DestroyWnd();
}

TCheckBoxState TCheckBox::State() const {
  if (HandleAllocated()) return static_cast<TCheckBoxState>(::SendMessageW(FHandle, BM_GETCHECK, 0, 0));
  return FState;
}

void TCheckBox::SetState(TCheckBoxState v) {
  if (v == State()) return;
  FState = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, BM_SETCHECK, v, 0);
  Click();
}

// The box cycles unchecked -> checked (-> grayed when allowed) -> unchecked.
void TCheckBox::CNCommand(TMessage& m) {
  if (HIWORD(m.WParam) != BN_CLICKED) return;
  TCheckBoxState s = State();
  TCheckBoxState next = s == cbUnchecked ? cbChecked : (s == cbChecked && FAllowGrayed) ? cbGrayed : cbUnchecked;
  SetState(next);
}

void TCheckBox::CMDialogChar(TMessage& m) {
  if (IsAccel(static_cast<unsigned>(m.WParam), Caption()) && CanFocus()) {
    SetFocus();
    SetChecked(!Checked());
    m.Result = 1;
  }
}

// ============================================================================ combo box

static const TListControlStrings::Messages kComboMsgs{CB_GETCOUNT, CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_INSERTSTRING,
                                                      CB_DELETESTRING, CB_RESETCONTENT, CB_GETITEMDATA,
                                                      CB_SETITEMDATA};
static const TListControlStrings::Messages kListMsgs{LB_GETCOUNT, LB_GETTEXT, LB_GETTEXTLEN, LB_INSERTSTRING,
                                                     LB_DELETESTRING, LB_RESETCONTENT, LB_GETITEMDATA,
                                                     LB_SETITEMDATA};

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(this, kComboMsgs) {
  SetBounds(0, 0, 145, 21);
  FColor = clWindow;
  SetParentColor(false);
  SetTabStop(true);
  FControlStyle >> csClickEvents;
  FControlStyle >> csAcceptsControls;
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = L"COMBOBOX";
  p.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  p.Style |= FStyle == csDropDownList ? CBS_DROPDOWNLIST : FStyle == csSimple ? CBS_SIMPLE : CBS_DROPDOWN;
  // The window's height includes the drop-down list.
  if (FStyle != csSimple) p.Height = FHeight + std::max(1, FDropDownCount) * 16 + 2;
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (!HandleAllocated() || FStyle == csSimple) {
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  // WM_WINDOWPOSCHANGED brings back the closed height the system gives the box.
  ::SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight + std::max(1, FDropDownCount) * 16 + 2,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomComboBox::CreateHandle() {
  TWinControl::CreateHandle();
  FItems.LoadIntoWindow();
  if (FMaxLength > 0) ::SendMessageW(FHandle, CB_LIMITTEXT, FMaxLength, 0);
  if (FItemIndex >= 0) ::SendMessageW(FHandle, CB_SETCURSEL, FItemIndex, 0);
  else if (FStyle != csDropDownList && !FText.empty()) SetWindowTextGbk(FHandle, FText);
}

void TCustomComboBox::DestroyWnd() {
  FItemIndex = ItemIndex();
  FItems.SaveFromWindow();
  TWinControl::DestroyWnd();
}

int TCustomComboBox::ItemIndex() const {
  if (HandleAllocated()) return static_cast<int>(::SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TCustomComboBox::SetItemIndex(int v) {
  if (v == ItemIndex()) return;
  FItemIndex = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, CB_SETCURSEL, v, 0);
  else if (v >= 0 && v < FItems.Count()) FText = FItems.Strings(v);
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  if (HandleAllocated()) {
    DestroyHandle();
    HandleNeeded();
  }
}

bool TCustomComboBox::DroppedDown() const {
  return HandleAllocated() && ::SendMessageW(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool v) {
  ::SendMessageW(Handle(), CB_SHOWDROPDOWN, v, 0);
}

void TCustomComboBox::SetMaxLength(int v) {
  FMaxLength = std::max(0, v);
  if (HandleAllocated()) ::SendMessageW(FHandle, CB_LIMITTEXT, FMaxLength, 0);
}

bool TCustomComboBox::Focused() const {
  if (!HandleAllocated()) return false;
  HWND f = ::GetFocus();
  return f == FHandle || ::IsChild(FHandle, f);
}

void TCustomComboBox::SelectAll() {
  if (HandleAllocated()) ::SendMessageW(FHandle, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void TCustomComboBox::Change() {
  if (OnChange && !Destroying()) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
  else Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (FCharCase == ecUpperCase && key >= 'a' && key <= 'z') key = static_cast<char>(key - 32);
  if (FCharCase == ecLowerCase && key >= 'A' && key <= 'Z') key = static_cast<char>(key + 32);
}

// The focus may land on the inner edit, which is not ours: CBN_SETFOCUS tells the form.
void TCustomComboBox::WMSetFocus(TMessage& m) { DefaultHandler(m); }

void TCustomComboBox::CNCommand(TMessage& m) {
  switch (HIWORD(m.WParam)) {
    case CBN_SETFOCUS:
      if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(this);
      break;
    case CBN_EDITCHANGE: Change(); break;
    case CBN_SELCHANGE: {
      int i = ItemIndex();
      if (i >= 0 && FStyle != csDropDownList) SetWindowTextGbk(FHandle, FItems.Strings(i));
      Click();
      Select();
      break;
    }
    case CBN_DROPDOWN: DropDown(); break;
    case CBN_CLOSEUP: CloseUp(); break;
    default: break;
  }
}

// With the list open, Enter and Esc close it rather than pressing buttons.
bool TCustomComboBox::WantsKey(WORD key, const MSG* msg) {
  if ((key == VK_RETURN || key == VK_ESCAPE) && DroppedDown()) return true;
  return TWinControl::WantsKey(key, msg);
}

void TCustomComboBox::WndProc(TMessage& m) {
  // The inner edit's colour messages come to us.
  if ((m.Msg == WM_CTLCOLOREDIT || m.Msg == WM_CTLCOLORLISTBOX) && !FindControl(reinterpret_cast<HWND>(m.LParam))) {
    CNCtlColor(m);
    return;
  }
  TWinControl::WndProc(m);
}

// ============================================================================ list box

TCustomListBox::TCustomListBox(TComponent* AOwner) : TWinControl(AOwner), FItems(this, kListMsgs) {
  SetBounds(0, 0, 121, 97);
  FColor = clWindow;
  SetParentColor(false);
  SetTabStop(true);
  FControlStyle >> csClickEvents;
  FControlStyle >> csAcceptsControls;
}

void TCustomListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = L"LISTBOX";
  p.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | LBS_HASSTRINGS;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateHandle() {
  TWinControl::CreateHandle();
  FItems.LoadIntoWindow();
  if (FItemIndex >= 0) ::SendMessageW(FHandle, LB_SETCURSEL, FItemIndex, 0);
}

void TCustomListBox::DestroyWnd() {
  FItemIndex = ItemIndex();
  FItems.SaveFromWindow();
  TWinControl::DestroyWnd();
}

int TCustomListBox::ItemIndex() const {
  if (HandleAllocated()) return static_cast<int>(::SendMessageW(FHandle, LB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TCustomListBox::SetItemIndex(int v) {
  FItemIndex = v;
  if (HandleAllocated()) ::SendMessageW(FHandle, LB_SETCURSEL, v, 0);
}

int TCustomListBox::ItemHeight() const {
  return HandleAllocated() ? static_cast<int>(::SendMessageW(FHandle, LB_GETITEMHEIGHT, 0, 0)) : 13;
}

void TCustomListBox::CNCommand(TMessage& m) {
  switch (HIWORD(m.WParam)) {
    case LBN_SELCHANGE: Click(); break;
    case LBN_DBLCLK: DblClick(); break;
    default: break;
  }
}

// ============================================================================ label

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 17);
  FControlStyle << csReplicatable;
}

unsigned TCustomLabel::DrawTextFlags() const {
  unsigned f = DT_EXPANDTABS;
  if (FWordWrap) f |= DT_WORDBREAK;
  if (!FShowAccelChar) f |= DT_NOPREFIX;
  f |= FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT;
  return f;
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || Destroying()) return;
  WindowDC screen;
  TCanvas c;
  AnsiString text = LabelText();
  if (text.empty() || (FShowAccelChar && text == "&")) text = " ";
  TRect r = Rect(0, 0, FWordWrap ? FWidth : 0, 0);
  {
    CanvasOnDC on(c, screen.dc());
    c.Font()->Assign(&FFont);
    c.DrawText(text, r, DrawTextFlags() | DT_CALCRECT);
  }
  int left = FLeft;
  if (!FWordWrap) {
    if (FAlignment == taRightJustify) left = FLeft + FWidth - r.Width();
    else if (FAlignment == taCenter) left = FLeft + (FWidth - r.Width()) / 2;
  }
  SetBounds(left, FTop, r.Width(), r.Height());
}

void TCustomLabel::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v) {
  if (v == FLayout) return;
  FLayout = v;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  if (v) FControlStyle >> csOpaque; else FControlStyle << csOpaque;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
  if (v == FShowAccelChar) return;
  FShowAccelChar = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* c) {
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = c;
  if (c) c->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!FTransparent) {
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  AnsiString text = LabelText();
  unsigned flags = DrawTextFlags();
  if (FLayout != tlTop) {
    TRect calc = r;
    c->DrawText(text.empty() ? AnsiString(" ") : text, calc, flags | DT_CALCRECT);
    int dy = FLayout == tlBottom ? r.Height() - calc.Height() : (r.Height() - calc.Height()) / 2;
    r.Top += dy;
  }
  if (!Enabled()) {
    TRect shifted = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    c->Font()->SetColor(clBtnHighlight);
    c->DrawText(text, shifted, flags);
    c->Font()->SetColor(clBtnShadow);
  }
  c->DrawText(text, r, flags);
}

void TCustomLabel::WndProc(TMessage& m) {
  if (m.Msg == CM_DIALOGCHAR) {
    if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(static_cast<unsigned>(m.WParam), GetText()) &&
        FFocusControl->CanFocus()) {
      FFocusControl->SetFocus();
      m.Result = 1;
    }
    return;
  }
  TGraphicControl::WndProc(m);
}

// ============================================================================ group box

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 185, 105);
  FControlStyle << csSetCaption;
}

void TCustomGroupBox::AdjustClientRect(TRect& r) const {
  int h = -const_cast<TCustomGroupBox*>(this)->Font()->Height();
  r.Top += std::max(h, 12);
  r.Left += 2;
  r.Right -= 2;
  r.Bottom -= 2;
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  int th = c->TextHeight("0");
  TRect r = ClientRect();
  r.Top += th / 2;
  c->DrawEdge(r, EDGE_ETCHED, BF_RECT);
  AnsiString text = GetText();
  if (!text.empty()) {
    TRect tr = Rect(8, 0, 0, th);
    c->DrawText(text, tr, DT_CALCRECT | DT_SINGLELINE);
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(bsSolid);
    tr.Right += 2;
    c->FillRect(Rect(tr.Left - 1, tr.Top, tr.Right + 1, tr.Bottom));
    c->Brush()->SetStyle(bsClear);
    c->DrawText(text, tr, DT_SINGLELINE | DT_LEFT);
  }
}

void TCustomGroupBox::CMDialogChar(TMessage& m) {
  if (IsAccel(static_cast<unsigned>(m.WParam), GetText()) && CanFocus()) {
    SelectNext(nullptr, true, true);
    m.Result = 1;
    return;
  }
  Broadcast(m);
}
