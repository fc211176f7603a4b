// The button edit under Wine: defaults and parts, the order of its events on Enter, the
// button and double-click, the key filter and exit rule as a user meets them (typing,
// leaving the field), Typeid, the focus colour and the flat look.
#include "tests/controls/ControlTestUtil.h"

#include "controls/RuxBtnEdit.h"
#include "tests/support/ScriptedDialogs.h"

using namespace uitest;
using ctltest::FocusOn;

namespace {

// A shown form with two button edits and a plain edit after them.
struct BtnEditForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TRuxBtnEdit* first;
  TRuxBtnEdit* second;
  TEdit* last;
  EventLog log;

  BtnEditForm() {
    form->SetBounds(100, 100, 400, 200);
    first = Make("edtFirst", 10);
    second = Make("edtSecond", 40);
    last = new TEdit(form.get());
    last->SetName("edtLast");
    last->SetParent(form.get());
    last->SetBounds(10, 70, 120, 21);
  }

  TRuxBtnEdit* Make(const char* name, int top) {
    auto* e = new TRuxBtnEdit(form.get());
    e->SetName(name);
    e->SetParent(form.get());
    e->SetBounds(10, top, 120, 21);
    return e;
  }

  void Show() {
    form->Show();
    Pump();
    ctltest::Activate(form.get());
    log.Clear();
  }

  // Moves on as the screens do when the field lets them.
  void MoveOnFrom(TRuxBtnEdit* e) {
    e->OnSelectNextC = [this](TObject* s) {
      log.Add("nextc");
      form->SelectNext(form->ActiveControl(), true, true);
    };
  }
};

}  // namespace

TEST(RuxBtnEdit, StartsWithItsPartsAndDefaults) {
  BtnEditForm f;
  TRuxBtnEdit* e = f.first;
  EXPECT_EQ(e->Width(), 120);
  EXPECT_EQ(e->Height(), 21);
  EXPECT_EQ(e->Edit()->Name(), "edtFirstEdit");
  EXPECT_EQ(e->MaxValue(), 1000000);
  EXPECT_EQ(e->MinValue(), -1000000);
  EXPECT_EQ(e->DataType(), dtString);
  EXPECT_EQ(e->SelectOptions().Bits(), 1u);
  EXPECT_EQ(e->BusinessTypes().Bits(), 95u);
  EXPECT_EQ(e->StockTypes().Bits(), 15u);
  EXPECT_EQ(e->FocusColor(), clWhite);
  EXPECT_TRUE(e->RunSelectBasic() && e->BtnVisible() && e->SelectNextC() && e->BtnEnabled());
  EXPECT_FALSE(e->Flat());
  const int bw = ::GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(e->Button()->Width(), bw);
  EXPECT_EQ(e->Button()->Top(), 2);
  EXPECT_EQ(e->Button()->Left(), 120 - bw);
  EXPECT_EQ(e->Button()->Height(), 17);
  EXPECT_EQ(e->Edit()->Width(), 120 - bw + 1);
  EXPECT_EQ(e->Edit()->Height(), 21);
  EXPECT_EQ(e->BottomLine()->Top(), 20);
  EXPECT_EQ(e->Underline()->Top(), 16);
  EXPECT_EQ(e->Underline()->Left(), 130);
  EXPECT_EQ(e->Underline()->Parent(), e->Edit());
  EXPECT_FALSE(e->Underline()->Visible());
  e->SetBtnVisible(false);
  EXPECT_EQ(e->Edit()->Width(), 120);
  EXPECT_FALSE(e->Button()->Visible());
  EXPECT_FALSE(e->TopLine()->Visible());
}

