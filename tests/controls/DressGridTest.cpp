// The dress grid under Wine with real messages: columns and cell texts, a large grid
// scrolling, the title double-click sort, the pick list, Ctrl+F search, and the layout
// file across a free and a re-create, damaged, read-only and shared with another process.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "controls/DressGrid.h"
#include "controls/FindWindow.h"
#include "rtl/FileUtils.h"
#include "rtl/Streams.h"
#include "rtl/PngWriter.h"
#include "tests/support/Screenshot.h"
#include "tests/ui/UiTest.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/Button.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/Label.h"

using namespace uitest;

namespace {

const char* const kCaptions[12] = {"货号", "品名", "颜色", "尺码", "单位", "数量",
                                   "单价", "金额", "库存", "条码", "备注", "序号"};

// A scratch folder for layout files under the build tree, emptied first.
AnsiString LayoutFolder(const char* name) {
  const AnsiString dir = GetCurrentDir() + "\\dresslayout_" + name;
  std::error_code ec;
  std::filesystem::remove_all(FilePath(dir), ec);
  ForceDirectories(dir);
  return dir;
}

// A form with a dress grid of 12 logical columns; numbers in column 6, 7, 8.
struct DressForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TDressGrid* grid;
  EventLog log;

  explicit DressForm(const AnsiString& layoutFile = "", const AnsiString& note = "", int rows = 0) {
    form->SetBounds(60, 60, 760, 420);
    grid = new TDressGrid(form.get());
    grid->SetName("grdDress");
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, 730, 360);
    if (!layoutFile.empty()) grid->LayoutFileName = layoutFile;
    if (!note.empty()) grid->SetNoteFileName(note);
    for (int i = 0; i < 12; ++i)
      grid->AddColumn(kCaptions[i], i == 0 ? "0" : "2", i == 11 ? -1 : 60, i >= 5 && i <= 7 ? "0.00" : "", "",
                      false, i == 5);
    if (rows > 0) Fill(rows);
  }

  void Fill(int rows) {
    grid->SetRowCount(rows + 2);
    for (int r = 1; r <= rows; ++r) {
      grid->SetCells(0, r + 1, std::to_string(r));
      grid->SetDressCell(r, 1, 1, "G" + std::to_string(1000 + (r * 37) % rows));
      grid->SetDressCell(r, 2, 1, "品名" + std::to_string(r));
      grid->SetDressCell(r, 6, 1, std::to_string((r * 7) % 13));
      grid->SetDressCell(r, 7, 1, std::to_string(r) + ".5");
    }
  }

  void Show() {
    form->Show();
    Settle();
    Focus(grid);
    log.Clear();
  }

  POINT Center(int c, int r) {
    const TRect rc = grid->CellRect(c, r);
    return {(rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2};
  }

  void Mouse(UINT msg, POINT p, WPARAM keys = 0) {
    ::PostMessageW(grid->Handle(), msg, keys, MAKELPARAM(p.x, p.y));
    Pump();
  }

  void DoubleClick(int c, int r) {
    const POINT p = Center(c, r);
    Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, p);
    Mouse(WM_LBUTTONDBLCLK, p, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, p);
  }

  void Click(int c, int r) {
    const POINT p = Center(c, r);
    Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, p);
  }

  // Drags the right edge of a column's title by dx pixels, as the user sizes it.
  void DragColumnEdge(int c, int dx) {
    const TRect rc = grid->CellRect(c, 0);
    const int y = (rc.Top + rc.Bottom) / 2;
    Mouse(WM_MOUSEMOVE, {rc.Right, y});
    Mouse(WM_LBUTTONDOWN, {rc.Right, y}, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, {rc.Right + dx, y}, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, {rc.Right + dx, y});
  }
};

// Runs fn once from the message loop shortly (inside whatever modal loop is running).
std::function<void()> gLater;
void CALLBACK LaterProc(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  auto fn = std::move(gLater);
  gLater = nullptr;
  if (fn) fn();
}
void RunLater(std::function<void()> fn) {
  gLater = std::move(fn);
  ::SetTimer(nullptr, 0, 30, LaterProc);
}

std::string Column(TDressGrid* g, int col, int from, int to) {
  std::string out;
  for (int r = from; r <= to; ++r) out += (r > from ? " " : "") + g->Cells(col, r);
  return out;
}

}  // namespace

// --- columns and cells ------------------------------------------------------------------------

TEST(DressGridColumns, ConstructionDefaults) {
  TDressGrid g(nullptr);
  EXPECT_EQ(g.FixedRows(), 2);
  EXPECT_EQ(g.FixedCols(), 1);
  EXPECT_EQ(g.DefaultRowHeight(), 17);
  EXPECT_EQ(g.RowHeights(0), 30);
  EXPECT_EQ(g.RowHeights(1), -1);
  EXPECT_EQ(g.ColWidths(0), 20);
  EXPECT_TRUE(g.Options().Contains(goEditing));
  EXPECT_TRUE(g.Options().Contains(goColSizing));
  EXPECT_TRUE(g.AutoEditNextCell);
  EXPECT_EQ(g.TitleCols().size(), 5u);  // placeholders
  EXPECT_EQ(g.SortCol(), -1);
}

TEST(DressGridColumns, AddColumnSetCellAndClear) {
  TDressGrid g(nullptr);
  g.AddColumn("A;B", "0", 50, "", "", false, false);
  g.AddColumn("数量", "2", 40, "0.00", "", true, true);
  g.AddColumn("价", "2", 45, "0.0000", "", true, false);
  ASSERT_EQ(g.TitleCols().size(), 3u);
  EXPECT_EQ(g.TitleCols()[0].Caption + "|" + g.TitleCols()[0].Caption2, "A|B");
  EXPECT_EQ(g.TitleCols()[1].DisplayFormat, "0.##");
  EXPECT_EQ(g.ColWidths(2), 40);
  g.SetDressCell(1, 2, 1, "0");
  g.SetDressCell(1, 3, 1, "abc");
  g.SetDressCell(2, 3, 1, "2.5");
  g.SetDressCell(0, 3, 1, "3.14159");
  EXPECT_EQ(g.Cells(2, 2), "");
  EXPECT_EQ(g.Cells(3, 2), "0");
  EXPECT_EQ(g.GetDressCell(2, 3, 1), "2.5");
  EXPECT_EQ(g.Cells(3, 1), "3.14159");
  EXPECT_EQ(g.GetDressCell(1, 9, 1), "");
  g.SetDressCell(1, 9, 1, "x");  // no such column: nothing written
  g.SetDressCell(-5, 1, 1, "x");
  EXPECT_EQ(g.Cells(4, 2), "");
  g.SetEditCol(2, false);
  g.ClearRows();
  EXPECT_EQ(g.RowCount(), 3);
  EXPECT_EQ(g.TitleCols().size(), 3u);
  EXPECT_EQ(g.ColWidths(2), 40);
  EXPECT_TRUE(g.GetEditCol(2));
  g.ClearColumns();
  EXPECT_EQ(g.ColCount(), 5);
  EXPECT_TRUE(g.TitleCols().empty());
}

