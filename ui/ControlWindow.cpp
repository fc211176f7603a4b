// TWinControl's window: the window class "PosWindow", creating, attaching and
// destroying the window, its text, bounds and visibility, and PosWindowProc, the one
// window procedure of every window of ours and of every subclassed system control.
// A window is attached to its object at its first message (gCreating) and detached
// before it is destroyed; the object is found through a map of our windows, and tools
// outside find it through the window property "PosControl".
#include "ui/Controls.h"

#include <mutex>
#include <new>
#include <unordered_map>

#include "ui/Forms.h"

using namespace ui_win;

namespace {

const wchar_t kPropObject[] = L"PosControl";
const wchar_t kPropName[] = L"PosName";

// The control whose window is being created: attached at its window's first message.
thread_local TWinControl* gCreating = nullptr;
int gNextChildId = 1000;

// Our windows by handle. The window procedure looks its control up at every message;
// a window property is asked of the window manager each time (under Wine a call to its
// server, some 25 microseconds), this map in the process.
class TControlMap {
 public:
  void Add(HWND h, TWinControl* c) {
    std::lock_guard<std::mutex> lock(FLock);
    FMap[h] = c;
  }
  // Removes the entry of h when it is c's (any entry with c null).
  void Remove(HWND h, const TWinControl* c = nullptr) {
    std::lock_guard<std::mutex> lock(FLock);
    auto it = FMap.find(h);
    if (it != FMap.end() && (!c || it->second == c)) FMap.erase(it);
  }
  TWinControl* Find(HWND h) {
    std::lock_guard<std::mutex> lock(FLock);
    auto it = FMap.find(h);
    return it == FMap.end() ? nullptr : it->second;
  }

 private:
  std::mutex FLock;
  std::unordered_map<HWND, TWinControl*> FMap;
};

// Never destroyed: controls detach their windows also while the process's statics are
// destroyed (the application object, a host unloading the library).
TControlMap& ControlMap() {
  alignas(TControlMap) static unsigned char storage[sizeof(TControlMap)];
  static TControlMap* map = new (storage) TControlMap;
  return *map;
}

}  // namespace

namespace ui_win {

LRESULT CALLBACK PosWindowProcThunk(HWND h, UINT msg, WPARAM w, LPARAM l);

const wchar_t* PosWindowClass() {
  static const wchar_t* name = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = PosWindowProcThunk;
    wc.hInstance = ModuleInstance();
    wc.hCursor = nullptr;  // WM_SETCURSOR decides
    wc.hbrBackground = nullptr;
    wc.lpszClassName = L"PosWindow";
    // Classes of a DLL outlive its unloading: a class left by an earlier load of the
    // library into the same host points at a procedure that is gone, so it is replaced.
    if (!::RegisterClassExW(&wc) && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
      ::UnregisterClassW(L"PosWindow", wc.hInstance);
      ::RegisterClassExW(&wc);
    }
    return L"PosWindow";
  }();
  return name;
}

}  // namespace ui_win

TWinControl* TWinControl::FindControl(HWND h) {
  if (!h) return nullptr;
  return ControlMap().Find(h);
}

