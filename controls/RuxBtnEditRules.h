// The rules of the button edit that need no window: the key filter of its inner edit,
// the check and formatting of its text when the field is left, the basic-data kinds
// that are looked up through a selection dialog, and the arithmetic of its layout.
// The window classes (RuxBtnEdit.h) apply them.
#pragma once
#include "controls/componenttype.h"
#include "rtl/AnsiString.h"

namespace ruxbtnedit {

// The numeric kinds share one rule: dtTotal, dtPrice, dtTaxRate, dtTaxPrice, dtQty,
// dtDouble.
bool IsNumericKind(TDataType t);

// The key typed into the edit, or 0 when the data type refuses it. `text` is the edit's
// whole text before the key (the selection is not considered: a "-" or "." is refused
// while the text holds one, even a selected one).
//   dtString, dtDate  every key
//   dtIntegerPlus     "0".."9" and Backspace
//   dtInteger         digits, Backspace and one "-" (none when minValue >= 0)
//   numeric kinds     digits, Backspace, one "." and one "-" (none when minValue >= 0)
char FilterKey(TDataType type, int minValue, std::string_view text, char key);

// What leaving the field does to its text.
struct TExitOutcome {
  AnsiString Text;          // the text the field keeps
  bool ClearTypeid = false;  // the id of the chosen record goes (through its setter)
  bool DateError = false;    // "日期格式输入错误!" is to be shown
};
// By data type:
//   numeric kinds  ParseNumber(text, "0.00000000"), clamped to minValue..maxValue,
//                  written by FormatNumber ("abc" -> "0", "5e7" -> the maximum)
//   dtInteger      StrToIntOrZero of the first nine characters, clamped, in decimal
//   dtIntegerPlus  LeadingDigitsToInt of the first nine characters, clamped
//   dtString       unchanged; the id is cleared when the text is empty (not trimmed)
//                  and the field looks up basic data or holds ids (ParamIsID)
//   dtDate         blank -> ""; a bad date -> "" with the error; else normalised
TExitOutcome ExitRule(TDataType type, const AnsiString& text, int minValue, int maxValue,
                      TBasicType basicType, bool paramIsID);

// The 65 kinds of basic data chosen through the selection dialog.
const TBasicTypes& LookupBasicTypes();
inline bool IsLookupKind(TBasicType t) { return LookupBasicTypes().Contains(t); }

// Where the parts of a button edit go for a control of width x height.
struct TLayout {
  int ButtonLeft = 0;     // only moved when the button is visible
  int ButtonHeight = 0;
  int EditWidth = 0;
  int EditHeight = 0;
  int LineWidth = 0;      // top and bottom line
  int UnderlineWidth = 0;
  int UnderlineLeft = 0;  // out of sight unless flat
};
TLayout ComputeLayout(int width, int height, int buttonWidth, bool btnVisible, bool flat);

// The message box of a bad date, shown when a dtDate field is left.
constexpr const char* kDateErrorText = "日期格式输入错误!";
constexpr const char* kHintCaption = "提示";

}  // namespace ruxbtnedit
