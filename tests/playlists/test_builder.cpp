// The builder: which tunes each kind takes, in which order, the totals, the
// identity, and the colour draw.
#include <algorithm>
#include <functional>
#include <numeric>
#include <regex>
#include <set>

#include "library_fixture.h"

namespace {

// A library of 60 tunes whose fields vary in ways each rule looks at.
void putVariedLibrary() {
  const char* artists[] = {"Unknown", "UNKNOWN", "unknown", "The Band", "Solo"};
  const char* albums[] = {"Blue", "Red", "blue"};
  const char* genres[] = {"Rock", "Jazz", "rock", "Classical"};
  for (std::int32_t k = 1; k <= 60; ++k) {
    Tune& t = putTune(k, {.title = "Song " + std::to_string(k),
                          .artist = artists[k % 5],
                          .album = albums[k % 3],
                          .genre = genres[k % 4],
                          .colourCategory = 1 + k % 9,
                          .checked = k % 7 != 0});
    t.justAdded = (k % 4 == 0) ? 1 : (k % 4 == 1 ? 2 : 0);  // only 1 means "just added"
    t.playCount = (k % 6) - 2;                              // -2..3
  }
  setLibrarySize(60);
}

std::vector<std::int32_t> sorted(std::vector<std::int32_t> v) {
  std::sort(v.begin(), v.end());
  return v;
}

}  // namespace

TEST_F(PlaylistTest, EachKindTakesExactlyTheTunesOfItsRule) {
  putVariedLibrary();
  gCurrentMatchTune_L = 5;  // artist "Unknown", album "blue", genre "Jazz"
  gSearchString$.assign("oLO");
  const Tune& m = gTunes_A[5];

  std::vector<std::pair<std::int16_t, std::function<bool(const Tune&)>>> cases = {
      // The library in its own order (never shuffled). Each tune is 1.5 MB:
      // the size total is 1 MB per tune once shifted, not 90 MB for the sum.
      {kPlaylistAllTunes, [](const Tune&) { return true; }},
      {kPlaylistLastAdded, [](const Tune& t) { return t.justAdded == 1; }},
      {kPlaylistSmartPlays, [](const Tune& t) { return t.playCount >= 1; }},
      // Exact, case-sensitive: "UNKNOWN" and "unknown" are other artists.
      {kPlaylistArtist, [&](const Tune& t) { return t.artist.view() == m.artist.view(); }},
      {kPlaylistAlbum, [&](const Tune& t) { return t.album.view() == m.album.view(); }},
      {kPlaylistGenre, [&](const Tune& t) { return t.genre.view() == m.genre.view(); }},
      // Case-blind: the artist "Solo" only.
      {kPlaylistSearch, [](const Tune& t) { return t.artist.str() == "Solo"; }},
  };
  // With at most 100 tunes a colour takes checked and unchecked tunes alike.
  for (std::int16_t kind = 11; kind <= 19; ++kind)
    cases.push_back({kind, [kind](const Tune& t) { return t.colourCategory == kind - 10; }});

  for (const auto& [kind, rule] : cases) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    gCurrentSelectedTune_L = 9;
    build(kind);
    std::vector<std::int32_t> want;
    for (std::int32_t k = 1; k <= 60; ++k)
      if (rule(gTunes_A[k])) want.push_back(k);
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(kind == kPlaylistAllTunes ? entries() : sorted(entries()), want);
    expectWholeCopies();
    EXPECT_EQ(gCurrentSelectedTune_L, 0);
  }
}

// Kinds outside the table and match tunes outside the library (none chosen
// yet, or removed since) give empty playlists; every build has an identity
// of its own: "HH:mm:ss", the kind, and "#n" after the first of that second.
// A build in an empty library changes nothing; one while a tune plays leaves
// the list to be redrawn when it ends.
TEST_F(PlaylistTest, OtherKindsMissingMatchTunesRedrawAndAnEmptyLibrary) {
  putVariedLibrary();
  std::set<std::string> seen;
  auto buildAndCheckIdentity = [&](std::int16_t kind) {
    build(kind);
    const std::string id = gCurrentPlayllistIDName$.str();
    EXPECT_TRUE(std::regex_match(id, std::regex(R"(\d\d:\d\d:\d\d)" + std::to_string(kind) + R"((#\d+)?)"))) << id;
    EXPECT_TRUE(seen.insert(id).second) << "identity repeated: " << id;
  };
  for (std::int16_t kind : {0, 1, 2, 20, -1, -32768, 32767}) {
    buildAndCheckIdentity(kPlaylistAllTunes);
    buildAndCheckIdentity(kind);
    EXPECT_EQ(gTotalPlaylistTunes_L, 0) << kind;
    expectWholeCopies();
  }
  for (std::int32_t match : {0, -3, 61, 30000}) {
    gCurrentMatchTune_L = match;
    for (std::int16_t kind : {6, 7, 9, 10}) {
      build(kind);
      EXPECT_EQ(gTotalPlaylistTunes_L, 0) << "match " << match << " kind " << kind;
    }
  }
  // A redraw is asked for only while nothing plays.
  for (const std::int16_t playing : {1, 0}) {
    gRefreshDisplay_S = 0;
    gWeArePlaying_S = playing;
    build(kPlaylistAllTunes);
    EXPECT_EQ(gRefreshDisplay_S, 1 - playing);
  }
  // An empty library leaves the previous playlist and its selection alone,
  // and asks for no redraw.
  const std::string identity = gCurrentPlayllistIDName$.str();
  gCurrentSelectedTune_L = 5;
  gRefreshDisplay_S = 0;
  setLibrarySize(0);
  for (std::int16_t kind : {3, 4, 6, 8, 11}) build(kind);
  EXPECT_EQ(gTotalPlaylistTunes_L, 60);
  EXPECT_EQ(gMatchResultSeconds_L, 60 * 100 + 60 * 61 / 2);
  EXPECT_EQ(gCurrentPlayllistIDName$.str(), identity);
  EXPECT_EQ(gCurrentSelectedTune_L, 5);
  EXPECT_EQ(gRefreshDisplay_S, 0);
}

