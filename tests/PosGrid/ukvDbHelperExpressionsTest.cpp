// Field formulas of the controller and column formulas through the calculator, with the
// mended faults (failed compiles, Null values, cycles, removed fields).
#include <gtest/gtest.h>

#include "DataControllerFixture.h"
#include "VCLSource/source/PosGrid/ukvDbHelperExpressions.h"
#include "VCLSource/source/PosGrid/ukvExpressionCalculator.h"
#include "tests/support/ErrorText.h"

using kvtest::Grid;
using kvtest::Row6;
using postest::ErrorOf;

namespace {

Variant N() { return Variant::Null(); }

Grid Items() {
  return Grid({{Variant(5), Variant("a"), Variant(2.5), N(), N(), Variant(true)},
               {Variant(12), Variant("b"), Variant(1.0), N(), N(), Variant(false)},
               {N(), Variant("c"), Variant(4.0), N(), N(), N()}});
}

TEST(DbExpressions, IsTrueAtHoldsForTheRecordsThatMatch) {
  Grid g = Items();
  TkvDbExpression* e = g.C->Expressions().Add();
  e->SetText("ID > 10");
  EXPECT_FALSE(e->HasCompiled());
  EXPECT_FALSE(e->IsTrueAt(0));  // no tree: false
  g.C->Reload(true);             // the controller compiles when it binds its fields
  ASSERT_TRUE(e->HasCompiled());
  EXPECT_FALSE(e->IsTrueAt(0));
  EXPECT_TRUE(e->IsTrueAt(1));
  EXPECT_FALSE(e->IsTrueAt(2));  // a Null ID reads as 0, never a conversion error
  e->SetText("(PRICE * 2 > 4) AND ACTIVE");
  e->Compile();
  g.C->Reload(true);
  EXPECT_TRUE(e->IsTrueAt(0));
  EXPECT_FALSE(e->IsTrueAt(1));
  EXPECT_FALSE(e->IsTrueAt(2));
}

// The rows where each item holds, one string per item ("101" for records 0 and 2).
std::string Holds(Grid& g) {
  std::string s;
  TkvDbExpressions& list = g.C->Expressions();
  for (int i = 0; i < list.Count(); ++i) {
    if (i > 0) s += ' ';
    for (int r = 0; r < g.C->GetRecordCount(); ++r) s += list.Items(i)->IsTrueAt(r) ? '1' : '0';
  }
  return s;
}

// Regression: the field items of a formula compiled over loaded records held no values
// until the next reload, so IsTrueAt right after Compile (or RecompileAll) was false on
// every record ("ID > 10" on the record with ID 12). The records are read again at once;
// the focus stays where it was.
TEST(DbExpressions, FaultIsTrueAtRightAfterCompileReadNoValues) {
  Grid g = Items();
  g.C->FocusRowIndex(1);
  TkvDbExpression* e = g.C->Expressions().Add();
  e->SetText("ID > 10");
  e->Compile();
  EXPECT_EQ(Holds(g), "010");
  g.C->Expressions().Add()->SetText("(PRICE >= 2.5) AND ACTIVE");
  e->SetText("NAME <> 'a'");
  g.C->Expressions().RecompileAll();
  EXPECT_EQ(Holds(g), "011 100");
  EXPECT_EQ(g.FocusedId(), "12");
}

// Regression: the field binding compiled the formulas before it bound the fields again
// and let a failure through: a formula naming a field the reopened dataset lacks stopped
// the binding and the load, and the controller was left without records. The load goes
// on; that formula holds nowhere (no tree) until a dataset has its field again. A closed
// dataset leaves no tree (its fields may be freed).
TEST(DbExpressions, FaultAFormulaNamingAMissingFieldLeftTheControllerEmpty) {
  Grid g = Items();
  TkvDbExpressions& list = g.C->Expressions();
  list.Add()->SetText("PRICE > 2");
  list.Add()->SetText("ID > 10");
  list.RecompileAll();
  ASSERT_EQ(Holds(g), "101 010");
  TDataPacket lacking;
  lacking.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 20}};
  lacking.Rows = {{Variant(20), Variant("x")}, {Variant(3), Variant("y")}};
  EXPECT_EQ(ErrorOf([&] { g.DataSet->SetData(lacking); }), "no error");
  EXPECT_EQ(g.RowIds(), "20 3");
  EXPECT_EQ(std::string(list.Items(0)->HasCompiled() ? "1" : "0") + (list.Items(1)->HasCompiled() ? "1" : "0"), "01");
  EXPECT_EQ(Holds(g), "00 10");
  g.DataSet->Close();
  EXPECT_FALSE(list.Items(1)->HasCompiled());
  g.DataSet->SetData(kvtest::Packet6({{Variant(1), Variant("p"), Variant(9.0), N(), N(), N()}}));
  EXPECT_EQ(Holds(g), "1 0");
}

