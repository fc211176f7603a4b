// Dates and times: the TDateTime value, its calendar arithmetic and its text forms.
//
// TDateTime counts days since 1899-12-30 00:00; the fraction is the time of day. For
// values below zero the integer part is still the day and the *absolute* fraction the
// time: -1.25 is 1899-12-29 06:00 (not 1899-12-28 18:00). Valid dates lie in the years
// 1..9999 (Gregorian calendar throughout). Decoding rounds the time to the nearest
// millisecond; a time that rounds up to 24:00 belongs to the next day.
//
// Text: every routine without a TFormatSettings argument reads the global
// `FormatSettings`; none reads the machine's regional settings.
#pragma once
#include <cstdint>
#include "rtl/AnsiString.h"
#include "rtl/FormatSettings.h"

using TDateTime = double;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = HoursPerDay * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;
// Days from 0001-01-01 to 1899-12-30.
constexpr int DateDelta = 693594;

// --- calendar ----------------------------------------------------------------------
bool IsLeapYear(int Year);
int DaysInAMonth(int Year, int Month);            // 0 for a month outside 1..12
int DaysInMonth(TDateTime D);

// EncodeDate: EConvertError "Invalid argument to date encode" unless the date exists.
TDateTime EncodeDate(int Year, int Month, int Day);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& out);
// EncodeTime: hours 0..23, minutes and seconds 0..59, milliseconds 0..999, else
// EConvertError "Invalid argument to time encode".
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& out);
// Date and time joined by the rule above (before 1899-12-30 the time is subtracted).
TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec);
bool TryEncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec,
                       TDateTime& out);

// Decoding a value outside the years 1..9999 (or NaN) raises EConvertError
// "Invalid argument to date encode"; DecodeTime never raises.
void DecodeDate(TDateTime D, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime D, int& Hour, int& Min, int& Sec, int& MSec);
void DecodeDateTime(TDateTime D, int& Year, int& Month, int& Day, int& Hour, int& Min,
                    int& Sec, int& MSec);
int DayOfWeek(TDateTime D);                       // 1 = Sunday .. 7 = Saturday
int YearOf(TDateTime D);
int MonthOf(TDateTime D);
int DayOf(TDateTime D);

TDateTime Now();                                  // local date and time, to the millisecond
TDateTime Date();                                 // today at midnight
TDateTime Time();                                 // the time of day now, date part 0
TDateTime DateOf(TDateTime D);                    // the day at midnight (truncates toward 0)
TDateTime TimeOf(TDateTime D);                    // the time of day, date part 0
TDateTime IncDay(TDateTime D, int Days = 1);
// Same day of a month Months later (or earlier); a day past the end of the target month
// becomes its last day (01-31 plus one month is 02-28 or 02-29). Keeps the time.
TDateTime IncMonth(TDateTime D, int Months = 1);

// --- text --------------------------------------------------------------------------
// FormatDateTime with the platform's specifiers; letters are case-insensitive:
//   c        ShortDateFormat, then " " and LongTimeFormat unless the time is 00:00:00.000
//   d dd     day without / with leading zero; ddd dddd ShortDayNames / LongDayNames;
//   ddddd    ShortDateFormat; dddddd LongDateFormat
//   m mm     month without / with leading zero, minutes when they follow h or hh
//   mmm mmmm ShortMonthNames / LongMonthNames
//   y yy     two-digit year; yyy yyyy four-digit year
//   h hh     hour (12-hour clock when an am/pm, a/p or ampm follows in the format)
//   n nn s ss  minutes, seconds; z zz zzz  milliseconds with at least 1, 2, 3 digits
//   t tt     ShortTimeFormat / LongTimeFormat
//   am/pm a/p  "am"/"pm" or "a"/"p" in the case written; ampm TimeAMString/TimePMString
//   /        DateSeparator; :  TimeSeparator
//   "..." '...'  literal text; any other character stands for itself.
// A run of one letter is one field, however long: a run longer than the letter's longest
// form is that form ("hhh" is "hh", "zzzz" is "zzz", "yyyyy" is "yyyy", "ccc" is "c").
// A value outside the years 1..9999 raises EConvertError.
AnsiString FormatDateTime(std::string_view Format, TDateTime D);
AnsiString FormatDateTime(std::string_view Format, TDateTime D, const TFormatSettings& fs);
AnsiString DateToStr(TDateTime D);                // ShortDateFormat
AnsiString TimeToStr(TDateTime D);                // LongTimeFormat
AnsiString DateTimeToStr(TDateTime D);            // format "c"
AnsiString DateToStr(TDateTime D, const TFormatSettings& fs);
AnsiString TimeToStr(TDateTime D, const TFormatSettings& fs);
AnsiString DateTimeToStr(TDateTime D, const TFormatSettings& fs);

// Parsing. A date is three numbers in the order of ShortDateFormat (year first for
// "yyyy-MM-dd"), separated by DateSeparator, '-' or '/'; two numbers mean month and
// day (or day and month, by the order) of the current year. A year of one or two
// digits goes through TwoDigitYearCenturyWindow. A time is h:n, h:n:s or h:n:s.z with
// an optional AM/PM (or TimeAMString/TimePMString) after a blank. StrToDateTime takes
// a date, optionally followed by blanks and a time. Blanks around the text are allowed.
// Errors: EConvertError "'<text>' is not a valid date" / "... is not a valid time" /
// "... is not a valid date and time".
TDateTime StrToDate(std::string_view S);
TDateTime StrToTime(std::string_view S);
TDateTime StrToDateTime(std::string_view S);
bool TryStrToDate(std::string_view S, TDateTime& out);
bool TryStrToTime(std::string_view S, TDateTime& out);
bool TryStrToDateTime(std::string_view S, TDateTime& out);
bool TryStrToDate(std::string_view S, TDateTime& out, const TFormatSettings& fs);
bool TryStrToTime(std::string_view S, TDateTime& out, const TFormatSettings& fs);
bool TryStrToDateTime(std::string_view S, TDateTime& out, const TFormatSettings& fs);
TDateTime StrToDateDef(std::string_view S, TDateTime Default);
TDateTime StrToDateTimeDef(std::string_view S, TDateTime Default);
