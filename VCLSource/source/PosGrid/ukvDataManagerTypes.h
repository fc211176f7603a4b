// Value types: how one kind of field value is kept in a record of the record storage,
// how it becomes a Variant and back, compares, shows as text and goes to a stream.
//
// A value type is a stateless strategy object; the storage and the data controller
// hold class references (TkvValueTypeClass, a pointer to the type's one instance) and
// call its operations. Fixed-width values live in the record's bytes; texts, wide
// texts and Variants live in a cell of the record (TkvCell), so the record owns them
// and frees them by itself.
//
// Conversions are checked: a value that does not convert, or that does not fit the
// type (70000 into a 16-bit type), raises the platform's Variant error and leaves the
// place unchanged.
#pragma once
#include <cstdint>
#include <memory>
#include "VCLSource/source/PosGrid/ukvDataManagerCell.h"
#include "rtl/AnsiString.h"
#include "rtl/Streams.h"
#include "rtl/Variant.h"

// Where one value lives: its bytes in the record (DataSize of them) and, for the
// types held in a cell, that cell.
struct TkvValuePlace {
  uint8_t* Data = nullptr;
  TkvCell* Cell = nullptr;
};
struct TkvConstPlace {
  const uint8_t* Data = nullptr;
  const TkvCell* Cell = nullptr;
  TkvConstPlace() = default;
  TkvConstPlace(const uint8_t* d, const TkvCell* c) : Data(d), Cell(c) {}
  TkvConstPlace(const TkvValuePlace& p) : Data(p.Data), Cell(p.Cell) {}
};

class TkvValueType {
 public:
  TkvValueType() = default;
  TkvValueType(const TkvValueType&) = delete;
  TkvValueType& operator=(const TkvValueType&) = delete;
  virtual ~TkvValueType() = default;

  // Negative, 0 or positive as the first value sorts before, with or after the second.
  virtual int CompareBuffers(TkvConstPlace p1, TkvConstPlace p2) const { return CompareValues(p1, p2); }
  // Releases what the place holds (a cell type empties its cell).
  virtual void FreeValue(TkvValuePlace p) const {}
  // Bytes the value takes in the record (0 for a type held in a cell).
  virtual int DataSize() const { return 0; }
  virtual bool UsesCell() const { return false; }
  virtual void GetVariant(TkvConstPlace p, Variant& v) const { v = Variant::Null(); }
  // The value's text; '' when it has none or its conversion fails.
  virtual void GetDisplayText(TkvConstPlace p, AnsiString& s) const;
  // ReadVariant, then SetVariant.
  virtual void ReadValue(TkvValuePlace p, TStream& stream) const;
  // Converts v to the type and stores it; on failure raises and leaves p unchanged.
  virtual void SetVariant(TkvValuePlace p, const Variant& v) const {}
  // GetVariant, then WriteVariant.
  virtual void WriteValue(TkvConstPlace p, TStream& stream) const;
  // The class name without "Tkv" and "ValueType" ("String"); '' for the base.
  virtual AnsiString ShortName() const { return AnsiString(); }
  virtual int CompareValues(TkvConstPlace p1, TkvConstPlace p2) const;
  virtual TVarType VarType() const { return varVariant; }
  // True for Null and for the Variant type; else casts v in place to VarType: true, or
  // false (v unchanged) when the cast fails.
  bool TryCast(Variant& v) const;
  virtual bool IsString() const { return false; }

  // Text cells (a record's stored texts).
  static void FreeText(TkvCell& cell) { cell.Clear(); }
  static void GetText(const TkvCell& cell, AnsiString& s) { s.assign(cell.Text()); }
  static void SetText(TkvCell& cell, const AnsiString& s) { cell.SetText(s); }
  static void ReadText(TkvCell& cell, TStream& stream);
  static void WriteText(const TkvCell& cell, TStream& stream);
};

using TkvValueTypeClass = const TkvValueType*;

// The twelve value types; each Class() is the type's one instance.
#define KV_VALUE_TYPE_CLASS(Name) TkvValueTypeClass Name##Class();
KV_VALUE_TYPE_CLASS(TkvStringValueType)
KV_VALUE_TYPE_CLASS(TkvWideStringValueType)
KV_VALUE_TYPE_CLASS(TkvSmallintValueType)
KV_VALUE_TYPE_CLASS(TkvIntegerValueType)
KV_VALUE_TYPE_CLASS(TkvWordValueType)
KV_VALUE_TYPE_CLASS(TkvBooleanValueType)
KV_VALUE_TYPE_CLASS(TkvFloatValueType)
KV_VALUE_TYPE_CLASS(TkvCurrencyValueType)
KV_VALUE_TYPE_CLASS(TkvDateTimeValueType)
KV_VALUE_TYPE_CLASS(TkvLargeIntValueType)
KV_VALUE_TYPE_CLASS(TkvFMTBcdValueType)
KV_VALUE_TYPE_CLASS(TkvVariantValueType)
#undef KV_VALUE_TYPE_CLASS
// The base class itself (values always Null).
TkvValueTypeClass TkvValueTypeBaseClass();
