// The data-aware grid's keys and mouse under Wine, by posted input: Ctrl and Alt keys,
// columns by Left/Right/Home/End, Tab and Enter with their column events, Insert, the
// wheel, cell and title clicks, and moving title units by dragging their titles.
#include <functional>
#include <string>
#include <vector>

#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/ukvDbGridsColumnLists.h"
#include "VCLSource/source/PosGrid/fukvGridCustomColumns.h"
#include "VCLSource/source/PosGrid/fukvGridFilter.h"
#include "VCLSource/source/PosGrid/fukvGridLocate.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;

namespace {

struct KeysGrid : DbGridForm {
  std::string log;
  explicit KeysGrid(int rows) : DbGridForm(rows) {}
  void Start() {
    Bind();
    Show();
  }
  std::string Field() {
    TkwColumn* c = grid->SelectedColumn();
    return c ? c->FieldName() : "-";
  }
  void LogColumnEvents() {
    grid->OnColExit = [this](TObject*) { log += "exit " + Field() + ";"; };
    grid->OnColEnter = [this](TObject*) { log += "enter " + Field() + ";"; };
  }
  POINT Centre(int col, int row) {
    const TRect r = grid->CellRect(col, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  void Click(int col, int row) {
    const POINT p = Centre(col, row);
    ::PostMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ::PostMessageW(grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    Pump();
  }
  void Wheel(int notches) {
    POINT p = Centre(2, 2);
    ::ClientToScreen(grid->Handle(), &p);
    ::PostMessageW(grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<short>(notches * WHEEL_DELTA)),
                   MAKELPARAM(p.x, p.y));
    Pump();
  }
  // The field names of the columns in collection order ("[...]" for one without field).
  std::string Order() {
    std::string s;
    for (int i = 0; i < grid->Columns()->Count(); ++i) {
      TkwColumn* c = grid->Columns()->Items(i);
      s += (s.empty() ? "" : ",") + (c->FieldName().empty() ? "[" + c->Title()->Caption() + "]" : c->FieldName());
    }
    return s;
  }
};

}  // namespace

// ============================================================================ keys

TEST(KwDbGridKeys, CtrlKeysJumpWithinTheScreenAndToTheEnds) {
  KeysGrid f(100);
  f.Start();
  PostKey(VK_NEXT);
  PostKey(VK_DOWN);
  ASSERT_EQ(f.Focused(), 11);
  const int top = f.View().TopRecord();
  PostKeyWith(VK_CONTROL, VK_UP);  // the first row on the screen
  EXPECT_EQ(f.Focused(), top);
  PostKeyWith(VK_CONTROL, VK_DOWN);  // the last one
  EXPECT_EQ(f.Focused(), top + 9);
  EXPECT_EQ(f.View().TopRecord(), top);
  PostKeyWith(VK_CONTROL, VK_PRIOR);
  EXPECT_EQ(f.Focused(), top);
  PostKeyWith(VK_CONTROL, VK_NEXT);
  EXPECT_EQ(f.Focused(), top + 9);
  PostKeyWith(VK_CONTROL, VK_RIGHT);
  EXPECT_EQ(f.Field(), "PRICE");
  PostKeyWith(VK_CONTROL, VK_LEFT);
  EXPECT_EQ(f.Field(), "ID");
  EXPECT_EQ(f.Focused(), top + 9);
}

TEST(KwDbGridKeys, CtrlMovesClearTheMarks) {
  KeysGrid f(30);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgMultiSelect));
  f.Start();
  f.grid->SelectRow(3, true, false);
  PostKeyWith(VK_CONTROL, VK_DOWN);
  EXPECT_EQ(f.grid->SelectedRecs().Count(), 0);
}

TEST(KwDbGridKeys, AltActsOnDeleteOnlyAndCtrlDeleteDeletesNothing) {
  KeysGrid f(30);
  f.grid->SetOptions(f.grid->Options() & ~GridOption(dgConfirmDelete));
  f.Start();
  PostKey(VK_DOWN);
  {
    HeldKey alt(VK_MENU);
    PostAltKey(VK_DOWN);
    PostAltKey(VK_RIGHT);
  }
  EXPECT_EQ(f.Focused(), 1);
  EXPECT_EQ(f.Field(), "ID");
  PostKeyWith(VK_CONTROL, VK_DELETE);
  EXPECT_EQ(f.data->RecordCount(), 30);
  {
    HeldKey alt(VK_MENU);
    PostAltKey(VK_DELETE);
  }
  EXPECT_EQ(f.data->RecordCount(), 29);
}

