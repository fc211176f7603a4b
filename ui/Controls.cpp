// TControl, TWinControl, TGraphicControl, TCustomControl: the component tree, the
// window procedure and its message switch, layout, focus and keyboard routing.
#include "ui/Controls.h"

#include <algorithm>

#include "ui/Forms.h"

using namespace ui_win;

namespace {

const wchar_t kPropObject[] = L"PosControl";
const wchar_t kPropName[] = L"PosName";

// The control whose window is being created: attached at its window's first message.
thread_local TWinControl* gCreating = nullptr;
int gNextChildId = 1000;

bool IsDialogKey(WORD key) {
  switch (key) {
    case VK_TAB: case VK_RETURN: case VK_ESCAPE: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
      return true;
    default:
      return false;
  }
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

TShiftState KeyboardShiftState() {
  TShiftState s;
  if (::GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (::GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (::GetKeyState(VK_MENU) < 0) s << ssAlt;
  if (::GetKeyState(VK_LBUTTON) < 0) s << ssLeft;
  if (::GetKeyState(VK_RBUTTON) < 0) s << ssRight;
  if (::GetKeyState(VK_MBUTTON) < 0) s << ssMiddle;
  return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState s;
  if (::GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (::GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (keyData & (1 << 29)) s << ssAlt;
  return s;
}

static TShiftState MouseShiftState(WPARAM w) {
  TShiftState s;
  if (w & MK_SHIFT) s << ssShift;
  if (w & MK_CONTROL) s << ssCtrl;
  if (w & MK_LBUTTON) s << ssLeft;
  if (w & MK_RBUTTON) s << ssRight;
  if (w & MK_MBUTTON) s << ssMiddle;
  if (::GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

bool IsAccel(unsigned ch, const AnsiString& caption) {
  auto up = [](unsigned c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; };
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(caption[i]))) { ++i; continue; }
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') { ++i; continue; }
    return up(static_cast<unsigned char>(caption[i + 1])) == up(ch);
  }
  return false;
}

AnsiString StripHotkey(const AnsiString& caption) {
  AnsiString out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(caption[i])) && i + 1 < caption.size()) {
      out += caption[i];
      out += caption[++i];
      continue;
    }
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') { out += '&'; ++i; }
      continue;
    }
    out += caption[i];
  }
  return out;
}

TCustomForm* GetParentForm(const TControl* c) {
  while (c && c->Parent()) c = c->Parent();
  return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

// ============================================================================== TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  FFont.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
  SetComponentState(csDestroying, true);
  if (Application && Application->HintControl() == this) Application->CancelHint();
  if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  TRect old = BoundsRect();
  bool sized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FParent && FParent->HandleAllocated()) {
    RECT r{old.Left, old.Top, old.Right, old.Bottom};
    ::InvalidateRect(FParent->FHandle, &r, TRUE);
  }
  BoundsChanged(sized);
}

void TControl::BoundsChanged(bool sized) {
  if (!FParent || !FParent->FAligning) UpdateAnchorRules();
  Invalidate();
  if (sized) Resize();
  RequestAlign();
}

void TControl::UpdateAnchorRules() {
  if (!FParent) return;
  TRect r = FParent->ClientRect();
  FAnchorRight = r.Width() - (FLeft + FWidth);
  FAnchorBottom = r.Height() - (FTop + FHeight);
}

void TControl::RequestAlign() {
  if (FParent && FAlign != alNone) FParent->Realign(this);
}

TPoint TControl::ClientOrigin() const {
  if (auto* w = dynamic_cast<const TWinControl*>(this); w && w->HandleAllocated()) {
    POINT p{0, 0};
    ::ClientToScreen(w->FHandle, &p);
    return {p.x, p.y};
  }
  if (!FParent) return {FLeft, FTop};
  TPoint o = FParent->ClientOrigin();
  return {o.X + FLeft, o.Y + FTop};
}

TPoint TControl::ClientToScreen(TPoint p) const {
  TPoint o = ClientOrigin();
  return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  TPoint o = ClientOrigin();
  return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign v) {
  if (v == FAlign) return;
  TAlign old = FAlign;
  FAlign = v;
  if (v == alNone && old != alNone) UpdateAnchorRules();
  if (FParent) FParent->Realign(this);
}

void TControl::SetAnchors(TAnchors v) {
  if (v == FAnchors) return;
  FAnchors = v;
  UpdateAnchorRules();
}

bool TControl::Showing() const {
  if (!FVisible) return false;
  return FParent ? FParent->Showing() : false;
}

