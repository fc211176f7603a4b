// Edits: the length limit in GBK bytes, read-only, password, selection in bytes.
#include "UiTest.h"
#include "ui/StdCtrls.h"

using namespace uitest;

namespace {

struct EditForm {
  TForm form{nullptr};
  TEdit* edit;
  EditForm() {
    edit = new TEdit(&form);
    edit->SetName("edtName");
    edit->SetParent(&form);
    form.Show();
    Settle();
  }
};

void SetClipboardText(HWND owner, const std::wstring& text) {
  ASSERT_TRUE(::OpenClipboard(owner));
  ::EmptyClipboard();
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(::GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  ::GlobalUnlock(mem);
  ::SetClipboardData(CF_UNICODETEXT, mem);
  ::CloseClipboard();
}

}  // namespace

TEST(EditMaxLength, CountsGbkBytesOfTypedText) {
  struct Case {
    int maxLength;
    std::wstring typed;
    const char* result;
  };
  const Case cases[] = {
      {5, L"ab中c", "ab中c"},        // 2 + 2 + 1 = 5 bytes
      {5, L"ab中文c", "ab中c"},      // 文 would make 6: refused, c still fits
      {4, L"中文字", "中文"},
      {3, L"中文", "中"},            // a Chinese character never splits
      {1, L"中a", "a"},
      {0, L"中文字abc", "中文字abc"},  // 0: no limit
  };
  for (const Case& c : cases) {
    EditForm f;
    f.edit->SetMaxLength(c.maxLength);
    TypeText(c.typed);
    EXPECT_EQ(f.edit->Text(), c.result) << "max " << c.maxLength;
  }
}

TEST(EditMaxLength, TypingOverASelectionMayStayWithinTheLimit) {
  EditForm f;
  f.edit->SetMaxLength(4);
  TypeText(L"中文");
  f.edit->SelectAll();
  TypeText(L"ab");  // replaces the 4 selected bytes
  EXPECT_EQ(f.edit->Text(), "ab");
}

TEST(EditMaxLength, PasteIsCutAtACharacterBoundary) {
  EditForm f;
  f.edit->SetMaxLength(5);
  TypeText(L"a");
  SetClipboardText(f.edit->Handle(), L"中文字");
  ::SendMessageW(f.edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(f.edit->Text(), "a中文");
}

TEST(EditMaxLength, TextSetByTheProgramIsNotCut) {
  EditForm f;
  f.edit->SetMaxLength(2);
  f.edit->SetText("会员卡号");
  EXPECT_EQ(f.edit->Text(), "会员卡号");
}

TEST(Edit, ReadOnlyRefusesTypingAndPaste) {
  EditForm f;
  f.edit->SetText("总仓");
  f.edit->SetReadOnly(true);
  TypeText(L"x");
  SetClipboardText(f.edit->Handle(), L"y");
  ::SendMessageW(f.edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(f.edit->Text(), "总仓");
}

TEST(Edit, PasswordCharHidesTheText) {
  EditForm f;
  f.edit->SetPasswordChar('*');
  TypeText(L"abc123");
  EXPECT_EQ(::SendMessageW(f.edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(f.edit->Text(), "abc123");
}

TEST(Edit, StateSetBeforeTheWindowExistsReachesIt) {
  TForm form(nullptr);
  auto* e = new TEdit(&form);
  e->SetParent(&form);
  e->SetText("持卡人");
  e->SetPasswordChar('*');
  e->SetReadOnly(true);
  EXPECT_FALSE(e->HandleAllocated());
  form.Show();
  EXPECT_TRUE(e->HandleAllocated());
  EXPECT_EQ(e->Text(), "持卡人");
  EXPECT_EQ(::SendMessageW(e->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_TRUE(::GetWindowLongW(e->Handle(), GWL_STYLE) & ES_READONLY);
}

TEST(Edit, TextSurvivesTheWindowBeingRecreated) {
  EditForm f;
  TypeText(L"盘点");
  f.edit->DestroyHandle();
  EXPECT_EQ(f.edit->Text(), "盘点");
  f.edit->HandleNeeded();
  EXPECT_EQ(ui_win::WindowText(f.edit->Handle()), "盘点");
}

TEST(Edit, SelectionCountsGbkBytes) {
  EditForm f;
  f.edit->SetText("中文abc");
  f.edit->SetSelStart(2);
  f.edit->SetSelLength(3);
  EXPECT_EQ(f.edit->SelText(), "文a");
  EXPECT_EQ(f.edit->SelStart(), 2);
  EXPECT_EQ(f.edit->SelLength(), 3);
  f.edit->SetSelText("X");
  EXPECT_EQ(f.edit->Text(), "中Xbc");
}

TEST(Edit, OnChangeFiresForTypingAndForTextSetInCode) {
  EditForm f;
  int changes = 0;
  f.edit->OnChange = [&](TObject*) { ++changes; };
  TypeText(L"ab");
  f.edit->SetText("c");
  f.edit->SetText("c");  // unchanged: no notice
  EXPECT_EQ(changes, 3);
}

TEST(Edit, EnterSelectsAllTextWhenAutoSelect) {
  EditForm f;
  auto* other = new TEdit(&f.form);
  other->SetParent(&f.form);
  other->SetTop(30);
  other->SetText("6901");
  Focus(other);
  EXPECT_EQ(other->SelLength(), 4);
}

TEST(Edit, WindowCarriesTheComponentName) {
  EditForm f;
  EXPECT_EQ(FindByName(f.form.Handle(), "edtName"), f.edit->Handle());
  EXPECT_EQ(FindByName(f.form.Handle(), "nothing"), nullptr);
}
