// Showing a built playlist, the summary line and the playlist switches, with
// the player's part recorded through the switch hooks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/headless/headless_toolbox.h"
#include "playlists/library_fixture.h"
#include "playlists/main_window_fixture.h"
#include "playlists/presentation.h"

namespace {

std::vector<std::string> gPlayerCalls;
std::vector<std::string> gNotices;

class Presentation : public PlaylistTest {
 protected:
  void SetUp() override {
    PlaylistTest::SetUp();
    headlessToolbox().reset();
    buildMainWindowForTests();
    gPlayerCalls.clear();
    gNotices.clear();
    gPlaylistSwitchHooks = {};
    gPlaylistSwitchHooks.stopSounding = [] { gPlayerCalls.push_back("stop"); };
    gPlaylistSwitchHooks.showStopIcon = [] { gPlayerCalls.push_back("stop icon"); };
    gPlaylistSwitchHooks.bigNotice = [](std::string_view text, std::int16_t colour) {
      gNotices.push_back(std::string(text) + " " + std::to_string(colour));
    };
    gStartPlaying_S = gStopPlaying_S = 0;
  }
  void TearDown() override { gPlaylistSwitchHooks = {}; }

  static void library(std::int32_t n, std::int32_t colour = 3) {
    for (std::int32_t k = 1; k <= n; ++k) {
      TuneFields f;
      f.title = "t" + std::to_string(k);
      f.colourCategory = colour;
      putTune(k, f);
    }
    setLibrarySize(n);
    recountColours();
  }
  static std::string summary() { return headlessToolbox().control(kMainWindow, kSummaryText)->desc.text; }
  static std::vector<std::int32_t> rows() { return listViewShownRows(kMainWindow, kListControl); }
};

TEST_F(Presentation, SummaryLineCountsTimeAndSize) {
  gTotalPlaylistTunes_L = 0;
  EXPECT_EQ(playlistSummaryText(), "Tunes: 0 \xE2\x80\xA2 Time: 0 secs \xE2\x80\xA2 Size: 0 MB");
  gTotalPlaylistTunes_L = 12;
  gMatchResultSeconds_L = 61;
  gTotalTuneMBs_UL = 48;
  EXPECT_EQ(playlistSummaryText(), "Tunes: 12  \xE2\x80\xA2  Time: 1 min  1 secs  \xE2\x80\xA2  Size: 48 MB");
  const auto size = [](std::uint32_t mb) {
    gTotalTuneMBs_UL = mb;
    const std::string s = playlistSummaryText();
    return s.substr(s.rfind("Size:"));
  };
  EXPECT_EQ(size(1024), "Size: 1024 MB");
  EXPECT_EQ(size(1025), "Size: 1 GB");
  EXPECT_EQ(size(2047), "Size: 1 GB");
  EXPECT_EQ(size(2048), "Size: 2 GB");

  library(2);
  gCurrentPlaylist_S = kPlaylistSearch;
  gSearchString$.assign("nowhere");
  buildCurrentPlaylist();
  presentPlaylist(false);
  EXPECT_EQ(summary(), "Tunes: 0 \xE2\x80\xA2 Time: 0 secs \xE2\x80\xA2 Size: 0 MB");
  EXPECT_EQ(gCurrentSelectedTune_L, 0) << "an empty playlist has no entry 1 to select";
}

TEST_F(Presentation, AColourButtonStopsShowsItsPlaylistAndAsksToPlay) {
  library(6);
  for (std::int32_t k : {2, 5}) gTunes_A[k].colourCategory = 7;
  recountColours();
  build(kPlaylistAllTunes);
  gCurrentSelectedTune_L = 4;
  doColorButtons(7);
  EXPECT_EQ(gPlayerCalls, (std::vector<std::string>{"stop", "stop icon"}));
  EXPECT_EQ(gStopPlaying_S, 1);
  EXPECT_EQ(gWeArePlaying_S, 0);
  EXPECT_EQ(gCurrentMatchTune_L, 4) << "the selection became the match tune";
  EXPECT_EQ(gCurrentPlaylist_S, 17);
  EXPECT_EQ(rows().size(), 2u);
  EXPECT_EQ(gCurrentSelectedTune_L, 1);
  EXPECT_EQ(headlessToolbox().list(kMainWindow, kListControl)->selected, 1);
  EXPECT_EQ(headlessToolbox().list(kMainWindow, kListControl)->sortColumn, fourCharCode("PLID"));
  EXPECT_TRUE(headlessToolbox().logged("reveal:1/7001=1"));
  EXPECT_EQ(summary().substr(0, 9), "Tunes: 2 ");
  EXPECT_EQ(gStartPlaying_S, 1);
}

TEST_F(Presentation, AnEmptyColourShowsItsNoticeAndChangesNothing) {
  library(3, 2);
  build(kPlaylistAllTunes);
  const Str255 identity = gCurrentPlayllistIDName$;
  doColorButtons(9);
  EXPECT_EQ(headlessToolbox().beeps, 1);
  EXPECT_EQ(gNotices, (std::vector<std::string>{"No purple tunes... 9"}));
  EXPECT_TRUE(headlessToolbox().logged("delay:2000"));
  EXPECT_TRUE(gPlayerCalls.empty());
  EXPECT_EQ(gCurrentPlaylist_S, kPlaylistAllTunes);
  EXPECT_TRUE(gCurrentPlayllistIDName$ == identity);
  EXPECT_EQ(gStartPlaying_S, 0);
  doColorButtons(1);
  EXPECT_EQ(gNotices.back(), "No midnight blue tunes... 1");
  doColorButtons(0);
  doColorButtons(11);
  EXPECT_EQ(gNotices.size(), 2u);
}

TEST_F(Presentation, AllTunesNeitherStopsNorStarts) {
  doColorButtons(10);
  EXPECT_EQ(headlessToolbox().beeps, 3) << "an empty library";
  library(4);
  gCurrentPlaylist_S = 15;
  doColorButtons(10);
  EXPECT_EQ(gCurrentPlaylist_S, kPlaylistAllTunes);
  EXPECT_EQ(rows(), (std::vector<std::int32_t>{1, 2, 3, 4}));
  EXPECT_TRUE(gPlayerCalls.empty());
  EXPECT_EQ(gStopPlaying_S + gStartPlaying_S, 0);
  EXPECT_EQ(gCurrentSelectedTune_L, 1);
}

TEST_F(Presentation, MoreFromCountsAPlayOfTheMatchTuneSurpriseMeDoesNot) {
  library(5);
  build(kPlaylistAllTunes);
  gCurrentSelectedTune_L = 3;
  doPlaylistSwitch(PlaylistSwitch::moreFromArtist);
  EXPECT_EQ(gCurrentMatchTune_L, 3);
  EXPECT_EQ(+gTunes_A[3].playCount, 1);
  EXPECT_EQ(gCurrentPlaylist_S, kPlaylistArtist);
  EXPECT_EQ(gStartPlaying_S, 1);

  gCurrentSelectedTune_L = 0;  // nothing selected: the previous match tune counts again
  doPlaylistSwitch(PlaylistSwitch::smartPlays);
  EXPECT_EQ(gCurrentMatchTune_L, 3);
  EXPECT_EQ(+gTunes_A[3].playCount, 2);
  EXPECT_EQ(gCurrentPlaylist_S, kPlaylistSmartPlays);

  std::int32_t plays = 0;
  doPlaylistSwitch(PlaylistSwitch::surpriseMe);
  for (std::int32_t k = 1; k <= 5; ++k) plays += gTunes_A[k].playCount;
  EXPECT_EQ(plays, 2);
  EXPECT_EQ(gCurrentPlaylist_S, kPlaylistSmartMore);

  gStartTotalTunes_L = 0;
  doPlaylistSwitch(PlaylistSwitch::lastAdded);
  EXPECT_EQ(headlessToolbox().beeps, 3);
}

TEST_F(Presentation, SwitchesAroundASelectedTuneAskForOneAndChangeNothing) {
  library(5);
  const std::string alert = "caution:No Tune Selected|Please select a tune first to use this feature.|Okay";
  const std::pair<PlaylistSwitch, bool> switches[] = {
      {PlaylistSwitch::moreFromArtist, true}, {PlaylistSwitch::moreFromAlbum, true},
      {PlaylistSwitch::moreFromGenre, true},  {PlaylistSwitch::smartMore, true},
      {PlaylistSwitch::allTunes, false},      {PlaylistSwitch::lastAdded, false},
      {PlaylistSwitch::smartPlays, false},    {PlaylistSwitch::surpriseMe, false}};
  for (const auto& [which, needsSelection] : switches) {
    build(kPlaylistAllTunes);
    headlessToolbox().log.clear();
    gCurrentSelectedTune_L = 0;
    gStartPlaying_S = 0;
    doPlaylistSwitch(which);
    const auto& log = headlessToolbox().log;
    EXPECT_EQ(std::count(log.begin(), log.end(), alert), needsSelection ? 1 : 0) << static_cast<int>(which);
    if (needsSelection) {
      EXPECT_EQ(gCurrentPlaylist_S, kPlaylistAllTunes);
      EXPECT_EQ(gStartPlaying_S, 0);
      EXPECT_TRUE(gPlayerCalls.empty()) << "what plays goes on";
    }
  }
}

}  // namespace
