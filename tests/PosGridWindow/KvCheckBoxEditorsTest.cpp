// The check boxes of a check-box column under Wine: the pool makes hidden boxes on
// demand; a press on a box reaches the grid as a press on the cell beneath it (row
// focus and the toggle are the grid's); hiding them all lasts until the next paint.
#include "VCLSource/source/PosGrid/ukvDbGridsCheckBoxes.h"

#include "KwGridTestSupport.h"
#include "tests/support/Screenshot.h"

using namespace kwtest;
using namespace uitest;

namespace {

// Column 1 is a check-box column holding "True"/"False" texts. Painting a data row
// shows the box of its row offset over the cell; a press released on a column-1 cell
// toggles the cell, as the data grid toggles its field. Presses are recorded.
class TCheckGrid : public TTestGrid {
 public:
  using TTestGrid::TTestGrid;
  std::unique_ptr<TkvCheckBoxEditors> Boxes{new TkvCheckBoxEditors(this)};
  std::string Presses;  // "down x,y " / "up x,y " / "dbl "

  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
    if (ACol != 1 || ARow < FixedRows()) return TTestGrid::DrawCell(ACol, ARow, ARect, AState);
    Canvas()->Brush()->SetColor(clWindow);
    Canvas()->FillRect(ARect);
    TkvInplaceCheckBox* box = Boxes->GetEditor(ARow - TopRow());
    box->SetColor(clWindow);
    box->SetBounds(ARect.Left + 2, ARect.Top + 2, 15, ARect.Bottom - ARect.Top - 4);
    box->Show();
    box->SetChecked(Cell(1, ARow) == "True");
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    Presses += "down " + std::to_string(X) + "," + std::to_string(Y) + " ";
    TTestGrid::MouseDown(Button, Shift, X, Y);
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    Presses += "up " + std::to_string(X) + "," + std::to_string(Y) + " ";
    TTestGrid::MouseUp(Button, Shift, X, Y);
    const TGridCoord c = MouseCoord(X, Y);
    if (c.X == 1 && c.Y >= FixedRows()) {
      Texts[{1, c.Y}] = Cell(1, c.Y) == "True" ? "False" : "True";
      InvalidateCell(1, c.Y);
    }
  }
  void DblClick() override { Presses += "dbl "; }
};

struct CheckForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TCheckGrid* grid;

  explicit CheckForm(int height = 260) {
    form->SetBounds(60, 60, 400, height + 60);
    grid = new TCheckGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(8, 8, 360, height);
    grid->SetColCount(4);
    grid->SetRowCount(40);
    grid->SetOptions(grid->Options() << goRowSelect);
    form->Show();
    Settle();
    Focus(grid);
  }
  // Which boxes of the pool are on screen, as "0101...".
  std::string Shown() const {
    std::string s;
    for (int i = 0; i < grid->Boxes->Count(); ++i)
      s += ::IsWindowVisible(grid->Boxes->GetEditor(i)->Handle()) ? '1' : '0';
    return s;
  }
  void Post(TkvInplaceCheckBox* box, UINT msg, int x, int y, WPARAM keys) {
    ::PostMessageW(box->Handle(), msg, keys, MAKELPARAM(x, y));
    Pump();
  }
};

}  // namespace

TEST(KvCheckBoxEditors, GetEditorMakesTheMissingBoxesHiddenOnTheGrid) {
  TForm form(nullptr);
  auto* grid = new TTestGrid(&form);
  grid->SetParent(&form);
  TkvCheckBoxEditors pool(grid);
  TkvInplaceCheckBox* fifth = pool.GetEditor(5);
  EXPECT_EQ(pool.Count(), 6);
  for (int i = 0; i < 6; ++i) {
    TkvInplaceCheckBox* box = pool.GetEditor(i);
    EXPECT_EQ(box->Owner(), grid);
    EXPECT_EQ(box->Parent(), grid);
    EXPECT_FALSE(box->Visible());
    EXPECT_EQ(box->GridView().GetHandle(), grid->Handle());
  }
  EXPECT_EQ(pool.GetEditor(5), fifth);
  EXPECT_EQ(pool.GetEditor(2), pool.GetEditor(2));
  EXPECT_EQ(pool.Count(), 6);
}

TEST(KvCheckBoxEditors, NegativeRowOffsetIsRefusedInsteadOfReadingBeforeTheList) {
  TForm form(nullptr);
  auto* grid = new TTestGrid(&form);
  grid->SetParent(&form);
  TkvCheckBoxEditors pool(grid);
  pool.GetEditor(5);
  try {
    pool.GetEditor(-1);
    ADD_FAILURE() << "no error";
  } catch (const EkwInvalidGridOperation& e) {
    EXPECT_EQ(e.Message(), AnsiString("行索引超出范围"));
  }
  EXPECT_EQ(pool.Count(), 6);
}

