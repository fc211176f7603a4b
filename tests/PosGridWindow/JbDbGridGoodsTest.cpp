// The application's grid over 100,000 goods under Wine, driven by posted input only:
// title double-clicks sort and reverse (the sort mark drawn), Ctrl and Shift clicks and
// Shift+Down mark rows, Alt+Delete with the real confirmation box (answered by a posted
// click on its button) removes exactly the marked records, a typed quantity reaches the
// dataset and the footer sum, the locate dialog searches by typed text and F3 goes on to
// the next match, check-box clicks toggle the dataset's value. Every expected answer is
// worked out from the goods' generating rules or the dataset, not from the grid.
//
// The cases share one form (loading 100,000 goods is the slow part) and reset the sort,
// the marks and the focus before each case. Mouse messages are posted in pairs (down and
// up) before the queue is pumped, so the real pointer is never read between them.
#include <algorithm>
#include <functional>
#include <map>

#include "GoodsGridForm.h"
#include "KwGridTestSupport.h"
#include "MessageBoxAnswer.h"
#include "VCLSource/source/PosGrid/fukvGridLocate.h"
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowFinder.h"
#include "tests/ui/UiTest.h"

using namespace kwtest;
using namespace uitest;

namespace {

constexpr int kGoods = 100000;
constexpr UINT WM_TEST_STEPS = WM_USER + 77;

// The dataset's records as it holds them, by ID (read from its data, so the dataset does
// not move and the grid's focus stays where it is).
class DataSetSnapshot {
 public:
  explicit DataSetSnapshot(TClientDataSet& ds) : FPacket(ds.Data()) {
    for (size_t i = 0; i < FPacket.Rows.size(); ++i) FById[FPacket.Rows[i][0].AsInteger()] = i;
  }
  int Count() const { return static_cast<int>(FPacket.Rows.size()); }
  bool Has(int id) const { return FById.count(id) != 0; }
  // Fields: 0 ID, 1 NAME, 2 PRICE, 3 QTY, 4 CHK. Null when the goods are gone.
  Variant Value(int id, int field) const {
    const auto it = FById.find(id);
    return it == FById.end() ? Variant::Null() : FPacket.Rows[it->second][static_cast<size_t>(field)];
  }
  double Sum(int field) const {
    double s = 0;
    for (const auto& row : FPacket.Rows) s += row[static_cast<size_t>(field)].AsDouble();
    return s;
  }

