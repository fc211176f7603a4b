// Calculation rules: formulas that write a numeric dataset field from other fields of
// the same record ("AMOUNT = QTY * PRICE", "PRICE: AMOUNT = QTY * PRICE").
//
// TkvExpressionCalculator holds the rules of one data controller: change rules
// (Rules), re-evaluated when the user leaves a changed field that a rule uses, and
// record rules (RecordRules), evaluated for every record while the controller loads.
// Each line of the two lists is a rule definition; its object is the line's
// TkvExpressionParameters, which the calculator owns. A change rule is made for every
// line added to Rules however it comes (Add, AddObject, Insert, InsertObject); an object
// handed in with a line is not kept: the line's rule takes its place.
//
// Decisions:
//  - a rule is never triggered by a change of its own target field (a rule such as
//    TOTAL = TOTAL + QTY would otherwise be applied again at every column change);
//  - a line whose definition does not parse is taken out again and the error
//    ("语法错误") reaches the caller of the list operation;
//  - an identifier written with arguments that is not a function is unknown.
#pragma once
#include <memory>
#include <vector>
#include "VCLSource/source/PosGrid/ukvExpressionParser.h"
#include "VCLSource/source/PosGrid/ukvExpressions.h"
#include "VCLSource/source/PosGrid/ukxClasses.h"
#include "db/DataSet.h"
#include "db/Field.h"

class TkvExpressionCalculator;

// One rule.
class TkvExpressionParameters : public TObject {
 public:
  // Makes the rule and binds it (raises "语法错误" for a definition of neither form).
  TkvExpressionParameters(TkvExpressionCalculator* calculator, const AnsiString& definition);
  // Tells the calculator, which takes the rule's line out of its list.
  ~TkvExpressionParameters() override;

  // Parses the definition and finds its fields; only while the dataset is open.
  void Bind(const AnsiString& definition);
  // The field is used by the formula, is not the target, and is a trigger when the
  // rule names triggers.
  bool DependsOn(TField* field) const;
  // Compiles the formula over the record's current values and writes the result into
  // the target field; nothing without a target.
  void Evaluate();
  void FieldChanged(TField* field) {
    if (DependsOn(field)) Evaluate();
  }

  const AnsiString& TargetName() const { return FParser.TargetName(); }
  const AnsiString& ExpressionText() const { return FParser.ExpressionText(); }
  TField* TargetField() const { return FTargetField; }
  const std::vector<TField*>& UsedFields() const { return FUsedFields; }
  const std::vector<AnsiString>& UsedFieldNames() const { return FUsedFieldNames; }
  const std::vector<TField*>& TriggerFields() const { return FTriggerFields; }

 private:
  TkvExpressionCalculator* FCalculator;
  std::vector<TField*> FTriggerFields;
  TkvExpressionParser FParser;
  std::vector<TField*> FUsedFields;
  std::vector<AnsiString> FUsedFieldNames;
  TField* FTargetField = nullptr;
};

class TkvExpressionCalculator : public TObject {
 public:
  TkvExpressionCalculator();
  ~TkvExpressionCalculator() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* dataSet) { FDataSet = dataSet; }
  TkxEventStringList& Rules() { return FRules; }
  TStringList& RecordRules() { return FRecordRules; }
  TField* PendingField() const { return FPendingField; }
  int LockCount() const { return FLockCount; }

  bool HasRecordRules() const { return FRecordRules.Count() > 0; }
  // Evaluate of every record rule, in list order (a line without its rule object gets
  // one first).
  void EvaluateRecordRules();
  // ApplyPendingField, then remembers field.
  void SetPendingField(TField* field);
  // A field being freed stops being the pending one; nothing is applied.
  void FieldFreed(const TComponent* field) {
    if (field && static_cast<const TComponent*>(FPendingField) == field) FPendingField = nullptr;
  }
  // When a field is pending and the dataset is open and modified: FieldChanged of
  // every change rule, in list order. The field stays pending.
  void ApplyPendingField();
  // Binds every rule again (after the controller re-bound its fields). A rule that
  // fails stays unbound, the others are bound, and the first error is raised at the end.
  void RebindAll();
  // Frees a rule object (its line leaves its list).
  void FreeRule(TkvExpressionParameters* rule);

  // The identifier callback of the formulas: a field of the dataset as a float
  // constant of its current value.
  TkvExpressionPtr FieldValue(const AnsiString& identifier, TkvParameterListPtr& params);

 private:
  friend class TkvExpressionParameters;
  void RulesChange(TObject* sender, const TkxStringListEventObj& e);
  void SyncRule(const AnsiString& definition, int index, TStrings& list);
  void ClearRules();
  void RemoveRule(TkvExpressionParameters* rule);
  TkvExpressionParameters* RuleAt(TStrings& list, int index) const;

  TDataSet* FDataSet = nullptr;
  TkxEventStringList FRules;
  TField* FPendingField = nullptr;
  TStringList FRecordRules;
  int FLockCount = 0;
  // The rule objects of both lists; the lines hold plain references to them.
  std::vector<std::unique_ptr<TkvExpressionParameters>> FRuleObjects;
};
