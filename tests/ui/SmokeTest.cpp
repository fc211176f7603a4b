#include "UiTest.h"
#include "ui/StdCtrls.h"

using namespace uitest;

TEST(Smoke, ShowsFormAndFocusesFirstControl) {
  auto* f = new TForm(nullptr);
  f->SetName("frmSmoke");
  auto* e = new TEdit(f);
  e->SetName("edtA");
  e->SetParent(f);
  e->SetBounds(10, 10, 100, 21);
  auto* b = new TButton(f);
  b->SetName("btnOk");
  b->SetParent(f);
  b->SetBounds(10, 40, 75, 25);
  f->Show();
  Pump();
  EXPECT_TRUE(::IsWindowVisible(f->Handle()));
  EXPECT_EQ(FindByName(f->Handle(), "edtA"), e->Handle());
  EXPECT_EQ(::GetActiveWindow(), f->Handle());
  EXPECT_EQ(::GetFocus(), e->Handle());
  EXPECT_EQ(f->ActiveControl(), e);
  PostKey('A');
  EXPECT_EQ(e->Text(), "a");
  delete f;
}