 private:
  TDataPacket FPacket;
  std::map<int, size_t> FById;
};
enum { kId, kName, kPrice, kQty, kChk };

std::string Joined(const std::vector<int>& v) {
  std::string s;
  for (int x : v) s += (s.empty() ? "" : ",") + std::to_string(x);
  return s;
}

class JbDbGridGoods : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sForm = std::make_unique<GoodsGridForm>(kGoods);
    sForm->Bind();
    sForm->form->Show();
    Settle();
  }
  static void TearDownTestSuite() { sForm.reset(); }

  void SetUp() override {
    GoodsGridForm& f = *sForm;
    if (f.data->State() != dsBrowse) f.data->Cancel();
    f.Controller().ClearSorting();
    f.grid->ClearSelection();
    f.grid->SetEditorMode(false);
    f.grid->SetLeftCol(f.grid->FixedCols());
    f.View().First();
    f.grid->UpdateActive();
    Pump();
    Focus(f.grid);
    ASSERT_EQ(f.grid->FocusedRowIndex(), 0);
  }

  GoodsGridForm& F() { return *sForm; }
  TJbDbGrid* G() { return sForm->grid; }
  int Raw(TkwColumn* c) { return G()->DataToRawColumn(c->Index()); }
  // The grid row of the view's row `offset` below the top one.
  int GridRow(int offset) { return G()->TitleOffset() + offset; }

  void Click(int rawCol, int gridRow, WPARAM keys = 0) {
    const TRect r = G()->CellRect(rawCol, gridRow);
    const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ::PostMessageW(G()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    ::PostMessageW(G()->Handle(), WM_LBUTTONUP, keys, at);
    Pump();
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
  // The IDs of the marked records, ascending.
  std::vector<int> MarkedIds() {
    std::vector<int> ids;
    TkwSelectedRecs& recs = G()->SelectedRecs();
    for (int i = 0; i < recs.Count(); ++i) {
      Variant v;
      F().Controller().GetFieldValue(recs.Items(i), F().id->DbField(), v);
      ids.push_back(v.AsInteger());
    }
    std::sort(ids.begin(), ids.end());
    return ids;
  }
  Variant DataSetValue(int id, int field) { return DataSetSnapshot(*F().data).Value(id, field); }
  // The pixels of the sort glyph's place in a column's title, as a string of 0/1 (1 for
  // the glyph's dark red).
  std::string SortGlyph(TkwColumn* c) {
    ::UpdateWindow(G()->Handle());
    TBitmap shot;
    RenderControl(G(), shot, false);
    const TRect t = G()->CellRect(Raw(c), G()->TitleOffset() - 1);
    std::string s;
    for (int y = (t.Top + t.Bottom) / 2 - 5; y < (t.Top + t.Bottom) / 2 + 5; ++y)
      for (int x = t.Right - 15; x < t.Right - 5; ++x) s += shot.PixelRGB(x, y) == 0x000080u ? '1' : '0';
    return s;
  }
  // Whether the controller's rows go by PRICE in the direction (1 up, 2 down), equal
  // prices in the records' order (ascending IDs); the first row out of order, else -1.
  int FirstRowOutOfPriceOrder(int direction) {
    TkvCustomDbDataController& c = F().Controller();
    for (int r = 1; r < c.RowCount(); ++r) {
      const double a = F().RowValue(r - 1, F().price).AsDouble(), b = F().RowValue(r, F().price).AsDouble();
      const bool ordered = direction == 1 ? a < b : a > b;
      if (!ordered && !(a == b && F().RowId(r - 1) < F().RowId(r))) return r;
    }
    return -1;
  }
  // The grid's current row shows the data controller's focused row.
  void ExpectGridOnFocusedRow() {
    EXPECT_EQ(G()->Row(), G()->TitleOffset() + F().View().ActiveRecord());
    EXPECT_EQ(F().View().RecNo() - 1, F().Controller().FocusedRowIndex());
  }

  static inline std::unique_ptr<GoodsGridForm> sForm;
};

}  // namespace

// ============================================================================ sorting

TEST_F(JbDbGridGoods, TitleDoubleClickSortsAndASecondReverses) {
  TkvCustomDbDataController& c = F().Controller();
  EXPECT_EQ(c.RowCount(), F().data->RecordCount());
  EXPECT_EQ(SortGlyph(F().price), std::string(100, '0'));
  // Focus the goods 77 first: the focus follows the record through the sorts.
  F().View().SetRecNo(77);
  G()->UpdateActive();
  Pump();
  ASSERT_EQ(F().RowId(c.FocusedRowIndex()), 77);

  DoubleClickTitle(F().price);
  EXPECT_EQ(c.Info().SortingFields().GetDirection(F().price->DbField()), 1);
  EXPECT_EQ(FirstRowOutOfPriceOrder(1), -1);
  const std::string up = SortGlyph(F().price);
  EXPECT_GT(std::count(up.begin(), up.end(), '1'), 10) << up;
  EXPECT_EQ(F().RowId(c.FocusedRowIndex()), 77);
  ExpectGridOnFocusedRow();

  DoubleClickTitle(F().price);
  EXPECT_EQ(c.Info().SortingFields().GetDirection(F().price->DbField()), 2);
  EXPECT_EQ(FirstRowOutOfPriceOrder(2), -1);
  const std::string down = SortGlyph(F().price);
  EXPECT_GT(std::count(down.begin(), down.end(), '1'), 10) << down;
  EXPECT_NE(up, down);
  EXPECT_EQ(F().RowId(c.FocusedRowIndex()), 77);
  ExpectGridOnFocusedRow();
  EXPECT_EQ(F().data->FieldByName("ID")->AsInteger(), 77);

  // Another title takes the sort over: the price mark goes.
  DoubleClickTitle(F().name);
  EXPECT_EQ(c.Info().SortingFields().Count(), 1);
  EXPECT_EQ(SortGlyph(F().price), std::string(100, '0'));
}

// ============================================================================ marking and deleting

