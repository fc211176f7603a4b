// Expression nodes: base conversions, operators, built-in functions.
#include "VCLSource/source/PosGrid/ukvExpressions.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>
#include "VCLSource/source/PosGrid/ukvExpressionsArith.h"
#include "VCLSource/source/PosGrid/ukvExpressionsChain.h"

using namespace kvexpr;

namespace {

const char* const kTypeNames[] = {"String", "Float", "Integer", "Boolean"};
const char* const kOperatorNames[] = {
    "opNot", "opMult", "opDivide", "opDiv", "opMod", "opAnd", "opShl", "opShr", "opPlus",
    "opMinus", "opOr", "opXor", "opEq", "opNEQ", "opLT", "opGT", "opLTE", "opGTE"};

const char* const kStringFunctions[] = {"UPPER", "LOWER", "COPY", "POS", "LENGTH"};
const char* const kMathFunctions[] = {"TRUNC", "ROUND", "ABS", "ARCTAN", "COS", "EXP", "FRAC",
                                      "INT", "LN", "PI", "SIN", "SQR", "SQRT", "POWER"};
const char* const kTypeCasts[] = {"STRING", "FLOAT", "INTEGER", "BOOLEAN"};

bool IsRelational(TkvOperator op) { return op >= opEq && op <= opGTE; }

}  // namespace

namespace kvexpr {

void InternalError(int code) { throw EExpression(Format("Internal parser error. Code %d", {code})); }

void CannotRead(TkvExprType t, const char* what) {
  throw EExpression(Format(AnsiString("Cannot read %s as ") + what, {ExprTypeName(t)}));
}

}  // namespace kvexpr

const char* ExprTypeName(TkvExprType t) { return kTypeNames[t & 3]; }
const char* OperatorName(TkvOperator op) { return op <= opGTE ? kOperatorNames[op] : "op?"; }

TkvExprType ResultType(TkvOperator op, TkvExprType operandType) {
  const bool rel = IsRelational(op);
  switch (operandType) {
    case etString:
      if (op == opPlus) return etString;
      if (rel) return etBoolean;
      break;
    case etFloat:
      if (op == opMult || op == opDivide || op == opPlus || op == opMinus) return etFloat;
      if (rel) return etBoolean;
      break;
    case etInteger:
      if (op == opDivide) return etFloat;
      if (rel) return etBoolean;
      return etInteger;
    case etBoolean:
      if (op == opNot || op == opAnd || op == opOr || op == opXor || op == opEq || op == opNEQ)
        return etBoolean;
      break;
  }
  throw EExpression(Format("Operator %s incompatible with %s", {OperatorName(op), ExprTypeName(operandType)}));
}

// --- base conversions ---------------------------------------------------------------

AnsiString TkvExpression::AsString() {
  switch (const TkvExprType t = ExprType()) {
    case etFloat: return FloatText(AsFloat());
    case etInteger: return IntToStr(AsInteger());
    case etBoolean: return AsBoolean() ? "TRUE" : "FALSE";
    default: CannotRead(t, "String");
  }
}

double TkvExpression::AsFloat() {
  const TkvExprType t = ExprType();
  if (t == etInteger || t == etBoolean) return AsInteger();
  CannotRead(t, "Float");
}

int32_t TkvExpression::AsInteger() {
  const TkvExprType t = ExprType();
  if (t == etBoolean) return AsBoolean() ? 1 : 0;
  CannotRead(t, "integer");
}

bool TkvExpression::AsBoolean() { CannotRead(ExprType(), "boolean"); }

AnsiString TkvFloatLiteral::AsString() { return FloatText(FValue); }
AnsiString TkvIntegerLiteral::AsString() { return IntToStr(FValue); }

// --- unary ----------------------------------------------------------------------------

TkvUnaryOp::TkvUnaryOp(TkvOperator op, TkvExpressionPtr operand)
    : FOperand(std::move(operand)), FOperator(op) {
  if (op != opNot && op != opPlus && op != opMinus)
    throw EExpression(Format("%s is not simple unary operator", {OperatorName(op)}));
  FOperandType = FOperand->BuildType();
}

double TkvUnaryOp::AsFloat() {
  if (FOperator == opPlus) return FOperand->AsFloat();
  if (FOperator == opMinus) return -FOperand->AsFloat();
  return TkvExpression::AsFloat();
}

