// The application's grid under Wine, driven by posted input: marks made by clicks stay on
// their records across reloads of the dataset (a changed filter, close and open, refresh),
// or are dropped; Alt+Delete with the real confirmation box (answered by a posted click)
// deletes exactly the marked records that are left, and with none left asks nothing and
// deletes nothing; in a sorted grid the screen stays where it was. Then F3 after a locate upwards keeps going up after clicks and moves.
// The expected answers come from the goods' IDs in the dataset, not from the grid.
#include <algorithm>
#include <set>

#include "GoodsGridForm.h"
#include "KwGridTestSupport.h"
#include "MessageBoxAnswer.h"
#include "VCLSource/source/PosGrid/fukvGridLocate.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "tests/support/WindowFinder.h"
#include "tests/ui/UiTest.h"

using namespace kwtest;
using namespace uitest;

namespace {

constexpr UINT WM_TEST_STEPS = WM_USER + 78;

// Goods 101..105 with quantities 1..5, or the generated goods 1..n.
TDataPacket SmallGoods() {
  TDataPacket p = GoodsPacket(5);
  for (size_t i = 0; i < p.Rows.size(); ++i) {
    p.Rows[i][0] = Variant(static_cast<int>(101 + i));
    p.Rows[i][3] = Variant(static_cast<double>(i + 1));
  }
  return p;
}

class MarksGrid {
 public:
  explicit MarksGrid(int goods) : f(goods) {
    if (goods == 5) f.data->SetData(SmallGoods());
    f.Bind();
    f.form->Show();
    Settle();
    Focus(f.grid);
  }

  GoodsGridForm f;
  TJbDbGrid* G() { return f.grid; }
  TClientDataSet& Data() { return *f.data; }

