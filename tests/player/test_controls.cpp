// The dialog handler: what the player buttons and the sheet's Stop Adding
// button do.
#include <gtest/gtest.h>

#include "core/errors.h"
#include "platform/fake/fake_movie.h"
#include "player/controls.h"
#include "player/player_fixture.h"

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

// The sheet's Stop Adding button: the empty-name and Cancel buttons are the
// name sheet's own tests.
TEST_F(Controls, StopAddingButtonRaisesTheStopFlag) {
  library(2);
  makeTestWindow(kSheetWindow, {kPlaylistNameField});
  click(kSheetWindow, kStopAddingButton);
  EXPECT_EQ(gStopCollectingPerUser_S, 1);
  gStopCollectingPerUser_S = 0;
}

}  // namespace
