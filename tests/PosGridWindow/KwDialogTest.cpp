// The library's form bases: font, desktop-centred placement and the fixed dialog border.
#include "VCLSource/source/PosGrid/ukvUtility.h"
#include "tests/ui/UiTest.h"

using namespace uitest;

TEST(KwDialog, FormsUseTheLibraryFontAndAreCentredOnTheDesktop) {
  TkwForm f(nullptr);
  EXPECT_EQ(f.Font()->Name(), "新宋体");
  EXPECT_EQ(f.Font()->Size(), 9);
  EXPECT_EQ(f.Font()->Charset(), 134);
  EXPECT_EQ(f.Position(), poDesktopCenter);
  EXPECT_EQ(f.BorderStyle(), bsSizeable);
  f.SetBounds(0, 0, 300, 200);
  f.Show();
  Settle();
  RECT r;
  ::GetWindowRect(f.Handle(), &r);
  EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
  EXPECT_EQ(r.right - r.left, 300);
}

TEST(KwDialog, DialogsHaveAFixedDialogBorder) {
  TkwDialog d(nullptr);
  EXPECT_EQ(d.BorderStyle(), bsDialog);
  EXPECT_EQ(d.Font()->Name(), "新宋体");
  EXPECT_EQ(d.Position(), poDesktopCenter);
  d.SetBounds(0, 0, 300, 200);
  d.Show();
  Settle();
  const LONG style = ::GetWindowLongW(d.Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(::GetWindowLongW(d.Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
}
