// The data-aware grid under Wine: what a new grid holds, options, the layout over a
// dataset (columns, titles, rows, scroll bar), the deferred layout and update messages,
// and row moves by real key messages.
#include "KwDbGridTestSupport.h"
#include "ui/ImgList.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;

namespace {

// Takes every queued message of the window in [msg, msg]; returns how many there were.
int TakeQueued(HWND h, UINT msg) {
  int n = 0;
  MSG m;
  while (::PeekMessageW(&m, h, msg, msg, PM_REMOVE)) ++n;
  return n;
}

TkwColumn* AddColumn(TkwCustomDBGrid* g, const char* field, const char* caption, TkwColumn* parent = nullptr) {
  TkwColumn* c = g->Columns()->Add();
  if (field) c->SetFieldName(field);
  c->Title()->SetCaption(caption);
  c->SetWidth(80);
  if (parent) c->SetParent(parent);
  return c;
}

}  // namespace

TEST(KwDbGrid, NewGridHoldsItsDefaults) {
  TkwCustomDBGrid g(nullptr);
  EXPECT_EQ(g.Options(), 6909u);
  EXPECT_EQ(static_cast<TCustomGrid&>(g).Options().Bits(), 0xE8Fu);
  EXPECT_EQ(g.HighlightColor(), 255);
  EXPECT_TRUE(g.DefaultDrawing());
  EXPECT_FALSE(static_cast<TCustomGrid&>(g).DefaultDrawing());
  EXPECT_FALSE(g.ReadOnly());
  EXPECT_EQ(g.MinRowCount(), 0);
  EXPECT_EQ(g.RowCount(), 2);
  EXPECT_EQ(g.ColCount(), 2);
  EXPECT_EQ(g.ScrollBars(), ssVertical);
  EXPECT_EQ(g.Color(), clWindow);
  EXPECT_EQ(g.TitleOffset(), 1);
  EXPECT_EQ(g.IndicatorOffset(), 1);
  EXPECT_EQ(g.IndicatorImages().Count(), 5);
  EXPECT_EQ(g.SortImages().Count(), 2);
  EXPECT_EQ(g.IndicatorImages().Width(), 12);
  EXPECT_EQ(g.SortImages().Width(), 10);
  EXPECT_EQ(g.TitleFont()->Color(), 0);
  EXPECT_EQ(g.Columns()->Count(), 0);
  EXPECT_EQ(g.SelectedIndex(), -1);
  EXPECT_EQ(g.SelectedField(), nullptr);
  EXPECT_EQ(g.FocusedRowIndex(), -1);
  EXPECT_NE(g.DataController(), nullptr);
}

TEST(KwDbGrid, OptionsReachTheBaseGridAndTheController) {
  TkwCustomDBGrid g(nullptr);
  g.SetOptions(g.Options() | GridOption(dgRowSelect) | GridOption(dgAlwaysShowEditor) | GridOption(dgDisSort));
  EXPECT_FALSE(HasGridOption(g.Options(), dgEditing));
  EXPECT_FALSE(HasGridOption(g.Options(), dgAlwaysShowEditor));
  EXPECT_TRUE(static_cast<TCustomGrid&>(g).Options().Contains(goRowSelect));
  EXPECT_FALSE(static_cast<TCustomGrid&>(g).Options().Contains(goEditing));
  EXPECT_TRUE(g.RowColorsAssigned());
  EXPECT_EQ(g.OddRowColor(), 0xFFFFFF);
  EXPECT_EQ(g.EvenRowColor(), 0xF7F7F7);
  EXPECT_EQ(g.DataController()->Options() & dcoNoSorting, dcoNoSorting);
  g.SetOptions(g.Options() & ~GridOption(dgDisSort));
  EXPECT_EQ(g.DataController()->Options() & dcoNoSorting, 0);
  g.SetOptions(g.Options() & ~GridOption(dgRowSelect));
  g.SetReadOnly(true);
  EXPECT_FALSE(HasGridOption(g.Options(), dgEditing));
  EXPECT_FALSE(static_cast<TCustomGrid&>(g).Options().Contains(goEditing));
  g.SetReadOnly(false);
  EXPECT_TRUE(HasGridOption(g.Options(), dgEditing));
}

