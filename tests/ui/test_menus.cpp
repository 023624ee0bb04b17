// The menus: their items, the guards of their commands and where each
// command leads; the name sheet of Send Current Playlist, and the developer
// menu.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <tuple>
#include <utility>

#include "harness/harness.h"
#include "ingest/add_runs.h"
#include "ui/fixture.h"
#include "ui/name_sheet.h"

namespace {

auto& tb() { return headlessToolbox(); }
using Items = std::vector<std::pair<int, int>>;
void choose(int menu, int item) { doMenu(static_cast<std::int16_t>(menu), static_cast<std::int16_t>(item)); }

// A run enables the Player items and names Play "Stop Playing"; its end and
// a fresh start disable them again but for Play and Loop; an add run
// disables the four menus.
TEST_F(MenuTest, PlaybackAndAddRunsSetTheMenuStatesAndVolumeStepsStopAtTheirEnds) {
  start(2);
  auto player = [] {  // Play's text, then items 1, 3, 4, 6, 7, 8, 10 and 12: enabled or not
    std::string s = menuText(kPlayerMenu, 1) + ":";
    for (int item : {1, 3, 4, 6, 7, 8, 10, 12}) s += toolboxMenuItemEnabled(kPlayerMenu, item) ? '1' : '0';
    return s;
  };
  EXPECT_EQ(player(), "Play:10000010");
  menusForPlaybackStart();
  EXPECT_EQ(player(), "Stop Playing:11111111");
  menusForPlaybackEnd();
  EXPECT_EQ(player(), "Play:10000000");
  for (int item : {1, 2, 8}) EXPECT_TRUE(toolboxMenuItemEnabled(kFileMenu, static_cast<std::int16_t>(item)));
  for (bool running : {true, false}) {
    menusForAddRun(running);
    for (std::int16_t menu : {1, 2, 3, 4}) EXPECT_EQ(tb().disabledMenuItems.count({menu, 0}), running) << menu;
  }
  // The volume items step the volume and stop at its ends.
  for (auto [from, item, to] : std::vector<std::tuple<int, int, int>>{
           {725, 7, 730}, {720, 7, 730}, {700, 7, 710}, {7, 8, 0}, {10, 8, 0}, {11, 8, 1}}) {
    gPlayerVolume_S = static_cast<std::int16_t>(from);
    choose(kPlayerMenu, item);
    EXPECT_EQ(std::pair(+gPlayerVolume_S, getControlValue(kMainWindow, kVolumeSlider)), std::pair(to, to)) << from;
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
    EXPECT_EQ(tb().log, std::vector<std::string>(3, "beep")) << "three beeps and nothing else";
    EXPECT_EQ(gStartPlaying_S + gStopPlaying_S + gNextTune_S + gBackTune_S, 0);
  }
  // The commands without the guard.
  tb().chosenFolders = {""};  // Add Tunes asks for a folder; cancelled
  tb().log.clear();
  for (auto [menu, item] : Items{{254, 1}, {1, 1}, {1, 2}, {4, 6}, {4, 7}, {4, 8}, {7, 1}}) choose(menu, item);
  // No beep, the folder asked for, the Music folder's run started, About shown.
  EXPECT_EQ(std::tuple(beeps(), tb().chosenFolders.size(), addRunActive(), windowExists(kAboutWindow)),
            std::tuple(0, 0u, true, true));
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
  const int plays = gTunes_A[3].playCount;
  choose(kPlaylistsMenu, 4);
  EXPECT_EQ(
      std::tuple(stops(), +gTunes_A[3].playCount, tb().list(kMainWindow, kListControl)->selected, gStartPlaying_S),
      std::tuple(1, plays + 1, 1, 1));
}

TEST_F(MenuTest, BusyAddingPromptOnlyRaisesTheStopFlag) {
  start(3);
  tb().chosenFolders = {""};
  gWeAeAddingTunes_S = 1;
  tb().cautionAnswers = {false};
  choose(kFileMenu, 1);
  EXPECT_TRUE(logged("caution:Tunes Are Currently Being Added...|Would you like to stop adding tunes?|Stop Adding"));
  EXPECT_EQ(gStopCollectingPerUser_S, 0);
  choose(kFileMenu, 4);  // Flush asks the same; no folder is asked for while adding
  EXPECT_EQ(std::pair(+gStopCollectingPerUser_S, tb().chosenFolders.size()), std::pair(1, std::size_t{1}));
  tb().log.clear();
  choose(kEditMenu, 15);  // no Delete Tune while adding
  EXPECT_EQ(std::pair(beeps(), gStartTotalTunes_L), std::pair(3, 3));
  gWeAeAddingTunes_S = 0;
  choose(kFileMenu, 1);
  EXPECT_TRUE(tb().chosenFolders.empty());
}

bool menusEnabled(bool on) {
  for (std::int16_t menu : {kFileMenu, kPlaylistsMenu, kPlayerMenu})
    if (tb().disabledMenuItems.count({menu, 0}) == on) return false;
  return true;
}

// The sheet shows the playlist's name and size and holds the menus; an empty
// name keeps it open; Send writes the checked tunes up to the limit, Cancel
// and Send give the menus back.
TEST_F(MenuTest, SendSheetProposesANameKeepsAnEmptyOneAndSendsUpToTheLimit) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", dir.path().c_str(), 1);
  std::filesystem::create_directories(dir.path() / "Music");
  start(10);
  gPlaylistTunes_A[2].checked = 0;
  doMenu(kFileMenu, 8);
  ASSERT_TRUE(windowExists(kSheetWindow) && tb().window(kSheetWindow)->focus == kSheetNameField);
  EXPECT_EQ(getControlText(kSheetWindow, 23072) + "|" + getControlText(kSheetWindow, 10003),
            "All Tunes|Total playlist tunes: 10");
  setControlText(kSheetWindow, kSheetNameField, "");
  doDialog(kControlClicked, kSheetWindow, kSheetSendButton);
  EXPECT_TRUE(logged("caution:No Playlist Name|Please enter a name for this playlist.|Okay"));
  EXPECT_TRUE(windowExists(kSheetWindow) && menusEnabled(false));
  doDialog(kControlClicked, kSheetWindow, kSheetCancelButton);
  EXPECT_TRUE(!windowExists(kSheetWindow) && menusEnabled(true));

