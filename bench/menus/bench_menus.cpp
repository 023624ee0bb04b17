// Check-Mark All, Delete Tune and Set Genre For This Artist on a library of
// 30000 tunes shown whole in the list (All Tunes) and playing, measured
// through the menu dispatcher on the headless toolbox.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "app/app.h"
#include "core/appstate.h"
#include "library/tune.h"
#include "platform/fake/fake_movie.h"
#include "platform/headless/headless_toolbox.h"
#include "player/playback.h"
#include "playlists/builder.h"
#include "ui/dbdata.h"
#include "ui/dialog.h"
#include "ui/mainwindow.h"
#include "ui/menus.h"

namespace {

constexpr std::int32_t kTunes = 30000;

void makeLibrary() {
  for (std::int32_t i = 1; i <= kTunes; ++i) {
    Tune& t = gTunes_A[i];
    t = Tune{};
    t.title.assign("Title " + std::to_string(i));
    t.artist.assign("Artist " + std::to_string(i % 700));
    t.album.assign("Album " + std::to_string(i % 2500));
    t.genre.assign(i % 7 == 0 ? "Soundtrack" : "Rock");
    t.durationText.assign("3:00");
    t.durationSeconds = 180;
    t.fileLength = 5u << 20;
    t.colourCategory = 1 + i % 9;
    t.playCount = i % 5;
    t.checked = 1;
    t.tuneNumber = i;
    t.permID = static_cast<std::uint32_t>(i);
    t.filePath.assign("/music/" + std::to_string(i) + ".mp3");
  }
  gTotalTunes_L = gStartTotalTunes_L = kTunes;
  recountColours();
}

void setUp() {
  headlessToolbox().reset();
  disposeKWED3rowser();
  initGlobals();
  makeLibrary();
  gCurrentPlaylist_S = kPlaylistAllTunes;
  buildCurrentPlaylist();
  buildMenus();
  buildMainWindow();
  gTotalPlaying_L = gTotalPlaylistTunes_L;
  std::memcpy(&gNowPlaying_A[1], &gPlaylistTunes_A[1], sizeof(Tune) * static_cast<std::size_t>(gTotalPlaying_L));
  gNowPlayingItemID_L = kTunes;
  gCurrentPlayingIDName$ = gCurrentPlayllistIDName$;
  // The last entry is loaded in the player: a scripted movie.
  fakeMovieScript("/bench/loaded.mp3", {.duration = 600});
  MovieFileRef ref = 0;
  OpenMovieFile("/bench/loaded.mp3", ref);
  NewMovieFromFile(ref, gNowPlayingMovie);
  CloseMovieFile(ref);
}

void BM_CheckMarkAllOnAllTunes(benchmark::State& state) {
  setUp();
  bool check = false;
  for (auto _ : state) {
    doMenu(kEditMenu, check ? 10 : 11);
    check = !check;
    headlessToolbox().log.clear();
  }
}
BENCHMARK(BM_CheckMarkAllOnAllTunes)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_DeleteTune(benchmark::State& state) {
  setUp();
  for (auto _ : state) {
    gCurrentSelectedTune_L = gTotalPlaylistTunes_L / 2;  // the middle row of the playing playlist
    doMenu(kEditMenu, 15);
    headlessToolbox().log.clear();
  }
}
BENCHMARK(BM_DeleteTune)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_SetGenreForThisArtist(benchmark::State& state) {
  setUp();
  std::int16_t genre = 1;
  for (auto _ : state) {
    gCurrentSelectedTune_L = 1;
    doMenu(kArtistGenreMenu, genre);
    genre = static_cast<std::int16_t>(genre % 28 + 1);
    headlessToolbox().log.clear();
  }
}
BENCHMARK(BM_SetGenreForThisArtist)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
