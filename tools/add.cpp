// lumaroll-tool add: the add run of the program without a window. The same
// passes, checkpoints and ending; progress goes to standard error, and
// Ctrl+C stops the run the way the Stop button does.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "core/appstate.h"
#include "core/paths.h"
#include "core/tasks.h"
#include "engine/genres.h"
#include "ingest/add_one.h"
#include "ingest/add_runs.h"
#include "ingest/scan.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/headless/headless_toolbox.h"
#include "platform/movie.h"
#include "tools/commands.h"

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void onInterrupt(int) {
  gInterrupted = 1;
  // A second Ctrl+C ends the tool at once.
  std::signal(SIGINT, SIG_DFL);
}

// A path as it can be shown on one terminal line: control bytes become '?'.
std::string printable(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return out;
}

void printProgress(double seconds, bool final, bool terminal) {
  const AddRunStats& s = addRunStats();
  const double rate = seconds > 0 ? s.tunesAdded / seconds : 0.0;
  std::fprintf(stderr, "%sfiles %d, tunes added %d, %.1f tunes/s%s%s%s", terminal ? "\r\033[K" : "", s.filesSeen,
               s.tunesAdded, rate, final ? "" : ": ", final ? "" : printable(s.currentFile).c_str(),
               terminal && !final ? "" : "\n");
  std::fflush(stderr);
}

}  // namespace

int cmdAdd(ToolArgs args) {
  // From the start: a Ctrl+C while the library loads still lets the run
  // commit and save rather than ending the tool half way.
  struct sigaction sa {};
  sa.sa_handler = onInterrupt;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGINT, &sa, nullptr);
  std::vector<std::string> rest(args.begin(), args.end());
  if (!toolTakeDbOption(rest)) return 2;
  if (rest.empty()) {
    std::fputs("usage: lumaroll-tool add FOLDER... [--db PATH]\n", stderr);
    return 2;
  }
  for (std::string& folder : rest) {
    FolderRef ref;
    if (!makeFolderRef(folder, ref)) {
      std::fprintf(stderr, "lumaroll-tool: %s is not a folder that can be read\n", printable(folder).c_str());
      return 2;
    }
    // The library keeps full paths, as the program does.
    folder = absoluteFolderPath(folder);
  }
  if (libraryFilePath().empty()) {
    std::fputs("lumaroll-tool: no home folder; give the library with --db PATH\n", stderr);
    return 1;
  }
  if (!toolLockLibrary()) return 1;
  if (openDatabaseFiles() != noErr || gDatabaseLoadIncomplete) {
    std::fprintf(stderr, "lumaroll-tool: %s could not be read completely (%s); nothing was added\n",
                 libraryFilePath().c_str(), libraryLoadProblem().c_str());
    return 1;
  }
  if (EnterMovies() != noErr) {
    std::fputs("lumaroll-tool: the decoders are not available\n", stderr);
    return 1;
  }
  initMP3Categories();

  // No window waits for its turn: the next item follows at once.
  setAddYieldTicks(0);

  const bool terminal = ::isatty(STDERR_FILENO) == 1;
  const auto start = std::chrono::steady_clock::now();
  auto lastLine = start;
  const std::int32_t before = gStartTotalTunes_L;
  startTask(addTunes(rest));
  while (activeTaskCount() > 0) {
    runTasks(TickCount());
    if (gInterrupted) gStopCollectingPerUser_S = 1;
    // The recording toolbox keeps every text the run shows; nobody reads them here.
    headlessToolbox().log.clear();
    const auto now = std::chrono::steady_clock::now();
    if (now - lastLine >= std::chrono::milliseconds(terminal ? 200 : 5000)) {
      lastLine = now;
      printProgress(std::chrono::duration<double>(now - start).count(), false, terminal);
    }
  }
  std::signal(SIGINT, SIG_DFL);
  printProgress(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), true, terminal);
  // Every file left out with its reason, then the counts on the last line.
  const AddRunStats& stats = addRunStats();
  std::string counts;
  for (const LeftOutFile& f : stats.leftOut)
    std::fprintf(stderr, "left out: %s: %s%s%s\n", printable(f.path).c_str(),
                 std::string(leftOutReasonText(f.reason)).c_str(), f.detail.empty() ? "" : ", ",
                 printable(f.detail).c_str());
  for (std::size_t r = 0; r < kLeftOutReasons; ++r)
    if (stats.leftOutByReason[r] > 0)
      counts += (counts.empty() ? " (" : ", ") + std::to_string(stats.leftOutByReason[r]) + " " +
                std::string(leftOutReasonText(static_cast<LeftOutReason>(r)));
  if (!counts.empty()) counts += ")";
  std::fprintf(stderr, "%s%d tunes added, %zu files left out%s; the library holds %d tunes\n",
               gInterrupted ? "stopped: " : "", gStartTotalTunes_L - before, stats.leftOut.size(), counts.c_str(),
               gStartTotalTunes_L);
  if (addRunStats().saveResult != noErr) {
    std::fprintf(stderr, "lumaroll-tool: the library could not be saved (error %d): %s\n", addRunStats().saveResult,
                 librarySaveFailure().reason.c_str());
    return 1;
  }
  if (addRunStats().libraryFull) {
    std::fprintf(stderr, "lumaroll-tool: the library is full (%d tunes); the files found after that were not added\n",
                 gMaxTunes_L);
    return 1;
  }
  return gInterrupted ? 130 : 0;
}