void TControl::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  if (FParent && FParent->HandleAllocated()) {
    RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    ::InvalidateRect(FParent->FHandle, &r, TRUE);
  }
  VisibleChanged();
  Perform(CM_VISIBLECHANGED, v);
  if (FParent && FAlign != alNone) FParent->Realign(this);
}

void TControl::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  EnabledChanged();
  Perform(CM_ENABLEDCHANGED);
}

void TControl::EnabledChanged() { Invalidate(); }

void TControl::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  FParentColor = false;
  ColorChanged();
}

void TControl::SetParentColor(bool v) {
  if (v == FParentColor) return;
  FParentColor = v;
  if (v && FParent && FParent->FColor != FColor) {
    FColor = FParent->FColor;
    ColorChanged();
  }
}

// Tells the child controls (of a windowed control) that a property they may take from
// their parent changed.
void TControl::NotifyChildren(UINT msg) {
  if (auto* w = dynamic_cast<TWinControl*>(this)) {
    TMessage m{msg};
    for (TControl* c : w->FControls) c->WndProc(m);
  }
}

void TControl::ColorChanged() {
  Invalidate();
  Perform(CM_COLORCHANGED);
  NotifyChildren(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool v) {
  if (v == FParentFont) return;
  FParentFont = v;
  if (v && FParent && !FFont.SameAs(FParent->FFont)) {
    FFontFromParent = true;
    FFont.Assign(&FParent->FFont);
    FFontFromParent = false;
  }
}

void TControl::FontChanged() {
  if (!FFontFromParent) FParentFont = false;
  Invalidate();
  Perform(CM_FONTCHANGED);
  NotifyChildren(CM_PARENTFONTCHANGED);
}

void TControl::CMParentFontChanged(TMessage&) {
  if (!FParentFont || !FParent) return;
  FFontFromParent = true;
  FFont.Assign(&FParent->FFont);
  FFontFromParent = false;
}

void TControl::CMParentColorChanged(TMessage&) {
  if (!FParentColor || !FParent || FParent->FColor == FColor) return;
  FColor = FParent->FColor;
  FParentColor = true;
  Invalidate();
  Perform(CM_COLORCHANGED);
  NotifyChildren(CM_PARENTCOLORCHANGED);
}

void TControl::SetShowHint(bool v) {
  if (v == FShowHint) return;
  FShowHint = v;
  FParentShowHint = false;
  NotifyChildren(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool v) {
  if (v == FParentShowHint) return;
  FParentShowHint = v;
  if (v && FParent) FShowHint = FParent->FShowHint;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!FParentShowHint || !FParent) return;
  FShowHint = FParent->FShowHint;
  NotifyChildren(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetText(const AnsiString& v) {
  if (v == GetText()) return;
  SetTextCore(v);
  TextChanged();
  Perform(CM_TEXTCHANGED);
}

void TControl::Invalidate() {
  if (FParent && FParent->HandleAllocated() && FVisible) {
    RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    ::InvalidateRect(FParent->FHandle, &r, !FControlStyle.Contains(csOpaque));
  }
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& v = FParent->FControls;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  v.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    ::SetWindowPos(w->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& v = FParent->FControls;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  v.insert(v.begin(), this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    ::SetWindowPos(w->FHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::Click() {
  if (OnClick && !Destroying()) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick && !Destroying()) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, b, s, x, y);
}

void TControl::MouseMove(TShiftState s, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, s, x, y);
}

void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, b, s, x, y);
}

void TControl::Resize() {
  if (OnResize && !Destroying()) OnResize(this);
}

// Mouse messages of a control; coordinates are in its client area. The inherited
// (system) handling has already run for windowed controls.
void TControl::WMMouse(TMessage& m) {
  int x = static_cast<short>(LOWORD(m.LParam));
  int y = static_cast<short>(HIWORD(m.LParam));
  TShiftState s = MouseShiftState(m.WParam);
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (FControlStyle.Contains(csClickEvents)) SetControlState(csClicked, true);
      SetControlState(csLButtonDown, true);
      if (m.Msg == WM_LBUTTONDBLCLK) {
        s << ssDouble;
        if (FControlStyle.Contains(csDoubleClicks)) DblClick();
      }
      MouseDown(mbLeft, s, x, y);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, s, x, y);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      MouseDown(mbMiddle, s, x, y);
      break;
    case WM_LBUTTONUP: {
      bool clicked = FControlState.Contains(csClicked);
      SetControlState(csClicked, false);
      SetControlState(csLButtonDown, false);
      MouseUp(mbLeft, s, x, y);
      if (clicked && x >= 0 && y >= 0 && x < FWidth && y < FHeight) Click();
      break;
    }
    case WM_RBUTTONUP:
      MouseUp(mbRight, s, x, y);
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, s, x, y);
      break;
    case WM_MOUSEMOVE:
      if (Application) Application->HintMouseMessage(this, {x, y});
      MouseMove(s, x, y);
      break;
  }
}

void TControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      DefaultHandler(m);
      if (FEnabled || m.Msg == WM_MOUSEMOVE) WMMouse(m);
      return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); return;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); return;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(m); return;
    default:
      DefaultHandler(m);
  }
}

// ============================================================================ TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  FControlStyle << csAcceptsControls;
}

TWinControl::~TWinControl() {
  SetComponentState(csDestroying, true);
  // A control that goes with the focus leaves it to its form, and the form forgets it
  // as its active control (with no exit events: the control is half gone).
  if (TCustomForm* form = GetParentForm(this); form && form != this) {
    if (form->FActiveControl && ContainsControl(form->FActiveControl)) form->FActiveControl = nullptr;
    if (form->FFocusedControl && ContainsControl(form->FFocusedControl)) {
      form->FFocusedControl = nullptr;
      HWND focus = ::GetFocus();
      if (FHandle && form->FHandle && focus && (focus == FHandle || ::IsChild(FHandle, focus))) {
        ::SetFocus(form->FHandle);
      }
    }
  }
  // Children go first; then our window, with no object left listening to it.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
  if (FHandle) {
    DestroyWnd();
    HWND h = FHandle;
    DetachTree();
    ::DestroyWindow(h);
  }
}

TWinControl* TWinControl::FindControl(HWND h) {
  if (!h) return nullptr;
  return static_cast<TWinControl*>(::GetPropW(h, kPropObject));
}

TWinControl* TWinControl::FindOwningControl(HWND h) {
  while (h) {
    if (TWinControl* c = FindControl(h)) return c;
    if (!(::GetWindowLongW(h, GWL_STYLE) & WS_CHILD)) return nullptr;
    h = ::GetParent(h);
  }
  return nullptr;
}

void TWinControl::InsertControl(TControl* c) {
  c->FParent = this;
  FControls.push_back(c);
  if (auto* w = dynamic_cast<TWinControl*>(c)) FTabList.push_back(w);
  if (c->FParentFont && !c->FFont.SameAs(FFont)) {
    c->FFontFromParent = true;
    c->FFont.Assign(&FFont);
    c->FFontFromParent = false;
  }
  if (c->FParentColor && c->FColor != FColor) {
    c->FColor = FColor;
  }
  if (c->FParentShowHint) c->FShowHint = FShowHint;
  c->UpdateAnchorRules();
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    if (FHandle && !w->FHandle) w->CreateHandle();
  } else {
    c->Invalidate();
  }
  if (c->FAlign != alNone) Realign(c);
}

void TWinControl::RemoveControl(TControl* c) {
  // `c` may be half destroyed (its own destructor called us): compare pointers only.
  if (auto* form = GetParentForm(this)) {
    auto inside = [c](TWinControl* w) {
      for (const TControl* x = w; x; x = x->Parent())
        if (x == c) return true;
      return false;
    };
    if (form->FActiveControl && inside(form->FActiveControl)) form->FActiveControl = nullptr;
    if (form->FFocusedControl && inside(form->FFocusedControl)) form->FFocusedControl = nullptr;
  }
  if (FMouseControl == c) FMouseControl = nullptr;
  if (FHoverControl == c) FHoverControl = nullptr;
  if (FHandle && c->FVisible) {
    RECT r{c->FLeft, c->FTop, c->FLeft + c->FWidth, c->FTop + c->FHeight};
    ::InvalidateRect(FHandle, &r, TRUE);
  }
  FControls.erase(std::remove(FControls.begin(), FControls.end(), c), FControls.end());
  FTabList.erase(std::remove_if(FTabList.begin(), FTabList.end(),
                                [c](TWinControl* w) { return static_cast<TControl*>(w) == c; }),
                 FTabList.end());
  if (!c->Destroying())
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FHandle) w->DestroyHandle();
  c->FParent = nullptr;
  if (c->FAlign != alNone && !Destroying()) Realign();
}

bool TWinControl::ContainsControl(const TControl* c) const {
  while (c) {
    if (c == this) return true;
    c = c->Parent();
  }
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c)) continue;
    if (c->FVisible && (allowDisabled || c->FEnabled) && c->BoundsRect().Contains(p)) return c;
  }
  return nullptr;
}

