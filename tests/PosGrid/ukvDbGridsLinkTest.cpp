// The grid's data link: the field map, its growth and its stale entries; writing an
// edited cell; focusing a field's column.
#include <gtest/gtest.h>

#include "ColumnsFixture.h"
#include "db/DatabaseError.h"
#include "db/DataSet.h"
#include "db/Field.h"

using kwtest::FakeGrid;

namespace {

class SmallCapLink : public TkwGridDataLink {
 public:
  using TkwGridDataLink::TkwGridDataLink;
  void SetCap(int cap) { FMaxMappings = cap; }
};

TEST(GridDataLink, MapGrowsFromEightByDoubling) {
  FakeGrid g;
  EXPECT_EQ(g.Link.MapCapacity(), 0);
  g.Link.AddMapping("ID");
  EXPECT_EQ(g.Link.MapCapacity(), 8);
  for (int i = 1; i < 8; ++i) g.Link.AddMapping("NAME");
  EXPECT_EQ(g.Link.MapCapacity(), 8);
  g.Link.AddMapping("QTY");  // the ninth
  EXPECT_EQ(g.Link.MapCapacity(), 16);
  EXPECT_EQ(g.Link.FieldCount(), 9);
  EXPECT_EQ(g.Link.MapEntry(8), 2);
  EXPECT_EQ(g.Link.Fields(8), g.DataSet->FieldByName("QTY"));
  g.Link.ClearMapping();
  EXPECT_EQ(g.Link.FieldCount(), 0);
  EXPECT_EQ(g.Link.Fields(0), nullptr);
}

TEST(GridDataLink, UnknownFieldIsMinusOneWhenSparseAndAnErrorOtherwise) {
  FakeGrid g;
  EXPECT_THROW(g.Link.AddMapping("NOPE"), EDatabaseError);
  EXPECT_EQ(g.Link.FieldCount(), 0);
  EXPECT_TRUE(g.Link.DefaultFields());
  g.Link.SetSparseMap(true);
  EXPECT_TRUE(g.Link.AddMapping("NOPE"));
  EXPECT_EQ(g.Link.MapEntry(0), -1);
  EXPECT_EQ(g.Link.Fields(0), nullptr);
  EXPECT_FALSE(g.Link.DefaultFields());  // one column without a field
  EXPECT_EQ(g.Link.Fields(-1), nullptr);
  EXPECT_EQ(g.Link.Fields(5), nullptr);
}

TEST(GridDataLink, TheCapRaisesTheGridError) {
  FakeGrid g;
  SmallCapLink link(&g);
  link.SetDataSource(g.Source.get());
  link.SetCap(2);
  link.AddMapping("ID");
  link.AddMapping("NAME");
  try {
    link.AddMapping("QTY");
    FAIL();
  } catch (const EkwInvalidGridOperation& e) {
    EXPECT_EQ(e.Message(), "Grid要求显示的列数大于了256。");
  }
  EXPECT_EQ(link.MapCapacity(), 2);
  link.SetDataSource(nullptr);
}

// After the dataset's fields were rebuilt in another order (or one went away), a map
// entry must never answer the field that now sits at its old index.
TEST(GridDataLink, StaleFieldMapNeverReadsTheWrongField) {
  FakeGrid g;
  g.Link.SetSparseMap(true);
  g.Link.AddMapping("ID");
  g.Link.AddMapping("QTY");
  g.Link.AddMapping("PRICE");
  TDataPacket p;
  p.Fields = {{"PRICE", ftFloat, 0}, {"NAME", ftString, 20}, {"ID", ftInteger, 0}};
  p.Rows.push_back({Variant(1.5), Variant("苹果"), Variant(1)});
  g.DataSet->Close();
  g.DataSet->SetData(p);
  ASSERT_NE(g.Link.Fields(0), nullptr);
  EXPECT_EQ(g.Link.Fields(0)->FieldName(), "ID");  // found again, at index 2
  EXPECT_EQ(g.Link.MapEntry(0), 2);
  EXPECT_EQ(g.Link.Fields(1), nullptr);  // QTY is gone
  ASSERT_NE(g.Link.Fields(2), nullptr);
  EXPECT_EQ(g.Link.Fields(2)->FieldName(), "PRICE");  // index 3 is past the list now
}

TEST(GridDataLink, UpdateDataWritesOnlyWhenModifiedAndKeepsModifiedOnFailure) {
  FakeGrid g;
  g.DataSet->DataEvent(deUpdateRecord, 0);
  EXPECT_EQ(g.TakeLog(), "");
  EXPECT_FALSE(g.Link.Modified());
  g.Link.SetModified(true);
  g.DataSet->DataEvent(deUpdateRecord, 0);
  EXPECT_EQ(g.TakeLog(), "update data");
  EXPECT_FALSE(g.Link.Modified());
  g.Link.SetModified(true);
  g.FailUpdate = true;
  EXPECT_THROW(g.DataSet->DataEvent(deUpdateRecord, 0), Exception);
  EXPECT_TRUE(g.Link.Modified());
  EXPECT_FALSE(g.Link.InUpdateData());
}

TEST(GridDataLink, FocusControlSelectsTheColumnAndShowsTheEditor) {
  FakeGrid g;
  TField* f = g.DataSet->FieldByName("NAME");
  f->FocusControl();
  EXPECT_EQ(g.TakeLog(), "focus NAME; show editor");
  g.FocusSucceeds = false;
  f->FocusControl();
  EXPECT_EQ(g.TakeLog(), "focus NAME");
}

TEST(GridDataLink, ResetDiscardsTypedTextOrCancelsTheEdit) {
  FakeGrid g;
  g.DataSet->Edit();
  g.DataSet->FieldByName("NAME")->SetAsVariant(Variant("李子"));
  g.TakeLog();
  g.Link.SetModified(true);
  g.Link.Reset();
  EXPECT_EQ(g.TakeLog(), "record changed");
  EXPECT_FALSE(g.Link.Modified());
  g.DataSet->DataEvent(deUpdateRecord, 0);
  EXPECT_EQ(g.TakeLog(), "");  // nothing typed is written any more
  EXPECT_EQ(g.DataSet->State(), dsEdit);
  g.Link.Reset();
  EXPECT_EQ(g.DataSet->State(), dsBrowse);
  EXPECT_EQ(VarToStr(g.DataSet->FieldByName("NAME")->Value()), "苹果");
}

TEST(GridDataLink, ReadOnlyFields) {
  FakeGrid g;
  TField* f = g.DataSet->FieldByName("NAME");
  EXPECT_FALSE(IsReadOnlyField(f));
  f->SetReadOnly(true);
  EXPECT_TRUE(IsReadOnlyField(f));
  EXPECT_FALSE(IsReadOnlyField(nullptr));
}

}  // namespace

