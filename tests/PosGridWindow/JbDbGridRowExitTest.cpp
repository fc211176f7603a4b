// The application's grid over 20,000 goods under Wine, by posted input: what happens to
// an edited row when the user leaves it.
// - Down on a middle row of a grid sorted by the edited column posts the record, which
//   sorts elsewhere; the focus goes to the record that was below and nothing is
//   appended. Down on the last row still appends.
// - Up after such an edit goes to the record above the edited one, and an editor left on
//   the same grid row shows the record it now stands over.
// - A move that drops a blank appended or inserted row goes on to the record it was
//   aimed at.
// - Shift+Up/Down and a Shift+click right after such an edit mark the records that were
//   shown there, the edited one with them.
// - A change rule (AMOUNT = QTY * PRICE, run when QTY changes) is applied before the
//   record is posted, whichever way the row is left: Up, Down, PgUp, PgDn, the wheel, a
//   click on another row of the same column, Ctrl+Home and Ctrl+End, the scroll bar's
//   top and bottom; and before the Insert key or a sort by a title double-click posts;
//   and when the focus leaves the grid for a button that posts the record.
// - A dataset closed between BeginUpdate and EndUpdate: no column keeps a freed field
//   for the paints before EndUpdate, the editor goes with the data, and the columns bind
//   the new fields when it opens again.
// - A write of the typed text leaves the editor showing the field's text; an edit the
//   program cancels drops the text typed and not yet written.
// - The rules of the current column run however it became current: the column the grid
//   starts on (the grid shown, the dataset opened again), a layout that moved the
//   current column; a freed field is never the calculator's current one.
// Every expected value is read from the dataset or worked out from the goods' rules.
#include <algorithm>
#include <functional>
#include <set>

#include "GoodsGridForm.h"
#include "KwGridTestSupport.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/ui/UiTest.h"
#include "ui/StdCtrls.h"

using namespace kwtest;
using namespace uitest;

