// The library grid driven by real input: keys, wheel and scroll bar over 100,000 rows
// with fixed data columns and a footer; sizing and moving columns by mouse; presses in
// the footer band; the current column under goRowSelect and the columns it keeps in
// view.
#include "KwGridTestSupport.h"

using namespace kwtest;
using namespace uitest;

namespace {

// 50 columns by 100,000 rows, 2 fixed data columns, a footer band.
struct BigForm : GridForm {
  BigForm() : GridForm(50, 100000, 600, 240) {
    grid->SetFixedCols(3);
    grid->SetFixedDataCols(2);
    grid->SetFooter(true);
  }
  // The last row shown wholly above the footer band.
  int LastFullRow() {
    TGridDrawInfo info;
    grid->CalcDrawInfo(info);
    return info.Vert.LastFullVisibleCell;
  }
};

}  // namespace

TEST(KwGridInput, KeysScrollTheBigGridAboveTheFooter) {
  BigForm f;
  f.Show();
  const int page = f.grid->VisibleRowCount();
  EXPECT_EQ(page, (f.grid->ClientHeight() - 18 - 19) / 19);
  PostKey(VK_DOWN);
  PostKey(VK_RIGHT);
  EXPECT_EQ(f.Cur(), "4,2");
  // A page is the rows shown wholly less one, as the platform grid pages.
  PostKey(VK_NEXT);
  EXPECT_EQ(f.grid->Row(), 2 + page - 1);
  EXPECT_LE(f.grid->Row(), f.LastFullRow());
  PostKeyWith(VK_CONTROL, VK_END);
  EXPECT_EQ(f.Cur(), "49,99999");
  EXPECT_EQ(f.LastFullRow(), 99999);
  EXPECT_EQ(f.grid->TopRow(), 99999 - page + 1);
  EXPECT_EQ(::GetScrollPos(f.grid->Handle(), SB_VERT), 127);
  EXPECT_EQ(::GetScrollPos(f.grid->Handle(), SB_HORZ), 127);
  PostKey(VK_PRIOR);
  EXPECT_EQ(f.grid->Row(), 99999 - (page - 1));
  PostKeyWith(VK_CONTROL, VK_HOME);
  EXPECT_EQ(f.Cur(), "3,1");
  EXPECT_EQ(f.grid->TopRow(), 1);
  EXPECT_EQ(f.grid->LeftCol(), 3);
  EXPECT_EQ(::GetScrollPos(f.grid->Handle(), SB_VERT), 0);
  // Left of the first scrolling column the fixed data columns are not entered.
  PostKey(VK_LEFT);
  EXPECT_EQ(f.Cur(), "3,1");
}

TEST(KwGridInput, WheelAndScrollBarMoveTheBigGrid) {
  BigForm f;
  f.Show();
  HWND h = f.grid->Handle();
  POINT p{300, 100};
  ::ClientToScreen(h, &p);
  ::PostMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(p.x, p.y));
  Pump();
  EXPECT_EQ(f.grid->Row(), 2);
  ::PostMessageW(h, WM_VSCROLL, SB_PAGEDOWN, 0);
  Pump();
  EXPECT_EQ(f.grid->TopRow(), 1 + f.grid->VisibleRowCount() - 1);
  ::PostMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 64), 0);
  Pump();
  EXPECT_EQ(f.grid->TopRow(), 1 + LongMulDiv(64, (99999 - f.grid->VisibleRowCount() + 1) - 1, 127));
  ::PostMessageW(h, WM_HSCROLL, SB_LINERIGHT, 0);
  Pump();
  EXPECT_EQ(f.grid->LeftCol(), 4);
  ::PostMessageW(h, WM_VSCROLL, SB_BOTTOM, 0);
  Pump();
  EXPECT_EQ(f.LastFullRow(), 99999);
}

