// The whole analysis of one 4-minute tune (14 one-second exports, 28
// transforms, the classification) side by side with the movie services'
// cost of the same 14 exports alone, for MP3 at 128 kbit/s, MP3 VBR and M4A.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "engine/analysis.h"
#include "engine/classify.h"
#include "engine/genres.h"
#include "library/tune.h"
#include "platform/movie.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

struct Tunes {
  TempDir dir;
  std::string cbr, vbr, m4a;
  Tunes() {
    MediaRecipe s;
    s.seconds = 240;
    s.content = MediaContent::noise;
    s.amplitude = 0.3;
    s.tags = {"Four Minutes", "Bench", "Bench", "Rock"};
    s.format = MediaFormat::mp3Cbr;
    writeTestMedia(cbr = dir.file("cbr.mp3"), s);
    s.format = MediaFormat::mp3Vbr;
    writeTestMedia(vbr = dir.file("vbr.mp3"), s);
    s.format = MediaFormat::m4a;
    writeTestMedia(m4a = dir.file("tune.m4a"), s);
  }
};

Tunes& tunes() {
  static Tunes t;
  return t;
}

const std::string& pathOf(std::int64_t which) {
  return which == 0 ? tunes().cbr : which == 1 ? tunes().vbr : tunes().m4a;
}

void BM_Exports(benchmark::State& state) {
  const std::string& path = pathOf(state.range(0));
  std::vector<std::uint8_t> block;
  for (auto _ : state) {
    MovieOwner movie;
    if (openMovieByPath(path, movie) != noErr) state.SkipWithError("cannot open");
    const std::int32_t S = GetMovieTimeScale(movie.get()), D = GetMovieDuration(movie.get());
    for (std::int32_t part = 1; part <= 14; ++part) {
      if (PutMovieIntoTypedHandle(movie.get(), block, *analysisStartTime(part, D, S), S) != noErr)
        state.SkipWithError("export failed");
      benchmark::DoNotOptimize(block.data());
    }
  }
}

void BM_WholeAnalysis(benchmark::State& state) {
  const std::string& path = pathOf(state.range(0));
  gTotalTunes_L = 1;
  auto analysis = std::make_unique<AnalysisState>();
  AnalysisState& st = *analysis;
  for (auto _ : state) {
    gTunes_A[1] = Tune{};
    resetAnalysisState(st);
    MovieOwner movie;
    if (openMovieByPath(path, movie) != noErr) state.SkipWithError("cannot open");
    for (std::int32_t part = 1; part <= 14; ++part)
      if (measureTuneAudio(st, movie.get(), part, gTunes_A[1]) != noErr) state.SkipWithError("analysis failed");
    movie.reset();
    benchmark::DoNotOptimize(classifyTune(st, "tune"));
  }
  state.counters["ctCount"] = gTunes_A[1].ctCount;
  state.counters["hpe"] = gTunes_A[1].hpe;
  gTotalTunes_L = 0;
}

}  // namespace

// Arguments: 0 MP3 128 kbit/s, 1 MP3 VBR, 2 M4A. Each pair runs back to back.
BENCHMARK(BM_Exports)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeAnalysis)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Exports)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeAnalysis)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Exports)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeAnalysis)->Arg(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  initMP3Categories();
  if (EnterMovies() != noErr) return 1;
  tunes();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
