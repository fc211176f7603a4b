// Formula trees of the grid library and the parser that builds them.
//
// A formula ("QTY * PRICE", "IF(QTY > 0, 'yes', 'no')") is parsed once by
// CreateExpression into a tree of TkvExpression nodes and then evaluated as often as
// needed by asking the root for a value of the wanted kind (AsString, AsFloat,
// AsInteger, AsBoolean). Values are not cached: every request walks the tree again.
//
// Invariants:
//  - a node owns its children (std::unique_ptr); the caller owns the root;
//  - text is GBK bytes, lengths and positions count bytes;
//  - Integer arithmetic wraps at 32 bits; division by zero, INT_MIN DIV -1, a float
//    result that is not finite and a float too large for an integer raise the
//    platform's arithmetic errors instead of killing the process or yielding inf/NaN;
//  - every failure of the formula itself is an EExpression with the library's
//    English text; a failed evaluation leaves the tree unchanged and usable.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>
#include "rtl/AnsiString.h"
#include "rtl/Exceptions.h"

POS_EXCEPTION(EExpression, Exception);

// Result types, ordered: the common type of two operands is the smaller one, so a
// String operand turns a sum or comparison into a text operation and an Integer
// meeting a Float becomes Float.
enum TkvExprType : uint8_t { etString = 0, etFloat = 1, etInteger = 2, etBoolean = 3 };

enum TkvOperator : uint8_t {
  opNot, opMult, opDivide, opDiv, opMod, opAnd, opShl, opShr, opPlus, opMinus,
  opOr, opXor, opEq, opNEQ, opLT, opGT, opLTE, opGTE
};

// "String", "Float", "Integer", "Boolean".
const char* ExprTypeName(TkvExprType t);
// "opNot" ... "opGTE".
const char* OperatorName(TkvOperator op);
inline TkvExprType CommonType(TkvExprType a, TkvExprType b) { return a < b ? a : b; }
// The type an operator gives for an operand type; EExpression
// "Operator %s incompatible with %s" when the operator does not apply.
TkvExprType ResultType(TkvOperator op, TkvExprType operandType);

class TkvExpression {
 public:
  TkvExpression() = default;
  TkvExpression(const TkvExpression&) = delete;
  TkvExpression& operator=(const TkvExpression&) = delete;
  virtual ~TkvExpression() = default;

  // Base conversions by ExprType (see the .cpp); each raises
  // "Cannot read %s as ..." where the type has no such reading.
  virtual AnsiString AsString();
  virtual double AsFloat();
  virtual int32_t AsInteger();
  virtual bool AsBoolean();
  virtual TkvExprType ExprType() = 0;
  // The type an enclosing node records while the tree is being built. It equals
  // ExprType for every node except IF, whose type otherwise depends on the value of
  // its condition: building a tree must not evaluate data (a column formula is
  // compiled before any record is loaded), so IF answers the common type of its two
  // branches here.
  virtual TkvExprType BuildType() { return ExprType(); }
};

using TkvExpressionPtr = std::unique_ptr<TkvExpression>;

// The arguments of a call; owns them.
class TkvParameterList {
 public:
  void Add(TkvExpressionPtr e) { FItems.push_back(std::move(e)); }
  int Count() const { return static_cast<int>(FItems.size()); }
  TkvExpression* Items(int i) const { return FItems[static_cast<size_t>(i)].get(); }

 private:
  std::vector<TkvExpressionPtr> FItems;
};
using TkvParameterListPtr = std::unique_ptr<TkvParameterList>;

class TkvStringLiteral : public TkvExpression {
 public:
  explicit TkvStringLiteral(AnsiString v) : FValue(std::move(v)) {}
  AnsiString AsString() override { return FValue; }
  TkvExprType ExprType() override { return etString; }
 private:
  AnsiString FValue;
};

class TkvFloatLiteral : public TkvExpression {
 public:
  explicit TkvFloatLiteral(double v) : FValue(v) {}
  AnsiString AsString() override;
  double AsFloat() override { return FValue; }
  TkvExprType ExprType() override { return etFloat; }
 private:
  double FValue;
};

