// Record sets of text columns, as the screens' look-up queries return them, for tests:
// a data packet (what a fake server answers) or a client dataset opened on one.
#pragma once
#include <memory>
#include <vector>

#include "db/ClientDataSet.h"
#include "db/DataPacket.h"

namespace postest {

// String columns of `size` bytes named `names`, holding `rows` (one text per column).
inline TDataPacket TextPacket(const std::vector<const char*>& names, const std::vector<std::vector<const char*>>& rows,
                              int size = 40) {
  TDataPacket p;
  for (const char* n : names) p.Fields.push_back({n, ftString, size});
  for (const auto& r : rows) {
    std::vector<Variant> values;
    for (const char* text : r) values.push_back(Variant(text));
    p.Rows.push_back(std::move(values));
  }
  return p;
}

inline std::unique_ptr<TClientDataSet> TextDataSet(const std::vector<const char*>& names,
                                                   const std::vector<std::vector<const char*>>& rows,
                                                   int size = 40) {
  auto ds = std::make_unique<TClientDataSet>(nullptr);
  ds->SetData(TextPacket(names, rows, size));
  return ds;
}

}  // namespace postest