TEST(DressGridColumns, FocusAndMappingOfLogicalColumns) {
  DressForm f;
  f.Show();
  EXPECT_EQ(f.grid->ColCount(), 13);
  EXPECT_EQ(f.grid->ColWidths(12), -1);
  f.grid->FocusDressCell(3, 1, 4);
  EXPECT_EQ(f.grid->Col(), 3);
  EXPECT_EQ(f.grid->Row(), 4);
  int c = 0, s = 0;
  f.grid->GridColToTitleCol(7, c, s);
  EXPECT_EQ(c, 7);
  EXPECT_EQ(s, 1);
  c = s = 99;
  f.grid->GridColToTitleCol(0, c, s);
  EXPECT_EQ(c, 99);
}

TEST(DressGridColumns, RegressionShowNoEditCellsWithoutSizeDataMakesSizeCellsReadOnly) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(60, 60, 400, 200);
  auto* g = new TDressGrid(form.get());
  g->SetParent(form.get());
  g->SetBounds(8, 8, 360, 150);
  g->AddColumn("货号", "0", 60, "", "", false, false);
  g->AddColumn("尺码", "1", 60, "", "", false, false);
  g->AddColumn("数量", "2", 60, "", "", false, false);
  g->ShowNoEditCells = true;
  g->SetDressCell(1, 1, 1, "A001");
  form->Show();
  Settle();
  g->SetRow(2);
  g->SetCol(2);
  EXPECT_FALSE(g->CellEditable(2, 2));
  g->SetCol(3);
  EXPECT_TRUE(g->CellEditable(3, 2));  // not a size column
  g->SetDressCell(1, 1, 1, "");
  g->SetRow(3);
  g->SetCol(2);
  EXPECT_TRUE(g->CellEditable(2, 3));  // no row key: left as it is
}

TEST(DressGridColumns, MaskedColumnEditsWithAPasswordCharacter) {
  DressForm f("", "", 3);
  f.grid->AddColumn("密码", "2", 60, "", "******", false, false);
  f.grid->SetDressCell(1, 13, 1, "secret");
  f.Show();
  f.Click(1, 2);
  PostKey(VK_F2);
  PostKey(VK_ESCAPE);
  f.grid->SetCol(13);
  ASSERT_NE(f.grid->InplaceEditor(), nullptr);
  EXPECT_EQ(f.grid->InplaceEditor()->PasswordChar(), '*');
  f.grid->SetCol(2);
  EXPECT_EQ(f.grid->InplaceEditor()->PasswordChar(), 0);
}

namespace {

// What a window shows: its picture, pixel by pixel.
std::vector<uint32_t> Picture(TWinControl* c) {
  TBitmap shot;
  RenderControl(c, shot, false);
  return shot.PixelsRGB();
}

bool HasInk(const std::vector<uint32_t>& pixels) {
  return std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p & 0xFFFFFF) < 0x404040; });
}

// The editor as it shows the current cell, with the password character its window echoes.
std::string EditorState(TDressGrid* g) {
  TInplaceEdit* ed = g->InplaceEditor();
  if (!ed || !ed->Visible()) return "hidden";
  const LRESULT echo = ::SendMessageW(ed->Handle(), EM_GETPASSWORDCHAR, 0, 0);
  return "(" + std::to_string(g->Col()) + "," + std::to_string(g->Row()) + ")" + std::string(ed->Text()) +
         (echo ? std::string("/") + static_cast<char>(echo) : std::string());
}

}  // namespace