class TkvIntegerLiteral : public TkvExpression {
 public:
  explicit TkvIntegerLiteral(int32_t v) : FValue(v) {}
  AnsiString AsString() override;
  double AsFloat() override { return FValue; }
  int32_t AsInteger() override { return FValue; }
  TkvExprType ExprType() override { return etInteger; }
 private:
  int32_t FValue;
};

class TkvBooleanLiteral : public TkvExpression {
 public:
  explicit TkvBooleanLiteral(bool v) : FValue(v) {}
  AnsiString AsString() override { return FValue ? "TRUE" : "FALSE"; }
  double AsFloat() override { return FValue ? 1 : 0; }
  int32_t AsInteger() override { return FValue ? 1 : 0; }
  bool AsBoolean() override { return FValue; }
  TkvExprType ExprType() override { return etBoolean; }
 private:
  bool FValue;
};

// NOT, unary + and unary -. Raises "%s is not simple unary operator" for others.
class TkvUnaryOp : public TkvExpression {
 public:
  TkvUnaryOp(TkvOperator op, TkvExpressionPtr operand);
  double AsFloat() override;
  int32_t AsInteger() override;
  bool AsBoolean() override;
  TkvExprType ExprType() override { return ResultType(FOperator, FOperandType); }
 private:
  friend class TkvFormulaCompiler;
  TkvExpressionPtr FOperand;
  TkvExprType FOperandType;
  TkvOperator FOperator;
};

// The arithmetic, logical and shift operators (opMult..opXor). Operand1 is always
// evaluated before Operand2; AND and OR evaluate Operand2 only when needed.
// A chain of operators of one level (1+2+...+n) is a line of nodes, each the Operand1 of
// the next. Reading a node walks that line in a loop and freeing it does too, so the
// stack depth of a tree is bounded by its nesting (brackets, calls, prefixes), never by
// the length of a chain.
class TkvBinaryOp : public TkvExpression {
 public:
  TkvBinaryOp(TkvOperator op, TkvExpressionPtr operand1, TkvExpressionPtr operand2);
  ~TkvBinaryOp() override;
  AnsiString AsString() override;
  double AsFloat() override;
  int32_t AsInteger() override;
  bool AsBoolean() override;
  TkvExprType ExprType() override { return ResultType(FOperator, FOperandType); }
 private:
  friend class TkvBinaryChain;
  friend class TkvFormulaCompiler;
  TkvExpressionPtr FOperand1, FOperand2;
  TkvBinaryOp* FChainedLeft = nullptr;  // Operand1 when it is a binary node too
  TkvOperator FOperator;
  TkvExprType FOperandType;
};

// = <> < > <= >=, compared in the common type of the operands' current types.
class TkvRelationalOp : public TkvExpression {
 public:
  TkvRelationalOp(TkvOperator op, TkvExpressionPtr operand1, TkvExpressionPtr operand2);
  AnsiString AsString() override { return AsBoolean() ? "TRUE" : "FALSE"; }
  double AsFloat() override { return AsBoolean() ? 1 : 0; }
  int32_t AsInteger() override { return AsBoolean() ? 1 : 0; }
  bool AsBoolean() override;
  TkvExprType ExprType() override { return etBoolean; }
 private:
  friend class TkvFormulaCompiler;
  TkvExpressionPtr FOperand1, FOperand2;
  TkvOperator FOperator;
};

// A call: owns its argument list, which is absent for a name written without
// parentheses.
class TkvFunction : public TkvExpression {
 public:
  explicit TkvFunction(TkvParameterListPtr params) : FParameters(std::move(params)) {}
  TkvExpression* Param(int index) const { return FParameters->Items(index); }
  int ParameterCount() const { return FParameters ? FParameters->Count() : 0; }
 private:
  TkvParameterListPtr FParameters;
};

// UPPER LOWER COPY POS LENGTH (FunctionId in this order).
class TkvStringExpression : public TkvFunction {
 public:
  TkvStringExpression(TkvParameterListPtr params, uint8_t functionId)
      : TkvFunction(std::move(params)), FFunctionId(functionId) {}
  AnsiString AsString() override;
  int32_t AsInteger() override;
  TkvExprType ExprType() override { return FFunctionId <= 2 ? etString : etInteger; }
 private:
  void CheckParameters();
  uint8_t FFunctionId;
};

