// The aligned grid under Wine, driven by real keys and mouse presses through the message
// queue: the order of its before/after/cancel events, the moves to the next editable
// cell, typing on read-only cells, and its structural operations on a real grid.
#include <string>

#include "controls/AlignGrid.h"
#include "rtl/ComponentStreaming.h"
#include "tests/ui/UiTest.h"
#include "ui/Edit.h"

using namespace uitest;

namespace {

std::string At(int c, int r) { return "(" + std::to_string(c) + "," + std::to_string(r) + ")"; }

// A form with a 4 x 4 aligned grid (one fixed column and row) and an edit after it.
struct AlignForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TAlignGrid* grid;
  TEdit* edit;
  EventLog log;

  AlignForm() {
    form->SetBounds(100, 100, 420, 260);
    grid = new TAlignGrid(form.get());
    grid->SetName("grdAlign");
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, 380, 160);
    grid->SetColCount(4);
    grid->SetRowCount(4);
    grid->SetOptions(grid->Options() + TGridOptions{goEditing, goTabs});
    edit = new TEdit(form.get());
    edit->SetName("edtNext");
    edit->SetParent(form.get());
    edit->SetBounds(8, 180, 100, 21);
    grid->OnBeforeEdit = [this](TObject*, int c, int r) { log.Add("before" + At(c, r)); };
    grid->OnAfterEdit = [this](TObject*, int c, int r) { log.Add("after" + At(c, r) + ":" + grid->Cells(c, r)); };
    grid->OnCancelEdit = [this](TObject*, int c, int r) { log.Add("cancel" + At(c, r)); };
    grid->OnKeyPress = [this](TObject*, char& k) {
      // Characters typed into the editor pass the grid's KeyPress too; only those the
      // grid keeps for itself are recorded.
      if (k >= 'a' && k <= 'z' && !grid->EditorMode()) log.Add(std::string("press:") + k);
    };
  }

  void Show() {
    form->Show();
    Settle();
    Focus(grid);
    log.Clear();
  }

  std::string Cur() const { return At(grid->Col(), grid->Row()); }

  void Click(int c, int r) {
    const TRect rc = grid->CellRect(c, r);
    const LPARAM p = MAKELPARAM((rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2);
    ::PostMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, p);
    Pump();
    ::PostMessageW(grid->Handle(), WM_LBUTTONUP, 0, p);
    Pump();
  }
};

void PostKeyWith(BYTE modifier, WORD vk) {
  HeldKey held(modifier);
  PostKey(vk);
}

}  // namespace

// --- the edit events -------------------------------------------------------------------

TEST(AlignGridEditing, TypingThenEnterRaisesBeforeThenAfterOnce) {
  AlignForm f;
  f.Show();
  PostKey('A');
  EXPECT_TRUE(f.grid->EditorMode());
  PostKey('B');
  PostKey(VK_RETURN);
  EXPECT_EQ(f.log.Str(), "before(1,1) after(1,1):ab");
  EXPECT_EQ(f.grid->Cells(1, 1), "ab");
  EXPECT_EQ(f.Cur(), "(1,1)");
}

TEST(AlignGridEditing, EnterOnAnUnchangedCellRaisesNoAfterEdit) {
  AlignForm f;
  f.grid->SetCells(1, 1, "old");
  f.Show();
  PostKey(VK_F2);
  PostKey(VK_RETURN);
  EXPECT_EQ(f.log.Str(), "before(1,1)");
  EXPECT_EQ(f.grid->Cells(1, 1), "old");
}

TEST(AlignGridEditing, EscRestoresTheTextAndRaisesCancelOnly) {
  AlignForm f;
  f.grid->SetCells(1, 1, "old");
  f.Show();
  PostKey('X');
  PostKey(VK_ESCAPE);
  EXPECT_EQ(f.log.Str(), "before(1,1) cancel(1,1)");
  EXPECT_EQ(f.grid->Cells(1, 1), "old");
  f.Click(2, 2);
  Focus(f.edit);
  EXPECT_EQ(f.log.Str(), "before(1,1) cancel(1,1)");
}

