// Compiling a formula tree: the steps of unary, binary and relational operators, casts
// and IF, each reading exactly as its tree node reads.
#include "VCLSource/source/PosGrid/ukvExpressionProgram.h"

#include "VCLSource/source/PosGrid/ukvExpressionsArith.h"
#include "VCLSource/source/PosGrid/ukvExpressionsChain.h"

using kvformula::Operand;
using kvformula::Step;
using Reading = TkvBinaryChain::Reading;
using Compute = TkvBinaryChain::Compute;

namespace {

// A chain of more operators than this stays a tree node (read in a loop there).
constexpr int kMaxCompiledChain = 16;

const char* TruthText(bool b) { return b ? "TRUE" : "FALSE"; }

// Unary + - NOT of a node of type T whose operand has type OperandType.
class UnaryStep final : public Step {
 public:
  UnaryStep(TkvOperator op, TkvExprType type, TkvExprType operandType, Operand operand)
      : FOperator(op), FType(type), FOperandType(operandType), FOperand(operand) {}
  AnsiString AsString() override {
    switch (FType) {
      case etFloat: return kvexpr::FloatText(AsFloat());
      case etInteger: return IntToStr(AsInteger());
      case etBoolean: return TruthText(AsBoolean());
      default: kvexpr::CannotRead(FType, "String");
    }
  }
  double AsFloat() override {
    if (FOperator == opPlus) return FOperand.F();
    if (FOperator == opMinus) return -FOperand.F();
    if (FType == etInteger || FType == etBoolean) return AsInteger();
    kvexpr::CannotRead(FType, "Float");
  }
  int32_t AsInteger() override {
    switch (FOperator) {
      case opNot:
        if (FOperandType == etInteger) return ~FOperand.I();
        if (FOperandType == etBoolean) return AsBoolean() ? 1 : 0;
        kvexpr::InternalError(6);
      case opPlus: return FOperand.I();
      default: return kvexpr::WrapNeg(FOperand.I());
    }
  }
  bool AsBoolean() override {
    if (FOperator == opNot) return !FOperand.B();
    kvexpr::CannotRead(FType, "boolean");
  }

 private:
  TkvOperator FOperator;
  TkvExprType FType, FOperandType;
  Operand FOperand;
};

// A binary operator: for each reading the computation the chain reader would choose,
// or none where choosing raises (that reading is left to the tree node, which raises).
class BinaryStep : public Step {
 public:
  BinaryStep(TkvBinaryOp& node, TkvOperator op, Operand left, Operand right) : FNode(node), FOperator(op), FLeft(left), FRight(right) {
    for (Reading r : {Reading::kString, Reading::kFloat, Reading::kInteger, Reading::kBoolean}) {
      try {
        FHow[Index(r)] = TkvBinaryChain::Choose(FNode, r);
        FChosen[Index(r)] = true;
      } catch (const Exception&) {
        FChosen[Index(r)] = false;
      }
    }
  }
  // The computation of a reading; false when choosing it raises.
  bool Chosen(Reading r, Compute& how) const {
    how = FHow[Index(r)];
    return FChosen[Index(r)];
  }
  AnsiString AsString() override {
    if (!FChosen[0]) return FNode.AsString();
    AnsiString text;
    Read(Reading::kString, &text);
    return text;
  }
  double AsFloat() override { return FChosen[1] ? Read(Reading::kFloat, nullptr).f : FNode.AsFloat(); }
  int32_t AsInteger() override { return FChosen[2] ? Read(Reading::kInteger, nullptr).i : FNode.AsInteger(); }
  bool AsBoolean() override { return FChosen[3] ? Read(Reading::kBoolean, nullptr).b : FNode.AsBoolean(); }

 protected:
  const Operand& Left() const { return FLeft; }
  const Operand& Right() const { return FRight; }

 private:
  using Value = TkvBinaryChain::Value;
  static size_t Index(Reading r) { return static_cast<size_t>(r); }

