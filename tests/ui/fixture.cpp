#include "ui/fixture.h"

#include <algorithm>
#include <cstring>

#include "app/app.h"
#include "core/errors.h"
#include "core/paths.h"
#include "core/tasks.h"
#include "playlists/rnd.h"

void fillTune(Tune& t, const TuneRecipe& s, std::int32_t number) {
  t = Tune{};
  t.title.assign(s.title);
  t.artist.assign(s.artist);
  t.album.assign(s.album);
  t.genre.assign(s.genre);
  t.durationText.assign(s.duration);
  t.durationSeconds = s.seconds;
  t.hpe = s.hpe;
  t.colourCategory = s.category;
  t.avgAmplitude = 400;
  t.playCount = s.playCount;
  t.checked = s.checked;
  t.fileLength = 4u << 20;
  t.tuneNumber = number;
  t.permID = static_cast<std::uint32_t>(number);
  t.filePath.assign("/music/" + s.title + ".mp3");
}

void makeLibrary(std::int32_t n, TuneRecipe (*describe)(std::int32_t)) {
  for (std::int32_t i = 1; i <= n; ++i) fillTune(gTunes_A[i], describe(i), i);
  gTotalTunes_L = gStartTotalTunes_L = n;
  gNextPermIDNumber_UL = static_cast<std::uint32_t>(n);
  recountColours();
}

TuneRecipe numbered(std::int32_t i) {
  return {.title = "Tune " + std::to_string(i),
          .artist = i % 2 ? "Odd" : "Even",
          .album = "Album " + std::to_string(i % 3),
          .category = 1 + i % 3,
          .playCount = i};
}

void AppTest::SetUp() {
  headlessToolbox().reset();
  gExitHook = [](int status) { throw ProgramExit{status}; };
  setLibraryFilePath(dir.file("Lumaroll/LumarollDatabase"));
  setPrefsFilePath(dir.file("Orvane-Lumaroll/LumarollPrefs"));
  initGlobals();
  seedRnd(20261206);
  fakeMovieReset();
}

void AppTest::TearDown() {
  cancelAllTasks();
  disposeKWED3rowser();
  gExitHook = nullptr;
  setLibraryFilePath("");
  setPrefsFilePath("");
}

void AppTest::start(std::int32_t n, TuneRecipe (*make)(std::int32_t)) {
  if (n > 0) makeLibrary(n, make);
  gCurrentPlaylist_S = kPlaylistAllTunes;
  buildCurrentPlaylist();
  buildMenus();
  buildMainWindow();
  headlessToolbox().handlers.menu = doMenu;  // items chosen by other programs
  headlessToolbox().log.clear();
}

int AppTest::beeps() { return static_cast<int>(std::ranges::count(headlessToolbox().log, "beep")); }

void AppTest::pass() {
  auto& tb = headlessToolbox();
  ++tb.ticks;
  if (gStartPlaying_S == 1) {
    gStartPlaying_S = 0;
    startPlayingFromButtons();
  }
  runTasks(tb.ticks);
}

bool AppTest::loggedWith(const std::string& prefix, const std::string& part) {
  return std::ranges::any_of(headlessToolbox().log, [&](const std::string& l) {
    return l.starts_with(prefix) && l.find(part) != std::string::npos;
  });
}

std::string AppTest::lastMark(int menu, int item) {
  const std::string prefix = "menumark:" + std::to_string(menu) + "/" + std::to_string(item) + "=";
  const auto& log = headlessToolbox().log;
  for (auto it = log.rbegin(); it != log.rend(); ++it)
    if (it->rfind(prefix, 0) == 0) return it->substr(prefix.size());
  return "";
}

void MenuTest::playShownPlaylist(std::int32_t playing) {
  gTotalPlaying_L = gTotalPlaylistTunes_L;
  std::memcpy(&gNowPlaying_A[1], &gPlaylistTunes_A[1], sizeof(Tune) * static_cast<std::size_t>(gTotalPlaying_L));
  gNowPlayingItemID_L = playing;
  gCurrentPlayingIDName$ = gCurrentPlayllistIDName$;
  gCurrentPlayingPL_S = gCurrentPlaylist_S;
  gWeArePlaying_S = 1;
  const std::string path = "/music/loaded.mp3";
  fakeMovieScript(path, {.duration = 600});
  ASSERT_EQ(openMovieByPath(path, loaded), noErr);
  gNowPlayingMovie = loaded.get();
}

int MenuTest::stops() {
  return static_cast<int>(std::ranges::count(fakeMovieCalls(), FakeMovieCallKind::stop, &FakeMovieCall::kind));
}
