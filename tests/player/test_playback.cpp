// The play loop over scripted movies: the order tunes are played in, the
// player's requests, the give-up path and the volume.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/paths.h"
#include "platform/fake/fake_movie.h"
#include "player/display.h"
#include "player/player_fixture.h"
#include "player/position.h"
#include "support/temp_dir.h"

namespace {

std::string pathOf(std::int32_t k) { return "/music/t" + std::to_string(k) + ".mp3"; }

class Playback : public ::testing::Test {
 protected:
  void SetUp() override {
    resetPlayerState();
    fakeMovieReset();
    // A run that gives up ends the process: outside the give-up tests that
    // must fail the program, never pass it silently with status 0.
    gExitHook = [](int status) {
      std::fprintf(stderr, "the program ended (status %d) in the middle of a test\n", status);
      std::_Exit(70);
    };
  }
  void TearDown() override {
    gExitHook = nullptr;
    cancelAllTasks();
    EXPECT_EQ(fakeMoviesAlive(), 0) << "every movie is disposed of";
  }

  // Library tunes 1..n, shown as All Tunes; `missing` files cannot be opened.
  static void library(std::int32_t n, std::vector<std::int32_t> missing = {},
                      std::vector<std::int32_t> unchecked = {}) {
    for (std::int32_t k = 1; k <= n; ++k) {
      TuneFields f;
      f.title = "t" + std::to_string(k);
      f.checked = std::count(unchecked.begin(), unchecked.end(), k) ? 0 : 1;
      putTune(k, f).avgAmplitude = 400;
      if (!std::count(missing.begin(), missing.end(), k)) fakeMovieScript(pathOf(k), {.duration = 600});
    }
    setLibrarySize(n);
    showAllTunes();
  }

  static void play(std::int32_t entry) {
    gCurrentSelectedTune_L = entry;
    startPlayingFromButtons();
    pass();
  }

  // Tunes opened so far, by library number.
  static std::vector<std::int32_t> opened() {
    std::vector<std::int32_t> v;
    for (const auto& c : fakeMovieCalls())
      if (c.kind == FakeMovieCallKind::open) v.push_back(std::stoi(c.path.substr(8)));
    return v;
  }

  static void finishTune() {
    fakeMovieFinish();
    pass();
  }
  static void request(std::int16_t& flag) {
    flag = 1;
    pass();
  }
};

TEST_F(Playback, ViewOrderFollowsTheRowsAndEndsAfterTheLastRow) {
  library(4);
  std::reverse(shownRows().begin(), shownRows().end());  // the user sorted the list: 4 3 2 1
  play(3);
  EXPECT_EQ(gWeArePlaying_S, 1);
  EXPECT_EQ(gNowPlayingItemID_L, 3);
  EXPECT_TRUE(isNowPlayingRow(3));
  EXPECT_EQ(playItemText(), "Stop Playing");
  finishTune();
  finishTune();
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{3, 2, 1}));
  EXPECT_EQ(gCurrentSelectedTune_L, 1) << "the playing row is selected";
  finishTune();
  EXPECT_FALSE(playRunActive()) << "the last row ends the run";
  EXPECT_EQ(opened().size(), 3u);
  EXPECT_EQ(gWeArePlaying_S, 0);
  EXPECT_EQ(gNowPlayingItemID_L, 0);
  EXPECT_TRUE(gCurrentPlayingIDName$.empty());
  EXPECT_EQ(gNowPlayingMovie, nullptr);
  EXPECT_EQ(playItemText(), "Play");
  EXPECT_EQ(headlessToolbox().control(kMainWindow, kPlayButton)->desc.icon, "PlayBtn");
}

TEST_F(Playback, BackAndNextAtTheEndsOfTheRows) {
  library(3);
  play(1);
  request(gBackTune_S);
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1, 1})) << "Back on the first row plays it again";
  request(gNextTune_S);
  request(gNextTune_S);
  request(gBackTune_S);
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1, 1, 2, 3, 2}));
  request(gNextTune_S);
  request(gNextTune_S);
  EXPECT_FALSE(playRunActive()) << "Next on the last row ends the run";
}

TEST_F(Playback, IndexOrderOnceAnotherPlaylistIsShown) {
  library(6);
  play(1);
  finishTune();
  showAllTunes();  // a fresh build: the list no longer shows the playing table
  std::reverse(shownRows().begin(), shownRows().end());
  EXPECT_FALSE(isNowPlayingRow(2)) << "no dot in a list that is not the playing one";
  finishTune();
  finishTune();
  finishTune();
  request(gBackTune_S);  // two entries back from 5
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 3}));
  for (int i = 0; i < 4; ++i) finishTune();
  EXPECT_FALSE(playRunActive());
  request(gNextTune_S);
  EXPECT_EQ(opened().size(), 9u);
}

