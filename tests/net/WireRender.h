// Renders Variants and data packets as one string, so that tests compare whole values.
#pragma once
#include <cstdio>
#include <string>

#include "db/DataPacket.h"
#include "rtl/Variant.h"

namespace nettest {

inline std::string Render(const Variant& v) {
  char buf[64];
  const TVarType t = v.VType();
  if (v.IsArray()) {
    const TVarArray* a = v.ArrayData();
    std::string s = "Array(" + std::to_string(t & varTypeMask) + ")";
    for (const auto& b : a->Bounds) s += "[" + std::to_string(b.LowBound) + "+" + std::to_string(b.ElementCount) + "]";
    s += "{";
    for (size_t i = 0; i < a->Items.size(); ++i) s += (i ? "," : "") + Render(a->Items[i]);
    return s + "}";
  }
  switch (t) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSingle: case varDouble: case varDate:
      std::snprintf(buf, sizeof buf, "%.17g", v.RawDouble());
      return std::to_string(t) + ":" + buf;
    case varCurrency: return "Currency:" + std::to_string(v.AsCurrency().Scaled());
    case varFMTBcd: return "Bcd:" + std::to_string(v.AsBcd().Unscaled) + "e-" + std::to_string(v.AsBcd().Scale);
    case varString: return "String:" + v.RawString();
    case varOleStr: return "OleStr:" + WideToUtf8(v.RawWide());
    case varBoolean: return v.AsBoolean() ? "Boolean:True" : "Boolean:False";
    default: return std::to_string(t) + ":" + std::to_string(v.AsInt64());
  }
}

inline std::string Render(const TDataPacket& p) {
  std::string s = "fields:";
  for (const auto& f : p.Fields)
    s += " " + f.Name + "/" + std::to_string(f.DataType) + "/" + std::to_string(f.Size) + "/" +
         std::to_string(f.Precision) + (f.Required ? "/req" : "");
  s += "\nrows:";
  for (const auto& r : p.Rows) {
    s += "\n ";
    for (const auto& v : r) s += " " + Render(v);
  }
  return s + "\nparams: " + Render(p.Params);
}

}  // namespace nettest