// Regression: the grid's editor is a multi-line edit, which echoes no password character,
// and on the first edit of a masked cell the character was not even set (the editor did
// not exist when the cell was selected): the editor showed the text. What it shows of a
// masked cell now depends on the number of characters alone, from the first edit on.
TEST(DressGridColumns, RegressionAMaskedCellsEditorShowsStarsFromTheFirstEdit) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(60, 60, 400, 200);
  auto* g = new TDressGrid(form.get());
  g->SetParent(form.get());
  g->SetBounds(8, 8, 370, 150);
  g->AddColumn("货号", "0", 60, "", "", false, false);
  g->AddColumn("密码", "2", 80, "", "******", false, false);
  g->AddColumn("备注", "2", 80, "", "", false, false);
  g->SetRowCount(5);
  const char* rows[][3] = {{"A1", "secret", "note"}, {"A2", "abcdef", "longer"}, {"A3", "xy", "z"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) g->SetDressCell(r + 1, c + 1, 1, rows[r][c]);
  auto* ok = new TButton(form.get());  // Enter and Esc in the editor are the editor's
  ok->SetParent(form.get());
  ok->SetBounds(300, 160, 80, 24);
  ok->SetDefault(true);
  ok->SetCancel(true);
  int okClicks = 0;
  ok->OnClick = [&](TObject*) { ++okClicks; };
  g->SetOptions(g->Options() + TGridOptions{goAlwaysShowEditor, goTabs});
  g->SetRow(2);
  g->SetCol(2);  // selected before the editor exists: it is made for this cell
  form->Show();
  Settle();
  Focus(g);
  const TRect cell = g->CellRect(2, 2);  // the user clicks into it
  const LPARAM at = MAKELPARAM((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  ::PostMessageW(g->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(g->Handle(), WM_LBUTTONUP, 0, at);
  Pump();
  std::string seen = EditorState(g);
  const std::vector<uint32_t> secret = Picture(g->InplaceEditor());
  PostKey(VK_DOWN);
  seen += " " + EditorState(g);
  const std::vector<uint32_t> abcdef = Picture(g->InplaceEditor());
  PostKey(VK_RIGHT);
  seen += " " + EditorState(g);
  const std::vector<uint32_t> longer = Picture(g->InplaceEditor());
  {
    HeldKey shift(VK_SHIFT);
    PostKey(VK_TAB);
  }
  TypeText(L"pw");  // typed over the selected text
  seen += " " + EditorState(g);
  PostKey(VK_RETURN);
  PostKey(VK_ESCAPE);
  EXPECT_EQ(okClicks, 0);
  EXPECT_EQ(seen, "(2,2)secret/* (2,3)abcdef/* (3,3)longer (2,3)pw/*");
  EXPECT_TRUE(HasInk(secret));
  EXPECT_TRUE(secret == abcdef) << "six letters of a masked cell look alike";
  EXPECT_FALSE(abcdef == longer) << "a plain cell shows its text";
  EXPECT_EQ(g->Cells(2, 3), "pw");
  EXPECT_EQ(g->Cells(2, 2), "secret");
  EXPECT_EQ(g->Cells(2, 4), "xy");
}

// Regression: a cell was painted in its brush's colour alone, always solid. Its brush is
// taken whole: a clear brush leaves the grid's own colour, a hatched one draws its lines
// over it (its gaps clear), a solid one fills the cell.
TEST(DressGridColumns, RegressionCellsArePaintedWithTheirWholeBrush) {
  DressForm f("", "", 4);
  const int row = 4;  // away from the current, selected cell
  const std::pair<int, uint8_t> cells[] = {{3, bsSolid}, {4, bsClear}, {5, bsHorizontal}, {9, bsCross}};
  for (const auto& [col, style] : cells) {
    TCellBrush* b = f.grid->BrushCellOf(col, row);
    b->SetColor(clRed);
    b->SetStyle(style);
    f.grid->SetCells(col, row, "");
  }
  f.Show();
  TBitmap shot;
  RenderControl(f.grid, shot, false);
  std::string seen;
  for (const auto& [col, style] : cells) {
    const TRect r = f.grid->CellRect(col, row);
    int red = 0, total = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x, ++total) red += shot.PixelRGB(x, y) == 0xFF0000;
    seen += std::to_string(style) + (red == total ? ":all " : red == 0 ? ":none " : ":some ");
  }
  EXPECT_EQ(seen, "0:all 1:none 2:some 6:some ");
}

TEST(DressGridColumns, FormResourceRoundTripOfSettingsListsAndTexts) {
  TDressGrid g(nullptr);
  g.SetName("grdPd");
  g.EnableSort = true;
  g.HaveTotalRow = true;
  g.NextCellTab = nc_downright;
  g.SetCellAlignment(2, 3, al_Center);
  g.SetEditCol(4, false);
  g.Props().LoadedCells.SetHasData(true);  // a grid that keeps its texts in the resource
  g.SetCells(1, 2, "货号1");
  TMemoryStream m;
  m.WriteComponent(&g);
  m.SetPosition(0);
  TDressGrid back(nullptr);
  m.ReadComponent(&back);
  EXPECT_TRUE(back.EnableSort);
  EXPECT_TRUE(back.HaveTotalRow);
  EXPECT_FALSE(back.EnableSearch);
  EXPECT_EQ(back.NextCellTab, nc_downright);
  EXPECT_EQ(back.CellAlignment(2, 3), al_Center);
  EXPECT_FALSE(back.GetEditCol(4));
  EXPECT_EQ(back.Cells(1, 2), "货号1");
}

// --- a large grid ---------------------------------------------------------------------------------

TEST(DressGridLarge, ThousandRowsScrollByKeysAndScrollBar) {
  DressForm f("", "", 1000);
  f.Show();
  EXPECT_EQ(f.grid->RowCount(), 1002);
  f.Click(2, 2);
  PostKey(VK_NEXT);
  PostKey(VK_NEXT);
  EXPECT_GT(f.grid->TopRow(), 10);
  EXPECT_GT(f.grid->Row(), 20);
  ::PostMessageW(f.grid->Handle(), WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  Pump();
  EXPECT_GT(f.grid->TopRow(), 950);
  { HeldKey ctrl(VK_CONTROL); PostKey(VK_HOME); }
  EXPECT_EQ(f.grid->Row(), 2);
  EXPECT_EQ(f.grid->TopRow(), 2);
}

// --- sorting ---------------------------------------------------------------------------------------

TEST(DressGridSort, TitleDoubleClickSortsAscendingThenDescendingKeepingRowNumbers) {
  DressForm f("", "", 30);
  f.grid->EnableSort = true;
  bool dbl = false;
  f.grid->OnDblClick = [&](TObject*) { dbl = true; };
  f.Show();
  f.DoubleClick(6, 0);
  EXPECT_EQ(f.grid->SortCol(), 6);
  EXPECT_EQ(f.grid->SortDirection(), -1);
  EXPECT_FALSE(dbl);
  for (int r = 3; r <= 31; ++r)
    ASSERT_LE(std::stod(f.grid->Cells(6, r - 1).empty() ? "0" : f.grid->Cells(6, r - 1)),
              std::stod(f.grid->Cells(6, r).empty() ? "0" : f.grid->Cells(6, r)))
        << r;
  EXPECT_EQ(Column(f.grid, 0, 2, 6), "1 2 3 4 5");
  f.DoubleClick(7, 0);
  EXPECT_EQ(f.grid->SortDirection(), 1);
  EXPECT_EQ(f.grid->Cells(7, 2), "30.5");
  EXPECT_EQ(f.grid->Cells(7, 31), "1.5");
  EXPECT_EQ(Column(f.grid, 0, 29, 31), "28 29 30");
  // A double click on a data cell is the grid's own.
  f.DoubleClick(2, 5);
  EXPECT_TRUE(dbl);
}

// Regression: a double-click in the editor was taken at the position of the grid's last
// own double-click, so after one title sort every double-click in the editor finished the
// edit and sorted the other way, and OnDblClick never fired.
TEST(DressGridSort, RegressionADoubleClickInTheEditorIsTheGridsOwnNotASort) {
  DressForm f("", "", 6);
  f.grid->EnableSort = true;
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goAlwaysShowEditor});
  int dbl = 0;
  f.grid->OnDblClick = [&](TObject*) { ++dbl; };
  f.Show();
  f.DoubleClick(7, 0);
  const std::string sorted = Column(f.grid, 7, 2, 7);
  EXPECT_EQ(sorted, "1.5 2.5 3.5 4.5 5.5 6.5");
  f.Click(2, 4);
  ::Sleep(::GetDoubleClickTime() + 50);  // the next press in the editor is no double click with it
  TInplaceEdit* ed = f.grid->InplaceEditor();
  ASSERT_TRUE(ed && ed->Visible());
  const LPARAM inText = MAKELPARAM(4, ed->Height() / 2);
  for (int i = 0; i < 2; ++i) {
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
      ::PostMessageW(ed->Handle(), m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, inText);
    Pump();
  }
  const std::string state = "sort " + std::to_string(f.grid->SortCol()) + "/" + std::to_string(f.grid->SortDirection()) +
                            " " + Column(f.grid, 7, 2, 7) + " dbl " + std::to_string(dbl) + " editing (" +
                            std::to_string(f.grid->Col()) + "," + std::to_string(f.grid->Row()) + ") " +
                            (ed->Visible() ? std::string(ed->Text()) : "closed");
  EXPECT_EQ(state, "sort 7/-1 " + sorted + " dbl 2 editing (2,4) " + std::string(f.grid->Cells(2, 4)));
}

TEST(DressGridSort, WithoutEnableSortTheTitleDoubleClickIsTheGridsOwn) {
  DressForm f("", "", 5);
  bool dbl = false;
  f.grid->OnDblClick = [&](TObject*) { dbl = true; };
  f.Show();
  f.DoubleClick(6, 0);
  EXPECT_TRUE(dbl);
  EXPECT_EQ(f.grid->SortCol(), -1);
}

// --- the pick list ------------------------------------------------------------------------------

TEST(DressGridPickList, SpaceOpensTheListArrowsChooseEnterTakes) {
  DressForm f("", "", 5);
  TStringList* items = f.grid->Columns()->Column(2)->NeedPickList();
  for (const char* s : {"红色", "黑色", "白色"}) items->Add(s);
  f.Show();
  f.Click(3, 2);
  PostKey(VK_F2);
  auto* ed = dynamic_cast<TInplaceDressEdit*>(f.grid->InplaceEditor());
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->EditStyle(), esPickList);
  PostChar(L' ');
  EXPECT_TRUE(ed->ListVisible());
  EXPECT_GE(ed->PickList()->ItemHeight(), 11);
  // 3 items and 4 pixels asked, the list showing whole items inside its border.
  RECT client;
  ::GetClientRect(ed->PickList()->Handle(), &client);
  EXPECT_EQ(client.bottom, 3 * ed->PickList()->ItemHeight());
  EXPECT_EQ(ed->PickList()->ItemIndex(), 0);  // an empty cell selects the first item
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_EQ(ed->Text(), "黑色");
  PostChar(L' ');
  PostKey(VK_ESCAPE);  // closes without a change
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_EQ(ed->Text(), "黑色");
}