TEST_F(Playback, BackInIndexOrderOverAnUncheckedEntryStopsAtTheNearestCheckedOne) {
  library(6, {}, {3});
  play(1);
  showAllTunes();
  for (int i = 0; i < 3; ++i) finishTune();
  request(gBackTune_S);  // two back from 5 is entry 3, unchecked: on to entry 2
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1, 2, 4, 5, 2}));
}

TEST_F(Playback, LoopCurrentTuneReplaysOnNextInBothOrders) {
  library(3);
  playerLoopCurrentTune();
  play(2);
  request(gNextTune_S);
  finishTune();
  showAllTunes();
  request(gNextTune_S);
  request(gBackTune_S);
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{2, 2, 2, 2, 2}));
  playerLoopCurrentTune();  // off again
  EXPECT_EQ(gLoopTune_S, 0);
  EXPECT_EQ(gLoopPlaylist_S, 0);
  finishTune();
  EXPECT_EQ(opened().back(), 3);
}

TEST_F(Playback, LoopCurrentPlaylistStartsAgainAtEntryOneUntilStopped) {
  library(3);
  playerLoopCurrentPlaylist();
  EXPECT_TRUE(headlessToolbox().logged("menumark:4/10=1"));
  play(2);
  finishTune();
  finishTune();  // after the last entry a new run begins
  pass();
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{2, 3, 1}));
  EXPECT_TRUE(playRunActive());
  request(gStopPlaying_S);
  passes(3);
  EXPECT_FALSE(playRunActive()) << "Stop also ends the repetition";
  EXPECT_EQ(opened().size(), 3u);
}

TEST_F(Playback, UncheckedEntriesAreNeverOpened) {
  library(6, {}, {2, 3, 6});
  play(1);
  finishTune();
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1, 4}));
  request(gBackTune_S);  // entries 3 and 2 are unchecked: Back goes on to entry 1
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1, 4, 1}));
  request(gNextTune_S);
  showAllTunes();  // index order skips them too
  finishTune();
  finishTune();
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1, 4, 1, 4, 5}));
  EXPECT_FALSE(playRunActive());

  gLoopPlaylist_S = 1;  // a playlist with nothing to play passes through once, silently
  library(2, {}, {1, 2});
  play(1);
  passes(3);
  EXPECT_FALSE(playRunActive());
  EXPECT_EQ(opened().size(), 5u) << "nothing more was opened";
}

TEST_F(Playback, AColourSwitchDuringARunEndsItBeforeTheNewOneBegins) {
  library(4);
  for (std::int32_t k = 3; k <= 4; ++k) gTunes_A[k].colourCategory = 7;
  recountColours();
  play(1);
  const Movie first = gNowPlayingMovie;
  ASSERT_NE(first, nullptr);
  doColorButtons(7);
  EXPECT_EQ(fakeMoviePlaying(), nullptr) << "the old tune stops at once";
  EXPECT_EQ(gCurrentSelectedTune_L, 1);
  EXPECT_EQ(gStartPlaying_S, 1);
  int mostAlive = 0;
  for (int i = 0; i < 4; ++i) {
    pass();
    mostAlive = std::max(mostAlive, fakeMoviesAlive());
  }
  EXPECT_EQ(mostAlive, 1) << "the old run's movie is gone before the new one opens";
  EXPECT_EQ(gTotalPlaying_L, 2);
  EXPECT_EQ(gCurrentPlayingPL_S, 17);
  EXPECT_EQ(opened().size(), 2u);
  EXPECT_EQ(gNowPlaying_A[1].tuneNumber, gNowPlaying_A[gNowPlayingItemID_L].tuneNumber);
  EXPECT_TRUE(isNowPlayingRow(1));
  EXPECT_EQ(headlessToolbox().control(kMainWindow, kPlayButton)->desc.icon, "StopBtn");
}

TEST_F(Playback, StartRequestsInQuickSuccessionPlayOnlyTheLast) {
  library(3);
  play(1);
  gCurrentSelectedTune_L = 2;
  startPlayingFromButtons();
  gCurrentSelectedTune_L = 3;
  startPlayingFromButtons();
  passes(3);
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1, 3}));
  EXPECT_EQ(fakeMoviesAlive(), 1);
}

// The give-up path ends the process: it runs in a child, which reports what
// it saw on stderr before exiting.
void reportAndExit(int status) {
  for (const auto& line : headlessToolbox().log) std::fprintf(stderr, "%s\n", line.c_str());
  std::fprintf(stderr, "exit %d\n", status);
}