// Regression: a press in the footer band made the row beneath the band current and
// scrolled to it, a row the user could not see.
TEST(KwGridInput, FaultPressInFooterSelectedTheRowUnderTheBand) {
  BigForm f;
  f.Show();
  const int top = f.grid->TopRow();
  f.Click({300, f.grid->ClientHeight() - 6});
  EXPECT_EQ(f.Cur(), "3,1");
  EXPECT_EQ(f.grid->TopRow(), top);
  EXPECT_TRUE(f.grid->Focused());
  // A press just above the band still hits its row.
  const TRect last = f.grid->CellRect(5, f.LastFullRow());
  f.Click({last.Left + 5, last.Bottom - 3});
  EXPECT_EQ(f.grid->Row(), f.LastFullRow());
}

TEST(KwGridInput, ColumnsAreSizedAndMovedByMouse) {
  BigForm f;
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goColSizing, goColMoving});
  f.grid->Texts[{4, 1}] = "甲";
  f.grid->Texts[{5, 1}] = "乙";
  f.Show();
  const TRect title = f.grid->CellRect(4, 0);
  const POINT edge{title.Right, title.Top + 5};
  f.Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  EXPECT_EQ(f.grid->GridState(), gsColSizing);
  f.Mouse(WM_MOUSEMOVE, {edge.x + 20, edge.y}, MK_LBUTTON);
  f.Mouse(WM_LBUTTONUP, {edge.x + 20, edge.y});
  EXPECT_EQ(f.grid->ColWidths(4), 84);
  EXPECT_TRUE(f.Press(f.CellCenter(4, 0)));
  EXPECT_EQ(f.grid->GridState(), gsColMoving);
  f.Mouse(WM_MOUSEMOVE, f.CellCenter(5, 0), MK_LBUTTON);
  f.Mouse(WM_MOUSEMOVE, f.CellCenter(6, 0), MK_LBUTTON);
  f.Mouse(WM_LBUTTONUP, f.CellCenter(6, 0));
  EXPECT_EQ(f.grid->GridState(), gsNormal);
  // The width went with the column.
  EXPECT_EQ(f.grid->ColWidths(6), 84);
  EXPECT_EQ(f.grid->ColWidths(4), 64);
}

// The column-move marker runs down the title rows only; the data cells stay as they
// were painted.
TEST(KwGridInput, ColumnMoveMarkerEndsAtTheTitleRows) {
  BigForm f;
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goColMoving});
  f.Show();
  const HWND h = f.grid->Handle();
  const TRect target = f.grid->CellRect(6, 0);
  const int x = target.Right;  // moving right: the marker stands at the right edge
  const int titleY = (target.Top + target.Bottom) / 2;
  const int dataY = f.CellCenter(6, 3).y;
  auto pixel = [&](int y) {
    ui_win::WindowDC dc(h);
    return ::GetPixel(dc.dc(), x, y);
  };
  const int footerY = f.grid->ClientHeight() - 5;
  const COLORREF titleBefore = pixel(titleY), dataBefore = pixel(dataY), footerBefore = pixel(footerY);
  ASSERT_TRUE(f.Press(f.CellCenter(4, 0)));
  ASSERT_EQ(f.grid->GridState(), gsColMoving);
  f.Mouse(WM_MOUSEMOVE, f.CellCenter(5, 0), MK_LBUTTON);
  f.Mouse(WM_MOUSEMOVE, f.CellCenter(6, 0), MK_LBUTTON);
  EXPECT_NE(pixel(titleY), titleBefore);
  EXPECT_EQ(pixel(dataY), dataBefore);
  EXPECT_EQ(pixel(footerY), footerBefore);
  ::PostMessageW(h, WM_CANCELMODE, 0, 0);
  Pump();
  EXPECT_EQ(f.grid->GridState(), gsNormal);
  EXPECT_EQ(pixel(titleY), titleBefore);
}