TEST(DressGridPickList, RegressionLogicalColumnOneAndColumnsPastTheLastEditPlainly) {
  DressForm f("", "", 5);
  f.grid->Columns()->Column(1)->NeedPickList()->Add("x");
  f.grid->Columns()->ItemsAs<TDressColumn>(0)->NeedPickList()->Add("y");
  f.Show();
  f.Click(1, 2);
  EXPECT_EQ(f.grid->DressEditStyle(), esSimple);
  f.Click(2, 2);
  EXPECT_EQ(f.grid->DressEditStyle(), esPickList);
  TDressGrid small(nullptr);
  small.AddColumn("a", "0", 10, "", "", false, false);
  small.SetCol(3);  // a spare grid column past the last logical one
  EXPECT_EQ(small.CurrentTitleColIndex(), -1);
  EXPECT_EQ(small.DressEditStyle(), esSimple);
  EXPECT_EQ(small.Columns()->Column(5), nullptr);
}

// 30 items ask for 256 pixels (capped, not 30 x item height + 4); the list shows whole
// items only, so it ends at the last whole item inside that.
TEST(DressGridPickList, ThirtyItemsAreCappedAt256PixelsOfWholeItems) {
  DressForm f("", "", 3);
  TStringList* items = f.grid->Columns()->Column(2)->NeedPickList();
  for (int i = 0; i < 30; ++i) items->Add("项" + std::to_string(i));
  f.Show();
  f.Click(3, 2);
  PostKey(VK_F2);
  PostChar(L' ');
  auto* ed = dynamic_cast<TInplaceDressEdit*>(f.grid->InplaceEditor());
  ASSERT_TRUE(ed && ed->ListVisible());
  const int item = ed->PickList()->ItemHeight();
  RECT client;
  ::GetClientRect(ed->PickList()->Handle(), &client);
  EXPECT_EQ(client.bottom % item, 0) << client.bottom << " " << item;
  EXPECT_LE(ed->PickList()->Height(), 256);
  EXPECT_GT(ed->PickList()->Height(), 256 - item - 4);
  PostKey(VK_ESCAPE);
}

// Backspace (and Esc, were it to reach the list) moves the selection one item down, from
// the last item to none; letters typed on the keyboard search the open list.
TEST(DressGridPickList, BackspaceMovesTheSelectionDownAndKeysSearchTheList) {
  DressForm f("", "", 3);
  TStringList* items = f.grid->Columns()->Column(2)->NeedPickList();
  for (const char* s : {"XS", "S", "M", "L"}) items->Add(s);
  f.Show();
  f.Click(3, 2);
  PostKey(VK_F2);
  PostChar(L' ');
  auto* ed = dynamic_cast<TInplaceDressEdit*>(f.grid->InplaceEditor());
  ASSERT_TRUE(ed && ed->ListVisible());
  TPopupListbox* list = ed->PickList();
  EXPECT_EQ(list->ItemIndex(), 0);
  PostKey(VK_BACK);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_TRUE(ed->ListVisible());
  PostKey('M');
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(list->SearchText(), "m");
  PostKey(VK_BACK);
  EXPECT_EQ(list->SearchText(), "");
  EXPECT_EQ(list->ItemIndex(), 3);
  PostKey(VK_BACK);  // from the last item: none
  EXPECT_EQ(list->ItemIndex(), -1);
  ::SendMessageW(list->Handle(), WM_CHAR, 27, 1);
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_EQ(ed->Text(), "");  // nothing taken while the list is open
  PostKey(VK_ESCAPE);
  EXPECT_FALSE(ed->ListVisible());
}

// A Chinese character reaches the list whole, however it was typed: the keyboard's (one
// message with the character), two bytes posted by a program of the ANSI code page
// (the system makes them one character before the Unicode window gets it), or the input
// method's character. Regression: the search took the lead byte alone and found nothing.
TEST(DressGridPickList, RegressionChineseCharactersSearchTheListWhole) {
  DressForm f("", "", 3);
  TStringList* items = f.grid->Columns()->Column(2)->NeedPickList();
  for (const char* s : {"红色", "灰色", "灰白", "黑色", "白色"}) items->Add(s);
  f.Show();
  f.Click(3, 2);
  PostKey(VK_F2);
  PostChar(L' ');
  auto* ed = dynamic_cast<TInplaceDressEdit*>(f.grid->InplaceEditor());
  ASSERT_TRUE(ed && ed->ListVisible());
  TPopupListbox* list = ed->PickList();
  DWORD now = 10000;
  list->TickCount = [&] { return now; };
  PostChar(L'灰');
  EXPECT_EQ(list->SearchText(), "灰");
  EXPECT_EQ(list->ItemIndex(), 1);
  now += 500;
  PostChar(L'白');
  EXPECT_EQ(list->SearchText(), "灰白");
  EXPECT_EQ(list->ItemIndex(), 2);
  now += 2500;  // a new search: 黑 as two bytes of code page 936, lead byte first
  ::PostMessageA(KeyTarget(), WM_CHAR, 0xBA, 1);
  ::PostMessageA(KeyTarget(), WM_CHAR, 0xDA, 1);
  Pump();
  EXPECT_EQ(list->SearchText(), "黑");
  EXPECT_EQ(list->ItemIndex(), 3);
  now += 2500;  // the input method's character: the window makes it a typed one
  ::PostMessageW(KeyTarget(), WM_IME_CHAR, L'白', 1);
  Pump();
  EXPECT_EQ(list->SearchText(), "白");
  EXPECT_EQ(list->ItemIndex(), 4);
  EXPECT_TRUE(ed->ListVisible());
  EXPECT_EQ(ed->Text(), "");  // nothing typed into the editor meanwhile
  PostKey(VK_RETURN);
  EXPECT_EQ(ed->Text(), "白色");
}

// Double-clicks in the editor step through the column's items from the one selected, and
// a list opened again on a cell with text keeps the selection it had. Regressions: the
// items were assigned again before the selection was read, so every double-click chose
// the first item and every list opened on a cell with text had nothing selected.
TEST(DressGridPickList, RegressionDoubleClicksStepOnAndReopeningKeepsTheSelection) {
  DressForm f("", "", 3);
  TStringList* items = f.grid->Columns()->Column(2)->NeedPickList();
  for (const char* s : {"红色", "黑色", "白色"}) items->Add(s);
  f.Show();
  f.Click(3, 2);
  PostKey(VK_F2);
  auto* ed = dynamic_cast<TInplaceDressEdit*>(f.grid->InplaceEditor());
  ASSERT_TRUE(ed && ed->EditStyle() == esPickList);
  const LPARAM inText = MAKELPARAM(4, ed->Height() / 2);
  std::string chosen;
  for (int i = 0; i < 4; ++i) {
    ::PostMessageW(ed->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, inText);
    ::PostMessageW(ed->Handle(), WM_LBUTTONUP, 0, inText);
    ::PostMessageW(ed->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, inText);
    ::PostMessageW(ed->Handle(), WM_LBUTTONUP, 0, inText);
    Pump();
    chosen += ed->Text() + " ";
  }
  EXPECT_EQ(chosen, "红色 黑色 白色 红色 ");
  EXPECT_EQ(f.grid->Cells(3, 2), "红色");
  PostChar(L' ');  // the text is not empty: the list keeps its selection
  ASSERT_TRUE(ed->ListVisible());
  EXPECT_EQ(ed->PickList()->ItemIndex(), 0);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  PostKey(VK_ESCAPE);  // closed without taking 白色
  EXPECT_EQ(ed->Text(), "红色");
  PostChar(L' ');
  ASSERT_TRUE(ed->ListVisible());
  EXPECT_EQ(ed->PickList()->ItemIndex(), 2);
  PostKey(VK_RETURN);
  EXPECT_EQ(ed->Text(), "白色");
}

