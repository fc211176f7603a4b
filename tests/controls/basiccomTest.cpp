// The labelled controls under Wine: the name-and-value label, where the attached label
// stands and how it follows its control, the combo box's dataset binding with its keys,
// and the empty-able date field.
#include "tests/controls/ControlTestUtil.h"

#include "controls/basiccom.h"
#include "db/ClientDataSet.h"
#include "tests/support/FreeWatcher.h"
#include "tests/support/TextPacket.h"

using namespace uitest;
using ctltest::FocusOn;

namespace {

struct LabelForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TPanel* panel;
  EventLog log;

  LabelForm() {
    form->SetBounds(100, 100, 500, 300);
    panel = new TPanel(form.get());
    panel->SetName("pnlMain");
    panel->SetParent(form.get());
    panel->SetAlign(alClient);
  }

  template <typename C>
  C* Make(const char* name, int left, int top) {
    auto* c = new C(form.get());
    c->SetName(name);
    c->SetBounds(left, top, 120, 21);
    c->SetParent(panel);
    return c;
  }

  void Show() {
    form->Show();
    Pump();
    ctltest::Activate(form.get());
    log.Clear();
  }
};

std::string Where(const TControl* c) {
  return std::to_string(c->Left()) + "," + std::to_string(c->Top());
}

// A label of a fixed size, as a caption of 36 x 12 pixels would make it.
void FixLabelSize(TBoundLabel* l, int w, int h) {
  l->SetAutoSize(false);
  l->SetBounds(l->Left(), l->Top(), w, h);
}

std::unique_ptr<TClientDataSet> CardTypes() {
  return postest::TextDataSet({"VipCardTypeID", "TypeName", "PyCode"},
                              {{"001", "金卡", "JK"}, {"002", "银卡", "YK"}, {"003", "普通卡", "ptk"}}, 20);
}

}  // namespace

TEST(LabelLabel, ShowsNameDividerAndValue) {
  LabelForm f;
  auto* l = new TLabelLabel(f.form.get());
  EXPECT_EQ(l->Caption(), " : ");
  int changes = 0;
  l->OnAfterChange = [&](TObject* s) {
    EXPECT_EQ(s, l);
    EXPECT_EQ(l->Caption(), "盘点数量合计 : 12");  // the caption is set before the event
    ++changes;
  };
  l->SetCaptionName("盘点数量合计");
  l->SetCaptionValue("12");
  l->SetCaptionValue("12");
  EXPECT_EQ(changes, 2);
  l->OnAfterChange = nullptr;
  l->SetLabelVisible(false);
  EXPECT_EQ(l->Caption(), "12");
  l->SetLabelVisible(true);
  l->SetCaptionDevide("：");
  EXPECT_EQ(l->Caption(), "盘点数量合计：12");
  EXPECT_TRUE(l->ParamIsID);
}

TEST(AttachedLabel, StandsOnItsSideAndFollowsMovesAndSpacing) {
  LabelForm f;
  auto* e = f.Make<TLabelBtnEdit>("edtCard", 100, 50);
  FixLabelSize(e->EditLabel(), 36, 12);
  struct Case {
    TLabelPosition position;
    const char* where;
  };
  const Case cases[] = {{lpLeft, "61,54"}, {lpAbove, "100,35"}, {lpBelow, "100,74"}, {lpRight, "223,54"}};
  for (const Case& c : cases) {
    e->SetLabelPosition(c.position);
    EXPECT_EQ(Where(e->EditLabel()), c.where) << c.position;
    EXPECT_EQ(e->LabelPosition(), c.position);
  }
  e->SetLabelPosition(lpLeft);
  e->SetBounds(200, 100, 150, 21);
  EXPECT_EQ(Where(e->EditLabel()), "161,104");
  e->SetLabelSpacing(10);
  EXPECT_EQ(Where(e->EditLabel()), "154,104");
  // A label taller than its control sits above its middle: (21 - 30) / 2 = -4.
  FixLabelSize(e->EditLabel(), 36, 30);
  e->SetLabelPosition(lpLeft);
  EXPECT_EQ(Where(e->EditLabel()), "154,96");
}

