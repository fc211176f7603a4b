// The data-aware grid's option rules: defaults, the mapping onto the base grid's and the
// data controller's options, read-only.
#include "VCLSource/source/PosGrid/ukvDbGridsOptions.h"

namespace kw_dbgrid {

namespace {
constexpr int kLangKorean = 18;

constexpr uint32_t kMappedBaseOptions = kGoFixedVertLine | kGoVertLine | kGoFixedHorzLine | kGoHorzLine |
                                        kGoColSizing | kGoColMoving | kGoTabs | kGoRowSelect | kGoEditing |
                                        kGoAlwaysShowEditor;

constexpr TkwDBGridOptions kLayoutOptions =
    GridOption(dgEditing) | GridOption(dgAlwaysShowEditor) | GridOption(dgTitles) | GridOption(dgIndicator) |
    GridOption(dgColLines) | GridOption(dgRowLines) | GridOption(dgRowSelect) | GridOption(dgAlwaysShowSelection);
}  // namespace

TkwDBGridOptions DefaultOptions(int primaryLanguageId) {
  return primaryLanguageId == kLangKorean ? kDefaultOptions | GridOption(dgAlwaysShowEditor) : kDefaultOptions;
}

TOptionChange ChangeOptions(TkwDBGridOptions old, TkwDBGridOptions wanted, uint32_t baseOptions,
                            TkvDataControllerOptions controllerOptions, bool rowColorsAssigned) {
  TOptionChange r;
  TkwDBGridOptions v = wanted;
  if (HasGridOption(v, dgRowSelect)) v &= ~(GridOption(dgEditing) | GridOption(dgAlwaysShowEditor));

  uint32_t base = baseOptions & ~kMappedBaseOptions;
  if (HasGridOption(v, dgColLines)) base |= kGoFixedVertLine | kGoVertLine;
  if (HasGridOption(v, dgRowLines)) base |= kGoFixedHorzLine | kGoHorzLine;
  if (HasGridOption(v, dgColumnResize)) base |= kGoColSizing | kGoColMoving;
  if (HasGridOption(v, dgTabs)) base |= kGoTabs;
  if (HasGridOption(v, dgRowSelect)) base |= kGoRowSelect;
  if (HasGridOption(v, dgEditing)) base |= kGoEditing;
  if (HasGridOption(v, dgAlwaysShowEditor)) base |= kGoAlwaysShowEditor;

  r.ClearSelection = HasGridOption(old, dgMultiSelect) && !HasGridOption(v, dgMultiSelect);
  r.LayoutChanged = ((old ^ v) & kLayoutOptions) != 0;
  if (HasGridOption(v, dgRowSelect) && !HasGridOption(old, dgRowSelect)) {
    v |= GridOption(dgTwoColor);
    r.SetDefaultRowColors = !rowColorsAssigned;
  }

  // Both bits follow their options either way (adding only would keep a grid unsortable
  // for good once dgDisSort had been set).
  TkvDataControllerOptions co = controllerOptions;
  if (((old ^ v) & GridOption(dgDisSort)) != 0)
    co = HasGridOption(v, dgDisSort) ? (co | dcoNoSorting) : (co & ~dcoNoSorting);
  if (((old ^ v) & GridOption(dgDisFilter)) != 0)
    co = HasGridOption(v, dgDisFilter) ? (co | dcoNoFiltering) : (co & ~dcoNoFiltering);

  r.Options = v;
  r.BaseOptions = base;
  r.ControllerOptions = static_cast<TkvDataControllerOptions>(co);
  return r;
}

TkwDBGridOptions OptionsForReadOnly(TkwDBGridOptions options, bool readOnly) {
  if (readOnly) return options & ~(GridOption(dgEditing) | GridOption(dgAlwaysShowEditor));
  return options | GridOption(dgEditing);
}

}  // namespace kw_dbgrid
