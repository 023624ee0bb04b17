// Durations as text: the clock form stored with each tune and the spelled-out
// form of playlist and library totals.
#pragma once

#include <cstdint>
#include <string>

// 5 -> "0:05", 187 -> "3:07", 3723 -> "1:02:03", 90061 -> "1:1:1:1".
std::string convertSecstoTimeStringShort(std::int32_t seconds);

// 61 -> " 1 min  1 secs ", 7322 -> " 2 hrs 2 mins  2 secs ".
std::string convertSecstoTimeString(std::int32_t seconds);