TEST(KwDbGrid, DefaultLayoutFollowsTheDataset) {
  DbGridForm f(3);
  f.Show();
  EXPECT_EQ(f.grid->ColCount(), 2);  // no data yet
  EXPECT_EQ(f.grid->RowCount(), 2);
  f.Bind();
  Pump();
  ASSERT_EQ(f.grid->Columns()->Count(), 4);
  EXPECT_EQ(f.grid->Columns()->Items(1)->FieldName(), "NAME");
  EXPECT_EQ(f.grid->ColCount(), 5);
  EXPECT_EQ(f.grid->FixedCols(), 1);
  EXPECT_EQ(f.grid->ColWidths(0), 40);
  // 3 records with room for 10: the title and three rows.
  EXPECT_EQ(f.grid->RowCount(), 4);
  EXPECT_EQ(f.grid->FixedRows(), 1);
  EXPECT_EQ(f.View().BufferCount(), 10);
  EXPECT_EQ(f.Focused(), 0);
  EXPECT_EQ(f.grid->Row(), 1);

  f.grid->SetMinRowCount(5);
  EXPECT_EQ(f.grid->RowCount(), 6);
  f.grid->SetOptions(f.grid->Options() & ~GridOption(dgIndicator));
  EXPECT_EQ(f.grid->IndicatorOffset(), 0);
  EXPECT_EQ(f.grid->ColCount(), 4);
  EXPECT_EQ(f.grid->FixedCols(), 0);
  EXPECT_NE(f.grid->ColWidths(0), 40);
  f.grid->SetOptions(f.grid->Options() & ~GridOption(dgTitles));
  EXPECT_EQ(f.grid->TitleOffset(), 0);
  EXPECT_EQ(f.grid->FixedRows(), 0);

  f.grid->SetDataSource(nullptr);
  EXPECT_EQ(f.grid->Columns()->Count(), 0);
  EXPECT_EQ(f.grid->RowCount(), 1);
}

TEST(KwDbGrid, CustomisedColumnsWithLevelsMakeTitleRows) {
  DbGridForm f(3);
  TkwColumn* goods = AddColumn(f.grid, nullptr, "商品");
  TkwColumn* money = AddColumn(f.grid, nullptr, "金额", goods);
  AddColumn(f.grid, "NAME", "名称", goods);
  AddColumn(f.grid, "QTY", "数量", money);
  AddColumn(f.grid, "PRICE", "单价", money);
  // A parent shows its children when expanded.
  goods->SetExpanded(true);
  money->SetExpanded(true);
  f.Bind();
  f.Show();
  EXPECT_EQ(f.grid->TitleOffset(), 3);
  EXPECT_EQ(f.grid->FixedRows(), 3);
  EXPECT_EQ(f.grid->RowCount(), 3 + 3);
  EXPECT_EQ(f.grid->DataLink().FieldCount(), 5);
  ASSERT_NE(f.grid->DataLink().Fields(3), nullptr);
  EXPECT_EQ(f.grid->DataLink().Fields(3)->FieldName(), "QTY");
  EXPECT_EQ(f.grid->DataLink().Fields(0), nullptr);
  EXPECT_EQ(f.grid->ShownColumns().size(), 3u);
  // The current column is a shown one, not the expanded parent before it.
  EXPECT_EQ(f.grid->SelectedColumn()->FieldName(), "NAME");
  EXPECT_EQ(f.grid->FindColumnByFieldName("price"), f.grid->Columns()->Items(4));
  EXPECT_EQ(f.grid->FindColumnByFieldName("商品"), nullptr);
}

