// How a chain of binary formula nodes is read: shared by the nodes themselves and by
// the compiled form of a formula, so both take exactly the same decisions.
#pragma once
#include <iterator>
#include <vector>
#include "VCLSource/source/PosGrid/ukvExpressions.h"
#include "VCLSource/source/PosGrid/ukvExpressionsArith.h"

namespace kvexpr {
// EExpression "Internal parser error. Code %d".
[[noreturn]] void InternalError(int code);
// EExpression "Cannot read %s as <what>".
[[noreturn]] void CannotRead(TkvExprType t, const char* what);

// A relational operator applied to two values of one type.
template <typename T>
bool Relate(TkvOperator op, const T& a, const T& b) {
  switch (op) {
    case opEq: return a == b;
    case opNEQ: return !(a == b);
    case opLT: return a < b;
    case opGT: return b < a;
    case opLTE: return !(b < a);
    default: return !(a < b);  // opGTE
  }
}
}  // namespace kvexpr

// Reads a chain of binary nodes (each the Operand1 of the next) without recursion along
// it. A node answers a reading (String, Float, Integer, Boolean) by one of five
// computations, chosen from the reading and the node's type exactly as the node's own
// accessors choose (the base conversions included), and that computation fixes the
// reading it asks of its Operand1. So the readings are worked out from the top of the
// chain down, with every check that raises before an operand is read; then the values
// are computed from the bottom up, each node reading its Operand1's value first and its
// Operand2 after, as the nested calls would.
//
// Texts: only a String reading produces one, and below a step that concatenates every
// step is read as String too, so one text is enough for the whole chain.
class TkvBinaryChain {
 public:
  enum class Reading : uint8_t { kString, kFloat, kInteger, kBoolean };
  struct Value {  // the number or truth value of a step; its text goes to `text`
    double f;
    int32_t i;
    bool b;
  };

  // `text` receives the value of a String reading; it may be null for other readings.
  static Value Read(TkvBinaryOp& top, Reading wanted, AnsiString* text) {
    if (!top.FChainedLeft) {  // a single operator, the usual case
      const Step step{&top, wanted, Choose(top, wanted)};
      return Apply(step, ReadLeaf(*top.FOperand1, OperandReading(step.How), text), text);
    }
    size_t length = 1;
    for (const TkvBinaryOp* n = top.FChainedLeft; n; n = n->FChainedLeft) ++length;
    // The usual formula has short chains: their steps stay on the stack.
    Step local[16];
    std::vector<Step> spilled;
    Step* steps = local;
    if (length > std::size(local)) {
      spilled.resize(length);
      steps = spilled.data();
    }
    TkvBinaryOp* node = &top;
    Reading reading = wanted;
    for (size_t k = 0; k < length; ++k, node = node->FChainedLeft) {
      const Compute compute = Choose(*node, reading);
      steps[k] = {node, reading, compute};
      reading = OperandReading(compute);
    }
    Value v = ReadLeaf(*steps[length - 1].Node->FOperand1, reading, text);
    for (size_t k = length; k-- > 0;) v = Apply(steps[k], v, text);
    return v;
  }

 // --- the single steps, also used by the compiled form ---------------------------------
  enum class Compute : uint8_t { kConcat, kFloat, kRoundedFloat, kInteger, kLogic };
  struct Step {  // no initializers: a step is written before it is read
    TkvBinaryOp* Node;
    Reading Asked;
    Compute How;
  };

  static Reading ReadingOf(TkvExprType t) {
    switch (t) {
      case etFloat: return Reading::kFloat;
      case etInteger: return Reading::kInteger;
      case etBoolean: return Reading::kBoolean;
      default: return Reading::kString;
    }
  }

