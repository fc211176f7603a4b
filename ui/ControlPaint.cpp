// Painting: TWinControl's background, content and graphic children (double-buffered
// when asked), printing a control tree into a DC, and the paint routines of
// TGraphicControl and TCustomControl on their canvases.
#include "ui/Controls.h"

#include "ui/Forms.h"

using namespace ui_win;

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
    SavedDC saved(dc);
    POINT org;
    ::GetWindowOrgEx(dc, &org);
    ::IntersectClipRect(dc, g->Left(), g->Top(), g->Left() + g->Width(), g->Top() + g->Height());
    ::SetWindowOrgEx(dc, org.x - g->Left(), org.y - g->Top(), nullptr);
    g->PaintOn(dc);
  }
}

// Paints background, content and graphic children into dc, double-buffered when asked.
void TWinControl::PaintHandler(HDC dc, const RECT* clip) {
  RECT cr;
  ::GetClientRect(FHandle, &cr);
  if (FDoubleBuffered && cr.right > 0 && cr.bottom > 0) {
    BackBuffer buffer(dc, cr.right, cr.bottom);
    if (buffer.Valid()) {
      PaintBackground(buffer.dc());
      PaintWindow(buffer.dc());
      PaintControls(buffer.dc());
      buffer.CopyTo(dc, clip ? *clip : cr);
      return;
    }
  }
  PaintBackground(dc);
  PaintWindow(dc);
  PaintControls(dc);
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
    SavedDC saved(dc);
    ::SetWindowOrgEx(dc, -x, -y, nullptr);
    RECT cr;
    ::GetClientRect(FHandle, &cr);
    ::IntersectClipRect(dc, 0, 0, cr.right, cr.bottom);
    // Straight into dc, whatever the control paints on screen; DoubleBuffered comes
    // back also when the paint throws.
    struct Unbuffered {
      bool& flag;
      bool was;
      ~Unbuffered() { flag = was; }
    } unbuffered{FDoubleBuffered, FDoubleBuffered};
    FDoubleBuffered = false;
    PaintHandler(dc, nullptr);
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
    SavedDC saved(dc);
    ::IntersectClipRect(dc, x + p.x, y + p.y, x + p.x + (r.right - r.left), y + p.y + (r.bottom - r.top));
    w->PaintTo(dc, x + p.x, y + p.y);
  }
}

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
