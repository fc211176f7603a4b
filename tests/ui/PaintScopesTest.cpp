// A paint routine that throws leaves nothing behind: the back buffer of a double-buffered
// paint goes, and a DC painted into is given back with its origin and clipping.
#include "UiTest.h"
#include "ui/GdiScopes.h"
#include "ui/Graphics.h"

using namespace uitest;
using namespace ui_win;

namespace {

// A control whose paint fails after noting the DC and bitmap it was given.
class TFailingPanel : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  HDC PaintedDC = nullptr;
  HGDIOBJ PaintedBitmap = nullptr;

 protected:
  void Paint() override {
    PaintedDC = Canvas()->Handle();
    PaintedBitmap = ::GetCurrentObject(PaintedDC, OBJ_BITMAP);
    Canvas()->FillRect(Rect(0, 0, 10, 10));
    throw EInvalidOperation("paint failed");
  }
};

struct FailingForm {
  TForm form{nullptr};
  TFailingPanel* panel;
  FailingForm() {
    panel = new TFailingPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(10, 10, 60, 40);
    panel->HandleNeeded();
  }
};

}  // namespace

TEST(PaintScopes, ThrowingDoubleBufferedPaintFreesItsBackBuffer) {
  FailingForm f;
  ASSERT_TRUE(f.panel->DoubleBuffered());
  WindowDC screen(f.panel->Handle());
  EXPECT_THROW(f.panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(screen.dc()), 0), EInvalidOperation);
  ASSERT_NE(f.panel->PaintedDC, screen.dc()) << "the paint went through a back buffer";
  EXPECT_EQ(::GetObjectType(f.panel->PaintedDC), 0u) << "the memory DC is deleted";
  EXPECT_EQ(::GetObjectType(f.panel->PaintedBitmap), 0u) << "the buffer's bitmap is deleted";
}

TEST(PaintScopes, ThrowingPaintToGivesTheTargetBackAsItWas) {
  FailingForm f;
  TBitmap target(100, 80);
  HDC dc = target.DC();
  EXPECT_THROW(f.panel->PaintTo(dc, 7, 5), EInvalidOperation);
  EXPECT_EQ(f.panel->PaintedDC, dc) << "PaintTo paints straight into the target";
  POINT org{-1, -1};
  ::GetWindowOrgEx(dc, &org);
  RECT clip{};
  ::GetClipBox(dc, &clip);
  EXPECT_EQ(org.x, 0);
  EXPECT_EQ(org.y, 0);
  EXPECT_EQ(clip.left, 0);
  EXPECT_EQ(clip.top, 0);
  EXPECT_EQ(clip.right, 100);
  EXPECT_EQ(clip.bottom, 80);
  EXPECT_TRUE(f.panel->DoubleBuffered()) << "the on-screen paint stays double-buffered";
}

TEST(PaintScopes, BackBufferCopiesOnlyTheRectangleAsked) {
  TBitmap target(30, 30);  // white
  {
    BackBuffer buffer(target.DC(), 30, 30);
    ASSERT_TRUE(buffer.Valid());
    RECT all{0, 0, 30, 30};
    ::FillRect(buffer.dc(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    buffer.CopyTo(target.DC(), RECT{10, 10, 20, 20});
  }
  EXPECT_EQ(target.PixelRGB(15, 15), 0x000000u);
  EXPECT_EQ(target.PixelRGB(9, 15), 0xFFFFFFu);
  EXPECT_EQ(target.PixelRGB(20, 15), 0xFFFFFFu);
  EXPECT_EQ(target.PixelRGB(15, 20), 0xFFFFFFu);
}
