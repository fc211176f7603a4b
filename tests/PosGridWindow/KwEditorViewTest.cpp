// The in-place editors reach their grid only through the view: an editor given nothing
// but a recording view (no grid at all) loads the view's cell, hands the view its keys,
// double clicks and wheel, returns the focus to the view's window; the pick list's
// event carries the row; right-to-left reading is the grid's answer through its view.
#include <vector>

#include "KwGridTestSupport.h"
#include "ui/ExtCtrls.h"

using namespace kwtest;
using namespace uitest;

namespace {

// A view over no grid: its window is a panel; it records every call that reaches it.
class TRecordingView : public TkwEmptyGridView {
 public:
  explicit TRecordingView(TWinControl* host) : FHost(host) {}
  EventLog Log;
  AnsiString Text = "甲乙";
  bool Modify = true;
  bool AlwaysShow = false;
  int C = 2, R = 3;

  void DblClick() override { Log.Add("dbl"); }
  bool Focused() override { return ::GetFocus() == FHost->Handle(); }
  HWND GetHandle() override { return FHost->Handle(); }
  void KeyDown(WORD& Key, TShiftState Shift) override {
    Log.Add("down:" + std::to_string(Key) + (Shift.Contains(ssCtrl) ? "^" : ""));
  }
  void KeyPress(char& Key) override { Log.Add("press:" + std::to_string(static_cast<unsigned char>(Key))); }
  void KeyUp(WORD& Key, TShiftState) override { Log.Add("up:" + std::to_string(Key)); }
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_MOUSEWHEEL) Log.Add("wheel");
  }
  bool CanEditModify() override { return Modify; }
  bool HasGrid() override { return true; }
  bool AlwaysShowEditor() override { return AlwaysShow; }
  int Col() override { return C; }
  int Row() override { return R; }
  int GetEditLimit() override { return 7; }
  TEditStyle Style = esSimple;
  TEditStyle GetEditStyle(int, int) override { return Style; }
  AnsiString GetEditText(int ACol, int ARow) override {
    Log.Add("text:" + std::to_string(ACol) + "," + std::to_string(ARow));
    return Text;
  }
  void KeyDownEvent(WORD& Key, TShiftState) override { Log.Add("event:" + std::to_string(Key)); }
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override {
    Log.Add("set:" + std::to_string(ACol) + "," + std::to_string(ARow) + "=" + std::string(Value.c_str()));
  }

 private:
  TWinControl* FHost;
};

// A form with a panel standing for the grid's window and an editor on it that knows
// only the view.
struct ViewForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TPanel* host;
  TkwInplaceEdit* editor;
  std::shared_ptr<TRecordingView> view;

  explicit ViewForm(bool list = false) {
    form->SetBounds(60, 60, 320, 160);
    host = new TPanel(form.get());
    host->SetParent(form.get());
    host->SetBounds(8, 8, 280, 100);
    host->SetTabStop(true);
    editor = list ? new TkwInplaceEditList(form.get()) : new TkwInplaceEdit(form.get());
    view = std::make_shared<TRecordingView>(host);
    editor->SetGridView(view);
    editor->SetParent(host);
    form->Show();
    Settle();
    Focus(host);
  }
  // Loads the view's cell and shows the editor over it with the focus.
  void Open() {
    editor->UpdateContents();
    editor->Move(Rect(10, 10, 170, 30));
    Focus(editor);
    view->Log.Clear();
  }
};

}  // namespace

TEST(KwEditorView, EditorGivenOnlyAViewLoadsTheViewsCell) {
  ViewForm f;
  EXPECT_TRUE(f.editor->HasGrid());
  EXPECT_EQ(f.editor->BorderStyle(), bsNone);
  f.view->Log.Clear();
  f.editor->UpdateContents();
  EXPECT_EQ(f.view->Log.Str(), "text:2,3");
  EXPECT_EQ(f.editor->Text(), "甲乙");
  EXPECT_EQ(f.editor->MaxLength(), 7);
  EXPECT_FALSE(f.editor->Modified());
  // With a grid's view only window positions show and hide the editor.
  f.Open();
  f.editor->SetVisible(false);
  EXPECT_TRUE(::IsWindowVisible(f.editor->Handle()));
  f.editor->Hide();
  EXPECT_FALSE(::IsWindowVisible(f.editor->Handle()));
}

