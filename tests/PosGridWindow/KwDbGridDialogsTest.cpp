// The data-aware grid's dialogs opened from the grid by real posted input: a right click
// (or the context-menu key) opens the grid's menu, a posted key chooses a dialog, the
// dialog is driven by posted keys and clicks, and what it accepts lands in the grid.
#include <functional>
#include <string>

#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/fukvGridCustomColumns.h"
#include "VCLSource/source/PosGrid/fukvGridFilter.h"
#include "VCLSource/source/PosGrid/fukvGridLocate.h"

using namespace kwtest;
using namespace uitest;

namespace {

constexpr UINT WM_TEST_STEPS = WM_USER + 79;

// Runs `steps` once the dialog is up; a dialog the steps leave open is closed (mrAbort).
// Returns a flag that tells whether the dialog was shown.
std::shared_ptr<bool> WhenShown(TkwDialog& dlg, std::function<void()> steps) {
  auto shown = std::make_shared<bool>(false);
  dlg.OnShow = [&dlg](TObject*) { ::PostMessageW(dlg.Handle(), WM_TEST_STEPS, 0, 0); };
  dlg.RegisterMessageHandler(WM_TEST_STEPS, [&dlg, shown, steps = std::move(steps)](TMessage&) {
    *shown = true;
    Settle();
    steps();
    if (dlg.ModalResult() == mrNone) dlg.SetModalResult(mrAbort);
  });
  return shown;
}

void ClickOn(TWinControl* c) {
  EnsureActive();
  const LPARAM at = MAKELPARAM(c->Width() / 2, c->Height() / 2);
  ::PostMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(c->Handle(), WM_LBUTTONUP, 0, at);
  Pump();
}

// A right click on a data cell, then Down `downs` times and Enter in the menu it opens:
// all queued at once, as the system would queue them, so the menu's own loop reads the
// keys.
void ChooseFromMenu(TkwCustomDBGrid* grid, int downs) {
  EnsureActive();
  const TRect r = grid->CellRect(2, grid->TitleOffset() + 1);
  const LPARAM at = MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  const HWND h = grid->Handle();
  ::PostMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, at);
  ::PostMessageW(h, WM_RBUTTONUP, 0, at);
  for (int i = 0; i < downs; ++i) ::PostMessageW(h, WM_KEYDOWN, VK_DOWN, KeyData(VK_DOWN, false));
  ::PostMessageW(h, WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN, false));
  Pump();
}

struct DialogsForm : DbGridForm {
  explicit DialogsForm(int rows = 20) : DbGridForm(rows) {
    for (const char* f : {"ID", "NAME", "QTY", "PRICE"}) grid->Columns()->Add()->SetFieldName(f);
    Bind();
    Show();
  }
  std::string Shown() {
    std::string s;
    for (TkwColumn* c : grid->ShownColumns()) s += (s.empty() ? "" : ",") + std::string(c->FieldName());
    return s;
  }
};

}  // namespace

