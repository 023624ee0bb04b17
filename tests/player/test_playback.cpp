// The play loop over scripted movies: the order tunes are played in, the
// player's requests and buttons, the give-up path, the volume, pause and
// position.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"
#include "core/tasks.h"
#include "player/display.h"
#include "player/position.h"
#include "ui/controls.h"
#include "ui/fixture.h"
#include "ui/remote.h"

namespace {

using Tunes = std::vector<std::int32_t>;

class Playback : public AppTest {
 protected:
  void TearDown() override {
    cancelAllTasks();
    EXPECT_EQ(fakeMoviesAlive(), 0) << "every movie is disposed of";
    AppTest::TearDown();
  }
  // Library tunes 1..n of `ticks` long, shown as All Tunes, with no movie
  // calls made yet; `missing` files cannot be opened.
  static void library(std::int32_t n, Tunes missing = {}, Tunes unchecked = {}, std::int32_t ticks = 600) {
    fakeMovieReset();
    start(n);
    for (std::int32_t k : unchecked) gTunes_A[k].checked = 0;
    buildCurrentPlaylist();
    for (std::int32_t k = 1; k <= n; ++k)
      if (!std::ranges::count(missing, k)) fakeMovieScript(gTunes_A[k].filePath.str(), {.duration = ticks});
  }
  static void play(std::int32_t entry) {
    select(entry);
    startPlayingFromButtons();
    pass();
  }
  // The values of the movie calls of one kind: tunes opened (by library
  // number), volumes, times sought.
  static Tunes calls(FakeMovieCallKind kind = FakeMovieCallKind::open) {
    Tunes v;
    for (const auto& c : fakeMovieCalls())
      if (c.kind == kind) v.push_back(kind == FakeMovieCallKind::open ? std::stoi(c.path.substr(12)) : c.value);
    return v;
  }
  static Tunes opened() { return calls(); }
  // Steps of a run, one letter each, every one but A followed by a pass of
  // the event loop: B Back, N Next, S Stop, F the tune finishes, A All Tunes
  // shown afresh (the list no longer shows the playing table), . nothing.
  static void steps(std::string_view script) {
    for (const char c : script) {
      if (c == 'B') gBackTune_S = 1;
      if (c == 'N') gNextTune_S = 1;
      if (c == 'S') gStopPlaying_S = 1;
      if (c == 'F') fakeMovieFinish();
      c == 'A' ? doColorButtons(10) : pass();
    }
  }
  static std::string playIcon() { return headlessToolbox().control(kMainWindow, kPlayButton)->desc.icon; }
  // The give-up path ends the process: it runs in a child, which reports
  // what it saw on stderr before exiting.
  static void runUntilExit() {
    gExitHook = [](int status) {
      for (const auto& line : headlessToolbox().log) std::fprintf(stderr, "%s\n", line.c_str());
      std::fprintf(stderr, "exit %d\n", status);
    };
    play(1);
    for (int i = 0; i < 100; ++i) steps("F");
    std::fprintf(stderr, "still running\n");
    std::_Exit(3);
  }
};

// While the list shows the playing table the run follows its rows as the
// user sorted them; Back on the first row plays it again, Next on the last
// ends the run.
TEST_F(Playback, ViewOrderFollowsTheRowsBackAndNextStopAtTheEnds) {
  library(4);
  std::reverse(shownRows().begin(), shownRows().end());  // 4 3 2 1
  play(4);
  EXPECT_TRUE(isNowPlayingRow(4));
  EXPECT_EQ(menuText(kPlayerMenu, kPlayerPlayItem), "Stop Playing");
  steps("BNBNFF");
  EXPECT_EQ(gCurrentSelectedTune_L, 1) << "the playing row is selected";
  steps("BNN");
  EXPECT_EQ(opened(), (Tunes{4, 4, 3, 4, 3, 2, 1, 2, 1}));
  EXPECT_FALSE(playRunActive() || gWeArePlaying_S || gNowPlayingItemID_L || gNowPlayingMovie ||
               !gCurrentPlayingIDName$.empty());
  EXPECT_EQ(menuText(kPlayerMenu, kPlayerPlayItem) + playIcon(), "PlayPlayBtn");
}

// Once another playlist is shown the run goes by index; Back two entries
// from 5 is entry 3, unchecked, so entry 2. In either order unchecked
// entries are never opened.
TEST_F(Playback, IndexOrderOnceAnotherPlaylistIsShownAndUncheckedEntriesAreNeverOpened) {
  library(6, {}, {3});
  play(1);
  steps("FA");
  std::reverse(shownRows().begin(), shownRows().end());
  EXPECT_FALSE(isNowPlayingRow(2)) << "no dot in a list that is not the playing one";
  steps("FFB");
  EXPECT_EQ(opened(), (Tunes{1, 2, 4, 5, 2}));
  steps("FFFFN");
  EXPECT_TRUE(!playRunActive() && opened().size() == 8u);

  library(6, {}, {2, 3, 6});
  play(1);
  steps("FBNAFF");  // Back from 4 goes on to entry 1; index order skips them too
  EXPECT_EQ(opened(), (Tunes{1, 4, 1, 4, 5}));
  EXPECT_FALSE(playRunActive());

  gLoopPlaylist_S = 1;  // a playlist with nothing to play passes through once, silently
  library(2, {}, {1, 2});
  play(1);
  passes(3);
  EXPECT_TRUE(!playRunActive() && opened().empty());
}

// Loop Current Tune plays the tune again on Next, Back or its end, in both
// orders; Loop Current Playlist starts again at entry 1 until Stop.
TEST_F(Playback, LoopsReplayTheTuneOrThePlaylistUntilStopped) {
  library(3);
  playerLoopCurrentTune();
  play(2);
  steps("NFANB");
  EXPECT_EQ(opened(), (Tunes{2, 2, 2, 2, 2}));
  playerLoopCurrentPlaylist();
  EXPECT_EQ(lastMark(kPlayerMenu, kPlayerLoopItem) + std::to_string(gLoopTune_S), "10") << "marked; the tune loop off";
  steps("FF.");  // after the last entry a new run begins
  EXPECT_EQ(opened(), (Tunes{2, 2, 2, 2, 2, 3, 1}));
  steps("S...");
  EXPECT_TRUE(!playRunActive() && opened().size() == 7u) << "Stop also ends the repetition";
}

// A start of an empty playlist plays nothing. A colour switch or a start
// during a run: the old tune stops at once and its movie is gone before the
// new run opens its first; of start requests in quick succession only the
// last plays.
TEST_F(Playback, StartsOfAnEmptyPlaylistOrDuringARun) {
  library(4);
  gTotalPlaylistTunes_L = 0;  // an empty playlist starts nothing and takes the Stop icon back
  swapPlayBtn(2);
  play(1);
  EXPECT_TRUE(!playRunActive() && opened().empty());
  EXPECT_EQ(playIcon(), "PlayBtn");
  buildCurrentPlaylist();
  for (std::int32_t k = 3; k <= 4; ++k) gTunes_A[k].colourCategory = 7;
  recountColours();
  play(1);
  ASSERT_NE(gNowPlayingMovie, nullptr);
  doColorButtons(7);
  EXPECT_EQ(fakeMoviePlaying(), nullptr);
  int mostAlive = 0;
  for (int i = 0; i < 4; ++i) {
    pass();
    mostAlive = std::max(mostAlive, fakeMoviesAlive());
  }
  EXPECT_EQ(mostAlive, 1);
  EXPECT_TRUE(gCurrentPlayingPL_S == 17 && isNowPlayingRow(1));
  EXPECT_EQ(playIcon(), "StopBtn");
  select(2);
  startPlayingFromButtons();
  play(1);
  passes(2);
  EXPECT_EQ(opened(), (Tunes{1, 3, 3})) << "entry 2 of the colour's playlist, tune 4, never sounded";
  EXPECT_EQ(fakeMoviesAlive(), 1);
}

// Eleven files in a row that cannot be opened end the program after a save,
// and so does the first failure of a one-entry playlist; ten are tolerated.
TEST_F(Playback, ElevenUnopenableFilesEndTheProgramAfterSavingTenAreTolerated) {
  library(14, {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12});  // tune 6 plays between: the count goes on
  EXPECT_EXIT(runUntilExit(), ::testing::ExitedWithCode(0),
              "stop:Missing Tunes Alert-43\\|Many of the tunes in your library are not available\\. Please make sure "
              "you have the volume mounted\\. Quit Lumaroll and try again\\.\\|Quit\n"
              "window:7999=Saving\n(.|\n)*exit 0");
  EXPECT_FALSE(readFileBytes(libraryFilePath()).empty() || readFileBytes(prefsFilePath()).empty()) << "both saved";
  library(1, {1});
  EXPECT_EXIT(runUntilExit(), ::testing::ExitedWithCode(0), "stop:Missing Tunes Alert-43");
  library(14, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  play(1);
  EXPECT_EQ(opened(), (Tunes{11}));
}

TEST(Volume, LevelledByTheTunesLoudness) {
  const std::int16_t cases[][3] = {{273, 80, 436}, {273, 0, 436},   {273, 900, 109}, {273, 30000, 109},
                                   {273, 81, 397}, {273, 899, 284}, {0, 400, 0},     {730, 80, 1168}};
  for (const auto& [volume, loudness, level] : cases) EXPECT_EQ(levelledVolume(volume, loudness), level) << loudness;
}

TEST_F(Playback, EachTuneGetsItsLevelledVolumeAndMuteHoldsAcrossTunes) {
  library(3);
  gTunes_A[2].avgAmplitude = 900;
  buildCurrentPlaylist();
  playerMuteCommand();
  EXPECT_EQ(gSoundMute_S, 0) << "Mute with nothing playing does nothing";
  play(1);
  playerMuteCommand();
  playerVolumeUp();  // while muted the setting changes, the sound does not
  steps("F");        // the next tune starts silent
  playerMuteCommand();
  playerVolumeDown();
  playerVolumeSlider(500);
  EXPECT_EQ(calls(FakeMovieCallKind::volume), (Tunes{levelledVolume(273, 400), 0, 0, levelledVolume(283, 900),
                                                     levelledVolume(273, 900), levelledVolume(500, 900)}));
}

// Pause holds the tune and the run; the play button goes on with the same
// movie. Next while paused plays the next tune unpaused; Stop ends the run.
TEST_F(Playback, PauseHoldsTheTuneUntilResumedAndNextOrStopActAsWhilePlaying) {
  library(3);
  EXPECT_FALSE(playerPauseCommand()) << "nothing to pause";
  play(1);
  EXPECT_TRUE(toolboxMenuItemEnabled(kPlayerMenu, kPlayerPauseItem));
  ASSERT_TRUE(playerPauseCommand());
  passes(100);
  EXPECT_EQ(opened(), (Tunes{1})) << "the run waits";
  EXPECT_EQ(menuText(kPlayerMenu, kPlayerPauseItem) + playIcon(), "ResumePlayBtn");
  EXPECT_EQ(nowPlayingText().rfind("Paused: All Tunes\r", 0), 0u) << nowPlayingText();
  playerPlayButton();
  EXPECT_EQ(fakeMovieCalls().back().kind, FakeMovieCallKind::resume) << "the button resumed rather than stopped";
  ASSERT_TRUE(playerPause());
  steps("N");
  EXPECT_EQ(opened(), (Tunes{1, 2}));
  EXPECT_EQ(menuText(kPlayerMenu, kPlayerPauseItem), "Pause");
  ASSERT_TRUE(playerPause());
  steps("S");
  EXPECT_FALSE(playRunActive() || gTunePaused_S || toolboxMenuItemEnabled(kPlayerMenu, kPlayerPauseItem));
}

// The slider and the times follow the tune's position, a move of the slider
// reaches the movie held to its length, and with nothing playing they rest.
TEST_F(Playback, PositionControlsFollowTheTuneAndTheSliderMovesIt) {
  library(2, {}, {}, 600 * 200);
  auto control = [](std::int16_t c) { return headlessToolbox().control(kMainWindow, c); };
  auto times = [&] { return control(kElapsedText)->desc.text + " " + control(kRemainingText)->desc.text; };
  EXPECT_FALSE(playerSeek(600));
  play(1);
  EXPECT_EQ(control(kPositionSlider)->desc.maximum, 600 * 200);
  fakeMovieSetTime(600 * 65 + 599);
  passes(16);  // within a quarter second
  EXPECT_EQ(control(kPositionSlider)->desc.value, 600 * 65 + 599);
  EXPECT_EQ(times(), "1:05 -2:15");
  MyControlAction(kMainWindow, kPositionSlider, 600 * 500);
  MyControlAction(kMainWindow, kPositionSlider, 600 * 7);
  // Other programs name the tune and the place in microseconds, up to its end.
  EXPECT_TRUE(remoteSetPosition(1, 9'500'000) && remoteSetPosition(1, 200'000'000));
  EXPECT_FALSE(remoteSetPosition(2, 1'000'000) || remoteSetPosition(1, 200'000'001));
  ASSERT_TRUE(playerSeek(-5));
  EXPECT_EQ(calls(FakeMovieCallKind::seek), (Tunes{600 * 200, 600 * 7, 600 * 9 + 300, 600 * 200, 0}));
  EXPECT_EQ(times() + (control(kPositionSlider)->enabled ? " on" : ""), "0:00 -3:20 on");
  steps("S");
  EXPECT_EQ(times() + (control(kPositionSlider)->enabled ? " on" : ""), " ");
  const std::size_t logged = headlessToolbox().log.size();
  passes(100);
  EXPECT_EQ(headlessToolbox().log.size(), logged) << "nothing is updated while nothing plays";
}

// The dialog handler: what the player buttons and the sheet's Stop Adding
// button do.
using Controls = Playback;

TEST_F(Controls, PlayerButtonsNeedTunesAndNextBackNeedASoundingTune) {
  auto click = [](std::int16_t window, std::int16_t control) { doDialog(kControlClicked, window, control); };
  start(0);
  for (std::int16_t c : {kPlayButton, kBackButton, kNextButton, kSmartMoreButton, kSmartPlaysButton})
    click(kMainWindow, c);
  EXPECT_EQ(beeps(), 15) << "three beeps for each with an empty library";

  library(3);
  click(kMainWindow, kNextButton);
  click(kMainWindow, kBackButton);
  EXPECT_EQ(gNextTune_S + gBackTune_S + beeps(), 0);

  click(kMainWindow, kPlayButton);
  EXPECT_EQ(playIcon(), "StopBtn");
  pass();
  click(kMainWindow, kNextButton);
  EXPECT_EQ(gNextTune_S, 1);
  pass();
  click(kMainWindow, kPlayButton);  // Stop
  EXPECT_TRUE(gWeArePlaying_S == 0 && gStopPlaying_S == 1) << "the button clears the flag at once and asks to stop";
  pass();
  EXPECT_FALSE(playRunActive());

  click(kSheetWindow, kStopAddingButton);
  EXPECT_EQ(gStopCollectingPerUser_S, 1);
}

}  // namespace
