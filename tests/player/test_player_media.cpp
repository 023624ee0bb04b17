// A colour click with generated tunes through the real movie services (SDL's
// dummy driver where there is no audio device): the old tune stops, the
// colour's playlist is shown with entry 1 selected and plays tune after tune.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "player/player_fixture.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

class RealTunes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(EnterMovies(), noErr);
    resetPlayerState();
    start_ = Clock::now();
  }
  void TearDown() override { cancelAllTasks(); }
  // What the now-playing display shows now.
  static std::string display() {
    const auto& log = headlessToolbox().log;
    for (auto it = log.rbegin(); it != log.rend(); ++it)
      if (it->rfind("display:", 0) == 0) return it->substr(it->find('=') + 1);
    return {};
  }

  // One pass of the event loop at real time.
  void realPass() {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
    serviceStartRequest();
    runTasks(static_cast<std::uint32_t>(ms * 60 / 1000));
  }
  double seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

  TempDir dir_;
  Clock::time_point start_;
};

TEST_F(RealTunes, AColourClickStopsTheTuneAndPlaysTheColourTuneAfterTune) {
  const std::int32_t colours[] = {3, 7, 7, 7};
  for (std::int32_t k = 1; k <= 4; ++k) {
    MediaRecipe recipe;
    recipe.seconds = 0.5;
    recipe.frequency = 220.0 * k;
    const std::string path = dir_.file("t" + std::to_string(k) + ".mp3");
    writeTestMedia(path, recipe);
    TuneFields f;
    f.title = "Tune " + std::to_string(k);
    f.colourCategory = colours[k - 1];
    putTune(k, f).filePath.assign(path);
    gTunes_A[k].avgAmplitude = 400;
  }
  setLibrarySize(4);
  recountColours();
  showAllTunes();
  gCurrentSelectedTune_L = 1;
  startPlayingFromButtons();
  while (gWeArePlaying_S != 1 && seconds() < 5) realPass();
  ASSERT_EQ(gWeArePlaying_S, 1);
  ASSERT_EQ(gNowPlayingItemID_L, 1);

  doColorButtons(7);
  EXPECT_EQ(gWeArePlaying_S, 0) << "the old tune was stopped";
  EXPECT_EQ(listViewShownRows(kMainWindow, kListControl).size(), 3u);
  EXPECT_EQ(headlessToolbox().list(kMainWindow, kListControl)->selected, 1);

  std::vector<std::int32_t> played;  // library numbers, in the order they sounded
  bool dotFollowed = true, dotGone = false;
  while (playRunActive() && seconds() < 15) {
    realPass();
    if (gWeArePlaying_S != 1) continue;
    const std::int32_t tune = gNowPlaying_A[gNowPlayingItemID_L].tuneNumber;
    if (played.empty() || played.back() != tune) {
      played.push_back(tune);
      EXPECT_EQ(display(), "Now Playing: Red Tunes\rTune " + std::to_string(tune) + "\rArtist \u2022 Album");
      if (played.size() == 2) {
        dotFollowed = dotFollowed && isNowPlayingRow(gNowPlayingItemID_L);
        doColorButtons(10);  // All Tunes is shown; the red tunes go on
        dotGone = !isNowPlayingRow(gNowPlayingItemID_L);
      } else if (played.size() == 1) {
        dotFollowed = isNowPlayingRow(gNowPlayingItemID_L);
      }
    }
  }
  EXPECT_FALSE(playRunActive());
  ASSERT_EQ(played.size(), 3u);
  for (std::int32_t tune : played) EXPECT_EQ(+gTunes_A[tune].colourCategory, 7);
  EXPECT_TRUE(dotFollowed);
  EXPECT_TRUE(dotGone);
  EXPECT_EQ(display(), "-\rAll Tunes\r-") << "after the run the display names the shown playlist";
  EXPECT_EQ(gNowPlayingMovie, nullptr);
}

}  // namespace
