// A column's values: display texts, the value formula, the footer (total, formula or
// text) and the lookup in a second dataset.
#include <algorithm>
#include <exception>
#include <vector>

#include "VCLSource/source/PosGrid/ukvDbGridsColumns.h"
#include "VCLSource/source/PosGrid/ukvDbGridsLink.h"
#include "VCLSource/source/PosGrid/ukvDbHelperGuards.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSummary.h"
#include "VCLSource/source/PosGrid/ukvExpressionCalculator.h"
#include "db/DataLink.h"
#include "db/DataSet.h"
#include "db/Field.h"
#include "db/FieldClasses.h"
#include "rtl/NumberFormat.h"

// --- formulas ----------------------------------------------------------------------------------

namespace {

// A rename under way: the column is found by NewName as its Name (FieldName false) or
// its FieldName instead of the one it has.
struct TkwRename {
  const TkwColumn* Column = nullptr;
  AnsiString NewName;
  bool FieldName = false;
};

const AnsiString& NameOf(const TkwColumn* c, bool fieldName, const TkwRename& rename) {
  if (c == rename.Column && fieldName == rename.FieldName) return rename.NewName;
  return fieldName ? c->FieldName() : c->Name();
}

// The column a value formula's identifier names: the first (in index order) whose Name
// equals it, else the first whose FieldName does; only a column with a field item can
// be read.
TkwColumn* NamedColumn(TkwDBGridColumns* cols, const AnsiString& name, const TkwRename& rename = {}) {
  for (const bool byFieldName : {false, true})
    for (int i = 0; i < cols->Count(); ++i)
      if (SameText(NameOf(cols->Items(i), byFieldName, rename), name))
        return cols->Items(i)->DbField() ? cols->Items(i) : nullptr;
  return nullptr;
}

// The columns a value formula's text names (each time it names one), found as its
// compilation finds them. A text that does not parse names none.
std::vector<TkwColumn*> ColumnsNamed(TkwDBGridColumns* cols, const AnsiString& text, const TkwRename& rename) {
  std::vector<TkwColumn*> read;
  auto identifier = [cols, &read, &rename](const AnsiString& name, TkvParameterListPtr& params) -> TkvExpressionPtr {
    TkwColumn* c = params ? nullptr : NamedColumn(cols, name, rename);
    if (!c) return nullptr;
    read.push_back(c);
    return std::make_unique<TkvFloatLiteral>(0.0);
  };
  try {
    (void)CreateExpressionTree(text, identifier);
  } catch (const Exception&) {
    read.clear();
  }
  return read;
}

// The columns whose field items are among items.
std::vector<TkwColumn*> ColumnsOfItems(TkwDBGridColumns* cols, const std::vector<TkvDbField*>& items) {
  std::vector<TkwColumn*> read;
  for (int i = 0; i < cols->Count(); ++i)
    if (TkvDbField* f = cols->Items(i)->DbField(); f && std::find(items.begin(), items.end(), f) != items.end())
      read.push_back(cols->Items(i));
  return read;
}

// The columns a column's compiled formula reads: those its tree is bound to, and those
// its text names now (a copy or a reload of the columns compiles it by the names).
std::vector<TkwColumn*> FormulaReads(TkwDBGridColumns* cols, TkwColumn* c, const TkwRename& rename) {
  std::vector<TkwColumn*> read = ColumnsOfItems(cols, c->ValueReads());
  const std::vector<TkwColumn*> named = ColumnsNamed(cols, c->ValueExpression(), rename);
  read.insert(read.end(), named.begin(), named.end());
  return read;
}

// Whether a formula of column self that reads the columns first comes back to self,
// directly or through the compiled formulas of the columns it reads.
bool ReadsItself(TkwDBGridColumns* cols, TkwColumn* self, std::vector<TkwColumn*> first, const TkwRename& rename) {
  std::vector<TkwColumn*> seen;
  std::vector<TkwColumn*> pending = std::move(first);
  while (!pending.empty()) {
    TkwColumn* c = pending.back();
    pending.pop_back();
    if (c == self) return true;
    if (std::find(seen.begin(), seen.end(), c) != seen.end() || !c->HasValueExpression()) continue;
    seen.push_back(c);
    const std::vector<TkwColumn*> next = FormulaReads(cols, c, rename);
    pending.insert(pending.end(), next.begin(), next.end());
  }
  return false;
}

}  // namespace

