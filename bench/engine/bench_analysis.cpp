// The whole analysis of one 4-minute tune (14 one-second exports, 28
// transforms, the classification) side by side with the movie services'
// cost of the same 14 exports alone, for MP3 at 128 kbit/s, MP3 VBR and M4A,
// on two sounds: white noise (every other bin strong: the most work for the
// strong-bin walk) and a music-like mix (notes with harmonics and an
// envelope over quiet noise: some 75 strong bins a frame).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "engine/analysis.h"
#include "engine/classify.h"
#include "engine/genres.h"
#include "library/tune.h"
#include "platform/movie.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

constexpr double kSeconds = 240;
constexpr int kRate = 44100;

// Stereo 16-bit samples of a music-like mix: a new chord of three notes every
// half second, each note with three harmonics and a quick attack and slow
// decay, the two channels a little apart, over noise 40 dB down.
std::vector<std::int16_t> musicPcm() {
  const auto frames = static_cast<std::size_t>(kSeconds * kRate);
  std::vector<std::int16_t> pcm(2 * frames);
  std::mt19937 random(11);
  std::uniform_int_distribution<int> pick(0, 24);
  std::array<double, 3> notes{};
  const std::size_t noteFrames = kRate / 2;
  for (std::size_t i = 0; i < frames; ++i) {
    if (i % noteFrames == 0)
      for (double& n : notes) n = 110.0 * std::pow(2.0, pick(random) / 12.0);
    const double t = static_cast<double>(i) / kRate;
    const double sinceNote = static_cast<double>(i % noteFrames) / kRate;
    const double envelope = std::min(1.0, sinceNote / 0.01) * std::exp(-3.0 * sinceNote);
    double left = 0, right = 0;
    for (std::size_t k = 0; k < notes.size(); ++k)
      for (int harmonic = 1; harmonic <= 3; ++harmonic) {
        const double v = std::sin(2 * std::numbers::pi * notes[k] * harmonic * t) / harmonic;
        left += v * (k == 2 ? 0.6 : 1.0);
        right += v * (k == 0 ? 0.6 : 1.0);
      }
    const double noise = static_cast<double>(random()) / 2147483648.0 - 1.0;
    auto sample = [](double s) { return static_cast<std::int16_t>(std::lround(std::clamp(s, -32768.0, 32767.0))); };
    pcm[2 * i] = sample(4000.0 * envelope * left + 100.0 * noise);
    pcm[2 * i + 1] = sample(4000.0 * envelope * right + 100.0 * noise);
  }
  return pcm;
}

// Encodes the music-like mix as the test media generator encodes its own sounds.
void writeMusic(const std::string& raw, const std::string& path, MediaFormat format) {
  std::vector<std::string> args = {"-f", "s16le", "-ar", std::to_string(kRate), "-ac", "2", "-i", raw};
  if (format == MediaFormat::mp3Cbr)
    args.insert(args.end(), {"-c:a", "libmp3lame", "-b:a", "128k", "-f", "mp3"});
  else if (format == MediaFormat::mp3Vbr)
    args.insert(args.end(), {"-c:a", "libmp3lame", "-q:a", "4", "-f", "mp3"});
  else
    args.insert(args.end(), {"-c:a", "aac", "-aac_pns", "0", "-b:a", "128k", "-f", "ipod"});
  args.push_back(path);
  runFfmpeg(args);
}

struct Tunes {
  TempDir dir;
  // Noise: 0 MP3 128 kbit/s, 1 MP3 VBR, 2 M4A; music: 3, 4, 5.
  std::array<std::string, 6> paths;
  Tunes() {
    MediaRecipe s;
    s.seconds = kSeconds;
    s.content = MediaContent::noise;
    s.amplitude = 0.3;
    s.tags = {"Four Minutes", "Bench", "Bench", "Rock"};
    const MediaFormat formats[] = {MediaFormat::mp3Cbr, MediaFormat::mp3Vbr, MediaFormat::m4a};
    const char* names[] = {"cbr.mp3", "vbr.mp3", "tune.m4a"};
    for (std::size_t i = 0; i < 3; ++i) {
      s.format = formats[i];
      writeTestMedia(paths[i] = dir.file(std::string("noise-") + names[i]), s);
    }
    const std::vector<std::int16_t> pcm = musicPcm();
    const std::string raw = dir.file("music.pcm");
    if (std::FILE* f = std::fopen(raw.c_str(), "wb")) {
      for (const std::int16_t v : pcm) {
        const auto u = static_cast<std::uint16_t>(v);
        std::fputc(u & 0xFF, f);
        std::fputc(u >> 8, f);
      }
      std::fclose(f);
    }
    for (std::size_t i = 0; i < 3; ++i)
      writeMusic(raw, paths[3 + i] = dir.file(std::string("music-") + names[i]), formats[i]);
  }
};

Tunes& tunes() {
  static Tunes t;
  return t;
}

void BM_Exports(benchmark::State& state) {
  const std::string& path = tunes().paths[static_cast<std::size_t>(state.range(0))];
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
  const std::string& path = tunes().paths[static_cast<std::size_t>(state.range(0))];
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
  // The strong bins over the 28 frames (before the classification's boost)
  // tell which kind of sound was measured.
  state.counters["ctCount"] = gTunes_A[1].ctCount;
  state.counters["hpe"] = gTunes_A[1].hpe;
  gTotalTunes_L = 0;
}

}  // namespace

int main(int argc, char** argv) {
  initMP3Categories();
  if (EnterMovies() != noErr) return 1;
  tunes();
  // Arguments: noise 0 MP3 128 kbit/s, 1 MP3 VBR, 2 M4A; music 3, 4, 5. Each
  // pair runs back to back.
  for (std::int64_t which = 0; which < 6; ++which) {
    benchmark::RegisterBenchmark("BM_Exports", BM_Exports)->Arg(which)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_WholeAnalysis", BM_WholeAnalysis)->Arg(which)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
