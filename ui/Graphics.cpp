// Fonts, pens, brushes, canvas and bitmap over GDI.
#include "ui/Graphics.h"

#include <algorithm>
#include <cstring>

using namespace ui_win;

COLORREF ColorToRGB(TColor c) {
  if (c == clNone || c == clDefault) return RGB(0, 0, 0);
  if (c & clSystemColor) return ::GetSysColor(c & 0xFF);
  return static_cast<COLORREF>(c & 0xFFFFFF);
}

HCURSOR CursorHandle(TCursor c) {
  const wchar_t* id = IDC_ARROW;
  switch (c) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: case crSQLWait: id = IDC_WAIT; break;
    case crNo: case crNoDrop: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
  }
  return ::LoadCursorW(nullptr, id);
}

int ScreenPixelsPerInch() {
  static int ppi = [] {
    WindowDC dc;
    int v = ::GetDeviceCaps(dc.dc(), LOGPIXELSY);
    return v > 0 ? v : 96;
  }();
  return ppi;
}

// --- graphics objects ---------------------------------------------------------------------

TGraphicsObject::~TGraphicsObject() { FreeHandle(); }

void TGraphicsObject::FreeHandle() {
  if (FHandle) ::DeleteObject(FHandle);
  FHandle = nullptr;
}

// The old handle goes only after the owners heard of the change: a canvas first takes
// it out of its DC, a window first gets the new font (a selected object cannot be
// deleted).
void TGraphicsObject::Changed() {
  HGDIOBJ old = FHandle;
  FHandle = nullptr;
  if (OnChange) OnChange();
  if (old) ::DeleteObject(old);
}

TFont::TFont() : FName("宋体") {}

void TFont::SetName(const AnsiString& v) { if (v != FName) { FName = v; Changed(); } }
void TFont::SetHeight(int v) { if (v != FHeight) { FHeight = v; Changed(); } }
int TFont::Size() const {
  int ppi = ScreenPixelsPerInch();
  return -::MulDiv(FHeight, 72, ppi);
}
void TFont::SetSize(int points) { SetHeight(-::MulDiv(points, ScreenPixelsPerInch(), 72)); }
void TFont::SetStyle(TFontStyles v) { if (!(v == FStyle)) { FStyle = v; Changed(); } }
// The colour is not part of the GDI font: no new handle, but still a change to show.
void TFont::SetColor(TColor v) { if (v != FColor) { FColor = v; if (OnChange) OnChange(); } }
void TFont::SetCharset(uint8_t v) { if (v != FCharset) { FCharset = v; Changed(); } }
void TFont::SetPitch(TFontPitch v) { if (v != FPitch) { FPitch = v; Changed(); } }

bool TFont::SameAs(const TFont& o) const {
  return FName == o.FName && FHeight == o.FHeight && FStyle == o.FStyle && FColor == o.FColor &&
         FCharset == o.FCharset && FPitch == o.FPitch;
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTW lf{};
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic);
    lf.lfUnderline = FStyle.Contains(fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    lf.lfCharSet = FCharset;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    std::wstring face = Wide(FName);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    FHandle = ::CreateFontIndirectW(&lf);
    if (!FHandle) throw EOutOfResources("Out of system resources");
  }
  return static_cast<HFONT>(FHandle);
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    if (SameAs(*f)) return;
    bool handleChange = !(FName == f->FName && FHeight == f->FHeight && FStyle == f->FStyle &&
                          FCharset == f->FCharset && FPitch == f->FPitch);
    FName = f->FName; FHeight = f->FHeight; FStyle = f->FStyle; FColor = f->FColor;
    FCharset = f->FCharset; FPitch = f->FPitch;
    if (handleChange) Changed(); else if (OnChange) OnChange();
    return;
  }
  TPersistent::Assign(Source);
}

void TPen::SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
void TPen::SetWidth(int v) { if (v != FWidth) { FWidth = v; Changed(); } }
void TPen::SetStyle(TPenStyle v) { if (v != FStyle) { FStyle = v; Changed(); } }