class GivingUp : public Playback {
 protected:
  void SetUp() override {
    Playback::SetUp();
    setLibraryFilePath(dir_.file("LumarollDatabase"));
    setPrefsFilePath(dir_.file("LumarollPrefs"));
  }
  void TearDown() override {
    setLibraryFilePath("");
    setPrefsFilePath("");
    Playback::TearDown();
  }
  static void runUntilExit() {
    gExitHook = reportAndExit;
    play(1);
    for (int i = 0; i < 100; ++i) {
      fakeMovieFinish();
      pass();
    }
    std::fprintf(stderr, "still running\n");
    std::_Exit(3);
  }
  TempDir dir_;
};

TEST_F(GivingUp, ElevenUnopenableFilesEndTheProgramAfterSaving) {
  library(14, {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12});  // tune 6 plays between: the count goes on
  EXPECT_EXIT(runUntilExit(), ::testing::ExitedWithCode(0),
              "stop:Missing Tunes Alert-43\\|Many of the tunes in your library are not available\\. Please make sure "
              "you have the volume mounted\\. Quit Lumaroll and try again\\.\\|Quit\n"
              "window:7999=Saving\n(.|\n)*exit 0");
  EXPECT_FALSE(readFileBytes(dir_.file("LumarollDatabase")).empty()) << "the library was saved";
  EXPECT_FALSE(readFileBytes(dir_.file("LumarollPrefs")).empty()) << "the preferences were saved";
}

TEST_F(GivingUp, AOneEntryPlaylistWithAMissingFileEndsAtTheFirstFailure) {
  library(1, {1});
  EXPECT_EXIT(runUntilExit(), ::testing::ExitedWithCode(0), "stop:Missing Tunes Alert-43");
  EXPECT_FALSE(readFileBytes(dir_.file("LumarollDatabase")).empty());
}

TEST_F(GivingUp, TenFailuresInALongPlaylistAreTolerated) {
  library(14, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  play(1);
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{11}));
}

TEST(Volume, LevelledByTheTunesLoudness) {
  EXPECT_EQ(levelledVolume(273, 80), 436);  // 1.6 × 273, truncated
  EXPECT_EQ(levelledVolume(273, 0), 436);
  EXPECT_EQ(levelledVolume(273, 900), 109);  // 0.4 × 273
  EXPECT_EQ(levelledVolume(273, 30000), 109);
  EXPECT_EQ(levelledVolume(273, 81), 273 + 124);  // 273 + 273² / (7.37 × 81) = 397.8
  EXPECT_EQ(levelledVolume(273, 899), 284);
  EXPECT_EQ(levelledVolume(0, 400), 0);
  EXPECT_EQ(levelledVolume(730, 80), 1168);
}

std::vector<std::int32_t> volumesSet() {
  std::vector<std::int32_t> v;
  for (const auto& c : fakeMovieCalls())
    if (c.kind == FakeMovieCallKind::volume) v.push_back(c.value);
  return v;
}

TEST_F(Playback, EachTuneGetsItsLevelledVolumeAndMuteHoldsAcrossTunes) {
  library(3);
  gTunes_A[2].avgAmplitude = 900;
  showAllTunes();
  playerMuteCommand();
  EXPECT_EQ(gSoundMute_S, 0) << "Mute with nothing playing does nothing";
  play(1);
  EXPECT_EQ(volumesSet(), (std::vector<std::int32_t>{levelledVolume(273, 400)}));
  playerMuteCommand();
  EXPECT_EQ(gHolderVolume_S, 273);
  playerVolumeUp();  // while muted the setting changes, the sound does not
  finishTune();      // the next tune starts silent, the mark stays
  EXPECT_EQ(volumesSet(), (std::vector<std::int32_t>{levelledVolume(273, 400), 0, 0}));
  EXPECT_EQ(std::count(headlessToolbox().log.begin(), headlessToolbox().log.end(), "menumark:4/6=0"), 0);
  playerMuteCommand();
  EXPECT_EQ(volumesSet().back(), levelledVolume(283, 900));
  playerVolumeDown();
  EXPECT_EQ(volumesSet().back(), levelledVolume(273, 900));
  playerVolumeSlider(500);
  EXPECT_EQ(volumesSet().back(), levelledVolume(500, 900));
}

TEST_F(Playback, AnEmptyPlaylistStartsNothingAndTakesTheStopIconBack) {
  library(2);
  gTotalPlaylistTunes_L = 0;
  swapPlayBtn(2);
  play(1);
  EXPECT_FALSE(playRunActive());
  EXPECT_TRUE(opened().empty());
  EXPECT_EQ(headlessToolbox().control(kMainWindow, kPlayButton)->desc.icon, "PlayBtn");
}

TEST_F(Playback, BackFromTheSecondRowPlaysTheFirst) {
  library(3);
  play(1);
  request(gNextTune_S);
  request(gBackTune_S);
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1, 2, 1}));
}

std::string pauseItemText() { return headlessToolbox().menuItems[{kPlayerMenu, kPlayerPauseItem}]; }

