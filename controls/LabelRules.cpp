// Label placement, caption composition and the date field's layout.
#include "controls/LabelRules.h"

namespace labelrules {

TOrigin PlaceLabel(TLabelPosition position, int left, int top, int width, int height,
                   int labelWidth, int labelHeight, int spacing) {
  // C++ integer division truncates toward zero, as the rule wants.
  const int middle = top + (height - labelHeight) / 2;
  switch (position) {
    case lpAbove: return {left, top - labelHeight - spacing};
    case lpBelow: return {left, top + height + spacing};
    case lpLeft: return {left - labelWidth - spacing, middle};
    case lpRight: return {left + width + spacing, middle};
  }
  return {left, top};
}

AnsiString ComposeCaption(const AnsiString& name, const AnsiString& divider,
                          const AnsiString& value, bool nameVisible) {
  return nameVisible ? name + divider + value : value;
}

TEmptyDateLayout EmptyDateLayout(int width) {
  TEmptyDateLayout l;
  l.ClearLeft = width - kClearButtonSize - 1;
  l.CalendarLeft = width - kClearButtonSize - kCalendarWidth - 1;
  l.EditWidth = width - kClearButtonSize - kCalendarWidth + 1;
  l.LineWidth = width;
  return l;
}

AnsiString DateStrOf(const AnsiString& maskText) {
  return maskText == kEmptyDateMask ? AnsiString() : maskText;
}

}  // namespace labelrules
