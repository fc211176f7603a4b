// The column lists of the grid's dialogs; see ukvDbGridsColumnLists.h.
#include "VCLSource/source/PosGrid/ukvDbGridsColumnLists.h"

#include "rtl/Classes.h"

bool MayListColumn(TkwColumn* column) {
  return column && column->ChildCount() == 0 && !(column->ColumnOptions() & ColumnOption(gcoConfigNoVisible));
}

namespace {

bool Listed(TkwColumn* column, const TkwMayListColumn& mayList) {
  return MayListColumn(column) && (!mayList || mayList(column));
}

}  // namespace

std::vector<TkwFilterListEntry> FilterColumnList(TkwDBGridColumns& columns, const TkwMayListColumn& mayList) {
  std::vector<TkwFilterListEntry> out;
  for (int i = 0; i < columns.Count(); ++i) {
    TkwColumn* c = columns.Items(i);
    if (!c->Visible() || c->Expanded() || !Listed(c, mayList)) continue;
    out.push_back({c, c->ParentCaption()});
  }
  return out;
}

std::vector<TkwColumnRow> CustomColumnRows(TkwDBGridColumns& columns, const TkwMayListColumn& mayList) {
  std::vector<TkwColumnRow> out;
  int group = -1;
  const TkwColumn* lastParent = nullptr;
  for (int i = 0; i < columns.Count(); ++i) {
    TkwColumn* c = columns.Items(i);
    if (!Listed(c, mayList)) continue;
    if (out.empty() || !c->Parent() || c->Parent() != lastParent) ++group;
    lastParent = c->Parent();
    out.push_back({c, c->Title()->Caption(), c->Visible(), kColumnGroupColors[group % 3]});
  }
  return out;
}

void ApplyColumnMarks(TkwDBGridColumns& columns, const std::vector<std::pair<TkwColumn*, bool>>& marks) {
  TUpdateScope update(&columns);
  for (const auto& [column, visible] : marks) {
    // Looked up, never dereferenced first: a column freed meanwhile is only a stale address.
    for (int i = 0; i < columns.Count(); ++i)
      if (columns.Items(i) == column) column->SetVisible(visible);
  }
}