TEST(RuxBtnEdit, EnterAsksForASelectionThenMovesOn) {
  struct Case {
    bool runSelectBasic;
    int handler;  // 0 none, 1 leaves the flag False, 2 sets it True, 3 zeroes the key
    const char* events;
    const char* focusName;
  };
  const Case cases[] = {
      {true, 0, "keydown nextc", "edtSecondEdit"},
      {true, 1, "select:KEYDOWN keydown", "edtFirstEdit"},
      {true, 2, "select:KEYDOWN keydown nextc", "edtSecondEdit"},
      {false, 1, "keydown nextc", "edtSecondEdit"},
      {true, 3, "select:KEYDOWN keydown", "edtFirstEdit"},
  };
  for (const Case& c : cases) {
    BtnEditForm f;
    f.MoveOnFrom(f.first);
    f.first->SetRunSelectBasic(c.runSelectBasic);
    if (c.handler != 0) {
      f.first->OnSelectBasic = [&f, &c](TObject* s, const AnsiString& mode, bool& modifyed) {
        f.log.Add("select:" + mode);
        EXPECT_FALSE(modifyed);
        if (c.handler == 2) modifyed = true;
      };
    }
    f.first->OnKeyDown = [&f, &c](TObject* s, WORD& key, TShiftState) {
      EXPECT_EQ(s, f.first);
      f.log.Add("keydown");
      if (c.handler == 3) key = 0;
    };
    f.Show();
    ASSERT_EQ(f.form->ActiveControl(), f.first->Edit());
    PostKey(VK_RETURN);
    EXPECT_EQ(f.log.Str(), c.events) << c.handler;
    ASSERT_NE(f.form->ActiveControl(), nullptr);
    EXPECT_EQ(f.form->ActiveControl()->Name(), c.focusName) << c.handler;
  }
}