// --- windows --------------------------------------------------------------------------------

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

// --- layout ------------------------------------------------------------------------------------

void TWinControl::Realign(TControl* AControl) {
  if (FAlignLevel > 0 || FAligning) {
    FAlignPending = true;
    return;
  }
  FAlignPending = false;
  TRect r = ClientRect();
  AdjustClientRect(r);
  AlignControls(AControl, r);
}

void TWinControl::AlignControls(TControl* AControl, TRect& r) {
  FAligning = true;
  struct Reset { bool& f; ~Reset() { f = false; } } reset{FAligning};
  auto place = [&](TAlign a) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->FAlign == a && c->FVisible) list.push_back(c);
    auto key = [a](TControl* c) {
      switch (a) {
        case alTop: return c->FTop;
        case alBottom: return -(c->FTop + c->FHeight);
        case alLeft: return c->FLeft;
        case alRight: return -(c->FLeft + c->FWidth);
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) {
      int kx = key(x), ky = key(y);
      if (kx != ky) return kx < ky;
      return x == AControl && y != AControl;
    });
    for (TControl* c : list) {
      switch (a) {
        case alTop:
          c->SetBounds(r.Left, r.Top, r.Width(), c->FHeight);
          r.Top += c->FHeight;
          break;
        case alBottom:
          c->SetBounds(r.Left, r.Bottom - c->FHeight, r.Width(), c->FHeight);
          r.Bottom -= c->FHeight;
          break;
        case alLeft:
          c->SetBounds(r.Left, r.Top, c->FWidth, r.Height());
          r.Left += c->FWidth;
          break;
        case alRight:
          c->SetBounds(r.Right - c->FWidth, r.Top, c->FWidth, r.Height());
          r.Right -= c->FWidth;
          break;
        case alClient:
          c->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
          break;
        default:
          break;
      }
    }
  };
  place(alTop);
  place(alBottom);
  place(alLeft);
  place(alRight);
  place(alClient);
  // Anchored controls keep their distances to the right and bottom edges.
  TRect client = ClientRect();
  for (TControl* c : FControls) {
    if (c->FAlign != alNone) continue;
    TAnchors a = c->FAnchors;
    int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
    if (a.Contains(akRight)) {
      if (a.Contains(akLeft)) w = std::max(0, client.Width() - c->FAnchorRight - l);
      else l = client.Width() - c->FAnchorRight - w;
    }
    if (a.Contains(akBottom)) {
      if (a.Contains(akTop)) h = std::max(0, client.Height() - c->FAnchorBottom - t);
      else t = client.Height() - c->FAnchorBottom - h;
    }
    c->SetBounds(l, t, w, h);
  }
}

// --- focus and tab order ----------------------------------------------------------------------

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  auto& v = Parent()->FTabList;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TWinControl::SetTabOrder(int v) {
  if (!Parent()) return;
  auto& list = Parent()->FTabList;
  int cur = TabOrder();
  if (cur < 0) return;
  int n = static_cast<int>(list.size());
  if (v < 0 || v >= n) v = n - 1;
  if (v == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + v, this);
}

void TWinControl::SetTabStop(bool v) {
  if (v == FTabStop) return;
  FTabStop = v;
  if (FHandle) {
    LONG s = ::GetWindowLongW(FHandle, GWL_STYLE);
    ::SetWindowLongW(FHandle, GWL_STYLE, v ? (s | WS_TABSTOP) : (s & ~WS_TABSTOP));
  }
}

bool TWinControl::CanFocus() const {
  // The form's own visibility is not asked: a control of a form about to be shown can
  // be made its ActiveControl.
  const TControl* c = this;
  while (c) {
    if (dynamic_cast<const TCustomForm*>(c)) return true;
    if (!c->Visible() || !c->Enabled()) return false;
    c = c->Parent();
  }
  return true;
}

bool TWinControl::Focused() const {
  if (!FHandle) return false;
  HWND f = ::GetFocus();
  return f == FHandle;
}

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (form && form != this && (!form->Visible() || !form->FActive)) {
    form->FActiveControl = this;
    if (form->HandleAllocated() && form->Visible() && ::GetActiveWindow() == form->FHandle) ::SetFocus(Handle());
    return;
  }
  ::SetFocus(Handle());
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : FTabList) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[i] == current) start = i;
  if (start < 0) start = forward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = forward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[i];
    if (c == current) break;
    if (checkTabStop && !c->FTabStop) continue;
    if (checkParent && c->Parent() != this) continue;
    if (c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, forward, checkTabStop, false);
  if (next) next->SetFocus();
}

