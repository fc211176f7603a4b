// TkwField, a dataset field as the grid's dialogs see it (a field not bound raises), and
// TkwGridFilter, the data controller's filter criteria as IkwGridFilter.
#include "VCLSource/source/PosGrid/ukvDbGridsHelper.h"

#include "VCLSource/source/PosGrid/ukvDbGridsLink.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "db/Field.h"
#include "db/FieldClasses.h"
#include "rtl/Classes.h"

TField& TkwField::Checked() const {
  if (!FField) RaiseGridError("Field is not bound");
  return *FField;
}

Variant TkwField::GetAsVariant() { return Checked().AsVariant(); }
bool TkwField::CanModify() { return Checked().CanModify(); }
AnsiString TkwField::FieldName() { return Checked().FieldName(); }
bool TkwField::IsDateTimeField() { return dynamic_cast<TDateTimeField*>(&Checked()) != nullptr; }
bool TkwField::IsNumericField() { return dynamic_cast<TNumericField*>(&Checked()) != nullptr; }
bool TkwField::IsStringField() { return dynamic_cast<TStringField*>(&Checked()) != nullptr; }
void TkwField::SetAsVariant(const Variant& value) { Checked().SetAsVariant(value); }

bool TkwGridFilter::GetActive() { return FCriteria.Active(); }
void TkwGridFilter::SetActive(bool value) { FCriteria.SetActive(value); }

void TkwGridFilter::AddItem(IkwColumn* column, TkvFilterOperatorKind kind, const Variant& value,
                            const AnsiString& displayValue) {
  TkvDbField* item = column ? column->DbField() : nullptr;
  if (!item) return;
  FCriteria.AddCondition(nullptr, item, kind, value, displayValue);
}

void TkwGridFilter::BeginUpdate() { FCriteria.BeginUpdate(); }
void TkwGridFilter::EndUpdate() { FCriteria.EndUpdate(); }

void TkwGridFilter::Clear() {
  TUpdateScope update(&FCriteria);
  FCriteria.Clear();
}

int TkwGridFilter::ItemCount() { return FCriteria.Root().Count(); }