int32_t TkvUnaryOp::AsInteger() {
  switch (FOperator) {
    case opNot:
      if (FOperandType == etInteger) return ~FOperand->AsInteger();
      if (FOperandType == etBoolean) return AsBoolean() ? 1 : 0;
      InternalError(6);
    case opPlus: return FOperand->AsInteger();
    default: return WrapNeg(FOperand->AsInteger());
  }
}

bool TkvUnaryOp::AsBoolean() {
  if (FOperator == opNot) return !FOperand->AsBoolean();
  return TkvExpression::AsBoolean();
}

// --- binary ---------------------------------------------------------------------------

TkvBinaryOp::TkvBinaryOp(TkvOperator op, TkvExpressionPtr operand1, TkvExpressionPtr operand2)
    : FOperand1(std::move(operand1)), FOperand2(std::move(operand2)), FOperator(op) {
  if (op < opMult || op > opXor)
    throw EExpression(Format("%s is not a simple binary operator", {OperatorName(op)}));
  FOperandType = CommonType(FOperand1->BuildType(), FOperand2->BuildType());
  FChainedLeft = dynamic_cast<TkvBinaryOp*>(FOperand1.get());
}

TkvBinaryOp::~TkvBinaryOp() {
  // Free the line of left operands in a loop: each node is released with its Operand1
  // already taken away, so no destructor nests inside another along the chain.
  TkvBinaryOp* node = FChainedLeft;
  TkvExpressionPtr next = std::move(FOperand1);  // owns node
  while (node) {
    TkvBinaryOp* following = node->FChainedLeft;
    TkvExpressionPtr inner = std::move(node->FOperand1);
    node->FChainedLeft = nullptr;
    next = std::move(inner);  // frees node, which holds no Operand1 any more
    node = following;
  }
}

AnsiString TkvBinaryOp::AsString() {
  AnsiString text;
  TkvBinaryChain::Read(*this, TkvBinaryChain::Reading::kString, &text);
  return text;
}
double TkvBinaryOp::AsFloat() { return TkvBinaryChain::Read(*this, TkvBinaryChain::Reading::kFloat, nullptr).f; }
int32_t TkvBinaryOp::AsInteger() { return TkvBinaryChain::Read(*this, TkvBinaryChain::Reading::kInteger, nullptr).i; }
bool TkvBinaryOp::AsBoolean() { return TkvBinaryChain::Read(*this, TkvBinaryChain::Reading::kBoolean, nullptr).b; }

// --- relational -----------------------------------------------------------------------

TkvRelationalOp::TkvRelationalOp(TkvOperator op, TkvExpressionPtr operand1, TkvExpressionPtr operand2)
    : FOperand1(std::move(operand1)), FOperand2(std::move(operand2)), FOperator(op) {
  if (!IsRelational(op))
    throw EExpression(Format("%s is not relational operator", {OperatorName(op)}));
}

bool TkvRelationalOp::AsBoolean() {
  switch (CommonType(FOperand1->ExprType(), FOperand2->ExprType())) {
    case etString: {
      const AnsiString a = FOperand1->AsString();
      const AnsiString b = FOperand2->AsString();
      const int c = CompareStr(a, b);
      return Relate(FOperator, c, 0);
    }
    case etFloat: {
      const double a = FOperand1->AsFloat();
      return Relate(FOperator, a, FOperand2->AsFloat());
    }
    case etInteger: {
      const int32_t a = FOperand1->AsInteger();
      return Relate(FOperator, a, FOperand2->AsInteger());
    }
    default:
      if (FOperator != opEq && FOperator != opNEQ)
        throw EExpression(Format("cannot apply %s to boolean operands", {OperatorName(FOperator)}));
      {
        const bool a = FOperand1->AsBoolean();
        return Relate(FOperator, a, FOperand2->AsBoolean());
      }
  }
}

// --- string functions -----------------------------------------------------------------

void TkvStringExpression::CheckParameters() {
  static const int kCounts[] = {1, 1, 3, 2, 1};
  bool ok = ParameterCount() == kCounts[FFunctionId];
  if (ok && FFunctionId == 2) {
    for (int i = 1; i <= 2; ++i) {
      const TkvExprType t = Param(i)->ExprType();
      ok = ok && (t == etInteger || t == etBoolean);
    }
  }
  if (!ok) throw EExpression(Format("Invalid parameter to %s", {kStringFunctions[FFunctionId]}));
}

