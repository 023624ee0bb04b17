// Where the analysis takes its fourteen one-second excerpts of a tune, for
// the tool's and the tests' use; the analysis itself owns the rule.
#pragma once

#include <cstdint>

#include "engine/analysis.h"

// Start (in time units) of excerpt `part` (1..14) of a tune of `duration`
// units at `scale` units per second; -1 for a part outside 1..14.
inline std::int32_t analysisStart(int part, std::int32_t duration, std::int32_t scale) {
  return analysisStartTime(part, duration, scale).value_or(-1);
}
