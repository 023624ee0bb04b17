#include "ingest/add_one.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>

#include "core/appstate.h"
#include "core/pstring.h"
#include "engine/analysis.h"
#include "engine/classify.h"
#include "engine/m4atags.h"
#include "engine/mp3tags.h"
#include "engine/tagfile.h"
#include "engine/vorbistags.h"
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
bool gFullNoticeShown = false;

// The sheet's texts change at most four times a second: shown per file, a
// folder of small files would cost a repaint each. The last values are
// always shown, at the next chance or when the run ends.
constexpr std::uint32_t kTextTicks = 15;
struct ProgressTexts {
  std::string title;
  std::int32_t total = 0;
  bool pending = false, shownOnce = false;
  std::uint32_t shownAt = 0;
} gTexts;

void showProgressTexts(bool now) {
  if (!gTexts.pending) return;
  if (!now && gTexts.shownOnce && TickCount() - gTexts.shownAt < kTextTicks) return;
  setControlText(kSheetWindow, kAddStatusText, "Adding: " + gTexts.title);
  setControlText(kSheetWindow, kAddCountText, "Total Tunes: " + numText(gTexts.total));
  toolboxFlush();
  gTexts.pending = false;
  gTexts.shownOnce = true;
  gTexts.shownAt = TickCount();
}
std::uint32_t gYieldTicks = 2;
std::uint32_t gResumedAt = 0;                                  // tick at which the run's task was last resumed
std::set<std::pair<std::uint64_t, std::uint64_t>> gDescended;  // folders descended into this run
// Full paths of the library's files and of every file this run has looked at:
// a file is considered once per run and never enters the library twice,
// whatever its tags say now.
std::unordered_set<std::string> gKnownPaths;
// Files added or left out this run: the files of the chosen folder are met
// twice (once per pass) and reported once.
std::set<std::string> gDecided;
// Tunes shorter than this many whole seconds fail the first analysed part.
constexpr std::int32_t kShortestTuneSeconds = 27;

void leaveOut(const std::string& path, LeftOutReason reason, std::string detail = {}) {
  if (!gDecided.insert(path).second) return;
  gStats.leftOut.push_back(LeftOutFile{path, reason, std::move(detail)});
  ++gStats.leftOutByReason[static_cast<std::size_t>(reason)];
}

// Whether the file can be opened for reading and is a plain file; the tag
// readers would refuse it either way, but the report tells the two apart.
bool readableRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return regular;
}

void leaveOutForTags(const std::string& path) {
  switch (gLastTagRefusal) {
    case TagRefusal::libraryFull: leaveOut(path, LeftOutReason::libraryFull); return;
    case TagRefusal::duplicate: leaveOut(path, LeftOutReason::duplicate); return;
    case TagRefusal::podcast: leaveOut(path, LeftOutReason::tagsRefused, "podcast"); return;
    case TagRefusal::tooSmall: leaveOut(path, LeftOutReason::tagsRefused, "file too small"); return;
    case TagRefusal::notAudio: leaveOut(path, LeftOutReason::notDecodable); return;
    case TagRefusal::noTag:
    case TagRefusal::none: leaveOut(path, LeftOutReason::tagsRefused, "no tag"); return;
  }
}

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
  if (fullPath.size() > kLongestStoredPath) {
    leaveOut(fullPath, LeftOutReason::unreadable, "path longer than 255 bytes");
    co_return;
  }
  // A file met again in this run was decided the first time; one the
  // library holds already is a duplicate, whatever its tags say now.
  if (!gKnownPaths.insert(fullPath).second) {
    leaveOut(fullPath, LeftOutReason::duplicate);
    co_return;
  }
  if (gTotalTunes_L >= gMaxTunes_L) {
    leaveOut(fullPath, LeftOutReason::libraryFull);
    co_return;
  }
  if (!readableRegularFile(fullPath)) {
    leaveOut(fullPath, LeftOutReason::unreadable);
    co_return;
  }
  const std::string_view name = std::string_view(itemName).substr(0, kStoredNameBytes);

  OSErr tags = noErr;
  if (endsWithUpper(itemName, ".MP3"))
    tags = readMP3Tags(fullPath, folder.volume, folder.dirID);
  else if (endsWithUpper(itemName, ".M4A"))
    tags = readM4ATags(fullPath, folder.volume, folder.dirID);
  else
    tags = readVorbisTags(fullPath, folder.volume, folder.dirID);
  if (tags != noErr) {  // the reader gave its record back
    leaveOutForTags(fullPath);
    co_return;
  }
  // The path goes in now: the 200th tune is saved by its classification,
  // before it is accepted, and must reach the file with its path.
  gTunes_A[gTotalTunes_L].filePath.assign(fullPath);

  std::unique_ptr<TuneMeasures> measures;
  co_await awaitMeasures(ticket, measures);
  copyMeasuredFields(measures->state, measures->measured, gTunes_A[gTotalTunes_L]);
  OSErr err = measures->result;
  if (err != noErr) {
    refuseTune();
    const std::int32_t seconds = measures->seconds;
    if (seconds > 0 && seconds < kShortestTuneSeconds)
      leaveOut(fullPath, LeftOutReason::tooShort, std::to_string(seconds) + " s");
    else
      leaveOut(fullPath, LeftOutReason::notDecodable);
    co_return;
  }
  err = classifyTune(measures->state, name);
  const std::int32_t strongBins = measures->state.gCTCounter_L;
  if (err != noErr || !keepsStrongBins(strongBins)) {
    refuseTune();
    leaveOut(fullPath, LeftOutReason::analysisRefused, std::to_string(strongBins) + " strong bins");
    co_return;
  }
  gDecided.insert(fullPath);

  const Tune& t = gTunes_A[gTotalTunes_L];
  ++gStats.tunesAdded;
  gTexts.title = t.title.str();
  gTexts.total = gTotalTunes_L;
  gTexts.pending = true;
  showProgressTexts(false);
}

}  // namespace

