// The format settings that every text conversion of numbers, dates and money reads.
//
// One global `FormatSettings` holds the library's own settings: they are fixed at
// start-up and never taken from the machine's regional settings, so a date or a number
// turned into text reads the same on every till (dates as 2024-03-05, "." as decimal
// separator). The data module may assign them again; nothing else changes them.
// Routines that take a `const TFormatSettings&` use that one instead of the global.
#pragma once
#include <array>
#include "rtl/AnsiString.h"

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '-';   // what "/" stands for in a date format
  char TimeSeparator = ':';   // what ":" stands for in a date format
  AnsiString ShortDateFormat = "yyyy-MM-dd";
  AnsiString LongDateFormat = "yyyy-MM-dd";
  AnsiString ShortTimeFormat = "hh:nn";
  AnsiString LongTimeFormat = "hh:nn:ss";
  AnsiString TimeAMString = "上午";
  AnsiString TimePMString = "下午";
  // Money: symbol, its place for positive values (0 "￥1", 1 "1￥", 2 "￥ 1", 3 "1 ￥")
  // and for negative values (the sixteen platform codes 0 "(￥1)" .. 15 "(1 ￥)").
  AnsiString CurrencyString = "￥";
  int CurrencyFormat = 0;
  int NegCurrFormat = 2;      // "￥-1.00"
  int CurrencyDecimals = 2;
  // Two-digit years read by StrToDate fall in the hundred years that end this many
  // years after the current one (0: the current century).
  int TwoDigitYearCenturyWindow = 50;
  // Index 0 is Sunday.
  std::array<AnsiString, 7> ShortDayNames{"周日", "周一", "周二", "周三", "周四", "周五", "周六"};
  std::array<AnsiString, 7> LongDayNames{"星期日", "星期一", "星期二", "星期三",
                                         "星期四", "星期五", "星期六"};
  // Index 0 is January.
  std::array<AnsiString, 12> ShortMonthNames{"一月", "二月", "三月", "四月", "五月", "六月",
                                             "七月", "八月", "九月", "十月", "十一月", "十二月"};
  std::array<AnsiString, 12> LongMonthNames{"一月", "二月", "三月", "四月", "五月", "六月",
                                            "七月", "八月", "九月", "十月", "十一月", "十二月"};
};

// The settings every formatting routine reads by default. Single-threaded use only
// (the library runs on the host's user-interface thread).
extern TFormatSettings FormatSettings;

// The first day of the week of the user's locale, as the system stores it
// (LOCALE_IFIRSTDAYOFWEEK: "0" Monday .. "6" Sunday); "0" where the system has no such
// setting (natively). The one value the library reads from the machine's locale: the
// grid library's week arithmetic follows it.
AnsiString LocaleFirstDayOfWeek();
