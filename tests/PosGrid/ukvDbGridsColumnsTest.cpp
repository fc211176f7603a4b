// Columns and titles: defaults and assigned values, options, visibility, the parent tree,
// field binding, copies; and the column collection.
#include <gtest/gtest.h>

#include "ColumnsFixture.h"
#include "db/DataSet.h"
#include "db/Field.h"

using kwtest::FakeGrid;

namespace {

TkwColumn* AddColumn(FakeGrid& g, const char* fieldName) {
  TkwColumn* c = g.Columns->Add();
  c->SetFieldName(fieldName);
  return c;
}

TEST(Column, NewColumnDefaults) {
  FakeGrid g;
  TkwColumn* c = g.Columns->Add();
  EXPECT_TRUE(c->Visible());
  EXPECT_FALSE(c->Expanded());
  EXPECT_FALSE(c->Fixed());
  EXPECT_EQ(c->ButtonStyle(), gcbsNone);
  EXPECT_EQ(c->DropDownRows(), 7);
  EXPECT_EQ(c->HideContentStr(), "***");
  EXPECT_EQ(c->ColumnOptions(), 64);
  EXPECT_TRUE(c->Stored());
  EXPECT_EQ(c->AssignedValues(), 0);
  EXPECT_EQ(c->TotalKind(), skSum);  // a column holding skNone reads skSum
  EXPECT_EQ(c->Width(), 70);         // the grid's default column width
  EXPECT_EQ(c->ImeMode(), imDontCare);
  EXPECT_EQ(c->Level(), 0);
  ASSERT_NE(c->DbField(), nullptr);  // its field item in the data controller
  EXPECT_EQ(g.C->FieldCount(), 1);
}

TEST(Column, WithoutGridTheDefaultsAreFixed) {
  TCollection plain(CollectionItemClassOf<TkwColumn>());
  auto* c = static_cast<TkwColumn*>(plain.Add());
  EXPECT_EQ(c->Width(), 64);
  EXPECT_EQ(c->Color(), kwcolor::Window);
  EXPECT_EQ(c->Title()->Color(), kwcolor::BtnFace);
  EXPECT_EQ(c->DbField(), nullptr);
  EXPECT_EQ(c->Grid(), nullptr);
}

TEST(Column, AssignedValuesFollowTheGridUntilSetAndAfterRestoreDefaults) {
  FakeGrid g;
  TkwColumn* c = AddColumn(g, "QTY");
  g.GridColor = 0x00FF00;
  EXPECT_EQ(c->Color(), 0x00FF00);
  c->SetColor(0x0000FF);
  g.GridColor = 0x123456;
  EXPECT_EQ(c->Color(), 0x0000FF);
  c->SetWidth(120);
  c->Title()->SetCaption("数量");
  EXPECT_EQ(c->AssignedValues(), (1 << cvColor) | (1 << cvWidth) | (1 << cvTitleCaption));
  c->RestoreDefaults();
  EXPECT_EQ(c->AssignedValues(), 0);
  EXPECT_EQ(c->Color(), 0x123456);
  EXPECT_EQ(c->Width(), 70);
  EXPECT_EQ(c->Title()->Caption(), "QTY");  // the field's display name again
}

TEST(Column, FontChangeMarksTheFontAndTitleFontFollowsUntilSet) {
  FakeGrid g;
  TkwColumn* c = AddColumn(g, "QTY");
  c->Font()->SetHeight(-16);
  EXPECT_TRUE(c->IsAssigned(cvFont));
  EXPECT_EQ(c->Title()->Font()->Height(), -16);  // the title's default is the column font
  c->Title()->Font()->SetName("黑体");
  EXPECT_TRUE(c->IsAssigned(cvTitleFont));
  c->Font()->SetHeight(-20);
  EXPECT_EQ(c->Title()->Font()->Height(), -16);  // an assigned title font stays
  g.TakeLog();
  c->RestoreDefaults();
  EXPECT_EQ(c->Font()->Height(), -12);
  EXPECT_EQ(c->Title()->Font()->Name(), "宋体");
  EXPECT_EQ(g.TakeLog(), "relaid; relaid");  // title font and column font had been assigned
}

TEST(Column, ClearingVisibleHidesUnlessFixed) {
  FakeGrid g;
  TkwColumn* a = AddColumn(g, "ID");
  TkwColumn* b = AddColumn(g, "NAME");
  b->SetFixed(true);
  a->SetColumnOptions(a->ColumnOptions() & ~ColumnOption(gcoVisible));
  b->SetColumnOptions(b->ColumnOptions() & ~ColumnOption(gcoVisible));
  EXPECT_FALSE(a->Visible());
  EXPECT_TRUE(b->Visible());
  EXPECT_EQ(a->Width(), -1);  // not shown
  a->SetVisible(true);
  EXPECT_TRUE(a->IsAssigned(cvVisible));
  EXPECT_TRUE(a->Has(gcoVisible));
}

// A column under a hidden parent with a visible child: the column and its child ask each
// other about their visibility; the question must end, with both visible.
TEST(Column, VisibilityOfColumnWithHiddenParentAndVisibleChildTerminates) {
  FakeGrid g;
  TkwColumn* p = AddColumn(g, "ID");
  TkwColumn* a = AddColumn(g, "NAME");
  TkwColumn* c = AddColumn(g, "QTY");
  TkwColumn* leaf = AddColumn(g, "PRICE");
  a->SetParent(p);
  c->SetParent(a);
  leaf->SetParent(p);
  p->SetVisible(false);
  EXPECT_FALSE(p->Visible());
  EXPECT_TRUE(c->Visible());
  EXPECT_TRUE(a->Visible());
  EXPECT_FALSE(leaf->Visible());  // no visible child of its own
}

TEST(Column, ParentTreeLevelsCaptionsAndSortedChildren) {
  FakeGrid g;
  TkwColumn* stock = AddColumn(g, "ID");
  TkwColumn* qty = AddColumn(g, "QTY");
  TkwColumn* price = AddColumn(g, "PRICE");
  stock->Title()->SetCaption("库存");
  qty->Title()->SetCaption("数量");
  price->SetParent(stock);
  qty->SetParent(stock);
  EXPECT_EQ(qty->Level(), 1);
  EXPECT_EQ(qty->ParentCaption(), "库存数量");
  EXPECT_EQ(stock->ChildCount(), 2);
  price->SetVisible(false);
  stock->ClearChildrenSorted();
  const auto& sorted = stock->SortedChildren();
  ASSERT_EQ(sorted.size(), 2u);
  EXPECT_EQ(sorted[0], qty);  // visible children first
  EXPECT_EQ(sorted[1], price);
  g.Columns->Delete(stock->Index());
  EXPECT_EQ(qty->Parent(), nullptr);
  EXPECT_EQ(qty->Level(), 0);
}

// Making a column the child of its own descendant is refused before anything changes: it
// stays in its old parent's child list and keeps that parent.
TEST(Column, RefusedCyclicParentChangesNothing) {
  FakeGrid g;
  TkwColumn* top = AddColumn(g, "ID");
  TkwColumn* a = AddColumn(g, "NAME");
  TkwColumn* b = AddColumn(g, "QTY");
  TkwColumn* grandchild = AddColumn(g, "PRICE");
  a->SetParent(top);
  b->SetParent(a);
  grandchild->SetParent(b);
  g.TakeLog();
  for (TkwColumn* target : {a, grandchild}) {
    try {
      a->SetParent(target);
      FAIL() << "a cycle was accepted";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), kSelfAsParent);
    }
  }
  EXPECT_EQ(a->Parent(), top);
  ASSERT_EQ(top->ChildCount(), 1);
  EXPECT_EQ(top->Children(0), a);
  EXPECT_EQ(grandchild->Level(), 3);
  EXPECT_EQ(g.TakeLog(), "");
}

