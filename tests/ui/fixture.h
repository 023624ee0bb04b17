// One running program on the headless toolbox for the application, menu and
// player tests: a library of tunes on private files, the globals as start-up
// leaves them, the menus and the main window built, the event loop stepped by
// the test, the scripted movies cleared, and the exit of the program turned
// into an exception.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/appstate.h"
#include "core/prefs.h"
#include "library/tune.h"
#include "platform/fake/fake_movie.h"
#include "platform/headless/headless_toolbox.h"
#include "player/playback.h"
#include "playlists/builder.h"
#include "playlists/presentation.h"
#include "support/temp_dir.h"
#include "ui/dbdata.h"
#include "ui/dialog.h"
#include "ui/mainwindow.h"
#include "ui/menus.h"

struct ProgramExit {
  int status;
};

struct TuneRecipe {
  std::string title, artist = "Artist", album = "Album", genre = "Rock", duration = "3:00";
  std::int32_t hpe = 10000, category = 2, playCount = 0, seconds = 180;
  std::uint16_t checked = 1;
};

// Fills a record from a TuneRecipe; `number` gives its tune number and permID;
// its file is /music/<title>.mp3.
void fillTune(Tune& t, const TuneRecipe& s, std::int32_t number);
// Library tunes 1..n made by `describe(i)` and committed.
void makeLibrary(std::int32_t n, TuneRecipe (*describe)(std::int32_t));
// "Tune i", artists Odd and Even, albums "Album 0..2", categories 1..3, i plays.
TuneRecipe numbered(std::int32_t i);

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Library of n tunes, All Tunes shown, menus (with their handler) and main
  // window built.
  static void start(std::int32_t n, TuneRecipe (*make)(std::int32_t) = numbered);
  // One pass of the event loop, one tick after the last; a raised start
  // request becomes a run as the event handler makes it.
  static void pass();
  static void passes(int n) {
    for (int i = 0; i < n; ++i) pass();
  }
  static void select(std::int32_t row) { gCurrentSelectedTune_L = row; }
  // Beeps logged since the log was last cleared.
  static int beeps();
  static std::vector<std::int32_t>& shownRows() { return headlessToolbox().list(kMainWindow, kListControl)->rows; }
  static std::string menuText(std::int16_t menu, std::int16_t item) {
    return headlessToolbox().menuItems[{menu, item}];
  }
  static bool logged(const std::string& line) { return headlessToolbox().logged(line); }
  // A logged line that starts with `prefix` and holds `part`.
  static bool loggedWith(const std::string& prefix, const std::string& part);
  // The last mark the menus were given for an item ("" when none).
  static std::string lastMark(int menu, int item);
  TempDir dir;
};

// The menu commands with a scripted movie as the player's loaded one.
class MenuTest : public AppTest {
 protected:
  void TearDown() override {
    gNowPlayingMovie = nullptr;
    loaded.reset();
    AppTest::TearDown();
  }
  // The shown playlist becomes the playing one, entry `playing` loaded.
  void playShownPlaylist(std::int32_t playing);
  // How often the loaded tune was silenced.
  static int stops();
  MovieOwner loaded;
};
