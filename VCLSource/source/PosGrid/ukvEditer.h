// The library's in-place editors. TkwInplaceEdit is the text editor a grid lays over its
// current cell; it never holds its grid: every question (the cell's text, mask and
// limit, the current cell, may-modify, which keys the grid takes, focus, handle, the
// wheel) goes through a grid view (IkwGridView). The platform grid hosts it as its
// editor, but the grid pointer the platform hands every editor is never read here. An
// editor without a view makes itself the empty view on first use and acts as a plain
// bordered edit in the tab order.
//
// TkwInplaceEditList adds the edit button: an ellipsis button (OnEditButtonClick) or a
// combo arrow that drops down a pick list (TkwPopupListbox), with these rules: a double
// click steps through the list and a list value is accepted only when the cell may be
// modified; accepting a changed value fires OnChange; the dropped list stays inside the
// work area of the editor's monitor and scrolls when it is longer; the button is drawn,
// and the text makes room for it, only while the editor has the focus and is not
// read-only, the ellipsis button square; the editor paints through an off-screen bitmap.
// While the list is open the keys typed go to it, each with its character (typing
// searches the list), and a press on any other control closes it without taking its
// value.
#pragma once
#include <functional>
#include <memory>

#include "VCLSource/source/PosGrid/ukvGridsIntf.h"
#include "ui/Grids.h"

class TkwInplaceEdit : public TInplaceEdit {
 public:
  explicit TkwInplaceEdit(TComponent* AOwner);

  // The view; without one the fallback view (GetGridViewFallback) is made and set first.
  IkwGridView& GridView();
  // With a grid's view the editor is borderless, out of the tab order and shown only by
  // window positions; without one (an empty view, or none: then the fallback) it is a
  // bordered edit in the tab order. Setting the view already held does nothing.
  void SetGridView(std::shared_ptr<IkwGridView> v);
  // False while no view is held (this does not make one).
  bool HasGrid() const;

  // Hidden by a zero window position; when the editor had the focus it goes to the
  // view's window.
  void Hide() override;
  // The editor repaints, and with a grid the grid's pixels beneath it are revalidated.
  void Invalidate() override;
  // Loads the view's current cell: mask, text (Modified is clear afterwards), limit.
  void UpdateContents() override;
  // With a grid the editor is shown and hidden only by window positions.
  void SetVisible(bool v) override;
  // The window is shown and the editor is wider than 0 (an editor squeezed to no width
  // is not visible although its window is shown).
  bool Visible() override;
  // The formatting rectangle follows the new bounds.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  // The view an editor makes for itself when none was given: the empty view.
  virtual std::shared_ptr<IkwGridView> GetGridViewFallback();
  void CreateParams(TCreateParams& p) override;
  void InternalMove(const TRect& Loc, bool Redraw) override;
  bool EditCanModify() override;
  void WndProc(TMessage& m) override;
  // A dialog key the editor does not want goes to the form first; a key handed to the
  // grid still produces its character (Tab, Esc) but never reaches the edit window.
  void CNKeyDown(TMessage& m) override;
  // The editor's focus is the grid's as far as the form is concerned.
  void WMSetFocus(TMessage& m) override;
  // Up, Down, Page keys, Esc, Tab (not with Alt), Insert and Ctrl+Delete go to the grid;
  // Left/Home and Right/End at the text's ends (or with Ctrl) when the grid always
  // shows its editor. A key the grid did not take reaches the grid's OnKeyDown.
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // Every character is offered to the grid first. Enter toggles between all selected
  // and the caret at the end; Tab and Esc never reach the edit.
  void KeyPress(char& Key) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void DblClick() override;
  // The next WM_KEYDOWN reaching the edit window is dropped: its key was handled before
  // translation (by the grid or an open list) but is left to make its character.
  void SwallowNextKeyDown() { FSwallowKeyDown = true; }

 private:
  std::shared_ptr<IkwGridView> FGridView;
  bool FKeyToGrid = false;       // KeyDown just handed the key to the grid
  bool FSwallowKeyDown = false;  // the next WM_KEYDOWN was the grid's
};

class TkwInplaceEditList;

