// The column collection when a dataset frees the fields its columns are bound to: the
// grid hears of each freed field (its free notice) and the columns let go of it.
#include <gtest/gtest.h>

#include "ColumnsFixture.h"
#include "db/DataSet.h"
#include "db/Field.h"

namespace {

// The grid's component: it hands every freed field's notice to the columns, as the grid
// control does.
class NoticeRelay : public TComponent {
 public:
  explicit NoticeRelay(kwtest::FakeGrid& grid) : TComponent(nullptr), FGrid(grid) {}
  int Unbound = 0;  // notices that unbound a column

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && FGrid.Columns && FGrid.Columns->FieldRemoved(AComponent)) ++Unbound;
  }

 private:
  kwtest::FakeGrid& FGrid;
};

class NotifiedGrid : public kwtest::FakeGrid {
 public:
  TComponent* GridComponent() override { return &Relay; }
  NoticeRelay Relay{*this};
};

// Regression: a column kept its freed field until the grid's next layout; its title read
// the field (heap-use-after-free under ASan).
TEST(ColumnsFreedField, FaultAClosedDatasetLeavesNoColumnOnItsFreedFields) {
  NotifiedGrid g;
  TkwColumn* qty = g.Columns->Add();
  qty->SetFieldName("QTY");
  TkwColumn* name = g.Columns->Add();
  name->SetFieldName("NAME");
  name->Title()->SetCaption("名称");
  TkwColumn* loose = g.Columns->Add();  // bound to nothing
  ASSERT_EQ(qty->BoundField(), g.DataSet->FindField("QTY"));
  ASSERT_EQ(name->BoundField(), g.DataSet->FindField("NAME"));
  EXPECT_EQ(qty->Title()->Caption(), "QTY");

  const TDataPacket packet = g.DataSet->Data();
  g.DataSet->Close();
  EXPECT_EQ(g.Relay.Unbound, 2);
  EXPECT_EQ(qty->BoundField(), nullptr);
  EXPECT_EQ(name->BoundField(), nullptr);
  EXPECT_EQ(qty->GetField(), nullptr);
  // The columns keep their names and read no freed memory.
  EXPECT_EQ(qty->FieldName(), "QTY");
  EXPECT_EQ(qty->Title()->Caption(), "QTY");
  EXPECT_EQ(name->Title()->Caption(), "名称");
  EXPECT_EQ(loose->BoundField(), nullptr);

  // Opened again: bound by name to the new fields, whose freeing is heard of too.
  g.DataSet->SetData(packet);
  EXPECT_EQ(qty->Field(), g.DataSet->FindField("QTY"));
  EXPECT_EQ(qty->Title()->Caption(), "QTY");
  g.DataSet->Close();
  EXPECT_EQ(g.Relay.Unbound, 3);
  EXPECT_EQ(qty->BoundField(), nullptr);
}

}  // namespace
