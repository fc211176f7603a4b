// The data-aware grid's data controller: sort and display decisions asked of the grid's
// columns, the grid filter, cell values, and blank records in the sort.
#include "VCLSource/source/PosGrid/ukvDbGridsController.h"

#include "VCLSource/source/PosGrid/ukvDbGridsColumns.h"
#include "VCLSource/source/PosGrid/ukvDbHelperFilter.h"
#include "VCLSource/source/PosGrid/ukvDbHelperRows.h"

TkwDbGridController::TkwDbGridController(TComponent* owner) : TkvCustomDbDataController(owner) {}

// The grid filter refers to the criteria the base class owns: it goes first.
TkwDbGridController::~TkwDbGridController() { FGridFilter.reset(); }

TkwGridFilterClass TkwDbGridController::GetGridFilterClass() {
  return [](TkvDataFilterCriteria& criteria) -> std::shared_ptr<IkwGridFilter> {
    return std::make_shared<TkwGridFilter>(criteria);
  };
}

IkwGridFilter& TkwDbGridController::GridFilter() {
  if (!FGridFilter) FGridFilter = GetGridFilterClass()(Filter());
  return *FGridFilter;
}

void TkwDbGridController::SetColumnSorting(IkwColumn* column, uint8_t direction) {
  if (TkvDbField* field = column ? column->DbField() : nullptr) ChangeSorting(field, direction);
}

void TkwDbGridController::SetBlankRowsCompared(bool v) { FBlankRowsCompared = v; }

Variant TkwDbGridController::GetCellValue(TkwColumn* column, int rowIndex) {
  if (!column) return Variant::Null();
  if (rowIndex < 0) return column->FooterValue();
  TkvDbField* field = column->DbField();
  // Padding rows below the last one reach the draw events too: they have no value.
  if (!field || rowIndex >= RowCount()) return Variant::Null();
  Variant v;
  GetRowValue(rowIndex, field, v);
  return v;
}

Variant TkwDbGridController::FocusedCellValue(TkwColumn* column) {
  const int row = FocusedRowIndex();
  return row < 0 ? Variant::Null() : GetCellValue(column, row);
}

int TkwDbGridController::CompareBySortItem(int record1, int record2, const TkvSortingEntry& item) {
  if (IkwColumn* column = item.Field ? item.Field->Column() : nullptr) {
    const int answer = column->CompareBlankRows(record1, record2, item.Direction);
    if (answer != INT_MAX) return answer;
  }
  return TkvCustomDbDataController::CompareBySortItem(record1, record2, item);
}

// The typed fast comparison of stored values never reaches CompareBySortItem, so a
// column that may answer for blank rows is compared by values.
bool TkwDbGridController::CompareByValues(TkvDbField* field) {
  if (FBlankRowsCompared && field->CompareMode() == 0 && field->Column() && !field->Internal()) return true;
  return TkvCustomDbDataController::CompareByValues(field);
}

bool TkwDbGridController::NeedsCustomSort(int fieldIndex, bool byDisplayText) {
  IkwColumn* column = Field(fieldIndex)->Column();
  if (!column) return TkvCustomDbDataController::NeedsCustomSort(fieldIndex, byDisplayText);
  return byDisplayText || column->NeedCustomSort();
}

bool TkwDbGridController::IsCalculatedField(TkvDbField* field) {
  IkwColumn* column = field ? field->Column() : nullptr;
  return column ? column->UseCustomDisplayText() : TkvCustomDbDataController::IsCalculatedField(field);
}

// --- blank records --------------------------------------------------------------------------------

bool TkwBlankRecords::IsBlankRecord(int recordIndex) const {
  for (int i = 0; i < FColumns.Count(); ++i) {
    TkwColumn* column = FColumns.Items(i);
    if (!column->Shown()) continue;
    TkvDbField* field = column->DbField();
    if (!field) continue;
    AnsiString text;
    FController.GetDisplayText(recordIndex, field->Index(), text);
    if (!text.empty()) return false;
  }
  return true;
}
