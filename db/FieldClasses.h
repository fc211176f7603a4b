// The field classes per data type, and the class a dataset makes for each type.
//
// Each class fixes its TFieldType, its canonical value kind (CanonicalVarType), its
// conversions and its text. The classes exist as separate types because the grid library
// tests them by class (numeric, date-time, string, boolean, object fields).
//
// Text rules: numeric fields show DisplayFormat (display text) or EditFormat (edit text,
// falling back to DisplayFormat) through FormatFloat; without a format a float shows
// FloatToStr (the shortest form, "12.5", "3"), or the currency format when Currency is
// set. Date-time fields show DisplayFormat through FormatDateTime, else the platform's
// default text of their kind. Boolean fields show DisplayValues ("True;False").
// An empty text assigned to a non-string field stores Null.
#pragma once
#include "db/Field.h"

class TStringField : public TField {
 public:
  explicit TStringField(TComponent* AOwner);
  // A text longer than Size is cut to Size bytes, never inside a double-byte character.
  Variant ConvertValue(const Variant& value) const override;
  bool FixedChar() const { return DataType() == ftFixedChar; }

 protected:
  int DefaultDisplayWidth() const override { return Size() > 0 ? Size() : 20; }
  int64_t GetAsLargeInt() const override;
  double GetAsFloat() const override;
  TDateTime GetAsDateTime() const override;
  bool GetAsBoolean() const override;
  void AssignLargeInt(int64_t value) override;
  void AssignFloat(double value) override;
  void AssignDateTime(TDateTime value) override;
  void AssignBoolean(bool value) override;
  void AssignString(const AnsiString& value) override;
};

class TWideStringField : public TStringField {
 public:
  explicit TWideStringField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
};

class TGuidField : public TStringField {
 public:
  explicit TGuidField(TComponent* AOwner);
};

// Base of the numeric fields: display and edit formats, right alignment.
class TNumericField : public TField {
 public:
  explicit TNumericField(TComponent* AOwner);
  const AnsiString& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& value);
  const AnsiString& EditFormat() const { return FEditFormat; }
  void SetEditFormat(const AnsiString& value);

 protected:
  // The format that applies: DisplayFormat for display text or when EditFormat is empty.
  const AnsiString& FormatFor(bool display) const;
  void AssignString(const AnsiString& value) override;

 private:
  AnsiString FDisplayFormat, FEditFormat;
};

// Integer kinds: ftInteger here, ftSmallint, ftWord and ftAutoInc in the subclasses, each
// with its range (SFieldRangeError outside it).
class TIntegerField : public TNumericField {
 public:
  explicit TIntegerField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
  int64_t MinValue() const { return FMin; }
  int64_t MaxValue() const { return FMax; }

 protected:
  void SetRange(int64_t lo, int64_t hi) { FMin = lo; FMax = hi; }
  int DefaultDisplayWidth() const override { return 11; }
  AnsiString GetText(bool display) const override;
  AnsiString GetAsString() const override;
  int64_t GetAsLargeInt() const override;
  double GetAsFloat() const override;
  bool GetAsBoolean() const override;
  void AssignLargeInt(int64_t value) override;
  void AssignFloat(double value) override;
  void AssignBoolean(bool value) override;

 private:
  int64_t FMin, FMax;
};

class TSmallintField : public TIntegerField {
 public:
  explicit TSmallintField(TComponent* AOwner);
 protected:
  int DefaultDisplayWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
 public:
  explicit TWordField(TComponent* AOwner);
 protected:
  int DefaultDisplayWidth() const override { return 6; }
};

class TAutoIncField : public TIntegerField {
 public:
  explicit TAutoIncField(TComponent* AOwner);
};

class TLargeintField : public TIntegerField {
 public:
  explicit TLargeintField(TComponent* AOwner);
 protected:
  int DefaultDisplayWidth() const override { return 15; }
};

// ftFloat (and ftCurrency through TCurrencyField, which only sets Currency).
class TFloatField : public TNumericField {
 public:
  explicit TFloatField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool value) { FCurrency = value; }
  int Precision() const { return FPrecision; }
  void SetPrecision(int value) { FPrecision = value < 2 ? 2 : (value > 15 ? 15 : value); }

 protected:
  AnsiString GetText(bool display) const override;
  AnsiString GetAsString() const override;
  int64_t GetAsLargeInt() const override;
  double GetAsFloat() const override;
  void AssignLargeInt(int64_t value) override { AssignFloat(static_cast<double>(value)); }
  void AssignFloat(double value) override;
  bool FCurrency = false;

 private:
  int FPrecision = 15;
};

class TCurrencyField : public TFloatField {
 public:
  explicit TCurrencyField(TComponent* AOwner);
};

// ftBCD: values are Currency (four decimal places); Size is the scale.
class TBCDField : public TNumericField {
 public:
  explicit TBCDField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool value) { FCurrency = value; }
  int Precision() const { return FPrecision; }
  void SetPrecision(int value) { FPrecision = value; }

 protected:
  AnsiString GetText(bool display) const override;
  AnsiString GetAsString() const override;
  int64_t GetAsLargeInt() const override;
  double GetAsFloat() const override;
  void AssignLargeInt(int64_t value) override { AssignFloat(static_cast<double>(value)); }
  void AssignFloat(double value) override;

 private:
  bool FCurrency = false;
  int FPrecision = 0;
};

