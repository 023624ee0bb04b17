#include "ingest/add_one.h"

#include <memory>
#include <set>
#include <utility>

#include "core/appstate.h"
#include "core/pstring.h"
#include "engine/analysis.h"
#include "engine/classify.h"
#include "engine/m4atags.h"
#include "engine/mp3tags.h"
#include "ingest/analysis_pool.h"
#include "ingest/windows.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/movie.h"
#include "platform/toolbox.h"

namespace {

constexpr std::size_t kLongestStoredPath = 255;  // filePath is a Str255
constexpr std::size_t kStoredNameBytes = 63;
// Strong bins a kept tune has: more than 7, fewer than 60000.
constexpr std::int32_t kFewestStrongBins = 8;
constexpr std::int32_t kTooManyStrongBins = 60000;

AddRunStats gStats;
std::uint32_t gYieldTicks = 2;
std::uint32_t gResumedAt = 0;  // tick at which the run's task was last resumed
std::set<std::pair<std::uint64_t, std::uint64_t>> gDescended;  // folders descended into this run

bool endsWithUpper(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const std::string_view tail = name.substr(name.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    const char c = tail[i];
    const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper != suffix[i]) return false;
  }
  return true;
}

bool stopRequested() { return gTotalTunes_L >= gMaxTunes_L || gStopCollectingPerUser_S == 1; }

// Gives the file's record back. Should the file have been the 200th tune,
// the classification has already committed and saved it before the
// acceptance test; the commit is then taken back and the library saved
// again, so a refused file stays neither in the library nor in its file.
void refuseTune() {
  const bool committedByCheckpoint = gTotalTunes_L > 0 && gStartTotalTunes_L >= gTotalTunes_L;
  if (committedByCheckpoint) gStartTotalTunes_L = gTotalTunes_L - 1;
  giveBackTuneRecord();
  if (committedByCheckpoint) saveDatabaseFiles();
}

// The pipeline for one file of `folder`. A file that cannot be added leaves
// no tune behind. The file's measures may be worked out ahead on a worker
// thread; the run waits for them only after its tags are read.
Task addFile(FolderRef folder, std::string itemName) {
  const std::string fullPath = folder.path + itemName;
  gStats.currentFile = fullPath;
  MeasuresTicket ticket(fullPath);
  // A path cut to fit the record could never be opened again.
  if (fullPath.size() > kLongestStoredPath) co_return;
  const std::string_view name = std::string_view(itemName).substr(0, kStoredNameBytes);

  const OSErr tags = endsWithUpper(itemName, ".MP3") ? readMP3Tags(fullPath, folder.volume, folder.dirID)
                                                     : readM4ATags(fullPath, folder.volume, folder.dirID);
  if (tags != noErr) co_return;  // the reader gave its record back
  // The path goes in now: the 200th tune is saved by its classification,
  // before it is accepted, and must reach the file with its path.
  gTunes_A[gTotalTunes_L].filePath.assign(fullPath);

  std::unique_ptr<TuneMeasures> measures;
  co_await awaitMeasures(ticket, measures);
  copyMeasuredFields(measures->state, measures->measured, gTunes_A[gTotalTunes_L]);
  OSErr err = measures->result;
  if (err != noErr) {
    refuseTune();
    co_return;
  }
  err = classifyTune(measures->state, name);
  const std::int32_t strongBins = measures->state.gCTCounter_L;
  if (err != noErr || strongBins < kFewestStrongBins || strongBins >= kTooManyStrongBins) {
    refuseTune();
    co_return;
  }

  const Tune& t = gTunes_A[gTotalTunes_L];
  ++gStats.tunesAdded;
  setControlText(kSheetWindow, kAddStatusText, "Adding: " + t.title.str());
  setControlText(kSheetWindow, kAddCountText, "Total Tunes: " + numText(gTotalTunes_L));
  toolboxFlush();
}

}  // namespace

const AddRunStats& addRunStats() { return gStats; }
void recordAddRunSave(OSErr result) { gStats.saveResult = result; }

void beginAddRunBookkeeping() {
  gResumedAt = TickCount();
  gStats = AddRunStats{};
  gDescended.clear();
}

void setAddYieldTicks(std::uint32_t ticks) { gYieldTicks = ticks; }

bool isTuneFileName(std::string_view name) {
  if (name.starts_with("._")) return false;
  return endsWithUpper(name, ".MP3") || endsWithUpper(name, ".M4A");
}

Task addOneTune(FolderRef folder, std::int16_t descend) {
  // A run that finds the library full or Stop pressed claims nothing more,
  // not even for the first item of a folder it is about to start.
  if (stopRequested()) co_return;
  if (descend != 0 && !gDescended.emplace(folder.device, folder.inode).second) co_return;

  FolderScan scan;
  scan.itemIndex = 0;
  scan.descend = descend;
  for (;;) {
    scan.folder = folder;
    const OSErr kind = ScanFolder(scan);
    if (kind < 0) break;
    if (kind == 1) {
      if (descend != 0) co_await addOneTune(scan.folder, -1);
    } else {
      ++gStats.filesSeen;
      // Only plain files are opened: opening a pipe named like a tune would
      // wait for a writer for ever.
      if (scan.regularFile && isTuneFileName(scan.itemName)) co_await addFile(folder, scan.itemName);
    }
    // The pause counts from the end of the item, not from the start of the
    // pass that ran it: after a file that took a second to analyse the
    // window still gets its two ticks.
    co_await yieldTicks(gYieldTicks == 0 ? 0 : gYieldTicks + (TickCount() - gResumedAt));
    gResumedAt = TickCount();
    if (stopRequested()) break;
  }
  ClearMoviesStickyError();
}
