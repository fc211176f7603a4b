// TkvExpressionCalculator: the calculation rules of one data controller (change rules
// and record rules), kept in step with their two lists of definitions, and applied to a
// record.
#include "VCLSource/source/PosGrid/ukvDbHelper.h"

#include <algorithm>

namespace {

struct Lock {
  explicit Lock(int& n) : N(n) { ++N; }
  ~Lock() { --N; }
  int& N;
};

bool Contains(const std::vector<TField*>& list, const TField* f) {
  return std::find(list.begin(), list.end(), f) != list.end();
}

}  // namespace

// --- one rule ----------------------------------------------------------------------------

TkvExpressionParameters::TkvExpressionParameters(TkvExpressionCalculator* calculator, const AnsiString& definition)
    : FCalculator(calculator) {
  Bind(definition);
}

TkvExpressionParameters::~TkvExpressionParameters() { FCalculator->RemoveRule(this); }

void TkvExpressionParameters::Bind(const AnsiString& definition) {
  TDataSet* ds = FCalculator->DataSet();
  if (!ds || !ds->Active()) return;
  FParser.Parse(definition);
  FTargetField = ds->FindField(FParser.TargetName());
  FUsedFields.clear();
  FUsedFieldNames.clear();
  for (const AnsiString& name : FParser.IdentifierNames()) {
    if (TField* f = ds->FindField(name)) {
      FUsedFields.push_back(f);
      FUsedFieldNames.push_back(f->FieldName());
    }
  }
  FTriggerFields.clear();
  for (const AnsiString& name : FParser.TriggerNames())
    if (TField* f = ds->FindField(name)) FTriggerFields.push_back(f);
}

bool TkvExpressionParameters::DependsOn(TField* field) const {
  if (!field || field == FTargetField) return false;
  return Contains(FUsedFields, field) && (FTriggerFields.empty() || Contains(FTriggerFields, field));
}

void TkvExpressionParameters::Evaluate() {
  if (!FTargetField) return;
  TkvExpressionPtr root = CreateExpression(FParser.ExpressionText(),
                                           [this](const AnsiString& id, TkvParameterListPtr& params) {
                                             return FCalculator->FieldValue(id, params);
                                           });
  if (!root) return;  // no formula (the parser refuses such a rule; kept for safety)
  FTargetField->SetAsFloat(root->AsFloat());
}

// --- the calculator ------------------------------------------------------------------------

TkvExpressionCalculator::TkvExpressionCalculator() {
  FRules.OnStringsChange = [this](TObject* sender, const TkxStringListEventObj& e) { RulesChange(sender, e); };
}

TkvExpressionCalculator::~TkvExpressionCalculator() {
  FRules.OnStringsChange = nullptr;
  ++FLockCount;  // the lists go with the calculator: no line is taken out one by one
  FRuleObjects.clear();
}

// Only a rule of this calculator's counts: an object a caller put on the line with it
// (InsertObject, AddObject) is no rule, and the line's own rule takes its place.
TkvExpressionParameters* TkvExpressionCalculator::RuleAt(TStrings& list, int index) const {
  TObject* obj = list.Objects(index);
  for (const auto& rule : FRuleObjects)
    if (rule.get() == obj) return rule.get();
  return nullptr;
}

void TkvExpressionCalculator::FreeRule(TkvExpressionParameters* rule) {
  auto it = std::find_if(FRuleObjects.begin(), FRuleObjects.end(), [&](const auto& p) { return p.get() == rule; });
  if (it == FRuleObjects.end()) return;
  std::unique_ptr<TkvExpressionParameters> doomed = std::move(*it);
  FRuleObjects.erase(it);
  doomed.reset();
}

void TkvExpressionCalculator::RulesChange(TObject*, const TkxStringListEventObj& e) {
  switch (e.Action) {
    case slaDelete:
      if (FLockCount == 0) {
        Lock lock(FLockCount);
        FreeRule(RuleAt(FRules, e.Index));
      }
      break;
    case slaInsert:
    case slaAdd:
      try {
        SyncRule(e.S, e.Index, FRules);
      } catch (...) {
        // The line that does not parse leaves the list again.
        Lock lock(FLockCount);
        FRules.Delete(e.Index);
        throw;
      }
      break;
    case slaClear: ClearRules(); break;
  }
}

void TkvExpressionCalculator::SyncRule(const AnsiString& definition, int index, TStrings& list) {
  if (TkvExpressionParameters* rule = RuleAt(list, index)) {
    rule->Bind(definition);
    return;
  }
  auto rule = std::make_unique<TkvExpressionParameters>(this, definition);
  list.SetObjects(index, rule.get());
  FRuleObjects.push_back(std::move(rule));
}

void TkvExpressionCalculator::ClearRules() {
  Lock lock(FLockCount);
  for (int i = 0; i < FRules.Count(); ++i) {
    FreeRule(RuleAt(FRules, i));
    FRules.SetObjects(i, nullptr);
  }
}

void TkvExpressionCalculator::RemoveRule(TkvExpressionParameters* rule) {
  if (FLockCount > 0) return;
  Lock lock(FLockCount);
  int i = FRules.IndexOfObject(rule);
  if (i >= 0) {
    FRules.Delete(i);
    return;
  }
  i = FRecordRules.IndexOfObject(rule);
  if (i >= 0) FRecordRules.Delete(i);
  // A rule in neither list (one that failed to bind while being made) has no line.
}

void TkvExpressionCalculator::EvaluateRecordRules() {
  for (int i = 0; i < FRecordRules.Count(); ++i) {
    if (!RuleAt(FRecordRules, i)) SyncRule(FRecordRules.Strings(i), i, FRecordRules);
    RuleAt(FRecordRules, i)->Evaluate();
  }
}

void TkvExpressionCalculator::SetPendingField(TField* field) {
  ApplyPendingField();
  FPendingField = field;
}

void TkvExpressionCalculator::ApplyPendingField() {
  if (!FPendingField || !FDataSet || !FDataSet->Active() || !FDataSet->Modified()) return;
  for (int i = 0; i < FRules.Count(); ++i)
    if (TkvExpressionParameters* rule = RuleAt(FRules, i)) rule->FieldChanged(FPendingField);
}

void TkvExpressionCalculator::RebindAll() {
  std::exception_ptr first;
  for (TStrings* list : {static_cast<TStrings*>(&FRules), static_cast<TStrings*>(&FRecordRules)}) {
    for (int i = 0; i < list->Count(); ++i) {
      try {
        SyncRule(list->Strings(i), i, *list);
      } catch (...) {
        if (!first) first = std::current_exception();
      }
    }
  }
  if (first) std::rethrow_exception(first);
}

TkvExpressionPtr TkvExpressionCalculator::FieldValue(const AnsiString& identifier, TkvParameterListPtr& params) {
  if (params || !FDataSet || !FDataSet->Active()) return nullptr;
  TField* f = FDataSet->FindField(identifier);
  if (!f) return nullptr;
  return std::make_unique<TkvFloatLiteral>(f->AsFloat());
}
