// Logical columns of the dress grid.
#include "controls/DressGridModel.h"

#include "rtl/NumberFormat.h"

AnsiString DisplayFormatOf(std::string_view pattern) {
  if (pattern.empty()) return "";
  return "0." + AnsiString(pattern.size() > 2 ? pattern.size() - 2 : 0, '#');
}

TitleCol MakeTitleCol(std::string_view caption, std::string_view kind, int width, std::string_view decimalPattern,
                      std::string_view fixedText, bool numberFlag, bool blankZero) {
  TitleCol t;
  const size_t semi = caption.find(';');
  t.Caption = AnsiString(caption.substr(0, semi));
  if (semi != std::string_view::npos) t.Caption2 = AnsiString(caption.substr(semi + 1));
  t.Kind = AnsiString(kind);
  t.SizeCount = t.SizeColCount = 1;
  t.Width = width;
  t.FixedText = AnsiString(fixedText);
  t.DisplayFormat = DisplayFormatOf(decimalPattern);
  t.NumberFlag = numberFlag;
  t.BlankZero = blankZero;
  return t;
}

AnsiString FormatDressValue(std::string_view value, std::string_view displayFormat, bool blankZero) {
  double x = 0;
  if (!Trim(value).empty() && !TryStrToFloat(value, x)) x = 0;
  if (blankZero && x == 0) return "";
  // Through the 15-digit text first, so that 2.345 formats as 2.35 and not 2.34.
  double rounded = x;
  TryStrToFloat(FloatToStr(x), rounded);
  return FormatFloat(displayFormat, rounded);
}

int TitleColToGridCol(const std::vector<TitleCol>& cols, int aCol, int aSize) {
  int grid = 1;
  for (size_t i = 0; i < cols.size(); ++i) {
    const TitleCol& t = cols[i];
    if (static_cast<int>(i) + 1 == aCol) {
      if (t.SizeCount == 1 && t.SizeColCount >= 1) return grid;
      if (aSize >= 1 && aSize <= t.SizeColCount) return grid + aSize - 1;
    }
    grid += t.SizeColCount;
  }
  return grid;
}

std::optional<TTitleColPos> GridColToTitleCol(const std::vector<TitleCol>& cols, int gridCol) {
  int grid = 1;
  for (size_t i = 0; i < cols.size(); ++i) {
    const int n = cols[i].SizeColCount;
    if (gridCol >= grid && gridCol < grid + n) return TTitleColPos{static_cast<int>(i) + 1, gridCol - grid + 1};
    grid += n;
  }
  return std::nullopt;
}

int FirstGridColOf(const std::vector<TitleCol>& cols, int aCol) {
  if (aCol < 1 || aCol > static_cast<int>(cols.size())) return -1;
  int grid = 1;
  for (int i = 0; i + 1 < aCol; ++i) grid += cols[i].SizeColCount;
  return grid;
}