TEST(KwGridInput, RowSelectKeepsTheClickedColumn) {
  GridForm f(8, 20);
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goRowSelect});
  f.Show();
  f.Click(f.CellCenter(3, 5));
  EXPECT_EQ(f.Cur(), "3,5");
  EXPECT_EQ(::SendMessageW(f.grid->Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

// Regression: the move went through the platform grid's, which brought the first
// scrolling column into view before the column asked for was put back, so a row-select
// grid went back to its first columns at every move and never scrolled to a partly
// shown column; a click on a cell that SelectCell refused in the current row still made
// its column current.
TEST(KwGridInput, FaultRowSelectScrollsToTheCurrentColumnAndKeepsItInView) {
  GridForm f(30, 60);
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goRowSelect});
  f.Show();
  auto state = [&f] { return f.Cur() + " left " + std::to_string(f.grid->LeftCol()); };
  // Cells SelectCell refuses change nothing, in the current row or another.
  f.Click(f.CellCenter(3, 3));
  f.grid->RefusedCol = 4;
  f.Click(f.CellCenter(4, 3));
  f.Click(f.CellCenter(4, 5));
  EXPECT_EQ(state(), "3,3 left 1");
  f.grid->RefusedCol = -1;
  TGridDrawInfo info;
  f.grid->CalcDrawInfo(info);
  const int partly = info.Horz.LastFullVisibleCell + 1;  // cut by the right edge
  ASSERT_LT(f.grid->CellRect(partly, 3).Left, f.grid->ClientWidth());
  // A click on the partly shown column brings it wholly into view and keeps it current.
  const TRect cut = f.grid->CellRect(partly, 3);
  f.Click({cut.Left + 5, (cut.Top + cut.Bottom) / 2});
  f.grid->CalcDrawInfo(info);
  const int left = f.grid->LeftCol();
  EXPECT_EQ(state(), std::to_string(partly) + ",3 left " + std::to_string(left));
  EXPECT_GT(left, 1);
  EXPECT_GE(info.Horz.LastFullVisibleCell, partly);
  // Row moves keep the column and the columns in view.
  PostKey(VK_DOWN);
  PostKey(VK_NEXT);
  const int paged = f.grid->Row();
  EXPECT_GT(paged, 4);
  EXPECT_EQ(state(), std::to_string(partly) + "," + std::to_string(paged) + " left " + std::to_string(left));
  // Scrolled left of the current column, the next move leaves the view where it is.
  f.grid->SetLeftCol(partly);
  PostKey(VK_UP);
  EXPECT_EQ(state(), std::to_string(partly) + "," + std::to_string(paged - 1) + " left " + std::to_string(partly));
  // Scrolled past it, the move brings its column back in at the left.
  f.grid->SetLeftCol(partly + 4);
  PostKey(VK_UP);
  EXPECT_EQ(state(), std::to_string(partly) + "," + std::to_string(paged - 2) + " left " + std::to_string(partly));
}

// The grid asks for tabs and characters by its options; row select asks for arrows only.
TEST(KwGridInput, DialogCodeFollowsTabsEditingAndRowSelect) {
  GridForm f(8, 20);
  f.Show();
  const HWND h = f.grid->Handle();
  EXPECT_EQ(::SendMessageW(h, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goTabs});
  EXPECT_EQ(::SendMessageW(h, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTTAB);
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goEditing});
  EXPECT_EQ(::SendMessageW(h, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS);
  f.grid->SetOptions(f.grid->Options() - TGridOptions{goTabs});
  EXPECT_EQ(::SendMessageW(h, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goTabs, goRowSelect});
  EXPECT_EQ(::SendMessageW(h, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  // With tabs taken, Tab moves the cell, and the open editor hands Tab on too.
  f.grid->SetOptions(f.grid->Options() - TGridOptions{goRowSelect});
  EXPECT_EQ(f.Cur(), "1,1");
  PostKey(VK_TAB);
  EXPECT_EQ(f.Cur(), "2,1");
  PostKey(VK_F2);
  ASSERT_TRUE(f.grid->EditorMode());
  EXPECT_EQ(::SendMessageW(f.grid->InplaceEditor()->Handle(), WM_GETDLGCODE, VK_TAB, 0) & DLGC_WANTTAB,
            DLGC_WANTTAB);
}
