// TCustomGrid's side of editing: when the in-place editor is shown, creating it,
// moving it onto the current cell, and writing its text back into the cell it edits
// (the editor itself is in GridInplaceEdit.cpp).
#include "ui/Grids.h"

#include "ui/Forms.h"

using namespace ui_win;


bool TCustomGrid::IsActiveControl() {
  if (TCustomForm* form = GetParentForm(this)) return form->ActiveControl() == this;
  HWND h = ::GetFocus();
  while (h && ::IsWindow(h)) {
    if (h == FHandle) return true;
    h = ::GetParent(h);
  }
  return false;
}

bool TCustomGrid::CanEditShow() {
  return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && FEditorMode && HandleAllocated() &&
         (AlwaysShowEditor(Col()) || IsActiveControl());
}

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

void TCustomGrid::UpdateEdit() {
  if (!CanEditShow()) return;
  auto updateEditor = [this] {
    FInplaceEdit->UpdateContents();
    // The editor's cell is set after its text is loaded, so nothing the load may
    // announce is written back into a cell.
    FInplaceCol = Col();
    FInplaceRow = Row();
    FCanEditModify = FInplaceEdit->MaxLength() != -1;
    FInplaceEdit->SelectAll();
  };
  if (!FInplaceEdit) {
    FInplaceEdit = CreateEditor();
    FInplaceEdit->SetGrid(this);
    FInplaceEdit->SetParent(this);
    FInplaceEdit->HandleNeeded();
    updateEditor();
  } else if (Col() != FInplaceCol || Row() != FInplaceRow) {
    HideEdit();
    updateEditor();
  }
  if (CanEditShow()) FInplaceEdit->Move(CellRect(Col(), Row()));
}

void TCustomGrid::HideEdit() {
  if (!FInplaceEdit) return;
  struct Finally {
    TCustomGrid* g;
    ~Finally() {
      g->FInplaceCol = -1;
      g->FInplaceRow = -1;
      g->FInplaceEdit->Hide();
    }
  } finally{this};
  UpdateText();
}

void TCustomGrid::UpdateText() {
  if (FInplaceCol != -1 && FInplaceRow != -1 && FInplaceEdit)
    SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGrid::ShowEditor() {
  FEditorMode = true;
  UpdateEdit();
}

void TCustomGrid::HideEditor() {
  FEditorMode = false;
  HideEdit();
}

void TCustomGrid::SetEditorMode(bool v) {
  if (!v) {
    HideEditor();
  } else {
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->HandleAllocated()) FInplaceEdit->Deselect();
  }
}

void TCustomGrid::ShowEditorChar(WPARAM Ch) {
  ShowEditor();
  if (FInplaceEdit && FInplaceEdit->HandleAllocated()) ::PostMessageW(FInplaceEdit->Handle(), WM_CHAR, Ch, 0);
}

// A change in the editor's text goes into its cell at once.
void TCustomGrid::WMCommand(TMessage& m) {
  if (FInplaceEdit && FInplaceEdit->HandleAllocated() && reinterpret_cast<HWND>(m.LParam) == FInplaceEdit->Handle() &&
      HIWORD(m.WParam) == EN_CHANGE)
    UpdateText();
}
