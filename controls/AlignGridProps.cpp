// Lookups and structural operations of the aligned grid's property lists.
#include "controls/AlignGridProps.h"

namespace {

// Applies f to every column-indexed list (the outer index of the per-cell ones too).
template <class F>
void ForColumnLists(TAlignGridProps& p, F f) {
  f(p.AlignCol), f(p.FixedAlignCol), f(p.EditCol), f(p.SelectedColorCol), f(p.FontCol), f(p.FontFixedCol),
      f(p.BrushCol), f(p.BrushFixedCol);
}
template <class F>
void ForRowLists(TAlignGridProps& p, F f) {
  f(p.AlignRow), f(p.FixedAlignRow), f(p.EditRow), f(p.SelectedColorRow), f(p.FontRow), f(p.FontFixedRow),
      f(p.BrushRow), f(p.BrushFixedRow);
}
template <class F>
void ForCellLists(TAlignGridProps& p, F f) {
  f(p.AlignCell), f(p.EditCell), f(p.SelectedColorCell), f(p.FontCell), f(p.BrushCell), f(p.HintCell);
}

}  // namespace

T_Align TAlignGridProps::CellAlignment(int c, int r, bool fixed, T_Align gridDefault) const {
  if (const T_Align* v = AlignCell.Find(c, r)) return *v;
  if (const T_Align* v = (fixed ? FixedAlignCol : AlignCol).Find(c)) return *v;
  if (const T_Align* v = (fixed ? FixedAlignRow : AlignRow).Find(r)) return *v;
  return gridDefault;
}

bool TAlignGridProps::CellEditable(int c, int r, bool gridDefault) const {
  if (const bool* v = EditCell.Find(c, r)) return *v;
  if (const bool* v = EditCol.Find(c)) return *v;
  if (const bool* v = EditRow.Find(r)) return *v;
  return gridDefault;
}

bool TAlignGridProps::GetEditCol(int c) const {
  const bool* v = EditCol.Find(c);
  return v ? *v : true;
}

const TCellFont* TAlignGridProps::CellFont(int c, int r, bool fixed) const {
  if (const TCellFont* v = FontCell.Find(c, r)) return v;
  if (const TCellFont* v = (fixed ? FontFixedCol : FontCol).Find(c)) return v;
  return (fixed ? FontFixedRow : FontRow).Find(r);
}

const TCellBrush* TAlignGridProps::CellBrush(int c, int r, bool fixed) const {
  if (const TCellBrush* v = BrushCell.Find(c, r)) return v;
  if (const TCellBrush* v = (fixed ? BrushFixedCol : BrushCol).Find(c)) return v;
  return (fixed ? BrushFixedRow : BrushRow).Find(r);
}

TCellColor TAlignGridProps::CellSelectedColor(int c, int r, TCellColor gridDefault) const {
  if (const TCellColor* v = SelectedColorCell.Find(c, r)) return *v;
  if (const TCellColor* v = SelectedColorCol.Find(c)) return *v;
  if (const TCellColor* v = SelectedColorRow.Find(r)) return *v;
  return gridDefault;
}

AnsiString TAlignGridProps::CellHint(int c, int r) const {
  const AnsiString* v = HintCell.Find(c, r);
  return v ? *v : AnsiString();
}

void TAlignGridProps::InsertCol(int at) {
  ForColumnLists(*this, [at](auto& l) { l.Insert(at); });
  ForCellLists(*this, [at](auto& l) { l.InsertCol(at); });
}

void TAlignGridProps::InsertRow(int at) {
  ForRowLists(*this, [at](auto& l) { l.Insert(at); });
  ForCellLists(*this, [at](auto& l) { l.InsertRow(at); });
}

void TAlignGridProps::MoveCol(int from, int to) {
  ForColumnLists(*this, [=](auto& l) { l.Move(from, to); });
  ForCellLists(*this, [=](auto& l) { l.MoveCol(from, to); });
}

void TAlignGridProps::MoveRow(int from, int to) {
  ForRowLists(*this, [=](auto& l) { l.Move(from, to); });
  ForCellLists(*this, [=](auto& l) { l.MoveRow(from, to); });
}

void TAlignGridProps::ExchangeRows(int a, int b) {
  if (a == b) return;
  ForRowLists(*this, [=](auto& l) { l.Exchange(a, b); });
  ForCellLists(*this, [=](auto& l) { l.ExchangeRows(a, b); });
}

void TAlignGridProps::ClearProperties() {
  ForColumnLists(*this, [](auto& l) { l.Clear(); });
  ForRowLists(*this, [](auto& l) { l.Clear(); });
  ForCellLists(*this, [](auto& l) { l.Clear(); });
}