TEST_F(JbDbGridGoods, ClicksAndShiftKeysMarkRowsAndAltDeleteRemovesExactlyThem) {
  TkvCustomDbDataController& c = F().Controller();
  F().View().SortByColumn(F().price, true);
  F().View().SortByColumn(F().price, true);  // descending: rows and records differ
  F().View().SetRecNo(50001);
  G()->UpdateActive();
  Pump();
  const int top = F().View().TopRecord();
  auto idAt = [&](int offset) { return F().RowId(top + offset); };
  const int idCol = Raw(F().id);  // read-only: clicks there open no editor

  Click(idCol, GridRow(2));
  EXPECT_EQ(Joined(MarkedIds()), std::to_string(idAt(2)));
  Click(idCol, GridRow(5), MK_SHIFT);  // rows 2..5
  Click(idCol, GridRow(4), MK_CONTROL);  // unmarks 4
  Click(idCol, GridRow(8), MK_CONTROL);
  {  // Shift+Down marks the row left and the rows reached
    HeldKey shift(VK_SHIFT);
    PostKey(VK_DOWN);
    PostKey(VK_DOWN);
  }
  std::vector<int> want = {idAt(2), idAt(3), idAt(5), idAt(8), idAt(9), idAt(10)};
  std::sort(want.begin(), want.end());
  ASSERT_EQ(Joined(MarkedIds()), Joined(want));
  EXPECT_EQ(c.FocusedRowIndex(), top + 10);
  ASSERT_EQ(::GetFocus(), G()->Handle());

  // No: nothing goes.
  {
    MessageBoxAnswer no(IDNO);
    HeldKey alt(VK_MENU);
    PostAltKey(VK_DELETE);
    EXPECT_EQ(no.Seen, "提示|是否要删除选择的记录？");
    EXPECT_FALSE(no.ClickMissed);
  }
  EXPECT_EQ(F().data->RecordCount(), kGoods);
  EXPECT_EQ(MarkedIds().size(), want.size());
  // Yes: exactly the marked goods go, whatever their places in the records.
  EnsureActive();
  {
    MessageBoxAnswer yes(IDYES);
    HeldKey alt(VK_MENU);
    PostAltKey(VK_DELETE);
    EXPECT_EQ(yes.Seen, "提示|是否要删除选择的记录？");
    EXPECT_FALSE(yes.ClickMissed);
  }
  const DataSetSnapshot after(*F().data);
  EXPECT_EQ(after.Count(), kGoods - static_cast<int>(want.size()));
  for (int id : want) EXPECT_FALSE(after.Has(id)) << id;
  for (int id : {1, idAt(1), idAt(4), idAt(6), idAt(7), idAt(11), kGoods}) EXPECT_TRUE(after.Has(id)) << id;
  EXPECT_EQ(c.RowCount(), F().data->RecordCount());
  EXPECT_EQ(G()->SelectedRecs().Count(), 0);
  EXPECT_EQ(FirstRowOutOfPriceOrder(2), -1);
  ExpectGridOnFocusedRow();
}

// ============================================================================ editing

TEST_F(JbDbGridGoods, TypedQuantityReachesTheDatasetAndTheFooterSum) {
  // The footer's sum against the dataset's own records.
  const double sum = DataSetSnapshot(*F().data).Sum(kQty);
  const Variant footer = G()->GetCellValue(F().qty, -1);
  ASSERT_EQ(footer.AsDouble(), sum);

  Click(Raw(F().qty), GridRow(3));
  const int id = F().RowId(F().Controller().FocusedRowIndex());
  ASSERT_EQ(id, F().RowId(3));
  const double old = GoodsQty(id);
  for (wchar_t ch : std::wstring(L"1000")) PostChar(ch);
  PostKey(VK_DOWN);
  EXPECT_EQ(F().data->State(), dsBrowse);
  EXPECT_EQ(F().Controller().FocusedRowIndex(), 4);
  EXPECT_EQ(DataSetValue(id, kQty).AsDouble(), 1000.0);
  EXPECT_EQ(G()->GetCellValue(F().qty, -1).AsDouble(), sum - old + 1000);
  // What the footer shows is that sum.
  const AnsiString shown = F().qty->FooterDisplayText();
  EXPECT_NE(shown.find(std::to_string(static_cast<long long>(sum - old + 1000)).c_str()), std::string::npos) << shown;
}

