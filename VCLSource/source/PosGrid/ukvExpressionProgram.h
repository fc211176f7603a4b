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
// can be compiled, else the root step, which owns the tree and the other steps. Null
// stays null. Never raises for a tree the parser built.
TkvExpressionPtr CompileExpression(TkvExpressionPtr tree);

// A compiled node. Steps are formula nodes themselves, so a step reads its operands,
// steps or tree nodes alike, with one call, and the root is read without a wrapper in
// between. The root step owns the tree (its type and its leaves) and the other steps
// and answers the tree's type; a step inside is only ever read.
class TkvCompiledExpression : public TkvExpression {
 public:
  TkvExprType ExprType() override { return FTree->ExprType(); }
  TkvExprType BuildType() override { return FTree->BuildType(); }
  TkvExpression& Tree() const { return *FTree; }

 private:
  friend TkvExpressionPtr CompileExpression(TkvExpressionPtr tree);
  TkvExpressionPtr FTree;  // the root's; null in a step inside
  std::vector<std::unique_ptr<TkvCompiledExpression>> FSteps;  // the root's: the steps inside
};

namespace kvformula {

using Step = TkvCompiledExpression;

// One operand of a compiled node: a compiled step or a tree node, read as it is.
struct Operand {
  TkvExpression* Node = nullptr;
  AnsiString S() const { return Node->AsString(); }
  double F() const { return Node->AsFloat(); }
  int32_t I() const { return Node->AsInteger(); }
  bool B() const { return Node->AsBoolean(); }
};

}  // namespace kvformula
