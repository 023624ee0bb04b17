// Pausing, resuming and moving a playing tune through the real movie
// services (SDL's dummy driver where there is no audio device):
//   - pause to silence: how long PauseMovie takes; once it returns no further
//     buffer goes to the device (the one already handed over plays out within
//     one device period),
//   - resume to sound: ResumeMovie to the first buffer handed to the device,
//   - seek to sound: SetMovieTimeValue to the first buffer of the new place,
//   - the process's CPU time while paused.
// "Handed to the device" is the playback tap, which sees each buffer the
// audio callback gives the device.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/movie.h"
#include "platform/sdl/mixer.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<std::int64_t> gLastBuffer{0};  // ns since the clock's epoch, of the latest tapped buffer
std::atomic<std::int64_t> gFirstAfter{0};  // first tapped buffer after gArmed was set
std::atomic<bool> gArmed{false};

std::int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

void tap(std::span<const std::int16_t>) {
  const std::int64_t t = nowNs();
  gLastBuffer.store(t);
  bool armed = true;
  if (gArmed.compare_exchange_strong(armed, false)) gFirstAfter.store(t);
}

double cpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Milliseconds from `from` until the first buffer after arming, waiting up
// to a second.
double waitFirstBuffer(std::int64_t from) {
  for (int i = 0; i < 1000 && gArmed.load(); ++i) std::this_thread::sleep_for(std::chrono::microseconds(200));
  return static_cast<double>(gFirstAfter.load() - from) / 1e6;
}

struct Stats {
  std::vector<double> v;
  void add(double x) { v.push_back(x); }
  double mean() const {
    double s = 0;
    for (double x : v) s += x;
    return v.empty() ? 0 : s / static_cast<double>(v.size());
  }
  double max() const {
    double m = 0;
    for (double x : v) m = std::max(m, x);
    return m;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 30;
  if (EnterMovies() != noErr) return 1;
  TempDir dir;
  MediaRecipe recipe;
  recipe.seconds = 120;
  recipe.content = MediaContent::noise;
  const std::string path = dir.file("tune.mp3");
  writeTestMedia(path, recipe);
  setPlaybackTap(tap);
  MovieOwner movie;
  if (openMovieByPath(path, movie) != noErr) return 1;
  StartMovie(movie.get());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  Stats pauseCall, lastAfterPause, resume, seek;
  for (int i = 0; i < rounds; ++i) {
    const std::int64_t t0 = nowNs();
    PauseMovie(movie.get());
    const std::int64_t t1 = nowNs();
    pauseCall.add(static_cast<double>(t1 - t0) / 1e6);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    // A buffer handed over after the call returned would be sound after the pause.
    lastAfterPause.add(std::max(0.0, static_cast<double>(gLastBuffer.load() - t1) / 1e6));

    gArmed = true;
    const std::int64_t t2 = nowNs();
    ResumeMovie(movie.get());
    resume.add(waitFirstBuffer(t2));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    // The tap is copied when a playback starts, so the moved playback
    // reports to the same function; arm it just before the move.
    gArmed = true;
    const std::int64_t t3 = nowNs();
    SetMovieTimeValue(movie.get(), static_cast<std::int32_t>(600 * (5 + (i * 37) % 100)));
    seek.add(waitFirstBuffer(t3));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  // CPU while paused: 3 s with the device still open, then 5 s after it has
  // closed (three idle seconds).
  PauseMovie(movie.get());
  const double c0 = cpuSeconds();
  const auto w0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const double c1 = cpuSeconds();
  const auto w1 = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(5));
  const double c2 = cpuSeconds();
  const auto w2 = Clock::now();
  const double openShare = (c1 - c0) / std::chrono::duration<double>(w1 - w0).count() * 100;
  const double closedShare = (c2 - c1) / std::chrono::duration<double>(w2 - w1).count() * 100;

  // Resuming once the device has closed opens it again.
  gArmed = true;
  const std::int64_t t4 = nowNs();
  ResumeMovie(movie.get());
  const double resumeClosed = waitFirstBuffer(t4);

  std::printf("rounds %d\n", rounds);
  std::printf("pause call (then silent at the device): mean %.3f ms, max %.3f ms\n", pauseCall.mean(), pauseCall.max());
  std::printf("buffers handed over after the pause returned: max %.3f ms later (0 = none)\n", lastAfterPause.max());
  std::printf("resume to the first buffer: mean %.2f ms, max %.2f ms\n", resume.mean(), resume.max());
  std::printf("seek to the first buffer of the new place: mean %.2f ms, max %.2f ms\n", seek.mean(), seek.max());
  std::printf("CPU while paused: %.4f %% of a core (device open, 3 s), %.4f %% (device closed, 5 s)\n", openShare,
              closedShare);
  std::printf("resume after the device closed: %.2f ms\n", resumeClosed);
  StopMovie(movie.get());
  setPlaybackTap(nullptr);
  return 0;
}
