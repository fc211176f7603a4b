// The aligned grid's property lists in a form resource: 28 defined properties after the
// string grid's own, in a fixed order. Byte layouts: docs/formats/align-grid-stream.md.
//
// Writers visit columns 0 .. ColCount - 1 and rows 0 .. RowCount - 1 (per-cell lists
// column-major) and never write a coordinate that does not fit 16 bits (it would come
// back as another cell). Readers check a whole property before they store anything: a
// block whose size is not a whole number of records, an enumerated byte out of range or
// a wrong value kind raises EReadError and leaves the lists as they were. Negative
// coordinates in a value list are skipped.
#pragma once
#include <functional>
#include "controls/AlignGridProps.h"
#include "rtl/ComponentStreaming.h"

// What the streamed properties need of the grid besides its lists.
struct TAlignGridStreamContext {
  int ColCount = 0;
  int RowCount = 0;
  // The current text of a cell (the `Cells` writer).
  std::function<AnsiString(int col, int row)> CellText;
  // The brush a cell, column or row gets when a `Color...` record creates one.
  TCellBrush NewBrush;
  // Given to every font and brush read (the grid's repaint; none by default).
  TCellChangeLink Notice = {};
};

// Defines the 28 properties on filer: with a TWriter it writes those whose list has
// data, with a TReader it reads those present.
void DefineAlignGridProperties(TFiler& filer, TAlignGridProps& props, const TAlignGridStreamContext& context);

// The binary blocks alone (for tests and the fuzz target).
void WriteAlignCellBlock(TStream& s, const TSparseCells<T_Align>& list, int colCount, int rowCount);
void WriteAlignLineBlock(TStream& s, const TSparseLine<T_Align>& list, int count);
void WriteEditCellBlock(TStream& s, const TSparseCells<bool>& list, int colCount, int rowCount);
void WriteEditLineBlock(TStream& s, const TSparseLine<bool>& list, int count);
void ReadAlignCellBlock(TStream& s, TSparseCells<T_Align>& list);
void ReadAlignLineBlock(TStream& s, TSparseLine<T_Align>& list);
void ReadEditCellBlock(TStream& s, TSparseCells<bool>& list);
void ReadEditLineBlock(TStream& s, TSparseLine<bool>& list);
