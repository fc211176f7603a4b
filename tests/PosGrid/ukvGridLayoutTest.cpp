// The library grid's geometry without a window: fixed data columns, the footer band,
// the paint boxes and the horizontal thumb over shown columns.
#include "VCLSource/source/PosGrid/ukvGridLayout.h"

#include <gtest/gtest.h>

#include <string>

using namespace kw_grid;

namespace {

TLayoutInput Layout(int cols, int rows, int fixedCols, int fixedDataCols) {
  TLayoutInput in;
  in.ColCount = cols;
  in.RowCount = rows;
  in.FixedCols = fixedCols;
  in.FixedDataCols = fixedDataCols;
  in.LeftCol = fixedCols;
  in.TopRow = 1;
  in.ColWidth = [](int) { return 64; };
  in.RowHeight = [](int) { return 18; };
  return in;
}

std::string Str(const TRect& r) {
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
         std::to_string(r.Bottom);
}

std::string ErrorOf(int value, int fixedCols, int colCount) {
  try {
    CheckFixedDataCols(value, fixedCols, colCount);
    return "ok";
  } catch (const EkwInvalidGridOperation& e) {
    return e.Message().c_str();
  }
}

}  // namespace

TEST(KwGridLayout, FixedDataColumnsAreCheckedWithThePlatformTexts) {
  EXPECT_EQ(ErrorOf(-1, 1, 5), "Grid index out of range");
  EXPECT_EQ(ErrorOf(2, 1, 5), "Fixed column count must be less than column count");
  EXPECT_EQ(ErrorOf(3, 3, 3), "Fixed column count must be less than column count");
  EXPECT_EQ(ErrorOf(1, 1, 5), "ok");
  EXPECT_EQ(ErrorOf(0, 0, 1), "ok");
}

TEST(KwGridLayout, FixedDataColsFollowFewerFixedColumnsOrColumns) {
  EXPECT_EQ(ClampFixedDataCols(2, 3, 10), 2);
  EXPECT_EQ(ClampFixedDataCols(2, 1, 10), 1);
  EXPECT_EQ(ClampFixedDataCols(2, 3, 2), 1);
  EXPECT_EQ(ClampFixedDataCols(2, 0, 1), 0);
}

TEST(KwGridLayout, TitleColumnsEndBeforeTheFixedDataColumns) {
  TGridDrawInfo info;
  CalcDrawInfo(info, Layout(10, 20, 3, 2), 600, 300);
  EXPECT_EQ(info.Horz.TitleCellCount, 1);
  EXPECT_EQ(info.Horz.TitleBoundary, 65);
  EXPECT_EQ(info.Horz.FixedBoundary, 195);
  EXPECT_EQ(info.Vert.FixedBoundary, 19);
  EXPECT_EQ(info.Vert.TitleBoundary, 19);
  CalcDrawInfo(info, Layout(10, 20, 3, 0), 600, 300);
  EXPECT_EQ(info.Horz.TitleBoundary, info.Horz.FixedBoundary);
}

// Regression: a FixedCols set below FixedDataCols left a negative title count, and the
// paint boxes read the width of column -1.
TEST(KwGridLayout, FaultFixedDataColsAboveFixedColsGaveNegativeTitleCount) {
  TLayoutInput in = Layout(10, 20, 1, 3);
  in.ColWidth = [](int i) {
    EXPECT_GE(i, 0);
    return 64;
  };
  TGridDrawInfo info;
  CalcDrawInfo(info, in, 600, 300);
  EXPECT_EQ(info.Horz.TitleCellCount, 0);
  EXPECT_EQ(info.Horz.TitleBoundary, 0);
  EXPECT_EQ(info.Horz.FixedBoundary, 65);
}