TkvExpressionPtr TkwColumn::CompileValueExpression(const AnsiString& text, std::vector<TkvDbField*>& reads) {
  IkwColumnsGrid* g = Grid();
  TkwDBGridColumns* cols = Columns();
  auto identifier = [g, cols, &reads](const AnsiString& name, TkvParameterListPtr& params) -> TkvExpressionPtr {
    if (params || !cols || !g) return nullptr;
    TkwColumn* c = NamedColumn(cols, name);
    if (!c) return nullptr;
    reads.push_back(c->DbField());
    return std::make_unique<TkvCalcFieldExpression>(c->DbField(), &g->ExprCalculator());
  };
  TkvExpressionPtr tree = CreateExpression(text, identifier);
  // Mended: a formula that came back to its own column read Null for it without a word.
  // The cycle is refused here, as any other error of the formula is. Mended too: the
  // cycle was looked for by the names in the formulas' texts only, while a compiled
  // formula reads the column it was bound to, renamed since or not; both are followed.
  if (tree && cols && ReadsItself(cols, this, ColumnsOfItems(cols, reads), {})) RaiseFormulaCycle(NameInMessages());
  return tree;
}

// A column renamed, the formulas compiled since read the columns they were bound to, but
// a copy or a reload of the columns compiles them by their names again. Mended: a rename
// could make those names come back to a formula's own column unseen (the next reload
// then failed, or read a cycle); such a rename is refused before anything changes.
void TkwColumn::CheckRename(const AnsiString& newName, bool fieldName) {
  TkwDBGridColumns* cols = Columns();
  if (!cols) return;
  const TkwRename rename{this, newName, fieldName};
  for (int i = 0; i < cols->Count(); ++i) {
    TkwColumn* c = cols->Items(i);
    if (!c->HasValueExpression() || !ReadsItself(cols, c, FormulaReads(cols, c, rename), rename)) continue;
    const AnsiString& name = NameOf(c, false, rename);
    RaiseFormulaCycle(name.empty() ? NameOf(c, true, rename) : name);
  }
}

void TkwColumn::SetName(const AnsiString& v) {
  if (v == FName) return;
  CheckRename(v, false);
  FName = v;
}

TkvExpressionPtr TkwColumn::CompileFooterExpression(const AnsiString& text) {
  TkwDBGridColumns* cols = Columns();
  auto identifier = [cols](const AnsiString& name, TkvParameterListPtr& params) -> TkvExpressionPtr {
    if (!cols) return nullptr;
    if (!params) {
      if (cols->FindColumnByFieldName(name) || cols->FindColumnByName(name))
        return std::make_unique<TkvStringLiteral>(name);
      return nullptr;
    }
    if (params->Count() < 1) return nullptr;
    const AnsiString target = params->Items(0)->AsString();
    TkwColumn* c = cols->FindColumnByFieldName(target);
    if (!c) c = cols->FindColumnByName(target);
    if (!c || !c->DbField()) return nullptr;
    const TkvSummaryKind kind = SummaryKindOfName(name);
    if (kind == skNone) return nullptr;
    return std::make_unique<TkwDbFieldSummaryExpr>(std::move(params), c->DbField(), kind);
  };
  return CreateExpression(text, identifier);
}

void TkwColumn::SetValueExpression(const AnsiString& v) {
  if (v == FValueExpression) return;
  const bool hadTree = FValueTree != nullptr;
  FValueExpression = v;
  FValueTree.reset();
  FValueReads.clear();
  // The texts formed by the old formula go whatever the new one does (a compilation
  // error leaves the column without one); other columns' formulas may read this one.
  TkvFinally drop([this] {
    if (TkwDBGridColumns* cols = Columns()) cols->DropTexts();
    else DropTexts();
  });
  if (!v.empty()) {
    std::vector<TkvDbField*> reads;
    FValueTree = CompileValueExpression(v, reads);
    FValueReads = std::move(reads);
  }
  if (!hadTree) UpdateDataField();
}

