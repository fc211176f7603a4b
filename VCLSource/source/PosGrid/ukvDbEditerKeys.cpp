// The editor's key filter.
#include "VCLSource/source/PosGrid/ukvDbEditerKeys.h"

#include <memory>

#include "db/FieldClasses.h"

namespace kw_edit {

TNumericKeys NumericKeysOf(TFieldType type) {
  const std::unique_ptr<TField> sample(CreateDefaultField(type, nullptr));
  if (dynamic_cast<TIntegerField*>(sample.get())) return TNumericKeys::Integer;
  if (dynamic_cast<TNumericField*>(sample.get())) return TNumericKeys::Decimal;
  return TNumericKeys::None;
}

bool NumericKeyAccepted(TNumericKeys kind, const AnsiString& text, int selStart, char key) {
  if (kind == TNumericKeys::None) return true;
  if (key == '+' || key == '-') {
    const bool atStart = selStart <= 0 || text.empty();
    const bool signed_ = !text.empty() && (text[0] == '+' || text[0] == '-');
    return atStart && !signed_;
  }
  if (key == '.') return kind == TNumericKeys::Decimal && text.find('.') == AnsiString::npos;
  return true;
}

bool FieldKeyAccepted(const TField& field, const AnsiString& text, int selStart, char key) {
  if (static_cast<unsigned char>(key) < 32) return true;
  return field.IsValidChar(key) && NumericKeyAccepted(NumericKeysOf(field.DataType()), text, selStart, key);
}

}  // namespace kw_edit