TEST(KvCheckBoxEditors, ToggleStepsAsThePlatformCheckBox) {
  TForm form(nullptr);
  auto* box = new TkvInplaceCheckBox(&form);
  box->SetParent(&form);
  std::string states;
  const auto step = [&] { box->Toggle(); states += std::to_string(box->State()); };
  step(), step(), box->SetAllowGrayed(true), step(), step(), step();
  EXPECT_EQ(states, "10120");
}

TEST(KvCheckBoxEditors, PaintShowsTheBoxOfEachVisibleRowWithItsValue) {
  CheckForm f;
  f.grid->Texts[{1, 2}] = "True";
  f.grid->InvalidateGrid();
  ::UpdateWindow(f.grid->Handle());
  const int rows = f.grid->VisibleRowCount();
  ASSERT_GE(rows, 5);
  EXPECT_GE(f.grid->Boxes->Count(), rows);
  EXPECT_EQ(f.Shown().substr(0, rows), std::string(rows, '1'));
  const TRect cell = f.grid->CellRect(1, 2);
  TkvInplaceCheckBox* box = f.grid->Boxes->GetEditor(1);
  EXPECT_EQ(box->BoundsRect(), TRect(cell.Left + 2, cell.Top + 2, cell.Left + 17, cell.Bottom - 2));
  EXPECT_TRUE(box->Checked());
  EXPECT_FALSE(f.grid->Boxes->GetEditor(0)->Checked());
  SaveScreenshot(f.form.get(), std::string("Z:") + POS_BINARY_DIR + "/kv-grid-checkboxes.png");
}

TEST(KvCheckBoxEditors, PressOnABoxFocusesItsRowAndTogglesLikeThePressOnTheCell) {
  CheckForm f;
  ::UpdateWindow(f.grid->Handle());
  TkvInplaceCheckBox* box = f.grid->Boxes->GetEditor(3);  // row 4
  ASSERT_TRUE(::IsWindowVisible(box->Handle()));
  f.Post(box, WM_LBUTTONDOWN, 4, 5, MK_LBUTTON);
  f.Post(box, WM_LBUTTONUP, 4, 5, 0);
  const std::string at = std::to_string(box->Left() + 4) + "," + std::to_string(box->Top() + 5);
  EXPECT_EQ(f.grid->Presses, "down " + at + " up " + at + " ");
  EXPECT_EQ(f.grid->Row(), 4);
  EXPECT_EQ(f.grid->Cell(1, 4), AnsiString("True"));
  ::UpdateWindow(f.grid->Handle());
  EXPECT_TRUE(box->Checked());
  // The box neither took the focus nor kept the mouse: the grid handled the press.
  EXPECT_EQ(::GetFocus(), f.grid->Handle());
  EXPECT_NE(::GetCapture(), box->Handle());
  // A second press toggles back; a double click reaches the grid as its own.
  f.Post(box, WM_LBUTTONDOWN, 4, 5, MK_LBUTTON);
  f.Post(box, WM_LBUTTONUP, 4, 5, 0);
  ::UpdateWindow(f.grid->Handle());
  EXPECT_EQ(f.grid->Cell(1, 4), AnsiString("False"));
  EXPECT_FALSE(box->Checked());
  f.grid->Presses.clear();
  f.Post(box, WM_LBUTTONDBLCLK, 4, 5, MK_LBUTTON);
  EXPECT_NE(f.grid->Presses.find("dbl"), std::string::npos);
}

TEST(KvCheckBoxEditors, HideAllLastsUntilTheNextPaint) {
  CheckForm f;
  ::UpdateWindow(f.grid->Handle());
  const int rows = f.grid->VisibleRowCount();
  f.grid->Boxes->HideAll();
  EXPECT_EQ(f.Shown(), std::string(f.grid->Boxes->Count(), '0'));
  // The grid shrinks: only the rows it still shows get their box back.
  f.grid->SetHeight(f.grid->Height() / 2);
  f.grid->Boxes->HideAll();
  ::UpdateWindow(f.grid->Handle());
  const int fewer = f.grid->VisibleRowCount();
  ASSERT_LT(fewer, rows);
  const std::string shown = f.Shown();
  EXPECT_EQ(shown.substr(0, fewer), std::string(fewer, '1'));
  EXPECT_EQ(shown.find('1', fewer + 1), std::string::npos);
}
