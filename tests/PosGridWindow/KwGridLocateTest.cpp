// The grid's locate dialog, modal, by posted keys and mouse clicks: the modal result of
// each way out, and the search the owner runs on it in the data controller.
#include <functional>

#include "VCLSource/source/PosGrid/fukvGridLocate.h"
#include "tests/PosGrid/DataControllerFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/ui/UiTest.h"

using namespace uitest;
using kvtest::Grid;
using kvtest::Named;

namespace {

constexpr UINT WM_TEST_STEPS = WM_USER + 77;

// Shows the dialog modally; once it is up, `steps` drives it. Returns the modal result.
TModalResult RunModal(TfmGridLocate& dlg, const std::function<void()>& steps) {
  dlg.OnShow = [&](TObject*) { ::PostMessageW(dlg.Handle(), WM_TEST_STEPS, 0, 0); };
  dlg.RegisterMessageHandler(WM_TEST_STEPS, [&](TMessage&) {
    Settle();
    steps();
    if (dlg.ModalResult() == mrNone) dlg.SetModalResult(mrAbort);  // never left open
  });
  return dlg.ShowModal();
}

// A left click at the middle of a control, as the system queues it.
void ClickOn(TWinControl* c) {
  EnsureActive();
  const LPARAM at = MAKELPARAM(c->Width() / 2, c->Height() / 2);
  ::PostMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(c->Handle(), WM_LBUTTONUP, 0, at);
  Pump();
}

struct LocateCase {
  Grid g{Named({{1, "apple"}, {2, "Banana"}, {3, "BANDANA"}})};
  TfmGridLocate dlg{nullptr};
  LocateCase() {
    dlg.AddColumn("编号", g.F("ID")->Index());
    dlg.AddColumn("名称", g.F("NAME")->Index());
  }
  TkvDataControllerSearch& Search() { return g.C->Search(); }
};

}  // namespace

TEST(KwGridLocate, LayoutAndDefaults) {
  TfmGridLocate dlg(nullptr);
  EXPECT_EQ(dlg.Caption(), "定位");
  EXPECT_EQ(dlg.Width(), 342);
  EXPECT_EQ(dlg.Height(), 228);
  EXPECT_EQ(dlg.BorderStyle(), bsDialog);
  EXPECT_EQ(dlg.Font()->Name(), "新宋体");
  EXPECT_EQ(dlg.Label1->Caption(), "选择列名");
  EXPECT_EQ(dlg.Label2->Caption(), "查找内容");
  EXPECT_EQ(dlg.cbbLocate->Style(), csDropDownList);
  EXPECT_EQ(dlg.rgRangeOption->Caption(), "查找范围");
  ASSERT_EQ(dlg.rgRangeOption->ItemCount(), 3);
  EXPECT_EQ(dlg.rgRangeOption->Buttons(0)->Caption(), "全部范围");
  EXPECT_EQ(dlg.rgRangeOption->Buttons(1)->Caption(), "当前光标向下");
  EXPECT_EQ(dlg.rgRangeOption->Buttons(2)->Caption(), "当前光标向上");
  EXPECT_EQ(dlg.rgRangeOption->ItemIndex(), 0);
  EXPECT_EQ(dlg.bbFind->Caption(), "查  找");
  EXPECT_EQ(dlg.bbAgain->Caption(), "下一个");
  EXPECT_EQ(dlg.bbCancel->Caption(), "取  消");
}

TEST(KwGridLocate, ByKeyboardFindChoosesTheColumnTypesTheTextAndFindsTheRow) {
  LocateCase t;
  bool downFocused = false;
  const TModalResult r = RunModal(t.dlg, [&] {
    Focus(t.dlg.cbbLocate);
    PostKey(VK_DOWN);
    PostKey(VK_DOWN);
    PostKey(VK_TAB);
    TypeText(L"ban");
    PostKey(VK_TAB);  // to the checked range button
    downFocused = ::GetFocus() == t.dlg.rgRangeOption->Buttons(0)->Handle();
    PostKey(VK_DOWN);
    PostKey(VK_RETURN);  // the default button: Find
  });
  EXPECT_TRUE(downFocused);
  EXPECT_EQ(t.dlg.rgRangeOption->ItemIndex(), 1);
  EXPECT_EQ(r, kwLocateFind);
  EXPECT_EQ(t.dlg.cbbLocate->ItemIndex(), 1);
  EXPECT_EQ(t.dlg.edtLocate->Text(), "ban");
  EXPECT_TRUE(t.dlg.Perform(r, t.Search()));
  EXPECT_EQ(t.g.C->FocusedRowIndex(), 1);
  EXPECT_EQ(t.g.CurrentId(), "2");
}

