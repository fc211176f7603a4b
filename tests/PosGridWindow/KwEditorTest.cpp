// The library's in-place editors inside the grid: Enter closes (or, where the grid
// always shows its editor, toggles the selection), typing opens, the
// drop-down list opens, accepts and cancels by keys, a double click steps the list;
// read-only cells are never changed by the list; an editor without a grid.
#include <vector>

#include "KwGridTestSupport.h"
#include "rtl/PngWriter.h"
#include "tests/support/Screenshot.h"
#include "ui/ExtCtrls.h"

using namespace kwtest;
using namespace uitest;

namespace {

struct EditForm : GridForm {
  EditForm() : GridForm(6, 20) { grid->SetOptions(grid->Options() + TGridOptions{goEditing}); }
  TkwInplaceEditList* Editor() { return dynamic_cast<TkwInplaceEditList*>(grid->InplaceEditor()); }
  // Shows the form and opens the editor on the pick-list cell (2, 1).
  TkwInplaceEditList* OpenPickListCell() {
    Show();
    PostKey(VK_RIGHT);
    PostKey(VK_RETURN);
    return Editor();
  }
  void AltDown() {
    HeldKey alt(VK_MENU);
    ::PostMessageW(KeyTarget(), WM_SYSKEYDOWN, VK_DOWN, KeyData(VK_DOWN, false, true));
    Pump();
  }
};

}  // namespace

TEST(KwEditor, EnterTogglesAndTypingOpensTheEditor) {
  EditForm f;
  f.grid->Texts[{1, 1}] = "甲乙";
  f.Show();
  PostKey(VK_RETURN);
  ASSERT_NE(f.Editor(), nullptr);
  EXPECT_TRUE(f.grid->EditorMode());
  EXPECT_EQ(::GetFocus(), f.Editor()->Handle());
  EXPECT_TRUE(f.Editor()->HasGrid());
  EXPECT_EQ(f.Editor()->SelLength(), 4);  // all selected (GBK bytes)
  // The editor offers Enter to the grid through its view first: the grid closes it.
  PostKey(VK_RETURN);
  EXPECT_FALSE(f.grid->EditorMode());
  EXPECT_EQ(f.grid->Cell(1, 1), "甲乙");
  // Where the grid always shows its editor it leaves Enter to the editor, which toggles
  // the selection; Enter is never typed.
  f.grid->AlwaysShowColumn = 1;
  PostKey(VK_F2);
  ASSERT_TRUE(f.grid->EditorMode());
  f.Editor()->SelectAll();
  PostKey(VK_RETURN);
  EXPECT_TRUE(f.grid->EditorMode());
  EXPECT_EQ(f.Editor()->SelLength(), 0);
  PostKey(VK_RETURN);
  EXPECT_EQ(f.Editor()->SelLength(), 4);
  EXPECT_EQ(f.Editor()->Text(), "甲乙");
  f.grid->AlwaysShowColumn = -1;
  // Down goes to the grid: the next row, the editor closed.
  PostKey(VK_DOWN);
  EXPECT_EQ(f.Cur(), "1,2");
  EXPECT_FALSE(f.grid->EditorMode());
  PostKey(VK_RIGHT);
  PostKey(VK_RIGHT);
  PostKey(VK_RIGHT);
  EXPECT_EQ(f.Cur(), "4,2");
  TypeText(L"货");
  EXPECT_TRUE(f.grid->EditorMode());
  PostKey(VK_DOWN);
  EXPECT_EQ(f.grid->Cell(4, 2), "货");
  EXPECT_EQ(f.Cur(), "4,3");
}

TEST(KwEditor, DropDownOpensAcceptsAndCancelsByKeys) {
  EditForm f;
  TkwInplaceEditList* ed = f.OpenPickListCell();
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->EditStyle(), esPickList);
  f.AltDown();
  ASSERT_TRUE(ed->ListVisible());
  int changes = 0;
  ed->OnChange = [&](TObject*) { ++changes; };
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_EQ(ed->Text(), "香蕉");
  EXPECT_EQ(f.grid->Cell(2, 1), "香蕉");
  EXPECT_GE(changes, 1);
  // Esc closes without change; the same item again fires no change.
  f.AltDown();
  PostKey(VK_DOWN);
  PostKey(VK_ESCAPE);
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_EQ(f.grid->Cell(2, 1), "香蕉");
  changes = 0;
  f.AltDown();
  PostKey(VK_RETURN);
  EXPECT_EQ(changes, 0);
  // With the list closed Esc goes to the grid.
  std::string keys;
  f.grid->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { keys += std::to_string(k) + " "; };
  PostKey(VK_ESCAPE);
  EXPECT_EQ(keys, std::to_string(VK_ESCAPE) + " ");
  EXPECT_FALSE(ed->ListVisible());
}