void TWinControl::DoEnter() {
  if (OnEnter && !Destroying()) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit && !Destroying()) OnExit(this);
}

void TWinControl::WMSetFocus(TMessage& m) {
  DefaultHandler(m);
  if (TCustomForm* form = GetParentForm(this); form && form != this) form->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage& m) { DefaultHandler(m); }

// --- keyboard ----------------------------------------------------------------------------------

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

// The form sees the key first when it has KeyPreview; then the control. True when the
// key was taken (set to 0) by one of them.
bool TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    form->KeyDown(key, shift);
    if (key == 0) return true;
  }
  KeyDown(key, shift);
  return key == 0;
}

bool TWinControl::DoKeyPress(char& key) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    form->KeyPress(key);
    if (key == 0) return true;
  }
  KeyPress(key);
  return key == 0;
}

bool TWinControl::DoKeyUp(WORD& key, TShiftState shift) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    form->KeyUp(key, shift);
    if (key == 0) return true;
  }
  KeyUp(key, shift);
  return key == 0;
}

bool TWinControl::WantsKey(WORD key, const MSG* msg) {
  HWND target = msg && msg->hwnd ? msg->hwnd : FHandle;
  if (!target) return false;
  LRESULT code = ::SendMessageW(target, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(msg));
  if (code & DLGC_WANTALLKEYS) return true;
  switch (key) {
    case VK_TAB: return (code & DLGC_WANTTAB) != 0;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: return (code & DLGC_WANTARROWS) != 0;
    default: return false;
  }
}

bool TWinControl::WantsChars() {
  if (!FHandle) return false;
  return (::SendMessageW(FHandle, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) != 0;
}

char TWinControl::CharToKey(WPARAM ch) {
  if (ch < 0x80) return static_cast<char>(ch);
  wchar_t w = static_cast<wchar_t>(ch);
  AnsiString a = Ansi(&w, 1);
  return a.empty() ? '?' : a[0];
}

// Before translation: key events (form preview first), then the dialog keys the control
// does not take itself. A non-zero Result means the key was used up: it is neither
// translated (no WM_CHAR follows) nor dispatched to the window.
void TWinControl::CNKeyDown(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  TShiftState shift = KeyDataToShiftState(m.LParam);
  if (DoKeyDown(key, shift)) {
    m.Result = 1;
    return;
  }
  m.WParam = key;
  if (IsDialogKey(key) && !Destroying()) {
    // Asked of the window that has the focus (a combo box's inner edit, for one).
    HWND focus = ::GetFocus();
    HWND target = (focus && (focus == FHandle || ::IsChild(FHandle, focus))) ? focus : FHandle;
    MSG msg{target, WM_KEYDOWN, m.WParam, m.LParam, 0, {0, 0}};
    if (!WantsKey(key, &msg)) {
      if (TCustomForm* form = GetParentForm(this)) {
        if (form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) {
          m.Result = 1;
          return;
        }
      }
    }
  }
  m.Result = 0;
}

void TWinControl::CNChar(TMessage& m) {
  char key = CharToKey(m.WParam);
  char before = key;
  if (DoKeyPress(key)) {
    m.Result = 1;
    return;
  }
  if (key != before) m.WParam = static_cast<unsigned char>(key);
  // A letter typed where characters mean nothing (a button has the focus) may be an
  // accelerator: "&S" fires on S as well as on Alt+S.
  if (!WantsChars() && static_cast<unsigned char>(key) > ' ') {
    if (TCustomForm* form = GetParentForm(this); form && form != this &&
        form->Perform(CM_DIALOGCHAR, static_cast<unsigned char>(key), m.LParam) != 0) {
      m.Result = 1;
      return;
    }
  }
  m.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  if (DoKeyUp(key, KeyDataToShiftState(m.LParam))) {
    m.Result = 1;
    return;
  }
  m.WParam = key;
  m.Result = 0;
}

void TWinControl::CNSysKeyDown(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  if (key == VK_MENU || key == VK_F10) { m.Result = 0; return; }
  if (DoKeyDown(key, KeyDataToShiftState(m.LParam))) {
    m.Result = 1;
    return;
  }
  m.WParam = key;
  m.Result = 0;
}

// Alt+letter: the accelerators of the form's controls.
void TWinControl::CNSysChar(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0) {
    m.Result = 1;
    return;
  }
  m.Result = 0;
}