// Keys the grid takes reach the view's KeyDown and never the edit; their character
// (Esc) still follows to the view's KeyPress; every key-up is the view's; the others
// reach the view's key-down event and then the edit.
TEST(KwEditorView, KeysGoToTheView) {
  ViewForm f;
  f.Open();
  ASSERT_EQ(::GetFocus(), f.editor->Handle());
  PostKey(VK_DOWN);
  EXPECT_EQ(f.view->Log.Str(), "down:40 up:40");
  f.view->Log.Clear();
  PostKey(VK_ESCAPE);
  EXPECT_EQ(f.view->Log.Str(), "down:27 press:27 up:27");
  f.view->Log.Clear();
  f.editor->SelectAll();
  PostKey('X');
  EXPECT_EQ(f.view->Log.Str(), "event:88 press:120 up:88");
  EXPECT_EQ(f.editor->Text(), "x");
  EXPECT_TRUE(f.editor->Modified());
  // Tab is wanted by the editor whatever the grid's options, and goes to the view.
  EXPECT_EQ(::SendMessageW(f.editor->Handle(), WM_GETDLGCODE, VK_TAB, 0) & DLGC_WANTTAB, DLGC_WANTTAB);
  f.view->Log.Clear();
  PostKey(VK_TAB);
  EXPECT_EQ(f.view->Log.Str(), "down:9 press:9 up:9");
  EXPECT_EQ(::GetFocus(), f.editor->Handle());
}

// A view that refuses modification keeps the text; Delete is refused too.
TEST(KwEditorView, TheViewDecidesWhetherTheTextMayChange) {
  ViewForm f;
  f.Open();
  f.view->Modify = false;
  f.editor->SelectAll();
  TypeText(L"乙x");
  PostKey(VK_DELETE);
  EXPECT_EQ(f.editor->Text(), "甲乙");
  ::SendMessageW(f.editor->Handle(), WM_CLEAR, 0, 0);
  EXPECT_EQ(f.editor->Text(), "甲乙");
  f.view->Modify = true;
  f.editor->SelectAll();
  PostKey(VK_DELETE);
  EXPECT_EQ(f.editor->Text(), "");
}

// Left at the caret's start goes to the grid only when the view always shows its
// editor; Ctrl+Left then goes whatever the caret.
TEST(KwEditorView, LeftAtTheStartMovesOnlyWhenTheViewAlwaysShowsTheEditor) {
  ViewForm f;
  f.Open();
  f.editor->Deselect();
  PostKey(VK_HOME);
  f.view->Log.Clear();
  PostKey(VK_LEFT);
  EXPECT_EQ(f.view->Log.Str(), "event:37 up:37");
  f.view->AlwaysShow = true;
  f.view->Log.Clear();
  PostKey(VK_LEFT);
  EXPECT_EQ(f.view->Log.Str(), "down:37 up:37");
  f.editor->Deselect();
  f.view->Log.Clear();
  PostKey(VK_LEFT);
  EXPECT_EQ(f.view->Log.Str(), "event:37 up:37");
  f.view->Log.Clear();
  PostKeyWith(VK_CONTROL, VK_LEFT);
  EXPECT_EQ(f.view->Log.Str(), "down:37^ up:37");
}

