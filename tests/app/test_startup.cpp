// Start-up and quitting: the windows start-up builds, what quitting saves
// and when the person is asked first, and what the person is told when the
// library or the settings are not read or not saved: at start-up, after an
// add run, and at quit, where they choose between quitting anyway and keeping
// the program running.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <tuple>

#include "app/app.h"
#include "core/paths.h"
#include "core/tasks.h"
#include "ingest/add_runs.h"
#include "library/database.h"
#include "platform/critical_error.h"
#include "support/file_size_limit.h"
#include "ui/fixture.h"

using Startup = AppTest;
using SaveFailures = AppTest;

TEST_F(Startup, SavedFrameOffEveryScreenMovesOntoTheMainScreenAndAboutIsBuiltOnce) {
  const ToolboxRect main{0, 0, 1440, 900};
  const std::vector<ToolboxRect> screens{main, {1440, 0, 1920, 1080}};
  auto placed = [&](ToolboxRect saved) {
    const ToolboxRect r = mainWindowFrameOnScreen(saved, main, screens);
    return std::array{r.left, r.top, r.width, r.height};
  };
  EXPECT_EQ(placed({2000, 100, 1000, 600}), (std::array{2000, 100, 1000, 600})) << "on the second screen: kept";
  EXPECT_EQ(placed({4000, 100, 1000, 600}), (std::array{0, 0, 1000, 600})) << "where a third screen used to be";
  EXPECT_EQ(placed({100, -800, 500, 300}), (std::array{0, 0, 973, 500})) << "title bar unreachable, too small";

  // The About window is built once and its buttons work.
  ASSERT_TRUE(startLumaroll());
  for (int i = 0; i < 2; ++i) toolboxHandlers().menu(254, 1);
  EXPECT_EQ(std::ranges::count(headlessToolbox().log, "window:14=About Orvane\u00AE Lumaroll"), 1);
  toolboxHandlers().dialog(kControlClicked, kAboutWindow, 9003);
  EXPECT_TRUE(windowExists(kAboutWindow)) << "Email leaves the window open";
  toolboxHandlers().dialog(kControlClicked, kAboutWindow, 9002);
  EXPECT_FALSE(windowExists(kAboutWindow) || gWin14_S);
}

// The end of an add run shows exactly the rebuilt playlist: no row of the
// old one stays.
TEST_F(Startup, AnAddRunsEndingShowsExactlyTheRebuiltPlaylist) {
  makeLibrary(3, numbered);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  ASSERT_TRUE(startLumaroll());
  for (std::int32_t i = 1; i <= 3; ++i) gTunes_A[i].justAdded = 1;
  doMenu(kPlaylistsMenu, 2);  // Last Added: all three
  ASSERT_EQ(shownRows().size(), 3u);
  startTask(addTunes({dir.path().string() + "/"}));  // no tunes in it
  while (activeTaskCount() > 0) runTasks(headlessToolbox().ticks++);
  EXPECT_EQ(std::tuple(gTotalPlaylistTunes_L, shownRows().size(), gCurrentSelectedTune_L,
                       getControlText(kMainWindow, kSummaryText)),
            std::tuple(0, 0u, 0, "Tunes: 0 \u2022 Time: 0 secs \u2022 Size: 0 MB"));
}

namespace {

class Quitting : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    start(4);
    gTotalTunes_L = gStartTotalTunes_L = 3;
    ASSERT_EQ(saveDatabaseFiles(), noErr);  // the last checkpoint
    savedLibrary = readFileBytes(libraryFilePath());
    // What the user did since: one more tune and a moved window.
    gTotalTunes_L = gStartTotalTunes_L = 4;
    toolboxSetWindowContentRect(kMainWindow, ToolboxRect{10, 44, 1000, 700});
  }
  std::string savedLibrary;
};

}  // namespace

// Quit saves the library and the preferences; during an add run it asks
// first and, confirmed, saves only the preferences. A signal, the session's
// end or the close box save everything without asking.
TEST_F(Quitting, EachWayOfQuittingSavesWhatItShould) {
  struct Case {
    const char* name;
    std::uint32_t command;  // 0: the close box
    bool adding, answer, ends, asks, savesLibrary, savesPrefs;
  };
  for (const Case& c : {Case{"idle", kQuitCommand, false, true, true, false, true, true},
                        Case{"confirmed", kQuitCommand, true, true, true, true, false, true},
                        Case{"cancelled", kQuitCommand, true, false, false, true, false, false},
                        Case{"signal", kQuitNowCommand, true, false, true, false, true, true},
                        Case{"close box", 0, true, false, true, false, true, true}}) {
    SCOPED_TRACE(c.name);
    writeFileBytes(libraryFilePath(), savedLibrary);
    std::filesystem::remove(prefsFilePath());
    headlessToolbox().log.clear();
    headlessToolbox().cautionAnswers = {c.answer};
    gWeAeAddingTunes_S = c.adding ? 1 : 0;
    bool ended = false;
    try {
      if (c.command)
        EXPECT_EQ(MyCommandHandler(c.command), 0);
      else
        doDialog(kWindowCloseBox, kMainWindow, 0);
    } catch (const ProgramExit& e) {
      ended = e.status == 0;
    }
    EXPECT_EQ(std::tuple(ended, logged("caution:Tunes Are Still Being Added to Your Library...|Are you sure"),
                         readFileBytes(libraryFilePath()).size(), !readFileBytes(prefsFilePath()).empty()),
              std::tuple(c.ends, c.asks, (c.savesLibrary ? 4 : 3) * kTuneRecordSize, c.savesPrefs));
  }
  EXPECT_EQ(readFileBytes(prefsFilePath()).substr(0, 14), "-17406\r-6141\r ") << "the moved window";
  EXPECT_EQ(MyCommandHandler(0x61626f75), kEventNotHandledErr) << "other commands pass on";
}