// Regression: a double click stepped a read-only pick-list cell to the next item.
TEST(KwEditor, FaultDoubleClickChangedAReadOnlyCell) {
  EditForm f;
  f.grid->Texts[{2, 1}] = "苹果";
  TkwInplaceEditList* ed = f.OpenPickListCell();
  ASSERT_NE(ed, nullptr);
  const POINT p{5, 5};
  f.grid->ReadOnlyCells = true;
  ::PostMessageW(ed->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  Pump();
  EXPECT_EQ(ed->Text(), "苹果");
  EXPECT_EQ(f.grid->Cell(2, 1), "苹果");
  f.grid->ReadOnlyCells = false;
  ::PostMessageW(ed->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  Pump();
  EXPECT_EQ(ed->Text(), "苹果");  // none selected: the first item
  ::PostMessageW(ed->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  Pump();
  EXPECT_EQ(ed->Text(), "香蕉");
  EXPECT_EQ(f.grid->Cell(2, 1), "香蕉");
}

// Regression: a Chinese character typed in the open list searched for its lead byte
// alone and found nothing. The whole character is searched, whether the window got it as
// one character or a program of code page 936 posted its two bytes.
TEST(KwEditor, FaultChineseTypeAheadSearchedForHalfACharacter) {
  EditForm f;
  TkwInplaceEditList* ed = f.OpenPickListCell();
  ASSERT_NE(ed, nullptr);
  f.AltDown();
  ASSERT_TRUE(ed->ListVisible());
  TPopupListbox* list = ed->PickList();
  DWORD now = 10000;
  list->TickCount = [&] { return now; };
  PostChar(L'橙');
  EXPECT_EQ(list->SearchText(), "橙");
  EXPECT_EQ(list->ItemIndex(), 2);
  now += 2500;
  ::PostMessageA(KeyTarget(), WM_CHAR, 0xCF, 1);  // 香 in code page 936
  ::PostMessageA(KeyTarget(), WM_CHAR, 0xE3, 1);
  Pump();
  EXPECT_EQ(list->SearchText(), "香");
  EXPECT_EQ(list->ItemIndex(), 1);
  PostKey(VK_RETURN);
  EXPECT_EQ(f.grid->Cell(2, 1), "香蕉");
}

// Regression: accepting an item from the list wrote a cell the grid said may not be
// modified.
TEST(KwEditor, FaultListAcceptChangedAReadOnlyCell) {
  EditForm f;
  TkwInplaceEditList* ed = f.OpenPickListCell();
  ASSERT_NE(ed, nullptr);
  f.grid->ReadOnlyCells = true;
  f.AltDown();
  ASSERT_TRUE(ed->ListVisible());
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_EQ(ed->Text(), "");
  EXPECT_EQ(f.grid->Cell(2, 1), "");
}

// Regression: the list was as tall as all its items and could leave the screen.
TEST(KwEditor, FaultLongDropDownListLeftTheScreen) {
  EditForm f;
  TkwInplaceEditList* ed = f.OpenPickListCell();
  ASSERT_NE(ed, nullptr);
  ed->SetDropDownRows(0);
  ed->OnGetPickListItems = [](int, int, TStrings* items) {
    items->Clear();
    for (int i = 0; i < 400; ++i) items->Add(("项目" + std::to_string(i)).c_str());
  };
  f.AltDown();
  ASSERT_TRUE(ed->ListVisible());
  RECT lr;
  ::GetWindowRect(ed->PickList()->Handle(), &lr);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  ::GetMonitorInfoW(::MonitorFromWindow(ed->Handle(), MONITOR_DEFAULTTONEAREST), &mi);
  EXPECT_GE(lr.top, mi.rcWork.top);
  EXPECT_LE(lr.bottom, mi.rcWork.bottom);
  // The list scrolls to its last item.
  ed->PickList()->SetItemIndex(399);
  EXPECT_GT(::SendMessageW(ed->PickList()->Handle(), LB_GETTOPINDEX, 0, 0), 0);
  PostKey(VK_ESCAPE);
}

// Ctrl+Enter clicks the ellipsis button (the editor is the sender); no line feed
// reaches the cell's text.
TEST(KwEditor, CtrlEnterClicksTheEllipsisButtonAndTypesNothing) {
  EditForm f;
  f.grid->Texts[{3, 1}] = "甲乙";
  std::vector<TObject*> clicks;
  f.Show();
  PostKey(VK_RIGHT);
  PostKey(VK_RIGHT);
  PostKey(VK_RETURN);
  TkwInplaceEditList* ed = f.Editor();
  ASSERT_NE(ed, nullptr);
  ASSERT_EQ(ed->EditStyle(), esEllipsis);
  ed->OnEditButtonClick = [&](TObject* sender) { clicks.push_back(sender); };
  PostKeyWith(VK_CONTROL, VK_RETURN);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], ed);
  EXPECT_EQ(ed->Text(), "甲乙");
  EXPECT_FALSE(ed->Modified());
  EXPECT_EQ(f.grid->Cell(3, 1), "甲乙");
  // Enter alone in the grid's editor toggles the selection and raises no return key.
  int returns = 0;
  ed->OnReturnKey = [&](TObject*) { ++returns; };
  PostKey(VK_RETURN);
  EXPECT_EQ(returns, 0);
  EXPECT_EQ(clicks.size(), 1u);
}

// Without a grid, Enter in an ellipsis editor raises the return-key event; in other
// styles it does not.
TEST(KwEditor, EnterInAnEllipsisEditorWithoutAGridRaisesReturnKey) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(60, 60, 240, 120);
  auto* e = new TkwInplaceEditList(form.get());
  e->SetParent(form.get());
  e->SetEditStyle(esEllipsis);
  std::vector<TObject*> returns;
  e->OnReturnKey = [&](TObject* sender) { returns.push_back(sender); };
  form->Show();
  Settle();
  e->Move(Rect(10, 10, 170, 34));
  Focus(e);
  ASSERT_EQ(::GetFocus(), e->Handle());
  PostKey(VK_RETURN);
  ASSERT_EQ(returns.size(), 1u);
  EXPECT_EQ(returns[0], e);
  e->SetEditStyle(esPickList);
  PostKey(VK_RETURN);
  e->SetEditStyle(esSimple);
  PostKey(VK_RETURN);
  EXPECT_EQ(returns.size(), 1u);
}

