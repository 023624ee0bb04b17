// A running program on the headless toolbox for the menu and maintenance
// tests: a library, the All Tunes playlist in the main window's list, the
// menus built, and a scripted movie as the player's loaded one.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "../app/app_fixture.h"
#include "core/appstate.h"
#include "platform/fake/fake_movie.h"
#include "platform/headless/headless_toolbox.h"
#include "player/playback.h"
#include "playlists/builder.h"
#include "playlists/presentation.h"
#include "ui/dbdata.h"
#include "ui/dialog.h"
#include "ui/mainwindow.h"
#include "ui/menus.h"

class MenuTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    fakeMovieReset();
  }
  void TearDown() override {
    gNowPlayingMovie = nullptr;
    loaded.reset();
    AppTest::TearDown();
  }
  // Library of n tunes, All Tunes shown, menus built.
  void start(std::int32_t n, TuneRecipe (*make)(std::int32_t)) {
    if (n > 0) makeLibrary(n, make);
    gCurrentPlaylist_S = kPlaylistAllTunes;
    buildCurrentPlaylist();
    buildMenus();
    buildMainWindow();
    headlessToolbox().log.clear();
  }
  // The shown playlist becomes the playing one, entry `playing` loaded.
  void playShownPlaylist(std::int32_t playing) {
    gTotalPlaying_L = gTotalPlaylistTunes_L;
    std::memcpy(&gNowPlaying_A[1], &gPlaylistTunes_A[1], sizeof(Tune) * static_cast<std::size_t>(gTotalPlaying_L));
    gNowPlayingItemID_L = playing;
    gCurrentPlayingIDName$ = gCurrentPlayllistIDName$;
    gCurrentPlayingPL_S = gCurrentPlaylist_S;
    gWeArePlaying_S = 1;
    const std::string path = "/music/loaded.mp3";
    fakeMovieScript(path, {.duration = 600});
    MovieFileRef ref = 0;
    Movie movie = nullptr;
    OpenMovieFile(path, ref);
    NewMovieFromFile(ref, movie);
    CloseMovieFile(ref);
    loaded = MovieOwner(movie);
    gNowPlayingMovie = movie;
  }
  // The player's movie is forgotten, as between tunes.
  static void unloadMovie() { gNowPlayingMovie = nullptr; }
  // How often the loaded tune was silenced.
  static int stops() {
    return static_cast<int>(std::count_if(fakeMovieCalls().begin(), fakeMovieCalls().end(),
                                          [](const FakeMovieCall& c) { return c.kind == FakeMovieCallKind::stop; }));
  }
  void select(std::int32_t row) { gCurrentSelectedTune_L = row; }
  MovieOwner loaded;
  int beeps() const {
    const auto& log = headlessToolbox().log;
    return static_cast<int>(std::count(log.begin(), log.end(), std::string("beep")));
  }
  std::vector<std::int32_t> shownRows() const { return listViewShownRows(kMainWindow, kListControl); }
  // The last mark the menus were given for an item ("" when none).
  std::string lastMark(int menu, int item) const {
    const std::string prefix = "menumark:" + std::to_string(menu) + "/" + std::to_string(item) + "=";
    const auto& log = headlessToolbox().log;
    for (auto it = log.rbegin(); it != log.rend(); ++it)
      if (it->rfind(prefix, 0) == 0) return it->substr(prefix.size());
    return "";
  }
};

inline TuneRecipe numbered(std::int32_t i) {
  TuneRecipe s;
  s.title = "Tune " + std::to_string(i);
  s.artist = i % 2 ? "Odd" : "Even";
  s.album = "Album " + std::to_string(i % 3);
  s.category = 1 + i % 3;  // categories 1..3 only
  s.playCount = i;
  return s;
}
