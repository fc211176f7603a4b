// TField, the field list of a dataset and the events of fields.
//
// A field is one column of a dataset as the screens and the grid see it: its name and
// kind, how it shows its value as text, and typed access to the value of the dataset's
// active record. A field holds no value of its own (aggregate fields excepted): every
// read goes to the record buffer its dataset names active (the edit buffer while the
// dataset edits or inserts, the record being calculated or filtered inside OnCalcFields
// and OnFilterRecord), and every write goes through TDataSet::SetFieldValue, which checks
// the dataset's state and the field's ReadOnly and then tells the data links.
//
// Values are held in one canonical Variant kind per data type (see CanonicalVarType): the
// typed accessors convert from and to it. Reading a field of a dataset without a current
// record (closed or empty) gives Null, "" and 0, never an error.
//
// Fields are components. Fields the dataset makes for itself at Open (default fields)
// are owned by the dataset and freed at Close; fields made by the program before Open
// (persistent fields, also every calculated and lookup field) stay. A field's destructor
// takes it out of its dataset's field list.
#pragma once
#include <bitset>
#include <functional>
#include <vector>
#include "db/DatabaseError.h"
#include "db/FieldType.h"
#include "rtl/Classes.h"
#include "rtl/Variant.h"

class TDataSet;
class TField;
TField* CreateDefaultField(TFieldType type, TComponent* owner);

// Platform order.
enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };

using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, AnsiString& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const AnsiString& Text)>;

// The Variant kind a field of the type stores (varString for text and binary kinds,
// varOleStr for wide strings, varDate for date and time kinds, varVariant for ftVariant).
TVarType CanonicalVarType(TFieldType type);
// "String", "Integer", ... as the platform names the types in its messages.
const char* FieldTypeName(TFieldType type);

class TField : public TComponent {
 public:
  explicit TField(TComponent* AOwner);
  ~TField() override;