std::vector<FakeMovieCallKind> pauseCalls() {
  std::vector<FakeMovieCallKind> v;
  for (const auto& c : fakeMovieCalls())
    if (c.kind == FakeMovieCallKind::pause || c.kind == FakeMovieCallKind::resume) v.push_back(c.kind);
  return v;
}

// Pause holds the tune and the run; Pause again, the play button or the
// Resume item goes on with the same movie. Next while paused plays the next
// tune unpaused; Stop while paused ends the run.
TEST_F(Playback, PauseHoldsTheTuneUntilResumedAndNextOrStopActAsWhilePlaying) {
  library(3);
  toolboxSetMenuItem(kPlayerMenu, kPlayerPauseItem, "Pause", 0);
  EXPECT_FALSE(playerPauseCommand()) << "nothing to pause";
  play(1);
  EXPECT_TRUE(toolboxMenuItemEnabled(kPlayerMenu, kPlayerPauseItem));
  ASSERT_TRUE(playerPauseCommand());
  passes(100);
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1})) << "the run waits";
  EXPECT_EQ(gWeArePlaying_S, 1);
  EXPECT_EQ(pauseItemText(), "Resume");
  EXPECT_EQ(nowPlayingText().rfind("Paused: All Tunes\r", 0), 0u) << nowPlayingText();
  EXPECT_EQ(headlessToolbox().control(kMainWindow, kPlayButton)->desc.icon, "PlayBtn");
  playerPlayButton();
  EXPECT_EQ(pauseCalls(), (std::vector{FakeMovieCallKind::pause, FakeMovieCallKind::resume}));
  EXPECT_EQ(gWeArePlaying_S, 1) << "the button resumed rather than stopped";
  EXPECT_EQ(nowPlayingText().rfind("Now Playing: ", 0), 0u);
  EXPECT_EQ(pauseItemText(), "Pause");

  ASSERT_TRUE(playerPause());
  request(gNextTune_S);
  EXPECT_EQ(opened(), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(gTunePaused_S, 0);
  EXPECT_EQ(pauseItemText(), "Pause");
  ASSERT_TRUE(playerPause());
  playerPlayStopCommand();
  pass();
  EXPECT_FALSE(playRunActive());
  EXPECT_EQ(gTunePaused_S, 0);
  EXPECT_FALSE(toolboxMenuItemEnabled(kPlayerMenu, kPlayerPauseItem));
}

// The slider and the times follow the tune's position, a seek reaches the
// movie held to its length, and with nothing playing they rest empty.
TEST_F(Playback, PositionControlsFollowTheTuneAndSeekMovesIt) {
  makeTestWindow(kMainWindow, {11, 17, kSummaryText, kActivityText, kPositionSlider, kElapsedText, kRemainingText});
  listViewCreate(kMainWindow, kListControl, {0, 73, 1200, 700}, kBindLeft, {}, 21, nullptr);
  for (std::int32_t k = 1; k <= 2; ++k) {
    putTune(k, TuneFields{.title = "t" + std::to_string(k)}).avgAmplitude = 400;
    fakeMovieScript(pathOf(k), {.duration = 600 * 200});
  }
  setLibrarySize(2);
  showAllTunes();
  EXPECT_FALSE(playerSeek(600));
  play(1);
  auto control = [](std::int16_t c) { return headlessToolbox().control(kMainWindow, c)->desc; };
  EXPECT_EQ(control(kPositionSlider).maximum, 600 * 200);
  fakeMovieSetTime(600 * 65 + 599);
  passes(16);  // within a quarter second
  EXPECT_EQ(control(kPositionSlider).value, 600 * 65 + 599);
  EXPECT_EQ(control(kElapsedText).text, "1:05");
  EXPECT_EQ(control(kRemainingText).text, "-2:15");
  ASSERT_TRUE(playerSeek(600 * 500));
  EXPECT_EQ(fakeMovieCalls().back(), (FakeMovieCall{FakeMovieCallKind::seek, pathOf(1), 600 * 200}));
  ASSERT_TRUE(playerSeek(-5));
  EXPECT_EQ(fakeMovieCalls().back().value, 0);
  EXPECT_EQ(control(kElapsedText).text, "0:00");
  EXPECT_EQ(control(kRemainingText).text, "-3:20");
  EXPECT_TRUE(headlessToolbox().control(kMainWindow, kPositionSlider)->enabled);
  playerPlayStopCommand();
  pass();
  EXPECT_FALSE(headlessToolbox().control(kMainWindow, kPositionSlider)->enabled);
  EXPECT_EQ(control(kPositionSlider).value, 0);
  EXPECT_EQ(control(kElapsedText).text, "");
  const std::size_t logged = headlessToolbox().log.size();
  passes(100);
  EXPECT_EQ(headlessToolbox().log.size(), logged) << "nothing is updated while nothing plays";
}

}  // namespace
