// Check boxes in the data-aware grid's check-box columns under Wine: each row with a
// record shows its column's box over the cell (checked, unchecked, grayed for Null), a
// press on a box toggles the field as a press on the cell does, boxes leave with their
// rows, columns and button style; an editor the grid always shows leaves a check-box
// column; highlight kind 2 and the grid's default cell drawing; and a picture of it for
// the docs.
#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/ukvDbGridsCheckBoxes.h"
#include "db/Field.h"
#include "tests/support/Screenshot.h"
#include "ui/StdCtrls.h"

using namespace kwtest;
using namespace uitest;
using namespace kw_dbgrid;

namespace {

// Goods with a PASS flag: 1, 0, Null, 1, 0.
TDataPacket FlagRows() {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 20}, {"PASS", ftInteger, 0}, {"QTY", ftFloat, 0}};
  const Variant flags[] = {Variant(1), Variant(0), Variant::Null(), Variant(1), Variant(0)};
  const char* names[] = {"衬衫", "长裤", "外套", "围巾", "手套"};
  for (int i = 0; i < 5; ++i)
    p.Rows.push_back({Variant(i + 1), Variant(names[i]), flags[i], Variant(static_cast<double>(i * 3))});
  return p;
}

// A grid whose rows 1 and 2 are of highlight kind 2.
class TKindTwoGrid : public TkwCustomDBGrid {
 public:
  using TkwCustomDBGrid::TkwCustomDBGrid;

 protected:
  int HighlightKind(TkwDrawColumnCellArgs& Args) override {
    if (Args.RowIndex == 1 || Args.RowIndex == 2) return 2;
    return TkwCustomDBGrid::HighlightKind(Args);
  }
};

struct CheckGrid {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  std::unique_ptr<TClientDataSet> data{new TClientDataSet(nullptr)};
  std::unique_ptr<TDataSource> source{new TDataSource(nullptr)};
  TkwCustomDBGrid* grid;
  TkwColumn* pass;
  int writes = 0;

  explicit CheckGrid(bool kindTwo = false) {
    data->SetData(FlagRows());
    source->SetDataSet(data.get());
    data->FieldByName("PASS")->OnChange = [this](TField*) { ++writes; };
    form->SetBounds(60, 60, 420, 220);
    form->SetCaption("数据表格");
    grid = kindTwo ? new TKindTwoGrid(form.get()) : new TkwCustomDBGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, 380, 19 * 8 + 4);
    auto add = [this](const char* field, const char* caption, int width) {
      TkwColumn* c = grid->Columns()->Add();
      c->SetFieldName(field);
      c->Title()->SetCaption(caption);
      c->SetWidth(width);
      return c;
    };
    add("ID", "编号", 50);
    add("NAME", "名称", 90);
    pass = add("PASS", "合格", 50);
    pass->SetButtonStyle(gcbsCheckBox);
    add("QTY", "数量", 70);
    grid->SetMinRowCount(7);
    grid->SetRowColors(static_cast<TColor>(0xFFFFFF), static_cast<TColor>(0xF7F7F7));  // two-colour rows
    grid->SetDataSource(source.get());
    form->Show();
    Settle();
    Focus(grid);
    ::UpdateWindow(grid->Handle());
  }
  ~CheckGrid() {
    form.reset();
    source.reset();
  }
  TkvCheckBoxEditors* Pool() { return dynamic_cast<TkvCheckBoxEditors*>(pass->CheckBoxEditors()); }
  int GridRow(int dataRow) { return grid->TitleOffset() + dataRow; }
  TRect Cell(int dataCol, int dataRow) { return grid->CellRect(grid->DataToRawColumn(dataCol), GridRow(dataRow)); }
  int VisibleBoxes() {
    int n = 0;
    for (int i = 0; i < grid->ControlCount(); ++i)
      if (auto* b = dynamic_cast<TkvInplaceCheckBox*>(grid->Controls(i)); b && ::IsWindowVisible(b->Handle())) ++n;
    return n;
  }
  void Repaint() {
    grid->Invalidate();
    ::UpdateWindow(grid->Handle());
    Pump();
  }
  int Flag(int recNo) {
    data->SetRecNo(recNo);
    return data->FieldByName("PASS")->AsInteger();
  }
};

}  // namespace

