// The dress grid's logical columns without a window: the TitleCol records, how AddColumn
// derives a column from its arguments, the number formatting of SetDressCell, and the
// mapping between logical columns (from 1) with size numbers (from 1) and grid columns.
// Grid column 0 is the row-number column; logical columns follow from grid column 1 on,
// each taking SizeColCount grid columns.
#pragma once
#include <optional>
#include <vector>
#include "rtl/AnsiString.h"

struct DressSize {
  AnsiString Captions;                 // one line per size title line, parts split by "~"
  std::vector<AnsiString> RowKeys;     // the row keys that have this size
  std::vector<int> KeySizeCounts;      // per row key: the number of sizes it has
  int Value = 0;
};

struct TitleCol {
  AnsiString Caption;
  AnsiString Kind;  // "0" key column, "1" multi-size column
  int SizeCount = 0;
  int SizeColCount = 0;
  std::vector<DressSize> Sizes;
  int Width = 0;
  AnsiString Caption2;
  AnsiString FixedText;      // masked column: data cells show this text
  AnsiString DisplayFormat;  // "0.##..." for a numeric column, "" for text
  int Counter1 = 0;
  int Counter2 = 0;
  bool NumberFlag = false;
  bool BlankZero = false;
};

// "0.0000" -> "0.####", "0.00" -> "0.##", two characters or fewer -> "0.", "" -> "".
AnsiString DisplayFormatOf(std::string_view decimalPattern);

// The TitleCol AddColumn appends: Caption split at its first ";" into Caption and
// Caption2, SizeCount and SizeColCount 1, counters 0.
TitleCol MakeTitleCol(std::string_view caption, std::string_view kind, int width, std::string_view decimalPattern,
                      std::string_view fixedText, bool numberFlag, bool blankZero);

// The text SetDressCell writes into a data row of a numeric column: blank or unreadable
// text counts as 0; 0 with blankZero gives ''; else the number through the 15-digit float
// text, formatted with the display format.
AnsiString FormatDressValue(std::string_view value, std::string_view displayFormat, bool blankZero);
// The same through the double and its 15-digit text, step by step (the definition).
AnsiString FormatDressValueByFloat(std::string_view value, std::string_view displayFormat, bool blankZero);

// Grid column of size aSize of logical column aCol; a TitleCol with SizeCount 1 answers
// for any size; no match gives the grid column after the last TitleCol.
int TitleColToGridCol(const std::vector<TitleCol>& cols, int aCol, int aSize);
// Logical column and size (both from 1) of a grid column; none for column 0 and past
// the last TitleCol.
struct TTitleColPos {
  int Col, Size;
};
std::optional<TTitleColPos> GridColToTitleCol(const std::vector<TitleCol>& cols, int gridCol);
// First grid column of logical column aCol (from 1); -1 when there is none.
int FirstGridColOf(const std::vector<TitleCol>& cols, int aCol);

// --- multi-size columns (kind "1") ---------------------------------------------------
// A multi-size column takes SizeCount grid columns, one per size number; its size title
// cells (grid row 1) hold one line per entry of Sizes, line i showing the s-th
// "~"-separated part of Sizes[i].Captions in size column s.

// The s-th (from 1) "~"-separated part of a size's captions, "~" counted by whole GBK
// characters; '' past the last part.
AnsiString SizeCaptionPart(std::string_view captions, int s);
// The size title text of size column s: for each size its s-th part (a single space when
// empty) followed by CR LF.
AnsiString SizeTitleText(const TitleCol& t, int s);
// Height of grid row 1 (the size title row): with compress and the normal display type,
// firstRowHeight when some column has sizes; without compress, with the normal display
// type and sizes, (|fontHeight| + 3) per line of the column with the most sizes;
// otherwise -1 (hidden).
int SizeTitleRowHeight(const std::vector<TitleCol>& cols, bool compress, bool normalDisplay, int firstRowHeight,
                       int fontHeight);
// Where a row key stands among a column's sizes: Line is the position (from 1) of the
// first size whose key list holds it and SizeCount the number of sizes the key has
// there; both 0 when no size lists the key (or the key is empty).
// The number of sizes a row key has in one size entry: its count when the entry lists
// the key (0 when the count is missing), -1 when it does not list it.
int KeySizeCount(const DressSize& size, std::string_view key);
struct TSizeKeyPos {
  int Line = 0;
  int SizeCount = 0;
};
TSizeKeyPos SizeLineOfKey(const TitleCol& t, std::string_view key);
// The selected size line of a row key: its line in the first multi-size column that
// lists it, 0 when none does.
int SelectedSizeLine(const std::vector<TitleCol>& cols, std::string_view key);
