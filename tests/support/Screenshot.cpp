// Rendering controls into bitmaps and PNG files.
#include "tests/support/Screenshot.h"

#include "rtl/PngWriter.h"
#include "ui/Forms.h"

using namespace ui_win;

void RenderControl(TWinControl* control, TBitmap& out, bool withFrame) {
  HWND h = control->Handle();
  RECT wr, cr;
  ::GetWindowRect(h, &wr);
  ::GetClientRect(h, &cr);
  POINT origin{0, 0};
  ::ClientToScreen(h, &origin);
  bool frame = withFrame && (::GetWindowLongW(h, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
  int w = frame ? wr.right - wr.left : cr.right;
  int hgt = frame ? wr.bottom - wr.top : cr.bottom;
  out.SetSize(w, hgt);
  TCanvas* c = out.Canvas();
  HDC dc = c->Handle();
  int cx = 0, cy = 0;
  if (frame) {
    cx = origin.x - wr.left;
    cy = origin.y - wr.top;
    // The frame and title bar as the system draws them, then our client area over it.
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(Rect(0, 0, w, hgt));
    ::SendMessageW(h, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT);
    // A title bar that the system did not draw is drawn here: caption colour and text.
    COLORREF probe = ::GetPixel(dc, w / 2, cy / 2);
    if (probe == ColorToRGB(clBtnFace)) {
      TRect title = Rect(3, 3, w - 3, cy - 1);
      c->Brush()->SetColor(clActiveCaption);
      c->FillRect(title);
      TFont f;
      f.SetName("宋体");
      f.SetHeight(-12);
      f.SetStyle({fsBold});
      f.SetColor(clCaptionText);
      c->Font()->Assign(&f);
      c->Brush()->SetStyle(bsClear);
      title.Left += 4;
      c->DrawText(control->Caption(), title, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
      TRect edge = Rect(0, 0, w, hgt);
      c->DrawEdge(edge, EDGE_RAISED, BF_RECT);
    }
  }
  control->PaintTo(dc, cx, cy);
  ::GdiFlush();
}

void SaveScreenshot(TWinControl* control, const std::string& pngPath, bool withFrame) {
  TBitmap bmp;
  RenderControl(control, bmp, withFrame);
  png::WriteFile(pngPath, bmp.Width(), bmp.Height(), bmp.PixelsRGB());
}