// A compile that fails leaves no tree behind, and IsTrueAt without a tree is false.
TEST(DbExpressions, FailedCompileLeavesNoTree) {
  Grid g = Items();
  TkvDbExpression* e = g.C->Expressions().Add();
  e->SetText("ID > 1");
  e->Compile();
  ASSERT_TRUE(e->HasCompiled());
  const int fields = g.C->FieldCount();
  e->SetText("FOO > 1");
  EXPECT_EQ(ErrorOf([&] { e->Compile(); }), "Exception: 找不到列：FOO");
  EXPECT_FALSE(e->HasCompiled());
  EXPECT_FALSE(e->IsTrueAt(0));
  EXPECT_EQ(g.C->FieldCount(), fields - 1);  // the old tree's field item is gone with it
  e->SetText("DAY > 1");  // a date field is no formula type: asked, it raises
  e->Compile();
  EXPECT_EQ(ErrorOf([&] { e->IsTrueAt(0); }), "Exception: 不支持的表达式类型！");
  EXPECT_EQ(g.C->FieldCount(), fields);
}

// A field takes no arguments: written with them it is an unknown identifier, never read
// as the plain field (which could not take the argument list either). Functions still
// take fields as arguments.
TEST(DbExpressions, FieldWithArgumentsIsAnUnknownIdentifier) {
  Grid g = Items();
  TkvDbExpression* e = g.C->Expressions().Add();
  const int fields = g.C->FieldCount();
  for (const char* text : {"ID(1) > 1", "ID() > 1", "NAME('a') = 'a'"}) {
    e->SetText(text);
    const std::string name = std::string(text).substr(0, std::string(text).find('('));
    EXPECT_EQ(ErrorOf([&] { e->Compile(); }), "EExpression: Unknown Identifier " + name) << text;
    EXPECT_FALSE(e->HasCompiled()) << text;
    EXPECT_EQ(g.C->FieldCount(), fields) << text;  // no field item left behind
  }
  e->SetText("foo(ID) > 1");  // the arguments are parsed first: ID is a field there
  EXPECT_EQ(ErrorOf([&] { e->Compile(); }), "EExpression: Unknown Identifier FOO");
  e->SetText("UPPER(NAME) = 'B'");
  e->Compile();
  g.C->Reload(true);
  EXPECT_FALSE(e->IsTrueAt(0));
  EXPECT_TRUE(e->IsTrueAt(1));
}

// Every item is compiled even after one has failed, and each failure is reported, in
// index order, through the first one's class.
TEST(DbExpressions, RecompileAllCompilesEveryItemAndReportsEachFailure) {
  Grid g = Items();
  TkvDbExpressions& list = g.C->Expressions();
  const char* const texts[] = {"FOO > 1", "ID > 10", "ID(2) > 1", "PRICE > 2", "BAR"};
  for (const char* t : texts) list.Add()->SetText(t);
  EXPECT_EQ(ErrorOf([&] { list.RecompileAll(); }),
            "Exception: 找不到列：FOO\r\nUnknown Identifier ID\r\n找不到列：BAR");
  std::string compiled;
  for (int i = 0; i < list.Count(); ++i) compiled += list.Items(i)->HasCompiled() ? '1' : '0';
  EXPECT_EQ(compiled, "01010");
  // One failure keeps its own class and text.
  list.Items(0)->SetText("ID < 10");
  list.Items(4)->SetText("ACTIVE");
  EXPECT_EQ(ErrorOf([&] { list.RecompileAll(); }), "EExpression: Unknown Identifier ID");
  list.Items(2)->SetText("NOT ACTIVE");
  EXPECT_EQ(ErrorOf([&] { list.RecompileAll(); }), "no error");
  g.C->Reload(true);
  std::string rows;
  for (int r = 0; r < 3; ++r)
    for (int i = 0; i < list.Count(); ++i) rows += list.Items(i)->IsTrueAt(r) ? '1' : '0';
  EXPECT_EQ(rows, "10011" "01100" "10110");
}

// A column whose formula multiplies two other columns, and one that refers to itself.
class FormulaColumn : public IkwColumn {
 public:
  FormulaColumn(TkvExprCalculator& calc, const char* text, std::function<TkvDbField*(const AnsiString&)> find)
      : FCalc(calc) {
    FTree = CreateExpression(text, [&](const AnsiString& id, TkvParameterListPtr& params) -> TkvExpressionPtr {
      if (TkvDbField* f = find(id)) return std::make_unique<TkvCalcFieldExpression>(f, &FCalc);
      return nullptr;
    });
  }
  bool HasValueExpression() override { return true; }
  Variant EvaluateValueExpression(int recordIndex) override { return FCalc.Evaluate(recordIndex, *FTree); }