TEST(KwDbGridKeys, LeftRightHomeEndWalkColumnsThenRows) {
  KeysGrid f(30);
  f.Start();
  PostKey(VK_DOWN);
  PostKey(VK_RIGHT);
  EXPECT_EQ(f.Field(), "NAME");
  PostKey(VK_END);  // the last column first
  EXPECT_EQ(f.Field(), "PRICE");
  EXPECT_EQ(f.Focused(), 1);
  PostKey(VK_RIGHT);  // nothing beyond it
  EXPECT_EQ(f.Field(), "PRICE");
  PostKey(VK_END);  // then the last record
  EXPECT_EQ(f.Focused(), 29);
  PostKey(VK_HOME);
  EXPECT_EQ(f.Field(), "ID");
  EXPECT_EQ(f.Focused(), 29);
  PostKey(VK_LEFT);  // never onto the indicator
  EXPECT_EQ(f.grid->Col(), 1);
  PostKey(VK_HOME);
  EXPECT_EQ(f.Focused(), 0);
  // Hidden columns are stepped over.
  f.grid->Columns()->Items(1)->SetVisible(false);
  Pump();
  PostKey(VK_RIGHT);
  EXPECT_EQ(f.Field(), "QTY");
  // Row select: Left and Right walk the rows.
  f.grid->SetOptions(f.grid->Options() | GridOption(dgRowSelect));
  PostKey(VK_RIGHT);
  PostKey(VK_RIGHT);
  EXPECT_EQ(f.Focused(), 2);
  PostKey(VK_LEFT);
  EXPECT_EQ(f.Focused(), 1);
}

// Regression: the grid's row moves went through the platform grid's move, which put the
// current column back on the first one under dgRowSelect, and its column moves brought
// the first column into view instead of theirs: Ctrl+Right and a click on a partly shown
// column left that column out of view.
TEST(KwDbGridKeys, FaultRowSelectKeepsTheCurrentColumnInViewAcrossRowMoves) {
  KeysGrid f(40);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgRowSelect));
  f.grid->SetBounds(8, 8, 190, f.grid->Height());
  f.Start();
  auto lastFull = [&f] {
    TGridDrawInfo info;
    f.grid->CalcDrawInfo(info);
    return info.Horz.LastFullVisibleCell;
  };
  auto state = [&f] {
    return f.Field() + " row " + std::to_string(f.Focused()) + " left " + std::to_string(f.grid->LeftCol());
  };
  ASSERT_LT(lastFull(), f.grid->ColCount() - 1);
  PostKeyWith(VK_CONTROL, VK_RIGHT);
  const int left = f.grid->LeftCol();
  EXPECT_EQ(state(), "PRICE row 0 left " + std::to_string(left));
  EXPECT_GT(left, 1);
  EXPECT_EQ(lastFull(), f.grid->ColCount() - 1);
  PostKey(VK_DOWN);
  PostKey(VK_RIGHT);  // the next row under row select
  f.Wheel(-1);
  PostKey(VK_NEXT);
  EXPECT_EQ(state(), "PRICE row " + std::to_string(3 + f.View().VisibleRowCount()) + " left " + std::to_string(left));
  PostKeyWith(VK_CONTROL, VK_LEFT);
  EXPECT_EQ(state(), "ID row " + std::to_string(3 + f.View().VisibleRowCount()) + " left 1");
  // A click on the column cut by the right edge brings it wholly into view.
  const int cut = lastFull() + 1;
  const TRect r = f.grid->CellRect(cut, 3);
  ::PostMessageW(f.grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.Left + 4, (r.Top + r.Bottom) / 2));
  ::PostMessageW(f.grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(r.Left + 4, (r.Top + r.Bottom) / 2));
  Pump();
  EXPECT_EQ(f.grid->Col(), cut);
  EXPECT_GE(lastFull(), cut);
  const int clickedLeft = f.grid->LeftCol();
  PostKey(VK_UP);
  EXPECT_EQ(f.grid->Col(), cut);
  EXPECT_EQ(f.grid->LeftCol(), clickedLeft);
}

