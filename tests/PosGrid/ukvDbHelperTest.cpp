// Calculation rules over a client dataset, and the rule-definition parser.
#include <gtest/gtest.h>

#include "VCLSource/source/PosGrid/ukvDbHelper.h"
#include "db/ClientDataSet.h"
#include "db/FieldClasses.h"

namespace {

TPacketField Col(const char* name, TFieldType type) {
  TPacketField f;
  f.Name = name;
  f.DataType = type;
  return f;
}

std::unique_ptr<TClientDataSet> Sales() {
  auto ds = std::make_unique<TClientDataSet>(nullptr);
  TDataPacket p;
  p.Fields = {Col("QTY", ftFloat), Col("PRICE", ftFloat), Col("AMOUNT", ftFloat), Col("TOTAL", ftFloat)};
  p.Rows = {{Variant(3.0), Variant(2.5), Variant(0.0), Variant(1.0)}};
  ds->SetData(p);
  return ds;
}

std::string Row(TDataSet& ds) {
  std::string s;
  for (TField* f : ds.Fields()) s += (s.empty() ? "" : " ") + f->FieldName() + "=" + VarToStr(f->Value());
  return s;
}

TEST(CalculationRules, ChangeRuleRunsWhenTheUserLeavesAChangedField) {
  auto ds = Sales();
  TkvExpressionCalculator calc;
  calc.SetDataSet(ds.get());
  calc.Rules().Add("AMOUNT = QTY * PRICE");
  TField* qty = ds->FieldByName("QTY");
  TField* price = ds->FieldByName("PRICE");
  // Moving between columns of an unmodified record changes nothing.
  calc.SetPendingField(qty);
  calc.SetPendingField(price);
  EXPECT_EQ(Row(*ds), "QTY=3 PRICE=2.5 AMOUNT=0 TOTAL=1");
  ds->Edit();
  calc.SetPendingField(qty);
  qty->SetAsFloat(4);
  calc.SetPendingField(price);
  EXPECT_EQ(Row(*ds), "QTY=4 PRICE=2.5 AMOUNT=10 TOTAL=1");
}

TEST(CalculationRules, TriggerNamesNarrowTheRule) {
  auto ds = Sales();
  TkvExpressionCalculator calc;
  calc.SetDataSet(ds.get());
  calc.Rules().Add("PRICE: AMOUNT = QTY * PRICE");
  ds->Edit();
  ds->FieldByName("QTY")->SetAsFloat(3);  // the record is modified
  calc.SetPendingField(ds->FieldByName("QTY"));
  calc.ApplyPendingField();
  EXPECT_EQ(ds->FieldByName("AMOUNT")->AsFloat(), 0);
  calc.SetPendingField(ds->FieldByName("PRICE"));
  calc.ApplyPendingField();
  EXPECT_EQ(ds->FieldByName("AMOUNT")->AsFloat(), 7.5);
}

TEST(CalculationRules, ARuleIsNeverTriggeredByItsOwnTarget) {
  auto ds = Sales();
  TkvExpressionCalculator calc;
  calc.SetDataSet(ds.get());
  calc.Rules().Add("TOTAL = TOTAL + QTY");
  ds->Edit();
  TField* total = ds->FieldByName("TOTAL");
  total->SetAsFloat(1);  // the record is modified
  calc.SetPendingField(total);
  calc.ApplyPendingField();
  calc.ApplyPendingField();
  calc.SetPendingField(ds->FieldByName("PRICE"));
  EXPECT_EQ(total->AsFloat(), 1);
  calc.SetPendingField(ds->FieldByName("QTY"));
  calc.ApplyPendingField();
  EXPECT_EQ(total->AsFloat(), 4);
}

TEST(CalculationRules, TargetThatIsNoFieldWritesNothing) {
  auto ds = Sales();
  TkvExpressionCalculator calc;
  calc.SetDataSet(ds.get());
  calc.Rules().Add("NOSUCH = QTY * 2");
  ds->Edit();
  calc.SetPendingField(ds->FieldByName("QTY"));
  calc.ApplyPendingField();
  EXPECT_EQ(Row(*ds), "QTY=3 PRICE=2.5 AMOUNT=0 TOTAL=1");
  auto* rule = static_cast<TkvExpressionParameters*>(calc.Rules().Objects(0));
  EXPECT_EQ(rule->TargetField(), nullptr);
  EXPECT_EQ(rule->UsedFieldNames(), std::vector<AnsiString>{"QTY"});
}

TEST(CalculationRules, FormulasSeeBracketsAndComparisons) {
  auto ds = Sales();
  TkvExpressionCalculator calc;
  calc.SetDataSet(ds.get());
  calc.RecordRules().Add("AMOUNT = ROUND((QTY + 1) * PRICE)");
  calc.RecordRules().Add("TOTAL = IF(QTY >= 3, 1, 0) ; a comment");
  ds->Edit();
  calc.EvaluateRecordRules();
  EXPECT_EQ(Row(*ds), "QTY=3 PRICE=2.5 AMOUNT=10 TOTAL=1");
  EXPECT_TRUE(calc.HasRecordRules());
}

TEST(CalculationRules, UnknownNamesAndCallsWithArgumentsFail) {
  auto ds = Sales();
  TkvExpressionCalculator calc;
  calc.SetDataSet(ds.get());
  calc.RecordRules().Add("AMOUNT = QTY * DISCOUNT");
  calc.RecordRules().Add("AMOUNT = QTY(1)");
  ds->Edit();
  try {
    calc.EvaluateRecordRules();
    FAIL();
  } catch (const EExpression& e) {
    EXPECT_EQ(e.Message(), "Unknown Identifier DISCOUNT");
  }
  calc.RecordRules().Delete(0);
  EXPECT_THROW(calc.EvaluateRecordRules(), EExpression);
}

TEST(CalculationRules, LinesAndRuleObjectsGoTogether) {
  auto ds = Sales();
  TkvExpressionCalculator calc;
  calc.SetDataSet(ds.get());
  calc.Rules().Add("AMOUNT = QTY * PRICE");
  calc.Rules().Add("TOTAL = QTY");
  auto* second = static_cast<TkvExpressionParameters*>(calc.Rules().Objects(1));
  calc.Rules().Delete(0);
  EXPECT_EQ(calc.Rules().Count(), 1);
  EXPECT_EQ(calc.Rules().Objects(0), second);
  calc.FreeRule(second);
  EXPECT_EQ(calc.Rules().Count(), 0);
  calc.Rules().Add("AMOUNT = QTY");
  calc.Rules().Clear();
  EXPECT_EQ(calc.Rules().Count(), 0);
}

// Regression: a line added by InsertObject made no rule, so it never ran. It makes its
// rule as Insert does; an object handed in with the line is not taken for a rule.
TEST(CalculationRules, FaultALineAddedByInsertObjectNeverRan) {
  auto ds = Sales();
  TkvExpressionCalculator calc;
  calc.SetDataSet(ds.get());
  calc.Rules().InsertObject(0, "AMOUNT = QTY * PRICE", nullptr);
  TObject stranger;
  calc.Rules().InsertObject(0, "TOTAL = QTY + 1", &stranger);
  ASSERT_EQ(calc.Rules().Count(), 2);
  EXPECT_NE(calc.Rules().Objects(0), &stranger);
  auto* total = dynamic_cast<TkvExpressionParameters*>(calc.Rules().Objects(0));
  ASSERT_NE(total, nullptr);
  EXPECT_EQ(total->TargetName(), "TOTAL");
  ds->Edit();
  ds->FieldByName("QTY")->SetAsFloat(4);
  calc.SetPendingField(ds->FieldByName("QTY"));
  calc.ApplyPendingField();
  EXPECT_EQ(Row(*ds), "QTY=4 PRICE=2.5 AMOUNT=10 TOTAL=5");
  calc.Rules().Delete(1);  // its rule goes with it, once
  EXPECT_EQ(calc.Rules().Count(), 1);
}

TEST(CalculationRules, ALineThatDoesNotParseLeavesTheList) {
  auto ds = Sales();
  TkvExpressionCalculator calc;
  calc.SetDataSet(ds.get());
  try {
    calc.Rules().Add("AMOUNT 1");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "语法错误");
  }
  EXPECT_EQ(calc.Rules().Count(), 0);
}