HPEN TPen::Handle() {
  if (!FHandle) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    FHandle = ::CreatePen(styles[FStyle], FWidth, ColorToRGB(FColor));
    if (!FHandle) throw EOutOfResources("Out of system resources");
  }
  return static_cast<HPEN>(FHandle);
}

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    if (p->FColor == FColor && p->FWidth == FWidth && p->FStyle == FStyle) return;
    FColor = p->FColor; FWidth = p->FWidth; FStyle = p->FStyle;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  if (FStyle == bsClear) FStyle = bsSolid;  // giving a clear brush a colour makes it solid
  Changed();
}
void TBrush::SetStyle(TBrushStyle v) { if (v != FStyle) { FStyle = v; Changed(); } }

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    LOGBRUSH lb{};
    lb.lbColor = ColorToRGB(FColor);
    static const int hatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
    lb.lbStyle = FStyle == bsSolid ? BS_SOLID : FStyle == bsClear ? BS_HOLLOW : BS_HATCHED;
    lb.lbHatch = hatches[FStyle];
    FHandle = ::CreateBrushIndirect(&lb);
    if (!FHandle) throw EOutOfResources("Out of system resources");
  }
  return static_cast<HBRUSH>(FHandle);
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    if (b->FColor == FColor && b->FStyle == FStyle) return;
    FColor = b->FColor; FStyle = b->FStyle;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// --- canvas -------------------------------------------------------------------------------

TCanvas::TCanvas() {
  // A changed object gets a new handle: the old one must leave the DC first.
  FFont.OnChange = [this] { if (FSelected & kFont) { ::SelectObject(FDC, FOldFont); FSelected &= ~kFont; } };
  FPen.OnChange = [this] { if (FSelected & kPen) { ::SelectObject(FDC, FOldPen); FSelected &= ~kPen; } };
  FBrush.OnChange = [this] { if (FSelected & kBrush) { ::SelectObject(FDC, FOldBrush); FSelected &= ~kBrush; } };
}

TCanvas::~TCanvas() { Deselect(); }

void TCanvas::Deselect() {
  if (!FDC) return;
  if (FSelected & kFont) ::SelectObject(FDC, FOldFont);
  if (FSelected & kPen) ::SelectObject(FDC, FOldPen);
  if (FSelected & kBrush) ::SelectObject(FDC, FOldBrush);
  FSelected = 0;
}

HDC TCanvas::Handle() {
  if (!FDC) CreateHandle();
  if (!FDC) throw EInvalidOperation("Canvas does not allow drawing");
  return FDC;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == FDC) return;
  Deselect();
  FDC = dc;
  if (FDC) {
    POINT p;
    ::GetCurrentPositionEx(FDC, &p);
    FPenPos = {p.x, p.y};
  }
}

void TCanvas::Require(unsigned what) {
  HDC dc = Handle();
  if ((what & kFont) && !(FSelected & kFont)) {
    FOldFont = ::SelectObject(dc, FFont.Handle());
    FSelected |= kFont;
  }
  if (what & kFont) {
    ::SetTextColor(dc, ColorToRGB(FFont.Color()));
  }
  if ((what & kPen) && !(FSelected & kPen)) {
    FOldPen = ::SelectObject(dc, FPen.Handle());
    FSelected |= kPen;
  }
  if ((what & kBrush) && !(FSelected & kBrush)) {
    FOldBrush = ::SelectObject(dc, FBrush.Handle());
    FSelected |= kBrush;
  }
  if (what & kBrush) {
    ::SetBkColor(dc, ColorToRGB(FBrush.Color()));
    // A hatched brush leaves its gaps clear: an opaque background of its own colour would
    // fill them and hide the hatch.
    ::SetBkMode(dc, FBrush.Style() == bsSolid ? OPAQUE : TRANSPARENT);
  }
}

void TCanvas::MoveTo(int x, int y) {
  ::MoveToEx(Handle(), x, y, nullptr);
  FPenPos = {x, y};
}

void TCanvas::LineTo(int x, int y) {
  Require(kPen | kBrush);
  ::LineTo(FDC, x, y);
  FPenPos = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  Require(kPen | kBrush);
  std::vector<POINT> pts;
  pts.reserve(points.size());
  for (auto& p : points) pts.push_back({p.X, p.Y});
  ::Polyline(FDC, pts.data(), static_cast<int>(pts.size()));
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Require(kPen | kBrush);
  ::Rectangle(FDC, x1, y1, x2, y2);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
  Require(kPen | kBrush);
  ::RoundRect(FDC, x1, y1, x2, y2, w, h);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Require(kPen | kBrush);
  ::Ellipse(FDC, x1, y1, x2, y2);
}

void TCanvas::FillRect(const TRect& r) {
  Require(kBrush);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  ::FillRect(FDC, &rc, FBrush.Handle());
}

