// Parameter lists (TParams/TParam) and their packing into one Variant for remote calls.
//
// Packed form (what PackageParams writes, UnpackParams reads, and the remote methods and
// the stand-in server exchange):
//   Null                                   for an empty list (or no parameter of the
//                                          kinds asked for)
//   VarArrayOf([P0, P1, ...])              zero-based varVariant array, one per parameter
//   Pi = VarArrayOf([Name, Value, DataType, ParamType, Size, Precision, NumericScale])
//        Name          string
//        Value         the value (Null when the parameter is null)
//        DataType      integer, the TFieldType ordinal
//        ParamType     integer: 0 unknown, 1 input, 2 output, 3 input/output, 4 result
//        Size, Precision, NumericScale   integers
//
// UnpackParams takes input from outside: it accepts arrays with any low bound, needs at
// least Name and Value per parameter (the rest default to 0), and raises EDataPacketError
// "Invalid parameter list: ..." for any other shape, a DataType or ParamType out of
// range, or more than kMaxPackedParams parameters. A failed unpack leaves Dest unchanged.
#pragma once
#include <memory>
#include <vector>
#include "db/DatabaseError.h"
#include "db/FieldType.h"
#include "rtl/Classes.h"
#include "rtl/Variant.h"

// Platform order.
enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
using TParamTypes = uint8_t;  // bit (1 << TParamType)
constexpr TParamTypes AllParamTypes = 0x1F;

constexpr int kMaxPackedParams = 1024;

class TParams;

class TParam : public TPersistent {
 public:
  explicit TParam(TParams* owner = nullptr) : FOwner(owner) {}

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& v) { FName = v; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType v) { FDataType = v; }
  TParamType ParamType() const { return FParamType; }
  void SetParamType(TParamType v) { FParamType = v; }
  int Size() const { return FSize; }
  void SetSize(int v) { FSize = v; }
  int Precision() const { return FPrecision; }
  void SetPrecision(int v) { FPrecision = v; }
  int NumericScale() const { return FNumericScale; }
  void SetNumericScale(int v) { FNumericScale = v; }
  bool Bound() const { return FBound; }
  void SetBound(bool v) { FBound = v; }

  // The value; Null when the parameter is null. Setting it binds the parameter and, when
  // DataType is still ftUnknown, sets DataType from the value's kind.
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& v);
  bool IsNull() const { return FValue.IsNull() || FValue.IsEmpty(); }
  void Clear() { FValue = Variant::Null(); }

  // Typed access: getters give "", 0, False for Null; setters also set DataType.
  AnsiString AsString() const { return IsNull() ? AnsiString() : FValue.AsString(); }
  void SetAsString(const AnsiString& v) { FDataType = ftString; Bind(Variant(v)); }
  int32_t AsInteger() const { return IsNull() ? 0 : FValue.AsInteger(); }
  void SetAsInteger(int32_t v) { FDataType = ftInteger; Bind(Variant(v)); }
  double AsFloat() const { return IsNull() ? 0.0 : FValue.AsDouble(); }
  void SetAsFloat(double v) { FDataType = ftFloat; Bind(Variant(v)); }
  Currency AsCurrency() const { return IsNull() ? Currency() : FValue.AsCurrency(); }
  void SetAsCurrency(Currency v) { FDataType = ftCurrency; Bind(Variant::FromCurrency(v)); }
  bool AsBoolean() const { return !IsNull() && FValue.AsBoolean(); }
  void SetAsBoolean(bool v) { FDataType = ftBoolean; Bind(Variant(v)); }
  TDateTime AsDateTime() const { return IsNull() ? 0.0 : FValue.AsDateTime(); }
  void SetAsDateTime(TDateTime v) { FDataType = ftDateTime; Bind(Variant::FromDate(v)); }

  // Copies name, type, kind, size, precision, scale and value of another TParam.
  void Assign(TPersistent* Source) override;

 private:
  void Bind(const Variant& v) { FValue = v; FBound = true; }
  TParams* FOwner;
  AnsiString FName;
  Variant FValue = Variant::Null();
  TFieldType FDataType = ftUnknown;
  TParamType FParamType = ptUnknown;
  int FSize = 0, FPrecision = 0, FNumericScale = 0;
  bool FBound = false;
};

class TParams : public TPersistent {
 public:
  TParams() = default;
  int Count() const { return static_cast<int>(FItems.size()); }
  // EListError "List index out of bounds (%d)" outside 0..Count-1.
  TParam* Items(int index) const;
  TParam* operator[](int index) const { return Items(index); }
  TParam* Add();
  TParam* CreateParam(TFieldType type, const AnsiString& name, TParamType kind);
  void Clear() { FItems.clear(); }
  void RemoveParam(TParam* p);
  // Case-insensitive; the first of repeated names.
  TParam* FindParam(std::string_view name) const;
  TParam* ParamByName(std::string_view name) const;  // EDatabaseError SParameterNotFound
  // Replaces the list with copies of Source's parameters (TParams source).
  void Assign(TPersistent* Source) override;

 private:
  std::vector<std::unique_ptr<TParam>> FItems;
};

// The packed form of the parameters whose kind is in `types` (see above).
Variant PackageParams(const TParams& params, TParamTypes types = AllParamTypes);
// Reads a packed list into Dest: a parameter of the same name (ignoring case) is updated,
// others are added at the end, in the packed order.
void UnpackParams(const Variant& source, TParams& dest);
