// What the person is told when the library or the settings are not read or
// not saved: at start-up, after an add run, and at quit, where they choose
// between quitting anyway and keeping the program running.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/app.h"
#include "core/paths.h"
#include "core/tasks.h"
#include "ingest/add_runs.h"
#include "library/database.h"
#include "support/file_size_limit.h"
#include "ui/fixture.h"

using SaveFailures = AppTest;

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
  const std::string told =
      "caution:The Library Could Not Be Saved|Lumaroll could not save your library in " + libraryFilePath();
  // A file-size limit stands in for a full disk.
  EXPECT_EQ(exitCodeUnderFileSizeLimit(20000,
                                       [&] {
                                         headlessToolbox().cautionAnswers = {false};
                                         const bool kept = MyCommandHandler(kQuitCommand) == 0;
                                         return kept && loggedWith(told + ": File too large", "Quit anyway") ? 0 : 3;
                                       }),
            0);
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
