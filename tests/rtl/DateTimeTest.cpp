// Dates and times: calendar arithmetic, FormatDateTime, the parsers.
#include "rtl/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <tuple>
#include <vector>

#include "rtl/Exceptions.h"

namespace {
TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0, int z = 0) {
  return EncodeDateTime(y, m, d, h, n, s, z);
}

std::string Ymd(TDateTime v) {
  int y, m, d;
  DecodeDate(v, y, m, d);
  return std::to_string(y) + "/" + std::to_string(m) + "/" + std::to_string(d);
}
}  // namespace

TEST(DateTimeCalendar, SerialNumbersOfKnownDays) {
  struct Case { int y, m, d; double serial; };
  const Case cases[] = {
      {1899, 12, 30, 0},   {1899, 12, 31, 1},  {1900, 1, 1, 2},    {1899, 12, 29, -1},
      {2000, 1, 1, 36526}, {2024, 3, 5, 45356}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(Ymd(c.serial), std::to_string(c.y) + "/" + std::to_string(c.m) + "/" + std::to_string(c.d));
  }
}

TEST(DateTimeCalendar, InvalidDatesAndTimesAreConvertErrors) {
  TDateTime d;
  for (auto [y, m, dd] : {std::tuple{2023, 2, 29}, {1900, 2, 29}, {2024, 13, 1}, {2024, 0, 1},
                          {2024, 4, 31}, {0, 1, 1}, {10000, 1, 1}, {2024, 1, 0}}) {
    EXPECT_FALSE(TryEncodeDate(y, m, dd, d)) << y << "-" << m << "-" << dd;
    EXPECT_THROW(EncodeDate(y, m, dd), EConvertError);
  }
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, d));
  EXPECT_TRUE(TryEncodeDate(2024, 2, 29, d));
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  try {
    EncodeDate(2023, 2, 29);
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Invalid argument to date encode");
  }
  int y, m, dd;
  EXPECT_THROW(DecodeDate(1e10, y, m, dd), EConvertError);
  EXPECT_THROW(DecodeDate(std::nan(""), y, m, dd), EConvertError);
}

TEST(DateTimeCalendar, NegativeValuesKeepTheDayAndAddTheTime) {
  // -1.25 is 1899-12-29 06:00, not 1899-12-28 18:00.
  EXPECT_EQ(At(1899, 12, 29, 6), -1.25);
  int h, n, s, z;
  DecodeTime(-1.25, h, n, s, z);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(Ymd(-1.25), "1899/12/29");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", -1.25), "1899-12-29 06:00");
  EXPECT_EQ(DateOf(-1.25), -1);
  EXPECT_EQ(TimeOf(-1.25), 0.25);
}

TEST(DateTimeCalendar, TimeRoundsToTheMillisecondAndCarriesIntoTheNextDay) {
  const TDateTime almostMidnight = EncodeDate(2024, 3, 5) + (MSecsPerDay - 0.4) / MSecsPerDay;
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", almostMidnight), "2024-03-06 00:00:00.000");
  const TDateTime t = EncodeTime(13, 45, 30, 250);
  int h, n, s, z;
  DecodeTime(t, h, n, s, z);
  EXPECT_EQ((std::vector<int>{h, n, s, z}), (std::vector<int>{13, 45, 30, 250}));
}

TEST(DateTimeCalendar, WeekdaysLeapYearsAndMonths) {
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);  // a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 3)), 1);    // a Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 4)), 2);
  EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);       // a Monday
  EXPECT_EQ(DayOfWeek(-1.5), 6);                      // 1899-12-29, a Friday
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DaysInAMonth(2023, 2), 28);
  EXPECT_EQ(DaysInAMonth(2023, 13), 0);
  EXPECT_EQ(DaysInMonth(EncodeDate(2023, 4, 9)), 30);
}

TEST(DateTimeCalendar, IncMonthClampsTheDayAndKeepsTheTime) {
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 1, 31))), "2024/2/29");
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2023, 1, 31))), "2023/2/28");
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2023, 12, 15))), "2024/1/15");
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 1, 15), -1)), "2023/12/15");
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 3, 31), -13)), "2023/2/28");
  EXPECT_EQ(TimeOf(IncMonth(At(2024, 1, 31, 12))), 0.5);
  EXPECT_EQ(Ymd(IncDay(EncodeDate(2024, 2, 28), 2)), "2024/3/1");
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1)), EConvertError);
}

TEST(DateTimeClock, NowDateAndTimeAgree) {
  const TDateTime before = Now();
  const TDateTime today = Date();
  const TDateTime now = Now();
  // The wall clock may be set back at any time: only closeness is checked.
  EXPECT_LT(std::fabs(now - before) * MSecsPerDay, 2000) << (now - before) * MSecsPerDay << " ms";
  EXPECT_EQ(DateOf(now), today);  // (fails only across midnight)
  EXPECT_GE(Time(), 0);
  EXPECT_LT(Time(), 1);
  EXPECT_GT(today, EncodeDate(2020, 1, 1));
}

