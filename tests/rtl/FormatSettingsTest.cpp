// The one value taken from the machine's locale: the first day of the week.
#include "rtl/FormatSettings.h"

#include <gtest/gtest.h>

TEST(LocaleFirstDayOfWeek, IsOneDigitOfTheSystemsSettingOrMondayWithoutOne) {
  const AnsiString v = LocaleFirstDayOfWeek();
#ifdef _WIN32
  ASSERT_EQ(v.size(), 1u) << v;
  EXPECT_TRUE(v[0] >= '0' && v[0] <= '6') << v;
#else
  EXPECT_EQ(v, "0");  // no such setting natively: Monday, as the system's own default
#endif
}