const AddRunStats& addRunStats() { return gStats; }
void recordAddRunSave(OSErr result) { gStats.saveResult = result; }
void noteLibraryFull() { gStats.libraryFull = true; }
bool consumeLibraryFullNotice() {
  if (!gStats.libraryFull || gFullNoticeShown) return false;
  gFullNoticeShown = true;
  return true;
}

void beginAddRunBookkeeping() {
  gResumedAt = TickCount();
  gStats = AddRunStats{};
  gFullNoticeShown = false;
  gTexts = ProgressTexts{};
  gDescended.clear();
  gKnownPaths.clear();
  for (std::int32_t i = 1; i <= gTotalTunes_L; ++i) gKnownPaths.emplace(gTunes_A[i].filePath.view());
  gDecided.clear();
}

std::string_view leftOutReasonText(LeftOutReason reason) {
  switch (reason) {
    case LeftOutReason::tooShort: return "too short (26 s or less)";
    case LeftOutReason::notTuneFile: return "not an MP3, M4A, FLAC, Ogg or Opus file";
    case LeftOutReason::unreadable: return "unreadable or not a regular file";
    case LeftOutReason::tagsRefused: return "tags missing or refused";
    case LeftOutReason::duplicate: return "already in the library";
    case LeftOutReason::notDecodable: return "the audio could not be decoded";
    case LeftOutReason::analysisRefused: return "refused by the analysis";
    case LeftOutReason::libraryFull: return "the library is full";
  }
  return "";
}

std::string addRunReportLine(const AddRunStats& stats) {
  const std::size_t left = stats.leftOut.size();
  return "Activity: " + std::to_string(stats.tunesAdded) + (stats.tunesAdded == 1 ? " tune" : " tunes") + " added, " +
         std::to_string(left) + (left == 1 ? " file" : " files") + " left out";
}

void setAddYieldTicks(std::uint32_t ticks) { gYieldTicks = ticks; }
void flushAddProgressTexts() { showProgressTexts(true); }

bool keepsStrongBins(std::int32_t strongBins) {
  return strongBins >= kFewestStrongBins && strongBins < kTooManyStrongBins;
}

bool isVorbisCommentFileName(std::string_view name) {
  return endsWithUpper(name, ".FLAC") || endsWithUpper(name, ".OGG") || endsWithUpper(name, ".OGA") ||
         endsWithUpper(name, ".OPUS");
}

bool isTuneFileName(std::string_view name) {
  if (name.starts_with("._")) return false;
  return endsWithUpper(name, ".MP3") || endsWithUpper(name, ".M4A") || isVorbisCommentFileName(name);
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
    // Another item waits and the library holds no more: the run ends here
    // and says why.
    if (gTotalTunes_L >= gMaxTunes_L) {
      gStats.libraryFull = true;
      break;
    }
    if (kind == 1) {
      if (descend != 0) co_await addOneTune(scan.folder, -1);
    } else {
      ++gStats.filesSeen;
      // Only plain files are opened: opening a pipe named like a tune would
      // wait for a writer for ever.
      if (!isTuneFileName(scan.itemName))
        leaveOut(folder.path + scan.itemName, LeftOutReason::notTuneFile);
      else if (!scan.regularFile)
        leaveOut(folder.path + scan.itemName, LeftOutReason::unreadable, "not a regular file");
      else
        co_await addFile(folder, scan.itemName);
    }
    // The pause counts from the end of the item, not from the start of the
    // pass that ran it: after a file that took a second to analyse the
    // window still gets its two ticks.
    co_await yieldTicks(gYieldTicks == 0 ? 0 : gYieldTicks + (TickCount() - gResumedAt));
    gResumedAt = TickCount();
    showProgressTexts(false);
    if (gStopCollectingPerUser_S == 1) break;
  }
  ClearMoviesStickyError();
}
