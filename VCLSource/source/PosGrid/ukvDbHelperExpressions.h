// Named-field formulas of the data controller, evaluated for one record at a time (the
// grid uses one as a row-highlight condition). Their leaves read a dataset field of the
// record being evaluated through the controller.
//
// Decisions:
//  - a compile that fails leaves no tree behind (HasCompiled is false), and IsTrueAt
//    without a tree is false;
//  - the field items a compile makes hold no values until the controller reads its
//    records: a compile of its own (Compile, RecompileAll) has them read at once, so
//    IsTrueAt right after it reads the record's values; the compile that comes with the
//    controller's field binding is followed by the load anyway;
//  - the controller's field binding never fails for a formula: an item naming a field
//    the dataset lacks is left without a tree and the records are loaded all the same;
//    a closed dataset leaves every item without a tree (its fields may be gone);
//  - a field takes no arguments: a field name written with them (QTY(1)) is an unknown
//    identifier;
//  - a Null field value reads as 0, '' or False, never as a conversion error;
//  - a field node holds the controller's field item by its own reference, so a removed
//    item cannot be reached from an old tree: the tree is dropped with it.
#pragma once
#include <memory>
#include <vector>
#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "VCLSource/source/PosGrid/ukvExpressions.h"

class TkvDbExpression;

class TkvDbFieldExpression : public TkvExpression {
 public:
  TkvDbFieldExpression(TkvCustomDbDataController* controller, TkvDbExpression* owner, TField* field);
  ~TkvDbFieldExpression() override;
  AnsiString AsString() override;
  double AsFloat() override;
  int32_t AsInteger() override;
  bool AsBoolean() override;
  TkvExprType ExprType() override;
  TkvDbField* FieldItem() const { return FFieldItem; }

 private:
  Variant Read();
  TkvCustomDbDataController* FController;
  TkvDbField* FFieldItem;  // an internal item of the controller, removed with the node
  TkvDbExpression* FOwner;
  TField* FField;
};

class TkvDbExpression {
 public:
  explicit TkvDbExpression(TkvCustomDbDataController* controller) : FController(controller) {}
  ~TkvDbExpression();
  // Compiles Text (raises the formula's error, leaving no tree); with the dataset open,
  // the controller then reads its records again so that the formula's fields hold
  // values (once a modified record being edited is posted, when there is one: the
  // controller never drops a pending edit to reload).
  void Compile();
  bool IsTrueAt(int recordIndex);
  bool HasCompiled() const { return FCompiled != nullptr; }
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& v) { FText = v; }
  int RecordIndex() const { return FRecordIndex; }
  // Drops the tree when it reads the field item.
  void FieldRemoved(TkvDbField* field);

 private:
  friend class TkvDbExpressions;
  // The compile alone: the new field items hold no values yet.
  void CompileTree();
  // The tree reads fields whose values the controller has still to read.
  bool NeedsValues() const { return !FFieldCache.empty(); }
  void Drop();
  TkvCustomDbDataController* FController;
  int FRecordIndex = 0;
  TkvExpressionPtr FCompiled;
  AnsiString FText;
  std::vector<std::pair<AnsiString, TkvDbFieldExpression*>> FFieldCache;
};

class TkvDbExpressions {
 public:
  explicit TkvDbExpressions(TkvCustomDbDataController* controller) : FController(controller) {}
  TkvDbExpression* Add();
  int Count() const { return static_cast<int>(FItems.size()); }
  TkvDbExpression* Items(int index) const { return FItems[static_cast<size_t>(index)].get(); }
  void Clear() { FItems.clear(); }
  // The item's index; -1 when it is not (or no longer) one of this list.
  int IndexOf(const TkvDbExpression* item) const;
  // Compiles every item in index order. Items that fail are left without a tree and
  // the others are compiled all the same; the controller then reads its records again
  // (once, as Compile does); the failures raise at the end as one exception (the first
  // one's class) whose message lists each failure's text, one per line.
  void RecompileAll();
  // The controller's field binding: with the dataset open every item is compiled and an
  // item that fails is left without a tree, nothing raised (the load that follows must
  // not stop for a formula); with it closed every tree is dropped. No records are read.
  void BindAll();
  void FieldRemoved(TkvDbField* field);

 private:
  TkvCustomDbDataController* FController;
  std::vector<std::unique_ptr<TkvDbExpression>> FItems;
};
