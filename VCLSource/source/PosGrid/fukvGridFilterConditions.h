// The filter dialog without its window: which condition panel a column gets, which range
// the radio group means, how the typed values become filter conditions, and how those
// conditions act on the grid's filter.
//
// A condition is (operator kind, value, display text); the operator kinds are the filter
// engine's (foEqual, foLess, ...). The conditions of one OK all name the selected column
// and are joined by AND at the root of the grid's filter.
#pragma once
#include <vector>

#include "VCLSource/source/PosGrid/ukvDbGridsHelper.h"
#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"

// A typed bound that is not a number; the dialog shows the text and stays open.
POS_EXCEPTION(EkwFilterValueError, Exception);

class TkwFilterCondition {
 public:
  TkwFilterCondition(TkvFilterOperatorKind operatorKind, const Variant& value, const AnsiString& displayText)
      : DisplayText(displayText), OperatorKind(operatorKind), Value(value) {}
  AnsiString DisplayText;
  TkvFilterOperatorKind OperatorKind;
  Variant Value;
};
using TkwFilterConditions = std::vector<TkwFilterCondition>;

// The panel shown for a column (and the kind of condition it builds).
enum TkwFilterConditionKind : int { fckText = 0, fckNumeric = 1, fckDate = 2 };
// The radio group's choice.
enum TkwFilterRange : int { frFromAll = 0, frFromCurrent = 1, frCancelAll = 2 };

// The dialog's own texts, in the order of its controls.
namespace kw_filter_dialog {
extern const char* const Caption;            // the form
extern const char* const ColumnLabel;        // above the column list
extern const char* const ConditionCaption;   // the radio group and each panel's label
extern const char* const RangeItems[3];      // the radio group's items, by TkwFilterRange
extern const char* const OkCaption;
extern const char* const CancelCaption;
extern const char* const LikeCaption;        // the text panel's check box
extern const char* const MinLabel;           // the numeric panel
extern const char* const MaxLabel;
extern const char* const BeginLabel;         // the date panel
extern const char* const EndLabel;
}  // namespace kw_filter_dialog

// What the dialog's controls hold when OK is pressed. Begin and End are the pickers'
// dates; a time of day in them is ignored.
struct TkwFilterInput {
  AnsiString Text;
  bool Like = false;
  AnsiString Min;
  AnsiString Max;
  TDateTime Begin = 0;
  TDateTime End = 0;
};

// Date-time field: fckDate; else numeric field: fckNumeric; else (no column, no field,
// any other field) fckText.
TkwFilterConditionKind ConditionKindOf(IkwColumn* column);

// Item 0 and 1 are themselves; every other index (none selected included) cancels.
TkwFilterRange FilterRangeOf(int itemIndex);

// The conditions of one OK. None when the range cancels all filters or no column is
// selected. Text: equal to the text, or with Like a like condition on '%text%'. Numeric:
// >= Min and <= Max, each only when typed. Date: >= Begin and < the day after End, both
// always, shown as the two dates. Raises EkwFilterValueError, building nothing, when a
// typed bound is not a number or a value is one the column's field cannot take (a text
// on a Boolean column).
TkwFilterConditions BuildFilterConditions(IkwColumn* column, TkwFilterRange range, const TkwFilterInput& input);

// Applies an accepted dialog to the grid's filter, in one update: from all rows clears the
// filter first, from the current rows adds to it; either activates the filter when it
// holds a condition afterwards. Cancel all clears and deactivates it.
void ApplyFilterConditions(IkwGridFilter& filter, IkwColumn* column, TkwFilterRange range,
                           const TkwFilterConditions& conditions);