TEST(AlignGridEditing, LeavingAChangedCellByMouseReportsItOnce) {
  AlignForm f;
  f.Show();
  PostKey('Q');
  f.Click(2, 2);
  EXPECT_EQ(f.Cur(), "(2,2)");
  EXPECT_FALSE(f.grid->EditorMode());
  PostKey(VK_F2);
  EXPECT_EQ(f.log.Str(), "before(1,1) after(1,1):q before(2,2)");
  EXPECT_EQ(f.grid->Cells(1, 1), "q");
}

// Enter reported the change; neither leaving the cell nor the focus leaving the grid
// reports it again.
TEST(AlignGridEditing, RegressionEachChangeRaisesAfterEditOnce) {
  AlignForm f;
  f.Show();
  PostKey('Z');
  PostKey(VK_RETURN);
  PostKey(VK_F2);
  f.Click(2, 1);
  Focus(f.edit);
  EXPECT_EQ(f.log.Str(), "before(1,1) after(1,1):z");
}

TEST(AlignGridEditing, FocusLeavingTheGridFinishesAnOpenEdit) {
  AlignForm f;
  f.Show();
  PostKey('K');
  Focus(f.edit);
  EXPECT_EQ(f.log.Str(), "before(1,1) after(1,1):k");
  EXPECT_FALSE(f.grid->EditorMode());
  EXPECT_EQ(f.grid->Cells(1, 1), "k");
}

TEST(AlignGridEditing, TypingOnAReadOnlyCellReachesTheKeyPressEvent) {
  AlignForm f;
  f.grid->SetEditable(true);
  f.grid->SetEditCol(1, false);
  f.Show();
  PostKey('B');
  EXPECT_FALSE(f.grid->EditorMode());
  EXPECT_EQ(f.log.Str(), "press:b");
  PostKey(VK_F2);
  EXPECT_FALSE(f.grid->EditorMode());
}

TEST(AlignGridEditing, ReopenMessageRestoresTheSavedSelection) {
  AlignForm f;
  f.Show();
  TypeText(L"hello");
  f.grid->Editor()->SetSelStart(1);
  f.grid->Editor()->SetSelLength(2);
  Focus(f.edit);
  Focus(f.grid);
  ::PostMessageW(f.grid->Handle(), WM_ALIGNGRID_REOPEN, 0, 0);
  Pump();
  ASSERT_TRUE(f.grid->EditorMode());
  EXPECT_EQ(f.grid->Editor()->SelStart(), 1);
  EXPECT_EQ(f.grid->Editor()->SelLength(), 2);
  EXPECT_TRUE(f.grid->EditStarted());
}

// The edit events travel as posted messages; a grid freed before they arrive (Esc
// closing the form) never sees them: they are addressed to its window, which is gone.
TEST(AlignGridEditing, EventsPostedToAFreedGridAreDropped) {
  EventLog log;
  {
    AlignForm f;
    f.Show();
    f.grid->OnCancelEdit = [&log](TObject*, int, int) { log.Add("cancel"); };
    f.grid->OnAfterEdit = [&log](TObject*, int, int) { log.Add("after"); };
    ::PostMessageW(f.grid->Handle(), WM_ALIGNGRID_CANCEL, 1, 1);
    ::PostMessageW(f.grid->Handle(), WM_ALIGNGRID_AFTEREDIT, 1, 1);
  }
  Pump();
  EXPECT_EQ(log.Str(), "");
}

// --- moving on -----------------------------------------------------------------------------

TEST(AlignGridNavigation, AutoEditAfterTheLastCellAppendsARowAndOpensItsFirstCell) {
  AlignForm f;
  f.grid->AutoEditNextCell = true;
  f.Show();
  f.Click(3, 3);
  PostKey('W');
  PostKey(VK_RETURN);
  EXPECT_EQ(f.grid->RowCount(), 5);
  EXPECT_EQ(f.Cur(), "(1,4)");
  EXPECT_TRUE(f.grid->EditorMode());
  EXPECT_EQ(f.log.Str(), "before(3,3) after(3,3):w before(1,4)");
}

