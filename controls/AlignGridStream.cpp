// Writers and readers of the aligned grid's streamed property lists.
#include "controls/AlignGridStream.h"

#include <vector>

namespace {

constexpr int kMaxCoord = 0xFFFF;

bool Fits16(int v) { return v >= 0 && v <= kMaxCoord; }

[[noreturn]] void Corrupt(int64_t at) { throw EReadError("Invalid stream format at offset " + std::to_string(at)); }

// --- binary blocks -------------------------------------------------------------------------

// One byte value of a record, checked against its largest ordinal.
uint8_t CheckedByte(TStream& s, uint8_t max) {
  const int64_t at = s.Position();
  const uint8_t v = s.ReadUInt8();
  if (v > max) Corrupt(at);
  return v;
}

void CheckWholeRecords(TStream& s, int recordSize) {
  if (s.Size() % recordSize != 0) Corrupt(s.Size() - s.Size() % recordSize);
}

template <class T>
void WriteCellBlock(TStream& s, const TSparseCells<T>& list, int colCount, int rowCount) {
  for (const auto& [c, col] : list.Columns()) {
    if (c >= colCount || !Fits16(c)) continue;
    for (const auto& [r, v] : col.Items()) {
      if (r >= rowCount || !Fits16(r)) continue;
      s.WriteUInt16(static_cast<uint16_t>(c));
      s.WriteUInt16(static_cast<uint16_t>(r));
      s.WriteUInt8(static_cast<uint8_t>(v));
    }
  }
}

template <class T>
void WriteLineBlock(TStream& s, const TSparseLine<T>& list, int count) {
  for (const auto& [i, v] : list.Items()) {
    if (i >= count || !Fits16(i)) continue;
    s.WriteUInt16(static_cast<uint16_t>(i));
    s.WriteUInt8(static_cast<uint8_t>(v));
  }
}

template <class T>
void ReadCellBlock(TStream& s, TSparseCells<T>& list, uint8_t max) {
  CheckWholeRecords(s, 5);
  struct Rec { int c, r; T v; };
  std::vector<Rec> recs;
  while (s.Position() < s.Size()) {
    const int c = s.ReadUInt16();
    const int r = s.ReadUInt16();
    recs.push_back({c, r, static_cast<T>(CheckedByte(s, max))});
  }
  for (const Rec& x : recs) list.Set(x.c, x.r, x.v);
  list.SetHasData(true);
}

template <class T>
void ReadLineBlock(TStream& s, TSparseLine<T>& list, uint8_t max) {
  CheckWholeRecords(s, 3);
  std::vector<std::pair<int, T>> recs;
  while (s.Position() < s.Size()) {
    const int i = s.ReadUInt16();
    recs.emplace_back(i, static_cast<T>(CheckedByte(s, max)));
  }
  for (const auto& [i, v] : recs) list.Set(i, v);
  list.SetHasData(!recs.empty());
}

// --- value lists --------------------------------------------------------------------------------

// A coordinate read from a list: its low 16 bits, or -1 (skip) when it is negative.
int ReadCoord(TReader& r) {
  const int32_t v = r.ReadInteger();
  return v < 0 ? -1 : (v & kMaxCoord);
}

int32_t ReadRanged(TReader& r, int32_t max) {
  const int64_t at = r.Stream().Position();
  const int32_t v = r.ReadInteger();
  if (v < 0 || v > max) throw EReadError("Invalid property value at offset " + std::to_string(at));
  return v;
}

TCellFont ReadFont(TReader& r) {
  TCellFont f;
  f.Color = r.ReadInteger();
  f.Height = r.ReadInteger();
  f.Name = r.ReadString();
  f.Pitch = static_cast<uint8_t>(ReadRanged(r, 2));
  f.Style = static_cast<uint8_t>(ReadRanged(r, 15));
  f.Modified = true;
  return f;
}

void WriteFont(TWriter& w, const TCellFont& f) {
  w.WriteInteger(f.Color);
  w.WriteInteger(f.Height);
  w.WriteString(f.Name);
  w.WriteInteger(int32_t{f.Pitch});
  w.WriteInteger(int32_t{f.Style});
}

TCellBrush ReadBrush(TReader& r) {
  TCellBrush b;
  b.Color = r.ReadInteger();
  b.Style = static_cast<uint8_t>(ReadRanged(r, 7));
  b.Modified = true;
  return b;
}

void WriteBrush(TWriter& w, const TCellBrush& b) {
  w.WriteInteger(b.Color);
  w.WriteInteger(int32_t{b.Style});
}

// Per-cell and per-line value lists with a record reader/writer for the value; `keep`
// decides which entries are written.
template <class T, class ReadV, class Apply>
void ReadCellList(TReader& r, ReadV readValue, Apply apply) {
  struct Rec { int c, row; T v; };
  std::vector<Rec> recs;
  r.ReadListBegin();
  while (!r.EndOfList()) {
    const int c = ReadCoord(r);
    const int row = ReadCoord(r);
    recs.push_back({c, row, readValue(r)});
  }
  r.ReadListEnd();
  for (Rec& x : recs)
    if (x.c >= 0 && x.row >= 0) apply(x.c, x.row, std::move(x.v));
}

template <class T, class ReadV, class Apply>
void ReadLineList(TReader& r, ReadV readValue, Apply apply) {
  std::vector<std::pair<int, T>> recs;
  r.ReadListBegin();
  while (!r.EndOfList()) {
    const int i = ReadCoord(r);
    recs.emplace_back(i, readValue(r));
  }
  r.ReadListEnd();
  for (auto& [i, v] : recs)
    if (i >= 0) apply(i, std::move(v));
}

template <class T, class Keep, class WriteV>
void WriteCellList(TWriter& w, const TSparseCells<T>& list, int colCount, int rowCount, Keep keep, WriteV writeValue) {
  w.WriteListBegin();
  for (const auto& [c, col] : list.Columns()) {
    if (c >= colCount || !Fits16(c)) continue;
    for (const auto& [r, v] : col.Items()) {
      if (r >= rowCount || !Fits16(r) || !keep(v)) continue;
      w.WriteInteger(int32_t{c});
      w.WriteInteger(int32_t{r});
      writeValue(w, v);
    }
  }
  w.WriteListEnd();
}

template <class T, class Keep, class WriteV>
void WriteLineList(TWriter& w, const TSparseLine<T>& list, int count, Keep keep, WriteV writeValue) {
  w.WriteListBegin();
  for (const auto& [i, v] : list.Items()) {
    if (i >= count || !Fits16(i) || !keep(v)) continue;
    w.WriteInteger(int32_t{i});
    writeValue(w, v);
  }
  w.WriteListEnd();
}

auto All = [](const auto&) { return true; };
auto IsModified = [](const auto& v) { return v.Modified; };

}  // namespace

