// A data-aware form over 10,000 goods under Wine, driven by posted input as a user would:
// its columns are built from the dataset and grouped under two-level titles; the check-box
// and lookup columns edit values that land in the dataset; the locate dialog finds a row by
// a chosen column; the column dialog hides and shows columns; the filter dialog filters by
// text, number range and date range, and the dataset applies the filter's own text.
#include <functional>
#include <string>
#include <utility>

#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/fukvGridCustomColumns.h"
#include "VCLSource/source/PosGrid/fukvGridFilter.h"
#include "VCLSource/source/PosGrid/fukvGridLocate.h"
#include "VCLSource/source/PosGrid/ukvDbEditer.h"
#include "VCLSource/source/PosGrid/ukvDbGridsCheckBoxes.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "db/Field.h"
#include "rtl/DateTime.h"
#include "tests/support/Screenshot.h"

using namespace kwtest;
using namespace uitest;

namespace {

constexpr int kGoods = 10000;
constexpr UINT WM_TEST_STEPS = WM_USER + 80;
const char* const kNames[] = {"苹果", "香蕉", "橙子", "梨", "桃"};

// Goods i = 1..10000: CODE "G<i>", NAME name + i, KIND 1..3 (a lookup into the kinds),
// QTY i % 100, PRICE i / 2, ONSALE for even i, MADE 2024-01-01 + i % 60 days at a
// quarter of a day times i % 4.
TDateTime MadeOf(int i) { return EncodeDate(2024, 1, 1) + i % 60 + (i % 4) * 0.25; }

TDataPacket TenThousandGoods() {
  TDataPacket p;
  p.Fields = {{"CODE", ftString, 10}, {"NAME", ftString, 20}, {"KIND", ftInteger, 0}, {"QTY", ftFloat, 0},
              {"PRICE", ftFloat, 0},  {"ONSALE", ftBoolean, 0}, {"MADE", ftDateTime, 0}};
  for (int i = 1; i <= kGoods; ++i) {
    const std::string n = std::to_string(i);
    p.Rows.push_back({Variant(("G" + n).c_str()), Variant((kNames[i % 5] + n).c_str()), Variant(i % 3 + 1),
                      Variant(static_cast<double>(i % 100)), Variant(i / 2.0), Variant(i % 2 == 0),
                      Variant::FromDate(MadeOf(i))});
  }
  return p;
}

TDataPacket Kinds() {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 10}};
  p.Rows = {{Variant(1), Variant("食品")}, {Variant(2), Variant("日用")}, {Variant(3), Variant("服装")}};
  return p;
}

// Runs `steps` once the dialog is up.
void WhenShown(TkwDialog& dlg, std::function<void()> steps) {
  dlg.OnShow = [&dlg](TObject*) { ::PostMessageW(dlg.Handle(), WM_TEST_STEPS, 0, 0); };
  dlg.RegisterMessageHandler(WM_TEST_STEPS, [&dlg, steps = std::move(steps)](TMessage&) {
    Settle();
    steps();
    if (dlg.ModalResult() == mrNone) dlg.SetModalResult(mrAbort);
  });
}

void ClickOn(TWinControl* c) {
  EnsureActive();
  const LPARAM at = MAKELPARAM(c->Width() / 2, c->Height() / 2);
  ::PostMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(c->Handle(), WM_LBUTTONUP, 0, at);
  Pump();
}

