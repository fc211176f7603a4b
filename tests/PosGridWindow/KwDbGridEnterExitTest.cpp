// Entering, leaving and Enter in the data-aware grid under Wine, by posted input: Enter
// writes the typed text and moves on (to the next row after the last column), leaving
// the grid drops an untouched inserted record under dgCancelOnExit and writes typed
// text otherwise, column changes fire OnColExit/OnColEnter; the edit mask; and the
// dialogs' column lists following the columns.
#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/fukvGridCustomColumns.h"
#include "VCLSource/source/PosGrid/fukvGridFilter.h"
#include "db/Field.h"
#include "ui/Button.h"
#include "tests/support/ScriptedDialogs.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;

namespace {

// The goods grid with a button beside it to take the focus away.
struct ExitGrid : DbGridForm {
  TButton* button;
  std::string log;
  explicit ExitGrid(int rows) : DbGridForm(rows) {
    button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(8, 19 * 11 + 16, 80, 24);
    button->SetCaption("确定");
    grid->OnColEnter = [this](TObject*) { log += "enter "; };
    grid->OnColExit = [this](TObject*) { log += "exit "; };
  }
  void Start(int dataCol) {
    Bind();
    Show();
    grid->SetCol(grid->DataToRawColumn(dataCol));
    Pump();
    log.clear();
  }
  void Type(const wchar_t* text) {
    for (const wchar_t* p = text; *p; ++p) PostChar(*p);
    Pump();
  }
  AnsiString Text(int recNo, const char* field) {
    data->SetRecNo(recNo);
    return data->FieldByName(field)->Text();
  }
};

}  // namespace

TEST(KwDbGridEnterExit, EnterWritesTheTextAndMovesToTheNextColumnThenRow) {
  ExitGrid f(5);
  f.Start(2);  // QTY
  int returns = 0;
  f.grid->Columns()->Items(2)->OnPressReturnKeyEvent = [&](TObject*) { ++returns; };
  f.Type(L"12");
  PostKey(VK_RETURN);
  EXPECT_EQ(f.data->FieldByName("QTY")->Text(), "12");
  EXPECT_EQ(f.data->State(), dsEdit);
  EXPECT_FALSE(f.grid->EditorMode());
  EXPECT_EQ(f.grid->SelectedIndex(), 3);
  EXPECT_EQ(returns, 1);
  EXPECT_EQ(f.log, "exit enter ");
  PostKey(VK_RETURN);  // the last column: on to the next row's first
  EXPECT_EQ(f.Focused(), 1);
  EXPECT_EQ(f.grid->SelectedIndex(), 0);
  EXPECT_EQ(f.data->State(), dsBrowse);
  EXPECT_EQ(f.Text(1, "QTY"), "12");
  EXPECT_EQ(returns, 1);
  EXPECT_EQ(f.data->RecordCount(), 5);
  f.grid->SetReadOnly(true);  // a read-only grid stays where it is
  const int row = f.Focused();
  f.log.clear();
  PostKey(VK_RETURN);
  EXPECT_EQ(f.grid->SelectedIndex(), 0);
  EXPECT_EQ(f.Focused(), row);
  EXPECT_EQ(f.log, "");
}

// Down on the last row appends; leaving the grid with nothing typed drops the record
// again under dgCancelOnExit, keeps it without; typed text is written on leaving.
TEST(KwDbGridEnterExit, LeavingDropsAnUntouchedInsertUnderCancelOnExit) {
  ExitGrid f(3);
  ASSERT_TRUE(HasGridOption(f.grid->Options(), dgCancelOnExit));
  f.Start(1);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  ASSERT_EQ(f.data->State(), dsInsert);
  Focus(f.button);
  EXPECT_EQ(f.data->State(), dsBrowse);
  EXPECT_EQ(f.data->RecordCount(), 3);
  f.grid->SetOptions(f.grid->Options() & ~GridOption(dgCancelOnExit));
  Focus(f.grid);
  PostKey(VK_DOWN);
  ASSERT_EQ(f.data->State(), dsInsert);
  Focus(f.button);
  EXPECT_EQ(f.data->State(), dsInsert);
  // Text typed before leaving is written to the field.
  Focus(f.grid);
  f.grid->SetCol(f.grid->DataToRawColumn(2));
  f.Type(L"4");
  Focus(f.button);
  EXPECT_EQ(f.data->FieldByName("QTY")->Text(), "4");
}