  // A click on the ID column (read-only: no editor opens) of a row shown, with keys.
  void ClickRow(int offset, WPARAM keys = 0) {
    const TRect r = G()->CellRect(G()->DataToRawColumn(f.id->Index()), G()->TitleOffset() + offset);
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    EnsureActive();
    ::PostMessageW(G()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    ::PostMessageW(G()->Handle(), WM_LBUTTONUP, keys, at);
    Pump();
  }
  // Clicks the shown row of the goods (it must be in view).
  void ClickId(int id, WPARAM keys = 0) {
    const int top = f.View().TopRecord();
    for (int offset = 0; offset < f.View().VisibleRowCount(); ++offset)
      if (top + offset < f.Controller().RowCount() && f.RowId(top + offset) == id) return ClickRow(offset, keys);
    ADD_FAILURE() << id << " is not in view";
  }
  std::set<int> MarkedIds() {
    std::set<int> ids;
    TkwSelectedRecs& recs = G()->SelectedRecs();
    for (int i = 0; i < recs.Count(); ++i) {
      Variant v;
      f.Controller().GetFieldValue(recs.Items(i), f.id->DbField(), v);
      ids.insert(v.AsInteger());
    }
    return ids;
  }
  // Every record of the dataset, whatever its filter, by ID.
  std::set<int> StoredIds() {
    std::set<int> ids;
    for (const auto& row : Data().Data().Rows) ids.insert(row[0].AsInteger());
    return ids;
  }
  // Alt+Delete answered Yes when a box comes; what the box said ("" when none came).
  std::string AltDeleteYes() {
    Focus(G());
    MessageBoxAnswer yes(IDYES);
    {
      HeldKey alt(VK_MENU);
      PostAltKey(VK_DELETE);
    }
    EXPECT_FALSE(yes.ClickMissed);
    return yes.Seen;
  }
  void CloseAndOpen() {
    const TDataPacket records = Data().Data();
    Data().Close();
    Data().SetData(records);
    Pump();
  }
};

// The dataset's filter hides 101 and so renumbers every record after it: the mark made
// on 102 stays on 102, and Alt+Delete deletes 102, never 103.
TEST(JbDbGridMarks, DataSetFilterKeepsTheMarkAndAltDeleteDeletesIt) {
  MarksGrid t(5);
  t.ClickRow(1);
  ASSERT_EQ(t.MarkedIds(), (std::set<int>{102}));
  t.Data().SetFilter("QTY >= 2");
  t.Data().SetFiltered(true);
  Pump();
  EXPECT_EQ(t.f.RowId(0), 102);
  EXPECT_EQ(t.MarkedIds(), (std::set<int>{102}));
  EXPECT_EQ(t.AltDeleteYes(), "提示|确定要删除记录吗？");
  EXPECT_EQ(t.StoredIds(), (std::set<int>{101, 103, 104, 105}));
  EXPECT_EQ(t.G()->SelectedRecs().Count(), 0);
}

// A range marked by a Shift+click follows its records through the filter too.
TEST(JbDbGridMarks, ShiftClickRangeFollowsItsRecords) {
  MarksGrid t(5);
  t.ClickRow(1);
  t.ClickRow(3, MK_SHIFT);
  ASSERT_EQ(t.MarkedIds(), (std::set<int>{102, 103, 104}));
  EXPECT_EQ(t.Data().FieldByName("ID")->AsInteger(), 104);
  t.Data().SetFilter("QTY >= 2");
  t.Data().SetFiltered(true);
  Pump();
  EXPECT_EQ(t.MarkedIds(), (std::set<int>{102, 103, 104}));
  EXPECT_EQ(t.AltDeleteYes(), "提示|是否要删除选择的记录？");
  EXPECT_EQ(t.StoredIds(), (std::set<int>{101, 105}));
}

// Refreshed, the marks stay; two marks ask about the selection.
TEST(JbDbGridMarks, RefreshKeepsTheMarks) {
  MarksGrid t(5);
  t.ClickRow(1);
  t.ClickRow(3, MK_CONTROL);
  t.Data().Refresh();
  Pump();
  EXPECT_EQ(t.MarkedIds(), (std::set<int>{102, 104}));
  EXPECT_EQ(t.AltDeleteYes(), "提示|是否要删除选择的记录？");
  EXPECT_EQ(t.StoredIds(), (std::set<int>{101, 103, 105}));
}

// Closed and opened, the records are new: the marks are gone, and Alt+Delete asks
// nothing and deletes nothing (not the focused record either) until the user marks again.
TEST(JbDbGridMarks, CloseAndOpenDropsTheMarksAndAltDeleteDeletesNothing) {
  MarksGrid t(5);
  t.ClickRow(1);
  t.CloseAndOpen();
  EXPECT_TRUE(t.MarkedIds().empty());
  EXPECT_EQ(t.AltDeleteYes(), "");
  EXPECT_EQ(t.StoredIds(), (std::set<int>{101, 102, 103, 104, 105}));
  t.ClickRow(2);
  EXPECT_EQ(t.AltDeleteYes(), "提示|确定要删除记录吗？");
  EXPECT_EQ(t.StoredIds(), (std::set<int>{101, 102, 104, 105}));
}

// A marked record the filter hides loses its mark: with no mark left nothing is asked or
// deleted; of two marks the one left is counted and deleted alone.
TEST(JbDbGridMarks, MarksOfHiddenRecordsAreNotCountedOrDeleted) {
  MarksGrid t(5);
  t.ClickRow(0);
  t.Data().SetFilter("QTY >= 2");
  t.Data().SetFiltered(true);
  Pump();
  EXPECT_TRUE(t.MarkedIds().empty());
  EXPECT_EQ(t.AltDeleteYes(), "");
  EXPECT_EQ(t.StoredIds(), (std::set<int>{101, 102, 103, 104, 105}));
  t.Data().SetFiltered(false);
  Pump();
  t.ClickRow(0);
  t.ClickRow(4, MK_CONTROL);
  // The grid's own filter hides 105 (its mark lingers until the deferred purge).
  TkvDBDataFilterCriteria& filter = t.f.Controller().Filter();
  filter.AddCondition(nullptr, t.f.qty->DbField(), foLess, Variant(5.0), "5");
  filter.SetActive(true);
  EXPECT_EQ(t.AltDeleteYes(), "提示|确定要删除记录吗？");
  EXPECT_EQ(t.StoredIds(), (std::set<int>{102, 103, 104, 105}));
}

// 20,000 goods sorted by price downwards (rows and records differ): marks made by
// clicks survive a filter change and a refresh, Alt+Delete deletes exactly them; marks
// made then are dropped by a close and open, and Alt+Delete deletes nothing.
TEST(JbDbGridMarks, TwentyThousandGoodsReloadsKeepOrDropMarksAndDeleteExactlyThem) {
  constexpr int kGoods = 20000;
  MarksGrid t(kGoods);
  t.f.View().SortByColumn(t.f.price, true);
  t.f.View().SortByColumn(t.f.price, true);
  t.f.View().SetRecNo(10001);
  t.G()->UpdateActive();
  Pump();
  const int top = t.f.View().TopRecord();
  std::set<int> want;
  for (int offset : {0, 1, 2, 4, 6, 8}) {
    const int id = t.f.RowId(top + offset);
    // Goods whose quantity is 0 are hidden by the filter below: not these.
    if (GoodsQty(id) == 0) continue;
    t.ClickId(id, want.empty() ? 0 : MK_CONTROL);
    want.insert(id);
  }
  ASSERT_GE(want.size(), 3u);
  ASSERT_EQ(t.MarkedIds(), want);
  t.Data().SetFilter("QTY >= 1");
  t.Data().SetFiltered(true);
  Pump();
  EXPECT_EQ(t.MarkedIds(), want);
  t.Data().Refresh();
  Pump();
  EXPECT_EQ(t.MarkedIds(), want);
  t.Data().SetFiltered(false);
  Pump();
  EXPECT_EQ(t.MarkedIds(), want);
  EXPECT_EQ(t.AltDeleteYes(), "提示|是否要删除选择的记录？");
  std::set<int> left = t.StoredIds();
  EXPECT_EQ(static_cast<int>(left.size()), kGoods - static_cast<int>(want.size()));
  for (int id : want) EXPECT_EQ(left.count(id), 0u) << id;
  EXPECT_EQ(t.f.Controller().RowCount(), t.Data().RecordCount());

  // Marked again, then closed and opened: nothing goes.
  t.f.View().SetRecNo(300);
  t.G()->UpdateActive();
  Pump();
  const int top2 = t.f.View().TopRecord();
  t.ClickId(t.f.RowId(top2 + 1));
  t.ClickId(t.f.RowId(top2 + 3), MK_CONTROL);
  ASSERT_EQ(t.MarkedIds().size(), 2u);
  t.CloseAndOpen();
  EXPECT_TRUE(t.MarkedIds().empty());
  EXPECT_EQ(t.AltDeleteYes(), "");
  EXPECT_EQ(t.StoredIds(), left);
}

// Regression: in a grid sorted by price the focus went, while the record was deleted,
// through the record the dataset stood on next (elsewhere in the grid's order) before it
// came to the goods after the deleted one, and the screen scrolled to put that at the
// top. The screen stays where it was, for one record and for marked ones.
TEST(JbDbGridMarks, FaultADeleteInASortedGridScrolledTheScreen) {
  MarksGrid t(2000);
  t.f.View().SortByColumn(t.f.price, true);
  t.f.View().SortByColumn(t.f.price, true);
  auto show = [&t](int row, int offset) {
    t.f.View().SetRecNo(row + 1 + 40);
    t.f.View().SetRecNo(row + 1 - offset);
    t.G()->UpdateActive();
    Pump();
  };
  std::string got, want;
  show(700, 5);
  t.ClickRow(5);
  ASSERT_EQ(t.f.View().TopRecord(), 695);
  const int deleted = t.f.RowId(700), after = t.f.RowId(701);
  got += t.AltDeleteYes();
  got += " top " + std::to_string(t.f.View().TopRecord()) + " row " +
         std::to_string(t.G()->Row() - t.G()->TitleOffset()) + " " + std::to_string(t.f.RowId(t.G()->FocusedRowIndex())) +
         " gone " + std::to_string(t.StoredIds().count(deleted) == 0) + "\n";
  want += "提示|确定要删除记录吗？ top 695 row 5 " + std::to_string(after) + " gone 1\n";
  show(1200, 2);
  t.ClickRow(2);
  t.ClickRow(4, MK_CONTROL);
  const std::set<int> marked = t.MarkedIds();
  ASSERT_EQ(marked.size(), 2u);
  got += t.AltDeleteYes();
  got += " top " + std::to_string(t.f.View().TopRecord());
  for (int id : marked) got += " gone " + std::to_string(t.StoredIds().count(id) == 0);
  want += "提示|是否要删除选择的记录？ top 1198 gone 1 gone 1";
  EXPECT_EQ(got, want);
}

// ============================================================================ F3 upwards

// Chooses the column and types the text in the locate dialog, sets its range and closes
// it with Find; the dialog is shown by the F3 that follows.
class LocateSteps {
 public:
  LocateSteps(TfmGridLocate& dlg, int columnItem, const std::wstring& text, int range) : FDlg(dlg) {
    dlg.OnShow = [this](TObject*) { ::PostMessageW(FDlg.Handle(), WM_TEST_STEPS, 0, 0); };
    dlg.RegisterMessageHandler(WM_TEST_STEPS, [this, columnItem, text, range](TMessage&) {
      ++Shown;
      Settle();
      FDlg.cbbLocate->SetItemIndex(columnItem);
      FDlg.rgRangeOption->SetItemIndex(range);
      Focus(FDlg.edtLocate);
      TypeText(text);
      PostKey(VK_RETURN);  // Find
      if (FDlg.ModalResult() == mrNone) FDlg.SetModalResult(mrCancel);
    });
  }
  ~LocateSteps() { FDlg.OnShow = nullptr; }
  LocateSteps(const LocateSteps&) = delete;
  LocateSteps& operator=(const LocateSteps&) = delete;
  int Shown = 0;

