// The library's one set of format settings (see FormatSettings.h for the defaults).
#include "rtl/FormatSettings.h"

TFormatSettings FormatSettings;