  // How the node computes `reading`; raises what the node's accessor raises before it
  // reads an operand.
  static Compute Choose(TkvBinaryOp& node, Reading reading) {
    const TkvOperator op = node.FOperator;
    if (reading == Reading::kBoolean) return Logic(op);  // asks no type
    const TkvExprType t = node.ExprType();
    for (;;) {
      switch (reading) {
        case Reading::kString:
          if (t == etString) {
            if (op != opPlus) kvexpr::InternalError(10);
            return Compute::kConcat;
          }
          reading = ReadingOf(t);  // the base conversion reads the node's own type
          break;
        case Reading::kFloat:
          if (t == etFloat) return Compute::kFloat;
          if (t == etString) kvexpr::CannotRead(t, "Float");
          reading = ReadingOf(t);
          break;
        case Reading::kInteger:
          if (t == etInteger) return Compute::kInteger;
          if (t == etFloat) {
            if (op != opMult && op != opDivide && op != opPlus && op != opMinus) kvexpr::InternalError(12);
            return Compute::kRoundedFloat;
          }
          if (t == etString) kvexpr::CannotRead(t, "integer");
          reading = Reading::kBoolean;
          break;
        case Reading::kBoolean:
          return Logic(op);
      }
    }
  }

  static Compute Logic(TkvOperator op) {
    if (op == opAnd || op == opOr || op == opXor) return Compute::kLogic;
    kvexpr::InternalError(13);
  }

  static Reading OperandReading(Compute how) {
    switch (how) {
      case Compute::kConcat: return Reading::kString;
      case Compute::kInteger: return Reading::kInteger;
      case Compute::kLogic: return Reading::kBoolean;
      default: return Reading::kFloat;
    }
  }

  static Value ReadLeaf(TkvExpression& e, Reading reading, AnsiString* text) {
    Value v{0, 0, false};
    switch (reading) {
      case Reading::kString: *text = e.AsString(); break;
      case Reading::kFloat: v.f = e.AsFloat(); break;
      case Reading::kInteger: v.i = e.AsInteger(); break;
      case Reading::kBoolean: v.b = e.AsBoolean(); break;
    }
    return v;
  }

  static double FloatResult(TkvOperator op, double a, double b) {
    switch (op) {
      case opMult: return kvexpr::CheckFloat(a * b);
      case opDivide: return kvexpr::Divide(a, b);
      case opPlus: return kvexpr::CheckFloat(a + b);
      case opMinus: return kvexpr::CheckFloat(a - b);
      default: kvexpr::InternalError(11);
    }
  }

  static int32_t IntegerResult(TkvOperator op, int32_t a, int32_t b) {
    switch (op) {
      case opMult: return kvexpr::WrapMul(a, b);
      case opDiv: return kvexpr::IntDiv(a, b);
      case opMod: return kvexpr::IntMod(a, b);
      case opAnd: return a & b;
      case opOr: return a | b;
      case opXor: return a ^ b;
      case opShl: return static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31));
      case opShr: return static_cast<int32_t>(static_cast<uint32_t>(a) >> (b & 31));
      case opPlus: return kvexpr::WrapAdd(a, b);
      case opMinus: return kvexpr::WrapSub(a, b);
      default: kvexpr::InternalError(12);
    }
  }

  // The step's value from its Operand1's value `left`, in the reading asked of it.
  static Value Apply(const Step& step, Value left, AnsiString* text) {
    TkvExpression& right = *step.Node->FOperand2;
    const TkvOperator op = step.Node->FOperator;
    switch (step.How) {
      case Compute::kConcat:
        *text += right.AsString();
        return left;
      case Compute::kFloat: {
        const double f = FloatResult(op, left.f, right.AsFloat());
        if (step.Asked == Reading::kString) *text = kvexpr::FloatText(f);
        return Value{f, 0, false};
      }
      case Compute::kRoundedFloat:
        return FromInteger(kvexpr::RoundToInt(FloatResult(op, left.f, right.AsFloat())), step.Asked, false, text);
      case Compute::kInteger:
        return FromInteger(IntegerResult(op, left.i, right.AsInteger()), step.Asked, false, text);
      case Compute::kLogic: {
        bool b = left.b;
        if (op == opAnd) b = b && right.AsBoolean();
        else if (op == opOr) b = b || right.AsBoolean();
        else b = b != right.AsBoolean();
        if (step.Asked == Reading::kString) {
          *text = b ? "TRUE" : "FALSE";
          return Value{0, 0, b};
        }
        return FromInteger(b ? 1 : 0, step.Asked, b, text);
      }
    }
    return left;
  }

  static Value FromInteger(int32_t i, Reading asked, bool b, AnsiString* text) {
    if (asked == Reading::kString) *text = IntToStr(i);
    return Value{double(i), i, b};
  }
};

