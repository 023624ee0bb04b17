// One 16384-point transform of the analysis, side by side with the textbook
// loop that evaluates the twiddle recurrence in place. Every iteration
// transforms a fresh copy of the same input; the copy alone is measured too.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/analysis.h"
#include "engine/fft_reference.h"

namespace {

const std::vector<double>& input() {
  static const std::vector<double> x = [] {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<double> v(2 * 16384, 0.0);
    for (std::size_t p = 0; p < 16383; ++p) v[2 * p] = sample(rng);
    return v;
  }();
  return x;
}

void BM_CopyOnly(benchmark::State& state) {
  std::vector<double> d(input().size());
  for (auto _ : state) {
    d = input();
    benchmark::DoNotOptimize(d.data());
    benchmark::ClobberMemory();
  }
}

void BM_Transform(benchmark::State& state) {
  std::vector<double> d(input().size());
  for (auto _ : state) {
    d = input();
    transform16384(d);
    benchmark::DoNotOptimize(d.data());
    benchmark::ClobberMemory();
  }
}

void BM_TextbookTransform(benchmark::State& state) {
  std::vector<double> d(input().size());
  for (auto _ : state) {
    d = input();
    reference::textbookTransform(d);
    benchmark::DoNotOptimize(d.data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(BM_CopyOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Transform)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextbookTransform)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