TWinControl* TWinControl::FindOwningControl(HWND h) {
  while (h) {
    if (TWinControl* c = FindControl(h)) return c;
    if (!(::GetWindowLongW(h, GWL_STYLE) & WS_CHILD)) return nullptr;
    h = ::GetParent(h);
  }
  return nullptr;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = Wide(FText);
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) p.Style |= WS_CLIPCHILDREN;
  if (FVisible) p.Style |= WS_VISIBLE;
  if (!FEnabled) p.Style |= WS_DISABLED;
  if (FTabStop) p.Style |= WS_TABSTOP;
  p.X = FLeft;
  p.Y = FTop;
  p.Width = FWidth;
  p.Height = FHeight;
  if (Parent()) p.WndParent = Parent()->FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (Parent()) Parent()->HandleNeeded();
  if (!FHandle) CreateHandle();
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  bool system = !p.WinClassName.empty();
  const wchar_t* cls = system ? p.WinClassName.c_str() : PosWindowClass();
  TWinControl* saved = gCreating;
  gCreating = system ? nullptr : this;
  HMENU id = (p.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(gNextChildId++)) : nullptr;
  HWND h = ::CreateWindowExW(p.ExStyle, cls, p.Caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height,
                             p.WndParent, id, ModuleInstance(), nullptr);
  gCreating = saved;
  if (!h) throw EOSError("Error creating window " + ClassName() + " '" + Name() + "' (" + IntToStr(::GetLastError()) + ")");
  if (system) {
    Attach(h);
    FDefWndProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PosWindowProcThunk)));
  } else if (FHandle != h) {
    Attach(h);
  }
}

void TWinControl::Attach(HWND h) {
  FHandle = h;
  if (!FDefWndProc) FDefWndProc = ::DefWindowProcW;
  ControlMap().Add(h, this);
  ::SetPropW(h, kPropObject, this);
  if (!Name().empty()) {
    FNameAtom = ::GlobalAddAtomW(Wide(Name()).c_str());
    ::SetPropW(h, kPropName, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(FNameAtom)));
  }
}

void TWinControl::SetName(const AnsiString& value) {
  TControl::SetName(value);
  if (!FHandle) return;
  ::RemovePropW(FHandle, kPropName);
  if (FNameAtom) ::GlobalDeleteAtom(FNameAtom);
  FNameAtom = 0;
  if (!Name().empty()) {
    FNameAtom = ::GlobalAddAtomW(Wide(Name()).c_str());
    ::SetPropW(FHandle, kPropName, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(FNameAtom)));
  }
}

void TWinControl::Detach() {
  if (!FHandle) return;
  HWND h = FHandle;
  ControlMap().Remove(h, this);
  ::RemovePropW(h, kPropObject);
  ::RemovePropW(h, kPropName);
  if (FNameAtom) ::GlobalDeleteAtom(FNameAtom);
  FNameAtom = 0;
  if (FDefWndProc && FDefWndProc != ::DefWindowProcW)
    ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefWndProc));
  FDefWndProc = nullptr;
  FHandle = nullptr;
}

void TWinControl::DetachTree() {
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DetachTree();
  Detach();
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  ::SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), FALSE);
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->CreateHandle();
  // The window may have a size other than asked (a combo box, a maximized form).
  RECT r;
  ::GetWindowRect(FHandle, &r);
  if (Parent()) ::MapWindowPoints(HWND_DESKTOP, Parent()->FHandle, reinterpret_cast<POINT*>(&r), 2);
  if (r.right - r.left != FWidth || r.bottom - r.top != FHeight) {
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
  }
  Realign();
}

void TWinControl::DestroyWnd() {
  if (FHandle) FText = WindowText(FHandle);
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  // Children save what their windows hold before the windows go.
  std::vector<TWinControl*> stack{this};
  while (!stack.empty()) {
    TWinControl* w = stack.back();
    stack.pop_back();
    if (w->FHandle) w->DestroyWnd();
    for (TControl* c : w->FControls)
      if (auto* cw = dynamic_cast<TWinControl*>(c)) stack.push_back(cw);
  }
  HWND h = FHandle;
  DetachTree();
  ::DestroyWindow(h);
}

AnsiString TWinControl::GetText() const {
  return FHandle ? WindowText(FHandle) : FText;
}

void TWinControl::SetTextCore(const AnsiString& v) {
  FText = v;
  if (FHandle) SetWindowTextGbk(FHandle, v);
}

void TWinControl::FontChanged() {
  if (FHandle) ::SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), TRUE);
  TControl::FontChanged();
}

void TWinControl::ColorChanged() {
  TControl::ColorChanged();
}

