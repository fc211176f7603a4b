// The value reader of the data-aware grid's view: the current row's values and texts.
#include "VCLSource/source/PosGrid/ukvDbGridsViewReader.h"

#include "VCLSource/source/PosGrid/ukvDbGridsController.h"
#include "VCLSource/source/PosGrid/ukvDbHelperValueReaders.h"

// A detached reader does not look at the field at all: it may have gone with the view's
// controller.
AnsiString TkwGridViewValueReader::GetDisplayText(TObject* field) {
  if (!FView) return AnsiString();
  auto* f = dynamic_cast<TkvDbField*>(field);
  return f ? FView->GetDisplayText(f) : AnsiString();
}

Variant TkwGridViewValueReader::GetValue(TObject* field) {
  if (!FView) return Variant::Null();
  auto* f = dynamic_cast<TkvDbField*>(field);
  return f ? FView->GetValue(f) : Variant::Null();
}

std::shared_ptr<IkwValueField> TkwGridViewValueReader::GetValueField(TObject* field) {
  return std::make_shared<TkwValueField>(shared_from_this(), field);
}
