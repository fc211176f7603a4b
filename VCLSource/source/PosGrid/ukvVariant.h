// Variant routines shared by the value types, the filters and the data controller:
// the library's one ordering of values, the LIKE matcher, wildcard helpers, small
// array builders and week arithmetic.
#pragma once
#include <cstdint>
#include <functional>
#include <string_view>
#include "rtl/AnsiString.h"
#include "rtl/DateTime.h"
#include "rtl/Variant.h"

// The library's ordering: negative, 0 or positive as A sorts before, with or after B.
// It is a total order (antisymmetric and transitive over every pair of values), never
// raises, and keeps the platform's order wherever that is consistent:
//   - Null sorts first; Null equals Null;
//   - then Empty, then Booleans (False before True), then numbers and dates by value
//     (every integer, float, currency, decimal and date kind together), then texts
//     (String and wide string together, in the platform's text order), then arrays;
//   - arrays compare by element count, then element by element from each array's own
//     lower bound, by this same ordering.
// Values of different groups are ordered by their group and are never converted into
// each other: the platform converts a text to a number when it meets one, and that
// cannot be an ordering ('10' < '5' as texts, '5' < 6 and 6 < '10' as numbers), which
// would make sorting undefined. Callers compare a typed value with a text by casting
// the text to the value's type first (see TkvValueType::TryCast).
int CompareVariants(const Variant& a, const Variant& b);
inline bool VariantsEqual(const Variant& a, const Variant& b) { return CompareVariants(a, b) == 0; }

// Pattern matching without case folding. The subject and the pattern are walked by
// whole GBK characters (a lead byte and its trail byte are one character): OneWildcard
// matches one character, a run of ManyWildcard zero or more characters (also at the
// end of the subject: '%%' matches ''), Escape (0 = none) makes the next pattern
// character literal. Runs in O(len(S) * len(Pattern)).
bool MatchPattern(std::string_view s, std::string_view pattern, char manyWildcard, char oneWildcard, char escape);
inline bool LikeMatch(std::string_view s, std::string_view pattern, char manyWildcard, char oneWildcard) {
  return MatchPattern(s, pattern, manyWildcard, oneWildcard, 0);
}

// Every run of two or more C (at character boundaries) becomes one C.
void CollapseDoubledChar(AnsiString& s, char c);
// Collapses doubled C, then strips one C at each end of a text of two or more bytes.
// Result: 0 none stripped, 1 at the end only, 2 at the start only, 3 both.
uint8_t StripWildcardEnds(AnsiString& s, char c);

Variant VarBetween(const Variant& low, const Variant& high);  // [Low, High]
Variant VarListOf(const Variant& v);                          // [V]
// A becomes a zero-based array one longer with V last; the old elements are copied
// from A's own lower bound. A non-array A becomes [A, V], Empty A becomes [V].
void VarListAppend(Variant& a, const Variant& v);

// Null, or a String or wide string equal to ''.
bool IsNullOrEmptyString(const Variant& v);
// The currency type and the decimal-BCD type.
bool IsCurrencyVarType(TVarType varType);

// The first day of the week of the user's locale, 0 = Sunday .. 6 = Saturday. Read
// from the locale's setting (LOCALE_IFIRSTDAYOFWEEK: "0" Monday .. "6" Sunday, "0"
// when absent) through kvFirstDayOfWeekSetting, which is LocaleFirstDayOfWeek of
// rtl/FormatSettings.h unless a test replaces it.
int FirstDayOfWeek();
extern std::function<AnsiString()> kvFirstDayOfWeekSetting;
// Midnight of the first day of D's week.
TDateTime StartOfWeek(TDateTime d);
// D truncated toward zero.
TDateTime DateOnly(TDateTime d);
