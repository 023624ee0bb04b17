#include <gtest/gtest.h>

#include "engine/durations.h"

TEST(Durations, ShortForm) {
  const std::pair<int, const char*> cases[] = {
      {0, "0:00"},       {5, "0:05"},       {9, "0:09"},         {10, "0:10"},       {42, "0:42"},
      {59, "0:59"},      {60, "1:00"},      {187, "3:07"},       {599, "9:59"},      {3599, "59:59"},
      {3600, "1:00:00"}, {3723, "1:02:03"}, {86399, "23:59:59"}, {86400, "1:0:0:0"}, {90061, "1:1:1:1"},
  };
  for (const auto& [s, text] : cases) EXPECT_EQ(convertSecstoTimeStringShort(s), text) << s;
}

TEST(Durations, LongForm) {
  EXPECT_EQ(convertSecstoTimeString(0), " 0 secs ");
  EXPECT_EQ(convertSecstoTimeString(1), " 1 secs ");
  EXPECT_EQ(convertSecstoTimeString(61), " 1 min  1 secs ");
  EXPECT_EQ(convertSecstoTimeString(125), " 2 mins  5 secs ");
  EXPECT_EQ(convertSecstoTimeString(3600), " 1 hr  0 mins  0 secs ");
  EXPECT_EQ(convertSecstoTimeString(3660), " 1 hr  1 mins  0 secs ");
  EXPECT_EQ(convertSecstoTimeString(7322), " 2 hrs 2 mins  2 secs ");
  EXPECT_EQ(convertSecstoTimeString(90000), " 1 day  1 hr  0 mins  0 secs ");
  EXPECT_EQ(convertSecstoTimeString(2 * 86400 + 5 * 3600 + 61), " 2 days  5 hrs  1 mins  1 secs ");
}