TEST(AttachedLabel, StaysAttachedWhenItSizesItself) {
  LabelForm f;
  auto* e = f.Make<TLabelBtnEdit>("edtCard", 200, 50);
  e->SetCaption("卡号：");
  const int w = e->EditLabel()->Width();
  EXPECT_GT(w, 0);
  EXPECT_EQ(e->EditLabel()->Left() + w + 3, 200);
  e->EditLabel()->Font()->SetHeight(-24);
  EXPECT_GT(e->EditLabel()->Width(), w);
  EXPECT_EQ(e->EditLabel()->Left() + e->EditLabel()->Width() + 3, 200);
  EXPECT_EQ(e->EditLabel()->Top(), 50 + (21 - e->EditLabel()->Height()) / 2);
  e->SetCaption("持卡人生日：");
  EXPECT_EQ(e->EditLabel()->Left() + e->EditLabel()->Width() + 3, 200);
}

// The label belongs to its control, unnamed, and focuses it.
TEST(AttachedLabel, LabelIsTheControlsUnnamedOwnedLabel) {
  LabelForm f;
  auto* e = new TLabelBtnEdit(f.form.get());
  EXPECT_EQ(e->EditLabel()->FocusControl(), e);
  EXPECT_EQ(e->EditLabel()->Name(), "");
  EXPECT_EQ(e->EditLabel()->Owner(), e);
}

// The button's picture is the bitmap resource "BTNEDIT" of the module holding the code
// (here the test program, in the product the plug-in DLL): pixel for pixel what the
// resource's own bits say, read here without the bitmap loader.
TEST(AttachedLabel, ButtonGlyphIsTheModulesBitmapResource) {
  LabelForm f;
  auto* e = new TLabelBtnEdit(f.form.get());
  HMODULE code = nullptr;
  ASSERT_TRUE(::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(&LoadBtnEditGlyph), &code));
  HRSRC res = ::FindResourceW(code, L"BTNEDIT", MAKEINTRESOURCEW(2));  // RT_BITMAP
  ASSERT_NE(res, nullptr);
  const auto* info = static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(code, res)));
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(info->biWidth, 12);
  ASSERT_EQ(info->biHeight, 12);  // bottom-up
  ASSERT_EQ(info->biBitCount, 24);
  const auto* bits = reinterpret_cast<const uint8_t*>(info) + info->biSize;
  std::vector<uint32_t> expected;
  for (int y = 11; y >= 0; --y)
    for (int x = 0; x < 12; ++x) {
      const uint8_t* p = bits + y * 36 + x * 3;  // rows of 36 bytes, blue green red
      expected.push_back(static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0]);
    }
  EXPECT_EQ(e->Glyph()->PixelsRGB(), expected);
  // Three black dots on the transparent olive: the picture of the resource file.
  EXPECT_EQ(e->Glyph()->PixelRGB(0, 11), 0x808000u);
  EXPECT_EQ(e->Glyph()->PixelRGB(5, 7), 0u);
}

TEST(AttachedLabel, FollowsVisibilityParentAndEnabledState) {
  LabelForm f;
  auto* e = f.Make<TLabelBtnEdit>("edtName", 100, 20);
  auto* c = f.Make<TLabelComboBox>("cbbType", 100, 60);
  EXPECT_EQ(e->EditLabel()->Parent(), f.panel);
  EXPECT_EQ(c->EditLabel()->Parent(), f.panel);
  e->Hide();
  EXPECT_FALSE(e->EditLabel()->Visible());
  // LabelVisible False while hidden; showing the control shows its label again (the
  // visibility notice copies the control's Visible, as it always did).
  e->SetLabelVisible(false);
  e->Show();
  EXPECT_TRUE(e->EditLabel()->Visible());
  e->SetLabelVisible(false);
  EXPECT_FALSE(e->EditLabel()->Visible());
  // Written while the control is hidden, a label of a button edit stays hidden.
  e->Hide();
  e->SetLabelVisible(true);
  EXPECT_FALSE(e->EditLabel()->Visible());
  c->SetLabelVisible(false);
  EXPECT_FALSE(c->EditLabel()->Visible());
  c->SetLabelVisible(true);
  EXPECT_TRUE(c->EditLabel()->Visible());
  e->SetEnabled(false);
  EXPECT_FALSE(e->EditLabel()->Enabled());
  c->SetEnabled(false);
  EXPECT_FALSE(c->EditLabel()->Enabled());
  c->SetEnabled(true);
  EXPECT_TRUE(c->EditLabel()->Enabled());
}