TEST(CalculationRules, UnboundWhileClosedAndBoundByRebindAll) {
  TkvExpressionCalculator calc;  // no dataset yet: the rules stay unbound
  calc.Rules().Add("AMOUNT = QTY * PRICE");
  calc.RecordRules().Add("BAD");
  auto* rule = static_cast<TkvExpressionParameters*>(calc.Rules().Objects(0));
  EXPECT_EQ(rule->TargetField(), nullptr);
  auto ds = Sales();
  calc.SetDataSet(ds.get());
  EXPECT_THROW(calc.RebindAll(), Exception);  // the bad record rule, after the others
  EXPECT_EQ(rule->TargetField(), ds->FieldByName("AMOUNT"));
}

// --- definition parser ------------------------------------------------------------------------

std::string Parsed(const char* text) {
  TkvExpressionParser p;
  try {
    p.Parse(text);
  } catch (const Exception& e) {
    return std::string(e.ClassName()) + ":" + e.Message();
  }
  std::string s = "T[";
  for (const auto& n : p.TriggerNames()) s += n + ",";
  s += "] " + p.TargetName() + " =<" + p.ExpressionText() + "> I[";
  for (const auto& n : p.IdentifierNames()) s += n + ",";
  return s + "]";
}

TEST(RuleDefinitionParser, Forms) {
  struct Case { const char* Text; const char* Expected; } cases[] = {
      {"amount = qty * price", "T[] AMOUNT =< qty * price> I[QTY,PRICE,]"},
      {"qty: amount = qty * price", "T[QTY,] AMOUNT =< qty * price> I[QTY,PRICE,]"},
      {"qty, price: amount = qty * price", "T[QTY,PRICE,] AMOUNT =< qty * price> I[QTY,PRICE,]"},
      {"a b = c", "T[] B =< c> I[C,]"},
      {"x = a; y = b", "T[] X =< a> I[A,]"},
      {"amount = qty * 2", "T[] AMOUNT =< qty * 2> I[QTY,2,]"},
      {"amount = round(qty) and x", "T[] AMOUNT =< round(qty) and x> I[ROUND,QTY,X,]"},
      {"amount = round(qty*price)", "T[] AMOUNT =< round(qty*price)> I[ROUND,QTY,PRICE,]"},
      {"flag = if(qty >= 10, 1, 0)", "T[] FLAG =< if(qty >= 10, 1, 0)> I[IF,QTY,10,1,0,]"},
      {"金额 = 数量 * 单价", "T[] 金额 =< 数量 * 单价> I[数量,单价,]"},
      {"= 1", "Exception:语法错误"},
      {"amount 1", "Exception:语法错误"},
      {"amount =", "Exception:语法错误"},
      {"amount =  ; x", "Exception:语法错误"},
      {"", "Exception:语法错误"},
  };
  for (const Case& c : cases) EXPECT_EQ(Parsed(c.Text), c.Expected) << c.Text;
}

}  // namespace
