// Colours, fonts, pens, brushes, the canvas over a device context and the bitmap.
//
// TColor is the platform's integer: 0x00BBGGRR for a colour, or clSystemColor | index
// for a system colour (clBtnFace = COLOR_BTNFACE), resolved by ColorToRGB through the
// system at the moment of drawing. Fonts, pens and brushes own their GDI handle, made on
// first use and remade after a change; each announces a change through OnChange so that
// a control can repaint and a canvas can reselect. A canvas selects its objects into the
// DC lazily and puts the DC's original objects back when the DC is taken away.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "rtl/Classes.h"
#include "ui/GdiScopes.h"
#include "ui/Types.h"
#include "ui/WinApi.h"

POS_EXCEPTION(EInvalidGraphic, Exception);
POS_EXCEPTION(EOutOfResources, Exception);
POS_EXCEPTION(EResNotFound, Exception);

// --- colours ---------------------------------------------------------------------------
using TColor = int32_t;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080;
constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR,
                 clBackground = clSystemColor | COLOR_BACKGROUND,
                 clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION,
                 clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION,
                 clMenu = clSystemColor | COLOR_MENU, clWindow = clSystemColor | COLOR_WINDOW,
                 clWindowFrame = clSystemColor | COLOR_WINDOWFRAME,
                 clMenuText = clSystemColor | COLOR_MENUTEXT,
                 clWindowText = clSystemColor | COLOR_WINDOWTEXT,
                 clCaptionText = clSystemColor | COLOR_CAPTIONTEXT,
                 clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER,
                 clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER,
                 clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE,
                 clHighlight = clSystemColor | COLOR_HIGHLIGHT,
                 clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT,
                 clBtnFace = clSystemColor | COLOR_BTNFACE,
                 clBtnShadow = clSystemColor | COLOR_BTNSHADOW,
                 clGrayText = clSystemColor | COLOR_GRAYTEXT,
                 clBtnText = clSystemColor | COLOR_BTNTEXT,
                 clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT,
                 clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT,
                 cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW,
                 cl3DLight = clSystemColor | COLOR_3DLIGHT,
                 clInfoText = clSystemColor | COLOR_INFOTEXT, clInfoBk = clSystemColor | COLOR_INFOBK;

// A system colour becomes the system's current RGB; clNone and clDefault become black.
COLORREF ColorToRGB(TColor c);

// --- cursors ---------------------------------------------------------------------------
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                  crHandPoint = -21, crSizeAll = -22;
// The system cursor of a TCursor (crDefault: the arrow); null for crNone.
HCURSOR CursorHandle(TCursor c);

// Pixels per logical inch of the screen (96 on a plain Wine display).
int ScreenPixelsPerInch();

// --- fonts, pens, brushes ----------------------------------------------------------------
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
constexpr uint8_t DEFAULT_FONT_CHARSET = DEFAULT_CHARSET;  // 1
constexpr uint8_t GB2312_FONT_CHARSET = GB2312_CHARSET;    // 134

// Base of TFont, TPen and TBrush: the owned handle and the change notice.
class TGraphicsObject : public TPersistent {
 public:
  ~TGraphicsObject() override;
  std::function<void()> OnChange;

 protected:
  void Changed();            // frees the handle and tells OnChange
  void FreeHandle();
  HGDIOBJ FHandle = nullptr;
};

class TFont : public TGraphicsObject {
 public:
  // The library's forms use GB2312 text: a new font is "宋体" 9 pt (height -12) in the
  // GB2312 character set, black.
  TFont();
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& v);
  int Height() const { return FHeight; }          // pixels; negative = character height
  void SetHeight(int v);
  int Size() const;                               // points at the screen's DPI
  void SetSize(int points);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles v);
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  uint8_t Charset() const { return FCharset; }
  void SetCharset(uint8_t v);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch v);
  HFONT Handle();
  void Assign(TPersistent* Source) override;
  bool SameAs(const TFont& o) const;

 private:
  AnsiString FName;
  int FHeight = -12;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  uint8_t FCharset = GB2312_FONT_CHARSET;
  TFontPitch FPitch = fpDefault;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TPen : public TGraphicsObject {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  int Width() const { return FWidth; }
  void SetWidth(int v);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle v);
  HPEN Handle();
  void Assign(TPersistent* Source) override;

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle v);
  HBRUSH Handle();
  void Assign(TPersistent* Source) override;

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

class TBitmap;

