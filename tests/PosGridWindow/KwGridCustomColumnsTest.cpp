// The grid's column dialog by posted keys and clicks: switching a row's mark, the last
// visible column kept, the header row and unswitchable rows left alone, the modal
// results, and the painter's row colours and multi-line cells.
#include <functional>

#include "VCLSource/source/PosGrid/fukvGridCustomColumns.h"
#include "tests/support/Screenshot.h"
#include "tests/ui/UiTest.h"

using namespace uitest;

namespace {

constexpr UINT WM_TEST_STEPS = WM_USER + 78;

// Any non-null pointer stands for a column: the dialog never calls it.
IkwColumn* ColumnAt(int i) { return reinterpret_cast<IkwColumn*>(static_cast<intptr_t>(0x1000 + i * 16)); }

// A dialog filled as the grid fills it: rows 1..3 are columns, 1 and 3 visible; row 4 may
// not be switched.
struct ColumnsForm {
  std::unique_ptr<TfmGridCustomColumns> dlg{CreateForm<TfmGridCustomColumns>(nullptr)};
  TStringGrid* g = dlg->stgrdColumns;
  ColumnsForm() {
    g->SetRowCount(5);
    const char* names[] = {"编号", "名称", "数量", "备注"};
    for (int r = 1; r <= 4; ++r) {
      g->SetCells(0, r, std::to_string(r));
      g->SetCells(1, r, names[r - 1]);
      dlg->SetRowData(r, r == 4 ? nullptr : ColumnAt(r), r % 2 ? clWindow : clInfoBk);
    }
    g->SetCells(2, 1, "*");
    g->SetCells(2, 3, "*");
    dlg->VisibleCount = 2;
  }
  void Show() {
    dlg->Show();
    Settle();
  }
  std::string Marks() const {
    std::string s;
    for (int r = 1; r <= 4; ++r) s += g->Cells(2, r).empty() ? "-" : g->Cells(2, r);
    return s;
  }
  POINT CellCenter(int c, int r) {
    const TRect rc = g->CellRect(c, r);
    return {(rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2};
  }
  void DoubleClick(int c, int r) {
    EnsureActive();
    const POINT p = CellCenter(c, r);
    const LPARAM at = MAKELPARAM(p.x, p.y);
    ::PostMessageW(g->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(g->Handle(), WM_LBUTTONUP, 0, at);
    ::PostMessageW(g->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::PostMessageW(g->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }
};

void ClickOn(TWinControl* c) {
  EnsureActive();
  const LPARAM at = MAKELPARAM(c->Width() / 2, c->Height() / 2);
  ::PostMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(c->Handle(), WM_LBUTTONUP, 0, at);
  Pump();
}

}  // namespace

TEST(KwGridCustomColumns, LayoutAndHeader) {
  ColumnsForm f;
  EXPECT_EQ(f.dlg->Caption(), "列调整");
  EXPECT_EQ(f.dlg->Width(), 508);
  EXPECT_EQ(f.dlg->Height(), 247);
  EXPECT_EQ(f.dlg->BorderStyle(), bsDialog);
  EXPECT_EQ(f.g->ColCount(), 3);
  EXPECT_EQ(f.g->ColWidths(0), 64);
  EXPECT_EQ(f.g->ColWidths(1), 204);
  EXPECT_EQ(f.g->ColWidths(2), 87);
  EXPECT_EQ(f.g->Cells(0, 0), "行号");
  EXPECT_EQ(f.g->Cells(1, 0), "列名");
  EXPECT_EQ(f.g->Cells(2, 0), "是否显示");
  EXPECT_EQ(f.dlg->btnSwitchVisible->Caption(), "显示切换");
  EXPECT_EQ(f.dlg->Button1->Caption(), "确定");
  EXPECT_EQ(f.dlg->Button2->Caption(), "取消");
}

TEST(KwGridCustomColumns, SwitchButtonTogglesTheCurrentRowAndKeepsTheLastVisibleColumn) {
  ColumnsForm f;
  f.Show();
  Focus(f.g);
  ASSERT_EQ(f.g->Row(), 1);
  PostKey(VK_DOWN);  // row 2, hidden
  ClickOn(f.dlg->btnSwitchVisible);
  EXPECT_EQ(f.Marks(), "***-");
  EXPECT_EQ(f.dlg->VisibleCount, 3);
  ClickOn(f.dlg->btnSwitchVisible);
  EXPECT_EQ(f.Marks(), "*-*-");
  EXPECT_EQ(f.dlg->VisibleCount, 2);
  // Hide 1, then 3 is the last one and stays.
  Focus(f.g);
  PostKey(VK_UP);
  ClickOn(f.dlg->btnSwitchVisible);
  EXPECT_EQ(f.Marks(), "--*-");
  Focus(f.g);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  ASSERT_EQ(f.g->Row(), 3);
  ClickOn(f.dlg->btnSwitchVisible);
  EXPECT_EQ(f.Marks(), "--*-");
  EXPECT_EQ(f.dlg->VisibleCount, 1);
  // A row without a column is never switched.
  Focus(f.g);
  PostKey(VK_DOWN);
  ClickOn(f.dlg->btnSwitchVisible);
  EXPECT_EQ(f.Marks(), "--*-");
  EXPECT_EQ(f.dlg->VisibleCount, 1);
}

TEST(KwGridCustomColumns, DoubleClickTogglesOnlyOnTheThirdColumn) {
  ColumnsForm f;
  f.Show();
  f.DoubleClick(1, 2);
  EXPECT_EQ(f.g->Row(), 2);
  EXPECT_EQ(f.Marks(), "*-*-");
  f.DoubleClick(2, 2);
  EXPECT_EQ(f.Marks(), "***-");
  EXPECT_EQ(f.dlg->VisibleCount, 3);
  f.DoubleClick(2, 2);
  EXPECT_EQ(f.Marks(), "*-*-");
  EXPECT_EQ(f.dlg->VisibleCount, 2);
}

TEST(KwGridCustomColumns, TheHeaderRowIsNeverToggled) {
  ColumnsForm f;
  f.dlg->SetRowData(0, ColumnAt(0), clWindow);
  f.dlg->ToggleRow(0);
  f.dlg->ToggleRow(5);   // beyond the rows
  f.dlg->ToggleRow(-1);
  EXPECT_EQ(f.g->Cells(2, 0), "是否显示");
  EXPECT_EQ(f.Marks(), "*-*-");
  EXPECT_EQ(f.dlg->VisibleCount, 2);
}

TEST(KwGridCustomColumns, OkAndCancelEndTheModalLoop) {
  for (const bool ok : {true, false}) {
    ColumnsForm f;
    f.dlg->OnShow = [&](TObject*) { ::PostMessageW(f.dlg->Handle(), WM_TEST_STEPS, 0, 0); };
    f.dlg->RegisterMessageHandler(WM_TEST_STEPS, [&](TMessage&) {
      Settle();
      f.DoubleClick(2, 2);
      ClickOn(ok ? f.dlg->Button1 : f.dlg->Button2);
      if (f.dlg->ModalResult() == mrNone) f.dlg->SetModalResult(mrAbort);
    });
    EXPECT_EQ(f.dlg->ShowModal(), ok ? mrOk : mrCancel);
    EXPECT_EQ(f.Marks(), "***-");  // the owner decides what to do with the marks
  }
}

TEST(KwGridCustomColumns, CellTextSplitsAtCrWithOneFollowingLfDropped) {
  using V = std::vector<AnsiString>;
  EXPECT_EQ(kwCellTextLines(""), V{""});
  EXPECT_EQ(kwCellTextLines("数量"), V{"数量"});
  EXPECT_EQ(kwCellTextLines("甲\r\n乙"), (V{"甲", "乙"}));
  EXPECT_EQ(kwCellTextLines("a\r\n\nb\rc\r"), (V{"a", "\nb", "c", ""}));
  EXPECT_EQ(kwCellTextLines("a\nb"), V{"a\nb"});
}

TEST(KwGridCustomColumns, PainterUsesTheRowColourAndDrawsTheSecondLineOneTextHeightLower) {
  ColumnsForm f;
  f.g->SetRowHeights(2, 44);
  f.g->SetCells(1, 2, "甲乙\r\n丙丁");
  f.Show();
  TBitmap shot;
  RenderControl(f.g, shot, false);
  const TRect rc = f.g->CellRect(1, 2);
  TBitmap measure;
  measure.SetSize(8, 8);
  measure.Canvas()->Font()->Assign(f.g->Font());
  const int h = measure.Canvas()->TextHeight("甲");
  auto inkIn = [&](int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = rc.Left + 2; x < rc.Left + 40; ++x)
        if (const COLORREF c = ::GetPixel(shot.Canvas()->Handle(), x, y);
            GetRValue(c) + GetGValue(c) + GetBValue(c) < 384)
          ++n;
    return n;
  };
  EXPECT_GT(inkIn(rc.Top + 2, rc.Top + 2 + h), 10);
  EXPECT_GT(inkIn(rc.Top + 2 + h, rc.Top + 2 + 2 * h), 10);
  EXPECT_EQ(inkIn(rc.Top + 2 + 2 * h, rc.Bottom - 1), 0);
  // Row 2's own colour behind the text; the focused row 1 selected in blue.
  EXPECT_EQ(::GetPixel(shot.Canvas()->Handle(), rc.Right - 4, rc.Bottom - 4), ColorToRGB(clInfoBk));
  const TRect sel = f.g->CellRect(1, 1);
  EXPECT_EQ(::GetPixel(shot.Canvas()->Handle(), sel.Right - 4, sel.Bottom - 4), RGB(0, 0, 255));
  SaveScreenshot(f.dlg.get(), std::string("Z:") + POS_BINARY_DIR + "/kw-grid-columns.png");
}
