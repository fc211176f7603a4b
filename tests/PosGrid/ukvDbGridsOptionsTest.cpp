// The data-aware grid's option rules: defaults, the base grid's and the controller's
// options, dgRowSelect, dgMultiSelect and read-only.
#include <gtest/gtest.h>

#include "VCLSource/source/PosGrid/ukvDbGridsOptions.h"

using namespace kw_dbgrid;

namespace {
constexpr TkwDBGridOptions O(TkwDBGridOption o) { return GridOption(o); }
}  // namespace

TEST(DbGridOptions, DefaultsAndKoreanSystems) {
  EXPECT_EQ(kDefaultOptions, 6909u);
  EXPECT_EQ(DefaultOptions(4), 6909u);  // Chinese
  EXPECT_EQ(DefaultOptions(18), 6909u | O(dgAlwaysShowEditor));
  EXPECT_EQ(kDefaultBaseOptions, 0xE8Fu);
  // The default set maps onto exactly the default base options.
  EXPECT_EQ(ChangeOptions(0, kDefaultOptions, 0, 0, false).BaseOptions, kDefaultBaseOptions);
}

TEST(DbGridOptions, EachOptionMapsToItsBaseBits) {
  struct Case {
    TkwDBGridOption option;
    uint32_t base;
  } cases[] = {{dgColLines, 0x5}, {dgRowLines, 0xA}, {dgColumnResize, 0x280}, {dgTabs, 0x800},
               {dgRowSelect, 0x1000}, {dgEditing, 0x400}, {dgAlwaysShowEditor, 0x2000}, {dgFooter, 0},
               {dgMultiSelect, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    EXPECT_EQ(ChangeOptions(0, O(c.option), 0, 0, false).BaseOptions, c.base);
  }
  // Bits no option maps (range select 0x10, thumb tracking 0x4000) stay; mapped ones go.
  EXPECT_EQ(ChangeOptions(kDefaultOptions, 0, 0x4E9F, 0, false).BaseOptions, 0x4010u);
}

TEST(DbGridOptions, RowSelectDropsEditingAndBringsTwoColoursOnce) {
  const TOptionChange c = ChangeOptions(kDefaultOptions, kDefaultOptions | O(dgRowSelect) | O(dgAlwaysShowEditor),
                                        kDefaultBaseOptions, 0, false);
  EXPECT_FALSE(HasGridOption(c.Options, dgEditing));
  EXPECT_FALSE(HasGridOption(c.Options, dgAlwaysShowEditor));
  EXPECT_TRUE(HasGridOption(c.Options, dgTwoColor));
  EXPECT_EQ(c.BaseOptions & (kGoEditing | kGoAlwaysShowEditor | kGoRowSelect), kGoRowSelect);
  EXPECT_TRUE(c.SetDefaultRowColors);
  EXPECT_TRUE(c.LayoutChanged);
  EXPECT_FALSE(ChangeOptions(0, O(dgRowSelect), 0, 0, true).SetDefaultRowColors);
  // Already on: dgTwoColor may be taken away again.
  const TOptionChange again = ChangeOptions(O(dgRowSelect) | O(dgTwoColor), O(dgRowSelect), 0, 0, false);
  EXPECT_FALSE(HasGridOption(again.Options, dgTwoColor));
  EXPECT_FALSE(again.SetDefaultRowColors);
}

TEST(DbGridOptions, LayoutChangesOnlyForOptionsThatShapeTheGrid) {
  for (TkwDBGridOption o : {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines, dgRowLines,
                            dgRowSelect, dgAlwaysShowSelection})
    EXPECT_TRUE(ChangeOptions(0, O(o), 0, 0, false).LayoutChanged) << o;
  for (TkwDBGridOption o : {dgTabs, dgTwoColor, dgConfirmDelete, dgMultiSelect, dgFooter, dgDisSort})
    EXPECT_FALSE(ChangeOptions(0, O(o), 0, 0, false).LayoutChanged) << o;
}

TEST(DbGridOptions, RemovingMultiSelectClearsTheSelection) {
  EXPECT_TRUE(ChangeOptions(O(dgMultiSelect), 0, 0, 0, false).ClearSelection);
  EXPECT_FALSE(ChangeOptions(0, O(dgMultiSelect), 0, 0, false).ClearSelection);
  EXPECT_FALSE(ChangeOptions(O(dgMultiSelect), O(dgMultiSelect), 0, 0, false).ClearSelection);
}

// Regression: dgDisSort and dgDisFilter only ever added their controller bits, so a
// grid could not sort or filter again once they had been set.
TEST(DbGridOptions, FaultRemovingDisSortAndDisFilterClearsTheirBits) {
  const uint16_t others = dcoCaseInsensitive | dcoRefocusOnSort;
  TOptionChange on = ChangeOptions(0, O(dgDisSort) | O(dgDisFilter), 0, others, false);
  EXPECT_EQ(on.ControllerOptions, others | dcoNoSorting | dcoNoFiltering);
  TOptionChange off = ChangeOptions(on.Options, 0, 0, on.ControllerOptions, false);
  EXPECT_EQ(off.ControllerOptions, others);
  // Unchanged options leave bits set on the controller by other means alone.
  EXPECT_EQ(ChangeOptions(0, O(dgTabs), 0, dcoNoSorting, false).ControllerOptions, dcoNoSorting);
}

TEST(DbGridOptions, ReadOnly) {
  const TkwDBGridOptions all = kDefaultOptions | O(dgAlwaysShowEditor);
  EXPECT_EQ(OptionsForReadOnly(all, true), kDefaultOptions & ~O(dgEditing));
  EXPECT_EQ(OptionsForReadOnly(kDefaultOptions & ~O(dgEditing), false), kDefaultOptions);
  EXPECT_FALSE(HasGridOption(OptionsForReadOnly(0, false), dgAlwaysShowEditor));
}