  Value Read(Reading asked, AnsiString* text) {
    const Compute how = FHow[Index(asked)];
    Value left{0, 0, false};
    switch (TkvBinaryChain::OperandReading(how)) {
      case Reading::kString: *text = FLeft.S(); break;
      case Reading::kFloat: left.f = FLeft.F(); break;
      case Reading::kInteger: left.i = FLeft.I(); break;
      case Reading::kBoolean: left.b = FLeft.B(); break;
    }
    switch (how) {
      case Compute::kConcat:
        *text += FRight.S();
        return left;
      case Compute::kFloat: {
        const double f = TkvBinaryChain::FloatResult(FOperator, left.f, FRight.F());
        if (asked == Reading::kString) *text = kvexpr::FloatText(f);
        return Value{f, 0, false};
      }
      case Compute::kRoundedFloat:
        return TkvBinaryChain::FromInteger(
            kvexpr::RoundToInt(TkvBinaryChain::FloatResult(FOperator, left.f, FRight.F())), asked, false, text);
      case Compute::kInteger:
        return TkvBinaryChain::FromInteger(TkvBinaryChain::IntegerResult(FOperator, left.i, FRight.I()), asked, false,
                                           text);
      case Compute::kLogic: {
        bool b = left.b;
        if (FOperator == opAnd) b = b && FRight.B();
        else if (FOperator == opOr) b = b || FRight.B();
        else b = b != FRight.B();
        if (asked == Reading::kString) {
          *text = TruthText(b);
          return Value{0, 0, b};
        }
        return TkvBinaryChain::FromInteger(b ? 1 : 0, asked, b, text);
      }
    }
    return left;
  }

  TkvBinaryOp& FNode;
  TkvOperator FOperator;
  Operand FLeft, FRight;
  Compute FHow[4] = {};
  bool FChosen[4] = {};
};

// The usual arithmetic of a formula read as a number, with its operator settled: a
// Float reading of a Float node computes in doubles, an Integer reading of an Integer
// node in wrapping 32-bit integers; other readings as any binary step.
template <TkvOperator Op>
class FloatArithStep final : public BinaryStep {
 public:
  using BinaryStep::BinaryStep;
  double AsFloat() override {
    const double a = Left().F();
    const double b = Right().F();
    switch (Op) {
      case opMult: return kvexpr::CheckFloat(a * b);
      case opDivide: return kvexpr::Divide(a, b);
      case opPlus: return kvexpr::CheckFloat(a + b);
      default: return kvexpr::CheckFloat(a - b);
    }
  }
};

template <TkvOperator Op>
class IntegerArithStep final : public BinaryStep {
 public:
  using BinaryStep::BinaryStep;
  int32_t AsInteger() override {
    const int32_t a = Left().I();
    return TkvBinaryChain::IntegerResult(Op, a, Right().I());
  }
};

// The binary step for a node, specialised where its arithmetic is settled.
std::unique_ptr<BinaryStep> MakeBinary(TkvBinaryOp& node, TkvOperator op, Operand left, Operand right) {
  auto general = std::make_unique<BinaryStep>(node, op, left, right);
  Compute how;
  if (general->Chosen(Reading::kFloat, how) && how == Compute::kFloat) {
    switch (op) {
      case opMult: return std::make_unique<FloatArithStep<opMult>>(node, op, left, right);
      case opDivide: return std::make_unique<FloatArithStep<opDivide>>(node, op, left, right);
      case opPlus: return std::make_unique<FloatArithStep<opPlus>>(node, op, left, right);
      case opMinus: return std::make_unique<FloatArithStep<opMinus>>(node, op, left, right);
      default: break;
    }
  }
  if (general->Chosen(Reading::kInteger, how) && how == Compute::kInteger) {
    switch (op) {
      case opMult: return std::make_unique<IntegerArithStep<opMult>>(node, op, left, right);
      case opPlus: return std::make_unique<IntegerArithStep<opPlus>>(node, op, left, right);
      case opMinus: return std::make_unique<IntegerArithStep<opMinus>>(node, op, left, right);
      default: break;
    }
  }
  return general;
}

// A comparison in the common type of its operands, settled when compiling.
template <TkvExprType Common, TkvOperator Op>
struct Comparison {
  Operand Left, Right;
  bool Test() const {
    switch (Common) {
      case etString: {
        const AnsiString a = Left.S();
        const AnsiString b = Right.S();
        return kvexpr::Relate(Op, CompareStr(a, b), 0);
      }
      case etFloat: {
        const double a = Left.F();
        return kvexpr::Relate(Op, a, Right.F());
      }
      case etInteger: {
        const int32_t a = Left.I();
        return kvexpr::Relate(Op, a, Right.I());
      }
      default: {
        const bool a = Left.B();
        return kvexpr::Relate(Op, a, Right.B());
      }
    }
  }
};

// A number compared with a literal number: the literal's reading is taken once.
template <TkvExprType Common, TkvOperator Op>
struct ConstantComparison {
  Operand Left;
  double Right;  // exact for an Integer literal too
  bool Test() const {
    if (Common == etFloat) return kvexpr::Relate(Op, Left.F(), Right);
    return kvexpr::Relate(Op, Left.I(), static_cast<int32_t>(Right));
  }
};

template <class Test>
class RelationalStep final : public Step {
 public:
  explicit RelationalStep(Test test) : FTest(test) {}
  AnsiString AsString() override { return TruthText(AsBoolean()); }
  double AsFloat() override { return AsBoolean() ? 1 : 0; }
  int32_t AsInteger() override { return AsBoolean() ? 1 : 0; }
  bool AsBoolean() override { return FTest.Test(); }