// A press on the button opens the list; a press on it while the list is open leaves the
// list as it is (open, its selection kept), as a second drop-down does nothing.
TEST(DressGridPickList, TheButtonOpensTheListAndAPressWhileOpenLeavesIt) {
  DressForm f("", "", 3);
  TStringList* items = f.grid->Columns()->Column(2)->NeedPickList();
  for (const char* s : {"红色", "黑色", "白色"}) items->Add(s);
  f.Show();
  f.Click(3, 2);
  PostKey(VK_F2);
  auto* ed = dynamic_cast<TInplaceDressEdit*>(f.grid->InplaceEditor());
  ASSERT_TRUE(ed && ed->EditStyle() == esPickList);
  const TRect b = ed->ButtonRect();
  const LPARAM onButton = MAKELPARAM((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  auto press = [&] {
    ::PostMessageW(ed->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, onButton);
    ::PostMessageW(ed->Handle(), WM_LBUTTONUP, 0, onButton);
    Pump();
  };
  auto state = [&] {
    return std::string(ed->ListVisible() ? "open/" + std::to_string(ed->PickList()->ItemIndex()) : "closed") + " [" +
           std::string(ed->Text()) + "] ";
  };
  std::string seen;
  press();
  seen += state();
  PostKey(VK_DOWN);
  press();
  seen += state();
  PostKey(VK_RETURN);
  seen += state();
  EXPECT_EQ(seen, "open/0 [] open/1 [] closed [黑色] ");
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_EQ(::GetFocus(), ed->Handle());
}

// A press on a control that takes no focus (a panel, a label on it) closes the open list
// without taking an item; a press in the editor's text leaves it open. Regression: the
// list stayed open over the form until the editor lost the focus.
TEST(DressGridPickList, RegressionAPressOnAnotherControlClosesTheList) {
  DressForm f("", "", 3);
  f.grid->SetHeight(300);
  auto* panel = new TPanel(f.form.get());
  panel->SetParent(f.form.get());
  panel->SetBounds(8, 320, 300, 40);
  auto* label = new TLabel(f.form.get());
  label->SetParent(panel);
  label->SetBounds(200, 10, 60, 16);
  label->SetCaption("合计：");
  TStringList* items = f.grid->Columns()->Column(2)->NeedPickList();
  for (const char* s : {"红色", "黑色", "白色"}) items->Add(s);
  f.Show();
  f.Click(3, 2);
  PostKey(VK_F2);
  auto* ed = dynamic_cast<TInplaceDressEdit*>(f.grid->InplaceEditor());
  ASSERT_TRUE(ed);
  auto press = [](HWND h, int x, int y) {
    ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump();
  };
  std::string seen;
  auto open = [&] {
    PostChar(L' ');
    PostKey(VK_DOWN);
    seen += ed->ListVisible() ? "open " : "closed ";
  };
  open();
  press(panel->Handle(), 20, 20);
  seen += ed->ListVisible() ? "open " : "closed ";
  open();
  press(panel->Handle(), 210, 18);  // on the label
  seen += ed->ListVisible() ? "open " : "closed ";
  open();
  press(ed->Handle(), 4, ed->Height() / 2);
  seen += ed->ListVisible() ? "open" : "closed";
  EXPECT_EQ(seen, "open closed open closed open open");
  EXPECT_EQ(ed->Text(), "");  // nothing taken
  EXPECT_EQ(::GetFocus(), ed->Handle());
  PostKey(VK_ESCAPE);
}

// Regression: the list of a cell at the edge of the screen went past it, out of the
// mouse's reach; it is kept on the work area of the editor's monitor.
TEST(DressGridPickList, RegressionAListAtTheScreensEdgeStaysOnTheWorkArea) {
  DressForm f("", "", 3);
  TStringList* items = f.grid->Columns()->Column(2)->NeedPickList();
  for (int i = 0; i < 30; ++i) items->Add("项" + std::to_string(i));
  f.Show();
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(f.form->Handle(), MONITOR_DEFAULTTONEAREST), &mi));
  const TRect cell = f.grid->CellRect(3, 2);
  POINT at{cell.Left, cell.Bottom};
  ::ClientToScreen(f.grid->Handle(), &at);
  // The cell's left edge 20 pixels before the work area's right edge, its bottom 30
  // pixels above the work area's bottom.
  f.form->SetBounds(f.form->Left() + (mi.rcWork.right - 20) - at.x, f.form->Top() + (mi.rcWork.bottom - 30) - at.y,
                    f.form->Width(), f.form->Height());
  f.Click(3, 2);
  PostKey(VK_F2);
  PostChar(L' ');
  auto* ed = dynamic_cast<TInplaceDressEdit*>(f.grid->InplaceEditor());
  ASSERT_TRUE(ed && ed->ListVisible());
  RECT lr;
  ::GetWindowRect(ed->PickList()->Handle(), &lr);
  const std::string where = std::to_string(lr.left) + "," + std::to_string(lr.top) + "," + std::to_string(lr.right) +
                            "," + std::to_string(lr.bottom);
  EXPECT_GE(lr.left, mi.rcWork.left) << where;
  EXPECT_LE(lr.right, mi.rcWork.right) << where;
  EXPECT_GE(lr.top, mi.rcWork.top) << where;
  EXPECT_LE(lr.bottom, mi.rcWork.bottom) << where;
  EXPECT_LE(lr.bottom - lr.top, 256);
  PostKey(VK_ESCAPE);
}

// --- find -----------------------------------------------------------------------------------------

TEST(DressGridFind, CtrlFOpensTheFindWindowAndFindNextMovesToTheMatch) {
  DressForm f("", "", 20);
  f.grid->EnableSearch = true;
  f.grid->SetDressCell(9, 2, 1, "特别Abc");
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  f.Show();
  f.Click(2, 2);
  std::string fields;
  RunLater([&] {
    TFindWindow* w = f.grid->FindWindow();
    for (int i = 0; i < w->cbbFieldName->Items()->Count(); ++i) fields += w->cbbFieldName->Items()->Strings(i) + ",";
    w->edtSearchText->SetText("abc");
    ::SendMessageW(w->btnFindNext->Handle(), BM_CLICK, 0, 0);
    ::SendMessageW(w->btnFindNext->Handle(), BM_CLICK, 0, 0);  // no second match: the message
    ::PostMessageW(w->btnCance->Handle(), BM_CLICK, 0, 0);
  });
  { HeldKey ctrl(VK_CONTROL); PostKey('F'); }
  Pump();
  EXPECT_EQ(fields, "货号,品名,颜色,尺码,单位,数量,单价,金额,库存,条码,备注,");  // not the hidden column
  EXPECT_EQ(f.grid->Col(), 2);
  EXPECT_EQ(f.grid->Row(), 10);
  ASSERT_EQ(script.Asked().size(), 1u);
  EXPECT_EQ(script.Asked()[0].Text, "已经完成搜索");
  EXPECT_EQ(script.Asked()[0].Caption, "提示");
  EXPECT_EQ(script.Asked()[0].Icon, static_cast<unsigned>(MB_ICONINFORMATION));
  EXPECT_FALSE(f.grid->Options().Contains(goDrawFocusSelected));  // options restored
}

