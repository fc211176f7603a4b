// The value-reader interfaces of the data-aware grid: how expressions, columns and
// editors read one record's values and display texts without knowing where the record
// lives (the data controller's storage, for the controller's reader).
//
// Interfaces are abstract classes held by shared_ptr (they are counted). A field is
// named by the field object the reader understands (a TkvDbField for the controller's
// reader); a field the reader does not know reads Null and an empty text.
#pragma once
#include <memory>
#include "rtl/AnsiString.h"
#include "rtl/Classes.h"
#include "rtl/Variant.h"

class IkwValueField;

// {0975ADE2-1DCD-4D23-9422-72D4C321BEA5}
class IkwValueReader {
 public:
  virtual ~IkwValueReader() = default;
  virtual AnsiString GetDisplayText(TObject* field) = 0;
  virtual Variant GetValue(TObject* field) = 0;
  // The field's value and text of the reader's record as one object.
  virtual std::shared_ptr<IkwValueField> GetValueField(TObject* field) = 0;
};

// {A9AD8235-4E57-4979-AEED-405222EECBA2}: a reader placed on one record.
class IkwDisplayTextValueReader : public IkwValueReader {
 public:
  virtual int GetRecordIndex() = 0;
  virtual void SetRecordIndex(int index) = 0;
};

// {D9ECB03B-5EA3-446C-8126-43102FD839F2}: one field of a reader's record.
class IkwValueField {
 public:
  virtual ~IkwValueField() = default;
  virtual bool AsBoolean() = 0;  // False for Null
  virtual TDateTime AsDateTime() = 0;
  virtual double AsFloat() = 0;
  virtual AnsiString AsString() = 0;
  virtual int AsInteger() = 0;
  virtual Variant Value() = 0;
  virtual AnsiString DisplayText() = 0;
  virtual std::shared_ptr<IkwValueReader> ValueReader() = 0;
};