 private:
  Test FTest;
};

// IF whose arguments passed their checks: the condition, then one branch.
template <class Condition>
class ConditionalStep final : public Step {
 public:
  ConditionalStep(Condition condition, Operand whenTrue, Operand whenFalse)
      : FCondition(condition), FTrue(whenTrue), FFalse(whenFalse) {}
  AnsiString AsString() override { return Chosen().S(); }
  double AsFloat() override { return Chosen().F(); }
  int32_t AsInteger() override { return Chosen().I(); }
  bool AsBoolean() override { return Chosen().B(); }

 private:
  const Operand& Chosen() const { return FCondition.Test() ? FTrue : FFalse; }
  Condition FCondition;
  Operand FTrue, FFalse;
};

// Any condition: its truth value read through its operand.
struct Truth {
  Operand Value;
  bool Test() const { return Value.B(); }
};

// A literal's number in the reading a comparison of Common type asks; false when
// there is none (not a literal, or a reading that raises).
bool LiteralNumber(TkvExpression* e, TkvExprType common, double& value) {
  if (!dynamic_cast<TkvIntegerLiteral*>(e) && !dynamic_cast<TkvFloatLiteral*>(e) && !dynamic_cast<TkvBooleanLiteral*>(e))
    return false;
  try {
    value = common == etFloat ? e->AsFloat() : e->AsInteger();
    return true;
  } catch (const Exception&) {
    return false;
  }
}

// Makes Make::Step<Test> for the comparison's test of the settled type and operator.
template <class Make, TkvExprType Common, template <TkvExprType, TkvOperator> class Kind, class Right>
std::unique_ptr<Step> WithOperator(const Make& make, TkvOperator op, Operand left, Right right) {
  switch (op) {
    case opEq: return make(Kind<Common, opEq>{left, right});
    case opNEQ: return make(Kind<Common, opNEQ>{left, right});
    case opLT: return make(Kind<Common, opLT>{left, right});
    case opGT: return make(Kind<Common, opGT>{left, right});
    case opLTE: return make(Kind<Common, opLTE>{left, right});
    default: return make(Kind<Common, opGTE>{left, right});
  }
}

// rightNode: the tree node of the right operand (a literal is read once here).
template <class Make>
std::unique_ptr<Step> WithComparison(const Make& make, TkvExprType common, TkvOperator op, Operand left, Operand right,
                                     TkvExpression* rightNode) {
  double constant = 0;
  const bool folded = (common == etFloat || common == etInteger) && LiteralNumber(rightNode, common, constant);
  switch (common) {
    case etString: return WithOperator<Make, etString, Comparison>(make, op, left, right);
    case etFloat:
      if (folded) return WithOperator<Make, etFloat, ConstantComparison>(make, op, left, constant);
      return WithOperator<Make, etFloat, Comparison>(make, op, left, right);
    case etInteger:
      if (folded) return WithOperator<Make, etInteger, ConstantComparison>(make, op, left, constant);
      return WithOperator<Make, etInteger, Comparison>(make, op, left, right);
    default: return WithOperator<Make, etBoolean, Comparison>(make, op, left, right);
  }
}

}  // namespace

// Walks the tree once, making a step for each node it can settle.
class TkvFormulaCompiler {
 public:
  Operand Compile(TkvExpression* e) {
    if (auto* b = dynamic_cast<TkvBinaryOp*>(e)) return Binary(*b);
    if (auto* r = dynamic_cast<TkvRelationalOp*>(e)) return Relational(*r);
    if (auto* u = dynamic_cast<TkvUnaryOp*>(e)) return Unary(*u);
    if (auto* c = dynamic_cast<TkvConditional*>(e)) return Conditional(*c);
    // A cast passes every reading to its argument unchanged.
    if (auto* t = dynamic_cast<TkvTypeCast*>(e)) return t->ParameterCount() >= 1 ? Compile(t->Param(0)) : Tree(e);
    return Tree(e);
  }