TEST(KwDbGridCheckBox, EachRowWithARecordShowsItsBoxWithTheValue) {
  CheckGrid f;
  ASSERT_NE(f.Pool(), nullptr);
  ASSERT_EQ(f.Pool()->Count(), 5);  // rows 5 and 6 are blank: no box
  EXPECT_EQ(f.VisibleBoxes(), 5);
  const TCheckBoxState want[] = {cbChecked, cbUnchecked, cbGrayed, cbChecked, cbUnchecked};
  for (int i = 0; i < 5; ++i) {
    TkvInplaceCheckBox* box = f.Pool()->GetEditor(i);
    EXPECT_EQ(box->State(), want[i]) << i;
    const TRect cell = f.Cell(2, i);
    EXPECT_EQ(box->BoundsRect(), Rect(cell.Left + 2, cell.Top + 2, cell.Left + 17, cell.Bottom - 2)) << i;
    EXPECT_TRUE(box->Visible()) << i;
  }
  // The boxes take the row colours, the one of the current cell the highlight.
  EXPECT_EQ(f.Pool()->GetEditor(0)->Color(), f.grid->EvenRowColor());
  EXPECT_EQ(f.Pool()->GetEditor(1)->Color(), f.grid->OddRowColor());
  f.grid->SetCol(f.grid->DataToRawColumn(2));
  f.Repaint();
  EXPECT_EQ(f.Pool()->GetEditor(0)->Color(), clHighlight);
  EXPECT_EQ(f.Pool()->GetEditor(2)->Color(), f.grid->EvenRowColor());
  const std::string path = std::string("Z:") + POS_BINARY_DIR + "/kw-dbgrid-checkbox.png";
  SaveScreenshot(f.form.get(), path);
}

// A press on a box is a press on its cell: the row is focused and the field toggled,
// once; a Null becomes 1. Regression: the press put the grid in editor mode on the
// check-box cell, which has no editor; the grid then never painted that cell again and
// its box kept showing the value before the toggle.
TEST(KwDbGridCheckBox, FaultPressOnABoxLeftItsCellUnpaintedAfterTheToggle) {
  CheckGrid f;
  auto press = [&](int dataRow) {
    HWND box = f.Pool()->GetEditor(dataRow)->Handle();
    ::PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
    ::UpdateWindow(f.grid->Handle());
  };
  press(3);
  EXPECT_EQ(f.grid->FocusedRowIndex(), 3);
  EXPECT_EQ(f.grid->GetCellValue(f.pass, 3).AsInteger(), 0);
  EXPECT_EQ(f.writes, 1);
  EXPECT_EQ(f.Pool()->GetEditor(3)->State(), cbUnchecked);
  press(2);
  EXPECT_EQ(f.grid->FocusedRowIndex(), 2);
  EXPECT_EQ(f.grid->GetCellValue(f.pass, 2).AsInteger(), 1);
  EXPECT_EQ(f.Pool()->GetEditor(2)->State(), cbChecked);
  EXPECT_EQ(f.writes, 2);
  EXPECT_EQ(f.data->State(), dsEdit);
  PostKey(VK_DOWN);
  EXPECT_EQ(f.data->State(), dsBrowse);
  EXPECT_EQ(f.Flag(4), 0);
  EXPECT_EQ(f.Flag(3), 1);
  EXPECT_EQ(f.data->RecordCount(), 5);
}

// Regression: a check box stayed where its paint had put it after its column was hidden
// or became a plain column, or its row lost its record: it covered another cell and a
// press on it still toggled the field nobody saw.
TEST(KwDbGridCheckBox, FaultBoxesOfCellsNoLongerShownStayedOverTheGrid) {
  CheckGrid f;
  ASSERT_EQ(f.VisibleBoxes(), 5);
  f.pass->SetVisible(false);
  f.Repaint();
  EXPECT_EQ(f.VisibleBoxes(), 0);
  f.pass->SetVisible(true);
  f.Repaint();
  EXPECT_EQ(f.VisibleBoxes(), 5);
  f.pass->SetButtonStyle(gcbsNone);
  f.Repaint();
  EXPECT_EQ(f.VisibleBoxes(), 0);
  f.pass->SetButtonStyle(gcbsCheckBox);
  f.Repaint();
  EXPECT_EQ(f.VisibleBoxes(), 5);
  // The last record deleted: its row is blank, its box goes.
  f.data->Last();
  f.data->Delete();
  Pump();
  f.Repaint();
  EXPECT_EQ(f.VisibleBoxes(), 4);
  EXPECT_FALSE(f.Pool()->GetEditor(4)->Visible());
}

