// Smart-More selection and sortByMatch.
#include <algorithm>
#include <cstdlib>
#include <random>
#include <utility>

#include "library_fixture.h"

namespace {

using Scores = std::vector<std::pair<std::int32_t, std::int32_t>>;

// (library number, matchScore) of every entry, in playlist order.
Scores scored() {
  Scores v;
  for (std::int32_t k = 1; k <= gTotalPlaylistTunes_L; ++k)
    v.emplace_back(std::int32_t{gPlaylistTunes_A[k].tuneNumber}, std::int32_t{gPlaylistTunes_A[k].matchScore});
  return v;
}

}  // namespace

// Each row is a library, its match tune and the Smart-More playlist it gives:
// (tune, points) in playlist order. Points are score * 100, +10 for the same
// genre group (never "Unknown"), +10 for the same artist and album (case
// blind), -20, and -7 for an "Unknown" group with another title.
TEST_F(PlaylistTest, SmartMoreTakesTheTunesAlikeEnoughWithTheirPoints) {
  using F = TuneFields;
  const F m{.artist = "Match", .bypassCount = 100, .ctCount = 100, .meanSamplePitch = 1000, .avgTunePitch = 1000};
  const F other{.artist = "Other", .bypassCount = 100, .ctCount = 100, .meanSamplePitch = 1000, .avgTunePitch = 1000};
  const F gate{.genreGroup = "Jazz", .bypassCount = 64, .ctCount = 64, .meanSamplePitch = 1024, .avgTunePitch = 1024};
  const F unknown{.title = "Same", .genreGroup = "Unknown"};
  // The same record bonus for none but the match tune.
  const std::vector<F> groups = {{.artist = "1", .genreGroup = "Heavy Metal"},
                                 {.artist = "2", .genreGroup = "Classical"},
                                 {.artist = "3", .genreGroup = "Holiday & Seasonal"},
                                 {.artist = "4", .genreGroup = "Rock"},
                                 {.artist = "5", .genreGroup = "Jazz"}};
  auto with = [](F f, auto change) {
    change(f);
    return f;
  };
  const struct {
    const char* what;
    std::vector<F> tunes;
    std::int32_t match;
    Scores want;
  } rows[] = {
      // Twins but for the group; an unchecked match tune is not in its own playlist.
      {"match leads", {{}, {.genreGroup = "Unknown"}, {.checked = 0}}, 1, {{1, 100}, {2, 90}}},
      {"Unknown earns no group bonus", {{}, {.genreGroup = "Unknown"}, {.checked = 0}}, 2, {{1, 90}, {2, 90}}},
      {"unchecked match", {{}, {.genreGroup = "Unknown"}, {.checked = 0}}, 3, {{1, 100}, {2, 90}}},
      {"energy window, both ends in",
       {{.hpe = 10000}, {.hpe = 6226}, {.hpe = 6227}, {.hpe = 13773}, {.hpe = 13774}},
       1,
       {{1, 100}, {3, 100}, {4, 100}}},
      {"energy window below zero", {{.hpe = 1000}, {.hpe = -2773}, {.hpe = -2774}}, 1, {{1, 100}, {2, 100}}},
      {"Heavy Metal meets only itself", groups, 1, {{1, 100}}},
      {"Classical meets only itself", groups, 2, {{2, 100}}},
      {"Holiday meets only itself", groups, 3, {{3, 100}}},
      {"Rock meets Jazz without bonus, none of the three", groups, 4, {{4, 100}, {5, 80}}},
      {"nothing measured", {{}, {.bypassCount = 0, .ctCount = 0}}, 1, {{1, 100}}},
      {"nothing measured as match", {{}, {.bypassCount = 0, .ctCount = 0}}, 2, {}},
      // No bonus: points = score * 100 - 20. s3 + s4 = 0.001 + 0.199: exactly
      // 62 points; 0.1 + 0.099: 61.999. Count likeness 0.75 passes (shape kept:
      // bypass scales; 97.5 + 10 - 20 stored as 87), 0.74 does not; a shape
      // likeness of 0.7 does not.
      {"shape, count and the 62-point cut",
       {m, with(other, [](F& f) { f.genreGroup = "Jazz", f.meanSamplePitch = 1, f.avgTunePitch = 199; }),
        with(other, [](F& f) { f.genreGroup = "Jazz", f.meanSamplePitch = 100, f.avgTunePitch = 99; }),
        with(other, [](F& f) { f.bypassCount = f.ctCount = 75; }),
        with(other, [](F& f) { f.bypassCount = f.ctCount = 74; }), with(other, [](F& f) { f.bypassCount = 70; })},
       1,
       {{1, 100}, {2, 62}, {4, 87}}},
      // Both bonuses make up for the 20: the score gate alone decides.
      // s1 = s2 = 0.75, s3 = 0.25, s4 = 0.25: 0.65; s4 = 0.125: 0.6375.
      {"score gate at 0.65",
       {gate, with(gate, [](F& f) { f.bypassCount = 36, f.ctCount = 48, f.meanSamplePitch = f.avgTunePitch = 256; }),
        with(gate, [](F& f) { f.bypassCount = 36, f.ctCount = 48, f.meanSamplePitch = 256, f.avgTunePitch = 128; })},
       1,
       {{1, 100}, {2, 65}}},
      // Record bonus ignores case; titles compare exactly for the penalty.
      {"bonuses and the Unknown penalty",
       {unknown, with(unknown, [](F& f) { f.title = "Different", f.artist = "ARTIST", f.album = "album"; }),
        with(unknown, [](F& f) { f.artist = "Someone"; }),
        with(unknown, [](F& f) { f.title = "same", f.artist = "Someone"; })},
       1,
       {{1, 90}, {2, 83}, {3, 80}, {4, 73}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    std::int32_t k = 0;
    for (const F& f : row.tunes) putTune(++k, f);
    setLibrarySize(k);
    build(kPlaylistAllTunes);  // a build that leaves nothing must not keep it
    gCurrentMatchTune_L = row.match;
    build(kPlaylistSmartMore);
    EXPECT_EQ(scored(), row.want);
    expectWholeCopies();
  }
}

// Bubble passes that swap neighbours while the earlier score is smaller give
// the stable order of descending scores.
TEST_F(PlaylistTest, SortByMatchIsTheStableOrderOfBubblePasses) {
  std::mt19937 gen(99);
  for (std::int32_t n : {1, 2, 3, 17, 500, -4}) {
    SCOPED_TRACE(n);
    // Few distinct scores, negative ones included, so ties abound; -4: four
    // rising scores, the farthest from sorted.
    const std::int32_t count = std::abs(n);
    for (std::int32_t k = 1; k <= count; ++k) putTune(k);
    setLibrarySize(count);
    build(kPlaylistAllTunes);
    for (std::int32_t k = 1; k <= count; ++k)
      gPlaylistTunes_A[k].matchScore = n < 0 ? k : static_cast<std::int32_t>(gen() % 7) - 2;
    auto want = scored();
    std::stable_sort(want.begin(), want.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    sortByMatch();
    EXPECT_EQ(scored(), want);
    expectWholeCopies();  // records moved whole
  }
}
