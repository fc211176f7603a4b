// Variant: the platform's self-describing value (OLE-compatible type codes), its
// conversion rules, comparison, arithmetic and arrays.
//
// A Variant holds exactly one value of the kind named by its type code (VType()). Strings
// are held as they came: varString an AnsiString (GBK bytes), varOleStr a WideString
// (UTF-16); text conversions between the two go through GBK <-> UTF-16. Arrays are values:
// copying a Variant copies its array (copy-on-write underneath, so copies are cheap and
// a write through one copy never shows in another).
//
// ---------------------------------------------------------------------------------------
// Conversion rules (VarAsType, the As... accessors, and the implicit conversions that
// comparison and arithmetic make). "->" reads "converts to".
//
//   source \ target | integer kinds        | Single/Double/Date   | Currency / FMTBcd   | Boolean             | String / OleStr
//   ----------------+----------------------+----------------------+---------------------+---------------------+--------------------------
//   Empty           | 0                    | 0                    | 0                   | False               | ""
//   Null            | EVariantTypeCastError (for every target except Empty, Null, Variant)
//   Boolean         | True -1, False 0     | -1.0 / 0.0           | -1 / 0              | itself              | "True" / "False"
//   integer kinds   | value; out of range  | value                | value; out of range | value <> 0          | IntToStr
//                   | EVariantOverflowError|                      | EVariantOverflowError|                    |
//   Single/Double   | rounded half to even | value                | Currency: rounded to| value <> 0          | FloatToStr (Single: 7
//                   | (x.5 -> even), range |                      | 4 places, half away |                     | significant digits)
//                   | checked as above;    |                      | from zero; FMTBcd:  |                     |
//                   | NaN/inf overflow     |                      | the 15-digit text   |                     |
//                   |                      |                      | exactly; too large  |                     |
//                   |                      |                      | EVariantOverflowError|                    |
//   Date            | as Double            | the day number       | as Double           | value <> 0          | DateTimeToStr (time left
//                   |                      |                      |                     |                     | out when it is 0:00;
//                   |                      |                      |                     |                     | on day 0, 1899-12-30,
//                   |                      |                      |                     |                     | the time alone: 0.5 is
//                   |                      |                      |                     |                     | "12:00:00")
//   Currency        | rounded half to even | value / 10000        | itself / exact      | value <> 0          | CurrToStr
//   FMTBcd          | rounded half to even | value                | Currency: 4 places, | value <> 0          | shortest decimal text
//                   |                      |                      | half away from zero |                     | ("12.5", "-0.001")
//   String/OleStr   | via the number text  | StrToFloat ('.' as   | the decimal text    | "True"/"False" (any | itself; OleStr <-> String
//                   | (an integer text     | decimal separator,   | (StrToCurr; FMTBcd: | case), else a number| through GBK <-> UTF-16
//                   | exactly, else as     | blanks around        | exactly, more than  | text <> 0; else     |
//                   | Double then rounded) | allowed); Date: the  | 18 places rounded)  | EVariantTypeCastError|
//                   |                      | date/time text first,|                     |                     |
//                   |                      | then a number        |                     |                     |
//   Array           | EVariantTypeCastError (an array converts only to an array of the same kind)
//
// A text that is no number raises EVariantTypeCastError. Every type-cast error reads
//   "Could not convert variant of type (<from>) into type (<to>)"
// and every overflow
//   "Overflow while converting variant of type (<from>) into type (<to>)"
// with the names of VarTypeAsText ("Null", "Integer", "String", "OleStr", "Array Variant" ...).
// The integer kinds: Smallint, Integer, ShortInt, Byte, Word, LongWord, Int64.
//
// ---------------------------------------------------------------------------------------
// Comparison (operator== ... operator>=, VarCompareValue):
//   - Null equals Null and nothing else; for ordering, Null is less than every other value
//     (so Null < 0 and Null < ""), never an exception. VarCompareValue answers vrNotEqual
//     whenever exactly one side is Null or exactly one side is Empty (the platform's
//     VarCompareValue), and vrEqual for Null/Null and Empty/Empty.
//   - Empty against anything else converts to the other side's kind: 0, "" or False.
//   - Two strings (String or OleStr, in any mix) compare as the same text: by the locale
//     order of the Chinese platform (AnsiCompareStr over GBK, case-sensitive); two
//     different wide texts that read the same in GBK are ordered by their UTF-16 units.
//   - A string against a number converts the string to a number (Double, or Currency/
//     FMTBcd exactly); a string against a Date reads it as a date/time text, else as a
//     number; a string against a Boolean reads "True"/"False" (any case) as -1/0 and any
//     other text as a number (so "0.5" > True, keeping the order transitive). A text that does not
//     convert raises EVariantTypeCastError (callers that must not fail catch it).
//   - Numbers compare by value across kinds: integers exactly as Int64, Currency and
//     FMTBcd exactly as scaled decimals, anything with Single/Double/Date by the exact
//     binary value. Boolean counts as -1 / 0 (so True < False). A NaN equals NaN and is
//     less than every other number, so the order stays total.
//   - Arrays cannot be compared: EVariantInvalidOpError "Invalid variant operation".
//
// Arithmetic (+ - * / and unary -): Null on either side gives Null. Empty counts as 0
// (as "" for string + string). Result kinds:
//   - String + String (either kind) concatenates; the result is OleStr when either side is
//     OleStr, else String. A string with a number, or any other operator on strings,
//     converts the string to a number first (Double; a non-number raises the type-cast
//     error).
//   - integer kinds and Boolean: computed in Int64; the result is Int64 when either side
//     is Int64 or LongWord, else Integer when it fits, else Int64 (a result past Int64
//     raises EVariantOverflowError "Variant overflow"). Unary - of an integer kind gives
//     Integer or Int64 alike.
//   - "/" of integers, and anything with Single or Double: Double.
//   - Date + or - a number: Date; Date - Date: Double; * and / with a Date: Double.
//   - Currency with integers or Currency: Currency (exact for + - *, "/" rounded to 4
//     places by the Currency rule); Currency with Double: Double. A Currency result out
//     of range raises EVariantOverflowError "Variant overflow".
//   - FMTBcd with integers, Currency or FMTBcd: FMTBcd for + - * (exact; a product whose
//     scale passes 18 places is rounded), Double for "/".
//   - Division by zero: EZeroDivide "Floating point division by zero" (every kind).
//   - Arrays: EVariantInvalidOpError.
// ---------------------------------------------------------------------------------------
#pragma once
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <variant>
#include <vector>
#include "rtl/AnsiString.h"
#include "rtl/Currency.h"
#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"