TEST(AttachedLabel, AcceleratorFocusesTheControl) {
  LabelForm f;
  auto* first = f.Make<TLabelBtnEdit>("edtFirst", 100, 20);
  auto* card = f.Make<TLabelBtnEdit>("lblCardNo", 100, 60);
  first->SetCaption("持卡人：");
  card->SetCaption("卡号(&N)：");
  f.Show();
  ASSERT_EQ(f.form->ActiveControl(), first->Edit());
  PostAltKey('N');
  EXPECT_EQ(f.form->ActiveControl(), card->Edit());
}

TEST(AttachedLabel, AParentFreedFirstTakesTheLabelWithIt) {
  LabelForm f;
  auto* e = f.Make<TLabelBtnEdit>("edtName", 100, 20);
  auto* m = new TCustomLabelMemo(f.form.get());
  m->SetParent(f.panel);
  f.Show();
  postest::TFreeWatcher edit(e), editLabel(e->EditLabel()), memo(m);
  ASSERT_TRUE(edit.Alive() && editLabel.Alive() && memo.Alive());
  delete f.panel;  // frees the controls and their labels
  EXPECT_FALSE(edit.Alive());
  EXPECT_FALSE(editLabel.Alive());
  EXPECT_FALSE(memo.Alive());
}

TEST(AttachedLabel, DesignTimeRenameRenamesTheCaptionAndClearsTheText) {
  LabelForm f;
  auto* e = new TLabelBtnEdit(f.form.get());
  e->SetComponentState(csDesigning, true);
  e->SetText("abc");
  e->SetTypeid("7");
  e->SetName("LabelBtnEdit1");
  EXPECT_EQ(e->Caption(), "LabelBtnEdit1");
  EXPECT_EQ(e->Text(), "");
  EXPECT_EQ(e->Typeid(), "");
  e->SetCaption("卡号：");
  e->SetName("lblCardNo");
  EXPECT_EQ(e->Caption(), "卡号：");
  auto* plain = new TLabelBtnEdit(f.form.get());
  plain->SetText("kept");
  plain->SetName("edtKept");
  EXPECT_EQ(plain->Text(), "kept");
  EXPECT_EQ(plain->Caption(), "");
}

