// The runtime library's text, number, date, money and file routines in one include.
#pragma once
#include "rtl/AnsiString.h"
#include "rtl/Currency.h"
#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"
#include "rtl/FileUtils.h"
#include "rtl/FormatSettings.h"
#include "rtl/NumberFormat.h"
