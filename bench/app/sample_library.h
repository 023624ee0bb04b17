// A library of made-up tunes for measurements and screenshots.
#pragma once

#include <cstdint>

// Fills library tunes 1..n with varied titles, artists, albums, genres,
// colours and durations, and commits them.
void makeSampleLibrary(std::int32_t n);