void TCanvas::FrameRect(const TRect& r) {
  Require(kBrush);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  ::FrameRect(FDC, &rc, FBrush.Handle());
}

void TCanvas::DrawFocusRect(const TRect& r) {
  Require(kBrush);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  ::DrawFocusRect(FDC, &rc);
}

void TCanvas::TextOut(int x, int y, const AnsiString& text) {
  Require(kFont | kBrush);
  std::wstring w = Wide(text);
  ::ExtTextOutW(FDC, x, y, 0, nullptr, w.c_str(), static_cast<UINT>(w.size()), nullptr);
  FPenPos = {x + TextWidth(text), y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, const AnsiString& text) {
  Require(kFont | kBrush);
  std::wstring w = Wide(text);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  UINT opts = ETO_CLIPPED | (FBrush.Style() != bsClear ? ETO_OPAQUE : 0);
  ::ExtTextOutW(FDC, x, y, opts, &rc, w.c_str(), static_cast<UINT>(w.size()), nullptr);
}

TPoint TCanvas::TextExtent(const AnsiString& text) {
  Require(kFont);
  std::wstring w = Wide(text);
  SIZE sz{0, 0};
  ::GetTextExtentPoint32W(FDC, w.c_str(), static_cast<int>(w.size()), &sz);
  return {sz.cx, sz.cy};
}

int TCanvas::DrawText(const AnsiString& text, TRect& r, unsigned flags) {
  Require(kFont | kBrush);
  std::wstring w = Wide(text);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  int h = ::DrawTextW(FDC, w.c_str(), static_cast<int>(w.size()), &rc, flags);
  if (flags & DT_CALCRECT) r = {rc.left, rc.top, rc.right, rc.bottom};
  return h;
}

void TCanvas::DrawEdge(TRect& r, unsigned edge, unsigned flags) {
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  ::DrawEdge(Handle(), &rc, edge, flags);
  if (flags & BF_ADJUST) r = {rc.left, rc.top, rc.right, rc.bottom};
}

void TCanvas::DrawFrameControl(TRect& r, unsigned type, unsigned state) {
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  ::DrawFrameControl(Handle(), &rc, type, state);
}

void TCanvas::Draw(int x, int y, TBitmap* bitmap) {
  if (!bitmap || bitmap->Empty()) return;
  HDC dc = Handle();
  if (bitmap->Transparent()) {
    ::TransparentBlt(dc, x, y, bitmap->Width(), bitmap->Height(), bitmap->DC(), 0, 0, bitmap->Width(),
                     bitmap->Height(), ColorToRGB(bitmap->TransparentColor()));
  } else {
    ::BitBlt(dc, x, y, bitmap->Width(), bitmap->Height(), bitmap->DC(), 0, 0, SRCCOPY);
  }
}

void TCanvas::StretchDraw(const TRect& r, TBitmap* bitmap) {
  if (!bitmap || bitmap->Empty()) return;
  HDC dc = Handle();
  if (bitmap->Transparent()) {
    ::TransparentBlt(dc, r.Left, r.Top, r.Width(), r.Height(), bitmap->DC(), 0, 0, bitmap->Width(),
                     bitmap->Height(), ColorToRGB(bitmap->TransparentColor()));
  } else {
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, r.Left, r.Top, r.Width(), r.Height(), bitmap->DC(), 0, 0, bitmap->Width(),
                 bitmap->Height(), SRCCOPY);
  }
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& s) {
  HDC dc = Handle();
  ::StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), source->Handle(), s.Left, s.Top,
               s.Width(), s.Height(), SRCCOPY);
}

TColor TCanvas::Pixels(int x, int y) { return static_cast<TColor>(::GetPixel(Handle(), x, y)); }
void TCanvas::SetPixels(int x, int y, TColor c) { ::SetPixel(Handle(), x, y, ColorToRGB(c)); }

void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width) {
  for (int i = 0; i < width; ++i) {
    --r.Bottom;
    --r.Right;
    canvas->Pen()->SetColor(topColor);
    canvas->Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
    canvas->Pen()->SetColor(bottomColor);
    canvas->Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}});
    ++r.Left;
    ++r.Top;
  }
}

// --- bitmap -------------------------------------------------------------------------------

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int width, int height) { SetSize(width, height); }
TBitmap::~TBitmap() { Release(); }

void TBitmap::Release() {
  FCanvas.reset();
  FSelectedBitmap.reset();
  FBitmap.reset();
  FDC.reset();
  FBits = nullptr;
  FWidth = FHeight = 0;
}

