// Showing a built playlist, the summary line and the playlist switches, with
// the player's part read from the recording toolbox and the request flags.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/headless/headless_toolbox.h"
#include "playlists/library_fixture.h"
#include "playlists/main_window_fixture.h"
#include "playlists/presentation.h"

namespace {

class Presentation : public PlaylistTest {
 protected:
  void SetUp() override {
    PlaylistTest::SetUp();
    headlessToolbox().reset();
    buildMainWindowForTests();
    gStartPlaying_S = gStopPlaying_S = 0;
  }

  static void library(std::int32_t n, std::int32_t colour = 3) {
    for (std::int32_t k = 1; k <= n; ++k) putTune(k, {.title = "t" + std::to_string(k), .colourCategory = colour});
    setLibrarySize(n);
    recountColours();
  }
  static std::string summary() { return headlessToolbox().control(kMainWindow, kSummaryText)->desc.text; }
  static std::vector<std::int32_t> rows() { return listViewShownRows(kMainWindow, kListControl); }
  // What a switch asked of the player: the run to stop, the Stop icon, a start.
  static std::string playerSide() {
    std::string s;
    if (gStopPlaying_S == 1) s += "stop ";
    if (headlessToolbox().logged("icon:1/11=StopBtn")) s += "icon ";
    if (gStartPlaying_S == 1) s += "start";
    return s;
  }
  static std::vector<std::string> notices() {
    std::vector<std::string> v;
    for (const auto& l : headlessToolbox().log)
      if (l.rfind("notice:", 0) == 0) v.push_back(l.substr(7));
    return v;
  }
};

TEST_F(Presentation, SummaryLineCountsTimeAndSize) {
  gTotalPlaylistTunes_L = 12;
  gMatchResultSeconds_L = 61;
  for (const auto& [mb, size] : {std::pair{48u, "48 MB"}, {1024u, "1024 MB"}, {1025u, "1 GB"}, {2048u, "2 GB"}}) {
    gTotalTuneMBs_UL = mb;
    EXPECT_EQ(playlistSummaryText(),
              std::string("Tunes: 12  \xE2\x80\xA2  Time: 1 min  1 secs  \xE2\x80\xA2  Size: ") + size);
  }
  library(2);
  gSearchString$.assign("nowhere");
  build(kPlaylistSearch);
  presentPlaylist(false);
  EXPECT_EQ(summary(), "Tunes: 0 \xE2\x80\xA2 Time: 0 secs \xE2\x80\xA2 Size: 0 MB");
  EXPECT_EQ(gCurrentSelectedTune_L, 0) << "an empty playlist has no entry 1 to select";
}

// A colour button stops the run, shows its playlist with entry 1 selected
// and asks the player to start.
TEST_F(Presentation, AColourButtonStopsShowsItsPlaylistAndAsksToPlay) {
  library(6);
  for (std::int32_t k : {2, 5}) gTunes_A[k].colourCategory = 7;
  recountColours();
  build(kPlaylistAllTunes);
  gCurrentSelectedTune_L = 4;
  doColorButtons(7);
  EXPECT_EQ(playerSide(), "stop icon start");
  EXPECT_EQ(gCurrentMatchTune_L, 4) << "the selection became the match tune";
  EXPECT_EQ(gCurrentPlaylist_S, 17);
  EXPECT_EQ(rows(), (std::vector<std::int32_t>{1, 2}));
  EXPECT_TRUE(headlessToolbox().list(kMainWindow, kListControl)->selected == 1 &&
              headlessToolbox().logged("reveal:1/7001=1"));
  EXPECT_EQ(summary().substr(0, 9), "Tunes: 2 ");
}

// An empty colour beeps, shows its notice and changes nothing; All Tunes
// neither stops nor starts, and beeps three times in an empty library.
TEST_F(Presentation, AnEmptyColourShowsItsNoticeAllTunesNeitherStopsNorStarts) {
  doColorButtons(10);
  EXPECT_EQ(headlessToolbox().beeps, 3) << "an empty library";
  library(3, 2);
  build(kPlaylistAllTunes);
  const Str255 identity = gCurrentPlayllistIDName$;
  for (std::int32_t button : {9, 1, 0, 11}) doColorButtons(button);
  EXPECT_EQ(headlessToolbox().beeps, 5);
  EXPECT_EQ(notices(), (std::vector<std::string>{"No purple tunes...", "No midnight blue tunes..."}));
  EXPECT_TRUE(headlessToolbox().logged("delay:2000") && !windowExists(kNoticeWindow));
  EXPECT_TRUE(gCurrentPlayllistIDName$ == identity);
  gCurrentPlaylist_S = 15;
  doColorButtons(10);
  EXPECT_EQ(gCurrentPlaylist_S, kPlaylistAllTunes);
  EXPECT_EQ(rows(), (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(gCurrentSelectedTune_L, 1);
  EXPECT_EQ(playerSide(), "");
}

// Each switch with entry 3 selected and with nothing selected (the previous
// match tune, 2, stays): the ones around a selected tune ask for one and change
// nothing; the ones that play stop what sounds first, and all but Surprise Me
// count a play of the match tune.
TEST_F(Presentation, EachSwitchShowsItsPlaylistPlaysAndCountsOrAsksForASelection) {
  const std::string alert = "caution:No Tune Selected|Please select a tune first to use this feature.|Okay";
  using enum PlaylistSwitch;
  const struct {
    PlaylistSwitch which;
    std::int16_t kind;
    bool needsSelection, plays, countsPlay;
  } rows[] = {
      {allTunes, kPlaylistAllTunes, false, false, false},  {lastAdded, kPlaylistLastAdded, false, false, false},
      {moreFromArtist, kPlaylistArtist, true, true, true}, {moreFromAlbum, kPlaylistAlbum, true, true, true},
      {moreFromGenre, kPlaylistGenre, true, true, true},   {smartPlays, kPlaylistSmartPlays, false, true, true},
      {smartMore, kPlaylistSmartMore, true, true, true},   {surpriseMe, kPlaylistSmartMore, false, true, false}};
  for (const auto& r : rows) {
    for (bool selected : {false, true}) {
      SCOPED_TRACE(std::to_string(static_cast<int>(r.which)) + (selected ? " selected" : " nothing selected"));
      library(5);
      build(kPlaylistAllTunes);
      headlessToolbox().log.clear();
      gStartPlaying_S = gStopPlaying_S = 0;
      gCurrentMatchTune_L = 2;
      gCurrentSelectedTune_L = selected ? 3 : 0;
      doPlaylistSwitch(r.which);
      const bool asks = r.needsSelection && !selected, plays = !asks && r.plays;
      EXPECT_EQ(std::ranges::count(headlessToolbox().log, alert), asks ? 1 : 0);
      EXPECT_EQ(gCurrentPlaylist_S, asks ? kPlaylistAllTunes : r.kind);
      EXPECT_EQ(playerSide(), plays ? "stop icon start" : "");
      std::int32_t total = 0;
      for (std::int32_t k = 1; k <= 5; ++k) total += gTunes_A[k].playCount;
      EXPECT_EQ(total, plays && r.countsPlay ? 1 : 0);
      EXPECT_EQ(+gTunes_A[selected ? 3 : 2].playCount, plays && r.countsPlay ? 1 : 0);
    }
  }
}

}  // namespace
