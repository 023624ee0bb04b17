#include <gtest/gtest.h>

#include "app/app.h"
#include "app_fixture.h"
#include "core/appstate.h"
#include "core/errors.h"
#include "core/paths.h"
#include "core/prefs.h"
#include "library/database.h"
#include "platform/critical_error.h"
#include "platform/headless/headless_toolbox.h"
#include "playlists/builder.h"
#include "ui/dialog.h"
#include "ui/mainwindow.h"

namespace {

TuneRecipe song(std::int32_t i) { return TuneRecipe{"Song " + std::to_string(i)}; }

class Quitting : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    makeLibrary(3, song);
    ASSERT_EQ(saveDatabaseFiles(), noErr);  // the last checkpoint
    savedLibrary = readFileBytes(libraryFilePath());
    buildCurrentPlaylist();
    buildMainWindow();
    // What the user did since: one more tune and a moved window.
    fillTune(gTunes_A[4], song(4), 4);
    gTotalTunes_L = gStartTotalTunes_L = 4;
    toolboxSetWindowContentRect(kMainWindow, ToolboxRect{10, 44, 1000, 700});
  }
  // Runs f, which must end the program; returns the exit status.
  template <class F>
  int exitStatusOf(F f) {
    try {
      f();
    } catch (const ProgramExit& e) {
      return e.status;
    }
    ADD_FAILURE() << "the program did not end";
    return -1;
  }
  std::string savedLibrary;
};

}  // namespace

TEST_F(Quitting, QuitWhileIdleSavesLibraryAndPreferences) {
  EXPECT_EQ(exitStatusOf([] { MyCommandHandler(kQuitCommand); }), 0);
  EXPECT_EQ(readFileBytes(libraryFilePath()).size(), 4 * kTuneRecordSize);
  EXPECT_EQ(readFileBytes(prefsFilePath()).substr(0, 14), "-17406\r-6141\r ");
  EXPECT_FALSE(headlessToolbox().logged("caution:"));
}

TEST_F(Quitting, ConfirmedQuitDuringAnAddRunSavesOnlyThePreferences) {
  gWeAeAddingTunes_S = 1;
  headlessToolbox().cautionAnswers = {true};
  EXPECT_EQ(exitStatusOf([] { MyCommandHandler(kQuitCommand); }), 0);
  EXPECT_TRUE(headlessToolbox().logged("caution:Tunes Are Still Being Added to Your Library...|Are you sure"));
  EXPECT_EQ(readFileBytes(libraryFilePath()), savedLibrary);
  EXPECT_FALSE(readFileBytes(prefsFilePath()).empty());
}

TEST_F(Quitting, CancelledQuitDuringAnAddRunKeepsRunning) {
  gWeAeAddingTunes_S = 1;
  headlessToolbox().cautionAnswers = {false};
  EXPECT_EQ(MyCommandHandler(kQuitCommand), 0);
  EXPECT_EQ(readFileBytes(libraryFilePath()), savedLibrary);
  EXPECT_TRUE(readFileBytes(prefsFilePath()).empty());
}

TEST_F(Quitting, SignalOrSessionEndSavesEverythingWithoutAsking) {
  gWeAeAddingTunes_S = 1;
  EXPECT_EQ(exitStatusOf([] { MyCommandHandler(kQuitNowCommand); }), 0);
  EXPECT_FALSE(headlessToolbox().logged("caution:"));
  EXPECT_EQ(readFileBytes(libraryFilePath()).size(), 4 * kTuneRecordSize);
  EXPECT_FALSE(readFileBytes(prefsFilePath()).empty());
}

TEST_F(Quitting, CloseBoxSavesWithoutTheAddRunQuestion) {
  gWeAeAddingTunes_S = 1;
  EXPECT_EQ(exitStatusOf([] { doDialog(kWindowCloseBox, kMainWindow, 0); }), 0);
  EXPECT_FALSE(headlessToolbox().logged("caution:"));
  EXPECT_EQ(readFileBytes(libraryFilePath()).size(), 4 * kTuneRecordSize);
}

TEST_F(Quitting, OtherCommandsPassOnUnhandled) { EXPECT_EQ(MyCommandHandler(0x61626f75), kEventNotHandledErr); }

TEST_F(Quitting, ToleratedErrorsAreIgnoredOthersEndWithoutSaving) {
  resetError(fnfErr);
  resetError(-5000);
  EXPECT_TRUE(headlessToolbox().log.empty() || !headlessToolbox().logged("stop:"));
  EXPECT_EQ(exitStatusOf([] { resetError(memFullErr); }), 0);
  EXPECT_TRUE(headlessToolbox().logged(
      "stop:Critical Error -108|Sorry, but a critial error has occurred and Lumaroll must quit.|Quit"));
  EXPECT_EQ(readFileBytes(libraryFilePath()), savedLibrary);
  EXPECT_TRUE(readFileBytes(prefsFilePath()).empty());
}