namespace {

COLORREF PixelOf(HWND h, int x, int y) {
  ui_win::WindowDC dc(h);
  return ::GetPixel(dc.dc(), x, y);
}

}  // namespace

// The ellipsis button is square and is drawn, with room made for it, only while the
// editor has the focus and is not read-only.
TEST(KwEditor, EllipsisButtonIsSquareAndShownOnlyWhileFocused) {
  EditForm f;
  f.grid->SetDefaultColWidth(120);
  f.grid->Texts[{3, 1}] = "甲乙";
  f.Show();
  PostKey(VK_RIGHT);
  PostKey(VK_RIGHT);
  PostKey(VK_RETURN);
  TkwInplaceEditList* ed = f.Editor();
  ASSERT_NE(ed, nullptr);
  ASSERT_EQ(::GetFocus(), ed->Handle());
  const HWND h = ed->Handle();
  const int w = ed->Width(), ht = ed->Height();
  EXPECT_EQ(ed->ButtonRect(), Rect(w - ht, 0, w, ht));
  RECT fr;
  ::SendMessageW(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&fr));
  const int focusedRight = fr.right;
  const TRect b = ed->ButtonRect();
  const int side = std::max(1, ed->ButtonWidth() / 8);
  const int dotX = b.Left + (b.Right - b.Left) / 2 - 1, dotY = b.Top + (b.Bottom - b.Top) / 2 - 1;
  EXPECT_EQ(PixelOf(h, dotX, dotY), RGB(0, 0, 0));
  EXPECT_EQ(PixelOf(h, dotX - 2 * side, dotY), RGB(0, 0, 0));
  EXPECT_EQ(PixelOf(h, dotX + 2 * side, dotY), RGB(0, 0, 0));
  EXPECT_EQ(PixelOf(h, dotX + side, dotY), ColorToRGB(clBtnFace));
  {
    TBitmap shot;
    shot.SetSize(w, ht);
    ui_win::WindowDC dc(h);
    ::BitBlt(shot.Canvas()->Handle(), 0, 0, w, ht, dc.dc(), 0, 0, SRCCOPY);
    png::WriteFile(std::string("Z:") + POS_BINARY_DIR + "/kw-editor-ellipsis.png", w, ht, shot.PixelsRGB());
  }
  // The grid takes the focus: the editor stays, without its button.
  Focus(f.grid);
  ASSERT_EQ(::GetFocus(), f.grid->Handle());
  ASSERT_TRUE(ed->Visible());
  Pump();
  ::SendMessageW(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&fr));
  EXPECT_EQ(fr.right, focusedRight + ht);
  EXPECT_EQ(PixelOf(h, dotX, dotY), ColorToRGB(ed->Color()));
  EXPECT_EQ(PixelOf(h, dotX + side, dotY), ColorToRGB(ed->Color()));
  // Read-only: no button even with the focus.
  ed->SetFocus();
  Pump();
  ASSERT_EQ(::GetFocus(), h);
  EXPECT_EQ(PixelOf(h, dotX, dotY), RGB(0, 0, 0));
  ed->SetReadOnly(true);
  EXPECT_EQ(ed->ButtonRect(), TRect());
  ::InvalidateRect(h, nullptr, TRUE);
  Pump();
  EXPECT_EQ(PixelOf(h, dotX, dotY), ColorToRGB(ed->Color()));
  ed->SetReadOnly(false);
}