TEST(LabelMemo, MouseActivationFiresTheHintEvent) {
  LabelForm f;
  auto* m = new TCustomLabelMemo(f.form.get());
  m->SetParent(f.panel);
  m->SetBounds(100, 100, 120, 60);
  int hints = 0;
  m->ONHintEvent = [&](TObject* s) {
    EXPECT_EQ(s, m);
    ++hints;
  };
  f.Show();
  ::SendMessageW(m->Handle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(f.form->Handle()),
                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
  EXPECT_EQ(hints, 1);
}

// --- combo box -------------------------------------------------------------------------------------

namespace {

// Exposes the key handling of the combo box with explicit shift states.
class TestCombo : public TLabelComboBox {
 public:
  using TLabelComboBox::TLabelComboBox;
  void Down(WORD key, TShiftState shift) { KeyDown(key, shift); }
  void Up(WORD key, TShiftState shift) { KeyUp(key, shift); }
  char Press(char key) {
    KeyPress(key);
    return key;
  }
};

std::string Items(TCustomComboBox* c) {
  std::string s;
  for (int i = 0; i < c->Items()->Count(); ++i) s += (i ? "|" : "") + c->Items()->Strings(i);
  return s;
}

struct ComboForm : LabelForm {
  TestCombo* combo;
  TEdit* next;
  std::unique_ptr<TClientDataSet> data = CardTypes();
  ComboForm() {
    combo = Make<TestCombo>("cbbCardType", 100, 20);
    combo->SetShowField("typename");
    combo->SetFindField("PYCODE");
    combo->SetKeyField("VipCardTypeID");
    next = Make<TEdit>("edtNext", 100, 60);
  }
};

}  // namespace

TEST(LabelComboBox, LoadsItemsAndGivesTheKeyOfTheChosenOne) {
  ComboForm f;
  f.combo->Items()->Add("hand-made");
  f.combo->LoadFromDataSet(f.data.get());
  EXPECT_EQ(Items(f.combo), "金卡|银卡|普通卡");
  EXPECT_EQ(f.combo->ItemIndex(), -1);
  f.combo->OnChange = [&](TObject*) { f.log.Add("change:" + f.combo->keyValue()); };
  f.Show();
  FocusOn(f.combo);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  EXPECT_EQ(f.combo->ItemIndex(), 1);
  EXPECT_EQ(f.log.Str(), "change:001 change:002");
  EXPECT_EQ(f.combo->keyValue(), "002");
  f.combo->SetItemIndex(-1);
  FocusOn(f.next);
  EXPECT_EQ(f.combo->keyValue(), "0");
}

TEST(LabelComboBox, LoadingNeedsAllThreeColumns) {
  ComboForm f;
  f.combo->Items()->Add("kept");
  f.combo->SetKeyField("CardSet");
  f.combo->LoadFromDataSet(f.data.get());
  EXPECT_EQ(Items(f.combo), "kept");
  f.combo->SetkeyValue("002");  // not bound: only stored
  EXPECT_EQ(f.combo->keyValue(), "002");
  EXPECT_EQ(f.combo->ItemIndex(), -1);
  f.combo->OnExit = [&](TObject*) { f.log.Add("exit:" + f.combo->keyValue()); };
  f.Show();
  FocusOn(f.combo);
  FocusOn(f.next);
  EXPECT_EQ(f.log.Str(), "exit:0");
}

TEST(LabelComboBox, KeyValueSelectsItsRecord) {
  ComboForm f;
  f.combo->LoadFromDataSet(f.data.get());
  f.combo->SetkeyValue("003");
  EXPECT_EQ(f.combo->ItemIndex(), 2);
  EXPECT_EQ(f.combo->Text(), "普通卡");
  f.combo->SetkeyValue("999");  // no such record: the selection stays
  EXPECT_EQ(f.combo->ItemIndex(), 2);
  EXPECT_EQ(f.combo->keyValue(), "999");
  f.combo->SetKeyField("Missing");
  EXPECT_THROW(f.combo->SetkeyValue("001"), EDatabaseError);
}

TEST(LabelComboBox, CtrlEnterFiltersAndDeleteShowsAllAgain) {
  ComboForm f;
  f.combo->LoadFromDataSet(f.data.get());
  f.Show();
  FocusOn(f.combo);
  f.combo->SetText("p");
  WORD key = VK_RETURN;
  const TShiftState ctrl{ssCtrl};
  f.combo->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { f.log.Add("down:" + std::to_string(k)); };
  f.combo->Down(key, ctrl);
  f.combo->Up(VK_RETURN, ctrl);
  EXPECT_EQ(f.log.Str(), "down:0");
  EXPECT_EQ(Items(f.combo), "普通卡");
  EXPECT_EQ(f.combo->ItemIndex(), -1);
  EXPECT_TRUE(f.combo->DroppedDown());
  EXPECT_EQ(f.combo->Binding().DataSet()->Filter(), "(typename='P*' or PYCODE='P*')");
  // Enter with Shift as well is no Ctrl+Enter.
  f.combo->Up(VK_RETURN, TShiftState{ssCtrl, ssShift});
  EXPECT_EQ(Items(f.combo), "普通卡");
  f.combo->SetDroppedDown(false);
  f.combo->SetText("");
  f.combo->Up(VK_DELETE, TShiftState{});
  EXPECT_EQ(Items(f.combo), "金卡|银卡|普通卡");
  EXPECT_FALSE(f.combo->DroppedDown());
  EXPECT_FALSE(f.combo->Binding().DataSet()->Filtered());
}

TEST(LabelComboBox, BackspaceIsDiscarded) {
  ComboForm f;
  EXPECT_EQ(f.combo->Press('\b'), 0);
  EXPECT_EQ(f.combo->Press('a'), 'a');
  f.combo->Items()->Add("abc");
  f.Show();
  FocusOn(f.combo);
  f.combo->SetText("abc");
  ::SendMessageW(f.combo->Handle(), CB_SETEDITSEL, 0, MAKELPARAM(3, 3));
  PostKey(VK_BACK);
  EXPECT_EQ(f.combo->Text(), "abc");
}

// --- dates -----------------------------------------------------------------------------------------

TEST(EmptyDate, LaysOutItsParts) {
  LabelForm f;
  auto* d = new TEmptyDate(f.form.get());
  d->SetParent(f.panel);
  EXPECT_EQ(d->Width(), 120);
  EXPECT_EQ(d->Height(), 22);
  EXPECT_EQ(d->ClearButton()->Left(), 102);
  EXPECT_EQ(d->Calendar()->Left(), 81);
  EXPECT_EQ(d->MaskEdit()->Width(), 83);
  d->SetWidth(150);
  EXPECT_EQ(d->ClearButton()->Left(), 132);
  EXPECT_EQ(d->Calendar()->Left(), 111);
  EXPECT_EQ(d->MaskEdit()->Width(), 113);
  EXPECT_EQ(d->ClearButton()->Caption(), "清");
  EXPECT_EQ(d->MaskEdit()->EditMask(), "!9999/99/99;1;_");
}

TEST(EmptyDate, CalendarClearButtonAndTyping) {
  LabelForm f;
  auto* d = new TLabelEmptyDate(f.form.get());
  d->SetParent(f.panel);
  d->SetBounds(100, 20, 150, 22);
  d->SetCaption("生日：");
  auto* next = f.Make<TEdit>("edtNext", 100, 80);
  int changes = 0;
  d->OnChange = [&](TObject* s) {
    EXPECT_EQ(s, d);
    ++changes;
  };
  f.Show();
  EXPECT_EQ(d->DateStr(), "");
  d->Calendar()->SetDate(EncodeDate(2024, 5, 7));
  d->Calendar()->OnChange(d->Calendar());
  EXPECT_EQ(d->DateStr(), "2024-05-07");
  d->ClearButton()->Click();
  EXPECT_EQ(d->DateStr(), "");
  FocusOn(d->MaskEdit());
  d->MaskEdit()->SetSelStart(0);
  TypeText(L"2024x0230");
  EXPECT_EQ(d->MaskEdit()->Text(), "2024-02-30");
  EXPECT_GT(changes, 0);  // typing changes the text
  FocusOn(next);
  EXPECT_EQ(d->DateStr(), "");  // cleared silently: no such day
  FocusOn(d->MaskEdit());
  d->MaskEdit()->SetSelStart(0);
  TypeText(L"20240229");
  FocusOn(next);
  EXPECT_EQ(d->DateStr(), "2024-02-29");
}

TEST(LabelDate, IsAPickerWithALabel) {
  LabelForm f;
  auto* d = f.Make<TLabelDate>("dtpHandOut", 150, 20);
  d->SetCaption("发卡日期：");
  EXPECT_EQ(d->EditLabel()->Left() + d->EditLabel()->Width() + 3, 150);
  d->SetEnabled(false);
  EXPECT_FALSE(d->EditLabel()->Enabled());
  d->Hide();
  EXPECT_FALSE(d->EditLabel()->Visible());
  d->SetLabelPosition(lpAbove);
  EXPECT_EQ(d->EditLabel()->Top(), 20 - d->EditLabel()->Height() - 3);
}
