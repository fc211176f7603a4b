// TJbDbGrid: the data-aware grid that the application's forms place. Its columns are
// TJbColumn items, the line after its fixed columns is red, and it finds a column by the
// name of its field.
#pragma once
#include "VCLSource/source/PosGrid/ukvDbGrids.h"

class TJbColumn : public TkwColumn {
 public:
  explicit TJbColumn(TCollection* collection) : TkwColumn(collection) {}
  int Tag() const { return FTag; }
  void SetTag(int v) { FTag = v; }
  void Assign(TPersistent* Source) override;
  void DefinePublished(TPublishedProperties& P) override;

 private:
  int FTag = 0;
};

class TJbDbGrid : public TkwCustomDBGrid {
 public:
  explicit TJbDbGrid(TComponent* AOwner);
  // The first column whose FieldName equals FieldName, ignoring ASCII letter case; none
  // when no column has it (callers test for that instead of getting the first column).
  TkwColumn* ColumnByFieldName(const AnsiString& FieldName) const;

 protected:
  TCollectionItemClass GetColumnClass() override;
  TColor GetFixedLineColor() override { return static_cast<TColor>(255); }
};