TEST(Column, ExpandedIsTheOptionAndMovesASelectionItHid) {
  FakeGrid g;
  TkwColumn* p = AddColumn(g, "ID");
  TkwColumn* child = AddColumn(g, "QTY");
  child->SetParent(p);
  EXPECT_FALSE(child->Shown());  // its parent is not expanded
  g.Selected = p;
  g.TakeLog();
  p->SetExpanded(true);
  EXPECT_TRUE(p->Has(gcoExpanded));
  EXPECT_TRUE(child->Shown());
  EXPECT_FALSE(p->Shown());  // an expanded column is shown by its children
  EXPECT_EQ(g.TakeLog(), "relaid; move 1 from ID");
  p->SetExpanded(false);
  EXPECT_FALSE(p->Has(gcoExpanded));
  EXPECT_EQ(g.TakeLog(), "relaid");  // the selected column came back: no move
  p->SetExpanded(true);
  p->SetColumnOptions(ColumnOption(gcoVisible));
  EXPECT_FALSE(p->Expanded());
}

TEST(Column, ReadOnlyRules) {
  FakeGrid g;
  TkwColumn* c = AddColumn(g, "QTY");
  EXPECT_FALSE(c->ReadOnly());
  g.GridReadOnly = true;
  EXPECT_TRUE(c->ReadOnly());  // the default follows the grid
  c->SetReadOnly(false);
  EXPECT_FALSE(c->ReadOnly());  // an assigned value wins
  EXPECT_TRUE(c->IsAssigned(cvReadOnly));
  g.GridReadOnly = false;
  c->SetValueExpression("2*3");  // a formula reading its own column would be refused
  EXPECT_TRUE(c->ReadOnly());  // a computed column
  EXPECT_FALSE(c->Editable());
  TkwColumn* check = AddColumn(g, "NAME");
  check->SetButtonStyle(gcbsCheckBox);
  check->SetColumnOptions(check->ColumnOptions() | ColumnOption(gcoAlwaysShowEditor));
  EXPECT_FALSE(check->Editable());
  EXPECT_FALSE(check->AlwaysShowEditorColumn());
  EXPECT_TRUE(check->CanModify());
  g.DataSet->FieldByName("NAME")->SetReadOnly(true);
  EXPECT_FALSE(check->CanModify());
}

