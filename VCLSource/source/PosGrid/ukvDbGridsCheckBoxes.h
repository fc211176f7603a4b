// The check boxes of a check-box column. Each such column owns a TkvCheckBoxEditors
// pool that hands out one TkvInplaceCheckBox per visible row offset; the grid places,
// colours, sets and shows them while it paints and hides them all when the number of
// rows it lays out changes. A check box never handles a mouse button itself: it hands
// the press to the grid as a press on the cell beneath it, so that row focus and the
// toggle of the field are the grid's own. A box is no tab stop: the keyboard never
// reaches it, only the grid.
//
// Invariants: the controls are owned by the grid as their component owner and are
// never removed from the pool; a control made by the pool is hidden until a paint
// shows it; entry i of the pool stays the same control for the pool's lifetime.
#pragma once
#include <memory>
#include <vector>

#include "VCLSource/source/PosGrid/ukvGrids.h"
#include "rtl/Classes.h"
#include "ui/CheckBox.h"

class TkvInplaceCheckBox : public TCheckBox {
 public:
  explicit TkvInplaceCheckBox(TComponent* AOwner);
  IkwGridView& GridView() { return FGridView ? *FGridView : FEmptyView; }
  void SetGridView(std::shared_ptr<IkwGridView> v);
  // As a click of the platform check box: unchecked -> checked, checked -> grayed when
  // grayed is allowed and else unchecked, grayed -> unchecked.
  void Toggle();

 protected:
  // Swallows CM_CHANGED; sends the left button's down, up and double-click messages to
  // the grid in the grid's coordinates instead of handling them.
  void WndProc(TMessage& m) override;

 private:
  void ForwardToGrid(const TMessage& m);

  std::shared_ptr<IkwGridView> FGridView;
  TkwEmptyGridView FEmptyView;
};

class TkvCheckBoxEditors : public TObject {
 public:
  explicit TkvCheckBoxEditors(TkwCustomGrid* AGrid) : FGrid(AGrid) {}
  // Frees the list, not the controls: those belong to the grid.
  ~TkvCheckBoxEditors() override = default;
  TkvCheckBoxEditors(const TkvCheckBoxEditors&) = delete;
  TkvCheckBoxEditors& operator=(const TkvCheckBoxEditors&) = delete;

  TkwCustomGrid* Grid() const { return FGrid; }
  int Count() const { return static_cast<int>(FItems.size()); }
  // The control of row offset Index, making the missing controls up to it. Raises
  // EkwInvalidGridOperation ("行索引超出范围") for a negative Index.
  TkvInplaceCheckBox* GetEditor(int Index);
  void HideAll();

 protected:
  // A hidden check box owned by and parented to the grid, holding the grid's view.
  virtual TkvInplaceCheckBox* CreateEditorControl();

 private:
  std::vector<TkvInplaceCheckBox*> FItems;  // not owned
  TkwCustomGrid* FGrid;
};
