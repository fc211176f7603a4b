// The grid's filter dialog, modal, by posted keys and mouse clicks: the panel each column
// gets, the conditions OK builds, a refused OK, and the filter the owner applies.
#include <functional>
#include <string>
#include <vector>

#include "VCLSource/source/PosGrid/fukvGridFilter.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "rtl/FormatSettings.h"
#include "tests/PosGrid/DataControllerFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/ui/UiTest.h"

using namespace uitest;

namespace {

constexpr UINT WM_TEST_STEPS = WM_USER + 78;

TModalResult RunModal(TfmGridFilter& dlg, const std::function<void()>& steps) {
  dlg.OnShow = [&](TObject*) { ::PostMessageW(dlg.Handle(), WM_TEST_STEPS, 0, 0); };
  dlg.RegisterMessageHandler(WM_TEST_STEPS, [&](TMessage&) {
    Settle();
    steps();
    if (dlg.ModalResult() == mrNone) dlg.SetModalResult(mrAbort);  // never left open
  });
  return dlg.ShowModal();
}

void ClickOn(TWinControl* c) {
  EnsureActive();
  const LPARAM at = MAKELPARAM(c->Width() / 2, c->Height() / 2);
  ::PostMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(c->Handle(), WM_LBUTTONUP, 0, at);
  Pump();
}

// A grid column over one field of the data controller and its dataset field.
class FieldColumn : public IkwColumn {
 public:
  FieldColumn(kvtest::Grid& g, const char* name) : FField(g.DataSet->FieldByName(name)), FItem(g.F(name)) {}
  bool HasValueExpression() override { return false; }
  Variant EvaluateValueExpression(int) override { return Variant(); }
  IkwField* GetField() override { return &FField; }
  TkvDbField* DbField() override { return FItem; }

 private:
  TkwField FField;
  TkvDbField* FItem;
};

// Three goods (NAME, PRICE, DAY) in the dialog's list as 名称, 数量 and 日期.
struct FilterCase {
  kvtest::Grid g{{{1, "苹果", 2.0, 0, EncodeDate(2024, 5, 1), true},
                  {2, "梨", 3.0, 0, EncodeDate(2024, 5, 31), true},
                  {3, "桃", 5.0, 0, EncodeDate(2024, 6, 1), true}}};
  FieldColumn name{g, "NAME"};
  FieldColumn qty{g, "PRICE"};
  FieldColumn date{g, "DAY"};
  TfmGridFilter dlg{nullptr};
  std::vector<std::string> messages;
  TExceptionEvent savedHandler = Application->OnException;
  FilterCase() {
    dlg.AddColumn("名称", &name);
    dlg.AddColumn("数量", &qty);
    dlg.AddColumn("日期", &date);
    Application->OnException = [this](TObject*, const Exception& e) { messages.push_back(e.Message()); };
  }
  ~FilterCase() { Application->OnException = savedHandler; }
  std::string Visible() const {
    return std::string(dlg.pnlTextCondition->Visible() ? "text" : "") +
           (dlg.pnlNumericCondition->Visible() ? "numeric" : "") + (dlg.pnlDatetimeCondition->Visible() ? "date" : "");
  }
};

}  // namespace

TEST(KwGridFilter, LayoutAndDefaults) {
  TfmGridFilter dlg(nullptr);
  EXPECT_EQ(dlg.Caption(), "筛选");
  EXPECT_EQ(dlg.Width(), 306);
  EXPECT_EQ(dlg.Height(), 289);
  EXPECT_EQ(dlg.BorderStyle(), bsDialog);
  EXPECT_EQ(dlg.Label3->Caption(), "选择列名");
  EXPECT_EQ(dlg.cbbFilter->Style(), csDropDownList);
  EXPECT_EQ(dlg.rgFilterRange->Caption(), "筛选条件");
  ASSERT_EQ(dlg.rgFilterRange->ItemCount(), 3);
  EXPECT_EQ(dlg.rgFilterRange->Buttons(0)->Caption(), "从全部筛选");
  EXPECT_EQ(dlg.rgFilterRange->Buttons(1)->Caption(), "从当前筛选");
  EXPECT_EQ(dlg.rgFilterRange->Buttons(2)->Caption(), "取消所有筛选");
  EXPECT_EQ(dlg.rgFilterRange->ItemIndex(), 0);
  EXPECT_EQ(dlg.btnFilter->Caption(), "确定");
  EXPECT_EQ(dlg.btnCancel->Caption(), "取  消");
  EXPECT_EQ(dlg.chkLike->Caption(), "相似");
  EXPECT_EQ(dlg.Label5->Caption(), "数值>=");
  EXPECT_EQ(dlg.Label6->Caption(), "数据<=");
  EXPECT_EQ(dlg.Labeldatebegin->Caption(), "时间起");
  EXPECT_EQ(dlg.Labeldateend->Caption(), "时间止");
  EXPECT_TRUE(dlg.pnlTextCondition->Visible());
  EXPECT_FALSE(dlg.pnlNumericCondition->Visible());
  EXPECT_FALSE(dlg.pnlDatetimeCondition->Visible());
}

