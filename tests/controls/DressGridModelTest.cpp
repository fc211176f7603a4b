// The dress grid's logical columns: AddColumn's derivations, number formatting and the
// mapping between logical and grid columns.
#include <gtest/gtest.h>

#include "controls/DressGridModel.h"
#include "rtl/FormatSettings.h"

TEST(DressColumns, CaptionSplitsAtTheFirstSemicolon) {
  const TitleCol t = MakeTitleCol("A;B;C", "2", 60, "0.00", "", true, false);
  EXPECT_EQ(t.Caption, "A");
  EXPECT_EQ(t.Caption2, "B;C");
  EXPECT_EQ(t.DisplayFormat, "0.##");
  EXPECT_EQ(t.SizeCount, 1);
  EXPECT_EQ(t.SizeColCount, 1);
  EXPECT_EQ(MakeTitleCol("货号", "0", 60, "", "", false, false).Caption2, "");
}

TEST(DressColumns, DisplayFormatFromTheDecimalPattern) {
  EXPECT_EQ(DisplayFormatOf("0.0000"), "0.####");
  EXPECT_EQ(DisplayFormatOf("0.00"), "0.##");
  EXPECT_EQ(DisplayFormatOf("0."), "0.");
  EXPECT_EQ(DisplayFormatOf("0"), "0.");
  EXPECT_EQ(DisplayFormatOf(""), "");
}

TEST(DressColumns, NumericCellTexts) {
  EXPECT_EQ(FormatDressValue("2.5", "0.####", false), "2.5");
  EXPECT_EQ(FormatDressValue("3", "0.####", false), "3");
  EXPECT_EQ(FormatDressValue("0", "0.##", true), "");
  EXPECT_EQ(FormatDressValue("  ", "0.##", true), "");
  EXPECT_EQ(FormatDressValue("abc", "0.##", false), "0");
  EXPECT_EQ(FormatDressValue("2.345", "0.##", false), "2.35");
  EXPECT_EQ(FormatDressValue("-1.5", "0.", false), "-2");
}

TEST(DressColumns, LogicalAndGridColumns) {
  std::vector<TitleCol> cols;
  EXPECT_EQ(TitleColToGridCol(cols, 1, 1), 1);
  for (int i = 0; i < 3; ++i) cols.push_back(MakeTitleCol("c", "2", 50, "", "", false, false));
  EXPECT_EQ(TitleColToGridCol(cols, 2, 1), 2);
  EXPECT_EQ(TitleColToGridCol(cols, 3, 7), 3);  // one size answers for any size
  EXPECT_EQ(TitleColToGridCol(cols, 9, 1), 4);  // past the last: the column after it
  EXPECT_FALSE(GridColToTitleCol(cols, 0).has_value());
  EXPECT_FALSE(GridColToTitleCol(cols, 4).has_value());
  EXPECT_EQ(GridColToTitleCol(cols, 3)->Col, 3);
  EXPECT_EQ(FirstGridColOf(cols, 2), 2);
  EXPECT_EQ(FirstGridColOf(cols, 0), -1);
  cols[1].SizeCount = cols[1].SizeColCount = 3;  // a multi-size column over grid columns 2..4
  EXPECT_EQ(TitleColToGridCol(cols, 2, 3), 4);
  EXPECT_EQ(TitleColToGridCol(cols, 3, 1), 5);
  EXPECT_EQ(GridColToTitleCol(cols, 4)->Size, 3);
}

// The quick path from the decimal digits gives what the float round trip gives.
TEST(DressColumns, QuickNumberTextsMatchTheFloatRoundTrip) {
  const char* formats[] = {"0.##", "0.####", "0.", "0.######"};
  std::vector<std::string> values = {"2.345", "-2.345", "0.005", "1e3", "1E-5", "123456789012345678", "0.1",
                                     "99.995", "-0.0049", " 7", "7 ", "+3", "1.5e2", "12345.678901234567",
                                     "0.000001", "5e-320", "1e300", "abc", "", "-0"};
  unsigned seed = 12345;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1103515245 + 12345;
    const int whole = static_cast<int>(seed % 100000);
    seed = seed * 1103515245 + 12345;
    const int frac = static_cast<int>(seed % 100000);
    values.push_back((i % 3 == 0 ? "-" : "") + std::to_string(whole) + "." + std::to_string(frac));
  }
  for (const std::string& v : values)
    for (const char* f : formats)
      for (bool blank : {false, true})
        ASSERT_EQ(FormatDressValue(v, f, blank), FormatDressValueByFloat(v, f, blank)) << v << " " << f;
}