TEST(KwDbGrid, ScrollBarCountsTheControllersRows) {
  DbGridForm f(100);
  f.Bind();
  f.Show();
  ASSERT_EQ(f.View().BufferCount(), 10);
  f.View().SetRecNo(15);
  Pump();
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  ::GetScrollInfo(f.grid->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMin, 1);
  EXPECT_EQ(si.nMax, 109);
  EXPECT_EQ(si.nPage, 10u);
  EXPECT_EQ(si.nPos, 15);
  EXPECT_EQ(f.View().TopRecord(), 5);
  EXPECT_EQ(f.grid->Row(), 1 + 9);
}

TEST(KwDbGrid, KeysMoveTheFocusedRowThroughTheView) {
  DbGridForm f(100);
  f.Bind();
  f.Show();
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  Pump();
  EXPECT_EQ(f.Focused(), 2);
  EXPECT_EQ(f.grid->Row(), 3);
  PostKey(VK_NEXT);
  Pump();
  EXPECT_EQ(f.Focused(), 12);
  EXPECT_EQ(f.View().TopRecord(), 3);
  PostKeyWith(VK_CONTROL, VK_END);
  Pump();
  EXPECT_EQ(f.Focused(), 99);
  EXPECT_EQ(f.View().TopRecord(), 90);
  EXPECT_EQ(f.grid->Row(), 10);
  PostKey(VK_UP);
  Pump();
  EXPECT_EQ(f.Focused(), 98);
  EXPECT_EQ(f.grid->Row(), 9);
  PostKeyWith(VK_CONTROL, VK_HOME);
  Pump();
  EXPECT_EQ(f.Focused(), 0);
  EXPECT_EQ(f.View().TopRecord(), 0);
}

// Regression: Down on the last row appended a record also where the grid does not edit.
TEST(KwDbGrid, FaultDownOnTheLastRowAppendsOnlyWhenEditing) {
  DbGridForm f(3);
  f.Bind();
  f.grid->SetOptions(f.grid->Options() & ~GridOption(dgEditing));
  f.Show();
  PostKeyWith(VK_CONTROL, VK_END);
  PostKey(VK_DOWN);
  Pump();
  EXPECT_EQ(f.data->RecordCount(), 3);
  EXPECT_EQ(f.data->State(), dsBrowse);
  EXPECT_EQ(f.Focused(), 2);
}