TEST(KwGridFilter, ChoosingAColumnByKeyShowsItsPanel) {
  FilterCase t;
  std::vector<std::string> seen;
  const TModalResult r = RunModal(t.dlg, [&] {
    Focus(t.dlg.cbbFilter);
    for (int i = 0; i < 3; ++i) {
      PostKey(VK_DOWN);
      seen.push_back(t.Visible());
    }
    PostKey(VK_ESCAPE);
  });
  EXPECT_EQ(r, mrCancel);
  EXPECT_EQ(seen, (std::vector<std::string>{"text", "numeric", "date"}));
}

TEST(KwGridFilter, NumericRangeTypedAndAcceptedFiltersTheRows) {
  FilterCase t;
  const TModalResult r = RunModal(t.dlg, [&] {
    Focus(t.dlg.cbbFilter);
    PostKey(VK_DOWN);
    PostKey(VK_DOWN);  // 数量
    Focus(t.dlg.edtMin);
    TypeText(L"3");
    Focus(t.dlg.edtMax);
    TypeText(L"4");
    ClickOn(t.dlg.btnFilter);
  });
  ASSERT_EQ(r, mrOk);
  ASSERT_EQ(t.dlg.Conditions().size(), 2u);
  EXPECT_EQ(t.dlg.Conditions()[0].DisplayText, "3");
  EXPECT_EQ(t.dlg.Conditions()[1].DisplayText, "4");
  TkwGridFilter filter(t.g.C->Filter());
  t.dlg.Apply(r, filter);
  EXPECT_TRUE(filter.GetActive());
  EXPECT_EQ(t.g.C->RowCount(), 1);  // 梨, 3
}

TEST(KwGridFilter, TextLikeByClicksThenCancelAllClearsTheFilter) {
  FilterCase t;
  TkwGridFilter filter(t.g.C->Filter());
  TModalResult r = RunModal(t.dlg, [&] {
    Focus(t.dlg.cbbFilter);
    PostKey(VK_DOWN);  // 名称
    Focus(t.dlg.edtFilter);
    TypeText(L"果");
    ClickOn(t.dlg.chkLike);
    ClickOn(t.dlg.btnFilter);
  });
  ASSERT_EQ(r, mrOk);
  ASSERT_EQ(t.dlg.Conditions().size(), 1u);
  EXPECT_EQ(t.dlg.Conditions()[0].OperatorKind, foLike);
  EXPECT_EQ(t.dlg.Conditions()[0].DisplayText, "%果%");
  t.dlg.Apply(r, filter);
  EXPECT_EQ(t.g.C->RowCount(), 1);  // 苹果
  r = RunModal(t.dlg, [&] {
    ClickOn(t.dlg.rgFilterRange->Buttons(2));
    ClickOn(t.dlg.btnFilter);
  });
  ASSERT_EQ(r, mrOk);
  EXPECT_TRUE(t.dlg.Conditions().empty());
  t.dlg.Apply(r, filter);
  EXPECT_FALSE(filter.GetActive());
  EXPECT_EQ(t.g.C->RowCount(), 3);
}