// Type codes of the platform.
enum : uint16_t {
  varEmpty = 0x0000,
  varNull = 0x0001,
  varSmallint = 0x0002,
  varInteger = 0x0003,
  varSingle = 0x0004,
  varDouble = 0x0005,
  varCurrency = 0x0006,
  varDate = 0x0007,
  varOleStr = 0x0008,
  varBoolean = 0x000B,
  varVariant = 0x000C,   // element type of arrays that hold any Variant
  varShortInt = 0x0010,
  varByte = 0x0011,
  varWord = 0x0012,
  varLongWord = 0x0013,
  varInt64 = 0x0014,
  varString = 0x0100,
  // The decimal-BCD custom type of the data layer (NUMERIC/DECIMAL fields): a scaled
  // decimal, an Int64 of unscaled digits and a scale of 0..18 places (value =
  // Unscaled / 10^Scale). The code is fixed for this library.
  varFMTBcd = 0x0110,
  varTypeMask = 0x0FFF,
  varArray = 0x2000,
};

using TVarType = uint16_t;

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

// A scaled decimal: the value of a varFMTBcd Variant.
struct TBcd {
  int64_t Unscaled = 0;
  int Scale = 0;  // 0..18
};

// One dimension of an array: LowBound..HighBound (HighBound = LowBound - 1 when empty).
struct TVarArrayBound {
  int LowBound = 0;
  int ElementCount = 0;
};

class Variant;
struct TVarArray;