// A press and release anywhere on the square button clicks it, with the editor as
// sender; a press on the text beside it does not.
TEST(KwEditor, SquareEllipsisButtonTakesClicksOverItsWholeWidth) {
  EditForm f;
  f.grid->SetDefaultColWidth(120);
  f.grid->SetDefaultRowHeight(34);
  f.Show();
  PostKey(VK_RIGHT);
  PostKey(VK_RIGHT);
  PostKey(VK_RETURN);
  TkwInplaceEditList* ed = f.Editor();
  ASSERT_NE(ed, nullptr);
  ASSERT_EQ(ed->EditStyle(), esEllipsis);
  ASSERT_GT(ed->Height(), ed->ButtonWidth() + 8);
  std::vector<TObject*> clicks;
  ed->OnEditButtonClick = [&](TObject* sender) { clicks.push_back(sender); };
  auto click = [&](int x) {
    const LPARAM at = MAKELPARAM(x, ed->Height() / 2);
    ::PostMessageW(ed->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    Pump();
    ::PostMessageW(ed->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  };
  // Left part of the square, beyond the width of an arrow button.
  click(ed->Width() - ed->Height() + 2);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], ed);
  click(ed->Width() - ed->Height() - 4);
  EXPECT_EQ(clicks.size(), 1u);
}

// A paint into a DC it is handed (a print) draws the same picture: background, button,
// text around it.
TEST(KwEditor, PaintIntoAGivenDcDrawsTheButtonAndTheText) {
  EditForm f;
  f.grid->SetDefaultColWidth(120);
  f.grid->Texts[{3, 1}] = "甲乙";
  f.Show();
  PostKey(VK_RIGHT);
  PostKey(VK_RIGHT);
  PostKey(VK_RETURN);
  TkwInplaceEditList* ed = f.Editor();
  ASSERT_NE(ed, nullptr);
  ASSERT_EQ(::GetFocus(), ed->Handle());
  TBitmap shot;
  shot.SetSize(ed->Width(), ed->Height());
  shot.Canvas()->Brush()->SetColor(clFuchsia);
  shot.Canvas()->FillRect(Rect(0, 0, shot.Width(), shot.Height()));
  ::SendMessageW(ed->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(shot.Canvas()->Handle()), 0);
  const TRect b = ed->ButtonRect();
  const int dotX = b.Left + (b.Right - b.Left) / 2 - 1, dotY = b.Top + (b.Bottom - b.Top) / 2 - 1;
  EXPECT_EQ(shot.PixelRGB(dotX, dotY), 0u);
  EXPECT_EQ(shot.PixelRGB(b.Left + 3, b.Top + 3), Rgb(clBtnFace));
  // Every pixel was painted; left of the button lie the background and the text.
  int unpainted = 0, text = 0;
  for (int x = 0; x < shot.Width(); ++x) {
    for (int y = 0; y < shot.Height(); ++y) {
      unpainted += shot.PixelRGB(x, y) == Rgb(clFuchsia) ? 1 : 0;
      if (x < b.Left) text += shot.PixelRGB(x, y) != Rgb(ed->Color()) ? 1 : 0;
    }
  }
  EXPECT_EQ(unpainted, 0);
  EXPECT_EQ(shot.PixelRGB(b.Left - 3, b.Bottom - 2), Rgb(ed->Color()));
  EXPECT_GT(text, 10);
}