// --- canvas -------------------------------------------------------------------------------
class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  // The DC drawn on. A canvas without one asks CreateHandle (control canvases make one);
  // EInvalidOperation "Canvas does not allow drawing" when there is still none.
  HDC Handle();
  // Takes another DC: the current one gets its original pen, brush and font back first.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return FDC != nullptr; }

  TFont* Font() { return &FFont; }
  TPen* Pen() { return &FPen; }
  TBrush* Brush() { return &FBrush; }
  TPoint PenPos() const { return FPenPos; }

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const std::vector<TPoint>& points);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int w, int h);
  void Ellipse(int x1, int y1, int x2, int y2);
  void FillRect(const TRect& r);       // with the brush, no outline
  void FrameRect(const TRect& r);      // 1-pixel frame in the brush's colour
  void DrawFocusRect(const TRect& r);  // dotted, XOR
  void TextOut(int x, int y, const AnsiString& text);
  // Text clipped to r; the background is filled with the brush unless it is bsClear.
  void TextRect(const TRect& r, int x, int y, const AnsiString& text);
  TPoint TextExtent(const AnsiString& text);  // X = width, Y = height
  int TextWidth(const AnsiString& text) { return TextExtent(text).X; }
  int TextHeight(const AnsiString& text) { return TextExtent(text).Y; }
  // DrawText with the system's DT_ flags; DT_CALCRECT updates r. Returns the height.
  int DrawText(const AnsiString& text, TRect& r, unsigned flags);
  void DrawEdge(TRect& r, unsigned edge, unsigned flags);
  void DrawFrameControl(TRect& r, unsigned type, unsigned state);
  void Draw(int x, int y, TBitmap* bitmap);  // honours the bitmap's Transparent
  void StretchDraw(const TRect& r, TBitmap* bitmap);
  void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor c);

 protected:
  virtual void CreateHandle() {}

 private:
  enum : unsigned { kFont = 1, kPen = 2, kBrush = 4 };
  void Require(unsigned what);
  void Deselect();

  HDC FDC = nullptr;
  TFont FFont;
  TPen FPen;
  TBrush FBrush;
  unsigned FSelected = 0;  // which of ours are selected into FDC now
  HGDIOBJ FOldFont = nullptr, FOldPen = nullptr, FOldBrush = nullptr;
  TPoint FPenPos;
};

// Frame3D as the platform draws bevels: top-left lines in topColor, bottom-right in
// bottomColor, `width` times, shrinking r by one each time.
void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width);

// --- bitmap -------------------------------------------------------------------------------
// A 32-bit top-down DIB with its own memory DC and canvas: off-screen drawing, double
// buffering, glyphs. Pixels() reads 0x00RRGGBB values (the PNG helper's order).
class TBitmap : public TPersistent {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetWidth(int w) { SetSize(w, FHeight); }
  void SetHeight(int h) { SetSize(FWidth, h); }
  // Resizes; the content is kept where old and new overlap, the rest is white.
  void SetSize(int width, int height);
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  TCanvas* Canvas();
  HBITMAP Handle() const { return FBitmap.get(); }

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v) { FTransparent = v; }
  // clDefault: the colour of the bottom-left pixel, as the platform takes it.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor c) { FTransparentColor = c; }

  // Loads a bitmap resource of `module` (EResNotFound "Resource <name> not found").
  void LoadFromResourceName(HINSTANCE module, const AnsiString& name);
  void LoadFromResourceID(HINSTANCE module, int id);
  // Takes over a bitmap handle's picture (the handle stays the caller's).
  void CopyFromHandle(HBITMAP source);
  void Assign(TPersistent* Source) override;

  uint32_t PixelRGB(int x, int y) const;      // 0x00RRGGBB
  std::vector<uint32_t> PixelsRGB() const;    // row by row from the top

  HDC DC() const { return FDC.dc(); }
  // A new bitmap handle with the same picture, selected into no DC (for APIs that want
  // one); owned by the caller.
  HBITMAP CopyHandle() const;

 private:
  void Allocate(int width, int height);
  void Release();

  int FWidth = 0, FHeight = 0;
  // Destroyed in reverse: the bitmap leaves the DC, then goes, then the DC.
  ui_win::MemoryDC FDC;
  ui_win::GdiObject<HBITMAP> FBitmap;
  std::optional<ui_win::Selected> FSelectedBitmap;
  uint32_t* FBits = nullptr;  // BGRA, top-down
  std::unique_ptr<TCanvas> FCanvas;
  bool FTransparent = false;
  TColor FTransparentColor = clDefault;
};

// --- RAII over the canvas --------------------------------------------------------------
namespace ui_win {

// A canvas drawing on a DC it does not own for one scope (a paint, a measurement): the
// canvas lets go of the DC (and puts back what it selected into it) at the end, also
// when drawing throws.
class CanvasOnDC {
 public:
  CanvasOnDC(TCanvas& canvas, HDC dc) : FCanvas(canvas) { canvas.SetHandle(dc); }
  ~CanvasOnDC() { FCanvas.SetHandle(nullptr); }
  CanvasOnDC(const CanvasOnDC&) = delete;
  CanvasOnDC& operator=(const CanvasOnDC&) = delete;

 private:
  TCanvas& FCanvas;
};

}  // namespace ui_win
