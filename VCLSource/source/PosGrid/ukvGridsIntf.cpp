// TkwCustomGridView: each question forwarded to the grid while it is attached.
#include "VCLSource/source/PosGrid/ukvGridsIntf.h"

#include "VCLSource/source/PosGrid/ukvGrids.h"

void TkwCustomGridView::DblClick() {
  if (FGrid) FGrid->DblClick();
}
bool TkwCustomGridView::Focused() { return FGrid ? FGrid->Focused() : TkwEmptyGridView::Focused(); }
HWND TkwCustomGridView::GetHandle() { return FGrid ? FGrid->Handle() : TkwEmptyGridView::GetHandle(); }
void TkwCustomGridView::KeyDown(WORD& Key, TShiftState Shift) {
  if (FGrid) FGrid->KeyDown(Key, Shift);
}
void TkwCustomGridView::KeyPress(char& Key) {
  if (FGrid) FGrid->KeyPress(Key);
}
void TkwCustomGridView::KeyUp(WORD& Key, TShiftState Shift) {
  if (FGrid) FGrid->KeyUp(Key, Shift);
}
bool TkwCustomGridView::UseRightToLeftAlignment() {
  return FGrid ? FGrid->UseRightToLeftAlignment() : TkwEmptyGridView::UseRightToLeftAlignment();
}
void TkwCustomGridView::WndProc(TMessage& Message) {
  if (FGrid) FGrid->WndProc(Message);
}
bool TkwCustomGridView::CanEditAcceptKey(char Key) {
  return FGrid ? FGrid->CanEditAcceptKey(Key) : TkwEmptyGridView::CanEditAcceptKey(Key);
}
bool TkwCustomGridView::CanEditModify() {
  return FGrid ? FGrid->CanEditModify() : TkwEmptyGridView::CanEditModify();
}
bool TkwCustomGridView::AlwaysShowEditor() {
  return FGrid ? FGrid->Options().Contains(goAlwaysShowEditor) : TkwEmptyGridView::AlwaysShowEditor();
}
int TkwCustomGridView::Col() { return FGrid ? FGrid->Col() : TkwEmptyGridView::Col(); }
int TkwCustomGridView::Row() { return FGrid ? FGrid->Row() : TkwEmptyGridView::Row(); }
int TkwCustomGridView::GetEditLimit() { return FGrid ? FGrid->GetEditLimit() : TkwEmptyGridView::GetEditLimit(); }
AnsiString TkwCustomGridView::GetEditMask(int ACol, int ARow) {
  return FGrid ? FGrid->GetEditMask(ACol, ARow) : TkwEmptyGridView::GetEditMask(ACol, ARow);
}
TEditStyle TkwCustomGridView::GetEditStyle(int ACol, int ARow) {
  return FGrid ? FGrid->GetEditStyle(ACol, ARow) : TkwEmptyGridView::GetEditStyle(ACol, ARow);
}
AnsiString TkwCustomGridView::GetEditText(int ACol, int ARow) {
  return FGrid ? FGrid->GetEditText(ACol, ARow) : TkwEmptyGridView::GetEditText(ACol, ARow);
}
void TkwCustomGridView::KeyDownEvent(WORD& Key, TShiftState Shift) {
  if (FGrid) FGrid->KeyDownEvent(Key, Shift);
}
void TkwCustomGridView::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  if (FGrid) FGrid->SetEditText(ACol, ARow, Value);
}
void TkwCustomGridView::UpdateText() {
  if (FGrid) FGrid->UpdateText();
}
