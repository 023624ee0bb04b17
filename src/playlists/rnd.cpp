#include "playlists/rnd.h"

#include <random>

namespace {

// A Mersenne Twister rather than rand(): its sequence for a given seed is the
// same on every C library, so a seeded build is reproducible anywhere.
std::mt19937& generator() {
  static std::mt19937 gen;
  return gen;
}

bool gRndSeeded = false;

}  // namespace

void seedRnd(std::uint64_t seed) {
  std::seed_seq seq{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32)};
  generator().seed(seq);
  gRndSeeded = true;
}

void seedRndFromEntropy() {
  std::random_device device;
  std::seed_seq seq{device(), device(), device(), device(), device(), device(), device(), device()};
  generator().seed(seq);
  gRndSeeded = true;
}

std::int32_t rnd(std::int32_t n) {
  if (!gRndSeeded) seedRndFromEntropy();
  // r takes the top 31 bits of one 32-bit draw: uniform in 0..2^31 - 1.
  const std::int64_t r = static_cast<std::int64_t>(generator()() >> 1);
  // A range below 1 has no meaningful draw; 1 is the one index that is
  // always safe for callers that use the result as a table index.
  if (n < 1) return 1;
  return static_cast<std::int32_t>((r * n) >> 31) + 1;
}