class Variant {
 public:
  // --- construction -----------------------------------------------------------------
  Variant() = default;  // Empty (Unassigned)
  Variant(bool v);                    // varBoolean
  Variant(signed char v);             // varShortInt
  Variant(unsigned char v);           // varByte
  Variant(short v);                   // varSmallint
  Variant(unsigned short v);          // varWord
  Variant(int v);                     // varInteger
  Variant(unsigned v);                // varLongWord
  Variant(long v);                    // varInt64 where long has 64 bits (so int64_t is always
                                      // varInt64), else varInteger
  Variant(unsigned long v);           // varLongWord when it fits, else varInt64 (overflow past Int64)
  Variant(long long v);               // varInt64
  Variant(unsigned long long v);      // varInt64; EVariantOverflowError past Int64
  Variant(float v);                   // varSingle
  Variant(double v);                  // varDouble
  Variant(Currency v);                // varCurrency
  Variant(const char* v);             // varString (GBK bytes); nullptr gives ""
  Variant(char* v) : Variant(static_cast<const char*>(v)) {}
  Variant(std::string_view v);        // varString
  Variant(const AnsiString& v);       // varString
  Variant(AnsiString&& v);            // varString
  Variant(const char16_t* v);         // varOleStr
  Variant(const WideString& v);       // varOleStr
  Variant(WideString&& v);            // varOleStr
  Variant(const TBcd& v);             // varFMTBcd
  // No Variant from other pointers (they would silently become Booleans).
  template <class T>
  Variant(T*) = delete;

  static Variant Null();
  static Variant Empty() { return Variant(); }
  // Explicit kinds whose C++ type is ambiguous.
  static Variant FromDate(TDateTime v);                 // varDate
  static Variant FromCurrency(Currency v);              // varCurrency
  static Variant FromBcd(int64_t unscaled, int scale);  // varFMTBcd; EVariantInvalidArgError for scale outside 0..18
  // The value converted to the given type (VarAsType).
  static Variant OfType(TVarType type, const Variant& value);

  // --- kind ---------------------------------------------------------------------------
  TVarType VType() const { return FType; }
  bool IsNull() const { return FType == varNull; }
  bool IsEmpty() const { return FType == varEmpty; }
  bool IsArray() const { return (FType & varArray) != 0; }

  // --- conversion (rule table above) --------------------------------------------------
  int32_t AsInteger() const;
  int64_t AsInt64() const;
  double AsDouble() const;
  bool AsBoolean() const;
  AnsiString AsString() const;
  WideString AsWideString() const;
  Currency AsCurrency() const;
  TDateTime AsDateTime() const;
  TBcd AsBcd() const;

  // --- arrays -------------------------------------------------------------------------
  // Element access of a one-dimensional array (index within its bounds), else
  // EVariantBadIndexError "Variant or safe array index out of bounds"; a non-array
  // raises EVariantInvalidArgError "Invalid argument".
  const Variant& operator[](int index) const;
  Variant GetElement(int index) const { return (*this)[index]; }
  // Stores value, converted to the array's element type (any Variant for varVariant).
  void PutElement(int index, const Variant& value);

  // Internal access used by the array routines and comparison.
  const TVarArray* ArrayData() const { return FArray.get(); }
  TVarArray* MutableArray();  // unshares first (copy-on-write)

  // Raw payloads, valid only for the matching kinds (internal use of the runtime).
  int64_t RawInt() const { return FInt; }
  double RawDouble() const { return FDouble; }
  int RawScale() const { return FScale; }
  const AnsiString& RawString() const;
  const WideString& RawWide() const;

 private:
  friend Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elemType);
  friend Variant VarArrayCreateDims(const std::vector<TVarArrayBound>& dims, TVarType elemType);
  friend struct VariantAccess;

  TVarType FType = varEmpty;
  int16_t FScale = 0;                 // varFMTBcd scale
  union {
    int64_t FInt = 0;                 // integer kinds, Boolean (0/1), Currency, FMTBcd unscaled
    double FDouble;                   // Single (exactly), Double, Date
  };
  std::shared_ptr<const AnsiString> FStr;   // varString
  std::shared_ptr<const WideString> FWide;  // varOleStr
  std::shared_ptr<TVarArray> FArray;        // arrays; shared until written
};

