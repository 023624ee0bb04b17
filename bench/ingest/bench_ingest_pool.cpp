// The add run with analysis ahead on worker threads, side by side for each
// thread count given, in one process: whole runs of "Add Tunes To Library..."
// over one corpus into a fresh library, driven by a loop that stands for the
// event loop (no yield ticks, as in lumaroll-tool add). Rounds alternate the
// thread counts so that the load of a shared machine falls on all of them.
// For each run: wall time, tunes/s, CPU time of the process (all threads),
// the longest time the loop spent inside one pass (the longest the window
// would wait for its turn), the 99th percentile of those and the longest CPU
// time of the loop's thread in one pass (what the pass itself cost, without
// the time a loaded machine kept the thread waiting), and the load average
// before and after. The library files of all runs are compared.
//
//   bench_ingest_pool CORPUS WORKDIR [ROUNDS] [THREADS...]   (default 3 rounds, 1 2)
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/appstate.h"
#include "core/paths.h"
#include "core/tasks.h"
#include "engine/classify.h"
#include "engine/genres.h"
#include "ingest/add_one.h"
#include "ingest/add_runs.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/headless/headless_toolbox.h"
#include "platform/movie.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
  rusage ru{};
  ::getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double threadCpuMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double loadAverage() {
  double one = 0;
  if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &one) != 1) one = 0;
    std::fclose(f);
  }
  return one;
}

struct RunFigures {
  int threads = 0;
  int tunes = 0;
  double wall = 0, cpu = 0, longestPassMs = 0, p99PassMs = 0, longestPassCpuMs = 0, loadBefore = 0, loadAfter = 0;
  std::string library;
};

RunFigures addRun(const std::string& corpus, const std::string& db, int threads) {
  RunFigures r;
  r.threads = threads;
  ::setenv("LUMAROLL_ANALYSIS_THREADS", std::to_string(threads).c_str(), 1);
  std::filesystem::remove(db);
  setLibraryFilePath(db);
  gTotalTunes_L = gStartTotalTunes_L = 0;
  gNextPermIDNumber_UL = 0;
  gMostCommonFundFreq_SA.fill(0);  // counts every tune classified since start-up
  r.loadBefore = loadAverage();
  std::vector<double> passes;
  const double cpu0 = cpuSeconds();
  const auto start = Clock::now();
  startTask(addTunes({corpus}));
  while (activeTaskCount() > 0) {
    const auto before = Clock::now();
    const double cpuBefore = threadCpuMs();
    runTasks(TickCount());
    passes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
    r.longestPassCpuMs = std::max(r.longestPassCpuMs, threadCpuMs() - cpuBefore);
    headlessToolbox().log.clear();
  }
  r.wall = std::chrono::duration<double>(Clock::now() - start).count();
  r.cpu = cpuSeconds() - cpu0;
  r.loadAfter = loadAverage();
  r.tunes = addRunStats().tunesAdded;
  std::sort(passes.begin(), passes.end());
  if (!passes.empty()) {
    r.longestPassMs = passes.back();
    r.p99PassMs = passes[passes.size() * 99 / 100];
  }
  std::ifstream in(db, std::ios::binary);
  r.library.assign(std::istreambuf_iterator<char>(in), {});
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: bench_ingest_pool CORPUS WORKDIR [ROUNDS] [THREADS...]\n", stderr);
    return 2;
  }
  const std::string corpus = std::filesystem::absolute(argv[1]).string() + "/";
  const std::string work = argv[2];
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  std::vector<int> counts;
  for (int i = 4; i < argc; ++i) counts.push_back(std::max(1, std::atoi(argv[i])));
  if (counts.empty()) counts = {1, 2};
  std::filesystem::create_directories(work);
  initMP3Categories();
  if (EnterMovies() != noErr) return 1;
  setAddYieldTicks(0);

  std::vector<RunFigures> runs;
  for (int round = 0; round < rounds; ++round)
    for (int threads : counts) runs.push_back(addRun(corpus, work + "/LumarollDatabase", threads));

  std::printf("%-7s %-5s %6s %8s %8s %8s %9s %9s %9s %11s\n", "threads", "round", "tunes", "wall s", "tunes/s", "cpu s",
              "pass max", "pass p99", "pass cpu", "load 1 min");
  bool same = true;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const RunFigures& r = runs[i];
    same = same && r.library == runs[0].library;
    std::printf("%-7d %-5zu %6d %8.2f %8.1f %8.2f %7.1fms %7.1fms %7.1fms %5.1f-%-5.1f\n", r.threads,
                i / counts.size() + 1, r.tunes, r.wall, r.tunes / r.wall, r.cpu, r.longestPassMs, r.p99PassMs,
                r.longestPassCpuMs, r.loadBefore, r.loadAfter);
  }
  // Medians per thread count, and the speed-up over the first count.
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  double baseRate = 0;
  for (int threads : counts) {
    std::vector<double> rate, cpu, pass, passCpu;
    for (const RunFigures& r : runs)
      if (r.threads == threads) {
        rate.push_back(r.tunes / r.wall);
        cpu.push_back(r.cpu / std::max(1, r.tunes) * 1000);
        pass.push_back(r.longestPassMs);
        passCpu.push_back(r.longestPassCpuMs);
      }
    if (baseRate == 0) baseRate = median(rate);
    std::printf("median %d thread(s): %.1f tunes/s (%.2fx), %.1f ms CPU/tune, longest pass %.1f ms (%.1f ms CPU)\n",
                threads, median(rate), median(rate) / baseRate, median(cpu), median(pass), median(passCpu));
  }
  std::printf("library files %s\n", same ? "identical in every run" : "DIFFER");
  return same ? 0 : 1;
}
