// Fonts, colours, the canvas on a bitmap.
#include "UiTest.h"
#include "ui/Graphics.h"

using namespace uitest;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// Pixels of `bmp` inside r that are not `background`.
int CountOther(const TBitmap& bmp, const TRect& r, uint32_t background) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (bmp.PixelRGB(x, y) != background) ++n;
  return n;
}

}  // namespace

TEST(Font, SizeAndHeightConvertAtTheScreenResolution) {
  ASSERT_EQ(ScreenPixelsPerInch(), 96);
  struct Case {
    int size, height;
  };
  const Case cases[] = {{8, -11}, {9, -12}, {12, -16}, {16, -21}};
  for (const Case& c : cases) {
    TFont f;
    f.SetSize(c.size);
    EXPECT_EQ(f.Height(), c.height) << c.size;
    TFont g;
    g.SetHeight(c.height);
    EXPECT_EQ(g.Size(), c.size) << c.height;
  }
}

TEST(Font, DefaultsAreTheLibrarysChineseFont) {
  TFont f;
  EXPECT_EQ(f.Name(), "宋体");
  EXPECT_EQ(f.Height(), -12);
  EXPECT_EQ(f.Charset(), GB2312_FONT_CHARSET);
  EXPECT_TRUE(f.Style().Empty());
}

TEST(Font, ChangesAreAnnouncedOnceAndSettersIgnoreTheSameValue) {
  TFont f;
  int changes = 0;
  f.OnChange = [&] { ++changes; };
  f.SetName("新宋体");
  f.SetName("新宋体");
  f.SetStyle({fsBold});
  f.SetColor(clRed);
  f.SetHeight(-16);
  EXPECT_EQ(changes, 4);
  TFont copy;
  copy.Assign(&f);
  EXPECT_TRUE(copy.SameAs(f));
  EXPECT_EQ(copy.Name(), "新宋体");
}

TEST(Font, CreatesAChineseCapableFace) {
  TFont f;
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, f.Handle());
  wchar_t face[LF_FACESIZE] = {};
  ::GetTextFaceW(dc, LF_FACESIZE, face);
  TEXTMETRICW tm{};
  ::GetTextMetricsW(dc, &tm);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  EXPECT_EQ(tm.tmCharSet, GB2312_CHARSET);
  EXPECT_STRNE(face, L"");
}

TEST(Color, SystemColorsResolveThroughTheSystem) {
  EXPECT_EQ(ColorToRGB(clBtnFace), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clWindow), ::GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(ColorToRGB(static_cast<TColor>(16774889)), 16774889u);  // the screens' light blue
  EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
  EXPECT_EQ(ColorToRGB(clNone), 0u);
}

TEST(Canvas, FillAndRectangleUseBrushAndPen) {
  TBitmap bmp(40, 30);
  TCanvas* c = bmp.Canvas();
  c->Brush()->SetColor(clRed);
  c->FillRect(Rect(0, 0, 10, 10));
  c->Pen()->SetColor(clBlue);
  c->Brush()->SetColor(clLime);
  c->Rectangle(20, 10, 30, 20);
  EXPECT_EQ(bmp.PixelRGB(5, 5), 0xFF0000u);
  EXPECT_EQ(bmp.PixelRGB(20, 15), 0x0000FFu);  // outline
  EXPECT_EQ(bmp.PixelRGB(25, 15), 0x00FF00u);  // inside
  EXPECT_EQ(bmp.PixelRGB(35, 25), kWhite);     // untouched
  EXPECT_EQ(c->Pixels(5, 5), clRed);
}

TEST(Canvas, LinesAndRoundRectangles) {
  TBitmap bmp(40, 40);
  TCanvas* c = bmp.Canvas();
  c->Pen()->SetColor(clBlack);
  c->MoveTo(0, 5);
  c->LineTo(39, 5);
  EXPECT_EQ(c->PenPos(), Point(39, 5));
  EXPECT_EQ(bmp.PixelRGB(20, 5), 0u);
  c->Brush()->SetColor(static_cast<TColor>(11921405));
  c->RoundRect(10, 10, 30, 30, 6, 6);
  EXPECT_EQ(bmp.PixelRGB(20, 20), ColorToRGB(11921405) == 0xB5E7FDu ? 0xFDE7B5u : 0u);
  EXPECT_EQ(bmp.PixelRGB(10, 10), kWhite);  // the rounded corner stays out
}