// --- painting ----------------------------------------------------------------------------------

HBRUSH TWinControl::ColorBrush() {
  if (!FColorBrush.get() || FColorBrushColor != FColor) {
    FColorBrush.reset(::CreateSolidBrush(ColorToRGB(FColor)));
    FColorBrushColor = FColor;
  }
  return FColorBrush.get();
}

void TWinControl::CNCtlColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  ::SetTextColor(dc, ColorToRGB(FFont.Color()));
  ::SetBkColor(dc, ColorToRGB(FColor));
  m.Result = reinterpret_cast<LRESULT>(ColorBrush());
}

void TWinControl::PaintBackground(HDC dc) {
  RECT r;
  ::GetClientRect(FHandle, &r);
  ::FillRect(dc, &r, ColorBrush());
}

void TWinControl::PaintControls(HDC dc) {
  for (TControl* c : FControls) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (!g || !g->Visible()) continue;
    int saved = ::SaveDC(dc);
    POINT org;
    ::GetWindowOrgEx(dc, &org);
    ::IntersectClipRect(dc, g->Left(), g->Top(), g->Left() + g->Width(), g->Top() + g->Height());
    ::SetWindowOrgEx(dc, org.x - g->Left(), org.y - g->Top(), nullptr);
    g->PaintOn(dc);
    ::RestoreDC(dc, saved);
  }
}

// Paints background, content and graphic children into dc, double-buffered when asked.
void TWinControl::PaintHandler(HDC dc, const RECT* clip) {
  RECT cr;
  ::GetClientRect(FHandle, &cr);
  if (FDoubleBuffered && cr.right > 0 && cr.bottom > 0) {
    HDC mem = ::CreateCompatibleDC(dc);
    GdiObject<HBITMAP> bmp(::CreateCompatibleBitmap(dc, cr.right, cr.bottom));
    {
      Selected sel(mem, bmp.get());
      PaintBackground(mem);
      PaintWindow(mem);
      PaintControls(mem);
      if (clip)
        ::BitBlt(dc, clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top, mem, clip->left,
                 clip->top, SRCCOPY);
      else
        ::BitBlt(dc, 0, 0, cr.right, cr.bottom, mem, 0, 0, SRCCOPY);
    }
    ::DeleteDC(mem);
  } else {
    PaintBackground(dc);
    PaintWindow(dc);
    PaintControls(dc);
  }
}

void TWinControl::WMPaint(TMessage& m) {
  if (FDefWndProc != ::DefWindowProcW) {
    DefaultHandler(m);  // a system control paints itself
    return;
  }
  if (m.WParam) {
    PaintHandler(reinterpret_cast<HDC>(m.WParam), nullptr);
    return;
  }
  PaintDC pdc(FHandle);
  PaintHandler(pdc.dc(), &pdc.rect());
}

void TWinControl::WMEraseBkgnd(TMessage& m) {
  if (FDefWndProc != ::DefWindowProcW) {
    DefaultHandler(m);
    return;
  }
  m.Result = 1;  // the paint fills the background itself
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
  HandleNeeded();
  if (FDefWndProc == ::DefWindowProcW) {
    int saved = ::SaveDC(dc);
    ::SetWindowOrgEx(dc, -x, -y, nullptr);
    RECT cr;
    ::GetClientRect(FHandle, &cr);
    ::IntersectClipRect(dc, 0, 0, cr.right, cr.bottom);
    bool saveBuffered = FDoubleBuffered;
    FDoubleBuffered = false;
    PaintHandler(dc, nullptr);
    FDoubleBuffered = saveBuffered;
    ::RestoreDC(dc, saved);
  } else {
    // A system control prints itself into a picture of its own, at the origin, which
    // is then copied into place: not every system control honours a moved origin.
    RECT wr, cr;
    ::GetWindowRect(FHandle, &wr);
    ::GetClientRect(FHandle, &cr);
    POINT co{0, 0};
    ::ClientToScreen(FHandle, &co);
    int ww = wr.right - wr.left, wh = wr.bottom - wr.top;
    if (ww > 0 && wh > 0) {
      TBitmap whole(ww, wh);
      HDC t = whole.DC();
      ::SendMessageW(FHandle, WM_PRINT, reinterpret_cast<WPARAM>(t), PRF_NONCLIENT);
      if (::GetWindowLongW(FHandle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        RECT edge{0, 0, ww, wh};
        ::DrawEdge(t, &edge, EDGE_SUNKEN, BF_RECT);
      }
      if (cr.right > 0 && cr.bottom > 0) {
        TBitmap client(cr.right, cr.bottom);
        ::SendMessageW(FHandle, WM_PRINT, reinterpret_cast<WPARAM>(client.DC()), PRF_CLIENT | PRF_ERASEBKGND);
        ::BitBlt(t, co.x - wr.left, co.y - wr.top, cr.right, cr.bottom, client.DC(), 0, 0, SRCCOPY);
      }
      ::BitBlt(dc, x, y, ww, wh, t, 0, 0, SRCCOPY);
    }
  }
  // Windowed children over us, bottom of the z-order first.
  for (TControl* c : FControls) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->Visible() || !w->FHandle || !::IsWindowVisible(w->FHandle)) continue;
    RECT r;
    ::GetWindowRect(w->FHandle, &r);
    POINT p{r.left, r.top};
    ::ScreenToClient(FHandle, &p);
    int s2 = ::SaveDC(dc);
    ::IntersectClipRect(dc, x + p.x, y + p.y, x + p.x + (r.right - r.left), y + p.y + (r.bottom - r.top));
    w->PaintTo(dc, x + p.x, y + p.y);
    ::RestoreDC(dc, s2);
  }
}