TEST(KwDbGrid, ClickOnARowFocusesItsRecord) {
  DbGridForm f(30);
  f.Bind();
  f.Show();
  const TRect r = f.grid->CellRect(2, 5);
  const POINT p{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  ::PostMessageW(f.grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  ::PostMessageW(f.grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  Pump();
  EXPECT_EQ(f.Focused(), 4);
  EXPECT_EQ(f.grid->Row(), 5);
  EXPECT_EQ(f.grid->Col(), 2);
  EXPECT_EQ(f.grid->SelectedColumn()->FieldName(), "NAME");
}

TEST(KwDbGrid, TwoDeferredUpdatesPostOneMessageWithBothMasks) {
  DbGridForm f(3);
  f.Bind();
  f.Show();
  f.grid->PostDeferredUpdate(duRowCount);
  f.grid->PostDeferredUpdate(duInvalidate | duSelection);
  EXPECT_EQ(f.grid->DeferredUpdates().Pending(), duRowCount | duInvalidate | duSelection);
  EXPECT_EQ(TakeQueued(f.grid->Handle(), TkwCustomDBGrid::WM_KW_DEFERUPDATE), 1);
  // A layout asked for under a layout lock is left to the lock's end.
  f.grid->BeginLayout();
  f.grid->PostDeferredUpdate(duLayout);
  EXPECT_EQ(f.grid->DeferredUpdates().Pending(), duRowCount | duInvalidate | duSelection);
  f.grid->EndLayout();
  ::SendMessageW(f.grid->Handle(), TkwCustomDBGrid::WM_KW_DEFERUPDATE, 0, 0);
  EXPECT_EQ(f.grid->DeferredUpdates().Pending(), 0);
  EXPECT_FALSE(f.grid->DeferredUpdates().Posted());
}

// Regression: deferred work asked for before the grid had a window was lost: nothing
// was posted and the pending bits blocked every later post.
TEST(KwDbGrid, FaultDeferredWorkBeforeTheWindowRunsAtItsCreation) {
  DbGridForm f(3);
  f.Bind();
  f.grid->PostDeferredUpdate(duFooters);
  f.grid->BeginLayout();
  f.grid->SetMinRowCount(6);  // folded into the lock
  f.grid->DeferLayout();
  EXPECT_EQ(f.grid->LayoutLock(), 0);
  ASSERT_FALSE(f.grid->HandleAllocated());
  f.Show();
  EXPECT_EQ(f.grid->RowCount(), 1 + 6);
  EXPECT_EQ(f.grid->DeferredUpdates().Pending(), 0);
  f.grid->PostDeferredUpdate(duInvalidate);
  EXPECT_EQ(TakeQueued(f.grid->Handle(), TkwCustomDBGrid::WM_KW_DEFERUPDATE), 1);
}

// Regression: EndUpdate released a layout lock that BeginUpdate had not taken, ending
// another caller's layout lock early.
TEST(KwDbGrid, FaultLayoutLockIsReleasedByItsOwnerOnly) {
  DbGridForm f(3);
  f.Bind();
  f.Show();
  f.grid->BeginLayout();
  f.grid->BeginUpdate();
  f.grid->EndUpdate();
  EXPECT_EQ(f.grid->LayoutLock(), 1);
  f.grid->EndLayout();
  EXPECT_EQ(f.grid->LayoutLock(), 0);
  f.grid->BeginUpdate();
  EXPECT_EQ(f.grid->LayoutLock(), 1);
  f.grid->BeginUpdate();
  f.grid->EndUpdate();
  EXPECT_EQ(f.grid->LayoutLock(), 1);
  f.grid->EndUpdate();
  EXPECT_EQ(f.grid->LayoutLock(), 0);
}

TEST(KwDbGrid, DeferredLayoutPostsOnceAndLaysOutWhenFree) {
  DbGridForm f(3);
  f.Bind();
  f.Show();
  f.grid->BeginLayout();
  f.grid->BeginLayout();
  f.grid->DeferLayout();
  f.grid->DeferLayout();
  EXPECT_EQ(f.grid->LayoutLock(), 0);
  MSG m;
  EXPECT_TRUE(::PeekMessageW(&m, f.grid->Handle(), TkwCustomDBGrid::WM_KW_DEFERLAYOUT,
                             TkwCustomDBGrid::WM_KW_DEFERLAYOUT, PM_NOREMOVE));
  f.grid->Columns()->Items(0)->SetVisible(false);
  Pump();
  EXPECT_EQ(TakeQueued(f.grid->Handle(), TkwCustomDBGrid::WM_KW_DEFERLAYOUT), 0);
  EXPECT_EQ(f.grid->ShownColumns().size(), 3u);
  // The current column is a shown one, not the expanded parent before it.
  EXPECT_EQ(f.grid->SelectedColumn()->FieldName(), "NAME");
}

// Regression: a double-click on the first column's title sorted nothing when the grid
// had no indicator column (the first data column is then grid column 0).
TEST(KwDbGrid, FaultFirstDataColumnSortsWithoutIndicator) {
  DbGridForm f(20);
  f.grid->SetOptions(f.grid->Options() & ~GridOption(dgIndicator));
  f.Bind();
  f.Show();
  TkwColumn* id = f.grid->Columns()->Items(0);
  id->SetColumnOptions(id->ColumnOptions() | ColumnOption(gcoSortable));
  const TRect t = f.grid->CellRect(0, 0);
  const POINT p{(t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2};
  for (int i = 0; i < 2; ++i) {
    ::PostMessageW(f.grid->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ::PostMessageW(f.grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    Pump();
  }
  Variant first;
  f.grid->DataController()->GetRowValue(0, id->DbField(), first);
  EXPECT_EQ(first.AsInteger(), 20);  // descending after the second double-click
}
