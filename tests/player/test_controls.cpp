// The dialog handler: what each control, the close box and the refresh
// notification do.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/errors.h"
#include "core/paths.h"
#include "platform/fake/fake_movie.h"
#include "player/controls.h"
#include "player/player_fixture.h"
#include "support/temp_dir.h"

namespace {

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    resetPlayerState();
    fakeMovieReset();
  }
  void TearDown() override { cancelAllTasks(); }

  static void library(std::int32_t n) {
    for (std::int32_t k = 1; k <= n; ++k) {
      putTune(k);
      fakeMovieScript(gTunes_A[k].filePath.str(), {.duration = 600});
    }
    setLibrarySize(n);
    recountColours();
    showAllTunes();
  }
  static void click(std::int16_t window, std::int16_t control) { doDialog(kControlClicked, window, control); }
  static int beeps() { return headlessToolbox().beeps; }
};

TEST_F(Controls, PlayerButtonsNeedTunesAndNextBackNeedASoundingTune) {
  for (std::int16_t c : {kPlayButton, kBackButton, kNextButton, kSmartMoreButton, kSmartPlaysButton}) {
    click(kMainWindow, c);
  }
  EXPECT_EQ(beeps(), 15) << "three beeps for each with an empty library";

  library(3);
  click(kMainWindow, kNextButton);
  click(kMainWindow, kBackButton);
  EXPECT_EQ(gNextTune_S + gBackTune_S, 0);
  EXPECT_EQ(beeps(), 15);

  click(kMainWindow, kPlayButton);
  EXPECT_EQ(gStartPlaying_S, 1);
  EXPECT_EQ(headlessToolbox().control(kMainWindow, kPlayButton)->desc.icon, "StopBtn");
  pass();
  ASSERT_EQ(gWeArePlaying_S, 1);
  click(kMainWindow, kNextButton);
  EXPECT_EQ(gNextTune_S, 1);
  pass();

  click(kMainWindow, kPlayButton);  // Stop
  EXPECT_EQ(gWeArePlaying_S, 0) << "the button clears it at once";
  EXPECT_EQ(gStopPlaying_S, 1);
  EXPECT_EQ(playItemText(), "Play");
  pass();
  EXPECT_FALSE(playRunActive());
}

TEST_F(Controls, NameSheetButtons) {
  library(2);
  makeTestWindow(kSheetWindow, {kPlaylistNameField});
  click(kSheetWindow, kSendButton);
  EXPECT_TRUE(headlessToolbox().logged("caution:No Playlist Name|Please enter a name for this playlist.|Okay"));
  EXPECT_TRUE(windowExists(kSheetWindow)) << "the sheet stays";

  click(kSheetWindow, kCancelButton);
  EXPECT_FALSE(windowExists(kSheetWindow));
  for (const char* menu : {"menuenabled:1/0=1", "menuenabled:3/0=1", "menuenabled:4/0=1"})
    EXPECT_TRUE(headlessToolbox().logged(menu)) << menu;

  click(kSheetWindow, kStopAddingButton);
  EXPECT_EQ(gStopCollectingPerUser_S, 1);
  gStopCollectingPerUser_S = 0;
}




void exitQuietly(int status) { std::fprintf(stderr, "exit %d\n", status); }

TEST_F(Controls, ClosingTheMainWindowSavesAndQuitsWithoutAsking) {
  TempDir dir;
  setLibraryFilePath(dir.file("LumarollDatabase"));
  setPrefsFilePath(dir.file("LumarollPrefs"));
  library(2);
  gCurrentSelectedTune_L = 1;
  startPlayingFromButtons();
  pass();
  EXPECT_EXIT(
      {
        gExitHook = exitQuietly;
        doDialog(kWindowCloseBox, kMainWindow, 0);
      },
      ::testing::ExitedWithCode(0), "exit 0");
  EXPECT_EQ(readFileBytes(dir.file("LumarollDatabase")).size(), 2 * sizeof(Tune));
  EXPECT_FALSE(readFileBytes(dir.file("LumarollPrefs")).empty());
  setLibraryFilePath("");
  setPrefsFilePath("");
}

}  // namespace
