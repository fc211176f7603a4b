// The grid's evaluation context for column formulas: leaves that read another column of
// the record being evaluated or a footer total.
#include "VCLSource/source/PosGrid/ukvExpressionCalculator.h"

#include "VCLSource/source/PosGrid/ukvDbHelperSummary.h"
#include "VCLSource/source/PosGrid/ukvExpressionsArith.h"
#include "rtl/NumberFormat.h"

void RaiseFormulaCycle(const AnsiString& column) {
  throw EkvFormulaCycle(Format("列 %s 的公式循环引用了自身", {column}));
}

double TkvExprCalculator::Evaluate(int recordIndex, TkvExpression& expression) {
  FRecordIndex = recordIndex;
  return expression.AsFloat();
}

Variant TkvExprCalculator::GetValue(TkvDbField* fieldItem) {
  Variant v;
  FController->GetValueByIndex(FRecordIndex, fieldItem->Index(), v);
  return v;
}

AnsiString TkvIdentExpression::AsString() { return TkvExpression::AsString(); }

double TkvIdentExpression::AsFloat() {
  if (ExprType() == etString) return StrToFloat(AsString());
  throw Exception("not implementation");
}

int32_t TkvIdentExpression::AsInteger() { return kvexpr::RoundToInt(AsFloat()); }

bool TkvIdentExpression::AsBoolean() {
  throw EExpression(Format("Cannot read %s as boolean", {ExprTypeName(ExprType())}));
}

namespace {

// The field item when it is still one of the controller's.
TkvDbField* Alive(TkvCustomDbDataController* c, TkvDbField* item, const AnsiString& name) {
  for (int i = 0; i < c->FieldCount(); ++i)
    if (c->Fields().Items(i) == item) return item;
  throw EExpression(Format("Unknown Identifier %s", {name}));
}

}  // namespace

TkvDbField* TkvCalcFieldExpression::Item() const { return Alive(FCalculator->Controller(), FFieldItem, FFieldName); }

double TkvCalcFieldExpression::AsFloat() {
  const Variant v = FCalculator->GetValue(Item());
  return v.IsNull() ? 0.0 : v.AsDouble();
}

Variant TkwDbFieldSummaryExpr::Value() {
  TkvSummary* s = Alive(FController, FFieldItem, FFieldName)->GetSummary(FKind);
  return s ? s->GetValue() : Variant::Null();
}

AnsiString TkwDbFieldSummaryExpr::AsString() {
  const Variant v = Value();
  return v.IsNull() ? AnsiString() : VarToStr(v);
}

double TkwDbFieldSummaryExpr::AsFloat() {
  const Variant v = Value();
  return v.IsNull() ? 0.0 : v.AsDouble();
}

int32_t TkwDbFieldSummaryExpr::AsInteger() {
  const Variant v = Value();
  return v.IsNull() ? 0 : v.AsInteger();
}

bool TkwDbFieldSummaryExpr::AsBoolean() { throw Exception("暂不支持这种类型！"); }

TkvSummaryKind SummaryKindOfName(std::string_view name) {
  static const char* const kNames[] = {"SUM", "MIN", "MAX", "COUNT", "AVERAGE"};
  const AnsiString upper = UpperCase(name);
  for (int i = 0; i < 5; ++i)
    if (upper == kNames[i]) return static_cast<TkvSummaryKind>(i + 1);
  return skNone;
}
