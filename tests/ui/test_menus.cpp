#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/prefs.h"
#include "ingest/add_runs.h"
#include "menus_fixture.h"

namespace {

auto& tb() { return headlessToolbox(); }

TEST_F(MenuTest, MenusHoldTheirItemsKeysSeparatorsAndSubmenus) {
  start(3, numbered);
  EXPECT_EQ(getMenuItemText(kFileMenu, 1), "Add Tunes To Library...");
  EXPECT_EQ((tb().menuKeys[{kFileMenu, 1}]), 'n');
  EXPECT_EQ(getMenuItemText(kFileMenu, 3), "-");
  EXPECT_EQ(getMenuItemText(kFileMenu, 8), "Send Current Playlist To iTunes...");
  EXPECT_EQ(getMenuItemText(kPlayerMenu, 7), "Volume Up") << "the /] suffix is the key, not text";
  EXPECT_EQ((tb().menuKeys[{kPlayerMenu, 7}]), ']');
  EXPECT_EQ((tb().menuKeys[{kPlayerMenu, 8}]), '[');
  for (auto [menu, item] : std::vector<std::pair<int, int>>{{4, 2}, {3, 3}, {3, 9}, {2, 9}, {2, 16}})
    EXPECT_EQ(getMenuItemText(static_cast<std::int16_t>(menu), static_cast<std::int16_t>(item)), "-")
        << menu << "/" << item;
  EXPECT_EQ((tb().menuKeys[{kPlaylistsMenu, 12}]), '8');
  EXPECT_EQ((tb().submenus[{kEditMenu, 17}]), kArtistGenreMenu);
  EXPECT_EQ((tb().submenus[{kEditMenu, 18}]), kAlbumGenreMenu);
  EXPECT_EQ((tb().submenus[{kPlayerMenu, 10}]), kLoopMenu);
  EXPECT_EQ((tb().submenus[{kPlaylistsMenu, 14}]), kEnergyMixMenu);
  EXPECT_EQ(getMenuItemText(kAlbumGenreMenu, 23), "Rock");
  EXPECT_EQ(getMenuItemText(kAlbumGenreMenu, 24), "R&B");
  EXPECT_EQ(getMenuItemText(kArtistGenreMenu, 28), "Young Adult & Children");
  EXPECT_EQ(getMenuItemText(kEnergyMixMenu, 4), "Bright Green Tunes");
  EXPECT_EQ(tb().menuIcons.size(), 9u);
  EXPECT_EQ(tb().editItems.size(), 7u);
  EXPECT_EQ((tb().menuItems.count({kDeveloperMenu, 0})), 0u) << "no developer menu without the variable";
}

TEST_F(MenuTest, PlayerItemsStartDisabledExceptPlayAndLoop) {
  makeLibrary(2, numbered);
  buildMenus();
  for (int item : {3, 4, 6, 7, 8, 12}) EXPECT_TRUE(tb().logged("menuenabled:4/" + std::to_string(item) + "=0")) << item;
  EXPECT_FALSE(tb().logged("menuenabled:4/1=0"));
  EXPECT_FALSE(tb().logged("menuenabled:4/10=0"));
}

TEST_F(MenuTest, EmptyLibraryAnswersThreeBeepsAndChangesNothing) {
  start(0, numbered);
  const std::vector<std::pair<int, int>> guarded = {{1, 4},  {1, 6},  {1, 8},  {2, 10}, {2, 11}, {2, 13}, {2, 15},
                                                    {12, 3}, {13, 3}, {3, 1},  {3, 2},  {3, 4},  {3, 5},  {3, 6},
                                                    {3, 8},  {3, 10}, {3, 12}, {4, 1},  {4, 3},  {4, 4},  {4, 12}};
  for (auto [menu, item] : guarded) {
    tb().log.clear();
    const std::int16_t kind = gCurrentPlaylist_S;
    doMenu(static_cast<std::int16_t>(menu), static_cast<std::int16_t>(item));
    EXPECT_EQ(beeps(), 3) << menu << "/" << item;
    EXPECT_EQ(tb().log.size(), 3u) << menu << "/" << item << ": nothing but the beeps";
    EXPECT_EQ(gCurrentPlaylist_S, kind);
    EXPECT_EQ(gStartPlaying_S, 0);
    EXPECT_EQ(gStopPlaying_S, 0);
    EXPECT_EQ(gNextTune_S + gBackTune_S, 0);
    EXPECT_FALSE(windowExists(kSheetWindow));
  }
  // The commands without the guard.
  tb().chosenFolders = {""};  // Add Tunes asks for a folder; cancelled
  for (auto [menu, item] : std::vector<std::pair<int, int>>{{254, 1}, {1, 1}, {1, 2}, {4, 6}, {4, 7}, {4, 8}, {7, 1}}) {
    tb().log.clear();
    doMenu(static_cast<std::int16_t>(menu), static_cast<std::int16_t>(item));
    EXPECT_EQ(beeps(), 0) << menu << "/" << item;
  }
  EXPECT_TRUE(tb().chosenFolders.empty());
  EXPECT_TRUE(addRunActive()) << "the Music folder's run is started";
  EXPECT_TRUE(windowExists(kAboutWindow));
  tb().log.clear();
  doMenu(kEnergyMixMenu, 1);
  EXPECT_EQ(beeps(), 1) << "Energy Mix answers with its notice";
}

TEST_F(MenuTest, MoreFromThisArtistStopsCountsBuildsRanksAndPlays) {
  start(6, numbered);
  playShownPlaylist(2);
  select(3);  // All Tunes keeps library order: row 3 is tune 3, artist "Odd"
  doMenu(kPlaylistsMenu, 4);
  EXPECT_EQ(stops(), 1);
  EXPECT_EQ(gStopPlaying_S, 1);
  EXPECT_EQ(gCurrentPlaylist_S, kPlaylistArtist);
  EXPECT_EQ(gCurrentMatchTune_L, 3);
  EXPECT_EQ(+gTunes_A[3].playCount, 4);
  EXPECT_EQ(gTotalPlaylistTunes_L, 3);
  for (std::int32_t i = 1; i <= 3; ++i) EXPECT_EQ(gPlaylistTunes_A[i].artist.view(), "Odd");
  EXPECT_EQ(shownRows().size(), 3u);
  EXPECT_EQ(gCurrentSelectedTune_L, 1);
  EXPECT_EQ(tb().list(kMainWindow, kListControl)->selected, 1);
  EXPECT_EQ(gStartPlaying_S, 1);
}

// What the switches do is the presentation's tests; here only that the items
// reach them without a selection.
TEST_F(MenuTest, SmartPlaysAndSurpriseMeNeedNoSelection) {
  start(6, numbered);
  for (auto [item, kind] : {std::pair{8, kPlaylistSmartPlays}, std::pair{12, kPlaylistSmartMore}}) {
    select(0);
    gStartPlaying_S = 0;
    doMenu(kPlaylistsMenu, static_cast<std::int16_t>(item));
    EXPECT_EQ(gCurrentPlaylist_S, kind);
    EXPECT_EQ(gStartPlaying_S, 1);
  }
  EXPECT_EQ(beeps(), 0);
}

TEST_F(MenuTest, AnEmptyPlaylistFromTheMenuLeavesNothingSelected) {
  start(6, numbered);  // nothing was just added: Last Added is empty
  playShownPlaylist(2);
  unloadMovie();
  gWeArePlaying_S = 0;
  select(4);
  doMenu(kPlaylistsMenu, 2);
  EXPECT_EQ(gTotalPlaylistTunes_L, 0);
  EXPECT_EQ(gCurrentSelectedTune_L, 0);
  doMenu(kPlaylistsMenu, 10);  // Smart-More needs a selected tune
  EXPECT_TRUE(tb().logged("caution:No Tune Selected|Please select a tune first to use this feature.|Okay"));
  EXPECT_EQ(gStartPlaying_S, 0);
  EXPECT_EQ(gStopPlaying_S, 0);
}

TEST_F(MenuTest, LoopCurrentTuneTwiceTurnsEverythingOff) {
  start(2, numbered);
  doMenu(kLoopMenu, 1);
  EXPECT_EQ(gLoopTune_S, 1);
  EXPECT_EQ(lastMark(kLoopMenu, 1), "1");
  EXPECT_EQ(lastMark(kPlayerMenu, 10), "1");
  doMenu(kLoopMenu, 2);
  EXPECT_EQ(gLoopTune_S, 0);
  EXPECT_EQ(gLoopPlaylist_S, 1);
  EXPECT_EQ(lastMark(kLoopMenu, 1), "0");
  EXPECT_EQ(lastMark(kLoopMenu, 2), "1");
  doMenu(kLoopMenu, 1);
  doMenu(kLoopMenu, 1);
  EXPECT_EQ(gLoopTune_S, 0);
  EXPECT_EQ(gLoopPlaylist_S, 0);
  EXPECT_EQ(lastMark(kLoopMenu, 1), "0");
  EXPECT_EQ(lastMark(kLoopMenu, 2), "0");
  EXPECT_EQ(lastMark(kPlayerMenu, 10), "0");
}

// The notice of an empty colour is the presentation's test; here the items
// reach their colours.
TEST_F(MenuTest, EnergyMixItemsReachTheirColours) {
  start(6, numbered);  // categories 1..3 only
  doMenu(kEnergyMixMenu, 7);
  EXPECT_EQ(beeps(), 1);
  EXPECT_EQ(gCurrentPlaylist_S, kPlaylistAllTunes);
  doMenu(kEnergyMixMenu, 2);
  EXPECT_EQ(gCurrentPlaylist_S, 12);
  EXPECT_EQ(gStartPlaying_S, 1);
}

TEST_F(MenuTest, VolumeStepsStopAtTheirEnds) {
  start(1, numbered);
  for (auto [from, item, to] : std::vector<std::tuple<int, int, int>>{
           {725, 7, 730}, {720, 7, 730}, {700, 7, 710}, {7, 8, 0}, {10, 8, 0}, {11, 8, 1}}) {
    gPlayerVolume_S = static_cast<std::int16_t>(from);
    doMenu(kPlayerMenu, static_cast<std::int16_t>(item));
    EXPECT_EQ(gPlayerVolume_S, to) << from;
    EXPECT_EQ(getControlValue(kMainWindow, 17), to);
  }
}

TEST_F(MenuTest, PlayWithNothingSelectedSelectsRowOneAndStopReverts) {
  start(4, numbered);
  select(0);
  doMenu(kPlayerMenu, 1);
  EXPECT_EQ(gCurrentSelectedTune_L, 1);
  EXPECT_EQ(gStartPlaying_S, 1);
  EXPECT_EQ(getMenuItemText(kPlayerMenu, 1), "Stop Playing");
  gWeArePlaying_S = 1;
  doMenu(kPlayerMenu, 1);
  EXPECT_EQ(gStopPlaying_S, 1);
  EXPECT_EQ(getMenuItemText(kPlayerMenu, 1), "Play");
}

TEST_F(MenuTest, BusyAddingPromptOnlyRaisesTheStopFlag) {
  start(3, numbered);
  tb().chosenFolders = {""};
  gWeAeAddingTunes_S = 1;
  tb().cautionAnswers = {false};
  doMenu(kFileMenu, 1);
  EXPECT_TRUE(
      tb().logged("caution:Tunes Are Currently Being Added...|Would you like to stop adding tunes?|Stop Adding"));
  EXPECT_EQ(gStopCollectingPerUser_S, 0);
  doMenu(kFileMenu, 4);  // Flush asks the same
  EXPECT_EQ(gStopCollectingPerUser_S, 1);
  EXPECT_EQ(gStartTotalTunes_L, 3);
  EXPECT_EQ(tb().chosenFolders.size(), 1u) << "no folder is asked for while adding";
  tb().log.clear();
  doMenu(kEditMenu, 15);
  EXPECT_EQ(beeps(), 3) << "no Delete Tune while adding";
  EXPECT_EQ(gStartTotalTunes_L, 3);
  gWeAeAddingTunes_S = 0;
  doMenu(kFileMenu, 1);
  EXPECT_TRUE(tb().chosenFolders.empty());
}

TEST_F(MenuTest, SetGenreStoresTheChosenItemsText) {
  start(4, numbered);
  select(1);
  doMenu(kArtistGenreMenu, 24);
  EXPECT_EQ(gTunes_A[1].genre.view(), "R&B");
  EXPECT_EQ(gTunes_A[3].genreGroup.view(), "R&B");
  EXPECT_EQ(gTunes_A[2].genre.view(), "Rock");
  doMenu(kArtistGenreMenu, 0);
  EXPECT_EQ(gTunes_A[1].genre.view(), "R&B") << "item 0 is no genre";
}

TEST_F(MenuTest, SendOpensTheNameSheetAndCancelClosesIt) {
  start(3, numbered);
  doMenu(kFileMenu, 8);
  ASSERT_TRUE(windowExists(kSheetWindow));
  EXPECT_EQ(getControlText(kSheetWindow, 23072), "All Tunes");
  EXPECT_EQ(getControlText(kSheetWindow, 10005), " 3");
  EXPECT_EQ(getControlText(kSheetWindow, 10003), "Total playlist tunes: 3");
  for (int menu : {1, 3, 4}) EXPECT_TRUE(tb().logged("menuenabled:" + std::to_string(menu) + "/0=0"));
  EXPECT_EQ(gRefreshDisplay_S, 1);
}

}  // namespace
