// The per-cell, per-column and per-row properties of the aligned string grid, without
// any window: the sparse lists, their lookups by precedence (cell, column, row, grid
// default) and the structural operations that keep them attached to their cells when
// columns and rows are inserted, moved or exchanged.
//
// Storage is sparse (a map per list), so a resource naming cell (65535, 65535) costs
// one entry, not a dense vector of four billion. Negative indexes are ignored by every
// setter and absent from every lookup. Every list has a has-data flag, set by a write
// and left as it is when the list is emptied; it decides whether the list is streamed.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include "rtl/AnsiString.h"

enum T_Align : uint8_t { al_Right, al_Left, al_Center };
enum T_nextcell : uint8_t { nc_rightdown, nc_downright, nc_leftdown, nc_downleft, nc_leftup, nc_upleft, nc_rightup, nc_upright };
enum t_lastcell : uint8_t { lc_stop, lc_first, lc_newcolrow };
enum t_relation : uint8_t { rel_greater, rel_equal, rel_less };

using TCellColor = int32_t;  // the platform's colour integer (0x00BBGGRR or a system colour)
constexpr TCellColor kClBtnFace = static_cast<TCellColor>(0xFF00000F);
constexpr TCellColor kClWindow = static_cast<TCellColor>(0xFF000005);
constexpr TCellColor kClWindowText = static_cast<TCellColor>(0xFF000008);

// What a font or brush entry calls after each of its changes: the repaint of the grid
// that made it. The grid owns the notice; entries hold it weakly, so an entry, or a copy
// of one, that outlives its grid notifies nobody.
using TCellChangeNotice = std::shared_ptr<const std::function<void()>>;
using TCellChangeLink = std::weak_ptr<const std::function<void()>>;

inline void NotifyCellChange(const TCellChangeLink& link) {
  if (const TCellChangeNotice notice = link.lock()) (*notice)();
}

// A font of a cell, column or row (the stored form of TMyFont). Each setter marks it
// Modified, then notifies its grid; only modified fonts are streamed. The stream reader
// fills the fields directly and marks the font itself.
struct TCellFont {
  TCellFont() = default;
  TCellFont(TCellColor color, int32_t height, AnsiString name, uint8_t pitch, uint8_t style, bool modified,
            TCellChangeLink onChange = {})
      : Color(color), Height(height), Name(std::move(name)), Pitch(pitch), Style(style), Modified(modified),
        OnChange(std::move(onChange)) {}
  TCellColor Color = kClWindowText;
  int32_t Height = -12;
  AnsiString Name;
  uint8_t Pitch = 0;  // 0 default, 1 variable, 2 fixed
  uint8_t Style = 0;  // bold 1, italic 2, underline 4, strike-out 8
  bool Modified = false;
  TCellChangeLink OnChange;
  void SetColor(TCellColor v) { Color = v; Changed(); }
  void SetHeight(int32_t v) { Height = v; Changed(); }
  void SetName(const AnsiString& v) { Name = v; Changed(); }
  void SetPitch(uint8_t v) { Pitch = v; Changed(); }
  void SetStyle(uint8_t v) { Style = v; Changed(); }
  void Changed() {
    Modified = true;
    NotifyCellChange(OnChange);
  }
  // The values and the Modified flag (not who is notified).
  bool operator==(const TCellFont& o) const {
    return Color == o.Color && Height == o.Height && Name == o.Name && Pitch == o.Pitch && Style == o.Style &&
           Modified == o.Modified;
  }
};

// A brush of a cell, column or row (the stored form of TMyBrush), marked and notifying
// as a font.
struct TCellBrush {
  TCellBrush() = default;
  TCellBrush(TCellColor color, uint8_t style, bool modified, TCellChangeLink onChange = {})
      : Color(color), Style(style), Modified(modified), OnChange(std::move(onChange)) {}
  TCellColor Color = kClWindow;
  uint8_t Style = 0;  // solid 0, clear 1, horizontal 2, vertical 3, fdiag 4, bdiag 5, cross 6, diagcross 7
  bool Modified = false;
  TCellChangeLink OnChange;
  void SetColor(TCellColor c) { Color = c; Changed(); }
  void SetStyle(uint8_t s) { Style = s; Changed(); }
  void Changed() {
    Modified = true;
    NotifyCellChange(OnChange);
  }
  bool operator==(const TCellBrush& o) const { return Color == o.Color && Style == o.Style && Modified == o.Modified; }
};

