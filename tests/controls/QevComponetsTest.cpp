// The maroon panel under Wine: its colours by version and its own frame.
#include "controls/QevComponets.h"
#include "tests/ui/UiTest.h"

using namespace uitest;

TEST(MaroonPanel, BottomAlignedWithItsColourAndVersions) {
  TPXMaroonPanel p(nullptr);
  EXPECT_EQ(p.Align(), alBottom);
  EXPECT_EQ(p.Color(), 0xD2DCDD);
  p.SetVersion(gvQB);
  EXPECT_EQ(p.Color(), clBtnFace);
  p.SetVersion(gvPX);
  EXPECT_EQ(p.Color(), 0xD2DCDD);
  p.SetColor(clRed);
  p.SetVersion(gvPX);  // the same version again leaves the colour
  EXPECT_EQ(p.Color(), clRed);
}

TEST(MaroonPanel, PaintsItsFlatFrameAndNoCaption) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(50, 50, 300, 200);
  auto* p = new TPXMaroonPanel(form.get());
  p->SetParent(form.get());
  p->SetHeight(41);
  p->SetCaption("不画");
  form->Show();
  Settle();
  HDC screen = ::GetDC(p->Handle());
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bmp = ::CreateCompatibleBitmap(screen, p->Width(), p->Height());
  HGDIOBJ old = ::SelectObject(dc, bmp);
  p->PaintTo(dc, 0, 0);
  const int w = p->Width(), h = p->Height();
  EXPECT_EQ(::GetPixel(dc, 0, h / 2), RGB(0x80, 0x80, 0x80));      // grey left edge
  EXPECT_EQ(::GetPixel(dc, w / 2, 0), RGB(0x80, 0x80, 0x80));      // grey top edge
  EXPECT_EQ(::GetPixel(dc, w / 2, 1), RGB(0, 0, 0));               // black line under it
  EXPECT_EQ(::GetPixel(dc, w - 1, h / 2), RGB(255, 255, 255));     // white right edge
  EXPECT_EQ(::GetPixel(dc, w / 2, h - 1), RGB(255, 255, 255));     // white bottom edge
  EXPECT_EQ(::GetPixel(dc, w / 2, h / 2), RGB(0xDD, 0xDC, 0xD2));  // face, no caption
  p->SetNoPaint(true);
  ::SelectObject(dc, old);
  ::DeleteObject(bmp);
  ::DeleteDC(dc);
  ::ReleaseDC(p->Handle(), screen);
}