TEST(KwDbGridDialogs, RightClickMenuOpensTheColumnDialogWhichHidesAndShowsColumns) {
  DialogsForm f;
  TfmGridCustomColumns& dlg = f.grid->CustomColumnsDialog();
  std::string listed;
  auto shown = WhenShown(dlg, [&] {
    for (int r = 1; r < dlg.stgrdColumns->RowCount(); ++r)
      listed += std::string(dlg.stgrdColumns->Cells(1, r)) + dlg.stgrdColumns->Cells(2, r) + " ";
    Focus(dlg.stgrdColumns);
    PostKey(VK_DOWN);  // to NAME
    ClickOn(dlg.btnSwitchVisible);  // the button takes the focus
    Focus(dlg.stgrdColumns);
    PostKey(VK_DOWN);  // to QTY
    ClickOn(dlg.btnSwitchVisible);
    ClickOn(dlg.Button1);
  });
  ChooseFromMenu(f.grid, 3);
  EXPECT_TRUE(*shown);
  EXPECT_EQ(listed, "ID* NAME* QTY* PRICE* ");
  EXPECT_EQ(dlg.ModalResult(), mrOk);
  EXPECT_EQ(f.Shown(), "ID,PRICE");
  EXPECT_FALSE(f.grid->Columns()->Items(1)->Visible());

  // Shown again: NAME back, by a double click on its mark cell; Cancel changes nothing
  // the first time, OK the second.
  for (TModalResult answer : {mrCancel, mrOk}) {
    listed.clear();
    shown = WhenShown(dlg, [&] {
      for (int r = 1; r < dlg.stgrdColumns->RowCount(); ++r)
        listed += std::string(dlg.stgrdColumns->Cells(2, r)).empty() ? "-" : "*";
      const TRect rc = dlg.stgrdColumns->CellRect(2, 2);
      const LPARAM at = MAKELPARAM((rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2);
      const HWND g = dlg.stgrdColumns->Handle();
      ::PostMessageW(g, WM_LBUTTONDOWN, MK_LBUTTON, at);
      ::PostMessageW(g, WM_LBUTTONUP, 0, at);
      ::PostMessageW(g, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      ::PostMessageW(g, WM_LBUTTONUP, 0, at);
      Pump();
      ClickOn(answer == mrOk ? dlg.Button1 : dlg.Button2);
    });
    ChooseFromMenu(f.grid, 3);
    EXPECT_TRUE(*shown);
    EXPECT_EQ(listed, "*--*");
    EXPECT_EQ(f.Shown(), answer == mrOk ? "ID,NAME,PRICE" : "ID,PRICE");
  }
}

TEST(KwDbGridDialogs, RightClickMenuOpensTheFilterDialogWhoseRangeFiltersTheRows) {
  DialogsForm f(20);
  TfmGridFilter& dlg = f.grid->FilterDialog();
  std::string columns;
  auto shown = WhenShown(dlg, [&] {
    TStrings* items = dlg.cbbFilter->Items();
    for (int i = 0; i < items->Count(); ++i) columns += std::string(items->Strings(i)) + " ";
    Focus(dlg.cbbFilter);
    PostKey(VK_DOWN);
    PostKey(VK_DOWN);  // QTY: the numeric panel
    Focus(dlg.edtMin);
    TypeText(L"5");
    Focus(dlg.edtMax);
    TypeText(L"6");
    PostKey(VK_RETURN);
  });
  ChooseFromMenu(f.grid, 2);
  EXPECT_TRUE(*shown);
  EXPECT_EQ(columns, "ID NAME QTY PRICE ");
  EXPECT_EQ(dlg.ModalResult(), mrOk);
  EXPECT_TRUE(dlg.pnlNumericCondition->Visible());
  // QTY = i % 7 for i = 1..20: 5, 6, 12, 13, 19, 20.
  TkvCustomDbDataController* c = f.grid->DataController();
  ASSERT_EQ(c->RowCount(), 6);
  std::string ids;
  for (int r = 0; r < c->RowCount(); ++r) {
    Variant v;
    c->GetRowValue(r, f.grid->Columns()->Items(0)->DbField(), v);
    ids += std::string(VarToStr(v)) + " ";
  }
  EXPECT_EQ(ids, "5 6 12 13 19 20 ");

  // Cancel all filters, from the menu again.
  shown = WhenShown(dlg, [&] {
    ClickOn(dlg.rgFilterRange->Buttons(2));
    ClickOn(dlg.btnFilter);
  });
  ChooseFromMenu(f.grid, 2);
  EXPECT_TRUE(*shown);
  EXPECT_EQ(c->RowCount(), 20);
}

TEST(KwDbGridDialogs, WithoutFilteringTheMenuHasNoFilterItem) {
  DialogsForm f;
  f.grid->SetOptions(f.grid->Options() | GridOption(dgDisFilter));
  auto filterShown = WhenShown(f.grid->FilterDialog(), [] {});
  auto columnsShown = WhenShown(f.grid->CustomColumnsDialog(), [] {});
  ChooseFromMenu(f.grid, 2);  // the second item is now the column dialog
  EXPECT_FALSE(*filterShown);
  EXPECT_TRUE(*columnsShown);
}

TEST(KwDbGridDialogs, TheFirstItemIsTheLocateDialog) {
  DialogsForm f;
  TfmGridLocate& dlg = f.grid->LocateDialog();
  auto shown = WhenShown(dlg, [&] {
    Focus(dlg.edtLocate);
    TypeText(L"15");
    PostKey(VK_RETURN);
  });
  ChooseFromMenu(f.grid, 1);
  EXPECT_TRUE(*shown);
  EXPECT_EQ(f.Focused(), 14);
}

TEST(KwDbGridDialogs, TheContextMenuKeyOpensTheMenuAndAHandledPopupEventOpensNone) {
  DialogsForm f;
  auto columnsShown = WhenShown(f.grid->CustomColumnsDialog(), [] {});
  EnsureActive();
  const HWND h = f.grid->Handle();
  ::PostMessageW(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), -1);
  for (int i = 0; i < 3; ++i) ::PostMessageW(h, WM_KEYDOWN, VK_DOWN, KeyData(VK_DOWN, false));
  ::PostMessageW(h, WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN, false));
  Pump();
  EXPECT_TRUE(*columnsShown);

  *columnsShown = false;
  int popups = 0;
  f.grid->OnContextPopup = [&](TObject*, TPoint, bool& handled) {
    ++popups;
    handled = true;
  };
  ChooseFromMenu(f.grid, 3);
  EXPECT_EQ(popups, 1);
  EXPECT_FALSE(*columnsShown);
}

// The list event tells each dialog's list apart, so a column can be kept out of the filter
// dialog only; columns with children or gcoConfigNoVisible are never listed.
TEST(KwDbGridDialogs, TheListEventNamesTheDialogItFills) {
  DialogsForm f;
  TkwColumn* qty = f.grid->Columns()->Items(2);
  TkwColumn* price = f.grid->Columns()->Items(3);
  price->SetColumnOptions(price->ColumnOptions() | ColumnOption(gcoConfigNoVisible));
  std::string asked;
  f.grid->CheckNeedShowColumnInListEvent = [&](TkwCustomDBGrid*, TkwColumn* c, TkwShowColumnType type,
                                               bool& show) {
    asked += std::string(c->FieldName()) + (type == sctFilter ? "F " : type == sctCustom ? "C " : "L ");
    if (c == qty && type == sctFilter) show = false;
  };
  f.grid->RefreshColumnLists();
  EXPECT_EQ(asked, "IDL NAMEL QTYL IDF NAMEF QTYF IDC NAMEC QTYC ");
  TfmGridFilter& filter = f.grid->FilterDialog();
  ASSERT_EQ(filter.cbbFilter->Items()->Count(), 2);
  EXPECT_EQ(filter.cbbFilter->Items()->Strings(1), "NAME");
  EXPECT_EQ(filter.cbbFilter->ItemIndex(), 0);
  TStringGrid* rows = f.grid->CustomColumnsDialog().stgrdColumns;
  ASSERT_EQ(rows->RowCount(), 4);
  EXPECT_EQ(rows->FixedRows(), 1);
  EXPECT_EQ(rows->Cells(1, 3), "QTY");
  EXPECT_EQ(f.grid->CustomColumnsDialog().VisibleCount, 3);
}
