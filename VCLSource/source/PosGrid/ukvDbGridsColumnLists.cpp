// TkwCustomDBGrid's column lists of its dialogs: the filter dialog lists the columns a
// user may filter by (visible leaf columns, under their parents' captions), the
// custom-columns dialog every leaf column with its number, caption and "*" for a visible
// one, coloured by groups of columns that share a parent.
#include <array>

#include "VCLSource/source/PosGrid/fukvGridCustomColumns.h"
#include "VCLSource/source/PosGrid/fukvGridFilter.h"
#include "VCLSource/source/PosGrid/ukvDbGrids.h"

namespace {

// The background colours of the custom-columns list's groups, taken in turn.
constexpr std::array<TColor, 3> kGroupColors = {static_cast<TColor>(0xFFFFFF), static_cast<TColor>(0xF0FAFF),
                                                static_cast<TColor>(0xFFF5EB)};

}  // namespace

void TkwCustomDBGrid::RefreshColumnLists() {
  if (!FColumns || Destroying()) return;
  // A column may be listed when it is a leaf the user may configure, and the grid's
  // handler agrees for the list at hand.
  auto mayList = [this](TkwColumn* c, TkwShowColumnType list) {
    if (c->ChildCount() > 0 || c->Has(gcoConfigNoVisible)) return false;
    bool show = true;
    if (CheckNeedShowColumnInListEvent) CheckNeedShowColumnInListEvent(this, c, list, show);
    return show;
  };

  TfmGridFilter& filter = *FFilterDialog;
  filter.ClearColumns();
  for (int i = 0; i < FColumns->Count(); ++i) {
    TkwColumn* c = FColumns->Items(i);
    if (c->Visible() && !c->Expanded() && mayList(c, sctFilter)) filter.AddColumn(c->ParentCaption(), c);
  }
  if (filter.cbbFilter->Items()->Count() > 0) {
    filter.cbbFilter->SetItemIndex(0);
    filter.cbbFilterChange(nullptr);
  }

  TfmGridCustomColumns& custom = *FCustomColumnsDialog;
  TStringGrid* list = custom.stgrdColumns;
  std::vector<TkwColumn*> rows;
  for (int i = 0; i < FColumns->Count(); ++i)
    if (mayList(FColumns->Items(i), sctCustom)) rows.push_back(FColumns->Items(i));
  list->SetRowCount(static_cast<int>(rows.size()) + 1);
  custom.VisibleCount = 0;
  int group = -1;
  TkwColumn* lastParent = nullptr;
  for (size_t i = 0; i < rows.size(); ++i) {
    TkwColumn* c = rows[i];
    const int row = static_cast<int>(i) + 1;
    if (group < 0 || !c->Parent() || c->Parent() != lastParent) ++group;
    lastParent = c->Parent();
    list->SetCells(0, row, AnsiString(std::to_string(row)));
    list->SetCells(1, row, c->Title()->Caption());
    list->SetCells(2, row, c->Visible() ? "*" : "");
    if (c->Visible()) ++custom.VisibleCount;
    custom.SetRowData(row, c, kGroupColors[static_cast<size_t>(group) % kGroupColors.size()]);
  }
  if (rows.size() > 1) list->SetFixedRows(1);
}