TEST(Column, AssignCopiesAppearanceButKeepsNameFormulaAndParent) {
  FakeGrid g;
  TkwColumn* src = AddColumn(g, "QTY");
  src->SetColor(0x0000FF);
  src->Title()->SetCaption("数量");
  src->SetName("colQty");
  src->SetDropDownRows(3);
  src->PickList()->Add("一");
  src->SetColumnOptions(src->ColumnOptions() | ColumnOption(gcoSortable));
  TkwColumn* dst = AddColumn(g, "ID");
  dst->SetName("colId");
  dst->SetValueExpression("QTY+1");
  dst->Assign(src);
  EXPECT_EQ(dst->FieldName(), "QTY");
  EXPECT_EQ(dst->Color(), 0x0000FF);
  EXPECT_EQ(dst->Title()->Caption(), "数量");
  EXPECT_EQ(dst->DropDownRows(), 3);
  EXPECT_EQ(dst->PickList()->Count(), 1);
  EXPECT_TRUE(dst->Has(gcoSortable));
  EXPECT_EQ(dst->Name(), "colId");
  EXPECT_EQ(dst->ValueExpression(), "QTY+1");
  EXPECT_FALSE(dst->IsAssigned(cvWidth));
}

TEST(Column, FieldNameBindsTheFieldAndTheFieldItem) {
  FakeGrid g;
  TkwColumn* c = AddColumn(g, "price");
  ASSERT_NE(c->BoundField(), nullptr);
  EXPECT_EQ(c->FieldName(), "PRICE");  // the field's own name
  EXPECT_EQ(c->DbField()->FieldName(), "PRICE");
  EXPECT_TRUE(c->FieldNameSet());
  EXPECT_TRUE(c->GetField()->IsNumericField());
  TkwColumn* unknown = AddColumn(g, "NOPE");
  EXPECT_EQ(unknown->Field(), nullptr);
  EXPECT_EQ(unknown->FieldName(), "NOPE");
  // Regression: an unbound column handed out a field adapter that raised at every
  // question (the filter dialog asked it for the column's condition kind).
  EXPECT_EQ(unknown->GetField(), nullptr);
  TkwColumn* def = g.Columns->AddDefault();
  def->SetFieldName("NAME");
  def->SetField(nullptr);  // a default column without a field forgets its name
  EXPECT_EQ(def->FieldName(), "");
}

TEST(Column, FieldIsFoundOnFirstUseAfterLoading) {
  FakeGrid g;
  g.Loading = true;
  TkwColumn* c = AddColumn(g, "QTY");
  EXPECT_EQ(c->BoundField(), nullptr);
  g.Loading = false;
  EXPECT_EQ(c->Field(), g.DataSet->FieldByName("QTY"));
}

TEST(Column, StoredColumnTakesItsChildrenAlongWhenMoved) {
  FakeGrid g;
  TkwColumn* a = AddColumn(g, "ID");
  TkwColumn* c1 = AddColumn(g, "NAME");
  TkwColumn* c2 = AddColumn(g, "QTY");
  TkwColumn* x = AddColumn(g, "PRICE");
  c1->SetParent(a);
  c2->SetParent(a);
  auto order = [&] {
    std::string s;
    for (int i = 0; i < g.Columns->Count(); ++i) s += std::string(g.Columns->Items(i)->FieldName()) + " ";
    return s;
  };
  a->SetIndex(3);
  EXPECT_EQ(order(), "PRICE ID NAME QTY ");
  a->SetIndex(0);
  EXPECT_EQ(order(), "ID NAME QTY PRICE ");
  (void)x;
  EXPECT_EQ(g.LayoutLocks, 0);
}

TEST(Column, DefaultColumnsWriteTheirSettingsToTheField) {
  FakeGrid g;
  TkwColumn* c = g.Columns->AddDefault();
  c->SetFieldName("QTY");
  TField* f = g.DataSet->FieldByName("QTY");
  c->SetAlignment(taCenter);
  EXPECT_EQ(f->Alignment(), taCenter);
  EXPECT_FALSE(c->IsAssigned(cvAlignment));
  EXPECT_EQ(c->Alignment(), taCenter);  // the default comes from the field
  c->Title()->SetCaption("数量");
  EXPECT_EQ(f->DisplayLabel(), "数量");
  EXPECT_EQ(c->Title()->Caption(), "数量");
  c->SetReadOnly(true);
  EXPECT_TRUE(f->ReadOnly());
  EXPECT_EQ(c->AssignedValues(), 0);
}