void TWinControl::WMSetCursor(TMessage& m) {
  if (LOWORD(m.LParam) == HTCLIENT && reinterpret_cast<HWND>(m.WParam) == FHandle) {
    TCursor cur = Screen ? Screen->Cursor() : crDefault;
    if (cur == crDefault) {
      POINT p;
      ::GetCursorPos(&p);
      ::ScreenToClient(FHandle, &p);
      TControl* g = ControlAtPos({p.x, p.y}, false);
      cur = g ? g->Cursor() : Cursor();
    }
    if (cur != crDefault) {
      ::SetCursor(CursorHandle(cur));
      m.Result = 1;
      return;
    }
    if (FDefWndProc == ::DefWindowProcW) {
      ::SetCursor(CursorHandle(crArrow));
      m.Result = 1;
      return;
    }
  }
  DefaultHandler(m);
}

void TWinControl::WMContextMenu(TMessage& m) {
  if (OnContextPopup) {
    POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
    if (FHandle) ::ScreenToClient(FHandle, &p);
    bool handled = false;
    OnContextPopup(this, {p.x, p.y}, handled);
    if (handled) { m.Result = 1; return; }
  }
  DefaultHandler(m);
}

// --- messages ----------------------------------------------------------------------------------

void TWinControl::Broadcast(TMessage& m) {
  for (size_t i = 0; i < FControls.size(); ++i) {
    FControls[i]->WndProc(m);
    if (m.Result != 0) return;
  }
}

void TWinControl::RegisterMessageHandler(UINT msg, TMessageHandler handler) {
  FMessageHandlers[msg] = std::move(handler);
}

void TWinControl::UnregisterMessageHandler(UINT msg) { FMessageHandlers.erase(msg); }

void TWinControl::ReflectToChild(TMessage& m, HWND child) {
  if (TWinControl* c = FindControl(child); c && c != this) {
    TMessage r{CN_BASE + m.Msg, m.WParam, m.LParam, 0};
    c->WndProc(r);
    m.Result = r.Result;
    if (m.Msg >= WM_CTLCOLORMSGBOX && m.Msg <= WM_CTLCOLORSTATIC && r.Result == 0) DefaultHandler(m);
    return;
  }
  DefaultHandler(m);
}

// Tells graphic children that the mouse came over them or left them.
void TWinControl::UpdateHover(TPoint p) {
  TControl* t = ControlAtPos(p, false);
  if (t == FHoverControl) return;
  if (FHoverControl) FHoverControl->Perform(CM_MOUSELEAVE);
  FHoverControl = t;
  if (t) {
    t->Perform(CM_MOUSEENTER);
    if (!FTrackingLeave) {
      TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, FHandle, 0};
      FTrackingLeave = ::TrackMouseEvent(&tme) != FALSE;
    }
  }
}