TEST(DressGridFind, CtrlShiftFAndPlainFDoNotOpenIt) {
  DressForm f("", "", 3);
  f.grid->EnableSearch = true;
  f.Show();
  bool opened = false;
  RunLater([&] {
    opened = f.grid->FindWindow()->Visible();
    if (opened) f.grid->FindWindow()->Close();
  });
  { HeldKey ctrl(VK_CONTROL); HeldKey shift(VK_SHIFT); PostKey('F'); }
  Pump();
  EXPECT_FALSE(opened);
}

// Regression: the key was also compared with 'f', the virtual key of NumPad 6, so
// Ctrl+NumPad6 opened the find window, on the grid and in its editor.
TEST(DressGridFind, RegressionCtrlNumPad6DoesNotOpenIt) {
  DressForm f("", "", 3);
  f.grid->EnableSearch = true;
  f.Show();
  f.Click(2, 2);
  std::string opened;
  auto tryKey = [&](WORD vk) {
    RunLater([&] {
      const bool shown = f.grid->FindWindow()->Visible();
      opened += shown ? "opened " : "not ";
      if (shown) f.grid->FindWindow()->Close();
    });
    { HeldKey ctrl(VK_CONTROL); PostKey(vk); }
    Pump();
  };
  tryKey(VK_NUMPAD6);
  PostKey(VK_F2);
  ASSERT_TRUE(f.grid->EditorMode());
  tryKey(VK_NUMPAD6);
  tryKey('F');
  EXPECT_EQ(opened, "not not opened ");
}

TEST(DressGridFind, RegressionNoFieldChosenScansNothingAndSaysNotFound) {
  DressForm f("", "", 5);
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  f.Show();
  TFindWindow* w = f.grid->FindWindow();
  auto none = std::make_unique<TStringList>();
  w->Prepare(none.get(), "不存在");
  EXPECT_EQ(w->FirstCol(), -1);
  w->edtSearchText->SetText("G");
  w->FindNext();
  ASSERT_EQ(script.Asked().size(), 1u);
  EXPECT_EQ(script.Asked()[0].Text, "已经完成搜索，未找到搜索项");
}

TEST(DressGridFind, ChoosingAFieldMovesTheCurrentColumnIntoIt) {
  DressForm f("", "", 5);
  f.Show();
  f.Click(4, 3);
  TFindWindow* w = f.grid->FindWindow();
  auto fields = std::make_unique<TStringList>();
  fields->Add("品名");
  w->Prepare(fields.get(), "品名");
  EXPECT_EQ(w->FirstCol(), 2);
  EXPECT_EQ(f.grid->Col(), 2);
}

// --- the layout file -------------------------------------------------------------------------------------

TEST(DressGridLayout, WidthsSurviveAFreeAndARecreate) {
  const AnsiString file = LayoutFolder("keep") + "\\ZelvoDerssGrid.dat";
  {
    DressForm f(file, "grdKeep", 3);
    f.Show();
    EXPECT_EQ(FileSizeOf(file), 0);  // assigning the key made the file
    const int before = f.grid->ColWidths(3);
    f.DragColumnEdge(3, 25);
    EXPECT_EQ(f.grid->ColWidths(3), before + 25);
  }
  EXPECT_EQ(FileSizeOf(file), 260 + 12 * 264);
  DressForm again(file, "grdKeep", 3);
  EXPECT_EQ(again.grid->ColWidths(3), 85);
  EXPECT_EQ(again.grid->ColWidths(2), 60);
  EXPECT_EQ(again.grid->ColWidths(12), -1);  // added hidden: stays hidden
}

TEST(DressGridLayout, RegressionPlaceholdersNeverOverwriteASavedLayout) {
  const AnsiString file = LayoutFolder("placeholder") + "\\ZelvoDerssGrid.dat";
  {
    DressForm f(file, "grdP");
    f.grid->SetColWidths(2, 99);
  }
  const int64_t size = FileSizeOf(file);
  {
    TDressGrid early(nullptr);  // freed before any AddColumn
    early.LayoutFileName = file;
    early.SetNoteFileName("grdP");
  }
  EXPECT_EQ(FileSizeOf(file), size);
  DressForm again(file, "grdP");
  EXPECT_EQ(again.grid->ColWidths(2), 99);
}

TEST(DressGridLayout, RegressionAnUnknownKeyHasNoSavedLayout) {
  const AnsiString file = LayoutFolder("unknown") + "\\ZelvoDerssGrid.dat";
  {
    DressForm f(file, "grdA");
    f.grid->SetColWidths(1, 111);
  }
  TDressGrid g(nullptr);
  g.LayoutFileName = file;
  g.SetNoteFileName("grdA");
  EXPECT_EQ(g.SavedLayout().size(), 12u);
  g.SetNoteFileName("grdB");
  EXPECT_TRUE(g.SavedLayout().empty());
}

TEST(DressGridLayout, RegressionCorruptOrTruncatedFileStillOpensTheForm) {
  for (const int size : {7, 300, 10240 + 17}) {
    const AnsiString file = LayoutFolder("corrupt") + "\\ZelvoDerssGrid.dat";
    {
      std::ofstream out(FilePath(file), std::ios::binary);
      std::string junk(static_cast<size_t>(size), '\xFF');
      junk[0] = 4;
      junk.replace(1, 4, "grdC");
      out << junk;
    }
    {
      DressForm f(file, "grdC", 2);
      f.Show();
      EXPECT_EQ(f.grid->ColWidths(1), 60) << size;
      f.grid->SetColWidths(1, 70);
    }
    DressForm again(file, "grdC");
    EXPECT_EQ(again.grid->ColWidths(1), 70) << size;
  }
}