namespace {

constexpr int kGoods = 20000;

// The goods with AMOUNT = QTY * PRICE.
TDataPacket GoodsWithAmount(int n) {
  TDataPacket p = GoodsPacket(n);
  p.Fields.push_back({"AMOUNT", ftFloat, 0});
  for (auto& row : p.Rows) row.push_back(Variant(row[2].AsDouble() * row[3].AsDouble()));
  return p;
}

class JbDbGridRowExit : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sForm = std::make_unique<GoodsGridForm>(1, 40 + 64 + 150 + 80 + 80 + 40 + 90 + 32);
    GoodsGridForm& f = *sForm;
    f.data->SetData(GoodsWithAmount(kGoods));
    sAmount = f.grid->Columns()->Add();
    sAmount->SetFieldName("AMOUNT");
    sAmount->Title()->SetCaption("金额");
    sAmount->SetWidth(90);
    f.Bind();
    f.Controller().GetCalculator().Rules().Add("AMOUNT = QTY * PRICE");
    f.form->Show();
    Settle();
  }
  static void TearDownTestSuite() {
    sForm.reset();
    sAmount = nullptr;
  }

  void SetUp() override {
    GoodsGridForm& f = *sForm;
    if (!f.data->Active()) f.data->SetData(GoodsWithAmount(kGoods));  // a failed case left it closed
    if (f.data->State() != dsBrowse) f.data->Cancel();
    f.Controller().ClearSorting();
    f.grid->ClearSelection();
    f.grid->SetEditorMode(false);
    f.View().First();
    f.grid->UpdateActive();
    Pump();
    Focus(f.grid);
    ASSERT_EQ(f.grid->FocusedRowIndex(), 0);
    ASSERT_EQ(f.data->RecordCount(), kGoods);
  }

  GoodsGridForm& F() { return *sForm; }
  TJbDbGrid* G() { return sForm->grid; }
  int Raw(TkwColumn* c) { return G()->DataToRawColumn(c->Index()); }
  int GridRow(int offset) { return G()->TitleOffset() + offset; }
  int Focused() { return F().Controller().FocusedRowIndex(); }
  int FocusedId() { return F().RowId(Focused()); }

  void Click(int rawCol, int gridRow) {
    const TRect r = G()->CellRect(rawCol, gridRow);
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ::PostMessageW(G()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(G()->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }
  void Type(const std::wstring& text) {
    for (wchar_t ch : text) PostChar(ch);
    Pump();
  }
  // Digits typed on the keyboard: each key goes through the loop's translation.
  void TypeKeys(const std::string& digits) {
    for (char ch : digits) PostKey(static_cast<WORD>(ch));
  }
  // The text of the editor where it is shown; "hidden" otherwise.
  std::string EditorText() {
    TInplaceEdit* e = G()->InplaceEditor();
    return G()->EditorMode() && e && e->Visible() ? std::string(e->Text()) : std::string("hidden");
  }
  // A double-click on the column's lowest title row, as the system queues it: a click,
  // then the double-click message and its button-up.
  void DoubleClickTitle(TkwColumn* c) {
    const TRect r = G()->CellRect(Raw(c), G()->TitleOffset() - 1);
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ::PostMessageW(G()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(G()->Handle(), WM_LBUTTONUP, 0, at);
    ::PostMessageW(G()->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::PostMessageW(G()->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }
  // Shows the rows around row `row` with it `offset` rows below the top one: a move up
  // puts the row reached at the top.
  void ShowRow(int row, int offset) {
    F().View().SetRecNo(std::min(row + 1 + 40, kGoods));
    F().View().SetRecNo(row + 1 - offset);
    G()->UpdateActive();
    Pump();
    F().View().SetRecNo(row + 1);
    G()->UpdateActive();
    Pump();
  }
  // The dataset's value of a field of the goods `id` (the dataset's own record).
  Variant DataSetValue(int id, const char* field) {
    for (const auto& row : F().data->Data().Rows)
      if (row[0].AsInteger() == id) {
        const int i = field == std::string("QTY") ? 3 : field == std::string("PRICE") ? 2 : 5;
        return row[static_cast<size_t>(i)];
      }
    return Variant::Null();
  }

  static inline std::unique_ptr<GoodsGridForm> sForm;
  static inline TkwColumn* sAmount = nullptr;
};

}  // namespace

// ============================================================================ Down on a sorted column

// Regression: the post sorted the edited record to the end, and the last-row test, made
// after it, appended a blank record.
TEST_F(JbDbGridRowExit, FaultDownOnAMiddleRowOfTheSortedColumnNeverAppends) {
  F().View().SortByColumn(F().qty, true);
  Pump();
  int value = 100;
  for (int row : {3, 777, 10000, 19990, 19998}) {
    SCOPED_TRACE("row " + std::to_string(row));
    ShowRow(row, 4);
    Click(Raw(F().qty), GridRow(F().View().ActiveRecord()));
    ASSERT_EQ(Focused(), row);
    const int edited = FocusedId();
    const int below = F().RowId(row + 1);
    Type(std::to_wstring(value));
    PostKey(VK_DOWN);
    EXPECT_EQ(F().data->State(), dsBrowse);
    EXPECT_EQ(F().data->RecordCount(), kGoods);
    EXPECT_EQ(F().Controller().RowCount(), kGoods);
    EXPECT_EQ(DataSetValue(edited, "QTY").AsDouble(), value);
    // The edited record went to the end; the focus is on the goods that were below it.
    EXPECT_EQ(F().RowId(kGoods - 1), edited);
    EXPECT_EQ(FocusedId(), below);
    EXPECT_EQ(F().data->FieldByName("ID")->AsInteger(), below);
    ++value;
  }
  // Down on the last row appends, as before.
  F().View().Last();
  G()->UpdateActive();
  Pump();
  PostKey(VK_DOWN);
  EXPECT_EQ(F().data->State(), dsInsert);
  PostKey(VK_ESCAPE);
  Pump();
  if (F().data->State() != dsBrowse) F().data->Cancel();
  EXPECT_EQ(F().data->RecordCount(), kGoods);
}

// Regression: a page key or a click on another row counted its distance from the row
// the post had moved the edited record to (the end of a grid sorted by the edited
// column), so the focus went to the end instead of a page below or the row clicked.
TEST_F(JbDbGridRowExit, FaultPageKeysAndClicksAfterAnEditOfTheSortedColumnGoWhereTheyWereAimed) {
  F().View().SortByColumn(F().qty, true);
  Pump();
  int value = 200;
  const int page = F().View().VisibleRowCount();
  ASSERT_GT(page, 4);
  struct Way {
    const char* name;
    int row;
    int distance;  // from the row the way started on to the row it aims at
    std::function<void()> go;
  };
  const Way ways[] = {
      {"PgDn", 500, page, [] { PostKey(VK_NEXT); }},
      {"PgUp", 9000, -page, [] { PostKey(VK_PRIOR); }},
      {"click below", 12000, 2, [this] { Click(Raw(F().qty), GridRow(F().View().ActiveRecord() + 2)); }},
      {"click above", 15000, -2, [this] { Click(Raw(F().qty), GridRow(F().View().ActiveRecord() - 2)); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    ShowRow(way.row, 4);
    Click(Raw(F().qty), GridRow(F().View().ActiveRecord()));
    ASSERT_EQ(Focused(), way.row);
    const int edited = FocusedId();
    const int aimed = F().RowId(way.row + way.distance);
    Type(std::to_wstring(value));
    way.go();
    EXPECT_EQ(F().data->State(), dsBrowse);
    EXPECT_EQ(DataSetValue(edited, "QTY").AsDouble(), value);
    EXPECT_EQ(F().RowId(kGoods - 1), edited);
    EXPECT_EQ(FocusedId(), aimed);
    EXPECT_EQ(F().data->FieldByName("ID")->AsInteger(), aimed);
    EXPECT_EQ(F().data->RecordCount(), kGoods);
    ++value;
  }
}

// Regression: Up took the row above before the post, so after an edit of the sorted
// column that sorted the edited record above it the focus went two records up; and where
// the grid row stayed (the edited row at the top of the screen, or the rows shifted under
// it) the editor went on showing the typed value over the record reached. The screen
// stays where it was.
TEST_F(JbDbGridRowExit, FaultUpAfterAnEditOfTheSortedColumnGoesToTheRecordAboveAndShowsIt) {
  int value = 850;
  for (int direction : {1, 2}) {
    for (int offset : {0, 5}) {
      SCOPED_TRACE("direction " + std::to_string(direction) + ", row " + std::to_string(offset) + " on screen");
      F().Controller().ClearSorting();
      F().View().SortByColumn(F().qty, true);
      if (direction == 2) F().View().SortByColumn(F().qty, true);
      Pump();
      const int row = 87 + 3001 * offset;
      ShowRow(row, offset);
      Click(Raw(F().qty), GridRow(F().View().ActiveRecord()));
      ASSERT_EQ(Focused(), row);
      ASSERT_EQ(F().View().ActiveRecord(), offset);
      const int edited = FocusedId();
      const int above = F().RowId(row - 1);
      TypeKeys(std::to_string(value));
      ASSERT_EQ(EditorText(), std::to_string(value));
      PostKey(VK_UP);
      // The screen stays: the record reached stands where it stood (a row lower when the
      // edited record went above it).
      const int screen = direction == 1 ? std::max(offset - 1, 0) : offset;
      const std::string editor = EditorText();
      const std::string got = "focused " + std::to_string(FocusedId()) + ", dataset " +
                              std::to_string(F().data->FieldByName("ID")->AsInteger()) + ", stored " +
                              std::to_string(static_cast<int>(DataSetValue(edited, "QTY").AsDouble())) + ", editor " +
                              editor + ", on screen " + std::to_string(F().View().ActiveRecord()) + ", " +
                              std::to_string(F().data->RecordCount());
      const std::string want = "focused " + std::to_string(above) + ", dataset " + std::to_string(above) +
                               ", stored " + std::to_string(value) + ", editor " +
                               (editor == "hidden" ? editor : std::to_string(static_cast<int>(GoodsQty(above)))) +
                               ", on screen " + std::to_string(screen) + ", " + std::to_string(kGoods);
      EXPECT_EQ(got, want);
      EXPECT_EQ(F().data->State(), dsBrowse);
      // The sorted edited record stands where its value puts it.
      EXPECT_EQ(F().RowId(direction == 1 ? kGoods - 1 : 0), edited);
      ++value;
    }
  }
}

// Regression: a move that dropped a blank row stopped there: after Down had appended a
// blank row below the last one, a click three rows up or PgUp only dropped it and left
// the focus on the last row. And a move that dropped a blank row inserted in the middle
// went to the record after the one it was aimed at.
TEST_F(JbDbGridRowExit, FaultAMoveThatDropsABlankRowGoesOnToTheRecordItWasAimedAt) {
  const int page = F().View().VisibleRowCount();
  struct Way {
    const char* name;
    int up;  // rows above the blank row aimed at
    std::function<void()> go;
  };
  const Way ways[] = {
      {"click three rows up", 3, [this] { Click(Raw(F().qty), GridRow(F().View().ActiveRecord() - 3)); }},
      {"PgUp", page, [] { PostKey(VK_PRIOR); }},
      {"Up", 1, [] { PostKey(VK_UP); }},
      {"wheel up", 1, [this] {
         POINT p{20, 60};
         ::ClientToScreen(G()->Handle(), &p);
         ::PostMessageW(G()->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)),
                        MAKELPARAM(p.x, p.y));
         Pump();
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    F().View().Last();
    G()->UpdateActive();
    Pump();
    Click(Raw(F().qty), GridRow(F().View().ActiveRecord()));
    PostKey(VK_DOWN);  // an accidental append
    ASSERT_EQ(F().data->State(), dsInsert);
    ASSERT_EQ(Focused(), kGoods);
    const int aimed = F().RowId(kGoods - way.up);
    way.go();
    EXPECT_EQ(F().data->State(), dsBrowse);
    EXPECT_EQ(F().data->RecordCount(), kGoods);
    EXPECT_EQ(F().Controller().RowCount(), kGoods);
    EXPECT_EQ(FocusedId(), aimed);
    EXPECT_EQ(F().data->FieldByName("ID")->AsInteger(), aimed);
  }
  for (int below : {3, -2}) {
    SCOPED_TRACE("Insert, then a click " + std::to_string(below) + " rows below");
    ShowRow(3000, 5);
    PostKey(VK_INSERT);
    ASSERT_EQ(F().data->State(), dsInsert);
    ASSERT_EQ(Focused(), 3000);
    // Rows below the blank one hold the records that stood a row higher before it.
    const int aimed = F().RowId(3000 + below);
    ASSERT_EQ(aimed, below > 0 ? 3000 + below : 3001 + below);
    Click(Raw(F().qty), GridRow(F().View().ActiveRecord() + below));
    EXPECT_EQ(F().data->State(), dsBrowse);
    EXPECT_EQ(F().data->RecordCount(), kGoods);
    EXPECT_EQ(FocusedId(), aimed);
    EXPECT_EQ(F().data->FieldByName("ID")->AsInteger(), aimed);
  }
}

// Regression: Shift+Up/Down and a Shift+click marked rows by their indexes after the post
// had sorted the edited record to the end: Shift+Up marked the record below the edited
// one instead of it, and a Shift+click two rows down left it out of the range and took
// the record after the range.
TEST_F(JbDbGridRowExit, FaultShiftMarksAfterAnEditOfTheSortedColumnMarkTheRecordsShown) {
  F().View().SortByColumn(F().qty, true);
  Pump();
  auto marked = [this] {
    std::set<int> ids;
    for (int i = 0; i < G()->SelectedRecs().Count(); ++i) {
      Variant v;
      F().Controller().GetFieldValue(G()->SelectedRecs().Items(i), F().id->DbField(), v);
      ids.insert(v.AsInteger());
    }
    return ids;
  };
  struct Way {
    const char* name;
    int first, last;  // the rows marked, from the edited one
    std::function<void()> go;
  };
  const Way ways[] = {
      {"Shift+Up", -1, 0, [] { PostKeyWith(VK_SHIFT, VK_UP); }},
      {"Shift+Down", 0, 1, [] { PostKeyWith(VK_SHIFT, VK_DOWN); }},
      {"Shift+click two rows down", 0, 2, [this] {
         HeldKey shift(VK_SHIFT);
         const TRect r = G()->CellRect(Raw(F().name), GridRow(F().View().ActiveRecord() + 2));
         const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
         ::PostMessageW(G()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, at);
         ::PostMessageW(G()->Handle(), WM_LBUTTONUP, MK_SHIFT, at);
         Pump();
       }},
  };
  int row = 600, value = 900;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    G()->ClearSelection();
    ShowRow(row, 5);
    Click(Raw(F().qty), GridRow(F().View().ActiveRecord()));  // a plain click marks the row
    ASSERT_EQ(Focused(), row);
    const int edited = FocusedId();
    std::set<int> want;
    for (int r = row + way.first; r <= row + way.last; ++r) want.insert(F().RowId(r));
    TypeKeys(std::to_string(value));
    way.go();
    EXPECT_EQ(F().data->State(), dsBrowse);
    EXPECT_EQ(F().RowId(kGoods - 1), edited);  // sorted to the end
    EXPECT_EQ(marked(), want);
    row += 1000;
    ++value;
  }
  G()->ClearSelection();
}

// ============================================================================ rules on leaving a row

// Regression: the rules of the edited column ran only when another column was entered;
// every vertical way out of the row stored the computed AMOUNT stale.
TEST_F(JbDbGridRowExit, FaultEveryWayOutOfARowAppliesTheRulesBeforeThePost) {
  struct Way {
    const char* name;
    std::function<void()> leave;
  };
  const Way ways[] = {
      {"Up", [] { PostKey(VK_UP); }},
      {"Down", [] { PostKey(VK_DOWN); }},
      {"PgUp", [] { PostKey(VK_PRIOR); }},
      {"PgDn", [] { PostKey(VK_NEXT); }},
      {"wheel", [this] {
         POINT p{20, 60};
         ::ClientToScreen(G()->Handle(), &p);
         ::PostMessageW(G()->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                        MAKELPARAM(p.x, p.y));
         Pump();
       }},
      {"click", [this] { Click(Raw(F().qty), GridRow(F().View().ActiveRecord() + 2)); }},
  };
  int row = 5000;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    // Goods whose AMOUNT changes with a QTY of 7 (row r holds the goods r + 1 unsorted).
    while (GoodsQty(row + 1) == 7.0 || GoodsPrice(row + 1) == 0.0) ++row;
    ShowRow(row, 6);
    // Into the QTY column from another one, as a user gets there.
    Click(Raw(F().price), GridRow(F().View().ActiveRecord()));
    Click(Raw(F().qty), GridRow(F().View().ActiveRecord()));
    ASSERT_EQ(Focused(), row);
    const int id = FocusedId();
    ASSERT_NE(GoodsQty(id), 7.0);
    ASSERT_NE(GoodsPrice(id), 0.0);
    Type(L"7");
    way.leave();
    EXPECT_EQ(F().data->State(), dsBrowse);
    EXPECT_NE(Focused(), row);
    EXPECT_EQ(DataSetValue(id, "QTY").AsDouble(), 7.0);
    EXPECT_EQ(DataSetValue(id, "AMOUNT").AsDouble(), 7.0 * GoodsPrice(id));
    EXPECT_EQ(F().RowValue(F().Controller().GetRecordRowIndex(id - 1), sAmount).AsDouble(), 7.0 * GoodsPrice(id));
    row += 97;
  }
  EXPECT_EQ(F().data->RecordCount(), kGoods);
}

// Regression: Ctrl+Home and Ctrl+End (with the editor always shown), the scroll bar's
// top and bottom, the Insert key and a title double-click that sorts while the column is
// being edited posted the edited record without its calculation rules: AMOUNT was stored
// stale.
TEST_F(JbDbGridRowExit, FaultEdgesInsertAndASortWhileEditingApplyTheRulesBeforeThePost) {
  enum Focus { kEdited, kFirst, kLast, kInserted };
  struct Way {
    const char* name;
    bool alwaysShow;
    Focus focus;
    std::function<void()> go;
  };
  auto scroll = [this](WORD code) {
    ::PostMessageW(G()->Handle(), WM_VSCROLL, code, 0);
    Pump();
  };
  const Way ways[] = {
      {"Ctrl+Home", true, kFirst, [] { PostKeyWith(VK_CONTROL, VK_HOME); }},
      {"Ctrl+End", true, kLast, [] { PostKeyWith(VK_CONTROL, VK_END); }},
      {"scroll bar top", false, kFirst, [&] { scroll(SB_TOP); }},
      {"scroll bar bottom", false, kLast, [&] { scroll(SB_BOTTOM); }},
      {"Insert", false, kInserted, [] { PostKey(VK_INSERT); }},
      {"title double-click", false, kEdited, [this] { DoubleClickTitle(F().qty); }},
  };
  const TkwDBGridOptions options = G()->Options();
  struct Restore {
    TJbDbGrid* g;
    TkwDBGridOptions o;
    ~Restore() { g->SetOptions(o); }
  } restore{G(), options};
  int row = 7000;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    G()->SetOptions(way.alwaysShow ? options | GridOption(dgAlwaysShowEditor) : options);
    while (GoodsQty(row + 1) == 7.0 || GoodsPrice(row + 1) == 0.0) ++row;
    ShowRow(row, 6);
    Click(Raw(F().price), GridRow(F().View().ActiveRecord()));
    Click(Raw(F().qty), GridRow(F().View().ActiveRecord()));
    ASSERT_EQ(Focused(), row);
    const int id = FocusedId();
    TypeKeys("7");
    ASSERT_EQ(EditorText(), "7");
    way.go();
    switch (way.focus) {
      case kEdited: EXPECT_EQ(FocusedId(), id); break;
      case kFirst: EXPECT_EQ(Focused(), 0); break;
      case kLast: EXPECT_EQ(Focused(), kGoods - 1); break;
      case kInserted:
        EXPECT_EQ(F().data->State(), dsInsert);
        EXPECT_EQ(F().data->FieldByName("ID")->IsNull(), true);
        PostKey(VK_ESCAPE);
        break;
    }
    EXPECT_EQ(F().data->State(), dsBrowse);
    EXPECT_EQ(DataSetValue(id, "QTY").AsDouble(), 7.0);
    EXPECT_EQ(DataSetValue(id, "AMOUNT").AsDouble(), 7.0 * GoodsPrice(id));
    EXPECT_EQ(F().data->RecordCount(), kGoods);
    row += 113;
  }
}

// Regression: the focus leaving the grid wrote the typed QTY but ran no rules: a button
// that saves (posts the record) stored AMOUNT stale.
TEST_F(JbDbGridRowExit, FaultLeavingTheGridForAButtonThatPostsAppliesTheRules) {
  auto* save = new TButton(F().form.get());  // owned by the form
  save->SetParent(F().form.get());
  save->SetBounds(4, F().form->ClientHeight() - 26, 60, 22);
  save->SetCaption("保存");
  save->OnClick = [this](TObject*) {
    if (F().data->State() != dsBrowse) F().data->Post();
  };
  struct Remove {
    TButton* b;
    ~Remove() { delete b; }
  } remove{save};
  int row = 4000;
  while (GoodsQty(row + 1) == 7.0 || GoodsPrice(row + 1) == 0.0) ++row;
  ShowRow(row, 6);
  Click(Raw(F().price), GridRow(F().View().ActiveRecord()));
  Click(Raw(F().qty), GridRow(F().View().ActiveRecord()));
  ASSERT_EQ(Focused(), row);
  const int id = FocusedId();
  TypeKeys("7");
  ASSERT_EQ(EditorText(), "7");
  ::PostMessageW(save->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageW(save->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(::GetFocus(), save->Handle());
  EXPECT_EQ(F().data->State(), dsBrowse);
  EXPECT_EQ(DataSetValue(id, "QTY").AsDouble(), 7.0);
  EXPECT_EQ(DataSetValue(id, "AMOUNT").AsDouble(), 7.0 * GoodsPrice(id));
}

// ============================================================================ freed fields

// Regression: the columns kept the dataset's freed fields until EndUpdate; titles and
// footers painted in between read them.
TEST_F(JbDbGridRowExit, FaultADatasetClosedInAnUpdateLeavesNoColumnOnAFreedField) {
  // Typed into the first row, which stays the grid's current row when the rows go.
  Click(Raw(F().qty), GridRow(0));
  const double qty = F().data->FieldByName("QTY")->AsFloat();
  Type(L"3");
  ASSERT_TRUE(G()->EditorMode());
  ASSERT_NE(qty, 3.0);
  const TDataPacket packet = F().data->Data();
  G()->BeginUpdate();
  F().data->Close();
  for (int i = 0; i < G()->Columns()->Count(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(G()->Columns()->Items(i)->BoundField(), nullptr);
  }
  // The editor and the text typed there went with the data.
  EXPECT_FALSE(G()->EditorMode());
  ASSERT_FALSE(G()->DataLink().Modified());  // else the click below would write it (an error box)
  // Titles and footers painted while the update lasts show the columns' own texts.
  ::RedrawWindow(G()->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(F().qty->Title()->Caption(), "数量");
  EXPECT_EQ(sAmount->Title()->Caption(), "金额");
  F().data->SetData(packet);
  G()->EndUpdate();
  Pump();
  for (int i = 0; i < G()->Columns()->Count(); ++i) {
    TkwColumn* c = G()->Columns()->Items(i);
    if (c->FieldName().empty()) continue;
    SCOPED_TRACE(c->FieldName());
    EXPECT_EQ(c->Field(), F().data->FindField(c->FieldName()));
  }
  EXPECT_EQ(F().Controller().RowCount(), kGoods);
  EXPECT_EQ(G()->GetCellValue(F().qty, 0).AsDouble(), qty);
  // A click on another row writes nothing left over.
  Click(Raw(F().qty), GridRow(3));
  EXPECT_EQ(Focused(), 3);
  EXPECT_EQ(F().data->State(), dsBrowse);
  EXPECT_EQ(DataSetValue(F().RowId(0), "QTY").AsDouble(), qty);
}

// The typed text written to the field ("-" stored as 0): the editor shows the field's
// text and nothing is left to write.
TEST_F(JbDbGridRowExit, AWrittenEditShowsTheFieldsText) {
  Click(Raw(F().qty), GridRow(8));  // the goods 9, whose QTY is 0 already
  ASSERT_EQ(FocusedId(), 9);
  ASSERT_EQ(F().data->FieldByName("QTY")->AsFloat(), 0.0);
  Type(L"-");
  ASSERT_TRUE(G()->EditorMode());
  ASSERT_EQ(G()->InplaceEditor()->Text(), "-");
  F().data->UpdateRecord();  // what a post by the program does first
  EXPECT_EQ(F().data->FieldByName("QTY")->AsFloat(), 0.0);
  EXPECT_EQ(G()->InplaceEditor()->Text(), "0");
  EXPECT_FALSE(G()->DataLink().Modified());
  F().data->Cancel();
}

// Regression: an edit the program ended (the dataset's Cancel) left the typed text in
// the editor, waiting; the next click wrote it into the record in browse mode (an error
// box) and the click went nowhere. The text goes as with Esc, and the click moves.
TEST_F(JbDbGridRowExit, FaultAnEditCancelledByTheProgramKeptItsTypedText) {
  TScriptedDialogs script;
  TDialogServiceScope scope(&script);
  ShowRow(10, 3);
  Click(Raw(F().qty), GridRow(F().View().ActiveRecord()));
  const int id = FocusedId();
  const std::string qty = std::to_string(static_cast<int>(GoodsQty(id)));
  TypeKeys("77");
  ASSERT_EQ(EditorText(), "77");
  ASSERT_EQ(F().data->State(), dsEdit);
  F().data->Cancel();
  Pump();
  std::string got = "editor " + EditorText() + ", typed text waiting " + std::to_string(G()->DataLink().Modified());
  Click(Raw(F().qty), GridRow(F().View().ActiveRecord() + 2));
  std::string boxes;
  for (const auto& asked : script.Asked()) boxes += "[" + std::string(asked.Text) + "]";
  got += ", moved " + std::to_string(Focused() - 10) + ", stored " +
         std::to_string(static_cast<int>(DataSetValue(id, "QTY").AsDouble())) + ", state " +
         std::to_string(F().data->State()) + ", boxes " + boxes;
  EXPECT_EQ(got, "editor " + qty + ", typed text waiting 0, moved 2, stored " + qty + ", state 1, boxes ");
}

// ============================================================================ the column the grid starts on

namespace {

// The goods in a grid whose first column is QTY: QTY, NAME, PRICE, AMOUNT, with the
// change rule AMOUNT = QTY * PRICE; NAME is used by no rule.
struct QtyFirstForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  std::unique_ptr<TClientDataSet> data{new TClientDataSet(nullptr)};
  std::unique_ptr<TDataSource> source{new TDataSource(nullptr)};
  TJbDbGrid* grid = nullptr;
  TkwColumn* qty = nullptr;
  TkwColumn* name = nullptr;

  QtyFirstForm() {
    data->SetData(GoodsWithAmount(kGoods));
    source->SetDataSet(data.get());
    form->SetBounds(60, 60, 520, 300);
    grid = new TJbDbGrid(form.get());  // owned by the form
    grid->SetParent(form.get());
    grid->SetBounds(4, 4, 500, 260);
    qty = Add("QTY", 80);
    name = Add("NAME", 150);
    Add("PRICE", 80);
    Add("AMOUNT", 90);
    grid->SetDataSource(source.get());
    grid->DataController()->GetCalculator().Rules().Add("AMOUNT = QTY * PRICE");
    form->Show();
    Settle();
    Focus(grid);
  }
  ~QtyFirstForm() {
    form.reset();  // the grid first: it unbinds from the source
    source.reset();
    data.reset();
  }
  QtyFirstForm(const QtyFirstForm&) = delete;
  QtyFirstForm& operator=(const QtyFirstForm&) = delete;

  TkvExpressionCalculator& Calculator() { return grid->DataController()->GetCalculator(); }
  int CurrentId() { return data->FieldByName("ID")->AsInteger(); }
  void Click(TkwColumn* c) {
    const TRect r = grid->CellRect(grid->DataToRawColumn(c->Index()), grid->Row());
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ::PostMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(grid->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }
  // The stored value of the goods `id`: QTY or AMOUNT.
  double Stored(int id, const char* field) {
    const size_t i = field == std::string("QTY") ? 3 : 5;
    for (const auto& row : data->Data().Rows)
      if (row[0].AsInteger() == id) return row[i].AsDouble();
    return -1;
  }

 private:
  TkwColumn* Add(const char* field, int width) {
    TkwColumn* c = grid->Columns()->Add();
    c->SetFieldName(field);
    c->SetWidth(width);
    return c;
  }
};

// Types a QTY of 7 into the current row (whose goods change their AMOUNT with it),
// leaves the row by Down and checks what was stored.
void TypeSevenAndGoDown(QtyFirstForm& f) {
  ASSERT_EQ(f.grid->SelectedColumn(), f.qty);
  const int id = f.CurrentId();
  ASSERT_NE(GoodsQty(id), 7.0);
  ASSERT_NE(GoodsPrice(id), 0.0);
  TypeText(L"7");
  ASSERT_TRUE(f.grid->EditorMode());
  PostKey(VK_DOWN);
  EXPECT_EQ(f.data->State(), dsBrowse);
  EXPECT_NE(f.CurrentId(), id);
  EXPECT_EQ(f.Stored(id, "QTY"), 7.0);
  EXPECT_EQ(f.Stored(id, "AMOUNT"), 7.0 * GoodsPrice(id));
}

}  // namespace

// Regression: only a column entered from another one made its field the calculator's
// current one. Typed into the column the grid was shown on, the row left by Down stored
// AMOUNT stale, and so did Tab to the next column (no rules before it) and then Down.
TEST(JbDbGridFirstColumn, FaultTheColumnTheGridIsShownOnAppliesItsRulesOnLeavingItsRowOrColumn) {
  {
    SCOPED_TRACE("Down");
    QtyFirstForm f;
    TypeSevenAndGoDown(f);
  }
  {
    SCOPED_TRACE("Tab, then Down");
    QtyFirstForm f;
    ASSERT_EQ(f.grid->SelectedColumn(), f.qty);
    const int id = f.CurrentId();
    TypeText(L"7");
    PostKey(VK_TAB);
    EXPECT_EQ(f.grid->SelectedColumn(), f.name);
    EXPECT_EQ(f.data->FieldByName("AMOUNT")->AsFloat(), 7.0 * GoodsPrice(id));
    PostKey(VK_DOWN);
    EXPECT_EQ(f.data->State(), dsBrowse);
    EXPECT_EQ(f.Stored(id, "QTY"), 7.0);
    EXPECT_EQ(f.Stored(id, "AMOUNT"), 7.0 * GoodsPrice(id));
  }
}

// Regression: the dataset closed and opened again left the calculator on the freed QTY
// field (or none), and a layout that made QTY current left it on the column before; the
// rules of QTY did not run when its row was left.
TEST(JbDbGridFirstColumn, FaultAColumnMadeCurrentByTheDataOrTheLayoutAppliesItsRules) {
  QtyFirstForm f;
  {
    SCOPED_TRACE("the dataset opened again");
    f.Click(f.name);
    f.Click(f.qty);
    ASSERT_EQ(f.Calculator().PendingField(), f.data->FieldByName("QTY"));
    const TDataPacket packet = f.data->Data();
    f.grid->BeginUpdate();
    f.data->Close();
    EXPECT_EQ(f.Calculator().PendingField(), nullptr);  // the freed field is not kept
    f.data->SetData(packet);
    f.grid->EndUpdate();
    Pump();
    TypeSevenAndGoDown(f);
  }
  {
    SCOPED_TRACE("the current column hidden");
    f.Click(f.name);
    ASSERT_EQ(f.grid->SelectedColumn(), f.name);
    f.name->SetVisible(false);
    Pump();
    TypeSevenAndGoDown(f);
    f.name->SetVisible(true);
  }
  {
    SCOPED_TRACE("a column moved into the current place");
    f.Click(f.name);
    ASSERT_EQ(f.grid->SelectedColumn(), f.name);
    f.qty->SetIndex(f.name->Index());
    Pump();
    TypeSevenAndGoDown(f);
  }
}