TEST(KwDbGridKeys, TabWrapsToTheNextRowBetweenColumnEvents) {
  KeysGrid f(30);
  f.Start();
  f.LogColumnEvents();
  PostKeyWith(VK_CONTROL, VK_RIGHT);
  EXPECT_EQ(f.log, "exit ID;enter PRICE;");
  f.log.clear();
  PostKey(VK_TAB);
  EXPECT_EQ(f.Focused(), 1);
  EXPECT_EQ(f.Field(), "ID");
  EXPECT_EQ(f.log, "exit PRICE;enter ID;");
  PostKeyWith(VK_SHIFT, VK_TAB);
  EXPECT_EQ(f.Focused(), 0);
  EXPECT_EQ(f.Field(), "PRICE");
  // A handler of OnColExit that moves elsewhere has the last word.
  f.grid->OnColExit = [&f](TObject*) { f.grid->SetCol(2); };
  PostKeyWith(VK_CONTROL, VK_LEFT);
  EXPECT_EQ(f.Field(), "NAME");
}

TEST(KwDbGridKeys, EnterRunsTheReturnKeyEventAndMovesOn) {
  KeysGrid f(30);
  f.Start();
  std::string pressed;
  for (int i = 0; i < f.grid->Columns()->Count(); ++i)
    f.grid->Columns()->Items(i)->OnPressReturnKeyEvent = [&pressed](TObject* s) {
      pressed += static_cast<TkwColumn*>(s)->FieldName() + ";";
    };
  PostKey(VK_RETURN);
  EXPECT_EQ(pressed, "ID;");
  EXPECT_EQ(f.Field(), "NAME");
  PostKeyWith(VK_CONTROL, VK_RIGHT);
  PostKey(VK_RETURN);  // wraps to the next row
  EXPECT_EQ(f.Field(), "ID");
  EXPECT_EQ(f.Focused(), 1);
  EXPECT_EQ(pressed, "ID;PRICE;");
  f.grid->SetReadOnly(true);
  PostKey(VK_RETURN);
  EXPECT_EQ(f.Field(), "ID");
  EXPECT_EQ(pressed, "ID;PRICE;ID;");
}

TEST(KwDbGridKeys, InsertAddsARecordOnlyWhereTheGridEdits) {
  KeysGrid f(5);
  f.Start();
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgModifyOnly));
  PostKey(VK_INSERT);
  EXPECT_EQ(f.data->State(), dsBrowse);
  f.grid->SetOptions(f.grid->Options() & ~GridOption(dgModifyOnly));
  f.grid->SetReadOnly(true);
  PostKey(VK_INSERT);
  EXPECT_EQ(f.data->State(), dsBrowse);
  f.grid->SetReadOnly(false);
  PostKey(VK_INSERT);
  EXPECT_EQ(f.data->State(), dsInsert);
  EXPECT_EQ(f.grid->DataController()->RowCount(), 6);
  EXPECT_EQ(f.Focused(), 2);  // the new record stands where the focused one stood
  EXPECT_TRUE(f.data->FieldByName("ID")->IsNull());
  PostKey(VK_ESCAPE);
  PostKey(VK_ESCAPE);
  EXPECT_EQ(f.data->State(), dsBrowse);
  EXPECT_EQ(f.data->RecordCount(), 5);
}

// ============================================================================ F3 and the locate dialog

