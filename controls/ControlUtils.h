// Free-standing routines the form controls share: lenient number reading, number
// formatting, the date-text check and its normalisation, and two file-system helpers of
// the dress grid's layout file. They hold no state and never raise to their caller:
// unusable text gives 0 (numbers) or "bad" (dates).
//
// Numbers are read and written with "." whatever the settings, so an edit's text means
// the same on every till.
#pragma once
#include "rtl/AnsiString.h"

// The number a text holds, 0 when it holds none. Accepted: leading blanks, an optional
// sign, decimal digits, nothing after them. We deliberately accept no "$" hexadecimal
// and no inner or trailing blanks: a date field reading "2024-05-$A" or an integer field
// reading "$FF" must not turn into a number. A value beyond the Integer range gives 0.
int StrToIntOrZero(std::string_view s);

// True when s is empty or holds only the blank character 32 (a tab is not blank).
bool IsBlankText(std::string_view s);

// Value -> its 15-significant-digit text -> number again -> FormatFloat(format, ...).
// A value that rounds to zero is written without a sign ("-0" never appears).
AnsiString FormatRounded(std::string_view format, double value);

// FormatRounded("0.########", value): at most eight decimals, no trailing zeros, no
// thousands separators. 2.50 -> "2.5", 0.123456789 -> "0.12345679".
AnsiString FormatNumber(double value);

// The number at the start of a text, read leniently: leading blanks are skipped, a "-"
// is taken, then digits with at most one "." and an exponent "e"/"E" followed by a sign
// or digit; the first other character ends the number and the rest is ignored. No digit
// (a lone "-", "+3", ".") or a text that then fails to convert gives 0. The result is
// rounded through FormatRounded(format, ...): the controls pass "0.00000000".
// "  12.5abc" -> 12.5, "1.2.3" -> 1.2, "1e3" -> 1000, "+3" -> 0.
double ParseNumber(std::string_view s, std::string_view format);

// The run of digits after leading blanks as a non-negative integer; no digit gives 0,
// signs and whatever follows the run are ignored. Callers pass at most nine characters;
// a longer run is capped at the largest Integer.
int LeadingDigitsToInt(std::string_view s);

// True when s is not a date written "yyyy?mm?dd": characters 1-4, 6-7 and 9-10 are the
// year, month and day; characters 5 and 8 and anything after character 10 are not
// looked at. The year must be 1..9999, the month 01..12 and the day 01..last day of the
// month, each written with all its digits (so "2024-2-01" and "2024-05-9 " are bad).
bool IsBadDateText(std::string_view s);

// Characters 1-4, 6-7 and 9-10 of a good date text joined by the current date separator
// ("2024.05.07" -> "2024-05-07").
AnsiString NormalizeDateText(std::string_view s);

// Size in bytes of the file, 0 when it does not exist (or names a folder).
int GetFileSize(std::string_view fileName);

// The folder part of an executable's name: everything before its last "\" (a "\" that is
// the trail byte of a double-byte character does not count); "" when it holds none.
// "C:\Pos\host.exe" -> "C:\Pos".
AnsiString HostFolderOf(std::string_view exeName);

#ifdef _WIN32
// The folder of the host executable (Application->ExeName()), as HostFolderOf.
AnsiString GetHostFolder();
// The application's message box with a single OK button and no icon.
void ShowMessageBox(const AnsiString& text, const AnsiString& caption);
#endif
