// TDateTimePicker, TPageControl/TTabSheet, TRichEdit.
#include "ui/ComCtrls.h"

#include <algorithm>
#include <richedit.h>

using namespace ui_win;

namespace {

void InitCommonControls(DWORD classes) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), classes};
  ::InitCommonControlsEx(&icc);
}

SYSTEMTIME ToSystemTime(TDateTime d) {
  int y, mo, da, h, mi, s, ms;
  DecodeDateTime(d, y, mo, da, h, mi, s, ms);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(mo);
  st.wDay = static_cast<WORD>(da);
  st.wHour = static_cast<WORD>(h);
  st.wMinute = static_cast<WORD>(mi);
  st.wSecond = static_cast<WORD>(s);
  st.wMilliseconds = static_cast<WORD>(ms);
  st.wDayOfWeek = static_cast<WORD>(DayOfWeek(d) - 1);
  return st;
}

TDateTime FromSystemTime(const SYSTEMTIME& st) {
  return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

}  // namespace

// ======================================================================== TDateTimePicker

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner), FDateTime(Now()) {
  SetBounds(0, 0, 186, 21);
  FColor = clWindow;
  SetParentColor(false);
  SetTabStop(true);
  FControlStyle >> csAcceptsControls;
  FControlStyle >> csClickEvents;
}

void TDateTimePicker::CreateParams(TCreateParams& p) {
  InitCommonControls(ICC_DATE_CLASSES);
  TWinControl::CreateParams(p);
  p.WinClassName = DATETIMEPICK_CLASSW;
  if (FKind == dtkTime) p.Style |= DTS_TIMEFORMAT;
  else p.Style |= FDateFormat == dfLong ? DTS_LONGDATEFORMAT : DTS_SHORTDATEFORMAT;
  if (FShowCheckbox) p.Style |= DTS_SHOWNONE;
}

