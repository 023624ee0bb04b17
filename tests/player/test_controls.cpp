// The dialog handler: what the player buttons and the sheet's Stop Adding
// button do.
#include <gtest/gtest.h>

#include "platform/fake/fake_movie.h"
#include "player/playback.h"
#include "ui/controls.h"
#include "ui/fixture.h"

namespace {

using Controls = AppTest;

void click(std::int16_t window, std::int16_t control) { doDialog(kControlClicked, window, control); }

TEST_F(Controls, PlayerButtonsNeedTunesAndNextBackNeedASoundingTune) {
  fakeMovieReset();
  start(0);
  for (std::int16_t c : {kPlayButton, kBackButton, kNextButton, kSmartMoreButton, kSmartPlaysButton})
    click(kMainWindow, c);
  EXPECT_EQ(beeps(), 15) << "three beeps for each with an empty library";

  start(3);
  for (std::int32_t k = 1; k <= 3; ++k) fakeMovieScript(gTunes_A[k].filePath.str(), {.duration = 600});
  click(kMainWindow, kNextButton);
  click(kMainWindow, kBackButton);
  EXPECT_EQ(gNextTune_S + gBackTune_S + beeps(), 0);

  click(kMainWindow, kPlayButton);
  EXPECT_EQ(headlessToolbox().control(kMainWindow, kPlayButton)->desc.icon, "StopBtn");
  pass();
  ASSERT_EQ(gWeArePlaying_S, 1);
  click(kMainWindow, kNextButton);
  EXPECT_EQ(gNextTune_S, 1);
  pass();
  click(kMainWindow, kPlayButton);  // Stop
  EXPECT_EQ(gWeArePlaying_S, 0) << "the button clears it at once";
  EXPECT_EQ(gStopPlaying_S, 1);
  pass();
  EXPECT_FALSE(playRunActive());

  click(kSheetWindow, kStopAddingButton);
  EXPECT_EQ(gStopCollectingPerUser_S, 1);
}

}  // namespace
