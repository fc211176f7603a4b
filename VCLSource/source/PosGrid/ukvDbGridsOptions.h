// The data-aware grid's option set and what an option change means for the base grid,
// the data controller and the grid's own state. Window-free: the base grid's options
// appear as their bit values (bit i for the platform grid's option i).
//
// Invariant of the option set a grid keeps: with dgRowSelect it holds neither dgEditing
// nor dgAlwaysShowEditor. Turning dgRowSelect on brings dgTwoColor.
#pragma once
#include <cstdint>

#include "VCLSource/source/PosGrid/ukvDbHelperController.h"

enum TkwDBGridOption : uint8_t {
  dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
  dgRowSelect, dgTwoColor, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect, dgFooter,
  dgWordWrap, dgModifyOnly, dgDisSort, dgDisFilter, dgDiscompareBlankRow
};
using TkwDBGridOptions = uint32_t;  // bit i for option i
constexpr TkwDBGridOptions GridOption(TkwDBGridOption o) { return TkwDBGridOptions{1} << o; }
constexpr bool HasGridOption(TkwDBGridOptions set, TkwDBGridOption o) { return (set & GridOption(o)) != 0; }

enum TkwShowColumnType : uint8_t { sctFilter, sctCustom, sctLocate };

namespace kw_dbgrid {

// The option set of a new grid (6909); Korean systems add dgAlwaysShowEditor.
constexpr TkwDBGridOptions kDefaultOptions =
    GridOption(dgEditing) | GridOption(dgTitles) | GridOption(dgIndicator) | GridOption(dgColumnResize) |
    GridOption(dgColLines) | GridOption(dgRowLines) | GridOption(dgTabs) | GridOption(dgTwoColor) |
    GridOption(dgConfirmDelete) | GridOption(dgCancelOnExit);
TkwDBGridOptions DefaultOptions(int primaryLanguageId);

// Bit values of the platform grid's options.
enum : uint32_t {
  kGoFixedVertLine = 0x1, kGoFixedHorzLine = 0x2, kGoVertLine = 0x4, kGoHorzLine = 0x8, kGoColSizing = 0x80,
  kGoColMoving = 0x200, kGoEditing = 0x400, kGoTabs = 0x800, kGoRowSelect = 0x1000, kGoAlwaysShowEditor = 0x2000
};
// The base grid's options of a new data-aware grid: lines both ways, column sizing and
// moving, editing, tabs.
constexpr uint32_t kDefaultBaseOptions = 0xE8F;

// The row colours dgRowSelect brings when none were set.
constexpr int32_t kRowSelectOddColor = 0xFFFFFF;
constexpr int32_t kRowSelectEvenColor = 0xF7F7F7;

// What setting the options from `old` to `wanted` does.
struct TOptionChange {
  TkwDBGridOptions Options = 0;       // the set the grid keeps
  uint32_t BaseOptions = 0;           // the base grid's options afterwards
  TkvDataControllerOptions ControllerOptions = 0;  // the data controller's options afterwards
  bool ClearSelection = false;        // dgMultiSelect was removed
  bool LayoutChanged = false;         // an option that shapes the layout changed
  bool SetDefaultRowColors = false;   // dgRowSelect came on and no row colour was set
};

// The base grid's options keep the bits that no grid option maps to. A change of
// dgDisSort or dgDisFilter sets or clears its controller bit (64, 128): a grid that
// allows sorting again lets its controller sort again. Other controller bits stay.
TOptionChange ChangeOptions(TkwDBGridOptions old, TkwDBGridOptions wanted, uint32_t baseOptions,
                            TkvDataControllerOptions controllerOptions, bool rowColorsAssigned);

// ReadOnly on removes dgEditing and dgAlwaysShowEditor, off adds dgEditing.
TkwDBGridOptions OptionsForReadOnly(TkwDBGridOptions options, bool readOnly);

}  // namespace kw_dbgrid
