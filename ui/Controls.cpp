// TControl: the base of every control, windowed or not (bounds, visibility, colour and
// font taken from the parent, hints, mouse events and its message switch), and the
// shift-state and accelerator helpers shared by the framework.
#include "ui/Controls.h"

#include "ui/Forms.h"

using namespace ui_win;

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

namespace {
// A press on a control: the form's active control hears of it before the press is handled.
void SendCancelMode(TControl* pressed) {
  TCustomForm* form = GetParentForm(pressed);
  if (form && form->ActiveControl())
    form->ActiveControl()->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(pressed));
}
}  // namespace

// Mouse messages of a control; coordinates are in its client area. The inherited
// (system) handling has already run for windowed controls.
void TControl::WMMouse(TMessage& m) {
  int x = static_cast<short>(LOWORD(m.LParam));
  int y = static_cast<short>(HIWORD(m.LParam));
  TShiftState s = MouseShiftState(m.WParam);
  switch (m.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK:
      SendCancelMode(this);
      break;
    default: break;
  }
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