TEST(AlignGridNavigation, AutoEditWithStopStaysOnTheLastCell) {
  AlignForm f;
  f.grid->AutoEditNextCell = true;
  f.grid->AfterLastCellEdit = lc_stop;
  f.Show();
  f.Click(3, 3);
  PostKey('W');
  PostKey(VK_RETURN);
  EXPECT_EQ(f.grid->RowCount(), 4);
  EXPECT_EQ(f.Cur(), "(3,3)");
  EXPECT_EQ(f.log.Str(), "before(3,3) after(3,3):w");
}

TEST(AlignGridNavigation, AutoEditSkipsReadOnlyCells) {
  AlignForm f;
  f.grid->AutoEditNextCell = true;
  f.grid->SetEditCol(2, false);
  f.Show();
  PostKey('E');
  PostKey(VK_RETURN);
  EXPECT_EQ(f.Cur(), "(3,1)");
  EXPECT_EQ(f.log.Str(), "before(1,1) after(1,1):e before(3,1)");
}

TEST(AlignGridNavigation, TabEnterLeftAndRightMoveInTheirOrders) {
  AlignForm f;
  f.grid->SetEditCol(2, false);
  f.Show();
  PostKey(VK_TAB);
  EXPECT_EQ(f.Cur(), "(3,1)");  // read-only column 2 skipped
  PostKey(VK_RETURN);
  EXPECT_EQ(f.Cur(), "(1,2)");
  PostKey(VK_LEFT);  // left from the first column: the last column of the next row
  EXPECT_EQ(f.Cur(), "(3,3)");
  PostKey(VK_RIGHT);  // past the last cell: back to the first (lc_first)
  EXPECT_EQ(f.Cur(), "(1,1)");
  PostKeyWith(VK_SHIFT, VK_RIGHT);  // reversed: leftward and up, round to the last cell
  EXPECT_EQ(f.Cur(), "(3,3)");
  PostKeyWith(VK_SHIFT, VK_TAB);
  EXPECT_EQ(f.Cur(), "(1,3)");
  EXPECT_EQ(f.log.Str(), "");
}

TEST(AlignGridNavigation, RegressionTabWithNoEditableCellStaysPut) {
  AlignForm f;
  f.grid->SetEditable(false);
  f.Show();
  f.Click(2, 2);
  PostKey(VK_TAB);
  EXPECT_EQ(f.Cur(), "(2,2)");
  f.grid->AfterLastCellTab = lc_newcolrow;
  PostKey(VK_TAB);
  EXPECT_EQ(f.Cur(), "(2,2)");
  EXPECT_EQ(f.grid->RowCount(), 5);  // one row appended by the search, no more
}

// --- the editor takes the cell's looks -------------------------------------------------------------

TEST(AlignGridEditor, AlignmentFontAndColourOfTheCell) {
  AlignForm f;
  f.grid->SetCellAlignment(1, 1, al_Right);
  f.grid->BrushCellOf(1, 1)->SetColor(clYellow);
  f.grid->Props().FontCol.Set(1, {clRed, -16, "黑体", 0, 1, true});
  f.Show();
  PostKey(VK_F2);
  TNewInplaceEdit* ed = f.grid->Editor();
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->Alignment(), al_Right);
  EXPECT_TRUE(::GetWindowLongW(ed->Handle(), GWL_STYLE) & ES_RIGHT);
  EXPECT_EQ(ed->Color(), clYellow);
  EXPECT_EQ(ed->Font()->Height(), -16);
  EXPECT_EQ(ed->Font()->Color(), clRed);
  PostKey(VK_ESCAPE);
  f.Click(2, 1);
  PostKey(VK_F2);
  EXPECT_EQ(ed->Alignment(), al_Left);
  EXPECT_FALSE(::GetWindowLongW(ed->Handle(), GWL_STYLE) & ES_RIGHT);
}

// --- a changed font or brush repaints the grid ------------------------------------------------

