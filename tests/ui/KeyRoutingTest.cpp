// Keys: the form's preview, suppression, dialog keys and accelerators. Keys are posted
// to the focused window and go through the application's loop as the system's would.
#include "UiTest.h"
#include "ui/StdCtrls.h"

using namespace uitest;

namespace {

struct KeyForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TEdit* edit;
  TButton* ok;
  TButton* cancel;
  EventLog log;

  KeyForm() {
    form->SetBounds(120, 120, 400, 240);
    edit = new TEdit(form.get());
    edit->SetName("edtCode");
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 150, 21);
    ok = Button("btnSave", "保存(&S)", 10);
    cancel = Button("btnCancle", "退出(&C)", 100);
    auto keyName = [](WORD k) { return k >= 'A' && k <= 'Z' ? std::string(1, static_cast<char>(k)) : std::to_string(k); };
    form->OnKeyDown = [this, keyName](TObject*, WORD& k, TShiftState) { log.Add("form.down:" + keyName(k)); };
    form->OnKeyPress = [this](TObject*, char& k) { log.Add(std::string("form.press:") + k); };
    form->OnKeyUp = [this, keyName](TObject*, WORD& k, TShiftState) { log.Add("form.up:" + keyName(k)); };
    edit->OnKeyDown = [this, keyName](TObject*, WORD& k, TShiftState) { log.Add("edit.down:" + keyName(k)); };
    edit->OnKeyPress = [this](TObject*, char& k) { log.Add(std::string("edit.press:") + k); };
    edit->OnKeyUp = [this, keyName](TObject*, WORD& k, TShiftState) { log.Add("edit.up:" + keyName(k)); };
  }

  TButton* Button(const char* name, const char* caption, int left) {
    auto* b = new TButton(form.get());
    b->SetName(name);
    b->SetParent(form.get());
    b->SetCaption(caption);
    b->SetBounds(left, 100, 80, 25);
    std::string n = name;
    b->OnClick = [this, n](TObject*) { log.Add(n + ".click"); };
    return b;
  }

  void Show() {
    form->Show();
    Settle();
    log.Clear();
  }
};

}  // namespace

TEST(KeyRouting, KeyEventsWithoutPreviewReachOnlyTheControl) {
  KeyForm f;
  f.Show();
  PostKey('A');
  EXPECT_EQ(f.log.Str(), "edit.down:A edit.press:a edit.up:A");
  EXPECT_EQ(f.edit->Text(), "a");
}

TEST(KeyRouting, PreviewShowsEachKeyEventToTheFormFirst) {
  KeyForm f;
  f.form->SetKeyPreview(true);
  f.Show();
  PostKey('A');
  EXPECT_EQ(f.log.Str(), "form.down:A edit.down:A form.press:a edit.press:a form.up:A edit.up:A");
}

TEST(KeyRouting, KeySuppressedByTheFormInKeyDownNeverReachesTheControl) {
  KeyForm f;
  f.form->SetKeyPreview(true);
  f.form->OnKeyDown = [&](TObject*, WORD& k, TShiftState) {
    f.log.Add("form.down");
    if (k == VK_F5 || k == 'X') k = 0;
  };
  f.Show();
  PostKey(VK_F5);
  PostKey('X');  // no character follows a key taken in key-down
  EXPECT_EQ(f.log.Str(), "form.down form.up:116 edit.up:116 form.down form.up:X edit.up:X");
  EXPECT_EQ(f.edit->Text(), "");
}

TEST(KeyRouting, CharacterDroppedByTheFormInKeyPressNeverReachesTheControl) {
  KeyForm f;
  f.form->SetKeyPreview(true);
  // The enrollment screen drops single quotes anywhere in the form.
  f.form->OnKeyPress = [&](TObject*, char& k) {
    f.log.Add(std::string("form.press:") + k);
    if (k == '\'') k = 0;
  };
  f.Show();
  TypeText(L"a'b");
  EXPECT_EQ(f.edit->Text(), "ab");
  EXPECT_EQ(f.log.Str(), "form.press:a edit.press:a form.press:' form.press:b edit.press:b");
}

TEST(KeyRouting, ControlMayReplaceTheCharacter) {
  KeyForm f;
  f.edit->OnKeyPress = [](TObject*, char& k) { if (k >= 'a' && k <= 'z') k = static_cast<char>(k - 32); };
  f.Show();
  TypeText(L"ab1");
  EXPECT_EQ(f.edit->Text(), "AB1");
}