 private:
  TkvExprCalculator& FCalc;
  TkvExpressionPtr FTree;
};

TEST(ColumnFormulas, ValueOfAColumnFromOtherColumnsWithNullAsZero) {
  Grid g = Items();
  TkvExprCalculator calc(g.C.get());
  auto find = [&](const AnsiString& id) { return g.F(std::string(id).c_str()); };
  TkvDbField* total = g.C->AddField(nullptr, "TOTAL");
  FormulaColumn column(calc, "PRICE * ID", find);
  total->SetColumn(&column);
  Variant v;
  g.C->GetFieldValue(0, total, v);
  EXPECT_EQ(v.AsDouble(), 12.5);
  g.C->GetFieldValue(2, total, v);
  EXPECT_EQ(v.AsDouble(), 0.0);
  // The sort and the totals read the formula's values.
  g.C->ChangeSorting(total, 2);
  EXPECT_EQ(g.RowIds(), "5 12 ");  // 12.5, 12, then the Null ID's 0
  EXPECT_EQ(total->GetSummary(skSum)->GetValue().AsDouble(), 24.5);
  total->SetColumn(nullptr);
}

// Regression: a formula that reached its own column read Null there and went on, so A
// read 3.5 (B = 0 * 2 + 2.5, A = B + 1) where the cell, starting from B, read another
// number. The cycle fails every formula on it, reported as any other cycle: the
// controller's reads (sorting, totals) give Null and never recurse, an evaluation of
// its own raises, from either column; a formula beside the cycle is read as before.
TEST(ColumnFormulas, FaultCycleThroughTheOwnColumnReadNullAndWentOn) {
  Grid g = Items();
  TkvExprCalculator calc(g.C.get());
  TkvDbField* a = g.C->AddField(nullptr, "A");
  TkvDbField* b = g.C->AddField(nullptr, "B");
  TkvDbField* c = g.C->AddField(nullptr, "C");
  auto find = [&](const AnsiString& id) -> TkvDbField* {
    return id == "A" ? a : (id == "B" ? b : g.F(std::string(id).c_str()));
  };
  FormulaColumn ca(calc, "B + 1", find);
  FormulaColumn cb(calc, "A * 2 + PRICE", find);
  FormulaColumn cc(calc, "PRICE * 2", find);
  a->SetColumn(&ca);
  b->SetColumn(&cb);
  c->SetColumn(&cc);
  std::string s;
  for (TkvDbField* f : {a, b, c}) {
    Variant v;
    s += ErrorOf([&] { g.C->GetFieldValue(0, f, v); });
    s += " " + (v.IsNull() ? std::string("Null") : std::string(VarToStr(v))) + "; ";
    s += ErrorOf([&] { v = g.C->EvaluateColumnFormula(0, f); }) + "; ";
  }
  EXPECT_EQ(s,
            "no error Null; EkvFormulaCycle: 列 A 的公式循环引用了自身; "
            "no error Null; EkvFormulaCycle: 列 B 的公式循环引用了自身; "
            "no error 5; no error; ");
  g.C->ChangeSorting(a, 1);
  EXPECT_EQ(g.C->RowCount(), 3);
  a->SetColumn(nullptr);
  b->SetColumn(nullptr);
  c->SetColumn(nullptr);
}

TEST(ColumnFormulas, FooterSummaryNodesAndRemovedFields) {
  Grid g = Items();
  TkvDbField* price = g.F("PRICE");
  EXPECT_EQ(SummaryKindOfName("sum"), skSum);
  EXPECT_EQ(SummaryKindOfName("Average"), skAverage);
  EXPECT_EQ(SummaryKindOfName("Avg"), skNone);
  TkwDbFieldSummaryExpr sum(nullptr, price, skSum);
  EXPECT_EQ(sum.AsFloat(), 7.5);
  EXPECT_EQ(ErrorOf([&] { sum.AsBoolean(); }), "Exception: 暂不支持这种类型！");
  TkwDbFieldSummaryExpr maxId(nullptr, g.F("ID"), skMax);
  EXPECT_EQ(maxId.AsInteger(), 12);
  // A removed column is reported, never read after it is gone.
  g.C->RemoveFieldItem(price);
  EXPECT_EQ(ErrorOf([&] { sum.AsFloat(); }), "EExpression: Unknown Identifier PRICE");
}

TEST(ColumnFormulas, IdentBaseConversions) {
  Grid g = Items();
  TkvExprCalculator calc(g.C.get());
  TkvCalcFieldExpression node(g.F("PRICE"), &calc);
  calc.Evaluate(0, node);
  EXPECT_EQ(node.AsString(), "2.5");
  EXPECT_EQ(node.AsInteger(), 2);  // halves to even
  EXPECT_EQ(ErrorOf([&] { node.AsBoolean(); }), "EExpression: Cannot read Float as boolean");
}

}  // namespace