TEST(DressGridLayout, RegressionReadOnlyFileOpensWithItsLayoutAndFreeingDoesNotThrow) {
  const AnsiString file = LayoutFolder("readonly") + "\\ZelvoDerssGrid.dat";
  {
    DressForm f(file, "grdR");
    f.grid->SetColWidths(4, 77);
  }
  const WideString wide = GbkToWide(file);
  ASSERT_TRUE(::SetFileAttributesW(reinterpret_cast<LPCWSTR>(wide.c_str()), FILE_ATTRIBUTE_READONLY));
  {
    DressForm f(file, "grdR", 2);
    f.Show();
    EXPECT_EQ(f.grid->ColWidths(4), 77);
    f.grid->SetColWidths(4, 50);
  }  // the write fails quietly where the file cannot be written
  HANDLE probe = ::CreateFileW(reinterpret_cast<LPCWSTR>(wide.c_str()), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  const bool writable = probe != INVALID_HANDLE_VALUE;  // an administrator writes anyway
  if (writable) ::CloseHandle(probe);
  DressForm again(file, "grdR");
  EXPECT_EQ(again.grid->ColWidths(4), writable ? 50 : 77);
  ::SetFileAttributesW(reinterpret_cast<LPCWSTR>(wide.c_str()), FILE_ATTRIBUTE_NORMAL);
}

// The writer half of the two-process test: runs only when the other process asks.
TEST(DressGridLayoutWriter, WritesItsOwnKeysWhenAsked) {
  char path[MAX_PATH] = {0};
  if (::GetEnvironmentVariableA("POS_LAYOUT_WRITER", path, MAX_PATH) == 0) GTEST_SKIP();
  for (int round = 0; round < 40; ++round)
    for (int k = 0; k < 3; ++k) {
      TDressGrid g(nullptr);
      g.LayoutFileName = path;
      g.SetNoteFileName("other" + std::to_string(k));
      g.AddColumn("列", "2", 10, "", "", false, false);
      g.SetColWidths(1, 10 + round);
    }
}

TEST(DressGridLayout, RegressionTwoProcessesWritingAtOnceKeepEverySlot) {
  const AnsiString file = LayoutFolder("shared") + "\\ZelvoDerssGrid.dat";
  wchar_t exe[MAX_PATH];
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  ::SetEnvironmentVariableA("POS_LAYOUT_WRITER", file.c_str());
  std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --gtest_filter=DressGridLayoutWriter.*";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ::SetEnvironmentVariableA("POS_LAYOUT_WRITER", nullptr);
  for (int round = 0; round < 40; ++round)
    for (int k = 0; k < 3; ++k) {
      DressForm f(file, "mine" + std::to_string(k));
      f.grid->SetColWidths(1, 20 + round);
    }
  ASSERT_EQ(::WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  ::CloseHandle(pi.hProcess);
  ::CloseHandle(pi.hThread);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(FileSizeOf(file), int64_t{10240} * 5 + 260 + 264);  // six slots, none lost
  for (int k = 0; k < 3; ++k) {
    TDressGrid g(nullptr);
    g.LayoutFileName = file;
    g.SetNoteFileName("mine" + std::to_string(k));
    ASSERT_EQ(g.SavedLayout().size(), 12u) << k;
    EXPECT_EQ(g.SavedLayout()[0].Width, 59) << k;
    g.SetNoteFileName("other" + std::to_string(k));
    ASSERT_EQ(g.SavedLayout().size(), 1u) << k;
    EXPECT_EQ(g.SavedLayout()[0].Width, 49) << k;
  }
}

// --- multi-size titles ---------------------------------------------------------------------------

namespace {

DressSize SizeLine(const char* captions, std::vector<AnsiString> keys, std::vector<int> counts) {
  DressSize s;
  s.Captions = captions;
  s.RowKeys = std::move(keys);
  s.KeySizeCounts = std::move(counts);
  return s;
}

// 款号 (the key), 颜色, 尺码 with four size columns and two size lines (S M L XL for A1
// with four sizes and B2 with two; 160 165 170 for C3 with three), 数量.
struct SizedForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TDressGrid* grid;
  explicit SizedForm(bool compress = true) {
    form->SetBounds(60, 60, 520, 260);
    form->SetCaption("多尺码");
    grid = new TDressGrid(form.get());
    grid->SetName("grdSizes");
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, 490, 200);
    grid->AddColumn("款号", "0", 60, "", "", false, false);
    grid->AddColumn("颜色", "2", 60, "", "", false, false);
    grid->AddColumn("尺码", "1", 44, "", "", false, false);
    grid->AddColumn("数量", "2", 60, "0.00", "", false, false);
    grid->SetCompressTitleHeight(compress);
    grid->SetColumnSizes(3, 4, {SizeLine("S~M~L~XL", {"A1", "B2"}, {4, 2}), SizeLine("160~165~170", {"C3"}, {3})});
    grid->SetRowCount(6);
    const char* keys[] = {"A1", "C3", "Z9", "B2"};
    const char* colours[] = {"红色", "黑色", "白色", "藏青"};
    for (int r = 1; r <= 4; ++r) {
      grid->SetCells(0, r + 1, std::to_string(r));
      grid->SetDressCell(r, 1, 1, keys[r - 1]);
      grid->SetDressCell(r, 2, 1, colours[r - 1]);
      for (int size = 1; size <= 4; ++size) grid->SetDressCell(r, 3, size, std::to_string(r + size));
      grid->SetDressCell(r, 4, 1, std::to_string(r * 4));
    }
  }
  void Show() {
    form->Show();
    Settle();
    Focus(grid);
  }
  void Click(int c, int r) {
    const TRect rc = grid->CellRect(c, r);
    const LPARAM p = MAKELPARAM((rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2);
    ::PostMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, p);
    Pump();
    ::PostMessageW(grid->Handle(), WM_LBUTTONUP, 0, p);
    Pump();
  }
  // The grid as painted now.
  void Render(TBitmap& out) {
    Pump();
    RenderControl(grid, out, false);
  }
  // Pixels of a cell's inside that differ from its top-left inner pixel.
  static int InkIn(const TBitmap& b, const TRect& r) {
    const uint32_t face = b.PixelRGB(r.Left + 1, r.Top + 1);
    int ink = 0;
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
      for (int x = r.Left + 1; x < r.Right - 1; ++x) ink += b.PixelRGB(x, y) != face;
    return ink;
  }
};

}  // namespace

TEST(DressGridSizes, SizeColumnsAreInsertedWithTheirCaptions) {
  SizedForm f;
  TDressGrid* g = f.grid;
  EXPECT_EQ(g->ColCount(), 8);
  EXPECT_EQ(g->TitleCols()[2].SizeColCount, 4);
  EXPECT_EQ(g->TitleColToGridCol(3, 1), 3);
  EXPECT_EQ(g->TitleColToGridCol(3, 4), 6);
  EXPECT_EQ(g->TitleColToGridCol(4, 1), 7);
  EXPECT_EQ(g->Cells(3, 1), "S\r\n160\r\n");
  EXPECT_EQ(g->Cells(6, 1), "XL\r\n \r\n");
  EXPECT_EQ(g->CellAlignment(5, 1), al_Center);
  EXPECT_EQ(g->GetDressCell(2, 3, 3), "5");
  EXPECT_EQ(g->GetDressCell(2, 4, 1), "8");
  int c = 0, size = 0;
  g->GridColToTitleCol(5, c, size);
  EXPECT_EQ(std::to_string(c) + "/" + std::to_string(size), "3/3");
  // Fewer sizes give grid columns back; both title rows are rebuilt, cell (0, 0) kept.
  g->SetCells(0, 0, "序");
  g->SetCells(0, 1, "x");
  g->SetColumnSizes(3, 2, {SizeLine("S~M", {"A1"}, {2})});
  EXPECT_EQ(g->ColCount(), 6);
  EXPECT_EQ(g->TitleColToGridCol(4, 1), 5);
  EXPECT_EQ(g->Cells(4, 1), "M\r\n");
  EXPECT_EQ(g->Cells(0, 0), "序");
  EXPECT_EQ(g->Cells(0, 1), "");
  EXPECT_EQ(g->GetDressCell(2, 4, 1), "8");
}

TEST(DressGridSizes, TitleRowHeightWithCompressTitleHeightOffAndOn) {
  SizedForm f;
  TDressGrid* g = f.grid;
  EXPECT_EQ(g->RowHeights(1), 30);
  g->SetCompressTitleHeight(false);
  EXPECT_EQ(g->RowHeights(1), (std::abs(g->Font()->Height()) + 3) * 2);
  g->SetCompressTitleHeight(true);
  EXPECT_EQ(g->RowHeights(1), 30);
  g->ClearRows();  // the sizes go with the rows: the size title row hides
  EXPECT_EQ(g->RowHeights(1), -1);
  EXPECT_EQ(g->ColCount(), 8);
}