TEST(RuxBtnEdit, ButtonAndDoubleClickAskForASelection) {
  BtnEditForm f;
  for (TRuxBtnEdit* e : {f.first, f.second}) {
    e->OnSelectBasic = [&f](TObject* s, const AnsiString& mode, bool&) { f.log.Add(mode); };
    e->OnBtnClick = [&f](TObject*) { f.log.Add("btnclick"); };
    e->OnDblClick = [&f](TObject*) { f.log.Add("dblclick"); };
  }
  f.Show();
  f.second->Button()->Click();
  EXPECT_EQ(f.log.Str(), "BTNCLICK btnclick");
  EXPECT_EQ(f.form->ActiveControl(), f.second->Edit());
  f.log.Clear();
  ::SendMessageW(f.first->Edit()->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(f.log.Str(), "DBLCLICK dblclick");
  f.log.Clear();
  f.first->SetBtnVisible(false);
  ::SendMessageW(f.first->Edit()->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(f.log.Str(), "dblclick");
}

TEST(RuxBtnEdit, TypedKeysAreFilteredByDataType) {
  struct Case {
    TDataType type;
    int minValue;
    const wchar_t* typed;
    const char* text;
  };
  const Case cases[] = {
      {dtPrice, -1000000, L"1.2.3", "1.23"},   {dtQty, 0, L"-12", "12"},
      {dtQty, -5, L"-1-2", "-12"},             {dtIntegerPlus, -5, L"-4.5x", "45"},
      {dtInteger, -5, L"7.5", "75"},           {dtString, 0, L"a-.b", "a-.b"},
      {dtDate, 0, L"2024.01.02", "2024.01.02"},
  };
  for (const Case& c : cases) {
    BtnEditForm f;
    f.first->SetDataType(c.type);
    f.first->SetMinValue(c.minValue);
    f.Show();
    TypeText(c.typed);
    EXPECT_EQ(f.first->Text(), c.text) << EnumName(c.type);
  }
}

TEST(RuxBtnEdit, LeavingTheFieldChecksAndFormatsItsText) {
  struct Case {
    TDataType type;
    const char* text;
    const char* after;
    bool message;
  };
  const Case cases[] = {
      {dtQty, "12.345678912", "12.34567891", false}, {dtQty, "5e7", "1000000", false},
      {dtQty, "abc", "0", false},                    {dtIntegerPlus, "0012345678901", "1000000", false},
      {dtInteger, "12x", "0", false},                {dtDate, "2024-2-9", "", true},
      {dtDate, "2024.02.09", "2024-02-09", false},   {dtDate, "   ", "", false},
  };
  for (const Case& c : cases) {
    TScriptedDialogs script;
    TDialogServiceScope scope(&script);
    BtnEditForm f;
    f.first->SetDataType(c.type);
    f.Show();
    f.first->SetText(c.text);
    FocusOn(f.second);
    EXPECT_EQ(f.first->Text(), c.after) << c.text;
    ASSERT_EQ(script.Asked().size(), c.message ? 1u : 0u) << c.text;
    if (c.message) {
      EXPECT_EQ(script.Asked()[0].Text, "日期格式输入错误!");
      EXPECT_EQ(script.Asked()[0].Caption, "提示");
      EXPECT_EQ(script.Asked()[0].Buttons, static_cast<unsigned>(MB_OK));
      EXPECT_EQ(script.Asked()[0].Icon, 0u);
    }
  }
}

TEST(RuxBtnEdit, TypeidFollowsTheTextOfALookupField) {
  BtnEditForm f;
  f.first->SetBasicType(btPtype);
  f.first->OnChangeTypeID = [&f](TObject*) { f.log.Add("typeid:" + f.first->Typeid()); };
  f.Show();
  f.first->SetText("衬衫");
  f.first->SetTypeid("00012");
  EXPECT_EQ(f.log.Str(), "typeid:00012");
  f.first->SetTypeid("00012");  // the same id: no event
  f.log.Clear();
  f.first->SetText("");  // in code: the id goes without the event
  EXPECT_EQ(f.first->Typeid(), "");
  EXPECT_EQ(f.log.Str(), "");
  f.first->SetTypeid("00013");
  f.log.Clear();
  f.first->Edit()->SetText("");  // the user cleared it: leaving fires the event
  FocusOn(f.first);
  FocusOn(f.second);
  EXPECT_EQ(f.first->Typeid(), "");
  EXPECT_EQ(f.log.Str(), "typeid:");
}

TEST(RuxBtnEdit, EnterAndExitEventsFocusColourAndLastText) {
  BtnEditForm f;
  f.first->SetFocusColor(clYellow);
  f.first->SetColor(clSilver);
  f.second->OnEnter = [&f](TObject* s) { f.log.Add("enter:" + static_cast<TComponent*>(s)->Name()); };
  f.second->OnExit = [&f](TObject* s) { f.log.Add("exit:" + static_cast<TComponent*>(s)->Name()); };
  f.second->OnHintEvent = [&f](TObject*) { f.log.Add("hint"); };
  f.Show();
  EXPECT_EQ(f.first->Color(), clYellow);
  f.second->SetText("abc");
  FocusOn(f.second);
  EXPECT_EQ(f.first->Color(), clSilver);
  EXPECT_EQ(f.second->LastText(), "abc");
  FocusOn(f.last);
  EXPECT_EQ(f.log.Str(), "hint enter:edtSecond exit:edtSecond");
}

TEST(RuxBtnEdit, FlatShowsTheButtonOnlyWhileFocused) {
  BtnEditForm f;
  f.second->SetFlat(true);
  EXPECT_FALSE(f.second->Button()->Visible());
  EXPECT_TRUE(f.second->Underline()->Visible());
  EXPECT_EQ(f.second->Edit()->Top(), 3);
  EXPECT_EQ(f.second->Edit()->BorderStyle(), bsNone);
  f.Show();
  FocusOn(f.second);
  EXPECT_TRUE(f.second->Button()->Visible());
  FocusOn(f.first);
  EXPECT_FALSE(f.second->Button()->Visible());
  f.second->SetFlat(false);
  EXPECT_TRUE(f.second->Button()->Visible());
  EXPECT_EQ(f.second->Edit()->Top(), 0);
  EXPECT_FALSE(f.second->Underline()->Visible());
}

TEST(RuxBtnEdit, EnabledIsTheEditsAndTheButtons) {
  BtnEditForm f;
  f.first->SetEnabled(false);
  EXPECT_FALSE(f.first->Enabled());
  EXPECT_FALSE(f.first->Edit()->Enabled());
  EXPECT_FALSE(f.first->Button()->Enabled());
  EXPECT_TRUE(static_cast<TControl*>(f.first)->Enabled());
  f.Show();
  EXPECT_EQ(f.form->ActiveControl(), f.second->Edit());
}