Variant TkwColumn::EvaluateValueExpression(int recordIndex) {
  IkwColumnsGrid* g = Grid();
  if (!FValueTree || !g) return Variant::Null();
  return Variant(g->ExprCalculator().Evaluate(recordIndex, *FValueTree));
}

// Through the controller, which marks the column while its formula is evaluated, so a
// cell meets a cycle as the controller's own reads of the column do.
Variant TkwColumn::FormulaValue(int recordIndex) {
  IkwColumnsGrid* g = Grid();
  TkvCustomDbDataController* dc = g ? g->DataController() : nullptr;
  if (dc && FDbField && FDbField->Column() == this) return dc->EvaluateColumnFormula(recordIndex, FDbField);
  return EvaluateValueExpression(recordIndex);
}

void TkwColumn::CompileFooter() {
  FFooterExpression.reset();
  const AnsiString& t = FFooterText;
  if (t.size() > 3 && t.compare(0, 2, "$(") == 0 && t.back() == ')')
    FFooterExpression = CompileFooterExpression(t.substr(2, t.size() - 3));
}

// --- footers ------------------------------------------------------------------------------------

Variant TkwColumn::FooterValue() {
  if (FFooterText.empty()) {
    if (TkvSummary* total = Total()) return total->GetValue();
    return Variant(0);
  }
  if (FFooterExpression) return Variant(FFooterExpression->AsFloat());
  return Variant(FFooterText);
}

AnsiString TkwColumn::FooterDisplayText() {
  if (Has(gcoHideContent)) return FHideContentStr;
  AnsiString text;
  // The footer is painted with every repaint: a total or a formula that cannot be worked
  // out shows an empty footer instead of raising from the painting.
  try {
    if (TkvSummary* total = Total())
      text = total->GetText();
    else if (!FFooterText.empty())
      text = VarToStr(FooterValue());
  } catch (const Exception&) {
    text.clear();
  }
  if (IkwColumnsGrid* g = Grid()) g->GetFooterDisplayText(this, text);
  return text;
}

// --- lookups ------------------------------------------------------------------------------------

TkwLookupSourceLink& TkwColumn::LookupLink() {
  if (!FLookupLink) {
    FLookupLink = std::make_unique<TkwLookupSourceLink>();
    // Mended: a change of the lookup data repainted the grid, but the cells kept the
    // texts looked up before it.
    FLookupLink->OnDataChange = [this](TField*) {
      if (!FInLookupLocate) DropTexts();
    };
    FLookupLink->OnFieldsChange = [this](TkwLookupSourceLink*) { LookupFieldsChanged(); };
  }
  return *FLookupLink;
}

TDataSource* TkwColumn::LookupSource() const { return FLookupLink ? FLookupLink->DataSource() : nullptr; }

void TkwColumn::SetLookupSource(TDataSource* v) {
  LookupLink().SetDataSource(v);
  if (IkwColumnsGrid* g = Grid(); g && v) {
    if (TComponent* grid = g->GridComponent()) v->FreeNotification(grid);
  }
  LookupFieldsChanged();
}

void TkwColumn::SetKeyField(const AnsiString& v) {
  FKeyField = v;
  LookupFieldsChanged();
}

void TkwColumn::SetListField(const AnsiString& v) {
  FListField = v;
  LookupFieldsChanged();
}

// Fields of an inactive lookup, or unnamed ones, are none (no error while the lookup
// dataset closes).
void TkwColumn::LookupFieldsChanged() {
  FLookupKeyField = nullptr;
  FLookupListField = nullptr;
  TkvFinally drop([this] { DropTexts(); });  // the lookup's texts are another lookup's now
  if (!FLookupLink || !FLookupLink->Active() || FKeyField.empty()) return;
  FLookupListField = LinkField(*FLookupLink, FListField);
  FLookupKeyField = LinkField(*FLookupLink, FKeyField);
}