// The goods form: the grid's columns made from the dataset's fields, then grouped under
// 商品 (CODE, NAME, KIND) and 金额 (QTY, PRICE); ONSALE a check-box column, KIND a lookup
// column over the kinds. The grid hands its filter to the dataset.
struct GoodsForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  std::unique_ptr<TClientDataSet> data{new TClientDataSet(nullptr)};
  std::unique_ptr<TClientDataSet> kinds{new TClientDataSet(nullptr)};
  std::unique_ptr<TDataSource> source{new TDataSource(nullptr)};
  std::unique_ptr<TDataSource> kindSource{new TDataSource(nullptr)};
  TkwCustomDBGrid* grid;

  GoodsForm() {
    data->SetData(TenThousandGoods());
    kinds->SetData(Kinds());
    source->SetDataSet(data.get());
    kindSource->SetDataSet(kinds.get());
    form->SetCaption("商品");
    form->SetBounds(40, 40, 720, 330);
    grid = new TkwCustomDBGrid(form.get());
    grid->SetName("grdGoods");
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, 690, 270);
    grid->SetDataSource(source.get());
    grid->Columns()->SetState(TkwDBGridColumns::csCustomized);
    const char* titles[] = {"编号", "名称", "类别", "数量", "单价", "在售", "日期"};
    for (int i = 0; i < 7; ++i) {
      Column(i)->Title()->SetCaption(titles[i]);
      Column(i)->SetWidth(i == 6 ? 130 : 80);
    }
    TkwColumn* goods = Group("商品", {0, 1, 2});
    TkwColumn* money = Group("金额", {3, 4});
    goods->SetExpanded(true);
    money->SetExpanded(true);
    TkwColumn* kind = Column(2);
    kind->SetButtonStyle(gcbsLookupList);
    kind->SetLookupSource(kindSource.get());
    kind->SetKeyField("ID");
    kind->SetListField("NAME");
    Column(5)->SetButtonStyle(gcbsCheckBox);
    grid->DataController()->Filter().SetAutoDataSetFilter(true);
    form->Show();
    Settle();
    Focus(grid);
  }
  ~GoodsForm() {
    form.reset();
    source.reset();
    kindSource.reset();
  }
  TkwColumn* Column(int i) { return grid->Columns()->Items(i); }
  TkwColumn* Group(const char* caption, std::initializer_list<int> children) {
    TkwColumn* parent = grid->Columns()->Add();
    parent->Title()->SetCaption(caption);
    for (int i : children) Column(i)->SetParent(parent);
    return parent;
  }
  std::string Shown() {
    std::string s;
    for (TkwColumn* c : grid->ShownColumns()) s += (s.empty() ? "" : ",") + std::string(c->FieldName());
    return s;
  }
  // The dataset's record of goods i, by its code.
  TField* Of(int i, const char* field) {
    EXPECT_TRUE(data->Locate("CODE", Variant(("G" + std::to_string(i)).c_str()), 0));
    return data->FieldByName(field);
  }
  void ClickCell(int dataCol, int gridRow) {
    EnsureActive();
    const TRect r = grid->CellRect(grid->DataToRawColumn(dataCol), gridRow);
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ::PostMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(grid->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }
  // A right click on a data cell, then the menu's item `item` (1: locate, 2: filter,
  // 3: columns), by keys queued behind the click.
  void Menu(int item) {
    EnsureActive();
    const TRect r = grid->CellRect(2, grid->TitleOffset());
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    const HWND h = grid->Handle();
    ::PostMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, at);
    ::PostMessageW(h, WM_RBUTTONUP, 0, at);
    for (int i = 0; i < item; ++i) ::PostMessageW(h, WM_KEYDOWN, VK_DOWN, KeyData(VK_DOWN, false));
    ::PostMessageW(h, WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN, false));
    Pump();
  }
  void AltDown() {
    HeldKey alt(VK_MENU);
    ::PostMessageW(KeyTarget(), WM_SYSKEYDOWN, VK_DOWN, KeyData(VK_DOWN, false, true));
    Pump();
  }
  int Rows() { return grid->DataController()->RowCount(); }
  // Picks item `item` of the filter dialog's column list by keys from the first one.
  static void ChooseFilterColumn(TfmGridFilter& dlg, int item) {
    Focus(dlg.cbbFilter);
    PostKey(VK_HOME);
    for (int i = 0; i < item; ++i) PostKey(VK_DOWN);
  }
  // Accepts a filter dialog shown from the menu with `steps`; true when the dataset then
  // applies the grid filter's own text.
  void Filter(std::function<void(TfmGridFilter&)> steps) {
    TfmGridFilter& dlg = grid->FilterDialog();
    WhenShown(dlg, [&dlg, steps] {
      steps(dlg);
      ClickOn(dlg.btnFilter);
    });
    Menu(2);
    EXPECT_EQ(dlg.ModalResult(), mrOk);
  }
  void ExpectDataSetAppliesTheFilterText(int rows) {
    TkvDBDataFilterCriteria& criteria = grid->DataController()->Filter();
    EXPECT_FALSE(criteria.FilterText().empty());
    EXPECT_EQ(data->Filter(), criteria.FilterText());
    EXPECT_TRUE(data->Filtered());
    EXPECT_EQ(data->RecordCount(), rows);
    EXPECT_EQ(Rows(), rows);
  }
  // Goods that pass `keep`, counted by a plain loop.
  static int Count(const std::function<bool(int)>& keep) {
    int n = 0;
    for (int i = 1; i <= kGoods; ++i) n += keep(i);
    return n;
  }
};

}  // namespace