TEST(KeyRouting, ChineseCharacterArrivesAsItsGbkLeadByte) {
  KeyForm f;
  std::string seen;
  f.edit->OnKeyPress = [&](TObject*, char& k) { seen += k; };
  f.Show();
  TypeText(L"中");
  EXPECT_EQ(seen, std::string(1, "中"[0]));
  EXPECT_EQ(f.edit->Text(), "中");
}

TEST(KeyRouting, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
  KeyForm f;
  f.ok->SetDefault(true);
  f.cancel->SetCancel(true);
  f.Show();
  PostKey(VK_RETURN);
  PostKey(VK_ESCAPE);
  EXPECT_EQ(f.log.Str(), "edit.down:13 btnSave.click edit.up:13 edit.down:27 btnCancle.click edit.up:27");
}

TEST(KeyRouting, ControlThatTakesEnterInKeyDownKeepsItFromTheDefaultButton) {
  KeyForm f;
  f.ok->SetDefault(true);
  f.edit->OnKeyDown = [&](TObject*, WORD& k, TShiftState) {
    if (k == VK_RETURN) {
      f.log.Add("next");
      k = 0;
    }
  };
  f.Show();
  PostKey(VK_RETURN);
  EXPECT_EQ(f.log.Str(), "next edit.up:13");
}

TEST(KeyRouting, EnterOnAFocusedButtonPressesThatButton) {
  KeyForm f;
  f.ok->SetDefault(true);
  f.Show();
  Focus(f.cancel);
  f.log.Clear();
  PostKey(VK_RETURN);
  EXPECT_EQ(f.log.Str(), "btnCancle.click");
  Focus(f.edit);
  f.log.Clear();
  PostKey(VK_RETURN);  // back in the edit, the default button is the one again
  EXPECT_EQ(f.log.Str(), "edit.down:13 btnSave.click edit.up:13");
}

TEST(KeyRouting, EnterWithoutDefaultButtonDoesNothingElse) {
  KeyForm f;
  f.Show();
  PostKey(VK_RETURN);
  EXPECT_EQ(f.log.Str(), "edit.down:13 edit.press:\r edit.up:13");
}

TEST(KeyRouting, AltLetterPressesTheButtonWithThatAccelerator) {
  KeyForm f;
  f.Show();
  PostAltKey('S');
  PostAltKey('C');
  PostAltKey('Q');  // nobody's
  EXPECT_EQ(f.log.Str(), "edit.down:S btnSave.click edit.down:C btnCancle.click edit.down:Q");
}

TEST(KeyRouting, FormSeesAltLettersInKeyDownWithPreview) {
  KeyForm f;
  f.form->SetKeyPreview(true);
  std::string seen;
  f.form->OnKeyDown = [&](TObject*, WORD& k, TShiftState s) {
    if (s.Contains(ssAlt) && k == 'O') {
      seen = "alt+O";
      k = 0;
    }
  };
  f.Show();
  PostAltKey('O');
  EXPECT_EQ(seen, "alt+O");
}

TEST(KeyRouting, LabelAcceleratorFocusesItsControl) {
  KeyForm f;
  auto* other = new TEdit(f.form.get());
  other->SetParent(f.form.get());
  other->SetBounds(10, 50, 100, 21);
  auto* lbl = new TLabel(f.form.get());
  lbl->SetParent(f.form.get());
  lbl->SetCaption("卡号(&K)：");
  lbl->SetFocusControl(other);
  f.Show();
  PostAltKey('K');
  EXPECT_TRUE(other->Focused());
}

TEST(KeyRouting, DisabledButtonIgnoresItsAccelerator) {
  KeyForm f;
  f.ok->SetEnabled(false);
  f.Show();
  PostAltKey('S');
  EXPECT_EQ(f.log.Str(), "edit.down:S");
}

TEST(KeyRouting, MemoKeepsEnterButPassesEsc) {
  KeyForm f;
  f.ok->SetDefault(true);
  f.cancel->SetCancel(true);
  auto* memo = new TMemo(f.form.get());
  memo->SetParent(f.form.get());
  memo->SetBounds(200, 10, 150, 60);
  f.Show();
  Focus(memo);
  f.log.Clear();
  TypeText(L"x");
  PostKey(VK_RETURN);
  TypeText(L"y");
  PostKey(VK_ESCAPE);
  EXPECT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Strings(1), "y");
  EXPECT_EQ(f.log.Str(), "btnCancle.click");
}
