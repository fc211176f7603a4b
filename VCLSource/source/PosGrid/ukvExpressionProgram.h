// The compiled form of a formula: the tree's operators with their types settled once.
//
// A formula tree decides at every reading what each node computes: the node's type,
// the common type of a comparison's operands, the checks of IF's arguments, the steps
// of a chain. Most of these depend only on the types the nodes were built with, so the
// compiled form decides them once and then only computes: a comparison of two numbers
// reads two doubles, IF reads its condition and one branch, a binary operator applies
// its step.
//
// Invariants:
//  - every reading of the compiled formula gives exactly the tree's value, or raises
//    exactly the tree's error (class and text), reading the leaves in the tree's order;
//  - a node is compiled only where its decisions cannot change between readings. A
//    node whose type depends on data (IF, whose type is its chosen branch's), a node
//    whose decision would raise, a chain longer than a few operators (read in a loop by
//    the tree, so that no chain costs stack) and the built-in string and math functions
//    stay tree nodes, read through their own accessors;
//  - leaves supplied by the identifier callback keep the type they were built with
//    (the tree relies on that too: operators record their operands' types when built).
#pragma once
#include <memory>
#include <vector>
#include "VCLSource/source/PosGrid/ukvExpressions.h"

// Takes a parsed tree and gives the node to read: the tree itself when nothing of it
// can be compiled, else a root that owns the tree and its compiled form. Null stays
// null. Never raises for a tree the parser built.
TkvExpressionPtr CompileExpression(TkvExpressionPtr tree);

namespace kvformula {

class Step;

// One operand of a compiled node: a compiled step, or a tree node read as it is.
struct Operand {
  Step* Compiled = nullptr;
  TkvExpression* Node = nullptr;
  // Inlined into every step: a reading costs one call, the step's or the node's.
  [[gnu::always_inline]] inline AnsiString S() const;
  [[gnu::always_inline]] inline double F() const;
  [[gnu::always_inline]] inline int32_t I() const;
  [[gnu::always_inline]] inline bool B() const;
};

// A compiled node: its four readings.
class Step {
 public:
  Step() = default;
  Step(const Step&) = delete;
  Step& operator=(const Step&) = delete;
  virtual ~Step() = default;
  virtual AnsiString S() = 0;
  virtual double F() = 0;
  virtual int32_t I() = 0;
  virtual bool B() = 0;
};

AnsiString Operand::S() const { return Compiled ? Compiled->S() : Node->AsString(); }
double Operand::F() const { return Compiled ? Compiled->F() : Node->AsFloat(); }
int32_t Operand::I() const { return Compiled ? Compiled->I() : Node->AsInteger(); }
bool Operand::B() const { return Compiled ? Compiled->B() : Node->AsBoolean(); }

}  // namespace kvformula

// The root of a compiled formula: owns the tree (its type and its leaves) and the steps.
class TkvCompiledExpression : public TkvExpression {
 public:
  TkvCompiledExpression(TkvExpressionPtr tree, std::vector<std::unique_ptr<kvformula::Step>> steps,
                        kvformula::Operand root)
      : FTree(std::move(tree)), FSteps(std::move(steps)), FRoot(root) {}
  AnsiString AsString() override { return FRoot.S(); }
  double AsFloat() override { return FRoot.F(); }
  int32_t AsInteger() override { return FRoot.I(); }
  bool AsBoolean() override { return FRoot.B(); }
  TkvExprType ExprType() override { return FTree->ExprType(); }
  TkvExprType BuildType() override { return FTree->BuildType(); }
  TkvExpression& Tree() const { return *FTree; }

 private:
  TkvExpressionPtr FTree;
  std::vector<std::unique_ptr<kvformula::Step>> FSteps;
  kvformula::Operand FRoot;
};
