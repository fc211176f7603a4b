// The shadow panel: defaults, the layout of face and shadow, colours and shapes, and a
// paint that asks for no further paint.
#include <gtest/gtest.h>

#include "controls/ShadowPanel.h"
#include "tests/ui/UiTest.h"
#include "tests/support/Screenshot.h"

namespace {
std::string Bounds(const TControl* c) {
  return std::to_string(c->Left()) + "," + std::to_string(c->Top()) + " " + std::to_string(c->Width()) + "x" +
         std::to_string(c->Height());
}
}  // namespace

TEST(ShadowPanel, StartsWithAFaceOverABlackShadowAndNoBevels) {
  TShadowPanel p(nullptr);
  EXPECT_EQ(p.FaceColor(), static_cast<TColor>(0xF4C664));
  EXPECT_EQ(p.ShadowColor(), clBlack);
  EXPECT_EQ(p.Face()->Pen()->Color(), clBlack);
  EXPECT_EQ(p.Shape(), stRectangle);
  EXPECT_EQ(p.ShadowOffset(), 2);
  EXPECT_TRUE(p.ShapeVisible());
  EXPECT_EQ(p.BevelOuter(), bvNone);
  EXPECT_EQ(p.BevelInner(), bvNone);
  ASSERT_EQ(p.ControlCount(), 2);
  EXPECT_EQ(p.Controls(0), p.ShadowShape());  // below the face
  EXPECT_EQ(p.Controls(1), p.Face());
}

TEST(ShadowPanel, FaceLeavesTheOffsetAndTheShadowSitsOffsetBelowRight) {
  TShadowPanel p(nullptr);
  p.SetBounds(0, 0, 100, 28);
  EXPECT_EQ(Bounds(p.Face()) + " / " + Bounds(p.ShadowShape()), "0,0 98x26 / 2,2 98x26");
  p.SetShadowOffset(5);
  EXPECT_EQ(Bounds(p.Face()) + " / " + Bounds(p.ShadowShape()), "0,0 95x23 / 5,5 95x23");
}

TEST(ShadowPanel, ShadowColourAlsoOutlinesTheFaceAndShapeGoesToBoth) {
  TShadowPanel p(nullptr);
  p.SetShadowColor(clRed);
  EXPECT_EQ(p.ShadowColor(), clRed);
  EXPECT_EQ(p.Face()->Pen()->Color(), clRed);
  EXPECT_EQ(p.ShadowShape()->Pen()->Color(), clRed);
  EXPECT_EQ(p.FaceColor(), static_cast<TColor>(0xF4C664));
  p.SetShape(stRoundRect);
  EXPECT_EQ(p.ShadowShape()->Shape(), stRoundRect);
  p.SetShapeVisible(false);
  EXPECT_FALSE(p.Face()->Visible());
  EXPECT_FALSE(p.ShadowShape()->Visible());
}

TEST(ShadowPanel, LayoutInsidePaintLeavesNothingToRepaint) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(100, 100, 240, 120);
  auto* p = new TShadowPanel(form.get());
  p->SetParent(form.get());
  p->SetBounds(10, 10, 160, 40);
  p->SetCaption(" 查   找");
  // Painted without running the message loop, so that a layout which keeps asking for
  // paints shows as a pending update instead of a loop that never ends.
  form->Show();
  for (int pass = 0; pass < 3; ++pass)
    ::RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_FALSE(::GetUpdateRect(p->Handle(), nullptr, FALSE));
  TBitmap shot;
  RenderControl(p, shot, false);
  // The face and the shadow show in the picture.
  EXPECT_EQ(shot.PixelRGB(20, 15), 0x64C6F4u);                   // face colour ($F4C664 is BGR)
  EXPECT_EQ(shot.PixelRGB(p->Width() - 1, p->Height() - 1), 0u);  // the shadow's corner
}
