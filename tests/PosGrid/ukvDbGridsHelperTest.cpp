// The adapters: the grid filter over the controller's criteria, and the field interface.
#include <gtest/gtest.h>

#include "ColumnsFixture.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "db/DataSet.h"
#include "db/Field.h"

using kwtest::FakeGrid;

namespace {

TEST(GridFilter, ItemsOnTheColumnsFieldItems) {
  FakeGrid g;
  TkwColumn* qty = g.Columns->Add();
  qty->SetFieldName("QTY");
  TkwColumn* name = g.Columns->Add();
  name->SetFieldName("NAME");
  g.Load();
  TkwGridFilter filter(g.C->Filter());
  filter.BeginUpdate();
  filter.AddItem(qty, foGreater, Variant(2), "2");
  filter.AddItem(name, foLike, Variant("梨%"), "梨");
  filter.AddItem(nullptr, foEqual, Variant(1), "1");  // no column, no condition
  filter.EndUpdate();
  EXPECT_EQ(filter.ItemCount(), 2);
  EXPECT_FALSE(filter.GetActive());
  filter.SetActive(true);
  EXPECT_TRUE(filter.GetActive());
  EXPECT_EQ(g.C->RowCount(), 1);  // 梨, quantity 3
  filter.Clear();
  EXPECT_EQ(filter.ItemCount(), 0);
  EXPECT_EQ(g.C->RowCount(), 3);
  EXPECT_EQ(g.C->Filter().LockCount(), 0);
}

// The change notice at the end of Clear may raise (a handler fails): the error reaches
// the caller and the criteria are unlocked.
TEST(GridFilter, AFailingNoticeOfClearReachesTheCaller) {
  FakeGrid g;
  TkwColumn* qty = g.Columns->Add();
  qty->SetFieldName("QTY");
  g.Load();
  TkwGridFilter filter(g.C->Filter());
  filter.AddItem(qty, foGreater, Variant(2), "2");
  g.C->Filter().OnChanged = [](TObject*) { throw Exception("notice failed"); };
  EXPECT_THROW(filter.Clear(), Exception);
  EXPECT_EQ(filter.ItemCount(), 0);
  EXPECT_EQ(g.C->Filter().LockCount(), 0);
}

TEST(Field, KindsOfFields) {
  FakeGrid g;
  TkwField id(g.DataSet->FieldByName("ID"));
  TkwField qty(g.DataSet->FieldByName("QTY"));
  TkwField name(g.DataSet->FieldByName("NAME"));
  EXPECT_TRUE(id.IsNumericField());  // integers and floats alike
  EXPECT_TRUE(qty.IsNumericField());
  EXPECT_FALSE(name.IsNumericField());
  EXPECT_TRUE(name.IsStringField());
  EXPECT_FALSE(qty.IsDateTimeField());
  EXPECT_EQ(name.FieldName(), "NAME");
  EXPECT_EQ(VarToStr(name.GetAsVariant()), "苹果");
  EXPECT_TRUE(name.CanModify());
  g.DataSet->Edit();
  name.SetAsVariant(Variant("李子"));
  g.DataSet->Post();
  EXPECT_EQ(VarToStr(g.DataSet->FieldByName("NAME")->Value()), "李子");
  TkwField none;
  EXPECT_THROW(none.GetAsVariant(), EkwInvalidGridOperation);
}

}  // namespace