// A click writes the toggled value to the field of the row's record; the record is posted
// when the focus leaves its row.
TEST_F(JbDbGridGoods, CheckBoxClicksToggleTheValueInTheDataset) {
  F().View().SortByColumn(F().name, true);
  Pump();
  const int first = F().RowId(1), second = F().RowId(6);
  const int firstBefore = GoodsChecked(first), secondBefore = GoodsChecked(second);
  TClientDataSet& ds = *F().data;
  auto current = [&] {
    return std::to_string(ds.FieldByName("ID")->AsInteger()) + ":" + std::to_string(ds.FieldByName("CHK")->AsInteger());
  };
  Click(Raw(F().chk), GridRow(1));
  EXPECT_EQ(current(), std::to_string(first) + ":" + std::to_string(1 - firstBefore));
  EXPECT_EQ(F().RowValue(1, F().chk).AsInteger(), 1 - firstBefore);
  Click(Raw(F().chk), GridRow(6));
  EXPECT_EQ(DataSetValue(first, kChk).AsInteger(), 1 - firstBefore);  // posted on leaving
  EXPECT_EQ(current(), std::to_string(second) + ":" + std::to_string(1 - secondBefore));
  Click(Raw(F().chk), GridRow(1));  // back again
  EXPECT_EQ(current(), std::to_string(first) + ":" + std::to_string(firstBefore));
  PostKey(VK_DOWN);
  EXPECT_EQ(ds.State(), dsBrowse);
  const DataSetSnapshot after(*F().data);
  EXPECT_EQ(after.Value(first, kChk).AsInteger(), firstBefore);
  EXPECT_EQ(after.Value(second, kChk).AsInteger(), 1 - secondBefore);
  EXPECT_EQ(F().RowValue(1, F().chk).AsInteger(), firstBefore);
  EXPECT_EQ(F().RowValue(6, F().chk).AsInteger(), 1 - secondBefore);
  EXPECT_EQ(after.Count(), F().Controller().RowCount());
}

// ============================================================================ locating

// The first F3 of a grid opens the locate dialog; after a search there F3 finds the next
// match directly. Upper and lower case of GBK's full-width letters match each other.
TEST_F(JbDbGridGoods, TypedLocateTextFindsTheFirstMatchAndF3TheNext) {
  TkvCustomDbDataController& c = F().Controller();
  F().View().SortByColumn(F().price, true);  // the matches lie scattered over the rows
  F().View().First();
  Pump();
  ASSERT_TRUE(G()->LocateFirst());
  // Goods whose name starts with ａｂ0001 in either case: words 3 and 4, numbers 10..19
  // and 100..199.
  const AnsiString prefix = AnsiUpperCase("ａｂ0001");
  std::vector<int> matches;  // row indexes, in row order
  for (int r = 0; r < c.RowCount(); ++r) {
    const std::string n = GoodsName(F().RowId(r));
    if (AnsiUpperCase(n.substr(0, prefix.size())) == prefix) matches.push_back(r);
  }
  ASSERT_GT(matches.size(), 20u);

  TfmGridLocate& dlg = G()->LocateDialog();
  bool shown = false;
  dlg.OnShow = [&](TObject*) { ::PostMessageW(dlg.Handle(), WM_TEST_STEPS, 0, 0); };
  dlg.RegisterMessageHandler(WM_TEST_STEPS, [&](TMessage&) {
    shown = true;
    Settle();
    Focus(dlg.cbbLocate);
    PostKey(VK_HOME);
    PostKey(VK_DOWN);  // 名称
    PostKey(VK_TAB);
    TypeText(L"ａｂ0001");
    PostKey(VK_RETURN);  // Find
    if (dlg.ModalResult() == mrNone) dlg.SetModalResult(mrCancel);  // never left open
  });
  PostKey(VK_F3);
  ASSERT_TRUE(shown);
  EXPECT_EQ(dlg.cbbLocate->ItemIndex(), 1);
  EXPECT_FALSE(G()->LocateFirst());
  EnsureActive();
  EXPECT_EQ(c.FocusedRowIndex(), matches[0]);
  EXPECT_EQ(G()->SelectedIndex(), F().name->Index());
  ExpectGridOnFocusedRow();

  std::vector<int> found = {c.FocusedRowIndex()};
  for (size_t i = 1; i < matches.size() + 1; ++i) {
    PostKey(VK_F3);
    if (c.FocusedRowIndex() == found.back()) break;  // no further match: the focus stays
    found.push_back(c.FocusedRowIndex());
  }
  EXPECT_EQ(Joined(found), Joined(matches));
  EXPECT_EQ(F().data->FieldByName("ID")->AsInteger(), F().RowId(matches.back()));
  ExpectGridOnFocusedRow();
  // The dialog came once.
  EXPECT_FALSE(::IsWindowVisible(dlg.Handle()));
}

