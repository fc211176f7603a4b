// The grid's evaluation context for column formulas: a column's value formula and its
// footer formula. Leaves read another column's value of the record being evaluated
// (TkvCalcFieldExpression) or a footer total of a column (TkwDbFieldSummaryExpr).
//
// Decisions:
//  - a Null value or a Null total reads as 0;
//  - a formula that comes back to its own column, directly or through other columns'
//    formulas, is a cycle, reported as EkvFormulaCycle "列 %s 的公式循环引用了自身":
//    when the formula is set (following both the columns the compiled formulas are
//    bound to and the columns their texts name now), when a rename of a column makes
//    the formulas' names close one, and, should one still be met, while evaluating (the
//    controller marks a column while its formula is evaluated): the evaluation then
//    fails as a whole, every formula on the cycle with it, instead of going on with a
//    Null for the column met again;
//  - the leaves hold field items of the controller; a removed item is seen at the next
//    evaluation ("Unknown Identifier %s"), never used after it is gone.
#pragma once
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "VCLSource/source/PosGrid/ukvExpressions.h"

// A column formula that comes back to its own column; the message names the column.
POS_EXCEPTION(EkvFormulaCycle, EExpression);
[[noreturn]] void RaiseFormulaCycle(const AnsiString& column);

class TkvExprCalculator {
 public:
  explicit TkvExprCalculator(TkvCustomDbDataController* controller) : FController(controller) {}
  // The formula's value for the record (as a double).
  double Evaluate(int recordIndex, TkvExpression& expression);
  // The column's value of the record being evaluated.
  Variant GetValue(TkvDbField* fieldItem);
  TkvCustomDbDataController* Controller() const { return FController; }
  int RecordIndex() const { return FRecordIndex; }

 private:
  TkvCustomDbDataController* FController;
  int FRecordIndex = 0;
};

class TkvIdentExpression : public TkvExpression {
 public:
  AnsiString AsString() override;
  double AsFloat() override;
  int32_t AsInteger() override;
  bool AsBoolean() override;
};

class TkvCalcFieldExpression : public TkvIdentExpression {
 public:
  TkvCalcFieldExpression(TkvDbField* fieldItem, TkvExprCalculator* calculator)
      : FFieldItem(fieldItem), FFieldName(fieldItem->FieldName()), FCalculator(calculator) {}
  double AsFloat() override;
  TkvExprType ExprType() override { return etFloat; }

 private:
  TkvDbField* Item() const;
  TkvDbField* FFieldItem;
  AnsiString FFieldName;
  TkvExprCalculator* FCalculator;
};

class TkwDbFieldSummaryExpr : public TkvFunction {
 public:
  TkwDbFieldSummaryExpr(TkvParameterListPtr params, TkvDbField* fieldItem, TkvSummaryKind kind)
      : TkvFunction(std::move(params)),
        FController(fieldItem->Controller()),
        FFieldItem(fieldItem),
        FFieldName(fieldItem->FieldName()),
        FKind(kind) {}
  AnsiString AsString() override;
  double AsFloat() override;
  int32_t AsInteger() override;
  bool AsBoolean() override;
  TkvExprType ExprType() override { return etFloat; }

 private:
  Variant Value();
  TkvCustomDbDataController* FController;
  TkvDbField* FFieldItem;  // looked up among the controller's items before every use
  AnsiString FFieldName;
  TkvSummaryKind FKind;
};

// The summary kind of a footer function name (Sum, Min, Max, Count, Average; any case);
// skNone for any other name.
TkvSummaryKind SummaryKindOfName(std::string_view name);
