// Where the analysis takes its fourteen one-second excerpts of a tune.
#pragma once

#include <cstdint>

// Start (in time units) of excerpt `part` (1..14) of a tune of `duration`
// units at `scale` units per second; -1 for a part outside 1..14. Products
// are taken in double precision and truncated toward zero; parts 2 and 9 use
// integer halvings.
inline std::int32_t analysisStart(int part, std::int32_t duration, std::int32_t scale) {
  const double d = duration;
  switch (part) {
    case 1: return static_cast<std::int32_t>(0.37 * d);
    case 2: return duration / 2 - scale / 2;
    case 3: return static_cast<std::int32_t>(0.73 * d);
    case 4: return static_cast<std::int32_t>(0.9 * d);
    case 5: return static_cast<std::int32_t>(0.1 * d);
    case 6: return static_cast<std::int32_t>(0.24 * d);
    case 7: return static_cast<std::int32_t>(0.63 * d);
    case 8: return static_cast<std::int32_t>(0.37 * d * 0.5);
    case 9: return duration / 2 - scale / 4;
    case 10: return static_cast<std::int32_t>(0.73 * d * 0.5);
    case 11: return static_cast<std::int32_t>(0.9 * d * 0.5);
    case 12: return static_cast<std::int32_t>(0.24 * d * 0.5);
    case 13: return static_cast<std::int32_t>(0.63 * d * 0.5);
    case 14: return static_cast<std::int32_t>(0.1 * d * 0.5);
    default: return -1;
  }
}