namespace {

constexpr UINT WM_TEST_STEPS = WM_USER + 77;

// Each time the grid shows its locate dialog, `steps` works it (the dialog is closed
// with mrCancel when the steps leave it open) and its column list is recorded.
struct LocateScript {
  std::vector<std::string> items;
  int shown = 0;
  LocateScript(TkwCustomDBGrid* g, std::function<void(TfmGridLocate&)> steps) {
    TfmGridLocate& dlg = g->LocateDialog();
    dlg.OnShow = [&dlg](TObject*) { ::PostMessageW(dlg.Handle(), WM_TEST_STEPS, 0, 0); };
    dlg.RegisterMessageHandler(WM_TEST_STEPS, [this, &dlg, steps](TMessage&) {
      Settle();
      ++shown;
      items.clear();
      for (int i = 0; i < dlg.cbbLocate->Items()->Count(); ++i) items.push_back(dlg.cbbLocate->Items()->Strings(i));
      steps(dlg);
      if (dlg.ModalResult() == mrNone) dlg.SetModalResult(mrCancel);
    });
  }
};

void Find(TfmGridLocate& d, int item, const char* text) {
  d.cbbLocate->SetItemIndex(item);
  d.edtLocate->SetText(text);
  d.SetModalResult(kwLocateFind);
}

}  // namespace

TEST(KwDbGridKeys, F3LocatesThroughTheDialogThenFindsTheNextMatch) {
  KeysGrid f(30);
  f.Start();
  std::string kinds;
  f.grid->CheckNeedShowColumnInListEvent = [&kinds](TkwCustomDBGrid*, TkwColumn* c, TkwShowColumnType kind,
                                                    bool& show) {
    kinds += std::to_string(kind);
    if (c->FieldName() == "PRICE") show = false;
  };
  LocateScript script(f.grid, [](TfmGridLocate& d) { Find(d, 1, "商品2"); });
  PostKey(VK_F3);
  EXPECT_EQ(script.shown, 1);
  // The locate list is asked for as the locate list, and the handler's refusal holds.
  EXPECT_EQ(kinds, std::string(4, static_cast<char>('0' + sctLocate)));
  EXPECT_EQ(script.items, (std::vector<std::string>{"ID", "NAME", "QTY"}));
  EXPECT_EQ(f.Focused(), 1);  // 商品2
  EXPECT_EQ(f.Field(), "NAME");
  PostKey(VK_F3);  // no dialog now: the next match
  EXPECT_EQ(script.shown, 1);
  EXPECT_EQ(f.Focused(), 19);  // 商品20
  PostKey(VK_DOWN);
  PostKey(VK_F3);  // still the next match after another move
  EXPECT_EQ(script.shown, 1);
  EXPECT_EQ(f.Focused(), 21);  // 商品22
}

// Regression: the locate list kept the fields of the list shown before, so after a
// column change the column chosen searched another column's field.
TEST(KwDbGridKeys, FaultLocateListSearchesTheFieldOfTheColumnChosen) {
  KeysGrid f(30);
  f.Start();
  LocateScript cancel(f.grid, [](TfmGridLocate&) {});
  PostKey(VK_F3);
  ASSERT_EQ(cancel.shown, 1);
  ASSERT_EQ(cancel.items.size(), 4u);
  f.grid->Columns()->Items(0)->SetVisible(false);
  Pump();
  LocateScript find(f.grid, [](TfmGridLocate& d) { Find(d, 0, "商品3"); });
  PostKey(VK_F3);
  ASSERT_EQ(find.shown, 1);
  EXPECT_EQ(find.items, (std::vector<std::string>{"NAME", "QTY", "PRICE"}));
  EXPECT_EQ(f.Focused(), 2);
  EXPECT_EQ(f.Field(), "NAME");
}

// ============================================================================ mouse

TEST(KwDbGridKeys, WheelWalksTheRowsAndNeverAppends) {
  KeysGrid f(4);
  f.Start();
  f.Wheel(-1);
  f.Wheel(-1);
  EXPECT_EQ(f.Focused(), 2);
  EXPECT_EQ(f.grid->Row(), 3);
  f.Wheel(-1);
  f.Wheel(-1);  // past the last row of an editable grid
  EXPECT_EQ(f.Focused(), 3);
  EXPECT_EQ(f.data->State(), dsBrowse);
  EXPECT_EQ(f.grid->DataController()->RowCount(), 4);
  f.Wheel(1);
  EXPECT_EQ(f.Focused(), 2);
}

