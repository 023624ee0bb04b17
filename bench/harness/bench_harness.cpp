// The same-song consistency evaluation over a full library: 30000 tunes in
// which every song title and artist occurs six times (5000 songs), so 150000
// ordered pairs match; the text window's lines are counted, not shown.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "harness/harness.h"
#include "library/tune.h"

namespace {

std::size_t gLines = 0;
void countLine(std::string_view) { ++gLines; }

void fillLibrary() {
  for (std::int32_t k = 1; k <= kMaxTunes; ++k) {
    Tune& t = gTunes_A[k];
    std::memset(&t, 0, sizeof t);
    const int song = k % 5000;
    t.title.assign("Song number " + std::to_string(song));
    t.artist.assign("Artist " + std::to_string(song % 700));
    t.album.assign("Album " + std::to_string(k % 2500));
    t.ctCount = 500 + (k * 7919) % 9000;
  }
  gTotalTunes_L = gStartTotalTunes_L = kMaxTunes;
}

void BM_Consistency(benchmark::State& state) {
  fillLibrary();
  for (auto _ : state) measureHPEError(countLine);
  state.counters["pairs"] = gHarnessPairs_L;
  state.counters["score"] = gHarnessScore_D;
}

void BM_Words(benchmark::State& state) {
  fillLibrary();
  for (auto _ : state) measureWordEnergy(countLine);
  state.counters["words"] = gTotalUniqueWords_L;
}

}  // namespace

BENCHMARK(BM_Consistency)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Words)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
