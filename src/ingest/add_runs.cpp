#include "ingest/add_runs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/appstate.h"
#include "core/errors.h"
#include "core/paths.h"
#include "core/pstring.h"
#include "engine/classify.h"
#include "ingest/add_one.h"
#include "ingest/analysis_pool.h"
#include "ingest/scan.h"
#include "ingest/windows.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/movie.h"
#include "platform/toolbox.h"
#include "playlists/builder.h"
#include "playlists/presentation.h"

namespace {

constexpr std::int16_t kFirstGuardedMenu = 1;  // File, Edit, Playlists, Player
constexpr std::int16_t kLastGuardedMenu = 4;
constexpr std::int16_t kIndeterminate = 2;

bool gRunStarted = false;

// The start mark of a run: set when its task is made, cleared however the
// task ends (finished, or dropped before or after its first step). The run's
// body takes it as a parameter, so the task's frame owns it from the start.
class RunMark {
 public:
  RunMark() { gRunStarted = true; }
  RunMark(RunMark&& o) noexcept : live_(std::exchange(o.live_, false)) {}
  RunMark(const RunMark&) = delete;
  RunMark& operator=(const RunMark&) = delete;
  RunMark& operator=(RunMark&&) = delete;
  ~RunMark() {
    if (live_) gRunStarted = false;
  }

 private:
  bool live_ = true;
};

void setGuardedMenus(bool enabled) {
  for (std::int16_t menu = kFirstGuardedMenu; menu <= kLastGuardedMenu; ++menu) setMenuItemEnabled(menu, 0, enabled);
}

void beginAddRun() {
  setGuardedMenus(false);
  // Numbers handed out earlier in this session stay taken: tunes deleted
  // since, or refused after classification, leave the library shorter than
  // its highest number, and a number given twice would let an edit or a
  // lookup by number reach the wrong tune.
  gNextPermIDNumber_UL = std::max(gNextPermIDNumber_UL, static_cast<std::uint32_t>(gStartTotalTunes_L));
  gWeAeAddingTunes_S = 1;
  gStopCollectingPerUser_S = 0;
  beginAddRunBookkeeping();
  setControlText(kMainWindow, kActivityText, "Activity: Scanning for music files...");
  makeAddDialogWin(kIndeterminate, 0, "Analyzing and Adding Tunes To Your Library...");
  setControlText(kSheetWindow, kAddStatusText, "Scanning for music files... please wait...");
  setControlText(kSheetWindow, kAddCountText, "Total Tunes: " + numText(gTotalTunes_L));
  for (std::int32_t i = 1; i <= gStartTotalTunes_L; ++i) gTunes_A[i].justAdded = 0;
  // A full library takes nothing: the run goes straight to its ending.
  if (gTotalTunes_L >= gMaxTunes_L) {
    SysBeep();
    noteLibraryFull();
  }
}

// Commits what the run added, counts and saves it; never yields.
void finishAddRun() {
  flushAddProgressTexts();
  closeAddDialogWin();
  setControlText(kMainWindow, kActivityText, "Activity: Cleaning up...");
  holidayPass(std::max(gStartTotalTunes_L, 1), gTotalTunes_L);
  commitTunes();
  recountColours();
  recordAddRunSave(saveDatabaseFiles());
  gStopCollectingPerUser_S = 0;
  // The line tells what the run did; File ▸ "Files Not Added..." tells why
  // each file left out was.
  setControlText(kMainWindow, kActivityText, addRunReportLine(addRunStats()));
  setGuardedMenus(true);
  // Nothing loaded in the player: the shown playlist is rebuilt with the new
  // tunes and shown as every playlist is, so the list holds exactly its
  // entries (none, for an empty one) and nothing stays selected that now
  // names another tune. A loaded tune keeps its list as it is.
  if (!gNowPlayingMovie) {
    buildCurrentPlaylist();
    presentPlaylist(false, false);
  }
  gWeAeAddingTunes_S = 0;
}

// Both passes over one folder.
Task addFolder(std::string path) {
  FolderRef folder;
  if (!makeFolderRef(path, folder)) co_return;
  co_await addOneTune(folder, 0);
  co_await addOneTune(folder, -1);
}

}  // namespace

bool addRunActive() { return gRunStarted || gWeAeAddingTunes_S != 0; }

namespace {

Task addTunesRun(std::vector<std::string> folders, RunMark /*mark*/) {
  beginAddRun();
  {
    AnalysisAhead ahead(folders);
    for (std::string& path : folders) co_await addFolder(std::move(path));
  }
  finishAddRun();
}

Task addTunesFromMusicFolderRun(RunMark /*mark*/) {
  if (GetSysFolderVol("cusr").empty()) {
    SysBeep();
    co_return;
  }
  const std::string music = musicFolderPath();
  beginAddRun();
  {
    const std::vector<std::string> folders = {music + "iTunes/iTunes Music/", music + "iTunes/iTunes Media/Music/",
                                              music};
    AnalysisAhead ahead(folders);
    for (const std::string& folder : folders) co_await addFolder(folder);
  }
  finishAddRun();
}

}  // namespace

// A run counts as active from the moment its task exists.
Task addTunes(std::vector<std::string> folders) { return addTunesRun(std::move(folders), RunMark{}); }

Task addTunesFromMusicFolder() { return addTunesFromMusicFolderRun(RunMark{}); }

void startAddTunes() {
  if (addRunActive()) return;
  if (EnterMovies() != noErr) {
    SysBeep();
    exitProgram(0);
  }
  // The chooser runs here, outside the task: a modal dialog inside a task
  // step would let the event loop resume tasks while one is still running.
  std::string folder;
  if (!toolboxChooseFolder("", folder)) return;
  startTask(addTunes({std::move(folder)}));
}

void startAddTunesFromMusicFolder() {
  if (addRunActive()) return;
  if (EnterMovies() != noErr) {
    SysBeep();
    return;
  }
  startTask(addTunesFromMusicFolder());
}

std::string absoluteFolderPath(const std::string& arg) {
  std::error_code ec;
  std::string path = std::filesystem::absolute(arg, ec).lexically_normal().string();
  if (ec || path.empty()) return {};
  if (path.back() != '/') path += '/';
  return path;
}

std::vector<std::string> commandLineFolders(const std::vector<std::string>& args, std::FILE* err) {
  std::vector<std::string> folders;
  for (const std::string& arg : args) {
    std::error_code ec;
    if (arg.empty() || !std::filesystem::is_directory(arg, ec)) {
      if (err) std::fprintf(err, "lumaroll: %s is not a folder; left out\n", arg.c_str());
      continue;
    }
    std::string path = absoluteFolderPath(arg);
    if (!path.empty()) folders.push_back(std::move(path));
  }
  return folders;
}

Task addTunesOfFolders(std::vector<std::string> folders) {
  for (std::string& folder : folders) {
    while (addRunActive()) co_await yieldTicks(1);
    std::vector<std::string> one;
    one.push_back(std::move(folder));
    co_await addTunes(std::move(one));
  }
}

void startAddTunesOfFolders(std::vector<std::string> folders) {
  if (folders.empty()) return;
  if (EnterMovies() != noErr) {
    SysBeep();
    return;
  }
  startTask(addTunesOfFolders(std::move(folders)));
}