// TRUNC ROUND ABS ARCTAN COS EXP FRAC INT LN PI SIN SQR SQRT POWER.
class TkvMathExpression : public TkvFunction {
 public:
  TkvMathExpression(TkvParameterListPtr params, uint8_t functionId)
      : TkvFunction(std::move(params)), FFunctionId(functionId) {}
  double AsFloat() override;
  int32_t AsInteger() override;
  TkvExprType ExprType() override { return FFunctionId <= 1 ? etInteger : etFloat; }
 private:
  void CheckParameters();
  double Compute();
  uint8_t FFunctionId;
};

// STRING FLOAT INTEGER BOOLEAN: relabels the type of its first argument and passes
// every request on unchanged.
class TkvTypeCast : public TkvFunction {
 public:
  TkvTypeCast(TkvParameterListPtr params, uint8_t functionId)
      : TkvFunction(std::move(params)), FFunctionId(functionId) {}
  AnsiString AsString() override { return Arg()->AsString(); }
  double AsFloat() override { return Arg()->AsFloat(); }
  int32_t AsInteger() override { return Arg()->AsInteger(); }
  bool AsBoolean() override { return Arg()->AsBoolean(); }
  TkvExprType ExprType() override { return static_cast<TkvExprType>(FFunctionId); }
 private:
  TkvExpression* Arg();
  uint8_t FFunctionId;
};

// IF(condition, then, else): every request checks the arguments, evaluates the
// condition and passes the request to the chosen branch.
class TkvConditional : public TkvFunction {
 public:
  explicit TkvConditional(TkvParameterListPtr params) : TkvFunction(std::move(params)) {}
  AnsiString AsString() override { return Chosen()->AsString(); }
  double AsFloat() override { return Chosen()->AsFloat(); }
  int32_t AsInteger() override { return Chosen()->AsInteger(); }
  bool AsBoolean() override { return Chosen()->AsBoolean(); }
  TkvExprType ExprType() override { return Chosen()->ExprType(); }
  TkvExprType BuildType() override;
 private:
  void Check(bool building);
  TkvExpression* Chosen();
};

// The built-in function factory: Name in upper case; nullptr for an unknown name
// (params is then left with the caller). Takes ownership of params otherwise.
TkvExpressionPtr CreateFunction(const AnsiString& name, TkvParameterListPtr& params);

// Supplies nodes for names that are not built-in functions (fields, columns). Gets
// the identifier in upper case and the argument list (null when no parentheses
// followed); a callback that returns a node moves the list into it when it uses it.
using TkvIdentifierFunction =
    std::function<TkvExpressionPtr(const AnsiString& identifier, TkvParameterListPtr& params)>;

// Parses Text into a tree and compiles it (CompileExpression). An empty text or blanks
// only give nullptr. Syntax errors raise EExpression; a failure leaves nothing behind.
TkvExpressionPtr CreateExpression(std::string_view text, const TkvIdentifierFunction& identifierFunction = {});
// Parses Text into the tree alone: every reading walks the nodes (the interpreted form).
TkvExpressionPtr CreateExpressionTree(std::string_view text, const TkvIdentifierFunction& identifierFunction = {});

// The word scanner shared with the rule-definition parser. Reads the word at pos
// (digits and bytes of 65 or above; a GBK character is taken whole), upper-cases its
// ASCII letters and classifies it: 0 identifier, 1 operator word (op set), 2 TRUE or
// FALSE (boolValue set). Leaves pos on the first byte after the word; an empty word
// (no word byte at pos) is returned as an identifier "".
int ScanWord(std::string_view text, size_t& pos, AnsiString& word, TkvOperator& op, bool& boolValue);

// Blanks are bytes 1..32.
inline bool IsExprBlank(unsigned char c) { return c >= 1 && c <= 32; }

// The limit of the parser: nesting of brackets, calls and prefixes; beyond it
// "Expression too complex". A chain of operators (1+1+...+1) may be of any length.
constexpr int kMaxExpressionNesting = 200;