// index -> value, absent entries cost nothing.
template <class T>
class TSparseLine {
 public:
  bool HasData() const { return FHasData; }
  void SetHasData(bool v) { FHasData = v; }
  const T* Find(int i) const {
    const auto it = FItems.find(i);
    return it == FItems.end() ? nullptr : &it->second;
  }
  T* Find(int i) {
    const auto it = FItems.find(i);
    return it == FItems.end() ? nullptr : &it->second;
  }
  void Set(int i, T v) {
    if (i < 0) return;
    FHasData = true;
    FItems[i] = std::move(v);
  }
  // The entry at i, made from init when absent; null for a negative index.
  T* Obtain(int i, const T& init) {
    if (i < 0) return nullptr;
    FHasData = true;
    return &FItems.try_emplace(i, init).first->second;
  }
  void Clear() { FItems.clear(); }
  bool Empty() const { return FItems.empty(); }
  const std::map<int, T>& Items() const { return FItems; }
  std::map<int, T>& Items() { return FItems; }
  // An absent entry at `at`; later entries move one up.
  void Insert(int at) { Remap([at](int64_t k) { return k >= at ? k + 1 : k; }); }
  // The entry at from goes to to; the ones between close up.
  void Move(int from, int to) {
    if (from == to) return;
    Remap([from, to](int64_t k) -> int64_t {
      if (k == from) return to;
      if (from < to && k > from && k <= to) return k - 1;
      if (from > to && k >= to && k < from) return k + 1;
      return k;
    });
  }
  void Exchange(int a, int b) {
    Remap([a, b](int64_t k) -> int64_t { return k == a ? b : k == b ? a : k; });
  }

 private:
  template <class F>
  void Remap(F f) {
    std::map<int, T> out;
    for (auto& [k, v] : FItems) {
      const int64_t n = f(k);
      if (n >= 0 && n <= INT32_MAX) out.emplace(static_cast<int>(n), std::move(v));
    }
    FItems.swap(out);
  }
  std::map<int, T> FItems;
  bool FHasData = false;
};

// column -> row -> value (the column is the outer index, as streamed).
template <class T>
class TSparseCells {
 public:
  bool HasData() const { return FCols.HasData(); }
  void SetHasData(bool v) { FCols.SetHasData(v); }
  const T* Find(int c, int r) const {
    const TSparseLine<T>* col = FCols.Find(c);
    return col ? col->Find(r) : nullptr;
  }
  T* Find(int c, int r) {
    TSparseLine<T>* col = FCols.Find(c);
    return col ? col->Find(r) : nullptr;
  }
  void Set(int c, int r, T v) {
    if (c < 0 || r < 0) return;
    FCols.Obtain(c, {})->Set(r, std::move(v));
  }
  T* Obtain(int c, int r, const T& init) {
    if (c < 0 || r < 0) return nullptr;
    return FCols.Obtain(c, {})->Obtain(r, init);
  }
  void Clear() { FCols.Clear(); }
  bool Empty() const { return FCols.Empty(); }
  const std::map<int, TSparseLine<T>>& Columns() const { return FCols.Items(); }
  void InsertCol(int at) { FCols.Insert(at); }
  void MoveCol(int from, int to) { FCols.Move(from, to); }
  void InsertRow(int at) { ForRows([at](TSparseLine<T>& l) { l.Insert(at); }); }
  void MoveRow(int from, int to) { ForRows([from, to](TSparseLine<T>& l) { l.Move(from, to); }); }
  void ExchangeRows(int a, int b) { ForRows([a, b](TSparseLine<T>& l) { l.Exchange(a, b); }); }

 private:
  template <class F>
  void ForRows(F f) {
    for (auto& [c, line] : FCols.Items()) f(line);
  }
  TSparseLine<TSparseLine<T>> FCols;
};

// All property lists of one aligned grid, with their lookups and structural operations.
struct TAlignGridProps {
  TSparseLine<T_Align> AlignCol, AlignRow, FixedAlignCol, FixedAlignRow;
  TSparseCells<T_Align> AlignCell;
  TSparseLine<bool> EditCol, EditRow;
  TSparseCells<bool> EditCell;
  TSparseLine<TCellColor> SelectedColorCol, SelectedColorRow;
  TSparseCells<TCellColor> SelectedColorCell;
  TSparseCells<AnsiString> HintCell;
  TSparseCells<AnsiString> LoadedCells;
  TSparseLine<TCellFont> FontCol, FontRow, FontFixedCol, FontFixedRow;
  TSparseCells<TCellFont> FontCell;
  TSparseLine<TCellBrush> BrushCol, BrushRow, BrushFixedCol, BrushFixedRow;
  TSparseCells<TCellBrush> BrushCell;

  // Lookups by precedence; `fixed` tells whether the cell is a fixed cell. Each returns
  // null (or the given default) when no list has an entry.
  T_Align CellAlignment(int c, int r, bool fixed, T_Align gridDefault) const;
  bool CellEditable(int c, int r, bool gridDefault) const;
  bool GetEditCol(int c) const;
  const TCellFont* CellFont(int c, int r, bool fixed) const;
  const TCellBrush* CellBrush(int c, int r, bool fixed) const;
  TCellColor CellSelectedColor(int c, int r, TCellColor gridDefault) const;
  AnsiString CellHint(int c, int r) const;

  // Structural operations: `at`, `from`, `to` are grid indexes (fixed ones included).
  void InsertCol(int at);
  void InsertRow(int at);
  void MoveCol(int from, int to);
  void MoveRow(int from, int to);
  void ExchangeRows(int a, int b);
  // Empties every list of properties (the loaded texts are not properties); flags stay.
  void ClearProperties();
};