TEST_F(PlaylistTest, SearchIsCaseBlindOverTitleArtistAlbumAndGenreOnly) {
  putTune(1, {.title = "Nocturne", .artist = "Caf\x8E Society"});                // é in Mac Roman
  putTune(2, {.title = "Etude", .album = "Live at the CAF\x83", .checked = 0});  // É in Mac Roman
  putTune(3, {.title = "Hidden"}).filePath.assign("/music/cafe/Hidden.mp3");     // a path is never searched
  putTune(4, {.genre = "Caf\x8E Jazz"});
  setLibrarySize(4);
  gSearchString$.assign("caf\x8E");
  build(kPlaylistSearch);
  EXPECT_EQ(sorted(entries()), (std::vector<std::int32_t>{1, 2, 4}));
  gSearchString$.assign("hidden.mp3");
  build(kPlaylistSearch);
  EXPECT_EQ(gTotalPlaylistTunes_L, 0);
}

TEST_F(PlaylistTest, ShuffleIsTheHalfChanceSwapOfEveryEntry) {
  for (std::int32_t k = 1; k <= 200; ++k) putTune(k).justAdded = 1;
  setLibrarySize(200);
  // The order the swaps of whole entries give, replayed from the same draws.
  seedRnd(77);
  std::vector<std::int32_t> want(200);
  std::iota(want.begin(), want.end(), 1);
  for (std::int32_t i = 1; i <= 200; ++i)
    if (rnd(100) > 50) std::swap(want[i - 1], want[rnd(200) - 1]);
  seedRnd(77);
  build(kPlaylistLastAdded);
  EXPECT_EQ(entries(), want);
  expectWholeCopies();
  // The draws' range is 1..n for every n, and 1 for a range below 1.
  for (int i = 0; i < 1000; ++i) ASSERT_GE(rnd(2147483647), 1);
  for (std::int32_t n : {0, -1, -2147483647 - 1}) EXPECT_EQ(rnd(n), 1);
}

// Up to 100 tunes a colour takes every tune of it; above, only checked tunes,
// each kept with probability p = 31/147. Over n = 200000 independent draws
// (200 builds of 1000 checked tunes), Hoeffding's inequality bounds the chance
// that the kept fraction strays from p by eps or more by 2 exp(-2 n eps^2).
// With eps = 0.0062 that is 2 exp(-15.38) = 4.2e-7, below one in a million;
// the window [0.2047, 0.2171] still excludes a plain 1/5.
TEST_F(PlaylistTest, ColourTakesAllUpToAHundredTunesThenDrawsCheckedOnes) {
  constexpr std::int32_t kUnchecked = 200, kChecked = 1000, kBuilds = 200;
  // Red tunes, unchecked then checked; green tunes after them are never drawn into Red.
  for (std::int32_t k = 1; k <= kUnchecked + kChecked + 50; ++k)
    putTune(k, {.colourCategory = k <= kUnchecked + kChecked ? 7 : 3, .checked = k > kUnchecked});
  setLibrarySize(100);
  build(17);
  EXPECT_EQ(gTotalPlaylistTunes_L, 100);  // unchecked, all of them
  setLibrarySize(kUnchecked + kChecked + 50);
  std::int64_t kept = 0;
  for (std::int32_t b = 0; b < kBuilds; ++b) {
    build(17);
    kept += gTotalPlaylistTunes_L;
    for (std::int32_t tune : entries()) ASSERT_TRUE(tune > kUnchecked && tune <= kUnchecked + kChecked) << tune;
  }
  EXPECT_NEAR(static_cast<double>(kept) / (kChecked * kBuilds), 31.0 / 147.0, 0.0062);
}
