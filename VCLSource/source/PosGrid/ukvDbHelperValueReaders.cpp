#include "VCLSource/source/PosGrid/ukvDbHelperValueReaders.h"

#include "VCLSource/source/PosGrid/ukvDbHelperController.h"

namespace {

// The controller's field item, when the field is one of its items and the record is one
// of its storage (a data record or an internal one).
TkvDbField* ItemOf(TkvCustomDbDataController* c, TObject* field, int record) {
  if (!c) return nullptr;  // detached: its fields are gone too
  auto* f = dynamic_cast<TkvDbField*>(field);
  if (!f || f->Controller() != c) return nullptr;
  const bool valid = record >= 0 ? record < c->GetRecordCount()
                                 : -static_cast<int64_t>(record) <= c->Storage().InternalRecordCount();
  return valid ? f : nullptr;
}

}  // namespace

AnsiString TkvDbDataControllerDisplayTextReader::GetDisplayText(TObject* field) {
  AnsiString text;
  if (TkvDbField* f = ItemOf(FController, field, FRecordIndex)) FController->GetStoredDisplayText(FRecordIndex, f, text);
  return text;
}

Variant TkvDbDataControllerDisplayTextReader::GetValue(TObject* field) {
  Variant v = Variant::Null();
  if (TkvDbField* f = ItemOf(FController, field, FRecordIndex)) FController->GetFieldValue(FRecordIndex, f, v);
  return v;
}

std::shared_ptr<IkwValueField> TkvDbDataControllerDisplayTextReader::GetValueField(TObject* field) {
  return std::make_shared<TkwValueField>(shared_from_this(), field);
}

bool TkwValueField::AsBoolean() {
  const Variant v = Value();
  return !v.IsNull() && v.AsBoolean();
}