TEST(KwDbGridGoodsForm, ColumnsAreBuiltFromTheDatasetUnderTwoLevelTitles) {
  GoodsForm f;
  EXPECT_EQ(f.Rows(), kGoods);
  ASSERT_EQ(f.grid->Columns()->Count(), 9);
  EXPECT_EQ(f.grid->Columns()->State(), TkwDBGridColumns::csCustomized);
  EXPECT_EQ(f.Shown(), "CODE,NAME,KIND,QTY,PRICE,ONSALE,MADE");
  EXPECT_EQ(f.grid->TitleOffset(), 2);
  EXPECT_EQ(f.Column(1)->ParentCaption(), "商品名称");
  EXPECT_EQ(f.Column(4)->ParentCaption(), "金额单价");
  EXPECT_EQ(f.Column(6)->Level(), 0);
  SaveScreenshot(f.form.get(), std::string("Z:") + POS_BINARY_DIR + "/kw-goods-form.png");
}

// Counts the dataset's walks: the data controller reads the records with the dataset's
// controls disabled, in one round of DisableControls per reload.
class TWalkCounter : public TDataLink {
 public:
  int Taken() { return std::exchange(FWalks, 0); }
  void DataEvent(TDataEvent event, intptr_t info) override {
    if (event == deDisabledStateChange && info == kControlsDisabled) ++FWalks;
    TDataLink::DataEvent(event, info);
  }

 private:
  int FWalks = 0;
};

// Regression: every column the grid bound to its field in one layout pass (the default
// columns of a newly bound grid, the columns built from the dataset) had the data
// controller read all the goods again, one walk over the dataset per column.
TEST(KwDbGridGoodsForm, FaultColumnsBoundInOneLayoutReadTheGoodsOnce) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  std::unique_ptr<TClientDataSet> data(new TClientDataSet(nullptr));
  std::unique_ptr<TDataSource> source(new TDataSource(nullptr));
  data->SetData(TenThousandGoods());
  source->SetDataSet(data.get());
  TWalkCounter walks;
  walks.SetDataSource(source.get());
  auto* grid = new TkwCustomDBGrid(form.get());
  grid->SetParent(form.get());
  grid->SetBounds(8, 8, 690, 270);
  const auto name = [grid](int record) {
    Variant v;
    grid->DataController()->GetValue(record, grid->Columns()->Items(1)->DbField(), v);
    return std::string(VarToStr(v));
  };
  // The load when the link comes up, then one for the default columns (one per field).
  grid->SetDataSource(source.get());
  EXPECT_EQ(walks.Taken(), 2);
  ASSERT_EQ(grid->Columns()->Count(), 7);
  EXPECT_EQ(name(9), "苹果10");
  grid->Columns()->SetState(TkwDBGridColumns::csCustomized);
  EXPECT_EQ(walks.Taken(), 1);
  EXPECT_EQ(name(9), "苹果10");
  form->Show();
  Settle();
  EXPECT_EQ(walks.Taken(), 0);
  EXPECT_EQ(grid->DataController()->RowCount(), kGoods);
  form.reset();
  walks.SetDataSource(nullptr);
}

