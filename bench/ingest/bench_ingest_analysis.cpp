// The analysis alone, file by file, as the add run does it once it has a
// file in hand: tags, fourteen analysed seconds, classification. No folder
// scan, no yields, no progress texts, no run ending. Prints one line:
//   analysis: N tunes of M files in S s: R tunes/s, T ms/tune, peak P MB
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/paths.h"
#include "engine/analysis.h"
#include "engine/classify.h"
#include "engine/genres.h"
#include "engine/m4atags.h"
#include "engine/mp3tags.h"
#include "library/tune.h"
#include "platform/movie.h"

namespace fs = std::filesystem;

namespace {

bool hasExtension(const std::string& name, const char* upper) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return tail == upper;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: bench_ingest_analysis CORPUS DB\n", stderr);
    return 2;
  }
  setLibraryFilePath(argv[2]);
  initMP3Categories();
  if (EnterMovies() != noErr) return 1;

  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(argv[1]))
    if (e.is_regular_file()) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());

  const auto start = std::chrono::steady_clock::now();
  int tunes = 0;
  auto analysis = std::make_unique<AnalysisState>();
  AnalysisState& st = *analysis;
  for (const std::string& path : files) {
    const std::string name = fs::path(path).filename().string();
    const bool mp3 = hasExtension(name, ".MP3");
    if (!mp3 && !hasExtension(name, ".M4A")) continue;
    if ((mp3 ? readMP3Tags(path, 0, 0) : readM4ATags(path, 0, 0)) != noErr) continue;
    resetAnalysisState(st);
    OSErr err = noErr;
    {
      MovieOwner movie;
      err = openMovieByPath(path, movie);
      for (std::int32_t part = 1; err == noErr && part <= kAnalysisParts; ++part)
        err = measureTuneAudio(st, movie.get(), part, gTunes_A[gTotalTunes_L]);
    }
    if (err == noErr) err = classifyTune(st, name.substr(0, 63));
    if (err != noErr || st.gCTCounter_L <= 7 || st.gCTCounter_L >= 60000) {
      giveBackTuneRecord();
      continue;
    }
    ++tunes;
  }
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage ru{};
  ::getrusage(RUSAGE_SELF, &ru);
  std::printf("analysis: %d tunes of %zu files in %.2f s: %.2f tunes/s, %.1f ms/tune, peak %ld MB\n", tunes,
              files.size(), s, tunes / s, 1000.0 * s / std::max(tunes, 1), ru.ru_maxrss / 1024);
  return 0;
}