TEST(KwEditor, EditorWithoutAGridIsABorderedEdit) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  auto* e = new TkwInplaceEdit(form.get());
  e->SetParent(form.get());
  EXPECT_FALSE(e->HasGrid());
  e->SetGridView(nullptr);
  EXPECT_EQ(e->BorderStyle(), bsSingle);
  EXPECT_TRUE(e->TabStop());
  GridForm f(5, 5);
  e->SetGridView(f.grid->GetGridView());
  EXPECT_TRUE(e->HasGrid());
  EXPECT_EQ(e->BorderStyle(), bsNone);
  EXPECT_FALSE(e->TabStop());
}

TEST(KwEditor, ScreenshotOfAnOpenDropDown) {
  EditForm f;
  f.form->SetCaption("下拉编辑");
  f.grid->SetFooter(true);
  f.grid->SetFooterColor(clInfoBk);
  f.grid->Texts[{2, 1}] = "香蕉";
  f.Show();
  PostKey(VK_RIGHT);
  PostKey(VK_RETURN);
  f.AltDown();
  ASSERT_NE(f.Editor(), nullptr);
  ASSERT_TRUE(f.Editor()->ListVisible());
  PostKey(VK_DOWN);
  // The list is a top-level window of its own: its picture is laid over the form's.
  TPopupListbox* list = f.Editor()->PickList();
  RECT fr;
  ::GetWindowRect(f.form->Handle(), &fr);
  POINT lo{0, 0};
  ::ClientToScreen(list->Handle(), &lo);
  TBitmap formShot, listShot, shot;
  RenderControl(f.form.get(), formShot, true);
  RenderControl(list, listShot, false);
  const int lx = lo.x - fr.left, ly = lo.y - fr.top;
  shot.SetSize(std::max(formShot.Width(), lx + listShot.Width() + 1),
               std::max(formShot.Height(), ly + listShot.Height() + 1));
  shot.Canvas()->Brush()->SetColor(clWhite);
  shot.Canvas()->FillRect(Rect(0, 0, shot.Width(), shot.Height()));
  ::BitBlt(shot.Canvas()->Handle(), 0, 0, formShot.Width(), formShot.Height(), formShot.Canvas()->Handle(), 0, 0,
           SRCCOPY);
  shot.Canvas()->Brush()->SetColor(clBlack);
  shot.Canvas()->FillRect(Rect(lx - 1, ly - 1, lx + listShot.Width() + 1, ly + listShot.Height() + 1));
  ::BitBlt(shot.Canvas()->Handle(), lx, ly, listShot.Width(), listShot.Height(), listShot.Canvas()->Handle(), 0, 0,
           SRCCOPY);
  png::WriteFile(std::string("Z:") + POS_BINARY_DIR + "/kw-grid-dropdown.png", shot.Width(), shot.Height(),
                 shot.PixelsRGB());
  // The list opened on the cell's item; Down moved to the next one.
  EXPECT_EQ(list->ItemIndex(), 2);
  PostKey(VK_ESCAPE);
}

