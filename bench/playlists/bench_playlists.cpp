// Building every kind of playlist from a full library of 30000 tunes, and
// ranking a 6000-entry playlist, next to plain memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "playlists/builder.h"

namespace {

constexpr std::int32_t kLibraryTunes = 30000;

// A library that looks like a real one: a few thousand artists with a few
// albums each, genres of uneven popularity, HPE spread over every colour,
// measures scattered around typical values, most tunes checked.
void makeLibrary() {
  static bool made = false;
  if (made) return;
  made = true;
  std::mt19937 gen(1234);
  auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
  const char* words[] = {"Love",   "Night", "Blue", "Fire", "Heart", "Dance", "Rain", "City", "Dream", "Road",
                         "Summer", "Light", "Moon", "Gold", "River", "Home",  "Wild", "Time", "Star",  "Song"};
  struct Genre {
    const char* name;
    const char* group;
  };
  const Genre genres[] = {{"Rock", "Rock"},
                          {"Pop", "Pop"},
                          {"Jazz", "Jazz"},
                          {"Classical", "Classical"},
                          {"Heavy Metal", "Heavy Metal"},
                          {"Hip-Hop", "Rap"},
                          {"Electronic", "Electronic"},
                          {"Country", "Country"},
                          {"Blues", "Blues"},
                          {"Soundtrack", "Soundtrack"},
                          {"Unknown", "Unknown"},
                          {"Christmas", "Holiday & Seasonal"},
                          {"Alternative", "Rock"},
                          {"R&B", "R&B"},
                          {"Reggae", "Reggae"}};
  const std::int32_t bands[] = {0, 8000, 12000, 16000, 20000, 24000, 28000, 32000, 36000};
  std::normal_distribution<double> hpe(22000, 9000);
  for (std::int32_t k = 1; k <= kLibraryTunes; ++k) {
    Tune& t = gTunes_A[k];
    t = Tune{};
    const int artist = pick(3000);
    const int album = artist * 4 + pick(4);
    // Popular genres first: the index is skewed towards 0.
    const Genre& g = genres[std::min(pick(15), pick(15))];
    t.title.assign(std::string(words[pick(20)]) + " " + words[pick(20)] + " " + std::to_string(k % 97));
    t.artist.assign("Artist " + std::to_string(artist));
    t.album.assign(std::string(words[album % 20]) + " Album " + std::to_string(album));
    t.genre.assign(g.name);
    t.genreGroup.assign(g.group);
    t.filePath.assign("/home/user/Music/" + t.artist.str() + "/" + t.album.str() + "/" + t.title.str() + ".mp3");
    const auto h = static_cast<std::int32_t>(std::max(500.0, hpe(gen)));
    t.hpe = h;
    std::int32_t colour = 1;
    while (colour < 9 && h >= bands[colour]) ++colour;
    t.colourCategory = colour;
    const std::int32_t ct = 2000 + pick(6000);
    t.ctCount = ct;
    t.bypassCount = ct / 2 + pick(ct / 2);
    t.meanSamplePitch = 100 + pick(400);
    t.avgTunePitch = 200 + pick(600);
    t.durationSeconds = 120 + pick(360);
    t.fileLength = static_cast<std::uint32_t>(t.durationSeconds) * 16000u * 2u;
    t.checked = pick(20) == 0 ? 0 : 1;
    t.justAdded = pick(10) == 0 ? 1 : 0;
    t.playCount = pick(20) == 0 ? 1 + pick(5) : 0;
    t.tuneNumber = k;
    t.permID = static_cast<std::uint32_t>(k);
  }
  gTotalTunes_L = gStartTotalTunes_L = kLibraryTunes;
  seedRnd(42);
}

void BM_Build(benchmark::State& state) {
  makeLibrary();
  const auto kind = static_cast<std::int16_t>(state.range(0));
  gCurrentMatchTune_L = 15001;
  gSearchString$.assign("love");
  for (auto _ : state) {
    gCurrentPlaylist_S = kind;
    buildCurrentPlaylist();
    benchmark::DoNotOptimize(gTotalPlaylistTunes_L);
  }
  state.counters["tunes"] = gTotalPlaylistTunes_L;
  state.SetBytesProcessed(state.iterations() * gTotalPlaylistTunes_L * static_cast<std::int64_t>(sizeof(Tune)));
}
BENCHMARK(BM_Build)->DenseRange(3, 19)->Unit(benchmark::kMillisecond);

// Last Added right after the first add run of a full library: all 30000
// tunes are new, so the build copies the whole library in shuffled order.
void BM_BuildLastAddedWholeLibrary(benchmark::State& state) {
  makeLibrary();
  std::vector<std::uint8_t> was(kLibraryTunes + 1);
  for (std::int32_t k = 1; k <= kLibraryTunes; ++k) {
    was[k] = gTunes_A[k].justAdded;
    gTunes_A[k].justAdded = 1;
  }
  for (auto _ : state) {
    gCurrentPlaylist_S = kPlaylistLastAdded;
    buildCurrentPlaylist();
    benchmark::DoNotOptimize(gTotalPlaylistTunes_L);
  }
  for (std::int32_t k = 1; k <= kLibraryTunes; ++k) gTunes_A[k].justAdded = was[k];
  state.counters["tunes"] = gTotalPlaylistTunes_L;
  state.SetBytesProcessed(state.iterations() * gTotalPlaylistTunes_L * static_cast<std::int64_t>(sizeof(Tune)));
}
BENCHMARK(BM_BuildLastAddedWholeLibrary)->Unit(benchmark::kMillisecond);

// The bytes an All Tunes build copies, as one memcpy between two tables.
void BM_MemcpyRecords(benchmark::State& state) {
  makeLibrary();
  const auto n = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    std::memcpy(gNowPlaying_A.records(1, n).data(), gTunes_A.records(1, n).data(), n * sizeof(Tune));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * n * static_cast<std::int64_t>(sizeof(Tune)));
}
BENCHMARK(BM_MemcpyRecords)->Arg(kLibraryTunes)->Arg(6000)->Unit(benchmark::kMillisecond);

// sortByMatch on 6000 entries with Smart-More scores (62..100, many ties),
// restored to the same unsorted order before every run.
void BM_SortByMatch(benchmark::State& state) {
  makeLibrary();
  constexpr std::int32_t n = 6000;
  std::mt19937 gen(7);
  std::memcpy(gHoldTunes_A.records(2, n).data(), gTunes_A.records(1, n).data(), n * sizeof(Tune));
  for (std::int32_t k = 2; k <= n + 1; ++k) gHoldTunes_A[k].matchScore = 62 + static_cast<std::int32_t>(gen() % 39);
  std::vector<Tune> unsorted(n);
  std::memcpy(unsorted.data(), gHoldTunes_A.records(2, n).data(), n * sizeof(Tune));
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(gPlaylistTunes_A.records(1, n).data(), unsorted.data(), n * sizeof(Tune));
    gTotalPlaylistTunes_L = n;
    state.ResumeTiming();
    sortByMatch();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * n * static_cast<std::int64_t>(sizeof(Tune)));
}
BENCHMARK(BM_SortByMatch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