TEST(KwDbGridGoodsForm, CheckBoxAndLookupEditsLandInTheDataset) {
  GoodsForm f;
  // The check box of goods 1 (not on sale): a click checks it; leaving the row posts it.
  f.ClickCell(5, f.grid->TitleOffset());
  PostKey(VK_DOWN);
  EXPECT_EQ(f.data->State(), dsBrowse);
  EXPECT_TRUE(f.Of(1, "ONSALE")->AsBoolean());
  EXPECT_TRUE(f.Of(2, "ONSALE")->AsBoolean());  // untouched
  // A press on the check box of goods 3 itself: the grid takes it as a press on the cell.
  auto* boxes = dynamic_cast<TkvCheckBoxEditors*>(f.Column(5)->CheckBoxEditors());
  ASSERT_NE(boxes, nullptr);
  TkvInplaceCheckBox* box = boxes->GetEditor(2);
  ASSERT_TRUE(::IsWindowVisible(box->Handle()));
  EXPECT_FALSE(box->Checked());
  ::PostMessageW(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  ::PostMessageW(box->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  Pump();
  EXPECT_EQ(f.grid->FocusedRowIndex(), 2);
  PostKey(VK_DOWN);
  EXPECT_TRUE(f.Of(3, "ONSALE")->AsBoolean());
  ::UpdateWindow(f.grid->Handle());
  EXPECT_TRUE(box->Checked());
  f.ClickCell(0, f.grid->TitleOffset() + 1);  // back to goods 2
  ASSERT_EQ(f.grid->FocusedRowIndex(), 1);
  // Goods 2 is of kind 3 (服装); the lookup list moves it to 日用 (2).
  f.grid->SetCol(f.grid->DataToRawColumn(2));
  Pump();
  PostKey(VK_F2);
  auto* editor = dynamic_cast<TkwDBGridInplaceEdit*>(f.grid->InplaceEditor());
  ASSERT_NE(editor, nullptr);
  f.AltDown();
  ASSERT_TRUE(editor->ListVisible());
  EXPECT_EQ(editor->DataList()->Items()->Strings(editor->DataList()->ItemIndex()), "服装");
  PostKey(VK_UP);
  PostKey(VK_RETURN);
  PostKey(VK_DOWN);
  EXPECT_EQ(f.data->State(), dsBrowse);
  EXPECT_EQ(f.Of(2, "KIND")->AsInteger(), 2);
  EXPECT_EQ(f.Of(3, "KIND")->AsInteger(), 1);  // untouched
}

TEST(KwDbGridGoodsForm, LocateFindsARowByTheChosenColumn) {
  GoodsForm f;
  TfmGridLocate& dlg = f.grid->LocateDialog();
  std::string listed;
  WhenShown(dlg, [&] {
    TStrings* items = dlg.cbbLocate->Items();
    for (int i = 0; i < items->Count(); ++i) listed += std::string(items->Strings(i)) + " ";
    Focus(dlg.cbbLocate);
    PostKey(VK_DOWN);  // from 编号 (the current column) to 名称
    Focus(dlg.edtLocate);
    TypeText(L"橙子7777");
    PostKey(VK_RETURN);
  });
  PostKey(VK_F3);
  // Each column under its parents' captions.
  EXPECT_EQ(listed, "商品编号 商品名称 商品类别 金额数量 金额单价 在售 日期 ");
  EXPECT_EQ(dlg.ModalResult(), kwLocateFind);
  EXPECT_EQ(dlg.cbbLocate->ItemIndex(), 1);
  EXPECT_EQ(dlg.edtLocate->Text(), "橙子7777");
  EXPECT_EQ(f.grid->FocusedRowIndex(), 7776);
  EXPECT_EQ(f.grid->SelectedColumn(), f.Column(1));
  EXPECT_EQ(f.data->FieldByName("CODE")->AsString(), "G7777");
}

TEST(KwDbGridGoodsForm, TheColumnDialogHidesAndShowsColumns) {
  GoodsForm f;
  TfmGridCustomColumns& dlg = f.grid->CustomColumnsDialog();
  const auto switchRow = [&](int row) {
    WhenShown(dlg, [&dlg, row] {
      Focus(dlg.stgrdColumns);
      for (int i = 1; i < row; ++i) PostKey(VK_DOWN);
      ClickOn(dlg.btnSwitchVisible);
      ClickOn(dlg.Button1);
    });
  };
  switchRow(4);  // 数量
  f.Menu(3);
  EXPECT_EQ(f.Shown(), "CODE,NAME,KIND,PRICE,ONSALE,MADE");
  switchRow(2);  // 名称
  f.Menu(3);
  EXPECT_EQ(f.Shown(), "CODE,KIND,PRICE,ONSALE,MADE");
  switchRow(4);  // 数量 again
  f.Menu(3);
  EXPECT_EQ(f.Shown(), "CODE,KIND,QTY,PRICE,ONSALE,MADE");
  EXPECT_EQ(f.grid->TitleOffset(), 2);
}

TEST(KwDbGridGoodsForm, FilterByTextNumberRangeAndDateRangeIsWhatTheDatasetApplies) {
  GoodsForm f;
  // Text, equal: one goods.
  f.Filter([](TfmGridFilter& dlg) {
    GoodsForm::ChooseFilterColumn(dlg, 1);  // 商品名称
    Focus(dlg.edtFilter);
    TypeText(L"橙子7777");
  });
  f.ExpectDataSetAppliesTheFilterText(1);
  EXPECT_EQ(f.data->FieldByName("CODE")->AsString(), "G7777");

  // Text, like, from all rows again: names holding 777.
  f.Filter([](TfmGridFilter& dlg) {
    GoodsForm::ChooseFilterColumn(dlg, 1);
    Focus(dlg.edtFilter);
    PostKey(VK_END);
    for (int i = 0; i < 8; ++i) PostKey(VK_BACK);
    TypeText(L"777");
    ClickOn(dlg.chkLike);
  });
  f.ExpectDataSetAppliesTheFilterText(
      GoodsForm::Count([](int i) { return std::to_string(i).find("777") != std::string::npos; }));

  // Number range on 金额数量: 10 <= QTY <= 12.
  f.Filter([](TfmGridFilter& dlg) {
    GoodsForm::ChooseFilterColumn(dlg, 3);
    Focus(dlg.edtMin);
    TypeText(L"10");
    Focus(dlg.edtMax);
    TypeText(L"12");
  });
  f.ExpectDataSetAppliesTheFilterText(GoodsForm::Count([](int i) { return i % 100 >= 10 && i % 100 <= 12; }));

  // Date range on 日期: from 2024-01-05 to 2024-01-06, both whole days.
  f.Filter([](TfmGridFilter& dlg) {
    GoodsForm::ChooseFilterColumn(dlg, 6);
    dlg.dtpBegin->SetDate(EncodeDate(2024, 1, 5));
    dlg.dtpEnd->SetDate(EncodeDate(2024, 1, 6));
  });
  const int inRange = GoodsForm::Count([](int i) {
    return MadeOf(i) >= EncodeDate(2024, 1, 5) && MadeOf(i) < EncodeDate(2024, 1, 7);
  });
  EXPECT_EQ(inRange, 2 * (kGoods / 60 + 1));
  f.ExpectDataSetAppliesTheFilterText(inRange);

  // Cancel all filters.
  f.Filter([](TfmGridFilter& dlg) { ClickOn(dlg.rgFilterRange->Buttons(2)); });
  EXPECT_FALSE(f.data->Filtered());
  EXPECT_EQ(f.Rows(), kGoods);
}

// Pictures of the three dialogs as the goods form opens them (docs/screenshots).
TEST(KwDbGridGoodsForm, Screenshots) {
  GoodsForm f;
  const std::string dir = std::string("Z:") + POS_BINARY_DIR + "/";
  TfmGridLocate& locate = f.grid->LocateDialog();
  WhenShown(locate, [&] {
    Focus(locate.cbbLocate);
    PostKey(VK_DOWN);
    Focus(locate.edtLocate);
    TypeText(L"橙子7777");
    SaveScreenshot(&locate, dir + "kw-goods-locate.png");
    PostKey(VK_ESCAPE);
  });
  PostKey(VK_F3);
  EXPECT_EQ(locate.ModalResult(), mrCancel);

  TfmGridCustomColumns& columns = f.grid->CustomColumnsDialog();
  WhenShown(columns, [&] {
    Focus(columns.stgrdColumns);
    PostKey(VK_DOWN);
    ClickOn(columns.btnSwitchVisible);
    Focus(columns.stgrdColumns);
    // The last column reaches the list's right edge.
    TStringGrid* g = columns.stgrdColumns;
    EXPECT_EQ(g->ColWidths(0) + g->ColWidths(1) + g->ColWidths(2) + 3 * g->GridLineWidth(), g->ClientWidth());
    EXPECT_GT(g->ColWidths(2), 87);
    SaveScreenshot(&columns, dir + "kw-goods-columns.png");
    ClickOn(columns.Button2);
  });
  f.Menu(3);
  EXPECT_EQ(columns.ModalResult(), mrCancel);

  TfmGridFilter& filter = f.grid->FilterDialog();
  WhenShown(filter, [&] {
    GoodsForm::ChooseFilterColumn(filter, 3);
    Focus(filter.edtMin);
    TypeText(L"10");
    Focus(filter.edtMax);
    TypeText(L"12");
    SaveScreenshot(&filter, dir + "kw-goods-filter.png");
    ClickOn(filter.btnCancel);
  });
  f.Menu(2);
  EXPECT_EQ(filter.ModalResult(), mrCancel);
  EXPECT_EQ(f.Rows(), kGoods);
}