TEST(KwDbGridEnterExit, AClickOnAnotherColumnFiresExitThenEnterARowMoveNothing) {
  ExitGrid f(4);
  f.Start(0);
  PostKey(VK_DOWN);
  EXPECT_EQ(f.log, "");
  const TRect r = f.grid->CellRect(f.grid->DataToRawColumn(3), 2);
  const LPARAM at = MAKELPARAM(r.Left + 5, r.Top + 5);
  ::PostMessageW(f.grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(f.grid->Handle(), WM_LBUTTONUP, 0, at);
  Pump();
  EXPECT_EQ(f.grid->SelectedIndex(), 3);
  EXPECT_EQ(f.log, "exit enter ");
}

TEST(KwDbGridEnterExit, TheEditorTakesTheFieldsEditMask) {
  ExitGrid f(2);
  f.data->FieldByName("NAME")->SetEditMask("LL;0;_");
  f.Start(1);
  PostKey(VK_F2);
  ASSERT_NE(f.grid->InplaceEditor(), nullptr);
  EXPECT_EQ(f.grid->InplaceEditor()->EditMask(), "LL;0;_");
  PostKey(VK_ESCAPE);
  f.grid->SetCol(f.grid->DataToRawColumn(2));
  PostKey(VK_F2);
  EXPECT_EQ(f.grid->InplaceEditor()->EditMask(), "");
}

// The filter list holds the visible leaf columns under their parents' captions, the
// custom-columns list every leaf column with "*" for the visible ones and a colour per
// group of columns under one parent. Regression: the handler was told the custom list
// whichever list it decided for, so a column could not be left out of one list only.
TEST(KwDbGridEnterExit, FaultListHandlerWasToldTheCustomListForEveryList) {
  ExitGrid f(3);
  TkwCustomDBGrid* g = f.grid;
  auto add = [g](const char* field, const char* caption, TkwColumn* parent) {
    TkwColumn* c = g->Columns()->Add();
    if (field) c->SetFieldName(field);
    c->Title()->SetCaption(caption);
    if (parent) c->SetParent(parent);
    return c;
  };
  TkwColumn* goods = add(nullptr, "商品", nullptr);
  add("ID", "编号", goods);
  add("NAME", "名称", goods);
  TkwColumn* qty = add("QTY", "数量", nullptr);
  TkwColumn* price = add("PRICE", "单价", nullptr);
  goods->SetExpanded(true);
  std::string asked;
  g->CheckNeedShowColumnInListEvent = [&](TkwCustomDBGrid*, TkwColumn* c, TkwShowColumnType list, bool& show) {
    asked += std::to_string(static_cast<int>(list)) + c->Title()->Caption() + " ";
    if (c == price && list == sctFilter) show = false;
  };
  f.Start(0);
  qty->SetVisible(false);
  asked.clear();
  Pump();
  TfmGridFilter& filter = g->FilterDialog();
  ASSERT_EQ(filter.cbbFilter->Items()->Count(), 2);
  EXPECT_EQ(filter.cbbFilter->Items()->Strings(0), "商品编号");
  EXPECT_EQ(filter.cbbFilter->Items()->Strings(1), "商品名称");
  TStringGrid* list = g->CustomColumnsDialog().stgrdColumns;
  ASSERT_EQ(list->RowCount(), 5);
  EXPECT_EQ(list->FixedRows(), 1);
  std::string rows;
  for (int r = 1; r < 5; ++r)
    rows += std::string(list->Cells(0, r)) + list->Cells(1, r) + list->Cells(2, r) + " ";
  EXPECT_EQ(rows, "1编号* 2名称* 3数量 4单价* ");
  EXPECT_EQ(g->CustomColumnsDialog().VisibleCount, 3);
  TfmGridCustomColumns& custom = g->CustomColumnsDialog();
  EXPECT_EQ(custom.RowColor(1), custom.RowColor(2));
  EXPECT_NE(custom.RowColor(2), custom.RowColor(3));
  EXPECT_NE(custom.RowColor(3), custom.RowColor(4));
  EXPECT_EQ(asked, "2编号 2名称 2单价 0编号 0名称 0单价 1编号 1名称 1数量 1单价 ");
}

// Regression: after the dataset closed, the column lists' refresh asked the unbound
// column's field adapter for its kind, which raised (a message box at every refresh).
// The columns take the new fields when the dataset opens again.
TEST(KwDbGridEnterExit, FaultColumnListsOfAClosedDatasetRaised) {
  ExitGrid f(3);
  TkwColumn* qty = f.grid->Columns()->Add();
  qty->SetFieldName("QTY");
  f.Start(0);
  ASSERT_NE(qty->BoundField(), nullptr);
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  f.data->Close();
  Pump();
  EXPECT_TRUE(script.Asked().empty());  // nothing raised on the way
  EXPECT_EQ(qty->BoundField(), nullptr);
  EXPECT_EQ(qty->FieldName(), "QTY");
  f.data->SetData(GoodsRows(4));
  Pump();
  EXPECT_EQ(qty->BoundField(), f.data->FieldByName("QTY"));
  EXPECT_EQ(f.grid->GetCellValue(qty, 3).AsDouble(), 4.0);
}
