#include "platform/sdl/mixer.h"

#include <algorithm>
#include <cstddef>
#include <limits>

void mixWithVolume(std::span<const std::int16_t> in, std::span<std::int16_t> out, std::int32_t volume) {
  const std::int32_t v = std::clamp<std::int32_t>(volume, 0, kMaxMovieVolume);
  const std::size_t n = std::min(in.size(), out.size());
  constexpr std::int32_t lo = std::numeric_limits<std::int16_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int16_t>::max();
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::int16_t>(std::clamp(in[i] * v / 256, lo, hi));
}
