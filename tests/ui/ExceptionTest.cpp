// Exceptions in event handlers never leave a window procedure: the application's
// handler shows them and the loop goes on.
#include "UiTest.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/StdCtrls.h"

using namespace uitest;

namespace {

struct ThrowingForm {
  TForm form{nullptr};
  TButton* btn;
  TEdit* edit;
  ThrowingForm() {
    btn = new TButton(&form);
    btn->SetName("btnSave");
    btn->SetParent(&form);
    btn->SetCaption("保存(&S)");
    edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetTop(40);
  }
};

}  // namespace

TEST(Exceptions, ClickHandlerExceptionIsShownAndTheModalLoopKeepsRunning) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  Application->SetTitle("Pos");
  ThrowingForm f;
  int clicks = 0;
  f.btn->OnClick = [&](TObject*) {
    ++clicks;
    throw EConvertError("'abc' is not a valid integer value");
  };
  f.form.OnActivate = [&](TObject*) {
    HWND b = f.btn->Handle();
    ::PostMessageW(b, BM_CLICK, 0, 0);
    ::PostMessageW(b, BM_CLICK, 0, 0);  // the loop is still there for the second
    ::PostMessageW(f.form.Handle(), WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(f.form.ShowModal(), mrCancel);
  EXPECT_EQ(clicks, 2);
  ASSERT_EQ(script.Asked().size(), 2u);
  const auto& a = script.Asked()[0];
  EXPECT_EQ(a.Kind, TScriptedDialogs::dkMessageBox);
  EXPECT_EQ(a.Text, "'abc' is not a valid integer value");
  EXPECT_EQ(a.Caption, "Pos");
  EXPECT_EQ(a.Buttons, static_cast<unsigned>(MB_OK));
  EXPECT_EQ(a.Icon, static_cast<unsigned>(MB_ICONSTOP));
}

TEST(Exceptions, KeyHandlerExceptionIsShown) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  ThrowingForm f;
  f.edit->OnKeyDown = [](TObject*, WORD& k, TShiftState) {
    if (k == VK_F5) throw EInvalidOperation("盘点单中尚有未保存的数据");
  };
  f.form.Show();
  Focus(f.edit);
  PostKey(VK_F5);
  ASSERT_EQ(script.Asked().size(), 1u);
  EXPECT_EQ(script.Asked()[0].Text, "盘点单中尚有未保存的数据");
  TypeText(L"7");  // the control still works
  EXPECT_EQ(f.edit->Text(), "7");
}

TEST(Exceptions, AbortIsSilent) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  ThrowingForm f;
  f.btn->OnClick = [](TObject*) { Abort(); };
  f.form.Show();
  Settle();
  ::SendMessageW(f.btn->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(script.Asked().empty());
}

TEST(Exceptions, OnExceptionReplacesTheMessageBox) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  ThrowingForm f;
  std::string seen;
  TObject* sender = nullptr;
  Application->OnException = [&](TObject* s, const Exception& e) {
    seen = std::string(e.ClassName()) + ":" + e.Message();
    sender = s;
  };
  f.btn->OnClick = [](TObject*) { throw EConvertError("bad"); };
  f.form.Show();
  Settle();
  ::SendMessageW(f.btn->Handle(), BM_CLICK, 0, 0);
  Application->OnException = nullptr;
  EXPECT_EQ(seen, "EConvertError:bad");
  EXPECT_EQ(sender, &f.form);  // the window whose procedure caught it
  EXPECT_TRUE(script.Asked().empty());
}

TEST(Exceptions, ForeignExceptionsAreShownWithTheirText) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  ThrowingForm f;
  f.btn->OnClick = [](TObject*) { throw std::runtime_error("out of range"); };
  f.form.Show();
  Settle();
  ::SendMessageW(f.btn->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(script.Asked().size(), 1u);
  EXPECT_EQ(script.Asked()[0].Text, "out of range");
}

TEST(Exceptions, HandleExceptionOutsideACatchDoesNothing) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  Application->HandleException(nullptr);
  EXPECT_TRUE(script.Asked().empty());
}