namespace {

// The edit form with a panel below the grid: a control that takes no focus when pressed.
struct PanelForm : EditForm {
  TPanel* panel;
  PanelForm() {
    form->SetBounds(60, 60, 520, 380);
    panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(8, 276, 200, 40);
  }
  void PressPanel() {
    ::PostMessageW(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
  }
};

}  // namespace

// Regression: a key pressed while the list was open went to the list before translation
// and was used up there, so no character followed: letters typed on the keyboard never
// searched the list (only characters posted as such did).
TEST(KwEditor, FaultKeysTypedIntoTheOpenListNeverSearchedIt) {
  EditForm f;
  TkwInplaceEditList* ed = f.OpenPickListCell();
  ASSERT_NE(ed, nullptr);
  ed->OnGetPickListItems = [](int, int, TStrings* items) {
    items->Clear();
    for (const char* s : {"Apple", "Banana", "Berry", "Cherry"}) items->Add(s);
  };
  f.AltDown();
  ASSERT_TRUE(ed->ListVisible());
  TPopupListbox* list = ed->PickList();
  DWORD now = 10000;
  list->TickCount = [&] { return now; };
  std::string seen;
  auto step = [&](WORD vk) {
    PostKey(vk);
    seen += "[" + std::string(list->SearchText().c_str()) + "]" + std::to_string(list->ItemIndex());
  };
  step('B');
  step('E');
  step(VK_BACK);  // the search starts anew
  step('C');
  step(VK_UP);    // arrows still move the selection
  EXPECT_EQ(seen, "[b]1[be]2[]2[c]3[c]2");
  EXPECT_TRUE(ed->ListVisible());
  EXPECT_EQ(ed->Text(), "");  // nothing was typed into the editor meanwhile
  now += 2500;  // a new search
  step('A');
  EXPECT_EQ(seen, "[b]1[be]2[]2[c]3[c]2[a]0");
  PostKey(VK_RETURN);
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_EQ(ed->Text(), "Apple");
  EXPECT_EQ(f.grid->Cell(2, 1), "Apple");
  // With the list closed the keys type into the editor again.
  ed->SelectAll();
  PostKey('X');
  EXPECT_EQ(ed->Text(), "x");
}

// Regression: a press on a control that takes no focus (a panel) left the open list
// showing; it closes without taking the item, and the grid's own mouse mode ends too.
TEST(KwEditor, FaultAPressElsewhereLeftTheListOpen) {
  PanelForm f;
  f.grid->Texts[{2, 1}] = "苹果";
  TkwInplaceEditList* ed = f.OpenPickListCell();
  ASSERT_NE(ed, nullptr);
  f.AltDown();
  ASSERT_TRUE(ed->ListVisible());
  PostKey(VK_DOWN);
  ASSERT_EQ(ed->PickList()->ItemIndex(), 1);
  f.PressPanel();
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_FALSE(::IsWindowVisible(ed->PickList()->Handle()));
  EXPECT_EQ(ed->Text(), "苹果");
  EXPECT_EQ(f.grid->Cell(2, 1), "苹果");
  EXPECT_TRUE(f.grid->EditorMode());
  EXPECT_EQ(::GetFocus(), ed->Handle());
  // A press on the editor itself (its text) keeps an open list open.
  f.AltDown();
  ASSERT_TRUE(ed->ListVisible());
  ::PostMessageW(ed->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  ::PostMessageW(ed->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  Pump();
  EXPECT_TRUE(ed->ListVisible());
  PostKey(VK_ESCAPE);
  EXPECT_FALSE(ed->ListVisible());
}

TEST(KwEditor, FaultAPressElsewhereLeftTheGridMovingAColumn) {
  PanelForm f;
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goColMoving});
  f.Show();
  ASSERT_TRUE(f.Press(f.CellCenter(3, 0)));
  ASSERT_EQ(f.grid->GridState(), gsColMoving);
  f.PressPanel();
  EXPECT_EQ(f.grid->GridState(), gsNormal);
  ::ReleaseCapture();
  f.Mouse(WM_LBUTTONUP, f.CellCenter(1, 0));
  EXPECT_EQ(f.grid->GridState(), gsNormal);
}

// Bounds set from code reach the formatting rectangle; an editor squeezed to no width is
// not visible although its window is shown.
TEST(KwEditor, SetBoundsSetsTheTextRectangleAndNoWidthIsNotVisible) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(60, 60, 320, 140);
  auto* e = new TkwInplaceEditList(form.get());
  e->SetParent(form.get());
  form->Show();
  Settle();
  e->Move(Rect(10, 10, 170, 34));
  Focus(e);
  ASSERT_EQ(::GetFocus(), e->Handle());
  // The gap between the text's right edge and the editor's: the edit keeps a margin of
  // its own inside the rectangle it is given, the same at every width.
  auto gap = [&] {
    RECT r{};
    ::SendMessageW(e->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    return e->Width() - r.right;
  };
  const int moved = gap();
  e->SetBounds(10, 10, 220, 24);
  const int wider = gap();
  e->SetEditStyle(esPickList);
  e->SetBounds(10, 10, 200, 24);
  const int withButton = gap();
  EXPECT_EQ(std::to_string(wider) + " " + std::to_string(withButton),
            std::to_string(moved) + " " + std::to_string(moved + e->ButtonWidth()));
  EXPECT_TRUE(e->Visible());
  e->SetBounds(10, 10, 0, 24);
  EXPECT_TRUE(::IsWindowVisible(e->Handle()));
  EXPECT_FALSE(e->Visible());
  TInplaceEdit* asPlatform = e;
  EXPECT_FALSE(asPlatform->Visible());
}