  // --- binding ------------------------------------------------------------------------
  TDataSet* DataSet() const { return FDataSet; }
  // Moves the field into the field list of the dataset (EDatabaseError SDataSetOpen when
  // either dataset is open).
  void SetDataSet(TDataSet* value);
  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& value);
  const AnsiString& FullName() const { return FFieldName; }
  TFieldType DataType() const { return FDataType; }
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind value);
  bool Calculated() const { return FFieldKind == fkCalculated; }
  void SetCalculated(bool value) { SetFieldKind(value ? fkCalculated : fkData); }
  bool Lookup() const { return FFieldKind == fkLookup; }
  void SetLookup(bool value) { SetFieldKind(value ? fkLookup : fkData); }
  // 1-based column of the record for a bound data field, 0 for any other field.
  int FieldNo() const { return FFieldNo; }
  // Position in the dataset's field list; setting it moves the field (-1 without dataset).
  int Index() const;
  void SetIndex(int value);

  // --- presentation -------------------------------------------------------------------
  int Size() const { return FSize; }
  void SetSize(int value);
  // DisplayLabel when one is set, else FieldName.
  AnsiString DisplayName() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  AnsiString DisplayLabel() const { return DisplayName(); }
  void SetDisplayLabel(const AnsiString& value);
  int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth(); }
  void SetDisplayWidth(int value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool Required() const { return FRequired; }
  void SetRequired(bool value) { FRequired = value; }
  const AnsiString& EditMask() const { return FEditMask; }
  void SetEditMask(const AnsiString& value) { FEditMask = value; }
  // A data field whose dataset can be modified and that is not ReadOnly.
  virtual bool CanModify() const;
  // Characters a user may type into the field (the editor's key filter).
  bool IsValidChar(char c) const { return FValidChars.test(static_cast<unsigned char>(c)); }
  const std::bitset<256>& ValidChars() const { return FValidChars; }
  void SetValidChars(const std::bitset<256>& value) { FValidChars = value; }
  // Asks the data links to focus the control that shows this field.
  void FocusControl();

  // --- lookup definition (FieldKind fkLookup) -----------------------------------------
  const AnsiString& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const AnsiString& value) { FKeyFields = value; }
  TDataSet* LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* value);
  const AnsiString& LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const AnsiString& value) { FLookupKeyFields = value; }
  const AnsiString& LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const AnsiString& value) { FLookupResultField = value; }

  // --- value of the active record -------------------------------------------------------
  bool IsNull() const;
  Variant Value() const;
  void SetValue(const Variant& value);
  Variant AsVariant() const { return Value(); }
  void SetAsVariant(const Variant& value) { SetValue(value); }
  AnsiString AsString() const { return GetAsString(); }
  void SetAsString(const AnsiString& value) { AssignString(value); }
  WideString AsWideString() const;
  void SetAsWideString(const WideString& value);
  int32_t AsInteger() const;
  void SetAsInteger(int32_t value) { AssignLargeInt(value); }
  int64_t AsLargeInt() const { return GetAsLargeInt(); }
  void SetAsLargeInt(int64_t value) { AssignLargeInt(value); }
  double AsFloat() const { return GetAsFloat(); }
  void SetAsFloat(double value) { AssignFloat(value); }
  Currency AsCurrency() const;
  void SetAsCurrency(Currency value) { AssignFloat(value.ToDouble()); }
  TDateTime AsDateTime() const { return GetAsDateTime(); }
  void SetAsDateTime(TDateTime value) { AssignDateTime(value); }
  bool AsBoolean() const { return GetAsBoolean(); }
  void SetAsBoolean(bool value) { AssignBoolean(value); }
  void Clear() { SetValue(Variant::Null()); }

  // Text: the edit text; DisplayText: the text shown when not editing. Both go through
  // OnGetText when assigned; SetText through OnSetText when assigned, else AsString.
  AnsiString Text() const { return GetDisplayText(false); }
  void SetText(const AnsiString& value);
  AnsiString DisplayText() const { return GetDisplayText(true); }
  AnsiString GetDisplayText(bool display) const;

  // --- events -------------------------------------------------------------------------
  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

  // --- used by the dataset ------------------------------------------------------------
  // Slot of the record the value lives in (data fields: their column; calculated and
  // lookup fields: after the data columns), -1 while unbound.
  int Slot() const { return FSlot; }
  void Bind(int slot, int fieldNo) { FSlot = slot; FFieldNo = fieldNo; }
  // The value converted to this field's canonical kind (Null stays Null); raises the
  // field's conversion errors.
  virtual Variant ConvertValue(const Variant& value) const;
  // Called by the dataset when the field is stored into: OnValidate.
  void Validate() { if (OnValidate) OnValidate(this); }
  void Change() { if (OnChange) OnChange(this); }
  void DataSetDestroying() { FDataSet = nullptr; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Subclasses fix their type and defaults in their constructor.
  void SetDataType(TFieldType type) { FDataType = type; }
  virtual int DefaultDisplayWidth() const { return 10; }
  // The edit or display text without OnGetText (DisplayFormat/EditFormat live here).
  virtual AnsiString GetText(bool display) const { return GetAsString(); }
  virtual AnsiString GetAsString() const;
  virtual int64_t GetAsLargeInt() const;
  virtual double GetAsFloat() const;
  virtual TDateTime GetAsDateTime() const;
  virtual bool GetAsBoolean() const;
  virtual void AssignString(const AnsiString& value);
  virtual void AssignLargeInt(int64_t value);
  virtual void AssignFloat(double value);
  virtual void AssignDateTime(TDateTime value);
  virtual void AssignBoolean(bool value);
  // The stored value of the active record (Null without one); aggregates override.
  virtual Variant StoredValue() const;
  virtual void Store(const Variant& canonical);
  [[noreturn]] void AccessError(const char* typeName) const;
  void SetAlignmentDefault(TAlignment a) { FAlignment = a; }
  std::bitset<256> FValidChars;

 private:
  TDataSet* FDataSet = nullptr;
  TDataSet* FLookupDataSet = nullptr;
  AnsiString FFieldName;
  AnsiString FDisplayLabel;
  AnsiString FEditMask;
  AnsiString FKeyFields, FLookupKeyFields, FLookupResultField;
  TFieldType FDataType = ftUnknown;
  TFieldKind FFieldKind = fkData;
  TAlignment FAlignment = taLeftJustify;
  int FSize = 0;
  int FDisplayWidth = 0;
  int FSlot = -1;
  int FFieldNo = 0;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;

  friend class TDataSet;
  friend TField* CreateDefaultField(TFieldType type, TComponent* owner);
};

// The field list of a dataset, in display order. Holds no ownership.
class TFields {
 public:
  explicit TFields(TDataSet* owner) : FDataSet(owner) {}
  int Count() const { return static_cast<int>(FList.size()); }
  // EDatabaseError SFieldIndexError outside 0..Count-1.
  TField* Fields(int index) const;
  TField* operator[](int index) const { return Fields(index); }
  // Case-insensitive (ASCII); the first of several fields with the name wins.
  TField* FindField(std::string_view name) const;
  TField* FieldByName(std::string_view name) const;  // SFieldNotFound when absent
  TField* FieldByNumber(int fieldNo) const;          // nullptr when absent
  int IndexOf(const TField* field) const;
  TDataSet* DataSet() const { return FDataSet; }
  std::vector<TField*>::const_iterator begin() const { return FList.begin(); }
  std::vector<TField*>::const_iterator end() const { return FList.end(); }

 private:
  friend class TDataSet;
  friend class TField;
  void Add(TField* f) { FList.push_back(f); }
  void Remove(TField* f);
  void Move(int from, int to);
  TDataSet* FDataSet;
  std::vector<TField*> FList;
};
