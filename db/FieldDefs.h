// Field definitions: the columns a dataset's records are made of (name, type, size).
//
// A client dataset made locally takes its columns from FieldDefs (CreateDataSet); a
// dataset opened from a data packet fills FieldDefs from the packet's columns. Names may
// repeat (a server's result set can name two columns alike); Find and IndexOf give the
// first, ignoring ASCII case.
#pragma once
#include <vector>
#include "db/DatabaseError.h"
#include "db/DataPacket.h"

struct TFieldDef {
  AnsiString Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;
  int Precision = 0;
  bool Required = false;
};

class TFieldDefs {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  const TFieldDef& Items(int index) const;  // EDatabaseError SFieldIndexError outside the list
  const TFieldDef& operator[](int index) const { return Items(index); }
  void Add(const AnsiString& name, TFieldType type, int size = 0, bool required = false);
  void Add(const TFieldDef& def) { FItems.push_back(def); }
  void Clear() { FItems.clear(); }
  int IndexOf(std::string_view name) const;          // -1 when absent
  const TFieldDef& Find(std::string_view name) const;  // SFieldNotFound when absent
  // The columns as a data packet describes them, and back.
  std::vector<TPacketField> ToPacketFields() const;
  void Assign(const std::vector<TPacketField>& fields);

 private:
  std::vector<TFieldDef> FItems;
};