TEST_F(Quitting, ToleratedErrorsAreIgnoredOthersEndWithoutSaving) {
  resetError(fnfErr);
  resetError(-5000);
  EXPECT_FALSE(loggedWith("stop:", ""));
  EXPECT_THROW(resetError(memFullErr), ProgramExit);
  EXPECT_TRUE(logged("stop:Critical Error -108|Sorry, but a critial error has occurred and Lumaroll must quit.|Quit"));
  EXPECT_EQ(std::pair(readFileBytes(libraryFilePath()), readFileBytes(prefsFilePath())),
            std::pair(savedLibrary, std::string()));
}

TEST_F(SaveFailures, AnUnreadableLibraryIsNamedAtStartAndAgainAtQuit) {
  const std::string path = libraryFilePath();
  ASSERT_TRUE(createNewDirectory(path));  // a folder where the file should be
  ASSERT_TRUE(startLumaroll());
  EXPECT_TRUE(
      loggedWith("stop:Your Library Could Not Be Read|Lumaroll could not read " + path, "changes will not be saved"));
  EXPECT_FALSE(windowExists(kFirstTimeWindow)) << "not an empty library to fill";

  headlessToolbox().cautionAnswers = {false, true};
  EXPECT_EQ(MyCommandHandler(kQuitCommand), 0);  // Cancel: still running
  EXPECT_TRUE(loggedWith("caution:The Library Could Not Be Saved|Lumaroll could not save your library in " + path,
                         "could not be read completely"));
  EXPECT_FALSE(windowExists(kNoticeWindow)) << "the Saving window goes";
  EXPECT_THROW(MyCommandHandler(kQuitCommand), ProgramExit);  // Quit Anyway
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(SaveFailures, ALibraryLongerThanTheTableIsKeptUnlessThePersonAgrees) {
  createNewDirectory(folderOf(libraryFilePath()));
  writeFileBytes(libraryFilePath(), "");
  ASSERT_EQ(::truncate(libraryFilePath().c_str(), 30001L * kTuneRecordSize), 0);
  for (bool agree : {false, true}) {
    headlessToolbox().reset();
    headlessToolbox().cautionAnswers = {agree};
    ASSERT_TRUE(startLumaroll());
    EXPECT_TRUE(loggedWith("caution:Your Library Is Larger Than Lumaroll Can Hold", "holds 30001 tunes"));
    EXPECT_EQ(gDatabaseLoadIncomplete, !agree);
    EXPECT_EQ(saveDatabaseFiles() == noErr, agree);
  }
  EXPECT_EQ(std::filesystem::file_size(libraryFilePath()), 30000u * kTuneRecordSize);
}

TEST_F(SaveFailures, AFailedSaveAtTheEndOfAnAddRunIsShownInTheWindow) {
  ASSERT_TRUE(startLumaroll());
  // A file where the library's folder should be: the save cannot write.
  writeFileBytes(dir.file("blocked"), "x");
  setLibraryFilePath(dir.file("blocked/LumarollDatabase"));
  makeLibrary(2, numbered);
  startTask(addTunes({dir.path().string() + "/"}));
  while (activeTaskCount() > 0) runTasks(headlessToolbox().ticks++);
  applicationPass();
  EXPECT_TRUE(loggedWith("stop:The Library Could Not Be Saved|Lumaroll could not save your library in " +
                             libraryFilePath() + ": Not a directory",
                         "are not in it"));
}

TEST_F(SaveFailures, AFullDiskAtQuitLetsThePersonKeepTheProgramRunning) {
  ASSERT_TRUE(startLumaroll());
  makeLibrary(50, numbered);  // about 228 KB to write
  const std::string told = "caution:The Library Could Not Be Saved|Lumaroll could not save your library in " +
                           libraryFilePath() + ": File too large";
  headlessToolbox().cautionAnswers = {false};  // keep running
  // A file-size limit stands in for a full disk.
  const auto quit = [&] { return MyCommandHandler(kQuitCommand) == 0 && loggedWith(told, "Quit anyway") ? 0 : 3; };
  EXPECT_EQ(exitCodeUnderFileSizeLimit(20000, quit), 0);
}

TEST_F(SaveFailures, ASecondCopySaysTheFirstIsRunningAndEnds) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    lockLibraryFile();
    (void)!write(ready[1], "x", 1);
    pause();
    _exit(0);
  }
  char c;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  const bool started = startLumaroll();
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_FALSE(started);
  EXPECT_TRUE(loggedWith("stop:Lumaroll Is Running|Lumaroll is running; quit it first.", libraryFilePath()));
  EXPECT_TRUE(startLumaroll());  // the holder's end released the lock
}
