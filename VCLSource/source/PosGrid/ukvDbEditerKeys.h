// The key filter of the data-aware in-place editor, apart from its window: which
// printable characters a field's editor takes. A character must be valid for the
// field; a numeric field further takes a sign only as the first character of a text
// that has none yet, and a decimal point ('.' itself, whatever the locale says) never
// in an integer field and only once otherwise.
#pragma once
#include "db/Field.h"
#include "db/FieldType.h"
#include "rtl/AnsiString.h"

namespace kw_edit {

enum class TNumericKeys { None, Integer, Decimal };

// The numeric filter a field of this type gets: by the class of the field the type
// makes by default (an integer class, another numeric class, or none).
TNumericKeys NumericKeysOf(TFieldType type);

// Whether the numeric filter lets Key be typed into Text with the caret at SelStart.
bool NumericKeyAccepted(TNumericKeys kind, const AnsiString& text, int selStart, char key);

// Whether a printable Key may be typed into the editor of Field (valid for the field
// and through its numeric filter). Keys below 32 are not filtered here.
bool FieldKeyAccepted(const TField& field, const AnsiString& text, int selStart, char key);

}  // namespace kw_edit
