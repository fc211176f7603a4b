// The column lists of the grid's dialogs, without their windows: which columns the filter
// dialog offers and under which caption, the rows of the column dialog with their marks and
// group colours, and how the marks accepted there show and hide the columns.
//
// A column may be listed when it has no child columns and lacks gcoConfigNoVisible, and
// the grid's list event (the MayList callback) does not refuse it.
#pragma once
#include <functional>
#include <vector>

#include "VCLSource/source/PosGrid/ukvDbGridsColumns.h"

// Asked once per column that passes the column's own tests; false leaves it out.
using TkwMayListColumn = std::function<bool(TkwColumn* column)>;

// One entry of the filter dialog's column list.
struct TkwFilterListEntry {
  TkwColumn* Column;
  AnsiString Caption;  // the parent chain's captions, then the column's own
};

// One row of the column dialog.
struct TkwColumnRow {
  TkwColumn* Column;
  AnsiString Caption;  // the column's own title caption
  bool Visible;
  TColor Color;        // the row's background: one colour per group of siblings
};

// The three background colours of the column dialog's groups, in turn.
inline constexpr TColor kColumnGroupColors[3] = {0xFFFFFF, 0xE6F5FF, 0xFFF0E6};

// Whether the column may appear in a dialog's list at all (the MayList callback aside).
bool MayListColumn(TkwColumn* column);

// In collection order: every listable column that is visible and not expanded.
std::vector<TkwFilterListEntry> FilterColumnList(TkwDBGridColumns& columns, const TkwMayListColumn& mayList);

// In collection order: every listable column, visible or not. The group advances whenever a
// column's parent differs from the previous listed column's, or it has none.
std::vector<TkwColumnRow> CustomColumnRows(TkwDBGridColumns& columns, const TkwMayListColumn& mayList);

// Shows the columns marked visible and hides the others, in one collection update. A
// column no longer in the collection is skipped.
void ApplyColumnMarks(TkwDBGridColumns& columns, const std::vector<std::pair<TkwColumn*, bool>>& marks);