TEST(Column, MovingADefaultColumnMovesItsField) {
  FakeGrid g;
  for (const char* n : {"ID", "NAME", "QTY", "PRICE"}) g.Columns->AddDefault()->SetFieldName(n);
  g.Columns->Items(3)->SetIndex(1);
  std::string fields;
  for (TField* f : g.DataSet->Fields()) fields += std::string(f->FieldName()) + " ";
  EXPECT_EQ(fields, "ID PRICE NAME QTY ");
  EXPECT_EQ(g.Columns->Items(1)->FieldName(), "PRICE");
}

TEST(Column, ExpandableWithChildrenUnderMultiLevelTitlesOnly) {
  FakeGrid g;
  TkwColumn* p = AddColumn(g, "ID");
  EXPECT_FALSE(p->Expandable());
  AddColumn(g, "QTY")->SetParent(p);
  EXPECT_FALSE(p->Expandable());  // the fake grid shows one title level
}

// --- the collection ---------------------------------------------------------------------------

TEST(Columns, StateFollowsTheFirstColumn) {
  FakeGrid g;
  EXPECT_EQ(g.Columns->State(), TkwDBGridColumns::csDefault);
  g.Columns->AddDefault();
  EXPECT_EQ(g.Columns->State(), TkwDBGridColumns::csDefault);
  g.Columns->Clear();
  g.Columns->Add();
  EXPECT_EQ(g.Columns->State(), TkwDBGridColumns::csCustomized);
}

TEST(Columns, CustomisedStateBuildsOneColumnPerFieldAndDefaultClears) {
  FakeGrid g;
  g.Columns->SetState(TkwDBGridColumns::csCustomized);
  ASSERT_EQ(g.Columns->Count(), 4);
  std::string names;
  for (int i = 0; i < 4; ++i) names += std::string(g.Columns->Items(i)->FieldName()) + " ";
  EXPECT_EQ(names, "ID NAME QTY PRICE ");
  EXPECT_TRUE(g.Columns->Items(0)->Stored());
  EXPECT_EQ(g.C->FieldCount(), 4);
  g.Columns->SetState(TkwDBGridColumns::csDefault);
  EXPECT_EQ(g.Columns->Count(), 0);
  EXPECT_EQ(g.C->FieldCount(), 0);  // the columns' field items went with them
}

// Regression: columns bound to their fields after the data controller had loaded (built
// from the dataset on a bound grid, or added one by one) read no values: the controller's
// field items were never given their dataset fields.
TEST(Columns, FaultColumnsBoundAfterLoadingReadTheirValues) {
  FakeGrid g;
  g.Load();
  const auto value = [&](TkwColumn* c, int record) {
    Variant v;
    g.C->GetValue(record, c->DbField(), v);
    return std::string(VarToStr(v));
  };
  g.Columns->SetState(TkwDBGridColumns::csCustomized);
  ASSERT_EQ(g.Columns->Count(), 4);
  EXPECT_EQ(value(g.Columns->Items(1), 2), "桃");
  EXPECT_EQ(value(g.Columns->Items(3), 1), "2.25");
  TkwColumn* added = g.Columns->Add();
  added->SetFieldName("NAME");
  EXPECT_EQ(value(added, 0), "苹果");
  EXPECT_EQ(g.C->GetRecordCount(), 3);
}

TEST(Columns, ChangesOfOneColumnAndOfTheLayoutReachTheGrid) {
  FakeGrid g;
  TkwColumn* c = AddColumn(g, "QTY");
  g.TakeLog();
  c->SetWidth(90);
  EXPECT_EQ(g.TakeLog(), "changed QTY");
  c->SetVisible(false);
  EXPECT_EQ(g.TakeLog(), "relaid");
  g.Loading = true;
  c->SetWidth(91);
  EXPECT_EQ(g.TakeLog(), "");
}

TEST(Columns, FindsColumnsByFieldNameAndNameIgnoringCase) {
  FakeGrid g;
  TkwColumn* a = AddColumn(g, "QTY");
  a->SetName("colQty");
  AddColumn(g, "QTY");
  EXPECT_EQ(g.Columns->FindColumnByFieldName("qty"), a);
  EXPECT_EQ(g.Columns->FindColumnByName("COLQTY"), a);
  EXPECT_EQ(g.Columns->FindColumnByName("none"), nullptr);
}

}  // namespace