TEST(KwDbGridKeys, ClicksFireCellAndTitleClick) {
  KeysGrid f(20);
  f.Start();
  f.grid->OnCellClick = [&f](TkwColumn* c) { f.log += "cell " + c->FieldName() + ";"; };
  f.grid->OnTitleClick = [&f](TkwColumn* c) { f.log += "title " + c->FieldName() + ";"; };
  f.Click(3, 4);
  EXPECT_EQ(f.Focused(), 3);
  f.Click(2, 0);
  f.Click(0, 2);  // the indicator: the row only
  EXPECT_EQ(f.log, "cell QTY;title NAME;");
  EXPECT_EQ(f.Focused(), 1);
  // A title click moves to its column.
  EXPECT_EQ(f.Field(), "NAME");
}

TEST(KwDbGridKeys, SecondClickOnTheCurrentCellOpensTheEditor) {
  KeysGrid f(20);
  f.Start();
  f.Click(2, 3);
  EXPECT_FALSE(f.grid->EditorMode());
  f.Click(2, 3);
  EXPECT_TRUE(f.grid->EditorMode());
  f.Click(3, 3);
  EXPECT_FALSE(f.grid->EditorMode());
}

namespace {

// ID; the group 商品 over NAME and QTY; PRICE. Two title rows.
struct GroupGrid : KeysGrid {
  TkwColumn* goods;
  GroupGrid() : KeysGrid(10) {
    grid->Columns()->Add()->SetFieldName("ID");
    goods = grid->Columns()->Add();
    goods->Title()->SetCaption("商品");
    for (const char* name : {"NAME", "QTY"}) {
      TkwColumn* c = grid->Columns()->Add();
      c->SetFieldName(name);
      c->SetParent(goods);
    }
    grid->Columns()->Add()->SetFieldName("PRICE");
    goods->SetExpanded(true);
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (i != 1) grid->Columns()->Items(i)->SetWidth(70);
    Start();
  }
  // Drags the title cell (col, row) to the middle of column `to`'s title row.
  void Drag(int col, int row, int to) {
    const POINT from = Centre(col, row);
    const POINT dest = Centre(to, row);
    ::PostMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    Pump();
    for (int x = from.x; x != dest.x; x += dest.x > from.x ? 5 : -5) {
      if (std::abs(dest.x - x) < 5) break;
      ::PostMessageW(grid->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, from.y));
      Pump();
    }
    ::PostMessageW(grid->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(dest.x, from.y));
    ::PostMessageW(grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(dest.x, from.y));
    Pump();
  }
};

}  // namespace

TEST(KwDbGridKeys, DraggedTitlesMoveWholeUnitsAndStayUnderTheirParent) {
  GroupGrid f;
  ASSERT_EQ(f.grid->TitleOffset(), 2);
  ASSERT_EQ(f.Order(), "ID,[商品],NAME,QTY,PRICE");
  // PRICE dropped on NAME lands before the whole group, not inside it.
  f.Drag(5, 0, 3);
  EXPECT_EQ(f.Order(), "ID,PRICE,[商品],NAME,QTY");
  // The group taken by its own title (row 0 over QTY) moves with its children.
  f.Drag(5, 0, 1);
  EXPECT_EQ(f.Order(), "[商品],NAME,QTY,ID,PRICE");
  // NAME taken at its own row and dropped on PRICE stays in the group, after QTY.
  f.Drag(2, 1, 5);
  EXPECT_EQ(f.Order(), "[商品],QTY,NAME,ID,PRICE");
  EXPECT_EQ(f.goods->ChildCount(), 2);
}

TEST(KwDbGridKeys, AChildsBorderInTheParentsTitleRowDoesNotSize) {
  GroupGrid f;
  const int before = f.grid->Columns()->Items(2)->Width();
  // The border between NAME and QTY, in the group's title row and in NAME's own.
  for (int row : {0, 1}) {
    const TRect r = f.grid->CellRect(3, row);
    ::PostMessageW(f.grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.Right - 1, (r.Top + r.Bottom) / 2));
    Pump();
    ::PostMessageW(f.grid->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.Right + 20, (r.Top + r.Bottom) / 2));
    ::PostMessageW(f.grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(r.Right + 20, (r.Top + r.Bottom) / 2));
    Pump();
    if (row == 0)
      EXPECT_EQ(f.grid->Columns()->Items(2)->Width(), before);
    else
      EXPECT_GE(f.grid->Columns()->Items(2)->Width(), before + 19);
  }
}

