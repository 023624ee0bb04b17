// The name sheet of Send Current Playlist, and the developer menu.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "harness/harness.h"
#include "ui/fixture.h"
#include "ui/name_sheet.h"

namespace {

auto& tb() { return headlessToolbox(); }

bool menusEnabled(bool on) {
  for (std::int16_t menu : {kFileMenu, kPlaylistsMenu, kPlayerMenu})
    if (tb().disabledMenuItems.count({menu, 0}) == on) return false;
  return true;
}

TEST_F(MenuTest, ProposedNamesFollowThePlaylistKind) {
  start(3);
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

// The sheet shows the playlist's name and size and holds the menus; an empty
// name keeps it open; Send writes the checked tunes up to the limit, Cancel
// and Send give the menus back.
TEST_F(MenuTest, SendSheetKeepsAnEmptyNameAndSendsUpToTheLimit) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", dir.path().c_str(), 1);
  std::filesystem::create_directories(dir.path() / "Music");
  start(10);
  gPlaylistTunes_A[2].checked = 0;
  doMenu(kFileMenu, 8);
  ASSERT_TRUE(windowExists(kSheetWindow));
  EXPECT_EQ(tb().window(kSheetWindow)->focus, kSheetNameField);
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
  gHarnessPrint = nullptr;
}

}  // namespace