TEST(KwGridLocate, ByMouseNextGoesDownOrUpAsTheRangeSays) {
  LocateCase t;
  t.g.C->FocusRowIndex(2);
  ASSERT_TRUE(t.Search().Search(t.g.F("NAME")->Index(), "ban"));
  ASSERT_EQ(t.g.C->FocusedRowIndex(), 2);
  // Upwards: the item chosen by a click on its button.
  TModalResult r = RunModal(t.dlg, [&] {
    ClickOn(t.dlg.rgRangeOption->Buttons(2));
    ClickOn(t.dlg.bbAgain);
  });
  EXPECT_EQ(r, kwLocateAgain);
  EXPECT_EQ(t.dlg.rgRangeOption->ItemIndex(), 2);
  EXPECT_TRUE(t.dlg.rgRangeOption->Buttons(2)->Checked());
  EXPECT_FALSE(t.dlg.rgRangeOption->Buttons(0)->Checked());
  EXPECT_TRUE(t.dlg.Perform(r, t.Search()));
  EXPECT_EQ(t.g.C->FocusedRowIndex(), 1);
  // Downwards again.
  t.dlg.SetModalResult(mrNone);
  r = RunModal(t.dlg, [&] {
    ClickOn(t.dlg.rgRangeOption->Buttons(1));
    ClickOn(t.dlg.bbAgain);
  });
  EXPECT_EQ(r, kwLocateAgain);
  EXPECT_EQ(t.dlg.rgRangeOption->ItemIndex(), 1);
  EXPECT_TRUE(t.dlg.Perform(r, t.Search()));
  EXPECT_EQ(t.g.C->FocusedRowIndex(), 2);
}

TEST(KwGridLocate, CancelEscAndTheCloseBoxSearchNothing) {
  LocateCase t;
  t.dlg.cbbLocate->SetItemIndex(1);
  t.dlg.edtLocate->SetText("ban");
  const std::function<void()> ways[] = {
      [&] { ClickOn(t.dlg.bbCancel); },
      [&] { PostKey(VK_ESCAPE); },
      [&] {
        ::PostMessageW(t.dlg.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        Pump();
      },
  };
  for (const auto& way : ways) {
    t.dlg.SetModalResult(mrNone);
    const TModalResult r = RunModal(t.dlg, way);
    EXPECT_EQ(r, mrCancel);
    EXPECT_FALSE(t.dlg.Perform(r, t.Search()));
    EXPECT_EQ(t.g.C->FocusedRowIndex(), 0);
    EXPECT_FALSE(t.Search().Active());
  }
}

TEST(KwGridLocate, FindWithAnEmptyColumnListSearchesNothing) {
  Grid g(Named({{1, "apple"}, {2, "Banana"}}));
  TfmGridLocate dlg(nullptr);
  dlg.edtLocate->SetText("ban");
  const TModalResult r = RunModal(dlg, [&] { PostKey(VK_RETURN); });
  EXPECT_EQ(r, kwLocateFind);
  EXPECT_EQ(dlg.cbbLocate->ItemIndex(), -1);
  EXPECT_FALSE(dlg.Perform(r, g.C->Search()));
  EXPECT_EQ(g.C->FocusedRowIndex(), 0);
  EXPECT_FALSE(g.C->Search().Active());
}

TEST(KwGridLocate, Screenshot) {
  LocateCase t;
  t.dlg.cbbLocate->SetItemIndex(1);
  t.dlg.edtLocate->SetText("香蕉");
  t.dlg.rgRangeOption->SetItemIndex(1);
  const TModalResult r = RunModal(t.dlg, [&] {
    SaveScreenshot(&t.dlg, std::string("Z:") + POS_BINARY_DIR + "/kw-grid-locate.png");
    PostKey(VK_ESCAPE);
  });
  EXPECT_EQ(r, mrCancel);
}