void TDateTimePicker::CreateHandle() {
  TWinControl::CreateHandle();
  SYSTEMTIME st = ToSystemTime(FDateTime);
  ::SendMessageW(FHandle, DTM_SETSYSTEMTIME, FChecked ? GDT_VALID : GDT_NONE, reinterpret_cast<LPARAM>(&st));
  if (!FFormat.empty()) {
    std::wstring w = Wide(FFormat);
    ::SendMessageW(FHandle, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }
}

void TDateTimePicker::DestroyWnd() {
  FDateTime = DateTime();
  FChecked = Checked();
  TWinControl::DestroyWnd();
}

TDateTime TDateTimePicker::DateTime() const {
  if (!HandleAllocated()) return FDateTime;
  SYSTEMTIME st{};
  if (::SendMessageW(FHandle, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return FDateTime;
  return FromSystemTime(st);
}

void TDateTimePicker::SetDateTime(TDateTime v) {
  FDateTime = v;
  if (HandleAllocated()) {
    SYSTEMTIME st = ToSystemTime(v);
    ::SendMessageW(FHandle, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
  }
}

void TDateTimePicker::SetKind(TDateTimeKind v) {
  if (v == FKind) return;
  FKind = v;
  if (HandleAllocated()) { DestroyHandle(); HandleNeeded(); }
}

void TDateTimePicker::SetDateFormat(TDTDateFormat v) {
  if (v == FDateFormat) return;
  FDateFormat = v;
  if (HandleAllocated()) { DestroyHandle(); HandleNeeded(); }
}

void TDateTimePicker::SetFormat(const AnsiString& v) {
  FFormat = v;
  if (HandleAllocated()) {
    std::wstring w = Wide(v);
    ::SendMessageW(FHandle, DTM_SETFORMATW, 0, v.empty() ? 0 : reinterpret_cast<LPARAM>(w.c_str()));
  }
}

void TDateTimePicker::SetShowCheckbox(bool v) {
  if (v == FShowCheckbox) return;
  FShowCheckbox = v;
  if (HandleAllocated()) { DestroyHandle(); HandleNeeded(); }
}

bool TDateTimePicker::Checked() const {
  if (!HandleAllocated() || !FShowCheckbox) return FChecked;
  SYSTEMTIME st{};
  return ::SendMessageW(FHandle, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID;
}

void TDateTimePicker::SetChecked(bool v) {
  FChecked = v;
  if (HandleAllocated() && FShowCheckbox) {
    SYSTEMTIME st = ToSystemTime(FDateTime);
    ::SendMessageW(FHandle, DTM_SETSYSTEMTIME, v ? GDT_VALID : GDT_NONE, reinterpret_cast<LPARAM>(&st));
  }
}

bool TDateTimePicker::DroppedDown() const {
  return HandleAllocated() && ::SendMessageW(FHandle, DTM_GETMONTHCAL, 0, 0) != 0;
}

void TDateTimePicker::Change() {
  if (OnChange && !Destroying()) OnChange(this);
}

void TDateTimePicker::CNNotify(TMessage& m) {
  auto* h = reinterpret_cast<NMHDR*>(m.LParam);
  switch (h->code) {
    case DTN_DATETIMECHANGE: {
      auto* dt = reinterpret_cast<NMDATETIMECHANGE*>(m.LParam);
      if (dt->dwFlags == GDT_VALID) FDateTime = FromSystemTime(dt->st);
      Change();
      break;
    }
    case DTN_DROPDOWN: if (OnDropDown) OnDropDown(this); break;
    case DTN_CLOSEUP: if (OnCloseUp) OnCloseUp(this); break;
    default: break;
  }
}

// ============================================================================== TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  FColor = clBtnFace;
  SetParentColor(true);
  SetAlign(alClient);
}

TTabSheet::~TTabSheet() {
  SetComponentState(csDestroying, true);
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* p) {
  if (p == FPageControl) return;
  if (FPageControl) FPageControl->RemovePage(this);
  SetParent(p);
  if (p) p->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  auto& v = FPageControl->FPages;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TTabSheet::SetPageIndex(int v) {
  if (!FPageControl) return;
  auto& pages = FPageControl->FPages;
  int cur = PageIndex();
  v = std::clamp(v, 0, static_cast<int>(pages.size()) - 1);
  if (v == cur) return;
  pages.erase(pages.begin() + cur);
  pages.insert(pages.begin() + v, this);
  FPageControl->UpdateTabs();
}

int TTabSheet::TabIndex() const {
  if (!FPageControl || !FTabVisible) return -1;
  int i = 0;
  for (TTabSheet* p : FPageControl->FPages) {
    if (p == this) return i;
    if (p->FTabVisible) ++i;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool v) {
  if (v == FTabVisible) return;
  FTabVisible = v;
  if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::TextChanged() {
  if (FPageControl) FPageControl->UpdateTabs();
}

// =========================================================================== TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 289, 193);
  FColor = clBtnFace;
  SetTabStop(true);
  FControlStyle >> csClickEvents;
}

void TPageControl::CreateParams(TCreateParams& p) {
  InitCommonControls(ICC_TAB_CLASSES);
  TWinControl::CreateParams(p);
  p.WinClassName = WC_TABCONTROLW;
  p.Style |= WS_CLIPCHILDREN | TCS_TABS;
}

void TPageControl::CreateHandle() {
  TWinControl::CreateHandle();
  UpdateTabs();
  Realign();
}

void TPageControl::AdjustClientRect(TRect& r) const {
  if (!HandleAllocated()) {
    r.Left += 4;
    r.Top += 24;
    r.Right -= 4;
    r.Bottom -= 4;
    return;
  }
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  ::SendMessageW(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  r = {rc.left, rc.top, rc.right, rc.bottom};
}

void TPageControl::InsertPage(TTabSheet* p) {
  p->FPageControl = this;
  FPages.push_back(p);
  UpdateTabs();
  if (!FActivePage) SetActivePage(p);
}

void TPageControl::RemovePage(TTabSheet* p) {
  auto it = std::find(FPages.begin(), FPages.end(), p);
  if (it == FPages.end()) return;
  int index = static_cast<int>(it - FPages.begin());
  FPages.erase(it);
  p->FPageControl = nullptr;
  if (FActivePage == p) {
    FActivePage = nullptr;
    if (!Destroying() && !FPages.empty())
      SetActivePage(FPages[static_cast<size_t>(std::min(index, PageCount() - 1))]);
  }
  if (!Destroying()) UpdateTabs();
}

void TPageControl::UpdateTabs() {
  if (!HandleAllocated() || Destroying()) return;
  ::SendMessageW(FHandle, TCM_DELETEALLITEMS, 0, 0);
  int i = 0;
  for (TTabSheet* p : FPages) {
    if (!p->FTabVisible) continue;
    std::wstring w = Wide(p->Caption());
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = w.data();
    ::SendMessageW(FHandle, TCM_INSERTITEMW, i++, reinterpret_cast<LPARAM>(&item));
  }
  if (FActivePage) ::SendMessageW(FHandle, TCM_SETCURSEL, FActivePage->TabIndex(), 0);
  Realign();
}

void TPageControl::ShowActive() {
  for (TTabSheet* p : FPages) {
    if (p != FActivePage) p->SetVisible(false);
  }
  if (FActivePage) {
    FActivePage->SetVisible(true);
    FActivePage->BringToFront();
  }
}

void TPageControl::SetActivePage(TTabSheet* p) {
  if (p && p->FPageControl != this) return;
  if (p == FActivePage) return;
  // The focus leaves a page that is going out of sight.
  TCustomForm* form = GetParentForm(this);
  if (form && FActivePage && form->ActiveControl() && FActivePage->ContainsControl(form->ActiveControl()) &&
      CanFocus())
    SetFocus();
  FActivePage = p;
  if (HandleAllocated() && p) ::SendMessageW(FHandle, TCM_SETCURSEL, p->TabIndex(), 0);
  ShowActive();
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int v) {
  if (v >= 0 && v < PageCount()) SetActivePage(FPages[static_cast<size_t>(v)]);
  else SetActivePage(nullptr);
}

void TPageControl::SelectNextPage(bool forward) {
  if (FPages.empty()) return;
  int n = PageCount();
  int i = ActivePageIndex();
  for (int step = 0; step < n; ++step) {
    i = forward ? (i + 1) % n : (i - 1 + n) % n;
    if (FPages[static_cast<size_t>(i)]->FTabVisible) {
      bool allow = true;
      if (OnChanging) OnChanging(this, allow);
      if (!allow) return;
      SetActivePage(FPages[static_cast<size_t>(i)]);
      if (OnChange) OnChange(this);
      return;
    }
  }
}

void TPageControl::CNNotify(TMessage& m) {
  auto* h = reinterpret_cast<NMHDR*>(m.LParam);
  switch (h->code) {
    case TCN_SELCHANGING: {
      bool allow = true;
      if (OnChanging) OnChanging(this, allow);
      m.Result = allow ? FALSE : TRUE;
      break;
    }
    case TCN_SELCHANGE: {
      int tab = static_cast<int>(::SendMessageW(FHandle, TCM_GETCURSEL, 0, 0));
      for (TTabSheet* p : FPages) {
        if (p->TabIndex() == tab) {
          SetActivePage(p);
          break;
        }
      }
      if (OnChange) OnChange(this);
      break;
    }
    default: break;
  }
}

// Ctrl+Tab and Ctrl+Shift+Tab turn the pages.
void TPageControl::CMDialogKey(TMessage& m) {
  if (m.WParam == VK_TAB && ::GetKeyState(VK_CONTROL) < 0 && Focused()) {
    SelectNextPage(::GetKeyState(VK_SHIFT) >= 0);
    m.Result = 1;
    return;
  }
  TWinControl::CMDialogKey(m);
}

// ============================================================================== TRichEdit

void TRichEditStrings::Insert(int index, const AnsiString& s) {
  int n = Count();
  if (index != n || !FEdit->HandleAllocated()) {
    TMemoStrings::Insert(index, s);
    return;
  }
  HWND h = FEdit->Handle();
  std::wstring w = Wide((n > 0 ? AnsiString("\r\n") : AnsiString()) + s);
  ::SendMessageW(h, EM_SETSEL, -1, -1);
  ::SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(w.c_str()));
  ::SendMessageW(h, EM_SCROLLCARET, 0, 0);
}

TRichEdit::TRichEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetBounds(0, 0, 185, 89);
  FAutoSelect = false;
}

void TRichEdit::CreateParams(TCreateParams& p) {
  static HMODULE lib = ::LoadLibraryW(L"riched20.dll");
  (void)lib;
  TCustomEdit::CreateParams(p);
  p.WinClassName = RICHEDIT_CLASSW;
  p.Style &= ~ES_AUTOHSCROLL;
  p.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  if (!FWordWrap) p.Style |= ES_AUTOHSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
}

void TRichEdit::CreateHandle() {
  TCustomEdit::CreateHandle();
  // The rich edit's own default limit is 32K characters: a log needs more.
  ::SendMessageW(FHandle, EM_EXLIMITTEXT, 0, FMaxLength > 0 ? FMaxLength : 0x7FFFFFF);
  ::SendMessageW(FHandle, EM_SETBKGNDCOLOR, 0, ColorToRGB(FColor));
}

bool TRichEdit::WantsKey(WORD key, const MSG* msg) {
  if (key == VK_RETURN) return !FReadOnly;
  if (key == VK_TAB || key == VK_ESCAPE) return false;
  return TCustomEdit::WantsKey(key, msg);
}