// Clicking rows changes the row key; the compressed size title row shows the key's line
// only, and nothing past the key's number of sizes.
TEST(DressGridSizes, SelectingARowShowsItsSizeLine) {
  SizedForm f;
  f.Show();
  TDressGrid* g = f.grid;
  EXPECT_EQ(g->RowKey(), "A1");  // the first paint takes the current row's key
  EXPECT_EQ(g->SelectedSizeLine(), 1);
  f.Click(2, 3);  // C3
  EXPECT_EQ(g->RowKey(), "C3");
  EXPECT_EQ(g->SelectedSizeLine(), 2);
  TBitmap c3;
  f.Render(c3);
  f.Click(2, 2);  // A1
  EXPECT_EQ(g->RowKey(), "A1");
  EXPECT_EQ(g->SelectedSizeLine(), 1);
  TBitmap a1;
  f.Render(a1);
  EXPECT_GT(SizedForm::InkIn(a1, g->CellRect(6, 1)), 0);  // XL
  EXPECT_EQ(SizedForm::InkIn(c3, g->CellRect(6, 1)), 0);  // C3 has three sizes
  EXPECT_GT(SizedForm::InkIn(c3, g->CellRect(5, 1)), 0);  // 170
  f.Click(2, 5);  // B2: line 1, two sizes
  EXPECT_EQ(g->SelectedSizeLine(), 1);
  TBitmap b2;
  f.Render(b2);
  EXPECT_GT(SizedForm::InkIn(b2, g->CellRect(4, 1)), 0);
  EXPECT_EQ(SizedForm::InkIn(b2, g->CellRect(5, 1)), 0);
  // With ShowNoEditCells a size cell past the key's sizes cannot be edited.
  g->ShowNoEditCells = true;
  f.Click(6, 3);  // C3, size 4 of 3
  EXPECT_FALSE(g->CellEditable(6, 3));
  f.Click(5, 3);  // size 3
  EXPECT_TRUE(g->CellEditable(5, 3));
  g->ShowNoEditCells = false;
  f.Click(2, 4);  // Z9: no size line
  EXPECT_EQ(g->SelectedSizeLine(), 0);
  TBitmap z9;
  f.Render(z9);
  for (int col = 3; col <= 6; ++col) EXPECT_EQ(SizedForm::InkIn(z9, g->CellRect(col, 1)), 0) << col;
}

// Uncompressed: every size line, separator lines, and the key's sizes marked in
// SelectedSizeColor in the band of its line; the caption spans the size columns.
TEST(DressGridSizes, UncompressedTitlesMarkTheKeysSizes) {
  SizedForm f(false);
  f.Show();
  TDressGrid* g = f.grid;
  f.Click(2, 3);  // C3: line 2, sizes 1 to 3
  TBitmap b;
  f.Render(b);
  const int band = std::abs(g->Font()->Height()) + 3;
  const uint32_t red = 0xFF0000, face = ColorToRGB(clBtnFace), shadow = ColorToRGB(clBtnShadow);
  auto rgb = [](uint32_t bgr) { return (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF); };
  for (int col = 3; col <= 5; ++col) {
    const TRect r = g->CellRect(col, 1);
    EXPECT_EQ(b.PixelRGB(r.Left + 2, r.Top + band + 2), red) << col;
    EXPECT_NE(b.PixelRGB(r.Left + 2, r.Top + 2), red) << col;
  }
  const TRect xl = g->CellRect(6, 1);
  EXPECT_NE(b.PixelRGB(xl.Left + 2, xl.Top + band + 2), red);
  EXPECT_EQ(b.PixelRGB(xl.Left + 2, xl.Top + band - 1), rgb(shadow));  // a line under each size line
  // One caption cell over the four size columns: no column edge inside it on row 0.
  const TRect t = g->CellRect(3, 0);
  EXPECT_EQ(b.PixelRGB(t.Right, t.Top + 4), rgb(face));
  EXPECT_EQ(b.PixelRGB(t.Right + 1, t.Top + 4), rgb(face));
  const std::string path = std::string(POS_BINARY_DIR) + "/dress-grid-sizes.png";
  SaveScreenshot(f.form.get(), "Z:" + path);
  // A double-click on a size title sorts by that size column.
  g->EnableSort = true;
  const TRect s = g->CellRect(4, 1);
  const LPARAM p = MAKELPARAM((s.Left + s.Right) / 2, (s.Top + s.Bottom) / 2);
  for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
    ::PostMessageW(g->Handle(), m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, p);
    Pump();
  }
  EXPECT_EQ(g->SortCol(), 4);
  EXPECT_EQ(Column(g, 4, 2, 5), "3 4 5 6");
  TBitmap sorted;
  f.Render(sorted);
  EXPECT_EQ(sorted.PixelRGB(s.Right - 10, s.Bottom - 8), 0x008000u);
}

// --- the picture ----------------------------------------------------------------------------------


TEST(DressGridPicture, ChineseTitlesSortMarkAndOpenPickList) {
  DressForm f("", "", 12);
  f.form->SetCaption("盘点单");
  f.grid->EnableSort = true;
  f.grid->SetDressCell(3, 2, 1, "两行\r\n文字");
  f.grid->SetCellAlignment(7, 2, al_Center);
  TStringList* items = f.grid->Columns()->Column(2)->NeedPickList();
  for (const char* s : {"红色", "黑色", "白色", "藏青色"}) items->Add(s);
  f.Show();
  f.DoubleClick(6, 0);
  ASSERT_EQ(f.grid->SortCol(), 6);
  for (int r = 2; r < f.grid->RowCount(); ++r)
    if (f.grid->Cells(2, r).find('\r') != AnsiString::npos) f.grid->SetRowHeights(r, 32);
  f.grid->SetCells(3, 5, "红色");
  f.Click(3, 5);
  PostKey(VK_F2);
  PostChar(L' ');
  auto* ed = dynamic_cast<TInplaceDressEdit*>(f.grid->InplaceEditor());
  ASSERT_TRUE(ed && ed->ListVisible());
  PostKey(VK_DOWN);
  // The form's client area with the editor and the pop-up list (a window of its own)
  // laid over it where they are on the screen.
  TBitmap shot;
  RenderControl(f.form.get(), shot, false);
  std::vector<uint32_t> pixels = shot.PixelsRGB();
  const TPoint origin = f.form->ClientToScreen({0, 0});
  for (TWinControl* w : {static_cast<TWinControl*>(ed), static_cast<TWinControl*>(ed->PickList())}) {
    TBitmap part;
    RenderControl(w, part, true);
    RECT wr;
    ::GetWindowRect(w->Handle(), &wr);
    const std::vector<uint32_t> pp = part.PixelsRGB();
    for (int y = 0; y < part.Height(); ++y)
      for (int x = 0; x < part.Width(); ++x) {
        const int tx = wr.left - origin.X + x, ty = wr.top - origin.Y + y;
        if (tx >= 0 && ty >= 0 && tx < shot.Width() && ty < shot.Height())
          pixels[static_cast<size_t>(ty) * shot.Width() + tx] = pp[static_cast<size_t>(y) * part.Width() + x];
      }
  }
  png::WriteFile(std::string("Z:") + POS_BINARY_DIR + "/dress-grid.png", shot.Width(), shot.Height(), pixels);
  // The sort mark is green, inside the sort column's title.
  TBitmap grid;
  RenderControl(f.grid, grid, false);
  const TRect title = f.grid->CellRect(6, 0);
  EXPECT_EQ(grid.PixelRGB(title.Right - 10, title.Bottom - 8), 0x008000u);
  PostKey(VK_ESCAPE);
}
