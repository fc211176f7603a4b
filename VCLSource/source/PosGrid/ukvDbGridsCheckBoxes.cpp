// The check-box pool of a check-box column and its check boxes.
#include "VCLSource/source/PosGrid/ukvDbGridsCheckBoxes.h"

#include <windowsx.h>

#include "VCLSource/source/PosGrid/ukvDbConsts.h"

// ============================================================================ check box

// Mended: the boxes were tab stops, so Shift+Tab from the control after the grid (or
// Tab from the grid) focused a box inside the grid, where Space flipped it and nothing
// reached the field. A box takes no focus by Tab; its clicks are the grid's.
TkvInplaceCheckBox::TkvInplaceCheckBox(TComponent* AOwner) : TCheckBox(AOwner) { SetTabStop(false); }

void TkvInplaceCheckBox::SetGridView(std::shared_ptr<IkwGridView> v) {
  if (v != FGridView) FGridView = std::move(v);
}

void TkvInplaceCheckBox::Toggle() {
  switch (State()) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(AllowGrayed() ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
  }
}

void TkvInplaceCheckBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_CHANGED:
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      ForwardToGrid(m);
      return;
    default:
      TCheckBox::WndProc(m);
  }
}

// The press lands on the grid as if it had been made on the cell beneath the box. A
// box whose grid is gone drops it.
void TkvInplaceCheckBox::ForwardToGrid(const TMessage& m) {
  const HWND grid = GridView().GetHandle();
  if (!grid) return;
  const int x = GET_X_LPARAM(m.LParam) + Left();
  const int y = GET_Y_LPARAM(m.LParam) + Top();
  ::SendMessageW(grid, m.Msg, m.WParam, MAKELPARAM(x, y));
}

// ============================================================================ pool

TkvInplaceCheckBox* TkvCheckBoxEditors::CreateEditorControl() {
  auto* box = new TkvInplaceCheckBox(FGrid);  // owned by the grid
  box->SetVisible(false);
  box->SetParent(FGrid);
  box->SetGridView(FGrid->GetGridView());
  return box;
}

TkvInplaceCheckBox* TkvCheckBoxEditors::GetEditor(int Index) {
  if (Index < 0) throw EkwInvalidGridOperation(kvLoadStr(SkvRowIndexError));
  while (Count() <= Index) FItems.push_back(CreateEditorControl());
  return FItems[static_cast<size_t>(Index)];
}

void TkvCheckBoxEditors::HideAll() {
  for (TkvInplaceCheckBox* box : FItems) box->SetVisible(false);
}