  doMenu(kFileMenu, 8);
  setControlText(kSheetWindow, kSheetNameField, "Road Trip");
  setControlText(kSheetWindow, kSheetLimitField, "3");
  doDialog(kControlClicked, kSheetWindow, kSheetSendButton);
  setenv("HOME", home.c_str(), 1);
  EXPECT_TRUE(!windowExists(kSheetWindow) && menusEnabled(true));
  const std::string text = readFileBytes((dir.path() / "Music/Playlists/Road Trip.m3u").string());
  for (auto [tune, sent] : {std::pair{1, true}, {2, false} /* unchecked */, {3, true}, {4, false} /* limit */})
    EXPECT_EQ(text.find("/music/Tune " + std::to_string(tune) + ".mp3") != std::string::npos, sent) << tune;
  EXPECT_NE(getControlText(kMainWindow, kActivityText).find("Road Trip.m3u"), std::string::npos);

  // The name proposed follows the playlist's kind.
  gCurrentMatchTune_L = 2;
  gSearchString$.assign("TUNE");
  const std::pair<std::int16_t, const char*> cases[] = {
      {3, "All Tunes"},     {4, "Last Added Tunes"},    {5, "Smart-Plays"},     {6, "Tunes Like: Tune 2"},
      {7, "Artist: Even"},  {9, "Genre: Rock"},         {10, "Album: Album 2"}, {11, "Midnight Blue Tunes"},
      {19, "Purple Tunes"}, {8, "Search Results: TUNE"}};
  for (auto [kind, name] : cases) {
    gCurrentPlaylist_S = kind;
    EXPECT_EQ(proposedPlaylistName(), name) << kind;
  }
}

TEST_F(MenuTest, DeveloperMenuIsOfferedByTheVariableAndPrintsIntoItsWindow) {
  start(3);
  EXPECT_EQ((tb().menuItems.count({kDeveloperMenu, 0})), 0u) << "not without the variable";
  setenv(kDeveloperEnvVar, "1", 1);
  start(3);
  unsetenv(kDeveloperEnvVar);
  EXPECT_EQ(menuText(kDeveloperMenu, 1), "Measure HPE Consistency");
  doMenu(kDeveloperMenu, 1);
  EXPECT_FALSE(getControlText(5000, 1).empty());
}

}  // namespace
