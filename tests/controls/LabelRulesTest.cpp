// Label placement per LabelPosition, caption composition, the date field's layout.
#include <gtest/gtest.h>

#include "controls/LabelRules.h"

using namespace labelrules;

TEST(PlaceLabel, StandsOnTheChosenSideWithTheSpacing) {
  struct Row {
    TLabelPosition position;
    int labelWidth, labelHeight, spacing;
    TOrigin origin;
  };
  // A control at (100, 50), 80 x 21.
  const Row rows[] = {
      {lpLeft, 36, 12, 3, {61, 54}},   {lpAbove, 36, 12, 3, {100, 35}},
      {lpBelow, 36, 12, 3, {100, 74}}, {lpRight, 36, 12, 3, {183, 54}},
      {lpLeft, 30, 30, 3, {67, 46}},   {lpRight, 36, 12, 0, {180, 54}},
      {lpLeft, 36, 13, 5, {59, 54}},   {lpAbove, 10, 0, 0, {100, 50}},
  };
  for (const Row& r : rows) {
    const TOrigin o = PlaceLabel(r.position, 100, 50, 80, 21, r.labelWidth, r.labelHeight, r.spacing);
    EXPECT_EQ(o, r.origin) << r.position << " " << r.labelWidth << "x" << r.labelHeight;
  }
}

TEST(PlaceLabel, ATallerLabelGetsANegativeOffsetTruncatedTowardZero) {
  // (21 - 30) / 2 = -4, not -5.
  EXPECT_EQ(PlaceLabel(lpLeft, 100, 50, 80, 21, 36, 30, 3).Top, 46);
  EXPECT_EQ(PlaceLabel(lpRight, 0, 0, 10, 20, 5, 25, 3).Top, -2);
}

TEST(ComposeCaption, NameDividerAndValue) {
  EXPECT_EQ(ComposeCaption("盘点数量合计", " : ", "12", true), "盘点数量合计 : 12");
  EXPECT_EQ(ComposeCaption("盘点数量合计", " : ", "12", false), "12");
  EXPECT_EQ(ComposeCaption("", " : ", "", true), " : ");
  EXPECT_EQ(ComposeCaption("A", "=", "", true), "A=");
}

TEST(EmptyDateLayout, ClearButtonCalendarAndEdit) {
  const TEmptyDateLayout at150 = EmptyDateLayout(150);
  EXPECT_EQ(at150.ClearLeft, 132);
  EXPECT_EQ(at150.CalendarLeft, 111);
  EXPECT_EQ(at150.EditWidth, 113);
  EXPECT_EQ(at150.LineWidth, 150);
  const TEmptyDateLayout at120 = EmptyDateLayout(120);
  EXPECT_EQ(at120.ClearLeft, 102);
  EXPECT_EQ(at120.CalendarLeft, 81);
  EXPECT_EQ(at120.EditWidth, 83);
}

TEST(DateStrOf, TheEmptyMaskReadsAsEmpty) {
  EXPECT_EQ(DateStrOf("    -  -  "), "");
  EXPECT_EQ(DateStrOf("2024-05-07"), "2024-05-07");
  EXPECT_EQ(DateStrOf("2024-05-  "), "2024-05-  ");
}