TEST(KwGridLayout, FooterBandIsNeverPartOfTheRowArea) {
  TLayoutInput in = Layout(5, 100, 1, 0);
  TGridDrawInfo info;
  CalcDrawInfo(info, in, 320, 200);
  const int rowsWithout = info.Vert.LastFullVisibleCell;
  EXPECT_EQ(info.Vert.GridExtent, 200);
  in.Footer = true;
  CalcDrawInfo(info, in, 320, 200);
  EXPECT_EQ(info.Vert.GridExtent, 182);
  EXPECT_EQ(FooterTop(in, 200), 182);
  // 19 pixels a row: rows 1..9 fill y 19..190 without the band, rows 1..8 up to 171 with it.
  EXPECT_EQ(rowsWithout, 9);
  EXPECT_EQ(info.Vert.LastFullVisibleCell, 8);
  EXPECT_LE(info.Vert.GridBoundary, 182);
  EXPECT_FALSE(InFooter(in, 200, 181));
  EXPECT_TRUE(InFooter(in, 200, 182));
  EXPECT_TRUE(InFooter(in, 200, 199));
  EXPECT_FALSE(InFooter(in, 200, 200));
  in.Footer = false;
  EXPECT_FALSE(InFooter(in, 200, 190));
}

TEST(KwGridLayout, CellAreasSplitTitleFixedDataAndScrollingColumnsAndTheFooter) {
  TLayoutInput in = Layout(10, 20, 3, 2);
  in.Footer = true;
  TGridDrawInfo info;
  CalcDrawInfo(info, in, 600, 200);
  std::string s;
  for (const TCellArea& a : CellAreas(info, in, 200, 0))
    s += std::to_string(a.Col) + "/" + std::to_string(a.Row) + ":" + Str(a.Box) + ":" +
         std::to_string(static_cast<int>(a.Color)) + (a.Fixed ? "F" : "") + (a.Footer ? "B" : "") + " ";
  EXPECT_EQ(s,
            "0/0:0,0,65,19:0F 1/0:65,0,195,19:0F 3/0:195,0,600,19:0F "
            "0/1:0,19,65,182:0F 1/1:65,19,195,182:1 3/1:195,19,600,182:1 "
            "0/-1:0,182,65,200:0FB 1/-1:65,182,195,200:2B 3/-1:195,182,600,200:2B ");
}

TEST(KwGridLayout, LineBoxesOfTheFooterStartOneLineAboveTheBand) {
  TLayoutInput in = Layout(10, 20, 3, 2);
  in.Footer = true;
  TGridDrawInfo info;
  CalcDrawInfo(info, in, 600, 200);
  const auto boxes = LineBoxes(info, in, 200);
  ASSERT_EQ(boxes.size(), 9u);
  EXPECT_EQ(Str(boxes[4].Box), "65,19,195,182");
  EXPECT_EQ(boxes[4].Style, TLineStyle::Data);
  EXPECT_EQ(Str(boxes[6].Box), "0,181,65,200");
  EXPECT_EQ(boxes[8].Col, 3);
  EXPECT_EQ(boxes[8].Row, -1);
  in.Footer = false;
  EXPECT_EQ(LineBoxes(info, in, 200).size(), 6u);
}

// Regression: the thumb counted hidden columns before LeftCol against the shown ones
// only, so it stood too far right, and one shown column divided by zero.
TEST(KwGridLayout, FaultHorzThumbCountedHiddenColumns) {
  TLayoutInput in = Layout(8, 5, 1, 0);
  in.ColWidth = [](int i) { return i == 2 ? 0 : 64; };
  in.LeftCol = 4;
  EXPECT_EQ(HorzThumbPos(in, 6), 64);
  in.LeftCol = 6;
  EXPECT_EQ(HorzThumbPos(in, 6), 127);
  in.LeftCol = 1;
  EXPECT_EQ(HorzThumbPos(in, 6), 0);
  in.ColWidth = [](int i) { return i == 3 ? 64 : 0; };
  in.LeftCol = 3;
  EXPECT_EQ(HorzThumbPos(in, 7), 0);
}

// Regression: a list of many items was as tall as all its items and could reach off
// the screen, out of the mouse's reach.
TEST(KwGridLayout, FaultDropDownListReachedOffTheScreen) {
  const TRect work{0, 0, 1024, 740};
  auto s = [&](TRect editor, int w, int h) { return Str(DropDownPlace(editor, w, h, work)); };
  EXPECT_EQ(s({100, 100, 180, 118}, 80, 200), "100,118,180,318");   // below
  EXPECT_EQ(s({100, 700, 180, 718}, 80, 200), "100,500,180,700");   // above
  EXPECT_EQ(s({100, 300, 180, 318}, 80, 5000), "100,0,180,740");    // clamped, scrolls
  EXPECT_EQ(s({1000, 100, 1080, 118}, 80, 100), "944,118,1024,218");  // kept on the monitor
}
