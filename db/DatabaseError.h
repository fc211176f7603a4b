// The data layer's exception classes and its message texts.
//
// Every failure of a dataset, field, parameter list or data link raises EDatabaseError
// (or a class derived from it) carrying the platform's own wording. DatabaseError()
// prefixes the message with "<component name>: " when the component that failed has a
// name, as the platform does.
#pragma once
#include <initializer_list>
#include "rtl/AnsiString.h"
#include "rtl/Exceptions.h"

class TComponent;

POS_EXCEPTION(EDatabaseError, Exception);

// A filter text that does not parse. Position is the 1-based byte offset in the text at
// which the parser gave up; the message ends with " at position <n>".
class EFilterExpressionError : public EDatabaseError {
 public:
  EFilterExpressionError(AnsiString message, int position)
      : EDatabaseError(std::move(message)), FPosition(position) {}
  const char* ClassName() const override { return "EFilterExpressionError"; }
  int Position() const { return FPosition; }

 private:
  int FPosition;
};

// A data packet or packed parameter list received from outside that breaks its shape.
POS_EXCEPTION(EDataPacketError, EDatabaseError);

[[noreturn]] void DatabaseError(const AnsiString& message, const TComponent* component = nullptr);
[[noreturn]] void DatabaseErrorFmt(std::string_view format, std::initializer_list<FormatArg> args,
                                   const TComponent* component = nullptr);

// --- message texts (the platform's wording) -------------------------------------------
inline constexpr char SFieldNotFound[] = "Field '%s' not found";
inline constexpr char SDataSetClosed[] = "Cannot perform this operation on a closed dataset";
inline constexpr char SDataSetOpen[] = "Cannot perform this operation on an open dataset";
inline constexpr char SNotEditing[] = "Dataset not in edit or insert mode";
inline constexpr char SDataSetReadOnly[] = "Cannot modify a read-only dataset";
inline constexpr char SDataSetEmpty[] = "Cannot perform this operation on an empty dataset";
inline constexpr char SDataSetUnidirectional[] = "Operation not allowed on a unidirectional dataset";
inline constexpr char SFieldReadOnly[] = "Field '%s' cannot be modified";
inline constexpr char SFieldRequired[] = "Field '%s' must have a value";
inline constexpr char SFieldAccessError[] = "Cannot access field '%s' as type %s";
inline constexpr char SFieldRangeError[] = "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr char SInvalidIntegerValue[] = "'%s' is not a valid integer value for field '%s'";
inline constexpr char SInvalidFloatValue[] = "'%s' is not a valid floating point value for field '%s'";
inline constexpr char SInvalidBoolValue[] = "'%s' is not a valid boolean value for field '%s'";
inline constexpr char SInvalidDateTimeValue[] = "'%s' is not a valid date and time for field '%s'";
inline constexpr char SFieldIndexError[] = "Field index out of range";
inline constexpr char SRecordNotFound[] = "Record not found";
inline constexpr char SBookmarkNotFound[] = "Bookmark not found";
inline constexpr char SNoDataProvider[] = "Missing data provider or data packet";
inline constexpr char SFieldLookupInfo[] = "Lookup information for field '%s' is incomplete";
inline constexpr char SCircularDataLink[] = "Circular datalinks are not allowed";
inline constexpr char SParameterNotFound[] = "Parameter '%s' not found";
inline constexpr char SNoFieldDefs[] = "Missing field definitions";
