// TCustomGrid's window: its styles, what size, font, colour and focus changes do to the
// grid, and WndProc, which hands each message to its handler (in the file of its
// concern) and everything else to the control's own message switch.
#include "ui/Grids.h"

using namespace ui_win;

void TCustomGrid::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style |= WS_TABSTOP | WS_CLIPCHILDREN;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
  if (FBorderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::CreateHandle() {
  TCustomControl::CreateHandle();
  UpdateScrollRange();
}

void TCustomGrid::BoundsChanged(bool sized) {
  TCustomControl::BoundsChanged(sized);
  if (sized) UpdateScrollRange();
}

void TCustomGrid::FontChanged() {
  TCustomControl::FontChanged();
  InvalidateGrid();
}

void TCustomGrid::ColorChanged() {
  TCustomControl::ColorChanged();
  InvalidateGrid();
}

void TCustomGrid::WMSetFocus(TMessage& m) {
  TCustomControl::WMSetFocus(m);
  const HWND from = reinterpret_cast<HWND>(m.WParam);
  if (!FInplaceEdit || !FInplaceEdit->HandleAllocated() || from != FInplaceEdit->Handle()) {
    InvalidateGridRect(Selection());
    UpdateEdit();
  }
}

void TCustomGrid::WMKillFocus(TMessage& m) {
  TCustomControl::WMKillFocus(m);
  InvalidateGridRect(Selection());
  const HWND to = reinterpret_cast<HWND>(m.WParam);
  if (FInplaceEdit && (!FInplaceEdit->HandleAllocated() || to != FInplaceEdit->Handle())) HideEdit();
}

void TCustomGrid::DoExit() {
  TCustomControl::DoExit();
  if (!AlwaysShowEditor(Col())) HideEditor();
}

void TCustomGrid::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE: WMGetDlgCode(m); return;
    case CN_KEYDOWN:
      if (OfferKeyToForm(m)) return;
      break;
    case WM_CHAR: WMChar(m); return;
    case WM_COMMAND: WMCommand(m); break;
    case WM_HSCROLL: case WM_VSCROLL:
      if (WMScroll(m)) return;
      break;
    case WM_MOUSEWHEEL: WMMouseWheel(m); return;
    case WM_NCHITTEST: WMNCHitTest(m); return;
    case WM_LBUTTONDOWN: WMLButtonDown(m); return;
    case WM_TIMER:
      if (WMTimer(m)) return;
      break;
    case WM_CANCELMODE: CancelMode(); break;
    case CM_CANCELMODE:
      // A press elsewhere: the editor closes what it holds open, and sizing, moving or
      // selecting by the mouse ends.
      if (FInplaceEdit) FInplaceEdit->Perform(m.Msg, m.WParam, m.LParam);
      TCustomControl::WndProc(m);
      CancelMode();
      return;
    case WM_CAPTURECHANGED: WMCaptureChanged(m); break;
    default: break;
  }
  TCustomControl::WndProc(m);
}