void TWinControl::EnabledChanged() {
  if (FHandle) ::EnableWindow(FHandle, Enabled());
  TControl::EnabledChanged();
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  if (FHandle) {
    // WM_WINDOWPOSCHANGED brings the new bounds back into the object.
    ::SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  bool sized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  BoundsChanged(sized);
}

void TWinControl::BoundsChanged(bool sized) {
  if (!Parent() || !Parent()->FAligning) UpdateAnchorRules();
  if (sized) {
    Realign();
    Resize();
  }
  RequestAlign();
}

void TWinControl::WMWindowPosChanged(TMessage& m) {
  DefaultHandler(m);
  RECT r;
  ::GetWindowRect(FHandle, &r);
  if (Parent() && Parent()->FHandle) ::MapWindowPoints(HWND_DESKTOP, Parent()->FHandle, reinterpret_cast<POINT*>(&r), 2);
  int l = r.left, t = r.top, w = r.right - r.left, h = r.bottom - r.top;
  if (::IsIconic(FHandle)) return;
  if (l == FLeft && t == FTop && w == FWidth && h == FHeight) return;
  bool sized = w != FWidth || h != FHeight;
  FLeft = l; FTop = t; FWidth = w; FHeight = h;
  BoundsChanged(sized);
}

TRect TWinControl::ClientRect() const {
  if (FHandle) {
    RECT r;
    ::GetClientRect(FHandle, &r);
    return {r.left, r.top, r.right, r.bottom};
  }
  // No window yet: the client area its window will have.
  TCreateParams p;
  const_cast<TWinControl*>(this)->CreateParams(p);
  RECT frame{0, 0, 0, 0};
  ::AdjustWindowRectEx(&frame, p.Style & ~WS_VISIBLE, FALSE, p.ExStyle);
  return Rect(0, 0, std::max<int>(0, FWidth - (frame.right - frame.left)), std::max<int>(0, FHeight - (frame.bottom - frame.top)));
}

void TWinControl::SetVisible(bool v) {
  if (v == Visible()) return;
  TCustomForm* form = v ? nullptr : GetParentForm(this);
  bool hadFocus = form && form != this && FHandle && form->FFocusedControl && ContainsControl(form->FFocusedControl);
  if (hadFocus && form->FActiveControl && ContainsControl(form->FActiveControl)) form->FActiveControl = nullptr;
  TControl::SetVisible(v);
  if (FHandle) ::ShowWindow(FHandle, v ? SW_SHOWNA : SW_HIDE);
  // A control that hides with the focus gives it to the next one.
  if (hadFocus) {
    if (TWinControl* next = form->FindNextControl(this, true, true, false)) next->SetFocus();
    else if (form->FHandle) ::SetFocus(form->FHandle);
  }
}

void TWinControl::Invalidate() {
  if (FHandle) ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update() {
  if (FHandle) ::UpdateWindow(FHandle);
}

// The window procedure of every window of ours and of every subclassed system control.
LRESULT CALLBACK PosWindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  TWinControl* c = TWinControl::FindControl(h);
  if (!c && gCreating) {
    c = gCreating;
    gCreating = nullptr;
    c->Attach(h);
  }
  if (!c) return ::DefWindowProcW(h, msg, w, l);
  TMessage m{msg, w, l, 0};
  try {
    c->WndProc(m);
  } catch (...) {
    // Nothing may unwind into the system's frames: the application shows it and the
    // message counts as handled.
    if (Application) Application->HandleException(c);
  }
  // The handle may be given to another window from now on: whatever the control did
  // with its last message, it is no longer found through it.
  if (msg == WM_NCDESTROY) ControlMap().Remove(h);
  return m.Result;
}

namespace ui_win {
LRESULT CALLBACK PosWindowProcThunk(HWND h, UINT msg, WPARAM w, LPARAM l) { return PosWindowProc(h, msg, w, l); }
}  // namespace ui_win