 private:
  TfmGridLocate& FDlg;
};

// A locate upwards: F3 after it goes up, and keeps going up after a click on another row,
// arrow moves and a page move; the range shown by the dialog later does not change it.
TEST(JbDbGridMarks, F3KeepsGoingUpAfterClicksAndMoves) {
  MarksGrid t(400);
  TkvCustomDbDataController& c = t.f.Controller();
  // Names start with the word of id % 8: 香蕉 is word 7, so 香蕉 goods are 7, 15, 23, ...
  // at rows id - 1 (no sort).
  t.f.View().SetRecNo(200);
  t.G()->UpdateActive();
  Pump();
  ASSERT_EQ(c.FocusedRowIndex(), 199);
  TfmGridLocate& dlg = t.G()->LocateDialog();
  const int nameItem = 1;  // 编号, 名称, ...
  {
    LocateSteps steps(dlg, nameItem, L"香蕉", 2);
    PostKey(VK_F3);
    ASSERT_EQ(steps.Shown, 1);
  }
  ASSERT_EQ(dlg.ModalResult(), kwLocateFind);
  // The first search goes down from the focused row (the range counts from the next).
  EXPECT_EQ(t.f.RowId(c.FocusedRowIndex()), 207);
  PostKey(VK_F3);
  EXPECT_EQ(t.f.RowId(c.FocusedRowIndex()), 199);
  // A click two rows further down ends the search: F3 still goes up from there.
  const int clicked = t.f.RowId(t.f.View().TopRecord() + t.f.View().ActiveRecord() + 2);
  t.ClickId(clicked);
  ASSERT_EQ(t.f.RowId(c.FocusedRowIndex()), clicked);
  Focus(t.G());
  PostKey(VK_F3);
  EXPECT_EQ(t.f.RowId(c.FocusedRowIndex()), 199);
  PostKey(VK_F3);
  EXPECT_EQ(t.f.RowId(c.FocusedRowIndex()), 191);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  PostKey(VK_F3);
  EXPECT_EQ(t.f.RowId(c.FocusedRowIndex()), 191);
  PostKey(VK_NEXT);  // a page down
  const int paged = t.f.RowId(c.FocusedRowIndex());
  ASSERT_GT(paged, 199);
  int above = paged - 1;  // the nearest 香蕉 above the row reached
  while (above % 8 != 7) --above;
  PostKey(VK_F3);
  EXPECT_EQ(t.f.RowId(c.FocusedRowIndex()), above);
  // The dialog's range set downwards without a locate (cancelled) changes nothing.
  dlg.rgRangeOption->SetItemIndex(1);
  const int before = t.f.RowId(c.FocusedRowIndex());
  PostKey(VK_UP);
  PostKey(VK_F3);
  EXPECT_EQ(t.f.RowId(c.FocusedRowIndex()), before - 8);
  // Above the first match F3 goes round from the last row.
  t.f.View().SetRecNo(3);
  t.G()->UpdateActive();
  Pump();
  PostKey(VK_F3);
  EXPECT_EQ(t.f.RowId(c.FocusedRowIndex()), 399);
  EXPECT_EQ(t.G()->LocateFirst(), false);
}

// An upward F3 from the first row has nothing above it: it goes round from the last row
// to a text found only lower down; from a middle row, to a text found only below it.
TEST(JbDbGridMarks, F3UpwardsFromTheFirstRowGoesRoundToTheRowsBelow) {
  MarksGrid t(400);
  TkvCustomDbDataController& c = t.f.Controller();
  TfmGridLocate& dlg = t.G()->LocateDialog();
  const int idItem = 0;  // 编号
  {
    LocateSteps steps(dlg, idItem, L"400", 2);
    PostKey(VK_F3);
    ASSERT_EQ(steps.Shown, 1);
  }
  ASSERT_EQ(dlg.ModalResult(), kwLocateFind);
  ASSERT_EQ(t.f.RowId(c.FocusedRowIndex()), 400);  // the first search goes down
  PostKeyWith(VK_CONTROL, VK_HOME);  // the first row: the search ends
  ASSERT_EQ(c.FocusedRowIndex(), 0);
  PostKey(VK_F3);
  EXPECT_EQ(t.f.RowId(c.FocusedRowIndex()), 400);
  t.f.View().SetRecNo(200);
  t.G()->UpdateActive();
  Pump();
  ASSERT_EQ(c.FocusedRowIndex(), 199);
  PostKey(VK_F3);
  EXPECT_EQ(t.f.RowId(c.FocusedRowIndex()), 400);
}

}  // namespace
