// Field definitions.
#include "db/FieldDefs.h"

const TFieldDef& TFieldDefs::Items(int index) const {
  if (index < 0 || index >= Count()) DatabaseError(SFieldIndexError);
  return FItems[static_cast<size_t>(index)];
}

void TFieldDefs::Add(const AnsiString& name, TFieldType type, int size, bool required) {
  TFieldDef d;
  d.Name = name;
  d.DataType = type;
  d.Size = size;
  d.Required = required;
  FItems.push_back(d);
}

int TFieldDefs::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (SameText(FItems[i].Name, name)) return static_cast<int>(i);
  return -1;
}

const TFieldDef& TFieldDefs::Find(std::string_view name) const {
  const int i = IndexOf(name);
  if (i < 0) DatabaseErrorFmt(SFieldNotFound, {name});
  return FItems[static_cast<size_t>(i)];
}

std::vector<TPacketField> TFieldDefs::ToPacketFields() const {
  std::vector<TPacketField> out;
  out.reserve(FItems.size());
  for (const TFieldDef& d : FItems) {
    TPacketField f;
    f.Name = d.Name;
    f.DataType = d.DataType;
    f.Size = d.Size;
    f.Precision = d.Precision;
    f.Required = d.Required;
    out.push_back(f);
  }
  return out;
}

void TFieldDefs::Assign(const std::vector<TPacketField>& fields) {
  FItems.clear();
  for (const TPacketField& f : fields) {
    TFieldDef d;
    d.Name = f.Name;
    d.DataType = f.DataType;
    d.Size = f.Size;
    d.Precision = f.Precision;
    d.Required = f.Required;
    FItems.push_back(d);
  }
}