// Unreadable texts and zero format as zero of the format asked and the separators in
// force, whichever format or separator was asked for just before.
TEST(DressColumns, ZeroFollowsTheFormatAndTheSeparators) {
  EXPECT_EQ(FormatDressValueByFloat("abc", "0.00", false), "0.00");
  EXPECT_EQ(FormatDressValueByFloat("abc", "0.##", false), "0");
  EXPECT_EQ(FormatDressValueByFloat("0", "0.00", false), "0.00");
  EXPECT_EQ(FormatDressValueByFloat("abc", "#,##0.000", false), "0.000");
  const TFormatSettings saved = FormatSettings;
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  EXPECT_EQ(FormatDressValueByFloat("abc", "#,##0.000", false), "0,000");
  EXPECT_EQ(FormatDressValue("", "0.00", false), "0,00");
  FormatSettings = saved;
  EXPECT_EQ(FormatDressValueByFloat("abc", "#,##0.000", false), "0.000");
  EXPECT_EQ(FormatDressValueByFloat("abc", "0.00", true), "");
}

// --- multi-size columns -----------------------------------------------------------------

namespace {
DressSize Size(const char* captions, std::vector<AnsiString> keys, std::vector<int> counts) {
  DressSize s;
  s.Captions = captions;
  s.RowKeys = std::move(keys);
  s.KeySizeCounts = std::move(counts);
  return s;
}
TitleCol SizeColumn() {
  TitleCol t = MakeTitleCol("尺码", "1", 40, "", "", false, false);
  t.SizeCount = 4;
  t.Sizes = {Size("S~M~L~XL", {"A1", "B2"}, {4, 3}), Size("160~~170", {"C3", "B2"}, {3, 2}),
             Size("亊~垀", {"D4"}, {})};
  return t;
}
}  // namespace

// Parts split at "~" by whole characters (亊 and 垀 end in the byte of "~").
TEST(DressSizeTitles, CaptionPartsAndTitleTexts) {
  EXPECT_EQ(SizeCaptionPart("S~M~L", 1), "S");
  EXPECT_EQ(SizeCaptionPart("S~M~L", 3), "L");
  EXPECT_EQ(SizeCaptionPart("S~M~L", 4), "");
  EXPECT_EQ(SizeCaptionPart("S~M~L", 0), "");
  EXPECT_EQ(SizeCaptionPart("160~~170", 2), "");
  EXPECT_EQ(SizeCaptionPart("亊~垀", 2), "垀");
  EXPECT_EQ(SizeCaptionPart("亊垀", 1), "亊垀");
  const TitleCol t = SizeColumn();
  EXPECT_EQ(SizeTitleText(t, 1), "S\r\n160\r\n亊\r\n");
  EXPECT_EQ(SizeTitleText(t, 2), "M\r\n \r\n垀\r\n");
  EXPECT_EQ(SizeTitleText(t, 4), "XL\r\n \r\n \r\n");
  EXPECT_EQ(SizeTitleText(MakeTitleCol("x", "1", 40, "", "", false, false), 1), "");
}

TEST(DressSizeTitles, RowHeightWithAndWithoutCompressing) {
  std::vector<TitleCol> cols{MakeTitleCol("款号", "0", 60, "", "", false, false)};
  EXPECT_EQ(SizeTitleRowHeight(cols, true, true, 30, -12), -1);  // no sizes: hidden
  EXPECT_EQ(SizeTitleRowHeight(cols, false, true, 30, -12), -1);
  cols.push_back(SizeColumn());
  EXPECT_EQ(SizeTitleRowHeight(cols, true, true, 30, -12), 30);
  EXPECT_EQ(SizeTitleRowHeight(cols, false, true, 30, -12), 45);  // 3 lines of 12 + 3
  EXPECT_EQ(SizeTitleRowHeight(cols, false, true, 30, 14), 51);
  EXPECT_EQ(SizeTitleRowHeight(cols, true, false, 30, -12), -1);
  EXPECT_EQ(SizeTitleRowHeight(cols, false, false, 30, -12), -1);
}

TEST(DressSizeTitles, SizeLineOfARowKey) {
  const TitleCol t = SizeColumn();
  auto pos = [&](const char* key) {
    const TSizeKeyPos p = SizeLineOfKey(t, key);
    return std::to_string(p.Line) + "/" + std::to_string(p.SizeCount);
  };
  EXPECT_EQ(pos("A1"), "1/4");
  EXPECT_EQ(pos("B2"), "1/3");  // the first size that lists it
  EXPECT_EQ(pos("C3"), "2/3");
  EXPECT_EQ(pos("D4"), "3/0");  // listed without a count: no sizes
  EXPECT_EQ(pos("Z9"), "0/0");
  EXPECT_EQ(pos(""), "0/0");
  std::vector<TitleCol> cols{MakeTitleCol("款号", "0", 60, "", "", false, false), SizeColumn()};
  EXPECT_EQ(SelectedSizeLine(cols, "C3"), 2);
  EXPECT_EQ(SelectedSizeLine(cols, "Z9"), 0);
  cols[1].Kind = "2";  // only multi-size columns count
  EXPECT_EQ(SelectedSizeLine(cols, "C3"), 0);
}