bool TkwColumn::IsLookupColumn() const {
  return FLookupLink && FLookupLink->Active() && !FKeyField.empty();
}

bool TkwColumn::LookupLocate(const Variant& value) {
  if (value.IsNull() || !IsLookupColumn()) return false;
  TkvFlagScope inLocate(FInLookupLocate);
  try {
    return FLookupLink->DataSet()->Locate(FKeyField, value, 0);
  } catch (const Exception&) {
    return false;
  }
}

// --- display texts ------------------------------------------------------------------------------

// Mended: the texts a field item keeps were formed again only when the dataset loaded,
// so a change of the lookup data, of the hidden content, of the format or the formula
// left the old texts painted. Dropping them costs nothing now (a stamp); each is formed
// again when it is next read, the painted ones first.
void TkwColumn::DropTexts() {
  if (FDbField)
    if (TkvValueDef* def = FDbField->ValueDef()) def->InvalidateTexts();
  if (IkwColumnsGrid* g = Grid()) g->InvalidateGrid();
}

AnsiString TkwColumn::GetDisplayText(const AnsiString& defaultText, int recordIndex) {
  AnsiString text = defaultText;
  if (Has(gcoHideContent)) return FHideContentStr;
  IkwColumnsGrid* g = Grid();
  TkvCustomDbDataController* dc = g ? g->DataController() : nullptr;
  const bool lookup = IsLookupColumn();
  TField* field = Field();
  TField* shown = lookup ? FLookupListField : field;
  if (field && shown && dc && FDbField && recordIndex != kvNoRecord) {
    Variant v;
    dc->GetFieldValue(recordIndex, FDbField, v);
    if (lookup) {
      if (LookupLocate(v)) text = shown->DisplayText();
    } else if (!FDisplayFormat.empty() && dynamic_cast<TNumericField*>(field) && !v.IsNull()) {
      text = FormatFloat(FDisplayFormat, v.AsDouble());
    }
  }
  if (g && !g->IsDesigning() && dc && dc->Active()) {
    if (FValueTree) {
      try {
        const Variant v = FormulaValue(recordIndex);
        text = !FDisplayFormat.empty() && !v.IsNull() ? FormatFloat(FDisplayFormat, v.AsDouble()) : VarToStr(v);
      } catch (const Exception&) {
        // The formula cannot be worked out for this record: the cell is empty. The
        // default (or the bound field's stored) text would pass for a computed result.
        text.clear();
      }
    }
    g->DoGetDisplayText(this, text, recordIndex);
  }
  return text;
}

// Mended: the grid painted the controller's text passed through the hooks once more, so
// a stored text went through them twice, the second time on their own output.
AnsiString TkwColumn::CellDisplayText(int recordIndex) {
  IkwColumnsGrid* g = Grid();
  TkvCustomDbDataController* dc = g ? g->DataController() : nullptr;
  if (!dc || !FDbField || FDbField->Index() < 0) return AnsiString();
  AnsiString text;
  dc->GetDisplayText(recordIndex, FDbField->Index(), text);
  if (FDbField->ValueDef() && FDbField->StoresText()) return text;
  return GetDisplayText(text, recordIndex);
}

bool TkwColumn::UseCustomDisplayText() {
  return IsLookupColumn() || Has(gcoHideContent) || !FDisplayFormat.empty() || Has(gcoCustomText) ||
         FValueTree != nullptr;
}

bool TkwColumn::NeedCustomSort() { return IsLookupColumn() || Has(gcoCustomSort); }

bool TkwColumn::NeedCustomDisplayText() {
  bool need = false;
  if (IkwColumnsGrid* g = Grid()) g->NeedCustomDisplayText(this, need);
  return need;
}

int TkwColumn::CompareBlankRows(int record1, int record2, int direction) {
  IkwColumnsGrid* g = Grid();
  return g ? g->CompareBlankRows(this, record1, record2, direction) : INT_MAX;
}
