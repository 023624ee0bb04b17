// Speed of the movie services: opening a tune and taking the analysis'
// fourteen one-second excerpts, side by side with the bare FFmpeg decode of
// the same seconds and prerolls; and the CPU that playback takes.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>
#include <vector>

#include "platform/ffmpeg/bare_decode.h"
#include "platform/movie.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "tools/analysis_positions.h"

namespace {

enum Kind { kCbr, kVbr, kVbrNoXing, kM4a, kFlac, kVorbis, kOpus };

MediaFormat formatOf(Kind kind) {
  switch (kind) {
    case kM4a: return MediaFormat::m4a;
    case kCbr: return MediaFormat::mp3Cbr;
    case kFlac: return MediaFormat::flac;
    case kVorbis: return MediaFormat::vorbis;
    case kOpus: return MediaFormat::opus;
    default: return MediaFormat::mp3Vbr;
  }
}

const char* extensionOf(Kind kind) {
  switch (kind) {
    case kM4a: return ".m4a";
    case kFlac: return ".flac";
    case kVorbis: return ".ogg";
    case kOpus: return ".opus";
    default: return ".mp3";
  }
}

// Four-minute tunes, made once per run.
const std::string& tune(Kind kind) {
  static TempDir dir;
  static std::map<Kind, std::string> made;
  auto it = made.find(kind);
  if (it != made.end()) return it->second;
  MediaRecipe s;
  s.seconds = 240;
  s.content = MediaContent::noise;
  s.amplitude = 0.25;
  s.format = formatOf(kind);
  s.xingHeader = kind != kVbrNoXing;
  const std::string path = dir.file("tune" + std::to_string(kind) + extensionOf(kind));
  writeTestMedia(path, s);
  return made.emplace(kind, path).first->second;
}

void OpenAndExport14(benchmark::State& state) {
  const std::string& path = tune(static_cast<Kind>(state.range(0)));
  EnterMovies();
  std::vector<std::uint8_t> block;
  for (auto _ : state) {
    MovieOwner movie;
    if (openMovieByPath(path, movie) != noErr) state.SkipWithError("open failed");
    const std::int32_t d = GetMovieDuration(movie.get());
    for (int part = 1; part <= 14; ++part)
      if (PutMovieIntoTypedHandle(movie.get(), block, analysisStart(part, d, 600), 600) != noErr)
        state.SkipWithError("export failed");
    benchmark::DoNotOptimize(block.data());
  }
}

void BareDecode14(benchmark::State& state) {
  const std::string& path = tune(static_cast<Kind>(state.range(0)));
  EnterMovies();
  std::vector<std::int64_t> starts;
  {
    MovieOwner movie;
    openMovieByPath(path, movie);
    const std::int32_t d = GetMovieDuration(movie.get());
    for (int part = 1; part <= 14; ++part) starts.push_back(std::int64_t{analysisStart(part, d, 600)} * 147 / 2);
  }
  for (auto _ : state) benchmark::DoNotOptimize(bareDecodeSeconds(path, starts, 44100 / 5));
}

double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Plays under the dummy driver (which consumes at real time) for a few
// seconds; the counter is the process's CPU time as a share of one core.
void PlaybackCpu(benchmark::State& state) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  const std::string& path = tune(kCbr);
  EnterMovies();
  double share = 0;
  for (auto _ : state) {
    MovieOwner movie;
    openMovieByPath(path, movie);
    StartMovie(movie.get());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // past the first fill
    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 5 * 30; ++i) {  // the play loop polls about 30 times a second
      MoviesTask(movie.get(), 0);
      benchmark::DoNotOptimize(IsMovieDone(movie.get()));
      std::this_thread::sleep_for(std::chrono::milliseconds(33));
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    share = (cpuSeconds() - cpu0) / wall * 100;
    StopMovie(movie.get());
  }
  state.counters["cpu_percent_of_one_core"] = share;
}

void formats(benchmark::internal::Benchmark* b) {
  b->ArgNames({"kind"})->Arg(kCbr)->Arg(kVbr)->Arg(kVbrNoXing)->Arg(kM4a)->Arg(kFlac)->Arg(kVorbis)->Arg(kOpus);
  b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(OpenAndExport14)->Apply(formats);
BENCHMARK(BareDecode14)->Apply(formats);
BENCHMARK(PlaybackCpu)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
