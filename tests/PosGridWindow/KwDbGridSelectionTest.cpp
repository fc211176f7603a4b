// The data-aware grid's multi-selection under Wine, by posted input: Ctrl, Shift and
// plain clicks, Shift+Up/Down, marks that follow their records through sorting and data
// changes, deleting the marks with the question, rows without a record, blank rows in
// the sort, the focused cell's value, and what a double-click hit.
#include <algorithm>

#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/ukvDbGridsController.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/Screenshot.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;

namespace {

struct MultiGrid : DbGridForm {
  explicit MultiGrid(int rows) : DbGridForm(rows) {
    grid->SetOptions(grid->Options() | GridOption(dgMultiSelect));
    Bind();
    Show();
  }
  // The IDs of the marked records, ascending.
  std::string Marks() {
    // Records are kept in their loaded order: record i holds ID i + 1 until a deletion.
    std::vector<int> ids;
    TkwSelectedRecs& recs = grid->SelectedRecs();
    for (int i = 0; i < recs.Count(); ++i) ids.push_back(recs.Items(i) + 1);
    std::sort(ids.begin(), ids.end());
    std::string s;
    for (int v : ids) s += (s.empty() ? "" : ",") + std::to_string(v);
    return s;
  }
  // The IDs left in the dataset, in record order.
  std::string Ids() {
    std::string s;
    for (data->First(); !data->Eof(); data->Next())
      s += (s.empty() ? "" : ",") + std::to_string(data->FieldByName("ID")->AsInteger());
    return s;
  }
  void ClickRow(int gridRow, WPARAM keys = 0) {
    const TRect r = grid->CellRect(2, gridRow);
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ::PostMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    ::PostMessageW(grid->Handle(), WM_LBUTTONUP, keys, at);
    Pump();
  }
  void DoubleClick(int col, int gridRow) {
    const TRect r = grid->CellRect(col, gridRow);
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ::PostMessageW(grid->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::PostMessageW(grid->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }
  void AltDelete() {
    EXPECT_EQ(::GetFocus(), grid->Handle());
    HeldKey alt(VK_MENU);
    PostAltKey(VK_DELETE);
  }
};

}  // namespace

// ============================================================================ marking

TEST(KwDbGridSelection, CtrlShiftAndPlainClicksMarkRows) {
  MultiGrid f(30);
  f.ClickRow(1);
  EXPECT_EQ(f.Marks(), "1");
  f.ClickRow(3, MK_CONTROL);
  EXPECT_EQ(f.Marks(), "1,3");
  f.ClickRow(1, MK_CONTROL);  // toggles off
  EXPECT_EQ(f.Marks(), "3");
  f.ClickRow(5, MK_SHIFT);  // from the focused row (ID 1) down to the clicked one
  EXPECT_EQ(f.Marks(), "1,2,3,4,5");
  EXPECT_EQ(f.Focused(), 4);
  f.ClickRow(2);  // a plain click keeps only its row
  EXPECT_EQ(f.Marks(), "2");
}

TEST(KwDbGridSelection, ShiftArrowsMarkAndPlainArrowsClear) {
  MultiGrid f(30);
  {
    HeldKey shift(VK_SHIFT);
    PostKey(VK_DOWN);
    PostKey(VK_DOWN);
  }
  EXPECT_EQ(f.Marks(), "1,2,3");
  EXPECT_EQ(f.Focused(), 2);
  PostKey(VK_DOWN);  // an editable grid drops its marks on a plain move
  EXPECT_EQ(f.Marks(), "");
  // A read-only grid keeps them while the user walks the rows.
  f.grid->SetReadOnly(true);
  f.grid->SelectRow(0, true, false);
  PostKey(VK_UP);
  EXPECT_EQ(f.Marks(), "1");
  EXPECT_EQ(f.Focused(), 2);
}

TEST(KwDbGridSelection, SelectRowMarksWithOrWithoutTheFocus) {
  MultiGrid f(30);
  f.grid->SelectRow(5, false, true);
  EXPECT_EQ(f.Marks(), "6");
  EXPECT_EQ(f.Focused(), 5);
  f.grid->SelectRow(9, true, false);
  EXPECT_EQ(f.Marks(), "6,10");
  EXPECT_EQ(f.Focused(), 5);
  f.grid->SelectRow(9, true, false);  // once only
  EXPECT_EQ(f.grid->SelectedRecs().Count(), 2);
}

TEST(KwDbGridSelection, MarksFollowTheirRecordsThroughSortAndDeletion) {
  MultiGrid f(20);
  f.grid->SelectRow(0, true, false);
  f.grid->SelectRow(19, true, false);
  TkwColumn* id = f.grid->Columns()->Items(0);
  f.View().SortByColumn(id, true);
  f.View().SortByColumn(id, true);  // descending
  Pump();
  EXPECT_EQ(f.Marks(), "1,20");
  EXPECT_EQ(f.grid->SelectedRows().RowOfItem(0) + f.grid->SelectedRows().RowOfItem(1), 19);
  // The last record leaves the dataset behind the grid's back: the deferred update
  // drops its mark.
  f.data->Last();
  f.data->Delete();
  Pump();
  EXPECT_EQ(f.grid->SelectedRecs().Count(), 1);
  EXPECT_EQ(f.Marks(), "1");
}

// ============================================================================ deleting the marks

// Regression: deleting a multi-selection must delete exactly the marked records, not the
// focused one alone or records renumbered into a deleted one's place.
TEST(KwDbGridSelection, FaultAltDeleteDeletesExactlyTheMarkedRecords) {
  MultiGrid f(20);
  // Without dgEditing no click opens the editor: the keys stay the grid's.
  f.grid->SetOptions((f.grid->Options() | GridOption(dgConfirmDelete)) & ~GridOption(dgEditing));
  f.ClickRow(4);
  f.ClickRow(8, MK_CONTROL);
  f.ClickRow(2, MK_CONTROL);
  ASSERT_EQ(f.Marks(), "2,4,8");
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  script.QueueAnswer(IDNO);
  f.AltDelete();
  ASSERT_EQ(script.Asked().size(), 1u);
  EXPECT_EQ(script.Asked()[0].Text, "是否要删除选择的记录？");
  EXPECT_EQ(script.Asked()[0].Caption, "提示");
  EXPECT_EQ(f.data->RecordCount(), 20);
  script.QueueAnswer(IDYES);
  f.AltDelete();
  EXPECT_EQ(f.Ids(), "1,3,5,6,7,9,10,11,12,13,14,15,16,17,18,19,20");
  EXPECT_EQ(f.grid->SelectedRecs().Count(), 0);
  // Without marks Alt+Delete asks about the focused record only.
  f.ClickRow(1, MK_CONTROL);  // marks, then unmarks
  f.ClickRow(1, MK_CONTROL);
  ASSERT_EQ(f.grid->SelectedRecs().Count(), 0);
  script.QueueAnswer(IDYES);
  f.AltDelete();
  EXPECT_EQ(script.Asked().back().Text, "确定要删除记录吗？");
  EXPECT_EQ(f.data->RecordCount(), 16);
}

// Regression: a row without a record (padding rows of MinRowCount) must never be marked.
TEST(KwDbGridSelection, FaultRowWithoutARecordIsNeverMarked) {
  MultiGrid f(3);
  f.grid->SetMinRowCount(8);
  Pump();
  f.ClickRow(6, MK_CONTROL);
  f.grid->SelectRow(6, true, false);
  EXPECT_EQ(f.grid->SelectedRecs().Count(), 0);
  f.grid->SelectedRecs().Insert(0, -1);
  EXPECT_EQ(f.grid->SelectedRecs().Count(), 0);
}

// ============================================================================ cells and sorting

// Regression: blank rows compared inconsistently; they now go last in either direction.
TEST(KwDbGridSelection, FaultBlankRowsSortLastInEitherDirection) {
  DbGridForm f(0);
  TDataPacket p = GoodsRows(4);
  p.Rows.insert(p.Rows.begin() + 1, {Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null()});
  p.Rows.push_back({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null()});
  f.data->SetData(p);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgDiscompareBlankRow));
  f.Bind();
  f.Show();
  TkwColumn* name = f.grid->Columns()->Items(1);
  TkvCustomDbDataController* c = f.grid->DataController();
  auto order = [&] {
    std::string s;
    for (int r = 0; r < c->RowCount(); ++r) {
      Variant v;
      c->GetRowValue(r, f.grid->Columns()->Items(0)->DbField(), v);
      s += (s.empty() ? "" : ",") + (v.IsNull() ? std::string("-") : std::to_string(v.AsInteger()));
    }
    return s;
  };
  f.View().SortByColumn(name, true);
  EXPECT_EQ(order(), "1,2,3,4,-,-");
  f.View().SortByColumn(name, true);
  EXPECT_EQ(order(), "4,3,2,1,-,-");
}

