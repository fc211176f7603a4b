// The data controller's named-field formulas: compiling one (a failed compile leaves no
// tree), recompiling all of them, their field leaves, and evaluating one for one record.
#include "VCLSource/source/PosGrid/ukvDbHelperExpressions.h"

#include <algorithm>
#include <exception>
#include "VCLSource/source/PosGrid/ukvDbHelperSearch.h"

// --- TkvDbFieldExpression -------------------------------------------------------------------------

TkvDbFieldExpression::TkvDbFieldExpression(TkvCustomDbDataController* controller, TkvDbExpression* owner,
                                           TField* field)
    : FController(controller), FOwner(owner), FField(field) {
  FFieldItem = controller->CreateInternalField();
  FFieldItem->SetFieldName(field->FieldName());
  FFieldItem->SetDataField(field);
}

TkvDbFieldExpression::~TkvDbFieldExpression() {
  if (FFieldItem) FController->Fields().Remove(FFieldItem);
}

// Reads the record's value; Null stays Null here and becomes 0, '' or False below.
Variant TkvDbFieldExpression::Read() {
  Variant v;
  FController->GetFieldValue(FOwner->RecordIndex(), FFieldItem, v);
  return v;
}

AnsiString TkvDbFieldExpression::AsString() {
  const Variant v = Read();
  return v.IsNull() ? AnsiString() : VarToStr(v);
}

double TkvDbFieldExpression::AsFloat() {
  const Variant v = Read();
  return v.IsNull() ? 0.0 : v.AsDouble();
}

int32_t TkvDbFieldExpression::AsInteger() {
  const Variant v = Read();
  return v.IsNull() ? 0 : v.AsInteger();
}

bool TkvDbFieldExpression::AsBoolean() {
  const Variant v = Read();
  return v.IsNull() ? false : v.AsBoolean();
}

TkvExprType TkvDbFieldExpression::ExprType() {
  switch (FField->DataType()) {
    case ftString:
    case ftWideString: return etString;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency: return etFloat;
    case ftBoolean: return etBoolean;
    default: throw Exception("不支持的表达式类型！");
  }
}

// --- TkvDbExpression ---------------------------------------------------------------------------------

TkvDbExpression::~TkvDbExpression() { Drop(); }

// The tree leaves the item before it is destroyed: its field nodes take their items out
// of the controller, which tells every expression, this one included.
void TkvDbExpression::Drop() {
  TkvExpressionPtr tree = std::move(FCompiled);
  FFieldCache.clear();
  tree.reset();
}

// A compile that fails leaves no tree: the old one is gone first, the nodes the failed
// parse made are destroyed by it, and the cache is emptied again.
void TkvDbExpression::CompileTree() {
  Drop();
  TDataSet* ds = FController->DataSet();
  try {
    FCompiled = CreateExpression(FText, [this, ds](const AnsiString& identifier, TkvParameterListPtr& params) -> TkvExpressionPtr {
      // A field takes no arguments: QTY(1) is no field but an unknown function, which
      // the parser reports ("Unknown Identifier %s").
      if (params) return nullptr;
      TField* f = ds ? ds->FindField(identifier) : nullptr;
      if (!f) throw Exception("找不到列：" + identifier);
      auto node = std::make_unique<TkvDbFieldExpression>(FController, this, f);
      FFieldCache.emplace_back(identifier, node.get());
      return node;
    });
  } catch (...) {
    Drop();
    throw;
  }
}

namespace {

// The records are read again when a compile made field items that hold no values yet.
// Mended: the new items read Null until the next reload, so a formula compiled over
// loaded records (QTY > 2) was false on every record.
void ReadValuesOfNewFields(TkvCustomDbDataController* c, bool needed) {
  TDataSet* ds = c->DataSet();
  if (needed && ds && ds->Active() && !c->ReloadLock()) c->ReloadGuarded(false);
}

}  // namespace

void TkvDbExpression::Compile() {
  CompileTree();
  ReadValuesOfNewFields(FController, NeedsValues());
}

bool TkvDbExpression::IsTrueAt(int recordIndex) {
  if (!FCompiled) return false;
  FRecordIndex = recordIndex;
  return FCompiled->AsBoolean();
}

void TkvDbExpression::FieldRemoved(TkvDbField* field) {
  for (const auto& e : FFieldCache)
    if (e.second->FieldItem() == field) {
      Drop();
      return;
    }
}

// --- TkvDbExpressions -----------------------------------------------------------------------------------

TkvDbExpression* TkvDbExpressions::Add() {
  FItems.push_back(std::make_unique<TkvDbExpression>(FController));
  return FItems.back().get();
}

int TkvDbExpressions::IndexOf(const TkvDbExpression* item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == item) return static_cast<int>(i);
  return -1;
}

// Every item is compiled, also after one has failed; the failures are then reported
// together: the first one raised, its message holding each failure's text on a line of
// its own, in index order.
void TkvDbExpressions::RecompileAll() {
  std::exception_ptr first;
  AnsiString messages;
  bool needsValues = false;
  for (auto& e : FItems) {
    try {
      e->CompileTree();
      needsValues = needsValues || e->NeedsValues();
    } catch (const Exception& x) {
      if (first) messages += "\r\n";
      else first = std::current_exception();
      messages += x.Message();
    }
  }
  ReadValuesOfNewFields(FController, needsValues);
  if (!first) return;
  try {
    std::rethrow_exception(first);
  } catch (Exception& x) {
    x.SetMessage(messages);
    throw;
  }
}

// Mended: the binding compiled before the field items were bound again and let a failure
// through, so one item naming a field the reopened dataset lacks stopped the binding and
// the load after it, and the controller was left without records.
void TkvDbExpressions::BindAll() {
  TDataSet* ds = FController->DataSet();
  const bool open = ds && ds->Active() && !FController->ReloadLock();
  for (auto& e : FItems) {
    if (!open) {
      e->Drop();
      continue;
    }
    try {
      e->CompileTree();
    } catch (const Exception&) {
      // Left without a tree (CompileTree saw to it): the formula holds for no record.
    }
  }
}

void TkvDbExpressions::FieldRemoved(TkvDbField* field) {
  for (auto& e : FItems) e->FieldRemoved(field);
}
