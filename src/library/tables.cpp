#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "library/tune.h"

std::int32_t gTotalTunes_L = 0;
std::int32_t gStartTotalTunes_L = 0;
std::int32_t gMaxTunes_L = kMaxTunes;
std::uint32_t gNextPermIDNumber_UL = 0;
std::int32_t gTotalPlaylistTunes_L = 0;
std::int32_t gTotalPlaying_L = 0;

std::int32_t gTotalDarkBlueTunes_L = 0;
std::int32_t gTotalBlueTunes_L = 0;
std::int32_t gTotalGreenTunes_L = 0;
std::int32_t gTotalSoringGreenTunes_L = 0;
std::int32_t gTotalYellowTunes_L = 0;
std::int32_t gTotalOrangeTunes_L = 0;
std::int32_t gTotalRedTunes_L = 0;
std::int32_t gTotalPinkTunes_L = 0;
std::int32_t gTotalPurpleTunes_L = 0;

// Anonymous private mappings are committed page by page on first touch, so a
// table costs address space, not memory, until records are used.
TuneTable::TuneTable() {
  const std::size_t bytes = sizeof(Tune) * kTableRecords;
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) {
    std::fputs("Lumaroll: cannot reserve memory for the tune tables\n", stderr);
    std::_Exit(1);
  }
  base_ = static_cast<Tune*>(p);
}

std::span<Tune> TuneTable::records(std::int64_t first, std::int64_t count) const {
  if (count <= 0) return {};
  if (first < 0 || first + count > kTableRecords) outOfRange(first + count - 1);
  return {base_ + first, static_cast<std::size_t>(count)};
}

void TuneTable::outOfRange(std::int64_t i) {
  std::fprintf(stderr, "Lumaroll: tune record index %lld outside the table\n", static_cast<long long>(i));
  std::abort();
}

TuneTable gTunes_A;
TuneTable gPlaylistTunes_A;
TuneTable gNowPlaying_A;
Movie gNowPlayingMovie = nullptr;
TuneTable gHoldTunes_A;

std::int32_t* colourCounter(std::int32_t category) {
  switch (category) {
    case 1: return &gTotalDarkBlueTunes_L;
    case 2: return &gTotalBlueTunes_L;
    case 3: return &gTotalGreenTunes_L;
    case 4: return &gTotalSoringGreenTunes_L;
    case 5: return &gTotalYellowTunes_L;
    case 6: return &gTotalOrangeTunes_L;
    case 7: return &gTotalRedTunes_L;
    case 8: return &gTotalPinkTunes_L;
    case 9: return &gTotalPurpleTunes_L;
    default: return nullptr;
  }
}

std::int32_t claimTuneRecord() {
  if (gTotalTunes_L >= gMaxTunes_L || gTotalTunes_L >= kMaxTunes) return 0;
  return ++gTotalTunes_L;
}

void giveBackTuneRecord() {
  if (gTotalTunes_L > gStartTotalTunes_L) --gTotalTunes_L;
}

void commitTunes() { gStartTotalTunes_L = gTotalTunes_L; }

bool removeTune(std::int32_t i) {
  if (i < 1 || i > gStartTotalTunes_L) return false;
  const std::int32_t after = gStartTotalTunes_L - i;
  if (after > 0) std::memmove(&gTunes_A[i], &gTunes_A[i + 1], static_cast<std::size_t>(after) * sizeof(Tune));
  --gTotalTunes_L;
  --gStartTotalTunes_L;
  return true;
}

void recountColours() {
  for (std::int32_t c = 1; c <= 9; ++c) *colourCounter(c) = 0;
  for (std::int32_t k = 1; k <= gStartTotalTunes_L; ++k)
    if (std::int32_t* counter = colourCounter(gTunes_A[k].colourCategory)) ++*counter;
}