// A grid that takes the goods with an even ID for blank rows.
class EvenIdsBlank : public TkwCustomDBGrid {
 public:
  using TkwCustomDBGrid::TkwCustomDBGrid;
  int Asked = 0;

 protected:
  bool IsBlankRecord(int RecordIndex) override {
    ++Asked;
    Variant v;
    DataController()->GetFieldValue(RecordIndex, Columns()->Items(0)->DbField(), v);
    return !v.IsNull() && v.AsInteger() % 2 == 0;
  }
};

// Regression: the blank-row sort did not ask the grid which records are blank, so a
// descendant could not say. Its IsBlankRecord decides: its blank rows go last in either
// direction, in record order.
TEST(KwDbGridSelection, FaultBlankRecordsWereNotTheGridsToSay) {
  DbGridForm f(6);
  f.grid->SetVisible(false);
  auto* g = new EvenIdsBlank(f.form.get());
  g->SetParent(f.form.get());
  g->SetBounds(8, 8, 420, 19 * 11 + 4);
  f.grid = g;
  g->SetOptions(g->Options() | GridOption(dgDiscompareBlankRow));
  f.Bind();
  f.Show();
  TkvCustomDbDataController* c = g->DataController();
  auto order = [&] {
    std::string s;
    for (int r = 0; r < c->RowCount(); ++r) {
      Variant v;
      c->GetRowValue(r, g->Columns()->Items(0)->DbField(), v);
      s += (s.empty() ? "" : ",") + std::to_string(v.AsInteger());
    }
    return s;
  };
  TkwColumn* name = g->Columns()->Items(1);
  f.View().SortByColumn(name, true);
  EXPECT_EQ(order(), "1,3,5,2,4,6");
  f.View().SortByColumn(name, true);
  EXPECT_EQ(order(), "5,3,1,2,4,6");
  EXPECT_GT(g->Asked, 0);
}