TEST(FormatDateTime, Specifiers) {
  const TDateTime d = At(2024, 3, 5, 14, 7, 9, 45);
  struct Case { const char* fmt; const char* want; };
  const Case cases[] = {
      {"yyyy-mm-dd", "2024-03-05"},
      {"yyyy-MM-dd", "2024-03-05"},
      {"YYYY/MM/DD", "2024-03-05"},  // '/' is the date separator of the settings
      {"yy m d", "24 3 5"},
      {"y", "24"},
      {"hh:nn:ss", "14:07:09"},
      {"h:n:s", "14:7:9"},
      {"hh:mm", "14:07"},            // mm after hh: minutes
      {"hh:mm:ss mm", "14:07:09 03"},  // ... but not after ss
      {"h m", "14 7"},
      {"z zzz", "45 045"},
      {"hh:nn am/pm", "02:07 pm"},
      {"hh:nn AM/PM", "02:07 PM"},
      {"h:nn a/p", "2:07 p"},
      {"h:nn ampm", "2:07 \xCF\xC2\xCE\xE7"},  // 下午
      {"c", "2024-03-05 14:07:09"},
      {"ddddd", "2024-03-05"},
      {"dddddd", "2024-03-05"},
      {"t", "14:07"},
      {"tt", "14:07:09"},
      {"ddd dddd", "\xD6\xDC\xB6\xFE \xD0\xC7\xC6\xDA\xB6\xFE"},  // 周二 星期二
      {"mmm mmmm", "\xC8\xFD\xD4\xC2 \xC8\xFD\xD4\xC2"},          // 三月 三月
      {"'yyyy'yyyy\"mm\"", "yyyy2024mm"},
      {"yyyy\xC4\xEAmm\xD4\xC2" "dd\xC8\xD5", "2024\xC4\xEA" "03\xD4\xC2" "05\xC8\xD5"},  // 年 月 日
      {"yyyy\x81\x64mm", "2024\x81\x64" "03"},  // a trail byte 'd' is no day specifier
      {"x", "x"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.fmt, d), c.want) << c.fmt;
}

// A run of one letter is one field however long it is; a run longer than the letter's
// longest form once printed a field and then another for the rest of the run
// ("hh:nn:ss.zz" showed the milliseconds twice).
TEST(FormatDateTime, LongRunOfALetterIsOneField) {
  const TDateTime d = At(2024, 3, 5, 1, 2, 3, 45);
  struct Case { const char* fmt; const char* want; };
  const Case cases[] = {
      {"hh:nn:ss.zz", "01:02:03.45"},
      {"zz", "45"},
      {"zzzz", "045"},
      {"zzzzzzz", "045"},
      {"hhh", "01"},
      {"nnnn", "02"},
      {"sss", "03"},
      {"hhh:mm", "01:02"},
      {"yyy", "2024"},
      {"yyyyy", "2024"},
      {"yyyyyyyyy", "2024"},
      {"ddddddd", "2024-03-05"},
      {"mmmmm", "\xC8\xFD\xD4\xC2"},  // 三月
      {"ttt", "01:02:03"},
      {"cc", "2024-03-05 01:02:03"},
      {"hh:nn:ss.zzzz am/pm", "01:02:03.045 am"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.fmt, d), c.want) << c.fmt;
  EXPECT_EQ(FormatDateTime("s.zz", At(2024, 3, 5, 0, 0, 7, 5)), "7.05");
}

TEST(FormatDateTime, TwelveHourClockEdges) {
  EXPECT_EQ(FormatDateTime("h am/pm", At(2024, 1, 1, 0)), "12 am");
  EXPECT_EQ(FormatDateTime("h am/pm", At(2024, 1, 1, 12)), "12 pm");
  EXPECT_EQ(FormatDateTime("h am/pm", At(2024, 1, 1, 23)), "11 pm");
  EXPECT_EQ(FormatDateTime("h", At(2024, 1, 1, 23)), "23");
}

TEST(FormatDateTime, StandardTextsFollowTheLibrarySettings) {
  const TDateTime d = At(2024, 3, 5, 8, 0, 0);
  EXPECT_EQ(DateToStr(d), "2024-03-05");
  EXPECT_EQ(TimeToStr(d), "08:00:00");
  EXPECT_EQ(DateTimeToStr(d), "2024-03-05 08:00:00");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "2024-03-05");  // no time: date only
  EXPECT_EQ(TimeToStr(EncodeTime(0, 0, 1, 0)), "00:00:01");
  EXPECT_EQ(FormatDateTime("", d), "2024-03-05 08:00:00");

  TFormatSettings fs;
  fs.DateSeparator = '.';
  fs.ShortDateFormat = "dd/mm/yyyy";
  EXPECT_EQ(DateToStr(d, fs), "05.03.2024");
  EXPECT_EQ(DateToStr(d), "2024-03-05");  // the global settings are untouched
}

TEST(FormatDateTime, ValuesOutsideTheCalendarAreErrors) {
  EXPECT_THROW(FormatDateTime("yyyy", 1e9), EConvertError);
  EXPECT_THROW(DateToStr(std::nan("")), EConvertError);
}