// The pick list: the platform's popup list whose release of the left button closes the
// owning editor's list (accepting when the release lies inside the list).
class TkwPopupListbox : public TPopupListbox {
 public:
  explicit TkwPopupListbox(TkwInplaceEditList* AOwner);

 protected:
  void CreateParams(TCreateParams& p) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TkwInplaceEditList* FEditor;
};

class TkwInplaceEditList : public TkwInplaceEdit {
 public:
  explicit TkwInplaceEditList(TComponent* AOwner);

  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int v) { FButtonWidth = v; }
  // Rows of the dropped list at most; 0 = all rows.
  int DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(int v) { FDropDownRows = v; }
  TEditStyle EditStyle() const { return FEditStyle; }
  void SetEditStyle(TEditStyle v);
  bool ListVisible() const { return FListVisible; }
  bool Pressed() const { return FPressed; }
  // The list that drops down (the pick list, or a list a descendant sets); null when none.
  TWinControl* ActiveList() const { return FActiveList; }
  // Made on first use, owned by the editor.
  TkwPopupListbox* PickList();
  bool PickListLoaded() const { return FPickListLoaded; }

  // Empty while read-only; at the left with right-to-left reading; the ellipsis button
  // is square (as wide as the editor is high), the arrow button ButtonWidth wide.
  virtual TRect ButtonRect();
  bool OverButton(const TPoint& P) { return ButtonRect().Contains(P); }
  // The button is drawn, and the text makes room for it, only while the editor has the
  // focus and is not read-only.
  bool ButtonShown();

  // The style comes from the view's current cell (without a grid it stays as set).
  void UpdateContents() override;
  virtual void DropDown();
  // Hides the list; with Accept a chosen value different from the text becomes the text
  // and the cell's, when the cell may be modified, and OnChange fires.
  virtual void CloseUp(bool Accept);

  TNotifyEvent OnEditButtonClick;
  // Enter in an ellipsis editor that has no grid (Sender = the editor).
  TNotifyEvent OnReturnKey;
  // Fills the pick list of the cell (ACol, ARow) before it drops down.
  std::function<void(int ACol, int ARow, TStrings* Items)> OnGetPickListItems;

 protected:
  friend class TkwPopupListbox;
  // The formatting rectangle leaves room for the button while it is shown.
  void BoundsChanged() override;
  void WndProc(TMessage& m) override;
  // Alt+Up/Down opens or accepts the list; Enter and Esc close an open one.
  virtual void DoDropDownKeys(WORD& Key, TShiftState Shift);
  // OnEditButtonClick with the editor as Sender.
  virtual void DoEditButtonClick();
  // Loads the pick list once per cell.
  virtual void DoGetPickListItems();
  // Ctrl+Enter in an ellipsis editor clicks the button; no line feed follows.
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // The editor may write the cell: not read-only and the view allows it.
  bool MayModify();
  void SetActiveList(TWinControl* v) { FActiveList = v; }
  void SetListVisible(bool v) { FListVisible = v; }
  // Repaints after the list opened or closed.
  void InvalidateForList();
  // Sets the text as the user would not type it: the mask keeps its saved value.
  void SetTextDirect(const AnsiString& v);
  // The position a dropped list of this size takes: below the editor, else above it,
  // inside the work area of the editor's monitor.
  TRect ListPlace(int width, int height);

 private:
  void PaintOffScreen();
  void PaintInto(HDC dc);
  void DrawButton(HDC dc);
  void TrackButton(int X, int Y);
  void StopTracking();

  TWinControl* FActiveList = nullptr;
  int FButtonWidth;
  int FDropDownRows = 8;
  TEditStyle FEditStyle = esSimple;
  bool FListVisible = false;
  TkwPopupListbox* FPickList = nullptr;  // owned as a component
  bool FPickListLoaded = false;
  bool FPressed = false;
  bool FTracking = false;
  bool FFocused = false;  // between WM_SETFOCUS and WM_KILLFOCUS
};

// Takes one pending message of that number for the window off the thread's queue; a quit
// request taken with it is posted again with its exit code. The editors and the
// data-aware grid share it.
void KillMessage(HWND Window, UINT Msg);
