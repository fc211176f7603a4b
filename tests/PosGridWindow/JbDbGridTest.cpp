// The application's grid class: its column class, the red line after the fixed columns
// and the lookup of a column by field name.
#include "KwDbGridTestSupport.h"
#include "VCLSource/source/PosGrid/uPosDbGrid.h"
#include "tests/support/Screenshot.h"

using namespace kwtest;
using namespace uitest;

namespace {
struct TestJbGrid : TJbDbGrid {
  using TJbDbGrid::GetFixedLineColor;
  using TJbDbGrid::TJbDbGrid;
};
}  // namespace

TEST(JbDbGrid, ColumnsAreJbColumnsWithTagZero) {
  TestJbGrid g(nullptr);
  TkwColumn* c = g.Columns()->Add();
  auto* jb = dynamic_cast<TJbColumn*>(c);
  ASSERT_NE(jb, nullptr);
  EXPECT_EQ(jb->Tag(), 0);
  EXPECT_EQ(g.GetFixedLineColor(), 255);
  jb->SetTag(7);
  TJbColumn* copy = static_cast<TJbColumn*>(g.Columns()->Add());
  copy->Assign(jb);
  EXPECT_EQ(copy->Tag(), 7);
}

// Regression: a name no column has answered the first column, so a caller wrote into or
// read from a column it had not asked for; an empty grid raised the index error.
TEST(JbDbGrid, FaultColumnByFieldNameAnswersNoColumnForAnUnknownName) {
  TJbDbGrid g(nullptr);
  EXPECT_EQ(g.ColumnByFieldName("USERCODE"), nullptr);
  g.Columns()->Add()->SetFieldName("UserName");
  TkwColumn* code = g.Columns()->Add();
  code->SetFieldName("UserCode");
  EXPECT_EQ(g.ColumnByFieldName("USERCODE"), code);
  EXPECT_EQ(g.ColumnByFieldName("usercode"), code);
  EXPECT_EQ(g.ColumnByFieldName("NOSUCH"), nullptr);
}