TEST(StrToDate, ReadsTheOrderOfTheShortDateFormat) {
  struct Case { const char* text; const char* ymd; };
  const Case cases[] = {
      {"2024-03-05", "2024/3/5"}, {"2024/3/5", "2024/3/5"}, {" 2024-3-05 ", "2024/3/5"},
      {"2000-02-29", "2000/2/29"}, {"0001-01-01", "1/1/1"}, {"9999-12-31", "9999/12/31"},
  };
  for (const auto& c : cases) EXPECT_EQ(Ymd(StrToDate(c.text)), c.ymd) << c.text;

  TFormatSettings dmy;
  dmy.ShortDateFormat = "dd/mm/yyyy";
  dmy.DateSeparator = '.';
  TDateTime d;
  ASSERT_TRUE(TryStrToDate("05.03.2024", d, dmy));
  EXPECT_EQ(Ymd(d), "2024/3/5");
}

TEST(StrToDate, ShortFormsTakeTheCurrentYearAndTheCenturyWindow) {
  int y, m, dd;
  DecodeDate(Date(), y, m, dd);
  EXPECT_EQ(Ymd(StrToDate("3-5")), std::to_string(y) + "/3/5");
  // Two-digit years fall in the hundred years around today.
  const int near = (y + 10) % 100;
  char text[16];
  std::snprintf(text, sizeof text, "%02d-01-01", near);
  EXPECT_EQ(YearOf(StrToDate(text)), y + 10);
  std::snprintf(text, sizeof text, "%02d-01-01", (y - 60 + 100) % 100);
  EXPECT_EQ(YearOf(StrToDate(text)), y + 40);
}

TEST(StrToDate, MalformedDatesAreErrors) {
  for (const char* s : {"", "2024", "2024-02-30", "2023-02-29", "2024-13-01", "2024-00-10",
                        "2024-03-05x", "2024--03-05", "2024-03-", "20240-03-05", "2024.03.05",
                        "2024-03-05 10:00", "a-b-c", "2024-3-5-1", "0000-01-01"}) {
    TDateTime d;
    EXPECT_FALSE(TryStrToDate(s, d)) << s;
  }
  try {
    StrToDate("2024-02-30");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'2024-02-30' is not a valid date");
  }
  EXPECT_EQ(StrToDateDef("bad", 7), 7);
}

TEST(StrToTime, FormsAndErrors) {
  struct Case { const char* text; int h, n, s, z; };
  const Case good[] = {
      {"10:20", 10, 20, 0, 0},        {"10:20:30", 10, 20, 30, 0}, {"1:2:3.4", 1, 2, 3, 4},
      {"10:20:30.250", 10, 20, 30, 250}, {"2:05 PM", 14, 5, 0, 0}, {"12:00 am", 0, 0, 0, 0},
      {"12:30 PM", 12, 30, 0, 0},     {" 23:59:59 ", 23, 59, 59, 0},
      {"9:15 \xCF\xC2\xCE\xE7", 21, 15, 0, 0},  // 下午
  };
  for (const auto& c : good) {
    int h, n, s, z;
    DecodeTime(StrToTime(c.text), h, n, s, z);
    EXPECT_EQ((std::vector<int>{h, n, s, z}), (std::vector<int>{c.h, c.n, c.s, c.z})) << c.text;
  }
  for (const char* s : {"", "10", "24:00", "10:60", "10:20:60", "13:00 PM", "0:10 AM", "10:20x",
                        "10:20:", "1000:20", "10:20 XM"}) {
    TDateTime t;
    EXPECT_FALSE(TryStrToTime(s, t)) << s;
  }
  EXPECT_THROW(StrToTime("x"), EConvertError);
}

TEST(StrToDateTime, DateWithOptionalTime) {
  EXPECT_EQ(StrToDateTime("2024-03-05"), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDateTime("2024-03-05 14:07:09"), At(2024, 3, 5, 14, 7, 9));
  EXPECT_EQ(StrToDateTime("2024-03-05   8:00"), At(2024, 3, 5, 8));
  EXPECT_EQ(StrToDateTime("14:30"), EncodeTime(14, 30, 0, 0));
  EXPECT_EQ(StrToDateTime("1899-12-29 06:00"), -1.25);
  for (const char* s : {"2024-03-05 25:00", "2024-03-0514:00", "2024-03-05 14:00 x", "x"}) {
    TDateTime d;
    EXPECT_FALSE(TryStrToDateTime(s, d)) << s;
  }
  try {
    StrToDateTime("2024-03-05 x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'2024-03-05 x' is not a valid date and time");
  }
}

TEST(StrToDateTime, RoundTripsWithDateTimeToStr) {
  for (TDateTime d : {At(2024, 3, 5, 14, 7, 9), EncodeDate(1999, 12, 31), At(1899, 12, 29, 6)})
    EXPECT_EQ(StrToDateTime(DateTimeToStr(d)), d) << DateTimeToStr(d);
}