void WriteAlignCellBlock(TStream& s, const TSparseCells<T_Align>& l, int cc, int rc) { WriteCellBlock(s, l, cc, rc); }
void WriteAlignLineBlock(TStream& s, const TSparseLine<T_Align>& l, int n) { WriteLineBlock(s, l, n); }
void WriteEditCellBlock(TStream& s, const TSparseCells<bool>& l, int cc, int rc) { WriteCellBlock(s, l, cc, rc); }
void WriteEditLineBlock(TStream& s, const TSparseLine<bool>& l, int n) { WriteLineBlock(s, l, n); }
void ReadAlignCellBlock(TStream& s, TSparseCells<T_Align>& l) { ReadCellBlock(s, l, al_Center); }
void ReadAlignLineBlock(TStream& s, TSparseLine<T_Align>& l) { ReadLineBlock(s, l, al_Center); }
void ReadEditCellBlock(TStream& s, TSparseCells<bool>& l) { ReadCellBlock(s, l, 1); }
void ReadEditLineBlock(TStream& s, TSparseLine<bool>& l) { ReadLineBlock(s, l, 1); }

void DefineAlignGridProperties(TFiler& filer, TAlignGridProps& p, const TAlignGridStreamContext& x) {
  const int cc = x.ColCount, rc = x.RowCount;
  // 1-8: binary blocks.
  filer.DefineBinaryProperty(
      "AlignCell", [&](TStream& s) { ReadAlignCellBlock(s, p.AlignCell); },
      [&](TStream& s) { WriteAlignCellBlock(s, p.AlignCell, cc, rc); }, p.AlignCell.HasData());
  const auto alignLine = [&](const char* name, TSparseLine<T_Align>& l, int n) {
    filer.DefineBinaryProperty(
        name, [&](TStream& s) { ReadAlignLineBlock(s, l); }, [&, n](TStream& s) { WriteAlignLineBlock(s, l, n); },
        l.HasData());
  };
  alignLine("AlignCol", p.AlignCol, cc);
  alignLine("FixedAlignCol", p.FixedAlignCol, cc);
  alignLine("AlignRow", p.AlignRow, rc);
  alignLine("FixedAlignRow", p.FixedAlignRow, rc);
  filer.DefineBinaryProperty(
      "EditCell", [&](TStream& s) { ReadEditCellBlock(s, p.EditCell); },
      [&](TStream& s) { WriteEditCellBlock(s, p.EditCell, cc, rc); }, p.EditCell.HasData());
  const auto editLine = [&](const char* name, TSparseLine<bool>& l, int n) {
    filer.DefineBinaryProperty(
        name, [&](TStream& s) { ReadEditLineBlock(s, l); }, [&, n](TStream& s) { WriteEditLineBlock(s, l, n); },
        l.HasData());
  };
  editLine("EditCol", p.EditCol, cc);
  editLine("EditRow", p.EditRow, rc);

  // 9-10: hints and cell texts.
  const auto readStr = [](TReader& r) { return r.ReadString(); };
  const auto writeStr = [](TWriter& w, const AnsiString& v) { w.WriteString(v); };
  filer.DefineProperty(
      "HintCell",
      [&](TReader& r) {
        ReadCellList<AnsiString>(r, readStr, [&](int c, int row, AnsiString v) { p.HintCell.Set(c, row, std::move(v)); });
        p.HintCell.SetHasData(true);
      },
      [&](TWriter& w) { WriteCellList(w, p.HintCell, cc, rc, All, writeStr); }, p.HintCell.HasData());
  filer.DefineProperty(
      "Cells",
      [&](TReader& r) {
        ReadCellList<AnsiString>(r, readStr,
                                 [&](int c, int row, AnsiString v) { p.LoadedCells.Set(c, row, std::move(v)); });
        p.LoadedCells.SetHasData(true);
      },
      [&](TWriter& w) {
        w.WriteListBegin();
        for (int c = 0; c < cc && Fits16(c); ++c)
          for (int row = 0; row < rc && Fits16(row); ++row) {
            const AnsiString t = x.CellText ? x.CellText(c, row) : AnsiString();
            if (t.empty()) continue;
            w.WriteInteger(int32_t{c});
            w.WriteInteger(int32_t{row});
            w.WriteString(t);
          }
        w.WriteListEnd();
      },
      p.LoadedCells.HasData());

  // 11-20: fonts and brushes (only modified ones are written).
  const auto readFont = [&](TReader& r) {
    TCellFont f = ReadFont(r);
    f.OnChange = x.Notice;
    return f;
  };
  const auto readBrush = [&](TReader& r) {
    TCellBrush b = ReadBrush(r);
    b.OnChange = x.Notice;
    return b;
  };
  const auto fontCells = [&](const char* name, TSparseCells<TCellFont>& l) {
    filer.DefineProperty(
        name,
        [&](TReader& r) {
          ReadCellList<TCellFont>(r, readFont, [&](int c, int row, TCellFont v) { l.Set(c, row, std::move(v)); });
          l.SetHasData(true);
        },
        [&](TWriter& w) { WriteCellList(w, l, cc, rc, IsModified, WriteFont); }, l.HasData());
  };
  const auto fontLine = [&](const char* name, TSparseLine<TCellFont>& l, int n) {
    filer.DefineProperty(
        name,
        [&](TReader& r) {
          ReadLineList<TCellFont>(r, readFont, [&](int i, TCellFont v) { l.Set(i, std::move(v)); });
          l.SetHasData(true);
        },
        [&, n](TWriter& w) { WriteLineList(w, l, n, IsModified, WriteFont); }, l.HasData());
  };
  fontCells("FontCell", p.FontCell);
  fontLine("FontCol", p.FontCol, cc);
  fontLine("FontFixedCol", p.FontFixedCol, cc);
  fontLine("FontRow", p.FontRow, rc);
  fontLine("FontFixedRow", p.FontFixedRow, rc);
  const auto brushCells = [&](const char* name, TSparseCells<TCellBrush>& l) {
    filer.DefineProperty(
        name,
        [&](TReader& r) {
          ReadCellList<TCellBrush>(r, readBrush, [&](int c, int row, TCellBrush v) { l.Set(c, row, v); });
          l.SetHasData(true);
        },
        [&](TWriter& w) { WriteCellList(w, l, cc, rc, IsModified, WriteBrush); }, l.HasData());
  };
  const auto brushLine = [&](const char* name, TSparseLine<TCellBrush>& l, int n) {
    filer.DefineProperty(
        name,
        [&](TReader& r) {
          ReadLineList<TCellBrush>(r, readBrush, [&](int i, TCellBrush v) { l.Set(i, v); });
          l.SetHasData(true);
        },
        [&, n](TWriter& w) { WriteLineList(w, l, n, IsModified, WriteBrush); }, l.HasData());
  };
  brushCells("BrushCell", p.BrushCell);
  brushLine("BrushCol", p.BrushCol, cc);
  brushLine("BrushFixedCol", p.BrushFixedCol, cc);
  brushLine("BrushRow", p.BrushRow, rc);
  brushLine("BrushFixedRow", p.BrushFixedRow, rc);

  // 21-25: the colours of older resources, read into brushes, never written.
  const auto readInt = [](TReader& r) { return r.ReadInteger(); };
  filer.DefineProperty(
      "ColorCell",
      [&](TReader& r) {
        ReadCellList<TCellColor>(r, readInt,
                                 [&](int c, int row, TCellColor v) { p.BrushCell.Obtain(c, row, x.NewBrush)->SetColor(v); });
      },
      nullptr, false);
  const auto colorLine = [&](const char* name, TSparseLine<TCellBrush>& l) {
    filer.DefineProperty(
        name,
        [&](TReader& r) {
          ReadLineList<TCellColor>(r, readInt, [&](int i, TCellColor v) { l.Obtain(i, x.NewBrush)->SetColor(v); });
        },
        nullptr, false);
  };
  colorLine("ColorCol", p.BrushCol);
  colorLine("ColorFixedCol", p.BrushFixedCol);
  colorLine("ColorRow", p.BrushRow);
  colorLine("ColorFixedRow", p.BrushFixedRow);

  // 26-28: selected colours.
  const auto writeInt = [](TWriter& w, TCellColor v) { w.WriteInteger(int32_t{v}); };
  filer.DefineProperty(
      "SelectedColorCell",
      [&](TReader& r) {
        ReadCellList<TCellColor>(r, readInt, [&](int c, int row, TCellColor v) { p.SelectedColorCell.Set(c, row, v); });
        p.SelectedColorCell.SetHasData(true);
      },
      [&](TWriter& w) { WriteCellList(w, p.SelectedColorCell, cc, rc, All, writeInt); }, p.SelectedColorCell.HasData());
  const auto selLine = [&](const char* name, TSparseLine<TCellColor>& l, int n) {
    filer.DefineProperty(
        name,
        [&](TReader& r) {
          ReadLineList<TCellColor>(r, readInt, [&](int i, TCellColor v) { l.Set(i, v); });
          l.SetHasData(true);
        },
        [&, n](TWriter& w) { WriteLineList(w, l, n, All, writeInt); }, l.HasData());
  };
  selLine("SelectedColorCol", p.SelectedColorCol, cc);
  selLine("SelectedColorRow", p.SelectedColorRow, rc);
}
