// TkwCustomDBGrid's dialog column lists: the locate, filter and column dialogs list the
// grid's columns; each list asks CheckNeedShowColumnInListEvent with its own kind, so a
// handler can keep a column out of one list and in the others.
#include "VCLSource/source/PosGrid/fukvGridCustomColumns.h"
#include "VCLSource/source/PosGrid/fukvGridFilter.h"
#include "VCLSource/source/PosGrid/fukvGridLocate.h"
#include "VCLSource/source/PosGrid/ukvDbGrids.h"

namespace {

// The background of the column dialog's rows, one per group of neighbouring columns
// that share a parent, taken in turn.
constexpr TColor kGroupColors[] = {clWindow, static_cast<TColor>(0x00F0FFF0), static_cast<TColor>(0x00FFF0E0)};

}  // namespace

bool TkwCustomDBGrid::ColumnMayBeListed(TkwColumn* Column, TkwShowColumnType Kind) {
  if (!Column || Column->ChildCount() > 0 || Column->Has(gcoConfigNoVisible)) return false;
  bool show = true;
  if (CheckNeedShowColumnInListEvent) CheckNeedShowColumnInListEvent(this, Column, Kind, show);
  return show;
}

void TkwCustomDBGrid::RefreshColumnLists() {
  if (!FColumns || Destroying()) return;
  TfmGridLocate& locate = *FLocateDialog;
  TfmGridFilter& filter = *FFilterDialog;
  TfmGridCustomColumns& custom = *FCustomColumnsDialog;
  locate.ClearColumns();
  locate.edtLocate->SetText("");
  filter.ClearColumns();
  TStringGrid& rows = *custom.stgrdColumns;
  rows.SetRowCount(1);
  custom.VisibleCount = 0;

  int row = 0, group = -1;
  const TkwColumn* lastParent = nullptr;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TkwColumn* c = FColumns->Items(i);
    const bool listed = c->Visible() && !c->Expanded();
    if (listed && c->DbField() && ColumnMayBeListed(c, sctLocate))
      locate.AddColumn(c->ParentCaption(), c->DbField()->Index());
    if (listed && ColumnMayBeListed(c, sctFilter)) filter.AddColumn(c->ParentCaption(), c);
    if (!ColumnMayBeListed(c, sctCustom)) continue;
    if (!c->Parent() || c->Parent() != lastParent) ++group;
    lastParent = c->Parent();
    ++row;
    rows.SetRowCount(row + 1);
    rows.SetCells(0, row, AnsiString(std::to_string(row)));
    rows.SetCells(1, row, c->Title()->Caption());
    rows.SetCells(2, row, c->Visible() ? "*" : "");
    if (c->Visible()) ++custom.VisibleCount;
    custom.SetRowData(row, c, kGroupColors[group % 3]);
  }
  if (locate.cbbLocate->Items()->Count() > 0) locate.cbbLocate->SetItemIndex(0);
  if (filter.cbbFilter->Items()->Count() > 0) {
    filter.cbbFilter->SetItemIndex(0);
    filter.cbbFilterChange(nullptr);
  }
  if (rows.RowCount() > 1) rows.SetFixedRows(1);
}