namespace {

// A grid whose component hears of freed fields.
class NotifiedGrid : public FakeGrid {
 public:
  class Listener : public TComponent {
   public:
    using TComponent::TComponent;
    std::vector<TComponent*> Removed;

   protected:
    // A component being destroyed is no longer its derived class: only its address counts.
    void Notification(TComponent* AComponent, TOperation Operation) override {
      TComponent::Notification(AComponent, Operation);
      if (Operation == opRemove) Removed.push_back(AComponent);
    }
  };
  Listener Component{nullptr};
  TComponent* GridComponent() override { return &Component; }
};

}  // namespace

// A mapped field tells the grid when it goes (closing frees the dataset's own fields),
// so the grid never keeps a freed field.
TEST(GridDataLink, AMappedFieldTellsTheGridWhenItIsFreed) {
  NotifiedGrid g;
  g.Link.AddMapping("NAME");
  g.Link.AddMapping("QTY");
  g.Link.SetSparseMap(true);
  g.Link.AddMapping("NOPE");
  TComponent* name = g.DataSet->FieldByName("NAME");
  TComponent* qty = g.DataSet->FieldByName("QTY");
  EXPECT_TRUE(g.Component.Removed.empty());
  g.DataSet->Close();
  EXPECT_EQ(g.Component.Removed, (std::vector<TComponent*>{name, qty}));
}