// A press on a column's border in the titles writes the typed text to the field before
// the column is sized.
TEST(KwDbGridKeys, PressOnAColumnBorderPostsTheTypedText) {
  KeysGrid f(5);
  f.Start();
  PostKey(VK_RIGHT);
  for (const wchar_t* p = L"新品"; *p; ++p) PostChar(*p);
  Pump();
  ASSERT_TRUE(f.grid->EditorMode());
  ASSERT_NE(f.data->FieldByName("NAME")->AsString(), "新品");
  const TRect r = f.grid->CellRect(2, 0);
  ::PostMessageW(f.grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.Right - 1, (r.Top + r.Bottom) / 2));
  ::PostMessageW(f.grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(r.Right - 1, (r.Top + r.Bottom) / 2));
  Pump();
  EXPECT_EQ(f.data->FieldByName("NAME")->AsString(), "新品");
}

// ============================================================================ dialog column lists

namespace {

std::string Items(TStrings* s) {
  std::string r;
  for (int i = 0; i < s->Count(); ++i) r += (r.empty() ? "" : ",") + s->Strings(i);
  return r;
}

// The column dialog's rows: caption and mark, then the row's colour group (A, B, C).
std::string CustomRows(TfmGridCustomColumns& d) {
  std::string r;
  for (int row = 1; row < d.stgrdColumns->RowCount(); ++row) {
    const TColor c = d.RowColor(row);
    r += (r.empty() ? "" : ",") + d.stgrdColumns->Cells(1, row) + d.stgrdColumns->Cells(2, row) +
         (c == kColumnGroupColors[0] ? "A" : c == kColumnGroupColors[1] ? "B" : "C");
  }
  return r;
}

}  // namespace

// Each list asks for its columns with its own kind: a handler keeps QTY out of the filter
// list only and PRICE out of the column dialog only.
TEST(KwDbGridKeys, DialogListsAskWithTheirOwnKindAndFollowTheColumns) {
  GroupGrid f;
  std::string asked;
  f.grid->CheckNeedShowColumnInListEvent = [&asked](TkwCustomDBGrid*, TkwColumn* c, TkwShowColumnType kind,
                                                    bool& show) {
    static const char* const kinds[] = {"F", "C", "L"};
    asked += std::string(kinds[kind]) + c->FieldName() + " ";
    if ((kind == sctFilter && c->FieldName() == "QTY") || (kind == sctCustom && c->FieldName() == "PRICE"))
      show = false;
  };
  f.grid->Columns()->Items(0)->Title()->SetCaption("编号");
  Pump();
  EXPECT_EQ(asked, "LID LNAME LQTY LPRICE FID FNAME FQTY FPRICE CID CNAME CQTY CPRICE ");
  EXPECT_EQ(Items(f.grid->LocateDialog().cbbLocate->Items()), "编号,商品NAME,商品QTY,PRICE");
  EXPECT_EQ(Items(f.grid->FilterDialog().cbbFilter->Items()), "编号,商品NAME,PRICE");
  TfmGridCustomColumns& custom = f.grid->CustomColumnsDialog();
  EXPECT_EQ(CustomRows(custom), "编号*A,NAME*B,QTY*B");
  EXPECT_EQ(custom.VisibleCount, 3);
  EXPECT_EQ(custom.stgrdColumns->Cells(0, 3), "3");
  EXPECT_EQ(custom.stgrdColumns->FixedRows(), 1);
  EXPECT_EQ(custom.RowColumn(2), static_cast<IkwColumn*>(f.grid->Columns()->Items(2)));
  // A hidden column leaves the locate and filter lists and stays unmarked in the dialog.
  f.grid->Columns()->Items(0)->SetVisible(false);
  Pump();
  EXPECT_EQ(Items(f.grid->LocateDialog().cbbLocate->Items()), "商品NAME,商品QTY,PRICE");
  EXPECT_EQ(Items(f.grid->FilterDialog().cbbFilter->Items()), "商品NAME,PRICE");
  EXPECT_EQ(CustomRows(custom), "编号A,NAME*B,QTY*B");
  EXPECT_EQ(custom.VisibleCount, 2);
}