// Kind 2: HighlightColor, its inverse on the selected row with a line in HighlightColor
// above it under dgRowSelect; a draw handler's brush stays for kind 0.
TEST(KwDbGridCheckBox, HighlightKindTwoAndTheDefaultDrawingOfAHandler) {
  CheckGrid f(true);
  f.grid->SetOptions(f.grid->Options() | GridOption(dgRowSelect));
  f.grid->OnDrawColumnCell = [](TObject*, TkwDrawColumnCellArgs& a) {
    if (a.RowIndex == 4) a.Canvas->Brush()->SetColor(static_cast<TColor>(0x00C0FF));
  };
  f.grid->SelectRow(2, false, true);
  Pump();
  f.Repaint();
  TBitmap shot;
  RenderControl(f.grid, shot, false);
  const TRect r1 = f.Cell(1, 1), r2 = f.Cell(1, 2), r3 = f.Cell(1, 3), r4 = f.Cell(1, 4);
  EXPECT_EQ(shot.PixelRGB(r1.Right - 3, r1.Bottom - 3), Rgb(f.grid->HighlightColor()));
  EXPECT_EQ(shot.PixelRGB(r2.Right - 3, r2.Bottom - 3), 0x00FFFFu);  // $FFFFFF - red
  EXPECT_EQ(shot.PixelRGB(r2.Left + 3, r2.Top - 1), Rgb(f.grid->HighlightColor()));
  EXPECT_EQ(shot.PixelRGB(r3.Right - 3, r3.Bottom - 3), Rgb(f.grid->OddRowColor()));
  EXPECT_EQ(shot.PixelRGB(r4.Right - 3, r4.Bottom - 3), Rgb(static_cast<TColor>(0x00C0FF)));
  // The check-box cells follow the same kinds.
  EXPECT_EQ(f.Pool()->GetEditor(1)->Color(), f.grid->HighlightColor());
}

// Regression: the boxes were tab stops. Shift+Tab from the control after the grid
// focused the last box inside the grid, where Space flipped it and nothing reached the
// field. The focus goes to the grid, where Space leaves the boxes and the field alone.
TEST(KwDbGridCheckBox, FaultShiftTabFocusedABoxInsideTheGrid) {
  CheckGrid f;
  auto* next = new TEdit(f.form.get());
  next->SetParent(f.form.get());
  next->SetBounds(8, 168, 120, 21);
  ASSERT_EQ(f.VisibleBoxes(), 5);
  auto where = [&]() -> std::string {
    TWinControl* c = TWinControl::FindOwningControl(::GetFocus());
    if (c == f.grid || (c && c == f.grid->InplaceEditor())) return "grid";
    if (c == next) return "next";
    return dynamic_cast<TkvInplaceCheckBox*>(c) ? "box" : "other";
  };
  auto boxes = [&] {
    std::string s;
    for (int i = 0; i < 5; ++i) s += std::to_string(static_cast<int>(f.Pool()->GetEditor(i)->State()));
    return s;
  };
  Focus(next);
  std::string s = where();
  PostKeyWith(VK_SHIFT, VK_TAB);
  s += " " + where();
  PostKey(VK_SPACE);
  s += " " + boxes() + " writes " + std::to_string(f.writes);
  PostKey(VK_ESCAPE);
  EXPECT_EQ(s, "next grid 10210 writes 0");
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(f.Pool()->GetEditor(i)->TabStop()) << i;
}

// Regression: under dgAlwaysShowEditor the editor stayed, focused, over the column before
// a check-box column when that was entered: digits typed there were refused and
// Backspace blanked the editor, which showed a cell no longer current. The editor goes
// while the check-box column is current and comes back in the next column; nothing
// typed meanwhile reaches a field.
TEST(KwDbGridCheckBox, FaultAnAlwaysShownEditorStayedOverTheColumnBeforeABoxColumn) {
  CheckGrid f;
  f.grid->SetOptions(f.grid->Options() | GridOption(dgAlwaysShowEditor));
  Pump();
  auto state = [&f] {
    TInplaceEdit* e = f.grid->InplaceEditor();
    const bool shown = f.grid->EditorMode() && e && e->Visible();
    return std::string(f.grid->SelectedColumn()->FieldName()) + " editor " + (shown ? std::string(e->Text()) : "hidden") +
           (::GetFocus() == f.grid->Handle() ? " (grid focused)" : "");
  };
  // Row 0: 衬衫, PASS 1, QTY 0.
  const TRect r = f.grid->CellRect(f.grid->DataToRawColumn(1), f.grid->TitleOffset());
  ::PostMessageW(f.grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.Left + 5, r.Top + 5));
  ::PostMessageW(f.grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(r.Left + 5, r.Top + 5));
  Pump();
  TypeText(L"帽子");
  std::string got = state();
  PostKey(VK_TAB);
  got += " | Tab: " + state();
  PostKey(VK_BACK);
  PostKey('7');
  got += " | Backspace, 7: " + state();
  PostKey(VK_TAB);
  got += " | Tab: " + state();
  PostKey(VK_DOWN);
  got += " | Down: " + std::string(f.data->FieldByName("NAME")->Text()) + "/" + std::to_string(f.grid->FocusedRowIndex());
  f.data->First();
  got += " stored " + std::string(f.data->FieldByName("NAME")->Text()) + "/" + f.data->FieldByName("PASS")->Text() + "/" +
         f.data->FieldByName("QTY")->Text() + ", writes " + std::to_string(f.writes);
  EXPECT_EQ(got,
            "NAME editor 帽子 | Tab: PASS editor hidden (grid focused) | Backspace, 7: PASS editor hidden (grid focused)"
            " | Tab: QTY editor 0 | Down: 长裤/1 stored 帽子/1/0, writes 0");
}
