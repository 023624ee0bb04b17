#include "engine/durations.h"

#include <algorithm>

#include "core/pstring.h"

std::string convertSecstoTimeStringShort(std::int32_t s) {
  if (s < 0) s = 0;
  const std::int32_t m = s / 60, h = s / 3600, d = s / 86400;
  const std::int32_t sec = s % 60, min = (s / 60) % 60, hr = (s / 3600) % 24;
  std::string t;
  if (s < 60) {
    t = (s <= 9 ? "0:0" : "0:") + numText(s);
  } else if (s < 3600) {
    t = numText(m) + ":" + (sec <= 9 ? "0" : "") + numText(sec);
  } else if (s < 86400) {
    t = numText(h) + ":" + (min <= 9 ? "0" : "") + numText(min) + ":" + (sec <= 9 ? "0" : "") + numText(sec);
  } else {
    t = numText(d) + ":" + numText(hr) + ":" + numText(min) + ":" + numText(sec);
  }
  t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
  return t;
}

std::string convertSecstoTimeString(std::int32_t s) {
  if (s < 0) s = 0;
  const std::int32_t m = s / 60, h = s / 3600, d = s / 86400;
  const std::int32_t sec = s % 60, min = (s / 60) % 60, hr = (s / 3600) % 24;
  if (s < 60) return numText(s) + " secs ";
  if (s < 3600) return numText(m) + (m == 1 ? " min " : " mins ") + numText(sec) + " secs ";
  const std::string tail = numText(min) + " mins " + numText(sec) + " secs ";
  if (s < 86400) return numText(h) + (h == 1 ? " hr " : " hrs") + tail;
  return numText(d) + (d == 1 ? " day " : " days ") + numText(hr) + (hr == 1 ? " hr " : " hrs ") + tail;
}
