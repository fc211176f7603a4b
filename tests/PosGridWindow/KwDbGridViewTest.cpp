// The data-aware grid's view under Wine: its value reader of the current row, and a
// display-text reader placed on the current row's record, with the rows moved by keys;
// and the grid's answers to the view and its window: the timed scroll, the columns of a
// changed field, the dialog-list lock, the title font following a parent font.
#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/fukvGridFilter.h"
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "ui/GridDetail.h"

using namespace kwtest;
using namespace uitest;

namespace {

TEST(KwDbGridView, ValueReaderReadsTheRowTheKeysReached) {
  DbGridForm f(30);
  f.Bind();
  f.Show();
  TkwCustomDbGridView& view = f.View();
  std::shared_ptr<IkwValueReader> reader = view.ValueReader();
  ASSERT_NE(reader, nullptr);
  TkvDbField* name = f.grid->FindColumnByFieldName("NAME")->DbField();
  std::shared_ptr<IkwValueField> field = reader->GetValueField(name);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  Pump();
  EXPECT_EQ(field->DisplayText(), "商品3");
  // Sorted by ID descending the third row is record 27 (ID 28).
  view.SortByColumn(f.grid->FindColumnByFieldName("ID"), true);
  view.SortByColumn(f.grid->FindColumnByFieldName("ID"), true);
  Pump();
  PostKeyWith(VK_CONTROL, VK_HOME);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  Pump();
  EXPECT_EQ(field->DisplayText(), "商品28");
  std::shared_ptr<IkwDisplayTextValueReader> placed = f.grid->DataController()->DisplayTextReader();
  view.ReadCurrentRecord(*placed);
  EXPECT_EQ(placed->GetRecordIndex(), 27);
  EXPECT_EQ(placed->GetDisplayText(name), "商品28");
  auto other = std::make_shared<TkwGridViewValueReader>(&view);
  view.SetValueReader(other);
  EXPECT_EQ(view.ValueReader(), other);
}

// Regression: a padding row below the data (MinRowCount) read Unassigned, not Null. It
// has no record: Null, no text, and a reader placed on it reads nothing.
TEST(KwDbGridView, FaultRowPastTheDataReadsNull) {
  DbGridForm f(3);
  f.Bind();
  f.grid->SetMinRowCount(8);
  f.Show();
  TkwCustomDbGridView& view = f.View();
  TkvDbField* qty = f.grid->FindColumnByFieldName("QTY")->DbField();
  std::shared_ptr<IkwValueField> field = view.ValueReader()->GetValueField(qty);
  EXPECT_EQ(field->AsFloat(), 1.0);
  view.SetActiveRecord(5);  // as painting does for the sixth grid row
  EXPECT_TRUE(field->Value().IsNull());
  EXPECT_EQ(field->DisplayText(), "");
  std::shared_ptr<IkwDisplayTextValueReader> placed = f.grid->DataController()->DisplayTextReader();
  view.ReadCurrentRecord(*placed);
  EXPECT_EQ(placed->GetRecordIndex(), -1);
  EXPECT_TRUE(placed->GetValue(qty).IsNull());
  view.SetActiveRecord(0);
}

// The reader handed out outlives the grid and then reads nothing.
TEST(KwDbGridView, ReaderOutlivingTheGridReadsNothing) {
  std::shared_ptr<IkwValueField> field;
  {
    DbGridForm f(3);
    f.Bind();
    f.Show();
    field = f.View().ValueReader()->GetValueField(f.grid->FindColumnByFieldName("QTY")->DbField());
    EXPECT_EQ(field->AsInteger(), 1);
  }
  EXPECT_TRUE(field->Value().IsNull());
}

}  // namespace

