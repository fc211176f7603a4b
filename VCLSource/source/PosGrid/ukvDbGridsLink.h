// The grid's own data link: the map from grid columns to dataset fields, focusing a
// field's column, and writing an edited cell back. Records, scrolling and layout reach
// the grid through its data controller, not through this link.
//
// A map entry remembers the field's index in the dataset's field list and the field's
// name. Fields(i) answers a field only when the field at that index still has that name;
// after fields were removed or reordered it finds the field again by name (and mends the
// entry), and answers none when the field is gone, so a stale map never reads another
// field.
#pragma once
#include <vector>
#include "VCLSource/source/PosGrid/ukvDbGridsHost.h"
#include "db/DataLink.h"
#include "VCLSource/source/PosGrid/ukvGridErrors.h"

// Raises EkwInvalidGridOperation with message.
[[noreturn]] void RaiseGridError(const AnsiString& message);

// The field's ReadOnly; a lookup field that is not read-only counts as read-only without
// a dataset, when its key field is not in its dataset, or when that key field is.
bool IsReadOnlyField(const TField* field);

class TkwGridDataLink : public TDataLink {
 public:
  static constexpr int kMaxMappings = 0x0FFFFFFF;

  explicit TkwGridDataLink(IkwColumnsGrid* grid);
  ~TkwGridDataLink() override;

  // Maps the next column to the field named fieldName (-1 without it under SparseMap;
  // otherwise an unknown name raises the dataset's field-not-found error). Beyond
  // kMaxMappings: EkwInvalidGridOperation "Grid要求显示的列数大于了256。". The field
  // tells the grid's component (IkwColumnsGrid::GridComponent) when it is destroyed.
  bool AddMapping(const AnsiString& fieldName);
  void ClearMapping();
  // The field of mapped column index; none outside the map, for -1, or when the field
  // has gone.
  TField* Fields(int index);
  int FieldCount() const { return FFieldCount; }
  int MapCapacity() const { return static_cast<int>(FFieldMap.size()); }
  int MapEntry(int index) const { return FFieldMap.at(static_cast<size_t>(index)).Index; }
  bool DefaultFields() const;
  bool SparseMap() const { return FSparseMap; }
  void SetSparseMap(bool v) { FSparseMap = v; }
  bool Modified() const { return FModified; }
  void SetModified(bool v) { FModified = v; }
  bool InUpdateData() const { return FInUpdateData; }
  // Modified: the grid's record-changed handling (the editor takes the field's text
  // again) and Modified cleared; otherwise the dataset's Cancel.
  void Reset();
  IkwColumnsGrid* Grid() const { return FGrid; }

 protected:
  void UpdateData() override;
  void FocusControl(TField*& field) override;
  void EditingChanged() override;
  int FMaxMappings = kMaxMappings;

 private:
  struct Entry {
    int Index = -1;
    AnsiString Name;
  };
  std::vector<Entry> FFieldMap;
  int FFieldCount = 0;
  IkwColumnsGrid* FGrid;
  bool FInUpdateData = false;
  bool FModified = false;
  bool FSparseMap = false;
};
