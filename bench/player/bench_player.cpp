// The player at a full library of 30000 tunes, through the real movie
// services (SDL's dummy driver where there is no audio device):
//   - a colour-button click to the first samples of the new tune handed to
//     the audio device,
//   - Next to the first samples of the next tune,
//   - the process's CPU time while a tune plays, with the event loop passing
//     as the application's does (at the play loop's wake-ups, 1 tick apart).
// "Handed to the device" is the playback tap: it sees each buffer the audio
// callback gives the device. The loop passes here come every millisecond; the
// application's loop wakes when the play task is due, which adds at most the
// rest of one tick (16.7 ms) to the latencies.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/appstate.h"
#include "core/prefs.h"
#include "core/tasks.h"
#include "library/tune.h"
#include "platform/sdl/mixer.h"
#include "platform/toolbox.h"
#include "player/playback.h"
#include "playlists/builder.h"
#include "playlists/main_window_fixture.h"
#include "playlists/presentation.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::int32_t kLibraryTunes = 30000;
constexpr int kFiles = 8;

Clock::time_point gStart = Clock::now();

std::uint32_t ticksNow() {
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - gStart).count() * 60 / 1000);
}

void loopPass() {
  if (gStartPlaying_S == 1) {
    gStartPlaying_S = 0;
    startPlayingFromButtons();
  }
  runTasks(ticksNow());
}

// 30000 tunes over a few generated 20-second files, colours spread evenly,
// shown as All Tunes in a main window of the recording toolbox.
void setUp() {
  static TempDir dir;
  static bool made = false;
  if (made) return;
  made = true;
  EnterMovies();
  std::vector<std::string> files;
  for (int i = 0; i < kFiles; ++i) {
    MediaRecipe recipe;
    recipe.seconds = 20;
    recipe.content = MediaContent::twoTones;
    recipe.frequency = 200.0 + 50 * i;
    files.push_back(dir.file("f" + std::to_string(i) + ".mp3"));
    writeTestMedia(files.back(), recipe);
  }
  std::mt19937 gen(7);
  for (std::int32_t k = 1; k <= kLibraryTunes; ++k) {
    Tune& t = gTunes_A[k];
    t = Tune{};
    t.title.assign("Tune " + std::to_string(k));
    t.artist.assign("Artist " + std::to_string(k % 3000));
    t.album.assign("Album " + std::to_string(k % 9000));
    t.filePath.assign(files[gen() % kFiles]);
    t.colourCategory = 1 + static_cast<std::int32_t>(k % 9);
    t.hpe = 4000 * t.colourCategory;
    t.avgAmplitude = 200 + static_cast<std::int32_t>(gen() % 700);
    t.checked = 1;
    t.tuneNumber = k;
    t.durationSeconds = 20;
    t.fileLength = 320000;
  }
  gTotalTunes_L = gStartTotalTunes_L = kLibraryTunes;
  recountColours();
  buildMainWindowForTests();
  gCurrentPlaylist_S = kPlaylistAllTunes;
  buildCurrentPlaylist();
  presentPlaylist(false);
}

// Arms a new tap: the playbacks started from now on report their first buffer.
std::atomic<bool> gTapped{false};
Clock::time_point gFirstBuffer;
void armTap() {
  gTapped = false;
  setPlaybackTap([](std::span<const std::int16_t>) {
    if (!gTapped.exchange(true)) gFirstBuffer = Clock::now();
  });
}

void passUntil(const std::atomic<bool>& flag) {
  const auto limit = Clock::now() + std::chrono::seconds(5);
  while (!flag && Clock::now() < limit) {
    loopPass();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void playSomething() {
  armTap();
  if (!playRunActive()) {
    gCurrentSelectedTune_L = 1;
    startPlayingFromButtons();
  }
  passUntil(gTapped);
}

void BM_ColourClickToFirstSample(benchmark::State& state) {
  setUp();
  std::int32_t colour = 0;
  for (auto _ : state) {
    playSomething();
    armTap();
    const auto t0 = Clock::now();
    doColorButtons(1 + colour++ % 9);
    loopPass();
    passUntil(gTapped);
    state.SetIterationTime(std::chrono::duration<double>(gFirstBuffer - t0).count());
  }
  state.counters["playlist"] = gTotalPlaylistTunes_L;
}
BENCHMARK(BM_ColourClickToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_NextToFirstSample(benchmark::State& state) {
  setUp();
  playSomething();
  double toStart = 0;  // Next to StartMovie having returned
  double inPass = 0;   // of which in the loop's passes (the player and the movie services)
  for (auto _ : state) {
    armTap();
    const auto t0 = Clock::now();
    const std::int32_t before = gNowPlayingItemID_L;
    gNextTune_S = 1;
    while (gNowPlayingItemID_L == before || gNowPlayingMovie == nullptr) {
      const auto p0 = Clock::now();
      loopPass();
      inPass += std::chrono::duration<double>(Clock::now() - p0).count();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    toStart += std::chrono::duration<double>(Clock::now() - t0).count();
    passUntil(gTapped);
    state.SetIterationTime(std::chrono::duration<double>(gFirstBuffer - t0).count());
  }
  state.counters["to_start_ms"] = 1000 * toStart / static_cast<double>(state.iterations());
  state.counters["in_pass_ms"] = 1000 * inPass / static_cast<double>(state.iterations());
}
BENCHMARK(BM_NextToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

// Starting a tune in the movie services: making the movie (open, probe) and
// StartMovie (seek, first decoding, opening the device); and leaving one
// that has played for half a second (stopping it closes its device).
void BM_MovieServicesStart(benchmark::State& state) {
  setUp();
  gStopPlaying_S = 1;  // the movie on its own, with no play run's movie sounding
  while (playRunActive()) loopPass();
  double open = 0, start = 0, dispose = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    MovieOwner movie;
    openMovieByPath(gTunes_A[1].filePath.view(), movie);
    const auto t1 = Clock::now();
    StartMovie(movie.get());
    const auto t2 = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto t3 = Clock::now();
    movie.reset();
    dispose += std::chrono::duration<double>(Clock::now() - t3).count();
    open += std::chrono::duration<double>(t1 - t0).count();
    start += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["dispose_ms"] = 1000 * dispose / n;
  state.counters["open_ms"] = 1000 * open / n;
  state.counters["start_ms"] = 1000 * start / n;
}
BENCHMARK(BM_MovieServicesStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

double processSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_CpuWhilePlaying(benchmark::State& state) {
  setUp();
  playSomething();
  for (auto _ : state) {
    const double cpu0 = processSeconds();
    const auto t0 = Clock::now();
    while (Clock::now() - t0 < std::chrono::seconds(8)) {
      // The application's loop sleeps until the play task is due.
      const std::uint32_t due = nextTaskTick(ticksNow());
      while (static_cast<std::int32_t>(ticksNow() - due) < 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      loopPass();
    }
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    state.counters["cpu_percent_of_core"] = 100.0 * (processSeconds() - cpu0) / wall;
  }
  state.counters["still_playing"] = gWeArePlaying_S;
}
BENCHMARK(BM_CpuWhilePlaying)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