namespace {
// Paints what is pending on the form, then tells whether the grid asks for a paint.
bool RepaintAsked(AlignForm& f) { return ::GetUpdateRect(f.grid->Handle(), nullptr, FALSE) != FALSE; }
void PaintPending(AlignForm& f) { ::RedrawWindow(f.form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }
}  // namespace

TEST(AlignGridCellLooks, ChangingAHandedOutBrushRepaintsTheGrid) {
  AlignForm f;
  f.Show();
  using HandOut = TCellBrush* (*)(TAlignGrid&);
  const std::pair<const char*, HandOut> handOuts[] = {
      {"BrushCellOf", [](TAlignGrid& g) { return g.BrushCellOf(2, 2); }},
      {"BrushColOf", [](TAlignGrid& g) { return g.BrushColOf(2); }},
      {"BrushRowOf", [](TAlignGrid& g) { return g.BrushRowOf(2); }},
      {"BrushFixedColOf", [](TAlignGrid& g) { return g.BrushFixedColOf(0); }},
      {"BrushFixedRowOf", [](TAlignGrid& g) { return g.BrushFixedRowOf(0); }},
  };
  for (const auto& [name, handOut] : handOuts) {
    TCellBrush* brush = handOut(*f.grid);
    PaintPending(f);
    ASSERT_FALSE(RepaintAsked(f)) << name;
    brush->SetColor(clRed);
    EXPECT_TRUE(RepaintAsked(f)) << name << " colour";
    PaintPending(f);
    brush->SetStyle(1);
    EXPECT_TRUE(RepaintAsked(f)) << name << " style";
    EXPECT_TRUE(handOut(*f.grid)->Modified) << name;
  }
}

// Fonts and brushes read from a form resource repaint the grid that read them.
TEST(AlignGridCellLooks, FontsAndBrushesReadFromAResourceRepaintTheirGrid) {
  TAlignGrid source(nullptr);
  source.SetName("grdAlign");
  source.SetColCount(4);
  source.SetRowCount(4);
  source.Props().FontCol.Set(1, {clRed, -16, "黑体", 0, 1, true});
  source.Props().BrushRow.Set(2, {clYellow, 0, true});
  TMemoryStream m;
  m.WriteComponent(&source);
  m.SetPosition(0);
  AlignForm f;
  m.ReadComponent(f.grid);
  f.Show();
  PaintPending(f);
  ASSERT_FALSE(RepaintAsked(f));
  f.grid->Props().FontCol.Find(1)->SetHeight(-20);
  EXPECT_TRUE(RepaintAsked(f));
  PaintPending(f);
  f.grid->Props().BrushRow.Find(2)->SetColor(clLime);
  EXPECT_TRUE(RepaintAsked(f));
}

// --- structure on a real grid ---------------------------------------------------------------------

TEST(AlignGridStructure, InsertColumnAtZeroGoesAfterTheFixedColumnWithTextsWidthsAndProperties) {
  TAlignGrid g(nullptr);
  g.SetColCount(4);
  g.SetCells(1, 1, "a");
  g.SetCells(2, 1, "b");
  g.SetColWidths(1, 40);
  g.SetColWidths(2, 50);
  g.SetCellAlignment(1, 1, al_Right);
  g.SetEditCol(2, false);
  g.InsertCol(0);
  EXPECT_EQ(g.ColCount(), 5);
  EXPECT_EQ(g.Cells(1, 1), "");
  EXPECT_EQ(g.Cells(2, 1) + g.Cells(3, 1), "ab");
  EXPECT_EQ(g.ColWidths(2), 40);
  EXPECT_EQ(g.ColWidths(3), 50);
  EXPECT_EQ(g.CellAlignment(2, 1), al_Right);
  EXPECT_EQ(g.CellAlignment(1, 1), al_Left);
  EXPECT_FALSE(g.GetEditCol(3));
  EXPECT_TRUE(g.GetEditCol(2));
}

TEST(AlignGridStructure, InsertRowAndExchangeRowsKeepPropertiesWithTexts) {
  TAlignGrid g(nullptr);
  g.SetCells(1, 1, "x");
  g.SetCells(1, 2, "y");
  g.SetCellEditable(1, 2, false);
  g.InsertRow(1);
  EXPECT_EQ(g.RowCount(), 6);
  EXPECT_EQ(g.Cells(1, 1) + "|" + g.Cells(1, 2) + "|" + g.Cells(1, 3), "|x|y");
  EXPECT_FALSE(g.CellEditable(1, 3));
  g.ExchangeRows(2, 3);
  EXPECT_EQ(g.Cells(1, 2) + "|" + g.Cells(1, 3), "y|x");
  EXPECT_FALSE(g.CellEditable(1, 2));
  EXPECT_TRUE(g.CellEditable(1, 3));
}

TEST(AlignGridStructure, DraggedColumnMoveCarriesItsProperties) {
  TAlignGrid g(nullptr);
  g.SetCells(1, 0, "first");
  g.SetEditCol(1, false);
  g.MoveColumn(1, 3);
  EXPECT_EQ(g.Cells(3, 0), "first");
  EXPECT_FALSE(g.GetEditCol(3));
  EXPECT_TRUE(g.GetEditCol(1));
}

TEST(AlignGridStructure, DefaultComparisonsAreByteOrderAndNeverCalledByTheGrid) {
  TAlignGrid g(nullptr);
  g.SetCells(1, 1, "a");
  g.SetCells(1, 2, "b");
  g.SetCells(2, 1, "a");
  EXPECT_EQ(g.OnCompareCol(&g, 1, 1, 2), rel_less);
  EXPECT_EQ(g.OnCompareCol(&g, 1, 2, 1), rel_greater);
  EXPECT_EQ(g.OnCompareRow(&g, 1, 1, 2), rel_equal);
}

// --- hints -----------------------------------------------------------------------------------------

TEST(AlignGridHints, TheApplicationsHintShowsTheHoveredCellsHintBelowIt) {
  AlignForm f;
  f.grid->Props().HintCell.Set(2, 1, "库存 12");
  f.Show();
  const TRect rc = f.grid->CellRect(2, 1);
  THintInfo info;
  info.HintControl = f.grid;
  info.CursorPos = {(rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2};
  AnsiString hint = "grid";
  bool canShow = true;
  ASSERT_TRUE(static_cast<bool>(Application->OnShowHint));
  Application->OnShowHint(hint, canShow, info);
  EXPECT_EQ(hint, "库存 12");
  const TPoint below = f.grid->ClientToScreen({rc.Left, rc.Bottom + 6});
  EXPECT_EQ(info.HintPos.X, below.X);
  EXPECT_EQ(info.HintPos.Y, below.Y);
  EXPECT_EQ(f.grid->HintCell().X, 2);
  // Moving to the next cell forgets the hint cell, so that cell's own hint comes next.
  const TRect next = f.grid->CellRect(3, 1);
  ::PostMessageW(f.grid->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(next.Left + 3, next.Top + 3));
  Pump();
  EXPECT_EQ(f.grid->HintCell().X, -1);
  // Another control's hint and a grid with cell hints off are left alone.
  f.grid->SetShowCellHints(false);
  hint = "grid";
  Application->OnShowHint(hint, canShow, info);
  EXPECT_EQ(hint, "grid");
}

TEST(AlignGridHints, AFreedGridIsNoLongerCalled) {
  {
    TAlignGrid g(nullptr);
  }
  AnsiString hint = "x";
  bool canShow = true;
  THintInfo info;
  if (Application->OnShowHint) Application->OnShowHint(hint, canShow, info);
  EXPECT_EQ(hint, "x");
}

// --- the picture ----------------------------------------------------------------------------------

#include "tests/support/Screenshot.h"

TEST(AlignGridPicture, EditorTakesTheCellsLooks) {
  AlignForm f;
  f.form->SetCaption("对齐表格");
  const char* titles[] = {"", "货号", "品名", "数量"};
  for (int c = 0; c < 4; ++c) f.grid->SetCells(c, 0, titles[c]);
  const char* rows[][3] = {{"A001", "衬衫", "12"}, {"A002", "长裤", "3"}, {"B017", "连衣裙", "1"}};
  for (int r = 0; r < 3; ++r) {
    f.grid->SetCells(0, r + 1, std::to_string(r + 1));
    for (int c = 0; c < 3; ++c) f.grid->SetCells(c + 1, r + 1, rows[r][c]);
  }
  f.grid->SetColWidths(0, 24);
  f.grid->SetColWidths(2, 100);
  f.grid->SetEditCol(1, false);
  f.grid->Props().AlignCol.Set(3, al_Right);
  f.grid->BrushColOf(3)->SetColor(0xE0FFFF);
  f.Show();
  f.Click(3, 2);
  PostKey(VK_F2);
  ASSERT_TRUE(f.grid->EditorMode());
  EXPECT_EQ(f.grid->Editor()->Alignment(), al_Right);
  SaveScreenshot(f.form.get(), std::string("Z:") + POS_BINARY_DIR + "/align-grid.png");
  PostKey(VK_ESCAPE);
}

// --- moving between cells of different alignments with the editor always shown ---------------

namespace {

// What the editor shows (its window's own text) at the current cell.
std::string Shown(AlignForm& f) {
  TNewInplaceEdit* ed = f.grid->Editor();
  if (!ed || !ed->HandleAllocated() || !::IsWindowVisible(ed->Handle()))
    return f.Cur() + "[]";
  wchar_t buf[64] = {};
  ::GetWindowTextW(ed->Handle(), buf, 64);
  return f.Cur() + "[" + std::string(ui_win::Ansi(buf, static_cast<int>(wcslen(buf)))) + "]";
}

std::string Texts(AlignForm& f) {
  std::string s;
  for (int r = 1; r < f.grid->RowCount(); ++r)
    for (int c = 1; c < f.grid->ColCount(); ++c) s += (s.empty() ? "" : " ") + std::string(f.grid->Cells(c, r));
  return s;
}

}  // namespace

// Regression: re-creating the editor for another alignment put the previous cell's text
// back into it after the grid had loaded the new cell's, so Tab, Enter (AutoEditNextCell)
// or an arrow onto a cell of another alignment showed the previous text, wrote it into the
// new cell when it was left and raised OnAfterEdit there.
TEST(AlignGridEditor, RegressionMovesOntoAnotherAlignmentShowAndKeepEachCellsText) {
  AlignForm f;
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goAlwaysShowEditor});
  f.grid->AutoEditNextCell = true;
  f.grid->Props().AlignCol.Set(2, al_Right);
  f.grid->Props().AlignRow.Set(2, al_Center);
  const char* texts[3][3] = {{"one", "abc", "xyz"}, {"two", "def", "uvw"}, {"three", "ghi", "rst"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) f.grid->SetCells(c + 1, r + 1, texts[r][c]);
  f.Show();
  f.grid->ShowCellEditor();
  Pump();
  std::string seen = Shown(f);
  for (WORD key : {VK_TAB, VK_TAB, VK_RETURN, VK_UP, VK_DOWN, VK_RIGHT, VK_DOWN}) {
    PostKey(key);
    seen += " " + Shown(f);
  }
  EXPECT_EQ(seen, "(1,1)[one] (2,1)[abc] (3,1)[xyz] (1,2)[two] (1,1)[one] (1,2)[two] (2,2)[def] (2,3)[ghi]");
  EXPECT_EQ(f.log.Str().find("after"), std::string::npos) << f.log.Str();
  // An edit, a move onto another alignment and the first key there: each cell gets its own.
  f.log.Clear();
  PostKey('X');
  PostKey(VK_TAB);
  PostKey(VK_DELETE);
  seen = Shown(f);
  PostKeyWith(VK_SHIFT, VK_TAB);
  seen += " " + Shown(f);
  PostKey('Y');
  PostKey(VK_RETURN);  // on to the next editable cell
  seen += " " + Shown(f);
  PostKey('Z');
  f.Click(1, 3);
  seen += " " + Shown(f);
  EXPECT_EQ(seen, "(3,3)[] (2,3)[x] (3,3)[] (1,3)[three]");
  Focus(f.edit);
  EXPECT_EQ(Texts(f), "one abc xyz two def uvw three y z");
  // The after-edit of a cell left is posted; the before-edit of the next is sent at once.
  EXPECT_EQ(f.log.Str(),
            "before(3,3) after(2,3):x before(2,3) after(3,3): after(2,3):y before(3,3) before(1,3) after(3,3):z");
}
