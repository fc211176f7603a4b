// The library's in-place editors. TkwInplaceEdit is the platform grid's in-place edit
// that asks its questions of a grid view (IkwGridView) instead of the grid: may the
// cell be modified, which keys the grid takes. An editor without a view makes itself
// the empty view and acts as a plain bordered edit. TkwInplaceEditList adds the
// drop-down button and pick list of the platform's drop-down editor, with these rules:
// a double click steps through the list and a list value is accepted only when the
// cell may be modified; accepting a changed value fires OnChange; the dropped list
// stays inside the work area of the editor's monitor and scrolls when it is longer;
// the button is drawn, and the text makes room for it, only while the editor has the
// focus and is not read-only, the ellipsis button square; the editor paints through an
// off-screen bitmap.
#pragma once
#include <memory>

#include "VCLSource/source/PosGrid/ukvGridsIntf.h"
#include "ui/Grids.h"

// The view an editor holds: the empty view until one is set.
class TkwGridViewLink {
 public:
  IkwGridView& View();
  const std::shared_ptr<IkwGridView>& Get() { View(); return FView; }
  void Set(std::shared_ptr<IkwGridView> v) { FView = std::move(v); }
  bool HasGrid() { return View().HasGrid(); }

 private:
  std::shared_ptr<IkwGridView> FView;
};

class TkwInplaceEdit : public TInplaceEdit {
 public:
  explicit TkwInplaceEdit(TComponent* AOwner);
  IkwGridView& GridView() { return FView.View(); }
  // With a grid's view the editor is borderless and out of the tab order; without one
  // it is a bordered edit in the tab order.
  void SetGridView(std::shared_ptr<IkwGridView> v);
  bool HasGrid() { return FView.HasGrid(); }

 protected:
  bool EditCanModify() override;
  // Enter toggles between all selected and the caret at the end; it never reaches the
  // edit or the grid.
  void KeyPress(char& Key) override;

 private:
  TkwGridViewLink FView;
};

class TkwInplaceEditList : public TInplaceEditList {
 public:
  explicit TkwInplaceEditList(TComponent* AOwner);
  IkwGridView& GridView() { return FView.View(); }
  void SetGridView(std::shared_ptr<IkwGridView> v);
  bool HasGrid() { return FView.HasGrid(); }
  void UpdateContents() override;
  void DropDown() override;
  void CloseUp(bool Accept) override;
  using TInplaceEditList::SetEditStyle;

  // Enter in an ellipsis editor that has no grid (Sender = the editor).
  TNotifyEvent OnReturnKey;

  // Empty while read-only; the ellipsis button is square (as wide as the editor is
  // high), the arrow button as wide as a scroll bar.
  TRect ButtonRect() override;
  // The button is drawn, and the text makes room for it, only while the editor has
  // the focus.
  bool ButtonShown();

 protected:
  bool EditCanModify() override;
  // The formatting rectangle leaves room for the button while it is shown.
  void BoundsChanged() override;
  // Paints through an off-screen bitmap: the background, the button, then the text
  // around it, copied to the window in one block.
  void WndProc(TMessage& m) override;
  void DrawButton(HDC dc);
  // Ctrl+Enter in an ellipsis editor clicks the button; its character never reaches
  // the text.
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DblClick() override;
  // Loads the pick list once per cell (OnGetPickListItems with the view's column).
  void DoGetPickListItems() override;
  // OnEditButtonClick with the editor as Sender.
  void DoEditButtonClick() override;
  // The editor may write the cell: not read-only and the view allows it.
  bool MayModify();

 private:
  void PaintOffScreen();
  void PaintInto(HDC dc);

  TkwGridViewLink FView;
  bool FPickListLoaded = false;
  bool FFocused = false;  // between WM_SETFOCUS and WM_KILLFOCUS
};
