// TJbDbGrid: the data-aware grid that the application's forms place. Its columns are
// TJbColumn items, the line after its fixed columns is red, it finds a column by the
// name of its field, and it publishes the data-aware grid's properties for component
// streaming.
#pragma once
#include "VCLSource/source/PosGrid/ukvDbGrids.h"
#include "ui/FontProperties.h"

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
  // What the application's forms set, in the platform's order. Left out, as for the
  // form controls, is what the framework does not have: reading direction, size
  // constraints, 3-D look, drag and dock, input method and pop-up menus; the data
  // source is a reference to another component, which the component stream skips.
  // Columns follows as the defined property "Columns".
  void DefinePublished(TPublishedProperties& P) override;

 protected:
  TCollectionItemClass GetColumnClass() override;
  TColor GetFixedLineColor() override { return static_cast<TColor>(255); }

 private:
  TFontProperties FFontProperties{*Font()};
};
