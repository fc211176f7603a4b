// Parameter lists of remote calls; see ParamPacking.h.
#include "server/ParamPacking.h"

#include <cstdint>
#include "server/StoreErrors.h"

namespace store {
namespace {

int IntEntry(const Variant& v, int index, const char* what) {
  if (v.IsEmpty() || v.IsNull()) return 0;
  if (!VarIsOrdinal(v)) {
    throw EParamError("Parameter list: entry " + std::to_string(index) + " has a " + what +
                      " that is not an integer.");
  }
  const int64_t n = v.AsInt64();
  if (n < INT32_MIN || n > INT32_MAX) {
    throw EParamError("Parameter list: entry " + std::to_string(index) + " has a " + what +
                      " out of range.");
  }
  return static_cast<int>(n);
}

bool IsZeroBasedVector(const Variant& v) {
  return VarIsArray(v) && VarArrayDimCount(v) == 1 && VarArrayLowBound(v, 1) == 0;
}

}  // namespace

std::vector<PackedParam> UnpackParams(const Variant& packed) {
  std::vector<PackedParam> out;
  if (packed.IsNull() || packed.IsEmpty()) return out;
  if (!IsZeroBasedVector(packed)) {
    throw EParamError("Parameter list: not a zero-based array of parameters.");
  }
  const int count = VarArrayHighBound(packed, 1) + 1;
  if (count > kMaxParams) {
    throw EParamError("Parameter list: " + std::to_string(count) + " parameters (at most " +
                      std::to_string(kMaxParams) + ").");
  }
  for (int i = 0; i < count; ++i) {
    const Variant& e = packed[i];
    if (!IsZeroBasedVector(e)) {
      throw EParamError("Parameter list: entry " + std::to_string(i) + " is not an array.");
    }
    const int n = VarArrayHighBound(e, 1) + 1;
    if (n < 2 || n > 7) {
      throw EParamError("Parameter list: entry " + std::to_string(i) + " has " +
                        std::to_string(n) + " fields (2 to 7 expected).");
    }
    PackedParam p;
    if (!VarIsStr(e[0])) {
      throw EParamError("Parameter list: entry " + std::to_string(i) + " has no name.");
    }
    p.Name = e[0].AsString();
    p.Value = e[1];
    if (VarIsArray(p.Value)) {
      throw EParamError("Parameter " + p.Name + ": an array is not a parameter value.");
    }
    const int type = n > 2 ? IntEntry(e[2], i, "data type") : 0;
    if (type < 0 || type >= kFieldTypeCount) {
      throw EParamError("Parameter " + p.Name + ": unknown data type " + std::to_string(type) + ".");
    }
    p.DataType = static_cast<TFieldType>(type);
    p.ParamType = n > 3 ? IntEntry(e[3], i, "parameter kind") : 0;
    if (p.ParamType < pkUnknown || p.ParamType > pkResult) {
      throw EParamError("Parameter " + p.Name + ": unknown parameter kind " +
                        std::to_string(p.ParamType) + ".");
    }
    p.Size = n > 4 ? IntEntry(e[4], i, "size") : 0;
    p.Precision = n > 5 ? IntEntry(e[5], i, "precision") : 0;
    p.NumericScale = n > 6 ? IntEntry(e[6], i, "scale") : 0;
    out.push_back(std::move(p));
  }
  return out;
}

Variant PackParams(const std::vector<PackedParam>& params) {
  if (params.empty()) return Variant::Null();
  std::vector<Variant> items;
  items.reserve(params.size());
  for (const PackedParam& p : params) {
    items.push_back(VarArrayOf({Variant(p.Name), p.Value, Variant(static_cast<int>(p.DataType)),
                                Variant(p.ParamType), Variant(p.Size), Variant(p.Precision),
                                Variant(p.NumericScale)}));
  }
  return VarArrayOf(items);
}

}  // namespace store