TEST(Canvas, ChineseTextLeavesInkAndHasAWidth) {
  TBitmap bmp(120, 30);
  TCanvas* c = bmp.Canvas();
  c->Brush()->SetStyle(bsClear);
  c->TextOut(2, 2, "盘点单");
  EXPECT_GT(CountOther(bmp, Rect(0, 0, 120, 30), kWhite), 30);
  int one = c->TextWidth("盘");
  int three = c->TextWidth("盘点单");
  EXPECT_GT(one, 6);
  EXPECT_GE(three, 3 * one - 1);
  EXPECT_GE(c->TextHeight("盘"), 12);
}

TEST(Canvas, DrawTextCalcRectAndClipping) {
  TBitmap bmp(100, 40);
  TCanvas* c = bmp.Canvas();
  TRect r = Rect(0, 0, 0, 0);
  c->DrawText("单据编号：", r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_GT(r.Width(), 40);
  TRect clip = Rect(0, 0, 10, 40);
  c->Brush()->SetColor(clWhite);
  c->TextRect(clip, 0, 0, "单据编号：");
  EXPECT_EQ(CountOther(bmp, Rect(10, 0, 100, 40), kWhite), 0);
}

TEST(Canvas, Frame3DDrawsTopLeftAndBottomRightColours) {
  TBitmap bmp(20, 20);
  TCanvas* c = bmp.Canvas();
  TRect r = Rect(0, 0, 20, 20);
  Frame3D(c, r, clRed, clBlue, 1);
  EXPECT_EQ(r, Rect(1, 1, 19, 19));
  EXPECT_EQ(bmp.PixelRGB(0, 10), 0xFF0000u);
  EXPECT_EQ(bmp.PixelRGB(10, 0), 0xFF0000u);
  EXPECT_EQ(bmp.PixelRGB(19, 10), 0x0000FFu);
  EXPECT_EQ(bmp.PixelRGB(10, 19), 0x0000FFu);
}

TEST(Bitmap, ResizeKeepsTheOverlapAndTransparentColourIsBottomLeft) {
  TBitmap bmp(10, 10);
  bmp.Canvas()->Brush()->SetColor(clFuchsia);
  bmp.Canvas()->FillRect(Rect(0, 0, 10, 10));
  bmp.SetSize(20, 5);
  EXPECT_EQ(bmp.PixelRGB(9, 4), 0xFF00FFu);
  EXPECT_EQ(bmp.PixelRGB(15, 2), kWhite);
  EXPECT_EQ(bmp.TransparentColor(), clFuchsia);
  TBitmap copy;
  copy.Assign(&bmp);
  EXPECT_EQ(copy.Width(), 20);
  EXPECT_EQ(copy.PixelsRGB(), bmp.PixelsRGB());
}

TEST(Bitmap, TransparentDrawLeavesTheKeyColourOut) {
  TBitmap glyph(4, 4);
  glyph.Canvas()->Brush()->SetColor(clOlive);
  glyph.Canvas()->FillRect(Rect(0, 0, 4, 4));
  glyph.Canvas()->SetPixels(1, 1, clRed);
  glyph.SetTransparent(true);
  TBitmap target(8, 8);
  target.Canvas()->Draw(2, 2, &glyph);
  EXPECT_EQ(target.PixelRGB(3, 3), 0xFF0000u);
  EXPECT_EQ(target.PixelRGB(2, 2), kWhite);
}

TEST(Bitmap, MissingResourceRaisesResNotFound) {
  TBitmap bmp;
  try {
    bmp.LoadFromResourceName(ui_win::ModuleInstance(), "BTNEDIT");
    FAIL() << "no exception";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource BTNEDIT not found");
  }
  EXPECT_THROW(bmp.LoadFromResourceID(ui_win::ModuleInstance(), 1001), EResNotFound);
}

TEST(Canvas, ChangingTheSelectedFontOrPenFreesTheOldHandle) {
  TBitmap bmp(50, 20);
  TCanvas* c = bmp.Canvas();
  c->TextOut(0, 0, "盘");
  c->LineTo(5, 5);
  HGDIOBJ oldFont = c->Font()->Handle();
  HGDIOBJ oldPen = c->Pen()->Handle();
  c->Font()->SetHeight(-20);
  c->Pen()->SetWidth(3);
  c->TextOut(0, 0, "盘");
  c->LineTo(10, 10);
  EXPECT_EQ(::GetObjectType(oldFont), 0u);
  EXPECT_EQ(::GetObjectType(oldPen), 0u);
  EXPECT_EQ(::GetObjectType(c->Font()->Handle()), static_cast<DWORD>(OBJ_FONT));
  LOGFONTW lf{};
  ::GetObjectW(::GetCurrentObject(c->Handle(), OBJ_FONT), sizeof(lf), &lf);
  EXPECT_EQ(lf.lfHeight, -20);
}