AnsiString TkvStringExpression::AsString() {
  CheckParameters();
  switch (FFunctionId) {
    // Double-byte aware: a GBK character's trail byte is never case-mapped.
    case 0: return AnsiUpperCase(Param(0)->AsString());
    case 1: return AnsiLowerCase(Param(0)->AsString());
    case 2: {
      const AnsiString s = Param(0)->AsString();
      const int32_t start = Param(1)->AsInteger();
      const int32_t count = Param(2)->AsInteger();
      return Copy(s, start, count);
    }
    default: return IntToStr(AsInteger());
  }
}

int32_t TkvStringExpression::AsInteger() {
  CheckParameters();
  if (FFunctionId == 3) {
    const AnsiString sub = Param(0)->AsString();
    return Pos(sub, Param(1)->AsString());
  }
  if (FFunctionId == 4) return static_cast<int32_t>(Param(0)->AsString().size());
  return TkvExpression::AsInteger();
}

// --- math functions -------------------------------------------------------------------

void TkvMathExpression::CheckParameters() {
  if (FFunctionId == 9) return;  // PI ignores its arguments
  const int wanted = FFunctionId == 13 ? 2 : 1;
  bool ok = ParameterCount() == wanted;
  for (int i = 0; ok && i < wanted; ++i) ok = Param(i)->ExprType() != etString;
  if (!ok) throw EExpression(Format("Invalid parameter to %s", {kMathFunctions[FFunctionId]}));
}

double TkvMathExpression::Compute() {
  if (FFunctionId == 9) return 3.14159265358979323846;
  const double x = Param(0)->AsFloat();
  switch (FFunctionId) {
    case 2: return std::fabs(x);
    case 3: return std::atan(x);
    case 4: return CheckFloat(std::cos(x));
    case 5: return CheckFloat(std::exp(x));
    case 6: return x - std::trunc(x);
    case 7: return std::trunc(x);
    case 8:
      if (x == 0) throw EZeroDivide(kZeroDivideText);
      return CheckFloat(std::log(x));
    case 10: return CheckFloat(std::sin(x));
    case 11: return CheckFloat(x * x);
    case 12: return CheckFloat(std::sqrt(x));
    case 13: return Power(x, Param(1)->AsFloat());
    default: return x;  // TRUNC and ROUND round in AsInteger
  }
}

double TkvMathExpression::AsFloat() {
  CheckParameters();
  if (FFunctionId <= 1) return AsInteger();
  return Compute();
}

int32_t TkvMathExpression::AsInteger() {
  CheckParameters();
  switch (FFunctionId) {
    case 0: return TruncToInt(Param(0)->AsFloat());
    case 1: return RoundToInt(Param(0)->AsFloat());
    case 2: {
      const int32_t v = Param(0)->AsInteger();
      return v < 0 ? WrapNeg(v) : v;
    }
    default: return TkvExpression::AsInteger();
  }
}

// --- casts and IF -------------------------------------------------------------------

TkvExpression* TkvTypeCast::Arg() {
  if (ParameterCount() < 1)
    throw EExpression(Format("Invalid parameter to %s", {kTypeCasts[FFunctionId]}));
  return Param(0);
}

void TkvConditional::Check(bool building) {
  if (ParameterCount() != 3) throw EExpression("Invalid parameters to If");
  const TkvExprType t = building ? Param(0)->BuildType() : Param(0)->ExprType();
  if (t != etBoolean) throw EExpression("Invalid parameters to If");
}

TkvExpression* TkvConditional::Chosen() {
  Check(false);
  return Param(0)->AsBoolean() ? Param(1) : Param(2);
}

TkvExprType TkvConditional::BuildType() {
  Check(true);
  return CommonType(Param(1)->BuildType(), Param(2)->BuildType());
}

// --- factory --------------------------------------------------------------------------

TkvExpressionPtr CreateFunction(const AnsiString& name, TkvParameterListPtr& params) {
  if (name == "IF") return std::make_unique<TkvConditional>(std::move(params));
  for (uint8_t i = 0; i < 4; ++i)
    if (name == kTypeCasts[i]) return std::make_unique<TkvTypeCast>(std::move(params), i);
  for (uint8_t i = 0; i < 14; ++i)
    if (name == kMathFunctions[i]) return std::make_unique<TkvMathExpression>(std::move(params), i);
  for (uint8_t i = 0; i < 5; ++i)
    if (name == kStringFunctions[i]) return std::make_unique<TkvStringExpression>(std::move(params), i);
  return nullptr;
}