// Regression: with no focused row the focused cell read the footer's value.
TEST(KwDbGridSelection, FaultFocusedCellWithoutARowIsNullNotTheFooter) {
  DbGridForm f(0);
  f.Bind();
  f.Show();
  TkwColumn* name = f.grid->Columns()->Items(1);
  name->SetFooterText("合计");
  ASSERT_EQ(f.grid->FocusedRowIndex(), -1);
  EXPECT_TRUE(f.grid->FocusedCellValue(name).IsNull());
  EXPECT_EQ(f.grid->GetCellValue(name, -1).AsString(), "合计");
  EXPECT_TRUE(f.grid->GetCellValue(name, 0).IsNull());
  EXPECT_TRUE(f.grid->GetCellValue(nullptr, 0).IsNull());
}

TEST(KwDbGridSelection, DoubleClickTellsWhichDataRowItHit) {
  MultiGrid f(5);
  f.grid->SetMinRowCount(9);
  Pump();
  std::vector<int> hits;
  f.grid->OnDblClick = [&](TObject*) { hits.push_back(f.grid->DblClickRowIndex()); };
  f.DoubleClick(2, 3);
  f.DoubleClick(2, 8);  // below the data
  f.DoubleClick(2, 0);  // the title: no OnDblClick without a sortable column either way
  ASSERT_GE(hits.size(), 2u);
  EXPECT_EQ(hits[0], 2);
  EXPECT_EQ(hits[1], -1);
  EXPECT_EQ(f.grid->DblClickRowIndex(), -1);
}

TEST(KwDbGridSelection, MarkedRowsAreHighlightedWithTheirGlyphs) {
  MultiGrid f(10);
  f.form->SetCaption("多选");
  f.grid->SetOptions(f.grid->Options() | GridOption(dgAlwaysShowSelection));
  f.grid->SelectRow(4, false, true);
  f.grid->SelectRow(0, true, false);
  f.grid->SelectRow(2, true, false);
  Pump();
  ::UpdateWindow(f.grid->Handle());
  TBitmap shot;
  RenderControl(f.grid, shot, false);
  const uint32_t highlight = Rgb(clHighlight);
  auto back = [&](int gridRow) {
    const TRect r = f.grid->CellRect(f.grid->DataToRawColumn(0), gridRow);
    return shot.PixelRGB(r.Right - 3, r.Bottom - 3);
  };
  // Grid rows 1, 3 (marked) and 5 (focused, marked) are highlighted; 2 and 4 are not.
  EXPECT_EQ(back(1), highlight);
  EXPECT_EQ(back(3), highlight);
  EXPECT_EQ(back(5), highlight);
  EXPECT_NE(back(2), highlight);
  EXPECT_NE(back(4), highlight);
  // The indicator draws a glyph on marked rows and none on the others.
  auto glyphPixels = [&](int gridRow) {
    const TRect r = f.grid->CellRect(0, gridRow);
    int n = 0;
    for (int x = r.Right - 14; x < r.Right - 1; ++x)
      for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
        if (shot.PixelRGB(x, y) == 0x000000u) ++n;
    return n;
  };
  EXPECT_GT(glyphPixels(1), 0);
  EXPECT_GT(glyphPixels(3), 0);
  EXPECT_EQ(glyphPixels(2), 0);
  SaveScreenshot(f.form.get(), std::string("Z:") + POS_BINARY_DIR + "/kw-dbgrid-multiselect.png");
}
