// The arithmetic of the labelled controls that needs no window: where an attached
// caption label goes beside its control, what a name-and-value label shows, and the
// parts of the empty-able date field. The window classes (basiccom.h) apply it.
#pragma once
#include "rtl/AnsiString.h"

// Side of its control on which an attached label stands.
enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };

namespace labelrules {

struct TOrigin {
  int Left = 0;
  int Top = 0;
  bool operator==(const TOrigin&) const = default;
};

// The label's top-left corner for a control at (left, top) of width x height, a label of
// labelWidth x labelHeight and `spacing` pixels between them:
//   lpAbove (left, top - labelHeight - spacing)
//   lpBelow (left, top + height + spacing)
//   lpLeft  (left - labelWidth - spacing, top + (height - labelHeight) / 2)
//   lpRight (left + width + spacing,      top + (height - labelHeight) / 2)
// with the division truncating toward zero (a taller label gets a negative offset).
TOrigin PlaceLabel(TLabelPosition position, int left, int top, int width, int height,
                   int labelWidth, int labelHeight, int spacing);

// What a name-and-value label shows: name + divider + value, or the value alone.
AnsiString ComposeCaption(const AnsiString& name, const AnsiString& divider,
                          const AnsiString& value, bool nameVisible);

// The empty-able date field of width w: a masked edit, a calendar button of 21 pixels
// showing only its drop-down end and a 17-pixel clear button at the right.
struct TEmptyDateLayout {
  int ClearLeft = 0;
  int CalendarLeft = 0;
  int EditWidth = 0;
  int LineWidth = 0;
};
constexpr int kClearButtonSize = 17;
constexpr int kCalendarWidth = 21;
TEmptyDateLayout EmptyDateLayout(int width);

// The masked edit's text as the field's date text: "" while it holds the empty mask
// ("    -  -  ": blanks where the digits go, the separators kept).
AnsiString DateStrOf(const AnsiString& maskText);
constexpr const char* kEmptyDateMask = "    -  -  ";

// The date field's edit mask: four, two and two digits separated by the date separator,
// literals kept in the text, "_" shown where nothing was typed.
constexpr const char* kDateEditMask = "!9999/99/99;1;_";

}  // namespace labelrules