// Array payload: dimensions (first = leftmost) and the elements in row-major order.
struct TVarArray {
  TVarType ElementType = varVariant;
  std::vector<TVarArrayBound> Bounds;
  std::vector<Variant> Items;
};

// The empty value (varEmpty), as the platform's Unassigned.
extern const Variant Unassigned;
// Null as a value.
inline Variant NullVariant() { return Variant::Null(); }

// --- conversion and type tests -------------------------------------------------------
TVarType VarType(const Variant& v);
Variant VarAsType(const Variant& v, TVarType type);
bool VarIsType(const Variant& v, TVarType type);
bool VarIsType(const Variant& v, std::initializer_list<TVarType> types);
bool VarIsNull(const Variant& v);
bool VarIsEmpty(const Variant& v);
bool VarIsClear(const Variant& v);      // Empty
bool VarIsArray(const Variant& v);
bool VarIsStr(const Variant& v);        // varString, varOleStr
bool VarIsOrdinal(const Variant& v);    // Smallint, Integer, Boolean, ShortInt, Byte, Word, LongWord, Int64
bool VarIsFloat(const Variant& v);      // Single, Double, Currency, FMTBcd
bool VarIsNumeric(const Variant& v);    // VarIsOrdinal or VarIsFloat
AnsiString VarToStr(const Variant& v);  // Null gives "", else AsString
WideString VarToWideStr(const Variant& v);
TDateTime VarToDateTime(const Variant& v);
// "Integer", "String", "Null", "Array Variant"... as the errors print them.
AnsiString VarTypeAsText(TVarType type);

// --- comparison ----------------------------------------------------------------------
bool operator==(const Variant& a, const Variant& b);
bool operator<(const Variant& a, const Variant& b);
inline bool operator>(const Variant& a, const Variant& b) { return b < a; }
inline bool operator<=(const Variant& a, const Variant& b) { return !(b < a); }
inline bool operator>=(const Variant& a, const Variant& b) { return !(a < b); }
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
// Empty equals only Empty, Null only Null; otherwise a == b.
bool VarSameValue(const Variant& a, const Variant& b);

// --- arithmetic ----------------------------------------------------------------------
Variant operator+(const Variant& a, const Variant& b);
Variant operator-(const Variant& a, const Variant& b);
Variant operator*(const Variant& a, const Variant& b);
Variant operator/(const Variant& a, const Variant& b);
Variant operator-(const Variant& a);
inline Variant& operator+=(Variant& a, const Variant& b) { return a = a + b; }
inline Variant& operator-=(Variant& a, const Variant& b) { return a = a - b; }

// --- arrays --------------------------------------------------------------------------
// VarArrayCreate({low1, high1, low2, high2, ...}, elemType): an array with one dimension
// per pair; high = low - 1 makes an empty dimension. Elements start as Empty (varVariant)
// or as the element type's zero ("" for strings). An odd count or high < low - 1 raises
// EVariantInvalidArgError; elemType must be a scalar kind or varVariant.
Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elemType);
Variant VarArrayCreateDims(const std::vector<TVarArrayBound>& dims, TVarType elemType);
// A zero-based one-dimensional varVariant array of the given values.
Variant VarArrayOf(std::initializer_list<Variant> values);
Variant VarArrayOf(const std::vector<Variant>& values);
// Dimension count (0 for a non-array); bounds of dimension dim (1-based), else
// EVariantInvalidArgError ("Invalid argument") for a non-array or a bad dim.
int VarArrayDimCount(const Variant& v);
int VarArrayLowBound(const Variant& v, int dim);
int VarArrayHighBound(const Variant& v, int dim);
TVarType VarArrayElementType(const Variant& v);  // EVariantInvalidArgError for a non-array
// Element by one index per dimension; EVariantBadIndexError outside the bounds or with the
// wrong number of indexes.
Variant VarArrayGet(const Variant& a, std::initializer_list<int> indices);
void VarArrayPut(Variant& a, const Variant& value, std::initializer_list<int> indices);
// Changes the high bound of the last dimension, keeping the elements that stay inside;
// new elements start as in VarArrayCreate.
void VarArrayRedim(Variant& a, int highBound);