// Passes the mouse message to the graphic child under the mouse (or holding it).
bool TWinControl::ForwardMouseToGraphic(TMessage& m) {
  POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  TControl* target = FMouseControl;
  if (!target) target = ControlAtPos({p.x, p.y}, false);
  if (!target) return false;
  bool down = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_MBUTTONDOWN ||
              m.Msg == WM_LBUTTONDBLCLK;
  bool up = m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP || m.Msg == WM_MBUTTONUP;
  if (down && target->ControlStyle().Contains(csCaptureMouse)) {
    FMouseControl = target;
    ::SetCapture(FHandle);
  }
  TMessage fm{m.Msg, m.WParam, MAKELPARAM(p.x - target->Left(), p.y - target->Top()), 0};
  target->WndProc(fm);
  if (up && FMouseControl) {
    FMouseControl = nullptr;
    if (::GetCapture() == FHandle) ::ReleaseCapture();
  }
  m.Result = fm.Result;
  return true;
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!FHandle) return;
  WNDPROC proc = FDefWndProc ? FDefWndProc : ::DefWindowProcW;
  m.Result = ::CallWindowProcW(proc, FHandle, m.Msg, m.WParam, m.LParam);
}

void TWinControl::WndProc(TMessage& m) {
  if (!FMessageHandlers.empty()) {
    auto it = FMessageHandlers.find(m.Msg);
    if (it != FMessageHandlers.end()) {
      auto handler = it->second;  // a handler may unregister itself
      handler(m);
      return;
    }
  }
  switch (m.Msg) {
    case WM_COMMAND:
      if (m.LParam) { ReflectToChild(m, reinterpret_cast<HWND>(m.LParam)); return; }
      break;
    case WM_NOTIFY:
      ReflectToChild(m, reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom);
      return;
    case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
      ReflectToChild(m, reinterpret_cast<HWND>(m.LParam));
      return;
    case WM_DRAWITEM:
      ReflectToChild(m, reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam)->hwndItem);
      return;
    case WM_HSCROLL: case WM_VSCROLL:
      if (m.LParam) { ReflectToChild(m, reinterpret_cast<HWND>(m.LParam)); return; }
      break;
    case CN_KEYDOWN: CNKeyDown(m); return;
    case CN_CHAR: CNChar(m); return;
    case CN_KEYUP: CNKeyUp(m); return;
    case CN_SYSKEYDOWN: CNSysKeyDown(m); return;
    case CN_SYSCHAR: CNSysChar(m); return;
    case CN_SYSKEYUP: m.Result = 0; return;
    case CN_COMMAND: CNCommand(m); return;
    case CN_NOTIFY: CNNotify(m); return;
    case CN_CTLCOLOREDIT: case CN_CTLCOLORSTATIC: case CN_CTLCOLORLISTBOX: case CN_CTLCOLORBTN:
      CNCtlColor(m);
      return;
    case WM_SETFOCUS: WMSetFocus(m); return;
    case WM_KILLFOCUS: WMKillFocus(m); return;
    case WM_PAINT: WMPaint(m); return;
    case WM_PRINTCLIENT:
      if (FDefWndProc == ::DefWindowProcW) { PaintHandler(reinterpret_cast<HDC>(m.WParam), nullptr); return; }
      break;
    case WM_ERASEBKGND: WMEraseBkgnd(m); return;
    case WM_SETCURSOR: WMSetCursor(m); return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(m); return;
    case WM_CONTEXTMENU: WMContextMenu(m); return;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      UpdateHover({static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))});
      if (ForwardMouseToGraphic(m)) return;
      break;
    case WM_MOUSELEAVE:
      FTrackingLeave = false;
      if (FHoverControl) FHoverControl->Perform(CM_MOUSELEAVE);
      FHoverControl = nullptr;
      break;
    case WM_CAPTURECHANGED:
      FMouseControl = nullptr;
      break;
    case CM_ENTER: CMEnter(m); return;
    case CM_EXIT: CMExit(m); return;
    case CM_DIALOGKEY: CMDialogKey(m); return;
    case CM_DIALOGCHAR: CMDialogChar(m); return;
    case WM_NCDESTROY: {
      DefaultHandler(m);
      Detach();
      return;
    }
    default:
      break;
  }
  TControl::WndProc(m);
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
  return m.Result;
}

namespace ui_win {
LRESULT CALLBACK PosWindowProcThunk(HWND h, UINT msg, WPARAM w, LPARAM l) { return PosWindowProc(h, msg, w, l); }
}  // namespace ui_win

// ========================================================================= graphic/custom

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}

void TGraphicControl::PaintOn(HDC dc) {
  CanvasOnDC on(FCanvas, dc);
  FCanvas.Font()->Assign(&FFont);
  Paint();
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TCustomControl::PaintWindow(HDC dc) {
  CanvasOnDC on(FCanvas, dc);
  FCanvas.Font()->Assign(&FFont);
  FCanvas.Brush()->SetColor(FColor);
  Paint();
}
