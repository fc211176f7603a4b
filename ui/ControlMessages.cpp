// TWinControl's message switch: private handlers, reflected notifications, mouse
// messages passed to graphic children, the cursor and the context menu.
#include "ui/Controls.h"

#include "ui/Forms.h"

using namespace ui_win;

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
