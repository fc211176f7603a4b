// A data controller over a client dataset of six mixed columns, for the controller's
// tests: ID (integer), NAME (text), PRICE (float), AMOUNT (BCD), DAY (date) and ACTIVE
// (Boolean), one field item per column in that order.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "VCLSource/source/PosGrid/ukvDbHelperController.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "VCLSource/source/PosGrid/ukvDbHelperProvider.h"
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSearch.h"
#include "VCLSource/source/PosGrid/ukvDbHelperSummary.h"
#include "db/ClientDataSet.h"
#include "db/DataLink.h"

namespace kvtest {

struct Row6 {
  Variant Id, Name, Price, Amount, Day, Active;
};

inline TDataPacket Packet6(const std::vector<Row6>& rows) {
  TDataPacket p;
  p.Fields = {{"ID", ftInteger, 0}, {"NAME", ftString, 20}, {"PRICE", ftFloat, 0},
              {"AMOUNT", ftBCD, 4}, {"DAY", ftDateTime, 0}, {"ACTIVE", ftBoolean, 0}};
  for (const Row6& r : rows) p.Rows.push_back({r.Id, r.Name, r.Price, r.Amount, r.Day, r.Active});
  return p;
}

// Rows with only ID and NAME set.
inline std::vector<Row6> Named(const std::vector<std::pair<int, const char*>>& items) {
  std::vector<Row6> rows;
  const Variant n = Variant::Null();
  for (const auto& [id, name] : items) rows.push_back({Variant(id), name ? Variant(name) : n, n, n, n, n});
  return rows;
}

class Grid {
 public:
  explicit Grid(const std::vector<Row6>& rows = {}) {
    DataSet = std::make_unique<TClientDataSet>(nullptr);
    DataSet->SetData(Packet6(rows));
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(DataSet.get());
    C = std::make_unique<TkvCustomDbDataController>(nullptr);
    for (const char* n : {"ID", "NAME", "PRICE", "AMOUNT", "DAY", "ACTIVE"}) C->AddField(nullptr, n);
    C->OnChanged = [this](TObject*, uint16_t mask) {
      Masks.push_back(mask);
      if (AfterNotice) AfterNotice(mask);
    };
    C->SetDataSource(Source.get());
  }
  ~Grid() {
    C.reset();
    Source.reset();
    DataSet.reset();
  }

  TkvDbField* F(const char* name) const {
    for (int i = 0; i < C->FieldCount(); ++i)
      if (C->Fields().Items(i)->FieldName() == name) return C->Fields().Items(i);
    return nullptr;
  }
  // The IDs of the rows in row order, separated by blanks.
  std::string RowIds() const {
    std::string s;
    for (int r = 0; r < C->RowCount(); ++r) {
      Variant v;
      C->GetFieldValue(C->GetRowRecordIndex(r), F("ID"), v);
      s += (s.empty() ? "" : " ") + std::string(VarToStr(v));
    }
    return s;
  }
  std::string CurrentId() const { return std::string(VarToStr(DataSet->FieldByName("ID")->Value())); }
  std::string FocusedId() const {
    const int r = C->FocusedRecordIndex();
    if (r < 0) return "none";
    Variant v;
    C->GetFieldValue(r, F("ID"), v);
    return std::string(VarToStr(v));
  }

  std::unique_ptr<TClientDataSet> DataSet;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TkvCustomDbDataController> C;
  std::vector<uint16_t> Masks;
  std::function<void(uint16_t)> AfterNotice;
};

}  // namespace kvtest
