// Parameter lists as they travel in remote calls, seen from the server.
//
// A packed list is Null (or Empty) when it holds no parameter, else a zero-based
// one-dimensional varVariant array with one element per parameter; each element is a
// zero-based array [Name, Value, DataType, ParamType, Size, Precision, NumericScale]
// (DataType a TFieldType ordinal, ParamType 0 unknown, 1 input, 2 output, 3 input/
// output, 4 result). Unpacking accepts elements of two to seven entries (missing ones
// count as 0) and checks every entry; a list that does not have this shape raises
// EParamError saying which parameter is at fault.
#pragma once
#include <vector>
#include "db/FieldType.h"
#include "rtl/AnsiString.h"
#include "rtl/Variant.h"

namespace store {

enum ParamKind { pkUnknown = 0, pkInput = 1, pkOutput = 2, pkInputOutput = 3, pkResult = 4 };

struct PackedParam {
  AnsiString Name;
  Variant Value;
  TFieldType DataType = ftUnknown;
  int ParamType = pkUnknown;
  int Size = 0;
  int Precision = 0;
  int NumericScale = 0;
};

// At most this many parameters in one list.
constexpr int kMaxParams = 1000;

std::vector<PackedParam> UnpackParams(const Variant& packed);
// Null for an empty list.
Variant PackParams(const std::vector<PackedParam>& params);

}  // namespace store
