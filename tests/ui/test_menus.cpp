// The menus: their items, the guards of their commands and where each
// command leads.
#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <utility>
#include <vector>

#include "ingest/add_runs.h"
#include "ui/fixture.h"

namespace {

auto& tb() { return headlessToolbox(); }
using Items = std::vector<std::pair<int, int>>;
void choose(int menu, int item) { doMenu(static_cast<std::int16_t>(menu), static_cast<std::int16_t>(item)); }

// A run enables the Player items and names Play "Stop Playing"; its end and
// a fresh start disable them again but for Play and Loop; an add run
// disables the four menus.
TEST_F(MenuTest, PlaybackAndAddRunsSetTheMenuStates) {
  start(2);
  auto enabled = [](int item) { return toolboxMenuItemEnabled(kPlayerMenu, static_cast<std::int16_t>(item)); };
  for (int item : {1, 10}) EXPECT_TRUE(enabled(item)) << item;
  for (int item : {3, 4, 6, 7, 8, 12}) EXPECT_FALSE(enabled(item)) << item;
  menusForPlaybackStart();
  EXPECT_EQ(menuText(kPlayerMenu, 1), "Stop Playing");
  for (int item : {3, 4, 6, 7, 8, 10, 12}) EXPECT_TRUE(enabled(item)) << item;
  menusForPlaybackEnd();
  EXPECT_EQ(menuText(kPlayerMenu, 1), "Play");
  for (int item : {3, 4, 6, 7, 8, 10, 12}) EXPECT_FALSE(enabled(item)) << item;
  for (int item : {1, 2, 8}) EXPECT_TRUE(toolboxMenuItemEnabled(kFileMenu, static_cast<std::int16_t>(item)));
  for (bool running : {true, false}) {
    menusForAddRun(running);
    for (std::int16_t menu : {1, 2, 3, 4}) EXPECT_EQ(tb().disabledMenuItems.count({menu, 0}), running) << menu;
  }
}

TEST_F(MenuTest, EmptyLibraryAnswersThreeBeepsAndChangesNothing) {
  start(0);
  const Items guarded = {{1, 4}, {1, 6}, {1, 8}, {2, 10}, {2, 11}, {2, 13}, {2, 15}, {12, 3}, {13, 3}, {3, 1}, {3, 2},
                         {3, 4}, {3, 5}, {3, 6}, {3, 8},  {3, 10}, {3, 12}, {4, 1},  {4, 3},  {4, 4},  {4, 12}};
  for (auto [menu, item] : guarded) {
    SCOPED_TRACE(std::to_string(menu) + "/" + std::to_string(item));
    tb().log.clear();
    choose(menu, item);
    EXPECT_EQ(beeps(), 3);
    EXPECT_EQ(tb().log.size(), 3u) << "nothing but the beeps";
    EXPECT_EQ(gStartPlaying_S + gStopPlaying_S + gNextTune_S + gBackTune_S, 0);
  }
  // The commands without the guard.
  tb().chosenFolders = {""};  // Add Tunes asks for a folder; cancelled
  tb().log.clear();
  for (auto [menu, item] : Items{{254, 1}, {1, 1}, {1, 2}, {4, 6}, {4, 7}, {4, 8}, {7, 1}}) choose(menu, item);
  EXPECT_EQ(beeps(), 0);
  EXPECT_TRUE(tb().chosenFolders.empty());
  EXPECT_TRUE(addRunActive()) << "the Music folder's run is started";
  EXPECT_TRUE(windowExists(kAboutWindow));
  choose(kEnergyMixMenu, 1);
  EXPECT_EQ(beeps(), 1) << "Energy Mix answers with its notice";
}

// Each item reaches its playlist (what the switches do is the presentation's
// tests); More From stops what plays, counts a play and asks to play.
TEST_F(MenuTest, PlaylistItemsReachTheirPlaylists) {
  start(6);  // categories 1..3 only; nothing was just added
  // Menu, item, playlist kind: Playlists (3) and Energy Mix (11), whose
  // item 7 has no tune here and shows its notice.
  const std::array<int, 3> cases[] = {{3, 4, 7},  {3, 5, 10}, {3, 6, 9}, {3, 8, 5},   {3, 10, 6},
                                      {3, 12, 6}, {3, 2, 4},  {3, 1, 3}, {11, 2, 12}, {11, 7, 12}};
  for (auto [menu, item, kind] : cases) {
    select(3);
    choose(menu, item);
    EXPECT_EQ(gCurrentPlaylist_S, kind) << menu << "/" << item;
  }
  EXPECT_EQ(beeps(), 1);
  choose(kPlaylistsMenu, 1);
  playShownPlaylist(2);
  select(3);
  const int stopsBefore = stops(), plays = gTunes_A[3].playCount;
  choose(kPlaylistsMenu, 4);
  EXPECT_EQ(stops(), stopsBefore + 1);
  EXPECT_EQ(gTunes_A[3].playCount, plays + 1);
  EXPECT_EQ(tb().list(kMainWindow, kListControl)->selected, 1);
  EXPECT_EQ(gStartPlaying_S, 1);
}

TEST_F(MenuTest, VolumeStepsStopAtTheirEnds) {
  start(1);
  for (auto [from, item, to] : std::vector<std::tuple<int, int, int>>{
           {725, 7, 730}, {720, 7, 730}, {700, 7, 710}, {7, 8, 0}, {10, 8, 0}, {11, 8, 1}}) {
    gPlayerVolume_S = static_cast<std::int16_t>(from);
    choose(kPlayerMenu, item);
    EXPECT_EQ(gPlayerVolume_S, to) << from;
    EXPECT_EQ(getControlValue(kMainWindow, kVolumeSlider), to);
  }
}

TEST_F(MenuTest, PlayWithNothingSelectedSelectsRowOneAndStopReverts) {
  start(4);
  choose(kPlayerMenu, 1);
  EXPECT_EQ(gCurrentSelectedTune_L, 1);
  EXPECT_EQ(gStartPlaying_S, 1);
  EXPECT_EQ(menuText(kPlayerMenu, 1), "Stop Playing");
  gWeArePlaying_S = 1;
  choose(kPlayerMenu, 1);
  EXPECT_EQ(gStopPlaying_S, 1);
  EXPECT_EQ(menuText(kPlayerMenu, 1), "Play");
}

TEST_F(MenuTest, BusyAddingPromptOnlyRaisesTheStopFlag) {
  start(3);
  tb().chosenFolders = {""};
  gWeAeAddingTunes_S = 1;
  tb().cautionAnswers = {false};
  choose(kFileMenu, 1);
  EXPECT_TRUE(logged("caution:Tunes Are Currently Being Added...|Would you like to stop adding tunes?|Stop Adding"));
  EXPECT_EQ(gStopCollectingPerUser_S, 0);
  choose(kFileMenu, 4);  // Flush asks the same
  EXPECT_EQ(gStopCollectingPerUser_S, 1);
  EXPECT_EQ(tb().chosenFolders.size(), 1u) << "no folder is asked for while adding";
  tb().log.clear();
  choose(kEditMenu, 15);
  EXPECT_EQ(beeps(), 3) << "no Delete Tune while adding";
  EXPECT_EQ(gStartTotalTunes_L, 3);
  gWeAeAddingTunes_S = 0;
  choose(kFileMenu, 1);
  EXPECT_TRUE(tb().chosenFolders.empty());
}

}  // namespace