namespace {

// The grid's timed scroll as a mouse selection held past an edge runs it.
class TimedGrid : public TkwCustomDBGrid {
 public:
  using TkwCustomDBGrid::TimedScroll;
  using TkwCustomDBGrid::TkwCustomDBGrid;
};

// A mouse selection held below the rows moves to the row below them, above the rows to the
// row above them; the current grid row and the scroll bar follow at once.
TEST(KwDbGridMessages, TimedScrollMovesPastTheRowsShown) {
  DbGridForm f(100);
  delete f.grid;
  auto* g = new TimedGrid(f.form.get());
  f.grid = g;
  g->SetParent(f.form.get());
  g->SetBounds(8, 8, 420, 19 * 11 + 4);
  f.Bind();
  f.Show();
  TkwCustomDbGridView& view = f.View();
  ASSERT_EQ(view.BufferCount(), 10);
  g->TimedScroll(ui_grid_detail::sdDown);
  EXPECT_EQ(f.Focused(), 10);
  EXPECT_EQ(g->Row(), g->TitleOffset() + view.ActiveRecord());
  EXPECT_EQ(view.ActiveRecord(), 9);
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_POS;
  ::GetScrollInfo(g->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nPos, 11);
  g->TimedScroll(ui_grid_detail::sdUp);
  EXPECT_EQ(f.Focused(), 0);
  EXPECT_EQ(g->Row(), g->TitleOffset());
  g->TimedScroll(ui_grid_detail::sdUp);  // nothing above the first row
  EXPECT_EQ(f.Focused(), 0);
  Pump();
}

// A changed field value names the columns bound to the field.
TEST(KwDbGridMessages, FieldColumnsChangedNamesTheColumnsOfTheField) {
  DbGridForm f(5);
  f.Bind();
  f.Show();
  std::string seen;
  f.grid->OnFieldColumnsChanged = [&](TObject* sender, const TkwDbGridColumnList& columns) {
    seen += sender == f.grid ? "grid:" : "?:";
    for (int i = 0; i < columns.Count(); ++i) seen += std::string(columns.Items(i)->FieldName()) + ",";
    seen += ";";
  };
  f.data->Edit();
  f.data->FieldByName("QTY")->SetAsFloat(42);
  Pump();
  // Starting the edit changes the record as a whole (no field, no columns), then QTY.
  EXPECT_EQ(seen, "grid:;grid:QTY,;");
  f.data->Cancel();
}

// While the dialog-list lock is held the lists are not filled; the last unlock fills them
// once when that was asked for meanwhile.
TEST(KwDbGridMessages, DialogListLockPostponesTheListsOnce) {
  DbGridForm f(5);
  f.Bind();
  f.Show();
  int asked = 0;
  f.grid->CheckNeedShowColumnInListEvent = [&](TkwCustomDBGrid*, TkwColumn*, TkwShowColumnType, bool&) { ++asked; };
  f.grid->LockDialogLists();
  f.grid->LockDialogLists();
  f.grid->RefreshColumnLists();
  f.grid->Columns()->Items(1)->Title()->SetCaption("名称");
  Pump();  // the columns' deferred update asks too
  f.grid->RefreshColumnLists();
  EXPECT_EQ(asked, 0);
  f.grid->UnlockDialogLists();
  EXPECT_EQ(asked, 0);
  f.grid->UnlockDialogLists();
  EXPECT_EQ(asked, 3 * 4);  // one fill: four columns in each of the three lists
  EXPECT_EQ(f.grid->FilterDialog().cbbFilter->Items()->Strings(1), "名称");
  f.grid->UnlockDialogLists();  // unbalanced: nothing
  EXPECT_EQ(f.grid->DialogListLock(), 0);
  EXPECT_EQ(asked, 12);
  Pump();
  EXPECT_EQ(asked, 12);
}

// The title font follows a parent font the grid takes; a title font set by the
// application ends ParentFont.
TEST(KwDbGridMessages, TitleFontFollowsTheParentFont) {
  DbGridForm f(5);
  f.Bind();
  f.Show();
  f.grid->SetParentFont(true);
  f.form->Font()->SetHeight(-16);
  f.form->Font()->SetName("黑体");
  Pump();
  EXPECT_EQ(f.grid->Font()->Height(), -16);
  EXPECT_EQ(f.grid->TitleFont()->Height(), -16);
  EXPECT_EQ(f.grid->TitleFont()->Name(), "黑体");
  EXPECT_TRUE(f.grid->ParentFont());
  f.grid->TitleFont()->SetHeight(-12);
  EXPECT_FALSE(f.grid->ParentFont());
  f.form->Font()->SetHeight(-20);
  EXPECT_EQ(f.grid->TitleFont()->Height(), -12);
}

}  // namespace

namespace {

// Over a column border in the titles: the sizing cursor, but the arrow at design time for
// a grid of default columns without an active link.
TEST(KwDbGridMessages, DesignTimeGridWithoutDataShowsTheArrow) {
  DbGridForm f(5);
  f.Show();
  const TRect r = f.grid->CellRect(1, 0);
  const TPoint at = f.grid->ClientToScreen(TPoint{r.Right, (r.Top + r.Bottom) / 2});
  auto cursorOver = [&] {
    ::SendMessageW(f.grid->Handle(), WM_NCHITTEST, 0, MAKELPARAM(at.X, at.Y));
    ::SendMessageW(f.grid->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(f.grid->Handle()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
  };
  const HCURSOR arrow = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  EXPECT_NE(cursorOver(), arrow);
  f.grid->SetComponentState(csDesigning, true);
  EXPECT_EQ(cursorOver(), arrow);
  f.grid->SetComponentState(csDesigning, false);
  EXPECT_NE(cursorOver(), arrow);
}

}  // namespace