  std::vector<std::unique_ptr<Step>> Steps;

 private:
  static Operand Tree(TkvExpression* e) { return Operand{e}; }

  Operand Add(std::unique_ptr<Step> step) {
    Steps.push_back(std::move(step));
    return Operand{Steps.back().get()};
  }

  // The type a node answers at every reading without reading data; false for IF
  // (its type is its chosen branch's) and for a node whose type raises (an operator
  // that does not apply, a field of no formula type): the tree raises it when read.
  static bool SettledType(TkvExpression* e, TkvExprType& t) {
    if (dynamic_cast<TkvConditional*>(e)) return false;
    try {
      t = e->ExprType();
      return true;
    } catch (const Exception&) {
      return false;
    }
  }

  Operand Binary(TkvBinaryOp& b) {
    int length = 1;
    for (const TkvBinaryOp* n = b.FChainedLeft; n; n = n->FChainedLeft)
      if (++length > kMaxCompiledChain) return Tree(&b);
    const Operand left = Compile(b.FOperand1.get());
    const Operand right = Compile(b.FOperand2.get());
    return Add(MakeBinary(b, b.FOperator, left, right));
  }

  // The common type a comparison settles on; false when it must stay a tree node
  // (an operand's type is not settled, or Booleans compared for order, which raises).
  static bool SettledComparison(TkvRelationalOp& r, TkvExprType& common) {
    TkvExprType a, b;
    if (!SettledType(r.FOperand1.get(), a) || !SettledType(r.FOperand2.get(), b)) return false;
    common = CommonType(a, b);
    return common != etBoolean || r.FOperator == opEq || r.FOperator == opNEQ;
  }

  // make(test) for the compiled test of a settled comparison.
  template <class Make>
  std::unique_ptr<Step> Comparison(TkvRelationalOp& r, TkvExprType common, const Make& make) {
    const Operand left = Compile(r.FOperand1.get());
    const Operand right = Compile(r.FOperand2.get());
    return WithComparison(make, common, r.FOperator, left, right, r.FOperand2.get());
  }

  Operand Relational(TkvRelationalOp& r) {
    TkvExprType common;
    if (!SettledComparison(r, common)) return Tree(&r);
    return Add(Comparison(r, common, [](auto test) -> std::unique_ptr<Step> {
      return std::make_unique<RelationalStep<decltype(test)>>(test);
    }));
  }

  Operand Unary(TkvUnaryOp& u) {
    TkvExprType t;
    if (!SettledType(&u, t)) return Tree(&u);
    return Add(std::make_unique<UnaryStep>(u.FOperator, t, u.FOperandType, Compile(u.FOperand.get())));
  }

  Operand Conditional(TkvConditional& c) {
    TkvExprType t;
    if (c.ParameterCount() != 3 || !SettledType(c.Param(0), t) || t != etBoolean) return Tree(&c);
    const Operand whenTrue = Compile(c.Param(1));
    const Operand whenFalse = Compile(c.Param(2));
    auto make = [&](auto test) -> std::unique_ptr<Step> {
      return std::make_unique<ConditionalStep<decltype(test)>>(test, whenTrue, whenFalse);
    };
    // A comparison as the condition is tested in place.
    TkvExprType common;
    auto* r = dynamic_cast<TkvRelationalOp*>(c.Param(0));
    if (r && SettledComparison(*r, common)) return Add(Comparison(*r, common, make));
    return Add(make(Truth{Compile(c.Param(0))}));
  }
};

TkvExpressionPtr CompileExpression(TkvExpressionPtr tree) {
  if (!tree) return tree;
  TkvFormulaCompiler compiler;
  const Operand root = compiler.Compile(tree.get());
  std::vector<std::unique_ptr<Step>>& steps = compiler.Steps;
  // The root is a step when its node was compiled: the last one made (its operands'
  // steps are made before it).
  if (steps.empty() || steps.back().get() != root.Node) return tree;
  std::unique_ptr<Step> top = std::move(steps.back());
  steps.pop_back();
  top->FTree = std::move(tree);
  top->FSteps = std::move(steps);
  return top;
}
