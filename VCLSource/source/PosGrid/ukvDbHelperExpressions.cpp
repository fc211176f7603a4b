// The data controller's named-field formulas: compiling one (a failed compile leaves no
// tree), its field leaves, and evaluating it for one record.
#include "VCLSource/source/PosGrid/ukvDbHelperExpressions.h"

#include <algorithm>
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
void TkvDbExpression::Compile() {
  Drop();
  TDataSet* ds = FController->DataSet();
  try {
    FCompiled = CreateExpression(FText, [this, ds](const AnsiString& identifier, TkvParameterListPtr&) -> TkvExpressionPtr {
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

void TkvDbExpressions::RecompileAll() {
  for (auto& e : FItems) e->Compile();
}

void TkvDbExpressions::FieldRemoved(TkvDbField* field) {
  for (auto& e : FItems) e->FieldRemoved(field);
}
