#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "harness/harness.h"
#include "menus_fixture.h"
#include "ui/name_sheet.h"

namespace {

auto& tb() { return headlessToolbox(); }

TEST_F(MenuTest, ProposedNamesFollowThePlaylistKind) {
  start(3, numbered);
  gCurrentMatchTune_L = 2;
  const std::pair<std::int16_t, const char*> cases[] = {
      {3, "All Tunes"},          {4, "Last Added Tunes"},     {5, "Smart-Plays"},
      {6, "Tunes Like: Tune 2"}, {7, "Artist: Even"},         {9, "Genre: Rock"},
      {10, "Album: Album 2"},    {11, "Midnight Blue Tunes"}, {19, "Purple Tunes"}};
  for (auto [kind, name] : cases) {
    gCurrentPlaylist_S = kind;
    EXPECT_EQ(proposedPlaylistName(), name) << kind;
  }
  gCurrentPlaylist_S = 8;
  gSearchString$.assign("TUNE");
  EXPECT_EQ(proposedPlaylistName(), "Search Results: TUNE");
}

TEST_F(MenuTest, SendWithAnEmptyNameKeepsTheSheet) {
  start(3, numbered);
  buildNamePlaylistDialog();
  EXPECT_EQ(tb().window(kSheetWindow)->focus, kSheetNameField);
  setControlText(kSheetWindow, kSheetNameField, "");
  doDialog(kControlClicked, kSheetWindow, kSheetSendButton);
  EXPECT_EQ(beeps(), 1);
  EXPECT_TRUE(tb().logged("caution:No Playlist Name|Please enter a name for this playlist.|Okay"));
  EXPECT_TRUE(windowExists(kSheetWindow));
  EXPECT_FALSE(tb().logged("menuenabled:1/0=1"));
  doDialog(kControlClicked, kSheetWindow, kSheetCancelButton);
  EXPECT_FALSE(windowExists(kSheetWindow));
  for (int menu : {1, 3, 4}) EXPECT_TRUE(tb().logged("menuenabled:" + std::to_string(menu) + "/0=1"));
}

}  // namespace

namespace {

class SendTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    oldHome = getenvOr("HOME");
    oldConfig = getenvOr("XDG_CONFIG_HOME");
    setenv("HOME", dir.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir.path().string() + "/.config").c_str(), 1);
    std::filesystem::create_directories(dir.path().string() + "/Music");
  }
  void TearDown() override {
    setenv("HOME", oldHome.c_str(), 1);
    if (oldConfig.empty())
      unsetenv("XDG_CONFIG_HOME");
    else
      setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
    MenuTest::TearDown();
  }
  static std::string getenvOr(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
  }
  std::string oldHome, oldConfig;
};

TEST_F(SendTest, SendHonoursTheLimitAndClosesTheSheet) {
  start(10, numbered);
  for (std::int32_t i = 1; i <= 10; ++i) gPlaylistTunes_A[i].checked = i == 2 ? 0 : 1;
  doMenu(kFileMenu, 8);
  setControlText(kSheetWindow, kSheetNameField, "Road Trip");
  setControlText(kSheetWindow, kSheetLimitField, "3");
  doDialog(kControlClicked, kSheetWindow, kSheetSendButton);
  EXPECT_FALSE(windowExists(kSheetWindow));
  for (int menu : {1, 3, 4}) EXPECT_TRUE(tb().logged("menuenabled:" + std::to_string(menu) + "/0=1"));
  std::ifstream in(dir.path().string() + "/Music/Playlists/Road Trip.m3u");
  ASSERT_TRUE(in.good());
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("/music/Tune 1.mp3"), std::string::npos);
  EXPECT_EQ(text.find("/music/Tune 2.mp3"), std::string::npos) << "unchecked";
  EXPECT_NE(text.find("/music/Tune 3.mp3"), std::string::npos);
  EXPECT_EQ(text.find("/music/Tune 4.mp3"), std::string::npos) << "beyond the limit";
  EXPECT_NE(getControlText(kMainWindow, kActivityText).find("Road Trip.m3u"), std::string::npos);
}

TEST_F(MenuTest, DeveloperMenuIsOfferedByTheVariableAndPrintsIntoItsWindow) {
  setenv(kDeveloperEnvVar, "1", 1);
  start(3, numbered);
  unsetenv(kDeveloperEnvVar);
  EXPECT_EQ((tb().menuItems.count({kDeveloperMenu, 0})), 1u);
  EXPECT_EQ(getMenuItemText(kDeveloperMenu, 1), "Measure HPE Consistency");
  doMenu(kDeveloperMenu, 1);
  EXPECT_TRUE(windowExists(5000));
  EXPECT_FALSE(getControlText(5000, 1).empty());
  gHarnessPrint = nullptr;
}

TEST_F(MenuTest, PlaybackAndAddRunsSetTheMenuStates) {
  start(2, numbered);
  menusForPlaybackStart();
  EXPECT_EQ(getMenuItemText(kPlayerMenu, 1), "Stop Playing");
  for (int item : {3, 4, 6, 7, 8, 10, 12}) EXPECT_TRUE(tb().logged("menuenabled:4/" + std::to_string(item) + "=1"));
  tb().log.clear();
  menusForPlaybackEnd();
  EXPECT_EQ(getMenuItemText(kPlayerMenu, 1), "Play");
  for (int item : {3, 4, 6, 7, 8, 10, 12}) EXPECT_TRUE(tb().logged("menuenabled:4/" + std::to_string(item) + "=0"));
  for (int item : {1, 2, 8}) EXPECT_TRUE(tb().logged("menuenabled:1/" + std::to_string(item) + "=1"));
  menusForAddRun(true);
  for (int menu : {1, 2, 3, 4}) EXPECT_TRUE(tb().logged("menuenabled:" + std::to_string(menu) + "/0=0"));
}

}  // namespace
