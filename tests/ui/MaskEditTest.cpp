// The masked edit with the date mask of the empty-date control and others.
#include "UiTest.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/Mask.h"

using namespace uitest;

namespace {

struct MaskForm {
  TForm form{nullptr};
  TMaskEdit* edit;
  TEdit* other;
  explicit MaskForm(const char* mask) {
    edit = new TMaskEdit(&form);
    edit->SetParent(&form);
    edit->SetEditMask(mask);
    edit->SetAutoSelect(false);
    other = new TEdit(&form);
    other->SetParent(&form);
    other->SetTop(40);
    form.Show();
    Settle();
    Focus(edit);
  }
};

}  // namespace

TEST(MaskEdit, EmptyDateMaskShowsBlanksAndSeparators) {
  MaskForm f("!9999/99/99;1;_");
  EXPECT_EQ(f.edit->EditText(), "____-__-__");
  EXPECT_EQ(f.edit->Text(), "    -  -  ");
  EXPECT_EQ(ui_win::WindowText(f.edit->Handle()), "____-__-__");
}

TEST(MaskEdit, TypingFillsPositionsAndSkipsLiterals) {
  MaskForm f("!9999/99/99;1;_");
  int changes = 0;
  f.edit->OnChange = [&](TObject*) { ++changes; };
  TypeText(L"2024x0507");  // the letter is refused
  EXPECT_EQ(f.edit->Text(), "2024-05-07");
  EXPECT_EQ(changes, 8);
  PostKey(VK_BACK);
  EXPECT_EQ(f.edit->Text(), "2024-05-0 ");
}

TEST(MaskEdit, TextSetInCodeIsReadPositionByPosition) {
  struct Case {
    const char* mask;
    const char* in;
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
      {"!9999/99/99;1;_", "2024-02-30", "2024-02-30", "2024-02-30"},
      {"!9999/99/99;1;_", "", "    -  -  ", "____-__-__"},
      {"!9999/99/99;1;_", "20ab-1", "20  -1 -  ", "20__-1_-__"},
      {"!9999/99/99;0;_", "20240507", "20240507", "2024-05-07"},
      {">LL-000;1;*", "ab-123", "AB-123", "AB-123"},
  };
  for (const Case& c : cases) {
    TForm form(nullptr);
    auto* e = new TMaskEdit(&form);
    e->SetParent(&form);
    e->SetEditMask(c.mask);
    e->SetText(c.in);
    EXPECT_EQ(e->Text(), c.text) << c.mask << " " << c.in;
    EXPECT_EQ(e->EditText(), c.shown) << c.mask << " " << c.in;
    form.Show();
    EXPECT_EQ(ui_win::WindowText(e->Handle()), c.shown);
  }
}

TEST(MaskEdit, RequiredPositionKeepsTheFocusOnExit) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  MaskForm f("000;1;_");
  TypeText(L"12");
  Focus(f.other);
  ASSERT_EQ(script.Asked().size(), 1u);
  EXPECT_EQ(script.Asked()[0].Text, "Invalid input value.  Use escape key to abandon changes");
  EXPECT_TRUE(f.edit->Focused());
  TypeText(L"3");
  Focus(f.other);
  EXPECT_TRUE(f.other->Focused());
  EXPECT_EQ(f.edit->Text(), "123");
}

TEST(MaskEdit, WithoutMaskItIsAPlainEdit) {
  MaskForm f("");
  TypeText(L"abc");
  EXPECT_EQ(f.edit->Text(), "abc");
  EXPECT_FALSE(f.edit->IsMasked());
}
