// The library's one set of format settings (see FormatSettings.h for the defaults) and
// the one locale look-up.
#include "rtl/FormatSettings.h"

#ifdef _WIN32
#include <windows.h>
#endif

TFormatSettings FormatSettings;

AnsiString LocaleFirstDayOfWeek() {
#ifdef _WIN32
  char buf[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, buf, sizeof buf) > 0) return AnsiString(buf);
#endif
  return AnsiString("0");
}
