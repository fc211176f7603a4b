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

bool IsMaskDigitPosition(int pos) { return pos >= 0 && pos < kDateMaskLength && pos != 4 && pos != 7; }

AnsiString FitToDateMask(std::string_view text, char separator) {
  AnsiString out(kDateMaskLength, ' ');
  out[4] = out[7] = separator;
  int pos = 0;
  for (char c : text) {
    if (c < '0' || c > '9') continue;
    while (pos < kDateMaskLength && !IsMaskDigitPosition(pos)) ++pos;
    if (pos >= kDateMaskLength) break;
    out[static_cast<size_t>(pos++)] = c;
  }
  return out;
}

bool TypeMaskDigit(AnsiString& text, int& caret, char digit) {
  int pos = caret < 0 ? 0 : caret;
  while (pos < kDateMaskLength && !IsMaskDigitPosition(pos)) ++pos;
  if (pos >= kDateMaskLength || static_cast<size_t>(pos) >= text.size()) return false;
  text[static_cast<size_t>(pos)] = digit;
  caret = pos + 1;
  return true;
}

bool MaskBackspace(AnsiString& text, int& caret) {
  int pos = (caret > kDateMaskLength ? kDateMaskLength : caret) - 1;
  while (pos >= 0 && !IsMaskDigitPosition(pos)) --pos;
  if (pos < 0 || static_cast<size_t>(pos) >= text.size()) return false;
  text[static_cast<size_t>(pos)] = ' ';
  caret = pos;
  return true;
}

}  // namespace labelrules