TEST(KwGridFilter, InvalidNumberRefusesOkAndKeepsTheDialogOpen) {
  FilterCase t;
  TModalResult afterOk = -1;
  const TModalResult r = RunModal(t.dlg, [&] {
    Focus(t.dlg.cbbFilter);
    PostKey(VK_DOWN);
    PostKey(VK_DOWN);  // 数量
    Focus(t.dlg.edtMin);
    TypeText(L"abc");
    ClickOn(t.dlg.btnFilter);
    afterOk = t.dlg.ModalResult();
    ClickOn(t.dlg.btnCancel);
  });
  EXPECT_EQ(afterOk, mrNone);
  EXPECT_EQ(r, mrCancel);
  EXPECT_EQ(t.messages, (std::vector<std::string>{"筛选数值不是数字：abc"}));
  EXPECT_TRUE(t.dlg.Conditions().empty());
}

// Mended fault: a text the Boolean column cannot take closed the dialog, and applying it
// failed after the old filter was cleared. OK is refused with the message, the dialog
// stays open, and the filter applied before is still there.
TEST(KwGridFilter, FaultTextOnABooleanColumnClearedTheOldFilter) {
  FilterCase t;
  FieldColumn active{t.g, "ACTIVE"};
  t.dlg.AddColumn("有效", &active);
  TkwGridFilter filter(t.g.C->Filter());
  TkwFilterInput before;
  before.Min = "3";
  ApplyFilterConditions(filter, &t.qty, frFromAll, BuildFilterConditions(&t.qty, frFromAll, before));
  ASSERT_EQ(t.g.RowIds(), "2 3");
  TModalResult afterOk = -1;
  std::string shown;
  const TModalResult r = RunModal(t.dlg, [&] {
    Focus(t.dlg.cbbFilter);
    for (int i = 0; i < 4; ++i) PostKey(VK_DOWN);  // 有效
    shown = t.Visible();
    Focus(t.dlg.edtFilter);
    TypeText(L"abc");
    ClickOn(t.dlg.btnFilter);
    afterOk = t.dlg.ModalResult();
    ClickOn(t.dlg.btnCancel);
  });
  EXPECT_EQ(shown, "text");
  EXPECT_EQ(afterOk, mrNone);
  EXPECT_EQ(r, mrCancel);
  EXPECT_EQ(t.messages, (std::vector<std::string>{"筛选条件不符合该列的类型：abc"}));
  t.dlg.Apply(r, filter);
  EXPECT_TRUE(filter.GetActive());
  EXPECT_EQ(t.g.RowIds(), "2 3");
  // A text the column takes is accepted and filters the current rows.
  const TModalResult again = RunModal(t.dlg, [&] {
    ClickOn(t.dlg.rgFilterRange->Buttons(1));
    t.dlg.edtFilter->SetText("");
    Focus(t.dlg.edtFilter);
    TypeText(L"False");
    ClickOn(t.dlg.btnFilter);
  });
  ASSERT_EQ(again, mrOk);
  t.dlg.Apply(again, filter);
  EXPECT_EQ(t.g.RowIds(), "");
  EXPECT_EQ(t.messages.size(), 1u);
}

TEST(KwGridFilter, NoColumnChosenAppliesNothing) {
  FilterCase t;
  TkwGridFilter filter(t.g.C->Filter());
  const TModalResult r = RunModal(t.dlg, [&] { ClickOn(t.dlg.btnFilter); });
  ASSERT_EQ(r, mrOk);
  EXPECT_TRUE(t.dlg.Conditions().empty());
  t.dlg.Apply(r, filter);
  EXPECT_EQ(filter.ItemCount(), 0);
  EXPECT_EQ(t.g.C->RowCount(), 3);
}

TEST(KwGridFilter, Screenshot) {
  FilterCase t;
  t.dlg.cbbFilter->SetItemIndex(2);
  t.dlg.cbbFilterChange(nullptr);
  t.dlg.dtpBegin->SetDate(EncodeDate(2024, 5, 1));
  t.dlg.dtpEnd->SetDate(EncodeDate(2024, 5, 31));
  const TModalResult r = RunModal(t.dlg, [&] {
    SaveScreenshot(&t.dlg, std::string("Z:") + POS_BINARY_DIR + "/kw-grid-filter.png");
    PostKey(VK_ESCAPE);
  });
  EXPECT_EQ(r, mrCancel);
}