// ftFMTBcd: scaled decimals of up to 18 places.
class TFMTBCDField : public TBCDField {
 public:
  explicit TFMTBCDField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
};

class TBooleanField : public TField {
 public:
  explicit TBooleanField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
  // "True;False" by default: the texts for True and False, separated by ';'.
  const AnsiString& DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const AnsiString& value);

 protected:
  int DefaultDisplayWidth() const override { return 5; }
  AnsiString GetAsString() const override;
  int64_t GetAsLargeInt() const override;
  double GetAsFloat() const override { return static_cast<double>(GetAsLargeInt()); }
  bool GetAsBoolean() const override;
  void AssignString(const AnsiString& value) override;
  void AssignLargeInt(int64_t value) override { AssignBoolean(value != 0); }
  void AssignBoolean(bool value) override;

 private:
  AnsiString FDisplayValues = "True;False";
  AnsiString FTrueText = "True", FFalseText = "False";
};

// ftDateTime; TDateField and TTimeField keep only the date or time part.
class TDateTimeField : public TField {
 public:
  explicit TDateTimeField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
  const AnsiString& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& value);

 protected:
  int DefaultDisplayWidth() const override { return 18; }
  AnsiString GetText(bool display) const override;
  AnsiString GetAsString() const override;
  double GetAsFloat() const override;
  TDateTime GetAsDateTime() const override;
  void AssignString(const AnsiString& value) override;
  void AssignFloat(double value) override { AssignDateTime(value); }
  void AssignDateTime(TDateTime value) override;
  virtual AnsiString DefaultText(TDateTime v) const;

 private:
  AnsiString FDisplayFormat;
};

class TDateField : public TDateTimeField {
 public:
  explicit TDateField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
 protected:
  int DefaultDisplayWidth() const override { return 10; }
  AnsiString DefaultText(TDateTime v) const override;
};

class TTimeField : public TDateTimeField {
 public:
  explicit TTimeField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
 protected:
  int DefaultDisplayWidth() const override { return 10; }
  AnsiString DefaultText(TDateTime v) const override;
};

class TSQLTimeStampField : public TDateTimeField {
 public:
  explicit TSQLTimeStampField(TComponent* AOwner);
};

// Binary and text blobs; values are byte strings.
class TBlobField : public TField {
 public:
  explicit TBlobField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
 protected:
  AnsiString GetText(bool display) const override;
};

class TMemoField : public TBlobField {
 public:
  explicit TMemoField(TComponent* AOwner);
 protected:
  AnsiString GetText(bool display) const override;
};

class TGraphicField : public TBlobField {
 public:
  explicit TGraphicField(TComponent* AOwner);
};

class TBytesField : public TField {
 public:
  explicit TBytesField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override;
};

class TVarBytesField : public TBytesField {
 public:
  explicit TVarBytesField(TComponent* AOwner);
};

// ftVariant: any value as it is.
class TVariantField : public TField {
 public:
  explicit TVariantField(TComponent* AOwner);
  Variant ConvertValue(const Variant& value) const override { return value; }
};

// Object fields exist so that the grid can recognise them by class; this library has no
// nested or structured records, so they hold no values of their own.
class TObjectField : public TField {
 public:
  explicit TObjectField(TComponent* AOwner);
};
class TADTField : public TObjectField {
 public:
  explicit TADTField(TComponent* AOwner);
};
class TArrayField : public TObjectField {
 public:
  explicit TArrayField(TComponent* AOwner);
};
class TDataSetField : public TObjectField {
 public:
  explicit TDataSetField(TComponent* AOwner);
  TDataSet* NestedDataSet() const { return nullptr; }
};
class TReferenceField : public TDataSetField {
 public:
  explicit TReferenceField(TComponent* AOwner);
};

// A summary value kept by its owner (FieldKind fkAggregate): it has its own Value.
class TAggregateField : public TField {
 public:
  explicit TAggregateField(TComponent* AOwner);
  const AnsiString& Expression() const { return FExpression; }
  void SetExpression(const AnsiString& value) { FExpression = value; }
  bool Active() const { return FActive; }
  void SetActive(bool value) { FActive = value; }
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool value) { FCurrency = value; }
  const AnsiString& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const AnsiString& value) { FDisplayFormat = value; }
  bool CanModify() const override { return false; }

 protected:
  AnsiString GetText(bool display) const override;
  Variant StoredValue() const override { return FValue; }
  void Store(const Variant& canonical) override { FValue = canonical; }

 private:
  AnsiString FExpression, FDisplayFormat;
  Variant FValue = Variant::Null();
  bool FActive = false;
  bool FCurrency = false;
};

// The field class a dataset makes for a column of the type (TStringField for ftString,
// ...); ftUnknown and types without a class give a TVariantField.
TField* CreateDefaultField(TFieldType type, TComponent* owner);
