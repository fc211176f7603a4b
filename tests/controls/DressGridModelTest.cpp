// The dress grid's logical columns: AddColumn's derivations, number formatting and the
// mapping between logical and grid columns.
#include <gtest/gtest.h>

#include "controls/DressGridModel.h"

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