void TBitmap::Allocate(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject<HBITMAP> bitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDC dc(nullptr);
  if (!bitmap.get() || !dc.dc()) throw EOutOfResources("Out of system resources");
  FDC = std::move(dc);
  FBitmap = std::move(bitmap);
  FSelectedBitmap.emplace(FDC.dc(), FBitmap.get());
  FBits = static_cast<uint32_t*>(bits);
  FWidth = width;
  FHeight = height;
  std::fill(FBits, FBits + static_cast<size_t>(width) * height, 0x00FFFFFFu);
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == FWidth && height == FHeight) return;
  std::vector<uint32_t> old;
  int ow = FWidth, oh = FHeight;
  if (FBits) old.assign(FBits, FBits + static_cast<size_t>(ow) * oh);
  Release();
  if (width == 0 || height == 0) {
    FWidth = width;
    FHeight = height;
    return;
  }
  Allocate(width, height);
  ::GdiFlush();
  for (int y = 0; y < std::min(oh, height); ++y)
    std::memcpy(FBits + static_cast<size_t>(y) * width, old.data() + static_cast<size_t>(y) * ow,
                sizeof(uint32_t) * std::min(ow, width));
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    if (!FDC.dc()) SetSize(std::max(FWidth, 1), std::max(FHeight, 1));
    FCanvas = std::make_unique<TCanvas>();
    FCanvas->SetHandle(FDC.dc());
  }
  return FCanvas.get();
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentColor != clDefault) return FTransparentColor;
  if (!FBits || FHeight == 0) return clWhite;
  uint32_t p = FBits[static_cast<size_t>(FHeight - 1) * FWidth];
  return static_cast<TColor>(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
}

void TBitmap::CopyFromHandle(HBITMAP source) {
  BITMAP bm{};
  if (!::GetObjectW(source, sizeof(bm), &bm)) throw EInvalidGraphic("Invalid graphic");
  Release();
  Allocate(bm.bmWidth, bm.bmHeight);
  {
    MemoryDC src(nullptr);
    Selected picture(src.dc(), source);
    ::BitBlt(FDC.dc(), 0, 0, FWidth, FHeight, src.dc(), 0, 0, SRCCOPY);
  }
  ::GdiFlush();
}

void TBitmap::LoadFromResourceName(HINSTANCE module, const AnsiString& name) {
  std::wstring w = Wide(name);
  HBITMAP h = static_cast<HBITMAP>(::LoadImageW(module, w.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!h) throw EResNotFound("Resource " + name + " not found");
  GdiObject<HBITMAP> owned(h);
  CopyFromHandle(h);
}

void TBitmap::LoadFromResourceID(HINSTANCE module, int id) {
  HBITMAP h = static_cast<HBITMAP>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!h) throw EResNotFound("Resource " + IntToStr(id) + " not found");
  GdiObject<HBITMAP> owned(h);
  CopyFromHandle(h);
}

void TBitmap::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    if (b == this) return;
    Release();
    if (!b->Empty()) {
      Allocate(b->FWidth, b->FHeight);
      ::GdiFlush();
      std::memcpy(FBits, b->FBits, sizeof(uint32_t) * FWidth * FHeight);
    } else {
      FWidth = b->FWidth;
      FHeight = b->FHeight;
    }
    FTransparent = b->FTransparent;
    FTransparentColor = b->FTransparentColor;
    return;
  }
  if (!Source) { Release(); return; }
  TPersistent::Assign(Source);
}

uint32_t TBitmap::PixelRGB(int x, int y) const {
  if (!FBits || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return 0;
  ::GdiFlush();
  return FBits[static_cast<size_t>(y) * FWidth + x] & 0xFFFFFF;
}

std::vector<uint32_t> TBitmap::PixelsRGB() const {
  ::GdiFlush();
  std::vector<uint32_t> out(static_cast<size_t>(FWidth) * FHeight);
  for (size_t i = 0; i < out.size(); ++i) out[i] = FBits[i] & 0xFFFFFF;
  return out;
}

HBITMAP TBitmap::CopyHandle() const {
  if (Empty()) return nullptr;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = FWidth;
  bi.bmiHeader.biHeight = -FHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP h = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!h) throw EOutOfResources("Out of system resources");
  ::GdiFlush();
  std::memcpy(bits, FBits, sizeof(uint32_t) * FWidth * FHeight);
  return h;
}