// A double click, the wheel and a hide all reach the view: the caret stays put under
// the wheel and the focus goes back to the view's window.
TEST(KwEditorView, DoubleClickWheelAndFocusGoThroughTheView) {
  ViewForm f;
  f.Open();
  ::PostMessageW(f.editor->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump();
  f.editor->Deselect();
  const LRESULT caretBefore = ::SendMessageW(f.editor->Handle(), EM_GETSEL, 0, 0);
  ::PostMessageW(f.editor->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(20, 20));
  Pump();
  EXPECT_EQ(f.view->Log.Str(), "dbl wheel");
  EXPECT_EQ(::SendMessageW(f.editor->Handle(), EM_GETSEL, 0, 0), caretBefore);
  // The form counts the view's window, not the editor, as its focused control.
  EXPECT_EQ(f.form->ActiveControl(), f.host);
  f.editor->Hide();
  Pump();
  EXPECT_EQ(::GetFocus(), f.host->Handle());
  // Shown again over the cell while the view's window has the focus: the editor takes it.
  f.editor->Move(Rect(10, 40, 170, 60));
  Pump();
  EXPECT_EQ(::GetFocus(), f.editor->Handle());
}

// The drop-down editor takes its style from the view; a double click steps the list
// and stores the item through the view, in the view's cell.
TEST(KwEditorView, ListEditorStoresThroughTheView) {
  ViewForm f(true);
  auto* ed = static_cast<TkwInplaceEditList*>(f.editor);
  std::vector<std::string> asked;
  ed->OnGetPickListItems = [&](int ACol, int ARow, TStrings* items) {
    asked.push_back(std::to_string(ACol) + "," + std::to_string(ARow));
    items->Clear();
    items->Add("苹果");
    items->Add("甲乙");
  };
  f.view->Style = esPickList;
  f.Open();
  EXPECT_EQ(ed->EditStyle(), esPickList);
  ::PostMessageW(ed->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(f.view->Log.Str(), "set:2,3=苹果");
  EXPECT_EQ(ed->Text(), "苹果");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "2,3");
  // The next load takes the style the view answers then.
  f.view->Style = esEllipsis;
  ed->UpdateContents();
  EXPECT_EQ(ed->EditStyle(), esEllipsis);
}

// The pick list's event carries the cell's row as well as its column.
TEST(KwEditorView, PickListItemsAreAskedForTheCellsColumnAndRow) {
  GridForm f(6, 20);
  f.grid->SetOptions(f.grid->Options() + TGridOptions{goEditing});
  f.Show();
  PostKey(VK_RIGHT);
  PostKey(VK_DOWN);
  PostKey(VK_DOWN);
  EXPECT_EQ(f.Cur(), "2,3");
  PostKey(VK_RETURN);
  auto* ed = dynamic_cast<TkwInplaceEditList*>(f.grid->InplaceEditor());
  ASSERT_NE(ed, nullptr);
  std::vector<std::string> asked;
  ed->OnGetPickListItems = [&](int ACol, int ARow, TStrings* items) {
    asked.push_back(std::to_string(ACol) + "," + std::to_string(ARow));
    items->Clear();
    items->Add("苹果");
  };
  {
    HeldKey alt(VK_MENU);
    ::PostMessageW(KeyTarget(), WM_SYSKEYDOWN, VK_DOWN, KeyData(VK_DOWN, false, true));
    Pump();
  }
  ASSERT_TRUE(ed->ListVisible());
  PostKey(VK_DOWN);
  PostKey(VK_RETURN);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "2,3");
  EXPECT_EQ(f.grid->Cell(2, 3), "苹果");
}

namespace {

class TRightToLeftGrid : public TTestGrid {
 public:
  using TTestGrid::TTestGrid;
  bool RightToLeft = false;
  bool UseRightToLeftAlignment() override { return RightToLeft; }
};

}  // namespace

// The view asks its grid about right-to-left reading; the drop-down editor's button
// then lies at the left end.
TEST(KwEditorView, RightToLeftIsTheGridsAnswerThroughItsView) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  auto* grid = new TRightToLeftGrid(form.get());
  grid->SetParent(form.get());
  const std::shared_ptr<IkwGridView> view = grid->GetGridView();
  EXPECT_FALSE(view->UseRightToLeftAlignment());
  grid->RightToLeft = true;
  EXPECT_TRUE(view->UseRightToLeftAlignment());
  auto* ed = new TkwInplaceEditList(form.get());
  ed->SetParent(grid);
  ed->SetGridView(view);
  ed->SetEditStyle(esEllipsis);
  ed->SetBounds(0, 0, 80, 18);
  EXPECT_EQ(ed->ButtonRect(), Rect(0, 0, ed->ButtonWidth(), 18));
  grid->RightToLeft = false;
  EXPECT_EQ(ed->ButtonRect(), Rect(62, 0, 80, 18));
}

// One pending message of the number is taken off; a quit request taken is put back.
TEST(KwEditorView, KillMessageTakesOneAndPutsAQuitBack) {
  ViewForm f;
  const HWND h = f.editor->Handle();
  const UINT kMsg = WM_USER + 7;
  ::PostMessageW(h, kMsg, 1, 0);
  ::PostMessageW(h, kMsg, 2, 0);
  KillMessage(h, kMsg);
  MSG m;
  ASSERT_TRUE(::PeekMessageW(&m, h, kMsg, kMsg, PM_REMOVE));
  EXPECT_EQ(m.wParam, 2u);
  EXPECT_FALSE(::PeekMessageW(&m, h, kMsg, kMsg, PM_NOREMOVE));
  ::PostQuitMessage(5);
  KillMessage(nullptr, WM_QUIT);
  ASSERT_TRUE(::PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 5u);
}