// ============================================================================ the scroll bar

namespace {
// Counts the frame recalculations of one window (a scroll bar shown or hidden) sent to
// it on this thread while it lives.
class FrameChanges {
 public:
  explicit FrameChanges(HWND h) {
    sWindow = h;
    sCount = 0;
    FHook = ::SetWindowsHookExW(WH_CALLWNDPROC, &Hook, nullptr, ::GetCurrentThreadId());
  }
  ~FrameChanges() { ::UnhookWindowsHookEx(FHook); }
  FrameChanges(const FrameChanges&) = delete;
  FrameChanges& operator=(const FrameChanges&) = delete;
  int Count() const { return sCount; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM w, LPARAM l) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(l);
    if (code == HC_ACTION && m->hwnd == sWindow && m->message == WM_NCCALCSIZE) ++sCount;
    return ::CallNextHookEx(nullptr, code, w, l);
  }
  static inline HWND sWindow = nullptr;
  static inline int sCount = 0;
  HHOOK FHook;
};
}  // namespace

// Regression: every row count update (each move of the focus, each sort) showed and hid
// the vertical bar again, the base grid's range of its own rows against the rows' range,
// each time recalculating the window's frame (a third of a title-click sort's time).
TEST_F(JbDbGridGoods, FaultRowMovesAndSortsLeaveTheScrollBarAlone) {
  SCROLLINFO before{sizeof(SCROLLINFO), SIF_ALL};
  ::GetScrollInfo(G()->Handle(), SB_VERT, &before);
  FrameChanges frames(G()->Handle());
  PostKey(VK_DOWN);
  PostKey(VK_NEXT);
  DoubleClickTitle(F().name);
  EXPECT_EQ(frames.Count(), 0);
  SCROLLINFO after{sizeof(SCROLLINFO), SIF_ALL};
  ::GetScrollInfo(G()->Handle(), SB_VERT, &after);
  EXPECT_EQ(before.nMin, 1);
  EXPECT_EQ(after.nMax, before.nMax);
  EXPECT_EQ(after.nPage, before.nPage);
  EXPECT_EQ(after.nPos, F().View().RecNo());
}

// ============================================================================ the picture

TEST_F(JbDbGridGoods, PictureOfSortedMarkedRowsWithTheFooter) {
  DoubleClickTitle(F().price);
  DoubleClickTitle(F().price);
  F().View().SetRecNo(99001);
  G()->UpdateActive();
  Pump();
  // Clicks on the indicator, as a user marks whole rows.
  Click(0, GridRow(2));
  Click(0, GridRow(4), MK_SHIFT);
  Click(0, GridRow(7), MK_CONTROL);
  ASSERT_EQ(MarkedIds().size(), 4u);
  ::UpdateWindow(G()->Handle());
  TBitmap shot;
  RenderControl(G(), shot, false);
  auto back = [&](int gridRow) {
    const TRect r = G()->CellRect(Raw(F().price), gridRow);
    return shot.PixelRGB(r.Right - 3, r.Bottom - 3);
  };
  EXPECT_EQ(back(GridRow(2)), Rgb(clHighlight));
  EXPECT_EQ(back(GridRow(3)), Rgb(clHighlight));
  EXPECT_EQ(back(GridRow(7)), Rgb(clHighlight));
  // Unmarked rows in two colours by their row number.
  const uint32_t a = back(GridRow(5)), b = back(GridRow(6));
  EXPECT_NE(a, b);
  EXPECT_TRUE((a == 0xF7F7F7u && b == 0xFFFFFFu) || (a == 0xFFFFFFu && b == 0xF7F7F7u)) << std::hex << a << " " << b;
  SaveScreenshot(F().form.get(), std::string("Z:") + POS_BINARY_DIR + "/dbgrid-100k.png");
}
