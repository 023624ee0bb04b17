// Saving and loading a full library (30000 tunes, 136,980,000 bytes), side by
// side with a plain copy of the same bytes through one read and one write.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "core/paths.h"
#include "library/database.h"
#include "support/temp_dir.h"

namespace {

TempDir& dir() {
  static TempDir d;
  return d;
}

void fillLibrary() {
  if (gStartTotalTunes_L == kMaxTunes) return;
  setLibraryFilePath(dir().file("LumarollDatabase"));
  for (std::int32_t k = 1; k <= kMaxTunes; ++k) {
    Tune& t = gTunes_A[k];
    std::memset(&t, 0, sizeof t);
    t.title.assign("Tune " + std::to_string(k));
    t.hpe = k * 7;
    t.colourCategory = 1 + k % 9;
    for (int n = 1; n <= 28; ++n) t.samplePitch[n] = n * k;
  }
  gTotalTunes_L = gStartTotalTunes_L = kMaxTunes;
  if (saveDatabaseFiles() != noErr) std::abort();
}

void copyFile(const std::string& from, const std::string& to, bool sync) {
  static std::vector<char> buf(static_cast<std::size_t>(kMaxTunes) * kTuneRecordSize);
  const int in = ::open(from.c_str(), O_RDONLY);
  const ssize_t n = ::read(in, buf.data(), buf.size());
  ::close(in);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (n <= 0 || ::write(out, buf.data(), static_cast<std::size_t>(n)) != n) std::abort();
  if (sync) ::fdatasync(out);
  ::close(out);
}

void BM_Save(benchmark::State& state) {
  fillLibrary();
  for (auto _ : state) benchmark::DoNotOptimize(saveDatabaseFiles());
  state.SetBytesProcessed(state.iterations() * kMaxTunes * static_cast<std::int64_t>(kTuneRecordSize));
}

void BM_Load(benchmark::State& state) {
  fillLibrary();
  for (auto _ : state) benchmark::DoNotOptimize(openDatabaseFiles());
  if (gTotalTunes_L != kMaxTunes) std::abort();
  state.SetBytesProcessed(state.iterations() * kMaxTunes * static_cast<std::int64_t>(kTuneRecordSize));
}

void BM_PlainCopy(benchmark::State& state) {
  fillLibrary();
  const bool sync = state.range(0) != 0;
  for (auto _ : state) copyFile(libraryFilePath(), dir().file("copy"), sync);
  state.SetBytesProcessed(state.iterations() * kMaxTunes * static_cast<std::int64_t>(kTuneRecordSize));
}

}  // namespace

BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_PlainCopy)->Arg(0)->Arg(1)->ArgName("fdatasync")->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK_MAIN();
