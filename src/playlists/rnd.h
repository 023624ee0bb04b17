// The program's random whole numbers.
#pragma once

#include <cstdint>

// A uniformly drawn integer in 1..n: the truncation of r * n / 2^31, plus 1,
// with r uniform in 0..2^31 - 1. rnd(0) = 1, and so is any n below 1. The
// generator seeds itself from the system's entropy on first use, so every run
// draws a different sequence.
std::int32_t rnd(std::int32_t n);

// Seeds the generator from the system's random source (start-up).
void seedRndFromEntropy();

// Seeds the generator with a fixed value: the same seed gives the same
// sequence of draws (tests, the command-line tool's --seed).
void seedRnd(std::uint64_t seed);
